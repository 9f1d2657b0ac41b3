#pragma once

#include <QFont>
#include <QHeaderView>

class QPainter;

// The data grid's title row (horizontal) and indicator column (vertical), drawn as the target's
// grid draws them: themed header cells separated by the grid's lines, the title in its own font
// on the Windows text metrics, a hot and a pressed look for the title even where the style draws
// neither, and the indicator's mark on the current record's row. A model without rows still gets
// one blank indicator cell, marked while the result is open.
class DbGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    DbGridHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Title row: its font, and how far below a cell's top edge the text's baseline sits.
    void setTextStyle(const QFont &font, int baseline);

    // Indicator column: the section (a record's 0-based index) that carries the mark (-1: none),
    // and the mark of the blank row.
    void setMarkedSection(int section);
    void setBlankRowMarked(bool marked);

    // The empty cell where the title row meets the indicator column, which the grid's corner
    // shows: a header cell with its grid lines like every other.
    void paintCornerCell(QPainter &painter, const QRect &section);

    // The grid fixes the header's height or width; Qt would otherwise measure every section's title.
    QSize sizeHint() const override { return minimumSize(); }

protected:
    // The cells show no selection and no current item of their own: the grid repaints the mark.
    void currentChanged(const QModelIndex &current, const QModelIndex &old) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void paintEvent(QPaintEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool isSectionHot(int section) const;
    bool isSectionPressed(int section) const;
    void paintCell(QPainter &painter, const QRect &section, bool hot, bool pressed) const;
    void paintMark(QPainter &painter, const QRect &cell) const;

    QColor m_lineColor;   // the grid's line colour, taken once per repaint

    QFont m_font;
    int m_baseline = 13;
    int m_markedSection = -1;
    bool m_blankRowMarked = false;
};
