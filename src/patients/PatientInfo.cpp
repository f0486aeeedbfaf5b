#include "patients/PatientInfo.h"

#include <cmath>

#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/LookupListActions.h"
#include "app/Schemas.h"
#include "base/SysUtils.h"
#include "controls/DBKing.h"
#include "controls/KingPop.h"
#include "controls/qmdblook.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/AdvancedSearch.h"
#include "patients/ExamDlg.h"
#include "patients/History.h"
#include "patients/LabelRowCol.h"
#include "patients/NarrativeForm.h"
#include "patients/PatientNotes.h"
#include "patients/PatientRecall.h"
#include "patients/PatientRules.h"
#include "patients/Schedule.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/Menus.h"
#include "xbase/FTS32.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

// The library takes the key in a 256-byte zero-terminated buffer.
constexpr size_t FtsKeyBufferSize = 256;
// Page Up and Page Down move the exam page by this many pixels.
constexpr int ExamPageStep = 242;

const char* const NewRecordName = "<new>";
const char* const IndexedAsEmpty = "\"Indexed As\" field cannot be empty!";
const char* const IndexedAsNew =
    "You must complete the \"Indexed As\" field with a valid patient name (lastname, firstname) to continue.";
const char* const AccountEmpty = "Account Number cannot be empty";

bool Editing(TDataSet* DataSet) { return DataSet->State() == dsEdit || DataSet->State() == dsInsert; }

// Marks the form's own work on the shared cursor, so that the moves it makes
// are not taken for another patient chosen under it.
class TBusy {
public:
    explicit TBusy(bool& Flag) : flag_(Flag), old_(Flag) { Flag = true; }
    ~TBusy() { flag_ = old_; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    bool& flag_;
    bool old_;
};

void InformationBox(const std::string& Text) { MessageDlg(Text, mtInformation, {mbOK}); }

}  // namespace

// Hears the shared patient cursor: the end of an edit before a move, and
// every move.
class TPatientInfoDlg::TCursorLink : public TDataLink {
public:
    explicit TCursorLink(TPatientInfoDlg* Form) : form_(Form) {}

protected:
    void CheckBrowseMode() override { form_->patientCursorLeaving(); }
    void DataSetChanged() override { form_->patientCursorMoved(); }
    void DataSetScrolled(int) override { form_->patientCursorMoved(); }

private:
    TPatientInfoDlg* form_;
};

TPatientInfoDlg::TPatientInfoDlg(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 656, 500);
    SetKeyPreview(true);
    // The date edits bind to the form's first pop-up: it comes before them.
    KingPopup1 = new TKingPopup(this);

    PageControl1 = place<TPageControl>(this, 6, 6, ClientWidth() - 12, ClientHeight() - 52);
    auto page = [this](const char* Caption) {
        auto* sheet = new TTabSheet(this);
        sheet->SetCaption(Caption);
        sheet->SetPageControl(PageControl1);
        return sheet;
    };
    PatientTabSheet = page("Patient Information");
    InsuranceTabSheet = page("Patient Insurance");
    InsuredTabSheet = page("Insured");
    CarrierTabSheet = page("Carrier");
    OtherInsuredTabSheet = page("Other Insured");
    IncidentTabSheet = page("Exam/Diagnosis/Rx");
    buildPatientPage();
    buildInsurancePage();
    buildInsuredPage();
    buildCarrierPage();
    buildOtherInsuredPage();
    buildExamPage();
    buildButtonBar();
    buildChartLabel();
    buildExamReport();
    PageControl1->SetActivePage(PatientTabSheet);

    cursorLink_ = std::make_unique<TCursorLink>(this);
    cursorLink_->SetDataSource(DataModule1->PatientSource);

    bindEvent(OnCreate, this, &TPatientInfoDlg::FormCreate);
    bindEvent(OnShow, this, &TPatientInfoDlg::FormShow);
    bindEvent(OnClose, this, &TPatientInfoDlg::FormClose);
    bindEvent(OnKeyUp, this, &TPatientInfoDlg::FormKeyUp);
    bindEvent(OnKeyDown, this, &TPatientInfoDlg::FormKeyDown);
    PageControl1->OnChanging = [this](TObject* Sender, bool& AllowChange) { PageControl1Changing(Sender, AllowChange); };
}

