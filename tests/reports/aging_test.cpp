// The receivables aging detail: the groups of the fixed buckets with their
// labels, subtotals and total (open receipts only, the latest due date
// first), receipts 10 and 35 days overdue in two groups, the shop fixture's
// total against the trial balance's receivables, an empty selection, and
// the printed PDF.
#include <gtest/gtest.h>

#include <algorithm>

#include "ReportRun.h"
#include "reports/ARReport.h"
#include "reports/TrialBalance.h"

namespace {

const std::vector<ReportStop> Columns = {{0.5, 1.75}, {2.5, 0.6}, {3.2, 0.8}, {4.0, 0.6}, {4.7, 1.8}, {6.5, 1.0, true}};

// Receipts of patient 3 with open balances, as (receipt, due date, balance).
struct TOpenReceipt {
    const char* Receipt;
    const char* DueDate;
    const char* Balance;
};

void addOpenReceipts(const std::string& Dir, std::initializer_list<TOpenReceipt> Receipts) {
    std::vector<CompanyFixture::Row> rows;
    for (const TOpenReceipt& r : Receipts)
        rows.push_back({{"RECEIPT", r.Receipt}, {"DATE", "20231101"}, {"PATID", "3"}, {"NAME", "Carter"},
                        {"SUBTOTAL", r.Balance}, {"TOTAL", r.Balance}, {"BALANCE", r.Balance}, {"TERMS", "30"},
                        {"DUEDATE", r.DueDate}});
    CompanyFixture::AppendRows(Dir, "Sales.dbf", rows);
}

class AgingTest : public ShopTest {
protected:
    void TearDown() override {
        closeForm();
        ShopTest::TearDown();
    }
    void closeForm() {
        if (form) form->Close();
        form = nullptr;
        Application->ProcessMessages();
    }
    template <class Form>
    ReportPages run() {
        closeForm();
        return CaptureReport([this] { form = CreateForm<Form>(nullptr); });
    }
    static Rows body(const ReportPages& Pages) { return Cells(Pages, Columns, 1.6, 11); }
    TForm* form = nullptr;
};

// FX-A: due 3/20, 3/15, 3/5, 1/30 and 12/6/2023, with the clock at 3/15/2024.
class FiveBucketsTest : public AgingTest {
protected:
    void addRows(const std::string& Dir) override {
        addOpenReceipts(Dir, {{"2001", "20240320", "10.00"},
                              {"2002", "20240315", "20.00"},
                              {"2003", "20240305", "30.00"},
                              {"2004", "20240130", "40.00"},
                              {"2005", "20231206", "50.00"}});
    }
};

}  // namespace

TEST_F(FiveBucketsTest, OneGroupPerBucketWithItsLabelOnTheFirstLine) {
    const ReportPages pages = run<TARReportForm>();
    ASSERT_EQ(pages.PageCount, 1);
    for (const char* text : {"3/15/2024 10:07a", "Page 1", "Accounts Receivable", "Due", "Receipt", "Balance"})
        EXPECT_NE(pages.Find(text), nullptr) << text;
    EXPECT_EQ(body(pages), (Rows{{"Current", "4/14/24", "1003", "3/15/24", "Adams", "39.35"},
                                 {"", "4/13/24", "1001", "3/14/24", "Adams", "55.00"},
                                 {"", "3/20/24", "2001", "11/1/23", "Carter", "10.00"},
                                 {"", "3/15/24", "2002", "11/1/23", "Carter", "20.00"},
                                 {"", "", "", "", "SubTotal", "124.35"},
                                 {"1-30 Days Overdue", "3/5/24", "2003", "11/1/23", "Carter", "30.00"},
                                 {"", "", "", "", "SubTotal", "30.00"},
                                 {"30-60 Days Overdue", "1/30/24", "2004", "11/1/23", "Carter", "40.00"},
                                 {"", "", "", "", "SubTotal", "40.00"},
                                 {"Over 90 Days Overdue", "12/6/23", "2005", "11/1/23", "Carter", "50.00"},
                                 {"", "", "", "", "SubTotal", "50.00"},
                                 {"", "", "", "", "Total", "244.35"}}));
}

