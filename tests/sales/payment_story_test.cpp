// The money story of payments and refunds on the fixture company: each
// payment saved, reopened and deleted, with the books checked after every
// step; and the payments that must write nothing.
#include "MoneyFixture.h"

#include "app/Cents.h"
#include "base/SysUtils.h"
#include "sales/PaymentDocument.h"
#include "xbase/Xbase.h"

namespace {

using BooksChecker::TLedgerLine;

const TDateTime PaymentDate = EncodeDate(2026, 3, 5);

// The ledger rows added since Start, as "Cr4 100" / "Dr3 100".
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

class PaymentTest : public MoneyTest {
protected:
    void SetUp() override {
        MoneyTest::SetUp();
        payment = std::make_unique<TPaymentDocument>(*module);
    }
    void TearDown() override {
        payment.reset();
        MoneyTest::TearDown();
    }

    // A stored receipt of one untaxed line for Patient; its number.
    std::string receiptOf(const std::string& Patient, const std::string& Price) {
        newReceipt(Patient, {{"EXAM", "1", Price, false}});
        EXPECT_TRUE(receipt->SaveReceipt());
        return receipt->ReceiptNumber();
    }

    // Types Amounts into the distribution rows, in order, as the grid does.
    void apply(const std::vector<std::string>& Amounts) {
        TTable* temp4 = module->Temp4Table;
        temp4->First();
        for (const std::string& amount : Amounts) {
            ASSERT_FALSE(temp4->Eof());
            temp4->Edit();
            temp4->FieldByName("PAYMENT")->SetAsString(amount);
            temp4->Post();
            payment->CalcPayment();
            temp4->Next();
        }
    }
    void setHeader(const char* Field, const std::string& Value) {
        module->Temp3Table->Edit();
        module->Temp3Table->FieldByName(Field)->SetAsString(Value);
        module->Temp3Table->Post();
        payment->TotalAmountPaid();
    }
    // The distribution rows' receipts, in order.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        TTable* temp4 = module->Temp4Table;
        for (temp4->First(); !temp4->Eof(); temp4->Next())
            out.push_back(Trim(temp4->FieldByName("RECEIPT")->AsString()));
        return out;
    }
    Currency header(const char* Field) { return Cents::read(module->Temp3Table->FieldByName(Field)); }

    std::unique_ptr<TPaymentDocument> payment;
};

// One payment of the story: receipts made first, then amounts typed.
struct Story {
    const char* name;
    std::vector<std::string> receiptPrices;  // patient 7's receipts, in order
    std::vector<std::string> applied;        // typed into the distribution rows
    const char* paymentApplied;              // P as typed ("" leaves it to the tendered amount)
    const char* tendered;
    std::vector<std::string> postings;
    Currency patientChange;
    Currency creditApplied;
    int detailRows;
};

}  // namespace

