#include "DbGrid.h"

#include "DbGridDelegate.h"
#include "DbGridHeader.h"
#include "FieldNameRole.h"
#include "Tahoma.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr int WheelNotch = 120;

// Qt places text by the font's typographic ascent; the cells follow the Windows metrics instead,
// so the baseline sits the Windows ascent below the text's top edge.
int baselineBelowTop(const QFont &font)
{
    return DbGridLines::TextInset + Tahoma::textHeight(font) - QFontMetrics(font).descent();
}
} // namespace

DbGrid::DbGrid(QWidget *parent) : QTableView(parent)
{
    const QFont dataFont = Tahoma::font(11);
    const QFont titleFont = Tahoma::font(11, true);
    setFont(dataFont);
    // A data cell is the text height plus 3, and a line's width more because row lines are shown;
    // the line itself lies below the cell. The title cell is the text height plus 4.
    m_cellHeight = Tahoma::textHeight(dataFont) + 3 + DbGridLines::Width;
    m_titleCellHeight = Tahoma::textHeight(titleFont) + 4;

    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);   // the 2-pixel sunken 3-D edge
    setFocusPolicy(Qt::StrongFocus);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setWordWrap(false);
    setShowGrid(false);   // the delegate draws the lines
    setHorizontalScrollMode(ScrollPerPixel);
    // Every pixel of a repaint is painted: cells by the delegate, the ground around them here.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setItemDelegate(new DbGridDelegate(dataFont, baselineBelowTop(dataFont), this));
    createHeaders(titleFont);
    createScrollBars();
}

void DbGrid::createHeaders(const QFont &titleFont)
{
    auto *title = new DbGridHeader(Qt::Horizontal, this);
    title->setTextStyle(titleFont, baselineBelowTop(titleFont));
    // A section is its cell and the line right of it (the title row's) or below it (a row's).
    title->setMinimumSectionSize(MinColumnWidth + DbGridLines::Width);
    title->setDefaultSectionSize(DefaultColumnWidth + DbGridLines::Width);
    title->setSectionResizeMode(QHeaderView::Interactive);
    title->setFixedHeight(titleRowHeight());
    setHorizontalHeader(title);

    auto *indicator = new DbGridHeader(Qt::Vertical, this);
    indicator->setMinimumSectionSize(1);
    indicator->setDefaultSectionSize(linePitch());
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setFixedWidth(IndicatorWidth + DbGridLines::Width);
    setVerticalHeader(indicator);
    m_titleHeader = title;
    m_indicatorHeader = indicator;

    // Presses, double clicks and the wheel anywhere in the grid act as the grid's own.
    m_titleHeader->viewport()->installEventFilter(this);
    m_indicatorHeader->viewport()->installEventFilter(this);
    m_corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);
}

void DbGrid::createScrollBars()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->installEventFilter(this);
    connect(bar, &QAbstractSlider::actionTriggered, this, &DbGrid::scrollBarAction);
    connect(bar, &QAbstractSlider::sliderReleased, this, &DbGrid::scrollBarReleased);
    connect(bar, &QAbstractSlider::valueChanged, this, &DbGrid::scrollBarValueChanged);
}

void DbGrid::setModel(QAbstractItemModel *records)
{
    if (records == model())
        return;
    if (model())
        disconnect(model(), &QAbstractItemModel::modelReset, this, &DbGrid::modelWasReset);
    QTableView::setModel(records);
    if (records)   // after the view and its headers: they have taken a reset in by then
        connect(records, &QAbstractItemModel::modelReset, this, &DbGrid::modelWasReset);
    applyColumns();
    modelWasReset();
}

void DbGrid::setRecordCursor(RecordCursor *cursor)
{
    Q_ASSERT(!cursor || cursor->selectionModel() == selectionModel());
    if (m_cursor)
        disconnect(m_cursor, nullptr, this, nullptr);
    m_cursor = cursor;
    if (m_cursor)
        connect(m_cursor, &RecordCursor::changed, this, &DbGrid::currentRecordChanged);
    refresh();
}

