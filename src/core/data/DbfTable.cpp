// SPDX-License-Identifier: GPL-3.0-or-later
// The table engine.
//
// On disk: dBase III / FoxPro 2.x (version byte 0x03, no memo), Windows-1250 text with
// language driver 0xC8. ftString is a C column, ftFloat an N column 20 wide with 4
// decimals (an amount is written with its 4 decimals when they hold it exactly,
// otherwise as the shortest text that reads back as the same double, so every
// double round-trips and GDAL and dbfread read a number), ftSmallint an N column
// 6 wide without decimals.
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
#include "data/DbfTable.h"

#include "data/DbfLayout.h"
#include "data/DbfNumber.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTime>
#include <QtEndian>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvitanky {

namespace {

constexpr int kBlockBytes = 64 * 1024;
constexpr char kEndOfFile = 0x1A;

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

qint32 le32(const char *p)
{
    quint32 v = 0;
    std::memcpy(&v, p, 4);
    return qint32(qFromLittleEndian(v));
}

qint64 le64(const char *p)
{
    quint64 v = 0;
    std::memcpy(&v, p, 8);
    return qint64(qFromLittleEndian(v));
}

double leDouble(const char *p)
{
    const quint64 bits = quint64(le64(p));
    double v = 0;
    std::memcpy(&v, &bits, 8);
    return v;
}

void putLe32(char *p, qint32 v)
{
    const quint32 u = qToLittleEndian(quint32(v));
    std::memcpy(p, &u, 4);
}

void putLe64(char *p, qint64 v)
{
    const quint64 u = qToLittleEndian(quint64(v));
    std::memcpy(p, &u, 8);
}

// Columns kept as binary numbers rather than text.
bool isBinary(const DbfColumn &c)
{
    switch (c.type) {
    case 'I': case 'Y': case 'T': case '0': case '@': case '+': case 'O': case 'Q':
        return true;
    case 'B':
        return c.length == 8;
    case 'M': case 'G': case 'P': case 'W':
        return c.length == 4;
    default:
        return false;
    }
}

QString hexText(const char *p, int n)
{
    return QString::fromLatin1(QByteArray(p, n).toHex().toUpper());
}

QByteArray trimmedBytes(const char *p, int n)
{
    int b = 0;
    while (b < n && (p[b] == ' ' || p[b] == '\0'))
        ++b;
    while (n > b && (p[n - 1] == ' ' || p[n - 1] == '\0'))
        --n;
    return QByteArray(p + b, n - b);
}

} // namespace

struct DbfTable::Impl {
    enum class State { Browse, Edit, Insert };

    QString path;
    TableType tableType = TableType::FoxPro;
    QList<FieldDef> defs;

    int fd = -1;
    bool writable = false;
    bool wrote = false;
    DbfLayout layout;
    quint32 stored = 0;            // records in the file, deleted ones included
    quint32 deletedInFile = 0;
    bool deletedThisSession = false;
    std::vector<qint32> live;      // record numbers of the live rows, ascending

    int pos = -1;
    bool bof = true;
    bool eof = true;

    State state = State::Browse;
    QByteArray buffer;             // the pending record
    QByteArray original;           // the edited record as stored
    bool endMarkChecked = false;   // the byte after the last record is known to be 0x1A
    // New rows posted in a batch, not yet in the file: records stored .. stored+tailRows-1.
    QByteArray tail;
    quint32 tailRows = 0;
    quint32 batchRows = 0;         // 0: every new row is written as it is posted
    bool modified = false;
    int savedPos = -1;             // cursor before Append/Insert, back after Cancel
    bool savedBof = true;
    bool savedEof = true;

    struct Block {
        qint64 index = -1;
        QByteArray bytes;
        quint64 used = 0;
    };
    std::array<Block, 4> blocks;
    quint64 clock = 0;
    quint32 blockRecords = 1;
    QChar separator = QLatin1Char(',');

    bool isOpen() const { return fd >= 0; }

    [[noreturn]] void fail(const QString &reason) const { throwDbfError(path, reason); }

    void requireOpen() const
    {
        if (!isOpen())
            fail(QStringLiteral("tabulka není otevřena"));
    }

    void requireWritable() const
    {
        if (!writable)
            fail(QStringLiteral("soubor je jen pro čtení, změny nelze uložit"));
    }

