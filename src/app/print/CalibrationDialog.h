// SPDX-License-Identifier: GPL-3.0-or-later
// "Kalibrace měřením": where the two crosses of the calibration sheet landed, the
// values computed from that, the current and the new values side by side.
#pragma once

#include "render/CalibrationSheet.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kvitanky {

class CalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    // `printed`: the values the sheet was printed with (those set now).
    CalibrationDialog(const CalibrationValues &printed, const QString &printerName, QWidget *parent);

    // The computation from what the boxes hold now.
    const CalibrationFit &fit() const { return m_fit; }
    bool complete() const { return m_complete; }   // all four boxes hold a length

    // The picture of what to measure.
    static QPixmap measuringPicture();

private:
    void recompute();

    CalibrationValues m_printed;
    CalibrationFit m_fit;
    bool m_complete = false;
    QLineEdit *m_measured[CalibrationSheet::CrossCount][2] = {};
    QLabel *m_new[4] = {};
    QLabel *m_error = nullptr;
    QPushButton *m_apply = nullptr;
};

} // namespace kvitanky
