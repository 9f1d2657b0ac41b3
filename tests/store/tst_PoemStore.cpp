#include "FixtureDb.h"
#include "PoemQuery.h"
#include "PoemStore.h"
#include "SearchStatement.h"
#include "SqliteConnection.h"
#include "SqliteLockHolder.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <functional>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

// The store's life as the main window drives it: each start-up step on its own, what a failed
// step leaves behind, and the closing steps in their order.
class tst_PoemStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void ownsConnectionAndQueryByTheirNames();
    void startupSteps_data();
    void startupSteps();
    void closeGoesQueryConnectionCopy();
    void closeRemovesOnlyItsOwnCopy_data();
    void closeRemovesOnlyItsOwnCopy();
    void closeIsSilent_data();
    void closeIsSilent();
    void destructionKeepsTheWorkingCopy();
    void pathTooLongForSqliteIsNotWritten_data();
    void pathTooLongForSqliteIsNotWritten();
    void searchAndShowAll_data();
    void searchAndShowAll();
    void pagesReadOnceStayCached();
    void refusedOrFailedSearch_data();
    void refusedOrFailedSearch();

private:
    // Performs every start-up step in the program's order, whatever the earlier ones gave;
    // returns "Step: reason" for each step that failed.
    static QStringList runSteps(PoemStore &store, const std::function<void(PoemStore::Step)> &before = {},
                                const std::function<void(PoemStore::Step)> &after = {});
    static QByteArray readAll(const QString &path);
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_copy;
};

namespace {
using Step = PoemStore::Step;
const Step AllSteps[] = {Step::TakeItem, Step::WriteCopy, Step::FindCopy, Step::OpenConnection, Step::OpenQuery};

QString nameOf(Step step)
{
    return QString::fromLatin1(QMetaEnum::fromType<Step>().valueToKey(int(step)));
}

#ifdef Q_OS_UNIX
// Root writes through any permission bits; the unwritable directory is tried as nobody.
class AsNobody
{
public:
    AsNobody()
    {
        if (::geteuid() == 0)
            m_switched = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~AsNobody()
    {
        if (m_switched) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
    AsNobody(const AsNobody &) = delete;
    AsNobody &operator=(const AsNobody &) = delete;

private:
    bool m_switched = false;
};
#endif

int execElsewhere(const QString &path, const char *sql, int flags = SQLITE_OPEN_READWRITE)
{
    sqlite3 *other = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &other, flags, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(other, sql, nullptr, nullptr, nullptr);
    sqlite3_close(other);
    return rc;
}
} // namespace

namespace {
// The store takes the directory the process is in when it captures it, as at start-up.
void captureIn(PoemStore &store, const QString &directory)
{
    const QString saved = QDir::currentPath();
    if (!QDir::setCurrent(directory))
        qFatal("cannot enter %s", qPrintable(directory));
    store.captureWorkingDirectory();
    QDir::setCurrent(saved);
}
} // namespace

void tst_PoemStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_copy = QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("Tornevi.db")));
}

QByteArray tst_PoemStore::readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList tst_PoemStore::runSteps(PoemStore &store, const std::function<void(Step)> &before,
                                    const std::function<void(Step)> &after)
{
    QStringList failures;
    for (Step step : AllSteps) {
        if (before)
            before(step);
        const bool done = store.perform(step);
        if (after)
            after(step);
        if (!done)
            failures << nameOf(step) + QStringLiteral(": ") + store.errorString();
        else if (!store.errorString().isEmpty())
            failures << nameOf(step) + QStringLiteral(" succeeded with a reason: ") + store.errorString();
        if (step == Step::WriteCopy)
            store.releaseItem();
    }
    return failures;
}

