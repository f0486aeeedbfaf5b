#pragma once
// The DBI call set of the dataset classes, carried out on the xBase engine.
// Cursor handles 1..255 are engine work areas; 260 is the field-list cursor
// and 261 an empty cursor. Every call selects its table's work area for the
// time of the call and puts the previous selection back.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Dbi.h"
#include "xbase/DbiWorkArea.h"
#include "xbase/FieldCodec.h"

// Shows "This DBI function not supported in xBase driver: " and the call's
// name in an information box; the call then reports success.
void ReportUnsupported(const std::string& CallName);

class TEngineGlue : public TDbiEngine {
public:
    TEngineGlue();
    ~TEngineGlue() override;

    // The start check on a given engine version text: the number from its
    // seventh character on must be an integer of at least 0 (EngineInit
    // passes the engine's own text). 0, or 99 after the message.
    DBIResult StartWithVersion(const char* Version);
    // The directory a database handle stands for; nothing for a free handle.
    std::optional<std::string> DatabaseDirectory(hDBIDb hDb) const;
    // The glue's record of an open table; null when the handle is none.
    TDbiWorkArea* OpenWorkArea(hDBICur hCursor) const;

    DBIResult EngineInit(const void* pEnv) override;
    DBIResult EngineExit() override;
    DBIResult DllExit() override;
    DBIResult OpenDatabase(const char* pszDbName, const char* pszDbType, DBIOpenMode eOpenMode,
                           DBIShareMode eShareMode, const char* pszPassword, uint16_t iOptFlds,
                           const FLDDesc* pOptFldDesc, const char* pOptParams, hDBIDb& hDb) override;
    DBIResult CloseDatabase(hDBIDb& hDb) override;
    DBIResult DbiSetDirectory(hDBIDb hDb, const char* pszDir) override;
    DBIResult DbiSetPrivateDir(const char* pszDir) override;
    DBIResult GetDatabaseDesc(const char* pszName, DBDesc* pDbDesc) override;
    DBIResult StartSession(const char* pszName, hDBISes& hSes, const char* pNetDir) override;
    DBIResult SetCurrSession(hDBISes hSes) override;
    DBIResult CloseSession(hDBISes hSes) override;
    DBIResult GetSesInfo(SESInfo* pSesInfo) override;
    DBIResult GetCurrSession(hDBISes& hSes) override;

    DBIResult OpenCfgInfoList(hDBICfg hCfg, DBIOpenMode eOpenMode, uint16_t eConfigMode, const char* pszCfgPath,
                              hDBICur& hCur) override;
    DBIResult CfgPosition(hDBICur hCur, const char* pszCfgPath) override;
    DBIResult CfgDropRecord(hDBICfg hCfg, const char* pszCfgPath) override;
    DBIResult CfgAddRecord(hDBICfg hCfg, const char* pszCfgPath, uint16_t iFields, const FLDDesc* pFldDescs,
                           const uint8_t* pRec) override;
    DBIResult GetObjFromName(DBIOBJType eObjType, const char* pszObjName, hDBIObj& hObj) override;

    DBIResult GetErrorString(DBIResult rslt, std::string& Text) override;
    DBIResult GetErrorEntry(uint16_t uEntry, uint32_t& ulNativeError, std::string& Text) override;
    DBIResult RegisterCallBack(hDBICur hCursor, int ecbType, uintptr_t iClientData, uint16_t iCbBufLen,
                               void* pCbBuf, pfDBICallBack pfCb) override;
    DBIResult GetCallBack(hDBICur hCursor, int ecbType, uintptr_t* piClientData, uint16_t* piCbBufLen,
                          void** ppCbBuf, pfDBICallBack* ppfCb) override;

    DBIResult GetLdObj(hDBICur hCursor, hDBILdObj& pLdObj) override;
    DBIResult LoadLanguageDriver(const char* pszDrvName, hDBILd& hLd) override;
    DBIResult UnloadLanguageDriver(hDBILd& hLd) override;
    DBIResult EngineNativeToAnsi(hDBILdObj LdObj, char* pAnsiStr, const char* pNativeStr, int32_t iLen,
                                 bool& bDataLoss) override;
    DBIResult EngineAnsiToNative(hDBILdObj LdObj, char* pNativeStr, const char* pAnsiStr, int32_t iLen,
                                 bool& bDataLoss) override;
    DBIResult GetTableLdName(hDBIDb hDb, const char* pszTableName, std::string& LdName) override;
    DBIResult GetDbiLdNameFromDb(hDBIDb hDb, const char* pszUserName, std::string& LdName) override;

    DBIResult DbiGetProp(hDBIObj hObj, uint32_t iProp, void* pPropValue, uint16_t iMaxLen, uint16_t& iLen) override;
    DBIResult SetProp(hDBIObj hObj, uint32_t iProp, uint32_t iPropValue) override;

