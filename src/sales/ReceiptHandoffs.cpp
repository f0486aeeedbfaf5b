// The receipt window's hand-offs: deleting the stored receipt, taking a
// payment for the patient in the payment window. The claim button is in
// ReceiptClaim.cpp.
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "controls/DBKing.h"
#include "controls/Qmdbgrid.h"
#include "data/Fields.h"
#include "sales/PaymentForm.h"
#include "sales/ReceiptForm.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

void TReceiptForm::DeleteBtnClick(TObject*) {
    if (!document_->DeleteReceipt(Date()))
        return;
    // The money core starts a new receipt after the delete; the window follows.
    CreateNewReceipt();
    InsClaimBitBtn->SetEnabled(false);
    module_.ReceiptChanged = false;
}

void TReceiptForm::PaymentBitBtnClick(TObject*) {
    const std::string patient = Trim(AccountDBEdit->Text());
    module_.SalesXbase->SetScope("", "");
    if (!askToSave())
        return;
    auto* payment = new TPaymentForm(this);
    TTable* patients = module_.PatientTable;
    patients->SetIndexName("ID");
    if (!patient.empty() && module_.Xbase1->Seek(patient) && !patients->Eof())
        payment->AddBalancesDue(this);
    payment->openForEntry();  // the payment is taken at once
    payment->ShowModal();
}
