#pragma once
// TSalesByDayReport ("Sales by Day/Receipt"): every receipt of the chosen
// dates under its date, a subtotal per date, the total, and the recap of
// gross sales, adjustments, discounts and returns, and net sales. The
// receipts are scoped on SALES's date tag; the recap comes from a scan of
// each receipt's lines.
#include "base/Currency.h"
#include "reporting/RSShell.h"
#include "reports/SalesByDayForm.h"

class TSalesByDayReport : public TSalesByDayForm {
public:
    explicit TSalesByDayReport(TComponent* AOwner);

    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    using TShellReport::ReportShell1RowAfter;
    using TShellReport::ReportShell1DetailAfter;
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageAfter;

protected:
    // A date starts its subtotal; its subtotal line closes it.
    void startDate(TBaseReport& Report) override;
    void endDate(TBaseReport& Report) override;

private:
    Currency DaySubtotal;
};
