#include "data/Fields.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/MoneyText.h"
#include "data/DataSet.h"
#include "data/Dbi.h"

namespace {

// All the decimals a Currency holds.
constexpr int CurrencyDecimalsHeld = 4;

// The width and decimals Field has in its table's records; nullptr when
// the field is not bound to a stored number.
const TFieldDef* StoredNumber(const TField* Field) {
    TDataSet* data = Field->DataSet();
    const int def = data ? data->FieldDefs().IndexOf(Field->FieldName()) : -1;
    if (def < 0) return nullptr;
    const TFieldDef& stored = data->FieldDefs().Items(def);
    return stored.DataType() == ftFloat || stored.DataType() == ftCurrency ? &stored : nullptr;
}

// True when Value, at Decimals, needs no more characters than Width.
bool FitsWidth(Currency Value, int Width, int Decimals) {
    int64_t whole = Value.Raw() / Currency::Scale;
    int chars = Value < Currency() ? 2 : 1;  // the sign and the first digit
    for (whole = whole < 0 ? -whole : whole; whole >= 10; whole /= 10) ++chars;
    return chars + (Decimals > 0 ? Decimals + 1 : 0) <= Width;
}

// Money typed into Field, read by the money rule and held to what the
// field stores: a finer or wider value would be stored as another amount
// than the one typed. False when refused.
bool MoneyOfText(const TField* Field, const std::string& Text, Currency& Value) {
    const TFieldDef* stored = StoredNumber(Field);
    const int decimals = stored ? stored->Precision() : CurrencyDecimalsHeld;
    return tryMoneyTextToCurr(Text, decimals, Value) &&
           (!stored || stored->Size() <= 0 || FitsWidth(Value, stored->Size(), decimals));
}

}  // namespace

// ---------------------------------------------------------------------------
// TField

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    if (dataSet_) dataSet_->Fields().Remove(this);
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (dataSet_) {
        dataSet_->CheckInactive();
        dataSet_->Fields().Remove(this);
    }
    if (Value) {
        Value->CheckInactive();
        if (Value->FindField(fieldName_) && !fieldName_.empty()) DatabaseErrorFmt(SDuplicateFieldName, {fieldName_}, Value);
        Value->Fields().Add(this);
    }
    dataSet_ = Value;
}

void TField::SetFieldName(const std::string& Value) {
    if (dataSet_) dataSet_->CheckInactive();
    fieldName_ = Value;
}

void TField::SetFieldKind(TFieldKind Value) {
    if (dataSet_) dataSet_->CheckInactive();
    fieldKind_ = Value;
}

void TField::SetSize(int Value) {
    if (dataSet_) dataSet_->CheckInactive();
    size_ = Value;
}