TPatientInfoDlg::~TPatientInfoDlg() { cursorLink_->SetDataSource(nullptr); }

// ---------------------------------------------------------------- opening

void TPatientInfoDlg::FormCreate(TObject*) {
    openingHourGlass_.emplace();
    PageControl1->SetActivePage(PatientTabSheet);
    DataModule1->PersonnelTable->SetIndexName("RecName");
    // Another patient form stands on the cursor: whether this one opens is
    // known when it is shown, modally or not.
    if (otherPatientForm()) {
        openingDeferred_ = true;
        return;
    }
    if (!openPatient()) {
        refused_ = true;
        openingHourGlass_.reset();
    }
}

bool TPatientInfoDlg::openPatient() {
    TBusy busy(busy_);
    TDataModule1* m = DataModule1;
    const int recNo = m->Xbase1->RecNo();
    if (m->Xbase1->Locked(recNo)) {
        ShowMessage(SRecordLockedByOther);
        return false;
    }
    const std::string id = IntToStr(std::llround(m->PatientTable->FieldByName("ID")->AsFloat()));
    m->IncidentTable->SetIndexName("ID");
    m->IncidentXbase->SetScope(examScopeLow(id), examScopeHigh(id));
    m->IncidentXbase->GoBottom();
    const int lastExam = m->IncidentTable->IsEmpty() ? 0 : m->IncidentTable->FieldByName("ID")->AsInteger();
    m->PatientTable->Edit();
    m->PatientTable->FieldByName("INCIDENT")->SetAsInteger(lastExam);
    m->PatientTable->Post();
    m->Xbase1->Commit();
    m->IncidentTable->Refresh();
    m->Xbase1->Go(recNo);
    shownRecNo_ = recNo;
    // A patient followed onto keeps no age of the one before.
    AgeLabel->SetCaption("");
    DisplayAge();
    // The accident state is not worked out from the record: it starts enabled.
    ChangeCondStateActive(CondAutoAccidentDBCheckBox->State());
    OtherPlanGroupBoxActive();
    return true;
}

void TPatientInfoDlg::FormShow(TObject*) { showPatient(); }

void TPatientInfoDlg::showPatient() {
    TBusy busy(busy_);
    TTable* patient = DataModule1->PatientTable;
    patient->Refresh();
    patient->Edit();
    SetCaption(patient->FieldByName("RECNAME")->AsString());
    openingHourGlass_.reset();
    if (Trim(patient->FieldByName("RECNAME")->AsString()) == NewRecordName) {
        PageControl1->SetActivePage(PatientTabSheet);
        if (Visible() && RecordNameDBEdit->CanFocus())
            RecordNameDBEdit->SetFocus();
        else
            SetActiveControl(RecordNameDBEdit);
    }
}

TForm* TPatientInfoDlg::otherPatientForm() const {
    for (int i = 0; i < Screen->FormCount(); ++i) {
        auto* form = dynamic_cast<TPatientInfoDlg*>(Screen->Forms(i));
        if (form && form != this && form->Visible() && !form->refused() &&
            !form->ComponentState().Contains(csDestroying))
            return form;
    }
    return nullptr;
}

void TPatientInfoDlg::SetVisible(bool Value) {
    if (Value && !Visible()) {
        if (openingDeferred_ && !refused_) {
            openingDeferred_ = false;
            TForm* other = otherPatientForm();
            if (other && !Modal()) {
                refused_ = true;
                other->Show();
            } else {
                // The receipt waits for this one: the modeless one goes, stored.
                if (other)
                    other->Close();
                refused_ = !openPatient();
            }
        }
        if (refused_) {
            openingHourGlass_.reset();
            if (Modal())
                SetModalResult(mrCancel);
            else
                Release();
            return;
        }
    }
    TForm::SetVisible(Value);
}

// ---------------------------------------------------------------- following the cursor

