#include "sales/DepositForm.h"

#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "base/SysUtils.h"
#include "controls/DBKing.h"
#include "controls/KingPop.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "data/Fields.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "sales/DepositDocument.h"
#include "sales/DepositRecord.h"
#include "ui/Application.h"
#include "ui/Colors.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const NewCaption = "New Deposit";
const char* const CloseQuestion = "Close the deposit window?";
const char* const TotalsFormat = "###,##0.00";
const char* const MoneyFormat = "0.00";

// The grid's tick column; the selection stays on it.
constexpr int TagColumn = 0;

TDataModule1& Module() { return *DataModule1; }

// A figure in a lowered bevel, right-aligned.
TLabel* placeFigure(TWinControl* Parent, int Left, int Top, TBevel*& Bevel) {
    Bevel = place<TBevel>(Parent, Left, Top, 100, 22);
    auto* figure = place<TLabel>(Parent, Left + 4, Top + 4, 92, 15, "0.00");
    figure->SetAutoSize(false);
    figure->SetBounds(Left + 4, Top + 4, 92, 15);
    figure->SetAlignment(taRightJustify);
    return figure;
}

}  // namespace

TDepositForm::TDepositForm(TComponent* AOwner)
    : TForm(AOwner), document_(std::make_unique<TDepositDocument>(Module())) {
    SetName("DepositForm");
    frameDialog(this, NewCaption);
    SetBounds(0, 0, 660, 470);
    placeControls();
    FormCreate();
}

TDepositForm::~TDepositForm() = default;

void TDepositForm::placeControls() {
    TDataModule1& m = Module();
    TDataSource* header = m.Temp5Source;
    new TKingPopup(this);

    FormLayout::caption(this, 12, 12, "Date");
    DateDBKingDlg = placeBound<TDBKingDlg>(this, 60, 12, 110, 21, header, "Date");

    TypeDepositRadioGroup = place<TRadioGroup>(this, 200, 4, 310, 44, "Type of Deposit");
    TypeDepositRadioGroup->SetColumns(2);
    TypeDepositRadioGroup->Items()->Add("Currency and Checks");
    TypeDepositRadioGroup->Items()->Add("Charges");

    DepositDBGrid = place<TQmDBGrid>(this, 12, 58, 508, 250);
    DepositDBGrid->SetOptions({dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                               dgAlwaysShowSelection});
    for (const char* column : {"Tag\t4\tDep", "Date\t10\tDate", "Name\t24\tName", "Type\t6\tType",
                               "Number\t10\tNumber", "Amount\t10\tAmount"})
        DepositDBGrid->Selected()->Add(column);
    DepositDBGrid->SetDataSource(m.Temp6Source);

    CurrencyCaption = FormLayout::caption(this, 12, 322, "Currency");
    CurrencyLabel = placeFigure(this, 100, 322, CurrencyBevel);
    CoinsCaption = FormLayout::caption(this, 12, 350, "Coins");
    CoinsDBEdit = placeBound<TDBEdit>(this, 100, 350, 100, 22, header, "CoinTotal");
    ChecksCaption = FormLayout::caption(this, 12, 378, "Checks");
    ChecksLabel = placeFigure(this, 100, 378, ChecksBevel);
    BatchNoCaption = FormLayout::caption(this, 12, 322, "Batch Number");
    BatchNoDBEdit = placeBound<TDBEdit>(this, 100, 322, 100, 22, header, "BatchNo");
    TotalCaption = FormLayout::caption(this, 300, 350, "Deposit Total");
    TotalLabel = placeFigure(this, 400, 350, TotalBevel);

    ButtonPanel = place<TPanel>(this, 536, 0, 124, 470);
    ButtonPanel->SetCaption("");
    TButtonColumn button(ButtonPanel, 18);
    SaveBtn = button("SaveBtn", "&Save");
    OpenBtn = button("OpenBtn", "&Open");
    PrintBtn = button("PrintBtn", "&Print");
    DeleteBtn = button("DeleteBtn", "&Delete");
    NewBtn = button("NewBtn", "&New");

    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetName("ReportSystem1");
    ReportSystem1->SetDefaultDest(rdPrinter);
    ReportSystem1->SetSystemSetups({ssAllowSetup, ssAllowCopies, ssAllowCollate, ssAllowDuplex, ssAllowDestPreview,
                                    ssAllowDestPrinter, ssAllowPrinterSetup, ssAllowPreviewSetup});
    TSystemPrinter* page = ReportSystem1->SystemPrinter();
    page->SetMarginLeft(0.25);
    page->SetMarginRight(0.25);
    page->SetMarginTop(0.5);
    page->SetMarginBottom(0.5);
    page->SetUnits(unInch);
    page->SetUnitsFactor(1);
    bindEvent(ReportSystem1->OnPrint, this, &TDepositForm::ReportSystem1Print);
    bindEvent(ReportSystem1->OnBeforePrint, this, &TDepositForm::ReportSystem1BeforePrint);
    bindEvent(ReportSystem1->OnAfterPrint, this, &TDepositForm::ReportSystem1AfterPrint);

    bindEvent(OnShow, this, &TDepositForm::FormShow);
    bindEvent(OnClose, this, &TDepositForm::FormClose);
    bindEvent(TypeDepositRadioGroup->OnClick, this, &TDepositForm::TypeDepositRadioGroupClick);
    bindEvent(DepositDBGrid->OnDblClick, this, &TDepositForm::DepositDBGridDblClick);
    bindEvent(DepositDBGrid->OnKeyDown, this, &TDepositForm::DepositDBGridKeyDown);
    bindEvent(DepositDBGrid->OnKeyUp, this, &TDepositForm::DepositDBGridKeyUp);
    bindEvent(DepositDBGrid->OnColEnter, this, &TDepositForm::DepositDBGridColEnter);
    bindEvent(DepositDBGrid->OnEnter, this, &TDepositForm::DepositDBGridColEnter);
    bindEvent(DepositDBGrid->OnMouseUp, this, &TDepositForm::DepositDBGridMouseUp);
    bindEvent(DepositDBGrid->OnMouseDown, this, &TDepositForm::DepositDBGridMouseDown);
    bindEvent(CoinsDBEdit->OnExit, this, &TDepositForm::CalcDeposit2);
    bindEvent(BatchNoDBEdit->OnExit, this, &TDepositForm::CalcDeposit2);
    bindEvent(SaveBtn->OnClick, this, &TDepositForm::SaveBtnClick);
    bindEvent(OpenBtn->OnClick, this, &TDepositForm::OpenBtnClick);
    bindEvent(PrintBtn->OnClick, this, &TDepositForm::PrintBtnClick);
    bindEvent(DeleteBtn->OnClick, this, &TDepositForm::DeleteBtnClick);
    bindEvent(NewBtn->OnClick, this, &TDepositForm::NewBtnClick);
}

