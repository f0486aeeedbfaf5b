#pragma once
// TRebuildAccountBalances, the "Rebuild Account Balances" window: throws
// away the ledger, every account balance and every patient balance and
// builds them again from the stored receipts, payments and deposits, after
// checking that receipts and payments agree with their detail rows. Its
// rows are those the interactive writers post (the money core's row sets),
// so on documents of the current year it gives back exactly the balances
// they had; receipts of earlier years go to retained earnings.
//
// Nothing is cleared unless the checks pass and no two receipts share a
// number. The ledger and the balances are kept aside before they are
// cleared and put back when any later step fails; the main window is
// enabled again on every path.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/BalanceRebuild.h"
#include "app/LedgerPostings.h"
#include "base/Currency.h"
#include "ui/Forms.h"

class TDataModule1;
class TLabel;

class TRebuildAccountBalances : public TForm, public TBalanceRebuild {
public:
    explicit TRebuildAccountBalances(TComponent* AOwner);

    TLabel* ProcessLabel;
    TLabel* ProcessTime;

    // The whole run: indexes rebuilt, the checks, the clearing, the postings
    // and the balances, with the main window's gauge and status bar.
    void Rebuild() override;

    // Both checks; false, after their messages, when either fails.
    bool NoDiscrepancy();
    // Every receipt's lines add up to its subtotal.
    bool NoSalesDiscrepancy();
    // Every payment without credit applied has detail rows adding up to it.
    bool NoPaymentDiscrepancy();
    // Receipts that share a number are named, and false; nothing is deleted.
    bool RemoveDuplicateReceipts();

    void UpdateSales();
    void UpdatePayments();
    void UpdateCurrentSales();
    void UpdateRefunds();
    void UpdateRetainedEarnings();
    void UpdatePatientBalance();
    void UpdateUndepositedFunds();
    void UpdateDeposits();

    // Writes one ledger row and adds its amount, by the account's normal
    // side, to the account's accumulator.
    void UpdateLedgerTable(const LedgerPostings::TLedgerRow& Row);
    // Adds Amount to the account's BALANCE; an account not in the chart is skipped.
    void UpdateAccountsTable(const std::string& Account, Currency Amount);

    // What the run added to account 1..8 so far.
    Currency Accumulator(int Account) const { return accumulators_.at(Account - 1); }

    // Heard when a step starts, with the step's label text.
    std::function<void(const std::string& Step)> OnStepStarted;

private:
    struct TKeptBooks;
    void startStep(const std::string& Label);
    void addProgress(int Value);
    // The run after the indexes and the checks; throws on failure.
    void rebuildBooks(TKeptBooks& Kept);
    TKeptBooks keepAside();
    void putBack(const TKeptBooks& Kept);
    // Rows of one receipt as the receipt writer posts them; earlier-year
    // sales to retained earnings.
    void postReceipt(bool EarlierYear);
    void postPayment(bool Refunds);

    // The program's data module, as it is when the run starts.
    static TDataModule1& module();
    std::array<Currency, 8> accumulators_{};
    int progress_ = 0;
    std::string yearStart_;
};

// Makes TRebuildAccountBalances known by class name.
void registerRebuildAccountBalances();
