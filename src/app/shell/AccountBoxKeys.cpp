// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AccountBoxKeys.h"

#include "print/AccountParts.h"
#include "shell/LineBoxFilter.h"
#include "text/InsertedText.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace kvitanky {

AccountBoxKeys::AccountBoxKeys(QLineEdit *prefix, QLineEdit *number, QLineEdit *bankCode)
    : QObject(prefix), m_prefix(prefix), m_number(number), m_bankCode(bankCode)
{
    m_prefix->installEventFilter(this);
    m_number->installEventFilter(this);
    for (QLineEdit *box : {m_prefix, m_number, m_bankCode}) {
        if (LineBoxFilter *filter = lineBoxFilter(box))
            filter->setEditRule([this, box](const QString &before, QString &after) {
                return checkPaste(box, before, after);
            });
    }
}

std::optional<QString> AccountBoxKeys::checkPaste(QLineEdit *box, const QString &before, QString &after)
{
    const QString pasted = insertedText(before, after);
    if (pasted.size() <= 1)
        return std::nullopt;   // typed: goes as typing goes
    if (const std::optional<AccountParts> parts = splitAccount(after)) {
        // The other boxes first; this one takes its part as the paste.
        const QString texts[] = {parts->prefix, parts->number, parts->bankCode};
        QLineEdit *boxes[] = {m_prefix, m_number, m_bankCode};
        for (int i = 0; i < 3; ++i) {
            if (boxes[i] == box)
                after = texts[i].isEmpty() && i == 2 ? before : texts[i];
            else if (i < 2 || !texts[i].isEmpty())
                boxes[i]->setText(texts[i]);
        }
        return std::nullopt;
    }
    QString digits = after;
    digits.removeIf([](QChar c) { return c.isSpace(); });
    const bool allDigits = !digits.isEmpty()
                           && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= '0' && c <= '9'; });
    const LineBoxFilter *filter = lineBoxFilter(box);
    const int limit = filter ? filter->limit() : 0;
    if (!allDigits || (limit > 0 && digits.size() > limit))
        return QStringLiteral("„%1“ není číslo účtu, které se do políčka vejde; nebylo vloženo.").arg(pasted.trimmed());
    after = digits;
    return std::nullopt;
}

bool AccountBoxKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const QString typed = static_cast<QKeyEvent *>(event)->text();
    QLineEdit *next = nullptr;
    if (watched == m_prefix && typed == QLatin1String("-"))
        next = m_number;
    else if (watched == m_number && typed == QLatin1String("/"))
        next = m_bankCode;
    if (!next)
        return QObject::eventFilter(watched, event);
    // The part typed next replaces what the box held.
    next->setFocus(Qt::TabFocusReason);
    next->selectAll();
    return true;
}

} // namespace kvitanky
