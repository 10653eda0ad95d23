// SPDX-License-Identifier: GPL-3.0-or-later
// The print jobs, the printer choice and the printer label of the bottom row.
//
// The printers are the system's printers and the program's PDF writer (a PDF file,
// "Kvitanky.pdf" in the program folder until the user picks another file in the
// print dialog). The choice lives in one printer object for the whole run and is
// not saved.
#pragma once

#include "print/PrintSession.h"

#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QPrinter;
class QToolButton;

namespace kvitanky {

class TForm1;

class PrintJobs : public QObject
{
    Q_OBJECT
public:
    explicit PrintJobs(TForm1 &form);
    ~PrintJobs() override;

    // Start-up: names the current printer in LabelPrinter, or disables the print
    // buttons and reports that there is no printer. Asks the window's desktop
    // for the printers.
    void reportPrinter();

    // Handlers of the bottom row.
    void ButtonPrintActualClick();
    void ButtonPrintAllClick();
    // The menu beside "Tisk všech Kvitanky": a range of rows, or the rest of a job
    // that was cancelled or failed.
    void ActionPrintRangeTriggered();
    void ActionPrintResumeTriggered();
    void ButtonPrinterClick();
    void ButtonPrinterSetupClick();

    // Prints the slips of rows `from` to `to` (0-based, inclusive) that are not
    // excluded, after the preflight and its summary; reports what went out.
    void printRows(int from, int to);

    // One job on the current printer: begins it, lets `draw` paint (and start new
    // pages), ends it. An error thrown by `draw` abandons the job and passes on.
    // Before a PDF job replaces an existing file the user is asked; false when the
    // user stopped the job there.
    bool runJob(const QString &title, const std::function<void(PrintSession &)> &draw);
    // " do souboru …" or " na tiskárnu …": where the last job went.
    QString jobTarget() const;

    // The first row of a job that did not end well, -1 when there is none.
    int resumeRow() const { return m_resumeFrom; }

    QToolButton *ButtonPrintRange = nullptr;
    QAction *ActionPrintRange = nullptr;
    QAction *ActionPrintResume = nullptr;

    bool hasPrinter() const { return m_hasPrinter; }
    // Makes `choice` the current printer, as a choice in the print dialog does
    // (the printer object is left as it is); for tests.
    void choosePrinter(const PrinterChoice &choice);
    const PrinterChoice &currentPrinter() const { return m_choice; }
    bool jobRunning() const { return m_jobRunning; }

    // The platform's printer object the dialogs work on; created at first use.
    QPrinter &printer();

Q_SIGNALS:
    // The current printer is known (start-up) or the user has been through a
    // printer dialog; currentPrinter() tells which one it is.
    void printerChosen();

private:
    void refreshLabel();
    void takeChoiceFromPrinter();
    void connectButtons();
    void setResume(int from, int to);
    // Draws the slip of `row` on the preview alone; the cursor is put back.
    void showPrintedSlip(int row);
    // The PDF target of the next job: the chosen file, or a new numbered one.
    bool confirmPdfTarget();

    TForm1 &m_form;
    std::unique_ptr<QPrinter> m_printer;
    PrinterChoice m_choice;
    bool m_hasPrinter = false;
    bool m_jobRunning = false;
    int m_resumeFrom = -1;   // rows of the job that did not end well
    int m_resumeTo = -1;
};

} // namespace kvitanky
