#include "reporting/RSSetFrm.h"

#include <initializer_list>
#include <utility>

#include "base/SysUtils.h"
#include "os/Paths.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSSystem.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

namespace {

const char* const NoPrintersInstalled = "No printers installed!";
const char* const PrinterOnPort = "%s on %s";
const char* const BadPageRange = "The page range must be whole numbers.";
const char* const BadSelection = "The selection must name pages by number, as in 1-3,5.";
const char* const BadOutputFile = "The report cannot be written to the file \"%s\".";

// A file name whose folder exists and is not itself a folder.
bool writableFileName(const std::string& Name) {
    if (Trim(Name).empty() || os::DirectoryExists(Name)) return false;
    const std::string folder = os::ExtractFilePath(os::MapPath(Name));
    return folder.empty() || os::DirectoryExists(folder);
}

// Duplex from the check box: a ticked box asks for two-sided printing and
// keeps the printer's own two-sided kind; a cleared one asks for one side.
int duplexFor(bool Ticked, int Current) {
    if (!Ticked) return 0;
    return Current == 0 ? 1 : Current;
}

// A selection is made of page numbers, ranges "a-b", commas and the "R"
// that reverses the order; without any number it means every page.
bool selectionReadable(const std::string& Text) {
    for (char c : Text)
        if (!(c >= '0' && c <= '9') && c != '-' && c != ',' && c != ' ' && c != 'R' && c != 'r') return false;
    return true;
}

// The destination and the range share one place under the printer's box,
// each a column of three choices 20 pixels apart.
TGroupBox* placeChoices(TWinControl* Parent, const char* Caption,
                        std::initializer_list<std::pair<TRadioButton**, const char*>> Choices) {
    TGroupBox* box = place<TGroupBox>(Parent, 8, 54, 152, 114, Caption);
    int top = 18;
    for (auto [button, caption] : Choices) {
        *button = place<TRadioButton>(box, 10, top, 120, 18, caption);
        top += 20;
    }
    return box;
}

}  // namespace

TRSSetupForm::TRSSetupForm(TComponent* AOwner) : TForm(AOwner), PrinterDevice(defaultReportDevice()) {
    SetName("RSSetupForm");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(287);
    SetClientHeight(218);
    Font()->SetName("Arial");
    Font()->SetHeight(-11);

    GroupBox1 = place<TGroupBox>(this, 8, 4, 271, 44, "Selected Printer");
    PrinterLabel = place<TLabel>(GroupBox1, 10, 20, 253, 16, "(none)");

    DestGB = placeChoices(this, "Report Destination",
                          {{&PrinterRB, "&Printer"}, {&PreviewRB, "Pre&view"}, {&FileRB, "&File"}});
    FileNameED = place<TEdit>(DestGB, 10, 82, 108, 21);
    FileNameSB = place<TSpeedButton>(DestGB, 122, 82, 22, 21, "...");

    RangeGB = placeChoices(this, "Print Range", {{&AllRB, "All"}, {&SelectionRB, "Selection"}, {&PagesRB, "Pages"}});
    FromLabel = place<TLabel>(RangeGB, 10, 86, 30, 16, "From");
    FromED = place<TEdit>(RangeGB, 40, 82, 40, 21);
    ToLabel = place<TLabel>(RangeGB, 86, 86, 16, 16, "to");
    ToED = place<TEdit>(RangeGB, 102, 82, 40, 21);
    SelectionLabel = place<TLabel>(RangeGB, 10, 86, 50, 16, "Selection");
    SelectionED = place<TEdit>(RangeGB, 62, 82, 80, 21);
    AllRB->SetChecked(true);

    GroupBox2 = place<TGroupBox>(this, 168, 54, 111, 114, "Options");
    CopiesLabel = place<TLabel>(GroupBox2, 10, 24, 44, 16, "&Copies");
    CopiesED = place<TEdit>(GroupBox2, 56, 20, 45, 21);
    CopiesLabel->SetFocusControl(CopiesED);
    CollateCK = place<TCheckBox>(GroupBox2, 10, 52, 90, 18, "C&ollate");
    DuplexCK = place<TCheckBox>(GroupBox2, 10, 78, 90, 18, "&Duplex");

    OKBB = place<TBitBtn>(this, 8, 178, 84, 30);
    OKBB->SetKind(bkOK);
    OKBB->SetCaption("   OK   ");
    CancelBB = place<TBitBtn>(this, 100, 178, 84, 30);
    CancelBB->SetKind(bkCancel);
    SetupBB = place<TBitBtn>(this, 192, 178, 87, 30, "&Setup");

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetFilter("All Files|*.*");
    SaveDialog1->SetOptions({ofOverwritePrompt, ofPathMustExist, ofNoReadOnlyReturn});

    bindEvent(OnCreate, this, &TRSSetupForm::FormCreate);
    bindEvent(OnShow, this, &TRSSetupForm::FormShow);
    bindEvent(PrinterRB->OnClick, this, &TRSSetupForm::PrinterRBClick);
    bindEvent(PreviewRB->OnClick, this, &TRSSetupForm::PrinterRBClick);
    bindEvent(FileRB->OnClick, this, &TRSSetupForm::FileRBClick);
    bindEvent(AllRB->OnClick, this, &TRSSetupForm::AllRBClick);
    bindEvent(SelectionRB->OnClick, this, &TRSSetupForm::SelectionRBClick);
    bindEvent(PagesRB->OnClick, this, &TRSSetupForm::PagesRBClick);
    bindEvent(FileNameSB->OnClick, this, &TRSSetupForm::FileNameSBClick);
    bindEvent(SetupBB->OnClick, this, &TRSSetupForm::SetupBBClick);
    bindEvent(OKBB->OnClick, this, &TRSSetupForm::OKBBClick);
}

