// SPDX-License-Identifier: GPL-3.0-or-later
// The table file.
//
// On disk: dBase III / FoxPro 2.x (version byte 0x03, no memo), Windows-1250 text with
// language driver 0xC8 (the columns' bytes: see DbfFieldCodec.cpp).
//
// Durability: Post writes straight to the file (no user-space buffer) before it
// returns. A new record goes in four steps: its body and a new 0x1A end mark behind
// the old end mark, then its flag byte over the old end mark as deleted ('*'), then
// the header's record count, then the flag as live (' '). A process killed at any
// moment (a write can be cut short at a page boundary) leaves every row posted
// before, and readers by the end mark (dbfread) and by the count (GDAL, dBase) see
// the same rows: the new record is either not there, there but deleted (counted or
// not), or there and live. An edit writes only the bytes that changed. There is no fsync per
// post (a power cut may lose the last posts); the file is synced when it closes.
//
// Memory: the live rows are a vector of record numbers; records are read on demand
// through a small cache of 64 KiB blocks. Deleted rows are marked '*' in place and
// compacted (a whole new file renamed over the old one) by pack(), by closing after
// this session deleted a quarter of the file, and by deleteAll().
#include "data/DbfFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvitanky {

namespace {

constexpr int kBlockBytes = 64 * 1024;
constexpr char kEndOfFile = 0x1A;
// How long a write waits for another program's lock on the header.
constexpr std::chrono::seconds kLockWait(10);

#ifdef F_OFD_SETLK
// Locks of the open file, not of the process: two tables of this program exclude
// each other too, and closing another descriptor of the file keeps the lock.
constexpr int kSetLock = F_OFD_SETLK;
#else
constexpr int kSetLock = F_SETLK;
#endif

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

void DbfFile::requireOpen() const
{
    if (!isOpen())
        fail(QStringLiteral("tabulka není otevřena"));
}

void DbfFile::requireWritable() const
{
    if (writable)
        return;
    const QString reason = readOnlyReason();
    if (!reason.isEmpty())
        throw DbfError(reason.toStdString());
    fail(QStringLiteral("soubor je jen pro čtení, změny nelze uložit"));
}

QString DbfFile::readOnlyReason() const
{
    return isOpen() && !m_layout.writable ? dbflayout::notUnderstoodText(m_path, m_layout.strangeColumn) : QString();
}

QString DbfFile::openNotice() const
{
    QStringList notes;
    if (!readOnlyReason().isEmpty())
        notes << readOnlyReason();
    if (isOpen() && uncounted > 0)
        notes << QStringLiteral("Tabulka '%1' obsahuje víc záznamů (%2), než uvádí její hlavička (%3). "
                                "Program ukazuje všechny a nové řádky zapisuje až za ně.")
                     .arg(m_path)
                     .arg(stored)
                     .arg(stored - uncounted);
    return notes.join(QStringLiteral("\n\n"));
}

const DbfColumn &DbfFile::column(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_layout.columns.size())
        fail(QStringLiteral("sloupec číslo %1 neexistuje").arg(index + 1));
    return m_layout.columns[index];
}

bool DbfFile::wantsCompaction() const
{
    return writable && deletedThisSession && deletedInFile > 0 && quint64(deletedInFile) * 4 >= stored;
}

// ---- file ----

void DbfFile::readExactly(qint64 offset, char *to, qint64 size) const
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, to + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(QStringLiteral("soubor nelze číst: %1").arg(errnoText(errno)));
        if (n == 0)
            fail(QStringLiteral("soubor je kratší, než udává hlavička (změnil ho jiný program?)"));
        done += n;
    }
}

void DbfFile::writeExactly(qint64 offset, const char *from, qint64 size)
{
    requireWritable();
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, from + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(QStringLiteral("do souboru nelze zapisovat: %1").arg(errnoText(n < 0 ? errno : ENOSPC)));
        done += n;
    }
    wrote = true;
}