// Whoever owns the store finds the connection and the query below it by their names.
void tst_PoemStore::ownsConnectionAndQueryByTheirNames()
{
    QObject window;
    auto *store = new PoemStore(&window);
    QCOMPARE(window.findChild<SqliteConnection *>(QStringLiteral("FDConnection1")), store->connection());
    QCOMPARE(window.findChild<PoemQuery *>(QStringLiteral("FDQuery1")), store->query());
    QCOMPARE(store->query()->statementText(), PoemQuery::BaseStatement);
    QVERIFY(!store->connection()->isOpen());
    QVERIFY(!store->query()->isOpen());
    captureIn(*store, m_dir->path());
    QCOMPARE(store->workingCopyPath(), m_dir->path() + QDir::separator() + QStringLiteral("Tornevi.db"));
}

void tst_PoemStore::startupSteps_data()
{
    QTest::addColumn<QString>("setup");
    // One entry per failed step: its name and words that SQLite's or the system's reason holds.
    QTest::addColumn<QStringList>("failures");
    QTest::addColumn<bool>("connectionOpen");
    QTest::addColumn<bool>("queryOpen");
    QTest::addColumn<QString>("onDisk"); // image, absent, as placed

    const QString noFile = QStringLiteral("No such file or directory");
    const QString cantOpen = QStringLiteral("unable to open database file");

    QTest::newRow("everything in place") << "" << QStringList() << true << true << "image";
#ifndef Q_OS_WIN
    QTest::newRow("item missing")
        << "no item"
        << QStringList{u"TakeItem: Resource_1"_s, u"WriteCopy: Resource_1"_s, u"FindCopy: "_s + noFile,
                       QStringLiteral("OpenConnection: ") + cantOpen, QStringLiteral("OpenQuery: ") + cantOpen}
        << false << false << "absent";
#endif
#ifdef Q_OS_UNIX
    QTest::newRow("unwritable directory")
        << "readonly"
        << QStringList{u"WriteCopy: Permission denied"_s, u"FindCopy: "_s + noFile, u"OpenConnection: "_s + cantOpen,
                       QStringLiteral("OpenQuery: ") + cantOpen}
        << false << false << "absent";
#endif
    QTest::newRow("copy gone before it is looked for")
        << "remove"
        << QStringList{u"FindCopy: "_s + noFile, u"OpenConnection: "_s + cantOpen, u"OpenQuery: "_s + cantOpen} << false
        << false << "absent";
    QTest::newRow("copy that is no database")
        << "junk"
        << QStringList{u"OpenConnection: file is not a database"_s, u"OpenQuery: file is not a database"_s} << false
        << false << "as placed";
    QTest::newRow("database without tbl_Data")
        << u"no table"_s << QStringList{u"OpenQuery: no such table: tbl_Data"_s} << true << false << u"as placed"_s;
    // SQLite reads the very file written, or nothing.
    const QString notWritten = QStringLiteral("not the one that was written");
    QTest::newRow("another database renamed into the copy's place")
        << u"renamed over"_s << QStringList{u"OpenConnection: "_s + notWritten, u"OpenQuery: "_s + notWritten}
        << false << false << u"as placed"_s;
    // Writing does not wait for the other connection's lock, and neither does SQLite.
    QTest::newRow("copy locked by another connection")
        << "locked"
        << QStringList{u"WriteCopy: "_s, u"OpenConnection: database is locked"_s, u"OpenQuery: database is locked"_s}
        << false << false << "as placed";
}

void tst_PoemStore::startupSteps()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, failures);
    QFETCH(bool, connectionOpen);
    QFETCH(bool, queryOpen);
    QFETCH(QString, onDisk);

    PoemStore store;
    captureIn(store, m_dir->path());
    // An executable built without the item: its entry among the program's resources is gone.
    const bool withoutItem = setup == QLatin1String("no item");
    if (withoutItem)
        Q_CLEANUP_RESOURCE(poemdb);
    const auto restoreItem = qScopeGuard([withoutItem] {
        if (withoutItem)
            Q_INIT_RESOURCE(poemdb);
    });
    QCOMPARE(store.workingCopyPath(), m_copy);
    QByteArray placed;
    std::optional<SqliteLockHolder> holder;

    if (setup == QLatin1String("readonly")) {
        const auto readAndEnter = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                  | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(m_dir->path(), readAndEnter));
    } else if (setup == QLatin1String("locked")) {
        FixtureDb::create(m_copy, 3);
        placed = readAll(m_copy);
        holder.emplace(m_copy, "BEGIN EXCLUSIVE");
        QVERIFY(holder->isHolding());
    }

