#include "xbase/Qmqbe.h"

#include <algorithm>

#include "base/SysUtils.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/HourGlass.h"
#include "xbase/Qmquery.h"
#include "xbase/Qmtable.h"
#include "xbase/Qmutils.h"

// ---------------------------------------------------------------------------
// TLookupCache

TLookupCache::TLookupCache() = default;
TLookupCache::~TLookupCache() = default;

TLookupCache::Entry& TLookupCache::Add(std::unique_ptr<TQmTable> Table, const std::string& Links) {
    auto entry = std::make_unique<Entry>();
    entry->Table = std::move(Table);
    entry->Links = Links;
    entries_.push_back(std::move(entry));
    return *entries_.back();
}

void TLookupCache::Clear() { entries_.clear(); }

namespace {

// A link list holds at most six pairs (the key searches take six values).
constexpr int MaxLinkPairs = 6;

// The hourglass, and the dataset's controls held back, for one call.
class BusyDataSet {
public:
    explicit BusyDataSet(TDataSet* DataSet) : dataSet_(DataSet) { dataSet_->DisableControls(); }
    ~BusyDataSet() { dataSet_->EnableControls(); }
    BusyDataSet(const BusyDataSet&) = delete;
    BusyDataSet& operator=(const BusyDataSet&) = delete;

private:
    THourGlass hourGlass_;
    TDataSet* dataSet_;
};

std::vector<std::string> Items(const std::string& Line, char Separator) {
    TStringList list;
    SplitToStrings(Line, Separator, list);
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
    return items;
}

std::string Item(const std::vector<std::string>& Items, size_t Index) {
    return Index < Items.size() ? Items[Index] : std::string();
}

std::string FirstItem(const std::string& Line) {
    int position = 1;
    return NextToken(Line, ';', position);
}

// A link item may name its table too ("PATIENT.ID").
std::string LinkFieldName(const std::string& Item) {
    size_t dot = Item.rfind('.');
    return dot == std::string::npos ? Item : Item.substr(dot + 1);
}

// The text before the first ".", upper-cased: "patient.dbf" and "PATIENT" agree.
std::string TableStem(const std::string& Name) { return UpperCase(Name.substr(0, Name.find('.'))); }

void HideField(TDataSet* DataSet, const std::string& FieldName) {
    if (TField* field = DataSet->FindField(FieldName)) field->SetVisible(false);
}

// The master fields' texts of a link line; false when one of them is no
// field of the dataset. Only complete pairs count.
bool MasterValues(TDataSet* DataSet, const std::vector<std::string>& LinkItems, std::vector<Variant>& Values) {
    Values.clear();
    for (size_t i = 0; i + 1 < LinkItems.size(); i += 2) {
        TField* master = DataSet->FindField(LinkFieldName(LinkItems[i]));
        if (!master) return false;
        Values.emplace_back(master->AsString());
    }
    return !Values.empty();
}

bool TextContains(const std::string& Text, const std::string& Part) {
    return LowerCase(Text).find(LowerCase(Part)) != std::string::npos;
}

}  // namespace

