// The trial balance: the side rule of an account (shared with the end of
// day), the shop fixture's accounts under Debit and Credit with equal
// totals, accounts whose DC is blank or lower case, a balance at the field's
// limit, a chart longer than a page, the setup window's title, and the
// printed PDF.
#include <gtest/gtest.h>

#include "ReportRun.h"
#include "reports/AccountSide.h"
#include "reports/TrialBalance.h"
#include "reporting/RSSetFrm.h"
#include "ui/DialogResponder.h"

namespace {

const std::vector<ReportStop> Columns = {{2.0, 2.0}, {4.75, 1.0, true}, {5.85, 1.0, true}};

class TrialBalanceTest : public ShopTest {
protected:
    void TearDown() override {
        if (form) form->Close();
        Application->ProcessMessages();
        ShopTest::TearDown();
    }
    ReportPages run() {
        return CaptureReport([this] { form = CreateForm<TTrialBalanceForm>(nullptr); });
    }
    // The account rows and the total line of the last page.
    static Rows body(const ReportPages& Pages, int Page = 0) { return Cells(Pages, Columns, 1.6, 11, Page); }
    TTrialBalanceForm* form = nullptr;
};

}  // namespace

TEST(AccountSide, DebitTypeOnlyForCapitalDAndNegativeBalancesChangeSides) {
    struct Case {
        const char* DC;
        const char* Balance;
        bool DebitType;
        TBalanceSide Side;
        const char* Amount;
    };
    const Case cases[] = {
        {"D", "250.00", true, TBalanceSide::Debit, "250"},   {"C", "250.00", false, TBalanceSide::Credit, "250"},
        {"D", "-5.00", true, TBalanceSide::Credit, "5"},     {"C", "-3.10", false, TBalanceSide::Debit, "3.1"},
        {"D", "0", true, TBalanceSide::Debit, "0"},          {"C", "0", false, TBalanceSide::Credit, "0"},
        {"", "2.00", false, TBalanceSide::Credit, "2"},      {"d", "2.00", false, TBalanceSide::Credit, "2"},
        {"d", "-2.00", false, TBalanceSide::Debit, "2"},
    };
    TSideTotals totals;
    for (const Case& c : cases) {
        const TAccountSide side = accountSide(c.DC, StrToCurr(c.Balance));
        EXPECT_EQ(side.DebitType, c.DebitType) << c.DC << " " << c.Balance;
        EXPECT_EQ(side.Side, c.Side) << c.DC << " " << c.Balance;
        EXPECT_EQ(CurrToStr(side.Amount), c.Amount) << c.DC << " " << c.Balance;
        totals.Add(side);
    }
    EXPECT_EQ(CurrToStr(totals.Debits), "255.1");
    EXPECT_EQ(CurrToStr(totals.Credits), "259");
    EXPECT_FALSE(totals.Balanced());
}

TEST_F(TrialBalanceTest, TheShopsAccountsInRecordOrderWithEqualTotals) {
    const ReportPages pages = run();
    ASSERT_EQ(pages.PageCount, 1);
    for (const char* text : {"3/15/2024 10:07a", "Trial Balance", "March 15, 2024", "Debit", "Credit"})
        EXPECT_NE(pages.Find(text), nullptr) << text;
    EXPECT_NEAR(pages.Find("Debit")->Baseline, pages.Find("Credit")->Baseline, 0.001);
    EXPECT_EQ(body(pages), (Rows{{"Sales", "", "275.00"},
                                 {"Sales Tax Payable", "", "13.35"},
                                 {"Undeposited Funds", "0", ""},
                                 {"Accounts Receivable", "94.35", ""},
                                 {"Deposits to Checking", "194.00", ""},
                                 {"Sales Tax Payments", "0", ""},
                                 {"Retained Earnings", "", " 0"},
                                 {"Refunds", "", " 0"},
                                 {"Total", "288.35", "288.35"}}));
    // The totals stand under rules.
    const ReportTextItem* total = pages.Find("Total");
    int rules = 0;
    for (const ReportRule& rule : pages.Rules)
        if (rule.Y1 < total->Baseline && rule.Y1 > total->Baseline - 0.3 && rule.X1 >= 4.7) ++rules;
    EXPECT_EQ(rules, 2);
}

