// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrintRangeDialog.h"

#include "shell/Desktop.h"

#include <QFormLayout>
#include <QHBoxLayout>
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
    form->addRow(buttons);
    // The range never runs backwards.
    connect(SpinFrom, &QSpinBox::valueChanged, this, [this](int v) { SpinTo->setValue(std::max(SpinTo->value(), v)); });
    connect(SpinTo, &QSpinBox::valueChanged, this, [this](int v) { SpinFrom->setValue(std::min(SpinFrom->value(), v)); });
    connect(ButtonPrint, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
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
