#include "app/RebuildAccountBalances.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <stdexcept>

#include "app/Cents.h"
#include "app/ClearUtilities.h"
#include "app/DataModule.h"
#include "app/DocumentScope.h"
#include "app/DocumentFields.h"
#include "app/FormOpener.h"
#include "app/MainFormLink.h"
#include "app/ReceiptNumbers.h"
#include "app/Rebuild.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

using namespace DocumentFields;

using LedgerPostings::Side;
using LedgerPostings::TLedgerRow;

const char* const FormCaption = "Rebuild Account Balances";
const char* const PleaseWait = "Rebuilding Account Balances... Please Wait!";
const char* const Discrepancies =
    "There are discrepancies that must be corrected before the trial balance can be completed.";
const char* const Completed = "Rebuild Account Balances Completed. Time: ";
const char* const LedgerNotCleared = "The ledger could not be cleared; the account balances are unchanged.";
const char* const StoppedMidway =
    "The rebuild of account balances did not finish when the program stopped; the books are as they were before it.";

// The advice that closes both discrepancy messages.
const char* const RemakeAdvice =
    "  You should delete this %s and remake it. Be sure to make a note"
    " of the payment details before deleting it.  If it has been deposited"
    " you will need to delete the deposit first.  After correcting the payment"
    " you will need to remake the deposit.  You should print the deposit before"
    " deleting it to use as a reference.  After correcting this you will need to"
    " rebuild account balances again.";

// The detail rows of a kind of document: their table and engine, the tag
// that files them by document, the field holding the document's number and
// the amount they add up.
struct TDetailRows {
    TTable* Table;
    TXbase* Engine;
    const char* Tag;
    const char* KeyField;
    const char* AmountField;
};

// Walks Headers in the order of HeaderTag and hands Agrees each document's
// number (its NumberField) and the sum of its detail rows, passing over
// the documents for which Skip is true; false when any did not agree.
template <class Agrees, class Skip = bool (*)()>
bool everyDocumentAgrees(TTable* Headers, const char* HeaderTag, const char* NumberField, const TDetailRows& Details,
                         Agrees agrees, Skip skip = [] { return false; }) {
    TIndexOrder order(Headers, HeaderTag);
    TIndexOrder detailOrder(Details.Table, Details.Tag);
    bool passed = true;
    for (Headers->First(); !Headers->Eof(); Headers->Next()) {
        if (skip())
            continue;
        const std::string number = numberText(Headers, NumberField);
        Currency sum;
        if (Details.Engine->Seek(number))
            for (TTable* rows = Details.Table; !rows->Eof() && numberText(rows, Details.KeyField) == number;
                 rows->Next())
                sum += money(rows, Details.AmountField);
        if (!agrees(number, sum))
            passed = false;
    }
    return passed;
}

std::string remakeAdvice(const std::string& Document) {
    std::string advice = RemakeAdvice;
    advice.replace(advice.find("%s"), 2, Document);
    return advice;
}

std::string moneyText(Currency Value) { return CurrToStrF(Value, ffCurrency, 2); }

// Hours without a leading zero, then minutes and seconds of two digits.
std::string elapsedText(TDateTime Start, TDateTime End) {
    long seconds = std::lround((static_cast<double>(End) - static_cast<double>(Start)) * 86400.0);
    if (seconds < 0)
        seconds = 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return buffer;
}

// Stands for the main window when the module has none.
class TNoMainWindow : public TMainFormLink {
public:
    void SetCaption(const std::string&) override {}
    void DisableMainMenu() override {}
    void EnableFilesOnlyMenu() override {}
    void Close() override {}
};

TMainFormLink* mainWindow(TDataModule1& Module) {
    static TNoMainWindow none;
    return Module.MainForm() ? Module.MainForm() : &none;
}

}  // namespace

