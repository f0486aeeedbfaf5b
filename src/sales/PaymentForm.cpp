#include "sales/PaymentForm.h"

#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "controls/DBKing.h"
#include "controls/KingPop.h"
#include "controls/Qmdbgrid.h"
#include "data/Fields.h"
#include "sales/CashDrawer.h"
#include "sales/PaymentDocument.h"
#include "serial/SerPort.h"
#include "ui/Colors.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const NewCaption = "New Payment/Refund";
const char* const CloseQuestion = "Close the payment window?";
const char* const NoPatientForStatement = "Select a patient by clicking on the account lookup button.";

// The distribution grid's columns; the amount applied is the fifth.
constexpr int AmountColumn = 2;
constexpr int PaymentColumn = 4;
const char* const MoneyFormat = "0.00";

TDataModule1& Module() { return *DataModule1; }

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

TPaymentForm::TPaymentForm(TComponent* AOwner)
    : TForm(AOwner), document_(std::make_unique<TPaymentDocument>(Module())) {
    SetName("PaymentForm");
    frameDialog(this, NewCaption);
    SetBounds(0, 0, 640, 468);
    placeControls();

    SerComPort1 = new TSerComPort(this);
    SerComPort1->SetName("SerComPort1");
    SerComPort1->SetAutoOpen(false);
    cashDrawer_ = std::make_unique<TCashDrawer>(SerComPort1);
    TSettingsFile workstation = Vo97Ini::File();
    const bool drawer = cashDrawer_->Open(workstation.Read(Vo97Ini::CashDrawerPort),
                                          workstation.Read(Vo97Ini::CashDrawerControlCode));
    CashDrawerBtn->SetEnabled(drawer);

    // The receipt's Payment button and the patient list fill this window.
    listSelection().AddBalancesDue = [this] { AddBalancesDue(nullptr); };
    FormCreate();
}

TPaymentForm::~TPaymentForm() {
    listSelection().AddBalancesDue = nullptr;
    cashDrawer_.reset();
}

void TPaymentForm::showMoneyInCents() {
    TDataModule1& m = Module();
    for (const char* name :
         {"AMOUNT", "BALANCE", "PYMTAPP", "CREDITAPP", "TOTALPAID", "CREDIT", "TENDERED", "CHANGE", "NetBalDue"})
        if (auto* field = dynamic_cast<TNumericField*>(m.Temp3Table->FindField(name)))
            field->SetDisplayFormat(MoneyFormat);
    for (const char* name : {"AMOUNT", "BALANCE", "PAYMENT"})
        if (auto* field = dynamic_cast<TNumericField*>(m.Temp4Table->FindField(name)))
            field->SetDisplayFormat(MoneyFormat);
}

