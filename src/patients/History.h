#pragma once
// THistoryForm: one patient's exams and, under each exam's "Receipts" node,
// the receipts written for it, as a read-only tree; modeless. Filling the
// tree leaves the exam and sales tables with the indexes and scopes they had.
// A double click on a receipt leaf opens that receipt in the program's
// receipt window; a double click on anything else is ignored, and a receipt
// no longer in the sales table shows "Not Found!".
#include <string>

#include "ui/Forms.h"

class TImageList;
class TTreeView;

class THistoryForm : public TForm {
public:
    // Tree pictures, by index.
    enum { ExamImage = 0, ReceiptsImage = 1, ReceiptImage = 2, BilledReceiptImage = 3 };

    explicit THistoryForm(TComponent* AOwner);

    TTreeView* TreeView1;
    TImageList* ImageList1;

    void FormShow(TObject* Sender);
    void TreeView1DblClick(TObject* Sender);
    // Blanks prefixed until Text is Width characters long; longer text unchanged.
    static std::string PadLeft(const std::string& Text, int Width);

private:
    void drawImages();
};
