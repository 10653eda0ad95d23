// SPDX-License-Identifier: GPL-3.0-or-later
// What a print job asks and tells: the summary of its preflight before the first
// page, the question about an existing PDF file, and the report of what went out.
// Tests answer each through a hook; without one, but with the message hook of
// the tests set, the question goes through that hook as an OK / Cancel box.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

namespace kvitanky {

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

    // Shows the dialog modally (or asks the hook) and returns the user's choice.
    static Answer ask(QWidget *parent, const SlipPreflight &preflight, const PrinterChoice &printer);

    QString summary() const { return m_summary; }
    const SlipPreflight &preflight() const { return m_preflight; }
    bool canPrintCorrect() const { return m_canPrintCorrect; }

    using Hook = std::function<Answer(const PreflightDialog &)>;
    static void setHook(Hook hook);

private:
    const SlipPreflight &m_preflight;
    QString m_summary;
    bool m_canPrintCorrect = false;
    Answer m_answer = Answer::Cancel;
};

// An existing PDF target: replace it, write a new numbered file beside it, or stop.
enum class PdfTargetAnswer { Replace, NewName, Cancel };
// `numbered` is the free name proposed ("Kvitanky (2).pdf").
PdfTargetAnswer askPdfTarget(QWidget *parent, const QString &path, const QString &numbered);
using PdfTargetHook = std::function<PdfTargetAnswer(const QString &path, const QString &numbered)>;
void setPdfTargetHook(PdfTargetHook hook);
// The first "name (n).pdf" beside `path` that does not exist.
QString numberedPdfName(const QString &path);

// After a job: what went out and, for a PDF, where, with a button that opens it.
void reportJob(QWidget *parent, const QString &text, const QString &pdfPath);
// Tests: receives the text and the file, returns whether "Otevřít" was pressed.
using JobReportHook = std::function<bool(const QString &text, const QString &pdfPath)>;
void setJobReportHook(JobReportHook hook);

} // namespace kvitanky
