// Filter scan: the engine's filter
//   upper(trim(Type)) <> "CHARGE" .and. Balance <> 0
// counted over 100,000 records, beside SQLite's equivalent WHERE on the same
// data in the same run. Prints RATIO filter_scan <ours> <sqlite> <speedup>.
// filter_skip walks the same filtered records one by one (GoTop, Skip)
// beside stepping through the rows of SQLite's query, which is where the
// engine's read-ahead of records counts.
// xBase trim() cuts trailing blanks only, so SQLite's side uses rtrim().
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "xbengine/ExprCalls.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int kRecords = 100000;
const char* const kTypes[] = {"Cash", "Check", "Charge", "CHARGE", "Visa", " charge", "Money Order", ""};
const char* const kFilter = "upper(trim(Type)) <> \"CHARGE\" .and. Balance <> 0";

std::string folder;
int area = 0;
sqlite3* db = nullptr;
sqlite3_stmt* query = nullptr;
sqlite3_stmt* rows = nullptr;
long expected = -1;

double BalanceOf(int i) { return i % 7 == 0 ? 0.0 : (i % 1000) / 4.0; }
const char* TypeOf(int i) { return kTypes[i % (sizeof kTypes / sizeof kTypes[0])]; }

void Fail(const char* what) {
    std::fprintf(stderr, "engine_filter: %s\n", what);
    std::exit(1);
}

void MakeTable() {
    std::string path = folder + "/ledger.dbf";
    if (!xb_CreateNew(path.c_str(), "LEDGER", XB_DRIVER_NSX, 5))
        Fail("cannot start the table");
    xb_CreateField("ID", "N", 10, 0);
    xb_CreateField("TYPE", "C", 25, 0);
    xb_CreateField("DESC", "C", 20, 0);
    xb_CreateField("DATE", "D", 8, 0);
    xb_CreateField("BALANCE", "N", 10, 2);
    if (!xb_CreateExec())
        Fail("cannot create the table");
    xb_Close();
    area = xb_Use(path.c_str(), "LEDGER", XB_EXCLUSIVE, XB_DRIVER_NSX);
    if (!area)
        Fail("cannot open the table");
    for (int i = 1; i <= kRecords; ++i) {
        if (xb_AppendEx() != XB_APPEND_DONE)
            Fail("append refused");
        double balance = BalanceOf(i);
        xb_Replace("ID", XB_REPLACE_INT, &i);
        xb_Replace("TYPE", XB_REPLACE_TEXT, TypeOf(i));
        xb_Replace("DESC", XB_REPLACE_TEXT, "ledger line");
        xb_Replace("DATE", XB_REPLACE_TEXT, "20030704");
        xb_Replace("BALANCE", XB_REPLACE_DOUBLE, &balance);
    }
    xb_Commit();
}

void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
        Fail(error ? error : sql);
}

void MakeSqlite() {
    std::string path = folder + "/ledger.sqlite";
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        Fail("cannot open sqlite");
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=NORMAL");
    Exec("CREATE TABLE ledger(id INTEGER, type TEXT, desc TEXT, date TEXT, balance REAL)");
    Exec("BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO ledger VALUES(?,?,?,?,?)", -1, &insert, nullptr);
    for (int i = 1; i <= kRecords; ++i) {
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_text(insert, 2, TypeOf(i), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, "ledger line", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, "20030704", -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 5, BalanceOf(i));
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec("COMMIT");
    sqlite3_prepare_v2(db,
                       "SELECT count(*) FROM ledger WHERE upper(rtrim(type)) <> 'CHARGE' AND balance <> 0",
                       -1, &query, nullptr);
    sqlite3_prepare_v2(db, "SELECT * FROM ledger WHERE upper(rtrim(type)) <> 'CHARGE' AND balance <> 0", -1, &rows,
                       nullptr);
}

void OurFilterScan(benchmark::State& state) {
    xb_Select(area);
    for (auto _ : state) {
        if (!xb_Query(kFilter))
            Fail("filter refused");
        long count = xb_QueryRecCount();
        if (count != expected)
            Fail("the engine's count differs from SQLite's");
        benchmark::DoNotOptimize(count);
    }
    xb_Query("");
}

void SqliteFilterScan(benchmark::State& state) {
    for (auto _ : state) {
        sqlite3_reset(query);
        if (sqlite3_step(query) != SQLITE_ROW)
            Fail("sqlite query failed");
        long count = sqlite3_column_int64(query, 0);
        benchmark::DoNotOptimize(count);
    }
}

void OurFilterSkip(benchmark::State& state) {
    xb_Select(area);
    if (!xb_Query(kFilter))
        Fail("filter refused");
    for (auto _ : state) {
        long count = 0;
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            ++count;
        if (count != expected)
            Fail("the engine's walk differs from SQLite's count");
        benchmark::DoNotOptimize(count);
    }
    xb_Query("");
}

void SqliteFilterSkip(benchmark::State& state) {
    for (auto _ : state) {
        long count = 0;
        sqlite3_reset(rows);
        while (sqlite3_step(rows) == SQLITE_ROW)
            ++count;
        if (count != expected)
            Fail("sqlite's rows differ from its count");
        benchmark::DoNotOptimize(count);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qmbench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        Fail("cannot make a temporary folder");
    folder = pattern;
    MakeTable();
    MakeSqlite();
    sqlite3_step(query);
    expected = sqlite3_column_int64(query, 0);

    benchmark::RegisterBenchmark("filter_scan/ours", OurFilterScan)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("filter_scan/sqlite", SqliteFilterScan)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("filter_skip/ours", OurFilterSkip)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("filter_skip/sqlite", SqliteFilterSkip)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    for (const char* name : {"filter_scan", "filter_skip"})
        reporter.PrintRatio(name);

    sqlite3_finalize(query);
    sqlite3_finalize(rows);
    sqlite3_close(db);
    xb_CloseAll();
    std::filesystem::remove_all(folder);
    return 0;
}
