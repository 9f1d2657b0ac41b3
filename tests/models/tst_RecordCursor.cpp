#include "FixtureDb.h"
#include "PoemQuery.h"
#include "PoemTableModel.h"
#include "RecordCursor.h"
#include "SqliteConnection.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The current record over the poem model: rows, BOF/EOF and notices after every kind of move,
// and what becomes of it when the result opens, closes or fails to fetch.
class tst_RecordCursor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rules_data();
    void rules();
    void closedResultIsInert();
    void everyOpenStartsOnTheFirstRow();
    void settingTheCurrentIndexMovesTheRecord();
    void failedFetchLeavesTheRecord_data();
    void failedFetchLeavesTheRecord();

private:
    QString database(int rows);
    void open(int rows, const QString &statement = PoemQuery::BaseStatement);
    QTemporaryDir m_dir;
    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<PoemQuery> m_query;
    std::unique_ptr<PoemTableModel> m_model;
    std::unique_ptr<QItemSelectionModel> m_selection;
    std::unique_ptr<RecordCursor> m_cursor;
    QStringList m_errors;
};

void tst_RecordCursor::init()
{
    m_errors.clear();
    m_connection = std::make_unique<SqliteConnection>();
    m_query = std::make_unique<PoemQuery>(*m_connection);
    m_query->addSql(PoemQuery::BaseStatement);
    m_model = std::make_unique<PoemTableModel>(m_query.get());
    new QAbstractItemModelTester(m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal, m_model.get());
    m_selection = std::make_unique<QItemSelectionModel>(m_model.get());
    m_cursor = std::make_unique<RecordCursor>(m_model.get(), m_selection.get());
    connect(m_cursor.get(), &RecordCursor::errorOccurred, this, [this](const QString &message) { m_errors << message; });
}

void tst_RecordCursor::cleanup()
{
    m_cursor.reset();
    m_selection.reset();
    m_model.reset();
    m_query.reset();
    m_connection.reset();
}

QString tst_RecordCursor::database(int rows)
{
    const QString path = m_dir.filePath(QStringLiteral("rows%1.db").arg(rows));
    if (!QFile::exists(path))
        FixtureDb::create(path, rows);
    return path;
}

void tst_RecordCursor::open(int rows, const QString &statement)
{
    m_connection->setDatabase(QFile::encodeName(database(rows)));
    m_query->clearSql();
    m_query->addSql(statement);
    QVERIFY2(m_query->open(), qPrintable(m_query->errorString()));
}

// Steps: F first, L last, N next, P prior, +d / -d move by d, =r move to row r (0-based).
static void apply(RecordCursor &cursor, const QString &step)
{
    if (step == QLatin1String("F"))
        cursor.first();
    else if (step == QLatin1String("L"))
        cursor.last();
    else if (step == QLatin1String("N"))
        cursor.next();
    else if (step == QLatin1String("P"))
        cursor.prior();
    else if (step.startsWith(QLatin1Char('=')))
        cursor.moveToRow(step.mid(1).toInt());
    else
        cursor.moveBy(step.toInt());
}

