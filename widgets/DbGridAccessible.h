#pragma once

#include <QAccessibleWidget>
#include <QHash>

class DbGrid;

// The grid as a table for assistive tools: the corner, the column's title and, for every record,
// its indicator cell and its data cell, in the order Qt's own table gives them (Qt's item views
// number their notices by it). Unlike Qt's table, each data cell offers a press action that does
// what a double click on its row does: a screen reader's user can open a poem without a mouse.
class DbGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit DbGridAccessible(DbGrid *grid);
    ~DbGridAccessible() override;

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int columnCount() const override;
    int columnOf(const QModelIndex &index) const;
    int rowCount() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedCellCount() const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int row) override;
    bool unselectColumn(int column) override;
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    int indexOfCell(int row, int column) const;   // a data cell's place among the children

private:
    DbGrid *grid() const;
    void forgetChildren(int fromRow = 0);

    mutable QHash<int, QAccessible::Id> m_children;
};
