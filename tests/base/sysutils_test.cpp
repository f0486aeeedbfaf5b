#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "base/SysUtils.h"

namespace {

// Puts the number and money settings back after a test that changes them.
class NumberSettings : public ::testing::Test {
protected:
    void TearDown() override {
        DecimalSeparator = decimal_;
        ThousandSeparator = thousand_;
        CurrencyString = currency_;
        CurrencyFormat = currencyFormat_;
        NegCurrFormat = negCurrFormat_;
        CurrencyDecimals = currencyDecimals_;
    }

private:
    char decimal_ = DecimalSeparator;
    char thousand_ = ThousandSeparator;
    std::string currency_ = CurrencyString;
    int currencyFormat_ = CurrencyFormat;
    int negCurrFormat_ = NegCurrFormat;
    int currencyDecimals_ = CurrencyDecimals;
};

std::string convertErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "(no EConvertError)";
}

struct FormatCase {
    const char* format;
    std::vector<TVarRec> args;
    const char* expected;
};

TEST(Format, SpecifiersWidthPrecisionAndIndexes) {
    const FormatCase cases[] = {
        {"%d", {42}, "42"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%.4d", {-12}, "-0012"},
        {"%d", {int64_t{9000000000}}, "9000000000"},
        {"%u", {-1}, "4294967295"},
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {int64_t{-1}}, "FFFFFFFFFFFFFFFF"},
        {"%s has %d items", {"Box", 3}, "Box has 3 items"},
        {"%s", {std::string("text")}, "text"},
        {"%s", {'x'}, "x"},
        {"%.3s|%-4s|%4s", {"abcdef", "ab", "ab"}, "abc|ab  |  ab"},
        {"%*d", {5, 42}, "   42"},
        {"%-*.*f|", {8, 1, 2.25}, "2.3     |"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"100%% of %d", {7}, "100% of 7"},
        {"%f", {2.0}, "2.00"},
        {"%.2f", {1.005}, "1.01"},
        {"%.2f", {-0.001}, "0.00"},
        {"%.0f", {-2.5}, "-3"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e", {-0.000123}, "-1.23E-004"},
        {"%g", {0.5}, "0.5"},
        {"%0.6g", {8.25}, "8.25"},
        {"%.3g", {1234.0}, "1.23E003"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-1234.5}, "-1,235"},
        {"%8.2m", {5.0}, "   $5.00"},
        {"%8.2m", {1234.56}, "$1,234.56"},
        {"%8.2m", {-1234.56}, "($1,234.56)"},
        {"%m", {Currency::FromRaw(1250)}, "$0.13"},
        {"%m", {Currency::FromRaw(-50)}, "($0.01)"},
        {"%.4f", {Currency::FromRaw(-12345)}, "-1.2345"},
        {"%D %S", {1, "s"}, "1 s"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(Format(c.format, c.args), c.expected) << c.format;
}

TEST(Format, BadSpecifiersAndMissingArgumentsRaiseConvertError) {
    const FormatCase bad[] = {
        {"%d", {"x"}, ""},   {"%s", {1}, ""},      {"%f", {1}, ""},      {"%d", {1.5}, ""},
        {"%m", {7}, ""},     {"%q", {1}, ""},      {"value %5", {1}, ""}, {"%*d", {"a", 1}, ""},
        {"%p", {1}, ""},     {"%x", {Currency(1)}, ""},
    };
    for (const FormatCase& c : bad)
        EXPECT_EQ(convertErrorText([&] { Format(c.format, c.args); }),
                  std::string("Format '") + c.format + "' invalid or incompatible with argument")
            << c.format;
    EXPECT_EQ(convertErrorText([] { Format("%d and %d", {1}); }), "No argument for format '%d and %d'");
    EXPECT_EQ(convertErrorText([] { Format("%2:d", {1, 2}); }), "No argument for format '%2:d'");
}

TEST_F(NumberSettings, FormatFollowsTheSeparatorAndCurrencySettings) {
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    CurrencyString = "EUR";
    CurrencyFormat = 3;
    NegCurrFormat = 8;
    EXPECT_EQ(Format("%n", {1234.5}), "1.234,50");
    EXPECT_EQ(Format("%m", {1234.5}), "1.234,50 EUR");
    EXPECT_EQ(Format("%m", {-1.5}), "-1,50 EUR");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
    EXPECT_EQ(FloatToStr(0.25), "0,25");
    EXPECT_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
}

TEST_F(NumberSettings, NegativeCurrencyLayouts) {
    struct Case {
        int negFormat;
        const char* expected;
    } cases[] = {{0, "($1.50)"}, {1, "-$1.50"}, {3, "$1.50-"}, {5, "-1.50$"}, {12, "$ -1.50"}, {15, "(1.50 $)"}};
    for (const Case& c : cases) {
        NegCurrFormat = c.negFormat;
        EXPECT_EQ(FloatToStrF(-1.5, ffCurrency, 15, 2), c.expected) << c.negFormat;
    }
}

TEST(FormatFloat, PatternsSectionsAndRounding) {
    struct Case {
        const char* format;
        double value;
        const char* expected;
    } cases[] = {
        {"0", 0.5, "1"},
        {"0", -0.5, "-1"},
        {"0", 2.5, "3"},
        {"0.00", 1234, "1234.00"},
        {"0.00", 1.005, "1.01"},
        {"0.00", 2.675, "2.68"},
        {"0.00", 0.125, "0.13"},
        {"0.00", -0.125, "-0.13"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0.00", -1234, "-1,234.00"},
        {"#,##0.00", 0, "0.00"},
        {"#.##", 0, ""},
        {"#.##", 0.5, ".5"},
        {"#.##", 1234, "1234"},
        {"#,###.##", 1234.5, "1,234.5"},
        {"$##,##0.00", 1234567, "$1,234,567.00"},
        {"000-0000", 1234567, "123-4567"},
        {"0.00;(0.00)", -1.5, "(1.50)"},
        {"0.00;(0.00)", 1.5, "1.50"},
        {"#,##0.00;;Zero", 0, "Zero"},
        {"###,##0.00;;0", 0, "0"},
        {"###,###,##0.00;;0", 1234.5, "1,234.50"},
        {"$#,##0.00;; ", 0, " "},
        {"$#,##0.00;; ", -5, "-$5.00"},
        {"####0.00;; ", 0.004, " "},
        {"0.00;(0.00);zero", -0.001, "zero"},
        {"0.00;(0.00)", -0.001, "0.00"},
        {"0.000E+00", 1234, "1.234E+03"},
        {"0.000E+00", 0.5, "5.000E-01"},
        {"0.000E+00", 0, "0.000E+00"},
        {"#.###E-0", 1234, "1.234E3"},
        {"#.###E-0", 0.5, "5E-1"},
        {"\"Total: \"0.00", 2.5, "Total: 2.50"},
        {"'#'0", 7, "#7"},
        {"0.00 \"a;b\"", 1, "1.00 a;b"},
        {"", 1234.5, "1234.5"},
        {"0", 1e15, "1000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST(FloatToStr, GeneralFormatSwitchesToScientificAtTheEnds) {
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {0, "0"},        {100, "100"},     {1234.5, "1234.5"},     {-0.1, "-0.1"},
        {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"}, {0.0001, "0.0001"}, {0.00001, "1E-5"},
        {1e20, "1E20"},  {123456789012345.0, "123456789012345"}, {1234567890123456.0, "1.23456789012346E15"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.expected) << c.expected;
}

// Digits come from the exact binary value, rounded half away from zero:
// 2.675 is stored just below it and 0.125 exactly.
TEST(FloatToDecimal, RoundsTheExactValueToThePrecision) {
    struct Case {
        double value;
        int precision;
        const char* digits;
        int exponent;
    } cases[] = {
        {125.5, 15, "1255", 3},  {-0.001, 15, "1", -2},     {0.1 + 0.2, 15, "3", 0},
        {2.675, 3, "267", 1},    {1.005, 3, "1", 1},        {0.125, 2, "13", 0},
        {1.0 / 3, 15, "333333333333333", 0},                {9.9999999999999999e22, 15, "1", 24},
        {123456789012345.0, 15, "123456789012345", 15},     {1234567890123456.0, 15, "123456789012346", 16},
    };
    for (const Case& c : cases) {
        const TFloatRec r = FloatToDecimal(c.value, c.precision);
        EXPECT_EQ(r.Digits, c.digits) << c.value;
        EXPECT_EQ(r.Exponent, c.exponent) << c.value;
        EXPECT_EQ(r.Negative, c.value < 0) << c.value;
    }
}

TEST(FloatToStrF, EachFloatFormat) {
    EXPECT_EQ(FloatToStrF(1234.5, ffFixed, 15, 2), "1234.50");
    EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 1), "1,234.5");
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), "($1,234.50)");
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 5, 2), "1.2345E+03");
    EXPECT_EQ(FloatToStrF(0.5, ffGeneral, 15, 0), "0.5");
    EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1E20");
    EXPECT_EQ(FloatToStrF(1.0 / 0.0, ffFixed, 15, 2), "INF");
}

