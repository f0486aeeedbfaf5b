#include "reporting/project/DZData.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "base/SysUtils.h"
#include "reporting/project/DZFiler.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/DuzuDataSystem.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/project/Extended80.h"
#include "reporting/RSBase.h"
#include "reporting/project/RSCon.h"
#include "reporting/project/StreamHelper.h"
#include "ui/Dialogs.h"

const char* const kInvalidText = "(invalid)";

namespace {

std::int64_t int64Of(const std::string& Raw) {
    std::uint64_t u = 0;
    for (int i = static_cast<int>(Raw.size()) - 1; i >= 0; --i)
        u = (u << 8) | static_cast<std::uint8_t>(Raw[static_cast<std::size_t>(i)]);
    return static_cast<std::int64_t>(u);
}

std::string bytesOf(std::uint64_t Value, int Count) {
    std::string bytes(static_cast<std::size_t>(Count), '\0');
    for (int i = 0; i < Count; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(Value >> (8 * i));
    return bytes;
}

double doubleOf(const std::string& Raw) {
    std::uint64_t u = static_cast<std::uint64_t>(int64Of(Raw));
    double value;
    std::memcpy(&value, &u, sizeof value);
    return value;
}

std::string doubleBytes(double Value) {
    std::uint64_t u;
    std::memcpy(&u, &Value, sizeof u);
    return bytesOf(u, 8);
}

// The value of a text as the link carries a value of Type.
std::string nativeFromText(TRSDataType Type, const std::string& Text) {
    switch (Type) {
        case dtInteger: return bytesOf(static_cast<std::uint32_t>(StrToIntDef(Trim(Text), 0)), 4);
        case dtBoolean: return std::string(1, SameText(Trim(Text), "True") ? '\1' : '\0');
        case dtFloat: {
            TExtended80 bytes = encodeExtended(StrToFloatDef(Text, 0));
            return std::string(bytes.begin(), bytes.end());
        }
        case dtCurrency:
        case dtBCD: return bytesOf(static_cast<std::uint64_t>(StrToCurrDef(Text, Currency(0)).Raw()), 8);
        case dtDate:
        case dtTime:
        case dtDateTime: return doubleBytes(StrToDateTimeDef(Text, 0));
        default: return "";
    }
}

TRSDataType dataTypeByName(const std::string& Name) {
    for (int t = dtString; t <= dtGraphic; ++t)
        if (SameText(dataTypeName(static_cast<TRSDataType>(t)), Name)) return static_cast<TRSDataType>(t);
    RaiseDesignerError(Format("Unknown data type \"%s\".", {Name}));
}

// Ends the report without a message; also when no report is printing.
[[noreturn]] void abortSilently() {
    AbortPrinting();
    Abort();
}

[[noreturn]] void abortWithMessage(const std::string& Message) {
    MessageDlg(Message, mtError, TMsgDlgButtons{mbOK});
    abortSilently();
}

// Splits at "+" outside "<...>".
std::vector<std::string> splitKeys(const std::string& Text) {
    std::vector<std::string> parts;
    std::string rest = Text;
    while (!Trim(rest).empty()) {
        char delimiter = 0;
        std::string token;
        GetToken(rest, "+", delimiter, token);
        if (!token.empty()) parts.push_back(normalizeFieldName(token));
        if (delimiter == 0) break;
    }
    return parts;
}

}  // namespace

std::string normalizeFieldName(const std::string& Name) { return Trim(StripMarkup(Trim(Name))); }

// ---------------------------------------------------------------------------

std::int32_t TDuzuDataRow::int32At(std::int64_t Offset) const {
    if (Offset < 0 || Offset + 4 > static_cast<std::int64_t>(bytes_.size())) return -1;
    return static_cast<std::int32_t>(int64Of(bytes_.substr(static_cast<std::size_t>(Offset), 4)));
}

std::int32_t TDuzuDataRow::offset(int Slot, int Which) const {
    if (Slot < 0) return -1;
    return int32At(static_cast<std::int64_t>(Slot) * 8 + Which * 4);
}

std::string TDuzuDataRow::counted(std::int32_t Offset) const {
    std::int32_t count = int32At(Offset);
    if (count <= 0 || static_cast<std::int64_t>(Offset) + 4 + count > static_cast<std::int64_t>(bytes_.size()))
        return "";
    return bytes_.substr(static_cast<std::size_t>(Offset) + 4, static_cast<std::size_t>(count));
}

bool TDuzuDataRow::IsNull(int Slot) const { return offset(Slot, 0) < 0; }

bool TDuzuDataRow::HasText(int Slot) const { return offset(Slot, 1) > 0; }

std::string TDuzuDataRow::Text(int Slot) const { return HasText(Slot) ? counted(offset(Slot, 1)) : ""; }

std::string TDuzuDataRow::Value(int Slot, int Width) const {
    std::int32_t at = offset(Slot, 0);
    if (at < 0) return "";
    if (Width == 0) return counted(at);
    if (static_cast<std::int64_t>(at) + Width > static_cast<std::int64_t>(bytes_.size())) return "";
    return bytes_.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(Width));
}

