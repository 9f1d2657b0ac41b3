#include "DbGrid.h"

#include "DbGridAccessible.h"
#include "ErrorReport.h"
#include "Tahoma.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QWheelEvent>

#include <algorithm>

namespace {
const QColor DataTextColor(0, 0, 255);
constexpr int TextInset = 2;        // text starts this far right of and below a cell's corner
constexpr int ResizeGrip = 3;       // pixels either side of the column's right edge
constexpr int MarkWidth = 6;
constexpr int MarkHeight = 11;
constexpr int MarkInset = 2;        // gap between the mark and the indicator cell's right edge
constexpr int WheelNotch = 120;
constexpr int HeaderHotWash = 36;       // alpha of the selection colour over a hot title cell
constexpr int HeaderPressedWash = 72;   // and over one held down

// Qt places text by the font's typographic ascent; the cells follow the Windows metrics instead,
// so the baseline sits the Windows ascent below the text's top edge.
int baselineBelowTop(const QFont &font)
{
    return TextInset + Tahoma::textHeight(font) - QFontMetrics(font).descent();
}
} // namespace

DbGrid::DbGrid(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    createFonts();
    createFrame();
    createScrollBars();
}

void DbGrid::createFonts()
{
    m_dataFont = Tahoma::font(11);
    m_titleFont = Tahoma::font(11, true);
    setFont(m_dataFont);
    // A data cell is the text height plus 3 plus the row line; the title cell the text height plus 4.
    m_cellHeight = Tahoma::textHeight(m_dataFont) + 3 + 1;
    m_titleHeight = Tahoma::textHeight(m_titleFont) + 4;
    m_dataBaseline = baselineBelowTop(m_dataFont);
    m_titleBaseline = baselineBelowTop(m_titleFont);
}

void DbGrid::createFrame()
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);   // the 2-pixel sunken 3-D edge
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
}

void DbGrid::createScrollBars()
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->installEventFilter(this);
    connect(bar, &QAbstractSlider::actionTriggered, this, &DbGrid::scrollBarAction);
    connect(bar, &QAbstractSlider::sliderReleased, this, &DbGrid::scrollBarReleased);
    connect(bar, &QAbstractSlider::valueChanged, this, &DbGrid::scrollBarValueChanged);
    updateScrollBars();
}

void DbGrid::setQuery(PoemQuery *query)
{
    if (m_query == query)
        return;
    if (m_query)
        disconnect(m_query, nullptr, this, nullptr);
    m_query = query;
    if (m_query) {
        connect(m_query, &PoemQuery::stateChanged, this, &DbGrid::queryStateChanged);
        connect(m_query, &PoemQuery::currentChanged, this, &DbGrid::queryCurrentChanged);
        connect(m_query, &QObject::destroyed, this, &DbGrid::queryDestroyed);
    }
    m_top = 1;
    refresh();
}

void DbGrid::setFieldName(const QString &name)
{
    if (name == m_fieldName)
        return;
    m_fieldName = name;
    refresh();
}

void DbGrid::setTitleText(const QString &text)
{
    if (text == m_titleText)
        return;
    m_titleText = text;
    viewport()->update(cellRect(TitleRow));
}

void DbGrid::setColumnWidth(int width)
{
    width = std::max(width, MinColumnWidth);
    if (width == m_columnWidth)
        return;
    m_columnWidth = width;
    updateScrollBars();
    viewport()->update();
}

// ---- the window of rows --------------------------------------------------------------------

bool DbGrid::hasRecords() const
{
    return m_query && m_query->isOpen() && m_query->recordCount() > 0;
}

int DbGrid::recordCount() const
{
    return m_query ? m_query->recordCount() : 0;
}

int DbGrid::visibleRowCount() const
{
    return std::max(1, (viewport()->height() - titleRowHeight()) / rowHeight());
}

int DbGrid::rowCount() const
{
    if (!hasRecords())
        return 1;
    return std::clamp(recordCount() - m_top + 1, 1, visibleRowCount());
}

int DbGrid::topRow() const
{
    return hasRecords() ? m_top : 0;
}

