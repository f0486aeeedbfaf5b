// Saving and deleting a receipt where it is easy to get wrong: lab orders
// found again after a reopening, amounts too wide, payments still applied,
// a failure part-way, and the checker naming what it finds broken.
#include "MoneyFixture.h"

#include "app/AppUtils.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

std::vector<std::string> shownTexts(const TDialogScript& Script) {
    std::vector<std::string> shown;
    for (const TDialogRequest& r : Script.Shown())
        shown.push_back(r.Text);
    return shown;
}

bool mentions(const std::vector<std::string>& Texts, const std::string& Part) {
    for (const std::string& t : Texts)
        if (t.find(Part) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST_F(MoneyTest, ReceiptOpenedThroughThePaddedNumberKeepsOneLabOrderPerLine) {
    withModuleClosed([&] {
        CompanyFixture::AppendRows(company.DataDirectory(), "Sales.dbf",
                                   {{{"RECEIPT", "123"}, {"PATID", "8"}, {"DATE", "20260301"}}});
    });
    newReceipt("7", {{"FRAME1", "1", "100.00", true, "S"}, {"LENS1", "1", "40.00", true, "C"}});
    ASSERT_TRUE(receipt->SaveReceipt());
    ASSERT_EQ(receipt->ReceiptNumber(), "124");

    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(receipt->OpenReceipt("       124"));
        goLine(2);
        EXPECT_EQ(module->Temp2Table->FieldByName("TYPE")->AsString(), "C");  // the lab order came back
        setLine({"LENS1", "1", "45.00", true, "C"});
        ASSERT_TRUE(receipt->SaveReceipt());
        ASSERT_TRUE(receipt->SaveReceipt());  // saved again while still on screen
    }
    const std::string folder = company.DataDirectory();
    EXPECT_EQ(BooksChecker::CountWhere(folder, "LabRx.dbf", "RECEIPT", "124"), 2);
    for (const BooksChecker::TLedgerLine& l : BooksChecker::Ledger(folder))
        EXPECT_EQ(l.PostRef, "124");
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(MoneyTest, RefusedSavesWriteNothing) {
    struct Case {
        const char* what;
        Line line;
        const char* message;
    };
    const Case cases[] = {
        {"subtotal wider than N8.2", {"EXAM", "2", "60000.00", false}, "SUBTOTAL"},
        {"price wider than N7.2", {"EXAM", "0.01", "123456.00", false}, "Price"},
        {"fraction of a controlled item", {"LENS1", "1.5", "40.00", true}, "whole units"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const BooksChecker::TSnapshot before = snapshot();
        newReceipt("7", {c.line});
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(receipt->SaveReceipt());
        EXPECT_TRUE(mentions(shownTexts(script), c.message));
        EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
        EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Sales.dbf", "PATID", "7"), 0);
    }
}

TEST_F(MoneyTest, ReceiptNumbersThatAreNotNumbersAreRefused) {
    for (const char* typed : {"12A", "", "-5"}) {
        SCOPED_TRACE(typed);
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(receipt->OpenReceipt(typed));
    }
}

TEST_F(MoneyTest, DeleteRemovesLeftOverPaymentRowsButStopsAtALivePayment) {
    newReceipt("7", {{"EXAM", "1", "50.00", false}});
    ASSERT_TRUE(receipt->SaveReceipt());
    const std::string number = receipt->ReceiptNumber();
    const std::string folder = company.DataDirectory();
    // Payment 5 was deleted but left its row; payment 6 still applies 10.00.
    withModuleClosed([&] {
        CompanyFixture::AppendRows(folder, "Pymt.dbf",
                                   {{{"ID", "6"}, {"PATID", "7"}, {"AMOUNT", "10"}, {"TOTALPAID", "0"}}});
        CompanyFixture::AppendRows(folder, "PymtDtl.dbf",
                                   {{{"PAYMENTID", "5"}, {"RECEIPT", number}, {"PAYMENT", "0"}},
                                    {{"PAYMENTID", "6"}, {"RECEIPT", number}, {"PAYMENT", "10"}}});
    });

    ASSERT_TRUE(receipt->OpenReceipt(number));
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(receipt->DeleteReceipt(EncodeDate(2026, 3, 3)));
        EXPECT_EQ(shownTexts(script), std::vector<std::string>{"There are payments against this receipt. The "
                                                               "payments must be deleted first.  Payment: 6"});
    }
    EXPECT_EQ(BooksChecker::CountWhere(folder, "PymtDtl.dbf", "PAYMENTID", "5"), 0);
    EXPECT_EQ(BooksChecker::CountWhere(folder, "Sales.dbf", "RECEIPT", number), 1);

    // A save now counts the payment: BALANCE = TOTAL - 10.
    ASSERT_TRUE(receipt->OpenReceipt(number));
    module->ReceiptChanged = true;
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(figure("Sales " + number), Currency(40));
}

TEST_F(MoneyTest, FailurePartWayTakesTheReceiptBackAndSaysItWasNotSaved) {
    newReceipt("7", {{"FRAME1", "1", "100.00", true}});
    const BooksChecker::TSnapshot before = snapshot();
    // The ledger refuses its rows after the sales tables are written.
    module->LedgerTable->BeforePost = [](TDataSet*) { throw std::runtime_error("Ledger.dbf cannot be written"); };
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_FALSE(receipt->SaveReceipt());
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("The receipt was not saved."), std::string::npos) << script.Shown()[0].Text;
    EXPECT_EQ(broken(), std::vector<std::string>{});
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Sales.dbf", "PATID", "7"), 0);
}

TEST_F(MoneyTest, DeleteFailingAtTheLabOrdersKeepsTheExactSetting) {
    newReceipt("7", {{"FRAME1", "1", "100.00", true, "S"}});
    ASSERT_TRUE(receipt->SaveReceipt());
    module->XbaseEnv1->SetExact(true);
    module->LabRxTable->BeforeDelete = [](TDataSet*) { throw std::runtime_error("Lab order is locked"); };
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_FALSE(receipt->DeleteReceipt(EncodeDate(2026, 3, 3)));
    EXPECT_EQ(script.Shown().size(), 1u);
    EXPECT_TRUE(module->XbaseEnv1->Exact());
}

TEST_F(MoneyTest, CheckerNamesAnAccountBalanceOffByOneCent) {
    newReceipt("7", {{"FRAME1", "1", "100.00", true}, {"EXAM", "0", "50.00", false}});
    ASSERT_TRUE(receipt->SaveReceipt());
    ASSERT_EQ(broken(), std::vector<std::string>{});
    withModuleClosed([&] {
        const std::string path = company.File("Acct.dbf");
        ASSERT_NE(xb_Use(path.c_str(), "ACCT", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        xb_SetOrder(XB_RECORD_ORDER);
        xb_Go(4);
        ASSERT_NE(xb_Replace("BALANCE", XB_REPLACE_TEXT, "155.01"), 0);
        xb_Commit();
        xb_Close();
    });
    const std::vector<std::string> found = broken();
    EXPECT_TRUE(mentions(found, "I2 Acct.dbf account 4: BALANCE 155.01, its ledger rows 155"))
        << testing::PrintToString(found);
}
