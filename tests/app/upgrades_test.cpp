#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/InstallLayout.h"
#include "app/MainFormLink.h"
#include "app/Schemas.h"
#include "app/Settings.h"
#include "app/Upgrades.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "support/CompanyFixture.h"
#include "support/EngineTables.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/Forms.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

using CompanyFixture::Row;

const std::string UpgradeQuestion =
    "The Database needs to be updated. A backup must be completed before continuing or you will risk the "
    "possibility of data being lost.\r\rPress OK to proceed with update.\r\rPress Abort if you want to cancel and "
    "do a backup.";

class RecordingMainForm : public TMainFormLink {
public:
    void SetCaption(const std::string& Value) override { calls.push_back("Caption " + Value); }
    void DisableMainMenu() override { calls.push_back("DisableMainMenu"); }
    void EnableFilesOnlyMenu() override { calls.push_back("EnableFilesOnlyMenu"); }
    void Close() override { calls.push_back("Close"); }
    std::vector<std::string> calls;
};

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A layout of an older build: the current one with fields dropped, fields
// of another kind, and fields since given up.
std::vector<FieldSpec> OlderLayout(const char* FileName, const std::vector<std::string>& Dropped,
                                   const std::vector<FieldSpec>& Changed, const std::vector<FieldSpec>& Extra) {
    std::vector<FieldSpec> fields;
    for (const TFieldSchema& f : Schemas::findTable(FileName)->Fields) {
        if (std::find(Dropped.begin(), Dropped.end(), f.Name) != Dropped.end())
            continue;
        FieldSpec field{f.Name, f.FieldType, f.Width, f.Decimals};
        for (const FieldSpec& c : Changed)
            if (std::string(c.name) == f.Name)
                field = c;
        fields.push_back(field);
    }
    fields.insert(fields.end(), Extra.begin(), Extra.end());
    return fields;
}

class UpgradeTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        module = std::make_unique<TDataModule1>(nullptr, &mainForm);
        DataModule1 = module.get();
    }
    void TearDown() override {
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
    }

    // Replaces a company table by one in an older layout holding Rows.
    void makeOlderTable(const char* FileName, const std::vector<FieldSpec>& Fields, const std::vector<Row>& Rows) {
        std::string path = company.File(FileName);
        for (const char* extension : {".dbf", ".smt", ".nsx"})
            os::DeleteFile(os::ChangeFileExt(path, extension));
        ASSERT_EQ(CreateTable(path, Fields), "");
        appendRows(FileName, Rows);
    }
    void appendRows(const char* FileName, const std::vector<Row>& Rows) {
        std::string path = company.File(FileName);
        ASSERT_NE(xb_Use(path.c_str(), "OLDER", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        for (const Row& row : Rows) {
            ASSERT_EQ(xb_AppendEx(), 0);
            for (const auto& [field, value] : row) {
                const int type = *xb_FieldType(xb_FieldNum(field.c_str())) == 'M' ? XB_REPLACE_MEMO : XB_REPLACE_TEXT;
                ASSERT_NE(xb_Replace(field.c_str(), type, value.c_str()), 0) << field;
            }
        }
        xb_Commit();
        xb_Close();
    }
    // Record count and whether the field exists, read straight from the file.
    std::pair<int, bool> fileState(const char* FileName, const char* Field) {
        std::string path = company.File(FileName);
        if (xb_Use(path.c_str(), "CHECKED", XB_READONLY, XB_DRIVER_NSX) == 0)
            return {-1, false};
        std::pair<int, bool> state{xb_RecCount(), xb_FieldNum(Field) != 0};
        xb_Close();
        return state;
    }
    bool hasFile(const std::string& Name) const {
        auto names = os::ListFiles(company.DataDirectory(), "*");
        return std::find(names.begin(), names.end(), Name) != names.end();
    }
    int build() const { return CompanyRegistry::File(company.Name()).Read(CompanyRegistry::Build); }
    void setBuild(int Build) { CompanyRegistry::File(company.Name()).Write(CompanyRegistry::Build, Build); }
    void open() { module->ChangeDataDirectory(company.DataDirectory()); }
    static std::vector<std::string> texts(const TDialogScript& script) {
        std::vector<std::string> shown;
        for (const TDialogRequest& request : script.Shown())
            shown.push_back(request.Text);
        return shown;
    }
    std::string field(TTable* Table, const char* Name) { return Table->FieldByName(Name)->AsString(); }

    TestCompany company;
    RecordingMainForm mainForm;
    std::unique_ptr<TDataModule1> module;
};

TEST(BuildBands, EachBuildRunsTheStepsItsTablesNeed) {
    const std::vector<std::string> fromItem{"Item", "LabRx", "Patient", "InsDtl"};
    auto from = [&](std::vector<std::string> first) {
        first.insert(first.end(), fromItem.begin(), fromItem.end());
        return first;
    };
    struct Case {
        int build;
        bool asks;
        std::vector<std::string> steps;
    } cases[] = {
        {0, true, from({"1002", "1008", "1009", "1010", "1015", "1021", "1024"})},
        {1001, true, from({"1002", "1008", "1009", "1010", "1015", "1021", "1024"})},
        {1002, true, from({"1008", "1009", "1010", "1015", "1021", "1024"})},
        {1005, true, from({"1008", "1009", "1010", "1015", "1021", "1024"})},
        {1007, true, from({"1008", "1009", "1010", "1015", "1021", "1024"})},
        {1008, true, from({"1009", "1010", "1015", "1021", "1024"})},
        {1009, true, from({"1010", "1015", "1021", "1024"})},
        {1010, true, from({"1015", "1021", "1024"})},
        {1014, true, from({"1015", "1021", "1024"})},
        {1015, true, from({"1021", "1024"})},
        {1021, true, from({"1024"})},
        {1024, true, fromItem},
        {1034, true, fromItem},
        {1071, true, fromItem},
        {1072, false, {}},
        {1083, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.build);
        const TBuildBand* band = Upgrades::bandOf(c.build);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->Asks, c.asks);
        std::vector<std::string> steps;
        for (const TUpgradeStep& step : band->Steps)
            steps.push_back(step.Name);
        EXPECT_EQ(steps, c.steps);
    }
    EXPECT_EQ(Upgrades::bandOf(1084), nullptr);
    EXPECT_EQ(Upgrades::bandOf(2000), nullptr);
}

TEST_F(UpgradeTest, ABuild1050CompanyCarriesItsRecordsAndMemosIntoTheCurrentLayouts) {
    makeOlderTable("Item.dbf", OlderLayout("Item.dbf", {"StockLoc"}, {}, {{"OLDCODE", "C", 5, 0}}),
                   {{{"ID", "F1"}, {"DESC", "Frame one"}, {"SELL", "12.50"}, {"OLDCODE", "X"}},
                    {{"ID", "C2"}, {"DESC", "Case"}}});
    makeOlderTable("LabRx.dbf", OlderLayout("LabRx.dbf", {"LensMatl"}, {}, {{"OLDRX", "C", 4, 0}}),
                   {{{"RECEIPT", "101"}, {"ITEM", "1"}, {"Notes", "Rush order"}}});
    makeOlderTable("Patient.dbf", OlderLayout("Patient.dbf", {"HCFAPZIP"}, {}, {{"FAX", "C", 14, 0}}),
                   {{{"ID", "7"}, {"RECNAME", "DOE, JANE"}, {"NOTE", "Prefers mornings"}},
                    {{"ID", "3"}, {"RECNAME", "ROE, RICH"}}});
    // Units were once kept as text.
    makeOlderTable("InsDtl.dbf", OlderLayout("InsDtl.dbf", {"LOCAL"}, {{"UNITS", "C", 3, 0}}, {}),
                   {{{"ID", "5"}, {"CPTCODE", "92004"}, {"UNITS", "2"}}});
    setBuild(1050);

    TDialogScript script;
    script.Answer(mrOk);
    open();
    Application->ProcessMessages();

    EXPECT_EQ(texts(script), std::vector<std::string>{UpgradeQuestion});
    EXPECT_EQ(build(), 1084);
    EXPECT_FALSE(module->OpeningAbandoned);
    EXPECT_TRUE(module->PatientTable->Active());

    // In the rebuilt "ID" orders, with new fields blank.
    EXPECT_EQ(module->ItemTable->RecordCount(), 2);
    EXPECT_EQ(field(module->ItemTable, "ID"), "C2");
    EXPECT_EQ(field(module->ItemTable, "StockLoc"), "");
    module->ItemTable->Next();
    EXPECT_EQ(field(module->ItemTable, "DESC"), "Frame one");
    EXPECT_EQ(module->ItemTable->FieldByName("SELL")->AsFloat(), 12.5);
    EXPECT_EQ(field(module->PatientTable, "RECNAME"), "ROE, RICH");
    module->PatientTable->Next();
    EXPECT_EQ(field(module->PatientTable, "NOTE"), "Prefers mornings");
    EXPECT_EQ(field(module->PatientTable, "HCFAPZIP"), "");
    EXPECT_EQ(field(module->LabRxTable, "Notes"), "Rush order");
    EXPECT_EQ(module->InsDetailTable->FieldByName("UNITS")->AsInteger(), 2);
    EXPECT_EQ(fileState("Item.dbf", "OLDCODE"), std::make_pair(2, false));

    for (const char* backup : {"OldItem.dbf", "OldLabRx.dbf", "OldLabRx.smt", "oldPatient.dbf", "oldPatient.smt",
                               "OldInsDtl.dbf"})
        EXPECT_TRUE(hasFile(backup)) << backup;
    EXPECT_FALSE(os::FileExists(company.File("OldSales.dbf")));
}

