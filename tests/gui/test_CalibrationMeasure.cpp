// SPDX-License-Identifier: GPL-3.0-or-later
// Calibration by measuring: the calibration sheet in the PDF it produces, the
// dialog's computation applied to the page, and the values of every printer.
#include "GuiTestSupport.h"

#include "print/CalibrationDialog.h"
#include "print/CalibrationPage.h"
#include "print/PrintJobs.h"
#include "render/CalibrationSheet.h"
#include "settings/IniFile.h"
#include "settings/PrinterCalibrations.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace kvitanky;
using namespace testsupport;

namespace {

constexpr double MmPerPoint = 25.4 / 72.0;
constexpr double Pixel = CalibrationSheet::MillimetresPerPrinterPixel;

// Centres of the crosses of a calibration sheet, in mm from the page's top-left
// corner: the strokes about 10 mm long that pdftocairo's SVG holds, those with the
// same centre making one cross, sorted by their number (left to right).
QList<QPointF> crossesInPdf(const QString &pdf)
{
    QList<QPointF> centres;
    for (const PdfPathBox &b : pdfPathBoxes(pdf)) {
        if (b.coordinates < 4)
            continue;
        const double minX = b.minX, minY = b.minY, maxX = b.maxX, maxY = b.maxY;
        const double extent = std::max(maxX - minX, maxY - minY) * MmPerPoint;
        if (std::abs(extent - 10.0) > 0.2)
            continue;
        const QPointF c((minX + maxX) / 2 * MmPerPoint, (minY + maxY) / 2 * MmPerPoint);
        const bool known = std::any_of(centres.begin(), centres.end(), [&](const QPointF &o) {
            return std::abs(o.x() - c.x()) < 0.01 && std::abs(o.y() - c.y()) < 0.01;
        });
        if (!known)
            centres << c;
    }
    std::sort(centres.begin(), centres.end(), [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
    return centres;
}

// The printer of the issue: 98 % of the size, everything 3 mm right and down.
QPointF simulatedPrinter(const QPointF &onPage)
{
    return onPage * 0.98 + QPointF(3, 3);
}

QString typed(double mm)
{
    return QString::number(mm, 'f', 3).replace('.', ',');
}

class CalibrationMeasureTest : public FormTest
{
protected:
    CalibrationPage *page() const { return form->TabSheetCalibration; }

    // The measuring dialog as the user works it.
    void onMeasureDialog(std::function<void(CalibrationDialog &)> work)
    {
        desktop->onDialog = [work](QDialog &d) {
            work(dynamic_cast<CalibrationDialog &>(d));
            return d.result();
        };
    }

    // Opens the dialog, types the measured crosses, reads its new values and
    // presses "Použít" (or "Zrušit").
    QStringList measure(const QList<QPointF> &crosses, bool apply = true, QString *error = nullptr)
    {
        QStringList shown;
        onMeasureDialog([&](CalibrationDialog &d) {
            for (int i = 0; i < crosses.size(); ++i) {
                d.findChild<QLineEdit *>(QString("EditCalibrationCross%1X").arg(i + 1))->setText(typed(crosses[i].x()));
                d.findChild<QLineEdit *>(QString("EditCalibrationCross%1Y").arg(i + 1))->setText(typed(crosses[i].y()));
            }
            for (int i = 0; i < 4; ++i)
                shown << d.findChild<QLabel *>(QString("LabelCalibrationOld%1").arg(i))->text() + "->"
                             + d.findChild<QLabel *>(QString("LabelCalibrationNew%1").arg(i))->text();
            if (error)
                *error = d.findChild<QLabel *>("LabelCalibrationMeasureError")->text();
            d.findChild<QPushButton *>(apply ? "ButtonCalibrationApply" : "ButtonCalibrationCancel")->click();
        });
        page()->ButtonCalibrationMeasure->click();
        desktop->onDialog = {};
        return shown;
    }

    QString values() const
    {
        const auto v = page()->currentValues();
        return v ? v->toText() : QString("?");
    }
};

} // namespace

// The sheet printed into a PDF, measured as a printer that scales by 0.98 and
// shifts by 3 mm would print it, corrected through the dialog and printed again:
// the second sheet lands on the crosses' places.
TEST_F(CalibrationMeasureTest, SecondSheetLandsOnThePlaces)
{
    if (!haveProgram("pdftocairo"))
        GTEST_SKIP() << "pdftocairo missing";
    startForm();
    const QString pdf = dir.file("Kvitanky.pdf");
    page()->ButtonCalibrationSheet->click();
    ASSERT_EQ(messages.size(), 1) << texts().join("|").toStdString();
    messages.clear();
    const QList<QPointF> first = crossesInPdf(pdf);
    ASSERT_EQ(first.size(), 2);
    int code = -1;
    EXPECT_TRUE(QString::fromUtf8(runProgram("pdfinfo", {pdf}, &code)).contains("Kalibrační list"));
    const QString text = QString::fromUtf8(runProgram("pdftotext", {pdf, "-"}, &code));
    EXPECT_TRUE(text.contains("100 mm")) << text.toStdString();

    const QStringList shown = measure({simulatedPrinter(first[0]), simulatedPrinter(first[1])});
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0], "4900->5000");
    EXPECT_EQ(shown[2].section("->", 0, 0), "-1");
    EXPECT_TRUE(messages.isEmpty()) << texts().join("|").toStdString();
    const CalibrationValues applied = page()->currentValues().value();
    EXPECT_EQ(applied.printWidth, 5000);
    EXPECT_EQ(form->findChild<QLineEdit *>("EditCalibrationPrintSizePDFY")->text(), QString::number(applied.printHeight));

