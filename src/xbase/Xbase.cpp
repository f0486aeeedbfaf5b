#include "xbase/Xbase.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <typeinfo>

#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "os/Locale.h"
#include "os/Paths.h"
#include "xbengine/ExprCalls.h"
#include "xbengine/XbEngine.h"

// ---------------------------------------------------------------------------
// TXbaseEnv

namespace {

// The settings are process-wide, so one component holds them.
TXbaseEnv* theXbaseEnv = nullptr;

struct DateLayout {
    char separator;
    const char* shortDateFormat;
};

DateLayout layoutOf(TXbaseDateFrmt format) {
    switch (format) {
        case dfAmerican: return {'/', "mm/dd/yy"};
        case dfAnsi: return {'.', "yy.mm.dd"};
        case dfBritish:
        case dfFrench: return {'/', "dd/mm/yy"};
        case dfGerman: return {'.', "dd.mm.yy"};
        case dfItalian:
        case dfSpanish: return {'-', "dd-mm-yy"};
        case dfWinDefault: break;
    }
    return {'/', "m/d/yy"};
}

// Hands a setting to the engine, then keeps it for the property; a switch
// goes to the engine as on or off.
void keepSetting(int& Member, int Value, int (*Set)(int)) {
    Set(Value);
    Member = Value;
}

void keepSetting(bool& Member, bool Value, int (*Set)(int)) {
    Set(Value ? XB_ON : XB_OFF);
    Member = Value;
}

}  // namespace

TXbaseEnv::TXbaseEnv(TComponent* AOwner) : TComponent(AOwner) {
    // A second component would silently override the first one's settings.
    if (theXbaseEnv) throw Exception(SExtraXbaseEnv);
    theXbaseEnv = this;
}

TXbaseEnv::~TXbaseEnv() {
    if (theXbaseEnv == this) theXbaseEnv = nullptr;
}

void TXbaseEnv::SetExact(bool Value) { keepSetting(exact_, Value, xb_SetExact); }

void TXbaseEnv::SetCentury(bool Value) {
    keepSetting(century_, Value, xb_SetCentury);
    applyCentury();
}

void TXbaseEnv::applyCentury() {
    std::string::size_type four = ShortDateFormat.find("yyyy");
    if (century_) {
        std::string::size_type two = ShortDateFormat.find("yy");
        if (two != std::string::npos && four == std::string::npos) ShortDateFormat.replace(two, 2, "yyyy");
    } else if (four != std::string::npos) {
        ShortDateFormat.replace(four, 4, "yy");
    }
}

void TXbaseEnv::SetEpoch(int Value) {
    if (Value == 0)
        Value = 1900;
    else if (Value < 100)
        Value = 100;
    else if (Value > 2999)
        Value = 2999;
    epoch_ = Value;
    xb_SetEpoch(Value);
}

void TXbaseEnv::SetDateFormat(TXbaseDateFrmt Value) {
    xb_SetDateFormat(Value == dfWinDefault ? XB_DATE_SYSTEM : static_cast<int>(Value));
    dateFormat_ = Value;
    if (Value == dfWinDefault) {
        std::string system = os::ShortDateFormat();
        ShortDateFormat = system.empty() ? layoutOf(dfWinDefault).shortDateFormat : system;
        DateSeparator = os::DateSeparator();
    } else {
        DateLayout layout = layoutOf(Value);
        ShortDateFormat = layout.shortDateFormat;
        DateSeparator = layout.separator;
    }
    if (century_) applyCentury();
}

void TXbaseEnv::SetLockTimeout(int Value) { keepSetting(lockTimeout_, Value, xb_SetLockTimeout); }

void TXbaseEnv::SetMemoBlockSize(int Value) { keepSetting(memoBlockSize_, Value, xb_SetMemoBlockSize); }

void TXbaseEnv::SetSoftSeek(bool Value) { keepSetting(softSeek_, Value, xb_SetSoftSeek); }

void TXbaseEnv::SetDeleted(bool Value) { keepSetting(deleted_, Value, xb_SetDeleted); }

int TXbaseEnv::ErrorLevel(int Level) { return static_cast<int16_t>(xb_ErrorLevel(Level)); }

// ---------------------------------------------------------------------------
// TXbaseDataLink

void TXbaseDataLink::ActiveChanged() { owner_->activeChanged(); }

// ---------------------------------------------------------------------------
// TXbase

