// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration computed from two measured crosses, and the values of every
// printer kept in the settings file.
#include "render/CalibrationSheet.h"
#include "settings/IniFile.h"
#include "settings/PrinterCalibrations.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kvitanky;
using testsupport::TempDir;

namespace {

constexpr double Pixel = CalibrationSheet::MillimetresPerPrinterPixel;   // 1/600 inch in mm

// A printer that scales by (sx, sy) and moves everything by (ox, oy) mm; its
// printable area begins at the paper's corner.
struct SimulatedPrinter {
    double sx = 1, sy = 1, ox = 0, oy = 0;

    QPointF landing(const CalibrationValues &v, int cross) const
    {
        const QPointF p = CalibrationSheet::crossPrinterPixels(v, cross) * Pixel;
        return QPointF(sx * p.x() + ox, sy * p.y() + oy);
    }
};

CalibrationFit measure(const SimulatedPrinter &printer, const CalibrationValues &printed)
{
    const QPointF m[2] = {printer.landing(printed, 0), printer.landing(printed, 1)};
    return fitCalibration(printed, m);
}

} // namespace

// Whatever the values were, a sheet whose crosses lie where they belong keeps them.
TEST(CalibrationFit, CrossesInPlaceKeepTheValues)
{
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int round = 0; round < 500; ++round) {
        const CalibrationValues v{std::uniform_int_distribution(4200, 5000)(rng),
                                  std::uniform_int_distribution(2000, 2800)(rng),
                                  std::uniform_int_distribution(-15, 60)(rng),
                                  std::uniform_int_distribution(-29, 60)(rng)};
        const QPointF places[2] = {CalibrationSheet::crossPlaceMm(0), CalibrationSheet::crossPlaceMm(1)};
        const CalibrationFit fit = fitCalibration(v, places);
        ASSERT_TRUE(fit.ok) << fit.error.toStdString() << " " << v.toText().toStdString();
        ASSERT_EQ(fit.values, v) << fit.values.toText().toStdString();
    }
}

// A printer that scales and shifts: the corrected sheet lands on the places. The
// unrounded values land within a printer pixel; the stored ones keep the crosses'
// distance within a printer pixel and lie within half a layout unit (the shift's
// step) and a pixel of their places.
TEST(CalibrationFit, CorrectedSheetLandsOnThePlaces)
{
    const unsigned seed = testsupport::randomSeed();
    std::mt19937 rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Within what the page's ranges can correct: a print width up to 5000 (4900 / 0.98)
    // and a shift down to -15 layout units (about 3.6 mm left).
    std::uniform_real_distribution<double> scale(0.98, 1.04), offset(-6, 3.4);
    for (int round = 0; round < 500; ++round) {
        SimulatedPrinter printer{scale(rng), scale(rng), offset(rng), offset(rng)};
        if (round == 0)
            printer = SimulatedPrinter{0.98, 0.98, 3, 3};
        const CalibrationValues printed{std::uniform_int_distribution(4500, 5000)(rng),
                                        std::uniform_int_distribution(2200, 2500)(rng),
                                        std::uniform_int_distribution(-15, 20)(rng),
                                        std::uniform_int_distribution(-29, 20)(rng)};
        const CalibrationFit fit = measure(printer, printed);
        ASSERT_TRUE(fit.ok) << fit.error.toStdString();
        EXPECT_NEAR(fit.scaleX, printer.sx, 1e-9);
        EXPECT_NEAR(fit.scaleY, printer.sy, 1e-9);

        const double unitX = fit.values.printWidth / 795.0 * Pixel * printer.sx;   // mm per layout unit
        const double unitY = fit.values.printHeight / 387.0 * Pixel * printer.sy;
        QPointF landed[2];
        for (int i = 0; i < 2; ++i) {
            const QPointF place = CalibrationSheet::crossPlaceMm(i);
            landed[i] = printer.landing(fit.values, i);
            EXPECT_LE(std::abs(landed[i].x() - place.x()), unitX / 2 + Pixel) << i;
            EXPECT_LE(std::abs(landed[i].y() - place.y()), unitY / 2 + Pixel) << i;
            // The exact solution, drawn without rounding.
            const QPointF l = CalibrationSheet::crossLayout(i);
            const double ex = printer.sx * (l.x() + fit.exactShiftX) * fit.exactWidth / 795 * Pixel + printer.ox;
            const double ey = printer.sy * (l.y() + fit.exactShiftY) * fit.exactHeight / 387 * Pixel + printer.oy;
            EXPECT_NEAR(ex, place.x(), Pixel);
            EXPECT_NEAR(ey, place.y(), Pixel);
        }
        const QPointF wanted = CalibrationSheet::crossPlaceMm(1) - CalibrationSheet::crossPlaceMm(0);
        EXPECT_NEAR((landed[1] - landed[0]).x(), wanted.x(), Pixel);
        EXPECT_NEAR((landed[1] - landed[0]).y(), wanted.y(), Pixel);
        if (round == 0) {
            EXPECT_EQ(fit.values.printWidth, 5000);   // 4900 / 0.98
            EXPECT_EQ(fit.values.printHeight, 2398);
        }
    }
}