void TField::SetDisplayLabel(const std::string& Value) {
    displayLabel_ = Value == fieldName_ ? std::string() : Value;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetDisplayWidth(int Value) {
    displayWidth_ = Value;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

int TField::Index() const { return dataSet_ ? dataSet_->Fields().IndexOf(this) : -1; }

void TField::SetIndex(int Value) {
    if (!dataSet_) return;
    TFields& fields = dataSet_->Fields();
    int count = fields.Count();
    Value = std::clamp(Value, 0, count - 1);
    int current = fields.IndexOf(this);
    if (current == Value) return;
    fields.Move(current, Value);
    dataSet_->DataEvent(deLayoutChange, 0);
}

bool TField::CanModify() const {
    return !readOnly_ && dataSet_ && dataSet_->CanModify() && fieldKind_ == fkData;
}

bool TField::IsNull() const { return isNullValue(); }

bool TField::isNullValue() const {
    std::vector<uint8_t> scratch(std::max(DataSize(), 1));
    return !GetData(scratch.data());
}

bool TField::GetData(void* Buffer) const {
    if (!dataSet_) DatabaseErrorFmt(SFieldNoDataSet, {DisplayName()});
    return dataSet_->GetFieldData(const_cast<TField*>(this), Buffer);
}

void TField::SetData(const void* Buffer) {
    if (!dataSet_) DatabaseErrorFmt(SFieldNoDataSet, {DisplayName()});
    dataSet_->SetFieldData(this, Buffer);
}

void TField::changed() {
    if (OnChange) OnChange(this);
}

std::string TField::Text() const {
    std::string text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, false);
    else
        GetText(text, false);
    return text;
}

void TField::SetText(const std::string& Value) {
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetTextValue(Value);
}

std::string TField::DisplayText() const {
    std::string text;
    if (OnGetText)
        OnGetText(const_cast<TField*>(this), text, true);
    else
        GetText(text, true);
    return text;
}

void TField::GetText(std::string& Text, bool) const { Text = GetAsString(); }

Variant TField::GetAsVariant() const { AccessError("Variant"); }

void TField::SetValue(const Variant& Value) {
    switch (Value.VarType()) {
        case Variant::varNull: Clear(); break;
        case Variant::varBoolean: SetAsBoolean(Value.AsBoolean()); break;
        case Variant::varInteger: SetAsInteger(Value.AsInteger()); break;
        case Variant::varDouble: SetAsFloat(Value.AsFloat()); break;
        case Variant::varCurrency: SetAsCurrency(Value.AsCurrency()); break;
        case Variant::varDate: SetAsDateTime(Value.AsDateTime()); break;
        case Variant::varString:
        case Variant::varArray: SetAsString(Value.AsString()); break;  // an array raises
    }
}

bool TField::IsValidChar(char Ch) const { return Ch != 0; }

void TField::AccessError(const std::string& TypeName) const {
    DatabaseErrorFmt(SFieldAccessError, {DisplayName(), TypeName});
}

void TField::RangeError(double Value, double Min, double Max) const {
    DatabaseErrorFmt(SFieldRangeError, {FloatToStr(Value), DisplayName(), FloatToStr(Min), FloatToStr(Max)});
}

std::string TField::GetAsString() const { AccessError("String"); }
void TField::SetAsStringValue(const std::string&) { AccessError("String"); }
int TField::GetAsInteger() const { AccessError("Integer"); }
void TField::SetAsIntegerValue(int) { AccessError("Integer"); }
double TField::GetAsFloat() const { AccessError("Float"); }
void TField::SetAsFloatValue(double) { AccessError("Float"); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBooleanValue(bool) { AccessError("Boolean"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTimeValue(TDateTime) { AccessError("DateTime"); }

// ---------------------------------------------------------------------------
// TStringField

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

std::string TStringField::GetAsString() const {
    // Most values are read into the stack and copied once at their own
    // length, which for short values needs no allocation at all.
    const size_t size = static_cast<size_t>(DataSize()) + 1;
    char local[256];
    if (size <= sizeof local) {
        if (!GetData(local)) return {};
        return std::string(local, strnlen(local, size));
    }
    std::string buffer(size, '\0');
    if (!GetData(buffer.data())) return {};
    buffer.resize(strnlen(buffer.data(), buffer.size()));
    return buffer;
}

void TStringField::SetAsStringValue(const std::string& Value) {
    std::vector<char> buffer(DataSize(), 0);
    std::memcpy(buffer.data(), Value.data(), std::min<size_t>(Value.size(), Size()));
    SetData(buffer.data());
}

int TStringField::GetAsInteger() const {
    std::string text = GetAsString();
    int value = 0;
    if (!TryStrToInt(text, value)) DatabaseErrorFmt(SInvalidIntegerValue, {text, DisplayName()});
    return value;
}

double TStringField::GetAsFloat() const {
    std::string text = GetAsString();
    double value = 0;
    if (!TryStrToFloat(text, value)) DatabaseErrorFmt(SInvalidFloatValue, {text, DisplayName()});
    return value;
}

Variant TStringField::GetAsVariant() const {
    if (IsNull()) return {};
    return GetAsString();
}

bool TStringField::GetAsBoolean() const {
    std::string text = GetAsString();
    return !text.empty() && (text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y');
}

// ---------------------------------------------------------------------------
// TNumericField

void TNumericField::SetDisplayFormat(const std::string& Value) {
    displayFormat_ = Value;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange, 0);
}

void TNumericField::SetEditFormat(const std::string& Value) {
    editFormat_ = Value;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange, 0);
}

// ---------------------------------------------------------------------------
// TIntegerField, TSmallintField

TIntegerField::TIntegerField(TComponent* AOwner) : TIntegerField(AOwner, INT_MIN, INT_MAX) {
    SetDataType(ftInteger);
}

TIntegerField::TIntegerField(TComponent* AOwner, int Min, int Max)
    : TNumericField(AOwner), naturalMin_(Min), naturalMax_(Max) {}

bool TIntegerField::getValue(int& Value) const {
    int32_t v = 0;
    if (!GetData(&v)) return false;
    Value = v;
    return true;
}

void TIntegerField::putValue(int Value) {
    int32_t v = Value;
    SetData(&v);
}

int TIntegerField::GetAsInteger() const {
    int v = 0;
    return getValue(v) ? v : 0;
}

std::string TIntegerField::GetAsString() const {
    int v = 0;
    return getValue(v) ? IntToStr(v) : std::string();
}

Variant TIntegerField::GetAsVariant() const {
    int v = 0;
    if (!getValue(v)) return {};
    return v;
}

void TIntegerField::GetText(std::string& Text, bool DisplayText) const {
    int v = 0;
    if (!getValue(v)) {
        Text.clear();
        return;
    }
    const std::string& format = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    Text = format.empty() ? IntToStr(v) : FormatFloat(format, v);
}

void TIntegerField::SetAsStringValue(const std::string& Value) {
    std::string text = Trim(Value);
    if (text.empty()) {
        Clear();
        return;
    }
    int v = 0;
    if (!TryStrToInt(text, v)) DatabaseErrorFmt(SInvalidIntegerValue, {Value, DisplayName()});
    SetAsIntegerValue(v);
}

void TIntegerField::SetAsIntegerValue(int Value) {
    int min = naturalMin_, max = naturalMax_;
    if (minValue_ != 0 || maxValue_ != 0) {
        min = std::max(min, minValue_);
        max = std::min(max, maxValue_);
    }
    if (Value < min || Value > max) RangeError(Value, min, max);
    putValue(Value);
}

void TIntegerField::SetAsFloatValue(double Value) {
    double rounded = std::round(Value);
    if (rounded < naturalMin_ || rounded > naturalMax_) RangeError(Value, naturalMin_, naturalMax_);
    SetAsIntegerValue(static_cast<int>(rounded));
}

bool TIntegerField::IsValidChar(char Ch) const {
    return (Ch >= '0' && Ch <= '9') || Ch == '+' || Ch == '-';
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner, -32768, 32767) {
    SetDataType(ftSmallint);
}

bool TSmallintField::getValue(int& Value) const {
    int16_t v = 0;
    if (!GetData(&v)) return false;
    Value = v;
    return true;
}

void TSmallintField::putValue(int Value) {
    int16_t v = static_cast<int16_t>(Value);
    SetData(&v);
}

// ---------------------------------------------------------------------------
// TFloatField, TCurrencyField

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) { SetDataType(ftFloat); }

void TFloatField::SetCurrency(bool Value) {
    currency_ = Value;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange, 0);
}

void TFloatField::SetPrecision(int Value) { precision_ = std::clamp(Value, 2, 15); }

double TFloatField::GetAsFloat() const {
    double v = 0;
    return GetData(&v) ? v : 0;
}

int TFloatField::GetAsInteger() const { return static_cast<int>(std::lround(GetAsFloat())); }

std::string TFloatField::GetAsString() const {
    double v = 0;
    return GetData(&v) ? FloatToStr(v) : std::string();
}

Variant TFloatField::GetAsVariant() const {
    double v = 0;
    if (!GetData(&v)) return {};
    if (currency_) return Currency(v);
    return v;
}

void TFloatField::GetText(std::string& Text, bool DisplayText) const {
    double v = 0;
    if (!GetData(&v)) {
        Text.clear();
        return;
    }
    const std::string& format = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
    if (!format.empty())
        Text = FormatFloat(format, v);
    else if (currency_)
        Text = FloatToStrF(v, DisplayText ? ffCurrency : ffFixed, precision_, CurrencyDecimals);
    else
        Text = FloatToStrF(v, ffGeneral, precision_, 0);
}

void TFloatField::SetAsStringValue(const std::string& Value) {
    std::string text = Trim(Value);
    if (text.empty()) {
        Clear();
        return;
    }
    if (currency_) {
        Currency money;
        if (!MoneyOfText(this, text, money))
            DatabaseErrorFmt(SInvalidFloatValue, {Value, DisplayName()});
        SetAsFloatValue(money.ToDouble());
        return;
    }
    double v = 0;
    if (!TryStrToFloat(text, v)) DatabaseErrorFmt(SInvalidFloatValue, {Value, DisplayName()});
    SetAsFloatValue(v);
}

void TFloatField::SetAsFloatValue(double Value) {
    if ((minValue_ != 0 || maxValue_ != 0) && (Value < minValue_ || Value > maxValue_))
        RangeError(Value, minValue_, maxValue_);
    SetData(&Value);
}

bool TFloatField::IsValidChar(char Ch) const {
    return (Ch >= '0' && Ch <= '9') || Ch == '+' || Ch == '-' || Ch == DecimalSeparator || Ch == 'E' || Ch == 'e';
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

// ---------------------------------------------------------------------------
// TBooleanField

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const std::string& Value) {
    displayValues_ = Value;
    size_t semi = Value.find(';');
    if (semi == std::string::npos) {
        trueText_ = Value;
        falseText_.clear();
    } else {
        trueText_ = Value.substr(0, semi);
        falseText_ = Value.substr(semi + 1);
    }
    if (DataSet()) DataSet()->DataEvent(deLayoutChange, 0);
}

int TBooleanField::defaultWidth() const {
    return static_cast<int>(std::max(trueText_.size(), falseText_.size()));
}

bool TBooleanField::GetAsBoolean() const {
    int16_t v = 0;
    return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBooleanValue(bool Value) {
    int16_t v = Value ? 1 : 0;
    SetData(&v);
}

Variant TBooleanField::GetAsVariant() const {
    int16_t v = 0;
    if (!GetData(&v)) return {};
    return v != 0;
}

std::string TBooleanField::GetAsString() const {
    int16_t v = 0;
    if (!GetData(&v)) return {};
    return v ? trueText_ : falseText_;
}

void TBooleanField::SetAsStringValue(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    // A prefix of either text will do, as typed into a grid cell.
    auto matches = [&](const std::string& text) {
        return Value.size() <= text.size() && SameText(text.substr(0, Value.size()), Value);
    };
    if (matches(falseText_))
        SetAsBooleanValue(false);
    else if (matches(trueText_))
        SetAsBooleanValue(true);
    else
        DatabaseErrorFmt(SInvalidBoolValue, {Value, DisplayName()});
}

// ---------------------------------------------------------------------------
// TDateField

TDateField::TDateField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftDate); }

