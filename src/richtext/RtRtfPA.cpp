// Layout half of TRtRTFTextPaint: resolution, fonts and measuring, line
// breaking, geometry queries and the paragraph commands.
#include "richtext/RtRtfPA.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "richtext/RtChars.h"
#include "richtext/RtProgress.h"

namespace {

constexpr int fallbackDpi = 96;
constexpr int narrowLineWidth = 16;
constexpr int justifySlack = 6;
constexpr int unchangedIndent = -1000;
constexpr int unchangedIndentFrom = 65000;

bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

// Passes over more paragraphs than this report progress.
constexpr int progressParagraphs = 100;

// Paragraphs with any of the Dirty bits asked for.
int dirtyCount(const TParagraph* p, uint8_t bits) {
    int n = 0;
    for (; p; p = p->Next)
        if (p->Dirty & bits) ++n;
    return n;
}

// A progress level for a measuring or wrapping pass over many paragraphs,
// one step per paragraph done.
class TLongPassProgress {
public:
    TLongPassProgress(const TParagraph* first, uint8_t bits) : count_(dirtyCount(first, bits)) {
        if (long_()) BeginProgress(count_);
    }
    ~TLongPassProgress() {
        if (long_()) EndProgress();
    }
    void step(int n) {
        if (long_()) ProgressStep(n + 1);
    }

private:
    bool long_() const { return count_ > progressParagraphs; }
    int count_;
};

// A whole formatting pass over a long document counts 100: measuring the
// first half, wrapping the second.
class TFormatPassProgress {
public:
    explicit TFormatPassProgress(const TParagraph* first) : long_(dirtyCount(first, dfAll) > progressParagraphs) {
        if (!long_) return;
        BeginProgress(100);
        SetProgressShare(50);
    }
    ~TFormatPassProgress() {
        if (long_) EndProgress();
    }
    void measured() {
        if (!long_) return;
        ProgressStep(50);
        SetProgressShare(100);
    }

private:
    bool long_;
};

constexpr uint8_t fontStyleBits = stBold | stItalic | stUnderline | stStrikeOut | stSuperscript | stSubscript;

}  // namespace

TRtRTFTextPaint::TRtRTFTextPaint() {
    OnChange = [this](TObject*) { FormatChanged(); };
}

TRtRTFTextPaint::~TRtRTFTextPaint() = default;

// ---------------------------------------------------------------- resolution

int TRtRTFTextPaint::deviceDpi(int index) const {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    int dpi = dc ? dc->GetDeviceCaps(index) : 0;
    return dpi > 0 ? dpi : fallbackDpi;
}

void TRtRTFTextPaint::SetCanvas(TCanvas* C) {
    Canvas = C;
    if (!detached()) UpdateResolution();
}

void TRtRTFTextPaint::UpdateResolution() {
    if (!Canvas) return;
    SetResolution(deviceDpi(LOGPIXELSX), deviceDpi(LOGPIXELSY));
    Canvas->Font()->SetName("Arial");
    Canvas->Font()->SetSize(10);
    DefaultHeight = Canvas->TextExtent("A").cy;
    UpdateLinePositions();
}

void TRtRTFTextPaint::SetResolution(int XDpi, int YDpi) {
    if (XDpi < 1) XDpi = fallbackDpi;
    if (YDpi < 1) YDpi = fallbackDpi;
    int x = XDpi, y = YDpi;
    if (!(PaintOptions & poIgnoreZoom)) {
        x = RtMulDiv(XDpi, Zoom, 100);
        y = RtMulDiv(YDpi, Zoom, 100);
    }
    x = std::max(1, x);
    y = std::max(1, y);
    TTextHeader& h = *Header;
    bool changed = x != h.ResX || y != h.ResY;
    h.ResX = x;
    h.ResY = y;
    if (Canvas) Canvas->Font()->SetPixelsPerInch(y);
    if (detached()) return;
    h.TwipsPerPixel = rtTwipsPerInch / x;
    h.RecalcTabPixels();
    h.DefaultTabPx = h.Inches ? RtMulDiv(x, 100, 300) : RtMulDiv(x, 100, 254);
    h.SetTextWidthPx(WordWrap && !(PaintOptions & poKeepTextWidth) ? WindowWidth : 0);
    if (!WordWrap || (PaintOptions & poKeepTextWidth)) h.SetTextWidthPx(h.TextAreaPx);
    WindowWidthTw = RtMulDiv(WindowWidth, rtTwipsPerInch, x);
    if (changed && !formatting_ && !measuring_ && !wrapping_) {
        ReformatAll();
        Paint();
    }
}

void TRtRTFTextPaint::SetZoom(int Percent) {
    if (Percent < 1 || Percent == Zoom) return;
    Zoom = Percent;
    SetResolution(deviceDpi(LOGPIXELSX), deviceDpi(LOGPIXELSY));
    ReformatAll();
    Paint();
}

void TRtRTFTextPaint::SetFontScale(int Percent) {
    if (Percent < 1 || Percent == FontScale) return;
    FontScale = Percent;
    ReformatAll();
    Paint();
}

