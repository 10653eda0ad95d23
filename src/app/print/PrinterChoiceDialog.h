// SPDX-License-Identifier: GPL-3.0-or-later
// "Tiskárna": chooses where the next jobs go, one of the system's printers or the
// PDF writer with its file. It prints nothing and asks nothing about files; a job
// asks before it replaces an existing PDF.
#pragma once

#include "print/PrintSession.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kvitanky {

class PrinterChoiceDialog : public QDialog
{
    Q_OBJECT
public:
    PrinterChoiceDialog(QWidget *parent, const QStringList &printers, bool pdfWriter, const PrinterChoice &current);

    QComboBox *ComboPrinter = nullptr;
    QLineEdit *EditPdfFile = nullptr;
    QPushButton *ButtonPdfBrowse = nullptr;
    QPushButton *ButtonChoose = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // The choice as the controls show it.
    PrinterChoice choice() const;

    // Shows the dialog modally; returns whether the user chose (the choice in `out`).
    // A test hook receives the dialog instead of the user and clicks its buttons.
    static bool choose(QWidget *parent, const QStringList &printers, bool pdfWriter, PrinterChoice &out);
    using Hook = std::function<void(PrinterChoiceDialog &)>;
    static void setHook(Hook hook);

private:
    void updateControls();
    void browse();
    QString m_pdfItem;
};

} // namespace kvitanky
