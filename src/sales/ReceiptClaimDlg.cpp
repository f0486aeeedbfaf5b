// The question of the receipt window's claim button for a receipt that has
// a claim.
#include "sales/ReceiptClaimDlg.h"

#include "app/DataModule.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

TReceiptClaimDlg::TReceiptClaimDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("ReceiptClaimDlg");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 300, 170);
    Label1 = place<TLabel>(this, 16, 12, 260, 15, "A claim already exists for this receipt.");
    RadioGroup1 = place<TRadioGroup>(this, 16, 34, 262, 62, " Do you want to: ");
    RadioGroup1->Items()->Add("Edit existing claim.");
    RadioGroup1->Items()->Add("Update existing claim.");
    RadioGroup1->SetItemIndex(-1);
    OKBtn = place<TButton>(this, 60, 106, 75, 25, "OK");
    OKBtn->SetModalResult(mrOk);
    OKBtn->SetDefault(true);
    CancelBtn = place<TButton>(this, 150, 106, 75, 25, "Cancel");
    CancelBtn->SetModalResult(mrCancel);
    CancelBtn->SetCancel(true);
    bindEvent(OnCreate, this, &TReceiptClaimDlg::FormCreate);
}

void TReceiptClaimDlg::FormCreate(TObject*) {
    SetCaption("Claim: " + Trim(DataModule1->InsTable->FieldByName("ID")->AsString()));
}
