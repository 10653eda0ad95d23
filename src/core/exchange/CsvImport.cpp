// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvImport.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/CsvFormat.h"
#include "exchange/CsvRecords.h"
#include "exchange/WorkbookReader.h"
#include "text/Codepage.h"
#include "text/CzechPlural.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace kvitanky {

namespace {

enum class Kind { Text, Amount, Flag };

Kind kindOf(int column)
{
    return column == CsvAmountColumn ? Kind::Amount : column == CsvFlagColumn ? Kind::Flag : Kind::Text;
}

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

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// One record as it lands in the table's columns.
struct Landed {
    std::array<QString, CsvColumnCount> text;   // text columns, cut to their size
    CsvAmount amount;
    QByteArrayView amountText;
    int flag = 0;
    std::array<bool, CsvColumnCount> filled{};
};

class Lander
{
public:
    Lander(const CsvPreview &p, DbfTable &table)
        : m_p(p)
    {
        const QList<FieldDef> defs = table.active() ? table.fields() : QList<FieldDef>();
        for (int c = 0; c < CsvColumnCount; ++c) {
            m_size[size_t(c)] = 254;
            for (const FieldDef &d : defs)
                if (d.name.compare(QLatin1String(CsvColumnNames[size_t(c)]), Qt::CaseInsensitive) == 0)
                    m_size[size_t(c)] = d.size > 0 ? d.size : 254;
        }
    }

    void land(const QList<QByteArrayView> &fields, Landed &row, bool cut) const
    {
        row.filled.fill(false);
        const size_t n = std::min(m_p.columnOf.size(), size_t(fields.size()));
        for (size_t pos = 0; pos < m_p.columnOf.size(); ++pos) {
            const int c = m_p.columnOf[pos];
            if (c < 0)
                continue;
            const QByteArrayView f = pos < n ? fields.at(qsizetype(pos)) : QByteArrayView();
            row.filled[size_t(c)] = true;
            switch (kindOf(c)) {
            case Kind::Text: {
                QString t = DecodeCsvField(f, m_p.encoding);
                if (cut) {
                    // As the table keeps it: cut to its size, trailing blanks dropped.
                    QByteArray b = toCp1250(t).left(m_size[size_t(c)]);
                    while (!b.isEmpty() && (b.back() == ' ' || b.back() == '\0'))
                        b.chop(1);
                    t = fromCp1250(b);
                }
                row.text[size_t(c)] = t;
                break;
            }
            case Kind::Amount:
                row.amount = ReadCsvAmount(f);
                row.amountText = f;
                break;
            case Kind::Flag:
                row.flag = ReadCsvFlag(f);
                break;
            }
        }
        for (int c = 0; c < CsvColumnCount; ++c) {
            if (row.filled[size_t(c)])
                continue;
            row.text[size_t(c)].clear();
            if (c == CsvAmountColumn) {
                row.amount = {};
                row.amountText = {};
            }
            if (c == CsvFlagColumn)
                row.flag = 0;
        }
    }

private:
    const CsvPreview &m_p;
    std::array<int, CsvColumnCount> m_size{};
};

// A row's values in one string: equal strings, equal rows.
std::size_t rowHash(const std::array<QString, CsvColumnCount> &text, double amount, int flag)
{
    QByteArray key;
    for (int c = 0; c < CsvColumnCount; ++c) {
        if (c == CsvAmountColumn)
            key += QByteArray::number(qint64(std::llround(amount * 10000)));
        else if (c == CsvFlagColumn)
            key += QByteArray::number(flag);
        else
            key += toCp1250(text[size_t(c)]);
        key += '\x1f';
    }
    return std::hash<std::string_view>{}(std::string_view(key.constData(), size_t(key.size())));
}

std::size_t landedHash(const Landed &row)
{
    return rowHash(row.text, row.amount.value, row.flag);
}

// Every row of the table as a hash; the table's cursor ends past the last row.
std::vector<std::size_t> tableHashes(DbfTable &table)
{
    std::vector<std::size_t> out;
    std::vector<DbfField> fields;
    for (const char *name : CsvColumnNames)
        fields.push_back(table.fieldByName(QLatin1String(name)));
    out.reserve(size_t(table.recordCount()));
    std::array<QString, CsvColumnCount> text;
    for (table.first(); !table.eof(); table.next()) {
        for (int c = 0; c < CsvColumnCount; ++c)
            if (kindOf(c) == Kind::Text)
                text[size_t(c)] = fields[size_t(c)].asString();
        out.push_back(rowHash(text, fields[CsvAmountColumn].asFloat(), fields[CsvFlagColumn].asInteger()));
    }
    return out;
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
        return tableHashes(t);
    }();
    return rows == samples;
}

