// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TableGridModel.h"

#include "data/DbfTable.h"

#include <QFontMetrics>
#include <algorithm>
#include <QHeaderView>
#include <QTableView>

namespace kvitanky {

QList<GridColumn> gridColumns(const QList<TableColumnDef> &columns)
{
    QList<GridColumn> grid;
    for (const TableColumnDef &c : columns)
        grid.append({c.name, c.gridTitle, c.gridWidth, c.gridChars});
    return grid;
}

TableGridModel::TableGridModel(DbfTable &table, QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_columns(std::move(columns))
{
    m_fieldIndex.fill(-1, m_columns.size());
    m_numeric.fill(false, m_columns.size());
}

int TableGridModel::tableRows() const
{
    return m_table.active() ? m_table.recordCount() : 0;
}

int TableGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TableGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    if (role == Qt::TextAlignmentRole)   // numbers stand right-aligned, as in a ledger
        return m_numeric.value(index.column(), false) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const int field = m_fieldIndex.value(index.column(), -1);
    // The table may have shrunk behind the view's back until the next reload.
    if (field < 0 || !m_table.active() || index.row() >= m_table.recordCount())
        return {};
    try {
        return m_table.displayText(index.row(), field);
    } catch (const std::exception &) {
        // A painting view cannot report errors; the cell stays empty and the
        // page's own access reports the fault.
        return {};
    }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns[section].title) : QVariant();
    return section + 1;
}

void TableGridModel::setColumnTitle(int column, const QString &title)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column].title == title)
        return;
    m_columns[column].title = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void TableGridModel::reload()
{
    beginResetModel();
    m_rows = tableRows();
    const QList<FieldDef> defs = m_table.active() ? m_table.fields() : QList<FieldDef>();
    for (int c = 0; c < m_columns.size(); ++c) {
        const int field = m_table.active() ? m_table.fieldIndex(m_columns[c].field) : -1;
        m_fieldIndex[c] = field;
        m_numeric[c] = field >= 0 && field < defs.size() && defs[field].type != FieldType::String;
    }
    endResetModel();
}

void TableGridModel::rowChanged(int row)
{
    if (tableRows() != m_rows || (m_rows > 0 && m_fieldIndex.value(0, -1) < 0)) {
        reload();
        return;
    }
    if (row >= 0 && row < m_rows)
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1), {Qt::DisplayRole});
}

void TableGridModel::applyWidths(QTableView *view) const
{
    // The designed widths suit a small 8-point font: a column is widened where
    // the font in use would clip its title or the digits it must show whole.
    constexpr int DefaultWidth = 64;
    const QFontMetrics body(view->font());
    const QFontMetrics header(view->horizontalHeader()->font());
    for (int c = 0; c < m_columns.size(); ++c) {
        const int designed = m_columns[c].width > 0 ? m_columns[c].width : DefaultWidth;
        const int title = header.horizontalAdvance(m_columns[c].title) + 2 * header.averageCharWidth() + 4;
        const int content = body.horizontalAdvance(QString(m_columns[c].chars, QLatin1Char('0')))
                            + 2 * body.averageCharWidth();
        view->horizontalHeader()->resizeSection(c, std::max({designed, title, content}));
    }
}

QTableView *makeTableGrid(QWidget *parent, const QString &objectName, TableGridModel *model)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(objectName);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    // Fixed row heights keep a grid of any length cheap to lay out.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultSectionSize(80);
    grid->horizontalHeader()->setHighlightSections(false);
    model->applyWidths(grid);
    return grid;
}

void selectCursorRow(QTableView *grid, TableGridModel *model, const DbfTable &table)
{
    const int row = table.active() && !table.isEditing() ? table.recNo() : -1;
    if (row < 0 || row >= model->rowCount()) {
        // No current row either: a press on any row then moves the cursor there.
        grid->selectionModel()->clear();
        return;
    }
    const QModelIndex index = model->index(row, qMax(0, grid->currentIndex().column()));
    grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(index);
}

} // namespace kvitanky
