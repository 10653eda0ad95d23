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

struct CsvImportOptions {
    bool skipDuplicates = false;
    bool skipRepeats = false;     // rows repeating an earlier row of the file
    bool removeSamples = false;   // delete every row first (only offered for the samples)
};

// What the import could not read for sure on one row of the file.
struct CsvRowProblem {
    int line = 0;                 // the file's line (a workbook's sheet row)
    int row = 0;                  // the row's place among the file's rows, from 0
    QString what;                 // "částku „abc“ nelze přečíst, uložena 0"
};

// A row repeating an earlier row of the file: the same person, or the same variable symbol.
struct CsvRowRepeat {
    int line = 0;
    int row = 0;
    int firstLine = 0;            // the earlier row
    int firstRow = 0;
    QString symbol;               // the variable symbol both have; empty: the same person
};

// "Řádek souboru 17 (řádek adresáře 21)"; without a table row "Řádek souboru 17 (neimportuje se)".
QString CsvRowPlace(int line, int tableRow);

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
    QList<CsvRowProblem> rowProblems; // the first few
    QStringList problems;         // they as the proposed options place them: "Řádek souboru 17 (řádek adresáře 21): …"
    int tableRows = 0;            // rows the table had before
    int stopLine = 0;             // the import ends before this line (too long, open quote)
    QString stopReason;           // what is wrong with that line
    int duplicates = 0;           // rows equal in every column to a row of the table
    std::vector<bool> duplicate;  // per row
    int repeats = 0;              // rows whose person or variable symbol an earlier row of the file has
    std::vector<bool> repeat;     // per row
    QList<CsvRowRepeat> rowRepeats; // the first few
    QStringList repeatNotes;      // they as the proposed options place them: "Řádek souboru 9 (řádek adresáře 9) opakuje řádek souboru 4 (…): stejný adresát"
    bool onlySamples = false;     // the table holds just the four untouched sample rows

    bool workbook = false;        // a workbook, read through a CSV copy of one sheet
    QStringList sheetNames;       // the workbook's sheets
    int sheet = 0;                // the one read
    std::vector<int> sheetRowOfLine; // per line of the copy: its sheet row

    // The file the records are read from: the chosen one or its UTF-8 copy.
    QString readPath;
    qint64 contentStart = 0;
    std::shared_ptr<QTemporaryFile> copy;

    bool canImport() const { return refusal.isEmpty() && !openFailed && !cancelled; }
    // The options the preview starts with: over the sample rows the samples go,
    // elsewhere rows already in the table stay out.
    CsvImportOptions proposedOptions() const;
    // The table row the file's row `row` (from 0) becomes with `options`; 0 when it is left out.
    int tableRowOf(int row, const CsvImportOptions &options) const;
    // "Řádek souboru 17 (řádek adresáře 21)" for one of the first rows.
    QString rowPlace(int row, const CsvImportOptions &options) const;
    QStringList problemTexts(const CsvImportOptions &options) const;
    QStringList repeatTexts(const CsvImportOptions &options) const;
    QString encodingName() const;
    QString separatorName() const;
};

inline constexpr int CsvPreviewRows = 20;
inline constexpr int CsvListedProblems = 10;

// What the user decided in the preview; the defaults are the program's own reading.
struct CsvChoices {
    std::vector<int> columnOf;    // per field position: the column it fills, or -1; empty: as found
    bool thousands = false;       // one separator before three digits groups thousands
    int sheet = 0;                // the workbook's sheet to read
};

CsvPreview PreviewCsvFile(const QString &path, DbfTable &table, CsvLayout layout,
                          const ExchangeProgress &progress = {}, const CsvChoices &choices = {});

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
    int headerLine = 0;
    QList<int> captionLines;
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
