#pragma once
// The side of an account in the trial balance, one rule for the trial
// balance report and the end-of-day check. An account whose DC is exactly
// "D" is of debit type; any other DC (blank, "C", lower case "d") is of
// credit type. A debit-type account stands under Debit while its balance is
// not negative and under Credit with the negated balance otherwise; a
// credit-type account the other way round. The amount is never negative.
#include <string>

#include "base/Currency.h"

enum class TBalanceSide { Debit, Credit };

struct TAccountSide {
    bool DebitType = false;
    TBalanceSide Side = TBalanceSide::Debit;
    Currency Amount;
};

TAccountSide accountSide(const std::string& DC, Currency Balance);

// Debits and credits of a chart of accounts added up side by side.
struct TSideTotals {
    Currency Debits, Credits;

    void Add(const TAccountSide& Account);
    bool Balanced() const { return Debits == Credits; }
};
