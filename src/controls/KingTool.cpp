#include "controls/KingTool.h"

#include <algorithm>

#include "base/SysUtils.h"

namespace {

// The first calendar among the owner's components: a bar binds itself to it.
TKingCalendar* firstCalendarOf(TComponent* Owner) {
    if (!Owner) return nullptr;
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (auto* calendar = dynamic_cast<TKingCalendar*>(Owner->Components(i))) return calendar;
    return nullptr;
}

constexpr const char* kTodayFormat = "mm/dd/yy";

}  // namespace

// ---------------------------------------------------------------- TKingBarButton

TKingBarButton::TKingBarButton(TKingBasePanel* Bar, int Index) : TGraphicControl(Bar), bar_(Bar), index_(Index) {
    SetParentFont(false);
    SetParentColor(false);
    SetColor(clBtnFace);
    SetCursor(crArrow);
    SetParent(Bar);
}

void TKingBarButton::SetCaption(const std::string& Value) {
    TGraphicControl::SetCaption(Value);
    Invalidate();
}

void TKingBarButton::Click() {
    bar_->buttonClick(index_);
    TGraphicControl::Click();
}

void TKingBarButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        pressed_ = true;
        inside_ = true;
        Invalidate();
        bar_->buttonMouseDown(index_);
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TKingBarButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (pressed_) {
        bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
        if (inside != inside_) {
            inside_ = inside;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(Shift, X, Y);
}

void TKingBarButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TKingBarButton::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = Rect(0, 0, Width(), Height());
    bool down = Pressed();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    // The outer frame is the border pixel a button shares with its neighbours.
    canvas->Brush()->SetColor(clBlack);
    canvas->FrameRect(r);
    TRect inner = InflateRect(r, -1, -1);
    canvas->Pen()->SetWidth(1);
    if (down) {
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->Polyline({{inner.Left, inner.Bottom - 1}, {inner.Left, inner.Top}, {inner.Right, inner.Top}});
    } else {
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->Polyline({{inner.Left, inner.Bottom - 2}, {inner.Left, inner.Top}, {inner.Right - 1, inner.Top}});
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->Polyline(
            {{inner.Right - 1, inner.Top}, {inner.Right - 1, inner.Bottom - 1}, {inner.Left - 1, inner.Bottom - 1}});
    }
    TRect face = down ? OffsetRect(inner, 1, 1) : inner;
    paintFace(canvas, face);
    if (bar_->Focused() && bar_->focusedButton() == index_) {
        TRect focus = InflateRect(r, -3, -3);
        if (down) focus = OffsetRect(focus, 1, 1);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->Font()->SetColor(clBtnText);
        canvas->DrawFocusRect(focus);
    }
}

// ---------------------------------------------------------------- TKingBasePanel

TKingBasePanel::TKingBasePanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clBtnFace);
    SetTabStop(true);
}

TKingBasePanel::~TKingBasePanel() { stopListening(); }

void TKingBasePanel::addButton(TKingBarButton* Button) { buttons_.push_back(Button); }

void TKingBasePanel::listen() {
    if (!calendar_ || listener_) return;
    listener_ = calendar_->AddChangeListener([this](TObject*) { calendarChanged(); });
}

void TKingBasePanel::stopListening() {
    if (calendar_ && listener_) calendar_->RemoveChangeListener(listener_);
    listener_ = 0;
}

void TKingBasePanel::SetCalendarSource(TKingCalendar* Value) {
    if (Value == calendar_) return;
    stopListening();
    calendar_.set(Value);
    if (!calendar_) return;
    listen();
    calendarChanged();
}

void TKingBasePanel::Loaded() {
    TCustomControl::Loaded();
    layOutButtons();
    if (calendar_) {
        listen();
        calendarChanged();
    }
}

void TKingBasePanel::SetShowHint(bool Value) {
    TCustomControl::SetShowHint(Value);
    for (TKingBarButton* b : buttons_) b->SetShowHint(Value);
}

void TKingBasePanel::showButtons(const std::vector<bool>& Visible) {
    for (size_t i = 0; i < buttons_.size() && i < Visible.size(); ++i) buttons_[i]->SetVisible(Visible[i]);
    if (!buttons_[focused_]->Visible())
        for (int i = 0; i < buttonCount(); ++i)
            if (buttons_[i]->Visible()) {
                focused_ = i;
                break;
            }
    layOutButtons();
    Invalidate();
}

