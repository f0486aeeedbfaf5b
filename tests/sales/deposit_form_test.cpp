// The deposit window on the fixture company: ticking by double click and
// space, the totals and the type choice, the controls of each type, saving
// and opening through its buttons, one window at a time, the close
// question, the repair dialog, and its pictures (kept under the installation
// root for a look, with QUENMARK_KEEP_ROOT).
#include <QImage>

#include "DepositFixture.h"

#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "os/Paths.h"
#include "sales/DepositForm.h"
#include "ui/Application.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

class DepositFormTest : public DepositTest {
protected:
    void SetUp() override {
        DepositTest::SetUp();
        registerDepositForm();
    }
    void TearDown() override {
        form.reset();
        DepositTest::TearDown();
    }
    void picture(TForm* Form, const std::string& Name) {
        const std::string file = os::InstallRoot() + "/" + Name;
        renderToPng(Form, file);
        QImage image(QString::fromStdString(file));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(Form->Width(), Form->Height()));
    }
    // The item of Payment becomes the current one.
    void goItem(const std::string& Payment) {
        TTable* temp6 = module->Temp6Table;
        for (temp6->First(); !temp6->Eof(); temp6->Next())
            if (Trim(temp6->FieldByName("PaymentID")->AsString()) == Payment)
                return;
        ADD_FAILURE() << "no item for payment " << Payment;
    }
    // A double click on the item of Payment, and the mouse let go.
    void clickItem(const std::string& Payment) {
        goItem(Payment);
        form->DepositDBGridDblClick(form->DepositDBGrid);
        form->DepositDBGridMouseUp(form->DepositDBGrid, mbLeft, {}, 0, 0);
    }
    std::unique_ptr<TDepositForm> form;
};

TEST_F(DepositFormTest, TicksMoveTheShownTotalsAndLockTheTypeChoice) {
    const std::string cash = paidReceipt("7", "60.00", "Cash");
    const std::string check = paidReceipt("7", "40.00", "Check", "1042");
    const std::string card = paidReceipt("8", "25.00", "Charge", "AP77");
    form = std::make_unique<TDepositForm>(nullptr);
    EXPECT_EQ(form->Caption(), "New Deposit");
    EXPECT_TRUE(form->SaveBtn->Enabled());
    for (TBitBtn* off : {form->PrintBtn, form->NewBtn, form->DeleteBtn})
        EXPECT_FALSE(off->Enabled());
    EXPECT_EQ(form->TypeDepositRadioGroup->ItemIndex(), 0);
    EXPECT_FALSE(form->BatchNoDBEdit->Visible());
    EXPECT_TRUE(form->CoinsDBEdit->Visible());
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":60", check + ":40"}));

    clickItem(cash);
    EXPECT_FALSE(form->TypeDepositRadioGroup->Enabled());
    // Space ticks the current item as a double click does.
    goItem(check);
    Word space = VK_SPACE;
    form->DepositDBGridKeyDown(form->DepositDBGrid, space, {});
    EXPECT_EQ(space, 0);
    EXPECT_EQ(form->TotalLabel->Caption(), "100.00");
    EXPECT_EQ(form->ChecksLabel->Caption(), "40.00");
    EXPECT_EQ(form->CurrencyLabel->Caption(), "60.00");

    // Coins typed, then the edit left: the currency is what remains of the cash.
    module->Temp5Table->Edit();
    module->Temp5Table->FieldByName("CoinTotal")->SetAsString("2.50");
    module->Temp5Table->Post();
    form->CalcDeposit2(form->CoinsDBEdit);
    EXPECT_EQ(form->CurrencyLabel->Caption(), "57.50");
    picture(form.get(), "deposit-form-ticked.png");

    clickItem(cash);
    clickItem(check);
    EXPECT_EQ(form->TotalLabel->Caption(), "0.00");
    EXPECT_TRUE(form->TypeDepositRadioGroup->Enabled());

    form->TypeDepositRadioGroup->SetItemIndex(TDepositDocument::Charges);
    EXPECT_EQ(items(), std::vector<std::string>{card + ":25"});
    EXPECT_TRUE(form->BatchNoDBEdit->Visible());
    EXPECT_FALSE(form->CoinsDBEdit->Visible());
    EXPECT_FALSE(form->CurrencyLabel->Visible());
    clickItem(card);
    EXPECT_EQ(form->TotalLabel->Caption(), "25.00");
    picture(form.get(), "deposit-form-charges.png");
}

