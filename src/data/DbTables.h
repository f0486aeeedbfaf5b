#pragma once
// The engine side of the dataset classes: the session that starts the
// engine, databases (one directory each), datasets whose records come from an
// engine cursor, and tables.
#include <memory>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/Dbi.h"
#include "data/FieldDefs.h"

// An engine status that became an exception.
class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(DBIResult ErrorCode, std::string Message)
        : EDatabaseError(std::move(Message)), errorCode_(ErrorCode) {}
    const char* ClassName() const override { return "EDBEngineError"; }
    DBIResult ErrorCode() const { return errorCode_; }

private:
    DBIResult errorCode_;
};

// The class library's text for a status: its own texts for the statuses the
// program meets (a refused record lock is "Record locked by another user."),
// otherwise the engine's.
std::string dbiErrorText(DBIResult Status);
// Raises EDBEngineError for a non-zero status.
void Check(DBIResult Status);

class TDatabase;
class TDBDataSet;

class TSession : public TComponent {
public:
    explicit TSession(TComponent* AOwner);
    ~TSession() override;

    bool Active() const { return active_; }
    // Starts the engine once (EngineInit); raises when no engine is registered
    // or the start fails.
    void Open();
    // Closes every database and stops the engine (EngineExit).
    void Close();
    // The registered engine; raises when there is none.
    TDbiEngine& Engine() const;

    int DatabaseCount() const { return static_cast<int>(databases_.size()); }
    TDatabase* Databases(int Index) const { return databases_.at(Index); }
    // Without regard to case; nullptr when absent.
    TDatabase* FindDatabase(const std::string& DatabaseName) const;
    // The database of that name, opened; an unknown name makes a temporary
    // database whose directory is the name itself (empty: the engine's default).
    TDatabase* OpenDatabase(const std::string& DatabaseName);

private:
    friend class TDatabase;
    bool active_ = false;
    std::vector<TDatabase*> databases_;
};

// The process's session.
TSession* Session();

class TDatabase : public TComponent {
public:
    explicit TDatabase(TComponent* AOwner);
    ~TDatabase() override;

    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& Value);
    const std::string& DriverName() const { return driverName_; }
    void SetDriverName(const std::string& Value);
    // "PATH=<directory>" names the database's directory.
    TStringList& Params() { return params_; }
    bool Connected() const { return handle_ != 0; }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    // Closes the datasets that use it first.
    void Close() { SetConnected(false); }
    hDBIDb Handle() const { return handle_; }
    bool Temporary() const { return temporary_; }
    bool KeepConnection() const { return keepConnection_; }
    void SetKeepConnection(bool Value) { keepConnection_ = Value; }
    int DataSetCount() const { return static_cast<int>(dataSets_.size()); }
    TDBDataSet* DataSets(int Index) const { return dataSets_.at(Index); }

    TNotifyEvent AfterConnect, BeforeConnect, AfterDisconnect, BeforeDisconnect;

private:
    friend class TSession;
    friend class TDBDataSet;

    std::string databaseName_;
    std::string driverName_;
    TStringList params_;
    hDBIDb handle_ = 0;
    bool temporary_ = false;
    bool keepConnection_ = true;
    std::vector<TDBDataSet*> dataSets_;
};

// A dataset whose records come from an engine cursor.
class TDBDataSet : public TDataSet {
public:
    explicit TDBDataSet(TComponent* AOwner);
    ~TDBDataSet() override;

    // A TDatabase's name, or a directory path (a temporary database).
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& Value);
    TDatabase* Database() const { return database_; }
    hDBIDb DBHandle() const { return database_ ? database_->Handle() : 0; }
    // The engine cursor (for the xBase engine: the work area); 0 when closed.
    hDBICur Handle() const { return handle_; }
    const CURProps& CursorProps() const { return cursorProps_; }

    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    std::unique_ptr<TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode) override;
    bool Locate(const std::string& KeyFields, const std::vector<Variant>& KeyValues,
                TLocateOptions Options) override;
    using TDataSet::Locate;
    Variant Lookup(const std::string& KeyFields, const std::vector<Variant>& KeyValues,
                   const std::string& ResultFields) override;

protected:
    // Opens the engine cursor.
    virtual hDBICur CreateHandle() = 0;
    // Runs after the cursor and its fields are set up.
    virtual void PrepareCursor() {}
    TDbiEngine& engine() const { return Session()->Engine(); }

    bool IsCursorOpen() const override { return handle_ != 0; }
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    int RecordDataSize() const override { return recordDataSize_; }
    TGetResult GetRecord(uint8_t* Buffer, TGetMode GetMode, bool DoCheck) override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalInitRecord(uint8_t* Buffer) override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    void InternalSetToRecord(uint8_t* Buffer) override;
    void InternalGotoBookmark(const TBookmark& Bookmark) override;
    bool GetRecordFieldData(TField* Field, const uint8_t* RecBuf, void* Buffer) const override;
    void SetRecordFieldData(TField* Field, uint8_t* RecBuf, const void* Buffer) override;
    int GetRecNo() const override;
    void SetRecNoValue(int Value) override;
    int GetRecordCount() const override;
    void SetFilterActive(bool Value) override;
    void SetFilterText(const std::string& Value) override;

