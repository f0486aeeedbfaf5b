#include "reports/StatementMonthly.h"

#include "app/DataModule.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/SharedTablePlace.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/Graphics.h"
#include "xbase/Qmtable.h"

namespace {

constexpr const char* CutNotice = "Cut or score and tear off this part of the statement and return it with your payment.";
constexpr const char* KeepNotice = "Retain this part of the statement for your records.";

}  // namespace

TStatementMonthlyReport::TStatementMonthlyReport(TComponent* AOwner)
    : TStatementReport(AOwner, "Monthly Statments") {
    ImageList1 = new TImageList(this);
    ImageList1->SetWidth(128);
    ImageList1->SetHeight(128);
    TBitmap scissors;
    Statement::drawScissors(scissors);
    ImageList1->Add(&scissors, nullptr);
    // One picture for every page, so a printed file embeds it once.
    scissors_ = std::make_unique<TBitmap>();
    ImageList1->GetBitmap(0, scissors_.get());

    bindReportHandlers(this);
}

TStatementMonthlyReport::~TStatementMonthlyReport() = default;

void TStatementMonthlyReport::FormCreate(TObject*) {
    Hide();
    {
        TDataModule1& m = *DataModule1;
        const TSharedTablePlace patients(*m.PatientTable, *m.Xbase1);
        const TSharedTablePlace sales(*m.SalesTable, *m.SalesXbase);
        m.PatientTable->SetIndexName("OpenBalanc");
        m.PatientTable->First();
        if (m.PatientTable->Eof())
            ShowMessage(NoStatementsToPrint);
        else
            ReportSystem1->Execute();
    }
    Close();
}

void TStatementMonthlyReport::ReportSystem1BeforePrint(TObject*) { Table1->Open(); }

void TStatementMonthlyReport::ReportSystem1AfterPrint(TObject*) { Table1->Close(); }

void TStatementMonthlyReport::ReportShell1ReportBefore(TBaseReport*, TDetailShell*) {
    statementDate = Statement::statementDate();
    Letterhead = Statement::Letterhead(DataModule1->DataDirectory);
    DataModule1->PatientTable->SetIndexName("OpenBalanc");
    DataModule1->PatientTable->First();
}

// Loads the patient the page is for.
void TStatementMonthlyReport::ReportShell1PageBefore(TBaseReport* Report, TDetailShell*) {
    TTable& patient = *DataModule1->PatientTable;
    patientLines = Statement::patientLines(patient);
    billToLines = Statement::billToLines(patient);
    Report->SetOriginX(0);
    Report->SetOriginY(0);
    Aging.clear();
    const std::string number = Statement::patientNumber(patient);
    accountNumber = Statement::accountNumber(number);
    if (!number.empty()) Aging = Statement::ageReceipts(*DataModule1, number);
    rows_->start(number.empty() ? std::string() : accountNumber);
    Report->SetFont("Arial", 10);
}

void TStatementMonthlyReport::printLines(TBaseReport& Report, const Statement::TLines3& Lines, double TabX,
                                         double Top) {
    Report.SetFont("Arial", 10);
    Report.ClearTabs();
    Report.SetTab(TabX, pjLeft, 3, 0, 0, 0);
    Report.GotoXY(0, Top);
    for (const std::string& line : Lines) {
        Report.PrintTab(line);
        Report.NewLine();
    }
}

void TStatementMonthlyReport::printLetterhead(TBaseReport& Report, double CentreX, double Top) {
    Report.GotoXY(0, Top);
    for (std::size_t i = 0; i < Letterhead.size(); ++i) {
        Report.SetFont("Arial", 10);
        Report.SetBold(i == 0);
        Report.PrintCenter(Letterhead[i], CentreX);
        Report.NewLine();
    }
    Report.SetBold(false);
}

void TStatementMonthlyReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    using namespace Statement;
    TBaseReport& r = *Report;
    greyRect(r, 1.2, 1.7, 3.2, 1.88);  // "Remit to"
    greyRect(r, 5, 1.7, 7, 1.88);      // stub "Patient"
    greyRect(r, 0.9, 5.7, 2.9, 5.88);  // "Bill to"
    greyRect(r, 5, 5.7, 7, 5.88);      // lower "Patient"
    dateAccountBox(r, 0.8, statementDate, accountNumber);
    dateAccountBox(r, 4.3, statementDate, accountNumber);
    transactionTable(r, 6.8);

    printLines(r, billToLines, 1.3, 0.7);
    printLines(r, billToLines, 1.0, 6.1);
    printLines(r, patientLines, 5.1, 2.1);
    printLines(r, patientLines, 5.1, 6.1);
    printLetterhead(r, 2.25, 2.1);
    printLetterhead(r, 1.75, 4.5);

    r.SetFont("Arial", 14);
    r.SetBold(true);
    r.PrintXY(6.7, 0.7, "STATEMENT");
    r.PrintXY(6.7, 4.2, "STATEMENT");
    r.SetBold(false);
    r.SetFont("Arial", 10);
    r.PrintXY(1.3, 1.85, "Remit to");
    r.PrintXY(5.1, 1.85, "Patient");
    r.PrintXY(1.0, 5.85, "Bill to");
    r.PrintXY(5.1, 5.85, "Patient");

    r.StretchDraw(0.5, 3.3, 1.0, 3.6, scissors_.get());
    r.SetPen(clBlack, psDash, 1, pmCopy);
    r.MoveTo(0.5, 3.5);
    r.LineTo(8, 3.5);
    r.SetPen(clBlack, psSolid, 1, pmCopy);
    r.SetFont("Arial", 8);
    r.SetItalic(true);
    r.SetYPos(3.45);
    r.PrintCenter(CutNotice, 4.25);
    r.SetYPos(3.6);
    r.PrintCenter(KeepNotice, 4.25);
    r.SetItalic(false);

    transactionStops(r);
    r.SetFont("Arial", 10);
    r.GotoXY(0, 7.5);
}

// The patient's rows are done: the next patient, on a new page.
void TStatementMonthlyReport::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !rows_->done();
    if (Valid) return;
    TTable* patients = DataModule1->PatientTable;
    patients->Next();
    if (patients->Eof()) return;
    Valid = true;
    Report->NewPage();
}

void TStatementMonthlyReport::ReportShell1PageFooter(TBaseReport* Report, TDetailShell*) {
    Statement::agingBoxes(*Report, 9.7, Aging);
}
