#pragma once
// TPaymentsByDayReport ("Payments By Day"): narrows the data module's shared
// payment table to the chosen dates and to rows with a tender, and runs the
// program project's report "Pmt_Report" with the dates as its BegDate and
// EndDate. The payment table gets its index, scope, filter and record back
// when the run ends, also after an error.
#include "reports/DateRangeForm.h"

class TPaymentsByDayReport : public TDateRangeForm {
public:
    explicit TPaymentsByDayReport(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BitBtn1Click(TObject* Sender);
};
