// Several front-desk workstations on one company folder, each a process of
// its own, saving money documents at the same moment: deposits of the same
// payments, the same receipt paid twice, a receipt edited while it is paid, a
// deposit deleted while another is made. Whatever the order the saves meet
// in, no money is counted twice, no balance change is lost and the books
// agree.
#include <memory>
#include <string>
#include <vector>

#include "DepositFixture.h"

#include "support/Workstations.h"
#include "ui/DialogResponder.h"

namespace {

const TDateTime Today = EncodeDate(2026, 3, 9);

// One workstation's program: its own data module on the company, with the
// documents of its windows. Made in the workstation's process.
struct Station {
    explicit Station(const std::string& Folder) {
        module.ChangeDataDirectory(Folder);
        DataModule1 = &module;
    }
    ~Station() { module.CloseFiles(); }

    // "saved", or "refused: " and the first message the save showed that
    // was not a question.
    std::string outcome(bool Saved) const {
        if (Saved)
            return "saved";
        for (const TDialogRequest& shown : script.Shown())
            if (shown.Kind != TDialogKind::MessageDlg || shown.Text.find('?') == std::string::npos)
                return "refused: " + shown.Text;
        return "refused:";
    }

    TDataModule1 module{nullptr, nullptr};
    TDialogScript script;
    TPaymentDocument payment{module};
    TDepositDocument deposit{module};
    TReceiptDocument receipt{module, *Cents::TaxRate::fromPercentText("5")};
};

// The outcome of a workstation's save; the workstation then closes the
// company, as its program would.
std::string finish(std::unique_ptr<Station>& Workstation, bool Saved) {
    const std::string outcome = Workstation->outcome(Saved);
    Workstation.reset();
    return outcome;
}

class WorkstationsTest : public DepositTest {
protected:
    // Runs the workstations on the company while this process has it closed.
    std::vector<std::string> run(Workstations& Stations) {
        std::vector<std::string> results;
        withModuleClosed([&] { results = Stations.Run(); });
        makeDocuments();
        return results;
    }

    // A workstation that lists the undeposited payments, ticks them all and
    // saves the deposit when the start file appears.
    void addDepositing(Workstations& Stations) {
        auto station = std::make_shared<std::unique_ptr<Station>>();
        const std::string folder = company.DataDirectory();
        Stations.Add(
            [station, folder] {
                *station = std::make_unique<Station>(folder);
                TDepositDocument& d = (*station)->deposit;
                if (!d.NewDeposit(Today))
                    throw std::runtime_error("no deposit window");
                TTable* items = (*station)->module.Temp6Table;
                for (items->First(); !items->Eof(); items->Next()) {
                    d.ToggleTag();
                    d.CalcDeposit();
                }
                (*station)->script.Answer(mrOk).Answer(mrOk);
            },
            [station] { return finish(*station, (*station)->deposit.SaveDeposit()); });
    }

    // A workstation that opens deposit Number and deletes it when the start file appears.
    void addDeleting(Workstations& Stations, const std::string& Number) {
        auto station = std::make_shared<std::unique_ptr<Station>>();
        const std::string folder = company.DataDirectory();
        Stations.Add(
            [station, folder, Number] {
                *station = std::make_unique<Station>(folder);
                if (!(*station)->deposit.OpenDeposit(Number))
                    throw std::runtime_error("deposit " + Number + " not stored");
                (*station)->script.Answer(mrYes).Answer(mrOk).Answer(mrOk);
            },
            [station] { return finish(*station, (*station)->deposit.DeleteDeposit(Today)); });
    }

