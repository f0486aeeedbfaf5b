// The claim dialog over a real claim company: its six service rows, the
// totals kept from the rows, one dialog at a time, and its eight pages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "EBillSupport.h"
#include "app/FormOpener.h"
#include "base/SysUtils.h"
#include "patients/ClaimDialog.h"
#include "support/TempDir.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/StdCtrls.h"
#include "ui/OffscreenRender.h"
#include "xbase/Xbase.h"

namespace {

class ClaimDialogTest : public ebill_test::ClaimCompany {
protected:
    void SetUp() override {
        ClaimCompany::SetUp();
        RegisterClaimForms();
        holder = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        holder.reset();
        Application->ProcessMessages();
        ClaimCompany::TearDown();
    }
    TInsuranceClaimDlg* openDialog() {
        claim()->First();
        return dynamic_cast<TInsuranceClaimDlg*>(
            OpenForm(holder.get(), {.ClassName = "TInsuranceClaimDlg", .Caption = "Info", .Style = osShow}));
    }
    int rowCount() {
        int n = 0;
        for (rows()->First(); !rows()->Eof(); rows()->Next())
            ++n;
        return n;
    }
    double money(const char* Field) { return claim()->FieldByName(Field)->AsFloat(); }

    std::unique_ptr<TComponent> holder;
};

TEST_F(ClaimDialogTest, OpeningGivesSixRowsAndTotalsFromThem) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->Caption(), "Health Insurance Claim Form");
    EXPECT_EQ(rowCount(), 6);
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        EXPECT_EQ(Trim(rows()->FieldByName("ID")->AsString()), "12");
    // 12.50 - 5.00 over the rows; the stored total and balance were stale.
    EXPECT_DOUBLE_EQ(money("TOTAL"), 7.50);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 7.50);
    dlg->Close();
    Application->ProcessMessages();
    // The rows' restriction is lifted and the appended rows are stored.
    EXPECT_TRUE(module->InsDetailXbase->SetScope("", ""));
    std::vector<std::string> ids;
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        ids.push_back(Trim(rows()->FieldByName("ID")->AsString()));
    EXPECT_EQ(ids, std::vector<std::string>(6, "12"));
}

TEST_F(ClaimDialogTest, ChargeAndPaidEditsMoveTotalAndBalance) {
    open(6);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    rows()->First();
    rows()->Next();
    rows()->Next();  // an empty row
    rows()->FieldByName("CHARGE")->SetText("10.00");
    EXPECT_DOUBLE_EQ(money("TOTAL"), 17.50);
    rows()->FieldByName("CHARGE")->SetText("25.00");
    EXPECT_DOUBLE_EQ(money("TOTAL"), 32.50);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 32.50);
    claim()->FieldByName("PAID")->SetAsString("2.50");
    dlg->DBEdit46Change(dlg->DBEdit46);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 30.00);
    rows()->FieldByName("CHARGE")->SetText("20.00");
    EXPECT_DOUBLE_EQ(money("TOTAL"), 27.50);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 25.00);
    dlg->Close();
    Application->ProcessMessages();
    // No running total outlives the dialog.
    EXPECT_FALSE(module->CalcCharges);
}

TEST_F(ClaimDialogTest, OneDialogAtATime) {
    open(6);
    TInsuranceClaimDlg* first = openDialog();
    TInsuranceClaimDlg* second = openDialog();
    EXPECT_EQ(first, second);
    first->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimDialogTest, BoxesEnabledByOthers) {
    open(6);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    // The fixture: no auto accident, no other plan, no outside lab.
    EXPECT_FALSE(dlg->CondStateDBEdit->Enabled());
    EXPECT_FALSE(dlg->OtherInsuredGroupBox->Enabled());
    EXPECT_FALSE(dlg->OutsideLabChargesDBEdit->Enabled());
    claim()->FieldByName("OTHER_INS")->SetAsString("True");
    dlg->OtherPlanGroupBoxActive();
    EXPECT_TRUE(dlg->OtherInsuredGroupBox->Enabled());
    claim()->FieldByName("OUTSIDELAB")->SetAsString("True");
    dlg->OutsideLabDBRadioGroupChange(nullptr);
    EXPECT_TRUE(dlg->OutsideLabChargesDBEdit->Enabled());
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimDialogTest, EightPagesRenderInOrder) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    const char* names[] = {"Patient", "Insured", "Carrier", "Other Insured",
                           "Diagnosis", "Services", "Physician/Supplier", "Facility"};
    TempDir pictures;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(dlg->Pages[size_t(i)]->Caption(), names[i]);
        dlg->PageControl1->SetActivePage(dlg->Pages[size_t(i)]);
        const std::string file = pictures.file("claim_page" + std::to_string(i + 1) + ".png");
        RenderToPng(dlg, file);
        if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
            RenderToPng(dlg, std::string(keep) + "/claim_page" + std::to_string(i + 1) + ".png");
        EXPECT_GT(std::filesystem::file_size(file), 0u);
    }
    dlg->Close();
    Application->ProcessMessages();
}

}  // namespace
