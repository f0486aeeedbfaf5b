// The receipt window on the money fixture company: a new receipt, line
// amounts and the totals panel, the item code rule, the patient and exam,
// the rate dialog, the grid's keys, opening a stored receipt, the settings
// that do not read as numbers, and the hand-offs. The books are checked
// after every save made from the window.
#include "ReceiptFormFixture.h"

#include "app/DataModule.h"
#include "app/ListSelection.h"
#include "app/ReceiptOpener.h"
#include "app/Settings.h"
#include "controls/qmdblook.h"
#include "sales/PaymentForm.h"
#include "sales/ReceiptSettings.h"
#include "sales/TaxRateDlg.h"
#include "ui/DBCtrls.h"
#include "ui/Menus.h"

namespace {

TDialogAnswer rateTyped(const std::string& Text) {
    TDialogAnswer answer;
    answer.Result = mrOk;
    answer.Act = [Text](TForm& Form) { dynamic_cast<TSalesTaxRateDlg&>(Form).TaxRateComboBox->SetText(Text); };
    return answer;
}

}  // namespace

TEST_F(ReceiptFormTest, OpensOnANewEmptyReceiptWithNothingOfTheLinesOpenBeforeAPatient) {
    EXPECT_EQ(form->Caption(), "Receipt");
    EXPECT_TRUE(form->NewReceiptFlag());
    EXPECT_EQ(Trim(form->ReceiptDBEdit->Text()), "");
    EXPECT_EQ(module->Temp1Table->FieldByName("Date")->AsDateTime(), Date());
    EXPECT_EQ(module->Temp2Table->RecordCount(), 1);
    EXPECT_EQ(shown(form->SubTotalLabel), "$0.00");
    EXPECT_EQ(shown(form->TaxLabel2), "Tax 5%");
    EXPECT_EQ(shown(form->TaxLabel), "$0.00");
    EXPECT_EQ(shown(form->TotalLabel), "$0.00");
    EXPECT_FALSE(form->LineItemDBGrid->Enabled());
    EXPECT_FALSE(form->EmployeeLookupCombo->Enabled());
    EXPECT_FALSE(form->IncidentDBLookupCombo->Enabled());
    EXPECT_TRUE(form->AccountBitBtn->Enabled());
    EXPECT_FALSE(form->InsClaimBitBtn->Enabled());
    EXPECT_FALSE(form->DeleteItemBtn->Visible());
    EXPECT_FALSE(module->ReceiptChanged);
    keepPicture("receipt-new");
}

TEST_F(ReceiptFormTest, ChoosingAPatientFillsTheHeaderWithTheLastExamAndOpensTheLines) {
    choosePatient("7");
    EXPECT_EQ(Trim(module->Temp1Table->FieldByName("PatID")->AsString()), "7");
    EXPECT_EQ(Trim(module->Temp1Table->FieldByName("Name")->AsString()), "Pat Seven");
    EXPECT_EQ(module->Temp1Table->FieldByName("Incident")->AsInteger(), 7);
    EXPECT_EQ(module->Temp1Table->FieldByName("Terms")->AsInteger(), 30);
    EXPECT_TRUE(form->LineItemDBGrid->Enabled());
    EXPECT_TRUE(form->IncidentDBLookupCombo->Enabled());
    EXPECT_TRUE(form->BillInsuranceCheckBox->Enabled());

    // The exam drop-down reaches this patient's exams only.
    form->IncidentDBLookupComboEnter(form);
    std::vector<int> exams;
    for (module->IncidentXbase->GoTop(); !module->IncidentTable->Eof(); module->IncidentTable->Next())
        exams.push_back(module->IncidentTable->FieldByName("ID")->AsInteger());
    EXPECT_EQ(exams, (std::vector<int>{1, 2, 7}));
    form->IncidentDBLookupComboExit(form);
}

