#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// Owns one prepared statement; finalised when the owner goes.
class SqliteStatement
{
public:
    // Prepares the text as UTF-8 (see the .cpp for why not UTF-16); throws DatabaseError.
    SqliteStatement(sqlite3 *db, const QString &text);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // true while a row is ready, false once the statement is done; throws DatabaseError.
    bool step();
    // Steps to the end, whatever the statement answers (pragmas may answer with a row).
    void run();
    void finish() noexcept;

    sqlite3_stmt *handle() const { return m_stmt; }
    int columnCount() const;

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};
