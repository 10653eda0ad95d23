// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipPictures.h"

#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

namespace kvitanky {

namespace {

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw SlipPictureError(QStringLiteral("Nelze nacíst obrázek '%1': %2").arg(path, reason).toStdString());
}

// A Windows bitmap whose pixels end beyond the end of the file: the image reader
// would give a picture of the right size with the missing pixels blank.
void requireWholeBitmap(const QString &path, qint64 fileSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;   // the reader reports it
    const QByteArray h = file.read(54);
    if (h.size() < 54 || !h.startsWith("BM"))
        return;   // not a bitmap header the reader could use either
    const auto u16 = [&](int at) { return quint32(quint8(h[at])) | quint32(quint8(h[at + 1])) << 8; };
    const auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    const qint64 pixelsAt = u32(10);
    const qint64 width = qint32(u32(18));
    const qint64 height = qint32(u32(22));
    const qint64 bitsPerPixel = u16(28);
    const quint32 compression = u32(30);
    const qint64 imageSize = u32(34);
    if (u32(14) < 40)
        return;   // an old OS/2 header: left to the reader
    // In floating point: a made-up header may claim more than any integer holds.
    double pixelBytes = 0;
    if (compression == 0 || compression == 3) {   // plain rows, or rows with bit masks
        if (width <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32)
            return;
        pixelBytes = double((width * bitsPerPixel + 31) / 32 * 4) * double(height < 0 ? -height : height);
    } else {
        pixelBytes = double(imageSize);   // compressed: the header says how much follows
    }
    const double needed = double(pixelsAt) + pixelBytes;
    if (needed > double(fileSize))
        fail(path, QStringLiteral("soubor je zkrácený: obrázek má mít %1 bajtů, soubor má jen %2.")
                       .arg(QString::number(needed, 'f', 0))
                       .arg(fileSize));
}

} // namespace

QImage SlipPictureCache::load(const QString &path, QSize size)
{
    // Every composition asks, so this is one stat() call and nothing more (file
    // times as dates would read the time zone each time).
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        fail(path, QStringLiteral("soubor neexistuje."));
    if (!S_ISREG(st.st_mode))
        fail(path, QStringLiteral("není to soubor."));

    const Stamp stamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec),
                      qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)};
    const auto it = m_entries.constFind(path);
    if (it != m_entries.constEnd() && it->stamp == stamp && it->size == size)
        return it->image;

    requireWholeBitmap(path, stamp.fileSize);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    ++m_decodeCount;
    if (image.isNull())
        fail(path, QStringLiteral("soubor není citelný obrázek."));
    // Painting on RGB32 is fast and keeps the 24-bit colours of the bitmaps.
    image = image.convertToFormat(QImage::Format_RGB32);
    if (size.isValid() && image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    m_entries.insert(path, Entry{stamp, size, image});
    return image;
}

} // namespace kvitanky
