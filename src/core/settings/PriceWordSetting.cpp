// SPDX-License-Identifier: GPL-3.0-or-later
#include "PriceWordSetting.h"

#include "settings/IniFile.h"

namespace kvitanky::PriceWordSetting {

const QString Section = QStringLiteral("PRICE_WORDS");
const QString Key = QStringLiteral("CheckBoxPriceWordsCzech");

WordSpelling read(const IniFile &file)
{
    return file.readBool(Section, Key, false) ? WordSpelling::Czech : WordSpelling::AsDesigned;
}

void save(IniFile &file, WordSpelling spelling)
{
    const bool czech = spelling == WordSpelling::Czech;
    if (czech || file.hasKey(Section, Key))
        file.writeBool(Section, Key, czech);
}

} // namespace kvitanky::PriceWordSetting
