// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintRangeDialog.h"

#include "shell/Desktop.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace kvitanky {

PrintRangeDialog::PrintRangeDialog(QWidget *parent, int rows, int from, int to) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintRangeDialog"));
    setWindowTitle(QStringLiteral("Tisk řádků"));
    auto *form = new QFormLayout(this);
    SpinFrom = new QSpinBox(this);
    SpinFrom->setObjectName(QStringLiteral("SpinFrom"));
    SpinTo = new QSpinBox(this);
    SpinTo->setObjectName(QStringLiteral("SpinTo"));
    for (QSpinBox *s : {SpinFrom, SpinTo})
        s->setRange(1, std::max(rows, 1));
    SpinFrom->setValue(from);
    SpinTo->setValue(to);
    form->addRow(QStringLiteral("Od řádku:"), SpinFrom);
    form->addRow(QStringLiteral("Do řádku:"), SpinTo);
    auto *buttons = new QHBoxLayout;
    ButtonPrint = new QPushButton(QStringLiteral("Tisknout"), this);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonPrint->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Zrušit"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->addStretch();
    buttons->addWidget(ButtonPrint);
    buttons->addWidget(ButtonCancel);
    LabelRangeNote = new QLabel(this);
    LabelRangeNote->setObjectName(QStringLiteral("LabelRangeNote"));
    LabelRangeNote->setWordWrap(true);
    QPalette palette = LabelRangeNote->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    LabelRangeNote->setPalette(palette);
    LabelRangeNote->hide();
    form->addRow(LabelRangeNote);
    form->addRow(buttons);
    // Each box keeps what was typed into it (while "41" is typed, "Od" briefly
    // holds "4"); the range is checked once, when it is to be printed.
    connect(ButtonPrint, &QPushButton::clicked, this, &PrintRangeDialog::printClicked);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PrintRangeDialog::printClicked()
{
    if (SpinFrom->value() > SpinTo->value()) {
        LabelRangeNote->setText(QStringLiteral("Řádek „Od“ (%1) je až za řádkem „Do“ (%2); opravte rozsah, "
                                               "pozpátku se netiskne.")
                                    .arg(SpinFrom->value())
                                    .arg(SpinTo->value()));
        LabelRangeNote->show();
        SpinFrom->setFocus();
        SpinFrom->selectAll();
        return;
    }
    accept();
}

bool PrintRangeDialog::askRange(Desktop &desktop, QWidget *parent, int rows, int &from, int &to)
{
    PrintRangeDialog dialog(parent, rows, from, to);
    if (desktop.runDialog(dialog) != QDialog::Accepted)
        return false;
    from = dialog.SpinFrom->value();
    to = dialog.SpinTo->value();
    return true;
}

} // namespace kvitanky
