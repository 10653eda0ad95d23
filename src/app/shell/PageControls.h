// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the pages use to place their controls at designed positions.
#pragma once

#include "text/Codepage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kvitanky::ui {

// Bounds what the user can type into an edit box to maxLength characters, while
// text put there by the program may be longer (QLineEdit's own limit would cut it).
// A box already over the limit can still be shortened. Every box made here takes
// one line of storable text (see LineBoxFilter), limited or not.
void setTypingLimit(QLineEdit *edit, int maxLength);
int typingLimit(const QLineEdit *edit);   // 0 when unlimited
// Every box on `page` takes only what a file in `codepage` can hold (the page's table).
void setBoxesCodepage(QWidget *page, Codepage codepage);

QLabel *label(QWidget *parent, const QString &text, int x, int y, const QString &objectName = {});
QLineEdit *lineEdit(QWidget *parent, const QString &objectName, int x, int y, int width, int maxLength = 0,
                    QLabel *buddy = nullptr);
QCheckBox *checkBox(QWidget *parent, const QString &objectName, const QString &text, int x, int y,
                    bool checked = false);
QPushButton *button(QWidget *parent, const QString &objectName, const QString &text, int x, int y, int w,
                    int h = 25);
QGroupBox *groupBox(QWidget *parent, const QString &objectName, const QString &title, int x, int y, int w,
                    int h);

} // namespace kvitanky::ui
