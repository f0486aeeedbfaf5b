// The payments window on the fixture company: filled for a patient, its
// entry states, saving and opening through its buttons, the close question,
// and its pictures (kept under the installation root for a look, with
// QUENMARK_KEEP_ROOT).
#include <QImage>

#include <functional>

#include "MoneyFixture.h"

#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "controls/DBKing.h"
#include "controls/Qmdbgrid.h"
#include "os/Paths.h"
#include "sales/PaymentDocument.h"
#include "sales/PaymentForm.h"
#include "ui/DBCtrls.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbase.h"

namespace {

class PaymentFormTest : public MoneyTest {
protected:
    void SetUp() override {
        MoneyTest::SetUp();
        registerPaymentForm();
    }
    std::string receiptOf(const std::string& Patient, const std::string& Price) {
        newReceipt(Patient, {{"EXAM", "1", Price, false}});
        EXPECT_TRUE(receipt->SaveReceipt());
        return receipt->ReceiptNumber();
    }
    // The patient table on Patient, then the window filled as the receipt's
    // Payment button and the patient list fill it.
    void fillFor(const std::string& Patient) {
        module->PatientTable->SetIndexName("ID");
        ASSERT_TRUE(module->Xbase1->Seek(Patient));
        ASSERT_TRUE(listSelection().AddBalancesDue);
        listSelection().AddBalancesDue();
    }
    void picture(TPaymentForm* Form, const std::string& Name) {
        const std::string file = os::InstallRoot() + "/" + Name;
        renderToPng(Form, file);
        QImage image(QString::fromStdString(file));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(Form->Width(), Form->Height()));
    }
    int distributionRows() {
        int n = 0;
        TTable* temp4 = module->Temp4Table;
        for (temp4->First(); !temp4->Eof(); temp4->Next())
            ++n;
        temp4->First();
        return n;
    }
    std::unique_ptr<TPaymentForm> form;
};

TEST_F(PaymentFormTest, APatientWithOpenReceiptsAndACreditFillsTheWindow) {
    receiptOf("7", "120.00");
    receiptOf("7", "45.50");
    receiptOf("7", "-20.00");
    form = std::make_unique<TPaymentForm>(nullptr);
    EXPECT_EQ(form->Caption(), "New Payment/Refund");
    EXPECT_FALSE(form->DeleteBtn->Enabled());
    EXPECT_FALSE(form->CashDrawerBtn->Enabled()) << "no drawer configured";
    fillFor("7");

    EXPECT_EQ(distributionRows(), 3);
    EXPECT_EQ(form->PaymentDBGrid->Fields(4)->DisplayLabel(), "    APPLY");
    EXPECT_EQ(Trim(form->BalanceDBEdit->Text()), "165.50");
    EXPECT_EQ(Trim(form->CreditDBEdit->Text()), "20.00");
    EXPECT_FALSE(form->DBKingDlg1->ReadOnly());
    EXPECT_FALSE(form->PaymentDBGrid->ReadOnly());
    EXPECT_TRUE(form->CreditAppDBEdit->ReadOnly());
    EXPECT_TRUE(form->TenderedDBEdit->ReadOnly()) << "no method chosen yet";

    // The method decides what the number edit is called and whether amounts can be typed.
    struct Method {
        const char* text;
        bool numberShown;
        const char* label;
    };
    for (const Method& m : {Method{"Check", true, "Check Number"}, Method{"Charge", true, "Approval Code"},
                            Method{"Cash", false, "Check Number"}}) {
        SCOPED_TRACE(m.text);
        module->Temp3Table->Edit();
        module->Temp3Table->FieldByName("PAIDWITH")->SetAsString(m.text);
        module->Temp3Table->Post();
        form->PaidWithDBComboChange(form.get());
        EXPECT_EQ(form->CheckNoDBEdit->Visible(), m.numberShown);
        EXPECT_EQ(form->CheckNumberLabel->Caption(), m.label);
        EXPECT_FALSE(form->TenderedDBEdit->ReadOnly());
        EXPECT_FALSE(form->PaymentAppliedDBEdit->ReadOnly());
    }
    picture(form.get(), "payment-form-open-receipts.png");

    // Entering the grid fixes its rows: no row can be added there.
    form->PaymentDBGridEnter(form->PaymentDBGrid);
    EXPECT_EQ(module->Temp4RowLimit, 3);
    try {
        module->Temp4Table->Append();
    } catch (const EAbort&) {
        // the insert was abandoned before it began
    }
    EXPECT_NE(module->Temp4Table->State(), dsInsert);
    EXPECT_EQ(distributionRows(), 3);

    // The statement of the chosen patient: the walk-out statement, by class name.
    TDialogScript script;
    form->StatementBtnClick(form.get());
    EXPECT_TRUE(script.Shown().empty());
    bool statement = false;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* window = dynamic_cast<TForm*>(form->Components(i)))
            statement = statement || formClassName(window) == "TStatementWalkoutReport";
    EXPECT_TRUE(statement);
}

