// Checks the committed poem database byte by byte and figure by figure: the
// views, the search and the embedding all rely on its exact layout and text
// conventions, and tools/poemdb/make_poemdb.py must keep producing them.

#include "FixtureDb.h"
#include "PoemTableSql.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <sqlite3.h>

namespace {

constexpr int PageSize = 4096;
constexpr int ExpectedPages = 68;
constexpr qint64 FirstKey = 782;
constexpr qint64 LastKey = 870;
constexpr QChar Nbsp(0x00A0);

// The one definition the generator writes and the store accepts.
const char *const TableSql = PoemTableSql::CreateStatement;

struct Poem
{
    qint64 rowid = 0;
    qint64 key = 0;
    int titleType = 0;
    int textType = 0;
    int dateType = 0;
    int photoType = 0;
    QByteArray titleBytes;
    QByteArray textBytes;
    QString title;
    QString text;
    QStringList lines;
};

// Owns one prepared statement on a read-only connection.
class Query
{
public:
    Query(sqlite3 *db, const char *sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            qFatal("cannot prepare %s: %s", sql, sqlite3_errmsg(db));
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    bool next() { return sqlite3_step(m_stmt) == SQLITE_ROW; }
    qint64 integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    int type(int col) const { return sqlite3_column_type(m_stmt, col); }
    QByteArray bytes(int col) const
    {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, col));
        return QByteArray(data, sqlite3_column_bytes(m_stmt, col));
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

int leadingNbsp(const QString &line)
{
    int n = 0;
    while (n < line.size() && line.at(n) == Nbsp)
        ++n;
    return n;
}

QString describe(QChar c)
{
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

class tst_PoemDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void headerFields_data();
    void headerFields();
    void headerStringAndReservedArea();
    void pageCount();
    void integrityAndFreePages();
    void schemaTable();
    void sequenceTable();
    void keysInScanOrder();
    void unusedColumnsAreNull();
    void textIsValidUtf8();
    void figures_data();
    void figures();
    void onlyCrLfLineBreaks();
    void titleOpensEveryPoem();
    void oneTitleSharedByTwoPoems();
    void titlesAndTextsEndVisibly();
    void indentation();
    void characterRepertoire();
    void requiredCharacters_data();
    void requiredCharacters();

private:
    qint64 figure(const QString &name) const { return m_figures.value(name, -1); }
    quint32 headerValue(int offset, int width) const;

    QByteArray m_file;
    sqlite3 *m_db = nullptr;
    QList<Poem> m_poems;
    QMap<QString, qint64> m_figures;
    QMap<int, int> m_indentRuns;
};

void tst_PoemDatabase::initTestCase()
{
    QFile file(FixtureDb::shippedDatabase());
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    m_file = file.readAll();
    QVERIFY(m_file.size() >= 100);

    const QByteArray path = file.fileName().toUtf8();
    QCOMPARE(sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);

    Query rows(m_db, "SELECT rowid, AZ, CIM, VERS, DATUM, FOTO FROM tbl_Data");
    while (rows.next()) {
        Poem p;
        p.rowid = rows.integer(0);
        p.key = rows.integer(1);
        p.titleType = rows.type(2);
        p.textType = rows.type(3);
        p.dateType = rows.type(4);
        p.photoType = rows.type(5);
        p.titleBytes = rows.bytes(2);
        p.textBytes = rows.bytes(3);
        p.title = QString::fromUtf8(p.titleBytes);
        p.text = QString::fromUtf8(p.textBytes);
        p.lines = p.text.split(QStringLiteral("\r\n"));
        m_poems << p;
    }
    QVERIFY(!m_poems.isEmpty());

    qint64 chars = 0, separators = 0, lines = 0, empties = 0, oneEmpty = 0, innerNbsp = 0;
    qint64 titleFirst = 0, emptyFirst = 0, spaceLed = 0;
    qint64 minChars = LLONG_MAX, maxChars = 0, minBytes = LLONG_MAX, maxBytes = 0;
    qint64 minLines = LLONG_MAX, maxLines = 0, longestLine = 0;
    qint64 minTitle = LLONG_MAX, maxTitle = 0;
    for (const Poem &p : std::as_const(m_poems)) {
        chars += p.text.size();
        separators += p.text.count(QStringLiteral("\r\n"));
        lines += p.lines.size();
        minChars = qMin<qint64>(minChars, p.text.size());
        maxChars = qMax<qint64>(maxChars, p.text.size());
        minBytes = qMin<qint64>(minBytes, p.textBytes.size());
        maxBytes = qMax<qint64>(maxBytes, p.textBytes.size());
        minLines = qMin<qint64>(minLines, p.lines.size());
        maxLines = qMax<qint64>(maxLines, p.lines.size());
        minTitle = qMin<qint64>(minTitle, p.title.size());
        maxTitle = qMax<qint64>(maxTitle, p.title.size());
        if (p.lines.size() >= 2 && p.lines.at(0) == p.title && p.lines.at(1).isEmpty())
            ++titleFirst;
        if (p.lines.size() >= 2 && p.lines.at(0).isEmpty() && p.lines.at(1) == p.title)
            ++emptyFirst;
        int emptyHere = 0;
        for (const QString &line : p.lines) {
            if (line.isEmpty())
                ++emptyHere;
            longestLine = qMax<qint64>(longestLine, line.size());
            const int run = leadingNbsp(line);
            if (run > 0)
                ++m_indentRuns[run];
            innerNbsp += line.mid(run).count(Nbsp);
            if (line.startsWith(QLatin1Char(' ')))
                ++spaceLed;
        }
        empties += emptyHere;
        if (emptyHere == 1 && p.lines.size() >= 2 && p.lines.at(1).isEmpty())
            ++oneEmpty;
    }
    m_figures = {
        {QStringLiteral("rows"), m_poems.size()},
        {QStringLiteral("characters"), chars},
        {QStringLiteral("separators"), separators},
        {QStringLiteral("lines"), lines},
        {QStringLiteral("empty lines"), empties},
        {QStringLiteral("poems whose one empty line follows the title"), oneEmpty},
        {QStringLiteral("poems opening with title, empty line"), titleFirst},
        {QStringLiteral("poems opening with empty line, title"), emptyFirst},
        {QStringLiteral("shortest text"), minChars},
        {QStringLiteral("longest text"), maxChars},
        {QStringLiteral("shortest text bytes"), minBytes},
        {QStringLiteral("longest text bytes"), maxBytes},
        {QStringLiteral("fewest lines"), minLines},
        {QStringLiteral("most lines"), maxLines},
        {QStringLiteral("longest line"), longestLine},
        {QStringLiteral("inner nbsp"), innerNbsp},
        {QStringLiteral("shortest title"), minTitle},
        {QStringLiteral("longest title"), maxTitle},
        {QStringLiteral("space-led lines"), spaceLed},
    };
}

void tst_PoemDatabase::cleanupTestCase()
{
    sqlite3_close(m_db);
}

quint32 tst_PoemDatabase::headerValue(int offset, int width) const
{
    const auto *p = reinterpret_cast<const uchar *>(m_file.constData()) + offset;
    switch (width) {
    case 1: return *p;
    case 2: return qFromBigEndian<quint16>(p);
    default: return qFromBigEndian<quint32>(p);
    }
}

void tst_PoemDatabase::headerFields_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("page size") << 16 << 2 << quint32(PageSize);
    QTest::newRow("write version: rollback journal") << 18 << 1 << 1u;
    QTest::newRow("read version: rollback journal") << 19 << 1 << 1u;
    QTest::newRow("reserved bytes per page") << 20 << 1 << 0u;
    QTest::newRow("max embedded payload fraction") << 21 << 1 << 64u;
    QTest::newRow("min embedded payload fraction") << 22 << 1 << 32u;
    QTest::newRow("leaf payload fraction") << 23 << 1 << 32u;
    QTest::newRow("file change counter") << 24 << 4 << 364u;
    QTest::newRow("first freelist trunk page") << 32 << 4 << 0u;
    QTest::newRow("freelist page count") << 36 << 4 << 0u;
    QTest::newRow("schema cookie") << 40 << 4 << 14u;
    QTest::newRow("schema format") << 44 << 4 << 4u;
    QTest::newRow("default page cache size") << 48 << 4 << 0u;
    QTest::newRow("auto-vacuum root page") << 52 << 4 << 0u;
    QTest::newRow("text encoding UTF-8") << 56 << 4 << 1u;
    QTest::newRow("user version") << 60 << 4 << 0u;
    QTest::newRow("incremental vacuum") << 64 << 4 << 0u;
    QTest::newRow("application id") << 68 << 4 << 0u;
    // Equal to the change counter, so SQLite trusts the page count in the header.
    QTest::newRow("version-valid-for") << 92 << 4 << 364u;
    QTest::newRow("SQLite version number") << 96 << 4 << 3023001u;
}

void tst_PoemDatabase::headerFields()
{
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(quint32, expected);
    QCOMPARE(headerValue(offset, width), expected);
}

void tst_PoemDatabase::headerStringAndReservedArea()
{
    QCOMPARE(m_file.left(16), QByteArray("SQLite format 3\0", 16));
    QCOMPARE(m_file.mid(72, 20), QByteArray(20, '\0'));
}

void tst_PoemDatabase::pageCount()
{
    QCOMPARE(m_file.size() % PageSize, 0);
    const int pages = int(m_file.size() / PageSize);
    QCOMPARE(headerValue(28, 4), quint32(pages));

    Query count(m_db, "PRAGMA page_count");
    QVERIFY(count.next());
    QCOMPARE(count.integer(0), qint64(pages));

    // The size follows from our own poems, which are not the original ones;
    // the generator aims at 68 pages, and we allow two either way.
    qInfo("poem database: %d pages, %lld bytes", pages, qint64(m_file.size()));
    QVERIFY2(qAbs(pages - ExpectedPages) <= 2, qPrintable(QString::number(pages)));
}

void tst_PoemDatabase::integrityAndFreePages()
{
    Query integrity(m_db, "PRAGMA integrity_check");
    QVERIFY(integrity.next());
    QCOMPARE(integrity.bytes(0), QByteArray("ok"));
    QVERIFY(!integrity.next());

    Query freelist(m_db, "PRAGMA freelist_count");
    QVERIFY(freelist.next());
    QCOMPARE(freelist.integer(0), qint64(0));
}

void tst_PoemDatabase::schemaTable()
{
    Query master(m_db, "SELECT type, name, tbl_name, rootpage, sql FROM sqlite_master ORDER BY rowid");
    const QList<QByteArrayList> expected = {
        {"table", "tbl_Data", "tbl_Data", "2", TableSql},
        {"table", "sqlite_sequence", "sqlite_sequence", "3", "CREATE TABLE sqlite_sequence(name,seq)"},
    };
    for (const QByteArrayList &row : expected) {
        QVERIFY2(master.next(), row.at(1).constData());
        QCOMPARE(master.bytes(0), row.at(0));
        QCOMPARE(master.bytes(1), row.at(1));
        QCOMPARE(master.bytes(2), row.at(2));
        QCOMPARE(QByteArray::number(master.integer(3)), row.at(3));
        QCOMPARE(master.bytes(4), row.at(4));
    }
    QVERIFY2(!master.next(), "no index, view or trigger and no other table");
}

void tst_PoemDatabase::sequenceTable()
{
    Query seq(m_db, "SELECT name, seq, typeof(seq) FROM sqlite_sequence");
    QVERIFY(seq.next());
    QCOMPARE(seq.bytes(0), QByteArray("tbl_Data"));
    QCOMPARE(seq.integer(1), LastKey);
    QCOMPARE(seq.bytes(2), QByteArray("integer"));
    QVERIFY(!seq.next());
}

void tst_PoemDatabase::keysInScanOrder()
{
    // The views rely on a plain scan yielding the poems in ascending key order.
    QCOMPARE(m_poems.size(), int(LastKey - FirstKey + 1));
    for (int i = 0; i < m_poems.size(); ++i) {
        QCOMPARE(m_poems.at(i).key, FirstKey + i);
        QCOMPARE(m_poems.at(i).rowid, m_poems.at(i).key);
    }
}

void tst_PoemDatabase::unusedColumnsAreNull()
{
    for (const Poem &p : std::as_const(m_poems)) {
        const QByteArray row = QByteArray::number(p.key);
        QVERIFY2(p.titleType == SQLITE_TEXT, row.constData());
        QVERIFY2(p.textType == SQLITE_TEXT, row.constData());
        QVERIFY2(p.dateType == SQLITE_NULL, row.constData());
        QVERIFY2(p.photoType == SQLITE_NULL, row.constData());
    }
}

void tst_PoemDatabase::textIsValidUtf8()
{
    // Invalid sequences would come back as U+FFFD and not round-trip.
    for (const Poem &p : std::as_const(m_poems)) {
        QVERIFY2(p.title.toUtf8() == p.titleBytes, qPrintable(QString::number(p.key)));
        QVERIFY2(p.text.toUtf8() == p.textBytes, qPrintable(QString::number(p.key)));
    }
}

void tst_PoemDatabase::figures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("expected");

