// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecipientSource.h"

#include <QLocale>

namespace kvitanky {

double MapRecipientSource::number(const QString &column) const
{
    return QLocale::c().toDouble(m_values.value(column));
}

int MapRecipientSource::integer(const QString &column) const
{
    return m_values.value(column).toInt();
}

void MapRecipientSource::setNumber(const QString &column, double value)
{
    m_values[column] = QLocale::c().toString(value, 'g', 17);
}

} // namespace kvitanky
