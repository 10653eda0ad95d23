// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include "print/PrinterProvider.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace kvitanky {

SystemDesktop::SystemDesktop() : m_printers(std::make_unique<SystemPrinters>()) {}

SystemDesktop::~SystemDesktop() = default;

ui::MessageAnswer SystemDesktop::message(QWidget *parent, const ui::MessageRequest &r)
{
    QMessageBox box(parent);
    box.setWindowTitle(r.caption.isEmpty() ? QStringLiteral("Kvitanky") : r.caption);
    box.setText(r.text);
    switch (r.kind) {
    case ui::MessageKind::Information: box.setIcon(QMessageBox::NoIcon); break;
    case ui::MessageKind::Warning:
    case ui::MessageKind::Question: box.setIcon(QMessageBox::Warning); break;
    case ui::MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    }
    box.setStandardButtons(r.withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(r.cancelIsDefault ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? ui::MessageAnswer::Ok : ui::MessageAnswer::Cancel;
}

QString SystemDesktop::fileName(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent, request.caption);
    dialog.setObjectName(request.objectName);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name that does not exist is accepted; the caller then reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    const QFileInfo proposed(request.proposed);
    dialog.setDirectory(proposed.absolutePath());
    if (!proposed.fileName().isEmpty())
        dialog.selectFile(proposed.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

int SystemDesktop::runDialog(QDialog &dialog)
{
    return dialog.exec();
}

bool SystemDesktop::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

const PrinterProvider &SystemDesktop::printers() const
{
    return *m_printers;
}

} // namespace kvitanky
