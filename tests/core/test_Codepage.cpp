// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Codepage.h"

#include <gtest/gtest.h>

using namespace kvitanky;

namespace {

class CodepageRoundTrip : public ::testing::TestWithParam<Codepage> {};

// Every byte, the five Windows-1250 leaves undefined included, comes back as it was.
TEST_P(CodepageRoundTrip, everyByteComesBackUnchanged)
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = decode(all, GetParam());
    EXPECT_TRUE(canEncode(text, GetParam()));
    EXPECT_EQ(encode(text, GetParam()).toHex(), all.toHex());
}

INSTANTIATE_TEST_SUITE_P(Pages, CodepageRoundTrip,
                         ::testing::Values(Codepage::Cp1250, Codepage::Cp1252, Codepage::Cp852));

TEST(Codepage, undefinedBytesReadAsWindowsReadsThem)
{
    EXPECT_EQ(fromCp1250("\x81\x83\x88\x90\x98"), QString::fromUtf16(u"\u0081\u0083\u0088\u0090\u0098"));
}

TEST(Codepage, tellsWhichTextsWindows1250Holds)
{
    EXPECT_TRUE(canEncodeCp1250(u"Příliš žluťoučký kůň úpěl ďábelské ódy – „€“"));
    EXPECT_TRUE(canEncodeCp1250(u""));
    EXPECT_TRUE(canEncodeCp1250(u"ß?"));
    for (const char16_t *lacking : {u"Peña", u"Ω", u"\U0001F600", u"ł€ő€ŕ€ñ"})
        EXPECT_FALSE(canEncodeCp1250(QStringView(lacking))) << QString::fromUtf16(lacking).toStdString();
}

} // namespace
