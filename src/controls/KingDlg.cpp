#include "controls/KingDlg.h"

#include "base/DateTime.h"
#include "controls/CalendarButton.h"

TKingDateDialog::TKingDateDialog(TComponent* AOwner) : TCustomEdit(AOwner) {
    button_ = makeCalendarButton(this);
    button_->OnClick = [this](TObject*) { ButtonClick(); };
    SetText("");
    SetBounds(Left(), Top(), 113, Height());
    SetKingPopup(firstPopupOf(AOwner));
    if (kingPopup_ && !kingPopup_->AlignSource()) kingPopup_->SetAlignSource(this);
}

void TKingDateDialog::SetKingPopup(TKingPopup* Value) {
    if (Value == kingPopup_) return;
    if (kingPopup_) kingPopup_->RemoveFreeNotification(this);
    kingPopup_ = Value;
    if (kingPopup_) kingPopup_->FreeNotification(this);
}

void TKingDateDialog::Loaded() {
    TCustomEdit::Loaded();
    if (!kingPopup_) {
        SetKingPopup(firstPopupOf(Owner()));
        if (kingPopup_ && !kingPopup_->AlignSource()) kingPopup_->SetAlignSource(this);
    }
}

void TKingDateDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == kingPopup_) kingPopup_ = nullptr;
}

void TKingDateDialog::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomEdit::SetBounds(ALeft, ATop, AWidth, allowedEditHeight(this, AHeight));
    if (button_) placeCalendarButton(this, button_);
}

void TKingDateDialog::Resize() {
    if (Height() < allowedEditHeight(this, Height()))
        SetHeight(allowedEditHeight(this, Height()));
    else if (button_)
        placeCalendarButton(this, button_);
    TCustomEdit::Resize();
}

void TKingDateDialog::ButtonClick() {
    if (!kingPopup_ || !kingPopup_->Execute()) return;
    if (!ReadOnly()) SetText(DateToStr(kingPopup_->PopupDate()));
}

TDateTime TKingDateDialog::commitTypedDate(TKingPopup* Popup) {
    const TDateTime date = StrToDate(Text());
    SetText(FormatDateTime("mm/dd/yyyy", date));
    Repaint();
    if (Popup) Popup->SetDate(date);
    return date;
}

bool TKingDateDialog::commitTypedDateOnKey(char& Key, TKingPopup* Popup) {
    if (Key != VK_RETURN && Key != VK_TAB) return false;
    Key = 0;
    commitTypedDate(Popup);
    return true;
}
