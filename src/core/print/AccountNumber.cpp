// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccountNumber.h"

#include <QStringList>

#include <algorithm>

namespace kvitanky {

namespace {

constexpr int PrefixWeights[] = {10, 5, 8, 4, 2, 1};
constexpr int NumberWeights[] = {6, 3, 7, 9, 10, 5, 8, 4, 2, 1};

bool allDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool allZeros(const QString &digits)
{
    for (const QChar c : digits) {
        if (c != QLatin1Char('0'))
            return false;
    }
    return true;
}

// Weighted sum of the digits, right-aligned against the weights.
template <size_t N>
int weightedSum(const QString &digits, const int (&weights)[N])
{
    int sum = 0;
    const qsizetype offset = qsizetype(N) - digits.size();
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (digits[i].unicode() - '0') * weights[offset + i];
    return sum;
}

template <size_t N>
QString partFault(const QString &digits, const int (&weights)[N], const QString &what, bool required)
{
    const QString quoted = what + QStringLiteral(" '") + digits + QStringLiteral("' ");
    if (digits.isEmpty() || (allDigits(digits) && allZeros(digits)))
        return required ? what + QStringLiteral(" chybí.") : QString();
    if (!allDigits(digits))
        return quoted + QStringLiteral("smí obsahovat jen číslice.");
    if (digits.size() > qsizetype(N))
        return quoted + QStringLiteral("má víc než %1 číslic.").arg(N);
    if (weightedSum(digits, weights) % 11 != 0)
        return quoted + QStringLiteral("nemá platné kontrolní číslice.");
    return QString();
}

} // namespace

QString AccountCheck::message() const
{
    QStringList lines;
    for (const QString *f : {&prefixFault, &numberFault, &bankCodeFault}) {
        if (!f->isEmpty())
            lines << *f;
    }
    return lines.join(QLatin1Char('\n'));
}

AccountCheck checkAccount(const QString &prefix, const QString &number, const QString &bankCode)
{
    AccountCheck c;
    c.prefixFault = partFault(prefix.trimmed(), PrefixWeights, QStringLiteral("Předčíslí účtu"), false);
    c.numberFault = partFault(number.trimmed(), NumberWeights, QStringLiteral("Číslo účtu"), true);
    const QString bank = bankCode.trimmed();
    if (bank.size() != 4 || !allDigits(bank))
        c.bankCodeFault = QStringLiteral("Kód banky '") + bank + QStringLiteral("' musí mít právě 4 číslice.");
    return c;
}

QString accountText(const QString &prefix, const QString &number, const QString &bankCode)
{
    const QString p = prefix.trimmed();
    QString text;
    if (!p.isEmpty() && !(allDigits(p) && allZeros(p)))
        text = p + QLatin1Char('-');
    return text + number.trimmed() + QLatin1Char('/') + bankCode.trimmed();
}

bool accountLeftBlank(const QString &prefix, const QString &number, const QString &bankCode)
{
    const auto blankOrZero = [](const QString &text) {
        const QString t = text.trimmed();
        return std::all_of(t.begin(), t.end(), [](QChar c) { return c == QLatin1Char('0'); });
    };
    return blankOrZero(prefix) && blankOrZero(number) && blankOrZero(bankCode);
}

} // namespace kvitanky
