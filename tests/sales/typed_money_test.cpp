// Money and dates typed as text into the money documents: each typed amount
// goes through a receipt line's price, a payment and the deposit's coins
// and is stored as typed or refused with nothing written; each date a
// receipt cannot carry is refused with nothing written and no number used.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "DepositFixture.h"

#include "ui/DialogResponder.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

const TDateTime Today = EncodeDate(2026, 3, 9);

class TypedMoneyTest : public DepositTest {
protected:
    // Every table file of the company, byte for byte.
    std::map<std::string, std::string> companyFiles() {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(company.DataDirectory())) {
            if (entry.path().extension() != ".dbf")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            files[entry.path().filename().string()] = bytes.str();
        }
        return files;
    }

    // Types Text into Field of the current record of Table, as an edit hands
    // its text over; the message of a refusal, "" when taken.
    static std::string type(TTable* Table, const char* Field, const std::string& Text) {
        try {
            Table->Edit();
            Table->FieldByName(Field)->SetText(Text);
            Table->Post();
            return "";
        } catch (const Exception& e) {
            Table->Cancel();
            return e.Message();
        }
    }

    // "stored <text of Field in the last record of File>" after a save, or
    // "refused: <message>"; a refusal must leave every table as it was.
    template <class Save>
    std::string outcome(const std::string& Refusal, const std::string& File, const char* Field, Save save) {
        if (!Refusal.empty())
            return "refused: " + Refusal;
        const auto before = companyFiles();
        TDialogScript script;
        script.Answer(mrOk).Answer(mrOk);
        if (save()) {
            const std::string stored = lastText(File, Field);
            return "stored " + (stored.empty() ? std::string("blank") : stored);
        }
        EXPECT_EQ(companyFiles(), before) << "a refused save wrote";
        return "refused: " + (script.Shown().empty() ? std::string() : script.Shown().back().Text);
    }

    // A receipt of Price for Patient and a cash payment of Typed on it, typed
    // into the receipt's row and the payment box; the first refusal's message.
    std::string startPayment(const std::string& Patient, const std::string& Price, const std::string& Typed) {
        receiptOf(Patient, Price);
        EXPECT_TRUE(payment->AddBalancesDue(Patient, "Pat " + Patient, Today));
        module->Temp4Table->Last();  // the newest receipt
        std::string refusal = type(module->Temp4Table, "PAYMENT", Typed);
        if (!refusal.empty())
            return refusal;
        payment->CalcPayment();
        refusal = type(module->Temp3Table, "PYMTAPP", Typed);
        module->Temp3Table->Edit();
        module->Temp3Table->FieldByName("PAIDWITH")->SetAsString("Cash");
        module->Temp3Table->Post();
        payment->TotalAmountPaid();
        return refusal;
    }

    std::string lastText(const std::string& File, const char* Field) {
        std::string text;
        withTable(File, [&] {
            xb_GoBottom();
            text = Trim(xb_GetString(Field));
        });
        return text;
    }
    template <class Body>
    void withTable(const std::string& File, Body body) {
        const std::string path = company.File(File);
        const int area = xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX);
        ASSERT_NE(area, 0) << File;
        body();
        xb_Close();
    }
};

