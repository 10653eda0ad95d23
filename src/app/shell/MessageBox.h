// SPDX-License-Identifier: GPL-3.0-or-later
// Every message box of the program goes through here, so tests answer them
// through one hook instead of timing.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace kvitanky::ui {

enum class MessageKind { Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel };

struct MessageRequest {
    MessageKind kind;
    QString caption;
    QString text;
    bool withCancel;
    bool cancelIsDefault;   // Enter answers Cancel ("Zrušit")
};

// A plain notice with OK ("Uloženo!", counts).
void information(QWidget *parent, const QString &text);
// A warning with a caption; OK only, or OK and Cancel. Returns the button pressed.
MessageAnswer warning(QWidget *parent, const QString &caption, const QString &text, bool withCancel);
// A question with OK and Cancel where Cancel is the default button: for actions
// that destroy much, so that a stray Enter does nothing.
MessageAnswer riskyQuestion(QWidget *parent, const QString &caption, const QString &text);
// The general error display: an error's text in a box with OK.
void error(QWidget *parent, const QString &text);

using MessageHook = std::function<MessageAnswer(const MessageRequest &)>;
// While a hook is set no box is shown; the hook answers instead.
void setMessageHook(MessageHook hook);
// Whether a hook answers the boxes (dialogs of their own then ask through it).
bool hasMessageHook();

} // namespace kvitanky::ui
