#pragma once

#include "EmbeddedResource.h"

#include <QObject>
#include <QString>

class PoemQuery;
class SqliteConnection;

// The poem store's life in one place: it owns the connection "FDConnection1" and the poem query
// "FDQuery1", performs the start-up steps one at a time so the caller can answer each failure
// in its own way, and performs the closing steps in their fixed order. It never shows anything:
// a failed step leaves SQLite's or the system's reason in errorString().
class PoemStore : public QObject
{
    Q_OBJECT
public:
    enum class Step { TakeItem, WriteCopy, FindCopy, OpenConnection, OpenQuery };
    Q_ENUM(Step)

    static inline const QString ItemName = QStringLiteral("Resource_1");

    // itemName is the embedded item TakeItem looks for; the program always uses ItemName.
    explicit PoemStore(QObject *parent = nullptr, const QString &itemName = ItemName);
    ~PoemStore() override; // closes the query, then the connection; the working copy stays

    SqliteConnection *connection() const { return m_connection; }
    PoemQuery *query() const { return m_query; }

    // The directory captured at start-up; every path of the working copy is built from it.
    void setWorkingDirectory(const QString &directory) { m_directory = directory; }
    QString workingDirectory() const { return m_directory; }
    QString workingCopyPath() const;

    // false when the step failed; errorString() then says why. Every step may be performed
    // whatever became of the earlier ones.
    bool perform(Step step);
    QString errorString() const { return m_error; } // empty after a step that succeeded

    void releaseItem(); // the embedded bytes are given back once the copy is written

    // Closing steps: query, connection, then the working copy if a regular file stands at the
    // path. Silent: what is already closed or missing is passed over.
    void close() noexcept;

private:
    bool fail(const QString &reason);

    SqliteConnection *m_connection = nullptr;
    PoemQuery *m_query = nullptr;
    QString m_itemName;
    QString m_directory;
    EmbeddedResource m_item;
    QString m_error;
};
