// The first five pages of the patient record form and its button bar.
#include "app/DataModule.h"
#include "controls/ControlKit.h"
#include "controls/DBKing.h"
#include "patients/PatientInfo.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/Menus.h"
#include "xbase/Qmtable.h"

using namespace FormLayout;

namespace {

constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 27;

// One captioned edit row of a group: caption at the left, edit at EditLeft.
TDBEdit* captionedEdit(TWinControl* Parent, int Top, const char* Caption, int Width, TDataSource* Source,
                       const char* Column, int MaxLength = 0, int EditLeft = 88, int CaptionLeft = 10) {
    TDBEdit* control = edit(Parent, EditLeft, Top, Width, Source, Column, MaxLength);
    caption(Parent, CaptionLeft, Top, Caption, control);
    return control;
}

// City, state (capitals) and zip on one row.
TDBEdit* cityStateZip(TWinControl* Parent, int Top, TDataSource* Source, const char* City, const char* State,
                      const char* Zip, int CityLength = 0, int EditLeft = 88) {
    captionedEdit(Parent, Top, "City/State/Zip", 104, Source, City, CityLength, EditLeft);
    TDBEdit* state = upperEdit(Parent, EditLeft + 108, Top, 30, Source, State, 2);
    edit(Parent, EditLeft + 142, Top, 70, Source, Zip, 10);
    return state;
}

}  // namespace

void TPatientInfoDlg::buildPatientPage() {
    TDataSource* p = DataModule1->PatientSource;
    TWinControl* page = PatientTabSheet;

    RecordNameDBEdit = edit(page, 96, 10, 210, p, "RECNAME");
    caption(page, 10, 10, "Indexed as", RecordNameDBEdit);
    hint(RecordNameDBEdit, "Lastname, Firstname");
    AccountDBEdit = edit(page, 96, 38, 90, p, "ID");
    caption(page, 10, 38, "Account", AccountDBEdit);
    AccountDBEdit->SetReadOnly(true);
    AccountDBEdit->SetTabStop(false);
    FirstVisitDBKingDlg = placeDateEdit(page, 96, 66, p, "FIRSTVISIT");
    caption(page, 10, 66, "First Visit", FirstVisitDBKingDlg);
    SexDBComboBox = list(page, 96, 94, 96, p, "SEX", {"Male", "Female"});
    caption(page, 10, 94, "Sex", SexDBComboBox);
    BirthDateDBKingDlg = placeDateEdit(page, 96, 122, p, "BIRTHDATE");
    caption(page, 10, 122, "Birthdate", BirthDateDBKingDlg);
    AgeLabel = place<TLabel>(page, 200, 125, 80, 15);
    TDBEdit* ssn = edit(page, 96, 150, 110, p, "SSN");
    caption(page, 10, 150, "SSN", ssn);
    TDBEdit* employer = edit(page, 96, 178, 150, p, "EMPLOYER");
    caption(page, 10, 178, "Occupation", employer);
    TDBEdit* balance = edit(page, 96, 206, 90, p, "BALANCE");
    caption(page, 10, 206, "Balance", balance);
    balance->SetReadOnly(true);
    balance->SetTabStop(false);
    TDBEdit* terms = edit(page, 246, 206, 36, p, "TERMS");
    caption(page, 204, 206, "Terms", terms);
    caption(page, 288, 206, "Days");

    TDBEdit* home = edit(page, 424, 10, 150, p, "PHONE1");
    caption(page, 350, 10, "Home", home);
    TDBEdit* business = edit(page, 424, 38, 150, p, "PHONE2");
    caption(page, 350, 38, "Business", business);
    edit(page, 350, 66, 70, p, "PHONE3DESC");
    edit(page, 424, 66, 150, p, "PHONE3");
    edit(page, 350, 94, 70, p, "PHONE4DESC");
    edit(page, 424, 94, 150, p, "PHONE4");
    NoteBtn = place<TButton>(page, 424, 130, 75, 25, "Notes");
    bindEvent(NoteBtn->OnClick, this, &TPatientInfoDlg::NoteBtnClick);

    auto* address = place<TGroupBox>(page, 8, 238, 306, 128, "Patient Address");
    NameDBEdit = captionedEdit(address, 22, "Name", 210, p, "NAME");
    hint(NameDBEdit, "For Correspondence ex.  Mr. John Smith");
    captionedEdit(address, 50, "Address", 210, p, "ADDR");
    StateDBEdit = cityStateZip(address, 78, p, "CITY", "STATE", "ZIP");
    auto* billing = place<TGroupBox>(page, 322, 238, 306, 128, "Billing Address");
    BillNameDBEdit = captionedEdit(billing, 22, "Name", 210, p, "BILLNAME");
    captionedEdit(billing, 50, "Address", 210, p, "BILLADDR");
    BillStateDBEdit = cityStateZip(billing, 78, p, "BILLCITY", "BILLSTATE", "BILLZIP");

    bindEvent(RecordNameDBEdit->OnEnter, this, &TPatientInfoDlg::RecordNameDBEditEnter);
    bindEvent(RecordNameDBEdit->OnExit, this, &TPatientInfoDlg::RecordNameDBEditExit);
    bindEvent(AccountDBEdit->OnExit, this, &TPatientInfoDlg::AccountDBEditExit);
    bindEvent(BirthDateDBKingDlg->OnExit, this, &TPatientInfoDlg::BirthDateDBKingDlgExit);
    bindEvent(BirthDateDBKingDlg->OnChange, this, &TPatientInfoDlg::BirthDateDBKingDlgExit);
    bindEvent(NameDBEdit->OnChange, this, &TPatientInfoDlg::NameDBEditChange);
    bindEvent(BillNameDBEdit->OnChange, this, &TPatientInfoDlg::NameDBEditChange);
}

