#pragma once
// The date picker the recall and schedule windows share: a month bar, a
// calendar with the short day names opened on today, and the navigator under
// it whose Today button shows today's date, all three linked.
class TKingCalendar;
class TKingNavigator;
class TMonthBar;
class TWinControl;

struct TCalendarColumn {
    TMonthBar* MonthBar;
    TKingCalendar* Calendar;
    TKingNavigator* Navigator;
};

// The month bar at (Left, BarTop), the calendar at (Left, CalendarTop) and
// the navigator just under it, all Width wide.
TCalendarColumn placeCalendarColumn(TWinControl* Parent, int Left, int BarTop, int CalendarTop, int Width,
                                    int CalendarHeight);
