#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QRegularExpression>
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
    void releaseNotes();
    void licence_data();
    void licence();
    void makerIsTheContact_data();
    void makerIsTheContact();
    void noPlaceholderIsLeft();
    void manualPage_data();
    void manualPage();
    void installedProgramAnswersItsOptions();
    void dependencies_data();
    void dependencies();
    void sqliteIsADependencyOnlyWhenLoaded();
    void lintianFindsNothing();
    void packagedProgramIsHardened();
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
    // The package names of the Depends field, without their versions.
    QStringList dependencyNames() const;

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

// The maker's address as the about page shows it after "E-mail: ".
QString makersAddress()
{
    QFile form(QStringLiteral(TORNEVI_SOURCE_DIR "/windows/AboutPage.ui"));
    if (!form.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&form);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("string")) {
            const QString text = xml.readElementText();
            if (text.startsWith(QLatin1String("E-mail: ")))
                return text.mid(8);
        }
    }
    return {};
}

// The paragraphs of a machine-readable copyright file: field name to value, continuation lines
// joined with "\n" and a lone "." standing for an empty line.
QList<QMap<QString, QString>> copyrightParagraphs(const QString &text)
{
    QList<QMap<QString, QString>> paragraphs(1);
    QString field;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.isEmpty()) {
            if (!paragraphs.constLast().isEmpty())
                paragraphs.append(QMap<QString, QString>());
            continue;
        }
        if (line.startsWith(QLatin1Char(' '))) {
            const QString more = line.mid(1) == QLatin1String(".") ? QString() : line.mid(1);
            paragraphs.last()[field] += QLatin1Char('\n') + more;
            continue;
        }
        field = line.section(QLatin1Char(':'), 0, 0);
        paragraphs.last()[field] = line.section(QLatin1Char(':'), 1).trimmed();
    }
    if (paragraphs.constLast().isEmpty())
        paragraphs.removeLast();
    return paragraphs;
}

// The first element of that name in an XML file, its text.
QString xmlElement(const QString &path, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name)
            return xml.readElementText(QXmlStreamReader::IncludeChildElements);
    return {};
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
    QTest::newRow("copyright, machine-readable")
        << "usr/share/doc/tornevi/copyright"
        << QByteArray("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n") << false;
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

void tst_Package::releaseNotes()
{
    const Result version = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Version")});
    QCOMPARE(version.exitCode, 0);
    QFile file(installed(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList releases, notes;
    bool inRelease = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("release")) {
            releases << xml.attributes().value(QLatin1String("version")).toString();
            inRelease = true;
        } else if (xml.isEndElement() && xml.name() == QLatin1String("release")) {
            inRelease = false;
        } else if (inRelease && xml.isStartElement() && (xml.name() == QLatin1String("p") || xml.name() == QLatin1String("li"))) {
            notes << xml.readElementText();
        }
    }
    QCOMPARE(releases, QStringList{version.out.trimmed()});
    QVERIFY2(notes.size() >= 2, qPrintable(notes.join(QLatin1Char('\n'))));
    for (const QString &note : std::as_const(notes))
        QVERIFY(!note.trimmed().isEmpty());
}

void tst_Package::licence_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("LICENSE in the source") << "source";
    QTest::newRow("the package's machine-readable copyright") << "copyright";
    QTest::newRow("metainfo: the project's and the metadata's licence") << "metainfo";
}

