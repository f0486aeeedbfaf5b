#include "reporting/RSCanvas.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/Streams.h"
#include "reporting/ReportRounding.h"
#include "reporting/TextFormatCodes.h"

namespace {

// Raw data goes to the printer in pieces of at most these sizes.
constexpr std::size_t DataChunk = 255;
constexpr std::int64_t StreamChunk = 4096;

bool hasCodes(const std::string& text) { return text.find(FormatRunStart) != std::string::npos; }

// A blank between every two adjacent non-blank characters (codes stay with
// the character after them); count receives the number inserted.
std::string spreadLetters(const std::string& text, int& count) {
    std::string spread;
    count = 0;
    std::size_t afterVisible = std::string::npos;  // where a blank would go
    bool inRun = false;
    for (char c : text) {
        if (inRun) {
            inRun = c != FormatRunEnd;
        } else if (c == FormatRunStart) {
            inRun = true;
        } else if (c != ' ') {
            if (afterVisible != std::string::npos) {
                spread.insert(afterVisible, 1, ' ');
                ++count;
            }
            spread += c;
            afterVisible = spread.size();
            continue;
        }
        spread += c;
    }
    return spread;
}

// Points in units as device pixels.
std::vector<TPoint> devicePoints(const TBaseReport& Report, const std::vector<std::pair<double, double>>& Points) {
    std::vector<TPoint> points;
    for (const auto& [x, y] : Points) points.push_back({Report.xUnitsToDevice(x), Report.yUnitsToDevice(y)});
    return points;
}

// An arc, chord or pie: Shape drawn through four points given in units.
using TArcShape = void (TCanvas::*)(int, int, int, int, int, int, int, int);
void drawArcShape(const TBaseReport& Report, TCanvas* Canvas, TArcShape Shape, const std::array<double, 8>& Units) {
    std::array<int, 8> p{};
    for (std::size_t i = 0; i < p.size(); i += 2) {
        p[i] = Report.xUnitsToDevice(Units[i]);
        p[i + 1] = Report.yUnitsToDevice(Units[i + 1]);
    }
    (Canvas->*Shape)(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
}

}  // namespace

TCanvasReport::TCanvasReport(TComponent* AOwner) : TBaseReport(AOwner) {}

bool TCanvasReport::guardDrawing() {
    outputGuard();
    return !OutputSuppressed();
}

double TCanvasReport::pixelsToInch(double Pixels) const {
    return Pixels / XDPI() * 10000.0 / (ScaleX() * ZoomFactor());
}

// ---------------------------------------------------------------- text

void TCanvasReport::textOut(const std::string& Text, unsigned Align, double X) {
    TDeviceContext* dc = GetCanvas()->Handle();
    selectFont();
    const int pixels = Text.empty() ? 0 : currentFont()->TextWidth(Text);
    if (dc && !OutputSuppressed()) {
        const int previousMode = dc->SetBkMode(TextBKMode() == bkOpaque ? OPAQUE : TRANSPARENT);
        const TFontState font = GetFontState();
        const double baseline = unitsToInch(YPos());
        unsigned vertical = TA_BASELINE;
        int y;
        if (font.Superscript) {
            vertical = TA_TOP;
            y = yInchToDevice(((baseline - font.Ascent) + (baseline + font.Descent - unitsToInch(LineHeight()))) / 2);
        } else if (font.Subscript) {
            vertical = TA_BOTTOM;
            y = yInchToDevice(baseline + font.Descent) + 1;
        } else if (font.Align == FontAlignTop) {
            vertical = TA_TOP;
            y = yInchToDevice(baseline - font.Ascent - font.TopOffset);
        } else if (font.Align == FontAlignBottom) {
            vertical = TA_BOTTOM;
            y = yInchToDevice(baseline + font.Descent) + 1;
        } else {
            y = yInchToDevice(baseline) + 1;
        }
        dc->SetTextAlign(Align | vertical);
        if (!Text.empty()) dc->TextOut(xInchToDevice(X), y, Text);
        dc->SetBkMode(previousMode);
    }
    releaseFont();
    SetXPos(inchToUnits(X));
    const double width = static_cast<double>(pixels) / XDPI();
    if (Align == TA_LEFT) AdvancePos(inchToUnits(width));
    else if (Align == TA_CENTER) AdvancePos(inchToUnits(width / 2));
}

double TCanvasReport::measureInch(const std::string& Text) {
    if (Text.empty()) return 0;
    if (!NoFormatCodes() && hasCodes(Text)) return pixelsToInch(CodedTextWidth(this, Text));
    return pixelsToInch(textPixels(Text));
}

void TCanvasReport::printCodedLeft(const std::string& Text, double X) {
    const int end = static_cast<int>(Text.size());
    int index = 1;
    double x = X;
    std::string plain;
    while (index <= end) {
        PrintNextPiece(this, Text, index, plain);
        if (plain.empty()) continue;
        textOut(plain, TA_LEFT, x);
        x += pixelsToInch(textPixels(plain));
    }
    SetXPos(inchToUnits(x));
}

void TCanvasReport::PrintLeftInch(const std::string& Text, double X) {
    outputGuard();
    if (NoFormatCodes() || !hasCodes(Text)) textOut(Text, TA_LEFT, X);
    else printCodedLeft(Text, X);
}

void TCanvasReport::PrintCenterInch(const std::string& Text, double X) {
    outputGuard();
    if (NoFormatCodes() || !hasCodes(Text)) textOut(Text, TA_CENTER, X);
    else printCodedLeft(Text, X - measureInch(Text) / 2);
}

void TCanvasReport::PrintRightInch(const std::string& Text, double X) {
    outputGuard();
    if (NoFormatCodes() || !hasCodes(Text)) textOut(Text, TA_RIGHT, X);
    else printCodedLeft(Text, X - measureInch(Text));
}

void TCanvasReport::printWord(const std::string& Word, double X, bool RightAligned) {
    if (NoFormatCodes() || !hasCodes(Word)) {
        textOut(Word, RightAligned ? TA_RIGHT : TA_LEFT, X);
        return;
    }
    printCodedLeft(Word, RightAligned ? X - measureInch(Word) : X);
}

void TCanvasReport::PrintBlockInch(const std::string& Text, double X, double Width) {
    outputGuard();
    std::string text = Text;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const std::size_t firstVisible = text.find_first_not_of(' ');
    if (firstVisible == std::string::npos) {
        textOut(text, TA_LEFT, X);
        return;
    }
    int gaps = static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(firstVisible), text.end(), ' '));
    if (gaps == 0) text = spreadLetters(text, gaps);
    if (gaps == 0) gaps = 1;
    const double blank = measureInch(" ");
    const double gap = (Width - measureInch(text)) / gaps + blank;

    // The first word keeps the blanks in front of it.
    std::size_t wordEnd = text.find(' ', firstVisible);
    if (wordEnd == std::string::npos) wordEnd = text.size();
    const std::string first = text.substr(0, wordEnd);
    double x = X + measureInch(first);
    printWord(first, X, false);
    std::size_t at = wordEnd;
    while (at < text.size()) {
        const std::size_t wordStart = text.find_first_not_of(' ', at);
        const std::size_t blanks = wordStart - at;
        wordEnd = text.find(' ', wordStart);
        if (wordEnd == std::string::npos) wordEnd = text.size();
        const std::string word = text.substr(wordStart, wordEnd - wordStart);
        const double space = static_cast<double>(blanks) * gap;
        const double end = x + space + measureInch(word);
        const int fillers = blank > 0 ? truncToInt(space / blank) : 0;
        if (fillers > 0) textOut(std::string(static_cast<std::size_t>(fillers), ' '), TA_LEFT, x);
        textOut(" ", TA_RIGHT, x + space);
        printWord(word, end, true);
        x = end;
        at = wordEnd;
    }
    SetXPos(inchToUnits(x));
}

