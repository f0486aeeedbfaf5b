#include "reporting/RSBars.h"

#include <utility>

#include "reporting/RSBase.h"

namespace {

const char* const NoReportMessage = "TBaseReport object not defined.  Printing Aborted.";

// Module widths of the digits' L codes, space first (UPC-A and EAN-13). An
// R code has the same widths with bar first; a G code is the L code reversed.
const char* const DigitCodes[10] = {"3211", "2221", "2122", "1411", "1132", "1231", "1114", "1312", "1213", "3112"};
// The parity (L or G) of the six left digits by the leading EAN-13 digit.
const char* const LeadingParity[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                       "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
const char* const SideGuard = "111";
const char* const CentreGuard = "11111";

// Modules of a symbol: three guards (3 + 5 + 3) and twelve digits of 7.
constexpr int SymbolModules = 95;
constexpr int GuardModules = 11;
// The readable font shrinks in these steps until ten digits fit.
constexpr double FontStep = 0.1;
const char* const FitText = "0000000000";
constexpr double ReadableShare = 0.9;
constexpr double OuterDigitShare = 2.0 / 3.0;
// Where the readable groups and the outer digits sit, in modules.
constexpr double LeftGroupCentre = 24;
constexpr double RightGroupCentre = 71;
constexpr double OuterDigitGap = 2;

int digitOf(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

}  // namespace

// ---------------------------------------------------------------- base

TRSBarsBase::TRSBarsBase(TBaseReport* BaseReport) : BaseReport(BaseReport) {
    if (BaseReport) {
        XPos = BaseReport->XPos();
        YPos = BaseReport->YPos();
    }
}

bool TRSBarsBase::IsValidChar(char /*Ch*/) { return true; }

void TRSBarsBase::SetText(const std::string& Value) {
    text_.clear();
    for (char c : Value)
        if (IsValidChar(c)) text_ += c;
}

void TRSBarsBase::SetXPosition(double X) {
    XPos = X;
    BarCodeJustify = pjLeft;
}

std::string TRSBarsBase::GetFullText() { return useChecksum_ ? text_ + GetCheckDigit() : text_; }

double TRSBarsBase::readableHeight() {
    if (!BaseReport || !printReadable_) return 0;
    BaseReport->UpdateLineHeight();
    return BaseReport->FontBottom() - BaseReport->FontTop();
}

void TRSBarsBase::placeBox(double Length, double Depth) {
    const bool across = BarCodeRotation % 2 == 1;
    boxWidth_ = across ? Depth : Length;
    boxHeight_ = across ? Length : Depth;
    switch (BarCodeJustify) {
        case pjRight: boxLeft_ = XPos - boxWidth_; break;
        case pjCenter: boxLeft_ = XPos - boxWidth_ / 2; break;
        case pjLeft:
        case pjBlock: boxLeft_ = XPos; break;
    }
    boxTop_ = YPos;
}

void TRSBarsBase::toPage(double U, double V, double& X, double& Y) const {
    const double right = boxLeft_ + boxWidth_, bottom = boxTop_ + boxHeight_;
    switch (BarCodeRotation & 3) {
        case 1: X = right - V; Y = boxTop_ + U; break;
        case 2: X = right - U; Y = bottom - V; break;
        case 3: X = boxLeft_ + V; Y = bottom - U; break;
        default: X = boxLeft_ + U; Y = boxTop_ + V; break;
    }
}

void TRSBarsBase::drawBar(double U1, double U2, double V1, double V2) {
    double x1, y1, x2, y2;
    toPage(U1, V1, x1, y1);
    toPage(U2, V2, x2, y2);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (OnDrawBar) {
        OnDrawBar(x1, y1, x2, y2);
        return;
    }
    // A filled area without an outline ends where the next space begins on
    // every device: the preview at any zoom shows the bars as wide as the
    // paper does, within a pixel. A framed rectangle would gain a pixel of
    // the device that plays the stream back.
    BaseReport->FillRect(x1, y1, x2, y2);
}

double TRSBarsBase::drawPattern(const std::string& Pattern, double U, bool StartWithBar, bool DataBars, double V1) {
    bool bar = StartWithBar;
    for (char modules : Pattern) {
        double width, height;
        GetBarSize(modules, DataBars, width, height);
        if (bar) drawBar(U, U + width, V1, V1 + height);
        U += width;
        bar = !bar;
    }
    return U;
}

void TRSBarsBase::printAlong(const std::string& Text, double U, double V, TPrintJustify Justify) {
    double x, y;
    toPage(U, V, x, y);
    BaseReport->SetFontRotation((360 - 90 * (BarCodeRotation & 3)) % 360);
    BaseReport->SetYPos(y);
    switch (Justify) {
        case pjRight: BaseReport->PrintRight(Text, x); break;
        case pjCenter: BaseReport->PrintCenter(Text, x); break;
        case pjLeft:
        case pjBlock: BaseReport->PrintLeft(Text, x); break;
    }
}

void TRSBarsBase::PrintReadableText() {
    if (!BaseReport) return;
    const double width = GetWidth();
    const double height = readableHeight();
    const double baseline = (ReadableFirst ? 0 : BarHeight) + height - BaseReport->FontDescent();
    switch (BarCodeJustify) {
        case pjRight: printAlong(GetFullText(), width, baseline, pjRight); break;
        case pjCenter: printAlong(GetFullText(), width / 2, baseline, pjCenter); break;
        case pjLeft:
        case pjBlock: printAlong(GetFullText(), 0, baseline, pjLeft); break;
    }
}

// ---------------------------------------------------------------- UPC-A

TRSBarsUPC::TRSBarsUPC(TBaseReport* BaseReport) : TRSBarsBase(BaseReport) {
    CheckModulus = 10;
    useChecksum_ = true;
}

void TRSBarsUPC::SetText(const std::string& Value) {
    TRSBarsBase::SetText(Value);
    const std::size_t count = static_cast<std::size_t>(DigitCount > 0 ? DigitCount : 0);
    if (text_.size() < count) text_.insert(0, count - text_.size(), '0');
    else text_.resize(count);
}

std::string TRSBarsUPC::GetCheckDigit() {
    // The leading digit of an EAN-13 text counts once and is left out of
    // the numbering; then odd places weigh 3 and even places 1.
    std::string digits = text_;
    int total = 0;
    if (DigitCount == 12 && !digits.empty()) {
        total += digitOf(digits[0]);
        digits.erase(0, 1);
    }
    for (std::size_t i = 0; i < digits.size(); ++i) total += digitOf(digits[i]) * (i % 2 == 0 ? 3 : 1);
    const int modulus = CheckModulus > 0 ? CheckModulus : 10;
    return std::string(1, static_cast<char>('0' + (modulus - total % modulus) % modulus));
}

std::string TRSBarsUPC::GetFullText() { return text_ + GetCheckDigit(); }

double TRSBarsUPC::GetWidth() { return BarWidth * SymbolModules; }

std::string TRSBarsUPC::GetPattern(char Ch) { return DigitCodes[digitOf(Ch)]; }

void TRSBarsUPC::GetBarSize(char Modules, bool DataBar, double& Width, double& Height) {
    Width = digitOf(Modules) * BarWidth;
    Height = DataBar ? BarHeight - readableHeight() / 2 : BarHeight;
}

void TRSBarsUPC::fitReadableFont() {
    const double room = GetWidth() - GuardModules * BarWidth;
    double size = BaseReport->FontSize();
    const double original = size;
    while (BaseReport->TextWidth(FitText) > room) {
        if (size - FontStep <= 0) {
            size = original;
            break;
        }
        size -= FontStep;
        BaseReport->SetFontSize(size);
    }
    BaseReport->SetFontSize(size * ReadableShare);
}

void TRSBarsUPC::Print() {
    if (!BaseReport) RaiseReportError(throughMessageHook(NoReportMessage));
    const bool ownDrawing = !OnDrawBar;
    TCanvas* canvas = ownDrawing ? BaseReport->GetCanvas() : nullptr;
    TBrush savedBrush;
    TPen savedPen;
    const TFontState savedFont = BaseReport->GetFontState();
    const double savedX = BaseReport->XPos(), savedY = BaseReport->YPos();
    if (ownDrawing) {
        savedBrush.Assign(*canvas->Brush());
        savedPen.Assign(*canvas->Pen());
    }
    auto restore = [&] {
        if (!ownDrawing) return;
        canvas->Brush()->Assign(savedBrush);
        canvas->Pen()->Assign(savedPen);
        BaseReport->SetFontState(savedFont);
        BaseReport->GotoXY(savedX, savedY);
    };
    try {
        if (ownDrawing) {
            canvas->Brush()->SetBitmap(nullptr);
            BaseReport->SetBrush(clBlack, bsSolid, nullptr);
            BaseReport->SetPen(clBlack, psSolid, 1, pmCopy);
            fitReadableFont();
        }
        const std::string code = GetFullText();
        std::string parity = "LLLLLL";
        std::string digits = code;
        if (DigitCount == 12) {
            parity = LeadingParity[digitOf(digits[0])];
            digits.erase(0, 1);
        }
        const double readable = ownDrawing ? readableHeight() : 0;
        placeBox(GetWidth(), BarHeight + readable / 2);
        // With the readable line first the bars move down past its upper half,
        // and the data bars leave room for the rest of it at their top.
        const double guardTop = ReadableFirst ? readable / 2 : 0;
        const double dataTop = ReadableFirst ? readable : 0;
        double u = drawPattern(SideGuard, 0, true, false, guardTop);
        for (std::size_t i = 0; i < 6 && i < digits.size(); ++i) {
            std::string pattern = GetPattern(digits[i]);
            if (parity[i] == 'G') pattern = std::string(pattern.rbegin(), pattern.rend());
            u = drawPattern(pattern, u, false, true, dataTop);
        }
        u = drawPattern(CentreGuard, u, false, false, guardTop);
        for (std::size_t i = 6; i < 12 && i < digits.size(); ++i) u = drawPattern(GetPattern(digits[i]), u, true, true, dataTop);
        drawPattern(SideGuard, u, true, false, guardTop);
        if (ownDrawing && PrintReadable()) PrintReadableText();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TRSBarsUPC::PrintReadableText() {
    if (!BaseReport) return;
    const double readable = readableHeight();
    const double lineTop = ReadableFirst ? 0 : BarHeight - readable / 2;
    const double baseline = lineTop + readable - BaseReport->FontDescent();
    const std::string full = GetFullText();
    const std::string digits = DigitCount == 12 ? full.substr(1) : full;
    const double size = BaseReport->FontSize();
    printAlong(digits.substr(1, 5), LeftGroupCentre * BarWidth, baseline, pjCenter);
    printAlong(digits.substr(6, 5), RightGroupCentre * BarWidth, baseline, pjCenter);
    BaseReport->SetFontSize(size * OuterDigitShare);
    printAlong(digits.substr(0, 1), -OuterDigitGap * BarWidth, baseline, pjRight);
    printAlong(digits.substr(11, 1), GetWidth() + OuterDigitGap * BarWidth, baseline, pjLeft);
    BaseReport->SetFontSize(size);
}
