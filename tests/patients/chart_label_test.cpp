// The chart label of the patient record printed through the report runner
// to the PDF printer: one label, at the start position the labels dialog
// was given, with the patient's name and account.
#include <filesystem>

#include "PatientFormSupport.h"
#include "patients/LabelRowCol.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSystem.h"
#include "support/PageImages.h"
#include "ui/DialogResponder.h"
#include "ui/Mask.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int Dpi = 100;

class ChartLabelTest : public PatientFormTest {
protected:
    void SetUp() override {
        PatientFormTest::SetUp();
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    }
    // Prints patient 1's chart label from row and column into a PDF file.
    std::string printChartLabel(const char* Row, const char* Column, const std::string& Name) {
        TPatientInfoDlg* form = openForm();
        const std::string pdf = pictures.file(Name + ".pdf");
        form->ReportSystem2->SetSystemSetups({});
        form->ReportSystem2->SetDefaultDest(rdFile);
        form->ReportSystem2->SetOutputFileName(pdf);
        TDialogScript script;
        script.Answer([&](TForm& dialog) {
            auto& labels = dynamic_cast<TLabelRowColDlg&>(dialog);
            labels.RowEdit->SetText(Row);
            labels.ColumnEdit->SetText(Column);
            labels.OKBtn->Click();
        });
        form->ChartLabel1->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
        form->Close();
        Application->ProcessMessages();
        return pdf;
    }
};

TEST_F(ChartLabelTest, OneLabelPrintsAtTheStartPositionWithNameAndAccount) {
    open();
    moveTo(1);
    struct Case {
        const char* Row;
        const char* Column;
        // The label's top-left corner on the sheet, inches.
        double Left;
        double Top;
    };
    // 2 across: row 3, column 2 is the sixth position; the fifth stays blank.
    const Case cases[] = {{"3 ", "2 ", 0.531 + 4.0, 0.5 + 2 * 0.666}, {"1 ", "1 ", 0.531, 0.5}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Row);
        const std::string pdf = printChartLabel(c.Row, c.Column, "chart-label-" + std::to_string(++n));
        ASSERT_EQ(PdfPageCount(pdf), 1);
        const std::string text = RunTool("pdftotext", {"-layout", pdf, "-"});
        EXPECT_NE(text.find("DOE, JANE"), std::string::npos) << text;
        EXPECT_NE(text.find("Patient ID: 1"), std::string::npos) << text;
        const QImage page = RenderPdfPage(pdf, 1, Dpi);
        ASSERT_FALSE(page.isNull());
        KeepPicture(page, "chart-label-" + std::to_string(n));
        const TRect ink = InkBounds(page);
        // The name starts 0.25 in from the label's left, standing on a
        // baseline 0.27 in below its top: capitals of 14 points rise about
        // 0.14 in above it.
        EXPECT_NEAR(ink.Left, (c.Left + 0.25) * Dpi, 6);
        EXPECT_NEAR(ink.Top, (c.Top + 0.27 - 0.14) * Dpi, 4);
        // Two lines of 14 points and nothing else on the sheet.
        EXPECT_LE(ink.Bottom, (c.Top + 0.666) * Dpi + 4);
    }
}

TEST_F(ChartLabelTest, ClosingTheLabelsDialogWithoutOKPrintsNoLabel) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    const std::string pdf = pictures.file("chart-label-declined.pdf");
    form->ReportSystem2->SetSystemSetups({});
    form->ReportSystem2->SetDefaultDest(rdFile);
    form->ReportSystem2->SetOutputFileName(pdf);
    TDialogScript script;
    script.Answer(mrCancel);
    form->ChartLabel1->Click();
    EXPECT_EQ(script.Unanswered(), 0u);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    form->Close();
    Application->ProcessMessages();
}

}  // namespace
