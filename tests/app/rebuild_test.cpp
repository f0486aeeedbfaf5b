#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/IndexCatalog.h"
#include "app/Rebuild.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"
#include "xbase/FTS32.h"
#include "xbase/Xbase.h"
#include "xbengine/XbEngine.h"

namespace {

using CompanyFixture::Row;

// The company side of the rebuild, as the data module provides it: here it
// only records what the rebuild asked of it.
class RecordingCompany : public TComponent, public TCompanyFiles {
public:
    RecordingCompany() : TComponent(nullptr) {}
    std::string DataFolder() const override { return company.DataDirectory(); }
    void CloseFiles() override {
        calls.push_back("CloseFiles");
        if (whileClosing)
            whileClosing();
    }
    void OpenFiles() override {
        calls.push_back("OpenFiles");
        openCountWhenOpened = CompanyIni::File(company.DataDirectory()).Read(CompanyIni::OpenCount);
    }

    TestCompany company;
    std::vector<std::string> calls;
    // Runs inside the rebuild, as a user acting on the dialog meanwhile.
    std::function<void()> whileClosing;
    int openCountWhenOpened = -1;
};

class RebuildTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        oldDeleted_ = xb_SetDeleted(XB_ON);  // as the program runs
    }
    void TearDown() override {
        Session()->Close();
        xb_CloseAll();
        xb_SetDeleted(oldDeleted_);
    }

    // A dialog that reports when it is gone.
    TRebuildDlg* NewDialog() {
        auto* dialog = new TRebuildDlg(nullptr, &owner);
        dialog->OnDestroy = [this](TObject*) { dialogGone = true; };
        return dialog;
    }

    void RemoveIndexFiles() {
        for (const std::string& name : os::ListFiles(owner.DataFolder(), "*.nsx"))
            ASSERT_TRUE(os::DeleteFile(owner.company.File(name)));
    }

    // Every tag of the catalogue is in its table's index file.
    void ExpectAllTags() {
        for (const TIndexedTable& table : IndexCatalog::Tables()) {
            SCOPED_TRACE(table.FileName);
            ASSERT_NE(xb_Use(owner.company.File(table.FileName).c_str(), "CHECKED", XB_READONLY, XB_DRIVER_NSX), 0);
            EXPECT_EQ(static_cast<size_t>(xb_SysProp(XB_SP_TAG_COUNT, 0)), table.Tags.size());
            for (const TIndexTagDef& tag : table.Tags)
                EXPECT_NE(xb_TagArea(tag.TagName), 0) << tag.TagName;
            xb_Close();
        }
    }

    // A file made anew has another inode, even with the same bytes.
    static ino_t Inode(const std::string& Path) {
        struct stat info {};
        EXPECT_EQ(stat(Path.c_str(), &info), 0) << Path;
        return info.st_ino;
    }

    // Every index file of the company and what makes it that file: its
    // inode and its bytes.
    std::map<std::string, std::pair<ino_t, std::string>> IndexFiles() {
        std::map<std::string, std::pair<ino_t, std::string>> files;
        for (const std::string& name : os::ListFiles(owner.DataFolder(), "*.nsx")) {
            std::string path = owner.company.File(name);
            std::ifstream in(path, std::ios::binary);
            files[name] = {Inode(path), std::string(std::istreambuf_iterator<char>(in), {})};
        }
        EXPECT_TRUE(os::ListFiles(owner.DataFolder(), "*.old").empty()) << "no file left aside";
        return files;
    }

    static std::string BusyText(const std::string& Named) {
        return "The indexes were not rebuilt: " + Named +
               " in use by another user.\r\rClose the company on the other workstations, then rebuild the indexes.";
    }

    RecordingCompany owner;
    bool dialogGone = false;

private:
    int oldDeleted_ = 0;
};

