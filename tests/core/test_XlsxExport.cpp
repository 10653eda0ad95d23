// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "data/RecipientTable.h"
#include "exchange/XlsxExport.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

const auto &WorkbookTexts = testsupport::RecipientTextColumns;

using Row = testsupport::RecipientRow;

// The workbook's first sheet as openpyxl reads it.
QJsonObject readWorkbook(const QString &path)
{
    const QString script = QStringLiteral(
        "import json, sys, openpyxl\n"
        "wb = openpyxl.load_workbook(sys.argv[1])\n"
        "ws = wb.worksheets[0]\n"
        "n = int(sys.argv[2])\n"
        "cells = [[{'v': c.value, 't': c.data_type, 'f': c.number_format} for c in row]\n"
        "         for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=n)]\n"
        "fills = [{'pattern': ws.cell(1, c).fill.patternType, 'rgb': str(ws.cell(1, c).fill.fgColor.rgb)}\n"
        "         for c in range(1, n + 2)]\n"
        "widths = [ws.column_dimensions[openpyxl.utils.get_column_letter(c)].width for c in range(1, n + 1)]\n"
        "print(json.dumps({'sheets': len(wb.worksheets), 'title': ws.title, 'maxRow': ws.max_row, 'cells': cells,\n"
        "                  'fills': fills, 'widths': widths}))\n");
    int code = -1;
    QByteArray err;
    const QByteArray out = testsupport::runProgram(testsupport::debianPython(), {"-c", script, path, QString::number(RecipientColumnCount)}, &code, &err);
    EXPECT_EQ(code, 0) << err.toStdString();
    return QJsonDocument::fromJson(out).object();
}

class XlsxFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::havePythonModule(QStringLiteral("openpyxl")))
            GTEST_SKIP() << "python3-openpyxl is missing";
        CreateRecipientTable(table, dir.path());
    }
    TempDir dir;
    DbfTable table;
};

TEST_F(XlsxFixture, sheetLayoutAndValues)
{
    testsupport::appendRecipient(table, {{"Pan", "Jan", "Novák", "c.p. 7100", "Nové Hobzí", "378 81", "7100", "0", "+420 777", "j@x.cz"}, 1234.5, 0});
    testsupport::appendRecipient(table, {{"", "Zdeněk", "Černý", "", "", "", "", "0123456789", "", ""}, 12345000, 1});
    testsupport::appendRecipient(table, {{"a;b\"c<&>", "tab\tbell\x07", "", "", "", "", "", "", "", ""}, 0, -1});
    const QString path = dir.file(QStringLiteral("out.xlsx"));
    const std::string decimalPoint = std::localeconv()->decimal_point;
    const XlsxExportResult r = ExportXlsxFile(path, table);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(std::localeconv()->decimal_point, decimalPoint);   // the program's locale is back
    EXPECT_EQ(r.rows, 3);

    const QJsonObject wb = readWorkbook(path);
    EXPECT_EQ(wb.value("maxRow").toInt(), 4);
    const QJsonArray cells = wb.value("cells").toArray();
    ASSERT_EQ(cells.size(), 4);
    const auto cell = [&](int row, int col) { return cells.at(row - 1).toArray().at(col - 1).toObject(); };

    const QStringList headers = {"Titul", "Jméno", "Príjmení", "Ulice", "Obec", "PSC", "Cástka",
                                 "Var. symbol", "Spec. symbol", "Telefon", "Email", "Vyrazeno"};
    const int widths[] = {8, 10, 12, 20, 20, 12, 13, 12, 12, 18, 20, 10};
    const QJsonArray fills = wb.value("fills").toArray();
    for (int c = 1; c <= headers.size(); ++c) {
        EXPECT_EQ(cell(1, c).value("v").toString(), headers[c - 1]);
        EXPECT_EQ(int(std::floor(wb.value("widths").toArray().at(c - 1).toDouble())), widths[c - 1]) << c;
        EXPECT_EQ(fills.at(c - 1).toObject().value("pattern").toString(), QStringLiteral("solid")) << c;
        EXPECT_EQ(fills.at(c - 1).toObject().value("rgb").toString(), QStringLiteral("FFC0C0C0")) << c;
    }
    EXPECT_TRUE(fills.at(RecipientColumnCount).toObject().value("pattern").isNull());   // after the last stays plain

    EXPECT_EQ(cell(2, 3).value("v").toString(), QStringLiteral("Novák"));
    EXPECT_EQ(cell(2, 5).value("v").toString(), QStringLiteral("Nové Hobzí"));
    EXPECT_EQ(cell(2, 7).value("v").toDouble(), 1234.5);
    EXPECT_EQ(cell(2, 7).value("t").toString(), QStringLiteral("n"));
    EXPECT_EQ(cell(2, 7).value("f").toString(), QStringLiteral("#,##0.00"));
    EXPECT_EQ(cell(2, 9).value("v").toString(), QStringLiteral("0"));   // text "0" kept, unlike the CSV
    EXPECT_EQ(cell(2, 9).value("t").toString(), QStringLiteral("s"));
    EXPECT_EQ(cell(2, 12).value("v").toDouble(), 0.0);
    EXPECT_EQ(cell(2, 12).value("t").toString(), QStringLiteral("n"));

    EXPECT_TRUE(cell(3, 1).value("v").isNull());
    EXPECT_EQ(cell(3, 2).value("v").toString(), QStringLiteral("Zdeněk"));
    EXPECT_EQ(cell(3, 9).value("v").toString(), QStringLiteral("0123456789"));
    EXPECT_EQ(cell(3, 9).value("t").toString(), QStringLiteral("s"));
    EXPECT_EQ(cell(3, 7).value("v").toDouble(), 12345000.0);
    EXPECT_EQ(cell(3, 12).value("v").toDouble(), 1.0);

    EXPECT_EQ(cell(4, 1).value("v").toString(), QStringLiteral("a;b\"c<&>"));
    // A control character is stored as Excel's own escape (openpyxl leaves it undecoded);
    // what matters is that the workbook stays readable.
    EXPECT_EQ(cell(4, 2).value("v").toString(), QStringLiteral("tab\tbell_x0007_"));
    EXPECT_EQ(cell(4, 7).value("v").toDouble(), 0.0);
    EXPECT_EQ(cell(4, 7).value("f").toString(), QStringLiteral("#,##0.00"));
    EXPECT_EQ(cell(4, 12).value("v").toDouble(), 0.0);   // never written reads as 0
    EXPECT_EQ(wb.value("title").toString(), QStringLiteral("Adresář"));
}

