// The lookup lists over a real company: each of the nineteen opened by class
// name, and the patient list's search, delete and picture.
#include <QImage>

#include <algorithm>
#include <cstdlib>

#include "ModuleFixture.h"
#include "app/FormOpener.h"
#include "app/LookupListMembers.h"
#include "app/Schemas.h"
#include "base/SysUtils.h"
#include "controls/Qmdbgrid.h"
#include "data/Fields.h"
#include "support/TempDir.h"
#include "ui/MessageBeep.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

class LookupListTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        registerLookupLists();
    }
    TLookupListForm* openList(const std::string& ClassName) {
        auto* list = dynamic_cast<TLookupListForm*>(OpenForm(nullptr, {.ClassName = ClassName}));
        opened.push_back(list);
        return list;
    }
    void TearDown() override {
        for (TLookupListForm* list : opened)
            delete list;
        ModuleTest::TearDown();
    }
    std::vector<TLookupListForm*> opened;
};

struct ListCase {
    const char* ClassName;
    const char* Caption;
    std::vector<std::string> Sorts;
    // Visible buttons: New, Edit, Delete, Select, Advanced, Print.
    std::string Buttons;
    // Grid columns: field, width and title; "" for the pattern list's plain
    // grid, which shows the table's fields. The claims and accounts tables
    // have calculated fields, so their grids keep the fields' own layout.
    std::string Columns;
};

std::string GridColumns(TLookupListForm& list) {
    if (list.DBGrid1)
        return "";
    TQmDBGrid* grid = list.qmDBGrid1 ? list.qmDBGrid1 : list.AccountDBGrid;
    std::string shown;
    for (int i = 0; i < grid->FieldCount(); ++i) {
        TField* field = grid->Fields(i);
        shown += (i ? "|" : "") + field->FieldName() + " " + std::to_string(field->DisplayWidth()) + " " +
                 field->DisplayLabel();
    }
    return shown;
}

std::string VisibleButtons(TLookupListForm& list) {
    std::string shown;
    for (TButton* b : {list.NewButton, list.EditButton, list.DeleteButton, list.SelectButton,
                       list.AdvancedSearchButton, list.BitBtn1})
        shown += b && b->Visible() ? (b->Enabled() ? "Y" : "d") : "-";
    return shown;
}

TEST_F(LookupListTest, EveryListOpensByNameWithItsCaptionSortsAndButtons) {
    open();
    const ListCase cases[] = {
        {"TLookupList", "Patients", {"Name", "Account"}, "YYY-Y-",
         "RECNAME 33 NAME|ID 11 Account|BALANCE 10 Balance"},
        {"TPatientLookupList2", "Patient Lookup", {"Name", "Account"}, "YY-YY-",
         "RECNAME 33 NAME|ID 11 Account|BALANCE 10 Balance"},
        {"TPatientLookupList3", "Patient Lookup", {"Name", "Account"}, "YY-YY-",
         "RECNAME 33 NAME|ID 11 Account|BALANCE 10 Balance"},
        {"TPatientLookupList4", "Patient Lookup", {"Name", "Account"}, "YY-YY-",
         "RECNAME 33 NAME|ID 11 Account|BALANCE 10 Balance"},
        {"TReceiptLookupList", "Receipt Lookup", {"Receipt", "Account"}, "-Y-Y--",
         "RECEIPT 10 RECEIPT|DATE 10 DATE|PATID 10 PATID|NAME 30 NAME"},
        {"TPaymentLookupList", "Payment Lookup", {"Payment#", "Name"}, "-Y-Y--",
         "ID 10 Payment#|DATE 10 DATE|NAME 30 NAME"},
        {"TDepositLookupList", "Deposit Lookup", {"ID", "Date"}, "-Y-Y--",
         "ID 17 ID|DATE 10 DATE|TOTAL 16 TOTAL"},
        {"TInsCompLookupList", "Insurance Companies", {"Name", "State & City", "Account"}, "YY----",
         "NAME 30 Name|STATE 2 State|CITY 15 City|ID 5 Acct#"},
        {"TInsCompLookupList1", "Insurance Companies", {"Name", "State & City", "Account"}, "YY-Y--",
         "NAME 30 Name|STATE 2 State|CITY 15 City|ID 5 Acct#"},
        {"TInsCompSelect2", "Insurance Companies", {"Name", "State & City", "Account"}, "YY-Y--",
         "NAME 30 Name|STATE 2 State|CITY 15 City|ID 5 Acct#"},
        {"TClaimLookupList", "Insurance Claims", {"Claim No.", "Name", "Date", "Not Submitted"}, "YYY---",
         "ID 10 Claim#|DATE 10 Date|PAT_NAME 27 Name|ACPTASSIGN 5 ACPTASSIGN|PRINTED 10 Printed|EBILLED 10 EBilled|"
         "PAT_SexMale 1 PAT_SexMale|PAT_SexFemale 1 PAT_SexFemale|Pat_BirthYear 4 Pat_BirthYear"},
        {"TItemLookupList", "Items", {"Item", "Category", "Description"}, "YYY---",
         "ID 10 Item|CATEGORY 19 Category|DESC 30 Description|QTYONHAND 10 Quantity"},
        {"TItemLookupListSelect", "Items", {"Item", "Category", "Description"}, "YYYY--",
         "ID 10 Item|CATEGORY 19 Category|DESC 30 Description|QTYONHAND 10 Quantity"},
        {"TPersonnelLookupList", "Personnel", {"Name", "Account"}, "YYY---",
         "RECNAME 30 Name|ID 14 ID"},
        {"TAccountLookupList", "Chart of Accounts", {"Account"}, "dYd---",
         "ID 6 ID|TYPE 25 TYPE|NAME 25 NAME|BALANCE 10 BALANCE|DC 1 DC|CalcBalance 10 Balance"},
        {"TCPTCodeLookupList", "CPT Code Lookup", {"Code", "Category", "Description"}, "YYY---",
         "ID 12 Code|CATEGORY 20 Category|DESC 27 Description"},
        {"TDiagCodeLookupList", "Diagnosis Code Lookup", {"Code", "Category", "Description"}, "YYY---",
         "ID 12 Code|CATEGORY 20 Category|DESC 27 Description"},
        {"TPatternLookupList", "Pattern Lookup", {"ID", "Manufacturer", "Description", "Location"}, "YYY---",
         ""},
        {"TCarryOutStatementLookupList", "Carry-Out Statement", {"Name", "Account"}, "-----Y",
         "RECNAME 33 NAME|ID 11 Account|BALANCE 10 Balance"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.ClassName);
        TLookupListForm* list = openList(c.ClassName);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->ClassName(), c.ClassName);
        EXPECT_EQ(list->Caption(), c.Caption);
        std::vector<std::string> sorts;
        for (int i = 0; i < list->SortComboBox->Items()->Count(); ++i)
            sorts.push_back(list->SortComboBox->Items()->Strings(i));
        EXPECT_EQ(sorts, c.Sorts);
        EXPECT_EQ(VisibleButtons(*list), c.Buttons);
        EXPECT_EQ(GridColumns(*list), c.Columns);
        EXPECT_EQ(list->Edit1->Hint(), "Incremental Search Field");
        EXPECT_FALSE(list->SortComboBox->TabStop());
        // Nothing to act on: the record actions do nothing and raise nothing.
        if (std::string(c.ClassName) != "TAccountLookupList") {
            list->DeleteButtonClick(list);
            list->SelectButtonClick(list);
            list->EditButtonClick(list);
        }
    }
}

