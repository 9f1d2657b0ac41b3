#include "DbGridDelegate.h"

#include <QPainter>
#include <QStyle>
#include <QWidget>
#include <QPolygon>

namespace {
const QColor DataTextColor(0, 0, 255);
constexpr int TextInset = 2;   // text starts this far right of a cell's left edge
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
    const QRect cell = section.adjusted(0, 0, -1, -1);
    const QWidget *view = option.widget;
    const QColor line = QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
    painter->fillRect(QRect(cell.right() + 1, section.top(), 1, section.height()), line);
    painter->fillRect(QRect(section.left(), cell.bottom() + 1, cell.width(), 1), line);
    painter->save();
    painter->setClipRect(cell, Qt::IntersectClip);
    painter->fillRect(cell, option.palette.color(highlighted ? QPalette::Highlight : QPalette::Base));
    painter->setFont(m_font);
    painter->setPen(highlighted ? option.palette.color(QPalette::HighlightedText) : DataTextColor);
    painter->drawText(cell.left() + TextInset, cell.top() + m_baseline, index.data().toString());
    if (highlighted) {
        // A dotted focus rectangle one pixel inside the cell: every other pixel inverted.
        const QRect focus = cell.adjusted(1, 1, -1, -1);
        QPolygon dots;
        for (int x = focus.left(); x <= focus.right(); ++x)
            for (int y : {focus.top(), focus.bottom()})
                if ((x + y) % 2 == 0)
                    dots << QPoint(x, y);
        for (int y = focus.top() + 1; y < focus.bottom(); ++y)
            for (int x : {focus.left(), focus.right()})
                if ((x + y) % 2 == 0)
                    dots << QPoint(x, y);
        const QColor highlight = option.palette.color(QPalette::Highlight);
        painter->setPen(QColor(255 - highlight.red(), 255 - highlight.green(), 255 - highlight.blue()));
        painter->drawPoints(dots);
    }
    painter->restore();
}

QSize DbGridDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return option.rect.size();
}
