// The schedule window over the fixture company's schedule day 03/10/2026:
// clock order and sorting, the sentinel record, the day notes stored on
// their day, new, edited and deleted items, the item dialog's time check,
// and the three printouts on the PDF printer.
#include <algorithm>

#include "PatientFormSupport.h"
#include "controls/DBKing.h"
#include "controls/KingTool.h"
#include "controls/TheKing.h"
#include "controls/qmdblook.h"
#include "controls/Qmdbgrid.h"
#include "patients/Schedule.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSystem.h"
#include "support/PageImages.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbtable.h"

namespace {

const TDateTime FixtureDay = EncodeDate(2026, 3, 10);

class ScheduleTest : public PatientFormTest {
protected:
    void SetUp() override {
        PatientFormTest::SetUp();
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    }
    TScheduleDlg* openSchedule(TDateTime Day = FixtureDay) {
        if (!opened_) {
            open();
            opened_ = true;
        }
        auto* form = dynamic_cast<TScheduleDlg*>(
            OpenForm(holder.get(), {.ClassName = "TScheduleDlg", .Caption = "&Scheduling", .ReuseVisible = true}));
        EXPECT_NE(form, nullptr);
        goTo(form, Day);
        return form;
    }
    // The calendar moved to the day as the user moves it.
    static void goTo(TScheduleDlg* Form, TDateTime Day) {
        int year = 0, month = 0, day = 0;
        DecodeDate(Day, year, month, day);
        Form->KingCalendar1->SetDay(1);
        Form->KingCalendar1->SetYear(year);
        Form->KingCalendar1->SetMonth(month);
        Form->KingCalendar1->SetDay(day);
    }
    void closeSchedule(TScheduleDlg* Form) {
        Form->Close();
        Application->ProcessMessages();
    }
    // The day's items as the grid lists them: "time resource".
    static std::vector<std::string> items(TScheduleDlg* Form) {
        std::vector<std::string> shown;
        TQmTable* table = Form->ScheduleTable;
        for (table->First(); !table->Eof(); table->Next())
            shown.push_back(table->FieldByName("TIME")->AsString() + " " + table->FieldByName("RESOURCE")->AsString());
        table->First();
        return shown;
    }
    // Prints through one of the window's report runners into a PDF file.
    std::string print(TReportSystem* System, TMenuItem* Item, const std::string& Name) {
        const std::string pdf = pictures.file(Name + ".pdf");
        System->SetSystemSetups({});
        System->SetDefaultDest(rdFile);
        System->SetOutputFileName(pdf);
        Item->Click();
        Application->ProcessMessages();
        if (PdfPageCount(pdf) > 0)
            KeepPicture(RenderPdfPage(pdf, 1, 100), Name);
        return pdf;
    }
    static std::string pdfText(const std::string& Pdf) { return RunTool("pdftotext", {"-layout", Pdf, "-"}); }
    static int occurrences(const std::string& Text, const std::string& Word) {
        int n = 0;
        for (size_t at = Text.find(Word); at != std::string::npos; at = Text.find(Word, at + 1)) ++n;
        return n;
    }
    // Types a note as the user does: into the memo, entering it first.
    static void typeNote(TScheduleDlg* Form, const std::string& Text) {
        Form->DBMemo1Enter(Form->DBMemo1);
        Form->DBMemo1->SetText(Text);
    }
    bool opened_ = false;
    int sentinelCount() {
        const auto dates = column("Schedule.dbf", "DATE");
        return static_cast<int>(std::count_if(dates.begin(), dates.end(), [](const std::string& d) {
            return d.find("2999") != std::string::npos;
        }));
    }
};

TEST_F(ScheduleTest, TheDayListsInClockOrderWithItsNote) {
    TScheduleDlg* form = openSchedule();
    EXPECT_EQ(form->Caption(), "Schedule");
    EXPECT_EQ(form->DayLabel->Caption(), "Tuesday, March 10, 2026");
    EXPECT_EQ(form->DBMemo1->Text(), "Dr. Jones leaves at 3");
    const std::vector<std::string> byTime{"12:15A SMITH, ANNA OD", "09:00A JONES, BEN OD", "12:30P SMITH, ANNA OD",
                                          "01:00P JONES, BEN OD"};
    EXPECT_EQ(items(form), byTime);
    form->SetBounds(0, 0, 720, 560);
    picture(form, "schedule_day");

    form->SortSchedulebyResource1->Click();
    EXPECT_EQ(items(form), (std::vector<std::string>{"09:00A JONES, BEN OD", "01:00P JONES, BEN OD",
                                                     "12:15A SMITH, ANNA OD", "12:30P SMITH, ANNA OD"}));
    form->SortSchedulebyTime1->Click();
    EXPECT_EQ(items(form), byTime);

    // A day without a calendar record: an empty memo and an empty grid.
    goTo(form, EncodeDate(2026, 3, 11));
    EXPECT_EQ(form->DBMemo1->Text(), "");
    EXPECT_TRUE(items(form).empty());
    closeSchedule(form);
}

TEST_F(ScheduleTest, TheCalendarMarksTheDayTheWindowShows) {
    TScheduleDlg* form = openSchedule();
    TKingCalendar* calendar = form->KingCalendar1;
    for (TDateTime day : {FixtureDay, EncodeDate(2026, 3, 31), EncodeDate(2025, 11, 2)}) {
        goTo(form, day);
        const std::string shown = FormatDateTime("dddd, mmmm d, yyyy", day);
        EXPECT_EQ(form->DayLabel->Caption(), shown);
        int year = 0, month = 0, dayOfMonth = 0;
        DecodeDate(day, year, month, dayOfMonth);
        EXPECT_EQ(calendar->dayAt(calendar->Col(), calendar->Row()), dayOfMonth) << shown;
        EXPECT_EQ(form->MonthBar1->markedMonth(), month - 1) << shown;
        EXPECT_EQ(form->KingNavigator1->Buttons(nbToday)->Caption(), "Today") << shown;
    }
    goTo(form, FixtureDay);
    form->SetBounds(0, 0, 720, 560);
    picture(form, "schedule_day_marked");
    closeSchedule(form);
}

TEST_F(ScheduleTest, OneWindowForTheMenuAndTheSpeedButton) {
    TScheduleDlg* form = openSchedule();
    EXPECT_EQ(openSchedule(), form);
    closeSchedule(form);
}

TEST_F(ScheduleTest, TheSentinelIsMadeOnceAndShownOnNoDay) {
    EXPECT_EQ(sentinelCount(), 0);
    TScheduleDlg* form = openSchedule();
    closeSchedule(form);
    EXPECT_EQ(sentinelCount(), 1);
    form = openSchedule(EncodeDate(2999, 1, 1));
    EXPECT_TRUE(items(form).empty());
    closeSchedule(form);
    EXPECT_EQ(sentinelCount(), 1);
}

TEST_F(ScheduleTest, NotesAreStoredOnTheirDayAndThePlaceholderNever) {
    TScheduleDlg* form = openSchedule(EncodeDate(2026, 4, 1));
    EXPECT_EQ(form->DBMemo1->Text(), "");
    // Entering the memo of a day without a record makes one; left empty it shows the placeholder.
    form->DBMemo1Enter(form->DBMemo1);
    form->DBMemo1Exit(form->DBMemo1);
    goTo(form, EncodeDate(2026, 4, 2));
    goTo(form, EncodeDate(2026, 4, 1));
    EXPECT_EQ(form->DBMemo1->Text(), "<Notes>");
    EXPECT_EQ(form->DBMemo1->Font()->Color(), clInactiveCaption);

    // Typed, then the day changed.
    typeNote(form, "Order lens cloths");
    goTo(form, EncodeDate(2026, 4, 2));
    // Typed, then the window closed.
    typeNote(form, "Inventory day");
    closeSchedule(form);

    form = openSchedule(EncodeDate(2026, 4, 1));
    EXPECT_EQ(form->DBMemo1->Text(), "Order lens cloths");
    goTo(form, EncodeDate(2026, 4, 2));
    EXPECT_EQ(form->DBMemo1->Text(), "Inventory day");
    closeSchedule(form);
    const auto notes = column("Calendar.dbf", "NOTE");
    EXPECT_TRUE(std::find(notes.begin(), notes.end(), "<Notes>") == notes.end());
}

TEST_F(ScheduleTest, NewEditAndDeleteItems) {
    TScheduleDlg* form = openSchedule(EncodeDate(2026, 3, 12));
    TDialogScript script;
    // Edit on an empty day acts as New; a time that is no clock time is refused first.
    script.Answer([&](TForm& dialog) {
        auto& item = dynamic_cast<TScheduleItemDlg&>(dialog);
        item.TimeDBEdit->SetText("13:75X");
        item.BitBtn1->Click();
        EXPECT_EQ(item.ModalResult(), mrNone);
        item.TimeDBEdit->SetText("10:45A");
        item.NoteDBEdit->SetText("Walk-in");
        item.BitBtn1->Click();
        EXPECT_EQ(item.ModalResult(), mrOk);
    });
    script.Answer(mrOk);  // the message about the time
    form->EditBitBtn->Click();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Text, "The time must be a clock time, for example 09:15A.");
    EXPECT_EQ(items(form), std::vector<std::string>{"10:45A "});

