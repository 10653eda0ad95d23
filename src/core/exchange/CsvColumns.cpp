// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvColumns.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSettings>

namespace kvitanky {

namespace {

QString key(const QString &name);

// Names as the key below leaves them: each column's own, its header names, its
// workbook and preview titles and its caption on the recipient page.
const QHash<QString, int> &names()
{
    static const QHash<QString, int> map = [] {
        QHash<QString, int> m;
        for (int c = 0; c < CsvColumnCount; ++c) {
            const TableColumnDef &d = recipientColumns().at(c);
            for (const QString &name : QStringList{d.name, d.sheetTitle, d.previewTitle, d.caption} + d.aliases)
                if (!name.isEmpty())
                    m.insert(key(name), c);
        }
        return m;
    }();
    return map;
}

// Lower case, no diacritics, letters and digits only.
QString key(const QString &name)
{
    const QString decomposed = name.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.isLetterOrNumber())
            out.append(c.toLower());
    return out;
}

} // namespace

int CsvColumnForName(const QString &name)
{
    return names().value(key(name), -1);
}

CsvHeader RecogniseCsvHeader(const QStringList &fields)
{
    CsvHeader h;
    int named = 0, nonEmpty = 0;
    bool used[CsvColumnCount] = {};
    for (const QString &f : fields) {
        const QString text = f.trimmed();
        int column = text.isEmpty() ? -1 : CsvColumnForName(text);
        if (!text.isEmpty())
            ++nonEmpty;
        if (column >= 0) {
            ++named;
            if (used[column])
                column = -1;
            else
                used[column] = true;
        }
        if (column < 0 && !text.isEmpty())
            h.unknown << text;
        h.columnOf.push_back(column);
    }
    h.found = named >= 2 || (named >= 1 && named == nonEmpty);
    if (!h.found) {
        h.columnOf.clear();
        h.unknown.clear();
    }
    return h;
}

namespace {

QString headerKey(const QStringList &header)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(header.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1).toHex());
}

} // namespace

std::vector<int> RecallCsvColumns(const QString &memoryFile, const QStringList &header)
{
    const QSettings memory(memoryFile, QSettings::IniFormat);
    const QString text = memory.value(QStringLiteral("Sloupce/") + headerKey(header)).toString();
    std::vector<int> columnOf;
    if (text.isEmpty())
        return columnOf;
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int c = part.toInt(&ok);
        if (!ok || c < -1 || c >= CsvColumnCount)
            return {};
        columnOf.push_back(c);
    }
    if (columnOf.size() != size_t(header.size()))
        return {};
    return columnOf;
}

void RememberCsvColumns(const QString &memoryFile, const QStringList &header, const std::vector<int> &columnOf)
{
    QStringList parts;
    for (const int c : columnOf)
        parts << QString::number(c);
    QSettings memory(memoryFile, QSettings::IniFormat);
    memory.setValue(QStringLiteral("Sloupce/") + headerKey(header), parts.join(QLatin1Char(',')));
    memory.sync();
}

} // namespace kvitanky
