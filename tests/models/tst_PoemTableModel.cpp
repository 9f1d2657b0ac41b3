#include "FixtureDb.h"
#include "PoemQuery.h"
#include "PoemTableModel.h"
#include "SqliteConnection.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <memory>

// The poem query as a Qt table model: Qt's model tester watches it through everything the
// program does to the query, and the rows and values are the query's own, read when asked.
class tst_PoemTableModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void throughTheQuerysLife();
    void rowsAndValues_data();
    void rowsAndValues();
    void resetsBracketTheChange_data();
    void resetsBracketTheChange();
    void rowsPastTheFirstBatchAreReadWhenAsked();
    void statementWithoutAFieldLeavesItsColumnEmpty();
    void headerTitles();

private:
    void open(int rows, const QString &statement = PoemQuery::BaseStatement);

    QTemporaryDir m_dir;
    QHash<int, QString> m_databases;
    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<PoemQuery> m_query;
    std::unique_ptr<PoemTableModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_PoemTableModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (int rows : {0, 1, 89})
        m_databases[rows] = FixtureDb::create(m_dir.filePath(QStringLiteral("rows%1.db").arg(rows)), rows);
}

// Every test runs under the tester, in the mode that stops at the first fault it sees.
void tst_PoemTableModel::init()
{
    m_connection = std::make_unique<SqliteConnection>();
    m_query = std::make_unique<PoemQuery>(*m_connection);
    m_query->addSql(PoemQuery::BaseStatement);
    m_model = std::make_unique<PoemTableModel>(m_query.get());
    m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
}

void tst_PoemTableModel::cleanup()
{
    m_tester.reset();
    m_model.reset();
    m_query.reset();
    m_connection.reset();
}

// rows < 0 leaves the query closed.
void tst_PoemTableModel::open(int rows, const QString &statement)
{
    if (rows < 0)
        return;
    m_connection->setDatabase(QFile::encodeName(m_databases.value(rows)));
    m_query->close();
    m_query->clearSql();
    m_query->addSql(statement);
    m_query->open();
}

// What the program does, in its order: start-up, moves, a search, the reset to every poem, the
// detail window's Last, the close at exit, and a query that goes away under the model.
void tst_PoemTableModel::throughTheQuerysLife()
{
    QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);
    QCOMPARE(m_model->rowCount(), 0);

    open(89);
    QCOMPARE(m_model->rowCount(), 89);
    QVERIFY(m_model->fetchUpTo(59));

    m_query->close();
    m_query->clearSql();
    m_query->addSql(QStringLiteral("Select * from tbl_Data where AZ % 10 = 3"));
    m_query->open();
    QCOMPARE(m_model->rowCount(), 9);
    QCOMPARE(m_model->index(8, PoemTableModel::Title).data().toString(), QStringLiteral("Cím 83"));

    m_query->close();
    m_query->clearSql();
    m_query->addSql(PoemQuery::BaseStatement);
    m_query->open();
    QCOMPARE(m_model->rowCount(), 89);

    // Reading every row fetches the batches behind the first one; the rows stay the same rows.
    for (int row = 0; row < 89; ++row)
        QCOMPARE(m_model->index(row, PoemTableModel::Title).data().toString(), QStringLiteral("Cím %1").arg(row + 1));
    QVERIFY(m_model->fetchUpTo(INT_MAX));
    QCOMPARE(m_model->rowCount(), 89);

    m_query->close();
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(resets.count(), 6);

    open(1);
    m_query.reset();
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(resets.count(), 8);
    QVERIFY(!m_model->index(0, 0).isValid());
}

void tst_PoemTableModel::rowsAndValues_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("rowCount");

    QTest::newRow("closed") << -1 << 0;
    QTest::newRow("no records") << 0 << 0;
    QTest::newRow("one record") << 1 << 1;
    QTest::newRow("every poem") << 89 << 89;
}

void tst_PoemTableModel::rowsAndValues()
{
    QFETCH(int, rows);
    QFETCH(int, rowCount);
    open(rows);
    QCOMPARE(m_model->rowCount(), rowCount);
    QCOMPARE(m_model->columnCount(), 3);
    QCOMPARE(m_query->recordCount(), rowCount);
    for (int row = 0; row < rowCount; ++row) {
        const QModelIndex title = m_model->index(row, PoemTableModel::Title);
        const QVariant shown = title.data();   // fetches the row's batch
        QCOMPARE(shown, m_query->value(row, m_query->fieldIndex(QStringLiteral("CIM"))));
        QCOMPARE(title.data(Qt::EditRole).toString(), QStringLiteral("Cím %1").arg(row + 1));
        QCOMPARE(m_model->index(row, PoemTableModel::Text).data().toString(),
                 QStringLiteral("Cím %1\r\n\r\nVers %1. sora").arg(row + 1));
        // NULL stays NULL: a view shows it empty, a mapper writes the empty text.
        QVERIFY(!m_model->index(row, PoemTableModel::Date).data().isValid());
        // Read-only: no view may edit a record.
        QVERIFY(!(title.flags() & Qt::ItemIsEditable));
        QVERIFY(title.flags() & Qt::ItemIsSelectable);
        QVERIFY(!m_model->setData(title, QStringLiteral("más")));
    }
    QVERIFY(!m_model->index(rowCount, 0).isValid());
    QVERIFY(!m_model->index(0, 3).isValid());
}

