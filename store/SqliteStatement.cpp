#include "SqliteStatement.h"

#include "DbActivity.h"

#include <QByteArray>

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &text) : m_db(db)
{
    // SQLite would stop reading at a NUL and run only the text before it: the statement would
    // not be the one given.
    if (text.contains(QChar::Null)) {
        m_error = QStringLiteral("statement contains a NUL character");
        return;
    }
    DbActivity::Scope busy;
    // Qt's UTF-8 replaces a lone surrogate. SQLite's own UTF-16 reader would join it with the
    // unit after it, so a phrase could swallow a literal's closing quote and reshape the SQL.
    const QByteArray utf8 = text.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return;
    }
    if (!m_stmt) { // empty or comment-only text prepares to nothing
        m_error = QString::fromUtf8(sqlite3_errstr(SQLITE_MISUSE));
        return;
    }
    // One statement runs per text; a second one after it would be silently left out.
    if (!QByteArrayView(tail, utf8.constData() + utf8.size() - tail).trimmed().isEmpty()) {
        finish();
        m_error = QStringLiteral("statement has more text after its end");
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
    if (rc != SQLITE_DONE)
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool SqliteStatement::run()
{
    if (!m_stmt)
        return false;
    while (step()) {
    }
    return m_error.isEmpty();
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
