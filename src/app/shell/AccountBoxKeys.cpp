// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AccountBoxKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace kvitanky {

AccountBoxKeys::AccountBoxKeys(QLineEdit *prefix, QLineEdit *number, QLineEdit *bankCode)
    : QObject(prefix), m_prefix(prefix), m_number(number), m_bankCode(bankCode)
{
    m_prefix->installEventFilter(this);
    m_number->installEventFilter(this);
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
