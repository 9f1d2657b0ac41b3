// One idle pass of the hint mechanism, which runs each time the event loop is about to wait:
// with nothing changed it must cost next to nothing (no allocation, no repaint). The passes
// where the pointer did move, and those while a modal window is up, are measured for comparison.
#include "ApplicationHint.h"
#include "ProgramWindows.h"
#include "StatusBar.h"
#include "TorneviApplication.h"

#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstddef>

// Heap calls made by the benchmark's own thread, counted by standing in for the C library's
// allocator (the executable's definitions take precedence for every library it loads).
extern "C" void *__libc_malloc(std::size_t size);
extern "C" void *__libc_calloc(std::size_t count, std::size_t size);
extern "C" void *__libc_realloc(void *block, std::size_t size);

namespace {
thread_local bool t_counting = false;
thread_local long t_allocations = 0;
ProgramWindows *g_windows = nullptr;

class Allocations
{
public:
    Allocations() { t_allocations = 0; t_counting = true; }
    ~Allocations() { t_counting = false; }
    long count() const { return t_allocations; }
};

// Counts what the status bar is asked to repaint.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest)
            ++paints;
        return false;
    }
};

QWidget *control(const char *name)
{
    return g_windows->form1().findChild<QWidget *>(QLatin1String(name));
}

void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        g_windows->form1().findChild<ApplicationHint *>()->idle();
    }
}

void reportPerPass(benchmark::State &state, long allocations, int paints)
{
    state.counters["allocations/pass"] = benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
    state.counters["repaints/pass"] = benchmark::Counter(double(paints), benchmark::Counter::kAvgIterations);
}

void BM_IdlePassNothingChanged(benchmark::State &state)
{
    control("PageControl1")->setProperty("currentIndex", 0);
    QCursor::setPos(control("DBGrid1")->mapToGlobal(QPoint(100, 100)));
    settle();
    PaintCounter painter;
    control("StatusBar1")->installEventFilter(&painter);
    ApplicationHint &hint = *g_windows->form1().findChild<ApplicationHint *>();
    long allocations = 0;
    {
        Allocations counted;
        for (auto _ : state)
            hint.idle();
        allocations = counted.count();
    }
    QCoreApplication::processEvents();
    control("StatusBar1")->removeEventFilter(&painter);
    reportPerPass(state, allocations, painter.paints);
}
BENCHMARK(BM_IdlePassNothingChanged);

// The pointer goes to and fro between a control with a hint and one without.
void BM_IdlePassPointerMovedToAnotherControl(benchmark::State &state)
{
    control("PageControl1")->setProperty("currentIndex", 1);
    const QPoint points[2] = {control("BitBtn1")->mapToGlobal(QPoint(20, 10)),
                              control("Edit1")->mapToGlobal(QPoint(20, 10))};
    settle();
    ApplicationHint &hint = *g_windows->form1().findChild<ApplicationHint *>();
    int i = 0;
    for (auto _ : state) {
        QCursor::setPos(points[i++ & 1]);
        QCoreApplication::processEvents();
        hint.idle();
    }
}
BENCHMARK(BM_IdlePassPointerMovedToAnotherControl);

// A modal window keeps the pointer's events from the others, so each pass asks where it is.
void BM_IdlePassModalWindowUp(benchmark::State &state)
{
    TForm2 &detail = g_windows->form2();
    detail.setWindowModality(Qt::ApplicationModal);
    detail.show();
    settle();
    ApplicationHint &hint = *g_windows->form1().findChild<ApplicationHint *>();
    long allocations = 0;
    {
        Allocations counted;
        for (auto _ : state)
            hint.idle();
        allocations = counted.count();
    }
    detail.hide();
    settle();
    reportPerPass(state, allocations, 0);
}
BENCHMARK(BM_IdlePassModalWindowUp);
} // namespace

extern "C" void *malloc(std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_malloc(size);
}

extern "C" void *calloc(std::size_t count, std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_calloc(count, size);
}

extern "C" void *realloc(void *block, std::size_t size)
{
    if (t_counting)
        ++t_allocations;
    return __libc_realloc(block, size);
}

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TorneviApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    ProgramWindows windows;
    g_windows = &windows;
    windows.form1().show();
    settle();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
