// SPDX-License-Identifier: GPL-3.0-or-later
// Print jobs into the PDF writer, read back with poppler's tools: pages, the place
// and size of the printed characters, failed and cancelled jobs, and the printer
// choice shown in the bottom row.
#include "FakeDesktop.h"
#include "TestSupport.h"

#include "data/DbfTable.h"
#include "print/JobProgress.h"
#include "print/PrintJobs.h"
#include "print/PrintQuestions.h"
#include "print/PrintRangeDialog.h"
#include "print/PrinterChoiceDialog.h"
#include "print/PrinterProvider.h"
#include "print/SlipPreflight.h"
#include "render/CalibrationSheet.h"
#include "render/RecipientSource.h"
#include "render/LayoutPage.h"
#include "render/PriceWords.h"
#include "render/SlipRenderer.h"
#include "data/RecipientPage.h"
#include "shell/Desktop.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"

#include <QAction>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTabWidget>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>

using namespace kvitanky;
using namespace testsupport;

namespace {

constexpr double PrinterPixel = 72.0 / 600.0;   // one printer pixel in points
// Margins of the PDF page in points; the printable area starts inside them.
constexpr double MarginLeft = 20, MarginTop = 31;

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

// The words of a PDF with their boxes in points, as pdftotext -bbox gives them.
QList<Word> pdfWords(const QString &pdf)
{
    int code = -1;
    const QString html = QString::fromUtf8(runProgram("pdftotext", {"-bbox", pdf, "-"}, &code));
    QList<Word> words;
    const QRegularExpression re(
        R"re(<page |<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
    int page = 0;
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
        words.append(Word{page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                          m.captured(4).toDouble(), text});
    }
    return words;
}

QString pageText(const QString &pdf, int page)
{
    int code = -1;
    return QString::fromUtf8(
        runProgram("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"}, &code));
}

class PrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desktop->onMessage = [this](const ui::MessageRequest &r) {
            messages << r.text;
            return ui::MessageAnswer::Ok;
        };
        desktop->onDialog = [this](QDialog &d) {
            const QString name = d.objectName();
            if (name == "PreflightDialog")
                return answerPreflight(dynamic_cast<PreflightDialog &>(d));
            if (name == "PdfTargetQuestion")
                return answerPdfTarget(dynamic_cast<QMessageBox &>(d));
            if (name == "JobReport")
                return answerReport(dynamic_cast<QMessageBox &>(d));
            if (name == "PrintDialog1" && onPrinterChoice) {
                onPrinterChoice(dynamic_cast<PrinterChoiceDialog &>(d));
                return d.result();
            }
            if (name == "PrinterSetupDialog1" && onPageSetup) {
                onPageSetup(d);
                return d.result();
            }
            if (name == "PrintRangeDialog" && onRange) {
                onRange(dynamic_cast<PrintRangeDialog &>(d));
                return d.result();
            }
            return desktop->answerAsUser(d);
        };
    }
    void TearDown() override
    {
        JobProgress::setObserver({});
    }

    int answerPreflight(PreflightDialog &d)
    {
        summaries << d.summary();
        faultCounts.clear();
        for (int k = 0; k < SlipPreflight::FaultKinds; ++k)
            faultCounts << d.preflight().count(SlipFault(k));
        accountOk = d.preflight().account().ok();
        canPrintCorrect = d.canPrintCorrect();
        return FakeDesktop::click(d, "ButtonPreflightPrint");
    }

    // "Soubor <path> již existuje. … do nového souboru <name>?"
    int answerPdfTarget(QMessageBox &box)
    {
        const QString text = box.text();
        const QString shownPath = text.section(QString::fromUtf8(" již existuje."), 0, 0).mid(QStringLiteral("Soubor ").size());
        const QString path = QDir::fromNativeSeparators(shownPath);
        targetQuestions << path;
        proposed = QFileInfo(path).dir().filePath(text.section(QString::fromUtf8("do nového souboru "), 1).chopped(1));
        const char *button = pdfAnswer == PdfTargetAnswer::Replace ? "ButtonPdfReplace"
            : pdfAnswer == PdfTargetAnswer::NewName                ? "ButtonPdfNewName"
                                                                   : "ButtonPdfCancel";
        return FakeDesktop::click(box, button);
    }

    // "… do souboru <pdf>."; "Otevřít" pressed when openReports is set.
    int answerReport(QMessageBox &box)
    {
        reports << box.text();
        reportedPdf = QDir::fromNativeSeparators(box.text().section(" do souboru ", 1).chopped(1));
        if (openReports)
            return FakeDesktop::click(box, "ButtonOpenPdf");
        box.button(QMessageBox::Ok)->click();
        return box.result();
    }

    std::unique_ptr<TForm1> makeForm(std::shared_ptr<PrinterProvider> printers = FixedPrinters::pdfOnly())
    {
        StartupOptions options;
        options.programDir = dir.path();
        options.pictureDir = binDir();
        desktop->printerList = std::move(printers);
        options.desktop = desktop;
        auto form = std::make_unique<TForm1>(options);
        startupMessages = messages;
        messages.clear();
        if (form->Printing->hasPrinter()) {
            form->Printing->printer().setPageMargins(QMarginsF(MarginLeft, MarginTop, 14, 14),
                                                     QPageLayout::Point);
        }
        return form;
    }

    // Messages other than the overflow warning of a long amount in words.
    QStringList errors() const
    {
        QStringList out;
        for (const QString &m : messages) {
            if (!m.startsWith(QString::fromUtf8("Nebezpecí")))
                out << m;
        }
        return out;
    }

    static bool havePoppler() { return haveProgram("pdftotext") && haveProgram("pdfinfo"); }

    int overflowWarnings() const
    {
        return int(std::count_if(messages.begin(), messages.end(),
                                 [](const QString &m) { return m.startsWith(QString::fromUtf8("Nebezpecí")); }));
    }

    // The preview as composing the slip of `row` on its own draws it (the cursor
    // moves there).
    static QImage previewOf(TForm1 &form, int row)
    {
        form.TableData.moveTo(row);
        form.edit("EditDataPriceWord")->setText(PriceToWords(form.TableData.fieldByName("CASTKA").asFloat()));
        try {
            form.ComposeSlip();
        } catch (const std::exception &) {
        }
        return form.Slip->previewImage();
    }

    static QImage shownPreview(TForm1 &form)
    {
        return form.TabSheetLayout->ImageCheque->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Files other than the program's own: a job must leave no temporary file behind.
    QStringList strayFiles() const
    {
        QStringList out;
        for (const QString &f : QDir(dir.path()).entryList(QDir::Files)) {
            if (!f.endsWith(".bmp") && !f.endsWith(".dbf", Qt::CaseInsensitive) && f != "Kvitanky.ini"
                && f != "Kvitanky.pdf")
                out << f;
        }
        return out;
    }

    int faults(SlipFault kind) const { return faultCounts.value(int(kind)); }

    TempDir dir;
    std::shared_ptr<FakeDesktop> desktop = std::make_shared<FakeDesktop>();
    // The printer choice, the page set-up and the range of rows as the user works them.
    std::function<void(PrinterChoiceDialog &)> onPrinterChoice;
    std::function<void(QDialog &)> onPageSetup;
    std::function<void(PrintRangeDialog &)> onRange;
    bool openReports = false;
    QStringList messages;
    QStringList startupMessages;
    QStringList summaries;           // of the preflight dialog, one per bulk job
    QList<int> faultCounts;          // of the last preflight, by SlipFault
    bool accountOk = false;
    bool canPrintCorrect = false;
    QStringList targetQuestions;     // existing PDF files a job asked about
    QString proposed;
    PdfTargetAnswer pdfAnswer = PdfTargetAnswer::Replace;
    QStringList reports;             // what the jobs said went out
    QString reportedPdf;
};

