// The date pop-up driven through the dialog script: picks, cancels, the
// close box, the caption following the calendar, placement under its
// control, and its picture.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CalendarFixture.h"
#include "base/SysUtils.h"
#include "controls/KingPop.h"
#include "ui/DialogResponder.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

namespace {

class KingPopTest : public CalendarFixture {
protected:
    // Runs Execute with the window answered by act.
    bool execute(TKingPopup& popup, std::function<void(TkcPopup&)> act) {
        TDialogScript script;
        script.Answer([&](TForm& f) {
            auto& window = dynamic_cast<TkcPopup&>(f);
            seen = &window;
            captionOnOpen = window.Caption();
            bounds = window.BoundsRect();
            act(window);
        });
        bool picked = popup.Execute();
        EXPECT_EQ(script.Unanswered(), 0u);
        return picked;
    }

    static TPoint centreOfDay(TKingCalendar* calendar, int day) {
        TGridCoord cell = calendar->cellOfDay(day);
        TRect r = calendar->CellRect(cell.X, cell.Y);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    TkcPopup* seen = nullptr;
    std::string captionOnOpen;
    TRect bounds;
};

const TDateTime kOpening = EncodeDate(1996, 3, 5) + EncodeTime(15, 45, 0, 0);

}  // namespace

TEST_F(KingPopTest, SelectDateAtOnceReturnsPopupDateExactly) {
    TKingPopup popup(form.get());
    EXPECT_EQ(popup.PopupDate(), Date());
    popup.SetDate(kOpening);
    EXPECT_TRUE(execute(popup, [](TkcPopup& w) {
        EXPECT_EQ(w.KingCalendar1->Day(), 5);
        EXPECT_EQ(w.KingCalendar1->cellOfDay(5), (TGridCoord{w.KingCalendar1->Col(), w.KingCalendar1->Row()}));
        w.SpeedButton1->Click();
    }));
    EXPECT_EQ(popup.PopupDate(), kOpening);
    EXPECT_EQ(captionOnOpen, "March 5, 1996");
}

TEST_F(KingPopTest, ADayClickedOrDoubleClickedIsPickedAsAWholeDay) {
    TKingPopup popup(form.get());
    popup.SetDate(kOpening);
    EXPECT_TRUE(execute(popup, [](TkcPopup& w) {
        TPoint p = centreOfDay(w.KingCalendar1, 20);
        click(w.KingCalendar1, p.X, p.Y);
        w.SpeedButton1->Click();
    }));
    EXPECT_EQ(popup.PopupDate(), EncodeDate(1996, 3, 20));

    EXPECT_TRUE(execute(popup, [](TkcPopup& w) {
        TPoint p = centreOfDay(w.KingCalendar1, 11);
        doubleClick(w.KingCalendar1, p.X, p.Y);
    }));
    EXPECT_EQ(popup.PopupDate(), EncodeDate(1996, 3, 11));

    // A double click on the header picks the day that is selected.
    EXPECT_TRUE(execute(popup, [](TkcPopup& w) {
        TRect header = w.KingCalendar1->CellRect(2, 0);
        doubleClick(w.KingCalendar1, header.Left + 3, header.Top + 3);
    }));
    EXPECT_EQ(popup.PopupDate(), EncodeDate(1996, 3, 11));
}

TEST_F(KingPopTest, CancelAndTheCloseBoxLeavePopupDateAlone) {
    TKingPopup popup(form.get());
    popup.SetDate(kOpening);
    const std::function<void(TkcPopup&)> ways[] = {
        [](TkcPopup& w) { w.SpeedButton2->Click(); },
        [](TkcPopup& w) { w.Close(); },
        [](TkcPopup& w) {
            w.KingNavigator1->Buttons(nbNextYear)->Click();
            w.Close();
        },
    };
    for (const auto& way : ways) {
        EXPECT_FALSE(execute(popup, way));
        EXPECT_EQ(popup.PopupDate(), kOpening);
    }
}

TEST_F(KingPopTest, TheCaptionFollowsTheCalendar) {
    TKingPopup popup(form.get());
    popup.SetDate(EncodeDate(1999, 11, 30));
    std::string caption;
    execute(popup, [&](TkcPopup& w) {
        w.KingNavigator1->Buttons(nbNextMonth)->Click();
        TPoint p = centreOfDay(w.KingCalendar1, 31);
        click(w.KingCalendar1, p.X, p.Y);
        caption = w.Caption();
        w.SpeedButton2->Click();
    });
    EXPECT_EQ(caption, "December 31, 1999");
}

TEST_F(KingPopTest, TheWindowOpensUnderItsControlOrAboveItNearTheBottom) {
    auto* edit = place<TEdit>(form.get(), 30, 40, 113, 21);
    show();
    TKingPopup popup(form.get());
    popup.SetAlignSource(edit);
    auto cancel = [](TkcPopup& w) { w.SpeedButton2->Click(); };
    TPoint origin = form->ClientToScreen(Point(0, 0));

    execute(popup, cancel);
    EXPECT_EQ(bounds.Left, origin.X + 30);
    EXPECT_EQ(bounds.Top, origin.Y + 40 + 21);
    EXPECT_EQ(bounds.Width(), 202);
    EXPECT_EQ(bounds.Height(), 136);

    form->SetBounds(Screen->Width() - 60, Screen->Height() - 80, 420, 260);
    Application->ProcessMessages();
    origin = form->ClientToScreen(Point(0, 0));
    execute(popup, cancel);
    EXPECT_EQ(bounds.Top, origin.Y + 40 - (136 + 2));
    EXPECT_EQ(bounds.Right, Screen->Width());  // kept on the screen sideways

    delete edit;
    EXPECT_EQ(popup.AlignSource(), nullptr);
}

TEST_F(KingPopTest, ThePictureOfTheWindow) {
    TKingPopup popup(form.get());
    popup.SetDate(EncodeDate(2024, 3, 14));
    execute(popup, [&](TkcPopup& w) {
        EXPECT_EQ(w.ClientWidth(), 202);
        EXPECT_EQ(w.ClientHeight(), 136);
        EXPECT_EQ(w.KingNavigator1->Width(), 145);
        for (int i = 0; i < w.KingNavigator1->buttonCount(); ++i)
            if (w.KingNavigator1->button(i)->Visible()) EXPECT_EQ(w.KingNavigator1->button(i)->Width(), 37);
        EXPECT_EQ(w.SpeedButton1->Hint(), "Select Date");
        EXPECT_EQ(w.SpeedButton2->Hint(), "Cancel Selection");
        picture(&w, "popup");
        w.SpeedButton2->Click();
    });
}
