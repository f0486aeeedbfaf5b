// The chart label of the patient record: one label of the file-folder
// stock, printed at the start position the labels dialog asks for.
#include "app/DataModule.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/LabelRowCol.h"
#include "patients/PatientInfo.h"
#include "reporting/RSLabel.h"
#include "reporting/RSSystem.h"
#include "xbase/Qmtable.h"

namespace {

// The chart labels lie 2 across the sheet.
constexpr int ChartLabelsAcross = 2;

}  // namespace

void TPatientInfoDlg::buildChartLabel() {
    ReportSystem2 = new TReportSystem(this);
    ReportSystem2->SetTitlePreview("Chart Label Preview");
    LabelShell1 = new TLabelShell(this);
    LabelShell1->SetLabelBrand(lbAV5366);
    LabelShell1->SetDrawExtents(true);
    ReportSystem2->OnPrint = [this](TObject* Sender) { ReportSystem2Print(Sender); };
    LabelShell1->OnReportBefore = [this](TBaseReport* Report, TLabelShell* Shell) {
        LabelShell1ReportBefore(Report, Shell);
    };
    LabelShell1->OnLabelPrint = [this](TBaseReport* Report, TLabelShell* Shell, bool& Valid) {
        LabelShell1LabelPrint(Report, Shell, Valid);
    };
}

void TPatientInfoDlg::ChartLabel1Click(TObject*) {
    chartLabelPosition_ = 0;
    chartLabelStart_ = 0;
    if (askLabelStart(this, LabelShell1->NumDown(), LabelShell1->NumAcross()))
        ReportSystem2->Execute();
}

void TPatientInfoDlg::ReportSystem2Print(TObject* Sender) {
    if (auto* report = dynamic_cast<TBaseReport*>(Sender))
        LabelShell1->Execute(report);
}

void TPatientInfoDlg::LabelShell1ReportBefore(TBaseReport*, TLabelShell*) {
    chartLabelStart_ = firstLabelSlot(LabelStartRow, LabelStartColumn, ChartLabelsAcross);
    chartLabelPosition_ = 0;
}

void TPatientInfoDlg::LabelShell1LabelPrint(TBaseReport* Report, TLabelShell*, bool& Valid) {
    // Positions before the start are used labels: left blank.
    if (++chartLabelPosition_ < chartLabelStart_)
        return;
    TTable* patient = DataModule1->PatientTable;
    Report->SetFont("Arial", 14);
    Report->GotoXY(0, 0.27);
    Report->PrintLeft(patient->FieldByName("RECNAME")->AsString(), 0.25);
    Report->NextLine();
    Report->PrintLeft("Patient ID: " + patient->FieldByName("ID")->AsString(), 0.25);
    Valid = false;
}