void TDepositForm::FormCreate() {
    saved_ = false;
    SetCaption(NewCaption);
    Module().Temp6RowLimit = 0;
    document_->NewDeposit(Date());
    showMoneyInCents();
    settingType_ = true;
    TypeDepositRadioGroup->SetItemIndex(TDepositDocument::CurrencyAndChecks);
    settingType_ = false;
    setOpenedState(false);
    showTypeControls();
    showTotals();
}

void TDepositForm::showMoneyInCents() {
    if (auto* amount = dynamic_cast<TNumericField*>(Module().Temp6Table->FindField("Amount")))
        amount->SetDisplayFormat(MoneyFormat);
    if (auto* coins = dynamic_cast<TNumericField*>(Module().Temp5Table->FindField("CoinTotal")))
        coins->SetDisplayFormat(MoneyFormat);
}

void TDepositForm::FormShow(TObject*) {
    if (!DeleteBtn->Enabled())
        document_->ResetTaggedItems();
}

void TDepositForm::setOpenedState(bool Opened) {
    SaveBtn->SetEnabled(!Opened);
    PrintBtn->SetEnabled(Opened);
    NewBtn->SetEnabled(Opened);
    DeleteBtn->SetEnabled(Opened);
    setEditable(DateDBKingDlg, !Opened);
    setEditable(CoinsDBEdit, !Opened);
    setEditable(BatchNoDBEdit, !Opened);
    DepositDBGrid->SetReadOnly(Opened);
    TypeDepositRadioGroup->SetEnabled(!Opened && document_->DepositTotal() == Currency());
}

void TDepositForm::showTypeControls() {
    const bool charges = document_->DepositType() == TDepositDocument::Charges;
    for (TControl* c : std::initializer_list<TControl*>{CurrencyCaption, CurrencyBevel, CurrencyLabel, CoinsCaption,
                                                        CoinsDBEdit, ChecksCaption, ChecksBevel, ChecksLabel})
        c->SetVisible(!charges);
    BatchNoCaption->SetVisible(charges);
    BatchNoDBEdit->SetVisible(charges);
}

void TDepositForm::showTotals() {
    CurrencyLabel->SetCaption(FormatCurr(TotalsFormat, document_->CurrencyTotal()));
    ChecksLabel->SetCaption(FormatCurr(TotalsFormat, document_->Checks()));
    TotalLabel->SetCaption(FormatCurr(TotalsFormat, document_->DepositTotal()));
}