#ifdef Q_OS_UNIX
    std::optional<AsNobody> nobody;
#endif
    const QStringList failed = runSteps(
        store,
        [&](Step step) {
#ifdef Q_OS_UNIX
            if (step == Step::WriteCopy && setup == QLatin1String("readonly"))
                nobody.emplace();
#endif
        },
        [&](Step step) {
#ifdef Q_OS_UNIX
            nobody.reset();
#endif
            if (step != Step::WriteCopy)
                return;
            // What someone else does to the copy between writing it and looking for it.
            if (setup == QLatin1String("remove")) {
                QFile::remove(m_copy);
            } else if (setup == QLatin1String("junk")) {
                QFile f(m_copy);
                if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    f.write(QByteArray(8192, 'j'));
                f.close();
                placed = readAll(m_copy);
            } else if (setup == QLatin1String("no table") || setup == QLatin1String("renamed over")) {
                const QString other = m_dir->filePath(QStringLiteral("other.db"));
                execElsewhere(other, "CREATE TABLE other(x)", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
                placed = readAll(other);
                if (setup == QLatin1String("renamed over")) {
                    QFile::remove(m_copy);
                    QFile::rename(other, m_copy);
                } else {
                    // Into the very file written, as its owner may.
                    QFile::setPermissions(m_copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
                    QFile f(m_copy);
                    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                        f.write(placed);
                }
            }
        });

    QCOMPARE(failed.size(), failures.size());
    for (int i = 0; i < failures.size(); ++i) {
        const QString step = failures.at(i).section(QStringLiteral(": "), 0, 0);
        const QString words = failures.at(i).section(QStringLiteral(": "), 1);
        const QString reason = failed.at(i).section(QStringLiteral(": "), 1);
        QVERIFY2(failed.at(i).startsWith(step + QStringLiteral(": ")), qPrintable(failed.at(i)));
        QVERIFY2(!reason.isEmpty() && reason.contains(words), qPrintable(failed.at(i)));
    }
    QCOMPARE(store.connection()->isOpen(), connectionOpen);
    QCOMPARE(store.query()->isOpen(), queryOpen);
    QCOMPARE(store.query()->recordCount(), queryOpen ? 89 : 0);

    holder.reset();
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (onDisk == QLatin1String("image"))
        QCOMPARE(readAll(m_copy), readAll(FixtureDb::shippedDatabase()));
    else if (onDisk == QLatin1String("absent"))
        QVERIFY(!QFileInfo::exists(m_copy));
    else
        QCOMPARE(readAll(m_copy), placed);
}

namespace {
int collectStatements(unsigned type, void *context, void *, void *text)
{
    if (type == SQLITE_TRACE_STMT)
        static_cast<QStringList *>(context)->append(QString::fromUtf8(static_cast<const char *>(text)));
    return 0;
}

// The statements SQLite starts and the query's notices, in the order they come.
struct Watch
{
    Watch(PoemStore &store) : db(store.connection()->handle())
    {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, collectStatements, &statements);
        QObject::connect(store.query(), &PoemQuery::stateAboutToChange, &context,
                         [this] { notices << QStringLiteral("about to change"); });
        QObject::connect(store.query(), &PoemQuery::stateChanged, &context,
                         [this](bool open) { notices << (open ? u"opened"_s : u"closed"_s); });
    }
    ~Watch() { sqlite3_trace_v2(db, 0, nullptr, nullptr); }
    Watch(const Watch &) = delete;
    Watch &operator=(const Watch &) = delete;

    sqlite3 *db;
    QObject context;
    QStringList statements;
    QStringList notices;
};

QString countStatement(const QString &statement)
{
    return QStringLiteral("SELECT COUNT(*) FROM (\r\n") + statement + QStringLiteral("\r\n) A");
}

QString searchStatement(const QString &literal)
{
    return QStringLiteral("Select * FROM tbl_Data WHERE CIM like %1 or DATUM like %1 or VERS like %1").arg(literal);
}
} // namespace

