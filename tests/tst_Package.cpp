#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// The Debian package that CPack builds from the install rules, unpacked into a temporary root
// with dpkg-deb and checked file by file and with the desktop's own validators and lintian.
class tst_Package : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void nothingElseIsInstalled();
    void icons_data();
    void icons();
    void desktopEntry_data();
    void desktopEntry();
    void desktopEntryValidates();
    void metainfo();
    void dependencies_data();
    void dependencies();
    void lintianFindsNothing();
    void installedProgramSearchesOnlySystemLibraries();
    void installedProgramWritesItsCopyWhereItStarts();

private:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    static Result run(const QString &program, const QStringList &args, const QString &directory = {},
                      int timeoutMs = 240000);
    QString installed(const QString &path) const { return m_root.filePath(path); }

    QTemporaryDir m_work;
    QDir m_root;
    QString m_deb;
};

namespace {
const QString AppId = QStringLiteral("hu.pelmosdaruvin.tornevi");
const int IconSizes[] = {16, 32, 48, 64, 128, 256};

QString iconPath(int size)
{
    return QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
}

QStringList expectedFiles()
{
    QStringList files{QStringLiteral("usr/bin/Tornevi"),
                      QStringLiteral("usr/share/applications/%1.desktop").arg(AppId),
                      QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId),
                      QStringLiteral("usr/share/man/man1/Tornevi.1.gz"),
                      QStringLiteral("usr/share/doc/tornevi/copyright"),
                      QStringLiteral("usr/share/doc/tornevi/changelog.gz")};
    for (int size : IconSizes)
        files << iconPath(size);
    files.sort();
    return files;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

tst_Package::Result tst_Package::run(const QString &program, const QStringList &args, const QString &directory,
                                     int timeoutMs)
{
    Result result;
    QProcess process;
    if (!directory.isEmpty())
        process.setWorkingDirectory(directory);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        result.err = QStringLiteral("%1 did not finish: %2").arg(program, process.errorString());
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void tst_Package::initTestCase()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("The sanitizer build is not packaged; the default build's run checks the package.");
#endif
    QVERIFY(m_work.isValid());
    const QString out = m_work.filePath(QStringLiteral("out"));
    const Result cpack = run(QStringLiteral(CPACK_COMMAND),
                             {QStringLiteral("--config"), QStringLiteral(TORNEVI_BINARY_DIR "/CPackConfig.cmake"),
                              QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out});
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
    const QStringList debs = QDir(out).entryList({QStringLiteral("tornevi_*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = QDir(out).filePath(debs.first());

    m_root.setPath(m_work.filePath(QStringLiteral("root")));
    const Result extract = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root.path()});
    QVERIFY2(extract.exitCode == 0, qPrintable(extract.err));
}

void tst_Package::installedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("magic");   // how the file begins
    QTest::addColumn<bool>("executable");

    const QByteArray elf("\x7f" "ELF");
    const QByteArray gzip("\x1f\x8b");
    QTest::newRow("the program") << "usr/bin/Tornevi" << elf << true;
    QTest::newRow("desktop entry") << QStringLiteral("usr/share/applications/%1.desktop").arg(AppId)
                                   << QByteArray("[Desktop Entry]") << false;
    QTest::newRow("metainfo") << QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId)
                              << QByteArray("<?xml") << false;
    QTest::newRow("manual page") << "usr/share/man/man1/Tornevi.1.gz" << gzip << false;
    QTest::newRow("copyright") << "usr/share/doc/tornevi/copyright" << QByteArray("Tornevi") << false;
    QTest::newRow("changelog") << "usr/share/doc/tornevi/changelog.gz" << gzip << false;
    for (int size : IconSizes)
        QTest::addRow("icon %dx%d", size, size) << iconPath(size) << QByteArray("\x89PNG") << false;
}

void tst_Package::installedFiles()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, magic);
    QFETCH(bool, executable);

    const QFileInfo info(installed(path));
    QVERIFY2(info.isFile() && !info.isSymLink(), qPrintable(path));
    QVERIFY(readAll(info.filePath()).startsWith(magic));
    QCOMPARE(info.isExecutable(), executable);
}

void tst_Package::nothingElseIsInstalled()
{
    QStringList files;
    QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << m_root.relativeFilePath(it.next());
    files.sort();
    // Above all no tests, no test helpers and no Tornevi_noitem.
    QCOMPARE(files, expectedFiles());
}

void tst_Package::icons_data()
{
    QTest::addColumn<int>("size");
    for (int size : IconSizes)
        QTest::addRow("%dx%d", size, size) << size;
}

void tst_Package::icons()
{
    QFETCH(int, size);
    const QImage image(installed(iconPath(size)));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    const QImage drawn(QStringLiteral(TORNEVI_SOURCE_DIR "/resources/icons/mainicon_%1.png").arg(size));
    QCOMPARE(image.convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32));
}

