// SPDX-License-Identifier: GPL-3.0-or-later
// The key table against what it is built from: the named settings and the slip
// field table. A new setting or field that breaks the table's rules fails here.
#include "settings/SettingKeys.h"
#include "settings/SettingsAccess.h"

#include <gtest/gtest.h>

#include <QSet>

#include <functional>

using namespace kvitanky;

namespace {

TEST(SettingKeys, EveryKeyOnceEveryNamedKeyWithItsSectionAndForm)
{
    const QList<SettingKey> &keys = settingKeys();
    QSet<QString> seen;
    for (const SettingKey &k : keys) {
        EXPECT_FALSE(seen.contains(k.key)) << "twice: " << k.key.toStdString();
        seen.insert(k.key);
        EXPECT_EQ(findSettingKey(k.key), &k);
        if (k.form == SettingForm::Flag) {
            EXPECT_TRUE(k.defaultValue == "1" || k.defaultValue == "0") << k.key.toStdString();
        }
    }

    QSet<QString> named;
    for (const NamedSettingKey &n : namedSettingKeys()) {
        named.insert(n.key);
        const SettingKey *k = findSettingKey(n.key);
        ASSERT_NE(k, nullptr) << n.key.toStdString();
        EXPECT_EQ(k->section, n.section) << n.key.toStdString();
        EXPECT_EQ(k->form, n.form) << n.key.toStdString();
    }
    // Save order: the layout section's named flags, every slip field's positions in
    // field order, then the other named settings.
    QStringList expected;
    for (const NamedSettingKey &n : namedSettingKeys()) {
        if (n.section == Section::Layout)
            expected << n.key;
    }
    for (const SlipFieldDef &f : slipFields()) {
        const SlipFieldKeys &place = slipFieldKeys(f.id);
        expected << place.main.x << place.main.y << place.main.set;
        if (f.hasSecond)
            expected << place.second.x << place.second.y << place.second.set;
    }
    for (const NamedSettingKey &n : namedSettingKeys()) {
        if (n.section != Section::Layout)
            expected << n.key;
    }
    QStringList actual;
    for (const SettingKey &k : keys) {
        actual << k.key;
        if (!named.contains(k.key)) {
            EXPECT_EQ(k.section, Section::Layout) << "not named: " << k.key.toStdString();
            EXPECT_EQ(k.form, SettingForm::Text) << k.key.toStdString();
        }
    }
    EXPECT_EQ(actual, expected);
}

TEST(SettingKeys, SlipFieldsInTheirOrderFillDistinctLayoutRows)
{
    const QList<SlipFieldDef> &fields = slipFields();
    ASSERT_EQ(fields.size(), SlipFieldCount);
    QSet<QString> names;
    QSet<QPair<int, int>> rows;   // (group, row)
    const auto takeRow = [&rows](const SlipFieldDef &f, int row) {
        const QPair<int, int> place(int(f.group), row);
        EXPECT_FALSE(rows.contains(place)) << f.name.toStdString() << " row " << row;
        rows.insert(place);
        EXPECT_GE(row, 0);   // whether a row fits its group, the layout page's own test sees
    };
    for (int i = 0; i < fields.size(); ++i) {
        const SlipFieldDef &f = fields[i];
        EXPECT_EQ(int(f.id), i) << f.name.toStdString();
        EXPECT_FALSE(names.contains(f.name)) << f.name.toStdString();
        names.insert(f.name);
        EXPECT_FALSE(f.caption.isEmpty()) << f.name.toStdString();
        EXPECT_TRUE(f.hasSecond || (!f.secondUsed && !f.secondRow)) << f.name.toStdString();
        EXPECT_EQ(slipFieldKeys(f.id).second.x.isEmpty(), !f.hasSecond) << f.name.toStdString();
        takeRow(f, f.row);
        if (f.secondRow) {
            EXPECT_FALSE(f.secondCaption.isEmpty()) << f.name.toStdString();
            takeRow(f, f.row + 1);
        }
    }
}

// Asking for a key the table does not hold is a fault of the program: it throws,
// naming the key, and never reads as an empty value.
TEST(SettingKeys, UnknownKeyThrowsNamingIt)
{
    MapSettings settings;
    const QString wrong = QStringLiteral("EditSetOwnerAdress1");
    const std::function<void()> asks[] = {
        [&] { settingKey(wrong); },
        [&] { settings.text(wrong); },
        [&] { settings.flag(wrong); },
        [&] { settings.integer(wrong); },
        [&] { settings.setText(wrong, QStringLiteral("x")); },
        [&] { settings.setFlag(wrong, true); },
        [&] { settings.integer(slipFieldKeys(SlipField::ConstS).second.x); },   // a field without a second place
    };
    for (const auto &ask : asks) {
        try {
            ask();
            ADD_FAILURE() << "no exception";
        } catch (const UnknownSettingKey &e) {
            const QString text = QString::fromUtf8(e.what());
            EXPECT_TRUE(text.contains(wrong) || text.contains(QStringLiteral("''"))) << e.what();
        }
    }
    EXPECT_EQ(settings.text(key::EditSetOwnerAddress1), QString::fromUtf8("STÁTNÍ SPRÁVA CR"));
}

} // namespace
