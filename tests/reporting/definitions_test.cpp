// Engine definitions: colour shading, the message hook, the version and the
// ordinals that streams depend on.
#include <gtest/gtest.h>

#include "RecordingReport.h"
#include "reporting/RSDefine.h"

namespace {

// Streams and projects store these by ordinal.
static_assert(pjBlock == 3 && unUser == 4 && lhmUser == 2 && smTempFile == 3);
static_assert(static_cast<int>(TOrientation::poDefault) == 2 && static_cast<int>(TRulerType::rtBothIn) == 6);
static_assert(ssAllowPreviewSetup == 8 && soNoGenerate == 5 && dtGraphic == 11 && rdFile == 2);

TEST(ReportDefinitions, ShadeColorMixesTowardsWhite) {
    struct Case {
        TColor color;
        int percent;
        TColor shaded;
    };
    const Case cases[] = {
        {clBlack, 0, RGB(255, 255, 255)},   {clRed, 0, RGB(255, 255, 255)},
        {clBlack, 100, clBlack},            {RGB(10, 20, 30), 150, RGB(10, 20, 30)},
        {clBlack, 50, RGB(127, 127, 127)},  {clBlack, 10, RGB(229, 229, 229)},
        {RGB(200, 100, 0), 25, RGB(241, 216, 191)},
        {clBtnFace, 100, ColorToRGB(clBtnFace)},  // system colours are resolved first
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShadeColor(c.color, static_cast<std::uint8_t>(c.percent)), c.shaded) << c.color << " " << c.percent;
}

TEST(ReportDefinitions, VersionIsAConstant) {
    TRSComponent component(nullptr);
    const TVersion version = component.Version();
    component.SetVersion("9.9");
    EXPECT_EQ(component.Version(), version);
    EXPECT_LE(version.size(), 20u);
}

TEST(ReportDefinitions, EngineMessagesPassThroughTheHook) {
    MessageHook = [](const std::string& source, std::string& dest) { dest = "[" + source + "]"; };
    TestDevice device;
    TRecordingReport report(&device);
    std::string message;
    try {
        report.PrintLn("x");
    } catch (const EDazedeVedodev& e) {
        message = e.Message();
    }
    EXPECT_EQ(report.StatusFormat(), "[Printing page %p]");
    MessageHook = DefaultMessageHook;
    EXPECT_EQ(message, "[Invalid method call.  DazedeVedodev is not printing.]");
}

}  // namespace
