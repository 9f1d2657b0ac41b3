#include "SqliteConnection.h"

#include "DbActivity.h"
#include "SqliteStatement.h"

#include <QFile>

#include <sqlite3.h>

#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {
// No cache flag and the default VFS: SQLite's own defaults. The name is a URI so that it can
// carry "immutable": SQLite then takes the file as it stands, and a journal or WAL file that
// somebody left beside it can neither be replayed into it nor be deleted. Read-only, since the
// program never writes and the copy is read-only to everyone; nor is a missing file created.
constexpr int OpenFlags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;

const QString NotTheFileWritten = QStringLiteral("The file at the path is not the one that was written");

QString sqliteText(int code)
{
    return QString::fromUtf8(sqlite3_errstr(code));
}

// Every byte outside the unreserved set is escaped, so any name the system allows survives.
QByteArray immutableUri(const QByteArray &nativePath)
{
#ifdef Q_OS_WIN
    // Windows keeps SQLite's own locking; the file is opened by its plain name.
    return nativePath;
#else
    return QByteArrayLiteral("file:") + nativePath.toPercentEncoding("/") + QByteArrayLiteral("?immutable=1");
#endif
}

#ifndef Q_OS_WIN
// Immutable means SQLite takes no locks of its own, so the connection holds one for it: shared,
// as SQLite's exclusive locking mode holds it after the first read, so others may read the file
// but none may commit, and a file somebody is writing is refused. Only a regular file is opened,
// and never through a link.
// An invalid descriptor when that failed, with the reason in *why.
FileDescriptor lockForReading(const QByteArray &nativePath, QString &why)
{
    FileDescriptor file(::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat st = {};
    if (!file.isValid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = sqliteText(SQLITE_CANTOPEN);
        return {};
    }
    const int code = file.lock(false);
    if (code == EAGAIN || code == EACCES)
        why = sqliteText(SQLITE_BUSY);
    else if (code)
        why = sqliteText(SQLITE_IOERR_LOCK);
    else
        return file;
    return {};
}
#endif
} // namespace

SqliteConnection::SqliteConnection(QObject *parent) : QObject(parent) {}

SqliteConnection::~SqliteConnection()
{
    close();
}

qsizetype SqliteConnection::maxPathLength()
{
    // SQLite keeps room in the file's full name for the suffix of its journal ("-journal" is
    // eight bytes), so the name itself must be that much shorter than the file system layer's limit.
    const sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    return vfs ? qsizetype(vfs->mxPathname) - 8 : 0;
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

bool SqliteConnection::open()
{
    if (m_db)
        return true;
    m_error.clear();
    // Without a path SQLite would open a private temporary database and "succeed".
    if (m_database.isEmpty())
        return fail(sqliteText(SQLITE_CANTOPEN));

    DbActivity::Scope busy;
#ifndef Q_OS_WIN
    QString why;
    FileDescriptor lock = lockForReading(m_database, why);
    if (!lock.isValid())
        return fail(why);
    if (m_file && lock.identity() != m_file)
        return fail(NotTheFileWritten);
    // SQLite opens the file by its name once more; it must have come to the same file.
    const int before = m_file ? FileDescriptor::countOpen(*m_file) : 0;
#endif
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(immutableUri(m_database).constData(), &db, OpenFlags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db))
                                   : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db);
        return fail(message);
    }
    const int erc = sqlite3_extended_result_codes(db, 1);
    if (erc != SQLITE_OK) {
        sqlite3_close(db);
        return fail(QString::fromUtf8(sqlite3_errstr(erc)));
    }
    for (const QString &pragma : pragmas()) {
        SqliteStatement statement(db, pragma);
        if (!statement.run()) {
            const QString message = statement.errorString();
            statement.finish();
            sqlite3_close(db);
            return fail(message);
        }
    }
#ifndef Q_OS_WIN
    if (m_file && before >= 0 && FileDescriptor::countOpen(*m_file) <= before) {
        sqlite3_close(db);
        return fail(NotTheFileWritten);
    }
#endif
    m_db = db;
#ifndef Q_OS_WIN
    m_lock = std::move(lock);
#endif
    return true;
}

bool SqliteConnection::fail(const QString &message)
{
    m_error = message;
    return false;
}

void SqliteConnection::close() noexcept
{
    if (m_db) {
        // close_v2: should a statement still be alive, SQLite frees the handle once that one is
        // finalised, instead of refusing and leaving it to nobody.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_lock.reset();
}
