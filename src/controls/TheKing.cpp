#include "controls/TheKing.h"

#include <algorithm>

#include "base/FlagScope.h"
#include "base/SysUtils.h"
#include "ui/RepaintingSetter.h"

// ---------------------------------------------------------------- TKingColoring

TKingColoring::TKingColoring()
    : colors_{clPurple, clBlue, clAqua, clGreen, clLime, clOlive, clYellow, clMaroon, clRed} {}

TColor TKingColoring::ColorSet(int Index) const { return colors_.at(Index - 1); }

void TKingColoring::SetColorSet(int Index, TColor Value) {
    colors_.at(Index - 1) = Value;
    if (OnChange) OnChange(this);
}

TColor TKingColoring::colorOf(int Index) const {
    return Index >= 1 && Index <= 9 ? colors_[Index - 1] : clBlack;
}

void TKingColoring::Assign(const TPersistent* Source) {
    if (auto* other = dynamic_cast<const TKingColoring*>(Source)) {
        colors_ = other->colors_;
        if (OnChange) OnChange(this);
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- TKingCalendar

TKingCalendar::TKingCalendar(TComponent* AOwner) : TCustomGrid(AOwner) {
    SetColCount(7);
    SetRowCount(7);
    SetFixedCols(0);
    SetFixedRows(1);
    SetScrollBars(ssNone);
    TGridOptions options = Options();
    options.Exclude(goRangeSelect);
    options.Include(goDrawFocusSelected);
    SetOptions(options);
    // The calendar paints every cell itself: fills, texts and focus rectangle.
    SetDefaultDrawing(false);
    SetFixedColor(titleColor_);
    SetFixedLineColor(clBlack);
    applyLineColor();
    for (const std::string& name : ShortDayNames) dowNames_.Add(name);
    colorSets_.OnChange = [this](TObject*) { Invalidate(); };
    textFont_.OnChange = [this](TGraphicsObject*) { Invalidate(); };
    titleFont_.OnChange = [this](TGraphicsObject*) {
        sizeCells(ClientWidth(), ClientHeight());
        Invalidate();
    };
    date_ = Date();
    SetBounds(Left(), Top(), 317, 121);
    computeOffset();
    layOut();
}

TKingCalendar::~TKingCalendar() {
    colorSets_.OnChange = nullptr;
    textFont_.OnChange = nullptr;
    titleFont_.OnChange = nullptr;
}

// ---- dates

bool TKingCalendar::IsLeapYear(int AYear) { return ::IsLeapYear(AYear); }

int TKingCalendar::DaysInMonth(int AMonth, int AYear) { return DaysInAMonth(AYear, AMonth); }

int TKingCalendar::GetDateElement(int Index) const {
    int y = 0, m = 0, d = 0;
    DecodeDate(date_, y, m, d);
    switch (Index) {
    case 1: return y;
    case 2: return m;
    case 3: return d;
    default: return -1;
    }
}

void TKingCalendar::SetDateElement(int Index, int Value) {
    if (Value <= 0) return;
    int y = 0, m = 0, d = 0;
    DecodeDate(date_, y, m, d);
    int oldYear = y, oldMonth = m;
    switch (Index) {
    case 1: y = Value; break;
    case 2:
        if (Value > 12) return;
        m = Value;
        break;
    case 3: d = Value; break;
    case 4:
    case 5: break;
    default: return;
    }
    if (d > DaysInMonth(m, y)) d = DaysInMonth(m, y);
    // Raises for a year past 9999 before anything has changed.
    TDateTime newDate = EncodeDate(y, m, d);
    if (y != oldYear || m != oldMonth) clearMonthData();
    date_ = newDate;
    if (Index != 3) {
        applyBlockedWeekends();
        layOut();
    } else if (dayAt(Col(), Row()) != d) {
        // A click has already moved the cell to its day; a day set by the
        // program moves it, so the calendar never marks another day.
        layOut();
    }
    Invalidate();
    fireChange(Index);
}

void TKingCalendar::fireChange(int Index) {
    if (ComponentState().Contains(csLoading)) return;
    switch (Index) {
    case 1:
        if (OnYearChange) OnYearChange(this, Year());
        break;
    case 2:
        if (OnMonthChange) OnMonthChange(this, Month());
        break;
    case 3:
        if (OnDayChange) OnDayChange(this, Day());
        break;
    default: break;
    }
    if (Index >= 1 && Index <= 4 && OnDateChange) OnDateChange(this, date_);
    if (OnChange) OnChange(this);
    // A listener may remove itself (or another) while being called.
    std::vector<Listener> listeners = listeners_;
    for (const Listener& l : listeners)
        if (std::any_of(listeners_.begin(), listeners_.end(), [&](const Listener& x) { return x.id == l.id; }))
            l.event(this);
}

void TKingCalendar::SetCalendarDate(TDateTime Value) { repaintWith(this, date_, Value); }

void TKingCalendar::NextMonth() {
    if (Month() == 12) {
        SetYear(Year() + 1);
        SetMonth(1);
    } else {
        SetMonth(Month() + 1);
    }
}

void TKingCalendar::PrevMonth() {
    if (Month() == 1) {
        SetYear(Year() - 1);
        SetMonth(12);
    } else {
        SetMonth(Month() - 1);
    }
}

void TKingCalendar::NextYear() { SetYear(Year() + 1); }

void TKingCalendar::PrevYear() { SetYear(Year() - 1); }

void TKingCalendar::GoToday() {
    TDateTime today = Date();
    int y = 0, m = 0, d = 0;
    DecodeDate(today, y, m, d);
    if (y != Year() || m != Month()) clearMonthData();
    date_ = today;
    SetDateElement(4, 1);
}

void TKingCalendar::Loaded() {
    TCustomGrid::Loaded();
    date_ = Date();
    SetDateElement(5, 1);
}

// ---- listeners

int TKingCalendar::AddChangeListener(TNotifyEvent Event) {
    if (static_cast<int>(listeners_.size()) >= MaxChangeListeners)
        throw EInvalidOperation("A calendar holds at most 20 change listeners");
    int id = nextListenerId_++;
    listeners_.push_back({id, std::move(Event)});
    return id;
}

void TKingCalendar::RemoveChangeListener(int Listener) {
    std::erase_if(listeners_, [Listener](const auto& l) { return l.id == Listener; });
}

// ---- layout

void TKingCalendar::computeOffset() {
    int y = 0, m = 0, d = 0;
    DecodeDate(date_, y, m, d);
    if (y == 0) return;
    int w = DayOfWeek(EncodeDate(y, m, 1));
    offset_ = 1 - ((w - 1 - startingDay_ + 7) % 7);
}

void TKingCalendar::layOut() {
    computeOffset();
    int day = Day();
    if (day <= 0) return;
    int index = day - offset_;
    TFlagScope busy(layingOut_);
    MoveColRow(index % 7, index / 7 + 1, false, false);
}

int TKingCalendar::dayAt(int ACol, int ARow) const {
    if (ARow < 1 || ARow > 6 || ACol < 0 || ACol > 6) return 0;
    int day = offset_ + ACol + 7 * (ARow - 1);
    return day >= 1 && day <= DaysInMonth(Month(), Year()) ? day : 0;
}

TGridCoord TKingCalendar::cellOfDay(int ADay) const {
    int index = ADay - offset_;
    return {index % 7, index / 7 + 1};
}

std::string TKingCalendar::GetCellText(int ARow, int ACol) const {
    if (ARow == 0) {
        if (ACol < 0 || ACol > 6) return {};
        int index = (startingDay_ + ACol) % 7;
        return index < dowNames_.Count() ? dowNames_.Strings(index) : std::string();
    }
    int day = dayAt(ACol, ARow);
    return day ? std::to_string(day) : std::string();
}

void TKingCalendar::sizeCells(int W, int H) {
    int line = GridLineWidth();
    SetDefaultColWidth(std::max(0, (W - 6 * line) / 7));
    int header = titleFont_.Size() + 4;
    if (headerUseFixed_) {
        SetDefaultRowHeight(std::max(0, (H - header - 6 * line) / 6));
        SetRowHeights(0, header);
    } else {
        SetDefaultRowHeight(std::max(0, (H - 6 * line) / 7));
    }
}

void TKingCalendar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomGrid::SetBounds(ALeft, ATop, AWidth, AHeight);
    sizeCells(ClientWidth(), ClientHeight());
}

void TKingCalendar::Resize() {
    sizeCells(ClientWidth(), ClientHeight());
    TCustomGrid::Resize();
}

// ---- selection

bool TKingCalendar::SelectCell(int ACol, int ARow) {
    if (!layingOut_ && !isActive_) return false;
    if (GetCellText(ARow, ACol).empty()) return false;
    if (ARow >= 1 && days_[dayAt(ACol, ARow)].blocked) return false;
    return TCustomGrid::SelectCell(ACol, ARow);
}

void TKingCalendar::Click() {
    int day = dayAt(Col(), Row());
    if (day && isActive_) SetDay(day);
    if (ComponentState().Contains(csLoading)) return;
    if (day && days_[day].flag > 0 && OnDayFlag) OnDayFlag(this);
    TCustomGrid::Click();
}

// ---- per-day data

void TKingCalendar::dayDataChanged() {
    if (!suspendUpdate_) Invalidate();
}

void TKingCalendar::clearMonthData() {
    for (DayData& day : days_) {
        day.blocked = false;
        day.background.reset();
        day.textColor = 0;
    }
    colorBars_.clear();
}

std::optional<TColor> TKingCalendar::DayBackground(int ADay) const {
    return validDay(ADay) ? days_[ADay].background : std::nullopt;
}

void TKingCalendar::SetDayBackground(int ADay, std::optional<TColor> Value) {
    if (!validDay(ADay)) return;
    days_[ADay].background = Value;
    dayDataChanged();
}

TColor TKingCalendar::DayTextColor(int ADay) const { return validDay(ADay) ? days_[ADay].textColor : 0; }

void TKingCalendar::SetDayTextColor(int ADay, TColor Value) {
    if (!validDay(ADay)) return;
    days_[ADay].textColor = Value;
    dayDataChanged();
}

int TKingCalendar::DayFlag(int ADay) const { return validDay(ADay) ? days_[ADay].flag : 0; }

void TKingCalendar::SetDayFlag(int ADay, int Value) {
    if (!validDay(ADay)) return;
    days_[ADay].flag = std::clamp(Value, 0, 9);
    dayDataChanged();
}

bool TKingCalendar::DayBlocked(int ADay) const { return validDay(ADay) && days_[ADay].blocked; }

void TKingCalendar::SetDayBlocked(int ADay, bool Value) {
    if (!validDay(ADay)) return;
    days_[ADay].blocked = Value;
    dayDataChanged();
}

std::string TKingCalendar::DayText(int ADay, int Line) const {
    if (!validDay(ADay) || Line < 1 || Line > TextLinesPerDay) return {};
    return days_[ADay].lines[Line - 1];
}

void TKingCalendar::SetDayText(int ADay, int Line, const std::string& Value) {
    if (!validDay(ADay) || Line < 1 || Line > TextLinesPerDay) return;
    days_[ADay].lines[Line - 1] = Value.substr(0, TextLineLength);
    dayDataChanged();
}

int TKingCalendar::DayLineColor(int ADay, int Line) const {
    if (!validDay(ADay) || Line < 1 || Line > TextLinesPerDay) return 0;
    return days_[ADay].lineColors[Line - 1];
}

void TKingCalendar::SetDayLineColor(int ADay, int Line, int ColorSetIndex) {
    if (!validDay(ADay) || Line < 1 || Line > TextLinesPerDay) return;
    days_[ADay].lineColors[Line - 1] = std::clamp(ColorSetIndex, 0, 9);
    dayDataChanged();
}

void TKingCalendar::AddColorBar(int ADay, TColor Color) {
    if (!validDay(ADay)) return;
    colorBars_.push_back({ADay, Color});
    dayDataChanged();
}

int TKingCalendar::ColorBarCount(int ADay) const {
    return static_cast<int>(std::count_if(colorBars_.begin(), colorBars_.end(),
                                          [ADay](const ColorBar& b) { return b.day == ADay; }));
}

void TKingCalendar::applyBlockedWeekends() {
    int y = Year(), m = Month();
    for (int day = 1; day <= DaysInMonth(m, y); ++day) {
        int dow = DayOfWeek(EncodeDate(y, m, day));
        if (dow == 1 || dow == 7) days_[day].blocked = blockWeekends_;
    }
}

void TKingCalendar::SetBlockWeekends(bool Value) {
    blockWeekends_ = Value;
    applyBlockedWeekends();
    Invalidate();
}

// ---- properties

void TKingCalendar::applyLineColor() { SetLineColor(showGridLines_ ? gridLineColor_ : cellColor_); }

void TKingCalendar::SetHighlight(TColor Value) { repaintWith(this, highlight_, Value); }

void TKingCalendar::SetHighlightText(TColor Value) { repaintWith(this, highlightText_, Value); }

void TKingCalendar::SetShowGridLines(bool Value) {
    showGridLines_ = Value;
    applyLineColor();
}

void TKingCalendar::SetIsActive(bool Value) { repaintWith(this, isActive_, Value); }

void TKingCalendar::SetTitleColor(TColor Value) {
    if (Value == titleColor_) return;
    titleColor_ = Value;
    SetFixedColor(Value);
}

void TKingCalendar::SetCellColor(TColor Value) {
    cellColor_ = Value;
    applyLineColor();
    Invalidate();
}

void TKingCalendar::SetGridLineColor(TColor Value) {
    gridLineColor_ = Value;
    applyLineColor();
}

void TKingCalendar::SetTextPlacement(TKingText Value) { repaintWith(this, textPlacement_, Value); }

void TKingCalendar::SetColorOrder(TColorarchy Value) { repaintWith(this, colorOrder_, Value); }

void TKingCalendar::SetDowNames(const TStrings& Value) {
    dowNames_.Assign(&Value);
    Invalidate();
}

void TKingCalendar::SetTodayColor(TColor Value) { repaintWith(this, todayColor_, Value); }

void TKingCalendar::SetStartingDay(TDaysInWeek Value) {
    if (Value < 0 || Value > 6 || Value == startingDay_) return;
    startingDay_ = Value;
    layOut();
    Invalidate();
}

void TKingCalendar::SetTextInCell(bool Value) {
    textInCell_ = Value;
    if (Value) {
        textPlacement_ = ktTopLeft;
        showColorBars_ = false;
    }
    Invalidate();
}

void TKingCalendar::SetShowColorBars(bool Value) {
    if (Value) textInCell_ = false;
    showColorBars_ = Value;
    textPlacement_ = ktTopLeft;
    Invalidate();
}

void TKingCalendar::SetTextFont(const TFont& Value) { textFont_.Assign(Value); }

void TKingCalendar::SetTitleFont(const TFont& Value) { titleFont_.Assign(Value); }

void TKingCalendar::SetHeaderUseFixed(bool Value) {
    headerUseFixed_ = Value;
    sizeCells(ClientWidth(), ClientHeight());
    Invalidate();
}

void TKingCalendar::SetColorCellText(bool Value) { repaintWith(this, colorCellText_, Value); }

void TKingCalendar::SetColorCellDay(bool Value) { repaintWith(this, colorCellDay_, Value); }

void TKingCalendar::SetBlockedBkGnd(TColor Value) { repaintWith(this, blockedBkGnd_, Value); }

void TKingCalendar::SetBlockedFrGnd(TColor Value) { repaintWith(this, blockedFrGnd_, Value); }

void TKingCalendar::SetSuspendUpdate(bool Value) {
    bool resumed = suspendUpdate_ && !Value;
    suspendUpdate_ = Value;
    if (resumed) Invalidate();
}

// ---- painting

TColor TKingCalendar::dayNumberColor(int ADay, bool Selected) {
    const DayData& data = days_[ADay];
    if (Selected) {
        if (isActive_) return highlightText_;
        return colorOrder_ == kcaTodayColor ? todayColor_ : colorSets_.colorOf(data.flag);
    }
    TColor color = Font()->Color();
    if (colorCellDay_) {
        color = colorSets_.colorOf(data.flag);
        int y = 0, m = 0, d = 0;
        DecodeDate(Date(), y, m, d);
        if (y == Year() && m == Month() && d == ADay && colorOrder_ == kcaTodayColor) color = todayColor_;
    }
    if (data.textColor != 0) color = data.textColor;
    if (data.blocked) color = blockedFrGnd_;
    return color;
}

void TKingCalendar::drawHeader(int ACol, const TRect& R) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(titleColor_);
    canvas->FillRect(R);
    if (Ctl3D()) {
        canvas->Pen()->SetColor(clWhite);
        canvas->MoveTo(R.Left, R.Bottom - 1);
        canvas->LineTo(R.Left, R.Top);
        canvas->LineTo(R.Right, R.Top);
    }
    canvas->Font()->Assign(titleFont_);
    std::string text = GetCellText(0, ACol);
    int x = R.Left + (R.Width() - canvas->TextWidth(text)) / 2;
    int y = R.Top + (R.Height() - canvas->TextHeight(text)) / 2;
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextRect(R, x, y, text);
}

