// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBox.h"

#include "Desktop.h"

namespace kvitanky::ui {

void information(Desktop &desktop, QWidget *parent, const QString &text)
{
    desktop.message(parent, {MessageKind::Information, QString(), text, false, false});
}

MessageAnswer warning(Desktop &desktop, QWidget *parent, const QString &caption, const QString &text,
                      bool withCancel)
{
    return desktop.message(parent, {withCancel ? MessageKind::Question : MessageKind::Warning, caption, text,
                                     withCancel, false});
}

MessageAnswer riskyQuestion(Desktop &desktop, QWidget *parent, const QString &caption, const QString &text)
{
    return desktop.message(parent, {MessageKind::Question, caption, text, true, true});
}

void error(Desktop &desktop, QWidget *parent, const QString &text)
{
    desktop.message(parent, {MessageKind::Error, QString(), text, false, false});
}

} // namespace kvitanky::ui
