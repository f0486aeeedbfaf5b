#include "sales/ReceiptDocument.h"

#include <exception>
#include <tuple>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/DocumentScope.h"
#include "app/DocumentTables.h"
#include "app/RecordLocks.h"
#include "app/ReceiptNumbers.h"
#include "app/ScratchTables.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

using LedgerPostings::TReceiptFigures;

namespace {

using DocumentFields::trimmed;

// The scratch header fields stored with the sales record, in the order written.
constexpr const char* HeaderFields[] = {"PatID", "Date",  "Name",     "Addr",      "City",     "State",
                                        "Zip",   "Emply", "PaidWith", "BillInsur", "Incident", "Terms"};

// The line's lab order: every temp2 field from TYPE on.
constexpr size_t FirstLabRxField = 8;

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Puts an engine setting back as it was found, on every path.
class TExactSeek {
public:
    explicit TExactSeek(TXbaseEnv* Env) : env_(Env), exact_(Env->Exact()), soft_(Env->SoftSeek()) {
        env_->SetExact(true);
        env_->SetSoftSeek(false);
    }
    ~TExactSeek() {
        env_->SetExact(exact_);
        env_->SetSoftSeek(soft_);
    }

private:
    TXbaseEnv* env_;
    bool exact_, soft_;
};

// Turns Exact off for a seek on a key's leading part and puts the previous
// setting back on every way out, an exception included.
class TPrefixSeek {
public:
    explicit TPrefixSeek(TXbaseEnv* Env) : env_(Env), exact_(Env->Exact()) { env_->SetExact(false); }
    ~TPrefixSeek() { env_->SetExact(exact_); }
    TPrefixSeek(const TPrefixSeek&) = delete;
    TPrefixSeek& operator=(const TPrefixSeek&) = delete;

private:
    TXbaseEnv* env_;
    bool exact_;
};

// Puts Table on a receipt line's record, the one it stands on when
// Overwrite and a new one otherwise, keyed by the receipt and the item.
void keyLineRecord(TTable* Table, bool Overwrite, const std::string& Receipt, int Item) {
    if (Overwrite)
        Table->Edit();
    else
        Table->Append();
    Table->FieldByName("RECEIPT")->SetAsString(Receipt);
    Table->FieldByName("ITEM")->SetAsInteger(Item);
}

}  // namespace

TReceiptDocument::TReceiptDocument(TDataModule1& Module, Cents::TaxRate DefaultRate)
    : module_(Module), defaultRate_(DefaultRate), rate_(DefaultRate) {}

bool TReceiptDocument::CreateTempFiles() {
    // Each starts with one blank record.
    for (auto [table, engine, layout] : {std::tuple{module_.Temp1Table, module_.Temp1Xbase, &ScratchTables::Temp1()},
                                         std::tuple{module_.Temp2Table, module_.Temp2Xbase, &ScratchTables::Temp2()}}) {
        if (!ScratchTables::Reopen(table, engine, *layout))
            return false;
        table->Insert();
        table->Post();
    }
    return true;
}

bool TReceiptDocument::CreateNewReceipt(TDateTime Today) {
    newReceipt_ = true;
    number_.clear();
    posted_ = {};
    rate_ = defaultRate_;
    if (!CreateTempFiles())
        return false;
    TTable* temp1 = module_.Temp1Table;
    temp1->Edit();
    temp1->FieldByName("Date")->SetAsDateTime(Today);
    module_.Temp1Xbase->Commit();
    module_.ReceiptChanged = false;
    return true;
}