TEST_F(ReceiptFormTest, LineAmountsAndTheTotalsPanelFollowTheCentsRule) {
    choosePatient("7");
    struct Case {
        const char* qty;
        const char* price;
        const char* cost;
    };
    for (const Case& c : {Case{"0", "12.50", "12.5"}, Case{"2.5", "10", "25"}, Case{"1.5", "0.99", "1.49"}}) {
        TTable* temp2 = module->Temp2Table;
        temp2->Edit();
        temp2->FieldByName("Qty")->SetAsString(c.qty);
        temp2->FieldByName("Price")->SetAsString(c.price);
        form->CalcCost();
        EXPECT_EQ(CurrToStr(Cents::read(temp2->FieldByName("Cost"))), c.cost) << c.qty << " x " << c.price;
        EXPECT_EQ(form->Totals().SubTotal(), Cents::read(temp2->FieldByName("Cost")));
    }

    // 10.00 taxed at 8.25 %: the tax 0.825 is one cent-rounding, away from zero.
    module->Temp2Table->Edit();
    module->Temp2Table->FieldByName("Tax")->SetAsBoolean(true);
    module->Temp2Table->FieldByName("Qty")->SetAsString("1");
    module->Temp2Table->FieldByName("Price")->SetAsString("10");
    form->CalcCost();
    {
        TDialogScript script;
        script.Answer(rateTyped("8.25"));
        form->SalesTaxRateBitBtnClick(form);
    }
    EXPECT_EQ(shown(form->SubTotalLabel), "$10.00");
    EXPECT_EQ(shown(form->TaxLabel2), "Tax 8.25%");
    EXPECT_EQ(shown(form->TaxLabel), "$0.83");
    EXPECT_EQ(shown(form->TotalLabel), "$10.83");

    // A line without cost or price changes nothing.
    newLine();
    form->CalcCost();
    EXPECT_EQ(shown(form->TotalLabel), "$10.83");
    module->Temp2Table->Cancel();
}

TEST_F(ReceiptFormTest, AnItemCodeFillsTheLineOnlyWhenItNamesTheWholeItem) {
    choosePatient("7");
    fillLine("frame1");
    TTable* temp2 = module->Temp2Table;
    EXPECT_EQ(Trim(temp2->FieldByName("Desc")->AsString()), "Frame");
    EXPECT_EQ(Cents::read(temp2->FieldByName("Price")), Currency(100));
    EXPECT_TRUE(temp2->FieldByName("Tax")->AsBoolean());
    EXPECT_EQ(shown(form->TotalLabel), "$105.00");

    // "FRAME" is only the start of "FRAME1": the line is emptied and untaxed.
    fillLine("FRAME");
    EXPECT_EQ(Trim(temp2->FieldByName("Desc")->AsString()), "");
    EXPECT_EQ(Cents::read(temp2->FieldByName("Price")), Currency());
    EXPECT_FALSE(temp2->FieldByName("Tax")->AsBoolean());
    EXPECT_EQ(shown(form->TotalLabel), "$0.00");

    // The right button on the code cell chooses from the item list.
    TDialogScript script;
    script.Answer([](TForm& Form) {
        auto& list = dynamic_cast<TLookupListForm&>(Form);
        TTable* items = list.Table();
        for (items->First(); !items->Eof() && Trim(items->FieldByName("ID")->AsString()) != "LENS1";)
            items->Next();
        list.SelectButton->Click();
    });
    form->ItemQmDBLookupComboMouseDown(form, mbRight, {}, 0, 0);
    EXPECT_EQ(Trim(temp2->FieldByName("Code")->AsString()), "LENS1");
    EXPECT_EQ(Trim(temp2->FieldByName("Desc")->AsString()), "Lens");
    EXPECT_EQ(shown(form->TotalLabel), "$42.00");
}

TEST_F(ReceiptFormTest, TheRateDialogKeepsATextThatIsNoNumberAndReTaxesOnlyTaxedLines) {
    choosePatient("7");
    fillLine("FRAME1");
    newLine();
    fillLine("EXAM");
    EXPECT_EQ(shown(form->TaxLabel), "$5.00");

    {
    TDialogScript script;
    TDialogAnswer answer;
    answer.Result = mrOk;
    answer.Act = [](TForm& Form) {
        auto& dialog = dynamic_cast<TSalesTaxRateDlg&>(Form);
        EXPECT_EQ(dialog.Caption(), "Sales Tax Rate");
        EXPECT_EQ(dialog.TaxRateComboBox->Text(), "5");
        EXPECT_EQ(dialog.TaxRateComboBox->Items()->Count(), 2);
        dialog.TaxRateComboBox->SetText("abc");
        EXPECT_FALSE(dialog.CloseQuery()) << "the dialog stays open";
        dialog.TaxRateComboBox->SetText("10");
    };
    script.Answer(answer).Answer(mrOk);
    form->SalesTaxRateBitBtnClick(form);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Text, "'abc' is not a valid floating point value");
    // 10 % of the taxed 100.00 only; the exam stays untaxed.
    EXPECT_EQ(shown(form->TaxLabel2), "Tax 10%");
    EXPECT_EQ(shown(form->TaxLabel), "$10.00");
    EXPECT_EQ(shown(form->TotalLabel), "$160.00");
    }

    // Choosing the patient again resets the rate and re-taxes at it.
    choosePatient("7");
    EXPECT_EQ(shown(form->TaxLabel2), "Tax 5%");
    EXPECT_EQ(shown(form->TaxLabel), "$5.00");
    EXPECT_EQ(shown(form->TotalLabel), "$155.00");
}