    const DbfColumn &column(int index) const
    {
        requireOpen();
        if (index < 0 || index >= layout.columns.size())
            fail(QStringLiteral("sloupec číslo %1 neexistuje").arg(index + 1));
        return layout.columns[index];
    }

    qint64 recordOffset(quint32 recno) const
    {
        return qint64(layout.headerLength) + qint64(recno) * layout.recordLength;
    }

    // ---- file ----

    void readExactly(qint64 offset, char *to, qint64 size) const
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

    void writeExactly(qint64 offset, const char *from, qint64 size)
    {
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

    void writeHeaderStamp()
    {
        dbflayout::stampHeader(layout.header, stored);
        writeExactly(1, layout.header.constData() + 1, 7);
    }

    // Date of last change, once a day: edits and deletions need no other header bytes.
    void stampDateIfOld()
    {
        QByteArray probe = layout.header.left(8);
        dbflayout::stampHeader(probe, stored);
        if (probe != layout.header.left(8))
            writeHeaderStamp();
    }

    void openFile()
    {
        const QByteArray native = QFile::encodeName(path);
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
            layout = dbflayout::parse(head, size, path);
            const qint64 room = (size - layout.headerLength) / layout.recordLength;
            const qint64 count = qMin<qint64>(layout.headerCount, room);
            if (count > std::numeric_limits<qint32>::max() - 1)
                fail(QStringLiteral("tabulka má příliš mnoho záznamů (%1)").arg(count));
            stored = quint32(count);
            blockRecords = quint32(qMax(1, kBlockBytes / layout.recordLength));
            scanDeletionFlags();
        } catch (...) {
            ::close(fd);
            fd = -1;
            live.clear();
            stored = 0;
            deletedInFile = 0;
            layout = DbfLayout();
            throw;
        }
        wrote = false;
        endMarkChecked = false;
        deletedThisSession = false;
        resetCache();
        separator = DbfTable::systemDecimalSeparator();
    }

    // One pass over the file: which records are live ('*' marks a deleted one; a
    // blank, a 0x00 or anything else counts as live, as GDAL reads it).
    void scanDeletionFlags()
    {
        live.clear();
        live.reserve(stored);
        deletedInFile = 0;
        const qint64 chunkRecords = qMax<qint64>(1, (1 << 20) / layout.recordLength);
        QByteArray chunk;
        for (quint32 first = 0; first < stored; first += quint32(chunkRecords)) {
            const quint32 n = quint32(qMin<qint64>(chunkRecords, stored - first));
            chunk.resize(qsizetype(n) * layout.recordLength);
            readExactly(recordOffset(first), chunk.data(), chunk.size());
            for (quint32 i = 0; i < n; ++i) {
                if (chunk[qsizetype(i) * layout.recordLength] == '*')
                    ++deletedInFile;
                else
                    live.push_back(qint32(first + i));
            }
        }
    }

    void closeFile()
    {
        if (fd >= 0) {
            if (wrote)
                ::fdatasync(fd);
            ::close(fd);
        }
        fd = -1;
        live.clear();
        live.shrink_to_fit();
        tail.clear();
        tailRows = 0;
        batchRows = 0;
        stored = 0;
        deletedInFile = 0;
        pos = -1;
        bof = eof = true;
        state = State::Browse;
        buffer.clear();
        modified = false;
        resetCache();
        layout = DbfLayout();
    }

    // ---- record cache ----

    void resetCache()
    {
        for (Block &b : blocks) {
            b.index = -1;
            b.bytes.clear();
        }
    }

    void forget(quint32 recno)
    {
        const qint64 index = recno / blockRecords;
        for (Block &b : blocks)
            if (b.index == index) {
                b.index = -1;
                b.bytes.clear();
            }
    }

