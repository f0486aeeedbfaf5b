#include "reports/ReorderReport.h"

#include "ui/FormKit.h"

TReorder::TReorder(TComponent* AOwner) : TStockReportForm(AOwner, "Reorder Report", "Reorder", "Reorder Report") {
    SetWidth(253);
    SetHeight(173);
    ReportSystem1->SetTitleSetup("Reorder Report");
    BitBtn1 = place<TBitBtn>(this, 96, 104, 75, 25);
    BitBtn1->SetKind(bkOK);
    bindFormHandlers(this);
}

void TReorder::FormCreate(TObject*) {
    Hide();
    ReportSystem1->Execute();
}
