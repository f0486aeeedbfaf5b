#pragma once
// TQmTable: the table class of the company tables. A TTable with the
// lookup-aware lists (LookupFields, LookupLinks, ControlType), a filter given
// as text lines, a per-record filter event, and a key search that accepts
// lookup values and leaves the table where it is when the current record
// already matches. TQmMemoStream reads the current record's memo;
// TQmDataSource connects these tables to controls.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/Streams.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "xbase/Qmqbe.h"

class TQmTable;

using TQmTableFilterEvent = std::function<void(TQmTable* Table, bool& Accept)>;

inline const std::string SFailToSetFilter = "Fail to set filter";

class TQmTable : public TQmLookupDataSet<TTable> {
public:
    explicit TQmTable(TComponent* AOwner);
    // Frees the lookup tables it opened.
    ~TQmTable() override;

    // Filter condition lines, joined with AND. Set on an open table the
    // filter is installed at once; a refused one shows "Fail to set filter"
    // and leaves the table unfiltered.
    TStringList* qmFilter() { return &qmFilter_; }
    void SetqmFilter(const TStrings* Value);
    // The lines as one condition: trailing blanks and tabs removed, empty
    // lines skipped, the first line as it is, each further one " AND (line)".
    std::string qmFilterText() const;

    bool SyncSQLByRange() const { return syncSQLByRange_; }
    void SetSyncSQLByRange(bool Value) { syncSQLByRange_ = Value; }
    bool NarrowSearch() const { return narrowSearch_; }
    void SetNarrowSearch(bool Value) { narrowSearch_ = Value; }

    // The per-record filter: a record shows when the handler leaves Accept
    // true. Setting it installs the engine's record callback on an open
    // table; clearing it removes it. Refresh the table to see the change.
    const TQmTableFilterEvent& OnFilter() const { return onFilter_; }
    void SetOnFilter(TQmTableFilterEvent Value);

    // Key search on the current index by 1 or more values. True without
    // moving when the current record already matches (texts compared
    // without case). More values than index fields: a warning and false.
    bool FindKey(const std::vector<Variant>& KeyValues);
    // The current record's index fields hold the values (lower-cased texts).
    bool CurrentRecordMatches(const std::vector<Variant>& KeyValues) const;

    bool IsDBaseTable() const;
    bool IsParadoxTable() const;

protected:
    void PrepareCursor() override;
    void InternalClose() override;

private:
    static int16_t filterCallback(uintptr_t ClientData, uint8_t* RecBuf, uint32_t PhysicalRecNo);
    bool filterAccepts(uint8_t* RecBuf);
    // Installs the qmFilter text on the open table; false when refused
    // (the table is then unfiltered).
    bool installFilterText();
    void dropFilterText();
    void installRecordCallback();
    void dropRecordCallback();
    std::vector<std::string> filterLines() const;
    std::string joinedFilterLines(const std::string& AndWord, bool GroupFirst) const;
    // What is installed: every line in parentheses, so an OR in the first
    // cannot swallow the others; joined with ".and." for the xBase types,
    // whose engine reads xBase conditions, and "AND" for the parser.
    std::string installedFilterText() const;
    // The xBase condition for a table type the engine does not read filter
    // text of directly; raises for a text the parser refuses.
    std::string translatedFilter(const std::string& Text);

    TStringList qmFilter_;
    bool syncSQLByRange_ = true;
    bool narrowSearch_ = false;
    TQmTableFilterEvent onFilter_;
    hDBIFilter exprFilter_ = 0;
    hDBIFilter recordFilter_ = 0;
    // The record handed to the current OnFilter call, in a full record buffer.
    std::vector<uint8_t> filterRecord_;
    bool destroying_ = false;
};

// ---------------------------------------------------------------------------
// The data source the lookup-aware tables are paired with; it behaves as the
// class library's data source.

class TQmDataSource : public TDataSource {
public:
    using TDataSource::TDataSource;
};

// ---------------------------------------------------------------------------
// Free routines of the table unit.

namespace Qmtable {

// Qmqbe::FindNearestText for a TQmTable; false for other datasets.
bool FindNearest(TDataSet* Table, const std::string& Text, int Position);
// Switches Table, keeping the record, to an index whose first field is the
// field before the first tab of Selected's first line (case-insensitive
// indexes first). True when such an index exists; false for empty Selected.
bool SelectIndexForFirstField(TTable* Table, const TStrings& Selected);
// The same for an index whose fields begin with the ";"-separated FieldList.
bool SelectIndexForFields(TTable* Table, const std::string& FieldList);
// The current record's field text equals Value: exactly when Exact is set,
// else without regard to case.
bool CompareFieldText(TDataSet* Table, const std::string& FieldName, const std::string& Value, bool Exact);

}  // namespace Qmtable

// ---------------------------------------------------------------------------
// A read-only stream over one memo or blob field of the current record.

class TQmMemoStream : public TStream {
public:
    explicit TQmMemoStream(TField* Field);
    ~TQmMemoStream() override;
    TQmMemoStream(const TQmMemoStream&) = delete;
    TQmMemoStream& operator=(const TQmMemoStream&) = delete;

    // Up to Count bytes from the read position; the number read.
    int64_t Read(void* Buffer, int64_t Count) override;
    // Raises EStreamError: the stream is read-only.
    int64_t Write(const void* Buffer, int64_t Count) override;
    // Only tells the read position (offset 0 from the current one); any
    // other move raises EStreamError.
    int64_t Seek(int64_t Offset, uint16_t Origin) override;

private:
    TField* field_;
    TDBDataSet* dataSet_;
    uint16_t fieldNo_;
    std::vector<uint8_t> record_;
    int64_t position_ = 0;
    bool opened_ = false;
};
