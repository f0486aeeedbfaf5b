#include "ui/Printers.h"

#include <QFontDatabase>
#include <QStringList>

#include "ui/Text1252.h"

TPrinter::TPrinter() : canvas_(std::make_unique<TCanvas>()) {}

TPrinter::~TPrinter() {
    canvas_->SetHandle(nullptr);
    if (printing_ && dc_) dc_->AbortDoc();
}

void TPrinter::checkPrinting(bool printing) const {
    if (printing_ == printing) return;
    throw EPrinter(printing ? "Printer is not currently printing" : "Printing in progress");
}

TStrings* TPrinter::Printers() {
    if (!printers_) {
        printers_ = std::make_unique<TStringList>();
        for (const TPrinterDriver* p : installedPrinters()) printers_->Add(p->DisplayName());
    }
    return printers_.get();
}

TStrings* TPrinter::Fonts() {
    if (!fonts_) {
        fonts_ = std::make_unique<TStringList>();
        for (const QString& family : QFontDatabase::families()) fonts_->Add(fromQString(family));
    }
    return fonts_.get();
}

void TPrinter::loadPrinter(int index) {
    const auto& all = installedPrinters();
    canvas_->SetHandle(nullptr);
    ic_.reset();
    index_ = index;
    driver_ = all[static_cast<size_t>(index)];
    devMode_ = driver_->DefaultDevMode();
    devModeChanged_ = false;
}

int TPrinter::PrinterIndex() {
    if (index_ < 0) SetPrinterIndex(-1);
    return index_;
}

void TPrinter::SetPrinterIndex(int value) {
    checkPrinting(false);
    const auto& all = installedPrinters();
    if (value == -1) {
        const TPrinterDriver* def = defaultPrinter();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == def) value = static_cast<int>(i);
    } else if (value < 0 || value >= static_cast<int>(all.size())) {
        throw EPrinter("Printer index out of range");
    }
    if (value != index_) loadPrinter(value);
}

const TPrinterDriver* TPrinter::Driver() {
    PrinterIndex();
    return driver_;
}

TDevMode& TPrinter::DevMode() {
    PrinterIndex();
    return devMode_;
}

TPrinterOrientation TPrinter::Orientation() {
    return DevMode().Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation value) {
    int wanted = value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    TDevMode& dm = DevMode();
    if (dm.Orientation == wanted) return;
    dm.Orientation = wanted;
    dm.Fields |= DM_ORIENTATION;
    devModeChanged_ = true;
}

int TPrinter::Copies() { return DevMode().Copies; }

void TPrinter::SetCopies(int value) {
    checkPrinting(false);
    TDevMode& dm = DevMode();
    if (value < 1 || value > driver_->MaxCopies() || value == dm.Copies) return;
    dm.Copies = value;
    dm.Fields |= DM_COPIES;
    devModeChanged_ = true;
}

void TPrinter::SetOutputFile(const std::string& value) {
    checkPrinting(false);
    outputFile_ = value;
}

TDeviceContext* TPrinter::infoContext() {
    if (!ic_ || devModeChanged_) {
        canvas_->SetHandle(nullptr);
        ic_ = Driver()->CreateIC(&devMode_);
        devModeChanged_ = false;
    }
    return ic_.get();
}

TDeviceContext* TPrinter::Handle() {
    if (printing_) return dc_.get();
    return infoContext();
}

TCanvas* TPrinter::Canvas() {
    canvas_->SetHandle(Handle());
    return canvas_.get();
}

int TPrinter::PageWidth() { return Handle()->GetDeviceCaps(HORZRES); }

int TPrinter::PageHeight() { return Handle()->GetDeviceCaps(VERTRES); }

void TPrinter::BeginDoc() {
    checkPrinting(false);
    canvas_->SetHandle(nullptr);
    dc_ = Driver()->CreateDC(&devMode_);
    devModeChanged_ = false;
    if (dc_->StartDoc({title_, outputFile_, ""}) <= 0 || dc_->StartPage() <= 0) {
        dc_.reset();
        throw EPrinter("Printer selected is not valid");
    }
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
    canvas_->SetHandle(dc_.get());
}

void TPrinter::NewPage() {
    checkPrinting(true);
    dc_->EndPage();
    if (devModeChanged_) {
        dc_->ResetDC(devMode_);
        devModeChanged_ = false;
    }
    dc_->StartPage();
    ++pageNumber_;
    canvas_->Refresh();
}

void TPrinter::EndDoc() {
    checkPrinting(true);
    dc_->EndPage();
    if (!aborted_) dc_->EndDoc();
    lastOutputFile_ = aborted_ ? std::string() : dc_->OutputFile();
    canvas_->SetHandle(nullptr);
    dc_.reset();
    ic_.reset();
    printing_ = false;
    aborted_ = false;
    pageNumber_ = 0;
}

void TPrinter::Abort() {
    checkPrinting(true);
    dc_->AbortDoc();
    aborted_ = true;
    EndDoc();
}

TPrinter* Printer() {
    static TPrinter printer;
    return &printer;
}
