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
    doc.writeString(QStringLiteral("SET"), QStringLiteral("EditSetOtherCharSet1"), QStringLiteral("Arial"));
    doc.writeString(QStringLiteral("NEW"), QStringLiteral("Key"), QStringLiteral("hodnota"));
    IniDocument again(doc.toBytes());
    if (!again.readString(QStringLiteral("NEW"), QStringLiteral("Key"), &value) || value != QLatin1String("hodnota"))
        std::abort();
    return 0;
}

} // namespace kvitanky
