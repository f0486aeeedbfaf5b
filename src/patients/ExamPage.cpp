// The exam page of the patient record form: a scroll box of the exam's
// groups over the exam table, the exam selector and the new-exam button,
// and their handlers (exam numbering, diagnosis captions, accident state,
// exam notes).
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "base/SysUtils.h"
#include "controls/ControlKit.h"
#include "controls/DBKing.h"
#include "controls/qmdblook.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/ExamDlg.h"
#include "patients/PatientInfo.h"
#include "patients/PatientNotes.h"
#include "patients/PatientRules.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

using namespace FormLayout;

namespace {

const char* const NoAccountForExam =
    "You must assign a Patient Account Number before you can create a new incident.";
const char* const NoExamNumberLeft =
    "This patient has reached exam number 9999, the highest an exam can have; no new exam was created.";

// The first diagnosis list shows the category before the description.
const std::vector<const char*> FirstDiagnosisColumns{"ID\t12\tCode", "CATEGORY\t20\tCategory",
                                                     "DESC\t30\tDescription"};
const std::vector<const char*> DiagnosisColumns{"ID\t12\tCode", "DESC\t27\tDescription", "CATEGORY\t20\tCategory"};

// The pupillary distances take three characters ("62", "31.5" is too long).
constexpr int DistanceLength = 3;

// A pair of captioned OD/OS edits on one row of a two-eye group.
void eyePair(TWinControl* Group, int Top, const char* Caption, TDataSource* Source, const char* Right,
             const char* Left, int Width = 60) {
    caption(Group, 10, Top, Caption);
    edit(Group, 100, Top, Width, Source, Right);
    edit(Group, 104 + Width, Top, Width, Source, Left);
}

// "OD" / "OS" row with an edit and a "20/" acuity.
void acuityRow(TWinControl* Group, int Top, const char* Eye, TDataSource* Source, const char* Finding,
               const char* Acuity) {
    caption(Group, 10, Top, Eye);
    edit(Group, 40, Top, 130, Source, Finding);
    caption(Group, 180, Top, "20/");
    edit(Group, 204, Top, 60, Source, Acuity);
}

// "OD" / "OS" row with one edit.
void eyeRow(TWinControl* Group, int Top, const char* Eye, TDataSource* Source, const char* Column) {
    caption(Group, 10, Top, Eye);
    edit(Group, 40, Top, 160, Source, Column);
}

void dateRange(TWinControl* Group, TDataSource* Source, const char* From, const char* To) {
    caption(Group, 8, 20, "From");
    placeDateEdit(Group, 40, 20, Source, From);
    caption(Group, 146, 20, "To");
    placeDateEdit(Group, 166, 20, Source, To);
}

// Column headings over a row of edits.
void headings(TWinControl* Group, int Top, int Left, int Step, std::initializer_list<const char*> Titles) {
    int x = Left;
    for (const char* title : Titles) {
        caption(Group, x, Top, title);
        x += Step;
    }
}

void rxRow(TWinControl* Group, int Top, const char* Eye, TDataSource* Source,
           std::initializer_list<const char*> Columns, int Left, int Step) {
    caption(Group, 10, Top, Eye);
    int x = Left;
    for (const char* column : Columns) {
        edit(Group, x, Top, Step - 6, Source, column);
        x += Step;
    }
}

}  // namespace

