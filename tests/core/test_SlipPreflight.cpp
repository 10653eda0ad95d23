// SPDX-License-Identifier: GPL-3.0-or-later
// The check before a job of many slips: the payee's account, the faults of one
// record, agreement with what composition really draws, and a run over a table.
#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "print/AccountNumber.h"
#include "print/SlipPreflight.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

using namespace kvitanky;

namespace {

struct PreflightAccountCase {
    const char *prefix, *number, *bank;
    bool prefixOk, numberOk, bankOk;
};

class Account : public ::testing::TestWithParam<PreflightAccountCase> {};

TEST_P(Account, checkDigitsAndBankCode)
{
    const PreflightAccountCase c = GetParam();
    const AccountCheck r = checkAccount(c.prefix, c.number, c.bank);
    EXPECT_EQ(r.prefixFault.isEmpty(), c.prefixOk) << r.prefixFault.toStdString();
    EXPECT_EQ(r.numberFault.isEmpty(), c.numberOk) << r.numberFault.toStdString();
    EXPECT_EQ(r.bankCodeFault.isEmpty(), c.bankOk) << r.bankCodeFault.toStdString();
    EXPECT_EQ(r.ok(), c.prefixOk && c.numberOk && c.bankOk);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Account,
    ::testing::Values(PreflightAccountCase{"19", "2000145399", "0800", true, true, true},     // 2+9; 121 = 11 * 11
                      PreflightAccountCase{"", "2000145399", "0800", true, true, true},
                      PreflightAccountCase{"000000", "2000145399", "0100", true, true, true},
                      PreflightAccountCase{" 19 ", " 2000145399 ", " 0800 ", true, true, true},
                      PreflightAccountCase{"123456", "0123456789", "0000", false, false, true},   // the designed owner
                      PreflightAccountCase{"18", "2000145398", "800", false, false, false},
                      PreflightAccountCase{"1a", "20001453x9", "08a0", false, false, false},
                      PreflightAccountCase{"1234567", "12345678901", "08000", false, false, false},
                      PreflightAccountCase{"", "", "", true, false, false},
                      PreflightAccountCase{"", "0000000000", "0800", true, false, true}));

TEST(AccountText, writtenWithoutAZeroPrefix)
{
    EXPECT_EQ(accountText("19", "2000145399", "0800"), "19-2000145399/0800");
    EXPECT_EQ(accountText("0", "2000145399", "0800"), "2000145399/0800");
    EXPECT_EQ(accountText("", "2000145399", "0800"), "2000145399/0800");
}

SlipRecord goodRecord()
{
    SlipRecord r;
    r.amount = 125.5;
    r.variableSymbol = "7100";
    r.specificSymbol = "0";
    r.firstName = "Jan";
    r.surname = "Novák";
    r.street = "c.p. 7100";
    r.city = "Nové Hobzí";
    return r;
}

unsigned bit(SlipFault f)
{
    return 1u << unsigned(f);
}

struct RecordCase {
    const char *name;
    void (*change)(SlipRecord &, MapSettings &);
    unsigned faults;
};

class Record : public ::testing::TestWithParam<RecordCase> {};

TEST_P(Record, faultsOfOneSlip)
{
    SlipRecord r = goodRecord();
    MapSettings settings;
    GetParam().change(r, settings);
    EXPECT_EQ(SlipPreflight(settings).check(r), GetParam().faults);
}

#define CASE(name, body, faults) \
    RecordCase{name, [](SlipRecord &r, MapSettings &s) { (void)r; (void)s; body; }, faults}

INSTANTIATE_TEST_SUITE_P(
    Cases, Record,
    ::testing::Values(
        CASE("good", {}, 0u),
        CASE("negative", r.amount = -1, bit(SlipFault::VoidAmount)),
        CASE("notANumber", r.amount = std::numeric_limits<double>::quiet_NaN(), bit(SlipFault::UnreadableAmount)),
        CASE("infinite", r.amount = std::numeric_limits<double>::infinity(), bit(SlipFault::UnreadableAmount)),
        CASE("nineKorunyDigits", r.amount = 100000000, bit(SlipFault::VoidAmount)),
        // Its words (80 letters) need more than the designed two rows.
        CASE("largestThatFits", r.amount = 99999999.99, bit(SlipFault::WordsRow2)),
        CASE("zero", r.amount = 0, bit(SlipFault::ZeroAmount)),
        CASE("amountNotPrinted", { r.amount = -5; s.setFlag("CheckBoxSetOtherNotPrintPrice", true); }, 0u),
        CASE("symbolLetters", r.variableSymbol = "12a", bit(SlipFault::Symbol)),
        CASE("symbolTooLong", r.specificSymbol = "12345678901", bit(SlipFault::Symbol)),
        CASE("symbolComma", r.specificSymbol = "12,5", bit(SlipFault::Symbol)),
        CASE("symbolZeroOrBlank", { r.variableSymbol = " 0 "; r.specificSymbol = ""; }, 0u),
        CASE("vsNotPrintedInOwnerMode", { r.variableSymbol = "12a"; s.setFlag("CheckBoxSetOwnersKS_VS", true); }, 0u),
        CASE("noName", { r.firstName = " "; r.surname = ""; }, bit(SlipFault::NoName)),
        CASE("surnameAlone", r.firstName = "", 0u),
        CASE("noAddress", { r.street = ""; r.city = "  "; }, bit(SlipFault::NoAddress)),
        CASE("secondRowOverflows", { r.amount = 123456; s.setText("EditSetOtherLengthFirstPriceRow", "5"); },
             bit(SlipFault::WordsRow2)),
        CASE("overflowWarningOff", { r.amount = 123456; s.setText("EditSetOtherLengthFirstPriceRow", "5");
                                     s.setFlag("CheckBoxSetOtherOffOverflowSecondRowPrice", true); }, 0u),
        CASE("everything", { r = SlipRecord{}; r.amount = -1; r.variableSymbol = "x"; },
             bit(SlipFault::VoidAmount) | bit(SlipFault::Symbol) | bit(SlipFault::NoName) | bit(SlipFault::NoAddress))),
    [](const auto &info) { return std::string(info.param.name); });

#undef CASE

struct AccountPlaceCase {
    const char *name;
    const char *prefix, *number, *bank;
    std::vector<const char *> placesOff;   // set numbers switched to 0
    bool printed, ok;
};

class AccountPlace : public ::testing::TestWithParam<AccountPlaceCase> {};

// The account is judged only where the slips print it.
TEST_P(AccountPlace, checkedWhereItIsPrinted)
{
    const AccountPlaceCase c = GetParam();
    MapSettings settings;
    settings.setText("EditSetOwnerAccountNum1", c.prefix);
    settings.setText("EditSetOwnerAccountNum2", c.number);
    settings.setText("EditSetOwnerAccountIDB", c.bank);
    for (const char *key : c.placesOff)
        settings.setText(key, "0");
    const SlipPreflight p(settings);
    EXPECT_EQ(p.accountPrinted(), c.printed);
    EXPECT_EQ(p.accountOk(), c.ok);
}

const std::vector<const char *> AllAccountPlaces = {"EditLayoutAccountNum1Dist", "EditLayoutAccountNum1SDist",
                                                    "EditLayoutAccountNum2Dist", "EditLayoutAccountIDBDist"};

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountPlace,
    ::testing::Values(AccountPlaceCase{"designed", "123456", "0123456789", "0000", {}, true, false},
                      AccountPlaceCase{"right", "19", "2000145399", "0800", {}, true, true},
                      AccountPlaceCase{"empty", "", "", "", {}, false, true},
                      AccountPlaceCase{"emptyDesignedBank", " ", "", "0000", {}, false, true},
                      AccountPlaceCase{"zeros", "0", "0000000000", "0000", {}, false, true},
                      AccountPlaceCase{"bankAlone", "", "", "0800", {}, true, false},
                      AccountPlaceCase{"placesOff", "123456", "0123456789", "0000", AllAccountPlaces, false, true},
                      AccountPlaceCase{"stripStillOn", "123456", "0123456789", "0000",
                                       {"EditLayoutAccountNum1Dist", "EditLayoutAccountNum2Dist",
                                        "EditLayoutAccountIDBDist"}, true, false}),
    [](const auto &info) { return std::string(info.param.name); });

