// SPDX-License-Identifier: GPL-3.0-or-later
// "Tiskárna": chooses where the next jobs go, one of the system's printers or the
// PDF writer with its file. It prints nothing and asks nothing about files; a job
// asks before it replaces an existing PDF.
#pragma once

#include "print/PrintSession.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kvitanky {

class Desktop;

class PrinterChoiceDialog : public QDialog
{
    Q_OBJECT
public:
    // The PDF file is browsed for through `desktop`.
    PrinterChoiceDialog(Desktop &desktop, QWidget *parent, const QStringList &printers, bool pdfWriter,
                        const PrinterChoice &current);

    QComboBox *ComboPrinter = nullptr;
    QLineEdit *EditPdfFile = nullptr;
    QPushButton *ButtonPdfBrowse = nullptr;
    QPushButton *ButtonChoose = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // The choice as the controls show it.
    PrinterChoice choice() const;

    // Shows the dialog through `desktop` with the desktop's printers; returns whether
    // the user chose (the choice in `out`).
    static bool choose(Desktop &desktop, QWidget *parent, PrinterChoice &out);

private:
    void updateControls();
    void browse();
    Desktop &m_desktop;
    QString m_pdfItem;
};

} // namespace kvitanky