void TRtRTFTextPaint::SetPaintOptions(uint32_t Options) {
    uint32_t old = PaintOptions;
    PaintOptions = Options;
    if ((old & poDetached) && !(Options & poDetached)) {
        Header->ResX = Header->ResY = 0;
        UpdateResolution();
    } else if (!(old & poIgnoreZoom) && (Options & poIgnoreZoom) && Zoom != 100) {
        ReformatAll();
    }
    if (!detached()) Paint();
}

void TRtRTFTextPaint::SetWindowWidth(int Pixels) {
    if (Pixels == WindowWidth) return;
    WindowWidth = Pixels;
    WindowWidthTw = RtMulDiv(Pixels, rtTwipsPerInch, resX());
    if (WordWrap && !(PaintOptions & poKeepTextWidth)) {
        Header->SetTextWidthPx(Pixels);
        ReformatAll();
    } else {
        UpdateLinePositions();
    }
    if (Header->TextWidthPx <= WindowWidth && LeftOffset < 0) LeftOffset = 0;
}

void TRtRTFTextPaint::SetWordWrap(bool Value) {
    if (Value == WordWrap && !(Value && Header->TextWidthPx != WindowWidth)) return;
    WordWrap = Value;
    if (Value && !(PaintOptions & poKeepTextWidth)) {
        LeftOffset = 0;
        Header->SetTextWidthPx(WindowWidth);
    } else {
        Header->SetTextWidthPx(Header->TextAreaPx);
    }
    ReformatAll();
}

// ---------------------------------------------------------------- fonts

TColor TRtRTFTextPaint::ColorOf(int Index) const {
    if (Index < 0 || Index >= rtColorCount) return 0;
    const TRtPaletteEntry& e = Header->Palette[Index];
    return RGB(e.Red, e.Green, e.Blue);
}

void TRtRTFTextPaint::ApplyAttr(const TCharAttr* Attr) {
    if (!Canvas) return;
    const TCharAttr& a = Attr ? *Attr : CurAttr;
    TFont* font = Canvas->Font();
    if (!(a.Style & stBlockMarked)) {
        font->SetColor(ColorOf(a.Colors & 0x0F));
        int back = a.Colors >> 4;
        Canvas->Brush()->SetColor(back ? ColorOf(back) : (PaintOptions & poWhiteBackground) ? clWhite : BackColor);
    }
    if (a.Font >= rtFontsUsable) throw std::runtime_error("System error: illegal attr pointer");
    const std::string& name = Header->FontName[a.Font];
    if (!name.empty() && !RtSameTextIgnoringCase(name, font->Name())) font->SetName(name);
    int size = a.Size ? a.Size : 10;
    if (((a.Style & (stSuperscript | stSubscript)) || (a.Special & spFootnote)) && size > 1)
        size = RtMulDiv(size, 2, 3);
    if (FontScale != 100) size = RtMulDiv(size, FontScale, 100);
    if (font->PixelsPerInch() != resY()) font->SetPixelsPerInch(resY());
    if (size != font->Size()) font->SetSize(size);
    if ((a.Special & spInsertPoint) && !HideInsertpoints) font->SetColor(RGB(255, 0, 0));
    TFontStyles style;
    if (a.Style & stBold) style.Include(fsBold);
    if (a.Style & stItalic) style.Include(fsItalic);
    if (a.Style & stStrikeOut) style.Include(fsStrikeOut);
    if (!(font->Style() == style)) font->SetStyle(style);
}

void TRtRTFTextPaint::SelectAttr(const TCharAttr* Attr) {
    ApplyAttr(Attr);
    if (!Canvas) return;
    TFont* font = Canvas->Font();
    std::string key = font->Name() + '/' + std::to_string(font->Height()) + '/' +
                      std::to_string(font->Style().Contains(fsBold)) + std::to_string(font->Style().Contains(fsItalic)) +
                      std::to_string(font->Style().Contains(fsStrikeOut));
    auto found = fontCache_.find(key);
    if (found == fontCache_.end()) {
        FontMeasures m{};
        Canvas->TextExtent("");  // puts the font into the device
        if (TDeviceContext* dc = Canvas->Handle()) {
            std::vector<int> widths = dc->GetCharWidth(0, 255);
            for (int c = 0; c < 256 && c < static_cast<int>(widths.size()); ++c) m.Widths[c] = widths[c];
            m.Metrics = dc->GetTextMetrics();
        } else {
            TLogFont lf;
            lf.FaceName = font->Name();
            lf.Height = font->Height();
            lf.Weight = font->Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
            lf.Italic = font->Style().Contains(fsItalic);
            HFONT f = CreateFontIndirect(lf);
            for (int c = 0; c < 256; ++c) m.Widths[c] = f->CharWidth(static_cast<unsigned char>(c));
            m.Metrics = f->Metrics();
        }
        found = fontCache_.emplace(key, m).first;
    }
    const FontMeasures& m = found->second;
    std::copy(m.Widths, m.Widths + 256, CharWidth);
    CharMetrics = m.Metrics;
    FontHeight = CharMetrics.Height + CharMetrics.ExternalLeading;
    FontAscent = CharMetrics.Ascent;
    LineHeight = FontHeight;
    LineBase = FontAscent;
}

// ---------------------------------------------------------------- measuring

