#include "DbGridDelegate.h"

#include "DbGridLines.h"

#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace {
const QColor DataTextColor(0, 0, 255);
} // namespace

DbGridDelegate::DbGridDelegate(const QFont &font, int baseline, QObject *parent)
    : QAbstractItemDelegate(parent), m_font(font), m_baseline(baseline)
{
}

// option.rect is the whole section: the cell, and the grid lines right of it and below it.
void DbGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The view marks the current cell as focused only while it has the focus itself.
    const bool highlighted = option.state & QStyle::State_HasFocus;
    const QRect section = option.rect;
    constexpr int lines = DbGridLines::Width;
    const QRect cell = section.adjusted(0, 0, -lines, -lines);
    const QColor line = DbGridLines::color(option.widget);
    painter->fillRect(QRect(cell.right() + 1, section.top(), lines, section.height()), line);
    painter->fillRect(QRect(section.left(), cell.bottom() + 1, cell.width(), lines), line);
    painter->save();
    painter->setClipRect(cell, Qt::IntersectClip);
    painter->fillRect(cell, option.palette.color(highlighted ? QPalette::Highlight : QPalette::Base));
    painter->setFont(m_font);
    painter->setPen(highlighted ? option.palette.color(QPalette::HighlightedText) : DataTextColor);
    painter->drawText(cell.left() + DbGridLines::TextInset, cell.top() + m_baseline, index.data().toString());
    if (highlighted) {
        // A dotted focus rectangle one pixel inside the cell: every other pixel inverted, the
        // pixels whose x + y is even, as a checkerboard brush laid on the view's own pixel grid.
        const QRect focus = cell.adjusted(1, 1, -1, -1);
        const QColor highlight = option.palette.color(QPalette::Highlight);
        const QBrush dots(QColor(255 - highlight.red(), 255 - highlight.green(), 255 - highlight.blue()),
                          Qt::Dense4Pattern);
        painter->setBrushOrigin(1, 0);   // the pattern's own first pixel is an odd one
        painter->fillRect(QRect(focus.left(), focus.top(), focus.width(), 1), dots);
        painter->fillRect(QRect(focus.left(), focus.bottom(), focus.width(), 1), dots);
        painter->fillRect(QRect(focus.left(), focus.top() + 1, 1, focus.height() - 2), dots);
        painter->fillRect(QRect(focus.right(), focus.top() + 1, 1, focus.height() - 2), dots);
    }
    painter->restore();
}

QSize DbGridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return option.rect.size();
}
