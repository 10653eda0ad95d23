// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace kvitanky::ui {
namespace {

MessageHook &hook()
{
    static MessageHook h;
    return h;
}

MessageAnswer show(QWidget *parent, const MessageRequest &r)
{
    if (hook())
        return hook()(r);
    QMessageBox box(parent);
    box.setWindowTitle(r.caption.isEmpty() ? QStringLiteral("Kvitanky") : r.caption);
    box.setText(r.text);
    switch (r.kind) {
    case MessageKind::Information: box.setIcon(QMessageBox::NoIcon); break;
    case MessageKind::Warning:
    case MessageKind::Question: box.setIcon(QMessageBox::Warning); break;
    case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    }
    box.setStandardButtons(r.withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(r.cancelIsDefault ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

} // namespace

void information(QWidget *parent, const QString &text)
{
    show(parent, {MessageKind::Information, QString(), text, false, false});
}

MessageAnswer warning(QWidget *parent, const QString &caption, const QString &text, bool withCancel)
{
    return show(parent, {withCancel ? MessageKind::Question : MessageKind::Warning, caption, text, withCancel, false});
}

MessageAnswer riskyQuestion(QWidget *parent, const QString &caption, const QString &text)
{
    return show(parent, {MessageKind::Question, caption, text, true, true});
}

void error(QWidget *parent, const QString &text)
{
    show(parent, {MessageKind::Error, QString(), text, false, false});
}

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

bool hasMessageHook()
{
    return bool(hook());
}

} // namespace kvitanky::ui
