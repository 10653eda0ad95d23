// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/XlsxExport.h"

#include "data/DbfTable.h"
#include "data/RecipientColumns.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <clocale>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

#include <locale.h>

namespace kvitanky {

namespace {

constexpr lxw_color_t HeaderGrey = 0xC0C0C0;
constexpr const char *SheetName = "Adresář";

QString writeFailedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Nelze zapsat soubor ") + path + QStringLiteral(" (") + reason
        + QStringLiteral(").");
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

QByteArray XlsxCellText(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    // A spreadsheet reads "_x0041_" in a cell as the character it codes; its
    // underscore written as "_x005F_" makes the text show as typed.
    if (!utf8.contains("_x") && !utf8.contains("_X"))
        return utf8;
    QByteArray out;
    out.reserve(utf8.size() + 16);
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '_' && i + 6 < utf8.size() && (utf8[i + 1] == 'x' || utf8[i + 1] == 'X')
            && isHex(utf8[i + 2]) && isHex(utf8[i + 3]) && isHex(utf8[i + 4]) && isHex(utf8[i + 5])
            && utf8[i + 6] == '_') {
            out.append("_x005F_");
            continue;
        }
        out.append(utf8[i]);
    }
    return out;
}

namespace {

QString lxwReason(lxw_error e)
{
    return QString::fromUtf8(lxw_strerror(e));
}

// libxlsxwriter prints numbers (values, column widths) with the C library, which
// follows LC_NUMERIC: under a decimal-comma locale it would write "1234,5" into the
// XML and spoil the workbook. The export runs with the C numbers on this thread.
class CNumericScope
{
public:
    CNumericScope()
    {
        const locale_t base = duplocale(uselocale(locale_t(nullptr)));
        if (!base)
            return;
        m_locale = newlocale(LC_NUMERIC_MASK, "C", base);
        if (!m_locale) {
            freelocale(base);
            return;
        }
        m_previous = uselocale(m_locale);
    }
    ~CNumericScope()
    {
        if (m_locale) {
            uselocale(m_previous);
            freelocale(m_locale);
        }
    }
    CNumericScope(const CNumericScope &) = delete;
    CNumericScope &operator=(const CNumericScope &) = delete;

private:
    locale_t m_locale = locale_t(nullptr);
    locale_t m_previous = locale_t(nullptr);
};

// Owns the workbook until it is either closed (written) or thrown away.
class Workbook
{
public:
    Workbook(const QByteArray &file, const QByteArray &tmpdir)
        : m_tmpdir(tmpdir)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;   // rows go straight to disk, in order
        options.tmpdir = m_tmpdir.data();
        m_book = workbook_new_opt(file.constData(), &options);
    }
    ~Workbook()
    {
        if (m_book)
            lxw_workbook_free(m_book);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_book; }
    lxw_error close()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr;
        return workbook_close(book);   // frees the workbook too
    }

private:
    QByteArray m_tmpdir;
    lxw_workbook *m_book = nullptr;
};

// Copies the finished workbook over the target only once it is complete.
QString moveIntoPlace(const QString &from, const QString &path)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return in.errorString();
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            return in.errorString();
        if (out.write(chunk) != chunk.size())
            return out.errorString();
    }
    if (!out.flush() || !out.commit())
        return out.errorString();
    return {};
}

} // namespace

