// SPDX-License-Identifier: GPL-3.0-or-later
// The table engine's cursor, values and errors, and the two program tables as other
// programs read them.
#include "data/DbfTable.h"
#include "data/OwnerTable.h"
#include "data/RecipientColumns.h"
#include "data/RecipientTable.h"

#include "test_DbfSupport.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <functional>
#include <iostream>
#include <random>
#include <string>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

using dbftest::errorOf;

// A recipient table with `rows` rows whose JMENO is "r0", "r1", ...
void makeRecipients(DbfTable &t, const QString &dir, int rows)
{
    CreateRecipientTable(t, dir);
    for (int i = 0; i < rows; ++i) {
        t.append();
        t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("r%1").arg(i));
    }
    t.post();
    t.first();
}

// ---------------------------------------------------------------- cursor

struct CursorCase {
    const char *name;
    int rows;
    const char *ops;   // F first, L last, N next, P prior, A append, I insert, E edit,
                       // S set a column, O post, C cancel, D delete, 0-9 moveTo(digit)
    int recNo;
    bool bof;
    bool eof;
    int count;
    const char *current;   // JMENO of the current record ("" for none)
};

void PrintTo(const CursorCase &c, std::ostream *os) { *os << c.name; }

class Cursor : public ::testing::TestWithParam<CursorCase> {};

TEST_P(Cursor, FollowsTheRules)
{
    const CursorCase &c = GetParam();
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), c.rows);
    for (const char *op = c.ops; *op; ++op) {
        switch (*op) {
        case 'F': t.first(); break;
        case 'L': t.last(); break;
        case 'N': t.next(); break;
        case 'P': t.prior(); break;
        case 'A': t.append(); break;
        case 'I': t.insert(); break;
        case 'E': t.edit(); break;
        case 'S': t.fieldByName(QStringLiteral("jmeno")).setAsString(QStringLiteral("new")); break;
        case 'O': t.post(); break;
        case 'C': t.cancel(); break;
        case 'D': t.deleteRecord(); break;
        default: t.moveTo(*op - '0'); break;
        }
    }
    EXPECT_EQ(t.recNo(), c.recNo);
    EXPECT_EQ(t.bof(), c.bof);
    EXPECT_EQ(t.eof(), c.eof);
    EXPECT_EQ(t.recordCount(), c.count);
    EXPECT_EQ(t.fieldByName(QStringLiteral("JMENO")).asString(), QString::fromLatin1(c.current));

    // What the cursor shows is what the file holds.
    if (!t.isEditing()) {
        t.setActive(false);
        t.setActive(true);
        EXPECT_EQ(t.recordCount(), c.count);
    }
}

