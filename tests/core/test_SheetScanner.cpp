// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/WorkbookReader.h"

#include "TestSupport.h"
#include "test_ZipSupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <random>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

using ziptest::writeZip;

// Writes random SpreadsheetML as different programs write it: with or without a
// prefix, declaration and byte order mark, shared and inline strings, rich-text and
// phonetic runs, entities and character references, line ends, gaps in r or no r,
// self-closing elements, numbers in every spelling, booleans, errors, dates,
// formulas. Now and then something the byte scanner must leave to QXmlStreamReader,
// or something wrong.
class SheetWriter
{
public:
    explicit SheetWriter(std::mt19937 &rng) : m_rng(rng) {}

    bool odd = false;   // something the byte scanner may give up on, or a fault

    QByteArray sharedStrings(int count)
    {
        QByteArray x = head() + "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\""
                       + QByteArray::number(count) + "\">";
        for (int i = 0; i < count; ++i) {
            x += "<si>";
            switch (pick(4)) {
            case 0: x += "<t>" + text() + "</t>"; break;
            case 1: x += "<t xml:space=\"preserve\">" + text() + "</t>"; break;
            case 2: x += "<r><rPr><b/><sz val=\"11\"/></rPr><t>" + text() + "</t></r><r><t>" + text() + "</t></r>"; break;
            default: x += "<t>" + text() + "</t><rPh sb=\"0\" eb=\"1\"><t>ふり</t></rPh><phoneticPr fontId=\"1\"/>"; break;
            }
            x += maybeOdd() + "</si>" + space();
        }
        return x + "</sst>";
    }

    QByteArray sheet(int strings, int rows)
    {
        const QByteArray p = pick(3) == 0 ? "x:" : "";
        QByteArray x = head() + "<" + p + "worksheet xmlns" + (p.isEmpty() ? "" : ":x")
                       + "=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\""
                         " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
                         " xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">"
                       + space() + "<" + p + "dimension ref=\"A1\"/><" + p + "sheetData>";
        int number = 0;
        for (int r = 0; r < rows; ++r) {
            number += 1 + (pick(4) == 0 ? pick(5) : 0);
            x += "<" + p + "row" + (pick(5) ? " r=\"" + QByteArray::number(number) + "\"" : "")
                 + (pick(2) ? " spans=\"1:5\" x14ac:dyDescent=\"0.25\"" : "");
            if (pick(8) == 0) {
                x += "/>";
                continue;
            }
            x += ">" + space();
            const int cells = pick(7);
            int column = 0;
            for (int c = 0; c < cells; ++c) {
                column += 1 + (pick(3) == 0 ? pick(30) : 0);
                QByteArray ref = pick(6) ? " r=\"" + columnName(column) + QByteArray::number(number) + "\"" : "";
                x += cell(p, ref, strings) + maybeOdd();
            }
            x += "</" + p + "row" + (pick(6) ? "" : " ") + ">";
        }
        x += "</" + p + "sheetData>" + space();
        if (pick(2))
            x += "<" + p + "extLst><" + p + "ext uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\" "
                 "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
                 "<x14:conditionalFormattings><x14:cfRule a='1'/></x14:conditionalFormattings></" + p + "ext></" + p + "extLst>";
        return x + "</" + p + "worksheet>" + (pick(2) ? "\n" : "");
    }

    bool allowOdd = true;

private:
    int pick(int n) { return int(m_rng() % unsigned(n)); }

    QByteArray head()
    {
        QByteArray h = pick(4) == 0 ? "\xEF\xBB\xBF" : "";
        switch (pick(4)) {
        case 0: return h;
        case 1: return h + "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
        case 2: return h + "<?xml version='1.0' encoding='utf-8'?>";
        default: return h + "<?xml version=\"1.0\"?>\n";
        }
    }

    QByteArray space()
    {
        static const char *const spaces[] = {"", "", "", "\n", "\r\n  ", "\t"};
        return spaces[pick(6)];
    }

    static QByteArray columnName(int column)
    {
        QByteArray name;
        for (; column > 0; column = (column - 1) / 26)
            name.prepend(char('A' + (column - 1) % 26));
        return name;
    }

