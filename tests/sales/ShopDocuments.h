#pragma once
// The money documents a workstation of the money fixture company makes, each
// as its window fills the scratch tables before saving: a receipt, a payment
// of a patient's open receipts, a deposit of every undeposited payment, a
// stock adjustment with labels queued. Shared by the fault tests and
// the workstation program of the crash tests. Each returns the document's
// own answer (false: refused or rolled back, its message shown).
#include <memory>
#include <string>

#include "app/Cents.h"
#include "app/DataModule.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "sales/AdjustInvDlg.h"
#include "sales/DepositDocument.h"
#include "sales/PaymentDocument.h"
#include "sales/ReceiptDocument.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

class TShopDocuments {
public:
    static constexpr int Year = 2026;

    explicit TShopDocuments(TDataModule1& Module)
        : module_(Module),
          receipt_(Module, *Cents::TaxRate::fromPercentText("5")),
          payment_(Module),
          deposit_(Module) {}

    // A new receipt of Lines ("LENS1 2 40.00 T") for Patient, saved.
    struct Line {
        std::string Code, Qty, Price;
        bool Taxed;
    };
    bool startReceipt(const std::string& Patient, const std::vector<Line>& Lines) {
        if (!receipt_.CreateNewReceipt(EncodeDate(Year, 3, 2)))
            return false;
        TTable* temp1 = module_.Temp1Table;
        temp1->Edit();
        temp1->FieldByName("PatID")->SetAsString(Patient);
        temp1->FieldByName("Name")->SetAsString("Patient " + Patient);
        temp1->FieldByName("Terms")->SetAsString("30");
        temp1->Post();
        TTable* temp2 = module_.Temp2Table;
        for (size_t i = 0; i < Lines.size(); ++i) {
            if (i > 0)
                temp2->Append();
            temp2->Edit();
            temp2->FieldByName("Code")->SetAsString(Lines[i].Code);
            temp2->FieldByName("Qty")->SetAsString(Lines[i].Qty);
            temp2->FieldByName("Price")->SetAsString(Lines[i].Price);
            temp2->FieldByName("Tax")->SetAsBoolean(Lines[i].Taxed);
            temp2->Post();
        }
        return true;
    }
    bool saveReceipt() { return receipt_.SaveReceipt(); }
    bool deleteReceipt() { return receipt_.DeleteReceipt(EncodeDate(Year, 3, 2)); }
    std::string receiptNumber() const { return receipt_.ReceiptNumber(); }

    // The payment of every open receipt of Patient, whole, by Method.
    bool startPayment(const std::string& Patient, const std::string& Method = "Cash") {
        if (!payment_.AddBalancesDue(Patient, "Patient " + Patient, EncodeDate(Year, 3, 5)))
            return false;
        TTable* temp4 = module_.Temp4Table;
        Currency sum;
        for (temp4->First(); !temp4->Eof(); temp4->Next()) {
            const Currency due = Cents::read(temp4->FieldByName("BALANCE"));
            if (due <= Currency())
                continue;
            temp4->Edit();
            temp4->FieldByName("PAYMENT")->SetAsString(CurrToStr(due));
            temp4->Post();
            payment_.CalcPayment();
            sum += due;
        }
        if (sum == Currency())
            return false;
        TTable* temp3 = module_.Temp3Table;
        temp3->Edit();
        temp3->FieldByName("PAIDWITH")->SetAsString(Method);
        temp3->FieldByName("PYMTAPP")->SetAsString(CurrToStr(sum));
        temp3->Post();
        payment_.TotalAmountPaid();
        return true;
    }
    bool savePayment() { return payment_.SavePayment(); }
    std::string paymentID() const { return payment_.PaymentID(); }

    // A deposit of every payment waiting for one, or of Patient's only.
    bool startDeposit(const std::string& Patient = "") {
        if (!deposit_.NewDeposit(EncodeDate(Year, 3, 6)))
            return false;
        TTable* temp6 = module_.Temp6Table;
        bool any = false;
        for (temp6->First(); !temp6->Eof(); temp6->Next()) {
            if (!Patient.empty() && Trim(temp6->FieldByName("PatID")->AsString()) != Patient)
                continue;
            deposit_.ToggleTag();
            deposit_.CalcDeposit();
            any = true;
        }
        return any;
    }
    bool saveDeposit() { return deposit_.SaveDeposit(); }
    bool deleteDeposit() { return deposit_.DeleteDeposit(EncodeDate(Year, 3, 6)); }

    // The adjustment dialog on Item: Add more on hand and Labels labels.
    TAdjustInvDlg* startAdjustment(TComponent* Owner, const std::string& Item, const std::string& Add,
                                   const std::string& Labels) {
        TTable* items = module_.ItemTable;
        items->SetIndexName("ID");
        if (!module_.ItemXbase->Seek(Item + std::string(Item.size() < 10 ? 10 - Item.size() : 0, ' ')))
            return nullptr;
        auto* dialog = new TAdjustInvDlg(Owner);
        const std::string onHand = Trim(items->FieldByName("QTYONHAND")->AsString());
        dialog->ItemNoEdit->SetText(Item);
        dialog->CurrentQOHEdit->SetText(onHand);
        dialog->NewQOHEdit->SetText(onHand);
        dialog->AddEdit->SetText(Add);
        dialog->DeductEdit->SetText("0");
        dialog->LabelQtyEdit->SetText(Labels);
        return dialog;
    }
    // OK on the dialog; true when it stored the adjustment and closed.
    static bool saveAdjustment(TAdjustInvDlg* Dialog) {
        Dialog->OKBitBtnClick(Dialog->OKBitBtn);
        return Dialog->ModalResult() == mrOk;
    }

private:
    TDataModule1& module_;
    TReceiptDocument receipt_;
    TPaymentDocument payment_;
    TDepositDocument deposit_;
};
