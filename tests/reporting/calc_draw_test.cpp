// Project calculations (functions, operators, totals by type) and the
// drawing components on a recording engine: diagonals, pen widths in
// pixels and points, and the clear pen of width 0.
#include <gtest/gtest.h>

#include <cmath>

#include "RecordingReport.h"
#include "reporting/project/DZCalc.h"
#include "reporting/project/DZCsData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/project/DZCsDraw.h"

namespace {

TEST(DuzuCalc, FunctionsAndOperators) {
    struct Case {
        TDuzuCalcFunction Function;
        double X, Result;
    } functions[] = {
        {cfRound2, 2.345, 2.35},      {cfRound2, -2.345, -2.35},   {cfRound1, 0.05, 0.1},
        {cfRound, 2.5, 3},            {cfTrunc, -2.7, -2},         {cfFrac, 2.25, 0.25},
        {cfPercent, 0.125, 12.5},     {cfMinsToTime, 720, 0.5},    {cfTimeToMins, 0.25, 360},
        {cfSecsToTime, 43200, 0.5},   {cfHoursToTime, 6, 0.25},    {cfTimeToHours, 0.5, 12},
        {cfTimeToSecs, 1, 86400},     {cfSqr, -3, 9},              {cfInc, 1, 2},
    };
    for (const Case& c : functions) EXPECT_DOUBLE_EQ(applyCalcFunction(c.Function, c.X), c.Result) << c.Function;
    double r = applyCalcFunction(cfRandom, 10);
    EXPECT_TRUE(r >= 0 && r < 10);

    struct OpCase {
        TDuzuCalcOperator Operator;
        double A, B, Result;
    } operators[] = {
        {coAdd, 7, 2, 9},    {coSub, 7, 2, 5},     {coMul, 7, 2, 14},  {coDiv, 7, 2, 3.5},
        {coDiv, 7, 0, 0},    {coMod, 7.9, 2.2, 1}, {coMod, 7, 0, 0},   {coExp, 2, 10, 1024},
        {coGreater, 7, 2, 7}, {coLesser, 7, 2, 2}, {coAverage, 7, 2, 4.5},
    };
    for (const OpCase& c : operators)
        EXPECT_DOUBLE_EQ(applyCalcOperator(c.Operator, c.A, c.B), c.Result) << c.Operator;
}

TEST(DuzuCalc, TotalsByType) {
    struct Case {
        TDuzuCalcType Type;
        bool CountBlanks;
        std::vector<double> Values;
        double Result;
    } cases[] = {
        {ctAverage, true, {10, 0, 20}, 10}, {ctAverage, false, {10, 0, 20}, 15}, {ctMin, true, {}, 0},
        {ctMin, true, {5, -2, 3}, -2},      {ctMax, true, {5, -2, 3}, 5},        {ctMax, true, {}, 0},
        {ctCount, false, {1, 0, 2}, 2},     {ctSum, true, {1.5, 2.5}, 4},        {ctAverage, true, {}, 0},
    };
    for (const Case& c : cases) {
        TDuzuCalcAccumulator total;
        total.CalcType = c.Type;
        total.CountBlanks = c.CountBlanks;
        for (double v : c.Values) total.Add(v);
        EXPECT_DOUBLE_EQ(total.Result(), c.Result) << c.Type;
    }
    TDuzuCalcAccumulator count;
    count.CalcType = ctCount;
    count.Init(4.7);
    count.Add(1);
    EXPECT_DOUBLE_EQ(count.Result(), 5);
    TDuzuCalcAccumulator sum;
    sum.Init(100);
    sum.Add(1);
    EXPECT_DOUBLE_EQ(sum.Result(), 101);
}

TEST(DuzuCalc, AnOperationTakesItsOperandsWithTheirFunctionsAndHandsItsTextOn) {
    DuzuRegisterAllClasses();
    TDuzuProjectManager project(nullptr);
    TDuzuProjectManager* saved = ProjectManager;
    ProjectManager = &project;
    TDuzuCalcOp inner(nullptr);
    inner.SetOperator(coMul);
    inner.SetSrc1Value(2.5);
    inner.SetSrc2Value(-4);
    inner.SetSrc2Function(cfAbs);  // 2.5 * 4
    TDuzuCalcOp outer(nullptr);
    outer.SetOperator(coAverage);
    outer.SetSrc1CalcVar(&inner);
    outer.SetSrc2Value(0.2345);
    outer.SetSrc2Function(cfPercent);  // (10 + 23.45) / 2
    outer.SetResultFunction(cfRound1);
    outer.SetDestParam("Half");
    outer.SetDisplayFormat("0.00");
    EXPECT_DOUBLE_EQ(outer.Value(), 16.7);
    outer.PrintSelf(nullptr);
    EXPECT_EQ(project.GetParamValue("Half"), "16.70");

    // Shown as a date and time: the value counts days.
    TDuzuCalcOp when(nullptr);
    when.SetSrc1Value(45000);
    when.SetSrc2Value(0.5);
    when.SetDestParam("When");
    when.SetDisplayType(dtDateTimeFmt);
    when.SetDisplayFormat("mm/dd/yyyy hh:nn");
    when.PrintSelf(nullptr);
    EXPECT_EQ(project.GetParamValue("When"), "03/15/2023 12:00");
    ProjectManager = saved;
}

TEST(DuzuDrawing, LinesTakeTheirDiagonalAndPen) {
    TestDevice device;  // 300 dpi
    struct Case {
        bool NESW;
        double Width;
        TLineWidthType Type;
        double X1, Y1, X2, Y2;
        int Pixels;
        TPenStyle Style;
    } cases[] = {
        {true, 1, wtPixels, 1, 2, 3, 1, 1, psSolid},
        {false, 3.4, wtPixels, 1, 1, 3, 2, 3, psSolid},
        {false, 2, wtPoints, 1, 1, 3, 2, 8, psSolid},  // 2/72 in at 300 dpi
        {false, 0, wtPixels, 1, 1, 3, 2, 0, psClear},
    };
    for (const Case& c : cases) {
        TDuzuLine line(nullptr);
        line.SetBounds(MakeRect(1, 1, 3, 2));
        line.SetNESW(c.NESW);
        line.SetLineWidth(c.Width);
        line.SetLineWidthType(c.Type);
        TRecordingReport report(&device);
        TPenStyle style = psSolid;
        report.Run([&](TRecordingReport& r) {
            line.Print(&r);
            style = r.GetCanvas()->Pen()->Style();
        });
        ASSERT_EQ(report.Output.size(), 1u);
        const Drawn& d = report.Output[0];
        EXPECT_NEAR(d.X1, c.X1, 1e-6);
        EXPECT_NEAR(d.Y1, c.Y1, 1e-6);
        EXPECT_NEAR(d.X2, c.X2, 1e-6);
        EXPECT_NEAR(d.Y2, c.Y2, 1e-6);
        EXPECT_EQ(d.PenWidth, c.Pixels) << c.Width;
        EXPECT_EQ(style, c.Style);
    }
}

TEST(DuzuDrawing, HeldShapesKeepTheirSides) {
    TDuzuHLine h(nullptr);
    h.SetHeight(1);
    TDuzuVLine v(nullptr);
    v.SetWidth(1);
    TDuzuSquare square(nullptr);
    square.SetWidth(2);
    TDuzuCircle circle(nullptr);
    circle.SetHeight(1.5);
    EXPECT_EQ(h.Height(), 0);
    EXPECT_EQ(v.Width(), 0);
    EXPECT_EQ(square.Height(), 2);
    EXPECT_EQ(circle.Width(), 1.5);
}

}  // namespace