    // A blank time is allowed.
    script.Answer([](TForm& dialog) { dynamic_cast<TScheduleItemDlg&>(dialog).BitBtn1->Click(); });
    form->NewBitBtn->Click();
    EXPECT_EQ(items(form).size(), 2u);

    form->DeleteBitBtn->Click();
    form->DeleteBitBtn->Click();
    EXPECT_TRUE(items(form).empty());
    // Nothing left: Delete does nothing.
    form->DeleteBitBtn->Click();
    closeSchedule(form);
    EXPECT_EQ(script.Unanswered(), 0u);
}

TEST_F(ScheduleTest, TheItemDialogWithItsPatientDropDown) {
    TScheduleDlg* form = openSchedule();
    TDialogScript script;
    script.Answer([&](TForm& dialog) {
        auto& item = dynamic_cast<TScheduleItemDlg&>(dialog);
        EXPECT_EQ(item.Caption(), "Edit Schedule Item");
        EXPECT_EQ(item.TimeDBEdit->Text(), "12:15A");
        EXPECT_FALSE(item.DateDBKingDlg->TabStop());
        item.ClientDBLookupCombo->DropDown();
        EXPECT_TRUE(item.ClientDBLookupCombo->DroppedDown());
        picture(&item, "schedule_item");
        picture(item.ClientDBLookupCombo->PopupGrid(), "schedule_item_patients");
        item.ClientDBLookupCombo->CloseUp(false);
        item.BitBtn1->Click();
    });
    form->EditBitBtn->Click();
    EXPECT_EQ(script.Unanswered(), 0u);
    closeSchedule(form);
}

