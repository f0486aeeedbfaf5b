#pragma once
// TPatientInfoDlg: the patient record form. Six pages over the data
// module's patient table (PatientSource) and exam table (IncidentSource):
// the person and addresses, the claim form's patient data, the insured, the
// carrier, the other insured and the current exam (its page is built in
// ExamPage.cpp).
//
// Promises:
// - Opening scopes the exam table to the patient's exams, makes the last of
//   them the patient's INCIDENT (0 without exams) and shows the age.
// - Storing (OK, closing, Apply) posts the patient, replaces its full-text
//   key in Patient.ia at its record number, and posts the exam.
// - "Indexed as" may not be left empty (the old name comes back) or as
//   "<new>"; no other page can be chosen meanwhile.
// - One form at a time, standing on the shared patient cursor: a second
//   opening brings the open form forward, a modal opening first closes an
//   open modeless one (storing it); when the patient table moves to another
//   patient under the form, it stores the patient it showed and opens the new
//   one as if created for it.
// - A patient another workstation holds locked is not opened: the message
//   once, no form, nothing written.
// - "Chart &Label" prints one label of the file-folder stock at the start
//   position the labels dialog is given (ChartLabel.cpp).
// - "Patient &Exam" prints the current exam as a ruled form with its notes
//   (ExamPrint.cpp).
#include <array>
#include <memory>
#include <string>

#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TDBCheckBox;
class TDBComboBox;
class TDBEdit;
class TDBKingDlg;
class TDBRadioGroup;
class TDataSource;
class TGroupBox;
class TKingPopup;
class TLabel;
class TMenuItem;
class TPageControl;
class TPopupMenu;
class TBaseReport;
class TLabelShell;
class TQmDBLookupCombo;
class TReportSystem;
class TScrollBox;
class TTabSheet;

class TPatientInfoDlg : public TForm {
public:
    explicit TPatientInfoDlg(TComponent* AOwner);
    ~TPatientInfoDlg() override;

    // ---- pages and their controls
    TPageControl* PageControl1;
    TTabSheet* PatientTabSheet;
    TTabSheet* InsuranceTabSheet;
    TTabSheet* InsuredTabSheet;
    TTabSheet* CarrierTabSheet;
    TTabSheet* OtherInsuredTabSheet;
    TTabSheet* IncidentTabSheet;
    TKingPopup* KingPopup1;

    TDBEdit* RecordNameDBEdit;
    TDBEdit* AccountDBEdit;
    TDBKingDlg* FirstVisitDBKingDlg;
    TDBComboBox* SexDBComboBox;
    TDBKingDlg* BirthDateDBKingDlg;
    TLabel* AgeLabel;
    TDBEdit* NameDBEdit;
    TDBEdit* StateDBEdit;
    TDBEdit* BillNameDBEdit;
    TDBEdit* BillStateDBEdit;
    TButton* NoteBtn;

    TDBEdit* HcfaNameDBEdit;
    TDBCheckBox* BillInsurDBCheckBox;
    TDBCheckBox* AcptAssignDBCheckBox;
    TDBCheckBox* PatSigOnFiDBCheckBox;
    TDBCheckBox* PatEmplydDBCheckBox;

    TDBCheckBox* InsSigOnFiDBCheckBox;
    TBitBtn* BitBtn3;

    TDBRadioGroup* OtherPlanDBRadioGroup;
    TGroupBox* OtherInsuredGroupBox;

    // ---- the exam page (ExamPage.cpp)
    TScrollBox* ExamScrollBox;
    TQmDBLookupCombo* DoctorDBLookupCombo;
    std::array<TQmDBLookupCombo*, 4> DiagnosisDBLookupCombos{};
    std::array<TLabel*, 4> DiagnosisLabels{};
    TGroupBox* HospitalizationGroupBox;
    TDBCheckBox* CondAutoAccidentDBCheckBox;
    TLabel* CondStateLabel;
    TDBEdit* CondStateDBEdit;
    TBitBtn* NewIncidentBitBtn;
    TQmDBLookupCombo* IncidentDBLookupCombo;
    TBitBtn* BitBtn1;
    TBitBtn* NewClaimBitBtn;
    TBitBtn* HistoryBitBtn;

