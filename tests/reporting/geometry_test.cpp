// Units, device conversions, page size, margins, sections, lines and columns
// of the base report, on a 300-dpi Letter printer with quarter-inch borders.
#include <gtest/gtest.h>

#include "RecordingReport.h"

namespace {

TEST(ReportGeometry, ConvertsToDevicePixelsWithScaleZoomWasteAndOrigin) {
    struct Case {
        TPrintUnits units;
        double scale, zoom, origin;  // origin in inches
        double position;             // in units
        int device;
    };
    const Case cases[] = {
        {unInch, 100, 100, 0, 1.0, 225},     // (1 - 0.25) * 300
        {unMM, 100, 100, 0, 25.4, 225},
        {unCM, 100, 100, 0, 2.54, 225},
        {unPoint, 100, 100, 0, 72, 225},
        {unInch, 200, 100, 0, 1.0, 525},     // (2 - 0.25) * 300
        {unInch, 100, 50, 0, 1.0, 75},       // (0.5 - 0.25) * 300
        {unInch, 50, 200, 0, 1.0, 225},
        {unInch, 100, 100, 0.5, 1.0, 375},   // (1.5 - 0.25) * 300
        {unMM, 150, 100, 0, 50.8, 825},      // (3 - 0.25) * 300
        {unInch, 100, 100, 0, 0.0, -75},     // left of the printable area
    };
    TestDevice device;
    for (const Case& c : cases) {
        TRecordingReport report(&device);
        report.SetUnits(c.units);
        report.SetScaleX(c.scale);
        report.SetScaleY(c.scale);
        report.SetZoomFactor(c.zoom);
        report.SetOriginX(report.inchToUnits(c.origin));
        report.SetOriginY(report.inchToUnits(c.origin));
        SCOPED_TRACE(testing::Message() << "units " << c.units << " scale " << c.scale << " zoom " << c.zoom);
        EXPECT_EQ(report.xUnitsToDevice(c.position), c.device);
        EXPECT_EQ(report.yUnitsToDevice(c.position), c.device);
        EXPECT_NEAR(report.xDeviceToUnits(c.device), c.position, 1e-9);
        EXPECT_NEAR(report.yDeviceToUnits(c.device), c.position, 1e-9);
    }
}

TEST(ReportGeometry, RoundsOnceAtTheDeviceAndAddsTheDeviceOffset) {
    TestDevice device;
    TRecordingReport report(&device);
    report.setDeviceOffset(10, 20);
    // 1.0017 in lies 0.51 px past 225: rounded once, not per step.
    EXPECT_EQ(report.xUnitsToDevice(1.0017), 236);
    EXPECT_EQ(report.yUnitsToDevice(1.0), 245);
    EXPECT_EQ(report.CreateRect(1, 1, 2, 3), (TRect{235, 245, 535, 845}));
}

TEST(ReportGeometry, PageSizeComesFromThePrinterOrIsLetterWithout) {
    TestDevice device;
    TRecordingReport withPrinter(&device);
    EXPECT_DOUBLE_EQ(withPrinter.PageWidth(), 8.5);
    EXPECT_DOUBLE_EQ(withPrinter.PageHeight(), 11.0);
    EXPECT_DOUBLE_EQ(withPrinter.LeftWaste(), 0.25);
    EXPECT_DOUBLE_EQ(withPrinter.BottomWaste(), 0.25);
    EXPECT_EQ(withPrinter.XDPI(), 300);

    TRecordingReport without(noPrinterDevice());
    EXPECT_TRUE(without.NoPrinters());
    EXPECT_EQ(without.XDPI(), 96);
    EXPECT_DOUBLE_EQ(without.PageWidth(), 8.5);
    EXPECT_DOUBLE_EQ(without.PageHeight(), 11.0);
    without.SetMarginRight(1);
    EXPECT_DOUBLE_EQ(without.SectionRight(), 7.5);
    EXPECT_TRUE(without.SetPaperSize(0, 8.27, 11.69));
    EXPECT_DOUBLE_EQ(without.PageWidth(), 8.27);
    EXPECT_FALSE(without.SetPaperSize(0, 8.27, 0));
    without.SetUnits(unMM);
    EXPECT_NEAR(without.PageHeight(), 11.69 * 25.4, 1e-9);
}

TEST(ReportGeometry, MarginsReadBackInTheUnitsTheyWereSetIn) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetMarginLeft(1);
    report.SetUnits(unMM);
    EXPECT_DOUBLE_EQ(report.MarginLeft(), 1);       // not converted
    EXPECT_DOUBLE_EQ(report.SectionLeft(), 25.4);   // the edge stays at 1 inch
    report.SetMarginLeft(25.4);
    EXPECT_DOUBLE_EQ(report.SectionLeft(), 25.4);
    report.SetMarginBottom(25.4);
    EXPECT_DOUBLE_EQ(report.SectionBottom(), 10 * 25.4);

