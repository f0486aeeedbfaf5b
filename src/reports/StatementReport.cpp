#include "reports/StatementReport.h"

#include "ui/FormKit.h"

TStatementReport::TStatementReport(TComponent* AOwner, const std::string& SetupTitle)
    : TShellReport(AOwner, {"LEDGER.DBF", "ACCTNO"}) {
    SetCaption("Statement");
    rows_ = std::make_unique<Statement::TReceivableRows>(Table1, Xbase1);
    ReportSystem1->SetTitleSetup(SetupTitle);
    bindEvent(OnClose, this, &TStatementReport::FormClose);
}

TStatementReport::~TStatementReport() = default;

void TStatementReport::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TStatementReport::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) { rows_->printRow(*Report); }

void TStatementReport::ReportShell1RowAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    rows_->next();
    Valid = !rows_->done();
}
