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

#include <unzip.h>

#include <cmath>
#include <cstring>

namespace kvitanky {

namespace {

constexpr int MaxColumns = 16384;     // column XFD
constexpr int MaxRows = 1048576;

const QByteArray OleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Why reading stopped; the message is made once the file's name is known.
enum class Fault { None, Damaged, Encrypted, TooLarge, TooManyCells, NoSheet };

// The zip container read from memory through minizip's own I/O hooks.
struct MemoryStream {
    const QByteArray *bytes = nullptr;
    qint64 pos = 0;
};

voidpf memOpen(voidpf opaque, const void *, int)
{
    return opaque;
}

uLong memRead(voidpf, voidpf stream, void *buf, uLong size)
{
    auto *m = static_cast<MemoryStream *>(stream);
    const qint64 n = qBound<qint64>(0, m->bytes->size() - m->pos, qint64(size));
    if (n > 0)
        std::memcpy(buf, m->bytes->constData() + m->pos, size_t(n));
    m->pos += n;
    return uLong(n);
}

uLong memWrite(voidpf, voidpf, const void *, uLong)
{
    return 0;
}

ZPOS64_T memTell(voidpf, voidpf stream)
{
    return ZPOS64_T(static_cast<MemoryStream *>(stream)->pos);
}

long memSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *m = static_cast<MemoryStream *>(stream);
    const qint64 size = m->bytes->size();
    if (offset > ZPOS64_T(size))
        return -1;
    const qint64 off = qint64(offset);
    qint64 to = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: to = off; break;
    case ZLIB_FILEFUNC_SEEK_CUR: to = m->pos + off; break;
    case ZLIB_FILEFUNC_SEEK_END: to = size + off; break;
    default: return -1;
    }
    if (to < 0 || to > size)
        return -1;
    m->pos = to;
    return 0;
}

int memClose(voidpf, voidpf)
{
    return 0;
}

int memError(voidpf, voidpf)
{
    return 0;
}

class Zip
{
public:
    explicit Zip(const QByteArray &bytes, qint64 xmlLimit) : m_budget(xmlLimit)
    {
        m_stream.bytes = &bytes;
        zlib_filefunc64_def io{};
        io.zopen64_file = memOpen;
        io.zread_file = memRead;
        io.zwrite_file = memWrite;
        io.ztell64_file = memTell;
        io.zseek64_file = memSeek;
        io.zclose_file = memClose;
        io.zerror_file = memError;
        io.opaque = &m_stream;
        m_zip = unzOpen2_64("", &io);
    }
    ~Zip()
    {
        if (m_zip)
            unzClose(m_zip);
    }
    Zip(const Zip &) = delete;
    Zip &operator=(const Zip &) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool has(const QString &name) { return unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK; }

    // One part unpacked; checks the size it declares and the size it inflates to
    // against what may still be unpacked.
    bool entry(const QString &name, QByteArray *out, Fault *fault)
    {
        *fault = Fault::Damaged;
        if (!has(name))
            return false;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (info.flag & 1) {
            *fault = Fault::Encrypted;
            return false;
        }
        if (info.uncompressed_size > ZPOS64_T(m_budget)) {
            *fault = Fault::TooLarge;
            return false;
        }
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            return false;
        out->clear();
        out->reserve(qsizetype(info.uncompressed_size));
        char buf[65536];
        int n = 0;
        bool ok = true;
        while ((n = unzReadCurrentFile(m_zip, buf, sizeof buf)) > 0) {
            if (out->size() + n > m_budget) {
                *fault = Fault::TooLarge;
                ok = false;
                break;
            }
            if (ZPOS64_T(out->size() + n) > info.uncompressed_size) {
                ok = false;   // inflates to more than it declares
                break;
            }
            out->append(buf, n);
        }
        const int closed = unzCloseCurrentFile(m_zip);
        if (!ok || n < 0 || closed != UNZ_OK || ZPOS64_T(out->size()) != info.uncompressed_size)
            return false;
        m_budget -= out->size();
        *fault = Fault::None;
        return true;
    }

private:
    MemoryStream m_stream;
    unzFile m_zip = nullptr;
    qint64 m_budget;
};

// A number as the spreadsheet shows it in its general format: no exponent, no
// trailing zeros, a '.' for the decimal point whatever the locale.
QString numberText(const QString &raw, bool *ok)
{
    const double v = QLocale::c().toDouble(raw.trimmed(), ok);
    if (!*ok || !std::isfinite(v)) {
        *ok = false;
        return raw;
    }
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    const int before = std::fabs(v) < 1 ? 1 : int(std::floor(std::log10(std::fabs(v)))) + 1;
    QString s = QString::number(v, 'f', qBound(0, 15 - before, 30));
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString dateText(const QDate &d)
{
    return d.isValid() ? QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year()) : QString();
}

// An ISO date or date-time (as .ods and strict .xlsx store them) in the Czech way.
QString isoDateText(const QString &iso)
{
    const QDate d = QDate::fromString(iso.left(10), Qt::ISODate);
    return d.isValid() ? dateText(d) : iso;
}

