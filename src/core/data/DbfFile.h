// SPDX-License-Identifier: GPL-3.0-or-later
// The table file on disk: its header, its records read through a small block cache,
// new records written in the order every reader agrees with (one at a time or in
// batches), changed bytes written in place, deletion marks and compaction.
// It knows which records are live; the cursor over them is DbfTable's.
#pragma once

#include "data/DbfLayout.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

#include <array>
#include <vector>

namespace kvitanky {

class DbfFile
{
public:
    DbfFile() = default;
    DbfFile(const DbfFile &) = delete;
    DbfFile &operator=(const DbfFile &) = delete;

    void setPath(const QString &path) { m_path = path; }
    const QString &path() const { return m_path; }

    // Every error names the file: "Tabulka '<file>': <reason>".
    [[noreturn]] void fail(const QString &reason) const { throwDbfError(m_path, reason); }
    void requireOpen() const;
    void requireWritable() const;

    bool isOpen() const { return fd >= 0; }
    bool isWritable() const { return writable; }
    // Why the open file will not be written ("" when it may be, or when only the
    // system refuses), and what else a user should hear about it when it opens.
    QString readOnlyReason() const;
    QString openNotice() const;
    const DbfLayout &layout() const { return m_layout; }
    const DbfColumn &column(int index) const;   // requires an open file
    QChar separator() const { return m_separator; }   // the decimal separator shown

    // Record numbers of the live rows, ascending (rows of an unwritten batch included).
    const std::vector<qint32> &live() const { return m_live; }
    quint32 storedRecords() const { return stored; }   // in the file, deleted ones included
    quint32 batchedRecords() const { return tailRows; }   // posted, not yet in the file
    quint32 deletedRecords() const { return deletedInFile; }
    // Live rows another program had added, taken in by the last write, placed
    // before the rows of the batch.
    int rowsTakenIn() const { return takenIn; }
    // Closing compacts a file this session deleted a quarter of.
    bool wantsCompaction() const;

    void open();
    void close();   // syncs the file if it was written
    void create(const QList<FieldDef> &fields);   // a new empty file with these columns

    // The bytes of a record (a row of an unwritten batch included).
    const char *record(quint32 recno);

    // Writes a new record before it returns.
    void append(const QByteArray &record);
    // Batched appends: rows go to memory and reach the file at flushBatch().
    void setBatchRows(quint32 rows) { batchRows = rows; }
    bool isBatching() const { return batchRows > 0; }
    bool batchFull() const { return tailRows >= batchRows; }
    void addToBatch(const QByteArray &record);
    // Writes the batch; if that fails, its rows leave the live rows and the error
    // is raised.
    void flushBatch();

    // Writes the bytes of `record` that differ from `original`, the stored record.
    void writeChanges(quint32 recno, const QByteArray &record, const QByteArray &original);
    // Marks live row `row` deleted in the file.
    void deleteRow(int row);
    // Writes header + the given records + end mark to a new file renamed over the
    // old one, then reopens it. `keep` holds record numbers of the old file.
    void rewrite(const std::vector<qint32> &keep);

private:
    qint64 recordOffset(quint32 recno) const
    {
        return qint64(m_layout.headerLength) + qint64(recno) * m_layout.recordLength;
    }

    void readExactly(qint64 offset, char *to, qint64 size) const;
    void writeExactly(qint64 offset, const char *from, qint64 size);
    void writeHeaderStamp();
    void writeWhole(const std::vector<qint32> &keep);
    // Waits for the byte-range lock other dBase programs take on the header while
    // they append; released when the returned guard ends.
    class HeaderLock;
    void takeInForeignRecords();
    quint32 scanRecords(quint32 first, quint32 counted, qint64 room, std::vector<qint32> &live);
    void stampDateIfOld();
    void ensureEndMarkAt(qint64 at);
    void dropTail();
    void resetCache();
    void forget(quint32 recno);

    QString m_path;
    int fd = -1;
    bool writable = false;
    bool wrote = false;
    DbfLayout m_layout;
    quint32 stored = 0;            // records in the file, deleted ones included
    quint32 deletedInFile = 0;
    bool deletedThisSession = false;
    quint32 uncounted = 0;         // records behind the header's count when opened
    int takenIn = 0;
    std::vector<qint32> m_live;    // record numbers of the live rows, ascending
    bool endMarkChecked = false;   // the byte after the last record is known to be 0x1A
    // New rows posted in a batch, not yet in the file: records stored .. stored+tailRows-1.
    QByteArray tail;
    quint32 tailRows = 0;
    quint32 batchRows = 0;         // 0: every new row is written as it is posted

    struct Block {
        qint64 index = -1;
        QByteArray bytes;
        quint64 used = 0;
    };
    std::array<Block, 4> blocks;
    quint64 clock = 0;
    quint32 blockRecords = 1;
    QChar m_separator = QLatin1Char(',');
};

} // namespace kvitanky
