#pragma once
// The DBI call set: the fixed set of engine calls through which the dataset
// classes reach their data. Every call takes handles and buffers and returns a
// 16-bit status, 0 for success. The dataset classes know only this interface;
// the engine glue implements it over the xBase engine and registers itself
// with SetDbiEngine.
//
// Conventions of the interface:
// - Input strings are null-terminated `const char*`; nullptr ("nil") and ""
//   are different where a call says so (OpenTable's driver type).
// - Output strings are std::string, output lists std::vector, so no call
//   writes past a buffer the caller sized.
// - A record buffer (pRecBuf) has the xBase record layout: the deletion flag
//   byte first, then the fields as text at their xBase offsets. The dataset
//   classes allocate max(CURProps::iRecSize, CURProps::iRecBufSize) bytes.
// - A bookmark is 4 bytes holding the xBase record number.
// - Blob calls name the record buffer the blob belongs to: writes made with
//   PutBlob/TruncateBlob on a buffer that is being edited or inserted belong
//   to that buffer's record and reach the table with ModifyRecord or
//   AppendRecord of that same buffer; FreeBlob on that buffer drops them
//   (the dataset calls it on Cancel and after Post).
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using DBIResult = uint16_t;

using hDBIObj = uint32_t;
using hDBIDb = uint32_t;
using hDBICur = uint32_t;
using hDBISes = uint32_t;
using hDBICfg = uint32_t;
using hDBIStmt = uint32_t;
using hDBILd = uint32_t;
using hDBIFilter = int32_t;  // the filter entry number, 1..100; -1 when none is free
using hDBILdObj = uintptr_t;

// ---- Statuses ----
constexpr DBIResult DBIERR_NONE = 0;
constexpr DBIResult DBIERR_ENGINESTART = 99;       // engine start failed
constexpr DBIResult DBIERR_NOTWORKAREA = 9990;     // a handle that is no engine work area (record-number calls)
constexpr DBIResult DBIERR_BOF = 0x2201;           // beginning of file
constexpr DBIResult DBIERR_EOF = 0x2202;           // end of file
constexpr DBIResult DBIERR_NOCURRREC = 0x2205;     // current record no longer in the active filter or range
constexpr DBIResult DBIERR_RECNOTFOUND = 0x2206;   // key not found
constexpr DBIResult DBIERR_ENDOFBLOB = 0x2207;     // read ran past the end of the blob
constexpr DBIResult DBIERR_OBJNOTFOUND = 0x2208;   // object (alias) not found
constexpr DBIResult DBIERR_RESOURCE = 0x2305;      // append refused by the engine (refusal 4)
constexpr DBIResult DBIERR_FILEIO = 0x2402;        // append refused by the engine (refusal 3)
constexpr DBIResult DBIERR_CANTDELETE = 0x2404;    // a file could not be deleted
constexpr DBIResult DBIERR_INVALIDHNDL = 0x2706;   // no open work area behind the cursor handle
constexpr DBIResult DBIERR_BLOBOFFSET = 0x270E;    // blob offset beyond its end
constexpr DBIResult DBIERR_NA = 0x271D;            // not available
constexpr DBIResult DBIERR_FLDTOOWIDE = 0x2723;    // value too wide for the field
constexpr DBIResult DBIERR_CANTOPENTABLE = 0x2728; // table could not be opened
constexpr DBIResult DBIERR_BLOBSHORTREAD = 0x272E; // blob read short
constexpr DBIResult DBIERR_FILEBUSY = 0x2803;      // append refused by the engine (refusal 2)
constexpr DBIResult DBIERR_LOCKED = 0x2805;        // record lock refused
constexpr DBIResult DBIERR_APPENDFAILED = 0x2A0B;  // append refused by the engine (refusal 5)
constexpr DBIResult DBIERR_NOINDEXORDER = 0x2A0C;  // no index order active
constexpr DBIResult DBIERR_FILEOPEN = 0x2B03;      // "File Open Error"

// ---- Enumerations ----
enum DBIOpenMode : uint16_t { dbiREADWRITE = 0, dbiREADONLY = 1, dbiWRITEONLY = 2 };
enum DBIShareMode : uint16_t { dbiOPENSHARED = 0, dbiOPENEXCL = 1 };
enum XLTMode : uint16_t { xltNONE = 0, xltRECORD = 1, xltFIELD = 2 };
enum DBILockType : uint16_t { dbiNOLOCK = 0, dbiREADLOCK = 1, dbiWRITELOCK = 2 };
enum DBISearchCond : uint16_t { keySEARCHEQ = 0, keySEARCHGT = 1, keySEARCHGEQ = 2 };
enum CMPBkMkRslt : int16_t { CMPLESS = -1, CMPEQL = 0, CMPGTR = 1, CMPKEYEQL = 2 };
enum DBIOBJType : uint16_t { objSYSTEM = 1, objSESSION, objDATABASE, objCURSOR, objSTATEMENT, objCLIENT };

