#include "os/Locale.h"

#include <cctype>
#include <cstdlib>

namespace os {

std::string ShortDateFormat() {
    if (const char* env = std::getenv("QUENMARK_SHORTDATE"); env && *env)
        return env;
    return "M/d/yyyy";
}

// The separator is the first character of the short date pattern that is
// not a letter, so an overriding pattern such as "dd.MM.yyyy" brings its own.
char DateSeparator() {
    for (char c : ShortDateFormat())
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != ' ')
            return c;
    return '/';
}

char DecimalSeparator() { return '.'; }

char ThousandSeparator() { return ','; }

std::string CurrencySymbol() { return "$"; }

}  // namespace os
