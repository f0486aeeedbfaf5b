#pragma once
// TLabelRowColDlg: the "Labels" dialog that asks where on a partly used
// label sheet printing starts, and the start row and column it leaves for
// the chart labels of the patient record and the shelf labels of the
// inventory (one pair for both).
//
// Promises:
// - Row and column are two-digit masked edits (mask "99;1; ") starting as
//   "1 "; OK stores their trimmed texts as whole numbers in LabelStartRow
//   and LabelStartColumn.
// - A blank or 0 row or column reads as 1, the first row or column.
// - A row or column beyond the sheet is refused with a message and the
//   dialog stays open; closing it without OK means nothing is printed.
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TLabel;
class TMaskEdit;

// Where the last label dialog said printing starts (1-based).
extern int LabelStartRow;
extern int LabelStartColumn;

// A row or column text as a start position: its whole number, 1 for a
// blank, 0 or unreadable text.
int labelStartFromText(const std::string& Text);

// The 1-based label slot where printing starts on a sheet Across labels wide.
int firstLabelSlot(int Row, int Column, int Across);

class TLabelRowColDlg : public TForm {
public:
    explicit TLabelRowColDlg(TComponent* AOwner);

    TLabel* Label1;
    TLabel* RowLabel;
    TLabel* ColumnLabel;
    TMaskEdit* RowEdit;
    TMaskEdit* ColumnEdit;
    TBitBtn* OKBtn;
    // The sheet the labels print on.
    int SheetRows = 1;
    int SheetColumns = 1;

    void OKBtnClick(TObject* Sender);
};

// Resets the start to row 1, column 1 and shows the dialog modally for a
// sheet Rows down and Columns across; LabelStartRow and LabelStartColumn
// then hold the start given. False when the dialog was closed without OK.
bool askLabelStart(TComponent* Owner, int Rows, int Columns);
