// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration page: the four boxes and their up-down buttons, the restore of a
// saved value, saving, and the test print measured in the PDF it produces.
#include "GuiTestSupport.h"

#include "render/CalibrationSheet.h"

#include "print/CalibrationPage.h"
#include "print/PrintJobs.h"
#include "settings/IniFile.h"
#include "shell/UpDown.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include <cmath>

using namespace kvitanky;
using namespace testsupport;

namespace {

class CalibrationTest : public FormTest
{
protected:
    UpDown *upDown(const QString &name) const { return form->findChild<UpDown *>(name); }
    void clickArrow(const QString &upDownName, bool up)
    {
        auto *arrow = form->findChild<QToolButton *>(upDownName + (up ? "Up" : "Down"));
        ASSERT_NE(arrow, nullptr) << upDownName.toStdString();
        arrow->click();
    }
};

struct Pair {
    const char *edit;
    const char *upDown;
};

const Pair SizeX{"EditCalibrationPrintSizePDFX", "UpDownCalibrationXArea"};
const Pair SizeY{"EditCalibrationPrintSizePDFY", "UpDownCalibrationYArea"};
const Pair ShiftX{"EditCalibrationPrintNullAxesX", "UpDownCalibrationPrintNullAxesX"};
const Pair ShiftY{"EditCalibrationPrintNullAxesY", "UpDownCalibrationPrintNullAxesY"};

} // namespace

TEST_F(CalibrationTest, DesignedValuesAndUpDownsInStep)
{
    startForm();
    EXPECT_TRUE(startupMessages.isEmpty()) << messageTexts(startupMessages).join("|").toStdString();
    const struct {
        Pair pair;
        const char *text;
        int min, max;
    } expected[] = {{SizeX, "4900", 0, 5000}, {SizeY, "2350", 0, 3000}, {ShiftX, "-1", -15, 500}, {ShiftY, "1", -29, 500}};
    for (const auto &e : expected) {
        SCOPED_TRACE(e.pair.edit);
        ASSERT_NE(edit(e.pair.edit), nullptr);
        ASSERT_NE(upDown(e.pair.upDown), nullptr);
        EXPECT_EQ(edit(e.pair.edit)->text(), e.text);
        EXPECT_EQ(upDown(e.pair.upDown)->position(), QString(e.text).toInt());
        EXPECT_EQ(upDown(e.pair.upDown)->minimum(), e.min);
        EXPECT_EQ(upDown(e.pair.upDown)->maximum(), e.max);
    }
    // The page says how long one unit of shift is with the print size in the boxes.
    QLabel *unit = form->findChild<QLabel *>("LabelCalibrationShiftUnit");
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->text(), QString::fromUtf8("1 jednotka posunu ≈ 0,26 mm v ose X, 0,26 mm v ose Y"));
    edit(SizeX.edit)->setText("2450");
    EXPECT_TRUE(unit->text().startsWith(QString::fromUtf8("1 jednotka posunu ≈ 0,13 mm v ose X"))) << unit->text().toStdString();
}

class ShiftTyping : public CalibrationTest, public ::testing::WithParamInterface<Pair>
{
};

// The user begins a negative shift with "-": nothing happens until the digit.
TEST_P(ShiftTyping, MinusWaitsForTheDigit)
{
    startForm();
    const Pair p = GetParam();
    const int before = upDown(p.upDown)->position();
    edit(p.edit)->setText("-");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(edit(p.edit)->text(), "-");
    EXPECT_EQ(upDown(p.upDown)->position(), before);
    edit(p.edit)->setText("-5");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(upDown(p.upDown)->position(), -5);
}

INSTANTIATE_TEST_SUITE_P(Calibration, ShiftTyping, ::testing::Values(ShiftX, ShiftY));

struct BadText {
    Pair pair;
    const char *stored;   // value in the settings file; nullptr: no key
    const char *typed;
    const char *expectedText;
    int expectedPosition;
};

class BadTexts : public CalibrationTest, public ::testing::WithParamInterface<BadText>
{
};

// A text that is not an integer: the message, then the saved value (not the value
// the box held before) comes back and the up-down button follows it; without a
// saved integer the designed value comes back, so the next print finds a number.
TEST_P(BadTexts, MessageThenSavedValue)
{
    const BadText b = GetParam();
    QByteArray ini = "[CALIBRATION]\r\n";
    if (b.stored)
        ini += QByteArray(b.pair.edit) + "=" + b.stored + "\r\n";
    startForm(ini);
    QLineEdit *e = edit(b.pair.edit);
    e->setText("7");   // a valid value the file does not hold
    ASSERT_EQ(upDown(b.pair.upDown)->position(), 7);
    e->setText(b.typed);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.first().text, QString("'%1' není platné císlo!").arg(b.typed));
    EXPECT_EQ(messages.size(), 1) << texts().join("|").toStdString();
    EXPECT_EQ(e->text(), b.expectedText);
    EXPECT_EQ(upDown(b.pair.upDown)->position(), b.expectedPosition);
}

