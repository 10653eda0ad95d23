// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccountMarks.h"

#include "print/AccountNumber.h"

#include <QLineEdit>
#include <QPalette>

namespace kvitanky {

namespace {

void mark(QLineEdit *box, const QString &fault)
{
    if (box->property("accountFault").toString() == fault && box->property("accountFault").isValid())
        return;
    box->setProperty("accountFault", fault);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, fault.isEmpty() ? QPalette().color(QPalette::Text) : QColor(Qt::red));
    box->setPalette(palette);
    box->setToolTip(fault);
}

} // namespace

void markAccountAsTyped(QLineEdit *prefix, QLineEdit *number, QLineEdit *bankCode)
{
    const auto refresh = [prefix, number, bankCode] {
        const AccountCheck c = checkAccount(prefix->text(), number->text(), bankCode->text());
        mark(prefix, c.prefixFault);
        mark(number, c.numberFault);
        mark(bankCode, c.bankCodeFault);
    };
    for (QLineEdit *box : {prefix, number, bankCode})
        QObject::connect(box, &QLineEdit::textChanged, box, refresh);
    refresh();
}

} // namespace kvitanky
