// SPDX-License-Identifier: GPL-3.0-or-later
// A dBase III / FoxPro 2.x table file with a cursor, the table engine of the program.
//
// Cursor rules (the ones the pages, print jobs and imports rely on):
//   - Active true opens the file on its first row; a closed table reports Bof and Eof.
//   - First sets Bof; Prior on the first row stays and sets Bof; Next on the last row
//     stays and sets Eof. An empty table reports both.
//   - Append/Insert start a new empty record (at the end / at the cursor; an inserted
//     row is stored at the end of the file once posted, the file keeps rows in the
//     order they were added).
//   - Edit: current row into edit state; no effect while editing or inserting; on an
//     empty table it starts a new record as Insert does.
//   - Post writes the pending record and the header's record count to the file before
//     it returns; no effect while browsing.
//   - Delete removes the current row (the cursor moves to the next row, or the new last
//     row); while inserting it discards the new record; on an empty table it is an error.
//   - Moving the cursor, Append and Insert first post a changed pending record and drop
//     a new record that was not changed.
// Every engine error is a DbfError whose text names the table file and the reason.
#pragma once

#include "text/Codepage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <stdexcept>

namespace kvitanky {

class DbfError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum class TableType { FoxPro };

enum class FieldType {
    String,     // ftString: C column of `size` characters
    Float,      // ftFloat: a double (stored as N 20.4; see DbfFieldCodec.cpp)
    Smallint,   // ftSmallint: 16-bit integer (stored as N 6.0)
};

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0;   // characters for String; ignored otherwise
    // As found in an open file: the column's letter ('C', 'N', 'F', 'L', 'D', 'I', ...),
    // its width in bytes and its decimals. Columns other than C and N/F of a foreign
    // file are shown as text (L, D, T, M, ...) or as numbers (I, B, Y).
    char dbfType = 0;
    int decimals = 0;
};

class DbfTable;

// One column of the current record, as FieldByName returns it.
class DbfField
{
public:
    QString asString() const;
    double asFloat() const;
    int asInteger() const;
    // The value, or `fallback` where the file holds no number (dBase writes
    // asterisks on overflow; other programs leave text such as ".T").
    double asFloatOr(double fallback) const;
    int asIntegerOr(int fallback) const;
    void setAsString(const QString &value);   // cut to the column's size; for a float column
                                              // read as a number with the decimal comma (or point)
    // The same for a text given as its bytes in code page `cp`: a text column of
    // that code page takes the bytes as they are.
    void setAsEncodedString(QByteArrayView bytes, Codepage cp);
    void setAsFloat(double value);
    void setAsInteger(int value);

    QString name() const;

private:
    friend class DbfTable;
    DbfField(DbfTable *table, int index) : m_table(table), m_index(index) {}
    DbfTable *m_table;
    int m_index;
};

class DbfTable
{
public:
    DbfTable();
    ~DbfTable();
    DbfTable(const DbfTable &) = delete;
    DbfTable &operator=(const DbfTable &) = delete;

    void setTableType(TableType type);
    void setTableName(const QString &path);   // only while closed
    QString tableName() const;
    // True when `path` names this table's file, by whatever spelling or link; an
    // export must not replace it and an import must not read it.
    bool isOwnFile(const QString &path) const;

    void setActive(bool active);   // open (cursor on the first row) or close
    bool active() const;
    bool exists() const;           // open, or its file exists

    // Column and index definitions for createTable.
    void clearFieldDefs();
    void addFieldDef(const QString &name, FieldType type, int size = 0);
    void clearIndexDefs();
    void createTable();            // an empty file with the defined columns

    void first();
    void last();
    void prior();
    void next();
    bool bof() const;
    bool eof() const;
    int recordCount() const;       // live (not deleted) rows
    int recNo() const;             // 0-based position of the cursor among live rows, -1 when none
                                   // (also while a new record is pending)
    void moveTo(int row);          // cursor to the 0-based live row (clamped); posts first

    void append();
    void insert();
    void edit();
    void post();
    void cancel();                 // drop the pending record
    void deleteRecord();
    void deleteAll();              // every row, in one pass (one rewrite of the file)

    bool isEditing() const;        // a record is pending (edit, append or insert)

    DbfField fieldByName(const QString &name);   // letter case ignored; DbfError when missing
    int fieldCount() const;
    QList<FieldDef> fields() const;
    int fieldIndex(const QString &name) const;   // -1 when missing

    // Random access for the grid, without moving the cursor: the value of column
    // `field` in live row `row` as display text (the float column in the shortest
    // general form, 15 significant digits, with the locale's decimal separator).
    QString displayText(int row, int field) const;

    // Writes a fresh copy of the file without deleted rows and renames it over the old one.
    void pack();

    // The shortest general decimal form of a double with up to 15 significant
    // digits and the given decimal separator ("999999.5" -> "999999,5").
    static QString formatGeneral(double value, QChar decimalSeparator);
    static QChar systemDecimalSeparator();

    bool isReadOnly() const;          // open on a file this user may not write, or on a
                                      // layout this engine does not write (see readOnlyReason)
    // Why an open table is not written although the file could be: a layout whose
    // bytes this engine cannot keep whole ("" otherwise).
    QString readOnlyReason() const;
    // What to tell a user once after opening: the layout's reason, records found
    // behind the header's count ("" when nothing).
    QString openNotice() const;
    Codepage codepage() const;        // of the open file's text; Windows-1250 while closed
    int storedRecordCount() const;
    // For bulk appends: new rows are posted into memory and written `rows` at a
    // time (0, the default: each as it is posted). Rows not yet written go to the
    // file at flushAppends(), at any other change and at close; if writing them
    // fails they leave the table and the error is raised there.
    void setAppendBatch(int rows);
    void flushAppends();    // records in the file, deleted ones included

private:
    friend class DbfField;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kvitanky