    const char *record(quint32 recno)
    {
        if (recno >= stored)
            return tail.constData() + qsizetype(recno - stored) * layout.recordLength;
        const qint64 index = recno / blockRecords;
        Block *slot = &blocks[0];
        for (Block &b : blocks) {
            if (b.index == index) {
                b.used = ++clock;
                return b.bytes.constData() + qsizetype(recno - index * blockRecords) * layout.recordLength;
            }
            if (b.used < slot->used)
                slot = &b;
        }
        const quint32 first = quint32(index * blockRecords);
        const quint32 n = qMin(blockRecords, stored - first);
        slot->index = -1;
        slot->bytes.resize(qsizetype(n) * layout.recordLength);
        readExactly(recordOffset(first), slot->bytes.data(), slot->bytes.size());
        slot->index = index;
        slot->used = ++clock;
        return slot->bytes.constData() + qsizetype(recno - first) * layout.recordLength;
    }

    // The record the fields read: the pending one, else the current row, else none.
    const char *currentRecord()
    {
        if (state != State::Browse)
            return buffer.constData();
        if (pos < 0)
            return nullptr;
        return record(quint32(live[size_t(pos)]));
    }

    QByteArray blankRecord() const
    {
        QByteArray r(layout.recordLength, ' ');
        for (const DbfColumn &c : layout.columns)
            if (isBinary(c))
                std::memset(r.data() + c.offset, 0, size_t(c.length));
        return r;
    }

    // ---- cursor ----

    // Before a move, Append or Insert: a changed pending record is posted, an
    // unchanged new one dropped.
    void settle()
    {
        if (state == State::Browse)
            return;
        if (modified)
            post();
        else
            cancel();
    }

    void startNew(bool atEnd)
    {
        requireOpen();
        requireWritable();
        settle();
        savedPos = pos;
        savedBof = bof;
        savedEof = eof;
        state = State::Insert;
        buffer = blankRecord();
        modified = false;
        bof = false;
        eof = atEnd;
    }

    void post()
    {
        requireOpen();
        if (state == State::Browse)
            return;
        requireWritable();
        if (state == State::Insert && batchRows > 0) {
            if (stored + tailRows >= quint32(std::numeric_limits<qint32>::max() - 1))
                fail(QStringLiteral("tabulka má příliš mnoho záznamů"));
            const quint32 recno = stored + tailRows;
            tail.append(buffer);
            tail[qsizetype(tailRows) * layout.recordLength] = ' ';
            ++tailRows;
            live.push_back(qint32(recno));
            pos = int(live.size()) - 1;
            bof = eof = false;
            state = State::Browse;
            buffer.clear();
            original.clear();
            modified = false;
            if (tailRows >= batchRows)
                flushTail();
            return;
        }
        flushTail();
        if (state == State::Insert) {
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
            QByteArray body = buffer.mid(1);
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
            live.push_back(qint32(recno));
            pos = int(live.size()) - 1;
            bof = eof = false;
        } else if (modified) {
            const quint32 recno = quint32(live[size_t(pos)]);
            buffer[0] = ' ';   // a row flagged 0x00 by another program becomes live for every reader
            // Only the bytes that changed: less to write, less to tear if the process dies.
            int first = 0, last = buffer.size() - 1;
            while (first <= last && buffer[first] == original[first])
                ++first;
            while (last >= first && buffer[last] == original[last])
                --last;
            if (first <= last)
                writeExactly(recordOffset(recno) + first, buffer.constData() + first, last - first + 1);
            forget(recno);
            stampDateIfOld();
        }
        state = State::Browse;
        buffer.clear();
        original.clear();
        modified = false;
    }

    // Another program may have left no end mark, or junk, after the last record.
    void ensureEndMarkAt(qint64 at)
    {
        if (endMarkChecked)
            return;
        char c = 0;
        if (::pread(fd, &c, 1, off_t(at)) != 1 || c != kEndOfFile)
            writeExactly(at, &kEndOfFile, 1);
        endMarkChecked = true;
    }