TEST_F(RebuildTest, OpenSequenceRebuildsEveryDeletedIndexQuietly) {
    CompanyFixture::AppendRows(owner.DataFolder(), "Item.dbf",
                               {{{"ID", "B"}, {"CATEGORY", "Frames"}}, {{"ID", "A"}, {"CATEGORY", "Frames"}}});
    RemoveIndexFiles();
    CompanyIni::File(owner.DataFolder()).Write(CompanyIni::OpenCount, 2);

    TDialogScript script;  // no message expected
    NewDialog()->RebuildFiles(&owner, false);
    Application->ProcessMessages();

    EXPECT_TRUE(script.Shown().empty());
    EXPECT_EQ(owner.calls, std::vector<std::string>{"CloseFiles"});
    EXPECT_EQ(CompanyIni::File(owner.DataFolder()).Read(CompanyIni::OpenCount), 0);
    EXPECT_TRUE(dialogGone);
    ExpectAllTags();

    // The rebuilt tags hold the records that were there.
    ASSERT_NE(xb_Use(owner.company.File("Item.dbf").c_str(), "ITEMS", XB_READONLY, XB_DRIVER_NSX), 0);
    xb_SetOrder(xb_TagArea("UCategory"));
    EXPECT_EQ(xb_Count(), 1);
    xb_SetOrder(xb_TagArea("ID"));
    xb_GoTop();
    EXPECT_STREQ(xb_GetTrimString("ID"), "A");
    xb_Close();
}

TEST_F(RebuildTest, MenuRebuildReopensTheCompanyAndSaysSo) {
    CompanyIni::File(owner.DataFolder()).Write(CompanyIni::OpenCount, 3);
    TDialogScript script;
    script.Answer(mrOk);
    TRebuildDlg* dialog = NewDialog();
    dialog->OKBtnClick(dialog->OKBtn);
    Application->ProcessMessages();

    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Rebuild Complete!");
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"CloseFiles", "OpenFiles"}));
    EXPECT_EQ(owner.openCountWhenOpened, 0);
    EXPECT_TRUE(dialogGone);
}

TEST_F(RebuildTest, FullTextKeyNIsRecordNOverDeletedRecords) {
    CompanyFixture::AppendRows(owner.DataFolder(), "Patient.dbf",
                               {{{"RECNAME", "Adams, Amy"}, {"ADDR", "1 Elm St"}},
                                {{"RECNAME", "Baker, Bo"}, {"PHONE1", "(555)111-2222"}},
                                {{"RECNAME", "Cole, Cy"}, {"SSN", "123-45-6789"}},
                                {{"RECNAME", "Drake, Di"}},
                                {{"RECNAME", "Evans, Eve"}, {"PHONE2", "(555)999-0000"}}});
    CompanyFixture::DeleteRecords(owner.DataFolder(), "Patient.dbf", {2, 4});

    TDialogScript script;
    NewDialog()->RebuildFiles(&owner, false);
    Application->ProcessMessages();
    EXPECT_TRUE(script.Shown().empty());
    EXPECT_EQ(xb_SetDeleted(XB_ON), 1) << "deleted records are hidden again";

    TFts fts(nullptr);
    ASSERT_EQ(fts.Open(owner.company.File("Patient.ia"), 20, 0), 0);
    EXPECT_EQ(fts.NumRecs(), 3);
    struct Search {
        const char* Text;
        int RecNo;  // 0: no match
    };
    const Search searches[] = {
        {"ADAMS", 1}, {"ELM", 1}, {"BAKER", 0}, {"555", 5}, {"COLE", 3}, {"123-45", 3}, {"DRAKE", 0}, {"EVANS", 5},
    };
    for (const Search& s : searches) {
        SCOPED_TRACE(s.Text);
        ASSERT_EQ(fts.Set(s.Text), 1);
        EXPECT_EQ(std::max(fts.NextRec(), 0), s.RecNo);
    }
    fts.Close();
}

