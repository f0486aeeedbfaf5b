#include "controls/KingDlg.h"

#include "base/DateTime.h"

TKingDateDialog::TKingDateDialog(TComponent* AOwner) : TCalendarEdit(AOwner) {
    SetText("");
    bindFirstPopup(AOwner);
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
