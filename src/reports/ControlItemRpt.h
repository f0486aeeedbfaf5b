#pragma once
// TControlItemReport ("Controlled Items"): every controlled item, grouped
// by vendor, in the reorder report's layout. It runs once when created and
// stays open; OK runs it again, then closes the form. The From and Thru
// boxes are kept in "mm/dd/yyyy" but select nothing.
#include "controls/KingDlg.h"
#include "controls/KingPop.h"
#include "reports/DateRows.h"
#include "reports/StockReport.h"

class TControlItemReport : public TStockReportForm, public TDateRowsPart {
public:
    explicit TControlItemReport(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    using TShellReport::FormClose;
    void BitBtn1Click(TObject* Sender);
};