void TPatientInfoDlg::patientCursorLeaving() {
    if (busy_ || refused_ || !Visible())
        return;
    TDataModule1* m = DataModule1;
    if (Editing(m->PatientTable) && m->Xbase1->RecNo() == shownRecNo_)
        leftEditing_ = true;
}

void TPatientInfoDlg::patientCursorMoved() {
    if (busy_ || refused_ || followPending_ || !Visible())
        return;
    TTable* patient = DataModule1->PatientTable;
    if (!patient->Active() || patient->IsEmpty() || patient->State() == dsInsert)
        return;
    if (DataModule1->Xbase1->RecNo() == shownRecNo_)
        return;
    // Not inside the dataset's own move: once it is done.
    followPending_ = true;
    std::weak_ptr<int> alive = lifeToken_;
    queueOnMainThread([this, alive] {
        if (alive.expired())
            return;
        followPending_ = false;
        followCursor();
    });
}

void TPatientInfoDlg::followCursor() {
    TDataModule1* m = DataModule1;
    if (refused_ || !m->PatientTable->Active())
        return;
    const int target = m->Xbase1->RecNo();
    if (target == shownRecNo_)
        return;
    {
        // The move posted the patient shown; its key follows what was stored.
        TBusy busy(busy_);
        if (leftEditing_) {
            m->Xbase1->Go(shownRecNo_);
            FTSReplace();
            m->Xbase1->Go(target);
        }
        leftEditing_ = false;
        if (Editing(m->IncidentTable))
            m->IncidentTable->Post();
    }
    if (!openPatient()) {
        refused_ = true;
        Close();
        return;
    }
    showPatient();
}

// ---------------------------------------------------------------- "Indexed as", account, age

void TPatientInfoDlg::NameDBEditChange(TObject*) {
    SetCaption(DataModule1->PatientTable->FieldByName("RECNAME")->AsString());
}

void TPatientInfoDlg::RecordNameDBEditEnter(TObject*) { indexedAs_ = RecordNameDBEdit->Text(); }

bool TPatientInfoDlg::indexedAsInvalid() const {
    const std::string text = Trim(RecordNameDBEdit->Text());
    return text.empty() || text == NewRecordName;
}

void TPatientInfoDlg::refocusIndexedAs() {
    if (PageControl1->ActivePage() == PatientTabSheet && RecordNameDBEdit->CanFocus())
        RecordNameDBEdit->SetFocus();
}

void TPatientInfoDlg::RecordNameDBEditExit(TObject*) {
    const std::string text = Trim(RecordNameDBEdit->Text());
    if (text.empty()) {
        InformationBox(IndexedAsEmpty);
        TBusy busy(busy_);
        TTable* patient = DataModule1->PatientTable;
        if (!Editing(patient))
            patient->Edit();
        patient->FieldByName("RECNAME")->SetAsString(indexedAs_);
        DataModule1->Xbase1->Commit();
        patient->Edit();
        refocusIndexedAs();
    } else if (text == NewRecordName) {
        InformationBox(IndexedAsNew);
        refocusIndexedAs();
    }
}

void TPatientInfoDlg::PageControl1Changing(TObject*, bool& AllowChange) { AllowChange = !indexedAsInvalid(); }

void TPatientInfoDlg::AccountDBEditExit(TObject*) {
    double account = 0;
    if (!TryStrToFloat(Trim(AccountDBEdit->Text()), account) || account == 0) {
        InformationBox(AccountEmpty);
        DataModule1->PatientTable->Cancel();
    }
}

void TPatientInfoDlg::BirthDateDBKingDlgExit(TObject*) { DisplayAge(); }

void TPatientInfoDlg::DisplayAge() {
    std::string caption;
    if (ageCaption(BirthDateDBKingDlg->Text(), Date(), caption))
        AgeLabel->SetCaption(caption);
}

// ---------------------------------------------------------------- storing

void TPatientInfoDlg::storeRecords() {
    TBusy busy(busy_);
    TDataModule1* m = DataModule1;
    if (Editing(m->PatientTable)) {
        m->PatientTable->Post();
        FTSReplace();
    }
    leftEditing_ = false;
    if (Editing(m->IncidentTable))
        m->IncidentTable->Post();
}

