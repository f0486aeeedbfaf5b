// Sales by Date - Summary: one line per date with the four figures, the
// totals line equal to the detail report's recap, an empty range, and
// page breaks that never part a date from its figures.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "reports/SalesByDaySummary.h"
#include "support/CompanyFixture.h"

namespace {

const std::vector<ReportStop> Columns = {
    {0.5, 1.4}, {2.0, 1.4, true}, {3.5, 1.4, true}, {5.0, 1.4, true}, {6.5, 1.4, true}};

class SummaryTest : public ReportFormTest {};

}  // namespace

TEST_F(SummaryTest, OneLinePerDateAndTotalsEqualToTheRecap) {
    const ReportPages pages = run<TSalesByDaySummaryReport>("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_EQ(Cells(pages, Columns, 1.0, 1.75),
              (Rows{{"", "", "", "Discounts &", ""}, {"Date", "Gross Sales", "Adustments", "Returns", "Net Sales"}}));
    EXPECT_EQ(Cells(pages, Columns, 1.75, 11),
              (Rows{{"Thu 3/14/24", "230.00", "-10.00", "0.00", "220.00"},
                    {"Fri 3/15/24", "60.00", "0.00", "-5.00", "55.00"},
                    {"", "290.00", "-10.00", "-5.00", "275.00"}}));
    EXPECT_NE(pages.Find("Sales by Date - Summary"), nullptr);
}

TEST_F(SummaryTest, AnEmptyRangePrintsOnlyZeroTotals) {
    const ReportPages pages = run<TSalesByDaySummaryReport>("03/01/2024", "03/02/2024");
    EXPECT_EQ(Cells(pages, Columns, 1.75, 11), (Rows{{"", "0.00", "0.00", "0.00", "0.00"}}));
}

// Sixty one-receipt dates in 2023, before the fixture's documents.
class SixtyDatesTest : public SummaryTest {
protected:
    void addRows(const std::string& DataDirectory) override {
        std::vector<CompanyFixture::Row> receipts;
        for (int day = 0; day < 60; ++day) {
            const std::string date = FormatDateTime("yyyymmdd", EncodeDate(2023, 1, 1) + day);
            receipts.push_back({{"RECEIPT", std::to_string(2000 + day)}, {"DATE", date}, {"PATID", "2"},
                                {"NAME", "Baker"}, {"SUBTOTAL", "10.00"}, {"TOTAL", "10.00"}});
        }
        CompanyFixture::AppendRows(DataDirectory, "Sales.dbf", receipts);
    }
};

TEST_F(SixtyDatesTest, TheSummaryBreaksOnlyBetweenDatesWithPagesInOrder) {
    const ReportPages pages = run<TSalesByDaySummaryReport>("01/01/2023", "03/01/2023");
    ASSERT_GT(pages.PageCount, 1);
    for (int page = 1; page <= pages.PageCount; ++page)
        EXPECT_NE(pages.Find("Page " + std::to_string(page)), nullptr) << page;
    int dates = 0;
    for (const auto& row : Cells(pages, Columns, 1.75, 11)) {
        if (row[0].empty()) continue;  // the totals line
        ++dates;
        EXPECT_EQ(row, (std::vector<std::string>{row[0], "10.00", "0.00", "0.00", "10.00"}));
    }
    EXPECT_EQ(dates, 60);
    const ReportTextItem* total = pages.FindLast("600.00");
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->Page, pages.PageCount);
}

TEST_F(SummaryTest, PrintedToPdf) {
    auto* f = open<TSalesByDaySummaryReport>();
    f->FromKingDateDialog->SetText("03/14/2024");
    f->ThruKingDateDialog->SetText("03/15/2024");
    const std::string pdf = ReportOutputFile("sales_by_date_summary.pdf");
    PrintReportToPdf([f] { f->BitBtn1->Click(); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Sales by Date - Summary", "Adustments", "Fri 3/15/24", "290.00"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}
