// SPDX-License-Identifier: GPL-3.0-or-later
// One print job from its beginning to its end, on a printer or into a PDF file.
// A job that does not reach its end leaves nothing behind: a printer job is
// aborted, and a PDF is written to a temporary file that replaces the target only
// when the job has ended well.
#pragma once

#include <QPageLayout>
#include <QPainter>
#include <QString>

#include <memory>
#include <stdexcept>

class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace kvitanky {

class PrintError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Where the output of a job goes.
struct PrinterChoice {
    bool pdf = false;   // the program's PDF writer
    QString name;       // the printer's name (not the PDF writer)
    QString pdfPath;    // the PDF writer's target file

    // The name shown after "Tiskárna: ".
    QString displayName() const;
    bool operator==(const PrinterChoice &) const = default;
};

class PrintSession
{
public:
    // The printer object carries the page size (and, for a printer, its options).
    PrintSession(const PrinterChoice &choice, QPrinter &printer, const QString &title);
    ~PrintSession();   // abandons a job that was begun and not finished
    PrintSession(const PrintSession &) = delete;
    PrintSession &operator=(const PrintSession &) = delete;

    // The page the PDF writer draws on: the printer object's page size, and its
    // origin where an exact printer's printable area begins, whatever margins the
    // page set-up holds, so that the PDF shows the slips where paper gets them.
    static QPageLayout pdfPageLayout(const QPageLayout &printerLayout);

    // Starts the document with its first page. Throws PrintError.
    void begin();
    // Active from begin() until the end; its origin is the printable area's top-left.
    QPainter &painter() { return m_painter; }
    // Ends the current page and starts the next one. Throws PrintError.
    void newPage();
    // Ends the last page and hands the document over (for the PDF writer: the file
    // replaces the target). Throws PrintError; the job is then abandoned.
    void finish();
    // Drops the job: nothing is printed and the target file is left as it was.
    void abandon();

private:
    PrinterChoice m_choice;
    QPrinter &m_printer;
    QString m_title;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    bool m_running = false;
};

// "Chybí zarízení k tisku." as the error of a job on a machine without printers.
QString NoPrinterMessage();

} // namespace kvitanky
