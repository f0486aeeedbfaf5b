// Index orders, their descriptions, key texts, key searches and ranges.
#include <cstring>

#include "base/SysUtils.h"
#include "os/Paths.h"
#include "xbase/EngineGlue.h"
#include "xbase/GlueCursor.h"
#include "xbase/IndexKeys.h"
#include "xbengine/ExprCalls.h"
#include "xbengine/XbEngine.h"

namespace {

// The engine's record buffer holds a caller's record for the time of a key
// computation and gets its own back afterwards.
class TBufferSwap {
public:
    TBufferSwap(const TDbiWorkArea& Area, const uint8_t* RecBuf)
        : engine_(reinterpret_cast<char*>(xb_SysProp(XB_SP_RECORD_BUFFER, 0))),
          size_(static_cast<size_t>(Area.RecordSize)) {
        if (!engine_)
            return;
        saved_.assign(engine_, engine_ + size_);
        std::memcpy(engine_, RecBuf, size_);
    }
    ~TBufferSwap() {
        if (engine_)
            std::memcpy(engine_, saved_.data(), size_);
    }
    TBufferSwap(const TBufferSwap&) = delete;
    TBufferSwap& operator=(const TBufferSwap&) = delete;

private:
    char* engine_;
    size_t size_;
    std::vector<char> saved_;
};

// The current order's key text over the record in the engine's buffer:
// numbers as their trimmed str() text, logicals as .T./.F.
std::string CurrentKeyText() {
    std::string expression = xb_IndexKey();
    switch (xb_EvalTest(expression.c_str())) {
    case XB_EXPR_NUMERIC: return xb_EvalString(("LTRIM(STR(" + expression + ", 19))").c_str());
    case XB_EXPR_LOGICAL: return xb_EvalLogical(expression.c_str()) ? ".T." : ".F.";
    default: return xb_EvalString(expression.c_str());
    }
}

// The fields of the current order's key, by number; empty for an expression key.
std::vector<int> CurrentKeyFields() {
    return keyFieldsOf(xb_IndexKey(), [](const std::string& name) { return xb_FieldNum(name.c_str()); });
}

// The key text of a record buffer, cut to the first FieldCount key fields.
std::string KeyOfBuffer(const TDbiWorkArea& Area, const uint8_t* RecBuf, uint16_t FieldCount) {
    std::string key;
    {
        TBufferSwap swap(Area, RecBuf);
        key = CurrentKeyText();
    }
    std::vector<int> widths;
    for (int field : CurrentKeyFields())
        widths.push_back(xb_FieldWidth(field));
    return PartialKey(key, widths, FieldCount);
}

bool IsPartialKey(uint16_t FieldCount) {
    return FieldCount > 0 && FieldCount < CurrentKeyFields().size();
}

std::string NameWithoutExtension(const std::string& Name) {
    std::string file = os::ExtractFileName(Name);
    return file.substr(0, file.size() - os::ExtractFileExt(file).size());
}

void DescribeCurrentOrder(IDXDesc& Desc) {
    int order = xb_IndexOrd();
    Desc = IDXDesc{};
    Desc.szName = xb_IndexName(order);
    Desc.iIndexId = static_cast<uint16_t>(order);
    Desc.szTagName = xb_TagName(order);
    Desc.bDescending = xb_SysProp(XB_SP_DESCENDING, order) >= 1;
    int type = xb_IndexType();
    Desc.bUnique = type == XB_ORDER_UNIQUE || type == XB_ORDER_UNIQUE_CONDITIONAL;
    Desc.bSubset = type == XB_ORDER_CONDITIONAL || type == XB_ORDER_UNIQUE_CONDITIONAL;
    if (Desc.bSubset)
        Desc.szKeyCond = xb_IndexCondition();
    Desc.bMaintained = true;
    Desc.iKeyLen = 255;
    std::string expression = xb_IndexKey();
    Desc.bCaseInsensitive = UpperCase(expression).find("UPPER") != std::string::npos;
    std::vector<int> fields = CurrentKeyFields();
    if (fields.empty() || fields.size() > Desc.aiKeyFld.size()) {
        Desc.bExpIdx = true;
        Desc.szKeyExp = expression;
        return;
    }
    Desc.iFldsInKey = static_cast<uint16_t>(fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
        Desc.aiKeyFld[i] = static_cast<uint16_t>(fields[i]);
}

// The engine's soft-seek and exact settings, put back when this goes.
class TSeekSettings {
public:
    TSeekSettings() : softSeek_(xb_SysProp(XB_SP_SOFTSEEK, 0)), exact_(xb_SysProp(XB_SP_EXACT, 0)) {}
    ~TSeekSettings() {
        xb_SysProp(XB_SP_SET_SOFTSEEK, softSeek_);
        xb_SysProp(XB_SP_SET_EXACT, exact_);
    }
    void Set(bool softSeek, bool exact) {
        xb_SysProp(XB_SP_SET_SOFTSEEK, softSeek ? XB_ON : XB_OFF);
        xb_SysProp(XB_SP_SET_EXACT, exact ? XB_ON : XB_OFF);
    }
    TSeekSettings(const TSeekSettings&) = delete;
    TSeekSettings& operator=(const TSeekSettings&) = delete;

private:
    intptr_t softSeek_, exact_;
};

}  // namespace

DBIResult TEngineGlue::SwitchToIndex(hDBICur& hCursor, const char*, const char* pszTagName, uint16_t, bool) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    std::string tag = pszTagName ? pszTagName : "";
    if (tag.empty()) {
        xb_SetOrder(XB_RECORD_ORDER);
        return DBIERR_NONE;
    }
    std::string name = os::ExtractFileName(tag);
    if (xb_SysProp(XB_SP_INDEX_KIND, 0) == XB_DRIVER_NTX) {
        // Each order of an NTX table is an index file, named as its tag.
        for (int order = 1;; ++order) {
            std::string tagName = xb_TagName(order);
            if (tagName.empty())
                break;
            if (SameText(NameWithoutExtension(tagName), NameWithoutExtension(name))) {
                xb_SetOrder(order);
                break;
            }
        }
        return DBIERR_NONE;
    }
    xb_SetOrder(xb_TagArea(name.c_str()));
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetIndexDesc(hDBICur hCursor, uint16_t iIndexSeqNo, IDXDesc* pIdxDesc) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    int previous = iIndexSeqNo == 0 ? -1 : xb_SetOrder(iIndexSeqNo);
    DBIResult status = xb_IndexOrd() == 0 ? DBIERR_NOINDEXORDER : DBIERR_NONE;
    if (status == DBIERR_NONE && pIdxDesc)
        DescribeCurrentOrder(*pIdxDesc);
    if (previous >= 0)
        xb_SetOrder(previous);
    return status;
}

