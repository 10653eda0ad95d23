// SPDX-License-Identifier: GPL-3.0-or-later
// "Kalibrace": the printed slip area and the shift of all items, a test print of
// the area's outline, and saving the settings.
#pragma once

#include "settings/PrinterCalibrations.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace kvitanky {

class CalibrationDialog;
class IniFile;
class PrintJobs;
class TForm1;
class UpDown;

class CalibrationPage : public QWidget
{
    Q_OBJECT
public:
    explicit CalibrationPage(TForm1 &form);

    UpDown *UpDownCalibrationXArea = nullptr;
    UpDown *UpDownCalibrationYArea = nullptr;
    UpDown *UpDownCalibrationPrintNullAxesX = nullptr;
    UpDown *UpDownCalibrationPrintNullAxesY = nullptr;

    QLineEdit *EditCalibrationPrintSizePDFX = nullptr;
    QLineEdit *EditCalibrationPrintSizePDFY = nullptr;
    QLineEdit *EditCalibrationPrintNullAxesX = nullptr;
    QLineEdit *EditCalibrationPrintNullAxesY = nullptr;
    QPushButton *ButtonCalibrationPrint = nullptr;
    QPushButton *ButtonCalibrationSaveValues = nullptr;
    QLabel *ImageCalibration = nullptr;   // the calibration picture; never shown

    // Calibration by measuring, remembered per printer.
    QPushButton *ButtonCalibrationSheet = nullptr;     // "Kalibrační list"
    QPushButton *ButtonCalibrationMeasure = nullptr;   // opens CalibrationDialog
    QLabel *LabelCalibrationPrinter = nullptr;         // which printer the values belong to
    QLabel *LabelCalibrationShiftUnit = nullptr;       // the length of one unit of shift

    void ButtonCalibrationPrintClick();
    void ButtonCalibrationSaveValuesClick();
    void ButtonCalibrationSheetClick();
    void ButtonCalibrationMeasureClick();

    // Follows the printer choice of the print jobs: the values of the printer left
    // are remembered, those of the printer chosen (if it has any) fill the boxes.
    void followPrinter(PrintJobs &printing);
    // Part of saving all settings: the values become the current printer's own
    // and every printer's values are written.
    void savePrinterValues(IniFile &file);
    // The four boxes as integers; nothing when one is not an integer.
    std::optional<CalibrationValues> currentValues() const;
    // The name the values of the current printer are kept under.
    const QString &printerKey() const { return m_printerKey; }

private:
    // One edit box and its up-down button, kept in step by the two handlers.
    void pair(QLineEdit *edit, UpDown *upDown, bool allowMinus);
    void editChanged(QLineEdit *edit, UpDown *upDown, bool allowMinus);
    // What a box holding no integer is refilled with.
    QString restoredValue(const QString &key) const;
    void upDownClicked(QLineEdit *edit, UpDown *upDown);
    void showShiftUnit();
    // Whether the outline fits the printable area of the current printer, or the
    // user, warned, prints it anyway.
    bool outlineFitsPrintableArea(PrintJobs &jobs, int width, int height);
    // "<what> do souboru …" / "na tiskárnu …" after a job that went out.
    void reportPrintedJob(const QString &what);

    void printerChosen();
    void setValues(const CalibrationValues &values);
    void showValuesOwner();

    TForm1 &m_form;
    PrintJobs *m_printing = nullptr;
    PrinterCalibrations m_printers;
    QString m_printerKey;    // current printer
    QString m_valuesOwner;   // printer whose values the boxes show
    bool m_settingValues = false;
};

} // namespace kvitanky
