#include "patients/LabelRowCol.h"

#include <memory>

#include "base/SysUtils.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/Mask.h"
#include "ui/StdCtrls.h"

int LabelStartRow = 1;
int LabelStartColumn = 1;

namespace {

const char* const TwoDigitMask = "99;1; ";
const char* const FirstPosition = "1 ";

}  // namespace

int labelStartFromText(const std::string& Text) {
    int value = 0;
    if (!TryStrToInt(Trim(Text), value) || value < 1)
        return 1;
    return value;
}

int firstLabelSlot(int Row, int Column, int Across) { return (Row - 1) * Across + Column; }

TLabelRowColDlg::TLabelRowColDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Labels");
    SetBounds(0, 0, 232, 176);
    Label1 = place<TLabel>(this, 24, 16, 180, 16, "Start label printing at:");
    RowLabel = place<TLabel>(this, 40, 48, 60, 16, "Row");
    ColumnLabel = place<TLabel>(this, 120, 48, 60, 16, "Column");
    RowEdit = place<TMaskEdit>(this, 40, 66, 40, 21);
    ColumnEdit = place<TMaskEdit>(this, 120, 66, 40, 21);
    for (TMaskEdit* edit : {RowEdit, ColumnEdit}) {
        edit->SetEditMask(TwoDigitMask);
        edit->SetText(FirstPosition);
    }
    RowLabel->SetFocusControl(RowEdit);
    ColumnLabel->SetFocusControl(ColumnEdit);
    OKBtn = place<TBitBtn>(this, 78, 104, 75, 25);
    OKBtn->SetKind(bkOK);
    bindEvent(OKBtn->OnClick, this, &TLabelRowColDlg::OKBtnClick);
}

void TLabelRowColDlg::OKBtnClick(TObject*) {
    const int row = labelStartFromText(RowEdit->Text());
    const int column = labelStartFromText(ColumnEdit->Text());
    if (row > SheetRows || column > SheetColumns) {
        MessageDlg("The sheet has " + IntToStr(SheetRows) + " rows of " + IntToStr(SheetColumns) +
                       " labels: start at a row from 1 to " + IntToStr(SheetRows) + " and a column from 1 to " +
                       IntToStr(SheetColumns) + ".",
                   mtError, {mbOK});
        SetModalResult(mrNone);
        return;
    }
    LabelStartRow = row;
    LabelStartColumn = column;
}

bool askLabelStart(TComponent* Owner, int Rows, int Columns) {
    LabelStartRow = 1;
    LabelStartColumn = 1;
    std::unique_ptr<TLabelRowColDlg> dialog(CreateForm<TLabelRowColDlg>(Owner));
    dialog->SheetRows = Rows;
    dialog->SheetColumns = Columns;
    return dialog->ShowModal() == mrOk;
}