INSTANTIATE_TEST_SUITE_P(Calibration, BadTexts,
                         ::testing::Values(BadText{SizeX, "4800", "", "4800", 4800},
                                           BadText{SizeY, "2300", "12a", "2300", 2300},
                                           BadText{SizeX, nullptr, "", "4900", 4900},
                                           BadText{SizeY, nullptr, "-", "2350", 2350},
                                           BadText{ShiftX, "3", "5-", "3", 3},
                                           BadText{ShiftY, "-4", "--", "-4", -4},
                                           BadText{ShiftX, nullptr, "1,5", "-1", -1}));

struct Arrow {
    Pair pair;
    const char *start;
    bool up;
    const char *expected;
};

class Arrows : public CalibrationTest, public ::testing::WithParamInterface<Arrow>
{
};

// An arrow puts the button's position into the box; the range's ends hold.
TEST_P(Arrows, PositionGoesIntoTheBox)
{
    const Arrow a = GetParam();
    startForm();
    edit(a.pair.edit)->setText(a.start);
    clickArrow(a.pair.upDown, a.up);
    EXPECT_EQ(edit(a.pair.edit)->text(), a.expected);
    EXPECT_EQ(upDown(a.pair.upDown)->position(), QString(a.expected).toInt());
    EXPECT_TRUE(messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Calibration, Arrows,
                         ::testing::Values(Arrow{SizeX, "5000", true, "5000"}, Arrow{SizeX, "4999", true, "5000"},
                                           Arrow{SizeX, "4900", false, "4899"}, Arrow{SizeY, "0", false, "0"},
                                           Arrow{SizeY, "3000", true, "3000"}, Arrow{ShiftX, "-15", false, "-15"},
                                           Arrow{ShiftX, "500", true, "500"}, Arrow{ShiftY, "-29", false, "-29"},
                                           Arrow{ShiftY, "-28", false, "-29"},
                                           // typed beyond the range: the arrows bring it back inside
                                           Arrow{SizeX, "6000", false, "4999"}, Arrow{ShiftY, "-40", true, "-28"}));

TEST_F(CalibrationTest, SaveWritesTheSettingsFile)
{
    startForm();
    edit(SizeX.edit)->setText("4711");
    edit(ShiftY.edit)->setText("-3");
    button("ButtonCalibrationSaveValues")->click();
    ASSERT_EQ(texts(), QStringList{"Uloženo!"});
    IniFile ini(dir.file("Kvitanky.ini"));
    EXPECT_EQ(ini.readString("CALIBRATION", SizeX.edit, ""), "4711");
    EXPECT_EQ(ini.readString("CALIBRATION", ShiftY.edit, ""), "-3");
    // The saved value is what an emptied box returns to.
    edit(SizeX.edit)->setText("");
    EXPECT_EQ(edit(SizeX.edit)->text(), "4711");
}

namespace {

struct FrameBox {
    double x0, y0, x1, y1;
};

// The stroked rectangle of the test print, in points, from pdftocairo's SVG: the
// path's corner coordinates with the transform's scale applied.
bool findFrame(const QString &pdf, FrameBox *box, double *pageWidth)
{
    for (const PdfPathBox &b : pdfPathBoxes(pdf, pageWidth)) {
        if (b.coordinates < 8)
            continue;
        *box = FrameBox{b.minX, b.minY, b.maxX, b.maxY};
        return true;
    }
    return false;
}

} // namespace

// The test print draws the print area's outline, 4900 x 2350 printer pixels of
// 1/600 inch; on the PDF writer from the slips' origin, whatever margins the page
// set-up holds. On A4 that runs past the right edge, which the user is told.
TEST_F(CalibrationTest, TestPrintDrawsThePrintArea)
{
    if (!haveProgram("pdftocairo"))
        GTEST_SKIP() << "pdftocairo missing";
    startForm();
    QPrinter &printer = form->Printing->printer();
    printer.setPageMargins(QMarginsF(34, 51, 34, 34), QPageLayout::Point);
    const QString pdf = dir.file("Kvitanky.pdf");
    ASSERT_EQ(form->Printing->currentPrinter().pdfPath, pdf);
    const bool previewOnly = form->PreviewOnly;
    button("ButtonCalibrationPrint")->click();
    ASSERT_EQ(texts().size(), 2) << texts().join("|").toStdString();
    EXPECT_TRUE(texts()[0].startsWith(QString::fromUtf8("Zkušební rámeček 4900 × 2350 pixelů přesahuje")));
    EXPECT_EQ(texts()[1], QString::fromUtf8("Zkušební tisk odeslán do souboru %1.").arg(QDir::toNativeSeparators(pdf)));
    EXPECT_EQ(form->PreviewOnly, previewOnly);
    ASSERT_TRUE(QFile::exists(pdf));

    FrameBox box{};
    double pageWidth = 0;
    ASSERT_TRUE(findFrame(pdf, &box, &pageWidth));
    const double pt = 72.0 / 600.0;   // one printer pixel in points
    // The stroke is centred on the outline; compare the outline itself.
    const double origin = CalibrationSheet::FormOriginMm * 72 / 25.4;
    EXPECT_NEAR(box.x0, origin, pt);
    EXPECT_NEAR(box.y0, origin, pt);
    EXPECT_NEAR(box.x1 - box.x0, 4900 * pt, pt);
    EXPECT_NEAR(box.y1 - box.y0, 2350 * pt, pt);
    EXPECT_GT(box.x1, pageWidth);
    int code = -1;
    const QByteArray info = runProgram("pdfinfo", {pdf}, &code);
    EXPECT_TRUE(QString::fromUtf8(info).contains(QRegularExpression("Title: +Kalibrace\n"))) << info.constData();
    EXPECT_TRUE(QString::fromUtf8(info).contains(QRegularExpression("Pages: +1\n"))) << info.constData();
}

// On a printer whose printable area is narrower than the outline the user is
// warned first; "Zrušit" prints nothing.
TEST_F(CalibrationTest, OutlineBeyondThePrintableAreaIsWarnedOf)
{
    startForm({}, std::make_shared<FixedPrinters>(QStringList{"Laser"}, "Laser", true));
    QPrinter &printer = form->Printing->printer();
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(34, 34, 34, 34), QPageLayout::Point);   // 527 pt = 4391 px wide
    answer = ui::MessageAnswer::Cancel;
    button("ButtonCalibrationPrint")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().text.startsWith(QString::fromUtf8("Zkušební rámeček 4900 × 2350 pixelů přesahuje")))
        << messages.first().text.toStdString();
    EXPECT_TRUE(messages.first().withCancel);
    EXPECT_FALSE(form->Printing->jobRunning());
}

