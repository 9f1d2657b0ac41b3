#include "DbGridAccessible.h"

#include "DbGrid.h"
#include "DbGridCellAccessible.h"
#include "PoemQuery.h"

DbGridAccessible::DbGridAccessible(DbGrid *grid) : QAccessibleWidget(grid, QAccessible::Table)
{
}

DbGridAccessible::~DbGridAccessible()
{
    dropCells();
}

QAccessibleInterface *DbGridAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("DbGrid"))
        if (auto *grid = qobject_cast<DbGrid *>(object))
            return new DbGridAccessible(grid);
    return nullptr;
}

// A reopened query holds other rows: the cells handed out so far are dropped with the event.
void DbGridAccessible::announceReset(DbGrid *grid)
{
    QAccessibleTableModelChangeEvent reset(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
    announceCurrent(grid);
}

void DbGridAccessible::announceCurrent(DbGrid *grid)
{
    auto *table = dynamic_cast<DbGridAccessible *>(QAccessible::queryAccessibleInterface(grid));
    if (!table)
        return;
    const int row = table->currentRecordRow();
    if (row < 0)
        return;
    const int index = table->indexOfChild(table->cellAt(row, 0));
    QAccessibleEvent selection(grid, QAccessible::Selection);
    selection.setChild(index);
    QAccessible::updateAccessibility(&selection);
    // The focus follows the current record only while the grid has it.
    if (grid->hasFocus()) {
        QAccessibleEvent focus(grid, QAccessible::Focus);
        focus.setChild(index);
        QAccessible::updateAccessibility(&focus);
    }
}

DbGrid *DbGridAccessible::grid() const
{
    return static_cast<DbGrid *>(widget());
}

void *DbGridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::Role DbGridAccessible::role() const
{
    return QAccessible::Table;
}

QAccessible::State DbGridAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    return s;
}

// The grid has no caption: its name and description are the two parts of its hint.
QString DbGridAccessible::text(QAccessible::Text type) const
{
    const QString hint = grid()->property("hint").toString();
    switch (type) {
    case QAccessible::Name:
        return !grid()->accessibleName().isEmpty() ? grid()->accessibleName() : hint.section(QLatin1Char('|'), 0, 0);
    case QAccessible::Description:
        if (!grid()->accessibleDescription().isEmpty())
            return grid()->accessibleDescription();
        return hint.contains(QLatin1Char('|')) ? hint.section(QLatin1Char('|'), 1) : hint;
    default:
        return QAccessibleWidget::text(type);
    }
}

// Child 0 is the title cell, child n the cell of row n - 1.
int DbGridAccessible::childCount() const
{
    return 1 + rowCount();
}

QAccessibleInterface *DbGridAccessible::child(int index) const
{
    if (index == 0)
        return headerCell();
    return cellAt(index - 1, 0);
}

int DbGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *cell = dynamic_cast<const DbGridCellAccessible *>(child);
    if (!cell || cell->table() != this)
        return -1;
    return cell->rowIndex() + 1;   // the title cell's row is -1
}

QAccessibleInterface *DbGridAccessible::childAt(int x, int y) const
{
    const QPoint pos = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const int row = grid()->rowAt(pos);
    if (row == DbGrid::TitleRow)
        return headerCell();
    if (row >= 0 && grid()->topRow() > 0)
        return cellAt(grid()->topRow() - 1 + row, 0);
    return nullptr;
}

QAccessibleInterface *DbGridAccessible::focusChild() const
{
    if (!grid()->hasFocus() || currentRecordRow() < 0)
        return nullptr;
    return cellAt(currentRecordRow(), 0);
}

QAccessibleInterface *DbGridAccessible::caption() const
{
    return nullptr;
}

QAccessibleInterface *DbGridAccessible::summary() const
{
    return nullptr;
}

QAccessibleInterface *DbGridAccessible::cellAt(int row, int column) const
{
    if (column != 0 || row < 0 || row >= rowCount())
        return nullptr;
    return cachedCell(row);
}

QAccessibleInterface *DbGridAccessible::headerCell() const
{
    return cachedCell(DbGridCellAccessible::TitleRow);
}

QAccessibleInterface *DbGridAccessible::cachedCell(int row) const
{
    if (const QAccessible::Id id = m_cells.value(row))
        if (QAccessibleInterface *cell = QAccessible::accessibleInterface(id))
            return cell;
    QAccessibleInterface *cell = new DbGridCellAccessible(grid(), row);
    m_cells.insert(row, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

void DbGridAccessible::dropCells()
{
    for (QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

int DbGridAccessible::currentRecordRow() const
{
    const PoemQuery *query = grid()->query();
    if (!query || !query->isOpen() || query->recordCount() == 0)
        return -1;
    return query->recNo() - 1;
}

int DbGridAccessible::selectedCellCount() const
{
    return currentRecordRow() < 0 ? 0 : 1;
}

QList<QAccessibleInterface *> DbGridAccessible::selectedCells() const
{
    if (currentRecordRow() < 0)
        return {};
    return {cellAt(currentRecordRow(), 0)};
}

QString DbGridAccessible::columnDescription(int column) const
{
    return column == 0 ? grid()->titleText() : QString();
}

QString DbGridAccessible::rowDescription(int) const
{
    return {};
}

int DbGridAccessible::columnCount() const
{
    return 1;
}

int DbGridAccessible::rowCount() const
{
    const PoemQuery *query = grid()->query();
    return query && query->isOpen() ? query->recordCount() : 0;
}

int DbGridAccessible::selectedColumnCount() const
{
    return 0;
}

int DbGridAccessible::selectedRowCount() const
{
    return selectedCellCount();
}

QList<int> DbGridAccessible::selectedColumns() const
{
    return {};
}

QList<int> DbGridAccessible::selectedRows() const
{
    if (currentRecordRow() < 0)
        return {};
    return {currentRecordRow()};
}

bool DbGridAccessible::isColumnSelected(int) const
{
    return false;
}

bool DbGridAccessible::isRowSelected(int row) const
{
    return row >= 0 && row == currentRecordRow();
}

// The current record is moved by the grid's own keys and clicks only.
bool DbGridAccessible::selectRow(int)
{
    return false;
}

bool DbGridAccessible::selectColumn(int)
{
    return false;
}

bool DbGridAccessible::unselectRow(int)
{
    return false;
}

bool DbGridAccessible::unselectColumn(int)
{
    return false;
}

void DbGridAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // The title cell stays; the data cells belong to the rows of the result just closed.
    const QAccessible::Id header = m_cells.take(DbGridCellAccessible::TitleRow);
    dropCells();
    if (header)
        m_cells.insert(DbGridCellAccessible::TitleRow, header);
}