const CursorCase kCursorCases[] = {
    {"OpenOnFirstRow", 3, "", 0, true, false, 3, "r0"},
    {"OpenEmpty", 0, "", -1, true, true, 0, ""},
    {"NextMoves", 3, "N", 1, false, false, 3, "r1"},
    {"NextToLastRow", 3, "NN", 2, false, false, 3, "r2"},
    {"NextOnLastStaysSetsEof", 3, "NNN", 2, false, true, 3, "r2"},
    {"NextPastEofStays", 3, "NNNN", 2, false, true, 3, "r2"},
    {"PriorMoves", 3, "NP", 0, false, false, 3, "r0"},
    {"PriorOnFirstSetsBof", 3, "NPP", 0, true, false, 3, "r0"},
    {"LastSetsEof", 3, "L", 2, false, true, 3, "r2"},
    {"PriorAfterLast", 3, "LP", 1, false, false, 3, "r1"},
    {"FirstAfterLast", 3, "LF", 0, true, false, 3, "r0"},
    {"OneRowNext", 1, "N", 0, false, true, 1, "r0"},
    {"OneRowNextPrior", 1, "NP", 0, true, false, 1, "r0"},
    {"EmptyMoves", 0, "FNPL", -1, true, true, 0, ""},
    {"MoveTo", 3, "2", 2, false, false, 3, "r2"},
    {"UnchangedAppendDroppedByMove", 3, "NAN", 2, false, false, 3, "r2"},
    {"ChangedAppendPostedByMove", 3, "ASN", 3, false, true, 4, "new"},
    {"ChangedInsertPostedAtEnd", 3, "NISF", 0, true, false, 4, "r0"},
    {"InsertedRowStoredLast", 3, "NISL", 3, false, true, 4, "new"},
    {"UnchangedInsertDroppedByAppend", 3, "IAC", 0, true, false, 3, "r0"},
    {"PostWritesUnchangedNewRecord", 3, "AO", 3, false, false, 4, ""},
    {"PendingNewRecordHasNoRow", 3, "AS", -1, false, true, 3, "new"},
    {"CancelInsert", 3, "NISC", 1, false, false, 3, "r1"},
    {"EditPost", 3, "NESO", 1, false, false, 3, "new"},
    {"EditCancel", 3, "NESC", 1, false, false, 3, "r1"},
    {"EditWhileEditingNoEffect", 3, "ESEO", 0, true, false, 3, "new"},
    {"ChangedEditPostedByMove", 3, "ESNP", 0, false, false, 3, "new"},
    {"EditOnEmptyStartsNewRecord", 0, "ESO", 0, false, false, 1, "new"},
    {"EditOnEmptyUnchangedDropped", 0, "EF", -1, true, true, 0, ""},
    {"DeleteFirst", 3, "D", 0, false, false, 2, "r1"},
    {"DeleteMiddle", 3, "ND", 1, false, false, 2, "r2"},
    {"DeleteLastGoesToNewLast", 3, "LD", 1, false, false, 2, "r1"},
    {"DeleteAllOneByOne", 3, "DDD", -1, true, true, 0, ""},
    {"DeleteWhileInsertingDiscards", 3, "NISD", 1, false, false, 3, "r1"},
    {"DeleteWhileEditingDropsEdit", 3, "ESD", 0, false, false, 2, "r1"},
    {"AppendToEmpty", 0, "ASO", 0, false, false, 1, "new"},
};

INSTANTIATE_TEST_SUITE_P(Table, Cursor, ::testing::ValuesIn(kCursorCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DbfTable, ClosedTableReportsBothEnds)
{
    DbfTable t;
    EXPECT_TRUE(t.bof());
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(t.recNo(), -1);
    EXPECT_FALSE(t.active());
    EXPECT_EQ(t.displayText(0, 0), QString());
}

// ---------------------------------------------------------------- errors

struct ErrorCase {
    const char *name;
    int rows;
    bool open;
    std::function<void(DbfTable &)> action;
    const char *reason;   // part of the message
};

void PrintTo(const ErrorCase &c, std::ostream *os) { *os << c.name; }

class Errors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(Errors, NameTheFileAndTheReason)
{
    const ErrorCase &c = GetParam();
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), c.rows);
    if (!c.open)
        t.setActive(false);
    const std::string message = errorOf([&] { c.action(t); });
    EXPECT_NE(message.find("Tabulka '" + t.tableName().toStdString() + "': "), std::string::npos) << message;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
}