void TPatientInfoDlg::buildExamPage() {
    TDataModule1* m = DataModule1;
    TDataSource* e = m->IncidentSource;
    TWinControl* page = IncidentTabSheet;

    ExamScrollBox = place<TScrollBox>(page, 0, 0, 636, 370);
    TWinControl* box = ExamScrollBox;
    auto group = [box](int Left, int Top, int Width, int Height, const char* Caption) {
        return place<TGroupBox>(box, Left, Top, Width, Height, Caption);
    };

    TGroupBox* visit = group(4, 4, 600, 108, "");
    TDBEdit* complaint = edit(visit, 140, 14, 220, e, "COMPLAINT");
    caption(visit, 10, 8, "Complaint or Reason", complaint);
    caption(visit, 10, 22, "for Visit");
    DoctorDBLookupCombo = placeLookupCombo(visit, 140, 44, 220, m->PersonnelTable, "RECNAME", {"RECNAME\t30\tName"}, e,
                                      "DOCTOR");
    caption(visit, 10, 44, "Doctor", DoctorDBLookupCombo);
    TDBEdit* medication = edit(visit, 140, 74, 220, e, "MEDICATION");
    caption(visit, 10, 74, "Taking Medication for", medication);
    TDBKingDlg* illness = placeDateEdit(visit, 480, 14, e, "ILLDATE");
    caption(visit, 390, 14, "Illness/Injury", illness);
    TDBKingDlg* examDate = placeDateEdit(visit, 480, 44, e, "FIRSTEXAM");
    caption(visit, 390, 44, "Exam Date", examDate);

    dateRange(group(4, 116, 296, 50, "Similar Illness or Injury"), e, "SIMSYMFROM", "SIMSYMTO");
    dateRange(group(308, 116, 296, 50, "Unable to Work"), e, "TOTDISFROM", "TOTDISTO");
    // Kept as it always was, never shown: the claim's hospital dates.
    HospitalizationGroupBox = group(308, 116, 296, 50, "Hospitilization");
    dateRange(HospitalizationGroupBox, e, "HOSPFROM", "HOSPTO");
    HospitalizationGroupBox->SetVisible(false);

    TGroupBox* vision = group(4, 170, 296, 80, "Vision");
    headings(vision, 14, 100, 64, {"OD 20/", "OS 20/", "OU 20/"});
    rxRow(vision, 30, "Unaided", e, {"VU_R", "VU_L", "VU_B"}, 100, 64);
    rxRow(vision, 54, "Previous Rx", e, {"VP_R", "VP_L", "VP_B"}, 100, 64);

    TGroupBox* internal = group(308, 170, 296, 132, "Internal Exam");
    headings(internal, 14, 100, 94, {"OD", "OS"});
    eyePair(internal, 30, "Cup/Disc", e, "IE_CD_R", "IE_CD_L", 90);
    eyePair(internal, 54, "A/V", e, "IE_AV_R", "IE_AV_L", 90);
    eyePair(internal, 78, "ALR", e, "IE_ALR_R", "IE_ALR_L", 90);
    eyePair(internal, 102, "Background", e, "IE_BACKG_R", "IE_BACKG_L", 90);

    TGroupBox* nearExam = group(4, 254, 296, 72, "Near Subjective Exam");
    acuityRow(nearExam, 18, "OD", e, "NSE_R", "NSE_VA_R");
    acuityRow(nearExam, 44, "OS", e, "NSE_L", "NSE_VA_L");
    TGroupBox* distantExam = group(4, 330, 296, 72, "Distant Subjective Exam");
    acuityRow(distantExam, 18, "OD", e, "DSE_R", "DSE_VA_R");
    acuityRow(distantExam, 44, "OS", e, "DSE_L", "DSE_VA_L");

    TGroupBox* tests = group(308, 306, 296, 62, "");
    TDBEdit* slitLamp = edit(tests, 130, 8, 150, e, "SLIT_LAMP");
    caption(tests, 10, 8, "Biomicroscope", slitLamp);
    hint(slitLamp, "Slit Lamp Exam");
    TDBEdit* pressure = edit(tests, 130, 34, 150, e, "IOP");
    caption(tests, 10, 34, "Intraocular Pressure", pressure);

    TGroupBox* distance = group(308, 372, 296, 72, "Pupillary Distance");
    headings(distance, 14, 70, 60, {"Total", "OD", "OS"});
    caption(distance, 10, 29, "Distant");
    caption(distance, 10, 51, "Near");
    int x = 70;
    for (auto [far, near] : {std::pair{"DPD_TOT", "NPD_TOT"}, {"DPD_R", "NPD_R"}, {"DPD_L", "NPD_L"}}) {
        edit(distance, x, 29, 48, e, far, DistanceLength);
        edit(distance, x, 51, 48, e, near, DistanceLength);
        x += 60;
    }

    TGroupBox* diagnosis = group(4, 448, 600, 126, "Diagnosis or Nature of Illness or Injury");
    for (int i = 0; i < 4; ++i) {
        const int top = 20 + i * 26;
        const std::string column = "DIAG" + std::to_string(i + 1);
        DiagnosisDBLookupCombos[i] = placeLookupCombo(diagnosis, 36, top, 96, m->DiagCodeTable, "ID",
                                                 i == 0 ? FirstDiagnosisColumns : DiagnosisColumns, e, column);
        DiagnosisDBLookupCombos[i]->SetStyle(csDropDownList);
        caption(diagnosis, 12, top, std::to_string(i + 1) + ".", DiagnosisDBLookupCombos[i]);
        DiagnosisLabels[i] = place<TLabel>(diagnosis, 140, top + 3, 440, 15);
        DiagnosisDBLookupCombos[i]->OnChange = [this, i](TObject*) { DiagnosisChange(i); };
    }

    TGroupBox* spectacles = group(4, 578, 600, 80, "Spectacles Rx");
    headings(spectacles, 14, 50, 70, {"Sphere", "Cylinder", "Axis", "Prism", "BC", "Add"});
    rxRow(spectacles, 30, "OD", e, {"SR_SPHERE", "SR_CYL", "SR_AXIS", "SR_PRISM", "SR_BC", "SR_ADD"}, 50, 70);
    rxRow(spectacles, 54, "OS", e, {"SL_SPHERE", "SL_CYL", "SL_AXIS", "SL_PRISM", "SL_BC", "SL_ADD"}, 50, 70);

    TGroupBox* contacts = group(4, 662, 600, 106, "Contact Lens Rx");
    headings(contacts, 14, 50, 70, {"Sphere", "Cylinder", "Axis", "BC", "Dia", "Add"});
    rxRow(contacts, 30, "OD", e, {"CR_SPHERE", "CR_CYL", "CR_AXIS", "CR_BC", "CR_DIA", "CR_ADD"}, 50, 70);
    rxRow(contacts, 54, "OS", e, {"CL_SPHERE", "CL_CYL", "CL_AXIS", "CL_BC", "CL_DIA", "CL_ADD"}, 50, 70);
    TDBEdit* lensType = edit(contacts, 50, 80, 220, e, "CL_TYPE");
    caption(contacts, 10, 80, "Type", lensType);

    TGroupBox* condition = group(4, 772, 296, 104, "Condition related to:");
    checkBox(condition, 12, 20, 160, "Employment", e, "COND_EMPL");
    CondAutoAccidentDBCheckBox = checkBox(condition, 12, 44, 130, "Auto Accident", e, "COND_AUTO");
    checkBox(condition, 12, 68, 160, "Other Accident", e, "COND_ACCID");
    CondStateDBEdit = upperEdit(condition, 190, 42, 32, e, "COND_STATE");
    CondStateLabel = caption(condition, 150, 42, "State", CondStateDBEdit);
    CondAutoAccidentDBCheckBox->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                                   int Y) {
        CondAutoAccidentDBCheckBoxMouseUp(Sender, Button, Shift, X, Y);
    };
    bindEvent(CondAutoAccidentDBCheckBox->OnKeyPress, this, &TPatientInfoDlg::CondAutoAccidentDBCheckBoxKeyPress);

    TGroupBox* other = group(308, 772, 296, 104, "");
    TDBEdit* fields = edit(other, 110, 12, 150, e, "FIELDS");
    caption(other, 10, 12, "Fields", fields);
    TDBEdit* coverTest = edit(other, 110, 40, 90, e, "CT");
    caption(other, 10, 40, "Cover Test", coverTest);
    TDBEdit* npc = edit(other, 110, 68, 90, e, "NPC");
    caption(other, 10, 68, "NPC", npc);
    hint(npc, "Near Point of Convergence");

    TGroupBox* cornea = group(4, 880, 296, 76, "Corneal Curve");
    eyeRow(cornea, 18, "OD", e, "CC_R");
    eyeRow(cornea, 44, "OS", e, "CC_L");
    TGroupBox* retinoscopy = group(308, 880, 296, 76, "Retinoscopy");
    eyeRow(retinoscopy, 18, "OD", e, "SR_R");
    eyeRow(retinoscopy, 44, "OS", e, "SR_L");

    TGroupBox* external = group(4, 960, 600, 50, "External Exam");
    edit(external, 10, 20, 300, e, "EXT_EXAM");

    const int barTop = 378;
    NewIncidentBitBtn = place<TBitBtn>(page, 6, barTop, 130, 27, "Create &New Exam");
    hint(NewIncidentBitBtn, "Press this button to create a new exam form.");
    IncidentDBLookupCombo = placeLookupCombo(page, 236, barTop + 3, 70, m->IncidentTable, "ID",
                                        {"ID\t4\tID", "FIRSTEXAM\t10\tFIRSTEXAM", "COMPLAINT\t30\tCOMPLAINT"},
                                        m->PatientSource, "INCIDENT");
    IncidentDBLookupCombo->SetStyle(csDropDownList);
    hint(IncidentDBLookupCombo, "Press button to select previous exam.");
    caption(page, 152, barTop + 3, "Exam Number", IncidentDBLookupCombo);
    BitBtn1 = place<TBitBtn>(page, 320, barTop, 75, 27, "Notes");
    NewClaimBitBtn = place<TBitBtn>(page, 410, barTop, 90, 27, "New &Claim");
    HistoryBitBtn = place<TBitBtn>(page, 510, barTop, 90, 27, "&History");
    for (TBitBtn* hidden : {NewClaimBitBtn, HistoryBitBtn}) {
        hidden->SetVisible(false);
        hidden->SetEnabled(false);
    }

    bindEvent(NewIncidentBitBtn->OnClick, this, &TPatientInfoDlg::NewIncidentBitBtnClick);
    bindEvent(IncidentDBLookupCombo->OnChange, this, &TPatientInfoDlg::IncidentDBLookupComboChange);
    bindEvent(IncidentDBLookupCombo->OnDropDown, this, &TPatientInfoDlg::IncidentDBLookupComboDropDown);
    bindEvent(BitBtn1->OnClick, this, &TPatientInfoDlg::BitBtn1Click);
    bindEvent(NewClaimBitBtn->OnClick, this, &TPatientInfoDlg::NewClaimBitBtnClick);
    bindEvent(HistoryBitBtn->OnClick, this, &TPatientInfoDlg::HistoryBitBtnClick);
}

