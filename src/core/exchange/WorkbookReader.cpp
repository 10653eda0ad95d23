// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/WorkbookReader.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QLocale>
#include <QXmlStreamReader>

#include "exchange/SheetScanner.h"
#include "exchange/WorkbookCellText.h"
#include "exchange/WorkbookZip.h"
#include "text/BoundedRead.h"

namespace kvitanky {

using namespace workbook;

namespace {

const QByteArray OleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Whether a number format shows a date: a day, month or year code outside quotes
// and brackets.
bool isDateFormat(const QString &code)
{
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u'\\') {
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u'[') {
            ++bracket;
        } else if (!quoted && c == u']') {
            bracket = qMax(0, bracket - 1);
        } else if (!quoted && bracket == 0) {
            const char16_t l = c.toLower().unicode();
            if (l == u'd' || l == u'y' || l == u'm')
                return true;
        }
    }
    return false;
}

bool isBuiltinDateFormat(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

// An attribute by its name without the namespace prefix.
QStringView attribute(const QXmlStreamAttributes &attributes, QLatin1StringView name)
{
    for (const QXmlStreamAttribute &a : attributes) {
        if (a.name() == name)
            return a.value();
    }
    return {};
}

// A repeat count of an .ods row, cell or space: at least 1, at most `most`.
int repeatCount(const QXmlStreamAttributes &attributes, QLatin1StringView name, int most)
{
    return int(qBound(qint64(1), attribute(attributes, name).toLongLong(), qint64(most)));
}

// The text of the element the reader stands on, including its children's.
QString elementText(QXmlStreamReader &x)
{
    return x.readElementText(QXmlStreamReader::IncludeChildElements);
}

class Workbook
{
public:
    Workbook(Zip &zip, qint64 cellLimit, RowSink &sink, bool byteScanner)
        : m_zip(zip), m_cellsLeft(cellLimit), m_sink(sink), m_byteScanner(byteScanner)
    {
    }

    Fault fault = Fault::None;
    QStringList sheetNames;
    int scannerGaveUp = 0;   // parts read again by QXmlStreamReader

    bool readXlsx(int sheet);
    bool readOds(int sheet);

private:
    bool part(const QString &name, QByteArray *out)
    {
        Fault f = Fault::None;
        if (m_zip.entry(name, out, &f))
            return true;
        fault = f;
        return false;
    }
    bool damaged()
    {
        if (fault == Fault::None)
            fault = Fault::Damaged;
        return false;
    }
    bool xmlDone(const QXmlStreamReader &x) { return x.hasError() ? damaged() : true; }
    enum class Scanned { Whole, Failed, Unsure };
    Scanned scanned(const QString &name, XmlByteScanner &scanner);
    bool addCell(WorkbookRow &row, int column, const QString &text);
    bool addRow(WorkbookRow &row, qint64 repeat = 1);
    bool xlsxSheetPaths(QStringList *paths);
    bool xlsxSharedStrings(SharedStrings *strings);
    bool xlsxDateStyles(QList<bool> *dateStyles);
    bool xlsxSheet(const QString &name, const SharedStrings &strings, const QList<bool> &dateStyles);
    bool odsCell(QXmlStreamReader &x, WorkbookRow &row, int *column);

    Zip &m_zip;
    qint64 m_cellsLeft;
    RowSink &m_sink;
    const bool m_byteScanner;
    bool m_date1904 = false;   // serial days count from 1904 (old Mac workbooks)
};

bool Workbook::addCell(WorkbookRow &row, int column, const QString &text)
{
    if (text.isEmpty())
        return true;
    if (column >= MaxColumns || --m_cellsLeft < 0) {
        fault = column >= MaxColumns ? Fault::Damaged : Fault::TooManyCells;
        return false;
    }
    while (row.cells.size() <= column)
        row.cells.append(QString());
    row.cells[column] = text;
    return true;
}

bool Workbook::addRow(WorkbookRow &row, qint64 repeat)
{
    if (row.number < 1 || row.number > MaxRows)
        return damaged();
    if (row.cells.isEmpty())
        return true;
    if ((repeat - 1) * row.cells.size() > m_cellsLeft) {
        fault = Fault::TooManyCells;
        return false;
    }
    m_cellsLeft -= (repeat - 1) * row.cells.size();
    const int first = row.number;
    for (qint64 i = 0; i < repeat && first + i <= MaxRows; ++i) {
        row.number = int(first + i);
        if (!m_sink.add(row)) {
            fault = Fault::Output;
            return false;
        }
    }
    row.number = first;
    return true;
}

// A part read by the byte scanner as it is unpacked. A fault of the part itself
// (too large, damaged zip) wins over what the scanner found in it.
Workbook::Scanned Workbook::scanned(const QString &name, XmlByteScanner &scanner)
{
    bool abandon = false;
    Fault f = Fault::None;
    const Zip::Streamed s = m_zip.stream(name, [&](QByteArrayView piece) {
        if (scanner.feed(piece))
            return true;
        abandon = scanner.state() == XmlByteScanner::State::Unsure;
        return false;
    }, abandon, &f);
    if (s == Zip::Streamed::Failed) {
        fault = f;
        return Scanned::Failed;
    }
    if (s == Zip::Streamed::Whole) {
        const XmlByteScanner::State state = scanner.finish();
        if (state == XmlByteScanner::State::Done)
            return Scanned::Whole;
        if (state == XmlByteScanner::State::Stopped)
            return Scanned::Failed;
    }
    ++scannerGaveUp;
    return Scanned::Unsure;
}

// The sheets' names and parts in the workbook's order.
bool Workbook::xlsxSheetPaths(QStringList *paths)
{
    QByteArray xml;
    if (!part(QStringLiteral("xl/_rels/workbook.xml.rels"), &xml))
        return false;
    QHash<QString, QString> targets;
    QXmlStreamReader x(xml);
    while (!x.atEnd() && !x.hasError()) {
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("Relationship")) {
            QString target = attribute(x.attributes(), QLatin1StringView("Target")).toString();
            target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
            targets.insert(attribute(x.attributes(), QLatin1StringView("Id")).toString(), QDir::cleanPath(target));
        }
    }
    if (!xmlDone(x) || !part(QStringLiteral("xl/workbook.xml"), &xml))
        return false;
    QXmlStreamReader w(xml);
    while (!w.atEnd() && !w.hasError()) {
        if (w.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (w.name() == QLatin1String("workbookPr")) {
            const QStringView v = attribute(w.attributes(), QLatin1StringView("date1904"));
            m_date1904 = v == QLatin1String("1") || v == QLatin1String("true");
        } else if (w.name() == QLatin1String("sheet")) {
            const QString id = attribute(w.attributes(), QLatin1StringView("id")).toString();
            sheetNames.append(attribute(w.attributes(), QLatin1StringView("name")).toString());
            paths->append(targets.value(id));
        }
    }
    return xmlDone(w);
}

bool Workbook::xlsxSharedStrings(SharedStrings *strings)
{
    const QString name = QStringLiteral("xl/sharedStrings.xml");
    if (!m_zip.has(name))
        return true;
    if (m_byteScanner) {
        SharedStringsScanner scanner(*strings);
        const Scanned s = scanned(name, scanner);
        if (s != Scanned::Unsure)
            return s == Scanned::Whole;
        strings->clear();
    }
    QByteArray xml;
    if (!part(name, &xml))
        return false;
    QStringList read;
    QXmlStreamReader x(xml);
    while (!x.atEnd() && !x.hasError()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == QLatin1String("si")) {
            read.append(QString());
        } else if (x.name() == QLatin1String("rPh")) {
            x.skipCurrentElement();   // the reading aid of East Asian text
        } else if (x.name() == QLatin1String("t") && !read.isEmpty()) {
            read.last() += elementText(x);
        }
    }
    for (const QString &s : std::as_const(read)) {
        strings->startNext();
        strings->bytes += s.toStdString();
    }
    return xmlDone(x);
}

