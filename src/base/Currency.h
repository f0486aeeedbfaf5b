#pragma once
// Money as a fixed-point number: a 64-bit count of ten-thousandths, so sums
// of amounts are exact and never drift as binary fractions do.
#include <compare>
#include <concepts>
#include <cstdint>
#include <string>

class Currency {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Currency() noexcept = default;
    // Rounds to the nearest ten-thousandth, halves to even (the processor's
    // default rounding); EOverflow outside the range, EInvalidOp for NaN.
    Currency(double Value);
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    Currency(T Value) : raw_(fromWhole(static_cast<int64_t>(Value))) {}

    static constexpr Currency FromRaw(int64_t Raw) noexcept {
        Currency c;
        c.raw_ = Raw;
        return c;
    }
    constexpr int64_t Raw() const noexcept { return raw_; }
    double ToDouble() const noexcept { return static_cast<double>(raw_) / Scale; }
    explicit operator double() const noexcept { return ToDouble(); }

    friend constexpr auto operator<=>(const Currency&, const Currency&) = default;

    Currency operator-() const;
    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);
    // Products and quotients of two amounts are exact, rounded to the
    // nearest ten-thousandth with halves away from zero.
    friend Currency operator*(Currency a, Currency b);
    friend Currency operator/(Currency a, Currency b);
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    friend Currency operator*(Currency a, T b) { return a * Currency(b); }
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    friend Currency operator*(T a, Currency b) { return Currency(a) * b; }
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    friend Currency operator/(Currency a, T b) { return a / Currency(b); }
    // With a floating-point factor the result is floating point, as in the
    // class library; assigning it back to Currency rounds it.
    friend double operator*(Currency a, double b) { return a.ToDouble() * b; }
    friend double operator*(double a, Currency b) { return a * b.ToDouble(); }
    friend double operator/(Currency a, double b) { return a.ToDouble() / b; }

    Currency& operator+=(Currency b) { return *this = *this + b; }
    Currency& operator-=(Currency b) { return *this = *this - b; }
    Currency& operator*=(Currency b) { return *this = *this * b; }
    Currency& operator/=(Currency b) { return *this = *this / b; }

private:
    static int64_t fromWhole(int64_t whole);
    int64_t raw_ = 0;
};

// Text of the value with as many decimals as it needs ("1234.5", "-0.0001").
std::string CurrToStr(Currency Value);
// FormatFloat's pattern language applied to the exact decimal value.
std::string FormatCurr(const std::string& Format, Currency Value);
// Reads a decimal text; more than four decimals round to the nearest
// ten-thousandth, halves to even. EConvertError on bad text.
Currency StrToCurr(const std::string& S);
bool TryStrToCurr(const std::string& S, Currency& Value);
