// Incremental search in the patients list beside SQLite, on 100,000 patients:
// 10,000 name prefixes, each typed into the list's search edit (its change
// handler seeks on the name tag), then the 20 records the grid's data link
// buffers read, three columns each, without painting. The peer reads the
// same three columns of the first 20 rows at or after the prefix through an
// index on upper(recname) and a prepared query. Both sides are checked to
// stand on the same patient for every prefix before timing. Prints
//   RATIO list_search <our seconds> <sqlite seconds> <speedup>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/DataModule.h"
#include "app/LookupListMembers.h"
#include "controls/Qmdbgrid.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int patientCount = 100000;
constexpr int prefixCount = 10000;
constexpr int gridRows = 20;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

struct Patient {
    std::string recName;
    std::string balance;
};

// "SURNAME, FIRST" names from syllables, so prefixes of every length match
// groups of different sizes.
std::vector<Patient> makePatients() {
    const char* const syllables[] = {"AN", "BER", "CO", "DA", "EL", "FI", "GRA", "HO", "IS", "JO",
                                     "KE", "LAN", "MO", "NU", "OR", "PE", "QUI", "RO", "SA", "TER",
                                     "UL", "VAN", "WE", "XI", "YO", "ZA"};
    const char* const firsts[] = {"ANN", "BOB", "CARL", "DORA", "ED", "FAY", "GUS", "HAL", "IDA", "JIM"};
    std::mt19937 random(19);
    std::vector<Patient> patients;
    patients.reserve(patientCount);
    for (int i = 0; i < patientCount; ++i) {
        std::string surname;
        const int parts = 2 + int(random() % 3);
        for (int p = 0; p < parts; ++p)
            surname += syllables[random() % std::size(syllables)];
        const int cents = int(random() % 50000);
        patients.push_back({surname + ", " + firsts[random() % std::size(firsts)],
                            std::to_string(cents / 100) + "." + std::to_string(cents % 100 / 10) +
                                std::to_string(cents % 10)});
    }
    return patients;
}

// Prefixes of 1 to 8 characters of random patients' names; one in ten has
// its last letter changed, so some find nothing.
std::vector<std::string> makePrefixes(const std::vector<Patient>& patients) {
    std::mt19937 random(35);
    std::vector<std::string> prefixes;
    for (int i = 0; i < prefixCount; ++i) {
        const std::string& name = patients[random() % patients.size()].recName;
        std::string prefix = name.substr(0, 1 + random() % std::min<size_t>(8, name.size()));
        if (i % 10 == 9)
            prefix.back() = char('A' + random() % 26);
        prefixes.push_back(prefix);
    }
    return prefixes;
}

// ---- Our side ------------------------------------------------------------

struct OurSide {
    std::unique_ptr<TestCompany> company;
    std::unique_ptr<TDataModule1> module;
    TLookupListForm* list = nullptr;
    TQmGridDataLink* link = nullptr;
    TField* fields[3] = {};
};
OurSide* ours = nullptr;

void buildOurs(const std::vector<Patient>& patients) {
    ours = new OurSide;
    ours->company = std::make_unique<TestCompany>();
    std::vector<CompanyFixture::Row> rows;
    rows.reserve(patients.size());
    for (size_t i = 0; i < patients.size(); ++i)
        rows.push_back({{"ID", std::to_string(i + 1)},
                        {"RECNAME", patients[i].recName},
                        {"NAME", patients[i].recName},
                        {"BALANCE", patients[i].balance}});
    CompanyFixture::AppendRows(ours->company->DataDirectory(), "Patient.dbf", rows);

    ours->module = std::make_unique<TDataModule1>(nullptr, nullptr);
    DataModule1 = ours->module.get();
    ours->module->ChangeDataDirectory(ours->company->DataDirectory());
    ours->list = CreateForm<TLookupList>(nullptr);
    // The grid as high as 20 rows; its data link then buffers 20 records.
    TQmDBGrid* grid = ours->list->qmDBGrid1;
    ours->link = grid->DataLink();
    for (int height = 40; height < 2000 && grid->VisibleRowCount() < gridRows; height += 2)
        grid->SetHeight(height);
    // A hidden grid gets no resize event; the next data change sizes the window.
    ours->module->PatientTable->First();
    if (ours->link->BufferCount() != gridRows)
        fail("the grid buffers " + std::to_string(ours->link->BufferCount()) + " records, not 20 (height " +
             std::to_string(grid->Height()) + ", client " + std::to_string(grid->ClientHeight()) + ", rows " +
             std::to_string(grid->VisibleRowCount()) + ")");
    TTable* table = ours->module->PatientTable;
    ours->fields[0] = table->FieldByName("RECNAME");
    ours->fields[1] = table->FieldByName("ID");
    ours->fields[2] = table->FieldByName("BALANCE");
}