bool TReceiptDocument::OpenReceipt(const std::string& Receipt) {
    const auto number = ReceiptNumbers::canonical(Receipt);
    if (!number) {
        ShowMessage("'" + Receipt + "' is not a receipt number.");
        return false;
    }
    newReceipt_ = false;
    if (!CreateTempFiles())
        return false;
    number_ = *number;
    posted_ = {};

    TTable* sales = module_.SalesTable;
    sales->SetIndexName("Receipt");
    bool found;
    {
        TExactSeek exact(module_.XbaseEnv1);
        found = module_.SalesXbase->Seek(number_) && !sales->Eof() &&
                ReceiptNumbers::canonical(sales->FieldByName("RECEIPT")->AsString()) == number_;
    }
    TTable* temp1 = module_.Temp1Table;
    temp1->Edit();
    temp1->FieldByName("Receipt")->SetAsString(number_);
    if (found) {
        rate_ = Cents::TaxRate::fromFractionText(sales->FieldByName("TAXRATE")->AsString()).value_or(defaultRate_);
        for (const char* name : HeaderFields)
            temp1->FieldByName(name)->SetAsString(sales->FieldByName(name)->AsString());
        posted_ = {Cents::read(sales->FieldByName("SUBTOTAL")), Cents::read(sales->FieldByName("SALESTAX")),
                   Cents::read(sales->FieldByName("TOTAL"))};
    } else {
        rate_ = defaultRate_;
    }
    temp1->Post();

    TTable* detail = module_.SalesDetailTable;
    TTable* temp2 = module_.Temp2Table;
    detail->SetIndexName("Receipt");
    bool first = true;
    if (found && module_.SalesDetailXbase->Seek(number_)) {
        while (!detail->Eof() && ReceiptNumbers::canonical(detail->FieldByName("RECEIPT")->AsString()) == number_) {
            if (!first)
                temp2->Append();
            first = false;
            temp2->Edit();
            temp2->FieldByName("Receipt")->SetAsString(number_);
            temp2->FieldByName("Item")->SetAsString(detail->FieldByName("ITEM")->AsString());
            temp2->FieldByName("Qty")->SetAsString(detail->FieldByName("QTY")->AsString());
            temp2->FieldByName("Code")->SetAsString(detail->FieldByName("ITEMNO")->AsString());
            temp2->FieldByName("Desc")->SetAsString(detail->FieldByName("DESC")->AsString());
            temp2->FieldByName("Price")->SetAsString(detail->FieldByName("PRICE")->AsString());
            temp2->FieldByName("Cost")->SetAsString(detail->FieldByName("AMOUNT")->AsString());
            temp2->FieldByName("Tax")->SetAsBoolean(detail->FieldByName("TAXED")->AsBoolean());
            temp2->Post();
            LoadFromLabRxTable();
            detail->Next();
        }
    }
    module_.ReceiptChanged = false;
    return true;
}

void TReceiptDocument::LoadFromLabRxTable() {
    TTable* temp2 = module_.Temp2Table;
    TTable* labRx = module_.LabRxTable;
    const auto number = ReceiptNumbers::canonical(temp2->FieldByName("Receipt")->AsString());
    const std::string item = trimmed(temp2->FieldByName("Item")->AsString());
    if (!number || item.empty())
        return;
    labRx->SetIndexName("ID");
    if (!module_.LabRxXbase->Seek(ReceiptNumbers::labRxKey(*number, std::stoi(item))) || labRx->Eof())
        return;
    temp2->Edit();
    const auto fields = ScratchTables::Temp2().Fields;
    for (size_t f = FirstLabRxField; f < fields.size(); ++f)
        temp2->FieldByName(fields[f].Name)->SetAsString(labRx->FieldByName(fields[f].Name)->AsString());
    temp2->Post();
}

TReceiptFigures TReceiptDocument::Totals() const {
    TTable* temp2 = module_.Temp2Table;
    Currency subTotal, taxed;
    for (temp2->First(); !temp2->Eof(); temp2->Next()) {
        const Currency cost =
            Cents::lineCost(Cents::read(temp2->FieldByName("Price")), Cents::read(temp2->FieldByName("Qty")));
        subTotal += cost;
        if (temp2->FieldByName("Tax")->AsBoolean())
            taxed += cost;
    }
    const Currency tax = Cents::tax(taxed, rate_);
    return {subTotal, tax, subTotal + tax};
}

Currency TReceiptDocument::LineQuantity(TDataSet* Lines) {
    const Currency qty = Cents::read(Lines->FieldByName("Qty"));
    const bool sells = !trimmed(Lines->FieldByName("Code")->AsString()).empty() ||
                       Cents::read(Lines->FieldByName("Price")) != Currency();
    return sells ? Cents::effectiveQuantity(qty) : qty;
}

