// SPDX-License-Identifier: GPL-3.0-or-later
// The owner's fixed data on the settings page and the owner directory's columns
// it is filled from.
#pragma once

#include <QList>
#include <QString>

#include <functional>

class QLineEdit;

namespace kvitanky {

class DbfTable;

struct OwnerColumnSetting {
    QString column;   // column of Owners.dbf
    QString key;      // settings box the column is copied into
};

// The seven columns in table order.
const QList<OwnerColumnSetting> &ownerColumnSettings();

// Puts the current owner of `owners` into the settings boxes, in table order. Each
// box's own change handler runs (the account boxes check their number). A closed
// or empty table changes nothing. `editOf` finds a settings box by its key.
void CopyOwnerToSettings(DbfTable &owners, const std::function<QLineEdit *(const QString &)> &editOf);

} // namespace kvitanky
