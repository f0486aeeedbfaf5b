// The engine frame of the glue: start and exit, database handles, sessions,
// configuration, errors, language drivers, properties and the calls the
// xBase driver does not carry.
#include "xbase/EngineGlue.h"

#include <cstring>

#include "base/SysUtils.h"
#include "os/Paths.h"
#include "xbase/GlueMessages.h"
#include "xbase/TableFiles.h"
#include "xbengine/XbEngine.h"

void ReportUnsupported(const std::string& CallName) {
    showGlueMessage("This DBI function not supported in xBase driver: " + CallName);
}

TEngineGlue::TEngineGlue() = default;
TEngineGlue::~TEngineGlue() = default;

TEngineGlue& EngineGlue() {
    // Never destroyed: datasets and sessions freed at program exit still
    // close their tables through it.
    static TEngineGlue* glue = new TEngineGlue();
    return *glue;
}

void registerEngineGlue() { SetDbiEngine(&EngineGlue()); }

// ---------------------------------------------------------------- engine

DBIResult TEngineGlue::EngineInit(const void*) { return StartWithVersion(xb_Version()); }

DBIResult TEngineGlue::StartWithVersion(const char* Version) {
    const std::string tooOld = "xBase Engine Components Require XBENG32.DLL Version 2.40.00 or later.";
    xb_SetStringType(XB_STRING_ZERO_TERMINATED);
    std::string text = std::string(Version ? Version : "").substr(0, 8);
    int number = 0;
    // A version text that holds no number is as unusable as an old engine.
    if (text.empty() || !TryStrToInt(text.size() > 6 ? text.substr(6) : std::string(), number) || number < 0) {
        showGlueMessage(tooOld);
        return DBIERR_ENGINESTART;
    }
    return DBIERR_NONE;
}

