#include "DatabaseError.h"
#include "FixtureDb.h"
#include "PoemQuery.h"
#include "SqliteConnection.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

// The cursor of the poem query: positions, BOF/EOF and notices after every kind of move.
class tst_PoemQuery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cursorRules_data();
    void cursorRules();
    void closedQueryIsInert();
    void reopenReturnsToFirstRow();
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

// Steps: F first, L last, N next, P prior, +d / -d move by d, =p move to position p.
static void apply(PoemQuery &q, const QString &step)
{
    if (step == QLatin1String("F"))
        q.first();
    else if (step == QLatin1String("L"))
        q.last();
    else if (step == QLatin1String("N"))
        q.next();
    else if (step == QLatin1String("P"))
        q.prior();
    else if (step.startsWith(QLatin1Char('=')))
        q.setRecNo(step.mid(1).toInt());
    else
        q.moveBy(step.toInt());
}

void tst_PoemQuery::cursorRules_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("recNo");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<int>("notices"); // currentChanged during the steps

    QTest::newRow("empty: open") << 0 << "" << 0 << true << true << 0;
    QTest::newRow("empty: every move does nothing") << 0 << "F L N P +3 -3 =2" << 0 << true << true << 0;
    QTest::newRow("one: open") << 1 << "" << 1 << true << false << 0;
    QTest::newRow("one: next sets EOF without moving") << 1 << "N" << 1 << false << true << 1;
    QTest::newRow("one: second next does nothing") << 1 << "N N" << 1 << false << true << 1;
    QTest::newRow("one: last") << 1 << "L" << 1 << false << true << 1;
    QTest::newRow("one: prior at open is blocked") << 1 << "P" << 1 << true << false << 0;
    QTest::newRow("two: next to last row keeps EOF off") << 2 << "N" << 2 << false << false << 1;
    QTest::newRow("two: next past the end sets EOF") << 2 << "N N" << 2 << false << true << 2;
    QTest::newRow("two: back to first keeps BOF off") << 2 << "N P" << 1 << false << false << 2;
    QTest::newRow("two: prior past the start sets BOF") << 2 << "N P P" << 1 << true << false << 3;
    QTest::newRow("two: first after last") << 2 << "L F" << 1 << true << false << 2;
    QTest::newRow("89: open") << 89 << "" << 1 << true << false << 0;
    QTest::newRow("89: last") << 89 << "L" << 89 << false << true << 1;
    QTest::newRow("89: next on last is blocked") << 89 << "L N" << 89 << false << true << 1;
    QTest::newRow("89: prior after last") << 89 << "L P" << 88 << false << false << 2;
    QTest::newRow("89: move by 24") << 89 << "+24" << 25 << false << false << 1;
    QTest::newRow("89: move past the end") << 89 << "+200" << 89 << false << true << 1;
    QTest::newRow("89: move before the start") << 89 << "+10 -30" << 1 << true << false << 2;
    QTest::newRow("89: move forward while EOF does nothing") << 89 << "L +5" << 89 << false << true << 1;
    QTest::newRow("89: move back while BOF does nothing") << 89 << "-5" << 1 << true << false << 0;
    QTest::newRow("89: move to 60 fetches beyond the first batch") << 89 << "=60" << 60 << false << false << 1;
    QTest::newRow("89: move to 0 gives the first row") << 89 << "+3 =0" << 1 << false << false << 2;
    QTest::newRow("89: move beyond the end gives the last row") << 89 << "=500" << 89 << false << false << 1;
    QTest::newRow("89: move to own position clears BOF") << 89 << "=1" << 1 << false << false << 1;
    QTest::newRow("89: move to own position keeps EOF") << 89 << "L =89" << 89 << false << true << 1;
    QTest::newRow("89: move by zero does nothing") << 89 << "+0" << 1 << true << false << 0;
}

void tst_PoemQuery::cursorRules()
{
    QFETCH(int, rows);
    QFETCH(QString, steps);
    m_connection->setDatabase(database(rows));
    m_query->open();
    QCOMPARE(m_query->recordCount(), rows);

    QSignalSpy notices(m_query.get(), &PoemQuery::currentChanged);
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        apply(*m_query, step);

    QTEST(m_query->recNo(), "recNo");
    QTEST(m_query->bof(), "bof");
    QTEST(m_query->eof(), "eof");
    QTEST(int(notices.count()), "notices");
    if (m_query->recNo() > 0)
        QCOMPARE(m_query->fieldText(QStringLiteral("CIM")), QStringLiteral("Cím %1").arg(m_query->recNo()));
    else
        QVERIFY(m_query->fieldValue(QStringLiteral("CIM")).isNull());
}

void tst_PoemQuery::closedQueryIsInert()
{
    m_connection->setDatabase(database(5));
    QSignalSpy notices(m_query.get(), &PoemQuery::currentChanged);
    for (const char *step : {"F", "L", "N", "P", "+2", "=3"})
        apply(*m_query, QLatin1String(step));
    QCOMPARE(notices.count(), 0);
    QCOMPARE(m_query->recordCount(), 0);
    QCOMPARE(m_query->recNo(), 0);
    QCOMPARE(m_query->fieldText(QStringLiteral("CIM")), QString());
    QVERIFY(m_query->value(1, QStringLiteral("CIM")).isNull());
}