void setExcluded(DbfTable &table, int row, int value)
{
    table.moveTo(row);
    table.edit();
    table.fieldByName("VYRAZENO").setAsInteger(value);
    table.post();
}

} // namespace

// The four sample recipients, the fourth excluded: three slips on three pages, the
// amount's boxes at the calibrated places.
TEST_F(PrintTest, PrintAllSamples)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils missing";
    auto form = makeForm();
    const QString pdf = dir.file("Kvitanky.pdf");
    form->ButtonPrintAll->click();
    ASSERT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(pdfPages(pdf), 3);
    EXPECT_TRUE(form->PreviewOnly);
    EXPECT_EQ(form->PrinterPage, nullptr);
    // The preflight found the designed owner account's check digits wrong, and the
    // last slip's words row 2 (29 characters: row 1 takes whole words up to 25
    // letters) longer than its box; the job told what went out and where.
    ASSERT_EQ(summaries.size(), 1);
    EXPECT_TRUE(summaries[0].startsWith(QString::fromUtf8("Tisk 3 kvitance na tiskárnu PDF soubor."))) << summaries[0].toStdString();
    EXPECT_FALSE(accountOk);
    EXPECT_EQ(faults(SlipFault::WordsRow2), 1);
    EXPECT_EQ(std::accumulate(faultCounts.begin(), faultCounts.end(), 0), 1);
    EXPECT_TRUE(summaries[0].contains(QString::fromUtf8("přesahuje 2. řádek: 1 (řádek 3 Petr Dvořák)"))) << summaries[0].toStdString();
    EXPECT_EQ(reports, QStringList{QString::fromUtf8("Vytištěny 3 kvitance do souboru %1.").arg(QDir::toNativeSeparators(pdf))});
    EXPECT_EQ(reportedPdf, pdf);
    // The cursor stays on the last record; the box holds the last printed slip's words.
    EXPECT_EQ(form->TableData.recNo(), 3);
    EXPECT_EQ(form->edit("EditDataPriceWord")->text(), PriceToWords(999999.5));

    EXPECT_TRUE(pageText(pdf, 1).contains(QString::fromUtf8("Novák")));
    EXPECT_TRUE(pageText(pdf, 1).contains(QString::fromUtf8("Nové Hobzí")));
    EXPECT_TRUE(pageText(pdf, 2).contains(QString::fromUtf8("Svobodová")));
    EXPECT_TRUE(pageText(pdf, 3).contains(QString::fromUtf8("Dvořák")));
    for (int page = 1; page <= 3; ++page)
        EXPECT_FALSE(pageText(pdf, page).contains(QString::fromUtf8("Černý")));

    // The amount 123456 fills its eight boxes as "==123456"; with the designed
    // calibration its first character stands at (2859, 182) printer pixels from the
    // printable area's corner, the next 117 further right.
    const QList<Word> words = pdfWords(pdf);
    // The PDF writer's origin, whatever margins the page set-up holds.
    const QRectF printable = PrintSession::pdfPageLayout(form->Printing->printer().pageLayout()).paintRectPoints();
    ASSERT_NEAR(printable.left(), CalibrationSheet::FormOriginMm * 72 / 25.4, 1e-6);
    ASSERT_EQ(printable.left(), printable.top());
    const double x0 = printable.left() + 2859 * PrinterPixel;
    const double x1 = printable.left() + 2976 * PrinterPixel;
    const double top = printable.top() + 182 * PrinterPixel;
    const Word *first = nullptr;
    const Word *second = nullptr;
    for (const Word &w : words) {
        if (w.page != 1 || std::abs(w.yMin - top) > 2)
            continue;
        if (std::abs(w.xMin - x0) <= PrinterPixel)
            first = &w;
        if (std::abs(w.xMin - x1) <= PrinterPixel)
            second = &w;
    }
    ASSERT_NE(first, nullptr) << "nothing printed at the amount's first box";
    ASSERT_NE(second, nullptr) << "nothing printed at the amount's second box";
    EXPECT_EQ(first->text, "=");
    EXPECT_EQ(second->text, "=");
    // pdftotext puts yMin at the baseline less the font's ascent, which is where
    // the character cell's top was asked to be.
    EXPECT_NEAR(first->yMin, top, PrinterPixel * 2);
    // Set 1 is 10 pt: a character cell (ascent + descent) of about 11 to 12 points,
    // 9 pt or 12 pt would give about 10 or 13.5.
    EXPECT_GT(first->yMax - first->yMin, 10.6);
    EXPECT_LT(first->yMax - first->yMin, 12.2);
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(",").toStdString();
}

