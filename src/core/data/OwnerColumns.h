// SPDX-License-Identifier: GPL-3.0-or-later
// Every column of the owner directory Owners.dbf in one list: the layout of a new
// file, the grid and the boxes of the owners page are built from it. Code reaches
// a column through its OwnerColumn, never through its name written out.
#pragma once

#include "data/TableColumn.h"

#include <QList>

namespace kvitanky {

// clang-format off
// One line a column, in table order (also the grid's), fields as in RecipientColumns.h;
// the owner table is never exchanged, so its header names and titles stay empty.
#define KVITANKY_OWNER_COLUMNS(F) \
    F(Address1, "Address1", String, 30, 0, false, "Adresa 1. rádek", 0, "Adresa 1. rádek", 169, 0, "", "", 0, "", "") \
    F(Address2, "Address2", String, 30, 0, false, "Adresa 2. rádek", 0, "Adresa 2. rádek", 151, 0, "", "", 0, "", "") \
    F(Address3, "Address3", String, 30, 0, false, "Adresa 3. rádek", 0, "Adresa 3. rádek", 138, 0, "", "", 0, "", "") \
    F(Num1, "Num1", String, 7, 0, false, "Císlo úctu 1", 6, "Císlo úctu 1", 63, 0, "", "", 0, "", "") \
    F(Num2, "Num2", String, 11, 0, false, "Císlo úctu 2", 10, "Císlo úctu 2", 68, 10, "", "", 0, "", "") \
    F(IDB, "IDB", String, 5, 0, false, "Kód banky", 4, "Kód banky", 57, 0, "", "", 0, "", "") \
    F(ConstS, "ConstS", String, 11, 0, false, "Konstantní symbol", 4, "Konst. symbol", 76, 10, "", "", 0, "", "")
// clang-format on

enum class OwnerColumn : int { KVITANKY_OWNER_COLUMNS(KVITANKY_TABLE_COLUMN_ID) };
inline constexpr int OwnerColumnCount = 0 KVITANKY_OWNER_COLUMNS(KVITANKY_TABLE_COLUMN_ONE);

// All columns, indexed by OwnerColumn.
const QList<TableColumnDef> &ownerColumns();
const TableColumnDef &ownerColumn(OwnerColumn column);

inline QString columnName(OwnerColumn column) { return ownerColumn(column).name; }
inline DbfField fieldOf(DbfTable &table, OwnerColumn column) { return table.fieldByName(columnName(column)); }

} // namespace kvitanky
