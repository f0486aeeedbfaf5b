// Sales by Date on the shop fixture: the receipts under their dates with
// subtotals, the total and the recap; an empty range; the header; and the
// printed PDF.
#include <gtest/gtest.h>

#include "reports/SalesByDay.h"
#include "support/BooksChecker.h"
#include "support/CompanyFixture.h"
#include "support/ReportPages.h"
#include "support/ShopFixture.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/Forms.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<ReportStop> Columns = {{0.5, 1.4}, {2.0, 0.9}, {3.0, 2.4}, {5.5, 0.9, true}, {6.5, 1.0, true}};
const std::vector<ReportStop> FooterColumns = {{4.5, 1.9}, {6.5, 1.0, true}};

class SalesByDateTest : public ShopTest {
protected:
    void TearDown() override {
        if (form) form->Close();
        Application->ProcessMessages();
        ShopTest::TearDown();
    }
    ReportPages run(const std::string& From, const std::string& Thru) {
        form = CreateForm<TSalesByDayReport>(nullptr);
        form->FromKingDateDialog->SetText(From);
        form->ThruKingDateDialog->SetText(Thru);
        return CaptureReport([&] { form->BitBtn1->Click(); });
    }
    // Body lines above "Total", and the footer from "Total" on.
    static std::pair<Rows, Rows> bodyAndFooter(const ReportPages& pages) {
        const ReportTextItem* total = pages.FindLast("Total");
        if (!total) return {};
        const double headings = pages.Find("Receipt")->Baseline;
        return {Cells(pages, Columns, headings, total->Baseline - 0.01, total->Page),
                Cells(pages, FooterColumns, total->Baseline - 0.01, 11, total->Page)};
    }
    TSalesByDayReport* form = nullptr;
};

}  // namespace

TEST_F(SalesByDateTest, TheFixtureBooksAgree) { EXPECT_EQ(BooksChecker::Check(company.DataDirectory()), std::vector<std::string>{}); }

TEST_F(SalesByDateTest, ReceiptsUnderTheirDatesWithSubtotalsTotalAndRecap) {
    const ReportPages pages = run("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 1);
    const auto [body, footer] = bodyAndFooter(pages);
    EXPECT_EQ(body, (Rows{{"Thu 3/14/24", "1001", "Adams", "150.00", ""},
                          {"", "1002", "Baker", "70.00", ""},
                          {"", "", "     Subtotal", "", "220.00"},
                          {"Fri 3/15/24", "1003", "Adams", "55.00", ""},
                          {"", "", "     Subtotal", "", "55.00"}}));
    EXPECT_EQ(footer, (Rows{{"Total", "275.00"},
                            {"Gross Sales", "290.00"},
                            {"Adjustments", "-10.00"},
                            {"Discounts & Returns", "-5.00"},
                            {"Net Sales", "275.00"}}));
}

TEST_F(SalesByDateTest, ThePageHeaderNamesTheRunTheTitleAndTheRange) {
    const ReportPages pages = run("03/14/2024", "03/15/2024");
    const std::vector<std::string> texts = pages.Texts(1);
    ASSERT_GE(texts.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 9),
              (std::vector<std::string>{"3/15/2024 10:07a", "Page 1", "Sales by Date",
                                        "March 14, 2024 thru March 15, 2024", "Date", "Receipt", "Patient",
                                        "Amount", "Total"}));
    const ReportTextItem* stamp = pages.Find("3/15/2024 10:07a");
    EXPECT_NEAR(stamp->Left, 0.3, 0.02);
    EXPECT_NEAR(stamp->Baseline, 0.5, 0.02);
    EXPECT_NEAR(pages.Find("Page 1")->Left, 7.2, 0.02);
    const ReportTextItem* title = pages.Find("Sales by Date");
    EXPECT_EQ(title->Font, "Arial");
    EXPECT_NEAR(title->Size, 20, 0.1);
    EXPECT_NEAR((title->Left + title->Right) / 2, 4.25, 0.02);
}

TEST_F(SalesByDateTest, AnEmptyRangePrintsHeadingsAndZeroTotalsWithoutAPhantomRow) {
    for (const auto& [from, thru] : {std::pair{"03/20/2024", "03/21/2024"}, std::pair{"03/15/2024", "03/14/2024"}}) {
        const ReportPages pages = run(from, thru);
        const auto [body, footer] = bodyAndFooter(pages);
        EXPECT_EQ(body, Rows{}) << from;
        EXPECT_EQ(footer, (Rows{{"Total", "0.00"},
                                {"Gross Sales", "0.00"},
                                {"Adjustments", "0.00"},
                                {"Discounts & Returns", "0.00"},
                                {"Net Sales", "0.00"}}))
            << from;
        form->Close();
        Application->ProcessMessages();
        form = nullptr;
    }
}

TEST_F(SalesByDateTest, PrintedToPdf) {
    form = CreateForm<TSalesByDayReport>(nullptr);
    form->FromKingDateDialog->SetText("03/14/2024");
    form->ThruKingDateDialog->SetText("03/15/2024");
    const std::string pdf = ReportOutputFile("sales_by_date.pdf");
    PrintReportToPdf([&] { form->BitBtn1->Click(); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Sales by Date", "Thu 3/14/24", "1001", "Adams", "Net Sales", "275.00"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

namespace {

// A receipt of nothing on 3/13.
class ZeroReceiptTest : public SalesByDateTest {
protected:
    void addRows(const std::string& DataDirectory) override {
        CompanyFixture::AppendRows(DataDirectory, "Sales.dbf",
                                   {{{"RECEIPT", "1000"}, {"DATE", "20240313"}, {"PATID", "2"}, {"NAME", "Baker"},
                                     {"SUBTOTAL", "0"}, {"TOTAL", "0"}}});
    }
};

}  // namespace

TEST_F(ZeroReceiptTest, AZeroLinePrintsZeroAndAZeroSubtotalPrintsCents) {
    const ReportPages pages = run("03/13/2024", "03/13/2024");
    const auto [body, footer] = bodyAndFooter(pages);
    EXPECT_EQ(body, (Rows{{"Wed 3/13/24", "1000", "Baker", "0", ""}, {"", "", "     Subtotal", "", "0.00"}}));
    EXPECT_EQ(footer.front(), (std::vector<std::string>{"Total", "0.00"}));
}