// Types the prefix and reads what the grid would show; returns the current
// record's name.
std::string searchOurs(const std::string& prefix, size_t& bytesRead) {
    ours->list->Edit1->SetText(prefix);
    TQmGridDataLink* link = ours->link;
    const int active = link->ActiveRecord();
    for (int record = 0; record < link->RecordCount(); ++record) {
        link->SetActiveRecord(record);
        for (TField* field : ours->fields)
            bytesRead += field->AsString().size();
    }
    link->SetActiveRecord(active);
    return ours->fields[0]->AsString();
}

void tearDownOurs() {
    delete ours->list;
    ours->module.reset();
    DataModule1 = nullptr;
    Application->ProcessMessages();
    Session()->Close();
    xb_CloseAll();
    delete ours;
    ours = nullptr;
}

// ---- SQLite --------------------------------------------------------------

sqlite3* db = nullptr;
sqlite3_stmt* search = nullptr;

void exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "sqlite error";
        sqlite3_free(message);
        fail(text);
    }
}

void buildSqlite(const ScratchFolder& folder, const std::vector<Patient>& patients) {
    if (sqlite3_open(folder.file("patients.db").c_str(), &db) != SQLITE_OK)
        fail("cannot open sqlite");
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    exec("CREATE TABLE Patient(ID INTEGER, RECNAME TEXT, NAME TEXT, BALANCE NUMERIC)");
    exec("CREATE INDEX Patient_RecName ON Patient(upper(RECNAME))");
    exec("BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Patient(ID, RECNAME, NAME, BALANCE) VALUES(?,?,?,?)", -1, &insert, nullptr);
    for (size_t i = 0; i < patients.size(); ++i) {
        sqlite3_bind_int64(insert, 1, long(i + 1));
        sqlite3_bind_text(insert, 2, patients[i].recName.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, patients[i].recName.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, patients[i].balance.c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            fail("sqlite insert failed");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec("COMMIT");
    exec("ANALYZE");
    if (sqlite3_prepare_v2(db,
                           "SELECT RECNAME, ID, BALANCE FROM Patient WHERE upper(RECNAME) >= ? "
                           "ORDER BY upper(RECNAME) LIMIT 20",
                           -1, &search, nullptr) != SQLITE_OK)
        fail(sqlite3_errmsg(db));
}

// The first row's name, or "" when nothing is at or after the prefix.
std::string searchSqlite(const std::string& prefix, size_t& bytesRead) {
    sqlite3_reset(search);
    sqlite3_bind_text(search, 1, prefix.c_str(), -1, SQLITE_STATIC);
    std::string first;
    bool firstRow = true;
    while (sqlite3_step(search) == SQLITE_ROW) {
        for (int column = 0; column < 3; ++column) {
            const unsigned char* text = sqlite3_column_text(search, column);
            bytesRead += text ? std::strlen(reinterpret_cast<const char*>(text)) : 0;
        }
        if (firstRow)
            first = reinterpret_cast<const char*>(sqlite3_column_text(search, 0));
        firstRow = false;
    }
    return first;
}

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Where a prefix matches, both sides stand on the same patient.
void compareSides(const std::vector<std::string>& prefixes) {
    size_t bytes = 0;
    for (const std::string& prefix : prefixes) {
        const std::string peer = searchSqlite(prefix, bytes);
        if (peer.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string mine = trimRight(searchOurs(prefix, bytes));
        if (mine != peer)
            fail("\"" + prefix + "\": ours stands on " + mine + ", sqlite on " + peer);
    }
}

const std::vector<std::string>* prefixes = nullptr;

void OurSearch(benchmark::State& state) {
    for (auto _ : state) {
        size_t bytes = 0;
        for (const std::string& prefix : *prefixes)
            searchOurs(prefix, bytes);
        benchmark::DoNotOptimize(bytes);
    }
}

void SqliteSearch(benchmark::State& state) {
    for (auto _ : state) {
        size_t bytes = 0;
        for (const std::string& prefix : *prefixes)
            searchSqlite(prefix, bytes);
        benchmark::DoNotOptimize(bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        ScratchFolder root;
        setenv("QUENMARK_ROOT", root.file("").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Application->Initialize();
        xb_CloseAll();

        const std::vector<Patient> patients = makePatients();
        const std::vector<std::string> typed = makePrefixes(patients);
        prefixes = &typed;
        ScratchFolder peerFolder;
        buildOurs(patients);
        buildSqlite(peerFolder, patients);
        compareSides(typed);

        benchmark::RegisterBenchmark("list_search/ours", OurSearch)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("list_search/sqlite", SqliteSearch)->Unit(benchmark::kMillisecond);
        benchmark::Initialize(&argc, argv);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        reporter.PrintRatio("list_search");

        sqlite3_finalize(search);
        sqlite3_close(db);
        tearDownOurs();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "list_search: %s\n", e.what());
        return 1;
    }
    return 0;
}