    // Writes the batch's rows in the order every reader agrees with: bodies and
    // the next end mark behind the current mark, the rows marked deleted; the
    // first flag; the header's count; then all flags live in one write (a torn
    // write shows a prefix of the rows).
    void flushTail()
    {
        if (tailRows == 0)
            return;
        const quint32 n = tailRows;
        const qint64 at = recordOffset(stored);
        QByteArray hidden = tail;
        for (quint32 i = 0; i < n; ++i)
            hidden[qsizetype(i) * layout.recordLength] = '*';
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

    // The batch's rows could not be written: they leave the cursor too.
    void dropTail()
    {
        live.resize(live.size() - tailRows);
        tail.clear();
        tailRows = 0;
        const int rows = int(live.size());
        pos = rows == 0 ? -1 : qMin(pos, rows - 1);
        if (rows == 0)
            bof = eof = true;
    }

    void cancel()
    {
        if (state == State::Insert) {
            pos = live.empty() ? -1 : qBound(0, savedPos < 0 ? 0 : savedPos, int(live.size()) - 1);
            bof = live.empty() || savedBof;
            eof = live.empty() || savedEof;
        }
        state = State::Browse;
        buffer.clear();
        original.clear();
        modified = false;
    }

    // ---- writing whole files ----

    // Writes header + the given records + end mark to a new file renamed over the
    // old one, then reopens it. `records` yields record numbers of the old file.
    void rewrite(const std::vector<qint32> &keep)
    {
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            fail(QStringLiteral("soubor nelze přepsat: %1").arg(out.errorString()));
        QByteArray header = layout.header;
        dbflayout::stampHeader(header, quint32(keep.size()));
        out.write(header);
        QByteArray chunk;
        chunk.reserve(kBlockBytes + layout.recordLength);
        for (qint32 recno : keep) {
            chunk.append(record(quint32(recno)), layout.recordLength);
            if (chunk.size() >= kBlockBytes) {
                out.write(chunk);
                chunk.clear();
            }
        }
        chunk.append(kEndOfFile);
        out.write(chunk);
        if (!out.flush() || !out.commit())
            fail(QStringLiteral("soubor nelze přepsat: %1").arg(out.errorString()));

        // The old descriptor points at the replaced file.
        const int keepPos = pos;
        ::close(fd);
        fd = -1;
        live.clear();
        tail.clear();
        tailRows = 0;
        openFile();
        wrote = true;
        pos = live.empty() ? -1 : qBound(0, keepPos, int(live.size()) - 1);
        bof = eof = live.empty();
    }

    // ---- values ----

    QString text(const DbfColumn &c, const char *rec) const
    {
        if (!rec)
            return {};
        const char *p = rec + c.offset;
        switch (c.type) {
        case 'N':
        case 'F': {
            const QByteArray t = trimmedBytes(p, c.length);
            if (t.isEmpty())
                return {};
            if (const auto v = dbfnumber::parseDecimal(t))
                return dbfnumber::general(*v, separator);
            return decode(t, layout.codepage);
        }
        case 'L':
            switch (*p) {
            case 'T': case 't': case 'Y': case 'y': return QStringLiteral("True");
            case 'F': case 'f': case 'N': case 'n': return QStringLiteral("False");
            default: return {};
            }
        case 'D': {
            const QByteArray t = trimmedBytes(p, c.length);
            const QDate d = QDate::fromString(QString::fromLatin1(t), QStringLiteral("yyyyMMdd"));
            if (d.isValid())
                return d.toString(Qt::ISODate);
            return t.count('0') == t.size() ? QString() : decode(t, layout.codepage);
        }
        case 'T':
            if (c.length == 8) {
                const qint32 day = le32(p);
                const qint32 ms = le32(p + 4);
                if (day == 0 && ms == 0)
                    return {};
                const QDate d = QDate::fromJulianDay(day);
                if (d.isValid() && ms >= 0 && ms < 86400000)
                    return d.toString(Qt::ISODate) + QLatin1Char(' ')
                        + QTime::fromMSecsSinceStartOfDay(ms).toString(QStringLiteral("HH:mm:ss"));
            }
            return hexText(p, c.length);
        case 'I':
            return c.length == 4 ? QString::number(le32(p)) : hexText(p, c.length);
        case 'Y':
            return c.length == 8 ? dbfnumber::general(double(le64(p)) / 10000.0, separator) : hexText(p, c.length);
        case 'B':
            if (c.length == 8)
                return dbfnumber::general(leDouble(p), separator);
            return decode(trimmedBytes(p, c.length), layout.codepage);
        case 'M': case 'G': case 'P': case 'W':
            if (c.length == 4) {
                const qint32 block = le32(p);
                return block == 0 ? QString() : QString::number(block);
            }
            return decode(trimmedBytes(p, c.length), layout.codepage);
        case '0': case '@': case '+': case 'O': case 'Q':
            return hexText(p, c.length);
        default: {   // C, V
            int n = c.length;
            while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0'))
                --n;
            return decode(p, n, layout.codepage);
        }
        }
    }

    [[noreturn]] void notANumber(const DbfColumn &c, const QString &value) const
    {
        fail(QStringLiteral("hodnota '%1' ve sloupci '%2' není číslo").arg(value, c.name));
    }

    double number(const DbfColumn &c, const char *rec) const
    {
        if (!rec)
            return 0;
        const char *p = rec + c.offset;
        switch (c.type) {
        case 'N':
        case 'F': {
            const QByteArray t = trimmedBytes(p, c.length);
            if (t.isEmpty())
                return 0;
            if (const auto v = dbfnumber::parseDecimal(t))
                return *v;
            notANumber(c, decode(t, layout.codepage));
        }
        case 'I':
            if (c.length == 4)
                return le32(p);
            break;
        case 'Y':
            if (c.length == 8)
                return double(le64(p)) / 10000.0;
            break;
        case 'B':
            if (c.length == 8) {
                const double v = leDouble(p);
                if (!std::isfinite(v))   // a stored NaN or infinity is no amount
                    notANumber(c, text(c, rec));
                return v;
            }
            break;
        case 'L':
            return text(c, rec) == QLatin1String("True") ? 1 : 0;
        case 'C':
        case 'V':
            break;
        default:
            fail(QStringLiteral("sloupec '%1' (typ %2) nelze číst jako číslo").arg(c.name, QChar::fromLatin1(c.type)));
        }
        const QString t = text(c, rec);
        if (t.trimmed().isEmpty())
            return 0;
        if (const auto v = dbfnumber::parseDecimal(t))
            return *v;
        notANumber(c, t);
    }

    int integer(const DbfColumn &c, const char *rec) const
    {
        const double v = number(c, rec);
        const bool textual = c.type == 'C' || c.type == 'V';
        if (textual && v != std::trunc(v))
            fail(QStringLiteral("hodnota '%1' ve sloupci '%2' není celé číslo").arg(text(c, rec), c.name));
        const double r = std::nearbyint(v);
        if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
            fail(QStringLiteral("číslo %1 ve sloupci '%2' je mimo rozsah celých čísel")
                     .arg(dbfnumber::general(v, QLatin1Char('.')), c.name));
        return int(r);
    }

    char *pendingField(const DbfColumn &c)
    {
        if (state == State::Browse)
            fail(QStringLiteral("záznam není v režimu úprav (sloupec '%1')").arg(c.name));
        return buffer.data() + c.offset;
    }

    [[noreturn]] void readOnlyColumn(const DbfColumn &c) const
    {
        fail(QStringLiteral("do sloupce '%1' (typ %2) nelze zapisovat").arg(c.name, QChar::fromLatin1(c.type)));
    }

    void setText(const DbfColumn &c, const QString &value)
    {
        switch (c.type) {
        case 'C': {
            char *p = pendingField(c);
            const QByteArray bytes = encode(value, layout.codepage).left(c.length);
            std::memset(p, ' ', size_t(c.length));
            std::memcpy(p, bytes.constData(), size_t(bytes.size()));
            modified = true;
            return;
        }
        case 'N': case 'F': case 'I': case 'Y': case 'B':
            if (c.type == 'B' && c.length != 8)
                readOnlyColumn(c);
            if (value.trimmed().isEmpty()) {
                pendingField(c);
                clearField(c);
                return;
            }
            if (const auto v = dbfnumber::parseDecimal(value)) {
                if (c.apiType == FieldType::Smallint && *v != std::trunc(*v))
                    fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není celé číslo").arg(value, c.name));
                setNumber(c, *v);
                return;
            }
            fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není číslo").arg(value, c.name));
        case 'L': {
            const QString t = value.trimmed().toUpper();
            char letter = 0;
            if (t.isEmpty())
                letter = ' ';
            else if (t == QLatin1String("T") || t == QLatin1String("TRUE") || t == QLatin1String("Y")
                     || t == QLatin1String("1") || t == QLatin1String("A") || t == QLatin1String("ANO"))
                letter = 'T';
            else if (t == QLatin1String("F") || t == QLatin1String("FALSE") || t == QLatin1String("N")
                     || t == QLatin1String("0") || t == QLatin1String("NE"))
                letter = 'F';
            else
                fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není logická hodnota").arg(value, c.name));
            *pendingField(c) = letter;
            modified = true;
            return;
        }
        case 'D': {
            const QString t = value.trimmed();
            QDate d;
            if (!t.isEmpty()) {
                for (const char *format : {"yyyy-MM-dd", "yyyyMMdd", "d.M.yyyy"}) {
                    d = QDate::fromString(t, QLatin1String(format));
                    if (d.isValid())
                        break;
                }
                if (!d.isValid() || d.year() < 1 || d.year() > 9999)
                    fail(QStringLiteral("hodnota '%1' pro sloupec '%2' není datum").arg(value, c.name));
            }
            char *p = pendingField(c);
            const QByteArray bytes = t.isEmpty() ? QByteArray(8, ' ') : d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
            std::memset(p, ' ', size_t(c.length));
            std::memcpy(p, bytes.constData(), size_t(qMin<qsizetype>(bytes.size(), c.length)));
            modified = true;
            return;
        }
        default:
            readOnlyColumn(c);
        }
    }

    void clearField(const DbfColumn &c)
    {
        char *p = pendingField(c);
        std::memset(p, isBinary(c) ? 0 : ' ', size_t(c.length));
        modified = true;
    }

    void setNumber(const DbfColumn &c, double v)
    {
        if (!std::isfinite(v))
            fail(QStringLiteral("do sloupce '%1' nelze zapsat neplatné číslo").arg(c.name));
        const auto outOfRange = [&] {
            fail(QStringLiteral("číslo %1 se nevejde do sloupce '%2'").arg(dbfnumber::general(v, QLatin1Char('.')), c.name));
        };
        switch (c.type) {
        case 'N':
        case 'F': {
            if (c.apiType == FieldType::Smallint) {
                const double r = std::nearbyint(v);
                if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
                    outOfRange();
            }
            const QByteArray t = dbfnumber::columnText(v, c.length, c.decimals);
            if (t.isEmpty())
                outOfRange();
            std::memcpy(pendingField(c), t.constData(), size_t(c.length));
            break;
        }
        case 'I': {
            const double r = std::nearbyint(v);
            if (c.length != 4 || r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
                outOfRange();
            putLe32(pendingField(c), qint32(r));
            break;
        }
        case 'Y': {
            const double r = std::nearbyint(v * 10000.0);
            if (c.length != 8 || std::fabs(r) >= 9.2e18)
                outOfRange();
            putLe64(pendingField(c), qint64(r));
            break;
        }
        case 'B': {
            if (c.length != 8)
                readOnlyColumn(c);
            quint64 bits = 0;
            std::memcpy(&bits, &v, 8);
            putLe64(pendingField(c), qint64(bits));
            break;
        }
        case 'L':
            *pendingField(c) = v != 0 ? 'T' : 'F';
            break;
        case 'C':
            setText(c, dbfnumber::general(v, QLatin1Char('.')));
            break;
        default:
            readOnlyColumn(c);
        }
        modified = true;
    }
};

// ---------------------------------------------------------------- DbfField

QString DbfField::asString() const
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->column(m_index);
    return d->text(c, d->currentRecord());
}

double DbfField::asFloat() const
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->column(m_index);
    return d->number(c, d->currentRecord());
}

