#pragma once
// The server side of the report data link: TRSCustomConnection answers the
// requests of a report project's data views from its event handlers or from
// virtual operations that descendants override, and TDataConnectManager
// finds the process's connections by name. The link runs in this process
// only: requests and replies pass through one buffer with the link's
// layout (all integers 32-bit little-endian; strings an int32 count and the
// bytes):
//   offset 0  message length (0 when the message lies in an alternate
//             buffer, and in a reply without data)
//   offset 4  alternate buffer number (0 = this buffer; 1 or 2)
//   offset 8  request: int32 kind and its parameters; reply: its data
// A reply that outgrows the 65,536-byte main buffer moves to alternate
// buffer 1 or 2 (taking turns), sized to the need plus 65,536 bytes.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "reporting/RSDefine.h"

// Request kinds.
constexpr std::int32_t kReqFirst = 1;
constexpr std::int32_t kReqNext = 2;
constexpr std::int32_t kReqEof = 3;
constexpr std::int32_t kReqGetCols = 4;
constexpr std::int32_t kReqGetRow = 5;
constexpr std::int32_t kReqSetFilter = 6;
constexpr std::int32_t kReqGetSorts = 7;
constexpr std::int32_t kReqSetSort = 8;
constexpr std::int32_t kReqOpen = 9;
constexpr std::int32_t kReqRestore = 10;

constexpr std::int32_t kLinkBufferSize = 65536;
constexpr std::int32_t kLinkHeaderSize = 8;
// The row record's offset table starts after the end flag and the length.
constexpr std::int32_t kRowTableOffset = kLinkHeaderSize + 1 + 4;

// The bytes of a value of a data type in the link (strings and blobs: 0).
int dataTypeWidth(TRSDataType Type);
// "dtString", "dtInteger", ...
std::string dataTypeName(TRSDataType Type);

// The main buffer and the two alternate buffers, with one cursor.
class TDuzuLinkBuffer {
public:
    TDuzuLinkBuffer();

    // The buffer the current message lies in (0 main, 1 or 2 alternate).
    int Current() const { return current_; }
    const std::vector<std::uint8_t>& Bytes(int Number) const { return buffers_[static_cast<std::size_t>(Number)]; }
    std::int32_t Position() const { return position_; }

    // Back to the main buffer at offset 8, the alternate dropped.
    void Reset();
    // Offsets 0 and 4 of the current buffer from what was written.
    void FinishMessage();
    // A reply without data: 0 and 0 in the main buffer.
    void FinishEmpty();
    // Reading a reply: from the alternate buffer named at offset 4 of the
    // main buffer, at offset 8; the message length bounds every read.
    void BeginReadReply();
    // Reading a request: the main buffer at offset 8.
    void BeginReadRequest();

    void WriteInt32(std::int32_t Value);
    void WriteByte(std::uint8_t Value);
    void WriteBytes(const void* Data, std::int32_t Count);
    void WriteString(const std::string& Value);
    void PatchInt32(std::int32_t Offset, std::int32_t Value);
    std::int32_t ReadInt32();
    std::uint8_t ReadByte();
    void ReadBytes(void* Data, std::int32_t Count);
    std::string ReadString();
    std::int32_t Int32At(std::int32_t Offset) const;

private:
    // Room for Count more bytes: the message moves to the next alternate
    // buffer when the current one is too small.
    void ensure(std::int32_t Count);
    void checkRead(std::int32_t Count) const;

    std::array<std::vector<std::uint8_t>, 3> buffers_;
    int current_ = 0;
    int lastAlternate_ = 0;
    std::int32_t position_ = kLinkHeaderSize;
    std::int32_t readLimit_ = 0;
};

// The one link buffer of the process.
TDuzuLinkBuffer& DuzuLinkBuffer();

enum TRuntimeVisibility { rtNone, rtDeveloper, rtEndUser };

class TRSCustomConnection;
using TRSConnectorEvent = std::function<void(TRSCustomConnection* Connection)>;
using TRSEOFEvent = std::function<void(TRSCustomConnection* Connection, bool& Eof)>;
using TRSValidateRowEvent = std::function<void(TRSCustomConnection* Connection, bool& ValidRow)>;

// One column announced in a column list.
struct TDataConnectFieldDef {
    TRSDataType DataType = dtString;
    std::string Name;  // the alias
    bool Listed = false;
    int ListedIndex = 0;
    std::string FilterValue;  // the text for strings, else the raw value
    int FilterSize = 0;       // 0 = no filter
};

class TRSCustomConnection : public TRSComponent {
public:
    explicit TRSCustomConnection(TComponent* AOwner);
    ~TRSCustomConnection() override;

