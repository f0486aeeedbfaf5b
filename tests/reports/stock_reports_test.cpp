// The reorder and controlled-items reports on the shop fixture with five
// stock items: which items each lists, the vendor groups (letter case
// folded, the empty vendor first), the subtotals in the "Total" column, the
// grand total, an empty list, the re-run by OK, and the printed PDF.
#include <gtest/gtest.h>

#include "reports/ControlItemRpt.h"
#include "reports/ReorderReport.h"
#include "support/CompanyFixture.h"
#include "support/ReportPages.h"
#include "support/ShopFixture.h"
#include "ui/Application.h"
#include "ui/Forms.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<ReportStop> Columns = {{0.5, 0.9},       {1.5, 0.9},       {2.5, 0.9},       {3.5, 0.9},
                                         {4.5, 0.9, true}, {5.5, 0.6, true}, {6.2, 0.8, true}, {7.1, 0.9, true}};
const std::vector<ReportStop> FooterColumns = {{6.2, 0.8, true}, {7.1, 0.9, true}};

class StockReportTest : public ShopTest {
protected:
    void addRows(const std::string& Dir) override {
        CompanyFixture::AppendRows(
            Dir, "Item.dbf",
            {{{"ID", "A"}, {"DESC", "Item A"}, {"CTRLITEM", "T"}, {"QTYONHAND", "3"}, {"REORDERPT", "3"},
              {"VENDOR", "acme"}, {"COST", "10.00"}},
             {{"ID", "B"}, {"DESC", "Item B"}, {"CTRLITEM", "T"}, {"QTYONHAND", "4"}, {"REORDERPT", "3"},
              {"VENDOR", "Acme"}, {"COST", "7.00"}},
             {{"ID", "C"}, {"DESC", "Item C"}, {"CTRLITEM", "F"}, {"QTYONHAND", "0"}, {"REORDERPT", "5"},
              {"VENDOR", "Zed"}, {"COST", "1.00"}},
             {{"ID", "D"}, {"DESC", "Item D"}, {"CTRLITEM", "T"}, {"QTYONHAND", "1"}, {"REORDERPT", "2"},
              {"VENDOR", "ACME"}, {"COST", "5.00"}},
             {{"ID", "E"}, {"DESC", "Item E"}, {"CTRLITEM", "T"}, {"QTYONHAND", "0"}, {"REORDERPT", "1"},
              {"VENDOR", ""}, {"COST", "2.50"}}});
    }
    void TearDown() override {
        if (form) form->Close();
        Application->ProcessMessages();
        ShopTest::TearDown();
    }
    // The form made as the menu makes it; its creation runs the report.
    template <class Form>
    ReportPages runAtCreation() {
        return CaptureReport([this] { form = CreateForm<Form>(nullptr); });
    }
    static std::pair<Rows, Rows> bodyAndFooter(const ReportPages& pages) {
        const ReportTextItem* total = pages.FindLast("Total");
        if (!total) return {};
        const double headings = total == pages.Find("Total") ? total->Baseline : pages.Find("Total")->Baseline;
        return {Cells(pages, Columns, headings, total->Baseline - 0.01, total->Page),
                Cells(pages, FooterColumns, total->Baseline - 0.01, 11, total->Page)};
    }
    TForm* form = nullptr;
};

}  // namespace

TEST_F(StockReportTest, ReorderListsTheItemsAtOrBelowTheirPointByVendor) {
    const ReportPages pages = runAtCreation<TReorder>();
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_NE(pages.Find("Reorder Report"), nullptr);
    const auto [body, footer] = bodyAndFooter(pages);
    EXPECT_EQ(body, (Rows{{"<no vendor>", "", "E", "Item E", "0", "1", "2.50", "2.50"},
                          {"ACME", "", "A", "Item A", "3", "3", "10.00", ""},
                          {"", "", "D", "Item D", "1", "2", "5.00", "15.00"}}));
    EXPECT_EQ(footer, (Rows{{"Total", "17.50"}}));
}

TEST_F(StockReportTest, ControlledItemsListsEveryControlledItemAndOkRunsItAgain) {
    const Rows expected = {{"<no vendor>", "", "E", "Item E", "0", "1", "2.50", "2.50"},
                           {"ACME", "", "A", "Item A", "3", "3", "10.00", ""},
                           {"", "", "B", "Item B", "4", "3", "7.00", ""},
                           {"", "", "D", "Item D", "1", "2", "5.00", "22.00"}};
    const ReportPages pages = runAtCreation<TControlItemReport>();
    EXPECT_NE(pages.Find("Controlled Items Report"), nullptr);
    const auto [body, footer] = bodyAndFooter(pages);
    EXPECT_EQ(body, expected);
    EXPECT_EQ(footer, (Rows{{"Total", "24.50"}}));

    auto* report = dynamic_cast<TControlItemReport*>(form);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->FromKingDateDialog->Text(), "03/01/2024");
    EXPECT_EQ(report->ThruKingDateDialog->Text(), "03/31/2024");
    const ReportPages again = CaptureReport([&] { report->BitBtn1->Click(); });
    form = nullptr;  // OK closes the form after its run
    EXPECT_EQ(bodyAndFooter(again).first, expected);
}

namespace {

class EmptyStockTest : public StockReportTest {
protected:
    void addRows(const std::string&) override {}
};

}  // namespace

TEST_F(EmptyStockTest, AnEmptyListPrintsHeadingsAndAZeroTotal) {
    const ReportPages pages = runAtCreation<TReorder>();
    EXPECT_EQ(pages.Find("<no vendor>"), nullptr);
    const auto [body, footer] = bodyAndFooter(pages);
    EXPECT_EQ(body, Rows{});
    EXPECT_EQ(footer, (Rows{{"Total", "0.00"}}));
}

TEST_F(StockReportTest, PrintedToPdf) {
    const std::string pdf = ReportOutputFile("controlled_items.pdf");
    PrintReportToPdf([&] { form = CreateForm<TControlItemReport>(nullptr); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Controlled Items Report", "<no vendor>", "ACME", "Item B", "24.50"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    const std::string reorder = ReportOutputFile("reorder.pdf");
    form->Close();
    Application->ProcessMessages();
    PrintReportToPdf([&] { form = CreateForm<TReorder>(nullptr); }, reorder);
    EXPECT_NE(PdfText(reorder).find("17.50"), std::string::npos);
}
