#include "FieldColumnProxy.h"
#include "FixtureDb.h"
#include "PoemQuery.h"
#include "PoemTableModel.h"
#include "SqliteConnection.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// One field of the poem model as a view's only column: the same rows, in the same order,
// through every reset; Qt's model tester watches the proxy throughout.
class tst_FieldColumnProxy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void field_data();
    void field();
    void followsResets();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SqliteConnection> m_connection;
    std::unique_ptr<PoemQuery> m_query;
    std::unique_ptr<PoemTableModel> m_model;
    std::unique_ptr<FieldColumnProxy> m_proxy;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_FieldColumnProxy::init()
{
    m_connection = std::make_unique<SqliteConnection>();
    m_connection->setDatabase(FixtureDb::create(m_dir.filePath(QStringLiteral("rows.db")), 60));
    m_query = std::make_unique<PoemQuery>(*m_connection);
    m_query->addSql(PoemQuery::BaseStatement);
    m_model = std::make_unique<PoemTableModel>(m_query.get());
    m_proxy = std::make_unique<FieldColumnProxy>();
    m_proxy->setSourceModel(m_model.get());
    m_tester = std::make_unique<QAbstractItemModelTester>(m_proxy.get(),
                                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
}

void tst_FieldColumnProxy::cleanup()
{
    m_tester.reset();
    m_proxy.reset();
    m_model.reset();
    m_query.reset();
    m_connection.reset();
}

void tst_FieldColumnProxy::field_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("title");

    QTest::newRow("the title field") << "CIM" << 1 << "Cím";
    QTest::newRow("any case") << "vers" << 1 << "Vers";
    QTest::newRow("no field") << "" << 0 << "";
    QTest::newRow("a field that is no column") << "AZ" << 0 << "";
}

void tst_FieldColumnProxy::field()
{
    QFETCH(QString, field);
    QFETCH(int, columns);
    QFETCH(QString, title);
    m_query->open();
    m_proxy->setFieldName(field);
    QCOMPARE(m_proxy->fieldName(), field);
    QCOMPARE(m_proxy->columnCount(), columns);
    QCOMPARE(m_proxy->rowCount(), 60);
    if (!columns)
        return;
    QCOMPARE(m_proxy->headerData(0, Qt::Horizontal).toString(), title);
    const int source = PoemTableModel::columnOf(field);
    for (int row : {0, 49, 50, 59})
        QCOMPARE(m_proxy->index(row, 0).data(), m_model->index(row, source).data());

    // Back to another field: the column changes, the rows stay.
    m_proxy->setFieldName(QStringLiteral("CIM"));
    QCOMPARE(m_proxy->columnCount(), 1);
    QCOMPARE(m_proxy->index(59, 0).data().toString(), QStringLiteral("Cím 60"));
}

void tst_FieldColumnProxy::followsResets()
{
    m_proxy->setFieldName(QStringLiteral("CIM"));
    QCOMPARE(m_proxy->rowCount(), 0);
    QCOMPARE(m_proxy->columnCount(), 1);   // the column stays while the query is closed
    m_query->open();
    QCOMPARE(m_proxy->rowCount(), 60);
    m_query->close();
    m_query->clearSql();
    m_query->addSql(QStringLiteral("Select * from tbl_Data where AZ > 57"));
    m_query->open();
    QCOMPARE(m_proxy->rowCount(), 3);
    QCOMPARE(m_proxy->index(0, 0).data().toString(), QStringLiteral("Cím 58"));
    m_query->close();
    QCOMPARE(m_proxy->rowCount(), 0);
    QCOMPARE(m_proxy->columnCount(), 1);
}

QTEST_GUILESS_MAIN(tst_FieldColumnProxy)
#include "tst_FieldColumnProxy.moc"
