// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/PriceWords.h"
#include "render/SlipRenderer.h"

#include "TestSupport.h"

#include <QHash>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

using namespace kvitanky;

namespace {

struct WordsCase {
    double amount;
    const char *words;
};

void PrintTo(const WordsCase &c, std::ostream *os)
{
    *os << c.amount;
}

class PriceToWordsTest : public ::testing::TestWithParam<WordsCase> {};

TEST_P(PriceToWordsTest, spellsTheWholeKoruny)
{
    const WordsCase &c = GetParam();
    EXPECT_EQ(PriceToWords(c.amount).toStdString(), std::string(c.words));
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, PriceToWordsTest,
    ::testing::Values(
        WordsCase{0, "nula"},
        WordsCase{0.99, "nula"},
        WordsCase{1, "jedna"},
        WordsCase{2, "dve"},
        WordsCase{10, "deset"},
        WordsCase{19, "devatenáct"},
        WordsCase{20, "dvacet"},
        WordsCase{21, "dvacet jedna"},
        WordsCase{22, "dvacet dva"},
        WordsCase{99, "devadesát devet"},
        WordsCase{100, "sto"},
        WordsCase{102, "sto dva"},
        WordsCase{110, "sto deset"},
        WordsCase{120, "sto dvacet"},
        WordsCase{200, "dveste"},
        WordsCase{345, "tri sta ctyricet pet"},
        WordsCase{999, "devet set devadesát devet"},
        WordsCase{1000, "tisíc"},
        WordsCase{1001, "tisíc jedna"},
        WordsCase{1002, "tisíc dve"},
        WordsCase{2000, "dva tisíce"},
        WordsCase{2002, "dva tisíce dve"},
        WordsCase{5000, "pet tisíc"},
        WordsCase{12345, "dvanáct tisíc tri sta ctyricet pet"},
        WordsCase{21000, "dvacet jedna tisíc"},
        WordsCase{100000, "sto tisíc"},
        WordsCase{1000000, "milion"},
        WordsCase{1000001, "milion jedna"},
        WordsCase{2000000, "dva miliony"},
        WordsCase{5000000, "pet milionu"},
        WordsCase{1234567, "milion dveste tricet ctyri tisíc pet set šedesát sedm"},
        WordsCase{1000000000, "jednamiliarda"},
        WordsCase{2000000000, "dvemiliardy"},
        WordsCase{2147483647,
                  "dvemiliardy sto ctyricet sedm milionu ctyri sta osmdesát tri tisíc šest set ctyricet sedm"},
        WordsCase{12.99, "dvanáct"},
        WordsCase{-1, "mínusjedna"},
        WordsCase{-2, "mínusdve"},
        WordsCase{-1500, "mínustisíc pet set"}));

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, PriceToWordsTest,
    ::testing::Values(
        WordsCase{-0.99, "nula"},
        WordsCase{-0.5, "nula"},
        WordsCase{1999.5, "tisíc devet set devadesát devet"},
        WordsCase{20000, "dvacet tisíc"},
        WordsCase{11000, "jedenáct tisíc"},
        WordsCase{19000, "devatenáct tisíc"},
        WordsCase{22000, "dvacet dva tisíc"},
        WordsCase{101000, "sto jedna tisíc"},
        WordsCase{3000, "tri tisíce"},
        WordsCase{4000, "ctyri tisíce"},
        WordsCase{3000000, "tri miliony"},
        WordsCase{4000000, "ctyri miliony"},
        WordsCase{21000000, "dvacet jedna milionu"},
        WordsCase{100000000, "sto milionu"},
        WordsCase{1000000001, "jednamiliarda jedna"},
        WordsCase{1000001000, "jednamiliarda tisíc"},
        WordsCase{2000000002, "dvemiliardy dve"},
        WordsCase{300, "tri sta"},
        WordsCase{400, "ctyri sta"},
        WordsCase{500, "pet set"},
        WordsCase{906, "devet set šest"},
        WordsCase{12345000, "dvanáct milionu tri sta ctyricet pet tisíc"},
        WordsCase{999999.5, "devet set devadesát devet tisíc devet set devadesát devet"},
        WordsCase{-2147483647,
                  "mínusdvemiliardy sto ctyricet sedm milionu ctyri sta osmdesát tri tisíc šest set ctyricet sedm"},
        WordsCase{2147483647.9, "dvemiliardy sto ctyricet sedm milionu ctyri sta osmdesát tri tisíc šest set "
                                "ctyricet sedm"}));

// Whole koruny outside the supported range, or no number at all: a marker,
// never a wrapped-around value.
INSTANTIATE_TEST_SUITE_P(
    OutOfRange, PriceToWordsTest,
    ::testing::Values(WordsCase{2147483648.0, "mimo rozsah"},
                      WordsCase{-2147483648.0, "mimo rozsah"},
                      WordsCase{-2147483648.5, "mimo rozsah"},
                      WordsCase{1e300, "mimo rozsah"},
                      WordsCase{-1e300, "mimo rozsah"},
                      WordsCase{std::numeric_limits<double>::infinity(), "mimo rozsah"},
                      WordsCase{-std::numeric_limits<double>::infinity(), "mimo rozsah"},
                      WordsCase{std::numeric_limits<double>::quiet_NaN(), "mimo rozsah"}));

