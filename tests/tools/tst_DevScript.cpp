#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// tools/dev.sh, run in a copy of its place in the tree with apt, dpkg, cmake, ctest, clang-tidy and
// the program replaced by stand-ins that only note how they were called: every package counts as
// missing, so each command shows everything it would install, build and start.
class tst_DevScript : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
};

namespace {
// Needed to build the program and to run it.
const QStringList RunPackages{QStringLiteral("build-essential"), QStringLiteral("cmake"), QStringLiteral("ninja-build"), QStringLiteral("qt6-base-dev"), QStringLiteral("libsqlite3-dev"),
                              QStringLiteral("libxcb1-dev"), QStringLiteral("fonts-wine"), QStringLiteral("qt6-translations-l10n")};
// Needed only by the tests, the benchmarks, the fuzzers and the package's checks.
const QStringList TestOnlyPackages{QStringLiteral("clang"), QStringLiteral("libclang-rt-14-dev"), QStringLiteral("binutils-mingw-w64-x86-64"), QStringLiteral("weston"), QStringLiteral("lintian"),
                                   QStringLiteral("hyperfine"), QStringLiteral("xvfb"), QStringLiteral("openbox"), QStringLiteral("xdotool"), QStringLiteral("appstream"), QStringLiteral("desktop-file-utils"),
                                   QStringLiteral("libbenchmark-dev"), QStringLiteral("man-db")};

bool writeScript(const QString &path, const QByteArray &body)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("#!/bin/sh\n" + body);
    f.close();
    return f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
} // namespace

void tst_DevScript::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("run: what building and running need, the program alone, then start it") << "run";
    QTest::newRow("test: everything, every preset, every test") << "test";
}

void tst_DevScript::commands()
{
    QFETCH(QString, command);
    QTemporaryDir tree;
    QVERIFY(tree.isValid());
    const QDir root(tree.path());
    const QString log = root.filePath(QStringLiteral("calls.log"));
    QVERIFY(root.mkpath(QStringLiteral("tools")) && root.mkpath(QStringLiteral("bin"))
            && root.mkpath(QStringLiteral("build/default/app")));
    QVERIFY(QFile::copy(QStringLiteral(TORNEVI_SOURCE_DIR "/tools/dev.sh"), root.filePath(QStringLiteral("tools/dev.sh"))));
    QVERIFY(writeScript(root.filePath(QStringLiteral("bin/dpkg-query")), "exit 1\n"));
    QVERIFY(writeScript(root.filePath(QStringLiteral("bin/sudo")), "exec \"$@\"\n"));
    for (const char *tool : {"apt-get", "cmake", "ctest", "run-clang-tidy"})
        QVERIFY(writeScript(root.filePath(QStringLiteral("bin/") + QLatin1String(tool)),
                            QByteArray("echo \"") + tool + " $*\" >> \"$STUB_LOG\"\n"));
    QVERIFY(writeScript(root.filePath(QStringLiteral("build/default/app/Tornevi")),
                        "echo \"Tornevi started in $(pwd)\" >> \"$STUB_LOG\"\n"));

    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), root.filePath(QStringLiteral("bin")) + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    env.insert(QStringLiteral("STUB_LOG"), log);
    script.setProcessEnvironment(env);
    script.start(QStringLiteral("bash"), {root.filePath(QStringLiteral("tools/dev.sh")), command});
    QVERIFY(script.waitForFinished(60000));
    QVERIFY2(script.exitCode() == 0, script.readAllStandardError().constData());

    QFile calls(log);
    QVERIFY(calls.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(calls.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList installed, builds, tests, tidied;
    QString started;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("apt-get install ")))
            installed << line.split(QLatin1Char(' ')).filter(QRegularExpression(QStringLiteral("^[a-z0-9][a-z0-9.+-]+$")));
        else if (line.startsWith(QLatin1String("cmake --build ")))
            builds << line.mid(6);
        else if (line.startsWith(QLatin1String("ctest ")))
            tests << line.mid(6);
        else if (line.startsWith(QLatin1String("run-clang-tidy ")))
            tidied << line.mid(15);
        else if (line.startsWith(QLatin1String("Tornevi started in ")))
            started = line.mid(19);
    }
    installed.removeAll(QStringLiteral("install"));

    for (const QString &package : RunPackages)
        QVERIFY2(installed.contains(package), qPrintable(package + QLatin1String(" not installed: ") + installed.join(QLatin1Char(' '))));
    if (command == QLatin1String("run")) {
        for (const QString &package : TestOnlyPackages)
            QVERIFY2(!installed.contains(package), qPrintable(package + QLatin1String(" installed for running")));
        QCOMPARE(builds, QStringList{QStringLiteral("--build --preset default --target Tornevi")});
        QCOMPARE(tests, QStringList());
        QVERIFY2(!installed.contains(QStringLiteral("clang-tidy")), "clang-tidy installed for running");
        QCOMPARE(tidied, QStringList());
        QCOMPARE(QDir(started).canonicalPath(), QDir(root.filePath(QStringLiteral("build/default"))).canonicalPath());
    } else {
        for (const QString &package : TestOnlyPackages)
            QVERIFY2(installed.contains(package), qPrintable(package + QLatin1String(" not installed for testing")));
        QCOMPARE(builds, (QStringList{QStringLiteral("--build --preset default"), QStringLiteral("--build --preset asan"), QStringLiteral("--build --preset fuzz")}));
        QCOMPARE(tests.size(), 3);
        QCOMPARE(started, QString());
        QVERIFY2(installed.contains(QStringLiteral("clang-tidy")), "clang-tidy not installed for testing");
        // Once, over the default build's compilation database, where the generated headers are.
        QCOMPARE(tidied.size(), 1);
        QVERIFY2(tidied.at(0).startsWith(QLatin1String("-p build/default ")), qPrintable(tidied.at(0)));
    }
}

QTEST_GUILESS_MAIN(tst_DevScript)
#include "tst_DevScript.moc"
