#include "FixtureDb.h"
#include "ProbeEnvironment.h"
#ifdef TORNEVI_HAVE_XSMP
#include "TestSessionManager.h"
#endif

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <atomic>
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
#include <sched.h>
#include <sys/mount.h>
#endif

// Start-up of the real program, one process per case, watched through the message probe plugin.
class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void faults_data();
    void faults();
    void normalStartWritesIntoWorkingDirectory();
    void whatStandsAtThePath_data();
    void whatStandsAtThePath();
    void workingCopyRemovedBeforeExit();
    void windowManagerCloseAsks_data();
    void windowManagerCloseAsks();
    void sessionManagerEndsTheSession_data();
    void sessionManagerEndsTheSession();
    void renamedExecutableNamesItsMessages();
    void removedWorkingDirectoryWritesNothingElsewhere();
    void textWrittenIntoTheCopyIsKeptAtExit();
    void leftoverUnderAnyUmaskDoesNotBlock_data();
    void leftoverUnderAnyUmaskDoesNotBlock();
    void fileRenamedOverTheCopyIsNotRead();

private:
    struct Run
    {
        QStringList messages;   // "caption|text|icon=..|buttons=..|default=.."
        QString end;            // the state the probe saw as the program ended
        QString title;          // the current record's title as the detail window showed it
        QString errors;         // what the program wrote to standard error
        quint64 ignoredSignals = 0; // as the program ended
        qint64 copySize = -2;   // size of Tornevi.db as the program saw it at the end, -1 absent
        int exitCode = -1;
        bool finished = false;
    };
    Run start(const QString &executable, const QString &directory, const QString &action = {},
              const std::function<void()> &childSetup = {}, bool unprivileged = false);
};

