#include "sales/AdjustInvDlg.h"

#include <charconv>

#include "app/DataModule.h"
#include "app/DocumentScope.h"
#include "app/DocumentTables.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "sales/SkuLabelQueue.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

constexpr int LabelLeft = 16;
constexpr int SignLeft = 152;
constexpr int EditLeft = 168;
constexpr int EditWidth = 105;
constexpr int RowHeight = 21;
constexpr int RowPitch = 30;
constexpr int QuantityLength = 15;
// QTYONHAND is N(6,0).
constexpr double LowestQuantity = -99999;
constexpr double HighestQuantity = 999999;

double quantity(const TEdit* Edit) { return StrToFloat(Trim(Edit->Text())); }

// The whole number typed for the labels; 0 for anything else. Read wide, so
// a count too large for the queue is refused rather than taken for no count.
long long labelCountOf(const std::string& Text) {
    long long count = 0;
    const std::string digits = Trim(Text);
    const char* first = digits.data() + (digits.starts_with('+') ? 1 : 0);
    const char* last = digits.data() + digits.size();
    const auto [end, error] = std::from_chars(first, last, count);
    return error == std::errc() && end == last ? count : 0;
}

std::string countText(long long Count) { return FormatFloat("#,##0", static_cast<double>(Count)); }

}  // namespace

TAdjustInvDlg::TAdjustInvDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Adjust Inventory");
    SetBounds(0, 0, 300, 270);

    auto row = [this](TLabel*& Label, TEdit*& Edit, const std::string& Caption, int Index, bool Editable) {
        const int top = 16 + Index * RowPitch;
        Label = place<TLabel>(this, LabelLeft, top + 3, SignLeft - LabelLeft - 4, 13, Caption);
        Edit = place<TEdit>(this, EditLeft, top, EditWidth, RowHeight);
        Edit->SetText("0");
        Edit->SetReadOnly(!Editable);
        Edit->SetTabStop(Editable);
        Label->SetFocusControl(Edit);
    };
    row(ItemNoLabel, ItemNoEdit, "Item No.", 0, true);
    row(CurrentQOHLabel, CurrentQOHEdit, "Current Qty On Hand", 1, false);
    row(AddLabel, AddEdit, "Add ", 2, true);
    row(DeductLabel, DeductEdit, "Deduct  ", 3, true);
    row(NewQOHLabel, NewQOHEdit, "New Qty On Hand", 4, false);
    row(LabelQtyLabel, LabelQtyEdit, "Number of Labels to Print", 5, true);
    ItemNoEdit->SetText("");
    ItemNoEdit->SetMaxLength(10);
    for (TEdit* edit : {CurrentQOHEdit, AddEdit, DeductEdit, NewQOHEdit, LabelQtyEdit})
        edit->SetMaxLength(QuantityLength);
    PlusLabel = place<TLabel>(this, SignLeft, AddEdit->Top() + 3, 12, 13, "+");
    MinusLabel = place<TLabel>(this, SignLeft, DeductEdit->Top() + 3, 12, 13, "-");

    const int buttonTop = ClientHeight() - 25 - 12;
    OKBitBtn = place<TBitBtn>(this, 56, buttonTop, 75, 25);
    OKBitBtn->SetKind(bkOK);
    // OK closes the dialog itself once the adjustment is stored.
    OKBitBtn->SetModalResult(mrNone);
    BitBtn2 = place<TBitBtn>(this, 160, buttonTop, 75, 25);
    BitBtn2->SetKind(bkCancel);

    for (TEdit* edit : {AddEdit, DeductEdit, LabelQtyEdit})
        bindEvent(edit->OnEnter, this, &TAdjustInvDlg::selectAllOnEnter);
    for (TEdit* edit : {AddEdit, DeductEdit})
        bindEvent(edit->OnExit, this, &TAdjustInvDlg::quantityEditExit);
    bindEvent(OKBitBtn->OnClick, this, &TAdjustInvDlg::OKBitBtnClick);
    bindEvent(OnClose, this, &TAdjustInvDlg::FormClose);

    // An item without a quantity starts from nought.
    if (DataModule1 && DataModule1->ItemTable->Active()) {
        TTable* items = DataModule1->ItemTable;
        if (Trim(items->FieldByName("QTYONHAND")->AsString()).empty()) {
            items->Edit();
            items->FieldByName("QTYONHAND")->SetAsString("0");
            items->Post();
            items->Edit();
        }
    }
}

