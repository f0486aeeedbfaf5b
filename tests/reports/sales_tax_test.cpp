// The sales tax report: the taxable sales and tax per rate on the shop
// fixture, the four rate slots and "Other" with six rates, rounding of the
// computed tax beside the tax charged, a taxed line at rate 0, receipts
// without lines, the form's opening range, and the printed PDF.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "SalesMix.h"
#include "reports/SalesTax.h"
#include "ui/OffscreenRender.h"

namespace {

const std::vector<ReportStop> Columns = {{1.7, 2.4}, {3.7, 1.5, true}, {5.3, 1.5, true}};

// The summary's lines below the column headings, blank lines left out.
Rows summary(const ReportPages& pages) {
    Rows rows;
    for (const auto& row : Cells(pages, Columns, 2.1, 11, 1))
        if (row != std::vector<std::string>{"", "", ""}) rows.push_back(row);
    return rows;
}

class SalesTaxTest : public ReportFormTest {
protected:
    void addRows(const std::string& Dir) override {
        SalesMix::AddSixRateReceipts(Dir);
        SalesMix::AddRoundedTaxReceipts(Dir);
        SalesMix::AddMixedItems(Dir);
    }
};

}  // namespace

TEST_F(SalesTaxTest, TaxableSalesAndTaxPerRateOnTheShopFixture) {
    const ReportPages pages = run<TSalesTaxReport>("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_NE(pages.Find("Sales Tax Report"), nullptr);
    EXPECT_NE(pages.Find("March 14, 2024 thru March 15, 2024"), nullptr);
    EXPECT_EQ(Cells(pages, Columns, 1.9, 2.1, 1), (Rows{{"", "Sales", "Tax"}}));
    EXPECT_EQ(summary(pages), (Rows{{"Sales Taxed at 5%", "180.00", "9.00"},
                                    {"Sales Taxed at 7.25%", "60.00", "4.35"},
                                    {"Total Taxable Sales", "240.00", "13.35"},
                                    {"Non-Taxable Sales", "35.00", ""},
                                    {"Total Sales", "275.00", ""},
                                    {"Sales Tax Charged on Receipts", "", "13.35"}}));
    const ReportTextItem* charged = pages.Find("Sales Tax Charged on Receipts");
    EXPECT_NEAR(charged->Baseline, 5.1, 0.25);
    EXPECT_GT(charged->Baseline, pages.Find("Total Sales")->Baseline);
}

TEST_F(SalesTaxTest, FourRatesHaveLinesAndFurtherRatesShareOther) {
    const ReportPages pages = run<TSalesTaxReport>("03/20/2024", "03/20/2024");
    // Receipt 2007 has no lines: its 3.00 of tax is not counted.
    EXPECT_EQ(summary(pages), (Rows{{"Sales Taxed at 5%", "100.00", "5.00"},
                                    {"Sales Taxed at 7.25%", "100.00", "7.25"},
                                    {"Sales Taxed at 6%", "100.00", "6.00"},
                                    {"Sales Taxed at 8.25%", "100.00", "8.25"},
                                    {"Sales at Other Tax Rates", "30.00", "2.90"},
                                    {"Total Taxable Sales", "430.00", "29.40"},
                                    {"Non-Taxable Sales", "0", ""},
                                    {"Total Sales", "430.00", ""},
                                    {"Sales Tax Charged on Receipts", "", "0"}}));
}

TEST_F(SalesTaxTest, ComputedTaxIsRoundedOnceWhileEachReceiptWasRoundedToCents) {
    const ReportPages pages = run<TSalesTaxReport>("03/21/2024", "03/21/2024");
    EXPECT_EQ(summary(pages), (Rows{{"Sales Taxed at 8.25%", "30.00", "2.48"},
                                    {"Taxable Sales", "30.00", "2.48"},
                                    {"Non-Taxable Sales", "0", ""},
                                    {"Total Sales", "30.00", ""},
                                    {"Sales Tax Charged on Receipts", "", "2.49"}}));
}

TEST_F(SalesTaxTest, ATaxedLineAtRateZeroHasItsOwnSlot) {
    const ReportPages pages = run<TSalesTaxReport>("03/24/2024", "03/24/2024");
    const Rows rows = summary(pages);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Sales Taxed at 0%", "40.00", "0"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Sales Taxed at 5%", "60.00", "3.00"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"Total Taxable Sales", "100.00", "3.00"}));
}

TEST_F(SalesTaxTest, AnEmptyRangePrintsZeroTotalsOnly) {
    const ReportPages pages = run<TSalesTaxReport>("03/01/2024", "03/02/2024");
    EXPECT_EQ(summary(pages), (Rows{{"Taxable Sales", "0", "0"},
                                    {"Non-Taxable Sales", "0", ""},
                                    {"Total Sales", "0", ""},
                                    {"Sales Tax Charged on Receipts", "", "0"}}));
}

TEST_F(SalesTaxTest, OpensOnThisMonthWhileTheComboSaysToday) {
    auto* form = open<TSalesTaxReport>();
    EXPECT_EQ(form->DateRangeComboBox->Text(), "Today");
    EXPECT_EQ(form->FromKingDateDialog->Text(), "03/01/2024");
    EXPECT_EQ(form->ThruKingDateDialog->Text(), "03/31/2024");
    EXPECT_EQ(form->ReportSystem1->SystemFiler()->StatusFormat(), "Compiling Report... Please Wait");
    EXPECT_EQ(form->Caption(), "Sales Tax Report");
    renderToPng(form, ReportOutputFile("sales_tax_form.png"));
}

TEST_F(SalesTaxTest, PrintedToPdf) {
    const std::string pdf = ReportOutputFile("sales_tax.pdf");
    auto* form = open<TSalesTaxReport>();
    form->FromKingDateDialog->SetText("03/14/2024");
    form->ThruKingDateDialog->SetText("03/20/2024");
    PrintReportToPdf([form] { form->BitBtn1->Click(); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Sales Tax Report", "Sales at Other Tax Rates", "Sales Tax Charged on Receipts"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}