// ---------------------------------------------------------------------------

TDuzuDataField::TDuzuDataField(TComponent* AOwner) : TDuzuComponent(AOwner) {}

void TDuzuDataField::SetFieldName(const std::string& Value) {
    std::string name = normalizeFieldName(Value);
    if (fullName_ == fieldName_) fullName_ = name;
    fieldName_ = name;
}

TDuzuDataView* TDuzuDataField::DataView() const { return dynamic_cast<TDuzuDataView*>(Parent()); }

bool TDuzuDataField::AcceptParent(const TDuzuComponent* NewParent) const {
    return dynamic_cast<const TDuzuDataView*>(NewParent) != nullptr;
}

bool TDuzuDataField::IsNull() const {
    TDuzuDataView* view = DataView();
    if (view == nullptr || view->Eof() || view->CurrentRow() == nullptr) return true;
    return view->CurrentRow()->IsNull(slot_);
}

std::string TDuzuDataField::NativeValue() const {
    if (IsNull()) return "";
    return DataView()->CurrentRow()->Value(slot_, dataTypeWidth(DataType()));
}

bool TDuzuDataField::connectionText(std::string& Text) const {
    if (IsNull() || !DataView()->CurrentRow()->HasText(slot_)) return false;
    Text = DataView()->CurrentRow()->Text(slot_);
    return true;
}

std::string TDuzuDataField::AsString() const { return IsNull() ? nullText_ : valueText(); }

std::string TDuzuDataField::valueText() const { return NativeValue(); }

double TDuzuDataField::numberValue() const { return StrToFloatDef(valueText(), 0); }

TDateTime TDuzuDataField::dateTimeValue() const { return StrToDateTimeDef(valueText(), 0); }

int TDuzuDataField::AsInteger() const { return IsNull() ? 0 : static_cast<int>(numberValue()); }
double TDuzuDataField::AsFloat() const { return IsNull() ? 0 : numberValue(); }
Currency TDuzuDataField::AsCurrency() const { return IsNull() ? Currency(0) : Currency(numberValue()); }
TDateTime TDuzuDataField::AsDateTime() const { return IsNull() ? 0 : dateTimeValue(); }
TDateTime TDuzuDataField::AsDate() const { return static_cast<double>(static_cast<long long>(AsDateTime())); }
TDateTime TDuzuDataField::AsTime() const { return AsDateTime() - AsDate(); }
bool TDuzuDataField::AsBoolean() const {
    if (IsNull()) return false;
    if (DataType() == dtBoolean) return numberValue() != 0;
    return SameText(Trim(valueText()), "True");
}

std::string TDuzuBooleanField::valueText() const {
    bool value = numberValue() != 0;
    if (value && !textTrue_.empty()) return textTrue_;
    if (!value && !textFalse_.empty()) return textFalse_;
    std::string text;
    if (connectionText(text)) return text;
    return value ? "True" : "False";
}

double TDuzuBooleanField::numberValue() const {
    std::string raw = NativeValue();
    return !raw.empty() && raw[0] != 0 ? 1 : 0;
}

std::string TDuzuFormattedField::valueText() const {
    if (!displayFormat_.empty()) return formatted();
    std::string text;
    if (connectionText(text)) return text;
    return defaultText();
}

