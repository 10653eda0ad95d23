// SPDX-License-Identifier: GPL-3.0-or-later
// The account's check digits against their definition: the weight of the digit k
// places from the right is 2^k mod 11, and a valid part sums to a multiple of 11.
// Random parts of every length, made valid by one digit, must pass; the same with
// one digit changed must fail. Any other weight at any place fails this test.
#include "print/AccountNumber.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <cstdio>
#include <ostream>
#include <random>
#include <string>

using namespace kvitanky;

namespace {

int weightFromRight(int k)
{
    int w = 1;
    for (int i = 0; i < k; ++i)
        w = w * 2 % 11;
    return w;
}

int definedSum(const std::string &digits)
{
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * weightFromRight(int(i));
    return sum % 11;
}

struct Part {
    const char *name;
    int length;   // the most digits the part may have
    bool isPrefix;
};

void PrintTo(const Part &p, std::ostream *os) { *os << p.name; }

class AccountDigits : public ::testing::TestWithParam<Part> {};

TEST_P(AccountDigits, WeightsAreTwoToThePlaceModEleven)
{
    const Part part = GetParam();
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    const auto fault = [&](const std::string &digits) {
        const QString text = QString::fromStdString(digits);
        const AccountCheck c = part.isPrefix ? checkAccount(text, QStringLiteral("2000145399"), QStringLiteral("0800"))
                                             : checkAccount(QString(), text, QStringLiteral("0800"));
        return (part.isPrefix ? c.prefixFault : c.numberFault).toStdString();
    };
    int checked = 0;
    while (checked < 3000) {
        std::string digits(size_t(std::uniform_int_distribution<int>(1, part.length)(rng)), '0');
        for (char &d : digits)
            d = char('0' + std::uniform_int_distribution<int>(0, 9)(rng));
        // One place chosen to make the sum a multiple of 11; skipped when no digit can.
        const size_t fix = std::uniform_int_distribution<size_t>(0, digits.size() - 1)(rng);
        bool made = false;
        for (char d = '0'; d <= '9' && !made; ++d) {
            digits[fix] = d;
            made = definedSum(digits) == 0;
        }
        if (!made || digits.find_first_not_of('0') == std::string::npos)
            continue;
        ++checked;
        ASSERT_EQ(fault(digits), "") << digits << ", seed " << seed;
        std::string changed = digits;
        const size_t at = std::uniform_int_distribution<size_t>(0, digits.size() - 1)(rng);
        changed[at] = char('0' + (changed[at] - '0' + std::uniform_int_distribution<int>(1, 9)(rng)) % 10);
        ASSERT_NE(fault(changed), "") << changed << " (from " << digits << "), seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, AccountDigits,
                         ::testing::Values(Part{"prefix", 6, true}, Part{"number", 10, false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
