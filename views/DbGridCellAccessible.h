#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class DbGrid;
class DbGridAccessible;

// One cell of the list grid for assistive tools: the title of the record in its row, or, in
// row -1, the column's title cell. It holds no text of its own; it reads the query when asked.
class DbGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    static constexpr int TitleRow = -1;

    DbGridCellAccessible(DbGrid *grid, int row);

    // QAccessibleInterface
    void *interface_cast(QAccessible::InterfaceType type) override;
    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    // QAccessibleTableCellInterface
    bool isSelected() const override;
    int columnExtent() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    int columnIndex() const override;
    int rowExtent() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override;
    int rowIndex() const override;
    QAccessibleInterface *table() const override;

private:
    DbGridAccessible *gridInterface() const;
    bool isShown() const;   // the row is in the window of records on screen

    QPointer<DbGrid> m_grid;
    int m_row;
};
