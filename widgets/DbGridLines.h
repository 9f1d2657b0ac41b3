#pragma once

#include <QColor>

class QWidget;

// What the grid's cells, its title row and its indicator column share: every cell has a line
// this wide right of it and below it, in one colour, and its text starts an inset from its
// top-left corner.
namespace DbGridLines {
inline constexpr int Width = 1;
inline constexpr int TextInset = 2;
// The style's grid-line colour for this view.
QColor color(const QWidget *view);
} // namespace DbGridLines
