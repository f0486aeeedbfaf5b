// The receipt window's lines: the amount of a line, the running totals and
// the rate, the grid's keys and clicks, the item chosen in a line's code
// cell, the removal of a line and the rate dialog.
#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/LookupListMembers.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "data/Fields.h"
#include "sales/ReceiptForm.h"
#include "sales/TaxRateDlg.h"
#include "ui/Dialogs.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

constexpr char CtrlC = 3;
// temp2's Cost field: N(11, 2).
constexpr int AmountWidth = 11;
constexpr int AmountDecimals = 2;
constexpr char Enter = '\r';

void ensureEditing(TDataSet* Table) {
    if (Table->State() != dsEdit && Table->State() != dsInsert)
        Table->Edit();
}

}  // namespace

void TReceiptForm::setRate(Cents::TaxRate Rate) {
    totals_.SetRate(Rate);
    document_->SetReceiptTaxRate(Rate);
}

int TReceiptForm::currentLine() const {
    TTable* temp2 = module_.Temp2Table;
    return temp2->State() == dsInsert ? 0 : temp2->RecNo();
}

bool TReceiptForm::inColumn(const char* Name) const {
    TField* field = LineItemDBGrid->SelectedField();
    return field && SameText(field->FieldName(), Name);
}

void TReceiptForm::CalcCost() {
    TTable* temp2 = module_.Temp2Table;
    if (!temp2->Active())
        return;
    TField* cost = temp2->FieldByName("Cost");
    try {
        // What is typed in the cell goes into the line first.
        LineItemDBGrid->DataLink()->UpdateRecord();
        ensureEditing(temp2);
        TField* price = temp2->FieldByName("Price");
        // A line with no quantity is sold as one: the cell shows what is stored.
        TField* qty = temp2->FieldByName("Qty");
        if (Cents::read(qty) != TReceiptDocument::LineQuantity(temp2))
            Cents::write(qty, TReceiptDocument::LineQuantity(temp2));
        if (Cents::read(cost) == Currency() && Cents::read(price) == Currency())
            return;
        const Currency amount = Cents::lineCost(Cents::read(price), Cents::read(temp2->FieldByName("Qty")));
        // An amount too wide for its field is refused; the line keeps its old one.
        if (!Cents::fits(amount, AmountWidth, AmountDecimals)) {
            ShowMessage("The amount " + CurrToStr(amount) + " is too large for a receipt line.");
            return;
        }
        Cents::write(cost, amount);
        temp2->Post();
    } catch (const Exception& e) {
        ShowMessage(e.Message());
        return;
    }
    totals_.SetLine(temp2->RecNo(), Cents::read(cost), temp2->FieldByName("Tax")->AsBoolean());
    temp2->Edit();
    DisplayTotals();
}

void TReceiptForm::DisplayTotals() {
    SubTotalLabel->SetCaption(TReceiptTotals::MoneyText(totals_.SubTotal()));
    TaxLabel2->SetCaption(totals_.RateCaption());
    TaxLabel->SetCaption(TReceiptTotals::MoneyText(totals_.Tax()));
    TotalLabel->SetCaption(TReceiptTotals::MoneyText(totals_.Total()));
}

void TReceiptForm::ClearField() {
    TField* field = LineItemDBGrid->SelectedField();
    if (!field || field->ReadOnly())
        return;
    TTable* temp2 = module_.Temp2Table;
    ensureEditing(temp2);
    field->Clear();
    temp2->Post();
    LineItemDBGrid->DataLink()->Reset();
}

// ---------------------------------------------------------------- grid

void TReceiptForm::LineItemDBGridKeyDown(TObject*, Word& Key, TShiftState Shift) {
    // The grid's own delete takes the line out of the totals too.
    if (Key == VK_DELETE && Shift.Contains(ssCtrl)) {
        Key = 0;
        DeleteBitBtnClick(this);
    }
}

void TReceiptForm::LineItemDBGridKeyPress(TObject*, char& Key) {
    // The amount follows from price and quantity; it is never typed.
    if (inColumn("Cost"))
        Key = 0;
    if (Key == CtrlC) {
        Key = 0;
        ClearField();
    }
    if (Key == Enter)
        CalcCost();
}

