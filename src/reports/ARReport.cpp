#include "reports/ARReport.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/MoneyTab.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* Picture = "###,##0.00";
constexpr double StopMargin = 0.1;
}  // namespace

TARReportForm::TARReportForm(TComponent* AOwner) : TShellReport(AOwner, {"SALES.DBF", "DATEDUE"}) {
    SetCaption("Accounts Receivable Report");
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    ReportSystem1->SetTitleSetup("Accounts Receivable Report");
    ReportSystem1->SystemPreview()->SetPagesHigh(2);
    // Monochrome is refused while the preview draws a shadow.
    ReportSystem1->SystemPreview()->SetShadowDepth(0);
    ReportSystem1->SystemPreview()->SetMonochrome(true);
    ReportSystem1->SystemPrinter()->SetMarginLeft(0.25);
    ReportSystem1->SystemPrinter()->SetMarginRight(0.25);
    ReportShell1->SectionRow()->SetBottom(0.5);

    bindReportHandlers(this);
}

void TARReportForm::FormCreate(TObject*) { ReportSystem1->Execute(); }

void TARReportForm::ReportSystem1BeforePrint(TObject*) {
    Table1->Open();
    Xbase1->SetFilter("balance <> 0");
    // Open receipts, the latest due date first: days overdue rise.
    Table1->SetIndexName("DateDue");
}

void TARReportForm::ReportSystem1AfterPrint(TObject*) {
    Xbase1->SetFilter("");
    Table1->Close();
}

AgingBucket TARReportForm::currentBucket() const {
    return bucketFor(Table1->FieldByName("DUEDATE")->AsDateTime(), Date());
}

void TARReportForm::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    SubTotal = Total = Currency(0);
    Table1->First();
    startPages(*Report);
}

void TARReportForm::ReportShell1PageBefore(TBaseReport*, TDetailShell*) { ++PageNumber; }

void TARReportForm::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    Report->SetFont("Arial", 10);
    Report->PrintXY(0.5, 0.7, FormatDateTime("m/d/yyyy h:nna/p", Now()));
    Report->PrintXY(7.2, 0.7, "Page " + std::to_string(PageNumber));
    Report->SetFont("Arial", 20);
    Report->SetFontTop(0.5);
    Report->PrintCenter("Accounts Receivable", 4.25);
    Report->ClearTabs();
    Report->SetTab(2.5, pjLeft, 0.6, StopMargin, BOXLINEBOTTOM, 0);
    Report->SetTab(3.15, pjLeft, 0.8, StopMargin, BOXLINEBOTTOM, 0);
    Report->SetTab(4.0, pjLeft, 0.6, StopMargin, BOXLINEBOTTOM, 0);
    Report->SetTab(4.7, pjLeft, 1.8, StopMargin, BOXLINEBOTTOM, 0);
    Report->SetTab(6.5, pjRight, 1.0, StopMargin, BOXLINEBOTTOM, 0);
    Report->SetFont("Arial", 10);
    Report->GotoXY(0, 1.5);
    for (const char* heading : {"Due", "Receipt", "Date", "Name", "Balance"})
        Report->PrintTab(heading);
    Report->NextLine();
    Report->NextLine();
    Report->ClearTabs();
    Report->SetTab(0.5, pjLeft, 1.75, StopMargin, 0, 0);
    Report->SetTab(2.5, pjLeft, 0.6, StopMargin, 0, 0);
    Report->SetTab(3.2, pjLeft, 0.8, StopMargin, 0, 0);
    Report->SetTab(4.0, pjLeft, 0.6, StopMargin, 0, 0);
    Report->SetTab(4.7, pjLeft, 1.8, StopMargin, 0, 0);
    Report->SetTab(6.5, pjRight, 1.0, StopMargin, 0, 0);
    Report->SetFont("Arial", 10);
}

void TARReportForm::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) { groupOpen_ = false; }

// A receipt in another bucket than the group's opens the next group; the
// buckets come in their order because the days overdue rise.
void TARReportForm::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    if (Table1->Eof()) return;  // no open receipt: no group
    const AgingBucket bucket = currentBucket();
    if (groupOpen_ && bucket == groupBucket_) return;
    groupOpen_ = true;
    groupBucket_ = bucket;
    SubTotal = Currency(0);
    Report->NextLine();
    Report->PrintTab(agingGroupLabel(bucket));
}

void TARReportForm::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;
    const Currency balance = Table1->FieldByName("BALANCE")->AsCurrency();
    Report->PrintTab("");  // the group's label, when it has just started, stands in this cell
    Report->PrintTab(FormatDateTime("m/d/yy", Table1->FieldByName("DUEDATE")->AsDateTime()));
    Report->PrintTab(Table1->FieldByName("RECEIPT")->AsString());
    Report->PrintTab(FormatDateTime("m/d/yy", Table1->FieldByName("DATE")->AsDateTime()));
    Report->PrintTab(Table1->FieldByName("NAME")->AsString());
    printMoneyTab(*Report, DateRange::Money(Picture, balance));
    Report->NextLine();
    SubTotal += balance;
    Total += balance;
}

void TARReportForm::ReportShell1GroupFooter(TBaseReport* Report, TDetailShell*) {
    if (!groupOpen_) return;
    if (!Table1->Eof() && currentBucket() == groupBucket_) return;
    Report->NextLine();
    Report->PrintTabbedText("\t\t\t\t\tSubTotal\t" + DateRange::Money(Picture, SubTotal));
    Report->NextLine();
    Report->NextLine();
}

void TARReportForm::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    breakPageBelowEnd(*Report);
    Valid = !Table1->Eof();
}

void TARReportForm::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    Report->NextLine();
    Report->PrintTabbedText("\t\t\t\t\tTotal\t" + DateRange::Money(Picture, Total));
    Report->NextLine();
}

void TARReportForm::ReportShell1BodyAfter(TBaseReport* Report, TDetailShell*) { breakPageBelowEnd(*Report); }
