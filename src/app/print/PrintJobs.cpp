// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintJobs.h"

#include "print/JobProgress.h"
#include "print/PrintQuestions.h"
#include "print/PrintRangeDialog.h"
#include "print/PrinterChoiceDialog.h"
#include "print/PrinterProvider.h"
#include "print/SlipPreflight.h"
#include "render/BlankRecipient.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingKeyNames.h"
#include "data/RecipientPage.h"
#include "shell/Desktop.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>

#include <climits>

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

    // Beside "Tisk všech Kvitanky", which still prints everything with one click.
    if (QPushButton *all = m_form.ButtonPrintAll) {
        ButtonPrintRange = new QToolButton(&m_form);
        ButtonPrintRange->setObjectName(QStringLiteral("ButtonPrintRange"));
        ButtonPrintRange->setArrowType(Qt::DownArrow);
        ButtonPrintRange->setPopupMode(QToolButton::InstantPopup);
        ButtonPrintRange->setToolTip(QStringLiteral("Tisk vybraných řádků"));
        ButtonPrintRange->setAccessibleName(QStringLiteral("Tisk vybraných řádků"));
        // Right of the button, inside the window even where the desktop's font has
        // widened the button.
        constexpr int ArrowWidth = 18;
        const int x = qMin(all->x() + all->width() + 1, m_form.width() - ArrowWidth - 2);
        if (x < all->x() + all->width() + 1)
            all->resize(x - 1 - all->x(), all->height());
        ButtonPrintRange->setGeometry(x, all->y(), ArrowWidth, all->height());
        auto *menu = new QMenu(ButtonPrintRange);
        ActionPrintRange = menu->addAction(QStringLiteral("Tisk řádků od … do …"));
        ActionPrintRange->setObjectName(QStringLiteral("ActionPrintRange"));
        ActionPrintResume = menu->addAction(QStringLiteral("Pokračovat v přerušeném tisku"));
        ActionPrintResume->setObjectName(QStringLiteral("ActionPrintResume"));
        ActionPrintResume->setEnabled(false);
        ButtonPrintRange->setMenu(menu);
        connect(ActionPrintRange, &QAction::triggered, this,
                [this] { m_form.guard([this] { ActionPrintRangeTriggered(); }); });
        connect(ActionPrintResume, &QAction::triggered, this,
                [this] { m_form.guard([this] { ActionPrintResumeTriggered(); }); });
    }
}

void PrintJobs::setResume(int from, int to)
{
    m_resumeFrom = from;
    m_resumeTo = to;
    if (ActionPrintResume) {
        ActionPrintResume->setEnabled(from >= 0);
        ActionPrintResume->setText(from >= 0 ? QStringLiteral("Pokračovat od řádku %1").arg(from + 1)
                                             : QStringLiteral("Pokračovat v přerušeném tisku"));
    }
}

void PrintJobs::ActionPrintRangeTriggered()
{
    const int rows = m_form.TableData.recordCount();
    if (rows == 0) {
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Žádná kvitance k tisku."));
        return;
    }
    int from = std::max(m_form.TableData.recNo(), 0) + 1;
    int to = rows;
    if (PrintRangeDialog::askRange(m_form.desktop(), &m_form, rows, from, to))
        printRows(from - 1, to - 1);
}

void PrintJobs::ActionPrintResumeTriggered()
{
    if (m_resumeFrom >= 0)
        printRows(m_resumeFrom, m_resumeTo);
}