void DbGrid::setFieldName(const QString &name)
{
    if (name == m_fieldName)
        return;
    m_fieldName = name;
    applyColumns();
}

// The model's other columns stay hidden rather than being cut away by a proxy model: the mapper
// and the navigator then share this view's model and selection, and the current index is the
// record for all of them. Hidden sections keep their place and size across the model's resets.
void DbGrid::applyColumns()
{
    m_column = -1;
    QAbstractItemModel *records = model();
    const int columns = records ? records->columnCount() : 0;
    for (int column = 0; column < columns && !m_fieldName.isEmpty(); ++column) {
        const QVariant name = records->headerData(column, Qt::Horizontal, FieldNameRole);
        if (name.toString().compare(m_fieldName, Qt::CaseInsensitive) == 0) {
            m_column = column;
            break;
        }
    }
    for (int column = 0; column < columns; ++column)
        setColumnHidden(column, column != m_column);
    // The current cell is in the column shown, where the view can highlight it.
    const QModelIndex current = currentIndex();
    if (current.isValid() && m_column >= 0 && current.column() != m_column)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(m_column), QItemSelectionModel::ClearAndSelect);
    applyTitle();
}

void DbGrid::setTitleText(const QString &text)
{
    m_titleText = text;
    m_titleSet = true;
    applyTitle();
}

// The title is the model's: assistive tools read the column's title from there too.
void DbGrid::applyTitle()
{
    if (m_titleSet && m_column >= 0)
        model()->setHeaderData(m_column, Qt::Horizontal, m_titleText);
}

int DbGrid::fieldColumnWidth() const
{
    const int section = m_column >= 0 ? m_titleHeader->sectionSize(m_column) : m_titleHeader->defaultSectionSize();
    return section - DbGridLines::Width;
}

void DbGrid::setFieldColumnWidth(int width)
{
    if (m_column >= 0)
        m_titleHeader->resizeSection(m_column, std::max(width, MinColumnWidth) + DbGridLines::Width);
}

// ---- the window of rows --------------------------------------------------------------------

bool DbGrid::hasRecords() const
{
    return recordCount() > 0;
}

int DbGrid::recordCount() const
{
    return m_cursor ? m_cursor->recordCount() : 0;   // 0 while closed
}

int DbGrid::currentRecord() const
{
    return m_cursor ? m_cursor->row() : -1;
}

int DbGrid::visibleLineCount() const
{
    return std::max(1, viewport()->height() / linePitch());
}

int DbGrid::drawnLineCount() const
{
    if (!hasRecords())
        return 1;
    return std::clamp(recordCount() - m_topRow, 1, visibleLineCount());
}

int DbGrid::topRow() const
{
    return hasRecords() ? m_topRow : -1;
}

int DbGrid::currentLine() const
{
    if (!m_cursor || !m_cursor->isOpen())
        return -1;
    return hasRecords() ? currentRecord() - m_topRow : 0;   // an empty result marks its blank line
}

void DbGrid::keepCurrentVisible()
{
    if (!hasRecords()) {
        m_topRow = 0;
        return;
    }
    const int current = currentRecord();
    const int visible = visibleLineCount();
    if (current < m_topRow)
        m_topRow = current;
    else if (current > m_topRow + visible - 1)
        m_topRow = current - visible + 1;
    // A grid that grew taller shows earlier records rather than blank lines.
    m_topRow = std::clamp(m_topRow, 0, std::max(0, recordCount() - visible));
}

// The window's top record is the indicator column's first section on screen (a section being a
// record's row); the lines follow it.
void DbGrid::showWindow()
{
    const int offset = m_indicatorHeader->offset();
    if (m_indicatorHeader->count() > 0)
        m_indicatorHeader->setOffsetToSectionPosition(std::min(m_topRow, m_indicatorHeader->count() - 1));
    else
        m_indicatorHeader->setOffset(0);
    if (m_indicatorHeader->offset() != offset) {
        viewport()->update();
        m_indicatorHeader->viewport()->update();
    }
}

