#pragma once

#include "DbGridLines.h"
#include "RecordCursor.h"

#include <QAccessible>
#include <QPointer>
#include <QTableView>

class DbGridHeader;

// A read-only data grid: a table view of one field of a record model, with the indicator column
// as its vertical header and the field's title as its one column header (the model's other
// columns are hidden). The view's current index is the current record, which a record cursor over
// the view's own selection model keeps; the grid moves it through the cursor. Its rows are always
// a window of consecutive records around the current record, which it moves on keys, clicks, the
// wheel and its vertical scroll bar, whose value is the current record's number rather than the
// scrolled window.
class DbGrid : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(QString fieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString titleText READ titleText WRITE setTitleText)
public:
    static constexpr int IndicatorWidth = 11;
    static constexpr int DefaultColumnWidth = 625;
    static constexpr int MinColumnWidth = 8;

    explicit DbGrid(QWidget *parent = nullptr);

    // The records to show: a table model whose columns name their fields (FieldNameRole).
    void setModel(QAbstractItemModel *records) override;
    // The current record: a cursor over this view's selection model, made after setModel().
    void setRecordCursor(RecordCursor *cursor);
    RecordCursor *recordCursor() const { return m_cursor; }

    // Without a field name, or with one that is no column of the model, the grid shows no column.
    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString &name);
    int fieldColumn() const { return m_column; }   // the model's column shown, -1 for none
    QString titleText() const { return m_titleText; }   // the column's title in the model
    void setTitleText(const QString &text);

    int fieldColumnWidth() const;   // the field's cell, without its grid line
    void setFieldColumnWidth(int width);

    // The window of records on screen. A record is the model's row (0-based); a line is a place
    // on screen, counted from the top line (0).
    int visibleLineCount() const;   // whole data lines that fit below the title row
    int drawnLineCount() const;     // data lines drawn: records in the window, never fewer than one
    int topRow() const;             // the record in the top line; -1 when there is none
    int currentLine() const;        // line of the current record; -1 while the result is closed
    // A line is its cell and the grid line below it: lines are this far apart (as Qt's
    // rowHeight(row) says too). The title row likewise.
    int linePitch() const { return m_cellHeight + DbGridLines::Width; }
    int titleRowHeight() const { return m_titleCellHeight + DbGridLines::Width; }

    // The window of rows follows the current record alone; nothing else scrolls it.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // Only the window's whole rows are on screen, for the mouse and for assistive tools alike.
    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &pos) const override;

    // What a double click on the model's given row does: its record becomes current and
    // doubleClickedAnywhere() is emitted. Assistive tools reach it through a cell's press action.
    void activateRow(int row);

signals:
    // A double click of the left button anywhere in the grid but its scroll bars, rows or not.
    void doubleClickedAnywhere();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    void createHeaders(const QFont &titleFont);
    void createScrollBars();

    int accessibleChildOf(const QModelIndex &index);
    void notifyAccessibility(QAccessible::Event type, const QModelIndex &index);
    void modelWasReset();
    void announceCurrentCell();
    void currentRecordChanged();

    bool hasRecords() const;
    int recordCount() const;
    int currentRecord() const;   // the cursor's row, -1 when there is none

    // A move whose fetch fails leaves the grid as it was; the cursor tells why.
    void moveBy(int distance);
    void moveFirst();
    void moveLast();
    void moveToRow(int row);
    void pressLine(int line);
    void scrollBarAction(int action);
    void scrollBarReleased();
    void scrollBarValueChanged(int value);

    void keepCurrentVisible();
    void showWindow();
    void fetchWindow();
    void refresh();
    void updateScrollBar();
    void applyColumns();
    void applyTitle();

    QPointer<RecordCursor> m_cursor;
    QString m_fieldName;
    int m_column = -1;
    DbGridHeader *m_titleHeader = nullptr;
    DbGridHeader *m_indicatorHeader = nullptr;
    QWidget *m_corner = nullptr;
    QString m_titleText;
    int m_cellHeight = 17;        // a data cell, without the line below it
    int m_titleCellHeight = 17;   // the title cell, likewise
    int m_topRow = 0;             // the record in the top line
    int m_wheelDelta = 0;
    bool m_titleSet = false;
    bool m_settingScrollBar = false;
};