void PrintJobs::reportPrinter()
{
    const PrinterProvider &printers = m_form.desktop().printers();
    const QStringList names = printers.printerNames();
    const QString defaultName = printers.defaultPrinterName();
    m_hasPrinter = false;
    if (!defaultName.isEmpty() && names.contains(defaultName)) {
        m_choice = PrinterChoice{false, defaultName, m_form.programFile(QStringLiteral("Kvitanky.pdf"))};
        m_hasPrinter = true;
    } else if (printers.hasPdfWriter()) {
        m_choice = PrinterChoice{true, QString(), m_form.programFile(QStringLiteral("Kvitanky.pdf"))};
        m_hasPrinter = true;
    }

    if (!m_hasPrinter) {
        for (QPushButton *b : {m_form.ButtonPrinter, m_form.ButtonPrinterSetup, m_form.ButtonPrintActual,
                               m_form.ButtonPrintAll})
            b->setEnabled(false);
        if (ButtonPrintRange)
            ButtonPrintRange->setEnabled(false);
        ui::information(m_form.desktop(), &m_form,
                        QStringLiteral("Chybí instalace zarízení k tisku!\n"
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
    // Only the choice: the dialog neither prints nor asks about files.
    PrinterChoice chosen = m_choice;
    if (PrinterChoiceDialog::choose(m_form.desktop(), &m_form, chosen)) {
        if (chosen.pdf) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(chosen.pdfPath);
        } else {
            p.setOutputFileName(QString());
            p.setOutputFormat(QPrinter::NativeFormat);
            p.setPrinterName(chosen.name);
        }
        m_choice = chosen;
    }
    // Whatever the user chose, the label names the printer now current.
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
    QPageSetupDialog PrinterSetupDialog1(&p, &m_form);
    PrinterSetupDialog1.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    m_form.desktop().runDialog(PrinterSetupDialog1);
    takeChoiceFromPrinter();
    refreshLabel();
    Q_EMIT printerChosen();
}

QString PrintJobs::jobTarget() const
{
    if (m_choice.pdf)
        return QStringLiteral(" do souboru ") + QDir::toNativeSeparators(m_choice.pdfPath);
    return QStringLiteral(" na tiskárnu ") + m_choice.name;
}

bool PrintJobs::confirmPdfTarget()
{
    if (!m_choice.pdf || !QFileInfo(m_choice.pdfPath).isFile())
        return true;
    const QString numbered = numberedPdfName(m_choice.pdfPath);
    switch (askPdfTarget(m_form.desktop(), &m_form, m_choice.pdfPath, numbered)) {
    case PdfTargetAnswer::Replace:
        return true;
    case PdfTargetAnswer::NewName:
        // The new file stays the target, so the label tells where the slips are.
        printer().setOutputFileName(numbered);
        m_choice.pdfPath = numbered;
        refreshLabel();
        return true;
    case PdfTargetAnswer::Cancel:
        break;
    }
    return false;
}

bool PrintJobs::runJob(const QString &title, const std::function<void(PrintSession &)> &draw)
{
    if (!m_hasPrinter)
        throw PrintError(NoPrinterMessage().toStdString());
    if (m_jobRunning)
        return false;   // the progress window of a running job let a second click through
    if (!confirmPdfTarget())
        return false;
    m_jobRunning = true;
    const auto done = qScopeGuard([this] { m_jobRunning = false; });

    PrintSession session(m_choice, printer(), title);
    session.begin();
    draw(session);   // an error leaves through the session, which abandons the job
    session.finish();
    return true;
}

void PrintJobs::ButtonPrintActualClick()
{
    // An empty table, or a new record nobody typed into, holds no slip.
    if (isBlankRecipient(DbfRecipientSource(&m_form.TableData))) {
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Žádná kvitance k tisku."));
        return;
    }
    SlipJobFlags flags(m_form);
    const bool printed = runJob(JobTitle, [this](PrintSession &session) {
        JobPage page(m_form, session);
        m_form.UpdatePrintScale();
        // The record at the cursor, excluded or not, with the words the box holds.
        m_form.ComposeSlip();
    });
    if (printed)
        reportJob(m_form.desktop(), &m_form, printedSlips(1) + jobTarget() + QLatin1Char('.'),
                  m_choice.pdf ? m_choice.pdfPath : QString());
}

void PrintJobs::ButtonPrintAllClick()
{
    printRows(0, INT_MAX);
}

void PrintJobs::printRows(int from, int to)
{
    if (!m_hasPrinter)
        throw PrintError(NoPrinterMessage().toStdString());
    if (m_jobRunning)
        return;
    DbfTable &table = m_form.TableData;
    // Every slip checked by the rules it will be printed with, before any paper.
    SlipPreflight preflight(m_form.settings());
    preflight.run(table, from, to);
    if (preflight.slips() == 0) {
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Žádná kvitance k tisku."));
        return;
    }
    const PreflightDialog::Answer answer = PreflightDialog::ask(m_form.desktop(), &m_form, preflight, m_choice);
    if (answer == PreflightDialog::Answer::Cancel)
        return;
    if (answer == PreflightDialog::Answer::ShowFirstFault) {
        table.moveTo(preflight.firstFaultyRow());
        m_form.TablesChanged();
        m_form.PageControlMain->setCurrentWidget(m_form.TabSheetData);
        m_form.ShowRecipient();
        return;
    }
    const bool skipFaulty = answer == PreflightDialog::Answer::PrintCorrect;
    if (skipFaulty && preflight.faultySlips() >= preflight.slips()) {
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Žádná kvitance k tisku."));
        return;
    }

    SlipJobFlags flags(m_form);
    // The slips go to the printer alone; the preview is drawn once, for the last
    // printed slip, when the job has ended (however it ended).
    SlipContext &slip = m_form.Slip->context();
    slip.printerOnly = true;
    slip.overflowWarningOff = true;   // the summary named those slips already
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
        slip.overflowWarningOff = false;
        try {
            catchUp();
        } catch (...) {
        }
        try {
            m_form.TablesChanged();
        } catch (...) {
        }
    });
    const int toPrint = skipFaulty ? preflight.slips() - preflight.faultySlips() : preflight.slips();
    int printed = 0;
    bool ran = false;
    // Nothing of a job that does not end well reaches paper: until it has ended,
    // the whole range is what remains to be printed.
    setResume(from, to);
    try {
        ran = runJob(JobTitle, [&](PrintSession &session) {
            JobPage page(m_form, session);
            m_form.UpdatePrintScale();

            JobProgress progress(&m_form, QStringLiteral("Tisk kvitanek: %1 z %2"), toPrint);
            // The rows the preflight counted, by the same rule.
            forEachJobRow(table, from, to, [&](int row) {
                if (skipFaulty && preflight.isFaulty(row))
                    return;
                if (printed > 0)
                    session.newPage();
                // Composition spells the words from the record; the words box is
                // filled once, for the slip the preview shows at the end.
                // A composition that fails shows its own slip on the preview.
                previewBehind = false;
                m_form.ComposeSlip();
                lastPrinted = row;
                previewBehind = true;
                ++printed;
                if (!progress.update(printed))
                    throw JobCancelled{};
            });
        });
    } catch (const JobCancelled &) {
        catchUp();
        ui::information(m_form.desktop(), &m_form, QStringLiteral("Tisk byl zrušen, nevytištěna žádná kvitance.\n"
                                                                  "Pokračovat lze od řádku %1 v nabídce vedle tlačítka "
                                                                  "„Tisk všech Kvitanky“.")
                                                       .arg(from + 1));
        return;
    }
    setResume(-1, -1);
    catchUp();   // an error here is reported; the slips are on paper
    if (ran)
        reportJob(m_form.desktop(), &m_form, printedSlips(printed) + jobTarget() + QLatin1Char('.'),
                  m_choice.pdf ? m_choice.pdfPath : QString());
}

void PrintJobs::showPrintedSlip(int row)
{
    DbfTable &table = m_form.TableData;
    const int at = table.recNo();
    const bool atEnd = table.eof();
    table.moveTo(row);
    const auto back = qScopeGuard([&] { table.moveTo(atEnd ? table.recordCount() : at); });
    if (m_form.TabSheetData)
        m_form.TabSheetData->ShowWordsOfRecord();
    m_form.Slip->ComposePreview();
}

} // namespace kvitanky
