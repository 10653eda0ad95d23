// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsPage.h"

#include "settings/SettingKeys.h"
#include "shell/MainWindow.h"
#include "shell/PageBase.h"

namespace kvitanky {

SettingsPage::SettingsPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetSetting");
    int y = 8;
    for (const SettingKey &k : settingKeys()) {
        if (k.section != Section::Owner && k.section != Section::Set)
            continue;
        if (k.form == SettingForm::Flag)
            ui::checkBox(this, k.key, k.key, 16, y, k.defaultValue == QLatin1String("1"));
        else
            ui::lineEdit(this, k.key, 16, y, 200)->setText(k.defaultValue);
        y += 19;
    }
    LabelSetOwnerAccountConstS = ui::label(this, "Konstantní symbol", 240, 8, "LabelSetOwnerAccountConstS");
}

void SettingsPage::ApplyOwnersAdrMode() {}
void SettingsPage::ApplyOwnersKsVsMode() {}

} // namespace kvitanky