void TDepositForm::TypeDepositRadioGroupClick(TObject*) {
    if (settingType_)
        return;
    document_->SelectType(TypeDepositRadioGroup->ItemIndex());
    showTypeControls();
    showTotals();
}

// A stored deposit's ticks stay: its delete gives back exactly the ticked payments.
void TDepositForm::DepositDBGridDblClick(TObject*) {
    if (DepositDBGrid->ReadOnly())
        return;
    document_->ToggleTag();
    document_->CalcDeposit();
    showTotals();
}

void TDepositForm::DepositDBGridKeyDown(TObject*, Word& Key, TShiftState) {
    if (DepositDBGrid->ReadOnly())
        return;
    if (Key == VK_TAB || Key == VK_DOWN) {
        NextRecord();
        Key = 0;
    } else if (Key == VK_SPACE) {
        DepositDBGridDblClick(DepositDBGrid);
        Key = 0;
    }
}

void TDepositForm::NextRecord() {
    TTable* temp6 = Module().Temp6Table;
    temp6->Next();
    if (temp6->Eof())
        temp6->Last();
}

void TDepositForm::DepositDBGridColEnter(TObject*) {
    if (DepositDBGrid->SelectedIndex() != TagColumn)
        DepositDBGrid->SetSelectedIndex(TagColumn);
}

void TDepositForm::DepositDBGridMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    TypeDepositRadioGroup->SetEnabled(!DeleteBtn->Enabled() && document_->DepositTotal() == Currency());
}

void TDepositForm::DepositDBGridKeyUp(TObject*, Word&, TShiftState) {
    TypeDepositRadioGroup->SetEnabled(!DeleteBtn->Enabled() && document_->DepositTotal() == Currency());
}

void TDepositForm::DepositDBGridMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button != mbRight || !DeleteBtn->Enabled())
        return;
    TTable* payments = Module().PaymentTable;
    const std::string tag = payments->IndexName();
    payments->SetIndexName("ID");
    TAddPaymentNumberForm dialog(this);
    dialog.ShowModal();
    payments->SetIndexName(tag);
}

void TDepositForm::CalcDeposit2(TObject*) {
    if (DepositDBGrid->ReadOnly())
        return;
    document_->CalcDeposit2();
    showTotals();
}

void TDepositForm::SaveBtnClick(TObject*) {
    if (!whileGridHeld([this] { return document_->SaveDeposit(); }))
        return;
    saved_ = true;
    OpenDeposit();
}

// The totals are replaced only when a deposit is chosen: a list closed
// without a choice leaves the deposit on screen, its ticks and totals, as it was.
void TDepositForm::OpenBtnClick(TObject*) {
    listSelection().SelectedDepositID.clear();
    OpenForm(this, {.ClassName = "TDepositLookupList", .Caption = "Deposit Lookup", .Style = osModal});
    const std::string chosen = Trim(listSelection().SelectedDepositID);
    if (chosen.empty() || !document_->OpenDeposit(chosen))
        return;
    OpenDeposit();
}

void TDepositForm::OpenDeposit() {
    showMoneyInCents();
    settingType_ = true;
    TypeDepositRadioGroup->SetItemIndex(document_->DepositType());
    settingType_ = false;
    showTypeControls();
    showTotals();
    SetCaption("Deposit " + document_->SelectedDepositID());
    setOpenedState(true);
    Module().Temp6Table->First();
}

void TDepositForm::DeleteBtnClick(TObject*) {
    if (whileGridHeld([this] { return document_->DeleteDeposit(Date()); }))
        NewBtnClick(this);
}

bool TDepositForm::whileGridHeld(const std::function<bool()>& Work) {
    THourGlass hourGlass;
    DepositDBGrid->SetEnabled(false);
    const bool done = Work();
    DepositDBGrid->SetEnabled(true);
    return done;
}

void TDepositForm::NewBtnClick(TObject*) { FormCreate(); }

void TDepositForm::PrintBtnClick(TObject*) { ReportSystem1->Execute(); }

void TDepositForm::ReportSystem1BeforePrint(TObject*) {
    DepositDBGrid->SetEnabled(false);
    Module().Temp6Table->First();
}

void TDepositForm::ReportSystem1AfterPrint(TObject*) {
    DepositDBGrid->SetEnabled(true);
    Module().Temp6Table->First();
}

void TDepositForm::ReportSystem1Print(TObject* Sender) {
    if (auto* report = dynamic_cast<TBaseReport*>(Sender))
        printDepositRecord(*report, depositRecordOf(Module(), *document_));
}

