// SPDX-License-Identifier: GPL-3.0-or-later
// What the program knows of one column of its tables, and how it finds the column
// in an open table, which may be an older or foreign file that lacks it or holds it
// wider. The lists of the two tables are RecipientColumns.h and OwnerColumns.h.
#pragma once

#include "data/DbfTable.h"

#include <QString>
#include <QStringList>

namespace kvitanky {

struct TableColumnDef {
    QString name;          // in the file
    FieldType type;
    int width;             // text columns: characters, for a new file
    int decimals;
    bool optional;         // an older or foreign file may lack it
    QString caption;       // the box's label on its page
    int boxLimit;          // characters a box takes; 0: the column's width in the open file
    QString gridTitle;
    int gridWidth;         // 0: the view's default
    int gridChars;         // characters the grid column must show whole
    QStringList aliases;   // further header names of an exchange file (diacritics do not count)
    QString sheetTitle;    // the workbook's column title
    double sheetWidth;
    QString sheetFormat;   // the workbook's number format; empty: none
    QString previewTitle;  // the import preview's column title

    FieldDef field() const { return {name, type, width}; }
};

// The column's index in the open table, -1 when the table lacks it (or is closed).
int columnIndexIn(const DbfTable &table, const TableColumnDef &column);

// The characters a box of the column takes in the open table: its own limit, or
// the column's width in the file (its designed width when the file is closed).
int boxLimitIn(const DbfTable &table, const TableColumnDef &column);

// The open table is an older or foreign file without this optional column.
bool lacksOptionalColumn(const DbfTable &table, const TableColumnDef &column);

// Why a box of the column takes nothing: the open table lacks the optional column.
// Empty otherwise.
QString missingColumnNote(const DbfTable &table, const TableColumnDef &column);

} // namespace kvitanky

// A TableColumnDef from one line of a column list (texts UTF-8).
#define KVITANKY_TABLE_COLUMN_DEF(id, name, type, width, decimals, optional, caption, boxLimit, gridTitle, gridWidth,  \
                                  gridChars, aliases, sheetTitle, sheetWidth, sheetFormat, previewTitle)      \
    TableColumnDef{QStringLiteral(name), FieldType::type, width, decimals, optional, QString::fromUtf8(caption),          \
                   boxLimit, QString::fromUtf8(gridTitle), gridWidth, gridChars,                              \
                   QString::fromUtf8(aliases).split(QLatin1Char('|'), Qt::SkipEmptyParts),                   \
                   QString::fromUtf8(sheetTitle), sheetWidth, QStringLiteral(sheetFormat),                    \
                   QString::fromUtf8(previewTitle)},

// The enum constant of one line of a column list, and a count of the lines.
#define KVITANKY_TABLE_COLUMN_ID(id, ...) id,
#define KVITANKY_TABLE_COLUMN_ONE(...) +1
