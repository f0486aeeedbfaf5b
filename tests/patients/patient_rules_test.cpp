// The patient record's rules without a window: age, padding and the exam
// scope, and the start position of the label dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/DateTime.h"
#include "patients/LabelRowCol.h"
#include "patients/PatientRules.h"

namespace {

std::string DateText(int Year, int Month, int Day) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", Month, Day, Year);
    return text;
}

TEST(PatientRules, TheAgeCaptionCountsWholeYearsAndShowsNothingForNone) {
    const TDateTime today = EncodeDate(2026, 6, 15);
    struct Case {
        std::string Text;
        bool Shown;
        std::string Caption;
    };
    const Case cases[] = {
        {DateText(1986, 6, 16), true, "Age:39"},  // birthday tomorrow, 40 years back
        {DateText(1986, 6, 15), true, "Age:40"},  // today
        {DateText(1986, 6, 14), true, "Age:40"},  // yesterday
        {DateText(1986, 7, 1), true, "Age:39"},   // a later month
        {DateText(2026, 1, 2), true, ""},         // this year: 0 shows nothing
        {"  /  /    ", true, ""},                 // a blank date of full length
        {"", false, ""},                          // empty: the caption keeps its text
        {"6/15/1986", false, ""},                 // 9 characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        std::string caption = "unchanged";
        EXPECT_EQ(ageCaption(c.Text, today, caption), c.Shown);
        EXPECT_EQ(caption, c.Shown ? c.Caption : "unchanged");
    }
}

TEST(PatientRules, PaddingAndTheExamScopeHoldOnePatientsExams) {
    EXPECT_EQ(PadLeft("7", 10), "         7");
    EXPECT_EQ(PadLeft("12345678901", 10), "12345678901");
    EXPECT_EQ(examScopeLow("7"), "         7   0");
    EXPECT_EQ(examScopeHigh("7"), "         79999");
}

TEST(LabelStart, BlankOrZeroReadsAsOneAndTheSlotCountsAcross) {
    EXPECT_EQ(labelStartFromText("3 "), 3);
    EXPECT_EQ(labelStartFromText("12"), 12);
    for (const char* first : {"  ", "", "0 ", "00"})
        EXPECT_EQ(labelStartFromText(first), 1) << "'" << first << "'";
    // The chart labels are 2 across, the shelf labels 4.
    EXPECT_EQ(firstLabelSlot(3, 2, 2), 6);
    EXPECT_EQ(firstLabelSlot(1, 1, 2), 1);
    EXPECT_EQ(firstLabelSlot(2, 3, 4), 7);
}

}  // namespace
