// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageBase.h"

#include <QValidator>

namespace kvitanky::ui {
namespace {

class TypingLimit : public QValidator
{
public:
    TypingLimit(QLineEdit *edit, int limit)
        : QValidator(edit), m_limit(limit), m_previousLength(edit->text().size())
    {
        // While validating, the edit already reports the new text; the length it had
        // before comes from its change signal, which also follows program-set text.
        connect(edit, &QLineEdit::textChanged, this, [this](const QString &t) { m_previousLength = t.size(); });
    }
    State validate(QString &input, int &) const override
    {
        if (input.size() <= m_limit || input.size() < m_previousLength)
            return Acceptable;
        return Invalid;
    }
    int limit() const { return m_limit; }

private:
    int m_limit;
    qsizetype m_previousLength;
};

} // namespace

void setTypingLimit(QLineEdit *edit, int maxLength)
{
    if (auto *old = dynamic_cast<const TypingLimit *>(edit->validator()))
        delete old;
    edit->setValidator(maxLength > 0 ? new TypingLimit(edit, maxLength) : nullptr);
}

int typingLimit(const QLineEdit *edit)
{
    auto *v = dynamic_cast<const TypingLimit *>(edit->validator());
    return v ? v->limit() : 0;
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
    if (maxLength > 0)
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
