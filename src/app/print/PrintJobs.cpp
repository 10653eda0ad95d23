// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintJobs.h"

#include "print/JobProgress.h"
#include "print/PrinterProvider.h"
#include "render/PriceWords.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>

namespace kvitanky {

namespace {

const QString JobTitle = QStringLiteral("Kvitanky");

// Unwinds a job the user cancelled in the progress window.
struct JobCancelled {
};

// While a slip job runs the slips are drawn on paper too; afterwards, whatever
// happened, only on the preview again.
class SlipJobFlags
{
public:
    explicit SlipJobFlags(TForm1 &form) : m_form(form) { m_form.PreviewOnly = false; }
    ~SlipJobFlags()
    {
        m_form.PrinterPage = nullptr;
        m_form.PreviewOnly = true;
    }
    SlipJobFlags(const SlipJobFlags &) = delete;
    SlipJobFlags &operator=(const SlipJobFlags &) = delete;

private:
    TForm1 &m_form;
};

// The printer page of the running job, as the slip renderer draws on it.
class JobPage
{
public:
    JobPage(TForm1 &form, PrintSession &session) : m_form(form), m_surface(&session.painter())
    {
        m_form.PrinterPage = &m_surface;
    }
    ~JobPage() { m_form.PrinterPage = nullptr; }
    JobPage(const JobPage &) = delete;
    JobPage &operator=(const JobPage &) = delete;

private:
    TForm1 &m_form;
    PainterSurface m_surface;
};

} // namespace

PrintJobs::PrintJobs(TForm1 &form)
    : QObject(&form), m_form(form)
{
    connectButtons();
}

PrintJobs::~PrintJobs() = default;

void PrintJobs::connectButtons()
{
    const auto handle = [this](QPushButton *button, void (PrintJobs::*handler)()) {
        if (button)
            connect(button, &QPushButton::clicked, this, [this, handler] { m_form.guard([&] { (this->*handler)(); }); });
    };
    handle(m_form.ButtonPrintActual, &PrintJobs::ButtonPrintActualClick);
    handle(m_form.ButtonPrintAll, &PrintJobs::ButtonPrintAllClick);
    handle(m_form.ButtonPrinter, &PrintJobs::ButtonPrinterClick);
    handle(m_form.ButtonPrinterSetup, &PrintJobs::ButtonPrinterSetupClick);
}

void PrintJobs::reportPrinter()
{
    m_provider = m_form.Printers ? m_form.Printers : std::make_shared<SystemPrinters>();
    const QStringList names = m_provider->printerNames();
    const QString defaultName = m_provider->defaultPrinterName();
    m_hasPrinter = false;
    if (!defaultName.isEmpty() && names.contains(defaultName)) {
        m_choice = PrinterChoice{false, defaultName, m_form.programFile(QStringLiteral("Kvitanky.pdf"))};
        m_hasPrinter = true;
    } else if (m_provider->hasPdfWriter()) {
        m_choice = PrinterChoice{true, QString(), m_form.programFile(QStringLiteral("Kvitanky.pdf"))};
        m_hasPrinter = true;
    }

    if (!m_hasPrinter) {
        for (QPushButton *b : {m_form.ButtonPrinter, m_form.ButtonPrinterSetup, m_form.ButtonPrintActual,
                               m_form.ButtonPrintAll})
            b->setEnabled(false);
        ui::information(&m_form, QStringLiteral("Chybí instalace zarízení k tisku!\n"
                                                "Nainstalujte tiskárnu nebo PDFCreator a spušťtte program znovu."));
        return;
    }
    refreshLabel();
    Q_EMIT printerChosen();
}

void PrintJobs::refreshLabel()
{
    QLabel *label = m_form.LabelPrinter;
    const QString text = QStringLiteral("Tiskárna: ") + m_choice.displayName();
    // A long PDF path must not run under the buttons beside the label.
    const int room = m_form.ButtonPrinter ? m_form.ButtonPrinter->x() - label->x() - 8 : 280;
    const QString shown = label->fontMetrics().elidedText(text, Qt::ElideMiddle, room);
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
    label->setAccessibleName(text);
    label->resize(std::min(label->sizeHint().width(), room), label->sizeHint().height());
}

QPrinter &PrintJobs::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (m_choice.pdf) {
            m_printer->setOutputFormat(QPrinter::PdfFormat);
            m_printer->setOutputFileName(m_choice.pdfPath);
        } else if (!m_choice.name.isEmpty()) {
            m_printer->setOutputFormat(QPrinter::NativeFormat);
            m_printer->setPrinterName(m_choice.name);
        }
    }
    return *m_printer;
}

void PrintJobs::takeChoiceFromPrinter()
{
    QPrinter &p = printer();
    if (p.outputFormat() == QPrinter::PdfFormat || !p.outputFileName().isEmpty()) {
        m_choice.pdf = true;
        m_choice.name.clear();
        if (!p.outputFileName().isEmpty())
            m_choice.pdfPath = p.outputFileName();
    } else {
        m_choice.pdf = false;
        m_choice.name = p.printerName();
    }
}

