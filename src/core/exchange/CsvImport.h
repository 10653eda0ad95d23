// SPDX-License-Identifier: GPL-3.0-or-later
// Import of recipients from the two CSV layouts: the full one (the twelve columns of
// the recipient table, as the CSV export writes them) and the six-column address
// list (surname, first name, post code, town, street, amount). Rows are appended
// and posted one by one, so whatever was imported before a failure stays.
#pragma once

#include "exchange/ExchangeProgress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class QIODevice;

namespace kvitanky {

class DbfTable;

enum class CsvLayout { Full, SixColumns };

struct CsvImportResult {
    int rows = 0;              // rows appended and posted
    bool openFailed = false;   // the file could not be opened; nothing was read
    bool tooLong = false;      // a line of more than 765 bytes stopped the import there
    bool cancelled = false;    // the progress callback asked to stop
    QString engineError;       // the table's error text when writing a row failed
    bool utf16 = false;        // a UTF-16 file (a spreadsheet's "Unicode text"); nothing was read
};

CsvImportResult ImportCsvFile(const QString &path, DbfTable &table, const ExchangeProgress &progress = {});
CsvImportResult ImportCsv6File(const QString &path, DbfTable &table, const ExchangeProgress &progress = {});
CsvImportResult ImportCsv(const QString &path, DbfTable &table, CsvLayout layout,
                          const ExchangeProgress &progress = {});

// The messages the user gets, in the order they are shown (each in its own box).
QString CsvOpenFailedMessage(const QString &path);   // "Nelze otevrít soubor " + path
QString CsvImportedMessage(int rows);                 // full import's count
QString Csv6ImportedMessage(int rows);                // six-column import's count
QString CsvRowTooLongMessage();                       // "Row is too long!"
QStringList CsvImportMessages(const CsvImportResult &result, const QString &path, CsvLayout layout);

// How the bytes of a CSV file are read as text. Windows-1250 is the program's own
// encoding; a file with a UTF-8 byte-order mark, or whose bytes above 127 all form
// valid UTF-8, is read as UTF-8.
enum class CsvEncoding { Cp1250, Utf8 };

// Reads the whole device from its start (stopping at a Ctrl-Z) and decides. The
// content starts after a byte-order mark: *contentStart receives its offset.
CsvEncoding DetectCsvEncoding(QIODevice &device, qint64 *contentStart);
QString DecodeCsvField(QByteArrayView bytes, CsvEncoding encoding);

} // namespace kvitanky
