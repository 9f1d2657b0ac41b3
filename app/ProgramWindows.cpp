#include "ProgramWindows.h"

#include "DbActivity.h"
#include "TorneviApplication.h"

#include <QMenuBar>

ProgramWindows::ProgramWindows()
    : m_store(new PoemStore), m_form1(*m_store), m_form2(m_form1.recordCursor(), &m_form1),
      m_hint(new ApplicationHint(&m_form1))
{
    // Made after everything the main window made, it goes after them too: the views let go of the
    // query before the store closes it.
    m_store->setParent(&m_form1);
    // The wait pointer shows while the store works.
    if (DbActivity *activity = DbActivity::instance()) {
        QObject::connect(activity, &DbActivity::workStarted, &m_waitCursor, &DbWaitCursor::showWaitPointer);
        QObject::connect(activity, &DbActivity::idle, &m_waitCursor, &DbWaitCursor::showDefaultPointer);
    }
    m_form1.setDetailWindow(&m_form2);
    // Whichever window is active, only the main window's status bar shows the application hint.
    m_hint->followMenuBar(m_form1.menuBar());
    QObject::connect(m_hint, &ApplicationHint::changed, &m_form1, &TForm1::showApplicationHint);
}

int ProgramWindows::run()
{
    m_form1.show();
    return TorneviApplication::instance()->run();
}
