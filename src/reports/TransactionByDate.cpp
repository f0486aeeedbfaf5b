#include "reports/TransactionByDate.h"

#include "app/AppUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* Picture = "###,##0.00";
// The margin argument of every stop, in hundredths of an inch.
constexpr double StopMargin = 0.1;

struct TStop {
    double Pos, Width;
    TPrintJustify Justify;
};

void setStops(TBaseReport& Report, std::uint8_t BoxLines, TPrintJustify FirstTwo) {
    const TStop stops[] = {{0.5, 0.8, FirstTwo}, {1.5, 0.6, FirstTwo}, {2.2, 0.9, pjLeft}, {3.2, 0.7, pjLeft},
                           {4.0, 1.4, pjLeft},   {5.5, 0.9, pjRight},  {6.5, 0.9, pjRight}};
    Report.ClearTabs();
    for (const TStop& stop : stops)
        Report.SetTab(stop.Pos, stop.Justify, stop.Width, StopMargin, BoxLines, 0);
}

}  // namespace

TTransactionByDateReport::TTransactionByDateReport(TComponent* AOwner)
    : TShellReport(AOwner, {"LEDGER.DBF", "DATE"}, "Transactions by Date") {
    OKBtn = BitBtn1;
    OKBtn->SetName("OKBtn");

    ReportSystem1->SystemPrinter()->SetMarginLeft(0.25);
    ReportSystem1->SystemPrinter()->SetMarginRight(0.25);
    ReportSystem1->SystemPreview()->SetPagesHigh(2);
    // Monochrome is refused while the preview draws a shadow.
    ReportSystem1->SystemPreview()->SetShadowDepth(0);
    ReportSystem1->SystemPreview()->SetMonochrome(true);

    PageEndY = 10.5;

    bindEvent(OKBtn->OnClick, this, &TTransactionByDateReport::OKBtnClick);
    bindReportHandlers(this);
}

void TTransactionByDateReport::FormCreate(TObject*) {
    DateRangeComboBoxChange(this);
    Table1->Open();
    showRange(AppUtils::FirstDayOfMonth(Date()), AppUtils::LastDayOfMonth(Date()));
}

void TTransactionByDateReport::OKBtnClick(TObject*) {
    runOnRange([this](TDateTime From, TDateTime Thru) {
        Xbase1->SetScope(DateRange::Key(From), DateRange::Key(Thru));
        ReportSystem1->Execute();
    });
}

void TTransactionByDateReport::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    DebitTotal = CreditTotal = Currency(0);
    Table1->First();
    startPages(*Report);
}

void TTransactionByDateReport::ReportShell1PageBefore(TBaseReport*, TDetailShell*) { ++PageNumber; }

void TTransactionByDateReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    DateRange::printPageHeader(*Report, "Transactions", FromKingDateDialog->Text(), ThruKingDateDialog->Text(),
                               PageNumber, {0.5, 0.7, 0.5});
    setStops(*Report, BOXLINEBOTTOM, pjLeft);
    Report->GotoXY(0, 1.5);
    Report->SetFont("Arial", 10);
    for (const char* title : {"ID", "Date", "Desc", "Ref", "Account", "Debit", "Credit"})
        Report->PrintTab(title);
    Report->NextLine();
    Report->NextLine();
    setStops(*Report, 0, pjRight);
    Report->SetFont("Arial", 10);
}

void TTransactionByDateReport::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;  // an empty range prints no row
    const Currency debit = Table1->FieldByName("DEBIT")->AsCurrency();
    const Currency credit = Table1->FieldByName("CREDIT")->AsCurrency();
    Report->PrintTab(Table1->FieldByName("ID")->AsString());
    Report->PrintTab(FormatDateTime("m/d/yy", Table1->FieldByName("DATE")->AsDateTime()));
    Report->PrintTab(Table1->FieldByName("DESC")->AsString());
    Report->PrintTab(Table1->FieldByName("POSTREF")->AsString());
    Report->PrintTab(Table1->FieldByName("TYPE")->AsString());
    Report->PrintTab(DateRange::Money(Picture, debit));
    Report->PrintTab(DateRange::Money(Picture, credit));
    Report->NextLine();
    DebitTotal += debit;
    CreditTotal += credit;
}

void TTransactionByDateReport::ReportShell1GroupAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    Valid = !Table1->Eof();
}

// The totals go under "Debit" and "Credit", in the row's stops.
void TTransactionByDateReport::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    Report->NextLine();
    for (const char* cell : {"", "", "     Total", "", ""})
        Report->PrintTab(cell);
    Report->PrintTab(DateRange::Money(Picture, DebitTotal));
    Report->PrintTab(DateRange::Money(Picture, CreditTotal));
    Report->NextLine();
}
