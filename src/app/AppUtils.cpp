#include "app/AppUtils.h"

#include <cmath>
#include <cstdint>

#include "base/Exceptions.h"

namespace AppUtils {

namespace {

long double powerOfTen(int exponent) {
    long double p = 1;
    for (int i = 0; i < exponent; ++i) p *= 10;
    return p;
}

// Int(X) + Int(Frac(X) * 2): the integer part plus one more unit (with X's
// sign) when the fraction is at least a half.
long double roundHalfAway(long double x) {
    long double whole = std::trunc(x);
    return whole + std::trunc((x - whole) * 2);
}

}  // namespace

TDateTime FirstDayOfMonth(TDateTime Date) {
    int year, month, day;
    DecodeDate(Date, year, month, day);
    return EncodeDate(year, month, 1);
}

TDateTime LastDayOfMonth(TDateTime Date) {
    int year, month, day;
    DecodeDate(Date, year, month, day);
    return EncodeDate(year, month, DaysInAMonth(year, month));
}

TDateTime FirstDayOfYear(TDateTime Date) {
    int year, month, day;
    DecodeDate(Date, year, month, day);
    return EncodeDate(year, 1, 1);
}

TDateTime LastDayOfYear(TDateTime Date) {
    int year, month, day;
    DecodeDate(Date, year, month, day);
    return EncodeDate(year, 12, 31);
}

std::string PadLeft(const std::string& S, int Width) {
    if (Width <= static_cast<int>(S.size())) return S;
    return std::string(Width - S.size(), ' ') + S;
}

std::string PadRight(const std::string& S, int Width) {
    if (Width <= static_cast<int>(S.size())) return S;
    return S + std::string(Width - S.size(), ' ');
}

std::string FixedColumnText(std::string S) {
    for (char& c : S)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f') c = ' ';
    return S;
}

double RoundTo(int Decimals, double Value) {
    // Scaling down divides by an exact power of ten rather than multiplying
    // by an inexact 0.1, 0.01, ...
    if (Decimals >= 0) {
        long double p = powerOfTen(Decimals);
        return static_cast<double>(roundHalfAway(static_cast<long double>(Value) * p) / p);
    }
    long double p = powerOfTen(-Decimals);
    return static_cast<double>(roundHalfAway(static_cast<long double>(Value) / p) * p);
}

Currency RoundTo(int Decimals, Currency Value) {
    constexpr int currencyDecimals = 4;
    if (Decimals >= currencyDecimals) return Value;
    // Wide arithmetic, so any count of places works and only a result past
    // the largest amount fails, as any other overflow does.
    using wide = __int128;
    int unitDigits = currencyDecimals - Decimals;
    if (unitDigits > 20) return Currency();  // every amount is below half of 10^20
    wide unit = 1;
    for (int i = 0; i < unitDigits; ++i) unit *= 10;

    wide raw = Value.Raw();
    wide quotient = raw / unit, remainder = raw % unit;
    wide magnitude = remainder < 0 ? -remainder : remainder;
    if (magnitude * 2 >= unit) quotient += raw < 0 ? -1 : 1;
    wide rounded = quotient * unit;
    if (rounded > INT64_MAX || rounded < INT64_MIN) throw EOverflow("Floating point overflow");
    return Currency::FromRaw(static_cast<int64_t>(rounded));
}

}  // namespace AppUtils
