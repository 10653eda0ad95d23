// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvExport.h"

#include "data/DbfTable.h"
#include "exchange/CsvFormat.h"
#include "text/Codepage.h"

#include <QFileInfo>
#include <QSaveFile>

#include <exception>
#include <optional>
#include <vector>

namespace kvitanky {

namespace {

constexpr const char *TextBefore[] = {"TITUL", "JMENO", "PRIJMENI", "ULICE", "OBEC", "PSC"};
constexpr const char *TextAfter[] = {"VAR_SYMB", "SPEC_SYMB", "TELEFON", "EMAIL"};
constexpr qsizetype FlushSize = 256 * 1024;

void appendText(QByteArray &out, const QString &text)
{
    // A text of exactly "0" is written as an empty field.
    if (text != QLatin1String("0")) {
        const QByteArray bytes = toCp1250(text);
        // A ";", a quotation mark or a line break would break the line apart: such a
        // text goes between quotation marks, its own ones doubled, as the import
        // reads a field that begins with one.
        if (bytes.contains(';') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r')) {
            out.append('"');
            for (const char c : bytes) {
                if (c == '"')
                    out.append('"');
                out.append(c);
            }
            out.append('"');
        } else {
            out.append(bytes);
        }
    }
    out.append(';');
}

} // namespace

CsvExportResult ExportCsvFile(const QString &path, DbfTable &table, const ExchangeProgress &progress)
{
    CsvExportResult result;
    if (table.isOwnFile(path)) {
        // Replacing the open table's file with its own export would lose the table.
        result.createFailed = true;
        result.reason = QStringLiteral("je to soubor tabulky");
        return result;
    }
    QSaveFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly)) {
        result.createFailed = true;
        result.reason = file.errorString();
        return result;
    }

    int rows = 0;
    QByteArray out;
    out.reserve(FlushSize + 1024);
    bool writeFailed = false;
    try {
        const qint64 total = table.recordCount();
        table.first();
        std::vector<DbfField> before, after;
        std::optional<DbfField> amount, excluded;
        if (!table.eof()) {
            // Looked up once; a field object follows the current record.
            for (const char *name : TextBefore)
                before.push_back(table.fieldByName(QLatin1String(name)));
            amount = table.fieldByName(QStringLiteral("CASTKA"));
            for (const char *name : TextAfter)
                after.push_back(table.fieldByName(QLatin1String(name)));
            excluded = table.fieldByName(QStringLiteral("VYRAZENO"));
        }
        while (!table.eof()) {
            for (const DbfField &f : before)
                appendText(out, f.asString());
            out.append(FloatToCsvText(amount->asFloat()));
            out.append(';');
            for (const DbfField &f : after)
                appendText(out, f.asString());
            out.append(QByteArray::number(excluded->asInteger()));
            out.append(";\r\n");
            ++rows;
            if (out.size() >= FlushSize) {
                if (file.write(out) != out.size()) {
                    writeFailed = true;
                    break;
                }
                out.clear();
            }
            if (rows % ExchangeProgressStep == 0 && progress && !progress(rows, total)) {
                result.cancelled = true;
                break;
            }
            table.next();
        }
    } catch (const std::exception &e) {
        result.engineError = QString::fromUtf8(e.what());
    }

    if (result.cancelled || !result.engineError.isEmpty()) {
        file.cancelWriting();
        return result;
    }
    if (writeFailed || file.write(out) != out.size() || !file.flush() || !file.commit()) {
        result.createFailed = true;
        result.reason = file.errorString();
        return result;
    }
    result.rows = rows;
    return result;
}

QString CsvCreateFailedMessage(const QString &path)
{
    return QStringLiteral("Nemohu otevrít soubor ") + path + QLatin1Char('.');
}

QString CsvExportedMessage(int rows)
{
    return QStringLiteral("Bylo exportováno ") + QString::number(rows) + QStringLiteral(" záznamu.");
}

QStringList CsvExportMessages(const CsvExportResult &result, const QString &path)
{
    if (!result.engineError.isEmpty())
        return {result.engineError};
    if (result.createFailed)
        return {CsvCreateFailedMessage(path), CsvExportedMessage(0)};
    return {CsvExportedMessage(result.rows)};
}

} // namespace kvitanky
