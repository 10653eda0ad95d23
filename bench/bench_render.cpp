// SPDX-License-Identifier: GPL-3.0-or-later
// Slip rendering figures: composing the preview, printing many slips into a PDF,
// and spelling amounts. Prints the figures; asserts nothing.
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

using namespace kvitanky;

namespace {

long peakKilobytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
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
    ctx.priceWordText = [&words] { return words; };
    SlipRenderer renderer(ctx);

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 1000000; ++i)
        words = PriceToWords(i * 97.0);
    std::printf("PriceToWords: %.3f us per amount\n", t.nsecsElapsed() / 1e3 / 1000000);

    t.restart();
    for (int i = 0; i < slips; ++i) {
        setRecipient(recipient, i);
        words = PriceToWords(100 + i * 7.25);
        renderer.ComposeSlip();
    }
    const qint64 previewNs = t.nsecsElapsed();
    std::printf("ComposeSlip (preview): %d slips in %.2f s, %.1f us per slip, pictures decoded %d times\n", slips,
                previewNs / 1e9, previewNs / 1e3 / slips, renderer.pictureCache().decodeCount());

    QTemporaryDir dir;
    const QString pdf = dir.filePath("slips.pdf");
    t.restart();
    {
        QPdfWriter writer(pdf);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        PainterSurface page(&painter);
        renderer.context().printer = &page;
        renderer.context().previewOnly = false;
        renderer.UpdatePrintScale();
        for (int i = 0; i < printed; ++i) {
            if (i)
                writer.newPage();
            setRecipient(recipient, i);
            words = PriceToWords(100 + i * 7.25);
            renderer.ComposeSlip();
        }
        renderer.context().previewOnly = true;
        renderer.context().printer = nullptr;
    }
    const qint64 printNs = t.nsecsElapsed();
    std::printf("Print job to PDF: %d slips in %.2f s, %.1f us per slip, %lld bytes\n", printed, printNs / 1e9,
                printNs / 1e3 / printed, static_cast<long long>(QFileInfo(pdf).size()));
    std::printf("Pictures decoded in all: %d\n", renderer.pictureCache().decodeCount());
    std::printf("Peak memory: %ld kB\n", peakKilobytes());
    return 0;
}