void TPaymentForm::placeControls() {
    TDataModule1& m = Module();
    TDataSource* header = m.Temp3Source;
    new TKingPopup(this);

    FormLayout::caption(this, 12, 12, "Date");
    DBKingDlg1 = placeBound<TDBKingDlg>(this, 132, 12, 110, 21, header, "DATE");
    FormLayout::caption(this, 260, 12, "Payment Method");
    PaidWithDBCombo = placeBound<TDBComboBox>(this, 360, 12, 100, 21, header, "PAIDWITH");
    PaidWithDBCombo->SetStyle(csDropDownList);
    for (const char* method : {"Cash", "Check", "Charge"})
        PaidWithDBCombo->Items()->Add(method);
    CheckNumberLabel = FormLayout::caption(this, 260, 40, "Check Number");
    CheckNoDBEdit = placeBound<TDBEdit>(this, 360, 40, 100, 21, header, "CHECKNO");

    FormLayout::caption(this, 12, 40, "Account");
    AccountDBEdit = placeBound<TDBEdit>(this, 132, 40, 86, 21, header, "PATID");
    AccountBitBtn = place<TBitBtn>(this, 220, 40, 22, 21, "...");
    FormLayout::caption(this, 12, 68, "Patient");
    PatientDBEdit = placeBound<TDBEdit>(this, 132, 68, 328, 21, header, "NAME");
    for (TDBEdit* shown : {AccountDBEdit, PatientDBEdit})
        setEditable(shown, false);

    PaymentDBGrid = place<TQmDBGrid>(this, 12, 100, 492, 150);
    PaymentDBGrid->SetOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                               dgAlwaysShowSelection});
    for (const char* column :
         {"DATE\t10\tDATE", "RECEIPT\t10\tRECEIPT", "AMOUNT\t10\tAMOUNT", "BALANCE\t10\tBALANCE",
          "PAYMENT\t10\t    APPLY"})
        PaymentDBGrid->Selected()->Add(column);
    PaymentDBGrid->SetDataSource(m.Temp4Source);

    // The patient's receipts on the left, the payment on the right.
    BalanceLabel = FormLayout::caption(this, 12, 262, "Total Due on Receipts");
    BalanceDBEdit = placeBound<TDBEdit>(this, 150, 262, 90, 21, header, "BALANCE");
    CreditLabel = FormLayout::caption(this, 12, 290, "Credit Available");
    CreditDBEdit = placeBound<TDBEdit>(this, 150, 290, 90, 21, header, "CREDIT");
    NetBalanceDueLabel = FormLayout::caption(this, 12, 318, "Net Balance Due");
    NetBalanceDueDBEdit = placeBound<TDBEdit>(this, 150, 318, 90, 21, header, "NetBalDue");
    FormLayout::caption(this, 12, 360, "Total Distribution");
    TotalDistributionEdit = place<TEdit>(this, 150, 360, 90, 21);
    TotalDistributionEdit->SetText("0");
    setEditable(TotalDistributionEdit, false);
    for (TDBEdit* shown : {BalanceDBEdit, CreditDBEdit, NetBalanceDueDBEdit})
        setEditable(shown, false);

    FormLayout::caption(this, 270, 262, "Amount Tendered");
    TenderedDBEdit = placeBound<TDBEdit>(this, 414, 262, 90, 21, header, "TENDERED");
    FormLayout::caption(this, 270, 290, "Payment/Refund");
    PaymentAppliedDBEdit = placeBound<TDBEdit>(this, 414, 290, 90, 21, header, "PYMTAPP");
    FormLayout::caption(this, 270, 318, "Credit to Apply");
    CreditAppDBEdit = placeBound<TDBEdit>(this, 414, 318, 90, 21, header, "CREDITAPP");
    FormLayout::caption(this, 270, 360, "Total Payment");
    AmountPaidDBEdit = placeBound<TDBEdit>(this, 414, 360, 90, 21, header, "AMOUNT");
    FormLayout::caption(this, 270, 388, "Change Due");
    ChangeDBEdit = placeBound<TDBEdit>(this, 414, 388, 90, 21, header, "CHANGE");
    setEditable(ChangeDBEdit, false);
    DBEdit1 = placeBound<TDBEdit>(this, 150, 388, 90, 21, header, "TOTALPAID");
    DBEdit1->SetVisible(false);

    ButtonPanel = place<TPanel>(this, 520, 0, 120, 468);
    ButtonPanel->SetCaption("");
    TButtonColumn button(ButtonPanel, 16);
    SaveBtn = button("SaveBtn", "&Save");
    OpenBitBtn = button("OpenBitBtn", "&Open");
    CashDrawerBtn = button("CashDrawerBtn", "Cash Drawer");
    DeleteBtn = button("DeleteBtn", "&Delete");
    NewBtn = button("NewBtn", "&New");
    StatementBtn = button("StatementBtn", "&Statement");
    DeleteBtn->SetEnabled(false);

    bindEvent(OnActivate, this, &TPaymentForm::FormActivate);
    bindEvent(OnClose, this, &TPaymentForm::FormClose);
    bindEvent(AccountBitBtn->OnClick, this, &TPaymentForm::AccountBitBtnClick);
    bindEvent(AccountDBEdit->OnClick, this, &TPaymentForm::AccountBitBtnClick);
    bindEvent(PatientDBEdit->OnClick, this, &TPaymentForm::AccountBitBtnClick);
    bindEvent(PaidWithDBCombo->OnChange, this, &TPaymentForm::PaidWithDBComboChange);
    for (TDBEdit* figure : {AmountPaidDBEdit, TenderedDBEdit, PaymentAppliedDBEdit})
        bindEvent(figure->OnExit, this, &TPaymentForm::TotalAmountPaid);
    bindEvent(CreditAppDBEdit->OnExit, this, &TPaymentForm::CreditAppDBEditExit);
    bindEvent(PaymentDBGrid->OnColEnter, this, &TPaymentForm::PaymentDBGridColEnter);
    bindEvent(PaymentDBGrid->OnColExit, this, &TPaymentForm::PaymentDBGridColExit);
    bindEvent(PaymentDBGrid->OnEnter, this, &TPaymentForm::PaymentDBGridEnter);
    bindEvent(PaymentDBGrid->OnKeyDown, this, &TPaymentForm::PaymentDBGridKeyDown);
    bindEvent(DBEdit1->OnChange, this, &TPaymentForm::DBEdit1Change);
    bindEvent(CashDrawerBtn->OnClick, this, &TPaymentForm::CashDrawerBtnClick);
    bindEvent(StatementBtn->OnClick, this, &TPaymentForm::StatementBtnClick);
    bindEvent(NewBtn->OnClick, this, &TPaymentForm::NewBtnClick);
    bindEvent(SaveBtn->OnClick, this, &TPaymentForm::SaveBtnClick);
    bindEvent(OpenBitBtn->OnClick, this, &TPaymentForm::OpenBitBtnClick);
    bindEvent(DeleteBtn->OnClick, this, &TPaymentForm::DeleteBtnClick);
}