namespace {

// Selects the table's work area for the time of one call and puts the
// previous selection back: callers never rely on which area is current.
class AreaSelection {
public:
    explicit AreaSelection(const TTable* table)
        : saved_(table && table->Handle() != 0 ? xb_Select(static_cast<int>(table->Handle()))
                                               : xb_WorkArea(nullptr)) {}
    // Selects another area (the table being defined) within the call.
    explicit AreaSelection(int area) : saved_(xb_Select(area)) {}
    // Also when the call itself selected another area (a table being created).
    ~AreaSelection() {
        if (saved_ != 0) xb_Select(saved_);
    }
    AreaSelection(const AreaSelection&) = delete;
    AreaSelection& operator=(const AreaSelection&) = delete;

private:
    int saved_;
};

const char* extensionFor(TTableType type) {
    switch (type) {
        case ttSXNTX: return ".NTX";
        case ttSXFOX: return ".IDX";
        case ttSXNSX: return ".NSX";
        default: return "";
    }
}

}  // namespace

template <class T, class Call>
T TXbase::inOpenArea(T Closed, Call call) const {
    TTable* table = openTable();
    if (!table) return Closed;
    AreaSelection area(table);
    return call();
}

template <class Call>
void TXbase::inOpenArea(Call call) const {
    TTable* table = openTable();
    if (!table) return;
    AreaSelection area(table);
    call();
}

TXbase::TXbase(TComponent* AOwner) : TComponent(AOwner), dataLink_(this) {
    xb_SetStringType(XB_STRING_ZERO_TERMINATED);
}

TXbase::~TXbase() = default;

TTable* TXbase::linkedTable() const {
    // Most calls are record moves and field reads on the same dataset, so the
    // cast is kept for as long as the object there is of the same class.
    TDataSet* dataSet = dataLink_.DataSet();
    if (dataSet != castFrom_ || (dataSet && typeid(*dataSet) != *castType_)) {
        castFrom_ = dataSet;
        castType_ = dataSet ? &typeid(*dataSet) : nullptr;
        castTable_ = dynamic_cast<TTable*>(dataSet);
    }
    return castTable_;
}

TTable* TXbase::openTable() const {
    TTable* table = linkedTable();
    return table && table->Active() && table->Handle() != 0 ? table : nullptr;
}

template <class Step>
auto TXbase::engineMove(TTable* Table, Step step) {
    Table->CheckBrowseMode();
    Table->UpdateCursorPos();
    AreaSelection area(Table);
    return step();
}

void TXbase::afterMove(TTable* Table) {
    // Re-read around the engine's position; the dataset's old record is
    // forgotten, so seeks and scopes show in every control.
    Table->Resync({});
}

template <class Step>
void TXbase::moved(TTable* Table, Step step) {
    engineMove(Table, step);
    afterMove(Table);
}

void TXbase::indexChanged(TTable* Table, int Order) {
    Table->UpdateIndexDefs();
    std::string tag;
    {
        AreaSelection area(Table);
        tag = xb_TagName(Order);
    }
    Table->SetIndexName(tag);
}

template <class Step>
int TXbase::indexMove(TTable* Table, Step step) {
    const int order = engineMove(Table, step);
    if (order > 0) indexChanged(Table, order);
    afterMove(Table);
    return order;
}

// ---- Seeking and limiting ----

bool TXbase::Seek(const std::string& Key) {
    TTable* table = openTable();
    if (!table) return false;
    const bool found = engineMove(table, [&] { return xb_Seek(Key.c_str()) != 0; });
    if (found) {
        afterMove(table);
    } else {
        // At end of file also when soft seek left the engine on a greater key.
        table->Last();
        table->Next();
    }
    return found;
}

bool TXbase::Found() {
    return inOpenArea(false, [] { return xb_Found() != 0; });
}

bool TXbase::SetScope(const std::string& Low, const std::string& High) {
    TTable* table = openTable();
    if (!table) return false;
    const bool taken = engineMove(table, [&] { return xb_SetScope(Low.c_str(), High.c_str()) != 0; });
    table->First();
    return taken;
}

void TXbase::GetScope(int Which, std::string& Value) {
    Value = inOpenArea(std::string(), [&] { return std::string(xb_GetScope(Which)); });
}

int TXbase::Query(const std::string& Expression) {
    filter_ = Expression;
    TTable* table = openTable();
    if (!table) return 0;
    const int result = engineMove(table, [&] { return xb_Query(Expression.c_str()); });
    afterMove(table);
    return result;
}

void TXbase::SetFilter(const std::string& Expression) {
    filter_ = Expression;
    TTable* table = openTable();
    if (!table) return;
    moved(table, [&] { xb_SetFilter(Expression.c_str()); });
}

// ---- Counts and positions ----

int TXbase::Count() {
    return inOpenArea(0, [] { return xb_Count(); });
}

int TXbase::RecCount() {
    return inOpenArea(0, [] { return xb_RecCount(); });
}

int TXbase::RecSize() {
    return inOpenArea(0, [] { return xb_RecSize(); });
}

int TXbase::RecNo() {
    TTable* table = openTable();
    return table ? table->RecNo() : -1;
}

bool TXbase::Locked(int RecNo) {
    return inOpenArea(false, [&] { return xb_Locked(RecNo) != 0; });
}