const ErrorCase kErrorCases[] = {
    {"MissingColumn", 1, true, [](DbfTable &t) { t.fieldByName(QStringLiteral("FOO")); }, "sloupec 'FOO' neexistuje"},
    {"DeleteOnEmpty", 0, true, [](DbfTable &t) { t.deleteRecord(); }, "prázdná"},
    {"NextOnClosed", 1, false, [](DbfTable &t) { t.next(); }, "není otevřena"},
    {"AppendOnClosed", 1, false, [](DbfTable &t) { t.append(); }, "není otevřena"},
    {"EditOnClosed", 1, false, [](DbfTable &t) { t.edit(); }, "není otevřena"},
    {"FieldOnClosed", 1, false, [](DbfTable &t) { t.fieldByName(QStringLiteral("JMENO")); }, "není otevřena"},
    {"WriteWhileBrowsing", 1, true,
     [](DbfTable &t) { t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("x")); }, "není v režimu úprav"},
    {"TextIntoFloat", 1, true,
     [](DbfTable &t) {
         t.edit();
         t.fieldByName(QStringLiteral("CASTKA")).setAsString(QStringLiteral("12a"));
     },
     "'12a' pro sloupec 'CASTKA' není číslo"},
    {"FractionIntoSmallint", 1, true,
     [](DbfTable &t) {
         t.edit();
         t.fieldByName(QStringLiteral("VYRAZENO")).setAsString(QStringLiteral("1,5"));
     },
     "není celé číslo"},
    {"SmallintOutOfRange", 1, true,
     [](DbfTable &t) {
         t.edit();
         t.fieldByName(QStringLiteral("VYRAZENO")).setAsInteger(40000);
     },
     "se nevejde do sloupce 'VYRAZENO'"},
    {"NotANumberAsFloat", 1, true,
     [](DbfTable &t) {
         t.edit();
         t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("Jan"));
         t.fieldByName(QStringLiteral("JMENO")).asFloat();
     },
     "'Jan' ve sloupci 'JMENO' není číslo"},
    {"NaNIntoFloat", 1, true,
     [](DbfTable &t) {
         t.edit();
         t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(std::nan(""));
     },
     "neplatné číslo"},
    {"FloatTooWideForTheColumn", 1, true,
     [](DbfTable &t) {
         t.edit();
         t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(-1.2345678901234567e300);
     },
     "se nevejde do sloupce 'CASTKA'"},
    {"NameWhileOpen", 1, true, [](DbfTable &t) { t.setTableName(QStringLiteral("/x.dbf")); }, "otevřená"},
    {"CreateWhileOpen", 1, true, [](DbfTable &t) { t.createTable(); }, "otevřená"},
};

INSTANTIATE_TEST_SUITE_P(Table, Errors, ::testing::ValuesIn(kErrorCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DbfTable, OpeningAMissingFileFails)
{
    TempDir dir;
    DbfTable t;
    t.setTableName(dir.file(QStringLiteral("Nic.dbf")));
    EXPECT_FALSE(t.exists());
    EXPECT_NE(errorOf([&] { t.setActive(true); }).find("neexistuje"), std::string::npos);
    EXPECT_FALSE(t.active());
}

TEST(DbfTable, CreatingInAMissingFolderFails)
{
    TempDir dir;
    DbfTable t;
    EXPECT_NE(errorOf([&] { CreateRecipientTable(t, dir.file(QStringLiteral("no/such"))); }).find("nelze vytvořit"),
              std::string::npos);
}

// ---------------------------------------------------------------- values

struct FloatText {
    const char *text;
    double value;
};

class FloatFromText : public ::testing::TestWithParam<FloatText> {};

TEST_P(FloatFromText, ReadsEitherSeparator)
{
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 1);
    t.edit();
    t.fieldByName(QStringLiteral("CASTKA")).setAsString(QString::fromUtf8(GetParam().text));
    t.post();
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, FloatFromText,
                         ::testing::Values(FloatText{"999999,5", 999999.5}, FloatText{"999999.5", 999999.5},
                                           FloatText{" 30 ", 30}, FloatText{"-0,25", -0.25},
                                           FloatText{"+7", 7}, FloatText{",5", 0.5}, FloatText{"1e3", 1000},
                                           FloatText{"", 0}, FloatText{"0", 0}));

class FloatTextRefused : public ::testing::TestWithParam<const char *> {};

TEST_P(FloatTextRefused, LeavesTheValue)
{
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 1);
    t.edit();
    t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(5);
    EXPECT_THROW(t.fieldByName(QStringLiteral("CASTKA")).setAsString(QString::fromUtf8(GetParam())), DbfError);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), 5);
}

INSTANTIATE_TEST_SUITE_P(Table, FloatTextRefused,
                         ::testing::Values("abc", "1,2,3", "1.234,5", "1 234", "inf", "nan", "0x10", "12a", "-",
                                           "1e", "١٢"));