namespace {
const QString Err1 = QStringLiteral("Hiba történt - 1 !");
const QString Err2 = QStringLiteral("Hiba történt - 2 !");
const QString NoFile = QStringLiteral("Nem található az adatállomány !");
const QString NoOpen = QStringLiteral("Adatállomány nem nyitható meg !");
const QString ExitQuestion = QStringLiteral("Figyelem:|Biztosan be kívánja fejezni a program használatát ?|icon=0|");
const QString NoQuery = QStringLiteral("Lekérdezés nem hajtható végre !");

// Exit code of a child whose set-up could not make its private mount.
constexpr int NoMountExit = 97;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

tst_Startup::Run tst_Startup::start(const QString &executable, const QString &directory, const QString &action,
                                    const std::function<void()> &childSetup, bool unprivileged)
{
    QTemporaryDir logDir;
    QFile::setPermissions(logDir.path(), QFileDevice::Permissions(0x7777));
    const QString log = logDir.filePath(QStringLiteral("probe.log"));

    QProcess process;
    QProcessEnvironment env = probeEnvironment(log);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TORNEVI_PROBE_ACTION"), action.section(QLatin1Char(':'), 0, 0));
    env.insert(QStringLiteral("TORNEVI_PROBE_REMOVE"), action.section(QLatin1Char(':'), 1));
    env.insert(QStringLiteral("TORNEVI_PROBE_FILE"), QDir(directory).filePath(QStringLiteral("Tornevi.db")));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(directory);
    if (childSetup)
        process.setChildProcessModifier(childSetup);
    if (unprivileged && ::geteuid() == 0) {
        // Root ignores permission bits: run the program as nobody.
        process.setProgram(QStringLiteral("setpriv"));
        process.setArguments({QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups"), executable});
    } else {
        process.setProgram(executable);
    }
    process.start();
    Run run;
    run.finished = process.waitForFinished(60000);
    if (!run.finished) {
        qWarning().noquote() << "still running; the probe saw:\n" << readAll(log);
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit)
        qWarning() << "crashed:" << process.readAllStandardError().right(4000);
    for (const QString &line : QString::fromUtf8(readAll(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("message|")))
            run.messages << line.mid(8);
        else if (line.startsWith(QLatin1String("end|")))
            run.end = line.mid(4);
        else if (line.startsWith(QLatin1String("title|")))
            run.title = line.mid(6);
        else if (line.startsWith(QLatin1String("sigign|")))
            run.ignoredSignals = line.mid(7).toULongLong(nullptr, 16);
        else if (line.startsWith(QLatin1String("file|")))
            run.copySize = line.mid(5).toLongLong();
    }
    return run;
}

void tst_Startup::faults_data()
{
    QTest::addColumn<bool>("withItem");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("copyAfterwards"); // absent, unchanged, partial, link, fifo, directory, partly written

    QTest::newRow("unwritable working directory")
        << true << "readonly" << QStringList{Err2, NoFile, NoOpen, NoQuery} << "absent";
    QTest::newRow("short write (file-size limit)")
        << true << "fsize" << QStringList{Err2, NoOpen, NoQuery} << "partial";
    QTest::newRow("full file system (64 KiB tmpfs)")
        << true << "tmpfs" << QStringList{Err2, NoOpen, NoQuery} << "partly written";
    // Something other than a regular file is refused at once and is not the working copy either.
    QTest::newRow("device (link to /dev/full) is refused")
        << true << "devfull" << QStringList{Err2, NoFile, NoOpen, NoQuery} << "link";
    QTest::newRow("named pipe called Tornevi.db")
        << true << "fifo" << QStringList{Err2, NoFile, NoOpen, NoQuery} << "fifo";
    QTest::newRow("directory called Tornevi.db")
        << true << "directory" << QStringList{Err2, NoFile, NoOpen, NoQuery} << "directory";
    QTest::newRow("executable without the item")
        << false << "" << QStringList{Err1, Err2, NoFile, NoOpen, NoQuery} << "absent";
    QTest::newRow("working copy that is no database")
        << false << "junk" << QStringList{Err1, Err2, NoOpen, NoQuery} << "unchanged";
    QTest::newRow("copy locked by another SQLite process")
        << true << "locked" << QStringList{Err2, NoOpen, NoQuery} << "unchanged";
}

void tst_Startup::faults()
{
    QFETCH(bool, withItem);
    QFETCH(QString, setup);
    QFETCH(QStringList, expected);
    QFETCH(QString, copyAfterwards);

    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    std::function<void()> childSetup;
    sqlite3 *holder = nullptr;
    QByteArray before;
    int pipeReader = -1;
    struct stat standing = {};

    if (setup == QLatin1String("readonly")) {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                              | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                              | QFileDevice::ExeGroup);
    } else if (setup == QLatin1String("fsize")) {
        childSetup = [] {
            ::signal(SIGXFSZ, SIG_DFL); // the program itself must keep the limit from killing it
            struct rlimit limit = {8192, 8192};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        };
    } else if (setup == QLatin1String("tmpfs")) {
#ifdef Q_OS_LINUX
        // A file system smaller than the database, mounted where only the child sees it.
        const QByteArray target = QFile::encodeName(dir.path());
        childSetup = [target] {
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || ::mount("tornevi-full", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0
                || ::chdir(target.constData()) != 0)
                ::_exit(NoMountExit);
        };
#else
        QSKIP("needs Linux mount namespaces");
#endif
    } else if (setup == QLatin1String("devfull")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), copy));
    } else if (setup == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(copy).constData(), 0644), 0);
        // Our end of the pipe: whatever the program might write into it would wait here.
        pipeReader = ::open(QFile::encodeName(copy).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(pipeReader >= 0);
    } else if (setup == QLatin1String("directory")) {
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Tornevi.db/inside")));
    } else if (setup == QLatin1String("junk")) {
        QFile f(copy);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(10000, 'j'));
    } else if (setup == QLatin1String("locked")) {
        FixtureDb::create(copy, 3);
        // Read before locking: closing any descriptor of the file would drop this process's locks.
        before = readAll(copy);
        QCOMPARE(sqlite3_open_v2(copy.toUtf8().constData(), &holder, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    if (copyAfterwards == QLatin1String("unchanged") && !holder)
        before = readAll(copy);
    ::lstat(QFile::encodeName(copy).constData(), &standing);

    const Run run = start(QString::fromUtf8(withItem ? TORNEVI_EXE : TORNEVI_NOITEM_EXE), dir.path(), {}, childSetup,
                          setup == QLatin1String("readonly"));
    if (holder)
        sqlite3_close(holder);
    QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7700));
    char byte = 0;
    const ssize_t piped = pipeReader >= 0 ? ::read(pipeReader, &byte, 1) : 0;
    if (pipeReader >= 0)
        ::close(pipeReader);

    if (setup == QLatin1String("tmpfs") && run.exitCode == NoMountExit && run.messages.isEmpty())
        QSKIP("no privilege to mount a tmpfs in a private mount namespace (needs CAP_SYS_ADMIN, as root in CI)");
    QVERIFY2(run.finished, "the program did not end by itself after a failed start-up");
    QCOMPARE(run.exitCode, 0);
    QStringList texts;
    for (const QString &m : run.messages) {
        const QStringList parts = m.split(QLatin1Char('|'));
        texts << parts.value(1);
        QCOMPARE(parts.value(2), QStringLiteral("icon=0"));
        QCOMPARE(parts.value(3), QStringLiteral("buttons=OK"));
        QCOMPARE(parts.value(4), QStringLiteral("default=OK"));
    }
    QCOMPARE(texts, expected);
    QVERIFY2(run.end.contains(QLatin1String("Label12=0|")), qPrintable(run.end));
    // Each step says its own reason: a failed write leaves no lock of its own behind.
    if (setup != QLatin1String("locked"))
        QVERIFY2(!run.errors.contains(QLatin1String("database is locked")), qPrintable(run.errors));
    if (setup == QLatin1String("fsize"))
        QVERIFY2(run.errors.contains(QLatin1String("WriteCopy failed for")) && run.errors.contains(qt_error_string(EFBIG)),
                 qPrintable(run.errors));

    const QFileInfo info(copy);
    if (copyAfterwards == QLatin1String("absent"))
        QVERIFY(!info.exists());
    else if (copyAfterwards == QLatin1String("unchanged"))
        QCOMPARE(readAll(copy), before);
    else if (copyAfterwards == QLatin1String("partial"))
        QCOMPARE(info.size(), 8192);
    else if (copyAfterwards == QLatin1String("link"))
        QVERIFY(info.isSymLink());
    else if (copyAfterwards == QLatin1String("partly written")) {
        // Outside the child's mount nothing was written; inside, the part that fitted stays.
        QVERIFY(!info.exists());
        QVERIFY2(run.copySize > 0 && run.copySize < 278528, qPrintable(QString::number(run.copySize)));
    }
    if (copyAfterwards == QLatin1String("fifo") || copyAfterwards == QLatin1String("directory")) {
        struct stat after = {};
        QCOMPARE(::lstat(QFile::encodeName(copy).constData(), &after), 0);
        QCOMPARE(after.st_ino, standing.st_ino);
        QCOMPARE(after.st_mode, standing.st_mode);
        QCOMPARE(after.st_mtim.tv_sec, standing.st_mtim.tv_sec);
        QCOMPARE(after.st_mtim.tv_nsec, standing.st_mtim.tv_nsec);
    }
    if (copyAfterwards == QLatin1String("fifo"))
        QCOMPARE(piped, ssize_t(0)); // nothing was written into the pipe
    if (copyAfterwards == QLatin1String("directory"))
        QCOMPARE(QDir(copy).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("inside")});
}

