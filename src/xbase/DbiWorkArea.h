#pragma once
// What the engine glue keeps per open table (TDbiWorkArea), and the guard
// that selects a table's engine work area for the time of one call (TWA).
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/Dbi.h"
#include "xbengine/XbCodes.h"

// The engine numbers its work areas 1..255; cursor handles above are virtual.
constexpr int MaxWorkArea = 255;
constexpr hDBICur FieldListCursor = 260;
constexpr hDBICur EmptyCursor = 261;

// Selects Area in the engine and returns the area selected before, or -1
// (without touching the engine's selection) when Area is above 255 or holds
// no open table.
int SelectWorkArea(int Area);

// Selection guard: selects a work area for its lifetime and puts the
// previously selected one back when it goes.
class TWA {
public:
    explicit TWA(int Area);
    ~TWA();
    TWA(const TWA&) = delete;
    TWA& operator=(const TWA&) = delete;

    // The number was outside 1..255.
    bool Invalid() const { return invalid_; }
    // The area holds an open table and is now the engine's selected area.
    bool Selected() const { return selected_; }

private:
    int previous_ = -2;
    bool invalid_ = false;
    bool selected_ = false;
};

// One filter entry of a work area: an xBase expression or a record callback.
struct TFilterEntry {
    std::string Expression;
    pfGENFilter Callback = nullptr;
    bool Active = false;
    uint8_t Kind = 0;            // 1 record callback, 0 xBase expression
    uintptr_t ClientData = 0;
    uint16_t Priority = 0;       // 2 marks a locate
    bool NoPartialCompare = false;  // texts compare whole, as with SET EXACT on
};

// Field layout of one field, kept beside its descriptors.
struct TGlueField {
    std::string Name;
    char Letter = ' ';           // xBase type letter ('V' for a variable-length text)
    int Width = 0;
    int Decimals = 0;
    int Offset = 0;              // 0-based in the record buffer (deletion byte at 0)
};

// One open table.
class TDbiWorkArea {
public:
    int WorkArea = 0;
    std::string Alias;
    std::string FullPath;        // of the .DBF as opened
    std::string TableName;       // as the caller gave it
    bool HasRecordCallback = false;
    // Numbered from 1 (entry n at index n-1); grows as filters are added.
    std::vector<TFilterEntry> Filters;
    std::vector<TGlueField> Fields;
    std::vector<FLDDesc> LogicalDescs;
    std::vector<FLDDesc> PhysicalDescs;
    int Driver = XB_DRIVER_NSX;
    int RecordSize = 0;          // the full xBase record, deletion byte included
    XLTMode TranslateMode = xltFIELD;
    DBIOpenMode OpenMode = dbiREADWRITE;
    DBIShareMode ShareMode = dbiOPENSHARED;

    // Blob values written into a record buffer that is being edited, by
    // (buffer, field number); they reach the table with that buffer's record.
    std::map<std::pair<const uint8_t*, uint16_t>, std::string> PendingBlobs;

    const TGlueField* Field(uint16_t FieldNo) const;
    void DropPendingBlobs(const uint8_t* RecBuf);
    int ExpressionFilterCount() const;
};
