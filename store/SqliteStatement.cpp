#include "SqliteStatement.h"

#include "DatabaseError.h"
#include "DbActivity.h"

#include <QByteArray>

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &text) : m_db(db)
{
    // SQLite would stop reading at a NUL and run only the text before it: the statement would
    // not be the one given.
    if (text.contains(QChar::Null))
        throw DatabaseError(QStringLiteral("statement contains a NUL character"));
    DbActivity::Scope busy;
    // Qt's UTF-8 replaces a lone surrogate. SQLite's own UTF-16 reader would join it with the
    // unit after it, so a phrase could swallow a literal's closing quote and reshape the SQL.
    const QByteArray utf8 = text.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DatabaseError(message);
    }
    if (!m_stmt) // empty or comment-only text prepares to nothing
        throw DatabaseError(QString::fromUtf8(sqlite3_errstr(SQLITE_MISUSE)));
    // One statement runs per text; a second one after it would be silently left out.
    if (!QByteArrayView(tail, utf8.constData() + utf8.size() - tail).trimmed().isEmpty()) {
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
