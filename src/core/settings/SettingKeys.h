// SPDX-License-Identifier: GPL-3.0-or-later
// Every setting of the program: its key (the objectName of the control that holds
// it), its section of the settings file, its designed value and its form.
#pragma once

#include <QList>
#include <QString>

namespace kvitanky {

enum class SettingForm { Text, Flag };

struct SettingKey {
    QString section;
    QString key;
    QString defaultValue;   // a flag's default is "1" or "0"
    SettingForm form;
};

// One slip field of the layout section: its name and designed values. A field
// without a second position has hasSecond false; PriceWord's second row uses the
// suffixes X2, Y2, Dist2 instead of SX, SY, SDist.
struct SlipFieldDef {
    QString name;
    QString caption;        // row label on the layout page
    int x, y, dist;
    bool hasSecond;
    int sx, sy, sdist;
    bool secondUsed;        // false: the second-position boxes are never read (disabled)
};

const QList<SlipFieldDef> &slipFields();

// All 147 keys in save order: LAYOUT (two flags, then 114 positions), OWNER, SET,
// CALIBRATION, DATA.
const QList<SettingKey> &settingKeys();
const SettingKey *findSettingKey(const QString &key);

namespace Section {
inline const QString Layout = QStringLiteral("LAYOUT");
inline const QString Owner = QStringLiteral("OWNER");
inline const QString Set = QStringLiteral("SET");
inline const QString Calibration = QStringLiteral("CALIBRATION");
inline const QString Data = QStringLiteral("DATA");
}

} // namespace kvitanky
