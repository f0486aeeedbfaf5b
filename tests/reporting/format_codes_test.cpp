// Format-code runs and the RTF reader: byte-exact outputs for tables of
// inputs, bad input included.
#include <gtest/gtest.h>

#include <string>

#include "reporting/TextFormatCodes.h"

namespace {

const std::string R = "\x01R\x04";

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

TEST(FormatCodes, CodesForStateWritesTheFixedOrderAndLeavesPitchOut) {
    TFormatState bold;
    bold.Bold = true;
    TFormatState full;
    full.FirstIndent = 0.25;
    full.LeftIndent = 1;
    full.RightIndent = 0.5;
    full.Name = "Times New Roman";
    full.Size = 10.5;
    full.Bold = full.Italic = full.Underline = full.StrikeOut = full.Subscript = full.Superscript = true;
    full.Color = 255;
    full.Justify = pjBlock;
    full.Pitch = fpFixed;
    TFormatState pitchOnly;
    pitchOnly.Pitch = fpVariable;

    EXPECT_EQ(CodesForState(TFormatState()), R);
    EXPECT_EQ(CodesForState(bold), "\x01R\x02" "B1\x04");
    EXPECT_EQ(CodesForState(full),
              "\x01R\x02" "F0.25\x02L1\x02G0.5\x02NTimes New Roman\x02Z10.5\x02"
              "B1\x02I1\x02U1\x02K1\x02S1\x02P1\x02" "C255\x02JB\x04");
    EXPECT_EQ(CodesForState(pitchOnly), R);
}

TEST(FormatCodes, ApplyCodesRebuildsTheStateItsRunDescribes) {
    TFormatState full;
    full.Name = "Courier New";
    full.Size = 9;
    full.Italic = true;
    full.Color = 0x00FF00;
    full.Justify = pjRight;
    full.LeftIndent = 0.75;
    TFormatState rebuilt;
    rebuilt.Bold = true;  // R clears what was there before
    ApplyCodes(rebuilt, CodesForState(full));
    EXPECT_EQ(rebuilt, full);

    // r resets the style only.
    TFormatState styled = full;
    styled.Bold = true;
    styled.Pitch = fpFixed;
    ApplyCodes(styled, "\x01r\x04");
    TFormatState expected = full;
    expected.Italic = false;
    expected.Color = 0;
    EXPECT_EQ(styled, expected);
}

TEST(FormatCodes, BadRunsAreReadWithoutFault) {
    struct Case {
        std::string codes;
        std::string name;
        double size;
        bool bold;
    };
    const std::string longName(60, 'x');
    const Case cases[] = {
        {"\x01" "B1", "Arial", 12, true},                          // no byte 4
        {"\x01N" + longName + "\x04", std::string(40, 'x'), 12, false},
        {"\x01Zbig\x02" "B1\x04", "Arial", 12, true},              // unreadable number
        {"\x01\x04\x01\x02\x02" "B1\x04", "Arial", 12, true},      // empty codes
        {"\x01Q9\x02" "B\x03" "1\x04", "Arial", 12, true},         // unknown letter, byte 3 in a value
        {"\x01", "Arial", 12, false},
        {"\x02", "Arial", 12, false},
    };
    for (const Case& c : cases) {
        TFormatState state;
        ApplyCodes(state, c.codes);
        EXPECT_EQ(state.Name, c.name);
        EXPECT_EQ(state.Size, c.size);
        EXPECT_EQ(state.Bold, c.bold) << testing::PrintToString(c.codes);
    }
}

TEST(FormatCodes, VisibleLengthCountsBytesOutsideRuns) {
    const std::pair<std::string, int> cases[] = {
        {"\x01" "B1\x04" "abc", 3},
        {"ab\x01" "B1\x02I1\x04" "cd\x01R\x04", 4},
        {"abc\x01" "B1", 3},  // a run cut short hides the rest
        {"", 0},
        {"\x04\x02x", 3},     // closing bytes outside a run are text
    };
    for (const auto& [text, length] : cases) EXPECT_EQ(VisibleLength(text), length) << testing::PrintToString(text);
}

TEST(FormatCodes, SplitTextYieldsTheRunsInFrontOfEachPiece) {
    const std::string text = "\x01" "B1\x04\x01I1\x04" "bold\x01" "B0\x04 plain\x01Z9";
    int index = 0;
    std::string plain, codes;
    SplitText(text, index, plain, codes);
    EXPECT_EQ(codes, "\x01" "B1\x04\x01I1\x04");
    EXPECT_EQ(plain, "bold");
    SplitText(text, index, plain, codes);
    EXPECT_EQ(codes, "\x01" "B0\x04");
    EXPECT_EQ(plain, " plain");
    SplitText(text, index, plain, codes);
    EXPECT_EQ(codes, "\x01Z9");
    EXPECT_EQ(plain, "");
    EXPECT_EQ(index, static_cast<int>(text.size()) + 1);
}

TEST(FormatCodes, NextCodeWalksEveryCodeThenGivesABlank) {
    const std::string run = "\x01" "B1\x02NArial\x02J\x03" "C\x04";
    int index = 0;
    char letter;
    std::string value;
    std::vector<std::string> seen;
    for (NextCode(run, index, letter, value); letter != ' '; NextCode(run, index, letter, value))
        seen.push_back(std::string(1, letter) + value);
    EXPECT_EQ(seen, (std::vector<std::string>{"B1", "NArial", "JC"}));
}

TEST(FormatCodes, CodedJustifyTakesTheFirstJAfterAnyReset) {
    EXPECT_EQ(CodedJustify("\x01" "B1\x04", pjRight), pjRight);
    EXPECT_EQ(CodedJustify("\x01R\x04", pjRight), pjLeft);
    EXPECT_EQ(CodedJustify("\x01JC\x02JR\x04", pjLeft), pjCenter);
    EXPECT_EQ(CodedJustify("\x01R\x02JB\x04", pjLeft), pjBlock);
}

TEST(RtfReader, ConvertsToPlainTextWithTheShorterRun) {
    struct Case {
        std::string rtf;
        std::string codes;
    };
    const Case cases[] = {
        {"{\\rtf1 Hello\\par World}", R + "Hello\r\nWorld"},
        {"{\\rtf1 Hello\r\n\\par\r\nWorld}", R + "Hello\r\nWorld"},
        {"{\\rtf1 {\\*\\generator Riched20;}Text}", R + "Text"},
        {"{\\rtf1{\\info{\\title T}{\\author A}}X{\\header H}}", R + "X"},
        {"{\\rtf1 \\b word \\b0 word}", "\x01R\x02" "B1\x04" "word " + R + "word"},
        {"{\\rtf1 a{\\i b}c}", R + "a\x01I1\x04" "b" + R + "c"},
        {"{\\rtf1\\deff0{\\fonttbl{\\f0\\fswiss Times New Roman;}{\\f1 Courier New;}}\\f1 a\\f0 b}",
         "\x01R\x02NCourier New\x04" "a\x01NTimes New Roman\x04" "b"},
        {"{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 red\\cf9 x}", "\x01R\x02" "C255\x04" "red" + R + "x"},
        {"{\\rtf1\\f5 a}", R + "a"},  // no font table: index outside it gives the default font
        {"{\\rtf1\\fs21 a\\fs24 b}", "\x01R\x02Z10.5\x04" "a" + R + "b"},
        {"{\\rtf1\\li720\\fi-360 a\\pard b}", "\x01R\x02" "F-0.25\x02L0.5\x04" "a" + R + "b"},
        {"{\\rtf1\\qc a\\par\\qr b\\qj c}", "\x01R\x02JC\x04" "a\r\n\x01JR\x04" "b\x01JB\x04" "c"},
        {"{\\rtf1\\sub a\\nosupersub\\super b\\plain c}",
         "\x01R\x02S1\x04" "a\x01R\x02P1\x04" "b" + R + "c"},
        {"{\\rtf1 \\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\endash\\emdash}",
         R + bytes({145, 146, 147, 148, 149, 150, 151})},
        {"{\\rtf1 caf\\'e9 \\'C9}", R + "caf" + bytes({0xE9}) + " " + bytes({0xC9})},
        {"{\\rtf1 a\\{b\\}c\\\\d\\tab e}", R + "a{b}c\\d\te"},
        {"{\\rtf1 a\\~b\\-c\\unknown7 d}", R + "abcd"},
        {"{\\rtf1 \\ b on}", "\x01R\x02" "B1\x04on"},  // blanks after the backslash
    };
    for (const Case& c : cases) EXPECT_EQ(RTFToCodes(c.rtf), c.codes) << c.rtf;
}

TEST(RtfReader, BadInputConvertsWithoutFault) {
    struct Case {
        std::string rtf;
        std::string codes;
    };
    const Case cases[] = {
        {"}}{\\b x", "\x01R\x02" "B1\x04x"},                  // unbalanced braces
        {"{\\rtf1 \\b", ""},                                    // cut short after a word
        {"{\\rtf1 a\\", R + "a"},                               // cut short after a backslash
        {"{\\rtf1 \\'4", R + "?"},                              // a missing hex digit counts as -1
        {"{\\rtf1 \\'zz", R + bytes({0xEF})},                   // no hex digits: -1 and -1
        {std::string("ab\0cd", 5), R + "ab"},                   // byte 0 ends the input
        {"a\x01\x04" "b\\'01\\'04c", R + "abc"},                // control bytes never reach the text
        {"{\\fonttbl{\\f99999999 Huge;}}\\f99999999 x", "\x01R\x02NHuge\x04x"},  // font 0 stands in
        {"{\\colortbl;}\\cf-3 x", R + "x"},
        {"{\\*", ""},
        {std::string(10000, '{') + "deep" + std::string(3, '}'), R + "deep"},
    };
    for (const Case& c : cases) EXPECT_EQ(RTFToCodes(c.rtf), c.codes) << testing::PrintToString(c.rtf);
}

}  // namespace