// Reading rows may fetch another batch, which can fail; do it here, where the cursor can tell
// why, so that painting only reads rows that are already there.
void DbGrid::fetchWindow()
{
    if (hasRecords())
        m_cursor->fetchUpTo(m_topRow + drawnLineCount() - 1);
}

void DbGrid::refresh()
{
    keepCurrentVisible();
    fetchWindow();
    updateScrollBar();
    showWindow();
    m_indicatorHeader->setMarkedSection(hasRecords() ? currentRecord() : -1);
    m_indicatorHeader->setBlankRowMarked(m_cursor && m_cursor->isOpen() && !hasRecords());
    viewport()->update();
    m_indicatorHeader->viewport()->update();
}

void DbGrid::modelWasReset()
{
    m_topRow = 0;
    m_wheelDelta = 0;
    // The headers' sections and the scroll bars now, not on the event loop's next pass.
    executeDelayedItemsLayout();
    refresh();
}

// A move inside the window of rows repaints only the line left and the line reached (Qt's own
// update of the old and the new current cell, and the indicator's two cells); everything else is
// repainted only when the window scrolls.
void DbGrid::currentRecordChanged()
{
    const int top = m_topRow;
    keepCurrentVisible();
    fetchWindow();
    updateScrollBar();
    if (m_topRow != top)
        showWindow();
    m_indicatorHeader->setMarkedSection(hasRecords() ? currentRecord() : -1);
    m_indicatorHeader->setBlankRowMarked(m_cursor && m_cursor->isOpen() && !hasRecords());
}

// Qt's table numbers its cells for assistive tools over every column of the model, the hidden
// ones too; the grid's accessible table has only the column shown. The notices name that cell.
int DbGrid::accessibleChildOf(const QModelIndex &index)
{
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(this);
    if (!table || !table->tableInterface() || index.column() != m_column)
        return -1;
    return table->indexOfChild(table->tableInterface()->cellAt(index.row(), 0));
}

void DbGrid::notifyAccessibility(QAccessible::Event type, const QModelIndex &index)
{
    const int child = index.isValid() ? accessibleChildOf(index) : -1;
    if (child < 0)
        return;
    QAccessibleEvent event(this, type);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // Tools hear that the focus went to the new current cell only while the grid has the focus:
    // the record also moves while the focus is elsewhere, say in another window whose controls
    // move it, and a screen reader would follow the notice there.
    if (hasFocus() && QAccessible::isActive())
        notifyAccessibility(QAccessible::Focus, current);
    QAbstractItemView::currentChanged(current, previous);
}

