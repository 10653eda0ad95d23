// SPDX-License-Identifier: GPL-3.0-or-later
// Every character of every field of the four sample slips, where the rules put it:
// computed here from the field positions, the character sets, the shift and the
// print size alone (integer arithmetic, truncation toward zero), and compared with
// what composition draws, without any tolerance, on the preview (pixels) and on a
// printer page (device units of a 1200 dpi device).
#include "data/DbfTable.h"
#include "data/RecipientTable.h"
#include "render/PriceWords.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include "TestSupport.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace kvitanky;

namespace {

constexpr int DeviceDpi = 1200;

struct Placed {
    double x, y;
    QString text;
    bool operator==(const Placed &o) const { return x == o.x && y == o.y && text == o.text; }
};

void PrintTo(const Placed &p, std::ostream *os)
{
    *os << "(" << p.x << ", " << p.y << ") \"" << p.text.toStdString() << "\"";
}

// A printer page that keeps where each text item was put (its baseline origin).
class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawTextItem(const QPointF &p, const QTextItem &item) override { items.append({p.x(), p.y(), item.text()}); }
    Type type() const override { return QPaintEngine::User; }
    QList<Placed> items;
};

class RecordingPage : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 9921;    // A4 at 1200 dpi
        case PdmHeight: return 14031;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return DeviceDpi;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }
};

// One field as the rules place it: the keys' position, its set, its text.
struct Field {
    QString base;     // "EditLayoutPrice"
    QString suffix;   // "" (X, Y, Dist), "S" (SX, SY, SDist) or "2" (X2, Y2, Dist2)
    QString text;
};

QString padLeft(const QString &t, int width, QChar fill)
{
    return t.size() >= width ? t : QString(width - t.size(), fill) + t;
}

// The fields of one slip with the designed settings (titles on, the owner's
// constant symbol as such), in the order the rules draw them.
QList<Field> slipFields(const SettingsAccess &s, RecipientSource &r)
{
    const auto owner = [&](const char *key) { return s.text(QString("EditSetOwner") + key); };
    QList<Field> f;
    for (const char *a : {"1", "2", "3"})
        f << Field{QString("EditLayoutOwnerAddress") + a, "", owner(QByteArray("Address") + a)};
    for (const char *a : {"1", "2", "3"})
        f << Field{QString("EditLayoutOwnerAddress") + a, "S", owner(QByteArray("Address") + a)};
    f << Field{"EditLayoutAccountNum1", "", owner("AccountNum1")} << Field{"EditLayoutAccountNum2", "", owner("AccountNum2")}
      << Field{"EditLayoutAccountIDB", "", owner("AccountIDB")} << Field{"EditLayoutConstS", "", owner("AccountConstS")};
    const QString prefix = owner("AccountNum1");
    f << Field{"EditLayoutAccountNum1", "S",
               (prefix.toLongLong() != 0 ? prefix + "-" : QString()) + owner("AccountNum2") + "/" + owner("AccountIDB")};
    f << Field{"EditLayoutOwnerSubject", "", owner("AddressSubject")}
      << Field{"EditLayoutOwnerMessage1", "", owner("AddressMessage1")}
      << Field{"EditLayoutOwnerMessage2", "", owner("AddressMessage2")}
      << Field{"EditLayoutOwnerTransCode", "", owner("TransCode")};

    const double amount = r.number("CASTKA");
    // Words: whole words into row 1 while they fit in N letters (the first always).
    const int n = s.integer("EditSetOtherLengthFirstPriceRow");
    const QStringList words = PriceToWords(amount).split(' ', Qt::SkipEmptyParts);
    if (words.join("").size() <= n) {
        f << Field{"EditLayoutPriceWord", "", QString(n - words.join("").size(), ' ') + "=" + words.join("") + "="};
    } else {
        QString row1, row2;
        for (const QString &w : words)
            (row1.isEmpty() || (row2.isEmpty() && row1.size() + w.size() <= n) ? row1 : row2) += w;
        f << Field{"EditLayoutPriceWord", "", "=" + row1 + "="} << Field{"EditLayoutPriceWord", "2", "=" + row2 + "="};
    }
    const long long koruny = (long long)amount;
    const int halere = int(std::llround(amount * 100) % 100);   // the samples' amounts are exact in cents
    const QString k = padLeft(QString::number(koruny), 8, '=');
    const QString h = QString("%1").arg(halere, 2, 10, QChar('0'));
    f << Field{"EditLayoutPrice", "", k + h} << Field{"EditLayoutPrice", "S", k + "," + h}
      << Field{"EditLayoutPriceSM", "", h};
    for (const char *sym : {"VS", "SS"}) {
        const QString v = r.text(sym == QByteArray("VS") ? "VAR_SYMB" : "SPEC_SYMB").trimmed();
        if (v.toLongLong() != 0) {
            f << Field{QString("EditLayout") + sym, "", padLeft(v, 10, '0')}
              << Field{QString("EditLayout") + sym, "S", padLeft(v, 10, '0')};
        }
    }
    const QString title = r.text("TITUL"), first = r.text("JMENO"), last = r.text("PRIJMENI");
    const QString street = r.text("ULICE"), city = r.text("OBEC"), code = r.text("PSC");
    f << Field{"EditLayoutRecipientTitle", "", title} << Field{"EditLayoutRecipientSurname", "", first + " " + last}
      << Field{"EditLayoutRecipientStreet", "", street} << Field{"EditLayoutRecipientCity", "", city}
      << Field{"EditLayoutRecipientPostCode", "", code}
      << Field{"EditLayoutRecipientFirstName", "S", title + " " + first + " " + last}
      << Field{"EditLayoutRecipientStreet", "S", street} << Field{"EditLayoutRecipientCity", "S", code + " " + city};
    return f;
}