TEST(Conversions, IntegersAndTheirErrorText) {
    struct Good {
        const char* text;
        int value;
    } good[] = {{"42", 42},   {"  -7", -7},       {"+5", 5},          {"$FF", 255},
                {"0x1f", 31}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"$FFFFFFFF", -1}};
    for (const Good& g : good) EXPECT_EQ(StrToInt(g.text), g.value) << g.text;

    const char* bad[] = {"", "-", "1.5", "12a", "42 ", "2147483648", "-2147483649", "$", "1e3"};
    for (const char* text : bad) {
        EXPECT_EQ(convertErrorText([&] { StrToInt(text); }), std::string("'") + text + "' is not a valid integer value");
        EXPECT_EQ(StrToIntDef(text, -99), -99) << text;
    }
    EXPECT_EQ(IntToStr(-1234567890123LL), "-1234567890123");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 4), "FFFFFFFF");
    EXPECT_EQ(IntToHex(uint16_t{0xABC}, 0), "ABC");
}

TEST(Conversions, FloatsAndTheirErrorText) {
    struct Good {
        const char* text;
        double value;
    } good[] = {{"1.5", 1.5}, {" -2.25 ", -2.25}, {"1e3", 1000}, {"1.5E-2", 0.015}, {".5", 0.5}, {"5.", 5}, {"+0", 0}};
    for (const Good& g : good) EXPECT_DOUBLE_EQ(StrToFloat(g.text), g.value) << g.text;

    const char* bad[] = {"", "  ", "1.2.3", "abc", "1,5", "1e", "-", ".", "1 2", "inf", "nan", "1e999"};
    for (const char* text : bad)
        EXPECT_EQ(convertErrorText([&] { StrToFloat(text); }),
                  std::string("'") + text + "' is not a valid floating point value");
}

