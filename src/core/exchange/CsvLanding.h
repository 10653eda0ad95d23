// SPDX-License-Identifier: GPL-3.0-or-later
// One record of a CSV file as it lands in the recipient table's columns, and the
// keys the import compares rows by: the person and the variable symbol with the
// file's earlier rows, every value with the table's rows.
//
// The fields stay the record's bytes; a text is decoded only where it is shown.
#pragma once

#include "exchange/CsvColumns.h"
#include "exchange/CsvFileCheck.h"
#include "exchange/CsvRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <cstddef>
#include <vector>

namespace kvitanky {

class DbfTable;
struct CsvPreview;

enum class CsvColumnKind { Text, Amount, Flag };

inline CsvColumnKind CsvKindOf(int column)
{
    return column == CsvAmountColumn ? CsvColumnKind::Amount
        : column == CsvFlagColumn    ? CsvColumnKind::Flag
                                     : CsvColumnKind::Text;
}

struct CsvLanded {
    std::array<QByteArrayView, CsvColumnCount> field;   // what fills each column; empty when nothing does
    std::array<bool, CsvColumnCount> filled{};          // a field of the file goes into the column
    std::array<QString, CsvColumnCount> text;           // text columns as the table keeps them, where asked for
    CsvAmount amount;
    bool amountPresent = false;   // the record reaches the amount's field
    QByteArrayView amountText;
    int flag = 0;
    bool flagOk = true;
    QByteArrayView flagText;
    bool quoteAsChar = false;   // a quotation mark without its pair read as a character
    int line = 0;               // the lines of the file the record spans
    int lastLine = 0;
};

class CsvLander
{
public:
    CsvLander(const CsvPreview &p, DbfTable &table);

    // Reads the amount and the exclusion mark and takes each column's field; with
    // `texts` also the text columns' texts as the table will keep them.
    void land(const QList<QByteArrayView> &fields, CsvLanded &row, bool texts) const;

    // A text column's bytes as the table keeps them (Windows-1250, cut to the
    // column's size, trailing blanks dropped); in `scratch` where they differ from
    // the file's.
    QByteArrayView kept(const CsvLanded &row, int column, QByteArray &scratch) const;

private:
    const CsvPreview &m_p;
    std::array<int, CsvColumnCount> m_size{};
};

// A row's values as one hash: equal hashes, equal rows. `texts` are the text
// columns in Windows-1250 as the table keeps them.
std::size_t CsvRowHash(const std::array<QByteArrayView, CsvColumnCount> &texts, double amount, int flag);

// Every row of the table as CsvRowHash gives it; the table's cursor ends past the
// last row.
std::vector<std::size_t> CsvTableRowHashes(DbfTable &table);

// What a row of the file is compared by.
class CsvRowKeys
{
public:
    // The texts as the table keeps them (Windows-1250, cut to the columns' sizes).
    CsvRowKeys(const CsvLander &lander, const CsvLanded &row);

    std::size_t person() const { return m_person; }
    bool personNamed() const { return m_named; }   // a first name or a surname
    std::size_t symbol() const { return m_symbol; }
    bool hasSymbol() const { return m_hasSymbol; }
    QString symbolText() const;   // the variable symbol without blanks around it
    std::size_t values() const;   // CsvRowHash of the row

private:
    QByteArrayView bytes(int column) const { return m_bytes[size_t(column)]; }

    const CsvLanded &m_row;
    std::array<QByteArray, CsvColumnCount> m_scratch;
    std::array<QByteArrayView, CsvColumnCount> m_bytes;
    std::size_t m_person = 0;
    bool m_named = false;
    std::size_t m_symbol = 0;
    bool m_hasSymbol = false;
};

// The first row of the file with each key: its line and its place among the rows.
// Open addressing in one array: a long file's keys cost no allocation each.
class CsvFirstSeen
{
public:
    struct Place {
        int line = 0;
        int row = -1;   // -1: a free slot
    };

    // The place first seen with `key`; null when there was none, `here` being
    // taken for it.
    const Place *seenOrTake(std::size_t key, Place here);

private:
    struct Slot {
        std::size_t key = 0;
        Place place;
    };
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

} // namespace kvitanky
