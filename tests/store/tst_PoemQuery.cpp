#include "FixtureDb.h"
#include "PoemQuery.h"
#include "SqliteConnection.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

// The poem query as a result: opening and closing, counting, fetching in batches, values.
class tst_PoemQuery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void closedQueryIsInert();
    void reopenAnnouncesBothStates();
    void fetchesInBatches();
    void trailingControlCharactersAreTrimmed();
    void openFailuresLeaveQueryClosed_data();
    void openFailuresLeaveQueryClosed();
    void opensConnectionWhenClosed();
    void rowErrorEndsTheResult();

private:
    QString database(int rows);
    QTemporaryDir m_dir;
    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<PoemQuery> m_query;
};

void tst_PoemQuery::init()
{
    m_query.reset();
    m_connection = std::make_unique<SqliteConnection>();
    m_query = std::make_unique<PoemQuery>(*m_connection);
    m_query->addSql(PoemQuery::BaseStatement);
}

QString tst_PoemQuery::database(int rows)
{
    const QString path = m_dir.filePath(QStringLiteral("rows%1.db").arg(rows));
    if (!QFile::exists(path))
        FixtureDb::create(path, rows);
    return path;
}

void tst_PoemQuery::closedQueryIsInert()
{
    m_connection->setDatabase(QFile::encodeName(database(5)));
    QVERIFY(m_query->fetchUpTo(3));
    QCOMPARE(m_query->recordCount(), 0);
    QCOMPARE(m_query->fetchedCount(), 0);
    QVERIFY(m_query->value(0, 0).isNull());
}

void tst_PoemQuery::reopenAnnouncesBothStates()
{
    m_connection->setDatabase(QFile::encodeName(database(89)));
    QVERIFY(m_query->open());
    QVERIFY(m_query->fetchUpTo(60));
    QSignalSpy states(m_query.get(), &PoemQuery::stateChanged);
    m_query->close();
    QCOMPARE(m_query->recordCount(), 0);
    QVERIFY(m_query->open());
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(0).at(0).toBool(), false);
    QCOMPARE(states.at(1).at(0).toBool(), true);
    QCOMPARE(m_query->fetchedCount(), PoemQuery::BatchSize);
    QCOMPARE(m_query->value(0, m_query->fieldIndex(QStringLiteral("AZ"))).toInt(), 1);
}

// Rows are read 50 at a time: the statement keeps running until the last batch.
void tst_PoemQuery::fetchesInBatches()
{
    m_connection->setDatabase(QFile::encodeName(database(89)));
    QVERIFY(m_query->open());
    QCOMPARE(m_query->recordCount(), 89); // exact before all rows are read
    QCOMPARE(m_query->fetchedCount(), 50);
    const int title = m_query->fieldIndex(QStringLiteral("cim"));
    QCOMPARE(m_query->value(49, title).toString(), QStringLiteral("Cím 50"));
    QVERIFY(m_query->value(50, title).isNull()); // not fetched yet
    QVERIFY(m_query->fetchUpTo(51));
    QCOMPARE(m_query->fetchedCount(), 89);
    QCOMPARE(m_query->value(88, title).toString(), QStringLiteral("Cím 89"));
    QVERIFY(m_query->value(89, title).isNull());
}

void tst_PoemQuery::trailingControlCharactersAreTrimmed()
{
    const QString path = m_dir.filePath(QStringLiteral("edges.db"));
    FixtureDb::createWithTitles(path,
                                {QStringLiteral("cím \t\r\n"), QString(), QStringLiteral("\u00a0cím\u00a0")},
                                {QStringLiteral("\r\nvers\r\n\r\n"), QStringLiteral("   "), QStringLiteral("a\x01")});
    m_connection->setDatabase(QFile::encodeName(path));
    QVERIFY(m_query->open());
    const int title = m_query->fieldIndex(QStringLiteral("CIM"));
    const int text = m_query->fieldIndex(QStringLiteral("VERS"));
    QCOMPARE(m_query->value(0, title).toString(), QStringLiteral("cím"));
    QCOMPARE(m_query->value(0, text).toString(), QStringLiteral("\r\nvers"));
    const QVariant emptyTitle = m_query->value(1, title);
    QVERIFY(!emptyTitle.isNull());
    QCOMPARE(emptyTitle.toString(), QString());
    QCOMPARE(m_query->value(1, text).toString(), QString());
    QCOMPARE(m_query->value(2, title).toString(), QStringLiteral("\u00a0cím\u00a0"));
    QCOMPARE(m_query->value(2, text).toString(), QStringLiteral("a"));
    QVERIFY(m_query->value(2, m_query->fieldIndex(QStringLiteral("DATUM"))).isNull());
    QCOMPARE(m_query->value(2, m_query->fieldIndex(QStringLiteral("AZ"))).typeId(), QMetaType::Int);
}

