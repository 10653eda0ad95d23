// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "exchange/CsvFormat.h"
#include "exchange/CsvImport.h"
#include "exchange/XlsxExport.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QFile>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

const char *const Columns[] = {"TITUL", "JMENO", "PRIJMENI", "ULICE", "OBEC", "PSC", "CASTKA",
                               "VAR_SYMB", "SPEC_SYMB", "TELEFON", "EMAIL", "VYRAZENO"};

// A row as "TITUL|JMENO|...|CASTKA|...|VYRAZENO", the amount with a point.
std::string currentRow(DbfTable &t)
{
    QStringList parts;
    for (const char *c : Columns) {
        DbfField f = t.fieldByName(QLatin1String(c));
        if (QByteArray(c) == "CASTKA")
            parts << QString::number(f.asFloat(), 'g', 15);
        else if (QByteArray(c) == "VYRAZENO")
            parts << QString::number(f.asInteger());
        else
            parts << f.asString();
    }
    return parts.join(QLatin1Char('|')).toStdString();
}

std::vector<std::string> importedRows(DbfTable &t)
{
    std::vector<std::string> rows;
    t.first();
    while (!t.eof()) {
        rows.push_back(currentRow(t));
        t.next();
    }
    return rows;
}

class RecipientFixture : public ::testing::Test
{
protected:
    void SetUp() override { CreateRecipientTable(table, dir.path()); }
    QString csv(const QByteArray &bytes, const char *name = "in.csv")
    {
        const QString path = dir.file(QLatin1String(name));
        testsupport::writeFile(path, bytes);
        return path;
    }

    TempDir dir;
    DbfTable table;
};

// ---- rows, data-driven ---------------------------------------------------------

struct ImportCase {
    const char *name;
    CsvLayout layout;
    QByteArray file;
    std::vector<std::string> rows;   // UTF-8
    bool tooLong = false;
};

class CsvImportRows : public RecipientFixture, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(CsvImportRows, appendsAndPostsEachLine)
{
    const ImportCase &c = GetParam();
    const CsvImportResult r = ImportCsv(csv(c.file), table, c.layout);
    EXPECT_FALSE(r.openFailed);
    EXPECT_TRUE(r.engineError.isEmpty()) << r.engineError.toStdString();
    EXPECT_EQ(r.tooLong, c.tooLong);
    EXPECT_EQ(r.rows, int(c.rows.size()));
    EXPECT_EQ(importedRows(table), c.rows);

    // Posted through to the file: a second table object sees the same rows.
    DbfTable reopened;
    reopened.setTableName(table.tableName());
    reopened.setActive(true);
    EXPECT_EQ(importedRows(reopened), c.rows);
}

const QByteArray Line765 = "T;J;" + QByteArray(765 - 4, 'x');
const QByteArray Line766 = "T;J;" + QByteArray(766 - 4, 'x');
const char *const Empty = "||||||0|||||0";
const char *const Flagged = "||||||0|||||1";

QByteArray flagLine(const QByteArray &flag) { return ";;;;;;;;;;;" + flag + ";\n"; }