TEST_F(RebuildTest, FullTextKeysStayOnTheirRecordsWhenTheFirstPatientIsDeleted) {
    CompanyFixture::AppendRows(owner.DataFolder(), "Patient.dbf",
                               {{{"RECNAME", "Adams, Amy"}, {"ADDR", "1 Elm St"}},
                                {{"RECNAME", "Baker, Bo"}, {"PHONE1", "(555)111-2222"}},
                                {{"RECNAME", "Cole, Cy"}, {"SSN", "123-45-6789"}},
                                {{"RECNAME", "Drake, Di"}, {"ADDR", "4 Oak Ave"}},
                                {{"RECNAME", "Evans, Eve"}, {"PHONE2", "(555)999-0000"}}});
    CompanyFixture::DeleteRecords(owner.DataFolder(), "Patient.dbf", {1, 3});

    TDialogScript script;
    NewDialog()->RebuildFiles(&owner, false);
    Application->ProcessMessages();
    EXPECT_TRUE(script.Shown().empty());

    TFts fts(nullptr);
    ASSERT_EQ(fts.Open(owner.company.File("Patient.ia"), 20, 0), 0);
    EXPECT_EQ(fts.NumRecs(), 3);
    struct Search {
        const char* Text;
        int RecNo;  // 0: no match
    };
    const Search searches[] = {
        {"ADAMS", 0}, {"ELM", 0}, {"BAKER", 2}, {"111-2222", 2}, {"COLE", 0}, {"DRAKE", 4}, {"OAK", 4}, {"EVANS", 5},
    };
    for (const Search& s : searches) {
        SCOPED_TRACE(s.Text);
        ASSERT_EQ(fts.Set(s.Text), 1);
        EXPECT_EQ(std::max(fts.NextRec(), 0), s.RecNo);
    }
    fts.Close();
}

TEST_F(RebuildTest, NoIndexSurvivesUnderAnotherCase) {
    // An old index under another spelling would be found by the case-blind open.
    namespace fs = std::filesystem;
    fs::copy_file(owner.company.File("Item.nsx"), fs::path(owner.DataFolder()) / "ITEM.NSX");
    CompanyFixture::AppendRows(owner.DataFolder(), "Item.dbf", {{{"ID", "NEW"}}});

    TDialogScript script;
    NewDialog()->RebuildFiles(&owner, false);
    Application->ProcessMessages();

    EXPECT_EQ(os::ListFiles(owner.DataFolder(), "item.nsx"), std::vector<std::string>{"Item.nsx"});
    EXPECT_TRUE(os::ListFiles(owner.DataFolder(), "*.old").empty());
    ASSERT_NE(xb_Use(owner.company.File("Item.dbf").c_str(), "ITEMS", XB_READONLY, XB_DRIVER_NSX), 0);
    xb_SetOrder(xb_TagArea("ID"));
    EXPECT_EQ(xb_Count(), 1);
    xb_Close();
}

TEST_F(RebuildTest, ProgressCodesMoveTheGaugeAndRealKeysPass) {
    TRebuildDlg* dialog = NewDialog();
    struct KeyCase {
        Word Key;
        bool Swallowed;
        int Gauge;
    };
    const KeyCase cases[] = {{65436, true, 100}, {65486, true, 50}, {0xFFFF, true, 1}, {VK_RETURN, false, 1},
                             {VK_SPACE, false, 1}, {'A', false, 1}};
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.Key);
        Word key = c.Key;
        dialog->OKBtnKeyDown(dialog->OKBtn, key, {});
        EXPECT_EQ(key, c.Swallowed ? 0 : c.Key);
        EXPECT_EQ(dialog->IndexGauge->Progress(), c.Gauge);
    }

    // Enter on the OK button still starts the rebuild.
    TDialogScript script;
    script.Answer(mrOk);
    dialog->OKBtn->SendKey(VK_RETURN);
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Rebuild Complete!");
    EXPECT_TRUE(dialogGone);
}

TEST_F(RebuildTest, CancelWaitsForTheRunningRebuild) {
    TRebuildDlg* dialog = NewDialog();
    owner.whileClosing = [&] {
        dialog->CancelBtnClick(dialog->CancelBtn);
        Application->ProcessMessages();
        EXPECT_FALSE(dialogGone);
    };
    TDialogScript script;
    dialog->RebuildFiles(&owner, false);
    Application->ProcessMessages();
    EXPECT_TRUE(dialogGone);
    ExpectAllTags();
}

TEST_F(RebuildTest, TagProgressReachesTheIndexGauge) {
    CompanyFixture::AppendRows(owner.DataFolder(), "Item.dbf", {{{"ID", "b"}}, {{"ID", "a"}}, {{"ID", "c"}}});
    TRebuildDlg* dialog = NewDialog();
    TTable items(nullptr);
    items.SetDatabaseName(owner.DataFolder());
    items.SetTableName("Item.dbf");
    items.SetTableType(ttSXNSX);
    items.SetExclusive(true);
    TDataSource source(nullptr);
    source.SetDataSet(&items);
    TXbase engine(nullptr);
    engine.SetDataSource(&source);
    items.Open();

    dialog->IndexGauge->SetProgress(42);
    EXPECT_NE(dialog->RebuildConditionalTag(&engine, "Upper", "!empty(id)", "upper(id)"), 0);
    EXPECT_EQ(dialog->IndexGauge->Progress(), 100);
    EXPECT_EQ(dialog->TagLabel->Caption(), "Upper");
    EXPECT_EQ(UpperCase(items.IndexName()), "UPPER");
    items.First();
    EXPECT_EQ(items.FieldByName("ID")->AsString(), "a");

    // A refused tag is reported, never taken for built.
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_EQ(dialog->RebuildTag(&engine, "Broken", "nosuchfield"), 0);
    ASSERT_EQ(script.Shown().size(), 1u);
    items.Close();
    delete dialog;
}

TEST_F(RebuildTest, TablesHeldByAnotherUserStopTheRebuildBeforeAnythingChanges) {
    struct Case {
        std::vector<std::string> held;
        std::string named;
    } cases[] = {
        {{"Sales.dbf"}, "Sales.dbf is"},
        {{"Patient.dbf", "Pattern.dbf"}, "Patient.dbf, Pattern.dbf are"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        owner.calls.clear();
        dialogGone = false;
        CompanyIni::File(owner.DataFolder()).Write(CompanyIni::OpenCount, 2);
        const auto before = IndexFiles();
        for (const std::string& table : c.held)
            ASSERT_NE(xb_Use(owner.company.File(table).c_str(), ("OTHER" + table).c_str(), XB_SHARED, XB_DRIVER_NSX), 0);

        TDialogScript script;
        script.Answer(mrOk);
        NewDialog()->RebuildFiles(&owner, true);
        Application->ProcessMessages();
        xb_CloseAll();

        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, BusyText(c.named));
        EXPECT_EQ(IndexFiles(), before);
        EXPECT_EQ(owner.calls, (std::vector<std::string>{"CloseFiles", "OpenFiles"}));
        EXPECT_EQ(CompanyIni::File(owner.DataFolder()).Read(CompanyIni::OpenCount), 2);
        EXPECT_EQ(Screen->Cursor(), crDefault);
        EXPECT_TRUE(dialogGone);
    }
}

TEST_F(RebuildTest, TableOpenedElsewhereWhileRebuildingPutsEveryIndexFileBack) {
    const auto before = IndexFiles();
    ASSERT_FALSE(os::FileExists(owner.company.File("Patient.ia")));
    // Another workstation opens Sales.dbf once the rebuild has begun, after
    // the check and while Patient.dbf is being rebuilt.
    owner.whileClosing = [this] {
        queueOnMainThread([this] {
            EXPECT_NE(xb_Use(owner.company.File("Sales.dbf").c_str(), "LATECOMER", XB_SHARED, XB_DRIVER_NSX), 0);
        });
    };
    TDialogScript script;
    script.Answer(mrOk);
    NewDialog()->RebuildFiles(&owner, false);
    Application->ProcessMessages();
    xb_CloseAll();

    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, BusyText("Sales.dbf is"));
    EXPECT_TRUE(os::FileExists(owner.company.File("Patient.ia"))) << "the patients were rebuilt first";
    EXPECT_EQ(IndexFiles(), before);
    EXPECT_EQ(owner.calls, std::vector<std::string>{"CloseFiles"});
    EXPECT_TRUE(dialogGone);
}

}  // namespace