void PrintJobs::ButtonPrinterClick()
{
    if (!m_hasPrinter)
        throw PrintError(NoPrinterMessage().toStdString());
    QPrinter &p = printer();
    if (m_printDialogHook) {
        m_printDialogHook(p);
    } else {
        QPrintDialog PrintDialog1(&p, &m_form);
        PrintDialog1.setObjectName(QStringLiteral("PrintDialog1"));
        // Page ranges and selections mean nothing to slips printed one per record.
        PrintDialog1.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize
                                | QAbstractPrintDialog::PrintCollateCopies);
        PrintDialog1.exec();
    }
    // Whatever the user chose, the label names the printer now current.
    takeChoiceFromPrinter();
    refreshLabel();
    Q_EMIT printerChosen();
}

void PrintJobs::choosePrinter(const PrinterChoice &choice)
{
    m_choice = choice;
    refreshLabel();
    Q_EMIT printerChosen();
}

void PrintJobs::ButtonPrinterSetupClick()
{
    if (!m_hasPrinter)
        throw PrintError(NoPrinterMessage().toStdString());
    QPrinter &p = printer();
    if (m_pageSetupDialogHook) {
        m_pageSetupDialogHook(p);
    } else {
        QPageSetupDialog PrinterSetupDialog1(&p, &m_form);
        PrinterSetupDialog1.setObjectName(QStringLiteral("PrinterSetupDialog1"));
        PrinterSetupDialog1.exec();
    }
    takeChoiceFromPrinter();
    refreshLabel();
    Q_EMIT printerChosen();
}

void PrintJobs::runJob(const QString &title, const std::function<void(PrintSession &)> &draw)
{
    if (!m_hasPrinter)
        throw PrintError(NoPrinterMessage().toStdString());
    if (m_jobRunning)
        return;   // the progress window of a running job let a second click through
    m_jobRunning = true;
    const auto done = qScopeGuard([this] { m_jobRunning = false; });

    PrintSession session(m_choice, printer(), title);
    session.begin();
    draw(session);   // an error leaves through the session, which abandons the job
    session.finish();
}

void PrintJobs::ButtonPrintActualClick()
{
    SlipJobFlags flags(m_form);
    runJob(JobTitle, [this](PrintSession &session) {
        JobPage page(m_form, session);
        m_form.UpdatePrintScale();
        // The record at the cursor, excluded or not, with the words the box holds.
        m_form.ComposeSlip();
    });
}

void PrintJobs::ButtonPrintAllClick()
{
    SlipJobFlags flags(m_form);
    // The slips go to the printer alone; the preview is drawn once, for the last
    // printed slip, when the job has ended (however it ended).
    SlipContext &slip = m_form.Slip->context();
    slip.printerOnly = true;
    int lastPrinted = -1;          // row of the last slip on paper
    bool previewBehind = false;    // the preview does not show that slip yet
    const auto catchUp = [&] {
        if (!previewBehind)
            return;
        previewBehind = false;
        showPrintedSlip(lastPrinted);
    };
    // The cursor moves through the table; the pages showing it re-read it, also
    // after a failed or cancelled job.
    const auto moved = qScopeGuard([&] {
        slip.printerOnly = false;
        try {
            catchUp();
        } catch (...) {
        }
        try {
            m_form.TablesChanged();
        } catch (...) {
        }
    });
    try {
        runJob(JobTitle, [&](PrintSession &session) {
            JobPage page(m_form, session);
            m_form.UpdatePrintScale();

            DbfTable &table = m_form.TableData;
            QLineEdit *priceWord = m_form.edit(QStringLiteral("EditDataPriceWord"));
            JobProgress progress(&m_form, QStringLiteral("Tisk kvitanek: záznam %1 z %2"), table.recordCount());
            const QString excludedColumn = QStringLiteral("VYRAZENO");
            const QString amountColumn = QStringLiteral("CASTKA");
            qint64 done = 0;
            bool first = true;
            table.first();
            while (!table.eof()) {
                if (table.fieldByName(excludedColumn).asInteger() == 0) {
                    if (!first)
                        session.newPage();
                    // A stale amount in words never reaches paper.
                    const QString words = PriceToWords(table.fieldByName(amountColumn).asFloat());
                    if (priceWord)
                        priceWord->setText(words);
                    // A composition that fails shows its own slip on the preview.
                    previewBehind = false;
                    m_form.ComposeSlip();
                    lastPrinted = table.recNo();
                    previewBehind = true;
                    first = false;
                }
                table.next();
                if (!progress.update(++done))
                    throw JobCancelled{};
            }
        });
    } catch (const JobCancelled &) {
        catchUp();
        ui::information(&m_form, QStringLiteral("Tisk byl zrušen."));
        return;
    }
    catchUp();   // an error here is reported; the slips are on paper
}

void PrintJobs::showPrintedSlip(int row)
{
    // The words box already holds the words of that slip.
    DbfTable &table = m_form.TableData;
    const int at = table.recNo();
    const bool atEnd = table.eof();
    table.moveTo(row);
    const auto back = qScopeGuard([&] { table.moveTo(atEnd ? table.recordCount() : at); });
    m_form.Slip->ComposePreview();
}

} // namespace kvitanky
