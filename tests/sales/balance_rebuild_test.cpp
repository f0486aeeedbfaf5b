// The account-balance rebuild on the fixture company: the ledger and every
// balance built again from the stored documents, the year boundary, and the
// runs that must change nothing (lines that do not add up, receipts sharing
// a number, a failure after the books were cleared).
#include <QImage>

#include "DepositFixture.h"

#include "app/RebuildAccountBalances.h"
#include "os/Paths.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "ui/DialogResponder.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

class BalanceRebuildTest : public DepositTest {
protected:
    void TearDown() override {
        clearFixedNow();
        DepositTest::TearDown();
    }

    // The whole run with today fixed; the messages it showed.
    std::vector<std::string> rebuild(TDateTime Today, std::function<void(const std::string&)> OnStep = nullptr,
                                     int Answers = 1, const std::string& Picture = "") {
        setFixedNow(Today);
        TDialogScript script;
        for (int i = 0; i < Answers; ++i)
            script.Answer(mrOk);
        {
            TRebuildAccountBalances form(nullptr);
            form.OnStepStarted = std::move(OnStep);
            form.Rebuild();
            if (!Picture.empty()) {
                EXPECT_EQ(form.ProcessLabel->Caption(), "Update Deposits");
                EXPECT_EQ(form.ProcessTime->Caption().rfind("0:00:", 0), 0u);
                const std::string file = os::InstallRoot() + "/" + Picture;
                renderToPng(&form, file);
                EXPECT_FALSE(QImage(QString::fromStdString(file)).isNull());
            }
        }
        std::vector<std::string> shown;
        for (const TDialogRequest& r : script.Shown())
            shown.push_back(r.Text);
        return shown;
    }

    // The ledger as "Cr1 100 Receipt 1", in record order.
    std::vector<std::string> ledgerLines() {
        std::vector<std::string> out;
        for (const BooksChecker::TLedgerLine& l : BooksChecker::Ledger(company.DataDirectory())) {
            const bool credit = l.Credit != Currency();
            out.push_back((credit ? "Cr" : "Dr") + std::to_string(l.Account) + " " +
                          CurrToStr(credit ? l.Credit : l.Debit) + " " + l.Desc + " " + l.PostRef);
        }
        return out;
    }

    // Receipt 100 taxed at 8 % (100/8/108), paid whole and deposited.
    void depositedReceipt() {
        receipt = std::make_unique<TReceiptDocument>(*module, *Cents::TaxRate::fromPercentText("8"));
        newReceipt("7", {{"FRAME1", "1", "100.00", true}});
        ASSERT_TRUE(receipt->SaveReceipt());
        const std::string paid = pay("7", {"108"}, "Check", "", "77");
        ASSERT_TRUE(deposit->NewDeposit(EncodeDate(Year, 3, 9)));
        tick(paid);
        ASSERT_TRUE(deposit->SaveDeposit());
    }
};