void TPatientInfoDlg::buildInsurancePage() {
    TDataSource* p = DataModule1->PatientSource;
    TWinControl* page = InsuranceTabSheet;

    auto* address = place<TGroupBox>(page, 8, 8, 340, 128, "Patient's Address");
    HcfaNameDBEdit = captionedEdit(address, 22, "Name", 230, p, "HCFAPNAME");
    hint(HcfaNameDBEdit, "HCFA Form requires the name to be in LastName, FirstName MiddleInitial order");
    captionedEdit(address, 50, "Address", 230, p, "HCFAPADDR");
    cityStateZip(address, 78, p, "HCFAPCITY", "HCFAPSTATE", "HCFAPZIP");
    bindEvent(HcfaNameDBEdit->OnChange, this, &TPatientInfoDlg::NameDBEditChange);

    BillInsurDBCheckBox = checkBox(page, 372, 16, 200, "Bill Insurance?", p, "BILLINSUR", "Y", "N");
    AcptAssignDBCheckBox = checkBox(page, 372, 44, 200, "Accept Assignment?", p, "ACPTASSIGN");
    PatSigOnFiDBCheckBox = checkBox(page, 372, 72, 200, "Signature on File", p, "PATSIGONFI");
    PatEmplydDBCheckBox = checkBox(page, 372, 100, 200, "Employed", p, "PAT_EMPLYD");

    TDBComboBox* relation = list(page, 130, 156, 110, p, "REL_TO_INS", {"Self", "Spouse", "Child", "Other"});
    caption(page, 16, 156, "Relation to Insured", relation);
    TDBComboBox* status = list(page, 130, 184, 110, p, "PAT_STATUS", {"Single", "Married", "Other"});
    caption(page, 16, 184, "Marital Status", status);
    TDBComboBox* student = list(page, 130, 212, 110, p, "PAT_STUDNT", {"", "Full-Time", "Part-Time"});
    caption(page, 16, 212, "Student", student);
}

void TPatientInfoDlg::buildInsuredPage() {
    TDataSource* p = DataModule1->PatientSource;
    TWinControl* page = InsuredTabSheet;
    captionedEdit(page, 10, "Name", 210, p, "INS_NAME", 27, 100);
    captionedEdit(page, 38, "Address", 210, p, "INS_ADDRS", 27, 100);
    cityStateZip(page, 66, p, "INS_CITY", "INS_STATE", "INS_ZIP", 24, 100);
    captionedEdit(page, 94, "Phone", 120, p, "INS_PHONE", 13, 100);
    TDBKingDlg* birth = placeDateEdit(page, 100, 122, p, "INS_BIRTH");
    caption(page, 10, 122, "Birthdate", birth);
    TDBComboBox* sex = list(page, 100, 150, 96, p, "INS_SEX", {"Male", "Female", ""});
    caption(page, 10, 150, "Sex", sex);

    captionedEdit(page, 10, "Insured's ID", 140, p, "INS_ID", 15, 450, 350);
    captionedEdit(page, 38, "Group Number", 140, p, "INS_GROUP", 14, 450, 350);
    captionedEdit(page, 66, "Plan Name", 160, p, "INS_PLAN", 18, 450, 350);
    captionedEdit(page, 94, "Employer", 160, p, "INS_EMPLR", 18, 450, 350);
    TDBComboBox* plan = list(page, 450, 122, 140, p, "PLAN_TYPE",
                             {"Medicare", "Medicaid", "Champus", "ChampVA", "Group Plan", "Feca", "Other"});
    caption(page, 350, 122, "Type of Plan", plan);
    InsSigOnFiDBCheckBox = checkBox(page, 450, 152, 160, "Signature on File", p, "INSSIGONFI");
}

void TPatientInfoDlg::buildCarrierPage() {
    TDataSource* p = DataModule1->PatientSource;
    auto* carrier = place<TGroupBox>(CarrierTabSheet, 8, 8, 420, 230, "Insurance Carrier");
    captionedEdit(carrier, 24, "Name", 260, p, "CAR_NAME", 32);
    captionedEdit(carrier, 52, "Address", 260, p, "CAR_ADDR1", 32);
    edit(carrier, 88, 80, 260, p, "CAR_ADDR2", 32);
    captionedEdit(carrier, 108, "City", 200, p, "CAR_CITY", 32);
    TDBEdit* state = upperEdit(carrier, 88, 136, 30, p, "CAR_STATE", 2);
    caption(carrier, 10, 136, "State/Zip", state);
    edit(carrier, 122, 136, 82, p, "CAR_ZIP", 10);
    captionedEdit(carrier, 164, "Phone", 120, p, "CAR_PHONE", 13);
    BitBtn3 = place<TBitBtn>(CarrierTabSheet, 444, 16, 120, ButtonHeight, "Select &Carrier");
    hint(BitBtn3, "Select the carrier from the list of insurance companies.");
    bindEvent(BitBtn3->OnClick, this, &TPatientInfoDlg::BitBtn3Click);
}