void TRSSetupForm::FormCreate(TObject*) {
    for (TControl* control : {static_cast<TControl*>(FromLabel), static_cast<TControl*>(FromED),
                              static_cast<TControl*>(ToLabel), static_cast<TControl*>(ToED),
                              static_cast<TControl*>(RangeGB), static_cast<TControl*>(DestGB)})
        control->SetVisible(false);
    for (TControl* control : {static_cast<TControl*>(SelectionLabel), static_cast<TControl*>(SelectionED),
                              static_cast<TControl*>(FileNameED), static_cast<TControl*>(FileNameSB)})
        control->SetEnabled(false);
}

void TRSSetupForm::showPrinterLabel() {
    TReportDevice* device = PrinterDevice;
    if (!device->HasPrinters()) {
        PrinterLabel->SetCaption(throughMessageHook(NoPrintersInstalled));
        return;
    }
    device->Handle();  // resolves the default printer
    PrinterLabel->SetCaption(Format(throughMessageHook(PrinterOnPort), {device->Device(), device->Port()}));
}

void TRSSetupForm::FormShow(TObject*) {
    showPrinterLabel();
    const bool printers = PrinterDevice->HasPrinters();
    const TSystemSetups setups = ReportSystem ? ReportSystem->SystemSetups() : TSystemSetups{};
    if (PreviewSetup) {
        RangeGB->SetEnabled(true);
        RangeGB->SetVisible(true);
        const int pages = FilePrinter ? FilePrinter->PageCount() : 1;
        FromED->SetText("1");
        ToED->SetText(IntToStr(pages));
        SelectionED->SetText("1-" + IntToStr(pages));
    } else {
        DestGB->SetEnabled(true);
        DestGB->SetVisible(true);
        if (!printers) {
            PrinterRB->SetEnabled(false);
            FileRB->SetEnabled(false);
            if (!setups.Contains(ssAllowDestPreview)) PreviewRB->SetEnabled(false);
            else PreviewRB->SetChecked(true);
        } else {
            if (!setups.Contains(ssAllowDestPrinter)) PrinterRB->SetEnabled(false);
            if (!setups.Contains(ssAllowDestPreview)) PreviewRB->SetEnabled(false);
            if (!setups.Contains(ssAllowDestFile)) FileRB->SetEnabled(false);
            switch (ReportSystem ? ReportSystem->DefaultDest() : rdPreview) {
                case rdPrinter: PrinterRB->SetChecked(true); break;
                case rdPreview: PreviewRB->SetChecked(true); break;
                case rdFile: FileRB->SetChecked(true); break;
            }
        }
    }
    if (!printers) {
        for (TControl* control : {static_cast<TControl*>(CollateCK), static_cast<TControl*>(CopiesED),
                                  static_cast<TControl*>(CopiesLabel), static_cast<TControl*>(DuplexCK),
                                  static_cast<TControl*>(SetupBB)})
            control->SetEnabled(false);
    } else {
        if (!setups.Contains(ssAllowCollate)) CollateCK->SetEnabled(false);
        if (!setups.Contains(ssAllowCopies)) {
            CopiesED->SetEnabled(false);
            CopiesLabel->SetEnabled(false);
        }
        if (!setups.Contains(ssAllowDuplex)) DuplexCK->SetEnabled(false);
        if (!setups.Contains(ssAllowPrinterSetup)) SetupBB->SetEnabled(false);
    }
    if (ReportSystem) CopiesED->SetText(IntToStr(ReportSystem->SystemPrinter()->Copies()));
    CollateCK->SetChecked(false);
    DuplexCK->SetChecked(false);
}

void TRSSetupForm::PrinterRBClick(TObject*) {
    FileNameED->SetEnabled(false);
    FileNameSB->SetEnabled(false);
}

void TRSSetupForm::FileRBClick(TObject*) {
    FileNameED->SetEnabled(true);
    FileNameSB->SetEnabled(true);
}

void TRSSetupForm::AllRBClick(TObject*) {
    for (TControl* control : {static_cast<TControl*>(SelectionLabel), static_cast<TControl*>(SelectionED),
                              static_cast<TControl*>(FromLabel), static_cast<TControl*>(FromED),
                              static_cast<TControl*>(ToLabel), static_cast<TControl*>(ToED)})
        control->SetEnabled(false);
}

