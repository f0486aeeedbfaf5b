// A claim printed onto the HCFA-1500 form through the PDF printer: each
// item's box as pdftotext reports it, at its place plus the company's
// offsets; the questions of the Print button; what a missing signature file
// and an offset that is no number do.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <regex>

#include <QImage>

#include "EBillSupport.h"
#include "app/FormOpener.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "patients/ClaimDialog.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"
#include "ui/Graphics.h"
#include "ui/PrinterDrivers.h"
#include "reporting/RSDevice.h"

namespace {

struct Word {
    double xMin, yMin, xMax, yMax;  // inches
    std::string text;
};

std::vector<Word> words(const std::string& Pdf) {
    const std::string html = RunTool("pdftotext", {"-bbox", Pdf, "-"});
    std::vector<Word> found;
    const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
        found.push_back({std::stod((*it)[1]) / 72, std::stod((*it)[2]) / 72, std::stod((*it)[3]) / 72,
                         std::stod((*it)[4]) / 72, (*it)[5]});
    return found;
}

class HcfaPrintTest : public ebill_test::ClaimCompany {
protected:
    void SetUp() override {
        ClaimCompany::SetUp();
        registerClaimForms();
        holder = std::make_unique<TComponent>(nullptr);
        pdf = dir.file("claim.pdf");
    }
    void TearDown() override {
        holder.reset();
        Application->ProcessMessages();
        ClaimCompany::TearDown();
    }
    void settings(const std::string& X, const std::string& Y) {
        TSettingsFile ini = CompanyIni::File(folder());
        ini.Write(CompanyIni::HCFA1500XOffset, X);
        ini.Write(CompanyIni::HCFA1500YOffset, Y);
    }
    // The dialog, printing to the PDF printer.
    TInsuranceClaimDlg* openDialog() {
        claim()->First();
        auto* dlg = dynamic_cast<TInsuranceClaimDlg*>(
            OpenForm(holder.get(), {.ClassName = "TInsuranceClaimDlg", .Caption = "Info", .Style = osShow}));
        if (dlg) {
            dlg->DazedeVedodev1->SetDevice(&device);
            dlg->DazedeVedodev1->SetOutputFileName(pdf);
        }
        return dlg;
    }
    TRSDevice device{{pdfPrinter()}, "PDF"};
    std::unique_ptr<TComponent> holder;
    TempDir dir;
    std::string pdf;
};

// The first word with this text on the page; fails the test when missing.
const Word* find(const std::vector<Word>& All, const std::string& Text, int Nth = 1) {
    for (const Word& w : All)
        if (w.text == Text && --Nth == 0)
            return &w;
    ADD_FAILURE() << "not printed: " << Text;
    return nullptr;
}

TEST_F(HcfaPrintTest, ItemsAtTheirPlacesPlusTheOffsets) {
    open(2);
    settings("0.1", "-0.05");
    TBitmap signature;
    signature.SetSize(200, 60);
    signature.Canvas()->Brush()->SetColor(clBlack);
    signature.Canvas()->FillRect(Rect(10, 10, 190, 50));
    const std::string sigFile = dir.file("sig.bmp");
    signature.SaveToFile(sigFile);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    claim()->FieldByName("BILLSIGIMG")->SetAsString(sigFile);
    dlg->DazedeVedodev1->Execute();
    const std::vector<Word> all = words(pdf);

    // Text stands on its baseline; pdftotext's box ends at the font's
    // descent below it (Courier New: 0.3 of the size).
    struct Item {
        const char* text;
        int nth;
        double x, y, size;
        bool right;
    };
    const Item items[] = {
        {"DOE,", 1, 0.4, 1.85, 12, false},   // box 2
        {"03", 1, 3.3, 1.84, 12, false},     // box 3, month
        {"14", 1, 3.6, 1.84, 12, false},     // box 3, day
        {"1975", 1, 3.9, 1.84, 12, false},   // box 3, year
        {"X", 1, 0.33, 1.54, 12, false},     // box 1, Medicare
        {"-5.00", 1, 6.015, 7.82, 11, true}, // box 24F, row 2
        {"7.50", 1, 6.22, 9.5, 12, true},    // box 28
        {"0.00", 1, 7.2, 9.5, 12, true},     // box 29
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.text);
        const Word* w = find(all, item.text, item.nth);
        if (!w)
            continue;
        EXPECT_NEAR(item.right ? w->xMax : w->xMin, item.x + 0.1, 0.02);
        EXPECT_NEAR(w->yMax - 0.3 * item.size / 72, item.y - 0.05, 0.02);
    }
    // Rows 3 to 6 hold no charge: nothing prints there.
    for (const Word& w : all)
        EXPECT_FALSE(w.yMax > 8.0 && w.yMax < 9.2) << w.text;
    // The signature is inked into its rectangle.
    const QImage page = RenderPdfPage(pdf, 1, 100);
    EXPECT_TRUE(IsInk(page.pixel(int((0.35 + 0.1 + 1.0) * 100), int((9.7 - 0.05 + 0.3) * 100))));
    if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
        page.save(QString::fromStdString(std::string(keep) + "/hcfa1500.png"));
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(HcfaPrintTest, ZeroTotalAndOutsideLabWithoutCharges) {
    open(6);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        rows()->FieldByName("CHARGE")->SetText("0");
    claim()->FieldByName("OUTSIDELAB")->SetAsString("True");
    claim()->FieldByName("OUTLABCHGS")->SetAsString("0");
    dlg->DazedeVedodev1->Execute();
    const std::vector<Word> all = words(pdf);
    const Word* total = find(all, "0.00");
    ASSERT_NE(total, nullptr);
    const Word* lab = nullptr;
    for (const Word& w : all)
        if (w.text == "0.00" && std::abs(w.xMin - 6.5) < 0.02)
            lab = &w;
    EXPECT_NE(lab, nullptr) << "box 20 charges";
    bool labMark = false;
    for (const Word& w : all)
        labMark |= w.text == "X" && std::abs(w.xMin - 5.4) < 0.02;
    EXPECT_TRUE(labMark);
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(HcfaPrintTest, PrintAgainNoStillAsksAboutTheDate) {
    open(6);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    claim()->FieldByName("PRINTED")->SetAsString("02/01/2026");
    TDialogScript script;
    script.Answer(mrNo).Answer(mrYes);
    dlg->PrintBtnClick(nullptr);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "This claim was last printed on 02/01/2026.  Print again?");
    EXPECT_EQ(script.Shown()[1].Text, "Update the 'Submitted by Printed HCFA-1500 Form' date?");
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(claim()->FieldByName("PRINTED")->AsString(), "03/09/2026");
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(HcfaPrintTest, MissingSignatureAndBadOffsetWarnOnceAndPrint) {
    open(6);
    settings("abc", "0");
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    claim()->FieldByName("BILLSIGIMG")->SetAsString(dir.file("nosuch.bmp"));
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    dlg->DazedeVedodev1->Execute();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_NE(script.Shown()[0].Text.find("HCFA1500XOffset"), std::string::npos);
    EXPECT_NE(script.Shown()[1].Text.find("nosuch.bmp"), std::string::npos);
    const Word* name = find(words(pdf), "DOE,");
    ASSERT_NE(name, nullptr);
    EXPECT_NEAR(name->xMin, 0.4, 0.02);
    dlg->Close();
    Application->ProcessMessages();
}

}  // namespace