double TDuzuIntegerField::numberValue() const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(int64Of(NativeValue())));
}
std::string TDuzuIntegerField::formatted() const { return FormatFloat(DisplayFormat(), numberValue()); }
std::string TDuzuIntegerField::defaultText() const { return IntToStr(static_cast<int>(numberValue())); }

double TDuzuFloatField::numberValue() const {
    std::string raw = NativeValue();
    if (raw.size() < 10) return 0;
    TExtended80 bytes;
    std::memcpy(bytes.data(), raw.data(), bytes.size());
    return decodeExtended(bytes);
}
std::string TDuzuFloatField::formatted() const { return FormatFloat(DisplayFormat(), numberValue()); }
std::string TDuzuFloatField::defaultText() const { return FloatToStr(numberValue()); }

double TDuzuCurrencyField::numberValue() const { return Currency::FromRaw(int64Of(NativeValue())).ToDouble(); }
std::string TDuzuCurrencyField::formatted() const {
    return FormatCurr(DisplayFormat(), Currency::FromRaw(int64Of(NativeValue())));
}
std::string TDuzuCurrencyField::defaultText() const { return CurrToStr(Currency::FromRaw(int64Of(NativeValue()))); }

TDateTime TDuzuDateTimeField::dateTimeValue() const {
    std::string raw = NativeValue();
    return raw.size() == 8 ? doubleOf(raw) : 0;
}
std::string TDuzuDateTimeField::formatted() const { return FormatDateTime(DisplayFormat(), dateTimeValue()); }
std::string TDuzuDateTimeField::defaultText() const { return DateTimeToStr(dateTimeValue()); }
std::string TDuzuDateField::defaultText() const { return DateToStr(dateTimeValue()); }
std::string TDuzuTimeField::defaultText() const { return TimeToStr(dateTimeValue()); }

std::string TDuzuBlobField::valueText() const { return NativeValue(); }

// ---------------------------------------------------------------------------

TDuzuDataView::TDuzuDataView(TComponent* AOwner) : TDuzuProjectItem(AOwner) { enableChildren(); }

TDuzuDataView::~TDuzuDataView() = default;

bool TDuzuDataView::AcceptChild(const TDuzuComponent* NewChild) const {
    return dynamic_cast<const TDuzuDataField*>(NewChild) != nullptr;
}

void TDuzuDataView::SetName(const std::string& NewName) {
    std::string oldName = Name();
    TDuzuProjectItem::SetName(NewName);
    if (oldName.empty() || SameText(oldName, NewName)) return;
    for (int i = 0; i < GetChildCount(); ++i) {
        TDuzuComponent* field = GetChild(i);
        const std::string& fieldName = field->Name();
        if (fieldName.size() > oldName.size() && SameText(fieldName.substr(0, oldName.size()), oldName))
            field->SetName(NewName + fieldName.substr(oldName.size()));
    }
}

void TDuzuDataView::abortReport() {
    eof_ = true;
    abortSilently();
}

void TDuzuDataView::request(std::int32_t Kind) {
    DuzuDataSystem().BeginRequest(Kind);
    if (!DuzuDataSystem().ExecuteRequest(connection_)) abortReport();
}

void TDuzuDataView::Open() {
    if (active_) return;
    TDuzuDataSystem& system = DuzuDataSystem();
    if (system.DuplicateConnection(connectionName_))
        abortWithMessage(throughMessageHook(Format(
            "Error!  Duplicate data connections found with name \"%s\".  Aborting report.", {connectionName_})));
    if (connection_ == nullptr) connection_ = system.OpenConnection(connectionName_);
    if (connection_ == nullptr)
        abortWithMessage(throughMessageHook(
            Format("Error!  Could not open data connection \"%s\".  Aborting report.", {connectionName_})));
    request(kReqOpen);
    active_ = true;
    request(kReqGetCols);
    currentRow_.reset();
    eof_ = true;
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* field = dynamic_cast<TDuzuDataField*>(GetChild(i))) field->SetSlot(-1);
    readColumns();
}

