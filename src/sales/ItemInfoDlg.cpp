#include "sales/ItemInfoDlg.h"

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "base/Classes.h"
#include "base/FlagScope.h"
#include "base/SysUtils.h"
#include "controls/ControlKit.h"
#include "controls/DBKing.h"
#include "controls/KingPop.h"
#include "controls/qmdblook.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "sales/AdjustInvDlg.h"
#include "ui/Colors.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbase/Xbtable.h"

namespace {

constexpr int LabelLeft = 12;
constexpr int EditLeft = 116;
constexpr int RightLeft = 352;
constexpr int RowHeight = 21;
constexpr int RowPitch = 27;
constexpr int NumberWidth = 10;

const char* const AdjustmentType = "Adjustment";

void setLook(TControl* Control, bool Enabled) {
    Control->SetEnabled(Enabled);
    Control->Font()->SetColor(Enabled ? clWindowText : clInactiveCaption);
    // Check boxes sit on the form's face; only the edits take the window colour.
    if (!dynamic_cast<TCheckBox*>(Control))
        Control->SetColor(Enabled ? clWindow : clBtnFace);
}

void setLabelLook(TLabel* Label, bool Enabled) { Label->Font()->SetColor(Enabled ? clWindowText : clInactiveCaption); }

std::string padded(const std::string& Number) { return AppUtils::PadRight(Number, NumberWidth); }

}  // namespace

// Hears the item table move, change or close under the dialog.
class TItemInfoDlg::TCursorLink : public TDataLink {
public:
    explicit TCursorLink(TItemInfoDlg& Dialog) : dialog_(Dialog) {}

protected:
    void DataSetChanged() override { dialog_.itemMoved(); }
    void DataSetScrolled(int) override { dialog_.itemMoved(); }

private:
    TItemInfoDlg& dialog_;
};

const std::vector<std::string>& TItemInfoDlg::ItemTypes() {
    static const std::vector<std::string> types{"Doctor Services", "Optician Services",    "Frame",
                                                "Spectacle Lens",  "Contact Lens",         "Other Services",
                                                "Other Inventory Item", AdjustmentType};
    return types;
}

const std::vector<std::string>& TItemInfoDlg::UnitsOfMeasure() {
    static const std::vector<std::string> units{"", "Each", "Pair", "lb", "oz", "hour"};
    return units;
}

