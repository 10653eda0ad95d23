// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry: creates the main window and runs the event loop, with the
// recovery for a table engine that cannot be initialised.
#pragma once

#include "MainWindow.h"

#include <QString>

#include <functional>
#include <stdexcept>

class QApplication;

namespace kvitanky {

// The engine's own initialisation failure, recognised by its text.
inline const char *engineMissingText()
{
    return "An error occurred while attempting to initialize the Borland Database Engine (error $2108)";
}

class EngineMissingError : public std::runtime_error
{
public:
    EngineMissingError() : std::runtime_error(engineMissingText()) {}
};

// The steps of the program's entry; a step left empty is the program's own. The
// window's options carry the desktop, which also shows the entry's own messages.
struct EntrySteps {
    // Checks that the table engine can work; throws EngineMissingError when not.
    std::function<void()> initialiseEngine;
    // Installs the engine (runs the installer and waits for it).
    std::function<void()> installEngine;
    // Runs the event loop once the window exists; the default shows the window and runs it.
    std::function<int(TForm1 &)> runLoop;
    StartupOptions options;
};

// Loads Qt's own Czech texts (dialog buttons, file and print dialogs); false when
// the translation is not installed.
bool installCzechTranslations(QApplication &app);

// Sets up the application (Czech translations of Qt's dialogs, fonts) and runs the program.
int runProgram(QApplication &app, EntrySteps steps = {});

} // namespace kvitanky
