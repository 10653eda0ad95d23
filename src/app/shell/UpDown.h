// SPDX-License-Identifier: GPL-3.0-or-later
// An up-down button pair beside an edit box: a position within a range, stepped
// by 1 by its arrows and stopping at the range's ends. The edit box is not linked
// to it; handlers keep the two in step.
#pragma once

#include <QWidget>

class QToolButton;

namespace kvitanky {

class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(const QString &objectName, int min, int max, QWidget *parent = nullptr);

    int position() const { return m_position; }
    void setPosition(int position);   // clamped to the range; emits nothing
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

    void stepUp();     // what a click on the up arrow does
    void stepDown();

Q_SIGNALS:
    void clicked();    // an arrow was pressed (also at the range's end)

private:
    int m_min, m_max, m_position = 0;
    QToolButton *m_up, *m_down;
};

} // namespace kvitanky