TEST_F(PaymentTest, EachPaymentIsSavedReopenedAndDeletedWithTheBooksClean) {
    const Story stories[] = {
        {"cash payment of 100 on receipt #1", {"100.00"}, {"100"}, "", "100", {"Cr4 100", "Dr3 100"},
         Currency(-100), Currency(), 1},
        {"100 applied 60/40, a third receipt left at 0", {"70.00", "40.00", "25.00"}, {"60", "40", "0"}, "100", "",
         {"Cr4 100", "Dr3 100"}, Currency(-100), Currency(), 2},
        {"case A: 120 on X, -20 on credit receipt Y", {"150.00", "-20.00"}, {"120", "-20"}, "100", "",
         {"Cr4 120", "Dr4 20", "Dr3 100"}, Currency(-100), Currency(20), 2},
        {"the designed refund of a credit, T = 0", {"-20.00"}, {"-20"}, "-20", "", {"Dr4 20", "Cr8 20"},
         Currency(20), Currency(20), 1},
        {"case B: refund of 20 on a receipt with a balance", {"50.00"}, {"-20"}, "-20", "",
         {"Cr4 -20", "Cr8 20"}, Currency(20), Currency(), 1},
    };
    const std::string folder = company.DataDirectory();
    for (const Story& story : stories) {
        SCOPED_TRACE(story.name);
        std::vector<std::string> receipts;
        for (const std::string& price : story.receiptPrices)
            receipts.push_back(receiptOf("7", price));
        ASSERT_EQ(broken(), std::vector<std::string>{});
        const BooksChecker::TSnapshot before = snapshot();
        const size_t ledgerStart = BooksChecker::Ledger(folder).size();

        ASSERT_TRUE(payment->AddBalancesDue("7", "Pat Seven", PaymentDate));
        ASSERT_EQ(rows(), receipts);
        apply(story.applied);
        if (*story.paymentApplied)
            setHeader("PYMTAPP", story.paymentApplied);
        if (*story.tendered)
            setHeader("TENDERED", story.tendered);
        EXPECT_EQ(payment->CreditApplied(), story.creditApplied);
        ASSERT_TRUE(payment->SavePayment());
        const std::string id = payment->PaymentID();
        ASSERT_FALSE(id.empty());

        EXPECT_EQ(postingsSince(BooksChecker::Ledger(folder), ledgerStart), story.postings);
        EXPECT_EQ(figure("Patient 7") - before.Figures.at("Patient 7"), story.patientChange);
        for (size_t r = 0; r < receipts.size(); ++r)
            EXPECT_EQ(figure("Sales " + receipts[r]),
                      before.Figures.at("Sales " + receipts[r]) - StrToCurr(story.applied[r]));
        EXPECT_EQ(BooksChecker::CountWhere(folder, "Pymt.dbf", "ID", id), 1);
        EXPECT_EQ(BooksChecker::CountWhere(folder, "PymtDtl.dbf", "PAYMENTID", id), story.detailRows);
        EXPECT_EQ(broken(), std::vector<std::string>{});

        // Reopened: C from the stored payment, P the money received.
        ASSERT_TRUE(payment->OpenPayment(id, PaymentDate));
        EXPECT_EQ(payment->CreditApplied(), story.creditApplied);
        EXPECT_EQ(payment->PaymentApplied(), -story.patientChange);
        EXPECT_EQ(static_cast<int>(rows().size()), story.detailRows);
        EXPECT_EQ(payment->DepositID(), "");

        // Deleted: every balance as before, the reversal rows beside the first.
        TDialogScript script;
        script.Answer(mrYes);
        ASSERT_TRUE(payment->DeletePayment());
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "Delete this Payment?");
        BooksChecker::TSnapshot after = snapshot();
        EXPECT_EQ(after.LedgerRows, before.LedgerRows + 2 * static_cast<int>(story.postings.size()));
        after.LedgerRows = before.LedgerRows;
        EXPECT_EQ(BooksChecker::Differences(before, after), std::vector<std::string>{});
        const auto ledger = BooksChecker::Ledger(folder);
        for (size_t i = ledgerStart + story.postings.size(); i < ledger.size(); ++i) {
            EXPECT_EQ(ledger[i].Desc.rfind("Reversal - ", 0), 0u) << ledger[i].Desc;
            EXPECT_EQ(ledger[i].PostRef, id);
        }
        EXPECT_EQ(BooksChecker::CountWhere(folder, "Pymt.dbf", "ID", id), 0);
        EXPECT_EQ(BooksChecker::CountWhere(folder, "PymtDtl.dbf", "PAYMENTID", id), 0);
        EXPECT_EQ(broken(), std::vector<std::string>{});

        // The next story starts from settled receipts.
        for (const std::string& number : receipts) {
            ASSERT_TRUE(receipt->OpenReceipt(number));
            ASSERT_TRUE(receipt->DeleteReceipt(PaymentDate));
        }
        ASSERT_EQ(broken(), std::vector<std::string>{});
    }
}

