// The memo buffer: its text with anchored format codes, editing and search,
// and word wrapping printed through a recording report in a fixed-advance
// font (Courier New, 12 points: every character is 0.1 in wide).
#include <gtest/gtest.h>

#include "ImagePagesDevice.h"
#include "RecordingReport.h"
#include "reporting/MemoBuf.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"

namespace {

struct Printed {
    std::vector<std::string> texts;
    std::vector<std::string> ops;
    std::vector<double> xs;
    double height = 0;
};

// Prints the whole memo from 1 in across Width inches.
Printed printMemo(TMemoBuf& memo, double width, int lines = 0,
                  const std::function<void(TRecordingReport&)>& setup = nullptr) {
    TestDevice device;
    TRecordingReport report(&device);
    Printed printed;
    report.Run([&](TRecordingReport& r) {
        r.SetFont("Courier New", 12);
        if (setup) setup(r);
        memo.PrintStart = 1;
        memo.PrintEnd = 1 + width;
        memo.BaseReport = &r;
        printed.height = memo.PrintLines(lines, false);
    });
    for (const Drawn& d : report.Output)
        if (d.Op == "left" || d.Op == "block") {
            printed.texts.push_back(d.Text);
            printed.ops.push_back(d.Op);
            printed.xs.push_back(d.X1);
        }
    return printed;
}

std::vector<std::string> wrap(const std::string& text, double width, bool keepSpaces = false) {
    TMemoBuf memo;
    memo.KeepSpaces = keepSpaces;
    memo.SetText(text);
    return printMemo(memo, width).texts;
}

std::string raisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const EDazedeVedodev& e) {
        return e.what();
    }
    return "";
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(MemoBuf, WordWrapInAFixedAdvanceFont) {
    struct Case {
        const char* text;
        double width;
        Lines lines;
    };
    const Case cases[] = {
        {"The quick brown fox", 1.0, {"The quick", "brown fox"}},
        {"A\r\nB", 1.0, {"A", "B"}},
        {"A\rB", 1.0, {"A", "B"}},
        {"A\nB", 1.0, {"A", "B"}},
        {"A\r\n\r\nB", 1.0, {"A", "", "B"}},
        {"  Indented start\r\n  second", 1.0, {"  Indented", "start", "  second"}},
        {"one  two three", 0.5, {"one", "two", "three"}},
        {"Supercalifragilistic", 1.0, {"Supercalif", "ragilistic"}},
        {"abc", 0.05, {"a", "b", "c"}},  // each character wider than the column still advances
        {"trailing   ", 1.0, {"trailing"}},
        {"exactly ten", 1.0, {"exactly", "ten"}},
        {"tenletters", 1.0, {"tenletters"}},
    };
    for (const Case& c : cases) EXPECT_EQ(wrap(c.text, c.width), c.lines) << c.text;
    EXPECT_EQ(wrap("one  two", 0.5, true), (Lines{"one", "  two"}));
}

TEST(MemoBuf, BlockLinesExceptEachParagraphsLast) {
    TMemoBuf memo;
    memo.Justify = pjBlock;
    memo.SetText("aa bb cc dd\r\nee ff gg");
    const Printed printed = printMemo(memo, 0.5);
    EXPECT_EQ(printed.texts, (Lines{"aa bb", "cc dd", "ee ff", "gg"}));
    EXPECT_EQ(printed.ops, (Lines{"block", "left", "block", "left"}));
}

TEST(MemoBuf, LinesHeightsAndContinuing) {
    TMemoBuf memo;
    memo.SetText("The quick brown fox jumps over the lazy dog");
    TestDevice device;
    TRecordingReport report(&device);
    int left = 0, first = 0, leftAfter = 0;
    double printedHeight = 0, tooLow = -1, memoHeight = 0;
    report.Run([&](TRecordingReport& r) {
        r.SetFont("Courier New", 12);
        memo.PrintStart = 1;
        memo.PrintEnd = 2;
        left = r.MemoLines(&memo);
        memoHeight = memo.MemoHeight();
        printedHeight = memo.PrintHeight(0.4, false);  // two lines at six lines per inch
        first = static_cast<int>(r.Output.size());
        tooLow = memo.PrintHeight(0.1, false);  // not one whole line
        leftAfter = r.MemoLines(&memo);
        r.PrintMemo(&memo, 0, false);
    });
    EXPECT_EQ(left, 5);
    EXPECT_NEAR(memoHeight, 5.0 / 6, 1e-9);
    EXPECT_NEAR(printedHeight, 2.0 / 6, 1e-9);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(tooLow, 0);
    EXPECT_EQ(leftAfter, 3);
    ASSERT_EQ(report.Output.size(), 5u);
    EXPECT_EQ(report.Output[2].Text, "jumps over");
    EXPECT_NEAR(report.Output[2].Y1 - report.Output[1].Y1, 1.0 / 6, 1e-9);
    EXPECT_TRUE(memo.Empty());
}

