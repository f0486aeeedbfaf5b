// The date edits over a real table: picking through the pop-up into a date
// field and posting it, cancelled and refused picks, typed text the field
// can't convert, the plain edit's text, sizes and pictures.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "CalendarFixture.h"
#include "base/SysUtils.h"
#include "controls/CalendarButton.h"
#include "controls/DBKing.h"
#include "controls/KingDlg.h"
#include "data/DbTables.h"
#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/FormKit.h"
#include "ui/MessageBeep.h"
#include "xbase/EngineGlue.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

class DateEditTest : public CalendarFixture {
protected:
    void SetUp() override {
        CalendarFixture::SetUp();
        registerEngineGlue();
        xb_CloseAll();
        ASSERT_EQ(CreateTable(dir.file("exam.dbf"), {{"NAME", "C", 20, 0}, {"SEEN", "D", 8, 0}}), "");
        ASSERT_EQ(FillTable(dir.file("exam.dbf"), {{"EMPTY", ""}, {"DATED", "19960305"}}), "");
        table = new TQmTable(form.get());
        table->SetDatabaseName(dir.path());
        table->SetTableName("exam.dbf");
        table->SetTableType(ttSXNSX);
        source = new TQmDataSource(form.get());
        source->SetDataSet(table);
        popup = new TKingPopup(form.get());
        clearMessageBeeps();
    }
    void TearDown() override {
        CalendarFixture::TearDown();
        Session()->Close();
    }

    // What the file holds, read through an area of its own.
    std::string stored(int recNo) {
        EXPECT_NE(xb_Use(dir.file("exam.dbf").c_str(), "CHECK", XB_SHARED, XB_DRIVER_NSX), 0);
        xb_Go(recNo);
        std::string text = xb_GetTrimString("SEEN");
        xb_Close();
        return text;
    }

    // Presses the edit's calendar button with the pop-up answered by act;
    // opened tells on which date the pop-up showed.
    void pressButton(TSpeedButton* button, std::function<void(TkcPopup&)> act) {
        TDialogScript script;
        script.Answer([&](TForm& f) {
            auto& window = dynamic_cast<TkcPopup&>(f);
            opened = window.KingCalendar1->CalendarDate();
            act(window);
        });
        button->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
    }

    static void pickDay(TkcPopup& w, int day) {
        w.KingCalendar1->SetDay(day);
        w.SpeedButton1->Click();
    }

    TField* seen() { return table->FieldByName("SEEN"); }

    TempDir dir;
    TQmTable* table = nullptr;
    TQmDataSource* source = nullptr;
    TKingPopup* popup = nullptr;
    TDateTime opened = 0;
};

}  // namespace

TEST_F(DateEditTest, AnEmptyFieldOpensOnNowAndAPickIsWrittenAndPosted) {
    auto* edit = placeBound<TDBKingDlg>(form.get(), 10, 10, 113, 21, source, "SEEN");
    EXPECT_EQ(edit->KingPopup(), popup);
    show();
    table->Open();
    pressButton(edit->calendarButton(), [](TkcPopup& w) { pickDay(w, 20); });
    EXPECT_EQ(opened, Now());
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(seen()->AsDateTime(), EncodeDate(2024, 3, 20));
    EXPECT_EQ(edit->Text(), DateToStr(EncodeDate(2024, 3, 20)));
    table->Post();
    EXPECT_EQ(stored(1), "20240320");
}

TEST_F(DateEditTest, EachEditOpensTheSharedPopupUnderItselfOnItsFieldsDate) {
    auto* first = placeBound<TDBKingDlg>(form.get(), 10, 10, 113, 21, source, "SEEN");
    auto* second = placeBound<TDBKingDlg>(form.get(), 10, 60, 113, 21, source, "SEEN");
    EXPECT_EQ(popup->AlignSource(), first);
    show();
    table->Open();
    table->Next();
    pressButton(second->calendarButton(), [](TkcPopup& w) { w.SpeedButton2->Click(); });
    EXPECT_EQ(popup->AlignSource(), second);
    EXPECT_EQ(opened, EncodeDate(1996, 3, 5));
    pressButton(first->calendarButton(), [](TkcPopup& w) { w.SpeedButton2->Click(); });
    EXPECT_EQ(popup->AlignSource(), first);
}

TEST_F(DateEditTest, CancelledReadOnlyAndUnwritablePicksChangeNothing) {
    auto* edit = placeBound<TDBKingDlg>(form.get(), 10, 10, 113, 21, source, "SEEN");
    show();
    table->Open();
    table->Next();
    const std::string shown = edit->Text();

    pressButton(edit->calendarButton(), [](TkcPopup& w) { w.SpeedButton2->Click(); });

    edit->SetReadOnly(true);
    pressButton(edit->calendarButton(), [](TkcPopup& w) { pickDay(w, 9); });
    edit->SetReadOnly(false);

    // The dataset goes into edit, then the field refuses the value.
    seen()->OnValidate = [](TField*) { throw EDatabaseError("Not on that day"); };
    pressButton(edit->calendarButton(), [](TkcPopup& w) { pickDay(w, 10); });

    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(seen()->AsDateTime(), EncodeDate(1996, 3, 5));
    EXPECT_EQ(edit->Text(), shown);
    EXPECT_EQ(stored(2), "19960305");
}

