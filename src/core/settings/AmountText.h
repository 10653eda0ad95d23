// SPDX-License-Identifier: GPL-3.0-or-later
// The amount box read as the slip's boxes hold an amount: at most 8 digits of
// koruny and 2 of haléře, an optional sign, a decimal comma (or dot) before the
// haléře. Blanks anywhere are free, since people group thousands with them
// ("1 250 000,50", also no-break spaces); a text without any digit ("", "-", ",",
// or " 500" on its way to "2 500") is an amount still being typed, and a text
// without a digit stands for 0.
#pragma once

#include <QString>

namespace kvitanky {

class AmountText
{
public:
    static constexpr int KorunaDigits = 8;
    static constexpr int HalerDigits = 2;

    explicit AmountText(const QString &text);

    // Read as an amount, whether or not the boxes hold it; false for any other
    // text ("12a", "1e3", "1,2,5").
    bool isAmount() const { return m_amount; }
    // An amount the slip's boxes hold.
    bool fits() const { return m_amount && m_koruny.size() <= KorunaDigits && m_halere.size() <= HalerDigits; }
    // The amount as the table takes it ("-1250000,5"); "0" for a text without digits.
    QString plain() const;

    // Why the box refuses the user's edit from `before` to `after`; empty when the
    // edit is let in. Refused are an amount the boxes cannot hold (a longer one the
    // program put there may still be shortened) and any text that is no amount,
    // typed or pasted; the box keeps what it held. A text from the file that is
    // no amount is left to the box's number check.
    static QString refusal(const QString &before, const QString &after);

private:
    bool m_amount = false;
    bool m_negative = false;
    QString m_koruny;   // digits before the decimal separator, as written
    QString m_halere;   // digits after it
};

} // namespace kvitanky