// A money column shows cents: 125.50, never 125.5; a money column is a
// column of two decimals in the table, or a calculated number.
TEST_F(LookupListTest, EveryMoneyColumnOfEveryListShowsTwoDecimals) {
    open();
    for (const char* name : {"TLookupList", "TPatientLookupList2", "TReceiptLookupList", "TPaymentLookupList",
                             "TDepositLookupList", "TInsCompLookupList", "TClaimLookupList", "TItemLookupList",
                             "TPersonnelLookupList", "TAccountLookupList", "TCPTCodeLookupList",
                             "TDiagCodeLookupList", "TPatternLookupList", "TCarryOutStatementLookupList"}) {
        SCOPED_TRACE(name);
        TLookupListForm* list = openList(name);
        ASSERT_NE(list, nullptr);
        if (list->DBGrid1) continue;  // the pattern list: no numbers
        TQmDBGrid* grid = list->qmDBGrid1 ? list->qmDBGrid1 : list->AccountDBGrid;
        for (int i = 0; i < grid->FieldCount(); ++i) {
            TField* field = grid->Fields(i);
            auto* number = dynamic_cast<TNumericField*>(field);
            if (!number) continue;
            bool money = field->Calculated();
            if (!money) {
                auto* table = dynamic_cast<TTable*>(field->DataSet());
                const TTableSchema* schema = table ? Schemas::findTable(table->TableName()) : nullptr;
                ASSERT_NE(schema, nullptr) << field->FieldName();
                for (const TFieldSchema& f : schema->Fields)
                    money = money || (SameText(f.Name, field->FieldName()) && f.Decimals == 2);
            }
            if (!money) continue;
            SCOPED_TRACE(field->FieldName());
            const std::string shown = FormatFloat(number->DisplayFormat(), 125.5);
            EXPECT_EQ(shown.substr(shown.find_first_of("0123456789")), "125.50");
            EXPECT_NE(FormatFloat(number->DisplayFormat(), 40).find("40.00"), std::string::npos);
        }
    }
}