INSTANTIATE_TEST_SUITE_P(
    Full, CsvImportRows,
    ::testing::Values(
        ImportCase{"exportedLine", CsvLayout::Full,
                   "Pan;Jan;Nov\xe1k;Hlavn\xed 1;Praha;110 00;1234,5;7100;;+420 777;jan@x.cz;0;\r\n",
                   {"Pan|Jan|Novák|Hlavní 1|Praha|110 00|1234.5|7100||+420 777|jan@x.cz|0"}},
        ImportCase{"twoFieldsResetEverythingElse", CsvLayout::Full,
                   "t;j;p;u;o;1;5;v;s;te;e;1;\na;b",
                   {"t|j|p|u|o|1|5|v|s|te|e|1", "a|b|||||0|||||0"}},
        ImportCase{"crlfAndNoFinalLf", CsvLayout::Full, "a\r\nb", {"a||||||0|||||0", "b||||||0|||||0"}},
        ImportCase{"crOnlyLineEnds", CsvLayout::Full, "a\rb\rc\r", {"a||||||0|||||0", "b||||||0|||||0", "c||||||0|||||0"}},
        ImportCase{"emptyAndCrOnlyLinesSkipped", CsvLayout::Full, "\n\r\n\n", {}},
        ImportCase{"oneBlankIsARow", CsvLayout::Full, " \n", {Empty}},
        ImportCase{"headerLineSkipped", CsvLayout::Full,
                   "TITUL;JMENO;PRIJMENI;ULICE;OBEC;PSC;CASTKA;VAR_SYMB;SPEC_SYMB;TELEFON;EMAIL;VYRAZENO\nPan;Jan",
                   {"Pan|Jan|||||0|||||0"}},
        ImportCase{"headerInItsOwnOrder", CsvLayout::Full,
                   "P\xf8\xedjmen\xed;Jm\xe9no;Ulice;Obec;PS\xc8;\xc8\xe1stka;VS;Pozn\xe1mka\n"
                   "Nov\xe1k;Jan;Dlouh\xe1 1;Brno;602 00;1 234,50;77;x\n",
                   {"|Jan|Novák|Dlouhá 1|Brno|602 00|1234.5|77||||0"}},
        ImportCase{"headerSixColumnsButtonToo", CsvLayout::SixColumns, "Jm\xe9no;E-mail\nJan;j@x.cz\n",
                   {"|Jan|||||0||||j@x.cz|0"}},
        ImportCase{"commaSeparatedQuoted", CsvLayout::Full,
                   "Titul,Jm\xe9no,P\xf8\xedjmen\xed,\xc8\xe1stka\r\nIng.,\"Jan, ml.\",\"Nov\xe1k \"\"Honza\"\"\",\"1 234,50\"\r\n",
                   {"Ing.|Jan, ml.|Novák \"Honza\"||||1234.5|||||0"}},
        ImportCase{"tabSeparatedLineBreakInQuotes", CsvLayout::Full, "Pan\tJan\t\"a\nb\"\tx\n",
                   {"Pan|Jan|a\nb|x|||0|||||0"}},
        ImportCase{"quoteInsideFieldBecomesBlank", CsvLayout::Full, "\"Ing.\";a\"b\n", {"Ing.|a b|||||0|||||0"}},
        ImportCase{"semicolonInQuotesStaysInField", CsvLayout::Full, "\"Nov\xfd; Jan\";x\n",
                   {"Nový; Jan|x|||||0|||||0"}},
        ImportCase{"textCutToColumn", CsvLayout::Full, "ABCDEFGHIJKLMNOP;;;;;12345678901234\n",
                   {"ABCDEFGHIJ|||||1234567890|0|||||0"}},
        ImportCase{"flagAnyNonZeroWholeNumber", CsvLayout::Full,
                   flagLine("1") + flagLine("01") + flagLine(" 1") + flagLine("\"2\"") + flagLine("-3")
                       + flagLine("") + flagLine("0") + flagLine("x") + flagLine("1,5"),
                   {Flagged, Flagged, Flagged, Flagged, Flagged, Empty, Empty, Flagged, Empty}},
        ImportCase{"amounts", CsvLayout::Full,
                   ";;;;;;1 234,50 K\xe8\n;;;;;;-150\n;;;;;;12.50\n;;;;;;abc\n;;;;;;1,2,3\n;;;;;;1.234,50\n"
                   ";;;;;;1,234.50\n;;;;;;150,-\n;;;;;;1\xa0" "234\n;;;;;;12abc\n",
                   {"||||||1234.5|||||0", "||||||-150|||||0", "||||||12.5|||||0", Empty, Empty,
                    "||||||1234.5|||||0", "||||||1234.5|||||0", "||||||150|||||0", "||||||1234|||||0",
                    "||||||12|||||0"}},
        ImportCase{"longestLineImported", CsvLayout::Full, Line765 + "\n", {"T|J|" + std::string(30, 'x') + "||||0|||||0"}},
        ImportCase{"tooLongStopsKeepingEarlierRows", CsvLayout::Full, "a\n" + Line766 + "\nb\n",
                   {"a||||||0|||||0"}, true},
        ImportCase{"ctrlZEndsFile", CsvLayout::Full, "a\n\x1a" "b\n", {"a||||||0|||||0"}},
        ImportCase{"windows1250", CsvLayout::Full, "Ing.;Ji\xf8\xed;\x8aime\xe8" "ek\n", {"Ing.|Jiří|Šimeček||||0|||||0"}},
        ImportCase{"utf8WithBom", CsvLayout::Full, "\xef\xbb\xbfIng.;Ji\xc5\x99\xc3\xad\n", {"Ing.|Jiří|||||0|||||0"}},
        ImportCase{"utf8WithoutBom", CsvLayout::Full, "Ing.;Ji\xc5\x99\xc3\xad\n", {"Ing.|Jiří|||||0|||||0"}},
        ImportCase{"bomOnly", CsvLayout::Full, "\xef\xbb\xbf", {}}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    SixColumns, CsvImportRows,
    ::testing::Values(
        ImportCase{"noFinalSemicolonKeepsAmount", CsvLayout::SixColumns,
                   "Nov\xe1k;Jan;110 00;Praha;Hlavn\xed 5;1 250,50",
                   {"|Jan|Novák|Hlavní 5|Praha|110 00|1250.5|||||0"}},
        ImportCase{"extraFieldsIgnored", CsvLayout::SixColumns, "P;J;1;O;U;7;x;y;z;w;q;1;\r\n",
                   {"|J|P|U|O|1|7|||||0"}},
        ImportCase{"twoFields", CsvLayout::SixColumns, "P;J\n\nQ\n", {"|J|P||||0|||||0", "||Q||||0|||||0"}},
        ImportCase{"tooLong", CsvLayout::SixColumns, "P\n" + Line766, {"||P||||0|||||0"}, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecipientFixture, crlfFileGivesTheSameRowsAsLf)
{
    const QByteArray lf = "Pan;Jan;Nov\xe1k;;;;12,5;;;;;1;\n;b;;;;;;;;;;0;\n";
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    ASSERT_EQ(ImportCsvFile(csv(lf), table).rows, 2);
    const auto fromLf = importedRows(table);
    table.deleteAll();
    ASSERT_EQ(ImportCsvFile(csv(crlf), table).rows, 2);
    EXPECT_EQ(importedRows(table), fromLf);
}

TEST_F(RecipientFixture, appendsAfterExistingRowsCursorOnLastImported)
{
    AddSampleRecipients(table);
    const auto before = importedRows(table);
    const QString path = csv("a\nb\nc\n");
    ASSERT_EQ(ImportCsvFile(path, table).rows, 3);
    EXPECT_EQ(table.recordCount(), 7);
    EXPECT_EQ(table.recNo(), 6);
    EXPECT_EQ(currentRow(table), "c||||||0|||||0");
    const auto after = importedRows(table);
    EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 4), before);

    // The same file again gives every row twice.
    ASSERT_EQ(ImportCsvFile(path, table).rows, 3);
    EXPECT_EQ(table.recordCount(), 10);
}

// ---- failures and messages ----------------------------------------------------

struct MessageCase {
    const char *name;
    CsvLayout layout;
    const char *file;   // nullptr: no such file
    QByteArray content;
    std::vector<std::string> messages;   // "%1" stands for the path
};

class CsvImportReport : public RecipientFixture, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(CsvImportReport, reportAsTheUserSeesIt)
{
    const MessageCase &c = GetParam();
    QString path = dir.file(QStringLiteral("missing.csv"));
    if (c.file)
        path = csv(c.content, c.file);
    const CsvImportResult r = ImportCsv(path, table, c.layout);
    std::vector<std::string> expected;
    for (const std::string &m : c.messages)
        expected.push_back(QString::fromStdString(m).arg(path).toStdString());
    std::vector<std::string> got;
    for (const QString &m : CsvImportMessages(r, path, c.layout))
        got.push_back(m.toStdString());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(r.openFailed, c.file == nullptr);
    if (!c.file) {
        EXPECT_EQ(table.recordCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvImportReport,
    ::testing::Values(
        MessageCase{"missingFull", CsvLayout::Full, nullptr, {},
                    {"Nelze otevrít soubor %1", "Bylo importováno 0 záznamu."}},
        MessageCase{"missingSix", CsvLayout::SixColumns, nullptr, {}, {"Nelze otevrít soubor %1"}},
        MessageCase{"countFull", CsvLayout::Full, "a.csv", "a\nb\n", {"Bylo importováno 2 záznamu."}},
        MessageCase{"countSix", CsvLayout::SixColumns, "a.csv", "a\nb\n", {"Importováno 2 záznamu."}},
        MessageCase{"tooLongFull", CsvLayout::Full, "a.csv", "a\n" + QByteArray(800, 'x'),
                    {"Soubor %1, řádek 2: řádek je delší než 765 znaků. Import skončil před tímto řádkem.",
                     "Bylo importováno 1 záznamu."}},
        MessageCase{"tooLongSix", CsvLayout::SixColumns, "a.csv", QByteArray(766, 'x'),
                    {"Soubor %1, řádek 1: řádek je delší než 765 znaků. Import skončil před tímto řádkem.",
                     "Importováno 0 záznamu."}},
        MessageCase{"unterminatedQuoteAtEnd", CsvLayout::Full, "a.csv", "a\nb\n\"c;d\n",
                    {"Soubor %1, řádek 3: uvozovky otevřené na tomto řádku se do konce souboru neuzavřely. "
                     "Import skončil před tímto řádkem.",
                     "Bylo importováno 2 záznamu."}},
        MessageCase{"headerUnknownColumnsAndAmounts", CsvLayout::Full, "a.csv",
                    "Jméno;Částka;IČO;Jméno\nJan;abc\nEva;-150\nIva;150 Kč\n",
                    {"Bylo importováno 3 záznamu.",
                     "První řádek souboru je záhlaví se jmény sloupců; nebyl importován.\n\n"
                     "Sloupce, které adresář nemá (nebo jsou v souboru podruhé), nebyly importovány: „IČO“, „Jméno“.\n\n"
                     "Na 2 řádcích souboru nešlo hodnoty přečíst s jistotou:\n"
                     "Řádek souboru 2 (řádek adresáře 1): částku „abc“ nelze přečíst, uložena 0\n"
                     "Řádek souboru 3 (řádek adresáře 2): částka „-150“ je záporná, uložena -150 (složenka bude neplatná)"}},
        MessageCase{"nulByte", CsvLayout::Full, "a.csv", QByteArray("a;b\nc\0d\n", 8),
                    {"Soubor %1 má na řádku 2 nulový bajt, není to tedy textový soubor CSV. Nic nebylo importováno.",
                     "Bylo importováno 0 záznamu."}},
        MessageCase{"controlCharacters", CsvLayout::Full, "a.csv", "a;b\nc\x01\x02\x03\x04\x05\n",
                    {"Soubor %1 není textový soubor CSV: už řádek 2 obsahuje řídicí znaky. Nic nebylo importováno.",
                     "Bylo importováno 0 záznamu."}},
        MessageCase{"workbookNotCsv", CsvLayout::Full, "a.csv", QByteArray("PK\x03\x04\x14\0\0\0", 8),
                    {"Soubor %1 je sešit tabulkového procesoru, ne soubor CSV. Uložte jej v tabulkovém procesoru jako CSV.",
                     "Bylo importováno 0 záznamu."}},
        MessageCase{"dosEncoding", CsvLayout::Full, "a.csv", "Pan;Ji\xfd\xa1;Nov\xa0k\nPan\xa1;\x9f;\xd8\n",
                    {"Soubor %1 je nejspíš v kódování DOS (CP852), ne v UTF-8 ani ve Windows-1250 (první takový znak "
                     "je na řádku 1). Uložte jej jako CSV v kódování UTF-8 nebo Windows-1250.",
                     "Bylo importováno 0 záznamu."}},
        MessageCase{"isoEncoding", CsvLayout::Full, "a.csv", "Pan;Jan;Nov\xe1k\nPan;Petr;\xa9" "ev\xe8\xedk\n",
                    {"Soubor %1 je nejspíš v kódování ISO-8859-2, ne v UTF-8 ani ve Windows-1250 (první takový znak "
                     "je na řádku 2). Uložte jej jako CSV v kódování UTF-8 nebo Windows-1250.",
                     "Bylo importováno 0 záznamu."}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RecipientFixture, folderOrTheTableItselfIsNotAFileToImport)
{
    AddSampleRecipients(table);
    for (const QString &path : {dir.path(), table.tableName()}) {
        const CsvImportResult r = ImportCsvFile(path, table);
        EXPECT_TRUE(r.openFailed);
        EXPECT_EQ(r.rows, 0);
        EXPECT_EQ(table.recordCount(), 4);
    }
}

TEST(CsvImportEngine, missingColumnStopsWithoutHalfRow)
{
    // A table file replaced by hand: the import fails in the middle of a row.
    TempDir dir;
    DbfTable table;
    table.setTableName(dir.file(QStringLiteral("Data.dbf")));
    table.clearFieldDefs();
    table.addFieldDef(QStringLiteral("TITUL"), FieldType::String, 10);
    table.addFieldDef(QStringLiteral("JMENO"), FieldType::String, 30);
    table.createTable();
    table.setActive(true);
    const QString path = dir.file(QStringLiteral("in.csv"));
    testsupport::writeFile(path, "a;b;c\n");

    const CsvImportResult r = ImportCsvFile(path, table);
    EXPECT_EQ(r.rows, 0);
    EXPECT_TRUE(r.engineError.contains(QLatin1String("PRIJMENI"))) << r.engineError.toStdString();
    EXPECT_EQ(CsvImportMessages(r, path, CsvLayout::Full), QStringList{r.engineError});
    // Moving the cursor must not post the failed row after all.
    table.first();
    EXPECT_EQ(table.recordCount(), 0);
    table.setActive(false);
    table.setActive(true);
    EXPECT_EQ(table.recordCount(), 0);
}

TEST_F(RecipientFixture, closedTableIsAnEngineError)
{
    table.setActive(false);
    const CsvImportResult r = ImportCsvFile(csv("a\n"), table);
    EXPECT_EQ(r.rows, 0);
    EXPECT_FALSE(r.engineError.isEmpty());
}

TEST_F(RecipientFixture, progressReportsAndCancels)
{
    QByteArray file;
    for (int i = 0; i < 3500; ++i)
        file += "r" + QByteArray::number(i) + ";;;;;;" + QByteArray::number(i) + "\r\n";
    const QString path = csv(file);

    std::vector<std::pair<qint64, qint64>> calls;
    CsvImportResult r = ImportCsvFile(path, table, [&](qint64 done, qint64 total) {
        calls.emplace_back(done, total);
        return true;
    });
    EXPECT_EQ(r.rows, 3500);
    EXPECT_FALSE(r.cancelled);
    ASSERT_EQ(calls.size(), 3u);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, file.size());
        EXPECT_LE(calls[i].first, file.size());
        if (i) {
            EXPECT_GT(calls[i].first, calls[i - 1].first);
        }
    }

    table.deleteAll();
    r = ImportCsvFile(path, table, [](qint64, qint64) { return false; });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.rows, ExchangeProgressStep);
    EXPECT_EQ(table.recordCount(), ExchangeProgressStep);
    EXPECT_EQ(CsvImportMessages(r, path, CsvLayout::Full),
              QStringList{QStringLiteral("Bylo importováno 1000 záznamu.")});
}

TEST_F(RecipientFixture, fileReadByDbfreadAfterImport)
{
    if (!testsupport::havePythonModule(QStringLiteral("dbfread")))
        GTEST_SKIP() << "python3-dbfread is missing";
    ASSERT_EQ(ImportCsvFile(csv("Ing.;Ji\xf8\xed;Nov\xe1k;;;;1 234,50;;;;;1;\n"
                                "a\n" + QByteArray(900, 'x') + "\nnever\n"),
                            table)
                  .rows,
              2);
    const QString script = QStringLiteral(
        "import dbfread, json, sys\n"
        "t = dbfread.DBF(sys.argv[1], encoding='cp1250')\n"
        "print(json.dumps([[r['TITUL'], r['JMENO'], r['PRIJMENI'], r['CASTKA'], r['VYRAZENO']] for r in t]))\n");
    int code = -1;
    QByteArray err;
    const QByteArray out =
        testsupport::runProgram(testsupport::debianPython(), {"-c", script, table.tableName()}, &code, &err);
    ASSERT_EQ(code, 0) << err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(out).array();
    ASSERT_EQ(rows.size(), 2);
    const QJsonArray first = rows.at(0).toArray();
    EXPECT_EQ(first.at(0).toString(), QStringLiteral("Ing."));
    EXPECT_EQ(first.at(1).toString(), QStringLiteral("Jiří"));
    EXPECT_EQ(first.at(2).toString(), QStringLiteral("Novák"));
    EXPECT_DOUBLE_EQ(first.at(3).toDouble(), 1234.5);
    EXPECT_EQ(first.at(4).toInt(), 1);
    EXPECT_EQ(rows.at(1).toArray().at(0).toString(), QStringLiteral("a"));
}

// ---- a spreadsheet's CSV ---------------------------------------------------------

// The program's own workbook, opened in LibreOffice Calc and saved as CSV (its
// dialog's choices: ",", quotes where needed, UTF-8, values as shown),
// imports as the rows it came from. Without LibreOffice a file made that way once
// stands in.
TEST_F(RecipientFixture, calcCsvOfTheOwnWorkbookImportsAsTheRows)
{
    AddSampleRecipients(table);
    DbfField title = table.fieldByName(QStringLiteral("TITUL"));
    table.append();
    title.setAsString(QStringLiteral("Ing."));
    table.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("Jan; ml."));
    table.fieldByName(QStringLiteral("PRIJMENI")).setAsString(QStringLiteral("O\"Brien"));
    table.fieldByName(QStringLiteral("ULICE")).setAsString(QStringLiteral("Dlouhá 1, Praha"));
    table.fieldByName(QStringLiteral("PSC")).setAsString(QStringLiteral("0"));
    table.fieldByName(QStringLiteral("CASTKA")).setAsFloat(1234.5);
    table.fieldByName(QStringLiteral("VYRAZENO")).setAsInteger(2);
    table.post();
    std::vector<std::string> expected = importedRows(table);
    expected.back().back() = '1';

    QString csvPath = QStringLiteral(KVITANKY_SOURCE_DIR "/tests/data/exchange/calc-from-own-xlsx.csv");
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!soffice.isEmpty()) {
        const QString xlsx = dir.file(QStringLiteral("adresar.xlsx"));
        ASSERT_TRUE(ExportXlsxFile(xlsx, table).ok());
        int code = -1;
        QByteArray err;
        testsupport::runProgram(soffice,
                                {QStringLiteral("-env:UserInstallation=file://") + dir.file(QStringLiteral("lo")),
                                 QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                 // ",", quotes, UTF-8, values as shown
                                 QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true"),
                                 QStringLiteral("--outdir"), dir.path(), xlsx},
                                &code, &err);
        ASSERT_EQ(code, 0) << err.toStdString();
        csvPath = dir.file(QStringLiteral("adresar.csv"));
        if (qEnvironmentVariableIsSet("KVITANKY_KEEP_CALC_CSV"))
            QFile::copy(csvPath, qEnvironmentVariable("KVITANKY_KEEP_CALC_CSV"));
    }
    TempDir other;
    DbfTable fresh;
    CreateRecipientTable(fresh, other.path());
    const CsvImportResult r = ImportCsvFile(csvPath, fresh);
    EXPECT_TRUE(r.header);
    EXPECT_TRUE(r.unknownColumns.isEmpty()) << r.unknownColumns.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(r.amountProblems, 0) << r.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(importedRows(fresh), expected) << csvPath.toStdString();
}

