#include "data/DbTables.h"

#include <algorithm>
#include <cstring>

#include "data/BlobStream.h"
#include "data/LocateExpression.h"

// ---------------------------------------------------------------------------
// Errors

std::string dbiErrorText(DBIResult Status) {
    switch (Status) {
        case DBIERR_LOCKED: return SRecordLocked;
        case DBIERR_FLDTOOWIDE: return "Field value out of range.";
        default: break;
    }
    std::string text;
    if (TDbiEngine* engine = DbiEngine()) engine->GetErrorString(Status, text);
    if (text.empty()) text = "DBI Error : " + IntToStr(Status);
    return text;
}

void Check(DBIResult Status) {
    if (Status != DBIERR_NONE) throw EDBEngineError(Status, dbiErrorText(Status));
}

// ---------------------------------------------------------------------------
// TSession

TSession::TSession(TComponent* AOwner) : TComponent(AOwner) {}

TSession::~TSession() {
    try {
        Close();
    } catch (...) {
    }
}

TDbiEngine& TSession::Engine() const {
    TDbiEngine* engine = DbiEngine();
    if (!engine) DatabaseError(SNoEngine);
    return *engine;
}

void TSession::Open() {
    if (active_) return;
    Check(Engine().EngineInit(nullptr));
    active_ = true;
}

void TSession::Close() {
    if (!active_) return;
    for (TDatabase* db : std::vector<TDatabase*>(databases_)) db->Close();
    active_ = false;
    Engine().EngineExit();
}

TDatabase* TSession::FindDatabase(const std::string& DatabaseName) const {
    for (TDatabase* db : databases_)
        if (SameText(db->DatabaseName(), DatabaseName)) return db;
    return nullptr;
}

TDatabase* TSession::OpenDatabase(const std::string& DatabaseName) {
    TDatabase* db = FindDatabase(DatabaseName);
    if (!db) {
        db = new TDatabase(this);
        db->temporary_ = true;
        db->SetDatabaseName(DatabaseName);
        if (!DatabaseName.empty()) db->Params().SetValues("PATH", DatabaseName);
    }
    db->Open();
    return db;
}

TSession* Session() {
    // Lives as long as the process; the engine is stopped by Close, never
    // from a static destructor.
    static TSession* session = new TSession(nullptr);
    return session;
}

// ---------------------------------------------------------------------------
// TDatabase

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner) { Session()->databases_.push_back(this); }

