#pragma once
// The running totals of the receipt on screen. Each line counts with its
// amount and whether it is taxed, kept by its record number in the line
// table; a change of a line replaces its old count, so the totals follow
// every edit without reading the lines again. The tax is the rate times the
// taxed lines' amounts, rounded once to cents (Cents), so what the screen
// shows is what the save stores and the ledger posts.
#include <map>
#include <string>

#include "app/Cents.h"

class TReceiptTotals {
public:
    // Forgets every line (a new or freshly opened receipt).
    void Clear() { lines_.clear(); }
    // The line at RecNo now counts with Cost, taxed or not.
    void SetLine(int RecNo, Currency Cost, bool Taxed) { lines_[RecNo] = {Cost, Taxed}; }
    // The line at RecNo no longer counts (removed from the receipt).
    void RemoveLine(int RecNo) { lines_.erase(RecNo); }
    // The line at RecNo counts as taxed or not; nothing for a line not counted.
    void SetTaxed(int RecNo, bool Taxed);

    Cents::TaxRate Rate() const { return rate_; }
    // Re-taxes the taxed lines at Rate; untaxed lines stay untaxed.
    void SetRate(Cents::TaxRate Rate) { rate_ = Rate; }

    Currency SubTotal() const;
    Currency Taxed() const;
    Currency Tax() const { return Cents::tax(Taxed(), rate_); }
    Currency Total() const { return SubTotal() + Tax(); }

    // The texts of the totals panel: amounts as "%8.2m", the rate caption as
    // "Tax " + "%0.6g" of the percentage + "%".
    static std::string MoneyText(Currency Value);
    std::string RateCaption() const;

private:
    struct Line {
        Currency Cost;
        bool Taxed = false;
    };
    std::map<int, Line> lines_;
    Cents::TaxRate rate_;
};
