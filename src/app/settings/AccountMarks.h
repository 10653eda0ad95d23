// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's account boxes (settings page, owner page) show a wrong account while
// it is typed: the faulty box in red with the reason as its tool tip.
#pragma once

class QLineEdit;

namespace kvitanky {

// Keeps the three boxes marked from now on; each box's property "accountFault"
// holds the reason (empty when right).
void markAccountAsTyped(QLineEdit *prefix, QLineEdit *number, QLineEdit *bankCode);

} // namespace kvitanky