void TPatientInfoDlg::buildOtherInsuredPage() {
    TDataSource* p = DataModule1->PatientSource;
    TWinControl* page = OtherInsuredTabSheet;
    OtherPlanDBRadioGroup = placeBound<TDBRadioGroup>(page, 8, 8, 300, 44, p, "OTHER_INS");
    OtherPlanDBRadioGroup->SetCaption("Is there another health benefit plan?");
    OtherPlanDBRadioGroup->SetColumns(2);
    OtherPlanDBRadioGroup->Items()->Add("Yes");
    OtherPlanDBRadioGroup->Items()->Add("No");
    OtherPlanDBRadioGroup->Values()->Add("True");
    OtherPlanDBRadioGroup->Values()->Add("False");
    bindEvent(OtherPlanDBRadioGroup->OnChange, this, &TPatientInfoDlg::OtherPlanDBRadioGroupChange);

    OtherInsuredGroupBox = place<TGroupBox>(page, 8, 62, 620, 200, "Other Insured's Information");
    TWinControl* group = OtherInsuredGroupBox;
    captionedEdit(group, 22, "Name", 210, p, "OTH_NAME", 27);
    captionedEdit(group, 50, "Address", 210, p, "OTH_ADDRS", 27);
    cityStateZip(group, 78, p, "OTH_CITY", "OTH_STATE", "OTH_ZIP", 24);
    captionedEdit(group, 106, "Phone", 120, p, "OTH_PHONE", 13);
    TDBKingDlg* birth = placeDateEdit(group, 88, 134, p, "OTH_BIRTH");
    caption(group, 10, 134, "Birthdate", birth);
    TDBComboBox* sex = list(group, 88, 162, 96, p, "OTH_SEX", {"Male", "Female"});
    caption(group, 10, 162, "Sex", sex);
    TDBEdit* policy = edit(group, 430, 22, 140, p, "OTH_POLICY", 15);
    caption(group, 340, 22, "Policy Number", policy);
    TDBEdit* groupNo = edit(group, 430, 50, 140, p, "OTH_GROUP", 14);
    caption(group, 340, 50, "Group Number", groupNo);
    TDBEdit* plan = edit(group, 430, 78, 160, p, "OTH_PLAN", 18);
    caption(group, 340, 78, "Plan Name", plan);
    TDBEdit* employer = edit(group, 430, 106, 160, p, "OTH_EMPLR", 18);
    caption(group, 340, 106, "Employer", employer);
    OtherInsuredGroupBox->SetEnabled(false);
}

void TPatientInfoDlg::buildButtonBar() {
    const int top = ClientHeight() - ButtonHeight - 10;
    auto button = [&](int Left, const char* Caption, const char* Hint) {
        auto* b = place<TBitBtn>(this, Left, top, ButtonWidth, ButtonHeight, Caption);
        if (Hint)
            hint(b, Hint);
        return b;
    };
    OKbtn = button(150, "&OK", "Applies Changes to data and closes window.");
    OKbtn->SetModalResult(mrOk);
    OKbtn->SetDefault(true);
    PrintBtn = button(240, "&Print", "Print patient info.");
    ApplyBtn = button(330, "&Apply", "Applies changes to data.");
    ApplyBtn->SetEnabled(false);
    RecallBtn = button(420, "&Recall", "Edit recall dates for this patient.");
    RecallBtn->SetModalResult(mrOk);
    CancelBtn = button(510, "&Cancel", nullptr);
    CancelBtn->SetVisible(false);
    CancelBtn->SetEnabled(false);

    PrintPopupMenu = new TPopupMenu(this);
    PatientInformation1 = new TMenuItem(this);
    PatientInformation1->SetCaption("Patient &Exam");
    ChartLabel1 = new TMenuItem(this);
    ChartLabel1->SetCaption("Chart &Label");
    PrintPopupMenu->Items()->Add(PatientInformation1);
    PrintPopupMenu->Items()->Add(ChartLabel1);

    bindEvent(OKbtn->OnClick, this, &TPatientInfoDlg::OKbtnClick);
    bindEvent(PrintBtn->OnClick, this, &TPatientInfoDlg::PrintBtnClick);
    bindEvent(ApplyBtn->OnClick, this, &TPatientInfoDlg::ApplyBtnClick);
    bindEvent(RecallBtn->OnClick, this, &TPatientInfoDlg::RecallBtnClick);
    bindEvent(CancelBtn->OnClick, this, &TPatientInfoDlg::CancelBtnClick);
    bindEvent(ChartLabel1->OnClick, this, &TPatientInfoDlg::ChartLabel1Click);
}