// Logical field types and subtypes (FLDDesc::iFldType / iSubType).
constexpr uint16_t fldUNKNOWN = 0;
constexpr uint16_t fldZSTRING = 1;    // null-terminated text
constexpr uint16_t fldDATE = 2;       // 32-bit day count: the class library's date + 693594
constexpr uint16_t fldBLOB = 3;
constexpr uint16_t fldBOOL = 4;       // 16-bit, 1 true, 0 false
constexpr uint16_t fldINT16 = 5;
constexpr uint16_t fldINT32 = 6;
constexpr uint16_t fldFLOAT = 7;      // 64-bit floating point
constexpr uint16_t fldBCD = 8;
constexpr uint16_t fldBYTES = 9;
constexpr uint16_t fldTIME = 10;
constexpr uint16_t fldTIMESTAMP = 11;
constexpr uint16_t fldINVALID = 255;  // an unknown xBase type letter

constexpr uint16_t fldstMONEY = 21;
constexpr uint16_t fldstMEMO = 22;
constexpr uint16_t fldstBINARY = 23;
constexpr uint16_t fldstFMTMEMO = 24;
constexpr uint16_t fldstOLEOBJ = 25;
constexpr uint16_t fldstGRAPHIC = 26;
constexpr uint16_t fldstDBSOLEOBJ = 27;
constexpr uint16_t fldstTYPEDBINARY = 28;

// Physical dBASE field types (the physical descriptors of OpenFieldList).
constexpr uint16_t fldDBCHAR = 1;
constexpr uint16_t fldDBNUM = 2;
constexpr uint16_t fldDBMEMO = 3;
constexpr uint16_t fldDBBOOL = 4;
constexpr uint16_t fldDBDATE = 5;
constexpr uint16_t fldDBFLOAT = 6;
constexpr uint16_t fldDBLOCK = 7;
constexpr uint16_t fldDBOLEBLOB = 8;
constexpr uint16_t fldDBBINARY = 9;

// The date of a native date value: day count - DateDelta is the TDateTime.
constexpr int32_t DateDelta = 693594;

// Properties of DbiGetProp / SetProp.
constexpr uint32_t curXLTMODE = 0x50005;
constexpr uint32_t dbDATABASETYPE = 0x40002;

// Open modes of OpenBlob.
enum DBIBlobOpenMode : uint16_t { dbiBLOBREADONLY = 0, dbiBLOBREADWRITE = 1 };

// ---- Descriptor records ----
#pragma pack(push, 1)
// One field; 62 bytes, so the field-list cursor can hand one out as a record.
struct FLDDesc {
    uint16_t iFldNum = 0;     // from 1
    char szName[32] = {};     // null-terminated
    uint16_t iFldType = 0;
    uint16_t iSubType = 0;
    int16_t iUnits1 = 0;      // width or precision
    int16_t iUnits2 = 0;      // decimals
    uint16_t iOffset = 0;     // in the record buffer
    uint16_t iLen = 0;        // in the record buffer
    uint16_t iNullOffset = 0;
    uint32_t efldvVchk = 0;
    uint32_t efldrRights = 0;
    uint16_t bCalcField = 0;
    uint16_t iUnUsed[2] = {};
};
#pragma pack(pop)
static_assert(sizeof(FLDDesc) == 62, "a field descriptor is a 62-byte record");

// Cursor properties.
struct CURProps {
    std::string szName;          // table name without extension
    std::string szTableType;     // driver name: "SXNTX", "SXFOX" or "SXNSX"
    uint16_t iFields = 0;
    uint16_t iRecSize = 0;       // the full xBase record, deletion byte included
    uint16_t iRecBufSize = 0;
    uint16_t iKeySize = 0;
    uint16_t iIndexes = 0;       // tag count
    uint16_t iValChecks = 0;
    uint16_t iRefIntChecks = 0;
    uint16_t iBookMarkSize = 4;
    bool bBookMarkStable = true;
    DBIOpenMode eOpenMode = dbiREADWRITE;
    DBIShareMode eShareMode = dbiOPENSHARED;
    bool bIndexed = false;       // an index order is active
    int16_t iSeqNums = 0;
    bool bSoftDeletes = true;
    bool bDeletedOn = false;     // deleted records are shown now; false: the dataset hides a deleted current record
    uint16_t iRefRange = 0;
    XLTMode exltMode = xltFIELD;
    uint16_t iRestrVersion = 0;
    bool bUniDirectional = false;
    uint16_t iTblLevel = 0;
    uint16_t iFilters = 0;       // filter entries with expression text
    std::string szLangDriver;
};

