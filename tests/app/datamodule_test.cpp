#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/MainFormLink.h"
#include "app/ScratchTables.h"
#include "app/Settings.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "support/ChildProcess.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/Forms.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

using CompanyFixture::Row;

// The shell's main form as the data module sees it: it records the calls.
class RecordingMainForm : public TMainFormLink {
public:
    void SetCaption(const std::string& Value) override { calls.push_back("Caption " + Value); }
    void DisableMainMenu() override { calls.push_back("DisableMainMenu"); }
    void EnableFilesOnlyMenu() override { calls.push_back("EnableFilesOnlyMenu"); }
    void Close() override { calls.push_back("Close"); }

    std::vector<std::string> calls;
};

class DataModuleTest : public testing::Test {
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

    // The tables an open company keeps open, in opening order.
    std::vector<TTable*> keptOpen() const {
        TDataModule1& m = *module;
        return {m.PatientTable,    m.SalesTable,     m.SalesDetailTable, m.InsTable,       m.InsDetailTable,
                m.CPTCodeTable,    m.DiagCodeTable,  m.IncidentTable,    m.PersonnelTable, m.AccountTable,
                m.LedgerTable,     m.ItemTable,      m.PaymentTable,     m.PaymentDtlTable, m.DepositTable,
                m.DepositDtlTable, m.InsCompTable,   m.LabRxTable,       m.PatternTable};
    }
    std::vector<std::string> openTableNames() const {
        std::vector<std::string> names;
        for (TTable* table : keptOpen())
            if (table->Active())
                names.push_back(table->Name());
        return names;
    }
    int openCount() const { return CompanyIni::File(company.DataDirectory()).Read(CompanyIni::OpenCount); }
    int build() const { return CompanyRegistry::File(company.Name()).Read(CompanyRegistry::Build); }
    void setBuild(int Build) { CompanyRegistry::File(company.Name()).Write(CompanyRegistry::Build, Build); }
    void open() { module->ChangeDataDirectory(company.DataDirectory()); }
    static std::vector<std::string> texts(const TDialogScript& script) {
        std::vector<std::string> shown;
        for (const TDialogRequest& request : script.Shown())
            shown.push_back(request.Text);
        return shown;
    }

    TestCompany company;
    RecordingMainForm mainForm;
    std::unique_ptr<TDataModule1> module;
};

TEST_F(DataModuleTest, OpeningACurrentCompanyOpensItsTablesOnTheirFirstRecords) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Item.dbf", {{{"ID", "B2"}}, {{"ID", "A1"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "DeposDtl.dbf", {{{"RECDFROM", "Second"}}});
    std::filesystem::current_path("/");

    TDialogScript script;  // nothing to ask
    open();

    EXPECT_EQ(openTableNames().size(), keptOpen().size());
    EXPECT_FALSE(module->RecallTable->Active());
    EXPECT_FALSE(module->RecallTable->Exclusive());
    EXPECT_FALSE(module->CalendarTable->Active());
    EXPECT_EQ(module->ItemTable->FieldByName("ID")->AsString(), "A1");
    // Its design index names no tag: record order.
    EXPECT_EQ(module->DepositDtlTable->FieldByName("RECDFROM")->AsString(), "Second");
    EXPECT_EQ(module->AccountTable->RecordCount(), 8);

    EXPECT_EQ(module->DataDirectory, company.DataDirectory());
    EXPECT_EQ(openCount(), 1);
    EXPECT_EQ(Vo97Ini::File().Read(Vo97Ini::DataDirectory), company.DataDirectory());
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(os::InstallRoot()));
    EXPECT_EQ(mainForm.calls, (std::vector<std::string>{"Caption Quenmark - Opening files ... Please wait.",
                                                        "Caption " + company.DataDirectory()}));
    EXPECT_TRUE(os::DirectoryExists(os::MapPath(ScratchTables::Folder)));

    // A folder that does not exist leaves the company open.
    module->ChangeDataDirectory(company.DataDirectory() + "-gone");
    EXPECT_EQ(openTableNames().size(), keptOpen().size());

    module->CloseFiles();
    EXPECT_TRUE(openTableNames().empty());
    EXPECT_EQ(openCount(), 0);
    // With no company open, closing writes nothing.
    os::DeleteFile(company.File("Company.ini"));
    module->CloseFiles();
    EXPECT_FALSE(os::FileExists(company.File("Company.ini")));
}

