// SPDX-License-Identifier: GPL-3.0-or-later
// The settings the program's code names, as constants: a misspelt key does not
// compile. Each line is one setting of the key table (SettingKeys.h):
//     S(section, form, key, designed value)
// in save order within its section; a flag's designed value is "1" or "0". The
// position keys of the slip fields are not named here: they come from the slip
// field table (SlipFields.h).
#pragma once

#include <QString>

#include <stdexcept>
#include <string>

// clang-format off
#define KVITANKY_NAMED_SETTINGS(S)                                                  \
    S(Layout, Flag, CheckBoxLayoutShow, "1")                                        \
    S(Layout, Flag, CheckBoxLayoutPictureOn, "1")                                   \
    S(Owner, Text, EditSetOwnerAddress1, "STÁTNÍ SPRÁVA CR")                        \
    S(Owner, Text, EditSetOwnerAddress2, "U Veselícka 123")                         \
    S(Owner, Text, EditSetOwnerAddress3, "378 81")                                  \
    S(Owner, Text, EditSetOwnerAccountNum1, "123456")                               \
    S(Owner, Text, EditSetOwnerAccountNum2, "0123456789")                           \
    S(Owner, Text, EditSetOwnerAccountIDB, "0000")                                  \
    S(Owner, Text, EditSetOwnerAccountConstS, "0000")                               \
    S(Owner, Text, EditSetOwnerAddressSubject, "Vodné stocné")                      \
    S(Owner, Text, EditSetOwnerAddressMessage1, "Zpráva pro")                       \
    S(Owner, Text, EditSetOwnerAddressMessage2, "príjemce")                         \
    S(Owner, Text, EditSetOwnerTransCode, "")                                       \
    S(Set, Text, EditSetOtherCharSet1, "Arial")                                     \
    S(Set, Text, EditSetOtherCharSet2, "Arial")                                     \
    S(Set, Text, EditSetOtherCharSet3, "Arial")                                     \
    S(Set, Text, EditSetOtherDistance1, "19")                                       \
    S(Set, Text, EditSetOtherDistance2, "0")                                        \
    S(Set, Text, EditSetOtherDistance3, "0")                                        \
    S(Set, Text, EditSetOtherFontSize1, "10")                                       \
    S(Set, Text, EditSetOtherFontSize2, "9")                                        \
    S(Set, Text, EditSetOtherFontSize3, "12")                                       \
    S(Set, Text, EditSetOtherLengthFirstPriceRow, "25")                             \
    S(Set, Flag, CheckBoxSetOtherOffOverflowSecondRowPrice, "0")                    \
    S(Set, Flag, CheckBoxSetOtherNotPrintPrice, "0")                                \
    S(Set, Flag, CheckBoxSetOwnersAdr, "0")                                         \
    S(Set, Flag, CheckBoxSetOwnersKS_VS, "0")                                       \
    S(Calibration, Text, EditCalibrationPrintSizePDFX, "4900")                      \
    S(Calibration, Text, EditCalibrationPrintSizePDFY, "2350")                      \
    S(Calibration, Text, EditCalibrationPrintNullAxesX, "-1")                       \
    S(Calibration, Text, EditCalibrationPrintNullAxesY, "1")                        \
    S(Data, Text, EditDataPriceWord, "")                                            \
    S(Data, Flag, CheckBoxDataShowTitle, "1")
// clang-format on

namespace kvitanky::key {

#define KVITANKY_SETTING_KEY_CONSTANT(section, form, name, designed) inline const QString name = QStringLiteral(#name);
KVITANKY_NAMED_SETTINGS(KVITANKY_SETTING_KEY_CONSTANT)
#undef KVITANKY_SETTING_KEY_CONSTANT

// The three settings of character set `set` (1 to 3).
struct CharacterSetKeys {
    const QString &family;
    const QString &pointSize;
    const QString &spacing;
};
inline CharacterSetKeys characterSet(int set)
{
    switch (set) {
    case 1:
        return {EditSetOtherCharSet1, EditSetOtherFontSize1, EditSetOtherDistance1};
    case 2:
        return {EditSetOtherCharSet2, EditSetOtherFontSize2, EditSetOtherDistance2};
    case 3:
        return {EditSetOtherCharSet3, EditSetOtherFontSize3, EditSetOtherDistance3};
    default:
        throw std::logic_error("character set " + std::to_string(set) + " does not exist");
    }
}

} // namespace kvitanky::key
