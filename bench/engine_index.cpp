// Index benchmarks beside SQLite: both sides do the same work on the same
// data in one run, and each case prints
//   RATIO <case> <our seconds> <sqlite seconds> <speedup>
// Cases: seek_char and seek_numeric (100,000 random exact seeks through
// xb_Seek on a table of 100,000 records opened shared, along a tag on a C 10
// and an N 10 field; SQLite looks up the same rows through an index on the
// column); append_indexed (100,000 patient records appended to a
// table opened exclusively with 5 tags, until the table is closed; SQLite
// inserts them in one transaction with the same 5 indexes); scan_scope (the
// records of one patient in a 1,000,000-row ledger, through a scope on the
// patient tag, for 2,000 patients); reindex (the 6 patient tags built over
// 100,000 records). Neither side forces the disk: closing hands the
// engine's writes to the system as SQLite's commit does with
// synchronous=NORMAL. With arguments, only the cases named run.
#include <sqlite3.h>

#include "BenchSupport.h"
#include <stdlib.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

#include "xbengine/XbEngine.h"

namespace {

constexpr int entryCount = 100000;
constexpr int seekCount = 100000;

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

// ---- Tables through the engine's call set -------------------------------------

void fail(const std::string& what) { throw std::runtime_error(what); }

struct FieldSpec {
    const char* name;
    const char* type;
    int width;
    int decimals;
};

void createTable(const std::string& path, const std::vector<FieldSpec>& fields) {
    if (!xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, int(fields.size()))) fail("cannot start " + path);
    for (const FieldSpec& f : fields) xb_CreateField(f.name, f.type, f.width, f.decimals);
    if (!xb_CreateExec()) fail("cannot create " + path);
    xb_Close();
}

// Puts text into a field of a record buffer as the table stores it.
void putField(std::vector<char>& record, const char* field, const std::string& text) {
    const int at = xb_FieldOffset(xb_FieldNum(field)) - 1;
    const int width = xb_FieldWidth(xb_FieldNum(field));
    const bool right = xb_FieldType(xb_FieldNum(field))[0] == 'N';
    std::string value = text.substr(0, size_t(width));
    std::string pad(size_t(width) - value.size(), ' ');
    std::string stored = right ? pad + value : value + pad;
    std::memcpy(record.data() + at, stored.data(), size_t(width));
}

// ---- Seeks ---------------------------------------------------------------------

// A table of names (C 10) and numbers (N 10), each unique, and the records
// the seeks look for. Most names are shorter than the field, so an exact
// seek pads them as the program's own seeks do.
struct SeekData {
    std::vector<std::string> names;
    std::vector<std::string> numbers;
    std::vector<int> seeks;  // record index (0-based) of each seek
};

SeekData makeSeekData() {
    std::mt19937 random(12);
    SeekData data;
    std::unordered_set<std::string> names, numbers;
    while (data.names.size() < size_t(entryCount)) {
        char name[16];
        std::snprintf(name, sizeof name, "%c%c%u", 'A' + int(random() % 26), 'A' + int(random() % 26),
                      unsigned(random() % 10000000));
        if (names.insert(name).second) data.names.push_back(name);
    }
    while (data.numbers.size() < size_t(entryCount)) {
        std::string number = std::to_string(random() % 1000000000);
        if (numbers.insert(number).second) data.numbers.push_back(number);
    }
    for (int i = 0; i < seekCount; ++i) data.seeks.push_back(int(random() % entryCount));
    return data;
}

// Both sides' tables, built once for the two seek cases.
class SeekTables {
public:
    SeekTables() : data_(makeSeekData()), table_(folder_.file("names.dbf")) {
        buildOurs();
        buildSqlite();
    }
    ~SeekTables() { sqlite3_close(db_); }

    const std::vector<std::string>& keys(bool numeric) const { return numeric ? data_.numbers : data_.names; }

