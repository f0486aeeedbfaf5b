// Painting half of TRtRTFTextPaint: the window, a rectangle, one line.
// Text goes out in runs of equal attributes with the advances layout used,
// and x is tracked explicitly from run to run.
#include <algorithm>

#include "richtext/RtRtfPA.h"
#include "ui/Controls.h"
#include "ui/FontLines.h"

namespace {

constexpr int maxRunLength = 100;
constexpr int clipMarginTop = 16;
constexpr int clipMarginBottom = 32;

bool sameRun(const TCharAttr& a, const TCharAttr& b) {
    return a.Font == b.Font && a.Colors == b.Colors && a.Style == b.Style && a.Special == b.Special &&
           a.Size == b.Size;
}

}  // namespace

void TRtRTFTextPaint::Repaint() {
    if (!Canvas || PaintLocked || detached() || (PaintOptions & poInert)) return;
    PaintRect(0, 0, WindowWidth, WindowHeight);
}

void TRtRTFTextPaint::Paint() {
    if (!Canvas || PaintLocked || LayoutLocked || detached() || (PaintOptions & poInert) || !Visible) return;
    if (formatting_ || measuring_ || wrapping_) return;
    ObjectRectCount = 0;
    SelectedObject = TRtSelectedObject{};
    if (!(PaintOptions & poNoClip)) Canvas->ResetClip();
    if (!FirstPar) {
        Canvas->TextOut(WindowWidth / 2, WindowHeight / 2, "<empty>");
        return;
    }
    PaintRect(0, 0, WindowWidth, WindowHeight);
}

void TRtRTFTextPaint::PaintRect(int X, int Y, int Width, int Height) {
    if (!Canvas || painting_) return;
    painting_ = true;
    if (OnBeforePaint) OnBeforePaint(this);
    if (!(PaintOptions & poNoClip))
        Canvas->SetClipRect(TRect{X - 1, Y - clipMarginTop, X + Width + 2, Y + Height + clipMarginBottom});
    int bottom = -1, firstTop = 0;
    bool painted = false;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            int top = l->Y - TopOffset;
            if (top + l->Height + 1 < Y || top > Y + Height + 1) continue;
            PaintLine(p, l);
            if (!painted) firstTop = top;
            painted = true;
            bottom = std::max(bottom, top + l->Height);
        }
    bool fill = !(PaintOptions & (poTransparent | poNoBackground));
    if (fill) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(BackColor);
    }
    // Above the first line (a top margin) and below the last one.
    if (fill && painted && firstTop + PaintTop > Y) Canvas->FillRect(TRect{X, Y, X + Width, firstTop + PaintTop});
    if (fill && bottom < Y + Height) Canvas->FillRect(TRect{X, std::max(Y, bottom + PaintTop), X + Width, WindowHeight});
    if (OnAfterPaint) OnAfterPaint(this);
    painting_ = false;
}