    report.SetUnitsFactor(72);
    EXPECT_EQ(report.Units(), unPoint);
    report.SetUnitsFactor(72.0001);
    EXPECT_EQ(report.Units(), unUser);
    report.SetUnitsFactor(0);
    report.SetUnitsFactor(-3);
    EXPECT_DOUBLE_EQ(report.UnitsFactor(), 72.0001);
}

TEST(ReportGeometry, SectionEdgesPushThePrintPositionInside) {
    TestDevice device;
    TRecordingReport report(&device);
    report.GotoXY(3, 3);
    report.SetSectionTop(2);
    EXPECT_DOUBLE_EQ(report.YPos(), 3);  // above the position: left alone
    report.SetSectionTop(4);
    EXPECT_DOUBLE_EQ(report.YPos(), 4);
    report.SetSectionLeft(5);
    EXPECT_DOUBLE_EQ(report.XPos(), 5);
    report.SetSectionRight(4.5);
    EXPECT_DOUBLE_EQ(report.XPos(), 4.5);
    report.SetSectionBottom(3.5);
    EXPECT_DOUBLE_EQ(report.YPos(), 3.5);
    report.ResetSection();
    EXPECT_DOUBLE_EQ(report.SectionTop(), 0);
    EXPECT_DOUBLE_EQ(report.SectionRight(), 8.5);
    EXPECT_DOUBLE_EQ(report.XPos(), 4.5);  // the reset moves nothing
}

TEST(ReportGeometry, PositionStackRestoresInReverseOrder) {
    TestDevice device;
    TRecordingReport report(&device);
    EXPECT_FALSE(report.PopPos());
    report.GotoXY(1, 2);
    EXPECT_TRUE(report.PushPos());
    report.GotoXY(3, 4);
    report.PushPos();
    report.GotoXY(5, 6);
    EXPECT_TRUE(report.PopPos());
    EXPECT_DOUBLE_EQ(report.XPos(), 3);
    EXPECT_TRUE(report.PopPos());
    EXPECT_DOUBLE_EQ(report.YPos(), 2);
    EXPECT_FALSE(report.PopPos());
    EXPECT_DOUBLE_EQ(report.XPos(), 1);
}

// Lines of a quarter inch in a section of 1.6 inches: six lines fit each
// of two columns.
TEST(ReportGeometry, NewLineStepsThroughColumnsAndReportsTheSectionEnd) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetMarginTop(1);
    report.SetMarginBottom(11 - 2.6);
    report.SetMarginLeft(1);
    report.SetMarginRight(1.5);
    report.SetLinesPerInch(4);
    std::vector<std::string> steps;
    report.OnNewColumn = [&](TObject*) { steps.push_back("column"); };
    report.OnEndOfSection = [&](TObject*) { steps.push_back("end"); };
    report.Run([&](TRecordingReport& r) {
        r.SetColumns(2, 0.5);
        steps.clear();
        for (int i = 0; i < 13; ++i) {
            r.NewLine();
            steps.push_back(std::to_string(r.ColumnNum()) + ":" + std::to_string(r.LineNum()));
        }
        EXPECT_DOUBLE_EQ(r.ColumnWidth(), 3.25);
        EXPECT_DOUBLE_EQ(r.XPos(), 1 + 3.25);
    });
    const std::vector<std::string> expected = {
        "1:2", "1:3", "1:4", "1:5", "1:6", "column", "2:1", "2:2", "2:3", "2:4", "2:5",
        "2:6", "end", "2:7", "end", "2:8"};
    EXPECT_EQ(steps, expected);
}

TEST(ReportGeometry, LineReferencesFollowTheBaselineAndTheFont) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetLinesPerInch(4);
    report.Run([](TRecordingReport& r) {
        r.SetFont("Arial", 12);
        r.SetLineNum(3);
        const double descent = r.FontDescent();
        EXPECT_GT(descent, 0);
        EXPECT_DOUBLE_EQ(r.LineBottom(), 0.75);  // three lines below the section top
        EXPECT_DOUBLE_EQ(r.LineTop(), 0.5);
        EXPECT_DOUBLE_EQ(r.YPos(), 0.75 - descent);
        EXPECT_EQ(r.LinesLeft(), 42);  // (11 - 0.75) / 0.25 + 1
        r.SetFont("Arial", 30);
        r.AdjustLine();  // the top stays, the baseline moves for the bigger font
        EXPECT_DOUBLE_EQ(r.LineTop(), 0.5);
        EXPECT_GT(r.FontDescent(), descent);
        r.SetFontTop(2);
        EXPECT_NEAR(r.FontTop(), 2, 1e-12);
    });
}

}  // namespace
