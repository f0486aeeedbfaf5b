#include "patients/History.h"

#include <cmath>

#include "app/DataModule.h"
#include "app/ReceiptOpener.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/Graphics.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

constexpr int ImageSize = 16;

// The index name and scope a table had, put back when this goes.
class TOrderKeeper {
public:
    TOrderKeeper(TTable* Table, TXbase* Engine) : table_(Table), engine_(Engine), index_(Table->IndexName()) {
        engine_->GetScope(XB_SCOPE_LOW, low_);
        engine_->GetScope(XB_SCOPE_HIGH, high_);
    }
    void restoreScope() { engine_->SetScope(low_, high_); }
    ~TOrderKeeper() {
        table_->SetIndexName(index_);
        restoreScope();
    }

private:
    TTable* table_;
    TXbase* engine_;
    std::string index_;
    std::string low_, high_;
};

std::string numberText(TTable* Table, const char* Field) {
    return IntToStr(std::llround(Table->FieldByName(Field)->AsFloat()));
}

void blank(TBitmap& Image) {
    Image.SetSize(ImageSize, ImageSize);
    TCanvas* canvas = Image.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, ImageSize, ImageSize));
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(clBlack);
}

// A sheet of paper with lines of writing.
void drawSheet(TBitmap& Image, TColor Paper) {
    blank(Image);
    TCanvas* canvas = Image.Canvas();
    canvas->Brush()->SetColor(Paper);
    canvas->Rectangle(3, 1, 13, 15);
    canvas->Pen()->SetColor(clGray);
    for (int y = 4; y <= 11; y += 2) {
        canvas->MoveTo(5, y);
        canvas->LineTo(11, y);
    }
}

}  // namespace

THistoryForm::THistoryForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsSizeable);
    SetPosition(poScreenCenter);
    SetClientWidth(360);
    SetClientHeight(320);
    ImageList1 = new TImageList(this);
    ImageList1->SetWidth(ImageSize);
    ImageList1->SetHeight(ImageSize);
    drawImages();
    TreeView1 = place<TTreeView>(this, 0, 0, ClientWidth(), ClientHeight());
    TreeView1->SetAlign(alClient);
    TreeView1->SetReadOnly(true);
    TreeView1->SetImages(ImageList1);
    TreeView1->SetHideSelection(false);
    bindEvent(TreeView1->OnDblClick, this, &THistoryForm::TreeView1DblClick);
    bindEvent(OnShow, this, &THistoryForm::FormShow);
    SetCaption("Patient History - " + DataModule1->PatientTable->FieldByName("RECNAME")->AsString());
}

void THistoryForm::drawImages() {
    TBitmap image;
    // 0: an exam, an eye.
    blank(image);
    TCanvas* canvas = image.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Ellipse(1, 4, 15, 12);
    canvas->Brush()->SetColor(clNavy);
    canvas->Ellipse(5, 5, 11, 11);
    ImageList1->AddMasked(&image, clWhite);
    // 1: the receipts, a folder.
    blank(image);
    canvas = image.Canvas();
    canvas->Brush()->SetColor(clYellow);
    canvas->Rectangle(1, 4, 15, 14);
    canvas->Rectangle(1, 2, 7, 5);
    ImageList1->AddMasked(&image, clWhite);
    // 2: a receipt paid by the patient.
    drawSheet(image, clWhite);
    canvas = image.Canvas();
    canvas->Pen()->SetColor(clGreen);
    canvas->MoveTo(9, 12);
    canvas->LineTo(12, 12);
    ImageList1->AddMasked(&image, clFuchsia);
    // 3: a receipt billed to insurance, marked with a cross.
    drawSheet(image, clWhite);
    canvas = image.Canvas();
    canvas->Brush()->SetColor(clBlue);
    canvas->Pen()->SetColor(clBlue);
    canvas->FillRect(Rect(8, 9, 15, 11));
    canvas->FillRect(Rect(10, 7, 13, 14));
    ImageList1->AddMasked(&image, clFuchsia);
}

std::string THistoryForm::PadLeft(const std::string& Text, int Width) {
    if (static_cast<int>(Text.size()) >= Width)
        return Text;
    return std::string(Width - Text.size(), ' ') + Text;
}

void THistoryForm::FormShow(TObject*) {
    TDataModule1* m = DataModule1;
    TTreeNodes* nodes = TreeView1->Items();
    nodes->BeginUpdate();
    nodes->Clear();
    {
        TOrderKeeper exams(m->IncidentTable, m->IncidentXbase);
        TOrderKeeper sales(m->SalesTable, m->SalesXbase);
        m->IncidentTable->SetIndexName("ID");
        m->SalesTable->SetIndexName("Incident");
        const std::string p = PadLeft(numberText(m->PatientTable, "ID"), 10);
        m->IncidentXbase->SetScope(p + "   0", p + "9999");
        for (m->IncidentTable->First(); !m->IncidentTable->Eof(); m->IncidentTable->Next()) {
            const std::string examID = numberText(m->IncidentTable, "ID");
            TTreeNode* exam =
                nodes->Add(nullptr, "Incident" + examID + " - " + m->IncidentTable->FieldByName("DESC")->AsString());
            exam->SetImageIndex(ExamImage);
            exam->SetSelectedIndex(ExamImage);
            TTreeNode* receipts = nodes->AddChild(exam, "Receipts");
            receipts->SetImageIndex(ReceiptsImage);
            receipts->SetSelectedIndex(ReceiptsImage);
            const std::string k = p + PadLeft(examID, 4);
            m->SalesXbase->SetScope(k, k);
            for (m->SalesTable->First(); !m->SalesTable->Eof(); m->SalesTable->Next()) {
                const std::string text = numberText(m->SalesTable, "RECEIPT") + "     " +
                                         m->SalesTable->FieldByName("DATE")->AsString();
                TTreeNode* receipt = nodes->AddChild(receipts, text);
                const bool billed = m->SalesTable->FieldByName("BILLINSUR")->AsBoolean();
                receipt->SetImageIndex(billed ? BilledReceiptImage : ReceiptImage);
                receipt->SetSelectedIndex(billed ? BilledReceiptImage : ReceiptImage);
            }
            sales.restoreScope();
        }
    }
    nodes->EndUpdate();
}

void THistoryForm::TreeView1DblClick(TObject*) {
    TTreeNode* node = TreeView1->Selected();
    // Only a receipt leaf opens anything.
    if (!node || node->HasChildren() || !node->Parent() || UpperCase(node->Parent()->Text()) != "RECEIPTS")
        return;
    const std::string& text = node->Text();
    const std::string number = Trim(text.substr(0, text.find(' ')));
    TDataModule1* m = DataModule1;
    m->SalesTable->SetIndexName("Receipt");
    if (!number.empty() && m->SalesXbase->Seek(number) && m->SalesXbase->Found())
        openStoredReceipt(this, number);
    else
        ShowMessage("Not Found!");
}
