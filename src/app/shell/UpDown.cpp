// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kvitanky {

UpDown::UpDown(const QString &objectName, int min, int max, QWidget *parent)
    : QWidget(parent), m_min(min), m_max(max)
{
    setObjectName(objectName);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setObjectName(objectName + QStringLiteral("Up"));
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    m_down->setObjectName(objectName + QStringLiteral("Down"));
    for (QToolButton *b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    resize(17, 25);
    m_position = std::clamp(0, m_min, m_max);
}

void UpDown::setPosition(int position)
{
    m_position = std::clamp(position, m_min, m_max);
}

void UpDown::stepUp()
{
    setPosition(m_position + 1);
    Q_EMIT clicked();
}

void UpDown::stepDown()
{
    setPosition(m_position - 1);
    Q_EMIT clicked();
}

} // namespace kvitanky
