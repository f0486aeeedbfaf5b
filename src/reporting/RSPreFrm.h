#pragma once
// TRSPreviewForm: the report runner's preview window. A tool bar zooms in
// and out, fits the page width or the whole page, moves between pages,
// prints and closes; "Zoom %" and "Page #" take a zoom or a page typed in;
// "Page n of m" tells where the reader is. The page is shown by the
// window's TFilePreview in its scroll box; the window's TFilePrinter prints
// the same stream.
//
// Promises: a zoom or page entry that is not a number is ignored (the
// entry shows the current value again); a page past the end shows the last
// page; closing the window ends the preview and sets the done flag the
// runner waits for. Keys scroll the page as the tool bar's neighbours
// expect: plain Left and Right stay with the entries.
#include "ui/Forms.h"

class TEdit;
class TFilePreview;
class TFilePrinter;
class TLabel;
class TPanel;
class TReportSystem;
class TSpeedButton;

class TRSPreviewForm : public TForm {
public:
    explicit TRSPreviewForm(TComponent* AOwner);

    TPanel* Panel2;
    TSpeedButton* SBZoomIn;
    TSpeedButton* SBZoomOut;
    TSpeedButton* SBZoomPageWidth;
    TSpeedButton* SBZoomPage;
    TSpeedButton* SBPrevPage;
    TSpeedButton* SBNextPage;
    TSpeedButton* SBPrint;
    TSpeedButton* SBDone;
    TLabel* ZoomLabel;
    TEdit* ZoomEdit;
    TLabel* PageNumLabel;
    TEdit* PageEdit;
    TLabel* PageLabel;
    TScrollBox* ScrollBox1;
    TFilePrinter* FilePrinter1;
    TFilePreview* FilePreview1;

    TReportSystem* ReportSystem = nullptr;
    // Set when the window closes; the runner waits for it.
    bool Done = false;

    void FormCreate(TObject* /*Sender*/) {}
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void SBZoomInClick(TObject* Sender);
    void SBZoomOutClick(TObject* Sender);
    void SBZoomPageWidthClick(TObject* Sender);
    void SBZoomPageClick(TObject* Sender);
    void SBPrevPageClick(TObject* Sender);
    void SBNextPageClick(TObject* Sender);
    void SBPrintClick(TObject* Sender);
    void SBDoneClick(TObject* Sender);
    void FilePreview1PageChange(TObject* Sender);
    void FilePreview1ZoomChange(TObject* Sender);
    void ZoomEditExit(TObject* Sender);
    void ZoomEditKeyPress(TObject* Sender, char& Key);
    void PageEditExit(TObject* Sender);
    void PageEditKeyPress(TObject* Sender, char& Key);

private:
    void takeZoomEntry();
    void takePageEntry();
};
