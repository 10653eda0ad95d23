// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/SettingsAccess.h"

#include "TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QHash>
#include <QPdfWriter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <climits>

using namespace kvitanky;
using Call = RecordingSurface::Call;

namespace {

class DrawSlipTextTest : public ::testing::Test
{
protected:
    DrawSlipTextTest() : renderer(makeContext()) {}

    SlipContext makeContext()
    {
        SlipContext c;
        c.settings = &settings;
        c.programDir = testsupport::binDir();
        c.previewMirror = &preview;
        c.printer = &printer;
        c.formReady = true;
        c.previewOnly = false;
        return c;
    }

    static std::vector<std::pair<int, int>> positions(const RecordingSurface &s)
    {
        std::vector<std::pair<int, int>> v;
        for (const Call &c : s.calls())
            v.emplace_back(c.x, c.y);
        return v;
    }

    MapSettings settings;
    RecordingSurface preview;
    RecordingSurface printer;
    SlipRenderer renderer;
};

TEST_F(DrawSlipTextTest, amountFieldLandsInItsBoxesOnPreviewAndPaper)
{
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(465, 29, QStringLiteral("=====12550"), 1);

    ASSERT_EQ(preview.calls().size(), 10);
    EXPECT_EQ(preview.calls()[0].x, 464);
    EXPECT_EQ(preview.calls()[0].y, 30);
    EXPECT_EQ(preview.calls()[1].x, 483);
    EXPECT_EQ(preview.calls()[1].y, 30);
    EXPECT_EQ(preview.calls()[0].family, QStringLiteral("Arial"));
    EXPECT_EQ(preview.calls()[0].pointSize, 10);

    ASSERT_EQ(printer.calls().size(), 10);
    EXPECT_EQ(printer.calls()[0].x, 2859);
    EXPECT_EQ(printer.calls()[0].y, 182);
    EXPECT_EQ(printer.calls()[1].x, 2976);
    EXPECT_EQ(printer.calls()[1].y, 182);
    // Each offset from the start of the text: 0, 117, 234, 351.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(printer.calls()[i].x - 2859, 117 * i) << i;
    EXPECT_EQ(printer.calls()[9].text, QStringLiteral("0"));
    EXPECT_EQ(printer.calls()[0].pointSize, 10);
}

TEST_F(DrawSlipTextTest, paperOffsetsAreNotSummedFromRoundedSteps)
{
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(238, 205, QStringLiteral("Zpráva pro p"), 1);
    ASSERT_EQ(printer.calls().size(), 12);
    // 19 * 10 * 6.1635... = 1171.07: one truncation gives 1171; ten steps of 117 would give 1170.
    EXPECT_EQ(printer.calls()[10].x - printer.calls()[0].x, 1171);
    EXPECT_EQ(printer.calls()[11].x - printer.calls()[0].x, 1288);
}

TEST_F(DrawSlipTextTest, printScaleFromTheCalibration)
{
    EXPECT_EQ(renderer.PrintScaleX(), 0.0);
    EXPECT_EQ(renderer.PrintWidth(), 0);
    renderer.UpdatePrintScale();
    EXPECT_DOUBLE_EQ(renderer.PrintScaleX(), 4900.0 / 795.0);
    EXPECT_DOUBLE_EQ(renderer.PrintScaleY(), 2350.0 / 387.0);
    EXPECT_EQ(renderer.PrintWidth(), 4900);
    EXPECT_EQ(renderer.PrintHeight(), 2350);

    settings.setText(QStringLiteral("EditCalibrationPrintSizePDFY"), QStringLiteral("23x"));
    try {
        renderer.UpdatePrintScale();
        FAIL() << "no error";
    } catch (const SettingError &e) {
        EXPECT_NE(QString::fromStdString(e.what()).indexOf(QStringLiteral("EditCalibrationPrintSizePDFY")), -1);
    }
}

TEST_F(DrawSlipTextTest, wholeTextModeDrawsOneString)
{
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(238, 135, QStringLiteral("STÁTNÍ SPRÁVA CR"), 2);
    ASSERT_EQ(preview.calls().size(), 1);
    EXPECT_EQ(preview.calls()[0].text, QStringLiteral("STÁTNÍ SPRÁVA CR"));
    EXPECT_EQ(preview.calls()[0].pointSize, 9);
    EXPECT_EQ(positions(preview), (std::vector<std::pair<int, int>>{{237, 136}}));
    // trunc(237 * 6.1635...) = 1460, trunc(136 * 6.0723...) = 825
    EXPECT_EQ(positions(printer), (std::vector<std::pair<int, int>>{{1460, 825}}));
}

TEST_F(DrawSlipTextTest, emptyText)
{
    renderer.DrawSlipText(10, 10, QString(), 1);   // character by character: nothing
    EXPECT_TRUE(preview.calls().isEmpty());
    EXPECT_TRUE(printer.calls().isEmpty());
    renderer.DrawSlipText(10, 10, QString(), 2);   // one string: an empty one
    ASSERT_EQ(preview.calls().size(), 1);
    EXPECT_EQ(preview.calls()[0].text, QString());
    EXPECT_EQ(printer.calls().size(), 1);
}

TEST_F(DrawSlipTextTest, blankTakesOnePitch)
{
    renderer.DrawSlipText(100, 50, QStringLiteral("a b"), 1);
    EXPECT_EQ(positions(preview), (std::vector<std::pair<int, int>>{{99, 51}, {118, 51}, {137, 51}}));
    EXPECT_EQ(preview.calls()[1].text, QStringLiteral(" "));
}

TEST_F(DrawSlipTextTest, characterOutsideTheBasicPlaneStaysWhole)
{
    const QString text = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("b");
    renderer.DrawSlipText(100, 50, text, 1);
    ASSERT_EQ(preview.calls().size(), 3);
    EXPECT_EQ(preview.calls()[1].text.size(), 2);
    EXPECT_EQ(preview.calls()[2].x, 99 + 38);
}

class SetSwitchedOff : public DrawSlipTextTest, public ::testing::WithParamInterface<int> {};

TEST_P(SetSwitchedOff, drawsNothingAnywhere)
{
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(465, 29, QStringLiteral("=====12550"), GetParam());
    EXPECT_TRUE(preview.calls().isEmpty());
    EXPECT_TRUE(printer.calls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Sets, SetSwitchedOff, ::testing::Values(0, 4, -1, INT_MIN, INT_MAX));

struct ModeCase {
    bool formReady;
    bool previewOnly;
    bool printed;
};

class DrawingMode : public DrawSlipTextTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(DrawingMode, printerOnlyWhileAJobRunsAfterStartUp)
{
    renderer.context().formReady = GetParam().formReady;
    renderer.context().previewOnly = GetParam().previewOnly;
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(25, 155, QStringLiteral("=nula="), 2);
    EXPECT_EQ(preview.calls().size(), 1);
    EXPECT_EQ(printer.calls().size(), GetParam().printed ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Flags, DrawingMode,
                         ::testing::Values(ModeCase{true, false, true}, ModeCase{true, true, false},
                                           ModeCase{false, false, false}, ModeCase{false, true, false}));

TEST_F(DrawSlipTextTest, negativeCoordinatesPassUnchanged)
{
    settings.setText(QStringLiteral("EditCalibrationPrintNullAxesX"), QStringLiteral("-15"));
    settings.setText(QStringLiteral("EditCalibrationPrintNullAxesY"), QStringLiteral("-29"));
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(5, 10, QStringLiteral("ab"), 1);
    EXPECT_EQ(positions(preview), (std::vector<std::pair<int, int>>{{-10, -19}, {9, -19}}));
    // trunc(-10 * 6.16) = -61, trunc(-19 * 6.07) = -115; second char 117 to the right.
    EXPECT_EQ(positions(printer), (std::vector<std::pair<int, int>>{{-61, -115}, {56, -115}}));
}

TEST_F(DrawSlipTextTest, absurdPositionsDoNotOverflow)
{
    settings.setText(QStringLiteral("EditCalibrationPrintNullAxesX"), QStringLiteral("10000"));
    settings.setText(QStringLiteral("EditCalibrationPrintSizePDFX"), QStringLiteral("20000"));
    settings.setText(QStringLiteral("EditSetOtherDistance1"), QString::number(INT_MAX));
    renderer.UpdatePrintScale();
    renderer.DrawSlipText(INT_MAX, INT_MIN, QStringLiteral("abc"), 1);
    ASSERT_EQ(preview.calls().size(), 3);
    EXPECT_GT(preview.calls()[0].x, 0);
    EXPECT_LE(preview.calls()[2].x, INT_MAX);
    ASSERT_EQ(printer.calls().size(), 3);
    EXPECT_GT(printer.calls()[2].x, 0);
    // The real preview is untouched and still usable.
    EXPECT_TRUE(renderer.previewImage().isNull());
}

struct BadSetting {
    const char *key;
    const char *value;
};

class NonIntegerSetting : public DrawSlipTextTest, public ::testing::WithParamInterface<BadSetting> {};

TEST_P(NonIntegerSetting, stopsWithAMessageNamingTheSetting)
{
    settings.setText(QString::fromLatin1(GetParam().key), QString::fromUtf8(GetParam().value));
    renderer.UpdatePrintScale();
    try {
        renderer.DrawSlipText(465, 29, QStringLiteral("12"), 1);
        FAIL() << "no error";
    } catch (const SettingError &e) {
        const QString message = QString::fromStdString(e.what());
        EXPECT_NE(message.indexOf(QString::fromLatin1(GetParam().key)), -1) << e.what();
        EXPECT_NE(message.indexOf(QString::fromUtf8(GetParam().value)), -1) << e.what();
    }
    EXPECT_TRUE(printer.calls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, NonIntegerSetting,
    ::testing::Values(BadSetting{"EditCalibrationPrintNullAxesX", "-"},
                      BadSetting{"EditCalibrationPrintNullAxesY", "1,5"},
                      BadSetting{"EditCalibrationPrintNullAxesX", "2147483647"},
                      BadSetting{"EditSetOtherFontSize1", "10.5"},
                      BadSetting{"EditSetOtherFontSize1", "0"},
                      BadSetting{"EditSetOtherFontSize1", "-3"},
                      BadSetting{"EditSetOtherFontSize1", "100000"},
                      BadSetting{"EditSetOtherDistance1", "devatenáct"},
                      BadSetting{"EditSetOtherDistance1", ""}));

TEST_F(DrawSlipTextTest, settingsOfASwitchedOffSetAreNotRead)
{
    settings.setText(QStringLiteral("EditSetOtherFontSize3"), QStringLiteral("x"));
    renderer.DrawSlipText(1, 1, QStringLiteral("a"), 0);
    renderer.DrawSlipText(1, 1, QStringLiteral("a"), 2);
    EXPECT_EQ(preview.calls().size(), 1);
    EXPECT_THROW(renderer.DrawSlipText(1, 1, QStringLiteral("a"), 3), SettingError);
}

// ---- The real surfaces ----

QRect inkBox(const QImage &img, const QColor &background)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAbs(qGray(img.pixel(x, y)) - qGray(background.rgb())) > 96)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(ImageSurface, textCellStartsAtThePointAndSizesAreAt96Dpi)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        ImageSurface s(&img);
        s.setFont(QStringLiteral("Liberation Sans"), 30);
        s.drawText(50, 20, QStringLiteral("H"));
    }
    EXPECT_EQ(img.logicalDpiX(), 96);
    const QRect ink = inkBox(img, Qt::white);
    ASSERT_FALSE(ink.isEmpty());
    // 30 pt at 96 dpi is 40 px: the capital H is about 29 px tall and its top lies
    // below the point by the font's internal leading (about 7 px).
    EXPECT_GE(ink.left(), 50);
    EXPECT_LE(ink.left(), 55);
    EXPECT_GE(ink.top(), 22);
    EXPECT_LE(ink.top(), 30);
    EXPECT_GE(ink.height(), 26);
    EXPECT_LE(ink.height(), 31);
    // Bold: the stem is wider than the regular weight's (about 4 px at 40 px).
    int stem = 0;
    while (qGray(img.pixel(ink.left() + stem, ink.center().y() - 6)) < 128)
        ++stem;
    EXPECT_GE(stem, 5);
}

TEST(ImageSurface, farAwayTextIsIgnored)
{
    QImage img(50, 50, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QImage before = img.copy();
    {
        ImageSurface s(&img);
        s.setFont(QStringLiteral("Liberation Sans"), 10);
        s.drawText(INT_MAX, 0, QStringLiteral("x"));
        s.drawText(0, INT_MIN, QStringLiteral("x"));
        s.drawText(60, 0, QStringLiteral("x"));
    }
    EXPECT_EQ(img, before);
}

struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
};

QList<PdfWord> pdfWords(const QString &pdf)
{
    const QByteArray html = testsupport::runProgram(QStringLiteral("pdftotext"),
                                                    {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QList<PdfWord> words;
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    auto it = re.globalMatch(QString::fromUtf8(html));
    while (it.hasNext()) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                      m.captured(4).toDouble()});
    }
    return words;
}