int DbfField::asInteger() const
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->column(m_index);
    return d->integer(c, d->currentRecord());
}

double DbfField::asFloatOr(double fallback) const
{
    try {
        return asFloat();
    } catch (const DbfError &) {
        return fallback;
    }
}

int DbfField::asIntegerOr(int fallback) const
{
    try {
        return asInteger();
    } catch (const DbfError &) {
        return fallback;
    }
}

void DbfField::setAsString(const QString &value)
{
    auto *d = m_table->d.get();
    d->setText(d->column(m_index), value);
}

void DbfField::setAsFloat(double value)
{
    auto *d = m_table->d.get();
    d->setNumber(d->column(m_index), value);
}

void DbfField::setAsInteger(int value)
{
    auto *d = m_table->d.get();
    const DbfColumn &c = d->column(m_index);
    if (c.type == 'C')
        d->setText(c, QString::number(value));
    else
        d->setNumber(c, value);
}

QString DbfField::name() const
{
    return m_table->d->column(m_index).name;
}

// ---------------------------------------------------------------- DbfTable

DbfTable::DbfTable() : d(std::make_unique<Impl>()) {}

DbfTable::~DbfTable()
{
    try {
        setActive(false);
    } catch (...) {
        // A pending record that cannot be written is lost with the table object;
        // the file itself stays consistent.
    }
}

