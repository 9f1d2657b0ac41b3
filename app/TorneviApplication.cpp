#include "TorneviApplication.h"

#include "AnnouncerAccessible.h"
#include "DbGridAccessible.h"
#include "LinkLabelAccessible.h"
#include "Tahoma.h"
#include "TitledMessageBox.h"

#include <QAccessible>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <exception>

namespace {
const QEvent::Type EndEvent = QEvent::Type(QEvent::registerEventType());
}

TorneviApplication::TorneviApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    m_title = titleFromPath(QCoreApplication::applicationFilePath());
    setApplicationName(m_title);
    setApplicationDisplayName(QString());
    // The desktop finds the program's entry, and with it the icon, by this id (on Wayland above all).
    setDesktopFileName(QStringLiteral(TORNEVI_APP_ID));
    loadTranslations();
    Tahoma::ensureLoaded();
    // A link label speaks to screen readers as the link it shows, which a QLabel does not.
    QAccessible::installFactory(LinkLabelAccessible::create);
    // The list's cells offer a press action that opens the poem, which Qt's table cells do not.
    QAccessible::installFactory(DbGridAccessible::create);
    QAccessible::installFactory(AnnouncerAccessible::create);
}

TorneviApplication::~TorneviApplication() = default;

void TorneviApplication::prepare()
{
    // Windows scale by the monitor's DPI divided by 96 exactly, fractions included.
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

TorneviApplication *TorneviApplication::instance()
{
    return qobject_cast<TorneviApplication *>(QCoreApplication::instance());
}

QString TorneviApplication::titleFromPath(const QString &executablePath)
{
    QString name = executablePath;
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/')));
    name = name.mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

void TorneviApplication::loadTranslations()
{
    // Standard buttons (Yes, No) speak the user's language, as the platform's own boxes do.
    auto *qt = new QTranslator(this);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qt);
}

void TorneviApplication::showStartupMessage(const QString &text)
{
    TitledMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

QString TorneviApplication::withFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void TorneviApplication::showError(const QString &message)
{
    qWarning().noquote() << "Error:" << message;
    TitledMessageBox box(QMessageBox::Critical, m_title, withFullStop(message), QMessageBox::Ok, activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void TorneviApplication::requestEnd()
{
    m_endRequested = true;
    emit endRequested();
    if (m_inMainLoop)
        postEnd();
}

void TorneviApplication::endSession()
{
    m_sessionEnding = true;
    requestEnd();
}

void TorneviApplication::postEnd()
{
    // Several requests act as one.
    if (m_endPosted)
        return;
    m_endPosted = true;
    postEvent(this, new QEvent(EndEvent));
}

int TorneviApplication::run()
{
    m_inMainLoop = true;
    // A request made before the loop ran (a failed start-up) is taken as soon as it runs.
    if (m_endRequested)
        postEnd();
    const int rc = exec();
    m_inMainLoop = false;
    return rc;
}

bool TorneviApplication::event(QEvent *event)
{
    // The end of the desktop session: the session manager's "die" under X11, the session-end
    // message on Windows. A request to save that comes before it (or a checkpoint of a session
    // that goes on) finds nothing to save. Qt sends the same request once the last window has
    // closed, after an exit flow has already asked to end: that is no session's end.
    if (event->type() == QEvent::Quit) {
        if (!m_endRequested)
            endSession();
        exit(0);
        return true;
    }
    if (event->type() == EndEvent) {
        // exit(), not quit(): quitting would close the windows and run their close handlers.
        exit(0);
        return true;
    }
    return QApplication::event(event);
}

bool TorneviApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showError(QString::fromUtf8(error.what()));
    }
    return false;
}
