// Moving over records, reading and writing records and fields, memos,
// bookmarks and record counts.
#include <algorithm>
#include <cstring>

#include "xbase/EngineGlue.h"
#include "xbase/GlueCursor.h"
#include "xbengine/ExprCalls.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

char* Chars(uint8_t* p) { return reinterpret_cast<char*>(p); }

// The dataset status of an engine append's answer.
DBIResult AppendRefusal(int Refusal) {
    switch (Refusal) {
    case XB_APPEND_DONE: return DBIERR_NONE;
    case XB_APPEND_LOCK_TIMEOUT: return DBIERR_LOCKED;
    case XB_APPEND_RECORD_LOCK: return DBIERR_FILEBUSY;
    case XB_APPEND_WRITE_FAILED: return DBIERR_FILEIO;
    case XB_APPEND_TABLE_FULL: return DBIERR_RESOURCE;
    case XB_APPEND_READ_ONLY: return DBIERR_APPENDFAILED;
    case XB_APPEND_NO_TABLE: return DBIERR_INVALIDHNDL;
    default: return DBIERR_APPENDFAILED;
    }
}

bool IsBlob(const TDbiWorkArea& Area, uint16_t FieldNo) {
    return Area.LogicalDescs[FieldNo - 1].iFldType == fldBLOB;
}

// Why the engine refused to write the current record.
DBIResult WriteRefusal() { return xb_Locked(xb_RecNo()) ? DBIERR_LOCKED : DBIERR_FILEIO; }

}  // namespace

void TEngineGlue::goToEnd() {
    xb_GoBottom();
    xb_Skip(1);
}

void TEngineGlue::restorePosition(int RecNo, bool AtEnd) {
    if (AtEnd)
        goToEnd();
    else
        xb_Go(RecNo);
}

// ---------------------------------------------------------------- movement

DBIResult TEngineGlue::SetToBegin(hDBICur hCursor) {
    if (hCursor == FieldListCursor && fieldList_) {
        fieldList_->Position = 0;
        return DBIERR_NONE;
    }
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    xb_GoTop();
    xb_Skip(-1);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::SetToEnd(hDBICur hCursor) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    goToEnd();
    return DBIERR_NONE;
}

DBIResult TEngineGlue::readVirtual(hDBICur hCursor, uint8_t* pRecBuf) {
    if (hCursor != FieldListCursor || !fieldList_ || fieldList_->Position >= fieldList_->Descs.size())
        return DBIERR_EOF;
    if (pRecBuf)
        std::memcpy(pRecBuf, &fieldList_->Descs[fieldList_->Position], sizeof(FLDDesc));
    ++fieldList_->Position;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::readRecord(TDbiWorkArea& Area, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps,
                                  bool JustMoved) {
    if (pRecProps) {
        *pRecProps = RECProps{};
        pRecProps->iPhyRecNum = static_cast<uint32_t>(xb_RecNo());
        pRecProps->bDeleteFlag = xb_Deleted() != 0;
    }
    if (eLock != dbiNOLOCK && !xb_Rlock(xb_RecNo()))
        return DBIERR_LOCKED;
    if (pRecBuf) {
        // A record locked just now is read again: it may have changed before the lock.
        if (JustMoved && eLock == dbiNOLOCK)
            xb_GetHeldRecord(Chars(pRecBuf));
        else
            xb_GetRecord(Chars(pRecBuf));
        Area.DropPendingBlobs(pRecBuf);
    }
    return DBIERR_NONE;
}

bool TEngineGlue::offerToCallback(TDbiWorkArea& Area, uint8_t* pRecBuf) {
    if (!Area.HasRecordCallback)
        return true;
    auto entry = std::find_if(Area.Filters.begin(), Area.Filters.end(),
                              [](const TFilterEntry& e) { return e.Kind == 1 && e.Active && e.Callback; });
    if (entry == Area.Filters.end())
        return true;
    std::vector<uint8_t> own;
    if (!pRecBuf) {
        own.resize(static_cast<size_t>(Area.RecordSize));
        xb_GetRecord(Chars(own.data()));
        pRecBuf = own.data();
    }
    return entry->Callback(entry->ClientData, pRecBuf, static_cast<uint32_t>(xb_RecNo())) != 0;
}

template <class Step>
DBIResult TEngineGlue::stepToAccepted(TDbiWorkArea& Area, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps,
                                      Step StepOnce) {
    for (;;) {
        if (DBIResult end = StepOnce())
            return end;
        if (DBIResult status = readRecord(Area, eLock, pRecBuf, pRecProps, true))
            return status;
        if (offerToCallback(Area, pRecBuf))
            return DBIERR_NONE;
    }
}

DBIResult TEngineGlue::GetNextRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) {
    if (hCursor > MaxWorkArea)
        return readVirtual(hCursor, pRecBuf);
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    return stepToAccepted(*cursor, eLock, pRecBuf, pRecProps, [&] {
        if (xb_Bof())
            xb_GoTop();
        else
            xb_Skip(1);
        if (!xb_Eof())
            return DBIERR_NONE;
        if (pRecBuf)
            xb_GetRecord(Chars(pRecBuf));
        xb_GoBottom();
        return DBIERR_EOF;
    });
}

