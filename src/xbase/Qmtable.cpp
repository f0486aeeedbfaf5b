#include "xbase/Qmtable.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/SysUtils.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "xbase/Qmutils.h"

namespace {

// Memo reads go in chunks of this size.
constexpr int64_t MemoChunk = 32768;
// An engine status that ends a memo read without an error.
constexpr DBIResult QuietBlobStop = 9998;

void Warn(const std::string& Message) { MessageDlg(Message, mtWarning, TMsgDlgButtons{mbOK}); }

bool IsXbaseType(TTableType Type) { return Type == ttSXNTX || Type == ttSXFOX || Type == ttSXNSX; }

// The xBase spelling of a parsed filter tree. Text fields are compared
// without their trailing blanks, and "=" is an exact compare, so "NAME =
// 'Ann'" does not take "Anne".
class FilterTranslator {
public:
    explicit FilterTranslator(const TDataSet& Table) : table_(Table) {}

    std::string text(const TNode& Node) const {
        switch (Node.Kind) {
            case nkField: {
                TField* field = table_.FindField(Node.Text);
                return field && field->DataType() == ftString ? "rtrim(" + Node.Text + ")" : Node.Text;
            }
            case nkConstant:
                return Node.OperandType == otString ? quoted(Node.Text) : Node.Text;
            case nkOperator:
                break;
        }
        std::string left = text(*Node.Left);
        std::string right = text(*Node.Right);
        if (Node.Text == "AND") return "(" + left + ") .and. (" + right + ")";
        if (Node.Text == "OR") return "(" + left + ") .or. (" + right + ")";
        if (Node.Text == "=") return "(" + left + " == " + right + ")";
        if (Node.Text == "<>") return "(.not. (" + left + " == " + right + "))";
        return "(" + left + " " + Node.Text + " " + right + ")";
    }

private:
    // A text constant in the quote it does not hold.
    static std::string quoted(const std::string& Value) {
        if (Value.find('"') == std::string::npos) return "\"" + Value + "\"";
        if (Value.find('\'') == std::string::npos) return "'" + Value + "'";
        throw EDatabaseError("Invalid filter text");
    }

    const TDataSet& table_;
};

}  // namespace

// ---------------------------------------------------------------------------
// TQmTable

TQmTable::TQmTable(TComponent* AOwner) : TQmLookupDataSet(AOwner) {}

TQmTable::~TQmTable() {
    destroying_ = true;
    Destroying();
    try {
        Close();
    } catch (...) {
    }
    lookupCache_.Clear();
}

void TQmTable::PrepareCursor() {
    TTable::PrepareCursor();
    if (!installFilterText()) Warn(SFailToSetFilter);
    if (onFilter_) installRecordCallback();
}

void TQmTable::InternalClose() {
    dropRecordCallback();
    dropFilterText();
    TTable::InternalClose();
}

// ---- qmFilter ----

void TQmTable::SetqmFilter(const TStrings* Value) {
    qmFilter_.Assign(Value);
    if (!Active()) return;
    CheckBrowseMode();
    bool installed = installFilterText();
    First();
    if (!installed) Warn(SFailToSetFilter);
}

std::string TQmTable::qmFilterText() const { return joinedFilterLines("AND", false); }

std::string TQmTable::installedFilterText() const {
    return joinedFilterLines(IsXbaseType(TableType()) ? ".and." : "AND", true);
}

