#pragma once

#include "PoemQuery.h"
#include "RecordCursor.h"
#include "Unit1.h"

#include <QString>
#include <QVariant>

#include <memory>

// The main window's current record and poem query, in the words the suites' tables use: record
// numbers count from 1, as the scroll bar and the users count them. The record is the window's
// own cursor; the query is found by its name.
class CurrentRecord
{
public:
    explicit CurrentRecord(TForm1 &form)
        : m_cursor(*form.recordCursor()), m_query(*form.findChild<PoemQuery *>(QStringLiteral("FDQuery1")))
    {
    }

    RecordCursor &cursor() const { return m_cursor; }

    int recNo() const { return m_cursor.row() + 1; }
    void setRecNo(int number) { m_cursor.moveToRow(number - 1); }
    void first() { m_cursor.first(); }
    void last() { m_cursor.last(); }
    void next() { m_cursor.next(); }
    void prior() { m_cursor.prior(); }
    bool bof() const { return m_cursor.bof(); }
    bool eof() const { return m_cursor.eof(); }

    bool open() { return m_query.open(); }
    void close() { m_query.close(); }
    bool isOpen() const { return m_query.isOpen(); }
    int recordCount() const { return m_query.recordCount(); }
    QString statementText() const { return m_query.statementText(); }

    // A field of the current record, or of the record with the given number.
    QVariant fieldValue(const QString &field) const { return value(recNo(), field); }
    QString fieldText(const QString &field) const { return fieldValue(field).toString(); }
    QVariant value(int number, const QString &field) const
    {
        m_query.fetchUpTo(number);
        return m_query.value(number - 1, m_query.fieldIndex(field));
    }

private:
    RecordCursor &m_cursor;
    PoemQuery &m_query;
};

inline std::unique_ptr<CurrentRecord> currentRecordOf(TForm1 &form)
{
    return std::make_unique<CurrentRecord>(form);
}