TEST(CalibrationFit, ImpossibleMeasurementsAreRefused)
{
    const CalibrationValues v;
    const QPointF a = CalibrationSheet::crossPlaceMm(0), b = CalibrationSheet::crossPlaceMm(1);
    const struct {
        const char *name;
        QPointF m0, m1;
        CalibrationValues printed;
        const char *error;
    } cases[] = {
        {"crosses swapped", b, a, v, "Nezaměnili"},
        {"X and Y swapped", QPointF(a.y(), a.x()), QPointF(b.y(), b.x()), v, "Nezaměnili"},
        {"both the same", a, a, v, "Nezaměnili"},
        {"far too wide", QPointF(a.x(), a.y()), QPointF(a.x() + (b.x() - a.x()) * 0.85, b.y()), v, "šířky"},
        {"shift below its range", a + QPointF(0, 12), b + QPointF(0, 12), v, "posunu v ose Y"},
        {"zero width printed", a, b, CalibrationValues{0, 2350, -1, 1}, "kladný"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QPointF m[2] = {c.m0, c.m1};
        const CalibrationFit fit = fitCalibration(c.printed, m);
        EXPECT_FALSE(fit.ok);
        EXPECT_TRUE(fit.error.contains(QString::fromUtf8(c.error))) << fit.error.toStdString();
    }
}

TEST(CalibrationFit, MillimetresAsTyped)
{
    const struct {
        const char *text;
        double value;   // < 0: refused
    } cases[] = {{"12,5", 12.5}, {"12.5", 12.5}, {" 7 ", 7}, {"0", 0}, {"", -1}, {"-3", -1},
                 {"1,2,3", -1}, {"12mm", -1}, {"1e2", -1}, {"5000", -1}, {"١٢", -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const auto v = parseMillimetres(QString::fromUtf8(c.text));
        if (c.value < 0)
            EXPECT_FALSE(v.has_value());
        else
            EXPECT_DOUBLE_EQ(v.value_or(-1), c.value);
    }
    EXPECT_EQ(millimetresText(12.34), "12,3");
}

TEST(PrinterCalibrations, ValuesTextAndKeys)
{
    EXPECT_EQ(CalibrationValues{}.toText(), "4900;2350;-1;1");
    EXPECT_EQ(CalibrationValues::fromText(" 10; 20;-3;4"), (CalibrationValues{10, 20, -3, 4}));
    for (const char *bad : {"", "1;2;3", "1;2;3;4;5", "1;2;x;4", "1,5;2;3;4"})
        EXPECT_FALSE(CalibrationValues::fromText(bad).has_value()) << bad;
    EXPECT_EQ(PrinterCalibrations::keyFor("HP_LaserJet-4"), "HP_LaserJet-4");
    EXPECT_EQ(PrinterCalibrations::keyFor("a=b;[c]%"), "a%3Db%3B%5Bc%5D%25");
    EXPECT_EQ(PrinterCalibrations::keyFor(" Tiskárna "), "%20Tisk%C3%A1rna%20");
}

// Printers switched back and forth keep their own values through a save; a file
// without the added section is not changed by a save with one printer.
TEST(PrinterCalibrations, RememberedAndSaved)
{
    TempDir dir;
    const QString path = dir.file("Kvitanky.ini");
    const QByteArray original = "[CALIBRATION]\r\nEditCalibrationPrintSizePDFX=4800\r\n";
    testsupport::writeFile(path, original);
    IniFile file(path);
    PrinterCalibrations store;
    store.setFile(&file);
    EXPECT_FALSE(store.valuesFor("A").has_value());
    store.save(file, "A", CalibrationValues{4800, 2350, -1, 1});
    EXPECT_EQ(testsupport::readFile(path), original);

    const CalibrationValues a{4800, 2350, -1, 1}, b{4700, 2300, 2, -3}, b2{4711, 2300, 2, -3};
    store.remember("A", a);
    store.remember("B=2", b);
    store.save(file, "B=2", b2);   // the current printer's values as the boxes hold them
    IniFile reread(path);
    PrinterCalibrations later;
    later.setFile(&reread);
    EXPECT_EQ(later.valuesFor("A"), a);
    EXPECT_EQ(later.valuesFor("B=2"), b2);
    EXPECT_FALSE(later.valuesFor("C").has_value());
    EXPECT_EQ(reread.readString("CALIBRATION", "EditCalibrationPrintSizePDFX", ""), "4800");
    // A later save with nothing remembered still brings the current printer's line up to date.
    later.save(reread, "A", CalibrationValues{4000, 2000, 0, 0});
    EXPECT_EQ(IniFile(path).readString(PrinterCalibrations::Section, "A", ""), "4000;2000;0;0");
    // A damaged line counts as none.
    reread.writeString(PrinterCalibrations::Section, "A", "4000;x");
    EXPECT_FALSE(PrinterCalibrations().valuesFor("A").has_value());
    PrinterCalibrations damaged;
    damaged.setFile(&reread);
    EXPECT_FALSE(damaged.valuesFor("A").has_value());
}