void tst_Package::desktopEntry_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");   // a null string: the key must be absent

    QTest::newRow("an application") << "Type" << "Application";
    QTest::newRow("Hungarian name") << "Name" << "Tornevi Ubrel versei";
    QTest::newRow("Hungarian comment")
        << "Comment" << "Tornevi Ubrel összes költeménye: a versek címjegyzéke, keresés és olvasás";
    QTest::newRow("starts the installed program by name") << "Exec" << "Tornevi";
    QTest::newRow("the installed icon by the application id") << "Icon" << AppId;
    QTest::newRow("no terminal") << "Terminal" << "false";
    QTest::newRow("the window class that Qt gives the program") << "StartupWMClass" << "Tornevi";
    // The working copy goes into the directory the launcher starts in: the home folder.
    QTest::newRow("no working directory of its own") << "Path" << QString();
}

void tst_Package::desktopEntry()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    QFile file(installed(QStringLiteral("usr/share/applications/%1.desktop").arg(AppId)));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QString found;
    bool inMainGroup = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.startsWith(key + QLatin1Char('=')))
            found = line.mid(key.size() + 1);
    }
    QCOMPARE(found, value);
    QCOMPARE(found.isNull(), value.isNull());
}

void tst_Package::desktopEntryValidates()
{
    const Result check = run(QStringLiteral("desktop-file-validate"),
                             {installed(QStringLiteral("usr/share/applications/%1.desktop").arg(AppId))});
    QVERIFY2(check.exitCode == 0 && check.out.isEmpty(), qPrintable(check.out + check.err));
}

void tst_Package::metainfo()
{
    const QString path = installed(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId));
    const Result check = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), path});
    QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString id, launchable, binary;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        QString *field = xml.name() == QLatin1String("id")           ? &id
                         : xml.name() == QLatin1String("launchable") ? &launchable
                         : xml.name() == QLatin1String("binary")     ? &binary
                                                                     : nullptr;
        if (field && field->isNull())
            *field = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(id, AppId);
    // The software centre reaches the program through the installed entry and binary named here.
    QVERIFY(QFileInfo(installed(QStringLiteral("usr/share/applications/") + launchable)).isFile());
    const QFileInfo program(installed(QStringLiteral("usr/bin/") + binary));
    QVERIFY(program.isFile() && program.isExecutable());
}

void tst_Package::dependencies_data()
{
    QTest::addColumn<QString>("package");
    QTest::newRow("Qt widgets, from shlibdeps") << "libqt6widgets6";
    QTest::newRow("Qt GUI, from shlibdeps") << "libqt6gui6";
    QTest::newRow("Qt core, from shlibdeps") << "libqt6core6";
    QTest::newRow("SQLite, from shlibdeps") << "libsqlite3-0";
    QTest::newRow("C++ library, from shlibdeps") << "libstdc++6";
    QTest::newRow("the Tahoma clone, loaded at run time") << "fonts-wine";
    QTest::newRow("Qt's Hungarian translations, loaded at run time") << "qt6-translations-l10n";
}

void tst_Package::dependencies()
{
    QFETCH(QString, package);
    const Result depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Depends")});
    QCOMPARE(depends.exitCode, 0);
    QStringList names;
    for (const QString &entry : depends.out.split(QLatin1Char(','), Qt::SkipEmptyParts))
        names << entry.trimmed().section(QLatin1Char(' '), 0, 0);
    QVERIFY2(names.contains(package), qPrintable(depends.out));
    for (const QString &name : std::as_const(names))
        QVERIFY2(!name.endsWith(QLatin1String("-dev")), qPrintable(name));
}

void tst_Package::lintianFindsNothing()
{
    const Result lintian = run(QStringLiteral("lintian"),
                               {QStringLiteral("--fail-on"), QStringLiteral("error,warning"),
                                QStringLiteral("--display-info"), m_deb});
    qInfo().noquote() << lintian.out;
    QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.out + lintian.err));
    QVERIFY2(!lintian.out.contains(QLatin1String("W: ")) && !lintian.out.contains(QLatin1String("E: ")),
             qPrintable(lintian.out));
}

void tst_Package::installedProgramSearchesOnlySystemLibraries()
{
    const Result dynamic = run(QStringLiteral("readelf"), {QStringLiteral("-d"), installed(QStringLiteral("usr/bin/Tornevi"))});
    QCOMPARE(dynamic.exitCode, 0);
    QVERIFY(dynamic.out.contains(QLatin1String("(NEEDED)")));
    QVERIFY2(!dynamic.out.contains(QLatin1String("RPATH")) && !dynamic.out.contains(QLatin1String("RUNPATH")),
             qPrintable(dynamic.out));
}

void tst_Package::installedProgramWritesItsCopyWhereItStarts()
{
    QTemporaryDir start;
    QVERIFY(start.isValid());
    const QString copy = QDir(start.path()).filePath(QStringLiteral("Tornevi.db"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(start.path());
    program.start(installed(QStringLiteral("usr/bin/Tornevi")), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    const QByteArray shipped = readAll(QStringLiteral(TORNEVI_SOURCE_DIR "/resources/Tornevi.db"));
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(copy).size(), shipped.size(), 30000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    QVERIFY2(running, program.readAllStandardError().constData());
    QVERIFY(readAll(copy) == shipped);
    QCOMPARE(QDir(start.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Tornevi.db"});
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_Package.moc"