// The books as they stood before the run: ledger rows field by field (dates
// as dates), account balances by number and patient balances by record.
struct TRebuildAccountBalances::TKeptBooks {
    struct TKeptField {
        std::string Name;
        std::string Text;
        TDateTime Date;
        bool IsDate = false;
    };
    std::vector<std::vector<TKeptField>> LedgerRows;
    std::map<int, std::string> AccountBalances;
    std::map<int, std::string> PatientBalances;
    bool LedgerCleared = false;
};

TDataModule1& TRebuildAccountBalances::module() { return *DataModule1; }

TRebuildAccountBalances::TRebuildAccountBalances(TComponent* AOwner) : TForm(AOwner) {
    // Named by whoever makes it: the main form's menu item already carries
    // the name "RebuildAccountBalances".
    frameDialog(this, FormCaption);
    SetBounds(0, 0, 360, 120);
    place<TLabel>(this, 16, 16, 80, 15, "Process:");
    ProcessLabel = place<TLabel>(this, 100, 16, 240, 15, "");
    ProcessLabel->SetName("ProcessLabel");
    place<TLabel>(this, 16, 44, 80, 15, "Time:");
    ProcessTime = place<TLabel>(this, 100, 44, 240, 15, "");
    ProcessTime->SetName("ProcessTime");
}

void TRebuildAccountBalances::startStep(const std::string& Label) {
    ProcessLabel->SetCaption(Label);
    if (OnStepStarted)
        OnStepStarted(Label);
}

void TRebuildAccountBalances::addProgress(int Value) {
    progress_ += Value;
    mainWindow(module())->ShowProgress(true, progress_);
}

void TRebuildAccountBalances::Rebuild() {
    TMainFormLink* main = mainWindow(module());
    const TDateTime start = Now();
    ProcessTime->SetCaption(TimeToStr(start));
    yearStart_ = FormatDateTime("yyyy", Date()) + "0101";
    accumulators_ = {};

    // The reopen afterwards is what lets the steps below work on open tables.
    auto* indexes = new TRebuildDlg(nullptr, &module());
    bool indexed = false;
    indexes->OnRebuilt = [&indexed](TObject*, bool Complete) { indexed = Complete; };
    indexes->RebuildFiles(&module(), true);
    // A table held elsewhere has been named by the index rebuild; nothing is cleared.
    if (!indexed)
        return;

    // Gone before the closing message, so that it is read under the usual cursor.
    std::optional<THourGlass> hourGlass(std::in_place);
    progress_ = 0;
    main->ShowProgress(true, 0);
    main->SetStatusText(PleaseWait);
    addProgress(5);
    auto finish = [&] {
        main->EnableMainWindow(true);
        main->ShowProgress(true, 100);
        main->ShowProgress(false, 100);
        main->SetStatusText("");
        hourGlass.reset();
    };

    if (!NoDiscrepancy()) {
        MessageDlg(Discrepancies, mtWarning, {mbOK});
        finish();
        return;
    }
    startStep("Remove Duplicat Receipts");
    if (!RemoveDuplicateReceipts()) {
        finish();
        return;
    }

    main->EnableMainWindow(false);
    TKeptBooks kept;
    bool journaled = false;
    try {
        // The rewrite lands whole or the books stay as they were, also when
        // the program stops midway; without a journal the books are kept
        // aside and put back by hand.
        TDocumentScope scope("balance rebuild");
        scope.SetRecoveryMessage(StoppedMidway);
        journaled = scope.Journaled();
        if (!journaled)
            kept = keepAside();
        rebuildBooks(kept);
        scope.end();
    } catch (const std::exception& e) {
        if (!journaled) {
            try {
                putBack(kept);
            } catch (const std::exception& again) {
                ShowMessage(again.what());
            }
        }
        finish();
        ShowMessage(e.what());
        return;
    }
    progress_ = 100;
    main->ShowProgress(true, 100);
    const std::string elapsed = elapsedText(start, Now());
    ProcessTime->SetCaption(elapsed);
    finish();
    ShowMessage(Completed + elapsed);
}

