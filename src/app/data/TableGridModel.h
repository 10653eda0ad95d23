// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only grid model over a table: rows are read from the table file only when
// the view paints them, so a table of any size opens at once.
#pragma once

#include "data/TableColumn.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

class QTableView;
class QWidget;

namespace kvitanky {

class DbfTable;

struct GridColumn {
    QString field;   // column of the table, letter case ignored
    QString title;
    int width = 0;   // 0: the view's default
    int chars = 0;   // characters (digits) the column must show whole, when more than the width allows
};

// The grid columns of a table's column list, in its order.
QList<GridColumn> gridColumns(const QList<TableColumnDef> &columns);

class TableGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    TableGridModel(DbfTable &table, QList<GridColumn> columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setColumnTitle(int column, const QString &title);
    const QList<GridColumn> &columns() const { return m_columns; }

    // Re-reads the row count (rows added or removed, table opened or closed).
    void reload();
    // One row's values changed; reloads instead when the row count changed too.
    void rowChanged(int row);
    // Sets the columns' widths on a view showing this model.
    void applyWidths(QTableView *view) const;

private:
    int tableRows() const;

    DbfTable &m_table;
    QList<GridColumn> m_columns;
    QList<int> m_fieldIndex;   // per column; resolved on reload
    QList<bool> m_numeric;     // per column: right-aligned
    int m_rows = 0;
};

// A read-only grid showing the model, one row selected at a time.
QTableView *makeTableGrid(QWidget *parent, const QString &objectName, TableGridModel *model);

// Selects the table's current row in the grid (none while a new record is pending).
void selectCursorRow(QTableView *grid, TableGridModel *model, const DbfTable &table);

} // namespace kvitanky
