#pragma once
// TStatementWalkoutReport ("Statement"): the carry-out statement of the
// patient on which the shared patient table stands, whatever the balance,
// on the upper half of a letter page: letterhead, the patient's address,
// the last ten receivable rows with the running balance and the aging boxes.
// The carry-out list and the payment form create it hidden; it runs at once
// and closes and frees itself. A patient record without an ID prints
// nothing. The shared patient and sales tables are left as it found them.
#include <memory>
#include <string>

#include "data/DbTables.h"
#include "reports/ShellReport.h"
#include "reports/StatementParts.h"
#include "xbase/Xbase.h"

class TStatementWalkoutReport : public TShellReport<TForm> {
public:
    explicit TStatementWalkoutReport(TComponent* AOwner);
    ~TStatementWalkoutReport() override;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void ReportSystem1Print(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1PageFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell* Shell);

private:
    int PageCounter = 0;
    std::string statementDate;
    std::string accountNumber;
    Statement::TLines5 Letterhead;
    Statement::TLines3 patientLines;
    TAgingTotals Aging;
    std::unique_ptr<Statement::TReceivableRows> rows_;
};
