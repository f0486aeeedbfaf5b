#pragma once
// TSalesByDayReport ("Sales by Day/Receipt"): every receipt of the chosen
// dates under its date, a subtotal per date, the total, and the recap of
// gross sales, adjustments, discounts and returns, and net sales. The
// receipts are scoped on SALES's date tag; the recap comes from a scan of
// each receipt's lines.
#include "base/Currency.h"
#include "base/DateTime.h"
#include "data/DbTables.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "reports/DateRangeForm.h"
#include "xbase/Xbase.h"

class TSalesByDayReport : public TDateRangeForm {
public:
    explicit TSalesByDayReport(TComponent* AOwner);

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
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell* Shell);

private:
    // The five stops of the columns, with box-line flag BoxLines.
    static void setColumns(TBaseReport& Report, std::uint8_t BoxLines);

    int PageNumber = 0;
    TDateTime LastDate = 0;
    Currency DaySubtotal, SalesTotal, AdjustmentTotal, DiscountTotal;
};
