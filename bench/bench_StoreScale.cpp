// The poem store on the book and on copies of 10 and 100 times its rows (bench/make_scaled_db.py
// writes them into TORNEVI_BENCH_DB_DIR): opening, a search with many hits, one with none, and
// Last, each against bare SQLite doing the reads the store cannot avoid on the same file. After
// each, the resident memory of the process with the query still open is reported (rss_MiB).
#include "PoemQuery.h"
#include "RatioReporter.h"
#include "SearchStatement.h"
#include "SqliteConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <malloc.h>

namespace {
const QString ManyHits = QStringLiteral("hajnal");   // 60 of the book's 89 poems
const QString NoHits = QStringLiteral("qqxz");

QString database(int factor)
{
    const QString dir = qEnvironmentVariable("TORNEVI_BENCH_DB_DIR", QStringLiteral("scaled"));
    return QDir(dir).filePath(QStringLiteral("Tornevi_x%1.db").arg(factor));
}

// Resident memory, after giving freed heap back to the system so only what is held counts.
double residentMiB()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void report(benchmark::State &state)
{
    state.counters["rss_MiB"] = residentMiB();
    state.counters["rows"] = 89.0 * double(state.range(0));
}

// ---- the store -----------------------------------------------------------------------------

void BM_Open(benchmark::State &state)
{
    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(database(int(state.range(0)))));
    PoemQuery query(connection);
    query.addSql(PoemQuery::BaseStatement);
    for (auto _ : state) {
        state.PauseTiming();
        query.close();
        connection.close();
        state.ResumeTiming();
        query.open();   // opens the connection first
    }
    report(state);
}

void search(benchmark::State &state, const QString &phrase)
{
    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(database(int(state.range(0)))));
    PoemQuery query(connection);
    const QString statement = SearchStatement::forPhrase(phrase);
    for (auto _ : state) {
        query.close();
        query.clearSql();
        query.addSql(statement);
        query.open();
        benchmark::DoNotOptimize(query.recordCount());
    }
    report(state);
}

void BM_SearchMany(benchmark::State &state) { search(state, ManyHits); }
void BM_SearchNone(benchmark::State &state) { search(state, NoHits); }

void BM_Last(benchmark::State &state)
{
    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(database(int(state.range(0)))));
    PoemQuery query(connection);
    query.addSql(PoemQuery::BaseStatement);
    for (auto _ : state) {
        state.PauseTiming();
        query.close();
        query.open();
        state.ResumeTiming();
        query.fetchUpTo(query.recordCount());
    }
    report(state);
}

// ---- floors: bare SQLite on the same file, with the same pragmas ------------------------------

sqlite3 *openRaw(int factor)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(database(factor).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    for (const char *pragma : {"PRAGMA cache_size = 500", "PRAGMA locking_mode = Exclusive", "PRAGMA synchronous = Off",
                               "PRAGMA journal_mode = Off", "PRAGMA foreign_keys = On"})
        sqlite3_exec(db, pragma, nullptr, nullptr, nullptr);
    return db;
}

// Steps a statement for up to `rows` rows (all when negative), reading every column as the
// store does, then the count statement when asked.
int stepRows(sqlite3 *db, const QString &sql, int rows, bool count)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare16_v2(db, sql.utf16(), -1, &st, nullptr);
    int n = 0;
    while ((rows < 0 || n < rows) && sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text16(st, c));
        ++n;
    }
    sqlite3_finalize(st);
    if (count) {
        const QString counting = QStringLiteral("SELECT COUNT(*) FROM (\r\n") + sql + QStringLiteral("\r\n) A");
        sqlite3_prepare16_v2(db, counting.utf16(), -1, &st, nullptr);
        sqlite3_step(st);
        n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    return n;
}

void BM_FloorOpen(benchmark::State &state)
{
    for (auto _ : state) {
        sqlite3 *db = openRaw(int(state.range(0)));
        benchmark::DoNotOptimize(stepRows(db, PoemQuery::BaseStatement, PoemQuery::BatchSize, true));
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}

void floorSearch(benchmark::State &state, const QString &phrase)
{
    sqlite3 *db = openRaw(int(state.range(0)));
    const QString statement = SearchStatement::forPhrase(phrase);
    for (auto _ : state)
        benchmark::DoNotOptimize(stepRows(db, statement, PoemQuery::BatchSize, true));
    sqlite3_close(db);
}

void BM_FloorSearchMany(benchmark::State &state) { floorSearch(state, ManyHits); }
void BM_FloorSearchNone(benchmark::State &state) { floorSearch(state, NoHits); }

// Last reads every row after the first batch.
void BM_FloorLast(benchmark::State &state)
{
    sqlite3 *db = openRaw(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(stepRows(db, PoemQuery::BaseStatement, -1, false));
    sqlite3_close(db);
}

void scales(benchmark::internal::Benchmark *b)
{
    b->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_FloorOpen)->Apply(scales);
BENCHMARK(BM_Open)->Apply(scales);
BENCHMARK(BM_FloorSearchMany)->Apply(scales);
BENCHMARK(BM_SearchMany)->Apply(scales);
BENCHMARK(BM_FloorSearchNone)->Apply(scales);
BENCHMARK(BM_SearchNone)->Apply(scales);
BENCHMARK(BM_FloorLast)->Apply(scales);
BENCHMARK(BM_Last)->Apply(scales);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (int factor : {1, 10, 100})
        if (!QFile::exists(database(factor)))
            qFatal("%s is missing: run bench/make_scaled_db.py first", qPrintable(database(factor)));
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
