// SPDX-License-Identifier: GPL-3.0-or-later
// Export of the whole recipient table into an Excel workbook (.xlsx), one sheet
// named "Adresář": a grey header row, the texts as text (leading zeros kept), the
// amount as a number shown with thousands grouping and two decimals. The workbook is written to a temporary file
// and moves into place only when complete.
#pragma once

#include "exchange/ExchangeProgress.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace kvitanky {

class DbfTable;

struct XlsxExportResult {
    int rows = 0;             // table rows written (0 unless the workbook was saved)
    bool cancelled = false;   // the progress callback asked to stop; nothing was saved
    QString error;            // a Czech message naming the file; empty on success
    bool ok() const { return !cancelled && error.isEmpty(); }
};

// Moves the table's cursor from the first row to the end.
XlsxExportResult ExportXlsxFile(const QString &path, DbfTable &table, const ExchangeProgress &progress = {});

// A text as a cell holds it (UTF-8): text that looks like the "_xHHHH_" escape
// of the workbook format gets its underscore escaped, so it shows as typed.
QByteArray XlsxCellText(const QString &text);

// "DataKvitanky" followed by the date and time to the second, ".xlsx".
QString XlsxExportFileName(const QDateTime &when);
// A path in `dir` for an export made at `when` that names no existing file: the
// time-stamped name, or the same with "_2", "_3", ... before the extension.
QString XlsxExportPath(const QString &dir, const QDateTime &when);

} // namespace kvitanky