void TKingCalendar::drawDay(int ADay, const TRect& R, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    bool selected = AState.Contains(gdSelected);
    const DayData& data = days_[ADay];
    TColor fill = data.blocked ? blockedBkGnd_ : data.background.value_or(cellColor_);
    if (selected && isActive_) fill = highlight_;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(fill);
    canvas->FillRect(R);

    canvas->Font()->Assign(*Font());
    canvas->Font()->SetColor(dayNumberColor(ADay, selected));
    std::string text = std::to_string(ADay);
    int w = canvas->TextWidth(text);
    int h = canvas->TextHeight(text);
    canvas->Brush()->SetStyle(bsClear);
    switch (textPlacement_) {
    case ktCenter: canvas->TextOut(R.Left + (R.Width() - w) / 2, R.Top + (R.Height() - h) / 2, text); break;
    case ktTopLeft: canvas->TextRect(R, R.Left + 1, R.Top + 1, text); break;
    case ktTopRight: canvas->TextRect(R, R.Right - w - 2, R.Top + 1, text); break;
    case ktLowerLeft: canvas->TextRect(R, R.Left + 1, R.Bottom - h - 1, text); break;
    case ktLowerRight: canvas->TextRect(R, R.Right - w - 2, R.Bottom - h - 1, text); break;
    }

    if (textInCell_) {
        canvas->Font()->Assign(textFont_);
        int lineHeight = std::max(1, canvas->TextHeight("Wg"));
        int top = R.Top + h + 1;
        for (int i = 0; i < TextLinesPerDay && top + lineHeight <= R.Bottom; ++i, top += lineHeight) {
            if (colorCellText_) canvas->Font()->SetColor(colorSets_.colorOf(data.lineColors[i]));
            canvas->TextRect(Rect(R.Left, top, R.Right, top + lineHeight), R.Left + 2, top, data.lines[i]);
        }
    }

    if (showColorBars_) {
        std::vector<TColor> bars;
        for (const ColorBar& bar : colorBars_)
            if (bar.day == ADay && static_cast<int>(bars.size()) < MaxColorBarsPerDay) bars.push_back(bar.color);
        if (!bars.empty()) {
            int count = static_cast<int>(bars.size());
            int barHeight = std::max(1, std::min((R.Bottom - 1 - (R.Top + h)) / count, 10));
            int bottom = R.Bottom - 2;
            canvas->Brush()->SetStyle(bsSolid);
            for (TColor color : bars) {
                canvas->Brush()->SetColor(color);
                canvas->FillRect(Rect(R.Left + 1, bottom - barHeight, R.Right - 1, bottom));
                bottom -= barHeight;
            }
        }
    }

    if (AState.Contains(gdFocused) && isActive_) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(fill);
        canvas->DrawFocusRect(R);
    }
    canvas->Brush()->SetColor(fill);
}

void TKingCalendar::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    if (ARow == 0) {
        drawHeader(ACol, ARect);
    } else if (int day = dayAt(ACol, ARow)) {
        drawDay(day, ARect, AState);
    } else {
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->Brush()->SetColor(cellColor_);
        Canvas()->FillRect(ARect);
    }
    TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}
