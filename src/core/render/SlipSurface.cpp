// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlipSurface.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace kvitanky {

namespace {

// Text starting this far outside a page cannot show on it. Skipping it keeps
// absurd positions (hand-edited settings) away from the painter's fixed-point
// arithmetic, which would overflow.
constexpr double FarOutside = 1 << 22;

bool startsOffPage(double x, double y, int width, int height)
{
    return x > width || y > height || x < -FarOutside || y < -FarOutside;
}

} // namespace

ImageSurface::ImageSurface(QImage *image) : m_image(image)
{
    const int dotsPerMeter = qRound(PreviewDpi / 0.0254);
    m_image->setDotsPerMeterX(dotsPerMeter);
    m_image->setDotsPerMeterY(dotsPerMeter);
    m_font.setBold(true);
}

ImageSurface::~ImageSurface()
{
    if (m_painter) {
        m_painter->end();
        delete m_painter;
    }
}

namespace {

// Takes the family and size into the surface's font; true when either changed.
// A size of 0 or less is left as it was (Qt refuses it).
bool takeFont(QFont &font, const QString &family, int pointSize)
{
    bool changed = false;
    if (family != font.family()) {
        font.setFamily(family);
        changed = true;
    }
    if (pointSize > 0 && pointSize != font.pointSize()) {
        font.setPointSize(pointSize);
        changed = true;
    }
    return changed;
}

} // namespace

void ImageSurface::setFont(const QString &family, int pointSize)
{
    if (takeFont(m_font, family, pointSize))
        m_fontChanged = true;
}

void ImageSurface::drawText(int x, int y, const QString &text)
{
    if (text.isEmpty() || m_image->isNull() || startsOffPage(x, y, m_image->width(), m_image->height()))
        return;
    if (!m_painter) {
        m_painter = new QPainter(m_image);
        m_painter->setRenderHint(QPainter::TextAntialiasing);
        m_fontChanged = true;
    }
    // Fields drawn character by character set the same font for every character.
    if (m_fontChanged) {
        m_painter->setFont(m_font);
        m_ascent = m_painter->fontMetrics().ascent();
        m_fontChanged = false;
    }
    m_painter->drawText(QPoint(x, y + m_ascent), text);
}

PainterSurface::PainterSurface(QPainter *painter) : m_painter(painter) {}

void PainterSurface::measureDevice()
{
    const QPaintDevice *device = m_painter->device();
    if (device == m_device)
        return;
    m_device = device;
    m_ascents.clear();
    m_fontChanged = true;
    if (!device)
        return;
    m_dpiX = device->logicalDpiX();
    m_dpiY = device->logicalDpiY();
    m_deviceWidth = device->width();
    m_deviceHeight = device->height();
}

// In floating point throughout: a far-away position times the resolution does not
// fit an int.
double PainterSurface::deviceX(int x) const
{
    return x * double(m_painter->device()->logicalDpiX()) / double(PrinterPixelsPerInch);
}

double PainterSurface::deviceY(int y) const
{
    return y * double(m_painter->device()->logicalDpiY()) / double(PrinterPixelsPerInch);
}

void PainterSurface::setFont(const QString &family, int pointSize)
{
    if (takeFont(m_font, family, pointSize))
        m_fontChanged = true;
}

void PainterSurface::drawText(int x, int y, const QString &text)
{
    measureDevice();
    if (!m_device)
        return;
    // As deviceX/deviceY, with the device's resolution kept.
    const double dx = x * m_dpiX / double(PrinterPixelsPerInch);
    const double dy = y * m_dpiY / double(PrinterPixelsPerInch);
    if (text.isEmpty() || startsOffPage(dx, dy, m_deviceWidth, m_deviceHeight))
        return;
    // Measuring a font and handing it to the painter cost more than drawing a
    // character; fields drawn character by character keep one font throughout.
    if (m_fontChanged) {
        m_painter->setFont(m_font);
        const QString key = m_font.family() + QLatin1Char('/') + QString::number(m_font.pointSize());
        auto it = m_ascents.constFind(key);
        if (it == m_ascents.constEnd())
            it = m_ascents.insert(key, QFontMetricsF(m_font, m_device).ascent());
        m_ascent = *it;
        m_fontChanged = false;
    }
    m_painter->drawText(QPointF(dx, dy + m_ascent), text);
}

void PainterSurface::drawRect(int x, int y, int width, int height)
{
    m_painter->drawRect(QRectF(deviceX(x), deviceY(y), deviceX(width), deviceY(height)));
}

void RecordingSurface::setFont(const QString &family, int pointSize)
{
    m_family = family;
    m_pointSize = pointSize;
}

void RecordingSurface::drawText(int x, int y, const QString &text)
{
    m_calls.append(Call{m_family, m_pointSize, x, y, text});
}

} // namespace kvitanky
