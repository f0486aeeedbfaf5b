#include "base/Currency.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "base/Exceptions.h"
#include "base/SysUtils.h"

namespace {

[[noreturn]] void overflow() { throw EOverflow("Floating point overflow"); }

int64_t checked(__int128 v) {
    if (v > std::numeric_limits<int64_t>::max() || v < std::numeric_limits<int64_t>::min()) overflow();
    return static_cast<int64_t>(v);
}

// n / d rounded to the nearest integer, halves away from zero.
__int128 divideRounded(__int128 n, __int128 d) {
    __int128 q = n / d;
    __int128 r = n % d;
    if (r < 0) r = -r;
    __int128 ad = d < 0 ? -d : d;
    if (2 * r >= ad) q += ((n < 0) != (d < 0)) ? -1 : 1;
    return q;
}

}  // namespace

int64_t Currency::fromWhole(int64_t whole) { return checked(static_cast<__int128>(whole) * Scale); }

Currency::Currency(double Value) {
    if (std::isnan(Value)) throw EInvalidOp("Invalid floating point operation");
    // Scaled in extended precision, so the product does not pick up a
    // rounding of its own before the final one.
    long double scaled = static_cast<long double>(Value) * Scale;
    if (!(std::fabs(scaled) < 9223372036854775807.0L)) overflow();
    raw_ = static_cast<int64_t>(std::nearbyintl(scaled));
}

Currency Currency::operator-() const { return FromRaw(checked(-static_cast<__int128>(raw_))); }

Currency operator+(Currency a, Currency b) {
    return Currency::FromRaw(checked(static_cast<__int128>(a.raw_) + b.raw_));
}

Currency operator-(Currency a, Currency b) {
    return Currency::FromRaw(checked(static_cast<__int128>(a.raw_) - b.raw_));
}

Currency operator*(Currency a, Currency b) {
    return Currency::FromRaw(checked(divideRounded(static_cast<__int128>(a.raw_) * b.raw_, Currency::Scale)));
}

Currency operator/(Currency a, Currency b) {
    if (b.raw_ == 0) throw EZeroDivide("Floating point division by zero");
    return Currency::FromRaw(checked(divideRounded(static_cast<__int128>(a.raw_) * Currency::Scale, b.raw_)));
}

std::string CurrToStr(Currency Value) { return FloatRecToStrF(CurrToDecimal(Value), ffGeneral, 19, 0); }

std::string FormatCurr(const std::string& Format, Currency Value) {
    return FormatFloatRec(Format, CurrToDecimal(Value));
}

bool TryStrToCurr(const std::string& S, Currency& Value) {
    size_t i = 0, n = S.size();
    while (i < n && S[i] == ' ') ++i;
    while (n > i && S[n - 1] == ' ') --n;
    bool negative = false;
    if (i < n && (S[i] == '-' || S[i] == '+')) negative = S[i++] == '-';
    std::string digits;
    int decimals = 0;
    bool point = false;
    for (; i < n && S[i] != 'e' && S[i] != 'E'; ++i) {
        char c = S[i];
        if (c >= '0' && c <= '9') {
            if (!(digits.empty() && c == '0')) digits += c;
            if (point) ++decimals;
        } else if (c == DecimalSeparator && !point) {
            point = true;
        } else {
            return false;
        }
    }
    bool anyDigit = false;
    for (size_t k = 0; k < i; ++k)
        if (S[k] >= '0' && S[k] <= '9') anyDigit = true;
    if (!anyDigit) return false;
    int exponent = 0;
    if (i < n) {
        ++i;
        bool expNegative = false;
        if (i < n && (S[i] == '-' || S[i] == '+')) expNegative = S[i++] == '-';
        if (i >= n) return false;
        for (; i < n; ++i) {
            if (S[i] < '0' || S[i] > '9') return false;
            exponent = std::min(exponent * 10 + (S[i] - '0'), 100000);
        }
        if (expNegative) exponent = -exponent;
    }
    // Leading zeros were dropped, so the digits' own count bounds the value.
    int shift = exponent - decimals + 4;  // power of ten that makes the raw value
    if (digits.empty()) {
        Value = Currency();
        return true;
    }
    if (shift >= 0) {
        if (static_cast<int>(digits.size()) + shift > 19) return false;
        digits.append(shift, '0');
        shift = 0;
    }
    size_t cut = static_cast<size_t>(-shift);  // digits below a ten-thousandth
    __int128 raw = 0;
    if (cut <= digits.size()) {
        size_t keep = digits.size() - cut;
        if (keep > 19) return false;
        for (size_t k = 0; k < keep; ++k) raw = raw * 10 + (digits[k] - '0');
        if (cut > 0) {
            // Halves go to the even neighbour, as a converted float would.
            int first = digits[keep] - '0';
            bool rest = digits.find_first_not_of('0', keep + 1) != std::string::npos;
            if (first > 5 || (first == 5 && (rest || raw % 2 == 1))) ++raw;
        }
    }
    if (negative) raw = -raw;
    if (raw > std::numeric_limits<int64_t>::max() || raw < std::numeric_limits<int64_t>::min()) return false;
    Value = Currency::FromRaw(static_cast<int64_t>(raw));
    return true;
}

Currency StrToCurr(const std::string& S) {
    Currency v;
    if (!TryStrToCurr(S, v)) throw EConvertError("'" + S + "' is not a valid floating point value");
    return v;
}
