#pragma once
// TReorder ("Reorder Report"): the controlled items whose quantity on hand
// has fallen to or below their reorder point, grouped by vendor. It runs
// hidden as soon as it is created, and the menu then closes it.
#include "reports/StockReport.h"

class TReorder : public TStockReportForm {
public:
    explicit TReorder(TComponent* AOwner);

    TBitBtn* BitBtn1 = nullptr;

    void FormCreate(TObject* Sender);
    using TShellReport::FormClose;
};