void TKingBasePanel::arrange(int& W, int& H) {
    int n = static_cast<int>(std::count_if(buttons_.begin(), buttons_.end(), [](auto* b) { return b->Visible(); }));
    n = std::max(n, 1);
    W = std::max(W, n * (MinButtonWidth - 1) + 1);
    H = std::max(H, MinButtonHeight);
    int w = (W - 1) / n + 1;
    int T = n * (w - 1) + 1;
    if (Align() == alNone) W = T;
    int spare = W - T;
    // Spread the spare pixels evenly: exactly `spare` buttons are one wider.
    int counter = n / 2;
    int x = 0;
    for (TKingBarButton* b : buttons_) {
        if (!b->Visible()) {
            b->SetBounds(W + 1, 0, w, H);
            continue;
        }
        int extra = 0;
        if (spare != 0) {
            counter -= spare;
            if (counter < 0) {
                counter += n;
                extra = 1;
            }
        }
        b->SetBounds(x, 0, w + extra, H);
        x += w + extra - 1;
    }
}

void TKingBasePanel::layOutButtons() {
    if (buttons_.empty() || loading()) return;
    SetBounds(Left(), Top(), Width(), Height());
}

void TKingBasePanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!buttons_.empty() && !loading() && !arranging_) {
        arranging_ = true;
        arrange(AWidth, AHeight);
        arranging_ = false;
    }
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TKingBasePanel::Resize() {
    if (!buttons_.empty() && !loading() && !arranging_) {
        int w = Width(), h = Height();
        arranging_ = true;
        arrange(w, h);
        arranging_ = false;
        if (w != Width() || h != Height()) TCustomControl::SetBounds(Left(), Top(), w, h);
    }
    TCustomControl::Resize();
}

void TKingBasePanel::Paint() {
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

// ---- keyboard and focus

bool TKingBasePanel::wantsKey(Word Key, TShiftState Shift) const {
    if (Key == VK_LEFT || Key == VK_RIGHT) return true;
    return TCustomControl::wantsKey(Key, Shift);
}

void TKingBasePanel::setFocusedButton(int Index) {
    if (Index == focused_) return;
    buttons_[focused_]->Invalidate();
    focused_ = Index;
    buttons_[focused_]->Invalidate();
}

void TKingBasePanel::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_LEFT:
        for (int i = focused_ - 1; i >= 0; --i)
            if (buttons_[i]->Visible()) {
                setFocusedButton(i);
                break;
            }
        break;
    case VK_RIGHT:
        for (int i = focused_ + 1; i < buttonCount(); ++i)
            if (buttons_[i]->Visible()) {
                setFocusedButton(i);
                break;
            }
        break;
    case VK_SPACE:
        if (buttons_[focused_]->Enabled()) buttons_[focused_]->Click();
        break;
    default: break;
    }
}

void TKingBasePanel::DoEnter() {
    buttons_[focused_]->Invalidate();
    TCustomControl::DoEnter();
}

void TKingBasePanel::DoExit() {
    buttons_[focused_]->Invalidate();
    TCustomControl::DoExit();
}

void TKingBasePanel::buttonMouseDown(int Index) {
    int old = focused_;
    focused_ = Index;
    if (TabStop() && !Focused() && CanFocus()) {
        SetFocus();
    } else if (Focused() && old != Index) {
        buttons_[old]->Invalidate();
        buttons_[Index]->Invalidate();
    }
}

// ---------------------------------------------------------------- TKingNavigator

namespace {

// A filled triangle pointing left or right, its tip at x.
void arrow(TCanvas* Canvas, int x, int MidY, bool Left) {
    constexpr int kHalf = 4;
    int back = Left ? x + kHalf : x - kHalf;
    Canvas->Polygon({{x, MidY}, {back, MidY - kHalf}, {back, MidY + kHalf}});
}

}  // namespace

TKingButton::TKingButton(TKingBasePanel* Bar, TCalcBtn Kind) : TKingBarButton(Bar, Kind) {
    static const char* const kHints[] = {"Previous Year", "Previous Month", "Return to Todays Date", "Next Month",
                                         "Next Year"};
    SetHint(kHints[Kind]);
    if (Kind == nbToday) {
        Font()->SetName("Times New Roman");
        Font()->SetSize(9);
    }
}

void TKingButton::paintFace(TCanvas* Canvas, const TRect& R) {
    int midX = R.Left + R.Width() / 2;
    int midY = R.Top + R.Height() / 2;
    if (Kind() == nbToday) {
        Canvas->Font()->Assign(*Font());
        std::string text = Caption();
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->TextRect(R, midX - Canvas->TextWidth(text) / 2, midY - Canvas->TextHeight(text) / 2, text);
        return;
    }
    TColor ink = Enabled() ? clBtnText : clGrayText;
    Canvas->Pen()->SetColor(ink);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(ink);
    switch (Kind()) {
    case nbPrevYear:
        arrow(Canvas, midX - 4, midY, true);
        arrow(Canvas, midX + 1, midY, true);
        break;
    case nbPrevMonth: arrow(Canvas, midX - 2, midY, true); break;
    case nbNextMonth: arrow(Canvas, midX + 2, midY, false); break;
    case nbNextYear:
        arrow(Canvas, midX - 1, midY, false);
        arrow(Canvas, midX + 4, midY, false);
        break;
    default: break;
    }
}

