#include "reports/DateRangeForm.h"

#include "base/FlagScope.h"
#include "data/DbTables.h"
#include "reporting/RSSystem.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"
#include "xbase/Xbase.h"

TDateRangeForm::TDateRangeForm(TComponent* AOwner, const std::string& Caption) : TForm(AOwner) {
    SetCaption(Caption);
    SetWidth(253);
    SetHeight(173);
    SetPosition(poScreenCenter);
    SetBorderIcons(TBorderIcons{biSystemMenu, biMinimize});
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    DateRangeComboBox = placeRangeComboBox(this, 4, "Today");
    placeRows(this);
    // Both calendars open under the From edit.
    KingPopup1->SetAlignSource(FromKingDateDialog);
    KingPopup2->SetAlignSource(FromKingDateDialog);

    // The form that owns a run stays open until the run ends.
    OnCloseQuery = [this](TObject*, bool& CanClose) { CanClose = !running_; };
    bindEvent(DateRangeComboBox->OnChange, this, &TDateRangeForm::DateRangeComboBoxChange);
}

void TDateRangeForm::DateRangeComboBoxChange(TObject*) {
    const auto [from, thru] = DateRange::forChoice(DateRangeComboBox->Text(), Date());
    showRange(from, thru);
}

void TDateRangeForm::showRange(TDateTime From, TDateTime Thru) {
    showDateRange(*FromKingDateDialog, *ThruKingDateDialog, From, Thru);
}

void TDateRangeForm::normaliseDates(TDateTime& From, TDateTime& Thru) {
    From = FromKingDateDialog->commitTypedDate(nullptr);
    Thru = ThruKingDateDialog->commitTypedDate(nullptr);
}

void TDateRangeForm::runOnce(const std::function<void()>& Body) {
    if (running_) return;
    TFlagScope busy(running_);
    Body();
}

void TDateRangeForm::runOnRange(const std::function<void(TDateTime From, TDateTime Thru)>& Body) {
    runOnce([this, &Body] {
        TDateTime from = 0, thru = 0;
        normaliseDates(from, thru);
        Body(from, thru);
    });
}

void TDateRangeForm::runScopedOnRange(TXbase* Engine, TTable* Table, TReportSystem* Runner) {
    runOnRange([Engine, Table, Runner](TDateTime From, TDateTime Thru) {
        Engine->SetScope(DateRange::Key(From), DateRange::Key(Thru));
        Table->First();
        Runner->Execute();
    });
}
