#pragma once

#include <QItemSelectionModel>
#include <QObject>
#include <QPointer>

#include "RecordModel.h"

// The current record: the current index of one selection model over a record model, which the
// grid, the navigator and the detail window's mapper all follow. Qt's selection knows no BOF and
// EOF, the flags that say a move towards an end was stopped there, nor moves by a distance that
// must fetch rows first; they are kept here. After every reset of the model (an open, a close)
// the first row is current with BOF set. Whoever sets the selection's current index directly
// moves the record as a click would. A move whose fetch fails leaves the record where it was,
// returns false and sends errorOccurred() with the model's reason.
//
// Made after every view has taken the model: a view's own reset clears the selection, and the
// first row must be set after that.
class RecordCursor : public QObject
{
    Q_OBJECT
public:
    RecordCursor(RecordModel *model, QItemSelectionModel *selection, QObject *parent = nullptr);

    RecordModel *model() const { return m_model; }
    QItemSelectionModel *selectionModel() const { return m_selection; }

    bool isOpen() const;
    int recordCount() const;   // 0 while closed
    int row() const;           // the current record's row, -1 when there is none
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    // A move towards an end whose flag is set does nothing and notifies nobody.
    bool first();
    bool prior() { return moveBy(-1); }
    bool next() { return moveBy(1); }
    bool last();
    bool moveBy(int distance);
    // As a scroll bar positions: clamped to the rows; clears both flags (on its own row, BOF only).
    bool moveToRow(int target);

    // Fetches the rows up to this one now, so that a view can show them without reading.
    bool fetchUpTo(int target);

signals:
    void changed();   // the record or a flag changed, or the model was reset
    void errorOccurred(const QString &message);

private:
    bool moveTo(int target, bool bof, bool eof);
    void followReset();
    void selectionMoved(const QModelIndex &current, const QModelIndex &previous);
    void select(const QModelIndex &index);

    QPointer<RecordModel> m_model;
    QPointer<QItemSelectionModel> m_selection;
    bool m_bof = true;
    bool m_eof = true;
    int m_column = 0;   // the column of the current index: the one a view shows
    bool m_moving = false;
};