// The program, its images and its poem database are distributed under the MIT licence, and the
// package says so the ways Debian and AppStream read it.
void tst_Package::licence()
{
    QFETCH(QString, where);
    const QStringList licence = QString::fromUtf8(readAll(QStringLiteral(TORNEVI_SOURCE_DIR "/LICENSE"))).split(QLatin1Char('\n'));
    QVERIFY(licence.size() > 5);
    const QString holders = licence.at(2).section(QStringLiteral("Copyright (c) "), 1);
    const QString permission = licence.mid(4).join(QLatin1Char('\n')).trimmed();
    if (where == QLatin1String("source")) {
        QCOMPARE(licence.at(0), QStringLiteral("MIT License"));
        QVERIFY2(holders.startsWith(QLatin1String("2026 Pelmos Daruvin")), qPrintable(licence.at(2)));
        QVERIFY(permission.startsWith(QLatin1String("Permission is hereby granted, free of charge")));
        QVERIFY(permission.endsWith(QLatin1String("OTHER DEALINGS IN THE\nSOFTWARE.")));
    } else if (where == QLatin1String("copyright")) {
        const auto paragraphs = copyrightParagraphs(QString::fromUtf8(readAll(installed(QStringLiteral("usr/share/doc/tornevi/copyright")))));
        QVERIFY(paragraphs.size() >= 3);
        QCOMPARE(paragraphs.at(0).value(QStringLiteral("Format")),
                 QStringLiteral("https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
        QCOMPARE(paragraphs.at(0).value(QStringLiteral("Upstream-Name")), QStringLiteral("Tornevi"));
        bool everyFile = false, text = false;
        for (const auto &p : paragraphs) {
            if (p.value(QStringLiteral("Files")) == QLatin1String("*")) {
                everyFile = true;
                QCOMPARE(p.value(QStringLiteral("License")), QStringLiteral("MIT"));
                QCOMPARE(p.value(QStringLiteral("Copyright")), holders);
            } else if (p.contains(QStringLiteral("License")) && !p.contains(QStringLiteral("Files"))) {
                text = true;
                const QString value = p.value(QStringLiteral("License"));
                QCOMPARE(value.section(QLatin1Char('\n'), 0, 0), QStringLiteral("MIT"));
                QCOMPARE(value.section(QLatin1Char('\n'), 1), permission);
            }
        }
        QVERIFY(everyFile);
        QVERIFY(text);
    } else {
        const QString path = installed(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId));
        QCOMPARE(xmlElement(path, QStringLiteral("project_license")), QStringLiteral("MIT"));
        QCOMPARE(xmlElement(path, QStringLiteral("metadata_license")), QStringLiteral("MIT"));
    }
}

void tst_Package::makerIsTheContact_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("package maintainer") << "maintainer";
    QTest::newRow("copyright: upstream contact") << "copyright";
    QTest::newRow("changelog: the entry's signature") << "changelog";
    QTest::newRow("metainfo: update contact") << "metainfo";
    QTest::newRow("manual page: author") << "manual";
}

// Everywhere the package names whom to write to, it is the maker, at the address the about page shows.
void tst_Package::makerIsTheContact()
{
    QFETCH(QString, where);
    const QString address = makersAddress();
    QCOMPARE(address, QStringLiteral("pelmos.daruvin@pelmosdaruvin.hu"));
    const QString named = QStringLiteral("Pelmos Daruvin <%1>").arg(address);
    if (where == QLatin1String("maintainer")) {
        const Result field = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Maintainer")});
        QCOMPARE(field.out.trimmed(), named);
    } else if (where == QLatin1String("copyright")) {
        const auto paragraphs = copyrightParagraphs(QString::fromUtf8(readAll(installed(QStringLiteral("usr/share/doc/tornevi/copyright")))));
        QCOMPARE(paragraphs.value(0).value(QStringLiteral("Upstream-Contact")), named);
    } else if (where == QLatin1String("changelog")) {
        const Result text = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), installed(QStringLiteral("usr/share/doc/tornevi/changelog.gz"))});
        QVERIFY2(text.out.contains(QStringLiteral("\n -- %1  ").arg(named)), qPrintable(text.out));
    } else if (where == QLatin1String("metainfo")) {
        QCOMPARE(xmlElement(installed(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId)), QStringLiteral("update_contact")),
                 address);
    } else {
        const Result text = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), installed(QStringLiteral("usr/share/man/man1/Tornevi.1.gz"))});
        QVERIFY2(text.out.contains(QStringLiteral(".SH AUTHOR\n%1").arg(named)), qPrintable(text.out));
    }
}

