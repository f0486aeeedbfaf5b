#include "sales/DepositDocument.h"

#include <exception>
#include <vector>

#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/DocumentTables.h"
#include "app/DocumentScope.h"
#include "app/LedgerPostings.h"
#include "app/RecordLocks.h"
#include "app/ReceiptNumbers.h"
#include "app/ScratchTables.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

using namespace DocumentFields;

const char* const ZeroTotal = "Cannot save a deposit with a zero total!";
const char* const CategoriesDiffer = "Cannot save. Category totals do not equal the deposit total.";
const char* const DeleteQuestion = "Delete this Deposit?";

// The number of the undeposited-funds account the money comes from.
const char* const FromAccount = "3";

// The record of Table whose number field Field holds Number, found through
// the engine's current tag; false when there is none.
bool seekNumber(TTable* Table, TXbase* Engine, const char* Field, const std::string& Number) {
    return !Number.empty() && Engine->Seek(Number) && !Table->Eof() && numberText(Table, Field) == Number;
}

}  // namespace

const char* const TDepositDocument::CurrencyAndChecksFilter =
    "upper(trim(Type)) <> \"CHARGE\" .and. .not. empty(type) ";
const char* const TDepositDocument::ChargesFilter = "upper(trim(Type)) == \"CHARGE\" .and. .not. empty(type) ";

TDepositDocument::TDepositDocument(TDataModule1& Module) : module_(Module) {}

bool TDepositDocument::CreateTempFiles(TDateTime Today) {
    if (!ScratchTables::Reopen(module_.Temp5Table, module_.Temp5Xbase, ScratchTables::Temp5()) ||
        !ScratchTables::Reopen(module_.Temp6Table, module_.Temp6Xbase, ScratchTables::Temp6()))
        return false;
    module_.Temp6Xbase->IndexTag("", "Date", "date", 0, false, "");
    TTable* temp5 = module_.Temp5Table;
    temp5->Append();
    temp5->FieldByName("Date")->SetAsDateTime(Today);
    Cents::write(temp5->FieldByName("CoinTotal"), Currency());
    temp5->Post();
    return true;
}

bool TDepositDocument::NewDeposit(TDateTime Today) {
    selectedDepositID_.clear();
    type_ = CurrencyAndChecks;
    if (!CreateTempFiles(Today))
        return false;
    AppendUndepositedFunds();
    ResetTotals();
    SelectType(CurrencyAndChecks);
    return true;
}

void TDepositDocument::AppendUndepositedFunds() {
    TTable* payments = module_.PaymentTable;
    TTable* temp6 = module_.Temp6Table;
    TIndexOrder order(payments, "Deposited");
    TControlsQuiet quiet(temp6);
    for (payments->First(); !payments->Eof(); payments->Next()) {
        if (payments->FieldByName("DEPOSITED")->AsBoolean())
            continue;
        // What the payment received; credit moved between receipts is no money.
        const Currency received = money(payments, "AMOUNT") - money(payments, "TOTALPAID");
        if (received <= Currency())
            continue;
        temp6->Append();
        temp6->FieldByName("Date")->SetAsDateTime(payments->FieldByName("DATE")->AsDateTime());
        temp6->FieldByName("PaymentID")->SetAsString(numberText(payments, "ID"));
        temp6->FieldByName("Name")->SetAsString(text(payments, "NAME"));
        temp6->FieldByName("Type")->SetAsString(text(payments, "PAIDWITH"));
        temp6->FieldByName("Number")->SetAsString(text(payments, "CHECKNO"));
        Cents::write(temp6->FieldByName("Amount"), received);
        temp6->FieldByName("Tag")->SetAsBoolean(false);
        temp6->FieldByName("PatID")->SetAsString(numberText(payments, "PATID"));
        temp6->Post();
        module_.Temp6Xbase->Commit();
    }
    temp6->First();
}

void TDepositDocument::setCoinTotal(Currency Value) {
    TTable* temp5 = module_.Temp5Table;
    temp5->Edit();
    Cents::write(temp5->FieldByName("CoinTotal"), Value);
    temp5->Post();
}

void TDepositDocument::ResetTotals() {
    currency_ = cash_ = coins_ = checks_ = charges_ = total_ = Currency();
    TTable* temp5 = module_.Temp5Table;
    temp5->Edit();
    temp5->FieldByName("CoinTotal")->Clear();
    temp5->Post();
}

void TDepositDocument::ResetTaggedItems() {
    TTable* temp6 = module_.Temp6Table;
    {
        TControlsQuiet quiet(temp6);
        for (temp6->First(); !temp6->Eof(); temp6->Next()) {
            if (!temp6->FieldByName("Tag")->AsBoolean())
                continue;
            temp6->Edit();
            temp6->FieldByName("Tag")->SetAsBoolean(false);
            temp6->Post();
        }
        module_.Temp6Xbase->Commit();
    }
    temp6->First();
}

