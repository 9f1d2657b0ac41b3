#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

// The Windows resources: Tornevi.rc compiled by the MinGW resource compiler and read back from
// the binary resource file, and the manifest checked with xmllint.
class tst_WindowsResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void items_data();
    void items();
    void iconGroupHoldsTheSixImages_data();
    void iconGroupHoldsTheSixImages();
    void waitPointer_data();
    void waitPointer();
    void manifestIsWellFormed();
    void manifest_data();
    void manifest();

public:
    // One item of a .res file; a name given by number reads "#<number>".
    struct Item
    {
        int type = 0;
        QString name;
        QByteArray data;
    };

private:
    QList<Item> compile(const QStringList &defines, const QString &output);
    static const Item *find(const QList<Item> &items, int type, const QString &name);

    QTemporaryDir m_dir;
    QString m_windres;
    QList<Item> m_mingw;   // the .rc as a MinGW build compiles it
    QList<Item> m_msvc;    // the .rc as an MSVC build compiles it
};

namespace {
enum ResourceType { Cursor = 1, Icon = 3, RawData = 10, GroupCursor = 12, GroupIcon = 14, Manifest = 24 };

QString resourcePath(const QString &name)
{
    return QStringLiteral(TORNEVI_SOURCE_DIR "/resources/") + name;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint16 word(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

quint32 dword(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// A type or name field of a resource header: 0xFFFF and a number, or a NUL-terminated UTF-16 string.
QString readId(const QByteArray &b, qsizetype &at)
{
    if (word(b, at) == 0xFFFF) {
        const quint16 id = word(b, at + 2);
        at += 4;
        return QStringLiteral("#%1").arg(id);
    }
    QString text;
    while (at + 2 <= b.size() && word(b, at) != 0) {
        text += QChar(word(b, at));
        at += 2;
    }
    at += 2;
    return text;
}

QList<tst_WindowsResources::Item> parseRes(const QByteArray &b)
{
    QList<tst_WindowsResources::Item> items;
    qsizetype at = 0;
    while (at + 8 <= b.size()) {
        const quint32 dataSize = dword(b, at);
        const quint32 headerSize = dword(b, at + 4);
        qsizetype field = at + 8;
        const QString type = readId(b, field);
        const QString name = readId(b, field);
        tst_WindowsResources::Item item;
        item.type = type.startsWith(QLatin1Char('#')) ? type.mid(1).toInt() : -1;
        item.name = name;
        item.data = b.mid(at + headerSize, dataSize);
        // The file opens with an empty item of type 0.
        if (item.type != 0)
            items.append(item);
        at += headerSize + dataSize;
        at = (at + 3) & ~qsizetype(3);
    }
    return items;
}

struct IcoEntry
{
    int width = 0;
    int bitCount = 0;
    QByteArray image;
};

// The images of an .ico file in directory order; 0 in the width byte means 256.
QList<IcoEntry> readIco(const QByteArray &ico)
{
    QList<IcoEntry> entries;
    const int count = word(ico, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype e = 6 + 16 * i;
        IcoEntry entry;
        entry.width = quint8(ico[e]) == 0 ? 256 : quint8(ico[e]);
        entry.bitCount = word(ico, e + 6);
        entry.image = ico.mid(dword(ico, e + 12), dword(ico, e + 8));
        entries.append(entry);
    }
    return entries;
}
} // namespace

QList<tst_WindowsResources::Item> tst_WindowsResources::compile(const QStringList &defines, const QString &output)
{
    // Debian's MinGW binutils come without the MinGW compiler, so the host's preprocessor reads the .rc.
    QStringList args{QStringLiteral("--preprocessor=cpp"), QStringLiteral("--preprocessor-arg=-xc"),
                     QStringLiteral("--preprocessor-arg=-DRC_INVOKED")};
    for (const QString &define : defines)
        args << QStringLiteral("-D") << define;
    args << QStringLiteral("-i") << resourcePath(QStringLiteral("Tornevi.rc")) << QStringLiteral("-O")
         << QStringLiteral("res") << QStringLiteral("-o") << output;
    QProcess windres;
    // Started elsewhere, so that the file names in the .rc must be found beside it.
    windres.setWorkingDirectory(m_dir.path());
    windres.start(m_windres, args);
    if (!windres.waitForFinished(60000) || windres.exitStatus() != QProcess::NormalExit || windres.exitCode() != 0) {
        qWarning().noquote() << windres.readAllStandardError();
        return {};
    }
    return parseRes(readAll(output));
}

const tst_WindowsResources::Item *tst_WindowsResources::find(const QList<Item> &items, int type, const QString &name)
{
    const Item *found = nullptr;
    for (const Item &item : items) {
        if (item.type == type && item.name == name) {
            if (found)
                return nullptr;   // a second item of the same type and name is as bad as none
            found = &item;
        }
    }
    return found;
}

void tst_WindowsResources::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_windres = QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-windres"));
    if (m_windres.isEmpty())
        QFAIL("x86_64-w64-mingw32-windres is missing: tools/dev.sh installs binutils-mingw-w64-x86-64");
    m_mingw = compile({}, m_dir.filePath(QStringLiteral("mingw.res")));
    QVERIFY2(!m_mingw.isEmpty(), "windres could not compile Tornevi.rc");
    m_msvc = compile({QStringLiteral("TORNEVI_MANIFEST_BY_LINKER")}, m_dir.filePath(QStringLiteral("msvc.res")));
    QVERIFY2(!m_msvc.isEmpty(), "windres could not compile Tornevi.rc for an MSVC build");
}

void tst_WindowsResources::items_data()
{
    QTest::addColumn<bool>("msvc");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("file");   // the item's bytes are this file's, when given

    for (const bool msvc : {false, true}) {
        const char *build = msvc ? "MSVC" : "MinGW";
        QTest::addRow("%s: the poem database as raw data RESOURCE_1", build)
            << msvc << int(RawData) << "RESOURCE_1" << true << "Tornevi.db";
        QTest::addRow("%s: the icon group MAINICON", build) << msvc << int(GroupIcon) << "MAINICON" << true << "";
        QTest::addRow("%s: the wait pointer's group DBWAIT", build)
            << msvc << int(GroupCursor) << "DBWAIT" << true << "";
    }
    QTest::newRow("MinGW: the manifest as item 1 of its type")
        << false << int(Manifest) << "#1" << true << "Tornevi.manifest";
    QTest::newRow("MSVC: no manifest, the linker embeds it") << true << int(Manifest) << "#1" << false << "";
}

void tst_WindowsResources::items()
{
    QFETCH(bool, msvc);
    QFETCH(int, type);
    QFETCH(QString, name);
    QFETCH(bool, present);
    QFETCH(QString, file);

    const QList<Item> &items = msvc ? m_msvc : m_mingw;
    if (!present) {
        for (const Item &item : items)
            QVERIFY2(item.type != type, qPrintable(QStringLiteral("unexpected item %1").arg(item.name)));
        return;
    }
    const Item *item = find(items, type, name);
    QVERIFY2(item, "missing, or present more than once");
    if (!file.isEmpty()) {
        const QByteArray expected = readAll(resourcePath(file));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(item->data.size(), expected.size());
        QVERIFY(item->data == expected);
    }
}

void tst_WindowsResources::iconGroupHoldsTheSixImages_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    const int sizes[] = {256, 128, 64, 48, 32, 16};
    for (int i = 0; i < 6; ++i)
        QTest::addRow("%d pixels", sizes[i]) << i << sizes[i];
}

void tst_WindowsResources::iconGroupHoldsTheSixImages()
{
    QFETCH(int, index);
    QFETCH(int, size);

    const QList<IcoEntry> ico = readIco(readAll(resourcePath(QStringLiteral("icons/MAINICON.ico"))));
    QCOMPARE(ico.size(), 6);
    const Item *group = find(m_mingw, GroupIcon, QStringLiteral("MAINICON"));
    QVERIFY(group);
    const QByteArray &dir = group->data;
    QCOMPARE(word(dir, 4), quint16(6));

    // GRPICONDIRENTRY: width, height, colours, reserved, planes, bit count, bytes, item number.
    const qsizetype e = 6 + 14 * index;
    QCOMPARE(quint8(dir[e]) == 0 ? 256 : int(quint8(dir[e])), size);
    QCOMPARE(quint8(dir[e + 1]) == 0 ? 256 : int(quint8(dir[e + 1])), size);
    QCOMPARE(int(word(dir, e + 6)), 32);
    const Item *image = find(m_mingw, Icon, QStringLiteral("#%1").arg(word(dir, e + 12)));
    QVERIFY(image);
    QCOMPARE(ico[index].width, size);
    QVERIFY(image->data == ico[index].image);
}

void tst_WindowsResources::waitPointer_data()
{
    QTest::addColumn<bool>("msvc");
    QTest::newRow("MinGW") << false;
    QTest::newRow("MSVC") << true;
}

void tst_WindowsResources::waitPointer()
{
    QFETCH(bool, msvc);
    const QList<Item> &items = msvc ? m_msvc : m_mingw;

    const Item *group = find(items, GroupCursor, QStringLiteral("DBWAIT"));
    QVERIFY(group);
    QCOMPARE(word(group->data, 4), quint16(1));
    // The group entry: width, height (both halves of the mask), planes, bit count, bytes, item number.
    QCOMPARE(word(group->data, 6), quint16(32));
    const Item *image = find(items, Cursor, QStringLiteral("#%1").arg(word(group->data, 6 + 12)));
    QVERIFY(image);

    // A cursor item begins with its hot spot; the image follows as in the .cur file.
    const QByteArray cur = readAll(resourcePath(QStringLiteral("cursors/dbwait.cur")));
    QCOMPARE(word(cur, 4), quint16(1));
    QCOMPARE(word(image->data, 0), quint16(0));
    QCOMPARE(word(image->data, 2), quint16(0));
    QVERIFY(image->data.mid(4) == cur.mid(dword(cur, 6 + 12), dword(cur, 6 + 8)));
}

void tst_WindowsResources::manifestIsWellFormed()
{
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), resourcePath(QStringLiteral("Tornevi.manifest"))});
    QVERIFY2(xmllint.waitForFinished(30000), "xmllint is missing: tools/dev.sh installs libxml2-utils");
    const QByteArray errors = xmllint.readAllStandardError();
    QVERIFY2(xmllint.exitCode() == 0 && errors.isEmpty(), errors.constData());
}