class PainterSurfaceOnPdf : public ::testing::TestWithParam<int> {};

// The same printer pixels land on the same spot of the page whatever the device
// resolution, and the font keeps its size in points.
TEST_P(PainterSurfaceOnPdf, printerPixelsAreSixHundredthsOfAnInch)
{
    if (!testsupport::haveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext missing";
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(path);
        writer.setResolution(GetParam());
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        PainterSurface s(&painter);
        s.setFont(QStringLiteral("Liberation Sans"), 12);
        s.drawText(600, 1200, QStringLiteral("HOBZI"));   // 1 inch, 2 inches
        s.setFont(QStringLiteral("Liberation Sans"), 24);
        s.drawText(3000, 300, QStringLiteral("VELKA"));   // 5 inches, 0.5 inch
        // Back to the first font, which the surface has measured before; setting
        // the same font again changes nothing.
        s.setFont(QStringLiteral("Liberation Sans"), 12);
        s.setFont(QStringLiteral("Liberation Sans"), 12);
        s.drawText(600, 2400, QStringLiteral("MALA"));    // 1 inch, 4 inches
    }
    QHash<QString, PdfWord> words;
    for (const PdfWord &w : pdfWords(path))
        words.insert(w.text, w);
    ASSERT_EQ(words.size(), 3);
    ASSERT_TRUE(words.contains(QStringLiteral("HOBZI")));
    ASSERT_TRUE(words.contains(QStringLiteral("VELKA")));
    const PdfWord small = words.value(QStringLiteral("HOBZI"));
    const PdfWord large = words.value(QStringLiteral("VELKA"));
    // pdftotext's box spans the font's ascent and descent, so its top is the
    // top of the character cell; positions in points (1/72 inch).
    EXPECT_NEAR(small.xMin, 72.0, 1.0);
    EXPECT_NEAR(small.yMin, 144.0, 1.0);
    EXPECT_NEAR(large.xMin, 360.0, 1.0);
    EXPECT_NEAR(large.yMin, 36.0, 1.0);
    // Liberation Sans: ascent plus descent is 1.117 of the size in points.
    EXPECT_NEAR(small.yMax - small.yMin, 12 * 1.117, 0.5);
    EXPECT_NEAR(large.yMax - large.yMin, 24 * 1.117, 0.5);
    const PdfWord again = words.value(QStringLiteral("MALA"));
    EXPECT_NEAR(again.xMin, 72.0, 1.0);
    EXPECT_NEAR(again.yMin, 288.0, 1.0);
    EXPECT_NEAR(again.yMax - again.yMin, 12 * 1.117, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, PainterSurfaceOnPdf, ::testing::Values(300, 600, 1200));

// Positions a hand-edited calibration can produce, far off any page: nothing is
// drawn and nothing overflows on the way to device units.
TEST(PainterSurface, farAwayTextIsIgnored)
{
    if (!testsupport::haveProgram(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext missing";
    testsupport::TempDir dir;
    const QString path = dir.file(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(path);
        writer.setResolution(1200);
        QPainter painter(&writer);
        PainterSurface s(&painter);
        s.setFont(QStringLiteral("Liberation Sans"), 12);
        for (const auto &[x, y] : {std::pair{INT_MAX, 0}, {0, INT_MAX}, {INT_MIN, 0}, {0, INT_MIN}, {INT_MIN, INT_MIN}})
            s.drawText(x, y, QStringLiteral("DALEKO"));
        s.drawText(600, 600, QStringLiteral("TADY"));
    }
    QStringList texts;
    for (const PdfWord &w : pdfWords(path))
        texts << w.text;
    EXPECT_EQ(texts, QStringList{QStringLiteral("TADY")});
}

} // namespace