DBIResult TEngineGlue::GetPriorRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) {
    if (hCursor > MaxWorkArea)
        return DBIERR_EOF;
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    return stepToAccepted(*cursor, eLock, pRecBuf, pRecProps, [] {
        xb_Skip(-1);
        if (!xb_Bof())
            return DBIERR_NONE;
        xb_GoTop();
        return DBIERR_BOF;
    });
}

DBIResult TEngineGlue::GetCurrentRecord(hDBICur hCursor, DBILockType eLock, uint8_t* pRecBuf, RECProps* pRecProps) {
    if (hCursor > MaxWorkArea)
        return DBIERR_EOF;
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (xb_Eof())
        return DBIERR_EOF;
    if (xb_Bof())
        return DBIERR_BOF;
    // A record of the visible set comes home from a step forward and back;
    // one that left it (filtered, out of scope, deleted and hidden) does not.
    if (*xb_DBFilter() != '\0' || xb_SysProp(XB_SP_SCOPE_ACTIVE, 0) == 1 || xb_Deleted()) {
        int recNo = xb_RecNo();
        xb_Skip(1);
        xb_Skip(-1);
        if (xb_Eof() || xb_RecNo() != recNo) {
            restorePosition(recNo, recNo > xb_RecCount());
            return DBIERR_NOCURRREC;
        }
    }
    return readRecord(*cursor, eLock, pRecBuf, pRecProps);
}

// ---------------------------------------------------------------- writing records

DBIResult TEngineGlue::InitRecord(hDBICur hCursor, uint8_t* pRecBuf) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (pRecBuf) {
        std::memset(pRecBuf, ' ', static_cast<size_t>(cursor->RecordSize));
        cursor->DropPendingBlobs(pRecBuf);
    }
    return DBIERR_NONE;
}

// Writes the record buffer as the current record together with the blobs
// written into that buffer, then takes back the record as stored (its memo
// references are the engine's).
DBIResult TEngineGlue::writeRecord(TDbiWorkArea& Area, uint8_t* pRecBuf) {
    if (!pRecBuf)
        return DBIERR_NA;
    intptr_t blobFlag = xb_SysProp(XB_SP_BLOB_WRITE, 0);
    for (const auto& [key, data] : Area.PendingBlobs)
        if (key.first == pRecBuf)
            xb_PutBlob(Area.Fields[key.second - 1].Name.c_str(), data.data(), static_cast<int>(data.size()));
    xb_SysProp(XB_SP_BLOB_WRITE, blobFlag);
    if (!xb_PutRecord(Chars(pRecBuf))) {
        DBIResult refusal = WriteRefusal();
        xb_Skip(0);  // re-reads the record and lets go of the memos handed over for it
        return refusal;
    }
    Area.DropPendingBlobs(pRecBuf);
    xb_GetHeldRecord(Chars(pRecBuf));  // as written, with the engine's memo pointers
    return DBIERR_NONE;
}

