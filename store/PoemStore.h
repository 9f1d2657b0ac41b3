#pragma once

#include "EmbeddedResource.h"
#include "WorkingCopy.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>

// Why a start-up step failed: the step, the path and SQLite's or the system's reason.
Q_DECLARE_LOGGING_CATEGORY(lcStore)

class PoemQuery;
class SqliteConnection;

// The poem store's life in one place: it owns the connection "FDConnection1" and the poem query
// "FDQuery1", performs the start-up steps one at a time so the caller can answer each failure
// in its own way, answers the search page's searches, and performs the closing steps in their
// fixed order. It never shows anything: a failed step or search leaves SQLite's or the system's
// reason in errorString().
class PoemStore : public QObject
{
    Q_OBJECT
public:
    enum class Step { TakeItem, WriteCopy, FindCopy, OpenConnection, OpenQuery };
    Q_ENUM(Step)

    static inline const QString ItemName = QStringLiteral("Resource_1");

    // TakeItem looks for the embedded item ItemName.
    explicit PoemStore(QObject *parent = nullptr);
    ~PoemStore() override; // closes the query, then the connection; the working copy stays

    SqliteConnection *connection() const { return m_connection; }
    PoemQuery *query() const { return m_query; }

    // The directory captured at start-up; every path of the working copy is built from it.
    // Capturing takes the process's current directory as the system names it and returns it
    // for display. A directory that cannot be had makes every step fail.
    QString captureWorkingDirectory();
    QString workingDirectory() const;
    QString workingCopyPath() const;

    // false when the step failed; errorString() then says why. Every step may be performed
    // whatever became of the earlier ones.
    bool perform(Step step);
    QString errorString() const { return m_error; } // empty after a step or search that succeeded

    void releaseItem(); // the embedded bytes are given back once the copy is written

    // The poem query looks for the phrase in every title, date text and poem text, or lists
    // every poem again: it is closed, given the new statement and opened. false when that
    // failed; errorString() then carries SQLite's message and the query is left closed. A phrase
    // holding U+0000 is refused before the query is touched, since SQLite reads a statement only
    // up to its first NUL.
    bool search(const QString &phrase);
    bool showAll();

    // Closing steps: query, connection, then the working copy if the file at the path is still
    // the one written. Silent: what is already closed, missing or replaced is passed over.
    void close() noexcept;

private:
    bool fail(Step step, const QString &reason);
    bool reopenWith(const QString &statement);

    SqliteConnection *m_connection = nullptr;
    PoemQuery *m_query = nullptr;
    WorkingCopy m_copy;
    QString m_directoryError;
    EmbeddedResource m_item;
    QString m_error;
};