void TXbase::Go(int RecNo) {
    TTable* table = openTable();
    if (!table) return;
    moved(table, [&] { xb_Go(RecNo); });
}

void TXbase::Prefetch(int RecNo) {
    TTable* table = openTable();
    if (!table) return;
    AreaSelection area(table);
    xb_Prefetch(RecNo);
}

void TXbase::GoTop() {
    TTable* table = openTable();
    if (!table) return;
    moved(table, [&] { xb_GoTop(); });
}

void TXbase::GoBottom() {
    TTable* table = openTable();
    if (!table) return;
    moved(table, [&] { xb_GoBottom(); });
}

void TXbase::Skip(int Count) {
    if (TTable* table = openTable()) table->MoveBy(Count);
}

bool TXbase::Eof() {
    TTable* table = openTable();
    return table ? table->Eof() : true;
}

bool TXbase::RecordDeleted() {
    TTable* table = openTable();
    // An empty dataset has no record, so nothing is deleted.
    if (!table || table->IsEmpty()) return false;
    const uint8_t* buffer = table->ActiveBuffer();
    return buffer && buffer[0] != ' ' && buffer[0] != 'E';
}

void TXbase::PaddedFieldValue(const std::string& FieldName, std::string& Value) {
    TTable* table = linkedTable();
    if (!table) {
        Value.clear();
        return;
    }
    TField* field = table->FieldByName(FieldName);
    Value = field->AsString();
    if (field->DataType() == ftString) {
        size_t width = static_cast<size_t>(field->DataSize() - 1);
        if (Value.size() < width) Value.append(width - Value.size(), ' ');
    }
}

const std::vector<TXbase::FieldPlace>& TXbase::fieldPlaces(TTable* Table, const std::vector<std::string>& FieldNames) {
    bool known = placesTable_ == Table && places_.size() == FieldNames.size();
    for (size_t i = 0; known && i < FieldNames.size(); ++i) known = places_[i].Name == FieldNames[i];
    if (known) return places_;
    places_.clear();
    placesTable_ = Table;
    AreaSelection area(Table);
    for (const std::string& name : FieldNames) {
        FieldPlace place{name};
        // Read straight only where the field reads the stored text as it is.
        const int number = xb_FieldNum(name.c_str());
        TField* field = Table->FindField(name);
        if (number > 0 && std::string_view(xb_FieldType(number)) == "C" && field && field->FieldKind() == fkData &&
            field->DataType() == ftString && field->DataSize() == xb_FieldWidth(number) + 1) {
            place.Offset = xb_FieldOffset(number) - 1;
            place.Width = xb_FieldWidth(number);
        }
        places_.push_back(std::move(place));
    }
    return places_;
}

void TXbase::AppendPaddedFieldValues(const std::vector<std::string>& FieldNames, std::string& Key) {
    TTable* table = openTable();
    const uint8_t* record = table ? table->GetActiveRecBuf() : nullptr;
    if (!record) {
        std::string value;
        for (const std::string& name : FieldNames) {
            PaddedFieldValue(name, value);
            Key += value;
        }
        return;
    }
    for (const FieldPlace& place : fieldPlaces(table, FieldNames)) {
        if (place.Width == 0) {
            std::string value;
            PaddedFieldValue(place.Name, value);
            Key += value;
            continue;
        }
        // As the field reads it: up to its last character above a blank and
        // its first zero byte, then blanks to its width.
        const char* text = reinterpret_cast<const char*>(record) + place.Offset;
        size_t n = static_cast<size_t>(place.Width);
        while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= ' ') --n;
        n = strnlen(text, n);
        Key.append(text, n);
        Key.append(static_cast<size_t>(place.Width) - n, ' ');
    }
}

// ---- Writing ----

void TXbase::Commit() {
    TTable* table = openTable();
    if (!table) return;
    if (table->State() == dsEdit || table->State() == dsInsert) table->Post();
    AreaSelection area(table);
    xb_Commit();
}

bool TXbase::lockRecord(int RecNo) {
    if (RecNo <= 0) return false;
    return inOpenArea(false, [&] { return xb_HoldRecord(RecNo) != 0; });
}

void TXbase::unlockRecord(int RecNo) {
    if (RecNo <= 0) return;
    inOpenArea([&] { xb_ReleaseRecord(RecNo); });
}

bool TXbase::lockAppend() {
    return inOpenArea(false, [] { return xb_AppendLock() != 0; });
}

void TXbase::unlockAppend() {
    inOpenArea([] { xb_AppendUnlock(); });
}

void TXbase::Zap() {
    TTable* table = openTable();
    if (!table) return;
    moved(table, [&] { xb_Zap(); });
}

