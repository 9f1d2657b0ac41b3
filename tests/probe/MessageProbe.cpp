#include "MessageProbe.h"

#include <QAbstractButton>
#include <QAction>
#include <QPointer>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdlib>

#include <sys/resource.h>

MessageProbe::MessageProbe(QObject *parent) : QObject(parent)
{
    m_log.setFileName(qEnvironmentVariable("TORNEVI_PROBE_LOG"));
    if (!m_log.fileName().isEmpty())
        m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    m_exitOnPaint = qEnvironmentVariable("TORNEVI_PROBE_ACTION") == QLatin1String("exit-on-paint");
    if (qEnvironmentVariable("TORNEVI_PROBE_ANSWER") == QLatin1String("No"))
        m_answer = QMessageBox::No;
    m_userAnswers = qEnvironmentVariable("TORNEVI_PROBE_ANSWER") == QLatin1String("user");
    m_commands.setFileName(qEnvironmentVariable("TORNEVI_PROBE_COMMANDS"));
    if (!m_commands.fileName().isEmpty()) {
        // Polled rather than watched: the timer also runs inside the message boxes' and the
        // detail window's own event loops.
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, &MessageProbe::readCommands);
        poll->start(50);
    }
    m_logUsage = qEnvironmentVariable("TORNEVI_PROBE_RUSAGE") == QLatin1String("1");
    qApp->installEventFilter(this);
    log(QStringLiteral("start"));
    logUsage("plugin");
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        logUsage("end");
        log(QStringLiteral("end|") + state());
        // The current record as the detail window shows it: the first title after start-up.
        if (QWidget *title = widgetNamed(QStringLiteral("Form2/Label1")))
            log(QStringLiteral("title|") + title->property("text").toString());
        // The program's own view of a file, which may lie in a mount only the program sees.
        // Signals the program ignores, which every program it starts inherits.
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("SigIgn:"))
                    log(QStringLiteral("sigign|") + QString::fromLatin1(line.mid(7).trimmed()));
        }
        const QString watched = qEnvironmentVariable("TORNEVI_PROBE_FILE");
        if (!watched.isEmpty()) {
            const QFileInfo info(watched);
            log(QStringLiteral("file|%1").arg(info.exists() ? info.size() : -1));
        }
        // A start-up ends with its first frame: what a program does when it ends is no part of it.
        if (m_endAfterFirstFrame) {
            m_log.flush();
            std::_Exit(0);
        }
    });
}

void MessageProbe::log(const QString &line)
{
    if (m_log.isOpen())
        m_log.write((line + QLatin1Char('\n')).toUtf8());
}

// "usage|point|minor faults|major faults|peak RSS in KiB|user µs|system µs"
void MessageProbe::logUsage(const char *point)
{
    rusage usage {};
    if (!m_logUsage || getrusage(RUSAGE_SELF, &usage) != 0)
        return;
    log(QStringLiteral("usage|%1|%2|%3|%4|%5|%6")
            .arg(QLatin1String(point))
            .arg(usage.ru_minflt)
            .arg(usage.ru_majflt)
            .arg(usage.ru_maxrss)
            .arg(qint64(usage.ru_utime.tv_sec) * 1000000 + usage.ru_utime.tv_usec)
            .arg(qint64(usage.ru_stime.tv_sec) * 1000000 + usage.ru_stime.tv_usec));
}