// One index order (tag).
struct IDXDesc {
    std::string szName;                    // index file name
    uint16_t iIndexId = 0;                 // order number
    std::string szTagName;
    std::string szFormat;
    bool bPrimary = false;
    bool bUnique = false;
    bool bDescending = false;
    bool bMaintained = true;
    bool bSubset = false;                  // has a condition
    bool bExpIdx = false;                  // expression index (szKeyExp holds it)
    uint16_t iFldsInKey = 0;
    uint16_t iKeyLen = 0;
    bool bOutofDate = false;
    uint16_t iKeyExpType = 0;
    std::array<uint16_t, 16> aiKeyFld = {};  // field numbers, from 1
    std::string szKeyExp;
    std::string szKeyCond;
    bool bCaseInsensitive = false;
};

// Record properties filled by the record reads.
struct RECProps {
    uint32_t iSeqNum = 0;
    uint32_t iPhyRecNum = 0;   // xBase record number
    uint16_t iRecStatus = 0;
    bool bSeqNumChanged = false;
    bool bDeleteFlag = false;
};

struct DBDesc {
    std::string szName;
    std::string szText;
    std::string szPhyName;
    std::string szDbType;
};

struct SESInfo {
    hDBISes iSession = 0;
    std::string szName;
    uint16_t iDatabases = 0;
    uint16_t iCursors = 0;
    int16_t iLockWait = 0;
    std::string szNetDir;
    std::string szPrivDir;
};

// A record-callback filter: non-zero accepts the record.
using pfGENFilter = int16_t (*)(uintptr_t ulClientData, uint8_t* pRecBuf, uint32_t iPhyRecNum);
using pfDBICallBack = int (*)(int ecbType, uintptr_t iClientData, void* pCbInfo);

// ---- The call set ----
class TDbiEngine {
public:
    virtual ~TDbiEngine() = default;

    // Engine frame, databases, sessions.
    virtual DBIResult EngineInit(const void* pEnv) = 0;
    virtual DBIResult EngineExit() = 0;
    virtual DBIResult DllExit() = 0;
    // pOptParams: the database's directory text, or nullptr.
    virtual DBIResult OpenDatabase(const char* pszDbName, const char* pszDbType, DBIOpenMode eOpenMode,
                                   DBIShareMode eShareMode, const char* pszPassword, uint16_t iOptFlds,
                                   const FLDDesc* pOptFldDesc, const char* pOptParams, hDBIDb& hDb) = 0;
    virtual DBIResult CloseDatabase(hDBIDb& hDb) = 0;
    virtual DBIResult DbiSetDirectory(hDBIDb hDb, const char* pszDir) = 0;
    virtual DBIResult DbiSetPrivateDir(const char* pszDir) = 0;
    virtual DBIResult GetDatabaseDesc(const char* pszName, DBDesc* pDbDesc) = 0;
    virtual DBIResult StartSession(const char* pszName, hDBISes& hSes, const char* pNetDir) = 0;
    virtual DBIResult SetCurrSession(hDBISes hSes) = 0;
    virtual DBIResult CloseSession(hDBISes hSes) = 0;
    virtual DBIResult GetSesInfo(SESInfo* pSesInfo) = 0;
    virtual DBIResult GetCurrSession(hDBISes& hSes) = 0;

    // Configuration. CfgAddRecord reads the field named "PATH" of pRec (at
    // its descriptor's offset) as the default data directory.
    virtual DBIResult OpenCfgInfoList(hDBICfg hCfg, DBIOpenMode eOpenMode, uint16_t eConfigMode,
                                      const char* pszCfgPath, hDBICur& hCur) = 0;
    virtual DBIResult CfgPosition(hDBICur hCur, const char* pszCfgPath) = 0;
    virtual DBIResult CfgDropRecord(hDBICfg hCfg, const char* pszCfgPath) = 0;
    virtual DBIResult CfgAddRecord(hDBICfg hCfg, const char* pszCfgPath, uint16_t iFields,
                                   const FLDDesc* pFldDescs, const uint8_t* pRec) = 0;
    virtual DBIResult GetObjFromName(DBIOBJType eObjType, const char* pszObjName, hDBIObj& hObj) = 0;

