#pragma once

#include "ProgramWindows.h"
#include "RegionalClock.h"
#include "Unit1.h"

// The one way in for the test suites to what no user sees: the status bar clock's sources and
// the application hint. The program never uses it.
struct TestSeam
{
    static RegionalClock &clock(TForm1 &form) { return *form.m_clock; }
    static ApplicationHint &hint(ProgramWindows &windows) { return windows.m_hint; }
};
