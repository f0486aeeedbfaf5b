#pragma once
// The month calendar: TKingCalendar shows one month on a 7 x 7 grid (a row
// of week-day names over six rows of days), keeps one current date with its
// day's cell selected, lets the user pick a day with the mouse or the arrow
// keys, colours days by per-day data, and tells the form (its events) and
// its listeners (the navigator and month bar) of every change of the date.
//
// Promises:
// - Day, Month and Year set one element of the date: a value of 0 or below
//   and a month above 12 are ignored, a day past the month's end becomes its
//   last day, a year above 9999 raises EConvertError and leaves the date as
//   it was. Each set fires its own year, month or day event, then
//   OnDateChange, OnChange and the listeners in the order they registered.
// - Whenever the shown month changes (Month, Year, the navigator operations,
//   GoToday) the month's day data goes: blocked days, day backgrounds, day
//   text colours and colour bars. Weekends are blocked again when
//   BlockWeekends is set.
// - The selected cell always shows the current day: setting Day moves it
//   there unless a click already did.
// - CalendarDate stores a date as it is (time of day included) without any
//   event and without moving the selected cell; layOut then selects its day.
// - A blocked day, an empty cell, or any cell of a calendar that is not
//   IsActive can't become the selected cell.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/DateTime.h"
#include "ui/Grids.h"

// Nine colours a day's flag or text line picks by index 1..9; index 0 is black.
class TKingColoring : public TPersistent {
public:
    TKingColoring();

    // REQUIRES: Index in 1..9.
    TColor ColorSet(int Index) const;
    void SetColorSet(int Index, TColor Value);
    // The colour of a colour-set index: black for 0 or an index outside 1..9.
    TColor colorOf(int Index) const;

    void Assign(const TPersistent* Source) override;

    TNotifyEvent OnChange;

private:
    std::array<TColor, 9> colors_;
};

enum TKingText { ktCenter, ktLowerLeft, ktTopLeft, ktTopRight, ktLowerRight };
enum TColorarchy { kcaSetColor, kcaTodayColor };
using TDaysInWeek = int;  // 0 Sunday .. 6 Saturday

using eMonthChange = std::function<void(TObject* Sender, int Month)>;
using eYearChange = std::function<void(TObject* Sender, int Year)>;
using eDayChange = std::function<void(TObject* Sender, int Day)>;
using eDateChange = std::function<void(TObject* Sender, TDateTime NewDate)>;
using eDroppedDay = std::function<void(TObject* Sender, int DroppedDay)>;

class TKingCalendar : public TCustomGrid {
public:
    // The most listeners a calendar holds; one more raises EInvalidOperation.
    static constexpr int MaxChangeListeners = 20;
    static constexpr int TextLinesPerDay = 10;
    static constexpr int TextLineLength = 30;
    static constexpr int MaxColorBarsPerDay = 10;

    explicit TKingCalendar(TComponent* AOwner);
    ~TKingCalendar() override;

    // ---- the date
    int Day() const { return GetDateElement(3); }
    void SetDay(int Value) { SetDateElement(3, Value); }
    int Month() const { return GetDateElement(2); }
    void SetMonth(int Value) { SetDateElement(2, Value); }
    int Year() const { return GetDateElement(1); }
    void SetYear(int Value) { SetDateElement(1, Value); }
    // Index 1 year, 2 month, 3 day; any other index reads -1.
    int GetDateElement(int Index) const;
    // Index 1 year, 2 month, 3 day; 4 takes the stored date as it is (after
    // GoToday), 5 the same without element events (after loading).
    void SetDateElement(int Index, int Value);
    TDateTime CalendarDate() const { return date_; }
    void SetCalendarDate(TDateTime Value);

    void NextMonth();
    void PrevMonth();
    void NextYear();
    void PrevYear();
    void GoToday();

    // Selects the current date's cell (after CalendarDate was set).
    void layOut();

    // Called after every change of the date, in registration order. The
    // number returned removes the listener again.
    int AddChangeListener(TNotifyEvent Event);
    void RemoveChangeListener(int Listener);

    std::string GetCellText(int ARow, int ACol) const;
    // The day number a cell shows, or 0 for an empty or header cell.
    int dayAt(int ACol, int ARow) const;
    // The cell of a day of the shown month.
    TGridCoord cellOfDay(int ADay) const;
    // Day number of column 0 of row 1: 1 down to -5.
    int firstCellOffset() const { return offset_; }

    static int DaysInMonth(int AMonth, int AYear);
    static bool IsLeapYear(int AYear);

    // ---- per-day data of the shown month (days 1..31; others are ignored)
    std::optional<TColor> DayBackground(int ADay) const;
    void SetDayBackground(int ADay, std::optional<TColor> Value);
    // 0: none.
    TColor DayTextColor(int ADay) const;
    void SetDayTextColor(int ADay, TColor Value);
    // A colour-set index 0..9; above 0 a click on the day fires OnDayFlag.
    int DayFlag(int ADay) const;
    void SetDayFlag(int ADay, int Value);
    bool DayBlocked(int ADay) const;
    void SetDayBlocked(int ADay, bool Value);
    // Lines 1..10, each cut to 30 characters.
    std::string DayText(int ADay, int Line) const;
    void SetDayText(int ADay, int Line, const std::string& Value);
    int DayLineColor(int ADay, int Line) const;
    void SetDayLineColor(int ADay, int Line, int ColorSetIndex);
    // Bars are drawn in the order they were added, at most 10 a day.
    void AddColorBar(int ADay, TColor Color);
    int ColorBarCount(int ADay) const;

