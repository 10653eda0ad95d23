// SPDX-License-Identifier: GPL-3.0-or-later
// An account number typed whole ("19-2000145399/0800") into its three boxes: the
// "-" after the prefix moves the caret to the number box and the "/" after the
// number to the bank-code box; neither separator lands in a box.
#pragma once

#include <QObject>

class QLineEdit;

namespace kvitanky {

class AccountBoxKeys : public QObject
{
    Q_OBJECT
public:
    AccountBoxKeys(QLineEdit *prefix, QLineEdit *number, QLineEdit *bankCode);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_prefix;
    QLineEdit *m_number;
    QLineEdit *m_bankCode;
};

} // namespace kvitanky
