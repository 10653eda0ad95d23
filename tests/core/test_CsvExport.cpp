// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/DbfTable.h"
#include "data/RecipientColumns.h"
#include "data/RecipientTable.h"
#include "exchange/CsvExport.h"
#include "exchange/CsvImport.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

// The designed export has twelve fields a line; each column added to the list since
// adds one more, empty in these tests.
QByteArray laterColumns() { return QByteArray(RecipientColumnCount - 12, ';'); }

const auto &Texts = testsupport::RecipientTextColumns;

using Row = testsupport::RecipientRow;

std::string rowText(DbfTable &t)
{
    QStringList parts;
    for (const char *c : Texts)
        parts << t.fieldByName(QLatin1String(c)).asString();
    parts << QString::number(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), 'g', 15)
          << QString::number(t.fieldByName(QStringLiteral("VYRAZENO")).asInteger());
    return parts.join(QLatin1Char('|')).toStdString();
}

std::vector<std::string> allRows(DbfTable &t)
{
    std::vector<std::string> rows;
    t.first();
    while (!t.eof()) {
        rows.push_back(rowText(t));
        t.next();
    }
    return rows;
}

class ExportFixture : public ::testing::Test
{
protected:
    void SetUp() override { CreateRecipientTable(table, dir.path()); }
    TempDir dir;
    DbfTable table;
};

// ---- bytes written, data-driven ------------------------------------------------

struct BytesCase {
    const char *name;
    std::vector<Row> rows;
    QByteArray file;
};

class CsvExportBytes : public ExportFixture, public ::testing::WithParamInterface<BytesCase> {};

