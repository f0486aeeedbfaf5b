// Fonts, text output, measuring, macros and named values of the base report.
#include <gtest/gtest.h>

#include "RecordingReport.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "reporting/TextFormatCodes.h"

namespace {

const std::string MacroToken = "\xFD$RSCM";

TEST(ReportFonts, FontPropertiesGoThroughTheCanvasFontIntoTheState) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Times New Roman", 12);
        EXPECT_EQ(r.FontName(), "Times New Roman");
        EXPECT_DOUBLE_EQ(r.FontSize(), 12);
        EXPECT_DOUBLE_EQ(r.FontHeight(), 50.0 / 300);  // 12 pt at 300 dpi is 50 pixels
        r.SetFont("Arial", 0);                          // size 0 changes nothing
        EXPECT_EQ(r.FontName(), "Times New Roman");

        // A change made on the canvas font itself reaches the state.
        r.GetCanvas()->Font()->SetStyle(TFontStyles({fsBold}));
        EXPECT_TRUE(r.Bold());
        r.SetItalic(true);
        EXPECT_TRUE(r.Italic());
        r.SetFontColor(clRed);
        EXPECT_EQ(r.FontColor(), clRed);

        const std::pair<int, int> rotations[] = {{450, 90}, {-30, -30}, {720, 0}, {-400, -40}};
        for (const auto& [set, read] : rotations) {
            r.SetFontRotation(set);
            EXPECT_EQ(r.FontRotation(), read) << set;
        }
    });
}

TEST(ReportFonts, ScriptFontsAreSmallerWithHalvedMetrics) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Arial", 24);
        r.UpdateLineHeight();
        const int fullHeight = r.RealisedFont()->LogFont().Height;
        const double fullDescent = r.FontDescent();
        r.SetSubscript(true);
        r.SetSuperscript(true);
        EXPECT_FALSE(r.Subscript());
        EXPECT_DOUBLE_EQ(r.FontSize(), 24);
        r.UpdateLineHeight();
        EXPECT_EQ(r.RealisedFont()->LogFont().Height, -60);  // -Round(100 * 0.59988)
        EXPECT_EQ(fullHeight, -100);
        // Half the metrics of the smaller device font.
        EXPECT_NEAR(r.FontDescent(), fullDescent * ScriptHeightFactor / 2, 1.0 / 300);
        r.SetSubscript(true);
        EXPECT_FALSE(r.Superscript());
    });
}

TEST(ReportFonts, CacheFindsARepeatedFontWithoutWidthOrColour) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Arial", 10);
        HFONT plain = r.RealisedFont();
        r.SetFontColor(clBlue);
        EXPECT_EQ(r.RealisedFont(), plain);
        r.SetBold(true);
        HFONT bold = r.RealisedFont();
        EXPECT_NE(bold, plain);
        r.SetBold(false);
        EXPECT_EQ(r.RealisedFont(), plain);
        r.SetFont("Arial", 11);
        EXPECT_NE(r.RealisedFont(), plain);
    });
}

TEST(ReportFonts, FontStackAndSavedPlaces) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        EXPECT_FALSE(r.PopFont());
        r.SetFont("Courier New", 9);
        EXPECT_TRUE(r.PushFont());
        EXPECT_TRUE(r.SaveFont(10));
        r.SetFont("Arial", 20);
        r.SetUnderline(true);
        EXPECT_TRUE(r.PopFont());
        EXPECT_EQ(r.FontName(), "Courier New");
        EXPECT_FALSE(r.Underline());
        r.SetFont("Arial", 20);
        EXPECT_TRUE(r.RestoreFont(10));
        EXPECT_EQ(r.FontName(), "Courier New");
        EXPECT_TRUE(r.RestoreFont(3));  // every place holds the default font
        EXPECT_EQ(r.FontName(), "Arial");
        EXPECT_FALSE(r.SaveFont(0));
        EXPECT_FALSE(r.SaveFont(11));
        EXPECT_FALSE(r.RestoreFont(11));
    });
}

TEST(ReportFonts, TwoColourPrinterPrintsEveryColourButWhiteBlack) {
    struct Case {
        int numColors;
        TColor font;
        TColor printed;
    };
    const Case cases[] = {
        {2, clRed, clBlack}, {2, clWhite, clWhite}, {2, clBtnFace, clBlack}, {-1, clRed, clRed}};
    for (const Case& c : cases) {
        TestDevice device(300, 0.25, c.numColors);
        TRecordingReport report(&device);
        report.Run([&](TRecordingReport& r) {
            r.SetFontColor(c.font);
            r.PrintLeft("x", 1);
        });
        ASSERT_EQ(report.Output.size(), 1u);
        EXPECT_EQ(report.Output[0].Color, c.printed) << c.numColors << " " << c.font;
    }
}

