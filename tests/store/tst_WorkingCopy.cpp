#include "FixtureDb.h"
#include "WorkingCopy.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#endif

// Writing the working copy over what this program left at its path, leaving everything else
// alone, and deleting only the copy it wrote.
class tst_WorkingCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void pathJoinsDirectoryAsCaptured_data();
    void pathJoinsDirectoryAsCaptured();
    void replacesWhatItLeft_data();
    void replacesWhatItLeft();
    void leavesWhatIsNotItsOwn_data();
    void leavesWhatIsNotItsOwn();
    void refusesAFileLockedBySqlite_data();
    void refusesAFileLockedBySqlite();
    void heldCopyIsNotReplacedByASecondWriter();
    void failures_data();
    void failures();
    void shortWriteIsAFailure();
    void refusesWhatIsNotARegularFile_data();
    void refusesWhatIsNotARegularFile();
    void folderNameIsTakenAsTheSystemGivesIt();
    void removeTakesOnlyItsOwnCopy_data();
    void removeTakesOnlyItsOwnCopy();
    void removeHoldsAgainstExchangesAtThePath();
    void leftoverUnderAnyUmaskIsReplaced_data();
    void leftoverUnderAnyUmaskIsReplaced();
    void onAFuseViewAUsersFileIsNeverDeleted();

private:
    static QByteArray read(const QString &path);
    static void put(const QString &path, const QByteArray &bytes);
    QByteArray m_image;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<WorkingCopy> m_copy;
    QString m_path;
};

namespace {
const QString NotOurs = QStringLiteral("Not a copy this program left");
const QString ALink = QStringLiteral("Is a symbolic link");
const QString OtherNames = QStringLiteral("Has other names");

#ifdef Q_OS_UNIX
struct stat lstatOf(const QString &path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}
#endif
} // namespace

void tst_WorkingCopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_copy = std::make_unique<WorkingCopy>();
    QVERIFY(m_copy->setDirectory(QFile::encodeName(m_dir->path())));
    m_path = QFile::decodeName(m_copy->path());
    if (m_image.isEmpty())
        m_image = read(FixtureDb::shippedDatabase());
    QCOMPARE(m_image.size(), 278528);
}

QByteArray tst_WorkingCopy::read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void tst_WorkingCopy::put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void tst_WorkingCopy::pathJoinsDirectoryAsCaptured_data()
{
    const QByteArray sep = QFile::encodeName(QDir::separator());
    QTest::addColumn<QByteArray>("directory");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("plain directory") << sep + "home" << sep + "home" + sep + "Tornevi.db";
    QTest::newRow("root keeps its doubled separator") << sep << sep + sep + "Tornevi.db";
    QTest::newRow("unreadable directory gives no path") << QByteArray() << QByteArray();
    QTest::newRow("no normalisation") << sep + "a" + sep + ".." + sep + "b"
                                      << sep + "a" + sep + ".." + sep + "b" + sep + "Tornevi.db";
    QTest::newRow("bytes that are not UTF-8 stay") << sep + "caf\xE9" << sep + "caf\xE9" + sep + "Tornevi.db";
}

void tst_WorkingCopy::pathJoinsDirectoryAsCaptured()
{
    QFETCH(QByteArray, directory);
    QTEST(WorkingCopy::pathIn(directory), "path");
}

void tst_WorkingCopy::replacesWhatItLeft_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("mode");
    QTest::newRow("nothing there") << QByteArray() << false << 0;
    QTest::newRow("a whole copy of a killed run") << m_image << true << 0444;
    QTest::newRow("a copy cut short while it was written") << m_image.left(100000) << true << 0444;
    QTest::newRow("an empty file of a run killed at once") << QByteArray() << true << 0444;
    QTest::newRow("a cut-short copy open to everyone") << m_image.left(5000) << true << 0666;
    QTest::newRow("a copy nobody may read or write") << m_image.left(5000) << true << 0000;
}

