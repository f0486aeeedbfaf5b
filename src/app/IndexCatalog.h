#pragma once
// Every index tag of the company tables, as data. Each table has one index
// file named after it with the extension ".nsx", holding the tags listed
// for it here; the tags are never kept by hand but built anew from this
// catalogue whenever the index files are in doubt (see Rebuild.h).
//
// All tags ascend: "DateDue" of Sales.dbf descends by its key expression
// (descend()), not by a flag.
#include <span>
#include <string>

struct TIndexTagDef {
    const char* TagName;
    const char* Expression;
    const char* Condition;  // "" when every record is in the tag
    bool Unique;            // one entry per key value
};

struct TIndexedTable {
    const char* FileName;
    const char* Label;  // shown while the table's tags are built
    std::span<const TIndexTagDef> Tags;
    int Mark;           // overall progress, percent, once the table is done
    int FirstTagMark;   // overall progress after its first tag; 0 when none
};

namespace IndexCatalog {

// The indexed tables in the order the rebuild visits them.
std::span<const TIndexedTable> Tables();
// A table of the catalogue by file name, any case; nullptr when it has no tags.
const TIndexedTable* findTable(const std::string& FileName);
// A tag of a table by name, any case; nullptr when unknown.
const TIndexTagDef* FindTag(const std::string& FileName, const std::string& TagName);

}  // namespace IndexCatalog
