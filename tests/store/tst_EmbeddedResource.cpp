#include "EmbeddedResource.h"
#include "FixtureDb.h"

#include <QFile>
#include <QTest>

// The poem database carried in the program, found by name whatever its case.
class tst_EmbeddedResource : public QObject
{
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void bytesEqualTheCommittedFile();
};

void tst_EmbeddedResource::find_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::newRow("as the program asks") << "Resource_1" << true;
    QTest::newRow("as it is stored") << "RESOURCE_1" << true;
    QTest::newRow("lower case") << "resource_1" << true;
    QTest::newRow("other name") << "Resource_2" << false;
    QTest::newRow("prefix only") << "Resource_" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_EmbeddedResource::find()
{
    QFETCH(QString, name);
    EmbeddedResource item = EmbeddedResource::find(name);
    QTEST(item.isValid(), "found");
    item.release();
    QVERIFY(!item.isValid());
    QCOMPARE(item.bytes().size(), 0);
}

void tst_EmbeddedResource::bytesEqualTheCommittedFile()
{
    QFile file(FixtureDb::shippedDatabase());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray committed = file.readAll();
    const EmbeddedResource item = EmbeddedResource::find(QStringLiteral("Resource_1"));
    QVERIFY(item.isValid());
    QCOMPARE(item.bytes().size(), committed.size());
    QVERIFY(item.bytes() == QByteArrayView(committed));
}

QTEST_APPLESS_MAIN(tst_EmbeddedResource)
#include "tst_EmbeddedResource.moc"