class FloatRoundTrip : public ::testing::TestWithParam<double> {};

TEST_P(FloatRoundTrip, ThroughTheFile)
{
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 1);
    t.edit();
    t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(GetParam());
    t.post();
    t.setActive(false);
    t.setActive(true);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asFloat(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, FloatRoundTrip,
                         ::testing::Values(999999.5, 123456.0, 12345000.0, 0.25, 1234.5, 0.1, 1.0 / 3, -0.001,
                                           0.1 + 0.2, 1e15, 1e20, -123456789.123456, 5e-324, 1e300, -1.5e307));

struct General {
    double value;
    const char *comma;
};

class FormatGeneral : public ::testing::TestWithParam<General> {};

TEST_P(FormatGeneral, ShortestWith15Digits)
{
    EXPECT_EQ(DbfTable::formatGeneral(GetParam().value, QLatin1Char(',')), QString::fromLatin1(GetParam().comma));
    EXPECT_EQ(DbfTable::formatGeneral(GetParam().value, QLatin1Char('.')),
              QString::fromLatin1(GetParam().comma).replace(QLatin1Char(','), QLatin1Char('.')));
}

INSTANTIATE_TEST_SUITE_P(Table, FormatGeneral,
                         ::testing::Values(General{123456, "123456"}, General{999999.5, "999999,5"},
                                           General{12345000, "12345000"}, General{0.25, "0,25"}, General{0, "0"},
                                           General{-0.0, "0"}, General{-1.5, "-1,5"}, General{0.1 + 0.2, "0,3"},
                                           General{1.0 / 3, "0,333333333333333"}, General{0.00001, "0,00001"},
                                           General{0.000001, "1E-6"}, General{1e14, "100000000000000"},
                                           General{1e15, "1E15"}, General{123456789012345678.0, "1,23456789012346E17"},
                                           General{99999.99999999999, "100000"}));

TEST(DbfTable, FloatShownWithTheSystemSeparator)
{
    TempDir dir;
    DbfTable t;
    CreateRecipientTable(t, dir.path());
    AddSampleRecipients(t);
    t.moveTo(2);
    const QChar sep = DbfTable::systemDecimalSeparator();
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asString(), QStringLiteral("999999") + sep + QLatin1Char('5'));
    EXPECT_EQ(t.displayText(2, t.fieldIndex(QStringLiteral("CASTKA"))), QStringLiteral("999999") + sep + QLatin1Char('5'));
    EXPECT_EQ(sep, qgetenv("LC_ALL").startsWith("cs_CZ") ? QLatin1Char(',') : QLatin1Char('.'));
}

TEST(DbfTable, EmptyValuesReadAsNothing)
{
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 0);
    t.append();
    t.post();
    for (const char *name : {"JMENO", "CASTKA", "VYRAZENO"}) {
        DbfField f = t.fieldByName(QString::fromLatin1(name));
        EXPECT_EQ(f.asString(), QString()) << name;
        EXPECT_EQ(f.asFloat(), 0) << name;
        EXPECT_EQ(f.asInteger(), 0) << name;
    }
}

TEST(DbfTable, TextCutToTheColumnKeepsLettersAndLeadingZeros)
{
    TempDir dir;
    DbfTable owners;
    CreateOwnerTable(owners, dir.path());
    owners.append();
    owners.fieldByName(QStringLiteral("idb")).setAsString(QStringLiteral("0666"));
    owners.fieldByName(QStringLiteral("Num1")).setAsString(QStringLiteral("123456789"));
    owners.fieldByName(QStringLiteral("ADDRESS1")).setAsString(QStringLiteral("  Žluťoučký kůň úpěl ďábelské ódy, 123"));
    owners.post();
    owners.setActive(false);
    owners.setActive(true);
    EXPECT_EQ(owners.fieldByName(QStringLiteral("IDB")).asString(), QStringLiteral("0666"));
    EXPECT_EQ(owners.fieldByName(QStringLiteral("NUM1")).asString(), QStringLiteral("1234567"));
    EXPECT_EQ(owners.fieldByName(QStringLiteral("Address1")).asString(),
              QStringLiteral("  Žluťoučký kůň úpěl ďábelské"));
    EXPECT_EQ(owners.fieldByName(QStringLiteral("address1")).name(), QStringLiteral("ADDRESS1"));
}