void TDepositDocument::SelectType(int Type) {
    type_ = Type == Charges ? Charges : CurrencyAndChecks;
    ResetTotals();
    if (type_ == Charges)
        ResetTaggedItems();
    module_.Temp6Xbase->SetFilter(type_ == Charges ? ChargesFilter : CurrencyAndChecksFilter);
    module_.Temp6Table->First();
}

void TDepositDocument::ToggleTag() {
    TTable* temp6 = module_.Temp6Table;
    if (temp6->IsEmpty())
        return;
    temp6->Edit();
    temp6->FieldByName("Tag")->SetAsBoolean(!temp6->FieldByName("Tag")->AsBoolean());
    temp6->Post();
    module_.Temp6Xbase->Commit();
}

void TDepositDocument::CalcDeposit() {
    TTable* temp6 = module_.Temp6Table;
    if (!temp6->IsEmpty()) {
        const Currency amount = money(temp6, "Amount");
        const Currency moved = temp6->FieldByName("Tag")->AsBoolean() ? amount : -amount;
        const std::string type = text(temp6, "Type");
        if (type == "Cash")
            cash_ += moved;
        else if (type == "Check")
            checks_ += moved;
        else if (type == "Charge")
            charges_ += moved;
        total_ += moved;
    }
    CalcDeposit2();
}

void TDepositDocument::CalcDeposit2() {
    const Currency typed = money(module_.Temp5Table, "CoinTotal");
    coins_ = cash_ < typed ? cash_ : typed;
    setCoinTotal(coins_);
    currency_ = cash_ - coins_;
}

bool TDepositDocument::SaveDeposit() {
    if (!DocumentTables::Ready(documentTables(), "The deposit was not saved."))
        return false;
    if (total_ == Currency()) {
        ShowMessage(ZeroTotal);
        return false;
    }
    // An item of none of the three types makes the sums differ.
    if (coins_ + currency_ + checks_ + charges_ != total_) {
        ShowMessage(CategoriesDiffer);
        return false;
    }
    if (!dated(module_.Temp5Table, "Date"))
        return false;
    try {
        TRecordLocks locks;
        if (!lockTickedPayments(locks))
            return false;
        TDocumentScope scope("deposit");
        updateDepositTables();
        updateLedgerCheckingRecord(false, total_, module_.Temp5Table->FieldByName("Date")->AsDateTime());
        updatePaymentTable(false);
        scope.end();
    } catch (const std::exception& e) {
        ShowMessage(TDocumentScope::Failed("The deposit was not saved.", e));
        return false;
    }
    return OpenDeposit(selectedDepositID_);
}

std::vector<TTable*> TDepositDocument::documentTables() const {
    return {module_.DepositTable, module_.DepositDtlTable, module_.LedgerTable, module_.AccountTable,
            module_.PaymentTable};
}

bool TDepositDocument::lockTickedPayments(TRecordLocks& Locks) {
    std::vector<TRecordLocks::TShown> ticked;
    TTable* payments = module_.PaymentTable;
    TIndexOrder order(payments, "ID");
    TTable* temp6 = module_.Temp6Table;
    std::string missing;
    for (temp6->First(); !temp6->Eof() && missing.empty(); temp6->Next()) {
        const std::string id = numberText(temp6, "PaymentID");
        if (!temp6->FieldByName("Tag")->AsBoolean() || id.empty() || id == "0")
            continue;
        if (!seekNumber(payments, module_.PaymentXbase, "ID", id))
            missing = id;
        else
            ticked.push_back({id, money(temp6, "Amount"), module_.PaymentXbase->RecNo()});
    }
    temp6->First();
    const auto depositedOrChanged = [&](const TRecordLocks::TShown& t) -> const char* {
        if (payments->FieldByName("DEPOSITED")->AsBoolean() || !text(payments, "POSTREF").empty())
            return "deposited";
        if (money(payments, "AMOUNT") - money(payments, "TOTALPAID") != t.amount)
            return "changed";
        return nullptr;
    };
    return Locks.lockShown(payments, module_.PaymentXbase, "ID", "Payment", ticked, missing, depositedOrChanged);
}