void DbfFile::writeHeaderStamp()
{
    dbflayout::stampHeader(m_layout.header, stored);
    writeExactly(1, m_layout.header.constData() + 1, 7);
}

class DbfFile::HeaderLock
{
public:
    explicit HeaderLock(DbfFile &file) : m_fd(file.fd), m_length(file.m_layout.headerLength)
    {
        const auto until = std::chrono::steady_clock::now() + kLockWait;
        auto pause = std::chrono::milliseconds(1);
        for (;;) {
            struct flock lock = request(F_WRLCK);
            if (::fcntl(m_fd, kSetLock, &lock) == 0) {
                m_locked = true;
                return;
            }
            if (errno == EINTR)
                continue;
            if (errno != EACCES && errno != EAGAIN)
                return;   // a file system without locks: nobody else can take one either
            if (std::chrono::steady_clock::now() >= until)
                file.fail(QStringLiteral("tabulku právě zapisuje jiný program (hlavička je zamčená); "
                                         "zkuste to prosím znovu"));
            std::this_thread::sleep_for(pause);
            pause = qMin(pause * 2, std::chrono::milliseconds(20));
        }
    }
    ~HeaderLock()
    {
        if (!m_locked)
            return;
        struct flock lock = request(F_UNLCK);
        ::fcntl(m_fd, kSetLock, &lock);
    }
    HeaderLock(const HeaderLock &) = delete;
    HeaderLock &operator=(const HeaderLock &) = delete;

private:
    struct flock request(short type) const
    {
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = m_length;
        return lock;
    }

    int m_fd;
    int m_length;
    bool m_locked = false;
};

// Under the header's lock: records another program appended since the count was
// last read become rows here, placed before the rows of an unwritten batch, and the
// next record goes after them.
void DbfFile::takeInForeignRecords()
{
    takenIn = 0;
    char count[4];
    readExactly(4, count, 4);
    const quint32 counted = quint32(quint8(count[0])) | quint32(quint8(count[1])) << 8
        | quint32(quint8(count[2])) << 16 | quint32(quint8(count[3])) << 24;
    if (counted <= stored)
        return;
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(QStringLiteral("soubor nelze číst: %1").arg(errnoText(errno)));
    const qint64 room = (st.st_size - m_layout.headerLength) / m_layout.recordLength;
    const qint64 present = qMin<qint64>(counted, room);
    if (present <= stored)
        return;
    if (present > std::numeric_limits<qint32>::max() - 1 - qint64(tailRows))
        fail(QStringLiteral("tabulka má příliš mnoho záznamů (%1)").arg(present));
    std::vector<qint32> foreign;
    scanRecords(stored, quint32(present), present, foreign);
    const quint32 added = quint32(present) - stored;
    // The batch's rows move behind the records taken in.
    std::vector<qint32> batch(m_live.end() - tailRows, m_live.end());
    m_live.resize(m_live.size() - tailRows);
    m_live.insert(m_live.end(), foreign.begin(), foreign.end());
    for (qint32 recno : batch)
        m_live.push_back(recno + qint32(added));
    takenIn = int(foreign.size());
    stored = quint32(present);
    endMarkChecked = false;
    resetCache();
}

// Date of last change, once a day: edits and deletions need no other header bytes.
void DbfFile::stampDateIfOld()
{
    QByteArray probe = m_layout.header.left(8);
    dbflayout::stampHeader(probe, stored);
    if (probe == m_layout.header.left(8))
        return;
    const HeaderLock lock(*this);
    takeInForeignRecords();
    writeHeaderStamp();
}