void tst_WorkingCopy::replacesWhatItLeft()
{
    QFETCH(QByteArray, old);
    QFETCH(bool, present);
    QFETCH(int, mode);
#ifdef Q_OS_UNIX
    ino_t oldInode = 0;
    if (present) {
        put(m_path, old);
        QCOMPARE(::chmod(QFile::encodeName(m_path).constData(), mode_t(mode)), 0);
        oldInode = lstatOf(m_path).st_ino;
    }
    const mode_t mask = ::umask(022);
    const bool written = m_copy->write(m_image);
    ::umask(mask);
    QVERIFY2(written, qPrintable(m_copy->errorString()));
    QCOMPARE(read(m_path), m_image);
    QVERIFY(m_copy->exists());
    // A new file in the old one's place: nothing of the old file carries over, and the copy is
    // read-only to everyone.
    const struct stat after = lstatOf(m_path);
    QVERIFY(after.st_ino != oldInode);
    QCOMPARE(after.st_mode & 07777, mode_t(0444));
    QCOMPARE(after.st_nlink, nlink_t(1));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Tornevi.db")});
#else
    if (present)
        put(m_path, old);
    QVERIFY(m_copy->write(m_image));
    QCOMPARE(read(m_path), m_image);
#endif
}

void tst_WorkingCopy::leavesWhatIsNotItsOwn_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("counts"); // as a file that exists at the path
    QTest::newRow("a user's text file") << "text" << NotOurs << true;
    QTest::newRow("a longer file") << "longer" << NotOurs << true;
    QTest::newRow("the copy with bytes added") << "appended" << NotOurs << true;
    QTest::newRow("the copy with one byte changed") << "one byte" << NotOurs << true;
    QTest::newRow("a poem database of another edition") << "edition" << NotOurs << true;
    QTest::newRow("a user's own database with the poem table") << "own poems" << NotOurs << true;
    QTest::newRow("a shorter file of other bytes") << "shorter" << NotOurs << true;
    QTest::newRow("an SQLite file of another program") << "other sqlite" << NotOurs << true;
#ifdef Q_OS_UNIX
    QTest::newRow("a link to a user's file") << "link to text" << ALink << false;
    QTest::newRow("a link to a copy of ours") << "link to copy" << ALink << false;
    QTest::newRow("a dangling link") << "dangling link" << ALink << false;
    QTest::newRow("a link to a directory") << "link to directory" << ALink << false;
    QTest::newRow("a hard link to another name") << "hard link" << OtherNames << true;
#endif
}

// Whatever is not ours stays exactly as it was, and so does anything a link leads to.
void tst_WorkingCopy::leavesWhatIsNotItsOwn()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    const QString target = m_dir->filePath(QStringLiteral("elsewhere"));
    if (setup == QLatin1String("text"))
        put(m_path, "notes\n");
    else if (setup == QLatin1String("longer"))
        put(m_path, QByteArray(400000, 'L'));
    else if (setup == QLatin1String("appended"))
        put(m_path, m_image + "x");
    else if (setup == QLatin1String("one byte")) {
        QByteArray changed = m_image;
        changed[200000] = char(changed.at(200000) ^ 1);
        put(m_path, changed);
    } else if (setup == QLatin1String("edition"))
        FixtureDb::create(m_path, 120);
    else if (setup == QLatin1String("own poems")) {
        // The poem table, filled by the user with poems of their own.
        put(m_path, m_image);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "DELETE FROM tbl_Data; INSERT INTO tbl_Data(CIM, VERS) VALUES('Saját', 'vers')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
    } else if (setup == QLatin1String("shorter"))
        put(m_path, QByteArray(100, 'S'));
    else if (setup == QLatin1String("other sqlite")) {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES('mine')", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
    } else if (setup == QLatin1String("link to text")) {
        put(target, "notes\n");
        QVERIFY(QFile::link(target, m_path));
    } else if (setup == QLatin1String("link to copy")) {
        put(target, m_image.left(5000));
        QVERIFY(QFile::link(target, m_path));
    } else if (setup == QLatin1String("dangling link")) {
        QVERIFY(QFile::link(target, m_path));
    } else if (setup == QLatin1String("link to directory")) {
        QVERIFY(QDir().mkdir(target));
        QVERIFY(QFile::link(target, m_path));
    } else if (setup == QLatin1String("hard link")) {
#ifdef Q_OS_UNIX
        put(target, m_image);
        QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(m_path).constData()), 0);
#endif
    }
    const QByteArray before = read(m_path);
    const QByteArray targetBefore = read(target);
#ifdef Q_OS_UNIX
    const struct stat standing = lstatOf(m_path);
#endif

    QVERIFY(!m_copy->write(m_image));
    const QString error = m_copy->errorString();
    QVERIFY2(error.contains(reason), qPrintable(error));

    QCOMPARE(read(m_path), before);
    QCOMPARE(read(target), targetBefore);
    if (setup == QLatin1String("dangling link"))
        QVERIFY(!QFileInfo::exists(target));