bool TRtRTFTextPaint::zeroWidth(const TCharAttr& a) const {
    return ((a.Special & spInsertPoint) && HideInsertpoints) || ((a.Special & spAutomatic) && HideAutomatic) ||
           ((a.Special & spHidden) && !(PaintOptions & poShowHidden));
}

void TRtRTFTextPaint::MeasureParagraph(TParagraph* Par) {
    if (detached() || measuring_ || !Par) return;
    measuring_ = true;
    struct Guard {
        bool& f;
        ~Guard() { f = false; }
    } guard{measuring_};
    for (TLine* l = Par->FirstLine; l; l = l->Next) {
        if (!l->Attr) continue;
        remeasureLine(Par, l);
    }
    Par->Dirty = static_cast<uint8_t>((Par->Dirty & ~dfMeasure) | dfRewrap);
}

void TRtRTFTextPaint::remeasureLine(TParagraph* Par, TLine* l) {
    int height = 0, base = 0;
    const TCharAttr* runAttr = nullptr;
    for (int i = 0; i < l->Length; ++i) {
        TCharAttr& a = l->Attr[i];
        if (!runAttr || a.Font != runAttr->Font || a.Size != runAttr->Size || a.Style != runAttr->Style ||
            a.Special != runAttr->Special) {
            SelectAttr(&a);
            runAttr = &a;
        }
        char c = l->Text[i];
        if (zeroWidth(a)) {
            a.Width = a.Height = a.Ascent = 0;
        } else if ((a.Special & spObject) && (c == rtObjectByTag || c == rtObjectByNumber)) {
            TObjectEntry* e = c == rtObjectByTag ? FindObject(a.Tag, 0) : FindObject(0, a.Tag);
            if (e) {
                e->Used = 1;
                int w = RtMulDiv(e->WidthTw, resX(), rtTwipsPerInch);
                int asc = RtMulDiv(e->HeightTw, resY(), rtTwipsPerInch);
                a.Width = static_cast<uint16_t>(std::max(0, w));
                a.Ascent = static_cast<uint16_t>(std::max(0, asc));
                a.Height = static_cast<uint16_t>(std::max(0, FontHeight - FontAscent + asc));
            } else {
                a.Width = 0;
                a.Height = static_cast<uint16_t>(FontHeight);
                a.Ascent = static_cast<uint16_t>(FontAscent);
            }
        } else {
            unsigned char uc = c == '\t' ? ' ' : static_cast<unsigned char>(c);
            a.Width = static_cast<uint16_t>(std::max(0, CharWidth[uc]));
            a.Height = static_cast<uint16_t>(FontHeight);
            a.Ascent = static_cast<uint16_t>(FontAscent);
        }
        height = std::max<int>(height, a.Height);
        base = std::max<int>(base, a.Ascent);
    }
    l->Height = static_cast<uint16_t>(std::max(height, FontHeight));
    l->Base = static_cast<uint16_t>(std::max(base, FontAscent));
    CalcLineMetrics(Par, l);
}

void TRtRTFTextPaint::MeasureAll() {
    if (detached() || !Canvas) return;
    SelectAttr(&CurAttr);
    if (MemoryFormat != fmRichText) return;
    TLongPassProgress progress(FirstPar, dfMeasure);
    int done = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        if (p->Dirty & dfMeasure) {
            MeasureParagraph(p);
            progress.step(done++);
        }
}

// ---------------------------------------------------------------- geometry

int TRtRTFTextPaint::borderSpacingTw(TParagraph* Par) const {
    if (!(Par->TableFlags & tfBorder)) return 0;
    int mm = TableSpacing(Par->TableFlags);
    return mm ? RtMulDiv(mm, 567, 10) : 0;
}

int TRtRTFTextPaint::LeftEdge(TParagraph* Par, TLine* Line) const {
    int left;
    if (Par->ParFlags & pfTableCell) {
        int layoutTw = Header->TextWidthTw;
        left = Par->IndentLeft + (layoutTw - Par->IndentRight - Par->IndentLeft) * CellStart(Par) / 255;
    } else {
        left = Line == Par->FirstLine ? Par->IndentFirst : Par->IndentLeft;
    }
    left += borderSpacingTw(Par);
    return RtMulDiv(left, resX(), rtTwipsPerInch) + 1;
}

int TRtRTFTextPaint::RightIndentPixels(TParagraph* Par) const {
    int right;
    bool cell = (Par->ParFlags & pfTableCell) != 0;
    if (cell) {
        int layoutTw = Header->TextWidthTw;
        right = layoutTw - (Par->IndentLeft + (layoutTw - Par->IndentRight - Par->IndentLeft) *
                                                  (CellStart(Par) + CellWidth(Par)) / 255);
    } else {
        right = Par->IndentRight;
    }
    right += borderSpacingTw(Par);
    int px = RtMulDiv(right, resX(), rtTwipsPerInch);
    // The right indent counts from the page's text width even when wrapping at the window.
    if (!cell && Header->TextAreaPx != Header->TextWidthPx) {
        px -= Header->TextAreaPx - Header->TextWidthPx;
        if (px <= 0) px = 0;
    }
    return px;
}

