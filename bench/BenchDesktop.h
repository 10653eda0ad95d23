// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop of the benchmarks: nothing is shown and nothing waits for a hand.
// Every box goes to `onMessage` and is answered OK; a job prints all its slips,
// replaces an existing PDF and its report is one more message. The printers are
// the system's unless a fixed list is given.
#pragma once

#include "print/PrinterProvider.h"
#include "shell/Desktop.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>

#include <functional>
#include <memory>

namespace bench {

class BenchDesktop : public kvitanky::SystemDesktop
{
public:
    explicit BenchDesktop(std::function<void(const kvitanky::ui::MessageRequest &)> onMessage,
                          std::shared_ptr<kvitanky::PrinterProvider> printers = {})
        : m_onMessage(std::move(onMessage)), m_printers(std::move(printers))
    {
    }

    kvitanky::ui::MessageAnswer message(QWidget *, const kvitanky::ui::MessageRequest &request) override
    {
        m_onMessage(request);
        return kvitanky::ui::MessageAnswer::Ok;
    }

    int runDialog(QDialog &dialog) override
    {
        using kvitanky::ui::MessageKind;
        const QString name = dialog.objectName();
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (name == QLatin1String("PreflightDialog")) {
            const auto *summary = dialog.findChild<QLabel *>(QStringLiteral("LabelPreflightSummary"));
            message(&dialog, {MessageKind::Question, dialog.windowTitle(), summary ? summary->text() : QString(),
                              true, false});
            click(dialog, "ButtonPreflightPrint");
        } else if (box && name == QLatin1String("PdfTargetQuestion")) {
            message(&dialog, {MessageKind::Question, box->windowTitle(), box->text(), true, false});
            click(dialog, "ButtonPdfReplace");
        } else if (box && name == QLatin1String("JobReport")) {
            message(&dialog, {MessageKind::Information, QString(), box->text(), false, false});
            box->button(QMessageBox::Ok)->click();
        } else {
            dialog.reject();
        }
        return dialog.result();
    }

    bool openUrl(const QUrl &) override { return false; }

    const kvitanky::PrinterProvider &printers() const override
    {
        return m_printers ? *m_printers : kvitanky::SystemDesktop::printers();
    }

private:
    static void click(QDialog &dialog, const char *name)
    {
        if (auto *b = dialog.findChild<QAbstractButton *>(QLatin1String(name)))
            b->click();
        else
            dialog.reject();
    }

    std::function<void(const kvitanky::ui::MessageRequest &)> m_onMessage;
    std::shared_ptr<kvitanky::PrinterProvider> m_printers;
};

} // namespace bench
