// The receipt window's Lab Rx button: the lab order of the current line,
// for a spectacle or contact lens item only. The first opening of a line's
// order takes the prescription from the receipt's exam; the order window
// then edits the line. Only an order confirmed with OK counts as a change
// of the receipt.
#include <memory>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "sales/LabRxCopy.h"
#include "sales/LabRxDlg.h"
#include "sales/ReceiptForm.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const NotALensItem = "Not a lens item, try again.";

bool editing(const TDataSet* Set) { return Set->State() == dsEdit || Set->State() == dsInsert; }

}  // namespace

void TReceiptForm::LabRxBitBtnClick(TObject*) {
    const bool receiptChanged = module_.ReceiptChanged;
    TTable* header = module_.Temp1Table;
    TTable* line = module_.Temp2Table;
    const std::string examKey = AppUtils::PadLeft(header->FieldByName("PATID")->AsString(), 10) +
                                AppUtils::PadLeft(header->FieldByName("Incident")->AsString(), 4);

    TTable* items = module_.ItemTable;
    const std::string itemOrder = items->IndexName();
    items->SetIndexName("ID");
    const std::string code = line->FieldByName("Code")->AsString();
    const bool itemFound = module_.ItemXbase->Seek(AppUtils::PadRight(UpperCase(code), 10)) && !items->Eof() &&
                           items->FieldByName("ID")->AsString() == code;
    const auto route = itemFound ? LabRxCopy::routeOf(Trim(items->FieldByName("ITEMTYPE")->AsString()))
                                 : std::nullopt;
    items->SetIndexName(itemOrder);
    if (!route) {
        ShowMessage(NotALensItem);
        module_.ReceiptChanged = receiptChanged;
        return;
    }

    // What was typed on the line before the button stays; Cancel in the
    // order window drops only what was done there.
    if (editing(line))
        line->Post();

    TTable* exams = module_.IncidentTable;
    const std::string examOrder = exams->IndexName();
    exams->SetIndexName("ID");
    const bool examFound = module_.IncidentXbase->Seek(examKey) && !exams->Eof();
    if (examFound && Trim(line->FieldByName("TYPE")->AsString()).empty()) {
        line->Edit();
        LabRxCopy::copyExamRx(*route, *exams, *line);
    }
    exams->SetIndexName(examOrder);

    std::unique_ptr<TLabRxOrderDlg> order;
    if (*route == TLabRxRoute::Spectacles)
        order = std::make_unique<TLabRxSpectaclesDlg>(this, module_);
    else
        order = std::make_unique<TLabRxContactLensDlg>(this, module_);
    order->SetCaption(order->Caption() + " - Item:" + std::to_string(line->RecNo()) + "    " + code + " " +
                      line->FieldByName("Desc")->AsString());
    order->ShowModal();
    module_.ReceiptChanged = order->LineChanged() || receiptChanged;
}
