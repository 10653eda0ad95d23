// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the slip pictures the program ships: IMAGE.bmp (the postal payment slip
// type A, "poštovní poukázka A", at the 795 x 387 pixels of the preview),
// IMAGEclean.bmp (the plain background) and CALIBRAT5x5.bmp.
//
// The boxes sit where the designed layout prints its characters: a field at
// (X, Y) with the designed calibration shift (-1, +1) puts the top-left of its
// first character cell at (X - 1, Y + 1); with 10 pt bold at 96 dpi a digit is
// about 7 px wide and 10 px tall, so a box of pitch 19 starts at X - 7 and spans
// Y - 3 to Y + 19. Everything is drawn with fixed pixel sizes and without
// antialiasing of lines, so the pictures come out the same at every build.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

constexpr int Width = 795;
constexpr int Height = 387;
constexpr int Pitch = 19;
constexpr int BoxHeight = 22;

const QColor Paper(253, 228, 212);      // salmon form colour
const QColor Field(255, 255, 255);      // fields the writer fills in
const QColor Line(222, 108, 64);        // printed lines
const QColor Ink(186, 72, 34);          // printed captions

QFont captionFont(int pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Text with the top-left corner of its cell at (x, y).
void caption(QPainter &p, int x, int y, const QString &text, int pixelSize = 8, bool bold = false)
{
    const QFont f = captionFont(pixelSize, bold);
    p.setFont(f);
    p.setPen(Ink);
    p.drawText(QPoint(x, y + QFontMetrics(f).ascent()), text);
}

void field(QPainter &p, int x, int y, int w, int h)
{
    p.setPen(Line);
    p.setBrush(Field);
    p.drawRect(x, y, w, h);
}

// A row of character boxes for a field whose first character is printed at
// layout position (fx, fy).
void boxes(QPainter &p, int fx, int fy, int count)
{
    const int left = fx - 7;
    const int top = fy - 3;
    field(p, left, top, count * Pitch, BoxHeight);
    p.setPen(Line);
    for (int i = 1; i < count; ++i)
        p.drawLine(left + i * Pitch, top + BoxHeight - 6, left + i * Pitch, top + BoxHeight);
}

// Full-height separators between boxes where the digits must not run together.
void divider(QPainter &p, int fx, int fy, int index)
{
    const int x = fx - 7 + index * Pitch;
    p.setPen(QPen(Line, 2));
    p.drawLine(x, fy - 3, x, fy - 3 + BoxHeight);
    p.setPen(Line);
}

void dashedRect(QPainter &p, const QRect &r)
{
    p.setPen(QPen(Line, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.setPen(Line);
}

void drawForm(QImage &img)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(img.rect(), Paper);

    // The counterfoil strip and the perforation that separates it.
    p.setPen(QPen(Line, 1, Qt::DotLine));
    p.drawLine(226, 0, 226, Height - 1);
    p.setPen(Line);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, Width - 1, Height - 1);

    // ---- Counterfoil (left strip) ----
    caption(p, 6, 6, QStringLiteral("POŠTOVNÍ POUKÁZKA A"), 11, true);
    caption(p, 6, 22, QStringLiteral("Potvrzení pro odesílatele"), 9);
    field(p, 6, 40, 214, 46);
    caption(p, 9, 42, QStringLiteral("Podací razítko"), 7);

    caption(p, 4, 95, QStringLiteral("Účel platby"), 8);
    field(p, 44, 104, 176, 19);

    caption(p, 4, 134, QStringLiteral("Částka"), 8);
    field(p, 44, 129, 108, 19);
    caption(p, 156, 134, QStringLiteral("Kč"), 9, true);
    caption(p, 174, 142, QStringLiteral("Částka slovy"), 7);

    field(p, 19, 151, 203, 41);
    caption(p, 212, 178, QStringLiteral("h"), 9, true);

    field(p, 9, 196, 213, 60);
    caption(p, 188, 198, QStringLiteral("Adresát"), 7);

    caption(p, 4, 262, QStringLiteral("Číslo účtu"), 7);
    caption(p, 4, 279, QStringLiteral("VS"), 8);
    caption(p, 4, 295, QStringLiteral("SS"), 8);
    p.setPen(Line);
    for (int y : {273, 290, 306})
        p.drawLine(44, y, 220, y);

    field(p, 9, 308, 213, 60);
    caption(p, 9, 371, QStringLiteral("Odesílatel"), 7);

    // ---- Main part ----
    caption(p, 236, 8, QStringLiteral("POŠTOVNÍ POUKÁZKA A"), 16, true);
    caption(p, 236, 30, QStringLiteral("Česká pošta"), 9);
    caption(p, 236, 62, QStringLiteral("Vyplňte hůlkovým písmem,"), 8);
    caption(p, 236, 72, QStringLiteral("částku zarovnejte vpravo."), 8);

    // Amount: 8 koruna boxes and 2 haléř boxes, then the transaction code.
    caption(p, 458, 16, QStringLiteral("Kč"), 9, true);
    caption(p, 611, 16, QStringLiteral("h"), 9, true);
    boxes(p, 465, 29, 10);
    divider(p, 465, 29, 8);
    caption(p, 674, 16, QStringLiteral("Transakční kód"), 8);
    boxes(p, 731, 29, 2);

    // Account: prefix (6) and number (10).
    caption(p, 458, 49, QStringLiteral("Předčíslí"), 8);
    caption(p, 573, 49, QStringLiteral("Číslo účtu"), 8);
    boxes(p, 466, 61, 6);
    boxes(p, 580, 61, 10);
    divider(p, 580, 61, 0);

    caption(p, 458, 81, QStringLiteral("Kód banky"), 8);
    caption(p, 573, 81, QStringLiteral("Variabilní symbol"), 8);
    boxes(p, 466, 93, 4);
    boxes(p, 580, 93, 10);

    caption(p, 458, 113, QStringLiteral("Konstantní symbol"), 8);
    caption(p, 573, 113, QStringLiteral("Specifický symbol"), 8);
    boxes(p, 466, 126, 4);
    boxes(p, 580, 126, 10);

    // Payee's address.
    caption(p, 231, 118, QStringLiteral("Adresát"), 8);
    field(p, 229, 128, 226, 64);

    // Message for the payee: two rows of 12 boxes.
    caption(p, 231, 193, QStringLiteral("Zpráva pro příjemce"), 8);
    boxes(p, 238, 205, 12);
    boxes(p, 238, 232, 12);

    // Payer.
    caption(p, 484, 150, QStringLiteral("Odesílatel"), 8);
    field(p, 482, 160, 304, 148);

    // For the post office.
    caption(p, 231, 262, QStringLiteral("Podpis odesílatele"), 8);
    p.setPen(Line);
    p.drawLine(231, 300, 455, 300);
    dashedRect(p, QRect(231, 312, 224, 66));
    caption(p, 235, 315, QStringLiteral("Podací razítko"), 7);
    dashedRect(p, QRect(482, 318, 304, 60));
    caption(p, 486, 321, QStringLiteral("Záznamy pošty"), 7);
}

void drawCalibration(QImage &img)
{
    // A 5 x 5 grid of 11-pixel cells with a cross through its centre.
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 0));
    for (int i = 0; i <= 5; ++i) {
        p.drawLine(i * 11, 0, i * 11, 55);
        p.drawLine(0, i * 11, 55, i * 11);
    }
    p.setPen(QColor(220, 0, 0));
    p.drawLine(27, 0, 27, 55);
    p.drawLine(0, 27, 55, 27);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "make_slip_pictures: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    // RGB888 is written as a 24-bit Windows bitmap.
    QImage clean(Width, Height, QImage::Format_RGB888);
    clean.fill(Paper);
    QImage form(Width, Height, QImage::Format_RGB888);
    drawForm(form);
    QImage calibration(56, 56, QImage::Format_RGB888);
    drawCalibration(calibration);

    const struct {
        const QImage &image;
        const char *name;
    } files[] = {{form, "IMAGE.bmp"}, {clean, "IMAGEclean.bmp"}, {calibration, "CALIBRAT5x5.bmp"}};
    for (const auto &f : files) {
        const QString path = out.filePath(QString::fromLatin1(f.name));
        if (!f.image.save(path, "BMP")) {
            std::fprintf(stderr, "make_slip_pictures: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