int DbGrid::currentRow() const
{
    if (!m_query || !m_query->isOpen())
        return -1;
    return hasRecords() ? m_query->recNo() - m_top : 0;   // an empty result marks its blank row
}

void DbGrid::keepCurrentVisible()
{
    if (!hasRecords()) {
        m_top = 1;
        return;
    }
    const int current = m_query->recNo();
    const int visible = visibleRowCount();
    if (current < m_top)
        m_top = current;
    else if (current > m_top + visible - 1)
        m_top = current - visible + 1;
    // A grid that grew taller shows earlier records rather than blank rows.
    m_top = std::clamp(m_top, 1, std::max(1, recordCount() - visible + 1));
}

// Reading rows may fetch another batch, which can fail; do it here, where the error can be
// reported, so that painting only reads rows that are already there.
void DbGrid::fetchWindow()
{
    if (!hasRecords())
        return;
    const int last = m_top + rowCount() - 1;
    ErrorReport::guard([this, last] { m_query->value(last, m_fieldName); });
}

void DbGrid::refresh()
{
    keepCurrentVisible();
    fetchWindow();
    updateScrollBars();
    m_shownCurrent = hasRecords() ? m_query->recNo() : 0;
    viewport()->update();
}

// The whole row, indicator cell included, down to its grid line.
void DbGrid::updateRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    viewport()->update(QRect(0, titleRowHeight() + row * rowHeight(), viewport()->width(), rowHeight()));
}

void DbGrid::queryStateChanged(bool)
{
    m_top = 1;
    m_wheelDelta = 0;
    refresh();
    if (QAccessible::isActive())
        DbGridAccessible::announceReset(this);
}

// A move inside the window of rows changes only the row left and the row reached; everything
// else is repainted only when the window scrolls.
void DbGrid::queryCurrentChanged()
{
    const int top = m_top;
    const int shown = m_shownCurrent;
    const int rows = rowCount();
    keepCurrentVisible();
    if (!hasRecords() || shown == 0 || m_top != top || rowCount() != rows) {
        refresh();
    } else {
        fetchWindow();
        updateScrollBars();
        m_shownCurrent = m_query->recNo();
        updateRow(shown - m_top);
        updateRow(m_shownCurrent - m_top);
    }
    if (QAccessible::isActive())
        DbGridAccessible::announceCurrent(this);
}

void DbGrid::queryDestroyed()
{
    m_top = 1;
    refresh();
}

QString DbGrid::titleAt(int position) const noexcept
{
    try {
        return m_query->value(position, m_fieldName).toString();
    } catch (...) {
        return {};   // fetchWindow() has reported it
    }
}

// ---- scroll bars ---------------------------------------------------------------------------

// The vertical bar shows the current record: range 1..count with a page of the visible rows
// (a track of count + visible - 1 positions), value the current position.
void DbGrid::updateScrollBars()
{
    const QScopedValueRollback<bool> setting(m_settingScrollBar, true);
    QScrollBar *vertical = verticalScrollBar();
    if (hasRecords() && recordCount() >= 2) {
        vertical->setRange(1, recordCount());
        vertical->setPageStep(visibleRowCount());
        vertical->setSingleStep(1);
        vertical->setValue(m_query->recNo());
    } else {
        vertical->setRange(0, 0);
    }
    QScrollBar *horizontal = horizontalScrollBar();
    const int room = std::max(1, viewport()->width() - IndicatorWidth - 1);
    horizontal->setRange(0, std::max(0, m_columnWidth + 1 - room));
    horizontal->setPageStep(room);
    horizontal->setSingleStep(rowHeight());
}

