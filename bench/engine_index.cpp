// Index benchmarks beside SQLite: both sides do the same work on the same
// data in one run, and each case prints
//   RATIO <case> <our seconds> <sqlite seconds> <speedup>
// Cases: seek_char and seek_numeric (100,000 random exact seeks on a tag of
// 100,000 entries).
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "xbengine/NsxCursor.h"
#include "xbengine/NsxFile.h"

namespace {

constexpr int entryCount = 100000;
constexpr int seekCount = 100000;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The best of three runs, so that a busy machine disturbs the figures less.
double secondsOf(const auto& work) {
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        work();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run == 0 || seconds < best) best = seconds;
    }
    return best;
}

void printRatio(const char* name, double ours, double peer) {
    std::printf("RATIO %s %.6f %.6f %.2f\n", name, ours, peer, peer / ours);
    std::fflush(stdout);
}

void check(int rc, sqlite3* db, int expected = SQLITE_OK) {
    if (rc != expected) throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
}

void exec(sqlite3* db, const char* sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db); }

sqlite3* openSqlite(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open sqlite");
    exec(db, "PRAGMA journal_mode=WAL");
    exec(db, "PRAGMA synchronous=NORMAL");
    return db;
}

// The keys of one case: the text each record's key is, in record order, and
// the texts the seeks ask for.
struct KeySet {
    std::vector<std::string> keys;
    std::vector<int> seeks;  // record index (0-based) of each seek
};

KeySet makeKeys(bool numeric) {
    std::mt19937 random(numeric ? 11 : 12);
    KeySet set;
    for (int i = 0; i < entryCount; ++i) {
        if (numeric) {
            set.keys.push_back(std::to_string(random() % 100000000));
        } else {
            char name[40];
            std::snprintf(name, sizeof name, "PATIENT %08u, %c", unsigned(random() % 100000000), 'A' + int(random() % 26));
            set.keys.push_back(name);
        }
    }
    for (int i = 0; i < seekCount; ++i) set.seeks.push_back(int(random() % entryCount));
    return set;
}

double oursSeeks(const ScratchFolder& folder, const KeySet& set, bool numeric) {
    auto file = xb::NsxFile::Create(folder.file(numeric ? "num.nsx" : "char.nsx"));
    xb::NsxTagInfo info;
    info.name = "KEY";
    info.keyExpression = "key";
    info.keyType = numeric ? 'N' : 'C';
    info.keyLength = numeric ? 10 : 30;
    xb::NsxKeyList keys(info);
    for (int i = 0; i < entryCount; ++i) keys.add(set.keys[i], uint32_t(i + 1));
    file->addTag(keys);
    xb::NsxCursor cursor(*file, "KEY");
    int found = 0;
    double seconds = secondsOf([&] {
        found = 0;
        for (int index : set.seeks) found += cursor.seek(set.keys[index], true);
    });
    if (found != seekCount) throw std::runtime_error("our seeks missed");
    return seconds;
}

double sqliteSeeks(const ScratchFolder& folder, const KeySet& set, bool numeric) {
    sqlite3* db = openSqlite(folder.file(numeric ? "num.db" : "char.db"));
    exec(db, numeric ? "CREATE TABLE t(k REAL)" : "CREATE TABLE t(k TEXT)");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO t(rowid, k) VALUES(?, ?)", -1, &insert, nullptr), db);
    for (int i = 0; i < entryCount; ++i) {
        sqlite3_bind_int(insert, 1, i + 1);
        if (numeric)
            sqlite3_bind_double(insert, 2, std::stod(set.keys[i]));
        else
            sqlite3_bind_text(insert, 2, set.keys[i].c_str(), -1, SQLITE_STATIC);
        check(sqlite3_step(insert), db, SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "CREATE INDEX t_k ON t(k)");
    exec(db, "COMMIT");

    sqlite3_stmt* seek = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT rowid FROM t WHERE k = ? ORDER BY k LIMIT 1", -1, &seek, nullptr), db);
    int found = 0;
    double seconds = secondsOf([&] {
        found = 0;
        exec(db, "BEGIN");
        for (int index : set.seeks) {
            if (numeric)
                sqlite3_bind_double(seek, 1, std::stod(set.keys[index]));
            else
                sqlite3_bind_text(seek, 1, set.keys[index].c_str(), -1, SQLITE_STATIC);
            found += sqlite3_step(seek) == SQLITE_ROW;
            sqlite3_reset(seek);
        }
        exec(db, "COMMIT");
    });
    sqlite3_finalize(seek);
    sqlite3_close(db);
    if (found != seekCount) throw std::runtime_error("sqlite seeks missed");
    return seconds;
}

void seekCase(const char* name, bool numeric) {
    ScratchFolder folder;
    const KeySet set = makeKeys(numeric);
    printRatio(name, oursSeeks(folder, set, numeric), sqliteSeeks(folder, set, numeric));
}

}  // namespace

int main() {
    try {
        seekCase("seek_char", false);
        seekCase("seek_numeric", true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "engine_index: %s\n", e.what());
        return 1;
    }
    return 0;
}
