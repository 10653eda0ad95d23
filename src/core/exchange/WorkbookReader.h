// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the cells of an Excel (.xlsx) or OpenDocument (.ods) workbook as text,
// one sheet at a time, for the import.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

namespace kvitanky {

namespace workbook {
class RowSink;
}

// One row of a sheet that holds at least one cell; `number` counts from 1 as the
// spreadsheet shows it, rows left out between two of these were empty. Trailing
// empty cells are left off.
struct WorkbookRow {
    int number = 0;
    QStringList cells;
};

enum class WorkbookFormat { None, Xlsx, Ods, Xls };

// The format a file's name says it has (.xlsx, .ods, .xls), else None.
WorkbookFormat WorkbookFormatOf(const QString &path);

// Limits that keep a crafted workbook from exhausting the memory.
inline constexpr qint64 WorkbookMaxFileSize = qint64(256) << 20;
inline constexpr qint64 WorkbookMaxXmlSize = qint64(512) << 20;   // unpacked, all parts read
inline constexpr qint64 WorkbookMaxCells = qint64(4) << 20;

class WorkbookReader
{
public:
    // Reads the sheet names and the cells of sheet `sheet` (0 = the first). On
    // failure error() says why in Czech and names the file.
    bool read(const QString &path, int sheet = 0);
    // The same from the bytes of a file; `shownPath` is the name the messages give.
    bool readBytes(const QByteArray &bytes, const QString &shownPath, int sheet = 0);

    // The sheet `sheet` written to `out` as the CSV copy WriteWorkbookAsCsv makes,
    // row by row as it is read; rows() stays empty. `rowOfLine` as there.
    bool readAsCsv(const QString &path, QIODevice &out, int sheet, std::vector<int> *rowOfLine);

    QStringList sheetNames() const { return m_sheetNames; }
    const QList<WorkbookRow> &rows() const { return m_rows; }
    QString error() const { return m_error; }

    // How much XML may be unpacked in all; lower only to test the limit.
    void setXmlLimit(qint64 bytes) { m_xmlLimit = bytes; }
    // Whether the sheet and its shared strings are read from their bytes where that
    // is sure (the default) or always by QXmlStreamReader; both give the same rows.
    void setByteScanner(bool on) { m_byteScanner = on; }
    // How many parts of the last read the byte scanner left to QXmlStreamReader.
    int scannerGaveUp() const { return m_scannerGaveUp; }

private:
    bool fail(const QString &message);
    bool load(const QString &path, QByteArray *bytes, QString *shown);
    bool readInto(const QByteArray &bytes, const QString &shownPath, int sheet, workbook::RowSink &sink);

    QStringList m_sheetNames;
    QList<WorkbookRow> m_rows;
    QString m_error;
    qint64 m_xmlLimit = WorkbookMaxXmlSize;
    bool m_byteScanner = true;
    int m_scannerGaveUp = 0;
};

// A sheet of a workbook written as UTF-8 CSV for the import: ";" between cells,
// quotes where a cell needs them, one line per sheet row (empty rows as empty
// lines), a line more for each line break inside a cell.
struct WorkbookCsv {
    QString error;              // why the workbook cannot be read (Czech, names the file); empty when it can
    QStringList sheetNames;
    std::vector<int> rowOfLine; // per line of the CSV, from its first: the sheet row it belongs to
};
WorkbookCsv WriteWorkbookAsCsv(const QString &path, QIODevice &out, int sheet = 0);

} // namespace kvitanky
