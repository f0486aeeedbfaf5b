#include "reports/AccountSide.h"

TAccountSide accountSide(const std::string& DC, Currency Balance) {
    TAccountSide account;
    account.DebitType = DC == "D";
    const bool negative = Balance < Currency(0);
    const bool onDebit = account.DebitType != negative;
    account.Side = onDebit ? TBalanceSide::Debit : TBalanceSide::Credit;
    account.Amount = negative ? -Balance : Balance;
    return account;
}

void TSideTotals::Add(const TAccountSide& Account) {
    (Account.Side == TBalanceSide::Debit ? Debits : Credits) += Account.Amount;
}