namespace Qmqbe {

bool IsPaintCopyState(TControlState ControlState) { return ControlState.Contains(csPaintCopy); }

bool IsQmDataSet(const TObject* Obj) {
    return dynamic_cast<const TQmTable*>(Obj) || dynamic_cast<const TQmQuery*>(Obj) ||
           dynamic_cast<const TQmQBE*>(Obj);
}

TStringList* GetDataSetControlType(TDataSet* DataSet) {
    if (auto* table = dynamic_cast<TQmTable*>(DataSet)) return table->ControlType();
    if (auto* query = dynamic_cast<TQmQuery*>(DataSet)) return query->ControlType();
    if (auto* qbe = dynamic_cast<TQmQBE*>(DataSet)) return qbe->ControlType();
    return nullptr;
}

TStringList* GetDataSetLookupFields(TDataSet* DataSet) {
    if (auto* table = dynamic_cast<TQmTable*>(DataSet)) return table->LookupFields();
    if (auto* query = dynamic_cast<TQmQuery*>(DataSet)) return query->LookupFields();
    if (auto* qbe = dynamic_cast<TQmQBE*>(DataSet)) return qbe->LookupFields();
    return nullptr;
}

TStringList* GetDataSetLookupLinks(TDataSet* DataSet) {
    if (auto* table = dynamic_cast<TQmTable*>(DataSet)) return table->LookupLinks();
    if (auto* query = dynamic_cast<TQmQuery*>(DataSet)) return query->LookupLinks();
    if (auto* qbe = dynamic_cast<TQmQBE*>(DataSet)) return qbe->LookupLinks();
    return nullptr;
}

void GetFieldLookupLinks(TDataSet* DataSet, const std::string& FieldName, std::string& Result) {
    Result.clear();
    TStringList* fields = GetDataSetLookupFields(DataSet);
    TStringList* links = GetDataSetLookupLinks(DataSet);
    if (!fields || !links) return;
    for (int i = 0; i < fields->Count(); ++i)
        if (FirstItem(fields->Strings(i)) == FieldName) {
            if (i < links->Count()) Result = links->Strings(i);
            return;
        }
}

void GetFieldLookupItem4(TDataSet* DataSet, const std::string& FieldName, std::string& Result) {
    Result.clear();
    TStringList* fields = GetDataSetLookupFields(DataSet);
    if (!fields) return;
    for (int i = 0; i < fields->Count(); ++i) {
        std::vector<std::string> items = Items(fields->Strings(i), ';');
        if (items[0] == FieldName) {
            Result = Item(items, 3);
            return;
        }
    }
}

bool DataSetHasField(TDataSet* DataSet, const std::string& Name) {
    for (int i = 0; i < DataSet->FieldCount(); ++i)
        if (UpperCase(DataSet->Fields()[i]->FieldName()) == UpperCase(Name)) return true;
    return false;
}

void ApplySelectedFields(TDataSet* DataSet, const TStrings& Selected) {
    DataSet->DisableControls();
    try {
        for (int i = 0; i < DataSet->FieldCount(); ++i) DataSet->Fields()[i]->SetVisible(false);
        for (int i = 0; i < Selected.Count(); ++i) {
            TStringList items;
            SplitToStrings(Selected.Strings(i), '\t', items);
            std::string name = items.Strings(0);
            std::string width = items.Strings(1);
            std::string title = items.Strings(2);
            TField* field = DataSet->FindField(name);
            if (!field) continue;
            field->SetDisplayWidth(StrToInt(width));
            field->SetDisplayLabel(title);
            field->SetIndex(i);
            field->SetVisible(true);
        }
    } catch (...) {
        DataSet->EnableControls();
        throw;
    }
    DataSet->EnableControls();
}

void PurgeMissingFieldEntries(TDataSet* DataSet, TStrings* LookupFields, TStrings* LookupLinks,
                              TStrings* ControlType) {
    // Without fields (a closed table with default fields) nothing can be
    // judged, and the lists are kept whole.
    if (DataSet->FieldCount() == 0) return;
    if (LookupFields)
        for (int i = LookupFields->Count() - 1; i >= 0; --i) {
            if (DataSetHasField(DataSet, FirstItem(LookupFields->Strings(i)))) continue;
            LookupFields->Delete(i);
            if (LookupLinks && i < LookupLinks->Count()) LookupLinks->Delete(i);
        }
    if (ControlType)
        for (int i = ControlType->Count() - 1; i >= 0; --i)
            if (!DataSetHasField(DataSet, FirstItem(ControlType->Strings(i)))) ControlType->Delete(i);
}

void RemoveMissingComboControls(TDataSet* DataSet) {
    TComponent* owner = DataSet->Owner();
    TStringList* controlType = GetDataSetControlType(DataSet);
    if (!owner || !controlType || !owner->ComponentState().Contains(csDesigning)) return;
    for (int i = controlType->Count() - 1; i >= 0; --i) {
        std::vector<std::string> items = Items(controlType->Strings(i), ';');
        if (items.size() < 3 || (items[1] != "Combo" && items[1] != "LookupCombo")) continue;
        // An empty name names no component, unnamed ones included.
        std::string control = LowerCase(items[2]);
        bool present = false;
        for (int c = 0; c < owner->ComponentCount() && !present && !control.empty(); ++c)
            present = LowerCase(owner->Components(c)->Name()) == control;
        if (!present) controlType->Delete(i);
    }
}

void CalcLookupFields(TDataSet* DataSet, const TStrings& LookupFields, const TStrings& LookupLinks,
                      TLookupCache& Cache) {
    for (int c = 0; c < Cache.Count(); ++c) Cache.Items(c).LookedUp = false;
    for (int i = 0; i < LookupFields.Count(); ++i) {
        std::vector<std::string> items = Items(LookupFields.Strings(i), ';');
        std::string links = i < LookupLinks.Count() ? LookupLinks.Strings(i) : std::string();

        TLookupCache::Entry* entry = nullptr;
        for (int c = 0; c < Cache.Count() && !entry; ++c) {
            TLookupCache::Entry& candidate = Cache.Items(c);
            if (candidate.Table->DatabaseName() == Item(items, 1) && candidate.Table->TableName() == Item(items, 2) &&
                LowerCase(candidate.Links) == LowerCase(links))
                entry = &candidate;
        }
        if (!entry) {
            auto table = std::make_unique<TQmTable>(nullptr);
            table->SetDatabaseName(Item(items, 1));
            table->SetTableName(Item(items, 2));
            // The lookup table is of the dataset's own family of files.
            auto* own = dynamic_cast<TTable*>(DataSet);
            table->SetTableType(own ? own->TableType() : ttSXNSX);
            table->SetIndexName(Item(items, 4));
            table->SetReadOnly(true);
            table->Open();
            entry = &Cache.Add(std::move(table), links);
        } else if (!entry->Table->Active()) {
            entry->Table->Open();
        }

        std::vector<std::string> linkItems = Items(links, ';');
        std::vector<Variant> values;
        if (!MasterValues(DataSet, linkItems, values)) {
            HideField(DataSet, items[0]);
            return;
        }
        if (!entry->LookedUp)
            entry->Found = values.size() <= MaxLinkPairs && entry->Table->FindKey(values);
        if (TField* field = DataSet->FindField(items[0])) {
            TField* result = entry->Found ? entry->Table->FindField(Item(items, 3)) : nullptr;
            field->SetAsString(result ? result->AsString() : std::string());
        }
        entry->LookedUp = true;
    }
}

bool LocateLookupRecord(TDataSet* DataSet, const std::string& FieldName, TQmTable* LookupTable) {
    TStringList* fields = GetDataSetLookupFields(DataSet);
    TStringList* links = GetDataSetLookupLinks(DataSet);
    if (!fields || !links || !LookupTable) return false;
    PurgeMissingFieldEntries(DataSet, fields, links, GetDataSetControlType(DataSet));
    for (int i = 0; i < fields->Count(); ++i) {
        std::vector<std::string> items = Items(fields->Strings(i), ';');
        if (UpperCase(items[0]) != UpperCase(FieldName) ||
            TableStem(LookupTable->TableName()) != TableStem(Item(items, 2)))
            continue;
        std::vector<std::string> linkItems = Items(i < links->Count() ? links->Strings(i) : std::string(), ';');
        if (!Item(items, 4).empty()) {
            LookupTable->SetIndexName(Item(items, 4));
        } else {
            // No index named: one whose fields are the lookup side of the links.
            std::string lookupFields;
            for (size_t k = 1; k < linkItems.size(); k += 2)
                lookupFields += (lookupFields.empty() ? "" : ";") + LinkFieldName(linkItems[k]);
            Qmtable::SelectIndexForFields(LookupTable, lookupFields);
        }
        std::vector<Variant> values;
        if (!MasterValues(DataSet, linkItems, values)) {
            HideField(DataSet, items[0]);
            return false;
        }
        if (values.size() > MaxLinkPairs) return false;
        return LookupTable->FindKey(values);
    }
    return false;
}

bool IsValidFieldText(const TField* Field, const std::string& Text) {
    switch (Field->DataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord: return IsValidIntegerText(Text);
        case ftFloat:
        case ftCurrency:
        case ftBCD: return IsValidFloatText(Text);
        case ftDate: return IsValidDateText(Text);
        case ftTime:
        case ftDateTime: return IsValidDateTimeText(Text) || IsValidDateText(Text);
        default: return true;
    }
}

bool FindNearestText(TDataSet* Table, const std::string& Text, int Position) {
    auto* table = dynamic_cast<TTable*>(Table);
    if (!table) return false;
    auto* qmTable = dynamic_cast<TQmTable*>(table);
    bool narrowSearch = qmTable ? qmTable->NarrowSearch() : false;
    if (table->IndexFieldCount() == 0) {
        MessageDlg("Table " + table->TableName() + ": Table index not found", mtWarning, TMsgDlgButtons{mbOK});
        return false;
    }
    if (Position < 0 || Position > 3 || Position >= table->IndexFieldCount()) return false;
    TField* searched = table->IndexFields(Position);
    if (!IsValidFieldText(searched, Text)) return false;

    std::vector<Variant> values;
    for (int i = 0; i < Position; ++i) values.emplace_back(table->IndexFields(i)->AsString());
    if (narrowSearch && searched->DataType() == ftString) {
        // The table shrinks to the keys that begin with the text.
        BusyDataSet busy(table);
        if (Text.empty()) {
            table->CancelRange();
        } else {
            std::vector<Variant> low = values, high = values;
            low.emplace_back(Text);
            high.emplace_back(Text + std::string(searched->Size() - std::min<int>(searched->Size(), Text.size()),
                                                 '\xFF'));
            table->SetRange(low, high);
        }
    } else {
        values.emplace_back(Text);
        table->FindNearest(values);
    }
    return TextContains(searched->AsString(), Text);
}

void SwitchIndexKeepRecord(TTable* Table, const TIndexDef& IndexDef) {
    if (SameText(Table->IndexName(), IndexDef.Name()) || !Table->Active()) {
        Table->SetIndexName(IndexDef.Name());
        return;
    }
    // A range belongs to the old index's keys; the engine keeps the record
    // across the switch.
    BusyDataSet busy(Table);
    Table->CancelRange();
    Table->SetIndexName(IndexDef.Name());
}

}  // namespace Qmqbe

