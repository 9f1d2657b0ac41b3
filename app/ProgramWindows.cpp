#include "ProgramWindows.h"

#include "TorneviApplication.h"

ProgramWindows::ProgramWindows() : m_form2(m_form1.query(), &m_form1)
{
    m_form1.setDetailWindow(&m_form2);
}

int ProgramWindows::run()
{
    m_form1.show();
    return TorneviApplication::instance()->run();
}