int TRtRTFTextPaint::AvailableWidth(TParagraph* Par, TLine* Line) const {
    int w = Header->TextWidthPx - RightIndentPixels(Par) - LeftEdge(Par, Line);
    return w < 1 ? narrowLineWidth : w;
}

int TRtRTFTextPaint::charWidthOf(TLine* Line, int i) const {
    if (Line->Attr) return Line->Attr[i].Width;
    unsigned char c = Line->Text[i] == '\t' ? ' ' : static_cast<unsigned char>(Line->Text[i]);
    return CharWidth[c];
}

int TRtRTFTextPaint::LineTextWidth(TLine* Line) const {
    int sum = 0, pending = 0;
    for (int i = 0; i < Line->Length; ++i) {
        char c = Line->Text[i];
        int w = std::max(0, charWidthOf(Line, i));
        if (isSpaceOrTab(c)) {
            pending += w;
        } else if (c == '\n') {
            pending = 0;
        } else {
            sum += pending + w;
            pending = 0;
        }
    }
    return sum;
}

int TRtRTFTextPaint::LineStartX(TParagraph* Par, TLine* Line) const {
    int x = LeftEdge(Par, Line);
    if (Par->Align == 1 || Par->Align == 2) {
        int room = Header->TextWidthPx - LineTextWidth(Line) - RightIndentPixels(Par) - x;
        if (Par->Align == 1) x += room;
        else if (room > 1) x += room / 2;
    }
    return x == 0 ? 1 : x;
}

// Width of the text after Index up to the next tab, a zero, the stop
// character or the paragraph's end (or the line's end), at most Limit.
int TRtRTFTextPaint::measureFollowing(TParagraph* Par, TLine* Line, int Index, int Limit, bool ThisLineOnly,
                                      char Stop) {
    (void)Par;
    int w = 0;
    for (TLine* l = Line; l; l = ThisLineOnly ? nullptr : l->Next, Index = 0) {
        for (int i = Index; i < l->Length; ++i) {
            char c = l->Text[i];
            if (c == '\t' || c == 0 || (Stop && c == Stop)) return w;
            w += std::max(0, charWidthOf(l, i));
            if (Limit > 0 && w >= Limit) return w;
        }
    }
    return w;
}

int TRtRTFTextPaint::TabPosition(TParagraph* Par, TLine* Line, int X, int Index) {
    const TTextHeader& h = *Header;
    int best = -1;
    for (int i = 0; i < rtTabsUsable; ++i) {
        if (!(Par->TabSet & (1u << i))) continue;
        int p = h.TabPosPx[i];
        if (p > X && (best < 0 || p < h.TabPosPx[best])) best = i;
    }
    if (best >= 0 && !(Par->ParFlags & pfTableCell)) {
        int p = h.TabPosPx[best];
        TTabKind kind = h.TabKind[best];
        if (kind == tkLeft || kind == tkAll) return p;
        if (p > h.TextWidthPx - RightIndentPixels(Par)) return X;
        if (kind == tkCenter) {
            int w = measureFollowing(Par, Line, Index + 1, 2 * (p - X), true, 0);
            return p - w / 2;
        }
        int w = measureFollowing(Par, Line, Index + 1, 0, false, kind == tkDecimal ? h.DecimalChar : 0);
        return w > p - X ? X : p - w;
    }
    int d = h.DefaultTabPx > 0 ? h.DefaultTabPx : RtMulDiv(resX(), 100, 254);
    return X + d - (X + d) % d;
}

std::vector<int> TRtRTFTextPaint::LineAdvances(TParagraph* Par, TLine* Line) {
    std::vector<int> adv(Line->Length);
    int start = LineStartX(Par, Line);
    int x = start;
    bool stretched = Par->Align == 3 && Line->SpaceWidth > 0;
    int extra = Line->ExtraPixels;
    bool aligned = Par->Align == 1 || Par->Align == 2;
    for (int i = 0; i < Line->Length; ++i) {
        char c = Line->Text[i];
        int w = std::max(0, charWidthOf(Line, i));
        if (c == '\t' && !aligned && !(Par->ParFlags & pfTableCell)) {
            w = TabPosition(Par, Line, x, i) - x;
        } else if (c == ' ' && stretched && i >= Line->JustStart) {
            w = Line->SpaceWidth + (extra > 0 ? 1 : 0);
            if (extra > 0) --extra;
        }
        adv[i] = std::max(0, w);
        x += adv[i];
    }
    return adv;
}

int TRtRTFTextPaint::CharToX(TParagraph* Par, TLine* Line, int Index) {
    int x = LineStartX(Par, Line);
    Index = std::clamp<int>(Index, 0, Line->Length);
    std::vector<int> adv = LineAdvances(Par, Line);
    for (int i = 0; i < Index; ++i) x += adv[i];
    return x;
}

int TRtRTFTextPaint::XToChar(TParagraph* Par, TLine* Line, int X) {
    int x = LineStartX(Par, Line);
    std::vector<int> adv = LineAdvances(Par, Line);
    int i = 0;
    for (; i < Line->Length; ++i) {
        bool object = Line->Attr && (Line->Attr[i].Special & spObject) &&
                      (Line->Text[i] == rtObjectByTag || Line->Text[i] == rtObjectByNumber);
        int passAt = object ? x + adv[i] : x + adv[i] / 2;
        if (passAt >= X) break;
        x += adv[i];
    }
    return i;
}

