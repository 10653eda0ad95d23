// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalibrationPage.h"

#include "print/CalibrationDialog.h"
#include "print/PrintJobs.h"
#include "print/PrintQuestions.h"
#include "render/CalibrationSheet.h"
#include "render/SlipRenderer.h"
#include "render/SlipSurface.h"
#include "settings/NumberText.h"
#include "settings/SettingsAccess.h"
#include "settings/SettingKeys.h"
#include "shell/MainWindow.h"
#include "shell/Desktop.h"
#include "shell/MessageBox.h"
#include "shell/PageControls.h"
#include "shell/UpDown.h"

#include <QPrinter>

#include <algorithm>

#include <QPainter>
#include <QScopeGuard>

namespace kvitanky {

namespace {

// A caption stands before its box at the designed position; where this system's
// font makes it wider than the room the design left, it moves left.
void keepBefore(QLabel *label, const QWidget *box)
{
    const int right = box->x() - 4;
    if (label->x() + label->width() > right)
        label->move(std::max(2, right - label->width()), label->y());
}

} // namespace

CalibrationPage::CalibrationPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetCalibration");

    QGroupBox *outer = ui::groupBox(this, "GroupBoxCalibration", " Korekce tisku ", 16, 16, 795, 417);

    QGroupBox *area = ui::groupBox(outer, "GroupBoxCalibrationPrintArea", " Rozmer tiskové plochy ", 24, 30, 449, 147);
    EditCalibrationPrintSizePDFX = ui::lineEdit(area, key::EditCalibrationPrintSizePDFX, 20, 41, 45);
    UpDownCalibrationXArea = new UpDown("UpDownCalibrationXArea", 0, 5000, area);
    UpDownCalibrationXArea->move(64, 39);
    ui::label(area, "X", 87, 48);
    EditCalibrationPrintSizePDFY = ui::lineEdit(area, key::EditCalibrationPrintSizePDFY, 100, 41, 45);
    UpDownCalibrationYArea = new UpDown("UpDownCalibrationYArea", 0, 3000, area);
    UpDownCalibrationYArea->move(145, 39);
    ui::label(area, "[pixelu tiskárny]", 184, 48);
    ButtonCalibrationPrint = ui::button(area, "ButtonCalibrationPrint", "Zkušební tisk", 338, 41, 87, 23);
    ui::label(area, "(Puvodní rozmer 4900 x 2350 px)", 16, 96);
    // The boxes have no caption of their own; the group's title says what they are.
    EditCalibrationPrintSizePDFX->setAccessibleName("Šírka tiskové plochy [pixelu tiskárny]");
    EditCalibrationPrintSizePDFY->setAccessibleName("Výška tiskové plochy [pixelu tiskárny]");

    QGroupBox *shift = ui::groupBox(outer, "GroupBoxCalibrationPrintNullAxes", " Posun všech údaju ve smeru X, Y  ",
                                    24, 200, 449, 113);
    QLabel *axisX = ui::label(shift, "Osa X", 16, 56);
    EditCalibrationPrintNullAxesX = ui::lineEdit(shift, key::EditCalibrationPrintNullAxesX, 51, 48, 33, 0, axisX);
    UpDownCalibrationPrintNullAxesX = new UpDown("UpDownCalibrationPrintNullAxesX", -15, 500, shift);
    UpDownCalibrationPrintNullAxesX->move(83, 45);
    QLabel *axisY = ui::label(shift, "Osa Y", 133, 56);
    EditCalibrationPrintNullAxesY = ui::lineEdit(shift, key::EditCalibrationPrintNullAxesY, 169, 48, 33, 0, axisY);
    UpDownCalibrationPrintNullAxesY = new UpDown("UpDownCalibrationPrintNullAxesY", -29, 500, shift);
    UpDownCalibrationPrintNullAxesY->move(201, 46);
    keepBefore(axisX, EditCalibrationPrintNullAxesX);
    keepBefore(axisY, EditCalibrationPrintNullAxesY);
    LabelCalibrationShiftUnit = ui::label(shift, QString(), 16, 82, "LabelCalibrationShiftUnit");