#ifdef Q_OS_UNIX
    const struct stat after = lstatOf(m_path);
    QCOMPARE(after.st_ino, standing.st_ino);
    QCOMPARE(after.st_mode, standing.st_mode);
    QCOMPARE(after.st_mtim.tv_nsec, standing.st_mtim.tv_nsec);
#endif
    QTEST(m_copy->exists(), "counts");
    // Not written here, so never removed here either.
    QVERIFY(m_copy->remove(m_image));
    QCOMPARE(QFileInfo(m_path).exists() || QFileInfo(m_path).isSymLink(), true);
}

void tst_WorkingCopy::refusesAFileLockedBySqlite_data()
{
    QTest::addColumn<QByteArray>("hold");
    QTest::newRow("reader in exclusive mode")
        << QByteArray("PRAGMA locking_mode = Exclusive; SELECT count(*) FROM tbl_Data;");
    QTest::newRow("writer in a transaction") << QByteArray("BEGIN EXCLUSIVE;");
}

// Another connection's lock must leave the file exactly as it is.
void tst_WorkingCopy::refusesAFileLockedBySqlite()
{
    QFETCH(QByteArray, hold);
    put(m_path, m_image);
    const QByteArray before = read(m_path);
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(m_path.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, hold.constData(), nullptr, nullptr, nullptr), SQLITE_OK);

    QVERIFY(!m_copy->write(m_image));
    const QString error = m_copy->errorString();
    QVERIFY2(error.contains(QLatin1String("Held by another program")), qPrintable(error));
    QCOMPARE(read(m_path), before);

    sqlite3_close(other);
    QVERIFY(m_copy->write(m_image));
    QCOMPARE(read(m_path), m_image);
}

// A second start in the same folder finds the first one's copy held and leaves it as it is;
// once the first has gone, its copy is a leftover like any other.
void tst_WorkingCopy::heldCopyIsNotReplacedByASecondWriter()
{
    QVERIFY(m_copy->write(m_image));
    const QByteArray other = m_image.left(4096) + QByteArray(m_image.size() - 4096, 'z');
    WorkingCopy second;
    QVERIFY(second.setDirectory(m_copy->directory()));
    QVERIFY(!second.write(other));
    QVERIFY2(!second.errorString().isEmpty(), "no reason given");
    QCOMPARE(read(m_path), m_image);

    m_copy.reset();
    QCOMPARE(read(m_path), m_image);
    QVERIFY2(second.write(m_image), qPrintable(second.errorString()));
    QVERIFY(second.errorString().isEmpty());
}

void tst_WorkingCopy::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason"); // the system's words for it
    QTest::newRow("a directory of that name") << "directory" << "Is a directory";
    QTest::newRow("missing directory") << "missing" << "No such file or directory";
    QTest::newRow("no directory") << "nodirectory" << "No such file or directory";
#ifdef Q_OS_LINUX
    // A device is refused before anything is written to it.
    QTest::newRow("link to the full device") << "full" << ALink;
#endif
}

void tst_WorkingCopy::failures()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    WorkingCopy copy;
    if (setup == QLatin1String("missing"))
        QVERIFY(!copy.setDirectory(QFile::encodeName(m_dir->filePath(QStringLiteral("nincs")))));
    else if (setup == QLatin1String("nodirectory"))
        QVERIFY(!copy.setDirectory(QByteArray()));
    else
        QVERIFY(copy.setDirectory(QFile::encodeName(m_dir->path())));
    if (setup == QLatin1String("directory"))
        QVERIFY(QDir().mkdir(m_path));
    else if (setup == QLatin1String("full"))
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), m_path));
    QVERIFY(!copy.write(m_image));
    const QString error = copy.errorString();
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY(!copy.exists());
    QVERIFY(!copy.errorString().isEmpty());
}