// The five bytes Windows-1250 leaves undefined read as Windows reads them and come
// back unchanged when the value is written again.
TEST(DbfTable, BytesWindows1250LeavesUndefinedComeBackUnchanged)
{
    TempDir dir;
    dbftest::FileSpec spec;
    spec.languageDriver = 0xC8;
    spec.columns = {{"JMENO", 'C', 10}, {"OBEC", 'C', 10}};
    const QByteArray odd("\x81\x83\x88\x90\x98\x9A\xE8");
    spec.records = {" " + odd.leftJustified(10, ' ') + "Brno"};
    const QString path = dir.file(QStringLiteral("Data.dbf"));
    testsupport::writeFile(path, dbftest::buildFile(spec));
    DbfTable t;
    t.setTableName(path);
    t.setActive(true);
    const QString value = t.fieldByName(QStringLiteral("JMENO")).asString();
    EXPECT_EQ(value, QString::fromUtf16(u"\u0081\u0083\u0088\u0090\u0098\u0161\u010D"));
    t.append();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(value);
    t.post();
    t.setActive(false);
    EXPECT_EQ(testsupport::readFile(path).count(odd), 2);
}

TEST(DbfTable, IntegersOfEachColumnKind)
{
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 1);
    t.edit();
    t.fieldByName(QStringLiteral("VYRAZENO")).setAsString(QStringLiteral("2"));
    t.fieldByName(QStringLiteral("CASTKA")).setAsInteger(-32768);
    t.fieldByName(QStringLiteral("PSC")).setAsInteger(37881);
    t.post();
    EXPECT_EQ(t.fieldByName(QStringLiteral("VYRAZENO")).asInteger(), 2);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asInteger(), -32768);
    EXPECT_EQ(t.fieldByName(QStringLiteral("PSC")).asString(), QStringLiteral("37881"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("PSC")).asInteger(), 37881);
    t.edit();
    t.fieldByName(QStringLiteral("CASTKA")).setAsFloat(2.5);
    EXPECT_EQ(t.fieldByName(QStringLiteral("CASTKA")).asInteger(), 2);   // to the even neighbour
    t.fieldByName(QStringLiteral("PSC")).setAsString(QStringLiteral("2.5"));
    EXPECT_THROW(t.fieldByName(QStringLiteral("PSC")).asInteger(), DbfError);
}

TEST(DbfTable, DisplayTextDoesNotMoveTheCursor)
{
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 300);
    t.moveTo(5);
    const int name = t.fieldIndex(QStringLiteral("jmeno"));
    for (int row : {299, 0, 150, 5, 298})
        EXPECT_EQ(t.displayText(row, name), QStringLiteral("r%1").arg(row));
    EXPECT_EQ(t.displayText(300, name), QString());
    EXPECT_EQ(t.displayText(0, 99), QString());
    EXPECT_EQ(t.recNo(), 5);
    t.edit();
    t.fieldByName(QStringLiteral("JMENO")).setAsString(QStringLiteral("typing"));
    EXPECT_EQ(t.displayText(5, name), QStringLiteral("typing"));
}

