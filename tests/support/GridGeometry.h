#pragma once

#include "DbGrid.h"

#include <QHeaderView>
#include <QRect>

// The list grid's parts in its client area (inside the frame, beside the scroll bars, title row
// and indicator column included), measured from its headers as the user sees them. A cell ends one
// pixel short of the next line and of the next column: the grid line lies between them.
namespace GridGeometry {

inline constexpr int TitleRow = -1;

inline QRect clientRect(const DbGrid *grid)
{
    const QRect view = grid->viewport()->geometry();
    return view.adjusted(-grid->verticalHeader()->width(), -grid->horizontalHeader()->height(), 0, 0);
}

// The column's cell in a data line (0 at the top), or its title cell.
inline QRect cellRect(const DbGrid *grid, int line)
{
    const int left = grid->verticalHeader()->width() + grid->columnViewportPosition(grid->fieldColumn());
    const int width = grid->fieldColumnWidth();
    if (line == TitleRow)
        return QRect(left, 0, width, grid->horizontalHeader()->height() - 1);
    const int pitch = grid->verticalHeader()->defaultSectionSize();
    return QRect(left, grid->horizontalHeader()->height() + line * pitch, width, pitch - 1);
}

inline QRect indicatorRect(const DbGrid *grid, int line)
{
    const int width = grid->verticalHeader()->width() - 1;
    if (line == TitleRow)
        return QRect(0, 0, width, grid->horizontalHeader()->height() - 1);
    const int pitch = grid->verticalHeader()->defaultSectionSize();
    return QRect(0, grid->horizontalHeader()->height() + line * pitch, width, pitch - 1);
}

} // namespace GridGeometry
