// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvFormat.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>

using namespace kvitanky;

namespace {

std::string show(const QByteArray &b) { return b.toStdString(); }

// ---- lines -------------------------------------------------------------------

struct LinesCase {
    const char *name;
    QByteArray file;
    std::vector<QByteArray> lines;   // contents in order
    bool endsTooLong = false;        // the last read reported a too-long line
};

std::vector<QByteArray> readAll(CsvReader &reader, bool *tooLong)
{
    std::vector<QByteArray> out;
    *tooLong = false;
    while (!reader.atEnd()) {
        CsvLine line = ReadCsvLine(reader);
        if (line.tooLong) {
            *tooLong = true;
            break;
        }
        out.push_back(line.content);
    }
    return out;
}

class CsvLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(CsvLines, fromMemoryAndFromDevice)
{
    const LinesCase &c = GetParam();
    bool tooLong = false;
    CsvReader memory(c.file);
    EXPECT_EQ(readAll(memory, &tooLong), c.lines);
    EXPECT_EQ(tooLong, c.endsTooLong);

    QByteArray copy = c.file;
    QBuffer buffer(&copy);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CsvReader device(&buffer);
    EXPECT_EQ(readAll(device, &tooLong), c.lines);
    EXPECT_EQ(tooLong, c.endsTooLong);
}

const QByteArray L765(765, 'x');
const QByteArray L766(766, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvLines,
    ::testing::Values(
        LinesCase{"empty", "", {}},
        LinesCase{"noFinalLf", "a;b\nc;d", {"a;b", "c;d"}},
        LinesCase{"finalLfGivesNoExtraLine", "a\nb\n", {"a", "b"}},
        LinesCase{"crlfLikeLf", "a\r\nb\r\n", {"a", "b"}},
        LinesCase{"crAloneEndsLine", "a\rb\r\r\nc", {"a", "b", "c"}},
        LinesCase{"crOnlyFile", "a\rb\rc\r", {"a", "b", "c"}},
        LinesCase{"crOnlyLineIsEmpty", "\r\nx\n", {"", "x"}},
        LinesCase{"emptyLines", "\n\nx", {"", "", "x"}},
        LinesCase{"blankKept", " \n", {" "}},
        LinesCase{"ctrlZEndsFile", "a\nb\x1a" "c\nd\n", {"a", "b"}},
        LinesCase{"ctrlZAtLineStart", "a\n\x1a" "b\n", {"a"}},
        LinesCase{"nulEndsContent", QByteArray("a\0b;c\nd", 7), {"a", "d"}},
        LinesCase{"nulFirst", QByteArray("\0abc\nd", 6), {"", "d"}},
        LinesCase{"cp1250BytesUntouched", "\x8a\xe8\xf8\n", {"\x8a\xe8\xf8"}},
        LinesCase{"longestLine", L765 + "\n" + "y", {L765, "y"}},
        LinesCase{"longestLineCrNotCounted", L765 + "\r\r\n", {L765}},
        LinesCase{"longestLineNoLf", L765, {L765}},
        LinesCase{"oneTooLong", "a\n" + L766 + "\nb\n", {"a"}, true},
        LinesCase{"tooLongCountsBytesAfterNul", QByteArray(1, '\0') + L766, {}, true}),
    [](const auto &info) { return std::string(info.param.name); });

// Hands its bytes out in pieces no longer than `piece` gives, as a pipe does: a
// read may end anywhere, inside a line end too.
class PiecewiseDevice : public QIODevice
{
public:
    PiecewiseDevice(const QByteArray &bytes, std::function<qint64()> piece)
        : m_bytes(bytes), m_piece(std::move(piece))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, m_piece(), qint64(m_bytes.size()) - m_at});
        std::memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    std::function<qint64()> m_piece;
    qint64 m_at = 0;
};

