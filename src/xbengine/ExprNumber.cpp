#include "xbengine/ExprNumber.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace xb {

namespace {

constexpr double PowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The text of a whole number below 10^15 in magnitude, as NumberStr gives it.
std::string WholeNumberStr(double value, int width, int decimals) {
    char text[40];
    char* end = text + sizeof text;
    char* p = end;
    for (int i = 0; i < decimals; ++i)
        *--p = '0';
    if (decimals > 0)
        *--p = '.';
    uint64_t whole = static_cast<uint64_t>(std::fabs(value));
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (value < 0)  // not for -0.0, which prints as 0
        *--p = '-';
    const size_t length = static_cast<size_t>(end - p);
    if (static_cast<int>(length) > width)
        return std::string(static_cast<size_t>(width), '*');
    std::string result(static_cast<size_t>(width) - length, ' ');
    result.append(p, length);
    return result;
}

}  // namespace

double NumberVal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // The digits are gathered as one integer and scaled once, so a stored
    // value such as "  123.45" reads as the double nearest to 123.45.
    uint64_t mantissa = 0;
    int digits = 0;
    int scale = 0;  // digits after the point that went into the mantissa
    int dropped = 0;  // integer digits beyond what the mantissa holds
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        if (digits < 19) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            if (mantissa != 0)
                ++digits;
            if (seenPoint)
                ++scale;
        } else if (!seenPoint) {
            ++dropped;
        }
    }
    double value = static_cast<double>(mantissa);
    if (dropped > 0)
        value *= std::pow(10.0, dropped);
    if (scale > 0)
        value = scale <= 22 ? value / PowersOfTen[scale] : value / std::pow(10.0, scale);
    return negative ? -value : value;
}

std::string NumberStr(double value, int width, int decimals) {
    if (width < 1)
        width = 1;
    if (decimals < 0)
        decimals = 0;
    if (decimals > 15)
        decimals = 15;
    if (!std::isfinite(value))
        return std::string(width, '*');
    // Whole numbers (the usual key of an N field) are exact in a double up
    // to 15 digits: written out directly, without the decimal rounding below.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return WholeNumberStr(value, width, decimals);

    // Fifteen significant digits are what a double carries reliably; the
    // rounding to the decimals is then done on those decimal digits, so 2.675
    // prints as 2.68 as the user wrote it, not as the binary value suggests.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    // value = 0.d1d2...d15 * 10^(exponent + 1); integer digits = exponent + 1.
    int integerDigits = exponent + 1;
    int keep = integerDigits + decimals;  // significant digits that stay
    if (keep < 0) {
        // Smaller than half of the last decimal place: rounds to zero.
        integerDigits = 1;
        digits.assign(static_cast<size_t>(1 + decimals), '0');
    } else {
        bool roundUp = keep < static_cast<int>(digits.size()) && digits[keep] >= '5';
        if (keep < static_cast<int>(digits.size()))
            digits.resize(static_cast<size_t>(keep));
        else
            digits.append(static_cast<size_t>(keep) - digits.size(), '0');
        if (roundUp) {
            int pos = keep - 1;
            while (pos >= 0 && digits[pos] == '9')
                digits[pos--] = '0';
            if (pos >= 0) {
                digits[pos]++;
            } else {
                digits.insert(digits.begin(), '1');
                ++integerDigits;
            }
        }
        // Pad so there is at least one integer digit ("0.05").
        if (integerDigits < 1) {
            digits.insert(0, static_cast<size_t>(1 - integerDigits), '0');
            integerDigits = 1;
        }
    }
    std::string intPart = digits.substr(0, static_cast<size_t>(integerDigits));
    std::string fracPart = digits.substr(static_cast<size_t>(integerDigits));
    size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);
    bool isZero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;

    std::string text;
    if (value < 0 && !isZero)
        text += '-';
    text += intPart;
    if (decimals > 0)
        text += '.' + fracPart;
    if (static_cast<int>(text.size()) > width)
        return std::string(width, '*');
    return std::string(width - text.size(), ' ') + text;
}

}  // namespace xb
