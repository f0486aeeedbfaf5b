#pragma once
// The one rule for money typed as text, shared by every money field and edit.
#include <string>

#include "base/Currency.h"

// Money as a person types it, the one rule of every money field and edit:
// blanks around it, an optional leading sign, an optional CurrencyString,
// digits with ThousandSeparator only between whole groups of three
// ("1,234.56"), and at most one DecimalSeparator followed by no more than
// MaxDecimals significant digits. False for anything else ("12,34", "1,2,3",
// "1e9", "-0.005" with 2 decimals, "", "abc"); Value is then untouched.
bool tryMoneyTextToCurr(const std::string& S, int MaxDecimals, Currency& Value);