void tst_RecordCursor::rules_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("bof");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<int>("notices"); // changed() during the steps

    QTest::newRow("empty: open") << 0 << "" << -1 << true << true << 0;
    QTest::newRow("empty: every move does nothing") << 0 << "F L N P +3 -3 =1" << -1 << true << true << 0;
    QTest::newRow("one: open") << 1 << "" << 0 << true << false << 0;
    QTest::newRow("one: next sets EOF without moving") << 1 << "N" << 0 << false << true << 1;
    QTest::newRow("one: second next does nothing") << 1 << "N N" << 0 << false << true << 1;
    QTest::newRow("one: last") << 1 << "L" << 0 << false << true << 1;
    QTest::newRow("one: prior at open is blocked") << 1 << "P" << 0 << true << false << 0;
    QTest::newRow("two: next to last row keeps EOF off") << 2 << "N" << 1 << false << false << 1;
    QTest::newRow("two: next past the end sets EOF") << 2 << "N N" << 1 << false << true << 2;
    QTest::newRow("two: back to first keeps BOF off") << 2 << "N P" << 0 << false << false << 2;
    QTest::newRow("two: prior past the start sets BOF") << 2 << "N P P" << 0 << true << false << 3;
    QTest::newRow("two: first after last") << 2 << "L F" << 0 << true << false << 2;
    QTest::newRow("89: open") << 89 << "" << 0 << true << false << 0;
    QTest::newRow("89: last") << 89 << "L" << 88 << false << true << 1;
    QTest::newRow("89: next on last is blocked") << 89 << "L N" << 88 << false << true << 1;
    QTest::newRow("89: prior after last") << 89 << "L P" << 87 << false << false << 2;
    QTest::newRow("89: move by 24") << 89 << "+24" << 24 << false << false << 1;
    QTest::newRow("89: move past the end") << 89 << "+200" << 88 << false << true << 1;
    QTest::newRow("89: move before the start") << 89 << "+10 -30" << 0 << true << false << 2;
    QTest::newRow("89: move forward while EOF does nothing") << 89 << "L +5" << 88 << false << true << 1;
    QTest::newRow("89: move back while BOF does nothing") << 89 << "-5" << 0 << true << false << 0;
    QTest::newRow("89: move to row 59 fetches beyond the first batch") << 89 << "=59" << 59 << false << false << 1;
    QTest::newRow("89: move to row -1 gives the first row") << 89 << "+3 =-1" << 0 << false << false << 2;
    QTest::newRow("89: move beyond the end gives the last row") << 89 << "=500" << 88 << false << false << 1;
    QTest::newRow("89: move to own row clears BOF") << 89 << "=0" << 0 << false << false << 1;
    QTest::newRow("89: move to own row keeps EOF") << 89 << "L =88" << 88 << false << true << 1;
    QTest::newRow("89: move by zero does nothing") << 89 << "+0" << 0 << true << false << 0;
}

void tst_RecordCursor::rules()
{
    QFETCH(int, rows);
    QFETCH(QString, steps);
    open(rows);
    QCOMPARE(m_cursor->recordCount(), rows);

    QSignalSpy notices(m_cursor.get(), &RecordCursor::changed);
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        apply(*m_cursor, step);

    QTEST(m_cursor->row(), "row");
    QTEST(m_cursor->bof(), "bof");
    QTEST(m_cursor->eof(), "eof");
    QTEST(int(notices.count()), "notices");
    // The selection's current index is the record, in the title's column.
    const QModelIndex current = m_selection->currentIndex();
    QCOMPARE(current.row(), m_cursor->row());
    if (current.isValid()) {
        QCOMPARE(current.column(), int(PoemTableModel::Title));
        QCOMPARE(current.data().toString(), QStringLiteral("Cím %1").arg(current.row() + 1));
        QVERIFY(m_selection->isSelected(current));
    }
    QVERIFY(m_errors.isEmpty());
}

void tst_RecordCursor::closedResultIsInert()
{
    QSignalSpy notices(m_cursor.get(), &RecordCursor::changed);
    for (const char *step : {"F", "L", "N", "P", "+2", "=3"})
        apply(*m_cursor, QLatin1String(step));
    QCOMPARE(notices.count(), 0);
    QVERIFY(!m_cursor->isOpen());
    QCOMPARE(m_cursor->recordCount(), 0);
    QCOMPARE(m_cursor->row(), -1);
    QVERIFY(m_cursor->bof());
    QVERIFY(m_cursor->eof());
    QVERIFY(!m_selection->currentIndex().isValid());
}

