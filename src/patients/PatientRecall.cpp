#include "patients/PatientRecall.h"

#include <cmath>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "controls/KingTool.h"
#include "controls/Qmdbgrid.h"
#include "controls/TheKing.h"
#include "data/DataSet.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/CalendarColumn.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

constexpr const char* RecallTag = "PatientID";
constexpr const char* FirstRecallDay = "19000101";
constexpr const char* LastRecallDay = "21000101";
constexpr int ReasonLength = 20;
constexpr int PatientIDWidth = 10;

// The current patient's ID as the recall keys hold it: right-aligned in 10.
std::string patientKey() {
    const double id = DataModule1->PatientTable->FieldByName("ID")->AsFloat();
    return AppUtils::PadLeft(IntToStr(std::llround(id)), PatientIDWidth);
}

std::string patientRecName() { return DataModule1->PatientTable->FieldByName("RECNAME")->AsString(); }

void scopeRecalls(const std::string& Key) {
    DataModule1->RecallXbase->SetScope(Key + FirstRecallDay, Key + LastRecallDay);
}

}  // namespace

// ---------------------------------------------------------------- TPatientRecallDlg

TPatientRecallDlg::TPatientRecallDlg(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(456);
    SetClientHeight(252);

    RecallGrid = place<TQmDBGrid>(this, 8, 8, 440, 200);
    RecallGrid->SetReadOnly(true);
    RecallGrid->SetOptions({dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                            dgAlwaysShowSelection});
    for (const char* column :
         {"PATIENTID\t10\tPatient ID", "NAME\t24\tName", "DATE\t10\tRecall", "REASON\t20\tReason"})
        RecallGrid->Selected()->Add(column);

    NewBtn = place<TButton>(this, 124, 218, 64, 25, "&New");
    DeleteBtn = place<TButton>(this, 196, 218, 64, 25, "&Delete");
    EditBtn = place<TButton>(this, 268, 218, 64, 25, "&Edit");
    bindEvent(NewBtn->OnClick, this, &TPatientRecallDlg::NewBtnClick);
    bindEvent(DeleteBtn->OnClick, this, &TPatientRecallDlg::DeleteBtnClick);
    bindEvent(EditBtn->OnClick, this, &TPatientRecallDlg::EditBtnClick);
    bindEvent(OnClose, this, &TPatientRecallDlg::FormClose);

    FormCreate(this);
}

void TPatientRecallDlg::FormCreate(TObject*) {
    SetCaption("Patient Recall - " + patientRecName());
    TTable* recalls = DataModule1->RecallTable;
    recalls->Open();
    recalls->SetIndexName(RecallTag);
    scopeRecalls(patientKey());
    RecallGrid->SetDataSource(DataModule1->RecallDataSource);
    enableRecallButtons();
}

void TPatientRecallDlg::enableRecallButtons() {
    const bool any = DataModule1->RecallXbase->Count() > 0;
    EditBtn->SetEnabled(any);
    DeleteBtn->SetEnabled(any);
}

void TPatientRecallDlg::NewBtnClick(TObject*) {
    std::unique_ptr<TRecallDateDlg> dialog(CreateForm<TRecallDateDlg>(this));
    dialog->SetMode("New");
    dialog->ShowModal();
    enableRecallButtons();
}

void TPatientRecallDlg::EditBtnClick(TObject*) {
    TTable* recalls = DataModule1->RecallTable;
    const TDateTime date = recalls->FieldByName("DATE")->AsDateTime();
    std::unique_ptr<TRecallDateDlg> dialog(CreateForm<TRecallDateDlg>(this));
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    dialog->KingCalendar1->SetDay(day);
    dialog->KingCalendar1->SetYear(year);
    dialog->KingCalendar1->SetMonth(month);
    dialog->KingCalendar1->SetCalendarDate(date);
    dialog->KingCalendar1->layOut();
    dialog->ReasonComboBox->SetText(recalls->FieldByName("REASON")->AsString());
    dialog->SetMode("Edit");
    dialog->ShowModal();
    enableRecallButtons();
}

void TPatientRecallDlg::DeleteBtnClick(TObject*) {
    TTable* recalls = DataModule1->RecallTable;
    if (recalls->IsEmpty())
        return;
    recalls->Edit();
    // An explicit 0: a cleared number reads as "" and the record would never be reused.
    recalls->FieldByName("PATIENTID")->SetAsInteger(0);
    recalls->FieldByName("NAME")->Clear();
    recalls->FieldByName("REASON")->Clear();
    recalls->Post();
    enableRecallButtons();
}

void TPatientRecallDlg::FormClose(TObject*, TCloseAction&) {
    TTable* recalls = DataModule1->RecallTable;
    if (recalls->State() == dsEdit || recalls->State() == dsInsert)
        recalls->Post();
    DataModule1->RecallXbase->SetScope("", "");
    recalls->Close();
}

// ---------------------------------------------------------------- TRecallDateDlg

TRecallDateDlg::TRecallDateDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Recall Date");
    SetClientWidth(330);
    SetClientHeight(318);

    auto [bar, calendar, navigator] = placeCalendarColumn(this, 8, 8, 52, 314, 160);
    MonthBar1 = bar;
    KingCalendar1 = calendar;
    KingNavigator1 = navigator;

    ReasonLabel = place<TLabel>(this, 8, 252, 120, 16, "Reason for Recall");
    ReasonComboBox = place<TComboBox>(this, 130, 248, 192, 21);
    ReasonComboBox->SetStyle(csDropDown);
    ReasonComboBox->SetMaxLength(ReasonLength);
    for (const char* reason : {"", "Spectacles Exam", "Contact Lens Exam", "Eye Exam"})
        ReasonComboBox->Items()->Add(reason);

    OKbtn = place<TBitBtn>(this, 86, 284, 75, 25);
    OKbtn->SetKind(bkOK);
    CancelBtn = place<TBitBtn>(this, 170, 284, 75, 25);
    CancelBtn->SetKind(bkCancel);
    bindEvent(OKbtn->OnClick, this, &TRecallDateDlg::OKbtnClick);
    bindEvent(CancelBtn->OnClick, this, &TRecallDateDlg::CancelBtnClick);
}

void TRecallDateDlg::OKbtnClick(TObject*) {
    TTable* recalls = DataModule1->RecallTable;
    TXbase* engine = DataModule1->RecallXbase;
    std::string low, high;
    engine->GetScope(XB_SCOPE_LOW, low);
    engine->GetScope(XB_SCOPE_HIGH, high);

    if (mode_ == "New") {
        recalls->SetIndexName(RecallTag);
        scopeRecalls(AppUtils::PadLeft("0", PatientIDWidth));
        engine->SetScope("", "");
        // Patient 0 sorts first: the table stands on a cleared recall whenever one exists.
        if (recalls->IsEmpty() || recalls->FieldByName("PATIENTID")->AsString() != "0")
            recalls->Append();
    }
    if (recalls->State() != dsInsert)
        recalls->Edit();
    recalls->FieldByName("PATIENTID")->SetAsString(Trim(patientKey()));
    recalls->FieldByName("NAME")->SetAsString(patientRecName());
    recalls->FieldByName("DATE")->SetAsDateTime(KingCalendar1->CalendarDate());
    recalls->FieldByName("REASON")->SetAsString(ReasonComboBox->Text());
    recalls->Post();

    engine->SetScope(low, high);
    recalls->Edit();
    SetModalResult(mrOk);
}

void TRecallDateDlg::CancelBtnClick(TObject*) { Close(); }
