#include "FixtureDb.h"
#include "WorkingCopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <chrono>
#include <future>

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

// Writing the working copy over whatever stands at its path, and deleting it again.
class tst_WorkingCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void pathJoinsDirectoryAsCaptured_data();
    void pathJoinsDirectoryAsCaptured();
    void replacesAnOlderFile_data();
    void replacesAnOlderFile();
    void refusesAFileLockedBySqlite_data();
    void refusesAFileLockedBySqlite();
    void failures_data();
    void failures();
    void shortWriteIsAFailure();
    void refusesWhatIsNotARegularFile_data();
    void refusesWhatIsNotARegularFile();
    void writesThroughALinkToARegularFile();
    void removeDeletesOnlyFiles_data();
    void removeDeletesOnlyFiles();

private:
    static QByteArray read(const QString &path);
    QByteArray m_image;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void tst_WorkingCopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = WorkingCopy::pathIn(m_dir->path());
    if (m_image.isEmpty()) {
        for (int i = 0; i < 278528; ++i)
            m_image.append(char(i * 7 % 251));
    }
}

QByteArray tst_WorkingCopy::read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void tst_WorkingCopy::pathJoinsDirectoryAsCaptured_data()
{
    const QString sep = QDir::separator();
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain directory") << sep + "home" << sep + "home" + sep + "Tornevi.db";
    QTest::newRow("root keeps its doubled separator") << sep << sep + sep + "Tornevi.db";
    QTest::newRow("unreadable directory gives no path") << QString() << QString();
    QTest::newRow("no normalisation") << sep + "a" + sep + ".." + sep + "b"
                                      << sep + "a" + sep + ".." + sep + "b" + sep + "Tornevi.db";
}

void tst_WorkingCopy::pathJoinsDirectoryAsCaptured()
{
    QFETCH(QString, directory);
    QTEST(WorkingCopy::pathIn(directory), "path");
}

void tst_WorkingCopy::replacesAnOlderFile_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::newRow("longer") << QByteArray(400000, 'L');
    QTest::newRow("shorter") << QByteArray(100, 'S');
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no database at all") << QByteArray("just some text\n");
}

void tst_WorkingCopy::replacesAnOlderFile()
{
    QFETCH(QByteArray, old);
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(old);
    f.close();
    QVERIFY(WorkingCopy::write(m_path, m_image));
    QCOMPARE(read(m_path), m_image);
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
    FixtureDb::create(m_path, 5);
    const QByteArray before = read(m_path);
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(m_path.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, hold.constData(), nullptr, nullptr, nullptr), SQLITE_OK);

    QVERIFY(!WorkingCopy::write(m_path, m_image));
    QCOMPARE(read(m_path), before);

    sqlite3_close(other);
    QVERIFY(WorkingCopy::write(m_path, m_image));
    QCOMPARE(read(m_path), m_image);
}

void tst_WorkingCopy::failures_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason"); // the system's words for it
    QTest::newRow("a directory of that name") << "directory" << "Is a directory";
    QTest::newRow("missing parent directory") << "missing" << "No such file or directory";
    QTest::newRow("no path") << "nopath" << "No such file or directory";
#ifdef Q_OS_LINUX
    // A device is refused before anything is written to it.
    QTest::newRow("link to the full device") << "full" << "Not a regular file";
#endif
}

