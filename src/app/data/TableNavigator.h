// SPDX-License-Identifier: GPL-3.0-or-later
// The four cursor buttons under a grid: first, prior, next, last.
#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

namespace kvitanky {

class DbfTable;

// Which ways the cursor can move from where it is: back from any row but the
// first, forward from any row but the last, nowhere on an empty or closed table,
// either way from a new record pending among other rows.
struct CursorSteps {
    bool back = false;
    bool forward = false;
};
CursorSteps cursorSteps(const DbfTable &table);

class TableNavigator : public QWidget
{
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last };

    // Buttons are named objectName + "First", "Prior", "Next", "Last".
    // `clicked` runs after the cursor moved; the page wraps it in its error guard.
    TableNavigator(QWidget *parent, const QString &objectName, DbfTable &table,
                   std::function<void(const std::function<void()> &move)> clicked);

    QToolButton *button(Button which) const;

    // Enables the buttons that would move the cursor: first and prior not on the
    // first row, next and last not on the last, none on an empty or closed table.
    void syncToCursor();

protected:
    // Other pages move the cursor meanwhile.
    void showEvent(QShowEvent *event) override;

private:
    DbfTable &m_table;
    QToolButton *m_buttons[4] = {};
};

} // namespace kvitanky
