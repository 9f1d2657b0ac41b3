#pragma once

#include <QAbstractTableModel>
#include <QPointer>

// One field of a table model as the only column, for a view that shows just that field: its
// rows are the model's rows; the column is the one whose header names the field (FieldNameRole,
// in any case), and a field the model has no column for leaves no column. Only resets and new
// column titles pass through here, which is all a model of a query's result announces (a sorting
// and filtering proxy would connect to every change a model can announce, and those connections
// alone cost the program's start-up a million and a half instructions).
class FieldColumnProxy : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit FieldColumnProxy(QObject *parent = nullptr);

    QAbstractItemModel *sourceModel() const { return m_source; }
    void setSourceModel(QAbstractItemModel *model);

    QString fieldName() const { return m_field; }
    void setFieldName(const QString &name);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role = Qt::EditRole) override;

private:
    QModelIndex sourceIndex(const QModelIndex &index) const;
    void sourceHeaderChanged(Qt::Orientation orientation, int first, int last);
    void sourceReset();
    int findColumn() const;

    QPointer<QAbstractItemModel> m_source;
    QString m_field;
    int m_column = -1;
};
