// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvImport.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/CsvFormat.h"
#include "exchange/CsvLanding.h"
#include "exchange/CsvRecords.h"
#include "exchange/CsvSniff.h"
#include "exchange/CsvTextKey.h"
#include "exchange/WorkbookReader.h"
#include "text/Codepage.h"
#include "text/CzechPlural.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <exception>
#include <unordered_set>

namespace kvitanky {

namespace {

// The six-column layout by position: surname, first name, post code, town, street,
// amount. The title, symbols, phone, e-mail and exclusion mark stay as a new row
// has them.
std::vector<int> layoutColumns(CsvLayout layout)
{
    if (layout == CsvLayout::SixColumns)
        return {2, 1, 5, 4, 3, CsvAmountColumn};
    std::vector<int> all(CsvColumnCount);
    for (int c = 0; c < CsvColumnCount; ++c)
        all[size_t(c)] = c;
    return all;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool onlySampleRows(const std::vector<std::size_t> &rows)
{
    if (rows.size() != 4)
        return false;
    static const std::vector<std::size_t> samples = [] {
        QTemporaryDir dir;
        DbfTable t;
        CreateRecipientTable(t, dir.path());
        AddSampleRecipients(t);
        return CsvTableRowHashes(t);
    }();
    return rows == samples;
}

QString amountShown(double value)
{
    return QString::fromLatin1(FloatToCsvText(value));
}

// What the import could not read for sure in one row.
void rowProblems(const CsvLanded &row, bool amountMapped, CsvEncoding encoding, QStringList &out)
{
    const CsvAmount &a = row.amount;
    if (row.quoteAsChar)
        out << QStringLiteral("uvozovka bez páru, čtena jako znak");
    if (row.lastLine > row.line)
        out << QStringLiteral("řádky %1–%2 jsou jeden záznam: pole v uvozovkách pokračuje přes konec řádku")
                   .arg(row.line).arg(row.lastLine);
    const QByteArrayView amountText = row.amountText;
    const QString shown = DecodeCsvField(amountText, encoding).trimmed();
    if (amountMapped) {
        switch (a.state) {
        case CsvAmount::State::Empty:
            out << QStringLiteral("částka chybí, uložena 0");
            break;
        case CsvAmount::State::Negative:
            out << QStringLiteral("částka „%1“ je záporná, uložena %2 (složenka bude neplatná)")
                       .arg(shown, amountShown(a.value));
            break;
        case CsvAmount::State::Unreadable:
            out << QStringLiteral("částku „%1“ nelze přečíst, uložena %2").arg(shown, amountShown(a.value));
            break;
        case CsvAmount::State::Ok:
            break;
        }
        if (a.ambiguous)
            out << QStringLiteral("částka „%1“ může být v tisících i s desetinnou čárkou, uložena %2")
                       .arg(shown, amountShown(a.value));
    }
    if (!row.flagOk)
        out << QStringLiteral("vyřazení „%1“ nelze přečíst, uloženo 0")
                   .arg(DecodeCsvField(row.flagText, encoding).trimmed());
}

QString stopText(CsvRecordReader::Status s, bool inQuotes)
{
    if (s == CsvRecordReader::Status::Unterminated)
        return QStringLiteral("uvozovky otevřené na tomto řádku se do konce souboru neuzavřely");
    if (inQuotes)
        return QStringLiteral("pole v uvozovkách se ani po %1 znacích neuzavřelo").arg(CsvMaxLineLength);
    return QStringLiteral("řádek je delší než %1 znaků").arg(CsvMaxLineLength);
}

// An empty amount counts where the record has the amount's field at all: a short
// line of the program's own layout simply has no amount.
bool isProblem(const CsvAmount &a, bool amountMapped)
{
    return amountMapped && (a.state != CsvAmount::State::Ok || a.ambiguous);
}

// Adds a row's problems to the listed ones (the first few) and counts the row.
void noteRow(int line, int row, const CsvLanded &landed, bool amountMapped, CsvEncoding encoding, int &count,
             QList<CsvRowProblem> &listed)
{
    amountMapped = amountMapped && landed.amountPresent;
    if (!isProblem(landed.amount, amountMapped) && landed.flagOk && !landed.quoteAsChar
        && landed.lastLine <= landed.line)
        return;
    if (count++ >= CsvListedProblems)
        return;
    QStringList whats;
    rowProblems(landed, amountMapped, encoding, whats);
    for (const QString &what : whats)
        listed.append({line, row, what});
}

// The last line of a record over several lines, where that is a guess; else its
// first. A record of the program's own layout whose quotes close with exactly its
// fields is not: our own export writes line breaks so.
int mergedLastLine(const CsvRecordReader &records, int fileColumns)
{
    const bool ownLayout = fileColumns >= CsvFullPositions && records.fields().size() == fileColumns;
    return ownLayout ? records.line() : records.lastLine();
}

QString problemText(int line, int tableRow, const QString &what)
{
    return CsvRowPlace(line, tableRow) + QStringLiteral(": ") + what;
}

} // namespace

QString CsvRowPlace(int line, int tableRow)
{
    if (tableRow <= 0)
        return QStringLiteral("Řádek souboru %1 (neimportuje se)").arg(line);
    return QStringLiteral("Řádek souboru %1 (řádek adresáře %2)").arg(line).arg(tableRow);
}

CsvImportOptions CsvPreview::proposedOptions() const
{
    CsvImportOptions o;
    o.removeSamples = onlySamples;
    o.skipDuplicates = duplicates > 0 && !onlySamples;
    return o;
}

int CsvPreview::tableRowOf(int row, const CsvImportOptions &o) const
{
    // As the import goes: the samples go first, then rows are left out or appended.
    const bool removed = o.removeSamples && onlySamples;
    const bool skipDuplicates = o.skipDuplicates && !removed;
    const auto leftOut = [&](int k) {
        return (skipDuplicates && size_t(k) < duplicate.size() && duplicate[size_t(k)])
            || (o.skipRepeats && size_t(k) < repeat.size() && repeat[size_t(k)]);
    };
    if (leftOut(row))
        return 0;
    int at = removed ? 0 : tableRows;
    for (int k = 0; k <= row; ++k)
        at += !leftOut(k);
    return at;
}

QString CsvPreview::rowPlace(int row, const CsvImportOptions &options) const
{
    return CsvRowPlace(firstLines.value(row), tableRowOf(row, options));
}

QStringList CsvPreview::problemTexts(const CsvImportOptions &options) const
{
    QStringList out;
    for (const CsvRowProblem &problem : rowProblems)
        out << problemText(problem.line, tableRowOf(problem.row, options), problem.what);
    return out;
}

QStringList CsvPreview::repeatTexts(const CsvImportOptions &options) const
{
    QStringList out;
    for (const CsvRowRepeat &r : rowRepeats) {
        QString earlier = CsvRowPlace(r.firstLine, tableRowOf(r.firstRow, options));
        earlier[0] = earlier[0].toLower();
        out << CsvRowPlace(r.line, tableRowOf(r.row, options)) + QStringLiteral(" opakuje ") + earlier
                + (r.symbol.isEmpty() ? QStringLiteral(": stejný adresát")
                                      : QStringLiteral(": stejný variabilní symbol %1").arg(r.symbol));
    }
    return out;
}

QString CsvPreview::encodingName() const
{
    if (utf16)
        return QStringLiteral("UTF-16");
    return encoding == CsvEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1250");
}

QString CsvPreview::separatorName() const
{
    switch (separator) {
    case '\t': return QStringLiteral("tabulátor");
    case ',': return QStringLiteral("čárka");
    default: return QStringLiteral("středník");
    }
}

CsvPreview PreviewCsvFile(const QString &path, DbfTable &table, CsvLayout layout, const ExchangeProgress &progress,
                          const CsvChoices &choices)
{
    CsvPreview p;
    p.path = path;
    for (const TableColumnDef &c : recipientColumns())
        p.lacking.push_back(lacksOptionalColumn(table, c));
    p.readPath = path;
    p.columnOf = layoutColumns(layout);
    p.thousands = choices.thousands;
    QFile file(path);
    // The table's own file is never read as CSV: it would grow under the reader.
    if (QFileInfo(path).isDir() || table.isOwnFile(path) || !file.open(QIODevice::ReadOnly)) {
        p.openFailed = true;
        return p;
    }
    QIODevice *checked = &file;
    if (WorkbookFormatOf(path) != WorkbookFormat::None) {
        // A workbook's first sheet is read through a CSV copy, line by sheet row.
        p.copy = std::make_shared<QTemporaryFile>(QDir(QDir::tempPath()).filePath(QStringLiteral("kvitanky-XXXXXX.csv")));
        p.workbook = true;
        p.sheet = choices.sheet;
        if (p.copy->open()) {
            WorkbookCsv sheet = WriteWorkbookAsCsv(path, *p.copy, choices.sheet);
            p.refusal = sheet.error;
            p.sheetNames = sheet.sheetNames;
            p.sheetRowOfLine = std::move(sheet.rowOfLine);
        }
        if (!p.copy->isOpen() || (p.refusal.isEmpty() && !p.copy->flush())) {
            p.refusal = QStringLiteral("Sešit %1 nelze převést pro import: %2.")
                            .arg(native(path), p.copy->errorString());
        }
        if (!p.refusal.isEmpty())
            return p;
        p.readPath = p.copy->fileName();
        checked = p.copy.get();
    }
    CsvFileCheck check = CheckCsvFile(*checked, native(path));
    if (check.utf16 != CsvFileCheck::Utf16::No) {
        p.utf16 = true;
        p.copy = std::make_shared<QTemporaryFile>(QDir(QDir::tempPath()).filePath(QStringLiteral("kvitanky-XXXXXX.csv")));
        if (!p.copy->open() || !ConvertCsvUtf16(file, *p.copy, check.utf16) || !p.copy->flush()) {
            p.refusal = QStringLiteral("Soubor %1 v kódování UTF-16 nelze převést: %2.")
                            .arg(native(path), p.copy->errorString());
            return p;
        }
        p.readPath = p.copy->fileName();
        check = CheckCsvFile(*p.copy, native(path));
    }
    if (!check.refusal.isEmpty()) {
        p.refusal = check.refusal;
        return p;
    }
    p.encoding = check.encoding;
    p.contentStart = check.contentStart;

    QFile in(p.readPath);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(p.contentStart)) {
        p.openFailed = true;
        return p;
    }
    // The separator, the header and the captions from the first lines together.
    {
        CsvReader first(&in);
        QByteArray head, line;
        for (int n = 0; n < CsvSniffedLines && !first.atEnd() && ReadCsvLineInto(first, line); ++n)
            head += line + '\n';
        const CsvSniffed sniffed = SniffCsvHead(head, p.encoding, p.workbook ? &p.sheetRowOfLine : nullptr);
        p.separator = sniffed.separator;
        p.captionLines = sniffed.captions;
        p.firstDataLine = sniffed.firstDataLine;
        if (sniffed.headerLine) {
            p.header = true;
            p.headerLine = sniffed.headerLine;
            p.headerNames = sniffed.headerNames;
            p.columnOf = sniffed.header.columnOf;
            p.unknownColumns = sniffed.header.unknown;
        }
        p.fileColumns = std::max<int>(sniffed.fields, int(sniffed.headerNames.size()));
        in.seek(p.contentStart);
    }
    if (!choices.columnOf.empty()) {
        p.columnOf = choices.columnOf;
        p.unknownColumns.clear();
    }
    // The amount counts as filled when a column the file has goes into it.
    const auto amountAt = std::find(p.columnOf.begin(), p.columnOf.end(), CsvAmountColumn);
    const bool amountMapped = amountAt != p.columnOf.end()
        && (p.fileColumns == 0 || amountAt - p.columnOf.begin() < p.fileColumns);
    p.amountMapped = amountMapped;