void TDateField::SetDisplayFormat(const std::string& Value) {
    displayFormat_ = Value;
    if (DataSet()) DataSet()->DataEvent(deLayoutChange, 0);
}

TDateTime TDateField::GetAsDateTime() const {
    int32_t days = 0;
    if (!GetData(&days)) return 0;
    return static_cast<TDateTime>(days - DateDelta);
}

void TDateField::SetAsDateTimeValue(TDateTime Value) {
    int32_t days = static_cast<int32_t>(std::floor(Value)) + DateDelta;
    SetData(&days);
}

Variant TDateField::GetAsVariant() const {
    int32_t days = 0;
    if (!GetData(&days)) return {};
    return Variant::FromDate(days - DateDelta);
}

std::string TDateField::GetAsString() const {
    std::string text;
    GetText(text, false);
    return text;
}

void TDateField::GetText(std::string& Text, bool DisplayText) const {
    int32_t days = 0;
    if (!GetData(&days)) {
        Text.clear();
        return;
    }
    TDateTime value = days - DateDelta;
    Text = FormatDateTime(DisplayText && !displayFormat_.empty() ? displayFormat_ : std::string("ddddd"), value);
}

void TDateField::SetAsStringValue(const std::string& Value) {
    if (Trim(Value).empty()) {
        Clear();
        return;
    }
    SetAsDateTimeValue(StrToDate(Value));
}