struct Exclusion {
    const char *name;
    QList<int> excluded;   // sample rows marked excluded (0-based); the 4th is already
    QList<int> printed;    // sample rows expected, page by page
};

class Exclusions : public PrintTest, public ::testing::WithParamInterface<Exclusion>
{
};

const char *const SampleSurnames[] = {"Novák", "Svobodová", "Dvořák", "Černý"};

// Excluded records take no page; the others are printed in table order.
TEST_P(Exclusions, SkippedRecordsTakeNoPage)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils missing";
    const Exclusion e = GetParam();
    auto form = makeForm();
    setExcluded(form->TableData, 3, 0);
    for (int row : e.excluded)
        setExcluded(form->TableData, row, row == 0 ? 7 : 1);   // any non-zero mark excludes
    // A short first row of the words: long amounts overflow the second one.
    form->edit("EditSetOtherLengthFirstPriceRow")->setText("5");
    messages.clear();
    const QString pdf = dir.file("Kvitanky.pdf");
    form->ButtonPrintAll->click();
    ASSERT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    ASSERT_EQ(pdfPages(pdf), e.printed.size());
    for (int page = 0; page < e.printed.size(); ++page) {
        const QString text = pageText(pdf, page + 1);
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(text.contains(QString::fromUtf8(SampleSurnames[row])), row == e.printed[page])
                << "page " << page + 1 << " row " << row;
    }

    // The cursor past the last record; the preview, on screen too, shows the last
    // printed slip; the job showed no overflow warning, its summary counted the
    // slips that need one instead.
    EXPECT_EQ(form->TableData.recNo(), 3);
    EXPECT_TRUE(form->TableData.eof());
    const QImage preview = form->Slip->previewImage();
    EXPECT_EQ(shownPreview(*form), preview);
    EXPECT_EQ(overflowWarnings(), 0);
    const int warned = faults(SlipFault::WordsRow2);
    EXPECT_GT(warned, 0);
    messages.clear();
    for (int row : e.printed) {
        const QImage alone = previewOf(*form, row);
        if (row == e.printed.last()) {
            EXPECT_EQ(alone, preview) << "the preview is not the slip of row " << row;
        }
    }
    EXPECT_EQ(warned, overflowWarnings());
}

INSTANTIATE_TEST_SUITE_P(Print, Exclusions,
                         ::testing::Values(Exclusion{"none", {}, {0, 1, 2, 3}},
                                           Exclusion{"second", {1}, {0, 2, 3}},
                                           Exclusion{"firstAndLast", {0, 3}, {1, 2}}),
                         [](const auto &info) { return std::string(info.param.name); });

class NothingToPrint : public PrintTest, public ::testing::WithParamInterface<bool>
{
};

// An empty table, or every record excluded: a notice, no page and no file.
TEST_P(NothingToPrint, NoPageNoFile)
{
    auto form = makeForm();
    if (GetParam()) {
        form->TableData.deleteAll();
    } else {
        for (int row = 0; row < 4; ++row)
            setExcluded(form->TableData, row, 1);
    }
    const QString pdf = dir.file("Kvitanky.pdf");
    form->ButtonPrintAll->click();
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Žádná kvitance k tisku.")});
    EXPECT_TRUE(summaries.isEmpty());
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(",").toStdString();
    EXPECT_TRUE(form->PreviewOnly);
}