TEST_F(DateEditTest, TextThatIsNoDateRaisesKeepsTheFocusAndReachesNoField) {
    auto* edit = placeBound<TDBKingDlg>(form.get(), 10, 10, 113, 21, source, "SEEN");
    auto* other = place<TEdit>(form.get(), 10, 60, 113, 21);
    show();
    table->Open();
    table->Next();
    edit->SetFocus();
    edit->SetSelStart(static_cast<int>(edit->Text().size()));
    for (int i = 0; i < 12; ++i) edit->SendChar('\b');
    for (char c : std::string("31/31/99")) edit->SendChar(c);
    EXPECT_EQ(edit->Text(), "31/31/99");
    {
        TDialogScript script;
        script.Answer(IDOK);
        other->SetFocus();
        Application->ProcessMessages();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "'31/31/99' is not a valid date.");
    }
    EXPECT_EQ(form->ActiveControl(), edit);
    EXPECT_EQ(edit->SelLength(), static_cast<int>(edit->Text().size()));
    EXPECT_EQ(seen()->AsDateTime(), EncodeDate(1996, 3, 5));

    edit->SendChar(27);  // Escape brings the field's value back
    EXPECT_EQ(edit->Text(), seen()->Text());
    other->SetFocus();
    EXPECT_EQ(form->ActiveControl(), other);
}

TEST_F(DateEditTest, ChangeIsHeardWhenTheProgramSetsTheField) {
    auto* edit = placeBound<TDBKingDlg>(form.get(), 10, 10, 113, 21, source, "SEEN");
    table->Open();
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    table->Edit();
    seen()->SetAsDateTime(EncodeDate(2001, 2, 3));
    EXPECT_GT(changes, 0);
    EXPECT_EQ(edit->Text(), DateToStr(EncodeDate(2001, 2, 3)));
    table->Cancel();
}

TEST_F(DateEditTest, ThePlainEditOpensOnTheCallersDateAndTakesThePickAsText) {
    auto* edit = place<TKingDateDialog>(form.get(), 10, 10);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(edit->Width(), 113);
    std::vector<std::string> texts;
    edit->OnChange = [&](TObject*) { texts.push_back(edit->Text()); };
    show();
    edit->SetText("12/25/2010");
    popup->SetDate(EncodeDate(2005, 6, 1));
    pressButton(edit->calendarButton(), [](TkcPopup& w) { pickDay(w, 17); });
    EXPECT_EQ(opened, EncodeDate(2005, 6, 1));
    EXPECT_EQ(edit->Text(), DateToStr(EncodeDate(2005, 6, 17)));
    EXPECT_EQ(texts, (std::vector<std::string>{"12/25/2010", DateToStr(EncodeDate(2005, 6, 17))}));

    edit->SetReadOnly(true);
    pressButton(edit->calendarButton(), [](TkcPopup& w) { pickDay(w, 3); });
    EXPECT_EQ(edit->Text(), DateToStr(EncodeDate(2005, 6, 17)));
}

TEST_F(DateEditTest, WithoutAPopupTheButtonDoesNothing) {
    delete popup;
    auto* edit = place<TKingDateDialog>(form.get(), 10, 10);
    auto* dbEdit = placeBound<TDBKingDlg>(form.get(), 10, 40, 113, 21, source, "SEEN");
    table->Open();
    TDialogScript script;  // any window shown would find it empty and raise
    edit->calendarButton()->Click();
    dbEdit->calendarButton()->Click();
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(DateEditTest, EditsKeepTheirMinimumHeightAndTheButtonInsideTheRightEdge) {
    auto* plain = place<TKingDateDialog>(form.get(), 10, 10, 113, 21);
    auto* bound = placeBound<TDBKingDlg>(form.get(), 10, 60, 140, 30, source, "SEEN");
    for (TCustomEdit* edit : {static_cast<TCustomEdit*>(plain), static_cast<TCustomEdit*>(bound)}) {
        edit->SetHeight(4);
        EXPECT_EQ(edit->Height(), minimumEditHeight(*edit->Font()));
        EXPECT_GT(edit->Height(), 16);
    }
    bound->SetHeight(30);
    EXPECT_EQ(bound->Height(), 30);
    TSpeedButton* button = bound->calendarButton();
    EXPECT_EQ(button->Width(), 21);
    EXPECT_EQ(button->Left(), 140 - 21);
    EXPECT_EQ(button->Height(), 30);
    table->Open();
    table->Next();
    show();
    picture(form.get(), "dateedits");
}