void TDepositForm::FormClose(TObject*, TCloseAction& Action) {
    if (!saved_ && MessageDlg(CloseQuestion, mtConfirmation, {mbYes, mbNo}) != mrYes) {
        Action = caNone;
        return;
    }
    Module().Temp6Xbase->SetFilter("");
    Action = caFree;
}

// ---------------------------------------------------------------- TAddPaymentNumberForm

TAddPaymentNumberForm::TAddPaymentNumberForm(TComponent* AOwner) : TForm(AOwner) {
    TDataModule1& m = Module();
    SetName("AddPaymentNumberForm");
    frameDialog(this, "Add Payment Number");
    SetBounds(0, 0, 420, 250);
    TDataSource* item = m.Temp6Source;
    FormLayout::caption(this, 12, 12, "Name");
    NameDBEdit = placeBound<TDBEdit>(this, 100, 12, 300, 21, item, "Name");
    FormLayout::caption(this, 12, 40, "Amount");
    AmountDBEdit = placeBound<TDBEdit>(this, 100, 40, 100, 21, item, "Amount");
    FormLayout::caption(this, 12, 68, "Number");
    NumberDBEdit = placeBound<TDBEdit>(this, 100, 68, 100, 21, item, "Number");
    FormLayout::caption(this, 220, 40, "Type");
    TypeDBEdit = placeBound<TDBEdit>(this, 300, 40, 100, 21, item, "Type");
    for (TDBEdit* shown : {NameDBEdit, AmountDBEdit, NumberDBEdit, TypeDBEdit})
        setEditable(shown, false);
    MessageLabel = place<TLabel>(this, 12, 100, 390, 34,
                                 "This deposit item is not associated with a payment.  Please select a payment "
                                 "number below.");
    MessageLabel->SetAutoSize(false);
    MessageLabel->SetBounds(12, 100, 390, 34);
    MessageLabel->SetWordWrap(true);
    PaymentIDEdit = place<TQmDBLookupCombo>(this, 100, 144, 200, 21);
    PaymentIDEdit->SetLookupTable(m.PaymentTable);
    PaymentIDEdit->SetLookupField("ID");
    for (const char* column : {"ID\t10\tPayment No.", "DATE\t10\tDate", "PATID\t10\tPatient ID", "NAME\t20\tName",
                               "PAIDWITH\t6\tPaid With", "AMOUNT\t10\tAmount", "CHECKNO\t10\tNumber"})
        PaymentIDEdit->Selected()->Add(column);
    PaymentIDEdit->SetDataSource(item);
    PaymentIDEdit->SetDataField("PaymentID");
    OKBtn = place<TBitBtn>(this, 120, 190, 80, 28, "OK");
    CancelBtn = place<TBitBtn>(this, 220, 190, 80, 28, "Cancel");
    bindEvent(OKBtn->OnClick, this, &TAddPaymentNumberForm::OKBtnClick);
    bindEvent(CancelBtn->OnClick, this, &TAddPaymentNumberForm::CancelBtnClick);
    bindEvent(OnClose, this, &TAddPaymentNumberForm::FormClose);
    FormCreate();
}

void TAddPaymentNumberForm::FormCreate() { confirmed_ = false; }

void TAddPaymentNumberForm::OKBtnClick(TObject*) {
    confirmed_ = true;
    Close();
}

void TAddPaymentNumberForm::CancelBtnClick(TObject*) { Close(); }

void TAddPaymentNumberForm::FormClose(TObject*, TCloseAction& Action) {
    TDataModule1& m = Module();
    TTable* temp6 = m.Temp6Table;
    if (temp6->State() == dsEdit || temp6->State() == dsInsert)
        temp6->Post();
    // The chosen payment's money received is what a deposit line stores.
    const std::string chosen = Trim(temp6->FieldByName("PaymentID")->AsString());
    TTable* payments = m.PaymentTable;
    const bool found = !chosen.empty() && chosen != "0" && m.PaymentXbase->Seek(chosen) && !payments->Eof();
    const Currency received = found ? Cents::read(payments->FieldByName("AMOUNT")) -
                                          Cents::read(payments->FieldByName("TOTALPAID"))
                                    : Currency();
    if (found && received == Cents::read(temp6->FieldByName("Amount"))) {
        SetModalResult(mrOk);
        return;
    }
    if (confirmed_) {
        ShowMessage("The amount of the payment item you selected doe not match the amount of the deposit item.  "
                    "Please select another payment item.");
        confirmed_ = false;
        Action = caNone;
        return;
    }
    temp6->Edit();
    temp6->FieldByName("PaymentID")->SetAsString("0");
    temp6->Post();
    SetModalResult(mrCancel);
}

void registerDepositForm() {
    RegisterClass<TDepositForm>();
    registerSingleInstance("TDepositForm");
}
