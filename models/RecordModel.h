#pragma once

#include <QAbstractTableModel>

// A table whose rows are the records of a result that is either open or closed and is read
// on demand: rowCount() is the result's whole record count from its open on, and a row's values
// come once the rows up to it are fetched. A failing fetch returns false and errorString() says
// why; the result then ends with the rows read before it.
class RecordModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    virtual bool isOpen() const = 0;
    // Fetches the rows up to and including this one (0-based) if they are not there yet.
    virtual bool fetchUpTo(int row) = 0;
    // The rows that can be read: rowCount(), unless a failed fetch ended the result early.
    virtual int readableRowCount() const = 0;
    virtual QString errorString() const = 0;
};
