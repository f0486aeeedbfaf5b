// The receipt window's hand-offs: deleting the stored receipt, taking a
// payment for the patient, and the claim and lab-order buttons, which open
// their windows by class name (a placeholder stands in while a window is
// not built).
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "sales/ReceiptForm.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const PaymentClass = "TPaymentForm";
const char* const ClaimClass = "TReceiptClaimDlg";
const char* const LabRxClass = "TLabRxSpectaclesDlg";

// The payment form's controls that take the payment, opened for typing.
constexpr const char* PaymentEntryControls[] = {"DBKingDlg1",           "PaidWithDBCombo", "CheckNoDBEdit",
                                                "TenderedDBEdit",       "PaymentAppliedDBEdit",
                                                "PaymentDBGrid"};

}  // namespace

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

    const TPersistentClass* paymentClass = GetClass(PaymentClass);
    if (!paymentClass) {
        OpenForm(this, {.ClassName = PaymentClass, .Caption = "P&ayment", .Style = osModal});
        return;
    }
    auto* payment = dynamic_cast<TForm*>(paymentClass->Create(this));
    TTable* patients = module_.PatientTable;
    patients->SetIndexName("ID");
    if (!patient.empty() && module_.Xbase1->Seek(patient) && !patients->Eof() && ListSelection().AddBalancesDue)
        ListSelection().AddBalancesDue();
    for (const char* name : PaymentEntryControls)
        if (auto* control = dynamic_cast<TControl*>(payment->FindComponent(name))) {
            control->SetEnabled(true);
            control->SetColor(clWindow);
        }
    payment->ShowModal();
}

void TReceiptForm::InsClaimBitBtnClick(TObject*) {
    OpenForm(this, {.ClassName = ClaimClass, .Caption = "&Ins. Claim", .Style = osModal});
}

void TReceiptForm::LabRxBitBtnClick(TObject*) {
    OpenForm(this, {.ClassName = LabRxClass, .Caption = "&Lab Rx", .Style = osModal});
}
