// The navigator and the month bar: buttons tiling the bar, steering the
// calendar, following its date, the keyboard, binding and unbinding, and
// their pictures.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <string>
#include <vector>

#include "CalendarFixture.h"
#include "base/SysUtils.h"
#include "controls/KingTool.h"
#include "ui/FormKit.h"

namespace {

class KingToolTest : public CalendarFixture {
protected:
    TKingCalendar* makeCalendar() {
        auto* calendar = place<TKingCalendar>(form.get(), 8, 40, 317, 121);
        calendar->SetCalendarDate(EncodeDate(2024, 3, 14));
        calendar->layOut();
        return calendar;
    }

    // The visible buttons from left to right share one border pixel each and
    // cover the bar's width; returns how many are one pixel wider.
    static int checkTiling(TKingBasePanel* bar) {
        std::vector<TKingBarButton*> visible;
        for (int i = 0; i < bar->buttonCount(); ++i)
            if (bar->button(i)->Visible()) visible.push_back(bar->button(i));
        int x = 0, narrow = visible.front()->Width(), wider = 0;
        for (TKingBarButton* b : visible) {
            EXPECT_EQ(b->Left(), x);
            EXPECT_EQ(b->Height(), bar->Height());
            narrow = std::min(narrow, b->Width());
            x = b->Left() + b->Width() - 1;
        }
        EXPECT_EQ(x + 1, bar->Width());
        for (TKingBarButton* b : visible) {
            EXPECT_LE(b->Width() - narrow, 1);
            wider += b->Width() - narrow;
        }
        return wider;
    }
};

}  // namespace

TEST_F(KingToolTest, ButtonsTileTheBarAtEveryWidth) {
    const struct {
        bool monthBar;
        bool withoutToday;
        TAlign align;
        int width;
        int expectedWidth;
    } cases[] = {
        {false, false, alNone, 317, 316},  // five buttons of 64 sharing borders
        {false, true, alNone, 145, 145},   // the pop-up's navigator: four of 37
        {false, true, alNone, 150, 149},
        {false, false, alTop, 317, 317},   // aligned: spare pixels spread
        {false, true, alTop, 150, 150},
        {true, false, alNone, 321, 313},
        {true, false, alTop, 321, 321},
        {true, false, alTop, 400, 400},
        {false, false, alNone, 30, 96},    // never below the minimum button width
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.monthBar ? "month bar " : "navigator ") + std::to_string(c.width) +
                     (c.align == alNone ? "" : " aligned") + (c.withoutToday ? " without today" : ""));
        TKingBasePanel* bar;
        if (c.monthBar) {
            bar = place<TMonthBar>(form.get(), 0, 0);
        } else {
            auto* navigator = place<TKingNavigator>(form.get(), 0, 0);
            if (c.withoutToday) navigator->SetVisibleButtons({nbPrevYear, nbPrevMonth, nbNextMonth, nbNextYear});
            bar = navigator;
        }
        bar->SetAlign(c.align);
        if (c.align == alTop) form->SetClientWidth(c.width);
        else bar->SetBounds(0, 0, c.width, 21);
        EXPECT_EQ(bar->Width(), c.expectedWidth);
        int n = c.monthBar ? 12 : (c.withoutToday ? 4 : 5);
        EXPECT_EQ(checkTiling(bar), (bar->Width() - 1) % n);
        delete bar;
    }
}

TEST_F(KingToolTest, NavigatorButtonsSteerTheCalendarAndAlwaysReportTheClick) {
    auto* calendar = makeCalendar();
    auto* navigator = place<TKingNavigator>(form.get(), 8, 8, 317, 21);
    EXPECT_EQ(navigator->CalendarSource(), calendar);  // bound to the owner's first calendar
    std::vector<TCalcBtn> clicked;
    navigator->OnClick = [&](TObject*, TCalcBtn b) { clicked.push_back(b); };

    const struct {
        TCalcBtn button;
        const char* expected;
    } steps[] = {{nbNextMonth, "2024-04-14"}, {nbNextYear, "2025-04-14"}, {nbPrevMonth, "2025-03-14"},
                 {nbPrevYear, "2024-03-14"},  {nbNextMonth, "2024-04-14"}, {nbToday, "2024-03-14"}};
    for (const auto& s : steps) {
        navigator->Buttons(s.button)->Click();
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd", calendar->CalendarDate()), s.expected);
    }
    EXPECT_EQ(clicked.size(), 6u);

    auto* loose = new TKingNavigator(nullptr);
    loose->OnClick = [&](TObject*, TCalcBtn b) { clicked.push_back(b); };
    loose->Buttons(nbNextYear)->Click();
    EXPECT_EQ(clicked.back(), nbNextYear);
    delete loose;
}