    // A workstation that takes Amount from Patient against the patient's one
    // open receipt, saved when the start file appears.
    void addPaying(Workstations& Stations, const std::string& Patient, const std::string& Amount) {
        auto station = std::make_shared<std::unique_ptr<Station>>();
        const std::string folder = company.DataDirectory();
        Stations.Add(
            [station, folder, Patient, Amount] {
                *station = std::make_unique<Station>(folder);
                TPaymentDocument& p = (*station)->payment;
                TDataModule1& m = (*station)->module;
                if (!p.AddBalancesDue(Patient, "Pat " + Patient, Today) || m.Temp4Table->IsEmpty())
                    throw std::runtime_error("no receipt to pay");
                m.Temp4Table->First();
                m.Temp4Table->Edit();
                m.Temp4Table->FieldByName("PAYMENT")->SetAsString(Amount);
                m.Temp4Table->Post();
                p.CalcPayment();
                m.Temp3Table->Edit();
                m.Temp3Table->FieldByName("PAIDWITH")->SetAsString("Cash");
                m.Temp3Table->FieldByName("PYMTAPP")->SetAsString(Amount);
                m.Temp3Table->Post();
                p.TotalAmountPaid();
                (*station)->script.Answer(mrOk).Answer(mrOk);
            },
            [station] { return finish(*station, (*station)->payment.SavePayment()); });
    }

    // A workstation that opens receipt Number, sets its first line's price
    // to Price and saves it when the start file appears.
    void addEditing(Workstations& Stations, const std::string& Number, const std::string& Price) {
        auto station = std::make_shared<std::unique_ptr<Station>>();
        const std::string folder = company.DataDirectory();
        Stations.Add(
            [station, folder, Number, Price] {
                *station = std::make_unique<Station>(folder);
                TDataModule1& m = (*station)->module;
                if (!(*station)->receipt.OpenReceipt(Number))
                    throw std::runtime_error("receipt " + Number + " not stored");
                m.Temp2Table->First();
                m.Temp2Table->Edit();
                m.Temp2Table->FieldByName("Price")->SetAsString(Price);
                m.Temp2Table->Post();
                m.ReceiptChanged = true;
                (*station)->script.Answer(mrOk).Answer(mrOk);
            },
            [station] { return finish(*station, (*station)->receipt.SaveReceipt()); });
    }

    // The live deposit items that name Payment.
    int depositItemsOf(const std::string& Payment) {
        return BooksChecker::CountWhere(company.DataDirectory(), "DeposDtl.dbf", "PAYMENTID", Payment);
    }