    // ---- appearance and behaviour
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor Value);
    TColor HighlightText() const { return highlightText_; }
    void SetHighlightText(TColor Value);
    bool ShowGridLines() const { return showGridLines_; }
    void SetShowGridLines(bool Value);
    bool IsActive() const { return isActive_; }
    void SetIsActive(bool Value);
    const std::string& About() const { return about_; }
    void SetAbout(const std::string& Value) { about_ = Value; }
    TColor TitleColor() const { return titleColor_; }
    void SetTitleColor(TColor Value);
    TColor CellColor() const { return cellColor_; }
    void SetCellColor(TColor Value);
    TColor GridLineColor() const { return gridLineColor_; }
    void SetGridLineColor(TColor Value);
    TKingText TextPlacement() const { return textPlacement_; }
    void SetTextPlacement(TKingText Value);
    TColorarchy ColorOrder() const { return colorOrder_; }
    void SetColorOrder(TColorarchy Value);
    TStrings* DowNames() { return &dowNames_; }
    void SetDowNames(const TStrings& Value);
    TColor TodayColor() const { return todayColor_; }
    void SetTodayColor(TColor Value);
    TKingColoring* ColorSets() { return &colorSets_; }
    TDaysInWeek StartingDay() const { return startingDay_; }
    void SetStartingDay(TDaysInWeek Value);
    bool TextInCell() const { return textInCell_; }
    void SetTextInCell(bool Value);
    TFont* TextFont() { return &textFont_; }
    void SetTextFont(const TFont& Value);
    TFont* TitleFont() { return &titleFont_; }
    void SetTitleFont(const TFont& Value);
    bool HeaderUseFixed() const { return headerUseFixed_; }
    void SetHeaderUseFixed(bool Value);
    bool ColorCellText() const { return colorCellText_; }
    void SetColorCellText(bool Value);
    bool ColorCellDay() const { return colorCellDay_; }
    void SetColorCellDay(bool Value);
    TColor BlockedBkGnd() const { return blockedBkGnd_; }
    void SetBlockedBkGnd(TColor Value);
    TColor BlockedFrGnd() const { return blockedFrGnd_; }
    void SetBlockedFrGnd(TColor Value);
    bool BlockWeekends() const { return blockWeekends_; }
    void SetBlockWeekends(bool Value);
    bool SuspendUpdate() const { return suspendUpdate_; }
    void SetSuspendUpdate(bool Value);
    bool ShowColorBars() const { return showColorBars_; }
    void SetShowColorBars(bool Value);

    eMonthChange OnMonthChange;
    eYearChange OnYearChange;
    eDayChange OnDayChange;
    eDateChange OnDateChange;
    TNotifyEvent OnChange;
    eDroppedDay OnDroppedCell;
    TNotifyEvent OnDayFlag;

    // Takes the selected cell's day (when IsActive), then OnDayFlag for a
    // flagged day and OnClick.
    void Click() override;
    // Today's date replaces whatever the form stored.
    void Loaded() override;
    // Cells follow the client size.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void Resize() override;

private:
    struct Listener {
        int id;
        TNotifyEvent event;
    };
    struct ColorBar {
        int day;
        TColor color;
    };
    struct DayData {
        std::optional<TColor> background;
        TColor textColor = 0;
        int flag = 0;
        bool blocked = false;
        std::array<std::string, TextLinesPerDay> lines;
        std::array<int, TextLinesPerDay> lineColors{};
    };

    static bool validDay(int ADay) { return ADay >= 1 && ADay <= 31; }
    void fireChange(int Index);
    void clearMonthData();
    void applyBlockedWeekends();
    void computeOffset();
    void sizeCells(int W, int H);
    void applyLineColor();
    void dayDataChanged();
    TColor dayNumberColor(int ADay, bool Selected);
    void drawHeader(int ACol, const TRect& R);
    void drawDay(int ADay, const TRect& R, TGridDrawState AState);

    TDateTime date_ = 0;
    int offset_ = 1;
    bool layingOut_ = false;
    std::vector<Listener> listeners_;
    int nextListenerId_ = 1;
    std::array<DayData, 32> days_;
    std::vector<ColorBar> colorBars_;

    TColor highlight_ = clHighlight;
    TColor highlightText_ = clHighlightText;
    bool showGridLines_ = true;
    bool isActive_ = true;
    std::string about_;
    TColor titleColor_ = clSilver;
    TColor cellColor_ = clWhite;
    TColor gridLineColor_ = clGray;
    TKingText textPlacement_ = ktCenter;
    TColorarchy colorOrder_ = kcaSetColor;
    TStringList dowNames_;
    TColor todayColor_ = clBlack;
    TKingColoring colorSets_;
    TDaysInWeek startingDay_ = 0;
    bool textInCell_ = false;
    TFont textFont_;
    TFont titleFont_;
    bool headerUseFixed_ = true;
    bool colorCellText_ = false;
    bool colorCellDay_ = true;
    TColor blockedBkGnd_ = clSilver;
    TColor blockedFrGnd_ = clGray;
    bool blockWeekends_ = false;
    bool suspendUpdate_ = false;
    bool showColorBars_ = false;
};
