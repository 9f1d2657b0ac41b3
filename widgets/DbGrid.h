#pragma once

#include "DataSet.h"

#include <QPointer>
#include <QTableView>

class DbGridHeader;
class FieldColumnProxy;

// A read-only data grid: a table view of one field of a model of records, with the indicator
// column as its vertical header and the field's title as its one column header. The model's rows
// are the data set's records, in its order; the grid reads the data set's state and moves its
// current record. Its rows are always a window of consecutive records around the current record,
// which it moves on keys, clicks, the wheel and its vertical scroll bar, whose value is the current
// record's position rather than the scrolled window. The view's current index is the data set's
// current record, both ways.
class DbGrid : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(QString fieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString titleText READ titleText WRITE setTitleText)
public:
    static constexpr int TitleRow = -1;   // cellRect(), indicatorRect(): the title row
    static constexpr int GridLineWidth = 1;   // every cell has a line right of it and below it
    static constexpr int IndicatorWidth = 11;
    static constexpr int DefaultColumnWidth = 625;
    static constexpr int MinColumnWidth = 8;

    explicit DbGrid(QWidget *parent = nullptr);

    // The records to show: a table model whose columns name their fields (FieldNameRole), and
    // the data set whose records are its rows. Either may be none.
    void setDataSource(QAbstractItemModel *records, DataSet *dataSet);
    DataSet *dataSet() const { return m_dataSet; }

    // Without a field name, or with one that is no column of the model, the grid shows no column.
    QString fieldName() const;
    void setFieldName(const QString &name);
    QString titleText() const { return m_titleText; }   // the column's title in the model
    void setTitleText(const QString &text);

    using QTableView::columnWidth;
    using QTableView::setColumnWidth;
    using QTableView::rowHeight;
    int columnWidth() const;   // the column's cell, without its grid line
    void setColumnWidth(int width);

    // The window of records on screen. A record's position is the data set's (1-based); a row is
    // a place on screen, counted from the top row (0); counts end in RowCount.
    int visibleRowCount() const;   // whole data rows that fit below the title row
    int drawnRowCount() const;     // data rows drawn: records in the window, never fewer than one
    int topPosition() const;       // position of the record in the top row; 0 when there is none
    int currentRow() const;        // row of the current record; -1 while the data set is closed
    // A row is its cell and the grid line below it: rows are this far apart (as Qt's rowHeight(row)
    // says too). The title row likewise.
    int rowHeight() const { return m_cellHeight + GridLineWidth; }
    int titleRowHeight() const { return m_titleCellHeight + GridLineWidth; }

    // The client area: inside the frame and beside the scroll bars, title row and indicator column
    // included, in the grid's coordinates. The cells below are in the client area's coordinates.
    QRect clientRect() const;
    QRect cellRect(int row) const;        // the column's cell in a data row, or its title cell
    QRect indicatorRect(int row) const;

    // The window of rows follows the current record alone; nothing else scrolls it.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    // Only the window's whole rows are on screen, for the mouse and for assistive tools alike.
    QRect visualRect(const QModelIndex &index) const override;
    QModelIndex indexAt(const QPoint &pos) const override;

    // What a double click on the row of the model's given row does: its record becomes current and
    // doubleClicked() is emitted. Assistive tools reach it through a cell's press action.
    void activateRow(int row);

signals:
    void doubleClicked();

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

private:
    void createHeaders(const QFont &titleFont);
    void createScrollBars();

    void modelWasReset();
    void announceCurrentCell();
    void currentRecordChanged();

    bool hasRecords() const;
    int recordCount() const;

    // Every move goes through the error report; a failing move leaves the grid as it was.
    void moveBy(int distance);
    void moveFirst();
    void moveLast();
    void moveToPosition(int position);
    void pressRow(int row);
    void scrollBarAction(int action);
    void scrollBarReleased();
    void scrollBarValueChanged(int value);

    void keepCurrentVisible();
    void showWindow();
    void selectCurrent();
    void fetchWindow();
    void refresh();
    void updateScrollBar();
    void applyTitle();

    QPointer<DataSet> m_dataSet;
    FieldColumnProxy *m_proxy = nullptr;
    DbGridHeader *m_titleHeader = nullptr;
    DbGridHeader *m_indicatorHeader = nullptr;
    QWidget *m_corner = nullptr;
    QString m_titleText;
    int m_cellHeight = 17;        // a data cell, without the line below it
    int m_titleCellHeight = 17;   // the title cell, likewise
    int m_topPosition = 1;        // position of the record in the top row
    int m_wheelDelta = 0;
    bool m_titleSet = false;
    bool m_settingScrollBar = false;
    bool m_followingDataSet = false;
};