    QByteArray text()
    {
        static const char *const pieces[] = {
            "a", "Z", "0", " ", ";", "\"", "'", "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#x10C;", "&#269;",
            "&#13;", "&#9;", "&#10;", "\r\n", "\r", "\n", "\t", "ž", "Ů", "€", "„", "😀", "\xC2\x85", ">", "]]", "]",
            "x&#x1F600;y", "Nové Hobzí"};
        QByteArray s;
        for (int i = pick(6); i > 0; --i)
            s += pieces[pick(int(std::size(pieces)))];
        while (s.contains("]]>"))   // not allowed in text
            s.replace("]]>", "]>");
        return s;
    }

    QByteArray number()
    {
        static const char *const numbers[] = {
            "0", "7", "-12", "1250.5", "0.1", "-0.5", "2024", "1E+20", "1.5E-3", "007", "-0", "12.50", " 3 ",
            "123456789012345", "1234567890123456", "9999999999.99999", "0.000123456789012345", "3.14159265358979",
            "abc", "", "1e3", "+4", ".5", "5.", "45000", "45000.75", "99999999999999.9", "1.0000000000001"};
        return numbers[pick(int(std::size(numbers)))];
    }

    QByteArray cell(const QByteArray &p, const QByteArray &ref, int strings)
    {
        const QByteArray open = "<" + p + "c" + ref;
        const QByteArray close = "</" + p + "c>";
        const QByteArray v = "<" + p + "v>", ve = "</" + p + "v>";
        switch (pick(12)) {
        case 0: return open + (pick(2) ? "/>" : " s=\"1\"></" + p + "c>");
        case 1:
        case 2: return open + (pick(2) ? " s=\"1\"" : "") + ">" + v + number() + ve + close;
        case 3:
            if (strings == 0)
                return open + "/>";
            return open + " t=\"s\"" + (pick(3) ? " s=\"2\"" : "") + "><" + p + "v>" + QByteArray::number(pick(strings))
                   + ve + close;
        case 4: return open + " t='inlineStr'><" + p + "is><" + p + "t>" + text() + "</" + p + "t></" + p + "is>" + close;
        case 5:
            return open + " t=\"inlineStr\"\n   ><" + p + "is><" + p + "r><" + p + "rPr/><" + p + "t xml:space=\"preserve\">"
                   + text() + "</" + p + "t></" + p + "r><" + p + "r><" + p + "t>" + text() + "</" + p + "t></" + p
                   + "r><" + p + "rPh><" + p + "t>" + text() + "</" + p + "t></" + p + "rPh></" + p + "is>" + close;
        case 6: {
            static const char *const booleans[] = {"0", "1", "", "true"};
            return open + " t=\"b\">" + (pick(4) ? v + booleans[pick(4)] + ve : "<" + p + "v/>") + close;
        }
        case 7: return open + " t=\"e\">" + v + "#N/A" + ve + close;
        case 8: return open + " t=\"str\"><" + p + "f>A1&amp;\"x\"</" + p + "f>" + v + text() + ve + close;
        case 9: return open + " t=\"d\">" + v + (pick(2) ? "2024-03-05T00:00:00" : "bad") + ve + close;
        case 10: return open + " s=\"2\"><" + p + "f>1+1</" + p + "f>" + v + number() + ve + close;
        default: return open + " t=\"n\" >" + v + number() + ve + "<" + p + "extLst/>" + close;
        }
    }

    // Rarely: what the byte scanner leaves to QXmlStreamReader, or a fault.
    QByteArray maybeOdd()
    {
        if (!allowOdd || pick(200) != 0)
            return {};
        odd = true;
        static const char *const odds[] = {"<!-- poznámka -->", "<?pi data?>", "<a><![CDATA[x<y]]></a>", "&nbsp;",
                                           "\xFF", "\x01", "</wrong>", "<y:c/>", "<c r=\"A1\" r=\"B1\"/>", "]]>",
                                           "<row r=\"abc\"/>", "<c r=\"XFE1\"><v>1</v></c>", "<b a=\"<\"/>",
                                           "<c t=\"s\"><v>999999</v></c>", "<row r=\"0\"/>", "<c r=\"a1\"><v>2</v></c>"};
        return odds[pick(int(std::size(odds)))];
    }

    std::mt19937 &m_rng;
};

const QByteArray Rels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/></Relationships>";
const QByteArray Book =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
    "<sheet name=\"List 1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
const QByteArray Styles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><numFmts count=\"1\">"
    "<numFmt numFmtId=\"164\" formatCode=\"d.m.yyyy\"/></numFmts><cellXfs count=\"3\"><xf numFmtId=\"0\"/>"
    "<xf numFmtId=\"164\"/><xf numFmtId=\"2\"/></cellXfs></styleSheet>";