TItemInfoDlg::TItemInfoDlg(TComponent* AOwner)
    : TRecordInfoDlg(AOwner, "Item Information", DataModule1->ItemSource, 616, 420) {
    SetPosition(poScreenCenter);
    TDataSource* items = source_;
    int tab = 0;
    auto left = [&](TLabel*& Label, const std::string& Caption, int Row, auto* Control) {
        const int top = 12 + Row * RowPitch;
        Label = place<TLabel>(this, LabelLeft, top + 3, EditLeft - LabelLeft - 4, 13, Caption);
        Control->SetTop(top);
        Label->SetFocusControl(Control);
        Control->SetTabOrder(tab++);
        return Control;
    };
    auto edit = [&](TLabel*& Label, const std::string& Caption, int Row, const std::string& Field, int Width) {
        return left(Label, Caption, Row, placeBound<TDBEdit>(this, EditLeft, 0, Width, RowHeight, items, Field));
    };

    ItemDBEdit = edit(ItemLabel, "Item No.", 0, "ID", 97);
    CPTCodeDBLookupCombo = place<TQmDBLookupCombo>(this, EditLeft, 0, 97, RowHeight);
    CPTCodeDBLookupCombo->SetLookupTable(DataModule1->CPTCodeTable);
    CPTCodeDBLookupCombo->SetLookupField("ID");
    for (const char* line : {"ID\t5\tCode", "CATEGORY\t20\tCategory", "DESC\t30\tDescription"})
        CPTCodeDBLookupCombo->Selected()->Add(line);
    CPTCodeDBLookupCombo->SetOptions({loColLines, loTitles});
    CPTCodeDBLookupCombo->SetDataSource(items);
    CPTCodeDBLookupCombo->SetDataField("CPTCODE");
    left(CPTCodeLabel, "CPT Code", 1, CPTCodeDBLookupCombo);

    // The lists are filled before the combos are bound, so that they show the field's value.
    ItemTypeDBComboBox = place<TDBComboBox>(this, EditLeft, 0, 161, RowHeight);
    ItemTypeDBComboBox->SetStyle(csDropDownList);
    for (const std::string& type : ItemTypes())
        ItemTypeDBComboBox->Items()->Add(type);
    ItemTypeDBComboBox->SetDataSource(items);
    ItemTypeDBComboBox->SetDataField("ITEMTYPE");
    left(ItemTypeLabel, "Item Type", 2, ItemTypeDBComboBox);

    CategoryTable = new TQmTable(this);
    CategoryTable->SetDatabaseName(DataModule1->DataDirectory);
    CategoryTable->SetTableName("item.dbf");
    CategoryTable->SetTableType(ttSXNSX);
    CategoryTable->SetIndexName("UCATEGORY");
    CategoryTable->SetReadOnly(true);
    CategoryDBLookupCombo = placeLookupCombo(this, EditLeft, 0, 161, CategoryTable, "CATEGORY",
                                             {"CATEGORY\t20\tCategory"}, items, "CATEGORY");
    FormLayout::hint(CategoryDBLookupCombo, "User defined category.");
    left(CategoryLabel, "Category", 3, CategoryDBLookupCombo);

    DescriptionDBEdit = edit(DescriptionLabel, "Description", 4, "DESC", 217);
    ColorDBEdit = edit(ColorLabel, "Color", 5, "COLOR", 97);
    SizeDBEdit = edit(SizeLabel, "Size", 6, "SIZE", 73);
    ManufacturerDBEdit = edit(ManufacturerLabel, "Manufacturer", 7, "MANF", 217);
    VendorDBEdit = edit(VendorLabel, "Vendor", 8, "VENDOR", 217);
    DisplayLocDBEdit = edit(DisplayLocLabel, "Display Location", 9, "DISPLYLOC", 97);
    DisplayLocDBEdit->SetHint("Where this item is displayed.");
    DisplayLocDBEdit->SetShowHint(true);
    StockLocDBEdit = edit(StockLocLabel, "Stock Location", 10, "STOCKLOC", 97);
    StockLocDBEdit->SetHint("Where this item is stocked.");
    StockLocDBEdit->SetShowHint(true);
    KingPopup1 = new TKingPopup(this);
    LastRestockedDBKingDlg = place<TDBKingDlg>(this, EditLeft, 0, 97, RowHeight);
    LastRestockedDBKingDlg->SetDataSource(items);
    LastRestockedDBKingDlg->SetDataField("RESTOCKED");
    left(LastRestockedLabel, "Last Restocked on:", 11, LastRestockedDBKingDlg);

    ConsignmentDBCheckBox = placeBound<TDBCheckBox>(this, RightLeft, 12, 240, 17, items, "CONSIGN");
    ConsignmentDBCheckBox->SetCaption("Consignment");
    ConsignmentDBCheckBox->SetTabOrder(tab++);
    SalesTaxDBCheckBox = placeBound<TDBCheckBox>(this, RightLeft, 36, 240, 17, items, "TAXED");
    SalesTaxDBCheckBox->SetCaption("Charge Sales Tax on this item");
    SalesTaxDBCheckBox->SetTabOrder(tab++);
    UnitMeasureLabel = place<TLabel>(this, RightLeft, 66, 100, 13, "Unit of Measure");
    UnitMeasureDBComboBox = place<TDBComboBox>(this, RightLeft + 104, 63, 73, RowHeight);
    UnitMeasureDBComboBox->SetStyle(csDropDownList);
    for (const std::string& unit : UnitsOfMeasure())
        UnitMeasureDBComboBox->Items()->Add(unit);
    UnitMeasureDBComboBox->SetDataSource(items);
    UnitMeasureDBComboBox->SetDataField("UNITMEAS");
    UnitMeasureLabel->SetFocusControl(UnitMeasureDBComboBox);
    UnitMeasureDBComboBox->SetTabOrder(tab++);

    CostGroupBox = place<TGroupBox>(this, RightLeft, 96, 240, 82, "");
    CostGroupBox->SetTabOrder(tab++);
    CostLabel = place<TLabel>(CostGroupBox, 12, 21, 80, 13, "Cost");
    CostDBEdit = placeBound<TDBEdit>(CostGroupBox, 104, 18, 89, RowHeight, items, "COST");
    CostDBEdit->SetHint("Amount paid for this item.");
    CostDBEdit->SetShowHint(true);
    SellLabel = place<TLabel>(CostGroupBox, 12, 50, 80, 13, "Fee/Price");
    SellDBEdit = placeBound<TDBEdit>(CostGroupBox, 104, 47, 89, RowHeight, items, "SELL");
    SellDBEdit->SetHint("Amount to charge for this item.");
    SellDBEdit->SetShowHint(true);

    ControlItemCheckBox = placeBound<TDBCheckBox>(this, RightLeft, 190, 240, 17, items, "CTRLITEM");
    ControlItemCheckBox->SetCaption("Inventory Control Item");
    ControlItemCheckBox->SetTabOrder(tab++);
    InventoryControlGroupBox = place<TGroupBox>(this, RightLeft, 212, 240, 82, "");
    InventoryControlGroupBox->SetTabOrder(tab++);
    InventoryControlGroupBox->SetEnabled(false);
    OnHandLabel = place<TLabel>(InventoryControlGroupBox, 12, 21, 80, 13, "On Hand");
    OnHandDBEdit = placeBound<TDBEdit>(InventoryControlGroupBox, 104, 18, 73, RowHeight, items, "QTYONHAND");
    ReorderPointLabel = place<TLabel>(InventoryControlGroupBox, 12, 50, 80, 13, "Reorder Point");
    ReorderPointDBEdit = placeBound<TDBEdit>(InventoryControlGroupBox, 104, 47, 73, RowHeight, items, "REORDERPT");

    const int buttonTop = BitBtn1->Top();
    BitBtn1->SetCaption("&OK");
    BitBtn1->SetLeft(RightLeft);
    BitBtn1->SetTabOrder(tab++);
    AdjustInvBtn = place<TButton>(this, RightLeft + 96, buttonTop, 120, 25, "&Adjust Inventory");
    AdjustInvBtn->SetTabOrder(tab++);
    BitBtn2->SetCaption("&Cancel");

    bindEvent(ItemDBEdit->OnEnter, this, &TItemInfoDlg::ItemDBEditEnter);
    bindEvent(ItemDBEdit->OnExit, this, &TItemInfoDlg::ItemDBEditExit);
    bindEvent(ItemTypeDBComboBox->OnChange, this, &TItemInfoDlg::ItemTypeDBComboBoxChange);
    bindEvent(ItemTypeDBComboBox->OnDropDown, this, &TItemInfoDlg::ItemTypeDBComboBoxDropDown);
    bindEvent(ControlItemCheckBox->OnClick, this, &TItemInfoDlg::ControlItemCheckBoxClick);
    bindEvent(ConsignmentDBCheckBox->OnClick, this, &TItemInfoDlg::ControlItemCheckBoxClick);
    bindEvent(AdjustInvBtn->OnClick, this, &TItemInfoDlg::AdjustInvBtnClick);
    bindEvent(OnCreate, this, &TItemInfoDlg::FormCreate);
    bindEvent(OnClose, this, &TItemInfoDlg::ItemFormClose);

    SalesDtlTable = new TXbTable(this);
    ItemIDTable = new TXbTable(this);
    cursorLink_ = std::make_unique<TCursorLink>(*this);
}

