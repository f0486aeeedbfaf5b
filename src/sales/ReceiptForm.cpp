#include "sales/ReceiptForm.h"

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/ListSelection.h"
#include "app/LookupListMembers.h"
#include "app/ReceiptNumbers.h"
#include "app/ReceiptOpener.h"
#include "base/DateTime.h"
#include "controls/ControlKit.h"
#include "controls/DBKing.h"
#include "controls/KingPop.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "data/Fields.h"
#include "base/SysUtils.h"
#include "sales/ReceiptClaimDlg.h"
#include "sales/ReceiptSettings.h"
#include "ui/Application.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const ReceiptClass = "TReceiptForm";
const char* const UnsavedQuestion = "Changes have been made to this receipt.\r\rSave this receipt now?";

TDBEdit* placeShownField(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source,
                         const std::string& Field) {
    auto* edit = placeBound<TDBEdit>(Parent, Left, Top, Width, 21, Source, Field);
    edit->SetReadOnly(true);
    edit->SetTabStop(false);
    edit->SetColor(clBtnFace);
    return edit;
}

TBitBtn* placeButton(TForm* Form, int Left, int Top, const std::string& Caption) {
    return place<TBitBtn>(Form, Left, Top, 75, 25, Caption);
}

}  // namespace

TReceiptForm::TReceiptForm(TComponent* AOwner) : TForm(AOwner), module_(*DataModule1) {
    SetName("ReceiptForm");
    SetCaption("Receipt");
    SetClientWidth(640);
    SetClientHeight(468);
    buildHeader();
    buildLines();
    buildTotalsAndButtons();
    buildReportSystem();

    bindEvent(OnCreate, this, &TReceiptForm::FormCreate);
    bindEvent(OnShow, this, &TReceiptForm::FormShow);
    bindEvent(OnClose, this, &TReceiptForm::FormClose);
}

TReceiptForm::~TReceiptForm() = default;

void TReceiptForm::buildHeader() {
    TDataSource* header = module_.Temp1Source;
    FormLayout::caption(this, 8, 8, "Account");
    AccountDBEdit = placeBound<TDBEdit>(this, 64, 8, 90, 21, header, "PATID");
    AccountDBEdit->SetReadOnly(true);
    AccountDBEdit->SetEnabled(false);
    bindEvent(AccountDBEdit->OnChange, this, &TReceiptForm::AccountDBEditChange);
    AccountBitBtn = place<TBitBtn>(this, 156, 8, 23, 21, "...");
    bindEvent(AccountBitBtn->OnClick, this, &TReceiptForm::AccountBitBtnClick);
    NameDBEdit = placeShownField(this, 64, 32, 230, header, "NAME");
    AddressDBEdit = placeShownField(this, 64, 56, 230, header, "ADDR");
    CityDBEdit = placeShownField(this, 64, 80, 130, header, "CITY");
    StateDBEdit = placeShownField(this, 196, 80, 30, header, "STATE");
    ZipDBEdit = placeShownField(this, 228, 80, 66, header, "ZIP");

    FormLayout::caption(this, 340, 8, "Receipt");
    ReceiptDBEdit = placeBound<TDBEdit>(this, 404, 8, 90, 21, header, "RECEIPT");
    ReceiptDBEdit->SetReadOnly(true);
    bindEvent(ReceiptDBEdit->OnKeyPress, this, &TReceiptForm::ReceiptDBEditKeyPress);
    FormLayout::caption(this, 340, 32, "Date");
    KingPopup1 = new TKingPopup(this);
    KingPopup1->SetName("KingPopup1");
    DateDBKingDlg = placeBound<TDBKingDlg>(this, 404, 32, 100, 21, header, "DATE");
    DateDBKingDlg->SetKingPopup(KingPopup1);
    FormLayout::caption(this, 340, 56, "Employee");
    EmployeeLookupCombo = placeLookupCombo(this, 404, 56, 160, module_.PersonnelTable, "ID",
                                           {"ID\t4\tID", "NAME\t30\tName"}, header, "EMPLY");
    EmployeeLookupCombo->SetName("EmployeeLookupCombo");
    FormLayout::caption(this, 340, 80, "Terms");
    TermsDBEdit = placeBound<TDBEdit>(this, 404, 80, 40, 21, header, "Terms");
    TermsDBEdit->SetMaxLength(3);
    place<TLabel>(this, 450, 83, 40, 16, "Days");
    FormLayout::caption(this, 340, 104, "Exam");
    IncidentDBLookupCombo =
        placeLookupCombo(this, 404, 104, 160, module_.IncidentTable, "id",
                         {"ID\t4\tExam", "FIRSTEXAM\t10\tDate", "COMPLAINT\t30\tComplaint"}, header, "INCIDENT");
    IncidentDBLookupCombo->SetName("IncidentDBLookupCombo");
    bindEvent(IncidentDBLookupCombo->OnEnter, this, &TReceiptForm::IncidentDBLookupComboEnter);
    bindEvent(IncidentDBLookupCombo->OnExit, this, &TReceiptForm::IncidentDBLookupComboExit);
    BillInsuranceCheckBox = placeBound<TDBCheckBox>(this, 64, 108, 120, 17, header, "BILLINSUR");
    BillInsuranceCheckBox->SetCaption("Bill Insurance");
    BillInsuranceCheckBox->SetValueChecked("True");
    BillInsuranceCheckBox->SetValueUnchecked("False");
}

