#include "richtext/RtStatus.h"

#include <algorithm>
#include <cmath>

#include "base/SysUtils.h"
#include "richtext/RtWinCtr.h"

namespace {

const char* const kindNames[] = {"stGauge", "stHelp",   "stIndex", "stOutline", "stStatus",  "stInsert",
                                 "stCaps",  "stNum",    "stXPos",  "stYPos",    "stDate",    "stTime",
                                 "stPage",  "stLine",   "stChanged", "stFont",  "stStyle",   "stUnit",
                                 "stTxtFmt", "stName",  "stFileName", "stPathName"};

uint8_t kindOf(const std::string& name) {
    for (uint8_t k = 0; k < sizeof(kindNames) / sizeof(*kindNames); ++k)
        if (SameText(name, kindNames[k])) return k;
    return stString;
}

constexpr int itemGap = 2;
constexpr int barMargin = 2;
constexpr int smallestWidth = 10;
constexpr int defaultWidth = 30;
constexpr int gaugeBlock = 4;

}  // namespace

TRtStatusBarBasic::TRtStatusBarBasic(TComponent* AOwner)
    : TCustomControl(AOwner), lines_(std::make_unique<TStringList>()) {
    SetBounds(0, 40, 200, 20);
    SetAlign(alBottom);
    lines_->OnChange = [this](TObject*) { rebuildItems(); };
}

TRtStatusBarBasic::~TRtStatusBarBasic() {
    detachEvents();
    lines_->OnChange = nullptr;
}

int TRtStatusBarBasic::textHeight() {
    Canvas()->Font()->Assign(*Font());
    return Canvas()->TextHeight("A");
}

void TRtStatusBarBasic::afterFontChange(bool FromParent) {
    TCustomControl::afterFontChange(FromParent);
    rebuildItems();
}

void TRtStatusBarBasic::rebuildItems() {
    items_.clear();
    Canvas()->Font()->Assign(*Font());
    bool any = false;
    for (int line = 0; line < lines_->Count(); ++line) {
        const std::string& s = lines_->Strings(line);
        if (s.empty()) continue;
        if (static_cast<int>(items_.size()) >= rtStatusMaxItems) break;
        TRtStatusItem item;
        item.Line = line;
        size_t i = 0;
        if (i < s.size() && s[i] == '@') item.Flags |= siFramed, ++i;
        if (i < s.size() && s[i] == '$') item.Flags |= siSunken, ++i;
        if (i < s.size() && s[i] == '%') item.Flags |= siDisabled, ++i;
        int width = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') width = width * 10 + (s[i++] - '0');
        size_t eq = s.find('=', i);
        item.Kind = kindOf(s.substr(i, eq == std::string::npos ? std::string::npos : eq - i));
        item.Text = eq == std::string::npos ? s : s.substr(eq + 1);
        if (width == 0) width = Canvas()->TextWidth(item.Text);
        if (width < smallestWidth) width = defaultWidth;
        item.RequestedWidth = width;
        items_.push_back(item);
        any = true;
    }
    if (showGauge_) {
        TRtStatusItem gauge;
        gauge.Text = "Gauge";
        gauge.Line = rtStatusGaugeLine;
        gauge.Kind = stGauge;
        gauge.RequestedWidth = gaugeWidth_;
        items_.push_back(gauge);
    }
    if (any) UpdateBar();
    LayoutItems();
    Invalidate();
}

void TRtStatusBarBasic::UpdateBar() {
    if (OnChange) OnChange(this);
    if (editor_) editor_->StatusBarUpdate(this);
    Update();
}

bool TRtStatusBarBasic::SetItemText(uint8_t Kind, const std::string& Text) {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].Kind == Kind) {
            items_[i].Text = Text;
            if (Visible()) Invalidate();
            return true;
        }
    return false;
}

void TRtStatusBarBasic::SetShowGauge(bool Value) {
    showGauge_ = Value;
    rebuildItems();
}

void TRtStatusBarBasic::SetGaugeValue(int Value) {
    gaugeValue_ = std::clamp(Value, 0, 100);
    Invalidate();
}

void TRtStatusBarBasic::SetGaugeWidth(int Value) {
    gaugeWidth_ = Value;
    rebuildItems();
}

void TRtStatusBarBasic::SetSizeGrip(bool Value) {
    sizeGrip_ = Value;
    Invalidate();
}

void TRtStatusBarBasic::SetVertPlacement(int Value) {
    vertPlacement_ = Value;
    Invalidate();
}

void TRtStatusBarBasic::Resize() {
    TCustomControl::Resize();
    LayoutItems();
}

void TRtStatusBarBasic::LayoutItems() {
    int total = 0;
    for (const TRtStatusItem& item : items_) total += item.RequestedWidth + itemGap;
    if (total <= 0 || items_.empty()) return;
    int width = Width();
    bool gaugeLast = items_.back().Line == rtStatusGaugeLine;
    int x = barMargin;
    if (width - 2 * barMargin > total) {
        for (TRtStatusItem& item : items_) {
            item.X = x;
            item.Width = item.RequestedWidth;
            x += item.Width + itemGap;
        }
        if (gaugeLast && items_.size() > 1) {
            TRtStatusItem& gauge = items_.back();
            gauge.X = width - gauge.Width - barMargin;
            TRtStatusItem& before = items_[items_.size() - 2];
            before.Width = gauge.X - barMargin - before.X;
        } else {
            items_.back().Width = width - barMargin - items_.back().X;
        }
    } else {
        double scale = static_cast<double>(width - 2 * barMargin) / total;
        for (TRtStatusItem& item : items_) {
            item.X = x;
            item.Width = static_cast<int>(std::lround(item.RequestedWidth * scale));
            x += item.Width + itemGap;
        }
        items_.back().Width = width - barMargin - items_.back().X;
    }
}

