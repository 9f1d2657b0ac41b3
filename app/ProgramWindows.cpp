#include "ProgramWindows.h"

#include "TorneviApplication.h"

#include <QMenuBar>

ProgramWindows::ProgramWindows()
    : m_form1(m_store), m_form2(m_form1.poemModel(), &m_form1), m_hint(new ApplicationHint(&m_form1))
{
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