bool TReceiptDocument::checkWidths(const TReceiptFigures& Now) {
    struct Check {
        const char* name;
        Currency value;
        int width, decimals;
    };
    std::vector<Check> checks = {{"SUBTOTAL", Now.SubTotal, 8, 2},
                                 {"SALESTAX", Now.Tax, 8, 2},
                                 {"TOTAL", Now.Total, 10, 2},
                                 {"BALANCE", Now.Total, 10, 2},
                                 {"Patient BALANCE change", Now.Total - posted_.Total, 10, 2}};
    TTable* temp2 = module_.Temp2Table;
    TTable* items = module_.ItemTable;
    items->SetIndexName("ID");
    int line = 0;
    for (temp2->First(); !temp2->Eof(); temp2->Next()) {
        ++line;
        const Currency price = Cents::read(temp2->FieldByName("Price"));
        const Currency qty = Cents::read(temp2->FieldByName("Qty"));
        checks.push_back({"Price", price, 7, 2});
        checks.push_back({"Amount", Cents::lineCost(price, qty), 11, 2});
        const std::string code = trimmed(temp2->FieldByName("Code")->AsString());
        if (!code.empty() && module_.ItemXbase->Seek(AppUtils::PadRight(upper(code), 10)) && !items->Eof() &&
            items->FieldByName("CTRLITEM")->AsBoolean() && qty.Raw() % Currency::Scale != 0) {
            ShowMessage("Line " + std::to_string(line) + ": item " + code +
                        " is counted in whole units; its quantity cannot have a fraction.");
            return false;
        }
    }
    for (const Check& c : checks)
        if (!Cents::fits(c.value, c.width, c.decimals)) {
            ShowMessage("The amount " + CurrToStr(c.value) + " is too large for the receipt's " + c.name +
                        ". Nothing was saved.");
            return false;
        }
    return true;
}

bool TReceiptDocument::checkDates() {
    TTable* temp1 = module_.Temp1Table;
    if (!DocumentFields::dated(temp1, "Date"))
        return false;
    // The due date is the date plus the terms, on the calendar's years 1 to 9999.
    const TDateTime due = temp1->FieldByName("Date")->AsDateTime() + temp1->FieldByName("Terms")->AsInteger();
    if (due < EncodeDate(1, 1, 1) || due > EncodeDate(9999, 12, 31)) {
        ShowMessage("The Date box plus the Terms box gives a due date outside the calendar. Nothing was saved.");
        return false;
    }
    return true;
}

bool TReceiptDocument::lockStored(TRecordLocks& Locks, const std::string& Number) {
    TTable* sales = module_.SalesTable;
    const int recNo = module_.SalesXbase->RecNo();
    Locks.want(sales, module_.SalesXbase, recNo);
    if (!Locks.lockAll())
        return false;
    if (!TRecordLocks::reread(module_.SalesXbase, recNo) ||
        ReceiptNumbers::canonical(sales->FieldByName("RECEIPT")->AsString()) != Number) {
        ShowMessage(DocumentFields::changedMeanwhile("Receipt", Number, "deleted"));
        return false;
    }
    return true;
}

bool TReceiptDocument::SaveReceipt() {
    if (!DocumentTables::Ready(documentTables(), "The receipt was not saved."))
        return false;
    if (!checkDates())
        return false;
    TTable* sales = module_.SalesTable;
    TTable* temp1 = module_.Temp1Table;
    const auto typed = ReceiptNumbers::canonical(temp1->FieldByName("Receipt")->AsString());
    if (!typed && !newReceipt_ && !number_.empty()) {
        ShowMessage("'" + temp1->FieldByName("Receipt")->AsString() + "' is not a receipt number.");
        return false;
    }
    sales->SetIndexName("Receipt");
    bool found = false;
    if (typed) {
        TExactSeek exact(module_.XbaseEnv1);
        found = module_.SalesXbase->Seek(*typed) && !sales->Eof();
        if (found && ReceiptNumbers::canonical(sales->FieldByName("RECEIPT")->AsString()) != typed) {
            // A saved receipt must never land on another receipt's record.
            ShowMessage("Database needs to be reindexed!\r\rThe receipt was not saved. Rebuild the indexes "
                        "(File / Rebuild Indexes), then save it again.");
            return false;
        }
    }
    TRecordLocks locks;
    if (found && !newReceipt_) {
        // What another workstation stored is what this save changes.
        if (!lockStored(locks, *typed))
            return false;
        posted_ = {Cents::read(sales->FieldByName("SUBTOTAL")), Cents::read(sales->FieldByName("SALESTAX")),
                   Cents::read(sales->FieldByName("TOTAL"))};
    }
    const TReceiptFigures now = Totals();
    if (!checkWidths(now))
        return false;
    // Undone with the scope, should it fail: the next save starts from here again.
    const bool wasNew = newReceipt_;
    const std::string oldNumber = number_;
    const TReceiptFigures oldPosted = posted_;
    const std::string typedText = temp1->FieldByName("Receipt")->AsString();
    try {
        TDocumentScope scope("receipt");
        if (!found || newReceipt_) {
            sales->Append();  // numbered and committed by the sales table's events
            number_ = *ReceiptNumbers::canonical(sales->FieldByName("RECEIPT")->AsString());
            scope.Saving("Receipt " + number_);
            temp1->Edit();
            temp1->FieldByName("Receipt")->SetAsString(number_);
            temp1->Post();
            newReceipt_ = false;
            updateSalesTables(now);
            scope.end();
            if (temp1->FieldByName("BillInsur")->AsBoolean() && CreateClaim)
                CreateClaim(number_);
        } else {
            number_ = *typed;
            scope.Changing("receipt " + number_);
            if (posted_.Total != now.Total || module_.ReceiptChanged)
                updateSalesTables(now);
            scope.end();
        }
    } catch (const std::exception& e) {
        newReceipt_ = wasNew;
        number_ = oldNumber;
        posted_ = oldPosted;
        if (temp1->State() != dsBrowse)
            temp1->Cancel();
        temp1->Edit();
        temp1->FieldByName("Receipt")->SetAsString(typedText);
        temp1->Post();
        showError(TDocumentScope::Failed("The receipt was not saved.", e));
        return false;
    }
    module_.Temp2Table->First();
    module_.ReceiptChanged = false;
    return true;
}