    TStrings* FieldAliasList() const { return fieldAliasList_.get(); }
    void SetFieldAliasList(const TStrings* Value) { fieldAliasList_->Assign(Value); }
    bool LocalFilter() const { return localFilter_; }
    void SetLocalFilter(bool Value) { localFilter_ = Value; }
    TRuntimeVisibility RuntimeVisibility() const { return runtimeVisibility_; }
    void SetRuntimeVisibility(TRuntimeVisibility Value) { runtimeVisibility_ = Value; }

    TRSConnectorEvent OnFirst, OnNext, OnGetCols, OnGetRow, OnSetFilter, OnGetSorts, OnSetSort, OnOpen, OnRestore;
    TRSEOFEvent OnEOF;
    TRSValidateRowEvent OnValidateRow;

    // Answers a request of kinds 1-10 read from the link buffer; false for
    // any other kind. A handler's exception passes to the caller.
    bool HandleRequest();

    // ---- for handlers: describing columns and writing the current row
    void WriteField(const std::string& Name, TRSDataType DataType, int Width, const std::string& LongName,
                    const std::string& Description);
    void WriteStrData(const std::string& Text, const std::string& Value);
    void WriteIntData(const std::string& Text, std::int32_t Value);
    void WriteBoolData(const std::string& Text, bool Value);
    void WriteFloatData(const std::string& Text, double Value);
    void WriteCurrData(const std::string& Text, Currency Value);
    void WriteBCDData(const std::string& Text, Currency Value);
    void WriteDateTimeData(const std::string& Text, TDateTime Value);
    void WriteBlobData(const void* Buffer, std::int32_t Size);
    void WriteNullData();
    // The next item of a filter request: false at the empty name that ends it.
    bool ReadFilterItem();
    const std::string& FilterName() const { return filterName_; }
    const std::string& FilterOperator() const { return filterOperator_; }
    const std::string& FilterValue() const { return filterValue_; }
    const std::vector<TDataConnectFieldDef>& FieldDefs() const { return fieldDefs_; }

    // ---- raw reads and writes of the link
    void WriteStr(const std::string& Value) { DuzuLinkBuffer().WriteString(Value); }
    void WriteInt(std::int32_t Value) { DuzuLinkBuffer().WriteInt32(Value); }
    void WriteByte(std::uint8_t Value) { DuzuLinkBuffer().WriteByte(Value); }
    std::string ReadStr() { return DuzuLinkBuffer().ReadString(); }
    std::int32_t ReadInt() { return DuzuLinkBuffer().ReadInt32(); }
    std::uint8_t ReadByte() { return DuzuLinkBuffer().ReadByte(); }

protected:
    virtual void DoFirst() { rowCounter_ = 0; }
    virtual void DoNext() { ++rowCounter_; }
    virtual bool DoEOF() { return rowCounter_ >= rowCount_; }
    virtual void DoGetCols();
    virtual void DoGetRow();
    virtual void DoSetFilter() {}
    virtual void DoGetSorts() { WriteStr(""); }
    virtual void DoSetSort() {}
    virtual void DoOpen() {
        rowCount_ = 1;
        rowCounter_ = 0;
    }
    virtual void DoRestore() {}
    virtual bool DoValidateRow() { return true; }

private:
    void first();
    void nextRows();
    bool atEof();
    bool rowValid();
    void getRow();
    void getCols();
    void setFilter();
    void run(const TRSConnectorEvent& Event, void (TRSCustomConnection::*Default)());
    // The handler's answer, starting from Answer; without a handler, Default's.
    bool ask(const TRSEOFEvent& Event, bool (TRSCustomConnection::*Default)(), bool Answer);
    // Checks the column and the type; false when the value is not to be
    // written (an unlisted column, or a row the filter already refused).
    bool beginWrite(std::initializer_list<TRSDataType> Allowed);
    bool passesFilter(const TDataConnectFieldDef& Def, const std::string& Raw);
    void writeValue(const std::string& Text, bool StoreText, const std::string& Raw, bool AsString);
    void endWrite() { ++columnIndex_; }

    std::unique_ptr<TStringList> fieldAliasList_;
    bool localFilter_ = true;
    TRuntimeVisibility runtimeVisibility_ = rtDeveloper;
    std::vector<TDataConnectFieldDef> fieldDefs_;
    int columnIndex_ = 0;
    bool rowPasses_ = true;
    std::string filterName_, filterOperator_, filterValue_;
    int rowCounter_ = 0;
    int rowCount_ = 0;
};

// Every live connection of the process, found by name.
class TDataConnectManager {
public:
    void Add(TRSCustomConnection* Connection);
    void Remove(TRSCustomConnection* Connection);
    // The first connection with that Name, without regard to case.
    TRSCustomConnection* Find(const std::string& Name) const;
    // How many connections answer to that Name and are listed to end users.
    int CountListed(const std::string& Name) const;

private:
    std::vector<TRSCustomConnection*> connections_;
};

TDataConnectManager& DataConnectManager();
