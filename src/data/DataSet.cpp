#include "data/DataSet.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "data/DataSource.h"

namespace {
// Runs its action when the scope ends, also by an exception.
template <class F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() noexcept(false) {
        if (std::uncaught_exceptions() > count_) {
            try {
                f_();
            } catch (...) {
            }
        } else {
            f_();
        }
    }

private:
    F f_;
    int count_ = std::uncaught_exceptions();
};

bool isEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert; }
}  // namespace

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    Destroying();
    try {
        SetActive(false);
    } catch (...) {
    }
    // The data sources let go without calling back into a dataset being destroyed.
    std::vector<TDataSource*> sources;
    sources.swap(dataSources_);
    for (TDataSource* source : sources) {
        source->dataSet_ = nullptr;
        source->updateState();
    }
    for (int i = 0; i < fields_.Count(); ++i) fields_[i]->dataSet_ = nullptr;
}

// ---------------------------------------------------------------------------
// Opening and closing

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(SDataSetOpen, this);
}

void TDataSet::SetActive(bool Value) {
    if (Value == Active()) return;
    bool destroying = ComponentState().Contains(csDestroying);
    if (Value) {
        if (BeforeOpen) BeforeOpen(this);
        openCursor();
        SetState(dsBrowse);
        if (AfterOpen) AfterOpen(this);
        if (!IsEmpty()) doAfterScroll();
    } else {
        if (!destroying && BeforeClose) BeforeClose(this);
        // A pending edit is dropped, its record lock released.
        if (isEditMode(state_)) {
            try {
                InternalCancel();
            } catch (...) {
            }
        }
        SetState(dsInactive);
        closeCursor();
        if (!destroying && AfterClose) AfterClose(this);
    }
}

void TDataSet::openCursor() {
    try {
        defaultFields_ = fields_.Count() == 0;
        InternalOpen();
        internalOpenComplete_ = true;
        layoutBuffers();
        updateBufferCount();
        bof_ = true;
    } catch (...) {
        closeCursor();
        throw;
    }
}

void TDataSet::closeCursor() {
    if (IsCursorOpen()) InternalClose();
    BindFields(false);
    if (defaultFields_) DestroyFields();
    buffers_.clear();
    bufferCount_ = 0;
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = eof_ = true;
    internalOpenComplete_ = false;
}

void TDataSet::layoutBuffers() {
    calcFieldsOffset_ = RecordDataSize();
    calcFieldsSize_ = 0;
    for (int i = 0; i < fields_.Count(); ++i) {
        TField* f = fields_[i];
        if (f->FieldKind() == fkData) continue;
        f->offset_ = calcFieldsSize_;
        calcFieldsSize_ += 1 + f->DataSize();
    }
    bookmarkOffset_ = calcFieldsOffset_ + calcFieldsSize_;
    recordBufferSize_ = bookmarkOffset_ + BookmarkSize() + 1;
    tempBuffer_.assign(recordBufferSize_, 0);
}

void TDataSet::CreateFields() {
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const TFieldDef& def = fieldDefs_.Items(i);
        TField* field = createFieldOfType(def.DataType(), this);
        if (!field) continue;
        field->SetFieldName(def.Name());
        if (def.DataType() == ftString) field->SetSize(def.Size());
        field->SetRequired(def.Required());
        field->SetDataSet(this);
    }
}

namespace {
bool isBlobType(TFieldType t) {
    return t == ftBlob || t == ftMemo || t == ftGraphic || t == ftFmtMemo || t == ftParadoxOle ||
           t == ftDBaseOle || t == ftTypedBinary;
}

bool compatibleTypes(TFieldType fieldType, TFieldType defType) {
    if (fieldType == defType) return true;
    if ((fieldType == ftFloat || fieldType == ftCurrency) && (defType == ftFloat || defType == ftCurrency))
        return true;
    return isBlobType(fieldType) && isBlobType(defType);
}
}  // namespace

