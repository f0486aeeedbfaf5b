#include "reports/SalesByDay.h"

#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* LinePicture = "###,###,##0.00;;0";
constexpr const char* TotalPicture = "###,###,##0.00";

}  // namespace

TSalesByDayReport::TSalesByDayReport(TComponent* AOwner) : TSalesByDayForm(AOwner, "Sales by Day/Receipt") {
    bindReportHandlers(this);
}

void TSalesByDayReport::setColumns(TBaseReport& Report, std::uint8_t BoxLines) {
    Report.ClearTabs();
    Report.SetTab(0.5, pjLeft, 1.4, 0, BoxLines, 0);
    Report.SetTab(2.0, pjLeft, 0.9, 0, BoxLines, 0);
    Report.SetTab(3.0, pjLeft, 2.4, 0, BoxLines, 0);
    Report.SetTab(5.5, pjRight, 0.9, 0, BoxLines, 0);
    Report.SetTab(6.5, pjRight, 1.0, 0, BoxLines, 0);
}

void TSalesByDayReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    DateRange::printPageHeader(*Report, "Sales by Date", FromKingDateDialog->Text(), ThruKingDateDialog->Text(),
                               PageNumber);
    setColumns(*Report, BOXLINEBOTTOM);
    Report->GotoXY(0, 1.5);
    for (const char* title : {"Date", "Receipt", "Patient", "Amount", "Total"})
        Report->PrintTab(title);
    setColumns(*Report, 0);
    Report->GotoXY(0, 1.75);
}

void TSalesByDayReport::ReportShell1BodyBefore(TBaseReport*, TDetailShell*) {
    DaySubtotal = SalesTotal = AdjustmentTotal = DiscountTotal = Currency(0);
}

void TSalesByDayReport::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) { LastDate = 0; }

void TSalesByDayReport::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    if (Table1->Eof()) return;  // an empty range prints no row
    const TDateTime date = Table1->FieldByName("DATE")->AsDateTime();
    if (date == LastDate) {
        Report->PrintTab("");
        return;
    }
    DaySubtotal = Currency(0);
    LastDate = date;
    Report->NextLine();
    Report->PrintTab(FormatDateTime("ddd m/d/yy", date));
}

void TSalesByDayReport::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;
    const std::string receipt = receiptText(Table1->FieldByName("RECEIPT")->AsFloat());
    const Currency subtotal = Table1->FieldByName("SUBTOTAL")->AsCurrency();
    Report->PrintTab("");
    Report->PrintTab(receipt);
    Report->PrintTab(Table1->FieldByName("NAME")->AsString());
    Report->PrintTab(DateRange::Money(LinePicture, subtotal));
    DaySubtotal += subtotal;
    SalesTotal += subtotal;
    const TLineFigures lines = scanReceiptLines({Table2, Xbase2, Table3, Xbase3}, receipt);
    AdjustmentTotal += lines.Adjustments;
    DiscountTotal += lines.Discounts;
    Report->NextLine();
}

void TSalesByDayReport::ReportShell1RowAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    Table1->Next();
    Valid = !Table1->Eof();
}

void TSalesByDayReport::ReportShell1DetailAfter(TBaseReport* Report, TDetailShell*) {
    if (Report->YPos() > 10.0) Report->NewPage();
}

void TSalesByDayReport::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !Table1->Eof();
    if (LastDate == 0) return;  // nothing printed: an empty range
    if (!Table1->Eof() && Table1->FieldByName("DATE")->AsDateTime() == LastDate) return;
    for (const char* cell : {"", "", "     Subtotal", ""})
        Report->PrintTab(cell);
    Report->PrintTab(DateRange::Money(TotalPicture, DaySubtotal));
    Report->NextLine();
    Report->NextLine();
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
    if (Report->YPos() > 10.0) Report->NewPage();
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

void TSalesByDayReport::ReportShell1PageAfter(TBaseReport* Report, TDetailShell*) { Report->NextLine(); }
