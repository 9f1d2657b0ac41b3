#include "DbGrid.h"

#include "DataSet.h"
#include "DbGridDelegate.h"
#include "DbGridHeader.h"
#include "ErrorReport.h"
#include "FieldColumnProxy.h"
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
constexpr int TextInset = 2;    // text starts this far right of and below a cell's corner
constexpr int WheelNotch = 120;

// Qt places text by the font's typographic ascent; the cells follow the Windows metrics instead,
// so the baseline sits the Windows ascent below the text's top edge.
int baselineBelowTop(const QFont &font)
{
    return TextInset + Tahoma::textHeight(font) - QFontMetrics(font).descent();
}
} // namespace

DbGrid::DbGrid(QWidget *parent) : QTableView(parent), m_proxy(new FieldColumnProxy(this))
{
    const QFont dataFont = Tahoma::font(11);
    const QFont titleFont = Tahoma::font(11, true);
    setFont(dataFont);
    // A data cell is the text height plus 3, and a line's width more because row lines are shown;
    // the line itself lies below the cell. The title cell is the text height plus 4.
    m_cellHeight = Tahoma::textHeight(dataFont) + 3 + GridLineWidth;
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
    setModel(m_proxy);
    // Connected after the view and its headers: they have taken the reset in by then.
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &DbGrid::modelWasReset);
    createScrollBars();
}