    static int countOf(const std::vector<std::string>& Results, const std::string& Outcome) {
        int n = 0;
        for (const std::string& r : Results)
            n += r == Outcome;
        return n;
    }
};

// Each refusal names a payment another workstation deposited, or the lock
// that workstation held; nothing of it was written.
void ExpectRefusedForADepositedPayment(const std::string& Result) {
    if (Result == "saved")
        return;
    EXPECT_TRUE(Result.find("has been deposited at another workstation. Nothing was saved.") != std::string::npos ||
                Result == "refused: Record locked by another user.")
        << Result;
}

TEST_F(WorkstationsTest, PaymentsDepositedAtOnceAtSeveralWorkstationsGoToTheBankOnce) {
    const std::string first = paidReceipt("7", "40.00", "Cash");
    const std::string second = paidReceipt("8", "25.50", "Check", "2002");
    const std::string third = paidReceipt("7", "12.25", "Cash");
    for (int count : {2, 4}) {
        SCOPED_TRACE(std::to_string(count) + " workstations");
        if (count == 4) {
            // The first round's deposit is deleted: the payments are undeposited again.
            ASSERT_TRUE(deposit->OpenDeposit("1"));
            TDialogScript yes;
            yes.Answer(mrYes);
            ASSERT_TRUE(deposit->DeleteDeposit(Today));
        }
        Workstations stations;
        for (int n = 0; n < count; ++n)
            addDepositing(stations);
        const std::vector<std::string> results = run(stations);

        EXPECT_EQ(countOf(results, "saved"), 1) << testing::PrintToString(results);
        for (const std::string& r : results)
            ExpectRefusedForADepositedPayment(r);
        EXPECT_EQ(broken(), std::vector<std::string>{});
        for (const std::string& payment : {first, second, third})
            EXPECT_EQ(depositItemsOf(payment), 1) << "payment " << payment;
        EXPECT_EQ(figure("Acct 3"), Currency());
        EXPECT_EQ(figure("Acct 5"), StrToCurr("77.75"));
    }
}

TEST_F(WorkstationsTest, TheSameReceiptPaidAtTwoWorkstationsAtOnceIsPaidOnce) {
    const std::string number = receiptOf("7", "100.00");
    Workstations stations;
    addPaying(stations, "7", "100.00");
    addPaying(stations, "7", "100.00");
    const std::vector<std::string> results = run(stations);

    EXPECT_EQ(countOf(results, "saved"), 1) << testing::PrintToString(results);
    for (const std::string& r : results)
        if (r != "saved")
            EXPECT_TRUE(r == "refused: Receipt " + number + " has been changed at another workstation. Nothing was saved." ||
                        r == "refused: Record locked by another user.")
                << r;
    EXPECT_EQ(broken(), std::vector<std::string>{});
    EXPECT_EQ(figure("Sales " + number), Currency());
    EXPECT_EQ(figure("Patient 7"), Currency());
    EXPECT_EQ(figure("Acct 3"), Currency(100));
}

TEST_F(WorkstationsTest, AReceiptEditedWhileItIsPaidKeepsBothChanges) {
    const std::string number = receiptOf("7", "100.00");
    Workstations stations;
    addEditing(stations, number, "150.00");
    addPaying(stations, "7", "100.00");
    const std::vector<std::string> results = run(stations);

    // The edit lands unless the payment kept the receipt past the lock
    // time-out; the payment lands unless the edit changed the balance it
    // was taken against first. Whichever landed, both are in the books.
    const bool edited = results[0] == "saved";
    const bool paid = results[1] == "saved";
    EXPECT_TRUE(edited || paid) << testing::PrintToString(results);
    if (!edited)
        EXPECT_EQ(results[0], "refused: Record locked by another user.");
    if (!paid)
        EXPECT_EQ(results[1], "refused: Receipt " + number + " has been changed at another workstation. Nothing was saved.");
    EXPECT_EQ(broken(), std::vector<std::string>{});
    const Currency owed = (edited ? Currency(150) : Currency(100)) - (paid ? Currency(100) : Currency());
    EXPECT_EQ(figure("Sales " + number), owed);
    EXPECT_EQ(figure("Patient 7"), owed);
    EXPECT_EQ(figure("Acct 4"), owed);
}

TEST_F(WorkstationsTest, ADepositDeletedAtTwoWorkstationsWhileTwoOthersDepositIsDeletedOnce) {
    const std::string first = paidReceipt("7", "40.00", "Cash");
    const std::string second = paidReceipt("8", "25.00", "Cash");
    ASSERT_TRUE(deposit->NewDeposit(Today));
    tick(first);
    tick(second);
    ASSERT_TRUE(deposit->SaveDeposit());
    const std::string stored = deposit->SelectedDepositID();
    const std::string third = paidReceipt("7", "10.00", "Check", "3003");

    Workstations stations;
    addDeleting(stations, stored);
    addDeleting(stations, stored);
    addDepositing(stations);
    addDepositing(stations);
    const std::vector<std::string> results = run(stations);

    const std::vector<std::string> deletes(results.begin(), results.begin() + 2);
    const std::vector<std::string> deposits(results.begin() + 2, results.end());
    EXPECT_EQ(countOf(deletes, "saved"), 1) << testing::PrintToString(deletes);
    for (const std::string& r : deletes)
        if (r != "saved")
            EXPECT_TRUE(r == "refused: Deposit " + stored + " has been deleted at another workstation. Nothing was saved." ||
                        r == "refused: Record locked by another user.")
                << r;
    EXPECT_EQ(countOf(deposits, "saved"), 1) << testing::PrintToString(deposits);
    for (const std::string& r : deposits)
        ExpectRefusedForADepositedPayment(r);
    EXPECT_EQ(broken(), std::vector<std::string>{});
    EXPECT_EQ(depositItemsOf(first), 0);
    EXPECT_EQ(depositItemsOf(second), 0);
    EXPECT_EQ(depositItemsOf(third), 1);
    EXPECT_EQ(figure("Acct 3"), Currency(65));
    EXPECT_EQ(figure("Acct 5"), Currency(10));
}

}  // namespace
