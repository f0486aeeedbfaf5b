// The patient address export and the clear utilities, on a company opened by
// the data module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/ClearUtilities.h"
#include "app/DataModule.h"
#include "app/PatientExport.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "support/ChildProcess.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/DialogResponder.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

using CompanyFixture::Row;

std::string ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Texts(const TDialogScript& Script) {
    std::vector<std::string> shown;
    for (const TDialogRequest& request : Script.Shown())
        shown.push_back(request.Text);
    return shown;
}

class CompanyUtilitiesTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
    }
    void TearDown() override {
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
    }
    void open() {
        TDialogScript quiet;
        module->ChangeDataDirectory(company.DataDirectory());
    }
    void append(const char* Table, const std::vector<Row>& Rows) {
        CompanyFixture::AppendRows(company.DataDirectory(), Table, Rows);
    }

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
};

TEST_F(CompanyUtilitiesTest, ExportWritesOneFixedLinePerPatientInNameOrder) {
    const std::string longName(34, 'W');
    append("Patient.dbf", {
                              // A tab and a line break pasted into fields are written as blanks.
                              {{"ID", "125"}, {"RECNAME", "SMITH, JOHN"}, {"NAME", "John\r\nSmith"},
                               {"ADDR", "12 Main\tSt"}, {"CITY", "Springfield"}, {"STATE", "IL"}, {"ZIP", "62701"}},
                              {{"ID", "7"}, {"RECNAME", "ADAMS, ANN"}, {"NAME", "Ann Adams"}},
                          });
    open();
    TProgressBar bar(nullptr);
    bar.Hide();

    TDialogScript script;
    script.Answer(mrOk);
    ASSERT_TRUE(PatientExport::patientAddressesSDF(*module, &bar));

    const std::string file = os::MapPath(company.File("patient.sdf"));
    // The path as it stands on disk: the file read below is the one named.
    EXPECT_EQ(Texts(script), std::vector<std::string>{"Patient addresses saved to " + file});
    const std::string smith = std::string("SMITH, JOHN") + std::string(19, ' ') + "125       " + "John  Smith" +
                              std::string(19, ' ') + "12 Main St" + std::string(20, ' ') + "Springfield" +
                              std::string(9, ' ') + "IL" + "62701     ";
    const std::string adams = std::string("ADAMS, ANN") + std::string(20, ' ') + "7         " + "Ann Adams" +
                              std::string(21, ' ') + std::string(30 + 20 + 2 + 10, ' ');
    ASSERT_EQ(smith.size(), 132u);
    EXPECT_EQ(ReadFile(file), adams + "\r\n" + smith + "\r\n");
    EXPECT_EQ(bar.Position(), 2);
    EXPECT_FALSE(bar.Visible());
    EXPECT_EQ(module->PatientTable->IndexName(), "RecName");
}

TEST_F(CompanyUtilitiesTest, AnExportThatCannotBeWrittenShowsTheErrorAndNeverClaimsItWasSaved) {
    open();
    // A folder where the file would go.
    std::filesystem::create_directory(company.File("patient.sdf"));
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_FALSE(PatientExport::patientAddressesSDF(*module, nullptr));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Caption, "Error");
    EXPECT_NE(script.Shown()[0].Text.find("patient.sdf"), std::string::npos);
    EXPECT_EQ(script.Shown()[0].Text.find("saved"), std::string::npos);
}

