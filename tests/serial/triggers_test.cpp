#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "serial/SerErrors.h"
#include "serial/SerTriggers.h"

using namespace ser;

namespace {

TDataTrigger trigger(const std::string& text, bool ignoreCase = false) {
    TTriggerSnapshot set;
    int handle = AddDataTrigger(set, text, ignoreCase);
    EXPECT_GT(handle, 1);
    return set.Data[set.Handles[handle].Index];
}

// 1-based positions of the characters at which the trigger fired.
std::vector<int> firings(TDataTrigger t, const std::string& input) {
    std::vector<int> at;
    for (size_t i = 0; i < input.size(); ++i)
        if (matchDataTrigger(t, static_cast<uint8_t>(input[i]))) at.push_back(static_cast<int>(i) + 1);
    return at;
}

}  // namespace

TEST(DataTrigger, FiresWhereItsTextEnds) {
    struct Case {
        const char* text;
        bool ignoreCase;
        const char* input;
        std::vector<int> expected;
    } cases[] = {
        {"\r", false, "+1 555\r001\r", {7, 11}},
        {"aa", false, "aaaa", {2, 3}},
        {"OK\r\n", false, "xxOK\rOK\r\n", {9}},
        {"ok", true, "oK Ok", {2, 5}},
        {"ok", false, "oK Ok ok", {8}},
        {"abab", false, "abababab", {4, 8}},
    };
    for (const Case& c : cases) EXPECT_EQ(firings(trigger(c.text, c.ignoreCase), c.input), c.expected) << c.input;
}

TEST(DataTrigger, TextSplitAcrossReadsStillMatches) {
    TDataTrigger t = trigger("ATSN\r");
    EXPECT_TRUE(firings(t, "xxAT").empty());
    for (char c : std::string("xxAT")) matchDataTrigger(t, static_cast<uint8_t>(c));
    EXPECT_EQ(firings(t, "SN\r"), std::vector<int>{3});
}

// Over random short texts from a small alphabet: every firing ends a true
// occurrence, and no occurrence goes by without overlapping one that fired
// (of overlapping occurrences, the matcher may report only some).
TEST(DataTrigger, NeverFalseNeverMissedOverRandomTexts) {
    std::mt19937 random(20030101);
    std::uniform_int_distribution<int> letter(0, 2), length(1, 4), inputLength(0, 24);
    for (int round = 0; round < 5000; ++round) {
        std::string text, input;
        for (int i = length(random); i > 0; --i) text += static_cast<char>('a' + letter(random));
        for (int i = inputLength(random); i > 0; --i) input += static_cast<char>('a' + letter(random));
        std::vector<int> fired = firings(trigger(text), input);
        for (int end : fired) {
            ASSERT_GE(end, static_cast<int>(text.size()));
            ASSERT_EQ(input.substr(end - text.size(), text.size()), text) << text << " in " << input;
        }
        const int L = static_cast<int>(text.size());
        for (size_t at = input.find(text); at != std::string::npos; at = input.find(text, at + 1)) {
            int start = static_cast<int>(at) + 1, end = start + L - 1;
            bool overlapped = std::any_of(fired.begin(), fired.end(),
                                          [&](int e) { return e - L + 1 <= end && e >= start; });
            ASSERT_TRUE(overlapped) << text << " in " << input << " at " << start;
        }
    }
}

TEST(DataTrigger, AddingRefusesLongTextsAndATwentyFirst) {
    TTriggerSnapshot set;
    EXPECT_EQ(AddDataTrigger(set, std::string(22, 'x'), false), ecTriggerTooLong);
    EXPECT_EQ(AddDataTrigger(set, std::string(21, 'x'), false), 2);
    for (int i = 1; i < kMaxDataTriggers; ++i) EXPECT_EQ(AddDataTrigger(set, "\r", false), 2 + i);
    EXPECT_EQ(AddDataTrigger(set, "\r", false), ecNoMoreTriggers);
}

TEST(TimerTrigger, ExpiryAcrossTheTickCounterWrap) {
    TTimerTrigger t;
    t.Start = 100;
    t.Expiry = 118;
    EXPECT_FALSE(timerExpired(t, 110));
    EXPECT_TRUE(timerExpired(t, 119));
    EXPECT_TRUE(timerExpired(t, 5)) << "wrapped past the start";
}
