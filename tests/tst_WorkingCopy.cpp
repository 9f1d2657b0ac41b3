#include "FixtureDb.h"
#include "WorkingCopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
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
    QTest::newRow("a directory of that name") << "directory";
    QTest::newRow("missing parent directory") << "missing";
    QTest::newRow("no path") << "nopath";
#ifdef Q_OS_LINUX
    QTest::newRow("full disk") << "full";
#endif
}

void tst_WorkingCopy::failures()
{
    QFETCH(QString, setup);
    QString path = m_path;
    if (setup == QLatin1String("directory"))
        QVERIFY(QDir().mkdir(m_path));
    else if (setup == QLatin1String("missing"))
        path = WorkingCopy::pathIn(m_dir->filePath(QStringLiteral("nincs")));
    else if (setup == QLatin1String("nopath"))
        path = WorkingCopy::pathIn(QString());
    else if (setup == QLatin1String("full"))
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), m_path));
    QVERIFY(!WorkingCopy::write(path, m_image));
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
    const bool written = WorkingCopy::write(m_path, m_image);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(QFileInfo(m_path).size(), 4096);
#else
    QSKIP("needs a file-size limit");
#endif
}

void tst_WorkingCopy::removeDeletesOnlyFiles_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("remains");
    QTest::newRow("regular file") << "file" << false;
    QTest::newRow("nothing there") << "none" << false;
    QTest::newRow("directory stays") << "directory" << true;
}

void tst_WorkingCopy::removeDeletesOnlyFiles()
{
    QFETCH(QString, setup);
    if (setup == QLatin1String("file"))
        QVERIFY(WorkingCopy::write(m_path, m_image));
    else if (setup == QLatin1String("directory"))
        QVERIFY(QDir().mkdir(m_path));
    QCOMPARE(WorkingCopy::exists(m_path), setup == QLatin1String("file"));
    WorkingCopy::remove(m_path);
    QTEST(QFileInfo::exists(m_path), "remains");
}

QTEST_GUILESS_MAIN(tst_WorkingCopy)
#include "tst_WorkingCopy.moc"
