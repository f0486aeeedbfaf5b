#include "reports/StockReport.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReportColumns.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* CountPicture = "###,###,##0;;0";
constexpr const char* CostPicture = "###,###,##0.00;;0";

constexpr TReportColumn Columns[] = {{0.5, pjLeft, 0.9, "Vendor"},      {1.5, pjLeft, 0.9, "Manufacturer"},
                                     {2.5, pjLeft, 0.9, "ID"},          {3.5, pjLeft, 0.9, "Description"},
                                     {4.5, pjRight, 0.9, "On Hand"},    {5.5, pjRight, 0.6, "ReorderPt"},
                                     {6.2, pjRight, 0.8, "Cost"},       {7.1, pjRight, 0.9, "Total"}};

}  // namespace

TStockReportForm::TStockReportForm(TComponent* AOwner, const std::string& Caption, const char* IndexName,
                                   const std::string& Title)
    : TGroupedReport(AOwner, {"ITEM.DBF", IndexName}, "<no vendor>"), title_(Title) {
    SetCaption(Caption);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    bindReportHandlers(this);
    ReportSystem1->OnPreviewSetup = [this](TObject*) { Hide(); };
}

void TStockReportForm::ReportSystem1Print(TObject* Sender) {
    Hide();
    TShellReport::ReportSystem1Print(Sender);
}

std::string TStockReportForm::groupKey() const { return UpperCase(Table1->FieldByName("VENDOR")->AsString()); }

void TStockReportForm::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    Report->SetFont("Arial", 10);
    Report->PrintXY(0.3, 0.5, FormatDateTime("m/d/yyyy h:nna/p", Now()));
    Report->PrintXY(7.2, 0.5, "Page " + std::to_string(PageNumber));
    Report->SetFont("Arial", 20);
    Report->SetFontTop(0.25);
    Report->PrintCenter(title_, 4.25);
    Report->SetBold(false);
    Report->NextLine();
    Report->SetFont("Arial", 10);
    printColumnHeadings(*Report, Columns);
    Report->SetFont("Arial", 9);
}

void TStockReportForm::printGroupHeading(TBaseReport& Report, const std::string& Shown, bool) {
    Report.PrintTab(Shown);
}

Currency TStockReportForm::printRecord(TBaseReport& Report) {
    const Currency cost = Table1->FieldByName("COST")->AsCurrency();
    Report.PrintTab(Table1->FieldByName("MANF")->AsString());
    Report.PrintTab(Table1->FieldByName("ID")->AsString());
    Report.PrintTab(Table1->FieldByName("DESC")->AsString());
    Report.PrintTab(FormatFloat(CountPicture, Table1->FieldByName("QTYONHAND")->AsFloat()));
    Report.PrintTab(FormatFloat(CountPicture, Table1->FieldByName("REORDERPT")->AsFloat()));
    Report.PrintTab(DateRange::Money(CostPicture, cost));
    return cost;
}

void TStockReportForm::endGroup(TBaseReport& Report, bool) { Report.NextLine(); }

void TStockReportForm::printGrandTotal(TBaseReport& Report, Currency Total) {
    printRuledTotal(Report, {6.2, pjRight, 0.8, "Total"}, {7.1, pjRight, 0.9}, Total);
}