    const QList<QPair<const char *, qint64>> rows = {
        {"rows", 89},
        {"characters", 202735},
        {"separators", 5349},
        {"lines", 5438},
        {"empty lines", 116},
        {"poems whose one empty line follows the title", 81},
        {"poems opening with title, empty line", 88},
        {"poems opening with empty line, title", 1},
        {"shortest text", 150},
        {"longest text", 11486},
        {"shortest text bytes", 155},
        {"longest text bytes", 12505},
        {"fewest lines", 10},
        {"most lines", 446},
        {"longest line", 85},
        {"inner nbsp", 154},
        {"shortest title", 2},
        {"longest title", 36},
    };
    for (const auto &row : rows)
        QTest::newRow(row.first) << QString::fromLatin1(row.first) << row.second;
}

void tst_PoemDatabase::figures()
{
    QFETCH(QString, name);
    QFETCH(qint64, expected);
    QCOMPARE(figure(name), expected);
}

void tst_PoemDatabase::onlyCrLfLineBreaks()
{
    for (const Poem &p : std::as_const(m_poems)) {
        const QByteArray row = QByteArray::number(p.key);
        for (const QString &line : p.lines) {
            QVERIFY2(!line.contains(QLatin1Char('\r')), row.constData());
            QVERIFY2(!line.contains(QLatin1Char('\n')), row.constData());
        }
        QVERIFY2(!p.text.endsWith(QLatin1Char('\n')), row.constData());
    }
}