// Text that looks like the workbook's "_xHHHH_" escape keeps showing as typed: its
// underscore is escaped (openpyxl shows the stored form).
TEST(XlsxText, escapeLookalikesEscaped)
{
    const std::pair<const char *, const char *> cases[] = {
        {"_x0041_", "_x005F_x0041_"}, {"a_X00e9_b", "a_x005F_X00e9_b"}, {"_x005F_", "_x005F_x005F_"},
        {"_x004_", "_x004_"}, {"_x00G1_", "_x00G1_"}, {"x_0041_", "x_0041_"}, {"Novák", "Novák"}};
    for (const auto &[typed, stored] : cases)
        EXPECT_EQ(XlsxCellText(QString::fromUtf8(typed)), QByteArray(stored)) << typed;
}

struct SizeCase {
    const char *name;
    int rows;
};

class XlsxRows : public XlsxFixture, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(XlsxRows, oneSheetRowPerTableRowUnderTheHeader)
{
    for (int i = 0; i < GetParam().rows; ++i)
        testsupport::appendRecipient(table, {{"t", "", "", "", "", "", "", "", "", ""}, double(i), 0});
    const QString path = dir.file(QStringLiteral("n.xlsx"));
    const XlsxExportResult r = ExportXlsxFile(path, table);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.rows, GetParam().rows);
    const QJsonObject wb = readWorkbook(path);
    EXPECT_EQ(wb.value("sheets").toInt(), 1);
    EXPECT_EQ(wb.value("maxRow").toInt(), GetParam().rows + 1);
    if (GetParam().rows > 0) {
        const QJsonArray last = wb.value("cells").toArray().last().toArray();
        EXPECT_EQ(last.at(6).toObject().value("v").toDouble(), GetParam().rows - 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, XlsxRows,
                         ::testing::Values(SizeCase{"emptyTable", 0}, SizeCase{"threeRows", 3},
                                           SizeCase{"pastProgressStep", 1200}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- failures (no reader needed) -----------------------------------------------

class XlsxFailures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CreateRecipientTable(table, dir.path());
        AddSampleRecipients(table);
    }
    TempDir dir;
    DbfTable table;
};

TEST_F(XlsxFailures, unwritableTargetNamedInTheMessage)
{
    testsupport::writeFile(dir.file(QStringLiteral("plain")), "x");
    const QByteArray tableBytes = testsupport::readFile(table.tableName());
    for (const QString &path : {dir.file(QStringLiteral("plain/out.xlsx")), dir.path(), table.tableName()}) {
        const XlsxExportResult r = ExportXlsxFile(path, table);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.rows, 0);
        EXPECT_TRUE(r.error.startsWith(QStringLiteral("Nelze zapsat soubor ") + path)) << r.error.toStdString();
    }
    EXPECT_EQ(testsupport::readFile(table.tableName()), tableBytes);
    // No temporary leftovers beside the target either.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);   // Data.dbf and plain
}

TEST_F(XlsxFailures, cancelledOrFailedExportLeavesTheOldFile)
{
    for (int i = 0; i < 1100; ++i)
        testsupport::appendRecipient(table, {{"r", "", "", "", "", "", "", "", "", ""}, 1, 0});
    const QString path = dir.file(QStringLiteral("keep.xlsx"));
    testsupport::writeFile(path, "OLD");
    XlsxExportResult r = ExportXlsxFile(path, table, [](qint64, qint64) { return false; });
    EXPECT_TRUE(r.cancelled);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(testsupport::readFile(path), QByteArray("OLD"));

    table.setActive(false);
    r = ExportXlsxFile(path, table);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(testsupport::readFile(path), QByteArray("OLD"));
}

// ---- file names ----------------------------------------------------------------

TEST(XlsxName, timeStamped)
{
    EXPECT_EQ(XlsxExportFileName(QDateTime(QDate(2024, 1, 5), QTime(9, 30, 7))),
              QStringLiteral("DataKvitanky20240105093007.xlsx"));
    EXPECT_EQ(XlsxExportFileName(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999))),
              QStringLiteral("DataKvitanky19991231235959.xlsx"));
}

TEST(XlsxName, twoExportsInOneSecondGetDistinctFiles)
{
    TempDir dir;
    const QDateTime when(QDate(2024, 1, 5), QTime(9, 30, 7));
    const QString first = XlsxExportPath(dir.path(), when);
    EXPECT_EQ(first, dir.file(QStringLiteral("DataKvitanky20240105093007.xlsx")));
    testsupport::writeFile(first, "1");
    const QString second = XlsxExportPath(dir.path(), when);
    EXPECT_EQ(second, dir.file(QStringLiteral("DataKvitanky20240105093007_2.xlsx")));
    testsupport::writeFile(second, "2");
    EXPECT_EQ(XlsxExportPath(dir.path(), when), dir.file(QStringLiteral("DataKvitanky20240105093007_3.xlsx")));
}

} // namespace
