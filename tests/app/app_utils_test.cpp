#include <gtest/gtest.h>

#include <cstdint>

#include "app/AppUtils.h"
#include "base/Exceptions.h"

namespace {

struct Ymd {
    int y, m, d;
};

TDateTime encode(Ymd date) { return EncodeDate(date.y, date.m, date.d); }

TEST(AppUtilsDates, MonthAndYearBoundsDropTheTimeOfDay) {
    struct Case {
        Ymd date;
        double timeOfDay;
        Ymd firstOfMonth, lastOfMonth, lastOfYear;
    } cases[] = {
        {{2004, 2, 15}, 0.0, {2004, 2, 1}, {2004, 2, 29}, {2004, 12, 31}},
        {{2003, 12, 31}, 0.0, {2003, 12, 1}, {2003, 12, 31}, {2003, 12, 31}},
        {{2003, 2, 1}, 0.5, {2003, 2, 1}, {2003, 2, 28}, {2003, 12, 31}},
        {{1900, 2, 10}, 0.0, {1900, 2, 1}, {1900, 2, 28}, {1900, 12, 31}},
        {{2000, 2, 10}, 0.99, {2000, 2, 1}, {2000, 2, 29}, {2000, 12, 31}},
        {{2005, 4, 30}, 0.25, {2005, 4, 1}, {2005, 4, 30}, {2005, 12, 31}},
        // Before 1899-12-30 the value is negative with the time counting forward.
        {{1899, 11, 20}, 0.75, {1899, 11, 1}, {1899, 11, 30}, {1899, 12, 31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.date.y << "-" << c.date.m << "-" << c.date.d);
        TDateTime value = encode(c.date) + c.timeOfDay;
        EXPECT_EQ(AppUtils::FirstDayOfMonth(value), encode(c.firstOfMonth));
        EXPECT_EQ(AppUtils::LastDayOfMonth(value), encode(c.lastOfMonth));
        EXPECT_EQ(AppUtils::FirstDayOfYear(value), EncodeDate(c.date.y, 1, 1));
        EXPECT_EQ(AppUtils::LastDayOfYear(value), encode(c.lastOfYear));
    }
}

TEST(AppUtilsText, PaddingNeverCutsTheText) {
    struct Case {
        const char* text;
        int width;
        const char* left;
        const char* right;
    } cases[] = {
        {"42", 5, "   42", "42   "},
        {"ABCDEF", 4, "ABCDEF", "ABCDEF"},
        {"ABCD", 4, "ABCD", "ABCD"},
        {"", 3, "   ", "   "},
        {"X", 0, "X", "X"},
        {"X", -2, "X", "X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" width " << c.width);
        EXPECT_EQ(AppUtils::PadLeft(c.text, c.width), c.left);
        EXPECT_EQ(AppUtils::PadRight(c.text, c.width), c.right);
    }
}

TEST(AppUtilsRounding, FloatingPointHalvesGoAwayFromZero) {
    struct Case {
        int decimals;
        double value;
        double expected;
    } cases[] = {
        {2, 0.125, 0.13},
        {2, -0.125, -0.13},
        {2, 1.0, 1.0},
        {2, 0.1249, 0.12},
        {2, -0.1249, -0.12},
        {0, 2.5, 3.0},
        {0, -2.5, -3.0},
        {0, 0.4999, 0.0},
        {3, 7.0625, 7.063},
        {-1, 15.0, 20.0},
        {-2, -150.0, -200.0},
        {-2, 149.0, 100.0},
        // Held in binary just below the half: rounds down.
        {2, 1.005, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
        EXPECT_DOUBLE_EQ(AppUtils::RoundTo(c.decimals, c.value), c.expected);
    }
}

TEST(AppUtilsRounding, CurrencyRoundsExactly) {
    struct Case {
        int decimals;
        int64_t raw;       // ten-thousandths
        int64_t expected;  // ten-thousandths
    } cases[] = {
        {2, 10050, 10100},    // 1.005, which a double cannot hold exactly
        {2, -10050, -10100},
        {2, 1250, 1300},
        {2, -1250, -1300},
        {2, 23449, 23400},
        {2, -23450, -23500},
        {2, 10000, 10000},
        {0, 25000, 30000},
        {0, -4999, 0},
        {-1, 150000, 200000},
        {4, 12345, 12345},
        {6, -12345, -12345},
        {-20, 9'000'000'000'000'000'000LL, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.raw << " to " << c.decimals);
        EXPECT_EQ(AppUtils::RoundTo(c.decimals, Currency::FromRaw(c.raw)).Raw(), c.expected);
    }
}

TEST(AppUtilsRounding, CurrencyRoundingPastTheLargestAmountRaises) {
    EXPECT_THROW(AppUtils::RoundTo(0, Currency::FromRaw(INT64_MAX)), EOverflow);
    EXPECT_THROW(AppUtils::RoundTo(-15, Currency::FromRaw(INT64_MIN)), EOverflow);
}

}  // namespace