TEST_P(CsvExportBytes, exactFile)
{
    const BytesCase &c = GetParam();
    for (const Row &r : c.rows)
        testsupport::appendRecipient(table, r);
    const QString path = dir.file(QStringLiteral("out.csv"));
    const CsvExportResult r = ExportCsvFile(path, table);
    EXPECT_FALSE(r.createFailed);
    EXPECT_EQ(r.rows, int(c.rows.size()));
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(testsupport::readFile(path).toStdString(), QByteArray(c.file).replace("\r\n", laterColumns() + "\r\n").toStdString());
    EXPECT_EQ(CsvExportMessages(r, path),
              QStringList{QStringLiteral("Bylo exportováno %1 záznamu.").arg(c.rows.size())});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvExportBytes,
    ::testing::Values(
        BytesCase{"emptyTableEmptyFile", {}, ""},
        BytesCase{"sampleLikeRow",
                  {{{"Pan", "Jan", "Novák", "c.p. 7100", "Nové Hobzí", "378 81", "7100", "0", "+420", "a@b.cz"},
                    999999.5, 1}},
                  "Pan;Jan;Nov\xe1k;c.p. 7100;Nov\xe9 Hobz\xed;378 81;999999,5;7100;;+420;a@b.cz;1;\r\n"},
        BytesCase{"onlyExactZeroEmptied",
                  {{{"00", " 0", "0", "", "0 ", "", "", "", "", ""}, 0, -1}},
                  "00; 0;;;;;0;;;;;0;\r\n"},
        BytesCase{"amountForms",
                  {{{"", "", "", "", "", "", "", "", "", ""}, 0.25, 0},
                   {{"", "", "", "", "", "", "", "", "", ""}, -80, 0},
                   {{"", "", "", "", "", "", "", "", "", ""}, 12345000, 0}},
                  ";;;;;;0,25;;;;;0;\r\n;;;;;;-80;;;;;0;\r\n;;;;;;12345000;;;;;0;\r\n"},
        BytesCase{"lineBreakersQuoted",
                  {{{"a;b", "x\"y", "Šimeček", "1\n2", "\"", "", "", "", "", ""}, 1, 0}},
                  "\"a;b\";\"x\"\"y\";\x8aime\xe8" "ek;\"1\n2\";\"\"\"\";;1;;;;;0;\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- round trip ----------------------------------------------------------------

TEST_F(ExportFixture, exportThenImportGivesTheSameRows)
{
    const std::vector<Row> rows = {
        {{"Pan", "Jan", "Novák", "c.p. 7100", "Nové Hobzí", "378 81", "7100", "", "+420 777 999 999", "jan@example.cz"}, 123456, 0},
        {{"MUDr.", "Petr", "Dvořák", "Velká Lhota 2014", "Velká Lhota", "999 99", "999999999", "999999999", "123", "p@x.cz"}, 999999.5, 0},
        {{"Expert", "Zdeněk", "Černý", "U Skalky 123", "Extra-velká Lhota", "123 222222", "1234567890", "0123456789", "+420 123 123 456 111", "z@x.cz"}, 12345000, 1},
        {{"", "", "", "", "", "", "", "", "", ""}, 0.25, 0},
        {{" a", "b ", "", "", "", "", "00", " 0", "", ""}, 0, 0},
    };
    for (const Row &r : rows)
        testsupport::appendRecipient(table, r);
    const auto original = allRows(table);
    const QString path = dir.file(QStringLiteral("round.csv"));
    ASSERT_EQ(ExportCsvFile(path, table).rows, 5);
    EXPECT_EQ(table.recNo(), 4);   // the cursor stays on the last row

    TempDir other;
    DbfTable fresh;
    CreateRecipientTable(fresh, other.path());
    const CsvImportResult r = ImportCsvFile(path, fresh);
    EXPECT_EQ(r.rows, 5);
    EXPECT_EQ(allRows(fresh), original);
}

// A file exported before texts were ever quoted: the export still writes it byte for
// byte, and it imports as the rows it came from (an exclusion mark of 2 as 1).
TEST_F(ExportFixture, earlierExportBytesUnchangedAndImportBack)
{
    const QByteArray before =
        testsupport::readFile(QStringLiteral(KVITANKY_SOURCE_DIR "/tests/data/exchange/export-before-quoting.csv"));
    ASSERT_FALSE(before.isEmpty());
    AddSampleRecipients(table);
    testsupport::appendRecipient(table, {{"Ing.", "", "", "", "", "", "00", " 0", "", ""}, 0.25, 2});
    std::vector<std::string> original = allRows(table);
    original.back().back() = '1';
    original.front().replace(original.front().find("|7100|0|"), 8, "|7100||");   // "0" is written empty
    const QString path = dir.file(QStringLiteral("again.csv"));
    ASSERT_EQ(ExportCsvFile(path, table).rows, 5);
    EXPECT_EQ(testsupport::readFile(path), QByteArray(before).replace("\r\n", laterColumns() + "\r\n"));

    TempDir other;
    DbfTable fresh;
    CreateRecipientTable(fresh, other.path());
    const QString old = other.file(QStringLiteral("old.csv"));
    testsupport::writeFile(old, before);
    const CsvImportResult r = ImportCsvFile(old, fresh);
    EXPECT_EQ(CsvImportMessages(r, old, CsvLayout::Full), QStringList{QStringLiteral("Bylo importováno 5 záznamu.")});
    EXPECT_EQ(allRows(fresh), original);
}

// Random rows of every awkward character go out and come back unchanged (a text of
// exactly "0" comes back empty, as the format says).
TEST_F(ExportFixture, randomRowsRoundTrip)
{
    // KVITANKY_SEED repeats a run.
    const unsigned seed = qEnvironmentVariableIsSet("KVITANKY_SEED") ? qEnvironmentVariableIntValue("KVITANKY_SEED")
                                                                    : unsigned(QDateTime::currentMSecsSinceEpoch());
    std::printf("randomRowsRoundTrip seed %u\n", seed);
    std::mt19937 rng(seed);
    const QString alphabet = QStringLiteral("aZ0 9;\";\"\n,.\t'-_ščŽŮ€„");
    const QList<FieldDef> defs = table.fields();
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int i = 0; i < 300; ++i) {
        table.append();
        for (const FieldDef &d : defs) {
            if (d.type == FieldType::String) {
                QString t;
                const int len = pick(4) == 0 ? 1 : pick(d.size + 1);
                for (int k = 0; k < len; ++k)
                    t += alphabet.at(pick(int(alphabet.size())));
                table.fieldByName(d.name).setAsString(t);
            }
        }
        table.fieldByName(QStringLiteral("CASTKA")).setAsFloat(double(rng() % 100000000) / 100);
        table.fieldByName(QStringLiteral("VYRAZENO")).setAsInteger(pick(2));
        table.post();
    }
    std::vector<std::string> expected = allRows(table);
    for (std::string &row : expected) {
        // "0" between two separators (or at the start) comes back empty.
        std::string fixed;
        for (size_t k = 0; k < row.size(); ++k) {
            const bool starts = k == 0 || row[k - 1] == '|';
            const bool ends = k + 1 < row.size() && row[k + 1] == '|';
            const size_t field = size_t(std::count(row.begin(), row.begin() + qsizetype(k), '|'));
            if (row[k] == '0' && starts && ends && field < 10)
                continue;
            fixed += row[k];
        }
        row = fixed;
    }
    const QString path = dir.file(QStringLiteral("random.csv"));
    ASSERT_EQ(ExportCsvFile(path, table).rows, 300);
    TempDir other;
    DbfTable fresh;
    CreateRecipientTable(fresh, other.path());
    const CsvImportResult r = ImportCsvFile(path, fresh);
    EXPECT_EQ(CsvImportMessages(r, path, CsvLayout::Full), QStringList{QStringLiteral("Bylo importováno 300 záznamu.")})
        << "seed " << seed;
    EXPECT_EQ(allRows(fresh), expected) << "seed " << seed;
}

TEST_F(ExportFixture, exactZeroTextComesBackEmpty)
{
    testsupport::appendRecipient(table, {{"", "", "", "", "", "", "", "0", "", ""}, 5, 0});
    const QString path = dir.file(QStringLiteral("zero.csv"));
    ASSERT_EQ(ExportCsvFile(path, table).rows, 1);
    table.deleteAll();
    ASSERT_EQ(ImportCsvFile(path, table).rows, 1);
    table.first();
    EXPECT_EQ(table.fieldByName(QStringLiteral("SPEC_SYMB")).asString(), QString());
}

TEST_F(ExportFixture, pythonCsvReaderSeesThirteenFields)
{
    AddSampleRecipients(table);
    const QString path = dir.file(QStringLiteral("py.csv"));
    ASSERT_EQ(ExportCsvFile(path, table).rows, 4);
    const QString script = QStringLiteral(
        "import csv, json, sys\n"
        "with open(sys.argv[1], encoding='cp1250', newline='') as f:\n"
        "    print(json.dumps(list(csv.reader(f, delimiter=';', quoting=csv.QUOTE_NONE))))\n");
    int code = -1;
    QByteArray err;
    const QByteArray out = testsupport::runProgram(testsupport::debianPython(), {"-c", script, path}, &code, &err);
    ASSERT_EQ(code, 0) << err.toStdString();
    const QJsonArray lines = QJsonDocument::fromJson(out).array();
    ASSERT_EQ(lines.size(), 4);
    for (const QJsonValue &line : lines) {
        ASSERT_EQ(line.toArray().size(), RecipientColumnCount + 1);
        EXPECT_EQ(line.toArray().at(RecipientColumnCount).toString(), QString());
    }
    EXPECT_EQ(lines.at(0).toArray().at(8).toString(), QString());   // "0" written empty
    EXPECT_EQ(lines.at(2).toArray().at(2).toString(), QStringLiteral("Dvořák"));
    EXPECT_EQ(lines.at(2).toArray().at(6).toString(), QStringLiteral("999999,5"));
    EXPECT_EQ(lines.at(3).toArray().at(11).toString(), QStringLiteral("1"));
}

// ---- failures ------------------------------------------------------------------

TEST_F(ExportFixture, targetThatCannotBeCreated)
{
    AddSampleRecipients(table);
    testsupport::writeFile(dir.file(QStringLiteral("plain")), "x");
    const QByteArray tableBytes = testsupport::readFile(table.tableName());
    // A regular file used as a folder, and a folder used as a file: refused even for
    // root; the table's own file: refused so that the table is not lost.
    for (const QString &path : {dir.file(QStringLiteral("plain/out.csv")), dir.path(), table.tableName()}) {
        const CsvExportResult r = ExportCsvFile(path, table);
        EXPECT_TRUE(r.createFailed);
        EXPECT_EQ(r.rows, 0);
        EXPECT_EQ(CsvExportMessages(r, path),
                  (QStringList{QStringLiteral("Nemohu otevrít soubor ") + path + QLatin1Char('.'),
                               QStringLiteral("Bylo exportováno 0 záznamu.")}));
    }
    EXPECT_EQ(testsupport::readFile(table.tableName()), tableBytes);
    EXPECT_EQ(table.recordCount(), 4);
}

TEST_F(ExportFixture, replacesAnExistingFileCompletely)
{
    const QString path = dir.file(QStringLiteral("old.csv"));
    testsupport::writeFile(path, QByteArray(5000, 'o'));
    testsupport::appendRecipient(table, {{"a", "", "", "", "", "", "", "", "", ""}, 1, 0});
    ASSERT_EQ(ExportCsvFile(path, table).rows, 1);
    EXPECT_EQ(testsupport::readFile(path), "a;;;;;;1;;;;;0;" + laterColumns() + "\r\n");
}

TEST_F(ExportFixture, cancelledOrFailedExportLeavesTheOldFile)
{
    for (int i = 0; i < 2500; ++i)
        testsupport::appendRecipient(table, {{"r", "", "", "", "", "", "", "", "", ""}, double(i), 0});
    const QString path = dir.file(QStringLiteral("keep.csv"));
    testsupport::writeFile(path, "OLD");

    std::vector<std::pair<qint64, qint64>> calls;
    CsvExportResult r = ExportCsvFile(path, table, [&](qint64 done, qint64 total) {
        calls.emplace_back(done, total);
        return calls.size() < 2;
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.rows, 0);
    EXPECT_EQ(calls, (std::vector<std::pair<qint64, qint64>>{{1000, 2500}, {2000, 2500}}));
    EXPECT_EQ(testsupport::readFile(path), QByteArray("OLD"));
    EXPECT_EQ(CsvExportMessages(r, path), QStringList{QStringLiteral("Bylo exportováno 0 záznamu.")});

    table.setActive(false);
    r = ExportCsvFile(path, table);
    EXPECT_FALSE(r.engineError.isEmpty());
    EXPECT_EQ(CsvExportMessages(r, path), QStringList{r.engineError});
    EXPECT_EQ(testsupport::readFile(path), QByteArray("OLD"));
}

} // namespace
