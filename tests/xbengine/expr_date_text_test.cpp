// Date text of the engine: dtoc by format and century, ctod with the epoch
// window, and the day numbers used by date arithmetic.
#include <gtest/gtest.h>

#include "xbengine/DateText.h"

namespace {

xb::Settings SettingsFor(int format, bool century, int epoch = 1900) {
    xb::Settings settings;
    settings.dateFormat = format;
    settings.century = century;
    settings.epoch = epoch;
    return settings;
}

TEST(DateText, DtocFollowsFormatAndCentury) {
    struct Case {
        int format;
        bool century;
        const char* stored;
        const char* text;
    } cases[] = {
        {0, false, "20030704", "07/04/03"},
        {0, true, "20030704", "07/04/2003"},
        {1, false, "20030704", "03.07.04"},
        {1, true, "19991231", "1999.12.31"},
        {2, true, "20030704", "04/07/2003"},
        {3, false, "20030704", "04/07/03"},
        {4, true, "20030704", "04.07.2003"},
        {5, false, "20030704", "04-07-03"},
        {6, true, "20030704", "04-07-2003"},
        // Blank and malformed stored dates give blanks of the right width.
        {0, true, "        ", "  /  /    "},
        {0, false, "        ", "  /  /  "},
        {4, true, "", "  .  .    "},
        {0, true, "20030230", "  /  /    "},
        {0, true, "2003x704", "  /  /    "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xb::DateToText(c.stored, SettingsFor(c.format, c.century)), c.text)
            << c.format << " " << c.century << " " << c.stored;
}

TEST(DateText, CtodReadsFormatAndPlacesTwoDigitYearsByEpoch) {
    struct Case {
        int format;
        int epoch;
        const char* text;
        const char* stored;
    } cases[] = {
        {0, 1900, "07/04/03", "19030704"},
        {0, 1910, "07/04/03", "20030704"},
        {0, 1910, "01/01/10", "19100101"},
        {0, 1910, "01/01/09", "20090101"},
        {0, 1910, "01/01/49", "19490101"},
        {0, 1950, "01/01/49", "20490101"},
        {0, 2000, "12/31/99", "20991231"},
        {0, 1910, "07/04/2003", "20030704"},
        {0, 1910, "07/04/1903", "19030704"},
        {0, 1910, " 7/4/03 ", "20030704"},
        {2, 1910, "04/07/2003", "20030704"},
        {4, 1910, "04.07.03", "20030704"},
        {1, 1910, "2003.07.04", "20030704"},
        {5, 1910, "29-02-2004", "20040229"},
        // Invalid or malformed texts give a blank date.
        {5, 1910, "29-02-2003", "        "},
        {0, 1910, "13/01/2003", "        "},
        {0, 1910, "00/10/2003", "        "},
        {0, 1910, "  /  /    ", "        "},
        {0, 1910, "", "        "},
        {0, 1910, "07/04", "        "},
        {0, 1910, "07/04/2003x", "        "},
        {0, 1910, "07/04/20031", "        "},
        {0, 1910, "007/04/2003", "        "},
        {0, 1910, "a7/04/2003", "        "},
        {0, 1910, "07//2003", "        "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(xb::TextToDate(c.text, SettingsFor(c.format, true, c.epoch)), c.stored)
            << c.format << " " << c.epoch << " '" << c.text << "'";
}

TEST(DateText, DtocAndCtodRoundTripInEveryFormat) {
    for (int format : {0, 1, 2, 3, 4, 5, 6, 99})
        for (bool century : {false, true})
            for (const char* stored : {"19100101", "19991231", "20000229", "20091130"}) {
                xb::Settings settings = SettingsFor(format, century, 1910);
                std::string text = xb::DateToText(stored, settings);
                EXPECT_EQ(static_cast<int>(text.size()), xb::DateTextWidth(settings));
                EXPECT_EQ(xb::TextToDate(text, settings), stored) << format << " " << text;
            }
}

TEST(DateText, DayNumbersCountDaysAcrossMonthsAndLeapYears) {
    EXPECT_EQ(xb::DateToJulian("20000101"), 2451545);
    EXPECT_EQ(xb::DateToJulian("20000301") - xb::DateToJulian("20000228"), 2);
    EXPECT_EQ(xb::DateToJulian("19000301") - xb::DateToJulian("19000228"), 1);
    EXPECT_EQ(xb::DateToJulian("20040101") - xb::DateToJulian("20030101"), 365);
    EXPECT_EQ(xb::DateToJulian("        "), 0);
    EXPECT_EQ(xb::DateToJulian("20031301"), 0);
    for (const char* stored : {"00010101", "17520914", "19000228", "20000229", "99991231"})
        EXPECT_EQ(xb::JulianToDate(xb::DateToJulian(stored)), stored);
    EXPECT_EQ(xb::JulianToDate(0), "        ");
    EXPECT_EQ(xb::JulianToDate(xb::DateToJulian("99991231") + 1), "        ");
}

TEST(DateText, PatternShowsOrderSeparatorAndYearWidth) {
    EXPECT_EQ(xb::DatePattern(SettingsFor(0, true)), "mm/dd/yyyy");
    EXPECT_EQ(xb::DatePattern(SettingsFor(1, false)), "yy.mm.dd");
    EXPECT_EQ(xb::DatePattern(SettingsFor(4, true)), "dd.mm.yyyy");
    EXPECT_EQ(xb::DatePattern(SettingsFor(6, false)), "dd-mm-yy");
}

}  // namespace
