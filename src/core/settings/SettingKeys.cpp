// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingKeys.h"

#include <QHash>

namespace kvitanky {

namespace {

struct NamedSetting {
    const QString *section;
    const QString *key;
    SettingForm form;
    const char *designed;
};

const QList<NamedSetting> &namedSettings()
{
#define KVITANKY_NAMED_SETTING(section, form, name, designed) \
    NamedSetting{&Section::section, &key::name, SettingForm::form, designed},
    static const QList<NamedSetting> named = {KVITANKY_NAMED_SETTINGS(KVITANKY_NAMED_SETTING)};
#undef KVITANKY_NAMED_SETTING
    return named;
}

} // namespace

UnknownSettingKey::UnknownSettingKey(const QString &key)
    : std::logic_error(QStringLiteral("Neznámé nastavení '%1' (chyba programu)").arg(key).toStdString())
{
}

const QList<SettingKey> &settingKeys()
{
    static const QList<SettingKey> keys = [] {
        QList<SettingKey> k;
        const auto addNamed = [&k](bool layout) {
            for (const NamedSetting &n : namedSettings()) {
                if ((*n.section == Section::Layout) == layout)
                    k.append({*n.section, *n.key, QString::fromUtf8(n.designed), n.form});
            }
        };
        const auto position = [&k](const QString &key, int designed) {
            k.append({Section::Layout, key, QString::number(designed), SettingForm::Text});
        };
        addNamed(true);
        for (const SlipFieldDef &f : slipFields()) {
            const SlipFieldKeys &place = slipFieldKeys(f.id);
            position(place.main.x, f.x);
            position(place.main.y, f.y);
            position(place.main.set, f.dist);
            if (!f.hasSecond)
                continue;
            position(place.second.x, f.sx);
            position(place.second.y, f.sy);
            position(place.second.set, f.sdist);
        }
        addNamed(false);
        return k;
    }();
    return keys;
}

const SettingKey *findSettingKey(const QString &key)
{
    static const QHash<QString, int> index = [] {
        QHash<QString, int> h;
        const auto &keys = settingKeys();
        for (int i = 0; i < keys.size(); ++i)
            h.insert(keys[i].key, i);
        return h;
    }();
    const auto it = index.constFind(key);
    return it == index.constEnd() ? nullptr : &settingKeys()[*it];
}

const SettingKey &settingKey(const QString &key)
{
    if (const SettingKey *k = findSettingKey(key))
        return *k;
    throw UnknownSettingKey(key);
}

const QList<NamedSettingKey> &namedSettingKeys()
{
    static const QList<NamedSettingKey> named = [] {
        QList<NamedSettingKey> n;
        for (const NamedSetting &s : namedSettings())
            n.append({*s.key, *s.section, s.form});
        return n;
    }();
    return named;
}

} // namespace kvitanky
