#include "CommandLine.h"
#include "FixtureDb.h"
#include "ProbeEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// What the command line asks: --help and --version are answered on standard output without a
// display and without a working copy; any other argument leaves the program to start as before.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void request_data();
    void request();
    void answeredWithoutADisplay_data();
    void answeredWithoutADisplay();
    void otherArgumentsStartTheProgram_data();
    void otherArgumentsStartTheProgram();
};

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}
} // namespace

void tst_CommandLine::request_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("request");
    const int run = int(CommandLine::Request::Run);
    const int help = int(CommandLine::Request::Help);
    const int version = int(CommandLine::Request::Version);
    QTest::newRow("nothing") << QStringList{} << run;
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << help;
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << help;
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << version;
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << version;
    QTest::newRow("version wins over help") << QStringList{QStringLiteral("--help"), QStringLiteral("--version")} << version;
    QTest::newRow("help beside an unknown option") << QStringList{QStringLiteral("--frobnicate"), QStringLiteral("--help")} << help;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << run;
    QTest::newRow("a file name") << QStringList{QStringLiteral("versek.txt")} << run;
    QTest::newRow("Qt's -reverse is not -r -e -v ...") << QStringList{QStringLiteral("-reverse")} << run;
    QTest::newRow("Qt's -platform with its value") << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")} << run;
    QTest::newRow("after --, --help is a file name") << QStringList{QStringLiteral("--"), QStringLiteral("--help")} << run;
}

void tst_CommandLine::request()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, request);
    arguments.prepend(QStringLiteral("/usr/bin/Tornevi"));
    QCOMPARE(int(CommandLine::request(arguments)), request);
}

void tst_CommandLine::answeredWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("printed");   // lines that must be among what is printed
    const QStringList usage{QStringLiteral("Usage: " TORNEVI_EXE " [options]"), QStringLiteral("Reader for the complete poems of Tornevi Ubrel."),
                            QStringLiteral("  -h, --help     Displays help on commandline options."),
                            QStringLiteral("  -v, --version  Displays version information.")};
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << usage;
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << usage;
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << QStringList{QStringLiteral("Tornevi " TORNEVI_VERSION)};
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << QStringList{QStringLiteral("Tornevi " TORNEVI_VERSION)};
    QTest::newRow("--help beside Qt's own options") << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-reverse"), QStringLiteral("--help")} << usage;
}

// No display, no platform chosen: the program prints, ends with 0 and writes nothing.
void tst_CommandLine::answeredWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, printed);
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(TORNEVI_EXE), arguments);
    QVERIFY(process.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, qPrintable(err));
    QCOMPARE(err, QString());
    const QStringList out = QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : printed)
        QVERIFY2(out.contains(line), qPrintable(QStringLiteral("%1 missing from:\n%2").arg(line, out.join(QLatin1Char('\n')))));
    QCOMPARE(entries(dir.path()), QStringList());
}

void tst_CommandLine::otherArgumentsStartTheProgram_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")};
    QTest::newRow("a file name") << QStringList{QStringLiteral("versek.txt")};
    QTest::newRow("Qt's -reverse") << QStringList{QStringLiteral("-reverse")};
    QTest::newRow("after --, --help is only a word") << QStringList{QStringLiteral("--"), QStringLiteral("--help")};
}

// The window comes up as without arguments; the probe ends the run once the loop runs, which
// leaves the working copy behind.
void tst_CommandLine::otherArgumentsStartTheProgram()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QTemporaryDir logDir;
    const QString log = logDir.filePath(QStringLiteral("probe.log"));
    QProcess process;
    QProcessEnvironment env = probeEnvironment(log);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TORNEVI_PROBE_ACTION"), QStringLiteral("exit"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(TORNEVI_EXE), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardOutput()), QString());
    const QString seen = QString::fromUtf8(readAll(log));
    QVERIFY2(seen.contains(QStringLiteral("end|caption=Tornevi Ubrel összes költeménye:|Label12=89|")), qPrintable(seen));
    QVERIFY2(!seen.contains(QLatin1String("message|")), qPrintable(seen));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("Tornevi.db"))), readAll(FixtureDb::shippedDatabase()));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_CommandLine.moc"