DBIResult TEngineGlue::AppendRecord(hDBICur hCursor, uint8_t* pRecBuf, bool bUnlock) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    // Without memos to write, the record goes in with its values in one
    // append, so its keys reach the tags once.
    bool blobsPending = false;
    for (const auto& entry : cursor->PendingBlobs)
        blobsPending = blobsPending || entry.first.first == pRecBuf;
    const bool inOneAppend = pRecBuf && !blobsPending;
    const int refusal = inOneAppend ? xb_AppendRecord(Chars(pRecBuf)) : xb_AppendEx();
    if (DBIResult status = AppendRefusal(refusal); status != DBIERR_NONE)
        return status;
    DBIResult status = DBIERR_NONE;
    if (inOneAppend)
        xb_GetHeldRecord(Chars(pRecBuf));
    else
        status = writeRecord(*cursor, pRecBuf);
    if (bUnlock)
        xb_Unlock(xb_RecNo());
    return status;
}

DBIResult TEngineGlue::ModifyRecord(hDBICur hCursor, uint8_t* pRecBuf, bool bFreeLock) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    DBIResult status = writeRecord(*cursor, pRecBuf);
    if (bFreeLock)
        xb_Unlock(xb_RecNo());
    return status;
}

DBIResult TEngineGlue::DeleteRecord(hDBICur hCursor, uint8_t*) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    return xb_Delete() ? DBIERR_NONE : WriteRefusal();
}

DBIResult TEngineGlue::ReleaseRecordLock(hDBICur hCursor, bool bAll) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    xb_Unlock(bAll ? XB_UNLOCK_ALL : xb_RecNo());
    return DBIERR_NONE;
}

// ---------------------------------------------------------------- fields

TDateWindow TEngineGlue::dateWindow() const {
    TDateWindow window;
    window.FourDigitYears = std::strlen(xb_EvalString("DTOC( CTOD(\"01/01/49\") )")) == 10;
    window.Epoch = xb_SetEpoch(1900);
    xb_SetEpoch(window.Epoch);
    return window;
}

DBIResult TEngineGlue::GetField(hDBICur hCursor, uint16_t iField, const uint8_t* pRecBuf, void* pDest, bool& bBlank) {
    bBlank = false;
    // A value is read out of the caller's buffer by the area's field list
    // alone: the engine's selected area does not come into it.
    const TDbiWorkArea* area = OpenWorkArea(hCursor & 0xFFFF);
    if (!area)
        return DBIERR_INVALIDHNDL;
    const TGlueField* field = area->Field(iField);
    if (!field || !pRecBuf)
        return DBIERR_NA;
    if (IsBlob(*area, iField))
        return DBIERR_NONE;
    bBlank = readFieldValue(*field, area->LogicalDescs[iField - 1].iFldType, pRecBuf, pDest);
    return DBIERR_NONE;
}

bool TEngineGlue::StoredTextSpan(hDBICur hCursor, uint16_t iField, uint16_t& iOffset, uint16_t& iWidth) {
    iOffset = iWidth = 0;
    const TDbiWorkArea* area = OpenWorkArea(hCursor & 0xFFFF);
    const TGlueField* field = area ? area->Field(iField) : nullptr;
    // A character field; GetField reads it straight from the record as well.
    if (!field || field->Letter != 'C' || area->LogicalDescs[iField - 1].iFldType != fldZSTRING || field->Width <= 0)
        return false;
    iOffset = static_cast<uint16_t>(field->Offset);
    iWidth = static_cast<uint16_t>(field->Width);
    return true;
}