bool Workbook::xlsxDateStyles(QList<bool> *dateStyles)
{
    const QString name = QStringLiteral("xl/styles.xml");
    QByteArray xml;
    if (!m_zip.has(name))
        return true;
    if (!part(name, &xml))
        return false;
    QHash<int, bool> customDate;
    bool inCellXfs = false;
    QXmlStreamReader x(xml);
    while (!x.atEnd() && !x.hasError()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::EndElement && x.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (t != QXmlStreamReader::StartElement)
            continue;
        const auto a = x.attributes();
        const int id = attribute(a, QLatin1StringView("numFmtId")).toInt();
        if (x.name() == QLatin1String("numFmt"))
            customDate.insert(id, isDateFormat(attribute(a, QLatin1StringView("formatCode")).toString()));
        else if (x.name() == QLatin1String("cellXfs"))
            inCellXfs = true;
        else if (inCellXfs && x.name() == QLatin1String("xf"))
            dateStyles->append(customDate.value(id, isBuiltinDateFormat(id)));
    }
    return xmlDone(x);
}

// The column of a cell reference such as "AB12" (0 = A), or -1.
int referenceColumn(QStringView ref)
{
    int col = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref.at(i).isLetter() && i < 4; ++i)
        col = col * 26 + (ref.at(i).toUpper().unicode() - u'A' + 1);
    return i == 0 || col > MaxColumns ? -1 : col - 1;
}