void tst_Startup::normalStartWritesIntoWorkingDirectory()
{
    QTemporaryDir dir;
    const QString besideExecutable = QFileInfo(QStringLiteral(TORNEVI_EXE)).dir().filePath(QStringLiteral("Tornevi.db"));
    QFile::remove(besideExecutable);
    // A copy that an earlier run left cut short is replaced completely.
    {
        QFile old(dir.filePath(QStringLiteral("Tornevi.db")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(readAll(FixtureDb::shippedDatabase()).left(100000));
    }
    const Run run = start(QStringLiteral(TORNEVI_EXE), dir.path(), QStringLiteral("exit"));
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.messages, QStringList());
    QCOMPARE(run.end, QStringLiteral("caption=Tornevi Ubrel összes költeménye:|Label12=89|Edit1=|page=0"));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("Tornevi.db"))), readAll(FixtureDb::shippedDatabase()));
    QVERIFY(!QFile::exists(besideExecutable));
#ifdef SIGXFSZ
    // Ignored only while the copy is written: programs started later (a browser for a link)
    // get the default.
    QVERIFY2(!(run.ignoredSignals & (quint64(1) << (SIGXFSZ - 1))), qPrintable(QString::number(run.ignoredSignals, 16)));
#endif
}

namespace {
QString firstTitleIn(const QString &path, int flags = SQLITE_OPEN_READONLY)
{
    sqlite3 *db = nullptr;
    QString title;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT CIM FROM tbl_Data ORDER BY AZ LIMIT 1", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            title = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return title;
}

// A journal or WAL file that makes plain SQLite show "Hamis" as the first title of the shipped
// database: the forged page is what the journal holds, or what the WAL adds.
QByteArray forgedSideFile(const QString &kind)
{
    QTemporaryDir scratch;
    const QString db = scratch.filePath(QStringLiteral("x.db"));
    QFile::copy(FixtureDb::shippedDatabase(), db);
    QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString original = firstTitleIn(db);
    sqlite3 *h = nullptr;
    sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray forge = "UPDATE tbl_Data SET CIM = 'Hamis' WHERE AZ = (SELECT min(AZ) FROM tbl_Data)";
    QByteArray side;
    if (kind == QLatin1String("journal")) {
        sqlite3_exec(h, forge.constData(), nullptr, nullptr, nullptr);
        // Unsynced, the journal's header is valid from the start: it is hot while the change is open.
        sqlite3_exec(h, "PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr, nullptr);
        const QByteArray back = "UPDATE tbl_Data SET CIM = '" + original.toUtf8() + "' WHERE AZ = (SELECT min(AZ) FROM tbl_Data)";
        sqlite3_exec(h, back.constData(), nullptr, nullptr, nullptr);
        side = readAll(db + QStringLiteral("-journal"));
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        sqlite3_exec(h, "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0", nullptr, nullptr, nullptr);
        sqlite3_exec(h, forge.constData(), nullptr, nullptr, nullptr);
        side = readAll(db + QStringLiteral("-wal"));
    }
    sqlite3_close(h);
    return side;
}
} // namespace

void tst_Startup::whatStandsAtThePath_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("replaced"); // the copy is the shipped database afterwards, else all stays as placed
    QTest::newRow("nothing") << "nothing" << QStringList() << true;
    QTest::newRow("our whole leftover") << "whole" << QStringList() << true;
    QTest::newRow("our partial leftover") << "partial" << QStringList() << true;
    // A poem database this program did not write may be the user's own.
    QTest::newRow("a poem database of another edition") << "edition" << QStringList{Err2} << false;
    QTest::newRow("our copy with bytes added") << "appended" << QStringList{Err2} << false;
    QTest::newRow("our copy with one byte changed") << "one byte" << QStringList{Err2} << false;
    QTest::newRow("another user's empty file in a sticky folder") << "planted" << QStringList{Err2, NoQuery} << false;
    QTest::newRow("our cut-short copy that another user may write") << "acl" << QStringList() << true;
    QTest::newRow("a user's text file") << "text" << QStringList{Err2, NoOpen, NoQuery} << false;
    QTest::newRow("an SQLite file of another program") << "other sqlite" << QStringList{Err2, NoQuery} << false;
    QTest::newRow("a link to a user's file") << "link" << QStringList{Err2, NoFile, NoOpen, NoQuery} << false;
    QTest::newRow("a dangling link") << "dangling" << QStringList{Err2, NoFile, NoOpen, NoQuery} << false;
    QTest::newRow("a link to a directory") << "link to directory" << QStringList{Err2, NoFile, NoOpen, NoQuery} << false;
    QTest::newRow("a hard link to a user's file") << "hard link" << QStringList{Err2, NoOpen, NoQuery} << false;
    QTest::newRow("another user's link in a sticky folder") << "sticky link" << QStringList{Err2, NoFile, NoOpen, NoQuery}
                                                            << false;
    QTest::newRow("a hot journal beside the copy") << "journal" << QStringList() << true;
    QTest::newRow("a WAL file beside the copy") << "wal" << QStringList() << true;
}

