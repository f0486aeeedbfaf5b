#pragma once
// Test support for the report engine core: a printer device that measures
// like a 300-dpi Letter printer with quarter-inch unprintable borders, and a
// report that runs pages as the printing descendants do and records what it
// is asked to draw, in inches, instead of drawing it.
#include <memory>
#include <string>
#include <vector>

#include "reporting/RSBase.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

class TestDevice : public TReportDevice {
public:
    // dpi pixels per inch, Letter paper, `waste` inches unprintable on each side.
    explicit TestDevice(int dpi = 300, double waste = 0.25, int numColors = -1);
    bool HasPrinters() override { return true; }
    TDeviceContext* Handle() override { return &dc_; }
    TCanvas* Canvas() override { return &canvas_; }
    std::string Device() override { return "Test Printer"; }
    std::string Driver() override { return "TESTDRV"; }
    std::string Port() override { return "LPT9:"; }

private:
    TDeviceContext dc_;
    TCanvas canvas_;
};

// One drawing call. Lengths in inches from the paper's edge (origin added).
struct Drawn {
    std::string Op;  // "left", "center", "right", "block", "line", "rect"
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    std::string Text;
    int PenWidth = 0;
    TColor Color = 0;  // text colour at the device, brush colour of a rect
};

class TRecordingReport : public TBaseReport {
public:
    explicit TRecordingReport(TReportDevice* device, std::uint8_t destination = DestPrinter);

    std::vector<Drawn> Output;
    // Event names in the order they ran.
    std::vector<std::string> Events;
    // Runs handler as the body of a run.
    void Run(const std::function<void(TRecordingReport&)>& handler);

    std::uint8_t Destination() override { return destination_; }
    void Start() override;
    void Finish() override;
    void NewPage() override;

    void PrintCenterInch(const std::string& Text, double X) override;
    void PrintLeftInch(const std::string& Text, double X) override;
    void PrintRightInch(const std::string& Text, double X) override;
    void PrintBlockInch(const std::string& Text, double X, double Width) override;
    void TabRectangle(double X1, double Y1, double X2, double Y2) override;
    void MoveTo(double X, double Y) override;
    void LineTo(double X, double Y) override;

    void Arc(double, double, double, double, double, double, double, double) override {}
    void BrushCopy(double, double, double, double, TBitmap*, double, double, double, double, TColor) override {}
    void Chord(double, double, double, double, double, double, double, double) override {}
    void CopyRect(double, double, double, double, TCanvas*, double, double, double, double) override {}
    void Draw(double, double, TGraphic*) override {}
    void DrawFocusRect(double, double, double, double) override {}
    void Ellipse(double, double, double, double) override {}
    void FillRect(double, double, double, double) override {}
    void FloodFill(double, double, TColor, TFillStyle) override {}
    void FrameRect(double, double, double, double) override {}
    void Pie(double, double, double, double, double, double, double, double) override {}
    void Polygon(const std::vector<std::pair<double, double>>&) override {}
    void Polyline(const std::vector<std::pair<double, double>>&) override {}
    void PrintBitmap(double, double, double, double, TBitmap*) override {}
    void PrintBitmapRect(double, double, double, double, TBitmap*) override {}
    void PrintImageRect(double, double, double, double, TStream*, const std::string&) override {}
    void Rectangle(double, double, double, double) override {}
    void RoundRect(double, double, double, double, double, double) override {}
    void StretchDraw(double, double, double, double, TGraphic*) override {}
    void TextRect(const TRect&, double, double, const std::string&) override {}
    void PrintData(const std::string&) override {}
    void PrintDataStream(TStream*, std::int64_t) override {}

    // The device font the report realises for its current state.
    HFONT RealisedFont();
    using TBaseReport::setDeviceOffset;

private:
    void text(const std::string& op, const std::string& text, double x, double advanceFrom);
    std::uint8_t destination_;
    double moveX_ = 0, moveY_ = 0;
};