void TPatientInfoDlg::FTSReplace() {
    TDataModule1* m = DataModule1;
    if (openPatientFts(m->Fts1, Schemas::tableFileName(m->DataDirectory, "Patient.ia")) != 0)
        ShowMessage(SFtsNotOpened);
    std::string key = patientFtsKey(m->Xbase1);
    if (key.size() > FtsKeyBufferSize - 1)
        key.resize(FtsKeyBufferSize - 1);
    const int result = m->Fts1->Replace(key, m->Xbase1->RecNo());
    m->Fts1->Close();
    if (result < 0)
        ShowMessage(SFtsKeyNotAdded);
}

void TPatientInfoDlg::OKbtnClick(TObject*) {
    storeRecords();
    // A modal form closes by the button's modal result.
    if (!Modal())
        Close();
}

void TPatientInfoDlg::FormClose(TObject*, TCloseAction& Action) {
    if (!refused_)
        storeRecords();
    Action = caFree;
}

void TPatientInfoDlg::ApplyBtnClick(TObject*) {
    TBusy busy(busy_);
    DataModule1->Xbase1->Commit();
    FTSReplace();
    DataModule1->IncidentXbase->Commit();
    ApplyBtn->SetEnabled(false);
}

void TPatientInfoDlg::CancelBtnClick(TObject*) {
    TBusy busy(busy_);
    DataModule1->PatientTable->Cancel();
    DataModule1->IncidentTable->Cancel();
    Close();
}

void TPatientInfoDlg::FormKeyUp(TObject*, Word&, TShiftState) {
    if (Editing(DataModule1->PatientTable))
        ApplyBtn->SetEnabled(true);
}

void TPatientInfoDlg::FormKeyDown(TObject*, Word& Key, TShiftState) {
    if (PageControl1->ActivePage() != IncidentTabSheet)
        return;
    TControlScrollBar* bar = ExamScrollBox->VertScrollBar();
    if (Key == VK_NEXT)
        bar->SetPosition(bar->Position() + ExamPageStep);
    else if (Key == VK_PRIOR)
        bar->SetPosition(bar->Position() - ExamPageStep);
}

// ---------------------------------------------------------------- other insured, buttons

void TPatientInfoDlg::OtherPlanDBRadioGroupChange(TObject*) { OtherPlanGroupBoxActive(); }

void TPatientInfoDlg::OtherPlanGroupBoxActive() {
    const bool active = DataModule1->PatientTable->Active() &&
                        DataModule1->PatientTable->FieldByName("OTHER_INS")->AsString() == "True";
    OtherInsuredGroupBox->SetEnabled(active);
    OtherInsuredGroupBox->Font()->SetColor(active ? clWindowText : clInactiveCaption);
}

void TPatientInfoDlg::NoteBtnClick(TObject*) {
    std::unique_ptr<TPatientNotesDlg> notes(CreateForm<TPatientNotesDlg>(this));
    notes->ShowModal();
}

void TPatientInfoDlg::RecallBtnClick(TObject*) {
    OpenForm(this, {.ClassName = "TPatientRecallDlg", .Caption = RecallBtn->Caption(), .Style = osModal});
}

void TPatientInfoDlg::BitBtn3Click(TObject*) {
    OpenForm(this, {.ClassName = "TInsCompSelect2", .Caption = "Insurance Companies", .Style = osShow});
}

void TPatientInfoDlg::PrintBtnClick(TObject*) {
    const TPoint at = PrintBtn->ClientToScreen({0, PrintBtn->Height()});
    PrintPopupMenu->Popup(at.X, at.Y);
}

void TPatientInfoDlg::HistoryBitBtnClick(TObject*) {
    OpenForm(this, {.ClassName = "THistoryForm", .Caption = HistoryBitBtn->Caption(), .Style = osShow});
}

void registerPatientForms() {
    RegisterClasses<TPatientInfoDlg, TPatientNotesDlg, TExamNotesDlg, TLabelRowColDlg, TExamDialog, TNarrativeForm,
                    TPatientRecallDlg, TRecallDateDlg, THistoryForm, TAdvancedSearchForm>();
    registerScheduleForms();
}
