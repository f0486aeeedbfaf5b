#pragma once
// TStatementReport: the form the monthly and the carry-out statements share.
// It walks a patient's receivable rows in the ledger (LEDGER.DBF on ACCTNO),
// one printed row a shell row, and holds what a statement page shows of its
// patient: the statement's date, the account number, the letterhead, the
// address lines and the aging. The form frees itself when it closes.
#include <memory>
#include <string>

#include "reports/ShellReport.h"
#include "reports/StatementParts.h"

class TStatementReport : public TShellReport<TForm> {
public:
    ~TStatementReport() override;

    void FormClose(TObject* Sender, TCloseAction& Action);
    using TShellReport::ReportSystem1Print;
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);

protected:
    // SetupTitle is the setup window's title.
    TStatementReport(TComponent* AOwner, const std::string& SetupTitle);

    std::string statementDate;
    std::string accountNumber;
    Statement::TLines5 Letterhead;
    Statement::TLines3 patientLines;
    TAgingTotals Aging;
    std::unique_ptr<Statement::TReceivableRows> rows_;
};
