#pragma once
// Whether the index files of the company tables can be trusted, measured
// against the tag catalogue (IndexCatalog.h): at opening, each table's index
// file on disk; before a document writes, the tags of an open table.
//
// An index is unusable when its file is missing, when the engine could not
// read or build it, or when it lacks a tag of the catalogue (a rebuild cut
// short by a full disk leaves a file with fewer tags).
#include <functional>
#include <string>
#include <vector>

class TTable;

namespace IndexCheck {

// How long an open waits for a table that another workstation holds for a
// moment (its exclusive probe at opening) before it counts as held.
constexpr int TableWaitMs = 2000;

// The catalogue's tables in DataDirectory whose index is unusable, as the
// catalogue names them ("Sales.dbf"). A table that is missing or cannot be
// opened is left to the opening of the tables, which reports it.
std::vector<std::string> UnusableIndexes(const std::string& DataDirectory);

// The open table's work area has every tag the catalogue lists for it in use
// (true for a table the catalogue has no tags for).
bool TagsInUse(TTable* Table);

// Runs Open until it returns true or TableWaitMs have passed; its last result.
bool WithinTableWait(const std::function<bool()>& Open);

}  // namespace IndexCheck