// The query's statement goes first, the connection next, and the file only once it is released.
void tst_PoemStore::closeGoesQueryConnectionCopy()
{
    PoemStore store;
    captureIn(store, m_dir->path());
    QCOMPARE(runSteps(store), QStringList());

    struct Seen
    {
        QStringList order;
        QString copy;
    } seen{{}, m_copy};
    connect(store.query(), &PoemQuery::stateChanged, this, [&seen, &store](bool open) {
        seen.order << QStringLiteral("query closed, connection %1, copy %2")
                          .arg(store.connection()->isOpen() ? QStringLiteral("open") : QStringLiteral("closed"),
                               QFileInfo::exists(seen.copy) ? QStringLiteral("there") : QStringLiteral("gone"));
        Q_UNUSED(open);
    });
    sqlite3_trace_v2(
        store.connection()->handle(), SQLITE_TRACE_CLOSE,
        [](unsigned, void *context, void *, void *) {
            auto *s = static_cast<Seen *>(context);
            s->order << QStringLiteral("connection closed, copy %1")
                            .arg(QFileInfo::exists(s->copy) ? QStringLiteral("there") : QStringLiteral("gone"));
            return 0;
        },
        &seen);
    QSignalSpy states(store.query(), &PoemQuery::stateChanged);

    store.close();
    QCOMPARE(seen.order, (QStringList{u"query closed, connection open, copy there"_s, u"connection closed, copy there"_s}));
    QCOMPARE(states.count(), 1);
    QCOMPARE(states.at(0).at(0).toBool(), false);
    QVERIFY(!store.query()->isOpen());
    QVERIFY(!store.connection()->isOpen());
    QVERIFY(!QFileInfo::exists(m_copy));
}

void tst_PoemStore::closeRemovesOnlyItsOwnCopy_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("remains");
    QTest::newRow("its own copy goes") << "written" << false;
    QTest::newRow("nothing there") << "none" << false;
    QTest::newRow("a file it did not write stays") << "file" << true;
    QTest::newRow("a file put in place of its copy stays") << "replaced" << true;
    QTest::newRow("directory") << "directory" << true;
#ifdef Q_OS_UNIX
    QTest::newRow("named pipe") << "fifo" << true;
    QTest::newRow("link to a regular file") << "link" << true;
#endif
}

void tst_PoemStore::closeRemovesOnlyItsOwnCopy()
{
    QFETCH(QString, setup);
    QFETCH(bool, remains);
    const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere.db"));
    PoemStore store;
    captureIn(store, m_dir->path());
    if (setup == QLatin1String("written") || setup == QLatin1String("replaced"))
        QCOMPARE(runSteps(store), QStringList());
    if (setup == QLatin1String("file")) {
        FixtureDb::create(m_copy, 1);
    } else if (setup == QLatin1String("replaced")) {
        FixtureDb::create(elsewhere, 1);
        QVERIFY(QFile::remove(m_copy));
        QVERIFY(QFile::rename(elsewhere, m_copy));
    } else if (setup == QLatin1String("directory")) {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Tornevi.db/inside")));
    } else if (setup == QLatin1String("link")) {
        FixtureDb::create(elsewhere, 1);
        QVERIFY(QFile::link(elsewhere, m_copy));
    }
#ifdef Q_OS_UNIX
    int reader = -1;
    if (setup == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(m_copy).constData(), 0644), 0);
        reader = ::open(QFile::encodeName(m_copy).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
    }
