// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/TablePage.h"

#include "data/DbfTable.h"
#include "data/RowSearch.h"
#include "data/TableNavigator.h"
#include "shell/MainWindow.h"
#include "shell/PageControls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace kvitanky {
namespace {

// Clears a flag for the lifetime of the scope, also when an error ends it.
class FlagDown
{
public:
    explicit FlagDown(bool &flag) : m_flag(flag) { m_flag = false; }
    ~FlagDown() { m_flag = true; }
    FlagDown(const FlagDown &) = delete;
    FlagDown &operator=(const FlagDown &) = delete;

private:
    bool &m_flag;
};

} // namespace

TablePage::TablePage(TForm1 &form, DbfTable &table, bool &editsReady)
    : m_form(form)
    , m_table(table)
    , m_shown(table)
    , m_editsReady(editsReady)
{
}

void TablePage::showRow()
{
    {
        FlagDown quiet(m_editsReady);
        if (m_table.active())
            fillBoxes();
        m_shown.remember();
    }
    reloadWhenRowCountChanged();
    selectGridRow();
    // Composed last, so that the slip takes what the boxes now show.
    m_form.ComposeSlip();
}

void TablePage::writeField(const QString &column, const QString &value)
{
    if (!m_form.FormReady || !m_editsReady)
        return;
    // Another page may have moved the cursor: the value belongs to the row on screen.
    if (!m_shown.restoreCursor()) {
        showRow();
        return;
    }
    if (m_table.isReadOnly()) {
        // Nothing is written to such a table: the box goes back to what the file
        // holds, and the engine's refusal says why.
        showRow();
        m_table.edit();
    }
    try {
        m_table.edit();
        storeValue(column, m_table.fieldByName(column), value);
        m_table.post();
    } catch (...) {
        // Nothing half-written stays pending for the next move to post.
        if (m_table.active() && m_table.isEditing())
            m_table.cancel();
        throw;
    }
    m_shown.remember();
    m_model->rowChanged(m_table.recNo());
    selectGridRow();
}

void TablePage::storeValue(const QString &, DbfField field, const QString &value)
{
    field.setAsString(value);
}

void TablePage::startNewRow()
{
    m_table.insert();
    m_shown.remember();
    selectGridRow();   // the new record has no row in the grid yet; the navigator follows
}

void TablePage::deleteShownRow()
{
    if (!m_shown.restoreCursor()) {
        showRow();
        return;
    }
    m_table.deleteRecord();
    m_model->reload();
    showRow();
}

bool TablePage::hasRow() const
{
    return m_table.active() && (m_table.recordCount() > 0 || m_table.isEditing());
}

QTableView *TablePage::makeGrid(QWidget *parent, const QString &objectName, QList<GridColumn> columns)
{
    m_model = new TableGridModel(m_table, std::move(columns), this);
    m_grid = makeTableGrid(parent, objectName, m_model);
    m_grid->installEventFilter(this);
    // However the grid's current row changes (press, drag, right-click, keys), the
    // cursor and the boxes go along; the highlight always stays on the cursor's row.
    // The selection changes before the current row is announced, so both lead here.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { followGrid(); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { followGrid(); });
    // A click on the row already current still drops a new record nobody filled in.
    connect(m_grid, &QTableView::clicked, this, [this] { followGrid(); });
    return m_grid;
}

TableNavigator *TablePage::makeNavigator(QWidget *parent, const QString &objectName)
{
    m_navigator = new TableNavigator(parent, objectName, m_table, [this](const std::function<void()> &move) {
        m_form.guard([&] {
            move();
            showRow();
        });
    });
    return m_navigator;
}

RowSearch *TablePage::makeSearch(const QString &editName)
{
    // A found row is shown as a click on it in the grid shows it.
    auto *search = new RowSearch(m_grid->parentWidget(), editName, m_table,
                                 [this](int row) { m_form.guard([&] { gridCellClick(row); }); });
    search->placeAbove(m_grid);
    return search;
}

void TablePage::writeThrough(QLineEdit *box, const QString &column)
{
    connect(box, &QLineEdit::textChanged, this,
            [this, box, column] { m_form.guard([&] { writeField(column, box->text()); }); });
}

void TablePage::fitBox(QWidget *box, const TableColumnDef &column)
{
    const QString note = missingColumnNote(m_table, column);
    const bool lacking = !note.isEmpty();
    if (lacking || box->property("lackingColumn").toBool())
        box->setToolTip(note);
    box->setProperty("lackingColumn", lacking);
    box->setEnabled(!lacking);
    auto *edit = qobject_cast<QLineEdit *>(box);
    if (edit && column.boxLimit == 0 && column.type == FieldType::String)
        ui::setTypingLimit(edit, boxLimitIn(m_table, column));
}

void TablePage::onClick(QPushButton *button, std::function<void()> handler)
{
    connect(button, &QPushButton::clicked, this,
            [this, handler = std::move(handler)] { m_form.guard(handler); });
}

void TablePage::putText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

void TablePage::refreshGrid()
{
    m_model->reload();
    if (isVisible())
        followCursor();
    selectGridRow();
}

void TablePage::followCursor()
{
    if (!m_shown.followsCursor())
        showRow();
}

void TablePage::reloadWhenRowCountChanged()
{
    if (m_model->rowCount() != (m_table.active() ? m_table.recordCount() : 0))
        m_model->reload();
}

void TablePage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_form.guard([&] {
        reloadWhenRowCountChanged();
        if (m_form.FormReady)
            followCursor();
    });
}

bool TablePage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::KeyRelease
        && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
        m_form.guard([&] { gridKeyUp(); });
    return QWidget::eventFilter(watched, event);
}

void TablePage::followGrid()
{
    if (m_selecting)
        return;
    const QModelIndex current = m_grid->selectionModel()->currentIndex();
    const bool shown = m_table.active() && !m_table.isEditing() && m_table.recNo() == current.row()
                       && m_shown.followsCursor();
    if (current.isValid() && !shown)
        m_form.guard([&] { gridCellClick(current.row()); });
    selectGridRow();
}

void TablePage::gridCellClick(int row)
{
    if (row >= 0 && m_table.active())
        m_table.moveTo(row);
    showRow();
}

void TablePage::gridKeyUp()
{
    const QModelIndex current = m_grid->currentIndex();
    if (current.isValid() && m_table.active())
        m_table.moveTo(current.row());
    showRow();
}

void TablePage::selectGridRow()
{
    const bool outer = !m_selecting;
    m_selecting = true;
    selectCursorRow(m_grid, m_model, m_table);
    if (outer)
        m_selecting = false;
    syncNavigator();
}

void TablePage::syncNavigator()
{
    if (m_navigator)
        m_navigator->syncToCursor();
}

} // namespace kvitanky