    // Exact seeks through the engine on the table opened shared, as the
    // program opens its tables.
    double ours(bool numeric) const {
        const std::vector<std::string>& keys = this->keys(numeric);
        if (!xb_Use(table_.c_str(), "", XB_SHARED, XB_DRIVER_NSX)) fail("cannot open the seek table");
        const int tag = xb_TagArea(numeric ? "NUM" : "NAME");
        if (tag == 0) fail("the seek table has lost its tag");
        xb_SetOrder(tag);
        const int exact = xb_SetExact(XB_ON);
        double seconds = secondsOf([&] {
            for (int index : data_.seeks) {
                if (!xb_Seek(keys[size_t(index)].c_str())) fail("our seek missed " + keys[size_t(index)]);
                if (xb_RecNo() != index + 1) fail("our seek found another record for " + keys[size_t(index)]);
            }
        });
        xb_SetExact(exact);
        xb_CloseAll();
        return seconds;
    }

    double sqlite(bool numeric) const {
        const std::vector<std::string>& keys = this->keys(numeric);
        sqlite3_stmt* seek = nullptr;
        check(sqlite3_prepare_v2(db_,
                                 numeric ? "SELECT rowid FROM t WHERE num = ? ORDER BY num LIMIT 1"
                                         : "SELECT rowid FROM t WHERE name = ? ORDER BY name LIMIT 1",
                                 -1, &seek, nullptr),
              db_);
        double seconds = secondsOf([&] {
            exec(db_, "BEGIN");
            for (int index : data_.seeks) {
                const std::string& key = keys[size_t(index)];
                if (numeric)
                    sqlite3_bind_double(seek, 1, std::stod(key));
                else
                    sqlite3_bind_text(seek, 1, key.c_str(), -1, SQLITE_STATIC);
                if (sqlite3_step(seek) != SQLITE_ROW) fail("sqlite seek missed " + key);
                if (sqlite3_column_int(seek, 0) != index + 1) fail("sqlite found another row for " + key);
                sqlite3_reset(seek);
            }
            exec(db_, "COMMIT");
        });
        sqlite3_finalize(seek);
        return seconds;
    }

private:
    void buildOurs() {
        createTable(table_, {{"NAME", "C", 10, 0}, {"NUM", "N", 10, 0}});
        if (!xb_Use(table_.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX)) fail("cannot open the seek table");
        std::vector<char> record(size_t(xb_RecSize()), ' ');
        for (int i = 0; i < entryCount; ++i) {
            if (xb_AppendEx() != XB_APPEND_DONE) fail("append refused");
            putField(record, "NAME", data_.names[size_t(i)]);
            putField(record, "NUM", data_.numbers[size_t(i)]);
            if (!xb_PutRecord(record.data())) fail("record not written");
        }
        if (!xb_IndexTag("", "NAME", "name", XB_INDEX_PLAIN, XB_ASCENDING, "") ||
            !xb_IndexTag("", "NUM", "num", XB_INDEX_PLAIN, XB_ASCENDING, ""))
            fail("tag refused");
        xb_CloseAll();
    }

