#pragma once

#include "PoemQuery.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QPointer>

class QPainter;

// Read-only grid over the poem query: an indicator column and the one title column. It keeps no
// rows of its own; it draws a window of consecutive records around the current one and moves the
// query's current record on keys, clicks, the wheel and its vertical scroll bar, whose value is
// the current record's position rather than the scrolled window. The window that owns it names
// the field the column shows and the column's title.
class DbGrid : public QAbstractScrollArea
{
    Q_OBJECT
    Q_PROPERTY(QString fieldName READ fieldName WRITE setFieldName)
    Q_PROPERTY(QString titleText READ titleText WRITE setTitleText)
public:
    static constexpr int TitleRow = -1;     // rowAt(): the title row
    static constexpr int NoRow = -2;        // rowAt(): blank area, or outside the cells
    static constexpr int IndicatorWidth = 11;
    static constexpr int DefaultColumnWidth = 625;
    static constexpr int MinColumnWidth = 8;

    explicit DbGrid(QWidget *parent = nullptr);

    void setQuery(PoemQuery *query);
    PoemQuery *query() const { return m_query; }

    // Without a field name, or with one the query lacks, the cells stay empty.
    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString &name);
    QString titleText() const { return m_titleText; }   // drawn left-aligned in the title cell
    void setTitleText(const QString &text);

    int columnWidth() const { return m_columnWidth; }
    void setColumnWidth(int width);

    // Rows of the grid: the window of records on screen. Positions are the query's (1-based),
    // row indexes count from the top row (0).
    int visibleRowCount() const;   // whole data rows that fit below the title row
    int rowCount() const;          // data rows drawn: records in the window, never fewer than one
    int topRow() const;            // position of the record in the top row; 0 when there is none
    int currentRow() const;        // row index of the current record; -1 while the query is closed
    int rowHeight() const { return m_cellHeight + 1; }   // rows are this far apart
    int titleRowHeight() const { return m_titleHeight + 1; }

    // Viewport coordinates.
    int rowAt(const QPoint &pos) const;   // data row index, TitleRow or NoRow
    QRect cellRect(int row) const;        // the column's cell in a data row, or its title cell
    QRect indicatorRect(int row) const;

    bool isTitleHot() const { return m_titleHot; }
    bool isTitlePressed() const { return m_titlePressed; }

signals:
    void doubleClicked();

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void createFonts();
    void createFrame();
    void createScrollBars();

    void queryStateChanged(bool open);
    void queryCurrentChanged();
    void queryDestroyed();

    bool hasRecords() const;
    int recordCount() const;
    int columnLeft() const;
    bool inResizeZone(const QPoint &pos) const;
    void setTitleHot(bool hot);

    // Every move goes through the error report; a failing move leaves the grid as it was.
    void moveBy(int distance);
    void moveFirst();
    void moveLast();
    void moveToPosition(int position);
    void scrollBarAction(int action);
    void scrollBarReleased();
    void scrollBarValueChanged(int value);

    void keepCurrentVisible();
    void fetchWindow();
    void refresh();
    void updateRow(int row);
    void updateScrollBars();
    QString titleAt(int position) const noexcept;

    void paintTitleRow(QPainter &painter, const QRect &dataArea);
    void paintRow(QPainter &painter, int row, const QRect &dataArea);
    void paintHeaderCell(QPainter &painter, const QRect &rect, bool hot, bool pressed);
    void paintIndicator(QPainter &painter, const QRect &cell);
    void paintGridLines(QPainter &painter, const QRect &dataArea);

    QPointer<PoemQuery> m_query;
    QString m_fieldName;
    QString m_titleText;
    QFont m_dataFont;
    QFont m_titleFont;
    int m_cellHeight = 17;
    int m_titleHeight = 17;
    int m_dataBaseline = 13;    // from a cell's top edge
    int m_titleBaseline = 13;
    int m_columnWidth = DefaultColumnWidth;
    int m_top = 1;              // position of the record in the top row
    int m_shownCurrent = 0;     // position of the current record as last scheduled for painting
    int m_wheelDelta = 0;
    bool m_titleHot = false;
    bool m_titlePressed = false;
    bool m_resizing = false;
    int m_resizeAnchor = 0;     // pointer x minus column width while resizing
    bool m_settingScrollBar = false;
};