void tst_PoemDatabase::titleOpensEveryPoem()
{
    // 88 poems start "title, empty line"; the odd one starts "empty line, title".
    const auto oddOne = std::find_if(m_poems.cbegin(), m_poems.cend(),
                                     [](const Poem &p) { return p.lines.at(0).isEmpty(); });
    QVERIFY(oddOne != m_poems.cend());
    const Poem &odd = *oddOne;
    QCOMPARE(odd.lines.value(1), odd.title);
    for (const Poem &p : std::as_const(m_poems)) {
        if (&p == &odd)
            continue;
        QVERIFY2(p.lines.at(0) == p.title, qPrintable(p.title));
        QVERIFY2(p.lines.value(1).isEmpty(), qPrintable(p.title));
    }
}

void tst_PoemDatabase::oneTitleSharedByTwoPoems()
{
    QMap<QString, QList<const Poem *>> byTitle;
    for (const Poem &p : std::as_const(m_poems))
        byTitle[p.title] << &p;
    QStringList shared;
    for (auto it = byTitle.cbegin(); it != byTitle.cend(); ++it) {
        QVERIFY2(it.value().size() <= 2, qPrintable(it.key()));
        if (it.value().size() == 2)
            shared << it.key();
    }
    QCOMPARE(shared.size(), 1);
    const auto &pair = byTitle.value(shared.first());
    QVERIFY(pair.at(0)->key != pair.at(1)->key);
    QVERIFY2(pair.at(0)->text != pair.at(1)->text, "two different poems under one title");
}