    void buildSqlite() {
        db_ = openSqlite(folder_.file("names.db"));
        exec(db_, "CREATE TABLE t(name TEXT, num REAL)");
        exec(db_, "BEGIN");
        sqlite3_stmt* insert = nullptr;
        check(sqlite3_prepare_v2(db_, "INSERT INTO t(rowid, name, num) VALUES(?, ?, ?)", -1, &insert, nullptr), db_);
        for (int i = 0; i < entryCount; ++i) {
            sqlite3_bind_int(insert, 1, i + 1);
            sqlite3_bind_text(insert, 2, data_.names[size_t(i)].c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_double(insert, 3, std::stod(data_.numbers[size_t(i)]));
            check(sqlite3_step(insert), db_, SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec(db_, "CREATE INDEX t_name ON t(name)");
        exec(db_, "CREATE INDEX t_num ON t(num)");
        exec(db_, "COMMIT");
    }

    ScratchFolder folder_;
    SeekData data_;
    std::string table_;
    sqlite3* db_ = nullptr;
};

void seekCase(const SeekTables& tables, const char* name, bool numeric) {
    PrintRatio(name, tables.ours(numeric), tables.sqlite(numeric));
}

// ---- Patients ------------------------------------------------------------------

constexpr int patientCount = 100000;

const std::vector<FieldSpec> patientFields = {{"ID", "N", 10, 0},       {"RECNAME", "C", 30, 0},
                                              {"PHONE1", "C", 20, 0},   {"PHONE2", "C", 20, 0},
                                              {"BIRTHDATE", "D", 8, 0}, {"BALANCE", "N", 10, 2}};

struct Patient {
    int id;
    std::string name, phone1, phone2, birthdate;
    double balance;
};

std::vector<Patient> makePatients() {
    std::mt19937 random(5);
    std::vector<Patient> patients;
    for (int i = 1; i <= patientCount; ++i) {
        char name[40], phone[24], phone2[24], born[12];
        std::snprintf(name, sizeof name, "Patient%06u, %c", unsigned(random() % 1000000), 'a' + int(random() % 26));
        std::snprintf(phone, sizeof phone, "(%03u)%03u-%04u", unsigned(random() % 1000), unsigned(random() % 1000),
                      unsigned(random() % 10000));
        std::snprintf(phone2, sizeof phone2, "(%03u)%03u-%04u", unsigned(random() % 1000),
                      unsigned(random() % 1000), unsigned(random() % 10000));
        std::snprintf(born, sizeof born, "%04u%02u%02u", 1930 + unsigned(random() % 80), 1 + unsigned(random() % 12),
                      1 + unsigned(random() % 28));
        double balance = random() % 3 == 0 ? double(random() % 100000) / 100.0 : 0.0;
        patients.push_back({i, name, phone, random() % 2 ? phone2 : "", born, balance});
    }
    return patients;
}

struct TagSpec {
    const char* name;
    const char* key;
    const char* condition;
};

// The patient tags of the company's index catalogue.
const std::vector<TagSpec> patientTags = {{"RecName", "upper(RecName)", ""},
                                          {"ID", "id", ""},
                                          {"Birthday", "substr(dtoc(birthdate),1,5)", ""},
                                          {"OpenBalance", "upper(RecName)", "(Balance <> 0.0)"},
                                          {"Phone1", "phone1", ""},
                                          {"Phone2", "phone2", ""}};

const char* const sqlitePatientTable =
    "CREATE TABLE patient(id INTEGER, recname TEXT, phone1 TEXT, phone2 TEXT, birthdate TEXT, balance REAL)";
// SQLite's counterparts of the tags; birthdate is stored as "mm/dd/yy".
const char* const sqlitePatientIndexes[] = {
    "CREATE INDEX p_recname ON patient(upper(recname))",
    "CREATE INDEX p_id ON patient(id)",
    "CREATE INDEX p_birthday ON patient(substr(birthdate,1,5))",
    "CREATE INDEX p_open ON patient(upper(recname)) WHERE balance <> 0.0",
    "CREATE INDEX p_phone1 ON patient(phone1)",
    "CREATE INDEX p_phone2 ON patient(phone2)",
};

std::string americanDate(const std::string& yyyymmdd) {
    return yyyymmdd.substr(4, 2) + "/" + yyyymmdd.substr(6, 2) + "/" + yyyymmdd.substr(2, 2);
}

std::string moneyText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

void appendPatients(const std::vector<Patient>& patients) {
    std::vector<char> record(size_t(xb_RecSize()), ' ');
    for (const Patient& p : patients) {
        if (xb_AppendEx() != XB_APPEND_DONE) fail("append refused");
        putField(record, "ID", std::to_string(p.id));
        putField(record, "RECNAME", p.name);
        putField(record, "PHONE1", p.phone1);
        putField(record, "PHONE2", p.phone2);
        putField(record, "BIRTHDATE", p.birthdate);
        putField(record, "BALANCE", moneyText(p.balance));
        if (!xb_PutRecord(record.data())) fail("record not written");
    }
}

void insertPatients(sqlite3* db, const std::vector<Patient>& patients) {
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO patient VALUES(?,?,?,?,?,?)", -1, &insert, nullptr), db);
    for (const Patient& p : patients) {
        const std::string born = americanDate(p.birthdate);
        sqlite3_bind_int(insert, 1, p.id);
        sqlite3_bind_text(insert, 2, p.name.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, p.phone1.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, p.phone2.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 5, born.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 6, p.balance);
        check(sqlite3_step(insert), db, SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
}

// Times `work` after `prepare`, best of three fresh runs.
double timedRuns(const std::function<void(int run)>& prepare, const std::function<void()>& work) {
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        prepare(run);
        auto start = std::chrono::steady_clock::now();
        work();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run == 0 || seconds < best) best = seconds;
    }
    return best;
}

void appendIndexedCase() {
    ScratchFolder folder;
    const std::vector<Patient> patients = makePatients();
    const std::vector<TagSpec> five(patientTags.begin(), patientTags.begin() + 5);
    double ours = timedRuns(
        [&](int run) {
            xb_CloseAll();
            const std::string path = folder.file("patient" + std::to_string(run) + ".dbf");
            createTable(path, patientFields);
            if (!xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX)) fail("cannot open the patients");
            for (const TagSpec& t : five) xb_IndexTag("", t.name, t.key, XB_INDEX_PLAIN, XB_ASCENDING, t.condition);
        },
        [&] {
            appendPatients(patients);
            xb_CloseAll();
        });
    if (!xb_Use(folder.file("patient2.dbf").c_str(), "", XB_SHARED, XB_DRIVER_NSX)) fail("cannot open the patients");
    xb_SetOrder(1);
    if (xb_Count() != patientCount) fail("our tag misses records");
    xb_CloseAll();

    sqlite3* db = nullptr;
    double peer = timedRuns(
        [&](int run) {
            if (db) sqlite3_close(db);
            db = openSqlite(folder.file("patient" + std::to_string(run) + ".db"));
            exec(db, sqlitePatientTable);
            for (int i = 0; i < 5; ++i) exec(db, sqlitePatientIndexes[i]);
        },
        [&] {
            exec(db, "BEGIN");
            insertPatients(db, patients);
            exec(db, "COMMIT");
        });
    sqlite3_close(db);
    PrintRatio("append_indexed", ours, peer);
}

void reindexCase() {
    ScratchFolder folder;
    const std::vector<Patient> patients = makePatients();
    const std::string path = folder.file("patient.dbf");
    createTable(path, patientFields);
    if (!xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX)) fail("cannot open the patients");
    appendPatients(patients);
    double ours = timedRuns([](int) {},
                            [&] {
                                for (const TagSpec& t : patientTags)
                                    if (!xb_IndexTag("", t.name, t.key, XB_INDEX_PLAIN, XB_ASCENDING, t.condition))
                                        fail("tag refused");
                            });
    xb_CloseAll();

    sqlite3* db = openSqlite(folder.file("patient.db"));
    exec(db, sqlitePatientTable);
    exec(db, "BEGIN");
    insertPatients(db, patients);
    exec(db, "COMMIT");
    double peer = timedRuns(
        [&](int) {
            exec(db, "BEGIN");
            for (const char* name : {"p_recname", "p_id", "p_birthday", "p_open", "p_phone1", "p_phone2"})
                exec(db, ("DROP INDEX IF EXISTS " + std::string(name)).c_str());
            exec(db, "COMMIT");
        },
        [&] {
            exec(db, "BEGIN");
            for (const char* sql : sqlitePatientIndexes) exec(db, sql);
            exec(db, "COMMIT");
        });
    sqlite3_close(db);
    PrintRatio("reindex", ours, peer);
}

// ---- Ledger --------------------------------------------------------------------

constexpr int ledgerRows = 1000000;
constexpr int ledgerPatients = 50000;
constexpr int scopedScans = 2000;

void scanScopeCase() {
    ScratchFolder folder;
    std::mt19937 random(9);
    std::vector<int> owners(ledgerRows);
    for (int& owner : owners) owner = 1 + int(random() % ledgerPatients);
    std::vector<int> wanted(scopedScans);
    for (int& patient : wanted) patient = 1 + int(random() % ledgerPatients);

    const std::string path = folder.file("ledger.dbf");
    createTable(path, {{"ID", "N", 10, 0},
                       {"ACCOUNT", "N", 4, 0},
                       {"ACCTNO", "C", 10, 0},
                       {"DATE", "D", 8, 0},
                       {"AMOUNT", "N", 10, 2},
                       {"DESC", "C", 20, 0}});
    if (!xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX)) fail("cannot open the ledger");
    std::vector<char> record(size_t(xb_RecSize()), ' ');
    for (int i = 0; i < ledgerRows; ++i) {
        if (xb_AppendEx() != XB_APPEND_DONE) fail("append refused");
        putField(record, "ID", std::to_string(owners[i]));
        putField(record, "ACCOUNT", std::to_string(i % 40));
        putField(record, "ACCTNO", "A-" + std::to_string(i % 997));
        putField(record, "DATE", "20030704");
        putField(record, "AMOUNT", moneyText(double(i % 5000) / 10.0));
        putField(record, "DESC", "ledger line");
        if (!xb_PutRecord(record.data())) fail("record not written");
    }
    if (!xb_IndexTag("", "ID", "id", XB_INDEX_PLAIN, XB_ASCENDING, "")) fail("tag refused");

