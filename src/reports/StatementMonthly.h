#pragma once
// TStatementMonthlyReport ("&Monthly Statements"): one letter page for every
// patient whose balance is not 0.00 (credits too), in name order. The upper
// part is the remittance stub cut off along the dashed line at 3.5 inches;
// each page shows the patient's last ten receivable rows with the running
// balance and, at its foot, the aging of that patient's open receipts. The
// form is created hidden, runs at once, and closes and frees itself. When
// nobody has a balance it says so and prints nothing. The shared patient
// and sales tables are left as the run found them.
#include <memory>
#include <string>

#include "data/DbTables.h"
#include "reports/ShellReport.h"
#include "reports/StatementParts.h"
#include "ui/ComCtrls.h"
#include "ui/Graphics.h"
#include "xbase/Xbase.h"

inline const std::string NoStatementsToPrint = "No statements to print: no patient has a balance.";

class TStatementMonthlyReport : public TShellReport<TForm> {
public:
    explicit TStatementMonthlyReport(TComponent* AOwner);
    ~TStatementMonthlyReport() override;

    TImageList* ImageList1 = nullptr;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void ReportSystem1Print(TObject* Sender);
    void ReportSystem1BeforePrint(TObject* Sender);
    void ReportSystem1AfterPrint(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1PageFooter(TBaseReport* Report, TDetailShell* Shell);

private:
    void printLines(TBaseReport& Report, const Statement::TLines3& Lines, double TabX, double Top);
    void printLetterhead(TBaseReport& Report, double CentreX, double Top);

    std::string statementDate;
    std::string accountNumber;
    Statement::TLines5 Letterhead;
    Statement::TLines3 billToLines, patientLines;
    TAgingTotals Aging;
    std::unique_ptr<Statement::TReceivableRows> rows_;
    std::unique_ptr<TBitmap> scissors_;
};
