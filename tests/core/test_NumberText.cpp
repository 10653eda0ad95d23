// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/NumberText.h"

#include <gtest/gtest.h>

using namespace kvitanky;

namespace {

struct NumberCase {
    const char *text;
    bool number;
};

class CommaNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(CommaNumber, recognisesDecimalCommaNumbers)
{
    EXPECT_EQ(isCommaDecimalNumber(QString::fromUtf8(GetParam().text)), GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommaNumber,
    ::testing::Values(NumberCase{"12,5", true}, NumberCase{"0000", true}, NumberCase{"0123456789", true},
                      NumberCase{"-5", true}, NumberCase{"+5", true}, NumberCase{"12,", true},
                      NumberCase{",5", true}, NumberCase{"1e3", true}, NumberCase{"1,5E-2", true},
                      NumberCase{"", false}, NumberCase{"-", false}, NumberCase{",", false},
                      NumberCase{"12a", false}, NumberCase{"1,2,3", false}, NumberCase{"12.5", false},
                      NumberCase{" 12", false}, NumberCase{"1e", false}, NumberCase{"9e99999", false}));

TEST(NumberText, dotsBecomeCommasAndTheMessageQuotesTheText)
{
    EXPECT_EQ(withDecimalComma("12.5.1"), "12,5,1");
    EXPECT_EQ(notANumberMessage("12a"), QStringLiteral("'12a' není platné císlo!"));
}

} // namespace
