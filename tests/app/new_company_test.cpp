// The "New Company" dialog on a private installation root.
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/InstallLayout.h"
#include "app/NewCompany.h"
#include "app/Settings.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "support/ScopedRoot.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Texts(const TDialogScript& Script) {
    std::vector<std::string> shown;
    for (const TDialogRequest& request : Script.Shown())
        shown.push_back(request.Text);
    return shown;
}

// Everything under the root, as relative paths.
std::vector<std::string> Tree(const std::string& Root) {
    std::vector<std::string> paths;
    if (fs::exists(Root))
        for (const auto& entry : fs::recursive_directory_iterator(Root))
            paths.push_back(fs::relative(entry.path(), Root).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

class NewCompanyTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
    }
    void TearDown() override {
        Application->ProcessMessages();
        xb_CloseAll();
    }
    // Shows the dialog modally with Name typed and OK pressed; the dialog's
    // modal result. Answers of what the dialog shows follow in Then.
    int enter(TDialogScript& Script, const std::string& Name, std::vector<int> Then = {}) {
        Script.Answer([Name](TForm& Form) {
            auto& dialog = dynamic_cast<TNewCompanyDlg&>(Form);
            dialog.CompanyFilenameEdit->SetText(Name);
            dialog.OKBtn->Click();
        });
        for (int answer : Then)
            Script.Answer(answer);
        auto* dialog = new TNewCompanyDlg(nullptr);
        return dialog->ShowModal();
    }

    ScopedRoot root;
};

TEST_F(NewCompanyTest, Smith2GetsItsRegistryFileAndTwentyTwoEmptyTablesWithTheDefaultAccounts) {
    TDialogScript script;
    EXPECT_EQ(enter(script, "Smith2"), mrOk);
    EXPECT_EQ(script.Shown().size(), 1u) << "nothing but the dialog itself";

    TSettingsFile registry(root.path() + "/Company/Smith2.ini");
    EXPECT_EQ(registry.Read(CompanyRegistry::CompanyFileName), "Smith2");
    EXPECT_EQ(registry.Read(CompanyRegistry::Build), 1084);

    const std::string data = root.path() + "/Data/Smith2";
    const std::vector<std::string> tables = {
        "Patient.dbf", "Sales.dbf",    "SalesDtl.dbf", "Pymt.dbf",     "PymtDtl.dbf",  "Personne.dbf",
        "Ledger.dbf",  "Item.dbf",     "Ins.dbf",      "InsDtl.dbf",   "InsComp.dbf",  "Incident.dbf",
        "Deposit.dbf", "DeposDtl.dbf", "CptCode.dbf",  "DiagCode.dbf", "LabRx.dbf",    "Recall.dbf",
        "Calendar.dbf", "Schedule.dbf", "Pattern.dbf", "Acct.dbf"};
    std::vector<std::string> made = os::ListFiles(data, "*.dbf");
    std::vector<std::string> expected = tables;
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    EXPECT_EQ(made, expected);
    EXPECT_TRUE(os::ListFiles(data, "*.nsx").empty()) << "the first opening builds the indexes";

    TTable accounts(nullptr);
    accounts.SetDatabaseName(data);
    accounts.SetTableType(ttSXNSX);
    accounts.SetTableName("Acct");
    accounts.Open();
    std::vector<int> ids;
    for (accounts.First(); !accounts.Eof(); accounts.Next())
        ids.push_back(accounts.FieldByName("ID")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(NewCompanyTest, RefusedNamesKeepTheDialogOpenAndCreateNothing) {
    struct Case {
        const char* name;
        const char* message;
    } cases[] = {
        {"My Shop", "No spaces allowed in company filename."},
        {"../x", "Only letters, digits, _ and - are allowed in company filename."},
        {"a/b", "Only letters, digits, _ and - are allowed in company filename."},
        {".", "Only letters, digits, _ and - are allowed in company filename."},
        {"Caf\xe9", "Only letters, digits, _ and - are allowed in company filename."},
    };
    os::ForceDirectories(root.path() + "/Data");
    const std::vector<std::string> before = Tree(root.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDialogScript script;
        script.Answer([&](TForm& Form) {
            auto& dialog = dynamic_cast<TNewCompanyDlg&>(Form);
            dialog.CompanyFilenameEdit->SetText(c.name);
            dialog.OKBtn->Click();
            EXPECT_EQ(dialog.ModalResult(), mrNone) << "the dialog stays";
            dialog.CancelBtn->Click();
        });
        script.Answer(mrOk);
        auto* dialog = new TNewCompanyDlg(nullptr);
        EXPECT_EQ(dialog->ShowModal(), mrCancel);
        EXPECT_EQ(Texts(script), (std::vector<std::string>{"", c.message}));
        EXPECT_EQ(Tree(root.path()), before);
    }
}

TEST_F(NewCompanyTest, AnEmptyNameClosesWithoutAWordAndAnExistingNameInAnyCaseIsRefused) {
    {
        TDialogScript script;
        EXPECT_EQ(enter(script, "Smith"), mrOk);
    }
    const std::vector<std::string> before = Tree(root.path());
    {
        TDialogScript script;
        EXPECT_EQ(enter(script, ""), mrCancel);
        EXPECT_EQ(script.Shown().size(), 1u) << "not \"Company already exists!\"";
    }
    {
        TDialogScript script;
        EXPECT_EQ(enter(script, "smith", {mrOk}), mrCancel);
        EXPECT_EQ(Texts(script), (std::vector<std::string>{"", "Company already exists!"}));
    }
    EXPECT_EQ(Tree(root.path()), before);
}

TEST_F(NewCompanyTest, TheNameHoldsSixteenCharacters) {
    TNewCompanyDlg dialog(nullptr);
    dialog.CompanyFilenameEdit->SetText("ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(dialog.CompanyFilenameEdit->Text(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(dialog.CompanyFilenameEdit->Hint(), "Enter the filename that you will use to select the new company.");
    EXPECT_EQ(NewCompany::nameProblem("ABCDEFGHIJKLMNOPQ"),
              "Only letters, digits, _ and - are allowed in company filename.");
    EXPECT_EQ(NewCompany::nameProblem("Smith_2-b"), "");
}

TEST_F(NewCompanyTest, CreateDataFilesRefusesAFolderThatDoesNotExist) {
    TNewCompanyDlg dialog(nullptr);
    TDialogScript script;
    script.Answer(mrOk);
    dialog.CreateDataFiles(root.path() + "/Data/Gone");
    EXPECT_EQ(Texts(script), std::vector<std::string>{"The directory does not exist."});
    EXPECT_FALSE(fs::exists(root.path() + "/Data/Gone"));
}

}  // namespace
