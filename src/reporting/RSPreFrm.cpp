#include "reporting/RSPreFrm.h"

#include <algorithm>

#include "base/SysUtils.h"
#include "reporting/RSPreview.h"
#include "reporting/RSSetFrm.h"
#include "reporting/RSSystem.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int ToolButtonSize = 25;
constexpr int ZoomTextLength = 10;

TSpeedButton* toolButton(TPanel* Panel, int Left, const std::string& Caption, const std::string& Hint) {
    auto* button = place<TSpeedButton>(Panel, Left, 8, ToolButtonSize, ToolButtonSize, Caption);
    button->SetFlat(true);
    button->SetHint(Hint);
    button->SetShowHint(true);
    return button;
}

}  // namespace

TRSPreviewForm::TRSPreviewForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("RSPreviewForm");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 615, 450);
    Font()->SetName("Arial");
    Font()->SetHeight(-13);

    Panel2 = place<TPanel>(this, 0, 0, 615, 41);
    Panel2->SetAlign(alTop);
    Panel2->SetShowHint(true);
    SBZoomIn = toolButton(Panel2, 4, "+", "Zoom In");
    SBZoomOut = toolButton(Panel2, 29, "-", "Zoom Out");
    SBZoomPageWidth = toolButton(Panel2, 54, "<>", "Zoom Page Width");
    SBZoomPage = toolButton(Panel2, 79, "[]", "Zoom Whole Page");
    SBPrevPage = toolButton(Panel2, 112, "<", "Prev Page");
    SBNextPage = toolButton(Panel2, 137, ">", "Next Page");
    SBPrint = toolButton(Panel2, 170, "P", "Print");
    SBDone = toolButton(Panel2, 195, "X", "Done");
    ZoomLabel = place<TLabel>(Panel2, 230, 13, 48, 16, "Zoom %");
    ZoomEdit = place<TEdit>(Panel2, 280, 9, 50, 22);
    PageNumLabel = place<TLabel>(Panel2, 340, 13, 44, 16, "Page #");
    PageEdit = place<TEdit>(Panel2, 386, 9, 40, 22);
    PageLabel = place<TLabel>(Panel2, 436, 13, 160, 16, "Page 1 of 1");

    ScrollBox1 = place<TScrollBox>(this, 0, 41, 615, 409);
    ScrollBox1->SetAlign(alClient);

    FilePrinter1 = new TFilePrinter(this);
    FilePreview1 = new TFilePreview(this);
    FilePreview1->SetScrollBox(ScrollBox1);

    bindEvent(OnCreate, this, &TRSPreviewForm::FormCreate);
    bindEvent(OnShow, this, &TRSPreviewForm::FormShow);
    bindEvent(OnClose, this, &TRSPreviewForm::FormClose);
    bindEvent(OnKeyDown, this, &TRSPreviewForm::FormKeyDown);
    bindEvent(SBZoomIn->OnClick, this, &TRSPreviewForm::SBZoomInClick);
    bindEvent(SBZoomOut->OnClick, this, &TRSPreviewForm::SBZoomOutClick);
    bindEvent(SBZoomPageWidth->OnClick, this, &TRSPreviewForm::SBZoomPageWidthClick);
    bindEvent(SBZoomPage->OnClick, this, &TRSPreviewForm::SBZoomPageClick);
    bindEvent(SBPrevPage->OnClick, this, &TRSPreviewForm::SBPrevPageClick);
    bindEvent(SBNextPage->OnClick, this, &TRSPreviewForm::SBNextPageClick);
    bindEvent(SBPrint->OnClick, this, &TRSPreviewForm::SBPrintClick);
    bindEvent(SBDone->OnClick, this, &TRSPreviewForm::SBDoneClick);
    bindEvent(FilePreview1->OnPageChange, this, &TRSPreviewForm::FilePreview1PageChange);
    bindEvent(FilePreview1->OnZoomChange, this, &TRSPreviewForm::FilePreview1ZoomChange);
    bindEvent(ZoomEdit->OnExit, this, &TRSPreviewForm::ZoomEditExit);
    bindEvent(ZoomEdit->OnKeyPress, this, &TRSPreviewForm::ZoomEditKeyPress);
    bindEvent(ZoomEdit->OnKeyDown, this, &TRSPreviewForm::FormKeyDown);
    bindEvent(PageEdit->OnExit, this, &TRSPreviewForm::PageEditExit);
    bindEvent(PageEdit->OnKeyPress, this, &TRSPreviewForm::PageEditKeyPress);
    bindEvent(PageEdit->OnKeyDown, this, &TRSPreviewForm::FormKeyDown);
}

void TRSPreviewForm::FormShow(TObject*) {
    if (!FilePreview1->Running()) FilePreview1->Start();
    if (ReportSystem && ReportSystem->OnPreviewShow) ReportSystem->OnPreviewShow(FilePreview1);
}

void TRSPreviewForm::FormClose(TObject*, TCloseAction&) {
    if (FilePreview1->Running()) FilePreview1->Finish();
    Done = true;
}

// ---------------------------------------------------------------- tool bar

void TRSPreviewForm::SBZoomInClick(TObject*) { FilePreview1->ZoomIn(); }

void TRSPreviewForm::SBZoomOutClick(TObject*) { FilePreview1->ZoomOut(); }

void TRSPreviewForm::SBZoomPageWidthClick(TObject*) {
    FilePreview1->SetZoomFactor(FilePreview1->ZoomPageWidthFactor());
}

void TRSPreviewForm::SBZoomPageClick(TObject*) { FilePreview1->SetZoomFactor(FilePreview1->ZoomPageFactor()); }

void TRSPreviewForm::SBPrevPageClick(TObject*) { FilePreview1->PrevPage(); }

void TRSPreviewForm::SBNextPageClick(TObject*) { FilePreview1->NextPage(); }

void TRSPreviewForm::SBDoneClick(TObject*) { Close(); }

void TRSPreviewForm::SBPrintClick(TObject*) {
    if (!ReportSystem || !ReportSystem->SystemOptions().Contains(soAllowPrintFromPreview)) return;
    if (ReportSystem->SystemSetups().Contains(ssAllowPreviewSetup)) {
        std::unique_ptr<TRSSetupForm> setup(CreateForm<TRSSetupForm>(this));
        setup->SetCaption(ReportSystem->TitleSetup());
        setup->PreviewSetup = true;
        setup->ReportSystem = ReportSystem;
        setup->FilePrinter = FilePrinter1;
        const bool confirmed = setup->ShowModal() == mrOk;
        FilePrinter1->SetKeepPrinterSettings(true);
        if (!confirmed) return;
    }
    FilePrinter1->SetKeepPrinterSettings(true);
    int copies = 1;
    if (FilePrinter1->MaxCopies() <= 1 && FilePrinter1->Copies() > 1) {
        copies = FilePrinter1->Copies();
        FilePrinter1->SetCopies(1);
    }
    FilePrinter1->SetTotalCopies(copies);
    if (copies > 1) {
        FilePrinter1->ExecuteCopies(copies);
    } else {
        FilePrinter1->SetCurrentCopy(1);
        FilePrinter1->Execute();
    }
}

// ---------------------------------------------------------------- the preview's events

void TRSPreviewForm::FilePreview1PageChange(TObject*) {
    const int page = FilePreview1->CurrentPage();
    PageEdit->SetText(IntToStr(page));
    PageLabel->SetCaption(throughMessageHook("Page") + " " + IntToStr(page) + " " + throughMessageHook("of") + " " +
                          IntToStr(FilePreview1->PageCount()));
}

void TRSPreviewForm::FilePreview1ZoomChange(TObject*) {
    ZoomEdit->SetText(FormatFloat("0.0", FilePreview1->ZoomFactor()).substr(0, ZoomTextLength));
    FilePreview1->RedrawPage();
}

// ---------------------------------------------------------------- the entries

void TRSPreviewForm::takeZoomEntry() {
    double zoom = 0;
    if (TryStrToFloat(Trim(ZoomEdit->Text()), zoom) && zoom != FilePreview1->ZoomFactor()) {
        FilePreview1->SetZoomFactor(zoom);
        return;
    }
    // Not a number (or no change): the entry shows the zoom in effect.
    ZoomEdit->SetText(FormatFloat("0.0", FilePreview1->ZoomFactor()).substr(0, ZoomTextLength));
}

void TRSPreviewForm::takePageEntry() {
    int page = 0;
    if (TryStrToInt(Trim(PageEdit->Text()), page) && page != FilePreview1->CurrentPage()) {
        FilePreview1->PlayPage(page);
        return;
    }
    PageEdit->SetText(IntToStr(FilePreview1->CurrentPage()));
}

void TRSPreviewForm::ZoomEditExit(TObject*) { takeZoomEntry(); }

void TRSPreviewForm::ZoomEditKeyPress(TObject*, char& Key) {
    if (Key != '\r') return;
    takeZoomEntry();
    Key = 0;
}

void TRSPreviewForm::PageEditExit(TObject*) { takePageEntry(); }

void TRSPreviewForm::PageEditKeyPress(TObject*, char& Key) {
    if (Key != '\r') return;
    takePageEntry();
    Key = 0;
}

// ---------------------------------------------------------------- keys

void TRSPreviewForm::FormKeyDown(TObject*, Word& Key, TShiftState Shift) {
    const bool plainOrCtrl = Shift == TShiftState{} || Shift == TShiftState{ssCtrl};
    TControlScrollBar* vertical = ScrollBox1->VertScrollBar();
    TControlScrollBar* horizontal = ScrollBox1->HorzScrollBar();
    auto move = [](TControlScrollBar* Bar, int Position) {
        Bar->SetPosition(std::clamp(Position, 0, std::max(Bar->Range() - 1, 0)));
    };
    bool handled = true;
    if (plainOrCtrl && Key == VK_UP) move(vertical, vertical->Position() - vertical->Increment());
    else if (plainOrCtrl && Key == VK_DOWN) move(vertical, vertical->Position() + vertical->Increment());
    else if (plainOrCtrl && Key == VK_PRIOR) move(vertical, vertical->Position() - ScrollBox1->Height());
    else if (plainOrCtrl && Key == VK_NEXT) move(vertical, vertical->Position() + ScrollBox1->Height());
    else if (plainOrCtrl && Key == VK_HOME) move(vertical, 0);
    else if (plainOrCtrl && Key == VK_END) move(vertical, vertical->Range() - 1);
    else if (Shift == TShiftState{ssCtrl} && Key == VK_LEFT) move(horizontal, horizontal->Position() - horizontal->Increment());
    else if (Shift == TShiftState{ssCtrl} && Key == VK_RIGHT) move(horizontal, horizontal->Position() + horizontal->Increment());
    else if (Shift == TShiftState{ssShift, ssCtrl} && Key == VK_LEFT) move(horizontal, horizontal->Position() - ScrollBox1->Width());
    else if (Shift == TShiftState{ssShift, ssCtrl} && Key == VK_RIGHT) move(horizontal, horizontal->Position() + ScrollBox1->Width());
    else handled = false;
    if (handled) Key = 0;
}