TEST_F(BalanceRebuildTest, TheStoredDocumentsGiveBackTheLedgerAndTheBalances) {
    depositedReceipt();
    ASSERT_EQ(broken(), std::vector<std::string>{});
    const BooksChecker::TSnapshot before = snapshot();

    const auto shown = rebuild(EncodeDate(Year, 6, 1), nullptr, 1, "balance-rebuild.png");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Rebuild Account Balances Completed. Time: 0:00:", 0), 0u) << shown[0];

    EXPECT_EQ(ledgerLines().size(), 7u);
    const std::map<std::string, Currency> expected{{"Acct 1", Currency(100)}, {"Acct 2", Currency(8)},
                                                   {"Acct 3", Currency()},    {"Acct 4", Currency()},
                                                   {"Acct 5", Currency(108)}, {"Acct 7", Currency()},
                                                   {"Acct 8", Currency()},    {"Patient 7", Currency()}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(figure(name), value) << name;
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // A second run changes nothing.
    const auto lines = ledgerLines();
    rebuild(EncodeDate(Year, 6, 1));
    EXPECT_EQ(ledgerLines(), lines);
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
}

TEST_F(BalanceRebuildTest, ReceiptsOfAnEarlierYearGoToRetainedEarnings) {
    depositedReceipt();
    rebuild(EncodeDate(Year + 1, 1, 1));
    EXPECT_EQ(figure("Acct 1"), Currency());
    EXPECT_EQ(figure("Acct 7"), Currency(100));
    EXPECT_EQ(figure("Acct 2"), Currency(8));
    EXPECT_EQ(figure("Acct 5"), Currency(108));
    EXPECT_EQ(ledgerLines().front(), "Cr7 100 Receipt 1");
}

TEST_F(BalanceRebuildTest, RunsThatMustChangeNothing) {
    depositedReceipt();
    const std::string second = receiptOf("8", "40.00");
    const BooksChecker::TSnapshot before = snapshot();
    const auto lines = ledgerLines();

    // A failure after the books were cleared puts them back.
    const auto failed = rebuild(EncodeDate(Year, 6, 1), [](const std::string& Step) {
        if (Step == "Update Retained Earnings")
            throw std::runtime_error("disk full");
    });
    EXPECT_EQ(failed, std::vector<std::string>{"disk full"});
    EXPECT_EQ(ledgerLines(), lines);
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // A receipt line that no longer adds up to its receipt's subtotal.
    TTable* lines2 = module->SalesDetailTable;
    lines2->SetIndexName("Receipt");
    ASSERT_TRUE(module->SalesDetailXbase->Seek(second));
    lines2->Edit();
    lines2->FieldByName("AMOUNT")->SetAsString("39.00");
    lines2->Post();
    module->SalesDetailXbase->Commit();
    const auto refused = rebuild(EncodeDate(Year, 6, 1), nullptr, 3);
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0], CurrToStrF(Currency(40), ffCurrency, 2) + "     " + CurrToStrF(Currency(39), ffCurrency, 2));
    EXPECT_EQ(refused[1].rfind("There appears to be a problem with Receipt#  " + second +
                                   "  You should delete this receipt and remake it.",
                               0),
              0u);
    EXPECT_EQ(refused[2],
              "There are discrepancies that must be corrected before the trial balance can be completed.");
    EXPECT_EQ(ledgerLines(), lines);
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
}

TEST_F(BalanceRebuildTest, ALedgerHeldByAnotherWorkstationStopsTheRunBeforeAnythingIsCleared) {
    depositedReceipt();
    const BooksChecker::TSnapshot before = snapshot();
    const auto lines = ledgerLines();
    const int held = xb_Use(company.File("Ledger.dbf").c_str(), "OTHERLEDGER", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_NE(held, 0);
    const auto shown = rebuild(EncodeDate(Year, 6, 1));
    const int previous = xb_Select(held);
    xb_Close();
    xb_Select(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("The indexes were not rebuilt: Ledger.dbf is in use by another user.", 0), 0u)
        << shown[0];
    EXPECT_EQ(ledgerLines(), lines);
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(BalanceRebuildTest, ReceiptsSharingANumberAreNamedAndNothingIsDeleted) {
    depositedReceipt();
    withModuleClosed([&] {
        CompanyFixture::AppendRows(company.DataDirectory(), "Sales.dbf",
                                   {{{"RECEIPT", "1"},
                                     {"DATE", "20260302"},
                                     {"PATID", "7"},
                                     {"SUBTOTAL", "100.00"},
                                     {"SALESTAX", "8.00"},
                                     {"TOTAL", "108.00"},
                                     {"BALANCE", "0.00"}}});
    });
    makeDocuments();
    const BooksChecker::TSnapshot before = snapshot();
    const auto lines = ledgerLines();
    const auto shown = rebuild(EncodeDate(Year, 6, 1));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("used by more than one receipt: 1."), std::string::npos) << shown[0];
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Sales.dbf", "RECEIPT", "1"), 2);
    EXPECT_EQ(ledgerLines(), lines);
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
}

}  // namespace