void TRebuildAccountBalances::rebuildBooks(TKeptBooks& Kept) {
    // The ledger first: when another workstation holds it, nothing is cleared.
    ClearUtilities::ClearLedger(module());
    if (module().LedgerXbase->RecCount() != 0)
        throw std::runtime_error(LedgerNotCleared);
    Kept.LedgerCleared = true;
    ClearUtilities::ClearPatientBalances(module());
    ClearUtilities::ClearChartofAccounts(module());
    addProgress(5);
    addProgress(5);  // the duplicates were looked for before anything was cleared

    startStep("Update Sales");
    UpdateSales();
    startStep("UpdatePayments");
    UpdatePayments();

    module().CloseFiles();
    module().OpenFiles();
    for (int account = 1; account <= 8; ++account)
        UpdateAccountsTable(std::to_string(account), accumulators_[account - 1]);
}

TRebuildAccountBalances::TKeptBooks TRebuildAccountBalances::keepAside() {
    TKeptBooks kept;
    TTable* ledger = module().LedgerTable;
    {
        TIndexOrder order(ledger, "");
        for (ledger->First(); !ledger->Eof(); ledger->Next()) {
            std::vector<TKeptBooks::TKeptField> row;
            for (int i = 0; i < ledger->FieldCount(); ++i) {
                ::TField* field = ledger->Fields()[i];
                if (field->IsNull())
                    continue;
                TKeptBooks::TKeptField kept_field{field->FieldName(), "", TDateTime(), field->DataType() == ftDate};
                if (kept_field.IsDate)
                    kept_field.Date = field->AsDateTime();
                else
                    kept_field.Text = field->AsString();
                row.push_back(kept_field);
            }
            kept.LedgerRows.push_back(std::move(row));
        }
    }
    TTable* accounts = module().AccountTable;
    {
        TIndexOrder order(accounts, "");
        for (accounts->First(); !accounts->Eof(); accounts->Next())
            kept.AccountBalances[accounts->RecNo()] = accounts->FieldByName("BALANCE")->AsString();
    }
    TTable* patients = module().PatientTable;
    {
        TIndexOrder order(patients, "");
        for (patients->First(); !patients->Eof(); patients->Next())
            kept.PatientBalances[patients->RecNo()] = patients->FieldByName("BALANCE")->AsString();
    }
    return kept;
}

void TRebuildAccountBalances::putBack(const TKeptBooks& Kept) {
    if (Kept.LedgerCleared) {
        ClearUtilities::ClearLedger(module());
        TTable* ledger = module().LedgerTable;
        for (const auto& row : Kept.LedgerRows) {
            ledger->Append();
            for (const TKeptBooks::TKeptField& field : row) {
                if (field.IsDate)
                    ledger->FieldByName(field.Name)->SetAsDateTime(field.Date);
                else
                    ledger->FieldByName(field.Name)->SetAsString(field.Text);
            }
            module().LedgerXbase->Commit();
        }
    }
    auto restore = [](TTable* Table, TXbase* Engine, const std::map<int, std::string>& Balances) {
        TIndexOrder order(Table, "");
        for (Table->First(); !Table->Eof(); Table->Next()) {
            const auto kept = Balances.find(Table->RecNo());
            if (kept == Balances.end())
                continue;
            Table->Edit();
            Table->FieldByName("BALANCE")->SetAsString(kept->second);
            Table->Post();
        }
        Engine->Commit();
    };
    restore(module().AccountTable, module().AccountXbase, Kept.AccountBalances);
    restore(module().PatientTable, module().Xbase1, Kept.PatientBalances);
}

bool TRebuildAccountBalances::NoDiscrepancy() {
    bool passed = NoSalesDiscrepancy();
    addProgress(5);
    if (passed)
        passed = NoPaymentDiscrepancy();
    addProgress(5);
    return passed;
}

