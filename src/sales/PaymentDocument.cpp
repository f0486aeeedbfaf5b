#include "sales/PaymentDocument.h"

#include <exception>
#include <map>
#include <vector>

#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/DocumentScope.h"
#include "app/DocumentTables.h"
#include "app/LedgerPostings.h"
#include "app/RecordLocks.h"
#include "app/Schemas.h"
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

// True when Value fits the stored field Field of company table Table.
bool fitsStored(const char* Table, const char* Field, Currency Value) {
    for (const TFieldSchema& f : Schemas::findTable(Table)->Fields)
        if (SameText(f.Name, Field))
            return Cents::fits(Value, f.Width, f.Decimals);
    return true;
}

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
    if (!ScratchTables::Reopen(module_.Temp3Table, module_.Temp3Xbase, ScratchTables::Temp3()) ||
        !ScratchTables::Reopen(module_.Temp4Table, module_.Temp4Xbase, ScratchTables::Temp4()))
        return false;
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
    if (!dated(module_.Temp3Table, "DATE"))
        return false;
    try {
        TRecordLocks locks;
        if (!lockAppliedReceipts(locks, false) || !checkWidths())
            return false;
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

bool TPaymentDocument::lockAppliedReceipts(TRecordLocks& Locks, bool Reversal) {
    std::vector<TRecordLocks::TShown> applied;
    TTable* sales = module_.SalesTable;
    TIndexOrder order(sales, "Receipt");
    TTable* temp4 = module_.Temp4Table;
    std::string missing;
    for (temp4->First(); !temp4->Eof() && missing.empty(); temp4->Next()) {
        const auto receipt = ReceiptNumbers::canonical(text(temp4, "RECEIPT"));
        if (Cents::read(temp4->FieldByName("PAYMENT")) == Currency() || !receipt)
            continue;
        if (module_.SalesXbase->Seek(*receipt) && !sales->Eof() && numberText(sales, "RECEIPT") == *receipt)
            applied.push_back({*receipt, Cents::read(temp4->FieldByName("BALANCE")), module_.SalesXbase->RecNo()});
        else if (!Reversal)
            missing = *receipt;
    }
    temp4->First();
    // A delete gives back whatever the receipts hold now; a save stands on
    // the balances it showed.
    TRecordLocks::TChangedCheck balanceChanged;
    if (!Reversal)
        balanceChanged = [&](const TRecordLocks::TShown& a) -> const char* {
            return Cents::read(sales->FieldByName("BALANCE")) != a.amount ? "changed" : nullptr;
        };
    return Locks.lockShown(sales, module_.SalesXbase, "RECEIPT", "Receipt", applied, missing, balanceChanged);
}

bool TPaymentDocument::checkWidths() {
    struct Check {
        std::string what;
        const char* table;
        const char* field;
        Currency value;
    };
    const Currency P = PaymentApplied(), C = CreditApplied(), T = P + C;
    TTable* temp3 = module_.Temp3Table;
    std::vector<Check> checks = {
        {"payment's AMOUNT", "Pymt.dbf", "AMOUNT", T},
        {"payment's PYMTAPP", "Ledger.dbf", "DEBIT", P},
        {"payment's CREDITAPP", "Ledger.dbf", "DEBIT", C},
        {"payment's TOTALPAID", "Pymt.dbf", "TOTALPAID", C},
        {"payment's BALANCE", "Pymt.dbf", "BALANCE", header("BALANCE")},
    };
    TTable* sales = module_.SalesTable;
    TIndexOrder salesOrder(sales, "Receipt");
    TTable* temp4 = module_.Temp4Table;
    for (temp4->First(); !temp4->Eof(); temp4->Next()) {
        const Currency applied = Cents::read(temp4->FieldByName("PAYMENT"));
        const auto receipt = ReceiptNumbers::canonical(text(temp4, "RECEIPT"));
        if (applied == Currency() || !receipt)
            continue;
        checks.push_back({"payment's PAYMENT", "PymtDtl.dbf", "PAYMENT", applied});
        if (module_.SalesXbase->Seek(*receipt) && !sales->Eof() && numberText(sales, "RECEIPT") == *receipt)
            checks.push_back({"BALANCE of receipt " + *receipt, "Sales.dbf", "BALANCE",
                              Cents::read(sales->FieldByName("BALANCE")) - applied});
    }
    temp4->First();
    const std::string patID = text(temp3, "PATID");
    TTable* patients = module_.PatientTable;
    TIndexOrder patientOrder(patients, "ID");
    if (module_.Xbase1->Seek(patID) && !patients->Eof() && numberText(patients, "ID") == patID)
        checks.push_back({"patient's BALANCE", "Patient.dbf", "BALANCE", Cents::read(patients->FieldByName("BALANCE")) - P});
    // Each account as its rows leave it.
    std::map<int, Currency> moved;
    for (const LedgerPostings::TLedgerRow& row : LedgerPostings::PaymentRows(P, C, "", patID, TDateTime())) {
        const bool grows = (row.Side == LedgerPostings::Side::Credit) == LedgerPostings::CreditNormal(row.Account);
        moved[row.Account] += grows ? row.Amount : -row.Amount;
    }
    TTable* accounts = module_.AccountTable;
    TIndexOrder accountOrder(accounts, "ID");
    for (const auto& [account, change] : moved)
        if (module_.AccountXbase->Seek(std::to_string(account)) && !accounts->Eof())
            checks.push_back({"BALANCE of account " + std::to_string(account), "Acct.dbf", "BALANCE",
                              Cents::read(accounts->FieldByName("BALANCE")) + change});
    for (const Check& c : checks)
        if (!fitsStored(c.table, c.field, c.value)) {
            ShowMessage("The amount " + CurrToStr(c.value) + " is too large for the " + c.what + ". Nothing was saved.");
            return false;
        }
    return true;
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
    LedgerPostings::postLedgerRows(module_, rows);
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

void TPaymentDocument::refuseDeposited() {
    MessageDlg(DepositedPayment, mtWarning, {mbOK});
    TTable* deposits = module_.DepositDtlTable;
    deposits->SetIndexName("PaymentID");
    if (module_.DepositDtlXbase->Seek(paymentID_) && !deposits->Eof() && numberText(deposits, "PAYMENTID") == paymentID_)
        ShowMessage("Deposited with deposit " + numberText(deposits, "DEPOSITID"));
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
                     numberText(details, "PAYMENTID") == paymentID_)) {
        ShowMessage(changedMeanwhile("Payment", paymentID_, "deleted"));
        return false;
    }
    if (stored && payments->FieldByName("DEPOSITED")->AsBoolean()) {
        refuseDeposited();
        return false;
    }
    const int recNo = stored ? module_.PaymentXbase->RecNo() : 0;
    if (MessageDlg(DeleteQuestion, mtConfirmation, {mbYes, mbNo}) != mrYes)
        return false;
    try {
        TRecordLocks locks;
        if (stored)
            locks.want(payments, module_.PaymentXbase, recNo);
        if (!lockAppliedReceipts(locks, true))
            return false;
        if (stored) {
            payments->SetIndexName("ID");
            if (!TRecordLocks::reread(module_.PaymentXbase, recNo) || numberText(payments, "ID") != paymentID_) {
                ShowMessage(changedMeanwhile("Payment", paymentID_, "deleted"));
                return false;
            }
            if (payments->FieldByName("DEPOSITED")->AsBoolean()) {
                refuseDeposited();
                return false;
            }
        }
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