// Random lines with every kind of line end read from memory, from a device that
// hands out one byte at a time (a read ends at every position), from one with
// random pieces and from a whole buffer: the same lines, every byte consumed.
TEST(CsvLines, deviceChunkBoundariesDoNotMatter)
{
    const unsigned seed = testsupport::randomSeed("deviceChunkBoundariesDoNotMatter");
    std::mt19937 rng(seed);
    static const char *const lineEnds[] = {"\n", "\r\n", "\r", "\r\r\n"};
    for (int round = 0; round < 300; ++round) {
        QByteArray file;
        std::vector<QByteArray> expected;
        // The last round is longer than the reader's own pieces.
        const int lines = round == 299 ? 12000 : int(rng() % 40);
        bool afterLoneCr = false;
        for (int i = 0; i < lines; ++i) {
            QByteArray content(rng() % 3 == 0 ? 0 : int(rng() % 14), char('a' + i % 26));
            const char *end = lineEnds[rng() % 4];
            // Behind a lone CR, an empty line ending in an LF would make one line
            // end of the two.
            if (afterLoneCr && content.isEmpty() && std::strchr(end, '\n'))
                content = "z";
            afterLoneCr = std::strcmp(end, "\r") == 0;
            file += content + end;
            expected.push_back(content);
        }
        if (rng() % 2) {
            file += "last";
            expected.push_back("last");
        }
        const std::string where = "seed " + std::to_string(seed) + " round " + std::to_string(round);
        bool tooLong = false;
        CsvReader memory(file);
        ASSERT_EQ(readAll(memory, &tooLong), expected) << where;

        const qint64 most = 1 + qint64(rng() % 9);
        PiecewiseDevice bytewise(file, [] { return qint64(1); });
        PiecewiseDevice random(file, [&] { return 1 + qint64(rng()) % most; });
        QByteArray copy = file;
        QBuffer whole(&copy);
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        for (QIODevice *device : {static_cast<QIODevice *>(&bytewise), static_cast<QIODevice *>(&random),
                                  static_cast<QIODevice *>(&whole)}) {
            CsvReader reader(device);
            ASSERT_EQ(readAll(reader, &tooLong), expected) << where;
            EXPECT_EQ(reader.position(), file.size()) << where;
        }
    }
}

// ---- fields ------------------------------------------------------------------

struct SplitCase {
    const char *name;
    QByteArray line;
    int positions;
    std::vector<QByteArray> fields;
};

class CsvSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CsvSplit, byPosition)
{
    const SplitCase &c = GetParam();
    const QList<QByteArray> got = SplitCsvLine(c.line, c.positions);
    EXPECT_EQ(std::vector<QByteArray>(got.begin(), got.end()), c.fields);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvSplit,
    ::testing::Values(
        SplitCase{"twoFieldsRestEmpty", "a;b", 4, {"a", "b", "", ""}},
        SplitCase{"finalSemicolonGivesEmptyField", "a;b;c;", 4, {"a", "b", "c", ""}},
        SplitCase{"noTrimming", " a ; b", 3, {" a ", " b", ""}},
        SplitCase{"quotesBecomeBlanks", "\"abc\";x\"y", 2, {" abc ", "x y"}},
        SplitCase{"semicolonInsideQuotesSplits", "\"a;b\";c", 3, {" a", "b ", "c"}},
        SplitCase{"beyondLastPositionDropped", "1;2;3;4;5;6;7;8;9", 7, {"1", "2", "3", "4", "5", "6", "7"}},
        SplitCase{"onlySeparators", ";;", 4, {"", "", "", ""}},
        SplitCase{"emptyLine", "", 2, {"", ""}},
        SplitCase{"blankLine", " ", 2, {" ", ""}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- amounts -----------------------------------------------------------------

struct FormatAmountCase {
    const char *name;
    QByteArray text;
    double value;
};

class CsvAmountRead : public ::testing::TestWithParam<FormatAmountCase> {};

TEST_P(CsvAmountRead, convertsWhateverTheLocale)
{
    const FormatAmountCase &c = GetParam();
    EXPECT_DOUBLE_EQ(CsvAmountToFloat(c.text), c.value) << show(c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvAmountRead,
    ::testing::Values(
        FormatAmountCase{"groupedWithCurrency", "1 234,50 K\xe8", 1234.5},
        FormatAmountCase{"minusDropped", "-150", 150},
        FormatAmountCase{"decimalPoint", "12.50", 12.5},
        FormatAmountCase{"decimalComma", "12,50", 12.5},
        FormatAmountCase{"letters", "abc", 0},
        FormatAmountCase{"twoSeparators", "1,2,3", 0},
        FormatAmountCase{"mixedSeparators", "1.234,50", 0},
        FormatAmountCase{"empty", "", 0},
        FormatAmountCase{"onlySeparator", ",", 0},
        FormatAmountCase{"leadingSeparator", ",5", 0.5},
        FormatAmountCase{"trailingSeparator", "5,", 5},
        FormatAmountCase{"leadingZeros", "00012", 12},
        FormatAmountCase{"exponentLetterDropped", "1e5", 15},
        FormatAmountCase{"blanksAround", "  7 ", 7},
        FormatAmountCase{"quotedBlanks", " 99,9 ", 99.9},
        FormatAmountCase{"outOfRange", QByteArray(400, '9'), 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct FormatCase {
    const char *name;
    double value;
    const char *text;
};

class CsvAmountText : public ::testing::TestWithParam<FormatCase> {};

TEST_P(CsvAmountText, alwaysDecimalComma)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(show(FloatToCsvText(c.value)), std::string(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvAmountText,
    ::testing::Values(
        FormatCase{"fraction", 1234.5, "1234,5"},
        FormatCase{"whole", 150, "150"},
        FormatCase{"belowOne", 0.25, "0,25"},
        FormatCase{"negative", -80, "-80"},
        FormatCase{"sampleAmount", 999999.5, "999999,5"},
        FormatCase{"eightDigits", 12345000, "12345000"},
        FormatCase{"zero", 0, "0"},
        FormatCase{"negativeZero", -0.0, "0"},
        FormatCase{"binaryNoiseRounded", 0.1 + 0.2, "0,3"},
        FormatCase{"fifteenDigits", 123456789012345.0, "123456789012345"},
        FormatCase{"fifteenDigitsRounded", 1.0 / 3.0, "0,333333333333333"},
        FormatCase{"roundsUp", 2.0 / 3.0, "0,666666666666667"},
        FormatCase{"sixteenDigitsExponent", 1e15, "1E15"},
        FormatCase{"smallestFixed", 0.00001, "0,00001"},
        FormatCase{"smallExponent", 1.5e-7, "1,5E-7"},
        FormatCase{"notANumber", std::numeric_limits<double>::quiet_NaN(), "0"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CsvAmountText, readsBackToTheSameAmount)
{
    for (double v : {0.01, 0.5, 1.0, 12.34, 999999.5, 12345000.0, 123456.78, 99999999.99})
        EXPECT_DOUBLE_EQ(CsvAmountToFloat(FloatToCsvText(v)), v) << v;
}

// ---- fuzzing body ------------------------------------------------------------

TEST(CsvFuzz, seedsKeepTheGuarantees)
{
    const QDir seeds(testsupport::sourceDir() + QStringLiteral("/fuzz/corpus/csv"));
    const QStringList names = seeds.entryList(QDir::Files);
    EXPECT_FALSE(names.isEmpty());
    for (const QString &name : names) {
        const QByteArray data = testsupport::readFile(seeds.filePath(name));
        EXPECT_TRUE(fuzzCsvInput(reinterpret_cast<const std::uint8_t *>(data.constData()), data.size()))
            << name.toStdString();
    }
}

TEST(CsvFuzz, awkwardInputs)
{
    const QByteArray inputs[] = {
        QByteArray(2000, ';'),
        QByteArray(766, '"'),
        QByteArray(3000, '\r'),
        QByteArray("\xff\xfe\x00\x1a", 4),
        "9999999999999999999999999999999,9;0,0000000000001;..;,,",
    };
    for (const QByteArray &data : inputs)
        EXPECT_TRUE(fuzzCsvInput(reinterpret_cast<const std::uint8_t *>(data.constData()), data.size()));
}

} // namespace
