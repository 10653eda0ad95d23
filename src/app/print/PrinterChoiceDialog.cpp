// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrinterChoiceDialog.h"

#include "print/PrinterProvider.h"
#include "shell/Desktop.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace kvitanky {

PrinterChoiceDialog::PrinterChoiceDialog(Desktop &desktop, QWidget *parent, const QStringList &printers,
                                         bool pdfWriter, const PrinterChoice &current)
    : QDialog(parent), m_desktop(desktop), m_pdfItem(QStringLiteral("PDF soubor"))
{
    setObjectName(QStringLiteral("PrintDialog1"));
    setWindowTitle(QStringLiteral("Tiskárna"));
    auto *grid = new QGridLayout(this);
    ComboPrinter = new QComboBox(this);
    ComboPrinter->setObjectName(QStringLiteral("ComboPrinter"));
    ComboPrinter->addItems(printers);
    if (pdfWriter)
        ComboPrinter->addItem(m_pdfItem);
    auto *printerLabel = new QLabel(QStringLiteral("&Tiskárna:"), this);
    printerLabel->setBuddy(ComboPrinter);
    grid->addWidget(printerLabel, 0, 0);
    grid->addWidget(ComboPrinter, 0, 1, 1, 2);

    EditPdfFile = new QLineEdit(QDir::toNativeSeparators(current.pdfPath), this);
    EditPdfFile->setObjectName(QStringLiteral("EditPdfFile"));
    EditPdfFile->setMinimumWidth(320);
    auto *fileLabel = new QLabel(QStringLiteral("&Soubor PDF:"), this);
    fileLabel->setBuddy(EditPdfFile);
    ButtonPdfBrowse = new QPushButton(QStringLiteral("Procházet…"), this);
    ButtonPdfBrowse->setObjectName(QStringLiteral("ButtonPdfBrowse"));
    grid->addWidget(fileLabel, 1, 0);
    grid->addWidget(EditPdfFile, 1, 1);
    grid->addWidget(ButtonPdfBrowse, 1, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonChoose = new QPushButton(QStringLiteral("Vybrat"), this);
    ButtonChoose->setObjectName(QStringLiteral("ButtonChoose"));
    ButtonChoose->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Zrušit"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->addWidget(ButtonChoose);
    buttons->addWidget(ButtonCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);

    const int index = current.pdf ? ComboPrinter->findText(m_pdfItem) : ComboPrinter->findText(current.name);
    ComboPrinter->setCurrentIndex(std::max(index, 0));
    connect(ComboPrinter, &QComboBox::currentIndexChanged, this, [this] { updateControls(); });
    connect(EditPdfFile, &QLineEdit::textChanged, this, [this] { updateControls(); });
    connect(ButtonPdfBrowse, &QPushButton::clicked, this, [this] { browse(); });
    connect(ButtonChoose, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateControls();
}

PrinterChoice PrinterChoiceDialog::choice() const
{
    PrinterChoice c;
    c.pdf = ComboPrinter->currentText() == m_pdfItem && ComboPrinter->currentIndex() == ComboPrinter->count() - 1;
    c.name = c.pdf ? QString() : ComboPrinter->currentText();
    c.pdfPath = QDir::fromNativeSeparators(EditPdfFile->text().trimmed());
    return c;
}

void PrinterChoiceDialog::updateControls()
{
    const PrinterChoice c = choice();
    EditPdfFile->setEnabled(c.pdf);
    ButtonPdfBrowse->setEnabled(c.pdf);
    ButtonChoose->setEnabled(ComboPrinter->count() > 0 && (!c.pdf || !c.pdfPath.isEmpty()));
}

void PrinterChoiceDialog::browse()
{
    // Only a name is chosen here; the job asks before it replaces an existing file.
    FileRequest request;
    request.save = true;
    request.caption = QStringLiteral("Soubor PDF");
    request.proposed = choice().pdfPath;
    request.filters = QStringList{QStringLiteral("PDF (*.pdf)")};
    request.confirmOverwrite = false;
    const QString path = m_desktop.fileName(this, request);
    if (!path.isEmpty())
        EditPdfFile->setText(QDir::toNativeSeparators(path));
}

bool PrinterChoiceDialog::choose(Desktop &desktop, QWidget *parent, PrinterChoice &out)
{
    const PrinterProvider &printers = desktop.printers();
    PrinterChoiceDialog dialog(desktop, parent, printers.printerNames(), printers.hasPdfWriter(), out);
    if (desktop.runDialog(dialog) != QDialog::Accepted)
        return false;
    out = dialog.choice();
    return true;
}

} // namespace kvitanky
