// SPDX-License-Identifier: GPL-3.0-or-later
// Rows of text fields, whatever file they come from: the seam between the readers
// of import files (CSV records, the cells of a workbook's sheet) and what works on
// their rows (finding the header, mapping the columns, the preview, writing).
//
// Contract of an ImportRowSource:
// - next() yields the rows in file order, one per call, until End or Failed.
// - ImportRow::line is the file's own line number, counted from 1, the one the
//   user finds in the file: for a CSV the physical line the record begins on,
//   for a workbook the sheet's row number. It grows strictly from row to row;
//   lines a reader skips (e.g. empty sheet rows) are simply not yielded.
// - ImportRow::fields are the texts of the row's fields in column order, already
//   decoded to Unicode, with nothing trimmed or converted: an amount cell as the
//   text of its value ("1250.5", "2024", never "2024.0"), a date or a formula by
//   its cached value as text. An empty line has no fields; trailing empty cells
//   may be left out (a missing field reads as empty).
// - ImportRow::notes says, in Czech and without the line number, what the reader
//   could not read for sure on that row (e.g. "uvozovka bez páru, čtena jako
//   znak"); the import names the row's line with each note.
// - Failed ends the reading for good; error() then says why, in Czech, naming the
//   file (and the line where it applies). Rows yielded before it stay valid.
// - position() / size() measure progress in any unit the source likes (bytes,
//   rows); size() may be 0 when unknown.
// - rewind() starts again at the first row (the preview reads a file once, the
//   import a second time); false when that is not possible.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace kvitanky {

struct ImportRow {
    int line = 0;
    QStringList fields;
    QStringList notes;
};

class ImportRowSource
{
public:
    enum class Status { Row, End, Failed };

    virtual ~ImportRowSource() = default;
    virtual Status next(ImportRow &row) = 0;
    virtual QString error() const { return {}; }
    virtual qint64 position() const { return 0; }
    virtual qint64 size() const { return 0; }
    virtual bool rewind() = 0;
};

// Rows already in memory (a read workbook sheet, tests).
class ImportRowList : public ImportRowSource
{
public:
    explicit ImportRowList(QList<ImportRow> rows)
        : m_rows(std::move(rows))
    {
    }

    Status next(ImportRow &row) override
    {
        if (m_at >= m_rows.size())
            return Status::End;
        row = m_rows.at(m_at++);
        return Status::Row;
    }
    qint64 position() const override { return m_at; }
    qint64 size() const override { return m_rows.size(); }
    bool rewind() override
    {
        m_at = 0;
        return true;
    }

private:
    QList<ImportRow> m_rows;
    qsizetype m_at = 0;
};

} // namespace kvitanky
