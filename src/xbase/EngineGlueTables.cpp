// Opening, describing, listing and deleting tables.
#include <cstring>

#include "base/SysUtils.h"
#include "os/Paths.h"
#include "xbase/EngineGlue.h"
#include "xbase/GlueCursor.h"
#include "xbase/GlueMessages.h"
#include "xbase/TableFiles.h"
#include "xbengine/XbEngine.h"

namespace {

// The engine's Deleted setting off: deleted records are part of every read.
// The engine answers a setting only by changing it, so it is put back at once.
bool DeletedRecordsShown() {
    int hidden = xb_SetDeleted(XB_OFF);
    xb_SetDeleted(hidden);
    return hidden == XB_OFF;
}

}  // namespace

TDbiWorkArea* TEngineGlue::OpenWorkArea(hDBICur hCursor) const {
    if (hCursor < 1 || hCursor > MaxWorkArea || xb_SysProp(XB_SP_AREA_IN_USE, static_cast<intptr_t>(hCursor)) == 0)
        return nullptr;
    return areas_[hCursor].get();
}

TDbiWorkArea* TEngineGlue::areaOfTable(const std::string& Path) const {
    for (const auto& area : areas_)
        if (area && (SameText(area->FullPath, Path) || SameText(area->TableName, Path) ||
             os::MapPath(area->FullPath) == os::MapPath(Path)))
            return area.get();
    return nullptr;
}

void TEngineGlue::describeFields(TDbiWorkArea& Area, bool ShowProblems) {
    size_t count = Area.Fields.size();
    Area.LogicalDescs.resize(count);
    Area.PhysicalDescs.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const TGlueField& field = Area.Fields[i];
        describeField(field, static_cast<uint16_t>(i + 1), Area.LogicalDescs[i], Area.PhysicalDescs[i]);
        if (ShowProblems && Area.LogicalDescs[i].iFldType == fldINVALID)
            showGlueMessage(std::string("Invalid Field Type ") + field.Letter);
    }
}

