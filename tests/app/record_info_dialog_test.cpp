// The record info dialogs over a real company: each opened by class name on
// its table's record, OK posting only a change, a refused post keeping the
// dialog open, and the pictures.
#include <QImage>

#include <cstdlib>
#include <filesystem>

#include "ModuleFixture.h"
#include "app/FormOpener.h"
#include "app/LookupListMembers.h"
#include "app/RecordInfoDialogs.h"
#include "support/TempDir.h"
#include "ui/DBCtrls.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

class RecordInfoDialogTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        registerLookupLists();
        holder = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        holder.reset();
        ModuleTest::TearDown();
    }
    TRecordInfoDlg* openDialog(const std::string& ClassName) {
        return dynamic_cast<TRecordInfoDlg*>(OpenForm(holder.get(), {.ClassName = ClassName}));
    }
    std::filesystem::file_time_type modified(const std::string& FileName) {
        return std::filesystem::last_write_time(company.File(FileName));
    }
    std::unique_ptr<TComponent> holder;
};

// A field the dialog edits: its name, input limit and whether it is read-only.
struct EditCase {
    std::string Field;
    int MaxLength;
    bool ReadOnly;
};

std::vector<EditCase> EditsOf(TForm& dialog) {
    std::vector<EditCase> edits;
    for (int i = 0; i < dialog.ComponentCount(); ++i) {
        if (auto* edit = dynamic_cast<TDBEdit*>(dialog.Components(i)); edit && edit->Visible())
            edits.push_back({edit->DataField(), edit->MaxLength(), edit->ReadOnly()});
        if (auto* combo = dynamic_cast<TDBComboBox*>(dialog.Components(i)))
            edits.push_back({combo->DataField(), -static_cast<int>(combo->Items()->Count()), combo->ReadOnly()});
    }
    return edits;
}

bool operator==(const EditCase& a, const EditCase& b) {
    return a.Field == b.Field && a.MaxLength == b.MaxLength && a.ReadOnly == b.ReadOnly;
}
void PrintTo(const EditCase& e, std::ostream* os) { *os << e.Field << "/" << e.MaxLength << "/" << e.ReadOnly; }

TEST_F(RecordInfoDialogTest, EachDialogOpensByNameWithItsCaptionAndBoundControls) {
    open();
    struct Case {
        const char* ClassName;
        const char* Caption;
        bool Centred;
        // Combos count as a negative MaxLength: minus their item count.
        std::vector<EditCase> Edits;
    };
    const Case cases[] = {
        {"TCPTCodeInfoDlg", "CPT Code Information", false,
         {{"ID", 5, false}, {"DESC", 30, false}, {"CATEGORY", 0, false}}},
        {"TDiagCodeInfoDlg", "Diagnosis Code Information", true,
         {{"ID", 6, false}, {"DESC", 30, false}, {"CATEGORY", -1, false}}},
        {"TPersonnelInfoDlg", "Personnel Info", false,
         {{"NAME", 30, false}, {"ID", 0, false}, {"RECNAME", 30, false}}},
        {"TAccountInfoDlg", "Account Info", false,
         {{"NAME", 25, true}, {"BALANCE", 0, true}, {"TYPE", -4, true}}},
        {"TInsCompInfoDlg", "Insurance Company Information", false,
         {{"ID", 0, true}, {"NAME", 25, false}, {"ADDR", 25, false}, {"ADDR2", 25, false}, {"CITY", 15, false},
          {"STATE", 2, false}, {"ZIP", 10, false}, {"CONTACT", 24, false}, {"PHONE", 13, false}}},
        {"TPatternInfoDlg", "Pattern Information", true,
         {{"ID", 0, false}, {"DESC", 0, false}, {"MANF", 0, false}, {"LOC", 0, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ClassName);
        TRecordInfoDlg* dialog = openDialog(c.ClassName);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->ClassName(), c.ClassName);
        EXPECT_EQ(dialog->Caption(), c.Caption);
        EXPECT_EQ(dialog->Position() == poScreenCenter, c.Centred);
        EXPECT_EQ(EditsOf(*dialog), c.Edits);
        EXPECT_FALSE(dialog->BitBtn2->Visible());
        EXPECT_FALSE(dialog->BitBtn2->Enabled());
        // Closed, it frees itself.
        dialog->Close();
        Application->ProcessMessages();
        EXPECT_EQ(holder->ComponentCount(), 0);
    }
}

TEST_F(RecordInfoDialogTest, OKWithoutAChangeWritesNothing) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Pattern.dbf", {{{"ID", "P1"}, {"DESC", "Round"}}});
    open();
    const auto before = modified("Pattern.dbf");
    TRecordInfoDlg* dialog = openDialog("TPatternInfoDlg");
    dialog->BitBtn1->Click();
    Application->ProcessMessages();
    EXPECT_EQ(holder->ComponentCount(), 0);
    EXPECT_EQ(modified("Pattern.dbf"), before);
}