TItemInfoDlg::~TItemInfoDlg() {
    cursorLink_.reset();
    closeViews();
}

void TItemInfoDlg::FormCreate(TObject*) {
    TTable* items = DataModule1->ItemTable;
    const bool isNew = items->Active() && UpperCase(Trim(items->FieldByName("ID")->AsString())) == "<NEW>";
    SetActiveControl(isNew ? static_cast<TWinControl*>(ItemDBEdit) : DescriptionDBEdit);
    openViews();
    openingSteps();
    cursorLink_->SetDataSource(DataModule1->ItemSource);
}

void TItemInfoDlg::openViews() {
    const std::string folder = DataModule1->DataDirectory;
    CategoryTable->Open();
    SalesDtlTable->SetDatabaseName(folder);
    SalesDtlTable->SetTableName("SALESDTL.DBF");
    SalesDtlTable->SetTableType(ttSXNSX);
    SalesDtlTable->SetIndexName("ItemNo");
    SalesDtlTable->SetReadOnly(true);
    SalesDtlTable->Open();
    ItemIDTable->SetDatabaseName(folder);
    ItemIDTable->SetTableName("ITEM.DBF");
    ItemIDTable->SetTableType(ttSXNSX);
    ItemIDTable->SetIndexName("ID");
    ItemIDTable->SetReadOnly(true);
    ItemIDTable->Open();
}