void TReceiptForm::buildLines() {
    // The grid's code cells take this combo as their editor (temp2's
    // ControlType names it), so it is made first and found by its name.
    ItemQmDBLookupCombo = placeLookupCombo(this, 0, 0, 100, module_.ItemTable, "ID",
                                           {"ID\t10\tItem", "CATEGORY\t19\tCategory", "DESC\t30\tDescription"});
    ItemQmDBLookupCombo->SetName("ItemQmDBLookupCombo");
    ItemQmDBLookupCombo->SetVisible(false);
    ItemQmDBLookupCombo->SetHint("Right Click on this field to select a sales item.");
    ItemQmDBLookupCombo->SetShowHint(true);
    bindEvent(ItemQmDBLookupCombo->OnClick, this, &TReceiptForm::ItemQmDBLookupComboClick);
    bindEvent(ItemQmDBLookupCombo->OnDropDown, this, &TReceiptForm::ItemQmDBLookupComboDropDown);
    bindEvent(ItemQmDBLookupCombo->OnCloseUp, this, &TReceiptForm::ItemQmDBLookupComboCloseUp);
    bindEvent(ItemQmDBLookupCombo->OnExit, this, &TReceiptForm::ItemQmDBLookupComboExit);
    bindEvent(ItemQmDBLookupCombo->OnMouseDown, this, &TReceiptForm::ItemQmDBLookupComboMouseDown);

    LineItemDBGrid = place<TQmDBGrid>(this, 8, 136, 624, 170);
    LineItemDBGrid->SetName("LineItemDBGrid");
    for (const char* column : {"QTY\t4\tQty", "CODE\t10\tItem#", "DESC\t29\tDescription", "PRICE\t8\tPrice",
                               "COST\t7\tAmount", "TAX\t3\tTax"})
        LineItemDBGrid->Selected()->Add(column);
    LineItemDBGrid->SetOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                                dgConfirmDelete, dgCancelOnExit});
    LineItemDBGrid->SetDataSource(module_.Temp2Source);
    bindEvent(LineItemDBGrid->OnKeyDown, this, &TReceiptForm::LineItemDBGridKeyDown);
    bindEvent(LineItemDBGrid->OnKeyPress, this, &TReceiptForm::LineItemDBGridKeyPress);
    bindEvent(LineItemDBGrid->OnKeyUp, this, &TReceiptForm::LineItemDBGridKeyUp);
    bindEvent(LineItemDBGrid->OnDblClick, this, &TReceiptForm::LineItemDBGridDblClick);
    bindEvent(LineItemDBGrid->OnColExit, this, &TReceiptForm::LineItemDBGridColExit);

    ReceiptMessageMemo = place<TMemo>(this, 8, 314, 384, 82);
    ReceiptMessageMemo->SetMaxLength(250);
    ReceiptMessageMemo->SetHint("The default Receipt Message can be changed in File / Preferences.");
    ReceiptMessageMemo->SetShowHint(true);
}

