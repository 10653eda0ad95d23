// SPDX-License-Identifier: GPL-3.0-or-later
// The owner directory Owners.dbf: its columns, its creation and its sample rows.
#pragma once

#include "data/DbfTable.h"

#include <QList>
#include <QString>

namespace kvitanky {

inline constexpr const char *kOwnerFileName = "Owners.dbf";

// The columns of a new file, in table order (OwnerColumns.h).
QList<FieldDef> ownerFields();

// Owners.dbf in the program folder.
QString ownerTablePath(const QString &programDir);

// As CreateRecipientTable, for Owners.dbf.
void CreateOwnerTable(DbfTable &table, const QString &programDir);

// Appends the four sample owners and moves to the first row.
void AddSampleOwners(DbfTable &table);

} // namespace kvitanky