void TRSSetupForm::SelectionRBClick(TObject*) {
    if (!SelectionRB->Checked()) return;
    for (TControl* control : {static_cast<TControl*>(FromLabel), static_cast<TControl*>(FromED),
                              static_cast<TControl*>(ToLabel), static_cast<TControl*>(ToED)})
        control->SetVisible(false);
    for (TControl* control : {static_cast<TControl*>(SelectionLabel), static_cast<TControl*>(SelectionED)}) {
        control->SetEnabled(true);
        control->SetVisible(true);
    }
}

void TRSSetupForm::PagesRBClick(TObject*) {
    if (!PagesRB->Checked()) return;
    SelectionLabel->SetVisible(false);
    SelectionED->SetVisible(false);
    for (TControl* control : {static_cast<TControl*>(FromLabel), static_cast<TControl*>(FromED),
                              static_cast<TControl*>(ToLabel), static_cast<TControl*>(ToED)}) {
        control->SetEnabled(true);
        control->SetVisible(true);
    }
}

void TRSSetupForm::FileNameSBClick(TObject*) {
    SaveDialog1->SetFileName(FileNameED->Text());
    if (SaveDialog1->Execute()) FileNameED->SetText(SaveDialog1->FileName());
}

void TRSSetupForm::SetupBBClick(TObject*) {
    if (auto* device = dynamic_cast<TRSDevice*>(PrinterDevice)) device->PrinterSetupDialog();
    showPrinterLabel();
}

bool TRSSetupForm::takePageRange() {
    if (!FilePrinter) return true;
    int first = 1, last = 9999;
    std::string selection;
    if (SelectionRB->Checked()) {
        selection = Trim(SelectionED->Text());
        if (!selection.empty() && !selectionReadable(selection)) {
            MessageDlg(throughMessageHook(BadSelection), mtError, {mbOK});
            return false;
        }
    } else if (PagesRB->Checked()) {
        if (!TryStrToInt(Trim(FromED->Text()), first) || !TryStrToInt(Trim(ToED->Text()), last)) {
            MessageDlg(throughMessageHook(BadPageRange), mtError, {mbOK});
            return false;
        }
    }
    FilePrinter->SetFirstPage(first);
    FilePrinter->SetLastPage(last);
    FilePrinter->SetPageSelection(selection);
    return true;
}

void TRSSetupForm::takeOptions(int& Copies, bool& Collate, int& Duplex) const {
    if (!ReportSystem) return;
    const TSystemSetups setups = ReportSystem->SystemSetups();
    int copies = 0;
    if (setups.Contains(ssAllowCopies) && TryStrToInt(Trim(CopiesED->Text()), copies)) Copies = copies;
    if (setups.Contains(ssAllowCollate)) Collate = CollateCK->Checked();
    if (setups.Contains(ssAllowDuplex)) Duplex = duplexFor(DuplexCK->Checked(), Duplex);
}

void TRSSetupForm::OKBBClick(TObject*) {
    if (PreviewSetup) {
        if (!takePageRange()) {
            SetModalResult(mrNone);
            return;
        }
        if (FilePrinter) {
            int copies = FilePrinter->Copies();
            bool collate = FilePrinter->Collate();
            int duplex = FilePrinter->Duplex();
            takeOptions(copies, collate, duplex);
            const TSystemSetups setups = ReportSystem ? ReportSystem->SystemSetups() : TSystemSetups{};
            if (setups.Contains(ssAllowCopies)) FilePrinter->SetCopies(copies);
            if (setups.Contains(ssAllowCollate)) FilePrinter->SetCollate(collate);
            if (setups.Contains(ssAllowDuplex)) FilePrinter->SetDuplex(duplex);
        }
    } else if (ReportSystem) {
        if (PrinterRB->Checked()) {
            ReportSystem->SetReportDest(rdPrinter);
            ReportSystem->SetOutputFileName("");
        } else if (PreviewRB->Checked()) {
            ReportSystem->SetReportDest(rdPreview);
            ReportSystem->SetOutputFileName("");
        } else {
            if (!writableFileName(FileNameED->Text())) {
                MessageDlg(Format(throughMessageHook(BadOutputFile), {FileNameED->Text()}), mtError, {mbOK});
                SetModalResult(mrNone);
                return;
            }
            ReportSystem->SetReportDest(rdFile);
            ReportSystem->SetOutputFileName(FileNameED->Text());
        }
    }
    if (!ReportSystem) return;
    TSystemPrinter* printer = ReportSystem->SystemPrinter();
    int copies = printer->Copies();
    bool collate = printer->Collate();
    int duplex = printer->Duplex();
    takeOptions(copies, collate, duplex);
    printer->SetCopies(copies);
    printer->SetCollate(collate);
    printer->SetDuplex(duplex);
}
