#pragma once
// The money fixture with a payment and a deposit document on it, and the
// steps the deposit tests take: receipts paid by cash, check or card,
// items ticked by payment number, and the ledger rows a step added.
#include <memory>
#include <string>
#include <vector>

#include "MoneyFixture.h"

#include "app/Cents.h"
#include "base/SysUtils.h"
#include "sales/DepositDocument.h"
#include "sales/PaymentDocument.h"
#include "xbase/Xbase.h"

class DepositTest : public MoneyTest {
protected:
    static constexpr int Year = 2026;

    void SetUp() override {
        MoneyTest::SetUp();
        makeDocuments();
    }
    void TearDown() override {
        dropDocuments();
        MoneyTest::TearDown();
    }
    void makeDocuments() {
        payment = std::make_unique<TPaymentDocument>(*module);
        deposit = std::make_unique<TDepositDocument>(*module);
    }
    void dropDocuments() {
        deposit.reset();
        payment.reset();
    }

    // A stored receipt of one untaxed line for Patient; its number.
    std::string receiptOf(const std::string& Patient, const std::string& Price) {
        newReceipt(Patient, {{"EXAM", "1", Price, false}});
        EXPECT_TRUE(receipt->SaveReceipt());
        return receipt->ReceiptNumber();
    }

    // Patient pays Amounts (one per open receipt, in order) with Method; P
    // is typed when given, else it follows the distribution. The payment number.
    std::string pay(const std::string& Patient, const std::vector<std::string>& Amounts, const std::string& Method,
                    const std::string& P = "", const std::string& CheckNo = "") {
        EXPECT_TRUE(payment->AddBalancesDue(Patient, "Pat " + Patient, EncodeDate(Year, 3, 5)));
        TTable* temp4 = module->Temp4Table;
        temp4->First();
        Currency sum;
        for (const std::string& amount : Amounts) {
            EXPECT_FALSE(temp4->Eof());
            temp4->Edit();
            temp4->FieldByName("PAYMENT")->SetAsString(amount);
            temp4->Post();
            payment->CalcPayment();
            sum += StrToCurr(amount);
            temp4->Next();
        }
        TTable* temp3 = module->Temp3Table;
        temp3->Edit();
        temp3->FieldByName("PAIDWITH")->SetAsString(Method);
        temp3->FieldByName("CHECKNO")->SetAsString(CheckNo);
        temp3->FieldByName("PYMTAPP")->SetAsString(P.empty() ? CurrToStr(sum) : P);
        temp3->Post();
        payment->TotalAmountPaid();
        EXPECT_TRUE(payment->SavePayment());
        return payment->PaymentID();
    }
    // A receipt of Price for Patient paid whole with Method; the payment
    // number. The patient's earlier receipts are paid, so the distribution
    // holds this receipt alone.
    std::string paidReceipt(const std::string& Patient, const std::string& Price, const std::string& Method,
                            const std::string& CheckNo = "") {
        receiptOf(Patient, Price);
        return pay(Patient, {Price}, Method, "", CheckNo);
    }

    // The items offered, as "payment:amount" ("12:40"), in the items' order.
    std::vector<std::string> items() {
        std::vector<std::string> out;
        TTable* temp6 = module->Temp6Table;
        for (temp6->First(); !temp6->Eof(); temp6->Next())
            out.push_back(Trim(temp6->FieldByName("PaymentID")->AsString()) + ":" +
                          CurrToStr(Cents::read(temp6->FieldByName("Amount"))));
        temp6->First();
        return out;
    }
    // Ticks (or unticks) the item of Payment as a double click does.
    void tick(const std::string& Payment) {
        TTable* temp6 = module->Temp6Table;
        for (temp6->First(); !temp6->Eof(); temp6->Next())
            if (Trim(temp6->FieldByName("PaymentID")->AsString()) == Payment) {
                ticking().ToggleTag();
                ticking().CalcDeposit();
                return;
            }
        ADD_FAILURE() << "no item for payment " << Payment;
    }
    void typeCoins(const std::string& Coins) {
        module->Temp5Table->Edit();
        module->Temp5Table->FieldByName("CoinTotal")->SetAsString(Coins);
        module->Temp5Table->Post();
        ticking().CalcDeposit2();
    }

    // The ledger rows added since Start, as "Cr3 100" / "Dr5 100".
    std::vector<std::string> postingsSince(size_t Start) {
        std::vector<std::string> out;
        const auto all = BooksChecker::Ledger(company.DataDirectory());
        for (size_t i = Start; i < all.size(); ++i) {
            const bool credit = all[i].Credit != Currency();
            out.push_back((credit ? "Cr" : "Dr") + std::to_string(all[i].Account) + " " +
                          CurrToStr(credit ? all[i].Credit : all[i].Debit));
        }
        return out;
    }
    size_t ledgerSize() { return BooksChecker::Ledger(company.DataDirectory()).size(); }
    // The payment's stored DEPOSITED and POSTREF, as "T 3" or "F ".
    std::string depositedMark(const std::string& Payment) {
        TTable* payments = module->PaymentTable;
        payments->SetIndexName("ID");
        if (!module->PaymentXbase->Seek(Payment))
            return "missing";
        return std::string(payments->FieldByName("DEPOSITED")->AsBoolean() ? "T " : "F ") +
               Trim(payments->FieldByName("POSTREF")->AsString());
    }

    // The document the ticks go to: a window's, when one is set.
    TDepositDocument& ticking() { return windowDocument ? *windowDocument : *deposit; }

    std::unique_ptr<TPaymentDocument> payment;
    std::unique_ptr<TDepositDocument> deposit;
    TDepositDocument* windowDocument = nullptr;
};
