// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberText.h"

#include <cmath>

namespace kvitanky {

QString withDecimalComma(QString text)
{
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

bool isCommaDecimalNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    bool comma = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else if (c == QLatin1Char(',') && !comma) {
            comma = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        int expDigits = 0;
        for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
            ++expDigits;
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    // A number that a double cannot hold ("9e99999") is no number for the table either.
    QString c = text;
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = c.toDouble(&ok);
    return ok && std::isfinite(v);
}

QString notANumberMessage(const QString &text)
{
    return QStringLiteral("'") + text + QStringLiteral("' není platné císlo!");
}

} // namespace kvitanky