void TRtRTFTextPaint::PaintLine(TParagraph* Par, TLine* Line) {
    if (!Canvas || !Par || !Line) return;
    int y = Line->Y - TopOffset + PaintTop;
    if ((PaintOptions & poSkipBelowWindow) && y + Line->Height > WindowHeight) return;
    if (!(PaintOptions & poPaintOutside) && (y + Line->Height < 0 || y > WindowHeight)) return;
    if (LinePainter) {
        LinePainter->PaintLine(Canvas, Par, Line, LineStartX(Par, Line) + PaintLeft, y);
        return;
    }
    // The hooks let the window show a line painted outside its paint event.
    bool hooks = !(PaintOptions & poInert);
    if (hooks && OnBeforePaint) OnBeforePaint(this);
    // The block's characters on this line, as a range.
    int markFrom = 0, markTo = 0;
    bool block = !(PaintOptions & poNoBlockMarks) && BlockStartPar && BlockEndPar;
    if (block) {
        auto order = [&](TParagraph* p, TLine* l) {
            long long n = 0;
            for (TParagraph* q = FirstPar; q; q = q->Next)
                for (TLine* m = q->FirstLine; m; m = m->Next, ++n)
                    if (q == p && m == l) return n;
            return -1LL;
        };
        long long a = order(BlockStartPar, BlockStartLine), b = order(BlockEndPar, BlockEndLine);
        int ap = BlockStartPos, bp = BlockEndPos;
        if (a > b || (a == b && ap > bp)) {
            std::swap(a, b);
            std::swap(ap, bp);
        }
        long long me = order(Par, Line);
        if (me >= a && me <= b && a >= 0) {
            markFrom = me == a ? ap : 0;
            markTo = me == b ? bp : Line->Length;
            if (me != b && Line->Length == 0) markTo = 1;  // an empty line inside the block shows
        }
        Line->Mark = markTo > markFrom ? (markFrom == 0 && markTo >= Line->Length ? lmInside : lmPartly) : lmNone;
    }
    std::vector<int> adv = LineAdvances(Par, Line);
    int x = LineStartX(Par, Line) + PaintLeft + ((PaintOptions & poIgnoreLeftOffset) ? 0 : LeftOffset);
    Canvas->Brush()->SetStyle(bsSolid);
    // A cell fills only its own column, so its neighbours stay.
    int offsetX = PaintLeft + ((PaintOptions & poIgnoreLeftOffset) ? 0 : LeftOffset);
    int stripLeft = PaintLeft, stripRight = WindowWidth + PaintLeft;
    if (Par->ParFlags & pfTableCell) {
        stripLeft = LeftEdge(Par, Line) - 1 + offsetX;
        stripRight = Header->TextWidthPx - RightIndentPixels(Par) + offsetX;
    }
    if (!(PaintOptions & (poNoSideStrips | poNoBackground))) {
        Canvas->Brush()->SetColor(BackColor);
        Canvas->FillRect(TRect{stripLeft, y, x, y + Line->Height});
    }
    if (Line->Length == 0 && markTo > markFrom) {
        Canvas->Brush()->SetColor(clHighlight);
        Canvas->FillRect(TRect{x, y, x + 4, y + Line->Height});
    }
    int i = 0;
    while (i < Line->Length) {
        TCharAttr a = Line->Attr ? Line->Attr[i] : CurAttr;
        bool marked = i >= markFrom && i < markTo;
        int j = i + 1;
        bool blank = static_cast<unsigned char>(Line->Text[i]) <= 32;
        bool object = (a.Special & spObject) && (Line->Text[i] == rtObjectByTag || Line->Text[i] == rtObjectByNumber);
        if (!blank && !object)
            while (j < Line->Length && j - i < maxRunLength && static_cast<unsigned char>(Line->Text[j]) > 32 &&
                   (!Line->Attr || sameRun(Line->Attr[j], a)) && ((j >= markFrom && j < markTo) == marked))
                ++j;
        if (marked) a.Style |= stBlockMarked;
        paintRun(Line, a, i, j, x, y, adv);
        i = j;
    }
    if (!(PaintOptions & (poNoSideStrips | poNoBackground))) {
        Canvas->Brush()->SetColor(BackColor);
        Canvas->FillRect(TRect{x, y, std::max(x, stripRight), y + Line->Height});
    }
    if (Par->TableFlags & tfBorder) paintBorders(Par, Line, y);
    bool pageBreak = (!Line->Next && (Par->ParFlags & pfPageBreak)) ||
                     ((Line->LineFlags & lfPageBreakAfter) && !(PaintOptions & poHidePageBreaks));
    if (pageBreak && !(PaintOptions & poInert)) {
        Canvas->Pen()->SetStyle(psDot);
        Canvas->Pen()->SetColor(clBlack);
        Canvas->Pen()->SetWidth(1);
        Canvas->MoveTo(PaintLeft, y + Line->Height - 1);
        Canvas->LineTo(PaintLeft + WindowWidth, y + Line->Height - 1);
        Canvas->Pen()->SetStyle(psSolid);
    }
    Line->LineFlags &= static_cast<uint8_t>(~lfChanged);
    if (hooks && OnAfterPaint) OnAfterPaint(this);
}

