// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the program asks of the desktop it runs on: the message boxes, the
// file dialogs, the modal dialogs (its own and Qt's font, print and page set-up
// dialogs), links and files opened in their default application, and the list of
// printers. The window is handed one at start-up and the pages reach it through
// the window; tests hand it a fake that answers instead of the user.
#pragma once

#include "MessageBox.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QDialog;
class QWidget;

namespace kvitanky {

class PrinterProvider;

// A file to open or to save as, chosen in a file dialog.
struct FileRequest {
    bool save = false;
    QString objectName;     // of the dialog ("OpenDialog1")
    QString caption;        // empty: the dialog's own title
    QString proposed;       // full path the dialog starts with
    QStringList filters;
    QString defaultSuffix;
    bool confirmOverwrite = true;   // a save asks before it names an existing file
};

class Desktop
{
public:
    virtual ~Desktop() = default;

    // Shows a message box and returns the button pressed.
    virtual ui::MessageAnswer message(QWidget *parent, const ui::MessageRequest &request) = 0;
    // The chosen path; empty when the dialog was cancelled.
    virtual QString fileName(QWidget *parent, const FileRequest &request) = 0;
    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
    virtual int runDialog(QDialog &dialog) = 0;
    // Opens a web address, a mailto: address or a local file through the desktop's
    // handler. Returns whether the desktop took it.
    virtual bool openUrl(const QUrl &url) = 0;
    // The printers the program may print on.
    virtual const PrinterProvider &printers() const = 0;
};

// The real desktop: Qt's boxes and dialogs, the desktop's URL handler and the
// printers of the print system with the PDF writer.
class SystemDesktop : public Desktop
{
public:
    SystemDesktop();
    ~SystemDesktop() override;

    ui::MessageAnswer message(QWidget *parent, const ui::MessageRequest &request) override;
    QString fileName(QWidget *parent, const FileRequest &request) override;
    int runDialog(QDialog &dialog) override;
    bool openUrl(const QUrl &url) override;
    const PrinterProvider &printers() const override;

private:
    std::unique_ptr<PrinterProvider> m_printers;
};

} // namespace kvitanky