void TReceiptDocument::updateSalesTables(const TReceiptFigures& Now) {
    updateSalesMasterRecord(Now);
    updateItemTable();
    updateSalesDetailTable();
    TTable* temp1 = module_.Temp1Table;
    const std::string patID = trimmed(temp1->FieldByName("PatID")->AsString());
    LedgerPostings::postLedgerRows(
        module_, LedgerPostings::receiptRows(Now, posted_, number_, patID, temp1->FieldByName("Date")->AsDateTime()));
    updatePatientBalance(Now.Total - posted_.Total);
    posted_ = Now;
}

void TReceiptDocument::updateSalesMasterRecord(const TReceiptFigures& Now) {
    TTable* sales = module_.SalesTable;
    TTable* temp1 = module_.Temp1Table;
    const Currency paid = paymentsApplied();
    sales->Edit();
    for (const char* name : HeaderFields)
        sales->FieldByName(name)->SetAsString(temp1->FieldByName(name)->AsString());
    sales->FieldByName("DUEDATE")->SetAsDateTime(temp1->FieldByName("Date")->AsDateTime() +
                                                 temp1->FieldByName("Terms")->AsInteger());
    Cents::write(sales->FieldByName("SUBTOTAL"), Now.SubTotal);
    sales->FieldByName("TAXRATE")->SetAsString(rate_.fractionText());
    Cents::write(sales->FieldByName("SALESTAX"), Now.Tax);
    Cents::write(sales->FieldByName("TOTAL"), Now.Total);
    Cents::write(sales->FieldByName("BALANCE"), Now.Total - paid);
    module_.SalesXbase->Commit();
}

Currency TReceiptDocument::paymentsApplied() {
    TTable* rows = module_.PaymentDtlTable;
    TIndexOrder order(rows, "Receipt");
    const std::string key = ReceiptNumbers::fieldKey(number_);
    Currency paid;
    if (module_.PaymentDtlXbase->Seek(key))
        for (; !rows->Eof() && rows->FieldByName("RECEIPT")->AsString() == trimmed(key); rows->Next())
            paid += Cents::read(rows->FieldByName("PAYMENT"));
    return paid;
}

void TReceiptDocument::moveStock(const std::string& Code, Currency Qty, int Sign) {
    TTable* items = module_.ItemTable;
    if (trimmed(Code).empty())
        return;
    items->SetIndexName("ID");
    if (!module_.ItemXbase->Seek(AppUtils::PadRight(upper(trimmed(Code)), 10)) || items->Eof() ||
        !items->FieldByName("CTRLITEM")->AsBoolean())
        return;
    const Currency quantity = Cents::effectiveQuantity(Qty);
    items->Edit();
    TField* onHand = items->FieldByName("QTYONHAND");
    Cents::write(onHand, Cents::read(onHand) + (Sign > 0 ? quantity : -quantity));
    module_.ItemXbase->Commit();
}

void TReceiptDocument::updateItemTable() {
    TTable* detail = module_.SalesDetailTable;
    detail->SetIndexName("Receipt");
    // The stored rows give their stock back before they are overwritten.
    if (module_.SalesDetailXbase->Seek(number_))
        for (; !detail->Eof() && ReceiptNumbers::canonical(detail->FieldByName("RECEIPT")->AsString()) == number_;
             detail->Next())
            moveStock(detail->FieldByName("ITEMNO")->AsString(), Cents::read(detail->FieldByName("QTY")), +1);
    TTable* temp2 = module_.Temp2Table;
    for (temp2->First(); !temp2->Eof(); temp2->Next())
        moveStock(temp2->FieldByName("Code")->AsString(), Cents::read(temp2->FieldByName("Qty")), -1);
}