void TPaymentForm::FormCreate() {
    storedPayment_ = false;
    listSelection().SelectedPaymentID.clear();
    Module().Temp4RowLimit = 0;
    CreateTempFiles();
    for (TDBEdit* figure : {TenderedDBEdit, PaymentAppliedDBEdit, CreditAppDBEdit})
        setEditable(figure, false);
    setEditable(PaymentDBGrid, false);
    Module().SalesXbase->SetScope("", "");
    PaidWithDBComboChange(this);
    showTotalDistribution();
}

void TPaymentForm::CreateTempFiles() {
    document_->CreateTempFiles(Date());
    showMoneyInCents();
}

void TPaymentForm::AccountBitBtnClick(TObject*) {
    Module().Temp4RowLimit = 0;
    OpenForm(this, {.ClassName = "TPatientLookupList3", .Caption = "Patient Lookup", .Style = osModal});
    SetCaption(NewCaption);
    showBalances(true);
    SaveBtn->SetEnabled(true);
    setEntryState();
}

void TPaymentForm::AddBalancesDue(TObject* Sender) {
    TDataModule1& m = Module();
    std::string patID, name;
    if (Sender == this) {
        patID = Trim(m.Temp3Table->FieldByName("PATID")->AsString());
        name = m.Temp3Table->FieldByName("NAME")->AsString();
    } else {
        patID = Trim(m.PatientTable->FieldByName("ID")->AsString());
        name = m.PatientTable->FieldByName("Name")->AsString();
    }
    Module().Temp4RowLimit = 0;
    document_->AddBalancesDue(patID, name, Date());
    showMoneyInCents();
    showTotalDistribution();
    setEntryState();
}

void TPaymentForm::setEntryState() {
    const bool due = document_->HasBalancesDue();
    setEditable(DBKingDlg1, due);
    setEditable(PaidWithDBCombo, due);
    setEditable(PaymentDBGrid, due);
    setEditable(CreditAppDBEdit, false);
    if (due) {
        PaidWithDBComboChange(this);
    } else {
        setEditable(TenderedDBEdit, false);
        setEditable(PaymentAppliedDBEdit, false);
    }
    if (DBKingDlg1->CanFocus())
        DBKingDlg1->SetFocus();
    Module().Temp4Table->First();
}

