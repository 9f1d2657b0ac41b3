#pragma once

#include <QSortFilterProxyModel>

// One field of the poem model as the only column, for a view that shows just that field: its
// rows are the model's rows, unsorted; a field the model has no column for leaves no column.
class FieldColumnProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit FieldColumnProxy(QObject *parent = nullptr);

    QString fieldName() const { return m_field; }
    void setFieldName(const QString &name);

protected:
    bool filterAcceptsColumn(int sourceColumn, const QModelIndex &sourceParent) const override;

private:
    QString m_field;
    int m_column = -1;
};
