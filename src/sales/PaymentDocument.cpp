#include "sales/PaymentDocument.h"

#include <exception>

#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/DocumentScope.h"
#include "app/DocumentTables.h"
#include "app/LedgerPostings.h"
#include "app/ReceiptNumbers.h"
#include "app/ScratchTables.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

using namespace DocumentFields;

const char* const CreditTooLarge = "Credit applied cannot be larger than credit available.";
const char* const NoOpenReceipt = "Payment must be made against an open receipt.";
const char* const TotalsDiffer = "The Total Payment and the Total Distribution must be equal.";
const char* const NoAccount = "No account number.";
const char* const ZeroPayment = "Nothing to save: the payment is zero.";
const char* const DepositedPayment = "You cannot delete this payment because it has been deposited.";
const char* const DeleteQuestion = "Delete this Payment?";

}  // namespace

TPaymentDocument::TPaymentDocument(TDataModule1& Module) : module_(Module) {}

Currency TPaymentDocument::header(const char* Field) const {
    return Cents::read(module_.Temp3Table->FieldByName(Field));
}

void TPaymentDocument::setHeader(const char* Field, Currency Value) {
    TTable* temp3 = module_.Temp3Table;
    temp3->Edit();
    Cents::write(temp3->FieldByName(Field), Value);
    temp3->Post();
}

Currency TPaymentDocument::PaymentApplied() const { return header("PYMTAPP"); }
Currency TPaymentDocument::CreditApplied() const { return header("CREDITAPP"); }
Currency TPaymentDocument::TotalPayment() const { return header("AMOUNT"); }
Currency TPaymentDocument::TotalDistribution() const { return Currency::FromRaw(module_.TotalDistribution); }

bool TPaymentDocument::HasBalancesDue() const {
    return header("BALANCE") != Currency() || header("BALANCE") - header("CREDIT") != Currency();
}

bool TPaymentDocument::CreateTempFiles(TDateTime Today) {
    module_.TotalDistribution = 0;
    module_.PreviousPayment = 0;
    paymentID_.clear();
    depositID_.clear();
    struct Scratch {
        TTable* table;
        TXbase* engine;
        const TTableSchema& layout;
    };
    for (const Scratch& s : {Scratch{module_.Temp3Table, module_.Temp3Xbase, ScratchTables::Temp3()},
                             Scratch{module_.Temp4Table, module_.Temp4Xbase, ScratchTables::Temp4()}}) {
        s.table->Close();
        if (!ScratchTables::Recreate(s.engine, s.layout))
            return false;
        s.table->Open();
    }
    TTable* temp3 = module_.Temp3Table;
    temp3->Append();
    temp3->FieldByName("DATE")->SetAsDateTime(Today);
    temp3->Post();
    return true;
}

bool TPaymentDocument::AddBalancesDue(const std::string& PatID, const std::string& Name, TDateTime Today) {
    TTable* sales = module_.SalesTable;
    TIndexOrder order(sales, "PatID");
    if (!CreateTempFiles(Today))
        return false;
    TTable* temp3 = module_.Temp3Table;
    temp3->Edit();
    temp3->FieldByName("PATID")->SetAsString(PatID);
    temp3->FieldByName("NAME")->SetAsString(Name);
    temp3->Post();

    Currency totalDue, credit;
    TTable* temp4 = module_.Temp4Table;
    TControlsQuiet quiet(temp4);
    if (!PatID.empty() && module_.SalesXbase->Seek(PatID)) {
        for (; !sales->Eof() && numberText(sales, "PATID") == PatID; sales->Next()) {
            const Currency balance = Cents::read(sales->FieldByName("BALANCE"));
            if (balance == Currency())
                continue;
            (balance > Currency() ? totalDue : credit) += balance;
            temp4->Append();
            temp4->FieldByName("DATE")->SetAsDateTime(sales->FieldByName("DATE")->AsDateTime());
            temp4->FieldByName("RECEIPT")->SetAsString(numberText(sales, "RECEIPT"));
            temp4->FieldByName("AMOUNT")->SetAsString(sales->FieldByName("TOTAL")->AsString());
            Cents::write(temp4->FieldByName("BALANCE"), balance);
            temp4->Post();
        }
    }
    temp3->Edit();
    Cents::write(temp3->FieldByName("CREDIT"), -credit);
    Cents::write(temp3->FieldByName("BALANCE"), totalDue);
    temp3->Post();
    temp4->First();
    return true;
}

