#pragma once

#include <QAbstractItemDelegate>
#include <QFont>

// A data cell of the list grid with its grid lines: its text on one line in the grid's font and
// pure blue, placed by the Windows text metrics and cut off at the cell's edge without an ellipsis.
// The current cell of a view that has the focus is filled with the selection colour and framed by
// a dotted line. The lines are drawn as filled rectangles, for less than the view's pen costs.
class DbGridDelegate : public QAbstractItemDelegate
{
    Q_OBJECT
public:
    // baseline: how far below a cell's top edge the text's baseline sits.
    DbGridDelegate(const QFont &font, int baseline, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QFont m_font;
    int m_baseline;
};
