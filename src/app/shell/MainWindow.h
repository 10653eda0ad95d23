// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, class `TForm1`: the class keeps the name the program has always
// given its main form; the file is named for what it is. The window owns the
// settings file, the two tables, the slip state and the pages, runs start-up and
// the save at close. The pages hold the controls and their handlers; the window
// only assembles them and offers what several pages share.
#pragma once

#include "data/DbfTable.h"
#include "data/FolderLock.h"
#include "settings/IniFile.h"
#include "shell/ControlSettings.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kvitanky {

class AboutPage;
class CalibrationPage;
class ImpExpPage;
class LayoutPage;
class OwnersPage;
class PrintJobs;
class RecipientPage;
class SettingsPage;
class SlipRenderer;
class SlipSurface;
class RecipientSource;
class Desktop;

struct StartupOptions {
    QString programDir;   // empty: the executable's folder (or the per-user data folder)
    QString pictureDir;   // empty: where the program finds its pictures
    QString executableDir;   // empty: the running executable's folder
    // Message boxes, dialogs, links and printers; empty: the system's own.
    std::shared_ptr<Desktop> desktop;
};

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(const StartupOptions &options = {}, QWidget *parent = nullptr);
    ~TForm1() override;

private:
    // What the window shows and asks through; declared first, so that it outlives
    // everything that may still ask something while it is closed.
    std::shared_ptr<Desktop> m_desktop;
    // The program folder held against a second running program; declared early, so
    // it is let go late, after the tables are closed.
    std::unique_ptr<FolderLock> m_folderLock;

public:
    // Shared members.
    QString ProgramDir;
    QString PictureDir;
    std::unique_ptr<IniFile> SettingsFile;
    bool FormReady = false;
    bool DataEditsReady = false;
    bool OwnerEditsReady = false;
    bool PreviewOnly = true;
    bool SaveOnClose = false;
    DbfTable TableData;
    DbfTable TableOwners;
    // The slip: composition, preview, print scale, the two rows of the amount in words.
    std::unique_ptr<SlipRenderer> Slip;
    SlipSurface *PrinterPage = nullptr;   // page of the running print job, drawn on while !PreviewOnly

    // Frame.
    QTabWidget *PageControlMain = nullptr;
    QLabel *LabelPrinter = nullptr;
    QPushButton *ButtonPrinter = nullptr;
    QPushButton *ButtonPrinterSetup = nullptr;
    QPushButton *ButtonPrintActual = nullptr;
    QPushButton *ButtonPrintAll = nullptr;

    // Pages, in tab order.
    LayoutPage *TabSheetLayout = nullptr;
    RecipientPage *TabSheetData = nullptr;
    OwnersPage *TabSheetOwnersAdr = nullptr;
    SettingsPage *TabSheetSetting = nullptr;
    CalibrationPage *TabSheetCalibration = nullptr;
    ImpExpPage *TabSheetImpExp = nullptr;
    AboutPage *TabSheetAbout = nullptr;
    PrintJobs *Printing = nullptr;

    // The desktop the window was started with (StartupOptions::desktop): every
    // message box, dialog, link and the printers go through it.
    Desktop &desktop() const { return *m_desktop; }

    // Settings.
    const ControlSettings &settings() const { return m_settings; }
    QLineEdit *edit(const QString &key) const { return m_settings.edit(key); }
    QCheckBox *check(const QString &key) const { return m_settings.check(key); }
    void LoadSettings();
    void SaveSettings();   // throws IniError naming the file

    // What several pages share.
    void ComposeSlip();        // throws on a bad setting or a missing picture
    void LoadSlipPictures();
    void UpdatePrintScale();
    void ShowRecipient();
    void ShowOwner();
    void OpenTables();
    void ApplyOwnersAdrMode();
    void ApplyOwnersKsVsMode();
    void CheckExcelAvailable();
    // Rows were added, changed or removed by something other than the page's own
    // boxes (imports, delete all, printing moves): grids re-read the tables.
    void TablesChanged();
    QString ValidateNumberText(const QString &text);   // shows the message for a non-number

    void PageControlMainChange(int index);
    int visibleTabIndex(int index) const;   // position among the visible tabs

    // Runs an event handler; an error it raises is shown by the general error
    // display and ends the handler. Returns false when it failed.
    bool guard(const std::function<void()> &handler);

    // Path of a file in the program folder.
    QString programFile(const QString &name) const;
    QString pictureFile(const QString &name) const;

protected:
    void closeEvent(QCloseEvent *event) override;   // FormClose

private:
    void buildFrame();
    void startUp(const StartupOptions &options);

    void syncSlipContext();

    ControlSettings m_settings;
    int m_lastPage = 0;
    QSet<QString> m_startupErrors;
    std::unique_ptr<RecipientSource> m_recipientSource;
};

} // namespace kvitanky