std::vector<std::string> TQmTable::filterLines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < qmFilter_.Count(); ++i) {
        std::string line = qmFilter_.Strings(i);
        TrimTrailingSet(line, " \t");
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string TQmTable::joinedFilterLines(const std::string& AndWord, bool GroupFirst) const {
    std::vector<std::string> lines = filterLines();
    if (lines.size() == 1) return lines[0];
    std::string text;
    for (const std::string& line : lines)
        text += text.empty() ? (GroupFirst ? "(" + line + ")" : line) : " " + AndWord + " (" + line + ")";
    return text;
}

bool TQmTable::installFilterText() {
    dropFilterText();
    std::string text = installedFilterText();
    if (text.empty()) return true;
    std::string condition;
    try {
        condition = IsXbaseType(TableType()) ? text : translatedFilter(text);
    } catch (const EDatabaseError& e) {
        // The parser's reason ("Field not found in Table. ") comes first.
        Warn(e.Message());
        return false;
    }
    hDBIFilter filter = 0;
    if (engine().AddFilter(Handle(), 0, 1, false, condition.c_str(), nullptr, filter) != DBIERR_NONE || filter <= 0)
        return false;
    if (engine().ActivateFilter(Handle(), filter) != DBIERR_NONE) {
        engine().DropFilter(Handle(), filter);
        return false;
    }
    exprFilter_ = filter;
    return true;
}

void TQmTable::dropFilterText() {
    if (exprFilter_ <= 0) return;
    if (TDbiEngine* e = DbiEngine()) e->DropFilter(Handle(), exprFilter_);
    exprFilter_ = 0;
}

std::string TQmTable::translatedFilter(const std::string& Text) {
    std::vector<std::string> names;
    for (int i = 0; i < FieldDefs().Count(); ++i) names.push_back(FieldDefs().Items(i).Name());
    TFilterBuffer parsed = ParseFilterText(Text, names);
    return FilterTranslator(*this).text(*parsed.Root);
}

// ---- OnFilter ----

void TQmTable::SetOnFilter(TQmTableFilterEvent Value) {
    onFilter_ = std::move(Value);
    if (!Active()) return;
    if (onFilter_)
        installRecordCallback();
    else
        dropRecordCallback();
}

void TQmTable::installRecordCallback() {
    if (recordFilter_ > 0) return;
    hDBIFilter filter = 0;
    Check(engine().AddFilter(Handle(), reinterpret_cast<uintptr_t>(this), 1, false, nullptr, &filterCallback,
                             filter));
    if (filter <= 0) return;
    recordFilter_ = filter;
    Check(engine().ActivateFilter(Handle(), recordFilter_));
}

void TQmTable::dropRecordCallback() {
    if (recordFilter_ <= 0) return;
    if (TDbiEngine* e = DbiEngine()) e->DropFilter(Handle(), recordFilter_);
    recordFilter_ = 0;
}

int16_t TQmTable::filterCallback(uintptr_t ClientData, uint8_t* RecBuf, uint32_t) {
    auto* self = reinterpret_cast<TQmTable*>(ClientData);
    try {
        return self->filterAccepts(RecBuf) ? 1 : 0;
    } catch (...) {
        // An exception must not cross the engine; the record is shown.
        return 1;
    }
}

bool TQmTable::filterAccepts(uint8_t* RecBuf) {
    if (destroying_ || !onFilter_) return true;
    // The engine hands the bare record; the handler reads it through the
    // fields, which may reach the calculated area too.
    filterRecord_.assign(RecordBufferSize(), 0);
    std::memcpy(filterRecord_.data(), RecBuf, std::min<size_t>(RecordDataSize(), filterRecord_.size()));
    // The class library puts a record into the filter state only for its own
    // record event: lend it ours for this one call.
    TFilterRecordEvent own = std::exchange(OnFilterRecord, [this](TDataSet*, bool& Accept) { onFilter_(this, Accept); });
    bool accepted;
    try {
        accepted = RecordFilterAccepts(filterRecord_.data());
    } catch (...) {
        OnFilterRecord = std::move(own);
        throw;
    }
    OnFilterRecord = std::move(own);
    return accepted;
}

// ---- Key search ----

bool TQmTable::CurrentRecordMatches(const std::vector<Variant>& KeyValues) const {
    if (IsEmpty() || KeyValues.size() > static_cast<size_t>(IndexFieldCount())) return false;
    for (size_t i = 0; i < KeyValues.size(); ++i)
        if (LowerCase(KeyValues[i].AsString()) != LowerCase(IndexFields(static_cast<int>(i))->AsString()))
            return false;
    return true;
}

bool TQmTable::FindKey(const std::vector<Variant>& KeyValues) {
    if (IndexFieldCount() == 0) return false;
    if (KeyValues.size() > static_cast<size_t>(IndexFieldCount())) {
        Warn("Table " + TableName() + ": FindKey has too many lookup values for index " + IndexName());
        return false;
    }
    // No database of this engine is SQL-based: the key search is the table's own.
    if (narrowSearch_) CancelRange();
    if (CurrentRecordMatches(KeyValues)) return true;
    return TTable::FindKey(KeyValues);
}

// ---- Table kinds ----

bool TQmTable::IsDBaseTable() const {
    return TableType() == ttDBase || SameText(os::ExtractFileExt(TableName()), ".DBF");
}

bool TQmTable::IsParadoxTable() const {
    if (TableType() == ttParadox) return true;
    std::string name = LowerCase(TableName());
    return TableType() == ttDefault && name.find(".db") != std::string::npos && !name.empty() && name.back() == 'b';
}

// ---------------------------------------------------------------------------
// Free routines

namespace {

std::vector<std::string> FieldItems(const std::string& List) {
    TStringList items;
    SplitToStrings(List, ';', items);
    std::vector<std::string> result;
    for (int i = 0; i < items.Count(); ++i) result.push_back(UpperCase(items.Strings(i)));
    return result;
}

// The first index (case-insensitive ones first) whose fields begin with Wanted.
const TIndexDef* IndexStartingWith(TTable* Table, const std::vector<std::string>& Wanted) {
    TIndexDefs& defs = Table->IndexDefs();
    for (bool caseInsensitiveOnly : {true, false})
        for (int i = 0; i < defs.Count(); ++i) {
            const TIndexDef& def = defs.Items(i);
            if (caseInsensitiveOnly && !def.Options().Contains(ixCaseInsensitive)) continue;
            std::vector<std::string> fields = FieldItems(def.Fields());
            if (fields.size() >= Wanted.size() && std::equal(Wanted.begin(), Wanted.end(), fields.begin()))
                return &def;
        }
    return nullptr;
}

bool SelectIndex(TTable* Table, const std::vector<std::string>& Wanted) {
    const TIndexDef* def = IndexStartingWith(Table, Wanted);
    if (!def) return false;
    if (!SameText(def->Name(), Table->IndexName())) Qmqbe::SwitchIndexKeepRecord(Table, *def);
    return true;
}

}  // namespace

namespace Qmtable {

bool FindNearest(TDataSet* Table, const std::string& Text, int Position) {
    if (!dynamic_cast<TQmTable*>(Table)) return false;
    return Qmqbe::FindNearestText(Table, Text, Position);
}

bool SelectIndexForFirstField(TTable* Table, const TStrings& Selected) {
    if (Selected.Count() == 0) return false;
    std::string line = Selected.Strings(0);
    std::string first = UpperCase(line.substr(0, line.find('\t')));
    return SelectIndex(Table, {first});
}

bool SelectIndexForFields(TTable* Table, const std::string& FieldList) {
    return SelectIndex(Table, FieldItems(FieldList));
}

bool CompareFieldText(TDataSet* Table, const std::string& FieldName, const std::string& Value, bool Exact) {
    TField* field = Table->FindField(FieldName);
    if (!field) return false;
    std::string text = field->AsString();
    return Exact ? text == Value : LowerCase(text) == LowerCase(Value);
}

}  // namespace Qmtable

// ---------------------------------------------------------------------------
// TQmMemoStream

TQmMemoStream::TQmMemoStream(TField* Field)
    : field_(Field),
      dataSet_(dynamic_cast<TDBDataSet*>(Field->DataSet())),
      fieldNo_(static_cast<uint16_t>(Field->FieldNo())) {
    if (!dataSet_) DatabaseErrorFmt(SFieldNoDataSet, {Field->DisplayName()});
    TDataSetState state = dataSet_->State();
    if (state == dsBrowse || state == dsEdit || state == dsInsert) dataSet_->UpdateCursorPos();
    const uint8_t* active = dataSet_->GetActiveRecBuf();
    if (!active || dataSet_->Handle() == 0 || fieldNo_ == 0) return;
    record_.assign(active, active + dataSet_->CursorProps().iRecSize);
    opened_ = Session()->Engine().OpenBlob(dataSet_->Handle(), record_.data(), fieldNo_, dbiBLOBREADONLY) ==
              DBIERR_NONE;
}

TQmMemoStream::~TQmMemoStream() {
    if (!opened_) return;
    if (TDbiEngine* e = DbiEngine()) e->FreeBlob(dataSet_->Handle(), record_.data(), fieldNo_);
}

int64_t TQmMemoStream::Read(void* Buffer, int64_t Count) {
    if (!opened_) return 0;
    auto* out = static_cast<uint8_t*>(Buffer);
    int64_t total = 0;
    while (total < Count) {
        uint32_t wanted = static_cast<uint32_t>(std::min(Count - total, MemoChunk));
        uint32_t read = 0;
        DBIResult status = Session()->Engine().GetBlob(dataSet_->Handle(), record_.data(), fieldNo_,
                                                       static_cast<uint32_t>(position_), wanted, out + total, read);
        position_ += read;
        total += read;
        if (status == DBIERR_ENDOFBLOB || status == QuietBlobStop) break;
        Check(status);
        if (read < wanted) break;
    }
    return total;
}

int64_t TQmMemoStream::Write(const void*, int64_t) { throw EStreamError("Memo stream is read-only"); }

int64_t TQmMemoStream::Seek(int64_t Offset, uint16_t Origin) {
    if (Offset == 0 && Origin == soFromCurrent) return position_;
    throw EStreamError("Memo stream cannot seek");
}
