// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes of the program: what a box asks, and the helpers the pages
// call. Every box is shown by the window's desktop (shell/Desktop.h).
#pragma once

#include <QString>

class QWidget;

namespace kvitanky {

class Desktop;

namespace ui {

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
void information(Desktop &desktop, QWidget *parent, const QString &text);
// A warning with a caption; OK only, or OK and Cancel. Returns the button pressed.
MessageAnswer warning(Desktop &desktop, QWidget *parent, const QString &caption, const QString &text,
                      bool withCancel);
// A question with OK and Cancel where Cancel is the default button: for actions
// that destroy much, so that a stray Enter does nothing.
MessageAnswer riskyQuestion(Desktop &desktop, QWidget *parent, const QString &caption, const QString &text);
// The general error display: an error's text in a box with OK.
void error(Desktop &desktop, QWidget *parent, const QString &text);

} // namespace ui
} // namespace kvitanky
