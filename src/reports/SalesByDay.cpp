#include "reports/SalesByDay.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "reports/ReportColumns.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* LinePicture = "###,###,##0.00;;0";
constexpr const char* TotalPicture = "###,###,##0.00";

constexpr TReportColumn Columns[] = {{0.5, pjLeft, 1.4, "Date"},
                                     {2.0, pjLeft, 0.9, "Receipt"},
                                     {3.0, pjLeft, 2.4, "Patient"},
                                     {5.5, pjRight, 0.9, "Amount"},
                                     {6.5, pjRight, 1.0, "Total"}};

}  // namespace

TSalesByDayReport::TSalesByDayReport(TComponent* AOwner) : TSalesByDayForm(AOwner, "Sales by Day/Receipt") {
    bindReportHandlers(this);
}

void TSalesByDayReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    DateRange::printPageHeader(*Report, "Sales by Date", FromKingDateDialog->Text(), ThruKingDateDialog->Text(),
                               PageNumber);
    printColumnHeadings(*Report, Columns);
}

void TSalesByDayReport::startDate(TBaseReport&) { DaySubtotal = Currency(0); }

void TSalesByDayReport::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;
    const std::string receipt = receiptText(Table1->FieldByName("RECEIPT")->AsFloat());
    const Currency subtotal = Table1->FieldByName("SUBTOTAL")->AsCurrency();
    Report->PrintTab("");
    Report->PrintTab(receipt);
    Report->PrintTab(Table1->FieldByName("NAME")->AsString());
    Report->PrintTab(DateRange::Money(LinePicture, subtotal));
    DaySubtotal += subtotal;
    countReceipt(receipt, subtotal);
    Report->NextLine();
}

void TSalesByDayReport::endDate(TBaseReport& Report) {
    for (const char* cell : {"", "", "     Subtotal", ""})
        Report.PrintTab(cell);
    Report.PrintTab(DateRange::Money(TotalPicture, DaySubtotal));
    Report.NextLine();
    Report.NextLine();
}

void TSalesByDayReport::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    const Currency gross = SalesTotal - AdjustmentTotal - DiscountTotal;
    auto stops = [Report](std::uint8_t BoxLines) {
        Report->ClearTabs();
        Report->SetTab(4.5, pjLeft, 1.9, 0, 0, 0);
        Report->SetTab(6.5, pjRight, 1.0, 0, BoxLines, 0);
    };
    auto line = [Report](const std::string& Caption, Currency Value) {
        Report->PrintTab(Caption);
        Report->PrintTab(DateRange::Money(TotalPicture, Value));
    };
    // The rule over the total; the date's subtotal is already printed.
    stops(BOXLINETOP);
    Report->NextLine();
    Report->PrintTab("");
    Report->PrintTab("");
    Report->NextLine();
    Report->NextLine();
    stops(BOXLINETOP);
    Report->NextLine();
    line("Total", SalesTotal);
    breakPageBelowEnd(*Report);
    stops(0);
    for (int i = 0; i < 5; ++i)
        Report->NextLine();
    line("Gross Sales", gross);
    Report->NextLine();
    line("Adjustments", AdjustmentTotal);
    Report->NextLine();
    line("Discounts & Returns", DiscountTotal);
    stops(BOXLINETOP);
    Report->NextLine();
    line("Net Sales", SalesTotal);
}
