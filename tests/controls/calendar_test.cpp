// The month calendar: date elements with their clamping and ignored values,
// the cell layout, the event order, picking days with keys and the mouse,
// per-day data across month changes, sizing, and its picture.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <string>
#include <vector>

#include "CalendarFixture.h"
#include "base/SysUtils.h"
#include "controls/TheKing.h"
#include "ui/FormKit.h"

namespace {

class CalendarTest : public CalendarFixture {
protected:
    TKingCalendar* makeCalendar(TDateTime date) {
        auto* calendar = place<TKingCalendar>(form.get(), 8, 8, 317, 121);
        calendar->SetCalendarDate(date);
        calendar->layOut();
        return calendar;
    }

    // The middle of a day's cell, in the calendar's client pixels.
    static TPoint centreOf(TKingCalendar* calendar, int day) {
        TGridCoord cell = calendar->cellOfDay(day);
        TRect r = calendar->CellRect(cell.X, cell.Y);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    // Every event of the calendar, in the order heard.
    void spyOn(TKingCalendar* calendar) {
        calendar->OnYearChange = [this](TObject*, int y) { heard.push_back("year " + std::to_string(y)); };
        calendar->OnMonthChange = [this](TObject*, int m) { heard.push_back("month " + std::to_string(m)); };
        calendar->OnDayChange = [this](TObject*, int d) { heard.push_back("day " + std::to_string(d)); };
        calendar->OnDateChange = [this](TObject*, TDateTime d) { heard.push_back("date " + FormatDateTime("yyyy-mm-dd", d)); };
        calendar->OnChange = [this](TObject*) { heard.push_back("change"); };
        calendar->AddChangeListener([this](TObject*) { heard.push_back("listener"); });
    }

    std::vector<std::string> heard;
};

struct DateCase {
    const char* start;  // yyyy-mm-dd
    int index;          // 1 year, 2 month, 3 day
    int value;
    const char* expected;  // the date afterwards
    bool fires;
};

TDateTime parse(const std::string& iso) {
    return EncodeDate(std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)), std::stoi(iso.substr(8, 2)));
}

}  // namespace

TEST_F(CalendarTest, DateElementsClampToTheMonthAndIgnoreValuesOutOfRange) {
    const DateCase cases[] = {
        {"2024-03-31", 2, 2, "2024-02-29", true},    // leap year
        {"2023-03-31", 2, 2, "2023-02-28", true},
        {"2024-01-31", 2, 4, "2024-04-30", true},
        {"2024-02-29", 1, 2025, "2025-02-28", true},
        {"2024-04-10", 3, 31, "2024-04-30", true},
        {"2024-04-10", 3, 9, "2024-04-09", true},
        {"2024-04-10", 2, 13, "2024-04-10", false},  // no 13th month
        {"2024-04-10", 3, 0, "2024-04-10", false},
        {"2024-04-10", 1, -3, "2024-04-10", false},
        {"0001-01-05", 1, 0, "0001-01-05", false},   // year 1 goes no lower
        {"2024-04-10", 1, 9999, "9999-04-10", true},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " element " + std::to_string(c.index) + " := " + std::to_string(c.value));
        auto* calendar = makeCalendar(parse(c.start));
        int changes = 0;
        calendar->OnChange = [&](TObject*) { ++changes; };
        calendar->SetDateElement(c.index, c.value);
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd", calendar->CalendarDate()), c.expected);
        EXPECT_EQ(changes > 0, c.fires);
        delete calendar;
    }
}

TEST_F(CalendarTest, AYearPast9999RaisesAndLeavesTheDateAndItsDataAlone) {
    auto* calendar = makeCalendar(EncodeDate(9999, 12, 10));
    calendar->SetDayBlocked(5, true);
    bool fired = false;
    calendar->OnChange = [&](TObject*) { fired = true; };
    EXPECT_THROW(calendar->SetYear(10000), EConvertError);
    EXPECT_THROW(calendar->NextMonth(), EConvertError);
    EXPECT_EQ(calendar->CalendarDate(), EncodeDate(9999, 12, 10));
    EXPECT_TRUE(calendar->DayBlocked(5));
    EXPECT_FALSE(fired);
}

TEST_F(CalendarTest, StartingDayOutsideTheWeekIsIgnored) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));
    for (int value : {-1, 7, 12}) {
        calendar->SetStartingDay(value);
        EXPECT_EQ(calendar->StartingDay(), 0) << value;
    }
    calendar->SetStartingDay(1);
    EXPECT_EQ(calendar->StartingDay(), 1);
    EXPECT_EQ(calendar->GetCellText(0, 0), "Mon");
    EXPECT_EQ(calendar->GetCellText(0, 6), "Sun");
}

