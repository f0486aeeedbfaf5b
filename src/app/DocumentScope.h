#pragma once
// One money document (a receipt, payment or deposit save or delete, a stock
// adjustment, the balance rebuild's rewrite, an e-bill capture) is written
// inside one engine scope, which lands whole or not at all: its records are
// written and visible at once, every file it touched is flushed to disk once
// when it ends, and a scope left without end() (an error, a refusal) is
// undone before the caller shows its message. Hot journals that a stopped
// workstation left in the company folder are taken back first (see
// xbengine/Journal.h), and what was taken back is said once.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

class TDBDataSet;
class TTable;

class TDocumentScope {
public:
    // Kind names the document in messages, in lower case ("receipt").
    explicit TDocumentScope(std::string Kind);
    // Undoes the scope unless end() committed it.
    ~TDocumentScope();
    TDocumentScope(const TDocumentScope&) = delete;
    TDocumentScope& operator=(const TDocumentScope&) = delete;

    // What the next workstation says should this one stop before the end:
    // Saving("Receipt 53") gives "Receipt 53 was not saved completely when
    // the program stopped; it has been removed."; Deleting says the document
    // was put back as it was.
    // Changing says the changes were taken back. Until one is called the
    // message names the kind only ("A receipt was not saved...").
    void Saving(const std::string& Document);
    void Changing(const std::string& Document);
    void Deleting(const std::string& Document);
    void SetRecoveryMessage(const std::string& Message);

    // The innermost scope open, or null: for the parts of a document that
    // learn its number.
    static TDocumentScope* Current();
    // Whether the scope is journaled (a company is open), so it can be undone.
    bool Journaled() const { return journaled_; }

    // Records the document knows before it writes (its accounts, patient,
    // receipts), locked first in one order, table file name then record
    // number, and held to the end of the scope. REQUIRES: each table is open.
    struct TRecordLock {
        TTable* Table;
        int RecNo;
    };
    // Raises EDatabaseError with the lock message when a record stays locked
    // by another workstation past the lock time-out; the caller's handler
    // sees the scope undone.
    void LockFirst(std::vector<TRecordLock> Records);

    // Before appending to a plain file (EBill.dat, the label queue) now
    // Length bytes long: the length is journaled, so an undo cuts the file
    // back. Raises EInOutError when the journal cannot be written.
    void BeforeFileAppend(const std::string& Path, uint64_t Length);
    // Keeps the locks of an open file (a copy of fd) until the scope ends,
    // so nobody appends after this document before it is whole.
    void KeepLocked(int Fd);
    // Hands a plain file's writes to the disk at the scope's end.
    void FlushAtEnd(int Fd);

    // Ends the scope: every file flushed, the journal removed. Raises
    // EDatabaseError when a flush failed, after undoing the scope.
    void end();

    // The text for an error that stopped a document: the file failure in
    // words when one occurred, then Outcome ("The receipt was not saved."),
    // the engine's own text following in parentheses; else the error's text
    // and Outcome.
    static std::string Failed(const std::string& Outcome, const std::exception& Error);

    // Takes back what stopped workstations left in folder and shows one
    // message for each document removed.
    static void RecoverCompany(const std::string& Folder);
    // A company opens: its journals are taken back, and from now on scopes
    // journal in its folder. Closing it ends that.
    static void OpenCompany(const std::string& Folder);
    static void CloseCompany();

    // Files flushed by the ends of document scopes since the program started.
    static uint64_t flushes();

private:
    std::string kind_;
    bool open_ = true;
    bool journaled_ = false;
    TDocumentScope* outer_ = nullptr;
    std::vector<int> kept_;  // the outermost scope's copies of files kept locked
    // Datasets with a pending edit or insert when the scope began: the
    // others' pending rows belong to the undone document and are cancelled.
    std::vector<TDBDataSet*> editing_;
    static std::vector<TDBDataSet*> editingDataSets();
    void rollBack();
    // Says which documents of stopped workstations were taken back meanwhile.
    static void showRecovered();
    TDocumentScope& outermost();
    void closeKept();
};
