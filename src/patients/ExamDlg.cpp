#include "patients/ExamDlg.h"

#include "app/DataModule.h"
#include "ui/Application.h"
#include "ui/DBCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

using namespace FormLayout;

TExamDialog* ExamDialog = nullptr;

namespace {

struct TExamColumn {
    const char* Caption;
    const char* Column;
};

// The 35 columns in three columns of rows.
const TExamColumn ExamColumns[] = {
    {"Doctor", "DOCTOR"}, {"Complaint", "COMPLAINT"}, {"Medication", "MEDICATION"},
    {"Vision Unaided OD", "VU_R"}, {"Vision Unaided OS", "VU_L"}, {"Vision Unaided OU", "VU_B"},
    {"Previous Rx OD", "VP_R"}, {"Previous Rx OS", "VP_L"}, {"Previous Rx OU", "VP_B"},
    {"Cup/Disc OD", "IE_CD_R"}, {"Cup/Disc OS", "IE_CD_L"}, {"A/V OD", "IE_AV_R"},
    {"A/V OS", "IE_AV_L"}, {"ALR OD", "IE_ALR_R"}, {"ALR OS", "IE_ALR_L"},
    {"Background OD", "IE_BACKG_R"}, {"Background OS", "IE_BACKG_L"}, {"External Exam", "EXT_EXAM"},
    {"Static Retino OD", "SR_R"}, {"Static Retino OS", "SR_L"}, {"Corneal Curves OD", "CC_R"},
    {"Corneal Curves OS", "CC_L"}, {"Distant Subj. OD", "DSE_R"}, {"Distant Subj. OS", "DSE_L"},
    {"Distant Acuity OD", "DSE_VA_R"}, {"Distant Acuity OS", "DSE_VA_L"}, {"Near Subj. OD", "NSE_R"},
    {"Near Subj. OS", "NSE_L"}, {"Near Acuity OD", "NSE_VA_R"}, {"Near Acuity OS", "NSE_VA_L"},
    {"Slit Lamp", "SLIT_LAMP"}, {"IOP", "IOP"}, {"Fields", "FIELDS"},
    {"Cover Test", "CT"}, {"NPC", "NPC"},
};

constexpr int RowsPerColumn = 12;
constexpr int ColumnWidth = 250;
constexpr int RowStep = 26;

}  // namespace

TExamDialog::TExamDialog(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Exam & Rx");
    SetBounds(0, 0, 780, 392);
    GroupBox1 = place<TGroupBox>(this, 8, 8, ClientWidth() - 16, ClientHeight() - 16, "Exam");
    int index = 0;
    for (const TExamColumn& c : ExamColumns) {
        const int left = 10 + (index / RowsPerColumn) * ColumnWidth;
        const int top = 20 + (index % RowsPerColumn) * RowStep;
        TDBEdit* control = edit(GroupBox1, left + 112, top, 124, DataModule1->IncidentSource, c.Column);
        caption(GroupBox1, left, top, c.Caption, control);
        ++index;
    }
    OnClose = [](TObject*, TCloseAction& Action) { Action = caHide; };
}

TExamDialog::~TExamDialog() {
    if (ExamDialog == this)
        ExamDialog = nullptr;
}

void showExamDialog() {
    if (!ExamDialog || !ExamDialog->Visible()) {
        if (ExamDialog)
            ExamDialog->Release();
        ExamDialog = CreateForm<TExamDialog>(Application);
    }
    ExamDialog->Show();
}