void tst_WorkingCopy::failures()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QString path = m_path;
    if (setup == QLatin1String("directory"))
        QVERIFY(QDir().mkdir(m_path));
    else if (setup == QLatin1String("missing"))
        path = WorkingCopy::pathIn(m_dir->filePath(QStringLiteral("nincs")));
    else if (setup == QLatin1String("nopath"))
        path = WorkingCopy::pathIn(QString());
    else if (setup == QLatin1String("full"))
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), m_path));
    QString error;
    QVERIFY(!WorkingCopy::write(path, m_image, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void tst_WorkingCopy::shortWriteIsAFailure()
{
#ifdef Q_OS_UNIX
    // A file-size limit makes write() store part of the bytes and report a short count.
    struct rlimit saved = {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved;
    limit.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QString error;
    const bool written = WorkingCopy::write(m_path, m_image, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(QFileInfo(m_path).size(), 4096);
    QCOMPARE(error, qt_error_string(EFBIG));
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
    QTest::newRow("link to a named pipe") << "link to fifo" << "Not a regular file";
    QTest::newRow("directory with a file in it") << "directory" << "Is a directory";
    QTest::newRow("link to a directory") << "link to directory" << "Is a directory";
    // Writing into /dev/null "succeeds" and leaves no database anywhere.
    QTest::newRow("link to /dev/null") << "/dev/null" << "Not a regular file";
    QTest::newRow("link to /dev/full") << "/dev/full" << "Not a regular file";
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
        QFile inside(target + QStringLiteral("/kept"));
        QVERIFY(inside.open(QIODevice::WriteOnly));
        inside.write("kept");
    }
    if (setup.startsWith(QLatin1Char('/')))
        QVERIFY(QFile::link(setup, m_path));
    else if (target != m_path)
        QVERIFY(QFile::link(target, m_path));
    struct stat before = {};
    QCOMPARE(::lstat(QFile::encodeName(m_path).constData(), &before), 0);

    // Our own pipe and directory report every open and every change made to them.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    if (!setup.startsWith(QLatin1Char('/')))
        QVERIFY(::inotify_add_watch(watch, nativeTarget.constData(), IN_ALL_EVENTS & ~(IN_ACCESS | IN_CLOSE_NOWRITE)) >= 0);

    auto writing = std::async(std::launch::async, [this] {
        QString error;
        const bool ok = WorkingCopy::write(m_path, m_image, &error);
        return std::make_pair(ok, error);
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

    // Nor does it count as a working copy that exists.
    QString missing;
    QVERIFY(!WorkingCopy::exists(m_path, &missing));
    QVERIFY2(missing.contains(reason), qPrintable(missing));
#else
    QSKIP("needs named pipes and /dev");
#endif
}

// A link to a regular file is followed: the file is written, the link stays a link.
void tst_WorkingCopy::writesThroughALinkToARegularFile()
{
    const QString target = m_dir->filePath(QStringLiteral("real.db"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(500000, 'o'));
    }
    QVERIFY(QFile::link(target, m_path));
    QString error = QStringLiteral("untouched");
    QVERIFY(WorkingCopy::write(m_path, m_image, &error));
    QCOMPARE(error, QStringLiteral("untouched"));
    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(read(target), m_image);
    QVERIFY(WorkingCopy::exists(m_path));
}

void tst_WorkingCopy::removeDeletesOnlyFiles_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("counts");   // as a working copy that exists
    QTest::addColumn<bool>("remains");
    QTest::newRow("regular file") << "file" << true << false;
    QTest::newRow("nothing there") << "none" << false << false;
    QTest::newRow("directory stays") << "directory" << false << true;
#ifdef Q_OS_UNIX
    QTest::newRow("named pipe stays") << "fifo" << false << true;
    QTest::newRow("link to a regular file goes, the file stays") << "link" << true << false;
#endif
}

void tst_WorkingCopy::removeDeletesOnlyFiles()
{
    QFETCH(QString, setup);
    QFETCH(bool, counts);
    const QString linked = m_dir->filePath(QStringLiteral("linked.db"));
    if (setup == QLatin1String("file")) {
        QVERIFY(WorkingCopy::write(m_path, m_image));
    } else if (setup == QLatin1String("directory")) {
        QVERIFY(QDir().mkdir(m_path));
    } else if (setup == QLatin1String("fifo")) {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0644), 0);
#endif
    } else if (setup == QLatin1String("link")) {
        QVERIFY(WorkingCopy::write(linked, m_image));
        QVERIFY(QFile::link(linked, m_path));
    }
    QCOMPARE(WorkingCopy::exists(m_path), counts);
    WorkingCopy::remove(m_path);
    QTEST(QFileInfo(m_path).exists() || QFileInfo(m_path).isSymLink(), "remains");
    if (setup == QLatin1String("link"))
        QCOMPARE(read(linked), m_image);
}

QTEST_GUILESS_MAIN(tst_WorkingCopy)
#include "tst_WorkingCopy.moc"