void DbfFile::open()
{
    const QByteArray native = QFile::encodeName(m_path);
    writable = true;
    fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        writable = false;
        fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        const int err = errno;
        fail(err == ENOENT ? QStringLiteral("soubor neexistuje")
                           : QStringLiteral("soubor nelze otevřít: %1").arg(errnoText(err)));
    }
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            fail(QStringLiteral("soubor nelze číst: %1").arg(errnoText(errno)));
        if (!S_ISREG(st.st_mode))
            fail(QStringLiteral("nejde o soubor"));
        const qint64 size = st.st_size;
        QByteArray head(int(qMin<qint64>(size, 32)), '\0');
        readExactly(0, head.data(), head.size());
        if (head.size() >= 12) {
            const int headerLength = quint8(head[8]) | quint8(head[9]) << 8;
            if (headerLength > 32 && headerLength <= size) {
                head.resize(headerLength);
                readExactly(32, head.data() + 32, headerLength - 32);
            }
        }
        m_layout = dbflayout::parse(head, size, m_path);
        writable = writable && m_layout.writable;
        const qint64 room = (size - m_layout.headerLength) / m_layout.recordLength;
        const qint64 counted = qMin<qint64>(m_layout.headerCount, room);
        if (counted > std::numeric_limits<qint32>::max() - 1)
            fail(QStringLiteral("tabulka má příliš mnoho záznamů (%1)").arg(counted));
        // Memory follows the records in the file, whatever the header claims.
        m_live.clear();
        deletedInFile = 0;
        stored = scanRecords(0, quint32(counted), room, m_live);
        uncounted = stored - quint32(counted);
        blockRecords = quint32(qMax(1, kBlockBytes / m_layout.recordLength));
    } catch (...) {
        ::close(fd);
        fd = -1;
        m_live.clear();
        stored = 0;
        uncounted = 0;
        deletedInFile = 0;
        m_layout = DbfLayout();
        throw;
    }
    wrote = false;
    endMarkChecked = false;
    deletedThisSession = false;
    resetCache();
    m_separator = DbfTable::systemDecimalSeparator();
}

// One pass over the deletion flags of records `first` on. Below `counted` every
// record is one ('*' marks a deleted one; a blank, a 0x00 or anything else counts
// as live, as GDAL reads it). Records behind a header's short count are taken while
// they lie whole in the file and start with a deletion flag (' ' or '*'): the end
// mark or junk after the last record ends them. Live record numbers go to `live`;
// returns the number of records, the first ones included.
quint32 DbfFile::scanRecords(quint32 first, quint32 counted, qint64 room, std::vector<qint32> &live)
{
    const qint64 chunkRecords = qMax<qint64>(1, (1 << 20) / m_layout.recordLength);
    const qint64 last = qMin<qint64>(room, std::numeric_limits<qint32>::max() - 1);
    QByteArray chunk;
    for (qint64 at = first; at < last; at += chunkRecords) {
        const qint64 n = qMin<qint64>(chunkRecords, last - at);
        chunk.resize(qsizetype(n) * m_layout.recordLength);
        readExactly(recordOffset(quint32(at)), chunk.data(), chunk.size());
        for (qint64 i = 0; i < n; ++i) {
            const char flag = chunk[qsizetype(i) * m_layout.recordLength];
            if (at + i >= counted && flag != ' ' && flag != '*')
                return quint32(at + i);
            if (flag == '*')
                ++deletedInFile;
            else
                live.push_back(qint32(at + i));
        }
    }
    return quint32(qMax<qint64>(first, last));
}

void DbfFile::close()
{
    if (fd >= 0) {
        if (wrote)
            ::fdatasync(fd);
        ::close(fd);
    }
    fd = -1;
    m_live.clear();
    m_live.shrink_to_fit();
    tail.clear();
    tailRows = 0;
    batchRows = 0;
    stored = 0;
    uncounted = 0;
    deletedInFile = 0;
    resetCache();
    m_layout = DbfLayout();
}

