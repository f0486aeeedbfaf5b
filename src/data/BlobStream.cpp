#include "data/BlobStream.h"

#include <algorithm>

#include "data/DbTables.h"

TBlobStream::TBlobStream(TField* Field, TBlobStreamMode Mode)
    : field_(Field), dataSet_(dynamic_cast<TDBDataSet*>(Field->DataSet())), mode_(Mode) {
    if (!dataSet_) DatabaseErrorFmt(SFieldNoDataSet, {Field->DisplayName()});
    dataSet_->CheckActive();
    TDataSetState state = dataSet_->State();
    bool editing = state == dsEdit || state == dsInsert;
    if (Mode != bmRead) {
        if (!editing) DatabaseError(SNotEditing, dataSet_);
        if (Field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, {Field->DisplayName()}, dataSet_);
    }
    recBuf_ = dataSet_->GetActiveRecBuf();
    // The engine reads a memo of the record it stands on.
    if (state == dsBrowse) dataSet_->UpdateCursorPos();
    if (recBuf_)
        Check(Session()->Engine().OpenBlob(dataSet_->Handle(), recBuf_, fieldNo(),
                                           Mode == bmRead ? dbiBLOBREADONLY : dbiBLOBREADWRITE));
    if (Mode == bmWrite && recBuf_) Truncate();
}

TBlobStream::~TBlobStream() {
    if (!recBuf_ || !dataSet_->Active()) return;
    if (modified_) {
        try {
            dataSet_->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field_));
            field_->changed();
        } catch (...) {
        }
    } else if (dataSet_->State() == dsBrowse) {
        Session()->Engine().FreeBlob(dataSet_->Handle(), recBuf_, fieldNo());
    }
}

int64_t TBlobStream::Read(void* buffer, int64_t count) {
    if (!recBuf_ || count <= 0) return 0;
    uint32_t read = 0;
    DBIResult status = Session()->Engine().GetBlob(dataSet_->Handle(), recBuf_, fieldNo(),
                                                   static_cast<uint32_t>(position_), static_cast<uint32_t>(count),
                                                   buffer, read);
    if (status != DBIERR_NONE && status != DBIERR_ENDOFBLOB && status != DBIERR_BLOBOFFSET) Check(status);
    position_ += read;
    return read;
}

int64_t TBlobStream::Write(const void* buffer, int64_t count) {
    if (mode_ == bmRead) DatabaseError(SNotEditing, dataSet_);
    if (!recBuf_ || count <= 0) return 0;
    Check(Session()->Engine().PutBlob(dataSet_->Handle(), recBuf_, fieldNo(), static_cast<uint32_t>(position_),
                                      static_cast<uint32_t>(count), buffer));
    position_ += count;
    modified_ = true;
    return count;
}

int64_t TBlobStream::Seek(int64_t offset, uint16_t origin) {
    switch (origin) {
        case soFromBeginning: position_ = offset; break;
        case soFromCurrent: position_ += offset; break;
        case soFromEnd: position_ = Size() + offset; break;
        default: break;
    }
    position_ = std::max<int64_t>(position_, 0);
    return position_;
}

int64_t TBlobStream::Size() {
    if (!recBuf_) return 0;
    uint32_t size = 0;
    Check(Session()->Engine().GetBlobSize(dataSet_->Handle(), recBuf_, fieldNo(), size));
    return size;
}

void TBlobStream::SetSize(int64_t newSize) {
    if (mode_ == bmRead) DatabaseError(SNotEditing, dataSet_);
    if (!recBuf_) return;
    Check(Session()->Engine().TruncateBlob(dataSet_->Handle(), recBuf_, fieldNo(), static_cast<uint32_t>(newSize)));
    position_ = std::min(position_, newSize);
    modified_ = true;
}

void TBlobStream::Truncate() { SetSize(position_); }
