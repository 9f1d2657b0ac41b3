// The two things a user waits for in the views, each against the least that work could cost:
// a search from the button press to the repainted list, against SQLite running the same search
// and count on the same file; and a Down key in the list to the repainted rows, against a bare
// widget that repaints the two rows such a move changes.
// TORNEVI_BENCH_DOWN_KEYS=n instead presses Down n times in one function, pressDownKeys, for
// callgrind: valgrind --tool=callgrind --collect-atstart=no --toggle-collect=pressDownKeys ...
// TORNEVI_BENCH_SEARCH_CLICKS=n likewise searches "tenger" n times from the search page, each
// click and its repaint in clickSearch.
#include "DbGrid.h"
#include "PoemQuery.h"
#include "ProgramWindows.h"
#include "RatioReporter.h"
#include "TorneviApplication.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>

namespace {
// The phrases searched: a few hits, every poem, none.
const QString Phrases[] = {QStringLiteral("tenger"), QStringLiteral(""), QStringLiteral("qqxz")};

// Counts paint events of one widget, so a benchmark can wait for the repaint it caused.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *watched) : QObject(watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Runs the event loop until the widget has painted again.
void waitForPaint(PaintCounter *counter)
{
    const int before = counter->count;
    while (counter->count == before)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Program
{
    QTemporaryDir dir;
    std::unique_ptr<ProgramWindows> windows;
    DbGrid *grid = nullptr;
    PaintCounter *gridPaints = nullptr;

    Program()
    {
        // The program writes its working copy into the current directory.
        QDir::setCurrent(dir.path());
        windows = std::make_unique<ProgramWindows>();
        windows->form1().show();
        if (!QTest::qWaitForWindowExposed(&windows->form1()))
            qFatal("the main window never came on screen");
        grid = windows->form1().findChild<DbGrid *>(QStringLiteral("DBGrid1"));
        gridPaints = new PaintCounter(grid->viewport());
        QCoreApplication::processEvents();
    }
    QTabWidget *pages() const { return windows->form1().findChild<QTabWidget *>(QStringLiteral("PageControl1")); }
    QPushButton *button(const char *name) const
    {
        return windows->form1().findChild<QPushButton *>(QLatin1String(name));
    }
    QString workingCopy() const { return dir.filePath(QStringLiteral("Tornevi.db")); }
};

// Made on first use and let go in main(), before the application object.
std::unique_ptr<Program> theProgram;

Program &program()
{
    if (!theProgram)
        theProgram = std::make_unique<Program>();
    return *theProgram;
}

void BM_SearchClickToRepaint(benchmark::State &state)
{
    Program &p = program();
    auto *edit = p.windows->form1().findChild<QLineEdit *>(QStringLiteral("Edit1"));
    QPushButton *search = p.button("BitBtn1");
    for (auto _ : state) {
        state.PauseTiming();
        p.pages()->setCurrentIndex(1);
        edit->setText(Phrases[state.range(0)]);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QTest::mouseClick(search, Qt::LeftButton);
        waitForPaint(p.gridPaints);
    }
    state.SetLabel(QStringLiteral("\"%1\"").arg(Phrases[state.range(0)]).toStdString());
}
BENCHMARK(BM_SearchClickToRepaint)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// The floor: the search statement and its count, prepared from UTF-16 and stepped to the end on
// a connection with the program's pragmas, reading the title as the list does.
void BM_FloorSearchClickToRepaint(benchmark::State &state)
{
    Program &p = program();
    // A copy of its own, since the program's connection keeps its lock on the working copy.
    const QString file = p.workingCopy() + QStringLiteral(".floor");
    QFile::remove(file);
    QFile::copy(p.workingCopy(), file);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db,
                 "PRAGMA cache_size = 500; PRAGMA locking_mode = Exclusive; PRAGMA synchronous = Off; "
                 "PRAGMA journal_mode = Off; PRAGMA foreign_keys = On",
                 nullptr, nullptr, nullptr);
    const QString pattern = QStringLiteral("'%") + Phrases[state.range(0)] + QStringLiteral("%'");
    const QString search = QStringLiteral("Select * FROM tbl_Data WHERE CIM like %1 or DATUM like %1 or VERS like %1").arg(pattern);
    const QString count = QStringLiteral("SELECT COUNT(*) FROM (\r\n") + search + QStringLiteral("\r\n) A");
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare16_v2(db, search.utf16(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text16(st, 0));
        sqlite3_finalize(st);
        sqlite3_prepare16_v2(db, count.utf16(), -1, &st, nullptr);
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    QFile::remove(file);
}
BENCHMARK(BM_FloorSearchClickToRepaint)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Puts the full list on screen with the grid focused and the first record current.
void showFullList(Program &p)
{
    QTest::mouseClick(p.button("BitBtn2"), Qt::LeftButton);
    p.pages()->setCurrentIndex(0);
    p.grid->setFocus();
    p.grid->recordCursor()->first();
    QCoreApplication::processEvents();
}

// range(0) 0: a move inside the window of rows; 1: every move scrolls the window by a row.
void BM_DownKeyToRepaint(benchmark::State &state)
{
    Program &p = program();
    showFullList(p);
    const bool scrolling = state.range(0) == 1;
    RecordCursor *cursor = p.grid->recordCursor();
    const int rows = p.grid->visibleLineCount();
    if (scrolling)
        cursor->moveToRow(rows - 1);
    for (auto _ : state) {
        const bool atEnd = scrolling ? cursor->row() >= cursor->recordCount() - 1 : p.grid->currentLine() >= rows - 1;
        if (atEnd) {
            state.PauseTiming();
            cursor->first();
            if (scrolling)
                cursor->moveToRow(rows - 1);
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
        QTest::keyClick(p.grid, Qt::Key_Down);
        waitForPaint(p.gridPaints);
    }
}
BENCHMARK(BM_DownKeyToRepaint)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

// The floor for a Down key: a widget of the grid's size that, on each key, repaints the two
// rows a one-row move changes, drawing their text in the grid's font.
class FloorRows : public QWidget
{
public:
    explicit FloorRows(DbGrid *like)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFont(like->font());
        resize(like->viewport()->width() + like->verticalHeader()->width(),
               like->viewport()->height() + like->horizontalHeader()->height());
        m_rowHeight = like->linePitch();
        m_top = like->titleRowHeight();
        m_counter = new PaintCounter(this);
        setFocusPolicy(Qt::StrongFocus);
    }
    PaintCounter *paints() const { return m_counter; }

protected:
    void keyPressEvent(QKeyEvent *) override
    {
        update(QRect(0, m_top + m_current * m_rowHeight, width(), m_rowHeight));
        m_current = (m_current + 1) % 23;
        update(QRect(0, m_top + m_current * m_rowHeight, width(), m_rowHeight));
    }
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        const int first = std::max(0, (event->rect().top() - m_top) / m_rowHeight);
        const int last = (event->rect().bottom() - m_top) / m_rowHeight;
        for (int row = first; row <= last; ++row)
            painter.drawText(14, m_top + row * m_rowHeight + 13, QStringLiteral("Row %1").arg(row));
    }

private:
    PaintCounter *m_counter = nullptr;
    int m_rowHeight = 18;
    int m_top = 18;
    int m_current = 0;
};

void BM_FloorDownKeyToRepaint(benchmark::State &state)
{
    Program &p = program();
    FloorRows floor(p.grid);
    floor.show();
    if (!QTest::qWaitForWindowExposed(&floor))
        state.SkipWithError("the floor window never came on screen");
    floor.activateWindow();
    floor.setFocus();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&floor, Qt::Key_Down);
        waitForPaint(floor.paints());
    }
}
BENCHMARK(BM_FloorDownKeyToRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// For callgrind: n Down keys inside the window of rows, each waited for until repainted.
Q_NEVER_INLINE void pressDownKeys(Program &p, int n)
{
    for (int i = 0; i < n; ++i) {
        QTest::keyClick(p.grid, Qt::Key_Down);
        waitForPaint(p.gridPaints);
    }
}

// For callgrind: one search for the phrase in Edit1, from the click to the repainted list.
Q_NEVER_INLINE void clickSearch(Program &p, QPushButton *search)
{
    QTest::mouseClick(search, Qt::LeftButton);
    waitForPaint(p.gridPaints);
}

int countSearchClicks(int n)
{
    Program &p = program();
    auto *edit = p.windows->form1().findChild<QLineEdit *>(QStringLiteral("Edit1"));
    QPushButton *search = p.button("BitBtn1");
    for (int i = 0; i < n; ++i) {
        p.pages()->setCurrentIndex(1);
        edit->setText(Phrases[0]);
        QCoreApplication::processEvents();
        clickSearch(p, search);
    }
    std::printf("clicked Search %d times\n", n);
    return 0;
}

int countDownKeys(int n)
{
    Program &p = program();
    showFullList(p);
    n = std::min(n, p.grid->visibleLineCount() - 1);
    pressDownKeys(p, n);
    std::printf("pressed Down %d times\n", n);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TorneviApplication::prepare();
    TorneviApplication app(argc, argv);
    int rc = 0;
    if (!qEnvironmentVariableIsEmpty("TORNEVI_BENCH_DOWN_KEYS")) {
        rc = countDownKeys(qEnvironmentVariableIntValue("TORNEVI_BENCH_DOWN_KEYS"));
    } else if (!qEnvironmentVariableIsEmpty("TORNEVI_BENCH_SEARCH_CLICKS")) {
        rc = countSearchClicks(qEnvironmentVariableIntValue("TORNEVI_BENCH_SEARCH_CLICKS"));
    } else {
        benchmark::Initialize(&argc, argv);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
    }
    theProgram.reset();
    return rc;
}
