#pragma once
// The engine's call set. Every call acts on the selected work area; strings
// are null-terminated. Returned texts stay valid until a few more calls have
// returned texts, so copy them when they are kept.
//
// Fields are named by their field name (any case). Table file names may be
// Windows paths; a name without extension gets ".DBF".
#include <cstdint>
#include <functional>

#include "xbengine/XbCodes.h"

// Areas.
const char* xb_Version();
void xb_SetStringType(int type);             // XB_STRING_ZERO_TERMINATED
int xb_Select(int area);                    // previous area
int xb_WorkArea(const char* alias);         // area of the alias (0 none); null: the selected area
const char* xb_Alias(int area);             // "" when the area is empty; 0: the selected area
const char* xb_BaseName();                  // file name of the selected table, without folder
void xb_Close();
void xb_CloseAll();
int xb_ErrorLevel(int level);               // previous level
// code: one of the XB_SP_ codes (XbCodes.h). Unknown codes answer 0.
intptr_t xb_SysProp(int code, intptr_t value);

// Tables. mode: XB_SHARED, XB_READONLY or XB_EXCLUSIVE; driver: XB_DRIVER_NTX,
// XB_DRIVER_FOX or XB_DRIVER_NSX.
int xb_Use(const char* file, const char* alias, int mode, int driver);  // area or 0
int xb_CreateNew(const char* file, const char* alias, int driver, int fieldCount);  // area or 0
int xb_CreateField(const char* name, const char* type, int width, int decimals);  // non-zero when taken
int xb_CreateExec();                        // non-zero when the table was written and opened
int xb_AppendFrom(const char* file, int driver, const char* condition);  // non-zero when done
int xb_Zap();                               // exclusive use only
int xb_Commit();
// A document scope: inside it commits write at once but wait for the disk only
// at the outermost xb_EndScope, which flushes every touched file once
// (non-zero when all flushes succeeded). Scopes nest.
void xb_BeginScope();
int xb_EndScope();
// Locks a record of the selected area for the rest of the outermost scope
// (waits up to the lock time-out); non-zero when held.
int xb_ScopeLock(int recNo);

// Fields (numbered from 1).
int xb_FieldCount();
const char* xb_FieldName(int field);
const char* xb_FieldType(int field);        // the type letter
int xb_FieldWidth(int field);
int xb_FieldDecimals(int field);
int xb_FieldOffset(int field);              // 1 is the deletion byte
int xb_FieldNum(const char* name);          // 0 when unknown
int xb_RecSize();

// Movement.
void xb_GoTop();
void xb_GoBottom();
void xb_Go(int recNo);
// A hint that record recNo of the selected table is read soon; moves nothing.
void xb_Prefetch(int recNo);
void xb_Skip(int count);
int xb_Bof();
int xb_Eof();
int xb_RecNo();
int xb_RecCount();
int xb_OrderRecNo();
int xb_Count();
int xb_Deleted();

// Records. xb_AppendEx returns XB_APPEND_DONE, or why the append was
// refused (the other XB_APPEND_ codes).
int xb_GetRecord(char* buffer);             // copies record-size bytes
// As xb_GetRecord, without reading the record again: for a caller that has
// just moved onto it (which read it) or written it.
int xb_GetHeldRecord(char* buffer);
int xb_PutRecord(const char* buffer);       // non-zero when written
int xb_AppendEx();
// Appends a record holding buffer's field values in one write and stands on
// it (codes as xb_AppendEx): its keys reach the tags once.
int xb_AppendRecord(const char* buffer);
int xb_Delete();
int xb_Rlock(int recNo);                    // non-zero when locked (waits up to the lock time-out)
int xb_Locked(int recNo);                   // non-zero when another holder has the record
int xb_Unlock(int recNo);                   // XB_UNLOCK_ALL releases every lock of the area
// A record lock held across writes: the writes of the record do not let it
// go, only xb_ReleaseRecord, xb_Unlock(XB_UNLOCK_ALL) or the table's close.
// xb_HoldRecord waits up to the lock time-out; non-zero when held.
int xb_HoldRecord(int recNo);
int xb_ReleaseRecord(int recNo);
// The table's append lock, held across several calls (to read the last
// number of a table and append the next, say). While this area holds it, its
// own appends go ahead and every other area's appends wait up to the lock
// time-out. xb_AppendLock waits up to the lock time-out and is non-zero when
// held; xb_AppendUnlock is non-zero when the area held it. Closing the table
// lets it go, as does the end of its process.
int xb_AppendLock();
int xb_AppendUnlock();