// Text on the baseline Y, clipped to Rect (device pixels); the rectangle is
// filled with the background colour unless the brush is clear.
void TCanvasReport::TextRect(const TRect& Rect, double X, double Y, const std::string& Text) {
    if (!guardDrawing() || Text.empty()) return;
    TCanvas* canvas = GetCanvas();
    TDeviceContext* dc = canvas->Handle();
    if (!dc) return;
    selectFont();
    const unsigned previousAlign = dc->SetTextAlign(TA_BASELINE);
    const bool opaque = canvas->Brush()->Style() != bsClear;
    const TColor previousBack = opaque ? dc->SetBkColor(ColorToRGB(canvas->Brush()->Color())) : dc->BkColor();
    dc->ExtTextOut(xUnitsToDevice(X), yUnitsToDevice(Y), ETO_CLIPPED | (opaque ? ETO_OPAQUE : 0u), &Rect, Text);
    dc->SetBkColor(previousBack);
    dc->SetTextAlign(previousAlign);
    releaseFont();
}

// ---------------------------------------------------------------- shapes

TRect TCanvasReport::framedRect(double X1, double Y1, double X2, double Y2) {
    if (X1 > X2) std::swap(X1, X2);
    if (Y1 > Y2) std::swap(Y1, Y2);
    const TPen* pen = GetCanvas()->Pen();
    const int w = pen->Width();
    int inset = 0, outset = 0;
    if (pen->Style() == psClear) {
        inset = outset = 0;
    } else if (pen->Style() == psInsideFrame || FrameMode() == 1) {
        inset = 0;
        outset = 1;
    } else if (FrameMode() == 0) {
        inset = w / 2;
        outset = w - inset;
    } else if (FrameMode() == 2) {
        // The mirror of frame mode 0: the pen lies just outside the box.
        inset = -(w / 2) - 1;
        outset = -(w / 2);
    }
    return {xUnitsToDevice(X1) + inset, yUnitsToDevice(Y1) + inset, xUnitsToDevice(X2) - outset + 2,
            yUnitsToDevice(Y2) - outset + 2};
}

