// SPDX-License-Identifier: GPL-3.0-or-later
// Kept apart from the rest of RecipientSource.cpp so that code which never
// reads a table does not pull in the table engine.
#include "RecipientSource.h"

#include "data/DbfTable.h"

#include <limits>

namespace kvitanky {

bool DbfRecipientSource::isOpen() const
{
    return m_table && m_table->active();
}

bool DbfRecipientSource::hasRecord() const
{
    return isOpen() && (m_table->recordCount() > 0 || m_table->isEditing());
}

QString DbfRecipientSource::text(const QString &column) const
{
    return hasRecord() ? m_table->fieldByName(column).asString() : QString();
}

double slipAmount(const DbfField &amount)
{
    return amount.asFloatOr(std::numeric_limits<double>::quiet_NaN());
}

double DbfRecipientSource::number(const QString &column) const
{
    return hasRecord() ? slipAmount(m_table->fieldByName(column)) : 0.0;
}

int DbfRecipientSource::integer(const QString &column) const
{
    // Unreadable counts as 0, as the recipient page shows it.
    return hasRecord() ? m_table->fieldByName(column).asIntegerOr(0) : 0;
}

} // namespace kvitanky