void DbGrid::scrollBarAction(int action)
{
    QScrollBar *bar = verticalScrollBar();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:   // the record just above the top row
        moveBy(-(currentRow() + 1));
        break;
    case QAbstractSlider::SliderSingleStepAdd:   // the record just below the bottom row
        moveBy(rowCount() - currentRow());
        break;
    case QAbstractSlider::SliderPageStepSub:
        moveBy(-visibleRowCount());
        break;
    case QAbstractSlider::SliderPageStepAdd:
        moveBy(visibleRowCount());
        break;
    case QAbstractSlider::SliderToMinimum:
        moveFirst();
        break;
    case QAbstractSlider::SliderToMaximum:
        moveLast();
        break;
    case QAbstractSlider::SliderMove:
        if (bar->isSliderDown())
            return;   // the thumb follows the pointer; the record moves on release
        moveToPosition(bar->sliderPosition());
        break;
    default:
        return;
    }
    // The slider applies this position once the action is over.
    if (hasRecords())
        bar->setSliderPosition(m_query->recNo());
}

void DbGrid::scrollBarReleased()
{
    moveToPosition(verticalScrollBar()->sliderPosition());
    updateScrollBars();
}

// Anything else that sets the bar's value (its "scroll here" command) positions the record too.
void DbGrid::scrollBarValueChanged(int value)
{
    if (m_settingScrollBar || verticalScrollBar()->isSliderDown() || !hasRecords())
        return;
    if (value != m_query->recNo())
        moveToPosition(value);
    updateScrollBars();
}

void DbGrid::scrollContentsBy(int dx, int)
{
    // Painting reads the horizontal offset; the vertical bar scrolls nothing, it follows the record.
    if (dx != 0)
        viewport()->update();
}

// ---- moving the current record -------------------------------------------------------------

void DbGrid::moveBy(int distance)
{
    if (!hasRecords() || distance == 0)
        return;
    ErrorReport::guard([this, distance] { m_query->moveBy(distance); });
}

void DbGrid::moveFirst()
{
    if (hasRecords())
        ErrorReport::guard([this] { m_query->first(); });
}

void DbGrid::moveLast()
{
    if (hasRecords())
        ErrorReport::guard([this] { m_query->last(); });
}

void DbGrid::moveToPosition(int position)
{
    if (!hasRecords())
        return;
    if (position <= 1)
        moveFirst();
    else if (position >= recordCount())
        moveLast();
    else
        ErrorReport::guard([this, position] { m_query->setRecNo(position); });
}

// ---- keyboard and mouse --------------------------------------------------------------------

bool DbGrid::event(QEvent *event)
{
    // Tab and Shift+Tab move the record; they never take the focus out of the grid.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void DbGrid::keyPressEvent(QKeyEvent *event)
{
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->modifiers() & Qt::AltModifier) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // Ctrl+Tab belongs to the page control around the grid.
        if (control) {
            event->ignore();
            return;
        }
        if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier)) {
            moveBy(1);
            break;
        }
        moveBy(-1);
        break;
    case Qt::Key_Down:
        moveBy(control ? rowCount() - 1 - currentRow() : 1);
        break;
    case Qt::Key_Up:
        moveBy(control ? -currentRow() : -1);
        break;
    case Qt::Key_PageDown:
        moveBy(control ? rowCount() - 1 - currentRow() : visibleRowCount());
        break;
    case Qt::Key_PageUp:
        moveBy(control ? -currentRow() : -visibleRowCount());
        break;
    case Qt::Key_Home:
        moveFirst();
        break;
    case Qt::Key_End:
        moveLast();
        break;
    // One column and nothing to edit: these keys are taken and do nothing.
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        break;
    default:
        if (control || event->text().isEmpty() || !event->text().at(0).isPrint()) {
            event->ignore();
            return;
        }
        break;
    }
    event->accept();
}

int DbGrid::columnLeft() const
{
    return IndicatorWidth + 1 - horizontalScrollBar()->value();
}

QRect DbGrid::cellRect(int row) const
{
    if (row == TitleRow)
        return QRect(columnLeft(), 0, m_columnWidth, m_titleHeight);
    return QRect(columnLeft(), titleRowHeight() + row * rowHeight(), m_columnWidth, m_cellHeight);
}

QRect DbGrid::indicatorRect(int row) const
{
    if (row == TitleRow)
        return QRect(0, 0, IndicatorWidth, m_titleHeight);
    return QRect(0, titleRowHeight() + row * rowHeight(), IndicatorWidth, m_cellHeight);
}

