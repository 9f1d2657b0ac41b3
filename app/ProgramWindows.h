#pragma once

#include "ApplicationHint.h"
#include "DbWaitCursor.h"
#include "PoemStore.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QObject>

#include <memory>

// The program's windows in the order the program makes them: the main window first, then the
// hidden detail window, which follows the main window's current record. Both live until the end.
// The poem store is made before them and belongs to the main window from then on, which holds
// the connection and the query by their names. The entry point and the tests make them through
// this class.
class ProgramWindows : public QObject
{
public:
    // Only what the first frame shows is made at once; the rest comes right after that frame.
    ProgramWindows();
    ~ProgramWindows() override;

    TForm1 &form1() { return m_form1; }
    TForm2 &form2();

    // Shows the main window, which runs the start-up sequence, then runs the event loop.
    int run();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The detail window and the hidden pages' controls are not in the first frame: they are made
    // in the loop's turn after that frame, before any input is handled, when the program is
    // asked to end, or as soon as anyone asks for the detail window.
    void completeWindows();

    DbWaitCursor m_waitCursor;
    PoemStore *m_store;   // a child of the main window, gone with it
    TForm1 m_form1;
    std::unique_ptr<TForm2> m_form2;
    ApplicationHint *m_hint;   // the main window's
};
