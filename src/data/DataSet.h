#pragma once
// TDataSet: the state machine, the ring of record buffers, navigation,
// editing, bookmarks, events and the notification of data sources. It is
// abstract: a descendant supplies the records (TDBDataSet reads them through
// the DBI call set).
//
// Record buffer layout: the record as the descendant keeps it
// (RecordDataSize bytes), then the calculated fields (a not-null byte and the
// native value each), then the bookmark (BookmarkSize bytes) and its flag.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "data/Db.h"
#include "data/FieldDefs.h"
#include "data/Fields.h"
#include "data/Variant.h"

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
// foNoPartialCompare: a text the Filter compares matches only the whole
// value (trailing blanks aside); without it "NAME = 'Sm'" matches "Smith".
enum TFilterOption { foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* AOwner);
    // Closes the dataset, detaches the data sources, frees the fields it made.
    ~TDataSet() override;

    bool Active() const { return state_ != dsInactive && state_ != dsOpening; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return recordCount_ == 0; }
    virtual bool CanModify() const { return true; }

    // ---- Navigation ----
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to Distance records; returns how many it moved.
    int MoveBy(int Distance);
    int RecNo() const { return GetRecNo(); }
    void SetRecNo(int Value) { SetRecNoValue(Value); }
    int RecordCount() const { return GetRecordCount(); }

    // ---- Editing ----
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Posts a modified edit or insert, cancels an unmodified one.
    void CheckBrowseMode();
    // Asks the links to write their pending control values into the record.
    void UpdateRecord();
    // Re-reads the records around the current one from the cursor.
    void Refresh();
    // Re-reads the buffers from the cursor's current position.
    void Resync(TResyncMode Mode);
    // Puts the cursor on the active record (no-op when it already is there).
    void UpdateCursorPos();
    // Forgets which buffer the cursor stands on.
    void CursorPosChanged() { currentRecord_ = -1; }

    // ---- Bookmarks ----
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& Bookmark);
    void FreeBookmark(TBookmark& Bookmark) const { Bookmark.clear(); }
    virtual bool BookmarkValid(const TBookmark& Bookmark);
    // -1, 0 or 1; an empty bookmark sorts first.
    virtual int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    TBookmarkStr Bookmark() const { return GetBookmark(); }
    void SetBookmark(const TBookmarkStr& Value) { GotoBookmark(Value); }

    // ---- Controls ----
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }

    // ---- Fields ----
    TFields& Fields() { return fields_; }
    const TFields& Fields() const { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FindField(const std::string& FieldName) const { return fields_.FindField(FieldName); }
    // Raises "Field '%s' not found".
    TField* FieldByName(const std::string& FieldName) const;
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    bool DefaultFields() const { return defaultFields_; }
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool Value) { autoCalcFields_ = Value; }

    // ---- Filtering and searching ----
    // Filtered shows only the records that pass the Filter text (an xBase
    // expression for the xBase tables) and OnFilterRecord.
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool Value);
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& Value);
    TFilterOptions FilterOptions() const { return filterOptions_; }
    // A change while filtered and open puts the filter in again.
    void SetFilterOptions(TFilterOptions Value);
    // KeyFields separated by ";", one value each. Found: the dataset stands
    // on the first matching record; otherwise it stays where it was.
    virtual bool Locate(const std::string& KeyFields, const std::vector<Variant>& KeyValues,
                        TLocateOptions Options);
    bool Locate(const std::string& KeyFields, const Variant& KeyValue, TLocateOptions Options) {
        return Locate(KeyFields, std::vector<Variant>{KeyValue}, Options);
    }
    // The value of ResultFields in the first matching record, null when none
    // matches; several ";"-separated result fields give an array of their
    // values in that order. The dataset does not move.
    virtual Variant Lookup(const std::string& KeyFields, const std::vector<Variant>& KeyValues,
                           const std::string& ResultFields);
    // The fields named in a ";"-separated list; raises for an unknown name.
    std::vector<TField*> GetFieldList(const std::string& FieldNames) const;

    void CheckActive() const;
    void CheckInactive() const;
    // Tells the data sources (held back while controls are disabled).
    void DataEvent(TDataEvent Event, intptr_t Info);

    // ---- Record buffers (for data links and blob streams) ----
    // The buffer of the record the fields read and write in the current state.
    uint8_t* ActiveBuffer() const;
    // The buffer fields read: depends on the state (calc, filter, key).
    uint8_t* GetActiveRecBuf() const;
    int BufferCount() const { return bufferCount_; }

    // Field access, used by TField.
    virtual bool GetFieldData(TField* Field, void* Buffer) const;
    virtual void SetFieldData(TField* Field, const void* Buffer);
    // A stream over the current record's blob field; the caller frees it.
    virtual std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TFilterRecordEvent OnFilterRecord;

