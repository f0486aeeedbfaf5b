#include "patients/PatientNotes.h"

#include "app/DataModule.h"
#include "data/DataSet.h"
#include "ui/DBCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

constexpr int PatientNoteLength = 1000;
constexpr int ExamNoteLength = 4000;

}  // namespace

TPatientNotesDlg::TPatientNotesDlg(TComponent* AOwner)
    : TPatientNotesDlg(AOwner, "Patient Notes", DataModule1->PatientSource, PatientNoteLength) {}

TPatientNotesDlg::TPatientNotesDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source,
                                   int MaxLength)
    : TForm(AOwner) {
    frameDialog(this, Caption);
    SetBounds(0, 0, 424, 300);
    DBMemo1 = placeBound<TDBMemo>(this, 8, 8, ClientWidth() - 16, ClientHeight() - 56, Source, "Note");
    DBMemo1->SetMaxLength(MaxLength);
    DBMemo1->SetScrollBars(ssVertical);
    OKBtn = place<TBitBtn>(this, (ClientWidth() - 75) / 2, ClientHeight() - 38, 75, 25);
    OKBtn->SetKind(bkOK);
    // What was typed goes into the record's edit, whichever way the dialog closes.
    OnClose = [this](TObject*, TCloseAction&) {
        TDataSet* data = DBMemo1->DataSource() ? DBMemo1->DataSource()->DataSet() : nullptr;
        if (data && (data->State() == dsEdit || data->State() == dsInsert))
            data->UpdateRecord();
    };
}

TExamNotesDlg::TExamNotesDlg(TComponent* AOwner)
    : TPatientNotesDlg(AOwner, "Exam Notes", DataModule1->IncidentSource, ExamNoteLength) {}