void TRtRTFTextPaint::FindLineAt(int X, int Y, TParagraph*& Par, TLine*& Line) const {
    Par = nullptr;
    Line = nullptr;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            if (X < 0 && l->Y > Y) return;
            Par = p;
            Line = l;
            if (l->Y <= Y && Y <= l->Y + l->Height) {
                if (X < 0 || !(p->ParFlags & pfTableCell)) return;
                if (X >= LeftEdge(p, l) && X <= Header->TextWidthPx - RightIndentPixels(p)) return;
            }
        }
}

void TRtRTFTextPaint::UpdateCaretMetrics() {
    if (!CurLine || !CurPar) return;
    if (CurLine->Attr && CurPos < CurLine->Length) {
        const TCharAttr& a = CurLine->Attr[CurPos];
        CaretHeight = a.Ascent;
        CaretWidth = InsertMode ? 1 : a.Width;
    } else {
        CaretHeight = LineBase;
        if (CurLine->Base && CurLine->Base < CaretHeight) CaretHeight = CurLine->Base;
        CaretWidth = 1;
    }
    CaretY = std::max<int>(CurLine->Y, CurLine->Y + CurLine->Base - CaretHeight);
    CaretX = CharToX(CurPar, CurLine, CurPos);
}

// ---------------------------------------------------------------- line breaking

void TRtRTFTextPaint::WrapParagraph(TParagraph* Par, bool Compare, int& Change) {
    Change = wcSame;
    if (!Par || detached()) return;
    bool rich = MemoryFormat == fmRichText;
    // The paragraph's characters in order, with the mark of the line each came from.
    std::string text;
    std::vector<TCharAttr> attrs;
    bool marked = false;
    int oldHeight = 0;
    for (TLine* l = Par->FirstLine; l; l = l->Next) {
        text.append(l->Text.get(), l->Length);
        if (rich && l->Attr) attrs.insert(attrs.end(), l->Attr.get(), l->Attr.get() + l->Length);
        else if (rich) attrs.insert(attrs.end(), l->Length, attrWithMetrics(CurAttr, ' '));
        if (l->Mark == lmInside || l->Mark == lmPartly) marked = true;
        oldHeight += l->Height;
    }
    auto offsetOf = [&](TLine* line, int pos) {
        int off = 0;
        for (TLine* l = Par->FirstLine; l; l = l->Next) {
            if (l == line) return off + std::clamp<int>(pos, 0, l->Length);
            off += l->Length;
        }
        return -1;
    };
    int curOff = CurPar == Par ? offsetOf(CurLine, CurPos) : -1;
    int startOff = BlockStartPar == Par ? offsetOf(BlockStartLine, BlockStartPos) : -1;
    int endOff = BlockEndPar == Par ? offsetOf(BlockEndLine, BlockEndPos) : -1;

    const int n = static_cast<int>(text.size());
    auto widthAt = [&](int i) {
        if (rich) return std::max<int>(0, attrs[i].Width);
        unsigned char c = text[i] == '\t' ? ' ' : static_cast<unsigned char>(text[i]);
        return std::max(0, CharWidth[c]);
    };
    bool aligned = Par->Align == 1 || Par->Align == 2;

    std::vector<std::unique_ptr<TLine>> built;
    std::vector<int> starts;
    int s = 0;
    do {
        bool first = built.empty();
        // Tabs read ahead through the rest of the paragraph: a scratch line holds it.
        std::unique_ptr<TLine> rest;
        int left = LeftEdge(Par, first ? Par->FirstLine : nullptr);
        int avail = Header->TextWidthPx - RightIndentPixels(Par) - left;
        if (avail < 1) avail = narrowLineWidth;
        int x = 0, count = 0, spaces = 0, spaceSum = 0, lastBreak = 0, widthAtBreak = 0, tabIndex = 0;
        while (x <= avail && s + count < n) {
            char c = text[s + count];
            if (c == 0) {
                if (count == 0) count = 1;
                break;
            }
            if (c == '\t' && !aligned) {
                if (!rest) {
                    rest = makeLine(n - s + 4);
                    appendToLine(rest.get(), text.data() + s, rich ? attrs.data() + s : nullptr, n - s);
                }
                x = TabPosition(Par, rest.get(), left + x, count) - left;
                spaces = spaceSum = lastBreak = 0;
                tabIndex = count;
            } else if (c == ' ' || c == '\t') {
                ++spaces;
                widthAtBreak = x;
                int w = widthAt(s + count);
                x += w;
                spaceSum += w;
                lastBreak = count;
            } else {
                x += widthAt(s + count);
            }
            ++count;
            if (c == '\n') {
                spaces = spaceSum = lastBreak = 0;
                break;
            }
        }
        bool more = s + count < n;
        // A last word that overflows moves to a line of its own as well.
        if (lastBreak > 1 && (more || x > avail)) {
            count = lastBreak + 1;
            x = widthAtBreak;
            more = s + count < n;
        }
        auto line = makeLine(count + 4);
        TLine* probe = line.get();
        if (Par->Align == 3 && more && spaces > 1) {
            spaceSum = spaceSum + avail - x - justifySlack;
            probe->JustStart = static_cast<uint16_t>(tabIndex);
            probe->SpaceWidth = static_cast<uint16_t>(std::max(0, spaceSum / (spaces - 1)));
            probe->ExtraPixels = static_cast<uint16_t>(std::max(0, spaceSum % (spaces - 1)));
        } else {
            probe->JustStart = static_cast<uint16_t>(std::max(0, x));
        }
        if (count > 0) {
            appendToLine(probe, text.data() + s, rich ? attrs.data() + s : nullptr, count);
        }
        if (marked) probe->Mark = lmPartly;
        starts.push_back(s);
        built.push_back(std::move(line));
        s += count;
    } while (s < n);

    // Link the new chain; nothing of the old one has been touched so far.
    for (size_t i = 0; i < built.size(); ++i) {
        built[i]->Prev = i ? built[i - 1].get() : nullptr;
        built[i]->Next = i + 1 < built.size() ? built[i + 1].get() : nullptr;
    }
    auto place = [&](int off, TLine*& line, int& pos) {
        if (off < 0) return;
        size_t k = 0;
        while (k + 1 < built.size() && off > starts[k] + built[k]->Length) ++k;
        line = built[k].get();
        pos = std::clamp<int>(off - starts[k], 0, line->Length);
    };
    place(curOff, CurLine, CurPos);
    place(startOff, BlockStartLine, BlockStartPos);
    place(endOff, BlockEndLine, BlockEndPos);

    TLine* oldFirst = Par->FirstLine;
    int y = oldFirst->Y;
    std::vector<TLine*> oldLines;
    for (TLine* l = oldFirst; l; l = l->Next) oldLines.push_back(l);
    Par->FirstLine = built.front().get();
    int newHeight = 0;
    for (size_t i = 0; i < built.size(); ++i) {
        TLine* l = built[i].get();
        l->Y = y;
        CalcLineMetrics(Par, l);
        y += l->Height;
        newHeight += l->Height;
    }
    if (Compare) {
        int code = built.size() != oldLines.size() ? wcLinesDiffer : wcSame;
        for (size_t i = 0; i < built.size(); ++i) {
            TLine* nl = built[i].get();
            TLine* ol = i < oldLines.size() ? oldLines[i] : nullptr;
            bool same = ol && ol->Length == nl->Length &&
                        std::equal(nl->Text.get(), nl->Text.get() + nl->Length, ol->Text.get()) &&
                        (!nl->Attr || !ol->Attr ||
                         std::equal(nl->Attr.get(), nl->Attr.get() + nl->Length, ol->Attr.get()));
            if (!same) {
                nl->LineFlags |= lfChanged;
                code = std::max(code, wcLinesDiffer);
            }
            if (ol && ol->Height != nl->Height) code = std::max(code, wcLineHeight);
        }
        if (newHeight != oldHeight) code = wcParagraphHeight;
        Change = code;
    }
    for (auto& l : built) l.release();
    for (TLine* l : oldLines) {
        l->Next = l->Prev = nullptr;
        FreeLine(l);
    }
    // A cell moves its row's neighbours; a pass over many paragraphs does
    // this once at its end instead.
    if ((Par->ParFlags & pfTableCell) && !wrapping_) UpdateLinePositions();
}