TEST_F(CalendarTest, AMonthStartingOnSaturdayPutsDayOneInTheLastColumn) {
    // August 2020 begins on a Saturday and has 31 days.
    auto* calendar = makeCalendar(EncodeDate(2020, 8, 15));
    EXPECT_EQ(calendar->firstCellOffset(), -5);
    EXPECT_EQ(calendar->GetCellText(1, 6), "1");
    EXPECT_EQ(calendar->GetCellText(1, 5), "");
    EXPECT_EQ(calendar->GetCellText(6, 1), "31");
    EXPECT_EQ(calendar->GetCellText(6, 2), "");
    // The 15th is selected: offset -5, so (15 + 5) is column 6 of row 3.
    EXPECT_EQ(calendar->Col(), 6);
    EXPECT_EQ(calendar->Row(), 3);

    calendar->SetStartingDay(6);  // Saturday first
    EXPECT_EQ(calendar->firstCellOffset(), 1);
    EXPECT_EQ(calendar->GetCellText(1, 0), "1");
    EXPECT_EQ(calendar->GetCellText(0, 0), "Sat");
}

TEST_F(CalendarTest, NextMonthFromDecemberFiresTheYearEventsBeforeTheMonthEvents) {
    auto* calendar = makeCalendar(EncodeDate(2024, 12, 20));
    spyOn(calendar);
    calendar->NextMonth();
    EXPECT_EQ(heard, (std::vector<std::string>{"year 2025", "date 2025-12-20", "change", "listener", "month 1",
                                               "date 2025-01-20", "change", "listener"}));
    heard.clear();
    calendar->SetDay(3);
    EXPECT_EQ(heard, (std::vector<std::string>{"day 3", "date 2025-01-03", "change", "listener"}));
}

TEST_F(CalendarTest, CalendarDateStoresWithoutEventsAndLoadedTakesToday) {
    auto* calendar = makeCalendar(EncodeDate(2024, 3, 14));
    spyOn(calendar);
    TDateTime withTime = EncodeDate(1999, 12, 31) + EncodeTime(18, 0, 0, 0);
    calendar->SetCalendarDate(withTime);
    EXPECT_EQ(calendar->CalendarDate(), withTime);
    EXPECT_TRUE(heard.empty());

    calendar->SetLoading(true);
    calendar->Loaded();
    EXPECT_EQ(calendar->CalendarDate(), Date());
    EXPECT_EQ(heard, (std::vector<std::string>{"change", "listener"}));
}

TEST_F(CalendarTest, ArrowsAndClicksPickDaysOnlyOnAnActiveCalendar) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));
    show();
    calendar->SetFocus();
    int clicks = 0;
    calendar->OnClick = [&](TObject*) { ++clicks; };

    calendar->SendKey(VK_RIGHT);
    EXPECT_EQ(calendar->Day(), 11);
    TPoint p = centreOf(calendar, 23);
    click(calendar, p.X, p.Y);
    EXPECT_EQ(calendar->Day(), 23);
    EXPECT_EQ(clicks, 2);

    calendar->SetIsActive(false);
    calendar->SendKey(VK_RIGHT);
    p = centreOf(calendar, 5);
    click(calendar, p.X, p.Y);
    EXPECT_EQ(calendar->Day(), 23);
    EXPECT_EQ(calendar->cellOfDay(23), (TGridCoord{calendar->Col(), calendar->Row()}));
    EXPECT_EQ(clicks, 4);  // OnClick still fires
}

TEST_F(CalendarTest, ClicksRefuseEmptyCellsAndBlockedDaysButReportTheDayAgain) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));  // April 1st is a Monday
    calendar->SetBlockWeekends(true);
    show();
    std::vector<int> days;
    calendar->OnDayChange = [&](TObject*, int d) { days.push_back(d); };
    int flagged = 0;
    calendar->OnDayFlag = [&](TObject*) { ++flagged; };
    calendar->SetDayFlag(10, 3);

    TPoint p = centreOf(calendar, 13);  // a Saturday
    click(calendar, p.X, p.Y);
    TRect empty = calendar->CellRect(0, 1);  // before the 1st
    click(calendar, (empty.Left + empty.Right) / 2, (empty.Top + empty.Bottom) / 2);
    EXPECT_EQ(calendar->Day(), 10);
    // Each click re-takes the selected day, and the flagged day says so.
    EXPECT_EQ(days, (std::vector<int>{10, 10}));
    EXPECT_EQ(flagged, 2);
}

TEST_F(CalendarTest, ListenersCanBeRemovedAndAreLimitedToTwenty) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));
    int heardA = 0, heardB = 0;
    int a = calendar->AddChangeListener([&](TObject*) { ++heardA; });
    calendar->AddChangeListener([&](TObject*) { ++heardB; });
    calendar->RemoveChangeListener(a);
    calendar->NextMonth();
    EXPECT_EQ(heardA, 0);
    EXPECT_EQ(heardB, 1);
    for (int i = 1; i < TKingCalendar::MaxChangeListeners; ++i) calendar->AddChangeListener([](TObject*) {});
    EXPECT_THROW(calendar->AddChangeListener([](TObject*) {}), EInvalidOperation);
}

