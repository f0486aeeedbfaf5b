#include "reports/StatementWalkout.h"

#include "app/DataModule.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/SharedTablePlace.h"
#include "ui/FormKit.h"
#include "xbase/Qmtable.h"

TStatementWalkoutReport::TStatementWalkoutReport(TComponent* AOwner)
    : TStatementReport(AOwner, "Carry Out Statement") {
    bindReportHandlers(this);
}

void TStatementWalkoutReport::FormCreate(TObject*) {
    Table1->Open();
    Hide();
    TDataModule1& m = *DataModule1;
    // A record without a patient number has no account to state.
    if (m.PatientTable->Active() && !m.PatientTable->Eof() && !Statement::patientNumber(*m.PatientTable).empty()) {
        const TSharedTablePlace patients(*m.PatientTable, *m.Xbase1);
        const TSharedTablePlace sales(*m.SalesTable, *m.SalesXbase);
        ReportSystem1->Execute();
    }
    Close();
}

void TStatementWalkoutReport::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    startPages(*Report);
    statementDate = Statement::statementDate();
    TTable& patient = *DataModule1->PatientTable;
    patientLines = Statement::patientLines(patient);
    Letterhead = Statement::Letterhead(DataModule1->DataDirectory);
    const std::string number = Statement::patientNumber(patient);
    Aging = Statement::ageReceipts(*DataModule1, number);
    accountNumber = Statement::accountNumber(number);
    rows_->start(accountNumber);
}

void TStatementWalkoutReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    using namespace Statement;
    TBaseReport& r = *Report;
    greyRect(r, 0.5, 0.5, 2.2, 0.68);  // "Patient"
    dateAccountBox(r, 0.8, statementDate, accountNumber);
    transactionTable(r, 1.3);

    r.SetFont("Arial", 8);
    r.ClearTabs();
    r.SetTab(0.75, pjLeft, 2, 0, 0, 0);
    r.GotoXY(0, 0.9);
    for (const std::string& line : patientLines) {
        r.PrintTab(line);
        r.NewLine();
    }
    r.GotoXY(0, 0.6);
    for (std::size_t i = 0; i < Letterhead.size(); ++i) {
        r.SetFont("Arial", i == 0 ? 10 : 8);
        r.SetBold(i == 0);
        r.PrintCenter(Letterhead[i], 4.25);
        r.NewLine();
    }
    r.SetFont("Arial", 12);
    r.SetBold(true);
    r.PrintXY(7.0, 0.6, "STATEMENT");
    r.SetBold(false);
    r.SetFont("Arial", 10);
    if (PageNumber > 1) {
        r.ClearTabs();
        r.SetTab(7.0, pjRight, 1, 0, 0, 0);
        r.GotoXY(0, 0.75);
        r.PrintTab("Page " + std::to_string(PageNumber));
    }
    r.PrintXY(0.6, 0.63, "Patient");

    transactionStops(r);
    r.SetFont("Arial", 10);
    r.GotoXY(0, 2.0);
}

void TStatementWalkoutReport::ReportShell1DetailAfter(TBaseReport* Report, TDetailShell*) {
    if (!rows_->done() && Report->YPos() > 4.0) Report->NewPage();
}

void TStatementWalkoutReport::ReportShell1GroupAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    Valid = !rows_->done();
}

void TStatementWalkoutReport::ReportShell1PageFooter(TBaseReport* Report, TDetailShell*) {
    Statement::agingBoxes(*Report, 4.2, Aging);
}

void TStatementWalkoutReport::ReportShell1PageAfter(TBaseReport* Report, TDetailShell*) { Report->NewLine(); }