DBIResult TEngineGlue::PutField(hDBICur hCursor, uint16_t iField, uint8_t* pRecBuf, const void* pSrc) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    const TGlueField* field = cursor->Field(iField);
    if (!field || !pRecBuf)
        return DBIERR_NA;
    uint16_t type = cursor->LogicalDescs[iField - 1].iFldType;
    TDateWindow window = type == fldDATE ? dateWindow() : TDateWindow{};
    return writeFieldValue(*field, type, pRecBuf, pSrc, window);
}

// ---------------------------------------------------------------- blobs

// The value of a blob field: what was written into the record buffer and
// not yet stored, or else the memo the buffer's record refers to.
std::string TEngineGlue::blobValue(TDbiWorkArea& Area, const uint8_t* pRecBuf, uint16_t iField) {
    auto pending = Area.PendingBlobs.find({pRecBuf, iField});
    if (pending != Area.PendingBlobs.end())
        return pending->second;
    const char* name = Area.Fields[iField - 1].Name.c_str();
    // The engine reads the memo of the record in its own buffer, so the
    // caller's record stands in it for the read.
    char* engineBuffer = reinterpret_cast<char*>(xb_SysProp(XB_SP_RECORD_BUFFER, 0));
    std::vector<char> saved;
    if (pRecBuf && engineBuffer) {
        saved.assign(engineBuffer, engineBuffer + Area.RecordSize);
        std::memcpy(engineBuffer, pRecBuf, static_cast<size_t>(Area.RecordSize));
    }
    std::string value(static_cast<size_t>(std::max(0, xb_GetBlobLength(name))), '\0');
    if (!value.empty())
        value.resize(static_cast<size_t>(std::max(0, xb_GetBlob(name, value.data()))));
    if (!saved.empty())
        std::memcpy(engineBuffer, saved.data(), saved.size());
    return value;
}

DBIResult TEngineGlue::OpenBlob(hDBICur hCursor, uint8_t*, uint16_t, DBIBlobOpenMode) {
    TCursor cursor(*this, hCursor);
    return cursor ? DBIERR_NONE : DBIERR_INVALIDHNDL;
}

DBIResult TEngineGlue::GetBlobSize(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t& iSize) {
    iSize = 0;
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (!cursor->Field(iField) || !IsBlob(*cursor, iField))
        return DBIERR_NA;
    iSize = static_cast<uint32_t>(blobValue(*cursor, pRecBuf, iField).size());
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iOffSet, uint32_t iLen,
                               void* pDest, uint32_t& iRead) {
    iRead = 0;
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (!cursor->Field(iField) || !IsBlob(*cursor, iField))
        return DBIERR_NA;
    std::string value = blobValue(*cursor, pRecBuf, iField);
    if (value.empty())
        return DBIERR_NONE;
    if (iOffSet > value.size())
        return DBIERR_BLOBOFFSET;
    uint32_t available = static_cast<uint32_t>(value.size()) - iOffSet;
    iRead = std::min(iLen, available);
    if (pDest && iRead > 0)
        std::memcpy(pDest, value.data() + iOffSet, iRead);
    return iLen > available ? DBIERR_ENDOFBLOB : DBIERR_NONE;
}

DBIResult TEngineGlue::PutBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iOffSet, uint32_t iLen,
                               const void* pSrc) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (!cursor->Field(iField) || !IsBlob(*cursor, iField) || (iLen > 0 && !pSrc))
        return DBIERR_NA;
    std::string value = blobValue(*cursor, pRecBuf, iField);
    if (iOffSet > value.size())
        return DBIERR_BLOBOFFSET;
    value.resize(iOffSet);
    value.append(static_cast<const char*>(pSrc ? pSrc : ""), iLen);
    cursor->PendingBlobs[{pRecBuf, iField}] = std::move(value);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::TruncateBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField, uint32_t iLen) {
    return PutBlob(hCursor, pRecBuf, iField, iLen, 0, nullptr);
}