void DbGrid::createHeaders(const QFont &titleFont)
{
    auto *title = new DbGridHeader(Qt::Horizontal, this);
    title->setTextStyle(titleFont, baselineBelowTop(titleFont));
    // A section is its cell and the line right of it (the title row's) or below it (a row's).
    title->setMinimumSectionSize(MinColumnWidth + GridLineWidth);
    title->setDefaultSectionSize(DefaultColumnWidth + GridLineWidth);
    title->setSectionResizeMode(QHeaderView::Interactive);
    title->setFixedHeight(titleRowHeight());
    setHorizontalHeader(title);

    auto *indicator = new DbGridHeader(Qt::Vertical, this);
    indicator->setMinimumSectionSize(1);
    indicator->setDefaultSectionSize(rowHeight());
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setFixedWidth(IndicatorWidth + GridLineWidth);
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

void DbGrid::setDataSource(QAbstractItemModel *records, DataSet *dataSet)
{
    const bool newDataSet = dataSet != m_dataSet;
    if (newDataSet) {
        if (m_dataSet)
            disconnect(m_dataSet, nullptr, this, nullptr);
        m_dataSet = dataSet;
        if (m_dataSet)
            connect(m_dataSet, &DataSet::currentChanged, this, &DbGrid::currentRecordChanged);
    }
    if (records != m_proxy->sourceModel()) {
        m_proxy->setSourceModel(records);   // a reset of the view, which reads the data set afresh
        applyTitle();
    } else if (newDataSet) {
        modelWasReset();
    }
}

QString DbGrid::fieldName() const
{
    return m_proxy->fieldName();
}

void DbGrid::setFieldName(const QString &name)
{
    if (name == fieldName())
        return;
    m_proxy->setFieldName(name);   // a reset of the view
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
    if (m_titleSet && m_proxy->columnCount() > 0)
        m_proxy->setHeaderData(0, Qt::Horizontal, m_titleText);
}

int DbGrid::columnWidth() const
{
    const int section = m_titleHeader->count() > 0 ? m_titleHeader->sectionSize(0) : m_titleHeader->defaultSectionSize();
    return section - GridLineWidth;
}

void DbGrid::setColumnWidth(int width)
{
    if (m_titleHeader->count() > 0)
        m_titleHeader->resizeSection(0, std::max(width, MinColumnWidth) + GridLineWidth);
}

QRect DbGrid::clientRect() const
{
    const QRect view = viewport()->geometry();
    return view.adjusted(-m_indicatorHeader->width(), -m_titleHeader->height(), 0, 0);
}

QRect DbGrid::cellRect(int row) const
{
    const int left = IndicatorWidth + GridLineWidth - horizontalOffset();
    if (row == TitleRow)
        return QRect(left, 0, columnWidth(), m_titleCellHeight);
    return QRect(left, titleRowHeight() + row * rowHeight(), columnWidth(), m_cellHeight);
}

QRect DbGrid::indicatorRect(int row) const
{
    if (row == TitleRow)
        return QRect(0, 0, IndicatorWidth, m_titleCellHeight);
    return QRect(0, titleRowHeight() + row * rowHeight(), IndicatorWidth, m_cellHeight);
}

// ---- the window of rows --------------------------------------------------------------------

bool DbGrid::hasRecords() const
{
    return recordCount() > 0;
}

int DbGrid::recordCount() const
{
    return m_dataSet ? m_dataSet->recordCount() : 0;   // 0 while closed
}

int DbGrid::visibleRowCount() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int DbGrid::drawnRowCount() const
{
    if (!hasRecords())
        return 1;
    return std::clamp(recordCount() - m_topPosition + 1, 1, visibleRowCount());
}

int DbGrid::topPosition() const
{
    return hasRecords() ? m_topPosition : 0;
}

int DbGrid::currentRow() const
{
    if (!m_dataSet || !m_dataSet->isOpen())
        return -1;
    return hasRecords() ? m_dataSet->recNo() - m_topPosition : 0;   // an empty result marks its blank row
}

void DbGrid::keepCurrentVisible()
{
    if (!hasRecords()) {
        m_topPosition = 1;
        return;
    }
    const int current = m_dataSet->recNo();
    const int visible = visibleRowCount();
    if (current < m_topPosition)
        m_topPosition = current;
    else if (current > m_topPosition + visible - 1)
        m_topPosition = current - visible + 1;
    // A grid that grew taller shows earlier records rather than blank rows.
    m_topPosition = std::clamp(m_topPosition, 1, std::max(1, recordCount() - visible + 1));
}

// The window's top record is the indicator column's first section on screen (a section being a
// record's 0-based index); the rows follow it.
void DbGrid::showWindow()
{
    const int offset = m_indicatorHeader->offset();
    if (m_indicatorHeader->count() > 0)
        m_indicatorHeader->setOffsetToSectionPosition(std::min(m_topPosition, m_indicatorHeader->count()) - 1);
    else
        m_indicatorHeader->setOffset(0);
    if (m_indicatorHeader->offset() != offset) {
        viewport()->update();
        m_indicatorHeader->viewport()->update();
    }
}

// The view's current index and its one selected cell are the data set's current record.
void DbGrid::selectCurrent()
{
    if (!hasRecords() || m_proxy->columnCount() == 0)
        return;
    const QModelIndex index = m_proxy->index(m_dataSet->recNo() - 1, 0);
    if (index == currentIndex())
        return;
    const QScopedValueRollback<bool> following(m_followingDataSet, true);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

// Reading rows may fetch another batch, which can fail; do it here, where the error can be
// reported, so that painting only reads rows that are already there.
void DbGrid::fetchWindow()
{
    if (!hasRecords())
        return;
    const int last = m_topPosition + drawnRowCount() - 1;
    ErrorReport::guard([this, last] { m_dataSet->fetchUpTo(last); });
}

void DbGrid::refresh()
{
    keepCurrentVisible();
    fetchWindow();
    updateScrollBar();
    showWindow();
    m_indicatorHeader->setMarkedSection(hasRecords() ? m_dataSet->recNo() - 1 : -1);
    m_indicatorHeader->setBlankRowMarked(m_dataSet && m_dataSet->isOpen() && !hasRecords());
    viewport()->update();
    m_indicatorHeader->viewport()->update();
}

void DbGrid::modelWasReset()
{
    m_topPosition = 1;
    m_wheelDelta = 0;
    // The headers' sections and the scroll bars now, not on the event loop's next pass.
    executeDelayedItemsLayout();
    selectCurrent();
    refresh();
}

// A move inside the window of rows repaints only the row left and the row reached (Qt's own
// update of the old and the new current cell, and the indicator's two cells); everything else is
// repainted only when the window scrolls.
void DbGrid::currentRecordChanged()
{
    const int top = m_topPosition;
    keepCurrentVisible();
    fetchWindow();
    updateScrollBar();
    if (m_topPosition != top)
        showWindow();
    m_indicatorHeader->setMarkedSection(hasRecords() ? m_dataSet->recNo() - 1 : -1);
    selectCurrent();
}

// Whoever sets the view's current index moves the record, as a click would: a relative move by
// the difference. A move that fails puts the index back on the record.
void DbGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // Qt's table tells assistive tools that the focus went to the new current cell even while the
    // focus is elsewhere, say in another window whose controls move the record; a screen
    // reader would follow it there. Only a grid that has the focus says so.
    if (hasFocus())
        QTableView::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);
    if (m_followingDataSet || !current.isValid() || !hasRecords())
        return;
    const int distance = current.row() + 1 - m_dataSet->recNo();
    if (distance != 0)
        moveBy(distance);
    selectCurrent();
}

void DbGrid::scrollTo(const QModelIndex &, ScrollHint)
{
}

// A record below the bottom row is not on screen, even where a part of its row would fit.
QRect DbGrid::visualRect(const QModelIndex &index) const
{
    const int row = index.row() + 1 - m_topPosition;
    if (!index.isValid() || row < 0 || row >= drawnRowCount() || !hasRecords())
        return {};
    // The cell without the grid lines that its delegate draws right of it and below it.
    return QTableView::visualRect(index).adjusted(0, 0, -1, -1);
}