namespace {

class OddAccountsTest : public TrialBalanceTest {
protected:
    void addRows(const std::string& Dir) override {
        CompanyFixture::AppendRows(Dir, "Acct.dbf",
                                   {{{"ID", "9"}, {"NAME", "Owed to us"}, {"DC", "D"}, {"BALANCE", "-5.00"}},
                                    {{"ID", "10"}, {"NAME", "No side"}, {"DC", ""}, {"BALANCE", "2.00"}},
                                    {{"ID", "11"}, {"NAME", "Lower d"}, {"DC", "d"}, {"BALANCE", "3.00"}},
                                    {{"ID", "12"}, {"NAME", "Lower d owed"}, {"DC", "d"}, {"BALANCE", "-1.50"}},
                                    {{"ID", "13"}, {"NAME", "At the limit"}, {"DC", "D"}, {"BALANCE", "9999999.99"}}});
    }
};

}  // namespace

TEST_F(OddAccountsTest, BlankAndLowerCaseDcAreCreditTypeAndTheLimitPrintsWhole) {
    const Rows rows = body(run());
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[8], (std::vector<std::string>{"Owed to us", "", "5.00"}));
    EXPECT_EQ(rows[9], (std::vector<std::string>{"No side", "", "2.00"}));
    EXPECT_EQ(rows[10], (std::vector<std::string>{"Lower d", "", "3.00"}));
    EXPECT_EQ(rows[11], (std::vector<std::string>{"Lower d owed", "1.50", ""}));
    EXPECT_EQ(rows[12], (std::vector<std::string>{"At the limit", "9,999,999.99", ""}));
    EXPECT_EQ(rows[13], (std::vector<std::string>{"Total", "10,000,289.84", "298.35"}));
}

namespace {

class LongChartTest : public TrialBalanceTest {
protected:
    void addRows(const std::string& Dir) override {
        std::vector<CompanyFixture::Row> accounts;
        for (int i = 0; i < 70; ++i)
            accounts.push_back({{"ID", std::to_string(100 + i)},
                                {"NAME", "Extra " + std::to_string(i + 1)},
                                {"DC", "D"},
                                {"BALANCE", "1.00"}});
        CompanyFixture::AppendRows(Dir, "Acct.dbf", accounts);
    }
};

}  // namespace

TEST_F(LongChartTest, HeadingsOnEveryPageAndTotalsOverTheWholeChart) {
    const ReportPages pages = run();
    ASSERT_EQ(pages.PageCount, 2);
    for (int page : {1, 2}) {
        int headings = 0;
        for (const ReportTextItem& item : pages.On(page))
            headings += item.Text == "Debit" || item.Text == "Credit";
        EXPECT_EQ(headings, 2) << "page " << page;
    }
    EXPECT_EQ(pages.FindLast("Trial Balance")->Page, 1) << "the title prints once";
    const Rows first = body(pages, 1), second = body(pages, 2);
    EXPECT_EQ(first.size() + second.size(), 79u);
    for (const auto& row : first)
        EXPECT_NE(row[0], "Total");
    EXPECT_EQ(second.back(), (std::vector<std::string>{"Total", "358.35", "288.35"}));
}

TEST_F(TrialBalanceTest, TheSetupWindowIsTitledForTheRunOnly) {
    std::string caption;
    TDialogScript script;
    script.Answer([&](TForm& f) {
        caption = f.Caption();
        dynamic_cast<TRSSetupForm&>(f).PreviewRB->SetChecked(true);
        dynamic_cast<TRSSetupForm&>(f).CancelBB->Click();
    });
    form = CreateForm<TTrialBalanceForm>(nullptr);
    EXPECT_EQ(caption, "Trial Balance Report");
    EXPECT_EQ(form->ReportSystem1->TitleSetup(), "Report Setup");
    EXPECT_FALSE(form->Visible());
}

TEST_F(TrialBalanceTest, PrintedToPdf) {
    const std::string pdf = ReportOutputFile("trial_balance.pdf");
    PrintReportToPdf([&] { form = CreateForm<TTrialBalanceForm>(nullptr); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Trial Balance", "Accounts Receivable", "Deposits to Checking", "288.35"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}