void TDuzuDataView::readColumns() {
    columns_.clear();
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    std::int32_t count = buffer.ReadInt32();
    for (std::int32_t slot = 0; slot < count; ++slot) {
        std::string name;
        TRSDataType type = dtString;
        for (std::string tag = buffer.ReadString(); !tag.empty(); tag = buffer.ReadString()) {
            std::string value = buffer.ReadString();
            if (tag == "N")
                name = normalizeFieldName(value);
            else if (tag == "T")
                type = dataTypeByName(value);
        }
        TDuzuDataField* match = nullptr;
        for (int i = 0; i < GetChildCount() && match == nullptr; ++i) {
            auto* field = dynamic_cast<TDuzuDataField*>(GetChild(i));
            if (field != nullptr && SameText(field->FieldName(), name)) match = field;
        }
        if (match != nullptr) {
            if (match->DataType() != type)
                RaiseDesignerError(throughMessageHook(
                    Format("Field %0:s:%1:s.  Datatype expected: %2:s  Datatype found: %3:s",
                           {Name(), match->FieldName(), dataTypeName(match->DataType()), dataTypeName(type)})));
            match->SetSlot(slot);
        }
        columns_.emplace_back(name, match);
    }
}

void TDuzuDataView::Close() {
    active_ = false;
    connection_ = nullptr;
    columns_.clear();
    currentRow_.reset();
    chain_.clear();
    replayAt_ = 0;
    saving_ = false;
    eof_ = true;
}

void TDuzuDataView::DoAfterPrint() {
    TDuzuProjectItem::DoAfterPrint();
    Close();
}

std::vector<std::string> TDuzuDataView::ColumnNames() const {
    std::vector<std::string> names;
    for (const auto& column : columns_) names.push_back(column.first);
    return names;
}

bool TDuzuDataView::replay() {
    if (replayAt_ >= chain_.size()) return false;
    const Entry& entry = chain_[replayAt_++];
    eof_ = entry.State == Entry::kEnd;
    if (!eof_) currentRow_ = entry.Row;
    if (!saving_) {
        chain_.erase(chain_.begin(), chain_.begin() + static_cast<std::ptrdiff_t>(replayAt_));
        replayAt_ = 0;
    }
    return true;
}

void TDuzuDataView::fetch(std::int32_t Kind) {
    if (Kind != kReqFirst && replay()) return;
    if (Kind == kReqFirst && !saving_) {
        chain_.clear();
        replayAt_ = 0;
    }
    request(Kind);
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    eof_ = buffer.ReadByte() != 0;
    Entry entry{eof_ ? Entry::kEnd : (Kind == kReqFirst ? Entry::kFirst : Entry::kRow), nullptr};
    if (!eof_) {
        std::int32_t length = buffer.ReadInt32();
        if (length < 0) RaiseDesignerError("Data link message ended early.");
        std::string bytes(static_cast<std::size_t>(length), '\0');
        buffer.ReadBytes(bytes.data(), length);
        entry.Row = std::make_shared<TDuzuDataRow>(std::move(bytes));
        currentRow_ = entry.Row;
    }
    if (saving_) {
        chain_.push_back(entry);
        replayAt_ = chain_.size();
    }
}

void TDuzuDataView::First() {
    Open();
    eof_ = false;
    fetch(kReqFirst);
}

void TDuzuDataView::Next() {
    Open();
    if (eof_ && replayAt_ >= chain_.size()) return;
    fetch(kReqNext);
}

TDuzuDataField* TDuzuDataView::FindField(const std::string& Name) {
    Open();
    std::string name = Trim(Name);
    std::string prefix = this->Name() + ".";
    if (name.size() > prefix.size() && SameText(name.substr(0, prefix.size()), prefix))
        name = name.substr(prefix.size());
    name = normalizeFieldName(name);
    for (const auto& column : columns_)
        if (SameText(column.first, name)) return column.second;
    return nullptr;
}

