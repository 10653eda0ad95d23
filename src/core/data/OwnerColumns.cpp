// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/OwnerColumns.h"

namespace kvitanky {

const QList<TableColumnDef> &ownerColumns()
{
    static const QList<TableColumnDef> list = {KVITANKY_OWNER_COLUMNS(KVITANKY_TABLE_COLUMN_DEF)};
    return list;
}

const TableColumnDef &ownerColumn(OwnerColumn column)
{
    return ownerColumns().at(int(column));
}

} // namespace kvitanky