void TCanvasReport::Rectangle(double X1, double Y1, double X2, double Y2) {
    if (!guardDrawing()) return;
    GetCanvas()->Rectangle(framedRect(X1, Y1, X2, Y2));
}

// Normalised, then set in or out by the pen's width by the frame mode: 0
// inside the box, 1 the pen on its edge, 2 outside it.
void TCanvasReport::Ellipse(double X1, double Y1, double X2, double Y2) {
    if (!guardDrawing()) return;
    GetCanvas()->Ellipse(framedRect(X1, Y1, X2, Y2));
}

// A filled rectangle one pixel past X2 and Y2, without pen adjustment.
void TCanvasReport::TabRectangle(double X1, double Y1, double X2, double Y2) {
    if (!guardDrawing()) return;
    GetCanvas()->Rectangle(xUnitsToDevice(X1), yUnitsToDevice(Y1), xUnitsToDevice(X2) + 1, yUnitsToDevice(Y2) + 1);
}

// X3 and Y3 are the corner sizes.
void TCanvasReport::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    if (!guardDrawing()) return;
    const int cornerWidth = roundToInt(unitsToInch(X3) * ScaleX() * ZoomFactor() / 10000.0 * XDPI());
    const int cornerHeight = roundToInt(unitsToInch(Y3) * ScaleY() * ZoomFactor() / 10000.0 * YDPI());
    GetCanvas()->RoundRect(xUnitsToDevice(X1), yUnitsToDevice(Y1), xUnitsToDevice(X2), yUnitsToDevice(Y2),
                           cornerWidth, cornerHeight);
}

void TCanvasReport::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    if (!guardDrawing()) return;
    drawArcShape(*this, GetCanvas(), &TCanvas::Arc, {X1, Y1, X2, Y2, X3, Y3, X4, Y4});
}