TEST_F(DepositFormTest, SaveShowsTheStoredDepositReadOnlyAndOpenFindsItAgain) {
    const std::string cash = paidReceipt("7", "60.00", "Cash");
    const std::string check = paidReceipt("8", "40.00", "Check", "1042");
    form = std::make_unique<TDepositForm>(nullptr);
    clickItem(cash);
    clickItem(check);
    // The list closed without a choice leaves the deposit being made as it is.
    {
        TDialogScript script;
        script.Answer(mrCancel);
        form->OpenBtn->Click();
    }
    EXPECT_EQ(form->Document().DepositTotal(), Currency(100));
    EXPECT_EQ(form->TotalLabel->Caption(), "100.00");
    form->SaveBtn->Click();
    const std::string id = form->Document().SelectedDepositID();
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(form->Caption(), "Deposit " + id);
    EXPECT_TRUE(form->Saved());
    EXPECT_TRUE(form->DepositDBGrid->ReadOnly());
    EXPECT_FALSE(form->SaveBtn->Enabled());
    for (TBitBtn* on : {form->PrintBtn, form->NewBtn, form->DeleteBtn})
        EXPECT_TRUE(on->Enabled());
    EXPECT_FALSE(form->TypeDepositRadioGroup->Enabled());
    EXPECT_EQ(form->TotalLabel->Caption(), "100.00");
    EXPECT_EQ(broken(), std::vector<std::string>{});
    picture(form.get(), "deposit-form-saved.png");

    // A double click on a stored deposit changes no tick and no total.
    clickItem(cash);
    EXPECT_TRUE(module->Temp6Table->FieldByName("Tag")->AsBoolean());
    EXPECT_EQ(form->Document().DepositTotal(), Currency(100));

    form->NewBtn->Click();
    EXPECT_EQ(form->Caption(), "New Deposit");
    EXPECT_EQ(items(), std::vector<std::string>{}) << "both payments are deposited";
    {
        TDialogScript script;
        script.Answer([&](TForm& list) {
            listSelection().SelectedDepositID = "         " + id;
            list.SetModalResult(mrOk);
        });
        form->OpenBtn->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
    }
    EXPECT_EQ(form->Caption(), "Deposit " + id);
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":60", check + ":40"}));

    // Delete, answered Yes: a new deposit offers the payments again.
    {
        TDialogScript script;
        script.Answer(mrYes);
        form->DeleteBtn->Click();
        EXPECT_EQ(script.Shown().at(0).Text, "Delete this Deposit?");
    }
    EXPECT_EQ(form->Caption(), "New Deposit");
    EXPECT_EQ(items(), (std::vector<std::string>{cash + ":60", check + ":40"}));
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(DepositFormTest, TheStoredDepositShowsEachItemsPaymentDate) {
    const std::string cash = paidReceipt("7", "60.00", "Cash");
    const std::string check = paidReceipt("8", "40.00", "Check", "1042");
    form = std::make_unique<TDepositForm>(nullptr);
    auto dated = [&] {
        std::vector<std::string> shown;
        TTable* temp6 = module->Temp6Table;
        for (temp6->First(); !temp6->Eof(); temp6->Next())
            shown.push_back(Trim(temp6->FieldByName("PaymentID")->AsString()) + " " +
                            temp6->FieldByName("Date")->DisplayText());
        return shown;
    };
    const std::vector<std::string> offered = dated();
    ASSERT_EQ(offered.size(), 2u);
    for (const std::string& item : offered)
        EXPECT_GT(item.size(), cash.size() + 1) << "dated: " << item;
    clickItem(cash);
    clickItem(check);
    form->SaveBtn->Click();
    ASSERT_TRUE(form->Saved());
    EXPECT_EQ(dated(), offered) << "the stored deposit, shown again";
    picture(form.get(), "deposit-form-stored-dates.png");
}