TKingNavigator::TKingNavigator(TComponent* AOwner) : TKingBasePanel(AOwner) {
    for (int b = nbPrevYear; b <= nbNextYear; ++b) addButton(new TKingButton(this, static_cast<TCalcBtn>(b)));
    setFocusedButton(nbNextMonth);
    SetShowHint(true);
    SetBounds(Left(), Top(), 317, 21);
    updateToday();
    SetCalendarSource(firstCalendarOf(AOwner));
}

void TKingNavigator::SetVisibleButtons(TCalcBtnSet Value) {
    visibleButtons_ = Value;
    std::vector<bool> visible;
    for (int b = nbPrevYear; b <= nbNextYear; ++b) visible.push_back(Value.Contains(static_cast<TCalcBtn>(b)));
    showButtons(visible);
}

void TKingNavigator::SetHighlight(TColor Value) {
    highlight_ = Value;
    updateToday();
}

void TKingNavigator::SetCaptionInToday(bool Value) {
    captionInToday_ = Value;
    updateToday();
}

void TKingNavigator::SetTodayText(const std::string& Value) {
    todayText_ = Value;
    updateToday();
}

void TKingNavigator::updateToday() {
    TKingButton* today = Buttons(nbToday);
    today->SetCaption(captionInToday_ ? todayText_ : FormatDateTime(kTodayFormat, Date()));
    bool showsToday =
        CalendarSource() && FormatDateTime(kTodayFormat, CalendarSource()->CalendarDate()) == FormatDateTime(kTodayFormat, Date());
    today->Font()->SetColor(showsToday ? highlight_ : clWindowText);
    today->Invalidate();
}

void TKingNavigator::calendarChanged() { updateToday(); }

void TKingNavigator::buttonClick(int Index) {
    if (TKingCalendar* calendar = CalendarSource()) {
        switch (Index) {
        case nbPrevYear: calendar->PrevYear(); break;
        case nbPrevMonth: calendar->PrevMonth(); break;
        case nbToday: calendar->GoToday(); break;
        case nbNextMonth: calendar->NextMonth(); break;
        case nbNextYear: calendar->NextYear(); break;
        default: break;
        }
    }
    if (OnClick) OnClick(this, static_cast<TCalcBtn>(Index));
}

// ---------------------------------------------------------------- TMonthBar

TMonthButton::TMonthButton(TKingBasePanel* Bar, int Index) : TKingBarButton(Bar, Index) {
    static const char* const kCaptions[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kHints[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    SetCaption(kCaptions[Index]);
    SetHint(kHints[Index]);
    Font()->SetName("Small Fonts");
    Font()->SetSize(7);
}

void TMonthButton::paintFace(TCanvas* Canvas, const TRect& R) {
    Canvas->Font()->Assign(*Font());
    std::string text = Caption();
    Canvas->Brush()->SetStyle(bsClear);
    int x = R.Left + (R.Width() - Canvas->TextWidth(text)) / 2;
    int y = R.Top + (R.Height() - Canvas->TextHeight(text)) / 2;
    Canvas->TextRect(R, x, y, text);
}

TMonthBar::TMonthBar(TComponent* AOwner) : TKingBasePanel(AOwner) {
    for (int m = nbJan; m <= nbDec; ++m) {
        addButton(new TMonthButton(this, m));
        visibleButtons_.Include(static_cast<TMonthBtn>(m));
    }
    SetBounds(Left(), Top(), 321, 18);
    int y = 0, m = 0, d = 0;
    DecodeDate(Date(), y, m, d);
    mark(m - 1);
    SetCalendarSource(firstCalendarOf(AOwner));
}

void TMonthBar::SetVisibleButtons(TMonthBtnSet Value) {
    visibleButtons_ = Value;
    std::vector<bool> visible;
    for (int m = nbJan; m <= nbDec; ++m) visible.push_back(Value.Contains(static_cast<TMonthBtn>(m)));
    showButtons(visible);
}

void TMonthBar::SetHighlight(TColor Value) {
    highlight_ = Value;
    mark(markedMonth());
}

void TMonthBar::mark(int Index) {
    setFocusedButton(Index);
    for (int i = 0; i < buttonCount(); ++i) {
        button(i)->Font()->SetColor(i == Index ? highlight_ : clWindowText);
        button(i)->Invalidate();
    }
}

void TMonthBar::calendarChanged() {
    if (CalendarSource()) mark(CalendarSource()->Month() - 1);
}

void TMonthBar::buttonClick(int Index) {
    if (!CalendarSource()) return;
    CalendarSource()->SetMonth(Index + 1);
    mark(Index);
}