TEST_F(ReceiptFormTest, TheGridSwallowsTypingInAmountAndFlipsTaxWithTheTotals) {
    choosePatient("7");
    fillLine("FRAME1");
    TQmDBGrid* grid = form->LineItemDBGrid;
    grid->SetFocus();
    Application->ProcessMessages();

    grid->SetSelectedIndex(5);  // Tax
    grid->SendKey(VK_SPACE);
    EXPECT_FALSE(module->Temp2Table->FieldByName("Tax")->AsBoolean());
    EXPECT_EQ(shown(form->TaxLabel), "$0.00");
    grid->SendKey(VK_SPACE);
    EXPECT_TRUE(module->Temp2Table->FieldByName("Tax")->AsBoolean());
    EXPECT_EQ(shown(form->TaxLabel), "$5.00");

    grid->SetSelectedIndex(4);  // Amount
    grid->SendChar('7');
    grid->SendChar('\r');
    EXPECT_EQ(Cents::read(module->Temp2Table->FieldByName("Cost")), Currency(100));
    EXPECT_EQ(shown(form->TotalLabel), "$105.00");

    // The grid's own delete asks the line question and takes the line out.
    newLine();
    fillLine("EXAM");
    EXPECT_EQ(shown(form->TotalLabel), "$155.00");
    TDialogScript script;
    script.Answer(mrYes);
    grid->SendKey(VK_DELETE, {ssCtrl});
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Are you sure you want to delete this item?");
    EXPECT_EQ(shown(form->TotalLabel), "$105.00");
}

TEST_F(ReceiptFormTest, LettersInQuantityShowTheConversionMessageAndKeepTheLine) {
    choosePatient("7");
    fillLine("FRAME1");
    TQmDBGrid* grid = form->LineItemDBGrid;
    grid->SetFocus();
    grid->SetSelectedIndex(0);  // Qty
    TDialogScript script;
    script.Answer(mrOk);
    // A letter is refused at the key; a text that is no number, when the
    // cell is left.
    grid->SendChar('x');
    for (char c : std::string("1.2.3"))
        grid->SendChar(c);
    grid->SetSelectedIndex(1);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("is not a valid"), std::string::npos) << script.Shown()[0].Text;
    EXPECT_EQ(Cents::read(module->Temp2Table->FieldByName("Cost")), Currency(100));
    EXPECT_EQ(shown(form->TotalLabel), "$105.00");
    grid->DataLink()->Reset();

    // An amount too wide for its field is refused with a message.
    script.Answer(mrOk);
    TTable* temp2 = module->Temp2Table;
    temp2->Edit();
    temp2->FieldByName("Qty")->SetAsString("999");
    temp2->FieldByName("Price")->SetAsString("9999999");
    form->CalcCost();
    EXPECT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(Cents::read(temp2->FieldByName("Cost")), Currency(100));
    EXPECT_EQ(shown(form->TotalLabel), "$105.00");
}