// ---- encoding ----------------------------------------------------------------

struct EncodingCase {
    const char *name;
    QByteArray bytes;
    CsvEncoding encoding;
    qint64 start = 0;
};

class CsvEncodingDetect : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(CsvEncodingDetect, decidesOnTheWholeFile)
{
    const EncodingCase &c = GetParam();
    QByteArray bytes = c.bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    qint64 start = -1;
    EXPECT_EQ(DetectCsvEncoding(buffer, &start), c.encoding);
    EXPECT_EQ(start, c.start);
}

const qsizetype Chunk = 256 * 1024;
const QByteArray Ascii(Chunk - 1, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvEncodingDetect,
    ::testing::Values(
        EncodingCase{"empty", "", CsvEncoding::Cp1250},
        EncodingCase{"ascii", "a;b\n", CsvEncoding::Cp1250},
        EncodingCase{"windows1250", "\x8a\xe8\n", CsvEncoding::Cp1250},
        EncodingCase{"utf8", "\xc5\xa0\xc4\x8d\n", CsvEncoding::Utf8},
        EncodingCase{"bom", "\xef\xbb\xbf\x8a", CsvEncoding::Utf8, 3},
        EncodingCase{"sequenceAcrossChunks", Ascii + "\xc5\xa0" + Ascii, CsvEncoding::Utf8},
        EncodingCase{"invalidFarAway", "\xc5\xa0" + Ascii + Ascii + "\xe8", CsvEncoding::Cp1250},
        EncodingCase{"truncatedAtEnd", "\xc5\xa0;\xc5", CsvEncoding::Cp1250},
        EncodingCase{"afterCtrlZIgnored", "\xc5\xa0\x1a\xe8", CsvEncoding::Utf8}),
    [](const auto &info) { return std::string(info.param.name); });


