// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvImport.h"

#include "data/DbfTable.h"
#include "exchange/CsvFormat.h"
#include "text/Codepage.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <vector>
#include <span>

namespace kvitanky {

namespace {

enum class Kind { Text, Amount, Flag };

struct Column {
    int position;   // index into the split line
    const char *name;
    Kind kind;
};

constexpr Column FullColumns[] = {
    {0, "TITUL", Kind::Text},     {1, "JMENO", Kind::Text},      {2, "PRIJMENI", Kind::Text},
    {3, "ULICE", Kind::Text},     {4, "OBEC", Kind::Text},       {5, "PSC", Kind::Text},
    {6, "CASTKA", Kind::Amount},  {7, "VAR_SYMB", Kind::Text},   {8, "SPEC_SYMB", Kind::Text},
    {9, "TELEFON", Kind::Text},   {10, "EMAIL", Kind::Text},     {11, "VYRAZENO", Kind::Flag},
};

// The six-column import leaves the title, symbols, phone, e-mail and the exclusion
// mark as a new row has them.
constexpr Column SixColumns[] = {
    {0, "PRIJMENI", Kind::Text}, {1, "JMENO", Kind::Text}, {2, "PSC", Kind::Text},
    {3, "OBEC", Kind::Text},     {4, "ULICE", Kind::Text}, {5, "CASTKA", Kind::Amount},
};

constexpr qint64 ScanChunk = 256 * 1024;

bool hasHighByte(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// Where a chunk can be cut without splitting a UTF-8 sequence.
qsizetype safeCut(const QByteArray &buf)
{
    const qsizetype n = buf.size();
    for (qsizetype k = n - 1; k >= 0 && k >= n - 4; --k) {
        const auto b = static_cast<unsigned char>(buf.at(k));
        if ((b & 0xC0) == 0x80)
            continue;
        const int need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return k + need > n ? k : n;
    }
    return n;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

CsvEncoding DetectCsvEncoding(QIODevice &device, qint64 *contentStart)
{
    if (contentStart)
        *contentStart = 0;
    device.seek(0);
    bool sawMultiByte = false;
    bool firstChunk = true;
    QByteArray carry;
    for (;;) {
        QByteArray chunk = device.read(ScanChunk);
        if (firstChunk) {
            firstChunk = false;
            if (chunk.startsWith("\xEF\xBB\xBF")) {
                if (contentStart)
                    *contentStart = 3;
                return CsvEncoding::Utf8;
            }
        }
        bool last = chunk.isEmpty();
        const qsizetype ctrlZ = chunk.indexOf(char(26));
        if (ctrlZ >= 0) {
            chunk.truncate(ctrlZ);
            last = true;
        }
        QByteArray buf = carry + chunk;
        carry.clear();
        if (!last) {
            const qsizetype cut = safeCut(buf);
            carry = buf.mid(cut);
            buf.truncate(cut);
        }
        if (hasHighByte(buf)) {
            // With a byte above 127 present, "not UTF-8" can only mean invalid.
            if (!looksLikeUtf8(buf))
                return CsvEncoding::Cp1250;
            sawMultiByte = true;
        }
        if (last)
            break;
    }
    return sawMultiByte ? CsvEncoding::Utf8 : CsvEncoding::Cp1250;
}

QString DecodeCsvField(QByteArrayView bytes, CsvEncoding encoding)
{
    return encoding == CsvEncoding::Utf8 ? QString::fromUtf8(bytes)
                                         : decode(bytes.data(), bytes.size(), Codepage::Cp1250);
}

CsvImportResult ImportCsv(const QString &path, DbfTable &table, CsvLayout layout,
                          const ExchangeProgress &progress)
{
    CsvImportResult result;
    QFile file(path);
    // The table's own file is never read as CSV: it would grow under the reader.
    if (QFileInfo(path).isDir() || sameFile(path, table.tableName()) || !file.open(QIODevice::ReadOnly)) {
        result.openFailed = true;
        return result;
    }

    // UTF-16 would come through as one row of garbage; refuse it with a word of help.
    const QByteArray head = file.peek(2);
    if (head == "\xFF\xFE" || head == "\xFE\xFF") {
        result.utf16 = true;
        return result;
    }

    qint64 contentStart = 0;
    const CsvEncoding encoding = DetectCsvEncoding(file, &contentStart);
    if (!file.seek(contentStart)) {
        result.openFailed = true;
        return result;
    }
    const qint64 total = file.size();

    const std::span<const Column> columns = layout == CsvLayout::Full
        ? std::span<const Column>(FullColumns)
        : std::span<const Column>(SixColumns);
    const int positions = layout == CsvLayout::Full ? CsvFullPositions : Csv6Positions;

    CsvReader reader(&file);
    QByteArray line;
    QList<QByteArrayView> fields;
    int linesRead = 0;
    try {
        // Columns are looked up once, at the first row; a field object follows the
        // current record.
        std::vector<std::pair<const Column *, DbfField>> targets;
        while (!reader.atEnd()) {
            if (!ReadCsvLineInto(reader, line)) {
                // Stop here; every row before it is already posted.
                result.tooLong = true;
                break;
            }
            if (!line.isEmpty()) {
                SplitCsvLineInPlace(line, positions, fields);
                if (targets.empty()) {
                    for (const Column &c : columns)
                        targets.emplace_back(&c, table.fieldByName(QLatin1String(c.name)));
                }
                table.append();
                for (auto &[c, target] : targets) {
                    const QByteArrayView field = fields.at(c->position);
                    switch (c->kind) {
                    case Kind::Text:
                        target.setAsString(DecodeCsvField(field, encoding));
                        break;
                    case Kind::Amount:
                        target.setAsFloat(CsvAmountToFloat(field));
                        break;
                    case Kind::Flag:
                        target.setAsInteger(field == "1" ? 1 : 0);
                        break;
                    }
                }
                table.post();
                ++result.rows;
            }
            if (++linesRead % ExchangeProgressStep == 0 && progress
                && !progress(contentStart + reader.position(), total)) {
                result.cancelled = true;
                break;
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
    return result;
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

QString CsvRowTooLongMessage()
{
    return QStringLiteral("Row is too long!");
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
    if (result.utf16) {
        return {QStringLiteral("Soubor %1 je v kódování UTF-16, které import nezná. Uložte jej jako CSV "
                               "v kódování UTF-8 nebo Windows-1250.").arg(path),
                count};
    }
    if (!result.engineError.isEmpty())
        return {result.engineError};
    if (result.tooLong)
        return {CsvRowTooLongMessage(), count};
    return {count};
}

} // namespace kvitanky