bool Workbook::readXlsx(int sheet)
{
    QStringList paths;
    SharedStrings strings;
    QList<bool> dateStyles;
    if (!xlsxSheetPaths(&paths))
        return false;
    if (sheet < 0 || sheet >= paths.size()) {
        fault = paths.isEmpty() ? Fault::Damaged : Fault::NoSheet;
        return false;
    }
    if (!xlsxSharedStrings(&strings) || !xlsxDateStyles(&dateStyles))
        return false;
    return xlsxSheet(paths.at(sheet), strings, dateStyles);
}

bool Workbook::xlsxSheet(const QString &name, const SharedStrings &strings, const QList<bool> &dateStyles)
{
    if (m_byteScanner) {
        const qint64 cellsLeft = m_cellsLeft;
        SheetScanner scanner(strings, dateStyles, m_date1904, m_cellsLeft, m_sink);
        const Scanned s = scanned(name, scanner);
        if (s == Scanned::Whole)
            return true;
        if (s == Scanned::Failed) {
            if (fault == Fault::None)
                fault = scanner.fault();
            return false;
        }
        m_sink.restart();
        m_cellsLeft = cellsLeft;
    }
    QByteArray xml;
    if (!part(name, &xml))
        return false;
    QXmlStreamReader x(xml);
    WorkbookRow row;
    int lastRow = 0;
    int column = -1;
    while (!x.atEnd() && !x.hasError()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::EndElement && x.name() == QLatin1String("row")) {
            if (!addRow(row))
                return false;
        }
        if (t != QXmlStreamReader::StartElement)
            continue;
        const auto a = x.attributes();
        if (x.name() == QLatin1String("row")) {
            const QStringView r = attribute(a, QLatin1StringView("r"));
            row = WorkbookRow{r.isEmpty() ? lastRow + 1 : r.toInt(), {}};
            if (row.number <= lastRow)
                return damaged();
            lastRow = row.number;
            column = -1;
        } else if (x.name() == QLatin1String("c")) {
            const QStringView r = attribute(a, QLatin1StringView("r"));
            column = r.isEmpty() ? column + 1 : referenceColumn(r);
            if (column < 0 || lastRow == 0)
                return damaged();
            const QString type = attribute(a, QLatin1StringView("t")).toString();
            const int style = attribute(a, QLatin1StringView("s")).toInt();
            QString value;
            while (x.readNextStartElement()) {
                if (x.name() == QLatin1String("v"))
                    value = x.readElementText();
                else if (x.name() == QLatin1String("is"))
                    value = elementText(x);
                else
                    x.skipCurrentElement();   // the formula: its cached value is in <v>
            }
            if (x.hasError())
                return damaged();
            QString text = value;
            if (type == QLatin1String("s") && !value.isEmpty()) {
                bool ok = false;
                const int i = value.toInt(&ok);
                if (!ok || i < 0 || i >= strings.size())
                    return damaged();
                const std::string_view s = strings.at(i);
                text = QString::fromUtf8(s.data(), qsizetype(s.size()));
            } else if (type == QLatin1String("b")) {
                text = value == QLatin1String("1") ? QStringLiteral("PRAVDA") : QStringLiteral("NEPRAVDA");
                if (value.isEmpty())
                    text.clear();
            } else if (type == QLatin1String("d")) {
                text = isoDateText(value);
            } else if ((type.isEmpty() || type == QLatin1String("n")) && !value.isEmpty()) {
                bool ok = false;
                const bool isDate = style >= 0 && style < dateStyles.size() && dateStyles.at(style);
                const QString date = isDate ? serialDateText(value, m_date1904) : QString();
                text = date.isEmpty() ? numberText(value, &ok) : date;
            }
            if (!addCell(row, column, text))
                return false;
        }
    }
    return xmlDone(x);
}