void TDataSet::BindFields(bool Binding) {
    for (int i = 0; i < fields_.Count(); ++i) {
        TField* field = fields_[i];
        if (!Binding || field->FieldKind() != fkData) {
            field->fieldNo_ = 0;
            continue;
        }
        int index = fieldDefs_.IndexOf(field->FieldName());
        if (index < 0) DatabaseErrorFmt(SFieldNotFound, {field->DisplayName()}, this);
        const TFieldDef& def = fieldDefs_.Items(index);
        if (!compatibleTypes(field->DataType(), def.DataType()))
            DatabaseErrorFmt(SFieldTypeMismatch,
                             {field->DisplayName(), fieldTypeName(field->DataType()), fieldTypeName(def.DataType())},
                             this);
        if (def.DataType() == ftString) field->size_ = def.Size();
        field->fieldNo_ = def.FieldNo();
    }
}

void TDataSet::DestroyFields() {
    std::vector<TField*> own;
    for (int i = 0; i < fields_.Count(); ++i)
        if (fields_[i]->Owner() == this) own.push_back(fields_[i]);
    for (TField* f : own) delete f;
}

TField* TDataSet::FieldByName(const std::string& FieldName) const {
    TField* field = FindField(FieldName);
    if (!field) DatabaseErrorFmt(SFieldNotFound, {FieldName}, this);
    return field;
}

// ---------------------------------------------------------------------------
// State and events

void TDataSet::SetState(TDataSetState Value) {
    if (state_ == Value) return;
    state_ = Value;
    modified_ = false;
    DataEvent(deUpdateState, 0);
}

TDataSet::SavedState TDataSet::setTempState(TDataSetState Value) {
    SavedState saved{state_, modified_, calcBuffer_};
    state_ = Value;
    ++disableCount_;
    return saved;
}

void TDataSet::restoreState(const SavedState& Saved) {
    state_ = Saved.state;
    modified_ = Saved.modified;
    calcBuffer_ = Saved.calcBuffer;
    --disableCount_;
}

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deFieldChange) {
        auto* field = reinterpret_cast<TField*>(Info);
        if (field && field->FieldKind() == fkData) setModified(true);
        updateCalcFields();
    }
    if (!ControlsDisabled()) {
        // Told from a copy, as a handler may add or remove sources; one
        // source, the common case, needs no copy.
        if (dataSources_.size() == 1)
            dataSources_.front()->DataEvent(Event, Info);
        else
            for (TDataSource* source : std::vector<TDataSource*>(dataSources_)) source->DataEvent(Event, Info);
    } else if ((Event == deUpdateState && state_ == dsInactive) || Event == deLayoutChange) {
        enableEvent_ = deLayoutChange;
    }
}

void TDataSet::DisableControls() {
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ == 0) {
        if (disableState_ != state_) DataEvent(deUpdateState, 0);
        if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
    }
}

void TDataSet::setModified(bool Value) { modified_ = Value; }

void TDataSet::doBeforeScroll() {
    if (BeforeScroll) BeforeScroll(this);
}

void TDataSet::doAfterScroll() {
    if (AfterScroll) AfterScroll(this);
}

void TDataSet::DoOnNewRecord() {
    if (OnNewRecord) OnNewRecord(this);
}

void TDataSet::DoOnCalcFields() {
    if (OnCalcFields) OnCalcFields(this);
}

void TDataSet::addDataSource(TDataSource* Source) {
    dataSources_.push_back(Source);
    updateBufferCount();
}

void TDataSet::removeDataSource(TDataSource* Source) {
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), Source), dataSources_.end());
    updateBufferCount();
}

// ---------------------------------------------------------------------------
// Record buffers

uint8_t* TDataSet::ActiveBuffer() const {
    if (buffers_.empty()) return nullptr;
    return bufferAt(activeRecord_);
}

uint8_t* TDataSet::GetActiveRecBuf() const {
    switch (state_) {
        case dsBrowse: return IsEmpty() ? nullptr : ActiveBuffer();
        case dsEdit:
        case dsInsert: return ActiveBuffer();
        case dsCalcFields:
        case dsFilter: return calcBuffer_;
        case dsSetKey: return KeyBuffer();
        default: return nullptr;
    }
}

TBookmarkFlag TDataSet::GetBookmarkFlag(const uint8_t* Buffer) const {
    return static_cast<TBookmarkFlag>(Buffer[bookmarkOffset_ + BookmarkSize()]);
}

void TDataSet::SetBookmarkFlag(uint8_t* Buffer, TBookmarkFlag Value) const {
    Buffer[bookmarkOffset_ + BookmarkSize()] = static_cast<uint8_t>(Value);
}