#endif
    const QFileInfo before(m_copy);
    const QDateTime modified = before.lastModified();

    store.close();

    const QFileInfo after(m_copy);
    QCOMPARE(after.exists() || after.isSymLink(), remains);
    if (remains) {
        QCOMPARE(after.isDir(), before.isDir());
        QCOMPARE(after.lastModified(), modified);
    }
    if (setup == QLatin1String("directory"))
        QCOMPARE(QDir(m_copy).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"inside"_s});
    if (setup == QLatin1String("link"))
        QVERIFY(QFileInfo(elsewhere).isFile());
#ifdef Q_OS_UNIX
    if (reader >= 0) {
        char byte = 0;
        QCOMPARE(::read(reader, &byte, 1), ssize_t(0));
        ::close(reader);
    }
#endif
}

void tst_PoemStore::closeIsSilent_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("notices"); // stateChanged(false) from the query during close()
    QTest::newRow("nothing was ever opened") << "nothing" << 0;
    QTest::newRow("query closed already") << "query" << 0;
    QTest::newRow("query and connection closed already") << "both" << 0;
    QTest::newRow("copy removed by someone else") << "copy" << 1;
    QTest::newRow("closed twice") << "close" << 0;
}

void tst_PoemStore::closeIsSilent()
{
    QFETCH(QString, before);
    QFETCH(int, notices);
    PoemStore store;
    captureIn(store, m_dir->path());
    if (before != QLatin1String("nothing"))
        QCOMPARE(runSteps(store), QStringList());
    if (before == QLatin1String("query") || before == QLatin1String("both"))
        store.query()->close();
    if (before == QLatin1String("both"))
        store.connection()->close();
    if (before == QLatin1String("copy"))
        QVERIFY(QFile::remove(m_copy));
    if (before == QLatin1String("close"))
        store.close();

    QSignalSpy states(store.query(), &PoemQuery::stateChanged);
    store.close();
    QCOMPARE(states.count(), notices);
    QVERIFY(!store.query()->isOpen());
    QVERIFY(!store.connection()->isOpen());
    QVERIFY(!QFileInfo::exists(m_copy));
}

// Ending without the exit flow closes what is open but leaves the copy for the next start.
void tst_PoemStore::destructionKeepsTheWorkingCopy()
{
    {
        QObject window;
        auto *store = new PoemStore(&window);
        captureIn(*store, m_dir->path());
        QCOMPARE(runSteps(*store), QStringList());
        QCOMPARE(execElsewhere(m_copy, "DELETE FROM tbl_Data"), SQLITE_BUSY);
    }
    QCOMPARE(readAll(m_copy), readAll(FixtureDb::shippedDatabase()));
    QCOMPARE(execElsewhere(m_copy, "DELETE FROM tbl_Data"), SQLITE_OK); // the lock went with it
}

void tst_PoemStore::pathTooLongForSqliteIsNotWritten_data()
{
    QTest::addColumn<int>("spare"); // bytes the path has left below what SQLite opens
    QTest::addColumn<bool>("opens");
    QTest::newRow("just short enough") << 0 << true;
    QTest::newRow("one byte too long") << -1 << false;
}

// A copy SQLite could not open is not written: the steps fail before anything is on disk.
void tst_PoemStore::pathTooLongForSqliteIsNotWritten()
{
    QFETCH(int, spare);
    QFETCH(bool, opens);
    const qsizetype wanted = SqliteConnection::maxPathLength() - spare - qsizetype(strlen("/Tornevi.db"));
    QString directory = m_dir->path();
    while (QFile::encodeName(directory).size() < wanted) {
        const qsizetype left = wanted - QFile::encodeName(directory).size() - 1;
        directory += QLatin1Char('/') + QString(qMin<qsizetype>(left, 200), QLatin1Char('d'));
    }
    QCOMPARE(QFile::encodeName(directory).size(), wanted);
    QVERIFY(QDir().mkpath(directory));
    PoemStore store;
    captureIn(store, directory);
    const QStringList failed = runSteps(store);
    QVERIFY2(failed.isEmpty() == opens, qPrintable(failed.join(QLatin1Char('\n'))));
    QCOMPARE(QFileInfo::exists(directory + QStringLiteral("/Tornevi.db")), opens);
    if (!opens)
        QVERIFY2(failed.value(0).startsWith(QLatin1String("WriteCopy: The path is")), qPrintable(failed.value(0)));
    QCOMPARE(store.query()->recordCount(), opens ? 89 : 0);
}

