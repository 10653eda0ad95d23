// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/CsvImport.h"
#include "exchange/WorkbookReader.h"

#include "TestSupport.h"
#include "test_ZipSupport.h"

#include <QDateTime>
#include <QFile>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <random>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

using ziptest::writeZip;

// libxlsxwriter prints its numbers with the C library, which follows LC_NUMERIC.
struct CNumbers {
    CNumbers() : previous(uselocale(c)) {}
    ~CNumbers()
    {
        uselocale(previous);
        freelocale(c);
    }
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    locale_t previous;
};

struct ExpectedSheet {
    QString name;
    QList<WorkbookRow> rows;
};

// An .ods whose first table has a header spread over repeated columns, numbers,
// a date, a multi-paragraph text, empty rows repeated past the sheet's end.
QByteArray odsContent()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
        " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
        " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
        "<table:table table:name=\"Adresy\">"
        "<table:table-header-rows><table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>Jméno</text:p></table:table-cell>"
        "<table:table-cell table:number-columns-repeated=\"2\"/>"
        "<table:table-cell office:value-type=\"string\"><text:p>Částka</text:p></table:table-cell>"
        "</table:table-row></table:table-header-rows>"
        "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"1024\"/>"
        "</table:table-row>"
        "<table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>Novák<text:s text:c=\"2\"/>&amp; syn</text:p>"
        "<text:p>Brno</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"float\" office:value=\"2024\"><text:p>2 024</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-03-05\"><text:p>5.3.24</text:p>"
        "</table:table-cell>"
        "<table:table-cell office:value-type=\"currency\" office:value=\"1234.5\"><text:p>1 234,50 Kč</text:p>"
        "</table:table-cell>"
        "</table:table-row>"
        "<table:table-row table:number-rows-repeated=\"3\"><table:table-cell office:value-type=\"float\" "
        "office:value=\"0.1\" table:number-columns-repeated=\"2\"/></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell "
        "table:number-columns-repeated=\"16384\"/></table:table-row>"
        "</table:table>"
        "<table:table table:name=\"Druhý\"><table:table-row><table:table-cell office:value-type=\"string\">"
        "<text:p>x</text:p></table:table-cell></table:table-row></table:table>"
        "</office:spreadsheet></office:body></office:document-content>");
}

QString randomCellText(std::mt19937 &rng)
{
    static const QString alphabet = QStringLiteral("aZ0 9;\"<>&'\n.-ščŽŮ€„");
    QString s;
    const int n = 1 + int(rng() % 12);
    for (int i = 0; i < n; ++i)
        s += alphabet.at(int(rng() % unsigned(alphabet.size())));
    return s.trimmed().isEmpty() ? QStringLiteral("x") : s;   // a blank string writes no cell
}

void expectSheet(const WorkbookReader &r, const ExpectedSheet &want)
{
    ASSERT_EQ(r.rows().size(), want.rows.size());
    for (qsizetype i = 0; i < want.rows.size(); ++i) {
        EXPECT_EQ(r.rows()[i].number, want.rows[i].number) << "row " << i;
        EXPECT_EQ(r.rows()[i].cells, want.rows[i].cells) << "row " << want.rows[i].number;
    }
}

} // namespace

