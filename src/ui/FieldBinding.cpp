#include "ui/FieldBinding.h"

#include <QApplication>

#include "data/Fields.h"

void TFieldDataLink::SetFieldName(const std::string& Value) {
    if (fieldName_ == Value) return;
    fieldName_ = Value;
    updateField();
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ && field_->CanModify(); }

bool TFieldDataLink::Edit() {
    if (CanModify()) TDataLink::Edit();
    return editing_;
}

void TFieldDataLink::ActiveChanged() {
    updateField();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { setEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField* Field) {
    if (!Field || Field != field_) return;
    if (auto* control = dynamic_cast<TWinControl*>(control_); control && control->CanFocus()) control->SetFocus();
}

void TFieldDataLink::LayoutChanged() { updateField(); }

void TFieldDataLink::RecordChanged(TField* Field) {
    if (Field && Field != field_) return;
    if (OnDataChange) OnDataChange(this);
    modified_ = false;
}

void TFieldDataLink::UpdateData() {
    if (!modified_) return;
    if (field_ && OnUpdateData) OnUpdateData(this);
    modified_ = false;
}

void TFieldDataLink::setField(TField* Value) {
    if (field_ == Value) return;
    field_ = Value;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::setEditing(bool Value) {
    if (editing_ == Value) return;
    editing_ = Value;
    modified_ = false;
    if (OnEditingChange) OnEditingChange(this);
}

// Dropped first, so that a field freed and made anew at the same address is
// still taken as a new one.
void TFieldDataLink::updateField() {
    setField(nullptr);
    if (!Active() || fieldName_.empty()) return;
    TField* field = DataSet()->FindField(fieldName_);
    if (!field) DatabaseErrorFmt(SFieldNotFound, {fieldName_}, control_);
    setField(field);
}

// ---------------------------------------------------------------- helpers

namespace {
bool isPrintable(char Key) { return static_cast<unsigned char>(Key) >= 32; }
}  // namespace

bool changesText(char Key) { return Key == VK_BACK || Key == 22 || Key == 24 || isPrintable(Key); }

bool deletesOrPastes(Word Key, TShiftState Shift) {
    return Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift));
}

void refuseInvalidChar(const TFieldDataLink& Link, char& Key) {
    if (isPrintable(Key) && Link.Field() && !Link.Field()->IsValidChar(Key)) {
        QApplication::beep();
        Key = 0;
    }
}

TMemoFieldView memoFieldView(const TFieldDataLink& Link, bool AutoDisplay, bool MemoLoaded, bool Focused) {
    TField* field = Link.Field();
    if (!field) return {};
    if (field->IsBlob()) {
        if (AutoDisplay || (Link.Editing() && MemoLoaded)) return {.Load = true};
        return {.Text = "(" + field->DisplayLabel() + ")"};
    }
    return {.Text = Focused && Link.CanModify() ? field->Text() : field->DisplayText(), .Loaded = true};
}

bool editFieldOnKey(TFieldDataLink& Link, char& Key) {
    if (changesText(Key)) {
        if (!Link.Edit()) Key = 0;
    } else if (Key == VK_ESCAPE) {
        Link.Reset();
        return true;
    }
    return false;
}

void updateRecordOnExit(TWinControl* Control, TFieldDataLink& Link, const std::function<void()>& Refused) {
    try {
        Link.UpdateRecord();
    } catch (...) {
        if (Refused) Refused();
        if (Control->CanFocus()) Control->SetFocus();
        throw;
    }
}
