#pragma once
// The check a money document makes before its first write: every table it
// writes or finds its records by is open, with the tags of the catalogue in
// use. A document that would stop half-way on a table that is not there,
// or write rows its tags do not follow, is refused whole instead.
#include <string>
#include <vector>

class TTable;

namespace DocumentTables {

// True when every table is ready. Otherwise false after one message naming
// the first table that is not and ending with Outcome ("The payment was not
// saved."); the caller then writes nothing.
bool Ready(const std::vector<TTable*>& Tables, const std::string& Outcome);

}  // namespace DocumentTables
