// SPDX-License-Identifier: GPL-3.0-or-later
// The recipient table Data.dbf: its columns, its creation and its sample rows.
#pragma once

#include "data/DbfTable.h"

#include <QList>
#include <QString>

namespace kvitanky {

inline constexpr const char *kRecipientFileName = "Data.dbf";

// The columns of a new file, in table order (RecipientColumns.h).
QList<FieldDef> recipientFields();

// Data.dbf in the program folder.
QString recipientTablePath(const QString &programDir);

// Unless the table already exists: closes it, names it Data.dbf in programDir and
// creates the empty file with its columns. Then opens it.
void CreateRecipientTable(DbfTable &table, const QString &programDir);

// Appends the four sample recipients (each Append posts the one before, the last
// is posted) and moves to the first row.
void AddSampleRecipients(DbfTable &table);

} // namespace kvitanky