// A cell of an .ods table (repeated as it says), shown as the spreadsheet shows it.
bool Workbook::odsCell(QXmlStreamReader &x, WorkbookRow &row, int *column)
{
    const auto a = x.attributes();
    const qint64 repeat = repeatCount(a, QLatin1StringView("number-columns-repeated"), MaxColumns);
    const QString type = attribute(a, QLatin1StringView("value-type")).toString();
    QString text;
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        text = numberText(attribute(a, QLatin1StringView("value")).toString(), &ok);
    } else if (type == QLatin1String("date")) {
        text = isoDateText(attribute(a, QLatin1StringView("date-value")).toString());
    } else if (type == QLatin1String("boolean")) {
        text = attribute(a, QLatin1StringView("boolean-value")) == QLatin1String("true") ? QStringLiteral("PRAVDA")
                                                                                 : QStringLiteral("NEPRAVDA");
    }
    // The shown text of the paragraphs; the only value of strings and times.
    QStringList paragraphs;
    int depth = 0;
    while (!x.atEnd() && !x.hasError()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::EndElement && depth-- == 0)
            break;
        if (t == QXmlStreamReader::Characters && depth > 0 && !paragraphs.isEmpty()) {
            paragraphs.last() += x.text();
        } else if (t == QXmlStreamReader::StartElement) {
            ++depth;
            if (x.name() == QLatin1String("p"))
                paragraphs.append(QString());
            else if (x.name() == QLatin1String("annotation"))
                x.skipCurrentElement(), --depth;   // a comment, not the cell's text
            else if (!paragraphs.isEmpty() && x.name() == QLatin1String("s"))
                paragraphs.last() += QString(repeatCount(x.attributes(), QLatin1StringView("c"), 1000), u' ');
            else if (!paragraphs.isEmpty() && x.name() == QLatin1String("tab"))
                paragraphs.last() += u'\t';
            else if (!paragraphs.isEmpty() && x.name() == QLatin1String("line-break"))
                paragraphs.last() += u'\n';
        }
    }
    if (text.isEmpty())
        text = paragraphs.join(u'\n');
    if (text.isEmpty()) {
        *column = int(qMin<qint64>(*column + repeat, MaxColumns));
        return true;
    }
    for (qint64 i = 0; i < repeat && *column < MaxColumns; ++i) {
        if (!addCell(row, (*column)++, text))
            return false;
    }
    return true;
}