// Random workbooks written by libxlsxwriter (with shared strings, or inline ones in
// its constant-memory mode) read back cell for cell, from every sheet.
TEST(WorkbookReader, randomXlsxRoundTrip)
{
    // KVITANKY_SEED repeats a run.
    const unsigned seed = qEnvironmentVariableIsSet("KVITANKY_SEED") ? qEnvironmentVariableIntValue("KVITANKY_SEED")
                                                                    : unsigned(QDateTime::currentMSecsSinceEpoch());
    std::printf("randomXlsxRoundTrip seed %u\n", seed);
    std::mt19937 rng(seed);
    TempDir dir;
    for (int round = 0; round < 12; ++round) {
        const QString path = dir.file(QStringLiteral("sešit%1.xlsx").arg(round));
        const CNumbers cNumbers;
        lxw_workbook_options options{};
        options.constant_memory = round % 2 ? LXW_TRUE : LXW_FALSE;
        lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        ASSERT_NE(book, nullptr);
        lxw_format *dateFormat = workbook_add_format(book);
        format_set_num_format(dateFormat, "d.m.yyyy");
        QList<ExpectedSheet> sheets(1 + int(rng() % 3));
        for (qsizetype s = 0; s < sheets.size(); ++s) {
            sheets[s].name = QStringLiteral("List %1 č.").arg(s + 1);
            lxw_worksheet *sheet = workbook_add_worksheet(book, sheets[s].name.toUtf8().constData());
            const int rowCount = int(rng() % 20);
            for (int r = 0; r < rowCount; ++r) {
                if (rng() % 4 == 0)
                    continue;   // an empty row
                WorkbookRow row{r + 1, {}};
                const int cols = 1 + int(rng() % 8);
                for (int c = 0; c < cols; ++c) {
                    QString text;
                    const std::uint32_t kind = rng() % 7;
                    if (kind == 0) {
                        // an empty cell
                    } else if (kind == 1 || kind == 2) {
                        text = randomCellText(rng);
                        worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), text.toUtf8().constData(), nullptr);
                    } else if (kind == 3) {
                        const qint64 v = qint64(rng() % 10000000000ULL) - 5000;
                        text = QString::number(v);
                        worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), double(v), nullptr);
                    } else if (kind == 4) {
                        const int cents = int(rng() % 10000000);
                        text = QString::number(cents / 100);
                        if (cents % 100 != 0)
                            text += QStringLiteral(".%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
                        if (text.contains(u'.') && text.endsWith(u'0'))
                            text.chop(1);
                        worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), cents / 100.0, nullptr);
                    } else if (kind == 5) {
                        const int v = int(rng() % 1000);
                        text = QString::number(v * 2);
                        worksheet_write_formula_num(sheet, lxw_row_t(r), lxw_col_t(c), "=1+1", nullptr, v * 2.0);
                    } else {
                        lxw_datetime dt{int(1990 + rng() % 50), int(1 + rng() % 12), int(1 + rng() % 28), 0, 0, 0};
                        text = QStringLiteral("%1.%2.%3").arg(dt.day).arg(dt.month).arg(dt.year);
                        worksheet_write_datetime(sheet, lxw_row_t(r), lxw_col_t(c), &dt, dateFormat);
                    }
                    if (!text.isEmpty()) {
                        row.cells.resize(c + 1);
                        row.cells[c] = text;
                    }
                }
                if (!row.cells.isEmpty())
                    sheets[s].rows.append(row);
            }
        }
        ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
        for (qsizetype s = 0; s < sheets.size(); ++s) {
            WorkbookReader r;
            ASSERT_TRUE(r.read(path, int(s))) << r.error().toStdString();
            EXPECT_EQ(r.sheetNames().size(), sheets.size());
            EXPECT_EQ(r.sheetNames().value(s), sheets[s].name);
            expectSheet(r, sheets[s]);
        }
    }
}

TEST(WorkbookReader, odsCellsAndRepeats)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("adresy.ods"));
    writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", odsContent()}});
    WorkbookReader r;
    ASSERT_TRUE(r.read(path)) << r.error().toStdString();
    EXPECT_EQ(r.sheetNames(), QStringList({QStringLiteral("Adresy"), QStringLiteral("Druhý")}));
    ExpectedSheet want;
    want.rows = {{1, {QStringLiteral("Jméno"), {}, {}, QStringLiteral("Částka")}},
                 {4, {QStringLiteral("Novák  & syn\nBrno"), QStringLiteral("2024"), QStringLiteral("5.3.2024"),
                      QStringLiteral("1234.5")}},
                 {5, {QStringLiteral("0.1"), QStringLiteral("0.1")}},
                 {6, {QStringLiteral("0.1"), QStringLiteral("0.1")}},
                 {7, {QStringLiteral("0.1"), QStringLiteral("0.1")}}};
    expectSheet(r, want);
    ASSERT_TRUE(r.read(path, 1));
    EXPECT_EQ(r.rows().size(), 1);
    EXPECT_FALSE(r.read(path, 2));
    EXPECT_NE(r.error().indexOf(QStringLiteral("nemá list č. 3")), -1) << r.error().toStdString();
}

