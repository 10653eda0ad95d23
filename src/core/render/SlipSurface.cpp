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

void ImageSurface::setFont(const QString &family, int pointSize)
{
    m_font.setFamily(family);
    if (pointSize > 0)
        m_font.setPointSize(pointSize);
}

void ImageSurface::drawText(int x, int y, const QString &text)
{
    if (text.isEmpty() || m_image->isNull() || startsOffPage(x, y, m_image->width(), m_image->height()))
        return;
    if (!m_painter) {
        m_painter = new QPainter(m_image);
        m_painter->setRenderHint(QPainter::TextAntialiasing);
    }
    m_painter->setFont(m_font);
    const int ascent = m_painter->fontMetrics().ascent();
    m_painter->drawText(QPoint(x, y + ascent), text);
}

PainterSurface::PainterSurface(QPainter *painter) : m_painter(painter) {}

double PainterSurface::deviceX(int x) const
{
    return x * m_painter->device()->logicalDpiX() / double(PrinterPixelsPerInch);
}

double PainterSurface::deviceY(int y) const
{
    return y * m_painter->device()->logicalDpiY() / double(PrinterPixelsPerInch);
}

void PainterSurface::setFont(const QString &family, int pointSize)
{
    m_font.setFamily(family);
    if (pointSize > 0)
        m_font.setPointSize(pointSize);
}

void PainterSurface::drawText(int x, int y, const QString &text)
{
    const QPaintDevice *device = m_painter->device();
    const double dx = deviceX(x);
    const double dy = deviceY(y);
    if (text.isEmpty() || !device || startsOffPage(dx, dy, device->width(), device->height()))
        return;
    m_painter->setFont(m_font);
    const double ascent = QFontMetricsF(m_font, device).ascent();
    m_painter->drawText(QPointF(dx, dy + ascent), text);
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
