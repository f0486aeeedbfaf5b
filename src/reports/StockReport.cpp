#include "reports/StockReport.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* CountPicture = "###,###,##0;;0";
constexpr const char* CostPicture = "###,###,##0.00;;0";
constexpr const char* TotalPicture = "###,###,##0.00";
constexpr const char* NoVendor = "<no vendor>";

}  // namespace

TStockReportForm::TStockReportForm(TComponent* AOwner, const std::string& Caption, const char* IndexName,
                                   const std::string& Title)
    : TShellReport(AOwner, {"ITEM.DBF", IndexName}), title_(Title) {
    SetCaption(Caption);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    bindReportHandlers(this);
    ReportSystem1->OnPreviewSetup = [this](TObject*) { Hide(); };
}

void TStockReportForm::ReportSystem1Print(TObject* Sender) {
    Hide();
    ReportShell1->Execute(dynamic_cast<TBaseReport*>(Sender));
}

void TStockReportForm::ReportSystem1BeforePrint(TObject*) { Table1->Open(); }

void TStockReportForm::ReportSystem1AfterPrint(TObject*) { Table1->Close(); }

std::string TStockReportForm::itemVendor() const { return UpperCase(Table1->FieldByName("VENDOR")->AsString()); }

void TStockReportForm::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    Table1->First();
    PageNumber = 0;
    Report->SetOriginX(0);
    Report->SetOriginY(0);
}

void TStockReportForm::ReportShell1PageBefore(TBaseReport* Report, TDetailShell*) {
    ++PageNumber;
    Report->SetFont("Arial", 10);
}

void TStockReportForm::setColumns(TBaseReport& Report, std::uint8_t BoxLines) {
    Report.ClearTabs();
    for (double pos : {0.5, 1.5, 2.5, 3.5})
        Report.SetTab(pos, pjLeft, 0.9, 0, BoxLines, 0);
    Report.SetTab(4.5, pjRight, 0.9, 0, BoxLines, 0);
    Report.SetTab(5.5, pjRight, 0.6, 0, BoxLines, 0);
    Report.SetTab(6.2, pjRight, 0.8, 0, BoxLines, 0);
    Report.SetTab(7.1, pjRight, 0.9, 0, BoxLines, 0);
}

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
    setColumns(*Report, BOXLINEBOTTOM);
    Report->GotoXY(0, 1.5);
    for (const char* heading : {"Vendor", "Manufacturer", "ID", "Description", "On Hand", "ReorderPt", "Cost", "Total"})
        Report->PrintTab(heading);
    setColumns(*Report, 0);
    Report->GotoXY(0, 1.75);
    Report->SetFont("Arial", 9);
}

void TStockReportForm::ReportShell1BodyBefore(TBaseReport*, TDetailShell*) {
    VendorSubtotal = GrandTotal = Currency(0);
}

void TStockReportForm::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) {
    CurrentVendor = NoVendor;
    vendorPrinted_ = false;
}

void TStockReportForm::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    // An empty list prints no line made from an empty record.
    if (Table1->Eof()) return;
    const std::string vendor = itemVendor();
    // The first group is always headed, also when it is the empty vendor.
    if (vendorPrinted_ && vendor == CurrentVendor) {
        Report->PrintTab("");
        return;
    }
    vendorPrinted_ = true;
    VendorSubtotal = Currency(0);
    CurrentVendor = vendor;
    Report->NextLine();
    Report->PrintTab(vendor.empty() ? NoVendor : vendor);
}

void TStockReportForm::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;
    const Currency cost = Table1->FieldByName("COST")->AsCurrency();
    Report->PrintTab("");  // the row starts again at the first stop, under the vendor
    Report->PrintTab(Table1->FieldByName("MANF")->AsString());
    Report->PrintTab(Table1->FieldByName("ID")->AsString());
    Report->PrintTab(Table1->FieldByName("DESC")->AsString());
    Report->PrintTab(FormatFloat(CountPicture, Table1->FieldByName("QTYONHAND")->AsFloat()));
    Report->PrintTab(FormatFloat(CountPicture, Table1->FieldByName("REORDERPT")->AsFloat()));
    Report->PrintTab(DateRange::Money(CostPicture, cost));
    VendorSubtotal += cost;
    GrandTotal += cost;
}

void TStockReportForm::ReportShell1RowAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    if (Table1->Eof()) {
        Valid = false;
        return;
    }
    const std::string vendor = itemVendor();
    Table1->Next();
    if (!Table1->Eof() && itemVendor() == vendor) {
        Report->NextLine();
    } else {
        Report->PrintTab(DateRange::Money(TotalPicture, VendorSubtotal));
    }
    Valid = !Table1->Eof();
}

void TStockReportForm::ReportShell1DetailAfter(TBaseReport* Report, TDetailShell*) {
    if (Report->YPos() > 9.5) Report->NewPage();
}

void TStockReportForm::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !Table1->Eof();
    if (!vendorPrinted_) return;
    if (Table1->Eof() || itemVendor() != CurrentVendor) Report->NextLine();
}

void TStockReportForm::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    Report->NextLine();
    Report->ClearTabs();
    Report->SetTab(6.2, pjRight, 0.8, 0, 0, 0);
    Report->SetTab(7.1, pjRight, 0.9, 0, BOXLINETOP, 0);
    Report->NextLine();
    Report->PrintTab("Total");
    Report->PrintTab(DateRange::Money(TotalPicture, GrandTotal));
}

void TStockReportForm::ReportShell1PageAfter(TBaseReport* Report, TDetailShell*) { Report->NextLine(); }