void TReceiptForm::buildTotalsAndButtons() {
    Panel1 = place<TPanel>(this, 400, 314, 232, 82);
    Panel1->SetBevelOuter(bvLowered);
    auto placeAmount = [this](int Top) {
        TLabel* amount = place<TLabel>(Panel1, 110, Top, 110, 16);
        amount->SetAutoSize(false);
        amount->SetAlignment(taRightJustify);
        return amount;
    };
    place<TLabel>(Panel1, 12, 8, 90, 16, "Subtotal");
    SubTotalLabel = placeAmount(8);
    TaxLabel2 = place<TLabel>(Panel1, 12, 32, 90, 16, "Tax");
    TaxLabel = placeAmount(32);
    place<TLabel>(Panel1, 12, 56, 90, 16, "Total");
    TotalLabel = placeAmount(56);

    const int row1 = 404, row2 = 436;
    NewBitBtn = placeButton(this, 8, row1, "&New");
    OpenBitBtn = placeButton(this, 88, row1, "&Open");
    SaveBitBtn = placeButton(this, 168, row1, "&Save");
    DeleteBtn = placeButton(this, 248, row1, "&Delete");
    PrintBitBtn = placeButton(this, 328, row1, "&Print");
    LabRxBitBtn = placeButton(this, 8, row2, "&Lab Rx");
    InsClaimBitBtn = placeButton(this, 88, row2, "&Ins. Claim");
    InsClaimBitBtn->SetEnabled(false);
    SalesTaxRateBitBtn = placeButton(this, 168, row2, "&Tax Rate");
    PaymentBitBtn = placeButton(this, 248, row2, "P&ayment");
    CancelBitBtn = placeButton(this, 328, row2, "&Cancel");
    DeleteItemBtn = placeButton(this, 408, row2, "&Delete Item");
    DeleteItemBtn->SetVisible(false);
    DeleteItemBtn->SetEnabled(false);

    bindEvent(NewBitBtn->OnClick, this, &TReceiptForm::NewBitBtnClick);
    bindEvent(OpenBitBtn->OnClick, this, &TReceiptForm::OpenBitBtnClick);
    bindEvent(SaveBitBtn->OnClick, this, &TReceiptForm::SaveBitBtnClick);
    bindEvent(DeleteBtn->OnClick, this, &TReceiptForm::DeleteBtnClick);
    bindEvent(PrintBitBtn->OnClick, this, &TReceiptForm::PrintBitBtnClick);
    bindEvent(LabRxBitBtn->OnClick, this, &TReceiptForm::LabRxBitBtnClick);
    bindEvent(InsClaimBitBtn->OnClick, this, &TReceiptForm::InsClaimBitBtnClick);
    bindEvent(SalesTaxRateBitBtn->OnClick, this, &TReceiptForm::SalesTaxRateBitBtnClick);
    bindEvent(PaymentBitBtn->OnClick, this, &TReceiptForm::PaymentBitBtnClick);
    bindEvent(CancelBitBtn->OnClick, this, &TReceiptForm::CancelBitBtnClick);
    bindEvent(DeleteItemBtn->OnClick, this, &TReceiptForm::DeleteBitBtnClick);
}

// ---------------------------------------------------------------- life

