#include "FixtureDb.h"
#include "ProbeEnvironment.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <functional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// The real program as a user meets it: an X server with a window manager, the mouse and the
// keyboard driven by xdotool, a fresh working directory for every run. The message probe plugin
// only reports what the windows show; every box is answered by a key press.
class tst_EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void browseSearchReadAndClose();
    void exitAnsweredYes_data();
    void exitAnsweredYes();
    void unwritableDirectoryAsUnprivilegedUser();
    void killedRunLeavesCopyForNextStart();
};

namespace {
const QString Caption = QStringLiteral("Tornevi Ubrel összes költeménye:");
const QString ExitQuestion = QStringLiteral("Figyelem:|Biztosan be kívánja fejezni a program használatát ?|icon=0|");
const QString Phrase = QStringLiteral("tenger");

constexpr int StartTimeout = 30000;
constexpr int StepTimeout = 10000;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Polls without a fixed sleep: returns as soon as the condition holds.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = StepTimeout)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(25);
    }
    return true;
}

struct Tool
{
    int exitCode = -1;
    QString out;
};

Tool run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    Tool result;
    if (!p.waitForFinished(StepTimeout)) {
        p.kill();
        p.waitForFinished();
        return result;
    }
    result.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    result.out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return result;
}

bool xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments).exitCode == 0;
}

bool clickAt(const QPoint &p, int clicks = 1)
{
    return xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
                    QString::number(p.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                    QString::number(clicks), QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
}

qulonglong activeWindow()
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).out.toULongLong();
}

// xprop writes what it cannot show in the current locale as octal escapes.
QString xpropText(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    const qsizetype close = line.lastIndexOf(QLatin1Char('"'));
    if (open < 0 || close <= open)
        return {};
    const QByteArray raw = line.mid(open + 1, close - open - 1).toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) == '\\' && i + 3 < raw.size() && QByteArray("01234567").contains(raw.at(i + 1))) {
            bytes += char(raw.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else if (raw.at(i) == '\\' && i + 1 < raw.size()) {
            bytes += raw.at(++i);
        } else {
            bytes += raw.at(i);
        }
    }
    return QString::fromUtf8(bytes);
}

