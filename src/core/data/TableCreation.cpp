// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TableCreation.h"

namespace kvitanky {

void createProgramTable(DbfTable &table, const QString &path, const QList<FieldDef> &fields)
{
    // A closed table is pointed at `path` before asking whether it exists, so that an
    // existing file is opened, never overwritten with an empty one.
    if (!table.active()) {
        table.setTableType(TableType::FoxPro);
        table.setTableName(path);
    }
    if (!table.exists()) {
        table.clearFieldDefs();
        for (const FieldDef &f : fields)
            table.addFieldDef(f.name, f.type, f.size);
        table.clearIndexDefs();
        table.createTable();
    }
    table.setActive(true);
}

} // namespace kvitanky