void TItemInfoDlg::closeViews() {
    for (TTable* view : {static_cast<TTable*>(CategoryTable), static_cast<TTable*>(SalesDtlTable),
                         static_cast<TTable*>(ItemIDTable)})
        if (view && view->Active())
            view->Close();
}

void TItemInfoDlg::ItemFormClose(TObject* Sender, TCloseAction& Action) {
    cursorLink_->SetDataSource(nullptr);
    closeViews();
    FormClose(Sender, Action);
}

bool TItemInfoDlg::usedOnReceipts(const std::string& PaddedNumber) {
    return SalesDtlTable->Active() && SalesDtlTable->Seek(PaddedNumber);
}

void TItemInfoDlg::openingSteps() {
    TTable* items = DataModule1->ItemTable;
    if (!items->Active())
        return;
    shownRecNo_ = DataModule1->ItemXbase->RecNo();
    savedNumber_ = padded(items->FieldByName("ID")->AsString());
    ApplyItemTypeRule();
    ItemTypeDBComboBox->SetReadOnly(usedOnReceipts(savedNumber_));
}

void TItemInfoDlg::itemMoved() {
    TTable* items = DataModule1->ItemTable;
    if (following_ || !items->Active() || items->State() == dsInsert)
        return;
    if (DataModule1->ItemXbase->RecNo() == shownRecNo_)
        return;
    TFlagScope busy(following_);
    openingSteps();
}

// ---------------------------------------------------------------- the type rules

void TItemInfoDlg::clearText(TDBEdit* Edit) {
    TField* field = Edit->Field();
    if (!field || Trim(field->AsString()).empty())
        return;
    TDataSet* items = field->DataSet();
    if (items->State() != dsEdit && items->State() != dsInsert)
        items->Edit();
    field->SetAsString("");
}

void TItemInfoDlg::ApplyItemTypeRule() {
    const std::string type = ItemTypeDBComboBox->Text();
    const bool adjustment = type == AdjustmentType;
    const bool goods = !adjustment && type.find("Services") == std::string::npos;
    TDBEdit* const details[] = {ColorDBEdit,  SizeDBEdit,       ManufacturerDBEdit,
                                VendorDBEdit, DisplayLocDBEdit, StockLocDBEdit};
    for (TDBEdit* detail : details) {
        setLook(detail, goods);
        if (!goods)
            clearText(detail);
    }
    for (TLabel* label : {ColorLabel, SizeLabel, ManufacturerLabel, VendorLabel, DisplayLocLabel, StockLocLabel,
                          LastRestockedLabel})
        setLabelLook(label, goods);
    setLook(LastRestockedDBKingDlg, goods);
    setLook(ConsignmentDBCheckBox, goods);
    if (!goods && ControlItemCheckBox->Checked())
        ControlItemCheckBox->SetChecked(false);
    setLook(ControlItemCheckBox, goods);
    AdjustInvBtn->SetEnabled(goods && ControlItemCheckBox->Checked());
    for (TControl* money : std::initializer_list<TControl*>{SalesTaxDBCheckBox, UnitMeasureDBComboBox, CostDBEdit,
                                                            SellDBEdit})
        setLook(money, !adjustment);
    for (TLabel* label : {UnitMeasureLabel, CostLabel, SellLabel})
        setLabelLook(label, !adjustment);
    if (adjustment) {
        setLook(OnHandDBEdit, false);
        setLook(ReorderPointDBEdit, false);
    }
    ApplyControlItemRule();
}

