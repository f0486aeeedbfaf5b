#pragma once
// The books checker of the money tests: reads a company folder's real tables
// and returns every broken rule of the books as readable text naming the
// rule, the table, the record and the figures ("I2 Acct.dbf account 4:
// BALANCE 155.01, its ledger rows 155"). An empty list means the books agree.
// A snapshot of every balance and stock figure compares two moments (a save
// then a delete leaves everything as before; an unchanged resave writes nothing).
#include <map>
#include <string>
#include <vector>

#include "base/Currency.h"

namespace BooksChecker {

// Stock of controlled items before any receipt, by item number.
using StockStart = std::map<std::string, Currency>;

// Checks the rules (I1-I10, I14, I15) on the tables of DataDirectory.
std::vector<std::string> Check(const std::string& DataDirectory, const StockStart& Start = {});

struct TSnapshot {
    // "Acct 4", "Patient 7", "Sales 124", "Item LENS1" -> figure.
    std::map<std::string, Currency> Figures;
    int LedgerRows = 0;
};
TSnapshot Snapshot(const std::string& DataDirectory);
// Every figure that differs between the two, as readable text.
std::vector<std::string> Differences(const TSnapshot& Before, const TSnapshot& After);

// The ledger's live rows in record order.
struct TLedgerLine {
    int Account = 0;
    std::string AcctNo, PostRef, Desc;
    Currency Debit, Credit;
};
std::vector<TLedgerLine> Ledger(const std::string& DataDirectory);
// Live records of a table whose field Field has the trimmed text Value.
int CountWhere(const std::string& DataDirectory, const std::string& FileName, const std::string& Field,
               const std::string& Value);
// How many live records of a table hold each trimmed text of field Field,
// read in one pass for callers that look up many values.
std::map<std::string, int> CountsOf(const std::string& DataDirectory, const std::string& FileName,
                                    const std::string& Field);

}  // namespace BooksChecker
