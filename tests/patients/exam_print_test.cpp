// The printed exam record behind the patient form's "Patient &Exam": the
// previous exam's prescriptions from the record before the current one,
// the exam engine back where it stood, the age, and the notes running on
// over further pages without losing a line. Positions are read from the
// report stream (inches from the paper's edge); the notes also through
// pdftotext of the PDF printer's file.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>

#include "PatientFormSupport.h"
#include "patients/PatientRules.h"
#include "reporting/RSDevice.h"
#include "support/PageImages.h"
#include "support/ReportPages.h"
#include "ui/Menus.h"

namespace {

// The form's corner on the paper.
constexpr double FormLeft = 0.375;
constexpr double FormTop = 0.375;

class ExamPrintTest : public PatientFormTest {
protected:
    void SetUp() override {
        PatientFormTest::SetUp();
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        open();
    }

    // Patient's exam Exam made current, as the exam selector leaves it.
    void chooseExam(int Patient, int Exam) {
        ASSERT_TRUE(module->IncidentXbase->Seek(PadLeft(std::to_string(Patient), 10) +
                                                PadLeft(std::to_string(Exam), 4)));
        ASSERT_EQ(examID(), Exam);
    }
    void setExam(int Patient, int Exam, std::initializer_list<std::pair<const char*, std::string>> Values) {
        exams()->SetIndexName("ID");
        chooseExam(Patient, Exam);
        exams()->Edit();
        for (const auto& [field, value] : Values)
            exams()->FieldByName(field)->SetAsString(value);
        exams()->Post();
    }
    void setPatient(int ID, const char* Field, const std::string& Value) {
        moveTo(ID);
        patients()->Edit();
        patients()->FieldByName(Field)->SetAsString(Value);
        patients()->Post();
    }
    ReportPages capture(TPatientInfoDlg* Form) {
        return CaptureReport([&] { Form->PatientInformation1->Click(); });
    }

