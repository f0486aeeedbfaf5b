// The money story of a receipt, step by step on the fixture company, with
// the books checked after every step.
#include "MoneyFixture.h"

#include "app/AppUtils.h"

namespace {

using BooksChecker::TLedgerLine;

// The ledger rows added since Start, as "Cr1 150" / "Dr4 155".
std::vector<std::string> postingsSince(const std::vector<TLedgerLine>& All, size_t Start) {
    std::vector<std::string> out;
    for (size_t i = Start; i < All.size(); ++i) {
        const TLedgerLine& l = All[i];
        const bool credit = l.Credit != Currency();
        out.push_back((credit ? "Cr" : "Dr") + std::to_string(l.Account) + " " +
                      CurrToStr(credit ? l.Credit : l.Debit));
    }
    return out;
}

}  // namespace

TEST_F(MoneyTest, ReceiptSavedEditedResavedReopenedAndDeleted) {
    const std::string folder = company.DataDirectory();
    const BooksChecker::TSnapshot start = snapshot();
    ASSERT_EQ(broken(), std::vector<std::string>{});

    // Receipt #1: taxed 100.00, untaxed 50.00 at 5 %.
    newReceipt("7", {{"FRAME1", "1", "100.00", true}, {"EXAM", "0", "50.00", false}});
    ASSERT_TRUE(receipt->SaveReceipt());
    const std::string number = receipt->ReceiptNumber();
    EXPECT_EQ(postingsSince(BooksChecker::Ledger(folder), 0),
              (std::vector<std::string>{"Cr1 150", "Cr2 5", "Dr4 155"}));
    EXPECT_EQ(figure("Patient 7"), Currency(155));
    EXPECT_EQ(figure("Sales " + number), Currency(155));
    EXPECT_EQ(broken(), std::vector<std::string>{});
    for (const TLedgerLine& l : BooksChecker::Ledger(folder)) {
        EXPECT_EQ(l.PostRef, number);
        EXPECT_EQ(l.AcctNo, l.Account == 2 ? "" : "7");
    }

    // The edit: the taxed line to 120.00 posts only the differences.
    ASSERT_TRUE(receipt->OpenReceipt(number));
    goLine(1);
    setLine({"FRAME1", "1", "120.00", true});
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(postingsSince(BooksChecker::Ledger(folder), 3),
              (std::vector<std::string>{"Cr1 20", "Cr2 1", "Dr4 21"}));
    EXPECT_EQ(figure("Patient 7"), Currency(176));
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // An unchanged resave writes nothing.
    ASSERT_TRUE(receipt->OpenReceipt(number));
    const BooksChecker::TSnapshot edited = snapshot();
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(BooksChecker::Differences(edited, snapshot()), std::vector<std::string>{});

    // Reopened through the list's padded number, saved again: nothing either.
    ASSERT_TRUE(receipt->OpenReceipt(AppUtils::PadLeft(number, 10)));
    EXPECT_EQ(receipt->Totals().Total, Currency(176));
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(BooksChecker::Differences(edited, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // The delete leaves every balance and stock figure as before.
    ASSERT_TRUE(receipt->OpenReceipt(number));
    ASSERT_TRUE(receipt->DeleteReceipt(EncodeDate(2026, 3, 3)));
    BooksChecker::TSnapshot after = snapshot();
    after.LedgerRows = start.LedgerRows;  // the reversal rows stay in the ledger
    EXPECT_EQ(BooksChecker::Differences(start, after), std::vector<std::string>{});
    EXPECT_EQ(broken(), std::vector<std::string>{});
    EXPECT_EQ(BooksChecker::CountWhere(folder, "SalesDtl.dbf", "RECEIPT", number), 0);
}

TEST_F(MoneyTest, ControlledStockIsTakenGivenBackAndTakenAgain) {
    newReceipt("8", {{"LENS1", "0", "40.00", true}, {"LENS1", "2", "40.00", true}});
    ASSERT_TRUE(receipt->SaveReceipt());
    const std::string number = receipt->ReceiptNumber();
    EXPECT_EQ(figure("Item LENS1"), Currency(7));  // quantity 0 counts as 1
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // One line removed: its stored row and stock come back.
    ASSERT_TRUE(receipt->OpenReceipt(number));
    goLine(2);
    module->Temp2Table->Delete();
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(figure("Item LENS1"), Currency(9));
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "SalesDtl.dbf", "RECEIPT", number), 1);
    EXPECT_EQ(broken(), std::vector<std::string>{});

    ASSERT_TRUE(receipt->OpenReceipt(number));
    ASSERT_TRUE(receipt->DeleteReceipt(EncodeDate(2026, 3, 3)));
    EXPECT_EQ(figure("Item LENS1"), Currency(10));
    EXPECT_EQ(broken(), std::vector<std::string>{});
}
