// SPDX-License-Identifier: GPL-3.0-or-later
// The four cursor buttons under a grid: first, prior, next, last.
#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

namespace kvitanky {

class DbfTable;

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

private:
    QToolButton *m_buttons[4] = {};
};

} // namespace kvitanky
