// SPDX-License-Identifier: GPL-3.0-or-later
// When a first line is a header: random lines of known names (as people spell
// them), unknown words and empty fields against the rule "two known names, or
// nothing but known names". A different count fails this test.
#include "exchange/CsvColumns.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <cstdio>
#include <iterator>
#include <random>
#include <set>
#include <vector>

using namespace kvitanky;

namespace {

struct Name {
    const char *text;
    int column;
};
const Name Known[] = {{"Titul", 0},        {"JMÉNO", 1},    {"Příjmení", 2}, {"Ulice", 3},
                      {"obec", 4},         {"PSČ", 5},      {"Částka", 6},   {"Var. symbol", 7},
                      {"Specifický symbol", 8}, {"Tel.", 9}, {"E-mail", 10},  {"VYRAZENO", 11}};
// Words no column is known by; a word a column of the list takes up is left out.
QStringList unknownNames()
{
    QStringList out;
    for (const char *w : {"Poznámka", "Skupina", "Datum narození", "ID", "1200", "Jan", "Zkratka třídy"})
        if (CsvColumnForName(QString::fromUtf8(w)) < 0)
            out << QString::fromUtf8(w);
    return out;
}

TEST(HeaderRecognition, TwoKnownNamesOrOnlyKnownNames)
{
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const QStringList unknown = unknownNames();
    ASSERT_FALSE(unknown.isEmpty());
    int headers = 0;
    for (int round = 0; round < 3000; ++round) {
        QStringList fields;
        int known = 0, nonEmpty = 0;
        std::vector<int> columnOf;
        std::set<int> filled;
        const int count = 1 + pick(6);
        for (int i = 0; i < count; ++i) {
            const int kind = pick(10);
            if (kind < 4) {
                const Name &n = Known[pick(std::size(Known))];
                fields << QString::fromUtf8(n.text);
                ++known;
                columnOf.push_back(filled.insert(n.column).second ? n.column : -1);
            } else if (kind < 7) {
                fields << unknown[pick(int(unknown.size()))];
                columnOf.push_back(-1);
            } else {
                fields << (kind == 9 ? QStringLiteral("  ") : QString());
                columnOf.push_back(-1);
                --nonEmpty;
            }
            ++nonEmpty;
        }
        const bool header = known >= 2 || (known >= 1 && known == nonEmpty);
        headers += header;
        const CsvHeader h = RecogniseCsvHeader(fields);
        ASSERT_EQ(h.found, header) << fields.join(QLatin1Char(';')).toStdString() << ", seed " << seed;
        if (header) {
            ASSERT_EQ(h.columnOf, columnOf) << fields.join(QLatin1Char(';')).toStdString() << ", seed " << seed;
        }
    }
    EXPECT_GT(headers, 100);
}

} // namespace