INSTANTIATE_TEST_SUITE_P(Print, NothingToPrint, ::testing::Bool());

// "Tisk 1" on an empty table, or on a new record nobody typed into: the same
// notice, no page and no file.
TEST_P(NothingToPrint, PrintActualOnNoRecipient)
{
    auto form = makeForm();
    if (GetParam())
        form->TableData.deleteAll();
    else
        form->TabSheetData->ButtonDataTableInsert->click();
    form->ButtonPrintActual->click();
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Žádná kvitance k tisku.")});
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
    EXPECT_TRUE(form->PreviewOnly);
}

// The current slip is printed even when excluded, with the words of its own
// amount whatever the words box was last left holding.
TEST_F(PrintTest, PrintActualUsesTheCurrentRecordAndItsWords)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils missing";
    auto form = makeForm();
    form->TableData.moveTo(3);   // the excluded sample
    form->edit("EditDataPriceWord")->setText("sedm");
    const QString pdf = dir.file("Kvitanky.pdf");
    form->ButtonPrintActual->click();
    ASSERT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    ASSERT_EQ(pdfPages(pdf), 1);
    const QString text = pageText(pdf, 1);
    EXPECT_TRUE(text.contains(QString::fromUtf8("Černý")));
    const PriceWordRows rows = splitPriceWordRows(PriceToWords(form->TableData.fieldByName("CASTKA").asFloat()), 25);
    EXPECT_TRUE(text.contains(rows.row1.trimmed())) << text.toStdString();
    EXPECT_FALSE(text.contains("=sedm=")) << text.toStdString();
    EXPECT_TRUE(form->PreviewOnly);
    EXPECT_EQ(form->PrinterPage, nullptr);
    int code = -1;
    EXPECT_TRUE(QString::fromUtf8(runProgram("pdfinfo", {pdf}, &code)).contains(QRegularExpression("Title:\\s+Kvitanky\\n")));
}

// A composition error ends the job: the message, the previous PDF untouched, no
// temporary file left, and the drawing back to the preview only.
TEST_F(PrintTest, FailedJobLeavesTheTargetAlone)
{
    auto form = makeForm();
    const QString pdf = dir.file("Kvitanky.pdf");
    writeFile(pdf, "previous job");
    form->edit("EditSetOtherFontSize1")->setText("x");
    messages.clear();
    for (QPushButton *button : {form->ButtonPrintAll, form->ButtonPrintActual}) {
        SCOPED_TRACE(button->objectName().toStdString());
        messages.clear();
        button->click();
        ASSERT_EQ(errors().size(), 1) << messages.join("|").toStdString();
        EXPECT_TRUE(errors().first().contains("EditSetOtherFontSize1")) << errors().first().toStdString();
        EXPECT_EQ(readFile(pdf), "previous job");
        EXPECT_TRUE(form->PreviewOnly);
        EXPECT_EQ(form->PrinterPage, nullptr);
        EXPECT_FALSE(form->Printing->jobRunning());
        EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(",").toStdString();
        // The preview shows the failed slip as far as it got, as composing it does.
        const QImage preview = form->Slip->previewImage();
        EXPECT_EQ(shownPreview(*form), preview);
        EXPECT_EQ(previewOf(*form, form->TableData.recNo()), preview);
    }
}