// A serial day number of the 1900 (or 1904) date system.
QString serialDateText(const QString &raw, bool date1904)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(raw, &ok);
    if (!ok || !std::isfinite(v) || v < 1 || v > 2958465)
        return QString();
    return dateText((date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30)).addDays(qint64(std::floor(v))));
}

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
    Workbook(Zip &zip, qint64 cellLimit) : m_zip(zip), m_cellsLeft(cellLimit) {}

    Fault fault = Fault::None;
    QStringList sheetNames;
    QList<WorkbookRow> rows;

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
    bool addCell(WorkbookRow &row, int column, const QString &text);
    bool addRow(WorkbookRow &row, qint64 repeat = 1);
    bool xlsxSheetPaths(QStringList *paths);
    bool xlsxSharedStrings(QStringList *strings);
    bool xlsxDateStyles(QList<bool> *dateStyles);
    bool odsCell(QXmlStreamReader &x, WorkbookRow &row, int *column);

    Zip &m_zip;
    qint64 m_cellsLeft;
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
    for (qint64 i = 0; i < repeat && row.number + i <= MaxRows; ++i) {
        rows.append(row);
        rows.last().number = int(row.number + i);
    }
    return true;
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

bool Workbook::xlsxSharedStrings(QStringList *strings)
{
    const QString name = QStringLiteral("xl/sharedStrings.xml");
    QByteArray xml;
    if (!m_zip.has(name))
        return true;
    if (!part(name, &xml))
        return false;
    QXmlStreamReader x(xml);
    while (!x.atEnd() && !x.hasError()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == QLatin1String("si")) {
            strings->append(QString());
        } else if (x.name() == QLatin1String("rPh")) {
            x.skipCurrentElement();   // the reading aid of East Asian text
        } else if (x.name() == QLatin1String("t") && !strings->isEmpty()) {
            strings->last() += elementText(x);
        }
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
    QStringList paths, strings;
    QList<bool> dateStyles;
    if (!xlsxSheetPaths(&paths))
        return false;
    if (sheet < 0 || sheet >= paths.size()) {
        fault = paths.isEmpty() ? Fault::Damaged : Fault::NoSheet;
        return false;
    }
    QByteArray xml;
    if (!xlsxSharedStrings(&strings) || !xlsxDateStyles(&dateStyles) || !part(paths.at(sheet), &xml))
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
                text = strings.at(i);
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

bool WorkbookReader::fail(const QString &message)
{
    m_error = message;
    m_sheetNames.clear();
    m_rows.clear();
    return false;
}

bool WorkbookReader::read(const QString &path, int sheet)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("Sešit „%1“ nelze otevřít: soubor neexistuje.").arg(shown));
    if (!info.isFile())   // a folder, pipe or device is never opened: it could block
        return fail(QStringLiteral("Sešit „%1“ nelze otevřít: nejde o soubor.").arg(shown));
    if (info.size() > WorkbookMaxFileSize)
        return fail(QStringLiteral("Sešit „%1“ je větší než %2 MB, import odmítnut.")
                        .arg(shown).arg(WorkbookMaxFileSize >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Sešit „%1“ nelze otevřít: %2.").arg(shown, file.errorString()));
    const QByteArray bytes = file.read(WorkbookMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("Sešit „%1“ nelze přečíst: %2.").arg(shown, file.errorString()));
    return readBytes(bytes, shown, sheet);
}

bool WorkbookReader::readBytes(const QByteArray &bytes, const QString &shownPath, int sheet)
{
    m_error.clear();
    m_sheetNames.clear();
    m_rows.clear();
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
    Workbook book(zip, WorkbookMaxCells);
    // A name that does not tell (or an .xls that is really a zip) is told by the contents.
    const bool ods = format == WorkbookFormat::Ods
                     || (format != WorkbookFormat::Xlsx && !zip.has(QStringLiteral("xl/workbook.xml")));
    if (ods ? book.readOds(sheet) : book.readXlsx(sheet)) {
        m_sheetNames = book.sheetNames;
        m_rows = book.rows;
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
    default:
        return fail(damaged);
    }
}

WorkbookCsv WriteWorkbookAsCsv(const QString &path, QIODevice &out, int sheet)
{
    WorkbookCsv result;
    WorkbookReader reader;
    const bool read = reader.read(path, sheet);
    result.sheetNames = reader.sheetNames();
    if (!read) {
        result.error = reader.error();
        return result;
    }
    QByteArray text;
    int next = 1;   // the sheet row the next line of the copy belongs to
    for (const WorkbookRow &row : reader.rows()) {
        text.append(QByteArray(row.number - next, '\n'));
        for (; next < row.number; ++next)
            result.rowOfLine.push_back(next);
        next = row.number + 1;
        result.rowOfLine.push_back(row.number);
        for (qsizetype c = 0; c < row.cells.size(); ++c) {
            QString cell = row.cells.at(c);
            if (cell.contains(u';') || cell.contains(u'"') || cell.contains(u'\n') || cell.contains(u'\r')) {
                // A line break in a cell is one line end of the copy, as the CSV
                // reader would read it.
                cell.replace(QLatin1String("\r\n"), QLatin1String("\n"));
                cell.replace(u'\r', u'\n');
                cell.replace(QLatin1String("\""), QLatin1String("\"\""));
                cell = u'"' + cell + u'"';
                result.rowOfLine.insert(result.rowOfLine.end(), size_t(cell.count(u'\n')), row.number);
            }
            if (c > 0)
                text.append(';');
            text.append(cell.toUtf8());
        }
        text.append('\n');
    }
    if (out.write(text) != text.size())
        result.error = QStringLiteral("Sešit „%1“ nelze převést pro import: %2.")
                           .arg(QDir::toNativeSeparators(path), out.errorString());
    return result;
}

} // namespace kvitanky