// Views see the old result up to the moment it goes and the new one from the moment it is there.
void tst_PoemTableModel::resetsBracketTheChange_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("resets");

    QTest::newRow("open") << -1 << "open" << 0 << 89 << 1;
    QTest::newRow("close") << 89 << "close" << 89 << 0 << 1;
    QTest::newRow("a search: close, then open") << 89 << "search" << 89 << 0 << 2;
    QTest::newRow("a failing open changes nothing") << -1 << "failing open" << 0 << 0 << 0;
    QTest::newRow("closing a closed query changes nothing") << -1 << "close" << 0 << 0 << 0;
    QTest::newRow("fetching every row is no reset") << 89 << "move" << 89 << 89 << 0;
}

void tst_PoemTableModel::resetsBracketTheChange()
{
    QFETCH(int, rows);
    QFETCH(QString, change);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(int, resets);
    open(rows);
    m_connection->setDatabase(QFile::encodeName(m_databases.value(89)));

    QList<int> seenBefore;
    QList<int> seenAfter;
    connect(m_model.get(), &QAbstractItemModel::modelAboutToBeReset, this,
            [&] { seenBefore << m_model->rowCount(); });
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, [&] { seenAfter << m_model->rowCount(); });
    if (change == QLatin1String("open")) {
        m_query->open();
    } else if (change == QLatin1String("close")) {
        m_query->close();
    } else if (change == QLatin1String("search")) {
        m_query->close();
        m_query->clearSql();
        m_query->addSql(QStringLiteral("Select * from tbl_Data where 0"));
        m_query->open();
    } else if (change == QLatin1String("failing open")) {
        m_query->clearSql();
        m_query->addSql(QStringLiteral("Select * from nincs"));
        QVERIFY(!m_query->open());
    } else {
        QVERIFY(m_model->fetchUpTo(INT_MAX));
    }
    QCOMPARE(seenBefore.size(), resets);
    QCOMPARE(seenAfter.size(), resets);
    if (resets) {
        QCOMPARE(seenBefore.first(), before);
        QCOMPARE(seenAfter.last(), after);
    }
    QCOMPARE(m_model->rowCount(), after);
}

// The model counts every record from the open on but reads no row before a view asks for it:
// a statement whose 51st row fails to compute opens, and its first batch reads without fault.
void tst_PoemTableModel::rowsPastTheFirstBatchAreReadWhenAsked()
{
    open(89, QStringLiteral("Select *, CASE WHEN AZ = 51 THEN abs(-9223372036854775807 - 1) END AS X from tbl_Data"));
    QCOMPARE(m_model->rowCount(), 89);
    for (int row = 0; row < PoemQuery::BatchSize; ++row)
        QCOMPARE(m_model->index(row, PoemTableModel::Title).data().toString(), QStringLiteral("Cím %1").arg(row + 1));

    // The fault comes with the first read of row 51, and no exception leaves the model.
    QVERIFY(!m_model->index(50, PoemTableModel::Title).data().isValid());
    QVERIFY(!m_model->index(88, PoemTableModel::Title).data().isValid());
    QCOMPARE(m_model->index(49, PoemTableModel::Title).data().toString(), QStringLiteral("Cím 50"));
    QCOMPARE(m_model->rowCount(), 89);
    // The failure ended the result after the rows read before it, and the model says why.
    QCOMPARE(m_model->readableRowCount(), 50);
    QCOMPARE(m_model->errorString(), QStringLiteral("integer overflow"));
}

void tst_PoemTableModel::statementWithoutAFieldLeavesItsColumnEmpty()
{
    open(89, QStringLiteral("Select AZ, CIM from tbl_Data"));
    QCOMPARE(m_model->columnCount(), 3);
    QCOMPARE(m_model->index(4, PoemTableModel::Title).data().toString(), QStringLiteral("Cím 5"));
    QVERIFY(!m_model->index(4, PoemTableModel::Text).data().isValid());

    // The next open finds the fields anew.
    open(89);
    QVERIFY(m_model->index(4, PoemTableModel::Text).data().toString().startsWith(QStringLiteral("Cím 5\r\n")));
}

void tst_PoemTableModel::headerTitles()
{
    QCOMPARE(m_model->headerData(PoemTableModel::Title, Qt::Horizontal).toString(), QStringLiteral("Cím"));
    QCOMPARE(PoemTableModel::fieldName(PoemTableModel::Title), QStringLiteral("CIM"));

    QSignalSpy changes(m_model.get(), &QAbstractItemModel::headerDataChanged);
    QVERIFY(m_model->setHeaderData(PoemTableModel::Title, Qt::Horizontal, QStringLiteral("Versek címe")));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(m_model->headerData(PoemTableModel::Title, Qt::Horizontal).toString(), QStringLiteral("Versek címe"));
    // The title outlives the query's opening and closing.
    open(1);
    m_query->close();
    QCOMPARE(m_model->headerData(PoemTableModel::Title, Qt::Horizontal).toString(), QStringLiteral("Versek címe"));
    QVERIFY(!m_model->setHeaderData(3, Qt::Horizontal, QStringLiteral("x")));
    QVERIFY(!m_model->setHeaderData(0, Qt::Vertical, QStringLiteral("x")));
}

QTEST_GUILESS_MAIN(tst_PoemTableModel)
#include "tst_PoemTableModel.moc"