void TRtStatusBarBasic::AdjustHeight() {
    int wanted = textHeight() + 4;
    if (Height() < wanted) SetHeight(wanted);
}

void TRtStatusBarBasic::placeTextRow() {
    int h = textHeight();
    int top = 3;
    if (vertPlacement_ == 2) top = Height() - h - 2;
    if (vertPlacement_ == 1) top = (Height() - h) / 2;
    textTop_ = std::max(top, 3);
    textBottom_ = textTop_ + h;
}

void TRtStatusBarBasic::Paint() {
    TCanvas* c = Canvas();
    c->Font()->Assign(*Font());
    placeTextRow();
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    const TColor lines[] = {clBlack, clWhite, clBtnShadow};
    for (int i = 0; i < 3; ++i) {
        c->Pen()->SetColor(lines[i]);
        c->MoveTo(0, i);
        c->LineTo(Width(), i);
    }
    PaintItems();
    DrawSizeGrip();
}

void TRtStatusBarBasic::PaintItems() {
    for (int i = 0; i < ItemCount(); ++i) DrawItem(i);
}

void TRtStatusBarBasic::DrawItem(int Index) {
    const TRtStatusItem& item = items_.at(Index);
    TCanvas* c = Canvas();
    TRect r{item.X, textTop_, item.X + item.Width, textBottom_};
    bool gauge = item.Kind == stGauge && item.Line == rtStatusGaugeLine;
    if (gauge) {
        gaugeRect_ = r;
        DrawGauge(0, 100, r);
    } else {
        bool disabled = item.Flags & siDisabled;
        TColor text = disabled ? clBtnShadow : (item.Flags & siColorIsText) ? item.Color : clBlack;
        TColor back = disabled ? clBtnFace : (item.Flags & siColorIsBackground) ? item.Color : clBtnFace;
        c->Brush()->SetColor(back);
        c->Brush()->SetStyle(bsSolid);
        c->Font()->SetColor(text);
        c->TextRect(r, r.Left + 1, r.Top + ((item.Flags & siSunken) ? 1 : 0), item.Text);
    }
    bool sunken = (item.Flags & siSunken) || gauge;
    TColor topLeft = clBtnShadow, bottomRight = clWhite;
    if ((item.Flags & siFramed) && !sunken) std::swap(topLeft, bottomRight);
    c->Pen()->SetColor(topLeft);
    c->MoveTo(r.Left - 1, r.Bottom);
    c->LineTo(r.Left - 1, r.Top - 1);
    c->LineTo(r.Right + 1, r.Top - 1);
    if ((item.Flags & siFramed) || sunken) {
        c->Pen()->SetColor(bottomRight);
        c->MoveTo(r.Right, r.Top - 1);
        c->LineTo(r.Right, r.Bottom);
        c->LineTo(r.Left - 2, r.Bottom);
    }
}

void TRtStatusBarBasic::DrawGauge(int Min, int Max, const TRect& Rect) {
    if (items_.empty() || items_.back().Line != rtStatusGaugeLine) return;
    TCanvas* c = Canvas();
    int span = std::max(Max - Min, 1);
    int filled = Rect.Left + (Rect.Right - Rect.Left) * (gaugeValue_ - Min) / span;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Rect);
    c->Brush()->SetColor(clNavy);
    c->FillRect(TRect{Rect.Left, Rect.Top, filled, Rect.Bottom});
    c->Pen()->SetColor(clBtnFace);
    for (int x = Rect.Left + gaugeBlock; x < filled; x += gaugeBlock) {
        c->MoveTo(x, Rect.Top);
        c->LineTo(x, Rect.Bottom);
    }
    DrawSizeGrip();
}

void TRtStatusBarBasic::DrawSizeGrip() {
    if (!sizeGrip_) return;
    TCanvas* c = Canvas();
    int w = Width(), h = Height(), size = std::min(h - 3, 12);
    c->Brush()->SetColor(clBtnFace);
    c->Pen()->SetColor(clBtnFace);
    c->Polygon({TPoint{w, h - size}, TPoint{w, h}, TPoint{w - size, h}});
    for (int d = 3; d < size; d += 4) {
        c->Pen()->SetColor(clWhite);
        c->MoveTo(w - d - 1, h);
        c->LineTo(w, h - d - 1);
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(w - d, h);
        c->LineTo(w, h - d);
    }
}

void TRtStatusBarBasic::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    placeTextRow();
    for (const TRtStatusItem& item : items_)
        if (X >= item.X && X < item.X + item.Width && Y >= textTop_ && Y < textBottom_) {
            if (OnItemClick)
                OnItemClick(this, item.Line, item.Kind, item.Text, item.X, Top() + textTop_, item.Width, Button, Shift);
            return;
        }
}