// Nothing the package carries names a made-up address or says that its terms are still open.
void tst_Package::noPlaceholderIsLeft()
{
    const QStringList placeholders{QStringLiteral(".invalid"), QStringLiteral("not been chosen"), QStringLiteral("not chosen")};
    QStringList texts;
    const Result control = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb});
    QCOMPARE(control.exitCode, 0);
    texts << control.out;
    QDirIterator it(m_root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        texts << (path.endsWith(QLatin1String(".gz"))
                      ? run(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}).out
                      : QString::fromLatin1(readAll(path)));
    }
    for (const QString &text : std::as_const(texts))
        for (const QString &placeholder : placeholders)
            QVERIFY2(!text.contains(placeholder, Qt::CaseInsensitive), qPrintable(placeholder));
}

void tst_Package::manualPage_data()
{
    QTest::addColumn<QString>("line");   // as man renders it, on one line
    QTest::newRow("synopsis") << "Tornevi [-h|--help] [-v|--version]";
    QTest::newRow("help option") << "-h, --help";
    QTest::newRow("version option") << "-v, --version";
    QTest::newRow("neither option needs a display") << "Neither option needs a display, and neither writes a file.";
    QTest::newRow("other arguments") << "Any other argument is passed over and the program starts as without it;";
    QTest::newRow("where the copy is written") << "At start-up it is written into the current working directory under this name,";
    QTest::newRow("another file of that name is kept and refused")
        << "A file of that name that the program did not leave there itself, such as a file of your own or a symbolic link, is kept unchanged and refused:";
    QTest::newRow("a killed run or a logout leaves the copy")
        << "A copy stays behind when the program does not end through its menu or close box: when it is killed,";
    QTest::newRow("the next start replaces it") << "The next start in that directory replaces such a copy.";
    QTest::newRow("the second start's error") << "Hiba történt - 2 !";
    QTest::newRow("another instance holds the copy") << "or another Tornevi runs in the same directory and holds its copy.";
    QTest::newRow("licence") << "Distributed under the MIT licence, with its images and its poem database.";
}

// The installed page renders without warnings and says what a user of the command line meets.
void tst_Package::manualPage()
{
    QFETCH(QString, line);
    QProcess man;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("400"));   // every paragraph on one line
    env.insert(QStringLiteral("MAN_KEEP_FORMATTING"), QString());
    man.setProcessEnvironment(env);
    man.start(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"),
                                      installed(QStringLiteral("usr/share/man/man1/Tornevi.1.gz"))});
    QVERIFY(man.waitForFinished(60000));
    QCOMPARE(man.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(man.readAllStandardError()), QString());
    QString page = QString::fromUtf8(man.readAllStandardOutput());
    // Justification may widen the gaps between words.
    page.replace(QRegularExpression(QStringLiteral(" {2,}")), QStringLiteral(" "));
    QVERIFY2(page.contains(line), qPrintable(page));
}

