// SPDX-License-Identifier: GPL-3.0-or-later
// A page that shows a table in a grid with a navigator and its current row in
// edit boxes writing every change straight into the table. The recipient and
// owner pages are both one: the grid, the cursor keeping and the write-through
// live here once.
#pragma once

#include "data/ShownRow.h"
#include "data/TableGridModel.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;
class QTableView;

namespace kvitanky {

class DbfField;
class DbfTable;
class RowSearch;
class TForm1;
class TableNavigator;

class TablePage : public QWidget
{
    Q_OBJECT
public:
    // The table changed behind the grid's back (rows added, removed, file reopened).
    void refreshGrid();

protected:
    // `editsReady` is the main window's flag that lets this page's boxes write.
    TablePage(TForm1 &form, DbfTable &table, bool &editsReady);

    // Copies the current row into the boxes, the write handlers kept quiet (only
    // called while the table is open); then remembers the row shown, brings the
    // grid along and recomposes the slip.
    void showRow();
    virtual void fillBoxes() = 0;

    // Stores one box's value in the row on screen and posts it. When another page
    // moved the cursor it goes back to that row first, or shows the cursor's row
    // instead of writing when that row is gone.
    void writeField(const QString &column, const QString &value);
    // How a value goes into its column; text by default.
    virtual void storeValue(const QString &column, DbfField field, const QString &value);

    // A new record, pending until a box's change posts it.
    void startNewRow();
    // Removes the row on screen, never another one.
    void deleteShownRow();
    // The table is open and has a current row (or a new record pending).
    bool hasRow() const;

    // The grid over `columns`, following the table's cursor on clicks and keys.
    QTableView *makeGrid(QWidget *parent, const QString &objectName, QList<GridColumn> columns);
    TableNavigator *makeNavigator(QWidget *parent, const QString &objectName);
    // A search box over the top of the grid (made and placed before), its box named `editName`.
    RowSearch *makeSearch(const QString &editName);
    // A box whose every change is written into `column`.
    void writeThrough(QLineEdit *box, const QString &column);
    // A box of `column` as the open table allows: a column the file lacks leaves it
    // disabled, saying why; a text column takes as many characters as the file's.
    void fitBox(QWidget *box, const TableColumnDef &column);
    // Runs `handler` on a click, inside the main window's error guard.
    void onClick(QPushButton *button, std::function<void()> handler);
    void selectGridRow();

    // Sets a box's text only when it differs: an equal text would move the caret
    // to the end while the user types, and raises no change anyway.
    static void putText(QLineEdit *box, const QString &text);

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    TForm1 &m_form;
    DbfTable &m_table;
    TableGridModel *m_model = nullptr;
    ShownRow m_shown;

private:
    // The grid's current row became another than the cursor's: the cursor goes there.
    void followGrid();
    void gridCellClick(int row);
    void gridKeyUp();
    // Re-shows the cursor's row when something else moved the cursor.
    void followCursor();
    void reloadWhenRowCountChanged();
    // The navigator's buttons follow the cursor to the table's ends.
    void syncNavigator();

    bool &m_editsReady;
    QTableView *m_grid = nullptr;
    TableNavigator *m_navigator = nullptr;
    bool m_selecting = false;   // the page itself moves the grid's highlight
};

} // namespace kvitanky