void TPaymentDocument::TotalAmountPaid() {
    if (PaymentApplied() == Currency())
        setHeader("PYMTAPP", header("TENDERED"));
    setHeader("AMOUNT", PaymentApplied() + CreditApplied());
    setHeader("CHANGE", header("TENDERED") - PaymentApplied());
}

bool TPaymentDocument::CheckCreditApplied() {
    const bool fits = CreditApplied() <= header("CREDIT");
    if (!fits) {
        MessageDlg(CreditTooLarge, mtWarning, {mbOK});
        setHeader("CREDITAPP", Currency());
    }
    TotalAmountPaid();
    return fits;
}

void TPaymentDocument::CalcPayment() {
    module_.Temp4Xbase->Commit();
    TotalAmountPaid();
}

bool TPaymentDocument::CheckRowHasReceipt() {
    TTable* temp4 = module_.Temp4Table;
    if (temp4->IsEmpty() || !text(temp4, "RECEIPT").empty())
        return true;
    ShowMessage(NoOpenReceipt);
    temp4->Edit();
    Cents::write(temp4->FieldByName("PAYMENT"), Currency());
    temp4->Post();
    CalcPayment();
    return false;
}

bool TPaymentDocument::SavePayment() {
    if (!DocumentTables::Ready(documentTables(), "The payment was not saved."))
        return false;
    if (Cents::toCents(TotalDistribution()) != Cents::toCents(TotalPayment())) {
        MessageDlg(TotalsDiffer, mtWarning, {mbOK});
        return false;
    }
    if (text(module_.Temp3Table, "PATID").empty()) {
        MessageDlg(NoAccount, mtWarning, {mbOK});
        return false;
    }
    if (PaymentApplied() == Currency() && CreditApplied() == Currency()) {
        MessageDlg(ZeroPayment, mtWarning, {mbOK});
        return false;
    }
    // Amounts typed on credit rows raise C past what the receipts hold.
    if (CreditApplied() > header("CREDIT")) {
        MessageDlg(CreditTooLarge, mtWarning, {mbOK});
        return false;
    }
    TTable* temp4 = module_.Temp4Table;
    for (temp4->First(); !temp4->Eof(); temp4->Next())
        if (text(temp4, "RECEIPT").empty() && Cents::read(temp4->FieldByName("PAYMENT")) != Currency()) {
            MessageDlg(NoOpenReceipt, mtWarning, {mbOK});
            return false;
        }
    try {
        TDocumentScope scope("payment");
        updateLedgerTable(false);
        scope.end();
    } catch (const std::exception& e) {
        ShowMessage(TDocumentScope::Failed("The payment was not saved.", e));
        return false;
    }
    temp4->First();
    return true;
}

std::vector<TTable*> TPaymentDocument::documentTables() const {
    return {module_.PaymentTable, module_.PaymentDtlTable, module_.LedgerTable,    module_.AccountTable,
            module_.SalesTable,   module_.PatientTable,    module_.DepositDtlTable};
}

void TPaymentDocument::updateLedgerTable(bool Reversal) {
    if (!Reversal)
        updatePaymentTables();
    TTable* temp3 = module_.Temp3Table;
    auto rows = LedgerPostings::PaymentRows(PaymentApplied(), CreditApplied(), paymentID_, text(temp3, "PATID"),
                                            temp3->FieldByName("DATE")->AsDateTime());
    if (Reversal)
        for (LedgerPostings::TLedgerRow& row : rows)
            row = LedgerPostings::Reversal(row);
    LedgerPostings::PostLedgerRows(module_, rows);
    updateReceiptBalance(Reversal);
    updatePatientBalance(Reversal);
}

