#include "FixtureDb.h"
#include "PoemQuery.h"
#include "SearchStatement.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"

#include <QTemporaryDir>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <memory>

// A statement reaches SQLite with the shape its text has: no character inside a literal, however
// malformed, may end the literal early. A lone UTF-16 surrogate used to, since SQLite's own
// UTF-16 reader joins it with the unit that follows, a closing quote included.
class tst_SqliteStatement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void literalKeepsItsShape_data();
    void literalKeepsItsShape();
    void searchFindsWhatTheBoundPatternFinds_data();
    void searchFindsWhatTheBoundPatternFinds();

private:
    QTemporaryDir m_dir;
    SqliteConnection m_connection;
};

namespace {
const QChar High(0xD800);
const QChar Low(0xDC00);

// The text as SQLite can hold it: every lone surrogate becomes Qt's replacement for it.
QString repaired(const QString &text)
{
    return QString::fromUtf8(text.toUtf8());
}
} // namespace

void tst_SqliteStatement::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QStringList titles = {QStringLiteral("Alma"), QStringLiteral("Körte"), QStringLiteral("Szilva")};
    m_connection.setDatabase(QFile::encodeName(FixtureDb::createWithTitles(m_dir.filePath(QStringLiteral("three.db")), titles)));
    QVERIFY(m_connection.open());
}

void tst_SqliteStatement::literalKeepsItsShape_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("lone high surrogate before the closing quote") << QString(High);
    QTest::newRow("lone low surrogate before the closing quote") << QString(Low);
    QTest::newRow("lone high surrogate before a doubled quote") << High + QStringLiteral("'x");
    QTest::newRow("lone low surrogate before a doubled quote") << Low + QStringLiteral("'x");
    QTest::newRow("two high surrogates in a row") << QString(High) + High + QStringLiteral("'");
    QTest::newRow("low before high, then a quote") << QString(Low) + High + QStringLiteral("'");
    QTest::newRow("a pair stays one character") << QStringLiteral("\U0001F600'\U0001F600");
    QTest::newRow("SQL after a swallowed quote") << High + QStringLiteral("', 'injected");
}

// The literal comes back as one value, the column after it still comes after it.
void tst_SqliteStatement::literalKeepsItsShape()
{
    QFETCH(QString, text);
    SqliteStatement st(m_connection.handle(),
                       QStringLiteral("SELECT ") + SearchStatement::quoted(text) + QStringLiteral(", 'after'"));
    QVERIFY2(st.isValid(), qPrintable(st.errorString()));
    QCOMPARE(st.columnCount(), 2);
    QVERIFY(st.step());
    const auto column = [&](int c) {
        return QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_text16(st.handle(), c)),
                                  sqlite3_column_bytes16(st.handle(), c) / 2);
    };
    QCOMPARE(column(0), repaired(text));
    QCOMPARE(column(1), QStringLiteral("after"));
    QVERIFY(!st.step());
}

void tst_SqliteStatement::searchFindsWhatTheBoundPatternFinds_data()
{
    QTest::addColumn<QString>("phrase");

    QTest::newRow("a quote after a lone surrogate cannot open the search to every poem")
        << High + QStringLiteral("' or 1=1 or CIM like '");
    QTest::newRow("a quote after a lone low surrogate") << Low + QStringLiteral("' or 1 or '");
    QTest::newRow("a lone surrogate at the end") << QStringLiteral("Alma") + High;
    QTest::newRow("plain phrase") << QStringLiteral("rte");
}

// The search statement finds exactly the rows that its pattern, bound as a parameter, finds.
void tst_SqliteStatement::searchFindsWhatTheBoundPatternFinds()
{
    QFETCH(QString, phrase);
    const QByteArray pattern = SearchStatement::pattern(phrase).toUtf8();
    SqliteStatement reference(m_connection.handle(),
                              QStringLiteral("SELECT AZ FROM tbl_Data WHERE CIM LIKE ?1 OR DATUM LIKE ?1 OR VERS LIKE ?1"));
    QCOMPARE(sqlite3_bind_text(reference.handle(), 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT),
             SQLITE_OK);
    QList<int> expected;
    while (reference.step())
        expected << sqlite3_column_int(reference.handle(), 0);

    PoemQuery query(m_connection);
    query.addSql(SearchStatement::forPhrase(phrase));
    QVERIFY2(query.open(), qPrintable(query.errorString()));
    QVERIFY(query.fetchUpTo(query.recordCount()));
    QList<int> found;
    for (int row = 0; row < query.recordCount(); ++row)
        found << query.value(row, query.fieldIndex(QStringLiteral("AZ"))).toInt();
    QCOMPARE(found, expected);
}

QTEST_GUILESS_MAIN(tst_SqliteStatement)
#include "tst_SqliteStatement.moc"