bool TRebuildAccountBalances::NoSalesDiscrepancy() {
    TTable* sales = module().SalesTable;
    return everyDocumentAgrees(
        sales, "Receipt", "RECEIPT",
        {module().SalesDetailTable, module().SalesDetailXbase, "Receipt", "RECEIPT", "AMOUNT"},
        [&](const std::string& receipt, Currency sum) {
            const Currency subTotal = money(sales, "SUBTOTAL");
            if (sum == subTotal)
                return true;
            ShowMessage(moneyText(subTotal) + "     " + moneyText(sum));
            ShowMessage("There appears to be a problem with Receipt#  " + receipt + remakeAdvice("receipt"));
            return false;
        });
}

bool TRebuildAccountBalances::NoPaymentDiscrepancy() {
    TTable* payments = module().PaymentTable;
    // A payment with credit applied is checked through its receipts.
    return everyDocumentAgrees(
        payments, "ID", "ID", {module().PaymentDtlTable, module().PaymentDtlXbase, "PaymentID", "PAYMENTID", "PAYMENT"},
        [&](const std::string& id, Currency sum) {
            if (sum == money(payments, "AMOUNT"))
                return true;
            ShowMessage("There appears to be a problem with payment#  " + id + remakeAdvice("payment"));
            return false;
        },
        [&] { return money(payments, "TOTALPAID") > Currency(); });
}

bool TRebuildAccountBalances::RemoveDuplicateReceipts() {
    TTable* sales = module().SalesTable;
    TIndexOrder order(sales, "Receipt");
    std::vector<std::string> shared;
    std::string previous = "0";
    for (sales->First(); !sales->Eof(); sales->Next()) {
        const std::string receipt = numberText(sales, "RECEIPT");
        if (receipt == previous && (shared.empty() || shared.back() != receipt))
            shared.push_back(receipt);
        previous = receipt;
    }
    addProgress(5);
    if (shared.empty())
        return true;
    std::string numbers;
    for (const std::string& n : shared)
        numbers += (numbers.empty() ? "" : ", ") + n;
    MessageDlg("These receipt numbers are used by more than one receipt: " + numbers +
                   ". Correct them before the account balances are rebuilt; nothing has been changed.",
               mtWarning, {mbOK});
    return false;
}

void TRebuildAccountBalances::UpdateSales() {
    startStep("Update Current Sales");
    UpdateCurrentSales();
    addProgress(5);
    UpdateRefunds();
    addProgress(5);
    startStep("Update Retained Earnings");
    UpdateRetainedEarnings();
    addProgress(5);
    startStep("Update Patient Balances");
    UpdatePatientBalance();
    addProgress(5);
}

void TRebuildAccountBalances::UpdatePayments() {
    startStep("Update Undeposited Funds");
    UpdateUndepositedFunds();
    addProgress(5);
    startStep("Update Deposits");
    UpdateDeposits();
    addProgress(5);
}

void TRebuildAccountBalances::postReceipt(bool EarlierYear) {
    TTable* sales = module().SalesTable;
    const LedgerPostings::TReceiptFigures figures{money(sales, "SUBTOTAL"), money(sales, "SALESTAX"),
                                                 money(sales, "TOTAL")};
    auto rows = LedgerPostings::receiptRows(figures, {}, numberText(sales, "RECEIPT"), numberText(sales, "PATID"),
                                            sales->FieldByName("DATE")->AsDateTime());
    for (TLedgerRow& row : rows) {
        if (EarlierYear && row.Account == 1) {
            row.Account = 7;
            row.Type = LedgerPostings::accountType(7);
        }
        UpdateLedgerTable(row);
    }
}

void TRebuildAccountBalances::UpdateCurrentSales() {
    TTable* sales = module().SalesTable;
    TIndexOrder order(sales, "Receipt");
    for (sales->First(); !sales->Eof(); sales->Next())
        if (FormatDateTime("yyyymmdd", sales->FieldByName("DATE")->AsDateTime()) >= yearStart_)
            postReceipt(false);
}

