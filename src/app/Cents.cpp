#include "app/Cents.h"

#include <cstdlib>

#include "app/AppUtils.h"
#include "data/Fields.h"

namespace Cents {

namespace {

// Divides rounding halves away from zero.
int64_t divideRounded(__int128 value, int64_t divisor) {
    const bool negative = value < 0;
    if (negative)
        value = -value;
    __int128 q = (value + divisor / 2) / divisor;
    return static_cast<int64_t>(negative ? -q : q);
}

// Reads an exact decimal text scaled by 10^Decimals; more decimals are refused.
std::optional<int64_t> scaledText(std::string text, int Decimals) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    bool negative = false;
    size_t i = 0;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    int64_t whole = 0, frac = 0;
    int fracDigits = 0;
    bool point = false, digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        digits = true;
        if (point) {
            if (++fracDigits > Decimals) {
                if (c != '0')
                    return std::nullopt;
                continue;
            }
            frac = frac * 10 + (c - '0');
        } else {
            if (whole > 1000000000000LL)
                return std::nullopt;
            whole = whole * 10 + (c - '0');
        }
    }
    if (!digits)
        return std::nullopt;
    for (; fracDigits < Decimals; ++fracDigits)
        frac *= 10;
    int64_t scale = 1;
    for (int d = 0; d < Decimals; ++d)
        scale *= 10;
    const int64_t value = whole * scale + frac;
    return negative ? -value : value;
}

}  // namespace

std::optional<TaxRate> TaxRate::fromPercentText(const std::string& Percent) {
    // A percentage to four decimals is the fraction to six.
    auto scaled = scaledText(Percent, 4);
    if (!scaled)
        return std::nullopt;
    return TaxRate{*scaled};
}

std::optional<TaxRate> TaxRate::fromFractionText(const std::string& Fraction) {
    auto scaled = scaledText(Fraction, 6);
    if (!scaled)
        return std::nullopt;
    return TaxRate{*scaled};
}

std::string TaxRate::fractionText() const {
    const int64_t magnitude = std::llabs(Millionths);
    std::string frac = std::to_string(magnitude % 1000000);
    frac.insert(0, 6 - frac.size(), '0');
    return (Millionths < 0 ? "-" : "") + std::to_string(magnitude / 1000000) + "." + frac;
}

Currency effectiveQuantity(Currency Qty) { return Qty == Currency() ? Currency(1) : Qty; }

Currency toCents(Currency Value) { return Currency::FromRaw(divideRounded(Value.Raw(), 100) * 100); }

Currency lineCost(Currency Price, Currency Qty) {
    // Both in ten-thousandths: the product is exact in 10^-8 before rounding.
    const __int128 product = static_cast<__int128>(Price.Raw()) * effectiveQuantity(Qty).Raw();
    return Currency::FromRaw(divideRounded(product, Currency::Scale * 100) * 100);
}

Currency tax(Currency TaxedAmount, TaxRate Rate) {
    // Ten-thousandths x millionths = 10^-10; cents are 10^8 of those.
    const __int128 product = static_cast<__int128>(TaxedAmount.Raw()) * Rate.Millionths;
    return Currency::FromRaw(divideRounded(product, 100000000) * 100);
}

Currency read(const TField* Field) {
    Currency value;
    const std::string text = Field->AsString();
    if (text.find_first_not_of(' ') == std::string::npos || !TryStrToCurr(text, value))
        return Currency();
    return value;
}

void write(TField* Field, Currency Value) {
    if (auto* number = dynamic_cast<TFloatField*>(Field))
        number->SetAsFloat(Value.ToDouble());
    else
        Field->SetAsString(CurrToStr(Value));
}

bool fits(Currency Value, int Width, int Decimals) {
    int64_t scale = 1;
    for (int d = 0; d < Width - (Decimals > 0 ? Decimals + 1 : 0); ++d)
        scale *= 10;
    // Whole digits available, one taken by a minus sign.
    const int64_t limit = Value < Currency() ? scale / 10 : scale;
    return std::llabs(Value.Raw()) < limit * Currency::Scale;
}

}  // namespace Cents
