#include "reports/PrintPatientLabels.h"

#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "reporting/RSBase.h"
#include "reporting/RSLabel.h"
#include "reporting/RSSystem.h"
#include "reports/MailingLabels.h"
#include "reports/SharedTablePlace.h"
#include "reports/ShellReport.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

TPrintPatientLabelsDlg::TPrintPatientLabelsDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Patient Labels");
    SetClientWidth(281);
    SetClientHeight(97);

    Label1 = place<TLabel>(this, 24, 20, 240, 13, "Press OK to Print labels for all patients.");
    OKBtn = place<TButton>(this, 54, 56, 75, 25, "OK");
    OKBtn->SetDefault(true);
    CancelBtn = place<TButton>(this, 150, 56, 75, 25, "Cancel");
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);

    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetName("ReportSystem1");
    presetMailingReportSystem(*ReportSystem1);
    Labels = new TLabelShell(this);
    Labels->SetEngine(ReportSystem1);
    setAddressLabelSheet(*Labels);

    bindEvent(OKBtn->OnClick, this, &TPrintPatientLabelsDlg::OKBtnClick);
    bindRunnerHandlers(ReportSystem1, this);
    bindEvent(OnClose, this, &TPrintPatientLabelsDlg::FormClose);
    bindEvent(Labels->OnReportBefore, this, &TPrintPatientLabelsDlg::LabelsReportBefore);
    bindEvent(Labels->OnLabelBefore, this, &TPrintPatientLabelsDlg::LabelsLabelBefore);
    bindEvent(Labels->OnLabelPrint, this, &TPrintPatientLabelsDlg::LabelsLabelPrint);
    bindEvent(Labels->OnLabelAfter, this, &TPrintPatientLabelsDlg::LabelsLabelAfter);
}

void TPrintPatientLabelsDlg::OKBtnClick(TObject*) {
    if (!DataModule1) return;
    ReportSystem1->SystemPreview()->SetZoomFactor(70);
    ReportSystem1->SystemPrinter()->SetOrientation(TOrientation::poPortrait);
    TTable& patients = *DataModule1->PatientTable;
    TSharedTablePlace place(patients, *DataModule1->Xbase1);
    const TControlsQuiet quiet(&patients);
    ReportSystem1->Execute();
    SetModalResult(mrOk);
}

void TPrintPatientLabelsDlg::ReportSystem1Print(TObject* Sender) {
    Labels->Execute(dynamic_cast<TBaseReport*>(Sender));
}

void TPrintPatientLabelsDlg::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TPrintPatientLabelsDlg::LabelsReportBefore(TBaseReport* Report, TLabelShell*) {
    TTable& patients = *DataModule1->PatientTable;
    DataModule1->Xbase1->SetScope("", "");
    DataModule1->Xbase1->SetFilter("");
    patients.SetIndexName("recname");
    patients.First();
    Report->SetFont("Arial", 10);
}

bool TPrintPatientLabelsDlg::skipToNamedPatient() {
    TTable& patients = *DataModule1->PatientTable;
    while (!patients.Eof() && Trim(patients.FieldByName("NAME")->AsString()).empty())
        patients.Next();
    return !patients.Eof();
}

void TPrintPatientLabelsDlg::LabelsLabelBefore(TBaseReport*, TLabelShell*, bool& Valid) {
    Valid = skipToNamedPatient();
}

void TPrintPatientLabelsDlg::LabelsLabelPrint(TBaseReport* Report, TLabelShell*, bool&) {
    printAddressBlock(*Report, patientAddress(*DataModule1->PatientTable));
}

void TPrintPatientLabelsDlg::LabelsLabelAfter(TBaseReport*, TLabelShell*, bool& Valid) {
    DataModule1->PatientTable->Next();
    // Nameless patients after the last named one start no further sheet.
    Valid = skipToNamedPatient();
}