    long ourRows = 0;
    double ours = secondsOf([&] {
        ourRows = 0;
        for (int patient : wanted) {
            const std::string key = std::to_string(patient);
            xb_SetScope(key.c_str(), key.c_str());
            for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) ourRows += xb_GetString("AMOUNT")[0] != 0;
        }
        xb_SetScope("", "");
    });
    xb_CloseAll();

    sqlite3* db = openSqlite(folder.file("ledger.db"));
    exec(db, "CREATE TABLE ledger(id INTEGER, account INTEGER, acctno TEXT, date TEXT, amount REAL, desc TEXT)");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO ledger VALUES(?,?,?,'20030704',?,'ledger line')", -1, &insert, nullptr),
          db);
    for (int i = 0; i < ledgerRows; ++i) {
        const std::string acctNo = "A-" + std::to_string(i % 997);
        sqlite3_bind_int(insert, 1, owners[i]);
        sqlite3_bind_int(insert, 2, i % 40);
        sqlite3_bind_text(insert, 3, acctNo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 4, double(i % 5000) / 10.0);
        check(sqlite3_step(insert), db, SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "CREATE INDEX l_id ON ledger(id)");
    exec(db, "COMMIT");
    sqlite3_stmt* scan = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT * FROM ledger WHERE id = ? ORDER BY id", -1, &scan, nullptr), db);
    long peerRows = 0;
    double peer = secondsOf([&] {
        peerRows = 0;
        exec(db, "BEGIN");
        for (int patient : wanted) {
            sqlite3_bind_int(scan, 1, patient);
            while (sqlite3_step(scan) == SQLITE_ROW) peerRows += sqlite3_column_text(scan, 4) != nullptr;
            sqlite3_reset(scan);
        }
        exec(db, "COMMIT");
    });
    sqlite3_finalize(scan);
    sqlite3_close(db);
    if (ourRows != peerRows) fail("the scoped scans differ");
    PrintRatio("scan_scope", ours, peer);
}

}  // namespace

int main(int argc, char** argv) {
    auto wanted = [&](const char* name) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], name) == 0) return true;
        return false;
    };
    try {
        if (wanted("seek_char") || wanted("seek_numeric")) {
            const SeekTables tables;
            if (wanted("seek_char")) seekCase(tables, "seek_char", false);
            if (wanted("seek_numeric")) seekCase(tables, "seek_numeric", true);
        }
        if (wanted("append_indexed")) appendIndexedCase();
        if (wanted("scan_scope")) scanScopeCase();
        if (wanted("reindex")) reindexCase();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "engine_index: %s\n", e.what());
        return 1;
    }
    return 0;
}
