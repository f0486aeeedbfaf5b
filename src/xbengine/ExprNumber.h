#pragma once
// Numbers as xBase reads and prints them: the text of N fields and val(),
// and the right-aligned, rounded text of str().
#include <string>
#include <string_view>

namespace xb {

// Reads a number the way val() does: leading blanks, an optional sign, digits
// and one decimal point; reading stops at the first other character. Text
// without digits is 0.
double NumberVal(std::string_view text);

// str(value, width, decimals): rounded half away from zero to the decimals,
// right-aligned in blanks; a text that does not fit the width is width "*"s.
std::string NumberStr(double value, int width, int decimals);

}  // namespace xb