    // The texts printed on a page at a place of the form (inches from its corner).
    static std::vector<std::string> textsAt(const ReportPages& Pages, double X, double Y, int Page = 1) {
        std::vector<std::string> texts;
        for (const ReportTextItem& item : Pages.On(Page))
            if (std::abs(item.Left - (FormLeft + X)) < 0.02 && std::abs(item.Baseline - (FormTop + Y)) < 0.02)
                texts.push_back(item.Text);
        return texts;
    }
    // Every text of page 1 starting in a box of the form (inches from its
    // corner), its baseline in (Y1, Y2].
    static std::vector<std::string> textsIn(const ReportPages& Pages, double X1, double Y1, double X2, double Y2) {
        std::vector<std::string> texts;
        for (const ReportTextItem& item : Pages.On(1))
            if (item.Left >= FormLeft + X1 - 0.01 && item.Left < FormLeft + X2 && item.Baseline > FormTop + Y1 &&
                item.Baseline <= FormTop + Y2)
                texts.push_back(item.Text);
        return texts;
    }
    using Texts = std::vector<std::string>;
};

// Line N of the long note.
std::string finding(int N) {
    char line[40];
    std::snprintf(line, sizeof line, "Finding %03d, both eyes clear", N);
    return line;
}

TEST_F(ExamPrintTest, ThePreviousBandShowsTheExamBeforeTheCurrentAndTheEngineStaysOnTheCurrent) {
    setExam(1, 1, {{"SR_SPHERE", "+0.50"}, {"CL_SPHERE", "-2.50"}, {"DOCTOR", "JONES, BEN OD"}});
    setExam(1, 2, {{"SR_SPHERE", "+0.75"}, {"CL_SPHERE", "-3.00"}, {"DOCTOR", "SMITH, ANNA OD"}});
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    ASSERT_EQ(examID(), 7);
    struct Case {
        int Current;
        // The previous band: exam date, doctor, OD sphere, OS contact-lens sphere.
        Texts Date, Doctor, Sphere, LensSphere;
    };
    const Case cases[] = {
        {7, {"01/10/2025"}, {"SMITH, ANNA OD"}, {"+0.75"}, {"-3.00"}},
        {2, {"01/05/2024"}, {"JONES, BEN OD"}, {"+0.50"}, {"-2.50"}},
        // The first exam has none before it: the band keeps its captions only.
        {1, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Current);
        chooseExam(1, c.Current);
        const int recNo = module->IncidentXbase->RecNo();
        const ReportPages pages = capture(form);
        ASSERT_EQ(pages.PageCount, 1);
        EXPECT_EQ(textsAt(pages, 1, 0.81), c.Date);
        EXPECT_EQ(textsAt(pages, 2, 0.81), c.Doctor);
        EXPECT_EQ(textsAt(pages, 0.8, 1.11), c.Sphere);
        EXPECT_EQ(textsAt(pages, 4.78, 1.31), c.LensSphere);
        if (c.Date.empty()) {
            const Texts captions{"Previous Rx", "CL Type", "Spectacles", "Sphere", "Cylinder", "Axis", "Prism",
                                 "BC", "Add", "Contact Lens", "Sphere", "Cylinder", "Axis", "BC", "Dia", "Add",
                                 "OD", "OS", "OD", "OS"};
            Texts band = textsIn(pages, 0, 0.7, 7.75, 1.34);
            EXPECT_EQ(std::multiset<std::string>(band.begin(), band.end()),
                      std::multiset<std::string>(captions.begin(), captions.end()));
        }
        // Back on the current exam, which fills the current band.
        EXPECT_EQ(module->IncidentXbase->RecNo(), recNo);
        EXPECT_EQ(examID(), c.Current);
        EXPECT_EQ(textsAt(pages, 6.6, 0.13), Texts{exams()->FieldByName("FIRSTEXAM")->AsString()});
    }
    // The last exam's own findings stand in their bands.
    chooseExam(1, 7);
    const ReportPages pages = capture(form);
    EXPECT_EQ(textsAt(pages, 0.8, 4.01), Texts{"-1.25"});
    EXPECT_EQ(textsAt(pages, 2.1, 4.21), Texts{"175"});
    EXPECT_EQ(textsAt(pages, 5.7, 1.64), Texts{"40"});
    EXPECT_EQ(textsAt(pages, 7.1, 2.04), Texts{"63"});
    EXPECT_EQ(textsAt(pages, 0.5, 3.35), Texts{"-1.25 -0.50 x180"});
    EXPECT_EQ(textsAt(pages, 2, 4.6), Texts{"16/17"});
    EXPECT_EQ(textsAt(pages, 0.1, 0.6), Texts{"Springfield  IL  62701"});
    EXPECT_EQ(textsAt(pages, 6.55, 0.48), Texts{"(217)555-0101"});
    // Captions in 8 points ("Internal" and "Exam" in 6), patient values in 10
    // and the date and phones in 9, all in Arial.
    const std::pair<const char*, double> sizes[] = {{"Patient", 8},  {"Internal", 6},         {"Exam", 6},
                                                    {"Background", 8}, {"Jane Doe", 10},    {"02/01/2026", 9},
                                                    {"(217)555-0102", 9}, {"16/17", 10}};
    for (const auto& [text, size] : sizes) {
        const ReportTextItem* item = pages.Find(text);
        ASSERT_NE(item, nullptr) << text;
        EXPECT_NEAR(item->Size, size, 0.1) << text;
        EXPECT_EQ(item->Font, "Arial") << text;
    }
    // "Referred by" and "Recall" have no value.
    EXPECT_EQ(textsIn(pages, 3.9, 0.35, 6, 0.7), Texts{"Referred by"});
    EXPECT_EQ(textsIn(pages, 6, 0.2, 7.75, 0.35), Texts{"Recall"});
    // The outer frame, outline only, round the whole form.
    const bool framed = std::any_of(pages.Rules.begin(), pages.Rules.end(), [](const ReportRule& R) {
        return R.Rectangle && std::abs(R.X1 - FormLeft) < 0.01 && std::abs(R.Y1 - FormTop) < 0.01 &&
               std::abs(R.X2 - (FormLeft + 7.75)) < 0.01 && std::abs(R.Y2 - (FormTop + 4.75)) < 0.01;
    });
    EXPECT_TRUE(framed);
    form->Close();
}

TEST_F(ExamPrintTest, TheAgePrintsOnlyWhenTheBirthDateGivesMoreThanNothing) {
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    int expected = 0;
    ASSERT_TRUE(ageFromText("03/15/1970", Date(), expected));
    struct Case {
        std::string Birth;
        Texts Age;
    };
    const Case cases[] = {
        {"03/15/1970", {std::to_string(expected)}},
        {"", {}},
        {"01/01/" + std::to_string(year), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Birth);
        setPatient(1, "BIRTHDATE", c.Birth);
        TPatientInfoDlg* form = openForm();
        EXPECT_EQ(textsAt(capture(form), 3.1, 0.4), c.Age);
        form->Close();
        Application->ProcessMessages();
    }
}

TEST_F(ExamPrintTest, APatientWithoutExamsGetsTheEmptyForm) {
    moveTo(3);
    TPatientInfoDlg* form = openForm();
    ASSERT_TRUE(exams()->IsEmpty());
    const ReportPages pages = capture(form);
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_EQ(textsAt(pages, 0.1, 0.3), Texts{"Edgar Poe"});
    EXPECT_NE(pages.Find("Current Rx"), nullptr);
    EXPECT_TRUE(textsAt(pages, 6.6, 0.13).empty());
    form->Close();
}

TEST_F(ExamPrintTest, ThirtyNoteLinesPutTwentyFiveOnPageOneAndFiveUnderTheContinuedHeading) {
    std::string note;
    for (int n = 1; n <= 30; ++n)
        note += "Note line " + std::to_string(n) + "\r\n";
    setExam(1, 7, {{"NOTE", note}});
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    const std::string pdf = ReportOutputFile("exam_record_notes.pdf");
    PrintReportToPdf([&] { form->PatientInformation1->Click(); }, pdf);
    ASSERT_EQ(PdfPageCount(pdf), 2);
    const std::string text = PdfText(pdf);
    const std::size_t pageBreak = text.find('\f');
    ASSERT_NE(pageBreak, std::string::npos);
    const std::string first = text.substr(0, pageBreak);
    const std::string second = text.substr(pageBreak);
    auto has = [](const std::string& Page, int Line) {
        const std::string wanted = "Note line " + std::to_string(Line);
        for (std::size_t at = Page.find(wanted); at != std::string::npos; at = Page.find(wanted, at + 1))
            if (at + wanted.size() == Page.size() || !std::isdigit(static_cast<unsigned char>(Page[at + wanted.size()])))
                return true;
        return false;
    };
    for (int n = 1; n <= 30; ++n) {
        EXPECT_EQ(has(first, n), n <= 25) << n;
        EXPECT_EQ(has(second, n), n > 25) << n;
    }
    EXPECT_NE(second.find("DOE, JANE notes continued..."), std::string::npos) << second;
    EXPECT_NE(first.find("Annual exam"), std::string::npos);

    // The lines' places: the first 0.25 in under (0.25, 5.7), one line apart;
    // on page 2 the heading at (0.25, 0.5), the lines from origin (0.25, 1).
    const ReportPages pages = capture(form);
    const ReportTextItem* line1 = pages.Find("Note line 1");
    const ReportTextItem* line2 = pages.Find("Note line 2");
    const ReportTextItem* line26 = pages.Find("Note line 26");
    const ReportTextItem* heading = pages.Find("DOE, JANE notes continued...");
    ASSERT_TRUE(line1 && line2 && line26 && heading);
    EXPECT_NEAR(line1->Left, 0.5, 0.02);
    EXPECT_NEAR(line1->Baseline, 5.95, 0.02);
    EXPECT_NEAR(line2->Baseline - line1->Baseline, 1.0 / 6, 0.01);
    EXPECT_EQ(heading->Page, 2);
    EXPECT_NEAR(heading->Left, 0.25, 0.02);
    EXPECT_NEAR(heading->Baseline, 0.5, 0.02);
    EXPECT_EQ(line26->Page, 2);
    EXPECT_NEAR(line26->Left, 0.5, 0.02);
    EXPECT_NEAR(line26->Baseline, 1.25, 0.02);
    form->Close();
}

TEST_F(ExamPrintTest, AFiveThousandCharacterNoteRunsOverPagesWithoutLosingALine) {
    // 160 short lines and one word wider than the page: more than two pages hold.
    constexpr int Findings = 160;
    std::string note;
    for (int n = 1; n <= Findings; ++n)
        note += finding(n) + "\r\n";
    const std::string word(300, 'W');
    note += word + "\r\nThe end";
    ASSERT_GE(note.size(), 5000u);
    setExam(1, 7, {{"NOTE", note}});
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    const ReportPages pages = capture(form);
    ASSERT_GE(pages.PageCount, 3);
    Texts lines;
    std::string wrapped;
    for (const ReportTextItem& item : pages.Items) {
        if (item.Text.rfind("Finding ", 0) == 0 || item.Text == "The end")
            lines.push_back(item.Text);
        else if (item.Text.find_first_not_of('W') == std::string::npos)
            wrapped += item.Text;
        // Every note line inside the paper and the notes' column.
        EXPECT_LT(item.Baseline, 11.0 - 0.05) << item.Text << " on page " << item.Page;
        if (item.Page > 1 || item.Baseline > FormTop + 4.75) {
            EXPECT_LE(item.Right, 8.0 + 0.02) << item.Text;
        }
    }
    Texts expected;
    for (int n = 1; n <= Findings; ++n)
        expected.push_back(finding(n));
    expected.push_back("The end");
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(wrapped, word) << "the wide word is wrapped, not cut";
    for (int page = 2; page <= pages.PageCount; ++page)
        EXPECT_EQ(pages.Texts(page).front(), "DOE, JANE notes continued...") << page;
    form->Close();
}

}  // namespace
