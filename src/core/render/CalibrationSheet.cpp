// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalibrationSheet.h"

#include "render/SlipRenderer.h"

#include <QFont>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace kvitanky {

namespace {

constexpr double PixelsPerInch = 600.0;
constexpr double CrossArmMm = 5.0;       // each arm from the centre
constexpr double LineWidthMm = 0.1;      // a fine line a ruler can be laid on

// The ranges of the page's up-down buttons; a computed value outside them
// cannot be entered there either.
constexpr int MaxWidth = 5000;
constexpr int MaxHeight = 3000;
constexpr int MinShiftX = -15;
constexpr int MinShiftY = -29;
constexpr int MaxShift = 500;
// A printer that prints 20 % too large or too small is not calibrated; the user
// has rather swapped the crosses or the edges.
constexpr double MinScale = 0.8;
constexpr double MaxScale = 1.25;

double pixels(double mm)
{
    return mm / CalibrationSheet::MillimetresPerPrinterPixel;
}

// One axis of the slip: intended position of a cross in millimetres from the
// printable area's corner, for a layout position, a size and a shift.
double intendedMm(double layout, int size, int shift, int slipSize)
{
    return (layout + shift) * double(size) / slipSize * CalibrationSheet::MillimetresPerPrinterPixel;
}

// Rounded; far beyond every range (a length typed far off) stays far beyond it.
int toInteger(double v)
{
    return int(std::lround(std::clamp(v, -1e6, 1e6)));
}

struct AxisFit {
    double scale = 1;
    double exactSize = 0;
    double exactShift = 0;
    int size = 0;
    int shift = 0;
};

// Fits one axis; the slip has `slipSize` layout units along it.
AxisFit fitAxis(double layout1, double layout2, int size, int shift, int designedSize, int designedShift,
                double measured1, double measured2, int slipSize)
{
    AxisFit f;
    const double k = CalibrationSheet::MillimetresPerPrinterPixel / slipSize;   // mm per layout unit and pixel
    const double intended1 = intendedMm(layout1, size, shift, slipSize);
    const double intended2 = intendedMm(layout2, size, shift, slipSize);
    const double place1 = CalibrationSheet::FormOriginMm + intendedMm(layout1, designedSize, designedShift, slipSize);
    f.scale = (measured2 - measured1) / (intended2 - intended1);
    if (!std::isfinite(f.scale) || f.scale < MinScale || f.scale > MaxScale)
        return f;
    const double offset = measured1 - f.scale * intended1;
    f.exactSize = designedSize / f.scale;
    f.size = toInteger(f.exactSize);
    // The shift that puts the first cross onto its place, with the size as stored.
    const auto shiftFor = [&](double sz) { return (place1 - offset) / (f.scale * sz * k) - layout1; };
    f.exactShift = shiftFor(f.exactSize);
    f.shift = toInteger(shiftFor(f.size));
    return f;
}

QString outOfRange(const QString &what, int value, int min, int max)
{
    return QStringLiteral("Vypočtená hodnota %1 (%2) je mimo rozsah %3 až %4. Zkontrolujte naměřené hodnoty.")
        .arg(what)
        .arg(value)
        .arg(min)
        .arg(max);
}

} // namespace

