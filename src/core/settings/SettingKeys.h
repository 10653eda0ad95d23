// SPDX-License-Identifier: GPL-3.0-or-later
// Every setting of the program: its key (the objectName of the control that holds
// it), its section of the settings file, its designed value and its form. The
// table is built from the named settings (SettingKeyNames.h) and the slip fields
// (SlipFields.h).
#pragma once

#include "SettingKeyNames.h"
#include "SlipFields.h"

#include <QList>
#include <QString>

#include <stdexcept>

namespace kvitanky {

enum class SettingForm { Text, Flag };

struct SettingKey {
    QString section;
    QString key;
    QString defaultValue;   // a flag's default is "1" or "0"
    SettingForm form;
};

// All keys in save order: LAYOUT (its named flags, then every slip field's
// positions in field order), OWNER, SET, CALIBRATION, DATA.
const QList<SettingKey> &settingKeys();
const SettingKey *findSettingKey(const QString &key);

// The key as it stands in the table; throws UnknownSettingKey when it is not there.
const SettingKey &settingKey(const QString &key);

// A key that is not in the table: a fault of the program, never of the user's data.
class UnknownSettingKey : public std::logic_error
{
public:
    explicit UnknownSettingKey(const QString &key);
};

// The named settings (SettingKeyNames.h) with the section and form their line gives.
struct NamedSettingKey {
    QString key;
    QString section;
    SettingForm form;
};
const QList<NamedSettingKey> &namedSettingKeys();

namespace Section {
inline const QString Layout = QStringLiteral("LAYOUT");
inline const QString Owner = QStringLiteral("OWNER");
inline const QString Set = QStringLiteral("SET");
inline const QString Calibration = QStringLiteral("CALIBRATION");
inline const QString Data = QStringLiteral("DATA");
}

} // namespace kvitanky
