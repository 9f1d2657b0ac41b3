#include "DbGridHeader.h"

#include "DbGridLines.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace {
constexpr int MarkWidth = 6;
constexpr int MarkHeight = 11;
constexpr int MarkInset = 2;            // gap between the mark and the indicator cell's right edge
constexpr int HeaderHotWash = 36;       // alpha of the selection colour over a hot title cell
constexpr int HeaderPressedWash = 72;   // and over one held down
} // namespace

DbGridHeader::DbGridHeader(Qt::Orientation orientation, QWidget *parent) : QHeaderView(orientation, parent)
{
    setHighlightSections(false);
    // Every pixel of a repaint is painted here: cells, or the plain ground beyond them.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    if (orientation == Qt::Horizontal) {
        // The title is pressed and hot-tracked; the pointer over it is followed through hover events.
        setSectionsClickable(true);
        setSectionsMovable(true);
        setAttribute(Qt::WA_Hover);
    }
}

void DbGridHeader::setTextStyle(const QFont &font, int baseline)
{
    m_font = font;
    m_baseline = baseline;
    viewport()->update();
}

void DbGridHeader::setMarkedSection(int section)
{
    if (section == m_markedSection)
        return;
    // Only the row left and the row reached are drawn again.
    const int old = m_markedSection;
    m_markedSection = section;
    if (old >= 0)
        updateSection(old);
    if (section >= 0)
        updateSection(section);
}

void DbGridHeader::setBlankRowMarked(bool marked)
{
    if (marked == m_blankRowMarked)
        return;
    m_blankRowMarked = marked;
    if (count() == 0)
        viewport()->update();
}

bool DbGridHeader::isSectionHot(int section) const
{
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, section);
    return option.state & QStyle::State_MouseOver;
}

bool DbGridHeader::isSectionPressed(int section) const
{
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, section);
    return option.state & QStyle::State_Sunken;
}

// Moving the title by the mouse starts without a repaint; the pressed look shows at once.
void DbGridHeader::mousePressEvent(QMouseEvent *event)
{
    QHeaderView::mousePressEvent(event);
    const int section = logicalIndexAt(event->position().toPoint());
    if (section >= 0)
        updateSection(section);
}

void DbGridHeader::currentChanged(const QModelIndex &, const QModelIndex &)
{
}

void DbGridHeader::selectionChanged(const QItemSelection &, const QItemSelection &)
{
}

// Whole cells only: beyond them, as beside and below the rows, lies the grid's plain ground. A
// model without rows still has one blank indicator cell.
void DbGridHeader::paintEvent(QPaintEvent *event)
{
    m_lineColor = DbGridLines::color(this);
    const int size = defaultSectionSize();
    QRect cells = viewport()->rect();
    if (orientation() == Qt::Horizontal)
        cells.setWidth(std::max(0, length() - offset()));
    else if (count() == 0)
        cells.setHeight(size);
    else
        cells.setHeight(std::min(length() - offset(), viewport()->height() / size * size));
    {
        QPainter painter(viewport());
        for (const QRect &ground : event->region().subtracted(cells))
            painter.fillRect(ground, palette().color(QPalette::Base));
        if (orientation() == Qt::Vertical && count() == 0) {
            paintCell(painter, cells, false, false);
            if (m_blankRowMarked)
                paintMark(painter, cells.adjusted(0, 0, -DbGridLines::Width, -DbGridLines::Width));
        }
    }
    const QRegion inside = event->region().intersected(cells);
    if (count() > 0 && !inside.isEmpty()) {
        QPaintEvent clipped(inside);
        QHeaderView::paintEvent(&clipped);
    }
}

void DbGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (orientation() == Qt::Vertical) {
        paintCell(*painter, rect, false, false);
        if (logicalIndex == m_markedSection)
            paintMark(*painter, rect.adjusted(0, 0, -DbGridLines::Width, -DbGridLines::Width));
        return;
    }
    const bool hot = isSectionHot(logicalIndex);
    const bool pressed = isSectionPressed(logicalIndex);
    paintCell(*painter, rect, hot, pressed);
    const QRect cell = rect.adjusted(0, 0, -DbGridLines::Width, -DbGridLines::Width);
    const int shift = pressed ? 1 : 0;
    painter->save();
    painter->setClipRect(cell, Qt::IntersectClip);
    painter->setFont(m_font);
    painter->setPen(palette().color(QPalette::WindowText));
    painter->drawText(cell.left() + DbGridLines::TextInset + shift, cell.top() + m_baseline + shift,
                      model()->headerData(logicalIndex, orientation()).toString());
    painter->restore();
}

// A section is its cell plus the grid line right of and below it.
void DbGridHeader::paintCell(QPainter &painter, const QRect &section, bool hot, bool pressed) const
{
    constexpr int lines = DbGridLines::Width;
    const QRect cell = section.adjusted(0, 0, -lines, -lines);
    QStyleOptionHeader option;
    option.initFrom(this);
    // The style's own right and bottom edge falls on the grid line drawn over it afterwards.
    option.rect = section;
    option.orientation = Qt::Horizontal;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    option.state |= QStyle::State_Raised;
    if (pressed)
        option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_HeaderSection, &option, &painter, this);
    // Not every style draws a hot or pressed header section (Fusion draws neither), so the cell
    // is washed with the selection colour: faintly while hot, more while held down.
    if (hot || pressed) {
        QColor wash = palette().color(QPalette::Highlight);
        wash.setAlpha(pressed ? HeaderPressedWash : HeaderHotWash);
        painter.fillRect(cell, wash);
    }
    const QColor &line = m_lineColor;
    painter.fillRect(QRect(cell.right() + 1, section.top(), lines, section.height()), line);
    painter.fillRect(QRect(section.left(), cell.bottom() + 1, section.width(), lines), line);
}

void DbGridHeader::paintCornerCell(QPainter &painter, const QRect &section)
{
    m_lineColor = DbGridLines::color(this);
    paintCell(painter, section, false, false);
}

// A solid triangle pointing right, widest in its middle row.
void DbGridHeader::paintMark(QPainter &painter, const QRect &cell) const
{
    const int left = cell.right() + 1 - MarkInset - MarkWidth;
    const int top = cell.top() + (cell.height() - MarkHeight) / 2;
    for (int line = 0; line < MarkHeight; ++line) {
        const int width = std::min(line, MarkHeight - 1 - line) + 1;
        painter.fillRect(left, top + line, width, 1, Qt::black);
    }
}

// The lines between the cells are the table's own grid lines.
