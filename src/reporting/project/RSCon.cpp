#include "reporting/project/RSCon.h"

#include <algorithm>
#include <cstring>

#include "base/SysUtils.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/Extended80.h"

namespace {

const char* const kTypeNames[] = {"dtString", "dtInteger", "dtBoolean", "dtFloat", "dtCurrency", "dtBCD",
                                  "dtDate",   "dtTime",    "dtDateTime", "dtBlob", "dtMemo",     "dtGraphic"};

std::string rawInt32(std::int32_t Value) {
    std::uint32_t u = static_cast<std::uint32_t>(Value);
    return {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

std::string rawInt64(std::int64_t Value) {
    std::string bytes(8, '\0');
    std::uint64_t u = static_cast<std::uint64_t>(Value);
    for (int i = 0; i < 8; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(u >> (8 * i));
    return bytes;
}

std::string rawDouble(double Value) {
    std::uint64_t u;
    std::memcpy(&u, &Value, sizeof u);
    return rawInt64(static_cast<std::int64_t>(u));
}

double doubleOf(const std::string& Raw) {
    std::uint64_t u = 0;
    for (int i = 7; i >= 0; --i) u = (u << 8) | static_cast<std::uint8_t>(Raw[static_cast<std::size_t>(i)]);
    double value;
    std::memcpy(&value, &u, sizeof value);
    return value;
}

double extendedOf(const std::string& Raw) {
    TExtended80 bytes;
    std::memcpy(bytes.data(), Raw.data(), bytes.size());
    return decodeExtended(bytes);
}

[[noreturn]] void linkError() { RaiseDesignerError("Data link message ended early."); }

}  // namespace

int dataTypeWidth(TRSDataType Type) {
    switch (Type) {
        case dtInteger: return 4;
        case dtBoolean: return 1;
        case dtFloat: return 10;
        case dtCurrency:
        case dtBCD:
        case dtDate:
        case dtTime:
        case dtDateTime: return 8;
        default: return 0;
    }
}

std::string dataTypeName(TRSDataType Type) {
    int i = static_cast<int>(Type);
    return i >= 0 && i <= static_cast<int>(dtGraphic) ? kTypeNames[i] : "";
}

// ---------------------------------------------------------------------------
// TDuzuLinkBuffer

TDuzuLinkBuffer::TDuzuLinkBuffer() { buffers_[0].assign(kLinkBufferSize, 0); }

TDuzuLinkBuffer& DuzuLinkBuffer() {
    static TDuzuLinkBuffer buffer;
    return buffer;
}

void TDuzuLinkBuffer::Reset() {
    buffers_[1].clear();
    buffers_[2].clear();
    current_ = 0;
    position_ = kLinkHeaderSize;
}

void TDuzuLinkBuffer::ensure(std::int32_t Count) {
    std::int64_t needed = std::int64_t(position_) + Count;
    if (needed <= static_cast<std::int64_t>(buffers_[static_cast<std::size_t>(current_)].size())) return;
    if (needed + kLinkBufferSize > INT32_MAX) RaiseDesignerError("Data link message too large.");
    // The numbers take turns, so a new alternate never replaces the one a
    // reader may still hold.
    int next = (lastAlternate_ & 1) + 1;
    lastAlternate_ = next;
    std::vector<std::uint8_t> grown(static_cast<std::size_t>(needed + kLinkBufferSize), 0);
    const auto& old = buffers_[static_cast<std::size_t>(current_)];
    std::copy_n(old.begin(), position_, grown.begin());
    if (current_ != 0) buffers_[static_cast<std::size_t>(current_)].clear();
    buffers_[static_cast<std::size_t>(next)] = std::move(grown);
    current_ = next;
    // The main buffer tells the reader where the message went.
    auto& main = buffers_[0];
    std::memset(main.data(), 0, 4);
    std::int32_t number = next;
    std::memcpy(main.data() + 4, &number, 4);
}

void TDuzuLinkBuffer::FinishMessage() {
    auto& buffer = buffers_[static_cast<std::size_t>(current_)];
    std::int32_t length = position_;
    std::int32_t here = 0;
    std::memcpy(buffer.data(), &length, 4);
    std::memcpy(buffer.data() + 4, &here, 4);
    if (current_ != 0) {
        std::int32_t number = current_;
        std::memset(buffers_[0].data(), 0, 4);
        std::memcpy(buffers_[0].data() + 4, &number, 4);
    }
}

void TDuzuLinkBuffer::FinishEmpty() {
    Reset();
    std::memset(buffers_[0].data(), 0, 8);
}

void TDuzuLinkBuffer::BeginReadReply() {
    current_ = 0;
    std::int32_t number = Int32At(4);
    current_ = number == 1 || number == 2 ? number : 0;
    if (buffers_[static_cast<std::size_t>(current_)].size() < kLinkHeaderSize) linkError();
    position_ = kLinkHeaderSize;
    readLimit_ = Int32At(0);
}

void TDuzuLinkBuffer::BeginReadRequest() {
    current_ = 0;
    position_ = kLinkHeaderSize;
    readLimit_ = Int32At(0);
}

std::int32_t TDuzuLinkBuffer::Int32At(std::int32_t Offset) const {
    const auto& buffer = buffers_[static_cast<std::size_t>(current_)];
    if (Offset < 0 || std::size_t(Offset) + 4 > buffer.size()) linkError();
    std::int32_t value;
    std::memcpy(&value, buffer.data() + Offset, 4);
    return value;
}

void TDuzuLinkBuffer::WriteBytes(const void* Data, std::int32_t Count) {
    if (Count <= 0) return;
    ensure(Count);
    std::memcpy(buffers_[static_cast<std::size_t>(current_)].data() + position_, Data, static_cast<std::size_t>(Count));
    position_ += Count;
}

void TDuzuLinkBuffer::WriteInt32(std::int32_t Value) {
    std::string raw = rawInt32(Value);
    WriteBytes(raw.data(), 4);
}

void TDuzuLinkBuffer::WriteByte(std::uint8_t Value) { WriteBytes(&Value, 1); }

void TDuzuLinkBuffer::WriteString(const std::string& Value) {
    WriteInt32(static_cast<std::int32_t>(Value.size()));
    WriteBytes(Value.data(), static_cast<std::int32_t>(Value.size()));
}

void TDuzuLinkBuffer::PatchInt32(std::int32_t Offset, std::int32_t Value) {
    std::memcpy(buffers_[static_cast<std::size_t>(current_)].data() + Offset, &Value, 4);
}

void TDuzuLinkBuffer::checkRead(std::int32_t Count) const {
    if (Count < 0 || std::int64_t(position_) + Count > readLimit_ ||
        std::size_t(position_) + std::size_t(Count) > buffers_[static_cast<std::size_t>(current_)].size())
        linkError();
}

void TDuzuLinkBuffer::ReadBytes(void* Data, std::int32_t Count) {
    checkRead(Count);
    if (Count > 0)
        std::memcpy(Data, buffers_[static_cast<std::size_t>(current_)].data() + position_, static_cast<std::size_t>(Count));
    position_ += Count;
}

std::int32_t TDuzuLinkBuffer::ReadInt32() {
    std::int32_t value;
    ReadBytes(&value, 4);
    return value;
}

std::uint8_t TDuzuLinkBuffer::ReadByte() {
    std::uint8_t value;
    ReadBytes(&value, 1);
    return value;
}

std::string TDuzuLinkBuffer::ReadString() {
    std::int32_t count = ReadInt32();
    checkRead(count);
    std::string value(static_cast<std::size_t>(count), '\0');
    ReadBytes(value.data(), count);
    return value;
}

// ---------------------------------------------------------------------------
// TDataConnectManager

TDataConnectManager& DataConnectManager() {
    static TDataConnectManager manager;
    return manager;
}

void TDataConnectManager::Add(TRSCustomConnection* Connection) { connections_.push_back(Connection); }

void TDataConnectManager::Remove(TRSCustomConnection* Connection) { std::erase(connections_, Connection); }

TRSCustomConnection* TDataConnectManager::Find(const std::string& Name) const {
    for (TRSCustomConnection* c : connections_)
        if (SameText(c->Name(), Name)) return c;
    return nullptr;
}

int TDataConnectManager::CountListed(const std::string& Name) const {
    int count = 0;
    for (TRSCustomConnection* c : connections_)
        if (SameText(c->Name(), Name) && c->RuntimeVisibility() == rtEndUser) ++count;
    return count;
}

// ---------------------------------------------------------------------------
// TRSCustomConnection

TRSCustomConnection::TRSCustomConnection(TComponent* AOwner)
    : TRSComponent(AOwner), fieldAliasList_(std::make_unique<TStringList>()) {
    DataConnectManager().Add(this);
}

TRSCustomConnection::~TRSCustomConnection() { DataConnectManager().Remove(this); }

void TRSCustomConnection::run(const TRSConnectorEvent& Event, void (TRSCustomConnection::*Default)()) {
    if (Event)
        Event(this);
    else
        (this->*Default)();
}

bool TRSCustomConnection::HandleRequest() {
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    buffer.BeginReadRequest();
    std::int32_t kind = buffer.ReadInt32();
    switch (kind) {
        case kReqFirst: first(); return true;
        case kReqNext: nextRows(); return true;
        case kReqGetRow: getRow(); return true;
        case kReqEof: {
            bool eof = atEof();
            buffer.Reset();
            buffer.WriteByte(eof ? 1 : 0);
            buffer.FinishMessage();
            return true;
        }
        case kReqGetCols: getCols(); return true;
        case kReqSetFilter: setFilter(); return true;
        case kReqGetSorts:
            buffer.Reset();
            run(OnGetSorts, &TRSCustomConnection::DoGetSorts);
            buffer.FinishMessage();
            return true;
        case kReqSetSort: run(OnSetSort, &TRSCustomConnection::DoSetSort); break;
        case kReqOpen: run(OnOpen, &TRSCustomConnection::DoOpen); break;
        case kReqRestore: run(OnRestore, &TRSCustomConnection::DoRestore); break;
        default: return false;
    }
    // The requests that only set something are answered with an empty reply.
    buffer.FinishEmpty();
    return true;
}

bool TRSCustomConnection::ask(const TRSEOFEvent& Event, bool (TRSCustomConnection::*Default)(), bool Answer) {
    if (!Event) return (this->*Default)();
    Event(this, Answer);
    return Answer;
}

bool TRSCustomConnection::atEof() { return ask(OnEOF, &TRSCustomConnection::DoEOF, false); }

bool TRSCustomConnection::rowValid() {
    if (localFilter_ && !rowPasses_) return false;
    return ask(OnValidateRow, &TRSCustomConnection::DoValidateRow, true);
}

void TRSCustomConnection::getRow() {
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    buffer.Reset();
    rowPasses_ = true;
    columnIndex_ = 0;
    if (atEof()) {
        buffer.WriteByte(1);
        buffer.FinishMessage();
        return;
    }
    buffer.WriteByte(0);
    buffer.WriteInt32(0);
    int listed = 0;
    for (const TDataConnectFieldDef& def : fieldDefs_) listed += def.Listed ? 1 : 0;
    for (int i = 0; i < listed * 2; ++i) buffer.WriteInt32(0);
    run(OnGetRow, &TRSCustomConnection::DoGetRow);
    buffer.PatchInt32(kLinkHeaderSize + 1, buffer.Position() - kRowTableOffset);
    buffer.FinishMessage();
}

void TRSCustomConnection::first() {
    run(OnFirst, &TRSCustomConnection::DoFirst);
    if (localFilter_) getRow();
    if (!rowValid()) {
        nextRows();
        return;
    }
    if (!localFilter_) getRow();
}

void TRSCustomConnection::nextRows() {
    for (;;) {
        run(OnNext, &TRSCustomConnection::DoNext);
        if (localFilter_) getRow();
        if (rowValid() || atEof()) break;
    }
    if (!localFilter_) getRow();
}

void TRSCustomConnection::getCols() {
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    buffer.Reset();
    fieldDefs_.clear();
    buffer.WriteInt32(0);
    run(OnGetCols, &TRSCustomConnection::DoGetCols);
    int listed = 0;
    for (const TDataConnectFieldDef& def : fieldDefs_) listed += def.Listed ? 1 : 0;
    buffer.PatchInt32(kLinkHeaderSize, listed);
    buffer.FinishMessage();
}

void TRSCustomConnection::setFilter() {
    for (TDataConnectFieldDef& def : fieldDefs_) {
        def.FilterValue.clear();
        def.FilterSize = 0;
    }
    if (localFilter_) {
        while (ReadFilterItem()) {
        }
    } else {
        run(OnSetFilter, &TRSCustomConnection::DoSetFilter);
    }
    DuzuLinkBuffer().FinishEmpty();
}

bool TRSCustomConnection::ReadFilterItem() {
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    filterName_ = buffer.ReadString();
    if (filterName_.empty()) return false;
    filterOperator_ = buffer.ReadString();
    filterValue_ = buffer.ReadString();
    std::int32_t type = buffer.ReadInt32();
    if (type < 0 || type > static_cast<std::int32_t>(dtGraphic)) RaiseDesignerError("Invalid data type in filter.");
    auto dataType = static_cast<TRSDataType>(type);
    std::string raw(static_cast<std::size_t>(dataTypeWidth(dataType)), '\0');
    buffer.ReadBytes(raw.data(), static_cast<std::int32_t>(raw.size()));
    for (TDataConnectFieldDef& def : fieldDefs_) {
        if (!SameText(def.Name, filterName_) || def.DataType != dataType) continue;
        if (dataType == dtString) {
            def.FilterValue = filterValue_;
            def.FilterSize = 4;
        } else if (!raw.empty()) {
            def.FilterValue = raw;
            def.FilterSize = static_cast<int>(raw.size());
        }
        break;
    }
    return true;
}

void TRSCustomConnection::DoGetCols() { WriteField("FieldName", dtString, 30, "FieldName", ""); }

void TRSCustomConnection::DoGetRow() { WriteStrData("", "[" + throughMessageHook("Inactive at design-time") + "]"); }

void TRSCustomConnection::WriteField(const std::string& Name, TRSDataType DataType, int Width,
                                     const std::string& LongName, const std::string& Description) {
    std::string alias = Name;
    for (int i = 0; i < fieldAliasList_->Count(); ++i) {
        std::string line = fieldAliasList_->Strings(i);
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (SameText(Trim(line.substr(0, eq)), Trim(Name))) {
            alias = Trim(line.substr(eq + 1));
            break;
        }
    }
    TDataConnectFieldDef def;
    def.DataType = DataType;
    def.Name = alias;
    def.Listed = !alias.empty();
    for (const TDataConnectFieldDef& d : fieldDefs_) def.ListedIndex += d.Listed ? 1 : 0;
    fieldDefs_.push_back(def);
    if (!def.Listed) return;
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    buffer.WriteString("N");
    buffer.WriteString(alias);
    if (DataType != dtString) {
        buffer.WriteString("T");
        buffer.WriteString(dataTypeName(DataType));
    }
    if (Width > 0) {
        buffer.WriteString("W");
        buffer.WriteString(IntToStr(Width));
    }
    if (!LongName.empty()) {
        buffer.WriteString("L");
        buffer.WriteString(LongName);
    }
    if (!Description.empty()) {
        buffer.WriteString("D");
        buffer.WriteString(Description);
    }
    buffer.WriteString("");
}

bool TRSCustomConnection::beginWrite(std::initializer_list<TRSDataType> Allowed) {
    int count = static_cast<int>(fieldDefs_.size());
    if (columnIndex_ >= count) RaiseReportError(throughMessageHook("Attempt to write more fields than defined."));
    const TDataConnectFieldDef& def = fieldDefs_[static_cast<std::size_t>(columnIndex_)];
    if (std::find(Allowed.begin(), Allowed.end(), def.DataType) == Allowed.end())
        RaiseReportError(throughMessageHook(
            Format("Attempt to write different data type than defined (Column %0:s/%1:s).",
                   {IntToStr(columnIndex_ + 1), IntToStr(count)})));
    return true;
}

bool TRSCustomConnection::passesFilter(const TDataConnectFieldDef& Def, const std::string& Raw) {
    if (!localFilter_ || Def.FilterSize <= 0) return true;
    switch (Def.DataType) {
        case dtString: return Raw == Def.FilterValue;
        case dtFloat: return extendedOf(Raw) == extendedOf(Def.FilterValue);
        case dtDate:
        case dtTime:
        case dtDateTime: return doubleOf(Raw) == doubleOf(Def.FilterValue);
        default: return Raw == Def.FilterValue;  // integers, booleans, currency as their bytes
    }
}

// Text is written first when stored; the value as a string or raw bytes.
void TRSCustomConnection::writeValue(const std::string& Text, bool StoreText, const std::string& Raw, bool AsString) {
    const TDataConnectFieldDef& def = fieldDefs_[static_cast<std::size_t>(columnIndex_)];
    if (rowPasses_ && !passesFilter(def, Raw)) rowPasses_ = false;
    if (!def.Listed || !rowPasses_) return;
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    std::int32_t slot = kRowTableOffset + def.ListedIndex * 8;
    if (StoreText) {
        buffer.PatchInt32(slot + 4, buffer.Position() - kRowTableOffset);
        buffer.WriteString(Text);
    }
    buffer.PatchInt32(slot, buffer.Position() - kRowTableOffset);
    if (AsString)
        buffer.WriteString(Raw);
    else
        buffer.WriteBytes(Raw.data(), static_cast<std::int32_t>(Raw.size()));
}

void TRSCustomConnection::WriteStrData(const std::string& Text, const std::string& Value) {
    beginWrite({dtString});
    writeValue(Text, !Text.empty() && Text != Value, Value, true);
    endWrite();
}

void TRSCustomConnection::WriteIntData(const std::string& Text, std::int32_t Value) {
    beginWrite({dtInteger});
    writeValue(Text, !Text.empty() && Text != IntToStr(Value), rawInt32(Value), false);
    endWrite();
}

void TRSCustomConnection::WriteBoolData(const std::string& Text, bool Value) {
    beginWrite({dtBoolean});
    writeValue(Text, !Text.empty(), std::string(1, Value ? '\1' : '\0'), false);
    endWrite();
}

void TRSCustomConnection::WriteFloatData(const std::string& Text, double Value) {
    beginWrite({dtFloat});
    TExtended80 bytes = encodeExtended(Value);
    writeValue(Text, !Text.empty(), std::string(bytes.begin(), bytes.end()), false);
    endWrite();
}

void TRSCustomConnection::WriteCurrData(const std::string& Text, Currency Value) {
    beginWrite({dtCurrency});
    writeValue(Text, !Text.empty(), rawInt64(Value.Raw()), false);
    endWrite();
}

void TRSCustomConnection::WriteBCDData(const std::string& Text, Currency Value) {
    beginWrite({dtBCD});
    writeValue(Text, !Text.empty(), rawInt64(Value.Raw()), false);
    endWrite();
}

void TRSCustomConnection::WriteDateTimeData(const std::string& Text, TDateTime Value) {
    beginWrite({dtDate, dtTime, dtDateTime});
    writeValue(Text, !Text.empty(), rawDouble(Value), false);
    endWrite();
}

void TRSCustomConnection::WriteBlobData(const void* Buffer, std::int32_t Size) {
    beginWrite({dtBlob, dtMemo, dtGraphic});
    std::string bytes(static_cast<const char*>(Buffer), static_cast<std::size_t>(std::max(Size, 0)));
    writeValue("", false, bytes, true);
    endWrite();
}

void TRSCustomConnection::WriteNullData() {
    if (columnIndex_ >= static_cast<int>(fieldDefs_.size()))
        RaiseReportError(throughMessageHook("Attempt to write more fields than defined."));
    const TDataConnectFieldDef& def = fieldDefs_[static_cast<std::size_t>(columnIndex_)];
    // A null equals no filter value: the row does not pass.
    if (localFilter_ && def.FilterSize > 0) rowPasses_ = false;
    if (def.Listed && rowPasses_)
        DuzuLinkBuffer().PatchInt32(kRowTableOffset + def.ListedIndex * 8, -1);
    endWrite();
}
