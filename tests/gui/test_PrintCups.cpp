// SPDX-License-Identifier: GPL-3.0-or-later
// The system print path: a private CUPS scheduler with a cups-pdf queue (started
// and stopped by this test, as root; skipped with the reason where it cannot run),
// the queue chosen in the "Tiskárna" dialog as a user would, the sample table
// printed, and the PDF that comes out of the queue compared with the program's own
// PDF writer: the same pages, A4, every word within 2/600 inch of its place.
#include "GuiTestSupport.h"

#include "print/PrintJobs.h"
#include "print/PrintQuestions.h"
#include "print/PrinterChoiceDialog.h"

#include <QComboBox>
#include <QHash>
#include <QDir>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <cmath>
#include <cstdio>

using namespace kvitanky;
using namespace testsupport;

namespace {

constexpr double Tolerance = 2 * 72.0 / 600.0;   // 2/600 inch in points

struct Glyph {
    double x, y;   // the glyph's origin on its baseline, in points
};

// The drawn glyphs of one page in drawing order, as pdftocairo's SVG places them.
// Glyphs without an outline (blanks) are left out: one writer keeps them, the
// other drops them. Glyph names differ between the two files (the queue's
// PostScript step re-embeds the fonts), their places do not.
QList<Glyph> pageGlyphs(const QString &pdf, int page)
{
    const QString svg = QString::fromUtf8(
        runProgram("pdftocairo", {"-svg", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"}));
    QHash<QString, bool> empty;
    const QRegularExpression symbolRe(R"re(<symbol[^>]*id="(glyph[^"]*)">\s*<path[^>]*\sd="([^"]*)")re");
    for (auto it = symbolRe.globalMatch(svg); it.hasNext();) {
        const auto m = it.next();
        empty.insert(m.captured(1), m.captured(2).trimmed().isEmpty());
    }
    QList<Glyph> glyphs;
    const QRegularExpression useRe(R"re(<use xlink:href="#(glyph[^"]*)" x="([-0-9.]+)" y="([-0-9.]+)")re");
    for (auto it = useRe.globalMatch(svg); it.hasNext();) {
        const auto m = it.next();
        if (!empty.value(m.captured(1), false))
            glyphs.append(Glyph{m.captured(2).toDouble(), m.captured(3).toDouble()});
    }
    return glyphs;
}

QString pdfInfo(const QString &pdf)
{
    return QString::fromUtf8(runProgram("pdfinfo", {pdf}));
}

// The scheduler of this test program, shared by its tests.
struct Scheduler {
    std::unique_ptr<TempDir> dir;
    QString queue;
    QString skipReason;
    QString script() const { return sourceDir() + "/tests/support/cups_scheduler.sh"; }
};

Scheduler &scheduler()
{
    static Scheduler s;
    return s;
}

class CupsPrint : public FormTest
{
protected:
    static void SetUpTestSuite()
    {
        Scheduler &s = scheduler();
        if (!haveProgram("pdftotext") || !haveProgram("pdfinfo")) {
            s.skipReason = "poppler-utils missing";
            return;
        }
        s.dir = std::make_unique<TempDir>();
        int code = -1;
        const QString out = QString::fromUtf8(runProgram("bash", {s.script(), "start", s.dir->path()}, &code));
        const auto m = QRegularExpression("queue (\\S+)").match(out);
        if (code != 0 || !m.hasMatch()) {
            s.skipReason = out.trimmed().isEmpty() ? QString("the CUPS scheduler did not start (%1)").arg(code)
                                                   : out.trimmed();
            return;
        }
        s.queue = m.captured(1);
        // The program, as any CUPS client, talks to the scheduler named here.
        qputenv("CUPS_SERVER", QFile::encodeName(s.dir->file("cups.sock")));
    }
    static void TearDownTestSuite()
    {
        Scheduler &s = scheduler();
        if (s.dir)
            runProgram("bash", {s.script(), "stop", s.dir->path()});
    }
    void SetUp() override
    {
        FormTest::SetUp();
        if (!scheduler().skipReason.isEmpty())
            GTEST_SKIP() << scheduler().skipReason.toStdString();
        // Every job prints all its slips over an existing file; what the jobs report
        // goes to `reports`, not among the messages.
        desktop->onMessage = [this](const ui::MessageRequest &r) {
            if (r.kind == ui::MessageKind::Information && r.text.startsWith(QString::fromUtf8("Vytištěn")))
                reports << r.text;
            else
                messages.append(r);
            return answer;
        };
        desktop->onDialog = [this](QDialog &d) {
            const QString name = d.objectName();
            if (name == "PrintDialog1" && onPrinterChoice) {
                onPrinterChoice(dynamic_cast<PrinterChoiceDialog &>(d));
                return d.result();
            }
            if (name == "PreflightDialog")
                return FakeDesktop::click(d, "ButtonPreflightPrint");
            if (name == "PdfTargetQuestion")
                return FakeDesktop::click(d, "ButtonPdfReplace");
            if (auto *box = qobject_cast<QMessageBox *>(&d); box && name == "JobReport") {
                reports << box->text();
                box->button(QMessageBox::Ok)->click();
                return d.result();
            }
            return desktop->answerAsUser(d);
        };
    }

    // "Tiskárna": the user picks `entry` in the list (and a file for the PDF writer).
    void choosePrinter(const QString &entry, const QString &pdfFile = {})
    {
        bool listed = false;
        onPrinterChoice = [&](PrinterChoiceDialog &d) {
            const int index = d.ComboPrinter->findText(entry);
            listed = index >= 0;
            d.ComboPrinter->setCurrentIndex(index);
            if (!pdfFile.isEmpty())
                d.EditPdfFile->setText(QDir::toNativeSeparators(pdfFile));
            d.ButtonChoose->click();
        };
        button("ButtonPrinter")->click();
        onPrinterChoice = {};
        EXPECT_TRUE(listed) << entry.toStdString() << " is not offered";
    }

    // The PDF the queue wrote, once the scheduler has finished the job.
    static QString waitForQueueOutput(int timeoutMs)
    {
        const QDir out(scheduler().dir->file("out"));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            const QString pending = QString::fromUtf8(runProgram("lpstat", {"-o", scheduler().queue}));
            const QStringList pdfs = out.entryList({"*.pdf"}, QDir::Files, QDir::Time);
            if (pending.trimmed().isEmpty() && !pdfs.isEmpty())
                return out.filePath(pdfs.first());
            QThread::msleep(200);
        }
        return {};
    }

    std::function<void(PrinterChoiceDialog &)> onPrinterChoice;   // "Tiskárna" as the user works it
    QStringList reports;
};

TEST_F(CupsPrint, SampleTableThroughTheQueueLandsWhereThePdfWriterPutsIt)
{
    startForm({}, nullptr);   // the system's printers: the test's scheduler
    const QString queue = scheduler().queue;
    choosePrinter(queue);
    EXPECT_EQ(form->LabelPrinter->text(), "Tiskárna: " + queue);
    form->ButtonPrintAll->click();
    ASSERT_TRUE(texts().isEmpty()) << texts().join("|").toStdString();
    ASSERT_EQ(reports, QStringList{QString::fromUtf8("Vytištěny 3 kvitance na tiskárnu %1.").arg(queue)});
    const QString viaQueue = waitForQueueOutput(120000);
    ASSERT_FALSE(viaQueue.isEmpty()) << "the queue wrote no PDF; see " << scheduler().dir->path().toStdString();
    const QString info = pdfInfo(viaQueue);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+3\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)"))) << info.toStdString();

    // The same table through the program's PDF writer, with the page layout the
    // driver reported for the queue. The writer keeps its own origin; the queue
    // prints from its printable area's corner, so that difference is allowed for.
    const QString own = dir.file("vlastni.pdf");
    const QPageLayout layout = form->Printing->printer().pageLayout();
    const QPointF origins = layout.paintRectPoints().topLeft() - PrintSession::pdfPageLayout(layout).paintRectPoints().topLeft();
    choosePrinter(QString::fromUtf8("PDF soubor"), own);
    form->Printing->printer().setPageLayout(layout);
    reports.clear();
    form->ButtonPrintAll->click();
    ASSERT_EQ(reports.size(), 1);

    double worst = 0;
    int compared = 0;
    for (int page = 1; page <= 3; ++page) {
        const QList<Glyph> a = pageGlyphs(own, page);
        const QList<Glyph> b = pageGlyphs(viaQueue, page);
        ASSERT_GT(a.size(), 50) << "page " << page;
        ASSERT_EQ(a.size(), b.size()) << "page " << page;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const double d = std::max(std::abs(a[i].x + origins.x() - b[i].x), std::abs(a[i].y + origins.y() - b[i].y));
            worst = std::max(worst, d);
            ++compared;
            EXPECT_LE(d, Tolerance) << "page " << page << " glyph " << i << " at (" << a[i].x << ", " << a[i].y
                                    << ") vs (" << b[i].x << ", " << b[i].y << ")";
        }
    }
    std::printf("%d characters compared; largest difference %.3f pt = %.2f/600 inch\n", compared, worst,
                worst / 72.0 * 600.0);
}

} // namespace