TEST_F(PaymentFormTest, APatientWithNothingOpenGetsAReadOnlyWindow) {
    form = std::make_unique<TPaymentForm>(nullptr);
    fillFor("8");
    EXPECT_EQ(distributionRows(), 0);
    EXPECT_TRUE(form->DBKingDlg1->ReadOnly());
    EXPECT_TRUE(form->PaidWithDBCombo->ReadOnly());
    EXPECT_TRUE(form->TenderedDBEdit->ReadOnly());
    EXPECT_TRUE(form->PaymentAppliedDBEdit->ReadOnly());
    EXPECT_TRUE(form->PaymentDBGrid->ReadOnly());

    // Statement without a patient, then with one (a placeholder until the report exists).
    form->FormCreate();
    TDialogScript script;
    script.Answer(mrOk);
    form->StatementBtnClick(form.get());
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Select a patient by clicking on the account lookup button.");
}

TEST_F(PaymentFormTest, SavedThenOpenedThroughTheListShowsTheStoredPayment) {
    const std::string first = receiptOf("7", "60.00");
    receiptOf("7", "40.00");
    form = std::make_unique<TPaymentForm>(nullptr);
    fillFor("7");
    TTable* temp4 = module->Temp4Table;
    temp4->First();
    for (const char* amount : {"60", "40"}) {
        temp4->Edit();
        temp4->FieldByName("PAYMENT")->SetAsString(amount);
        temp4->Post();
        form->CalcPayment();
        temp4->Next();
    }
    EXPECT_EQ(form->TotalDistributionEdit->Text(), CurrToStrF(Currency(100), ffCurrency, 2));
    module->Temp3Table->Edit();
    module->Temp3Table->FieldByName("PAIDWITH")->SetAsString("Check");
    module->Temp3Table->FieldByName("CHECKNO")->SetAsString("1042");
    module->Temp3Table->FieldByName("TENDERED")->SetAsString("100");
    module->Temp3Table->Post();
    form->TotalAmountPaid(form.get());
    form->SaveBtn->Click();
    const std::string saved = "Payment/Refund ";
    ASSERT_EQ(form->Caption().rfind(saved, 0), 0u) << form->Caption();
    const std::string id = form->Caption().substr(saved.size());
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Pymt.dbf", "ID", id), 1);
    EXPECT_EQ(form->Document().PaymentID(), "") << "the window is reset for the next payment";
    EXPECT_FALSE(form->SaveBtn->Enabled());
    EXPECT_TRUE(form->StoredPayment());
    EXPECT_EQ(distributionRows(), 0) << "reset for the next payment";
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // Open: the payment list is answered by choosing the payment.
    {
        TDialogScript script;
        script.Answer([&](TForm& list) {
            listSelection().SelectedPaymentID = id;
            list.SetModalResult(mrOk);
        });
        form->OpenBitBtn->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
    }
    EXPECT_EQ(form->Caption(), "Payment/Refund " + id);
    EXPECT_EQ(distributionRows(), 2);
    EXPECT_TRUE(form->DeleteBtn->Enabled());
    EXPECT_FALSE(form->SaveBtn->Enabled());
    EXPECT_TRUE(form->PaymentDBGrid->ReadOnly());
    EXPECT_FALSE(form->BalanceDBEdit->Visible());
    EXPECT_TRUE(form->CheckNoDBEdit->Visible());
    EXPECT_EQ(Trim(form->CheckNoDBEdit->Text()), "1042");
    picture(form.get(), "payment-form-opened.png");

    // Delete, answered Yes: the receipts are open again.
    {
        TDialogScript script;
        script.Answer(mrYes);
        form->DeleteBtn->Click();
        ASSERT_EQ(script.Shown().size(), 1u);
    }
    EXPECT_EQ(figure("Sales " + first), Currency(60));
    EXPECT_EQ(form->Caption(), "New Payment/Refund");
    EXPECT_FALSE(form->DeleteBtn->Enabled());
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(PaymentFormTest, TheGridTakesAmountsRowByRowInTheApplyColumn) {
    receiptOf("7", "60.00");
    receiptOf("7", "40.00");
    form = std::make_unique<TPaymentForm>(nullptr);
    fillFor("7");
    TQmDBGrid* grid = form->PaymentDBGrid;
    form->PaymentDBGridEnter(grid);
    EXPECT_EQ(grid->SelectedIndex(), 4) << "moved on from AMOUNT to the APPLY column";
    EXPECT_EQ(grid->SelectedField()->FieldName(), "PAYMENT");

    // Typed into the cell (the field is edited, not yet posted), then Tab.
    TTable* temp4 = module->Temp4Table;
    auto typeAndPress = [&](const char* Amount, Word Key) {
        temp4->Edit();
        temp4->FieldByName("PAYMENT")->SetAsString(Amount);
        form->PaymentDBGridKeyDown(grid, Key, {});
        return Key;
    };
    EXPECT_EQ(typeAndPress("60", VK_TAB), 0) << "the grid itself does not move on";
    EXPECT_EQ(Trim(temp4->FieldByName("RECEIPT")->AsString()), "2");
    EXPECT_EQ(typeAndPress("40", VK_DOWN), 0);
    EXPECT_EQ(Trim(temp4->FieldByName("RECEIPT")->AsString()), "2") << "the last row stays";
    EXPECT_EQ(form->Document().TotalDistribution(), Currency(100));
    EXPECT_EQ(form->TotalDistributionEdit->Text(), CurrToStrF(Currency(100), ffCurrency, 2));

    // A changed amount and Enter: the distribution moves by the difference.
    EXPECT_EQ(typeAndPress("35", VK_RETURN), VK_RETURN);
    EXPECT_EQ(form->Document().TotalDistribution(), Currency(95));
}

TEST_F(PaymentFormTest, ClosingAnUnsavedWindowAsksFirst) {
    form = std::make_unique<TPaymentForm>(nullptr);
    TDialogScript script;
    script.Answer(mrNo).Answer(mrYes);
    TCloseAction action = caHide;
    form->FormClose(form.get(), action);
    EXPECT_EQ(action, caNone);
    form->FormClose(form.get(), action);
    EXPECT_EQ(action, caFree);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "Close the payment window?");

    // After New (a stored-payment state) it closes without a question.
    TPaymentForm other(nullptr);
    script.Answer([](TForm& list) { list.SetModalResult(mrCancel); });
    other.NewBtnClick(&other);
    action = caHide;
    other.FormClose(&other, action);
    EXPECT_EQ(action, caFree);
    EXPECT_EQ(script.Shown().size(), 3u) << "only the patient list was shown";
}