// ---------------------------------------------------------------- passes

void TRtRTFTextPaint::WrapDirty() {
    if (detached() || wrapping_) return;
    wrapping_ = true;
    {
        TLongPassProgress progress(FirstPar, dfRewrap);
        int change = 0, done = 0;
        for (TParagraph* p = FirstPar; p; p = p->Next)
            if (p->Dirty & dfRewrap) {
                WrapParagraph(p, false, change);
                p->Dirty &= static_cast<uint8_t>(~dfRewrap);
                progress.step(done++);
            }
    }
    wrapping_ = false;
    if (!PaintLocked) UpdateLinePositions();
    if (OnCaretMoved) OnCaretMoved();
}

void TRtRTFTextPaint::ReformatAll() {
    if (detached() || formatting_ || !Canvas) return;
    formatting_ = true;
    for (TParagraph* p = FirstPar; p; p = p->Next) p->Dirty |= dfAll;
    Header->RecalcTabPixels();
    UnmarkObjects();
    {
        TFormatPassProgress progress(FirstPar);
        MeasureAll();
        progress.measured();
        FreeUnmarkedObjects();
        WrapDirty();
    }
    formatting_ = false;
    UpdateCaretMetrics();
    if (OnCaretMoved) OnCaretMoved();
    notifyAttributesChanged();
}

void TRtRTFTextPaint::FormatChanged() {
    if (detached() || formatting_ || measuring_ || wrapping_ || !Canvas) return;
    formatting_ = true;
    if (WordWrap && !(PaintOptions & poKeepTextWidth)) {
        Header->SetTextWidthPx(WindowWidth);
        LeftOffset = 0;
    } else {
        Header->SetTextWidthPx(Header->TextAreaPx);
    }
    {
        TFormatPassProgress progress(FirstPar);
        MeasureAll();
        progress.measured();
        WrapDirty();
    }
    formatting_ = false;
    Paint();
}

