// SPDX-License-Identifier: GPL-3.0-or-later
// Every field of the payment slip in one table: its name, its row on the layout
// page, its position settings and their designed values. The settings key table,
// the composition of a slip and the layout page are all built from it.
//
// A field's position settings are EditLayout<name> followed by X, Y and Dist (the
// character set). A field with a second place has three more: SX, SY, SDist (the
// left strip), or for a field whose second place is a second row under the first
// (the amount in words) X2, Y2, Dist2.
#pragma once

#include <QList>
#include <QString>

namespace kvitanky {

// clang-format off
// One line a field, in table order, which is also the order of its keys in the file:
//   F(name, caption, X, Y, Dist, second place?, SX, SY, SDist, second place read?,
//     second place is a row of its own?, that row's caption, layout group, row)
// Owner row 4 of the layout page holds the note of the variable-symbol mode.
#define KVITANKY_SLIP_FIELDS(F) \
    F(Price, "Cástka", 465, 29, 1, true, 50, 133, 2, true, false, {}, Recipient, 0) \
    F(AccountNum1, "Císlo úctu 1", 466, 61, 1, true, 50, 258, 2, true, false, {}, Owner, 0) \
    F(AccountNum2, "Císlo úctu 2", 580, 61, 1, true, 0, 0, 0, false, false, {}, Owner, 1) \
    F(AccountIDB, "Kód banky", 466, 93, 1, true, 0, 0, 0, false, false, {}, Owner, 2) \
    F(ConstS, "Konstantní symbol", 466, 126, 1, false, 0, 0, 0, false, false, {}, Owner, 3) \
    F(VS, "Variabilní symbol", 580, 93, 1, true, 50, 275, 2, true, false, {}, Recipient, 1) \
    F(SS, "Specifický symbol", 580, 126, 1, true, 50, 291, 2, true, false, {}, Recipient, 2) \
    F(OwnerAddress1, "Adresa 1. rádek", 238, 135, 2, true, 15, 200, 2, true, false, {}, Owner, 5) \
    F(OwnerAddress2, "Adresa 2. rádek", 238, 155, 2, true, 15, 218, 2, true, false, {}, Owner, 6) \
    F(OwnerAddress3, "Adresa 3. rádek", 238, 175, 2, true, 15, 239, 2, true, false, {}, Owner, 7) \
    F(OwnerMessage1, "Zpráva pro príj. 1.r.", 238, 205, 1, false, 0, 0, 0, false, false, {}, Owner, 9) \
    F(OwnerMessage2, "Zpráva pro príj. 2.r.", 238, 232, 1, false, 0, 0, 0, false, false, {}, Owner, 10) \
    F(OwnerTransCode, "Transakcní kód", 731, 29, 1, false, 0, 0, 0, false, false, {}, Owner, 11) \
    F(RecipientFirstName, "Jméno", 490, 180, 3, true, 15, 310, 2, true, false, {}, Recipient, 4) \
    F(RecipientSurname, "Príjmení", 490, 208, 3, true, 0, 0, 0, false, false, {}, Recipient, 5) \
    F(RecipientStreet, "Ulice", 490, 235, 3, true, 15, 330, 2, true, false, {}, Recipient, 6) \
    F(RecipientCity, "Obec", 490, 260, 3, true, 15, 350, 2, true, false, {}, Recipient, 7) \
    F(RecipientPostCode, "PSC", 490, 285, 3, true, 0, 0, 0, false, false, {}, Recipient, 8) \
    F(OwnerSubject, "Úcel platby", 50, 107, 2, false, 0, 0, 0, false, false, {}, Owner, 8) \
    F(PriceWord, "Cástka slovy 1.rád.", 25, 155, 2, true, 25, 175, 2, true, true, "Cástka slovy 2.rád.", Recipient, 9) \
    F(RecipientTitle, "Titul", 490, 180, 3, true, 0, 0, 0, false, false, {}, Recipient, 3) \
    F(PriceSM, "Halére ke slovum", 195, 175, 2, false, 0, 0, 0, false, false, {}, Recipient, 11)
// clang-format on

// The fields in table order.
enum class SlipField : int {
#define KVITANKY_SLIP_FIELD_ID(name, ...) name,
    KVITANKY_SLIP_FIELDS(KVITANKY_SLIP_FIELD_ID)
#undef KVITANKY_SLIP_FIELD_ID
};
#define KVITANKY_SLIP_FIELD_ONE(...) +1
inline constexpr int SlipFieldCount = 0 KVITANKY_SLIP_FIELDS(KVITANKY_SLIP_FIELD_ONE);
#undef KVITANKY_SLIP_FIELD_ONE

// The group of the layout page that holds a field's position boxes.
enum class LayoutGroup { Recipient, Owner };

struct SlipFieldDef {
    SlipField id;
    QString name;
    QString caption;        // row label on the layout page
    int x, y, dist;
    bool hasSecond;
    int sx, sy, sdist;
    bool secondUsed;        // false: the second-place boxes are never read (disabled)
    bool secondRow;         // the second place is a row of its own under the first (X2, Y2, Dist2)
    QString secondCaption;  // that row's label
    LayoutGroup group;
    int row;                // row in its group, from 0 at the top
};

// All fields, indexed by SlipField.
const QList<SlipFieldDef> &slipFields();

// The keys of one place of a field: its X, Y and character set.
struct SlipPlaceKeys {
    QString x;
    QString y;
    QString set;
};

// The keys of a field's places; `second` is empty for a field without one.
struct SlipFieldKeys {
    SlipPlaceKeys main;
    SlipPlaceKeys second;
};
const SlipFieldKeys &slipFieldKeys(SlipField field);

} // namespace kvitanky
