// The bank deposit on the fixture company: the payments offered, the running
// totals of ticks, coins and types, saving, opening and deleting a deposit
// with the books checked after every step, and the saves that must write
// nothing.
#include "DepositFixture.h"

#include "ui/DialogResponder.h"
#include "xbase/Xbase.h"

namespace {

const TDateTime Today = EncodeDate(2026, 3, 9);

TEST_F(DepositTest, OnlyPaymentsWithMoneyReceivedAreOfferedWithThatMoney) {
    const std::string cash = paidReceipt("7", "40.00", "Cash");
    // Case A: 120 on one receipt and the -20 of a credit receipt; 100 received.
    receiptOf("8", "150.00");
    receiptOf("8", "-20.00");
    const std::string caseA = pay("8", {"120", "-20"}, "Check", "100", "1001");
    // A refund of a credit receipt (T = 0) receives no money.
    receiptOf("8", "-30.00");
    pay("8", {"0", "-30"}, "Cash", "-30");
    ASSERT_EQ(broken(), std::vector<std::string>{});

    ASSERT_TRUE(deposit->NewDeposit(Today));
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":40", caseA + ":100"}));
}

TEST_F(DepositTest, TicksMoveTheTotalsOfTheirTypesAndCoinsNeverExceedTheCash) {
    const std::string cash = paidReceipt("7", "3.00", "Cash");
    const std::string check = paidReceipt("7", "40.00", "Check", "2002");
    const std::string card = paidReceipt("8", "25.00", "Charge", "AP77");
    ASSERT_TRUE(deposit->NewDeposit(Today));
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":3", check + ":40"})) << "charges are filtered out";

    tick(cash);
    tick(check);
    EXPECT_EQ(deposit->Cash(), Currency(3));
    EXPECT_EQ(deposit->Checks(), Currency(40));
    EXPECT_EQ(deposit->DepositTotal(), Currency(43));
    EXPECT_EQ(deposit->CurrencyTotal(), Currency(3));

    typeCoins("5");
    EXPECT_EQ(deposit->Coins(), Currency(3));
    EXPECT_EQ(deposit->CurrencyTotal(), Currency());
    EXPECT_EQ(Cents::read(module->Temp5Table->FieldByName("CoinTotal")), Currency(3));
    typeCoins("1.25");
    EXPECT_EQ(deposit->CurrencyTotal(), StrToCurr("1.75"));

    // Unticking takes back exactly what ticking added.
    tick(cash);
    tick(check);
    for (Currency total : {deposit->Cash(), deposit->Checks(), deposit->ChargesTotal(), deposit->DepositTotal(),
                           deposit->Coins(), deposit->CurrencyTotal()})
        EXPECT_EQ(total, Currency());

    deposit->SelectType(TDepositDocument::Charges);
    EXPECT_EQ(items(), std::vector<std::string>{card + ":25"});
    tick(card);
    EXPECT_EQ(deposit->ChargesTotal(), Currency(25));
    EXPECT_EQ(deposit->DepositTotal(), Currency(25));
    deposit->SelectType(TDepositDocument::CurrencyAndChecks);
    EXPECT_EQ(deposit->DepositTotal(), Currency());
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":3", check + ":40"}));
}