// Cancelling in the progress window drops the job like a failure, with a notice.
TEST_F(PrintTest, CancelledJobWritesNothing)
{
    auto form = makeForm();
    int updates = 0;
    JobProgress::setObserver([&](JobProgress &progress, qint64 done, qint64 total) {
        ++updates;
        EXPECT_EQ(total, 3);   // the slips, not the rows: the fourth is excluded
        if (done == 2)
            progress.cancel();
    });
    form->ButtonPrintAll->click();
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(messages, QStringList{QString::fromUtf8("Tisk byl zrušen, nevytištěna žádná kvitance.\n"
                                                      "Pokračovat lze od řádku 1 v nabídce vedle tlačítka "
                                                      "„Tisk všech Kvitanky“.")});
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(form->Printing->resumeRow(), 0);
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
    EXPECT_TRUE(strayFiles().isEmpty()) << strayFiles().join(",").toStdString();
    EXPECT_TRUE(form->PreviewOnly);
    EXPECT_EQ(form->PrinterPage, nullptr);
    // The cursor where the job stopped; the preview shows the second slip, the last
    // one composed.
    EXPECT_EQ(form->TableData.recNo(), 1);
    EXPECT_FALSE(form->TableData.eof());
    const QImage preview = form->Slip->previewImage();
    EXPECT_EQ(shownPreview(*form), preview);
    EXPECT_EQ(previewOf(*form, 1), preview);
}

// A target the program cannot write: the error names the file; nothing else changes.
TEST_F(PrintTest, UnwritableTargetIsReported)
{
    auto form = makeForm();
    const QString target = dir.file("missing-folder/out.pdf");
    onPrinterChoice = [&](PrinterChoiceDialog &d) {
        d.ComboPrinter->setCurrentIndex(d.ComboPrinter->findText("PDF soubor"));
        d.EditPdfFile->setText(QDir::toNativeSeparators(target));
        d.ButtonChoose->click();
    };
    form->ButtonPrinter->click();
    form->ButtonPrintAll->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QDir::toNativeSeparators(target))) << messages.first().toStdString();
    EXPECT_TRUE(form->PreviewOnly);
}

struct LabelCase {
    const char *name;
    QStringList printers;
    const char *defaultPrinter;
    bool pdf;
    const char *expected;   // nullptr: the PDF writer's label
};

class PrinterLabel : public PrintTest, public ::testing::WithParamInterface<LabelCase>
{
};

// Start-up names the default printer, else the PDF writer with its file.
TEST_P(PrinterLabel, StartupNamesTheCurrentPrinter)
{
    const LabelCase c = GetParam();
    auto form = makeForm(std::make_shared<FixedPrinters>(c.printers, c.defaultPrinter, c.pdf));
    const QString expected = c.expected
        ? QString::fromUtf8(c.expected)
        : QString::fromUtf8("Tiskárna: PDF soubor (%1)").arg(QDir::toNativeSeparators(dir.file("Kvitanky.pdf")));
    const QString shown = form->LabelPrinter->toolTip().isEmpty() ? form->LabelPrinter->text()
                                                                  : form->LabelPrinter->toolTip();
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(startupMessages.isEmpty());
    EXPECT_TRUE(form->ButtonPrintAll->isEnabled());
    // The label never runs under the buttons beside it.
    EXPECT_LE(form->LabelPrinter->geometry().right(), form->ButtonPrinter->x());
}