// Only what this program could have left is replaced; anything else, and whatever a link leads
// to, stays byte for byte; files beside the copy are neither replayed nor removed.
void tst_Startup::whatStandsAtThePath()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, expected);
    QFETCH(bool, replaced);
    QTemporaryDir dir;
    QTemporaryDir outside;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    const QString target = outside.filePath(QStringLiteral("users.txt"));
    const QByteArray shipped = readAll(FixtureDb::shippedDatabase());
    const auto put = [](const QString &path, const QByteArray &bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QString side;
    if (setup == QLatin1String("whole"))
        QVERIFY(put(copy, shipped));
    else if (setup == QLatin1String("partial"))
        QVERIFY(put(copy, shipped.left(123456)));
    else if (setup == QLatin1String("edition"))
        FixtureDb::create(copy, 7);
    else if (setup == QLatin1String("appended"))
        QVERIFY(put(copy, shipped + "x"));
    else if (setup == QLatin1String("one byte")) {
        QByteArray changed = shipped;
        changed[250000] = char(changed.at(250000) ^ 1);
        QVERIFY(put(copy, changed));
    } else if (setup == QLatin1String("planted")) {
        if (::geteuid() != 0)
            QSKIP("needs root to plant a file as another user");
        QVERIFY(put(copy, QByteArray()));
        ::chmod(QFile::encodeName(dir.path()).constData(), 01777);
        QCOMPARE(::chown(QFile::encodeName(copy).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(QFile::encodeName(copy).constData(), 0666), 0);
    } else if (setup == QLatin1String("acl")) {
        QVERIFY(put(copy, shipped.left(5000)));
        if (QProcess::execute(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:nobody:rw"), copy}) != 0)
            QSKIP("setfacl (package acl) or ACLs on this file system are missing");
    }
    else if (setup == QLatin1String("text"))
        QVERIFY(put(copy, "notes\n"));
    else if (setup == QLatin1String("other sqlite")) {
        sqlite3 *h = nullptr;
        QCOMPARE(sqlite3_open_v2(copy.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(h, "CREATE TABLE notes(x); INSERT INTO notes VALUES('mine')", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(h);
    }
    else if (setup == QLatin1String("link") || setup == QLatin1String("sticky link")) {
        QVERIFY(put(target, "notes\n"));
        QVERIFY(QFile::link(target, copy));
    } else if (setup == QLatin1String("dangling")) {
        QVERIFY(QFile::link(target, copy));
    } else if (setup == QLatin1String("link to directory")) {
        QVERIFY(QFile::link(outside.path(), copy));
    } else if (setup == QLatin1String("hard link")) {
        QVERIFY(put(target, "notes\n"));
        QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(copy).constData()), 0);
    } else if (setup == QLatin1String("journal") || setup == QLatin1String("wal")) {
        side = copy + (setup == QLatin1String("wal") ? QStringLiteral("-wal") : QStringLiteral("-journal"));
        const QByteArray forged = forgedSideFile(setup);
        QVERIFY(!forged.isEmpty());
        // The fixture does what it claims: plain SQLite shows the forged title.
        QTemporaryDir check;
        const QString checked = check.filePath(QStringLiteral("Tornevi.db"));
        QVERIFY(put(checked, shipped));
        QVERIFY(put(checked + side.mid(copy.size()), forged));
        QCOMPARE(firstTitleIn(checked, SQLITE_OPEN_READWRITE), QStringLiteral("Hamis"));
        QVERIFY(put(side, forged));
    }
    if (setup == QLatin1String("sticky link")) {
        QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
        ::chmod(QFile::encodeName(dir.path()).constData(), 01777);
        if (::geteuid() == 0)
            QCOMPARE(::lchown(QFile::encodeName(copy).constData(), 65534, 65534), 0);
    }
    const QByteArray before = readAll(copy);
    const QByteArray targetBefore = readAll(target);
    const QByteArray sideBefore = side.isEmpty() ? QByteArray() : readAll(side);

    const Run run = start(QStringLiteral(TORNEVI_EXE), dir.path(), QStringLiteral("exit"));
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QStringList texts;
    for (const QString &m : run.messages)
        texts << m.section(QLatin1Char('|'), 1, 1);
    QCOMPARE(texts, expected);
    if (replaced) {
        QCOMPARE(readAll(copy), shipped);
        // A new file took the old one's place: no permission of the old one carries over.
        struct stat st = {};
        QCOMPARE(::stat(QFile::encodeName(copy).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0444));
        QProcess acl;
        acl.start(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), QStringLiteral("--skip-base"), copy});
        if (acl.waitForFinished())
            QCOMPARE(acl.readAllStandardOutput().trimmed(), QByteArray());
        QVERIFY2(run.end.contains(QLatin1String("|Label12=89|")), qPrintable(run.end));
        QCOMPARE(run.title, firstTitleIn(FixtureDb::shippedDatabase()));
    } else {
        QCOMPARE(readAll(copy), before);
        QVERIFY2(run.errors.contains(QLatin1String("WriteCopy failed for")), qPrintable(run.errors));
        if (setup == QLatin1String("planted"))
            QCOMPARE(QFileInfo(copy).ownerId(), 65534u);
    }
    QCOMPARE(readAll(target), targetBefore);
    if (setup == QLatin1String("dangling"))
        QVERIFY(!QFileInfo::exists(target));
    if (!side.isEmpty())
        QCOMPARE(readAll(side), sideBefore);
}

void tst_Startup::workingCopyRemovedBeforeExit()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    const Run run = start(QStringLiteral(TORNEVI_EXE), dir.path(), QStringLiteral("remove-and-close:") + copy);
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    // The exit question, answered Yes, and no message about the missing copy.
    QCOMPARE(run.messages.size(), 1);
    QVERIFY2(run.messages.constFirst().startsWith(ExitQuestion), qPrintable(run.messages.constFirst()));
    QVERIFY(!QFile::exists(copy));
}

void tst_Startup::windowManagerCloseAsks_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("Yes ends the program and removes the copy") << "Yes";
    QTest::newRow("No keeps it running with the copy") << "No";
}

