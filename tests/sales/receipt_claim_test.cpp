// A claim made from the receipt on screen: its six service rows from the
// first six lines, its totals from the rows, the patient's name, and the
// claim button's question when the receipt has a claim.
#include <fstream>

#include "ReceiptFormFixture.h"
#include "patients/ClaimDialog.h"
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

TEST_F(ReceiptClaimTest, EditingTheExistingClaimOpensItsDialogAndRewritesNothing) {
    registerClaimForms();
    lines({"1", "2"});
    createClaim(true);
    const std::string id = Trim(module->InsTable->FieldByName("ID")->AsString());
    const std::vector<std::pair<double, std::string>> rows = serviceRows(id);

    TDialogScript script;
    script.Answer([](TForm& F) {
        auto& dlg = dynamic_cast<TReceiptClaimDlg&>(F);
        dlg.RadioGroup1->SetItemIndex(0);
        dlg.OKBtn->Click();
    });
    std::string shownId;
    script.Answer(TDialogAnswer{.Result = mrOk, .Act = [&](TForm& F) {
                                    EXPECT_NE(dynamic_cast<TInsuranceClaimDlg*>(&F), nullptr);
                                    shownId = Trim(module->InsTable->FieldByName("ID")->AsString());
                                }});
    form->InsClaimBitBtnClick(form);
    ASSERT_EQ(script.Shown().size(), 2u);  // no "updated" message
    EXPECT_EQ(script.Shown()[1].Caption, "Health Insurance Claim Form");
    EXPECT_EQ(shownId, id);
    EXPECT_EQ(serviceRows(id), rows);
    EXPECT_DOUBLE_EQ(module->InsTable->FieldByName("TOTAL")->AsFloat(), 30);
}

TEST_F(ReceiptClaimTest, WithoutAClaimTheButtonAsks) {
    lines({"1"});
    TDialogScript script;
    script.Answer(mrNo);
    form->InsClaimBitBtnClick(form);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Create claim?");
}

TEST_F(ReceiptClaimTest, AMissingPatientExamOrBillingSectionLeavesTheirFields) {
    struct Case {
        const char* PatID;
        const char* Incident;
        const char* PatientNo;  // the claim's PAT_ID
        const char* Name;       // the claim's PAT_NAME
        const char* Diagnosis;  // the claim's DIAG1
    };
    const Case cases[] = {
        {"7", "7", "7", "SEVEN, PAT", "367.1"},  // both found
        {"99", "7", "", "<new>", ""},            // no such patient (nor exam)
        {"7", "5", "7", "SEVEN, PAT", ""},       // the patient, but no exam 5
    };
    lines({"1"});
    // Exam 7 of patient 7 carries a diagnosis.
    TTable* exams = module->IncidentTable;
    for (exams->First(); !exams->Eof(); exams->Next())
        if (exams->FieldByName("ACCOUNT")->AsInteger() == 7 && exams->FieldByName("ID")->AsInteger() == 7)
            break;
    ASSERT_FALSE(exams->Eof());
    exams->Edit();
    exams->FieldByName("DIAG1")->SetAsString("367.1");
    exams->Post();
    TTable* claim = module->InsTable;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.PatID) + "/" + c.Incident);
        TTable* temp1 = module->Temp1Table;
        temp1->Edit();
        temp1->FieldByName("PatID")->SetAsString(c.PatID);
        temp1->FieldByName("Incident")->SetAsString(c.Incident);
        temp1->Post();
        const std::string message = createClaim(true);
        const std::string id = Trim(claim->FieldByName("ID")->AsString());
        EXPECT_EQ(message, "Insurance Claim " + id + " has been created for this receipt.");
        EXPECT_EQ(Trim(claim->FieldByName("PAT_ID")->AsString()), c.PatientNo);
        EXPECT_EQ(Trim(claim->FieldByName("PAT_NAME")->AsString()), c.Name);
        EXPECT_EQ(Trim(claim->FieldByName("DIAG1")->AsString()), c.Diagnosis);
        EXPECT_EQ(Trim(claim->FieldByName("RECEIPT")->AsString()), "124");
        // Company.ini has no [Insurance] section.
        for (const char* field : {"BILL_NAME", "BILL_PIN", "FEDTAXID", "FEDIDTYPE"})
            EXPECT_EQ(Trim(claim->FieldByName(field)->AsString()), "") << field;
        const std::vector<std::pair<double, std::string>> expected = {{10, "1"}, {0, ""}, {0, ""},
                                                                       {0, ""},  {0, ""}, {0, ""}};
        EXPECT_EQ(serviceRows(id), expected);
        EXPECT_DOUBLE_EQ(claim->FieldByName("TOTAL")->AsFloat(), 10);
    }

    // With the section, the claim carries the practice's billing.
    {
        std::ofstream ini(company.DataDirectory() + "/Company.ini", std::ios::app);
        ini << "[Insurance]\r\nBillName=Eye Care Center\r\nFedIdType=EIN\r\nPOSCode=11\r\n";
    }
    createClaim(true);
    EXPECT_EQ(Trim(claim->FieldByName("BILL_NAME")->AsString()), "Eye Care Center");
    EXPECT_EQ(Trim(claim->FieldByName("FEDIDTYPE")->AsString()), "EIN");
    EXPECT_EQ(Trim(claim->FieldByName("BILL_PIN")->AsString()), "");
}

}  // namespace
