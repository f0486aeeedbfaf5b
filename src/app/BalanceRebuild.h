#pragma once
// What the main menu asks of the account-balance rebuild window, which it
// opens by class name ("TRebuildAccountBalances"): once the window is made,
// the menu starts the run.
class TBalanceRebuild {
public:
    virtual ~TBalanceRebuild() = default;
    // Builds the ledger and every balance anew.
    virtual void Rebuild() = 0;
};
