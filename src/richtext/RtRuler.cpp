#include "richtext/RtRuler.h"

#include <algorithm>
#include <cmath>

#include "richtext/RtHeader.h"
#include "richtext/RtWinCtr.h"
#include "ui/Application.h"

namespace {

constexpr double inchesPerCentimetre = 0.3937007874015748;

}  // namespace

TRtRuler::TRtRuler(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 40, 200, 20);
    sizeMarkers();
}

TRtRuler::~TRtRuler() { detachEvents(); }

int TRtRuler::PixelsPerInch() const {
    if (header_ && header_->ResX >= 1) return header_->ResX;
    return Screen->PixelsPerInch();
}

int TRtRuler::UnitPixels() const {
    int p = PixelsPerInch();
    return units_ == Inch ? p : static_cast<int>(std::lround(p * inchesPerCentimetre));
}

int TRtRuler::toPixels(int Twips) const { return RtMulDiv(Twips, PixelsPerInch(), rtTwipsPerInch); }

int TRtRuler::toTwips(int Pixels) const { return RtMulDiv(Pixels, rtTwipsPerInch, PixelsPerInch()); }

// ---------------------------------------------------------------- properties

void TRtRuler::SetHeader(TTextHeader* Value) {
    if (Value == header_) return;
    header_ = Value;
    if (header_) updateMarkers();
    Invalidate();
}

void TRtRuler::SetLeftOffset(int Value) {
    if (Value == leftOffset_) return;
    leftOffset_ = Value;
    updateMarkers();
    Invalidate();
}

void TRtRuler::SetXOffset(int Value) {
    if (Value == xOffset_) return;
    xOffset_ = Value;
    // The whole strip is repainted from the header, which is what a scroll of its pixels would show.
    updateMarkers();
    Invalidate();
}

void TRtRuler::ResetIndents() {
    if (!header_) return;
    header_->Current.IndentFirst = header_->Current.IndentLeft = header_->Current.IndentRight = 0;
    header_->Inches = units_ == Inch;
    updateMarkers();
    Invalidate();
}

void TRtRuler::SetUnits(PTRtRulerUnit Value) {
    units_ = Value;
    if (header_) header_->Inches = Value == Inch;
    Invalidate();
}

void TRtRuler::SetBevelInner(TBevelCut Value) {
    bevelInner_ = Value;
    Invalidate();
}

void TRtRuler::SetBevelOuter(TBevelCut Value) {
    bevelOuter_ = Value;
    Invalidate();
}

void TRtRuler::SetShowAllTabs(bool Value) {
    showAllTabs_ = Value;
    Invalidate();
}

void TRtRuler::PlaceMarkers() {
    if (updateMarkers()) Invalidate();
}

void TRtRuler::SetIndents(int First, int Left, int Right) {
    if (!header_) return;
    TRtRulerArea& c = header_->Current;
    uint16_t* fields[] = {&c.IndentFirst, &c.IndentLeft, &c.IndentRight};
    int values[] = {First, Left, Right};
    bool changed = false;
    for (int i = 0; i < 3; ++i) {
        int v = values[i];
        if (v == rtRulerKeepIndent || v < 0 || v == *fields[i]) continue;
        uint16_t old = *fields[i];
        *fields[i] = static_cast<uint16_t>(v);
        if (!updateMarkers()) {
            *fields[i] = old;
            updateMarkers();
        } else {
            changed = true;
        }
    }
    if (changed) Invalidate();
}

// ---------------------------------------------------------------- markers

void TRtRuler::sizeMarkers() {
    int m = Height() / 3;
    if (m % 2) ++m;
    if (m < 2) m = 4;
    markerSize_ = m;
    halfSize_ = std::max(m / 2, 3);
    markers_[rtMarkerRight] = {markers_[rtMarkerRight].X, Height() - m - 2, m, m};
    markers_[rtMarkerFirst] = {markers_[rtMarkerFirst].X, 2, m, m};
    markers_[rtMarkerLeft] = {markers_[rtMarkerLeft].X, Height() - m - m / 3 - 2, m, m + m / 3};
}

void TRtRuler::Resize() {
    TCustomControl::Resize();
    sizeMarkers();
    updateMarkers();
}

bool TRtRuler::updateMarkers() {
    if (!header_) return false;
    const TRtRulerArea& c = header_->Current;
    int base = leftOffset_ + xOffset_;
    int right = base + std::min(header_->TextAreaPx - toPixels(c.IndentRight), header_->TextWidthPx);
    int left = toPixels(c.IndentLeft) + base;
    int first = toPixels(c.IndentFirst) + base;
    if (right < left || right < first) return false;
    markers_[rtMarkerRight].X = right;
    markers_[rtMarkerLeft].X = left;
    markers_[rtMarkerFirst].X = first;
    return true;
}

TRect TRtRuler::MarkerRect(int Index) const {
    const Marker& m = markers_[Index];
    return TRect{m.X - m.W / 2, m.Top, m.X - m.W / 2 + m.W, m.Top + m.H};
}