// ---------------------------------------------------------------------------
// TBlobField, TMemoField

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) { SetDataType(ftBlob); }

std::string TBlobField::GetAsString() const {
    if (!DataSet()) DatabaseErrorFmt(SFieldNoDataSet, {DisplayName()});
    std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
    std::string text(static_cast<size_t>(stream->Size()), '\0');
    if (!text.empty()) text.resize(static_cast<size_t>(stream->Read(text.data(), static_cast<int64_t>(text.size()))));
    return text;
}

void TBlobField::SetAsStringValue(const std::string& Value) {
    if (!DataSet()) DatabaseErrorFmt(SFieldNoDataSet, {DisplayName()});
    std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(this, bmWrite);
    if (!Value.empty()) stream->WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
}

bool TBlobField::isNullValue() const {
    if (!DataSet()) DatabaseErrorFmt(SFieldNoDataSet, {DisplayName()});
    if (!DataSet()->GetActiveRecBuf()) return true;
    return DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead)->Size() == 0;
}

Variant TBlobField::GetAsVariant() const {
    if (IsNull()) return {};
    return GetAsString();
}

void TBlobField::GetText(std::string& Text, bool) const { Text = classDesc(IsNull()); }

void TBlobField::LoadFromStream(TStream* Stream) {
    std::unique_ptr<TStream> blob = DataSet()->CreateBlobStream(this, bmWrite);
    Stream->SetPosition(0);
    blob->CopyFrom(Stream, 0);
}

