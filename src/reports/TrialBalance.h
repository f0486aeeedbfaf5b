#pragma once
// TTrialBalanceForm ("Trial Balance Report"): every account of the open
// company's chart of accounts, in the order the accounts were added, with
// its balance under "Debit" or "Credit" (accountSide.h) and the two column
// totals of the whole report under them. The form hides itself and runs its
// report as soon as it is created; the setup window is titled "Trial
// Balance Report" for that run only. Title and date print on the first
// page, the column headings on every page.
#include "data/DbTables.h"
#include "reports/AccountSide.h"
#include "reports/ShellReport.h"
#include "xbase/Xbase.h"

class TTrialBalanceForm : public TShellReport<TForm> {
public:
    explicit TTrialBalanceForm(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    using TShellReport::FormClose;
    using TShellReport::ReportSystem1Print;
    using TShellReport::ReportSystem1BeforePrint;
    using TShellReport::ReportSystem1AfterPrint;
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1ReportHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    using TShellReport::ReportShell1RowAfter;
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);

private:
    TSideTotals Totals;
};