    std::unordered_multiset<std::size_t> existing;
    try {
        if (table.active() && table.recordCount() > 0) {
            const int at = table.recNo();
            const std::vector<std::size_t> rows = CsvTableRowHashes(table);
            table.moveTo(at);
            p.onlySamples = onlySampleRows(rows);
            existing.insert(rows.begin(), rows.end());
        }
    } catch (const std::exception &) {
        existing.clear();   // a table of other columns: the import will say so
    }

    const qint64 total = in.size();
    CsvReader reader(&in);
    CsvRecordReader records(reader, p.separator);
    records.setExpectedFields(p.workbook ? 0 : p.fileColumns);
    if (p.workbook)
        records.setLineNumbers(&p.sheetRowOfLine);
    CsvLander lander(p, table);
    CsvLanded row;
    int lines = 0;
    CsvFirstSeen seenPeople, seenSymbols;
    const int rowsBefore = table.active() ? table.recordCount() : 0;
    p.tableRows = rowsBefore;
    for (;;) {
        const CsvRecordReader::Status s = records.next();
        if (s == CsvRecordReader::Status::End)
            break;
        if (s != CsvRecordReader::Status::Record) {
            p.stopLine = records.line();
            p.stopReason = stopText(s, records.inQuotes());
            break;
        }
        const QList<QByteArrayView> &fields = records.fields();
        if (!fields.isEmpty() && records.line() >= p.firstDataLine) {
            const bool shown = p.firstRows.size() < CsvPreviewRows;
            lander.land(fields, row, shown);
            row.quoteAsChar = records.quoteAsCharacter();
            row.line = records.line();
            row.lastLine = mergedLastLine(records, p.fileColumns);
            if (shown) {
                QStringList cells;
                for (int c = 0; c < CsvColumnCount; ++c) {
                    if (c == CsvAmountColumn)
                        cells << DbfTable::formatGeneral(row.amount.value, DbfTable::systemDecimalSeparator());
                    else if (c == CsvFlagColumn)
                        cells << QString::number(row.flag);
                    else
                        cells << row.text[size_t(c)];
                }
                p.firstRows << cells;
                p.firstLines << records.line();
                QStringList raw;
                for (QByteArrayView f : fields)
                    raw << DecodeCsvField(f, p.encoding);
                p.firstFields << raw;
            }
            noteRow(records.line(), p.rows, row, amountMapped, p.encoding, p.amountProblems, p.rowProblems);
            p.ambiguousAmounts += amountMapped && row.amount.ambiguous;
            // Every row is compared as the table will keep it: two rows whose texts
            // differ only past a column's width land as the same person.
            const CsvRowKeys keys(lander, row);
            bool dup = false;
            if (!existing.empty()) {
                const auto it = existing.find(keys.values());
                if (it != existing.end()) {
                    dup = true;
                    existing.erase(it);   // one file row per table row
                }
            }
            p.duplicate.push_back(dup);
            p.duplicates += dup;
            // The same person, or the same variable symbol, earlier in the file.
            const CsvFirstSeen::Place here{records.line(), p.rows};
            const CsvFirstSeen::Place *person = seenPeople.seenOrTake(keys.person(), here);
            const CsvFirstSeen::Place *same = keys.hasSymbol() ? seenSymbols.seenOrTake(keys.symbol(), here) : nullptr;
            const bool samePerson = person && keys.personNamed();
            const bool repeated = samePerson || same;
            if (repeated && p.repeats++ < CsvListedProblems) {
                const CsvFirstSeen::Place first = samePerson ? *person : *same;
                p.rowRepeats.append({here.line, here.row, first.line, first.row,
                                     samePerson ? QString() : keys.symbolText()});
            }
            p.repeat.push_back(repeated);
            ++p.rows;
        }
        if (++lines % ExchangeProgressStep == 0 && progress && !progress(reader.position(), total)) {
            p.cancelled = true;
            return p;
        }
    }
    p.problems = p.problemTexts(p.proposedOptions());
    p.repeatNotes = p.repeatTexts(p.proposedOptions());
    return p;
}

CsvImportResult ImportPreviewedCsv(const CsvPreview &preview, DbfTable &table, const CsvImportOptions &options,
                                   const ExchangeProgress &progress)
{
    CsvImportResult result;
    result.openFailed = preview.openFailed;
    result.refusal = preview.refusal;
    result.cancelled = preview.cancelled;
    if (!preview.canImport())
        return result;
    result.header = preview.header;
    result.headerLine = preview.headerLine;
    result.captionLines = preview.captionLines;
    result.unknownColumns = preview.unknownColumns;
    for (int c = 0; c < CsvColumnCount; ++c)   // columns the table lacks are not kept either
        if (c < int(preview.lacking.size()) && preview.lacking[size_t(c)]
            && std::find(preview.columnOf.begin(), preview.columnOf.end(), c) != preview.columnOf.end())
            result.unknownColumns << recipientColumns().at(c).previewTitle;
    QFile file(preview.readPath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(preview.contentStart)) {
        result.openFailed = true;
        return result;
    }
    const qint64 total = file.size();
    const bool skip = options.skipDuplicates && !(options.removeSamples && preview.onlySamples);

    CsvReader reader(&file);
    CsvRecordReader records(reader, preview.separator);
    records.setExpectedFields(preview.workbook ? 0 : preview.fileColumns);
    if (preview.workbook)
        records.setLineNumbers(&preview.sheetRowOfLine);
    QList<CsvRowProblem> problems;
    CsvLander lander(preview, table);
    CsvLanded row;
    int lines = 0;
    int ordinal = 0;
    int rowsBefore = table.active() ? table.recordCount() : 0;
    try {
        if (options.removeSamples && preview.onlySamples) {
            table.deleteAll();
            result.removedSamples = true;
        }
        rowsBefore = table.recordCount();
        // Rows reach the file a progress step at a time: what the progress
        // reports is in the file, and a kill loses at most one step.
        table.setAppendBatch(ExchangeProgressStep);
        // Columns are looked up once, at the first row; a field object follows the
        // current record.
        std::vector<std::pair<int, DbfField>> targets;
        for (;;) {
            const CsvRecordReader::Status s = records.next();
            if (s == CsvRecordReader::Status::End)
                break;
            if (s != CsvRecordReader::Status::Record) {
                // Stop here; every row before it is already posted.
                result.tooLong = true;
                result.stopMessage = QStringLiteral("Soubor %1, řádek %2: %3. Import skončil před tímto řádkem.")
                                         .arg(native(preview.path))
                                         .arg(records.line())
                                         .arg(stopText(s, records.inQuotes()));
                break;
            }
            const QList<QByteArrayView> &fields = records.fields();
            if (!fields.isEmpty() && records.line() >= preview.firstDataLine) {
                const int n = ordinal++;
                if (skip && size_t(n) < preview.duplicate.size() && preview.duplicate[size_t(n)]) {
                    ++result.skippedDuplicates;
                    continue;
                }
                if (options.skipRepeats && size_t(n) < preview.repeat.size() && preview.repeat[size_t(n)]) {
                    ++result.skippedRepeats;
                    continue;
                }
                if (targets.empty()) {
                    for (int c = 0; c < CsvColumnCount; ++c)
                        for (const int mapped : preview.columnOf)
                            if (mapped == c && !lacksOptionalColumn(table, recipientColumns().at(c))) {
                                targets.emplace_back(c, table.fieldByName(QLatin1String(CsvColumnNames[size_t(c)])));
                                break;
                            }
                }
                lander.land(fields, row, false);
                row.quoteAsChar = records.quoteAsCharacter();
                row.line = records.line();
                row.lastLine = mergedLastLine(records, preview.fileColumns);
                noteRow(records.line(), rowsBefore + result.rows + 1, row, preview.amountMapped, preview.encoding,
                        result.amountProblems, problems);
                table.append();
                for (auto &[c, target] : targets) {
                    switch (CsvKindOf(c)) {
                    case CsvColumnKind::Text: {
                        // The file's bytes go in as they are where the table reads them alike.
                        const QByteArrayView f = row.field[size_t(c)];
                        if (preview.encoding == CsvEncoding::Cp1250 || IsAsciiText(f))
                            target.setAsEncodedString(f, Codepage::Cp1250);
                        else
                            target.setAsString(DecodeCsvField(f, preview.encoding));
                        break;
                    }
                    case CsvColumnKind::Amount:
                        target.setAsFloat(row.amount.value);
                        break;
                    case CsvColumnKind::Flag:
                        target.setAsInteger(row.flag);
                        break;
                    }
                }
                table.post();
                ++result.rows;
            }
            if (++lines % ExchangeProgressStep == 0 && progress) {
                table.flushAppends();
                if (!progress(preview.contentStart + reader.position(), total)) {
                    result.cancelled = true;
                    break;
                }
            }
        }
    } catch (const std::exception &e) {
        result.engineError = QString::fromUtf8(e.what());
        // The row that failed must not be posted later by the next cursor move.
        try {
            if (table.active())
                table.cancel();
        } catch (const std::exception &) {
        }
    }
    // The rows still held back are written now. After any failure the count is
    // what the table kept: the rows posted before it.
    try {
        if (table.active())
            table.setAppendBatch(0);
    } catch (const std::exception &e) {
        if (result.engineError.isEmpty())
            result.engineError = QString::fromUtf8(e.what());
    }
    if (!result.engineError.isEmpty() && table.active())
        result.rows = qMax(0, table.recordCount() - rowsBefore);
    for (const CsvRowProblem &problem : std::as_const(problems))
        result.problems << problemText(problem.line, problem.row, problem.what);
    return result;
}

CsvImportResult ImportCsv(const QString &path, DbfTable &table, CsvLayout layout, const ExchangeProgress &progress)
{
    const CsvPreview preview = PreviewCsvFile(path, table, layout);
    return ImportPreviewedCsv(preview, table, {}, progress);
}

CsvImportResult ImportCsvFile(const QString &path, DbfTable &table, const ExchangeProgress &progress)
{
    return ImportCsv(path, table, CsvLayout::Full, progress);
}

CsvImportResult ImportCsv6File(const QString &path, DbfTable &table, const ExchangeProgress &progress)
{
    return ImportCsv(path, table, CsvLayout::SixColumns, progress);
}

QString CsvOpenFailedMessage(const QString &path)
{
    return QStringLiteral("Nelze otevrít soubor ") + path;
}

QString CsvImportedMessage(int rows)
{
    return QStringLiteral("Bylo importováno ") + QString::number(rows) + QStringLiteral(" záznamu.");
}

QString Csv6ImportedMessage(int rows)
{
    return QStringLiteral("Importováno ") + QString::number(rows) + QStringLiteral(" záznamu.");
}

QString CsvUncertainRowsText(int rows)
{
    return czechPlural(rows, QStringLiteral("Na %1 řádku souboru nešlo hodnoty přečíst s jistotou:"),
                       QStringLiteral("Na %1 řádcích souboru nešlo hodnoty přečíst s jistotou:"),
                       QStringLiteral("Na %1 řádcích souboru nešlo hodnoty přečíst s jistotou:"))
        .arg(rows);
}

QString CsvImportNotes(const CsvImportResult &r)
{
    QStringList notes;
    if (r.removedSamples)
        notes << QStringLiteral("Čtyři ukázkoví adresáti byli před importem odstraněni.");
    for (const int line : r.captionLines)
        notes << QStringLiteral("Řádek souboru %1 je nadpis nad řádky adresátů; nebyl importován.").arg(line);
    if (r.header && r.headerLine <= 1)
        notes << QStringLiteral("První řádek souboru je záhlaví se jmény sloupců; nebyl importován.");
    else if (r.header)
        notes << QStringLiteral("Řádek souboru %1 je záhlaví se jmény sloupců; nebyl importován.").arg(r.headerLine);
    if (!r.unknownColumns.isEmpty())
        notes << QStringLiteral("Sloupce, které adresář nemá (nebo jsou v souboru podruhé), nebyly importovány: „%1“.")
                     .arg(r.unknownColumns.join(QStringLiteral("“, „")));
    if (r.skippedDuplicates)
        notes << czechPlural(r.skippedDuplicates, QStringLiteral("%1 řádek už v adresáři byl, nebyl importován znovu."),
                             QStringLiteral("%1 řádky už v adresáři byly, nebyly importovány znovu."),
                             QStringLiteral("%1 řádků už v adresáři bylo, nebyly importovány znovu."))
                     .arg(r.skippedDuplicates);
    if (r.skippedRepeats)
        notes << czechPlural(r.skippedRepeats, QStringLiteral("%1 řádek opakoval dřívější řádek souboru, nebyl importován."),
                             QStringLiteral("%1 řádky opakovaly dřívější řádky souboru, nebyly importovány."),
                             QStringLiteral("%1 řádků opakovalo dřívější řádky souboru, nebyly importovány."))
                     .arg(r.skippedRepeats);
    if (r.amountProblems) {
        QString t = CsvUncertainRowsText(r.amountProblems);
        for (const QString &p : r.problems)
            t += QLatin1Char('\n') + p;
        if (r.amountProblems > r.problems.size())
            t += QStringLiteral("\n…");
        notes << t;
    }
    return notes.join(QStringLiteral("\n\n"));
}

QStringList CsvImportMessages(const CsvImportResult &result, const QString &path, CsvLayout layout)
{
    const QString count = layout == CsvLayout::Full ? CsvImportedMessage(result.rows)
                                                    : Csv6ImportedMessage(result.rows);
    if (result.openFailed) {
        // The full import still reports its (zero) count; the six-column one does not.
        if (layout == CsvLayout::Full)
            return {CsvOpenFailedMessage(path), count};
        return {CsvOpenFailedMessage(path)};
    }
    if (!result.refusal.isEmpty())
        return {result.refusal, count};
    if (!result.engineError.isEmpty())
        return {result.engineError};
    QStringList out;
    if (result.tooLong)
        out << result.stopMessage;
    out << count;
    const QString notes = CsvImportNotes(result);
    if (!notes.isEmpty())
        out << notes;
    return out;
}

} // namespace kvitanky