// ---- what the preview finds and names ------------------------------------------

struct PreviewCase {
    const char *name;
    QByteArray file;
    char separator;
    QList<int> captions;
    int rows;
    QStringList named;   // each problem line starts so, in this order
    bool thousands = false;
    QStringList firstSurnames = {};
    QStringList repeats = {};
};

class CsvPreviewNames : public RecipientFixture, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(CsvPreviewNames, everyLineNotReadForSure)
{
    const PreviewCase &c = GetParam();
    const CsvPreview p = PreviewCsvFile(csv(c.file), table, CsvLayout::Full, {}, CsvChoices{{}, c.thousands});
    EXPECT_EQ(p.separator, c.separator);
    EXPECT_EQ(p.captionLines, c.captions);
    EXPECT_EQ(p.rows, c.rows);
    ASSERT_EQ(p.problems.size(), c.named.size()) << p.problems.join(QLatin1Char('\n')).toStdString();
    for (qsizetype k = 0; k < c.named.size(); ++k)
        EXPECT_TRUE(p.problems[k].startsWith(c.named[k])) << p.problems[k].toStdString();
    for (qsizetype k = 0; k < c.firstSurnames.size(); ++k)
        EXPECT_EQ(p.firstRows.value(k).value(2), c.firstSurnames[k]);
    EXPECT_EQ(p.repeatNotes, c.repeats);
    // Repeats can be left out.
    if (!c.repeats.isEmpty()) {
        CsvImportOptions skip;
        skip.skipRepeats = true;
        const CsvImportResult r = ImportPreviewedCsv(p, table, skip);
        EXPECT_EQ(r.rows, c.rows - int(c.repeats.size()));
        EXPECT_EQ(r.skippedRepeats, int(c.repeats.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvPreviewNames,
    ::testing::Values(
        PreviewCase{"captionAboveHeaderDoesNotPickTheSeparator",
                    "Seznam pl\xe1tc\xf9, 2024\nP\xf8\xedjmen\xed;Jm\xe9no;\xc8\xe1stka\nNov\xe1k;Jan;100\nDvo\xf8\xe1k;Petr;200\n",
                    ';', {1}, 2, {}, false, {"Novák", "Dvořák"}},
        PreviewCase{"blankFirstLineDoesNotPickTheSeparator",
                    "\nP\xf8\xedjmen\xed,Jm\xe9no,\xc8\xe1stka\nNov\xe1k,Jan,100\nDvo\xf8\xe1k,Petr,200\n", ',', {}, 2, {},
                    false, {"Novák", "Dvořák"}},
        PreviewCase{"captionOverHeaderlessRows", "Platby\n;;Nov\xe1k;;;;100;\n;;Dvo\xf8\xe1k;;;;200;\n", ';', {1}, 2, {}},
        PreviewCase{"amountsNotForSure",
                    "P\xf8\xedjmen\xed;\xc8\xe1stka;Vy\xf8" "azeno\nA;2.500;ne\nB;;x\nC;-150;0\nD;abc;mo\x9en\xe1\nE;1 234,50;ano\n",
                    ';', {}, 5,
                    {"Řádek souboru 2 (řádek adresáře 1): částka „2.500“ může být",
                     "Řádek souboru 3 (řádek adresáře 2): částka chybí",
                     "Řádek souboru 4 (řádek adresáře 3): částka „-150“ je záporná, uložena -150",
                     "Řádek souboru 5 (řádek adresáře 4): částku „abc“ nelze přečíst",
                     "Řádek souboru 5 (řádek adresáře 4): vyřazení „možná“ nelze přečíst"}},
        PreviewCase{"thousandsChosenForTheFile", "P\xf8\xedjmen\xed;\xc8\xe1stka\nA;2.500\n", ';', {}, 1,
                    {"Řádek souboru 2 (řádek adresáře 1): částka „2.500“ může být v tisících i s desetinnou čárkou, "
                     "uložena 2500"},
                    true},
        PreviewCase{"dittoMarksDoNotSwallowLines",
                    "P\xf8\xedjmen\xed;Jm\xe9no;Obec;\xc8\xe1stka\nNov\xe1k;Jan;Praha;100\nMal\xe1;Eva;\";200\n"
                    "Dvo\xf8\xe1k;Petr;Brno;300\nKr\xe1l;Ji\xf8\xed;\";400\n",
                    ';', {}, 4,
                    {"Řádek souboru 3 (řádek adresáře 2): uvozovka bez páru", "Řádek souboru 5 (řádek adresáře 4): uvozovka bez páru"},
                    false, {"Novák", "Malá", "Dvořák", "Král"}},
        PreviewCase{"quotedLineBreakStillOneFieldAndNamed", "a;\"b\nc\";d\ne;f;g\n", ';', {}, 2,
                    {"Řádek souboru 1 (řádek adresáře 1): řádky 1–2 jsou jeden záznam"}},
        PreviewCase{"dittoMarksHeaderless",
                    "Nov\xe1k;Jan;Praha;100\nMal\xe1;Eva;\";200\nDvo\xf8\xe1k;Petr;Brno;300\nKr\xe1l;Ji\xf8\xed;\";400\n", ';',
                    {}, 4,
                    {"Řádek souboru 2 (řádek adresáře 2): uvozovka bez páru", "Řádek souboru 4 (řádek adresáře 4): uvozovka bez páru"},
                    false, {"Praha", "\"", "Brno", "\""}},
        PreviewCase{"rowsNotSwallowedHeaderless", "A;B;\"C;1\nD;E;F;2\nG;H;I\";3\n", ';', {}, 3,
                    {"Řádek souboru 1 (řádek adresáře 1): uvozovka bez páru"}, false, {"\"C", "F", "I"}},
        PreviewCase{"openQuoteToTheEndHeaderless", "A;B;C\nD;\"E;F\nG;H;I\n", ';', {}, 3,
                    {"Řádek souboru 2 (řádek adresáře 2): uvozovka bez páru"}, false, {"C", "F", "I"}},
        PreviewCase{"repeatsInsideTheFile",
                    "P\xf8\xedjmen\xed;Jm\xe9no;VS;\xc8\xe1stka\nNov\xe1k;Jan;1;100\nMal\xe1;Eva;2;100\n"
                    "nov\xe1k ;JAN;3;100\nKr\xe1l;Petr;2;100\nKr\xe1sa;Petr;;100\n",
                    ';', {}, 5, {}, false, {},
                    {"Řádek souboru 4 (řádek adresáře 3) opakuje řádek souboru 2 (řádek adresáře 1): stejný adresát",
                     "Řádek souboru 5 (řádek adresáře 4) opakuje řádek souboru 3 (řádek adresáře 2): stejný variabilní "
                     "symbol 2"}},
        PreviewCase{"macLineEnds", "a;b;c\rd;e;f\rg;h;i\r", ';', {}, 3, {}}),
    [](const auto &info) { return std::string(info.param.name); });

// Rows are named by their line in the file and by the row they become in the
// table, as the import will write them: after the sample rows go, without the rows
// left out.
TEST_F(RecipientFixture, rowsNamedByFileLineAndTableRow)
{
    AddSampleRecipients(table);
    const QString path = csv("Platby 2024\n\nP\xf8\xedjmen\xed;Jm\xe9no;\xc8\xe1stka\nA;Jan;abc\nB;Eva;100\nA;Jan;-5\n");
    const CsvPreview p = PreviewCsvFile(path, table, CsvLayout::Full);
    EXPECT_EQ(p.firstLines, (QList<int>{4, 5, 6}));
    const CsvImportOptions proposed = p.proposedOptions();
    EXPECT_TRUE(proposed.removeSamples);
    const QStringList named{QStringLiteral("Řádek souboru 4 (řádek adresáře 1): částku „abc“ nelze přečíst, uložena 0"),
                            QStringLiteral("Řádek souboru 6 (řádek adresáře 3): částka „-5“ je záporná, uložena -5 "
                                           "(složenka bude neplatná)")};
    EXPECT_EQ(p.problems, named);
    EXPECT_EQ(p.rowPlace(2, proposed), QStringLiteral("Řádek souboru 6 (řádek adresáře 3)"));
    CsvImportOptions kept;
    kept.skipRepeats = true;
    EXPECT_EQ(p.rowPlace(0, kept), QStringLiteral("Řádek souboru 4 (řádek adresáře 5)"));
    EXPECT_EQ(p.rowPlace(2, kept), QStringLiteral("Řádek souboru 6 (neimportuje se)"));
    EXPECT_TRUE(p.problemTexts(kept).value(1).startsWith(QStringLiteral("Řádek souboru 6 (neimportuje se): ")));
    EXPECT_EQ(p.repeatTexts(kept), QStringList{QStringLiteral("Řádek souboru 6 (neimportuje se) opakuje řádek souboru 4 "
                                                              "(řádek adresáře 5): stejný adresát")});

    const CsvImportResult r = ImportPreviewedCsv(p, table, proposed);
    EXPECT_EQ(r.problems, named);
    const QString notes = CsvImportNotes(r);
    EXPECT_TRUE(notes.contains(QStringLiteral("Řádek souboru 3 je záhlaví se jmény sloupců; nebyl importován.")))
        << notes.toStdString();
    EXPECT_TRUE(notes.contains(QStringLiteral("Řádek souboru 1 je nadpis nad řádky adresátů; nebyl importován.")))
        << notes.toStdString();
}

// A text longer than its column is stored cut to the column's width: two rows
// that differ only past it are the same person (or symbol) in the table, whether
// they stand among the first rows the preview shows or further down.
TEST_F(RecipientFixture, repeatsComparedAsStoredOnEveryRow)
{
    const QByteArray surname = "Nov\xc3\xa1kov\xc3\xa1-Dvo\xc5\x99\xc3\xa1kov\xc3\xa1-Proch\xc3\xa1zkov\xc3\xa1";   // 30 letters
    QByteArray file = "P\xc5\x99\xc3\xadjmen\xc3\xad;Jm\xc3\xa9no;VS;\xc4\x8c\xc3\xa1stka\n";
    file += surname + " A;Jana;;100\n" + "Mal\xc3\xa1;Eva;1234567890123;100\n";
    for (int k = 0; k < CsvPreviewRows + 10; ++k)
        file += "Kr\xc3\xa1l " + QByteArray::number(k) + ";Petr;;100\n";
    const int later = CsvPreviewRows + 14;   // the lines of the two rows that follow
    file += surname + " B;Jana;;200\n" + "Mal\xc3\xbd;Jan;1234567890124;200\n";
    file += surname + " C;Jana;;300\n" + "Mal\xc3\xbd;Josef;1234567890125;300\n";

    const CsvPreview p = PreviewCsvFile(csv(file), table, CsvLayout::Full);
    const auto repeat = [](int line, int first, const char *what) {
        return QStringLiteral("Řádek souboru %1 (řádek adresáře %2) opakuje řádek souboru %3 (řádek adresáře %4): ")
                   .arg(line)
                   .arg(line - 1)
                   .arg(first)
                   .arg(first - 1)
            + QString::fromUtf8(what);
    };
    EXPECT_EQ(p.repeatNotes, (QStringList{repeat(later, 2, "stejný adresát"),
                                          repeat(later + 1, 3, "stejný variabilní symbol 123456789012"),
                                          repeat(later + 2, 2, "stejný adresát"),
                                          repeat(later + 3, 3, "stejný variabilní symbol 123456789012")}));
}

} // namespace

// Random registers as people keep them, written as CSV and as an .xlsx workbook:
// the import gives what they mean, and names exactly the lines it cannot read for
// sure. KVITANKY_SEED repeats a run.
TEST_F(RecipientFixture, randomRegistersImportAsMeant)
{
    const unsigned seed = testsupport::randomSeed("randomRegistersImportAsMeant");
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    struct Amount { const char *text; double value; bool named; bool whole; };
    const Amount amounts[] = {{"150", 150, false, true}, {"1 234,50", 1234.5, false, false},
                              {"150 Kč", 150, false, false}, {"2.500", 2.5, true, false}, {"", 0, true, false},
                              {"-80", -80, true, true}, {"abc", 0, true, false}, {"12,5", 12.5, false, false}};
    struct Flag { const char *text; int value; bool named; };
    const Flag flags[] = {{"", 0, false}, {"0", 0, false}, {"1", 1, false}, {"ano", 1, false}, {"ne", 0, false},
                          {"x", 1, false}, {"možná", 0, true}};
    // One row of the register: its cells, the line it stands on, what it means.
    struct Row { QList<QByteArray> cells; int line; std::string meant; bool named; bool ditto; bool wholeAmount; };
    for (int round = 0; round < 30; ++round) {
        const bool caption = pick(2);
        std::vector<Row> register_;
        int line = caption ? 2 : 1;
        const int rows = 1 + pick(25);
        for (int r = 0; r < rows; ++r) {
            while (pick(5) == 0)
                ++line;   // blank lines, empty sheet rows
            ++line;
            const bool ditto = r > 0 && pick(4) == 0;
            const Amount &a = amounts[pick(8)];
            const Flag &f = flags[pick(7)];
            const QByteArray surname = "Nov\xc3\xa1k " + QByteArray::number(r) + (ditto ? "" : ", ml.");
            const QByteArray town = ditto ? "\"" : "Praha";
            register_.push_back({{surname, "Jan", town, a.text, f.text}, line,
                                 QString::fromUtf8("%1|%2|%3|%4")
                                     .arg(QString::fromUtf8(surname), QString::fromUtf8(town))
                                     .arg(a.value)
                                     .arg(f.value)
                                     .toStdString(),
                                 a.named || f.named, ditto, a.whole});
        }
        const QList<QByteArray> header{"Příjmení", "Jméno", "Obec", "Částka", "Vyřazeno"};

        // As CSV: a ditto line holds no quoted field, and its quotation mark is named.
        const char sep = ";,\t"[pick(3)];
        const QByteArray eol = QList<QByteArray>{"\n", "\r\n", "\r"}[pick(3)];
        QByteArray csvFile = caption ? "Seznam plátců 2024" + eol : QByteArray();
        const auto csvLine = [&](const QList<QByteArray> &cells, bool quoting) {
            QByteArray text;
            for (const QByteArray &cell : cells)
                text += (text.isEmpty() && &cell == &cells.front() ? "" : QByteArray(1, sep))
                    + (quoting && cell.contains(sep) ? '"' + cell + '"' : cell);
            return text + eol;
        };
        csvFile += csvLine(header, true);
        int at = int(caption) + 1;
        QList<int> csvNamed, xlsxNamed;
        for (Row &row : register_) {
            if (row.ditto)
                while (row.cells[3].contains(sep))
                    row.cells[3] = amounts[pick(8)].text, row.meant = {};
            for (; at < row.line - 1; ++at)
                csvFile += eol;
            at = row.line;
            csvFile += csvLine(row.cells, !row.ditto);
        }
        // A ditto row may have drawn another amount: its meaning follows the cells.
        for (Row &row : register_) {
            if (!row.meant.empty())
                continue;
            const Amount *a = std::find_if(std::begin(amounts), std::end(amounts),
                                           [&](const Amount &x) { return row.cells[3] == x.text; });
            const Flag *f = std::find_if(std::begin(flags), std::end(flags),
                                         [&](const Flag &x) { return row.cells[4] == x.text; });
            row.meant = QString::fromUtf8("%1|%2|%3|%4")
                            .arg(QString::fromUtf8(row.cells[0]), QString::fromUtf8(row.cells[2]))
                            .arg(a->value)
                            .arg(f->value)
                            .toStdString();
            row.named = a->named || f->named;
            row.wholeAmount = a->whole;
        }
        for (const Row &row : register_) {
            if (row.named || row.ditto)
                csvNamed << row.line;
            if (row.named)
                xlsxNamed << row.line;
        }

        // As a workbook: cells as a person types them, whole amounts and marks as numbers.
        const QString xlsxPath = dir.file(QStringLiteral("in.xlsx"));
        {
            lxw_workbook *book = workbook_new(QFile::encodeName(xlsxPath).constData());
            lxw_worksheet *sheet = workbook_add_worksheet(book, "Plátci");
            if (caption)
                worksheet_write_string(sheet, 0, 0, "Seznam plátců 2024", nullptr);
            for (int c = 0; c < header.size(); ++c)
                worksheet_write_string(sheet, lxw_row_t(caption), lxw_col_t(c), header[c].constData(), nullptr);
            for (const Row &row : register_)
                for (int c = 0; c < row.cells.size(); ++c) {
                    const QByteArray &cell = row.cells[c];
                    if (cell.isEmpty())
                        continue;
                    const bool number = (c == 3 && row.wholeAmount) || (c == 4 && (cell == "0" || cell == "1"));
                    if (number && pick(2))
                        worksheet_write_number(sheet, lxw_row_t(row.line - 1), lxw_col_t(c), cell.toDouble(), nullptr);
                    else
                        worksheet_write_string(sheet, lxw_row_t(row.line - 1), lxw_col_t(c), cell.constData(), nullptr);
                }
            ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
        }

        const std::string context = "seed " + std::to_string(seed) + " round " + std::to_string(round);
        for (const auto &[path, named] : {std::pair{csv(csvFile), csvNamed}, std::pair{xlsxPath, xlsxNamed}}) {
            const std::string where = context + " " + path.toStdString();
            table.deleteAll();
            const CsvPreview p = PreviewCsvFile(path, table, CsvLayout::Full);
            ASSERT_TRUE(p.canImport()) << where << p.refusal.toStdString();
            ASSERT_EQ(p.rows, rows) << where;
            QList<int> got;
            for (const CsvRowProblem &problem : p.rowProblems)
                if (got.isEmpty() || got.back() != problem.line)
                    got << problem.line;
            EXPECT_EQ(got, named.mid(0, CsvListedProblems)) << where;
            EXPECT_EQ(p.amountProblems, named.size()) << where;
            ImportPreviewedCsv(p, table);
            std::vector<std::string> landed;
            for (table.first(); !table.eof(); table.next())
                landed.push_back(QStringLiteral("%1|%2|%3|%4")
                                     .arg(table.fieldByName(QStringLiteral("PRIJMENI")).asString(),
                                          table.fieldByName(QStringLiteral("OBEC")).asString())
                                     .arg(table.fieldByName(QStringLiteral("CASTKA")).asFloat())
                                     .arg(table.fieldByName(QStringLiteral("VYRAZENO")).asInteger())
                                     .toStdString());
            ASSERT_EQ(landed.size(), register_.size()) << where;
            for (size_t k = 0; k < register_.size(); ++k)
                EXPECT_EQ(landed[k], register_[k].meant) << where;
        }
    }
}
