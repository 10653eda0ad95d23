// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramEntry.h"

#include "Desktop.h"
#include "MessageBox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QProcess>
#include <QScreen>
#include <QTranslator>

#include <memory>

namespace kvitanky {
namespace {

void defaultInitialiseEngine()
{
    // The table engine is part of the program; nothing can be missing.
}

void defaultInstallEngine()
{
    // The engine installer of old installations; harmless when absent.
    QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("SetupBDE5.exe")});
}

int defaultRunLoop(TForm1 &window)
{
    if (const QScreen *screen = window.screen()) {
        const QRect r = screen->availableGeometry();
        window.move(r.center() - window.rect().center());
    }
    window.show();
    return QApplication::exec();
}

// Creates the window; an error goes up with its text.
std::unique_ptr<TForm1> createWindow(const EntrySteps &steps)
{
    steps.initialiseEngine();
    return std::make_unique<TForm1>(steps.options);
}

} // namespace

bool installCzechTranslations(QApplication &app)
{
    static QTranslator qtTranslator;
    if (!qtTranslator.isEmpty())
        return true;
    if (!qtTranslator.load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qtbase"),
                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return app.installTranslator(&qtTranslator);
}

int runProgram(QApplication &app, EntrySteps steps)
{
    if (!steps.initialiseEngine)
        steps.initialiseEngine = defaultInitialiseEngine;
    if (!steps.installEngine)
        steps.installEngine = defaultInstallEngine;
    if (!steps.runLoop)
        steps.runLoop = defaultRunLoop;
    if (!steps.options.desktop)
        steps.options.desktop = std::make_shared<SystemDesktop>();
    Desktop &desktop = *steps.options.desktop;

    installCzechTranslations(app);
    app.setApplicationName(QStringLiteral("kvitanky"));
    app.setApplicationDisplayName(QStringLiteral("Kvitanky"));

    const auto run = [&](std::unique_ptr<TForm1> window) {
        steps.runLoop(*window);
        return 0;
    };
    try {
        return run(createWindow(steps));
    } catch (const std::exception &first) {
        if (QString::fromUtf8(first.what()) != QLatin1String(engineMissingText())) {
            ui::error(desktop, nullptr, QString::fromUtf8(first.what()));
            return 0;
        }
    }
    ui::information(desktop, nullptr, QStringLiteral(
        "Nyní bude instalován BDE (Borland Database Engine) - nástroj pro práci s databází."));
    steps.installEngine();
    try {
        return run(createWindow(steps));
    } catch (const std::exception &second) {
        if (QString::fromUtf8(second.what()) == QLatin1String(engineMissingText())) {
            ui::information(desktop, nullptr,
                            QStringLiteral("BDE (Borland Database Engine) - nástroj pro práci s databází "
                                           "není nainstalován. Aplikace bude ukončena."));
        } else {
            ui::error(desktop, nullptr, QString::fromUtf8(second.what()));
        }
    }
    return 0;
}

} // namespace kvitanky