bool Workbook::readOds(int sheet)
{
    QByteArray xml;
    const QString manifest = QStringLiteral("META-INF/manifest.xml");
    if (m_zip.has(manifest)) {
        if (!part(manifest, &xml))
            return false;
        if (xml.contains("encryption-data")) {
            fault = Fault::Encrypted;
            return false;
        }
    }
    if (!part(QStringLiteral("content.xml"), &xml))
        return false;
    QXmlStreamReader x(xml);
    int table = -1;
    WorkbookRow row;
    int nextRow = 1;
    int column = 0;
    qint64 rowRepeat = 1;
    while (!x.atEnd() && !x.hasError()) {
        const auto t = x.readNext();
        const bool inSheet = table == sheet;
        if (t == QXmlStreamReader::EndElement && inSheet && x.name() == QLatin1String("table-row")) {
            if (!addRow(row, rowRepeat))
                return false;
            nextRow = int(qMin<qint64>(nextRow + rowRepeat, MaxRows + 1));
        }
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == QLatin1String("table") && x.namespaceUri().endsWith(QLatin1String(":table:1.0"))) {
            ++table;
            sheetNames.append(attribute(x.attributes(), QLatin1StringView("name")).toString());
        } else if (inSheet && x.name() == QLatin1String("table-row")) {
            rowRepeat = repeatCount(x.attributes(), QLatin1StringView("number-rows-repeated"), MaxRows);
            row = WorkbookRow{nextRow, {}};
            column = 0;
        } else if (inSheet && x.name().endsWith(QLatin1String("table-cell"))) {   // also covered-table-cell
            if (!odsCell(x, row, &column))
                return false;
        }
    }
    if (!xmlDone(x))
        return false;
    if (sheet < 0 || sheet >= sheetNames.size()) {
        fault = sheetNames.isEmpty() ? Fault::Damaged : Fault::NoSheet;
        return false;
    }
    return true;
}

} // namespace

WorkbookFormat WorkbookFormatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm"))
        return WorkbookFormat::Xlsx;
    if (suffix == QLatin1String("ods"))
        return WorkbookFormat::Ods;
    if (suffix == QLatin1String("xls"))
        return WorkbookFormat::Xls;
    return WorkbookFormat::None;
}

namespace {

// Rows kept in a list.
class RowList final : public RowSink
{
public:
    explicit RowList(QList<WorkbookRow> &rows) : m_rows(rows) {}
    bool add(const WorkbookRow &row) override
    {
        m_rows.append(row);
        return true;
    }
    bool add(const Utf8Row &row) override
    {
        WorkbookRow &kept = m_rows.emplace_back();
        kept.number = row.number;
        kept.cells.reserve(qsizetype(row.cells.size()));
        for (const std::string_view cell : row.cells)
            kept.cells.append(QString::fromUtf8(cell.data(), qsizetype(cell.size())));
        return true;
    }
    void restart() override { m_rows.clear(); }

private:
    QList<WorkbookRow> &m_rows;
};

// Rows written as UTF-8 CSV as they come: ";" between cells, quotes where a cell
// needs them, one line per sheet row (empty rows as empty lines), a line more for
// each line break inside a cell. A file is written in pieces and cut back to where
// it started when the sheet is read again; another device gets all at the end.
class CsvRows final : public RowSink
{
public:
    CsvRows(QIODevice &out, std::vector<int> &rowOfLine)
        : m_out(out), m_file(qobject_cast<QFileDevice *>(&out)), m_start(out.pos()), m_rowOfLine(rowOfLine)
    {
    }

    bool add(const WorkbookRow &row) override
    {
        startRow(row.number);
        for (qsizetype c = 0; c < row.cells.size(); ++c) {
            if (c > 0)
                m_text.push_back(';');
            QString cell = row.cells.at(c);
            if (cell.contains(u';') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r')) {
                // A line break in a cell is one line end of the copy, as the CSV
                // reader would read it.
                cell.replace(QLatin1String("\r\n"), QLatin1String("\n"));
                cell.replace(u'\r', u'\n');
                cell.replace(QLatin1String("\""), QLatin1String("\"\""));
                cell = u'"' + cell + u'"';
                m_rowOfLine.insert(m_rowOfLine.end(), size_t(cell.count(u'\n')), row.number);
            }
            m_text.append(cell.toStdString());
        }
        return endRow();
    }

