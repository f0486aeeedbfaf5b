// The date-range family's window and rules: the range of each combo choice,
// typed dates rewritten on Enter or Tab, dates that do not convert stopping
// OK before any scope, the filter text, and the window itself.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "base/Exceptions.h"
#include "reports/DateRange.h"
#include "reports/ReportForms.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSSetFrm.h"
#include "base/Classes.h"
#include "reports/SalesByDay.h"
#include "reports/SalesByDaySummary.h"
#include "reports/TransactionByDate.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"
#include "xbengine/XbCodes.h"

#include <cmath>

namespace {

class DateRangeFormTest : public ReportFormTest {};

std::string text(TDateTime Date) { return DateRange::EditText(Date); }

}  // namespace

TEST(DateRangeRules, EachChoiceGivesItsRange) {
    struct Case {
        const char* choice;
        TDateTime today;
        const char* from;
        const char* thru;
    };
    const Case cases[] = {
        {"Today", EncodeDate(2024, 3, 15), "03/15/2024", "03/15/2024"},
        {"Yesterday", EncodeDate(2024, 3, 1), "02/29/2024", "02/29/2024"},
        {"This Month", EncodeDate(2024, 2, 10), "02/01/2024", "02/29/2024"},
        {"This Month", EncodeDate(2023, 2, 10), "02/01/2023", "02/28/2023"},
        {"Last Month", EncodeDate(2024, 1, 15), "12/01/2023", "12/31/2023"},
        {"Last Month", EncodeDate(2024, 3, 31), "02/01/2024", "02/29/2024"},
        {"This Year", EncodeDate(2024, 7, 4), "01/01/2024", "12/31/2024"},
        {"Last Year", EncodeDate(2024, 1, 1), "01/01/2023", "12/31/2023"},
        {"this month", EncodeDate(2024, 2, 10), "02/10/2024", "02/10/2024"},
        {"", EncodeDate(2024, 2, 10), "02/10/2024", "02/10/2024"},
        {"Today ", EncodeDate(2024, 2, 10) + 0.75, "02/10/2024", "02/10/2024"},
    };
    for (const Case& c : cases) {
        const auto [from, thru] = DateRange::forChoice(c.choice, c.today);
        EXPECT_EQ(text(from), c.from) << c.choice << " " << text(c.today);
        EXPECT_EQ(text(thru), c.thru) << c.choice << " " << text(c.today);
        EXPECT_EQ(from, std::floor(from)) << "a range starts at midnight";
    }
}

TEST(DateRangeRules, TheFilterTextHasNoBlankBeforeAnd) {
    EXPECT_EQ(DateRange::filterText("20240314", "20240315"),
              "DTOS(date) >=\"20240314\".and. DTOS(date) <=\"20240315\"");
}

TEST_F(DateRangeFormTest, TheComboFillsBothEditsAndCalendars) {
    auto* f = open<TSalesByDayReport>();
    EXPECT_EQ(f->DateRangeComboBox->Text(), "Today");
    EXPECT_EQ(f->FromKingDateDialog->Text(), "03/15/2024");
    f->DateRangeComboBox->SetText("Last Month");
    f->DateRangeComboBoxChange(f->DateRangeComboBox);
    EXPECT_EQ(f->FromKingDateDialog->Text(), "02/01/2024");
    EXPECT_EQ(f->ThruKingDateDialog->Text(), "02/29/2024");
    EXPECT_EQ(f->KingPopup1->PopupDate(), EncodeDate(2024, 2, 1));
    EXPECT_EQ(f->KingPopup2->PopupDate(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(f->KingPopup1->AlignSource(), f->FromKingDateDialog);
    EXPECT_EQ(f->KingPopup2->AlignSource(), f->FromKingDateDialog);
}

TEST_F(DateRangeFormTest, EnterOrTabRewritesTheTypedDateAndOtherKeysPass) {
    auto* f = open<TSalesByDayReport>();
    struct Case {
        char key;
        bool swallowed;
    };
    for (const Case c : {Case{13, true}, Case{9, true}, Case{'5', false}}) {
        f->ThruKingDateDialog->SetText("3/5/24");
        char key = c.key;
        f->ThruKingDateDialogKeyPress(f->ThruKingDateDialog, key);
        EXPECT_EQ(key, c.swallowed ? 0 : c.key);
        EXPECT_EQ(f->ThruKingDateDialog->Text(), c.swallowed ? "03/05/2024" : "3/5/24");
        if (c.swallowed) EXPECT_EQ(f->KingPopup2->PopupDate(), EncodeDate(2024, 3, 5));
    }
}

TEST_F(DateRangeFormTest, ADateThatDoesNotConvertStopsOkBeforeAnyScope) {
    for (const char* bad : {"13/45/2024", "abc", ""}) {
        for (bool badFrom : {true, false}) {
            auto* f = open<TSalesByDayReport>();
            f->FromKingDateDialog->SetText(badFrom ? bad : "3/14/2024");
            f->ThruKingDateDialog->SetText(badFrom ? "03/15/2024" : bad);
            TDialogScript script;
            EXPECT_THROW(f->BitBtn1->Click(), EConvertError) << bad;
            EXPECT_TRUE(script.Shown().empty()) << "no report window for " << bad;
            std::string low, high;
            f->Xbase1->GetScope(XB_SCOPE_LOW, low);
            f->Xbase1->GetScope(XB_SCOPE_HIGH, high);
            EXPECT_EQ(low + high, "") << bad;
            // From is rewritten before Thru is read.
            if (!badFrom) EXPECT_EQ(f->FromKingDateDialog->Text(), "03/14/2024");
        }
    }
}

TEST_F(DateRangeFormTest, TheWindowsArePicturedAsTheyOpen) {
    auto* detail = open<TSalesByDayReport>();
    EXPECT_EQ(detail->Width(), 253);
    EXPECT_EQ(detail->Height(), 173);
    EXPECT_EQ(detail->Position(), poScreenCenter);
    renderToPng(detail, ReportOutputFile("sales_by_day_form.png"));
    renderToPng(open<TSalesByDaySummaryReport>(), ReportOutputFile("sales_by_day_summary_form.png"));
    renderToPng(open<TTransactionByDateReport>(), ReportOutputFile("transactions_by_date_form.png"));
    EXPECT_EQ(form->Caption(), "Transactions by Date");
}

TEST_F(DateRangeFormTest, OkAgainOrACloseDuringARunDoesNothing) {
    auto* f = open<TSalesByDayReport>();
    f->FromKingDateDialog->SetText("03/14/2024");
    f->ThruKingDateDialog->SetText("03/15/2024");
    TDialogScript script;
    script.Answer([](TForm& setup) { dynamic_cast<TRSSetupForm&>(setup).OKBB->Click(); });
    script.Answer([f](TForm& preview) {
        f->BitBtn1->Click();
        f->Close();
        dynamic_cast<TRSPreviewForm&>(preview).SBDone->Click();
    });
    f->BitBtn1->Click();
    Application->ProcessMessages();
    EXPECT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Unanswered(), 0u);
    EXPECT_TRUE(f->Table1->Active()) << "the form was closed under its run";
}

TEST(ReportFormRegistry, EveryFormOfTheMenuIsRegistered) {
    registerReportForms();
    for (const char* name :
         {"TSalesByDayReport", "TSalesByDaySummaryReport", "TTransactionByDateReport", "TPaymentsByDayReport"})
        EXPECT_NE(GetClass(name), nullptr) << name;
}
