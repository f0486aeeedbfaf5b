#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/Currency.h"
#include "base/MoneyText.h"
#include "base/Exceptions.h"

namespace {

Currency raw(int64_t r) { return Currency::FromRaw(r); }

TEST(Currency, ArithmeticIsExactAndRoundsHalvesAwayFromZero) {
    struct Case {
        Currency result;
        int64_t expectedRaw;
        const char* what;
    } cases[] = {
        {raw(12345) + raw(1), 12346, "sum"},
        {raw(1) - raw(12345), -12344, "difference"},
        {-raw(5), -5, "negation"},
        {Currency(3) * Currency(2.5), 75000, "product"},
        {raw(1) * Currency(0.5), 1, "0.0001 x 0.5 rounds up"},
        {raw(-1) * Currency(0.5), -1, "-0.0001 x 0.5 rounds away from zero"},
        {raw(3) * Currency(0.5), 2, "0.0003 x 0.5"},
        {raw(1) * Currency(0.4999), 0, "below the half"},
        {Currency(1) / Currency(3), 3333, "one third"},
        {Currency(2) / Currency(3), 6667, "two thirds"},
        {Currency(-2) / Currency(3), -6667, "minus two thirds"},
        {Currency(2) / Currency(-3), -6667, "divided by a negative"},
        {raw(1) / Currency(2), 1, "0.0001 / 2"},
        {Currency(10) * 3, 300000, "times an integer"},
        {Currency(10) / 4, 25000, "by an integer"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result.Raw(), c.expectedRaw) << c.what;

    Currency sum;
    for (int i = 0; i < 10; ++i) sum += Currency(0.1);
    EXPECT_EQ(sum, Currency(1));  // no binary drift
}

TEST(Currency, ConversionFromDoubleRoundsToTenThousandths) {
    EXPECT_EQ(Currency(19.99).Raw(), 199900);
    EXPECT_EQ(Currency(0.1 + 0.2).Raw(), 3000);
    EXPECT_EQ(Currency(-2.675).Raw(), -26750);
    EXPECT_EQ(Currency(10.00 * 0.0825).Raw(), 8250);
    EXPECT_EQ(Currency(1.23456).Raw(), 12346);
    EXPECT_DOUBLE_EQ(raw(12345).ToDouble(), 1.2345);
    // A floating-point factor gives a floating-point result, as in the class
    // library; storing it rounds.
    double tax = Currency(10) * 0.0825;
    EXPECT_DOUBLE_EQ(tax, 0.825);
}

TEST(Currency, OutOfRangeAndDivisionByZeroRaise) {
    EXPECT_THROW(Currency(1e15), EOverflow);
    EXPECT_THROW(Currency(std::numeric_limits<double>::infinity()), EOverflow);
    EXPECT_THROW(Currency(std::nan("")), EInvalidOp);
    EXPECT_THROW(Currency(int64_t{1000000000000000}), EOverflow);
    EXPECT_THROW(raw(INT64_MAX) + raw(1), EOverflow);
    EXPECT_THROW(raw(INT64_MIN) - raw(1), EOverflow);
    EXPECT_THROW(-raw(INT64_MIN), EOverflow);
    EXPECT_THROW(Currency(1000000000) * Currency(1000000), EOverflow);
    try {
        Currency(1) / Currency(0);
        ADD_FAILURE() << "no exception";
    } catch (const EZeroDivide& e) {
        EXPECT_EQ(e.Message(), "Floating point division by zero");
    }
}

TEST(Currency, Comparisons) {
    EXPECT_LT(Currency(1), Currency(1.5));
    EXPECT_GT(raw(-1), Currency(-1));
    EXPECT_EQ(Currency(2.5), raw(25000));
    EXPECT_NE(raw(1), raw(2));
    EXPECT_TRUE(raw(1) > 0);
    EXPECT_TRUE(raw(-1) < 0);
}

TEST(Currency, TextInAndOut) {
    struct Out {
        Currency value;
        const char* text;
    } outs[] = {{Currency(1234.5), "1234.5"}, {raw(-1), "-0.0001"}, {Currency(0), "0"}, {Currency(100), "100"},
                {raw(INT64_MAX), "922337203685477.5807"}};
    for (const Out& o : outs) EXPECT_EQ(CurrToStr(o.value), o.text);

    struct In {
        const char* text;
        int64_t raw;
    } ins[] = {
        {"12", 120000},       {" -1.5 ", -15000}, {"0.05", 500},  {"1e2", 1000000},
        {"1.23455", 12346},   // a half goes to the even neighbour
        {"1.23445", 12344},   {"1.234451", 12345}, {"0.00015", 2}, {"-0.00005", 0},
        {"922337203685477.5807", INT64_MAX},
    };
    for (const In& i : ins) EXPECT_EQ(StrToCurr(i.text).Raw(), i.raw) << i.text;

    const char* bad[] = {"", "abc", "1.2.3", "1,5", "922337203685477.5808", "1e"};
    for (const char* text : bad) {
        Currency c;
        EXPECT_FALSE(TryStrToCurr(text, c)) << text;
        try {
            StrToCurr(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + text + "' is not a valid floating point value");
        }
    }
}

TEST(Currency, FormatCurrUsesTheExactDigits) {
    EXPECT_EQ(FormatCurr("#,##0.00", raw(12345650)), "1,234.57");
    EXPECT_EQ(FormatCurr("#,##0.00", raw(-12345650)), "-1,234.57");
    EXPECT_EQ(FormatCurr("0.00;(0.00)", raw(-50)), "(0.01)");
    EXPECT_EQ(FormatCurr("0.00;(0.00);nil", raw(-49)), "nil");
    EXPECT_EQ(FormatCurr("$#,##0.0000", raw(INT64_MAX)), "$922,337,203,685,477.5807");
}

}  // namespace

namespace {

TEST(Currency, MoneyTypedAsTextTakesWholeThousandsGroupsOneDecimalPointAndNoFinerThanAsked) {
    struct Case {
        const char* text;
        bool taken;
        int64_t raw;
    } cases[] = {
        {"1,234.56", true, 12345600},   {"-1,234,567.5", true, -12345675000}, {" 5 ", true, 50000},
        {"$12.30", true, 123000},       {"-$0.05", true, -500},               {"+7", true, 70000},
        {".5", true, 5000},             {"12.500", true, 125000},              // trailing zeros are no finer
        {"12,34", false, 0},            {"1,2,3", false, 0},                   {"1234,567", false, 0},
        {",123", false, 0},             {"1,234,56", false, 0},                {"1e9", false, 0},
        {"-0.005", false, 0},           {"", false, 0},                        {"abc", false, 0},
        {"1.2.3", false, 0},            {"-", false, 0},                       {"5-", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        Currency value = Currency::FromRaw(-1);
        EXPECT_EQ(tryMoneyTextToCurr(c.text, 2, value), c.taken) << c.text;
        EXPECT_EQ(value.Raw(), c.taken ? c.raw : -1) << c.text;
    }
}

}  // namespace
