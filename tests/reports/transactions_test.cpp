// Transactions by Date: the ledger rows of the range under seven columns,
// "Account" showing the row's TYPE, and the totals under Debit and Credit;
// the form opens on this month while its combo says "Today".
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "reports/TransactionByDate.h"

namespace {

const std::vector<ReportStop> Columns = {{0.5, 0.8, true},  {1.5, 0.6, true},  {2.2, 0.9}, {3.2, 0.7},
                                         {4.0, 1.4},        {5.5, 0.9, true},  {6.5, 0.9, true}};

class TransactionsTest : public ReportFormTest {};

}  // namespace

TEST_F(TransactionsTest, OpensOnThisMonthWhileTheComboSaysToday) {
    auto* f = open<TTransactionByDateReport>();
    EXPECT_EQ(f->DateRangeComboBox->Text(), "Today");
    EXPECT_EQ(f->FromKingDateDialog->Text(), "03/01/2024");
    EXPECT_EQ(f->ThruKingDateDialog->Text(), "03/31/2024");
    EXPECT_EQ(f->KingPopup2->PopupDate(), EncodeDate(2024, 3, 31));
    EXPECT_EQ(f->OKBtn, f->BitBtn1);
    EXPECT_TRUE(f->ReportSystem1->SystemPreview()->Monochrome());
    EXPECT_EQ(f->ReportSystem1->SystemPreview()->ShadowDepth(), 0);
}

TEST_F(TransactionsTest, EveryLedgerRowOfTheRangeAndBalancedTotals) {
    const ReportPages pages = run<TTransactionByDateReport>("03/14/2024", "03/15/2024");
    ASSERT_EQ(pages.PageCount, 1);
    const Rows rows = Cells(pages, Columns, 1.6, 11);
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[0][1], "3/14/24");
    EXPECT_EQ(rows[0][3], "1001");
    EXPECT_EQ(rows[0][4], "Sales");
    int receipts = 0, payments = 0, deposits = 0;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const std::string& ref = rows[i][3];
        if (ref.size() == 4) ++receipts;
        else if (rows[i][2] == "Deposit") ++deposits;
        else ++payments;
        EXPECT_TRUE(rows[i][5] == "0.00" || rows[i][6] == "0.00") << i;
    }
    EXPECT_EQ(receipts, 9);
    EXPECT_EQ(payments, 6);
    EXPECT_EQ(deposits, 2);
    bool receivable = false;
    for (const auto& row : rows)
        receivable = receivable || row[4] == "Accounts Receivable";
    EXPECT_TRUE(receivable);
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"", "", "     Total", "", "", "676.35", "676.35"}));
}

TEST_F(TransactionsTest, EachWholeDayBalances) {
    for (const char* day : {"03/14/2024", "03/15/2024"}) {
        const ReportPages pages = run<TTransactionByDateReport>(day, day);
        const Rows rows = Cells(pages, Columns, 1.6, 11);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.back()[5], rows.back()[6]) << day;
    }
}

TEST_F(TransactionsTest, PrintedToPdf) {
    auto* f = open<TTransactionByDateReport>();
    f->FromKingDateDialog->SetText("03/14/2024");
    f->ThruKingDateDialog->SetText("03/15/2024");
    const std::string pdf = ReportOutputFile("transactions_by_date.pdf");
    PrintReportToPdf([f] { f->OKBtn->Click(); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Transactions", "Accounts Receivable", "676.35"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}