TEST_F(DepositFormTest, OneWindowAtATimeAndAnUnsavedOneAsksBeforeClosing) {
    EXPECT_TRUE(isSingleInstance("TDepositForm"));
    TForm* first = OpenForm(nullptr, {.ClassName = "TDepositForm", .Caption = "Make &Deposits"});
    ASSERT_NE(dynamic_cast<TDepositForm*>(first), nullptr);
    TForm* second = OpenForm(nullptr, {.ClassName = "TDepositForm", .Caption = "Make &Deposits"});
    EXPECT_EQ(second, first);

    TDialogScript script;
    script.Answer(mrNo).Answer(mrYes);
    TCloseAction action = caHide;
    auto* deposit = static_cast<TDepositForm*>(first);
    deposit->FormClose(deposit, action);
    EXPECT_EQ(action, caNone);
    deposit->FormClose(deposit, action);
    EXPECT_EQ(action, caFree);
    EXPECT_EQ(script.Shown().at(0).Text, "Close the deposit window?");
    delete first;
    Application->ProcessMessages();
}

TEST_F(DepositFormTest, TheRepairDialogTakesOnlyAPaymentOfTheItemsAmount) {
    const std::string forty = paidReceipt("7", "40.00", "Cash");
    const std::string fifty = paidReceipt("7", "50.00", "Cash");
    form = std::make_unique<TDepositForm>(nullptr);
    clickItem(forty);
    form->SaveBtn->Click();
    ASSERT_TRUE(form->DeleteBtn->Enabled());

    // The item as a repair finds it: no payment number.
    TTable* temp6 = module->Temp6Table;
    temp6->First();
    temp6->Edit();
    temp6->FieldByName("PaymentID")->SetAsString("0");
    temp6->Post();

    TDialogScript script;
    script.Answer([&](TForm& shown) {
        auto& dialog = dynamic_cast<TAddPaymentNumberForm&>(shown);
        EXPECT_EQ(dialog.Caption(), "Add Payment Number");
        EXPECT_EQ(Trim(dialog.AmountDBEdit->Text()), "40.00");
        picture(&dialog, "deposit-add-payment-number.png");
        // A payment of another amount, confirmed: refused, the dialog stays.
        temp6->Edit();
        temp6->FieldByName("PaymentID")->SetAsString(fifty);
        dialog.OKBtn->Click();
        TCloseAction action = caHide;
        dialog.FormClose(&dialog, action);
        EXPECT_EQ(action, caNone);
        // Cancelled: the item keeps no payment number.
        dialog.CancelBtn->Click();
    });
    script.Answer(mrOk);  // the mismatch message
    form->DepositDBGridMouseDown(form->DepositDBGrid, mbRight, {}, 0, 0);
    EXPECT_EQ(script.Shown().at(1).Text,
              "The amount of the payment item you selected doe not match the amount of the deposit item.  Please "
              "select another payment item.");
    EXPECT_EQ(Trim(temp6->FieldByName("PaymentID")->AsString()), "0");

    // The right payment, confirmed: taken.
    script.Answer([&](TForm& shown) {
        auto& dialog = dynamic_cast<TAddPaymentNumberForm&>(shown);
        temp6->Edit();
        temp6->FieldByName("PaymentID")->SetAsString(forty);
        dialog.OKBtn->Click();
    });
    form->DepositDBGridMouseDown(form->DepositDBGrid, mbRight, {}, 0, 0);
    EXPECT_EQ(Trim(temp6->FieldByName("PaymentID")->AsString()), forty);
}

}  // namespace
