// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TableNavigator.h"

#include "data/DbfTable.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace kvitanky {

TableNavigator::TableNavigator(QWidget *parent, const QString &objectName, DbfTable &table,
                               std::function<void(const std::function<void()> &move)> clicked)
    : QWidget(parent)
    , m_table(table)
{
    setObjectName(objectName);
    struct Def {
        const char *suffix;
        const char *glyph;
        const char *hint;
        void (DbfTable::*move)();
    };
    static const Def defs[4] = {
        {"First", "|\u25C0", "První záznam", &DbfTable::first},
        {"Prior", "\u25C0", "Predchozí záznam", &DbfTable::prior},
        {"Next", "\u25B6", "Další záznam", &DbfTable::next},
        {"Last", "\u25B6|", "Poslední záznam", &DbfTable::last},
    };
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 4; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(objectName + QLatin1String(defs[i].suffix));
        b->setText(QString::fromUtf8(defs[i].glyph));
        b->setToolTip(QString::fromUtf8(defs[i].hint));
        b->setAccessibleName(QString::fromUtf8(defs[i].hint));
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
        m_buttons[i] = b;
        const auto move = defs[i].move;
        connect(b, &QToolButton::clicked, this, [&table, move, clicked] {
            clicked([&table, move] { (table.*move)(); });
        });
    }
    syncToCursor();
}

CursorSteps cursorSteps(const DbfTable &table)
{
    const int rows = table.active() ? table.recordCount() : 0;
    const int row = rows > 0 ? table.recNo() : -1;
    // A new record pending (no row number yet) can be left either way.
    const bool pending = rows > 0 && row < 0 && table.isEditing();
    return {pending || row > 0, pending || (row >= 0 && row < rows - 1)};
}

void TableNavigator::syncToCursor()
{
    const CursorSteps steps = cursorSteps(m_table);
    m_buttons[int(Button::First)]->setEnabled(steps.back);
    m_buttons[int(Button::Prior)]->setEnabled(steps.back);
    m_buttons[int(Button::Next)]->setEnabled(steps.forward);
    m_buttons[int(Button::Last)]->setEnabled(steps.forward);
}

void TableNavigator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    syncToCursor();
}

QToolButton *TableNavigator::button(Button which) const
{
    return m_buttons[int(which)];
}

} // namespace kvitanky