void TBlobField::SaveToStream(TStream* Stream) const {
    std::unique_ptr<TStream> blob = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
    if (blob->Size() > 0) Stream->CopyFrom(blob.get(), 0);
}

void TBlobField::LoadFromFile(const std::string& FileName) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TBlobField::SaveToFile(const std::string& FileName) const {
    TFileStream file(FileName, fmCreate);
    SaveToStream(&file);
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) { SetDataType(ftMemo); }

// ---------------------------------------------------------------------------
// TFields

TField* TFields::Fields(int Index) const {
    if (Index < 0 || Index >= Count()) DatabaseError(SFieldIndexError);
    return list_[Index];
}

TField* TFields::FindField(const std::string& FieldName) const {
    // Names of one length are many; their first letter tells most apart
    // before the whole names are compared.
    auto firstUpper = [](const std::string& Name) {
        const char c = Name.empty() ? '\0' : Name[0];
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    };
    const char first = firstUpper(FieldName);
    for (TField* f : list_) {
        const std::string& name = f->FieldName();
        if (name.size() == FieldName.size() && firstUpper(name) == first && SameText(name, FieldName)) return f;
    }
    return nullptr;
}

TField* TFields::FieldByNumber(int FieldNo) const {
    for (TField* f : list_)
        if (f->FieldNo() == FieldNo) return f;
    return nullptr;
}

int TFields::IndexOf(const TField* Field) const {
    auto it = std::find(list_.begin(), list_.end(), Field);
    return it == list_.end() ? -1 : static_cast<int>(it - list_.begin());
}

void TFields::Add(TField* Field) { list_.push_back(Field); }

void TFields::Remove(TField* Field) {
    auto it = std::find(list_.begin(), list_.end(), Field);
    if (it != list_.end()) list_.erase(it);
}

void TFields::Move(int CurIndex, int NewIndex) {
    TField* f = list_[CurIndex];
    list_.erase(list_.begin() + CurIndex);
    list_.insert(list_.begin() + NewIndex, f);
}

TField* createFieldOfType(TFieldType Type, TComponent* AOwner) {
    switch (Type) {
        case ftString: return new TStringField(AOwner);
        case ftSmallint: return new TSmallintField(AOwner);
        case ftInteger: return new TIntegerField(AOwner);
        case ftFloat: return new TFloatField(AOwner);
        case ftCurrency: return new TCurrencyField(AOwner);
        case ftBoolean: return new TBooleanField(AOwner);
        case ftDate: return new TDateField(AOwner);
        case ftMemo: return new TMemoField(AOwner);
        case ftBlob:
        case ftGraphic:
        case ftDBaseOle:
        case ftTypedBinary: {
            auto* field = new TBlobField(AOwner);
            field->SetBlobType(Type);
            return field;
        }
        default: return nullptr;
    }
}