QString amountShown(double value)
{
    return QString::fromLatin1(FloatToCsvText(value));
}

QString problemText(int line, const CsvAmount &a, QByteArrayView text, CsvEncoding encoding)
{
    const QString shown = DecodeCsvField(text, encoding).trimmed();
    if (a.state == CsvAmount::State::Negative)
        return QStringLiteral("Řádek %1: částka „%2“ je záporná, uložena %3").arg(line).arg(shown, amountShown(a.value));
    return QStringLiteral("Řádek %1: částku „%2“ nelze přečíst, uložena %3").arg(line).arg(shown, amountShown(a.value));
}

QString stopText(CsvRecordReader::Status s, bool inQuotes)
{
    if (s == CsvRecordReader::Status::Unterminated)
        return QStringLiteral("uvozovky otevřené na tomto řádku se do konce souboru neuzavřely");
    if (inQuotes)
        return QStringLiteral("pole v uvozovkách se ani po %1 znacích neuzavřelo").arg(CsvMaxLineLength);
    return QStringLiteral("řádek je delší než %1 znaků").arg(CsvMaxLineLength);
}

bool isProblem(const CsvAmount &a)
{
    return a.state == CsvAmount::State::Negative || a.state == CsvAmount::State::Unreadable;
}

} // namespace

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

