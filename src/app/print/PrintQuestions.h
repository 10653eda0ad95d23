// SPDX-License-Identifier: GPL-3.0-or-later
// What a print job asks and tells: the summary of its preflight before the first
// page, the question about an existing PDF file, and the report of what went out.
// Each is shown through the window's desktop.
#pragma once

#include <QDialog>
#include <QString>

namespace kvitanky {

class Desktop;
class SlipPreflight;
struct PrinterChoice;

// "1 kvitance", "3 kvitance", "298 kvitancí" (as the object of a sentence).
QString slipCount(int n);
// "Vytištěna 1 kvitance", "Vytištěny 3 kvitance", "Vytištěno 298 kvitancí".
QString printedSlips(int n);

class PreflightDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Answer { PrintAll, PrintCorrect, Cancel, ShowFirstFault };

    PreflightDialog(QWidget *parent, const SlipPreflight &preflight, const PrinterChoice &printer);

    // Shows the dialog through `desktop` and returns the user's choice.
    static Answer ask(Desktop &desktop, QWidget *parent, const SlipPreflight &preflight, const PrinterChoice &printer);

    QString summary() const { return m_summary; }
    const SlipPreflight &preflight() const { return m_preflight; }
    bool canPrintCorrect() const { return m_canPrintCorrect; }

private:
    const SlipPreflight &m_preflight;
    QString m_summary;
    bool m_canPrintCorrect = false;
    Answer m_answer = Answer::Cancel;
};

// An existing PDF target: replace it, write a new numbered file beside it, or stop.
enum class PdfTargetAnswer { Replace, NewName, Cancel };
// `numbered` is the free name proposed ("Kvitanky (2).pdf"). The box is
// "PdfTargetQuestion" with the buttons "ButtonPdfReplace", "ButtonPdfNewName" and
// "ButtonPdfCancel".
PdfTargetAnswer askPdfTarget(Desktop &desktop, QWidget *parent, const QString &path, const QString &numbered);
// The first "name (n).pdf" beside `path` that does not exist.
QString numberedPdfName(const QString &path);

// After a job: what went out and, for a PDF, where, with a button that opens it
// (the box "JobReport" with "ButtonOpenPdf"); without a PDF a plain notice.
void reportJob(Desktop &desktop, QWidget *parent, const QString &text, const QString &pdfPath);

} // namespace kvitanky