int DbGrid::rowAt(const QPoint &pos) const
{
    if (!viewport()->rect().contains(pos))
        return NoRow;
    if (pos.y() < titleRowHeight())
        return TitleRow;
    const int row = (pos.y() - titleRowHeight()) / rowHeight();
    const int right = columnLeft() + m_columnWidth;   // the column's own grid line included
    if (row >= rowCount() || pos.x() > right)
        return NoRow;
    return row;
}

bool DbGrid::inResizeZone(const QPoint &pos) const
{
    const int edge = columnLeft() + m_columnWidth;
    return pos.y() < titleRowHeight() && pos.x() > IndicatorWidth && std::abs(pos.x() - edge) <= ResizeGrip;
}

void DbGrid::setTitleHot(bool hot)
{
    if (hot == m_titleHot)
        return;
    m_titleHot = hot;
    viewport()->update(indicatorRect(TitleRow).united(cellRect(TitleRow)));
}

void DbGrid::mousePressEvent(QMouseEvent *event)
{
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    if (row == TitleRow) {
        if (event->button() != Qt::LeftButton)
            return;
        if (inResizeZone(pos)) {
            m_resizing = true;
            m_resizeAnchor = pos.x() - m_columnWidth;
            setTitleHot(false);
        } else if (pos.x() > IndicatorWidth && cellRect(TitleRow).contains(pos)) {
            // Dragging the title sideways would move the column; with one column it stays put.
            m_titlePressed = true;
            viewport()->update();
        }
        return;
    }
    if (row >= 0)
        moveBy(row - currentRow());
}

void DbGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_resizing) {
        setColumnWidth(pos.x() - m_resizeAnchor);
        return;
    }
    const bool edge = event->buttons() == Qt::NoButton && inResizeZone(pos);
    if (edge)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
    setTitleHot(!edge && pos.x() > IndicatorWidth && cellRect(TitleRow).contains(pos));
}

void DbGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_resizing = false;
    if (m_titlePressed) {
        m_titlePressed = false;
        viewport()->update();
    }
}

void DbGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    // The first click has already moved to the clicked row.
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    emit doubleClicked();
}

void DbGrid::wheelEvent(QWheelEvent *event)
{
    m_wheelDelta += event->angleDelta().y();
    while (m_wheelDelta >= WheelNotch) {
        m_wheelDelta -= WheelNotch;
        moveBy(-1);
    }
    while (m_wheelDelta <= -WheelNotch) {
        m_wheelDelta += WheelNotch;
        moveBy(1);
    }
    event->accept();
}

bool DbGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != verticalScrollBar())
        return QAbstractScrollArea::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel:
        // The wheel over the vertical bar moves the record like the wheel over the rows.
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        // Styles may let the middle button, or Shift with the left one, jump the thumb to the
        // pointer. The bar has no such command: the middle button does nothing, and a click in
        // the track pages whatever key is held.
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::MiddleButton)
            return true;
        mouse->setModifiers(Qt::NoModifier);
        break;
    }
    default:
        break;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

bool DbGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave) {
        setTitleHot(false);
        if (!m_resizing)
            viewport()->unsetCursor();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void DbGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    // A screen reader announces the record the focus lands on, not only the grid.
    if (QAccessible::isActive())
        DbGridAccessible::announceCurrent(this);
}

void DbGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void DbGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    refresh();
}

// ---- painting ------------------------------------------------------------------------------

void DbGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Base));
    const QRect dataArea(IndicatorWidth + 1, 0, area.width() - IndicatorWidth - 1, area.height());
    if (dirty.top() < titleRowHeight())
        paintTitleRow(painter, dataArea);
    // Only the rows the update touches; a move of the current record repaints two of them.
    const int firstRow = std::max(0, (dirty.top() - titleRowHeight()) / rowHeight());
    const int lastRow = std::min(rowCount() - 1, (dirty.bottom() - titleRowHeight()) / rowHeight());
    for (int row = firstRow; row <= lastRow; ++row)
        paintRow(painter, row, dataArea);
    paintGridLines(painter, dataArea);
}

