// SPDX-License-Identifier: GPL-3.0-or-later
// An account number typed whole ("19-2000145399/0800") into its three boxes: the
// "-" after the prefix moves the caret to the number box and the "/" after the
// number to the bank-code box; neither separator lands in a box.
// Pasted whole into any of the three boxes, it fills all three as typing does
// (a prefix it lacks empties the prefix box). Any other paste goes into its box
// only when it is digits that fit there (blanks dropped); else it is refused
// with a note and every box keeps what it held.
#pragma once

#include <QObject>

#include <optional>

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
    // Why a paste into `box` (its text going from `before` to `after`) is refused;
    // none when it goes in, as `after` now says.
    std::optional<QString> checkPaste(QLineEdit *box, const QString &before, QString &after);

    QLineEdit *m_prefix;
    QLineEdit *m_number;
    QLineEdit *m_bankCode;
};

} // namespace kvitanky