// ---------------------------------------------------------------- handlers

void TPatientInfoDlg::NewIncidentBitBtnClick(TObject*) {
    TDataModule1* m = DataModule1;
    TTable* patient = m->PatientTable;
    TTable* exams = m->IncidentTable;
    const double account = patient->FieldByName("ID")->AsFloat();
    if (account == 0) {
        ShowMessage(NoAccountForExam);
        return;
    }
    m->IncidentXbase->GoBottom();
    const int last = exams->IsEmpty() ? 0 : exams->FieldByName("ID")->AsInteger();
    if (last >= LastExamNumber) {
        ShowMessage(NoExamNumberLeft);
        return;
    }
    exams->Append();
    exams->FieldByName("ID")->SetAsInteger(last + 1);
    exams->FieldByName("ACCOUNT")->SetAsFloat(account);
    exams->Post();
    patient->Edit();
    patient->FieldByName("INCIDENT")->SetAsInteger(last + 1);
    patient->Post();
    exams->Refresh();
}

void TPatientInfoDlg::IncidentDBLookupComboChange(TObject*) {
    if (DataModule1->IncidentTable->Active())
        DataModule1->IncidentTable->Refresh();
}

void TPatientInfoDlg::IncidentDBLookupComboDropDown(TObject*) {
    TTable* exams = DataModule1->IncidentTable;
    if ((exams->State() == dsEdit || exams->State() == dsInsert) && exams->Modified())
        exams->Post();
}