void DbGrid::paintHeaderCell(QPainter &painter, const QRect &rect, bool hot, bool pressed)
{
    QStyleOptionHeader option;
    option.initFrom(this);
    // The section's own right and bottom edge falls on the grid line drawn over it afterwards.
    option.rect = rect.adjusted(0, 0, 1, 1);
    option.orientation = Qt::Horizontal;
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    option.state |= QStyle::State_Raised;
    if (pressed)
        option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_HeaderSection, &option, &painter, this);
    // Not every style draws a hot or pressed header section (Fusion draws neither), so the grid
    // washes the cell with the selection colour itself: faintly while hot, more while held down.
    if (hot || pressed) {
        QColor wash = palette().color(QPalette::Highlight);
        wash.setAlpha(pressed ? HeaderPressedWash : HeaderHotWash);
        painter.fillRect(rect, wash);
    }
}

void DbGrid::paintTitleRow(QPainter &painter, const QRect &dataArea)
{
    paintHeaderCell(painter, indicatorRect(TitleRow), false, false);
    const QRect cell = cellRect(TitleRow);
    painter.save();
    painter.setClipRect(cell & dataArea);
    paintHeaderCell(painter, cell, m_titleHot, m_titlePressed);
    const int shift = m_titlePressed ? 1 : 0;
    painter.setFont(m_titleFont);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(cell.left() + TextInset + shift, cell.top() + m_titleBaseline + shift, m_titleText);
    painter.restore();
}

void DbGrid::paintRow(QPainter &painter, int row, const QRect &dataArea)
{
    const QRect indicator = indicatorRect(row);
    paintHeaderCell(painter, indicator, false, false);
    const bool current = row == currentRow();
    if (current)
        paintIndicator(painter, indicator);

    const QRect cell = cellRect(row);
    const bool holdsRecord = hasRecords();
    const bool selected = holdsRecord && current && hasFocus();
    painter.save();
    painter.setClipRect(cell & dataArea);
    painter.fillRect(cell, palette().color(selected ? QPalette::Highlight : QPalette::Base));
    if (holdsRecord) {
        painter.setFont(m_dataFont);
        painter.setPen(selected ? palette().color(QPalette::HighlightedText) : DataTextColor);
        painter.drawText(cell.left() + TextInset, cell.top() + m_dataBaseline, titleAt(m_top + row));
    }
    if (selected) {
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
        const QColor highlight = palette().color(QPalette::Highlight);
        painter.setPen(QColor(255 - highlight.red(), 255 - highlight.green(), 255 - highlight.blue()));
        painter.drawPoints(dots);
    }
    painter.restore();
}

// A solid triangle pointing right, widest in its middle row.
void DbGrid::paintIndicator(QPainter &painter, const QRect &cell)
{
    const int left = cell.right() + 1 - MarkInset - MarkWidth;
    const int top = cell.top() + (cell.height() - MarkHeight) / 2;
    for (int line = 0; line < MarkHeight; ++line) {
        const int width = std::min(line, MarkHeight - 1 - line) + 1;
        painter.fillRect(left, top + line, width, 1, Qt::black);
    }
}

void DbGrid::paintGridLines(QPainter &painter, const QRect &dataArea)
{
    const QColor color = palette().color(QPalette::Mid);
    const int bottom = titleRowHeight() + rowCount() * rowHeight();
    const int lineX = columnLeft() + m_columnWidth;
    const int dataWidth = m_columnWidth + 1;

    painter.fillRect(QRect(IndicatorWidth, 0, 1, bottom), color);
    QList<int> lines{m_titleHeight};
    for (int row = 0; row < rowCount(); ++row)
        lines << cellRect(row).bottom() + 1;
    for (int y : lines)
        painter.fillRect(QRect(0, y, IndicatorWidth, 1), color);

    painter.save();
    painter.setClipRect(dataArea);
    painter.fillRect(QRect(lineX, 0, 1, bottom), color);
    for (int y : lines)
        painter.fillRect(QRect(columnLeft(), y, dataWidth, 1), color);
    painter.restore();
}