    QGroupBox *measure = ui::groupBox(outer, "GroupBoxCalibrationMeasure", " Kalibrace měřením ", 496, 30, 275, 147);
    ButtonCalibrationSheet = ui::button(measure, "ButtonCalibrationSheet", "Kalibrační list", 16, 28, 120, 25);
    ButtonCalibrationMeasure = ui::button(measure, "ButtonCalibrationMeasure", "&Změřit a nastavit…", 16, 60, 150, 25);
    LabelCalibrationPrinter = ui::label(measure, QString(), 16, 94, "LabelCalibrationPrinter");
    LabelCalibrationPrinter->setWordWrap(true);
    LabelCalibrationPrinter->setFixedSize(245, 44);
    LabelCalibrationPrinter->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ImageCalibration = new QLabel(outer);
    ImageCalibration->setObjectName("ImageCalibration");
    ImageCalibration->hide();

    ButtonCalibrationSaveValues = ui::button(this, "ButtonCalibrationSaveValues", "Uložit", 729, 448, 75, 25);

    // Designed values; LoadSettings replaces them and sets the up-down buttons.
    EditCalibrationPrintSizePDFX->setText("4900");
    EditCalibrationPrintSizePDFY->setText("2350");
    EditCalibrationPrintNullAxesX->setText("-1");
    EditCalibrationPrintNullAxesY->setText("1");
    UpDownCalibrationXArea->setPosition(4900);
    UpDownCalibrationYArea->setPosition(2350);
    UpDownCalibrationPrintNullAxesX->setPosition(-1);
    UpDownCalibrationPrintNullAxesY->setPosition(1);
    showShiftUnit();

    pair(EditCalibrationPrintSizePDFX, UpDownCalibrationXArea, false);
    pair(EditCalibrationPrintSizePDFY, UpDownCalibrationYArea, false);
    pair(EditCalibrationPrintNullAxesX, UpDownCalibrationPrintNullAxesX, true);
    pair(EditCalibrationPrintNullAxesY, UpDownCalibrationPrintNullAxesY, true);

    connect(ButtonCalibrationPrint, &QPushButton::clicked, this,
            [this] { m_form.guard([this] { ButtonCalibrationPrintClick(); }); });
    connect(ButtonCalibrationSaveValues, &QPushButton::clicked, this,
            [this] { m_form.guard([this] { ButtonCalibrationSaveValuesClick(); }); });

    connect(ButtonCalibrationSheet, &QPushButton::clicked, this,
            [this] { m_form.guard([this] { ButtonCalibrationSheetClick(); }); });
    connect(ButtonCalibrationMeasure, &QPushButton::clicked, this,
            [this] { m_form.guard([this] { ButtonCalibrationMeasureClick(); }); });

    setTabOrder(EditCalibrationPrintSizePDFX, EditCalibrationPrintSizePDFY);
    setTabOrder(EditCalibrationPrintSizePDFY, ButtonCalibrationPrint);
    setTabOrder(ButtonCalibrationPrint, EditCalibrationPrintNullAxesX);
    setTabOrder(EditCalibrationPrintNullAxesX, EditCalibrationPrintNullAxesY);
    setTabOrder(EditCalibrationPrintNullAxesY, ButtonCalibrationSheet);
    setTabOrder(ButtonCalibrationSheet, ButtonCalibrationMeasure);
    setTabOrder(ButtonCalibrationMeasure, ButtonCalibrationSaveValues);
}

void CalibrationPage::pair(QLineEdit *edit, UpDown *upDown, bool allowMinus)
{
    connect(edit, &QLineEdit::textChanged, this,
            [this, edit, upDown, allowMinus] { m_form.guard([&] { editChanged(edit, upDown, allowMinus); }); });
    connect(upDown, &UpDown::clicked, this, [this, edit, upDown] { m_form.guard([&] { upDownClicked(edit, upDown); }); });
}

void CalibrationPage::editChanged(QLineEdit *edit, UpDown *upDown, bool allowMinus)
{
    const QString text = edit->text();
    // The user has begun a negative shift.
    if (allowMinus && text == QLatin1String("-"))
        return;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (ok) {
        upDown->setPosition(value);
        showShiftUnit();
        // The user's own value: from now on the values are the current printer's.
        if (!m_settingValues && m_valuesOwner != m_printerKey) {
            m_valuesOwner = m_printerKey;
            showValuesOwner();
        }
        return;
    }
    ui::information(m_form.desktop(), &m_form, notANumberMessage(text));
    // Putting back a different text runs this handler once more.
    edit->setText(restoredValue(edit->objectName()));
}

