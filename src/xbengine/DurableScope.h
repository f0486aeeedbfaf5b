#pragma once
// The engine's document scope: while one is open, a commit writes its records
// (so other workstations see them at once) but leaves the wait for the disk to
// the end of the scope, where every file the scope touched is flushed once.
// Scopes nest; only the outermost end flushes. Outside a scope every flush
// reaches the disk before it returns, as before. With a journal folder set,
// the scope is also journaled, so it can be undone whole (Journal.h).
#include <cstdint>

namespace xb {

// Flushes fd to disk now, or, inside a scope, notes it for the scope's end.
// False when an immediate flush failed. noted, kept by the caller for its
// file, spares the look at the file when it was noted in this scope already
// (its flush at the end covers every write made until then). The engine's
// files pass noted; inside a scope those of a scratch table (Journal.h) are
// not flushed at all. A plain file (no noted) is flushed wherever it lies.
bool syncOrDefer(int fd, uint64_t* noted = nullptr);

void beginDurableScope();
// Ends one level; the outermost flushes the journal (Journal.h), then starts
// the write-back of every noted file, then flushes each once, side by side
// on threads kept for the purpose, and returns when all are on disk. False
// when a flush failed (the scope is ended all the same).
bool endDurableScope();
// Ends every level and undoes what the scope wrote (see Journal.h); also
// after an end whose flush failed. False when some change could not be
// undone (its journal is kept for recovery).
bool rollbackDurableScope();
// Files flushed by the ends of scopes since the process started.
uint64_t durableScopeFlushes();

}  // namespace xb
