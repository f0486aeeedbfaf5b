#pragma once
// The bank deposit as a document, without its window: the scratch header
// (temp5: date, coins, batch number) and items (temp6: the undeposited
// payments, each with its tick) of the data module, the running totals by
// category, and what the deposit window does with them: gather the payments
// not yet deposited, tick and untick, store the deposit (deposit record,
// its items, the ledger pair and the payments marked deposited) in one
// document scope, open a stored deposit and delete it with the reversal of
// all of that.
//
// An item carries the money its payment received (AMOUNT - TOTALPAID), so
// depositing every money payment brings the undeposited-funds account to 0.
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"

class TDataModule1;
class TRecordLocks;
class TTable;

class TDepositDocument {
public:
    // The radio group's item indexes, stored in Deposit.TYPE.
    enum TDepositType { CurrencyAndChecks = 0, Charges = 1 };

    explicit TDepositDocument(TDataModule1& Module);

    // Empty temp5 (one header dated Today, coins 0) and temp6 with its
    // "Date" tag. False after "Create Failed" when a table cannot be made.
    bool CreateTempFiles(TDateTime Today);
    // A fresh deposit: the scratch tables made anew, every undeposited
    // payment with money received listed unticked, the totals zeroed and the
    // items shown for "Currency and Checks".
    bool NewDeposit(TDateTime Today);
    // Lists every payment not deposited whose money received is above 0.
    void AppendUndepositedFunds();
    // Every running total 0 and the header's coins emptied (the ticks stay).
    void ResetTotals();
    // Every item unticked; the items back on the first one.
    void ResetTaggedItems();

    // The radio group's choice: the totals zeroed and the items filtered to
    // the type's payments; choosing "Charges" also unticks everything.
    void SelectType(int Type);
    int DepositType() const { return type_; }

    // Turns the current item's tick over and flushes it.
    void ToggleTag();
    // The current item's tick moved its type's total and the deposit
    // total; then CalcDeposit2.
    void CalcDeposit();
    // Coins from the header (no more than the cash), currency = cash - coins.
    void CalcDeposit2();

    // Stores the deposit and opens it. False, with the message and nothing
    // written (the ticks stay), when the total is 0, the categories do not
    // add up to it, the date is empty, or a ticked payment was deposited,
    // changed or deleted at another workstation since it was listed; false
    // with the error shown when writing failed part-way.
    bool SaveDeposit();
    // Loads stored deposit DepositID into the scratch tables, its items
    // ticked. False, with the scratch tables untouched, when no such
    // deposit is stored.
    bool OpenDeposit(const std::string& DepositID);
    // Deletes the opened deposit after asking, reverses its ledger pair and
    // gives its payments back to the undeposited ones; then starts a new
    // deposit dated Today. Items without a payment number are named first.
    // False when the question was answered No, or nothing is stored under
    // the number any more (said so; nothing changed).
    bool DeleteDeposit(TDateTime Today);

    // The deposit number saved or opened last ("" for a new deposit).
    const std::string& SelectedDepositID() const { return selectedDepositID_; }

    Currency Cash() const { return cash_; }
    Currency Checks() const { return checks_; }
    Currency ChargesTotal() const { return charges_; }
    Currency Coins() const { return coins_; }
    Currency CurrencyTotal() const { return currency_; }
    Currency DepositTotal() const { return total_; }

    // The filters of the items for each type, in the engine's expressions.
    static const char* const CurrencyAndChecksFilter;
    static const char* const ChargesFilter;

private:
    // The tables a save or delete writes or finds its records by.
    std::vector<TTable*> documentTables() const;
    // Appends the deposit and its items; their number becomes SelectedDepositID.
    void updateDepositTables();
    // The deposit's ledger pair, negated when Deleting.
    void updateLedgerCheckingRecord(bool Deleting, Currency Total, TDateTime Date);
    // The ticked items' payments marked deposited (or undeposited).
    void updatePaymentTable(bool Deleting);
    // Locks every ticked payment and reads it again. False, with the payment
    // named, when another workstation deposited, changed or deleted it since
    // it was listed, or with the lock message when it is held.
    bool lockTickedPayments(TRecordLocks& Locks);
    // Asks, then locks the opened deposit and its payments and reads the
    // deposit again for the total and date its save posted. False (nothing
    // to change) when it is not stored, the question was answered No, or
    // another workstation deleted it meanwhile (said so).
    bool lockStoredDeposit(TRecordLocks& Locks, Currency& StoredTotal, TDateTime& StoredDate);
    // Deletes the deposit's items and record.
    void deleteDepositTables();
    void setCoinTotal(Currency Value);

    TDataModule1& module_;
    std::string selectedDepositID_;
    int type_ = CurrencyAndChecks;
    Currency cash_, checks_, charges_, coins_, currency_, total_;
};
