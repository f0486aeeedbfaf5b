#include "patients/CalendarColumn.h"

#include "base/DateTime.h"
#include "controls/KingTool.h"
#include "controls/TheKing.h"
#include "ui/FormKit.h"

TCalendarColumn placeCalendarColumn(TWinControl* Parent, int Left, int BarTop, int CalendarTop, int Width,
                                    int CalendarHeight) {
    auto* bar = place<TMonthBar>(Parent, Left, BarTop, Width, 40);
    auto* calendar = place<TKingCalendar>(Parent, Left, CalendarTop, Width, CalendarHeight);
    TStringList names;
    for (const char* name : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}) names.Add(name);
    calendar->SetDowNames(names);
    calendar->SetCalendarDate(Date());
    calendar->layOut();
    const int navigatorTop = CalendarTop + CalendarHeight + 4;
    auto* navigator = place<TKingNavigator>(Parent, Left, navigatorTop);
    navigator->SetBounds(Left, navigatorTop, Width, 24);
    navigator->SetCalendarSource(calendar);
    navigator->SetTodayText("Today");
    // Today's date on the button, beside a calendar on another day, reads as
    // the day the window shows.
    navigator->SetCaptionInToday(true);
    bar->SetCalendarSource(calendar);
    return {bar, calendar, navigator};
}
