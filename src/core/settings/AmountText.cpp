// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AmountText.h"

#include "text/InsertedText.h"

namespace kvitanky {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

AmountText::AmountText(const QString &text)
{
    QString *part = &m_koruny;
    bool signAllowed = true;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if (isDigit(c)) {
            part->append(c);
        } else if (signAllowed && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
            m_negative = c == QLatin1Char('-');
        } else if (part == &m_koruny && (c == QLatin1Char(',') || c == QLatin1Char('.'))) {
            part = &m_halere;
        } else {
            m_koruny.clear();   // no amount
            m_halere.clear();
            return;
        }
        signAllowed = false;
    }
    m_amount = true;
}

QString AmountText::plain() const
{
    if (m_koruny.isEmpty() && m_halere.isEmpty())
        return QStringLiteral("0");
    QString text = m_negative ? QStringLiteral("-") : QString();
    text += m_koruny.isEmpty() ? QStringLiteral("0") : m_koruny;
    if (!m_halere.isEmpty())
        text += QLatin1Char(',') + m_halere;
    return text;
}

QString AmountText::refusal(const QString &before, const QString &after)
{
    const AmountText was(before);
    const AmountText is(after);
    if (!is.isAmount()) {
        // Editing a text from the file that is no amount ("****"): the box's
        // number check reports what is left.
        if (!was.isAmount())
            return QString();
        const QString inserted = insertedText(before, after);
        if (inserted.size() == 1)
            return QStringLiteral("Znak „%1“ do částky nepatří, nebyl vložen.").arg(inserted);
        return QStringLiteral("„%1“ není částka, nebylo vloženo.").arg((inserted.isEmpty() ? after : inserted).trimmed());
    }
    const bool longer = (is.m_koruny.size() > KorunaDigits && is.m_koruny.size() > was.m_koruny.size())
                        || (is.m_halere.size() > HalerDigits && is.m_halere.size() > was.m_halere.size());
    if (!longer)
        return QString();
    return QStringLiteral("Částka „%1“ se do kvitance nevejde (nejvýše %2 číslic korun a %3 číslice haléřů), "
                          "nebyla vložena.")
        .arg(after.trimmed())
        .arg(KorunaDigits)
        .arg(HalerDigits);
}

} // namespace kvitanky
