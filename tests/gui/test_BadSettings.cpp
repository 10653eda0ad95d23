// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: Settings that are not numbers and a settings file of random bytes.
#include "BadInputFixture.h"

using namespace badinput;

namespace {

// ---------------------------------------------------------------- settings that are not numbers

enum class Felt { AtStart, WhenPrinting };

struct BadSetting {
    const char *name;
    const char *key;
    const char *value;
    Felt felt;
    const char *message;   // %1 the value, %2 the key
    bool boxChecksIt = false;   // the calibration page checks its boxes as they are filled
};

void PrintTo(const BadSetting &c, std::ostream *os) { *os << c.name; }

class BadSettings : public BadInput, public ::testing::WithParamInterface<BadSetting>
{
};

// The window still opens; the user is told which setting is wrong, when it is
// needed; the settings file keeps the value as written until the user corrects it.
TEST_P(BadSettings, AreNamedWhenNeededAndKeptAsWritten)
{
    const BadSetting &c = GetParam();
    prepareProgramFolder(dir.path());
    const QString ini = dir.file("Kvitanky.ini");
    const SettingKey *key = findSettingKey(QString::fromLatin1(c.key));
    ASSERT_NE(key, nullptr);
    {
        IniFile file(ini);
        file.writeString(key->section, key->key, QString::fromUtf8(c.value));
    }
    const auto before = snapshot(dir.path());
    const QString expected = QString::fromUtf8(c.message).arg(QString::fromUtf8(c.value), key->key);

    ASSERT_TRUE(start(dir.path()));
    ASSERT_TRUE(form);
    EXPECT_EQ(edit(c.key)->text(), QString::fromUtf8(c.value));
    // Every composition of the slip at start-up says it (the recipient, the owner,
    // the slip itself); the calibration page first says its box holds no number.
    QStringList atStart = texts();
    if (c.boxChecksIt) {
        ASSERT_FALSE(atStart.isEmpty());
        EXPECT_EQ(atStart.takeFirst(), QStringLiteral("'%1' není platné císlo!").arg(QString::fromUtf8(c.value)));
    }
    if (c.felt == Felt::AtStart) {
        ASSERT_FALSE(atStart.isEmpty());
        for (const QString &m : atStart)
            EXPECT_EQ(m, expected);
    } else {
        EXPECT_EQ(atStart, QStringList());
        messages.clear();
        form->ButtonPrintActual->click();
        EXPECT_EQ(texts(), QStringList({expected}));
        EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
    }
    EXPECT_EQ(snapshot(dir.path()), before);

    // A page switch composes the slip again and says it again; nothing else breaks.
    messages.clear();
    form->PageControlMain->setCurrentIndex(1);
    if (c.felt == Felt::AtStart) {
        EXPECT_EQ(texts(), QStringList({expected}));
    }
    form->close();
    form.reset();
    EXPECT_EQ(IniFile(ini).readString(key->section, key->key, QString()), QString::fromUtf8(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, BadSettings,
    ::testing::Values(
        BadSetting{"PositionWord", "EditLayoutPriceX", "abc", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"PositionFraction", "EditLayoutVSY", "93,5", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"PositionTooBigForAnInteger", "EditLayoutRecipientCityX", "99999999999999999999", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"CharacterSetNumber", "EditLayoutPriceDist", "jedna", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"FontSizeWord", "EditSetOtherFontSize1", "velké", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"FontSizeZero", "EditSetOtherFontSize2", "0", Felt::AtStart,
                   "'%1' není celé císlo od 1 do 500 (nastavení %2)"},
        BadSetting{"SpacingFraction", "EditSetOtherDistance1", "19.5", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"FirstRowLengthWord", "EditSetOtherLengthFirstPriceRow", "dvacet", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)"},
        BadSetting{"CalibrationShift", "EditCalibrationPrintNullAxesX", "x", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)", true},
        BadSetting{"CalibrationSize", "EditCalibrationPrintSizePDFX", "šířka", Felt::WhenPrinting,
                   "'%1' není platné celé císlo (nastavení %2)", true},
        BadSetting{"CalibrationSizeZero", "EditCalibrationPrintSizePDFX", "0", Felt::WhenPrinting,
                   "'%1' není celé císlo od 1 do 20000 (nastavení %2)"},
        BadSetting{"CalibrationSizeNegative", "EditCalibrationPrintSizePDFY", "-5", Felt::WhenPrinting,
                   "'%1' není celé císlo od 1 do 20000 (nastavení %2)"},
        BadSetting{"CalibrationSizeHuge", "EditCalibrationPrintSizePDFX", "2147483647", Felt::WhenPrinting,
                   "'%1' není celé císlo od 1 do 20000 (nastavení %2)"},
        BadSetting{"CalibrationShiftHuge", "EditCalibrationPrintNullAxesY", "2147483647", Felt::AtStart,
                   "'%1' není celé císlo od -10000 do 10000 (nastavení %2)"}),
    [](const auto &info) { return std::string(info.param.name); });

// A settings file of random bytes: the designed values stand in, and the first save
// writes every setting readable again.
TEST_F(BadInput, SettingsFileOfRandomBytesGivesTheDesignedValues)
{
    QByteArray garbage = randomBytes(8192, 3);
    garbage.replace('[', '(');   // no section can be found by chance
    writeFile(dir.file("Kvitanky.ini"), garbage);
    ASSERT_TRUE(start(dir.path()));
    EXPECT_EQ(texts(), QStringList());
    EXPECT_EQ(edit("EditLayoutPriceX")->text(), QStringLiteral("465"));
    form->SaveSettings();
    form.reset();
    IniFile ini(dir.file("Kvitanky.ini"));
    int present = 0;
    for (const SettingKey &k : settingKeys())
        present += ini.hasKey(k.section, k.key) ? 1 : 0;
    EXPECT_EQ(present, int(settingKeys().size()));
    EXPECT_EQ(ini.readString("LAYOUT", "EditLayoutPriceX", QString()), QStringLiteral("465"));
}

} // namespace
