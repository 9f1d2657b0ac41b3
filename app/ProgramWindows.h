#pragma once

#include "ApplicationHint.h"
#include "DbWaitCursor.h"
#include "Unit1.h"
#include "Unit2.h"

// The program's windows in the order the program makes them: the main window first, then the
// hidden detail window, which binds to the main window's poem query. Both live until the end.
// The entry point and the tests make them the same way, through this class.
class ProgramWindows
{
public:
    ProgramWindows();

    TForm1 &form1() { return m_form1; }
    TForm2 &form2() { return m_form2; }
    ApplicationHint &hint() { return m_hint; }

    // Shows the main window, which runs the start-up sequence, then runs the event loop.
    int run();

private:
    DbWaitCursor m_waitCursor;
    TForm1 m_form1;
    TForm2 m_form2;
    ApplicationHint m_hint;
};