QList<int> xpropNumbers(const QStringList &arguments)
{
    const QString out = run(QStringLiteral("xprop"), arguments).out;
    QList<int> numbers;
    for (const QString &n : out.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        numbers << n.trimmed().toInt();
    return numbers;
}

// The window as the window manager framed it: client rectangle grown by _NET_FRAME_EXTENTS.
QRect frameOf(qulonglong window)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)}).out;
    auto field = [&info](const char *name) {
        const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
        return re.match(info).captured(1).toInt();
    };
    const QRect client(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
    const QList<int> e = xpropNumbers({QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_FRAME_EXTENTS")});
    if (e.size() != 4)
        return {};
    return client.adjusted(-e[0], -e[2], e[1], e[3]);
}

QRect workArea()
{
    const QList<int> a = xpropNumbers({QStringLiteral("-root"), QStringLiteral("_NET_WORKAREA")});
    return a.size() >= 4 ? QRect(a[0], a[1], a[2], a[3]) : QRect();
}

QString outputPath(const QString &name)
{
    return QDir(QStringLiteral(TORNEVI_TEST_OUTPUT_DIR)).filePath(name);
}

// Titles of the rows the search statement finds, in the program's row order, straight from SQLite.
QStringList hitsIn(const QString &database, const QString &phrase)
{
    QStringList titles;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = "SELECT CIM FROM tbl_Data WHERE CIM like ?1 or DATUM like ?1 or VERS like ?1";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
            const QByteArray pattern = (QLatin1Char('%') + phrase + QLatin1Char('%')).toUtf8();
            sqlite3_bind_text(st, 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(st) == SQLITE_ROW)
                titles << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return titles;
}

// One run of the program in a directory of its own, with the probe's log and command file.
class Program
{
public:
    explicit Program(const QString &directory, bool unprivileged = false)
        : m_directory(directory), m_unprivileged(unprivileged)
    {
        // An unprivileged program must be able to write the log and read the commands.
        QFile::setPermissions(m_probeDir.path(), QFileDevice::Permissions(0x7777));
        m_log = m_probeDir.filePath(QStringLiteral("probe.log"));
        m_commands = m_probeDir.filePath(QStringLiteral("commands"));
        QFile commands(m_commands);
        commands.open(QIODevice::WriteOnly);
        commands.setPermissions(QFileDevice::Permissions(0x6644));
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool start()
    {
        QProcessEnvironment env = probeEnvironment(m_log);
        env.insert(QStringLiteral("TORNEVI_PROBE_COMMANDS"), m_commands);
        env.insert(QStringLiteral("TORNEVI_PROBE_ANSWER"), QStringLiteral("user"));
        m_process.setWorkingDirectory(m_directory);
        if (m_unprivileged && ::geteuid() == 0) {
            // Root ignores permission bits: run the program as nobody, with a copy of the X
            // server's cookie that nobody may read.
            const QString cookie = m_probeDir.filePath(QStringLiteral("Xauthority"));
            QFile::copy(qEnvironmentVariable("XAUTHORITY"), cookie);
            QFile::setPermissions(cookie, QFileDevice::Permissions(0x6644));
            env.insert(QStringLiteral("XAUTHORITY"), cookie);
            env.insert(QStringLiteral("HOME"), m_probeDir.path());
            m_process.setProgram(QStringLiteral("setpriv"));
            m_process.setArguments({QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                    QStringLiteral("--clear-groups"), QStringLiteral(TORNEVI_EXE)});
        } else {
            m_process.setProgram(QStringLiteral(TORNEVI_EXE));
        }
        m_process.setProcessEnvironment(env);
        m_process.start();
        return m_process.waitForStarted();
    }

    QProcess &process() { return m_process; }
    QString log() const { return QString::fromUtf8(readAll(m_log)); }
    bool logContains(const QString &text) const { return log().contains(text); }
    QStringList lines(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : log().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (line.startsWith(prefix))
                found << line.mid(prefix.size());
        return found;
    }
    QStringList messages() const { return lines(QStringLiteral("message|")); }

    bool waitUntilRunning() { return waitFor([this] { return logContains(QStringLiteral("running|")); }, StartTimeout); }

    // Sends a command to the probe and returns its answer, the rest of the first new line
    // that starts with `reply`.
    QString ask(const QString &command, const QString &reply)
    {
        const int before = lines(reply).size();
        QFile f(m_commands);
        if (!f.open(QIODevice::Append))
            return {};
        f.write((command + QLatin1Char('\n')).toUtf8());
        f.close();
        QString answer;
        waitFor([&] {
            const QStringList now = lines(reply);
            if (now.size() <= before)
                return false;
            answer = now.at(before);
            return true;
        });
        return answer;
    }

    // "caption=..|Label12=..|Edit1=..|page=..|detail=..|title=..|nav=..|active=..|focus=.."
    QString state() { return ask(QStringLiteral("state"), QStringLiteral("state|")); }
    QString stateField(const QString &name)
    {
        for (const QString &part : state().split(QLatin1Char('|')))
            if (part.startsWith(name + QLatin1Char('=')))
                return part.mid(name.size() + 1);
        return QStringLiteral("<none>");
    }
    bool waitForState(const QString &name, const QString &value)
    {
        return waitFor([&] { return stateField(name) == value; });
    }

    QRect where(const QString &name)
    {
        const QString answer = ask(QStringLiteral("where ") + name, QStringLiteral("where|") + name + QLatin1Char('|'));
        const QStringList n = answer.split(QLatin1Char(','));
        return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
    }
    bool click(const QString &name, int clicks = 1)
    {
        QRect r;
        if (!waitFor([&] { return (r = where(name)).isValid(); }))
            return false;
        return clickAt(r.center(), clicks);
    }
    bool grab(const QString &name, const QString &file)
    {
        return ask(QStringLiteral("grab %1 %2").arg(name, outputPath(file)), QStringLiteral("grabbed|") + name + QLatin1Char('|'))
            == QLatin1String("1");
    }

    // The visible top-level window of this process whose title starts with `asciiStart`.
    qulonglong window(const QString &asciiStart)
    {
        qulonglong id = 0;
        waitFor([&] {
            const Tool t = run(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                QString::number(m_process.processId()), QStringLiteral("--name"),
                                QLatin1Char('^') + asciiStart});
            id = t.out.section(QLatin1Char('\n'), 0, 0).toULongLong();
            return id != 0;
        });
        return id;
    }

    // Answers the n-th box (counting from 0) with Return, as the user would, once the window
    // manager has made it the active window.
    bool answerBox(int n)
    {
        qulonglong box = 0;
        if (!waitFor([&] {
                const QStringList boxes = lines(QStringLiteral("box|"));
                if (boxes.size() <= n)
                    return false;
                box = boxes.at(n).toULongLong();
                return true;
            }))
            return false;
        if (!waitFor([&] { return activeWindow() == box; }, 5000)) {
            // Some window managers refuse focus to a new window; the user would click it.
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(box)});
            if (!waitFor([&] { return activeWindow() == box; }))
                return false;
        }
        return xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    }

    bool waitForEnd()
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(StartTimeout))
            return false;
        return m_process.exitStatus() == QProcess::NormalExit;
    }