// Open, close and reopen each reset the model; the record follows with one notice each.
void tst_RecordCursor::everyOpenStartsOnTheFirstRow()
{
    open(89);
    m_cursor->moveToRow(39);
    QSignalSpy notices(m_cursor.get(), &RecordCursor::changed);
    QSignalSpy rows(m_selection.get(), &QItemSelectionModel::currentRowChanged);
    m_query->close();
    QCOMPARE(notices.count(), 1);
    QCOMPARE(m_cursor->row(), -1);
    QVERIFY(m_cursor->bof() && m_cursor->eof());
    QVERIFY(m_query->open());
    QCOMPARE(notices.count(), 2);
    QCOMPARE(rows.count(), 1);
    QCOMPARE(m_cursor->row(), 0);
    QVERIFY(m_cursor->bof());
    QVERIFY(!m_cursor->eof());

    // A result without rows: no record, both flags.
    m_query->close();
    m_query->clearSql();
    m_query->addSql(QStringLiteral("Select * from tbl_Data where 0"));
    QVERIFY(m_query->open());
    QCOMPARE(m_cursor->row(), -1);
    QVERIFY(m_cursor->bof() && m_cursor->eof());
}

// A view or an assistive tool that sets the current index moves the record, flags cleared.
void tst_RecordCursor::settingTheCurrentIndexMovesTheRecord()
{
    open(89);
    QSignalSpy notices(m_cursor.get(), &RecordCursor::changed);
    m_selection->setCurrentIndex(m_model->index(70, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(m_cursor->row(), 70);
    QVERIFY(!m_cursor->bof());
    QVERIFY(!m_cursor->eof());
    QCOMPARE(notices.count(), 1);
    QCOMPARE(m_selection->currentIndex().data().toString(), QStringLiteral("Cím 71"));
    // Clearing it while there are rows puts the record back.
    m_selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    QCOMPARE(m_selection->currentIndex().row(), 70);
}

void tst_RecordCursor::failedFetchLeavesTheRecord_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("rowAfterwards");   // the same step once the failure has ended the result
    QTest::addColumn<bool>("eof");

    QTest::newRow("Last") << "L" << 58 << true;
    QTest::newRow("move by 70") << "+70" << 58 << true;
    QTest::newRow("move to row 70") << "=70" << 58 << false;
    QTest::newRow("current index set to row 70") << "select 70" << 58 << false;
}

// A statement whose 60th row fails to compute: the move that needs it fails and is reported
// once; the record stays. The rows read before the failure are then the whole result.
void tst_RecordCursor::failedFetchLeavesTheRecord()
{
    QFETCH(QString, step);
    QFETCH(int, rowAfterwards);
    QFETCH(bool, eof);
    open(89, QStringLiteral("Select *, CASE WHEN AZ = 60 THEN abs(-9223372036854775807 - 1) END AS X from tbl_Data"));
    QCOMPARE(m_cursor->recordCount(), 89);
    const auto perform = [&] {
        if (step.startsWith(QLatin1String("select ")))
            m_selection->setCurrentIndex(m_model->index(step.mid(7).toInt(), 0), QItemSelectionModel::ClearAndSelect);
        else
            apply(*m_cursor, step);
    };
    QSignalSpy notices(m_cursor.get(), &RecordCursor::changed);
    perform();
    QCOMPARE(m_errors, QStringList{QStringLiteral("integer overflow")});
    QCOMPARE(m_cursor->row(), 0);
    QCOMPARE(m_selection->currentIndex().row(), 0);
    QCOMPARE(notices.count(), 0);

    perform();
    QCOMPARE(m_cursor->row(), rowAfterwards);
    QCOMPARE(m_cursor->eof(), eof);
    QVERIFY(!m_cursor->bof());
    QCOMPARE(m_selection->currentIndex().data().toString(), QStringLiteral("Cím %1").arg(rowAfterwards + 1));
    QCOMPARE(m_errors.size(), 1);
}

QTEST_GUILESS_MAIN(tst_RecordCursor)
#include "tst_RecordCursor.moc"
