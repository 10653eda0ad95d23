// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration sheet and the calibration computed from what is measured on it.
//
// The sheet draws two fine crosses at fixed layout positions of the slip (near its
// top-left and bottom-right corners), mapped to paper exactly as the slip's fields
// are: printer pixels = (layout position + shift) * print size / slip size, from the
// printable area's top-left corner. A 100 mm scale bar lets the user check the
// printer's own scaling.
//
// The user measures with a ruler where the centre of each cross landed, in
// millimetres from the left and from the top edge of the paper. Each cross has a
// place where it belongs: where an exact printer puts it with the designed values
// (4900 x 2350, shift -1, 1), the slip's top-left printing corner lying
// FormOriginMm from the paper's corner. Per axis the two crosses give the printer's
// scale s (measured distance / intended distance) and offset o; the new print size
// is the designed one divided by s, and the shift moves the first cross onto its
// place with that size. Entering the places themselves gives back the values the
// sheet was printed with.
//
// The values are stored as integers: the size to a printer pixel (1/600 inch), the
// shift to a layout unit (about 0.26 mm), so a corrected sheet lands within half a
// layout unit of its places, with the distance between the crosses right to a
// printer pixel.
#pragma once

#include "settings/PrinterCalibrations.h"

#include <QPointF>
#include <QString>

#include <optional>

class QPainter;

namespace kvitanky {

namespace CalibrationSheet {

constexpr int CrossCount = 2;
// Where the slip's printing corner lies on the paper for an exact printer: 1/6 inch,
// the margin of many laser printers. The program's PDF writer puts it there too
// (a whole number of points and of printer pixels, so the PDF holds it exactly).
constexpr double FormOriginMm = 25.4 / 6;
constexpr double MillimetresPerPrinterPixel = 25.4 / 600.0;
constexpr double ScaleBarMm = 100.0;

// Layout position of cross `i` (0 or 1).
QPointF crossLayout(int i);
// Where cross `i` is drawn with `values`: printer pixels from the printable
// area's top-left corner.
QPointF crossPrinterPixels(const CalibrationValues &values, int i);
// Where cross `i` belongs: millimetres from the paper's top-left corner.
QPointF crossPlaceMm(int i);

// Draws the sheet on a painter active on a printer page whose origin is the
// printable area's top-left corner.
void draw(QPainter &painter, const CalibrationValues &values, const QString &printerName);

} // namespace CalibrationSheet

// The calibration computed from the two measured crosses.
struct CalibrationFit {
    bool ok = false;
    QString error;              // Czech, when !ok
    CalibrationValues values;   // rounded, within the ranges of the page's boxes
    double exactWidth = 0;      // before rounding
    double exactHeight = 0;
    double exactShiftX = 0;
    double exactShiftY = 0;
    double scaleX = 1;          // the printer's own scale found
    double scaleY = 1;
};

// `measuredMm[i]`: where cross i landed on a sheet printed with `printed`, in
// millimetres from the paper's top-left corner.
CalibrationFit fitCalibration(const CalibrationValues &printed, const QPointF measuredMm[CalibrationSheet::CrossCount]);

// Reads a length in millimetres typed with a decimal comma or point ("12,5",
// "12.5", " 7 "); nothing for anything else.
std::optional<double> parseMillimetres(const QString &text);
// A length as the program shows it: one decimal unless told, decimal comma ("12,5").
QString millimetresText(double mm, int decimals = 1);

} // namespace kvitanky
