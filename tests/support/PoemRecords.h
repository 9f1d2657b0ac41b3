#pragma once

#include "PoemQuery.h"
#include "PoemTableModel.h"
#include "RecordCursor.h"
#include "SqliteConnection.h"

#include <QFile>
#include <QItemSelectionModel>

// The poem query over a database file as the program binds it for its views: the table model,
// a selection model and the current record over it. Tests that show a grid give the cursor the
// grid's own selection model instead (see DbGrid::setRecordCursor).
struct PoemRecords
{
    PoemRecords()
    {
        query.addSql(PoemQuery::BaseStatement);
    }

    bool open(const QString &path)
    {
        connection.setDatabase(QFile::encodeName(path));
        return query.open();
    }

    SqliteConnection connection;
    PoemQuery query{connection};
    PoemTableModel model{&query};
};

// The same with a selection model and a cursor of its own, for views that do not bring one.
struct PoemRecordsWithCursor : PoemRecords
{
    QItemSelectionModel selection{&model};
    RecordCursor cursor{&model, &selection};

    // The record number (1-based) as the users and the scroll bar count: 0 when there is none.
    int recNo() const { return cursor.row() + 1; }
    void setRecNo(int number) { cursor.moveToRow(number - 1); }
};
