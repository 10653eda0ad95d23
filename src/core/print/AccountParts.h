// SPDX-License-Identifier: GPL-3.0-or-later
// An account written whole, as people copy it from an invoice or a web page
// ("19-2000145399/0800", "2000145399/0800", "19 - 2000145399 / 0800"), split into
// the three boxes the program keeps it in.
#pragma once

#include <QString>

#include <optional>

namespace kvitanky {

struct AccountParts {
    QString prefix;     // empty when the text has none
    QString number;
    QString bankCode;   // empty when the text has none ("19-2000145399")
};

// The parts of a text that is an account with at least one of its separators
// ("-" after a prefix of up to 6 digits, "/" before a bank code of 4 digits)
// around a number of up to 10 digits; blanks anywhere are ignored. None for any
// other text, plain digits included (they are one part, not a whole account).
std::optional<AccountParts> splitAccount(const QString &text);

} // namespace kvitanky
