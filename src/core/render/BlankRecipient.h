// SPDX-License-Identifier: GPL-3.0-or-later
// A recipient record nobody has typed into: what "Vložit nový" leaves in a new
// record, or the nothing of an empty table. No slip is made of it.
#pragma once

#include <QString>

namespace kvitanky {

class RecipientSource;

// The texts "Vložit nový" puts into the telephone and e-mail boxes of a new record.
inline const QString NewRecipientPhone = QStringLiteral("+420 ");
inline const QString NewRecipientEmail = QStringLiteral("@");

// True when the record holds no text beyond those defaults and no amount other
// than 0 (an amount the file cannot read counts as something); the exclusion
// mark does not count. A closed or empty table reads as blank.
bool isBlankRecipient(const RecipientSource &record);

} // namespace kvitanky