DBIResult TEngineGlue::OpenTable(hDBIDb hDb, const char* pszTableName, const char* pszDriverType, const char*,
                                 const char* pszIndexTagName, uint16_t, DBIOpenMode eOpenMode,
                                 DBIShareMode eShareMode, XLTMode, bool, const void*, hDBICur& hCursor) {
    hCursor = 0;
    std::string tableName = pszTableName ? pszTableName : "";
    std::optional<std::string> path = tablePath(hDb, tableName);
    if (!path)
        return DBIERR_CANTOPENTABLE;

    int driver = XB_DRIVER_FOX;
    if (!pszDriverType)
        driver = probeDriver(*path, false);
    else if (int named = DriverFromName(pszDriverType))
        driver = named;

    xb_SetStringType(XB_STRING_ZERO_TERMINATED);
    int mode = XB_EXCLUSIVE;
    if (eShareMode == dbiOPENSHARED)
        mode = XB_SHARED;
    if (eOpenMode == dbiREADONLY)
        mode = XB_READONLY;
    std::string alias = tableAlias(*path, [](const std::string& a) { return xb_WorkArea(a.c_str()) != 0; });

    int previous = xb_WorkArea(nullptr);
    int area = xb_Use(path->c_str(), alias.c_str(), mode, driver);
    if (area == 0) {
        if (previous > 0 && previous <= MaxWorkArea && *xb_Alias(previous) != '\0')
            xb_Select(previous);
        return DBIERR_CANTOPENTABLE;
    }

    auto record = std::make_unique<TDbiWorkArea>();
    record->WorkArea = area;
    record->Alias = alias;
    record->FullPath = *path;
    record->TableName = tableName;
    record->Driver = driver;
    record->RecordSize = xb_RecSize();
    record->TranslateMode = xltFIELD;
    record->OpenMode = eOpenMode;
    record->ShareMode = eShareMode;
    int fieldCount = xb_FieldCount();
    for (int i = 1; i <= fieldCount; ++i) {
        TGlueField field;
        field.Name = xb_FieldName(i);
        field.Letter = *xb_FieldType(i);
        if (field.Letter == 'C' && xb_SysProp(XB_SP_VARIABLE_FIELD, i) != 0)
            field.Letter = 'V';
        field.Width = xb_FieldWidth(i);
        field.Decimals = xb_FieldDecimals(i);
        field.Offset = xb_FieldOffset(i) - 1;
        record->Fields.push_back(field);
    }
    describeFields(*record, false);
    areas_[area] = std::move(record);

    // The structural index opens with the table; a named tag becomes the order.
    std::string tag = pszIndexTagName ? pszIndexTagName : "";
    if (!tag.empty()) {
        if (driver == XB_DRIVER_NTX) {
            std::optional<std::string> indexPath = filePath(hDb, tag);
            if (indexPath && os::FileExists(os::MapPath(*indexPath)))
                xb_IndexOpen(indexPath->c_str());
        } else {
            xb_SetOrder(xb_TagArea(tag.c_str()));
        }
    }

    if (previous > 0 && previous <= MaxWorkArea && previous != area && *xb_Alias(previous) != '\0')
        xb_Select(previous);
    hCursor = static_cast<hDBICur>(area);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::CloseCursor(hDBICur& hCursor) {
    if (hCursor == FieldListCursor) {
        fieldList_.reset();
        return DBIERR_NONE;
    }
    if (hCursor > MaxWorkArea)
        return DBIERR_NONE;
    {
        TCursor cursor(*this, hCursor);
        if (!cursor)
            return DBIERR_INVALIDHNDL;
        xb_Close();
    }
    areas_[hCursor].reset();
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetCursorProps(hDBICur hCursor, CURProps* pCurProps) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (!pCurProps)
        return DBIERR_NONE;
    CURProps& props = *pCurProps;
    props = CURProps{};
    props.szTableType = DriverName(cursor->Driver);
    props.iFields = static_cast<uint16_t>(xb_FieldCount());
    props.iRecSize = static_cast<uint16_t>(cursor->RecordSize);
    props.iIndexes = static_cast<uint16_t>(xb_SysProp(XB_SP_TAG_COUNT, 0));
    props.bIndexed = xb_IndexOrd() > 0;
    props.iFilters = static_cast<uint16_t>(cursor->ExpressionFilterCount());
    std::string base = xb_BaseName();
    props.szName = base.substr(0, base.size() - os::ExtractFileExt(base).size());
    props.exltMode = cursor->TranslateMode;
    props.eOpenMode = cursor->OpenMode;
    props.eShareMode = cursor->ShareMode;
    int bufferSize = 0;
    for (size_t i = 0; i < cursor->Fields.size(); ++i)
        bufferSize += cursor->TranslateMode == xltNONE ? cursor->PhysicalDescs[i].iLen : cursor->LogicalDescs[i].iLen;
    if (cursor->TranslateMode == xltNONE && bufferSize >= 1)
        ++bufferSize;
    // Record buffers hold the whole xBase record, whatever the field sizes add up to.
    props.iRecBufSize = static_cast<uint16_t>(std::max(bufferSize, cursor->RecordSize));
    props.iValChecks = 0;
    props.iTblLevel = 4;
    props.bDeletedOn = DeletedRecordsShown();
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DbiGetFieldDescs(hDBICur hCursor, std::vector<FLDDesc>& Descs) {
    TCursor cursor(*this, hCursor);
    if (!cursor) {
        showGlueMessage("Error in DbiGetFieldDescs");
        return DBIERR_INVALIDHNDL;
    }
    describeFields(*cursor, true);
    Descs = cursor->LogicalDescs;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::OpenFieldList(hDBIDb hDb, const char* pszTableName, const char* pszDriverType, bool,
                                     hDBICur& hCursor) {
    std::string tableName = pszTableName ? pszTableName : "";
    std::optional<std::string> path = tablePath(hDb, tableName);
    if (!path)
        return DBIERR_CANTOPENTABLE;
    auto list = std::make_unique<TFieldList>();
    if (TDbiWorkArea* open = areaOfTable(*path)) {
        list->Descs = open->LogicalDescs;
    } else {
        hDBICur table = 0;
        DBIResult status = OpenTable(hDb, pszTableName, pszDriverType, nullptr, nullptr, 0, dbiREADONLY,
                                     dbiOPENSHARED, xltFIELD, false, nullptr, table);
        if (status != DBIERR_NONE)
            return status;
        DbiGetFieldDescs(table, list->Descs);
        CloseCursor(table);
    }
    fieldList_ = std::move(list);
    hCursor = FieldListCursor;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::OpenVchkList(hDBIDb, const char*, const char*, hDBICur& hCursor) {
    hCursor = EmptyCursor;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::CloneCursor(hDBICur, bool, bool, hDBICur& hNewCur) {
    hNewCur = EmptyCursor;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::DeleteTable(hDBIDb hDb, const char* pszTableName, const char* pszDriverType) {
    std::optional<std::string> path = tablePath(hDb, pszTableName ? pszTableName : "");
    if (!path)
        return DBIERR_CANTDELETE;
    int driver = pszDriverType ? DriverFromName(pszDriverType) : probeDriver(*path, true);
    if (areaOfTable(*path) || !os::FileExists(os::MapPath(*path)))
        return DBIERR_NONE;
    for (const std::string& file : tableFiles(*path, driver)) {
        std::string mapped = os::MapPath(file);
        if (os::FileExists(mapped) && !os::DeleteFile(mapped))
            return DBIERR_CANTDELETE;
    }
    return DBIERR_NONE;
}