TEST_F(UpgradeTest, ABuild1001CompanyKeepsEveryRecordOfItsTables) {
    appendRows("Calendar.dbf", {{{"DATE", "20030115"}, {"NOTE", "Inventory day"}}});
    appendRows("Schedule.dbf", {{{"DATE", "20030116"}, {"TIME", "09:00"}, {"CLIENT", "DOE, JANE"}}});
    appendRows("Pattern.dbf", {{{"ID", "P1"}, {"MANF", "Acme"}}, {{"ID", "P2"}}});
    appendRows("Recall.dbf", {{{"PATIENTID", "7"}, {"REASON", "Annual"}}});
    appendRows("Ledger.dbf", {{{"ID", "1"}, {"DEBIT", "10.00"}}});
    // A registry file without a build.
    ASSERT_TRUE(os::DeleteFile(InstallLayout::companyRegistryFileName(company.Name())));
    CompanyRegistry::File(company.Name()).Write(CompanyRegistry::CompanyFileName, company.Name());

    TDialogScript script;
    script.Answer(mrOk);
    open();
    Application->ProcessMessages();

    EXPECT_EQ(texts(script), std::vector<std::string>{UpgradeQuestion});
    EXPECT_EQ(build(), 1084);
    EXPECT_EQ(fileState("Calendar.dbf", "NOTE"), std::make_pair(1, true));
    EXPECT_EQ(fileState("Schedule.dbf", "CLIENT"), std::make_pair(1, true));
    EXPECT_EQ(fileState("Recall.dbf", "REASON"), std::make_pair(1, true));
    EXPECT_EQ(fileState("Ledger.dbf", "DEBIT"), std::make_pair(1, true));
    EXPECT_EQ(module->PatternTable->RecordCount(), 2);
    module->CalendarTable->Open();
    EXPECT_EQ(field(module->CalendarTable, "NOTE"), "Inventory day");
}

TEST_F(UpgradeTest, ABuildRead1001IsReadAgainBesideTheLastCompanyUsed) {
    // The installation's registry file has no build; the one beside the
    // folder VO97.ini names has the current build.
    ASSERT_TRUE(os::DeleteFile(InstallLayout::companyRegistryFileName(company.Name())));
    const std::string elsewhere = os::InstallRoot() + "/moved";
    ASSERT_TRUE(os::ForceDirectories(elsewhere + "/Company"));
    TSettingsFile(elsewhere + "/Company/" + company.Name() + ".ini").Write(CompanyRegistry::Build, 1084);
    Vo97Ini::File().Write(Vo97Ini::DataDirectory, elsewhere + "/Data/" + company.Name());

    TDialogScript script;  // no upgrade question
    open();
    EXPECT_TRUE(module->PatientTable->Active());
    std::filesystem::remove_all(elsewhere);
}