// The words faults of the preflight agree with what composition draws: for random
// amounts and first-row lengths, the second row is flagged exactly when the slip's
// own composition warns, and the first row when the row it draws is longer than
// its box (two characters more than the second row's, or the set length + 2).
TEST(PreflightAgainstComposition, wordsRowsAsDrawn)
{
    const unsigned seed = testing::UnitTest::GetInstance()->random_seed() * 7919u + 11u;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    MapSettings settings;
    MapRecipientSource recipient;
    int warnings = 0;
    RecordingSurface preview;
    SlipContext c;
    c.settings = &settings;
    c.recipients = &recipient;
    c.programDir = testsupport::binDir();
    c.formReady = true;
    c.warn = [&](const QString &) { ++warnings; };
    c.previewMirror = &preview;
    SlipRenderer renderer(c);
    std::uniform_int_distribution<int> lengths(0, 40);
    std::uniform_int_distribution<long long> koruny(1, 99999999);
    int row1Faults = 0;
    int row2Faults = 0;
    for (int i = 0; i < 400; ++i) {
        const int n = lengths(random);
        settings.setText("EditSetOtherLengthFirstPriceRow", QString::number(n));
        const double amount = double(koruny(random));
        recipient.setNumber("CASTKA", amount);
        warnings = 0;
        preview.clear();
        renderer.ComposeSlip();
        // The first field drawn at the words' place is row 1.
        QString row1;
        for (const auto &call : preview.calls()) {
            if (call.x == 25 - 1 && call.y == 155 + 1) {
                row1 = call.text;
                break;
            }
        }
        SlipRecord r = goodRecord();
        r.amount = amount;
        const unsigned faults = SlipPreflight(settings).check(r);
        const bool row1Long = row1.size() > std::max(n + 2, PriceWordRowLimit + 2);
        EXPECT_EQ(bool(faults & bit(SlipFault::WordsRow2)), warnings > 0) << amount << " N=" << n;
        EXPECT_EQ(bool(faults & bit(SlipFault::WordsRow1)), row1Long) << amount << " N=" << n << " " << row1.toStdString();
        row1Faults += row1Long;
        row2Faults += warnings > 0;
    }
    // Row 1 takes whole words up to the set length, so it never passes its box;
    // the search met faults of row 2 and slips without them.
    EXPECT_EQ(row1Faults, 0);
    EXPECT_GT(row2Faults, 0);
}