void TDepositDocument::updateDepositTables() {
    TTable* temp5 = module_.Temp5Table;
    TTable* deposits = module_.DepositTable;
    TIndexOrder order(deposits, "ID");
    deposits->Append();  // numbered and committed by the deposit table's events
    deposits->Edit();
    deposits->FieldByName("DATE")->SetAsDateTime(temp5->FieldByName("Date")->AsDateTime());
    deposits->FieldByName("TYPE")->SetAsInteger(type_);
    Cents::write(deposits->FieldByName("CURRENCY"), currency_);
    Cents::write(deposits->FieldByName("COINS"), coins_);
    Cents::write(deposits->FieldByName("CHECKS"), checks_);
    Cents::write(deposits->FieldByName("CHARGES"), charges_);
    deposits->FieldByName("BATCHNO")->SetAsString(text(temp5, "BatchNo"));
    Cents::write(deposits->FieldByName("TOTAL"), total_);
    module_.DepositXbase->Commit();
    selectedDepositID_ = numberText(deposits, "ID");
    if (TDocumentScope* scope = TDocumentScope::Current())
        scope->Saving("Deposit " + selectedDepositID_);

    TTable* temp6 = module_.Temp6Table;
    TTable* details = module_.DepositDtlTable;
    for (temp6->First(); !temp6->Eof(); temp6->Next()) {
        if (!temp6->FieldByName("Tag")->AsBoolean())
            continue;
        details->Append();
        details->FieldByName("DEPOSITID")->SetAsString(selectedDepositID_);
        details->FieldByName("RECDFROM")->SetAsString(text(temp6, "Name"));
        Cents::write(details->FieldByName("AMOUNT"), money(temp6, "Amount"));
        details->FieldByName("FROMACCT")->SetAsString(FromAccount);
        details->FieldByName("NUMBER")->SetAsString(text(temp6, "Number"));
        details->FieldByName("PMTMETH")->SetAsString(text(temp6, "Type"));
        details->FieldByName("PAYMENTID")->SetAsString(numberText(temp6, "PaymentID"));
        details->Post();
        module_.DepositDtlXbase->Commit();
    }
    temp6->First();
}

void TDepositDocument::updateLedgerCheckingRecord(bool Deleting, Currency Total, TDateTime Date) {
    auto rows = LedgerPostings::DepositRows(Total, selectedDepositID_, Date);
    if (Deleting)
        for (LedgerPostings::TLedgerRow& row : rows)
            row = LedgerPostings::Reversal(row);
    LedgerPostings::postLedgerRows(module_, rows);
}

void TDepositDocument::updatePaymentTable(bool Deleting) {
    TTable* payments = module_.PaymentTable;
    TIndexOrder order(payments, "ID");
    TTable* temp6 = module_.Temp6Table;
    for (temp6->First(); !temp6->Eof(); temp6->Next()) {
        if (!temp6->FieldByName("Tag")->AsBoolean())
            continue;
        if (!seekNumber(payments, module_.PaymentXbase, "ID", numberText(temp6, "PaymentID")))
            continue;
        // A payment another deposit holds is that deposit's to give back.
        const std::string postRef = numberText(payments, "POSTREF");
        if (Deleting && !postRef.empty() && postRef != selectedDepositID_)
            continue;
        payments->Edit();
        payments->FieldByName("DEPOSITED")->SetAsBoolean(!Deleting);
        payments->FieldByName("POSTREF")->SetAsString(Deleting ? "" : selectedDepositID_);
        payments->Post();
        module_.PaymentXbase->Commit();
    }
    temp6->First();
}

bool TDepositDocument::OpenDeposit(const std::string& DepositID) {
    const auto number = ReceiptNumbers::canonical(DepositID);
    TTable* deposits = module_.DepositTable;
    TIndexOrder order(deposits, "ID");
    // A number that names no deposit leaves the deposit on screen as it is.
    if (!number || !seekNumber(deposits, module_.DepositXbase, "ID", *number))
        return false;
    TTable* temp5 = module_.Temp5Table;
    if (!CreateTempFiles(temp5->Active() ? temp5->FieldByName("Date")->AsDateTime() : TDateTime()))
        return false;
    ResetTotals();
    selectedDepositID_ = *number;
    type_ = deposits->FieldByName("TYPE")->AsInteger() == Charges ? Charges : CurrencyAndChecks;
    temp5->Edit();
    temp5->FieldByName("Date")->SetAsDateTime(deposits->FieldByName("DATE")->AsDateTime());
    Cents::write(temp5->FieldByName("CoinTotal"), money(deposits, "COINS"));
    temp5->FieldByName("BatchNo")->SetAsString(text(deposits, "BATCHNO"));
    temp5->Post();
    coins_ = money(deposits, "COINS");
    currency_ = money(deposits, "CURRENCY");
    cash_ = coins_ + currency_;
    checks_ = money(deposits, "CHECKS");
    charges_ = money(deposits, "CHARGES");

    total_ = Currency();
    TTable* temp6 = module_.Temp6Table;
    TTable* details = module_.DepositDtlTable;
    TTable* payments = module_.PaymentTable;
    {
        TControlsQuiet quiet(temp6);
        TIndexOrder detailOrder(details, "DepositID");
        TIndexOrder paymentOrder(payments, "ID");
        if (module_.DepositDtlXbase->Seek(selectedDepositID_)) {
            for (; !details->Eof() && numberText(details, "DEPOSITID") == selectedDepositID_; details->Next()) {
                temp6->Append();
                const std::string payment = numberText(details, "PAYMENTID");
                temp6->FieldByName("PaymentID")->SetAsString(payment);
                // The item's date is its payment's; the detail row does not keep it.
                if (seekNumber(payments, module_.PaymentXbase, "ID", payment))
                    temp6->FieldByName("Date")->SetAsDateTime(payments->FieldByName("DATE")->AsDateTime());
                temp6->FieldByName("Name")->SetAsString(text(details, "RECDFROM"));
                temp6->FieldByName("Type")->SetAsString(text(details, "PMTMETH"));
                temp6->FieldByName("Number")->SetAsString(text(details, "NUMBER"));
                Cents::write(temp6->FieldByName("Amount"), money(details, "AMOUNT"));
                temp6->FieldByName("Tag")->SetAsBoolean(true);
                temp6->Post();
                total_ += money(details, "AMOUNT");
            }
        }
        module_.Temp6Xbase->Commit();
        // The stored deposit shows all of its items, of whatever type.
        module_.Temp6Xbase->SetFilter("");
    }
    temp6->First();
    return true;
}

