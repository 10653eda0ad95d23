// SPDX-License-Identifier: GPL-3.0-or-later
// A search box over a table's grid: Enter moves the cursor to the next row (after
// the cursor, wrapping round) that holds the typed text in any text column, letter
// case and diacritics ignored ("novak" finds "Novák"). One pass over the rows per
// Enter, so it stays quick however long the table is.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QTableView;

namespace kvitanky {

class DbfTable;

class RowSearch : public QWidget
{
    Q_OBJECT
public:
    // The box is named `editName`; `found` moves the cursor to a found row and shows it.
    RowSearch(QWidget *parent, const QString &editName, DbfTable &table, std::function<void(int row)> found);

    // Takes the top of `grid`'s place and moves the grid's top down below itself.
    void placeAbove(QTableView *grid);

    QLineEdit *box() const { return m_box; }
    QLabel *result() const { return m_result; }

    // The first row from `from` on, wrapping round, with `foldedText` (see fold) in
    // one of its text columns; -1 when no row has it.
    static int findRow(const DbfTable &table, const QString &foldedText, int from);
    // Lower case without diacritics, for comparing.
    static QString fold(const QString &text);

private:
    void searchNext();

    DbfTable &m_table;
    std::function<void(int)> m_found;
    QLineEdit *m_box = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace kvitanky
