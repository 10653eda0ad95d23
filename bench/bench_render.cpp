// SPDX-License-Identifier: GPL-3.0-or-later
// Slip rendering figures: composing the preview, printing many slips into a PDF,
// and spelling amounts. Prints the figures; asserts nothing.
//
//   bench_render [slips on the preview [slips printed]]
#include "BenchTable.h"

#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

using namespace kvitanky;

namespace {

// Processor time of the process: other work on the machine stretches wall-clock
// figures but not these.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

void setRecipient(MapRecipientSource &r, int i)
{
    r.setText("TITUL", "Pan");
    r.setText("JMENO", QStringLiteral("Jan%1").arg(i));
    r.setText("PRIJMENI", "Novák");
    r.setText("ULICE", QStringLiteral("c.p. %1").arg(i));
    r.setText("OBEC", "Nové Hobzí");
    r.setText("PSC", "378 81");
    r.setNumber("CASTKA", 100 + i * 7.25);
    r.setText("VAR_SYMB", QString::number(i));
    r.setText("SPEC_SYMB", "0");
    r.setText("VYRAZENO", "0");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int slips = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 10000;
    const int printed = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 1000;

    MapSettings settings;
    MapRecipientSource recipient;
    QString words;
    SlipContext ctx;
    ctx.settings = &settings;
    ctx.recipients = &recipient;
    ctx.programDir = QCoreApplication::applicationDirPath();
    ctx.formReady = true;
    SlipRenderer renderer(ctx);

    QElapsedTimer t;
    t.start();
    double cpu = cpuSeconds();
    const int amounts = 1000000;
    for (int i = 0; i < amounts; ++i)
        words = PriceToWords(i * 97.0);
    const double wordsCpu = cpuSeconds() - cpu;
    std::printf("PriceToWords: %.3f us per amount (processor)\n", wordsCpu * 1e6 / amounts);
    std::printf("BENCH|PriceToWords (processor)|%d|%.3f|-|%ld\n", amounts, wordsCpu, bench::peakKiB());

    t.restart();
    cpu = cpuSeconds();
    for (int i = 0; i < slips; ++i) {
        setRecipient(recipient, i);
        words = PriceToWords(100 + i * 7.25);
        renderer.ComposeSlip();
    }
    const qint64 previewNs = t.nsecsElapsed();
    const double previewCpu = cpuSeconds() - cpu;
    std::printf("ComposeSlip (preview): %d slips in %.2f s wall, %.2f s processor (%.1f us per slip), pictures "
                "decoded %d times\n",
                slips, previewNs / 1e9, previewCpu, previewCpu * 1e6 / slips, renderer.pictureCache().decodeCount());
    std::printf("BENCH|compose slip on the preview (processor)|%d|%.3f|-|%ld\n", slips, previewCpu, bench::peakKiB());

    // A print job as printing all slips runs it: each slip on the page alone, the
    // preview once at the end.
    QTemporaryDir dir;
    const QString pdf = dir.filePath("slips.pdf");
    t.restart();
    cpu = cpuSeconds();
    {
        QPdfWriter writer(pdf);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        PainterSurface page(&painter);
        renderer.context().printer = &page;
        renderer.context().previewOnly = false;
        renderer.context().printerOnly = true;
        renderer.UpdatePrintScale();
        for (int i = 0; i < printed; ++i) {
            if (i)
                writer.newPage();
            setRecipient(recipient, i);
            words = PriceToWords(100 + i * 7.25);
            renderer.ComposeSlip();
        }
        renderer.context().printerOnly = false;
        renderer.context().previewOnly = true;
        renderer.context().printer = nullptr;
        renderer.ComposePreview();
    }
    const qint64 printNs = t.nsecsElapsed();
    const double printCpu = cpuSeconds() - cpu;
    std::printf("Print job to PDF: %d slips in %.2f s wall, %.2f s processor (%.1f us per slip), %lld bytes\n",
                printed, printNs / 1e9, printCpu, printCpu * 1e6 / printed,
                static_cast<long long>(QFileInfo(pdf).size()));
    std::printf("BENCH|print slips to PDF, renderer alone (processor)|%d|%.3f|-|%ld\n", printed, printCpu,
                bench::peakKiB());
    std::printf("Pictures decoded in all: %d\n", renderer.pictureCache().decodeCount());
    std::printf("Peak memory: %ld kB\n", bench::peakKiB());
    return 0;
}