// a is the run's attribute as painted: PaintLine adds the block mark to its copy.
void TRtRTFTextPaint::paintRun(TLine* Line, TCharAttr a, int from, int to, int& x, int y,
                               const std::vector<int>& adv) {
    int width = 0;
    for (int k = from; k < to; ++k) width += adv[k];
    if (width == 0 || zeroWidth(a)) {
        x += width;
        return;
    }
    ApplyAttr(&a);
    TDeviceContext* dc = Canvas->Handle();
    if (!dc) return;
    Canvas->TextExtent("");  // puts the run's font into the device
    TColor brush = Canvas->Brush()->Color();
    TColor textColor = Canvas->Font()->Color();
    bool fill = !(PaintOptions & poNoBackground);
    if ((PaintOptions & poTransparent) && (a.Colors >> 4) == 0 &&
        (brush == BackColor || ColorToRGB(brush) == ColorToRGB(clWhite) || !(PaintOptions & poNeverFillText)))
        fill = (a.Colors >> 4) != 0 && !(PaintOptions & poNeverFillText);
    TRect cell{x, y, x + width, y + Line->Height};
    std::string text(Line->Text.get() + from, to - from);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    std::vector<int> dx(adv.begin() + from, adv.begin() + to);
    bool object = (a.Special & spObject) && (text.size() == 1) &&
                  (Line->Text[from] == rtObjectByTag || Line->Text[from] == rtObjectByNumber);
    if (object) {
        if (fill) {
            Canvas->Brush()->SetColor(BackColor);
            Canvas->FillRect(cell);
        }
        char code = Line->Text[from];
        TObjectEntry* entry = code == rtObjectByTag ? FindObject(a.Tag, 0) : FindObject(0, a.Tag);
        if (entry) {
            TRect box{x, y + Line->Base - a.Ascent, x + width, y + Line->Base};
            PaintObject(box, width, a.Ascent, entry->Obj);
            if (a.Style & stBlockMarked) {
                Canvas->Pen()->SetColor(clHighlight);
                Canvas->Pen()->SetWidth(1);
                Canvas->Pen()->SetStyle(psSolid);
                Canvas->Brush()->SetStyle(bsClear);
                Canvas->Rectangle(box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1);
                Canvas->Brush()->SetStyle(bsSolid);
                if (!SelectedObject.Tag && !SelectedObject.Number) {
                    SelectedObject.Rect = box;
                    SelectedObject.Tag = entry->Tag;
                    SelectedObject.Number = entry->Number;
                }
            }
        }
        x += width;
        return;
    }
    if (a.Style & stBlockMarked) {
        brush = clHighlight;
        textColor = clHighlightText;
        fill = true;
    }
    dc->SetTextColor(ColorToRGB(textColor));
    dc->SetBkColor(ColorToRGB(brush));
    dc->SetTextAlign(TA_LEFT | TA_BASELINE);
    int baseline = y + Line->Base;
    if (a.Style & stSuperscript) baseline -= Line->Base / 3;
    if (a.Style & stSubscript) baseline += Line->Base / 6;
    bool blankOnly = text.size() == 1 && text[0] == ' ';
    if (fill) {
        dc->SelectBrush(bsSolid, ColorToRGB(brush));
        dc->FillRect(cell);
    }
    if (!blankOnly) {
        dc->SetBkMode(TRANSPARENT);
        dc->ExtTextOut(x, baseline, 0, nullptr, text, dx);
    }
    if (a.Style & (stUnderline | stHyperlink)) {
        int tallest = 0;
        for (int k = 0; k < Line->Length; ++k)
            if (!Line->Attr || !(Line->Attr[k].Special & spObject))
                tallest = std::max<int>(tallest, Line->Attr ? Line->Attr[k].Height : LineHeight);
        int penWidth = tallest / 20 + 1;
        dc->SelectPen(psSolid, penWidth, (a.Style & stHyperlink) ? RGB(0, 0, 255) : ColorToRGB(textColor));
        // Under the base line where the font puts it, not at the bottom of a
        // line that spacing may have made taller.
        int offset = dc->Font() ? underlineOffset(*dc->Font()) : penWidth;
        int uy = std::min(baseline + offset, y + Line->Height - penWidth);
        dc->Polyline({TPoint{x, uy}, TPoint{x + width, uy}});
    }
    Canvas->Refresh();
    x += width;
}