void tst_PoemStore::searchAndShowAll_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("statement");   // as SQLite receives it
    QTest::addColumn<int>("hits");            // in the shipped database

    QTest::newRow("apostrophe doubled inside one literal") << u"ab'c"_s << searchStatement(u"'%ab''c%'"_s) << 0;
    QTest::newRow("empty phrase matches every text") << u""_s << searchStatement(u"'%%'"_s) << 89;
    QTest::newRow("small ASCII letters fold") << u"tavasz"_s << searchStatement(u"'%tavasz%'"_s) << 53;
    QTest::newRow("capital accented letter does not fold")
        << QStringLiteral("Ő") << searchStatement(QStringLiteral("'%Ő%'")) << 8;
    QTest::newRow("underscore stays a wildcard") << u"_"_s << searchStatement(u"'%_%'"_s) << 89;
    QTest::newRow("blanks and backslash kept as typed")
        << QStringLiteral(" !&:?{}\\ ") << searchStatement(QStringLiteral("'% !&:?{}\\ %'")) << 0;
    QTest::newRow("statement-like phrase stays a literal")
        << QStringLiteral("x' or 1=1 --") << searchStatement(QStringLiteral("'%x'' or 1=1 --%'")) << 0;
}

// Each call closes the query, puts its statement in and opens it: SQLite gets the statement and
// its count as built, the views are told of the close and of the open, the first row is current.
void tst_PoemStore::searchAndShowAll()
{
    QFETCH(QString, phrase);
    QFETCH(QString, statement);
    QFETCH(int, hits);
    PoemStore store;
    captureIn(store, m_dir->path());
    QCOMPARE(runSteps(store), QStringList());
    PoemQuery *query = store.query();
    const QStringList closeThenOpen{u"about to change"_s, u"closed"_s, u"about to change"_s, u"opened"_s};

    {
        Watch watch(store);
        QVERIFY(store.search(phrase));
        QCOMPARE(watch.statements, (QStringList{statement, countStatement(statement)}));
        QCOMPARE(watch.notices, closeThenOpen);
    }
    QCOMPARE(store.errorString(), QString());
    QVERIFY(query->isOpen());
    QCOMPARE(query->statementText(), statement);
    QCOMPARE(query->recordCount(), hits);
    QCOMPARE(query->value(0, query->fieldIndex(QStringLiteral("AZ"))).isValid(), hits > 0);

    // The reset starts from wherever the search left the result.
    QVERIFY(query->fetchUpTo(query->recordCount()));
    {
        Watch watch(store);
        QVERIFY(store.showAll());
        QCOMPARE(watch.statements, (QStringList{PoemQuery::BaseStatement, countStatement(PoemQuery::BaseStatement)}));
        QCOMPARE(watch.notices, closeThenOpen);
    }
    QCOMPARE(store.errorString(), QString());
    QCOMPARE(query->statementText(), PoemQuery::BaseStatement);
    QCOMPARE(query->recordCount(), 89);
    QCOMPARE(query->fetchedCount(), PoemQuery::BatchSize);
    QCOMPARE(query->value(0, query->fieldIndex(QStringLiteral("AZ"))).toInt(), 782);
}

