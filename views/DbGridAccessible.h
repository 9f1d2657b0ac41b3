#pragma once

#include <QAccessibleWidget>
#include <QHash>

class DbGrid;

// What a screen reader sees of the list grid: a read-only table of every record of the poem
// query, one column under the title "Cím", the current record its one selected row. Cells read
// the query whenever they are asked, so nothing here can fall behind the records.
class DbGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit DbGridAccessible(DbGrid *grid);
    ~DbGridAccessible() override;

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    // What the grid tells assistive tools when the query's notices come.
    static void announceReset(DbGrid *grid);
    static void announceCurrent(DbGrid *grid);

    DbGrid *grid() const;

    // QAccessibleInterface
    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface *caption() const override;
    QAccessibleInterface *summary() const override;
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int row) override;
    bool unselectColumn(int column) override;
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    QAccessibleInterface *headerCell() const;
    int currentRecordRow() const;   // 0-based row of the current record, -1 when there is none

private:
    QAccessibleInterface *cachedCell(int row) const;   // row -1: the title cell
    void dropCells();

    mutable QHash<int, QAccessible::Id> m_cells;
};
