// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop of the widget tests: nothing is shown and nothing blocks. Message
// boxes are recorded and answered, file dialogs return a set name, dialogs are
// handed to the test (which works their real controls by objectName), opened links
// are recorded, and the printers are a fixed list.
#pragma once

#include "print/PrinterProvider.h"
#include "shell/Desktop.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace testsupport {

class FakeDesktop : public kvitanky::Desktop
{
public:
    // Message boxes: `onMessage` answers when set; otherwise each box is recorded in
    // `messages` and answered with `answer`.
    QList<kvitanky::ui::MessageRequest> messages;
    kvitanky::ui::MessageAnswer answer = kvitanky::ui::MessageAnswer::Ok;
    std::function<kvitanky::ui::MessageAnswer(const kvitanky::ui::MessageRequest &)> onMessage;

    // File dialogs: `onFile` answers when set; otherwise `chosenFile` (empty: Cancel).
    // Every request is recorded.
    QList<kvitanky::FileRequest> fileRequests;
    QString chosenFile;
    std::function<QString(const kvitanky::FileRequest &)> onFile;

    // Dialogs: `onDialog` works the real dialog and returns its result when set;
    // otherwise answerAsUser() does.
    std::function<int(QDialog &)> onDialog;

    // Links and files handed to the desktop, and whether it takes them.
    QList<QUrl> openedUrls;
    bool opensUrls = true;

    // Whether an application for workbooks is installed, as the windows started by
    // the fixtures ask it instead of xdg-mime (see answerSpreadsheetProbe).
    bool spreadsheetApp = false;

    // The printers; the PDF writer alone unless a test sets others.
    std::shared_ptr<kvitanky::PrinterProvider> printerList = kvitanky::FixedPrinters::pdfOnly();

    kvitanky::ui::MessageAnswer message(QWidget *parent, const kvitanky::ui::MessageRequest &request) override;
    QString fileName(QWidget *parent, const kvitanky::FileRequest &request) override;
    int runDialog(QDialog &dialog) override;
    bool openUrl(const QUrl &url) override;
    const kvitanky::PrinterProvider &printers() const override { return *printerList; }

    // The program's own questions answered as a user who answers every box with
    // `answer`: the preflight summary and the question about an existing PDF are
    // recorded as OK / Cancel questions (OK prints, or replaces the file), the
    // report of a PDF job as a notice (the file is not opened), and the import
    // preview is accepted with both of its check boxes cleared. Any other dialog
    // fails the test and is rejected.
    int answerAsUser(QDialog &dialog);

    // Clicks the button named `name` in `dialog` (failing the test when there is
    // none) and returns the dialog's result.
    static int click(QDialog &dialog, const QString &name);
};

} // namespace testsupport
