#pragma once
// The layouts of the six scratch tables in "C:\TEMP" that the receipt,
// payment and deposit forms edit before anything reaches the company tables,
// and the one way to make such a table: delete its old files and create it
// anew, empty. The forms recreate them every time they start a document.
#include <span>
#include <string>

#include "app/Schemas.h"

class TTable;
class TXbase;

namespace ScratchTables {

// The folder of the scratch tables, as the program names it.
inline constexpr const char* Folder = "C:\\TEMP";

// temp1 and temp2: the receipt header and its lines (temp2 has a memo).
const TTableSchema& Temp1();
const TTableSchema& Temp2();
// temp3 and temp4: the payment header and its distribution over receipts.
const TTableSchema& Temp3();
const TTableSchema& Temp4();
// temp5 and temp6: the deposit header and the payments it may take.
const TTableSchema& Temp5();
const TTableSchema& Temp6();
std::span<const TTableSchema> Tables();

// The table's file in the scratch folder ("C:\TEMP\TEMP1.DBF").
std::string FileName(const TTableSchema& Layout);
// Deletes the table's .dbf, .nsx and .smt and creates it empty through
// Engine, making the scratch folder when missing. False, after the message
// "Create Failed", when the engine refuses the table.
// REQUIRES: no dataset has the table open.
bool Recreate(TXbase* Engine, const TTableSchema& Layout);
// Closes Table, recreates its files through Engine and opens it again,
// empty and in record order. False, leaving it closed, when the engine
// refuses the table.
bool Reopen(TTable* Table, TXbase* Engine, const TTableSchema& Layout);

}  // namespace ScratchTables