void tst_PoemQuery::reopenReturnsToFirstRow()
{
    m_connection->setDatabase(database(89));
    m_query->open();
    m_query->setRecNo(40);
    QSignalSpy states(m_query.get(), &PoemQuery::stateChanged);
    m_query->close();
    QCOMPARE(m_query->recordCount(), 0);
    m_query->open();
    QCOMPARE(states.count(), 2);
    QCOMPARE(states.at(0).at(0).toBool(), false);
    QCOMPARE(states.at(1).at(0).toBool(), true);
    QCOMPARE(m_query->recNo(), 1);
    QVERIFY(m_query->bof());
    QCOMPARE(m_query->fieldValue(QStringLiteral("AZ")).toInt(), 1);
}

// Rows are read 50 at a time: the statement keeps running until the last batch.
void tst_PoemQuery::fetchesInBatches()
{
    m_connection->setDatabase(database(89));
    m_query->open();
    QCOMPARE(m_query->recordCount(), 89); // exact before all rows are read
    QCOMPARE(m_query->value(50, QStringLiteral("CIM")).toString(), QStringLiteral("Cím 50"));
    QCOMPARE(m_query->value(89, QStringLiteral("CIM")).toString(), QStringLiteral("Cím 89"));
    QVERIFY(m_query->value(90, QStringLiteral("CIM")).isNull());
    QCOMPARE(m_query->recNo(), 1); // reading rows does not move the cursor
}

void tst_PoemQuery::trailingControlCharactersAreTrimmed()
{
    const QString path = m_dir.filePath(QStringLiteral("edges.db"));
    FixtureDb::createWithTitles(path,
                                {QStringLiteral("cím \t\r\n"), QString(), QStringLiteral("\u00a0cím\u00a0")},
                                {QStringLiteral("\r\nvers\r\n\r\n"), QStringLiteral("   "), QStringLiteral("a\x01")});
    m_connection->setDatabase(path);
    m_query->open();
    QCOMPARE(m_query->fieldText(QStringLiteral("CIM")), QStringLiteral("cím"));
    QCOMPARE(m_query->fieldText(QStringLiteral("VERS")), QStringLiteral("\r\nvers"));
    m_query->next();
    const QVariant emptyTitle = m_query->fieldValue(QStringLiteral("CIM"));
    QVERIFY(!emptyTitle.isNull());
    QCOMPARE(emptyTitle.toString(), QString());
    QCOMPARE(m_query->fieldText(QStringLiteral("VERS")), QString());
    m_query->next();
    QCOMPARE(m_query->fieldText(QStringLiteral("CIM")), QStringLiteral("\u00a0cím\u00a0"));
    QCOMPARE(m_query->fieldText(QStringLiteral("VERS")), QStringLiteral("a"));
    QVERIFY(m_query->fieldValue(QStringLiteral("DATUM")).isNull());
    QCOMPARE(m_query->fieldValue(QStringLiteral("AZ")).typeId(), QMetaType::Int);
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
    m_connection->setDatabase(database(3));
    m_query->clearSql();
    m_query->addSql(statement);
    QSignalSpy states(m_query.get(), &PoemQuery::stateChanged);
    try {
        m_query->open();
        QFAIL("open succeeded");
    } catch (const DatabaseError &error) {
        QCOMPARE(error.message(), message);
    }
    QVERIFY(!m_query->isOpen());
    QCOMPARE(m_query->recordCount(), 0);
    QCOMPARE(states.count(), 0);
    // A later good statement works on the same connection.
    m_query->clearSql();
    m_query->addSql(PoemQuery::BaseStatement);
    m_query->open();
    QCOMPARE(m_query->recordCount(), 3);
}

void tst_PoemQuery::opensConnectionWhenClosed()
{
    QVERIFY(!m_connection->isOpen());
    try {
        m_query->open(); // no path yet: must fail, not create a database somewhere
        QFAIL("open without a path succeeded");
    } catch (const DatabaseError &error) {
        QCOMPARE(error.message(), QStringLiteral("unable to open database file"));
    }
    m_connection->setDatabase(database(2));
    m_query->open();
    QVERIFY(m_connection->isOpen());
    QCOMPARE(m_query->recordCount(), 2);
}

// A row that fails to compute must not make SQLite start the result over behind our back.
void tst_PoemQuery::rowErrorEndsTheResult()
{
    m_connection->setDatabase(database(89));
    m_query->clearSql();
    m_query->addSql(QStringLiteral(
        "Select *, CASE WHEN AZ = 60 THEN abs(-9223372036854775807 - 1) END AS X from tbl_Data"));
    m_query->open();
    QCOMPARE(m_query->recordCount(), 89);
    try {
        m_query->last();
        QFAIL("fetching past the failing row succeeded");
    } catch (const DatabaseError &error) {
        QCOMPARE(error.message(), QStringLiteral("integer overflow"));
    }
    QCOMPARE(m_query->recNo(), 1);
    m_query->last(); // nothing more to read: the rows before the failure stay as they were
    QCOMPARE(m_query->recNo(), 59);
    QCOMPARE(m_query->fieldValue(QStringLiteral("AZ")).toInt(), 59);
    QVERIFY(m_query->value(60, QStringLiteral("AZ")).isNull());
}

QTEST_GUILESS_MAIN(tst_PoemQuery)
#include "tst_PoemQuery.moc"
