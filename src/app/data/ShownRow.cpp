// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/ShownRow.h"

#include "data/DbfTable.h"

namespace kvitanky {

void ShownRow::remember()
{
    const bool open = m_table.active();
    m_pending = open && m_table.isEditing();
    m_count = open ? m_table.recordCount() : 0;
    m_row = open && m_count > 0 ? m_table.recNo() : -1;
}

bool ShownRow::followsCursor() const
{
    if (!m_table.active())
        return m_row < 0 && !m_pending;
    if (m_pending)
        return m_table.isEditing();
    if (m_table.isEditing())
        return false;
    const int count = m_table.recordCount();
    return count == m_count && (count == 0 ? m_row < 0 : m_table.recNo() == m_row);
}

bool ShownRow::restoreCursor()
{
    if (!m_table.active())
        return true;   // the engine reports the closed table
    if (m_pending)
        return m_table.isEditing();
    if (m_table.isEditing())
        return false;
    const int count = m_table.recordCount();
    if (m_row < 0)
        return count == 0;
    if (count < m_count || m_row >= count)
        return false;
    if (m_table.recNo() != m_row)
        m_table.moveTo(m_row);
    return true;
}

} // namespace kvitanky