TDatabase::~TDatabase() {
    try {
        Close();
    } catch (...) {
    }
    for (TDBDataSet* ds : dataSets_) ds->database_ = nullptr;
    auto& list = Session()->databases_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TDatabase::SetDatabaseName(const std::string& Value) {
    if (Connected()) DatabaseError(SDatabaseOpen, this);
    databaseName_ = Value;
}

void TDatabase::SetDriverName(const std::string& Value) {
    if (Connected()) DatabaseError(SDatabaseOpen, this);
    driverName_ = Value;
}

void TDatabase::SetConnected(bool Value) {
    if (Value == Connected()) return;
    if (Value) {
        if (databaseName_.empty() && !temporary_) DatabaseError(SDatabaseNameMissing, this);
        for (TDatabase* other : Session()->databases_)
            if (other != this && other->Connected() && SameText(other->databaseName_, databaseName_))
                DatabaseErrorFmt(SDuplicateDatabaseName, {databaseName_}, this);
        if (BeforeConnect) BeforeConnect(this);
        Session()->Open();
        std::string path = params_.Values("PATH");
        hDBIDb handle = 0;
        Check(Session()->Engine().OpenDatabase(databaseName_.c_str(),
                                               driverName_.empty() ? nullptr : driverName_.c_str(),
                                               dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr,
                                               path.empty() ? nullptr : path.c_str(), handle));
        handle_ = handle;
        if (AfterConnect) AfterConnect(this);
    } else {
        if (BeforeDisconnect) BeforeDisconnect(this);
        for (TDBDataSet* ds : std::vector<TDBDataSet*>(dataSets_)) ds->Close();
        hDBIDb handle = handle_;
        handle_ = 0;
        if (TDbiEngine* engine = DbiEngine()) engine->CloseDatabase(handle);
        if (AfterDisconnect) AfterDisconnect(this);
    }
}

// ---------------------------------------------------------------------------
// TDBDataSet

namespace {

uint32_t recNoOf(const TBookmark& bookmark) {
    uint32_t recNo = 0;
    std::memcpy(&recNo, bookmark.data(), std::min(bookmark.size(), sizeof recNo));
    return recNo;
}

TBookmark bookmarkOf(uint32_t recNo) {
    TBookmark bookmark(sizeof recNo, '\0');
    std::memcpy(bookmark.data(), &recNo, sizeof recNo);
    return bookmark;
}

TFieldType fieldTypeOf(const FLDDesc& desc) {
    switch (desc.iFldType) {
        case fldZSTRING: return ftString;
        case fldDATE: return ftDate;
        case fldBOOL: return ftBoolean;
        case fldINT16: return ftSmallint;
        case fldINT32: return ftInteger;
        case fldFLOAT: return desc.iSubType == fldstMONEY ? ftCurrency : ftFloat;
        case fldBLOB:
            switch (desc.iSubType) {
                case fldstMEMO: return ftMemo;
                case fldstFMTMEMO: return ftFmtMemo;
                case fldstGRAPHIC: return ftGraphic;
                case fldstOLEOBJ:
                case fldstDBSOLEOBJ: return ftDBaseOle;
                case fldstTYPEDBINARY: return ftTypedBinary;
                default: return ftBlob;
            }
        default: return ftUnknown;
    }
}
}  // namespace

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() {
    Destroying();
    try {
        Close();
    } catch (...) {
    }
}

void TDBDataSet::SetDatabaseName(const std::string& Value) {
    CheckInactive();
    databaseName_ = Value;
}

void TDBDataSet::InternalOpen() {
    database_ = Session()->OpenDatabase(databaseName_);
    database_->dataSets_.push_back(this);
    // A cursor that never opened is not closed through InternalClose, so a
    // failed open lets go of the database here.
    try {
        handle_ = CreateHandle();
    } catch (...) {
        detachFromDatabase();
        throw;
    }
    cursorProps_ = CURProps();
    Check(engine().GetCursorProps(handle_, &cursorProps_));
    recordDataSize_ = std::max<int>(cursorProps_.iRecSize, cursorProps_.iRecBufSize);
    InternalInitFieldDefs();
    textSpans_.clear();
    for (int i = 0; i < FieldDefs().Count(); ++i) {
        const int number = FieldDefs().Items(i).FieldNo();
        if (number <= 0) continue;
        TTextSpan span;
        if (!engine().StoredTextSpan(handle_, static_cast<uint16_t>(number), span.Offset, span.Width)) continue;
        if (textSpans_.size() < static_cast<size_t>(number)) textSpans_.resize(static_cast<size_t>(number));
        textSpans_[static_cast<size_t>(number) - 1] = span;
    }
    if (DefaultFields()) CreateFields();
    BindFields(true);
    PrepareCursor();
    if (Filtered()) {
        installExprFilter();
        installRecordFilter();
    }
    InternalFirst();
}

void TDBDataSet::InternalClose() {
    dropRecordFilter();
    dropExprFilter();
    textSpans_.clear();
    hDBICur handle = handle_;
    handle_ = 0;
    if (TDbiEngine* e = DbiEngine()) e->CloseCursor(handle);
    detachFromDatabase();
}

void TDBDataSet::detachFromDatabase() {
    if (database_) {
        auto& list = database_->dataSets_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    database_ = nullptr;
}

void TDBDataSet::InternalInitFieldDefs() {
    std::vector<FLDDesc> descs;
    Check(engine().DbiGetFieldDescs(handle_, descs));
    FieldDefs().Clear();
    for (const FLDDesc& desc : descs) {
        TFieldType type = fieldTypeOf(desc);
        if (type == ftUnknown) continue;
        // A number's size is its width in the record.
        int size = type == ftString || type == ftFloat || type == ftCurrency ? desc.iUnits1 : 0;
        TFieldDef& def = FieldDefs().Add(std::string(desc.szName, strnlen(desc.szName, sizeof desc.szName)), type,
                                         size, false);
        def.SetFieldNo(desc.iFldNum);
        if (type == ftFloat || type == ftCurrency) def.SetPrecision(desc.iUnits2);
    }
}

bool TDBDataSet::hiddenDeleted(const uint8_t* RecBuf) const {
    if (RecBuf[0] != '*') return false;
    // Asked now, not at open: the engine's setting may change while the
    // cursor is open (the full-text rebuild shows deleted records for its walk).
    CURProps props;
    return engine().GetCursorProps(handle_, &props) != DBIERR_NONE || !props.bDeletedOn;
}

TGetResult TDBDataSet::GetRecord(uint8_t* Buffer, TGetMode GetMode, bool DoCheck) {
    RECProps props;
    DBIResult status = DBIERR_NONE;
    switch (GetMode) {
        case gmCurrent: status = engine().GetCurrentRecord(handle_, dbiNOLOCK, Buffer, &props); break;
        case gmNext: status = engine().GetNextRecord(handle_, dbiNOLOCK, Buffer, &props); break;
        case gmPrior: status = engine().GetPriorRecord(handle_, dbiNOLOCK, Buffer, &props); break;
    }
    if (status == DBIERR_EOF) return grEOF;
    if (status == DBIERR_BOF) return grBOF;
    if (status != DBIERR_NONE) {
        if (DoCheck) Check(status);
        return grError;
    }
    // A record just deleted is still the engine's current one; it is gone
    // for the dataset all the same.
    if (GetMode == gmCurrent && hiddenDeleted(Buffer)) return grError;
    SetBookmarkData(Buffer, bookmarkOf(props.iPhyRecNum));
    SetBookmarkFlag(Buffer, bfCurrent);
    GetCalcFields(Buffer);
    return grOK;
}

void TDBDataSet::InternalFirst() { Check(engine().SetToBegin(handle_)); }

void TDBDataSet::InternalLast() { Check(engine().SetToEnd(handle_)); }

void TDBDataSet::InternalInitRecord(uint8_t* Buffer) { Check(engine().InitRecord(handle_, Buffer)); }

void TDBDataSet::InternalEdit() {
    UpdateCursorPos();
    RECProps props;
    Check(engine().GetCurrentRecord(handle_, dbiWRITELOCK, ActiveBuffer(), &props));
    // Another user deleted the record since it was read: editing it would
    // write into a record nobody sees again.
    if (hiddenDeleted(ActiveBuffer())) {
        engine().ReleaseRecordLock(handle_, false);
        Resync({});
        DatabaseError(SRecordDeleted);
    }
}

void TDBDataSet::InternalPost() {
    TDataSet::InternalPost();
    uint8_t* buffer = ActiveBuffer();
    if (State() == dsEdit) {
        UpdateCursorPos();
        Check(engine().ModifyRecord(handle_, buffer, true));
    } else {
        Check(engine().AppendRecord(handle_, buffer, true));
    }
    freeBlobs(buffer);
}

void TDBDataSet::InternalCancel() {
    if (State() == dsEdit) engine().ReleaseRecordLock(handle_, false);
    freeBlobs(ActiveBuffer());
}

void TDBDataSet::InternalDelete() {
    UpdateCursorPos();
    // Another user's lock on the record refuses the delete.
    if (State() != dsEdit) {
        std::vector<uint8_t> scratch(RecordBufferSize());
        Check(engine().GetCurrentRecord(handle_, dbiWRITELOCK, scratch.data(), nullptr));
    }
    DBIResult status = engine().DeleteRecord(handle_, ActiveBuffer());
    engine().ReleaseRecordLock(handle_, false);
    freeBlobs(ActiveBuffer());
    Check(status);
}

void TDBDataSet::InternalRefresh() { Check(engine().ForceReread(handle_)); }

void TDBDataSet::InternalSetToRecord(uint8_t* Buffer) {
    TBookmark bookmark = GetBookmarkData(Buffer);
    Check(engine().SetToBookMark(handle_, reinterpret_cast<const uint8_t*>(bookmark.data())));
}

void TDBDataSet::InternalGotoBookmark(const TBookmark& Bookmark) {
    TBookmark bookmark = bookmarkOf(recNoOf(Bookmark));
    Check(engine().SetToBookMark(handle_, reinterpret_cast<const uint8_t*>(bookmark.data())));
}

bool TDBDataSet::BookmarkValid(const TBookmark& Bookmark) {
    if (!Active() || Bookmark.size() != 4) return false;
    CursorPosChanged();
    if (engine().SetToBookMark(handle_, reinterpret_cast<const uint8_t*>(Bookmark.data())) != DBIERR_NONE)
        return false;
    std::vector<uint8_t> scratch(RecordBufferSize());
    RECProps props;
    if (engine().GetCurrentRecord(handle_, dbiNOLOCK, scratch.data(), &props) != DBIERR_NONE) return false;
    return props.iPhyRecNum == recNoOf(Bookmark) && !hiddenDeleted(scratch.data());
}

int TDBDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) {
    if (Bookmark1.empty() || Bookmark2.empty() || !Active())
        return TDataSet::CompareBookmarks(Bookmark1, Bookmark2);
    CursorPosChanged();
    CMPBkMkRslt result = CMPEQL;
    Check(engine().CompareBookMarks(handle_, reinterpret_cast<const uint8_t*>(Bookmark1.data()),
                                    reinterpret_cast<const uint8_t*>(Bookmark2.data()), result));
    return result == CMPLESS ? -1 : (result == CMPGTR ? 1 : 0);
}

bool TDBDataSet::GetRecordFieldData(TField* Field, const uint8_t* RecBuf, void* Buffer) const {
    // Text fields, most of what is read, straight from the record as the engine reads them.
    const size_t number = static_cast<size_t>(Field->FieldNo());
    if (number > 0 && number <= textSpans_.size() && textSpans_[number - 1].Width > 0 && RecBuf) {
        const TTextSpan span = textSpans_[number - 1];
        return !TDbiEngine::ReadStoredText(reinterpret_cast<const char*>(RecBuf) + span.Offset, span.Width, Buffer);
    }
    bool blank = false;
    Check(engine().GetField(handle_, static_cast<uint16_t>(Field->FieldNo()), RecBuf, Buffer, blank));
    return !blank;
}

void TDBDataSet::SetRecordFieldData(TField* Field, uint8_t* RecBuf, const void* Buffer) {
    Check(engine().PutField(handle_, static_cast<uint16_t>(Field->FieldNo()), RecBuf, Buffer));
}

int TDBDataSet::GetRecNo() const {
    const uint8_t* buffer = GetActiveRecBuf();
    if (!buffer || GetBookmarkFlag(buffer) != bfCurrent) return -1;
    return static_cast<int>(recNoOf(GetBookmarkData(buffer)));
}

void TDBDataSet::SetRecNoValue(int Value) {
    CheckBrowseMode();
    if (Value == RecNo()) return;
    GotoBookmark(bookmarkOf(static_cast<uint32_t>(Value)));
}

int TDBDataSet::GetRecordCount() const {
    CheckActive();
    uint32_t count = 0;
    Check(engine().GetRecordCount(handle_, count));
    return static_cast<int>(count);
}

void TDBDataSet::freeBlobs(uint8_t* RecBuf) {
    if (!RecBuf) return;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields()[i];
        if (field->IsBlob() && field->FieldNo() > 0)
            engine().FreeBlob(handle_, RecBuf, static_cast<uint16_t>(field->FieldNo()));
    }
}

