#pragma once
// The engine components the application places beside its tables:
// TXbaseEnv holds the engine's process-wide settings; TXbase calls the
// engine directly on the work area of one bound table for what the dataset
// classes do not offer (key seeks, scopes, queries, counts, table creation,
// index building) and makes the dataset show the engine's new position.
#include <cstdint>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "base/Classes.h"
#include "data/DataSource.h"
#include "xbengine/XbCodes.h"

class TTable;
class TXbase;

// ---------------------------------------------------------------------------
// TXbaseEnv

enum TXbaseDateFrmt { dfAmerican, dfAnsi, dfBritish, dfFrench, dfGerman, dfItalian, dfSpanish, dfWinDefault };

inline const std::string SExtraXbaseEnv = "Removing extra TXbaseEnv component";

// The one settings component of the process: a second one raises
// SExtraXbaseEnv and the first keeps its settings. Each setter hands its
// value to the engine; the date settings also set the class library's
// ShortDateFormat and DateSeparator, so controls show dates as the engine reads them.
class TXbaseEnv : public TComponent {
public:
    explicit TXbaseEnv(TComponent* AOwner);
    ~TXbaseEnv() override;

    bool Exact() const { return exact_; }
    void SetExact(bool Value);
    bool Century() const { return century_; }
    void SetCentury(bool Value);
    // 0 is taken as 1900; other values are held to 100..2999.
    int Epoch() const { return epoch_; }
    void SetEpoch(int Value);
    TXbaseDateFrmt DateFormat() const { return dateFormat_; }
    void SetDateFormat(TXbaseDateFrmt Value);
    int LockTimeout() const { return lockTimeout_; }
    void SetLockTimeout(int Value);
    int MemoBlockSize() const { return memoBlockSize_; }
    void SetMemoBlockSize(int Value);
    bool SoftSeek() const { return softSeek_; }
    void SetSoftSeek(bool Value);
    // True hides deleted records.
    bool Deleted() const { return deleted_; }
    void SetDeleted(bool Value);

    // The engine's error level; returns the previous one.
    int ErrorLevel(int Level);

private:
    void applyCentury();

    bool exact_ = false;
    bool century_ = false;
    int epoch_ = 1900;
    TXbaseDateFrmt dateFormat_ = dfWinDefault;
    int lockTimeout_ = 1;
    int memoBlockSize_ = 64;
    bool softSeek_ = false;
    bool deleted_ = false;
};

// ---------------------------------------------------------------------------
// TXbaseDataLink: follows the bound dataset opening and closing, so that the
// component's filter and extra indexes are in force whenever the table is open.

class TXbaseDataLink : public TDataLink {
public:
    explicit TXbaseDataLink(TXbase* AOwner) : owner_(AOwner) {}

protected:
    void ActiveChanged() override;

private:
    TXbase* owner_;
};

// ---------------------------------------------------------------------------
// TXbase

class TXbase : public TComponent {
public:
    explicit TXbase(TComponent* AOwner);
    ~TXbase() override;

    // ---- Seeking and limiting ----
    // Seeks Key in the current order. Found: the dataset stands on the found
    // record. Not found: the dataset is at end of file, whatever the soft-seek setting.
    bool Seek(const std::string& Key);
    // The result of the last seek of the table's work area.
    bool Found();
    // Holds the current order to the keys from Low to High (both inclusive,
    // prefix compare; Low alone: the keys that begin with it); two empty
    // strings clear it. The dataset goes to its first record. True when the
    // engine took the scope.
    bool SetScope(const std::string& Low, const std::string& High);
    // Which XB_SCOPE_LOW or XB_SCOPE_HIGH; "" when none.
    void GetScope(int Which, std::string& Value);
    // An engine filter expression ("" clears it); stored as Filter and
    // applied when the table is open. The engine's result (0 when closed or refused).
    int Query(const std::string& Expression);
    // As Query; also the setter of the Filter property.
    void SetFilter(const std::string& Expression);
    const std::string& Filter() const { return filter_; }

    // ---- Counts and positions ----
    // Records visible under the current scope and filter.
    int Count();
    // All records of the table.
    int RecCount();
    int RecSize();
    // The record number of the dataset's current record (-1 without one).
    int RecNo();
    // True when another user holds the lock of record RecNo.
    bool Locked(int RecNo);
    void Go(int RecNo);
    // A hint that the dataset moves to record RecNo soon: its bytes are
    // fetched towards the processor meanwhile. Moves and reads nothing.
    void Prefetch(int RecNo);
    void GoTop();
    void GoBottom();
    // Moves the dataset Count records (negative: back).
    void Skip(int Count);
    bool Eof();
    // True when the dataset's current record carries the deletion mark.
    bool RecordDeleted();
    // The field's text; a string field is padded with blanks to its full
    // width, as it appears in a key.
    void PaddedFieldValue(const std::string& FieldName, std::string& Value);
    // PaddedFieldValue of each field in turn, appended to Key. Character
    // fields are read straight from the record; where they stand in it is
    // looked up once while the table stays open.
    void AppendPaddedFieldValues(const std::vector<std::string>& FieldNames, std::string& Key);