TEST_F(ReceiptFormTest, AStoredReceiptOpensWithItsLinesLabOrderAndStoredTotals) {
    choosePatient("7");
    fillLine("FRAME1");
    newLine();
    fillLine("LENS1", "2");
    module->Temp2Table->Edit();
    module->Temp2Table->FieldByName("TYPE")->SetAsString("S");
    module->Temp2Table->FieldByName("SPHERE_R")->SetAsString("-1.25");
    module->Temp2Table->Post();
    newLine();
    fillLine("EXAM");
    ASSERT_TRUE(form->SaveReceipt());
    const std::string number = form->Document().ReceiptNumber();
    EXPECT_EQ(broken(), std::vector<std::string>{});

    form->NewBitBtnClick(form);
    ASSERT_TRUE(form->OpenReceipt(number));
    EXPECT_FALSE(module->ReceiptChanged);
    TTable* temp2 = module->Temp2Table;
    std::vector<int> items;
    for (temp2->First(); !temp2->Eof(); temp2->Next())
        items.push_back(temp2->FieldByName("Item")->AsInteger());
    EXPECT_EQ(items, (std::vector<int>{1, 2, 3}));
    goLine(2);
    EXPECT_EQ(Trim(temp2->FieldByName("TYPE")->AsString()), "S");
    EXPECT_EQ(Trim(temp2->FieldByName("SPHERE_R")->AsString()), "-1.25");
    EXPECT_EQ(shown(form->SubTotalLabel), "$230.00");
    EXPECT_EQ(shown(form->TaxLabel), "$9.00");
    EXPECT_EQ(shown(form->TotalLabel), "$239.00");
    EXPECT_EQ(form->Posted().Total, Currency(239));
    EXPECT_FALSE(form->AccountBitBtn->Enabled());
    EXPECT_FALSE(form->AccountDBEdit->Enabled());
    EXPECT_FALSE(form->NewReceiptFlag());
    keepPicture("receipt-open");

    // A number not stored opens an empty receipt with the patient open.
    ASSERT_TRUE(form->OpenReceipt("999"));
    EXPECT_TRUE(form->AccountBitBtn->Enabled());
    EXPECT_EQ(shown(form->TotalLabel), "$0.00");
    // A text that is no number is refused.
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_FALSE(form->OpenReceipt("12a"));
}

TEST_F(ReceiptFormTest, ABlankOrZeroQuantityIsShownStoredAndCountedAsOne) {
    choosePatient("7");
    TTable* temp2 = module->Temp2Table;
    // The item cell's rule leaves the quantity as typed: blank, 0, or 2.
    struct Case {
        const char* code;
        const char* qty;
        const char* shown;
    };
    const Case cases[] = {{"LENS1", "", "1"}, {"EXAM", "0", "1"}, {"LENS1", "2", "2"}};
    for (const Case& c : cases) {
        if (&c != cases)
            newLine();
        fillLine(c.code, c.qty);
        EXPECT_EQ(Trim(temp2->FieldByName("Qty")->DisplayText()), c.shown) << c.code << " qty '" << c.qty << "'";
    }
    EXPECT_EQ(shown(form->SubTotalLabel), "$170.00");
    form->SaveBitBtnClick(form);
    EXPECT_EQ(broken(), std::vector<std::string>{});

    // What the window showed is what was stored, and the stock agrees.
    std::vector<std::string> stored;
    TTable* detail = module->SalesDetailTable;
    for (detail->First(); !detail->Eof(); detail->Next())
        stored.push_back(Trim(detail->FieldByName("ITEMNO")->AsString()) + " " +
                         Trim(detail->FieldByName("QTY")->AsString()));
    EXPECT_EQ(stored, (std::vector<std::string>{"LENS1 1", "EXAM 1", "LENS1 2"}));
    TTable* items = module->ItemTable;
    items->SetIndexName("ID");
    ASSERT_TRUE(module->ItemXbase->Seek("LENS1"));
    EXPECT_EQ(Trim(items->FieldByName("QTYONHAND")->AsString()), "7");
}