TEST_F(UpgradeTest, AFailedStepLeavesItsTableAsItWasAndTheCompanyClosedUntilTheNextOpen) {
    // LabRx of an older build without its memo, and something in the way of
    // the memo file the current layout needs.
    makeOlderTable("LabRx.dbf", OlderLayout("LabRx.dbf", {"Notes"}, {}, {}),
                   {{{"RECEIPT", "101"}}, {{"RECEIPT", "102"}}, {{"RECEIPT", "103"}}});
    ASSERT_TRUE(os::ForceDirectories(company.DataDirectory() + "/LabRx.smt"));
    setBuild(1050);

    {
        TDialogScript script;
        script.Answer(mrOk).Answer(mrOk);
        open();
        EXPECT_EQ(texts(script), (std::vector<std::string>{UpgradeQuestion, "Create Failed"}));
    }
    EXPECT_TRUE(module->OpeningAbandoned);
    EXPECT_EQ(fileState("LabRx.dbf", "Notes"), std::make_pair(3, false));
    EXPECT_FALSE(os::FileExists(company.File("OldLabRx.dbf")));
    EXPECT_FALSE(os::FileExists(company.File("oldPatient.dbf")));
    EXPECT_EQ(build(), 1050);
    EXPECT_FALSE(module->PatientTable->Active());
    EXPECT_EQ(CompanyIni::File(company.DataDirectory()).Read(CompanyIni::OpenCount), 0);
    EXPECT_EQ(std::vector<std::string>(mainForm.calls.end() - 3, mainForm.calls.end()),
              (std::vector<std::string>{"DisableMainMenu", "EnableFilesOnlyMenu", "Caption Quenmark 97"}));

    // Once the way is clear the next open offers the upgrade again.
    std::filesystem::remove(company.DataDirectory() + "/LabRx.smt");
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);  // the question, then overwriting OldItem.dbf
    open();
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Text.rfind("A backup copy of " + company.DataDirectory() + "/Item.dbf", 0), 0u);
    EXPECT_EQ(build(), 1084);
    EXPECT_EQ(fileState("LabRx.dbf", "Notes"), std::make_pair(3, true));
    EXPECT_TRUE(module->PatientTable->Active());
}

TEST_F(UpgradeTest, AnExistingBackupIsAskedAboutBeforeItsTableChangesAndAbortChangesNothing) {
    appendRows("Ledger.dbf", {{{"ID", "1"}, {"DEBIT", "10.00"}}});
    std::filesystem::copy_file(company.File("Ledger.dbf"), company.DataDirectory() + "/OldLedger.dbf");
    setBuild(1005);
    const std::string ledger = readBytes(company.File("Ledger.dbf"));
    const std::string backupQuestion = "A backup copy of " + company.DataDirectory() + "/Ledger.dbf exists called " +
                                       company.DataDirectory() +
                                       "/OldLedger.dbf\r\rPress OK if you want to overwrite this file otherwise "
                                       "press Abort to cancel the update.";
    struct Case {
        const char* what;
        std::vector<int> answers;
        std::vector<std::string> shown;
    } cases[] = {
        {"abort at the upgrade question", {mrAbort}, {UpgradeQuestion}},
        {"abort at the backup question", {mrOk, mrAbort}, {UpgradeQuestion, backupQuestion}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDialogScript script;
        for (int answer : c.answers)
            script.Answer(answer);
        open();
        EXPECT_EQ(texts(script), c.shown);
        EXPECT_TRUE(module->OpeningAbandoned);
        EXPECT_EQ(readBytes(company.File("Ledger.dbf")), ledger);
        EXPECT_TRUE(os::FileExists(company.File("Ledger.nsx")));
        EXPECT_EQ(readBytes(company.File("OldLedger.dbf")), ledger);
        EXPECT_EQ(build(), 1005);
        EXPECT_FALSE(module->PatientTable->Active());
    }
}

}  // namespace