bool TRtRuler::hit(int Index, int X, int Y) const {
    TRect r = MarkerRect(Index);
    if (Index == rtMarkerRight && header_) {
        int end = leftOffset_ + xOffset_ + header_->TextWidthPx;
        if (markers_[Index].X > end) r = TRect{end - r.Width() / 2, r.Top, end - r.Width() / 2 + r.Width(), r.Bottom};
    }
    return X >= r.Left && X <= r.Right && Y >= r.Top && Y <= r.Bottom;
}

void TRtRuler::moveMarkerTo(int X) {
    if (!header_) return;
    int twips = std::max(header_->SnapToGrid(toTwips(X - xOffset_ - leftOffset_)), 0);
    TRtRulerArea& c = header_->Current;
    switch (dragged_) {
    case rtMarkerFirst:
        SetIndents(twips, rtRulerKeepIndent, rtRulerKeepIndent);
        break;
    case rtMarkerLeft:
        if (!leftTakesFirst_) {
            SetIndents(c.IndentFirst, twips, rtRulerKeepIndent);
        } else {
            int first = c.IndentFirst + twips - c.IndentLeft, left = twips;
            if (first < 0) {
                left += first;
                first = 0;
            }
            // Both at once, so that neither crosses the right marker on its own.
            uint16_t oldFirst = c.IndentFirst, oldLeft = c.IndentLeft;
            c.IndentFirst = static_cast<uint16_t>(first);
            c.IndentLeft = static_cast<uint16_t>(std::max(left, 0));
            if (!updateMarkers()) {
                c.IndentFirst = oldFirst;
                c.IndentLeft = oldLeft;
                updateMarkers();
            }
            Invalidate();
        }
        break;
    case rtMarkerRight:
        if (X - leftOffset_ <= header_->TextWidthPx) {
            int right = header_->SnapToGrid(toTwips(header_->TextAreaPx - (X - xOffset_ - leftOffset_)));
            SetIndents(rtRulerKeepIndent, rtRulerKeepIndent, std::max(right, 0));
        }
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- mouse

void TRtRuler::report(TRtRulerSelectEvent& Event, bool changing, bool toHook) {
    TRtSelNr typ = rtSelRuler;
    int group = dragged_, num = rtRulerEventNum;
    if (Event) Event(this, typ, group, num, changing);
    if (toHook && editor_ && typ != rtSelHandled) editor_->RulerChanged(this, typ, group, num, changing);
}

void TRtRuler::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !header_) return;
    for (int m : {rtMarkerRight, rtMarkerLeft, rtMarkerFirst}) {
        if (!hit(m, X, Y)) continue;
        dragged_ = m;
        leftTakesFirst_ = m == rtMarkerLeft && (Y >= markers_[m].Top + markerSize_ || Shift.Contains(ssShift));
        moveMarkerTo(X);
        dragStartX_ = X;
        dragging_ = true;
        SetMouseCapture(true);
        return;
    }
    tabClick(X);
}

void TRtRuler::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (dragging_) {
        moveMarkerTo(X);
        report(WhileSelection, true, true);
        return;
    }
    bool over = header_ && (hit(rtMarkerRight, X, Y) || hit(rtMarkerLeft, X, Y) || hit(rtMarkerFirst, X, Y));
    if (over && !cursorChanged_) {
        savedCursor_ = Cursor();
        cursorChanged_ = true;
        SetCursor(crSizeWE);
    } else if (!over && cursorChanged_) {
        cursorChanged_ = false;
        SetCursor(savedCursor_);
    }
}

void TRtRuler::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !dragging_) return;
    struct EndDrag {
        TRtRuler* r;
        ~EndDrag() {
            r->dragging_ = false;
            r->dragged_ = rtMarkerNone;
            r->SetMouseCapture(false);
        }
    } end{this};
    report(OnSelection, false, true);
    Invalidate();
}

void TRtRuler::tabClick(int X) {
    if (!header_ || header_->ResX <= 0) return;
    int position = (X - xOffset_ - leftOffset_) * rtTwipsPerInch / header_->ResX;
    if (position <= 0 || position >= header_->TextWidthTw) return;
    uint32_t tabSet = header_->Current.TabSet;
    int slot = header_->FindTab(position, tkAll, tabSet);
    uint32_t bit = 0;
    if (slot >= 0) {
        uint32_t oldBit = 1u << slot;
        TTabKind kind = header_->TabKind[slot];
        if (newTabKind_ == tkAll && kind != tkDecimal) {
            if (editor_) editor_->RulerClicked(this, true, oldBit);
            TTabKind next = static_cast<TTabKind>(kind + 1);
            bit = header_->AddTab(header_->TabPosTw[slot], next);
        } else {
            bit = oldBit;
        }
    } else {
        bit = header_->AddTab(position, newTabKind_ == tkAll ? tkLeft : newTabKind_);
    }
    if (bit) {
        bool isSet = (header_->Current.TabSet & bit) != 0;
        if (OnRulerClick) OnRulerClick(this, isSet, bit);
        if (editor_) editor_->RulerClicked(this, isSet, bit);
    }
    Invalidate();
}

