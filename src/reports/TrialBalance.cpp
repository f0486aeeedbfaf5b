#include "reports/TrialBalance.h"

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/MoneyTab.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* DebitTypePicture = "###,###,##0.00;;0";
constexpr const char* CreditTypePicture = "###,###,##0.00;; 0";
constexpr const char* TotalPicture = "###,###,##0.00";
constexpr double StopMargin = 0.1;
// Rows stop here; the next account starts a page of its own.
constexpr double LastRowY = 10.0;

// The name column and the two money columns, the money ones justified as
// Money and lined by BoxLines.
void setColumns(TBaseReport& Report, TPrintJustify Money, std::uint8_t BoxLines) {
    Report.ClearTabs();
    Report.SetTab(2.0, pjLeft, 2.0, 0, 0, 0);
    Report.SetTab(4.75, Money, 1.0, StopMargin, BoxLines, 0);
    Report.SetTab(5.85, Money, 1.0, StopMargin, BoxLines, 0);
}

}  // namespace

// The company's own chart of accounts, in record order: the table has no tag
// named "ACCOUNT".
TTrialBalanceForm::TTrialBalanceForm(TComponent* AOwner) : TShellReport(AOwner, {"ACCT.DBF", "ACCOUNT"}) {
    SetCaption("Trial Balance Report");
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    // Unlike the date-range family, this runner sets no margins of its own.
    ReportSystem1->SystemPrinter()->SetMarginTop(0);
    ReportSystem1->SystemPrinter()->SetMarginBottom(0);

    bindReportHandlers(this);
}

void TTrialBalanceForm::FormCreate(TObject*) {
    Hide();
    const std::string setupTitle = ReportSystem1->TitleSetup();
    ReportSystem1->SetTitleSetup("Trial Balance Report");
    try {
        ReportSystem1->Execute();
    } catch (...) {
        ReportSystem1->SetTitleSetup(setupTitle);
        throw;
    }
    ReportSystem1->SetTitleSetup(setupTitle);
}

void TTrialBalanceForm::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    // The totals cover every page of the run.
    Totals = {};
    Table1->First();
    Report->SetOriginX(0);
    Report->SetOriginY(0);
}

void TTrialBalanceForm::ReportShell1ReportHeader(TBaseReport* Report, TDetailShell*) {
    Report->SetFont("Arial", 10);
    Report->PrintXY(0.3, 0.5, FormatDateTime("m/d/yyyy h:nna/p", Now()));
    Report->SetFont("Arial", 20);
    Report->SetFontTop(0.25);
    Report->PrintCenter("Trial Balance", 4.25);
    Report->NextLine();
    Report->SetFont("Arial", 12);
    Report->PrintCenter(FormatDateTime("mmmm d, yyyy", Date()), 4.25);
}

void TTrialBalanceForm::ReportShell1PageBefore(TBaseReport* Report, TDetailShell*) { Report->SetFont("Arial", 10); }

void TTrialBalanceForm::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    Report->SetFont("Arial", 10);
    setColumns(*Report, pjCenter, BOXLINEBOTTOM);
    Report->GotoXY(0, 1.5);
    for (const char* heading : {"", "Debit", "Credit"})
        Report->PrintTab(heading);
    setColumns(*Report, pjRight, 0);
    Report->GotoXY(0, 2.0);
}

void TTrialBalanceForm::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (Table1->Eof()) return;  // no accounts: no row made from an empty record
    const TAccountSide account =
        accountSide(Table1->FieldByName("DC")->AsString(), Table1->FieldByName("BALANCE")->AsCurrency());
    const std::string amount =
        DateRange::Money(account.DebitType ? DebitTypePicture : CreditTypePicture, account.Amount);
    Report->PrintTab(Table1->FieldByName("NAME")->AsString());
    if (account.Side == TBalanceSide::Credit) Report->PrintTab("");
    printMoneyTab(*Report, amount);
    Totals.Add(account);
    Report->NextLine();
}

// Each account is a group of its own: the shell goes on while accounts remain.
void TTrialBalanceForm::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !Table1->Eof();
    if (Valid && Report->YPos() > LastRowY) Report->NewPage();
}

void TTrialBalanceForm::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    Report->ClearTabs();
    Report->SetTab(2.0, pjLeft, 2.0, 0, 0, 0);
    Report->SetTab(4.75, pjRight, 1.0, StopMargin, BOXLINETOP, 0);
    Report->SetTab(5.85, pjRight, 1.0, StopMargin, BOXLINETOP, 0);
    Report->NextLine();
    Report->PrintTab("Total");
    printMoneyTab(*Report, DateRange::Money(TotalPicture, Totals.Debits));
    printMoneyTab(*Report, DateRange::Money(TotalPicture, Totals.Credits));
}