bool MessageProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (m_awaitingFrame && event->type() == QEvent::Paint && m_main
        && (watched == m_main || m_main->isAncestorOf(qobject_cast<QWidget *>(watched))))
        windowSeen();
    if (event->type() == QEvent::Paint && m_exitOnPaint && watched->objectName() == QLatin1String("ClientArea")) {
        // The rest of the frame is painted and flushed in this same pass; the loop ends after it,
        // and the process with it.
        m_exitOnPaint = false;
        m_endAfterFirstFrame = true;
        logUsage("paint");
        QCoreApplication::exit(0);
        return false;
    }
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    if (auto *box = qobject_cast<QMessageBox *>(watched)) {
        QStringList buttons;
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        const QString line = QStringLiteral("%1|%2|icon=%3|buttons=%4|default=%5")
                                 .arg(box->windowTitle(), box->text())
                                 .arg(int(box->icon()))
                                 .arg(buttons.join(QLatin1Char(',')),
                                      box->defaultButton() ? box->defaultButton()->text() : QString());
        m_messages << line;
        log(QStringLiteral("message|") + line);
        if (m_userAnswers) {
            log(QStringLiteral("box|%1").arg(box->winId()));
            return false;
        }
        QPointer<QMessageBox> guard(box);
        const QMessageBox::StandardButton answer = m_answer;
        QTimer::singleShot(0, box, [guard, answer] {
            if (!guard)
                return;
            if (QAbstractButton *chosen = guard->button(answer))
                chosen->click();
            else if (QAbstractButton *button = guard->defaultButton())
                button->click();
            else if (!guard->buttons().isEmpty())
                guard->buttons().constFirst()->click();
        });
    } else if (watched->objectName() == QLatin1String("Form1") && !m_seenMain) {
        m_seenMain = true;
        logUsage("show");
        mainWindowShown(static_cast<QWidget *>(watched));
    }
    return false;
}

QString MessageProbe::state() const
{
    if (!m_main)
        return QStringLiteral("no window");
    auto *counter = m_main->findChild<QLabel *>(QStringLiteral("Label12"));
    auto *phrase = m_main->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    auto *pages = m_main->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    return QStringLiteral("caption=%1|Label12=%2|Edit1=%3|page=%4")
        .arg(m_main->windowTitle(), counter ? counter->text() : QString(), phrase ? phrase->text() : QString())
        .arg(pages ? pages->currentIndex() : -1);
}

void MessageProbe::mainWindowShown(QWidget *window)
{
    m_main = window;
    m_awaitingFrame = true;
    // A window that is never painted (no display server shows it) goes on after a while.
    QTimer::singleShot(5000, this, [this] {
        if (m_awaitingFrame)
            windowSeen();
    });
}

void MessageProbe::windowSeen()
{
    m_awaitingFrame = false;
    // Runs in the loop's turn after the window's first frame: that is when the user first sees it.
    QPointer<QWidget> guard(m_main);
    QTimer::singleShot(0, this, [this, guard] {
        if (!guard)
            return;
        log(QStringLiteral("running|") + state());
        const QString action = qEnvironmentVariable("TORNEVI_PROBE_ACTION");
        if (action == QLatin1String("remove-and-close")) {
            QFile::remove(qEnvironmentVariable("TORNEVI_PROBE_REMOVE"));
            guard->close();
        } else if (action == QLatin1String("overwrite-and-quit")) {
            // As "cp notes.txt Tornevi.db" does: the same file, other bytes; then Kilépés.
            QFile copy(qEnvironmentVariable("TORNEVI_PROBE_FILE"));
            copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            if (copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
                copy.write("notes\n");
            copy.close();
            if (auto *quit = guard->findChild<QAction *>(QStringLiteral("Kilps1")))
                quit->trigger();
        } else if (action == QLatin1String("exit")) {
            QCoreApplication::exit(0);
        }
    });
}

void MessageProbe::readCommands()
{
    if (!m_commands.isOpen() && !m_commands.open(QIODevice::ReadOnly))
        return;
    if (m_commands.size() <= m_commandsRead)
        return;
    m_commands.seek(m_commandsRead);
    const QByteArray fresh = m_commands.readAll();
    m_commandsRead += fresh.size();
    m_pending += fresh;
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QString command = QString::fromUtf8(m_pending.left(end)).trimmed();
        m_pending.remove(0, end + 1);
        if (!command.isEmpty())
            perform(command);
    }
}