void tst_WorkingCopy::shortWriteIsAFailure()
{
#ifdef Q_OS_UNIX
    // A file-size limit makes write() store part of the bytes and report a short count.
    struct rlimit saved = {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    // The signal's default ends the process; the write must not let it.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_DFL);
    struct rlimit limit = saved;
    limit.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = m_copy->write(m_image);
    const QString error = m_copy->errorString();
    setrlimit(RLIMIT_FSIZE, &saved);
    // ... and gives the default back, for the programs started later.
    const auto during = std::signal(SIGXFSZ, oldHandler);
    QVERIFY(during == SIG_DFL);
    QVERIFY(!written);
    QCOMPARE(QFileInfo(m_path).size(), 4096);
    QCOMPARE(error, qt_error_string(EFBIG));
    // The part written is ours: the next start replaces it.
    WorkingCopy next;
    m_copy.reset();
    QVERIFY(next.setDirectory(QFile::encodeName(m_dir->path())));
    QVERIFY(next.write(m_image));
    QCOMPARE(read(m_path), m_image);
#else
    QSKIP("needs a file-size limit");
#endif
}

void tst_WorkingCopy::refusesWhatIsNotARegularFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
#ifdef Q_OS_LINUX
    // A pipe nobody reads would take the write and block it for good.
    QTest::newRow("named pipe") << "fifo" << "Not a regular file";
    QTest::newRow("link to a named pipe") << "link to fifo" << ALink;
    QTest::newRow("directory with a file in it") << "directory" << "Is a directory";
    QTest::newRow("link to a directory") << "link to directory" << ALink;
    QTest::newRow("link to a regular file") << "link to file" << ALink;
    // Writing into /dev/null "succeeds" and leaves no database anywhere.
    QTest::newRow("link to /dev/null") << "/dev/null" << ALink;
    QTest::newRow("link to /dev/full") << "/dev/full" << ALink;
#endif
}