void DbGrid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (QAccessible::isActive()) {
        notifyAccessibility(QAccessible::SelectionAdd, selected.indexes().value(0));
        notifyAccessibility(QAccessible::SelectionRemove, deselected.indexes().value(0));
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

void DbGrid::scrollTo(const QModelIndex &, ScrollHint)
{
}

// A record below the bottom row is not on screen, even where a part of its row would fit.
QRect DbGrid::visualRect(const QModelIndex &index) const
{
    const int line = index.row() - m_topRow;
    if (!index.isValid() || line < 0 || line >= drawnLineCount() || !hasRecords())
        return {};
    // The cell without the grid lines that its delegate draws right of it and below it.
    return QTableView::visualRect(index).adjusted(0, 0, -DbGridLines::Width, -DbGridLines::Width);
}

QModelIndex DbGrid::indexAt(const QPoint &pos) const
{
    if (pos.y() < 0 || pos.y() >= drawnLineCount() * linePitch())
        return {};
    return QTableView::indexAt(pos);
}

void DbGrid::updateGeometries()
{
    {
        const QScopedValueRollback<bool> setting(m_settingScrollBar, true);
        QTableView::updateGeometries();
    }
    if (!m_indicatorHeader)
        return;   // still being made
    keepCurrentVisible();
    updateScrollBar();
    showWindow();
}

// ---- scroll bars ---------------------------------------------------------------------------

// The vertical bar shows the current record: range 1..count with a page of the visible lines
// (a track of count + visible - 1 positions), value the current record's number, counted from 1.
// The view's own use of it, the scrolled window, goes through the indicator column's offset.
void DbGrid::updateScrollBar()
{
    const QScopedValueRollback<bool> setting(m_settingScrollBar, true);
    QScrollBar *vertical = verticalScrollBar();
    if (recordCount() >= 2) {
        vertical->setRange(1, recordCount());
        vertical->setPageStep(visibleLineCount());
        vertical->setSingleStep(1);
        vertical->setValue(currentRecord() + 1);
    } else {
        vertical->setRange(0, 0);
    }
}

void DbGrid::scrollContentsBy(int dx, int)
{
    if (dx != 0)
        QTableView::scrollContentsBy(dx, 0);
}

void DbGrid::scrollBarAction(int action)
{
    QScrollBar *bar = verticalScrollBar();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:   // the record just above the top row
        moveBy(-(currentLine() + 1));
        break;
    case QAbstractSlider::SliderSingleStepAdd:   // the record just below the bottom row
        moveBy(drawnLineCount() - currentLine());
        break;
    case QAbstractSlider::SliderPageStepSub:
        moveBy(-visibleLineCount());
        break;
    case QAbstractSlider::SliderPageStepAdd:
        moveBy(visibleLineCount());
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
        moveToRow(bar->sliderPosition() - 1);
        break;
    default:
        return;
    }
    // The slider applies this position once the action is over.
    if (hasRecords())
        bar->setSliderPosition(currentRecord() + 1);
}

void DbGrid::scrollBarReleased()
{
    moveToRow(verticalScrollBar()->sliderPosition() - 1);
    updateScrollBar();
}

// Anything else that sets the bar's value (its "scroll here" command) positions the record too.
void DbGrid::scrollBarValueChanged(int value)
{
    if (m_settingScrollBar || verticalScrollBar()->isSliderDown() || !hasRecords())
        return;
    if (value != currentRecord() + 1)
        moveToRow(value - 1);
    updateScrollBar();
}

// ---- moving the current record -------------------------------------------------------------

void DbGrid::moveBy(int distance)
{
    if (hasRecords() && distance != 0)
        m_cursor->moveBy(distance);
}

void DbGrid::moveFirst()
{
    if (hasRecords())
        m_cursor->first();
}

void DbGrid::moveLast()
{
    if (hasRecords())
        m_cursor->last();
}

// The thumb's ends are the first and the last record, as Home and End are.
void DbGrid::moveToRow(int row)
{
    if (!hasRecords())
        return;
    if (row <= 0)
        moveFirst();
    else if (row >= recordCount() - 1)
        moveLast();
    else
        m_cursor->moveToRow(row);
}

// A press on a data line, or on its indicator cell, makes its record current.
void DbGrid::pressLine(int line)
{
    if (line >= 0 && line < drawnLineCount())
        moveBy(line - currentLine());
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
    return QTableView::event(event);
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
        moveBy(control ? drawnLineCount() - 1 - currentLine() : 1);
        break;
    case Qt::Key_Up:
        moveBy(control ? -currentLine() : -1);
        break;
    case Qt::Key_PageDown:
        moveBy(control ? drawnLineCount() - 1 - currentLine() : visibleLineCount());
        break;
    case Qt::Key_PageUp:
        moveBy(control ? -currentLine() : -visibleLineCount());
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

void DbGrid::mousePressEvent(QMouseEvent *event)
{
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    // Beside the column, right of its grid line, no row is hit.
    const QPoint pos = event->position().toPoint();
    if (m_column < 0 || pos.x() <= columnViewportPosition(m_column) + fieldColumnWidth())
        pressLine(pos.y() / linePitch());
    event->accept();
}

// Dragging over the rows selects nothing and moves nothing.
void DbGrid::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void DbGrid::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
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
    emit doubleClickedAnywhere();
}

