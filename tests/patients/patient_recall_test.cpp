// The recall list of a patient and the recall date dialog over the fixture
// company's recall table: the patient's scope, the buttons that follow it,
// deleted recalls kept and reused, and Cancel storing nothing.
#include <functional>

#include "PatientFormSupport.h"
#include "controls/KingTool.h"
#include "controls/TheKing.h"
#include "patients/PatientRecall.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"

namespace {

class PatientRecallTest : public PatientFormTest {
protected:
    TPatientRecallDlg* openRecalls(int PatientID) {
        open();
        moveTo(PatientID);
        auto* list = CreateForm<TPatientRecallDlg>(holder.get());
        list->Show();
        return list;
    }
    // Answers the next date dialog with this date and reason, or with Cancel.
    void answerDate(TDialogScript& Script, TDateTime Date, const std::string& Reason, bool Cancel = false,
                    const std::string& Picture = "") {
        Script.Answer([=, this](TForm& dialog) {
            auto& date = dynamic_cast<TRecallDateDlg&>(dialog);
            date.KingCalendar1->SetCalendarDate(Date);
            date.KingCalendar1->layOut();
            date.ReasonComboBox->SetText(Reason);
            if (!Picture.empty())
                picture(&date, Picture);
            (Cancel ? date.CancelBtn : date.OKbtn)->Click();
        });
    }
    struct Recall {
        std::string PatientID, Name, Date, Reason;
        bool operator==(const Recall&) const = default;
    };
    std::vector<Recall> recallFile() {
        const auto ids = column("Recall.dbf", "PATIENTID");
        const auto names = column("Recall.dbf", "NAME");
        const auto dates = column("Recall.dbf", "DATE");
        const auto reasons = column("Recall.dbf", "REASON");
        std::vector<Recall> all;
        // Opening the table adds the recall sentinel; it is not a recall.
        for (size_t i = 0; i < ids.size(); ++i)
            if (ids[i] != "9999999999")
                all.push_back({ids[i], names[i], dates[i], reasons[i]});
        return all;
    }
};

TEST_F(PatientRecallTest, ListShowsThePatientsRecallsOnly) {
    TPatientRecallDlg* list = openRecalls(1);
    EXPECT_EQ(list->Caption(), "Patient Recall - DOE, JANE");
    EXPECT_EQ(module->RecallXbase->Count(), 2);
    EXPECT_TRUE(list->EditBtn->Enabled());
    EXPECT_TRUE(list->DeleteBtn->Enabled());
    EXPECT_EQ(module->RecallTable->FieldByName("REASON")->AsString(), "Eye Exam");
    picture(list, "recall_list");
    list->Close();
    EXPECT_FALSE(module->RecallTable->Active());
}

TEST_F(PatientRecallTest, NewRecallEnablesEditAndDeleteAndStoresTheIndexedName) {
    TPatientRecallDlg* list = openRecalls(2);
    EXPECT_EQ(list->Caption(), "Patient Recall - ROE, RICHARD");
    EXPECT_EQ(module->RecallXbase->Count(), 0);
    EXPECT_FALSE(list->EditBtn->Enabled());
    EXPECT_FALSE(list->DeleteBtn->Enabled());

    TDialogScript script;
    answerDate(script, EncodeDate(2027, 6, 1), "Spectacles Exam", false, "recall_date");
    list->NewBtn->Click();
    EXPECT_EQ(script.Unanswered(), 0u);
    EXPECT_TRUE(list->EditBtn->Enabled());
    EXPECT_TRUE(list->DeleteBtn->Enabled());
    // The list keeps the patient's scope after storing.
    EXPECT_EQ(module->RecallXbase->Count(), 1);
    list->Close();

    const auto all = recallFile();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2], (Recall{"2", "ROE, RICHARD", "20270601", "Spectacles Exam"}));
}