void DbfTable::setTableType(TableType type)
{
    if (d->isOpen())
        d->fail(QStringLiteral("typ tabulky nelze měnit, když je otevřená"));
    d->tableType = type;
}

void DbfTable::setTableName(const QString &path)
{
    if (d->isOpen())
        d->fail(QStringLiteral("název souboru nelze měnit, když je tabulka otevřená"));
    d->path = path;
}

QString DbfTable::tableName() const { return d->path; }

void DbfTable::setActive(bool active)
{
    if (active == d->isOpen())
        return;
    if (active) {
        if (d->path.isEmpty())
            throw DbfError("Tabulka '': není zadán soubor tabulky");
        d->openFile();
        d->pos = d->live.empty() ? -1 : 0;
        d->bof = true;
        d->eof = d->live.empty();
        return;
    }
    std::exception_ptr failure;
    try {
        // Closing keeps a changed pending record rather than losing it.
        d->settle();
        d->flushTail();
    } catch (...) {
        failure = std::current_exception();
        d->cancel();
    }
    if (!failure && d->writable && d->deletedThisSession && d->deletedInFile > 0
        && quint64(d->deletedInFile) * 4 >= d->stored) {
        try {
            d->rewrite(d->live);
        } catch (...) {
            // Compaction is housekeeping: the marked rows stay hidden either way.
        }
    }
    d->closeFile();
    if (failure)
        std::rethrow_exception(failure);
}