// The close box as a window manager delivers it (WM_DELETE_WINDOW), to the unchanged program.
void tst_Startup::windowManagerCloseAsks()
{
    QFETCH(QString, answer);
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("xcb") || QStandardPaths::findExecutable(QStringLiteral("wmctrl")).isEmpty())
        QSKIP("needs an X server with a window manager, and wmctrl (the _wm run)");
    QTemporaryDir dir;
    QTemporaryDir logDir;
    const QString log = logDir.filePath(QStringLiteral("probe.log"));
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    QProcess program;
    QProcessEnvironment env = probeEnvironment(log);
    env.insert(QStringLiteral("TORNEVI_PROBE_ANSWER"), answer);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(QStringLiteral(TORNEVI_EXE), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(log).contains("running|"), 20000);
    QVERIFY(QFile::exists(copy));

    // Closed only once the window manager lists the window; wmctrl matches titles byte for byte
    // only in ASCII, and the caption's opening words are enough.
    const auto listed = [] {
        QProcess list;
        list.start(QStringLiteral("wmctrl"), {QStringLiteral("-l")});
        list.waitForFinished(5000);
        return list.readAllStandardOutput().contains("Tornevi Ubrel");
    };
    QTRY_VERIFY_WITH_TIMEOUT(listed(), 10000);
    QCOMPARE(QProcess::execute(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("Tornevi Ubrel")}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(log).contains("message|"), 10000);
    if (answer == QLatin1String("Yes")) {
        // It may have ended while the log was being watched already.
        if (program.state() != QProcess::NotRunning)
            QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFile::exists(copy));
    } else {
        QTest::qWait(500);
        QCOMPARE(program.state(), QProcess::Running);
        QVERIFY(QFile::exists(copy));
        program.kill();
        program.waitForFinished();
    }
    const QString messages = QString::fromUtf8(readAll(log));
    QCOMPARE(messages.count(QLatin1String("message|")), 1);
    QVERIFY2(messages.contains(QLatin1String("message|") + ExitQuestion), qPrintable(messages));
}

