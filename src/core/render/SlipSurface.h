// SPDX-License-Identifier: GPL-3.0-or-later
// Surfaces a slip is drawn on: the preview picture, a printer page and, for the
// tests, a recorder. Composition talks only to this interface, so the preview and
// the paper come from one code path.
#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QString>

class QImage;
class QPaintDevice;
class QPainter;

namespace kvitanky {

class SlipSurface
{
public:
    virtual ~SlipSurface() = default;
    // Font family and size in points; each surface turns points into its own pixels.
    virtual void setFont(const QString &family, int pointSize) = 0;
    // (x, y) is the top-left corner of the first character cell, in the surface's
    // own units; the text is drawn exactly as given, blanks included.
    virtual void drawText(int x, int y, const QString &text) = 0;
};

// Draws on a picture (the slip preview). One unit is one pixel; points are
// converted at PreviewDpi and the text is bold, as on the designed window.
class ImageSurface : public SlipSurface
{
public:
    static constexpr int PreviewDpi = 96;

    // The image is given PreviewDpi as its resolution. It must outlive the surface;
    // painting ends when the surface is destroyed.
    explicit ImageSurface(QImage *image);
    ~ImageSurface() override;
    ImageSurface(const ImageSurface &) = delete;
    ImageSurface &operator=(const ImageSurface &) = delete;

    void setFont(const QString &family, int pointSize) override;
    void drawText(int x, int y, const QString &text) override;

private:
    QImage *m_image;
    QPainter *m_painter = nullptr;   // opened at the first drawing
    QFont m_font;
    bool m_fontChanged = true;       // m_font differs from the painter's font
    int m_ascent = 0;                // of the painter's font
};

// Draws on a printer page through a painter that is active on it. Units are
// printer pixels of 1/600 inch from the top-left corner of the printable area,
// whatever the device's real resolution; font sizes stay points on the device,
// so characters keep their size however the slip is scaled. The printer's font
// style is left plain. The surface assumes that it alone sets the painter's font.
class PainterSurface : public SlipSurface
{
public:
    static constexpr int PrinterPixelsPerInch = 600;

    explicit PainterSurface(QPainter *painter);

    void setFont(const QString &family, int pointSize) override;
    void drawText(int x, int y, const QString &text) override;

    // The calibration frame: a rectangle with corners (0, 0) and (width, height) in
    // printer pixels, with the painter's pen and brush.
    void drawRect(int x, int y, int width, int height);

    double deviceX(int x) const;
    double deviceY(int y) const;

private:
    // What the device is measured in, kept while the painter stays on one device.
    void measureDevice();

    QPainter *m_painter;
    QFont m_font;
    bool m_fontChanged = true;   // m_font differs from the painter's font
    double m_ascent = 0;         // of m_font on the device, in device units
    const QPaintDevice *m_device = nullptr;
    double m_dpiX = 0;           // the device's resolution
    double m_dpiY = 0;
    int m_deviceWidth = 0;
    int m_deviceHeight = 0;
    QHash<QString, double> m_ascents;   // by family and size, on m_device
};

// Remembers every call; for tests.
class RecordingSurface : public SlipSurface
{
public:
    struct Call {
        QString family;
        int pointSize = 0;
        int x = 0;
        int y = 0;
        QString text;
    };

    void setFont(const QString &family, int pointSize) override;
    void drawText(int x, int y, const QString &text) override;

    const QList<Call> &calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QString m_family;
    int m_pointSize = 0;
    QList<Call> m_calls;
};

} // namespace kvitanky