XlsxExportResult ExportXlsxFile(const QString &path, DbfTable &table, const ExchangeProgress &progress)
{
    XlsxExportResult result;
    const CNumericScope cNumbers;
    if (QFileInfo(path).isDir()) {
        result.error = writeFailedMessage(path, QStringLiteral("je to složka"));
        return result;
    }
    if (table.isOwnFile(path)) {
        result.error = writeFailedMessage(path, QStringLiteral("je to soubor tabulky"));
        return result;
    }

    QTemporaryFile temp(QDir(QDir::tempPath()).filePath(QStringLiteral("kvitanky-XXXXXX.xlsx")));
    if (!temp.open()) {
        result.error = writeFailedMessage(path, temp.errorString());
        return result;
    }
    temp.close();

    Workbook book(QFile::encodeName(temp.fileName()), QFile::encodeName(QDir::tempPath()));
    lxw_worksheet *sheet = book.get() ? workbook_add_worksheet(book.get(), SheetName) : nullptr;
    if (!sheet) {
        result.error = writeFailedMessage(path, QStringLiteral("nelze vytvorit sešit"));
        return result;
    }
    lxw_format *header = workbook_add_format(book.get());
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, HeaderGrey);
    // A column with a number format has a format of its own.
    std::vector<lxw_format *> formats;
    lxw_error err = LXW_NO_ERROR;
    lxw_col_t col = 0;
    for (const TableColumnDef &c : recipientColumns()) {
        lxw_format *format = nullptr;
        if (!c.sheetFormat.isEmpty()) {
            format = workbook_add_format(book.get());
            format_set_num_format(format, c.sheetFormat.toUtf8().constData());
        }
        formats.push_back(format);
        worksheet_set_column(sheet, col, col, c.sheetWidth, nullptr);
        if (err == LXW_NO_ERROR)
            err = worksheet_write_string(sheet, 0, col, c.sheetTitle.toUtf8().constData(), header);
        ++col;
    }

    int rows = 0;
    try {
        const qint64 total = table.recordCount();
        table.first();
        // Looked up once; a field object follows the current record. A column the
        // table lacks stays empty.
        std::vector<std::optional<DbfField>> fields;
        if (!table.eof())
            for (const TableColumnDef &c : recipientColumns())
                fields.push_back(columnIndexIn(table, c) < 0 ? std::nullopt
                                                             : std::optional<DbfField>(table.fieldByName(c.name)));
        while (err == LXW_NO_ERROR && !table.eof()) {
            if (rows + 1 >= int(LXW_ROW_MAX)) {
                result.error = writeFailedMessage(path, QStringLiteral("list sešitu pojme nejvýše %1 rádku")
                                                            .arg(LXW_ROW_MAX - 1));
                return result;
            }
            const lxw_row_t row = lxw_row_t(rows + 1);
            col = 0;
            for (const TableColumnDef &c : recipientColumns()) {
                const std::optional<DbfField> &field = fields[size_t(col)];
                switch (field ? c.type : FieldType::String) {
                case FieldType::String: {
                    const QByteArray text = field ? XlsxCellText(field->asString()) : QByteArray();
                    if (!text.isEmpty())
                        err = worksheet_write_string(sheet, row, col, text.constData(), nullptr);
                    break;
                }
                case FieldType::Float: {
                    const double value = field->asFloat();
                    err = worksheet_write_number(sheet, row, col, std::isfinite(value) ? value : 0.0,
                                                 formats[size_t(col)]);
                    break;
                }
                case FieldType::Smallint:
                    err = worksheet_write_number(sheet, row, col, field->asInteger(), formats[size_t(col)]);
                    break;
                }
                if (err != LXW_NO_ERROR)
                    break;
                ++col;
            }
            ++rows;
            if (rows % ExchangeProgressStep == 0 && progress && !progress(rows, total)) {
                result.cancelled = true;
                return result;
            }
            table.next();
        }
    } catch (const std::exception &e) {
        result.error = QString::fromUtf8(e.what());
        return result;
    }
    if (err != LXW_NO_ERROR) {
        result.error = writeFailedMessage(path, lxwReason(err));
        return result;
    }

    err = book.close();
    if (err != LXW_NO_ERROR) {
        result.error = writeFailedMessage(path, lxwReason(err));
        return result;
    }
    const QString failure = moveIntoPlace(temp.fileName(), path);
    if (!failure.isEmpty()) {
        result.error = writeFailedMessage(path, failure);
        return result;
    }
    result.rows = rows;
    return result;
}

QString XlsxExportFileName(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::asprintf("DataKvitanky%04d%02d%02d%02d%02d%02d.xlsx", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

QString XlsxExportPath(const QString &dir, const QDateTime &when)
{
    const QDir folder(dir);
    const QString name = XlsxExportFileName(when);
    QString path = folder.filePath(name);
    const QString stem = name.chopped(5);   // without ".xlsx"
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral("_%1.xlsx").arg(n));
    return path;
}

} // namespace kvitanky