CsvPreview PreviewCsvFile(const QString &path, DbfTable &table, CsvLayout layout, const ExchangeProgress &progress)
{
    CsvPreview p;
    p.path = path;
    p.readPath = path;
    p.columnOf = layoutColumns(layout);
    QFile file(path);
    // The table's own file is never read as CSV: it would grow under the reader.
    if (QFileInfo(path).isDir() || sameFile(path, table.tableName()) || !file.open(QIODevice::ReadOnly)) {
        p.openFailed = true;
        return p;
    }
    QIODevice *checked = &file;
    if (WorkbookFormatOf(path) != WorkbookFormat::None) {
        // A workbook's first sheet is read through a CSV copy, line by sheet row.
        p.copy = std::make_shared<QTemporaryFile>(QDir(QDir::tempPath()).filePath(QStringLiteral("kvitanky-XXXXXX.csv")));
        if (p.copy->open())
            p.refusal = WriteWorkbookAsCsv(path, *p.copy);
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
    // The separator from the first line.
    {
        CsvReader first(&in);
        QByteArray line;
        if (!first.atEnd() && ReadCsvLineInto(first, line))
            p.separator = DetectCsvSeparator(line);
        in.seek(p.contentStart);
    }

    std::unordered_multiset<std::size_t> existing;
    try {
        if (table.active() && table.recordCount() > 0) {
            const int at = table.recNo();
            const std::vector<std::size_t> rows = tableHashes(table);
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
    Lander lander(p, table);
    Landed row;
    bool firstRecord = true;
    int lines = 0;
    qsizetype amountAt = -1;
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
        // One pass of this block per record; `break` ends the record early.
        while (!fields.isEmpty()) {
            if (firstRecord) {
                firstRecord = false;
                QStringList names;
                for (QByteArrayView f : fields)
                    names << DecodeCsvField(f, p.encoding);
                const CsvHeader h = RecogniseCsvHeader(names);
                if (h.found) {
                    p.header = true;
                    p.columnOf = h.columnOf;
                    p.unknownColumns = h.unknown;
                    break;
                }
            }
            const bool shown = p.firstRows.size() < CsvPreviewRows;
            if (!shown && existing.empty()) {
                // Past the rows shown, with nothing to compare to, only the amount counts.
                if (amountAt < 0) {
                    amountAt = qsizetype(std::find(p.columnOf.begin(), p.columnOf.end(), CsvAmountColumn)
                                         - p.columnOf.begin());
                }
                const QByteArrayView text = amountAt < fields.size() && size_t(amountAt) < p.columnOf.size()
                    ? fields.at(amountAt) : QByteArrayView();
                const CsvAmount amount = ReadCsvAmount(text);
                if (isProblem(amount) && p.amountProblems++ < CsvListedProblems)
                    p.problems << problemText(records.line(), amount, text, p.encoding);
                p.duplicate.push_back(false);
                ++p.rows;
                break;
            }
            lander.land(fields, row, true);
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
            }
            if (isProblem(row.amount)) {
                if (p.amountProblems++ < CsvListedProblems)
                    p.problems << problemText(records.line(), row.amount, row.amountText, p.encoding);
            }
            bool dup = false;
            if (!existing.empty()) {
                const auto it = existing.find(landedHash(row));
                if (it != existing.end()) {
                    dup = true;
                    existing.erase(it);   // one file row per table row
                }
            }
            p.duplicate.push_back(dup);
            p.duplicates += dup;
            ++p.rows;
            break;
        }
        if (++lines % ExchangeProgressStep == 0 && progress && !progress(reader.position(), total)) {
            p.cancelled = true;
            return p;
        }
    }
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
    result.unknownColumns = preview.unknownColumns;
    QFile file(preview.readPath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(preview.contentStart)) {
        result.openFailed = true;
        return result;
    }
    const qint64 total = file.size();
    const bool skip = options.skipDuplicates && !(options.removeSamples && preview.onlySamples);

    CsvReader reader(&file);
    CsvRecordReader records(reader, preview.separator);
    Lander lander(preview, table);
    Landed row;
    int lines = 0;
    int ordinal = 0;
    bool firstRecord = true;
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
            if (!fields.isEmpty()) {
                if (firstRecord && preview.header) {
                    firstRecord = false;
                    continue;
                }
                firstRecord = false;
                const int n = ordinal++;
                if (skip && size_t(n) < preview.duplicate.size() && preview.duplicate[size_t(n)]) {
                    ++result.skippedDuplicates;
                    continue;
                }
                if (targets.empty()) {
                    for (int c = 0; c < CsvColumnCount; ++c)
                        for (const int mapped : preview.columnOf)
                            if (mapped == c) {
                                targets.emplace_back(c, table.fieldByName(QLatin1String(CsvColumnNames[size_t(c)])));
                                break;
                            }
                }
                lander.land(fields, row, false);
                if (isProblem(row.amount) && result.amountProblems++ < CsvListedProblems)
                    result.problems << problemText(records.line(), row.amount, row.amountText, preview.encoding);
                table.append();
                for (auto &[c, target] : targets) {
                    switch (kindOf(c)) {
                    case Kind::Text:
                        target.setAsString(row.text[size_t(c)]);
                        break;
                    case Kind::Amount:
                        target.setAsFloat(row.amount.value);
                        break;
                    case Kind::Flag:
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

QString CsvImportNotes(const CsvImportResult &r)
{
    QStringList notes;
    if (r.removedSamples)
        notes << QStringLiteral("Čtyři ukázkoví adresáti byli před importem odstraněni.");
    if (r.header)
        notes << QStringLiteral("První řádek souboru je záhlaví se jmény sloupců; nebyl importován.");
    if (!r.unknownColumns.isEmpty())
        notes << QStringLiteral("Sloupce, které adresář nemá (nebo jsou v souboru podruhé), nebyly importovány: „%1“.")
                     .arg(r.unknownColumns.join(QStringLiteral("“, „")));
    if (r.skippedDuplicates)
        notes << czechPlural(r.skippedDuplicates, QStringLiteral("%1 řádek už v adresáři byl, nebyl importován znovu."),
                             QStringLiteral("%1 řádky už v adresáři byly, nebyly importovány znovu."),
                             QStringLiteral("%1 řádků už v adresáři bylo, nebyly importovány znovu."))
                     .arg(r.skippedDuplicates);
    if (r.amountProblems) {
        QString t = QStringLiteral("Částku se nepodařilo přečíst nebo byla záporná na %1 řádcích:").arg(r.amountProblems);
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
