#pragma once
// The full-text index call set ("Patient.ia").
//
// Keys are positional: the n-th key added is position n, for record n of
// the table it indexes. A deleted position keeps its number and matches
// nothing; a replaced key matches by its new words only.
//
// Matching: a key is split into words on blanks and punctuation after
// upper-casing (Windows-1252). A search text matches the positions whose key
// holds, for every word of the text, a word beginning with it: "SMI JO"
// finds "SMITH, JOHN". Words are significant up to 27 characters. Callers
// that need the text literally in the key check each match with FtsVerify
// and their own comparison.
//
// Handles: FtsOpen and FtsCreate return FtsOk (0) and give the new index's
// handle through their last argument, so any number of indexes may be open
// at once, each on its own. A handle is a positive number and is never
// handed out twice in a process; one thread at a time uses a handle.
//
// Sharing: changes made through a handle are written to the file when the
// handle is closed; until then that handle holds the file's writer lock
// (other writers wait up to five seconds, then fail with FtsErrLocked) and
// other handles go on seeing the file as it was. Each search and each count
// looks at the file as last written, so a handle that stays open sees
// changes once their writer has closed. A file replaced by FtsCreate is
// seen by handles opened afterwards.
//
// A missing, damaged or truncated file fails FtsOpen; FtsCreate makes a new
// one in its place.
//
// Numeric arguments of FtsOpen, FtsCreate and FtsVerify that carry settings
// of other full-text libraries are accepted and not used.
#include "fts/Results.h"

// Longest key FtsAdd and FtsReplace take, in bytes.
constexpr int FtsMaxKeyLength = 1024;

// 0 when opened, with the handle in *handle; a negative result otherwise.
int FtsOpen(const char* path, int a, int b, int* handle);
// A new empty index at path replacing any old one; results as FtsOpen.
int FtsCreate(const char* path, int a, int b, int c, int d, int* handle);
// Writes the handle's changes and closes it; the handle is gone whatever
// the result. 0, or negative when the changes could not be written.
int FtsClose(int handle);

// Appends key at the next position and returns that position. A key
// without words (blank) still takes its position. Negative on failure.
int FtsAdd(int handle, const char* key);
// Marks position recNo deleted (again: no change). recNo, or negative.
int FtsDelete(int handle, int recNo);
// Gives position recNo a new key; a deleted position becomes live again.
// recNo, or negative.
int FtsReplace(int handle, const char* key, int recNo);

// Starts a search: FtsSearchReady (1), FtsErrNoKeys (-13) when no key is
// live, another negative value on failure (a text without words among them).
int FtsSet(int handle, const char* text);
// The next matching position, ascending; 0 when there are no more.
int FtsNextRec(int handle);
// The number of live (not deleted) keys, or negative.
int FtsNumRecs(int handle);
// 1 when key satisfies text by the matching rule above, 0 when not,
// negative for a bad handle or a text without words.
int FtsVerify(int handle, const char* key, const char* text, int mode);