DBIResult TEngineGlue::GetIndexDescs(hDBICur hCursor, std::vector<IDXDesc>& Descs) {
    Descs.clear();
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    int tags = static_cast<int>(xb_SysProp(XB_SP_TAG_COUNT, 0));
    int previous = xb_IndexOrd();
    for (int order = 1; order <= tags; ++order) {
        xb_SetOrder(order);
        Descs.emplace_back();
        DescribeCurrentOrder(Descs.back());
    }
    xb_SetOrder(previous);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::OpenIndex(hDBICur, const char*, uint16_t) { return DBIERR_NONE; }

DBIResult TEngineGlue::ExtractKey(hDBICur hCursor, const uint8_t* pRecBuf, std::string& Key) {
    Key.clear();
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (xb_IndexOrd() == 0)
        return DBIERR_NOINDEXORDER;
    Key = pRecBuf ? KeyOfBuffer(*cursor, pRecBuf, 0) : std::string(xb_KeyData());
    return DBIERR_NONE;
}

DBIResult TEngineGlue::SetToKey(hDBICur hCursor, DBISearchCond eSearchCond, bool bDirectKey, uint16_t iFields,
                                uint16_t iLen, const uint8_t* pKey) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (xb_IndexOrd() == 0)
        return DBIERR_NOINDEXORDER;
    std::string key;
    if (bDirectKey) {
        key = pKey ? reinterpret_cast<const char*>(pKey) : "";
        if (iLen > 0 && iLen < key.size())
            key.resize(iLen);
    } else if (pKey) {
        xb_Commit();
        key = KeyOfBuffer(*cursor, pKey, iFields);
    }
    int recNo = xb_RecNo();
    bool atEnd = xb_Eof() != 0;
    TSeekSettings settings;
    switch (eSearchCond) {
    case keySEARCHEQ:
        // A key of fewer fields than the order's finds the first record it begins.
        settings.Set(false, !IsPartialKey(iFields));
        break;
    case keySEARCHGT:
        settings.Set(true, false);
        key = nextKey(key);
        break;
    default: settings.Set(true, false); break;
    }
    bool found = xb_Seek(key.c_str()) != 0;
    if (eSearchCond != keySEARCHEQ || found)
        return DBIERR_NONE;
    if (bDirectKey)
        restorePosition(recNo, atEnd);
    return DBIERR_RECNOTFOUND;
}

DBIResult TEngineGlue::GetRecordForKey(hDBICur hCursor, bool bDirectKey, uint16_t iFields, uint16_t iLen,
                                       const uint8_t* pKey, uint8_t* pRecBuf) {
    DBISearchCond condition = !bDirectKey && iFields == 0 ? keySEARCHGEQ : keySEARCHEQ;
    DBIResult status = SetToKey(hCursor, condition, bDirectKey, iFields, iLen, pKey);
    if (status != DBIERR_NONE || !pRecBuf)
        return status;
    TCursor cursor(*this, hCursor);
    xb_GetRecord(reinterpret_cast<char*>(pRecBuf));
    cursor->DropPendingBlobs(pRecBuf);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::SetRange(hDBICur hCursor, bool bKeyItself, uint16_t iFields1, uint16_t, const uint8_t* pKey1,
                                bool, uint16_t iFields2, uint16_t, const uint8_t* pKey2, bool) {
    {
        TCursor cursor(*this, hCursor);
        if (!cursor)
            return DBIERR_INVALIDHNDL;
        if (xb_IndexOrd() == 0)
            return DBIERR_NOINDEXORDER;
        std::string low, high;
        if (bKeyItself) {
            low = pKey1 ? reinterpret_cast<const char*>(pKey1) : "";
            high = pKey2 ? reinterpret_cast<const char*>(pKey2) : "";
        } else {
            xb_Commit();
            if (pKey1)
                low = KeyOfBuffer(*cursor, pKey1, iFields1);
            if (pKey2)
                high = KeyOfBuffer(*cursor, pKey2, iFields2);
        }
        // Both ends are inclusive, as the engine's scope is.
        xb_SetScope(low.c_str(), high.c_str());
    }
    return SetToBegin(hCursor);
}

DBIResult TEngineGlue::ResetRange(hDBICur hCursor) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    int recNo = xb_RecNo();
    bool atEnd = xb_Eof() != 0 || recNo == xb_RecCount() + 1;
    xb_SetScope(nullptr, nullptr);
    restorePosition(recNo, atEnd);
    return DBIERR_NONE;
}
