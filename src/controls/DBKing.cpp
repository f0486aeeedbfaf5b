#include "controls/DBKing.h"

#include "base/DateTime.h"
#include "data/Fields.h"
#include "ui/MessageBeep.h"

TDBKingDlg::TDBKingDlg(TComponent* AOwner) : TCalendarEdit(AOwner) {
    editingChange();
    bindFirstPopup(AOwner);
}

// ---- the field

void TDBKingDlg::dataChange() {
    TField* field = dataLink_.Field();
    if (!field) {
        if (!EditMask().empty()) SetEditMask("");
        SetMaxLength(0);
        if (!Text().empty()) SetEditText("");
        return;
    }
    if (EditMask() != field->EditMask()) SetEditMask(field->EditMask());
    SetMaxLength(field->DataType() == ftString ? field->Size() : 0);
    // Set only when different, so a refresh while typing keeps the caret and selection.
    std::string text = focused_ && dataLink_.CanModify() ? field->Text() : field->DisplayText();
    if (Text() != text) SetText(text);
}

void TDBKingDlg::editingChange() { TCustomEdit::SetReadOnly(!dataLink_.Editing()); }

void TDBKingDlg::updateData() {
    ValidateEdit();
    dataLink_.Field()->SetText(Text());
}

void TDBKingDlg::Change() {
    dataLink_.Modified();
    TFieldBinding::Change();
}

bool TDBKingDlg::EditCanModify() { return dataLink_.Edit(); }

void TDBKingDlg::Reset() {
    dataLink_.Reset();
    SelectAll();
}

// ---- focus and keys

void TDBKingDlg::setFocused(bool Value) {
    if (focused_ == Value) return;
    focused_ = Value;
    dataLink_.Reset();
}

void TDBKingDlg::DoEnter() {
    setFocused(true);
    TFieldBinding::DoEnter();
}

void TDBKingDlg::DoExit() {
    updateRecordOnExit(this, dataLink_, [this] { SelectAll(); });
    setFocused(false);
    SetSelStart(0);
    TFieldBinding::DoExit();
}

void TDBKingDlg::KeyDown(Word& Key, TShiftState Shift) {
    TFieldBinding::KeyDown(Key, Shift);
    if (deletesOrPastes(Key, Shift)) dataLink_.Edit();
}

void TDBKingDlg::KeyPress(char& Key) {
    TFieldBinding::KeyPress(Key);
    TField* field = dataLink_.Field();
    if (static_cast<unsigned char>(Key) >= 32 && field && !field->IsValidChar(Key)) {
        MessageBeep(0);
        Key = 0;
    }
    if (editFieldOnKey(dataLink_, Key)) {
        SelectAll();
        Key = 0;
    }
}

// ---- the calendar button

void TDBKingDlg::ButtonClick() {
    TField* field = dataLink_.Field();
    if (!kingPopup_ || !field) return;
    TDateTime value = field->AsDateTime();
    kingPopup_->SetDate(value == 0 ? Now() : value);
    kingPopup_->SetAlignSource(this);
    if (kingPopup_->Execute()) writePick(kingPopup_->PopupDate());
}

void TDBKingDlg::writePick(TDateTime Value) {
    TDataSet* dataSet = dataLink_.DataSet();
    bool wasEditing = dataSet && dataSet->State() != dsBrowse;
    try {
        // A read-only edit or field still shows the pop-up; the pick goes nowhere.
        if (!dataLink_.Edit()) return;
        SetText(DateToStr(Value));
        dataLink_.Field()->SetAsDateTime(Value);
    } catch (...) {
        // The record is left as it was: out of the edit this pick began.
        try {
            if (dataSet && !wasEditing && dataSet->State() != dsBrowse) dataSet->Cancel();
        } catch (...) {
        }
        dataLink_.Reset();
    }
}