void TDuzuDataView::SetFilter(const std::vector<TDuzuFilterItem>& Items) {
    Open();
    TDuzuDataSystem& system = DuzuDataSystem();
    system.BeginRequest(kReqSetFilter);
    TDuzuLinkBuffer& buffer = DuzuLinkBuffer();
    for (const TDuzuFilterItem& item : Items) {
        buffer.WriteString(item.Column);
        buffer.WriteString(item.Operator);
        buffer.WriteString(item.Value);
        TDuzuDataField* field = nullptr;
        for (const auto& column : columns_)
            if (SameText(column.first, normalizeFieldName(item.Column))) field = column.second;
        if (field == nullptr) {
            buffer.WriteInt32(0);
            continue;
        }
        std::string native = nativeFromText(field->DataType(), item.Value);
        buffer.WriteInt32(static_cast<std::int32_t>(field->DataType()));
        buffer.WriteBytes(native.data(), static_cast<std::int32_t>(native.size()));
    }
    buffer.WriteString("");
    if (!system.ExecuteRequest(connection_)) abortReport();
}

void TDuzuDataView::SetSort(const std::vector<std::string>& Columns) {
    Open();
    TDuzuDataSystem& system = DuzuDataSystem();
    system.BeginRequest(kReqSetSort);
    for (const std::string& column : Columns) DuzuLinkBuffer().WriteString(column);
    DuzuLinkBuffer().WriteString("");
    if (!system.ExecuteRequest(connection_)) abortReport();
}

void TDuzuDataView::LinkTo(TDuzuDataView* Master, const std::string& SortText, const std::string& DetailKeys,
                           const std::string& MasterKeys) {
    SetSort(splitKeys(SortText));
    std::vector<std::string> details = splitKeys(DetailKeys);
    std::vector<std::string> masters = splitKeys(MasterKeys);
    std::vector<TDuzuFilterItem> filter;
    for (std::size_t i = 0; i < details.size(); ++i) {
        std::string column = details[i];
        std::size_t dot = column.find('.');
        if (dot != std::string::npos && column.find('<') > dot) column = column.substr(dot + 1);
        std::string value = kInvalidText;
        if (Master != nullptr && i < masters.size()) {
            TDuzuDataField* field = Master->FindField(masters[i]);
            if (field != nullptr) value = field->AsString();
        }
        filter.push_back({column, "=", value});
    }
    SetFilter(filter);
    First();
}

std::string TDuzuDataView::LookupText(const std::string& Column, const std::string& Value, const std::string& Field,
                                      const std::string& Fallback) {
    SetFilter({{Column, "=", Value}});
    First();
    std::string text = Fallback;
    if (!eof_) {
        TDuzuDataField* field = FindField(Field);
        text = field != nullptr ? field->AsString() : std::string(kInvalidText);
    }
    SetFilter({});
    return text;
}

void TDuzuDataView::SaveState() {
    if (saving_) RaiseDesignerError(throughMessageHook("DataView.SaveState called while Saving."));
    std::vector<Entry> chain;
    chain.push_back(eof_ || currentRow_ == nullptr ? Entry{Entry::kEnd, nullptr} : Entry{Entry::kRow, currentRow_});
    chain.insert(chain.end(), chain_.begin() + static_cast<std::ptrdiff_t>(replayAt_), chain_.end());
    chain_ = std::move(chain);
    replayAt_ = 1;
    saving_ = true;
    savedEof_ = eof_;
}

void TDuzuDataView::RestoreState() {
    if (!saving_) RaiseDesignerError(throughMessageHook("DataView.RestoreState called when not saving."));
    if (chain_.empty()) RaiseDesignerError(throughMessageHook("ValueList mismatch."));
    saving_ = false;
    replayAt_ = 0;
    replay();
    eof_ = savedEof_;
}

TDuzuDataView::TLookAheadMark TDuzuDataView::BeginLookAhead() {
    if (!saving_) {
        SaveState();
        return {true, 0, eof_, nullptr};
    }
    return {false, replayAt_, eof_, currentRow_};
}

void TDuzuDataView::EndLookAhead(const TLookAheadMark& Mark) {
    if (Mark.Outer) {
        RestoreState();
        return;
    }
    // Rows read since the mark stay in the chain and are replayed from here.
    if (!saving_ || Mark.ReplayAt > chain_.size()) RaiseDesignerError(throughMessageHook("ValueList mismatch."));
    replayAt_ = Mark.ReplayAt;
    eof_ = Mark.Eof;
    currentRow_ = Mark.Row;
}

