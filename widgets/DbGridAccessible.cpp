#include "DbGridAccessible.h"

#include "DbGrid.h"
#include "DbGridCellAccessible.h"
#include "DbGridHeaderCellAccessible.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

DbGridAccessible::DbGridAccessible(DbGrid *grid) : QAccessibleWidget(grid, QAccessible::Table)
{
}

// Also called while the grid is being destroyed: nothing here may ask the grid.
DbGridAccessible::~DbGridAccessible()
{
    for (const QAccessible::Id id : std::as_const(m_children))
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *DbGridAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String("DbGrid"))
        if (auto *grid = qobject_cast<DbGrid *>(object))
            return new DbGridAccessible(grid);
    return nullptr;
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

// The title row and the indicator column count as a row and a column: the corner comes first, then
// the column's title, then each record's indicator cell and data cell.
int DbGridAccessible::childCount() const
{
    return (rowCount() + 1) * (columnCount() + 1);
}

int DbGridAccessible::indexOfCell(int row, int column) const
{
    return (row + 1) * (columnCount() + 1) + column + 1;
}

QAccessibleInterface *DbGridAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto known = m_children.constFind(index); known != m_children.constEnd())
        if (QAccessibleInterface *iface = QAccessible::accessibleInterface(known.value()))
            return iface;
    const int row = index / (columnCount() + 1) - 1;
    const int column = index % (columnCount() + 1) - 1;
    QAccessibleInterface *iface = nullptr;
    // The one column is the model's column that the grid shows.
    if (row < 0)
        iface = new DbGridHeaderCellAccessible(grid(), Qt::Horizontal, column < 0 ? column : grid()->fieldColumn());   // the corner at -1
    else if (column < 0)
        iface = new DbGridHeaderCellAccessible(grid(), Qt::Vertical, row);
    else
        iface = new DbGridCellAccessible(grid(), grid()->model()->index(row, grid()->fieldColumn()));
    m_children.insert(index, QAccessible::registerAccessibleInterface(iface));
    return iface;
}

int DbGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (const QAccessibleTableCellInterface *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface())
        return cell->table() == this ? indexOfCell(cell->rowIndex(), cell->columnIndex()) : -1;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
    for (auto it = m_children.constBegin(); it != m_children.constEnd(); ++it)
        if (it.value() == id)
            return it.key();
    return -1;
}

QAccessibleInterface *DbGridAccessible::childAt(int x, int y) const
{
    const QPoint inViewport = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = grid()->viewport()->rect().contains(inViewport) ? grid()->indexAt(inViewport) : QModelIndex();
    return index.isValid() ? cellAt(index.row(), columnOf(index)) : nullptr;
}

QAccessibleInterface *DbGridAccessible::focusChild() const
{
    const QModelIndex current = grid()->currentIndex();
    return current.isValid() ? cellAt(current.row(), columnOf(current)) : nullptr;
}

// The table's column of a model index: the grid shows one of the model's columns, hiding the rest.
int DbGridAccessible::columnOf(const QModelIndex &index) const
{
    return index.column() == grid()->fieldColumn() ? 0 : -1;
}

QAccessibleInterface *DbGridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    return child(indexOfCell(row, column));
}

int DbGridAccessible::columnCount() const
{
    return grid()->model() && grid()->fieldColumn() >= 0 ? 1 : 0;
}

int DbGridAccessible::rowCount() const
{
    return grid()->model() ? grid()->model()->rowCount() : 0;
}

QString DbGridAccessible::columnDescription(int column) const
{
    return grid()->model() && column == 0 ? grid()->model()->headerData(grid()->fieldColumn(), Qt::Horizontal).toString()
                                          : QString();
}

QString DbGridAccessible::rowDescription(int row) const
{
    return grid()->model() ? grid()->model()->headerData(row, Qt::Vertical).toString() : QString();
}

int DbGridAccessible::selectedCellCount() const
{
    return grid()->selectionModel() ? int(grid()->selectionModel()->selectedIndexes().size()) : 0;
}

int DbGridAccessible::selectedColumnCount() const
{
    return int(selectedColumns().size());
}

int DbGridAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

QList<QAccessibleInterface *> DbGridAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    if (grid()->selectionModel())
        for (const QModelIndex &index : grid()->selectionModel()->selectedIndexes())
            if (QAccessibleInterface *cell = cellAt(index.row(), columnOf(index)))
                cells << cell;
    return cells;
}

QList<int> DbGridAccessible::selectedColumns() const
{
    QList<int> columns;
    if (grid()->selectionModel())
        for (const QModelIndex &index : grid()->selectionModel()->selectedColumns())
            if (columnOf(index) >= 0)
                columns << columnOf(index);
    return columns;
}

QList<int> DbGridAccessible::selectedRows() const
{
    QList<int> rows;
    if (grid()->selectionModel())
        for (const QModelIndex &index : grid()->selectionModel()->selectedIndexes())
            if (columnOf(index) == 0)   // the row's one cell shown
                rows << index.row();
    return rows;
}

bool DbGridAccessible::isColumnSelected(int column) const
{
    return selectedColumns().contains(column);
}

bool DbGridAccessible::isRowSelected(int row) const
{
    return selectedRows().contains(row);
}

// The selection is the current record: selecting a row moves to its record, as a click does.
bool DbGridAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return false;
    grid()->setCurrentIndex(grid()->model()->index(row, grid()->fieldColumn()));
    return grid()->currentIndex().row() == row;
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

// Cells whose place changed are made anew; a tool that still holds one of the old finds it gone.
void DbGridAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    switch (event->modelChangeType()) {
    case QAccessibleTableModelChangeEvent::RowsInserted:
        forgetChildren(event->firstRow());
        break;
    case QAccessibleTableModelChangeEvent::DataChanged:
        break;
    default:
        forgetChildren();
        break;
    }
}

void DbGridAccessible::forgetChildren(int fromRow)
{
    const int columns = columnCount() + 1;
    for (auto it = m_children.begin(); it != m_children.end();) {
        if (fromRow == 0 || it.key() / columns - 1 >= fromRow) {
            if (QAccessible::accessibleInterface(it.value()))
                QAccessible::deleteAccessibleInterface(it.value());
            it = m_children.erase(it);
        } else {
            ++it;
        }
    }
}
