#include "FieldColumnProxy.h"

#include "FieldNameRole.h"

FieldColumnProxy::FieldColumnProxy(QObject *parent) : QAbstractTableModel(parent)
{
}

void FieldColumnProxy::setSourceModel(QAbstractItemModel *model)
{
    if (model == m_source)
        return;
    beginResetModel();
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = model;
    if (m_source) {
        connect(m_source, &QAbstractItemModel::modelAboutToBeReset, this, &FieldColumnProxy::beginResetModel);
        connect(m_source, &QAbstractItemModel::modelReset, this, &FieldColumnProxy::sourceReset);
        connect(m_source, &QAbstractItemModel::headerDataChanged, this, &FieldColumnProxy::sourceHeaderChanged);
        connect(m_source, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_column = -1;
            endResetModel();
        });
    }
    m_column = findColumn();
    endResetModel();
}

// A reset may bring other columns.
void FieldColumnProxy::sourceReset()
{
    m_column = findColumn();
    endResetModel();
}

int FieldColumnProxy::findColumn() const
{
    if (!m_source || m_field.isEmpty())
        return -1;
    const int columns = m_source->columnCount();
    for (int column = 0; column < columns; ++column) {
        const QVariant name = m_source->headerData(column, Qt::Horizontal, FieldNameRole);
        if (name.toString().compare(m_field, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

void FieldColumnProxy::setFieldName(const QString &name)
{
    if (name == m_field)
        return;
    beginResetModel();
    m_field = name;
    m_column = findColumn();
    endResetModel();
}

int FieldColumnProxy::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_source ? 0 : m_source->rowCount();
}

int FieldColumnProxy::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_source || m_column < 0 ? 0 : 1;
}

QModelIndex FieldColumnProxy::sourceIndex(const QModelIndex &index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return m_source->index(index.row(), m_column);
}

QVariant FieldColumnProxy::data(const QModelIndex &index, int role) const
{
    const QModelIndex source = sourceIndex(index);
    return source.isValid() ? source.data(role) : QVariant();
}

Qt::ItemFlags FieldColumnProxy::flags(const QModelIndex &index) const
{
    const QModelIndex source = sourceIndex(index);
    return source.isValid() ? source.flags() : Qt::NoItemFlags;
}

QVariant FieldColumnProxy::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_source)
        return {};
    if (orientation == Qt::Vertical)
        return m_source->headerData(section, orientation, role);
    return section == 0 && m_column >= 0 ? m_source->headerData(m_column, orientation, role) : QVariant();
}

bool FieldColumnProxy::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (!m_source || orientation != Qt::Horizontal || section != 0 || m_column < 0)
        return false;
    return m_source->setHeaderData(m_column, orientation, value, role);
}

void FieldColumnProxy::sourceHeaderChanged(Qt::Orientation orientation, int first, int last)
{
    if (orientation == Qt::Vertical)
        emit headerDataChanged(orientation, first, last);
    else if (m_column >= first && m_column <= last)
        emit headerDataChanged(orientation, 0, 0);
}
