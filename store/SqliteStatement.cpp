#include "SqliteStatement.h"

#include "DatabaseError.h"
#include "DbActivity.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &text) : m_db(db)
{
    DbActivity::Scope busy;
    const int bytes = int(text.size() * sizeof(QChar));
    const int rc = sqlite3_prepare16_v2(db, text.utf16(), bytes, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DatabaseError(message);
    }
    if (!m_stmt) // empty or comment-only text prepares to nothing
        throw DatabaseError(QString::fromUtf8(sqlite3_errstr(SQLITE_MISUSE)));
}

SqliteStatement::~SqliteStatement()
{
    finish();
}

bool SqliteStatement::step()
{
    if (!m_stmt)
        return false;
    DbActivity::Scope busy;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void SqliteStatement::run()
{
    while (step()) {
    }
}

void SqliteStatement::finish() noexcept
{
    if (m_stmt) {
        sqlite3_finalize(m_stmt); // its code repeats the last step's error, already reported
        m_stmt = nullptr;
    }
}

int SqliteStatement::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}