TEST_F(ScheduleTest, ThePrintedNote) {
    TScheduleDlg* form = openSchedule();
    const std::string text = pdfText(print(form->ReportSystem1, form->Notes1, "schedule_notes"));
    EXPECT_NE(text.find("Calendar Notes"), std::string::npos) << text;
    EXPECT_NE(text.find("March 10, 2026"), std::string::npos) << text;
    EXPECT_NE(text.find("Dr. Jones leaves at 3"), std::string::npos) << text;
    closeSchedule(form);
}

TEST_F(ScheduleTest, ListsByResourceAndByTimeKeepTheGridsOrder) {
    TScheduleDlg* form = openSchedule();
    form->SortSchedulebyResource1->Click();
    std::string text = pdfText(print(form->ReportSystem3, form->Time, "schedule_by_time"));
    EXPECT_NE(text.find("Page 1"), std::string::npos) << text;
    EXPECT_LT(text.find("12:15A"), text.find("09:00A")) << text;
    EXPECT_LT(text.find("12:30P"), text.find("01:00P")) << text;
    EXPECT_EQ(form->ScheduleTable->IndexName(), "Resource");
    EXPECT_TRUE(form->ScheduleDBGrid->Visible());

    form->SortSchedulebyTime1->Click();
    for (const char* name : {"schedule_by_resource", "schedule_by_resource_again"}) {
        text = pdfText(print(form->ReportSystem2, form->Resource, name));
        EXPECT_EQ(occurrences(text, "JONES, BEN OD"), 1) << text;
        EXPECT_EQ(occurrences(text, "SMITH, ANNA OD"), 1) << text;
        EXPECT_LT(text.find("JONES, BEN OD"), text.find("Contact lens check")) << text;
    }
    EXPECT_EQ(form->ScheduleTable->IndexName(), "Date");
    EXPECT_EQ(items(form).size(), 4u);
    closeSchedule(form);
}

TEST_F(ScheduleTest, SixtyItemsTakeASecondPage) {
    std::vector<CompanyFixture::Row> many;
    for (int i = 0; i < 60; ++i) {
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02dA", 1 + i / 6, (i % 6) * 10);
        many.push_back({{"DATE", "20260320"}, {"TIME", time}, {"ALLOT", "00:10"}, {"RESOURCE", "SMITH, ANNA OD"},
                        {"CLIENT", "DOE, JANE"}, {"NOTE", "Item " + std::to_string(i + 1)}});
    }
    CompanyFixture::AppendRows(company.DataDirectory(), "Schedule.dbf", many);
    TScheduleDlg* form = openSchedule(EncodeDate(2026, 3, 20));
    for (auto [system, item, name] : {std::tuple{form->ReportSystem3, form->Time, "schedule_60_by_time"},
                                      std::tuple{form->ReportSystem2, form->Resource, "schedule_60_by_resource"}}) {
        const std::string pdf = print(system, item, name);
        EXPECT_EQ(PdfPageCount(pdf), 2) << name;
        const std::string text = pdfText(pdf);
        EXPECT_NE(text.find("Page 2"), std::string::npos) << text;
        EXPECT_NE(text.find("Item 60"), std::string::npos) << text;
    }
    closeSchedule(form);
}

}  // namespace
