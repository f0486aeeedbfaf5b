#include "RecordingReport.h"

#include "base/DateTime.h"
#include "reporting/ReportRounding.h"

namespace {

TDeviceCaps letterCaps(int dpi, double waste, int numColors) {
    TDeviceCaps caps;
    caps.Technology = DT_RASPRINTER;
    caps.LogPixelsX = caps.LogPixelsY = dpi;
    caps.PhysicalWidth = roundToInt(8.5 * dpi);
    caps.PhysicalHeight = roundToInt(11.0 * dpi);
    caps.PhysicalOffsetX = caps.PhysicalOffsetY = roundToInt(waste * dpi);
    caps.HorzRes = caps.PhysicalWidth - 2 * caps.PhysicalOffsetX;
    caps.VertRes = caps.PhysicalHeight - 2 * caps.PhysicalOffsetY;
    caps.NumColors = numColors;
    return caps;
}

}  // namespace

TestDevice::TestDevice(int dpi, double waste, int numColors)
    : dc_(letterCaps(dpi, waste, numColors)), canvas_(&dc_) {
    canvas_.Font()->SetPixelsPerInch(dpi);
}

TRecordingReport::TRecordingReport(TReportDevice* device, std::uint8_t destination)
    : TBaseReport(nullptr), destination_(destination) {
    SetDevice(device);
    OnBeforePrint = [this](TObject*) { Events.push_back("BeforePrint"); };
    OnNewPage = [this](TObject*) { Events.push_back("NewPage " + std::to_string(CurrentPage())); };
    OnPrintHeader = [this](TObject*) { Events.push_back("PrintHeader"); };
    OnPrintFooter = [this](TObject*) { Events.push_back("PrintFooter"); };
    OnAfterPrint = [this](TObject*) { Events.push_back("AfterPrint"); };
}

void TRecordingReport::Run(const std::function<void(TRecordingReport&)>& handler) {
    OnPrint = [this, handler](TObject*) { handler(*this); };
    Execute();
}

// The shared steps of a descendant's Start, in their order.
void TRecordingReport::Start() {
    idleGuard();
    setStartDateTime(Now());
    setCurrentPage(0);
    setAborted(false);
    DoBeforePrint();
    marginRefresh();
    setPrinting(true);
    HookFont();
    SetFontState(GetFontState());
    const bool keepTabs = PushTabs();
    ResetPrintState();
    if (keepTabs) PopTabs();
    TBaseReport::NewPage();
    CallReportEvents(ReportEventPageBegin);
    DoNewPage();
    DoPrintHeader();
}

void TRecordingReport::NewPage() {
    DoPrintFooter();
    CallReportEvents(ReportEventPageEnd);
    TBaseReport::NewPage();
    CallReportEvents(ReportEventPageBegin);
    DoNewPage();
    DoPrintHeader();
}

void TRecordingReport::Finish() {
    if (!Aborted()) {
        DoPrintFooter();
        CallReportEvents(ReportEventPageEnd);
    }
    DiscardLines();
    setPrinting(false);
    DoAfterPrint();
    FreeFontCache();
    UnhookFont();
}

void TRecordingReport::text(const std::string& op, const std::string& text, double x, double advanceFrom) {
    if (OutputSuppressed()) return;
    selectFont();
    const TColor color = GetCanvas()->Handle()->TextColor();
    const int pixels = text.empty() ? 0 : currentFont()->TextWidth(text);
    releaseFont();
    Output.push_back({op, x, unitsToInch(YPos()), 0, 0, text, 0, color});
    if (advanceFrom >= 0) {
        SetXPos(inchToUnits(advanceFrom));
        AdvancePos(inchToUnits(static_cast<double>(pixels) / XDPI()));
    }
}

void TRecordingReport::PrintLeftInch(const std::string& Text, double X) { text("left", Text, X, X); }

void TRecordingReport::PrintCenterInch(const std::string& Text, double X) {
    text("center", Text, X, -1);
}

void TRecordingReport::PrintRightInch(const std::string& Text, double X) { text("right", Text, X, -1); }

void TRecordingReport::PrintBlockInch(const std::string& Text, double X, double Width) {
    text("block", Text, X, -1);
    Output.back().X2 = X + Width;
}

void TRecordingReport::TabRectangle(double X1, double Y1, double X2, double Y2) {
    if (OutputSuppressed()) return;
    Output.push_back({"rect", unitsToInch(X1 + OriginX()), unitsToInch(Y1 + OriginY()), unitsToInch(X2 + OriginX()),
                      unitsToInch(Y2 + OriginY()), "", GetCanvas()->Pen()->Width(), GetCanvas()->Brush()->Color()});
}

void TRecordingReport::MoveTo(double X, double Y) {
    setPenPosition(X, Y);
    moveX_ = X + OriginX();
    moveY_ = Y + OriginY();
}

void TRecordingReport::LineTo(double X, double Y) {
    const double fromX = moveX_, fromY = moveY_;
    moveX_ = X + OriginX();
    moveY_ = Y + OriginY();
    if (CheckLine(X, Y) || OutputSuppressed()) return;
    Output.push_back({"line", unitsToInch(fromX), unitsToInch(fromY), unitsToInch(moveX_), unitsToInch(moveY_), "",
                      GetCanvas()->Pen()->Width(), GetCanvas()->Pen()->Color()});
}

HFONT TRecordingReport::RealisedFont() {
    selectFont();
    HFONT font = currentFont();
    releaseFont();
    return font;
}
