#pragma once
// TItemInfoDlg ("Item Information"): edits the item table's current record,
// opened without waiting by the item lists through the class registry.
//
// Promises:
// - Item numbers stay unique, and the number and type of an item that any
//   receipt line uses cannot be changed; each refusal says why, gives the
//   number field the saved number back, flushes the item and edits again.
// - The fields that make no sense for the chosen item type are disabled
//   (services and "Adjustment" clear their texts, which a later type change
//   does not bring back); the inventory group and "&Adjust Inventory" follow
//   "Inventory Control Item".
// - It owns three views of its own (the used categories, the sales detail
//   lines by item number, the items by number), open while it is.
// - At most one is open; it follows the item table's cursor: when the table
//   moves to another item, the item it showed is posted and the opening
//   steps run again for the new one, so the receipts check, the type lock and
//   the saved number always belong to the item shown.
// - OK posts a modified item and closes; the dialog frees itself on close.
#include <memory>
#include <string>
#include <vector>

#include "app/RecordInfoDialogs.h"

class TButton;
class TDBCheckBox;
class TDBComboBox;
class TDBEdit;
class TDBKingDlg;
class TGroupBox;
class TKingPopup;
class TLabel;
class TQmDBLookupCombo;
class TQmTable;
class TXbTable;
class TWinControl;

class TItemInfoDlg : public TRecordInfoDlg {
public:
    explicit TItemInfoDlg(TComponent* AOwner);
    ~TItemInfoDlg() override;

    // The item types in the combo's order.
    static const std::vector<std::string>& ItemTypes();
    static const std::vector<std::string>& UnitsOfMeasure();

    TLabel* ItemLabel;              TDBEdit* ItemDBEdit;
    TLabel* CPTCodeLabel;           TQmDBLookupCombo* CPTCodeDBLookupCombo;
    TLabel* ItemTypeLabel;          TDBComboBox* ItemTypeDBComboBox;
    TLabel* CategoryLabel;          TQmDBLookupCombo* CategoryDBLookupCombo;
    TLabel* DescriptionLabel;       TDBEdit* DescriptionDBEdit;
    TLabel* ColorLabel;             TDBEdit* ColorDBEdit;
    TLabel* SizeLabel;              TDBEdit* SizeDBEdit;
    TLabel* ManufacturerLabel;      TDBEdit* ManufacturerDBEdit;
    TLabel* VendorLabel;            TDBEdit* VendorDBEdit;
    TLabel* DisplayLocLabel;        TDBEdit* DisplayLocDBEdit;
    TLabel* StockLocLabel;          TDBEdit* StockLocDBEdit;
    TLabel* LastRestockedLabel;     TDBKingDlg* LastRestockedDBKingDlg;
    TKingPopup* KingPopup1;
    TDBCheckBox* ConsignmentDBCheckBox;
    TDBCheckBox* SalesTaxDBCheckBox;
    TLabel* UnitMeasureLabel;       TDBComboBox* UnitMeasureDBComboBox;
    TGroupBox* CostGroupBox;
    TLabel* CostLabel;              TDBEdit* CostDBEdit;
    TLabel* SellLabel;              TDBEdit* SellDBEdit;
    TDBCheckBox* ControlItemCheckBox;
    TGroupBox* InventoryControlGroupBox;
    TLabel* OnHandLabel;            TDBEdit* OnHandDBEdit;
    TLabel* ReorderPointLabel;      TDBEdit* ReorderPointDBEdit;
    TButton* AdjustInvBtn;

    // The form's own views.
    TQmTable* CategoryTable;   // item.dbf, index "UCATEGORY"
    TXbTable* SalesDtlTable;   // SALESDTL.DBF, index "ItemNo"
    TXbTable* ItemIDTable;     // ITEM.DBF, index "ID"

    // The item number as it was on entering the number field, blank-padded to 10.
    const std::string& SavedNumber() const { return savedNumber_; }

    void FormCreate(TObject* Sender);
    void ItemFormClose(TObject* Sender, TCloseAction& Action);
    void ItemDBEditEnter(TObject* Sender);
    void ItemDBEditExit(TObject* Sender);
    void ItemTypeDBComboBoxChange(TObject* Sender);
    void ItemTypeDBComboBoxDropDown(TObject* Sender);
    void ControlItemCheckBoxClick(TObject* Sender);
    void AdjustInvBtnClick(TObject* Sender);

    // The rules that enable the fields; ApplyItemTypeRule ends with the control-item rule.
    void ApplyItemTypeRule();
    void ApplyControlItemRule();

private:
    class TCursorLink;

    void openViews();
    void closeViews();
    // Type rule, receipts check and saved number for the item now current.
    void openingSteps();
    void itemMoved();
    bool usedOnReceipts(const std::string& PaddedNumber);
    void restoreSavedNumber();
    void clearText(TDBEdit* Edit);

    std::string savedNumber_;
    std::unique_ptr<TCursorLink> cursorLink_;
    int shownRecNo_ = -1;
    bool following_ = false;
};

// Registers TItemInfoDlg (one at a time) for the item lists.
void registerItemForms();