// Short decimals take a quicker road than strtod; both must give the same
// double to the last bit, on either side of the 15-digit boundary.
TEST(Conversions, DecimalsReadExactlyAsTheCLibraryReadsThem) {
    std::mt19937_64 random(58);
    for (int digits = 1; digits <= 17; ++digits)
        for (int trial = 0; trial < 400; ++trial) {
            std::string text;
            for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
            text.insert(random() % (text.size() + 1), ".");
            if (trial % 3 == 0) text.insert(0, "-");
            double value = 0;
            ASSERT_TRUE(TryStrToFloat(text, value)) << text;
            const double expected = std::strtod(text.c_str(), nullptr);
            EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
        }
    double negativeZero = 1;
    ASSERT_TRUE(TryStrToFloat("-0.00", negativeZero));
    EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(Strings, TrimCaseAndSearch) {
    EXPECT_EQ(Trim(" \t ab c \r\n"), "ab c");
    EXPECT_EQ(TrimLeft("  ab  "), "ab  ");
    EXPECT_EQ(TrimRight("  ab  "), "  ab");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(UpperCase("abc \xe9"), "ABC \xe9");  // plain upper case leaves accented letters
    EXPECT_EQ(LowerCase("ABC \xc9"), "abc \xc9");
    EXPECT_EQ(AnsiUpperCase("caf\xe9 \x9c\xff"), "CAF\xc9 \x8c\x9f");
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_EQ(CompareText("Smith", "SMITH"), 0);
    EXPECT_TRUE(SameText("Sales Tax", "sales tax"));
    EXPECT_FALSE(SameText("Sales", "Sale"));
    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("h", "hello"), 1);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(Pos("", "hello"), 0);
    EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
    EXPECT_EQ(QuotedStr(""), "''");
}

TEST(Strings, StringReplaceFlags) {
    struct Case {
        const char* text;
        const char* from;
        const char* to;
        TReplaceFlags flags;
        const char* expected;
    } cases[] = {
        {"a-b-c", "-", "+", 0, "a+b-c"},
        {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
        {"Abc abc", "abc", "x", rfReplaceAll, "Abc x"},
        {"Abc abc", "ABC", "x", rfReplaceAll | rfIgnoreCase, "x x"},
        {"aaa", "aa", "b", rfReplaceAll, "ba"},
        {"aaa", "a", "aa", rfReplaceAll, "aaaaaa"},
        {"abc", "", "x", rfReplaceAll, "abc"},
        {"abc", "z", "x", rfReplaceAll, "abc"},
    };
    for (const Case& c : cases) EXPECT_EQ(StringReplace(c.text, c.from, c.to, c.flags), c.expected) << c.text;
}

}  // namespace