void tst_Startup::sessionManagerEndsTheSession_data()
{
    QTest::addColumn<QString>("logout");
    QTest::addColumn<bool>("ends");
    QTest::newRow("shutdown, immediately: die without a save request") << "die" << true;
    QTest::newRow("shutdown with checkpoint: save yourself for the shutdown, then die") << "save, die" << true;
    QTest::newRow("checkpoint alone: the session goes on, and so does the program") << "checkpoint" << false;
}

// The desktop's logout through a real XSMP session manager, as the user's session has one: at
// its end the program goes at once, asks nothing and leaves its working copy; a checkpoint of a
// session that goes on changes nothing.
void tst_Startup::sessionManagerEndsTheSession()
{
    QFETCH(QString, logout);
    QFETCH(bool, ends);
#ifdef TORNEVI_HAVE_XSMP
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("xcb"))
        QSKIP("session management comes with X11 (the _wm run)");
    TestSessionManager manager;
    QVERIFY2(manager.listen(), qPrintable(manager.error()));
    QTemporaryDir dir;
    QTemporaryDir logDir;
    const QString log = logDir.filePath(QStringLiteral("probe.log"));
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    QProcess program;
    QProcessEnvironment env = probeEnvironment(log);
    env.insert(QStringLiteral("SESSION_MANAGER"), manager.address());
    env.insert(QStringLiteral("TORNEVI_PROBE_ANSWER"), QStringLiteral("No"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(dir.path());
    program.start(QStringLiteral(TORNEVI_EXE), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(log).contains("running|"), 20000);
    // Registered, and done with the save that every new client is asked for.
    QTRY_VERIFY_WITH_TIMEOUT(manager.registeredClients() == 1 && manager.savesDone() == 1, 10000);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(QFile::exists(copy));

    if (logout == QLatin1String("die")) {
        manager.die();
    } else {
        manager.saveYourself(logout != QLatin1String("checkpoint"));
        QTRY_VERIFY_WITH_TIMEOUT(manager.savesDone() == 2, 10000);
        if (logout != QLatin1String("checkpoint"))
            manager.die();
    }
    if (ends) {
        QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 10000);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    } else {
        QTest::qWait(500);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
    }
    const QString seen = QString::fromUtf8(readAll(log));
    QVERIFY2(!seen.contains(QLatin1String("message|")), qPrintable(seen));
    QVERIFY(QFile::exists(copy));
#else
    Q_UNUSED(logout);
    Q_UNUSED(ends);
    QSKIP("built without libSM and libICE");
#endif
}