void TRebuildAccountBalances::UpdateRetainedEarnings() {
    TTable* sales = module().SalesTable;
    TIndexOrder order(sales, "Receipt");
    for (sales->First(); !sales->Eof(); sales->Next())
        if (FormatDateTime("yyyymmdd", sales->FieldByName("DATE")->AsDateTime()) < yearStart_)
            postReceipt(true);
}

void TRebuildAccountBalances::postPayment(bool Refunds) {
    TTable* payments = module().PaymentTable;
    const Currency credit = money(payments, "TOTALPAID");
    const Currency received = money(payments, "AMOUNT") - credit;
    if ((received < Currency()) != Refunds)
        return;
    const auto rows = LedgerPostings::PaymentRows(received, credit, numberText(payments, "ID"),
                                                  numberText(payments, "PATID"),
                                                  payments->FieldByName("DATE")->AsDateTime());
    for (const TLedgerRow& row : rows)
        UpdateLedgerTable(row);
}

// Refunds give money back: their rows, as the payment writer posts them.
void TRebuildAccountBalances::UpdateRefunds() {
    TTable* payments = module().PaymentTable;
    TIndexOrder order(payments, "ID");
    for (payments->First(); !payments->Eof(); payments->Next())
        postPayment(true);
}

// Payments that received money or moved credit, as the payment writer posts them.
void TRebuildAccountBalances::UpdateUndepositedFunds() {
    TTable* payments = module().PaymentTable;
    TIndexOrder order(payments, "ID");
    for (payments->First(); !payments->Eof(); payments->Next())
        postPayment(false);
}

// One pair per deposit, as the deposit writer posts it.
void TRebuildAccountBalances::UpdateDeposits() {
    TTable* deposits = module().DepositTable;
    TIndexOrder order(deposits, "ID");
    for (deposits->First(); !deposits->Eof(); deposits->Next()) {
        const Currency total = money(deposits, "TOTAL");
        if (total == Currency())
            continue;
        for (const TLedgerRow& row : LedgerPostings::DepositRows(total, numberText(deposits, "ID"),
                                                                  deposits->FieldByName("DATE")->AsDateTime()))
            UpdateLedgerTable(row);
    }
}

void TRebuildAccountBalances::UpdatePatientBalance() {
    TTable* patients = module().PatientTable;
    TTable* sales = module().SalesTable;
    TIndexOrder order(patients, "ID");
    TIndexOrder salesOrder(sales, "Receipt");
    for (sales->First(); !sales->Eof(); sales->Next()) {
        const Currency balance = money(sales, "BALANCE");
        const std::string patID = numberText(sales, "PATID");
        if (balance == Currency() || patID.empty() || !module().Xbase1->Seek(patID) || patients->Eof() ||
            numberText(patients, "ID") != patID)
            continue;
        patients->Edit();
        TField* stored = patients->FieldByName("BALANCE");
        Cents::write(stored, Cents::read(stored) + balance);
        patients->Post();
        module().Xbase1->Commit();
    }
}

void TRebuildAccountBalances::UpdateLedgerTable(const TLedgerRow& Row) {
    LedgerPostings::writeLedgerRow(module(), Row);
    if (Row.Account < 1 || Row.Account > 8)
        return;
    const bool grows = (Row.Side == Side::Credit) == LedgerPostings::CreditNormal(Row.Account);
    accumulators_[Row.Account - 1] += grows ? Row.Amount : -Row.Amount;
}

void TRebuildAccountBalances::UpdateAccountsTable(const std::string& Account, Currency Amount) {
    const int account = std::stoi(Account);
    LedgerPostings::moveAccountBalance(module(), account,
                                       LedgerPostings::CreditNormal(account) ? Side::Credit : Side::Debit, Amount);
}

void registerRebuildAccountBalances() {
    RegisterClass<TRebuildAccountBalances>();
    // The menu reuses the window start-up made: one rebuild window at most.
    registerSingleInstance("TRebuildAccountBalances");
}
