// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/RecipientColumns.h"

namespace kvitanky {

const QList<TableColumnDef> &recipientColumns()
{
    static const QList<TableColumnDef> list = {KVITANKY_RECIPIENT_COLUMNS(KVITANKY_TABLE_COLUMN_DEF)};
    return list;
}

const TableColumnDef &recipientColumn(RecipientColumn column)
{
    return recipientColumns().at(int(column));
}

} // namespace kvitanky