    bool add(const Utf8Row &row) override
    {
        startRow(row.number);
        for (size_t c = 0; c < row.cells.size(); ++c) {
            if (c > 0)
                m_text.push_back(';');
            const std::string_view cell = row.cells[c];
            if (!needsQuotes(cell)) {
                m_text.append(cell);
                continue;
            }
            m_text.push_back('"');
            for (size_t i = 0; i < cell.size(); ++i) {
                const char b = cell[i];
                if (b == '\r' || b == '\n') {
                    if (b == '\r' && i + 1 < cell.size() && cell[i + 1] == '\n')
                        ++i;
                    m_text.push_back('\n');
                    m_rowOfLine.push_back(row.number);
                } else if (b == '"') {
                    m_text.append(2, '"');
                } else {
                    m_text.push_back(b);
                }
            }
            m_text.push_back('"');
        }
        return endRow();
    }

    void restart() override
    {
        m_text.clear();
        m_rowOfLine.clear();
        m_next = 1;
        if (m_file && m_file->pos() != m_start)
            m_failed = !m_file->flush() || !m_file->resize(m_start) || !m_file->seek(m_start);
    }

    // Writes what is left; false when the device took less.
    bool finish() { return write(); }

    QString errorString() const override { return m_out.errorString(); }

private:
    // Whether a cell holds a ';', a quote or a line end.
    static bool needsQuotes(std::string_view cell)
    {
        for (const char b : cell) {
            if (b == ';' || b == '"' || b == '\n' || b == '\r')
                return true;
        }
        return false;
    }
    void startRow(int number)
    {
        m_text.append(size_t(number - m_next), '\n');
        for (; m_next < number; ++m_next)
            m_rowOfLine.push_back(m_next);
        m_next = number + 1;
        m_rowOfLine.push_back(number);
    }
    bool endRow()
    {
        m_text.push_back('\n');
        return m_file && m_text.size() >= (1 << 18) ? write() : !m_failed;
    }
    bool write()
    {
        if (!m_failed && m_out.write(m_text.data(), qint64(m_text.size())) != qint64(m_text.size()))
            m_failed = true;
        m_text.clear();
        return !m_failed;
    }

    QIODevice &m_out;
    QFileDevice *m_file;
    const qint64 m_start;
    std::vector<int> &m_rowOfLine;
    std::string m_text;
    int m_next = 1;   // the sheet row the next line belongs to
    bool m_failed = false;
};

} // namespace

bool WorkbookReader::fail(const QString &message)
{
    m_error = message;
    m_sheetNames.clear();
    m_rows.clear();
    return false;
}

bool WorkbookReader::load(const QString &path, QByteArray *bytes, QString *shown)
{
    *shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("Sešit „%1“ nelze otevřít: soubor neexistuje.").arg(*shown));
    if (!info.isFile())   // a folder, pipe or device is never opened: it could block
        return fail(QStringLiteral("Sešit „%1“ nelze otevřít: nejde o soubor.").arg(*shown));
    if (info.size() > WorkbookMaxFileSize)
        return fail(QStringLiteral("Sešit „%1“ je větší než %2 MB, import odmítnut.")
                        .arg(*shown).arg(WorkbookMaxFileSize >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Sešit „%1“ nelze otevřít: %2.").arg(*shown, file.errorString()));
    *bytes = ReadBounded(file, info.size(), WorkbookMaxFileSize);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("Sešit „%1“ nelze přečíst: %2.").arg(*shown, file.errorString()));
    return true;
}

bool WorkbookReader::read(const QString &path, int sheet)
{
    QByteArray bytes;
    QString shown;
    return load(path, &bytes, &shown) && readBytes(bytes, shown, sheet);
}

bool WorkbookReader::readBytes(const QByteArray &bytes, const QString &shownPath, int sheet)
{
    RowList rows(m_rows);
    return readInto(bytes, shownPath, sheet, rows);
}