DBIResult TEngineGlue::FreeBlob(hDBICur hCursor, uint8_t* pRecBuf, uint16_t iField) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    if (iField == 0)
        cursor->DropPendingBlobs(pRecBuf);
    else
        cursor->PendingBlobs.erase({pRecBuf, iField});
    return DBIERR_NONE;
}

// ---------------------------------------------------------------- bookmarks and positions

DBIResult TEngineGlue::GetBookMark(hDBICur hCursor, uint8_t* pBookMark) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    uint32_t recNo = static_cast<uint32_t>(xb_RecNo());
    if (pBookMark)
        std::memcpy(pBookMark, &recNo, sizeof recNo);
    return DBIERR_NONE;
}

namespace {

int BookMarkRecNo(const uint8_t* pBookMark) {
    uint32_t recNo = 0;
    if (pBookMark)
        std::memcpy(&recNo, pBookMark, sizeof recNo);
    return static_cast<int>(std::min<uint32_t>(recNo, 0x7FFFFFFF));
}

}  // namespace

DBIResult TEngineGlue::SetToBookMark(hDBICur hCursor, const uint8_t* pBookMark) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    int recNo = BookMarkRecNo(pBookMark);
    if (recNo > xb_RecCount())
        goToEnd();
    else
        xb_Go(recNo);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::CompareBookMarks(hDBICur hCursor, const uint8_t* pBookMark1, const uint8_t* pBookMark2,
                                        CMPBkMkRslt& CmpBkmkResult) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    int rec1 = BookMarkRecNo(pBookMark1), rec2 = BookMarkRecNo(pBookMark2);
    int here = xb_RecNo();
    bool atEnd = xb_Eof() != 0;
    // Places in the current order; records outside it compare by number.
    xb_Go(rec1);
    int place1 = xb_OrderRecNo();
    xb_Go(rec2);
    int place2 = xb_OrderRecNo();
    restorePosition(here, atEnd);
    if (place1 == 0 || place2 == 0) {
        place1 = rec1;
        place2 = rec2;
    }
    CmpBkmkResult = place1 < place2 ? CMPLESS : place1 > place2 ? CMPGTR : CMPEQL;
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetSeqNo(hDBICur hCursor, uint32_t& iSeqNo) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    iSeqNo = static_cast<uint32_t>(xb_OrderRecNo());
    return DBIERR_NONE;
}

DBIResult TEngineGlue::SetToSeqNo(hDBICur hCursor, uint32_t iSeqNo) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    // Sequence numbers count from 1: the first record is number 1.
    xb_GoTop();
    if (iSeqNo > 1)
        xb_Skip(static_cast<int>(std::min<uint32_t>(iSeqNo - 1, 0x7FFFFFFF)));
    return DBIERR_NONE;
}

DBIResult TEngineGlue::SetToCursor(hDBICur hDest, hDBICur hSrc) {
    int recNo;
    {
        TCursor source(*this, hSrc);
        if (!source)
            return DBIERR_INVALIDHNDL;
        recNo = xb_RecNo();
    }
    TCursor dest(*this, hDest);
    if (!dest)
        return DBIERR_INVALIDHNDL;
    xb_Go(recNo);
    return DBIERR_NONE;
}

DBIResult TEngineGlue::GetRecordCount(hDBICur hCursor, uint32_t& iRecCount) {
    iRecCount = 0;
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    iRecCount = static_cast<uint32_t>(*xb_DBFilter() == '\0' ? xb_RecCount() : xb_QueryRecCount());
    return DBIERR_NONE;
}

DBIResult TEngineGlue::ForceReread(hDBICur) { return DBIERR_NONE; }

DBIResult TEngineGlue::CommitWorkArea(hDBICur hCursor) {
    TCursor cursor(*this, hCursor);
    if (!cursor)
        return DBIERR_INVALIDHNDL;
    xb_Commit();
    return DBIERR_NONE;
}
