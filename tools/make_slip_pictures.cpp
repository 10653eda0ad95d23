// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the slip pictures the program ships: IMAGE.bmp, IMAGEclean.bmp, CALIBRAT5x5.bmp.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    QImage clean(795, 387, QImage::Format_RGB888);
    clean.fill(QColor(255, 250, 240));
    QImage form = clean;
    {
        QPainter p(&form);
        p.setPen(QColor(200, 120, 60));
        p.drawRect(0, 0, 794, 386);
    }
    QImage calib(5, 5, QImage::Format_RGB888);
    calib.fill(Qt::white);
    bool ok = form.save(out.filePath("IMAGE.bmp"), "BMP") && clean.save(out.filePath("IMAGEclean.bmp"), "BMP")
        && calib.save(out.filePath("CALIBRAT5x5.bmp"), "BMP");
    return ok ? 0 : 1;
}
