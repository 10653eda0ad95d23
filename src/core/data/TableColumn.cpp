// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TableColumn.h"

#include <QFileInfo>

namespace kvitanky {

int columnIndexIn(const DbfTable &table, const TableColumnDef &column)
{
    return table.active() ? table.fieldIndex(column.name) : -1;
}

int boxLimitIn(const DbfTable &table, const TableColumnDef &column)
{
    if (column.boxLimit > 0 || column.type != FieldType::String)
        return column.boxLimit;
    const int index = columnIndexIn(table, column);
    if (index < 0)
        return column.width;
    const int width = table.fields().at(index).size;
    return width > 0 ? width : column.width;
}

bool lacksOptionalColumn(const DbfTable &table, const TableColumnDef &column)
{
    return column.optional && table.active() && columnIndexIn(table, column) < 0;
}

QString missingColumnNote(const DbfTable &table, const TableColumnDef &column)
{
    if (!lacksOptionalColumn(table, column))
        return {};
    return QStringLiteral("Soubor %1 nemá sloupec %2; údaj nelze uložit.")
        .arg(QFileInfo(table.tableName()).fileName(), column.name);
}

} // namespace kvitanky