void TPatientInfoDlg::DiagnosisChange(int Index) {
    TLabel* description = DiagnosisLabels[Index];
    if (DiagnosisDBLookupCombos[Index]->Text().empty())
        description->SetCaption("");
    else
        description->SetCaption(DataModule1->DiagCodeTable->FieldByName("Desc")->AsString());
}

void TPatientInfoDlg::ChangeCondStateActive(TCheckBoxState State) {
    const bool active = CondAutoAccidentDBCheckBox->State() == State;
    CondStateLabel->SetEnabled(active);
    CondStateDBEdit->SetEnabled(active);
    CondStateDBEdit->SetColor(active ? clWindow : clBtnFace);
}

void TPatientInfoDlg::CondAutoAccidentDBCheckBoxMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    // The box has toggled already.
    ChangeCondStateActive(cbChecked);
}

void TPatientInfoDlg::CondAutoAccidentDBCheckBoxKeyPress(TObject*, char&) {
    // The box is about to toggle.
    ChangeCondStateActive(cbUnchecked);
}

void TPatientInfoDlg::BitBtn1Click(TObject*) {
    std::unique_ptr<TExamNotesDlg> notes(CreateForm<TExamNotesDlg>(this));
    notes->ShowModal();
}

void TPatientInfoDlg::NewClaimBitBtnClick(TObject*) { showExamDialog(); }