void tst_Startup::renamedExecutableNamesItsMessages()
{
    QTemporaryDir dir;
    const QString renamed = dir.filePath(QStringLiteral("ReNaMed.Program.bin"));
    QVERIFY(QFile::copy(QStringLiteral(TORNEVI_NOITEM_EXE), renamed));
    const Run run = start(renamed, dir.path());
    QVERIFY(run.finished);
    QVERIFY(!run.messages.isEmpty());
    for (const QString &m : run.messages)
        QCOMPARE(m.section(QLatin1Char('|'), 0, 0), QStringLiteral("Renamed"));
    QVERIFY(run.end.startsWith(QStringLiteral("caption=Tornevi Ubrel összes költeménye:|")));
}

// A working directory deleted before the start cannot be read: nothing is written anywhere.
void tst_Startup::removedWorkingDirectoryWritesNothingElsewhere()
{
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkdir(gone));
    const QByteArray goneNative = QFile::encodeName(gone);
    // The child removes its own working directory after entering it.
    const Run run = start(QStringLiteral(TORNEVI_EXE), gone, {}, [goneNative] { ::rmdir(goneNative.constData()); });
    QVERIFY(run.finished);
    QCOMPARE(run.messages.size(), 4);
    QCOMPARE(run.messages.at(0).section(QLatin1Char('|'), 1, 1), Err2);
    QCOMPARE(run.messages.at(1).section(QLatin1Char('|'), 1, 1), NoFile);
    QVERIFY(!QFile::exists(QStringLiteral("/Tornevi.db")));
}

