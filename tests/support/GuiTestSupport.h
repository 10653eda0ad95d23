// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the widget tests: keystrokes as the keyboard sends them, and
// a fixture that starts the main window in a folder of its own on the tests'
// desktop, every message box recorded and answered instead of shown.
#pragma once

#include "FakeDesktop.h"
#include "TestSupport.h"

#include "print/PrinterProvider.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

namespace testsupport {

// Each character as a key press and release through the widget's own key
// handling, so typing limits and change handlers run as they do on screen.
void typeText(QWidget *w, const QString &text);
// One key pressed and released.
void pressKey(QWidget *w, int key);
// Selects all of a box's text and deletes it with the Delete key.
void clearBox(QLineEdit *box);

// Mouse on a grid row as the hand does it: a press (any button) and release on one
// row; a drag pressed on `from` and let go on `to`; a wheel turn over the grid.
void clickRow(QTableView *grid, int row, Qt::MouseButton button = Qt::LeftButton);
void dragRows(QTableView *grid, int from, int to);
void wheelGrid(QTableView *grid, int steps);
// Key presses as a held key sends them (auto-repeat), then the one release.
void holdKey(QWidget *w, int key, int repeats);
// Each character to whichever widget has the keyboard focus at that moment.
void typeIntoFocus(const QString &text);

QStringList messageTexts(const QList<kvitanky::ui::MessageRequest> &messages);

// The window's check for a spreadsheet application answered by `desktop` rather than
// by xdg-mime, a shell script of some forty processes that would run each time the
// import and export page is shown.
void answerSpreadsheetProbe(kvitanky::TForm1 &form, std::shared_ptr<FakeDesktop> desktop);

class FormTest : public ::testing::Test
{
protected:
    void TearDown() override;   // closes the window while the test's desktop still answers

    // Writes the settings file first unless `ini` is null (given in UTF-8, stored
    // in cp1250 as the program keeps it), then starts the main window. What the
    // start-up reported moves to startupMessages. `printers` null: the system's.
    void startForm(const QByteArray &ini = {},
                   std::shared_ptr<kvitanky::PrinterProvider> printers = kvitanky::FixedPrinters::pdfOnly());
    // Shows the window on `page`; forgets what showing it reported.
    void showPage(QWidget *page);

    // Controls found by objectName anywhere in the window.
    QLineEdit *edit(const QString &name) const;
    QCheckBox *check(const QString &name) const;
    QPushButton *button(const QString &name) const;

    QStringList texts() const { return messageTexts(messages); }

    TempDir dir;   // the program folder
    // The window's desktop; it outlives every window the test starts.
    std::shared_ptr<FakeDesktop> desktop = std::make_shared<FakeDesktop>();
    std::unique_ptr<kvitanky::TForm1> form;
    QList<kvitanky::ui::MessageRequest> &messages = desktop->messages;
    QList<kvitanky::ui::MessageRequest> startupMessages;
    kvitanky::ui::MessageAnswer &answer = desktop->answer;   // to every box
};

} // namespace testsupport