struct Read {
    bool ok = false;
    QString error;
    QStringList names;
    QList<WorkbookRow> rows;
    QByteArray csv;
    std::vector<int> rowOfLine;
    int gaveUp = 0;
};

// The workbook read once into rows and once as the CSV copy, to a buffer or a file.
Read readWorkbook(const QString &path, bool byteScanner, qint64 xmlLimit, bool toFile)
{
    Read r;
    WorkbookReader reader;
    reader.setByteScanner(byteScanner);
    reader.setXmlLimit(xmlLimit);
    r.ok = reader.read(path);
    r.error = reader.error();
    r.names = reader.sheetNames();
    r.rows = reader.rows();
    r.gaveUp = reader.scannerGaveUp();
    QBuffer buffer;
    QTemporaryFile file;
    QIODevice &out = toFile ? static_cast<QIODevice &>(file) : buffer;
    if (!out.open(QIODevice::ReadWrite))
        return r;
    const bool csvOk = reader.readAsCsv(path, out, 0, &r.rowOfLine);
    EXPECT_EQ(csvOk, r.ok);
    EXPECT_EQ(reader.error(), r.error);
    out.seek(0);
    r.csv = out.readAll();
    return r;
}

} // namespace

// Random sheets give the same rows, CSV copies, sheet names and refusals whether
// their bytes are read by the byte scanner or by QXmlStreamReader; the scanner
// gives up only on what it does not know.
TEST(SheetScanner, readsAsXmlReaderDoes)
{
    std::mt19937 rng(testsupport::randomSeed("SheetScanner.readsAsXmlReaderDoes"));
    TempDir dir;
    for (int round = 0; round < 250; ++round) {
        SheetWriter w(rng);
        const int strings = int(rng() % 12);
        const QByteArray shared = w.sharedStrings(strings);
        // The first two sheets are read in many pieces; the second ends in a comment,
        // on which the scanner gives up after many rows.
        w.allowOdd = round > 1;
        QByteArray sheet = w.sheet(strings, round > 1 ? int(rng() % 40) : 8000 * (round + 1));
        if (round == 1) {
            sheet.insert(sheet.lastIndexOf("</"), "<!-- konec -->");
            w.odd = true;
        }
        QList<std::pair<const char *, QByteArray>> parts = {{"xl/_rels/workbook.xml.rels", Rels},
                                                            {"xl/workbook.xml", Book},
                                                            {"xl/styles.xml", Styles},
                                                            {"xl/worksheets/sheet1.xml", sheet}};
        if (rng() % 4)
            parts.append({"xl/sharedStrings.xml", shared});
        const QString path = dir.file(QStringLiteral("sešit%1.xlsx").arg(round));
        writeZip(path, parts);
        qint64 limit = WorkbookMaxXmlSize;
        if (rng() % 8 == 0) {   // the unpacked parts may just fit or not
            qint64 all = 0;
            for (const auto &part : parts)
                all += part.second.size();
            limit = all - qint64(rng() % quint64(shared.size() + sheet.size()));
        }
        const bool toFile = round == 1 || rng() % 2;   // a file is written in pieces
        const Read fast = readWorkbook(path, true, limit, toFile);
        const Read slow = readWorkbook(path, false, limit, toFile);
        SCOPED_TRACE(QStringLiteral("round %1: %2").arg(round).arg(QString::fromUtf8(sheet.left(3000))).toStdString());
        EXPECT_EQ(fast.ok, slow.ok);
        EXPECT_EQ(fast.error, slow.error);
        EXPECT_EQ(fast.names, slow.names);
        EXPECT_EQ(fast.csv, slow.csv);
        EXPECT_EQ(fast.rowOfLine, slow.rowOfLine);
        ASSERT_EQ(fast.rows.size(), slow.rows.size());
        for (qsizetype i = 0; i < fast.rows.size(); ++i) {
            EXPECT_EQ(fast.rows[i].number, slow.rows[i].number) << "row " << i;
            EXPECT_EQ(fast.rows[i].cells, slow.rows[i].cells) << "row " << slow.rows[i].number;
        }
        EXPECT_EQ(slow.gaveUp, 0);
        if (!w.odd && limit == WorkbookMaxXmlSize) {
            EXPECT_EQ(fast.gaveUp, 0);
        }
    }
}