// The installed program answers the options its page names, without a display, with the
// package's version.
void tst_Package::installedProgramAnswersItsOptions()
{
    const Result packageVersion = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Version")});
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.start(installed(QStringLiteral("usr/bin/Tornevi")), {QStringLiteral("--version")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()).trimmed(),
             QStringLiteral("Tornevi ") + packageVersion.out.trimmed());
    program.start(installed(QStringLiteral("usr/bin/Tornevi")), {QStringLiteral("--help")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);
    const QString help = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(help.contains(QLatin1String("  -h, --help ")) && help.contains(QLatin1String("  -v, --version ")), qPrintable(help));
}

void tst_Package::dependencies_data()
{
    QTest::addColumn<QString>("package");
    QTest::newRow("Qt widgets, from shlibdeps") << "libqt6widgets6";
    QTest::newRow("Qt GUI, from shlibdeps") << "libqt6gui6";
    QTest::newRow("Qt core, from shlibdeps") << "libqt6core6";
    QTest::newRow("C++ library, from shlibdeps") << "libstdc++6";
    QTest::newRow("the Tahoma clone, loaded at run time") << "fonts-wine";
    QTest::newRow("Qt's Hungarian translations, loaded at run time") << "qt6-translations-l10n";
}

QStringList tst_Package::dependencyNames() const
{
    const Result depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Depends")});
    if (depends.exitCode != 0)
        return {};
    QStringList names;
    for (const QString &entry : depends.out.split(QLatin1Char(','), Qt::SkipEmptyParts))
        names << entry.trimmed().section(QLatin1Char(' '), 0, 0);
    return names;
}

void tst_Package::dependencies()
{
    QFETCH(QString, package);
    const QStringList names = dependencyNames();
    QVERIFY2(names.contains(package), qPrintable(names.join(QLatin1String(", "))));
    for (const QString &name : names)
        QVERIFY2(!name.endsWith(QLatin1String("-dev")), qPrintable(name));
}

// SQLite is linked into the program where its static library is installed: then the package must
// not ask for the shared one, and where the program does load it, the package must.
void tst_Package::sqliteIsADependencyOnlyWhenLoaded()
{
    const Result dynamic = run(QStringLiteral("readelf"), {QStringLiteral("-d"), installed(QStringLiteral("usr/bin/Tornevi"))});
    QCOMPARE(dynamic.exitCode, 0);
    const bool loaded = dynamic.out.contains(QLatin1String("[libsqlite3.so"));
    const QStringList names = dependencyNames();
    QVERIFY(!names.isEmpty());
    QVERIFY2(names.contains(QLatin1String("libsqlite3-0")) == loaded, qPrintable(names.join(QLatin1String(", "))));
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

// Built as the distribution builds its own packages: every source of the program is compiled with
// the hardening that dpkg-buildflags gives (fortified functions, stack protector, format checks),
// and the program is linked with read-only relocations.
void tst_Package::packagedProgramIsHardened()
{
    QStringList wanted;
    for (const char *kind : {"CPPFLAGS", "CXXFLAGS"}) {
        const Result flags = run(QStringLiteral("dpkg-buildflags"), {QStringLiteral("--get"), QLatin1String(kind)});
        QCOMPARE(flags.exitCode, 0);
        for (const QString &flag : flags.out.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            // Optimisation, debug information and source paths are the build's own choice.
            static const QRegularExpression own(QStringLiteral("^-(g|O[0-9s]?|f(file|debug|macro)-prefix-map=.*)$"));
            if (!own.match(flag.trimmed()).hasMatch())
                wanted << flag.trimmed();
        }
    }
    QVERIFY(wanted.contains(QStringLiteral("-D_FORTIFY_SOURCE=2")));
    QVERIFY(wanted.contains(QStringLiteral("-fstack-protector-strong")));

    QFile database(QStringLiteral(TORNEVI_BINARY_DIR "/compile_commands.json"));
    QVERIFY(database.open(QIODevice::ReadOnly));
    const QJsonArray commands = QJsonDocument::fromJson(database.readAll()).array();
    int programSources = 0;
    QStringList missing;
    static const QRegularExpression programSource(QStringLiteral("/(app|store|models|widgets|windows)/[^/]+\\.cpp$"));
    for (const auto &entry : commands) {
        const QString file = entry.toObject().value(QLatin1String("file")).toString();
        if (!programSource.match(file).hasMatch() || file.contains(QLatin1String("/tests/")))
            continue;
        ++programSources;
        const QStringList command = QProcess::splitCommand(entry.toObject().value(QLatin1String("command")).toString());
        for (const QString &flag : std::as_const(wanted))
            if (!command.contains(flag))
                missing << QFileInfo(file).fileName() + QLatin1Char(' ') + flag;
    }
    QVERIFY(programSources > 20);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(", "))));

    const Result headers = run(QStringLiteral("readelf"), {QStringLiteral("--program-headers"), QStringLiteral("-W"),
                                                           installed(QStringLiteral("usr/bin/Tornevi"))});
    QCOMPARE(headers.exitCode, 0);
    QVERIFY2(headers.out.contains(QLatin1String("GNU_RELRO")), qPrintable(headers.out));
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
    QCOMPARE(QDir(start.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("Tornevi.db")});
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_Package.moc"