TEST_F(PaymentFormTest, TheMenuOpensOneModalWindowByClassName) {
    EXPECT_TRUE(isSingleInstance("TPaymentForm"));
    TDialogScript script;
    script.Answer([](TForm& window) {
        EXPECT_EQ(window.Caption(), "New Payment/Refund");
        EXPECT_NE(dynamic_cast<TPaymentForm*>(&window), nullptr);
        window.SetModalResult(mrCancel);
    });
    script.Answer(mrYes);  // the close question
    OpenForm(nullptr, {.ClassName = "TPaymentForm", .Caption = "&Payments/Refunds", .Style = osModal});
    EXPECT_EQ(script.Unanswered(), 0u);
    Application->ProcessMessages();
}

}  // namespace

// Typed as a user types: text after the amount already filled in is refused
// and keeps the focus; once corrected, an amount typed in the APPLY column and
// Enter reach the distribution, and the payment saves.
TEST_F(PaymentFormTest, ARefusedAmountCorrectedLetsTheApplyColumnReachTheDistribution) {
    receiptOf("7", "120.00");
    form = std::make_unique<TPaymentForm>(nullptr);
    fillFor("7");
    form->Show();
    form->PaidWithDBCombo->SetItemIndex(0);
    form->PaidWithDBComboChange(form.get());
    auto type = [](TWinControl* Control, const std::string& Text) {
        Control->SetFocus();
        for (char c : Text)
            Control->SendChar(c);
    };
    type(form->TenderedDBEdit, "120.00");
    form->TenderedDBEdit->SendKey(VK_TAB);
    EXPECT_EQ(Trim(form->PaymentAppliedDBEdit->Text()), "120.00") << "filled in from the tender";

    form->PaymentAppliedDBEdit->SetFocus();
    form->PaymentAppliedDBEdit->SendKey(VK_END);
    type(form->PaymentAppliedDBEdit, "100.00");
    // Tab, then a click on the grid: each time the refusal is shown and the
    // focus stays on the refused text.
    for (auto leave : {std::function<void()>([&] { form->PaymentAppliedDBEdit->SendKey(VK_TAB); }),
                       std::function<void()>([&] { form->PaymentDBGrid->SetFocus(); })}) {
        TDialogScript script;
        script.Answer(mrOk);
        leave();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_NE(script.Shown()[0].Text.find("is not a valid"), std::string::npos) << script.Shown()[0].Text;
        EXPECT_EQ(form->ActiveControl(), form->PaymentAppliedDBEdit);
    }

    form->PaymentAppliedDBEdit->SetText("100.00");
    form->PaymentAppliedDBEdit->SendKey(VK_TAB);
    form->PaymentDBGrid->SetFocus();
    ASSERT_EQ(form->PaymentDBGrid->SelectedField()->FieldName(), "PAYMENT");
    type(form->PaymentDBGrid, "100");
    form->PaymentDBGrid->SendKey(VK_RETURN);
    EXPECT_EQ(form->TotalDistributionEdit->Text(), "$100.00");
    EXPECT_EQ(Trim(form->AmountPaidDBEdit->Text()), "100.00");

    TDialogScript script;
    form->SaveBtn->Click();
    EXPECT_TRUE(script.Shown().empty()) << script.Shown()[0].Text;
    EXPECT_EQ(form->Caption(), "Payment/Refund 1");
}