void tst_WindowsResources::manifest_data()
{
    QTest::addColumn<QString>("xpath");
    QTest::addColumn<QString>("expected");

    const QString v1 = QStringLiteral("namespace-uri()='urn:schemas-microsoft-com:asm.v1'");
    const QString v3 = QStringLiteral("namespace-uri()='urn:schemas-microsoft-com:asm.v3'");
    const QString compat = QStringLiteral("namespace-uri()='urn:schemas-microsoft-com:compatibility.v1'");
    const QString controls = QStringLiteral(
        "/*[local-name()='assembly' and %1]/*[local-name()='dependency' and %1]"
        "/*[local-name()='dependentAssembly' and %1]"
        "/*[local-name()='assemblyIdentity' and %1 and @name='Microsoft.Windows.Common-Controls']").arg(v1);
    const QString settings = QStringLiteral(
        "/*[local-name()='assembly']/*[local-name()='application' and %1]/*[local-name()='windowsSettings' and %1]")
        .arg(v3);

    QTest::newRow("an assembly of manifest version 1.0")
        << QStringLiteral("string(/*[local-name()='assembly' and %1]/@manifestVersion)").arg(v1) << "1.0";
    QTest::newRow("common controls version 6")
        << QStringLiteral("string(%1/@version)").arg(controls) << "6.0.0.0";
    QTest::newRow("common controls signed by Microsoft's key")
        << QStringLiteral("string(%1/@publicKeyToken)").arg(controls) << "6595b64144ccf1df";
    QTest::newRow("common controls for any processor")
        << QStringLiteral("string(%1/@processorArchitecture)").arg(controls) << "*";

    const QString level = QStringLiteral(
        "/*[local-name()='assembly']/*[local-name()='trustInfo' and %1]/*[local-name()='security' and %1]"
        "/*[local-name()='requestedPrivileges' and %1]/*[local-name()='requestedExecutionLevel' and %1]").arg(v3);
    QTest::newRow("runs as the invoker") << QStringLiteral("string(%1/@level)").arg(level) << "asInvoker";
    QTest::newRow("without UI access") << QStringLiteral("string(%1/@uiAccess)").arg(level) << "false";

    QTest::newRow("per-monitor v2 DPI awareness, as Qt sets it")
        << QStringLiteral("normalize-space(%1/*[local-name()='dpiAwareness' and "
                          "namespace-uri()='http://schemas.microsoft.com/SMI/2016/WindowsSettings'])").arg(settings)
        << "PerMonitorV2";
    QTest::newRow("per-monitor fallback before Windows 10 1607")
        << QStringLiteral("normalize-space(%1/*[local-name()='dpiAware' and "
                          "namespace-uri()='http://schemas.microsoft.com/SMI/2005/WindowsSettings'])").arg(settings)
        << "true/pm";

    const QString os = QStringLiteral(
        "count(/*[local-name()='assembly']/*[local-name()='compatibility' and %1]/*[local-name()='application' and %1]"
        "/*[local-name()='supportedOS' and %1 and @Id='%2'])").arg(compat);
    QTest::newRow("supports Windows Vista") << os.arg(QStringLiteral("{e2011457-1546-43c5-a5fe-008deee3d3f0}")) << "1";
    QTest::newRow("supports Windows 7") << os.arg(QStringLiteral("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}")) << "1";
    QTest::newRow("supports Windows 8") << os.arg(QStringLiteral("{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}")) << "1";
    QTest::newRow("supports Windows 8.1") << os.arg(QStringLiteral("{1f676c76-80e1-4239-95bb-83d0f6d0da78}")) << "1";
    QTest::newRow("supports Windows 10") << os.arg(QStringLiteral("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")) << "1";
}

void tst_WindowsResources::manifest()
{
    QFETCH(QString, xpath);
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"),
                  {QStringLiteral("--xpath"), xpath, resourcePath(QStringLiteral("Tornevi.manifest"))});
    QVERIFY(xmllint.waitForFinished(30000));
    QTEST(QString::fromUtf8(xmllint.readAllStandardOutput()).trimmed(), "expected");
}

QTEST_GUILESS_MAIN(tst_WindowsResources)
#include "tst_WindowsResources.moc"
