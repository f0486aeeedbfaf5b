#pragma once
// TSalesByDayReport ("Sales by Day/Receipt"): every receipt of the chosen
// dates under its date, a subtotal per date, the total, and the recap of
// gross sales, adjustments, discounts and returns, and net sales. The
// receipts are scoped on SALES's date tag; the recap comes from a scan of
// each receipt's lines.
#include "base/Currency.h"
#include "base/DateTime.h"
#include "reporting/RSShell.h"
#include "reports/SalesByDayForm.h"

class TSalesByDayReport : public TSalesByDayForm {
public:
    explicit TSalesByDayReport(TComponent* AOwner);

    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageAfter;

private:
    TDateTime LastDate = 0;
    Currency DaySubtotal, SalesTotal, AdjustmentTotal, DiscountTotal;
};
