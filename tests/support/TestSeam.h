#pragma once

#include "PoemQuery.h"
#include "PoemStore.h"
#include "PoemTableModel.h"
#include "Unit1.h"

// The poem store behind a main window, for the suites that set up or read the poem query
// directly: the store owns the query that the window's poem model reads.
struct TestSeam
{
    static PoemStore &store(TForm1 &form) { return *qobject_cast<PoemStore *>(form.poemModel()->query()->parent()); }
};