namespace CalibrationSheet {

QPointF crossLayout(int i)
{
    // Near the slip's top-left and bottom-right corners, far apart, and the second
    // one well inside the right edge of an A4 sheet whatever the printer's margin.
    return i == 0 ? QPointF(25, 29) : QPointF(740, 358);
}

QPointF crossPrinterPixels(const CalibrationValues &values, int i)
{
    const QPointF l = crossLayout(i);
    return QPointF((l.x() + values.shiftX) * double(values.printWidth) / SlipRenderer::PreviewWidth,
                   (l.y() + values.shiftY) * double(values.printHeight) / SlipRenderer::PreviewHeight);
}

QPointF crossPlaceMm(int i)
{
    const QPointF p = crossPrinterPixels(CalibrationValues{}, i);
    return QPointF(FormOriginMm + p.x() * MillimetresPerPrinterPixel, FormOriginMm + p.y() * MillimetresPerPrinterPixel);
}

void draw(QPainter &painter, const CalibrationValues &values, const QString &printerName)
{
    const QPaintDevice *device = painter.device();
    const double sx = device->logicalDpiX() / PixelsPerInch;   // device units per printer pixel
    const double sy = device->logicalDpiY() / PixelsPerInch;
    const auto at = [&](double px, double py) { return QPointF(px * sx, py * sy); };

    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(pixels(LineWidthMm) * sx);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(10);
    painter.setFont(font);

    const double arm = pixels(CrossArmMm);
    double bottom = 0;
    for (int i = 0; i < CrossCount; ++i) {
        const QPointF c = crossPrinterPixels(values, i);
        painter.drawLine(at(c.x() - arm, c.y()), at(c.x() + arm, c.y()));
        painter.drawLine(at(c.x(), c.y() - arm), at(c.x(), c.y() + arm));
        painter.drawText(at(c.x() + arm * 0.3, c.y() - arm * 0.3), QString::number(i + 1));
        bottom = std::max(bottom, c.y() + arm);
    }

    // The scale bar, with a tick every centimetre, below the slip.
    const double left = pixels(10);
    const double barY = bottom + pixels(15);
    const double length = pixels(ScaleBarMm);
    painter.drawLine(at(left, barY), at(left + length, barY));
    for (int cm = 0; cm <= 10; ++cm) {
        const double x = left + pixels(cm * 10.0);
        const double tick = pixels(cm % 5 == 0 ? 4.0 : 2.0);
        painter.drawLine(at(x, barY - tick), at(x, barY));
    }
    painter.drawText(at(left + length + pixels(3), barY), QStringLiteral("100 mm"));

    const QStringList lines = {
        QStringLiteral("Kalibrační list – tiskárna: %1").arg(printerName),
        QStringLiteral("Změřte pravítkem, jak daleko od levého a od horního okraje papíru leží střed křížků 1 a 2,"),
        QStringLiteral("a zadejte to na stránce Kalibrace tlačítkem „Změřit a nastavit“."),
        QStringLiteral("Čára nahoře má mít přesně 100 mm."),
    };
    double y = barY + pixels(12);
    for (const QString &line : lines) {
        painter.drawText(at(left, y), line);
        y += pixels(6);
    }
    painter.restore();
}

} // namespace CalibrationSheet

CalibrationFit fitCalibration(const CalibrationValues &printed, const QPointF measuredMm[CalibrationSheet::CrossCount])
{
    CalibrationFit fit;
    if (printed.printWidth <= 0 || printed.printHeight <= 0) {
        fit.error = QStringLiteral("Rozměr tiskové plochy musí být kladný.");
        return fit;
    }
    const CalibrationValues designed;
    const QPointF l1 = CalibrationSheet::crossLayout(0);
    const QPointF l2 = CalibrationSheet::crossLayout(1);
    const AxisFit x = fitAxis(l1.x(), l2.x(), printed.printWidth, printed.shiftX, designed.printWidth, designed.shiftX,
                              measuredMm[0].x(), measuredMm[1].x(), SlipRenderer::PreviewWidth);
    const AxisFit y = fitAxis(l1.y(), l2.y(), printed.printHeight, printed.shiftY, designed.printHeight,
                              designed.shiftY, measuredMm[0].y(), measuredMm[1].y(), SlipRenderer::PreviewHeight);
    fit.scaleX = x.scale;
    fit.scaleY = y.scale;
    const auto sane = [](double s) { return std::isfinite(s) && s >= MinScale && s <= MaxScale; };
    if (!sane(x.scale) || !sane(y.scale)) {
        fit.error = QStringLiteral("Křížky na výtisku neleží tak, jak je tiskárna mohla vytisknout. "
                                   "Nezaměnili jste křížek 1 a 2 nebo vzdálenost zleva a shora?");
        return fit;
    }
    fit.exactWidth = x.exactSize;
    fit.exactHeight = y.exactSize;
    fit.exactShiftX = x.exactShift;
    fit.exactShiftY = y.exactShift;
    fit.values = CalibrationValues{x.size, y.size, x.shift, y.shift};
    if (x.size < 1 || x.size > MaxWidth)
        fit.error = outOfRange(QStringLiteral("šířky"), x.size, 1, MaxWidth);
    else if (y.size < 1 || y.size > MaxHeight)
        fit.error = outOfRange(QStringLiteral("výšky"), y.size, 1, MaxHeight);
    else if (x.shift < MinShiftX || x.shift > MaxShift)
        fit.error = outOfRange(QStringLiteral("posunu v ose X"), x.shift, MinShiftX, MaxShift);
    else if (y.shift < MinShiftY || y.shift > MaxShift)
        fit.error = outOfRange(QStringLiteral("posunu v ose Y"), y.shift, MinShiftY, MaxShift);
    fit.ok = fit.error.isEmpty();
    return fit;
}

std::optional<double> parseMillimetres(const QString &text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty())
        return std::nullopt;
    for (const QChar c : t)
        if (!c.isDigit() && c != QLatin1Char('.'))
            return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v) || v > 1000)
        return std::nullopt;
    return v;
}

QString millimetresText(double mm, int decimals)
{
    QString t = QLocale::c().toString(mm, 'f', decimals);
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

} // namespace kvitanky