bool TDepositDocument::DeleteDeposit(TDateTime Today) {
    if (!DocumentTables::Ready(documentTables(), "The deposit was not deleted."))
        return false;
    if (selectedDepositID_.empty())
        return false;
    TTable* temp6 = module_.Temp6Table;
    int position = 0;
    for (temp6->First(); !temp6->Eof(); temp6->Next()) {
        ++position;
        const std::string payment = numberText(temp6, "PaymentID");
        if (payment.empty() || payment == "0") {
            const std::string n = std::to_string(position);
            ShowMessage("Item " + n +
                        " does not have an associated payment number.  With your right mouse button click on "
                        "item " +
                        n + " to add the payment number.");
        }
    }
    temp6->First();

    try {
        TRecordLocks locks;
        Currency storedTotal;
        TDateTime storedDate;
        if (!lockStoredDeposit(locks, storedTotal, storedDate))
            return false;
        TDocumentScope scope("deposit");
        scope.Deleting("Deposit " + selectedDepositID_);
        deleteDepositTables();
        // The stored total is what the save posted.
        updateLedgerCheckingRecord(true, storedTotal, storedDate);
        updatePaymentTable(true);
        scope.end();
    } catch (const std::exception& e) {
        ShowMessage(TDocumentScope::Failed("The deposit was not deleted.", e));
        return false;
    }
    NewDeposit(Today);
    return true;
}

bool TDepositDocument::lockStoredDeposit(TRecordLocks& Locks, Currency& StoredTotal, TDateTime& StoredDate) {
    TTable* deposits = module_.DepositTable;
    TIndexOrder order(deposits, "ID");
    if (!seekNumber(deposits, module_.DepositXbase, "ID", selectedDepositID_)) {
        ShowMessage(changedMeanwhile("Deposit", selectedDepositID_, "deleted"));
        return false;
    }
    const int recNo = module_.DepositXbase->RecNo();
    if (MessageDlg(DeleteQuestion, mtConfirmation, {mbYes, mbNo}) != mrYes)
        return false;
    Locks.want(deposits, module_.DepositXbase, recNo);
    TTable* payments = module_.PaymentTable;
    TIndexOrder paymentOrder(payments, "ID");
    TTable* temp6 = module_.Temp6Table;
    for (temp6->First(); !temp6->Eof(); temp6->Next())
        if (seekNumber(payments, module_.PaymentXbase, "ID", numberText(temp6, "PaymentID")))
            Locks.want(payments, module_.PaymentXbase, module_.PaymentXbase->RecNo());
    temp6->First();
    if (!Locks.lockAll())
        return false;
    // Deleted at another workstation meanwhile: its reversal is posted already.
    if (!TRecordLocks::reread(module_.DepositXbase, recNo) || numberText(deposits, "ID") != selectedDepositID_) {
        ShowMessage(changedMeanwhile("Deposit", selectedDepositID_, "deleted"));
        return false;
    }
    StoredTotal = money(deposits, "TOTAL");
    StoredDate = deposits->FieldByName("DATE")->AsDateTime();
    return true;
}

void TDepositDocument::deleteDepositTables() {
    TTable* deposits = module_.DepositTable;
    TTable* details = module_.DepositDtlTable;
    TIndexOrder order(deposits, "ID");
    TIndexOrder detailOrder(details, "DepositID");
    while (seekNumber(details, module_.DepositDtlXbase, "DEPOSITID", selectedDepositID_))
        details->Delete();
    if (seekNumber(deposits, module_.DepositXbase, "ID", selectedDepositID_))
        deposits->Delete();
}
