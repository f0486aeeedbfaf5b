#include "reports/ControlItemRpt.h"

#include "app/AppUtils.h"
#include "ui/FormKit.h"

TControlItemReport::TControlItemReport(TComponent* AOwner)
    : TStockReportForm(AOwner, "Controlled Items", "CtrlItem", "Controlled Items Report") {
    SetWidth(253);
    SetHeight(173);
    placeRows(this);

    bindFormHandlers(this);
    bindEvent(BitBtn1->OnClick, this, &TControlItemReport::BitBtn1Click);
}

void TControlItemReport::FormCreate(TObject*) {
    const TDateTime today = Date();
    showDateRange(*FromKingDateDialog, *ThruKingDateDialog, AppUtils::FirstDayOfMonth(today),
                  AppUtils::LastDayOfMonth(today));
    ReportSystem1->Execute();
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
