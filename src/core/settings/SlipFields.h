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

// The fields in table order, which is also the order of their keys in the file.
enum class SlipField : int {
    Price,
    AccountNum1,
    AccountNum2,
    AccountIDB,
    ConstS,
    VS,
    SS,
    OwnerAddress1,
    OwnerAddress2,
    OwnerAddress3,
    OwnerMessage1,
    OwnerMessage2,
    OwnerTransCode,
    RecipientFirstName,
    RecipientSurname,
    RecipientStreet,
    RecipientCity,
    RecipientPostCode,
    OwnerSubject,
    PriceWord,
    RecipientTitle,
    PriceSM,
};
inline constexpr int SlipFieldCount = int(SlipField::PriceSM) + 1;

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