void DbfFile::create(const QList<FieldDef> &fields)
{
    DbfLayout layout = dbflayout::create(fields, m_path);
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("soubor nelze vytvořit: %1").arg(out.errorString()));
    out.write(layout.header);
    out.write(QByteArray(1, kEndOfFile));
    if (!out.flush() || !out.commit())
        fail(QStringLiteral("soubor nelze vytvořit: %1").arg(out.errorString()));
}

// ---- record cache ----

void DbfFile::resetCache()
{
    for (Block &b : blocks) {
        b.index = -1;
        b.bytes.clear();
    }
}

void DbfFile::forget(quint32 recno)
{
    const qint64 index = recno / blockRecords;
    for (Block &b : blocks)
        if (b.index == index) {
            b.index = -1;
            b.bytes.clear();
        }
}

const char *DbfFile::record(quint32 recno)
{
    if (recno >= stored)
        return tail.constData() + qsizetype(recno - stored) * m_layout.recordLength;
    const qint64 index = recno / blockRecords;
    Block *slot = &blocks[0];
    for (Block &b : blocks) {
        if (b.index == index) {
            b.used = ++clock;
            return b.bytes.constData() + qsizetype(recno - index * blockRecords) * m_layout.recordLength;
        }
        if (b.used < slot->used)
            slot = &b;
    }
    const quint32 first = quint32(index * blockRecords);
    const quint32 n = qMin(blockRecords, stored - first);
    slot->index = -1;
    slot->bytes.resize(qsizetype(n) * m_layout.recordLength);
    readExactly(recordOffset(first), slot->bytes.data(), slot->bytes.size());
    slot->index = index;
    slot->used = ++clock;
    return slot->bytes.constData() + qsizetype(recno - first) * m_layout.recordLength;
}

// ---- writing records ----

void DbfFile::append(const QByteArray &record)
{
    requireWritable();
    // Another program appending at the same time waits for the lock, and what it
    // appended before is behind the count read under it.
    const HeaderLock lock(*this);
    takeInForeignRecords();
    if (stored >= quint32(std::numeric_limits<qint32>::max() - 1))
        fail(QStringLiteral("tabulka má příliš mnoho záznamů"));
    const quint32 recno = stored;
    const qint64 at = recordOffset(recno);
    // Readers that look for the end mark (dbfread) and readers that go by the
    // header's count (GDAL, dBase) must see the same rows at every instant: the
    // mark stays at the record's flag byte while its body and the next mark are
    // written; the flag then marks it deleted, so the count can take it in
    // unseen; clearing the flag shows it to every reader at once.
    ensureEndMarkAt(at);
    QByteArray body = record.mid(1);
    body.append(kEndOfFile);
    writeExactly(at + 1, body.constData(), body.size());
    writeExactly(at, "*", 1);
    forget(recno);
    ++stored;
    try {
        writeHeaderStamp();
    } catch (...) {
        --stored;
        throw;
    }
    try {
        writeExactly(at, " ", 1);
    } catch (...) {
        ++deletedInFile;   // counted, but hidden from every reader
        throw;
    }
    m_live.push_back(qint32(recno));
}

// Another program may have left no end mark, or junk, after the last record.
void DbfFile::ensureEndMarkAt(qint64 at)
{
    if (endMarkChecked)
        return;
    char c = 0;
    if (::pread(fd, &c, 1, off_t(at)) != 1 || c != kEndOfFile)
        writeExactly(at, &kEndOfFile, 1);
    endMarkChecked = true;
}

void DbfFile::addToBatch(const QByteArray &record)
{
    if (stored + tailRows >= quint32(std::numeric_limits<qint32>::max() - 1))
        fail(QStringLiteral("tabulka má příliš mnoho záznamů"));
    const quint32 recno = stored + tailRows;
    tail.append(record);
    tail[qsizetype(tailRows) * m_layout.recordLength] = ' ';
    ++tailRows;
    m_live.push_back(qint32(recno));
}