protected:
    // ---- What a descendant supplies ----
    virtual bool IsCursorOpen() const = 0;
    // Opens the cursor, fills the field defs and makes or binds the fields
    // (through CreateFields/BindFields), leaving the cursor before the first record.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual int RecordDataSize() const = 0;
    virtual int BookmarkSize() const { return 4; }
    // Reads a record into Buffer (data, bookmark, flag bfCurrent); with
    // DoCheck engine failures raise, otherwise they give grError.
    virtual TGetResult GetRecord(uint8_t* Buffer, TGetMode GetMode, bool DoCheck) = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalInitRecord(uint8_t* Buffer) = 0;
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // Checks required fields; descendants write the record after it.
    virtual void InternalPost();
    virtual void InternalCancel() {}
    virtual void InternalDelete() = 0;
    virtual void InternalRefresh() {}
    virtual void InternalSetToRecord(uint8_t* Buffer) = 0;
    virtual void InternalGotoBookmark(const TBookmark& Bookmark) = 0;
    // The native value of a data field in a record buffer.
    virtual bool GetRecordFieldData(TField* Field, const uint8_t* RecBuf, void* Buffer) const = 0;
    virtual void SetRecordFieldData(TField* Field, uint8_t* RecBuf, const void* Buffer) = 0;
    virtual int GetRecNo() const { return -1; }
    virtual void SetRecNoValue(int) {}
    virtual int GetRecordCount() const { return -1; }
    virtual void SetFilterActive(bool) {}
    // The Filter text changed while filtered and open.
    virtual void SetFilterText(const std::string&) {}
    // The key buffer being edited in the set-key state; nullptr by default.
    virtual uint8_t* KeyBuffer() const { return nullptr; }
    // Leaves the set-key state, keeping the key values (Commit) or putting
    // back those from before.
    virtual void PostKeyBuffer(bool Commit);
    // Refuses a key value for a field that is not part of the key.
    virtual void CheckKeyField(TField* Field) { (void)Field; }
    void DoBeforeScroll() { doBeforeScroll(); }
    void DoAfterScroll() { doAfterScroll(); }
    // A field's value as stored in a record buffer other than the active one.
    Variant FieldValueInBuffer(TField* Field, uint8_t* Buffer);
    virtual void DoOnNewRecord();
    virtual void DoOnCalcFields();

    // ---- Helpers for descendants ----
    // A state entered for a moment, without telling anyone (calculating,
    // filtering, writing key values).
    struct SavedState {
        TDataSetState state;
        bool modified;
        uint8_t* calcBuffer;
    };
    SavedState setTempState(TDataSetState Value);
    void restoreState(const SavedState& Saved);
    // Makes one field per field def (the default fields), owned by the dataset.
    void CreateFields();
    // Ties every data field to its field def; calculated fields get their place.
    void BindFields(bool Binding);
    void DestroyFields();
    // Calls OnCalcFields for Buffer in the calc-fields state.
    void GetCalcFields(uint8_t* Buffer);
    void SetState(TDataSetState Value);
    // Runs a record callback in the filter state over RecBuf.
    bool RecordFilterAccepts(uint8_t* RecBuf);

    TBookmarkFlag GetBookmarkFlag(const uint8_t* Buffer) const;
    void SetBookmarkFlag(uint8_t* Buffer, TBookmarkFlag Value) const;
    TBookmark GetBookmarkData(const uint8_t* Buffer) const;
    void SetBookmarkData(uint8_t* Buffer, const TBookmark& Data) const;
    int RecordBufferSize() const { return recordBufferSize_; }
    int ActiveRecord() const { return activeRecord_; }
    uint8_t* CalcBuffer() const { return calcBuffer_; }

private:
    friend class TDataLink;
    friend class TDataSource;


    void openCursor();
    void closeCursor();
    // Changes the filter or its options; an active filter is applied anew,
    // and the former setting is put back when the new one is refused.
    template <class T>
    void changeFilterSetting(T& Setting, const T& Value);
    // The start of Post (Commit) and Cancel: a key buffer is posted or
    // dropped; a record being edited is announced and Before runs. True when
    // the record is still being edited then.
    bool beginEditEnd(bool Commit, const TDataSetNotifyEvent& Before);
    // First and Last: the buffers refilled by Fill from one end, then
    // AtEnd (bof_ or eof_) set and the change announced, even on failure.
    template <class Fill>
    void refillFromEnd(bool& AtEnd, Fill fill);
    void doAfterScroll();
    void doBeforeScroll();
    void beginInsertAppend();
    void endInsertAppend();
    void initRecord(uint8_t* Buffer);
    void setModified(bool Value);
    void updateCalcFields();
    void clearCalcFields(uint8_t* Buffer);
    void layoutBuffers();

    // Buffer ring.
    uint8_t* bufferAt(int Index) const { return buffers_[Index]->data(); }
    void moveBuffer(int CurIndex, int NewIndex);
    void setBufferCount(int Value);
    void updateBufferCount();
    void clearBuffers();
    void activateBuffers();
    bool getNextRecord();
    bool getPriorRecord();
    int getNextRecords();
    int getPriorRecords();
    void setCurrentRecord(int Index);

    void addDataSource(TDataSource* Source);
    void removeDataSource(TDataSource* Source);

    TDataSetState state_ = dsInactive;
    bool modified_ = false;
    bool bof_ = true;
    bool eof_ = true;
    bool defaultFields_ = true;
    bool autoCalcFields_ = true;
    bool filtered_ = false;
    std::string filter_;
    TFilterOptions filterOptions_;
    bool internalOpenComplete_ = false;

    std::vector<std::unique_ptr<std::vector<uint8_t>>> buffers_;  // bufferCount_ + 1
    int bufferCount_ = 0;
    int recordCount_ = 0;
    int activeRecord_ = 0;
    int currentRecord_ = -1;
    int recordBufferSize_ = 0;
    int calcFieldsOffset_ = 0;
    int calcFieldsSize_ = 0;
    int bookmarkOffset_ = 0;
    uint8_t* calcBuffer_ = nullptr;
    std::vector<uint8_t> tempBuffer_;

    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;

    TFields fields_;
    TFieldDefs fieldDefs_;
    std::vector<TDataSource*> dataSources_;
};