private:
    QString m_directory;
    bool m_unprivileged;
    QTemporaryDir m_probeDir;
    QString m_log;
    QString m_commands;
    QProcess m_process;
};

// The main window's client area and rows of the list grid, which sits in its page with a 2-pixel edge.
QPoint gridRow(const QRect &grid, int row)
{
    constexpr int edge = 2, title = 18, rowHeight = 18;
    return QPoint(grid.left() + edge + 60, grid.top() + edge + title + row * rowHeight + rowHeight / 2);
}
} // namespace

void tst_EndToEnd::initTestCase()
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("xcb"))
        QSKIP("needs an X server with a window manager (the _wm run)");
    for (const char *tool : {"xdotool", "xwininfo", "xprop", "wmctrl"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("needs %1 (tools/dev.sh installs it)").arg(QLatin1String(tool))));
    if (!run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
             .out.contains(QLatin1String("window id")))
        QSKIP("no window manager runs on this X server");
}

// One session: the window as it appears, the working copy on disk and its lock, a search typed
// and clicked, the detail window opened by a double click and stepped, and the close box.
void tst_EndToEnd::browseSearchReadAndClose()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    const QByteArray shipped = readAll(FixtureDb::shippedDatabase());
    const QStringList hits = hitsIn(FixtureDb::shippedDatabase(), Phrase);
    QVERIFY2(hits.size() >= 4 && hits.size() < 89, qPrintable(QString::number(hits.size())));

    Program program(dir.path());
    QVERIFY(program.start());
    QVERIFY2(program.waitUntilRunning(), qPrintable(program.log()));

    // The main window, with its caption, centred by its frame in the work area.
    const qulonglong main = program.window(QStringLiteral("Tornevi Ubrel"));
    QVERIFY(main != 0);
    const QString name = run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(main), QStringLiteral("_NET_WM_NAME")}).out;
    QCOMPARE(xpropText(name), Caption);
    QRect frame;
    const QRect area = workArea();
    QVERIFY(area.isValid());
    // The window manager may still be settling the frame when the window first appears.
    QVERIFY2(waitFor([&] {
                 frame = frameOf(main);
                 const QPoint twice = (frame.topLeft() + frame.bottomRight()) - (area.topLeft() + area.bottomRight());
                 return frame.isValid() && frame.height() > 549 && qAbs(twice.x()) <= 2 && qAbs(twice.y()) <= 2;
             }),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4 in work area %5x%6")
                            .arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())
                            .arg(area.width()).arg(area.height())));
    QCOMPARE(program.stateField(QStringLiteral("Label12")), QStringLiteral("89"));
    QCOMPARE(program.stateField(QStringLiteral("page")), QStringLiteral("0"));

    // The working copy is the committed database, byte for byte.
    QCOMPARE(readAll(copy), shipped);

    // Another SQLite process can read the copy but not change it.
    {
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open_v2(copy.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_stmt *read = nullptr;
        QCOMPARE(sqlite3_prepare_v2(other, "SELECT COUNT(*) FROM tbl_Data", -1, &read, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(read), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(read, 0), 89);
        sqlite3_finalize(read);
        const int write = sqlite3_exec(other, "UPDATE tbl_Data SET CIM = 'x' WHERE AZ = 782", nullptr, nullptr, nullptr);
        QVERIFY2((write & 0xff) == SQLITE_BUSY || (write & 0xff) == SQLITE_LOCKED, sqlite3_errstr(write));
        sqlite3_close(other);
        QCOMPARE(readAll(copy), shipped);
    }

    QVERIFY(program.grab(QStringLiteral("Form1"), QStringLiteral("e2e-list-page.png")));
    QVERIFY(program.click(QStringLiteral("PageControl1:2")));
    QVERIFY(program.waitForState(QStringLiteral("page"), QStringLiteral("2")));
    QVERIFY(program.grab(QStringLiteral("Form1"), QStringLiteral("e2e-about-page.png")));

    // The search: the phrase typed into its box, the button clicked.
    QVERIFY(program.click(QStringLiteral("PageControl1:1")));
    QVERIFY(program.waitForState(QStringLiteral("page"), QStringLiteral("1")));
    QVERIFY(program.click(QStringLiteral("Edit1")));
    QVERIFY(program.waitForState(QStringLiteral("focus"), QStringLiteral("Edit1")));
    QVERIFY(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), Phrase}));
    QVERIFY(program.waitForState(QStringLiteral("Edit1"), Phrase));
    QVERIFY(program.grab(QStringLiteral("Form1"), QStringLiteral("e2e-search-page.png")));
    QVERIFY(program.click(QStringLiteral("Form1/BitBtn1")));
    QVERIFY(program.waitForState(QStringLiteral("Label12"), QString::number(hits.size())));
    QCOMPARE(program.stateField(QStringLiteral("page")), QStringLiteral("0"));
    QCOMPARE(program.stateField(QStringLiteral("title")), hits.at(0));

    // A double click on the second hit opens the detail window on it; the navigator steps.
    const QRect grid = program.where(QStringLiteral("DBGrid1"));
    QVERIFY(grid.isValid());
    QVERIFY(clickAt(gridRow(grid, 1), 2));
    QVERIFY2(program.waitForState(QStringLiteral("active"), QStringLiteral("Form2")), qPrintable(program.state()));
    QCOMPARE(program.stateField(QStringLiteral("detail")), QStringLiteral("1"));
    QCOMPARE(program.stateField(QStringLiteral("title")), hits.at(1));
    QCOMPARE(program.stateField(QStringLiteral("nav")), QStringLiteral("FPNL"));
    QVERIFY(program.grab(QStringLiteral("Form2"), QStringLiteral("e2e-detail-window.png")));

    QVERIFY(program.click(QStringLiteral("Form2/Next")));
    QVERIFY(program.waitForState(QStringLiteral("title"), hits.at(2)));
    QVERIFY(program.click(QStringLiteral("Form2/Last")));
    QVERIFY(program.waitForState(QStringLiteral("title"), hits.last()));
    QVERIFY(program.waitForState(QStringLiteral("nav"), QStringLiteral("FP--")));
    QVERIFY(program.click(QStringLiteral("Form2/First")));
    QVERIFY(program.waitForState(QStringLiteral("title"), hits.first()));
    QVERIFY(program.waitForState(QStringLiteral("nav"), QStringLiteral("--NL")));

    // Its close box hides it; the main window is active again and the program goes on.
    const qulonglong detail = activeWindow();
    QVERIFY(detail != main && detail != 0);
    QCOMPARE(run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(detail)}).exitCode, 0);
    QVERIFY(program.waitForState(QStringLiteral("detail"), QStringLiteral("0")));
    QVERIFY(program.waitForState(QStringLiteral("active"), QStringLiteral("Form1")));
    QCOMPARE(program.stateField(QStringLiteral("title")), hits.first());
    QVERIFY(program.messages().isEmpty());

    // The main window's close box, answered Yes: the program ends and takes its copy with it.
    QCOMPARE(run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(main)}).exitCode, 0);
    QVERIFY2(program.answerBox(0), qPrintable(program.log()));
    QVERIFY(program.waitForEnd());
    QCOMPARE(program.process().exitCode(), 0);
    QCOMPARE(program.messages().size(), 1);
    QVERIFY2(program.messages().constFirst().startsWith(ExitQuestion), qPrintable(program.messages().constFirst()));
    QVERIFY(!QFile::exists(copy));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void tst_EndToEnd::exitAnsweredYes_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("close box") << "close box";
    QTest::newRow("Kilépés chosen with the mouse") << "mouse";
    QTest::newRow("Kilépés chosen with the keyboard in the open menu") << "keyboard";
}

