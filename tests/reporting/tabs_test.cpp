// Tab stops with boxes and shading, the tab stack, pens and the merging of
// straight lines, recorded by a small descendant of the base report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <tuple>

#include "RecordingReport.h"

namespace {

struct Seen {
    std::string op;
    double x1, y1, x2, y2;
    int pen;
    bool operator<(const Seen& o) const {
        return std::tie(op, x1, y1, x2, y2, pen) < std::tie(o.op, o.x1, o.y1, o.x2, o.y2, o.pen);
    }
    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
    *os << s.op << " (" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ") pen " << s.pen;
}

// Lines and rectangles, sorted, with lengths rounded to a thousandth.
std::vector<Seen> shapes(const std::vector<Drawn>& output) {
    auto r = [](double v) { return std::round(v * 1000) / 1000; };
    std::vector<Seen> seen;
    for (const Drawn& d : output)
        if (d.Op == "line" || d.Op == "rect") seen.push_back(Seen{d.Op, r(d.X1), r(d.Y1), r(d.X2), r(d.Y2), d.PenWidth});
    std::sort(seen.begin(), seen.end());
    return seen;
}

TEST(ReportTabs, ThreeStopBoxTableWithShade) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetMarginTop(1);
    report.SetLinesPerInch(4);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Arial", 10);
        r.SetTab(1.0, pjLeft, 1.5, 5, BOXLINEALL, 10);
        r.SetTab(-1, pjCenter, 2.0, 5, BOXLINEALL, 10);
        r.SetTab(-1, pjRight, 1.0, 5, BOXLINEALL, 10);
        for (int row = 0; row < 2; ++row) {
            r.PrintTab("Item");
            r.PrintTab("Qty");
            r.PrintTab("9.99");
            r.NewLine();
        }
    });
    std::vector<Seen> expected = {
        {"line", 1.0, 1.0, 5.5, 1.0, 1},  {"line", 1.0, 1.25, 5.5, 1.25, 1}, {"line", 1.0, 1.5, 5.5, 1.5, 1},
        {"line", 1.0, 1.0, 1.0, 1.5, 1},  {"line", 2.5, 1.0, 2.5, 1.5, 1},   {"line", 4.5, 1.0, 4.5, 1.5, 1},
        {"line", 5.5, 1.0, 5.5, 1.5, 1},
        {"rect", 1.0, 1.0, 2.5, 1.25, 1}, {"rect", 1.0, 1.25, 2.5, 1.5, 1},
        {"rect", 2.5, 1.0, 4.5, 1.25, 1}, {"rect", 2.5, 1.25, 4.5, 1.5, 1},
        {"rect", 4.5, 1.0, 5.5, 1.25, 1}, {"rect", 4.5, 1.25, 5.5, 1.5, 1},
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shapes(report.Output), expected);
    for (const Drawn& d : report.Output) {
        if (d.Op == "rect") {
            EXPECT_EQ(d.Color, RGB(229, 229, 229));
        }
    }

    // Text inside the stops, then the merged lines on top of it.
    ASSERT_GE(report.Output.size(), 3u);
    std::vector<std::pair<std::string, double>> texts;
    for (const Drawn& d : report.Output)
        if (d.Op == "left" || d.Op == "center" || d.Op == "right") texts.emplace_back(d.Op, d.X1);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], std::make_pair(std::string("left"), 1.05));
    EXPECT_EQ(texts[1], std::make_pair(std::string("center"), 3.5));
    EXPECT_NEAR(texts[2].second, 5.45, 1e-12);
    EXPECT_EQ(report.Output.back().Op, "line");
}

TEST(ReportTabs, ExplicitLineWidthsAndShadeOverride) {
    struct Case {
        std::uint8_t lines;
        int left, right, top, shade;
        std::vector<Seen> drawn;
    };
    const double top = 0.75, bottom = 1.0;  // line 4 at four lines per inch
    const Case cases[] = {
        {BOXLINELEFT, NA, NA, NA, NA, {{"line", 1, bottom, 1, top, 1}}},
        {BOXLINELEFT, 0, NA, NA, NA, {}},                                   // width 0 suppresses it
        {BOXLINENONE, NA, 3, NA, NA, {{"line", 2, top, 2, bottom, 3}}},     // drawn though the flag is off
        {BOXLINENONE, NA, NA, -10, NA, {{"line", 1, top, 2, top, 30}}},     // a tenth of an inch
        {BOXLINENONE, NA, NA, -1, NA, {{"line", 1, top, 2, top, 3}}},
        {BOXLINENONE, NA, NA, NA, 50, {{"rect", 1, top, 2, bottom, 1}}},
    };
    TestDevice device;
    for (const Case& c : cases) {
        TRecordingReport report(&device);
        report.SetLinesPerInch(4);
        report.Run([&](TRecordingReport& r) {
            r.SetDirectLines(true);
            r.SetLineNum(4);
            r.SetTab(1, pjLeft, 1, 0, c.lines, 0);
            r.Tab(c.left, c.right, c.top, NA, c.shade);
        });
        EXPECT_EQ(shapes(report.Output), c.drawn) << int(c.lines) << " " << c.left << " " << c.right << " " << c.top;
        if (c.shade == 50) {
            EXPECT_EQ(report.Output[0].Color, RGB(127, 127, 127));
        }
    }
}