TEST(SlipPlacement, everyCharacterOfTheFourSamplesExactly)
{
    testsupport::TempDir dir;
    DbfTable table;
    CreateRecipientTable(table, dir.path());
    AddSampleRecipients(table);
    DbfRecipientSource source(&table);
    MapSettings settings;

    RecordingSurface preview;
    RecordingPage page;
    QPainter painter(&page);
    PainterSurface printer(&painter);
    SlipContext c;
    c.settings = &settings;
    c.recipients = &source;
    c.programDir = testsupport::binDir();
    c.formReady = true;
    c.previewOnly = false;
    c.previewMirror = &preview;
    c.printer = &printer;
    SlipRenderer renderer(c);
    renderer.UpdatePrintScale();

    const int shiftX = settings.integer("EditCalibrationPrintNullAxesX");
    const int shiftY = settings.integer("EditCalibrationPrintNullAxesY");
    const long long width = settings.integer("EditCalibrationPrintSizePDFX");
    const long long height = settings.integer("EditCalibrationPrintSizePDFY");
    const double unit = DeviceDpi / 600.0;   // device units per printer pixel: 2, exact

    int slips = 0;
    for (table.first(); !table.eof(); table.next(), ++slips) {
        SCOPED_TRACE(table.fieldByName("PRIJMENI").asString().toStdString());
        preview.clear();
        page.engine.items.clear();
        renderer.ComposeSlip();

        QList<Placed> onPreview, onPage;
        for (const Field &f : slipFields(settings, source)) {
            const QString xKey = f.base + (f.suffix == "S" ? "SX" : "X") + (f.suffix == "2" ? "2" : "");
            const QString yKey = f.base + (f.suffix == "S" ? "SY" : "Y") + (f.suffix == "2" ? "2" : "");
            const QString setKey = f.base + (f.suffix == "S" ? "SDist" : "Dist") + (f.suffix == "2" ? "2" : "");
            const int set = settings.integer(setKey);
            if (set < 1 || set > 3 || f.text.isEmpty())
                continue;
            const QString n = QString::number(set);
            const int spacing = settings.integer("EditSetOtherDistance" + n);
            QFont font(settings.text("EditSetOtherCharSet" + n));
            font.setPointSize(settings.integer("EditSetOtherFontSize" + n));
            const double ascent = QFontMetricsF(font, &page).ascent();
            const long long x = settings.integer(xKey) + shiftX;
            const long long y = settings.integer(yKey) + shiftY;
            const long long px = x * width / 795;    // truncated toward zero
            const long long py = y * height / 387;
            const QStringList pieces = spacing >= 1 ? f.text.split("", Qt::SkipEmptyParts) : QStringList{f.text};
            for (int i = 0; i < pieces.size(); ++i) {
                const long long step = spacing >= 1 ? spacing * i : 0;
                onPreview << Placed{double(x + step), double(y), pieces[i]};
                const long long dx = step * width / 795;
                onPage << Placed{double(px + dx) * unit, double(py) * unit + ascent, pieces[i]};
            }
        }

        QList<Placed> drawnPreview;
        for (const auto &call : preview.calls()) {
            if (!call.text.isEmpty())
                drawnPreview << Placed{double(call.x), double(call.y), call.text};
        }
        EXPECT_EQ(drawnPreview, onPreview);
        EXPECT_EQ(page.engine.items, onPage);
    }
    EXPECT_EQ(slips, 4);
}

} // namespace