void TAdjustInvDlg::selectAllOnEnter(TObject* Sender) {
    if (auto* edit = dynamic_cast<TEdit*>(Sender))
        edit->SelectAll();
}

void TAdjustInvDlg::quantityEditExit(TObject*) { TotalQOH(); }

void TAdjustInvDlg::TotalQOH() {
    const double total = quantity(CurrentQOHEdit) + quantity(AddEdit) - quantity(DeductEdit);
    NewQOHEdit->SetText(FloatToStrF(total, ffFixed, 15, 0));
}

std::string TAdjustInvDlg::refusal(long long LabelCount) const {
    const double newQuantity = quantity(NewQOHEdit);
    if (newQuantity < LowestQuantity || newQuantity > HighestQuantity)
        return "The new quantity on hand " + Trim(NewQOHEdit->Text()) +
               " does not fit the item's quantity (-99999 to 999999). Nothing was stored.";
    if (LabelCount > 0) {
        const int queued = SkuLabelQueue::QueuedCount();
        const std::string most =
            "At most " + countText(SkuLabelQueue::MaxLabelsPerRun) + " labels are printed in one run";
        if (LabelCount > SkuLabelQueue::MaxLabelsPerRun - queued)
            return queued == 0 ? most + "; " + countText(LabelCount) + " were asked for. Nothing was stored."
                               : most + ", and " + countText(queued) + " are already waiting to be printed: " +
                                     countText(LabelCount) + " more cannot be queued. Nothing was stored.";
        const double sell = DataModule1->ItemTable->FieldByName("SELL")->AsFloat();
        if (!SkuLabelQueue::priceFits(sell))
            return "The price " + SkuLabelQueue::priceText(sell) +
                   " is too wide for a label (at most $99,999.99). Nothing was stored.";
    }
    return "";
}

void TAdjustInvDlg::OKBitBtnClick(TObject*) {
    TTable* items = DataModule1->ItemTable;
    if (!DocumentTables::Ready({items}, "The quantity on hand was not changed."))
        return;
    const long long labelCount = labelCountOf(LabelQtyEdit->Text());
    try {
        TotalQOH();
        if (const std::string message = refusal(labelCount); !message.empty()) {
            MessageDlg(message, mtError, {mbOK});
            return;
        }
    } catch (const Exception& e) {
        Application->ShowException(e);
        return;
    }
    try {
        // The quantity and its labels land together or not at all.
        TDocumentScope scope("stock adjustment");
        scope.Saving("The stock adjustment of item " + Trim(ItemNoEdit->Text()));
        items->Edit();
        items->FieldByName("QTYONHAND")->SetAsString(Trim(NewQOHEdit->Text()));
        items->Post();
        queueLabels(static_cast<int>(labelCount));
        scope.end();
    } catch (const std::exception& e) {
        if (items->State() != dsBrowse)
            items->Cancel();
        items->Refresh();
        items->Edit();
        MessageDlg(TDocumentScope::Failed("The stock adjustment was not saved.", e), mtError, {mbOK});
        return;
    }
    items->Edit();
    SetModalResult(mrOk);
    Close();
}

void TAdjustInvDlg::queueLabels(int LabelCount) {
    if (LabelCount <= 0)
        return;
    TTable* items = DataModule1->ItemTable;
    auto text = [items](const char* Field) { return items->FieldByName(Field)->AsString(); };
    const SkuLabelQueue::TLabelItem item{.ItemNo = ItemNoEdit->Text(),
                                         .Sell = items->FieldByName("SELL")->AsFloat(),
                                         .Desc = text("DESC"),
                                         .Color = text("COLOR"),
                                         .Size = text("SIZE"),
                                         .Manf = text("MANF"),
                                         .Vendor = text("VENDOR")};
    SkuLabelQueue::Append(SkuLabelQueue::labelLine(item), LabelCount);
}

void TAdjustInvDlg::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }
