#include "patients/EbillViewer.h"

#include "app/DataModule.h"
#include "base/Classes.h"
#include "patients/EBillFile.h"
#include "patients/EBillLayout.h"
#include "patients/EbillFacsimile.h"
#include "ui/Colors.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int kButtonBarHeight = 41;
constexpr int kShownFacsimileHeight = 600;
// Room for the scroll box's vertical scroll bar and frame.
constexpr int kScrollBarRoom = 22;
// Character height of the data labels' face; its fixed pitch fills one grid column.
constexpr int kDataFontHeight = 13;

}  // namespace

TEbillViewer::TEbillViewer(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(hcfaWidth() + kScrollBarRoom);
    SetClientHeight(kShownFacsimileHeight + kButtonBarHeight);

    ButtonPanel = place<TPanel>(this, 0, 0, ClientWidth(), kButtonBarHeight);
    ButtonPanel->SetAlign(alBottom);
    PageLabel = place<TLabel>(ButtonPanel, 16, 13, 80, 16, "Page 0");
    DeleteBtn = place<TButton>(ButtonPanel, 110, 8, 75, 25, "Delete");
    DeleteBtn->SetHint("Remove this E-Bill claim.");
    DeleteBtn->SetShowHint(true);
    PreviousBtn = place<TButton>(ButtonPanel, 280, 8, 80, 25, "<< Previous");
    PreviousBtn->SetEnabled(false);
    NextBtn = place<TButton>(ButtonPanel, 368, 8, 80, 25, "Next >>");
    ClearButton = place<TButton>(ButtonPanel, ClientWidth() - 91, 8, 75, 25, "Clear");
    ClearButton->SetHint("Remove all E-Bill claims,");
    ClearButton->SetShowHint(true);

    BufferPanel = place<TPanel>(this, 0, 0, 10, 10);
    BufferPanel->SetVisible(false);
    Memo1 = place<TMemo>(BufferPanel, 0, 0, 10, 10);
    Memo1->SetReadOnly(true);

    ScrollBox1 = place<TScrollBox>(this, 0, 0, ClientWidth(), kShownFacsimileHeight);
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetColor(clWhite);
    Facsimile = place<THcfaFacsimile>(ScrollBox1, 0, 0);
    for (const TEBillColumn& column : eBillColumns()) {
        const TRect r = hcfaLabelRect(column);
        TLabel* label = place<TLabel>(ScrollBox1, r.Left, r.Top, r.Width(), r.Height());
        label->SetName(column.LabelName);
        label->SetAutoSize(false);
        label->SetShowAccelChar(false);
        label->SetTransparent(true);
        label->SetLayout(tlCenter);
        label->SetParentFont(false);
        label->Font()->SetName("OCR B MT");
        label->Font()->SetHeight(-kDataFontHeight);
        label->Font()->SetColor(clBlack);
        label->SetCaption("");
        DataLabels.push_back(label);
    }

    bindEvent(OnCreate, this, &TEbillViewer::FormCreate);
    bindEvent(OnClose, this, &TEbillViewer::FormClose);
    bindEvent(DeleteBtn->OnClick, this, &TEbillViewer::DeleteBtnClick);
    bindEvent(PreviousBtn->OnClick, this, &TEbillViewer::PreviousBtnClick);
    bindEvent(NextBtn->OnClick, this, &TEbillViewer::NextBtnClick);
    bindEvent(ClearButton->OnClick, this, &TEbillViewer::ClearButtonClick);
}

void TEbillViewer::FormCreate(TObject*) {
    SetCaption("E-Bill Claims Captured");
    dataFolder_ = DataModule1 ? DataModule1->DataDirectory : std::string();
    Memo1->Lines()->Clear();
    PageNo = 1;
    DisplayHCFAForm();
}

void TEbillViewer::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TEbillViewer::DisplayHCFAForm() {
    Memo1->Lines()->Clear();
    TEBillPage page;
    const bool found = !dataFolder_.empty() && readEBillFile(dataFolder_, PageNo, page);
    if (!found || page.FileEmpty) {
        PageNo = 0;
        for (TButton* button : {DeleteBtn, PreviousBtn, NextBtn, ClearButton}) button->SetEnabled(false);
    }
    PageLabel->SetCaption("Page " + std::to_string(PageNo));
    if (!page.Lines.empty()) {
        PreviousBtn->SetEnabled(PageNo > 1);
        NextBtn->SetEnabled(page.MoreLines);
    }
    for (const std::string& line : page.Lines) Memo1->Lines()->Add(line);
    for (size_t i = 0; i < DataLabels.size(); ++i)
        DataLabels[i]->SetCaption(i < page.Labels.size() ? page.Labels[i] : std::string());
}

void TEbillViewer::NextBtnClick(TObject*) {
    ++PageNo;
    PreviousBtn->SetEnabled(true);
    DisplayHCFAForm();
}

void TEbillViewer::PreviousBtnClick(TObject*) {
    if (PageNo <= 1) return;
    --PageNo;
    DisplayHCFAForm();
}

void TEbillViewer::DeleteBtnClick(TObject*) {
    if (MessageDlg("Remove this claim from captured E-Bills?", mtConfirmation, {mbYes, mbNo}) != mrYes) return;
    const bool linesLeft = removeEBillBlock(dataFolder_, PageNo);
    if (!NextBtn->Enabled()) --PageNo;
    if (!linesLeft) PageNo = 0;
    DisplayHCFAForm();
}

void TEbillViewer::ClearButtonClick(TObject*) {
    if (MessageDlg("Remove all claims from captured E-Bills?", mtConfirmation, {mbYes, mbNo}) != mrYes) return;
    clearEBillFile(dataFolder_);
    PageNo = 0;
    DisplayHCFAForm();
}

TLabel* TEbillViewer::DataLabel(const std::string& Name) const {
    for (TLabel* label : DataLabels)
        if (label->Name() == Name) return label;
    return nullptr;
}

void registerEbillViewer() { RegisterClass<TEbillViewer>(); }
