#pragma once
// What the money documents share for reading their tables: a field's text
// without its blank padding, a stored whole number as its plain digits, a
// money field in cents, the check that a document is dated, and guards that
// put a table's index order or its controls back as they were on every way out.
#include <string>

#include "base/Currency.h"
#include "data/DbTables.h"

namespace DocumentFields {

std::string trimmed(const std::string& s);
std::string text(TTable* Table, const char* Field);
// "12" whatever width or padding the numeric field stores it with.
std::string numberText(TTable* Table, const char* Field);
Currency money(TTable* Table, const char* Field);

// True when the header's date field holds a date; otherwise false after
// "Enter a date in the Date box. Nothing was saved.": an undated document
// would stand outside every date range the reports ask for.
bool dated(TTable* Header, const char* Field);
// What refuses a document that depends on a record another workstation
// changed since it was shown: "Payment 14 has been deposited at another
// workstation. Nothing was saved." (What "Payment", Done "deposited").
std::string changedMeanwhile(const std::string& What, const std::string& Number, const char* Done);

}  // namespace DocumentFields

// Sets an index for its lifetime and puts the previous one back.
class TIndexOrder {
public:
    TIndexOrder(TTable* Table, const std::string& Tag) : table_(Table), previous_(Table->IndexName()) {
        table_->SetIndexName(Tag);
    }
    ~TIndexOrder() { table_->SetIndexName(previous_); }
    TIndexOrder(const TIndexOrder&) = delete;
    TIndexOrder& operator=(const TIndexOrder&) = delete;

private:
    TTable* table_;
    std::string previous_;
};

// A grid over the table sees it once, whole, after a pass over its rows:
// its controls are told nothing in between.
class TControlsQuiet {
public:
    explicit TControlsQuiet(TTable* Table) : table_(Table) { table_->DisableControls(); }
    ~TControlsQuiet() { table_->EnableControls(); }
    TControlsQuiet(const TControlsQuiet&) = delete;
    TControlsQuiet& operator=(const TControlsQuiet&) = delete;

private:
    TTable* table_;
};
