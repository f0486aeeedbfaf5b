#include "reports/ControlItemRpt.h"

#include "app/AppUtils.h"
#include "reports/DateRows.h"
#include "ui/FormKit.h"

TControlItemReport::TControlItemReport(TComponent* AOwner)
    : TStockReportForm(AOwner, "Controlled Items", "CtrlItem", "Controlled Items Report") {
    SetWidth(253);
    SetHeight(173);
    std::tie(Label1, Label2, FromKingDateDialog, ThruKingDateDialog, KingPopup1, KingPopup2) =
        placeDateRows(this, {52, 84, 113, 32}, "KingPopup1", "KingPopup2");
    BitBtn1 = place<TBitBtn>(this, 96, 104, 75, 25);
    BitBtn1->SetKind(bkOK);

    bindFormHandlers(this);
    bindEvent(BitBtn1->OnClick, this, &TControlItemReport::BitBtn1Click);
    bindEvent(FromKingDateDialog->OnKeyPress, this, &TControlItemReport::FromKingDateDialogKeyPress);
    bindEvent(ThruKingDateDialog->OnKeyPress, this, &TControlItemReport::ThruKingDateDialogKeyPress);
}

void TControlItemReport::FormCreate(TObject*) {
    const TDateTime today = Date();
    showDateRange(*FromKingDateDialog, *ThruKingDateDialog, AppUtils::FirstDayOfMonth(today),
                  AppUtils::LastDayOfMonth(today));
    ReportSystem1->Execute();
}

void TControlItemReport::FromKingDateDialogKeyPress(TObject*, char& Key) {
    FromKingDateDialog->commitTypedDateOnKey(Key, KingPopup1);
}

void TControlItemReport::ThruKingDateDialogKeyPress(TObject*, char& Key) {
    ThruKingDateDialog->commitTypedDateOnKey(Key, KingPopup2);
}

void TControlItemReport::BitBtn1Click(TObject*) {
    FromKingDateDialog->commitTypedDate(KingPopup1);
    ThruKingDateDialog->commitTypedDate(KingPopup2);
    Hide();
    ReportSystem1->SetTitleSetup("Controlled Items");
    try {
        ReportSystem1->Execute();
    } catch (...) {
        ReportSystem1->SetTitleSetup("Report Setup");
        throw;
    }
    ReportSystem1->SetTitleSetup("Report Setup");
    Close();
}
