// SPDX-License-Identifier: GPL-3.0-or-later
// The number check of the account, amount and symbol boxes.
#pragma once

#include <QString>

namespace kvitanky {

// Dots become decimal commas (12.5 -> 12,5).
QString withDecimalComma(QString text);

// A decimal number written with a decimal comma: optional sign, digits with at
// most one comma (at least one digit), optional exponent. No blanks.
bool isCommaDecimalNumber(const QString &text);

// The message for a text that is not a number: "'12a' není platné císlo!".
QString notANumberMessage(const QString &text);

} // namespace kvitanky
