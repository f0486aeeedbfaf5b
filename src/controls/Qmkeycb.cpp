#include "controls/Qmkeycb.h"

#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "xbase/Qmqbe.h"
#include "xbase/Qmutils.h"

namespace {

void warn(const std::string& Text) { MessageDlg(Text, mtWarning, {mbOK}); }

std::string firstField(const std::string& FieldList) {
    TStringList fields;
    SplitToStrings(FieldList, ';', fields);
    return fields.Count() > 0 ? fields.Strings(0) : std::string();
}

// Backspace, Space, Delete, digits, letters, the numeric pad, codes above 145.
bool isSearchKey(Word Key) {
    return Key == VK_BACK || Key == VK_SPACE || Key == VK_DELETE || (Key >= 48 && Key <= 111) || Key > 145;
}

}  // namespace

// ---------------------------------------------------------------- TQmKeyCombo

void qmKeyDataLink::ActiveChanged() {
    if (Active()) combo_->refresh();
}

TQmKeyCombo::TQmKeyCombo(TComponent* AOwner) : TComboBox(AOwner) { SetStyle(csDropDownList); }

TQmKeyCombo::~TQmKeyCombo() {
    if (DataSource()) DataSource()->RemoveFreeNotification(this);
    dataLink_.SetDataSource(nullptr);
}

void TQmKeyCombo::SetDataSource(TDataSource* Value) {
    if (Value && Value->DataSet() && !dynamic_cast<TTable*>(Value->DataSet())) {
        warn(SKeyComboNeedsTable);
        return;
    }
    if (DataSource()) DataSource()->RemoveFreeNotification(this);
    dataLink_.SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    if (dataLink_.Active()) refresh();
}

void TQmKeyCombo::SetShowAllIndexes(bool Value) {
    showAllIndexes_ = Value;
    if (DataSource()) refresh();
}

void TQmKeyCombo::Notification(TComponent* AComponent, TOperation Operation) {
    TComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSource()) dataLink_.SetDataSource(nullptr);
}

std::string TQmKeyCombo::labelOf(TTable* Table, const TIndexDef& Def) const {
    std::string first = firstField(Def.Fields());
    if (first.empty() || !Qmqbe::DataSetHasField(Table, first)) return {};
    TField* field = Table->FindField(first);
    if (!field || !field->Visible()) return {};
    std::string label = BlankOutChar(field->DisplayLabel(), '~');
    if (label.empty()) return {};
    return Def.Options().Contains(ixDescending) ? label + " - Desc" : label;
}

void TQmKeyCombo::refresh() {
    auto* table = DataSource() ? dynamic_cast<TTable*>(DataSource()->DataSet()) : nullptr;
    if (!table) {
        warn(SKeyComboNoDataSet);
        return;
    }
    Items()->Clear();
    if (!table->Active()) return;
    table->UpdateIndexDefs();
    TIndexDefs& defs = table->IndexDefs();
    if (showAllIndexes_) {
        for (int i = 0; i < defs.Count(); ++i)
            Items()->Add(defs.Items(i).Name().empty() ? primaryName() : defs.Items(i).Name());
        std::string current = table->IndexName().empty() ? primaryName() : table->IndexName();
        SetItemIndex(Items()->IndexOf(current));
        return;
    }
    std::string currentLabel;
    for (int i = 0; i < defs.Count(); ++i) {
        const TIndexDef& def = defs.Items(i);
        std::string label = labelOf(table, def);
        if (label.empty()) continue;
        // Two indexes on one first field share an item.
        if (Items()->IndexOf(label) < 0) Items()->Add(label);
        bool current = table->IndexName().empty() ? SameText(def.Fields(), table->IndexFieldNames())
                                                  : SameText(def.Name(), table->IndexName());
        if (current && currentLabel.empty()) currentLabel = label;
    }
    SetItemIndex(currentLabel.empty() ? -1 : Items()->IndexOf(currentLabel));
}

bool TQmKeyCombo::wantsKey(Word Key, TShiftState Shift) const {
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && DroppedDown()) return true;
    return TComboBox::wantsKey(Key, Shift);
}

void TQmKeyCombo::Change() {
    auto* table = DataSource() ? dynamic_cast<TTable*>(DataSource()->DataSet()) : nullptr;
    if (table && table->Active()) {
        std::string text = Text();
        if (showAllIndexes_) {
            table->SetIndexName(text == primaryName() ? std::string() : text);
        } else {
            table->UpdateIndexDefs();
            TIndexDefs& defs = table->IndexDefs();
            // Case-insensitive indexes first, then all of them.
            const TIndexDef* chosen = nullptr;
            for (bool caseInsensitiveOnly : {true, false})
                for (int i = 0; i < defs.Count() && !chosen; ++i) {
                    const TIndexDef& def = defs.Items(i);
                    if (caseInsensitiveOnly && !def.Options().Contains(ixCaseInsensitive)) continue;
                    if (labelOf(table, def) == text) chosen = &def;
                }
            if (chosen) Qmqbe::SwitchIndexKeepRecord(table, *chosen);
            SetItemIndex(Items()->IndexOf(text));
        }
    }
    TComboBox::Change();
}

// ---------------------------------------------------------------- TQmIncrementalSearch

TQmIncrementalSearch::TQmIncrementalSearch(TComponent* AOwner) : TCustomEdit(AOwner) {
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(searchDelay_);
    timer_->OnTimer = [this](TObject*) { SearchNow(); };
}

TQmIncrementalSearch::~TQmIncrementalSearch() {
    timer_->SetEnabled(false);
    timer_->OnTimer = nullptr;
    dataLink_.SetDataSource(nullptr);
}

void TQmIncrementalSearch::ClearSearch() {
    timer_->SetEnabled(false);
    SetText("");
    lastSearched_.clear();
}

void TQmIncrementalSearch::KeyUp(Word& Key, TShiftState Shift) {
    TCustomEdit::KeyUp(Key, Shift);
    if (Text() == lastSearched_ || !isSearchKey(Key)) return;
    timer_->SetEnabled(false);
    if (!DataSource()) {
        warn("DataSource not defined - object " + Name());
        return;
    }
    if (!DataSource()->DataSet()) {
        warn(SSearchNoDataSet);
        return;
    }
    // The engine's databases are local files, none SQL-based: half the delay.
    timer_->SetInterval(searchDelay_ / 2);
    timer_->SetEnabled(true);
}

void TQmIncrementalSearch::SearchNow() {
    timer_->SetEnabled(false);
    std::string text = Text();
    if (text == lastSearched_) return;
    search(text);
    lastSearched_ = text;
}

void TQmIncrementalSearch::search(const std::string& Text) {
    auto* table = DataSource() ? dynamic_cast<TTable*>(DataSource()->DataSet()) : nullptr;
    if (!table || !table->Active()) return;
    if (table->IndexDefs().Count() == 0) table->UpdateIndexDefs();
    int current = table->IndexDefs().IndexOf(table->IndexName());
    bool expressionKey = current >= 0 && table->IndexDefs().Items(current).Options().Contains(ixExpression);
    if (table->IsDBaseTable() && !searchField_.empty() && expressionKey) {
        TField* field = table->FindField(searchField_);
        if (field && Qmqbe::IsValidFieldText(field, Text)) {
            table->SetKey();
            field->SetAsString(Text);
            table->GotoNearest();
        }
        return;
    }
    int position = 0;
    for (int i = 0; i < table->IndexFieldCount() && !searchField_.empty(); ++i)
        if (SameText(table->IndexFields(i)->FieldName(), searchField_)) position = i;
    Qmqbe::FindNearestText(table, Text, position);
}