int16_t TDBDataSet::filterRecordCallback(uintptr_t ClientData, uint8_t* RecBuf, uint32_t) {
    auto* self = reinterpret_cast<TDBDataSet*>(ClientData);
    try {
        return self->RecordFilterAccepts(RecBuf) ? 1 : 0;
    } catch (...) {
        // An exception must not cross the engine; the record is shown.
        return 1;
    }
}

void TDBDataSet::installRecordFilter() {
    if (!OnFilterRecord || recordFilter_ > 0) return;
    hDBIFilter filter = 0;
    Check(engine().AddFilter(handle_, reinterpret_cast<uintptr_t>(this), 1, false, nullptr, &filterRecordCallback,
                             filter));
    if (filter <= 0) return;
    recordFilter_ = filter;
    Check(engine().ActivateFilter(handle_, recordFilter_));
}

void TDBDataSet::dropRecordFilter() {
    if (recordFilter_ <= 0) return;
    if (TDbiEngine* e = DbiEngine()) e->DropFilter(handle_, recordFilter_);
    recordFilter_ = 0;
}

void TDBDataSet::installExprFilter() {
    if (Filter().empty() || exprFilter_ > 0) return;
    hDBIFilter filter = 0;
    Check(engine().AddFilter(handle_, reinterpret_cast<uintptr_t>(this), 0, false, Filter().c_str(), nullptr, filter,
                             FilterOptions().Contains(foNoPartialCompare)));
    // With every filter entry taken the engine hands out no usable handle.
    if (filter <= 0) return;
    exprFilter_ = filter;
    DBIResult status = engine().ActivateFilter(handle_, exprFilter_);
    if (status != DBIERR_NONE) {
        dropExprFilter();
        Check(status);
    }
}

