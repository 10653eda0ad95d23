// SPDX-License-Identifier: GPL-3.0-or-later
// Import of recipients from CSV files: the program's own two layouts (the full one,
// the twelve columns of the recipient table as the CSV export writes them, and the
// six-column address list: surname, first name, post code, town, street, amount)
// and what spreadsheets save: a header line naming the columns in any order, ","
// or tab separators, quoted fields, amounts with digit groups and currency.
//
// An import is two steps: PreviewCsvFile reads the file once to count and check it
// and keeps its first rows as they will land; ImportPreviewedCsv then appends and
// posts the rows one by one, so whatever was imported before a failure stays.
#pragma once

#include "exchange/CsvColumns.h"
#include "exchange/CsvFileCheck.h"
#include "exchange/ExchangeProgress.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QTemporaryFile;

namespace kvitanky {

class DbfTable;

enum class CsvLayout { Full, SixColumns };

// What one reading of the file found, before anything is written.
struct CsvPreview {
    QString path;                 // the file as chosen
    QString refusal;              // why nothing can be imported (Czech, names the file)
    bool openFailed = false;      // the file could not be opened at all
    bool cancelled = false;       // the progress callback asked to stop
    CsvEncoding encoding = CsvEncoding::Cp1250;
    bool utf16 = false;           // read through a UTF-8 copy
    char separator = ';';
    bool header = false;          // a line names the columns and is skipped
    int headerLine = 0;           // that line of the file
    QStringList headerNames;      // its fields
    QList<int> captionLines;      // lines above the rows that are skipped (captions)
    int firstDataLine = 1;        // records before this line are not imported
    int fileColumns = 0;          // fields most of the first lines have
    QStringList unknownColumns;   // header names that fill no column
    std::vector<int> columnOf;    // per field position: the column it fills, or -1
    std::vector<bool> lacking;    // per column: the table lacks the optional column, its values are not kept
    bool amountMapped = false;    // some field fills the amount
    bool thousands = false;       // "2.500" read as thousands (CsvChoices)
    int rows = 0;                 // records that become rows
    QList<QStringList> firstRows; // the first rows as they land, CsvColumnCount texts each
    QList<int> firstLines;        // the file's line of each of them
    QList<QStringList> firstFields; // their fields as the file has them
    int amountProblems = 0;       // rows with a value the import cannot read for sure
    int ambiguousAmounts = 0;     // amounts like "2.500": thousands or decimals?
    QStringList problems;         // "Řádek souboru 17 (řádek adresáře 21): částku „abc“ nelze přečíst, uložena 0", the first few
    int stopLine = 0;             // the import ends before this line (too long, open quote)
    QString stopReason;           // what is wrong with that line
    int duplicates = 0;           // rows equal in every column to a row of the table
    std::vector<bool> duplicate;  // per row
    int repeats = 0;              // rows whose person or variable symbol an earlier row of the file has
    std::vector<bool> repeat;     // per row
    QStringList repeatNotes;      // "Řádek souboru 9 opakuje řádek souboru 4: stejný adresát", the first few
    bool onlySamples = false;     // the table holds just the four untouched sample rows

    // The file the records are read from: the chosen one or its UTF-8 copy.
    QString readPath;
    qint64 contentStart = 0;
    std::shared_ptr<QTemporaryFile> copy;

    bool canImport() const { return refusal.isEmpty() && !openFailed && !cancelled; }
    QString encodingName() const;
    QString separatorName() const;
};

inline constexpr int CsvPreviewRows = 20;
inline constexpr int CsvListedProblems = 10;

// What the user decided in the preview; the defaults are the program's own reading.
struct CsvChoices {
    std::vector<int> columnOf;    // per field position: the column it fills, or -1; empty: as found
    bool thousands = false;       // one separator before three digits groups thousands
};

CsvPreview PreviewCsvFile(const QString &path, DbfTable &table, CsvLayout layout,
                          const ExchangeProgress &progress = {}, const CsvChoices &choices = {});

struct CsvImportOptions {
    bool skipDuplicates = false;
    bool skipRepeats = false;     // rows repeating an earlier row of the file
    bool removeSamples = false;   // delete every row first (only offered for the samples)
};

struct CsvImportResult {
    int rows = 0;                 // rows appended and posted
    bool openFailed = false;      // the file could not be opened; nothing was read
    QString refusal;              // the file was refused before a row was written
    bool tooLong = false;         // a record over 765 bytes (or an open quote) stopped the import
    QString stopMessage;          // says so, with the file and the line
    bool cancelled = false;       // the progress callback asked to stop
    QString engineError;          // the table's error text when writing a row failed
    int skippedDuplicates = 0;
    int skippedRepeats = 0;
    bool removedSamples = false;
    bool header = false;
    QStringList unknownColumns;
    int amountProblems = 0;
    QStringList problems;
};

CsvImportResult ImportPreviewedCsv(const CsvPreview &preview, DbfTable &table, const CsvImportOptions &options = {},
                                   const ExchangeProgress &progress = {});

// Preview and import in one go, with the default choices.
CsvImportResult ImportCsv(const QString &path, DbfTable &table, CsvLayout layout,
                          const ExchangeProgress &progress = {});
CsvImportResult ImportCsvFile(const QString &path, DbfTable &table, const ExchangeProgress &progress = {});
CsvImportResult ImportCsv6File(const QString &path, DbfTable &table, const ExchangeProgress &progress = {});

// The messages the user gets, in the order they are shown (each in its own box).
QString CsvOpenFailedMessage(const QString &path);   // "Nelze otevrít soubor " + path
QString CsvImportedMessage(int rows);                 // full import's count
QString Csv6ImportedMessage(int rows);                // six-column import's count
QStringList CsvImportMessages(const CsvImportResult &result, const QString &path, CsvLayout layout);
// "Na 3 řádcích souboru nešlo hodnoty přečíst s jistotou:", the heading of the rows' problems.
QString CsvUncertainRowsText(int rows);
// The notes after a count (header, unknown columns, duplicates, amounts); empty when none.
QString CsvImportNotes(const CsvImportResult &result);

} // namespace kvitanky