void TReceiptDocument::updateSalesDetailTable() {
    TTable* detail = module_.SalesDetailTable;
    TTable* temp2 = module_.Temp2Table;
    detail->SetIndexName("Receipt");
    auto ofThisReceipt = [&] {
        return !detail->Eof() && ReceiptNumbers::canonical(detail->FieldByName("RECEIPT")->AsString()) == number_;
    };
    const bool any = module_.SalesDetailXbase->Seek(number_);
    int item = 0;
    for (temp2->First(); !temp2->Eof(); temp2->Next()) {
        ++item;
        const bool overwrite = any && ofThisReceipt();
        keyLineRecord(detail, overwrite, number_, item);
        const Currency quantity = LineQuantity(temp2);
        Cents::write(detail->FieldByName("QTY"), quantity);
        detail->FieldByName("ITEMNO")->SetAsString(temp2->FieldByName("Code")->AsString());
        detail->FieldByName("DESC")->SetAsString(temp2->FieldByName("Desc")->AsString());
        detail->FieldByName("PRICE")->SetAsString(temp2->FieldByName("Price")->AsString());
        Cents::write(detail->FieldByName("AMOUNT"), Cents::lineCost(Cents::read(temp2->FieldByName("Price")),
                                                                    Cents::read(temp2->FieldByName("Qty"))));
        detail->FieldByName("TAXED")->SetAsBoolean(temp2->FieldByName("Tax")->AsBoolean());
        module_.SalesDetailXbase->Commit();
        // The line keeps its number, so the next save finds its lab order.
        temp2->Edit();
        temp2->FieldByName("Receipt")->SetAsString(number_);
        temp2->FieldByName("Item")->SetAsInteger(item);
        Cents::write(temp2->FieldByName("Qty"), quantity);
        Cents::write(temp2->FieldByName("Cost"), Cents::read(detail->FieldByName("AMOUNT")));
        temp2->Post();
        updateLabRxTable(item);
        if (overwrite)
            detail->Next();
        else
            detail->Last();
    }
    // Stored rows beyond the lines now on the receipt go, with their lab orders.
    if (item > 0 && !detail->Eof())
        detail->Next();
    if (module_.SalesDetailXbase->Seek(number_)) {
        while (ofThisReceipt()) {
            const int stored = detail->FieldByName("ITEM")->AsInteger();
            if (stored > item) {
                deleteLabRx(stored);
                detail->Delete();
                if (!module_.SalesDetailXbase->Seek(number_))
                    break;
            } else {
                detail->Next();
            }
        }
    }
}

void TReceiptDocument::updateLabRxTable(int Item) {
    TTable* temp2 = module_.Temp2Table;
    if (trimmed(temp2->FieldByName("TYPE")->AsString()).empty())
        return;
    TTable* labRx = module_.LabRxTable;
    labRx->SetIndexName("ID");
    const bool found = module_.LabRxXbase->Seek(ReceiptNumbers::labRxKey(number_, Item)) && !labRx->Eof();
    keyLineRecord(labRx, found, number_, Item);
    const auto fields = ScratchTables::Temp2().Fields;
    for (size_t f = FirstLabRxField; f < fields.size(); ++f)
        labRx->FieldByName(fields[f].Name)->SetAsString(temp2->FieldByName(fields[f].Name)->AsString());
    module_.LabRxXbase->Commit();
}

void TReceiptDocument::deleteLabRx(int Item) {
    TTable* labRx = module_.LabRxTable;
    labRx->SetIndexName("ID");
    while (module_.LabRxXbase->Seek(ReceiptNumbers::labRxKey(number_, Item)) && !labRx->Eof())
        labRx->Delete();
}

void TReceiptDocument::updatePatientBalance(Currency Change) {
    if (Change == Currency())
        return;
    TTable* patients = module_.PatientTable;
    TIndexOrder order(patients, "ID");
    const std::string patID = trimmed(module_.Temp1Table->FieldByName("PatID")->AsString());
    if (patID.empty() || !module_.Xbase1->Seek(patID) || patients->Eof())
        return;
    patients->Edit();
    TField* balance = patients->FieldByName("BALANCE");
    Cents::write(balance, Cents::read(balance) + Change);
    module_.Xbase1->Commit();
}