// A size that is not an integer stops the test print before the job begins.
TEST_F(CalibrationTest, TestPrintWithBadSizeWritesNothing)
{
    startForm("[CALIBRATION]\r\nEditCalibrationPrintSizePDFY=abc\r\n");   // the saved value itself
    ASSERT_EQ(edit(SizeY.edit)->text(), "abc");
    messages.clear();
    button("ButtonCalibrationPrint")->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().text.contains("abc")) << messages.first().text.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file("Kvitanky.pdf")));
}

TEST_F(CalibrationTest, TestPrintWithoutPrinterFails)
{
    startForm({}, FixedPrinters::none());
    form->TabSheetCalibration->ButtonCalibrationPrint->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first().text, "Chybí zarízení k tisku.");
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}).isEmpty());
}

// Captions fit their places with the fonts of this system: no control of the page
// runs into another one or out of its group.
TEST_F(CalibrationTest, NothingOverlapsOrIsClipped)
{
    startForm();
    QWidget *page = form->TabSheetCalibration;
    page->resize(829, 487);
    const auto children = page->findChildren<QWidget *>();
    for (QWidget *w : children) {
        if (!w->isVisibleTo(page) || qobject_cast<UpDown *>(w->parentWidget()))
            continue;
        QWidget *parent = w->parentWidget();
        if (!qobject_cast<QLabel *>(w) && !qobject_cast<QPushButton *>(w) && !qobject_cast<QLineEdit *>(w))
            continue;
        const auto *label = qobject_cast<QLabel *>(w);
        SCOPED_TRACE(w->objectName().toStdString() + " " + (label ? label->text().toStdString() : std::string()));
        if (label) {
            EXPECT_GE(label->width(), label->sizeHint().width());
        }
        EXPECT_TRUE(parent->rect().contains(w->geometry()));
        for (QWidget *other : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other == w || !other->isVisibleTo(page) || qobject_cast<UpDown *>(other))
                continue;
            EXPECT_FALSE(w->geometry().intersects(other->geometry())) << other->objectName().toStdString();
        }
    }
}