void TRtRTFTextPaint::PaintObject(const TRect& Rect, int Width, int Height, TObject* Object) {
    if (!Canvas) return;
    if (ObjectRectCount < rtMaxObjectRects) {
        // Kept in document pixels, so hit tests survive scrolling.
        TRtObjectRect& r = ObjectRects[ObjectRectCount++];
        r.X = Rect.Left - LeftOffset - PaintLeft;
        r.Y = Rect.Top + TopOffset - PaintTop;
        r.Width = Width;
        r.Height = Height;
        r.Object = Object;
    }
    if (LinePainter) {
        LinePainter->PaintObject(Canvas, Rect, Object);
        return;
    }
    TRect box{Rect.Left, Rect.Bottom - Height, Rect.Left + Width, Rect.Bottom};
    TGraphic* graphic = dynamic_cast<TGraphic*>(Object);
    if (auto* picture = dynamic_cast<TPicture*>(Object)) graphic = picture->Graphic();
    if (graphic && !graphic->Empty()) {
        Canvas->StretchDraw(box, graphic);
        return;
    }
    // No graphic: a frame with both diagonals.
    Canvas->Pen()->SetColor(clBlack);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Brush()->SetStyle(bsClear);
    drawCrossedFrame(Canvas, box);
    Canvas->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------- scrolling

void TRtRTFTextPaint::scrollPixels(int dx, int dy) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    bool whole = std::abs(dy) >= WindowHeight || std::abs(dx) >= WindowWidth;
    TRect window{PaintLeft, PaintTop, PaintLeft + WindowWidth, PaintTop + WindowHeight};
    TRect band = dc && !whole ? dc->ScrollDC(dx, dy, window) : TRect{};
    if (band.Right > band.Left && band.Bottom > band.Top) {
        PaintRect(band.Left - PaintLeft, band.Top - PaintTop, band.Width(), band.Height());
        if (!(PaintOptions & poNoClip)) Canvas->ResetClip();
    } else {
        Paint();
    }
}

void TRtRTFTextPaint::ScrollDown(int Dy) {
    if ((PaintOptions & poNoScroll) || Dy <= 0) return;
    int old = TopOffset;
    TopOffset += Dy;
    if (Dy > WindowHeight) {
        // A long jump lands on the start of a line.
        TParagraph* par = nullptr;
        TLine* line = nullptr;
        FindLineAt(-1, TopOffset, par, line);
        if (line) TopOffset = line->Next ? line->Y : std::max(0, line->Y - 2 * (WindowHeight / 3));
    }
    if (TopOffset == old) return;
    if (OnBeforePaint) OnBeforePaint(this);
    scrollPixels(0, old - TopOffset);
    if (OnVScrolled) OnVScrolled();
    if (OnAfterPaint) OnAfterPaint(this);
    UpdateCaret();
}

void TRtRTFTextPaint::ScrollUp(int Dy) {
    if ((PaintOptions & poNoScroll) || Dy <= 0) return;
    Dy = std::min(Dy, TopOffset);
    if (Dy <= 0) return;
    TopOffset -= Dy;
    if (OnBeforePaint) OnBeforePaint(this);
    scrollPixels(0, Dy);
    if (OnVScrolled) OnVScrolled();
    if (OnAfterPaint) OnAfterPaint(this);
    UpdateCaret();
}

