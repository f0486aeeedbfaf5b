#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "EBillSupport.h"
#include "base/Classes.h"
#include "os/Paths.h"
#include "patients/EBillFile.h"
#include "patients/EBillLayout.h"
#include "patients/EBillWriter.h"
#include "patients/EbillFacsimile.h"
#include "patients/EbillViewer.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Graphics.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

using namespace ebill_test;

class EbillViewerTest : public ClaimCompany {
protected:
    // Captures claims 12, 13 and 14 of three patients.
    void captureThree() {
        open();
        TDialogScript script;
        const char* names[] = {"Doe, Jane Q", "Roe, Richard", "Poe, Edgar A"};
        for (int i = 0; i < 3; ++i) {
            claim()->Edit();
            claim()->FieldByName("ID")->SetAsInteger(12 + i);
            claim()->FieldByName("PAT_NAME")->SetAsString(names[i]);
            script.Answer(mrOk);
            SubmitEBill(claim(), rows(), folder());
        }
        threeClaims = readFile(file());
    }
    void openViewer() {
        viewer.reset(CreateForm<TEbillViewer>(nullptr));
    }
    std::string file() const { return eBillFilePath(folder()); }
    std::string label(const char* name) const { return viewer->DataLabel(name)->Caption(); }
    std::vector<bool> enabled() const {
        return {viewer->DeleteBtn->Enabled(), viewer->PreviousBtn->Enabled(), viewer->NextBtn->Enabled(),
                viewer->ClearButton->Enabled()};
    }
    bool allLabelsEmpty() const {
        for (TLabel* l : viewer->DataLabels)
            if (!l->Caption().empty()) return false;
        return true;
    }
    // Renders the viewer as shown and, taller, its whole facsimile.
    void picture(const std::string& name) {
        renderToPng(viewer.get(), pictures.file(name + ".png"));
        const char* keep = std::getenv("QM_KEEP_PICTURES");
        if (!keep) return;
        renderToPng(viewer.get(), std::string(keep) + "/" + name + ".png");
        const int height = viewer->ClientHeight();
        viewer->SetClientHeight(hcfaHeight() + viewer->ButtonPanel->Height() + 4);
        renderToPng(viewer.get(), std::string(keep) + "/" + name + "-whole.png");
        viewer->SetClientHeight(height);
    }

    std::string threeClaims;
    std::unique_ptr<TEbillViewer> viewer;
    TempDir pictures;
};

// The bytes of block k (1-based) of a file written by the program.
std::string block(const std::string& bytes, int k) {
    std::string text;
    const std::vector<std::string> lines = crlfLines(bytes);
    for (size_t i = size_t(k - 1) * 66; i < size_t(k) * 66; ++i) text += lines.at(i) + "\r\n";
    return text;
}

const std::vector<bool> kAllEnabled{true, true, true, true};
const std::vector<bool> kNoneEnabled{false, false, false, false};

TEST_F(EbillViewerTest, PagesThroughThreeClaims) {
    captureThree();
    openViewer();
    EXPECT_EQ(viewer->Caption(), "E-Bill Claims Captured");
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 1");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ(label("ClaimNoLabel"), "Claim: 12");
    EXPECT_EQ(label("CF2"), "DOE, JANE Q" + std::string(16, ' '));
    EXPECT_EQ(label("CF1Medicare"), "X");
    EXPECT_EQ(label("CF28"), "   12.50");
    EXPECT_EQ(label("CF24F2"), "     -5.00");
    EXPECT_EQ(viewer->Memo1->Lines()->Count(), 66);
    EXPECT_EQ(viewer->Memo1->Lines()->Strings(0), std::string(40, ' ') + "Claim: 12");
    EXPECT_EQ(viewer->Memo1->Lines()->Strings(1), "");  // trailing blanks removed
    EXPECT_FALSE(viewer->BufferPanel->Visible());
    EXPECT_EQ(viewer->DeleteBtn->Hint(), "Remove this E-Bill claim.");
    EXPECT_EQ(viewer->ClearButton->Hint(), "Remove all E-Bill claims,");
    picture("ebill-page1");

    viewer->NextBtn->Click();
    viewer->NextBtn->Click();
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 3");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, true}));
    EXPECT_EQ(label("ClaimNoLabel"), "Claim: 14");
    EXPECT_EQ(label("CF2"), "POE, EDGAR A" + std::string(15, ' '));
    picture("ebill-page3");

    viewer->PreviousBtn->Click();
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 2");
    EXPECT_EQ(label("ClaimNoLabel"), "Claim: 13");
    EXPECT_EQ(enabled(), kAllEnabled);
}

TEST_F(EbillViewerTest, DeletingTheLastClaimShowsThePreviousOne) {
    captureThree();
    openViewer();
    viewer->NextBtn->Click();
    viewer->NextBtn->Click();

    TDialogScript script;
    script.Answer(mrNo);
    viewer->DeleteBtn->Click();
    EXPECT_EQ(readFile(file()), threeClaims);
    EXPECT_FALSE(os::FileExists(folder() + "/EBill.old"));

    script.Answer(mrYes);
    viewer->DeleteBtn->Click();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Text, "Remove this claim from captured E-Bills?");
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 2");
    EXPECT_EQ(label("ClaimNoLabel"), "Claim: 13");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, true}));
    EXPECT_EQ(readFile(file()), block(threeClaims, 1) + block(threeClaims, 2));
    EXPECT_EQ(readFile(folder() + "/EBill.old"), threeClaims);
    EXPECT_FALSE(os::FileExists(folder() + "/ebill.tmp"));
}

