// SPDX-License-Identifier: GPL-3.0-or-later
// Every column of the recipient table Data.dbf in one list: the layout of a new
// file, the grid, the boxes of the recipient page, the CSV import and export, the
// workbook and the import preview are all built from it. Code reaches a column
// through its RecipientColumn, never through its name written out.
//
// An optional column may be missing from an older or foreign file: its box is then
// disabled, the exports write it empty and the import does not keep it. The slip
// needs every other column; a file without one is named at the start and what
// needs the column is refused with that reason.
#pragma once

#include "data/TableColumn.h"

#include <QList>

namespace kvitanky {

// clang-format off
// One line a column, in table order, which is also the order of the grid, of the
// full CSV layout and of the workbook:
//   F(id, name, type, width, decimals, optional, box caption, box limit (0: the file's width),
//     grid title, grid width, grid characters, header names ("|" between them),
//     workbook title, workbook width, workbook number format, preview title)
#define KVITANKY_RECIPIENT_COLUMNS(F) \
    F(Title, "TITUL", String, 10, 0, false, "Titul", 0, "Titul", 50, 0, "Titul|Title|Oslovení", "Titul", 8, "", "Titul") \
    F(FirstName, "JMENO", String, 30, 0, false, "Jméno", 0, "Jméno", 82, 0, "Jméno|Křestní jméno|First name", "Jméno", 10, "", "Jméno") \
    F(Surname, "PRIJMENI", String, 30, 0, false, "Príjmení", 0, "Príjmení", 76, 0, "Příjmení|Surname|Last name|Název|Jméno Příjmení", "Príjmení", 12, "", "Příjmení") \
    F(Street, "ULICE", String, 30, 0, false, "Ulice", 0, "Ulice", 129, 0, "Ulice|Ulice, č. p.|Adresa|Street", "Ulice", 20, "", "Ulice") \
    F(City, "OBEC", String, 30, 0, false, "Obec", 0, "Obec", 148, 0, "Obec|Místo|Město|City|Town", "Obec", 20, "", "Obec") \
    F(PostCode, "PSC", String, 10, 0, false, "PSC", 0, "PSC", 65, 10, "PSČ|Post code|ZIP", "PSC", 12, "", "PSČ") \
    F(Amount, "CASTKA", Float, 20, 4, false, "Cástka", 8, "Cástka", 0, 10, "Částka|Amount|Kč|Částka Kč", "Cástka", 13, "#,##0.00", "Částka") \
    F(VarSymbol, "VAR_SYMB", String, 12, 0, false, "Variabilní symbol", 10, "Var. symbol", 0, 10, "Var. symb.|Var. symbol|Variabilní symbol|VS", "Var. symbol", 12, "", "Var. symbol") \
    F(SpecSymbol, "SPEC_SYMB", String, 12, 0, false, "Specifický symbol", 10, "Spec. symbol", 0, 10, "Spec. symb.|Spec. symbol|Specifický symbol|SS", "Spec. symbol", 12, "", "Spec. symbol") \
    F(Phone, "TELEFON", String, 20, 0, true, "Telefon", 0, "Telefon", 121, 0, "Telefon|Tel.|Phone|Mobil", "Telefon", 18, "", "Telefon") \
    F(Email, "EMAIL", String, 40, 0, true, "Email", 0, "Email", 173, 0, "Email|Mail", "Email", 20, "", "Email") \
    F(Excluded, "VYRAZENO", Smallint, 6, 0, false, "Vyrazeno z tisku", 0, "Vyrazeno", 53, 0, "Vyřazeno|Vyřazeno z tisku|Vyřazen", "Vyrazeno", 10, "", "Vyřazeno")
// clang-format on

enum class RecipientColumn : int { KVITANKY_RECIPIENT_COLUMNS(KVITANKY_TABLE_COLUMN_ID) };
inline constexpr int RecipientColumnCount = 0 KVITANKY_RECIPIENT_COLUMNS(KVITANKY_TABLE_COLUMN_ONE);

// All columns, indexed by RecipientColumn.
const QList<TableColumnDef> &recipientColumns();
const TableColumnDef &recipientColumn(RecipientColumn column);

// The column's name in the file.
inline QString columnName(RecipientColumn column) { return recipientColumn(column).name; }

// The column of the current record; DbfError when the table lacks it.
inline DbfField fieldOf(DbfTable &table, RecipientColumn column) { return table.fieldByName(columnName(column)); }

} // namespace kvitanky