void TDBDataSet::dropExprFilter() {
    if (exprFilter_ <= 0) return;
    if (TDbiEngine* e = DbiEngine()) e->DropFilter(handle_, exprFilter_);
    exprFilter_ = 0;
}

void TDBDataSet::SetFilterActive(bool Value) {
    if (Value) {
        installExprFilter();
        installRecordFilter();
    } else {
        dropRecordFilter();
        dropExprFilter();
    }
}

void TDBDataSet::SetFilterText(const std::string&) {
    // The new filter goes in before the old one leaves, so a refused text
    // leaves the old filter in force.
    hDBIFilter old = exprFilter_;
    exprFilter_ = 0;
    try {
        installExprFilter();
    } catch (...) {
        exprFilter_ = old;
        throw;
    }
    if (old > 0) engine().DropFilter(handle_, old);
}

bool TDBDataSet::locateRecord(const std::string& Expression, uint8_t* Buffer) {
    CursorPosChanged();
    hDBIFilter filter = 0;
    Check(engine().AddFilter(handle_, reinterpret_cast<uintptr_t>(this), 2, false, Expression.c_str(), nullptr,
                             filter));
    if (filter <= 0) return false;
    DBIResult status = engine().ActivateFilter(handle_, filter);
    RECProps props;
    if (status == DBIERR_NONE) status = engine().GetNextRecord(handle_, dbiNOLOCK, Buffer, &props);
    engine().DropFilter(handle_, filter);
    if (status == DBIERR_EOF || status == DBIERR_BOF) return false;
    Check(status);
    return true;
}

