// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipFields.h"

#include <vector>

namespace kvitanky {

const QList<SlipFieldDef> &slipFields()
{
    using enum SlipField;
    using enum LayoutGroup;
    // clang-format off
    static const QList<SlipFieldDef> fields = {
        // id, name, caption, X, Y, Dist, second place?, SX, SY, SDist, second read?, second row?, its caption, group, row
        {Price, "Price", "Cástka", 465, 29, 1, true, 50, 133, 2, true, false, {}, Recipient, 0},
        {AccountNum1, "AccountNum1", "Císlo úctu 1", 466, 61, 1, true, 50, 258, 2, true, false, {}, Owner, 0},
        {AccountNum2, "AccountNum2", "Císlo úctu 2", 580, 61, 1, true, 0, 0, 0, false, false, {}, Owner, 1},
        {AccountIDB, "AccountIDB", "Kód banky", 466, 93, 1, true, 0, 0, 0, false, false, {}, Owner, 2},
        {ConstS, "ConstS", "Konstantní symbol", 466, 126, 1, false, 0, 0, 0, false, false, {}, Owner, 3},
        // Owner row 4 holds the note of the variable-symbol mode.
        {VS, "VS", "Variabilní symbol", 580, 93, 1, true, 50, 275, 2, true, false, {}, Recipient, 1},
        {SS, "SS", "Specifický symbol", 580, 126, 1, true, 50, 291, 2, true, false, {}, Recipient, 2},
        {OwnerAddress1, "OwnerAddress1", "Adresa 1. rádek", 238, 135, 2, true, 15, 200, 2, true, false, {}, Owner, 5},
        {OwnerAddress2, "OwnerAddress2", "Adresa 2. rádek", 238, 155, 2, true, 15, 218, 2, true, false, {}, Owner, 6},
        {OwnerAddress3, "OwnerAddress3", "Adresa 3. rádek", 238, 175, 2, true, 15, 239, 2, true, false, {}, Owner, 7},
        {OwnerMessage1, "OwnerMessage1", "Zpráva pro príj. 1.r.", 238, 205, 1, false, 0, 0, 0, false, false, {}, Owner, 9},
        {OwnerMessage2, "OwnerMessage2", "Zpráva pro príj. 2.r.", 238, 232, 1, false, 0, 0, 0, false, false, {}, Owner, 10},
        {OwnerTransCode, "OwnerTransCode", "Transakcní kód", 731, 29, 1, false, 0, 0, 0, false, false, {}, Owner, 11},
        {RecipientFirstName, "RecipientFirstName", "Jméno", 490, 180, 3, true, 15, 310, 2, true, false, {}, Recipient, 4},
        {RecipientSurname, "RecipientSurname", "Príjmení", 490, 208, 3, true, 0, 0, 0, false, false, {}, Recipient, 5},
        {RecipientStreet, "RecipientStreet", "Ulice", 490, 235, 3, true, 15, 330, 2, true, false, {}, Recipient, 6},
        {RecipientCity, "RecipientCity", "Obec", 490, 260, 3, true, 15, 350, 2, true, false, {}, Recipient, 7},
        {RecipientPostCode, "RecipientPostCode", "PSC", 490, 285, 3, true, 0, 0, 0, false, false, {}, Recipient, 8},
        {OwnerSubject, "OwnerSubject", "Úcel platby", 50, 107, 2, false, 0, 0, 0, false, false, {}, Owner, 8},
        {PriceWord, "PriceWord", "Cástka slovy 1.rád.", 25, 155, 2, true, 25, 175, 2, true, true, "Cástka slovy 2.rád.", Recipient, 9},
        {RecipientTitle, "RecipientTitle", "Titul", 490, 180, 3, true, 0, 0, 0, false, false, {}, Recipient, 3},
        {PriceSM, "PriceSM", "Halére ke slovum", 195, 175, 2, false, 0, 0, 0, false, false, {}, Recipient, 11},
    };
    // clang-format on
    return fields;
}

const SlipFieldKeys &slipFieldKeys(SlipField field)
{
    // Built once: composition reads some sixty of them for every slip.
    static const std::vector<SlipFieldKeys> table = [] {
        std::vector<SlipFieldKeys> t;
        for (const SlipFieldDef &f : slipFields()) {
            const QString base = QStringLiteral("EditLayout") + f.name;
            SlipFieldKeys k{{base + "X", base + "Y", base + "Dist"}, {}};
            if (f.secondRow)
                k.second = {base + "X2", base + "Y2", base + "Dist2"};
            else if (f.hasSecond)
                k.second = {base + "SX", base + "SY", base + "SDist"};
            t.push_back(k);
        }
        return t;
    }();
    return table[size_t(field)];
}

} // namespace kvitanky