struct TableRow {
    const char *first, *surname, *street, *city;
    double amount;
    const char *vs;
    int excluded;
};

void fillTable(DbfTable &table, const QString &dir, const std::vector<TableRow> &rows)
{
    CreateRecipientTable(table, dir);
    for (const TableRow &r : rows) {
        table.append();
        table.fieldByName("JMENO").setAsString(QString::fromUtf8(r.first));
        table.fieldByName("PRIJMENI").setAsString(QString::fromUtf8(r.surname));
        table.fieldByName("ULICE").setAsString(QString::fromUtf8(r.street));
        table.fieldByName("OBEC").setAsString(QString::fromUtf8(r.city));
        table.fieldByName("CASTKA").setAsFloat(r.amount);
        table.fieldByName("VAR_SYMB").setAsString(r.vs);
        table.fieldByName("VYRAZENO").setAsInteger(r.excluded);
    }
    table.post();
}

// Slips alike are named with their rows, as notes: no row becomes faulty. Symbols
// are compared as printed, names and addresses regardless of case and blanks;
// excluded rows and rows outside the range take no part.
TEST(PreflightRun, duplicatesNamedWithTheirRows)
{
    testsupport::TempDir dir;
    DbfTable table;
    fillTable(table, dir.path(),
              {{"Jan", "Novák", "Dlouhá 1", "Brno", 10, "12", 0},
               {"Eva", "Malá", "Dlouhá 2", "Brno", 10, "57", 0},
               {"jan", " NOVÁK ", "Dlouhá  1", "Brno", 10, "0012", 0},
               {"Eva", "Malá", "Dlouhá 2", "Brno", 10, "58", 1},
               {"Ota", "Nový", "Krátká 3", "Brno", 10, "", 0},
               {"Ivo", "Dub", "Krátká 4", "Brno", 10, "0", 0},
               {"Ivo", "Dub", "Krátká 5", "Brno", 10, "12", 0}});
    MapSettings settings;
    const auto notes = [&](int from, int to) {
        SlipPreflight p(settings);
        p.run(table, from, to);
        EXPECT_EQ(p.faultySlips(), 0);
        QStringList texts;
        for (const DuplicateSlips &g : p.duplicates())
            texts << SlipPreflight::describe(g);
        return texts;
    };
    EXPECT_EQ(notes(0, 100), (QStringList{QString::fromUtf8("stejný variabilní symbol: řádky 1, 3 a 7"),
                                          QString::fromUtf8("stejné jméno a adresa: řádky 1 a 3")}));
    EXPECT_EQ(notes(1, 5), QStringList());
    settings.setFlag("CheckBoxSetOwnersKS_VS", true);   // the owner's symbol is the one printed
    EXPECT_EQ(notes(0, 100), QStringList{QString::fromUtf8("stejné jméno a adresa: řádky 1 a 3")});
}