void TPaymentDocument::updatePaymentTables() {
    TTable* temp3 = module_.Temp3Table;
    TTable* payments = module_.PaymentTable;
    payments->Append();  // numbered and committed by the payment table's events
    payments->Edit();
    payments->FieldByName("DATE")->SetAsDateTime(temp3->FieldByName("DATE")->AsDateTime());
    for (const char* field : {"PATID", "NAME", "PAIDWITH", "AMOUNT", "CHECKNO", "BALANCE"})
        payments->FieldByName(field)->SetAsString(temp3->FieldByName(field)->AsString());
    Cents::write(payments->FieldByName("TOTALPAID"), CreditApplied());
    module_.PaymentXbase->Commit();
    paymentID_ = numberText(payments, "ID");
    if (TDocumentScope* scope = TDocumentScope::Current())
        scope->Saving("Payment " + paymentID_);

    TTable* temp4 = module_.Temp4Table;
    TTable* details = module_.PaymentDtlTable;
    for (temp4->First(); !temp4->Eof(); temp4->Next()) {
        if (Cents::read(temp4->FieldByName("PAYMENT")) == Currency())
            continue;
        details->Append();
        details->FieldByName("PAYMENTID")->SetAsString(paymentID_);
        details->FieldByName("DATE")->SetAsDateTime(temp4->FieldByName("DATE")->AsDateTime());
        for (const char* field : {"RECEIPT", "AMOUNT", "BALANCE", "PAYMENT"})
            details->FieldByName(field)->SetAsString(temp4->FieldByName(field)->AsString());
        module_.PaymentDtlXbase->Commit();
    }
}

void TPaymentDocument::updateReceiptBalance(bool Reversal) {
    TTable* sales = module_.SalesTable;
    TIndexOrder order(sales, "Receipt");
    TTable* temp4 = module_.Temp4Table;
    for (temp4->First(); !temp4->Eof(); temp4->Next()) {
        Currency applied = Cents::read(temp4->FieldByName("PAYMENT"));
        if (Reversal)
            applied = -applied;
        const auto receipt = ReceiptNumbers::canonical(text(temp4, "RECEIPT"));
        if (applied == Currency() || !receipt)
            continue;
        if (!module_.SalesXbase->Seek(*receipt) || sales->Eof() || numberText(sales, "RECEIPT") != *receipt)
            continue;
        sales->Edit();
        TField* balance = sales->FieldByName("BALANCE");
        Cents::write(balance, Cents::read(balance) - applied);
        module_.SalesXbase->Commit();
    }
}

void TPaymentDocument::updatePatientBalance(bool Reversal) {
    const Currency received = Reversal ? -PaymentApplied() : PaymentApplied();
    const std::string patID = text(module_.Temp3Table, "PATID");
    TTable* patients = module_.PatientTable;
    TIndexOrder order(patients, "ID");
    if (received == Currency() || patID.empty() || !module_.Xbase1->Seek(patID) || patients->Eof() ||
        numberText(patients, "ID") != patID)
        return;
    patients->Edit();
    TField* balance = patients->FieldByName("BALANCE");
    Cents::write(balance, Cents::read(balance) - received);
    module_.Xbase1->Commit();
}

