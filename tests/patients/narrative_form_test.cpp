// The exam narrative form, opened directly as nothing in the program opens
// it: it edits the exam's NARRATIVE number as text, leaves it alone when
// nothing was typed, and refuses text that is no number.
#include "PatientFormSupport.h"
#include "base/Exceptions.h"
#include "patients/NarrativeForm.h"
#include "richtext/RtRuler.h"
#include "richtext/RtTbar.h"
#include "richtext/Rtdbrich.h"

namespace {

class NarrativeFormTest : public PatientFormTest {
protected:
    // Patient 1's exam 7 with NARRATIVE 12.
    void openExam() {
        open();
        moveTo(1);
        module->IncidentTable->SetIndexName("ID");
        ASSERT_TRUE(module->IncidentXbase->Seek("         1   7"));
        exams()->Edit();
        exams()->FieldByName("NARRATIVE")->SetAsInteger(12);
        exams()->Post();
    }
    std::string storedNarrative() { return column("Incident.dbf", "NARRATIVE")[2]; }
};

TEST_F(NarrativeFormTest, OpenedAndClosedItLeavesTheNumberAsItWas) {
    openExam();
    const std::string before = fileBytes("Incident.dbf");
    TNarrativeForm* form = CreateForm<TNarrativeForm>(holder.get());
    EXPECT_EQ(form->Caption(), "Narrative");
    EXPECT_EQ(form->DBRtRichText1->RtRuler(), form->RtRuler1);
    EXPECT_EQ(form->DBRtRichText1->RtToolBar(), form->RtToolBar1);
    form->Show();
    Application->ProcessMessages();
    EXPECT_EQ(exams()->State(), dsEdit);
    picture(form, "narrative_form");
    form->Close();
    Application->ProcessMessages();
    EXPECT_EQ(exams()->State(), dsBrowse);
    EXPECT_EQ(storedNarrative(), "12");
    EXPECT_EQ(fileBytes("Incident.dbf"), before);
}

TEST_F(NarrativeFormTest, TextThatIsNoNumberIsRefusedAndNothingStored) {
    openExam();
    TNarrativeForm* form = CreateForm<TNarrativeForm>(holder.get());
    form->Show();
    Application->ProcessMessages();
    form->DBRtRichText1->SetFocus();
    // Letters are refused as they are typed; signs and points are not, so
    // "12" with two more minus signs is typed, and does not convert.
    for (char c : std::string("a--"))
        form->DBRtRichText1->SendChar(c);
    std::string refusal;
    try {
        form->Close();
    } catch (const Exception& e) {
        refusal = e.what();
    }
    EXPECT_NE(refusal.find("is not a valid"), std::string::npos) << refusal;
    Application->ProcessMessages();
    EXPECT_TRUE(form->Visible()) << "the form stays open with the text";
    EXPECT_EQ(storedNarrative(), "12");
    exams()->Cancel();
    form->Close();
    Application->ProcessMessages();
    EXPECT_EQ(storedNarrative(), "12");
}

}  // namespace
