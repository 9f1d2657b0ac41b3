#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// Owns one prepared statement; finalised when the owner goes. A failing call returns false and
// leaves SQLite's message in errorString().
class SqliteStatement
{
public:
    // Prepares the text as UTF-8 (see the .cpp for why not UTF-16); isValid() says whether it worked.
    SqliteStatement(sqlite3 *db, const QString &text);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }

    // true while a row is ready; false once the statement is done, or when the step failed
    // (errorString() is then not empty).
    bool step();
    // Steps to the end, whatever the statement answers (pragmas may answer with a row).
    bool run();
    void finish() noexcept;

    sqlite3_stmt *handle() const { return m_stmt; }
    int columnCount() const;
    QString errorString() const { return m_error; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_error;
};
