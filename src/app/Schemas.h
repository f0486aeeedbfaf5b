#pragma once
// The record layouts of the 22 company tables and the default chart of
// accounts. Each table is defined through an engine component (CreateNew,
// one CreateField per field, CreateExec) as an NSX table, from the field
// lists held here as data.
//
// The Create functions take the company's data folder; an empty folder
// means the current directory, where the new-company operation works.
#include <span>
#include <string>

class TTable;
class TXbase;

struct TFieldSchema {
    const char* Name;
    const char* FieldType;  // "C", "N", "D", "L" or "M"
    int Width;
    int Decimals;
};

struct TTableSchema {
    const char* FileName;
    std::span<const TFieldSchema> Fields;
};

struct TDefaultAccount {
    int ID;
    const char* Type;
    const char* Name;
    const char* DC;  // "D" debit or "C" credit: the account's normal side
};

namespace Schemas {

// The company tables in the order a new company creates them.
std::span<const TTableSchema> CompanyTables();
// A company table by file name, any case; nullptr when it is none.
const TTableSchema* findTable(const std::string& FileName);
// The eight accounts a new company's chart of accounts starts with.
std::span<const TDefaultAccount> defaultAccounts();

// Defines the table through Engine and writes it, empty, as FileName. When
// the engine refuses the definition or the write, "Create Failed" is shown
// and the result is false.
bool CreateTable(TXbase* Engine, const TTableSchema& Schema, const std::string& FileName);
// The path of a company table's file in the data folder.
std::string tableFileName(const std::string& DataDirectory, const std::string& FileName);

// Appends the default accounts to Table (an empty, closed Acct.dbf whose
// database names the data folder), flushing each to disk before the next.
void appendDefaultAccounts(TTable* Table);

}  // namespace Schemas

bool CreatePatient(TXbase* Engine, const std::string& DataDirectory);
bool CreateSales(TXbase* Engine, const std::string& DataDirectory);
bool CreateSalesDtl(TXbase* Engine, const std::string& DataDirectory);
bool CreatePymt(TXbase* Engine, const std::string& DataDirectory);
bool CreatePymtDtl(TXbase* Engine, const std::string& DataDirectory);
bool CreatePersonne(TXbase* Engine, const std::string& DataDirectory);
bool CreateLedger(TXbase* Engine, const std::string& DataDirectory);
bool CreateItem(TXbase* Engine, const std::string& DataDirectory);
bool CreateIns(TXbase* Engine, const std::string& DataDirectory);
bool CreateInsDtl(TXbase* Engine, const std::string& DataDirectory);
bool CreateInsComp(TXbase* Engine, const std::string& DataDirectory);
bool CreateIncident(TXbase* Engine, const std::string& DataDirectory);
bool CreateDeposit(TXbase* Engine, const std::string& DataDirectory);
bool CreateDeposDtl(TXbase* Engine, const std::string& DataDirectory);
bool CreateCptCode(TXbase* Engine, const std::string& DataDirectory);
bool CreateDiagCode(TXbase* Engine, const std::string& DataDirectory);
bool CreateLabRx(TXbase* Engine, const std::string& DataDirectory);
bool CreateRecall(TXbase* Engine, const std::string& DataDirectory);
bool CreateCalendar(TXbase* Engine, const std::string& DataDirectory);
bool CreateSchedule(TXbase* Engine, const std::string& DataDirectory);
bool CreatePattern(TXbase* Engine, const std::string& DataDirectory);
// Creates Acct.dbf and, when it was written, fills it with the default
// accounts through AcctTable (pointed at the data folder as table "Acct").
bool CreateAcct(TXbase* Engine, TTable* AcctTable, const std::string& DataDirectory);