// Whatever stands at the path is neither opened nor changed, and the refusal comes at once.
void tst_WorkingCopy::refusesWhatIsNotARegularFile()
{
#ifdef Q_OS_LINUX
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    const QString target = setup.startsWith(QLatin1String("link to "))
                               ? m_dir->filePath(QStringLiteral("elsewhere"))
                               : m_path;
    const QByteArray nativeTarget = QFile::encodeName(target);
    int reader = -1;
    if (setup.endsWith(QLatin1String("fifo"))) {
        QCOMPARE(::mkfifo(nativeTarget.constData(), 0644), 0);
        reader = ::open(nativeTarget.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
    } else if (setup.endsWith(QLatin1String("directory"))) {
        QVERIFY(QDir().mkdir(target));
        put(target + QStringLiteral("/kept"), "kept");
    } else if (setup.endsWith(QLatin1String("file"))) {
        put(target, m_image.left(100));
    }
    if (setup.startsWith(QLatin1Char('/')))
        QVERIFY(QFile::link(setup, m_path));
    else if (target != m_path)
        QVERIFY(QFile::link(target, m_path));
    struct stat before = {};
    QCOMPARE(::lstat(QFile::encodeName(m_path).constData(), &before), 0);

    // Our own pipe, directory and file report every open and every change made to them.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    if (!setup.startsWith(QLatin1Char('/')))
        QVERIFY(::inotify_add_watch(watch, nativeTarget.constData(), IN_ALL_EVENTS & ~(IN_ACCESS | IN_CLOSE_NOWRITE)) >= 0);

    auto writing = std::async(std::launch::async, [this] {
        const bool ok = m_copy->write(m_image);
        return std::make_pair(ok, m_copy->errorString());
    });
    const bool blocked = writing.wait_for(std::chrono::seconds(10)) != std::future_status::ready;
    if (blocked && reader >= 0) {
        // Drain the pipe so the stuck writer can finish and the test can report it.
        char buffer[65536];
        while (writing.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            (void)::read(reader, buffer, sizeof buffer);
    }
    const auto [ok, error] = writing.get();
    char events[4096];
    const ssize_t seen = ::read(watch, events, sizeof events);
    ::close(watch);
    char byte = 0;
    const ssize_t piped = reader >= 0 ? ::read(reader, &byte, 1) : 0;
    if (reader >= 0)
        ::close(reader);

    QVERIFY2(!blocked, "the write blocked on what stands at the path");
    QVERIFY(!ok);
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(seen < 0, "what stands at the path was opened or changed");
    QCOMPARE(piped, ssize_t(0));
    struct stat after = {};
    QCOMPARE(::lstat(QFile::encodeName(m_path).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    if (setup.endsWith(QLatin1String("directory")))
        QCOMPARE(QDir(target).entryList(QDir::Files), QStringList{QStringLiteral("kept")});
    if (setup.endsWith(QLatin1String("file")))
        QCOMPARE(read(target), m_image.left(100));

    // Nor does it count as a working copy that exists.
    QVERIFY(!m_copy->exists());
    const QString missing = m_copy->errorString();
    QVERIFY2(missing.contains(reason), qPrintable(missing));
#else
    QSKIP("needs named pipes and /dev");
#endif
}

// A folder whose name is not UTF-8 gets the copy itself, not a look-alike with the bytes decoded.
void tst_WorkingCopy::folderNameIsTakenAsTheSystemGivesIt()
{
#ifdef Q_OS_UNIX
    const QByteArray base = QFile::encodeName(m_dir->path());
    const QByteArray raw = base + "/caf\xE9";
    const QByteArray lookAlike = base + "/caf\xEF\xBF\xBD"; // U+FFFD, what decoding makes of \xE9
    QCOMPARE(::mkdir(raw.constData(), 0700), 0);
    QCOMPARE(::mkdir(lookAlike.constData(), 0700), 0);
    WorkingCopy copy;
    QVERIFY(copy.setDirectory(raw));
    QCOMPARE(copy.path(), raw + "/Tornevi.db");
    QVERIFY(copy.write(m_image));
    QVERIFY(copy.exists());
    struct stat st = {};
    QCOMPARE(::stat((raw + "/Tornevi.db").constData(), &st), 0);
    QCOMPARE(qint64(st.st_size), qint64(m_image.size()));
    QCOMPARE(::stat((lookAlike + "/Tornevi.db").constData(), &st), -1);
    QVERIFY(copy.remove(m_image));
    QCOMPARE(::stat((raw + "/Tornevi.db").constData(), &st), -1);
    // QTemporaryDir decodes names and could not find these to remove them.
    ::rmdir(raw.constData());
    ::rmdir(lookAlike.constData());
#else
    QSKIP("file names are not bytes here");
#endif
}

void tst_WorkingCopy::removeTakesOnlyItsOwnCopy_data()
{
    QTest::addColumn<QString>("meanwhile"); // what happens between writing and removing
    QTest::addColumn<bool>("remains");
    QTest::newRow("nothing: the copy goes") << "nothing" << false;
    QTest::newRow("copy removed by someone: silent") << "removed" << false;
    QTest::newRow("text written into the copy stays") << "overwritten" << true;
    QTest::newRow("the copy grown by a byte stays") << "appended" << true;
    QTest::newRow("another file put in its place stays") << "replaced" << true;
#ifdef Q_OS_UNIX
    QTest::newRow("a link put in its place stays") << "link" << true;
    QTest::newRow("a directory put in its place stays") << "directory" << true;
#endif
    QTest::newRow("never written here: a file found there stays") << "not written" << true;
}

void tst_WorkingCopy::removeTakesOnlyItsOwnCopy()
{
    QFETCH(QString, meanwhile);
    const QString other = m_dir->filePath(QStringLiteral("other"));
    put(other, "someone else's");
    if (meanwhile == QLatin1String("not written")) {
        put(m_path, m_image);
    } else {
        QVERIFY(m_copy->write(m_image));
        if (meanwhile == QLatin1String("removed")) {
            QVERIFY(QFile::remove(m_path));
        } else if (meanwhile == QLatin1String("overwritten") || meanwhile == QLatin1String("appended")) {
            // As cp does: the same file, other bytes (the owner may make it writable first).
            QVERIFY(QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QFile f(m_path);
            QVERIFY(f.open(meanwhile == QLatin1String("appended") ? QIODevice::Append : QIODevice::WriteOnly));
            f.write(meanwhile == QLatin1String("appended") ? QByteArray("x") : QByteArray("notes\n"));
        } else if (meanwhile == QLatin1String("replaced")) {
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QFile::copy(other, m_path));
        } else if (meanwhile == QLatin1String("link")) {
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QFile::link(other, m_path));
        } else if (meanwhile == QLatin1String("directory")) {
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QDir().mkdir(m_path));
        }
    }
    const QByteArray standing = read(m_path);
    const bool removed = m_copy->remove(m_image);
    const QString kept = m_copy->errorString();
    QFETCH(bool, remains);
    QCOMPARE(QFileInfo(m_path).exists() || QFileInfo(m_path).isSymLink(), remains);
    // Whatever is kept is kept as it was, says why when it was not ours, and leaves no trace.
    if (remains)
        QCOMPARE(read(m_path), standing);
    QCOMPARE(removed, !remains || meanwhile == QLatin1String("not written"));
    QCOMPARE(kept.isEmpty(), removed);
    QCOMPARE(read(other), QByteArray("someone else's"));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot).filter(QLatin1String(".Tornevi")).isEmpty());
}