// Each bad workbook ends in a Czech message that names the file and says why.
TEST(WorkbookReader, badWorkbooksRefused)
{
    TempDir dir;
    const QString good = dir.file(QStringLiteral("dobrý.ods"));
    writeZip(good, {{"content.xml", odsContent()}});
    const QByteArray goodBytes = testsupport::readFile(good);
    QByteArray lying = goodBytes;   // declares fewer bytes than it inflates to
    const qsizetype central = lying.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GE(central, 0);
    lying[central + 24] = 10, lying[central + 25] = 0, lying[central + 26] = 0, lying[central + 27] = 0;

    struct Case {
        QString name;
        QByteArray bytes;
        QString says;
    };
    const QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest", 13);   // the old format's container
    const QList<Case> cases = {
        {QStringLiteral("useknutý.xlsx"), goodBytes.left(goodBytes.size() / 2), QStringLiteral("poškozený")},
        {QStringLiteral("text.xlsx"), QByteArray("Jméno;Částka\n"), QStringLiteral("poškozený")},
        {QStringLiteral("prázdný.ods"), QByteArray(), QStringLiteral("poškozený")},
        {QStringLiteral("staré.xls"), ole, QStringLiteral(".xlsx")},
        {QStringLiteral("heslo.xlsx"), ole, QStringLiteral("heslem")},
        {QStringLiteral("lže.ods"), lying, QStringLiteral("poškozený")},
    };
    for (const Case &c : cases) {
        const QString path = dir.file(c.name);
        testsupport::writeFile(path, c.bytes);
        WorkbookReader r;
        EXPECT_FALSE(r.read(path)) << c.name.toStdString();
        EXPECT_NE(r.error().indexOf(c.name), -1) << r.error().toStdString();
        EXPECT_NE(r.error().indexOf(c.says), -1) << r.error().toStdString();
    }

    const QString locked = dir.file(QStringLiteral("zamčený.ods"));
    writeZip(locked, {{"content.xml", odsContent()}}, "tajné");
    WorkbookReader r;
    EXPECT_FALSE(r.read(locked));
    EXPECT_NE(r.error().indexOf(QStringLiteral("heslem")), -1) << r.error().toStdString();

    const QString bomb = dir.file(QStringLiteral("bomba.ods"));
    writeZip(bomb, {{"content.xml", QByteArray(3 << 20, ' ')}});
    r.setXmlLimit(1 << 20);
    EXPECT_FALSE(r.read(bomb));
    EXPECT_NE(r.error().indexOf(QStringLiteral("po rozbalení")), -1) << r.error().toStdString();

    const QString fifo = dir.file(QStringLiteral("roura.xlsx"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(r.read(fifo));
    EXPECT_NE(r.error().indexOf(QStringLiteral("nejde o soubor")), -1) << r.error().toStdString();
}

// The import reads a workbook's first sheet as it reads a CSV file: a header in its
// own order (styled, merged), a variable symbol as "2024", an amount as its value.
TEST(WorkbookReader, importedLikeCsv)
{
    TempDir dir;
    DbfTable table;
    CreateRecipientTable(table, dir.path());
    const int before = table.recordCount();
    const QString path = dir.file(QStringLiteral("adresy.xlsx"));
    {
        const CNumbers cNumbers;
        lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
        lxw_worksheet *sheet = workbook_add_worksheet(book, "Adresy");
        lxw_format *bold = workbook_add_format(book);
        format_set_bold(bold);
        worksheet_merge_range(sheet, 0, 0, 0, 1, "Příjmení", bold);
        worksheet_write_string(sheet, 0, 2, "Jméno", bold);
        worksheet_write_string(sheet, 0, 3, "Částka", bold);
        worksheet_write_string(sheet, 0, 4, "VS", bold);
        worksheet_write_string(sheet, 2, 0, "Novák", nullptr);
        worksheet_write_string(sheet, 2, 2, "Jan; \"syn\"", nullptr);
        worksheet_write_formula_num(sheet, 2, 3, "=1234.5", nullptr, 1234.5);
        worksheet_write_number(sheet, 2, 4, 2024, nullptr);
        ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    }
    const CsvImportResult r = ImportCsvFile(path, table);
    EXPECT_TRUE(r.refusal.isEmpty()) << r.refusal.toStdString();
    EXPECT_TRUE(r.header);
    ASSERT_EQ(r.rows, 1);
    table.last();
    EXPECT_EQ(table.fieldByName(QStringLiteral("PRIJMENI")).asString(), QStringLiteral("Novák"));
    EXPECT_EQ(table.fieldByName(QStringLiteral("JMENO")).asString(), QStringLiteral("Jan; \"syn\""));
    EXPECT_EQ(table.fieldByName(QStringLiteral("CASTKA")).asFloat(), 1234.5);
    EXPECT_EQ(table.fieldByName(QStringLiteral("VAR_SYMB")).asString(), QStringLiteral("2024"));

    const QString old = dir.file(QStringLiteral("staré.xls"));
    testsupport::writeFile(old, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    const CsvImportResult refused = ImportCsvFile(old, table);
    EXPECT_NE(refused.refusal.indexOf(QStringLiteral("jako sešit .xlsx")), -1) << refused.refusal.toStdString();
    EXPECT_EQ(refused.rows, 0);
    EXPECT_EQ(table.recordCount(), before + 1);
}

// Rows of a sheet are named by the sheet's row numbers, below a cell that holds a
// line break too.
TEST(WorkbookReader, rowsNamedBySheetRow)
{
    TempDir dir;
    DbfTable table;
    CreateRecipientTable(table, dir.path());
    const QString path = dir.file(QStringLiteral("adresy.xlsx"));
    {
        const CNumbers cNumbers;
        lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
        lxw_worksheet *sheet = workbook_add_worksheet(book, "Adresy");
        worksheet_write_string(sheet, 0, 0, "Příjmení", nullptr);
        worksheet_write_string(sheet, 0, 1, "Ulice", nullptr);
        worksheet_write_string(sheet, 0, 2, "Částka", nullptr);
        worksheet_write_string(sheet, 1, 0, "Novák", nullptr);
        worksheet_write_string(sheet, 1, 1, "Horní 1\nDolní Lhota", nullptr);
        worksheet_write_number(sheet, 1, 2, 100, nullptr);
        worksheet_write_string(sheet, 3, 0, "Malá", nullptr);
        worksheet_write_string(sheet, 3, 2, "abc", nullptr);
        ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    }
    const CsvPreview p = PreviewCsvFile(path, table, CsvLayout::Full);
    ASSERT_TRUE(p.canImport()) << p.refusal.toStdString();
    EXPECT_EQ(p.firstLines, (QList<int>{2, 4}));
    EXPECT_EQ(p.problems, QStringList{QStringLiteral("Řádek souboru 4 (řádek adresáře 2): částku „abc“ nelze přečíst, uložena 0")})
        << p.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ImportPreviewedCsv(p, table).rows, 2);
}