void TReceiptForm::LineItemDBGridKeyUp(TObject*, Word& Key, TShiftState) {
    if (Key != VK_SPACE || !inColumn("Tax"))
        return;
    // The grid has flipped the flag already: count the line as it now is.
    totals_.SetTaxed(currentLine(), module_.Temp2Table->FieldByName("Tax")->AsBoolean());
    CalcCost();
    DisplayTotals();
}

void TReceiptForm::LineItemDBGridDblClick(TObject*) {
    if (!inColumn("Tax"))
        return;
    // The double click comes before the grid flips the flag.
    totals_.SetTaxed(currentLine(), !module_.Temp2Table->FieldByName("Tax")->AsBoolean());
    DisplayTotals();
}

void TReceiptForm::LineItemDBGridColExit(TObject*) { CalcCost(); }

void TReceiptForm::DeleteBitBtnClick(TObject*) {
    if (MessageDlg("Are you sure you want to delete this item?", mtInformation, {mbYes, mbNo}) != mrYes)
        return;
    TTable* temp2 = module_.Temp2Table;
    totals_.RemoveLine(currentLine());
    temp2->Delete();
    if (temp2->IsEmpty()) {
        temp2->Append();
        temp2->Post();
    }
    DisplayTotals();
}

// ---------------------------------------------------------------- item of a line

void TReceiptForm::ItemQmDBLookupComboClick(TObject*) {
    // The list opens at the line's item.
    module_.ItemTable->SetIndexName("ID");
    const std::string code = module_.Temp2Table->FieldByName("Code")->AsString();
    if (!module_.ItemXbase->Seek(AppUtils::PadRight(code, 10)))
        module_.ItemTable->First();
}

void TReceiptForm::ItemQmDBLookupComboDropDown(TObject* Sender) { ItemQmDBLookupComboClick(Sender); }

void TReceiptForm::ItemQmDBLookupComboCloseUp(TObject*, TQmTable*, TDataSet*, bool) {
    fillLineFromItem(ItemQmDBLookupCombo->Text());
}

void TReceiptForm::ItemQmDBLookupComboExit(TObject*) { fillLineFromItem(UpperCase(ItemQmDBLookupCombo->Text())); }

void TReceiptForm::fillLineFromItem(const std::string& Code) {
    TTable* items = module_.ItemTable;
    TTable* temp2 = module_.Temp2Table;
    const std::string order = items->IndexName();
    items->SetIndexName("ID");
    const std::string code = Trim(Code);
    // Only the whole code names an item; a code that is a prefix of
    // another item's code leaves the line without one.
    const bool exact = !code.empty() && module_.ItemXbase->Seek(code) && !items->Eof() &&
                       Trim(items->FieldByName("ID")->AsString()).size() == code.size();
    ensureEditing(temp2);
    if (exact) {
        temp2->FieldByName("Code")->SetAsString(items->FieldByName("ID")->AsString());
        temp2->FieldByName("Desc")->SetAsString(items->FieldByName("Desc")->AsString());
        Cents::write(temp2->FieldByName("Price"), Cents::read(items->FieldByName("Sell")));
        temp2->FieldByName("Tax")->SetAsBoolean(items->FieldByName("Taxed")->AsBoolean());
    } else {
        temp2->FieldByName("Desc")->Clear();
        temp2->FieldByName("Price")->Clear();
        temp2->FieldByName("Tax")->SetAsBoolean(false);
    }
    items->SetIndexName(order);
    CalcCost();
}

void TReceiptForm::ItemQmDBLookupComboMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button != mbRight)
        return;
    (new TItemLookupListSelect(this))->ShowModal();
    CalcCost();
}

// ---------------------------------------------------------------- rate

void TReceiptForm::SalesTaxRateBitBtnClick(TObject*) {
    TSalesTaxRateDlg dialog(this, totals_.Rate(), module_.DataDirectory);
    dialog.ShowModal();
    // Only the taxed lines are taxed, at the new rate.
    setRate(dialog.ReceiptTaxRate());
    DisplayTotals();
}
