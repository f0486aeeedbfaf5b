// Table storage beside SQLite: 100,000 patient records (the 77-field patient
// layout, every tenth with a note) appended, then read back in record order,
// reading every field. Both sides do the same work on the same data in one
// run. SQLite writes its batch in one transaction, holding the database for
// itself; the engine's like of that is the table opened for exclusive use
// (append_plain, read_sequential). The same work with the table opened
// shared, as workstations use it, is measured too (append_shared,
// read_shared): there each record is visible to other workstations when its
// append returns, under the record and header locks, so its peer is SQLite
// committing each row (WAL, synchronous NORMAL). Prints
//   RATIO <case> <our seconds> <sqlite seconds> <speedup>
#include <sqlite3.h>

#include "BenchSupport.h"
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "xbengine/XbEngine.h"

namespace {

constexpr int recordCount = 100000;
constexpr int rounds = 3;  // the best of three runs of each side counts

struct Field {
    const char* name;
    char type;
    int width;
    int decimals;
};

const Field patientFields[] = {
    {"ID", 'N', 10, 0},         {"INCIDENT", 'N', 4, 0},    {"RECNAME", 'C', 30, 0},    {"NAME", 'C', 30, 0},
    {"ADDR1", 'C', 30, 0},      {"ADDR", 'C', 30, 0},       {"CITY", 'C', 20, 0},       {"STATE", 'C', 2, 0},
    {"ZIP", 'C', 10, 0},        {"PHONE1DESC", 'C', 10, 0}, {"PHONE1", 'C', 20, 0},     {"PHONE2DESC", 'C', 10, 0},
    {"PHONE2", 'C', 20, 0},     {"PHONE3DESC", 'C', 10, 0}, {"PHONE3", 'C', 20, 0},     {"PHONE4DESC", 'C', 10, 0},
    {"PHONE4", 'C', 20, 0},     {"SSN", 'C', 11, 0},        {"EMPLOYER", 'C', 18, 0},   {"BILLNAME", 'C', 30, 0},
    {"BILLADDR", 'C', 30, 0},   {"BILLCITY", 'C', 20, 0},   {"BILLSTATE", 'C', 2, 0},   {"BILLZIP", 'C', 10, 0},
    {"HCFAPNAME", 'C', 30, 0},  {"HCFAPADDR", 'C', 30, 0},  {"HCFAPCITY", 'C', 20, 0},  {"HCFAPSTATE", 'C', 2, 0},
    {"HCFAPZIP", 'C', 10, 0},   {"BILLINSUR", 'L', 1, 0},   {"FIRSTVISIT", 'D', 8, 0},  {"ACPTASSIGN", 'L', 1, 0},
    {"FINCLASS", 'C', 2, 0},    {"SEX", 'C', 6, 0},         {"BIRTHDATE", 'D', 8, 0},   {"BALANCE", 'N', 10, 2},
    {"TERMS", 'N', 3, 0},       {"PAT_STATUS", 'C', 7, 0},  {"PAT_EMPLYD", 'L', 1, 0},  {"PAT_STUDNT", 'C', 9, 0},
    {"PATSIGONFI", 'L', 1, 0},  {"REL_TO_INS", 'C', 6, 0},  {"PLAN_TYPE", 'C', 10, 0},  {"INS_ID", 'C', 15, 0},
    {"INS_NAME", 'C', 27, 0},   {"INS_ADDRS", 'C', 27, 0},  {"INS_CITY", 'C', 24, 0},   {"INS_STATE", 'C', 2, 0},
    {"INS_ZIP", 'C', 10, 0},    {"INS_PHONE", 'C', 14, 0},  {"INS_BIRTH", 'D', 8, 0},   {"INS_SEX", 'C', 6, 0},
    {"INS_EMPLR", 'C', 18, 0},  {"INS_PLAN", 'C', 18, 0},   {"INS_GROUP", 'C', 14, 0},  {"INSSIGONFI", 'L', 1, 0},
    {"OTHER_INS", 'L', 1, 0},   {"OTH_POLICY", 'C', 15, 0}, {"OTH_NAME", 'C', 27, 0},   {"OTH_ADDRS", 'C', 27, 0},
    {"OTH_CITY", 'C', 24, 0},   {"OTH_STATE", 'C', 2, 0},   {"OTH_ZIP", 'C', 10, 0},    {"OTH_PHONE", 'C', 14, 0},
    {"OTH_BIRTH", 'D', 8, 0},   {"OTH_SEX", 'C', 6, 0},     {"OTH_EMPLR", 'C', 18, 0},  {"OTH_PLAN", 'C', 18, 0},
    {"OTH_GROUP", 'C', 14, 0},  {"CAR_NAME", 'C', 32, 0},   {"CAR_ADDR1", 'C', 32, 0},  {"CAR_ADDR2", 'C', 32, 0},
    {"CAR_CITY", 'C', 32, 0},   {"CAR_STATE", 'C', 2, 0},   {"CAR_ZIP", 'C', 10, 0},    {"CAR_PHONE", 'C', 14, 0},
    {"NOTE", 'M', 10, 0},
};
constexpr int fieldCount = sizeof patientFields / sizeof patientFields[0];
static_assert(fieldCount == 77);

// One value per field of a record, as the forms would hand them over:
// texts, numbers, "yyyymmdd" dates and logicals.
struct Value {
    std::string text;
    double number = 0;
    bool logical = false;
};
using Row = std::vector<Value>;

// A pool of varied rows; record i takes row i % pool size with its own ID.
std::vector<Row> makeRows() {
    static const char* words[] = {"Anderson", "Baker", "Castillo", "Dubois", "Eriksen", "Fontaine",
                                  "Garcia",   "Huang", "Ivanova",  "Jensen", "Kowalski", "Larsen"};
    std::vector<Row> rows;
    for (int r = 0; r < 1000; ++r) {
        Row row(fieldCount);
        for (int f = 0; f < fieldCount; ++f) {
            const Field& field = patientFields[f];
            Value& v = row[f];
            switch (field.type) {
            case 'C': {
                std::string text = std::string(words[(r + f) % 12]) + " " + std::to_string(r * 7 + f);
                v.text = text.substr(0, static_cast<size_t>(std::min<int>(field.width, 4 + (r + f) % field.width)));
                break;
            }
            case 'N': v.number = field.decimals ? (r % 500) * 1.25 - 100 : (r + f) % 1000; break;
            case 'D': {
                char date[9];
                std::snprintf(date, sizeof date, "%04d%02d%02d", 1930 + r % 80, 1 + r % 12, 1 + r % 28);
                v.text = date;
                break;
            }
            case 'L': v.logical = (r + f) % 3 == 0; break;
            case 'M':
                if (r % 10 == 0)
                    v.text = "Patient prefers afternoon appointments; contact lenses since " + std::to_string(1990 + r % 30) +
                             ". Allergic to some lens solutions, see exam notes.";
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

double secondsOf(const auto& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Checksum of what was read, so neither side can skip the work.
struct Digest {
    double numbers = 0;
    size_t textBytes = 0;
    int trues = 0;
};

// The engine side.

void createEngineTable(const std::string& path) {
    if (!xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, fieldCount))
        throw std::runtime_error("cannot start the table definition");
    for (const Field& f : patientFields) {
        char type[2] = {f.type, 0};
        xb_CreateField(f.name, type, f.width, f.decimals);
    }
    if (!xb_CreateExec())
        throw std::runtime_error("cannot create the table");
    xb_Close();
}

void appendEngine(const std::string& path, int mode, const std::vector<Row>& rows) {
    if (!xb_Use(path.c_str(), "", mode, XB_DRIVER_NSX))
        throw std::runtime_error("cannot open the table");
    int size = xb_RecSize();
    std::vector<char> buffer(size);
    std::vector<int> offsets(fieldCount);
    for (int f = 0; f < fieldCount; ++f)
        offsets[f] = xb_FieldOffset(f + 1) - 1;
    for (int i = 0; i < recordCount; ++i) {
        const Row& row = rows[i % rows.size()];
        if (xb_AppendEx() != XB_APPEND_DONE)
            throw std::runtime_error("append refused");
        std::memset(buffer.data(), ' ', size);
        for (int f = 0; f < fieldCount; ++f) {
            const Field& field = patientFields[f];
            char* at = buffer.data() + offsets[f];
            const Value& v = row[f];
            switch (field.type) {
            case 'C':
            case 'D': std::memcpy(at, v.text.data(), v.text.size()); break;
            case 'N': {
                char text[32];
                double number = f == 0 ? i + 1 : v.number;
                int n = std::snprintf(text, sizeof text, "%*.*f", field.width, field.decimals, number);
                std::memcpy(at, text, std::min(n, field.width));
                break;
            }
            case 'L': *at = v.logical ? 'T' : 'F'; break;
            case 'M':
                if (!v.text.empty())
                    xb_PutBlob(field.name, v.text.data(), static_cast<int>(v.text.size()));
                break;
            }
        }
        if (!xb_PutRecord(buffer.data()))
            throw std::runtime_error("record write refused");
        xb_Unlock(xb_RecNo());
    }
    xb_Close();
}

Digest readEngine(const std::string& path, int mode) {
    if (!xb_Use(path.c_str(), "", mode, XB_DRIVER_NSX))
        throw std::runtime_error("cannot open the table");
    Digest digest;
    int size = xb_RecSize();
    std::vector<char> buffer(size);
    std::vector<int> offsets(fieldCount);
    for (int f = 0; f < fieldCount; ++f)
        offsets[f] = xb_FieldOffset(f + 1) - 1;
    int read = 0;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
        xb_GetRecord(buffer.data());
        for (int f = 0; f < fieldCount; ++f) {
            const Field& field = patientFields[f];
            const char* at = buffer.data() + offsets[f];
            switch (field.type) {
            case 'C':
            case 'D': {
                int n = field.width;
                while (n > 0 && at[n - 1] == ' ')
                    --n;
                digest.textBytes += static_cast<size_t>(n);
                break;
            }
            case 'N': {
                char text[32];
                std::memcpy(text, at, field.width);
                text[field.width] = 0;
                digest.numbers += std::strtod(text, nullptr);
                break;
            }
            case 'L': digest.trues += *at == 'T'; break;
            case 'M':
                if (at[field.width - 1] != ' ') {
                    char* memo = xb_GetMemo(field.name, 0);
                    digest.textBytes += std::strlen(memo);
                    xb_MemDealloc(memo);
                }
                break;
            }
        }
        ++read;
    }
    xb_Close();
    if (read != recordCount)
        throw std::runtime_error("engine read back " + std::to_string(read) + " records");
    return digest;
}

// The SQLite side.

void check(int rc, sqlite3* db, int expected = SQLITE_OK) {
    if (rc != expected)
        throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
}

void exec(sqlite3* db, const char* sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db); }

sqlite3* openSqlite(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open sqlite");
    exec(db, "PRAGMA journal_mode=WAL");
    exec(db, "PRAGMA synchronous=NORMAL");
    return db;
}

void createSqliteTable(const std::string& path) {
    sqlite3* db = openSqlite(path);
    std::string sql = "CREATE TABLE patient (";
    for (int f = 0; f < fieldCount; ++f) {
        const Field& field = patientFields[f];
        sql += std::string(f ? ", " : "") + field.name +
               (field.type == 'N' ? " REAL" : field.type == 'L' ? " INTEGER" : " TEXT");
    }
    sql += ")";
    exec(db, sql.c_str());
    sqlite3_close(db);
}

// oneTransaction: the whole batch in one transaction; else each row commits.
void appendSqlite(const std::string& path, const std::vector<Row>& rows, bool oneTransaction) {
    sqlite3* db = openSqlite(path);
    std::string sql = "INSERT INTO patient VALUES (";
    for (int f = 0; f < fieldCount; ++f)
        sql += f ? ", ?" : "?";
    sql += ")";
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr), db);
    if (oneTransaction)
        exec(db, "BEGIN");
    for (int i = 0; i < recordCount; ++i) {
        const Row& row = rows[i % rows.size()];
        for (int f = 0; f < fieldCount; ++f) {
            const Field& field = patientFields[f];
            const Value& v = row[f];
            switch (field.type) {
            case 'C':
            case 'D':
            case 'M':
                if (v.text.empty())
                    sqlite3_bind_null(insert, f + 1);
                else
                    sqlite3_bind_text(insert, f + 1, v.text.data(), static_cast<int>(v.text.size()), SQLITE_STATIC);
                break;
            case 'N': sqlite3_bind_double(insert, f + 1, f == 0 ? i + 1 : v.number); break;
            case 'L': sqlite3_bind_int(insert, f + 1, v.logical); break;
            }
        }
        check(sqlite3_step(insert), db, SQLITE_DONE);
        sqlite3_reset(insert);
    }
    if (oneTransaction)
        exec(db, "COMMIT");
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

Digest readSqlite(const std::string& path) {
    sqlite3* db = openSqlite(path);
    sqlite3_stmt* select = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT * FROM patient ORDER BY rowid", -1, &select, nullptr), db);
    Digest digest;
    int read = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        for (int f = 0; f < fieldCount; ++f) {
            switch (patientFields[f].type) {
            case 'C':
            case 'D':
            case 'M':
                sqlite3_column_text(select, f);
                digest.textBytes += static_cast<size_t>(sqlite3_column_bytes(select, f));
                break;
            case 'N': digest.numbers += sqlite3_column_double(select, f); break;
            case 'L': digest.trues += sqlite3_column_int(select, f); break;
            }
        }
        ++read;
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    if (read != recordCount)
        throw std::runtime_error("sqlite read back " + std::to_string(read) + " records");
    return digest;
}

}  // namespace

int main() {
    try {
        ScratchFolder folder;
        setenv("QUENMARK_ROOT", folder.file("root").c_str(), 1);
        std::vector<Row> rows = makeRows();
        constexpr int shared = 0, exclusive = 2;
        // exclusive, shared, sqlite; for appends also sqlite committing each row
        double append[4] = {1e9, 1e9, 1e9, 1e9}, read[3] = {1e9, 1e9, 1e9};
        Digest digests[4];
        for (int round = 0; round < rounds; ++round) {
            std::string name = folder.file("patient" + std::to_string(round));
            createEngineTable(name + "x.dbf");
            createEngineTable(name + "s.dbf");
            createSqliteTable(name + ".sqlite");
            createSqliteTable(name + "r.sqlite");
            append[0] = std::min(append[0], secondsOf([&] { appendEngine(name + "x.dbf", exclusive, rows); }));
            append[1] = std::min(append[1], secondsOf([&] { appendEngine(name + "s.dbf", shared, rows); }));
            append[2] = std::min(append[2], secondsOf([&] { appendSqlite(name + ".sqlite", rows, true); }));
            append[3] = std::min(append[3], secondsOf([&] { appendSqlite(name + "r.sqlite", rows, false); }));
            read[0] = std::min(read[0], secondsOf([&] { digests[0] = readEngine(name + "x.dbf", exclusive); }));
            read[1] = std::min(read[1], secondsOf([&] { digests[1] = readEngine(name + "s.dbf", shared); }));
            read[2] = std::min(read[2], secondsOf([&] { digests[2] = readSqlite(name + ".sqlite"); }));
            digests[3] = readSqlite(name + "r.sqlite");
        }
        for (const Digest& ours : {digests[0], digests[1], digests[3]})
            if (ours.trues != digests[2].trues ||
                std::abs(ours.numbers - digests[2].numbers) > 1e-3 * std::abs(digests[2].numbers))
                throw std::runtime_error("the two sides read different data");
        PrintRatio("append_plain", append[0], append[2]);
        PrintRatio("read_sequential", read[0], read[2]);
        PrintRatio("append_shared", append[1], append[3]);
        PrintRatio("read_shared", read[1], read[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "engine_storage: %s\n", e.what());
        return 1;
    }
    return 0;
}