TEST(MemoBuf, EmptyBufferAndMessages) {
    TMemoBuf memo;
    const Printed printed = printMemo(memo, 1.0);
    EXPECT_EQ(printed.height, 0);
    EXPECT_TRUE(printed.texts.empty());

    TMemoBuf unbound;
    unbound.SetText("text");
    unbound.PrintEnd = 1;
    EXPECT_EQ(raisedBy([&] { unbound.PrintLines(0, false); }), "TMemoBuf.BaseReport not assigned.");
    EXPECT_EQ(unbound.PrintLines(-1, false), 0);
    TestDevice device;
    TRecordingReport report(&device);
    std::string edges;
    report.Run([&](TRecordingReport& r) {
        TMemoBuf memo;
        memo.SetText("text");
        memo.PrintStart = memo.PrintEnd = 2;
        edges = raisedBy([&] { r.PrintMemo(&memo, 0, false); });
    });
    EXPECT_EQ(edges, "TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart");
}

TEST(MemoBuf, CodesAreLiftedOutAndAnchored) {
    TMemoBuf memo;
    memo.SetText("\x01" "B1\x04" "\x01" "I1\x04Total");
    EXPECT_EQ(memo.GetText(), "Total");
    ASSERT_EQ(memo.ItemCount(), 1);
    EXPECT_EQ(memo.Item(0)->Position, 0);
    EXPECT_EQ(memo.Item(0)->Codes, "\x01" "B1\x02I1\x04");

    memo.ParseCodes = false;
    memo.SetText("\x01" "B1\x04Total");
    EXPECT_EQ(memo.Size(), 9);
    EXPECT_EQ(memo.ItemCount(), 0);
}

TEST(MemoBuf, DeleteAcrossABoldStartKeepsTheFollowingTextBold) {
    TMemoBuf memo;
    memo.SetText("plain \x01" "B1\x04" "bold text");
    ASSERT_EQ(memo.GetText(), "plain bold text");
    memo.Delete(3, 5);  // "in bo"
    EXPECT_EQ(memo.GetText(), "plald text");
    EXPECT_FALSE(memo.FormatAt(2).Bold);
    EXPECT_TRUE(memo.FormatAt(3).Bold);
    EXPECT_TRUE(memo.FormatAt(9).Bold);
}

TEST(MemoBuf, EditingClampsPositionsAndMovesCodes) {
    struct Case {
        std::function<void(TMemoBuf&)> edit;
        const char* text;
        int boldFrom;
    };
    const Case cases[] = {
        {[](TMemoBuf& m) { m.Insert(0, "Grand "); }, "Grand Total due", 6},
        {[](TMemoBuf& m) { m.Insert(-5, ">"); }, ">Total due", 1},
        {[](TMemoBuf& m) { m.Insert(1000, "!"); }, "Total due!", 0},
        {[](TMemoBuf& m) { m.Delete(-3, 2); }, "tal due", 0},
        {[](TMemoBuf& m) { m.Delete(5, 1000); }, "Total", 0},
        {[](TMemoBuf& m) { m.Delete(50, 2); }, "Total due", 0},
    };
    for (const Case& c : cases) {
        TMemoBuf memo;
        memo.SetText("\x01" "B1\x04Total due");
        c.edit(memo);
        EXPECT_EQ(memo.GetText(), c.text);
        EXPECT_TRUE(memo.FormatAt(c.boldFrom).Bold) << c.text;
        if (c.boldFrom > 0) {
            EXPECT_FALSE(memo.FormatAt(c.boldFrom - 1).Bold) << c.text;
        }
    }
    TMemoBuf memo;
    memo.SetText("abc");
    memo.SetPos(-1);
    EXPECT_EQ(memo.Pos, 0);
    memo.SetPos(99);
    EXPECT_EQ(memo.Pos, 3);
    EXPECT_TRUE(memo.Empty());
}

