#include "ProgramWindows.h"

#include "DbActivity.h"
#include "TorneviApplication.h"

#include <QEvent>
#include <QMenuBar>

ProgramWindows::ProgramWindows()
    : m_store(new PoemStore), m_form1(*m_store), m_hint(new ApplicationHint(&m_form1))
{
    m_store->setParent(&m_form1);
    // The wait pointer shows while the store works.
    if (DbActivity *activity = DbActivity::instance()) {
        QObject::connect(activity, &DbActivity::workStarted, &m_waitCursor, &DbWaitCursor::showWaitPointer);
        QObject::connect(activity, &DbActivity::idle, &m_waitCursor, &DbWaitCursor::showDefaultPointer);
    }
    // Whichever window is active, only the main window's status bar shows the application hint.
    m_hint->followMenuBar(m_form1.menuBar());
    m_form1.setDetailWindow([this] { return &form2(); });
    QObject::connect(m_hint, &ApplicationHint::changed, &m_form1, &TForm1::showApplicationHint);
    qApp->installEventFilter(this);
    // A start-up that fails ends before its first frame; what it leaves is complete all the same.
    if (TorneviApplication *app = TorneviApplication::instance())
        QObject::connect(app, &TorneviApplication::endRequested, this, &ProgramWindows::completeWindows);
}

ProgramWindows::~ProgramWindows()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

TForm2 &ProgramWindows::form2()
{
    completeWindows();
    return *m_form2;
}

void ProgramWindows::completeWindows()
{
    if (m_form2)
        return;
    if (qApp)
        qApp->removeEventFilter(this);
    m_form1.completePages();
    m_form2 = std::make_unique<TForm2>(m_form1.recordCursor(), &m_form1);
    // Made after everything the main window made, the store goes after them too: the views let
    // go of the query before the store closes it.
    m_store->setParent(&m_form1);
}

bool ProgramWindows::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Paint:
        // Made in the next turn of the loop, once the frame this paint belongs to is on screen.
        if (watched == &m_form1 || m_form1.isAncestorOf(qobject_cast<QWidget *>(watched)))
            QMetaObject::invokeMethod(this, [this] { completeWindows(); }, Qt::QueuedConnection);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::ContextMenu:
        completeWindows();
        break;
    default:
        break;
    }
    return false;
}

int ProgramWindows::run()
{
    m_form1.show();
    return TorneviApplication::instance()->run();
}