void TReceiptForm::FormCreate(TObject*) {
    THourGlass wait;
    module_.PatientTable->SetIndexName("RecName");
    module_.PatientTable->First();
    defaultTaxRate_ = ReceiptSettings::SalesTaxRate(module_.DataDirectory);
    defaultReceiptMessage_ = ReceiptSettings::ReceiptMessage(module_.DataDirectory);
    document_ = std::make_unique<TReceiptDocument>(module_, defaultTaxRate_);
    // A new receipt stored with "Bill Insurance" ticked gets its claim.
    document_->CreateClaim = [this](const std::string&) { CreateClaim(this, true); };
    totals_.Clear();
    totals_.SetRate(defaultTaxRate_);
}

void TReceiptForm::FormShow(TObject*) {
    CreateNewReceipt();
    AccountDBEditChange(this);
    module_.ReceiptChanged = false;
}

void TReceiptForm::FormClose(TObject*, TCloseAction& Action) {
    // A receipt the user wanted saved but that could not be stays on screen.
    if (!askToSave()) {
        Action = caNone;
        return;
    }
    module_.Temp2Table->Close();
    Action = caFree;
}

void TReceiptForm::CancelBitBtnClick(TObject*) { Close(); }

bool TReceiptForm::askToSave() {
    if (module_.ReceiptChanged && MessageDlg(UnsavedQuestion, mtInformation, {mbYes, mbNo}) == mrYes)
        return SaveReceipt();
    return true;
}

// ---------------------------------------------------------------- the receipt

void TReceiptForm::CreateNewReceipt() {
    AccountDBEdit->SetColor(clWindow);
    ReceiptDBEdit->SetEnabled(true);
    AccountDBEdit->SetEnabled(true);
    AccountBitBtn->SetEnabled(true);
    totals_.Clear();
    setRate(defaultTaxRate_);
    DisplayTotals();
    module_.SalesTable->SetIndexName("Receipt");
    module_.SalesTable->Last();
    {
        THourGlass wait;
        if (!document_->CreateNewReceipt(Date()))
            return;
    }
    ReceiptMessageMemo->SetText(defaultReceiptMessage_);
    AccountDBEditChange(this);
    module_.ReceiptChanged = false;
}

bool TReceiptForm::storedReceipt(const std::string& Number) const {
    TTable* sales = module_.SalesTable;
    sales->SetIndexName("Receipt");
    return module_.SalesXbase->Seek(Number) && !sales->Eof() &&
           ReceiptNumbers::canonical(sales->FieldByName("RECEIPT")->AsString()) == Number;
}

bool TReceiptForm::OpenReceipt(const std::string& Receipt) {
    if (!document_->OpenReceipt(Receipt))
        return false;
    const bool stored = storedReceipt(document_->ReceiptNumber());
    AccountDBEdit->SetColor(stored ? clBtnFace : clWindow);
    AccountDBEdit->SetEnabled(!stored);
    AccountBitBtn->SetEnabled(!stored);
    InsClaimBitBtn->SetEnabled(stored);
    totals_.SetRate(document_->ReceiptTaxRate());
    countAllLines();
    module_.Temp1Table->Refresh();
    CalcCost();
    DisplayTotals();
    AccountDBEditChange(this);
    module_.ReceiptChanged = false;
    return true;
}

void TReceiptForm::countAllLines() {
    TTable* temp2 = module_.Temp2Table;
    totals_.Clear();
    for (temp2->First(); !temp2->Eof(); temp2->Next())
        totals_.SetLine(temp2->RecNo(), Cents::read(temp2->FieldByName("Cost")),
                        temp2->FieldByName("Tax")->AsBoolean());
    temp2->Last();
}

bool TReceiptForm::SaveReceipt() {
    // What is typed but not yet in the record goes in first.
    for (TDataSet* table : {static_cast<TDataSet*>(module_.Temp1Table), static_cast<TDataSet*>(module_.Temp2Table)})
        if (table->State() == dsEdit || table->State() == dsInsert)
            table->Post();
    LineItemDBGrid->SetEnabled(false);
    bool saved = false;
    {
        THourGlass wait;
        saved = document_->SaveReceipt();
    }
    LineItemDBGrid->SetEnabled(true);
    if (saved) {
        // The save wrote each line's amount and number back into temp2.
        countAllLines();
        module_.Temp2Table->First();
        DisplayTotals();
        module_.ReceiptChanged = false;
    }
    return saved;
}