// ---------------------------------------------------------------- painting

void TRtRuler::paintTab(int X, TTabKind Kind, bool Current) {
    TCanvas* c = Canvas();
    int middle = (Height() - 2) / 2;
    int size = std::max(Height() / 4, 4);
    int top = middle + halfSize_ - 3 - size / 2;
    std::vector<TPoint> shape;
    switch (Kind) {
    case tkRight:
        shape = {{X, top}, {X, top + size}, {X - size, top + size}};
        break;
    case tkCenter:
    case tkDecimal:
        shape = {{X, top}, {X + size / 2 + 1, top + size}, {X - size / 2 - 1, top + size}};
        break;
    default:
        shape = {{X, top}, {X, top + size}, {X + size, top + size}};
        break;
    }
    c->Pen()->SetColor(Current ? clBlack : clBtnShadow);
    c->Brush()->SetColor(Current ? (Kind == tkDecimal ? clWhite : clBlue) : clBtnFace);
    c->Polygon(shape);
}

void TRtRuler::paintMarkers() {
    TCanvas* c = Canvas();
    for (int m : {rtMarkerFirst, rtMarkerLeft, rtMarkerRight}) {
        TRect r = MarkerRect(m);
        int mid = markers_[m].X;
        c->Brush()->SetColor(clBtnShadow);
        c->Pen()->SetColor(clBlack);
        if (m == rtMarkerFirst) {
            c->Polygon({{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Top + markerSize_ / 2},
                        {mid, r.Bottom}, {r.Left, r.Top + markerSize_ / 2}});
        } else if (m == rtMarkerLeft) {
            int boxTop = r.Top + markerSize_;
            c->Polygon({{mid, r.Top}, {r.Right, r.Top + markerSize_ / 2}, {r.Right, boxTop}, {r.Left, boxTop},
                        {r.Left, r.Top + markerSize_ / 2}});
            c->Rectangle(r.Left, boxTop, r.Right + 1, r.Bottom);
        } else {
            c->Polygon({{mid, r.Top}, {r.Right, r.Top + markerSize_ / 2}, {r.Right, r.Bottom}, {r.Left, r.Bottom},
                        {r.Left, r.Top + markerSize_ / 2}});
        }
        c->Pen()->SetColor(clWhite);
        c->MoveTo(r.Left + 1, r.Bottom - 2);
        c->LineTo(r.Left + 1, r.Top + markerSize_ / 2);
    }
}

void TRtRuler::Paint() {
    TCanvas* c = Canvas();
    int w = Width(), h = Height();
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    auto frame = [&](TBevelCut cut, int inset) {
        if (cut == bvNone || cut == bvSpace) return;
        TColor tl = cut == bvRaised ? clWhite : clBtnShadow, br = cut == bvRaised ? clBtnShadow : clWhite;
        c->Pen()->SetColor(tl);
        c->MoveTo(inset, h - 1 - inset);
        c->LineTo(inset, inset);
        c->LineTo(w - 1 - inset, inset);
        c->Pen()->SetColor(br);
        c->LineTo(w - 1 - inset, h - 1 - inset);
        c->LineTo(inset - 1, h - 1 - inset);
    };
    frame(bevelOuter_, 0);
    frame(bevelInner_, bevelOuter_ == bvNone ? 0 : 1);
    int textLeft = leftOffset_ + xOffset_;
    c->Pen()->SetColor(clBlack);
    if (textLeft > 4) {
        c->MoveTo(textLeft, 2);
        c->LineTo(textLeft, h - 2);
    }
    int textRight = header_ ? std::min(textLeft + header_->TextWidthPx, w - 2) : w - 2;
    int unit = std::max(UnitPixels(), 1);
    int y = (h - 2) / 2;
    c->Pen()->SetColor(clBlack);
    for (int u = 0; textLeft + u * unit < textRight; ++u) {
        int x0 = textLeft + u * unit;
        if (u > 0) {
            c->MoveTo(x0, y - 3);
            c->LineTo(x0, y + 4);
        }
        for (int t = 1; t < 10; ++t) {
            int x = x0 + static_cast<int>(std::lround(unit * t / 10.0));
            if (x >= textRight) break;
            c->MoveTo(x, t == 5 ? y - 2 : y);
            c->LineTo(x, t == 5 ? y + 3 : y + 1);
        }
    }
    if (!header_) return;
    for (int slot = 0; slot < rtTabsUsable; ++slot) {
        int px = header_->TabPosPx[slot];
        bool current = (header_->Current.TabSet >> slot) & 1u;
        if (px <= 0 || px >= header_->TextWidthPx || !(current || showAllTabs_)) continue;
        paintTab(px + textLeft, header_->TabKind[slot], current);
    }
    paintMarkers();
}