    // Errors and callbacks.
    virtual DBIResult GetErrorString(DBIResult rslt, std::string& Text) = 0;
    virtual DBIResult GetErrorEntry(uint16_t uEntry, uint32_t& ulNativeError, std::string& Text) = 0;
    virtual DBIResult RegisterCallBack(hDBICur hCursor, int ecbType, uintptr_t iClientData, uint16_t iCbBufLen,
                                       void* pCbBuf, pfDBICallBack pfCb) = 0;
    virtual DBIResult GetCallBack(hDBICur hCursor, int ecbType, uintptr_t* piClientData, uint16_t* piCbBufLen,
                                  void** ppCbBuf, pfDBICallBack* ppfCb) = 0;

    // Language drivers (no code-page conversion anywhere).
    virtual DBIResult GetLdObj(hDBICur hCursor, hDBILdObj& pLdObj) = 0;
    virtual DBIResult LoadLanguageDriver(const char* pszDrvName, hDBILd& hLd) = 0;
    virtual DBIResult UnloadLanguageDriver(hDBILd& hLd) = 0;
    // Copies iLen characters, or the whole string when iLen is 0 or less.
    virtual DBIResult EngineNativeToAnsi(hDBILdObj LdObj, char* pAnsiStr, const char* pNativeStr, int32_t iLen,
                                         bool& bDataLoss) = 0;
    virtual DBIResult EngineAnsiToNative(hDBILdObj LdObj, char* pNativeStr, const char* pAnsiStr, int32_t iLen,
                                         bool& bDataLoss) = 0;
    virtual DBIResult GetTableLdName(hDBIDb hDb, const char* pszTableName, std::string& LdName) = 0;
    virtual DBIResult GetDbiLdNameFromDb(hDBIDb hDb, const char* pszUserName, std::string& LdName) = 0;

    // Properties.
    virtual DBIResult DbiGetProp(hDBIObj hObj, uint32_t iProp, void* pPropValue, uint16_t iMaxLen,
                                 uint16_t& iLen) = 0;
    virtual DBIResult SetProp(hDBIObj hObj, uint32_t iProp, uint32_t iPropValue) = 0;

    // Tables. pszDriverType nullptr: the driver is probed from the file.
    virtual DBIResult OpenTable(hDBIDb hDb, const char* pszTableName, const char* pszDriverType,
                                const char* pszIndexName, const char* pszIndexTagName, uint16_t iIndexId,
                                DBIOpenMode eOpenMode, DBIShareMode eShareMode, XLTMode exltMode,
                                bool bUniDirectional, const void* pOptParams, hDBICur& hCursor) = 0;
    virtual DBIResult CloseCursor(hDBICur& hCursor) = 0;
    virtual DBIResult GetCursorProps(hDBICur hCursor, CURProps* pCurProps) = 0;
    // One descriptor per field (Descs is resized to the field count).
    virtual DBIResult DbiGetFieldDescs(hDBICur hCursor, std::vector<FLDDesc>& Descs) = 0;
    virtual DBIResult OpenFieldList(hDBIDb hDb, const char* pszTableName, const char* pszDriverType, bool bPhyTypes,
                                    hDBICur& hCursor) = 0;
    virtual DBIResult OpenVchkList(hDBIDb hDb, const char* pszTableName, const char* pszDriverType,
                                   hDBICur& hCursor) = 0;
    virtual DBIResult DbiGetVchkDesc(hDBICur hCursor, uint16_t iValSeqNo, void* pValDesc) = 0;
    virtual DBIResult CloneCursor(hDBICur hSrcCur, bool bReadOnly, bool bUniDirectional, hDBICur& hNewCur) = 0;
    virtual DBIResult DeleteTable(hDBIDb hDb, const char* pszTableName, const char* pszDriverType) = 0;
    virtual DBIResult DbiMakePermanent(hDBICur hCursor, const char* pszName) = 0;