// The connection's page cache holds the whole file: each page is read from it once at most,
// however often the rows are read, searched and listed again.
void tst_PoemStore::pagesReadOnceStayCached()
{
    PoemStore store;
    captureIn(store, m_dir->path());
    QCOMPARE(runSteps(store), QStringList());
    sqlite3 *db = store.connection()->handle();
    const auto pagesRead = [db] {
        int current = 0;
        int highest = 0;
        return sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_MISS, &current, &highest, 0) == SQLITE_OK ? current : -1;
    };
    sqlite3_stmt *pageCount = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &pageCount, nullptr), SQLITE_OK);
    const auto finalize = qScopeGuard([pageCount] { sqlite3_finalize(pageCount); });
    QCOMPARE(sqlite3_step(pageCount), SQLITE_ROW);
    const int pages = sqlite3_column_int(pageCount, 0);
    QVERIFY(pagesRead() > 0);

    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(store.query()->fetchUpTo(store.query()->recordCount()));
        QVERIFY(store.search(u"a"_s));
        QVERIFY(store.showAll());
    }
    QVERIFY2(pagesRead() <= pages, qPrintable(u"%1 pages read of %2"_s.arg(pagesRead()).arg(pages)));
}

void tst_PoemStore::refusedOrFailedSearch_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("touched");   // whether the query was closed and given the statement

    QTest::newRow("pattern longer than SQLite takes")
        << QString(49999, QLatin1Char('a')) << "LIKE or GLOB pattern too complex" << true;
    QTest::newRow("two-byte letters past the limit")
        << QString(25000, QChar(0x0151)) << "LIKE or GLOB pattern too complex" << true;
    QTest::newRow("NUL inside the phrase")
        << (QStringLiteral("tav") + QChar(0) + QStringLiteral("asz"))
        << QStringLiteral("A keresendő kifejezés nem tartalmazhat NUL (U+0000) karaktert.") << false;
    QTest::newRow("NUL alone") << QString(QChar(0))
                               << u"A keresendő kifejezés nem tartalmazhat NUL (U+0000) karaktert."_s << false;
}

// A failed search leaves a closed query with nothing current, and says why; a refused phrase
// leaves the query as it was. Either way the next call starts clean.
void tst_PoemStore::refusedOrFailedSearch()
{
    QFETCH(QString, phrase);
    QFETCH(QString, error);
    QFETCH(bool, touched);
    PoemStore store;
    captureIn(store, m_dir->path());
    QCOMPARE(runSteps(store), QStringList());
    PoemQuery *query = store.query();
    QVERIFY(store.search(QStringLiteral("tavasz")));
    QVERIFY(query->fetchUpTo(query->recordCount()));
    const QString before = query->statementText();

    {
        Watch watch(store);
        QVERIFY(!store.search(phrase));
        if (touched) {
            QCOMPARE(watch.notices, (QStringList{QStringLiteral("about to change"), QStringLiteral("closed")}));
        } else {
            QCOMPARE(watch.notices, QStringList());
            QCOMPARE(watch.statements, QStringList());
        }
    }
    QCOMPARE(store.errorString(), error);
    if (touched) {
        QVERIFY(!query->isOpen());
        QCOMPARE(query->statementText(), SearchStatement::forPhrase(phrase));
        QCOMPARE(query->recordCount(), 0);
        QCOMPARE(query->fetchedCount(), 0);
        QCOMPARE(query->value(0, 0), QVariant());
    } else {
        QVERIFY(query->isOpen());
        QCOMPARE(query->statementText(), before);
        QCOMPARE(query->recordCount(), 53);
        QCOMPARE(query->fetchedCount(), 53);
    }

    QVERIFY(store.search(QStringLiteral("tavasz")));
    QCOMPARE(store.errorString(), QString());
    QCOMPARE(query->recordCount(), 53);
    QVERIFY(!store.search(phrase));
    QVERIFY(store.showAll());
    QCOMPARE(store.errorString(), QString());
    QCOMPARE(query->recordCount(), 89);
}

QTEST_GUILESS_MAIN(tst_PoemStore)
#include "tst_PoemStore.moc"