bool DbfTable::active() const { return d->isOpen(); }

bool DbfTable::exists() const
{
    return d->isOpen() || (!d->path.isEmpty() && QFileInfo(d->path).isFile());
}

void DbfTable::clearFieldDefs() { d->defs.clear(); }

void DbfTable::addFieldDef(const QString &name, FieldType type, int size)
{
    d->defs.append(FieldDef{name, type, size});
}

void DbfTable::clearIndexDefs()
{
    // The tables have no index: rows stay in the order they were added.
}

void DbfTable::createTable()
{
    if (d->path.isEmpty())
        throw DbfError("Tabulka '': není zadán soubor tabulky");
    if (d->isOpen())
        d->fail(QStringLiteral("tabulku nelze vytvořit, když je otevřená"));
    DbfLayout layout = dbflayout::create(d->defs, d->path);
    QSaveFile out(d->path);
    if (!out.open(QIODevice::WriteOnly))
        d->fail(QStringLiteral("soubor nelze vytvořit: %1").arg(out.errorString()));
    out.write(layout.header);
    out.write(QByteArray(1, kEndOfFile));
    if (!out.flush() || !out.commit())
        d->fail(QStringLiteral("soubor nelze vytvořit: %1").arg(out.errorString()));
}

void DbfTable::first()
{
    d->requireOpen();
    d->settle();
    d->pos = d->live.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->live.empty();
}

void DbfTable::last()
{
    d->requireOpen();
    d->settle();
    d->pos = int(d->live.size()) - 1;
    d->eof = true;
    d->bof = d->live.empty();
}

void DbfTable::prior()
{
    d->requireOpen();
    d->settle();
    if (d->bof)
        return;
    d->eof = false;
    if (d->pos > 0)
        --d->pos;
    else
        d->bof = true;
}

void DbfTable::next()
{
    d->requireOpen();
    d->settle();
    if (d->eof)
        return;
    d->bof = false;
    if (d->pos + 1 < int(d->live.size()))
        ++d->pos;
    else
        d->eof = true;
}

bool DbfTable::bof() const { return !d->isOpen() || d->bof; }
bool DbfTable::eof() const { return !d->isOpen() || d->eof; }
int DbfTable::recordCount() const { return int(d->live.size()); }

int DbfTable::recNo() const
{
    return d->state == Impl::State::Insert ? -1 : d->pos;
}

