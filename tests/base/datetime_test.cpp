#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"

namespace {

// US settings and a clock fixed at 2026-12-10 09:30, restored afterwards.
class DateSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ShortDateFormat = "m/d/yyyy";
        DateSeparator = '/';
        setFixedNow(EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0));
    }
    void TearDown() override {
        ShortDateFormat = shortDate_;
        DateSeparator = dateSeparator_;
        clearFixedNow();
    }

private:
    std::string shortDate_ = ShortDateFormat;
    char dateSeparator_ = DateSeparator;
};

std::string convertErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "(no EConvertError)";
}

std::string ymd(TDateTime v) {
    int y, m, d;
    DecodeDate(v, y, m, d);
    return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d);
}

TEST(DateEncoding, KnownDaysRoundTrip) {
    struct Case {
        int y, m, d;
        double serial;
        int dayOfWeek;
    } cases[] = {
        {1899, 12, 30, 0, 7},        {1899, 12, 29, -1, 6},     {1900, 1, 1, 2, 2},
        {1900, 3, 1, 61, 5},         {1970, 1, 1, 25569, 5},    {2000, 1, 1, 36526, 7},
        {2000, 2, 29, 36585, 3},     {2003, 7, 4, 37806, 6},    {1, 1, 1, -693593, 2},
        {9999, 12, 31, 2958465, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        int y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
        EXPECT_EQ(DayOfWeek(c.serial), c.dayOfWeek) << c.serial;
    }
}

TEST(DateEncoding, InvalidDatesAreRefused) {
    struct Case {
        int y, m, d;
    } cases[] = {{1900, 2, 29}, {2001, 2, 29}, {1999, 2, 30}, {2000, 4, 31}, {2000, 13, 1},
                 {2000, 0, 1},  {2000, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
    for (const Case& c : cases) {
        TDateTime v = -12345;
        EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, v));
        EXPECT_EQ(v, -12345);  // untouched on failure
        EXPECT_EQ(convertErrorText([&] { EncodeDate(c.y, c.m, c.d); }), "Invalid argument to date encode");
    }
}

TEST(DateEncoding, LeapYearsAndMonthLengths) {
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2004));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInAMonth(2000, 2), 29);
    EXPECT_EQ(DaysInAMonth(1900, 2), 28);
    EXPECT_EQ(DaysInAMonth(2003, 4), 30);
    EXPECT_EQ(DaysInMonth(EncodeDate(2003, 12, 5)), 31);
}

TEST(TimeEncoding, TimesAndTheirEdges) {
    TDateTime t = EncodeTime(12, 30, 15, 500);
    EXPECT_DOUBLE_EQ(t, (12 * 3600 + 30 * 60 + 15.5) / 86400);
    int h, n, s, ms;
    DecodeTime(t, h, n, s, ms);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 12 * 10000000 + 30 * 100000 + 15 * 1000 + 500);

    // Before 1899-12-30 the fraction still counts forward from midnight.
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(ymd(-1.25), "1899-12-29");

    // A time that rounds up to midnight is the start of the next day.
    TDateTime almost = EncodeDate(2003, 12, 31) + 0.9999999999;
    DecodeTime(almost, h, n, s, ms);
    EXPECT_EQ(h + n + s + ms, 0);
    EXPECT_EQ(ymd(almost), "2004-1-1");

    const int bad[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& b : bad)
        EXPECT_EQ(convertErrorText([&] { EncodeTime(b[0], b[1], b[2], b[3]); }), "Invalid argument to time encode");

    EXPECT_EQ(ymd(1e12), "0-0-0");  // out of range decodes to zeros, not garbage
}