bool TDBDataSet::Locate(const std::string& KeyFields, const std::vector<Variant>& KeyValues,
                        TLocateOptions Options) {
    CheckBrowseMode();
    std::string expression = xBaseLocateExpression(GetFieldList(KeyFields), KeyValues,
                                                    Options.Contains(loCaseInsensitive),
                                                    Options.Contains(loPartialKey));
    DoBeforeScroll();
    std::vector<uint8_t> scratch(RecordBufferSize());
    if (!locateRecord(expression, scratch.data())) return false;
    Resync({rmExact, rmCenter});
    DoAfterScroll();
    return true;
}

Variant TDBDataSet::Lookup(const std::string& KeyFields, const std::vector<Variant>& KeyValues,
                           const std::string& ResultFields) {
    CheckBrowseMode();
    std::vector<TField*> results = GetFieldList(ResultFields);
    std::string expression = xBaseLocateExpression(GetFieldList(KeyFields), KeyValues, false, false);
    std::vector<uint8_t> scratch(RecordBufferSize());
    if (!locateRecord(expression, scratch.data())) return {};
    GetCalcFields(scratch.data());
    if (results.size() == 1) return FieldValueInBuffer(results[0], scratch.data());
    std::vector<Variant> values;
    for (TField* field : results) values.push_back(FieldValueInBuffer(field, scratch.data()));
    return Variant::Array(std::move(values));
}

std::unique_ptr<TStream> TDBDataSet::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
    if (!Field->IsBlob() || Field->FieldKind() != fkData)
        DatabaseErrorFmt(SFieldAccessError, {Field->DisplayName(), "Blob"}, this);
    return std::make_unique<TBlobStream>(Field, Mode);
}