void TPaymentForm::PaidWithDBComboChange(TObject*) {
    const std::string method = upper(Trim(PaidWithDBCombo->Text()));
    const bool number = method == "CHECK" || method == "CHARGE";
    CheckNumberLabel->SetCaption(method == "CHARGE" ? "Approval Code" : "Check Number");
    CheckNumberLabel->SetVisible(number);
    CheckNoDBEdit->SetVisible(number);
    if (number)
        setEditable(CheckNoDBEdit, true);
    const bool amounts = !method.empty();
    setEditable(TenderedDBEdit, amounts);
    setEditable(PaymentAppliedDBEdit, amounts);
}

void TPaymentForm::TotalAmountPaid(TObject*) { document_->TotalAmountPaid(); }

void TPaymentForm::CreditAppDBEditExit(TObject*) { document_->CheckCreditApplied(); }

void TPaymentForm::CalcPayment() {
    document_->CalcPayment();
    showTotalDistribution();
}

void TPaymentForm::PaymentDBGridColEnter(TObject*) {
    if (PaymentDBGrid->SelectedIndex() != PaymentColumn)
        PaymentDBGrid->SetSelectedIndex(PaymentColumn);
    Module().PreviousPayment = Cents::read(Module().Temp4Table->FieldByName("PAYMENT")).Raw();
}

void TPaymentForm::PaymentDBGridColExit(TObject*) { CalcPayment(); }

void TPaymentForm::PaymentDBGridEnter(TObject*) {
    Module().Temp4RowLimit = Module().Temp4Xbase->RecCount();
    Module().Temp4Table->First();
    PaymentDBGrid->SetSelectedIndex(AmountColumn);
}

void TPaymentForm::PaymentDBGridKeyDown(TObject*, Word& Key, TShiftState) {
    if (Key == VK_TAB || Key == VK_DOWN) {
        NextRecord();
        Key = 0;
    } else if (Key == VK_RETURN) {
        CalcPayment();
    }
    if (!PaymentDBGrid->ReadOnly() && !document_->CheckRowHasReceipt())
        showTotalDistribution();
}

void TPaymentForm::NextRecord() {
    CalcPayment();
    TTable* temp4 = Module().Temp4Table;
    temp4->Next();
    if (temp4->Eof()) {
        temp4->Last();
        if (PaidWithDBCombo->CanFocus())
            PaidWithDBCombo->SetFocus();
    }
}

void TPaymentForm::DBEdit1Change(TObject*) { showTotalDistribution(); }

void TPaymentForm::showTotalDistribution() {
    TotalDistributionEdit->SetText(CurrToStrF(document_->TotalDistribution(), ffCurrency, 2));
}

void TPaymentForm::showBalances(bool Visible) {
    for (TControl* c : std::initializer_list<TControl*>{BalanceLabel, BalanceDBEdit, CreditLabel, CreditDBEdit,
                                                        NetBalanceDueLabel, NetBalanceDueDBEdit})
        c->SetVisible(Visible);
}

void TPaymentForm::FormActivate(TObject*) {
    // The running totals belong to the scratch tables and are zeroed with
    // them; zeroing them here would lose the distribution every time a
    // message box gives the focus back.
    showTotalDistribution();
}

void TPaymentForm::CashDrawerBtnClick(TObject*) { cashDrawer_->Kick(); }

void TPaymentForm::StatementBtnClick(TObject*) {
    TDataModule1& m = Module();
    const std::string patID = Trim(m.Temp3Table->FieldByName("PATID")->AsString());
    m.PatientTable->SetIndexName("ID");
    if (patID.empty() || !m.Xbase1->Seek(patID) || m.PatientTable->Eof()) {
        ShowMessage(NoPatientForStatement);
        return;
    }
    OpenForm(this, {.ClassName = "TStatementWalkoutReport", .Caption = "&Statement", .Style = osHidden});
}

