// The whole money story on one company, the books checked after every step:
// receipts, a cash payment, a payment with credit (case A), the designed
// refund of a credit, a refund against a balance (case B), the deposit of the
// money received, its printed record, the deposit's delete, payment deletes,
// a receipt edited, resaved and deleted, and at the end the balance rebuild,
// which must give back every balance the incremental writers had.
#include "DepositFixture.h"

#include "app/RebuildAccountBalances.h"
#include "reporting/RSBase.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSystem.h"
#include "sales/DepositRecord.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"

namespace {

class MoneyStoryTest : public DepositTest {
protected:
    void TearDown() override {
        clearFixedNow();
        DepositTest::TearDown();
    }
    void expectBooksClean(const std::string& Step) {
        EXPECT_EQ(broken(), std::vector<std::string>{}) << "after " << Step;
    }
    void deleteReceipt(const std::string& Number) {
        ASSERT_TRUE(receipt->OpenReceipt(Number));
        ASSERT_TRUE(receipt->DeleteReceipt(EncodeDate(Year, 3, 20)));
    }
    void deletePayment(const std::string& Number) {
        ASSERT_TRUE(payment->OpenPayment(Number, EncodeDate(Year, 3, 20)));
        TDialogScript script;
        script.Answer(mrYes);
        ASSERT_TRUE(payment->DeletePayment());
    }
    TempDir dir;
};

TEST_F(MoneyStoryTest, EveryStepKeepsTheBooksAndTheRebuildGivesThemBack) {
    // Receipts: 100 taxed and 50 untaxed for patient 7; a credit of 20 and 150 for patient 8.
    newReceipt("7", {{"FRAME1", "1", "100.00", true}});
    ASSERT_TRUE(receipt->SaveReceipt());
    const std::string frame = receipt->ReceiptNumber();
    const std::string exam = receiptOf("7", "50.00");
    receiptOf("8", "-20.00");
    receiptOf("8", "150.00");
    expectBooksClean("the receipts");

    const std::string cash = pay("7", {"105", "0"}, "Cash");
    EXPECT_EQ(figure("Acct 3"), Currency(105));
    expectBooksClean("the cash payment");

    // Case A: 120 on the 150 and the -20 credit; 100 received.
    const std::string caseA = pay("8", {"-20", "120"}, "Check", "100", "555");
    EXPECT_EQ(figure("Acct 3"), Currency(205));
    expectBooksClean("case A");

    // The designed refund: a credit of 30 paid back (T = 0).
    receiptOf("7", "-30.00");
    const std::string designed = pay("7", {"0", "-30"}, "Cash", "-30");
    EXPECT_EQ(figure("Acct 8"), Currency(30));
    expectBooksClean("the designed refund");

    // Case B: 20 refunded against the exam's balance.
    const std::string caseB = pay("7", {"-20"}, "Cash", "-20");
    EXPECT_EQ(figure("Sales " + exam), Currency(70));
    EXPECT_EQ(figure("Acct 8"), Currency(50));
    expectBooksClean("case B");

    const std::string check = pay("7", {"70"}, "Check", "", "777");
    expectBooksClean("the check");

    // The deposit of the money payments: account 3 returns to 0.
    ASSERT_TRUE(deposit->NewDeposit(EncodeDate(Year, 3, 9)));
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":105", caseA + ":100", check + ":70"}));
    for (const std::string& p : {cash, caseA, check})
        tick(p);
    ASSERT_TRUE(deposit->SaveDeposit());
    EXPECT_EQ(figure("Acct 3"), Currency());
    EXPECT_EQ(figure("Acct 5"), Currency(275));
    expectBooksClean("the deposit");

    // Its printed record.
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    {
        TReportSystem runner(nullptr);
        runner.SetSystemSetups({});
        runner.SetDefaultDest(rdFile);
        runner.SetOutputFileName(dir.file("story.pdf"));
        runner.OnPrint = [&](TObject* Sender) {
            printDepositRecord(*dynamic_cast<TBaseReport*>(Sender), depositRecordOf(*module, *deposit));
        };
        runner.Execute();
    }
    const std::string printed = RunTool("pdftotext", {"-layout", dir.file("story.pdf"), "-"});
    EXPECT_NE(printed.find("275.00"), std::string::npos) << printed;
    expectBooksClean("the print");

    // The deposit deleted: the payments are offered again.
    {
        TDialogScript script;
        script.Answer(mrYes);
        ASSERT_TRUE(deposit->DeleteDeposit(EncodeDate(Year, 3, 10)));
    }
    EXPECT_EQ(figure("Acct 3"), Currency(275));
    EXPECT_EQ(figure("Acct 5"), Currency());
    EXPECT_EQ(items().size(), 3u);
    expectBooksClean("the deposit delete");

    // Payment deletes: the check and case B.
    deletePayment(check);
    expectBooksClean("the check's delete");
    deletePayment(caseB);
    EXPECT_EQ(figure("Sales " + exam), Currency(50));
    expectBooksClean("case B's delete");

    // The rest deposited again.
    ASSERT_TRUE(deposit->NewDeposit(EncodeDate(Year, 3, 11)));
    tick(cash);
    tick(caseA);
    ASSERT_TRUE(deposit->SaveDeposit());
    expectBooksClean("the second deposit");

    // The exam edited to 60, then resaved unchanged.
    ASSERT_TRUE(receipt->OpenReceipt(exam));
    goLine(1);
    setLine({"EXAM", "1", "60.00", false});
    ASSERT_TRUE(receipt->SaveReceipt());
    expectBooksClean("the edit");
    ASSERT_TRUE(receipt->OpenReceipt(exam));
    const BooksChecker::TSnapshot edited = snapshot();
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(BooksChecker::Differences(edited, snapshot()), std::vector<std::string>{});

    // The exam deleted: nothing is paid on it any more.
    deleteReceipt(exam);
    expectBooksClean("the receipt delete");
    EXPECT_NE(frame, exam);

    // The rebuild gives back every balance.
    const BooksChecker::TSnapshot incremental = snapshot();
    setFixedNow(EncodeDate(Year, 12, 31));
    {
        TDialogScript script;
        script.Answer(mrOk);
        TRebuildAccountBalances rebuild(nullptr);
        rebuild.Rebuild();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text.rfind("Rebuild Account Balances Completed.", 0), 0u);
    }
    BooksChecker::TSnapshot rebuilt = snapshot();
    rebuilt.LedgerRows = incremental.LedgerRows;  // the rebuild writes no reversal pairs
    EXPECT_EQ(BooksChecker::Differences(incremental, rebuilt), std::vector<std::string>{});
    expectBooksClean("the rebuild");
}

}  // namespace