void DbfTable::moveTo(int row)
{
    d->requireOpen();
    d->settle();
    const int n = int(d->live.size());
    if (n == 0) {
        d->pos = -1;
        d->bof = d->eof = true;
        return;
    }
    d->pos = qBound(0, row, n - 1);
    d->bof = row < 0;
    d->eof = row >= n;
}

void DbfTable::append() { d->startNew(true); }
void DbfTable::insert() { d->startNew(false); }

void DbfTable::edit()
{
    d->requireOpen();
    if (d->state != Impl::State::Browse)
        return;
    if (d->live.empty()) {
        d->startNew(false);
        return;
    }
    d->requireWritable();
    const char *rec = d->record(quint32(d->live[size_t(d->pos)]));
    d->buffer = QByteArray(rec, d->layout.recordLength);
    d->original = d->buffer;
    d->state = Impl::State::Edit;
    d->modified = false;
}

void DbfTable::post() { d->post(); }

void DbfTable::cancel()
{
    if (d->isOpen())
        d->cancel();
}

void DbfTable::deleteRecord()
{
    d->requireOpen();
    if (d->state == Impl::State::Insert) {
        d->cancel();
        return;
    }
    if (d->live.empty())
        d->fail(QStringLiteral("tabulka je prázdná, není co smazat"));
    d->requireWritable();
    d->cancel();
    d->flushTail();
    const quint32 recno = quint32(d->live[size_t(d->pos)]);
    const char mark = '*';
    d->writeExactly(d->recordOffset(recno), &mark, 1);
    d->forget(recno);
    d->live.erase(d->live.begin() + d->pos);
    ++d->deletedInFile;
    d->deletedThisSession = true;
    d->stampDateIfOld();
    const int n = int(d->live.size());
    if (n == 0) {
        d->pos = -1;
        d->bof = d->eof = true;
    } else {
        d->pos = qMin(d->pos, n - 1);
        d->bof = d->eof = false;
    }
}

void DbfTable::deleteAll()
{
    d->requireOpen();
    d->requireWritable();
    d->cancel();
    d->rewrite({});
}

bool DbfTable::isEditing() const { return d->state != Impl::State::Browse; }

DbfField DbfTable::fieldByName(const QString &name)
{
    d->requireOpen();
    const int index = fieldIndex(name);
    if (index < 0)
        d->fail(QStringLiteral("sloupec '%1' neexistuje").arg(name));
    return DbfField(this, index);
}

int DbfTable::fieldCount() const { return int(d->layout.columns.size()); }

QList<FieldDef> DbfTable::fields() const
{
    QList<FieldDef> out;
    out.reserve(d->layout.columns.size());
    for (const DbfColumn &c : d->layout.columns) {
        FieldDef f{c.name, c.apiType, c.length};
        f.dbfType = c.type;
        f.decimals = c.decimals;
        out.append(f);
    }
    return out;
}

int DbfTable::fieldIndex(const QString &name) const
{
    const QList<DbfColumn> &cols = d->layout.columns;
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString DbfTable::displayText(int row, int field) const
{
    if (!d->isOpen() || row < 0 || row >= int(d->live.size()) || field < 0
        || field >= d->layout.columns.size())
        return {};
    try {
        const char *rec = d->state == Impl::State::Edit && row == d->pos
            ? d->buffer.constData()
            : d->record(quint32(d->live[size_t(row)]));
        return d->text(d->layout.columns[field], rec);
    } catch (const DbfError &) {
        return {};   // a file cut short under us: the grid shows a blank cell
    }
}

void DbfTable::pack()
{
    d->requireOpen();
    d->requireWritable();
    d->settle();
    if (d->deletedInFile == 0)
        return;
    d->rewrite(d->live);
}

QString DbfTable::formatGeneral(double value, QChar decimalSeparator)
{
    return dbfnumber::general(value, decimalSeparator);
}

QChar DbfTable::systemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

bool DbfTable::isReadOnly() const { return d->isOpen() && !d->writable; }
int DbfTable::storedRecordCount() const { return int(d->stored + d->tailRows); }

void DbfTable::setAppendBatch(int rows)
{
    if (rows <= 0 && d->isOpen())
        d->flushTail();
    d->batchRows = quint32(qMax(0, rows));
}

void DbfTable::flushAppends()
{
    if (d->isOpen())
        d->flushTail();
}

} // namespace kvitanky