// Many rows alike: the first rows listed, the count said.
TEST(PreflightRun, longGroupOfDuplicates)
{
    DuplicateSlips group{SlipNote::SameSymbol, {3, 4, 5, 6, 7, 8, 9}};
    EXPECT_EQ(SlipPreflight::describe(group), QString::fromUtf8("stejný variabilní symbol: řádky 4, 5, 6, 7, 8, … (celkem 7)"));
}

// A run over a table: excluded rows are not slips, the range is kept, the first
// faulty rows are listed with their names, and the cursor is put back.
TEST(PreflightRun, overATable)
{
    testsupport::TempDir dir;
    DbfTable table;
    fillTable(table, dir.path(),
              {{"Jan", "Novák", "", "Brno", 10, "1", 0},
               {"Eva", "Malá", "", "Brno", -3, "2", 0},
               {"", "", "", "Brno", 5, "3", 0},
               {"Ota", "Nový", "", "Brno", -1, "4", 1},
               {"Petr", "Velký", "", "", 0, "5x", 0},
               {"Ivo", "Dub", "", "Brno", -2, "6", 0}});
    table.moveTo(2);

    MapSettings settings;
    SlipPreflight all(settings);
    all.run(table, 0, 1000);
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(all.slips(), 5);
    EXPECT_EQ(all.faultySlips(), 4);
    EXPECT_EQ(all.count(SlipFault::VoidAmount), 2);
    EXPECT_EQ(all.count(SlipFault::ZeroAmount), 1);
    EXPECT_EQ(all.count(SlipFault::NoName), 1);
    EXPECT_EQ(all.count(SlipFault::Symbol), 1);
    EXPECT_EQ(all.count(SlipFault::NoAddress), 1);   // no row has a street
    ASSERT_EQ(all.firstRows(SlipFault::VoidAmount).size(), 2);
    EXPECT_EQ(all.firstRows(SlipFault::VoidAmount)[0].row, 1);
    EXPECT_EQ(all.firstRows(SlipFault::VoidAmount)[0].name, QString::fromUtf8("Eva Malá"));
    EXPECT_EQ(all.firstRows(SlipFault::VoidAmount)[1].row, 5);
    EXPECT_EQ(all.firstFaultyRow(), 1);
    EXPECT_TRUE(all.isFaulty(4));
    EXPECT_FALSE(all.isFaulty(0));
    EXPECT_FALSE(all.isFaulty(3));   // excluded: not a slip
    EXPECT_FALSE(all.account().ok());   // the designed owner account
    EXPECT_FALSE(all.clean());

    SlipPreflight range(settings);
    table.moveTo(table.recordCount());
    range.run(table, 2, 4);
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(range.slips(), 2);
    EXPECT_EQ(range.firstFaultyRow(), 2);
    EXPECT_EQ(range.count(SlipFault::VoidAmount), 0);
}

} // namespace
