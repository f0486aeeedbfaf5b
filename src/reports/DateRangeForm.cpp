#include "reports/DateRangeForm.h"

#include "reports/DateRange.h"
#include "ui/FormKit.h"

TDateRangeForm::TDateRangeForm(TComponent* AOwner, const std::string& Caption) : TForm(AOwner) {
    SetCaption(Caption);
    SetWidth(253);
    SetHeight(173);
    SetPosition(poScreenCenter);
    SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    KingPopup1 = new TKingPopup(this);
    KingPopup1->SetName("KingPopup1");
    KingPopup2 = new TKingPopup(this);
    KingPopup2->SetName("KingPopup2");

    DateRangeComboBox = place<TComboBox>(this, 52, 4, 145, 21);
    DateRangeComboBox->SetStyle(csDropDown);
    for (const char* choice : DateRange::Choices)
        DateRangeComboBox->Items()->Add(choice);
    DateRangeComboBox->SetText("Today");

    Label1 = place<TLabel>(this, 52, 36, 26, 13, "From");
    Label2 = place<TLabel>(this, 52, 72, 26, 13, "Thru");
    FromKingDateDialog = place<TKingDateDialog>(this, 84, 32, 113, 22);
    ThruKingDateDialog = place<TKingDateDialog>(this, 84, 68, 113, 22);
    FromKingDateDialog->SetKingPopup(KingPopup1);
    ThruKingDateDialog->SetKingPopup(KingPopup2);
    // Both calendars open under the From edit.
    KingPopup1->SetAlignSource(FromKingDateDialog);
    KingPopup2->SetAlignSource(FromKingDateDialog);

    BitBtn1 = place<TBitBtn>(this, 96, 104, 75, 25);
    BitBtn1->SetKind(bkOK);

    // The form that owns a run stays open until the run ends.
    OnCloseQuery = [this](TObject*, bool& CanClose) { CanClose = !running_; };
    bindEvent(DateRangeComboBox->OnChange, this, &TDateRangeForm::DateRangeComboBoxChange);
    bindEvent(FromKingDateDialog->OnKeyPress, this, &TDateRangeForm::FromKingDateDialogKeyPress);
    bindEvent(ThruKingDateDialog->OnKeyPress, this, &TDateRangeForm::ThruKingDateDialogKeyPress);
}

void TDateRangeForm::DateRangeComboBoxChange(TObject*) {
    const auto [from, thru] = DateRange::forChoice(DateRangeComboBox->Text(), Date());
    showRange(from, thru);
}

void TDateRangeForm::showRange(TDateTime From, TDateTime Thru) {
    FromKingDateDialog->SetText(DateRange::EditText(From));
    ThruKingDateDialog->SetText(DateRange::EditText(Thru));
    KingPopup1->SetDate(StrToDate(FromKingDateDialog->Text()));
    KingPopup2->SetDate(StrToDate(ThruKingDateDialog->Text()));
}

void TDateRangeForm::FromKingDateDialogKeyPress(TObject*, char& Key) {
    FromKingDateDialog->commitTypedDateOnKey(Key, KingPopup1);
}

void TDateRangeForm::ThruKingDateDialogKeyPress(TObject*, char& Key) {
    ThruKingDateDialog->commitTypedDateOnKey(Key, KingPopup2);
}

void TDateRangeForm::normaliseDates(TDateTime& From, TDateTime& Thru) {
    From = FromKingDateDialog->commitTypedDate(nullptr);
    Thru = ThruKingDateDialog->commitTypedDate(nullptr);
}

void TDateRangeForm::runOnce(const std::function<void()>& Body) {
    if (running_) return;
    running_ = true;
    try {
        Body();
    } catch (...) {
        running_ = false;
        throw;
    }
    running_ = false;
}
