#include "SqliteConnection.h"

#include "DatabaseError.h"
#include "DbActivity.h"
#include "SqliteStatement.h"

#include <sqlite3.h>

namespace {
// No cache flag and the default VFS: SQLite's own defaults.
constexpr int OpenFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
} // namespace

SqliteConnection::SqliteConnection(QObject *parent) : QObject(parent) {}

SqliteConnection::~SqliteConnection()
{
    close();
}

QStringList SqliteConnection::pragmas()
{
    return {
        QStringLiteral("PRAGMA cache_size = 500"),
        QStringLiteral("PRAGMA locking_mode = Exclusive"),
        QStringLiteral("PRAGMA synchronous = Off"),
        QStringLiteral("PRAGMA journal_mode = Off"),
        QStringLiteral("PRAGMA foreign_keys = On"),
    };
}

void SqliteConnection::open()
{
    if (m_db)
        return;
    // Without a path SQLite would open a private temporary database and "succeed".
    if (m_database.isEmpty())
        throw DatabaseError(QString::fromUtf8(sqlite3_errstr(SQLITE_CANTOPEN)));

    DbActivity::Scope busy;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(m_database.toUtf8().constData(), &db, OpenFlags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db))
                                   : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        throw DatabaseError(message);
    }
    const int erc = sqlite3_extended_result_codes(db, 1);
    if (erc != SQLITE_OK) {
        sqlite3_close(db);
        throw DatabaseError(QString::fromUtf8(sqlite3_errstr(erc)));
    }
    try {
        for (const QString &pragma : pragmas())
            SqliteStatement(db, pragma).run();
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    m_db = db;
}

void SqliteConnection::close() noexcept
{
    if (m_db) {
        // close_v2: should a statement still be alive, SQLite frees the handle once that one is
        // finalised, instead of refusing and leaving it to nobody.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}