    DBIResult OpenTable(hDBIDb hDb, const char* pszTableName, const char* pszDriverType, const char* pszIndexName,
                        const char* pszIndexTagName, uint16_t iIndexId, DBIOpenMode eOpenMode,
                        DBIShareMode eShareMode, XLTMode exltMode, bool bUniDirectional, const void* pOptParams,
                        hDBICur& hCursor) override;
    DBIResult CloseCursor(hDBICur& hCursor) override;
    DBIResult GetCursorProps(hDBICur hCursor, CURProps* pCurProps) override;
    DBIResult DbiGetFieldDescs(hDBICur hCursor, std::vector<FLDDesc>& Descs) override;
    DBIResult OpenFieldList(hDBIDb hDb, const char* pszTableName, const char* pszDriverType, bool bPhyTypes,
                            hDBICur& hCursor) override;
    DBIResult OpenVchkList(hDBIDb hDb, const char* pszTableName, const char* pszDriverType,
                           hDBICur& hCursor) override;
    DBIResult DbiGetVchkDesc(hDBICur hCursor, uint16_t iValSeqNo, void* pValDesc) override;
    DBIResult CloneCursor(hDBICur hSrcCur, bool bReadOnly, bool bUniDirectional, hDBICur& hNewCur) override;
    DBIResult DeleteTable(hDBIDb hDb, const char* pszTableName, const char* pszDriverType) override;
    DBIResult DbiMakePermanent(hDBICur hCursor, const char* pszName) override;

    DBIResult SetToBegin(hDBICur hCursor) override;
    DBIResult SetToEnd(hDBICur hCursor) override;
    DBIResult GetNextRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) override;
    DBIResult GetPriorRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) override;
    DBIResult GetCurrentRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) override;
    DBIResult InitRecord(hDBICur hCursor, uint8_t* pRecBuf) override;
    DBIResult AppendRecord(hDBICur hCursor, uint8_t* pRecBuf, bool bUnlock) override;
    DBIResult ModifyRecord(hDBICur hCursor, uint8_t* pRecBuf, bool bFreeLock) override;
    DBIResult DeleteRecord(hDBICur hCursor, uint8_t* pRecBuf) override;
    DBIResult ReleaseRecordLock(hDBICur hCursor, bool bAll) override;

    DBIResult GetField(hDBICur hCursor, uint16_t iField, const uint8_t* pRecBuf, void* pDest, bool& bBlank) override;
    DBIResult PutField(hDBICur hCursor, uint16_t iField, uint8_t* pRecBuf, const void* pSrc) override;
    bool StoredTextSpan(hDBICur hCursor, uint16_t iField, uint16_t& iOffset, uint16_t& iWidth) override;

    DBIResult OpenBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, DBIBlobOpenMode eOpenMode) override;
    DBIResult GetBlobSize(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t& iSize) override;
    DBIResult GetBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iOffSet, uint32_t iLen,
                      void* pDest, uint32_t& iRead) override;
    DBIResult PutBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iOffSet, uint32_t iLen,
                      const void* pSrc) override;
    DBIResult TruncateBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iLen) override;
    DBIResult FreeBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField) override;

    DBIResult GetBookMark(hDBICur hCursor, uint8_t* pBookMark) override;
    DBIResult SetToBookMark(hDBICur hCursor, const uint8_t* pBookMark) override;
    DBIResult CompareBookMarks(hDBICur hCursor, const uint8_t* pBookMark1, const uint8_t* pBookMark2,
                               CMPBkMkRslt& CmpBkmkResult) override;
    DBIResult GetSeqNo(hDBICur hCursor, uint32_t& iSeqNo) override;
    DBIResult SetToSeqNo(hDBICur hCursor, uint32_t iSeqNo) override;
    DBIResult SetToCursor(hDBICur hDest, hDBICur hSrc) override;
    DBIResult GetRecordCount(hDBICur hCursor, uint32_t& iRecCount) override;
    DBIResult ForceReread(hDBICur hCursor) override;
    DBIResult CommitWorkArea(hDBICur hCursor) override;

    DBIResult SwitchToIndex(hDBICur& hCursor, const char* pszIndexName, const char* pszTagName, uint16_t iIndexId,
                            bool bCurrRec) override;
    DBIResult GetIndexDesc(hDBICur hCursor, uint16_t iIndexSeqNo, IDXDesc* pIdxDesc) override;
    DBIResult GetIndexDescs(hDBICur hCursor, std::vector<IDXDesc>& Descs) override;
    DBIResult OpenIndex(hDBICur hCursor, const char* pszIndexName, uint16_t iIndexId) override;
    DBIResult DbiCloseIndex(hDBICur hCursor, const char* pszIndexName, uint16_t iIndexId) override;
    DBIResult ExtractKey(hDBICur hCursor, const uint8_t* pRecBuf, std::string& Key) override;
    DBIResult SetToKey(hDBICur hCursor, DBISearchCond eSearchCond, bool bDirectKey, uint16_t iFields, uint16_t iLen,
                       const uint8_t* pKey) override;
    DBIResult GetRecordForKey(hDBICur hCursor, bool bDirectKey, uint16_t iFields, uint16_t iLen, const uint8_t* pKey,
                              uint8_t* pRecBuf) override;
    DBIResult SetRange(hDBICur hCursor, bool bKeyItself, uint16_t iFields1, uint16_t iLen1, const uint8_t* pKey1,
                       bool bKey1Incl, uint16_t iFields2, uint16_t iLen2, const uint8_t* pKey2,
                       bool bKey2Incl) override;
    DBIResult ResetRange(hDBICur hCursor) override;

    DBIResult AddFilter(hDBICur hCursor, uintptr_t iClientData, uint16_t iPriority, bool bCanAbort, const char* pExpr,
                        pfGENFilter pfFilter, hDBIFilter& hFilter, bool bNoPartialCompare = false) override;
    DBIResult ActivateFilter(hDBICur hCursor, hDBIFilter hFilter) override;
    DBIResult DeactivateFilter(hDBICur hCursor, hDBIFilter hFilter) override;
    DBIResult DropFilter(hDBICur hCursor, hDBIFilter hFilter) override;

    DBIResult DbiQAlloc(hDBIDb hDb, uint16_t eQryLang, hDBIStmt& hStmt) override;
    DBIResult DbiQPrepare(hDBIStmt hStmt, const char* pszQuery) override;
    DBIResult DbiQExec(hDBIStmt hStmt, hDBICur& hCur) override;
    DBIResult DbiQFree(hDBIStmt& hStmt) override;
    DBIResult DbiQSetParams(hDBIStmt hStmt, uint16_t uFldDescs, const FLDDesc* paFldDescs, uint8_t* pRecBuff) override;
    DBIResult BatchMove(const void* pSrcDesc, hDBICur hSrcCur, const void* pDstDesc, hDBICur hDstCur,
                        uint16_t ebatMode, uint16_t iFldCount, const uint16_t* pSrcFldMap, const char* pszIndexName,
                        const char* pszIndexTagName, uint16_t iIndexId, const char* pszKeyviolName,
                        const char* pszProblemsName, const char* pszChangedName, uint32_t* plProbRecs,
                        uint32_t* plKeyvRecs, uint32_t* plChangedRecs, bool bAbortOnFirstProb,
                        bool bAbortOnFirstKeyviol, uint32_t* plRecsToMove, bool bTransliterate) override;
    DBIResult DbiAddPassword(const char* pszPassword) override;
    DBIResult DbiDropPassword(const char* pszPassword) override;
    DBIResult DbiBeginDelayedUpdates(hDBICur& hCursor) override;
    DBIResult DbiEndDelayedUpdates(hDBICur& hCursor) override;
    DBIResult DbiBcdFromFloat(const double* pVal, uint16_t iPrecision, void* pBcd) override;

