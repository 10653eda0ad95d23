// SPDX-License-Identifier: GPL-3.0-or-later
// "Kalibrace": the printed slip area and the shift of all items, a test print of
// the area's outline, and saving the settings.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace kvitanky {

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

    void ButtonCalibrationPrintClick();
    void ButtonCalibrationSaveValuesClick();

private:
    // One edit box and its up-down button, kept in step by the two handlers.
    void pair(QLineEdit *edit, UpDown *upDown, bool allowMinus);
    void editChanged(QLineEdit *edit, UpDown *upDown, bool allowMinus);
    // What a box holding no integer is refilled with.
    QString restoredValue(const QString &key) const;
    void upDownClicked(QLineEdit *edit, UpDown *upDown);
    // On a printer: whether the outline fits the printable area, or the user,
    // warned, prints it anyway.
    bool outlineFitsPrintableArea(QPrinter &printer, int width, int height);

    TForm1 &m_form;
};

} // namespace kvitanky