    page()->ButtonCalibrationSheet->click();
    const QList<QPointF> second = crossesInPdf(pdf);
    ASSERT_EQ(second.size(), 2);
    const QPointF landed[2] = {simulatedPrinter(second[0]), simulatedPrinter(second[1])};
    const double halfUnitX = applied.printWidth / 795.0 * Pixel * 0.98 / 2;
    const double halfUnitY = applied.printHeight / 387.0 * Pixel * 0.98 / 2;
    for (int i = 0; i < 2; ++i) {
        const QPointF place = CalibrationSheet::crossPlaceMm(i);
        EXPECT_LE(std::abs(landed[i].x() - place.x()), halfUnitX + Pixel) << i;
        EXPECT_LE(std::abs(landed[i].y() - place.y()), halfUnitY + Pixel) << i;
    }
    const QPointF wanted = CalibrationSheet::crossPlaceMm(1) - CalibrationSheet::crossPlaceMm(0);
    EXPECT_NEAR((landed[1] - landed[0]).x(), wanted.x(), Pixel);
    EXPECT_NEAR((landed[1] - landed[0]).y(), wanted.y(), Pixel);

    // Measuring the places themselves keeps the values.
    measure({CalibrationSheet::crossPlaceMm(0), CalibrationSheet::crossPlaceMm(1)});
    EXPECT_EQ(values(), applied.toText());
}

// The program's own PDF is an exact printer: its crosses measured there propose no
// change, whatever margins the page set-up holds; the same sheet printed 1.5 mm
// lower gets a Y correction alone. The report names the file written.
TEST_F(CalibrationMeasureTest, OwnPdfProposesNoChange)
{
    if (!haveProgram("pdftocairo"))
        GTEST_SKIP() << "pdftocairo missing";
    startForm();
    form->Printing->printer().setPageMargins(QMarginsF(34, 51, 20, 20), QPageLayout::Point);
    writeFile(dir.file("Kvitanky.pdf"), "older");
    desktop->onDialog = [this](QDialog &d) {
        if (d.objectName() == "PdfTargetQuestion") {
            d.findChild<QPushButton *>("ButtonPdfNewName")->click();
            return d.result();
        }
        return desktop->answerAsUser(d);
    };
    page()->ButtonCalibrationSheet->click();
    desktop->onDialog = {};
    const QString pdf = dir.file("Kvitanky (2).pdf");
    EXPECT_EQ(texts(), QStringList{QString::fromUtf8("Kalibrační list odeslán do souboru %1.")
                                       .arg(QDir::toNativeSeparators(pdf))});
    messages.clear();
    const QList<QPointF> crosses = crossesInPdf(pdf);
    ASSERT_EQ(crosses.size(), 2);
    EXPECT_EQ(measure(crosses, false), QStringList({"4900->4900", "2350->2350", "-1->-1", "1->1"}));
    const QPointF down(0, 1.5);
    EXPECT_EQ(measure({crosses[0] + down, crosses[1] + down}, false),
              QStringList({"4900->4900", "2350->2350", "-1->-1", "1->-5"}));
}

TEST_F(CalibrationMeasureTest, CancelAndBadLengthsChangeNothing)
{
    startForm();
    const QList<QPointF> places = {CalibrationSheet::crossPlaceMm(0) + QPointF(2, 2),
                                   CalibrationSheet::crossPlaceMm(1) + QPointF(2, 2)};
    QStringList shown = measure(places, false);
    EXPECT_NE(shown[2], "-1->-1");
    EXPECT_EQ(values(), "4900;2350;-1;1");

    QString error;
    shown = measure({QPointF(1, 1), QPointF(300, 1)}, true, &error);   // "Použít" is disabled
    EXPECT_EQ(shown[0], "4900->–");
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(values(), "4900;2350;-1;1");

    onMeasureDialog([&](CalibrationDialog &d) {
        d.findChild<QLineEdit *>("EditCalibrationCross1X")->setText("12a");
        error = d.findChild<QLabel *>("LabelCalibrationMeasureError")->text();
        EXPECT_FALSE(d.findChild<QPushButton *>("ButtonCalibrationApply")->isEnabled());
    });
    page()->ButtonCalibrationMeasure->click();
    EXPECT_EQ(error, QString::fromUtf8("'12a' není délka v milimetrech (například 12,5)."));

    // The values on the page must be integers before anything is computed from them.
    edit("EditCalibrationPrintNullAxesX")->setText("-");
    page()->ButtonCalibrationMeasure->click();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().text.contains("celá čísla"));
}

