#pragma once

#include "RecordModel.h"

#include <QPointer>

class PoemQuery;

// The poem query as a table: one row per record, one column per field the views show. It keeps
// nothing of the records: every value is read from the query when asked, and converted from the
// query's stored UTF-8 then. The record count is exact from the open on (the query counts its
// result), so every record is a row at once; a row not fetched yet is fetched, with its batch,
// when its value is first asked for. Opening, closing and replacing the statement reset the model.
// Each column's header names its field in FieldNameRole as well as showing its title.
class PoemTableModel : public RecordModel
{
    Q_OBJECT
public:
    enum Column { Title, Date, Text, ColumnCount };   // the fields CIM, DATUM and VERS

    static QString fieldName(int column);

    explicit PoemTableModel(PoemQuery *query, QObject *parent = nullptr);

    bool isOpen() const override;
    bool fetchUpTo(int row) override;
    int readableRowCount() const override;
    QString errorString() const override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role = Qt::EditRole) override;

private:
    void findFields();

    QPointer<PoemQuery> m_query;
    int m_fields[ColumnCount];   // the query's index of each column's field, -1 when it lacks it
    QString m_titles[ColumnCount];
};
