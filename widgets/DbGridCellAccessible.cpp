#include "DbGridCellAccessible.h"

#include "DbGrid.h"
#include "DbGridAccessible.h"
#include "DbGridHeaderCellAccessible.h"

#include <QItemSelectionModel>
#include <QWidget>
#include <QWindow>

DbGridCellAccessible::DbGridCellAccessible(DbGrid *grid, const QModelIndex &index) : m_grid(grid), m_index(index)
{
}

void *DbGridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool DbGridCellAccessible::isValid() const
{
    return m_grid && m_index.isValid();
}

QWindow *DbGridCellAccessible::window() const
{
    return m_grid ? m_grid->window()->windowHandle() : nullptr;
}

QAccessibleInterface *DbGridCellAccessible::parent() const
{
    return m_grid ? QAccessible::queryAccessibleInterface(m_grid.data()) : nullptr;
}

QString DbGridCellAccessible::text(QAccessible::Text type) const
{
    if (!isValid())
        return {};
    switch (type) {
    case QAccessible::Name: {
        const QVariant spoken = m_index.data(Qt::AccessibleTextRole);
        return spoken.isValid() ? spoken.toString() : m_index.data(Qt::DisplayRole).toString();
    }
    case QAccessible::Description:
        return m_index.data(Qt::AccessibleDescriptionRole).toString();
    default:
        return {};
    }
}

// Only the window's whole rows are on screen; a record outside it has no place.
QRect DbGridCellAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect inViewport = m_grid->visualRect(m_index);
    if (inViewport.isEmpty())
        return {};
    return QRect(m_grid->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size());
}

QAccessible::State DbGridCellAccessible::state() const
{
    QAccessible::State s;
    if (!isValid())
        return s;
    const QRect onScreen(m_grid->mapToGlobal(QPoint(0, 0)), m_grid->size());
    if (!m_grid->isVisible() || !onScreen.intersects(rect()))
        s.invisible = true;
    s.selectable = true;
    s.focusable = true;
    s.selected = isSelected();
    s.focused = m_grid->currentIndex() == m_index;
    return s;
}

bool DbGridCellAccessible::isSelected() const
{
    return isValid() && m_grid->selectionModel() && m_grid->selectionModel()->isSelected(m_index);
}

// Made for the call and left to the caller, as Qt's own tables do.
QList<QAccessibleInterface *> DbGridCellAccessible::columnHeaderCells() const
{
    if (!isValid())
        return {};
    QAccessibleInterface *title = new DbGridHeaderCellAccessible(m_grid, Qt::Horizontal, m_index.column());
    QAccessible::registerAccessibleInterface(title);
    return {title};
}

QList<QAccessibleInterface *> DbGridCellAccessible::rowHeaderCells() const
{
    if (!isValid())
        return {};
    QAccessibleInterface *indicator = new DbGridHeaderCellAccessible(m_grid, Qt::Vertical, m_index.row());
    QAccessible::registerAccessibleInterface(indicator);
    return {indicator};
}

// The grid shows one column of its model; the table has that one column.
int DbGridCellAccessible::columnIndex() const
{
    return 0;
}

int DbGridCellAccessible::rowIndex() const
{
    return m_index.row();
}

QStringList DbGridCellAccessible::actionNames() const
{
    return isValid() ? QStringList{pressAction()} : QStringList{};
}

// Later, as a click on a button does: the detail window is modal, and the tool that asked must
// have its answer before the window takes over.
void DbGridCellAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction() || !isValid())
        return;
    QMetaObject::invokeMethod(m_grid.data(), [grid = m_grid, row = m_index.row()] {
        if (grid)
            grid->activateRow(row);
    }, Qt::QueuedConnection);
}