TEST(PriceToWords, neverLeavesDoubleOrEdgeBlanks)
{
    for (int v = -3000; v <= 1300000; v += 7) {
        const QString w = PriceToWords(v);
        ASSERT_FALSE(w.isEmpty()) << v;
        ASSERT_FALSE(w.startsWith(QLatin1Char(' '))) << v;
        ASSERT_FALSE(w.endsWith(QLatin1Char(' '))) << v;
        ASSERT_FALSE(w.contains(QStringLiteral("  "))) << v;
    }
}

struct HundredsCase {
    int value;
    const char *words;
};

class HundredsToWordsTest : public ::testing::TestWithParam<HundredsCase> {};

TEST_P(HundredsToWordsTest, spellsOneGroup)
{
    EXPECT_EQ(HundredsToWords(GetParam().value).toStdString(), std::string(GetParam().words));
}

INSTANTIATE_TEST_SUITE_P(Groups, HundredsToWordsTest,
                         ::testing::Values(HundredsCase{0, ""}, HundredsCase{2, "dve"},
                                           HundredsCase{12, "dvanáct"}, HundredsCase{20, "dvacet"},
                                           HundredsCase{32, "tricet dva"}, HundredsCase{200, "dveste"},
                                           HundredsCase{202, "dveste dva"}, HundredsCase{700, "sedm set"},
                                           HundredsCase{-1, ""}, HundredsCase{1000, ""}));

} // namespace

// ---- Both spellings, searched ----

namespace {

// Reads the words back into a number, knowing only the words of `spelling`: a
// word of the other spelling (or none at all) gives nothing.
std::optional<qint64> wordsValue(const QString &words, WordSpelling spelling)
{
    const bool czech = spelling == WordSpelling::Czech;
    const QHash<QString, int> numbers = {
        {"jedna", 1}, {"dva", 2}, {czech ? "dvě" : "dve", 2}, {czech ? "tři" : "tri", 3},
        {czech ? "čtyři" : "ctyri", 4}, {czech ? "pět" : "pet", 5}, {"šest", 6}, {"sedm", 7}, {"osm", 8},
        {czech ? "devět" : "devet", 9}, {"deset", 10}, {"jedenáct", 11}, {"dvanáct", 12},
        {czech ? "třináct" : "trináct", 13}, {czech ? "čtrnáct" : "ctrnáct", 14}, {"patnáct", 15},
        {"šestnáct", 16}, {"sedmnáct", 17}, {"osmnáct", 18}, {"devatenáct", 19}, {"dvacet", 20},
        {czech ? "třicet" : "tricet", 30}, {czech ? "čtyřicet" : "ctyricet", 40}, {"padesát", 50},
        {"šedesát", 60}, {"sedmdesát", 70}, {"osmdesát", 80}, {"devadesát", 90}, {"sto", 100},
        {czech ? "dvěstě" : "dveste", 200}};
    const QHash<QString, qint64> scales = {
        {"tisíc", 1000}, {"tisíce", 1000}, {"milion", 1000000}, {"miliony", 1000000},
        {czech ? "milionů" : "milionu", 1000000}};
    if (words == "nula")
        return 0;
    QString rest = words;
    const bool negative = rest.startsWith("mínus");
    if (negative)
        rest = rest.mid(5);
    qint64 total = 0, current = 0;
    for (const QString &w : rest.split(' ')) {
        if (w == "jednamiliarda" || w == (czech ? "dvěmiliardy" : "dvemiliardy"))
            total += (w.startsWith("jedna") ? 1 : 2) * qint64(1000000000);
        else if (numbers.contains(w))
            current += numbers.value(w);
        else if (w == "sta" || w == "set")
            current *= 100;
        else if (scales.contains(w)) {
            total += std::max<qint64>(current, 1) * scales.value(w);
            current = 0;
        } else
            return std::nullopt;
    }
    total += current;
    return negative ? -total : total;
}

} // namespace

// Amounts the boxes hold (sampled, with their edges), in both spellings: the words
// spell the figures, and both spellings split alike, the first row within its box.
TEST(PriceToWords, bothSpellingsSpellTheFiguresAndFitAlike)
{
    const unsigned seed = testsupport::randomSeed("PriceToWords.bothSpellingsSpellTheFiguresAndFitAlike");
    QRandomGenerator random(seed);
    QList<qint64> amounts = {0, 2, 200, 202, 2000, 2002, 200000, 2000000, 2222222, 99999999, 1000000000,
                             2000000000, 2147483647, -2, -234};
    for (int v = 0; v < 1000; ++v)
        amounts << v << v * 1000 << v * 1000000;
    for (int i = 0; i < 20000; ++i)
        amounts << qint64(random.bounded(100000000));
    for (const qint64 amount : amounts) {
        SCOPED_TRACE(amount);
        const QString designed = PriceToWords(double(amount));
        const QString czech = PriceToWords(double(amount), WordSpelling::Czech);
        ASSERT_EQ(wordsValue(designed, WordSpelling::AsDesigned), amount) << designed.toStdString();
        ASSERT_EQ(wordsValue(czech, WordSpelling::Czech), amount) << czech.toStdString();
        const PriceWordRows a = splitPriceWordRows(designed, 25);
        const PriceWordRows b = splitPriceWordRows(czech, 25);
        ASSERT_EQ(a.row1.size(), b.row1.size());
        ASSERT_EQ(a.row2.size(), b.row2.size());
        ASSERT_FALSE(priceWordRow1Overflows(b, 25)) << czech.toStdString();
        ASSERT_EQ(priceWordRow2Overflows(a), priceWordRow2Overflows(b));
    }
}