// Another process exchanging the copy's name with a user's file again and again, while the exit
// runs: the user's file is never the one deleted.
void tst_WorkingCopy::removeHoldsAgainstExchangesAtThePath()
{
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
    const QString mine = m_dir->filePath(QStringLiteral("mine.txt"));
    const QByteArray nativeCopy = QFile::encodeName(m_path);
    const QByteArray nativeMine = QFile::encodeName(mine);
    for (int round = 0; round < 48; ++round) {
        put(mine, "my notes");
        WorkingCopy copy;
        QVERIFY(copy.setDirectory(QFile::encodeName(m_dir->path())));
        QVERIFY(copy.write(m_image));
        std::atomic<bool> stop = false;
        std::atomic<int> exchanges = 0;
        std::thread exchanger([&] {
            while (!stop) {
                if (::renameat2(AT_FDCWD, nativeCopy.constData(), AT_FDCWD, nativeMine.constData(), RENAME_EXCHANGE) == 0)
                    ++exchanges;
            }
        });
        QTRY_VERIFY(exchanges > 0);
        copy.remove(m_image);
        stop = true;
        exchanger.join();
        // The user's notes are under one of the two names, whole.
        const QByteArray a = read(m_path);
        const QByteArray b = read(mine);
        QVERIFY2(a == "my notes" || b == "my notes", qPrintable(QStringLiteral("round %1").arg(round)));
        QFile::remove(m_path);
        QFile::remove(mine);
    }
#else
    QSKIP("needs renameat2 with RENAME_EXCHANGE");
#endif
}

void tst_WorkingCopy::leftoverUnderAnyUmaskIsReplaced_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("mode"); // of the copy written
    QTest::newRow("0022") << 0022 << 0444;
    QTest::newRow("0222") << 0222 << 0444;
    QTest::newRow("0277") << 0277 << 0400;
    QTest::newRow("0477") << 0477 << 0400; // the owner must still read the copy
    QTest::newRow("0777") << 0777 << 0400;
}

// A run killed under any umask leaves a copy that the next start under the same umask replaces
// and reads.
void tst_WorkingCopy::leftoverUnderAnyUmaskIsReplaced()
{
#ifdef Q_OS_UNIX
    QFETCH(int, mask);
    const mode_t saved = ::umask(mode_t(mask));
    const bool first = m_copy->write(m_image);
    const QString firstError = m_copy->errorString();
    m_copy.reset(); // killed: the copy stays
    WorkingCopy next;
    const bool second = next.setDirectory(QFile::encodeName(m_dir->path())) && next.write(m_image);
    ::umask(saved);
    QVERIFY2(first, qPrintable(firstError));
    QVERIFY2(second, qPrintable(next.errorString()));
    QTEST(int(lstatOf(m_path).st_mode & 07777), "mode");
    QCOMPARE(read(m_path), m_image);
    QVERIFY(next.remove(m_image));
    QVERIFY(!QFileInfo::exists(m_path));
#else
    QSKIP("needs a umask");
#endif
}

// Through a FUSE view (bindfs) a held descriptor may report whatever has the name now: a user's
// file moved over the copy in the backing folder is still never deleted.
void tst_WorkingCopy::onAFuseViewAUsersFileIsNeverDeleted()
{
#ifdef Q_OS_LINUX
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("bindfs")).isEmpty())
        QSKIP("needs root and bindfs (package bindfs)");
    const QString backing = m_dir->filePath(QStringLiteral("backing"));
    const QString view = m_dir->filePath(QStringLiteral("view"));
    QVERIFY(QDir().mkdir(backing));
    QVERIFY(QDir().mkdir(view));
    if (QProcess::execute(QStringLiteral("bindfs"), {backing, view}) != 0)
        QSKIP("no FUSE here (/dev/fuse)");
    const auto unmount = qScopeGuard([&] {
        if (QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), view}) != 0)
            QProcess::execute(QStringLiteral("umount"), {view});
    });
    WorkingCopy copy;
    QVERIFY(copy.setDirectory(QFile::encodeName(view)));
    QVERIFY2(copy.write(m_image), qPrintable(copy.errorString()));
    const QString users = backing + QStringLiteral("/users.db");
    put(users, "my own file");
    QVERIFY(::rename(QFile::encodeName(users).constData(), QFile::encodeName(backing + QStringLiteral("/Tornevi.db")).constData()) == 0);
    QVERIFY(!copy.remove(m_image));
    QVERIFY(!copy.errorString().isEmpty());
    QCOMPARE(read(backing + QStringLiteral("/Tornevi.db")), QByteArray("my own file"));
#else
    QSKIP("needs FUSE");
#endif
}

QTEST_GUILESS_MAIN(tst_WorkingCopy)
#include "tst_WorkingCopy.moc"