private:
    friend class TDatabase;
    static int16_t filterRecordCallback(uintptr_t ClientData, uint8_t* RecBuf, uint32_t PhysicalRecNo);
    bool hiddenDeleted(const uint8_t* RecBuf) const;
    void freeBlobs(uint8_t* RecBuf);
    void installRecordFilter();
    void dropRecordFilter();
    void installExprFilter();
    void dropExprFilter();
    void detachFromDatabase();
    // Finds the first record matching the expression into Buffer.
    bool locateRecord(const std::string& Expression, uint8_t* Buffer);

    std::string databaseName_;
    TDatabase* database_ = nullptr;
    hDBICur handle_ = 0;
    CURProps cursorProps_;
    int recordDataSize_ = 0;
    // By field number less one: where a field read as stored text stands in
    // the record (width 0: read through the engine).
    struct TTextSpan {
        uint16_t Offset = 0;
        uint16_t Width = 0;
    };
    std::vector<TTextSpan> textSpans_;
    hDBIFilter recordFilter_ = 0;
    hDBIFilter exprFilter_ = 0;
};

enum TTableType { ttDefault, ttParadox, ttDBase, ttASCII, ttSXNTX, ttSXFOX, ttSXNSX };

class TTable : public TDBDataSet {
public:
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& Value);
    TTableType TableType() const { return tableType_; }
    void SetTableType(TTableType Value);
    // The driver name handed to the engine for this table's type.
    std::string TableTypeName() const;
    // ttDBase, the xBase types, and ttDefault with a ".DBF" name.
    bool IsDBaseTable() const;
    const std::string& IndexName() const { return indexName_; }
    // On an open table the order changes and the current record stays.
    void SetIndexName(const std::string& Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool Value);
    TIndexDefs& IndexDefs() { return indexDefs_; }
    // Reads the index definitions and the current index's fields again (after
    // an index was built on the open table).
    void UpdateIndexDefs();
    bool CanModify() const override { return Active() && !readOnly_; }

    // ---- The current index and searches on its key ----
    // The fields of the current index, ";"-separated; setting it chooses the
    // index of IndexDefs whose fields these are.
    std::string IndexFieldNames() const;
    void SetIndexFieldNames(const std::string& Value);
    int IndexFieldCount() const { return static_cast<int>(indexFields_.size()); }
    // Raises "Field index out of range" for a bad index.
    TField* IndexFields(int Index) const;

    // Key values are assigned to the index fields in the set-key state and
    // used by the next GotoKey/GotoNearest (or range) call.
    void SetKey();
    void EditKey();
    bool GotoKey();
    void GotoNearest();
    // With fewer values than index fields the first ones form a partial key.
    bool FindKey(const std::vector<Variant>& KeyValues);
    void FindNearest(const std::vector<Variant>& KeyValues);
    // In the set-key state: the key excludes equal keys (GotoNearest goes
    // past them); the number of key fields used (0: all).
    bool KeyExclusive() const;
    void SetKeyExclusive(bool Value);
    int KeyFieldCount() const;
    void SetKeyFieldCount(int Value);

    void SetRangeStart();
    void SetRangeEnd();
    void EditRangeStart();
    void EditRangeEnd();
    void ApplyRange();
    void CancelRange();
    void SetRange(const std::vector<Variant>& StartValues, const std::vector<Variant>& EndValues);

protected:
    hDBICur CreateHandle() override;
    void PrepareCursor() override;
    void InternalClose() override;
    uint8_t* KeyBuffer() const override;
    void PostKeyBuffer(bool Commit) override;
    void CheckKeyField(TField* Field) override;

private:
    enum TKeyIndex { kiLookup, kiRangeStart, kiRangeEnd, kiCount };
    struct TKeyBuffer {
        std::vector<uint8_t> data;
        bool modified = false;
        bool exclusive = false;
        int fieldCount = 0;
    };

    void readIndexDefs();
    void readIndexFields();
    void setKeyBuffer(TKeyIndex Index, bool Clear);
    void setKeyFields(TKeyIndex Index, const std::vector<Variant>& Values);
    void checkSetKeyMode() const;
    uint16_t keyFields(const TKeyBuffer& Buffer) const;
    TKeyBuffer& currentKey() { return keyBuffers_[keyIndex_]; }
    TKeyBuffer& keyBufferFor(TKeyIndex Index);

    std::string tableName_;
    TTableType tableType_ = ttDefault;
    std::string indexName_;
    bool readOnly_ = false;
    bool exclusive_ = false;
    TIndexDefs indexDefs_;
    std::vector<TField*> indexFields_;
    TKeyBuffer keyBuffers_[kiCount];
    TKeyBuffer savedKey_;
    TKeyIndex keyIndex_ = kiLookup;
};
