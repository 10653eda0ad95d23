// SPDX-License-Identifier: GPL-3.0-or-later
// The spelling of the amount in words as the settings file keeps it.
//
// The section PRICE_WORDS holds one flag, CheckBoxPriceWordsCzech (the objectName
// of its check box): 1 spells the words in correct Czech. A settings file without
// the section is read as the designed spelling, and it gets the section only once
// the correct spelling is chosen, so such a file is saved as before.
#pragma once

#include "render/PriceWords.h"

#include <QString>

namespace kvitanky {

class IniFile;

namespace PriceWordSetting {

extern const QString Section;
extern const QString Key;

WordSpelling read(const IniFile &file);
void save(IniFile &file, WordSpelling spelling);

} // namespace PriceWordSetting

} // namespace kvitanky