INSTANTIATE_TEST_SUITE_P(
    Print, PrinterLabel,
    ::testing::Values(LabelCase{"defaultPrinter", {"Laser", "Kancelář"}, "Kancelář", true, "Tiskárna: Kancelář"},
                      LabelCase{"noDefault", {"Laser"}, "", true, nullptr},
                      LabelCase{"defaultNotListed", {"Laser"}, "Jinde", true, nullptr},
                      LabelCase{"pdfOnly", {}, "", true, nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

// No printer at all: the four buttons disabled, the label as designed, one message.
TEST_F(PrintTest, NoPrinter)
{
    auto form = makeForm(FixedPrinters::none());
    EXPECT_EQ(form->LabelPrinter->text(), QString::fromUtf8("Tiskárna: Není k dispozici"));
    for (QPushButton *b : {form->ButtonPrinter, form->ButtonPrinterSetup, form->ButtonPrintActual, form->ButtonPrintAll})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(startupMessages, QStringList{QString::fromUtf8(
                                   "Chybí instalace zarízení k tisku!\nNainstalujte tiskárnu nebo PDFCreator a "
                                   "spušťtte program znovu.")});
    EXPECT_FALSE(form->Printing->hasPrinter());
}

// Whatever the dialogs' outcome, the label names the printer now current; a file
// picked in the print dialog becomes the PDF writer's target.
TEST_F(PrintTest, DialogsRefreshTheLabel)
{
    auto form = makeForm();
    const QString pdfLabel =
        QString::fromUtf8("Tiskárna: PDF soubor (%1)").arg(QDir::toNativeSeparators(dir.file("Kvitanky.pdf")));
    const auto shown = [&] {
        return form->LabelPrinter->toolTip().isEmpty() ? form->LabelPrinter->text() : form->LabelPrinter->toolTip();
    };
    int dialogs = 0;
    onPrinterChoice = [&](PrinterChoiceDialog &d) {
        ++dialogs;
        d.ButtonCancel->click();
    };
    onPageSetup = [&](QDialog &d) {
        ++dialogs;
        d.reject();
    };
    for (QPushButton *button : {form->ButtonPrinter, form->ButtonPrinterSetup}) {
        form->LabelPrinter->setText("x");
        button->click();
        EXPECT_EQ(shown(), pdfLabel);
    }
    EXPECT_EQ(dialogs, 2);

    const QString other = dir.file("jiny.pdf");
    onPrinterChoice = [&](PrinterChoiceDialog &d) {
        d.EditPdfFile->setText(QDir::toNativeSeparators(other));
        d.ButtonChoose->click();
    };
    form->ButtonPrinter->click();
    EXPECT_EQ(shown(), QString::fromUtf8("Tiskárna: PDF soubor (%1)").arg(QDir::toNativeSeparators(other)));
    form->ButtonPrintActual->click();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    EXPECT_TRUE(QFile::exists(other));
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
}

// A job never replaces an existing PDF silently: the user replaces it, writes a new
// numbered file (which stays the target) or stops the job with the old file intact.
TEST_F(PrintTest, ExistingPdfIsReplacedOnlyWhenTheUserSaysSo)
{
    auto form = makeForm();
    const QString pdf = dir.file("Kvitanky.pdf");
    const QString second = dir.file("Kvitanky (2).pdf");
    writeFile(pdf, "previous job");

    pdfAnswer = PdfTargetAnswer::Cancel;
    form->ButtonPrintActual->click();
    EXPECT_EQ(targetQuestions, QStringList{pdf});
    EXPECT_EQ(readFile(pdf), "previous job");
    EXPECT_TRUE(reports.isEmpty());

    pdfAnswer = PdfTargetAnswer::NewName;
    form->ButtonPrintAll->click();
    EXPECT_EQ(proposed, second);
    EXPECT_EQ(readFile(pdf), "previous job");
    ASSERT_TRUE(QFile::exists(second));
    EXPECT_EQ(form->Printing->currentPrinter().pdfPath, second);
    EXPECT_EQ(reports.value(0), QString::fromUtf8("Vytištěny 3 kvitance do souboru %1.").arg(QDir::toNativeSeparators(second)));
    EXPECT_TRUE(form->LabelPrinter->accessibleName().endsWith("(" + QDir::toNativeSeparators(second) + ")"));

    pdfAnswer = PdfTargetAnswer::Replace;
    targetQuestions.clear();
    form->ButtonPrintActual->click();
    EXPECT_EQ(targetQuestions, QStringList{second});
    EXPECT_NE(readFile(second).left(5), QByteArray("previ"));
    EXPECT_EQ(reports.value(1), QString::fromUtf8("Vytištěna 1 kvitance do souboru %1.").arg(QDir::toNativeSeparators(second)));
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
}

// "Tiskárna" only chooses: picking a printer or a PDF file over an existing one
// prints nothing and asks nothing; the next job goes where the user chose.
TEST_F(PrintTest, PrinterDialogOnlyChooses)
{
    auto form = makeForm(std::make_shared<FixedPrinters>(QStringList{"Laser", "Kancelář"}, "Laser", true));
    const QString chosen = dir.file("vyber.pdf");
    writeFile(chosen, "keep");
    QStringList offered;
    const auto choose = [&](const QString &entry, const QString &file) {
        onPrinterChoice = [&](PrinterChoiceDialog &d) {
            offered.clear();
            for (int i = 0; i < d.ComboPrinter->count(); ++i)
                offered << d.ComboPrinter->itemText(i);
            d.ComboPrinter->setCurrentIndex(d.ComboPrinter->findText(entry));
            if (!file.isEmpty())
                d.EditPdfFile->setText(QDir::toNativeSeparators(file));
            d.ButtonChoose->click();
        };
        form->ButtonPrinter->click();
    };
    choose(QString::fromUtf8("Kancelář"), {});
    EXPECT_EQ(offered, (QStringList{"Laser", QString::fromUtf8("Kancelář"), "PDF soubor"}));
    EXPECT_EQ(form->LabelPrinter->text(), QString::fromUtf8("Tiskárna: Kancelář"));
    choose("PDF soubor", chosen);
    EXPECT_EQ(form->Printing->currentPrinter().pdfPath, chosen);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_TRUE(targetQuestions.isEmpty());
    EXPECT_EQ(readFile(chosen), "keep");

    // The report's button opens the file in the desktop's viewer.
    const QList<QUrl> &opened = desktop->openedUrls;
    openReports = true;
    form->ButtonPrintActual->click();
    EXPECT_EQ(targetQuestions, QStringList{chosen});
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(chosen)});
    EXPECT_NE(readFile(chosen), "keep");
}

// After a paper jam: the rows from N to M through the menu beside the button; a
// cancelled job can be continued from its first slip not printed.
TEST_F(PrintTest, RangeAndResume)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils missing";
    auto form = makeForm();
    const QString pdf = dir.file("Kvitanky.pdf");
    onRange = [](PrintRangeDialog &d) {
        EXPECT_EQ(d.SpinTo->value(), 4);
        d.SpinFrom->setValue(2);
        d.SpinTo->setValue(3);
        d.ButtonPrint->click();
    };
    form->Printing->ActionPrintRange->trigger();
    onRange = {};
    ASSERT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pageText(pdf, 1).contains(QString::fromUtf8("Svobodová")));
    EXPECT_TRUE(pageText(pdf, 2).contains(QString::fromUtf8("Dvořák")));
    EXPECT_TRUE(summaries.value(0).startsWith(QString::fromUtf8("Tisk 2 kvitance"))) << summaries.value(0).toStdString();
    EXPECT_EQ(reports.value(0), QString::fromUtf8("Vytištěny 2 kvitance do souboru %1.").arg(QDir::toNativeSeparators(pdf)));
    EXPECT_FALSE(form->Printing->ActionPrintResume->isEnabled());

    JobProgress::setObserver([&](JobProgress &progress, qint64 done, qint64) {
        if (done == 1)
            progress.cancel();
    });
    form->ButtonPrintAll->click();
    JobProgress::setObserver({});
    EXPECT_EQ(pdfPages(pdf), 2);   // the cancelled job left the file as it was
    EXPECT_EQ(form->Printing->resumeRow(), 0);
    EXPECT_TRUE(form->Printing->ActionPrintResume->isEnabled());
    EXPECT_EQ(form->Printing->ActionPrintResume->text(), QString::fromUtf8("Pokračovat od řádku 1"));
    form->Printing->ActionPrintResume->trigger();
    EXPECT_EQ(pdfPages(pdf), 3);
    EXPECT_EQ(form->Printing->resumeRow(), -1);
    EXPECT_FALSE(form->Printing->ActionPrintResume->isEnabled());
    EXPECT_EQ(reports.size(), 2);
}