TEST_F(CalendarTest, EveryWayIntoAnotherMonthClearsTheOldMonthsDayData) {
    using Move = void (TKingCalendar::*)();
    const struct {
        const char* name;
        Move move;
    } moves[] = {{"NextMonth", &TKingCalendar::NextMonth}, {"PrevMonth", &TKingCalendar::PrevMonth},
                 {"NextYear", &TKingCalendar::NextYear},   {"PrevYear", &TKingCalendar::PrevYear},
                 {"GoToday", &TKingCalendar::GoToday}};
    for (const auto& m : moves) {
        SCOPED_TRACE(m.name);
        auto* calendar = makeCalendar(EncodeDate(2023, 6, 12));
        calendar->SetDayBlocked(12, true);
        calendar->SetDayBackground(12, clYellow);
        calendar->SetDayTextColor(12, clRed);
        calendar->AddColorBar(12, clBlue);
        (calendar->*m.move)();
        EXPECT_FALSE(calendar->DayBlocked(12));
        EXPECT_FALSE(calendar->DayBackground(12).has_value());
        EXPECT_EQ(calendar->DayTextColor(12), 0);
        EXPECT_EQ(calendar->ColorBarCount(12), 0);
        delete calendar;
    }
}

TEST_F(CalendarTest, BlockedWeekendsFollowTheMonthShown) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));
    calendar->SetBlockWeekends(true);
    EXPECT_TRUE(calendar->DayBlocked(6));    // Saturday, April 6
    EXPECT_TRUE(calendar->DayBlocked(7));    // Sunday
    EXPECT_FALSE(calendar->DayBlocked(8));
    calendar->NextMonth();                   // May 2024: the 4th and 5th
    EXPECT_TRUE(calendar->DayBlocked(4));
    EXPECT_TRUE(calendar->DayBlocked(5));
    EXPECT_FALSE(calendar->DayBlocked(6));
    EXPECT_FALSE(calendar->DayBlocked(7));
}

TEST_F(CalendarTest, CellsAreSizedFromTheClientArea) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));
    calendar->TitleFont()->SetHeight(-9);  // 7 points: an 11-pixel header
    calendar->SetBounds(2, 1, 198, 110);
    EXPECT_EQ(calendar->DefaultColWidth(), 27);
    EXPECT_EQ(calendar->RowHeights(0), 11);
    EXPECT_EQ(calendar->RowHeights(1), 15);
    calendar->SetHeaderUseFixed(false);
    EXPECT_EQ(calendar->RowHeights(0), 14);
    EXPECT_EQ(calendar->RowHeights(6), 14);
}

TEST_F(CalendarTest, DayNamesComeFromTheLocaleUnlessGiven) {
    auto* calendar = makeCalendar(EncodeDate(2024, 4, 10));
    for (int c = 0; c < 7; ++c) EXPECT_EQ(calendar->GetCellText(0, c), ShortDayNames[c]);
    TStringList names;
    for (const char* n : {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"}) names.Add(n);
    calendar->SetDowNames(names);
    EXPECT_EQ(calendar->GetCellText(0, 3), "Mi");
}

TEST_F(CalendarTest, ThePictureShowsTheSelectedDayBlockedWeekendsAndColouredDays) {
    auto* calendar = makeCalendar(EncodeDate(2024, 3, 14));
    calendar->SetBlockWeekends(true);
    calendar->SetDayBackground(20, clYellow);
    calendar->SetDayTextColor(21, clRed);
    calendar->SetDayFlag(22, 1);
    calendar->SetColorOrder(kcaTodayColor);
    calendar->SetTodayColor(clGreen);
    show();
    QImage image = picture(calendar, "calendar");

    auto fillOf = [&](int day) {
        TGridCoord cell = calendar->cellOfDay(day);
        TRect r = calendar->CellRect(cell.X, cell.Y);
        return QColor(image.pixel(r.Left + 2, r.Bottom - 2));
    };
    EXPECT_EQ(fillOf(14), tColorToQColor(clHighlight));  // selected
    EXPECT_EQ(fillOf(16), tColorToQColor(clSilver));     // Saturday, blocked
    EXPECT_EQ(fillOf(20), tColorToQColor(clYellow));
    EXPECT_EQ(fillOf(19), tColorToQColor(clWhite));
    TRect header = calendar->CellRect(3, 0);
    EXPECT_EQ(QColor(image.pixel(header.Left + 3, header.Bottom - 2)), tColorToQColor(clSilver));
    // Black lines under the header, grey ones between days.
    EXPECT_EQ(QColor(image.pixel(header.Left + 5, header.Bottom)), tColorToQColor(clBlack));
    TGridCoord cell = calendar->cellOfDay(19);
    TRect day = calendar->CellRect(cell.X, cell.Y);
    EXPECT_EQ(QColor(image.pixel(day.Right, day.Top + 3)), tColorToQColor(clGray));
}
