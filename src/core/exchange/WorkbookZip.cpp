// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/WorkbookZip.h"

#include <unzip.h>

#include <cstring>
#include <memory>

namespace kvitanky::workbook {

namespace {

using Memory = Zip::MemoryStream;

voidpf memOpen(voidpf opaque, const void *, int)
{
    return opaque;
}

uLong memRead(voidpf, voidpf stream, void *buf, uLong size)
{
    auto *m = static_cast<Memory *>(stream);
    const qint64 n = qBound<qint64>(0, m->bytes->size() - m->pos, qint64(size));
    if (n > 0)
        std::memcpy(buf, m->bytes->constData() + m->pos, size_t(n));
    m->pos += n;
    return uLong(n);
}

uLong memWrite(voidpf, voidpf, const void *, uLong)
{
    return 0;
}

ZPOS64_T memTell(voidpf, voidpf stream)
{
    return ZPOS64_T(static_cast<Memory *>(stream)->pos);
}

long memSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *m = static_cast<Memory *>(stream);
    const qint64 size = m->bytes->size();
    if (offset > ZPOS64_T(size))
        return -1;
    const qint64 off = qint64(offset);
    qint64 to = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: to = off; break;
    case ZLIB_FILEFUNC_SEEK_CUR: to = m->pos + off; break;
    case ZLIB_FILEFUNC_SEEK_END: to = size + off; break;
    default: return -1;
    }
    if (to < 0 || to > size)
        return -1;
    m->pos = to;
    return 0;
}

int memClose(voidpf, voidpf)
{
    return 0;
}

int memError(voidpf, voidpf)
{
    return 0;
}

constexpr int PieceSize = 256 * 1024;

} // namespace

Zip::Zip(const QByteArray &bytes, qint64 xmlLimit) : m_budget(xmlLimit)
{
    m_stream.bytes = &bytes;
    zlib_filefunc64_def io{};
    io.zopen64_file = memOpen;
    io.zread_file = memRead;
    io.zwrite_file = memWrite;
    io.ztell64_file = memTell;
    io.zseek64_file = memSeek;
    io.zclose_file = memClose;
    io.zerror_file = memError;
    io.opaque = &m_stream;
    m_zip = unzOpen2_64("", &io);
}

Zip::~Zip()
{
    if (m_zip)
        unzClose(m_zip);
}

bool Zip::has(const QString &name)
{
    return unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK;
}

// Finds and opens a part, refusing an encrypted one and one that declares more
// than may still be unpacked.
bool Zip::open(const QString &name, quint64 *declared, Fault *fault)
{
    *fault = Fault::Damaged;
    if (!has(name))
        return false;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    if (info.flag & 1) {
        *fault = Fault::Encrypted;
        return false;
    }
    if (info.uncompressed_size > ZPOS64_T(m_budget)) {
        *fault = Fault::TooLarge;
        return false;
    }
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        return false;
    *declared = info.uncompressed_size;
    return true;
}

bool Zip::entry(const QString &name, QByteArray *out, Fault *fault)
{
    out->clear();
    quint64 declared = 0;
    if (!open(name, &declared, fault))
        return false;
    out->reserve(qsizetype(declared));
    const bool abandon = false;
    return inflate(declared, [out](QByteArrayView piece) {
        out->append(piece);
        return true;
    }, abandon, fault) == Streamed::Whole;
}

Zip::Streamed Zip::stream(const QString &name, const std::function<bool(QByteArrayView)> &take, const bool &abandon,
                          Fault *fault)
{
    quint64 declared = 0;
    if (!open(name, &declared, fault))
        return Streamed::Failed;
    return inflate(declared, take, abandon, fault);
}

Zip::Streamed Zip::inflate(quint64 declared, const std::function<bool(QByteArrayView)> &take, const bool &abandon,
                           Fault *fault)
{
    *fault = Fault::Damaged;
    const std::unique_ptr<char[]> buf(new char[PieceSize]);
    qint64 total = 0;
    int n = 0;
    bool ok = true, taking = true;
    while ((n = unzReadCurrentFile(m_zip, buf.get(), PieceSize)) > 0) {
        if (total + n > m_budget) {
            *fault = Fault::TooLarge;
            ok = false;
            break;
        }
        if (quint64(total + n) > declared) {
            ok = false;   // inflates to more than it declares
            break;
        }
        total += n;
        if (taking && !take(QByteArrayView(buf.get(), n))) {
            taking = false;
            if (abandon) {
                unzCloseCurrentFile(m_zip);
                *fault = Fault::None;
                return Streamed::Abandoned;
            }
        }
    }
    const int closed = unzCloseCurrentFile(m_zip);
    if (!ok || n < 0 || closed != UNZ_OK || quint64(total) != declared)
        return Streamed::Failed;
    m_budget -= total;
    *fault = Fault::None;
    return Streamed::Whole;
}

} // namespace kvitanky::workbook