    // ---- the button bar
    TBitBtn* OKbtn;
    TBitBtn* PrintBtn;
    TBitBtn* ApplyBtn;
    TBitBtn* RecallBtn;
    TBitBtn* CancelBtn;
    TPopupMenu* PrintPopupMenu;
    TMenuItem* PatientInformation1;
    TMenuItem* ChartLabel1;
    // The exam record (ExamPrint.cpp).
    TReportSystem* ReportSystem1;
    // The chart label (ChartLabel.cpp).
    TReportSystem* ReportSystem2;
    TLabelShell* LabelShell1;

    // ---- handlers
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void NameDBEditChange(TObject* Sender);
    void RecordNameDBEditEnter(TObject* Sender);
    void RecordNameDBEditExit(TObject* Sender);
    void PageControl1Changing(TObject* Sender, bool& AllowChange);
    void AccountDBEditExit(TObject* Sender);
    void BirthDateDBKingDlgExit(TObject* Sender);
    void DisplayAge();
    void OKbtnClick(TObject* Sender);
    void ApplyBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);
    void OtherPlanDBRadioGroupChange(TObject* Sender);
    void OtherPlanGroupBoxActive();
    void NoteBtnClick(TObject* Sender);
    void RecallBtnClick(TObject* Sender);
    void BitBtn3Click(TObject* Sender);
    void PrintBtnClick(TObject* Sender);
    void PatientInformation1Click(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void ChartLabel1Click(TObject* Sender);
    void ReportSystem2Print(TObject* Sender);
    void LabelShell1ReportBefore(TBaseReport* Report, TLabelShell* Shell);
    void LabelShell1LabelPrint(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void HistoryBitBtnClick(TObject* Sender);
    void FTSReplace();

    // Exam page handlers (ExamPage.cpp).
    void NewIncidentBitBtnClick(TObject* Sender);
    void IncidentDBLookupComboChange(TObject* Sender);
    void IncidentDBLookupComboDropDown(TObject* Sender);
    void DiagnosisChange(int Index);
    void ChangeCondStateActive(TCheckBoxState State);
    void CondAutoAccidentDBCheckBoxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void CondAutoAccidentDBCheckBoxKeyPress(TObject* Sender, char& Key);
    void BitBtn1Click(TObject* Sender);
    void NewClaimBitBtnClick(TObject* Sender);

    // Opened modally when the form is; refused (locked patient, or another
    // patient form brought forward instead) it never shows.
    void SetVisible(bool Value) override;
    // True when the opening was refused and the form is going.
    bool refused() const { return refused_; }

private:
    class TCursorLink;

    void buildPatientPage();
    void buildInsurancePage();
    void buildInsuredPage();
    void buildCarrierPage();
    void buildOtherInsuredPage();
    void buildExamPage();
    void buildButtonBar();
    void buildChartLabel();
    void buildExamReport();

    // FormCreate's steps after the cursor: lock test, exam scope, last exam
    // as INCIDENT, age. False when the patient is locked (nothing written).
    bool openPatient();
    // FormShow's steps: the record in edit, caption, focus for a new record.
    void showPatient();
    // Posts the patient (with its full-text key) and the exam when either
    // is being edited.
    void storeRecords();
    // The cursor moved to another record: store the one shown, then open the
    // new one; a locked one closes the form.
    void followCursor();
    void patientCursorLeaving();
    void patientCursorMoved();
    bool indexedAsInvalid() const;
    void refocusIndexedAs();
    TForm* otherPatientForm() const;

    std::unique_ptr<TCursorLink> cursorLink_;
    std::string indexedAs_;
    // The engine record number of the patient on show, and whether its edit
    // was ended by a move (its full-text key is then replaced once the move
    // is done).
    int shownRecNo_ = 0;
    bool leftEditing_ = false;
    bool busy_ = false;
    bool refused_ = false;
    bool followPending_ = false;
    // Created while another patient form was open: opened when shown.
    bool openingDeferred_ = false;
    // The chart label run: label positions visited, and the first one printed.
    int chartLabelPosition_ = 0;
    int chartLabelStart_ = 0;
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};

// Registers the patient record form, the dialogs it opens by name, the
// advanced patient search and the schedule window.
void registerPatientForms();