bool WorkbookReader::readAsCsv(const QString &path, QIODevice &out, int sheet, std::vector<int> *rowOfLine)
{
    rowOfLine->clear();
    QByteArray bytes;
    QString shown;
    if (!load(path, &bytes, &shown))
        return false;
    CsvRows csv(out, *rowOfLine);
    if (!readInto(bytes, shown, sheet, csv)) {
        rowOfLine->clear();
        return false;
    }
    if (csv.finish())
        return true;
    m_error = QStringLiteral("Sešit „%1“ nelze převést pro import: %2.").arg(shown, out.errorString());
    return false;
}

bool WorkbookReader::readInto(const QByteArray &bytes, const QString &shownPath, int sheet, RowSink &sink)
{
    m_error.clear();
    m_sheetNames.clear();
    m_rows.clear();
    m_scannerGaveUp = 0;
    const WorkbookFormat format = WorkbookFormatOf(shownPath);
    if (bytes.startsWith(OleSignature)) {
        // The old binary format, and also how Office stores a workbook it encrypts.
        if (format == WorkbookFormat::Xls)
            return fail(QStringLiteral("Soubor „%1“ je sešit starého formátu Excelu (.xls), "
                                       "který program nečte. "
                                       "Uložte ho v Excelu jako sešit .xlsx a importujte znovu.").arg(shownPath));
        return fail(QStringLiteral("Sešit „%1“ je chráněný heslem nebo zašifrovaný. "
                                   "Uložte ho bez hesla a importujte znovu.").arg(shownPath));
    }
    const QString damaged =
        QStringLiteral("Sešit „%1“ je poškozený nebo nejde o sešit .xlsx ani .ods.").arg(shownPath);
    if (bytes.size() > WorkbookMaxFileSize)
        return fail(damaged);
    Zip zip(bytes, m_xmlLimit);
    if (!zip.isOpen())
        return fail(damaged);
    Workbook book(zip, WorkbookMaxCells, sink, m_byteScanner);
    // A name that does not tell (or an .xls that is really a zip) is told by the contents.
    const bool ods = format == WorkbookFormat::Ods
                     || (format != WorkbookFormat::Xlsx && !zip.has(QStringLiteral("xl/workbook.xml")));
    const bool read = ods ? book.readOds(sheet) : book.readXlsx(sheet);
    m_scannerGaveUp = book.scannerGaveUp;
    if (read) {
        m_sheetNames = book.sheetNames;
        return true;
    }
    switch (book.fault) {
    case Fault::Encrypted:
        return fail(QStringLiteral("Sešit „%1“ je chráněný heslem nebo zašifrovaný. "
                                   "Uložte ho bez hesla a importujte znovu.").arg(shownPath));
    case Fault::TooLarge:
        return fail(QStringLiteral("Sešit „%1“ je po rozbalení větší než %2 MB, import odmítnut.")
                        .arg(shownPath).arg(m_xmlLimit >> 20));
    case Fault::TooManyCells:
        return fail(QStringLiteral("Sešit „%1“ má víc než %2 vyplněných buněk, import odmítnut.")
                        .arg(shownPath).arg(WorkbookMaxCells));
    case Fault::NoSheet:
        return fail(QStringLiteral("Sešit „%1“ nemá list č. %2.").arg(shownPath).arg(sheet + 1));
    case Fault::Output:
        return fail(QStringLiteral("Sešit „%1“ nelze převést pro import: %2.").arg(shownPath, sink.errorString()));
    default:
        return fail(damaged);
    }
}

WorkbookCsv WriteWorkbookAsCsv(const QString &path, QIODevice &out, int sheet)
{
    WorkbookCsv result;
    WorkbookReader reader;
    if (!reader.readAsCsv(path, out, sheet, &result.rowOfLine))
        result.error = reader.error();
    result.sheetNames = reader.sheetNames();
    return result;
}

} // namespace kvitanky