int TRtRTFTextPaint::ReplaceText(TParagraph* Par, TLine* Line, const std::string& S, int Pos, int Count) {
    if (formatting_) return 0;
    int delta = TRtRTFTextIo::ReplaceText(Par, Line, S, Pos, Count);
    if (!Par || detached()) return delta;
    MeasureParagraph(Par);
    if (!wrapping_) {
        int change = 0;
        WrapParagraph(Par, false, change);
        Par->Dirty &= static_cast<uint8_t>(~dfRewrap);
        UpdateLinePositions();
    }
    return delta;
}

void TRtRTFTextPaint::UpdateLinePositions() {
    TRtRTFTextIo::UpdateLinePositions();
    int h = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next) {
        TLine* last = Get_LastLine(p);
        if (last) h = std::max(h, last->Y + last->Height);
    }
    DocHeight = h;
    if (!(PaintOptions & poNoScroll)) {
        if (OnVScrolled) OnVScrolled();
        if (OnHScrolled) OnHScrolled();
    }
}

// ---------------------------------------------------------------- notifications

void TRtRTFTextPaint::notifyCursorMoved() {
    if (!ModeControl || (PaintOptions & poInert)) return;
    ModeControl->ParagraphChanged();
    ModeControl->PositionChanged();
}

void TRtRTFTextPaint::notifyAttributesChanged() {
    if (ModeControl && !(PaintOptions & poInert)) ModeControl->AttributesChanged();
}

void TRtRTFTextPaint::notifyOffsetChanged() {
    if (ModeControl && !(PaintOptions & poInert)) ModeControl->PositionChanged();
}

// ---------------------------------------------------------------- attribute commands

bool TRtRTFTextPaint::orderedBlock(TParagraph*& FromPar, TLine*& FromLine, int& FromPos, TParagraph*& ToPar,
                                   TLine*& ToLine, int& ToPos) const {
    if (!BlockStartPar || !BlockEndPar || !BlockStartLine || !BlockEndLine) return false;
    FromPar = BlockStartPar, FromLine = BlockStartLine, FromPos = BlockStartPos;
    ToPar = BlockEndPar, ToLine = BlockEndLine, ToPos = BlockEndPos;
    // Whichever end the walk meets first starts the block.
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            bool start = l == BlockStartLine, end = l == BlockEndLine;
            if (!start && !end) continue;
            if (end && (!start || BlockEndPos < BlockStartPos)) {
                std::swap(FromPar, ToPar);
                std::swap(FromLine, ToLine);
                std::swap(FromPos, ToPos);
            }
            FromPos = std::clamp<int>(FromPos, 0, FromLine->Length);
            ToPos = std::clamp<int>(ToPos, 0, ToLine->Length);
            return true;
        }
    return false;
}

void TRtRTFTextPaint::SetCharAttr(TLine* Line, int Index, int Mask, const TCharAttr& Attr) {
    bool current = !Line || !Line->Attr;
    if (!current && (Index < 0 || Index >= Line->Length)) return;
    TCharAttr& a = current ? CurAttr : Line->Attr[Index];
    if (Mask & amFont) a.Font = Attr.Font;
    if (Mask & amSize) a.Size = Attr.Size;
    if (Mask & amTextColor) a.Colors = static_cast<uint8_t>((a.Colors & 0xF0) | (Attr.Colors & 0x0F));
    if (Mask & amBackColor) a.Colors = static_cast<uint8_t>((a.Colors & 0x0F) | (Attr.Colors & 0xF0));
    if (Mask & (amNormal | amReplaceStyle)) {
        a.Style &= static_cast<uint8_t>(~fontStyleBits);
        if (Mask & amNormal) a.Special &= static_cast<uint8_t>(~(spHidden | spRtfCode));
    }
    if (Mask & (amAddStyle | amNormal | amReplaceStyle)) {
        a.Style |= Attr.Style;
        a.Special |= Attr.Special;
    }
    if (Mask & amRemoveStyle) {
        a.Style &= static_cast<uint8_t>(~Attr.Style);
        a.Special &= static_cast<uint8_t>(~Attr.Special);
    }
    // Raised and lowered script exclude each other; raised wins.
    if ((a.Style & stSuperscript) || (a.Special & spFootnote)) a.Style &= static_cast<uint8_t>(~stSubscript);
    if (current || detached()) return;

    char c = Line->Text[Index];
    bool object = (a.Special & spObject) && (c == rtObjectByTag || c == rtObjectByNumber);
    if (ObjectInsert) {
        a.Tag = CurAttr.Tag;
        if (object) {
            a.Width = (CurAttr.Special & spHidden) ? 0 : CurAttr.Width;
            a.Height = CurAttr.Height;
        }
    }
    if (object || !Canvas) return;
    SelectAttr(&a);
    a.Height = static_cast<uint16_t>(FontHeight);
    a.Ascent = static_cast<uint16_t>(FontAscent);
    unsigned char uc = c == '\t' ? ' ' : static_cast<unsigned char>(c);
    a.Width = zeroWidth(a) ? 0 : static_cast<uint16_t>(std::max(0, CharWidth[uc]));
    if (Line->Height < FontHeight) Line->Height = static_cast<uint16_t>(FontHeight);
    if (Line->Base < FontAscent) Line->Base = static_cast<uint16_t>(FontAscent);
}