void TRtRTFTextPaint::ScrollViewRight(int Dx) {
    if (PaintOptions & poNoScroll) return;
    Dx = std::min(Dx, Header->TextWidthPx + LeftOffset - WindowWidth);
    if (Dx <= 0) return;
    LeftOffset -= Dx;
    if (OnBeforePaint) OnBeforePaint(this);
    scrollPixels(-Dx, 0);
    if (OnHScrolled) OnHScrolled();
    if (OnAfterPaint) OnAfterPaint(this);
    notifyOffsetChanged();
    UpdateCaret();
}

void TRtRTFTextPaint::ScrollViewLeft(int Dx) {
    if (PaintOptions & poNoScroll) return;
    Dx = std::min(Dx, -LeftOffset);
    if (Dx <= 0) return;
    LeftOffset += Dx;
    if (OnBeforePaint) OnBeforePaint(this);
    scrollPixels(Dx, 0);
    if (OnHScrolled) OnHScrolled();
    if (OnAfterPaint) OnAfterPaint(this);
    notifyOffsetChanged();
    UpdateCaret();
}

void TRtRTFTextPaint::VScroll(int Code, int Pos) {
    if (PaintOptions & poInert) return;
    constexpr int lineStep = 16;
    bool more = TopOffset + WindowHeight < DocHeight;
    switch (Code) {
        case 0: ScrollUp(lineStep); break;
        case 1: if (more) ScrollDown(lineStep); break;
        case 2: ScrollUp(WindowHeight); break;
        case 3: if (more) ScrollDown(WindowHeight); break;
        case 4:
        case 5:
            if (Pos > TopOffset) ScrollDown(Pos - TopOffset);
            else ScrollUp(TopOffset - Pos);
            break;
        case 6: ScrollUp(TopOffset); break;
        case 7: ScrollDown(std::max(0, DocHeight - WindowHeight - TopOffset)); break;
        default: break;
    }
}

void TRtRTFTextPaint::HScroll(int Code, int Pos) {
    if (PaintOptions & poInert) return;
    constexpr int columnStep = 16;
    int page = WindowWidth - WindowWidth / 4;
    switch (Code) {
        case 0: ScrollViewLeft(columnStep); break;
        case 1: ScrollViewRight(columnStep); break;
        case 2: ScrollViewLeft(page); break;
        case 3: ScrollViewRight(page); break;
        case 4:
        case 5:
            if (Pos > -LeftOffset) ScrollViewRight(Pos + LeftOffset);
            else ScrollViewLeft(-LeftOffset - Pos);
            break;
        case 6: ScrollViewLeft(-LeftOffset); break;
        case 7: ScrollViewRight(16777215); break;
        default: break;
    }
}

void TRtRTFTextPaint::UpdateCaret() {
    UpdateCaretMetrics();
    if (OnCaretMoved) OnCaretMoved();
}

void TRtRTFTextPaint::ShowCursor() {
    if (!CurLine || !CurPar) return;
    int viewWidth = ViewObject ? ViewObject->ClientWidth() : WindowWidth;
    int viewHeight = ViewObject ? ViewObject->ClientHeight() : WindowHeight;
    if (CurLine->Y < TopOffset) ScrollUp(TopOffset - CurLine->Y);
    int bottom = CurLine->Y + CurLine->Height;
    if (bottom > TopOffset + viewHeight) ScrollDown(bottom - TopOffset - viewHeight + 4);
    UpdateCaretMetrics();
    if (CaretX + LeftOffset < 0) ScrollViewLeft(-(CaretX + LeftOffset) + viewWidth / 3);
    else if (CaretX + LeftOffset > viewWidth - 4) ScrollViewRight(CaretX + LeftOffset - 2 * viewWidth / 3);
    if (OnCaretMoved) OnCaretMoved();
    if (OnHScrolled && !(PaintOptions & poNoScroll)) OnHScrolled();
}