void tst_EndToEnd::exitAnsweredYes()
{
    QFETCH(QString, way);
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    Program program(dir.path());
    QVERIFY(program.start());
    QVERIFY2(program.waitUntilRunning(), qPrintable(program.log()));
    const qulonglong main = program.window(QStringLiteral("Tornevi Ubrel"));
    QVERIFY(main != 0);
    QVERIFY(QFile::exists(copy));

    if (way == QLatin1String("close box")) {
        QCOMPARE(run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(main)}).exitCode, 0);
    } else {
        QVERIFY(program.click(QStringLiteral("Lehetsgek1")));
        // The drop-down is open once its last item has a place on screen.
        QVERIFY(waitFor([&] { return program.where(QStringLiteral("Kilps1")).isValid(); }));
        if (way == QLatin1String("mouse")) {
            QVERIFY(program.click(QStringLiteral("Kilps1")));
        } else {
            // From the top of the menu, Up wraps round to its last item.
            QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("Down"),
                             QStringLiteral("Up"), QStringLiteral("Return")}));
        }
    }
    QVERIFY2(program.answerBox(0), qPrintable(program.log()));
    QVERIFY(program.waitForEnd());
    QCOMPARE(program.process().exitCode(), 0);
    QCOMPARE(program.messages().size(), 1);
    QVERIFY2(program.messages().constFirst().startsWith(ExitQuestion), qPrintable(program.messages().constFirst()));
    QVERIFY(!QFile::exists(copy));
}