// Each printer keeps its values: switching back and forth brings them back, the
// page says whose they are, and a save keeps them for the next start.
TEST_F(CalibrationMeasureTest, EveryPrinterKeepsItsValues)
{
    const QByteArray ini = "[CALIBRATION]\r\nEditCalibrationPrintSizePDFX=4800\r\n";
    auto printers = std::make_shared<FixedPrinters>(QStringList{"A", "B"}, "A", true);
    startForm(ini, printers);
    const auto choose = [&](const QString &name) {
        PrinterChoice c = form->Printing->currentPrinter();
        c.pdf = name.isEmpty();
        c.name = name;
        form->Printing->choosePrinter(c);
    };
    QLabel *owner = page()->LabelCalibrationPrinter;
    EXPECT_EQ(values(), "4800;2350;-1;1");
    EXPECT_EQ(owner->text(), QString::fromUtf8("Hodnoty patří tiskárně: A"));

    choose("B");   // B has nothing of its own yet
    EXPECT_EQ(values(), "4800;2350;-1;1");
    EXPECT_TRUE(owner->text().contains("Tiskárna B ještě nemá vlastní hodnoty")) << owner->text().toStdString();
    edit("EditCalibrationPrintNullAxesY")->setText("5");
    EXPECT_EQ(owner->text(), QString::fromUtf8("Hodnoty patří tiskárně: B"));
    choose("A");
    EXPECT_EQ(values(), "4800;2350;-1;1");
    choose("B");
    EXPECT_EQ(values(), "4800;2350;-1;5");
    choose("");   // the PDF writer
    EXPECT_EQ(values(), "4800;2350;-1;5");
    measure({CalibrationSheet::crossPlaceMm(0) + QPointF(1, 0), CalibrationSheet::crossPlaceMm(1) + QPointF(1, 0)});
    const QString pdfValues = values();
    EXPECT_NE(pdfValues, "4800;2350;-1;5");
    EXPECT_EQ(owner->text(), QString::fromUtf8("Hodnoty patří tiskárně: PDF soubor"));
    choose("A");
    EXPECT_EQ(values(), "4800;2350;-1;1");
    choose("");
    EXPECT_EQ(values(), pdfValues);
    choose("B");
    button("ButtonCalibrationSaveValues")->click();

    IniFile file(dir.file("Kvitanky.ini"));
    EXPECT_EQ(file.readString("CALIBRATION", "EditCalibrationPrintNullAxesY", ""), "5");   // the printer in use
    EXPECT_EQ(file.readString(PrinterCalibrations::Section, "A", ""), "4800;2350;-1;1");
    EXPECT_EQ(file.readString(PrinterCalibrations::Section, "B", ""), "4800;2350;-1;5");
    EXPECT_EQ(file.readString(PrinterCalibrations::Section, "PDF soubor", ""), pdfValues);

    // The next start is on the default printer A: its own values, not the saved B's.
    form.reset();
    startForm(QByteArray(), printers);
    EXPECT_EQ(values(), "4800;2350;-1;1");
    EXPECT_EQ(page()->LabelCalibrationPrinter->text(), QString::fromUtf8("Hodnoty patří tiskárně: A"));
}

// A file without the printers' section: a save with one printer leaves it as the
// program always wrote it, and after a round of switching printers the only
// difference is the added section.
TEST_F(CalibrationMeasureTest, FileWithoutTheSectionStaysAsItWas)
{
    auto printers = std::make_shared<FixedPrinters>(QStringList{"A", "B"}, "A", true);
    startForm("[CALIBRATION]\r\nEditCalibrationPrintSizePDFY=2222\r\n", printers);
    EXPECT_EQ(values(), "4900;2222;-1;1");
    button("ButtonCalibrationSaveValues")->click();
    const QByteArray saved = readFile(dir.file("Kvitanky.ini"));
    EXPECT_FALSE(saved.contains("CALIBRATION_PRINTERS"));

    PrinterChoice b = form->Printing->currentPrinter();
    b.name = "B";
    form->Printing->choosePrinter(b);
    PrinterChoice a = b;
    a.name = "A";
    form->Printing->choosePrinter(a);
    button("ButtonCalibrationSaveValues")->click();
    QByteArray again = readFile(dir.file("Kvitanky.ini"));
    const qsizetype at = again.indexOf("[CALIBRATION_PRINTERS]");
    ASSERT_GE(at, 0);
    EXPECT_EQ(again.mid(at), "[CALIBRATION_PRINTERS]\r\nA=4900;2222;-1;1\r\n");
    EXPECT_EQ(again.left(at), saved);
}