void DbGrid::activateRow(int row)
{
    if (hasRecords() && row >= 0 && row < recordCount())
        moveBy(row - currentRecord());
    emit doubleClickedAnywhere();
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
    // Qt's corner button draws itself without the grid's lines; it is painted as the cell it is.
    if (watched == m_corner && event->type() == QEvent::Paint && m_indicatorHeader) {
        QPainter painter(m_corner);
        m_indicatorHeader->paintCornerCell(painter, m_corner->rect());
        return true;
    }
    if (watched == verticalScrollBar()) {
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
        return QTableView::eventFilter(watched, event);
    }

    // The title row, the indicator column and the cell where they meet, once they exist.
    if (!m_indicatorHeader || !m_titleHeader)
        return QTableView::eventFilter(watched, event);
    const bool indicator = watched == m_indicatorHeader->viewport();
    if (!indicator && watched != m_titleHeader->viewport() && watched != m_corner)
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (focusPolicy() & Qt::ClickFocus)
            setFocus(Qt::MouseFocusReason);
        if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
            // Also on the column's border, whose double click would otherwise fit the column to its titles.
            emit doubleClickedAnywhere();
            return true;
        }
        if (indicator)
            pressLine(mouse->position().toPoint().y() / linePitch());
        // The title takes its own presses: its pressed look, resizing and moving the column.
        return watched != m_titleHeader->viewport();
    }
    case QEvent::Wheel:
        wheelEvent(static_cast<QWheelEvent *>(event));
        return true;
    default:
        break;
    }
    return QTableView::eventFilter(watched, event);
}

void DbGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // A screen reader announces the record the focus lands on, not only the grid. Qt tells it
    // that the grid took the focus only after this handler; the cell's notice must come later,
    // or the reader settles on the grid and never says which title is current.
    if (QAccessible::isActive())
        QMetaObject::invokeMethod(this, &DbGrid::announceCurrentCell, Qt::QueuedConnection);
}

void DbGrid::announceCurrentCell()
{
    if (!hasFocus() || !QAccessible::isActive() || !currentIndex().isValid())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(this);
    if (!table || !table->tableInterface())
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(table->indexOfChild(table->tableInterface()->cellAt(currentIndex().row(), 0)));
    QAccessible::updateAccessibility(&focus);
}

// ---- painting ------------------------------------------------------------------------------

// Only whole rows: the space below them, too low for a row, stays as plain as the space beside.
// The cells paint themselves with their grid lines; the ground around them is painted here.
void DbGrid::paintEvent(QPaintEvent *event)
{
    const bool column = m_column >= 0;
    const QRect cells(column ? columnViewportPosition(m_column) : 0, 0, fieldColumnWidth() + DbGridLines::Width,
                      drawnLineCount() * linePitch());
    {
        QPainter painter(viewport());
        const QRegion ground = column ? event->region().subtracted(cells) : event->region();
        for (const QRect &rect : ground)
            painter.fillRect(rect, palette().color(QPalette::Base));
        // A result without records still shows one blank row under the column, with its grid lines.
        if (column && !hasRecords()) {
            const QColor line = DbGridLines::color(this);
            constexpr int lines = DbGridLines::Width;
            painter.fillRect(cells.adjusted(0, 0, -lines, -lines), palette().color(QPalette::Base));
            painter.fillRect(QRect(cells.left(), cells.bottom() + 1 - lines, cells.width(), lines), line);
            painter.fillRect(QRect(cells.right() + 1 - lines, cells.top(), lines, cells.height()), line);
        }
    }
    const QRegion rows = event->region().intersected(cells);
    if (column && hasRecords() && !rows.isEmpty()) {
        QPaintEvent clipped(rows);
        QTableView::paintEvent(&clipped);
    }
}
