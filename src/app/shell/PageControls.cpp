// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageControls.h"

#include "shell/LineBoxFilter.h"

namespace kvitanky::ui {

void setTypingLimit(QLineEdit *edit, int maxLength)
{
    if (LineBoxFilter *filter = lineBoxFilter(edit))
        filter->setLimit(qMax(0, maxLength));
    else
        edit->setValidator(new LineBoxFilter(edit, qMax(0, maxLength)));
}

int typingLimit(const QLineEdit *edit)
{
    const LineBoxFilter *filter = lineBoxFilter(edit);
    return filter ? filter->limit() : 0;
}

void setBoxesCodepage(QWidget *page, Codepage codepage)
{
    for (const QLineEdit *box : page->findChildren<QLineEdit *>()) {
        if (LineBoxFilter *filter = lineBoxFilter(box))
            filter->setCodepage(codepage);
    }
}

QLabel *label(QWidget *parent, const QString &text, int x, int y, const QString &objectName)
{
    auto *l = new QLabel(text, parent);
    if (!objectName.isEmpty())
        l->setObjectName(objectName);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *lineEdit(QWidget *parent, const QString &objectName, int x, int y, int width, int maxLength,
                    QLabel *buddy)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setGeometry(x, y, width, 21);
    setTypingLimit(e, maxLength);
    if (buddy) {
        buddy->setBuddy(e);
        e->setAccessibleName(buddy->text());
    }
    return e;
}

QCheckBox *checkBox(QWidget *parent, const QString &objectName, const QString &text, int x, int y,
                    bool checked)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(objectName);
    c->setChecked(checked);
    c->move(x, y);
    c->adjustSize();
    return c;
}

QPushButton *button(QWidget *parent, const QString &objectName, const QString &text, int x, int y, int w,
                    int h)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setGeometry(x, y, w, h);
    if (b->sizeHint().width() > w)
        b->resize(b->sizeHint().width(), h);
    return b;
}

QGroupBox *groupBox(QWidget *parent, const QString &objectName, const QString &title, int x, int y, int w,
                    int h)
{
    auto *g = new QGroupBox(title, parent);
    g->setObjectName(objectName);
    g->setGeometry(x, y, w, h);
    return g;
}

} // namespace kvitanky::ui
