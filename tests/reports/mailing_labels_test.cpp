// Birthday and patient labels on the 30-up address sheet: who gets a label,
// in which place, with which lines; the birthday title on every sheet;
// the ink of the printed page inside each label; the shared patient table
// found as it was left.
#include <gtest/gtest.h>

#include <algorithm>

#include "MailingRun.h"
#include "base/Classes.h"
#include "base/DateTime.h"
#include "controls/TheKing.h"
#include "data/DbTables.h"
#include "reporting/RSLabel.h"
#include "reporting/RSSystem.h"
#include "reports/BDLabel.h"
#include "reports/PrintPatientLabels.h"
#include "reports/ReportForms.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

using Lines = std::vector<std::string>;

const Lines CarterLines = {"Carter", "12 Elm St", "Springfield, IL  62701"};
const Lines DixonLines = {"Dixon", "Salem, OR  97301"};    // no street: two lines
const Lines EvansLines = {"Evans", "9 Oak Ave", "Dover  19901"};  // no state

// Ink boxes of a printed page, each inside the inset rectangle of one label;
// the labels (row, column) that carry ink.
std::vector<std::pair<int, int>> CheckInkInsideLabels(const QImage& Page, int Dpi) {
    std::vector<std::pair<int, int>> inked;
    for (const TRect& box : InkBoxes(Page)) {
        const double x = static_cast<double>(box.Left) / Dpi, y = static_cast<double>(box.Top) / Dpi;
        const int column = static_cast<int>((x - 0.188) / 2.75) + 1, row = static_cast<int>((y - 0.5) / 1.0) + 1;
        const TRect area = LabelArea(row, column, Dpi);
        EXPECT_TRUE(area.Contains(box.TopLeft()) && box.Right <= area.Right && box.Bottom <= area.Bottom)
            << RectText(box) << " outside label " << row << "," << column << " " << RectText(area);
        if (inked.empty() || inked.back() != std::pair{row, column}) inked.emplace_back(row, column);
    }
    std::sort(inked.begin(), inked.end());
    inked.erase(std::unique(inked.begin(), inked.end()), inked.end());
    return inked;
}

class BirthdayLabelsTest : public MailingTest {
protected:
    TBirthDayLabelsForm* open(TDateTime Day) {
        form = CreateForm<TBirthDayLabelsForm>(nullptr);
        form->KingCalendar1->SetCalendarDate(Day);
        return form;
    }
    void TearDown() override {
        if (form) form->Close();
        MailingTest::TearDown();
    }
    TBirthDayLabelsForm* form = nullptr;
};

TEST_F(BirthdayLabelsTest, TheTitleAndEveryPatientBornOnTheDayInAnyYear) {
    open(EncodeDate(2024, 5, 8));
    const ReportPages pages = CaptureReport([this] { form->OKBitBtn1->Click(); });
    ASSERT_EQ(pages.PageCount, 1);
    const auto labels = LabelTexts(pages);
    const std::map<LabelPlace, Lines> expected = {{{1, 1, 1}, {"Birthday(s)  on  May 8"}},
                                                  {{1, 1, 2}, CarterLines},
                                                  {{1, 1, 3}, DixonLines},
                                                  {{1, 2, 1}, EvansLines}};
    EXPECT_EQ(labels, expected);
    EXPECT_FALSE(form->Table1->Active()) << "the form's table is open only during a run";
}

TEST_F(BirthdayLabelsTest, ADoubleClickOnADayWithoutBirthdaysPrintsTheTitleOnly) {
    open(EncodeDate(2024, 6, 1));
    const ReportPages pages = CaptureReport([this] { form->KingCalendar1->OnDblClick(form->KingCalendar1); });
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_EQ(pages.Texts(), (Lines{"Birthday(s)  on  June 1"}));
}

TEST_F(BirthdayLabelsTest, PrintedLabelsStayInsideTheirRectangles) {
    open(EncodeDate(2024, 5, 8));
    const std::string pdf = ReportOutputFile("birthday_labels.pdf");
    PrintReportToPdf([this] { form->OKBitBtn1->Click(); }, pdf);
    ASSERT_EQ(PdfPageCount(pdf), 1);
    const QImage page = RenderPdfPage(pdf, 1, 100);
    KeepPicture(page, "birthday_labels");
    EXPECT_EQ(CheckInkInsideLabels(page, 100), (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 3}, {2, 1}}));
    // The title starts at the label's inset, on its first line.
    const TRect title = InkBounds(page, LabelArea(1, 1, 100));
    EXPECT_NEAR(title.Left, (0.188 + 0.2) * 100, 3);
    EXPECT_LT(title.Top, (0.5 + 0.2 + 0.25) * 100);
}

