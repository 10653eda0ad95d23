// SPDX-License-Identifier: GPL-3.0-or-later
// Printing all slips of a large table into a PDF through the window's print job,
// against the floor: the same texts, fonts and positions drawn with a bare
// QPainter on a QPdfWriter. Prints the times, their ratio, the peak memory and
// the PDF sizes; asserts nothing.
//
// First, where a CUPS scheduler can run (as root, with cups and cups-pdf), the
// same table goes through the system's print path: a private scheduler with a
// cups-pdf queue, timed from the click to the queue's PDF on disk.
// KVITANKY_BENCH_CUPS=0 leaves that path out (for repeated runs).
//
//   bench_print [rows [copy-of-our-pdf]]
#include "BenchDesktop.h"
#include "BenchTable.h"

#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "print/PrintJobs.h"
#include "print/PrinterProvider.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "shell/MainWindow.h"
#include "shell/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

using namespace kvitanky;

namespace {

void fillTable(const QString &dir, int rows)
{
    DbfTable table;
    CreateRecipientTable(table, dir);
    for (int i = 0; i < rows; ++i) {
        table.append();
        table.fieldByName("TITUL").setAsString("Ing.");
        table.fieldByName("JMENO").setAsString(QStringLiteral("Jan%1").arg(i));
        table.fieldByName("PRIJMENI").setAsString(QString::fromUtf8("Nováček"));
        table.fieldByName("ULICE").setAsString(QStringLiteral("Dlouhá %1").arg(i));
        table.fieldByName("OBEC").setAsString(QString::fromUtf8("Nové Hobzí"));
        table.fieldByName("PSC").setAsString("378 81");
        table.fieldByName("CASTKA").setAsFloat(100 + (i % 5000) * 7.25);
        table.fieldByName("VAR_SYMB").setAsString(QString::number(100000 + i));
        table.fieldByName("SPEC_SYMB").setAsString("0");
        table.fieldByName("VYRAZENO").setAsInteger(i % 10 == 9 ? 1 : 0);   // every tenth excluded
    }
    table.post();
    table.setActive(false);
}

// Processor time of the whole process: the machine may be busy with other work,
// which stretches the wall-clock figures but not these.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Every printer drawing of a job, page by page.
struct Drawing {
    QString family;
    int pointSize;
    int x, y;
    QString text;
};

// The private scheduler of the tests; empty queue name when it cannot run here.
struct Scheduler {
    QTemporaryDir dir;
    QString queue;
    QString script = QStringLiteral(KVITANKY_SOURCE_DIR "/tests/support/cups_scheduler.sh");

    Scheduler()
    {
        QProcess p;
        p.start(QStringLiteral("bash"), {script, QStringLiteral("start"), dir.path()});
        p.waitForFinished(120000);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const auto m = QRegularExpression(QStringLiteral("queue (\\S+)")).match(out);
        if (p.exitCode() == 0 && m.hasMatch()) {
            queue = m.captured(1);
            qputenv("CUPS_SERVER", QFile::encodeName(dir.filePath(QStringLiteral("cups.sock"))));
        } else {
            std::printf("CUPS print path not measured: %s\n", qPrintable(out.trimmed()));
        }
    }
    ~Scheduler()
    {
        QProcess::execute(QStringLiteral("bash"), {script, QStringLiteral("stop"), dir.path()});
    }
    // The queue's PDF once the scheduler has no job left.
    QString waitForOutput() const
    {
        const QDir out(dir.filePath(QStringLiteral("out")));
        for (;;) {
            QProcess lpstat;
            lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue});
            lpstat.waitForFinished(30000);
            const QStringList pdfs = out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
            if (lpstat.readAllStandardOutput().trimmed().isEmpty() && !pdfs.isEmpty())
                return out.filePath(pdfs.first());
            QThread::msleep(100);
        }
    }
};