void TCanvasReport::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    if (!guardDrawing()) return;
    drawArcShape(*this, GetCanvas(), &TCanvas::Chord, {X1, Y1, X2, Y2, X3, Y3, X4, Y4});
}

void TCanvasReport::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    if (!guardDrawing()) return;
    drawArcShape(*this, GetCanvas(), &TCanvas::Pie, {X1, Y1, X2, Y2, X3, Y3, X4, Y4});
}

void TCanvasReport::Polygon(const std::vector<std::pair<double, double>>& Points) {
    if (!guardDrawing()) return;
    GetCanvas()->Polygon(devicePoints(*this, Points));
}

void TCanvasReport::Polyline(const std::vector<std::pair<double, double>>& Points) {
    if (!guardDrawing()) return;
    GetCanvas()->Polyline(devicePoints(*this, Points));
}

void TCanvasReport::FillRect(double X1, double Y1, double X2, double Y2) {
    if (!guardDrawing()) return;
    GetCanvas()->FillRect(CreateRect(X1, Y1, X2, Y2));
}

void TCanvasReport::FrameRect(double X1, double Y1, double X2, double Y2) {
    if (!guardDrawing()) return;
    GetCanvas()->FrameRect(CreateRect(X1, Y1, X2, Y2));
}

void TCanvasReport::DrawFocusRect(double X1, double Y1, double X2, double Y2) {
    if (!guardDrawing()) return;
    GetCanvas()->DrawFocusRect(CreateRect(X1, Y1, X2, Y2));
}

void TCanvasReport::FloodFill(double X, double Y, TColor Color, TFillStyle Style) {
    if (!guardDrawing()) return;
    GetCanvas()->FloodFill(xUnitsToDevice(X), yUnitsToDevice(Y), Color, Style);
}

void TCanvasReport::Draw(double X, double Y, TGraphic* Graphic) {
    if (!guardDrawing()) return;
    GetCanvas()->Draw(xUnitsToDevice(X), yUnitsToDevice(Y), Graphic);
}

void TCanvasReport::StretchDraw(double X1, double Y1, double X2, double Y2, TGraphic* Graphic) {
    if (!guardDrawing()) return;
    GetCanvas()->StretchDraw(CreateRect(X1, Y1, X2, Y2), Graphic);
}

// Source rectangles are pixels of the source bitmap or canvas.
void TCanvasReport::BrushCopy(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap, double SX1, double SY1,
                              double SX2, double SY2, TColor Color) {
    if (!guardDrawing() || !Bitmap) return;
    GetCanvas()->BrushCopy(CreateRect(X1, Y1, X2, Y2), Bitmap,
                           {roundToInt(SX1), roundToInt(SY1), roundToInt(SX2), roundToInt(SY2)}, Color);
}

void TCanvasReport::CopyRect(double X1, double Y1, double X2, double Y2, TCanvas* Canvas, double SX1, double SY1,
                             double SX2, double SY2) {
    if (!guardDrawing() || !Canvas) return;
    GetCanvas()->CopyRect(CreateRect(X1, Y1, X2, Y2), Canvas,
                          {roundToInt(SX1), roundToInt(SY1), roundToInt(SX2), roundToInt(SY2)});
}

// ---------------------------------------------------------------- lines

void TCanvasReport::MoveTo(double X, double Y) {
    outputGuard();
    if (DirectLines() && !OutputSuppressed()) GetCanvas()->MoveTo(xUnitsToDevice(X), yUnitsToDevice(Y));
    setPenPosition(X, Y);
    moveX_ = X + OriginX();
    moveY_ = Y + OriginY();
}