QString CalibrationPage::restoredValue(const QString &key) const
{
    // The saved value; without one (a fresh install) the designed value, so that
    // the next print finds a number.
    const QString fallback = settingKey(key).defaultValue;
    return m_form.SettingsFile ? m_form.SettingsFile->readString(Section::Calibration, key, fallback) : fallback;
}

void CalibrationPage::showShiftUnit()
{
    // One unit of shift is one unit of the slip's layout, spread over the print size.
    const auto mm = [](const QLineEdit *size, int slipUnits) {
        const int pixels = size->text().trimmed().toInt();
        return millimetresText(pixels * CalibrationSheet::MillimetresPerPrinterPixel / slipUnits, 2);
    };
    LabelCalibrationShiftUnit->setText(
        QStringLiteral("1 jednotka posunu ≈ %1 mm v ose X, %2 mm v ose Y")
            .arg(mm(EditCalibrationPrintSizePDFX, SlipRenderer::PreviewWidth),
                 mm(EditCalibrationPrintSizePDFY, SlipRenderer::PreviewHeight)));
    LabelCalibrationShiftUnit->adjustSize();
}

void CalibrationPage::upDownClicked(QLineEdit *edit, UpDown *upDown)
{
    edit->setText(QString::number(upDown->position()));
}

void CalibrationPage::ButtonCalibrationPrintClick()
{
    m_form.UpdatePrintScale();
    // The print size as UpdatePrintScale has just taken it.
    const int width = m_form.settings().integer(key::EditCalibrationPrintSizePDFX);
    const int height = m_form.settings().integer(key::EditCalibrationPrintSizePDFY);
    PrintJobs &jobs = *m_form.Printing;
    if (jobs.hasPrinter() && !outlineFitsPrintableArea(jobs, width, height))
        return;
    // From the origin of the slips, on every printer and in the PDF alike.
    const bool printed = jobs.runJob(QStringLiteral("Kalibrace"), [&](PrintSession &session) {
        PainterSurface page(&session.painter());
        page.drawRect(0, 0, width, height);
    });
    if (printed)
        reportPrintedJob(QStringLiteral("Zkušební tisk odeslán"));
}

void CalibrationPage::reportPrintedJob(const QString &what)
{
    // The target as the job left it: a PDF job may have moved to a new file.
    const PrintJobs &jobs = *m_form.Printing;
    reportJob(m_form.desktop(), &m_form, what + jobs.jobTarget() + QLatin1Char('.'),
              jobs.currentPrinter().pdf ? jobs.currentPrinter().pdfPath : QString());
}

bool CalibrationPage::outlineFitsPrintableArea(PrintJobs &jobs, int width, int height)
{
    // The printable area the driver reports (the PDF writer's page from its
    // origin), in printer pixels of 1/600 inch.
    const QPageLayout layout = jobs.currentPrinter().pdf ? PrintSession::pdfPageLayout(jobs.printer().pageLayout())
                                                         : jobs.printer().pageLayout();
    const QRectF area = layout.paintRectPoints();
    const int areaWidth = int(area.width() * PainterSurface::PrinterPixelsPerInch / 72.0);
    const int areaHeight = int(area.height() * PainterSurface::PrinterPixelsPerInch / 72.0);
    if (width <= areaWidth && height <= areaHeight)
        return true;
    const QString text = QStringLiteral("Zkušební rámeček %1 × %2 pixelů přesahuje tisknutelnou plochu tiskárny "
                                        "(%3 × %4 pixelů), jeho část se nevytiskne.\nTisknout přesto?")
                             .arg(width)
                             .arg(height)
                             .arg(areaWidth)
                             .arg(areaHeight);
    return ui::warning(m_form.desktop(), &m_form, QStringLiteral("Kvitanky"), text, true) == ui::MessageAnswer::Ok;
}

void CalibrationPage::ButtonCalibrationSaveValuesClick()
{
    m_form.SaveSettings();
    ui::information(m_form.desktop(), &m_form, QStringLiteral("Uloženo!"));
}

namespace {

// The PDF writer keeps its values under a name no print queue can have (queue
// names hold no blanks).
const QString PdfWriterKey = QStringLiteral("PDF soubor");

QString shownName(const QString &key)
{
    return key == PdfWriterKey ? QStringLiteral("PDF soubor") : key;
}

} // namespace

