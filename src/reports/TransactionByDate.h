#pragma once
// TTransactionByDateReport ("Transactions by Date"): the ledger rows of the
// chosen dates, one line each under seven columns, with the debit and credit
// totals under "Debit" and "Credit". The column titled "Account" shows the
// row's TYPE. The form opens on this month while the combo says "Today".
#include "base/Currency.h"
#include "data/DbTables.h"
#include "reports/DateRangeForm.h"
#include "reports/ShellReport.h"
#include "xbase/Xbase.h"

class TTransactionByDateReport : public TShellReport<TDateRangeForm> {
public:
    explicit TTransactionByDateReport(TComponent* AOwner);

    TBitBtn* OKBtn = nullptr;  // the family's OK button under this form's name

    void FormCreate(TObject* Sender);
    using TShellReport::FormClose;
    void OKBtnClick(TObject* Sender);
    using TShellReport::ReportSystem1Print;
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    using TShellReport::ReportShell1RowAfter;
    using TShellReport::ReportShell1DetailAfter;
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageAfter;

private:
    Currency DebitTotal, CreditTotal;
};