TEST_F(EbillViewerTest, DeletingAMiddleClaimKeepsThePageNumber) {
    captureThree();
    openViewer();
    viewer->NextBtn->Click();
    TDialogScript script;
    script.Answer(mrYes);
    viewer->DeleteBtn->Click();
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 2");
    EXPECT_EQ(label("ClaimNoLabel"), "Claim: 14");
    EXPECT_EQ(readFile(file()), block(threeClaims, 1) + block(threeClaims, 3));
}

TEST_F(EbillViewerTest, DeletingTheOnlyClaimLeavesPageZeroAndThePreviousFileKept) {
    open();
    TDialogScript script;
    script.Answer(mrOk);
    SubmitEBill(claim(), rows(), folder());
    const std::string oneClaim = readFile(file());
    openViewer();
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false, true}));

    script.Answer(mrYes);
    viewer->DeleteBtn->Click();
    EXPECT_EQ(viewer->PageNo, 0);
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 0");
    EXPECT_EQ(enabled(), kNoneEnabled);
    EXPECT_TRUE(allLabelsEmpty());
    EXPECT_EQ(viewer->Memo1->Lines()->Count(), 0);
    EXPECT_TRUE(os::FileExists(file()));
    EXPECT_EQ(readFile(file()), "");
    EXPECT_EQ(readFile(folder() + "/EBill.old"), oneClaim);
    picture("ebill-empty");
}

TEST_F(EbillViewerTest, ClearThenACaptureGivesOneBlock) {
    captureThree();
    openViewer();
    TDialogScript script;
    script.Answer(mrYes);
    viewer->ClearButton->Click();
    EXPECT_EQ(script.Shown().back().Text, "Remove all claims from captured E-Bills?");
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 0");
    EXPECT_EQ(enabled(), kNoneEnabled);
    EXPECT_EQ(readFile(file()), "");
    EXPECT_EQ(readFile(folder() + "/EBill.old"), threeClaims);

    script.Answer(mrOk);
    SubmitEBill(claim(), rows(), folder());
    EXPECT_EQ(countEBillBlocks(eBillBytes(readFile(file()))), 1);
    openViewer();
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 1");
    EXPECT_EQ(label("ClaimNoLabel"), "Claim: 14");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false, true}));
}

TEST_F(EbillViewerTest, WithoutACaptureFileTheViewerOpensEmptyAndAVanishedFileChangesNothing) {
    open();
    openViewer();  // no dialog: the script would refuse one
    EXPECT_EQ(viewer->PageLabel->Caption(), "Page 0");
    EXPECT_EQ(enabled(), kNoneEnabled);
    EXPECT_TRUE(allLabelsEmpty());
    EXPECT_FALSE(os::FileExists(file()));

    TDialogScript script;
    script.Answer(mrOk);
    SubmitEBill(claim(), rows(), folder());
    openViewer();
    writeFile(folder() + "/EBill.old", "older");
    ASSERT_TRUE(os::DeleteFile(file()));
    for (TButton* button : {viewer->DeleteBtn, viewer->ClearButton}) {
        script.Answer(mrYes);
        EXPECT_THROW(button->Click(), EInOutError);
        EXPECT_EQ(viewer->PageLabel->Caption(), "Page 1");
        EXPECT_EQ(readFile(folder() + "/EBill.old"), "older");
        EXPECT_FALSE(os::FileExists(file()));
        EXPECT_FALSE(os::FileExists(folder() + "/ebill.tmp"));
    }
}

TEST(EbillViewerLayoutTest, EveryLabelSitsInABoxOfTheForm) {
    Application->Initialize();
    DataModule1 = nullptr;
    std::unique_ptr<TEbillViewer> viewer(CreateForm<TEbillViewer>(nullptr));
    const auto& columns = eBillColumns();
    ASSERT_EQ(viewer->DataLabels.size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        TLabel* l = viewer->DataLabels[i];
        EXPECT_EQ(l->Name(), columns[i].LabelName);
        EXPECT_EQ(viewer->FindComponent(columns[i].LabelName), l);
        bool inside = false;
        for (const THcfaBox& box : hcfaBoxes()) {
            const TRect r = hcfaBoxRect(box);
            inside = inside || (l->Left() >= r.Left && l->Top() >= r.Top && l->Left() + l->Width() <= r.Right &&
                                l->Top() + l->Height() <= r.Bottom);
        }
        EXPECT_TRUE(inside) << l->Name();
        EXPECT_EQ(l->Top(), kHcfaMargin + (columns[i].Line - 1) * kHcfaLineHeight) << l->Name();
    }
}

TEST(EbillViewerLayoutTest, EveryBoxCaptionFitsItsBox) {
    Application->Initialize();
    TBitmap bitmap;
    bitmap.SetWidth(10);
    bitmap.SetHeight(10);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Font()->SetName("Arial");
    canvas->Font()->SetHeight(-kHcfaCaptionHeight);
    ASSERT_GT(canvas->TextWidth("CARRIER"), 20);  // text is measured
    for (const THcfaBox& box : hcfaBoxes()) {
        const TRect r = hcfaBoxRect(box);
        EXPECT_LE(2 + canvas->TextWidth(box.Caption), r.Width()) << box.Caption;
    }
}

TEST(EbillViewerLayoutTest, TheMenuFindsTheViewerByItsClassName) {
    Application->Initialize();
    DataModule1 = nullptr;
    registerEbillViewer();
    const TPersistentClass* registered = GetClass("TEbillViewer");
    ASSERT_NE(registered, nullptr);
    std::unique_ptr<TPersistent> made(registered->Create(nullptr));
    EXPECT_NE(dynamic_cast<TEbillViewer*>(made.get()), nullptr);
}

}  // namespace
