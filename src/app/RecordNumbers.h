#pragma once
// Numbering the new records of the company tables. A new record takes the
// number of the last record in its table's number tag plus one. The number is
// read, and the new record written, while this workstation holds the table's
// append lock, so two workstations never hand out the same number. The last
// record is read with deleted records shown, so the number of a deleted last
// record is never handed out again.
#include <cstdint>
#include <string>

#include "xbase/Xbase.h"

class TTable;

namespace RecordNumbers {

// Takes the table's append lock for a new record. Raises EDBEngineError
// "Record locked by another user." when another user kept it past the lock
// time-out; nothing is written then.
void lockForInsert(TXbase* Engine);

// The number field of the last record in NumberTag, deleted records
// included; 0 for an empty table. The table is back on its own index
// afterwards, on the last visible record of the number tag.
// REQUIRES: the table is open and in browse state.
int64_t lastNumber(TTable* Table, TXbase* Engine, const std::string& NumberTag, const std::string& NumberField);

// Shows deleted records for its lifetime, then puts the engine's setting
// back as it found it.
class TDeletedShown {
public:
    explicit TDeletedShown(TXbase* Engine);
    ~TDeletedShown();
    TDeletedShown(const TDeletedShown&) = delete;
    TDeletedShown& operator=(const TDeletedShown&) = delete;

private:
    TXbase* engine_;
    bool hidden_;
};

// Runs Step; when it raises, the append lock is let go before the exception
// goes on, so a failed insert never keeps other users waiting.
template <class Step>
void releasingOnFailure(TXbase* Engine, Step step) {
    try {
        step();
    } catch (...) {
        Engine->unlockAppend();
        throw;
    }
}

}  // namespace RecordNumbers