// Straight lines go to the line merging unless lines are drawn directly.
void TCanvasReport::LineTo(double X, double Y) {
    outputGuard();
    const double fromX = moveX_ - OriginX(), fromY = moveY_ - OriginY();
    moveX_ = X + OriginX();
    moveY_ = Y + OriginY();
    if (DirectLines()) {
        if (!OutputSuppressed()) GetCanvas()->LineTo(xUnitsToDevice(X), yUnitsToDevice(Y));
        return;
    }
    if (CheckLine(X, Y) || OutputSuppressed()) return;
    TCanvas* canvas = GetCanvas();
    canvas->MoveTo(xUnitsToDevice(fromX), yUnitsToDevice(fromY));
    canvas->LineTo(xUnitsToDevice(X), yUnitsToDevice(Y));
}

// ---------------------------------------------------------------- bitmaps

void TCanvasReport::stretchBitmap(const TRect& Dest, TBitmap* Bitmap) {
    TDeviceContext* dc = GetCanvas()->Handle();
    if (!dc) return;
    dc->StretchBlt(Dest, Bitmap->Image(), {0, 0, Bitmap->Width(), Bitmap->Height()},
                   ImageMode() != 0 ? SRCAND : SRCCOPY);
}

// The bitmap at (X, Y), ScaleX and ScaleY device pixels per bitmap pixel;
// copied, or ANDed onto the page when the image mode is set. An empty bitmap
// draws nothing.
void TCanvasReport::PrintBitmap(double X, double Y, double ScaleX, double ScaleY, TBitmap* Bitmap) {
    if (!guardDrawing() || !Bitmap || Bitmap->Empty()) return;
    stretchBitmap(Bounds(xUnitsToDevice(X), yUnitsToDevice(Y), roundToInt(Bitmap->Width() * ScaleX),
                         roundToInt(Bitmap->Height() * ScaleY)),
                  Bitmap);
}

void TCanvasReport::PrintBitmapRect(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap) {
    if (!guardDrawing() || !Bitmap || Bitmap->Empty()) return;
    stretchBitmap(CreateRect(X1, Y1, X2, Y2), Bitmap);
}

void TCanvasReport::PrintImageRect(double X1, double Y1, double X2, double Y2, TStream* ImageStream,
                                   const std::string& ImageType) {
    if (!guardDrawing() || !OnDecodeImage) return;
    TBitmap bitmap;
    OnDecodeImage(this, ImageStream, ImageType, &bitmap);
    PrintBitmapRect(X1, Y1, X2, Y2, &bitmap);
}

// ---------------------------------------------------------------- raw data

// Raw bytes go to a device that takes them, in chunks of at most 255
// (PrintData) or 4,096 bytes (PrintDataStream; BufSize 0 = to the end).
void TCanvasReport::PrintData(const std::string& Value) {
    if (!guardDrawing() || Value.empty() || !Device()->CanPassThrough()) return;
    for (std::size_t at = 0; at < Value.size(); at += DataChunk) Device()->PassThrough(Value.substr(at, DataChunk));
}

void TCanvasReport::PrintDataStream(TStream* Stream, std::int64_t BufSize) {
    if (!guardDrawing() || !Stream || !Device()->CanPassThrough()) return;
    std::int64_t left = BufSize == 0 ? Stream->Size() - Stream->Position() : BufSize;
    std::string chunk;
    while (left > 0) {
        const std::int64_t size = std::min(left, StreamChunk);
        chunk.resize(static_cast<std::size_t>(size));
        const std::int64_t read = Stream->Read(chunk.data(), size);
        if (read <= 0) break;
        chunk.resize(static_cast<std::size_t>(read));
        Device()->PassThrough(chunk);
        left -= read;
    }
}

// ---------------------------------------------------------------- pages

void TCanvasReport::NewPage() {
    TBaseReport::NewPage();
    Device()->NewPage(!pageSkipped());
    devicePageChanged();
}

// A new page may come with new settings (orientation, paper): the page
// size, the unprintable borders and the right and bottom margins follow it.
void TCanvasReport::devicePageChanged() {
    pageGeometryRefresh();
    SetMarginRight(MarginRight());
    SetMarginBottom(MarginBottom());
    ResetSection();
}
