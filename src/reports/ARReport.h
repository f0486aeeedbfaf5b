#pragma once
// TARReportForm ("Accounts Receivable Report", the menu's "Aging Detail"):
// every receipt with an open balance, the latest due date first, grouped by
// the fixed aging buckets (AgingBuckets.h), one group per bucket that holds
// a receipt, each labelled on its first line and closed by its "SubTotal";
// "Total" ends the report. The report runs as soon as the form is created;
// the menu hides and closes the form. The receipts are read from the form's
// own table of SALES.DBF, filtered to open balances while the report prints.
#include "base/Currency.h"
#include "data/DbTables.h"
#include "reports/AgingBuckets.h"
#include "reports/ShellReport.h"
#include "xbase/Xbase.h"

class TARReportForm : public TShellReport<TForm> {
public:
    explicit TARReportForm(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    using TShellReport::FormClose;
    using TShellReport::ReportSystem1Print;
    void ReportSystem1BeforePrint(TObject* Sender);
    void ReportSystem1AfterPrint(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    // Below the page's last line the next band starts a new page.
    using TShellReport::ReportShell1RowAfter;
    using TShellReport::ReportShell1DetailAfter;
    void ReportShell1GroupFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1BodyAfter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageAfter;

private:
    // The bucket of the receipt under the cursor.
    AgingBucket currentBucket() const;

    bool groupOpen_ = false;
    AgingBucket groupBucket_ = AgingBucket::Current;
    Currency SubTotal, Total;
};