DBIResult TEngineGlue::EngineExit() {
    xb_CloseAll();
    xb_SysProp(XB_SP_AT_EXIT, 0);
    for (auto& area : areas_)
        area.reset();
    fieldList_.reset();
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DllExit() { return DBIERR_NONE; }

// ---------------------------------------------------------------- databases

DBIResult TEngineGlue::OpenDatabase(const char*, const char*, DBIOpenMode, DBIShareMode, const char*, uint16_t,
                                    const FLDDesc*, const char* pOptParams, hDBIDb& hDb) {
    std::string dir = pOptParams ? pOptParams : (!defaultDirectory_.empty() ? defaultDirectory_ : ".\\");
    dir = normalizeDirectory(dir);
    if (databases_.empty())
        databases_.resize(1);  // handle 0 is never given out
    size_t slot = 1;
    while (slot < databases_.size() && databases_[slot])
        ++slot;
    if (slot == databases_.size())
        databases_.emplace_back();
    databases_[slot] = dir;
    hDb = static_cast<hDBIDb>(slot);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::CloseDatabase(hDBIDb& hDb) {
    if (hDb > 0 && hDb < databases_.size())
        databases_[hDb].reset();
    return DBIERR_NONE;
}

std::optional<std::string> TEngineGlue::DatabaseDirectory(hDBIDb hDb) const {
    if (hDb == 0 || hDb >= databases_.size())
        return std::nullopt;
    return databases_[hDb];
}

DBIResult TEngineGlue::DbiSetDirectory(hDBIDb hDb, const char* pszDir) {
    if (hDb == 0) {
        showGlueMessage("DbiSetDirectory : hDb = 0");
        return DBIERR_NONE;
    }
    if (pszDir && hDb < databases_.size() && databases_[hDb])
        databases_[hDb] = normalizeDirectory(pszDir);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiSetPrivateDir(const char*) {
    ReportUnsupported("DbiSetPrivateDir");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetDatabaseDesc(const char*, DBDesc*) { return DBIERR_OBJNOTFOUND; }

std::optional<std::string> TEngineGlue::filePath(hDBIDb hDb, const std::string& FileName) const {
    if (hasDirectory(FileName))
        return FileName;
    std::optional<std::string> dir = DatabaseDirectory(hDb);
    if (!dir) {
        showGlueMessage("Could not find directory associated with this database");
        return std::nullopt;
    }
    return *dir + FileName;
}

std::optional<std::string> TEngineGlue::tablePath(hDBIDb hDb, const std::string& TableName) const {
    return filePath(hDb, os::ExtractFileExt(TableName).empty() ? TableName + ".DBF" : TableName);
}

// ---------------------------------------------------------------- sessions

DBIResult TEngineGlue::StartSession(const char*, hDBISes&, const char*) { return DBIERR_NONE; }
DBIResult TEngineGlue::SetCurrSession(hDBISes) { return DBIERR_NONE; }
DBIResult TEngineGlue::CloseSession(hDBISes) { return DBIERR_NONE; }
DBIResult TEngineGlue::GetSesInfo(SESInfo*) { return DBIERR_NONE; }

DBIResult TEngineGlue::GetCurrSession(hDBISes& hSes) {
    hSes = 1;
    return DBIERR_NONE;
}

// ---------------------------------------------------------------- configuration

DBIResult TEngineGlue::OpenCfgInfoList(hDBICfg, DBIOpenMode, uint16_t, const char*, hDBICur&) { return DBIERR_NONE; }
DBIResult TEngineGlue::CfgPosition(hDBICur, const char*) { return DBIERR_NONE; }
DBIResult TEngineGlue::CfgDropRecord(hDBICfg, const char*) { return DBIERR_NONE; }

DBIResult TEngineGlue::CfgAddRecord(hDBICfg, const char*, uint16_t iFields, const FLDDesc* pFldDescs,
                                    const uint8_t* pRec) {
    if (!pFldDescs || !pRec)
        return DBIERR_NONE;
    for (uint16_t i = 0; i < iFields; ++i) {
        const FLDDesc& desc = pFldDescs[i];
        if (!SameText(desc.szName, "PATH"))
            continue;
        const char* value = reinterpret_cast<const char*>(pRec) + desc.iOffset;
        defaultDirectory_.assign(value, strnlen(value, desc.iLen ? desc.iLen : 255));
    }
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetObjFromName(DBIOBJType, const char*, hDBIObj&) { return DBIERR_NONE; }

// ---------------------------------------------------------------- errors and callbacks

DBIResult TEngineGlue::GetErrorString(DBIResult rslt, std::string& Text) {
    Text = rslt == DBIERR_FILEOPEN ? "File Open Error" : "DBI Error : " + std::to_string(rslt);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetErrorEntry(uint16_t, uint32_t&, std::string&) { return DBIERR_NONE; }

DBIResult TEngineGlue::RegisterCallBack(hDBICur, int, uintptr_t, uint16_t, void*, pfDBICallBack) {
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetCallBack(hDBICur, int, uintptr_t*, uint16_t*, void**, pfDBICallBack*) {
    return DBIERR_NONE;
}

// ---------------------------------------------------------------- language drivers

DBIResult TEngineGlue::GetLdObj(hDBICur, hDBILdObj& pLdObj) {
    pLdObj = 1;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::LoadLanguageDriver(const char*, hDBILd&) { return DBIERR_NONE; }
DBIResult TEngineGlue::UnloadLanguageDriver(hDBILd&) { return DBIERR_NONE; }

namespace {

// Text passes unchanged: the tables hold the program's own code page.
void CopyText(char* dest, const char* src, int32_t len) {
    if (!dest || !src)
        return;
    if (len <= 0)
        std::strcpy(dest, src);
    else
        std::memcpy(dest, src, static_cast<size_t>(len));
}

}  // namespace

DBIResult TEngineGlue::EngineNativeToAnsi(hDBILdObj, char* pAnsiStr, const char* pNativeStr, int32_t iLen,
                                          bool& bDataLoss) {
    CopyText(pAnsiStr, pNativeStr, iLen);
    bDataLoss = false;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::EngineAnsiToNative(hDBILdObj, char* pNativeStr, const char* pAnsiStr, int32_t iLen,
                                          bool& bDataLoss) {
    CopyText(pNativeStr, pAnsiStr, iLen);
    bDataLoss = false;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetTableLdName(hDBIDb, const char*, std::string& LdName) {
    LdName.clear();
    return DBIERR_NA;
}

DBIResult TEngineGlue::GetDbiLdNameFromDb(hDBIDb, const char*, std::string&) {
    ReportUnsupported("GetDbiLdNameFromDb");
    return DBIERR_NONE;
}

// ---------------------------------------------------------------- properties

DBIResult TEngineGlue::DbiGetProp(hDBIObj hObj, uint32_t iProp, void* pPropValue, uint16_t iMaxLen, uint16_t& iLen) {
    switch (iProp) {
    case curXLTMODE: {
        TDbiWorkArea* area = OpenWorkArea(hObj);
        uint16_t mode = area ? area->TranslateMode : xltFIELD;
        if (pPropValue && iMaxLen >= sizeof mode)
            std::memcpy(pPropValue, &mode, sizeof mode);
        iLen = sizeof mode;
        return DBIERR_NONE;
    }
    case dbDATABASETYPE: {
        static const char standard[] = "STANDARD";
        if (pPropValue && iMaxLen > 0) {
            size_t n = std::min<size_t>(iMaxLen - 1, 8);
            std::memcpy(pPropValue, standard, n);
            static_cast<char*>(pPropValue)[n] = '\0';
        }
        iLen = 8;
        return DBIERR_NONE;
    }
    case 0x20003:
    case 0x4040009: return DBIERR_NONE;
    default:
        showGlueMessage("DbiGetProp: iProp = " + IntToHex(iProp, 8));
        return DBIERR_NONE;
    }
}

DBIResult TEngineGlue::SetProp(hDBIObj hObj, uint32_t iProp, uint32_t iPropValue) {
    if (iProp == curXLTMODE)
        if (TDbiWorkArea* area = OpenWorkArea(hObj))
            area->TranslateMode = static_cast<XLTMode>(iPropValue);
    return DBIERR_NONE;
}

// ---------------------------------------------------------------- not carried by the xBase driver

DBIResult TEngineGlue::DbiGetVchkDesc(hDBICur, uint16_t, void*) {
    ReportUnsupported("DbiGetVchkDesc");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiMakePermanent(hDBICur, const char*) {
    ReportUnsupported("DbiMakePermanent");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiCloseIndex(hDBICur, const char*, uint16_t) {
    ReportUnsupported("DbiCloseIndex");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiQAlloc(hDBIDb, uint16_t, hDBIStmt&) {
    ReportUnsupported("DbiQAlloc");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiQPrepare(hDBIStmt, const char*) {
    ReportUnsupported("DbiQPrepare");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiQExec(hDBIStmt, hDBICur&) {
    ReportUnsupported("DbiQExec");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiQFree(hDBIStmt&) {
    ReportUnsupported("DbiQFree");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiQSetParams(hDBIStmt, uint16_t, const FLDDesc*, uint8_t*) {
    ReportUnsupported("DbiQSetParams");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::BatchMove(const void*, hDBICur, const void*, hDBICur, uint16_t, uint16_t, const uint16_t*,
                                 const char*, const char*, uint16_t, const char*, const char*, const char*, uint32_t*,
                                 uint32_t*, uint32_t*, bool, bool, uint32_t*, bool) {
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiAddPassword(const char*) {
    ReportUnsupported("DbiAddPassword");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiDropPassword(const char*) {
    ReportUnsupported("DbiDropPassword");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiBeginDelayedUpdates(hDBICur&) {
    ReportUnsupported("DbiBeginDelayedUpdates");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiEndDelayedUpdates(hDBICur&) {
    ReportUnsupported("DbiEndDelayedUpdates");
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiBcdFromFloat(const double*, uint16_t, void*) {
    ReportUnsupported("DbiBcdFromFloat");
    return DBIERR_NONE;
}