// Values of the current record.
const char* xb_GetString(const char* field);       // the stored text
const char* xb_GetTrimString(const char* field);   // without trailing blanks
const char* xb_GetDateString(const char* field);   // in the set date format
int xb_GetLogical(const char* field);
int xb_Empty(const char* field);
// type: one of the XB_REPLACE_ value types. Non-zero when written.
int xb_Replace(const char* field, int type, const void* value);

// Memos.
char* xb_GetMemo(const char* field, int lineWidth);  // free with xb_MemDealloc
void xb_MemDealloc(void* memo);
int xb_GetBlobLength(const char* field);
int xb_GetBlob(const char* field, void* dest);      // copies the whole blob; its length
// Stages a blob to be written with the next xb_PutRecord (or xb_AppendEx and
// xb_PutRecord) of this area.
int xb_PutBlob(const char* field, const void* data, int length);
int xb_IsEncrypted(int which);

// Indexes. The orders of an area are the tags of its index files, numbered
// from 1: first the table's structural index (.NSX, or .CDX for FOX), which
// opens with the table, then other index files in the order they were
// opened. Order 0 is record order. Tag names are up to 10 characters (longer
// ones are cut) and compare without regard to case.
//
// xb_IndexTag builds a tag (replacing one of that name) in an index file:
// an empty file name is the table's own; a name without folder lies beside
// the table; option XB_INDEX_UNIQUE makes it unique (one record per key
// shown, no constraint), descending XB_DESCENDING reverses it. xb_Index
// makes an index file anew holding one tag named after the file. Both make
// the new tag the current order, on its first record, and return its order;
// 0 when refused (see xb_IndexError).
int xb_IndexTag(const char* file, const char* tagName, const char* expression, int option, int descending,
                const char* condition);
int xb_Index(const char* file, const char* expression, int option, int descending, const char* condition);
// Opens another index file (NTX files, say) and makes its first tag the
// current order; that order, or 0 when the file is missing or unreadable.
int xb_IndexOpen(const char* file);
// Why the last index call of the selected area failed, or what its opening
// repaired: one of the XB_INDEX_ answers (XB_INDEX_OK: nothing).
int xb_IndexError();
// Hears the progress (0..100) of tags being built; an empty hook stops it.
void xb_SetGaugeHook(std::function<void(int percent)> hook);
int xb_SetOrder(int order);                 // keeps the current record; the previous order
int xb_IndexOrd();                          // the current order, 0 record order
int xb_TagArea(const char* tagName);        // the tag's order, 0 when unknown
// About an order (0: the current one).
const char* xb_TagName(int order);
const char* xb_IndexName(int order);        // the index file's name, without folder
// About the current order; "" in record order.
const char* xb_IndexKey();
const char* xb_IndexKeyField();             // the fields the key reads, joined with "+"
const char* xb_IndexCondition();
int xb_IndexType();                         // one of the XB_ORDER_ answers
const char* xb_KeyData();                   // the current record's key text
// Searches the current order's visible records (scope, filter, tag
// condition, hidden deleted records) for a key text. Exact off: a shorter
// text matches as a prefix; exact on: the text padded with blanks must equal
// the key. Numeric keys read the text as a number, date keys are "yyyymmdd".
// Non-zero when found; a miss stands on the next greater key with soft seek
// on, else at end of file.
int xb_Seek(const char* key);
int xb_Found();                             // the result of the area's last seek
// Holds the current order to the keys from low to high, both inclusive and
// compared over each bound's own length. A low bound alone means the keys
// that begin with it; both empty clears the scope. Each order keeps its own
// scope. Non-zero when set (0 in record order). The record does not move.
int xb_SetScope(const char* low, const char* high);
const char* xb_GetScope(int which);         // XB_SCOPE_LOW or XB_SCOPE_HIGH; "" when none

// Settings (on: XB_ON or XB_OFF); each returns the previous value.
int xb_SetExact(int on);
int xb_SetSoftSeek(int on);
int xb_SetDeleted(int on);
int xb_SetCentury(int on);
int xb_SetEpoch(int year);
int xb_SetDateFormat(int format);           // one of the XB_DATE_ formats
int xb_SetLockTimeout(int milliseconds);
int xb_SetMemoBlockSize(int bytes);
int xb_SetTurboRead(int on);
