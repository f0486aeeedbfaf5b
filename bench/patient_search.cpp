// The advanced patient search beside SQLite: 100,000 generated patients
// (names, streets, phones, SSNs) with their Patient.ia, then 200 three-letter
// prefixes searched through the search form's own handlers: the text typed,
// Search, Next until the button reads "Search" again, every match's five
// fields refreshed through their data links (nothing painted). The peer is
// SQLite FTS5 over the same keys with the prefix query 'abc*', each match's
// five columns fetched from a patient table by rowid with a prepared
// statement (WAL, synchronous NORMAL). Both sides must visit the same
// matches. Prints
//   RATIO patient_search <our seconds> <sqlite seconds> <speedup>
// and the same for the processor time of the two search loops, which is
// steadier than wall time on a busy machine.
#include <sqlite3.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/DataModule.h"
#include "data/DbTables.h"
#include "patients/AdvancedSearch.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DBCtrls.h"
#include "ui/StdCtrls.h"
#include "xbase/FTS32.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int patientCount = 100000;
constexpr int prefixCount = 200;

void fail(const std::string& what) { throw std::runtime_error(what); }

struct Patient {
    std::string recName, addr, phone1, phone2, ssn;
};

std::string padded(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

// The search key as the program writes it: the five columns at their widths, upper-cased.
std::string keyOf(const Patient& p) {
    return padded(p.recName, 30) + padded(p.addr, 30) + padded(p.phone1, 20) + padded(p.phone2, 20) +
           padded(p.ssn, 11);
}

std::vector<Patient> makePatients() {
    std::mt19937 random(4242);
    auto pick = [&](int n) { return static_cast<int>(random() % n); };
    const char* syllables[] = {"BA", "KER", "SON", "MAR", "TIN", "LO", "PEZ", "AN", "DER", "WIL",
                               "LI", "AMS", "GAR", "CIA", "RO", "BERT", "HAR", "RIS", "JO", "NES"};
    auto word = [&](int parts) {
        std::string w;
        for (int i = 0; i < parts; ++i) w += syllables[pick(20)];
        return w;
    };
    auto digits = [&](int n) {
        std::string d;
        for (int i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
        return d;
    };
    std::vector<Patient> patients;
    for (int i = 0; i < patientCount; ++i)
        patients.push_back({word(2 + pick(2)) + ", " + word(1 + pick(2)),
                            std::to_string(1 + pick(9999)) + " " + word(2) + " ST",
                            "(" + digits(3) + ")" + digits(3) + "-" + digits(4),
                            pick(2) ? "(" + digits(3) + ")" + digits(3) + "-" + digits(4) : "",
                            digits(3) + "-" + digits(2) + "-" + digits(4)});
    return patients;
}

std::vector<std::string> makePrefixes(const std::vector<Patient>& patients) {
    std::vector<std::string> prefixes;
    for (int i = 0; i < prefixCount; ++i) {
        const Patient& p = patients[static_cast<size_t>(i) * 491 % patients.size()];
        prefixes.push_back(i % 2 ? p.addr.substr(p.addr.find(' ') + 1, 3) : p.recName.substr(0, 3));
    }
    return prefixes;
}

struct Result {
    double seconds = 0;
    double cpuSeconds = 0;
    long matches = 0;
};

double cpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall and processor time of one search loop.
class LoopClock {
public:
    void stop(Result& result) const {
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart_).count();
        result.cpuSeconds = cpuNow() - cpuStart_;
    }

private:
    std::chrono::steady_clock::time_point wallStart_ = std::chrono::steady_clock::now();
    double cpuStart_ = cpuNow();
};

Result runOurs(const std::vector<Patient>& patients, const std::vector<std::string>& prefixes) {
    TestCompany company;
    std::vector<CompanyFixture::Row> rows;
    rows.reserve(patients.size());
    for (size_t i = 0; i < patients.size(); ++i) {
        const Patient& p = patients[i];
        rows.push_back({{"ID", std::to_string(i + 1)}, {"RECNAME", p.recName}, {"ADDR", p.addr},
                        {"PHONE1", p.phone1}, {"PHONE2", p.phone2}, {"SSN", p.ssn}});
    }
    CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf", rows);
    {
        TFts fts(nullptr);
        if (fts.CreateIndex(company.File("Patient.ia"), 20, 3, 1, 1) != 0) fail("Patient.ia cannot be made");
        for (const Patient& p : patients) fts.Add(keyOf(p));
        fts.Close();
    }
    Result result;
    {
        TDataModule1 module(nullptr, nullptr);
        DataModule1 = &module;
        module.ChangeDataDirectory(company.DataDirectory());
        TAdvancedSearchForm form(nullptr);
        const LoopClock clock;
        for (const std::string& prefix : prefixes) {
            form.SearchStringEdit->SetText(prefix);
            form.SearchButtonClick(&form);
            while (form.SearchButton->Caption() == "Next") {
                ++result.matches;
                benchmark::DoNotOptimize(form.RecNameDBEdit->Text().size() + form.AddrDBEdit->Text().size() +
                                         form.Phone1DBEdit->Text().size() + form.Phone2DBEdit->Text().size() +
                                         form.SSNDBEdit->Text().size());
                form.SearchButtonClick(&form);
            }
        }
        clock.stop(result);
        TCloseAction action = caHide;
        form.FormClose(&form, action);
        module.CloseFiles();
        DataModule1 = nullptr;
    }
    Application->ProcessMessages();
    Session()->Close();
    xb_CloseAll();
    return result;
}

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "sqlite error";
        sqlite3_free(message);
        fail(text);
    }
}