void TPaymentForm::openForEntry() {
    setEditable(DBKingDlg1, true);
    setEditable(PaidWithDBCombo, true);
    setEditable(CheckNoDBEdit, true);
    setEditable(TenderedDBEdit, true);
    setEditable(PaymentAppliedDBEdit, true);
    setEditable(PaymentDBGrid, true);
}

void TPaymentForm::NewBtnClick(TObject*) {
    FormCreate();
    openForEntry();
    DeleteBtn->SetEnabled(false);
    SaveBtn->SetEnabled(true);
    storedPayment_ = true;
    NewBtn->SetEnabled(false);
    Module().Temp4Table->First();
    AccountBitBtnClick(this);
}

void TPaymentForm::FormClose(TObject*, TCloseAction& Action) {
    if (!storedPayment_ && MessageDlg(CloseQuestion, mtConfirmation, {mbYes, mbNo}) != mrYes) {
        Action = caNone;
        return;
    }
    cashDrawer_->Close();
    Module().Temp4Table->SetFiltered(false);
    Action = caFree;
}

void TPaymentForm::SaveBtnClick(TObject*) {
    PaymentDBGrid->SetEnabled(false);
    const bool saved = document_->SavePayment();
    PaymentDBGrid->SetEnabled(true);
    if (!saved)
        return;
    SetCaption("Payment/Refund " + document_->PaymentID());
    for (TDBEdit* edit : {CheckNoDBEdit, TenderedDBEdit, PaymentAppliedDBEdit, CreditAppDBEdit})
        setEditable(edit, false);
    setEditable(DBKingDlg1, false);
    setEditable(PaidWithDBCombo, false);
    setEditable(PaymentDBGrid, false);
    SaveBtn->SetEnabled(false);
    FormCreate();
    // The reset must not make closing ask about the payment just stored.
    storedPayment_ = true;
}

void TPaymentForm::OpenBitBtnClick(TObject*) {
    listSelection().SelectedPaymentID.clear();
    OpenForm(this, {.ClassName = "TPaymentLookupList", .Caption = "Payment Lookup", .Style = osModal});
    const std::string chosen = Trim(listSelection().SelectedPaymentID);
    if (chosen.empty())
        return;
    SetCaption("Payment/Refund " + chosen);
    OpenPayment();
    NewBtn->SetEnabled(true);
    Module().Temp4Table->SetFiltered(false);
    showBalances(false);
    Module().Temp4Table->First();
    for (TDBEdit* edit : {CheckNoDBEdit, TenderedDBEdit, PaymentAppliedDBEdit, CreditAppDBEdit})
        setEditable(edit, false);
    setEditable(DBKingDlg1, false);
    setEditable(PaidWithDBCombo, false);
    setEditable(PaymentDBGrid, false);
    DeleteBtn->SetEnabled(true);
    SaveBtn->SetEnabled(false);
    storedPayment_ = true;
}

void TPaymentForm::OpenPayment() {
    const std::string id = Trim(listSelection().SelectedPaymentID);
    document_->OpenPayment(id, Date());
    showMoneyInCents();
    if (!document_->DepositID().empty())
        SetCaption("Payment " + id + "  Deposit# " + document_->DepositID());
    TotalDistributionEdit->SetText(CurrToStrF(document_->TotalPayment(), ffCurrency, 2));
    PaidWithDBComboChange(this);
    setEditable(CheckNoDBEdit, false);
    setEditable(TenderedDBEdit, false);
    setEditable(PaymentAppliedDBEdit, false);
}

void TPaymentForm::DeleteBtnClick(TObject*) {
    Module().Temp4Table->SetFiltered(false);
    if (!document_->DeletePayment())
        return;
    FormCreate();
    SetCaption(NewCaption);
    showBalances(true);
    DeleteBtn->SetEnabled(false);
}

void registerPaymentForm() {
    RegisterClass<TPaymentForm>();
    registerSingleInstance("TPaymentForm");
}
