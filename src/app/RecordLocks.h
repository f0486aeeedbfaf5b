#pragma once
// The stored records a money document depends on, held from before its
// first write to its end: each is locked, then read again from the disk, so
// the document decides on what is stored now (another workstation may just
// have changed it), never on the copy it showed. The locks are taken in one
// order, table file name then record number, so two documents wanting the
// same records queue instead of each holding what the other waits for; a
// lock not had within the lock time-out refuses the document before it
// writes anything. Every lock goes when the holder ends.
#include <functional>
#include <string>
#include <vector>

#include "base/Currency.h"

class TTable;
class TXbase;

class TRecordLocks {
public:
    TRecordLocks() = default;
    ~TRecordLocks();
    TRecordLocks(const TRecordLocks&) = delete;
    TRecordLocks& operator=(const TRecordLocks&) = delete;

    // Adds record RecNo of Table (reached through Engine) to the records to lock.
    void want(TTable* Table, TXbase* Engine, int RecNo);
    // Locks every record wanted, in order. False, with the message shown
    // ("Record locked by another user.") and none held, when one was not had.
    bool lockAll();

    // Stands the engine's table on record RecNo read again from the disk;
    // false when the record is deleted.
    static bool reread(TXbase* Engine, int RecNo);

    // A stored record a document was shown: its number, the amount the
    // document counted on, and where it lies.
    struct TShown {
        std::string number;
        Currency amount;
        int recNo;
    };
    // What became of a shown record, asked with its table on the record read
    // again: "changed", "deposited", or nullptr while it stands as shown.
    using TChangedCheck = std::function<const char*(const TShown&)>;
    // Locks the Shown records of Table (reached through Engine) with lockAll
    // and, where Changed is given, reads each again. False, with the message
    // shown, when Gone names a record already found deleted, when a lock is
    // not had, or when a record was deleted (its NumberField no longer the
    // number shown) or Changed names what became of it; the messages name
    // the record as What ("Payment 14 has been deposited ...").
    bool lockShown(TTable* Table, TXbase* Engine, const char* NumberField, const std::string& What,
                   const std::vector<TShown>& Shown, const std::string& Gone, const TChangedCheck& Changed);

    static const char* const LockedMessage;

private:
    struct TRecord {
        TXbase* engine;
        std::string file;
        int recNo;
    };
    void releaseAll();

    std::vector<TRecord> wanted_;
    std::vector<TRecord> held_;
};
