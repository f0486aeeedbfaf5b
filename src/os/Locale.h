#pragma once
// The regional settings the program reads from the system.
#include <string>

namespace os {

// Short date pattern in the class library's notation: "M/d/yyyy" by default,
// QUENMARK_SHORTDATE overrides it.
std::string ShortDateFormat();
char DateSeparator();
char DecimalSeparator();
char ThousandSeparator();
std::string CurrencySymbol();

}  // namespace os
