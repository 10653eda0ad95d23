// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlSettings.h"

#include "settings/PriceWordSetting.h"
#include "settings/SettingKeys.h"

#include <QCheckBox>
#include <QLineEdit>

namespace kvitanky {

void ControlSettings::bind(QWidget *root)
{
    m_edits.clear();
    m_checks.clear();
    for (const SettingKey &k : settingKeys()) {
        if (k.form == SettingForm::Flag) {
            if (auto *c = root->findChild<QCheckBox *>(k.key))
                m_checks.insert(k.key, c);
        } else if (auto *e = root->findChild<QLineEdit *>(k.key)) {
            m_edits.insert(k.key, e);
        }
    }
    m_czechWords = root->findChild<QCheckBox *>(PriceWordSetting::Key);
}

WordSpelling ControlSettings::wordSpelling() const
{
    return m_czechWords && m_czechWords->isChecked() ? WordSpelling::Czech : WordSpelling::AsDesigned;
}

QLineEdit *ControlSettings::edit(const QString &key) const
{
    settingKey(key);
    return m_edits.value(key);
}

QCheckBox *ControlSettings::check(const QString &key) const
{
    settingKey(key);
    return m_checks.value(key);
}

QString ControlSettings::readText(const QString &key) const
{
    if (QLineEdit *e = m_edits.value(key))
        return e->text();
    return {};
}

bool ControlSettings::readFlag(const QString &key) const
{
    if (QCheckBox *c = m_checks.value(key))
        return c->isChecked();
    return false;
}

} // namespace kvitanky