TEST(MemoBuf, SearchAndReplace) {
    TMemoBuf memo;
    memo.SetText("Frames and frames and FRAMES");
    EXPECT_TRUE(memo.Search("frames", false));
    EXPECT_EQ(memo.Pos, 0);
    EXPECT_TRUE(memo.SearchNext());
    EXPECT_EQ(memo.Pos, 11);
    EXPECT_TRUE(memo.SearchNext());
    EXPECT_EQ(memo.Pos, 22);
    EXPECT_FALSE(memo.SearchNext());
    EXPECT_EQ(memo.Pos, 22);
    EXPECT_TRUE(memo.Search("frames", true));
    EXPECT_EQ(memo.Pos, 11);
    EXPECT_FALSE(memo.Search("lens", false));
    EXPECT_EQ(memo.Pos, 11);

    memo.SetText("\x01" "B1\x04" "Frames\x01" "B0\x04 and frames");
    memo.SetPos(15);
    memo.ReplaceAll("frames", "glasses", false);
    EXPECT_EQ(memo.GetText(), "glasses and glasses");
    EXPECT_TRUE(memo.FormatAt(0).Bold);
    EXPECT_TRUE(memo.FormatAt(6).Bold);
    EXPECT_FALSE(memo.FormatAt(7).Bold);
    EXPECT_FALSE(memo.FormatAt(12).Bold);
    EXPECT_EQ(memo.Pos, 15);
}

TEST(MemoBuf, LongTextSurvives) {
    std::string text;
    for (int i = 0; text.size() < 100000; ++i) text += "line " + std::to_string(i) + "\r\n";
    text.resize(100000);
    TMemoBuf memo;
    memo.SetText(text);
    EXPECT_EQ(memo.Size(), 100000);
    EXPECT_EQ(memo.GetText(), text);
}

TEST(MemoBuf, CodedLinesCarryTheirFormatIndentsAndHeights) {
    TMemoBuf memo;
    memo.SetText("\x01" "Z24\x04" "Big\r\n\x01" "Z12\x02" "L0.5\x04small words here");
    TestDevice device;
    TRecordingReport report(&device);
    double height = 0, printed = 0;
    report.SetLineHeightMethod(lhmFont);
    report.Run([&](TRecordingReport& r) {
        memo.PrintStart = 1;
        memo.PrintEnd = 3;
        memo.BaseReport = &r;
        height = memo.MemoHeight();
        printed = memo.PrintLines(0, false);
    });
    EXPECT_NEAR(height, 1.2 * 24 / 72 + 1.2 * 12 / 72, 1e-9);
    EXPECT_NEAR(printed, height, 1e-9);
    ASSERT_EQ(report.Output.size(), 2u);
    EXPECT_EQ(report.Output[0].Text.substr(0, 2), "\x01R");
    EXPECT_NE(report.Output[0].Text.find("Z24"), std::string::npos);
    EXPECT_NE(report.Output[0].Text.find("Big"), std::string::npos);
    EXPECT_NE(report.Output[1].Text.find("small words here"), std::string::npos);
    EXPECT_DOUBLE_EQ(report.Output[0].X1, 1.0);
    EXPECT_DOUBLE_EQ(report.Output[1].X1, 1.5);  // its left indent
    EXPECT_NEAR(report.Output[1].Y1 - report.Output[0].Y1, 1.2 * 12 / 72, 1e-9);
}

TEST(MemoBuf, APrintedMemoStaysInItsColumn) {
    ImagePagesDevice pages(100);
    TDazedeVedodev report(nullptr);
    report.SetDevice(&pages);
    report.OnPrint = [&](TObject*) {
        TMemoBuf memo;
        // With codes in the text, lines are justified by their J code.
        memo.SetText("\x01" "JB\x04" "Patient reports blurred distance vision since spring; the old pair was lost at the lake. "
                     "\x01" "B1\x04" "Recommended:" "\x01" "B0\x04" " progressive lenses with an anti-reflective "
                     "coating, and a spare pair of readers.\r\nNext exam in twelve months.");
        memo.PrintStart = 1;
        memo.PrintEnd = 4;
        report.GotoXY(1, 1);
        report.PrintMemo(&memo, 0, false);
    };
    report.Execute();
    const QImage page = pages.Page(0).copy();
    KeepPicture(page, "memo-column");
    const TRect ink = InkBounds(page);
    EXPECT_NEAR(ink.Left, 100, 2);
    EXPECT_NEAR(ink.Right, 400, 2);  // block lines reach the right edge
    EXPECT_GT(ink.Bottom - ink.Top, 80);
}
