#include "controls/DBKing.h"

#include "base/DateTime.h"
#include "controls/CalendarButton.h"
#include "data/Fields.h"
#include "ui/MessageBeep.h"

TDBKingDlg::TDBKingDlg(TComponent* AOwner) : TFieldBinding(AOwner) {
    button_ = makeCalendarButton(this);
    button_->OnClick = [this](TObject*) { ButtonClick(); };
    SetBounds(Left(), Top(), 113, Height());
    editingChange();
    SetKingPopup(firstPopupOf(AOwner));
    if (kingPopup_ && !kingPopup_->AlignSource()) kingPopup_->SetAlignSource(this);
}

void TDBKingDlg::SetKingPopup(TKingPopup* Value) {
    if (Value == kingPopup_) return;
    if (kingPopup_) kingPopup_->RemoveFreeNotification(this);
    kingPopup_ = Value;
    if (kingPopup_) kingPopup_->FreeNotification(this);
}

void TDBKingDlg::Loaded() {
    TFieldBinding::Loaded();
    if (!kingPopup_) {
        SetKingPopup(firstPopupOf(Owner()));
        if (kingPopup_ && !kingPopup_->AlignSource()) kingPopup_->SetAlignSource(this);
    }
}

void TDBKingDlg::Notification(TComponent* AComponent, TOperation Operation) {
    TFieldBinding::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == kingPopup_) kingPopup_ = nullptr;
}

// ---- size

void TDBKingDlg::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TFieldBinding::SetBounds(ALeft, ATop, AWidth, allowedEditHeight(this, AHeight));
    if (button_) placeCalendarButton(this, button_);
}

void TDBKingDlg::Resize() {
    if (Height() < allowedEditHeight(this, Height()))
        SetHeight(allowedEditHeight(this, Height()));
    else if (button_)
        placeCalendarButton(this, button_);
    TFieldBinding::Resize();
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
    try {
        dataLink_.UpdateRecord();
    } catch (...) {
        SelectAll();
        if (CanFocus()) SetFocus();
        throw;
    }
    setFocused(false);
    SetSelStart(0);
    TFieldBinding::DoExit();
}

void TDBKingDlg::KeyDown(Word& Key, TShiftState Shift) {
    TFieldBinding::KeyDown(Key, Shift);
    if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) dataLink_.Edit();
}

void TDBKingDlg::KeyPress(char& Key) {
    TFieldBinding::KeyPress(Key);
    TField* field = dataLink_.Field();
    if (static_cast<unsigned char>(Key) >= 32 && field && !field->IsValidChar(Key)) {
        MessageBeep(0);
        Key = 0;
    }
    if (changesText(Key)) {
        if (!dataLink_.Edit()) Key = 0;
    } else if (Key == VK_ESCAPE) {
        Reset();
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
