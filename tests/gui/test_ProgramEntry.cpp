// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry's recovery when the table engine cannot be initialised.
#include "shell/MessageBox.h"
#include "shell/ProgramEntry.h"

#include "GuiTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace kvitanky;

namespace {

struct EntryCase {
    const char *name;
    int engineFailures;          // how many initialisations fail with the engine text
    bool otherError;             // the first failure is some other error
    int expectedInstalls;
    int expectedWindows;         // windows that reached the event loop
    QStringList expectedTexts;   // message boxes, in order
};

class ProgramEntry : public ::testing::TestWithParam<EntryCase> {};

const QString kInstall = "Nyní bude instalován BDE (Borland Database Engine) - nástroj pro práci s databází.";
const QString kGiveUp =
    "BDE (Borland Database Engine) - nástroj pro práci s databází není nainstalován. Aplikace bude ukončena.";

TEST_P(ProgramEntry, recoversOrEndsWithTheRightMessages)
{
    const EntryCase &c = GetParam();
    testsupport::TempDir dir;
    auto desktop = std::make_shared<testsupport::FakeDesktop>();
    desktop->printerList = std::make_shared<SystemPrinters>();
    int calls = 0, installs = 0, windows = 0;
    EntrySteps steps;
    steps.options.programDir = dir.path();
    steps.options.pictureDir = testsupport::binDir();
    steps.options.desktop = desktop;
    steps.initialiseEngine = [&] {
        ++calls;
        if (c.otherError && calls == 1)
            throw std::runtime_error("Jiná chyba");
        if (calls <= c.engineFailures)
            throw EngineMissingError();
    };
    steps.installEngine = [&] { ++installs; };
    steps.runLoop = [&](TForm1 &) {
        ++windows;
        return 0;
    };
    EXPECT_EQ(runProgram(*qApp, steps), 0);
    EXPECT_EQ(installs, c.expectedInstalls);
    EXPECT_EQ(windows, c.expectedWindows);
    // Messages other than the entry's own (a printer notice) are not counted.
    QStringList entryTexts;
    for (const QString &t : testsupport::messageTexts(desktop->messages)) {
        if (t == kInstall || t == kGiveUp || t == "Jiná chyba")
            entryTexts << t;
    }
    EXPECT_EQ(entryTexts, c.expectedTexts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramEntry,
    ::testing::Values(EntryCase{"engineFine", 0, false, 0, 1, {}},
                      EntryCase{"installedOnSecondTry", 1, false, 1, 1, {kInstall}},
                      EntryCase{"stillMissing", 2, false, 1, 0, {kInstall, kGiveUp}},
                      EntryCase{"otherError", 0, true, 0, 0, {"Jiná chyba"}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

TEST(ProgramEntry, qtDialogsSpeakCzech)
{
    ASSERT_TRUE(installCzechTranslations(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Zrušit"));
}

} // namespace
