#include "RecordCursor.h"

#include "RecordModel.h"

#include <QItemSelectionModel>
#include <QScopedValueRollback>

#include <algorithm>
#include <climits>

RecordCursor::RecordCursor(RecordModel *model, QItemSelectionModel *selection, QObject *parent)
    : QObject(parent), m_model(model), m_selection(selection)
{
    Q_ASSERT(model && selection && selection->model() == model);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordCursor::followReset);
    connect(m_selection, &QItemSelectionModel::currentChanged, this, &RecordCursor::selectionMoved);
    followReset();
}

bool RecordCursor::isOpen() const
{
    return m_model && m_model->isOpen();
}

int RecordCursor::recordCount() const
{
    return isOpen() ? m_model->rowCount() : 0;
}

int RecordCursor::row() const
{
    return isOpen() && m_selection ? m_selection->currentIndex().row() : -1;
}

void RecordCursor::select(const QModelIndex &index)
{
    if (!m_selection)
        return;
    const QScopedValueRollback<bool> moving(m_moving, true);
    m_selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void RecordCursor::followReset()
{
    const bool rows = recordCount() > 0;
    m_bof = true;
    m_eof = !rows;
    if (rows)
        select(m_model->index(0, m_column));
    emit changed();
}

bool RecordCursor::moveTo(int target, bool bof, bool eof)
{
    const int from = row();
    if (target == from && bof == m_bof && eof == m_eof)
        return true;
    m_bof = bof;
    m_eof = eof;
    if (target != from)
        select(m_model->index(target, m_column));
    emit changed();
    return true;
}

bool RecordCursor::fetchUpTo(int target)
{
    if (!m_model || m_model->fetchUpTo(target))
        return true;
    emit errorOccurred(m_model->errorString());
    return false;
}

bool RecordCursor::first()
{
    return row() < 0 || moveTo(0, true, false);
}

bool RecordCursor::last()
{
    if (row() < 0)
        return true;
    if (!fetchUpTo(INT_MAX))
        return false;
    return moveTo(m_model->readableRowCount() - 1, false, true);
}

bool RecordCursor::moveBy(int distance)
{
    const int from = row();
    if (from < 0 || distance == 0 || (distance > 0 && m_eof) || (distance < 0 && m_bof))
        return true;
    const qint64 wanted = qint64(from) + distance;
    if (distance < 0)
        return wanted < 0 ? moveTo(0, true, false) : moveTo(int(wanted), false, false);
    if (!fetchUpTo(int(std::min<qint64>(wanted, recordCount() - 1))))
        return false;
    const int lastReadable = m_model->readableRowCount() - 1;
    return wanted > lastReadable ? moveTo(lastReadable, false, true) : moveTo(int(wanted), false, false);
}

bool RecordCursor::moveToRow(int target)
{
    const int from = row();
    if (from < 0)
        return true;
    target = std::clamp(target, 0, recordCount() - 1);
    if (target == from)
        return target == 0 && m_bof ? moveTo(0, false, m_eof) : true;
    if (!fetchUpTo(target))
        return false;
    return moveTo(std::min(target, m_model->readableRowCount() - 1), false, false);
}

// Someone else set the current index (a view, an assistive tool): a move to that row. One that
// cannot be fetched, or that clears the record while there are rows, is put back.
void RecordCursor::selectionMoved(const QModelIndex &current, const QModelIndex &previous)
{
    if (m_moving)
        return;
    if (current.isValid())
        m_column = current.column();   // a view that shows another column moves the record there
    if (current.row() == previous.row())
        return;
    if (!current.isValid() || !m_model->fetchUpTo(current.row())) {
        if (current.isValid())
            emit errorOccurred(m_model->errorString());
        if (previous.isValid())
            select(previous);
        return;
    }
    // A result that ended early has no such row: the last one read stands for it.
    if (current.row() >= m_model->readableRowCount())
        select(current.siblingAtRow(m_model->readableRowCount() - 1));
    m_bof = false;
    m_eof = false;
    emit changed();
}