bool TPaymentDocument::OpenPayment(const std::string& PaymentID, TDateTime Today) {
    if (!CreateTempFiles(Today))
        return false;
    paymentID_ = trimmed(PaymentID);
    TTable* payments = module_.PaymentTable;
    payments->SetIndexName("ID");
    if (paymentID_.empty() || !module_.PaymentXbase->Seek(paymentID_) || payments->Eof() ||
        numberText(payments, "ID") != paymentID_)
        return false;

    TTable* deposits = module_.DepositDtlTable;
    deposits->SetIndexName("PaymentID");
    if (module_.DepositDtlXbase->Seek(paymentID_) && !deposits->Eof() &&
        numberText(deposits, "PAYMENTID") == paymentID_) {
        depositID_ = numberText(deposits, "DEPOSITID");
    } else if (payments->FieldByName("DEPOSITED")->AsBoolean() || !text(payments, "POSTREF").empty()) {
        // Its deposit is gone: the payment is undeposited again.
        payments->Edit();
        payments->FieldByName("DEPOSITED")->SetAsBoolean(false);
        payments->FieldByName("POSTREF")->SetAsString("");
        payments->Post();
        module_.PaymentXbase->Commit();
    }

    TTable* temp4 = module_.Temp4Table;
    TTable* details = module_.PaymentDtlTable;
    Currency creditAvailable;
    TControlsQuiet quiet(temp4);
    {
        TIndexOrder order(details, "PaymentID");
        if (module_.PaymentDtlXbase->Seek(paymentID_)) {
            for (; !details->Eof() && numberText(details, "PAYMENTID") == paymentID_; details->Next()) {
                temp4->Append();
                temp4->FieldByName("DATE")->SetAsDateTime(details->FieldByName("DATE")->AsDateTime());
                for (const char* field : {"RECEIPT", "AMOUNT", "BALANCE", "PAYMENT"})
                    temp4->FieldByName(field)->SetAsString(details->FieldByName(field)->AsString());
                temp4->Post();
                const Currency balance = Cents::read(details->FieldByName("BALANCE"));
                if (balance < Currency())
                    creditAvailable -= balance;
            }
        }
    }

    // C is what the save stored; P follows from it, so a delete reverses
    // exactly what the save posted.
    const Currency total = Cents::read(payments->FieldByName("AMOUNT"));
    const Currency credit = Cents::read(payments->FieldByName("TOTALPAID"));
    TTable* temp3 = module_.Temp3Table;
    temp3->Edit();
    temp3->FieldByName("DATE")->SetAsDateTime(payments->FieldByName("DATE")->AsDateTime());
    for (const char* field : {"PATID", "NAME", "PAIDWITH", "CHECKNO", "BALANCE"})
        temp3->FieldByName(field)->SetAsString(payments->FieldByName(field)->AsString());
    Cents::write(temp3->FieldByName("CREDITAPP"), credit);
    Cents::write(temp3->FieldByName("PYMTAPP"), total - credit);
    Cents::write(temp3->FieldByName("AMOUNT"), total);
    Cents::write(temp3->FieldByName("CREDIT"), creditAvailable);
    temp3->Post();
    temp4->First();
    return true;
}

bool TPaymentDocument::DeletePayment() {
    if (!DocumentTables::Ready(documentTables(), "The payment was not deleted."))
        return false;
    if (paymentID_.empty())
        return false;
    TTable* payments = module_.PaymentTable;
    TTable* details = module_.PaymentDtlTable;
    payments->SetIndexName("ID");
    details->SetIndexName("PaymentID");
    const bool stored = module_.PaymentXbase->Seek(paymentID_) && !payments->Eof() &&
                        numberText(payments, "ID") == paymentID_;
    if (!stored && !(module_.PaymentDtlXbase->Seek(paymentID_) && !details->Eof() &&
                     numberText(details, "PAYMENTID") == paymentID_))
        return false;
    if (stored && payments->FieldByName("DEPOSITED")->AsBoolean()) {
        MessageDlg(DepositedPayment, mtWarning, {mbOK});
        TTable* deposits = module_.DepositDtlTable;
        deposits->SetIndexName("PaymentID");
        if (module_.DepositDtlXbase->Seek(paymentID_) && !deposits->Eof() &&
            numberText(deposits, "PAYMENTID") == paymentID_)
            ShowMessage("Deposited with deposit " + numberText(deposits, "DEPOSITID"));
        return false;
    }
    if (MessageDlg(DeleteQuestion, mtConfirmation, {mbYes, mbNo}) != mrYes)
        return false;
    try {
        TDocumentScope scope("payment");
        scope.Deleting("Payment " + paymentID_);
        updateLedgerTable(true);
        while (module_.PaymentDtlXbase->Seek(paymentID_) && !details->Eof() &&
               numberText(details, "PAYMENTID") == paymentID_)
            details->Delete();
        payments->SetIndexName("ID");
        if (module_.PaymentXbase->Seek(paymentID_) && !payments->Eof() && numberText(payments, "ID") == paymentID_)
            payments->Delete();
        scope.end();
    } catch (const std::exception& e) {
        ShowMessage(TDocumentScope::Failed("The payment was not deleted.", e));
        return false;
    }
    return true;
}
