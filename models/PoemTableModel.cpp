#include "PoemTableModel.h"

#include "FieldNameRole.h"
#include "PoemQuery.h"

#include <climits>

namespace {
const char *const FieldNames[PoemTableModel::ColumnCount] = {"CIM", "DATUM", "VERS"};
} // namespace

QString PoemTableModel::fieldName(int column)
{
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(FieldNames[column]) : QString();
}

PoemTableModel::PoemTableModel(PoemQuery *query, QObject *parent)
    : RecordModel(parent), m_query(query),
      m_titles{QStringLiteral("Cím"), QStringLiteral("Dátum"), QStringLiteral("Vers")}
{
    findFields();
    if (!m_query)
        return;
    connect(m_query, &PoemQuery::stateAboutToChange, this, &PoemTableModel::beginResetModel);
    connect(m_query, &PoemQuery::stateChanged, this, [this] {
        findFields();
        endResetModel();
    });
    connect(m_query, &QObject::destroyed, this, [this] {
        beginResetModel();
        findFields();
        endResetModel();
    });
}

// Each open may bring other fields; a statement without one leaves its column empty.
void PoemTableModel::findFields()
{
    for (int column = 0; column < ColumnCount; ++column)
        m_fields[column] = m_query ? m_query->fieldIndex(fieldName(column)) : -1;
}

int PoemTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_query ? 0 : m_query->recordCount();
}

int PoemTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PoemTableModel::data(const QModelIndex &index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    // A row that cannot be fetched reads as empty; whoever moves the record to it reports why.
    if (index.row() >= m_query->fetchedCount())
        m_query->fetchUpTo(index.row() + 1);
    return m_query->value(index.row(), m_fields[index.column()]);
}

bool PoemTableModel::isOpen() const
{
    return m_query && m_query->isOpen();
}

bool PoemTableModel::fetchUpTo(int row)
{
    if (!m_query || row < m_query->fetchedCount())
        return true;
    return m_query->fetchUpTo(row == INT_MAX ? row : row + 1);
}

int PoemTableModel::readableRowCount() const
{
    return m_query ? m_query->readableCount() : 0;
}

QString PoemTableModel::errorString() const
{
    return m_query ? m_query->errorString() : QString();
}

Qt::ItemFlags PoemTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant PoemTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount) {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_titles[section];
        if (role == FieldNameRole)
            return fieldName(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool PoemTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount
        || (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    if (m_titles[section] != value.toString()) {
        m_titles[section] = value.toString();
        emit headerDataChanged(orientation, section, section);
    }
    return true;
}
