#include "DbGridCellAccessible.h"

#include "DbGrid.h"
#include "DbGridAccessible.h"
#include "PoemQuery.h"

#include <QWidget>
#include <QWindow>

DbGridCellAccessible::DbGridCellAccessible(DbGrid *grid, int row) : m_grid(grid), m_row(row)
{
}

void *DbGridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    return nullptr;
}

DbGridAccessible *DbGridCellAccessible::gridInterface() const
{
    if (!m_grid)
        return nullptr;
    return dynamic_cast<DbGridAccessible *>(QAccessible::queryAccessibleInterface(m_grid.data()));
}

// A cell handed out before a search may outlive its row; it then reports itself invalid.
bool DbGridCellAccessible::isValid() const
{
    if (!m_grid)
        return false;
    if (m_row == TitleRow)
        return true;
    const DbGridAccessible *table = gridInterface();
    return table && m_row >= 0 && m_row < table->rowCount();
}

QObject *DbGridCellAccessible::object() const
{
    return nullptr;
}

QWindow *DbGridCellAccessible::window() const
{
    return m_grid ? m_grid->window()->windowHandle() : nullptr;
}

QAccessibleInterface *DbGridCellAccessible::childAt(int, int) const
{
    return nullptr;
}

QAccessibleInterface *DbGridCellAccessible::parent() const
{
    return gridInterface();
}

QAccessibleInterface *DbGridCellAccessible::child(int) const
{
    return nullptr;
}

int DbGridCellAccessible::childCount() const
{
    return 0;
}

int DbGridCellAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString DbGridCellAccessible::text(QAccessible::Text type) const
{
    if (!isValid() || type != QAccessible::Name)
        return {};
    if (m_row == TitleRow)
        return m_grid->titleText();
    PoemQuery *query = m_grid->query();
    try {
        return query->value(m_row + 1, m_grid->fieldName()).toString();
    } catch (...) {
        return {};   // the grid reports a failed read where it reads the row itself
    }
}

void DbGridCellAccessible::setText(QAccessible::Text, const QString &)
{
    // Read-only.
}

bool DbGridCellAccessible::isShown() const
{
    if (m_row == TitleRow)
        return true;
    const int top = m_grid->topRow();
    return top > 0 && m_row + 1 >= top && m_row + 1 < top + m_grid->rowCount();
}

QRect DbGridCellAccessible::rect() const
{
    if (!isValid() || !isShown())
        return {};
    const QRect cell = m_row == TitleRow ? m_grid->cellRect(DbGrid::TitleRow)
                                         : m_grid->cellRect(m_row + 1 - m_grid->topRow());
    const QRect visible = cell & m_grid->viewport()->rect();
    return QRect(m_grid->viewport()->mapToGlobal(visible.topLeft()), visible.size());
}

QAccessible::Role DbGridCellAccessible::role() const
{
    return m_row == TitleRow ? QAccessible::ColumnHeader : QAccessible::Cell;
}

QAccessible::State DbGridCellAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.readOnly = true;
    if (!isShown()) {
        s.invisible = true;
        s.offscreen = true;
    }
    if (m_row != TitleRow) {
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = s.selected && m_grid->hasFocus();
        s.active = s.selected;
    }
    return s;
}

bool DbGridCellAccessible::isSelected() const
{
    const DbGridAccessible *table = gridInterface();
    return m_row != TitleRow && table && table->currentRecordRow() == m_row;
}

int DbGridCellAccessible::columnExtent() const
{
    return 1;
}

QList<QAccessibleInterface *> DbGridCellAccessible::columnHeaderCells() const
{
    const DbGridAccessible *table = gridInterface();
    if (!table || m_row == TitleRow)
        return {};
    return {table->headerCell()};
}

int DbGridCellAccessible::columnIndex() const
{
    return 0;
}

int DbGridCellAccessible::rowExtent() const
{
    return 1;
}

QList<QAccessibleInterface *> DbGridCellAccessible::rowHeaderCells() const
{
    return {};
}

int DbGridCellAccessible::rowIndex() const
{
    return m_row;
}

QAccessibleInterface *DbGridCellAccessible::table() const
{
    return gridInterface();
}