TBookmark TDataSet::GetBookmarkData(const uint8_t* Buffer) const {
    return TBookmark(reinterpret_cast<const char*>(Buffer + bookmarkOffset_), BookmarkSize());
}

void TDataSet::SetBookmarkData(uint8_t* Buffer, const TBookmark& Data) const {
    std::memset(Buffer + bookmarkOffset_, 0, BookmarkSize());
    std::memcpy(Buffer + bookmarkOffset_, Data.data(), std::min<size_t>(Data.size(), BookmarkSize()));
}

void TDataSet::moveBuffer(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    auto begin = buffers_.begin();
    if (CurIndex < NewIndex)
        std::rotate(begin + CurIndex, begin + CurIndex + 1, begin + NewIndex + 1);
    else
        std::rotate(begin + NewIndex, begin + CurIndex, begin + CurIndex + 1);
    // Keep knowing which buffer holds the cursor's record.
    if (currentRecord_ == CurIndex)
        currentRecord_ = NewIndex;
    else if (CurIndex < NewIndex && currentRecord_ > CurIndex && currentRecord_ <= NewIndex)
        --currentRecord_;
    else if (CurIndex > NewIndex && currentRecord_ >= NewIndex && currentRecord_ < CurIndex)
        ++currentRecord_;
}

void TDataSet::setBufferCount(int Value) {
    if (bufferCount_ == Value) return;
    if (bufferCount_ > Value && recordCount_ > 0) {
        // The records before the active one leave; the active record comes first.
        int delta = activeRecord_;
        std::rotate(buffers_.begin(), buffers_.begin() + delta, buffers_.begin() + recordCount_);
        recordCount_ -= delta;
        currentRecord_ = currentRecord_ >= delta ? currentRecord_ - delta : -1;
        activeRecord_ = 0;
        for (TDataSource* source : dataSources_)
            for (TDataLink* link : source->dataLinks_) link->firstRecord_ = std::max(0, link->firstRecord_ - delta);
        if (recordCount_ > Value) recordCount_ = Value;
        if (currentRecord_ >= recordCount_) currentRecord_ = -1;
    }
    size_t wanted = static_cast<size_t>(Value) + 1;
    while (buffers_.size() > wanted) buffers_.pop_back();
    while (buffers_.size() < wanted) buffers_.push_back(std::make_unique<std::vector<uint8_t>>(recordBufferSize_, 0));
    bufferCount_ = Value;
    if (!ComponentState().Contains(csDestroying)) {
        getNextRecords();
        getPriorRecords();
    }
}

void TDataSet::updateBufferCount() {
    if (!IsCursorOpen() || !internalOpenComplete_) return;
    int count = 1;
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->dataLinks_) count = std::max(count, link->bufferCount_);
    setBufferCount(count);
}

void TDataSet::clearBuffers() {
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = eof_ = true;
}

void TDataSet::activateBuffers() {
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = eof_ = false;
}

void TDataSet::setCurrentRecord(int Index) {
    if (currentRecord_ == Index) return;
    uint8_t* buffer = bufferAt(Index);
    switch (GetBookmarkFlag(buffer)) {
        case bfCurrent:
        case bfInserted: InternalSetToRecord(buffer); break;
        case bfBOF: InternalFirst(); break;
        case bfEOF: InternalLast(); break;
    }
    currentRecord_ = Index;
}

void TDataSet::UpdateCursorPos() {
    if (recordCount_ > 0) setCurrentRecord(activeRecord_);
}

