// SPDX-License-Identifier: GPL-3.0-or-later
// "Kalibrace": the printed slip area and the shift of all items.
#pragma once

#include <QWidget>

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

private:
    TForm1 &m_form;
};

} // namespace kvitanky