void tst_PoemDatabase::titlesAndTextsEndVisibly()
{
    for (const Poem &p : std::as_const(m_poems)) {
        QVERIFY2(!p.title.isEmpty() && p.title.front() > QChar(0x20) && p.title.back() > QChar(0x20),
                 qPrintable(p.title));
        QVERIFY2(!p.title.contains(Nbsp), qPrintable(p.title));
        QVERIFY2(!p.text.isEmpty() && p.text.back() > QChar(0x20), qPrintable(p.title));
    }
}

void tst_PoemDatabase::indentation()
{
    QVERIFY(!m_indentRuns.isEmpty());
    QCOMPARE(m_indentRuns.firstKey(), 1);
    QCOMPARE(m_indentRuns.lastKey(), 44);

    QList<int> runs = m_indentRuns.keys();
    std::stable_sort(runs.begin(), runs.end(),
                     [this](int a, int b) { return m_indentRuns.value(a) > m_indentRuns.value(b); });
    QList<int> commonest = runs.mid(0, 3);
    std::sort(commonest.begin(), commonest.end());
    QCOMPARE(commonest, (QList<int>{2, 9, 17}));

    const qint64 spaceLed = figure(QStringLiteral("space-led lines"));
    QVERIFY2(spaceLed >= 1 && spaceLed <= 10, "a handful of lines start with ordinary spaces");
}

