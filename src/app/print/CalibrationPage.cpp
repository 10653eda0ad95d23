// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalibrationPage.h"

#include "settings/SettingKeys.h"
#include "shell/MainWindow.h"
#include "shell/PageBase.h"
#include "shell/UpDown.h"

namespace kvitanky {

CalibrationPage::CalibrationPage(TForm1 &form)
    : m_form(form)
{
    setObjectName("TabSheetCalibration");
    ui::lineEdit(this, "EditCalibrationPrintSizePDFX", 20, 41, 45)->setText("4900");
    ui::lineEdit(this, "EditCalibrationPrintSizePDFY", 100, 41, 45)->setText("2350");
    ui::lineEdit(this, "EditCalibrationPrintNullAxesX", 51, 148, 33)->setText("-1");
    ui::lineEdit(this, "EditCalibrationPrintNullAxesY", 169, 148, 33)->setText("1");
    UpDownCalibrationXArea = new UpDown("UpDownCalibrationXArea", 0, 5000, this);
    UpDownCalibrationYArea = new UpDown("UpDownCalibrationYArea", 0, 3000, this);
    UpDownCalibrationPrintNullAxesX = new UpDown("UpDownCalibrationPrintNullAxesX", -15, 500, this);
    UpDownCalibrationPrintNullAxesY = new UpDown("UpDownCalibrationPrintNullAxesY", -29, 500, this);
}

} // namespace kvitanky
