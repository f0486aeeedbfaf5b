#pragma once
// The named numbers of the engine's call set: open modes, drivers, system
// property codes, value types, switches, and the codes the calls answer
// with. The calls keep taking and returning plain ints; these names are the
// numbers they have always used, so a caller writes the name instead of the
// number and nothing else changes. This header holds no engine internals.

// Open modes of xb_Use.
constexpr int XB_SHARED = 0;
constexpr int XB_READONLY = 1;
constexpr int XB_EXCLUSIVE = 2;

// Drivers (table families) of xb_Use, xb_CreateNew and xb_AppendFrom, and
// the answer of XB_SP_INDEX_KIND.
constexpr int XB_DRIVER_NTX = 1;  // .DBT memos, single-tag .NTX index files
constexpr int XB_DRIVER_FOX = 2;  // .FPT memos, structural .CDX index
constexpr int XB_DRIVER_NSX = 3;  // .SMT memos, structural .NSX index

// Switches of xb_SetExact, xb_SetSoftSeek, xb_SetDeleted (on: deleted
// records are hidden), xb_SetCentury and xb_SetTurboRead, and of the set
// codes of xb_SysProp; also the previous values those calls return.
constexpr int XB_OFF = 0;
constexpr int XB_ON = 1;

// Codes of xb_SysProp (code, value).
constexpr int XB_SP_RECORD_BUFFER = 65000;   // the selected area's record buffer address
constexpr int XB_SP_AREA_IN_USE = 65002;     // value: an area; non-zero when a table is open there
constexpr int XB_SP_AT_EXIT = 65005;         // the program is ending
constexpr int XB_SP_INDEX_KIND = 65006;      // the selected area's driver
constexpr int XB_SP_VARIABLE_FIELD = 65012;  // value: a field number; non-zero for variable-length text
constexpr int XB_SP_SOFTSEEK = 1000;         // soft seek in force
constexpr int XB_SP_SET_SOFTSEEK = 1001;     // value: XB_ON or XB_OFF; the previous setting
constexpr int XB_SP_EXACT = 1002;            // exact compare in force
constexpr int XB_SP_SET_EXACT = 1003;        // value: XB_ON or XB_OFF; the previous setting
constexpr int XB_SP_SCOPE_ACTIVE = 1006;     // the current order has a scope
constexpr int XB_SP_SET_1009 = 1009;         // value: XB_OFF, set by the main window at start; no setting of this engine
constexpr int XB_SP_BLOB_WRITE = 1305;       // value: the blob write flag; the previous flag
constexpr int XB_SP_TAG_COUNT = 3000;        // the selected area's orders
constexpr int XB_SP_DESCENDING = 3002;       // value: an order (0 the current); non-zero when descending

// String type of xb_SetStringType: texts are null-terminated.
constexpr int XB_STRING_ZERO_TERMINATED = 1;

// Value types of xb_Replace.
constexpr int XB_REPLACE_INT = 1;             // const int*
constexpr int XB_REPLACE_DOUBLE = 8;          // const double*
constexpr int XB_REPLACE_LOGICAL = 0x80;      // const int*, non-zero true
constexpr int XB_REPLACE_TEXT = 0x400;        // const char*
constexpr int XB_REPLACE_DATE_TEXT = 0x420;   // const char*, a date in the set date format
constexpr int XB_REPLACE_MEMO = 0xC00;        // const char*, memo text

// Date formats of xb_SetDateFormat.
constexpr int XB_DATE_AMERICAN = 0;
constexpr int XB_DATE_ANSI = 1;
constexpr int XB_DATE_BRITISH = 2;
constexpr int XB_DATE_FRENCH = 3;
constexpr int XB_DATE_GERMAN = 4;
constexpr int XB_DATE_ITALIAN = 5;
constexpr int XB_DATE_SPANISH = 6;
constexpr int XB_DATE_SYSTEM = 99;            // the system's short date format

// Record locks: xb_Unlock of this record number releases every lock of the area.
constexpr int XB_UNLOCK_ALL = 0;

// Refusals of xb_AppendEx; XB_APPEND_DONE when the record was appended.
constexpr int XB_APPEND_DONE = 0;
constexpr int XB_APPEND_LOCK_TIMEOUT = 1;     // another user held the append lock past the lock time-out
constexpr int XB_APPEND_RECORD_LOCK = 2;      // the new record could not be locked
constexpr int XB_APPEND_WRITE_FAILED = 3;     // the table could not be written (disk full, I/O error)
constexpr int XB_APPEND_TABLE_FULL = 4;       // the table holds the largest number of records it can
constexpr int XB_APPEND_READ_ONLY = 5;        // the table is open read-only
constexpr int XB_APPEND_NO_TABLE = 6;         // no table is open in the selected area

// The order of xb_SetOrder and xb_IndexOrd that is no tag: record order.
constexpr int XB_RECORD_ORDER = 0;

// Options of xb_IndexTag and xb_Index.
constexpr int XB_INDEX_PLAIN = 0;
constexpr int XB_INDEX_UNIQUE = 1;            // one record per key shown (no constraint)
constexpr int XB_ASCENDING = 0;
constexpr int XB_DESCENDING = 1;

// Answers of xb_IndexError.
constexpr int XB_INDEX_OK = 0;
constexpr int XB_INDEX_REBUILT = 1;           // a damaged index file was built again from the table
constexpr int XB_INDEX_UNUSABLE = 2;          // an index file could not be read or written
constexpr int XB_INDEX_BAD_EXPRESSION = 3;    // a key expression or condition does not compile
constexpr int XB_INDEX_READ_ONLY = 4;         // the table is read-only

// Answers of xb_IndexType about the current order.
constexpr int XB_ORDER_NONE = 0;              // record order
constexpr int XB_ORDER_PLAIN = 1;
constexpr int XB_ORDER_UNIQUE = 2;
constexpr int XB_ORDER_CONDITIONAL = 3;
constexpr int XB_ORDER_UNIQUE_CONDITIONAL = 4;

// Bounds of xb_GetScope.
constexpr int XB_SCOPE_LOW = 0;
constexpr int XB_SCOPE_HIGH = 1;

// Answers of xb_EvalTest: the type of an expression.
constexpr int XB_EXPR_INVALID = 0;            // does not compile
constexpr int XB_EXPR_CHARACTER = 1;
constexpr int XB_EXPR_NUMERIC = 2;
constexpr int XB_EXPR_LOGICAL = 3;
constexpr int XB_EXPR_DATE = 4;
