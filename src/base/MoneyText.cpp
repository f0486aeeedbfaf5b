#include "base/MoneyText.h"

#include "base/SysUtils.h"

bool tryMoneyTextToCurr(const std::string& S, int MaxDecimals, Currency& Value) {
    const std::string text = Trim(S);
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::string plain;  // sign, digits and decimal separator only
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) plain += text[i++];
    if (!CurrencyString.empty() && text.compare(i, CurrencyString.size(), CurrencyString) == 0)
        i += CurrencyString.size();
    // A separator closes a group: the first of one to three digits, each later one of three.
    int group = 0, wholeDigits = 0;
    bool grouped = false;
    for (; i < text.size() && text[i] != DecimalSeparator; ++i) {
        if (digit(text[i])) {
            plain += text[i];
            ++group;
            ++wholeDigits;
        } else if (text[i] == ThousandSeparator && group > 0 && group <= 3 && (!grouped || group == 3)) {
            grouped = true;
            group = 0;
        } else {
            return false;
        }
    }
    if (grouped && group != 3)
        return false;
    int decimals = 0, significant = 0;
    if (i < text.size()) {
        plain += DecimalSeparator;
        for (++i; i < text.size(); ++i) {
            if (!digit(text[i]))
                return false;
            plain += text[i];
            ++decimals;
            if (text[i] != '0')
                significant = decimals;
        }
    }
    if (wholeDigits + decimals == 0 || significant > MaxDecimals)
        return false;
    return TryStrToCurr(plain, Value);
}
