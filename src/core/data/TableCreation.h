// SPDX-License-Identifier: GPL-3.0-or-later
// The steps both program tables are created with.
#pragma once

#include "data/DbfTable.h"

namespace kvitanky {

// Unless the table is open: name it `path`. Unless it then exists (open, or its file
// is there): define `fields`, no index, create the empty file. Then open it.
void createProgramTable(DbfTable &table, const QString &path, const QList<FieldDef> &fields);

} // namespace kvitanky
