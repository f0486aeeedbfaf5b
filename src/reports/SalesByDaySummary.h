#pragma once
// TSalesByDaySummaryReport ("Sales by Day - Summary"): one line per date of
// the chosen range with the date's gross sales, adjustments, discounts and
// returns, and net sales, and a totals line under top rules. A page break is
// decided before a date's line starts, so a date never parts from its figures.
#include "base/Currency.h"
#include "base/DateTime.h"
#include "data/DbTables.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "reports/DateRangeForm.h"
#include "xbase/Xbase.h"

class TSalesByDaySummaryReport : public TDateRangeForm {
public:
    explicit TSalesByDaySummaryReport(TComponent* AOwner);

    TTable* Table1 = nullptr;
    TDataSource* DataSource1 = nullptr;
    TXbase* Xbase1 = nullptr;
    TTable* Table2 = nullptr;
    TDataSource* DataSource2 = nullptr;
    TXbase* Xbase2 = nullptr;
    TTable* Table3 = nullptr;
    TDataSource* DataSource3 = nullptr;
    TXbase* Xbase3 = nullptr;
    TReportSystem* ReportSystem1 = nullptr;
    TReportShell* ReportShell1 = nullptr;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BitBtn1Click(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell* Shell);

private:
    static void setColumns(TBaseReport& Report, std::uint8_t BoxLines);

    int PageNumber = 0;
    TDateTime LastDate = 0;
    Currency SalesTotal, AdjustmentTotal, DiscountTotal;
    Currency DaySales, DayAdjustments, DayDiscounts;
};
