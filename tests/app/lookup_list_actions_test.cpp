// The record actions of the lookup lists over a real company: claim New and
// its service lines, the item delete guard, each Select copy, the patient
// delete with its recalls, and a patient locked by another process.
#include <fstream>
#include <functional>

#include "ModuleFixture.h"
#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "app/LookupListActions.h"
#include "app/LookupListMembers.h"
#include "app/ScratchTables.h"
#include "data/Fields.h"
#include "support/ChildProcess.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

class ListActionTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        registerLookupLists();
        CompanyFixture::AppendRows(
            company.DataDirectory(), "Patient.dbf",
            {{{"ID", "1"}, {"RECNAME", "ADAMS JOHN"}, {"NAME", "John Adams"}},
             {{"ID", "2"}, {"RECNAME", "BAKER ANN"}, {"NAME", "Ann Baker"}, {"ADDR", "1 Elm St"},
              {"CITY", "Salem"}, {"STATE", "MA"}, {"ZIP", "01970"}, {"BILLINSUR", "T"}, {"TERMS", "45"},
              {"HCFAPNAME", "BAKER, ANN M"}, {"HCFAPADDR", "PO Box 2"}, {"HCFAPCITY", "Lynn"},
              {"HCFAPSTATE", "NH"}, {"HCFAPZIP", "03101"}, {"SEX", "Female"}, {"BIRTHDATE", "19700315"},
              {"PHONE1", "555-0102"}, {"ACPTASSIGN", "T"}},
             {{"ID", "3"}, {"RECNAME", "CARTER SUE"}, {"NAME", "Sue Carter"}}});
        makeFullTextIndex(3);
    }
    TLookupListForm* openList(const std::string& ClassName) {
        return dynamic_cast<TLookupListForm*>(OpenForm(nullptr, {.ClassName = ClassName, .Caption = ClassName}));
    }
    std::string text(TDataSet* Table, const std::string& Field) {
        std::string value = Table->FieldByName(Field)->AsString();
        while (!value.empty() && value.back() == ' ')
            value.pop_back();
        return value;
    }
    void openScratch(TTable* Table, TXbase* Engine, const TTableSchema& Layout) {
        Table->Close();
        ASSERT_TRUE(ScratchTables::Recreate(Engine, Layout));
        Table->Open();
        Table->Append();
        Table->Post();
    }
    static std::string trimmed(std::string value) {
        value.erase(0, value.find_first_not_of(' '));
        return value;
    }
    // Live records of a company file whose Field reads Value.
    int countWhere(const std::string& FileName, const std::string& Field, const std::string& Value) {
        int count = 0;
        withTable(FileName, [&] {
            for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
                if (!xb_Deleted() && trimmed(xb_GetTrimString(Field.c_str())) == Value)
                    ++count;
        });
        return count;
    }
};

TEST_F(ListActionTest, ClaimNewInsertsOneNewClaimWithSixLinesAndReusesIt) {
    {
        std::ofstream ini(company.File("Company.ini"), std::ios::app);
        ini << "[Insurance]\r\nBillName=Harbor Optical\r\nBillZip=01970\r\nFedTaxID=04-1234567\r\n";
    }
    open();
    TLookupListForm* list = openList("TClaimLookupList");
    list->NewButtonClick(list);
    TTable* claims = module->InsTable;
    ASSERT_EQ(countWhere("Ins.dbf", "PAT_NAME", "<New>"), 1);
    const std::string id = text(claims, "ID");
    EXPECT_EQ(text(claims, "Pat_Name"), "<New>");
    EXPECT_EQ(text(claims, "Bill_Name"), "Harbor Optical");
    EXPECT_EQ(text(claims, "Bill_Zip"), "01970");
    EXPECT_EQ(text(claims, "FedTaxId"), "04-1234567");
    EXPECT_EQ(countWhere("InsDtl.dbf", "ID", id), 6);

    list->NewButtonClick(list);
    EXPECT_EQ(countWhere("Ins.dbf", "PAT_NAME", "<New>"), 1);
    EXPECT_EQ(text(claims, "ID"), id);
    EXPECT_EQ(countWhere("InsDtl.dbf", "ID", id), 6);
    list->Close();
}

