#include "reports/SalesByDaySummary.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "ui/FormKit.h"

namespace {
constexpr const char* Picture = "###,###,##0.00";
}

TSalesByDaySummaryReport::TSalesByDaySummaryReport(TComponent* AOwner)
    : TSalesByDayForm(AOwner, "Sales by Day - Summary") {
    bindReportHandlers(this);
}

void TSalesByDaySummaryReport::setColumns(TBaseReport& Report, std::uint8_t BoxLines) {
    Report.ClearTabs();
    Report.SetTab(0.5, pjLeft, 1.4, 0, BoxLines, 0);
    for (double pos : {2.0, 3.5, 5.0, 6.5})
        Report.SetTab(pos, pjRight, 1.4, 0, BoxLines, 0);
}

void TSalesByDaySummaryReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    DateRange::printPageHeader(*Report, "Sales by Date - Summary", FromKingDateDialog->Text(),
                               ThruKingDateDialog->Text(), PageNumber);
    setColumns(*Report, 0);
    Report->GotoXY(0, 1.5);
    for (const char* cell : {"", "", "", "Discounts &", ""})
        Report->PrintTab(cell);
    Report->NextLine();
    setColumns(*Report, BOXLINEBOTTOM);
    for (const char* title : {"Date", "Gross Sales", "Adustments", "Returns", "Net Sales"})
        Report->PrintTab(title);
    Report->NextLine();
    setColumns(*Report, 0);
    Report->GotoXY(0, 1.75);
}

void TSalesByDaySummaryReport::startDate(TBaseReport& Report) {
    DaySales = DayAdjustments = DayDiscounts = Currency(0);
    // The page breaks here, before the date's line, never between the date and its figures.
    breakPageBelowEnd(Report);
}

void TSalesByDaySummaryReport::ReportShell1RowPrint(TBaseReport*, TDetailShell*, bool&) {
    if (Table1->Eof()) return;
    const Currency subtotal = Table1->FieldByName("SUBTOTAL")->AsCurrency();
    DaySales += subtotal;
    const TLineFigures lines = countReceipt(receiptText(Table1->FieldByName("RECEIPT")->AsFloat()), subtotal);
    DayAdjustments += lines.Adjustments;
    DayDiscounts += lines.Discounts;
}

void TSalesByDaySummaryReport::ReportShell1RowAfter(TBaseReport*, TDetailShell*, bool&) { Table1->Next(); }

void TSalesByDaySummaryReport::endDate(TBaseReport& Report) {
    Report.PrintTab("");
    for (Currency figure : {DaySales - DayDiscounts - DayAdjustments, DayAdjustments, DayDiscounts, DaySales})
        Report.PrintTab(DateRange::Money(Picture, figure));
}

void TSalesByDaySummaryReport::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    const Currency gross = SalesTotal - AdjustmentTotal - DiscountTotal;
    if (Report->YPos() > 9.5) Report->NewPage();
    Report->NextLine();
    Report->NextLine();
    Report->ClearTabs();
    Report->SetTab(0.5, pjLeft, 1.4, 0, 0, 0);
    for (double pos : {2.0, 3.5, 5.0, 6.5})
        Report->SetTab(pos, pjRight, 1.4, 0, BOXLINETOP, 0);
    Report->PrintTab("");
    for (Currency figure : {gross, AdjustmentTotal, DiscountTotal, SalesTotal})
        Report->PrintTab(DateRange::Money(Picture, figure));
}