bool TDataSet::getNextRecord() {
    TGetMode mode = gmNext;
    if (recordCount_ > 0) {
        setCurrentRecord(recordCount_ - 1);
        if (state_ == dsInsert && currentRecord_ == activeRecord_ && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    bool ok = GetRecord(bufferAt(recordCount_), mode, true) == grOK;
    if (ok) {
        if (recordCount_ == 0)
            activateBuffers();
        else if (recordCount_ < bufferCount_)
            ++recordCount_;
        else
            moveBuffer(0, recordCount_);
        currentRecord_ = recordCount_ - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::getPriorRecord() {
    if (recordCount_ > 0) setCurrentRecord(0);
    bool ok = GetRecord(bufferAt(recordCount_), gmPrior, true) == grOK;
    if (ok) {
        if (recordCount_ == 0) {
            activateBuffers();
        } else {
            moveBuffer(recordCount_, 0);
            if (recordCount_ < bufferCount_) {
                ++recordCount_;
                ++activeRecord_;
            }
        }
        currentRecord_ = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

int TDataSet::getNextRecords() {
    int count = 0;
    while (recordCount_ < bufferCount_ && getNextRecord()) ++count;
    return count;
}

int TDataSet::getPriorRecords() {
    int count = 0;
    while (recordCount_ < bufferCount_ && getPriorRecord()) ++count;
    return count;
}

// ---------------------------------------------------------------------------
// Navigation

template <class Fill>
void TDataSet::refillFromEnd(bool& AtEnd, Fill fill) {
    CheckBrowseMode();
    doBeforeScroll();
    clearBuffers();
    Finally done([this, &AtEnd] {
        AtEnd = true;
        DataEvent(deDataSetChange, 0);
        doAfterScroll();
    });
    fill();
}

void TDataSet::First() {
    refillFromEnd(bof_, [this] {
        InternalFirst();
        getNextRecord();
        getNextRecords();
    });
}

void TDataSet::Last() {
    refillFromEnd(eof_, [this] {
        InternalLast();
        getPriorRecord();
        getPriorRecords();
    });
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    int result = 0;
    doBeforeScroll();
    if ((Distance > 0 && !eof_) || (Distance < 0 && !bof_)) {
        bof_ = eof_ = false;
        // Positive: the records moved forward through the buffers.
        int scrolled = 0;
        Finally done([&] {
            DataEvent(deDataSetScroll, scrolled);
            doAfterScroll();
        });
        while (Distance > 0) {
            if (activeRecord_ < recordCount_ - 1) {
                ++activeRecord_;
            } else {
                bool full = recordCount_ >= bufferCount_;
                if (!getNextRecord()) {
                    eof_ = true;
                    break;
                }
                if (full) ++scrolled;
                activeRecord_ = recordCount_ - 1;
            }
            --Distance;
            ++result;
        }
        while (Distance < 0) {
            if (activeRecord_ > 0) {
                --activeRecord_;
            } else {
                if (!getPriorRecord()) {
                    bof_ = true;
                    break;
                }
                --scrolled;
                activeRecord_ = 0;
            }
            ++Distance;
            --result;
        }
    }
    return result;
}

void TDataSet::Resync(TResyncMode Mode) {
    uint8_t* spare = bufferAt(recordCount_);
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(SRecordNotFound, this);
    } else if (GetRecord(spare, gmCurrent, false) != grOK) {
        TGetResult next = GetRecord(spare, gmNext, false);
        if (next != grOK) {
            // Past the end the cursor may stand anywhere: ask for the last record.
            if (next == grEOF) InternalLast();
            if (GetRecord(spare, gmPrior, false) != grOK) {
                clearBuffers();
                DataEvent(deDataSetChange, 0);
                return;
            }
        }
    }
    int count = Mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    moveBuffer(recordCount_, 0);
    activateBuffers();
    Finally done([this] { DataEvent(deDataSetChange, 0); });
    while (count > 0 && getPriorRecord()) --count;
    getNextRecords();
    getPriorRecords();
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync({});
}

// ---------------------------------------------------------------------------
// Editing

void TDataSet::initRecord(uint8_t* Buffer) {
    InternalInitRecord(Buffer);
    clearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::clearCalcFields(uint8_t* Buffer) {
    if (calcFieldsSize_ > 0) std::memset(Buffer + calcFieldsOffset_, 0, calcFieldsSize_);
}

void TDataSet::GetCalcFields(uint8_t* Buffer) {
    if (calcFieldsSize_ == 0) return;
    SavedState saved = setTempState(dsCalcFields);
    calcBuffer_ = Buffer;
    Finally restore([&] { restoreState(saved); });
    clearCalcFields(Buffer);
    DoOnCalcFields();
}

void TDataSet::updateCalcFields() {
    if (state_ != dsSetKey && state_ != dsCalcFields && state_ != dsFilter && autoCalcFields_ &&
        calcFieldsSize_ > 0)
        GetCalcFields(ActiveBuffer());
}

bool TDataSet::RecordFilterAccepts(uint8_t* RecBuf) {
    if (!OnFilterRecord) return true;
    SavedState saved = setTempState(dsFilter);
    calcBuffer_ = RecBuf;
    Finally restore([&] { restoreState(saved); });
    bool accept = true;
    OnFilterRecord(this, accept);
    return accept;
}

void TDataSet::SetFiltered(bool Value) {
    if (filtered_ == Value) return;
    filtered_ = Value;
    if (Active()) {
        CheckBrowseMode();
        SetFilterActive(Value);
        First();
    }
}

template <class T>
void TDataSet::changeFilterSetting(T& Setting, const T& Value) {
    if (Setting == Value) return;
    if (Active() && filtered_) CheckBrowseMode();
    T previous = std::exchange(Setting, Value);
    if (Active() && filtered_) {
        try {
            SetFilterText(std::string(filter_));
        } catch (...) {
            Setting = previous;
            throw;
        }
        First();
    }
}

void TDataSet::SetFilter(const std::string& Value) { changeFilterSetting(filter_, Value); }

void TDataSet::SetFilterOptions(TFilterOptions Value) { changeFilterSetting(filterOptions_, Value); }

std::vector<TField*> TDataSet::GetFieldList(const std::string& FieldNames) const {
    std::vector<TField*> list;
    size_t start = 0;
    while (start <= FieldNames.size()) {
        size_t end = FieldNames.find(';', start);
        if (end == std::string::npos) end = FieldNames.size();
        std::string name = Trim(FieldNames.substr(start, end - start));
        if (!name.empty()) list.push_back(FieldByName(name));
        start = end + 1;
    }
    return list;
}

bool TDataSet::Locate(const std::string&, const std::vector<Variant>&, TLocateOptions) {
    DatabaseError("Capability not supported", this);
}

Variant TDataSet::Lookup(const std::string&, const std::vector<Variant>&, const std::string&) {
    DatabaseError("Capability not supported", this);
}

Variant TDataSet::FieldValueInBuffer(TField* Field, uint8_t* Buffer) {
    SavedState saved = setTempState(dsCalcFields);
    calcBuffer_ = Buffer;
    Finally restore([&] { restoreState(saved); });
    return Field->Value();
}

void TDataSet::beginInsertAppend() {
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
    if (BeforeInsert) BeforeInsert(this);
    doBeforeScroll();
}

void TDataSet::endInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        // The handler may have left an edit of its own; drop it cleanly.
        if (isEditMode(state_)) {
            UpdateCursorPos();
            InternalCancel();
            SetState(dsBrowse);
            Resync({});
        }
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange, 0);
    if (AfterInsert) AfterInsert(this);
    doAfterScroll();
}

void TDataSet::Insert() {
    beginInsertAppend();
    TBookmark oldCurrent = GetBookmark();
    moveBuffer(recordCount_, activeRecord_);
    uint8_t* buffer = ActiveBuffer();
    try {
        InternalInsert();
    } catch (...) {
        moveBuffer(activeRecord_, recordCount_);
        throw;
    }
    initRecord(buffer);
    if (recordCount_ == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else
        SetBookmarkData(buffer, oldCurrent);
    if (recordCount_ < bufferCount_) ++recordCount_;
    if (currentRecord_ >= recordCount_) CursorPosChanged();
    endInsertAppend();
}

void TDataSet::Append() {
    beginInsertAppend();
    clearBuffers();
    uint8_t* buffer = bufferAt(0);
    initRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    recordCount_ = 1;
    bof_ = false;
    getPriorRecords();
    InternalLast();
    currentRecord_ = activeRecord_;
    endInsertAppend();
}

void TDataSet::Edit() {
    if (isEditMode(state_)) return;
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
    if (BeforeEdit) BeforeEdit(this);
    InternalEdit();
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    if (AfterEdit) AfterEdit(this);
}

void TDataSet::InternalPost() {
    for (int i = 0; i < fields_.Count(); ++i) {
        TField* field = fields_[i];
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData && field->IsNull())
            DatabaseErrorFmt(SFieldRequired, {field->DisplayName()});
    }
}

void TDataSet::UpdateRecord() {
    if (!isEditMode(state_) && state_ != dsSetKey) DatabaseError(SNotEditing, this);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::PostKeyBuffer(bool) {
    DataEvent(deCheckBrowseMode, 0);
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
}

bool TDataSet::beginEditEnd(bool Commit, const TDataSetNotifyEvent& Before) {
    if (state_ == dsSetKey) {
        PostKeyBuffer(Commit);
        return false;
    }
    if (!isEditMode(state_)) return false;
    DataEvent(deCheckBrowseMode, 0);
    if (Before) Before(this);
    return isEditMode(state_);
}

void TDataSet::Post() {
    UpdateRecord();
    if (!beginEditEnd(true, BeforePost)) return;
    InternalPost();
    SetState(dsBrowse);
    Resync({});
    if (AfterPost) AfterPost(this);
}

void TDataSet::Cancel() {
    if (!beginEditEnd(false, BeforeCancel)) return;
    bool scrolls = state_ == dsInsert;
    if (scrolls) doBeforeScroll();
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    if (AfterCancel) AfterCancel(this);
    if (scrolls) doAfterScroll();
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (recordCount_ == 0) DatabaseError(SDataSetEmpty, this);
    DataEvent(deCheckBrowseMode, 0);
    if (BeforeDelete) BeforeDelete(this);
    doBeforeScroll();
    InternalDelete();
    SetState(dsBrowse);
    Resync({});
    if (AfterDelete) AfterDelete(this);
    doAfterScroll();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (state_ == dsSetKey) {
        Post();
    } else if (isEditMode(state_)) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

// ---------------------------------------------------------------------------
// Bookmarks

TBookmark TDataSet::GetBookmark() const {
    if ((state_ == dsBrowse || isEditMode(state_)) && !IsEmpty() && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
        return GetBookmarkData(ActiveBuffer());
    return {};
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
    if (Bookmark.empty()) return;
    CheckBrowseMode();
    doBeforeScroll();
    InternalGotoBookmark(Bookmark);
    Resync({rmExact, rmCenter});
    doAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() || Bookmark2.empty()) return Bookmark1.empty() == Bookmark2.empty() ? 0 : (Bookmark1.empty() ? -1 : 1);
    return Bookmark1 < Bookmark2 ? -1 : (Bookmark1 == Bookmark2 ? 0 : 1);
}

// ---------------------------------------------------------------------------
// Field data

bool TDataSet::GetFieldData(TField* Field, void* Buffer) const {
    uint8_t* record = GetActiveRecBuf();
    if (!record) return false;
    if (Field->FieldKind() == fkData) return GetRecordFieldData(Field, record, Buffer);
    const uint8_t* value = record + calcFieldsOffset_ + Field->offset_;
    if (!value[0]) return false;
    if (Buffer) std::memcpy(Buffer, value + 1, Field->DataSize());
    return true;
}

void TDataSet::SetFieldData(TField* Field, const void* Buffer) {
    if (!isEditMode(state_) && state_ != dsSetKey && state_ != dsCalcFields && state_ != dsFilter)
        DatabaseError(SNotEditing, this);
    uint8_t* record = GetActiveRecBuf();
    if (state_ == dsSetKey) CheckKeyField(Field);
    if (Field->FieldKind() == fkData) {
        if (state_ == dsCalcFields) DatabaseError(SNotEditing, this);
        if (Field->ReadOnly() && state_ != dsSetKey && state_ != dsFilter)
            DatabaseErrorFmt(SFieldReadOnly, {Field->DisplayName()}, this);
        if (Field->OnValidate) {
            // The handler sees the new value; a refusal puts the old one back.
            std::vector<uint8_t> before(record, record + RecordDataSize());
            SetRecordFieldData(Field, record, Buffer);
            try {
                Field->OnValidate(Field);
            } catch (...) {
                std::memcpy(record, before.data(), before.size());
                throw;
            }
        } else {
            SetRecordFieldData(Field, record, Buffer);
        }
    } else {
        uint8_t* value = record + calcFieldsOffset_ + Field->offset_;
        value[0] = Buffer ? 1 : 0;
        if (Buffer)
            std::memcpy(value + 1, Buffer, Field->DataSize());
        else
            std::memset(value + 1, 0, Field->DataSize());
    }
    if (state_ != dsCalcFields && state_ != dsFilter) {
        DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
        Field->changed();
    }
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* Field, TBlobStreamMode) {
    DatabaseErrorFmt(SFieldAccessError, {Field->DisplayName(), "Blob"}, this);
}
