// The program's stored report project over a company: "Pmt_Report" printed
// to a PDF file for a date range with the payment table scoped and filtered
// as the payments-by-date report does, a failed run that leaves nothing
// open, "Items_All_Report", and the embedded bytes made the same way twice.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/DataModule.h"
#include "app/StoredProject.h"
#include "base/Streams.h"
#include "data/DbTables.h"
#include "reporting/project/DZCsData.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DuzuDataSystem.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSPrinter.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"
#include "ui/PrinterDrivers.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbEngine.h"

namespace {

std::string commandOutput(const std::string& Command) {
    std::string out;
    FILE* pipe = ::popen(Command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

class StoredProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        folder = std::filesystem::current_path().string();
    }
    void TearDown() override {
        project.reset();
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
    }
    void openCompany() {
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
        TDialogScript script;
        module->ChangeDataDirectory(company.DataDirectory());
    }
    // Prints Report of the stored project into a PDF file of the test's folder.
    void print(const std::string& Report, const std::string& File,
               const std::vector<std::pair<std::string, std::string>>& Params = {}) {
        project = std::make_unique<TDuzuProject>(nullptr);
        loadStoredProject(*project);
        TRSDevice device({pdfPrinter()}, "PDF");
        TDazedeVedodev engine(nullptr);
        engine.SetDevice(&device);
        engine.SetOutputFileName(File);
        project->SetEngine(&engine);
        project->Open();
        for (const auto& [name, value] : Params) project->SetParam(name, value);
        project->ExecuteReport(Report);
        project->Close();
    }

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
    std::unique_ptr<TDuzuProject> project;
    std::string folder;
};

TEST_F(StoredProjectTest, PaymentsByDatePrintOneGroupPerDateWithItsSumAndTheRunningSum) {
    using Row = CompanyFixture::Row;
    CompanyFixture::AppendRows(company.DataDirectory(), "Pymt.dbf",
                               {
                                   Row{{"ID", "1"}, {"DATE", "20240102"}, {"PATID", "11"}, {"NAME", "Adams"},
                                       {"PAIDWITH", "CASH"}, {"AMOUNT", "10.00"}, {"POSTREF", "D-1"}},
                                   Row{{"ID", "2"}, {"DATE", "20240102"}, {"PATID", "12"}, {"NAME", "Baker"},
                                       {"PAIDWITH", "CHECK"}, {"AMOUNT", "25.50"}},
                                   Row{{"ID", "3"}, {"DATE", "20240103"}, {"PATID", "13"}, {"NAME", "Untendered"},
                                       {"PAIDWITH", ""}, {"AMOUNT", "99.00"}},
                                   Row{{"ID", "4"}, {"DATE", "20240103"}, {"PATID", "14"}, {"NAME", "Carter"},
                                       {"PAIDWITH", "CHARGE"}, {"AMOUNT", "100.00"}},
                                   Row{{"ID", "5"}, {"DATE", "20240105"}, {"PATID", "15"}, {"NAME", "Dunn"},
                                       {"PAIDWITH", "CASH"}, {"AMOUNT", "1234.56"}},
                                   Row{{"ID", "6"}, {"DATE", "20240201"}, {"PATID", "16"}, {"NAME", "Outside"},
                                       {"PAIDWITH", "CASH"}, {"AMOUNT", "7.00"}},
                               });
    CompanyFixture::AppendRows(company.DataDirectory(), "PymtDtl.dbf",
                               {
                                   Row{{"PAYMENTID", "1"}, {"DATE", "20240102"}, {"PAYMENT", "10.00"}, {"RECEIPT", "R1"}},
                                   Row{{"PAYMENTID", "2"}, {"DATE", "20240102"}, {"PAYMENT", "25.50"}, {"RECEIPT", "R2"}},
                                   Row{{"PAYMENTID", "3"}, {"DATE", "20240103"}, {"PAYMENT", "99.00"}, {"RECEIPT", "R3"}},
                                   Row{{"PAYMENTID", "4"}, {"DATE", "20240103"}, {"PAYMENT", "60.00"}, {"RECEIPT", "R4"}},
                                   Row{{"PAYMENTID", "4"}, {"DATE", "20240103"}, {"PAYMENT", "40.00"}, {"RECEIPT", "R5"}},
                                   Row{{"PAYMENTID", "5"}, {"DATE", "20240105"}, {"PAYMENT", "1234.56"}, {"RECEIPT", "R6"}},
                                   Row{{"PAYMENTID", "6"}, {"DATE", "20240201"}, {"PAYMENT", "7.00"}, {"RECEIPT", "R7"}},
                               });
    openCompany();
    // The payments-by-date report's selection.
    std::string savedIndex = module->PaymentTable->IndexName();
    module->PaymentTable->SetIndexName("Date");
    module->PaymentXbase->SetScope("20240101", "20240131");
    module->PaymentXbase->SetFilter(".not. empty(paidwith)");
    module->PaymentTable->First();

    const std::string pdf = folder + "/Pmt_Report.pdf";
    print("Pmt_Report", pdf, {{"BegDate", "01/01/2024"}, {"EndDate", "01/31/2024"}});
    module->PaymentXbase->SetScope("", "");
    module->PaymentXbase->SetFilter("");
    module->PaymentTable->SetIndexName(savedIndex);

    ASSERT_TRUE(std::filesystem::exists(pdf));
    std::string text = commandOutput("pdftotext -layout '" + pdf + "' -");
    commandOutput("pdftoppm -r 80 -png -f 1 -l 1 '" + pdf + "' '" + folder + "/Pmt_Report'");
    for (const char* expected : {"Payment On Account", "01/01/2024 thru 01/31/2024", "Page: 1", "Patient Name, ID",
                                 "01/02/2024", "01/03/2024", "01/05/2024", "Adams, 11", "Carter, 14", "R4", "R5",
                                 "$35.50", "$100.00", "$1,234.56", "$135.50", "$1,370.06", "CHARGE", "D-1"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    for (const char* absent : {"Untendered", "R3", "Outside", "02/01/2024", "(invalid)"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
    // One group per date, in date order.
    EXPECT_LT(text.find("01/02/2024"), text.find("$35.50"));
    EXPECT_LT(text.find("$35.50"), text.find("01/03/2024"));
    EXPECT_LT(text.find("01/03/2024"), text.find("$135.50"));
    EXPECT_LT(text.find("$135.50"), text.find("01/05/2024"));
    EXPECT_LT(text.find("01/05/2024"), text.find("$1,370.06"));
}

TEST_F(StoredProjectTest, AllItemsListEveryItemOnceInIdOrderWithItsFormats) {
    using Row = CompanyFixture::Row;
    CompanyFixture::AppendRows(company.DataDirectory(), "Item.dbf",
                               {
                                   Row{{"ID", "FR200"}, {"CATEGORY", "FRAMES"}, {"DESC", "Round metal"},
                                       {"QTYONHAND", "3"}, {"COST", "1234.5"}, {"SELL", "2469"}, {"REORDERPT", "1"}},
                                   Row{{"ID", "CL100"}, {"CATEGORY", "CONTACTS"}, {"DESC", "Daily lens"},
                                       {"QTYONHAND", "12"}, {"COST", "4.25"}, {"SELL", "9.5"}, {"REORDERPT", "6"}},
                                   Row{{"ID", "SG300"}, {"CATEGORY", "SUN"}, {"DESC", "Aviator"},
                                       {"QTYONHAND", "0"}, {"COST", "20"}, {"SELL", "45"}, {"REORDERPT", "2"}},
                               });
    openCompany();
    const std::string pdf = folder + "/Items_All_Report.pdf";
    print("Items_All_Report", pdf);
    std::string text = commandOutput("pdftotext -layout '" + pdf + "' -");
    commandOutput("pdftoppm -r 80 -png -f 1 -l 1 '" + pdf + "' '" + folder + "/Items_All_Report'");
    for (const char* expected : {"All Items", "Page 1", "Item", "Category", "Description", "Quantity", "Cost", "Sell",
                                 "1,234.50", "2,469.00", "4.25", "9.50", "20.00", "45.00", "Items: 3"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    std::size_t cl = text.find("CL100"), fr = text.find("FR200"), sg = text.find("SG300");
    ASSERT_NE(sg, std::string::npos) << text;
    EXPECT_LT(cl, fr);
    EXPECT_LT(fr, sg);
    EXPECT_EQ(text.find("CL100", cl + 1), std::string::npos);
}

TEST_F(StoredProjectTest, AFailedRunLeavesNoViewOpenAndTheDataLinkFree) {
    openCompany();
    project = std::make_unique<TDuzuProject>(nullptr);
    loadStoredProject(*project);
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev engine(nullptr);
    engine.SetDevice(&device);
    engine.SetOutputFileName(folder + "/failed.pdf");
    project->SetEngine(&engine);
    project->Open();
    auto* payments = findDataView("PaymentDataView");
    ASSERT_NE(payments, nullptr);
    payments->SetConnectionName("NoSuchConnection");
    TDialogScript script;
    script.Answer(mrOk);
    try {
        project->ExecuteReport("Pmt_Report");
    } catch (const EAbort&) {
    }
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text,
              "Error!  Could not open data connection \"NoSuchConnection\".  Aborting report.");
    for (TDuzuProjectItem* item : project->ProjectManager()->DataObjectList())
        EXPECT_FALSE(dynamic_cast<TDuzuDataView*>(item)->IsActive()) << item->Name();
    EXPECT_EQ(DuzuDataSystem().ControlCount(), 0);
}

TEST_F(StoredProjectTest, TheEmbeddedProjectIsTheDefinitionSavedAgain) {
    TDuzuProjectManager again(nullptr);
    defineStoredProject(again);
    TMemoryStream bytes;
    again.SaveToStream(&bytes);
    EXPECT_EQ(std::string(bytes.Memory(), static_cast<std::size_t>(bytes.Size())), storedProjectBytes());
    TDuzuProject project(nullptr);
    loadStoredProject(project);
    project.Open();
    EXPECT_EQ(project.ProjectManager()->CurrentReportName(), "Pmt_Report");
    EXPECT_TRUE(project.SelectReport("Items_All_Report", false));
    EXPECT_EQ(project.ProjectManager()->DataObjectList().size(), 4u);
    // References across bands read back.
    auto* sum = dynamic_cast<TDuzuCalcText*>(project.ProjectManager()->FindDuzuComponent("MainPage.CalcText1", nullptr));
    ASSERT_NE(sum, nullptr);
    ASSERT_NE(sum->Controller(), nullptr);
    EXPECT_EQ(sum->Controller()->Name(), "PaymentDtlDataViewDataBand");
}

}  // namespace