TEST_F(PatientRecallTest, DeletedRecallIsKeptThenReusedByAnotherPatientsNew) {
    TPatientRecallDlg* list = openRecalls(2);
    TDialogScript script;
    answerDate(script, EncodeDate(2027, 6, 1), "Eye Exam");
    list->NewBtn->Click();
    list->DeleteBtn->Click();
    EXPECT_FALSE(list->EditBtn->Enabled());
    EXPECT_FALSE(list->DeleteBtn->Enabled());
    list->Close();
    auto all = recallFile();
    ASSERT_EQ(all.size(), 3u);
    // Cleared, the date kept, the patient an explicit 0.
    EXPECT_EQ(all[2], (Recall{"0", "", "20270601", ""}));

    list = openRecalls(3);
    answerDate(script, EncodeDate(2028, 2, 3), "Contact Lens Exam");
    list->NewBtn->Click();
    EXPECT_EQ(script.Unanswered(), 0u);
    list->Close();
    all = recallFile();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2], (Recall{"3", "POE, EDGAR", "20280203", "Contact Lens Exam"}));
}

TEST_F(PatientRecallTest, CancelStoresNothing) {
    const auto before = [&] {
        open();
        return recallFile();
    }();
    TPatientRecallDlg* list = openRecalls(1);
    TDialogScript script;
    answerDate(script, EncodeDate(2030, 1, 1), "Spectacles Exam", true);
    list->NewBtn->Click();
    answerDate(script, EncodeDate(2030, 1, 1), "Spectacles Exam", true);
    list->EditBtn->Click();
    EXPECT_EQ(script.Unanswered(), 0u);
    list->Close();
    EXPECT_EQ(recallFile(), before);
}

TEST_F(PatientRecallTest, EditChangesTheCurrentRecallInPlace) {
    TPatientRecallDlg* list = openRecalls(1);
    TDialogScript script;
    script.Answer([&](TForm& dialog) {
        auto& date = dynamic_cast<TRecallDateDlg&>(dialog);
        // The dialog opens on the recall's own date and reason.
        EXPECT_EQ(date.Mode(), "Edit");
        EXPECT_EQ(FormatDateTime("yyyymmdd", date.KingCalendar1->CalendarDate()), "20260315");
        EXPECT_EQ(date.ReasonComboBox->Text(), "Eye Exam");
        date.KingCalendar1->SetCalendarDate(EncodeDate(2026, 4, 20));
        date.OKbtn->Click();
    });
    list->EditBtn->Click();
    list->Close();
    const auto all = recallFile();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], (Recall{"1", "DOE, JANE", "20260420", "Eye Exam"}));
}

TEST_F(PatientRecallTest, TheCalendarMarksTheRecallsDayAndNothingShowsAnotherDay) {
    TPatientRecallDlg* list = openRecalls(1);
    TDialogScript script;
    script.Answer([&](TForm& dialog) {
        auto& date = dynamic_cast<TRecallDateDlg&>(dialog);
        TKingCalendar* calendar = date.KingCalendar1;
        struct Case {
            const char* step;
            std::function<void()> act;
            const char* shown;
        };
        const Case cases[] = {
            {"opened", [] {}, "20260315"},
            {"a year ahead", [&] { date.KingNavigator1->Buttons(nbNextYear)->Click(); }, "20270315"},
            {"a month back", [&] { date.KingNavigator1->Buttons(nbPrevMonth)->Click(); }, "20270215"},
        };
        for (const Case& c : cases) {
            c.act();
            EXPECT_EQ(FormatDateTime("yyyymmdd", calendar->CalendarDate()), c.shown) << c.step;
            EXPECT_EQ(calendar->dayAt(calendar->Col(), calendar->Row()), 15) << c.step << ": the day marked";
            EXPECT_EQ(date.KingNavigator1->Buttons(nbToday)->Caption(), "Today") << c.step;
        }
        picture(&date, "recall_date_a_year_ahead");
        date.CancelBtn->Click();
    });
    list->EditBtn->Click();
    list->Close();
}

}  // namespace