// Started by a user who may not write the directory: the four messages in their order, each
// answered with Return, then the program ends by itself and nothing is left behind.
void tst_EndToEnd::unwritableDirectoryAsUnprivilegedUser()
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    Program program(dir.path(), true);
    QVERIFY(program.start());
    const QStringList expected{QStringLiteral("Hiba történt - 2 !"), QStringLiteral("Nem található az adatállomány !"),
                               QStringLiteral("Adatállomány nem nyitható meg !"),
                               QStringLiteral("Lekérdezés nem hajtható végre !")};
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(program.answerBox(i), qPrintable(program.log()));
    QVERIFY2(program.waitForEnd(), qPrintable(program.log()));
    QCOMPARE(program.process().exitCode(), 0);
    QStringList texts;
    for (const QString &m : program.messages()) {
        QCOMPARE(m.section(QLatin1Char('|'), 0, 0), QStringLiteral("Tornevi"));
        texts << m.section(QLatin1Char('|'), 1, 1);
    }
    QCOMPARE(texts, expected);
    QVERIFY2(program.lines(QStringLiteral("end|")).value(0).contains(QLatin1String("|Label12=0|")), qPrintable(program.log()));
    QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7700));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

// A killed program cannot clean up: its copy stays, and the next start replaces it completely.
void tst_EndToEnd::killedRunLeavesCopyForNextStart()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Tornevi.db"));
    const QByteArray shipped = readAll(FixtureDb::shippedDatabase());
    {
        Program first(dir.path());
        QVERIFY(first.start());
        QVERIFY2(first.waitUntilRunning(), qPrintable(first.log()));
        QVERIFY(first.window(QStringLiteral("Tornevi Ubrel")) != 0);
        first.process().kill();
        QVERIFY(first.process().waitForFinished(StartTimeout));
        QCOMPARE(first.process().exitStatus(), QProcess::CrashExit);
    }
    QCOMPARE(readAll(copy), shipped);
    // Left behind cut short, as a run killed while writing it leaves it.
    {
        QFile spoilt(copy);
        QVERIFY(spoilt.open(QIODevice::ReadWrite));
        QVERIFY(spoilt.resize(4096));
    }

    Program second(dir.path());
    QVERIFY(second.start());
    QVERIFY2(second.waitUntilRunning(), qPrintable(second.log()));
    QCOMPARE(readAll(copy), shipped);
    QCOMPARE(second.stateField(QStringLiteral("Label12")), QStringLiteral("89"));
    const qulonglong main = second.window(QStringLiteral("Tornevi Ubrel"));
    QVERIFY(main != 0);
    QCOMPARE(run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(main)}).exitCode, 0);
    QVERIFY2(second.answerBox(0), qPrintable(second.log()));
    QVERIFY(second.waitForEnd());
    QVERIFY(second.messages().size() == 1);
    QVERIFY(!QFile::exists(copy));
}

QTEST_GUILESS_MAIN(tst_EndToEnd)
#include "tst_EndToEnd.moc"