TEST_F(DataModuleTest, ATableThatCannotBeOpenedIsReportedAndTheOthersStillOpen) {
    ASSERT_TRUE(os::DeleteFile(company.File("Sales.dbf")));
    TDialogScript script;
    script.Answer(mrOk);
    open();

    EXPECT_EQ(texts(script), std::vector<std::string>{"Could not open Sales.dbf"});
    EXPECT_EQ(openTableNames().size(), keptOpen().size() - 1);
    EXPECT_FALSE(module->SalesTable->Active());
    EXPECT_EQ(std::count(mainForm.calls.begin(), mainForm.calls.end(), "Close"), 1);
}

TEST_F(DataModuleTest, IndexesAreRebuiltWhenAnIndexIsMissingOrTheBuildIsOlder) {
    struct Case {
        const char* what;
        int build;
        bool deletePatternIndex;
        bool rebuilt;
        std::vector<std::string> messages;
    } cases[] = {
        {"current build, indexes present", 1084, false, false, {}},
        {"current build, Pattern.nsx deleted", 1084, true, true,
         {"The index of Pattern.dbf is missing or damaged. The indexes will be rebuilt now."}},
        {"build 1080", 1080, false, true, {}},
        {"newer build", 1090, false, false, {}},
    };
    // Only a rebuild drops a tag the catalogue does not list.
    const std::string accounts = company.File("Acct.dbf");
    auto hasExtraTag = [&] {
        EXPECT_NE(xb_Use(accounts.c_str(), "EXTRA", XB_READONLY, XB_DRIVER_NSX), 0);
        const bool has = xb_TagArea("EXTRA") != 0;
        xb_Close();
        return has;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setBuild(c.build);
        ASSERT_NE(xb_Use(accounts.c_str(), "EXTRA", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        ASSERT_NE(xb_IndexTag("", "EXTRA", "name", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        xb_Close();
        if (c.deletePatternIndex)
            ASSERT_TRUE(os::DeleteFile(company.File("Pattern.nsx")));
        TDialogScript script;
        for (size_t i = 0; i < c.messages.size(); ++i)
            script.Answer(mrOk);
        open();
        Application->ProcessMessages();
        EXPECT_EQ(texts(script), c.messages);
        EXPECT_EQ(hasExtraTag(), !c.rebuilt);
        EXPECT_EQ(build(), std::max(c.build, 1084));
        EXPECT_EQ(openTableNames().size(), keptOpen().size());
        EXPECT_EQ(openCount(), 1);
        module->CloseFiles();
        EXPECT_EQ(openCount(), 0);
    }
}

TEST_F(DataModuleTest, ASoleOpenerIsWarnedAboutAnUncleanCloseButNotWhileAnotherWorkstationHoldsTheCompany) {
    const std::string warning =
        "The files for this company were not previously closed properly.  You must rebuild the indexes now to "
        "insure data integrity!\r\rTo rebuild the indexes Click on the 'File' menu item and select 'Rebuild "
        "Indexes' then click on the 'OK' button to start the rebuild.";
    CompanyIni::File(company.DataDirectory()).Write(CompanyIni::OpenCount, 2);
    {
        TDialogScript script;
        script.Answer(mrOk);
        open();
        EXPECT_EQ(texts(script), std::vector<std::string>{warning});
        EXPECT_EQ(openCount(), 3);
        module->CloseFiles();
    }

    const std::string patient = company.File("Patient.dbf");
    ChildProcess other([&](ChildProcess& self) {
        if (xb_Use(patient.c_str(), "HOLDING", XB_SHARED, XB_DRIVER_NSX) == 0)
            throw std::runtime_error("cannot hold the company");
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Receive());
    CompanyIni::File(company.DataDirectory()).Write(CompanyIni::OpenCount, 2);
    TDialogScript script;  // no warning
    open();
    EXPECT_EQ(openCount(), 3);
    EXPECT_EQ(openTableNames().size(), keptOpen().size());
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
}

TEST_F(DataModuleTest, ACompanyIniThatCannotBeWrittenIsReportedAndTheOpenGoesOn) {
    os::DeleteFile(company.File("Company.ini"));
    ASSERT_TRUE(os::ForceDirectories(company.File("Company.ini")));
    TDialogScript script;
    script.Answer(mrOk);
    open();
    EXPECT_EQ(texts(script), std::vector<std::string>{"Unable to write to " + company.DataDirectory() + "/Company.ini"});
    EXPECT_EQ(openTableNames().size(), keptOpen().size());
    std::filesystem::remove(company.File("Company.ini"));
}

// Display properties every grid and form inherits from the module's fields.
TEST_F(DataModuleTest, PersistentFieldsCarryTheirLabelsFormatsAndMasks) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Pymt.dbf",
                               {{{"ID", "1"}, {"AMOUNT", "1234.5"}}, {{"ID", "2"}, {"AMOUNT", "0"}}});
    TDialogScript script;
    open();

    struct Case {
        TTable* table;
        const char* field;
        const char* label;
        bool visible;
        const char* editMask;
    } cases[] = {
        {module->PatientTable, "RECNAME", "NAME", true, ""},
        {module->PatientTable, "ID", "Account", true, ""},
        {module->PatientTable, "CITY", "CITY", false, ""},
        {module->PatientTable, "PHONE1", "PHONE1", false, "!\\(999\\)000-0000 9999;1; "},
        {module->PatientTable, "SSN", "SSN", false, "000\\-00\\-0000;1;_"},
        {module->InsTable, "PAT_NAME", "Name", true, ""},
        {module->InsTable, "PAT_PHONE", "PAT_PHONE", false, "!\\(999\\)999-9999;1; "},
        {module->InsTable, "Pat_BirthYear", "Pat_BirthYear", true, ""},
        {module->PersonnelTable, "NAME", "Name", false, ""},
        {module->InsDetailTable, "CHARGE", "Charges", true, ""},
        {module->AccountTable, "CalcBalance", "Balance", true, ""},
        {module->PaymentTable, "CHECKNO", "Number", true, ""},
        {module->InsCompTable, "ID", "Acct#", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table->Name() + "." + c.field);
        TField* field = c.table->FieldByName(c.field);
        EXPECT_EQ(field->DisplayLabel(), c.label);
        EXPECT_EQ(field->Visible(), c.visible);
        EXPECT_EQ(field->EditMask(), c.editMask);
    }
    EXPECT_EQ(module->PatientTable->FieldCount(), 77);
    EXPECT_EQ(module->PatientTable->FieldByName("RECNAME")->DisplayWidth(), 33);
    EXPECT_TRUE(module->InsTable->FieldByName("PAT_NAME")->Required());
    EXPECT_TRUE(module->InsTable->FieldByName("PAT_SexMale")->Calculated());
    EXPECT_TRUE(module->PatientTable->FieldByName("INCIDENT")->DataType() == ftSmallint);

    // Money with a blank zero.
    module->PaymentTable->First();
    EXPECT_EQ(module->PaymentTable->FieldByName("AMOUNT")->DisplayText(), "$1,234.50");
    module->PaymentTable->Next();
    EXPECT_EQ(module->PaymentTable->FieldByName("AMOUNT")->DisplayText(), " ");

    EXPECT_EQ(module->Temp2Table->ControlType()->Count(), 2);
    EXPECT_EQ(module->IncidentTable->ControlType()->Strings(1), "FIRSTEXAM;LookupCombo;IncidentDBLookupCombo");
}

// Each scratch table made anew opens through the module's table object.
TEST_F(DataModuleTest, ScratchTablesAreMadeAnewEmpty) {
    TTable* tables[] = {module->Temp1Table, module->Temp2Table, module->Temp3Table,
                        module->Temp4Table, module->Temp5Table, module->Temp6Table};
    TXbase* engines[] = {module->Temp1Xbase, module->Temp2Xbase, module->Temp3Xbase,
                         module->Temp4Xbase, module->Temp5Xbase, module->Temp6Xbase};
    const int fieldCounts[] = {15, 86, 13, 5, 3, 8};
    for (int i = 0; i < 6; ++i) {
        const TTableSchema& layout = ScratchTables::Tables()[i];
        SCOPED_TRACE(layout.FileName);
        ASSERT_TRUE(ScratchTables::Recreate(engines[i], layout));
        tables[i]->Open();
        tables[i]->Append();
        tables[i]->Post();
        tables[i]->Close();
        // A stale index beside the old table goes too.
        std::string index = os::MapPath(os::ChangeFileExt(ScratchTables::FileName(layout), ".nsx"));
        std::ofstream(index) << "stale";

        ASSERT_TRUE(ScratchTables::Recreate(engines[i], layout));
        EXPECT_FALSE(os::FileExists(index));
        tables[i]->Open();
        EXPECT_EQ(tables[i]->RecordCount(), 0);
        EXPECT_EQ(engines[i]->RecCount(), 0);
        int dataFields = 0;
        for (int f = 0; f < tables[i]->FieldCount(); ++f)
            dataFields += tables[i]->Fields()[f]->FieldKind() == fkData;
        EXPECT_EQ(dataFields, fieldCounts[i]);
        tables[i]->Close();
    }
    EXPECT_TRUE(os::FileExists(os::MapPath("C:\\TEMP\\TEMP2.smt")));
}

}  // namespace