Result runSqlite(const std::vector<Patient>& patients, const std::vector<std::string>& prefixes,
                 const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) fail("cannot open the SQLite file");
    exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    exec(db, "CREATE TABLE patient(id INTEGER PRIMARY KEY, recname TEXT, addr TEXT, phone1 TEXT, phone2 TEXT, "
             "ssn TEXT); CREATE VIRTUAL TABLE patient_key USING fts5(key);");
    exec(db, "BEGIN");
    sqlite3_stmt* row = nullptr;
    sqlite3_stmt* key = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO patient VALUES(?,?,?,?,?,?)", -1, &row, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO patient_key(rowid, key) VALUES(?,?)", -1, &key, nullptr);
    for (size_t i = 0; i < patients.size(); ++i) {
        const Patient& p = patients[i];
        sqlite3_bind_int64(row, 1, static_cast<sqlite3_int64>(i + 1));
        int column = 2;
        for (const std::string* value : {&p.recName, &p.addr, &p.phone1, &p.phone2, &p.ssn})
            sqlite3_bind_text(row, column++, value->c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(row) != SQLITE_DONE) fail("patient insert failed");
        sqlite3_reset(row);
        const std::string text = keyOf(p);
        sqlite3_bind_int64(key, 1, static_cast<sqlite3_int64>(i + 1));
        sqlite3_bind_text(key, 2, text.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(key) != SQLITE_DONE) fail("key insert failed");
        sqlite3_reset(key);
    }
    sqlite3_finalize(row);
    sqlite3_finalize(key);
    exec(db, "COMMIT");

    sqlite3_stmt* match = nullptr;
    sqlite3_stmt* fetch = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM patient_key WHERE patient_key MATCH ? ORDER BY rowid", -1, &match,
                       nullptr);
    sqlite3_prepare_v2(db, "SELECT recname, addr, phone1, phone2, ssn FROM patient WHERE id = ?", -1, &fetch,
                       nullptr);
    Result result;
    const LoopClock clock;
    for (const std::string& prefix : prefixes) {
        const std::string query = "\"" + prefix + "\"*";
        sqlite3_bind_text(match, 1, query.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(match) == SQLITE_ROW) {
            sqlite3_bind_int64(fetch, 1, sqlite3_column_int64(match, 0));
            if (sqlite3_step(fetch) != SQLITE_ROW) fail("a match without its patient");
            size_t bytes = 0;
            for (int c = 0; c < 5; ++c) bytes += static_cast<size_t>(sqlite3_column_bytes(fetch, c));
            benchmark::DoNotOptimize(bytes);
            sqlite3_reset(fetch);
            ++result.matches;
        }
        sqlite3_reset(match);
    }
    clock.stop(result);
    sqlite3_finalize(match);
    sqlite3_finalize(fetch);
    sqlite3_close(db);
    return result;
}

}  // namespace

int main() {
    try {
        ScratchFolder root;
        setenv("QUENMARK_ROOT", root.file("").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Application->Initialize();
        xb_CloseAll();
        const std::vector<Patient> patients = makePatients();
        const std::vector<std::string> prefixes = makePrefixes(patients);
        const Result ours = runOurs(patients, prefixes);
        const Result peer = runSqlite(patients, prefixes, root.file("peer.db"));
        if (ours.matches != peer.matches)
            fail("match counts differ: ours " + std::to_string(ours.matches) + ", SQLite " +
                 std::to_string(peer.matches));
        PrintRatio("patient_search", ours.seconds, peer.seconds);
        std::printf("patient_search cpu: %f %f %.2f\n", ours.cpuSeconds, peer.cpuSeconds,
                    ours.cpuSeconds > 0 ? peer.cpuSeconds / ours.cpuSeconds : 0.0);
        std::printf("patient_search matches: %ld\n", ours.matches);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "patient_search: %s\n", e.what());
        return 1;
    }
    return 0;
}
