// SPDX-License-Identifier: GPL-3.0-or-later
// Export of the whole recipient table in the full CSV layout, the one the import
// reads back: twelve fields each followed by ";", CR LF line ends, Windows-1250,
// no header. A text holding ";", a quotation mark or a line break is written
// between quotation marks (its own ones doubled); every other text as it is.
// The file is replaced only once it is completely written.
#pragma once

#include "exchange/ExchangeProgress.h"

#include <QString>
#include <QStringList>

namespace kvitanky {

class DbfTable;

struct CsvExportResult {
    int rows = 0;                // rows written (0 when the file was not written)
    bool createFailed = false;   // the file could not be created or written
    bool cancelled = false;      // the progress callback asked to stop; nothing was written
    QString reason;              // the system's reason when createFailed
    QString engineError;         // the table's error text when reading a row failed
};

// Moves the table's cursor from the first row to the end.
CsvExportResult ExportCsvFile(const QString &path, DbfTable &table, const ExchangeProgress &progress = {});

QString CsvCreateFailedMessage(const QString &path);   // "Nemohu otevrít soubor " + path + "."
QString CsvExportedMessage(int rows);                  // "Bylo exportováno " + n + " záznamu."
QStringList CsvExportMessages(const CsvExportResult &result, const QString &path);

} // namespace kvitanky
