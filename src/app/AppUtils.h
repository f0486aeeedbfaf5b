#pragma once
// Small helpers used all over the program: the bounds of a month or year for
// report date ranges, blank padding for fixed-width keys and columns, and
// decimal rounding for amounts shown on forms.
#include <string>

#include "base/Currency.h"
#include "base/DateTime.h"

namespace AppUtils {

// The time of day is dropped; the results are at midnight.
TDateTime FirstDayOfMonth(TDateTime Date);
TDateTime LastDayOfMonth(TDateTime Date);
TDateTime FirstDayOfYear(TDateTime Date);
TDateTime LastDayOfYear(TDateTime Date);

// Blanks in front of / after the text up to Width characters; a text that is
// already as long or longer comes back unchanged, never cut.
std::string PadLeft(const std::string& S, int Width);
std::string PadRight(const std::string& S, int Width);
// The text as a fixed-column file takes it: each control character (a tab
// or line break typed or pasted into a field) becomes a blank, so the value
// keeps its columns and the file its lines.
std::string FixedColumnText(std::string S);

// Rounds to Decimals places (negative: to tens, hundreds, ...), halves away
// from zero. The value is scaled in extended precision, so a decimal half that
// binary floating point holds just below the half (1.005) rounds down.
double RoundTo(int Decimals, double Value);
// The same rounding done exactly on the amount's ten-thousandths, so money
// never passes through binary fractions: 1.005 rounds to 1.01.
Currency RoundTo(int Decimals, Currency Value);

}  // namespace AppUtils