// ---------------------------------------------------------------------------
// Query cursors

namespace Qmqbe {

hDBICur OpenQueryCursor(TDBDataSet* DataSet, const std::string& QueryText) {
    const std::string notSupported = "Queries are not supported by the xBase driver";
    TDbiEngine& engine = Session()->Engine();
    hDBIStmt statement = 0;
    Check(engine.DbiQAlloc(DataSet->DBHandle(), 0, statement));
    if (statement == 0) DatabaseError(notSupported, DataSet);
    hDBICur cursor = 0;
    DBIResult status = engine.DbiQPrepare(statement, QueryText.c_str());
    if (status == DBIERR_NONE) status = engine.DbiQExec(statement, cursor);
    engine.DbiQFree(statement);
    Check(status);
    if (cursor == 0) DatabaseError(notSupported, DataSet);
    return cursor;
}

}  // namespace Qmqbe

// ---------------------------------------------------------------------------
// TQmQBE

TQmQBE::TQmQBE(TComponent* AOwner) : TQmLookupDataSet(AOwner) {}

TQmQBE::~TQmQBE() {
    try {
        Close();
    } catch (...) {
    }
}

void TQmQBE::SetQBE(const TStrings* Value) { qbe_.Assign(Value); }

hDBICur TQmQBE::CreateHandle() {
    THourGlass hourGlass;
    return Qmqbe::OpenQueryCursor(this, qbe_.Text());
}

void TQmQBE::ExecQBE() {
    hDBICur cursor = CreateHandle();
    Session()->Engine().CloseCursor(cursor);
}