// ---------------------------------------------------------------------------
// TTable

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner) {}

TTable::~TTable() {
    Destroying();
    try {
        Close();
    } catch (...) {
    }
}

void TTable::SetTableName(const std::string& Value) {
    CheckInactive();
    tableName_ = Value;
}

void TTable::SetTableType(TTableType Value) {
    CheckInactive();
    tableType_ = Value;
}

std::string TTable::TableTypeName() const {
    static const char* const names[] = {"PARADOX", "PARADOX", "DBASE", "ASCIIDRV", "SXNTX", "SXFOX", "SXNSX"};
    if (tableType_ == ttDefault) {
        size_t dot = tableName_.find_last_of(".\\/:");
        std::string ext = dot != std::string::npos && tableName_[dot] == '.' ? tableName_.substr(dot) : "";
        if (SameText(ext, ".DBF")) return names[ttSXFOX];
        if (SameText(ext, ".TXT")) return names[ttASCII];
    }
    return names[tableType_];
}

bool TTable::IsDBaseTable() const {
    if (tableType_ == ttDBase || tableType_ == ttSXNTX || tableType_ == ttSXFOX || tableType_ == ttSXNSX)
        return true;
    return tableType_ == ttDefault && TableTypeName() == "SXFOX";
}

void TTable::SetReadOnly(bool Value) {
    CheckInactive();
    readOnly_ = Value;
}

void TTable::SetExclusive(bool Value) {
    CheckInactive();
    exclusive_ = Value;
}

hDBICur TTable::CreateHandle() {
    if (tableName_.empty()) DatabaseError(SNoTableName, this);
    std::string driver = TableTypeName();
    hDBICur handle = 0;
    DBIResult status = engine().OpenTable(DBHandle(), tableName_.c_str(), driver.c_str(), indexName_.c_str(),
                                          indexName_.c_str(), 0, readOnly_ ? dbiREADONLY : dbiREADWRITE,
                                          exclusive_ ? dbiOPENEXCL : dbiOPENSHARED, xltFIELD, false, nullptr,
                                          handle);
    if (status != DBIERR_NONE) throw EDBEngineError(status, dbiErrorText(status) + "\nTable: " + tableName_);
    return handle;
}

void TTable::PrepareCursor() {
    readIndexDefs();
    readIndexFields();
    // The record layout is complete only after opening; the key buffers are
    // made on first use.
    for (TKeyBuffer& key : keyBuffers_) key = TKeyBuffer();
}

TTable::TKeyBuffer& TTable::keyBufferFor(TKeyIndex Index) {
    TKeyBuffer& key = keyBuffers_[Index];
    if (key.data.size() != static_cast<size_t>(RecordBufferSize())) {
        key = TKeyBuffer{std::vector<uint8_t>(RecordBufferSize()), false, false, 0};
        Check(engine().InitRecord(Handle(), key.data.data()));
    }
    return key;
}

void TTable::UpdateIndexDefs() {
    CheckActive();
    readIndexDefs();
    readIndexFields();
}

void TTable::InternalClose() {
    indexFields_.clear();
    TDBDataSet::InternalClose();
}

void TTable::readIndexFields() {
    indexFields_.clear();
    IDXDesc desc;
    if (engine().GetIndexDesc(Handle(), 0, &desc) != DBIERR_NONE) return;
    for (int i = 0; i < desc.iFldsInKey && i < static_cast<int>(desc.aiKeyFld.size()); ++i)
        if (TField* field = Fields().FieldByNumber(desc.aiKeyFld[i])) indexFields_.push_back(field);
}

std::string TTable::IndexFieldNames() const {
    std::string names;
    for (TField* field : indexFields_) names += (names.empty() ? "" : ";") + field->FieldName();
    return names;
}

void TTable::SetIndexFieldNames(const std::string& Value) {
    if (Value.empty()) {
        SetIndexName("");
        return;
    }
    for (int i = 0; i < indexDefs_.Count(); ++i)
        if (SameText(indexDefs_.Items(i).Fields(), Value)) {
            SetIndexName(indexDefs_.Items(i).Name());
            return;
        }
    DatabaseErrorFmt(SNoIndexForFields, {Value}, this);
}

