#pragma once
// The engine's call set. Every call acts on the selected work area; strings
// are null-terminated. Returned texts stay valid until a few more calls have
// returned texts, so copy them when they are kept.
//
// Fields are named by their field name (any case). Table file names may be
// Windows paths; a name without extension gets ".DBF".
#include <cstdint>

// Areas.
const char* xb_Version();
void xb_SetStringType(int type);
int xb_Select(int area);                    // previous area
int xb_WorkArea(const char* alias);         // area of the alias (0 none); null: the selected area
const char* xb_Alias(int area);             // "" when the area is empty; 0: the selected area
const char* xb_BaseName();                  // file name of the selected table, without folder
void xb_Close();
void xb_CloseAll();
int xb_ErrorLevel(int level);               // previous level
// 65000 record buffer address, 65002 area in use (value: the area), 65005 at
// exit, 65006 index kind, 65012 variable-length field, 3000 tag count, 3002
// descending, 1000/1001 soft seek get/set, 1002/1003 exact get/set, 1006 scope
// active, 1305 blob write flag. Unknown codes answer 0.
intptr_t xb_SysProp(int code, intptr_t value);

// Tables. mode: 0 shared, 1 read-only, 2 exclusive; driver: 1 NTX, 2 FOX, 3 NSX.
int xb_Use(const char* file, const char* alias, int mode, int driver);  // area or 0
int xb_CreateNew(const char* file, const char* alias, int driver, int fieldCount);  // area or 0
int xb_CreateField(const char* name, const char* type, int width, int decimals);  // non-zero when taken
int xb_CreateExec();                        // non-zero when the table was written and opened
int xb_AppendFrom(const char* file, int driver, const char* condition);  // non-zero when done
int xb_Zap();                               // exclusive use only
int xb_Commit();

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
void xb_Skip(int count);
int xb_Bof();
int xb_Eof();
int xb_RecNo();
int xb_RecCount();
int xb_OrderRecNo();
int xb_Count();
int xb_Deleted();

// Records. xb_AppendEx returns 0, or why the append was refused:
//   1 another user held the append lock past the lock time-out
//   2 the new record could not be locked
//   3 the table could not be written (disk full, I/O error)
//   4 the table holds the largest number of records it can
//   5 the table is open read-only
//   6 no table is open in the selected area
int xb_GetRecord(char* buffer);             // copies record-size bytes
int xb_PutRecord(const char* buffer);       // non-zero when written
int xb_AppendEx();
int xb_Delete();
int xb_Rlock(int recNo);                    // non-zero when locked (waits up to the lock time-out)
int xb_Locked(int recNo);                   // non-zero when another holder has the record
int xb_Unlock(int recNo);                   // 0 releases every lock of the area

// Values of the current record.
const char* xb_GetString(const char* field);       // the stored text
const char* xb_GetTrimString(const char* field);   // without trailing blanks
const char* xb_GetDateString(const char* field);   // in the set date format
int xb_GetLogical(const char* field);
int xb_Empty(const char* field);
// type: 0x400 text, 0x420 date text in the set format, 0x80 logical (int*),
// 8 double*, 1 int*, 0xC00 memo text. Non-zero when written.
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

// Settings; each returns the previous value.
int xb_SetExact(int on);
int xb_SetSoftSeek(int on);
int xb_SetDeleted(int on);
int xb_SetCentury(int on);
int xb_SetEpoch(int year);
int xb_SetDateFormat(int format);           // 0..6, 99 the system's
int xb_SetLockTimeout(int milliseconds);
int xb_SetMemoBlockSize(int bytes);
int xb_SetTurboRead(int on);