bool TDuzuDataView::Peek() {
    TLookAheadMark mark = BeginLookAhead();
    bool atEnd = true;
    try {
        Next();
        atEnd = eof_;
    } catch (...) {
        EndLookAhead(mark);
        throw;
    }
    EndLookAhead(mark);
    return atEnd;
}

bool TDuzuDataView::Skip(int Count) {
    TLookAheadMark mark = BeginLookAhead();
    bool remains = false;
    try {
        for (int i = 0; i < Count && !eof_; ++i) Next();
        remains = !eof_;
    } catch (...) {
        EndLookAhead(mark);
        throw;
    }
    EndLookAhead(mark);
    return remains;
}

void TDuzuDataView::SaveToStreamHelper(TStreamHelper* Helper) { TDuzuWriter(Helper).WriteComponent(this, true); }

void TDuzuDataView::LoadFromStreamHelper(TStreamHelper* Helper) { TDuzuReader(Helper).ReadIntoComponent(this); }

// ---------------------------------------------------------------------------

TDuzuDataView* findDataView(const std::string& Name) {
    if (ProjectManager == nullptr) return nullptr;
    for (TDuzuProjectItem* item : ProjectManager->DataObjectList())
        if (SameText(item->Name(), Trim(Name))) return dynamic_cast<TDuzuDataView*>(item);
    return nullptr;
}

const std::vector<std::string>& reportVariableNames() {
    static const std::vector<std::string> names = {
        "DateShort", "DateLong",   "DateUS",      "DateInter",   "TimeShort",    "TimeLong",
        "TimeAMPM",  "Time24",     "FirstPage",   "LastPage",    "TotalPages",   "CurrentPage",
        "RelativePage", "PrinterName", "DriverName", "PortName"};
    return names;
}

namespace {

bool namedValue(const TStrings* List, const std::string& Name, std::string& Value) {
    if (List == nullptr) return false;
    for (int i = 0; i < List->Count(); ++i) {
        std::string line = List->Strings(i);
        std::size_t eq = line.find('=');
        if (!SameText(Trim(line.substr(0, eq)), Name)) continue;
        Value = eq == std::string::npos ? "" : line.substr(eq + 1);
        return true;
    }
    return false;
}

std::string nameText(const std::string& Item, TDuzuDataView* DefaultView) {
    std::size_t dot = Item.find('.');
    if (dot == std::string::npos) {
        TDuzuDataField* field = DefaultView != nullptr ? DefaultView->FindField(Item) : nullptr;
        return field != nullptr ? field->AsString() : kInvalidText;
    }
    std::string head = Trim(Item.substr(0, dot));
    std::string name = Trim(Item.substr(dot + 1));
    if (SameText(head, "REPORT")) {
        const std::vector<std::string>& names = reportVariableNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (SameText(names[i], name)) return PrintEngine != nullptr ? PrintEngine->Macro(static_cast<int>(i)) : "";
        return kInvalidText;
    }
    if (SameText(head, "PARAM")) {
        if (ProjectManager == nullptr) return kInvalidText;
        const TStrings* values = ProjectManager->ParamValues();
        for (int i = 0; i < values->Count(); ++i)
            if (SameText(values->Strings(i), name)) return ProjectManager->GetParamValue(name);
        std::string declared;
        return namedValue(ProjectManager->Parameters(), name, declared) ? declared : kInvalidText;
    }
    if (SameText(head, "PIVAR")) {
        TDuzuReport* report = ProjectManager != nullptr ? ProjectManager->ActiveReport() : nullptr;
        std::string value;
        return report != nullptr && namedValue(report->PIVars(), name, value) ? value : kInvalidText;
    }
    TDuzuDataView* view = findDataView(head);
    if (view == nullptr) return kInvalidText;
    TDuzuDataField* field = view->FindField(name);
    return field != nullptr ? field->AsString() : kInvalidText;
}

}  // namespace

