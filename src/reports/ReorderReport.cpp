#include "reports/ReorderReport.h"

#include "ui/FormKit.h"

TReorder::TReorder(TComponent* AOwner) : TStockReportForm(AOwner, "Reorder Report", "Reorder", "Reorder Report") {
    SetWidth(253);
    SetHeight(173);
    ReportSystem1->SetTitleSetup("Reorder Report");
    BitBtn1 = place<TBitBtn>(this, 96, 104, 75, 25);
    BitBtn1->SetKind(bkOK);
    bindEvent(OnCreate, this, &TReorder::FormCreate);
    bindEvent(OnClose, this, &TReorder::FormClose);
}

void TReorder::FormCreate(TObject*) {
    Hide();
    ReportSystem1->Execute();
}

void TReorder::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Action = caFree;
}
