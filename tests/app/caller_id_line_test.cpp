// The caller-ID modem's lines: which name a call, and what the call window
// then shows; the line buffer's bound.
#include <gtest/gtest.h>

#include <string>

#include "app/CallerIDLine.h"

using namespace std::string_literals;

namespace {

TEST(CallerIDLineTest, OnlyAFullPlusOneLineNamesACall) {
    struct Case {
        std::string Line;
        const char* Number;  // nullptr: no call
        const char* LineIndicator;
    };
    const Case cases[] = {
        {"+1 5551234567 001", "(555)123-4567", "001"},
        {"   +1 5551234567 002  ", "(555)123-4567", "002"},
        {"\r+1 5551234567 003\r", "(555)123-4567", "003"},
        // Thirteen characters: the last three are the number's own.
        {"+1 5551234567", "(555)123-4567", "567"},
        {"+1 555123456", nullptr, nullptr},
        {"+1 555", nullptr, nullptr},
        {"+1", nullptr, nullptr},
        {"", nullptr, nullptr},
        {"RING", nullptr, nullptr},
        {"NAME=SMITH JOHN", nullptr, nullptr},
        {"DATE=0412", nullptr, nullptr},
        {"OK", nullptr, nullptr},
        {"+2 5551234567 001", nullptr, nullptr},
        {"1+ 5551234567 001", nullptr, nullptr},
        // A NUL and bytes above 127 are characters like any other.
        {"+1\x00" "5551234567\xE9" "01"s, "(555)123-4567", "\xE9" "01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        const auto call = parseCallerIDLine(c.Line);
        if (!c.Number) {
            EXPECT_FALSE(call.has_value());
            continue;
        }
        ASSERT_TRUE(call.has_value());
        EXPECT_EQ(call->Number, c.Number);
        EXPECT_EQ(call->Line, c.LineIndicator);
    }
}

TEST(CallerIDLineTest, TheBufferCollectsALineAcrossReadingsAndDropsARunTooLong) {
    TCallerIDLineBuffer buffer;
    // The line end of the last line comes first in the next reading.
    for (char c : std::string("\r+1 555"))
        buffer.append(c);
    for (char c : std::string("1234567 001"))
        buffer.append(c);
    EXPECT_EQ(buffer.takeLine(), "+1 5551234567 001");
    EXPECT_EQ(buffer.takeLine(), "") << "taking a line empties the buffer";

    const std::string longest(TCallerIDLineBuffer::MaxLength, 'x');
    for (char c : longest)
        buffer.append(c);
    EXPECT_EQ(buffer.takeLine(), longest);

    // One more character: the whole run is dropped, up to the line end.
    for (char c : longest + "y+1 5551234567 001")
        buffer.append(c);
    EXPECT_EQ(buffer.takeLine(), "");
    for (char c : std::string("+1 5551234567 002"))
        buffer.append(c);
    EXPECT_EQ(buffer.takeLine(), "+1 5551234567 002");
}

}  // namespace
