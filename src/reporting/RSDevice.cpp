#include "reporting/RSDevice.h"

#include <utility>

#include "base/SysUtils.h"
#include "ui/Dialogs.h"

namespace {

const char* const DeviceNotPrintingMessage = "Invalid method call.  Device is not printing.";
const char* const DeviceAlreadyPrintingMessage = "Invalid method call.  Device already printing.";
const char* const InvalidPrinterMessage = "Invalid Printer - %0:s on %1:s (%2:s)";
const char* const CannotWriteFileMessage = "Cannot print to the file \"%s\": it cannot be written.";
const char* const CannotStartJobMessage = "Cannot start the print job on %s.";

// An extent answer of -1 means the driver sets no limit.
constexpr int NoExtent = -1;
constexpr int LargestExtent = 32767;

bool sameText(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

}  // namespace

// ---------------------------------------------------------------- canvas

TRSCanvas::TRSCanvas(TRSDevice* Device) : Device(Device) {
    if (TDeviceContext* dc = Device->Handle()) Font()->SetPixelsPerInch(dc->GetDeviceCaps(LOGPIXELSY));
}

void TRSCanvas::CreateHandle() { SetHandle(Device->Handle()); }

// ---------------------------------------------------------------- construction

TRSDevice::TRSDevice() : installed_(true) {}

TRSDevice::TRSDevice(std::vector<const TPrinterDriver*> PrinterList, std::string DefaultDevice)
    : installed_(false), drivers_(std::move(PrinterList)), defaultDevice_(std::move(DefaultDevice)) {}

TRSDevice::~TRSDevice() {
    if (canvas_) canvas_->SetHandle(nullptr);
    if (printing_ && dc_) dc_->AbortDoc();
    SetDeviceState(0);
    resetPrinter();
}

void TRSDevice::raiseNotPrinting() const { RaiseReportError(throughMessageHook(DeviceNotPrintingMessage)); }

void TRSDevice::raiseAlreadyPrinting() const { RaiseReportError(throughMessageHook(DeviceAlreadyPrintingMessage)); }

void TRSDevice::checkIdle() const {
    if (printing_) raiseAlreadyPrinting();
}

// ---------------------------------------------------------------- printer list

void TRSDevice::buildPrinters() {
    if (installed_) {
        drivers_ = installedPrinters();
        defaultDevice_ = defaultPrinter()->Device();
        installed_ = false;
    }
    printers_ = std::make_unique<TStringList>();
    items_.clear();
    for (const TPrinterDriver* driver : drivers_) {
        items_.push_back(std::make_unique<TRSDeviceItem>(driver->Device(), driver->Driver(), driver->Port(), driver));
        printers_->AddObject(driver->Device() + " on " + driver->Port(), items_.back().get());
    }
}

TStringList* TRSDevice::Printers() {
    if (!printers_) buildPrinters();
    return printers_.get();
}

bool TRSDevice::HasPrinters() { return Printers()->Count() > 0; }

TRSDeviceItem* TRSDevice::item(int Index) { return static_cast<TRSDeviceItem*>(Printers()->Objects(Index)); }

int TRSDevice::defaultIndex() {
    const int count = Printers()->Count();
    if (!defaultDevice_.empty())
        for (int i = 0; i < count; ++i)
            if (sameText(item(i)->Device, defaultDevice_)) return i;
    return count - 1;
}

int TRSDevice::PrinterIndex() {
    if (printerIndex_ < 0) SetPrinterIndex(-1);
    return printerIndex_;
}

void TRSDevice::SetPrinterIndex(int Value) {
    checkIdle();
    if (Value == printerIndex_ || Value >= Printers()->Count()) return;
    if (Value < 0) Value = defaultIndex();
    if (Value >= 0) loadPrinter(Value);
}

bool TRSDevice::SelectPrinter(const std::string& Name, bool Exact) {
    checkIdle();
    const bool withPort = Name.find(" on ") != std::string::npos;
    const std::string wanted = UpperCase(Name);
    for (int i = 0; i < Printers()->Count(); ++i) {
        const TRSDeviceItem* entry = item(i);
        const std::string full = entry->Device + " on " + entry->Port;
        const bool match = Exact ? (withPort ? Name == full : Name == entry->Device)
                                 : UpperCase(full).find(wanted) != std::string::npos;
        if (match) {
            SetPrinterIndex(i);
            return true;
        }
    }
    return false;
}

void TRSDevice::loadPrinter(int Index) {
    if (Index == printerIndex_) return;
    resetPrinter();
    printerIndex_ = Index;
    const TRSDeviceItem* entry = item(Index);
    device_ = entry->Device;
    driver_ = entry->Driver;
    port_ = entry->Port;
    printer_ = entry->Printer;
    if (!keepDevMode_) {
        devMode_ = printer_->DefaultDevMode();
        devModeChanged_ = false;
    }
    keepDevMode_ = false;
}

void TRSDevice::resetPrinter() {
    SetDeviceState(0);
    if (devMode_ && !keepDevMode_) {
        devMode_.reset();
        devModeChanged_ = false;
    }
    printerIndex_ = -2;
    printer_ = nullptr;
    bins_.reset();
    papers_.reset();
    binNumbers_.clear();
    paperNumbers_.clear();
    device_.clear();
    driver_.clear();
    port_.clear();
}

bool TRSDevice::PrinterSetupDialog() {
    SetDeviceState(1);
    TPrinterSetupDialog dialog(nullptr);
    const bool chosen = dialog.Execute();
    devModeChanged_ = true;
    if (!chosen) return false;
    const std::string name = dialog.PrinterName();
    const int current = PrinterIndex();
    int found = -1;
    for (int i = 0; i < Printers()->Count() && found < 0; ++i)
        if (sameText(item(i)->Device, name)) found = i;
    if (current >= 0 && sameText(item(current)->Device, name)) found = current;
    if (found < 0) {
        const TPrinterDriver* installed = findPrinter(name);
        RaiseReportError(Format(throughMessageHook(InvalidPrinterMessage),
                                {name, installed ? installed->Port() : std::string(),
                                 installed ? installed->Driver() : std::string()}));
    }
    // The settings the dialog started with stay when the printer stays.
    keepDevMode_ = found == current;
    SelectPrinter(Printers()->Strings(found), true);
    keepDevMode_ = false;
    return true;
}

// ---------------------------------------------------------------- contexts

TDeviceContext* TRSDevice::context() {
    if (dc_) return dc_.get();
    return ic_.get();
}

void TRSDevice::saveCanvas() {
    canvasSaved_ = canvas_ != nullptr;
    if (canvas_) canvas_->SetHandle(nullptr);
}

// The canvas keeps its font, pen and brush across the change; the new
// context takes them on the next drawing.
void TRSDevice::restoreCanvas() {
    if (!canvasSaved_) return;
    canvasSaved_ = false;
    canvas_->SetHandle(context());
}

void TRSDevice::SetDeviceState(int Value) {
    if (Value == deviceState_ || (deviceState_ == 2 && Value == 1)) return;
    if (Value != 0 && Printers()->Count() > 0) PrinterIndex();
    if (context()) {
        saveCanvas();
        dc_.reset();
        ic_.reset();
    }
    if (Value != 0 && Printers()->Count() > 0 && printer_) {
        const TDevMode* settings = devMode_ ? &*devMode_ : nullptr;
        if (Value == 1) ic_ = printer_->CreateIC(settings);
        else dc_ = printer_->CreateDC(settings);
        if (!context())
            RaiseReportError(Format(throughMessageHook(InvalidPrinterMessage), {device_, port_, driver_}));
        if (Value == 2) devModeChanged_ = false;
        if (canvas_) {
            canvasSaved_ = true;
            restoreCanvas();
        }
    }
    deviceState_ = Value;
}

TDeviceContext* TRSDevice::Handle() {
    SetDeviceState(1);
    return context();
}

TRSCanvas* TRSDevice::Canvas() {
    if (Printers()->Count() == 0) return nullptr;
    if (!canvas_) canvas_ = std::make_unique<TRSCanvas>(this);
    return canvas_.get();
}

int TRSDevice::PageWidth() {
    SetDeviceState(1);
    UpdateDevMode(false);
    return context() ? context()->GetDeviceCaps(HORZRES) : 0;
}

int TRSDevice::PageHeight() {
    SetDeviceState(1);
    UpdateDevMode(false);
    return context() ? context()->GetDeviceCaps(VERTRES) : 0;
}

void TRSDevice::UpdateDevMode(bool Force) {
    if (!Force && !(deviceState_ == 1 && devModeChanged_)) return;
    devModeChanged_ = false;
    saveCanvas();
    if (devMode_ && printer_) {
        if (dc_) dc_->ResetDC(*devMode_);
        else if (ic_) ic_->setCaps(printer_->CapsFor(&*devMode_));
    }
    restoreCanvas();
}

// ---------------------------------------------------------------- settings

TDevMode* TRSDevice::devMode() {
    if (Printers()->Count() == 0) return nullptr;
    PrinterIndex();
    return devMode_ ? &*devMode_ : nullptr;
}

const TDevMode* TRSDevice::DevMode() { return devMode(); }

void TRSDevice::settingChanged(unsigned Field) {
    devMode_->Fields |= Field;
    devModeChanged_ = true;
}

TOrientation TRSDevice::Orientation() {
    SetDeviceState(1);
    const TDevMode* dm = devMode();
    return dm && dm->Orientation == DMORIENT_LANDSCAPE ? TOrientation::poLandScape : TOrientation::poPortrait;
}

void TRSDevice::SetOrientation(TOrientation Value) {
    if (Value == TOrientation::poDefault) return;
    TDevMode* dm = devMode();
    const int wanted = Value == TOrientation::poLandScape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (!dm || dm->Orientation == wanted) return;
    dm->Orientation = wanted;
    settingChanged(DM_ORIENTATION);
}

int TRSDevice::MaxCopies() {
    if (Printers()->Count() == 0) return 1;
    SetDeviceState(1);
    return printer_ ? printer_->MaxCopies() : 1;
}

int TRSDevice::Copies() {
    const TDevMode* dm = devMode();
    return dm ? dm->Copies : 1;
}

void TRSDevice::SetCopies(int Value) {
    checkIdle();
    TDevMode* dm = devMode();
    if (!dm || Value < 1 || Value > MaxCopies() || Value == dm->Copies) return;
    dm->Copies = Value;
    settingChanged(DM_COPIES);
}

int TRSDevice::Duplex() {
    const TDevMode* dm = devMode();
    if (!dm || dm->Duplex < DMDUP_SIMPLEX || dm->Duplex > DMDUP_HORIZONTAL) return 0;
    return dm->Duplex - 1;
}

void TRSDevice::SetDuplex(int Value) {
    checkIdle();
    if (!CanDuplex() || Value < 0 || Value > 2) return;
    TDevMode* dm = devMode();
    if (dm->Duplex == Value + 1) return;
    dm->Duplex = Value + 1;
    settingChanged(DM_DUPLEX);
}

bool TRSDevice::CanDuplex() {
    const TDevMode* dm = devMode();
    return dm && (dm->Fields & DM_DUPLEX) != 0;
}

bool TRSDevice::Collate() {
    const TDevMode* dm = devMode();
    return dm && dm->Collate == 1;
}

void TRSDevice::SetCollate(bool Value) {
    checkIdle();
    if (!CanCollate() || Value == Collate()) return;
    devMode()->Collate = Value ? 1 : 0;
    settingChanged(DM_COLLATE);
}

bool TRSDevice::CanCollate() {
    const TDevMode* dm = devMode();
    return dm && (dm->Fields & DM_COLLATE) != 0;
}

int TRSDevice::PrintQuality() {
    const TDevMode* dm = devMode();
    return dm ? dm->PrintQuality : 0;
}

void TRSDevice::SetPrintQuality(int Value) {
    checkIdle();
    TDevMode* dm = devMode();
    if (!dm || Value == 0 || Value < DMRES_HIGH || Value == dm->PrintQuality) return;
    dm->PrintQuality = Value;
    settingChanged(DM_PRINTQUALITY);
}

void TRSDevice::buildNumberList(std::unique_ptr<TStringList>& List,
                                std::vector<std::unique_ptr<TRSDeviceNumber>>& Numbers, bool BinList) {
    if (List) return;
    SetDeviceState(1);
    auto list = std::make_unique<TStringList>();
    Numbers.clear();
    auto add = [&](const std::string& name, int number) {
        Numbers.push_back(std::make_unique<TRSDeviceNumber>(number));
        list->AddObject(name, Numbers.back().get());
    };
    if (Printers()->Count() > 0 && PrinterIndex() >= 0 && printer_) {
        if (BinList) {
            for (const TBinInfo& bin : printer_->Bins()) add(bin.Name, bin.Number);
        } else {
            for (const TPaperInfo& paper : printer_->Papers()) add(paper.Name, paper.Number);
        }
    }
    List = std::move(list);
}

TStringList* TRSDevice::Bins() {
    buildNumberList(bins_, binNumbers_, true);
    return bins_.get();
}

TStringList* TRSDevice::Papers() {
    buildNumberList(papers_, paperNumbers_, false);
    return papers_.get();
}

bool TRSDevice::SelectBin(const std::string& Name, bool Exact) {
    TStringList* bins = Bins();
    const std::string wanted = UpperCase(Name);
    for (int i = 0; i < bins->Count(); ++i) {
        const std::string bin = bins->Strings(i);
        if (Exact ? bin != Name : UpperCase(bin).find(wanted) == std::string::npos) continue;
        TDevMode* dm = devMode();
        if (!dm) return false;
        const int number = static_cast<TRSDeviceNumber*>(bins->Objects(i))->Number;
        if (dm->DefaultSource != number) {
            dm->DefaultSource = number;
            settingChanged(DM_DEFAULTSOURCE);
        }
        return true;
    }
    return false;
}

std::string TRSDevice::BinName(int Number) {
    TStringList* bins = Bins();
    for (int i = 0; i < bins->Count(); ++i)
        if (static_cast<TRSDeviceNumber*>(bins->Objects(i))->Number == Number) return bins->Strings(i);
    return "";
}

bool TRSDevice::SupportsPaper(int PaperSize) {
    const TDevMode* dm = devMode();
    if (!dm || (dm->Fields & DM_PAPERSIZE) == 0) return false;
    TStringList* papers = Papers();
    for (int i = 0; i < papers->Count(); ++i)
        if (static_cast<TRSDeviceNumber*>(papers->Objects(i))->Number == PaperSize) return true;
    return false;
}

void TRSDevice::GetPaperLimits(TPoint& Minimum, TPoint& Maximum) {
    Minimum = {1, 1};
    Maximum = {LargestExtent, LargestExtent};
    if (Printers()->Count() == 0 || PrinterIndex() < 0 || !printer_) return;
    SetDeviceState(1);
    auto limit = [](TSize extent, TPoint fallback) {
        if (extent.cx == NoExtent) return fallback;
        return TPoint{extent.cx, extent.cy == 0 ? extent.cx : extent.cy};
    };
    Minimum = limit(printer_->MinExtent(), Minimum);
    Maximum = limit(printer_->MaxExtent(), Maximum);
}

bool TRSDevice::SetPaperSize(int PaperSize, int Width, int Length) {
    checkIdle();
    TDevMode* dm = devMode();
    if (!dm) return false;
    if (Width != 0 && Length != 0) {
        if (!SupportsPaper(DMPAPER_USER)) return false;
        if (dm->PaperSize == DMPAPER_USER && dm->PaperWidth == Width && dm->PaperLength == Length) return false;
        TPoint minimum, maximum;
        GetPaperLimits(minimum, maximum);
        if (Width < minimum.X || Width > maximum.X || Length < minimum.Y || Length > maximum.Y) return false;
        dm->PaperSize = DMPAPER_USER;
        dm->PaperWidth = Width;
        dm->PaperLength = Length;
    } else {
        if (!SupportsPaper(PaperSize)) return false;
        if (dm->PaperSize == PaperSize && dm->PaperWidth == 0 && dm->PaperLength == 0) return false;
        dm->PaperSize = PaperSize;
        dm->PaperWidth = 0;
        dm->PaperLength = 0;
    }
    settingChanged(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH);
    return true;
}

// ---------------------------------------------------------------- the print job

void TRSDevice::SetOutputFile(const std::string& Value) {
    checkIdle();
    outputFile_ = Value;
}

void TRSDevice::BeginDoc() {
    checkIdle();
    UpdateDevMode(false);
    SetDeviceState(2);
    if (!dc_) return;  // no printer: callers test the printer count themselves
    printing_ = true;
    aborted_ = false;
    pageStarted_ = false;
    if (canvas_) canvas_->Refresh();
    if (dc_->StartDoc({title_, outputFile_, jobCaption_}) <= 0) {
        printing_ = false;
        SetDeviceState(0);
        if (!outputFile_.empty()) RaiseReportError(Format(throughMessageHook(CannotWriteFileMessage), {outputFile_}));
        RaiseReportError(Format(throughMessageHook(CannotStartJobMessage), {device_ + " on " + port_}));
    }
}

void TRSDevice::NewPage(bool StartNext) {
    if (!printing_) raiseNotPrinting();
    if (pageStarted_) dc_->EndPage();
    if (devModeChanged_) UpdateDevMode(true);
    else if (canvas_) canvas_->Refresh();
    if (StartNext) dc_->StartPage();
    pageStarted_ = StartNext;
    if (StartNext && canvas_) canvas_->Refresh();
}

void TRSDevice::EndDoc() {
    if (!printing_) raiseNotPrinting();
    if (pageStarted_) dc_->EndPage();
    pageStarted_ = false;
    if (!aborted_) dc_->EndDoc();
    lastOutputFile_ = aborted_ ? std::string() : dc_->OutputFile();
    SetDeviceState(0);
    printing_ = false;
    aborted_ = false;
}

void TRSDevice::Abort() {
    if (!printing_) raiseNotPrinting();
    dc_->AbortDoc();
    aborted_ = true;
    EndDoc();
}

// Raw data needs a printer that takes it; the printers of the device layer
// (the PDF printer and the system's printers through Qt) take none, so the
// device keeps the interface's answer for PassThrough: nothing is sent.
bool TRSDevice::CanPassThrough() {
    TDeviceContext* dc = Handle();
    return dc && dc->Escape(QUERYESCSUPPORT, PASSTHROUGH) != 0;
}

// ---------------------------------------------------------------- process-wide devices

TRSDevice* GlobalReportDevice() {
    // Lives to the end of the process: reports freed at exit may still ask it.
    static TRSDevice* const device = new TRSDevice();
    return device;
}

TReportDevice* defaultReportDevice() { return GlobalReportDevice(); }

TReportDevice* noPrinterDevice() {
    static TRSDevice* const device = new TRSDevice({}, "");
    return device;
}