    // Navigation and records.
    virtual DBIResult SetToBegin(hDBICur hCursor) = 0;
    virtual DBIResult SetToEnd(hDBICur hCursor) = 0;
    // pRecBuf and pRecProps may be nullptr.
    virtual DBIResult GetNextRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) = 0;
    virtual DBIResult GetPriorRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) = 0;
    virtual DBIResult GetCurrentRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf,
                                       RECProps* pRecProps) = 0;
    virtual DBIResult InitRecord(hDBICur hCursor, uint8_t* pRecBuf) = 0;
    virtual DBIResult AppendRecord(hDBICur hCursor, uint8_t* pRecBuf, bool bUnlock) = 0;
    virtual DBIResult ModifyRecord(hDBICur hCursor, uint8_t* pRecBuf, bool bFreeLock) = 0;
    virtual DBIResult DeleteRecord(hDBICur hCursor, uint8_t* pRecBuf) = 0;
    virtual DBIResult ReleaseRecordLock(hDBICur hCursor, bool bAll) = 0;

    // Fields. pDest nullptr: only the blank test. pSrc nullptr: a blank value.
    virtual DBIResult GetField(hDBICur hCursor, uint16_t iField, const uint8_t* pRecBuf, void* pDest,
                               bool& bBlank) = 0;
    virtual DBIResult PutField(hDBICur hCursor, uint16_t iField, uint8_t* pRecBuf, const void* pSrc) = 0;
    // Where field iField stands in a record buffer when GetField reads it as
    // the text stored there, up to its last character above a blank (all
    // blanks: a blank value): its offset and width. A caller may then read it
    // without the engine. False for any other field.
    virtual bool StoredTextSpan(hDBICur, uint16_t, uint16_t& iOffset, uint16_t& iWidth) {
        iOffset = iWidth = 0;
        return false;
    }
    // How GetField reads such a field from its Width bytes at Text: true when
    // they are all blanks (a blank value); else the text up to its last
    // character above a blank goes to Dest (when given), ended by a zero byte.
    static bool ReadStoredText(const char* Text, size_t Width, void* Dest) {
        const std::string_view text(Text, Width);
        if (text.find_first_not_of(' ') == std::string_view::npos)
            return true;
        size_t n = text.size();
        while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= ' ')
            --n;
        if (Dest) {
            std::memcpy(Dest, text.data(), n);
            static_cast<char*>(Dest)[n] = '\0';
        }
        return false;
    }

    // Blobs.
    virtual DBIResult OpenBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, DBIBlobOpenMode eOpenMode) = 0;
    virtual DBIResult GetBlobSize(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t& iSize) = 0;
    virtual DBIResult GetBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iOffSet, uint32_t iLen,
                              void* pDest, uint32_t& iRead) = 0;
    virtual DBIResult PutBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iOffSet, uint32_t iLen,
                              const void* pSrc) = 0;
    virtual DBIResult TruncateBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iLen) = 0;
    virtual DBIResult FreeBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField) = 0;

    // Bookmarks and positions.
    virtual DBIResult GetBookMark(hDBICur hCursor, uint8_t* pBookMark) = 0;
    virtual DBIResult SetToBookMark(hDBICur hCursor, const uint8_t* pBookMark) = 0;
    virtual DBIResult CompareBookMarks(hDBICur hCursor, const uint8_t* pBookMark1, const uint8_t* pBookMark2,
                                       CMPBkMkRslt& CmpBkmkResult) = 0;
    virtual DBIResult GetSeqNo(hDBICur hCursor, uint32_t& iSeqNo) = 0;
    virtual DBIResult SetToSeqNo(hDBICur hCursor, uint32_t iSeqNo) = 0;
    virtual DBIResult SetToCursor(hDBICur hDest, hDBICur hSrc) = 0;
    virtual DBIResult GetRecordCount(hDBICur hCursor, uint32_t& iRecCount) = 0;
    virtual DBIResult ForceReread(hDBICur hCursor) = 0;
    virtual DBIResult CommitWorkArea(hDBICur hCursor) = 0;

    // Indexes, keys and ranges. Key texts go out as std::string; pKey/pKey1/
    // pKey2 are a record buffer, or the key text itself when bDirectKey /
    // bKeyItself is set. A nullptr pKey1 or pKey2 of SetRange leaves that
    // end of the range open.
    virtual DBIResult SwitchToIndex(hDBICur& hCursor, const char* pszIndexName, const char* pszTagName,
                                    uint16_t iIndexId, bool bCurrRec) = 0;
    virtual DBIResult GetIndexDesc(hDBICur hCursor, uint16_t iIndexSeqNo, IDXDesc* pIdxDesc) = 0;
    // One descriptor per tag, in tag order (Descs is resized to the tag count).
    virtual DBIResult GetIndexDescs(hDBICur hCursor, std::vector<IDXDesc>& Descs) = 0;
    virtual DBIResult OpenIndex(hDBICur hCursor, const char* pszIndexName, uint16_t iIndexId) = 0;
    virtual DBIResult DbiCloseIndex(hDBICur hCursor, const char* pszIndexName, uint16_t iIndexId) = 0;
    // pRecBuf nullptr: the key of the current record.
    virtual DBIResult ExtractKey(hDBICur hCursor, const uint8_t* pRecBuf, std::string& Key) = 0;
    virtual DBIResult SetToKey(hDBICur hCursor, DBISearchCond eSearchCond, bool bDirectKey, uint16_t iFields,
                               uint16_t iLen, const uint8_t* pKey) = 0;
    virtual DBIResult GetRecordForKey(hDBICur hCursor, bool bDirectKey, uint16_t iFields, uint16_t iLen,
                                      const uint8_t* pKey, uint8_t* pRecBuf) = 0;
    virtual DBIResult SetRange(hDBICur hCursor, bool bKeyItself, uint16_t iFields1, uint16_t iLen1,
                               const uint8_t* pKey1, bool bKey1Incl, uint16_t iFields2, uint16_t iLen2,
                               const uint8_t* pKey2, bool bKey2Incl) = 0;
    virtual DBIResult ResetRange(hDBICur hCursor) = 0;

    // Filters: pExpr is xBase expression text, or nullptr for a record callback.
    // bNoPartialCompare: the expression's texts compare whole (trailing
    // blanks aside), never by the leading part as xBase's "=" does.
    virtual DBIResult AddFilter(hDBICur hCursor, uintptr_t iClientData, uint16_t iPriority, bool bCanAbort,
                                const char* pExpr, pfGENFilter pfFilter, hDBIFilter& hFilter,
                                bool bNoPartialCompare = false) = 0;
    virtual DBIResult ActivateFilter(hDBICur hCursor, hDBIFilter hFilter) = 0;
    virtual DBIResult DeactivateFilter(hDBICur hCursor, hDBIFilter hFilter) = 0;
    virtual DBIResult DropFilter(hDBICur hCursor, hDBIFilter hFilter) = 0;

    // Queries, batch moves, passwords, delayed updates, BCD: not carried by
    // the xBase driver.
    virtual DBIResult DbiQAlloc(hDBIDb hDb, uint16_t eQryLang, hDBIStmt& hStmt) = 0;
    virtual DBIResult DbiQPrepare(hDBIStmt hStmt, const char* pszQuery) = 0;
    virtual DBIResult DbiQExec(hDBIStmt hStmt, hDBICur& hCur) = 0;
    virtual DBIResult DbiQFree(hDBIStmt& hStmt) = 0;
    virtual DBIResult DbiQSetParams(hDBIStmt hStmt, uint16_t uFldDescs, const FLDDesc* paFldDescs,
                                    uint8_t* pRecBuff) = 0;
    virtual DBIResult BatchMove(const void* pSrcDesc, hDBICur hSrcCur, const void* pDstDesc, hDBICur hDstCur,
                                uint16_t ebatMode, uint16_t iFldCount, const uint16_t* pSrcFldMap,
                                const char* pszIndexName, const char* pszIndexTagName, uint16_t iIndexId,
                                const char* pszKeyviolName, const char* pszProblemsName, const char* pszChangedName,
                                uint32_t* plProbRecs, uint32_t* plKeyvRecs, uint32_t* plChangedRecs,
                                bool bAbortOnFirstProb, bool bAbortOnFirstKeyviol, uint32_t* plRecsToMove,
                                bool bTransliterate) = 0;
    virtual DBIResult DbiAddPassword(const char* pszPassword) = 0;
    virtual DBIResult DbiDropPassword(const char* pszPassword) = 0;
    virtual DBIResult DbiBeginDelayedUpdates(hDBICur& hCursor) = 0;
    virtual DBIResult DbiEndDelayedUpdates(hDBICur& hCursor) = 0;
    virtual DBIResult DbiBcdFromFloat(const double* pVal, uint16_t iPrecision, void* pBcd) = 0;
};

// The engine the dataset classes call. The glue registers itself; nullptr
// unregisters. The registry does not own the engine.
void SetDbiEngine(TDbiEngine* Engine);
TDbiEngine* DbiEngine();
