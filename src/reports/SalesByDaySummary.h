#pragma once
// TSalesByDaySummaryReport ("Sales by Day - Summary"): one line per date of
// the chosen range with the date's gross sales, adjustments, discounts and
// returns, and net sales, and a totals line under top rules. A page break is
// decided before a date's line starts, so a date never parts from its figures.
#include "base/Currency.h"
#include "reporting/RSShell.h"
#include "reports/SalesByDayForm.h"

class TSalesByDaySummaryReport : public TSalesByDayForm {
public:
    explicit TSalesByDaySummaryReport(TComponent* AOwner);

    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageAfter;

protected:
    // A date starts its figures and, below the page's end, a new page; its
    // figures end its line.
    void startDate(TBaseReport& Report) override;
    void endDate(TBaseReport& Report) override;

private:
    static void setColumns(TBaseReport& Report, std::uint8_t BoxLines);

    Currency DaySales, DayAdjustments, DayDiscounts;
};
