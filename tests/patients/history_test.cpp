// The patient history tree over the fixture's exams and a few receipts: the
// three levels with their texts and pictures, the tables' tags and scopes
// left as they were, and the double click on a receipt leaf.
#include "PatientFormSupport.h"
#include "app/ReceiptOpener.h"
#include "patients/History.h"
#include "ui/ComCtrls.h"
#include "ui/DialogResponder.h"

namespace {

class HistoryTest : public PatientFormTest {
protected:
    void SetUp() override {
        PatientFormTest::SetUp();
        CompanyFixture::AppendRows(company.DataDirectory(), "Sales.dbf",
                                   {{{"RECEIPT", "101"}, {"DATE", "20240105"}, {"PATID", "1"}, {"INCIDENT", "1"},
                                     {"BILLINSUR", "T"}},
                                    {{"RECEIPT", "102"}, {"DATE", "20240120"}, {"PATID", "1"}, {"INCIDENT", "1"},
                                     {"BILLINSUR", "F"}},
                                    {{"RECEIPT", "103"}, {"DATE", "20260201"}, {"PATID", "1"}, {"INCIDENT", "7"},
                                     {"BILLINSUR", "F"}},
                                    {{"RECEIPT", "104"}, {"DATE", "20230303"}, {"PATID", "2"}, {"INCIDENT", "1"},
                                     {"BILLINSUR", "F"}}});
        open();
    }
    void TearDown() override {
        setReceiptOpenHandler({});
        PatientFormTest::TearDown();
    }
    THistoryForm* openHistory(int PatientID) {
        moveTo(PatientID);
        auto* form = dynamic_cast<THistoryForm*>(
            OpenForm(holder.get(), {.ClassName = "THistoryForm", .Caption = "&History", .Style = osShow}));
        EXPECT_NE(form, nullptr);
        return form;
    }
    // The tree as lines: two blanks per level, the text, then "#" and the picture.
    static std::vector<std::string> lines(TTreeView* Tree) {
        std::vector<std::string> all;
        for (int i = 0; i < Tree->Items()->Count(); ++i) {
            TTreeNode* node = Tree->Items()->Item(i);
            all.push_back(std::string(2 * node->Level(), ' ') + node->Text() + " #" +
                          std::to_string(node->ImageIndex()) + "/" + std::to_string(node->SelectedIndex()));
        }
        return all;
    }
    TTreeNode* nodeNamed(TTreeView* Tree, const std::string& Text) {
        for (int i = 0; i < Tree->Items()->Count(); ++i)
            if (Tree->Items()->Item(i)->Text() == Text)
                return Tree->Items()->Item(i);
        ADD_FAILURE() << Text;
        return nullptr;
    }
};

TEST_F(HistoryTest, ExamsWithTheirReceiptsInThreeLevels) {
    THistoryForm* form = openHistory(1);
    EXPECT_EQ(form->Caption(), "Patient History - DOE, JANE");
    const std::vector<std::string> expected{
        "Incident1 -  #0/0",
        "  Receipts #1/1",
        "    101     01/05/2024 #3/3",
        "    102     01/20/2024 #2/2",
        "Incident2 -  #0/0",
        "  Receipts #1/1",
        "Incident7 -  #0/0",
        "  Receipts #1/1",
        "    103     02/01/2026 #2/2",
    };
    EXPECT_EQ(lines(form->TreeView1), expected);
    form->TreeView1->FullExpand();
    picture(form, "history_tree");
    form->Close();
}

TEST_F(HistoryTest, NoExamsNoTree) {
    THistoryForm* form = openHistory(3);
    EXPECT_EQ(form->TreeView1->Items()->Count(), 0);
    form->Close();
}

TEST_F(HistoryTest, TagsAndScopesAreLeftAsTheyWere) {
    moveTo(1);
    module->IncidentTable->SetIndexName("ID");
    module->IncidentXbase->SetScope("         1   0", "         19999");
    module->SalesTable->SetIndexName("Receipt");
    module->SalesXbase->SetScope("102", "103");
    auto scope = [](TXbase* Engine) {
        std::string low, high;
        Engine->GetScope(XB_SCOPE_LOW, low);
        Engine->GetScope(XB_SCOPE_HIGH, high);
        return low + "|" + high;
    };
    const std::string examScope = scope(module->IncidentXbase);
    const std::string salesScope = scope(module->SalesXbase);
    THistoryForm* form = openHistory(2);
    EXPECT_EQ(form->TreeView1->Items()->Count(), 7);  // three exams, one receipt
    EXPECT_EQ(module->IncidentTable->IndexName(), "ID");
    EXPECT_EQ(scope(module->IncidentXbase), examScope);
    EXPECT_EQ(module->SalesTable->IndexName(), "Receipt");
    EXPECT_EQ(scope(module->SalesXbase), salesScope);
    form->Close();
}

TEST_F(HistoryTest, DoubleClickOpensOnlyAReceiptLeaf) {
    std::vector<std::string> opened;
    setReceiptOpenHandler([&](TComponent*, const std::string& Number) { opened.push_back(Number); });
    THistoryForm* form = openHistory(1);
    TDialogScript script;
    for (const char* text : {"Incident1 - ", "Receipts", "102     01/20/2024"}) {
        form->TreeView1->SetSelected(nodeNamed(form->TreeView1, text));
        form->TreeView1DblClick(form->TreeView1);
    }
    // The empty "Receipts" of exam 2 is a leaf too, and ignored.
    form->TreeView1->SetSelected(form->TreeView1->Items()->Item(5));
    form->TreeView1DblClick(form->TreeView1);
    EXPECT_EQ(opened, std::vector<std::string>{"102"});
    EXPECT_TRUE(script.Shown().empty());
    form->Close();
}

TEST_F(HistoryTest, AReceiptGoneSinceShowsNotFound) {
    setReceiptOpenHandler([](TComponent*, const std::string&) { ADD_FAILURE() << "opened"; });
    THistoryForm* form = openHistory(1);
    module->SalesTable->SetIndexName("Receipt");
    ASSERT_TRUE(module->SalesXbase->Seek("101"));
    module->SalesTable->Delete();
    TDialogScript script;
    script.Answer(mrOk);
    form->TreeView1->SetSelected(nodeNamed(form->TreeView1, "101     01/05/2024"));
    form->TreeView1DblClick(form->TreeView1);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Not Found!");
    form->Close();
}

TEST_F(HistoryTest, WithoutAHandlerTheReceiptPlaceholderShows) {
    THistoryForm* form = openHistory(1);
    form->TreeView1->SetSelected(nodeNamed(form->TreeView1, "103     02/01/2026"));
    form->TreeView1DblClick(form->TreeView1);
    bool placeholder = false;
    for (int i = 0; i < Screen->FormCount(); ++i)
        placeholder = placeholder || formClassName(Screen->Forms(i)) == "TReceiptForm";
    EXPECT_TRUE(placeholder);
    form->Close();
}

}  // namespace
