// Full-text index: 100,000 patient keys added to a new index, then 10,000
// word searches (every match fetched), beside SQLite FTS5 on the same keys
// in the same run. Searches match words by prefix on both sides ("WORD*"
// for FTS5), and the match counts must agree. Prints
//   RATIO fts_add <ours> <sqlite> <speedup>
//   RATIO fts_search <ours> <sqlite> <speedup>
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fts/Fts.h"

namespace {

constexpr int kKeys = 100000;
constexpr int kSearches = 10000;

std::string folder;
std::vector<std::string> keys;
std::vector<std::string> searches;
long ourMatches = -1;
long peerMatches = -1;

void Fail(const char* what) {
    std::fprintf(stderr, "fts_index: %s\n", what);
    std::exit(1);
}

std::string Padded(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

// Patient keys as the program builds them: name, street, two phones and
// the SSN, each padded to its field's width, upper-cased.
void MakeData() {
    std::mt19937 random(1234567);
    auto pick = [&](int n) { return static_cast<int>(random() % n); };
    const char* syllables[] = {"BA", "KER", "SON", "MAR", "TIN", "LO", "PEZ", "AN", "DER", "WIL",
                               "LI", "AMS", "GAR", "CIA", "RO", "BERT", "HAR", "RIS", "JO", "NES",
                               "CLAR", "KE", "THO", "MAS", "NEL", "LY", "STE", "VEN", "MOR", "GAN"};
    auto name = [&](int parts) {
        std::string n;
        for (int i = 0; i < parts; ++i) n += syllables[pick(30)];
        return n;
    };
    std::vector<std::string> lastNames, firstNames, streets;
    for (int i = 0; i < 3000; ++i) lastNames.push_back(name(2 + pick(2)));
    for (int i = 0; i < 400; ++i) firstNames.push_back(name(1 + pick(2)));
    for (int i = 0; i < 600; ++i) streets.push_back(name(2));
    const char* suffixes[] = {"ST", "AVE", "RD", "DR", "LN", "CT", "BLVD", "WAY"};
    auto digits = [&](int n) {
        std::string d;
        for (int i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
        return d;
    };
    std::vector<std::string> areaCodes;
    for (int i = 0; i < 20; ++i) areaCodes.push_back(digits(3));
    for (int i = 0; i < kKeys; ++i) {
        const std::string last = lastNames[pick(3000)];
        const std::string first = firstNames[pick(400)];
        const std::string street = streets[pick(600)];
        const std::string phone1 = "(" + areaCodes[pick(20)] + ")" + digits(3) + "-" + digits(4);
        const std::string phone2 = pick(2) ? "(" + areaCodes[pick(20)] + ")" + digits(3) + "-" + digits(4) : "";
        keys.push_back(Padded(last + ", " + first, 30) +
                       Padded(std::to_string(1 + pick(9999)) + " " + street + " " + suffixes[pick(8)], 30) +
                       Padded(phone1, 20) + Padded(phone2, 20) + Padded(digits(3) + "-" + digits(2) + "-" + digits(4), 11));
        if (i < kSearches) {
            // A mix of what users type: a surname, the start of a first
            // name, a street, the last digits of a phone.
            switch (i % 4) {
                case 0: searches.push_back(last); break;
                case 1: searches.push_back(first.substr(0, 3)); break;
                case 2: searches.push_back(street); break;
                default: searches.push_back(phone1.substr(9)); break;
            }
        }
    }
}

void OurAdd(benchmark::State& state) {
    const std::string path = folder + "/Patient.ia";
    for (auto _ : state) {
        int h = -1;
        if (FtsCreate(path.c_str(), 20, 3, 1, 1, &h) != FtsOk) Fail("cannot create the index");
        for (const std::string& key : keys)
            if (FtsAdd(h, key.c_str()) < 1) Fail("add failed");
        if (FtsClose(h) != FtsOk) Fail("close failed");
    }
}

sqlite3* db = nullptr;

void Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) Fail(error ? error : sql);
}

void SqliteAdd(benchmark::State& state) {
    sqlite3_stmt* insert = nullptr;
    for (auto _ : state) {
        Exec("DROP TABLE IF EXISTS patient");
        Exec("CREATE VIRTUAL TABLE patient USING fts5(key)");
        Exec("BEGIN");
        if (sqlite3_prepare_v2(db, "INSERT INTO patient(rowid, key) VALUES(?, ?)", -1, &insert, nullptr) != SQLITE_OK)
            Fail("cannot prepare the insert");
        for (int i = 0; i < kKeys; ++i) {
            sqlite3_bind_int(insert, 1, i + 1);
            sqlite3_bind_text(insert, 2, keys[i].c_str(), static_cast<int>(keys[i].size()), SQLITE_STATIC);
            if (sqlite3_step(insert) != SQLITE_DONE) Fail("sqlite insert failed");
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Exec("COMMIT");
    }
}

void OurSearch(benchmark::State& state) {
    const std::string path = folder + "/Patient.ia";
    int h = -1;
    if (FtsOpen(path.c_str(), 20, 0, &h) != FtsOk) Fail("cannot open the index");
    for (auto _ : state) {
        long matches = 0;
        for (const std::string& text : searches) {
            if (FtsSet(h, text.c_str()) != FtsSearchReady) Fail("search failed");
            while (FtsNextRec(h) >= 1) ++matches;
        }
        ourMatches = matches;
        benchmark::DoNotOptimize(matches);
    }
    FtsClose(h);
}

void SqliteSearch(benchmark::State& state) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT rowid FROM patient WHERE patient MATCH ?", -1, &query, nullptr) != SQLITE_OK)
        Fail("cannot prepare the search");
    std::vector<std::string> patterns;
    for (const std::string& text : searches) patterns.push_back("\"" + text + "\"*");
    for (auto _ : state) {
        long matches = 0;
        for (const std::string& pattern : patterns) {
            sqlite3_bind_text(query, 1, pattern.c_str(), static_cast<int>(pattern.size()), SQLITE_STATIC);
            while (sqlite3_step(query) == SQLITE_ROW) {
                benchmark::DoNotOptimize(sqlite3_column_int64(query, 0));
                ++matches;
            }
            sqlite3_reset(query);
        }
        peerMatches = matches;
        benchmark::DoNotOptimize(matches);
    }
    sqlite3_finalize(query);
}

}  // namespace

int main(int argc, char** argv) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qmbench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) Fail("cannot make a temporary folder");
    folder = pattern;
    MakeData();
    const std::string dbPath = folder + "/patient.sqlite";
    if (sqlite3_open(dbPath.c_str(), &db) != SQLITE_OK) Fail("cannot open sqlite");
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=NORMAL");

    // Adds run before the searches, which use the index they leave.
    benchmark::RegisterBenchmark("fts_add/ours", OurAdd)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("fts_add/sqlite", SqliteAdd)->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("fts_search/ours", OurSearch)->Unit(benchmark::kMillisecond)->Iterations(5);
    benchmark::RegisterBenchmark("fts_search/sqlite", SqliteSearch)->Unit(benchmark::kMillisecond)->Iterations(5);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    if (ourMatches >= 0 && peerMatches >= 0 && ourMatches != peerMatches) {
        std::fprintf(stderr, "fts_index: %ld matches here, %ld in SQLite\n", ourMatches, peerMatches);
        return 1;
    }
    reporter.PrintRatio("fts_add");
    reporter.PrintRatio("fts_search");

    sqlite3_close(db);
    std::filesystem::remove_all(folder);
    return 0;
}
