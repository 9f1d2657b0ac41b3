#pragma once

#include "ApplicationHint.h"
#include "DbWaitCursor.h"
#include "PoemStore.h"
#include "Unit1.h"
#include "Unit2.h"

// The program's windows in the order the program makes them: the main window first, then the
// hidden detail window, which binds to the main window's poem model. Both live until the end,
// and so does the poem store they are given, which outlives them. The entry point and the tests
// make them the same way, through this class.
class ProgramWindows
{
public:
    ProgramWindows();

    TForm1 &form1() { return m_form1; }
    TForm2 &form2() { return m_form2; }

    // Shows the main window, which runs the start-up sequence, then runs the event loop.
    int run();

private:
    DbWaitCursor m_waitCursor;
    PoemStore m_store;
    TForm1 m_form1;
    TForm2 m_form2;
    ApplicationHint *m_hint;   // the main window's
};
