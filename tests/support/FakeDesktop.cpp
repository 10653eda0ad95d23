// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeDesktop.h"

#include "exchange/ImportPreviewDialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace kvitanky;

namespace testsupport {

ui::MessageAnswer FakeDesktop::message(QWidget *, const ui::MessageRequest &request)
{
    if (onMessage)
        return onMessage(request);
    messages.append(request);
    return answer;
}

QString FakeDesktop::fileName(QWidget *, const FileRequest &request)
{
    fileRequests.append(request);
    return onFile ? onFile(request) : chosenFile;
}

int FakeDesktop::runDialog(QDialog &dialog)
{
    return onDialog ? onDialog(dialog) : answerAsUser(dialog);
}

bool FakeDesktop::openUrl(const QUrl &url)
{
    openedUrls << url;
    return opensUrls;
}

int FakeDesktop::answerAsUser(QDialog &dialog)
{
    const QString name = dialog.objectName();
    if (auto *preview = qobject_cast<ImportPreviewDialog *>(&dialog)) {
        preview->CheckBoxSkipDuplicates->setChecked(false);
        preview->CheckBoxRemoveSamples->setChecked(false);
        preview->accept();
        return preview->result();
    }
    if (name == QLatin1String("PreflightDialog")) {
        const auto *summary = dialog.findChild<QLabel *>(QStringLiteral("LabelPreflightSummary"));
        const ui::MessageRequest request{ui::MessageKind::Question, dialog.windowTitle(),
                                         summary ? summary->text() : QString(), true, false};
        const bool print = message(&dialog, request) == ui::MessageAnswer::Ok;
        return click(dialog, print ? QStringLiteral("ButtonPreflightPrint") : QStringLiteral("ButtonPreflightCancel"));
    }
    if (auto *box = qobject_cast<QMessageBox *>(&dialog); box && name == QLatin1String("PdfTargetQuestion")) {
        const ui::MessageRequest request{ui::MessageKind::Question, box->windowTitle(), box->text(), true, false};
        const bool replace = message(&dialog, request) == ui::MessageAnswer::Ok;
        return click(dialog, replace ? QStringLiteral("ButtonPdfReplace") : QStringLiteral("ButtonPdfCancel"));
    }
    if (auto *box = qobject_cast<QMessageBox *>(&dialog); box && name == QLatin1String("JobReport")) {
        message(&dialog, {ui::MessageKind::Information, QString(), box->text(), false, false});
        box->button(QMessageBox::Ok)->click();
        return dialog.result();
    }
    ADD_FAILURE() << "dialog " << name.toStdString() << " was shown and nobody answered it";
    dialog.reject();
    return dialog.result();
}

int FakeDesktop::click(QDialog &dialog, const QString &name)
{
    auto *button = dialog.findChild<QAbstractButton *>(name);
    if (!button) {
        ADD_FAILURE() << "dialog " << dialog.objectName().toStdString() << " has no button " << name.toStdString();
        dialog.reject();
    } else {
        button->click();
    }
    return dialog.result();
}

} // namespace testsupport
