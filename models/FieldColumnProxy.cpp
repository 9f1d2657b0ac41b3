#include "FieldColumnProxy.h"

#include "PoemTableModel.h"

FieldColumnProxy::FieldColumnProxy(QObject *parent) : QSortFilterProxyModel(parent)
{
}

void FieldColumnProxy::setFieldName(const QString &name)
{
    if (name == m_field)
        return;
    m_field = name;
    m_column = PoemTableModel::columnOf(name);
    invalidateColumnsFilter();
}

bool FieldColumnProxy::filterAcceptsColumn(int sourceColumn, const QModelIndex &) const
{
    return sourceColumn == m_column;
}
