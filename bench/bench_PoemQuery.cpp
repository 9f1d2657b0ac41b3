// Opening the poem list and walking it, against a floor of bare SQLite calls doing the same reads.
#include "EmbeddedResource.h"
#include "PoemQuery.h"
#include "SqliteConnection.h"
#include "WorkingCopy.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {
QString workingCopy()
{
    static QTemporaryDir dir;
    static WorkingCopy copy;
    if (copy.directory().isEmpty()) {
        copy.setDirectory(QFile::encodeName(dir.path()));
        copy.write(EmbeddedResource::find(QStringLiteral("Resource_1")).bytes());
    }
    return QFile::decodeName(copy.path());
}

// The floor: one statement stepped over every row, reading the title as UTF-16, plus the count.
void BM_FloorRawSqlite(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(workingCopy().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size = 500; PRAGMA locking_mode = Exclusive", nullptr, nullptr, nullptr);
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare16_v2(db, u"Select * from tbl_Data", -1, &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text16(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_text16(st, 1));
            ++rows;
        }
        sqlite3_finalize(st);
        sqlite3_prepare16_v2(db, u"SELECT COUNT(*) FROM (\r\nSelect * from tbl_Data\r\n) A", -1, &st, nullptr);
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_FloorRawSqlite);

// Reopens the poem query as every search does; with `toLast` it then reads all 89 rows.
void reopen(benchmark::State &state, bool toLast)
{
    SqliteConnection connection;
    connection.setDatabase(QFile::encodeName(workingCopy()));
    PoemQuery query(connection);
    query.addSql(PoemQuery::BaseStatement);
    for (auto _ : state) {
        query.close();
        query.open();
        if (toLast)
            query.fetchUpTo(query.recordCount());
        benchmark::DoNotOptimize(query.fetchedCount());
    }
}

void BM_ReopenAndLast(benchmark::State &state) { reopen(state, true); }
BENCHMARK(BM_ReopenAndLast);

// The first screen of the list: open, first batch, count.
void BM_ReopenFirstBatch(benchmark::State &state) { reopen(state, false); }
BENCHMARK(BM_ReopenFirstBatch);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