TEST_F(CompanyUtilitiesTest, ClearingEmptiesTheTablesAndLeavesThemOpenForSharedUse) {
    append("Sales.dbf", {{{"RECEIPT", "1"}}, {{"RECEIPT", "2"}}});
    append("SalesDtl.dbf", {{{"RECEIPT", "1"}}});
    append("Pymt.dbf", {{{"ID", "1"}}});
    append("Deposit.dbf", {{{"ID", "1"}}});
    append("DeposDtl.dbf", {{{"DEPOSITID", "1"}}});
    append("Ledger.dbf", {{{"ID", "1"}}});
    open();

    struct Case {
        const char* what;
        void (*clear)(TDataModule1&);
        std::vector<TTable*> cleared;
    } cases[] = {
        {"receipts", ClearUtilities::ClearReceipts, {module->SalesTable, module->SalesDetailTable}},
        {"payments", ClearUtilities::ClearPayments, {module->PaymentTable}},
        {"deposits", ClearUtilities::ClearDeposits, {module->DepositTable, module->DepositDtlTable}},
        {"ledger", ClearUtilities::ClearLedger, {module->LedgerTable}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDialogScript script;  // nothing to say
        c.clear(*module);
        for (TTable* table : c.cleared) {
            EXPECT_TRUE(table->Active());
            EXPECT_FALSE(table->Exclusive());
            EXPECT_EQ(table->RecordCount(), 0);
        }
    }
    // Usable again at once.
    module->SalesTable->Append();
    module->SalesTable->FieldByName("RECEIPT")->SetAsString("9");
    module->SalesTable->Post();
    EXPECT_EQ(module->SalesTable->RecordCount(), 1);
}

TEST_F(CompanyUtilitiesTest, ATableAnotherWorkstationHoldsIsReportedAndTheNextIsStillCleared) {
    append("Sales.dbf", {{{"RECEIPT", "1"}}});
    append("SalesDtl.dbf", {{{"RECEIPT", "1"}}});
    const std::string sales = company.File("Sales.dbf");
    ChildProcess other([&](ChildProcess& self) {
        if (xb_Use(sales.c_str(), "HOLDING", XB_SHARED, XB_DRIVER_NSX) == 0)
            throw std::runtime_error("cannot hold the table");
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Receive());
    // Opened after the other workstation started, which must not share its files.
    open();

    TDialogScript script;
    script.Answer(mrOk);
    ClearUtilities::ClearReceipts(*module);
    EXPECT_EQ(Texts(script), std::vector<std::string>{"Could not open Table(s) exclusively!"});
    EXPECT_EQ(module->SalesTable->RecordCount(), 1);
    EXPECT_TRUE(module->SalesTable->Active());
    EXPECT_EQ(module->SalesDetailTable->RecordCount(), 0);
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
}

TEST_F(CompanyUtilitiesTest, ClearAllZeroesEveryBalanceAndEmptiesTheMoneyTables) {
    append("Patient.dbf", {{{"ID", "1"}, {"RECNAME", "A"}, {"BALANCE", "12.50"}},
                           {{"ID", "2"}, {"RECNAME", "B"}, {"BALANCE", "-3"}}});
    append("Sales.dbf", {{{"RECEIPT", "1"}}});
    append("Ledger.dbf", {{{"ID", "1"}}});
    append("Pymt.dbf", {{{"ID", "1"}}});
    append("Deposit.dbf", {{{"ID", "1"}}});
    open();
    TQmTable* accounts = module->AccountTable;
    for (accounts->First(); !accounts->Eof(); accounts->Next()) {
        accounts->Edit();
        accounts->FieldByName("BALANCE")->SetAsFloat(100);
        accounts->Post();
    }

    // A tag over the balance must not cut the walk short.
    module->PatientTable->SetIndexName("OpenBalance");

    TDialogScript script;
    ClearUtilities::clearAll(*module);
    EXPECT_EQ(module->PatientTable->IndexName(), "OpenBalance");
    module->PatientTable->SetIndexName("");
    for (TQmTable* table : {module->PatientTable, module->AccountTable})
        for (table->First(); !table->Eof(); table->Next())
            EXPECT_EQ(table->FieldByName("BALANCE")->AsFloat(), 0.0) << table->Name();
    EXPECT_EQ(module->PatientTable->RecordCount(), 2);
    EXPECT_EQ(module->AccountTable->RecordCount(), 8);
    for (TTable* table : {static_cast<TTable*>(module->SalesTable), static_cast<TTable*>(module->LedgerTable),
                          static_cast<TTable*>(module->PaymentTable), static_cast<TTable*>(module->DepositTable)})
        EXPECT_EQ(table->RecordCount(), 0) << table->Name();
}

TEST_F(CompanyUtilitiesTest, WithNoCompanyOpenNothingIsClearedOrWritten) {
    // A file of the name in the current folder must not be touched.
    TDialogScript script;
    EXPECT_THROW(ClearUtilities::ClearReceipts(*module), EDatabaseError);
    EXPECT_THROW(PatientExport::patientAddressesSDF(*module, nullptr), EDatabaseError);
    EXPECT_FALSE(os::FileExists("patient.sdf"));
}

}  // namespace
