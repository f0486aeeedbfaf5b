// A claim made from the receipt on screen: its six service rows from the
// first six lines, its totals from the rows, the patient's name, and the
// claim button's question when the receipt has a claim.
#include "ReceiptFormFixture.h"
#include "sales/ReceiptClaimDlg.h"
#include "ui/ExtCtrls.h"

namespace {

class ReceiptClaimTest : public ReceiptFormTest {
protected:
    // Lines of the given quantities at 10.00 each.
    void lines(const std::vector<std::string>& Qtys) {
        choosePatient("7");
        TTable* temp2 = module->Temp2Table;
        for (size_t i = 0; i < Qtys.size(); ++i) {
            if (i > 0)
                newLine();
            if (temp2->State() != dsEdit && temp2->State() != dsInsert)
                temp2->Edit();
            temp2->FieldByName("Code")->SetAsString("L" + std::to_string(i + 1));
            temp2->FieldByName("Qty")->SetAsString(Qtys[i]);
            temp2->FieldByName("Price")->SetAsString("10");
            form->CalcCost();
        }
        temp2->Post();
        module->Temp1Table->Edit();
        module->Temp1Table->FieldByName("Receipt")->SetAsString("  124");
        module->Temp1Table->Post();
    }
    std::string createClaim(bool NewClaim) {
        TDialogScript script;
        script.Answer(mrOk);
        form->CreateClaim(form, NewClaim);
        return script.Shown().empty() ? "" : script.Shown()[0].Text;
    }
    // The service rows of claim ID: (CHARGE, UNITS) in order.
    std::vector<std::pair<double, std::string>> serviceRows(const std::string& ID) {
        std::vector<std::pair<double, std::string>> found;
        TTable* rows = module->InsDetailTable;
        for (rows->First(); !rows->Eof(); rows->Next())
            if (Trim(rows->FieldByName("ID")->AsString()) == ID)
                found.emplace_back(rows->FieldByName("CHARGE")->AsFloat(), Trim(rows->FieldByName("UNITS")->AsString()));
        return found;
    }
};

TEST_F(ReceiptClaimTest, TwoLinesGiveSixRowsAndTheTotal) {
    lines({"2", "0"});
    const std::string message = createClaim(true);
    TTable* claim = module->InsTable;
    const std::string id = Trim(claim->FieldByName("ID")->AsString());
    EXPECT_EQ(message, "Insurance Claim " + id + " has been created for this receipt.");
    EXPECT_EQ(Trim(claim->FieldByName("RECEIPT")->AsString()), "124");
    EXPECT_EQ(Trim(claim->FieldByName("PAT_ID")->AsString()), "7");
    // Quantity 0 sells one, as the receipt counts it.
    const std::vector<std::pair<double, std::string>> expected = {{20, "2"}, {10, "1"}, {0, ""}, {0, ""}, {0, ""},
                                                                   {0, ""}};
    EXPECT_EQ(serviceRows(id), expected);
    EXPECT_DOUBLE_EQ(claim->FieldByName("TOTAL")->AsFloat(), 30);
    EXPECT_DOUBLE_EQ(claim->FieldByName("BALANCE")->AsFloat(), 30);
    // No HCFA name on the patient: the claim takes the indexed-as name.
    TTable* patients = module->PatientTable;
    patients->SetIndexName("ID");
    ASSERT_TRUE(module->Xbase1->Seek("7"));
    if (Trim(patients->FieldByName("HCFAPName")->AsString()).empty())
        EXPECT_EQ(Trim(claim->FieldByName("PAT_NAME")->AsString()), Trim(patients->FieldByName("RecName")->AsString()));
}

TEST_F(ReceiptClaimTest, EightLinesPutTheFirstSixAndAnUpdateRewrites) {
    lines({"1", "2", "3", "4", "5", "6", "7", "8"});
    createClaim(true);
    const std::string id = Trim(module->InsTable->FieldByName("ID")->AsString());
    std::vector<std::pair<double, std::string>> rows = serviceRows(id);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[5], (std::pair<double, std::string>{60, "6"}));
    EXPECT_DOUBLE_EQ(module->InsTable->FieldByName("TOTAL")->AsFloat(), 210);

    // The claim button finds the claim and offers to edit or update it.
    TDialogScript script;
    std::string caption;
    script.Answer([&caption](TForm& F) {
        auto& dlg = dynamic_cast<TReceiptClaimDlg&>(F);
        caption = dlg.Caption();
        dlg.RadioGroup1->SetItemIndex(1);
        dlg.OKBtn->Click();
    });
    script.Answer(mrOk);
    form->InsClaimBitBtnClick(form);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(caption, "Claim: " + id);
    EXPECT_EQ(script.Shown()[1].Text, "Insurance Claim " + id + " has been updated for this receipt.");
    EXPECT_EQ(serviceRows(id).size(), 6u);
}

TEST_F(ReceiptClaimTest, WithoutAClaimTheButtonAsks) {
    lines({"1"});
    TDialogScript script;
    script.Answer(mrNo);
    form->InsClaimBitBtnClick(form);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Create claim?");
}

}  // namespace
