// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvExport.h"

#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "exchange/CsvFormat.h"
#include "text/Codepage.h"

#include <QFileInfo>
#include <QSaveFile>

#include <exception>
#include <optional>
#include <vector>

namespace kvitanky {

namespace {

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
        // Looked up once; a field object follows the current record. A column the
        // table lacks is written empty.
        std::vector<std::optional<DbfField>> fields;
        if (!table.eof())
            for (const TableColumnDef &c : recipientColumns())
                fields.push_back(columnIndexIn(table, c) < 0 ? std::nullopt
                                                             : std::optional<DbfField>(table.fieldByName(c.name)));
        while (!table.eof()) {
            for (int c = 0; c < RecipientColumnCount; ++c) {
                const std::optional<DbfField> &f = fields[size_t(c)];
                if (!f) {
                    out.append(';');
                    continue;
                }
                switch (recipientColumns().at(c).type) {
                case FieldType::String:
                    appendText(out, f->asString());
                    break;
                case FieldType::Float:
                    out.append(FloatToCsvText(f->asFloat()));
                    out.append(';');
                    break;
                case FieldType::Smallint:
                    out.append(QByteArray::number(f->asInteger()));
                    out.append(';');
                    break;
                }
            }
            out.append("\r\n");
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
