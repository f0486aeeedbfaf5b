// The receipt window's insurance claim: the claim built from the receipt on
// screen (ClaimFromReceipt.h) under the hourglass, and the "&Ins. Claim"
// button that creates, rewrites or opens the receipt's claim.
#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/FormOpener.h"
#include "app/ReceiptNumbers.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "sales/ClaimFromReceipt.h"
#include "sales/ReceiptClaimDlg.h"
#include "sales/ReceiptForm.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/HourGlass.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

std::string text(TDataSet* Table, const char* Field) { return Table->FieldByName(Field)->AsString(); }

}  // namespace

void TReceiptForm::CreateClaim(TObject*, bool NewClaim) {
    THourGlass hourGlass;
    const std::string claimNo = claimFromReceipt(module_, NewClaim);
    MessageDlg("Insurance Claim " + claimNo +
                   (NewClaim ? " has been created for this receipt." : " has been updated for this receipt."),
               mtInformation, {mbOK});
}

void TReceiptForm::InsClaimBitBtnClick(TObject*) {
    TDataModule1& m = module_;
    TQmTable* claim = m.InsTable;
    TIndexOrder claimOrder(claim, "Receipt");
    const auto receipt = ReceiptNumbers::canonical(m.Temp1Table->FieldByName("Receipt")->AsString());
    if (receipt && m.InsXbase->Seek(ReceiptNumbers::fieldKey(*receipt)) && !claim->Eof() &&
        ReceiptNumbers::canonical(text(claim, "RECEIPT")) == receipt) {
        TReceiptClaimDlg dlg(this);
        if (dlg.ShowModal() != mrOk)
            return;
        if (dlg.RadioGroup1->ItemIndex() == 0)
            OpenForm(this, {.ClassName = "TInsuranceClaimDlg", .Caption = "&Ins. Claim", .Style = osModal});
        else if (dlg.RadioGroup1->ItemIndex() == 1)
            CreateClaim(this, false);
        return;
    }
    if (MessageDlg("Create claim?", mtConfirmation, {mbYes, mbNo}) == mrYes)
        CreateClaim(this, true);
}
