#include "SqliteStatement.h"

#include "DatabaseError.h"
#include "DbActivity.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &text) : m_db(db)
{
    // SQLite would stop reading at a NUL and run only the text before it: the statement would
    // not be the one given.
    if (text.contains(QChar::Null))
        throw DatabaseError(QStringLiteral("statement contains a NUL character"));
    DbActivity::Scope busy;
    const int bytes = int(text.size() * sizeof(QChar));
    const void *tail = nullptr;
    const int rc = sqlite3_prepare16_v2(db, text.utf16(), bytes, &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DatabaseError(message);
    }
    if (!m_stmt) // empty or comment-only text prepares to nothing
        throw DatabaseError(QString::fromUtf8(sqlite3_errstr(SQLITE_MISUSE)));
    // One statement runs per text; a second one after it would be silently left out.
    const qsizetype used = static_cast<const char16_t *>(tail) - reinterpret_cast<const char16_t *>(text.utf16());
    if (!QStringView(text).mid(used).trimmed().isEmpty()) {
        finish();
        throw DatabaseError(QStringLiteral("statement has more text after its end"));
    }
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