TEST_F(ReceiptFormTest, SaveStartsANewReceiptAndDeleteReversesTheStoredOne) {
    choosePatient("8");
    fillLine("FRAME1");
    const BooksChecker::TSnapshot before = snapshot();
    form->SaveBitBtnClick(form);
    EXPECT_TRUE(form->NewReceiptFlag()) << "the saved receipt leaves the screen";
    EXPECT_EQ(figure("Patient 8"), Currency(105));
    EXPECT_EQ(broken(), std::vector<std::string>{});

    listSelection().SelectedReceipt.clear();
    TDialogScript script;
    script.Answer([](TForm& Form) {
        auto& list = dynamic_cast<TLookupListForm&>(Form);
        list.Table()->Last();
        list.SelectButton->Click();
    });
    form->OpenBitBtnClick(form);
    EXPECT_TRUE(form->InsClaimBitBtn->Enabled());
    EXPECT_EQ(shown(form->TotalLabel), "$105.00");
    form->DeleteBtnClick(form);
    EXPECT_TRUE(form->NewReceiptFlag());
    EXPECT_FALSE(form->InsClaimBitBtn->Enabled());
    BooksChecker::TSnapshot after = snapshot();
    after.LedgerRows = before.LedgerRows;
    EXPECT_EQ(BooksChecker::Differences(before, after), std::vector<std::string>{});
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(ReceiptFormTest, ClosingWithChangesAsksAndSaves) {
    choosePatient("7");
    fillLine("EXAM");
    ASSERT_TRUE(module->ReceiptChanged);
    TDialogScript script;
    script.Answer(mrYes);
    form->Close();
    Application->ProcessMessages();
    form = nullptr;  // freed by its close
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Changes have been made to this receipt.\r\rSave this receipt now?");
    EXPECT_EQ(figure("Patient 7"), Currency(50));
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(ReceiptFormTest, PaymentOpensThePaymentWindowOnThePatientsBalancesDue) {
    choosePatient("7");
    fillLine("FRAME1");
    const std::string number = [&] {
        TDialogScript script;
        TDialogAnswer payment;
        payment.Result = mrCancel;
        payment.Act = [&](TForm& Form) {
            auto& window = dynamic_cast<TPaymentForm&>(Form);
            EXPECT_FALSE(window.PaidWithDBCombo->ReadOnly());
            EXPECT_FALSE(window.PaymentAppliedDBEdit->ReadOnly());
            TTable* due = module->Temp4Table;
            due->First();
            ASSERT_FALSE(due->Eof());
            EXPECT_EQ(Trim(due->FieldByName("RECEIPT")->AsString()), form->Document().ReceiptNumber());
            EXPECT_EQ(Cents::read(due->FieldByName("BALANCE")), Currency(105));
        };
        // Saved first, then the payment window, closed without a payment.
        script.Answer(mrYes).Answer(payment).Answer(mrYes);
        form->PaymentBitBtn->Click();
        EXPECT_EQ(script.Shown()[0].Text, "Changes have been made to this receipt.\r\rSave this receipt now?");
        return form->Document().ReceiptNumber();
    }();
    EXPECT_FALSE(number.empty());
    EXPECT_FALSE(form->NewReceiptFlag()) << "the receipt stays on screen";
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(ReceiptFormTest, RatesAndCopiesThatAreNoNumbersCountAsZeroWithOneMessage) {
    delete form;
    form = nullptr;
    CompanyIni::File(company.DataDirectory()).Write(CompanyIni::SalesTaxRate, "abc");
    {
        TDialogScript script;
        script.Answer(mrOk);
        openForm();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_NE(script.Shown()[0].Text.find("SalesTaxRate"), std::string::npos);
        EXPECT_EQ(shown(form->TaxLabel2), "Tax 0%");
    }

    TSettingsFile ini = CompanyIni::File(company.DataDirectory());
    ini.Write(CompanyIni::ReceiptCopies, "two");
    ini.Write(CompanyIni::AltTaxRate, "x");
    TDialogScript more;
    more.Answer(mrOk).Answer(mrOk);
    EXPECT_EQ(ReceiptSettings::ReceiptCopies(company.DataDirectory()), 1);
    EXPECT_EQ(ReceiptSettings::altTaxRateText(company.DataDirectory()), "0");
    ASSERT_EQ(more.Shown().size(), 2u);
    EXPECT_NE(more.Shown()[0].Text.find("ReceiptCopies"), std::string::npos);
    EXPECT_NE(more.Shown()[1].Text.find("AltTaxRate"), std::string::npos);
}

TEST_F(ReceiptFormTest, OtherWindowsReachTheOneReceiptWindowToOpenAStoredReceipt) {
    choosePatient("8");
    fillLine("EXAM");
    ASSERT_TRUE(form->SaveReceipt());
    const std::string number = form->Document().ReceiptNumber();
    delete form;
    form = nullptr;

    registerReceiptForm();
    openStoredReceipt(Application, number);  // the way the patient history asks
    TReceiptForm* shown = nullptr;
    for (int i = 0; i < Screen->FormCount() && !shown; ++i)
        shown = dynamic_cast<TReceiptForm*>(Screen->Forms(i));
    ASSERT_NE(shown, nullptr);
    form = shown;
    EXPECT_TRUE(shown->Visible());
    EXPECT_EQ(shown->Document().ReceiptNumber(), number);
    EXPECT_EQ(Trim(shown->TotalLabel->Caption()), "$50.00");
    EXPECT_TRUE(shown->InsClaimBitBtn->Enabled());
    EXPECT_EQ(showReceipt(Application, number), shown) << "one receipt window";
}