void MessageProbe::perform(const QString &command)
{
    const QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(0);
    if (verb == QLatin1String("state")) {
        log(QStringLiteral("state|") + detailedState());
    } else if (verb == QLatin1String("where")) {
        const QRect r = screenRect(words.value(1));
        log(QStringLiteral("where|%1|%2").arg(words.value(1),
                                               r.isValid() ? QStringLiteral("%1,%2,%3,%4")
                                                                 .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                                                           : QStringLiteral("none")));
    } else if (verb == QLatin1String("grab")) {
        QWidget *w = widgetNamed(words.value(1));
        const bool saved = w && w->isVisible() && w->grab().save(words.mid(2).join(QLatin1Char(' ')));
        log(QStringLiteral("grabbed|%1|%2").arg(words.value(1)).arg(saved ? 1 : 0));
    } else {
        log(QStringLiteral("unknown|") + command);
    }
}

// "Form1/BitBtn1" names a widget of one window; a bare name may stand in several windows
// ("BitBtn1" is on the search page and in the detail window), and then the visible one wins.
QWidget *MessageProbe::widgetNamed(const QString &name) const
{
    const QString window = name.contains(QLatin1Char('/')) ? name.section(QLatin1Char('/'), 0, 0) : QString();
    const QString child = name.section(QLatin1Char('/'), -1);
    QWidgetList found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!window.isEmpty() && w->objectName() != window)
            continue;
        if (w->objectName() == child)
            found << w;
        found += w->findChildren<QWidget *>(child);
    }
    for (QWidget *w : std::as_const(found))
        if (w->isVisible())
            return w;
    return found.value(0);
}

// A widget's rectangle (named as widgetNamed() takes it), a menu item's in whichever visible menu or menu bar shows it, a drop-down
// menu's title in the menu bar, or a tab's ("PageControl1:1"), in global coordinates; an invalid
// rectangle when none is on screen.
QRect MessageProbe::screenRect(const QString &name) const
{
    const QString widgetName = name.section(QLatin1Char(':'), 0, 0);
    if (name.contains(QLatin1Char(':'))) {
        auto *tabs = qobject_cast<QTabWidget *>(widgetNamed(widgetName));
        if (!tabs || !tabs->isVisible())
            return {};
        QTabBar *bar = tabs->tabBar();
        const QRect r = bar->tabRect(name.section(QLatin1Char(':'), 1).toInt());
        return QRect(bar->mapToGlobal(r.topLeft()), r.size());
    }
    QWidget *widget = widgetNamed(name);
    auto *menu = qobject_cast<QMenu *>(widget);
    if (widget && !menu)
        return widget->isVisible() ? QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()) : QRect();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        // A drop-down menu's name stands for its title in the menu bar.
        QAction *action = menu ? menu->menuAction() : window->findChild<QAction *>(name);
        if (!action)
            continue;
        for (QObject *shown : action->associatedObjects()) {
            QRect r;
            QWidget *host = qobject_cast<QWidget *>(shown);
            if (auto *menu = qobject_cast<QMenu *>(shown))
                r = menu->actionGeometry(action);
            else if (auto *bar = qobject_cast<QMenuBar *>(shown))
                r = bar->actionGeometry(action);
            if (host && host->isVisible() && r.isValid())
                return QRect(host->mapToGlobal(r.topLeft()), r.size());
        }
    }
    return {};
}

// The start-up state plus what the detail window shows of the current record, which buttons of
// its navigator are enabled ("FPNL", "-" for a disabled one), and who has the focus.
QString MessageProbe::detailedState() const
{
    QWidget *form2 = widgetNamed(QStringLiteral("Form2"));
    auto *title = form2 ? form2->findChild<QLabel *>(QStringLiteral("Label1")) : nullptr;
    QString nav;
    for (const char *button : {"First", "Prior", "Next", "Last"}) {
        auto *b = form2 ? form2->findChild<QAbstractButton *>(QLatin1String(button)) : nullptr;
        nav += b && b->isEnabled() ? QLatin1Char(button[0]) : QLatin1Char('-');
    }
    const QWidget *active = QApplication::activeWindow();
    const QWidget *focus = QApplication::focusWidget();
    return state()
        + QStringLiteral("|detail=%1|title=%2|nav=%3|active=%4|focus=%5")
              .arg(form2 && form2->isVisible() ? 1 : 0)
              .arg(title ? title->text() : QString(), nav, active ? active->objectName() : QString(),
                   focus ? focus->objectName() : QString());
}