TEST_F(TypedMoneyTest, MoneyTypedAsTextIsStoredAsTypedOrRefusedWithNothingWritten) {
    struct Case {
        std::string typed;
        std::string receiptLine, payment, coins;
    };
    const std::string notValid = " is not a valid floating point value for field ";
    auto refused = [&](const std::string& Typed, const char* Field) {
        return "refused: '" + Typed + "'" + notValid + "'" + Field + "'";
    };
    const Case cases[] = {
        {"12,34", refused("12,34", "Price"), refused("12,34", "PAYMENT"), refused("12,34", "CoinTotal")},
        {"1,234.56", "stored 1234.56", "stored 1234.56", "stored 40.00"},
        {"1,2,3", refused("1,2,3", "Price"), refused("1,2,3", "PAYMENT"), refused("1,2,3", "CoinTotal")},
        {"-0.005", refused("-0.005", "Price"), refused("-0.005", "PAYMENT"), refused("-0.005", "CoinTotal")},
        {"1e9", refused("1e9", "Price"), refused("1e9", "PAYMENT"), refused("1e9", "CoinTotal")},
        // Wider than the box holds: refused as typed, never stored as another amount.
        {"99999999.99", refused("99999999.99", "Price"), refused("99999999.99", "PAYMENT"),
         refused("99999999.99", "CoinTotal")},
        // The box holds it; what it adds up to does not fit.
        {"9999999.99", "refused: The amount 9999999.99 is too large for the receipt's SUBTOTAL. Nothing was saved.",
         "refused: The amount -9999899.99 is too large for the BALANCE of receipt {receipt}. Nothing was saved.",
         "stored 40.00"},
        {"", "stored 0.00", "refused: Nothing to save: the payment is zero.", "stored 0.00"},
        {" 5 ", "stored 5.00", "stored 5.00", "stored 5.00"},
        {"abc", refused("abc", "Price"), refused("abc", "PAYMENT"), refused("abc", "CoinTotal")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("typed \"" + c.typed + "\"");

        newReceipt("7", {{"EXAM", "1", "10.00", false}});
        module->Temp2Table->First();
        EXPECT_EQ(outcome(type(module->Temp2Table, "Price", c.typed), "SalesDtl.dbf", "PRICE",
                          [&] { return receipt->SaveReceipt(); }),
                  c.receiptLine);

        std::string refusal = startPayment("8", "100.00", c.typed);
        std::string expected = c.payment;
        if (const size_t at = expected.find("{receipt}"); at != std::string::npos)
            expected.replace(at, 9, receipt->ReceiptNumber());
        EXPECT_EQ(outcome(refusal, "Pymt.dbf", "AMOUNT", [&] { return payment->SavePayment(); }), expected);

        ASSERT_EQ(startPayment("7", "40.00", "40.00"), "");
        ASSERT_TRUE(payment->SavePayment());
        ASSERT_TRUE(deposit->NewDeposit(Today));
        tick(payment->PaymentID());
        refusal = type(module->Temp5Table, "CoinTotal", c.typed);
        deposit->CalcDeposit2();
        EXPECT_EQ(outcome(refusal, "Deposit.dbf", "COINS", [&] { return deposit->SaveDeposit(); }), c.coins);

        EXPECT_EQ(broken(), std::vector<std::string>{});
    }
}

TEST_F(TypedMoneyTest, AReceiptDateItCannotCarryIsRefusedWithNothingWrittenAndNoNumberUsed) {
    struct Case {
        std::string date, terms;
        std::string refusal;
    };
    const Case cases[] = {
        {"", "30", "Enter a date in the Date box. Nothing was saved."},
        {"12/31/9999", "30", "The Date box plus the Terms box gives a due date outside the calendar. Nothing was saved."},
        {"02/30/2024", "30", "'02/30/2024' is not a valid date"},
    };
    const auto before = companyFiles();
    for (const Case& c : cases) {
        SCOPED_TRACE("date \"" + c.date + "\" terms " + c.terms);
        newReceipt("7", {{"EXAM", "1", "50.00", false}});
        std::string refusal = type(module->Temp1Table, "Terms", c.terms);
        ASSERT_EQ(refusal, "");
        refusal = type(module->Temp1Table, "Date", c.date);
        if (refusal.empty()) {
            TDialogScript script;
            script.Answer(mrOk);
            EXPECT_FALSE(receipt->SaveReceipt());
            ASSERT_EQ(script.Shown().size(), 1u);
            refusal = script.Shown()[0].Text;
        }
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(companyFiles(), before) << "a refused receipt wrote";
    }
    newReceipt("7", {{"EXAM", "1", "50.00", false}});
    ASSERT_TRUE(receipt->SaveReceipt());
    EXPECT_EQ(receipt->ReceiptNumber(), "1") << "a refused receipt used up a number";
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

}  // namespace