// Text written into the running copy keeps the file's identity but not its bytes: the exit keeps
// it, and says why.
void tst_Startup::textWrittenIntoTheCopyIsKeptAtExit()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    const Run run = start(QStringLiteral(TORNEVI_EXE), dir.path(), QStringLiteral("overwrite-and-quit"));
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.messages.size(), 1); // the exit question, answered Yes
    QVERIFY2(run.messages.constFirst().startsWith(ExitQuestion), qPrintable(run.messages.constFirst()));
    QCOMPARE(readAll(copy), QByteArray("notes\n"));
    QVERIFY2(run.errors.contains(QLatin1String("was not deleted")), qPrintable(run.errors));
}

void tst_Startup::leftoverUnderAnyUmaskDoesNotBlock_data()
{
    QTest::addColumn<int>("mask");
    QTest::newRow("umask 0222") << 0222;
    QTest::newRow("umask 0277") << 0277;
    QTest::newRow("umask 0477") << 0477;
    QTest::newRow("umask 0777") << 0777;
}

// A run that ends without its exit flow leaves the copy; the next start under the same umask,
// as an ordinary user, replaces it and reads it.
void tst_Startup::leftoverUnderAnyUmaskDoesNotBlock()
{
#ifdef Q_OS_UNIX
    QFETCH(int, mask);
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777));
    const std::function<void()> withMask = [mask] { ::umask(mode_t(mask)); };
    for (int round = 0; round < 2; ++round) {
        const Run run = start(QStringLiteral(TORNEVI_EXE), dir.path(), QStringLiteral("exit"), withMask, true);
        QVERIFY(run.finished);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages.join(QLatin1Char('\n')) + run.errors));
        QVERIFY2(run.end.contains(QLatin1String("|Label12=89|")), qPrintable(run.end));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Tornevi.db"))), readAll(FixtureDb::shippedDatabase()));
    }
#else
    QSKIP("needs a umask");
#endif
}

// Another database renamed over the copy the moment it appears is never what the program shows.
void tst_Startup::fileRenamedOverTheCopyIsNotRead()
{
#ifdef Q_OS_LINUX
    QTemporaryDir dir;
    QTemporaryDir scratch;
    const QString forged = scratch.filePath(QStringLiteral("forged.db"));
    QVERIFY(QFile::copy(FixtureDb::shippedDatabase(), forged));
    QFile::setPermissions(forged, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    sqlite3 *h = nullptr;
    QCOMPARE(sqlite3_open_v2(forged.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(h, "UPDATE tbl_Data SET CIM = 'Hamis'", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(h);
    const QByteArray forgedBytes = readAll(forged);
    const QString shippedTitle = firstTitleIn(FixtureDb::shippedDatabase());

    for (int round = 0; round < 4; ++round) {
        const QString planted = dir.filePath(QStringLiteral("planted.db"));
        QFile f(planted);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(forgedBytes);
        f.close();
        const int watch = ::inotify_init1(IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_CREATE | IN_MOVED_TO) >= 0);
        const QByteArray from = QFile::encodeName(planted);
        const QByteArray to = QFile::encodeName(dir.filePath(QStringLiteral("Tornevi.db")));
        std::atomic<bool> renamed = false;
        std::thread attacker([&] {
            alignas(inotify_event) char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(watch, buffer, sizeof buffer);
                if (n <= 0)
                    return;
                for (char *p = buffer; p < buffer + n;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(p);
                    if (event->len && qstrcmp(event->name, "Tornevi.db") == 0) {
                        renamed = ::rename(from.constData(), to.constData()) == 0;
                        return;
                    }
                    p += sizeof(inotify_event) + event->len;
                }
            }
        });
        const Run run = start(QStringLiteral(TORNEVI_EXE), dir.path(), QStringLiteral("exit"));
        ::close(watch);
        attacker.join();
        QVERIFY(run.finished);
        QVERIFY(renamed);
        // Either the program read its own copy before the rename, or it refused to open.
        QVERIFY2(run.title != QLatin1String("Hamis"), "the program showed the file renamed over its copy");
        if (run.end.contains(QLatin1String("|Label12=89|")))
            QCOMPARE(run.title, shippedTitle);
        else
            QCOMPARE(run.messages.size(), 2);
        QFile::remove(dir.filePath(QStringLiteral("Tornevi.db")));
    }
#else
    QSKIP("needs inotify");
#endif
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_Startup.moc"