class ThirtyBirthdaysTest : public BirthdayLabelsTest {
protected:
    void SetUp() override {
        extraBirthdays = 27;
        BirthdayLabelsTest::SetUp();
    }
};

TEST_F(ThirtyBirthdaysTest, EverySheetOpensWithTheTitleAndHolds29Patients) {
    open(EncodeDate(2024, 5, 8));
    const ReportPages pages = CaptureReport([this] { form->OKBitBtn1->Click(); });
    ASSERT_EQ(pages.PageCount, 2);
    const auto labels = LabelTexts(pages);
    int onFirst = 0, onSecond = 0;
    for (const auto& [place, lines] : labels) {
        const auto [page, row, column] = place;
        const bool title = row == 1 && column == 1;
        EXPECT_EQ(title, lines.front().rfind("Birthday(s)  on  May 8", 0) == 0) << page << row << column;
        if (!title) ++(page == 1 ? onFirst : onSecond);
    }
    EXPECT_EQ(onFirst, 29);
    EXPECT_EQ(onSecond, 1);
    EXPECT_EQ(labels.at({2, 1, 2}).front(), "Mayfield 27");
}

class PatientLabelsTest : public MailingTest {
protected:
    void SetUp() override {
        extraBirthdays = 23;  // 30 patients with a name, then one without
        MailingTest::SetUp();
    }
};

TEST_F(PatientLabelsTest, EveryNamedPatientInNameOrderAndTheTableAsItWas) {
    TTable& patients = *module->PatientTable;
    patients.SetIndexName("ID");
    ASSERT_TRUE(module->Xbase1->Seek("2"));
    auto* dialog = CreateForm<TPrintPatientLabelsDlg>(nullptr);
    const ReportPages pages = CaptureReport([dialog] { dialog->OKBtn->Click(); });
    dialog->Close();

    ASSERT_EQ(pages.PageCount, 1) << "no sheet after the last patient with a name";
    const auto labels = LabelTexts(pages);
    ASSERT_EQ(labels.size(), 30u);
    const auto at = [&labels](int Row, int Column) { return labels.at({1, Row, Column}); };
    EXPECT_EQ(at(1, 1), (Lines{"Adams"}));  // nothing but a name
    EXPECT_EQ(at(1, 2), (Lines{"Baker"}));
    EXPECT_EQ(at(1, 3), CarterLines);
    EXPECT_EQ(at(2, 1), DixonLines);
    EXPECT_EQ(at(2, 2), EvansLines);
    EXPECT_EQ(at(3, 2).front(), "Mayfield 01");
    EXPECT_EQ(at(10, 3).front(), "Mayfield 23");

    EXPECT_EQ(patients.IndexName(), "ID");
    EXPECT_EQ(patients.FieldByName("NAME")->AsString(), "Baker");
}

TEST_F(PatientLabelsTest, PrintedLabelsFillTheSheetInsideTheirRectangles) {
    auto* dialog = CreateForm<TPrintPatientLabelsDlg>(nullptr);
    const std::string pdf = ReportOutputFile("patient_labels.pdf");
    PrintReportToPdf([dialog] { dialog->OKBtn->Click(); }, pdf);
    dialog->Close();
    ASSERT_EQ(PdfPageCount(pdf), 1);
    const QImage page = RenderPdfPage(pdf, 1, 100);
    KeepPicture(page, "patient_labels");
    EXPECT_EQ(CheckInkInsideLabels(page, 100).size(), 30u);
}

TEST_F(PatientLabelsTest, TheDialogsArePictured) {
    auto* dialog = CreateForm<TPrintPatientLabelsDlg>(nullptr);
    EXPECT_EQ(dialog->Caption(), "Patient Labels");
    EXPECT_EQ(dialog->Labels->LabelBrand(), lbAV5260);
    EXPECT_EQ(dialog->ReportSystem1->SystemPreview()->ShadowDepth(), 2);
    renderToPng(dialog, ReportOutputFile("patient_labels_dialog.png"));
    dialog->Close();
    auto* birthdays = CreateForm<TBirthDayLabelsForm>(nullptr);
    EXPECT_EQ(birthdays->KingCalendar1->Hint(), "DoubleClick on Day to print labels");
    renderToPng(birthdays, ReportOutputFile("birthday_labels_form.png"));
    birthdays->Close();
}

TEST(MailingFormRegistry, TheMenusLabelFormsAreRegistered) {
    registerReportForms();
    for (const char* name : {"TBirthDayLabelsForm", "TPrintRecallLabelsDlg", "TPrintPatientLabelsDlg"})
        EXPECT_NE(GetClass(name), nullptr) << name;
}

}  // namespace