TEST_F(PaymentTest, RefusedPaymentsWriteNothing) {
    const std::string first = receiptOf("7", "100.00");
    receiptOf("7", "-30.00");
    ASSERT_EQ(broken(), std::vector<std::string>{});
    const BooksChecker::TSnapshot before = snapshot();

    struct Refusal {
        const char* name;
        std::vector<std::string> applied;
        const char* paymentApplied;
        const char* creditApplied;
        std::string message;
    };
    const Refusal refusals[] = {
        {"100 against a distribution of 90", {"90"}, "100", "",
         "The Total Payment and the Total Distribution must be equal."},
        {"P and C both zero", {}, "", "", "Nothing to save: the payment is zero."},
        {"40 of credit used from a receipt holding 30", {"40", "-40"}, "", "",
         "Credit applied cannot be larger than credit available."},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(payment->AddBalancesDue("7", "Pat Seven", PaymentDate));
        apply(r.applied);
        if (*r.paymentApplied)
            setHeader("PYMTAPP", r.paymentApplied);
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(payment->SavePayment());
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, r.message);
        EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
        EXPECT_EQ(snapshot().LedgerRows, before.LedgerRows);
        EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "PymtDtl.dbf", "RECEIPT", first), 0);
    }

    // An amount on a row without a receipt is set back to 0 and never stored.
    ASSERT_TRUE(payment->AddBalancesDue("7", "Pat Seven", PaymentDate));
    apply({"15"});
    module->Temp4Table->Append();
    module->Temp4Table->FieldByName("PAYMENT")->SetAsString("15");
    module->Temp4Table->Post();
    setHeader("PYMTAPP", "15");
    {
        TDialogScript script;
        script.Answer(mrOk).Answer(mrOk);
        EXPECT_FALSE(payment->SavePayment());
        module->Temp4Table->Last();
        EXPECT_FALSE(payment->CheckRowHasReceipt());
        ASSERT_EQ(script.Shown().size(), 2u);
        EXPECT_EQ(script.Shown()[0].Text, "Payment must be made against an open receipt.");
        EXPECT_EQ(script.Shown()[1].Text, "Payment must be made against an open receipt.");
        EXPECT_EQ(Cents::read(module->Temp4Table->FieldByName("PAYMENT")), Currency());
        EXPECT_EQ(payment->TotalDistribution(), Currency(15));
        EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    }

    // No patient chosen.
    ASSERT_TRUE(payment->CreateTempFiles(PaymentDate));
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(payment->SavePayment());
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "No account number.");
    }

    // More credit than the patient has: set back to 0.
    ASSERT_TRUE(payment->AddBalancesDue("7", "Pat Seven", PaymentDate));
    EXPECT_EQ(header("CREDIT"), Currency(30));
    EXPECT_EQ(header("BALANCE"), Currency(100));
    {
        module->Temp3Table->Edit();
        module->Temp3Table->FieldByName("CREDITAPP")->SetAsString("30.01");
        module->Temp3Table->Post();
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(payment->CheckCreditApplied());
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "Credit applied cannot be larger than credit available.");
        EXPECT_EQ(payment->CreditApplied(), Currency());
        setHeader("CREDITAPP", "30");
        EXPECT_TRUE(payment->CheckCreditApplied());
        EXPECT_EQ(payment->TotalPayment(), Currency(30));
    }
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(PaymentTest, TheHeaderFollowsTheTenderedAmountAndTheDistribution) {
    receiptOf("8", "80.00");
    receiptOf("8", "0.00");  // balance 0: never listed
    ASSERT_TRUE(payment->AddBalancesDue("8", "Pat Eight", PaymentDate));
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_TRUE(payment->HasBalancesDue());
    setHeader("TENDERED", "50");
    EXPECT_EQ(payment->PaymentApplied(), Currency(50));
    EXPECT_EQ(header("CHANGE"), Currency());
    EXPECT_EQ(payment->TotalPayment(), Currency(50));
    setHeader("TENDERED", "60");
    EXPECT_EQ(header("CHANGE"), Currency(10));
    // Retyping a row moves the distribution by the difference only.
    apply({"30"});
    apply({"50"});
    EXPECT_EQ(payment->TotalDistribution(), Currency(50));

    // A patient without open receipts: nothing to distribute.
    ASSERT_TRUE(payment->AddBalancesDue("7", "Pat Seven", PaymentDate));
    EXPECT_TRUE(rows().empty());
    EXPECT_FALSE(payment->HasBalancesDue());
    EXPECT_EQ(payment->TotalDistribution(), Currency());
}

TEST_F(PaymentTest, APaymentWhoseDepositIsGoneOpensUndeposited) {
    const std::string number = receiptOf("7", "100.00");
    ASSERT_TRUE(payment->AddBalancesDue("7", "Pat Seven", PaymentDate));
    apply({"100"});
    setHeader("PYMTAPP", "100");
    ASSERT_TRUE(payment->SavePayment());
    const std::string id = payment->PaymentID();

    // Marked as taken by deposit 4, whose detail row is not there.
    TTable* payments = module->PaymentTable;
    payments->SetIndexName("ID");
    ASSERT_TRUE(module->PaymentXbase->Seek(id));
    payments->Edit();
    payments->FieldByName("DEPOSITED")->SetAsBoolean(true);
    payments->FieldByName("POSTREF")->SetAsString("4");
    payments->Post();

    ASSERT_TRUE(payment->OpenPayment(id, PaymentDate));
    EXPECT_EQ(payment->DepositID(), "");
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Pymt.dbf", "POSTREF", "4"), 0);
    ASSERT_TRUE(module->PaymentXbase->Seek(id));
    EXPECT_FALSE(payments->FieldByName("DEPOSITED")->AsBoolean());
    EXPECT_EQ(Trim(payments->FieldByName("POSTREF")->AsString()), "");
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // With its deposit detail there, it is deposited and cannot be deleted.
    CompanyFixture::Row detail{{"DEPOSITID", "4"}, {"AMOUNT", "100.00"}, {"PAYMENTID", id}};
    withModuleClosed([&] { CompanyFixture::AppendRows(company.DataDirectory(), "DeposDtl.dbf", {detail}); });
    payment = std::make_unique<TPaymentDocument>(*module);
    module->PaymentTable->SetIndexName("ID");
    ASSERT_TRUE(module->PaymentXbase->Seek(id));
    module->PaymentTable->Edit();
    module->PaymentTable->FieldByName("DEPOSITED")->SetAsBoolean(true);
    module->PaymentTable->FieldByName("POSTREF")->SetAsString("4");
    module->PaymentTable->Post();
    ASSERT_TRUE(payment->OpenPayment(id, PaymentDate));
    EXPECT_EQ(payment->DepositID(), "4");
    const BooksChecker::TSnapshot before = snapshot();
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    EXPECT_FALSE(payment->DeletePayment());
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "You cannot delete this payment because it has been deposited.");
    EXPECT_EQ(script.Shown()[1].Text, "Deposited with deposit 4");
    EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
    EXPECT_EQ(snapshot().LedgerRows, before.LedgerRows);
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "PymtDtl.dbf", "RECEIPT", number), 1);
}