TEST(ReportTabs, StopsFollowListsShareAndShadeClamps) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetMarginLeft(0.75);
    EXPECT_FALSE(report.PushTabs());
    report.SetTab(-1, pjLeft, 1, 10, BOXLINEALL, 0);
    report.SetTab(-32768, pjRight, 0.5, 0, BOXLINENONE, 0);
    report.SetTab(4, pjLeft, 0, 20, BOXLINEALL, 30);  // no width: no margin, lines or shade
    EXPECT_DOUBLE_EQ(report.GetTab(1)->Pos, 0.75);
    EXPECT_DOUBLE_EQ(report.GetTab(2)->Pos, 1.75);
    EXPECT_DOUBLE_EQ(report.TabWidth(1), 0.8);
    EXPECT_EQ(report.GetTab(3)->Shade, 0);
    EXPECT_FALSE(report.GetTab(3)->LeftLine);
    EXPECT_EQ(report.GetTab(4), nullptr);
    EXPECT_EQ(report.GetTab(0), nullptr);
    EXPECT_DOUBLE_EQ(report.TabWidth(9), 0);

    EXPECT_TRUE(report.PushTabs());
    report.ClearTabs();  // the stack still holds the stops
    EXPECT_EQ(report.GetTab(1), nullptr);
    EXPECT_TRUE(report.PopTabs());
    EXPECT_DOUBLE_EQ(report.GetTab(2)->Pos, 1.75);
    EXPECT_FALSE(report.PopTabs());
    EXPECT_TRUE(report.RestoreTabs(1));  // nothing fills the saved places
    EXPECT_EQ(report.GetTab(1), nullptr);
    EXPECT_FALSE(report.RestoreTabs(11));

    const std::pair<int, int> shades[] = {{150, 100}, {-5, 0}, {0, 0}, {1, 1}, {50, 50}};
    for (const auto& [set, read] : shades) {
        report.SetTabShade(set);
        EXPECT_EQ(report.TabShade(), read) << set;
    }
}

TEST(ReportTabs, TabAfterTheLastStopPrintsAtThePosition) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.SetTab(1, pjLeft, 0, 0, BOXLINENONE, 0);
        r.PrintTab("a");
        r.GotoXY(5, 1);
        r.PrintTab("b");
        r.SetColumns(2, 0);
        r.SetColumnNum(2);
        r.PrintTab("c");  // the stop moved into column 2
    });
    ASSERT_EQ(report.Output.size(), 3u);
    EXPECT_DOUBLE_EQ(report.Output[0].X1, 1);
    EXPECT_DOUBLE_EQ(report.Output[1].X1, 5);
    EXPECT_DOUBLE_EQ(report.Output[2].X1, 1 + 4.25);
}

TEST(ReportPens, WidthsInPixelsHundredthsAndTenThousandthsOfAnInch) {
    struct Case {
        int width;
        double zoom;
        int pixels;
    };
    const Case cases[] = {
        {3, 100, 3},       {0, 100, 0},       {-1, 100, 3},     {-10, 100, 30},   {-10, 50, 15},
        {-10001, 100, 1},  // 0.03 px rounds to 0, and a negative width gives at least 1
        {-10050, 100, 2},  // 1.5 px
        {-10100, 100, 3},  {-10000, 100, 30000},
    };
    TestDevice device;
    for (const Case& c : cases) {
        TRecordingReport report(&device);
        report.SetZoomFactor(c.zoom);
        report.SetPen(clRed, psDash, c.width, pmCopy);
        const TPen* pen = report.GetCanvas()->Pen();
        EXPECT_EQ(pen->Width(), c.pixels) << c.width << " at zoom " << c.zoom;
        EXPECT_EQ(pen->Style(), psDash);
        EXPECT_EQ(pen->Color(), clRed);
    }
}

TEST(ReportLines, StraightLinesWithTheSamePenMergeUntilThePageEnds) {
    struct Segment {
        double x1, y1, x2, y2;
        int pen;
    };
    struct Case {
        const char* what;
        std::vector<Segment> segments;
        std::vector<Seen> drawn;
    };
    const Case cases[] = {
        {"overlap", {{1, 2, 3, 2, 1}, {2, 2, 5, 2, 1}}, {{"line", 1, 2, 5, 2, 1}}},
        {"other width", {{1, 2, 3, 2, 1}, {2, 2, 5, 2, 3}}, {{"line", 1, 2, 3, 2, 1}, {"line", 2, 2, 5, 2, 3}}},
        {"vertical, joined", {{2, 1, 2, 3, 1}, {2, 4, 2, 3, 1}}, {{"line", 2, 1, 2, 4, 1}}},
        {"covering", {{1, 2, 5, 2, 1}, {0, 2, 6, 2, 1}}, {{"line", 0, 2, 6, 2, 1}}},
        {"inside", {{1, 2, 5, 2, 1}, {2, 2, 3, 2, 1}}, {{"line", 1, 2, 5, 2, 1}}},
        {"apart", {{1, 2, 2, 2, 1}, {3, 2, 4, 2, 1}}, {{"line", 1, 2, 2, 2, 1}, {"line", 3, 2, 4, 2, 1}}},
        {"within tolerance", {{1, 2, 3, 2, 1}, {3.00005, 2.00005, 4, 2.00005, 1}}, {{"line", 1, 2, 4, 2, 1}}},
        {"diagonal", {{1, 1, 2, 2, 1}}, {{"line", 1, 1, 2, 2, 1}}},
    };
    TestDevice device;
    for (const Case& c : cases) {
        TRecordingReport report(&device);
        std::size_t drawnBeforePageEnd = 0;
        report.Run([&](TRecordingReport& r) {
            for (const Segment& s : c.segments) {
                r.SetPen(clBlack, psSolid, s.pen, pmCopy);
                r.MoveTo(s.x1, s.y1);
                r.LineTo(s.x2, s.y2);
            }
            drawnBeforePageEnd = r.Output.size();
        });
        EXPECT_EQ(shapes(report.Output), c.drawn) << c.what;
        EXPECT_EQ(drawnBeforePageEnd, std::string(c.what) == "diagonal" ? 1u : 0u) << c.what;
    }
}

}  // namespace
