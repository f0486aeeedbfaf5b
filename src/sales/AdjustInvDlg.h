#pragma once
// TAdjustInvDlg ("Adjust Inventory"): changes the quantity on hand of the
// item table's current record and queues shelf labels for it.
//
// The opener fills "Item No.", "Current Qty On Hand" and "New Qty On Hand";
// the quantities hold at most 15 characters and start as "0". Leaving "Add "
// or "Deduct  " shows current + add - deduct, without decimals; a text that
// is no number raises the conversion error and changes nothing.
//
// OK computes the new quantity again and refuses, with a message and
// nothing stored, a quantity the item's QTYONHAND cannot hold and (when
// labels are asked for) a price too wide for its label column, or more
// labels than one printing run takes (counting those already queued).
// Otherwise it stores the quantity, then appends one queue line per label in
// one write; a label count that is not a positive whole number queues
// nothing. A queue that cannot be written after the quantity was stored is
// reported. Cancel changes nothing. The dialog frees itself when closed.
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TEdit;
class TLabel;

class TAdjustInvDlg : public TForm {
public:
    explicit TAdjustInvDlg(TComponent* AOwner);

    TLabel* ItemNoLabel;        TEdit* ItemNoEdit;
    TLabel* CurrentQOHLabel;    TEdit* CurrentQOHEdit;
    TLabel* AddLabel;           TLabel* PlusLabel;   TEdit* AddEdit;
    TLabel* DeductLabel;        TLabel* MinusLabel;  TEdit* DeductEdit;
    TLabel* NewQOHLabel;        TEdit* NewQOHEdit;
    TLabel* LabelQtyLabel;      TEdit* LabelQtyEdit;
    TBitBtn* OKBitBtn;
    TBitBtn* BitBtn2;  // Cancel

    // New Qty On Hand := current + add - deduct.
    void TotalQOH();
    void OKBitBtnClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    void quantityEditExit(TObject* Sender);
    void selectAllOnEnter(TObject* Sender);
    // A message for what OK must refuse; "" when the adjustment can be stored.
    std::string refusal(long long LabelCount) const;
    void queueLabels(int LabelCount);
};