// Writes the batch's rows in the order every reader agrees with: bodies and
// the next end mark behind the current mark, the rows marked deleted; the
// first flag; the header's count; then all flags live in one write (a torn
// write shows a prefix of the rows).
void DbfFile::flushBatch()
{
    takenIn = 0;
    if (tailRows == 0)
        return;
    requireWritable();
    const HeaderLock lock(*this);
    try {
        takeInForeignRecords();
    } catch (...) {
        dropTail();
        throw;
    }
    const quint32 n = tailRows;
    const qint64 at = recordOffset(stored);
    QByteArray hidden = tail;
    for (quint32 i = 0; i < n; ++i)
        hidden[qsizetype(i) * m_layout.recordLength] = '*';
    hidden.append(kEndOfFile);
    try {
        ensureEndMarkAt(at);
        writeExactly(at + 1, hidden.constData() + 1, hidden.size() - 1);
        writeExactly(at, "*", 1);
    } catch (...) {
        dropTail();
        throw;
    }
    resetCache();
    stored += n;
    try {
        writeHeaderStamp();
    } catch (...) {
        stored -= n;
        dropTail();
        throw;
    }
    try {
        writeExactly(at, tail.constData(), tail.size());
    } catch (...) {
        deletedInFile += n;   // counted, but hidden from every reader
        dropTail();
        throw;
    }
    tail.clear();
    tailRows = 0;
}

// The batch's rows could not be written: they leave the live rows too.
void DbfFile::dropTail()
{
    m_live.resize(m_live.size() - tailRows);
    tail.clear();
    tailRows = 0;
}

void DbfFile::writeChanges(quint32 recno, const QByteArray &record, const QByteArray &original)
{
    // Only the bytes that changed: less to write, less to tear if the process dies.
    int first = 0, last = record.size() - 1;
    while (first <= last && record[first] == original[first])
        ++first;
    while (last >= first && record[last] == original[last])
        --last;
    if (first <= last)
        writeExactly(recordOffset(recno) + first, record.constData() + first, last - first + 1);
    forget(recno);
    stampDateIfOld();
}

void DbfFile::deleteRow(int row)
{
    const quint32 recno = quint32(m_live[size_t(row)]);
    const char mark = '*';
    writeExactly(recordOffset(recno), &mark, 1);
    forget(recno);
    m_live.erase(m_live.begin() + row);
    ++deletedInFile;
    deletedThisSession = true;
    stampDateIfOld();
}

// ---- writing whole files ----

void DbfFile::rewrite(const std::vector<qint32> &keepRows)
{
    requireWritable();
    {
        const HeaderLock lock(*this);
        // Rows another program appended meanwhile are kept.
        std::vector<qint32> keep = keepRows;
        const auto firstTaken = m_live.size() - tailRows;
        takeInForeignRecords();
        keep.insert(keep.end(), m_live.begin() + qsizetype(firstTaken),
                    m_live.begin() + qsizetype(firstTaken) + takenIn);
        writeWhole(keep);
    }
    // The old descriptor points at the replaced file.
    ::close(fd);
    fd = -1;
    m_live.clear();
    tail.clear();
    tailRows = 0;
    open();
    wrote = true;
}

void DbfFile::writeWhole(const std::vector<qint32> &keep)
{
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("soubor nelze přepsat: %1").arg(out.errorString()));
    QByteArray header = m_layout.header;
    dbflayout::stampHeader(header, quint32(keep.size()));
    out.write(header);
    QByteArray chunk;
    chunk.reserve(kBlockBytes + m_layout.recordLength);
    for (qint32 recno : keep) {
        chunk.append(record(quint32(recno)), m_layout.recordLength);
        if (chunk.size() >= kBlockBytes) {
            out.write(chunk);
            chunk.clear();
        }
    }
    chunk.append(kEndOfFile);
    out.write(chunk);
    if (!out.flush() || !out.commit())
        fail(QStringLiteral("soubor nelze přepsat: %1").arg(out.errorString()));
}

} // namespace kvitanky