// Bulk appends kept in memory and written a batch at a time: random appends,
// edits, deletions and flushes against a plain list of names; after every
// flush another reader of the file sees exactly the list.
TEST(DbfTable, AppendBatchAgreesWithTheFileAfterEveryFlush)
{
    const unsigned seed = testsupport::randomSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    TempDir dir;
    DbfTable t;
    makeRecipients(t, dir.path(), 2);
    QStringList model{QStringLiteral("r0"), QStringLiteral("r1")};
    const auto fileRows = [&] {
        DbfTable other;
        other.setTableName(t.tableName());
        other.setActive(true);
        QStringList rows;
        for (other.first(); !other.eof(); other.next())
            rows << other.fieldByName(QStringLiteral("JMENO")).asString();
        return rows;
    };
    const auto name = QStringLiteral("JMENO");
    t.setAppendBatch(3);
    for (int step = 0; step < 300; ++step) {
        const int op = int(rng() % 10);
        const QString value = QStringLiteral("v%1").arg(step);
        if (op < 6) {
            t.append();
            t.fieldByName(name).setAsString(value);
            t.post();
            model << value;
        } else if (op == 6 && !model.isEmpty()) {
            const int row = int(rng() % unsigned(model.size()));
            t.moveTo(row);
            t.edit();
            t.fieldByName(name).setAsString(value);
            t.post();
            model[row] = value;
        } else if (op == 7 && !model.isEmpty()) {
            const int row = int(rng() % unsigned(model.size()));
            t.moveTo(row);
            t.deleteRecord();
            model.removeAt(row);
        } else {
            t.flushAppends();
            ASSERT_EQ(fileRows(), model) << "step " << step;
        }
        ASSERT_EQ(t.recordCount(), model.size()) << "step " << step;
        for (int row = 0; row < model.size(); ++row)
            ASSERT_EQ(t.displayText(row, t.fieldIndex(name)), model[row]) << "step " << step;
    }
    t.setActive(false);
    EXPECT_EQ(fileRows(), model);
}

// The table's own file by any spelling or link, open or closed; nothing for a
// table without a file.
TEST(DbfTable, KnowsItsOwnFile)
{
    TempDir dir;
    DbfTable t;
    EXPECT_FALSE(t.isOwnFile(dir.file(QStringLiteral("Data.dbf"))));
    CreateRecipientTable(t, dir.path());
    ASSERT_TRUE(QFile::link(t.tableName(), dir.file(QStringLiteral("link.dbf"))));
    testsupport::writeFile(dir.file(QStringLiteral("other.dbf")), testsupport::readFile(t.tableName()));
    for (const bool open : {true, false}) {
        t.setActive(open);
        EXPECT_TRUE(t.isOwnFile(t.tableName()));
        EXPECT_TRUE(t.isOwnFile(dir.path() + QStringLiteral("/./../") + QDir(dir.path()).dirName() + QStringLiteral("/Data.dbf")));
        EXPECT_TRUE(t.isOwnFile(dir.file(QStringLiteral("link.dbf"))));
        EXPECT_FALSE(t.isOwnFile(dir.file(QStringLiteral("other.dbf"))));
        EXPECT_FALSE(t.isOwnFile(dir.path()));
        EXPECT_FALSE(t.isOwnFile(QString()));
    }
}

// ---------------------------------------------------------------- program tables

TEST(RecipientTable, CreatedWithTheSamples)
{
    TempDir dir;
    DbfTable t;
    CreateRecipientTable(t, dir.path());
    EXPECT_EQ(t.tableName(), dir.file(QStringLiteral("Data.dbf")));
    EXPECT_EQ(t.recordCount(), 0);
    AddSampleRecipients(t);
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_EQ(t.recNo(), 0);
    EXPECT_TRUE(t.bof());

    QStringList names;
    for (const FieldDef &f : t.fields())
        names << f.name + QLatin1Char(':') + QChar::fromLatin1(f.dbfType) + QString::number(f.size);
    // The designed columns, as other programs know them, then any the column list adds.
    const QStringList designed = QStringLiteral("TITUL:C10 JMENO:C30 PRIJMENI:C30 ULICE:C30 OBEC:C30 PSC:C10 "
                                                "CASTKA:N20 VAR_SYMB:C12 SPEC_SYMB:C12 TELEFON:C20 EMAIL:C40 VYRAZENO:N6")
                                     .split(QLatin1Char(' '));
    ASSERT_EQ(names.size(), RecipientColumnCount);
    EXPECT_EQ(names.mid(0, designed.size()), designed);
    for (int i = int(designed.size()); i < RecipientColumnCount; ++i) {
        const TableColumnDef &c = recipientColumns()[i];
        EXPECT_TRUE(names[i].startsWith(c.name + QLatin1Char(':'))) << names[i].toStdString();
    }
    EXPECT_EQ(t.fields()[6].type, FieldType::Float);
    EXPECT_EQ(t.fields()[11].type, FieldType::Smallint);

    // Opening an existing file, even right after creating it, adds nothing.
    CreateRecipientTable(t, dir.path());
    EXPECT_EQ(t.recordCount(), 4);
    DbfTable again;
    CreateRecipientTable(again, dir.path());
    EXPECT_EQ(again.recordCount(), 4);
}

