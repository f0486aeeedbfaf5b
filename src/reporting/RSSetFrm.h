#pragma once
// TRSSetupForm: the report runner's setup window. Before a run it chooses
// the destination (printer, preview or a file), the copies, collate and
// duplex and, through the Setup button, the printer; when printing from the
// preview it chooses the pages instead of the destination (all, a
// selection, or a range).
//
// Promises: OK hands the choices to the runner's SystemPrinter (and, from
// the preview, to the player); a copies entry that is not a whole number
// leaves the copies as they were; a page range that is not made of whole
// numbers, or a selection made of anything but page numbers, ranges and
// "R", is refused with a message and the window stays open. Collate and
// Duplex start unticked.
#include "ui/Forms.h"

class TBitBtn;
class TCheckBox;
class TEdit;
class TFilePrinter;
class TGroupBox;
class TLabel;
class TRadioButton;
class TReportDevice;
class TReportSystem;
class TSaveDialog;
class TSpeedButton;

class TRSSetupForm : public TForm {
public:
    explicit TRSSetupForm(TComponent* AOwner);

    TGroupBox* GroupBox1;
    TLabel* PrinterLabel;
    TGroupBox* DestGB;
    TRadioButton* PrinterRB;
    TRadioButton* PreviewRB;
    TRadioButton* FileRB;
    TEdit* FileNameED;
    TSpeedButton* FileNameSB;
    TGroupBox* RangeGB;
    TRadioButton* AllRB;
    TRadioButton* SelectionRB;
    TRadioButton* PagesRB;
    TLabel* FromLabel;
    TEdit* FromED;
    TLabel* ToLabel;
    TEdit* ToED;
    TLabel* SelectionLabel;
    TEdit* SelectionED;
    TGroupBox* GroupBox2;
    TLabel* CopiesLabel;
    TEdit* CopiesED;
    TCheckBox* CollateCK;
    TCheckBox* DuplexCK;
    TBitBtn* OKBB;
    TBitBtn* CancelBB;
    TBitBtn* SetupBB;
    TSaveDialog* SaveDialog1;

    // The runner whose options the window shows and sets.
    TReportSystem* ReportSystem = nullptr;
    // Set only when printing from the preview: the player that prints.
    TFilePrinter* FilePrinter = nullptr;
    bool PreviewSetup = false;
    // The printer device whose printers the window offers: the process's.
    TReportDevice* PrinterDevice;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void PrinterRBClick(TObject* Sender);
    void FileRBClick(TObject* Sender);
    void AllRBClick(TObject* Sender);
    void SelectionRBClick(TObject* Sender);
    void PagesRBClick(TObject* Sender);
    void FileNameSBClick(TObject* Sender);
    void SetupBBClick(TObject* Sender);
    void OKBBClick(TObject* Sender);

private:
    void showPrinterLabel();
    // False (after the message) when the page choice cannot be read.
    bool takePageRange();
    void takeOptions(int& Copies, bool& Collate, int& Duplex) const;
};
