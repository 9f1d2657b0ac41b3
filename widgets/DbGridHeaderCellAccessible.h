#pragma once

#include <QAccessibleInterface>
#include <QPointer>

class DbGrid;

// A cell of the grid's title row or indicator column, or the corner where the two meet: read by
// the title it shows (the indicator cells and the corner show none).
class DbGridHeaderCellAccessible : public QAccessibleInterface
{
public:
    static constexpr int Corner = -1;
    // section: the column (horizontal) or the record's row (vertical); Corner for the corner.
    DbGridHeaderCellAccessible(DbGrid *grid, Qt::Orientation orientation, int section);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    Qt::Orientation orientation() const { return m_orientation; }
    int section() const { return m_section; }

private:
    QPointer<DbGrid> m_grid;
    Qt::Orientation m_orientation;
    int m_section;
};
