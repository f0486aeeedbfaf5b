// The data module's report data connections: found by name, each serving
// its table to a report project.
#include <gtest/gtest.h>

#include <memory>

#include "app/DataModule.h"
#include "data/DbTables.h"
#include "reporting/project/DuzuDataSystem.h"
#include "reporting/project/RSConDS.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

TEST(ReportConnections, TheDataModuleServesItsTablesByName) {
    Application->Initialize();
    xb_CloseAll();
    TestCompany company;
    CompanyFixture::AppendRows(company.DataDirectory(), "Pymt.dbf", {{{"ID", "7"}, {"PAIDWITH", "CASH"}}});
    auto module = std::make_unique<TDataModule1>(nullptr, nullptr);
    DataModule1 = module.get();
    {
        TDialogScript script;  // nothing to ask
        module->ChangeDataDirectory(company.DataDirectory());
    }

    struct Case {
        const char* name;
        TRSDataSetConnection* connection;
        TDataSet* table;
    };
    const Case cases[] = {
        {"itemrsdataset", module->ItemRSDataSet, module->ItemTable},
        {"PaymentRSDataset", module->PaymentRSDataset, module->PaymentTable},
        {"PaymentDtlRSDataset", module->PaymentDtlRSDataset, module->PaymentDtlTable},
        {"InsRSDataSet", module->InsRSDataSet, module->InsTable},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DuzuDataSystem().OpenConnection(c.name), c.connection) << c.name;
        EXPECT_EQ(c.connection->DataSet(), c.table);
        EXPECT_EQ(c.connection->RuntimeVisibility(), rtDeveloper);
    }
    EXPECT_EQ(DuzuDataSystem().OpenConnection("RSCustomConnection1"), module->RSCustomConnection1);
    EXPECT_EQ(module->RSCustomConnection1->FieldAliasList()->Count(), 2);

    // A conversation over the payments: its columns and first row.
    TDuzuDataSystem& data = DuzuDataSystem();
    data.BeginRequest(kReqOpen);
    ASSERT_TRUE(data.ExecuteRequest(module->PaymentRSDataset));
    data.BeginRequest(kReqGetCols);
    ASSERT_TRUE(data.ExecuteRequest(module->PaymentRSDataset));
    EXPECT_EQ(data.Buffer().ReadInt32(), module->PaymentTable->FieldCount());
    data.BeginRequest(kReqFirst);
    ASSERT_TRUE(data.ExecuteRequest(module->PaymentRSDataset));
    EXPECT_EQ(data.Buffer().ReadByte(), 0);  // a row
    data.BeginRequest(kReqRestore);
    ASSERT_TRUE(data.ExecuteRequest(module->PaymentRSDataset));
    EXPECT_TRUE(module->PaymentTable->Active());

    module->CloseFiles();
    module.reset();
    DataModule1 = nullptr;
    Session()->Close();
    xb_CloseAll();
}

}  // namespace