void TItemInfoDlg::ApplyControlItemRule() {
    const bool controlled = ControlItemCheckBox->Checked();
    InventoryControlGroupBox->SetEnabled(controlled);
    InventoryControlGroupBox->Font()->SetColor(controlled ? clWindowText : clInactiveCaption);
    for (TLabel* label : {OnHandLabel, ReorderPointLabel})
        setLabelLook(label, controlled);
    // "Adjustment" disabled these two; an inventory item gets them back with the group.
    if (controlled) {
        setLook(OnHandDBEdit, true);
        setLook(ReorderPointDBEdit, true);
    }
    AdjustInvBtn->SetEnabled(controlled);
}

void TItemInfoDlg::ItemTypeDBComboBoxChange(TObject*) { ApplyItemTypeRule(); }

void TItemInfoDlg::ControlItemCheckBoxClick(TObject*) { ApplyControlItemRule(); }

void TItemInfoDlg::ItemTypeDBComboBoxDropDown(TObject*) {
    if (!ItemTypeDBComboBox->ReadOnly())
        return;
    ItemTypeDBComboBox->SetDroppedDown(false);
    ShowMessage("Item " + savedNumber_ + " is used in one or more receipts and the item type cannot be changed.");
    if (CategoryDBLookupCombo->CanFocus())
        CategoryDBLookupCombo->SetFocus();
    else
        SetActiveControl(CategoryDBLookupCombo);
}

// ---------------------------------------------------------------- the item number

void TItemInfoDlg::ItemDBEditEnter(TObject*) { savedNumber_ = padded(ItemDBEdit->Text()); }

void TItemInfoDlg::restoreSavedNumber() {
    TTable* items = DataModule1->ItemTable;
    if (items->State() != dsEdit && items->State() != dsInsert)
        items->Edit();
    items->FieldByName("ID")->SetAsString(savedNumber_);
    ItemDBEdit->SetText(savedNumber_);
    DataModule1->ItemXbase->Commit();
    items->Edit();
}

void TItemInfoDlg::ItemDBEditExit(TObject*) {
    const std::string text = ItemDBEdit->Text();
    if (Trim(text).empty()) {
        MessageDlg("\"Item No.\" field cannot be empty!", mtInformation, {mbOK});
        restoreSavedNumber();
        return;
    }
    TXbaseEnv* env = DataModule1->XbaseEnv1;
    env->SetExact(true);
    env->SetSoftSeek(false);
    std::string refusal;
    if (padded(text) != savedNumber_) {
        if (usedOnReceipts(savedNumber_)) {
            refusal = "Item " + savedNumber_ + " is used in one or more receipts and cannot be changed.";
        } else if (ItemIDTable->Active() && ItemIDTable->Seek(padded(UpperCase(Trim(text)))) &&
                   padded(ItemIDTable->FieldByName("ID")->AsString()) != savedNumber_) {
            refusal = "Item " + text + " is already used!";
        }
    }
    env->SetExact(false);
    env->SetSoftSeek(false);
    if (!refusal.empty()) {
        ShowMessage(refusal);
        restoreSavedNumber();
    }
}

// ---------------------------------------------------------------- the buttons

void TItemInfoDlg::AdjustInvBtnClick(TObject*) {
    TTable* items = DataModule1->ItemTable;
    if (items->State() == dsEdit || items->State() == dsInsert)
        items->UpdateRecord();
    // The adjustment gives an item without a quantity its nought first.
    auto* dialog = new TAdjustInvDlg(this);
    const std::string onHand = Trim(items->FieldByName("QTYONHAND")->AsString());
    dialog->ItemNoEdit->SetText(ItemDBEdit->Text());
    dialog->CurrentQOHEdit->SetText(onHand);
    dialog->NewQOHEdit->SetText(onHand);
    dialog->ShowModal();
}

void registerItemForms() {
    RegisterClass<TItemInfoDlg>();
    registerSingleInstance("TItemInfoDlg");
}
