// The exam record of the patient record form: the report runner behind
// "Patient &Exam", which prints the exam the exam page shows (ExamPrint.h).
#include "app/DataModule.h"
#include "base/SysUtils.h"
#include "controls/DBKing.h"
#include "patients/ExamPrint.h"
#include "patients/PatientInfo.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "ui/FormKit.h"
#include "ui/Menus.h"
#include "xbase/Qmtable.h"

void TPatientInfoDlg::buildExamReport() {
    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetTitlePreview("Patient Exam Preview");
    ReportSystem1->OnPrint = [this](TObject* Sender) { ReportSystem1Print(Sender); };
    bindEvent(PatientInformation1->OnClick, this, &TPatientInfoDlg::PatientInformation1Click);
}

void TPatientInfoDlg::PatientInformation1Click(TObject*) { ReportSystem1->Execute(); }

void TPatientInfoDlg::ReportSystem1Print(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    if (!report)
        return;
    ExamPrint::printExamRecord(*report, {.Patient = DataModule1->PatientTable,
                                         .Exam = DataModule1->IncidentTable,
                                         .ExamEngine = DataModule1->IncidentXbase,
                                         .BirthDateText = BirthDateDBKingDlg->Text(),
                                         .Today = Date()});
}
