#pragma once
// The document journal: a write-ahead undo log that makes everything a
// document scope writes land whole or not at all.
//
// What is journaled. Before a scope changes a record of a table for the
// first time, the record as it stood (its before-image); before it appends a
// record, the record number and a fingerprint of the bytes appended (enough
// to tell them from another workstation's record in the slot); before it
// empties a table, the whole file; before it appends to a plain file
// (EBill.dat), the file's length. The undo of a scratch table (see
// SetScratchFolder) is kept in memory only. Index files are not journaled: they follow
// the table, and an index a writer left half changed is built again from the
// table by the next open or read of it.
//
// Order of writes and flushes. The journal is a file of the company folder,
// one per workstation process, made at the scope's first change and locked
// by its maker while the scope lasts. Each undo entry is written to it
// before the change it undoes, so a process stopped at any instruction
// leaves every entry of its changes for recovery to read. The journal is
// flushed to the disk once, before any data file of the scope is: whatever
// part of the data a power cut lets reach the disk, its undo is there. (A
// scope that runs on past a second flushes it as it goes, long before the
// system writes changed pages back on its own, and an emptied table's copy
// is flushed before the table is emptied.) Every record the scope overwrites
// or appends stays locked by the scope until it ends. Commit: the journal is
// flushed, then every data file the scope touched, then the journal is
// removed, then the locks go. Rollback: the entries are undone newest first (before-images
// written back, appended records marked deleted, never cut off, plain files
// cut back, emptied tables written back), each record through its work area
// so its tags follow; the restored files are flushed, then the journal is
// removed.
//
// Recovery. A journal whose lock is free while the file is still there
// belongs to a writer that stopped in the middle (a hot journal). The next
// workstation that opens the company, begins a scope or locks a record takes
// it back first, under the company-wide recovery lock, and says which
// document it removed; a record lock is not had while a hot journal is
// there or another workstation is taking one back, so nobody reads a change
// that is still to be undone (the lock is let go meanwhile: the recovery
// needs it).
// An entry cut short by the stop is ignored: its change was never made.
//
// Why it is safe beside other workstations. The records a rollback writes
// back were held locked by the scope, so no other workstation wrote them in
// between, nor read them before a recovery had written them back; appended records are only marked deleted, so records other
// workstations appended after them stay, and their numbers are never handed
// out again. A new journal is made, and hot journals are looked for, under
// the recovery lock (shared to make, exclusive to recover), so recovery never
// takes a journal that is being made; a journal is removed before its lock
// goes, so a free lock on a journal still present always means its writer
// is gone. An appended record is taken back only when it still holds the
// bytes the scope appended (by their fingerprint) and nobody holds its lock:
// a slot the writer reserved but never filled may since hold another
// workstation's record.
#include <cstdint>
#include <string>
#include <vector>

namespace xb {

class DbfFile;

// The folder journals are kept in (the open company's); empty: scopes are
// not journaled.
void SetJournalFolder(const std::string& folder);
std::string JournalFolder();

// The workstation's scratch folder ("C:\TEMP"; empty: none). The tables
// there are this workstation's own, and every document that uses one makes
// it anew, empty, before it reads it: a copy left by a stopped program is
// never read, and another workstation has no business with it. So what a
// scope writes to them is undone in this process only: their undo entries
// stay in memory, never in the journal file, and the scope's end does not
// flush them. A file of the journal folder is never taken for one, nor is
// a plain file there (the label queue outlives documents).
void SetScratchFolder(const std::string& folder);
// Whether the open file fd lies in the scratch folder and not in the
// journal folder (by the name the system gives it). REQUIRES: fd is a
// table's, its memo's or its index's.
bool ScratchFile(int fd);

// What the recovery of this scope's journal should say, should the process
// stop before the scope ends ("Receipt 53 was not saved completely...").
void SetJournalMessage(const std::string& message);

// Hooks of the file layer. Each writes the undo of the change that follows;
// false when it could not be written, and then the change must not be made.
bool JournalBeforeOverwrite(DbfFile& file, uint32_t recNo);
bool JournalBeforeAppend(DbfFile& file, uint32_t recNo, const char* image);
bool JournalBeforeZap(DbfFile& file);
// The record of the append before is in the file.
void JournalAfterAppend(DbfFile& file, uint32_t recNo);
// Before appending to a plain file now length bytes long.
bool JournalBeforePlainAppend(const std::string& path, uint64_t length);
// Keeps a record this open has locked locked until the scope ends.
void JournalHold(DbfFile& file, uint32_t recNo);
// The file is being closed: its held locks go with it.
void JournalForget(DbfFile& file);

// Scope ends, called by the durable scope. REQUIRES: the outermost scope.
void JournalBegin();
// Before the scope's data files are flushed: the undo of every change they
// hold reaches the disk (one flush, none when it is there already).
bool journalToDisk();
// The data files are on disk: the journal goes, then the locks.
bool JournalCommit();
// Undoes the scope's changes; false when some could not be undone (the
// journal then stays, for recovery to try again).
bool JournalRollback();
// Journal bytes written and journal flushes since the process started.
uint64_t JournalBytes();
uint64_t JournalFlushes();

// Takes back every hot journal in folder; the message of each document taken back.
std::vector<std::string> RecoverJournals(const std::string& folder);
// Record recNo of file was just locked, inside a scope or before one. False
// while a writer that stopped in the middle of a document has left changes
// not yet taken back (a journal hot, or one naming the record still held by
// the dying writer or by a recovery at another workstation): the record may
// hold one of them, so it must not be read yet. Costs a look at the folder's
// change notices (elsewhere its time), and a lock test and a read per other
// workstation's journal.
bool JournalSettled(const DbfFile& file, uint32_t recNo);
// Takes back what stopped writers left, once a recovery under way at another
// workstation has ended; false when some of it could not be taken back yet.
// Called holding no lock taken since JournalSettled said false: the
// recovery must be able to lock every record it writes back.
bool JournalTakeBack();
// The messages of documents taken back that way, once.
std::vector<std::string> TakeRecoveryMessages();

}  // namespace xb