// Expected sample rows, as every reader must see them.
const char *const kRecipientRows[4][12] = {
    {"Pan", "Jan", "Novák", "c.p. 7100", "Nové Hobzí", "378 81", "123456", "7100", "0", "+420 777 999 999",
     "jan.novak@example.cz", "0"},
    {"Paní", "Marie", "Svobodová", "c.p. 2011", "Nové Hobzí u Veselícka", "378 81", "30", "2011", "123456789",
     "+420 999 999 999", "marie.svobodova@example.cz", "0"},
    {"MUDr.", "Petr", "Dvořák", "Velká Lhota 2014", "Velká Lhota", "999 99", "999999.5", "999999999", "999999999",
     "123 456 789", "petr.dvorak@example.cz", "0"},
    {"Expert", "Zdeněk", "Černý", "U Skalky 123", "Extra-velká Lhota", "123 222222", "12345000", "1234567890",
     "0123456789", "+420 123 123 456 111", "zdenek.cerny@example.cz", "1"},
};

const char *const kOwnerRows[4][7] = {
    {"STÁTNÍ SPRÁVA CR", "U Veselícka 123", "378 81", "123456", "0123456789", "0000", "0000"},
    {"Národní Pokladnice, s. r. o.", "Karolínka 9999", "75605 Valašsko", "888888", "1501511520", "0666", "0777"},
    {"Muzeum RVHP", "Peterburgská 928", "Praha 99", "000000", "1111111111", "1111", "9999"},
    {"Všeobecná pomoc EU", "V zahrádkách 111", "763 12 Ublo", "111111", "1234567890", "2222", "3333"},
};

template <size_t N>
void expectRows(DbfTable &t, const char *const (&rows)[4][N])
{
    int row = 0;
    for (t.first(); !t.eof(); t.next(), ++row) {
        ASSERT_LT(row, 4);
        const QList<FieldDef> fields = t.fields();
        for (size_t i = 0; i < N; ++i) {
            DbfField f = t.fieldByName(fields[int(i)].name);
            if (fields[int(i)].type == FieldType::String)
                EXPECT_EQ(f.asString(), QString::fromUtf8(rows[row][i])) << fields[int(i)].name.toStdString();
            else
                EXPECT_EQ(f.asFloat(), QByteArray(rows[row][i]).toDouble()) << fields[int(i)].name.toStdString();
        }
    }
    EXPECT_EQ(row, 4);
}

TEST(RecipientTable, SamplesReadBack)
{
    TempDir dir;
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
        AddSampleRecipients(t);
    }
    DbfTable t;
    t.setTableName(dir.file(QStringLiteral("Data.dbf")));
    t.setActive(true);
    expectRows(t, kRecipientRows);
}

TEST(OwnerTable, CreatedWithTheSamples)
{
    TempDir dir;
    DbfTable t;
    CreateOwnerTable(t, dir.path());
    AddSampleOwners(t);
    EXPECT_EQ(t.tableName(), dir.file(QStringLiteral("Owners.dbf")));
    EXPECT_EQ(t.recNo(), 0);
    t.setActive(false);
    t.setActive(true);
    expectRows(t, kOwnerRows);
}

