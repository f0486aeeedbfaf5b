#include "app/IncomingCall.h"

#include <cmath>

#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "data/DbTables.h"
#include "ui/Application.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbase/Xbtable.h"

namespace {

const char* const CompanyDatabase = "DODurodor";
const char* const PatientFile = "PATIENT.DBF";
const char* const PatientFormClass = "TPatientInfoDlg";

}  // namespace

TIncomingCallForm::TIncomingCallForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Incoming Call");
    SetBorderStyle(bsDialog);
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
    SetClientWidth(264);
    SetClientHeight(116);

    PhoneNumberLabel = place<TLabel>(this, 16, 12, 150, 20);
    PhoneNumberLabel->Font()->SetSize(12);
    PhoneNumberLabel->Font()->SetStyle({fsBold});
    LineLabel = place<TLabel>(this, 200, 14, 48, 16);
    LineLabel->SetAlignment(taRightJustify);
    NameLabel = place<TLabel>(this, 16, 44, 232, 16);

    BitBtn1 = place<TBitBtn>(this, 40, 78, 80, 27, "Edit");
    bindEvent(BitBtn1->OnClick, this, &TIncomingCallForm::BitBtn1Click);
    BitBtn2 = place<TBitBtn>(this, 144, 78, 80, 27);
    BitBtn2->SetKind(bkCancel);
    BitBtn2->OnClick = [this](TObject*) { Close(); };

    XbTable1 = new TXbTable(this);
    XbTable1->SetDatabaseName(CompanyDatabase);
    XbTable1->SetTableName(PatientFile);
    XbTable1->SetTableType(ttSXNSX);

    bindEvent(OnShow, this, &TIncomingCallForm::FormShow);
    OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
}

bool TIncomingCallForm::seekPhone(const char* Tag, const std::string& Number) {
    XbTable1->SetIndexName(Tag);
    if (!XbTable1->Seek(Number))
        return false;
    NameLabel->SetCaption(XbTable1->FieldByName("NAME")->AsString());
    foundPatientID_ = std::llround(XbTable1->FieldByName("ID")->AsFloat());
    return true;
}

void TIncomingCallForm::FormShow(TObject*) {
    foundPatientID_ = 0;
    XbTable1->Open();
    const std::string number = PhoneNumberLabel->Caption();
    if (!seekPhone("Phone1", number))
        seekPhone("Phone2", number);
}

void TIncomingCallForm::BitBtn1Click(TObject*) {
    if (foundPatientID_ == 0 || !DataModule1)
        return;
    DataModule1->PatientTable->SetIndexName("ID");
    if (!DataModule1->Xbase1->Seek(std::to_string(foundPatientID_)))
        return;
    THourGlass hourGlass;
    OpenForm(this, {.ClassName = PatientFormClass, .Caption = BitBtn1->Caption(), .Style = osShow});
}
