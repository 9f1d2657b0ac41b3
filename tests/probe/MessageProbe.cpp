#include "MessageProbe.h"

#include <QAbstractButton>
#include <QPointer>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

MessageProbe::MessageProbe(QObject *parent) : QObject(parent)
{
    m_log.setFileName(qEnvironmentVariable("TORNEVI_PROBE_LOG"));
    if (!m_log.fileName().isEmpty())
        m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    m_exitOnPaint = qEnvironmentVariable("TORNEVI_PROBE_ACTION") == QLatin1String("exit-on-paint");
    if (qEnvironmentVariable("TORNEVI_PROBE_ANSWER") == QLatin1String("No"))
        m_answer = QMessageBox::No;
    qApp->installEventFilter(this);
    log(QStringLiteral("start"));
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        log(QStringLiteral("end|") + state());
        // The program's own view of a file, which may lie in a mount only the program sees.
        const QString watched = qEnvironmentVariable("TORNEVI_PROBE_FILE");
        if (!watched.isEmpty()) {
            const QFileInfo info(watched);
            log(QStringLiteral("file|%1").arg(info.exists() ? info.size() : -1));
        }
    });
}

void MessageProbe::log(const QString &line)
{
    if (m_log.isOpen())
        m_log.write((line + QLatin1Char('\n')).toUtf8());
}

bool MessageProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && m_exitOnPaint && watched->objectName() == QLatin1String("ClientArea")) {
        // The rest of the frame is painted and flushed in this same pass; the loop ends after it.
        m_exitOnPaint = false;
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
    // Runs once the event loop takes over: that is when the user first sees the window.
    QPointer<QWidget> guard(window);
    QTimer::singleShot(0, this, [this, guard] {
        if (!guard)
            return;
        log(QStringLiteral("running|") + state());
        const QString action = qEnvironmentVariable("TORNEVI_PROBE_ACTION");
        if (action == QLatin1String("remove-and-close")) {
            QFile::remove(qEnvironmentVariable("TORNEVI_PROBE_REMOVE"));
            guard->close();
        } else if (action == QLatin1String("exit")) {
            QCoreApplication::exit(0);
        }
    });
}
