// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input end to end: Settings that are not numbers, a settings file of random
// bytes, settings files other tools saved or put in its place, restoring the defaults,
// and an owner table lacking a column the settings are copied from.
#include "BadInputFixture.h"

#include "render/LayoutPage.h"

#include <QStringEncoder>

#include <sys/stat.h>

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
    // A calibration no page can be printed with stops a job before its preflight.
    if (QByteArray(c.key).startsWith("EditCalibration")) {
        messages.clear();
        form->ButtonPrintAll->click();
        EXPECT_EQ(texts(), QStringList({expected}));
        EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
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
        BadSetting{"CalibrationSize", "EditCalibrationPrintSizePDFX", "šířka", Felt::AtStart,
                   "'%1' není platné celé císlo (nastavení %2)", true},
        BadSetting{"CalibrationSizeZero", "EditCalibrationPrintSizePDFX", "0", Felt::AtStart,
                   "'%1' není celé císlo od 1 do 20000 (nastavení %2)"},
        BadSetting{"CalibrationSizeNegative", "EditCalibrationPrintSizePDFY", "-5", Felt::AtStart,
                   "'%1' není celé císlo od 1 do 20000 (nastavení %2)"},
        BadSetting{"CalibrationSizeHuge", "EditCalibrationPrintSizePDFX", "2147483647", Felt::AtStart,
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

// ---------------------------------------------------------------- settings files from elsewhere

// A FIFO, a device or a huge file in place of the settings file: the start ends
// with a message naming it, before anything is read or written.
TEST_F(BadInput, SettingsFileThatIsNoFileIsRefused)
{
    const QString ini = dir.file("Kvitanky.ini");
    const struct { const char *name; std::function<bool()> make; const char *said; } cases[] = {
        {"fifo", [&] { return ::mkfifo(QFile::encodeName(ini).constData(), 0644) == 0; }, "nejde o soubor."},
        {"huge", [&] {
             QFile f(ini);
             return f.open(QIODevice::WriteOnly) && f.resize(400LL * 1024 * 1024);
         }, "soubor má 400 MB, soubor nastavení má jen několik kB."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ini);
        ASSERT_TRUE(c.make());
        messages.clear();
        EXPECT_FALSE(runEntry(dir.path()));
        EXPECT_EQ(texts(), QStringList({QStringLiteral("Nastavení nelze načíst ze souboru '%1': %2")
                                            .arg(ini, QString::fromUtf8(c.said))}));
        EXPECT_FALSE(QFile::exists(dir.file("Data.dbf")));
    }
    QFile::remove(ini);
}

// A settings file saved as UTF-16 or UTF-8 by another tool: its values are used;
// the close writes one Windows-1250 file and keeps the original in Data/. Values
// with blanks at the ends or in quotation marks come back whole after a restart.
TEST_F(BadInput, SettingsFromOtherToolsAreReadAndSavedOnce)
{
    const QString ini = dir.file("Kvitanky.ini");
    for (const QStringConverter::Encoding encoding : {QStringConverter::Utf16LE, QStringConverter::Utf8}) {
        SCOPED_TRACE(int(encoding));
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        prepareProgramFolder(dir.path());
        {
            IniFile file(ini);
            file.writeString("OWNER", "EditSetOwnerAddress1", QStringLiteral("Obecní úřad – €"));
        }
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        const QByteArray foreign = encoder(fromCp1250(readFile(ini)));
        writeFile(ini, foreign);

        ASSERT_TRUE(start(dir.path()));
        EXPECT_EQ(texts(), QStringList());
        EXPECT_EQ(edit("EditSetOwnerAddress1")->text(), QStringLiteral("Obecní úřad – €"));
        EXPECT_EQ(edit("EditLayoutPriceX")->text(), QStringLiteral("465"));
        edit("EditSetOwnerAddress2")->setText(QStringLiteral("   odsazeno"));
        edit("EditSetOwnerAddressSubject")->setText(QStringLiteral("\"Vodne\""));
        form->close();
        form.reset();

        const QByteArray saved = readFile(ini);
        EXPECT_EQ(saved.count("EditLayoutPriceX="), 1);
        EXPECT_TRUE(saved.contains(toCp1250(QStringLiteral("EditSetOwnerAddress1=Obecní úřad – €\r\n"))));
        const QStringList kept = QDir(dir.file("Data")).entryList(QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(readFile(dir.file("Data/" + kept[0])), foreign);

        ASSERT_TRUE(start(dir.path()));
        EXPECT_EQ(edit("EditSetOwnerAddress2")->text(), QStringLiteral("   odsazeno"));
        EXPECT_EQ(edit("EditSetOwnerAddressSubject")->text(), QStringLiteral("\"Vodne\""));
        form.reset();
    }
}

// ---------------------------------------------------------------- restoring the defaults

// Restoring the settings or the owner directory: Enter answers "Zrušit"; with OK
// the file first goes to Data/ as a copy the message names.
TEST_F(BadInput, RestoringTheDefaultsKeepsACopy)
{
    const struct { const char *file; const char *button; const char *kept; } cases[] = {
        {"Kvitanky.ini", "ButtonDefaultSetting", "Původní nastavení je uloženo v souboru %1."},
        {"Owners.dbf", "ButtonTableOwnersDefault", "Původní adresář majitelů účtů je uložen v souboru %1."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        prepareProgramFolder(dir.path());
        const QString path = dir.file(QString::fromLatin1(c.file));
        const QByteArray before = readFile(path);

        ASSERT_TRUE(start(dir.path()));
        answer = ui::MessageAnswer::Cancel;   // what Enter answers
        button(c.button)->click();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].cancelIsDefault);
        EXPECT_EQ(readFile(path), before);

        messages.clear();
        answer = ui::MessageAnswer::Ok;
        button(c.button)->click();
        ASSERT_EQ(messages.size(), 2) << texts().join('\n').toStdString();
        const QStringList kept = QDir(dir.file("Data")).entryList(QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        const QString copy = dir.file("Data/" + kept[0]);
        EXPECT_EQ(readFile(copy), before);
        EXPECT_TRUE(messages[1].text.endsWith(QString::fromUtf8(c.kept).arg(native(copy))))
            << messages[1].text.toStdString();
        EXPECT_FALSE(QFile::exists(path));
        form.reset();
    }
}

// ---------------------------------------------------------------- an owner table lacking a column

// An owner table without the constant symbol: the layout page's owner buttons copy
// what the table has and leave that one setting alone.
TEST_F(BadInput, OwnerTableWithoutAColumnCopiesTheRest)
{
    prepareProgramFolder(dir.path());
    dbftest::FileSpec spec;
    spec.languageDriver = 0xC8;
    spec.columns = {{"Address1", 'C', 30}, {"Address2", 'C', 30}, {"Address3", 'C', 30},
                    {"Num1", 'C', 6},      {"Num2", 'C', 10},     {"IDB", 'C', 4}};
    for (const char *name : {"Obec Alfa", "Obec Beta"})
        spec.records.push_back(" " + QByteArray(name).leftJustified(30, ' ') + QByteArray(60, ' ') + "000000"
                               + "0000000019" + "0800");
    writeFile(dir.file("Owners.dbf"), dbftest::buildFile(spec));
    {
        IniFile file(dir.file("Kvitanky.ini"));
        file.writeString("SET", "CheckBoxSetOwnersAdr", "1");
    }
    ASSERT_TRUE(start(dir.path()));
    form->show();
    form->PageControlMain->setCurrentWidget(form->TabSheetLayout);
    const QString constS = edit("EditSetOwnerAccountConstS")->text();
    messages.clear();
    for (QPushButton *b : {form->TabSheetLayout->ButtonLayoutValuesNextOwner,
                           form->TabSheetLayout->ButtonLayoutValuesPreviousOwner}) {
        if (b->isEnabled())
            b->click();
    }
    EXPECT_EQ(texts(), QStringList());
    EXPECT_TRUE(edit("EditSetOwnerAddress1")->text().startsWith(QStringLiteral("Obec "))) << edit("EditSetOwnerAddress1")->text().toStdString();
    EXPECT_EQ(edit("EditSetOwnerAccountNum2")->text(), QStringLiteral("0000000019"));
    EXPECT_EQ(edit("EditSetOwnerAccountConstS")->text(), constS);
}

} // namespace