private:
    // A cursor's work area, selected in the engine for the guard's lifetime.
    class TCursor;
    // The records of the field-list cursor.
    struct TFieldList {
        std::vector<FLDDesc> Descs;
        size_t Position = 0;  // the next to read, from 0
    };

    // The full name of a file: as given when it names a folder or drive,
    // otherwise in the database's directory; nothing (after the message)
    // when the database handle is free.
    std::optional<std::string> filePath(hDBIDb hDb, const std::string& FileName) const;
    // The same for a table, whose name without extension means a .DBF.
    std::optional<std::string> tablePath(hDBIDb hDb, const std::string& TableName) const;
    // The open work area whose table is Path (its full path or its name as
    // given at open); null when none.
    TDbiWorkArea* areaOfTable(const std::string& Path) const;
    void describeFields(TDbiWorkArea& Area, bool ShowProblems);
    TDateWindow dateWindow() const;
    DBIResult readVirtual(hDBICur hCursor, uint8_t* pRecBuf);
    // JustMoved: the engine has just stepped onto the record and read it, so
    // an unlocked read takes it as read.
    DBIResult readRecord(TDbiWorkArea& Area, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps,
                         bool JustMoved = false);
    bool offerToCallback(TDbiWorkArea& Area, uint8_t* pRecBuf);
    // Moves with StepOnce, which answers the end it met (or DBIERR_NONE),
    // until it reads a record the record callback accepts.
    template <class Step>
    DBIResult stepToAccepted(TDbiWorkArea& Area, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps,
                             Step StepOnce);
    DBIResult writeRecord(TDbiWorkArea& Area, uint8_t* pRecBuf);
    std::string blobValue(TDbiWorkArea& Area, const uint8_t* pRecBuf, uint16_t iField);
    void goToEnd();
    void restorePosition(int RecNo, bool AtEnd);

    std::vector<std::optional<std::string>> databases_;  // index = handle; 0 unused
    std::string defaultDirectory_;
    // Index = work area; looked up on every field read, so by position.
    std::vector<std::unique_ptr<TDbiWorkArea>> areas_ = std::vector<std::unique_ptr<TDbiWorkArea>>(MaxWorkArea + 1);
    std::unique_ptr<TFieldList> fieldList_;
};

// The one glue of the program, registered as the dataset classes' engine.
TEngineGlue& EngineGlue();
void registerEngineGlue();
