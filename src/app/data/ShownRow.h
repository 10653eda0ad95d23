// SPDX-License-Identifier: GPL-3.0-or-later
// Which row of a table a page's edit boxes show. Other pages (layout stepping,
// printing, imports, exports) move the shared cursor without telling the page;
// this lets the page find out and keep its writes on the row the user sees.
#pragma once

namespace kvitanky {

class DbfTable;

class ShownRow
{
public:
    explicit ShownRow(DbfTable &table) : m_table(table) {}

    // The boxes now show the cursor's row (or a new record not yet posted).
    void remember();

    // The boxes show the cursor's row as it is now: nothing moved behind their back.
    bool followsCursor() const;

    // Before a write or delete: puts the cursor back on the shown row when another
    // page moved it. False when that row cannot be told apart any more (rows were
    // removed, the new record was posted or dropped elsewhere): the page must show
    // the cursor's row instead of writing.
    bool restoreCursor();

private:
    DbfTable &m_table;
    int m_row = -1;        // -1: no row (empty or closed table)
    int m_count = 0;       // rows when remembered
    bool m_pending = false;
};

} // namespace kvitanky