TEST_F(KingToolTest, TheTodayButtonShowsTodayAndTurnsHighlightOnlyOnToday) {
    auto* calendar = makeCalendar();
    auto* navigator = place<TKingNavigator>(form.get(), 8, 8, 317, 21);
    TKingButton* today = navigator->Buttons(nbToday);
    EXPECT_EQ(today->Caption(), "03/14/24");
    EXPECT_EQ(today->Font()->Color(), clBlue);
    calendar->NextMonth();
    EXPECT_EQ(today->Font()->Color(), clWindowText);
    navigator->SetCaptionInToday(true);
    EXPECT_EQ(today->Caption(), "Today");
    navigator->SetTodayText("Now");
    EXPECT_EQ(today->Caption(), "Now");
    navigator->SetHighlight(clRed);
    calendar->GoToday();
    EXPECT_EQ(today->Font()->Color(), clRed);
}

TEST_F(KingToolTest, TheMonthBarMarksTheCalendarsMonth) {
    auto* calendar = makeCalendar();
    auto* bar = place<TMonthBar>(form.get(), 8, 8, 321, 18);
    EXPECT_EQ(bar->markedMonth(), 2);
    bar->Buttons(nbDec)->Click();
    EXPECT_EQ(calendar->Month(), 12);
    for (int m = nbJan; m <= nbDec; ++m)
        EXPECT_EQ(bar->Buttons(static_cast<TMonthBtn>(m))->Font()->Color(), m == nbDec ? clBlue : clWindowText);
    calendar->NextMonth();
    EXPECT_EQ(bar->markedMonth(), 0);
    EXPECT_EQ(bar->Buttons(nbJan)->Font()->Color(), clBlue);
    EXPECT_EQ(bar->Buttons(nbDec)->Font()->Color(), clWindowText);
}

TEST_F(KingToolTest, ArrowsMoveTheFocusMarkAndSpaceClicks) {
    auto* calendar = makeCalendar();
    auto* navigator = place<TKingNavigator>(form.get(), 8, 8, 317, 21);
    show();
    navigator->SetFocus();
    EXPECT_EQ(navigator->focusedButton(), nbNextMonth);
    navigator->SendKey(VK_RIGHT);
    navigator->SendKey(VK_RIGHT);
    EXPECT_EQ(navigator->focusedButton(), nbNextYear);  // stops at the last
    navigator->SendKey(VK_SPACE);
    EXPECT_EQ(calendar->Year(), 2025);
    navigator->SetVisibleButtons({nbPrevYear, nbNextMonth, nbNextYear});
    navigator->SendKey(VK_LEFT);
    navigator->SendKey(VK_LEFT);
    navigator->SendKey(VK_LEFT);
    EXPECT_EQ(navigator->focusedButton(), nbPrevYear);  // skipping the hidden ones
}

TEST_F(KingToolTest, PressingAButtonFocusesTheBarOnIt) {
    makeCalendar();
    auto* bar = place<TMonthBar>(form.get(), 8, 8, 321, 18);
    show();
    TKingBarButton* may = bar->Buttons(nbMay);
    click(may, 5, 5);
    EXPECT_TRUE(bar->Focused());
    EXPECT_EQ(bar->focusedButton(), nbMay);
}

TEST_F(KingToolTest, BarsStopListeningWhenFreedOrReboundAndForgetAFreedCalendar) {
    auto* calendar = makeCalendar();
    auto* bar = new TMonthBar(nullptr);
    bar->SetCalendarSource(calendar);  // a bar made in code listens at once
    calendar->SetMonth(7);
    EXPECT_EQ(bar->markedMonth(), 6);
    delete bar;
    calendar->SetMonth(8);  // no call into the freed bar

    auto* other = place<TKingCalendar>(form.get(), 0, 0, 200, 100);
    other->SetCalendarDate(EncodeDate(2020, 1, 1));
    auto* navigator = new TKingNavigator(nullptr);
    navigator->SetCalendarSource(calendar);
    navigator->SetCalendarSource(other);
    EXPECT_EQ(navigator->Buttons(nbToday)->Font()->Color(), clWindowText);
    // Only the calendar it is bound to now updates it.
    other->SetCalendarDate(Date());
    calendar->NextMonth();
    EXPECT_EQ(navigator->Buttons(nbToday)->Font()->Color(), clWindowText);
    delete other;
    EXPECT_EQ(navigator->CalendarSource(), nullptr);
    navigator->Buttons(nbNextMonth)->Click();
    delete navigator;
}

TEST_F(KingToolTest, PicturesOfTheNavigatorAndTheMonthBar) {
    makeCalendar();
    auto* navigator = place<TKingNavigator>(form.get(), 8, 8, 317, 21);
    auto* bar = place<TMonthBar>(form.get(), 8, 180, 321, 18);
    show();
    navigator->SetFocus();
    Application->ProcessMessages();
    QImage nav = picture(navigator, "navigator");
    QImage months = picture(bar, "monthbar");
    // Shared borders: black at each join, button face inside.
    TKingBarButton* second = navigator->button(1);
    EXPECT_EQ(QColor(nav.pixel(second->Left(), 10)), tColorToQColor(clBlack));
    EXPECT_EQ(QColor(nav.pixel(second->Left() + second->Width() / 2, 2)), tColorToQColor(clBtnFace));
    EXPECT_EQ(QColor(months.pixel(bar->button(5)->Left(), 9)), tColorToQColor(clBlack));
}
