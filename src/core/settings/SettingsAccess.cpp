// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsAccess.h"

#include "SettingKeys.h"

#include "render/PriceWords.h"

namespace kvitanky {

QString SettingsAccess::text(const QString &key) const
{
    settingKey(key);
    return readText(key);
}

bool SettingsAccess::flag(const QString &key) const
{
    settingKey(key);
    return readFlag(key);
}

int SettingsAccess::integer(const QString &key) const
{
    const QString t = text(key);
    bool ok = false;
    const int v = t.trimmed().toInt(&ok, 10);
    if (!ok) {
        throw SettingError(QStringLiteral("'%1' není platné celé císlo (nastavení %2)")
                               .arg(t, key)
                               .toStdString());
    }
    return v;
}

WordSpelling SettingsAccess::wordSpelling() const
{
    return WordSpelling::AsDesigned;
}

MapSettings::MapSettings()
    : m_spelling(WordSpelling::AsDesigned)
{
    for (const SettingKey &k : settingKeys())
        m_values.insert(k.key, k.defaultValue);
}

void MapSettings::setText(const QString &key, const QString &value)
{
    m_values[settingKey(key).key] = value;
}

void MapSettings::setFlag(const QString &key, bool value)
{
    m_values[settingKey(key).key] = value ? QStringLiteral("1") : QStringLiteral("0");
}

QString MapSettings::readText(const QString &key) const
{
    return m_values.value(key);
}

bool MapSettings::readFlag(const QString &key) const
{
    return m_values.value(key) == QLatin1String("1");
}

} // namespace kvitanky
