// Figures that several reports print must agree over one range of the shop
// fixture: Sales by Date's total, the summary's net sales and the credits
// of the sales account in Transactions by Date.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "base/Currency.h"
#include "reports/SalesByDay.h"
#include "reports/SalesByDaySummary.h"
#include "reports/TransactionByDate.h"

namespace {

class CrossReportTest : public ReportFormTest {};

Currency amount(const std::string& Text) {
    std::string digits;
    for (char c : Text)
        if (c != ',') digits += c;
    return StrToCurr(digits);
}

}  // namespace

TEST_F(CrossReportTest, SalesTotalEqualsSummaryNetEqualsSalesCredits) {
    const std::string from = "03/14/2024", thru = "03/15/2024";
    const ReportPages detail = run<TSalesByDayReport>(from, thru);
    const ReportPages summary = run<TSalesByDaySummaryReport>(from, thru);
    const ReportPages transactions = run<TTransactionByDateReport>(from, thru);

    const ReportTextItem* total = detail.FindLast("Total");
    ASSERT_NE(total, nullptr);
    const Rows totalLine = Cells(detail, {{4.5, 1.9}, {6.5, 1.0, true}}, total->Baseline - 0.01, total->Baseline);
    ASSERT_EQ(totalLine.size(), 1u);

    const Rows summaryRows = Cells(summary, {{0.5, 1.4}, {2.0, 1.4, true}, {3.5, 1.4, true}, {5.0, 1.4, true},
                                             {6.5, 1.4, true}},
                                   1.75, 11);
    ASSERT_FALSE(summaryRows.empty());

    const Rows ledger = Cells(transactions, {{0.5, 0.8, true}, {1.5, 0.6, true}, {2.2, 0.9}, {3.2, 0.7},
                                             {4.0, 1.4}, {5.5, 0.9, true}, {6.5, 0.9, true}},
                              1.6, 11);
    ASSERT_FALSE(ledger.empty());
    Currency salesCredits;
    for (std::size_t i = 0; i + 1 < ledger.size(); ++i)
        if (ledger[i][4] == "Sales") salesCredits += amount(ledger[i][6]);

    EXPECT_EQ(amount(totalLine[0][1]), amount(summaryRows.back()[4]));
    EXPECT_EQ(amount(totalLine[0][1]), salesCredits);
    EXPECT_EQ(ledger.back()[5], ledger.back()[6]);
}
