// SPDX-License-Identifier: GPL-3.0-or-later
// "Tisk řádků": the rows from N to M of the recipient table, for reprinting the
// slips a paper jam spoiled.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace kvitanky {

class Desktop;

class PrintRangeDialog : public QDialog
{
    Q_OBJECT
public:
    // Rows are numbered from 1 as the user sees them.
    PrintRangeDialog(QWidget *parent, int rows, int from, int to);

    QSpinBox *SpinFrom = nullptr;
    QSpinBox *SpinTo = nullptr;
    QPushButton *ButtonPrint = nullptr;
    QPushButton *ButtonCancel = nullptr;
    QLabel *LabelRangeNote = nullptr;   // why "Tisknout" did not print

    // Asks for the rows through `desktop`; false when cancelled. `from` and `to` are 1-based.
    static bool askRange(Desktop &desktop, QWidget *parent, int rows, int &from, int &to);

private:
    // Prints a range that runs forwards; a reversed one is refused with a note.
    void printClicked();
};

} // namespace kvitanky
