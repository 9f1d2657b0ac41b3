#include "DbGridHeaderCellAccessible.h"

#include "DbGrid.h"

#include <QHeaderView>
#include <QWidget>
#include <QWindow>

DbGridHeaderCellAccessible::DbGridHeaderCellAccessible(DbGrid *grid, Qt::Orientation orientation, int section)
    : m_grid(grid), m_orientation(orientation), m_section(section)
{
}

bool DbGridHeaderCellAccessible::isValid() const
{
    return m_grid && m_grid->model();
}

QWindow *DbGridHeaderCellAccessible::window() const
{
    return m_grid ? m_grid->window()->windowHandle() : nullptr;
}

QAccessibleInterface *DbGridHeaderCellAccessible::parent() const
{
    return m_grid ? QAccessible::queryAccessibleInterface(m_grid.data()) : nullptr;
}

QAccessible::Role DbGridHeaderCellAccessible::role() const
{
    if (m_section == Corner)
        return QAccessible::Button;
    return m_orientation == Qt::Horizontal ? QAccessible::ColumnHeader : QAccessible::RowHeader;
}

QString DbGridHeaderCellAccessible::text(QAccessible::Text type) const
{
    if (type != QAccessible::Name || !isValid() || m_section == Corner)
        return {};
    return m_grid->model()->headerData(m_section, m_orientation).toString();
}

QRect DbGridHeaderCellAccessible::rect() const
{
    if (!isValid())
        return {};
    // The client area: inside the frame, the title row and the indicator column included.
    const QRect view = m_grid->viewport()->geometry();
    const QRect client = view.adjusted(-m_grid->verticalHeader()->width(), -m_grid->horizontalHeader()->height(), 0, 0);
    QRect inGrid;
    if (m_section == Corner) {
        inGrid = QRect(client.topLeft(), QPoint(view.left() - 1, view.top() - 1));
    } else {
        const QHeaderView *header = m_orientation == Qt::Horizontal ? m_grid->horizontalHeader() : m_grid->verticalHeader();
        const QRect section = m_orientation == Qt::Horizontal
                                  ? QRect(header->sectionViewportPosition(m_section), 0, header->sectionSize(m_section), header->height())
                                  : QRect(0, header->sectionViewportPosition(m_section), header->width(), header->sectionSize(m_section));
        inGrid = section.translated(header->viewport()->mapTo(m_grid, QPoint(0, 0)))
                     .intersected(header->viewport()->geometry().translated(header->pos()));
    }
    return inGrid.isEmpty() ? QRect() : QRect(m_grid->mapToGlobal(inGrid.topLeft()), inGrid.size());
}

QAccessible::State DbGridHeaderCellAccessible::state() const
{
    QAccessible::State s;
    if (rect().isEmpty())
        s.invisible = true;
    return s;
}