TEST_F(ListActionTest, ClaimDeleteTakesItsLinesAfterTheQuestion) {
    open();
    TLookupListForm* list = openList("TClaimLookupList");
    list->NewButtonClick(list);
    const std::string id = text(module->InsTable, "ID");
    TDialogScript script;
    script.Answer(mrNo).Answer(mrYes);
    list->DeleteButtonClick(list);
    EXPECT_EQ(countWhere("InsDtl.dbf", "ID", id), 6);
    list->DeleteButtonClick(list);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Text, "Are you sure you want to delete claim" + id + "?");
    EXPECT_EQ(countWhere("InsDtl.dbf", "ID", id), 0);
    EXPECT_EQ(countWhere("Ins.dbf", "ID", id), 0);
    list->Close();
}

TEST_F(ListActionTest, AnItemUsedOnAReceiptIsNotDeleted) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Item.dbf",
                               {{{"ID", "EXAM"}, {"DESC", "Eye exam"}}, {{"ID", "FRAME1"}, {"DESC", "Frame"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "SalesDtl.dbf",
                               {{{"RECEIPT", "1"}, {"ITEM", "1"}, {"ITEMNO", "FRAME1"}}});
    open();
    TLookupListForm* list = openList("TItemLookupList");
    list->Edit1->SetText("FRAME1");
    TDialogScript script;
    script.Answer(mrOk);
    list->DeleteButtonClick(list);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Item FRAME1 is used in one or more receipts and cannot be deleted.");
    EXPECT_EQ(countWhere("Item.dbf", "ID", "FRAME1"), 1);

    list->Edit1->SetText("EXAM");
    list->DeleteButtonClick(list);
    EXPECT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(countWhere("Item.dbf", "ID", "EXAM"), 0);
    list->Close();
}

struct SelectCase {
    const char* List;
    const char* Search;
    // Prepares the target, then checks it after Select.
    std::function<void(ListActionTest&)> Prepare;
    std::function<void(ListActionTest&)> Check;
};

TEST_F(ListActionTest, EachSelectCopiesItsFieldsAndClosesTheList) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf",
                               {{{"ACCOUNT", "2"}, {"ID", "1"}}, {{"ACCOUNT", "2"}, {"ID", "3"}},
                                {{"ACCOUNT", "3"}, {"ID", "7"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "InsComp.dbf",
                               {{{"ID", "1"}, {"NAME", "ACME HEALTH"}, {"ADDR", "9 Main St"}, {"ADDR2", "Suite 4"},
                                 {"CITY", "Boston"}, {"STATE", "MA"}, {"ZIP", "02101"}, {"PHONE", "555-0199"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Item.dbf",
                               {{{"ID", "FRAME1"}, {"DESC", "Frame"}, {"SELL", "129.95"}, {"TAXED", "T"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Ins.dbf", {{{"ID", "5"}, {"PAT_NAME", "OLD"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Sales.dbf", {{{"RECEIPT", "124"}, {"PATID", "2"}}, {{"RECEIPT", "125"}, {"PATID", "3"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Pymt.dbf", {{{"ID", "77"}, {"NAME", "Payer"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Deposit.dbf", {{{"ID", "12"}}});
    open();
    auto& t = *this;
    TDataModule1& m = *module;
    const SelectCase cases[] = {
        {"TPatientLookupList2", "BAKER",
         [&](ListActionTest&) { openScratch(m.Temp1Table, m.Temp1Xbase, ScratchTables::Temp1()); },
         [&](ListActionTest&) {
             TTable* header = m.Temp1Table;
             EXPECT_EQ(header->State(), dsBrowse);
             EXPECT_EQ(t.text(header, "PatID"), "2");
             EXPECT_EQ(t.text(header, "Name"), "Ann Baker");
             EXPECT_EQ(t.text(header, "Addr"), "1 Elm St");
             EXPECT_EQ(t.text(header, "City") + t.text(header, "State") + t.text(header, "Zip"), "SalemMA01970");
             EXPECT_TRUE(header->FieldByName("BillInsur")->AsBoolean());
             EXPECT_EQ(header->FieldByName("Terms")->AsInteger(), 45);
             EXPECT_EQ(header->FieldByName("Incident")->AsInteger(), 3);  // the last exam
         }},
        {"TPatientLookupList4", "BAKER",
         [&](ListActionTest&) { m.InsTable->First(); },
         [&](ListActionTest&) {
             TTable* claim = m.InsTable;
             EXPECT_EQ(t.text(claim, "Pat_ID"), "2");
             EXPECT_EQ(t.text(claim, "Pat_Name"), "BAKER, ANN M");
             EXPECT_EQ(t.text(claim, "Pat_Addrs") + "|" + t.text(claim, "Pat_City") + "|" +
                           t.text(claim, "Pat_State") + "|" + t.text(claim, "Pat_Zip"),
                       "PO Box 2|Lynn|NH|03101");
             EXPECT_EQ(t.text(claim, "Pat_Sex"), "Female");
             EXPECT_EQ(claim->FieldByName("Pat_Birth")->AsDateTime(), EncodeDate(1970, 3, 15));
             EXPECT_EQ(t.text(claim, "Pat_Phone"), "555-0102");
             EXPECT_TRUE(claim->FieldByName("AcptAssign")->AsBoolean());
         }},
        {"TPatientLookupList4", "CARTER",  // no HCFA name, no birth date
         [&](ListActionTest&) {
             m.InsTable->First();
             m.InsTable->Edit();
             m.InsTable->FieldByName("Pat_Birth")->SetAsDateTime(EncodeDate(1999, 1, 1));
             m.InsTable->Post();
         },
         [&](ListActionTest&) {
             EXPECT_EQ(t.text(m.InsTable, "Pat_Name"), "CARTER SUE");
             EXPECT_TRUE(m.InsTable->FieldByName("Pat_Birth")->IsNull());
         }},
        {"TInsCompLookupList1", "ACME",
         [&](ListActionTest&) { m.InsTable->First(); },
         [&](ListActionTest&) {
             TTable* claim = m.InsTable;
             claim->Post();  // the opener posts
             EXPECT_EQ(t.text(claim, "Car_Name") + "|" + t.text(claim, "Car_Addr1") + "|" +
                           t.text(claim, "Car_Addr2") + "|" + t.text(claim, "Car_City") + "|" +
                           t.text(claim, "Car_State") + "|" + t.text(claim, "Car_Zip") + "|" +
                           t.text(claim, "Car_Phone"),
                       "ACME HEALTH|9 Main St|Suite 4|Boston|MA|02101|555-0199");
         }},
        {"TInsCompSelect2", "ACME",
         [&](ListActionTest&) { m.Xbase1->Seek("CARTER"); },
         [&](ListActionTest&) {
             TTable* patient = m.PatientTable;
             EXPECT_EQ(t.text(patient, "RecName"), "CARTER SUE");
             patient->Post();
             EXPECT_EQ(t.text(patient, "Car_Name") + "|" + t.text(patient, "Car_Addr2") + "|" +
                           t.text(patient, "Car_Phone"),
                       "ACME HEALTH|Suite 4|555-0199");
         }},
        {"TItemLookupListSelect", "FRAME1",
         [&](ListActionTest&) { openScratch(m.Temp2Table, m.Temp2Xbase, ScratchTables::Temp2()); },
         [&](ListActionTest&) {
             TTable* line = m.Temp2Table;
             line->Post();
             EXPECT_EQ(t.text(line, "Code"), "FRAME1");
             EXPECT_EQ(t.text(line, "Desc"), "Frame");
             EXPECT_EQ(line->FieldByName("Price")->AsCurrency(), Currency::FromRaw(1299500));
             EXPECT_TRUE(line->FieldByName("Tax")->AsBoolean());
         }},
        {"TReceiptLookupList", "", nullptr,  // starts in the receipt patient's order
         [&](ListActionTest&) { EXPECT_EQ(listSelection().SelectedReceipt, "       124"); }},
        {"TPaymentLookupList", "77", nullptr,
         [&](ListActionTest&) { EXPECT_EQ(listSelection().SelectedPaymentID, "77"); }},
        {"TDepositLookupList", "", nullptr,
         [&](ListActionTest&) { EXPECT_EQ(listSelection().SelectedDepositID, "12"); }},
    };
    for (const SelectCase& c : cases) {
        SCOPED_TRACE(std::string(c.List) + " " + c.Search);
        if (c.Prepare)
            c.Prepare(*this);
        TLookupListForm* list = openList(c.List);
        ASSERT_NE(list, nullptr);
        if (*c.Search)
            list->Edit1->SetText(c.Search);
        bool closed = false;
        list->OnDestroy = [&](TObject*) { closed = true; };
        list->SelectButtonClick(list);
        Application->ProcessMessages();
        EXPECT_TRUE(closed);
        c.Check(*this);
    }
}

TEST_F(ListActionTest, ThePaymentPatientListCallsItsOpenersCallback) {
    open();
    std::string chosen;
    listSelection().AddBalancesDue = [&] { chosen = text(module->PatientTable, "RecName"); };
    TLookupListForm* list = openList("TPatientLookupList3");
    list->Edit1->SetText("CARTER");
    list->SelectButtonClick(list);
    listSelection().AddBalancesDue = nullptr;
    EXPECT_EQ(chosen, "CARTER SUE");
}

TEST_F(ListActionTest, DeletingAPatientTakesItsRecallsAndKeepsOthers) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Recall.dbf",
                               {{{"PATIENTID", "2"}, {"NAME", "BAKER ANN"}, {"DATE", "20260101"}},
                                {{"PATIENTID", "3"}, {"NAME", "CARTER SUE"}, {"DATE", "20260101"}},
                                {{"PATIENTID", "2"}, {"NAME", "BAKER ANN"}, {"DATE", "20270615"}}});
    open();
    TLookupListForm* list = openList("TLookupList");
    list->Edit1->SetText("BAKER");
    TDialogScript script;
    script.Answer(mrYes);
    list->DeleteButtonClick(list);
    EXPECT_EQ(countWhere("Recall.dbf", "PATIENTID", "2"), 0);
    EXPECT_EQ(countWhere("Recall.dbf", "PATIENTID", "3"), 1);
    EXPECT_EQ(countWhere("Recall.dbf", "PATIENTID", "9999999999"), 1);  // the sentinel
    EXPECT_EQ(countWhere("Patient.dbf", "ID", "2"), 0);
    list->Close();
}

TEST_F(ListActionTest, APatientLockedByAnotherProcessIsNotDeletedNorAreItsExams) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf",
                               {{{"ACCOUNT", "2"}, {"ID", "1"}}, {{"ACCOUNT", "2"}, {"ID", "2"}}});
    const std::string patients = company.File("Patient.dbf");
    ChildProcess other([&](ChildProcess& self) {
        if (!xb_Use(patients.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX) || !xb_Rlock(2))
            _exit(1);
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Started());
    ASSERT_TRUE(other.Receive());
    open();
    TLookupListForm* list = openList("TLookupList");
    list->Edit1->SetText("BAKER");
    TDialogScript script;
    script.Answer(mrYes).Answer(mrOk);
    list->DeleteButtonClick(list);
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Text, SRecordLockedByOther);
    EXPECT_EQ(countWhere("Patient.dbf", "ID", "2"), 1);
    EXPECT_EQ(countWhere("Incident.dbf", "ACCOUNT", "2"), 2);
    list->Close();
}

}  // namespace

