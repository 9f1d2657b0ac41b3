#include "FixtureDb.h"
#include "PoemQuery.h"
#include "SqliteConnection.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

// What reaches SQLite, statement by statement, captured on every connection as it opens.
namespace {
QStringList g_trace;

int traceCallback(unsigned type, void *, void *, void *text)
{
    if (type == SQLITE_TRACE_STMT)
        g_trace << QString::fromUtf8(static_cast<const char *>(text));
    return 0;
}

// Runs one statement on a connection of its own, as another program would; returns SQLite's code.
int execElsewhere(const QString &path, const char *sql)
{
    sqlite3 *other = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(other, sql, nullptr, nullptr, nullptr);
    sqlite3_close(other);
    return rc;
}

int installTrace(sqlite3 *db, const char **, const struct sqlite3_api_routines *)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, traceCallback, nullptr);
    return SQLITE_OK;
}
} // namespace

class tst_SqliteConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init() { g_trace.clear(); }
    void sendsPragmasThenQueryThenCount();
    void openFailures_data();
    void openFailures();
    void exclusiveLockKeepsOthersFromWriting();
    void closeWhileAStatementIsAlive();

private:
    QTemporaryDir m_dir;
};

void tst_SqliteConnection::initTestCase()
{
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(installTrace));
}

void tst_SqliteConnection::cleanupTestCase()
{
    sqlite3_reset_auto_extension();
}

void tst_SqliteConnection::sendsPragmasThenQueryThenCount()
{
    const QString path = FixtureDb::create(m_dir.filePath(QStringLiteral("a.db")), 60);
    g_trace.clear();
    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(path));
    PoemQuery query(connection);
    query.addSql(PoemQuery::BaseStatement);
    QVERIFY(query.open());
    const QStringList expected = {
        QStringLiteral("PRAGMA cache_size = 500"),
        QStringLiteral("PRAGMA locking_mode = Exclusive"),
        QStringLiteral("PRAGMA synchronous = Off"),
        QStringLiteral("PRAGMA journal_mode = Off"),
        QStringLiteral("PRAGMA foreign_keys = On"),
        QStringLiteral("Select * from tbl_Data"),
        QStringLiteral("SELECT COUNT(*) FROM (\r\nSelect * from tbl_Data\r\n) A"),
    };
    QCOMPARE(g_trace, expected);

    // Every pragma took effect.
    sqlite3 *db = connection.handle();
    QCOMPARE(sqlite3_extended_result_codes(db, 1), SQLITE_OK);
    auto pragma = [db](const char *sql) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        sqlite3_step(st);
        const QString value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return value;
    };
    QCOMPARE(pragma("PRAGMA cache_size"), QStringLiteral("500"));
    QCOMPARE(pragma("PRAGMA locking_mode"), QStringLiteral("exclusive"));
    QCOMPARE(pragma("PRAGMA synchronous"), QStringLiteral("0"));
    QCOMPARE(pragma("PRAGMA journal_mode"), QStringLiteral("off"));
    QCOMPARE(pragma("PRAGMA foreign_keys"), QStringLiteral("1"));

    // The next 50 rows come from the same statement, with no new statement sent.
    g_trace.clear();
    QVERIFY(query.fetchUpTo(query.recordCount()));
    QCOMPARE(query.fetchedCount(), 60);
    QVERIFY(g_trace.isEmpty());
}

void tst_SqliteConnection::openFailures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a database") << QByteArray(8192, 'x') << "file is not a database";
    QTest::newRow("truncated header") << QByteArray("SQLite format 3\0\x10", 18) << "file is not a database";
}

void tst_SqliteConnection::openFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("bad.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();

    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(path));
    QVERIFY(!connection.open());
    QCOMPARE(connection.errorString(), message);
    QVERIFY(!connection.isOpen());
}

// With exclusive locking another connection may read the working copy but not change it.
void tst_SqliteConnection::exclusiveLockKeepsOthersFromWriting()
{
    const QString path = FixtureDb::create(m_dir.filePath(QStringLiteral("locked.db")), 3);
    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(path));
    PoemQuery query(connection);
    query.addSql(PoemQuery::BaseStatement);
    QVERIFY(query.open());

    QCOMPARE(execElsewhere(path, "SELECT count(*) FROM tbl_Data"), SQLITE_OK);
    QCOMPARE(execElsewhere(path, "DELETE FROM tbl_Data"), SQLITE_BUSY);

    query.close();
    connection.close();
    QCOMPARE(execElsewhere(path, "DELETE FROM tbl_Data"), SQLITE_OK);
}

// Closing the connection under a query that is still reading must free everything once the
// query goes (the sanitizer run reports the handle otherwise) and release the file at the end.
void tst_SqliteConnection::closeWhileAStatementIsAlive()
{
    const QString path = FixtureDb::create(m_dir.filePath(QStringLiteral("alive.db")), 60);
    {
        SqliteConnection connection;
        connection.setDatabase(QFile::encodeName(path));
        PoemQuery query(connection);
        query.addSql(PoemQuery::BaseStatement);
        QVERIFY(query.open()); // 50 of 60 rows read: the statement is still running
        connection.close();
        QVERIFY(!connection.isOpen());
    }
    QCOMPARE(execElsewhere(path, "DELETE FROM tbl_Data"), SQLITE_OK);
}

QTEST_GUILESS_MAIN(tst_SqliteConnection)
#include "tst_SqliteConnection.moc"
