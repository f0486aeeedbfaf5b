// Receipt numbers, the cents rule and the ledger row sets: the figures every
// money document takes.
#include <gtest/gtest.h>

#include "app/Cents.h"
#include "app/LedgerPostings.h"
#include "app/ReceiptNumbers.h"

namespace {

Currency c(const char* text) { return StrToCurr(text); }

}  // namespace

TEST(ReceiptNumbers, EveryInputComesToOneText) {
    const std::pair<const char*, const char*> accepted[] = {
        {"124", "124"}, {"       124", "124"}, {"124       ", "124"}, {"000124", "124"}, {"9999999999", "9999999999"}};
    for (auto [in, out] : accepted)
        EXPECT_EQ(ReceiptNumbers::canonical(in), out) << in;
    for (const char* refused : {"", "   ", "12A", "-5", "1.5", "0", "12 4", "10000000000"})
        EXPECT_EQ(ReceiptNumbers::canonical(refused), std::nullopt) << refused;
    EXPECT_EQ(ReceiptNumbers::fieldKey("124"), "124       ");
    EXPECT_EQ(ReceiptNumbers::labRxKey("124", 3), "124        3");
    EXPECT_EQ(ReceiptNumbers::labRxKey("124", 12), "124       12");
}

TEST(Cents, LineCostAndTaxAreRoundedOnceOnExactDecimals) {
    struct Case {
        const char *price, *qty, *cost;
    };
    for (const Case& k : {Case{"12.50", "0", "12.5"}, Case{"10", "2.5", "25"}, Case{"0.05", "0.5", "0.03"},
                          Case{"-0.05", "0.5", "-0.03"}, Case{"19.99", "3", "59.97"}})
        EXPECT_EQ(Cents::lineCost(c(k.price), c(k.qty)), c(k.cost)) << k.price << " x " << k.qty;

    struct TaxCase {
        const char *amount, *percent, *tax;
    };
    for (const TaxCase& k : {TaxCase{"10.00", "8.25", "0.83"}, TaxCase{"10.00", "7.25", "0.73"},
                             TaxCase{"100.00", "5", "5"}, TaxCase{"120.00", "5", "6"}, TaxCase{"-10.00", "8.25", "-0.83"},
                             TaxCase{"0.10", "5", "0.01"}, TaxCase{"0.09", "5", "0"}})
        EXPECT_EQ(Cents::tax(c(k.amount), *Cents::TaxRate::fromPercentText(k.percent)), c(k.tax))
            << k.amount << " at " << k.percent;
}

TEST(Cents, RatesAndFieldWidths) {
    EXPECT_EQ(Cents::TaxRate::fromPercentText("8.25")->fractionText(), "0.082500");
    EXPECT_EQ(Cents::TaxRate::fromFractionText("0.082500"), Cents::TaxRate::fromPercentText("8.25"));
    EXPECT_EQ(Cents::TaxRate::fromPercentText("abc"), std::nullopt);
    EXPECT_EQ(Cents::TaxRate::fromPercentText("8.123456"), std::nullopt);  // beyond the stored decimals

    EXPECT_TRUE(Cents::fits(c("99999.99"), 8, 2));
    EXPECT_FALSE(Cents::fits(c("100000"), 8, 2));
    EXPECT_TRUE(Cents::fits(c("-9999.99"), 8, 2));
    EXPECT_FALSE(Cents::fits(c("-10000"), 8, 2));
}

TEST(LedgerRowSets, ReceiptPaymentAndDepositRows) {
    using namespace LedgerPostings;
    auto summary = [](const std::vector<TLedgerRow>& rows) {
        std::vector<std::string> out;
        for (const TLedgerRow& r : rows)
            out.push_back(std::string(r.Side == Side::Credit ? "Cr" : "Dr") + std::to_string(r.Account) + " " +
                          CurrToStr(r.Amount) + " " + r.Type + "/" + r.AcctNo + "/" + r.Desc);
        return out;
    };
    // Case C: 10.00 at 8.25 % gives 0.83 tax and 10.83 total; debits equal credits.
    const Currency tax = Cents::tax(c("10"), *Cents::TaxRate::fromPercentText("8.25"));
    EXPECT_EQ(summary(receiptRows({c("10"), tax, c("10") + tax}, {}, "9", "7", 0)),
              (std::vector<std::string>{"Cr1 10 Sales/7/Receipt", "Cr2 0.83 Sales Tax Payable//Receipt",
                                        "Dr4 10.83 Accounts Receivable/7/Receipt"}));
    // Only differences, only when not zero.
    EXPECT_EQ(summary(receiptRows({c("150"), c("5"), c("155")}, {c("150"), c("5"), c("155")}, "9", "7", 0)),
              std::vector<std::string>{});
    EXPECT_EQ(summary(receiptDeleteRows({c("150"), c("0"), c("150")}, "9", "7", 0)),
              (std::vector<std::string>{"Cr1 -150 Sales/7/Receipt", "Dr4 -150 Accounts Receivable/7/Receipt"}));
    // Payments: P 100 with C 20; a refund of 20; a refund equal to the credit.
    EXPECT_EQ(summary(PaymentRows(c("100"), c("20"), "3", "7", 0)),
              (std::vector<std::string>{"Cr4 120 Accounts Receivable/7/Payment",
                                        "Dr4 20 Accounts Receivable/7/Payment",
                                        "Dr3 100 Undeposited Funds//Payment"}));
    EXPECT_EQ(summary(PaymentRows(c("-20"), c("0"), "3", "7", 0)),
              (std::vector<std::string>{"Cr4 -20 Accounts Receivable/7/Payment", "Cr8 20 Refund//Refund"}));
    EXPECT_EQ(summary(PaymentRows(c("-20"), c("20"), "3", "7", 0)),
              (std::vector<std::string>{"Dr4 20 Accounts Receivable/7/Payment", "Cr8 20 Refund//Refund"}));
    EXPECT_EQ(summary(DepositRows(c("100"), "2", 0)),
              (std::vector<std::string>{"Cr3 100 UnDeposited Funds//Deposit", "Dr5 100 Checking//Deposit"}));

    const TLedgerRow refund = PaymentRows(c("-20"), c("0"), "3", "7", 0)[1];
    EXPECT_EQ(Reversal(refund).Desc, "Reversal - Refund");
    EXPECT_EQ(Reversal(refund).Amount, c("-20"));
    EXPECT_EQ(Reversal(DepositRows(c("100"), "2", 0)[0]).Desc, "Deposit");
}
