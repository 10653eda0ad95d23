// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/CsvTextKey.h"

#include "text/Codepage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QHashFunctions>

#include <cstdio>
#include <random>

using namespace kvitanky;

namespace {

// Random fields of blanks, letters of both cases, Czech letters in both encodings,
// bytes Windows-1250 leaves undefined and broken UTF-8: the keys worked out on the
// bytes are those of the decoded text. KVITANKY_SEED repeats a run.
TEST(CsvTextKey, sameAsTheDecodedText)
{
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    const QList<QByteArray> pieces{
        " ", "\t", "\xa0", "\xc2\xa0", "\xe2\x80\xaf", "a", "Z", "0", ";", "\"", "\xd8", "\xf8", "\x8a", "\x9a",
        "\xdf", "\xb5", "\x81", "\xff", "\xc5\x98", "\xc5\x99", "\xc3\x9f", "\xe1\xba\x9e", "\xef\xac\x80", "\xc5",
        "\xe2\x82", "\xf0\x9f\x98\x80", "\x00", "I", "\xc4\xb0"};
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes;
        for (int k = pick(8); k > 0; --k)
            bytes += pieces.at(pick(int(pieces.size())));
        for (const CsvEncoding encoding : {CsvEncoding::Cp1250, CsvEncoding::Utf8}) {
            const QString text = DecodeCsvField(bytes, encoding);
            for (const bool fold : {false, true}) {
                const QString expected = fold ? text.trimmed().toCaseFolded() : text.trimmed();
                bool empty = false;
                EXPECT_EQ(CsvTextHash(bytes, encoding, fold, &empty), qHash(expected))
                    << bytes.toHex().toStdString() << " fold " << fold << " utf8 " << (encoding == CsvEncoding::Utf8);
                EXPECT_EQ(empty, expected.isEmpty()) << bytes.toHex().toStdString();
            }
            const qsizetype size = pick(12);
            QByteArray cut = toCp1250(text).left(size);
            while (!cut.isEmpty() && (cut.back() == ' ' || cut.back() == '\0'))
                cut.chop(1);
            QByteArray scratch;
            EXPECT_EQ(CsvKeptBytes(bytes, encoding, size, scratch), cut) << bytes.toHex().toStdString();
        }
        if (HasFailure())
            break;
    }
}

} // namespace