void TReceiptForm::NewBitBtnClick(TObject*) {
    CreateNewReceipt();
    InsClaimBitBtn->SetEnabled(false);
    if (AccountDBEdit->CanFocus())
        AccountDBEdit->SetFocus();
    module_.ReceiptChanged = false;
}

void TReceiptForm::OpenBitBtnClick(TObject*) {
    if (!askToSave())
        return;
    listSelection().SelectedReceipt.clear();
    (new TReceiptLookupList(this))->ShowModal();
    const std::string selected = listSelection().SelectedReceipt;
    if (Trim(selected).empty())
        return;
    if (!OpenReceipt(selected))
        return;
    if (DateDBKingDlg->CanFocus())
        DateDBKingDlg->SetFocus();
}

void TReceiptForm::SaveBitBtnClick(TObject*) {
    if (!SaveReceipt())
        return;
    CreateNewReceipt();
    InsClaimBitBtn->SetEnabled(false);
    module_.ReceiptChanged = false;
}

void TReceiptForm::ReceiptDBEditKeyPress(TObject*, char& Key) {
    if (Key == '\r')
        SaveReceipt();
}

// ---------------------------------------------------------------- patient and exam

void TReceiptForm::AccountBitBtnClick(TObject*) {
    const bool changed = module_.ReceiptChanged;
    (new TPatientLookupList2(this))->ShowModal();
    if (AccountDBEdit->CanFocus())
        AccountDBEdit->SetFocus();
    module_.ReceiptChanged = changed;
    // Another patient starts from the company's rate; the taxed lines are
    // taxed at it again, so the tax shown is always rate x taxed lines.
    setRate(defaultTaxRate_);
    DisplayTotals();
}

void TReceiptForm::AccountDBEditChange(TObject*) {
    const bool patient = !Trim(AccountDBEdit->Text()).empty();
    for (TControl* control : std::initializer_list<TControl*>{EmployeeLookupCombo, IncidentDBLookupCombo,
                                                               DateDBKingDlg, TermsDBEdit, ReceiptMessageMemo,
                                                               LineItemDBGrid, Panel1}) {
        control->SetEnabled(patient);
        control->SetColor(patient ? clWindow : clBtnFace);
    }
    BillInsuranceCheckBox->SetEnabled(patient);
    if (patient)
        LineItemDBGrid->Invalidate();
}

void TReceiptForm::IncidentDBLookupComboEnter(TObject*) {
    // The drop-down starts at this patient's exams and shows only them.
    module_.IncidentTable->SetIndexName("ID");
    const std::string patient = Trim(module_.Temp1Table->FieldByName("PatID")->AsString());
    module_.IncidentXbase->SetScope(AppUtils::PadLeft(patient, 10), "");
}

void TReceiptForm::IncidentDBLookupComboExit(TObject*) { module_.IncidentXbase->SetScope("", ""); }

// ---------------------------------------------------------------- registration

void registerReceiptForm() {
    RegisterClass<TReceiptForm>();
    registerSingleInstance(ReceiptClass);
    setReceiptOpenHandler([](TComponent* Owner, const std::string& Receipt) { showReceipt(Owner, Receipt); });
    RegisterClass<TReceiptClaimDlg>();
}

TReceiptForm* showReceipt(TComponent* Owner, const std::string& Receipt) {
    auto* form = dynamic_cast<TReceiptForm*>(
        OpenForm(Owner, {.ClassName = ReceiptClass, .Caption = "Edit &Receipt", .ReuseVisible = true}));
    if (form && form->askToSave())
        form->OpenReceipt(Receipt);
    return form;
}