void TXbase::AppendFrom(const std::string& FileName, int Driver, const std::string& Condition) {
    TTable* table = openTable();
    if (!table) return;
    moved(table, [&] { xb_AppendFrom(FileName.c_str(), Driver, Condition.c_str()); });
}

// ---- Creating tables ----

int TXbase::CreateNew(const std::string& FileName, const std::string& Alias, int Driver, int NumFields) {
    AreaSelection area(openTable());
    newWorkArea_ = xb_CreateNew(FileName.c_str(), Alias.c_str(), Driver, NumFields);
    return newWorkArea_;
}

int TXbase::CreateNew(const std::string& FileName, int Driver, int NumFields) {
    return CreateNew(FileName, std::string(), Driver, NumFields);
}

void TXbase::CreateField(const std::string& Name, const std::string& FieldType, int Width, int Decimals) {
    // Without a table being defined the field would land in whatever area is current.
    if (newWorkArea_ == 0) return;
    AreaSelection area(newWorkArea_);
    xb_CreateField(Name.c_str(), FieldType.c_str(), Width, Decimals);
}

bool TXbase::CreateExec() {
    if (newWorkArea_ == 0) return false;
    AreaSelection area(newWorkArea_);
    bool written = xb_CreateExec() != 0;
    xb_Close();
    newWorkArea_ = 0;
    return written;
}

// ---- Indexes ----

int TXbase::Index(const std::string& FileName, const std::string& Expression, int Option, bool Descending,
                  const std::string& Condition) {
    TTable* table = openTable();
    if (!table) return 0;
    return indexMove(table, [&] {
        return xb_Index(FileName.c_str(), Expression.c_str(), Option, Descending ? XB_DESCENDING : XB_ASCENDING,
                        Condition.c_str());
    });
}

int TXbase::IndexTag(const std::string& FileName, const std::string& TagName, const std::string& Expression,
                     int Option, bool Descending, const std::string& Condition) {
    TTable* table = openTable();
    if (!table) return 0;
    return indexMove(table, [&] {
        return xb_IndexTag(FileName.c_str(), TagName.c_str(), Expression.c_str(), Option,
                           Descending ? XB_DESCENDING : XB_ASCENDING, Condition.c_str());
    });
}

int TXbase::IndexOpen(const std::string& FileName) {
    TTable* table = openTable();
    if (!table) return 0;
    return indexMove(table, [&] { return xb_IndexOpen(FileName.c_str()); });
}

int TXbase::IndexOrd() {
    return inOpenArea(0, [] { return xb_IndexOrd(); });
}

int TXbase::SetOrder(int Order) {
    TTable* table = openTable();
    if (!table) return 0;
    table->CheckBrowseMode();
    int previous;
    std::string tag;
    {
        AreaSelection area(table);
        previous = xb_SetOrder(Order);
        tag = xb_TagName(Order);
    }
    // The table switches to the same order and keeps its record.
    table->SetIndexName(tag);
    return previous;
}

std::string TXbase::TagName(int Order) {
    return inOpenArea(std::string(), [&] { return std::string(xb_TagName(Order)); });
}

void TXbase::SetGaugeHook(std::function<void(int Percent)> Hook) { xb_SetGaugeHook(std::move(Hook)); }

// ---- Engine properties ----

intptr_t TXbase::SysProp(int Code, intptr_t Value) {
    AreaSelection area(openTable());
    return xb_SysProp(Code, Value);
}

bool TXbase::hideDeleted(bool Hide) { return xb_SetDeleted(Hide ? XB_ON : XB_OFF) != XB_OFF; }

void TXbase::SetTurboRead(bool Value) {
    turboRead_ = Value;
    inOpenArea([&] { xb_SetTurboRead(Value ? XB_ON : XB_OFF); });
}

// ---- Binding ----

void TXbase::SetDataSource(TDataSource* Value) { dataLink_.SetDataSource(Value); }

void TXbase::SetExtraIndexes(const TStrings* Value) {
    extraIndexes_.Assign(Value);
    if (openTable()) openExtraIndexes();
}

void TXbase::openExtraIndexes() {
    TTable* table = openTable();
    if (!table) return;
    int remembered = IndexOrd();
    SetOrder(0);
    int firstOpened = 0;
    for (int i = 0; i < extraIndexes_.Count(); ++i) {
        std::string file = extraIndexes_.Strings(i);
        if (file.empty()) continue;
        if (os::ExtractFileExt(file).empty()) file += extensionFor(table->TableType());
        int order = IndexOpen(file);
        if (firstOpened == 0) firstOpened = order;
    }
    SetOrder(remembered != 0 ? remembered : firstOpened);
}

void TXbase::activeChanged() {
    // Another table, or the same one opened again, may place its fields elsewhere.
    placesTable_ = nullptr;
    if (!openTable()) return;
    if (!filter_.empty()) Query(filter_);
    if (extraIndexes_.Count() > 0) openExtraIndexes();
}
