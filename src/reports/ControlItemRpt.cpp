#include "reports/ControlItemRpt.h"

#include "reports/DateRange.h"
#include "ui/FormKit.h"

TControlItemReport::TControlItemReport(TComponent* AOwner)
    : TStockReportForm(AOwner, "Controlled Items", "CtrlItem", "Controlled Items Report") {
    SetWidth(253);
    SetHeight(173);
    KingPopup1 = new TKingPopup(this);
    KingPopup1->SetName("KingPopup1");
    KingPopup2 = new TKingPopup(this);
    KingPopup2->SetName("KingPopup2");
    Label1 = place<TLabel>(this, 52, 36, 26, 13, "From");
    Label2 = place<TLabel>(this, 52, 72, 26, 13, "Thru");
    FromKingDateDialog = place<TKingDateDialog>(this, 84, 32, 113, 22);
    ThruKingDateDialog = place<TKingDateDialog>(this, 84, 68, 113, 22);
    FromKingDateDialog->SetKingPopup(KingPopup1);
    ThruKingDateDialog->SetKingPopup(KingPopup2);
    BitBtn1 = place<TBitBtn>(this, 96, 104, 75, 25);
    BitBtn1->SetKind(bkOK);

    bindEvent(OnCreate, this, &TControlItemReport::FormCreate);
    bindEvent(OnClose, this, &TControlItemReport::FormClose);
    bindEvent(BitBtn1->OnClick, this, &TControlItemReport::BitBtn1Click);
    bindEvent(FromKingDateDialog->OnKeyPress, this, &TControlItemReport::FromKingDateDialogKeyPress);
    bindEvent(ThruKingDateDialog->OnKeyPress, this, &TControlItemReport::ThruKingDateDialogKeyPress);
}

void TControlItemReport::FormCreate(TObject*) {
    int year = 0, month = 0, day = 0;
    DecodeDate(Date(), year, month, day);
    const TDateTime first = EncodeDate(year, month, 1);
    const TDateTime last = IncMonth(first) - 1;
    FromKingDateDialog->SetText(DateRange::EditText(first));
    ThruKingDateDialog->SetText(DateRange::EditText(last));
    KingPopup1->SetDate(first);
    KingPopup2->SetDate(last);
    ReportSystem1->Execute();
}

void TControlItemReport::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Action = caFree;
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