TEST(ReportText, JustifiedTextLandsWhereItsOperationSays) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetUnits(unMM);
    report.Run([](TRecordingReport& r) {
        r.SetYPos(50.8);
        r.PrintRight("Total", 76.2);
        r.PrintCenter("Mid", 25.4);
        r.PrintXY(12.7, 25.4, "At");
        r.PrintJustify("Block", pjBlock, 1, 0.1, 2);
        r.PrintJustify("Right", pjRight, 1, 0.1, 2);
        r.PrintJustify("Centre", pjCenter, 1, 0.1, 2);
    });
    const std::vector<std::tuple<std::string, double, double>> expected = {
        {"right", 3.0, 2.0}, {"center", 1.0, 2.0}, {"left", 0.5, 1.0},
        {"block", 1.1, 1.0}, {"right", 2.9, 1.0}, {"center", 2.0, 1.0}};
    ASSERT_EQ(report.Output.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(report.Output[i].Op, std::get<0>(expected[i]));
        EXPECT_DOUBLE_EQ(report.Output[i].X1, std::get<1>(expected[i])) << i;
        EXPECT_DOUBLE_EQ(report.Output[i].Y1, std::get<2>(expected[i])) << i;
    }
    EXPECT_DOUBLE_EQ(report.Output[3].X2, 2.9);
}

TEST(ReportText, TabsInsideTextWithoutStops) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Arial", 10);
        // No tab stops: B prints where A ended.
        r.GotoXY(1, 1);
        r.PrintTabbedText("A\tB");
        // Left-justified text: B at the next half inch after A, measured from X.
        r.PrintLeft("A\tB", 1);
        r.PrintLeft("\tC", 1);
        r.PrintLeft("Wider than half an inch\tD", 1);
    });
    const auto& out = report.Output;
    ASSERT_EQ(out.size(), 7u);
    EXPECT_DOUBLE_EQ(out[0].X1, 1);
    EXPECT_GT(out[1].X1, 1);
    EXPECT_LT(out[1].X1, 1.2);
    EXPECT_DOUBLE_EQ(out[3].X1, 1.5);
    EXPECT_DOUBLE_EQ(out[4].X1, 1.5);  // an empty first piece still moves to the stop
    EXPECT_EQ(out[6].Text, "D");
    EXPECT_DOUBLE_EQ(out[6].X1, 2.5);
}

TEST(ReportText, TextWidthMeasuresPlainAndCodedText) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Courier New", 12);  // 0.1 inch per character
        EXPECT_NEAR(r.TextWidth("abcdefghij"), 1.0, 1.0 / 300);
        EXPECT_DOUBLE_EQ(r.TextWidth(""), 1.0 / 300);
        const double plain = r.TextWidth("abc");
        EXPECT_NEAR(r.TextWidth("\x01" "B0\x04" "abc"), plain, 1e-12);
        EXPECT_GT(r.TextWidth("\x01Z24\x04" "abc"), plain * 1.9);
        EXPECT_EQ(r.FontSize(), 12);  // measuring keeps the font
        EXPECT_NEAR(CodedLineHeight(&r, "a\x01Z24\x04" "b\x01Z6\x04"), 100.0 / 300, 1e-12);
        r.SetScaleX(200);  // a scaled report measures in its own, unscaled space
        EXPECT_NEAR(r.TextWidth("abcdefghij"), 0.5, 1.0 / 300);
        r.SetScaleX(100);
        r.SetTabSpacing(0.5);
        EXPECT_EQ(PlainTextWidth(&r, "ab\tc", 0), 150 + 30);
    });
}