void TRtRTFTextPaint::SetCurrentAttr(const TCharAttr& Attr, int Mask) {
    TParagraph *fromPar, *toPar;
    TLine *fromLine, *toLine;
    int fromPos, toPos;
    if (orderedBlock(fromPar, fromLine, fromPos, toPar, toLine, toPos)) {
        bool done = false;
        for (TParagraph* p = fromPar; p && !done; p = p->Next) {
            for (TLine* l = p == fromPar ? fromLine : p->FirstLine; l; l = l->Next) {
                int from = l == fromLine ? fromPos : 0;
                int to = l == toLine ? toPos : l->Length;
                if (l->Attr)
                    for (int i = from; i < to; ++i) SetCharAttr(l, i, Mask, Attr);
                if (l == toLine) {
                    done = true;
                    break;
                }
            }
            // Measured again as a whole: a changed size moves the line's base.
            p->Dirty |= dfAll;
        }
        MeasureAll();
        WrapDirty();
        Paint();
        UpdateCaret();
        ShowCursor();
    }
    SetCharAttr(nullptr, 0, Mask, Attr);
    if (detached()) return;
    SelectAttr(&CurAttr);
    if (MemoryFormat != fmRichText) ReformatAll();
    notifyAttributesChanged();
    notifyCursorMoved();
}

void TRtRTFTextPaint::SetBlockStyle(int Style, bool On) {
    TCharAttr attr;
    attr.Style = static_cast<uint8_t>(Style & 0xFF);
    attr.Special = static_cast<uint8_t>((Style >> 8) & 0xFF);
    SetCurrentAttr(attr, Style == 0 ? amNormal : On ? amAddStyle : amRemoveStyle);
    UpdateLinePositions();
    UpdateCaretMetrics();
    Paint();
}

// ---------------------------------------------------------------- paragraph commands

std::vector<TParagraph*> TRtRTFTextPaint::commandParagraphs() const {
    std::vector<TParagraph*> out;
    TParagraph *fromPar, *toPar;
    TLine *fromLine, *toLine;
    int fromPos, toPos;
    if (!orderedBlock(fromPar, fromLine, fromPos, toPar, toLine, toPos)) {
        if (CurPar) out.push_back(CurPar);
        return out;
    }
    for (TParagraph* p = fromPar; p; p = p->Next) {
        out.push_back(p);
        if (p == toPar) break;
    }
    return out;
}

void TRtRTFTextPaint::SetIndents(int First, int Left, int Right, bool Reformat) {
    if (ReadOnly || !CurPar) return;
    (void)Reformat;  // every changed paragraph is re-wrapped before the paint below
    auto keep = [](int v) { return v == unchangedIndent || v >= unchangedIndentFrom; };
    auto mark = [](TParagraph* p) { p->Dirty |= dfRewrap; };
    for (TParagraph* p : commandParagraphs()) {
        if (!(p->ParFlags & pfTableCell)) {
            if (!keep(First)) p->IndentFirst = First;
            if (!keep(Left)) p->IndentLeft = Left;
            if (!keep(Right)) p->IndentRight = Right;
            mark(p);
            continue;
        }
        // A row is indented as a whole; its cells have no first-line indent of their own.
        TParagraph* cell = p;
        while ((cell->ParFlags & pfNotFirstCell) && cell->Prev && (cell->Prev->ParFlags & pfTableCell))
            cell = cell->Prev;
        int left = !keep(Left) ? Left : First;
        for (; cell && (cell->ParFlags & pfTableCell); cell = cell->Next) {
            if (!keep(left)) cell->IndentFirst = cell->IndentLeft = left;
            if (!keep(Right)) cell->IndentRight = Right;
            mark(cell);
            if (!(cell->ParFlags & pfCellFollows)) break;
        }
    }
    WrapDirty();
    Paint();
}

void TRtRTFTextPaint::SetAlignment(int Value) {
    if (ReadOnly || !CurPar) return;
    for (TParagraph* p : commandParagraphs())
        if (p->Align != Value) {
            p->Align = static_cast<uint8_t>(Value);
            p->Dirty |= dfRewrap;
        }
    // The cursor paragraph at once, so the caret can be shown; the rest after.
    int change = 0;
    WrapParagraph(CurPar, false, change);
    CurPar->Dirty &= static_cast<uint8_t>(~dfRewrap);
    ShowCursor();
    WrapDirty();
    Paint();
}

void TRtRTFTextPaint::SetTabs(uint32_t Bits, bool Clear) {
    if (ReadOnly || !CurPar) return;
    for (TParagraph* p : commandParagraphs()) {
        if (p->ParFlags & pfTableCell) continue;
        p->TabSet = Clear ? (p->TabSet & ~Bits) : (p->TabSet | Bits);
        p->Dirty |= dfRewrap;
    }
    WrapDirty();
    Paint();
    Header->Current.TabSet = (CurPar->ParFlags & pfTableCell) ? 0 : CurPar->TabSet;
}