void TRtRTFTextPaint::ClickAt(int X, int Y, bool Show, bool Extend) {
    (void)Show;
    (void)Extend;
    if (PaintOptions & (poInert | poCursorFixed)) return;
    TParagraph* par = nullptr;
    TLine* line = nullptr;
    int x = X - LeftOffset - PaintLeft, y = Y + TopOffset - PaintTop;
    FindLineAt(x, y, par, line);
    if (line && line->Y <= y && y <= line->Y + line->Height) {
        CurPar = par;
        CurLine = line;
        CurPos = XToChar(par, line, x);
    }
    ShowCursor();
}

// ---------------------------------------------------------------- borders

namespace {

// The paragraphs of a bordered group: from the one after a paragraph that
// ends a box (or the first bordered one) to the next that ends one.
bool sameBox(TParagraph* before, TParagraph* after) {
    return before && after && (before->TableFlags & tfBorder) && (after->TableFlags & tfBorder) &&
           !(before->TableFlags & tfBoxEnds) && !(after->ParFlags & pfPageBreak);
}

}  // namespace

int TRtRTFTextPaint::BoxLeft(TParagraph* Par) const {
    if (Par->ParFlags & pfTableCell) return LeftEdge(Par, Par->FirstLine) - 1;
    TParagraph* first = Par;
    while (sameBox(first->Prev, first)) first = first->Prev;
    int left = 32000;
    for (TParagraph* p = first;; p = p->Next) {
        left = std::min({left, p->IndentFirst, p->IndentLeft});
        if (!sameBox(p, p->Next)) break;
    }
    return RtMulDiv(left, resX(), rtTwipsPerInch);
}

int TRtRTFTextPaint::BoxRight(TParagraph* Par) const {
    if (Par->ParFlags & pfTableCell) return RightIndentPixels(Par);
    TParagraph* first = Par;
    while (sameBox(first->Prev, first)) first = first->Prev;
    int right = 32000;
    for (TParagraph* p = first;; p = p->Next) {
        right = std::min(right, p->IndentRight);
        if (!sameBox(p, p->Next)) break;
    }
    return RtMulDiv(right, resX(), rtTwipsPerInch);
}

void TRtRTFTextPaint::paintBorders(TParagraph* Par, TLine* Line, int y) {
    uint32_t f = Par->TableFlags;
    int offset = PaintLeft + LeftOffset;
    int left = BoxLeft(Par) + offset, right = Header->TextWidthPx - BoxRight(Par) + offset - 1;
    int top = y, bottom = y + Line->Height - 1;
    int points = TableLineWidth(f);
    int width = (points == 0 || (f & tfHairline)) ? 1 : std::max(1, RtMulDiv(points, resX(), 72));
    int colour = TableLineColor(f);
    Canvas->Pen()->SetColor(colour ? ColorOf(colour) : clBlack);
    Canvas->Pen()->SetStyle((f & tfDotted) ? psDot : psSolid);
    Canvas->Pen()->SetWidth(width);
    bool all = (f & tfAllSides) != 0;
    auto line = [&](int x1, int y1, int x2, int y2) {
        Canvas->MoveTo(x1, y1);
        Canvas->LineTo(x2, y2);
    };
    auto sides = [&](int inset) {
        if ((all || (f & tfTop)) && Line == Par->FirstLine && !sameBox(Par->Prev, Par))
            line(left + inset, top + inset, right - inset + 1, top + inset);
        if ((all || (f & tfBottom)) && !Line->Next && !sameBox(Par, Par->Next))
            line(left + inset, bottom - inset, right - inset + 1, bottom - inset);
        if (all || (f & tfLeft)) line(left + inset, top, left + inset, bottom + 1);
        if (all || (f & tfRight)) line(right - inset, top, right - inset, bottom + 1);
    };
    sides(0);
    if (f & tfDouble) sides(2 * width);
    if (f & tfTableLines)
        for (int i = 0; i < rtTabsUsable; ++i)
            if (Par->TabSet & (1u << i)) {
                int x = Header->TabPosPx[i] + offset;
                if (x > left && x < right) line(x, top, x, bottom + 1);
            }
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
}
