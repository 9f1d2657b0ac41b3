// Any sequence of moves on a result of 0 to 120 rows: the current record over the poem query,
// its flags, the count and the change notices must agree with CursorModel after every step.
#include "CursorModel.h"
#include "FixtureDb.h"
#include "PoemQuery.h"
#include "PoemTableModel.h"
#include "RecordCursor.h"
#include "SqliteConnection.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QObject>
#include <QTemporaryDir>
#include <QVariant>

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
constexpr int MaxRows = 120;
constexpr int MaxSteps = 400;

enum Step { First, Prior, Next, Last, MoveBy, MoveTo, Reopen, StepKinds };
const char *const StepNames[] = {"First", "Prior", "Next", "Last", "MoveBy", "MoveTo", "Reopen"};

struct Fixture
{
    QTemporaryDir dir;
    SqliteConnection connection;
    PoemQuery query{connection};
    PoemTableModel model{&query};
    QItemSelectionModel selection{&model};
    RecordCursor cursor{&model, &selection};
    int currentNotices = 0;
    std::string openNotices;   // "c" per close notice, "o" per open notice
};

Fixture *fixture = nullptr;
const uint8_t *inputData = nullptr;   // the current input, decoded again only for a report
size_t inputSize = 0;
int stepsDone = 0;

struct Decoded
{
    Step step;
    int argument;
};

// The input's row count, then one step after another; the same decoding serves the run and the
// report of a failure.
Decoded nextStep(FuzzedDataProvider &input)
{
    const auto step = Step(input.ConsumeIntegralInRange(0, StepKinds - 1));
    int argument = 0;
    if (step == MoveBy || step == MoveTo)
        argument = input.ConsumeBool() ? input.ConsumeIntegralInRange(-MaxRows - 10, MaxRows + 10)
                                       : input.ConsumeIntegral<int>();
    return {step, argument};
}

std::string trail()
{
    FuzzedDataProvider input(inputData, inputSize);
    std::string text = "open(" + std::to_string(input.ConsumeIntegralInRange(0, MaxRows)) + ")";
    for (int i = 0; i < stepsDone && input.remaining_bytes() > 0; ++i) {
        const Decoded d = nextStep(input);
        text += std::string(" ") + StepNames[d.step];
        if (d.step == MoveBy || d.step == MoveTo)
            text += "(" + std::to_string(d.argument) + ")";
    }
    return text;
}

[[noreturn]] void fail(const std::string &what, const CursorModel &model)
{
    const PoemQuery &q = fixture->query;
    const RecordCursor &c = fixture->cursor;
    std::fprintf(stderr,
                 "fuzz_PoemQuery: %s\n  steps: %s\n  expected recNo %d bof %d eof %d count %d\n"
                 "  actual   recNo %d bof %d eof %d count %d\n",
                 what.c_str(), trail().c_str(), model.recNo(), model.bof(), model.eof(), model.recordCount(),
                 c.row() + 1, c.bof(), c.eof(), q.recordCount());
    std::abort();
}

void compare(const CursorModel &model, bool notified)
{
    PoemQuery &q = fixture->query;
    const RecordCursor &c = fixture->cursor;
    if (!q.isOpen())
        fail("query closed", model);
    if (c.row() + 1 != model.recNo() || c.bof() != model.bof() || c.eof() != model.eof()
        || q.recordCount() != model.recordCount() || c.recordCount() != model.recordCount())
        fail("cursor differs", model);
    if (fixture->selection.currentIndex().row() != c.row())
        fail("the selection's current row differs", model);
    if (fixture->currentNotices != (notified ? 1 : 0))
        fail("changed sent " + std::to_string(fixture->currentNotices) + " times, expected "
                 + (notified ? "once" : "never"),
             model);
    // Row k of the fixture has AZ k, so the current record must be the row at recNo.
    const QVariant az = q.value(c.row(), q.fieldIndex(QStringLiteral("AZ")));
    if (model.recNo() == 0 ? !az.isNull() : az.toInt() != model.recNo())
        fail("current record holds AZ " + az.toString().toStdString(), model);
    fixture->currentNotices = 0;
}

void openQuery(const CursorModel &model)
{
    if (!fixture->query.open())
        fail("open failed: " + fixture->query.errorString().toStdString(), model);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fixture = new Fixture;
    std::atexit([] {
        delete fixture;
        fixture = nullptr;
    });
    if (!fixture->dir.isValid()) {
        std::fprintf(stderr, "fuzz_PoemQuery: no temporary directory\n");
        std::abort();
    }
    fixture->connection.setDatabase(
        QFile::encodeName(FixtureDb::create(fixture->dir.filePath(QStringLiteral("rows.db")), MaxRows)));
    QObject::connect(&fixture->cursor, &RecordCursor::changed, [] { ++fixture->currentNotices; });
    QObject::connect(&fixture->query, &PoemQuery::stateChanged,
                     [](bool open) { fixture->openNotices += open ? 'o' : 'c'; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int rows = input.ConsumeIntegralInRange(0, MaxRows);
    PoemQuery &q = fixture->query;
    RecordCursor &c = fixture->cursor;
    CursorModel model;

    inputData = data;
    inputSize = size;
    stepsDone = 0;
    q.close();
    q.clearSql();
    q.addSql(QStringLiteral("Select * from tbl_Data where AZ <= %1").arg(rows));
    openQuery(model);
    model.open(rows);
    fixture->currentNotices = 0;
    fixture->openNotices.clear();
    compare(model, false);

    for (int i = 0; i < MaxSteps && input.remaining_bytes() > 0; ++i) {
        const auto [step, argument] = nextStep(input);
        stepsDone = i + 1;

        bool notified = false;
        switch (step) {
        case First:
            c.first();
            notified = model.first();
            break;
        case Prior:
            c.prior();
            notified = model.prior();
            break;
        case Next:
            c.next();
            notified = model.next();
            break;
        case Last:
            c.last();
            notified = model.last();
            break;
        case MoveBy:
            if (!c.moveBy(argument))
                fail("moveBy failed", model);
            notified = model.moveBy(argument);
            break;
        case MoveTo:
            // The model counts records from 1, as the scroll bar does; the cursor counts rows.
            c.moveToRow(argument == INT_MIN ? argument : argument - 1);
            notified = model.moveTo(argument);
            break;
        case Reopen:
            fixture->openNotices.clear();
            q.close();
            if (q.isOpen() || q.recordCount() != 0 || c.row() != -1)
                fail("closed query still shows a result", model);
            openQuery(model);
            model.open(rows);
            if (fixture->openNotices != "co")
                fail("reopen sent state notices \"" + fixture->openNotices + "\"", model);
            // The views learn of the new first row through the model's reset.
            fixture->currentNotices = 0;
            break;
        case StepKinds:
            break;
        }
        compare(model, notified);
    }
    // Whatever an input allocates goes with it: libFuzzer takes anything left for a leak and
    // runs a full leak check on it.
    q.close();
    return 0;
}