// Prints the table of `dir` through the scheduler's queue: the job's own time and
// the time until the queue's PDF is written. False when it could not be measured.
bool printThroughCups(const Scheduler &cups, const QString &dir, int rows, double *jobSeconds, double *endToEnd,
                      long *peak)
{
    StartupOptions options;
    options.programDir = dir;
    options.pictureDir = QCoreApplication::applicationDirPath();
    // The system's printers; the queue is the default one.
    options.desktop = std::make_shared<bench::BenchDesktop>([](const ui::MessageRequest &r) {
        std::printf("  (message: %s)\n", qPrintable(r.text));
    });
    TForm1 form(options);
    if (form.Printing->currentPrinter().pdf || form.Printing->currentPrinter().name != cups.queue) {
        std::printf("CUPS print path not measured: the queue is not the current printer\n");
        return false;
    }
    QElapsedTimer t;
    t.start();
    if (!form.guard([&] { form.Printing->ButtonPrintAllClick(); }))
        return false;
    *jobSeconds = t.nsecsElapsed() / 1e9;
    *peak = bench::peakKiB();
    const QString pdf = cups.waitForOutput();
    *endToEnd = t.nsecsElapsed() / 1e9;
    std::printf("Through CUPS: %d rows, job %.2f s, queue's PDF after %.2f s (%lld bytes)\n", rows, *jobSeconds,
                *endToEnd, static_cast<long long>(QFileInfo(pdf).size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before anything asks the print system: clients find the scheduler through
    // the environment.
    std::unique_ptr<Scheduler> cups;
    if (qEnvironmentVariable("KVITANKY_BENCH_CUPS") != QLatin1String("0"))
        cups = std::make_unique<Scheduler>();
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 10000;

    QTemporaryDir dir;
    fillTable(dir.path(), rows);
    int warnings = 0;
    QString lastMessage;
    const auto desktop = std::make_shared<bench::BenchDesktop>([&](const ui::MessageRequest &r) {
        lastMessage = r.text;
        ++warnings;
    }, FixedPrinters::pdfOnly());

    StartupOptions options;
    options.programDir = dir.path();
    options.pictureDir = QCoreApplication::applicationDirPath();
    options.desktop = desktop;
    TForm1 form(options);
    const QString ours = form.Printing->currentPrinter().pdfPath;
    const QPageLayout layout = form.Printing->printer().pageLayout();

    // The program's job: composition of every slip for the page, the PDF, and the
    // preview of the last slip.
    // The system's print path runs on a copy of the table in a folder of its own: a
    // second window on the folder the first one holds would be refused.
    double cupsJob = 0, cupsEndToEnd = 0;
    long cupsPeak = 0;
    bool viaCups = false;
    if (cups && !cups->queue.isEmpty()) {
        QTemporaryDir cupsDir;
        fillTable(cupsDir.path(), rows);
        viaCups = printThroughCups(*cups, cupsDir.path(), rows, &cupsJob, &cupsEndToEnd, &cupsPeak);
    }

    QElapsedTimer t;
    double cpu = 0;
    double ourSeconds = 0, ourCpu = 0;
    const auto printAll = [&] {
        QFile::remove(ours);
        t.restart();
        cpu = cpuSeconds();
        const bool ok = form.guard([&] { form.Printing->ButtonPrintAllClick(); });
        ourSeconds = t.nsecsElapsed() / 1e9;
        ourCpu = cpuSeconds() - cpu;
        return ok;
    };
    if (!printAll()) {
        std::fprintf(stderr, "the print job failed: %s\n", qPrintable(lastMessage));
        return 1;
    }
    const double coldSeconds = ourSeconds, coldCpu = ourCpu;
    const long ourPeak = bench::peakKiB();

    // The same drawings, recorded once; the time this takes is that of composing
    // the slips for a page (the recorder costs next to nothing).
    std::vector<std::vector<Drawing>> pages;
    cpu = cpuSeconds();
    {
        RecordingSurface recorder;
        DbfRecipientSource source(&form.TableData);
        SlipContext ctx;
        ctx.settings = &form.settings();
        ctx.recipients = &source;
        ctx.programDir = options.pictureDir;
        ctx.formReady = true;
        ctx.previewOnly = false;
        ctx.printer = &recorder;
        ctx.printerOnly = true;
        SlipRenderer renderer(ctx);
        renderer.UpdatePrintScale();
        DbfTable &table = form.TableData;
        for (table.first(); !table.eof(); table.next()) {
            if (table.fieldByName("VYRAZENO").asInteger() != 0)
                continue;
            recorder.clear();
            renderer.ComposeSlip();
            std::vector<Drawing> page;
            for (const auto &c : recorder.calls())
                page.push_back(Drawing{c.family, c.pointSize, c.x, c.y, c.text});
            pages.push_back(std::move(page));
        }
    }
    const double composeCpu = cpuSeconds() - cpu;
    const long composePeak = bench::peakKiB();

    // The floor: a bare painter on a PDF writer.
    QTemporaryDir floorDir;
    const QString floor = floorDir.filePath("floor.pdf");
    t.restart();
    cpu = cpuSeconds();
    {
        QPdfWriter writer(floor);
        writer.setResolution(600);
        writer.setPageLayout(layout);
        writer.setTitle("Kvitanky");
        QPainter painter(&writer);
        const double scale = writer.logicalDpiX() / 600.0;
        QFont font;
        QString family;
        int size = 0;
        double ascent = 0;
        bool first = true;
        for (const auto &page : pages) {
            if (!first)
                writer.newPage();
            first = false;
            for (const Drawing &d : page) {
                if (d.family != family || d.pointSize != size) {
                    family = d.family;
                    size = d.pointSize;
                    font = QFont(family);
                    font.setPointSize(size);
                    painter.setFont(font);
                    ascent = QFontMetricsF(font, &writer).ascent();
                }
                painter.drawText(QPointF(d.x * scale, d.y * scale + ascent), d.text);
            }
        }
    }
    const double floorSeconds = t.nsecsElapsed() / 1e9;
    const double floorCpu = cpuSeconds() - cpu;

    // The job once more, now that the process is as warm as it was for the floor
    // (fonts loaded, the heap grown): the first job pays for both alone.
    if (!printAll()) {
        std::fprintf(stderr, "the print job failed: %s\n", qPrintable(lastMessage));
        return 1;
    }
    std::printf("First job (cold process): %.2f s wall, %.2f s processor; ratio %.2f\n", coldSeconds, coldCpu,
                coldCpu / floorCpu);

    if (argc > 2) {
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        QFile::copy(ours, QString::fromLocal8Bit(argv[2]));
    }
    const qint64 ourSize = QFileInfo(ours).size();
    const qint64 floorSize = QFileInfo(floor).size();
    const double slips = std::max<double>(pages.size(), 1);
    std::printf("Print all: %d rows, %zu slips, %.2f s wall, %.2f s processor (%.0f us per slip), PDF %lld bytes, "
                "%d warnings\n",
                rows, pages.size(), ourSeconds, ourCpu, ourCpu * 1e6 / slips, static_cast<long long>(ourSize),
                warnings);
    std::printf("Floor (bare QPainter on QPdfWriter, same texts): %.2f s wall, %.2f s processor, PDF %lld bytes\n",
                floorSeconds, floorCpu, static_cast<long long>(floorSize));
    std::printf("Composing the same slips for the page alone: %.2f s processor\n", composeCpu);
    std::printf("Ratio (processor time): %.2f (goal at most 1.5); without composing: %.2f\n", ourCpu / floorCpu,
                (ourCpu - composeCpu) / floorCpu);
    std::printf("Ratio (wall time): %.2f\n", ourSeconds / floorSeconds);
    std::printf("Peak memory after the print job: %ld kB; at the end: %ld kB\n", ourPeak, bench::peakKiB());
    std::printf("BENCH|print all slips to PDF (processor)|%d|%.3f|%.3f|%ld\n", rows, ourCpu, floorCpu, ourPeak);
    std::printf("BENCH|print all slips to PDF (wall)|%d|%.3f|%.3f|%ld\n", rows, ourSeconds, floorSeconds, ourPeak);
    std::printf("BENCH|compose slips for the page|%d|%.3f|-|%ld\n", rows, composeCpu, composePeak);
    if (viaCups) {
        std::printf("Through CUPS against the PDF writer (wall): job %.2f, until the queue's PDF %.2f\n",
                    cupsJob / ourSeconds, cupsEndToEnd / ourSeconds);
        std::printf("BENCH|print all slips via CUPS queue (until its PDF)|%d|%.3f|%.3f|%ld\n", rows, cupsEndToEnd,
                    ourSeconds, cupsPeak);
        std::printf("BENCH|print all slips via CUPS (program's job)|%d|%.3f|%.3f|%ld\n", rows, cupsJob, ourSeconds,
                    cupsPeak);
    }
    return 0;
}
