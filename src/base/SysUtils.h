#pragma once
// String and number routines of the class library, with its format settings
// and its conversion error texts.
#include <array>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "base/Currency.h"

// ---- Format settings (US defaults; the short date pattern and its
// separator come from the system's regional settings) ----
extern std::string ShortDateFormat;
extern std::string LongDateFormat;
extern std::string ShortTimeFormat;
extern std::string LongTimeFormat;
extern char DateSeparator;
extern char TimeSeparator;
extern std::string TimeAMString;
extern std::string TimePMString;
extern char DecimalSeparator;
extern char ThousandSeparator;
extern std::string CurrencyString;
extern int CurrencyFormat;    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
extern int NegCurrFormat;     // 0 "($1)", 1 "-$1", ... 15 "(1 $)"
extern int CurrencyDecimals;
// Two-digit years read from text fall in the hundred years that begin this
// many years before the current year: 80, the default, reaches 19 years
// ahead (in 2026: 1946-2045), so birth years of the 1950s stay in the past
// and near due dates of this century stay in it. 0 or less: the current
// century.
extern int TwoDigitYearCenturyWindow;
extern std::array<std::string, 12> ShortMonthNames;
extern std::array<std::string, 12> LongMonthNames;
extern std::array<std::string, 7> ShortDayNames;  // Sunday first
extern std::array<std::string, 7> LongDayNames;

// ---- Format's argument list ----
// One argument of Format: an integer, a floating-point value, a currency
// amount, a text, a character or a pointer.
struct TVarRec {
    enum Kind { vtInteger, vtInt64, vtExtended, vtCurrency, vtString, vtChar, vtPointer };

    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    TVarRec(T v) : VType(sizeof(T) <= 4 ? vtInteger : vtInt64), VInt64(static_cast<int64_t>(v)) {}
    template <std::floating_point T>
    TVarRec(T v) : VType(vtExtended), VExtended(static_cast<double>(v)) {}
    TVarRec(Currency v) : VType(vtCurrency), VCurrency(v) {}
    TVarRec(const char* v) : VType(vtString), VString(v ? v : "") {}
    TVarRec(std::string v) : VType(vtString), VString(std::move(v)) {}
    TVarRec(std::string_view v) : VType(vtString), VString(v) {}
    TVarRec(char v) : VType(vtChar), VChar(v) {}
    TVarRec(const void* v) : VType(vtPointer), VPointer(v) {}
    TVarRec(bool) = delete;  // no format specifier takes a Boolean

    Kind VType;
    int64_t VInt64 = 0;
    double VExtended = 0;
    Currency VCurrency;
    std::string VString;
    char VChar = 0;
    const void* VPointer = nullptr;
};

// %[index:][-][width][.precision]type with the types d u e f g n m p s x;
// width and precision may be "*" (taken from the arguments). EConvertError
// when a specifier does not fit its argument or an argument is missing.
std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args = {});
std::string Format(const std::string& Fmt, const std::vector<TVarRec>& Args);

// ---- Numbers as text ----
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// A number as decimal digits: 0.Digits x 10^Exponent. Empty Digits is zero;
// Digits never ends in '0'.
struct TFloatRec {
    int Exponent = 0;
    bool Negative = false;
    std::string Digits;
};

// The value rounded to Precision significant digits, halves away from zero.
TFloatRec FloatToDecimal(double Value, int Precision);
// The exact digits of an amount.
TFloatRec CurrToDecimal(Currency Value);
// FloatToStrF and FormatFloat over an exact decimal value.
std::string FloatRecToStrF(const TFloatRec& Value, TFloatFormat Format, int Precision, int Digits);
std::string FormatFloatRec(const std::string& Format, const TFloatRec& Value);

// Doubles are read as their 15 significant digits first, so 1.005 shows as
// 1.01 at two decimals; rounding is always half away from zero.
std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
std::string FloatToStr(double Value);
// Patterns of up to three sections (positive;negative;zero) with 0 # . ,
// E+00 E-00, quoted text and literal characters.
std::string FormatFloat(const std::string& Format, double Value);
std::string CurrToStrF(Currency Value, TFloatFormat Format, int Digits);

std::string IntToStr(int64_t Value);
std::string IntToHexBits(uint64_t Value, int Digits);
// Two's complement of the value's own width: IntToHex(-1, 4) is "FFFFFFFF".
template <std::integral T>
std::string IntToHex(T Value, int Digits) {
    return IntToHexBits(static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(Value)), Digits);
}

// Decimal, or hexadecimal after "$" or "0x"; leading blanks and a sign are
// allowed. EConvertError "'%s' is not a valid integer value".
int StrToInt(const std::string& S);
int StrToIntDef(const std::string& S, int Default);
bool TryStrToInt(const std::string& S, int& Value);
// Digits with at most one DecimalSeparator and an optional exponent,
// blanks around. EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const std::string& S);
bool TryStrToFloat(const std::string& S, double& Value);

// ---- Strings ----
std::string Trim(const std::string& S);       // removes blanks and control characters
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);
std::string UpperCase(std::string S);  // a-z only
std::string LowerCase(const std::string& S);
std::string AnsiUpperCase(const std::string& S);  // with the accented letters of Windows-1252
// Case-insensitive (a-z) comparison: below, at or above zero.
int CompareText(const std::string& S1, const std::string& S2);
bool SameText(const std::string& S1, const std::string& S2);
// 1-based position of SubStr in S, 0 when absent or SubStr is empty.
int Pos(const std::string& SubStr, const std::string& S);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = int;
std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, TReplaceFlags Flags);
std::string QuotedStr(const std::string& S);