TEST(ReportText, PrintTabFitsBoxedStopsByDroppingCharacters) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Courier New", 12);
        r.SetTab(1, pjLeft, 0.55, 5, BOXLINENONE, 0);  // 0.45 inch inside the margins
        r.SetTab(2, pjLeft, 0.55, 5, BOXLINENONE, 0);
        r.SetTab(3, pjLeft, 0, 0, BOXLINENONE, 0);
        r.PrintTab("abcdefghij");
        r.PrintTab(MacroToken + "11 and more text");
        r.PrintTab("a stop without a box fits everything");
    });
    ASSERT_EQ(report.Output.size(), 3u);
    EXPECT_EQ(report.Output[0].Text, "abcd");
    EXPECT_DOUBLE_EQ(report.Output[0].X1, 1.05);
    EXPECT_EQ(report.Output[1].Text, MacroToken + "11 and more text");
    EXPECT_EQ(report.Output[2].Text, "a stop without a box fits everything");
}

TEST(ReportText, OutputOutsideARunRaisesTheGuardText) {
    TestDevice device;
    TRecordingReport report(&device);
    const std::vector<std::function<void()>> calls = {
        [&] { report.PrintLn("x"); },       [&] { report.TextWidth("x"); },
        [&] { report.Tab(); },              [&] { report.NewPage(); },
        [&] { report.SetBKColor(clRed); },  [&] { report.PrintCenter("x", 1); },
    };
    for (const auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const EDazedeVedodev& e) {
            EXPECT_EQ(e.Message(), "Invalid method call.  DazedeVedodev is not printing.");
        }
    }
    TRecordingReport noCanvas(noPrinterDevice());
    try {
        noCanvas.GetCanvas();
        ADD_FAILURE() << "no error";
    } catch (const EDazedeVedodev& e) {
        EXPECT_EQ(e.Message(), "Error!  Canvas not yet active.");
    }
}

TEST(ReportMacros, MacroTextsAndTokens) {
    setFixedNow(EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0));
    TestDevice device;
    TRecordingReport printer(&device);
    TRecordingReport writer(&device, DestStream);
    TStringList data;
    data.SetText("one\r\ntwo\r\nthree");
    printer.SetMacroData(&data);
    printer.SetPageNumOffset(10);
    std::map<int, std::string> texts;
    printer.Run([&](TRecordingReport& r) {
        for (int id : {2, 3, 6, 7, 8, 9, 11, 12, 13, 15, 16, 18, 19, 20, 36}) texts[id] = r.Macro(id);
        data.Add("four");
        data.Add("five");
        r.SetMacroData(&data);
        texts[20] = r.Macro(20);
    });
    clearFixedNow();
    const std::map<int, std::string> expected = {
        {2, "03/05/24"}, {3, "05/03/24"}, {6, "02:07 PM"}, {7, "14:07"}, {8, "1"}, {9, "9999"},
        {11, "1"}, {12, "11"}, {13, "Test Printer"}, {15, "LPT9:"}, {16, "one"}, {18, "three"},
        {19, ""}, {20, "five"}, {36, ""}};
    EXPECT_EQ(texts, expected);

    writer.Run([](TRecordingReport& r) {
        EXPECT_EQ(r.Macro(11), MacroToken + "11");
        EXPECT_EQ(r.Macro(4), MacroToken + "04");
        EXPECT_EQ(r.Macro(12), "1");
    });
}

TEST(ReportMacros, ExpandMacrosReplacesTokensUntilNoneIsLeft) {
    TestDevice device;
    TRecordingReport report(&device);
    TStringList data;
    data.SetText(MacroToken + "17\r\nnested\r\n" + MacroToken + "18");
    report.SetMacroData(&data);
    const std::string named = "\xFD$RSCV";
    const std::pair<std::string, std::string> cases[] = {
        {"Page " + MacroToken + "11 of " + MacroToken + "09", "Page 1 of 9999"},
        {"[" + MacroToken + "16]", "[nested]"},             // a macro text holding a token
        {"A " + MacroToken + "xy B", "A " + MacroToken + "xy B"},  // ID not a number: unchanged
        {"cut " + MacroToken + "1", "cut " + MacroToken + "1"},
        {named + "\xFC" "Name\xFB!", "Name!"},
        {named + "\xFC" "Open to the end", "Open to the end"},
        {"x" + MacroToken + "18y", "xy"},                   // expands to itself: stops, no loop
    };
    report.Run([&](TRecordingReport& r) {
        for (const auto& [text, expanded] : cases) {
            std::string t = text;
            r.ExpandMacros(t);
            if (text.find("18y") != std::string::npos) {
                EXPECT_EQ(t.find(MacroToken + "18"), 1u);
                continue;
            }
            EXPECT_EQ(t, expanded) << testing::PrintToString(text);
        }
    });
}

}  // namespace