TField* TTable::IndexFields(int Index) const {
    if (Index < 0 || Index >= IndexFieldCount()) DatabaseError(SFieldIndexError, this);
    return indexFields_[Index];
}

uint8_t* TTable::KeyBuffer() const {
    const std::vector<uint8_t>& data = keyBuffers_[keyIndex_].data;
    return data.empty() ? nullptr : const_cast<uint8_t*>(data.data());
}

void TTable::CheckKeyField(TField* Field) {
    if (std::find(indexFields_.begin(), indexFields_.end(), Field) == indexFields_.end())
        DatabaseErrorFmt(SNotIndexField, {Field->DisplayName()}, this);
}

void TTable::checkSetKeyMode() const {
    if (State() != dsSetKey) DatabaseError(SNotEditing, this);
}

void TTable::setKeyBuffer(TKeyIndex Index, bool Clear) {
    CheckBrowseMode();
    if (indexFields_.empty()) DatabaseError(SNoFieldIndexes, this);
    keyIndex_ = Index;
    TKeyBuffer& key = keyBufferFor(Index);
    savedKey_ = key;
    if (Clear) {
        Check(engine().InitRecord(Handle(), key.data.data()));
        key.modified = false;
        key.exclusive = false;
        key.fieldCount = 0;
    }
    SetState(dsSetKey);
    DataEvent(deDataSetChange, 0);
}

void TTable::PostKeyBuffer(bool Commit) {
    DataEvent(deCheckBrowseMode, 0);
    if (Commit)
        currentKey().modified = currentKey().modified || Modified();
    else
        currentKey() = savedKey_;
    SetState(dsBrowse);
    DataEvent(deDataSetChange, 0);
}

void TTable::setKeyFields(TKeyIndex Index, const std::vector<Variant>& Values) {
    if (indexFields_.empty()) DatabaseError(SNoFieldIndexes, this);
    if (Values.size() > indexFields_.size()) DatabaseError(SFieldIndexError, this);
    keyIndex_ = Index;
    TKeyBuffer& key = keyBufferFor(Index);
    Check(engine().InitRecord(Handle(), key.data.data()));
    SavedState saved = setTempState(dsSetKey);
    try {
        for (size_t i = 0; i < Values.size(); ++i) indexFields_[i]->SetValue(Values[i]);
    } catch (...) {
        restoreState(saved);
        throw;
    }
    restoreState(saved);
    key.fieldCount = static_cast<int>(Values.size());
    key.modified = true;
    key.exclusive = false;
}

uint16_t TTable::keyFields(const TKeyBuffer& Buffer) const {
    return static_cast<uint16_t>(Buffer.fieldCount > 0 ? Buffer.fieldCount : IndexFieldCount());
}

void TTable::SetKey() { setKeyBuffer(kiLookup, true); }

void TTable::EditKey() { setKeyBuffer(kiLookup, false); }

bool TTable::GotoKey() {
    CheckBrowseMode();
    DoBeforeScroll();
    CursorPosChanged();
    const TKeyBuffer& key = keyBufferFor(kiLookup);
    DBIResult status = engine().GetRecordForKey(Handle(), false, keyFields(key), 0, key.data.data(), nullptr);
    if (status == DBIERR_RECNOTFOUND) return false;
    Check(status);
    Resync({rmExact, rmCenter});
    DoAfterScroll();
    return true;
}

void TTable::GotoNearest() {
    CheckBrowseMode();
    DoBeforeScroll();
    CursorPosChanged();
    const TKeyBuffer& key = keyBufferFor(kiLookup);
    Check(engine().SetToKey(Handle(), key.exclusive ? keySEARCHGT : keySEARCHGEQ, false, keyFields(key), 0,
                            key.data.data()));
    Resync({rmCenter});
    DoAfterScroll();
}

bool TTable::FindKey(const std::vector<Variant>& KeyValues) {
    CheckBrowseMode();
    setKeyFields(kiLookup, KeyValues);
    return GotoKey();
}

void TTable::FindNearest(const std::vector<Variant>& KeyValues) {
    CheckBrowseMode();
    setKeyFields(kiLookup, KeyValues);
    GotoNearest();
}

