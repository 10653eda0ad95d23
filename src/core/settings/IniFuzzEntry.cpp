// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFuzzEntry.h"

#include "IniFile.h"
#include "SettingKeys.h"

#include <cstdlib>

namespace kvitanky {

int fuzzIniInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc(bytes);
    QString value;
    for (const SettingKey &k : settingKeys())
        doc.readString(k.section, k.key, &value);
    doc.readString(QString(), QString(), &value);
    doc.readString(QStringLiteral("["), QStringLiteral("="), &value);

    // Writing keeps the file readable: the written value comes back.
    doc.writeString(Section::Set, key::EditSetOtherCharSet1, QStringLiteral("Arial"));
    doc.writeString(QStringLiteral("NEW"), QStringLiteral("Key"), QStringLiteral("hodnota"));
    IniDocument again(doc.toBytes());
    if (!again.readString(QStringLiteral("NEW"), QStringLiteral("Key"), &value) || value != QLatin1String("hodnota"))
        std::abort();

    // The input itself as a value (line breaks, "[...]" lines and all) changes no other key.
    const QString pasted = QString::fromLatin1(bytes.left(4096));
    QStringList before;
    for (const SettingKey &k : settingKeys())
        before << (again.readString(k.section, k.key, &value) ? value : QStringLiteral("<none>"));
    again.writeString(Section::Owner, key::EditSetOwnerAddress1, pasted);
    const IniDocument after(again.toBytes());
    const QList<SettingKey> &keys = settingKeys();
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i].key == key::EditSetOwnerAddress1)
            continue;
        if ((after.readString(keys[i].section, keys[i].key, &value) ? value : QStringLiteral("<none>")) != before[i])
            std::abort();
    }
    return 0;
}

} // namespace kvitanky