void tst_PoemDatabase::characterRepertoire()
{
    QSet<QChar> allowed;
    for (char16_t c = 0x20; c < 0x7f; ++c)
        allowed << QChar(c);
    for (QChar c : QStringLiteral("áéíóöőúüűÁÉÍÓÖŐÚÜäč„”‘’"))
        allowed << c;
    QSet<QChar> inTexts = allowed;
    inTexts << Nbsp << QLatin1Char('\r') << QLatin1Char('\n');

    for (const Poem &p : std::as_const(m_poems)) {
        for (QChar c : p.title)
            QVERIFY2(allowed.contains(c), qPrintable(describe(c) + QStringLiteral(" in title ") + p.title));
        for (QChar c : p.text)
            QVERIFY2(inTexts.contains(c), qPrintable(describe(c) + QStringLiteral(" in ") + p.title));
    }
}

void tst_PoemDatabase::requiredCharacters_data()
{
    QTest::addColumn<QChar>("character");
    QTest::newRow("o double acute") << QChar(0x0151);
    QTest::newRow("u double acute") << QChar(0x0171);
    QTest::newRow("O double acute") << QChar(0x0150);
    QTest::newRow("a diaeresis") << QChar(0x00E4);
    QTest::newRow("c caron") << QChar(0x010D);
    QTest::newRow("low double quote") << QChar(0x201E);
    QTest::newRow("right double quote") << QChar(0x201D);
    QTest::newRow("left single quote") << QChar(0x2018);
    QTest::newRow("right single quote") << QChar(0x2019);
    QTest::newRow("no-break space") << Nbsp;
}

void tst_PoemDatabase::requiredCharacters()
{
    QFETCH(QChar, character);
    const bool used = std::any_of(m_poems.cbegin(), m_poems.cend(),
                                  [character](const Poem &p) { return p.text.contains(character); });
    QVERIFY2(used, qPrintable(describe(character)));
}

QTEST_GUILESS_MAIN(tst_PoemDatabase)
#include "tst_PoemDatabase.moc"