void tst_PoemQuery::openFailuresLeaveQueryClosed_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such table") << "Select * from nincs" << "no such table: nincs";
    QTest::newRow("syntax error") << "Select * frm tbl_Data" << "near \"frm\": syntax error";
    QTest::newRow("empty statement") << "" << "bad parameter or other API misuse";
    QTest::newRow("text after a NUL") << QStringLiteral("Select * from tbl_Data") + QChar(0) + QStringLiteral(" where 0")
                                      << "statement contains a NUL character";
    QTest::newRow("a second statement") << "Select * from tbl_Data; Select 1" << "statement has more text after its end";
    QTest::newRow("pattern too complex")
        << QStringLiteral("Select * FROM tbl_Data WHERE CIM like '%1'").arg(QString(50001, QLatin1Char('x')))
        << "LIKE or GLOB pattern too complex";
}

void tst_PoemQuery::openFailuresLeaveQueryClosed()
{
    QFETCH(QString, statement);
    QFETCH(QString, message);
    m_connection->setDatabase(QFile::encodeName(database(3)));
    m_query->clearSql();
    m_query->addSql(statement);
    QSignalSpy states(m_query.get(), &PoemQuery::stateChanged);
    QVERIFY(!m_query->open());
    QCOMPARE(m_query->errorString(), message);
    QVERIFY(!m_query->isOpen());
    QCOMPARE(m_query->recordCount(), 0);
    QCOMPARE(states.count(), 0);
    // A later good statement works on the same connection.
    m_query->clearSql();
    m_query->addSql(PoemQuery::BaseStatement);
    QVERIFY(m_query->open());
    QCOMPARE(m_query->recordCount(), 3);
}

void tst_PoemQuery::opensConnectionWhenClosed()
{
    QVERIFY(!m_connection->isOpen());
    QVERIFY(!m_query->open()); // no path yet: must fail, not create a database somewhere
    QCOMPARE(m_query->errorString(), QStringLiteral("unable to open database file"));
    m_connection->setDatabase(QFile::encodeName(database(2)));
    QVERIFY(m_query->open());
    QVERIFY(m_connection->isOpen());
    QCOMPARE(m_query->recordCount(), 2);
}

// A row that fails to compute must not make SQLite start the result over behind our back.
void tst_PoemQuery::rowErrorEndsTheResult()
{
    m_connection->setDatabase(QFile::encodeName(database(89)));
    m_query->clearSql();
    m_query->addSql(QStringLiteral(
        "Select *, CASE WHEN AZ = 60 THEN abs(-9223372036854775807 - 1) END AS X from tbl_Data"));
    QVERIFY(m_query->open());
    QCOMPARE(m_query->recordCount(), 89);
    QCOMPARE(m_query->readableCount(), 89);
    QVERIFY(!m_query->fetchUpTo(89));
    QCOMPARE(m_query->errorString(), QStringLiteral("integer overflow"));
    QVERIFY(m_query->fetchUpTo(89)); // nothing more to read: the rows before the failure stay as they were
    QCOMPARE(m_query->fetchedCount(), 59);
    QCOMPARE(m_query->readableCount(), 59);
    const int key = m_query->fieldIndex(QStringLiteral("AZ"));
    QCOMPARE(m_query->value(58, key).toInt(), 59);
    QVERIFY(m_query->value(59, key).isNull());
}

QTEST_GUILESS_MAIN(tst_PoemQuery)
#include "tst_PoemQuery.moc"