std::optional<CalibrationValues> CalibrationPage::currentValues() const
{
    int v[4];
    const QLineEdit *boxes[4] = {EditCalibrationPrintSizePDFX, EditCalibrationPrintSizePDFY,
                                 EditCalibrationPrintNullAxesX, EditCalibrationPrintNullAxesY};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = boxes[i]->text().trimmed().toInt(&ok, 10);
        if (!ok)
            return std::nullopt;
    }
    return CalibrationValues{v[0], v[1], v[2], v[3]};
}

void CalibrationPage::setValues(const CalibrationValues &values)
{
    m_settingValues = true;
    const auto done = qScopeGuard([this] { m_settingValues = false; });
    EditCalibrationPrintSizePDFX->setText(QString::number(values.printWidth));
    EditCalibrationPrintSizePDFY->setText(QString::number(values.printHeight));
    EditCalibrationPrintNullAxesX->setText(QString::number(values.shiftX));
    EditCalibrationPrintNullAxesY->setText(QString::number(values.shiftY));
}

void CalibrationPage::followPrinter(PrintJobs &printing)
{
    m_printing = &printing;
    connect(&printing, &PrintJobs::printerChosen, this, [this] { m_form.guard([this] { printerChosen(); }); });
}

void CalibrationPage::printerChosen()
{
    m_printers.setFile(m_form.SettingsFile.get());
    const PrinterChoice &choice = m_printing->currentPrinter();
    const QString key = choice.pdf ? PdfWriterKey : choice.name;
    if (key == m_printerKey)
        return;
    if (m_printerKey.isEmpty()) {
        // Start-up: the values loaded from CALIBRATION are the printer's in use,
        // unless the printer keeps values of its own.
        m_valuesOwner = key;
    } else if (m_valuesOwner == m_printerKey) {
        if (const auto values = currentValues())
            m_printers.remember(m_printerKey, *values);
    }
    m_printerKey = key;
    if (const auto values = m_printers.valuesFor(key)) {
        setValues(*values);
        m_valuesOwner = key;
    }
    showValuesOwner();
}

void CalibrationPage::showValuesOwner()
{
    if (m_printerKey.isEmpty()) {
        LabelCalibrationPrinter->setText(QString());
    } else if (m_valuesOwner == m_printerKey || m_valuesOwner.isEmpty()) {
        LabelCalibrationPrinter->setText(QStringLiteral("Hodnoty patří tiskárně: %1").arg(shownName(m_printerKey)));
    } else {
        LabelCalibrationPrinter->setText(QStringLiteral("Tiskárna %1 ještě nemá vlastní hodnoty; nastaveny jsou "
                                                        "hodnoty tiskárny %2.")
                                             .arg(shownName(m_printerKey), shownName(m_valuesOwner)));
    }
    LabelCalibrationPrinter->setToolTip(LabelCalibrationPrinter->text());
}

void CalibrationPage::savePrinterValues(IniFile &file)
{
    if (m_printerKey.isEmpty())
        return;
    m_valuesOwner = m_printerKey;
    showValuesOwner();
    m_printers.save(file, m_printerKey, currentValues());
}

void CalibrationPage::ButtonCalibrationSheetClick()
{
    // Sizes and shifts are checked before the job begins, as for a slip.
    m_form.UpdatePrintScale();
    const CalibrationValues values = printCalibration(m_form.settings());
    const QString printer = m_form.Printing->currentPrinter().displayName();
    const bool printed = m_form.Printing->runJob(QStringLiteral("Kalibrační list"), [&](PrintSession &session) {
        CalibrationSheet::draw(session.painter(), values, printer);
    });
    if (printed)
        reportPrintedJob(QStringLiteral("Kalibrační list odeslán"));
}

void CalibrationPage::ButtonCalibrationMeasureClick()
{
    const std::optional<CalibrationValues> values = currentValues();
    if (!values) {
        ui::information(m_form.desktop(), &m_form,
                        QStringLiteral("Nejdříve opravte hodnoty kalibrace: všechny čtyři musí být celá čísla."));
        return;
    }
    const QString printer = m_printerKey.isEmpty() ? QStringLiteral("není k dispozici") : shownName(m_printerKey);
    CalibrationDialog dialog(*values, printer, &m_form);
    if (m_form.desktop().runDialog(dialog) != QDialog::Accepted || !dialog.fit().ok)
        return;
    setValues(dialog.fit().values);
    m_valuesOwner = m_printerKey;
    m_printers.remember(m_printerKey, dialog.fit().values);
    showValuesOwner();
}

} // namespace kvitanky