QModelIndex DbGrid::indexAt(const QPoint &pos) const
{
    if (pos.y() < 0 || pos.y() >= drawnRowCount() * rowHeight())
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

// The vertical bar shows the current record: range 1..count with a page of the visible rows
// (a track of count + visible - 1 positions), value the current position. The view's own use of
// it, the scrolled window, goes through the indicator column's offset instead.
void DbGrid::updateScrollBar()
{
    const QScopedValueRollback<bool> setting(m_settingScrollBar, true);
    QScrollBar *vertical = verticalScrollBar();
    if (recordCount() >= 2) {
        vertical->setRange(1, recordCount());
        vertical->setPageStep(visibleRowCount());
        vertical->setSingleStep(1);
        vertical->setValue(m_dataSet->recNo());
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
        moveBy(-(currentRow() + 1));
        break;
    case QAbstractSlider::SliderSingleStepAdd:   // the record just below the bottom row
        moveBy(drawnRowCount() - currentRow());
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
        bar->setSliderPosition(m_dataSet->recNo());
}

void DbGrid::scrollBarReleased()
{
    moveToPosition(verticalScrollBar()->sliderPosition());
    updateScrollBar();
}

// Anything else that sets the bar's value (its "scroll here" command) positions the record too.
void DbGrid::scrollBarValueChanged(int value)
{
    if (m_settingScrollBar || verticalScrollBar()->isSliderDown() || !hasRecords())
        return;
    if (value != m_dataSet->recNo())
        moveToPosition(value);
    updateScrollBar();
}

// ---- moving the current record -------------------------------------------------------------

void DbGrid::moveBy(int distance)
{
    if (!hasRecords() || distance == 0)
        return;
    ErrorReport::guard([this, distance] { m_dataSet->moveBy(distance); });
}

void DbGrid::moveFirst()
{
    if (hasRecords())
        ErrorReport::guard([this] { m_dataSet->first(); });
}

void DbGrid::moveLast()
{
    if (hasRecords())
        ErrorReport::guard([this] { m_dataSet->last(); });
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
        ErrorReport::guard([this, position] { m_dataSet->setRecNo(position); });
}

// A press on a data row, or on its indicator cell, makes its record current.
void DbGrid::pressRow(int row)
{
    if (row >= 0 && row < drawnRowCount())
        moveBy(row - currentRow());
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
        moveBy(control ? drawnRowCount() - 1 - currentRow() : 1);
        break;
    case Qt::Key_Up:
        moveBy(control ? -currentRow() : -1);
        break;
    case Qt::Key_PageDown:
        moveBy(control ? drawnRowCount() - 1 - currentRow() : visibleRowCount());
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

void DbGrid::mousePressEvent(QMouseEvent *event)
{
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    // Beside the column, right of its grid line, no row is hit.
    const QPoint pos = event->position().toPoint();
    if (pos.x() <= columnViewportPosition(0) + columnWidth() || m_proxy->columnCount() == 0)
        pressRow(pos.y() / rowHeight());
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
    emit doubleClicked();
}

void DbGrid::activateRow(int row)
{
    if (hasRecords() && row >= 0 && row < recordCount())
        moveBy(row + 1 - m_dataSet->recNo());
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
            emit doubleClicked();
            return true;
        }
        if (indicator)
            pressRow(mouse->position().toPoint().y() / rowHeight());
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
    focus.setChild(table->indexOfChild(table->tableInterface()->cellAt(currentIndex().row(), currentIndex().column())));
    QAccessible::updateAccessibility(&focus);
}

// ---- painting ------------------------------------------------------------------------------

// Only whole rows: the space below them, too low for a row, stays as plain as the space beside.
// The cells paint themselves with their grid lines; the ground around them is painted here.
void DbGrid::paintEvent(QPaintEvent *event)
{
    const bool column = m_proxy->columnCount() > 0;
    const QRect cells(columnViewportPosition(0), 0, columnWidth() + GridLineWidth, drawnRowCount() * rowHeight());
    {
        QPainter painter(viewport());
        const QRegion ground = column ? event->region().subtracted(cells) : event->region();
        for (const QRect &rect : ground)
            painter.fillRect(rect, palette().color(QPalette::Base));
        // A result without records still shows one blank row under the column, with its grid lines.
        if (column && m_proxy->rowCount() == 0) {
            QStyleOptionViewItem option;
            initViewItemOption(&option);
            const QColor line = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
            painter.fillRect(cells.adjusted(0, 0, -1, -1), palette().color(QPalette::Base));
            painter.fillRect(QRect(cells.left(), cells.bottom(), cells.width(), 1), line);
            painter.fillRect(QRect(cells.right(), cells.top(), 1, cells.height()), line);
        }
    }
    const QRegion rows = event->region().intersected(cells);
    if (column && m_proxy->rowCount() > 0 && !rows.isEmpty()) {
        QPaintEvent clipped(rows);
        QTableView::paintEvent(&clipped);
    }
}