    // ---- Writing ----
    // Posts a pending edit or insert, then flushes the work area to disk.
    void Commit();
    // Holds the lock of record RecNo for this work area until unlockRecord
    // or the table's close, through posts and deletes of the record: other
    // users' writes of it wait up to the lock time-out. Waits that long
    // itself; false when another user kept it, or the table is not open.
    bool lockRecord(int RecNo);
    // Lets the lock of RecNo go; nothing when this work area does not hold it.
    void unlockRecord(int RecNo);
    // Holds the table's append lock until unlockAppend or the table's close:
    // this work area's appends go ahead, other users' appends wait up to the
    // lock time-out. Waits up to the time-out itself; false when another user
    // kept it that long, or the table is not open.
    bool lockAppend();
    // Lets the append lock go; nothing when this work area does not hold it.
    void unlockAppend();
    // Removes every record (the table must be open exclusively).
    void Zap();
    // Appends the records of another table that satisfy Condition ("" all).
    // Driver: one of the engine's XB_DRIVER_ codes.
    void AppendFrom(const std::string& FileName, int Driver, const std::string& Condition);

    // ---- Creating tables: CreateNew, one CreateField per field, CreateExec ----
    // The new table's work area, 0 when refused.
    int CreateNew(const std::string& FileName, const std::string& Alias, int Driver, int NumFields);
    int CreateNew(const std::string& FileName, int Driver, int NumFields);
    void CreateField(const std::string& Name, const std::string& FieldType, int Width, int Decimals);
    // Writes the table and closes its work area; true when written.
    bool CreateExec();

    // ---- Indexes ----
    // A new index file with one order; the order becomes the table's index.
    // The engine's order number (0 when refused).
    int Index(const std::string& FileName, const std::string& Expression, int Option, bool Descending,
              const std::string& Condition);
    // A new tag in a multi-order index file ("" the table's own); it becomes
    // the table's index. The engine's order number (0 when refused).
    int IndexTag(const std::string& FileName, const std::string& TagName, const std::string& Expression,
                 int Option, bool Descending, const std::string& Condition);
    // Opens another index file; its first order becomes the table's index.
    int IndexOpen(const std::string& FileName);
    // The current order, 0 record order.
    int IndexOrd();
    // Makes Order current (the record stays) and the table's IndexName its
    // tag; the previous order.
    int SetOrder(int Order);
    std::string TagName(int Order);
    // Hears the progress (0..100) of indexes being built; an empty hook stops it.
    void SetGaugeHook(std::function<void(int Percent)> Hook);

    // ---- Engine properties ----
    // Code: one of the engine's XB_SP_ codes.
    intptr_t SysProp(int Code, intptr_t Value);
    // Hides (true) or shows deleted records; the setting is the engine's, for
    // every table of the process. The previous setting.
    bool hideDeleted(bool Hide);
    bool TurboRead() const { return turboRead_; }
    void SetTurboRead(bool Value);

    // ---- Binding ----
    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* Value);
    // Index files opened with the table (a name without extension gets the
    // extension of the table's type).
    TStringList* ExtraIndexes() { return &extraIndexes_; }
    void SetExtraIndexes(const TStrings* Value);

private:
    friend class TXbaseDataLink;

    // The table of the data source's dataset; null when none.
    TTable* linkedTable() const;
    // The bound table when it is open, else null.
    TTable* openTable() const;
    // Call's result in the open table's work area; Closed (nothing for a
    // call without a result) when no table is open.
    template <class T, class Call>
    T inOpenArea(T Closed, Call call) const;
    template <class Call>
    void inOpenArea(Call call) const;
    // An engine move of Table: first a pending edit is posted (or cancelled)
    // and the engine put on the dataset's record, then Step, the engine call,
    // runs in the table's work area. Step's result.
    template <class Step>
    auto engineMove(TTable* Table, Step step);
    // An engine move the dataset then follows (afterMove).
    template <class Step>
    void moved(TTable* Table, Step step);
    // After an engine move: the dataset re-reads from the engine's position.
    void afterMove(TTable* Table);
    // An engine move that opens or makes an index (Step's result: its order,
    // 0 when refused): the table's index settings follow a new order, then
    // the dataset follows the move. The order.
    template <class Step>
    int indexMove(TTable* Table, Step step);
    // The table's index settings follow the order the engine has made current.
    void indexChanged(TTable* Table, int Order);
    void openExtraIndexes();
    void activeChanged();

    TXbaseDataLink dataLink_;
    TStringList extraIndexes_;
    std::string filter_;
    // The last dataset linkedTable cast, its class and the result.
    mutable const TDataSet* castFrom_ = nullptr;
    mutable const std::type_info* castType_ = nullptr;
    mutable TTable* castTable_ = nullptr;
    // Where the character fields AppendPaddedFieldValues read stand in the
    // record (Width 0: read through the field); for placesTable_ while open.
    struct FieldPlace {
        std::string Name;
        int Offset = 0;
        int Width = 0;
    };
    const std::vector<FieldPlace>& fieldPlaces(TTable* Table, const std::vector<std::string>& FieldNames);
    std::vector<FieldPlace> places_;
    const TTable* placesTable_ = nullptr;
    // The work area of the table being defined by CreateNew.
    int newWorkArea_ = 0;
    bool turboRead_ = false;
};