TEST(IncMonth, ClampsTheDayAtMonthEnds) {
    struct Case {
        int y, m, d, months;
        const char* expected;
    } cases[] = {
        {2003, 1, 31, 1, "2003-2-28"},  {2004, 1, 31, 1, "2004-2-29"},  {2003, 3, 31, -1, "2003-2-28"},
        {2003, 12, 15, 1, "2004-1-15"}, {2003, 1, 15, -1, "2002-12-15"}, {2003, 5, 31, 13, "2004-6-30"},
        {2003, 1, 31, -12, "2002-1-31"}, {2004, 2, 29, 12, "2005-2-28"}, {2003, 8, 31, 0, "2003-8-31"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ymd(IncMonth(EncodeDate(c.y, c.m, c.d), c.months)), c.expected) << c.y << "-" << c.m << "-" << c.d;

    TDateTime withTime = IncMonth(EncodeDate(2003, 1, 31) + 0.75);
    EXPECT_DOUBLE_EQ(withTime - std::trunc(withTime), 0.75);
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST_F(DateSettings, FormatDateTimeSpecifiers) {
    const TDateTime afternoon = EncodeDate(2003, 7, 4) + EncodeTime(13, 5, 9, 7);
    const TDateTime midnight = EncodeDate(2003, 7, 4);
    const TDateTime noon = midnight + 0.5;
    struct Case {
        const char* format;
        TDateTime value;
        const char* expected;
    } cases[] = {
        {"mm/dd/yyyy", afternoon, "07/04/2003"},
        {"m/d/yyyy h:mma/p", afternoon, "7/4/2003 1:05p"},
        {"m/d/yyyy h:mma/p", midnight, "7/4/2003 12:00a"},
        {"m/d/yyyy h:mmA/P", noon, "7/4/2003 12:00P"},
        {"dddd, mmmm d, yyyy", afternoon, "Friday, July 4, 2003"},
        {"mmmm yyyy", afternoon, "July 2003"},
        {"yyyymmdd", afternoon, "20030704"},
        {"ddd mmm yy", afternoon, "Fri Jul 03"},
        {"hh:nn:ss", afternoon, "13:05:09"},
        {"hh:mm", afternoon, "13:05"},
        {"h:mm AM/PM", afternoon, "1:05 PM"},
        {"h:mm am/pm", afternoon, "1:05 pm"},
        {"hh:mm ampm", afternoon, "01:05 PM"},
        {"s.z|ss.zzz", afternoon, "9.7|09.007"},
        {"c", afternoon, "7/4/2003 1:05:09 PM"},
        {"c", midnight, "7/4/2003"},
        {"ddddd", afternoon, "7/4/2003"},
        {"'Today is' dddd", afternoon, "Today is Friday"},
        {"\"yyyy\" yyyy", afternoon, "yyyy 2003"},
        {"M/D/YYYY", afternoon, "7/4/2003"},
        {"t", afternoon, "1:05 PM"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, c.value), c.expected) << c.format;

    DateSeparator = '-';
    EXPECT_EQ(FormatDateTime("d/m", afternoon), "4-7");
}

TEST_F(DateSettings, DateAndTimeToText) {
    const TDateTime v = EncodeDate(2003, 7, 4) + EncodeTime(13, 5, 9, 0);
    EXPECT_EQ(DateToStr(v), "7/4/2003");
    EXPECT_EQ(TimeToStr(v), "1:05:09 PM");
    EXPECT_EQ(DateTimeToStr(v), "7/4/2003 1:05:09 PM");
    ShortDateFormat = "mm/dd/yyyy";
    EXPECT_EQ(DateToStr(v), "07/04/2003");
}

TEST_F(DateSettings, StrToDateByTheShortDateFormat) {
    struct Case {
        const char* format;
        char separator;
        const char* text;
        const char* expected;  // nullptr: not a date
    } cases[] = {
        {"m/d/yyyy", '/', "2/29/2000", "2000-2-29"},
        {"m/d/yyyy", '/', "2/30/1999", nullptr},
        {"m/d/yyyy", '/', "2/29/1900", nullptr},
        {"m/d/yyyy", '/', "1/5/99", "1999-1-5"},
        {"m/d/yyyy", '/', "1/5/05", "2005-1-5"},
        {"m/d/yyyy", '/', "1/5", "2026-1-5"},
        {"m/d/yyyy", '/', " 12 / 31 / 2003 ", "2003-12-31"},
        {"m/d/yyyy", '/', "13/1/2003", nullptr},
        {"m/d/yyyy", '/', "1/5/2003x", nullptr},
        {"m/d/yyyy", '/', "1-5-2003", nullptr},
        {"m/d/yyyy", '/', "", nullptr},
        {"m/d/yyyy", '/', "7", nullptr},
        {"dd/mm/yyyy", '/', "5/1/2003", "2003-1-5"},
        {"dd.mm.yy", '.', "31.12.03", "2003-12-31"},
        {"yyyy-mm-dd", '-', "2003-07-04", "2003-7-4"},
    };
    for (const Case& c : cases) {
        ShortDateFormat = c.format;
        DateSeparator = c.separator;
        TDateTime v = -1;
        bool ok = TryStrToDate(c.text, v);
        if (c.expected) {
            EXPECT_TRUE(ok) << c.text;
            EXPECT_EQ(ymd(v), c.expected) << c.text;
            EXPECT_EQ(v, std::trunc(v));
        } else {
            EXPECT_FALSE(ok) << c.text;
            EXPECT_EQ(convertErrorText([&] { StrToDate(c.text); }), std::string("'") + c.text + "' is not a valid date");
            EXPECT_EQ(StrToDateDef(c.text, 7.0), 7.0);
        }
    }
}

TEST_F(DateSettings, TwoDigitYearsFallInTheHundredYearsEndingNineteenAhead) {
    struct Case {
        int today;  // the clock's year
        const char* text;
        const char* expected;
    } cases[] = {
        {2026, "1/5/75", "1975-1-5"},   {2026, "12/10/26", "2026-12-10"}, {2026, "1/5/27", "2027-1-5"},
        {2026, "1/5/45", "2045-1-5"},   {2026, "1/5/46", "1946-1-5"},     {2026, "1/5/00", "2000-1-5"},
        {2026, "1/5/5", "2005-1-5"},    {2026, "1/5/0075", "75-1-5"},     {2030, "1/5/49", "2049-1-5"},
        {2030, "1/5/50", "1950-1-5"},   {2081, "1/5/00", "2100-1-5"},     {2081, "1/5/01", "2001-1-5"},
    };
    for (const Case& c : cases) {
        setFixedNow(EncodeDate(c.today, 6, 1));
        EXPECT_EQ(ymd(StrToDate(c.text)), c.expected) << c.text << " in " << c.today;
    }
}

TEST_F(DateSettings, StrToTimeAndStrToDateTime) {
    struct Case {
        const char* text;
        int hour, minute, second;  // hour -1: not a time
    } times[] = {
        {"12:30 PM", 12, 30, 0}, {"12:30 AM", 0, 30, 0}, {"1:05:09", 1, 5, 9}, {"1:05 pm", 13, 5, 0},
        {"13:00 PM", -1, 0, 0},        {"0:30 AM", -1, 0, 0},        {"25:00", -1, 0, 0},        {"12", -1, 0, 0},
        {"12:60", -1, 0, 0},           {"12:30 XM", -1, 0, 0},
    };
    for (const Case& c : times) {
        if (c.hour >= 0) {
            EXPECT_DOUBLE_EQ(StrToTime(c.text), EncodeTime(c.hour, c.minute, c.second, 0)) << c.text;
        } else {
            EXPECT_EQ(convertErrorText([&] { StrToTime(c.text); }), std::string("'") + c.text + "' is not a valid time");
        }
    }

    EXPECT_DOUBLE_EQ(StrToDateTime("7/4/2003 1:05 PM"), EncodeDate(2003, 7, 4) + EncodeTime(13, 5, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("7/4/2003"), EncodeDate(2003, 7, 4));
    EXPECT_DOUBLE_EQ(StrToDateTime("12/29/1899 6:00"), -1.25);
    EXPECT_EQ(convertErrorText([] { StrToDateTime("7/4/2003 xx"); }), "'7/4/2003 xx' is not a valid date and time");
    EXPECT_EQ(convertErrorText([] { StrToDateTime("1:05 PM"); }), "'1:05 PM' is not a valid date and time");
}

TEST(Clock, FixedForTestsAndRealOtherwise) {
    const TDateTime fixed = EncodeDate(2003, 7, 4) + 0.25;
    setFixedNow(fixed);
    EXPECT_EQ(Now(), fixed);
    EXPECT_EQ(Date(), EncodeDate(2003, 7, 4));
    EXPECT_DOUBLE_EQ(Time(), 0.25);
    clearFixedNow();
    EXPECT_NE(Now(), fixed);
    int y, m, d;
    DecodeDate(Now(), y, m, d);
    EXPECT_GE(y, 2024);
}

}  // namespace
