#include "richtext/RtWinCtr.h"

#include <algorithm>
#include <vector>

#include "ui/Printers.h"

namespace {

// The set's own layout words while printing.
constexpr uint32_t printSwitchOptions = 0x202;
constexpr uint32_t printLayoutOptions = 0x4683E;

}  // namespace

// ---------------------------------------------------------------- printing

namespace {

// What printing changes on the document, put back however it ends.
class PrintState {
public:
    explicit PrintState(TRtRTFTextInput& t)
        : t_(t),
          canvas_(t.Canvas),
          wordWrap_(t.WordWrap),
          options_(t.PaintOptions),
          width_(t.WindowWidth),
          height_(t.WindowHeight),
          top_(t.TopOffset),
          left_(t.LeftOffset),
          paintTop_(t.PaintTop),
          paintLeft_(t.PaintLeft),
          textWidth_(t.Header->TextWidthPx) {}
    ~PrintState() {
        t_.PaintOptions = printSwitchOptions;
        t_.WordWrap = wordWrap_;
        t_.TopOffset = top_;
        t_.LeftOffset = left_;
        t_.PaintTop = paintTop_;
        t_.PaintLeft = paintLeft_;
        t_.WindowHeight = height_;
        t_.WindowWidth = 0;
        t_.PaintOptions = options_;
        t_.SetCanvas(canvas_);
        t_.Header->SetTextWidthPx(textWidth_);
        t_.SetWindowWidth(width_);
        t_.ReformatAll();
    }

private:
    TRtRTFTextInput& t_;
    TCanvas* canvas_;
    bool wordWrap_;
    uint32_t options_;
    int width_, height_, top_, left_, paintTop_, paintLeft_, textWidth_;
};

struct PrintLine {
    TParagraph* par;
    TLine* line;
    bool newPage;
};

// The lines of the document in order, each marked when a page starts before it.
std::vector<PrintLine> pagedLines(TRtRTFTextInput& t, int bodyHeight) {
    std::vector<PrintLine> lines;
    int pageTop = 0;
    for (TParagraph* p = t.FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            bool first = lines.empty();
            bool explicitBreak = (l->LineFlags & lfPageBreakAfter) ||
                                 (l == p->FirstLine && (p->ParFlags & pfPageBreak));
            bool full = l->Y + l->Height - pageTop > bodyHeight;
            bool newPage = !first && (explicitBreak || full);
            if (newPage) pageTop = l->Y;
            lines.push_back({p, l, newPage});
        }
    return lines;
}

}  // namespace

void TRtCustomRtfEdit::PrintPage(TCanvas* Canvas, int PageNumber) {
    if (!Canvas || PageNumber < 1) return;
    TRtRTFTextInput& t = *rtfText_;
    PrintState restore(t);
    t.PaintOptions = printSwitchOptions;
    t.SetCanvas(Canvas);
    t.WordWrap = false;
    uint32_t extra = 0;
    static const uint32_t optionBits[] = {poNoClip, poIgnoreLeftOffset, poShowHidden, poNoBlockMarks,
                                          poNoBackground, poTransparent};
    for (int i = 0; i < 6; ++i)
        if (printOptions_ & (1u << i)) extra |= optionBits[i];
    t.PaintOptions = printLayoutOptions | extra;
    t.UpdateResolution();
    TDeviceContext* dc = Canvas->Handle();
    int dpiX = dc ? dc->GetDeviceCaps(LOGPIXELSX) : 96, dpiY = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    const TTextHeader& h = *t.Header;
    int bodyWidth = RtMulDiv(h.PageWidth - h.MarginLeft - h.MarginRight, dpiX, rtTwipsPerInch);
    int bodyHeight = RtMulDiv(h.PageHeight - h.MarginTop - h.MarginBottom, dpiY, rtTwipsPerInch);
    t.Header->SetTextWidthPx(bodyWidth);
    t.WindowWidth = bodyWidth;
    t.WindowHeight = bodyHeight;
    t.ReformatAll();
    t.PaintLeft = RtMulDiv(h.MarginLeft, dpiX, rtTwipsPerInch);
    t.PaintTop = RtMulDiv(h.MarginTop, dpiY, rtTwipsPerInch);
    int page = 1;
    for (const PrintLine& pl : pagedLines(t, bodyHeight)) {
        if (pl.newPage) ++page;
        if (pl.newPage || pl.line == t.FirstPar->FirstLine) t.TopOffset = pl.line->Y;
        if (page == PageNumber) t.PaintLine(pl.par, pl.line);
    }
}

void TRtCustomRtfEdit::Print() {
    TPrinter* printer = Printer();
    TRtRTFTextInput& t = *rtfText_;
    printer->BeginDoc();
    try {
        TCanvas* canvas = printer->Canvas();
        TDeviceContext* dc = canvas->Handle();
        // The margins count from the paper's edge; the device draws from its printable area.
        int offsetX = dc ? dc->GetDeviceCaps(PHYSICALOFFSETX) : 0;
        int offsetY = dc ? dc->GetDeviceCaps(PHYSICALOFFSETY) : 0;
        int dpiX = dc ? dc->GetDeviceCaps(LOGPIXELSX) : 96, dpiY = dc ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
        {
            PrintState restore(t);
            t.PaintOptions = printSwitchOptions;
            t.SetCanvas(canvas);
            t.WordWrap = false;
            t.PaintOptions = printLayoutOptions;
            t.UpdateResolution();
            const TTextHeader& h = *t.Header;
            int left = RtMulDiv(h.MarginLeft, dpiX, rtTwipsPerInch) - offsetX;
            int top = RtMulDiv(h.MarginTop, dpiY, rtTwipsPerInch) - offsetY;
            int bodyWidth = RtMulDiv(h.PageWidth - h.MarginLeft - h.MarginRight, dpiX, rtTwipsPerInch);
            int bodyHeight = RtMulDiv(h.PageHeight - h.MarginTop - h.MarginBottom, dpiY, rtTwipsPerInch);
            int bottomMargin = RtMulDiv(h.MarginBottom, dpiY, rtTwipsPerInch);
            t.Header->SetTextWidthPx(bodyWidth);
            t.WindowWidth = bodyWidth;
            t.WindowHeight = bodyHeight;
            t.ReformatAll();
            t.PaintLeft = left;
            t.PaintTop = top;
            int page = 1;
            int32_t lineNumber = 1;
            auto header = [&] {
                if (PrintHeader) PrintHeader(this, canvas, left, 0, bodyWidth, std::max(top, 0), page, lineNumber);
            };
            auto footer = [&] {
                if (PrintFooter)
                    PrintFooter(this, canvas, left, top + bodyHeight, bodyWidth, bottomMargin, page, lineNumber);
            };
            std::vector<PrintLine> lines = pagedLines(t, bodyHeight);
            if (!lines.empty()) t.TopOffset = lines.front().line->Y;
            header();
            for (const PrintLine& pl : lines) {
                if (pl.newPage) {
                    footer();
                    printer->NewPage();
                    ++page;
                    t.TopOffset = pl.line->Y;
                    header();
                }
                t.PaintLine(pl.par, pl.line);
                ++lineNumber;
            }
            --lineNumber;
            footer();
        }
        printer->EndDoc();
    } catch (...) {
        if (printer->Printing()) printer->Abort();
        invalidateUnlessLocked();
        throw;
    }
    invalidateUnlessLocked();
}
