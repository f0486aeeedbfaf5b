#pragma once
// The stored records a money document depends on, held from before its
// first write to its end: each is locked, then read again from the disk, so
// the document decides on what is stored now (another workstation may just
// have changed it), never on the copy it showed. The locks are taken in one
// order, table file name then record number, so two documents wanting the
// same records queue instead of each holding what the other waits for; a
// lock not had within the lock time-out refuses the document before it
// writes anything. Every lock goes when the holder ends.
#include <string>
#include <vector>

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
