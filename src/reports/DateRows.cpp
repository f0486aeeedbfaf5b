#include "reports/DateRows.h"

#include "base/SysUtils.h"
#include "controls/KingDlg.h"
#include "controls/KingPop.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

TComboBox* placeRangeComboBox(TForm* Form, int Top, const std::string& Text) {
    auto* combo = place<TComboBox>(Form, 52, Top, 145, 21);
    combo->SetStyle(csDropDown);
    for (const char* choice : DateRange::Choices)
        combo->Items()->Add(choice);
    combo->SetText(Text);
    return combo;
}

std::tuple<TLabel*, TLabel*, TKingDateDialog*, TKingDateDialog*, TKingPopup*, TKingPopup*> placeDateRows(
    TForm* Form, TDateRowsPlace Where, const char* FromPopupName, const char* ThruPopupName) {
    auto* fromPopup = new TKingPopup(Form);
    fromPopup->SetName(FromPopupName);
    auto* thruPopup = new TKingPopup(Form);
    thruPopup->SetName(ThruPopupName);
    constexpr int RowStep = 36;
    auto* fromLabel = place<TLabel>(Form, Where.CaptionLeft, Where.Top + 4, 26, 13, "From");
    auto* thruLabel = place<TLabel>(Form, Where.CaptionLeft, Where.Top + RowStep + 4, 26, 13, "Thru");
    auto* from = place<TKingDateDialog>(Form, Where.EditLeft, Where.Top, Where.EditWidth, 22);
    auto* thru = place<TKingDateDialog>(Form, Where.EditLeft, Where.Top + RowStep, Where.EditWidth, 22);
    from->SetKingPopup(fromPopup);
    thru->SetKingPopup(thruPopup);
    return {fromLabel, thruLabel, from, thru, fromPopup, thruPopup};
}

void showDateRange(TKingDateDialog& FromEdit, TKingDateDialog& ThruEdit, TDateTime From, TDateTime Thru) {
    FromEdit.SetText(DateRange::EditText(From));
    ThruEdit.SetText(DateRange::EditText(Thru));
    FromEdit.KingPopup()->SetDate(StrToDate(FromEdit.Text()));
    ThruEdit.KingPopup()->SetDate(StrToDate(ThruEdit.Text()));
}

void TDateRowsPart::placeRows(TForm* Form) {
    std::tie(Label1, Label2, FromKingDateDialog, ThruKingDateDialog, KingPopup1, KingPopup2) =
        placeDateRows(Form, {52, 84, 113, 32}, "KingPopup1", "KingPopup2");
    BitBtn1 = place<TBitBtn>(Form, 96, 104, 75, 25);
    BitBtn1->SetKind(bkOK);
    bindEvent(FromKingDateDialog->OnKeyPress, this, &TDateRowsPart::FromKingDateDialogKeyPress);
    bindEvent(ThruKingDateDialog->OnKeyPress, this, &TDateRowsPart::ThruKingDateDialogKeyPress);
}

void TDateRowsPart::FromKingDateDialogKeyPress(TObject*, char& Key) {
    FromKingDateDialog->commitTypedDateOnKey(Key, KingPopup1);
}

void TDateRowsPart::ThruKingDateDialogKeyPress(TObject*, char& Key) {
    ThruKingDateDialog->commitTypedDateOnKey(Key, KingPopup2);
}
