#pragma once
// TStatementWalkoutReport ("Statement"): the carry-out statement of the
// patient on which the shared patient table stands, whatever the balance,
// on the upper half of a letter page: letterhead, the patient's address,
// the last ten receivable rows with the running balance and the aging boxes.
// The carry-out list and the payment form create it hidden; it runs at once
// and closes and frees itself. A patient record without an ID prints
// nothing. The shared patient and sales tables are left as it found them.
#include "reports/StatementReport.h"

class TStatementWalkoutReport : public TStatementReport {
public:
    explicit TStatementWalkoutReport(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageBefore;
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1PageFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell* Shell);
};