void TReceiptDocument::showError(const std::string& Message) { ShowMessage(Message); }

std::vector<TTable*> TReceiptDocument::documentTables() const {
    return {module_.SalesTable, module_.SalesDetailTable, module_.LabRxTable,     module_.ItemTable,
            module_.LedgerTable, module_.AccountTable,    module_.PatientTable,  module_.PaymentDtlTable,
            module_.PaymentTable};
}

bool TReceiptDocument::DeleteReceipt(TDateTime Today) {
    if (!DocumentTables::Ready(documentTables(), "The receipt was not deleted."))
        return false;
    TTable* temp1 = module_.Temp1Table;
    const auto number = ReceiptNumbers::canonical(temp1->FieldByName("Receipt")->AsString());
    if (!number)
        return false;
    number_ = *number;
    const std::string key = ReceiptNumbers::fieldKey(number_);
    try {
        TRecordLocks locks;
        {
            TTable* sales = module_.SalesTable;
            sales->SetIndexName("Receipt");
            TExactSeek exact(module_.XbaseEnv1);
            if (module_.SalesXbase->Seek(number_) && !sales->Eof() && !lockStored(locks, number_))
                return false;
        }
        TDocumentScope scope("receipt");
        scope.Deleting("Receipt " + number_);
        {
            TTable* rows = module_.PaymentDtlTable;
            TTable* payments = module_.PaymentTable;
            TIndexOrder rowOrder(rows, "Receipt");
            payments->SetIndexName("ID");
            // Rows whose payment is gone are left-overs: they go. Any live
            // payment among the rest refuses the delete.
            bool more = module_.PaymentDtlXbase->Seek(key);
            while (more && !rows->Eof() && rows->FieldByName("RECEIPT")->AsString() == number_) {
                const std::string payment = trimmed(rows->FieldByName("PAYMENTID")->AsString());
                if (module_.PaymentXbase->Seek(payment) && !payments->Eof()) {
                    scope.end();
                    ShowMessage("There are payments against this receipt. The payments must be deleted first.  "
                                "Payment: " +
                                payment);
                    return false;
                }
                rows->Delete();
                more = module_.PaymentDtlXbase->Seek(key);
            }
        }

        TTable* detail = module_.SalesDetailTable;
        detail->SetIndexName("Receipt");
        while (module_.SalesDetailXbase->Seek(number_) && !detail->Eof() &&
               ReceiptNumbers::canonical(detail->FieldByName("RECEIPT")->AsString()) == number_) {
            moveStock(detail->FieldByName("ITEMNO")->AsString(), Cents::read(detail->FieldByName("QTY")), +1);
            detail->Delete();
        }

        TTable* sales = module_.SalesTable;
        sales->SetIndexName("Receipt");
        while (module_.SalesXbase->Seek(number_) && !sales->Eof() &&
               ReceiptNumbers::canonical(sales->FieldByName("RECEIPT")->AsString()) == number_) {
            const TReceiptFigures stored{Cents::read(sales->FieldByName("SUBTOTAL")),
                                         Cents::read(sales->FieldByName("SALESTAX")),
                                         Cents::read(sales->FieldByName("TOTAL"))};
            const std::string patID = trimmed(sales->FieldByName("PATID")->AsString());
            const TDateTime date = temp1->FieldByName("Date")->AsDateTime();
            LedgerPostings::postLedgerRows(module_,
                                           LedgerPostings::receiptDeleteRows(stored, number_, patID, date));
            // The patient of the stored receipt, whatever temp1 holds now.
            temp1->Edit();
            temp1->FieldByName("PatID")->SetAsString(patID);
            temp1->Post();
            updatePatientBalance(-stored.Total);
            sales->SetIndexName("Receipt");
            if (module_.SalesXbase->Seek(number_) && !sales->Eof())
                sales->Delete();
        }

        TTable* labRx = module_.LabRxTable;
        labRx->SetIndexName("ID");
        {
            TPrefixSeek prefix(module_.XbaseEnv1);
            while (module_.LabRxXbase->Seek(key) && !labRx->Eof() &&
                   ReceiptNumbers::canonical(labRx->FieldByName("RECEIPT")->AsString()) == number_)
                labRx->Delete();
        }
        scope.end();
    } catch (const std::exception& e) {
        showError(TDocumentScope::Failed("The receipt was not deleted.", e));
        return false;
    }
    CreateNewReceipt(Today);
    module_.ReceiptChanged = false;
    return true;
}