TEST_F(RecordInfoDialogTest, ANewProcedureCodeMovesToItsPlaceInCodeOrder) {
    CompanyFixture::AppendRows(company.DataDirectory(), "CptCode.dbf",
                               {{{"ID", "92002"}, {"DESC", "Exam"}}, {{"ID", "92004"}, {"DESC", "Full exam"}}});
    open();
    auto* list = dynamic_cast<TLookupListForm*>(OpenForm(holder.get(), {.ClassName = "TCPTCodeLookupList"}));
    ASSERT_NE(list, nullptr);
    list->Edit1->SetText("92004");
    auto* dialog = dynamic_cast<TCPTCodeInfoDlg*>(openDialog("TCPTCodeInfoDlg"));
    ASSERT_NE(dialog, nullptr);
    DataModule1->CPTCodeTable->Edit();
    dialog->DBEdit1->SetText("92001");
    dialog->BitBtn1->Click();
    Application->ProcessMessages();
    list->FormActivate(list);
    DataModule1->CPTCodeTable->First();
    EXPECT_EQ(DataModule1->CPTCodeTable->FieldByName("DESC")->AsString().substr(0, 9), "Full exam");
    delete list;
}

TEST_F(RecordInfoDialogTest, ARefusedPostKeepsTheDialogOpenWithTheMessage) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Pattern.dbf", {{{"ID", "P1"}, {"DESC", "Round"}}});
    open();
    auto* dialog = dynamic_cast<TPatternInfoDlg*>(openDialog("TPatternInfoDlg"));
    ASSERT_NE(dialog, nullptr);
    DataModule1->PatternTable->FieldByName("DESC")->SetRequired(true);
    DataModule1->PatternTable->Edit();
    dialog->DBEdit2->SetText("");
    TDialogScript script;
    script.Answer(mrOk);
    dialog->BitBtn1->Click();
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("must have a value"), std::string::npos);
    EXPECT_EQ(holder->ComponentCount(), 1);
    DataModule1->PatternTable->Cancel();
}

TEST_F(RecordInfoDialogTest, TheCarrierAndCodeDialogsArePainted) {
    CompanyFixture::AppendRows(company.DataDirectory(), "InsComp.dbf",
                               {{{"ID", "1"}, {"NAME", "Vision Mutual"}, {"ADDR", "12 Main St"}, {"CITY", "Springfield"},
                                 {"STATE", "IL"}, {"ZIP", "62701"}, {"CONTACT", "Mary Long"}, {"PHONE", "(217)555-0101"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "CptCode.dbf",
                               {{{"ID", "92004"}, {"DESC", "Comprehensive eye exam"}, {"CATEGORY", "Exams"}}});
    open();
    TempDir dir;
    const char* folder = std::getenv("QM_INFO_PICTURES");
    for (const char* name : {"TInsCompInfoDlg", "TCPTCodeInfoDlg"}) {
        const std::string file = (folder ? std::string(folder) : dir.path()) + "/" + name + ".png";
        renderToPng(openDialog(name), file);
        EXPECT_FALSE(QImage(QString::fromStdString(file)).isNull());
    }
}

}  // namespace