TEST_F(DepositTest, ASavedDepositPostsItsTotalMarksItsPaymentsAndIsUndoneByItsDelete) {
    const std::string forty = paidReceipt("7", "40.00", "Check", "501");
    const std::string sixty = paidReceipt("8", "60.00", "Cash");
    const std::string left = paidReceipt("8", "15.00", "Cash");
    ASSERT_EQ(broken(), std::vector<std::string>{});
    const BooksChecker::TSnapshot before = snapshot();
    const size_t start = ledgerSize();

    ASSERT_TRUE(deposit->NewDeposit(Today));
    tick(forty);
    tick(sixty);
    ASSERT_TRUE(deposit->SaveDeposit());
    const std::string id = deposit->SelectedDepositID();
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(postingsSince(start), (std::vector<std::string>{"Cr3 100", "Dr5 100"}));
    EXPECT_EQ(depositedMark(forty), "T " + id);
    EXPECT_EQ(depositedMark(sixty), "T " + id);
    EXPECT_EQ(depositedMark(left), "F ");
    EXPECT_EQ(figure("Acct 3"), Currency(15));
    EXPECT_EQ(figure("Acct 5"), Currency(100));
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "DeposDtl.dbf", "DEPOSITID", id), 2);
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // The save leaves the stored deposit open: its items ticked, its figures.
    EXPECT_EQ(items(), (std::vector<std::string>{forty + ":40", sixty + ":60"}));
    EXPECT_EQ(deposit->DepositTotal(), Currency(100));
    EXPECT_EQ(deposit->Checks(), Currency(40));
    EXPECT_EQ(deposit->CurrencyTotal(), Currency(60));

    // Opened afresh by another document, as the lookup list opens it.
    TDepositDocument reopened(*module);
    ASSERT_TRUE(reopened.OpenDeposit(id));
    EXPECT_EQ(reopened.DepositTotal(), Currency(100));
    EXPECT_FALSE(reopened.OpenDeposit("999"));
    EXPECT_EQ(items(), (std::vector<std::string>{forty + ":40", sixty + ":60"})) << "left as it was";

    ASSERT_TRUE(deposit->OpenDeposit(id));
    const size_t beforeDelete = ledgerSize();
    {
        TDialogScript script;
        script.Answer(mrNo);
        EXPECT_FALSE(deposit->DeleteDeposit(Today));
        EXPECT_EQ(script.Shown().at(0).Text, "Delete this Deposit?");
    }
    EXPECT_EQ(ledgerSize(), beforeDelete);
    {
        TDialogScript script;
        script.Answer(mrYes);
        ASSERT_TRUE(deposit->DeleteDeposit(Today));
    }
    EXPECT_EQ(postingsSince(beforeDelete), (std::vector<std::string>{"Cr3 -100", "Dr5 -100"}));
    const auto ledger = BooksChecker::Ledger(company.DataDirectory());
    EXPECT_EQ(ledger.back().Desc, "Deposit");
    EXPECT_EQ(ledger.back().PostRef, id);
    EXPECT_EQ(depositedMark(forty), "F ");
    EXPECT_EQ(depositedMark(sixty), "F ");
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "DeposDtl.dbf", "DEPOSITID", id), 0);
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Deposit.dbf", "ID", id), 0);
    const BooksChecker::TSnapshot after = snapshot();
    EXPECT_EQ(after.Figures, before.Figures);
    EXPECT_EQ(after.LedgerRows, before.LedgerRows + 4);
    EXPECT_EQ(broken(), std::vector<std::string>{});
    // A new deposit offers the payments again.
    EXPECT_EQ(deposit->SelectedDepositID(), "");
    EXPECT_EQ(items(), (std::vector<std::string>{forty + ":40", sixty + ":60", left + ":15"}));
}

TEST_F(DepositTest, RefusedSavesWriteNothingAndKeepTheTicks) {
    const std::string cash = paidReceipt("7", "30.00", "Cash");
    const std::string odd = paidReceipt("8", "20.00", "Wire");
    const BooksChecker::TSnapshot before = snapshot();
    ASSERT_TRUE(deposit->NewDeposit(Today));
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(deposit->SaveDeposit());
        EXPECT_EQ(script.Shown().at(0).Text, "Cannot save a deposit with a zero total!");
    }
    // An item of none of the three types is in the total but in no category.
    tick(cash);
    tick(odd);
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(deposit->SaveDeposit());
        EXPECT_EQ(script.Shown().at(0).Text, "Cannot save. Category totals do not equal the deposit total.");
    }
    EXPECT_EQ(deposit->SelectedDepositID(), "");
    EXPECT_EQ(deposit->DepositTotal(), Currency(50));
    int ticked = 0;
    TTable* temp6 = module->Temp6Table;
    for (temp6->First(); !temp6->Eof(); temp6->Next())
        ticked += temp6->FieldByName("Tag")->AsBoolean();
    EXPECT_EQ(ticked, 2);
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Deposit.dbf", "TYPE", "0"), 0);
}

TEST_F(DepositTest, AnItemThatLostItsPaymentIsNamedBeforeTheDeleteGoesOn) {
    const std::string first = paidReceipt("7", "10.00", "Cash");
    const std::string second = paidReceipt("7", "20.00", "Cash");
    ASSERT_TRUE(deposit->NewDeposit(Today));
    tick(first);
    tick(second);
    ASSERT_TRUE(deposit->SaveDeposit());
    const std::string id = deposit->SelectedDepositID();
    // The second item's payment number is lost from the stored deposit.
    TTable* details = module->DepositDtlTable;
    details->SetIndexName("PaymentID");
    ASSERT_TRUE(module->DepositDtlXbase->Seek(second));
    details->Edit();
    details->FieldByName("PAYMENTID")->SetAsString("0");
    details->Post();
    module->DepositDtlXbase->Commit();

    ASSERT_TRUE(deposit->OpenDeposit(id));
    TDialogScript script;
    script.Answer(mrOk).Answer(mrYes);
    ASSERT_TRUE(deposit->DeleteDeposit(Today));
    // Without its payment the item has no payment date: the window lists it first.
    EXPECT_EQ(script.Shown().at(0).Text,
              "Item 1 does not have an associated payment number.  With your right mouse button click on item 1 "
              "to add the payment number.");
    EXPECT_EQ(script.Shown().at(1).Text, "Delete this Deposit?");
    EXPECT_EQ(depositedMark(first), "F ");
    EXPECT_EQ(depositedMark(second), "T " + id) << "the payment the item lost stays marked";
}

}  // namespace