bool TTable::KeyExclusive() const {
    if (State() != dsSetKey) DatabaseError(SNotEditing, this);
    return keyBuffers_[keyIndex_].exclusive;
}

void TTable::SetKeyExclusive(bool Value) {
    checkSetKeyMode();
    currentKey().exclusive = Value;
}

int TTable::KeyFieldCount() const {
    if (State() != dsSetKey) DatabaseError(SNotEditing, this);
    return keyBuffers_[keyIndex_].fieldCount;
}

void TTable::SetKeyFieldCount(int Value) {
    checkSetKeyMode();
    currentKey().fieldCount = Value;
}

void TTable::SetRangeStart() { setKeyBuffer(kiRangeStart, true); }
void TTable::SetRangeEnd() { setKeyBuffer(kiRangeEnd, true); }
void TTable::EditRangeStart() { setKeyBuffer(kiRangeStart, false); }
void TTable::EditRangeEnd() { setKeyBuffer(kiRangeEnd, false); }

void TTable::ApplyRange() {
    CheckBrowseMode();
    const TKeyBuffer& low = keyBufferFor(kiRangeStart);
    const TKeyBuffer& high = keyBufferFor(kiRangeEnd);
    CursorPosChanged();
    // An end that was never given leaves the range open on that side.
    Check(engine().SetRange(Handle(), false, low.modified ? keyFields(low) : 0, 0,
                            low.modified ? low.data.data() : nullptr, !low.exclusive,
                            high.modified ? keyFields(high) : 0, 0, high.modified ? high.data.data() : nullptr,
                            !high.exclusive));
    First();
}

void TTable::CancelRange() {
    CheckBrowseMode();
    UpdateCursorPos();
    Check(engine().ResetRange(Handle()));
    for (TKeyIndex index : {kiRangeStart, kiRangeEnd}) keyBuffers_[index].modified = false;
    Resync({});
}

void TTable::SetRange(const std::vector<Variant>& StartValues, const std::vector<Variant>& EndValues) {
    CheckBrowseMode();
    setKeyFields(kiRangeStart, StartValues);
    setKeyFields(kiRangeEnd, EndValues);
    ApplyRange();
}

void TTable::readIndexDefs() {
    indexDefs_.Clear();
    // The tag count is read afresh: an index built on the open table does
    // not show in the properties saved when it opened.
    CURProps props;
    if (engine().GetCursorProps(Handle(), &props) != DBIERR_NONE || props.iIndexes == 0) return;
    std::vector<IDXDesc> descs;
    if (engine().GetIndexDescs(Handle(), descs) != DBIERR_NONE) return;
    for (const IDXDesc& desc : descs) {
        std::string fields;
        for (int i = 0; i < desc.iFldsInKey && i < static_cast<int>(desc.aiKeyFld.size()); ++i) {
            int fieldNo = desc.aiKeyFld[i];
            for (int d = 0; d < FieldDefs().Count(); ++d)
                if (FieldDefs().Items(d).FieldNo() == fieldNo) {
                    if (!fields.empty()) fields += ';';
                    fields += FieldDefs().Items(d).Name();
                }
        }
        TIndexOptions options;
        if (desc.bPrimary) options.Include(ixPrimary);
        if (desc.bUnique) options.Include(ixUnique);
        if (desc.bDescending) options.Include(ixDescending);
        if (desc.bCaseInsensitive) options.Include(ixCaseInsensitive);
        if (desc.bExpIdx) options.Include(ixExpression);
        // An expression over fields (upper(f), joins) still names its fields.
        TIndexDef& def = indexDefs_.Add(desc.szTagName, fields, options);
        if (desc.bExpIdx) def.SetExpression(desc.szKeyExp);
    }
}

void TTable::SetIndexName(const std::string& Value) {
    if (!Active()) {
        indexName_ = Value;
        return;
    }
    CheckBrowseMode();
    UpdateCursorPos();
    hDBICur handle = Handle();
    Check(engine().SwitchToIndex(handle, Value.c_str(), Value.c_str(), 0, true));
    indexName_ = Value;
    readIndexFields();
    // The engine keeps the record; the buffers are filled around it in the new order.
    Resync({});
}
