// SPDX-License-Identifier: GPL-3.0-or-later
// The payee's bank account as a Czech bank prints it: prefix, number and bank code.
// Prefix and number carry check digits: each digit, right-aligned, times its weight
// (prefix 10, 5, 8, 4, 2, 1; number 6, 3, 7, 9, 10, 5, 8, 4, 2, 1) must sum to a
// multiple of 11. The bank code is four digits.
#pragma once

#include <QString>

namespace kvitanky {

struct AccountCheck {
    QString prefixFault;   // empty when the part is right
    QString numberFault;
    QString bankCodeFault;

    bool ok() const { return prefixFault.isEmpty() && numberFault.isEmpty() && bankCodeFault.isEmpty(); }
    // All faults in one Czech sentence each, separated by line breaks.
    QString message() const;
};

// Blanks around a part are ignored. An empty prefix, or one of zeros, means none.
AccountCheck checkAccount(const QString &prefix, const QString &number, const QString &bankCode);

// The account as it is written: "19-2000145399/0800", without a prefix of 0.
QString accountText(const QString &prefix, const QString &number, const QString &bankCode);

// Prefix, number and bank code all empty or zeros only (the designed bank code is
// "0000"): the form has the account pre-printed, so the slip prints none of it and
// nothing checks it.
bool accountLeftBlank(const QString &prefix, const QString &number, const QString &bankCode);

} // namespace kvitanky