std::string dataTextExpression(const std::string& Expression, TDuzuDataView* DefaultView) {
    std::string result;
    char joiner = '+';
    std::size_t at = 0;
    const std::string& text = Expression;
    while (at <= text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        std::string part;
        std::size_t end = at;
        if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
            char quote = text[at];
            std::size_t close = text.find(quote, at + 1);
            if (close == std::string::npos) close = text.size();
            part = text.substr(at + 1, close - at - 1);
            end = std::min(close + 1, text.size());
            while (end < text.size() && text[end] != '+' && text[end] != '&') ++end;
        } else {
            while (end < text.size() && text[end] != '+' && text[end] != '&') ++end;
            std::string item = Trim(text.substr(at, end - at));
            if (!item.empty()) part = nameText(item, DefaultView);
        }
        if (joiner == '&' && !result.empty() && !part.empty()) result += ' ';
        result += part;
        if (end >= text.size()) break;
        joiner = text[end];
        at = end + 1;
    }
    return result;
}

// ---------------------------------------------------------------------------

namespace {

using namespace duzu_props;

std::vector<TDuzuPropInfo> fieldProps() {
    return {string<TDuzuDataField>("FieldName", &TDuzuDataField::FieldName, &TDuzuDataField::SetFieldName),
            string<TDuzuDataField>("FullName", &TDuzuDataField::FullName, &TDuzuDataField::SetFullName),
            string<TDuzuDataField>("Description", &TDuzuDataField::Description, &TDuzuDataField::SetDescription),
            string<TDuzuDataField>("NullText", &TDuzuDataField::NullText, &TDuzuDataField::SetNullText),
            integer<TDuzuDataField>("Size", &TDuzuDataField::Size, &TDuzuDataField::SetSize, 10)};
}

void registerDataClasses() {
    RegisterDuzuClassInfo(
        {"TDuzuDataView", "TDuzuProjectItem",
         {string<TDuzuDataView>("ConnectionName", &TDuzuDataView::ConnectionName, &TDuzuDataView::SetConnectionName)},
         {}});
    RegisterDuzuClassInfo({"TDuzuDataField", "TDuzuComponent", fieldProps(), {}});
    RegisterDuzuClassInfo({"TDuzuStringField", "TDuzuDataField", {}, {}});
    RegisterDuzuClassInfo(
        {"TDuzuBooleanField", "TDuzuDataField",
         {string<TDuzuBooleanField>("TextTrue", &TDuzuBooleanField::TextTrue, &TDuzuBooleanField::SetTextTrue),
          string<TDuzuBooleanField>("TextFalse", &TDuzuBooleanField::TextFalse, &TDuzuBooleanField::SetTextFalse)},
         {}});
    RegisterDuzuClassInfo({"TDuzuFormattedField", "TDuzuDataField",
                           {string<TDuzuFormattedField>("DisplayFormat", &TDuzuFormattedField::DisplayFormat,
                                                        &TDuzuFormattedField::SetDisplayFormat)},
                           {}});
    RegisterDuzuClassInfo({"TDuzuIntegerField", "TDuzuFormattedField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuFloatField", "TDuzuFormattedField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuCurrencyField", "TDuzuFormattedField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuBCDField", "TDuzuCurrencyField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuDateTimeField", "TDuzuFormattedField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuDateField", "TDuzuDateTimeField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuTimeField", "TDuzuDateTimeField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuBlobField", "TDuzuDataField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuMemoField", "TDuzuBlobField", {}, {}});
    RegisterDuzuClassInfo({"TDuzuGraphicField", "TDuzuBlobField", {}, {}});
    RegisterClasses<TDuzuDataView, TDuzuStringField, TDuzuBooleanField, TDuzuIntegerField, TDuzuFloatField,
                    TDuzuCurrencyField, TDuzuBCDField, TDuzuDateTimeField, TDuzuDateField, TDuzuTimeField,
                    TDuzuBlobField, TDuzuMemoField, TDuzuGraphicField>();
    CreateDuzuDataView = [](TComponent* AOwner) -> TDuzuProjectItem* { return new TDuzuDataView(AOwner); };
}

}  // namespace

void DuzuRegisterDataClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterClasses();
        registerDataClasses();
    });
}
