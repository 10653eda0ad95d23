// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvRecords.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

using namespace kvitanky;

namespace {

// ---- amounts as people write them ------------------------------------------------

struct RecordAmountCase {
    QByteArray text;
    CsvAmount::State state;
    double value;
};

class CsvAmounts : public ::testing::TestWithParam<RecordAmountCase> {};

TEST_P(CsvAmounts, readAsMeant)
{
    const RecordAmountCase &c = GetParam();
    const CsvAmount a = ReadCsvAmount(c.text);
    EXPECT_EQ(a.state, c.state) << c.text.toStdString();
    EXPECT_DOUBLE_EQ(a.value, c.value) << c.text.toStdString();
}

using S = CsvAmount::State;
INSTANTIATE_TEST_SUITE_P(
    Cases, CsvAmounts,
    ::testing::Values(
        RecordAmountCase{"", S::Empty, 0}, RecordAmountCase{"  ", S::Empty, 0}, RecordAmountCase{"0", S::Ok, 0},
        RecordAmountCase{"1234,5", S::Ok, 1234.5},                 // the program's own export
        RecordAmountCase{"1 234,50", S::Ok, 1234.5}, RecordAmountCase{"1\xa0" "234,50", S::Ok, 1234.5},
        RecordAmountCase{"1\xc2\xa0" "234,50", S::Ok, 1234.5}, RecordAmountCase{"1\xe2\x80\xaf" "234,50", S::Ok, 1234.5},
        RecordAmountCase{"1.234,50", S::Ok, 1234.5}, RecordAmountCase{"1,234.50", S::Ok, 1234.5},
        RecordAmountCase{"1.234.567", S::Ok, 1234567}, RecordAmountCase{"1,234,567.5", S::Ok, 1234567.5},
        RecordAmountCase{"150,-", S::Ok, 150}, RecordAmountCase{"150,--", S::Ok, 150}, RecordAmountCase{"150 K\xe8", S::Ok, 150},
        RecordAmountCase{"150 K\xc4\x8d", S::Ok, 150}, RecordAmountCase{"150 CZK", S::Ok, 150}, RecordAmountCase{"150,- K\xe8.", S::Ok, 150},
        RecordAmountCase{"12.50", S::Ok, 12.5}, RecordAmountCase{",5", S::Ok, 0.5}, RecordAmountCase{"+7", S::Ok, 7},
        RecordAmountCase{"-150", S::Negative, -150}, RecordAmountCase{"-1 234,50 K\xe8", S::Negative, -1234.5},
        RecordAmountCase{"-0", S::Ok, 0},
        // Unreadable: stored as the plain rule gives it (digits and one separator kept).
        RecordAmountCase{"abc", S::Unreadable, 0}, RecordAmountCase{"12abc", S::Unreadable, 12},
        RecordAmountCase{"1,2,3", S::Unreadable, 0}, RecordAmountCase{"12.34.5", S::Unreadable, 0},
        RecordAmountCase{"1.234,5,6", S::Unreadable, 0}, RecordAmountCase{"1,5E20", S::Unreadable, 1.52},
        RecordAmountCase{".", S::Unreadable, 0}, RecordAmountCase{"-", S::Unreadable, 0}));

TEST(CsvAmount, threeDigitsBehindOneSeparatorAreNamedAndDecidedForTheFile)
{
    struct Case { const char *text; bool ambiguous; double decimal, thousands; };
    for (const Case &c : {Case{"2.500", true, 2.5, 2500}, Case{"1,234", true, 1.234, 1234}, Case{"-1.234", true, -1.234, -1234},
                          Case{"0,500", false, 0.5, 0.5}, Case{"1234,567", false, 1234.567, 1234.567},
                          Case{"12.50", false, 12.5, 12.5}, Case{"1.234,50", false, 1234.5, 1234.5},
                          Case{"1.234.567", false, 1234567, 1234567}}) {
        EXPECT_EQ(ReadCsvAmount(c.text).ambiguous, c.ambiguous) << c.text;
        EXPECT_DOUBLE_EQ(ReadCsvAmount(c.text).value, c.decimal) << c.text;
        EXPECT_DOUBLE_EQ(ReadCsvAmount(c.text, true).value, c.thousands) << c.text;
    }
}

TEST(CsvFlag, wordsAndNumbersExcludeAnythingElseIsNamed)
{
    bool ok = false;
    for (const char *one : {"1", "01", " 1 ", "2", "-3", "+1", "65535", "ano", "A", "x", "X", "true", "YES"}) {
        EXPECT_EQ(ReadCsvFlag(one, &ok), 1) << one;
        EXPECT_TRUE(ok) << one;
    }
    for (const char *zero : {"", "0", "00", "-0", "ne", "N", "false", "no"}) {
        EXPECT_EQ(ReadCsvFlag(zero, &ok), 0) << zero;
        EXPECT_TRUE(ok) << zero;
    }
    for (const char *unread : {"1,5", "1 1", "možná", "-", "?"}) {
        EXPECT_EQ(ReadCsvFlag(unread, &ok), 0) << unread;
        EXPECT_FALSE(ok) << unread;
    }
}

// ---- records -------------------------------------------------------------------

struct RecordsCase {
    const char *name;
    QByteArray file;
    std::vector<std::vector<QByteArray>> records;   // non-empty records in order
    std::vector<int> lines;                         // the line each began on
    CsvRecordReader::Status last = CsvRecordReader::Status::End;
    char separator = 0;                             // 0: as DetectCsvSeparator finds it
};

class CsvRecords : public ::testing::TestWithParam<RecordsCase> {};

TEST_P(CsvRecords, quotedFieldsTheSpreadsheetWay)
{
    const RecordsCase &c = GetParam();
    const qsizetype lf = c.file.indexOf('\n');
    const char sep = c.separator ? c.separator : DetectCsvSeparator(c.file.left(lf < 0 ? c.file.size() : lf));
    CsvReader reader(c.file);
    CsvRecordReader records(reader, sep);
    std::vector<std::vector<QByteArray>> got;
    std::vector<int> lines;
    CsvRecordReader::Status s;
    while ((s = records.next()) == CsvRecordReader::Status::Record) {
        if (records.fields().isEmpty())
            continue;
        std::vector<QByteArray> fields;
        for (const QByteArrayView f : records.fields())
            fields.push_back(f.toByteArray());
        got.push_back(fields);
        lines.push_back(records.line());
    }
    EXPECT_EQ(got, c.records);
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(s, c.last);
}

using R = CsvRecordReader::Status;
INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRecords,
    ::testing::Values(
        RecordsCase{"ownFormat", "a;b;\r\n\r\nc\r\n", {{"a", "b", ""}, {"c"}}, {1, 3}},
        RecordsCase{"quoteNotAtStartIsABlank", "a\"b;c\"\n", {{"a b", "c "}}, {1}},
        RecordsCase{"quotedSeparatorAndDoubledQuote", "\"a;b\";\"say \"\"hi\"\"\";\"\"\n",
                    {{"a;b", "say \"hi\"", ""}}, {1}},
        RecordsCase{"lineBreakInsideQuotes", "\"a\r\nb\";c\nd\n", {{"a\nb", "c"}, {"d"}}, {1, 3}},
        RecordsCase{"textBehindClosingQuote", "\"a\"b;c\n", {{"ab", "c"}}, {1}},
        RecordsCase{"commaFromTheFirstLine", "a,\"b,c\",d\n1;2,3\n", {{"a", "b,c", "d"}, {"1;2", "3"}}, {1, 2}},
        RecordsCase{"tabBeatsComma", "a\t1,5\n", {{"a", "1,5"}}, {1}},
        RecordsCase{"commaInsideQuotesIsNoSeparator", "\"a,b\"\n", {{"a,b"}}, {1}},
        RecordsCase{"doubledQuoteKeepsTheTabQuoted", "\"\"\"x\"\"\t\";b\n", {{"\"x\"\t", "b"}}, {1}},
        RecordsCase{"unterminatedAtEnd", "a\n\"b;c\nd", {{"a"}}, {1}, R::Unterminated},
        RecordsCase{"openQuoteRunsTooLong", "a\n\"" + QByteArray(700, 'x') + "\n" + QByteArray(100, 'y') + "\n",
                    {{"a"}}, {1}, R::TooLong}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

// Random bytes rich in separators, quotes and line ends keep the reader's promises:
// progress on every record, no record over the longest line, amounts never negative.
TEST(CsvRecordsSearch, randomInputKeepsTheGuarantees)
{
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    static const char raw[] = "\";,\t\n\r 0123456789.-Kc\xe8\xc4\x8d\xa0\xc2\x1a\0";
    const QByteArray alphabet(raw, sizeof raw - 1);   // the last NUL is one of the bytes
    for (int round = 0; round < 3000; ++round) {
        QByteArray input(int(rng() % 1200), '\0');
        for (char &c : input)
            c = alphabet.at(qsizetype(rng() % unsigned(alphabet.size())));
        ASSERT_TRUE(fuzzCsvRecords(reinterpret_cast<const std::uint8_t *>(input.constData()), size_t(input.size())))
            << "seed " << seed << " round " << round;
    }
}

} // namespace