class PatientListTest : public LookupListTest {
protected:
    void SetUp() override {
        LookupListTest::SetUp();
        CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf",
                                   {{{"ID", "1"}, {"RECNAME", "ADAMS JOHN"}, {"NAME", "John Adams"}, {"BALANCE", "12.5"}},
                                    {{"ID", "2"}, {"RECNAME", "BAKER ANN"}, {"NAME", "Ann Baker"}},
                                    {{"ID", "3"}, {"RECNAME", "CARTER SUE"}, {"NAME", "Sue Carter"}}});
        makeFullTextIndex(3);
    }
    std::string currentName() { return DataModule1->PatientTable->FieldByName("RecName")->AsString(); }
};

TEST_F(PatientListTest, SearchSeeksOnEveryChangeAndBeepsOnlyInNameOrder) {
    open();
    TLookupListForm* list = openList("TLookupList");
    clearMessageBeeps();
    list->Edit1->SetText("BAK");
    EXPECT_EQ(currentName().substr(0, 9), "BAKER ANN");
    EXPECT_TRUE(messageBeepsHeard().empty());
    list->Edit1->SetText("ZED");
    EXPECT_EQ(messageBeepsHeard(), std::vector<unsigned>{0});

    char key = 'a';
    list->SortComboBoxKeyPress(list->SortComboBox, key);
    EXPECT_EQ(list->SortComboBox->Text(), "Account");
    EXPECT_EQ(DataModule1->PatientTable->IndexName(), "ID");
    clearMessageBeeps();
    for (const char* typed : {"999", "  125", "<NEW>", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"})
        list->Edit1->SetText(typed);
    EXPECT_TRUE(messageBeepsHeard().empty());
    key = 'q';
    list->SortComboBoxKeyPress(list->SortComboBox, key);
    EXPECT_EQ(list->SortComboBox->Text(), "Account");
}

TEST_F(PatientListTest, APatientWithAReceiptIsRefusedEvenAfterNo) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Sales.dbf", {{{"RECEIPT", "1"}, {"PATID", "2"}}});
    open();
    TLookupListForm* list = openList("TLookupList");
    list->Edit1->SetText("BAKER");
    TDialogScript script;
    script.Answer(mrNo).Answer(mrOk);
    list->DeleteButtonClick(list);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_NE(script.Shown()[1].Text.find("there are receipts for this patient"), std::string::npos);
    list->Edit1->SetText("BAKER");
    EXPECT_EQ(currentName().substr(0, 9), "BAKER ANN");
}

TEST_F(PatientListTest, DeletingAPatientTakesItsExamsAndRecallsFirst) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf",
                               {{{"ACCOUNT", "2"}, {"ID", "1"}}, {{"ACCOUNT", "2"}, {"ID", "2"}},
                                {{"ACCOUNT", "3"}, {"ID", "1"}}});
    open();
    TLookupListForm* list = openList("TLookupList");
    list->Edit1->SetText("BAKER");
    TDialogScript script;
    script.Answer(mrYes);
    list->DeleteButtonClick(list);
    list->Edit1->SetText("BAKER");
    EXPECT_NE(currentName().substr(0, 5), "BAKER");
    list->Edit1->SetText("CARTER");
    EXPECT_EQ(currentName().substr(0, 10), "CARTER SUE");
    std::vector<long long> left;
    withTable("Incident.dbf", [&] {
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            if (!xb_Deleted())
                left.push_back(std::atoll(xb_GetTrimString("ACCOUNT")));
    });
    EXPECT_EQ(std::count(left.begin(), left.end(), 2), 0);
    EXPECT_EQ(std::count(left.begin(), left.end(), 3), 1);
}

TEST_F(PatientListTest, ThePatientListIsPainted) {
    open();
    TLookupListForm* list = openList("TLookupList");
    TempDir dir;
    const std::string file = std::getenv("QM_LIST_PICTURE") ? std::getenv("QM_LIST_PICTURE") : dir.path() + "/patients.png";
    renderToPng(list, file);
    QImage picture(QString::fromStdString(file));
    EXPECT_FALSE(picture.isNull());
}

TEST_F(LookupListTest, ThePatternListShowsTheTableInItsPlainGrid) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Pattern.dbf",
                               {{{"ID", "P100"}, {"MANF", "Safilo"}, {"DESC", "Round 48"}, {"LOC", "Drawer 1"}},
                                {{"ID", "P200"}, {"MANF", "Luxottica"}, {"DESC", "Aviator 55"}, {"LOC", "Drawer 2"}}});
    open();
    TLookupListForm* list = openList("TPatternLookupList");
    ASSERT_NE(list->DBGrid1, nullptr);
    list->Show();
    Application->ProcessMessages();
    ASSERT_GE(list->DBGrid1->rowCount(), 2);
    EXPECT_EQ(list->DBGrid1->cellText(0, 0), "P100");
    TempDir dir;
    const std::string file =
        std::getenv("QM_PATTERN_PICTURE") ? std::getenv("QM_PATTERN_PICTURE") : dir.path() + "/patterns.png";
    renderToPng(list, file);
    EXPECT_FALSE(QImage(QString::fromStdString(file)).isNull());
}

}  // namespace