// The program's files as dbfread and GDAL read them: names, types, values, letters.
template <size_t N>
void expectOtherReaders(const QString &path, const char *const (&rows)[4][N], const QStringList &columns,
                        const QStringList &ogrTypes)
{
    if (dbftest::haveDbfread()) {
        const QJsonObject dump = dbftest::readWithDbfread(path);
        EXPECT_EQ(dump[QStringLiteral("encoding")].toString(), QStringLiteral("cp1250"));
        const QJsonArray fields = dump[QStringLiteral("fields")].toArray();
        // The columns named here first; columns added to the table since are empty in the samples.
        ASSERT_GE(fields.size(), qsizetype(N));
        const QJsonArray records = dump[QStringLiteral("records")].toArray();
        ASSERT_EQ(records.size(), 4);
        for (int r = 0; r < 4; ++r) {
            const QJsonObject rec = records[r].toObject();
            for (size_t i = 0; i < N; ++i) {
                const QJsonArray f = fields[int(i)].toArray();
                EXPECT_EQ(f[0].toString(), columns[int(i)]);
                const QJsonValue v = rec[columns[int(i)]];
                if (f[1].toString() == QLatin1String("C"))
                    EXPECT_EQ(v.toString(), QString::fromUtf8(rows[r][i])) << columns[int(i)].toStdString();
                else
                    EXPECT_EQ(v.toDouble(), QByteArray(rows[r][i]).toDouble()) << columns[int(i)].toStdString();
            }
        }
    } else {
        std::cout << "dbfread not installed: its part skipped\n";
    }
    if (dbftest::haveOgrinfo()) {
        const dbftest::OgrTable ogr = dbftest::readWithOgrinfo(path);
        EXPECT_EQ(ogr.featureCount, 4);
        ASSERT_EQ(ogr.rows.size(), 4);
        for (size_t i = 0; i < N; ++i)
            EXPECT_EQ(ogr.fieldTypes.value(columns[int(i)]), ogrTypes[int(i)]) << columns[int(i)].toStdString();
        for (int r = 0; r < 4; ++r)
            for (size_t i = 0; i < N; ++i) {
                const QString v = ogr.rows[r].value(columns[int(i)]);
                if (ogrTypes[int(i)].startsWith(QLatin1String("String")))
                    EXPECT_EQ(v, QString::fromUtf8(rows[r][i])) << columns[int(i)].toStdString();
                else
                    EXPECT_EQ(v.toDouble(), QByteArray(rows[r][i]).toDouble()) << columns[int(i)].toStdString();
            }
    } else {
        std::cout << "ogrinfo not installed: its part skipped\n";
    }
}

TEST(RecipientTable, OtherProgramsReadTheSamples)
{
    if (!dbftest::haveDbfread() && !dbftest::haveOgrinfo())
        GTEST_SKIP() << "neither dbfread nor ogrinfo installed";
    TempDir dir;
    {
        DbfTable t;
        CreateRecipientTable(t, dir.path());
        AddSampleRecipients(t);
    }
    QStringList columns, types;
    for (const FieldDef &f : recipientFields()) {
        columns << f.name;
        types << (f.type == FieldType::String     ? QStringLiteral("String (%1.0)").arg(f.size)
                  : f.type == FieldType::Float ? QStringLiteral("Real (20.4)")
                                               : QStringLiteral("Integer (6.0)"));
    }
    expectOtherReaders(dir.file(QStringLiteral("Data.dbf")), kRecipientRows, columns, types);
}

TEST(OwnerTable, OtherProgramsReadTheSamples)
{
    if (!dbftest::haveDbfread() && !dbftest::haveOgrinfo())
        GTEST_SKIP() << "neither dbfread nor ogrinfo installed";
    TempDir dir;
    {
        DbfTable t;
        CreateOwnerTable(t, dir.path());
        AddSampleOwners(t);
    }
    QStringList columns, types;
    for (const FieldDef &f : ownerFields()) {
        columns << f.name.toUpper();
        types << QStringLiteral("String (%1.0)").arg(f.size);
    }
    expectOtherReaders(dir.file(QStringLiteral("Owners.dbf")), kOwnerRows, columns, types);
}

} // namespace