namespace {

// FX-A2: no receipt of patient 3 is current; 10 and 35 days overdue.
class TwoOverdueTest : public AgingTest {
protected:
    void addRows(const std::string& Dir) override {
        addOpenReceipts(Dir, {{"2003", "20240305", "30.00"}, {"2004", "20240209", "40.00"}});
    }
};

}  // namespace

TEST_F(TwoOverdueTest, TenAndThirtyFiveDaysOverdueFallIntoTwoGroups) {
    const Rows rows = body(run<TARReportForm>());
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[3], (std::vector<std::string>{"1-30 Days Overdue", "3/5/24", "2003", "11/1/23", "Carter", "30.00"}));
    EXPECT_EQ(rows[4], (std::vector<std::string>{"", "", "", "", "SubTotal", "30.00"}));
    EXPECT_EQ(rows[5], (std::vector<std::string>{"30-60 Days Overdue", "2/9/24", "2004", "11/1/23", "Carter", "40.00"}));
    EXPECT_EQ(rows[6], (std::vector<std::string>{"", "", "", "", "SubTotal", "40.00"}));
    EXPECT_EQ(rows[7], (std::vector<std::string>{"", "", "", "", "Total", "164.35"}));
}

TEST_F(AgingTest, TheShopsTotalIsTheTrialBalancesReceivables) {
    const Rows aging = body(run<TARReportForm>());
    ASSERT_FALSE(aging.empty());
    const Rows balance = Cells(run<TTrialBalanceForm>(), {{2.0, 2.0}, {4.75, 1.0, true}, {5.85, 1.0, true}}, 1.6, 11);
    std::string receivable;
    for (const auto& row : balance)
        if (row[0] == "Accounts Receivable") receivable = row[1];
    EXPECT_EQ(aging.back()[5], "94.35");
    EXPECT_EQ(receivable, "94.35");
}

namespace {

class NothingOpenTest : public AgingTest {
protected:
    // The two receipts with open balances are gone.
    void addRows(const std::string& Dir) override { CompanyFixture::DeleteRecords(Dir, "Sales.dbf", {1, 3}); }
};

}  // namespace

TEST_F(NothingOpenTest, NoOpenReceiptPrintsTheHeadingsAndAZeroTotal) {
    const ReportPages pages = run<TARReportForm>();
    EXPECT_NE(pages.Find("Balance"), nullptr);
    EXPECT_EQ(body(pages), (Rows{{"", "", "", "", "Total", "0.00"}}));
}

TEST_F(FiveBucketsTest, PrintedToPdf) {
    const std::string pdf = ReportOutputFile("aging_detail.pdf");
    PrintReportToPdf([&] { form = CreateForm<TARReportForm>(nullptr); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Accounts Receivable", "Over 90 Days Overdue", "SubTotal", "244.35"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

namespace {

// Sixty receipts of 1.00, a day apart in their due dates, from due today on.
class ManyOpenTest : public AgingTest {
protected:
    void addRows(const std::string& Dir) override {
        std::vector<CompanyFixture::Row> rows;
        for (int i = 0; i < 60; ++i)
            rows.push_back({{"RECEIPT", std::to_string(3000 + i)}, {"DATE", "20231101"}, {"PATID", "3"},
                            {"NAME", "Carter"}, {"BALANCE", "1.00"}, {"TERMS", "30"},
                            {"DUEDATE", FormatDateTime("yyyymmdd", EncodeDate(2024, 3, 15) - i)}});
        CompanyFixture::AppendRows(Dir, "Sales.dbf", rows);
    }
};

}  // namespace

TEST_F(ManyOpenTest, ALongListBreaksBelowTenInchesWithHeadingsOnEveryPage) {
    const ReportPages pages = run<TARReportForm>();
    ASSERT_GE(pages.PageCount, 2);
    for (int page = 1; page <= pages.PageCount; ++page) {
        const std::vector<std::string> texts = pages.Texts(page);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Page " + std::to_string(page)), texts.end());
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Balance"), texts.end()) << "page " << page;
    }
    for (const ReportTextItem& item : pages.Items)
        EXPECT_LT(item.Baseline, 10.5) << item.Text << " on page " << item.Page;
    const Rows rows = body(pages);
    int receipts = 0;
    for (const auto& row : rows)
        receipts += row[2].size() == 4 && row[2][0] == '3';
    EXPECT_EQ(receipts, 60);
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"", "", "", "", "Total", "154.35"}));
}
