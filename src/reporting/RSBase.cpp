// TBaseReport: construction, units and conversions, page geometry, margins,
// sections, the print position with lines and columns, printer settings and
// the print-run guards.
#include "reporting/RSBase.h"

#include "reporting/ReportRounding.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {

const char* const NotPrintingMessage = "Invalid method call.  DazedeVedodev is not printing.";
const char* const AlreadyPrintingMessage = "Invalid method call.  DazedeVedodev already printing.";
const char* const CanvasNotActiveMessage = "Error!  Canvas not yet active.";

}  // namespace

TBaseReport::TBaseReport(TComponent* AOwner)
    : TRSBaseComponent(AOwner),
      statusFormat_(throughMessageHook("Printing page %p")),
      statusText_(std::make_unique<TStringList>()),
      macroData_(std::make_unique<TStringList>()) {
    for (TFontState& saved : savedFonts_) saved = TFontState();
    marginRefresh();
    AddReportEvent(ReportEventPageEnd, {this, "FlushLines", [](TBaseReport* report) { report->FlushLines(); }});
}

TBaseReport::~TBaseReport() {
    if (fontHooked_) {
        // The canvas outlives the report: its font must not call back here.
        try { UnhookFont(); } catch (const Exception&) {}
    }
    if (TReportDevice* device = Device(); device->HasPrinters() && device->Printing()) device->Abort();
    FreeFontCache();
}

void TBaseReport::AssignTo(TPersistent* Dest) const {
    auto* dest = dynamic_cast<TBaseReport*>(Dest);
    if (!dest) {
        TRSBaseComponent::AssignTo(Dest);
        return;
    }
    dest->SetFirstPage(firstPage_);
    dest->SetLastPage(lastPage_);
    dest->SetPageSelection(pageSelection_);
    dest->SetStatusLabel(statusLabel_);
    dest->SetStatusFormat(statusFormat_);
    dest->SetStatusText(statusText_.get());
    dest->SetLineHeightMethod(lineHeightMethod_);
    dest->lineHeight_ = lineHeight_;
    dest->SetLinesPerInch(linesPerInch_);
    dest->SetUnits(units_);
    dest->SetUnitsFactor(unitsFactor_);
    dest->SetMarginLeft(marginLeft_);
    dest->SetMarginRight(marginRight_);
    dest->SetMarginTop(marginTop_);
    dest->SetMarginBottom(marginBottom_);
    dest->SetTabShade(tabShade_);
    dest->SetTitle(title_);
    dest->SetTextBKMode(textBKMode_);
    dest->SetCopies(copies_);
    dest->SetOrientation(orientation_);
    dest->SetScaleX(scaleX_);
    dest->SetScaleY(scaleY_);
    dest->SetMacroData(macroData_.get());
    dest->OnPrint = OnPrint;
    dest->OnPrintPage = OnPrintPage;
    dest->OnBeforePrint = OnBeforePrint;
    dest->OnAfterPrint = OnAfterPrint;
    dest->OnNewPage = OnNewPage;
    dest->OnNewColumn = OnNewColumn;
    dest->OnPrintHeader = OnPrintHeader;
    dest->OnPrintFooter = OnPrintFooter;
}

void TBaseReport::SetDevice(TReportDevice* Value) {
    idleGuard();
    FreeFontCache();
    device_ = Value;
    marginRefresh();
}

bool TBaseReport::NoPrinters() const { return !Device()->HasPrinters(); }

void TBaseReport::SetStatusLabel(TLabel* Value) {
    statusLabel_.set(Value);
}

void TBaseReport::SetStatusText(const TStrings* Value) { statusText_->Assign(Value); }

void TBaseReport::SetMacroData(const TStrings* Value) { macroData_->Assign(Value); }

void TBaseReport::SetLinesPerInch(int Value) {
    if (Value <= 0) return;
    linesPerInch_ = Value;
    UpdateLineHeight();
}

void TBaseReport::SetUnits(TPrintUnits Value) {
    units_ = Value;
    unitsFactor_ = unitsFactorOf(Value, unitsFactor_);
}

void TBaseReport::SetUnitsFactor(double Value) {
    if (!(Value > 0)) return;
    unitsFactor_ = Value;
    units_ = unitsOfFactor(Value);
}

void TBaseReport::SetTabShade(int Value) { tabShade_ = Value > 100 ? 100 : Value < 1 ? 0 : Value; }

void TBaseReport::SetCopies(int Value) {
    idleGuard();
    if (!NoPrinters() && Value > 0) Device()->SetCopies(Value);
    copies_ = Value;
}

void TBaseReport::SetOrientation(TOrientation Value) {
    if (!NoPrinters() && Value != TOrientation::poDefault) {
        Device()->SetOrientation(Value);
        pageGeometryRefresh();
    }
    orientation_ = Value;
}

void TBaseReport::SetScaleX(double Value) {
    if (Value > 0) scaleX_ = Value;
}

void TBaseReport::SetScaleY(double Value) {
    if (Value > 0) scaleY_ = Value;
}

void TBaseReport::SetZoomFactor(double Value) {
    if (Value > 0) zoomFactor_ = Value;
}

// ---------------------------------------------------------------- guards

void TBaseReport::outputGuard() const {
    if (!printing_) RaiseReportError(throughMessageHook(NotPrintingMessage));
    if (aborted_) ::Abort();
}

void TBaseReport::idleGuard() const {
    if (printing_) RaiseReportError(throughMessageHook(AlreadyPrintingMessage));
}

TCanvas* TBaseReport::GetCanvas() {
    TCanvas* canvas = Device()->Canvas();
    if (!canvas) RaiseReportError(throughMessageHook(CanvasNotActiveMessage));
    return canvas;
}

// ---------------------------------------------------------------- conversions

int TBaseReport::xInchToDevice(double X) const {
    return roundToInt(((X + originX_) * scaleX_ * zoomFactor_ * 0.0001 - leftWaste_) * xdpi_) + deviceOffsetX_;
}

int TBaseReport::yInchToDevice(double Y) const {
    return roundToInt(((Y + originY_) * scaleY_ * zoomFactor_ * 0.0001 - topWaste_) * ydpi_) + deviceOffsetY_;
}

double TBaseReport::xDeviceToInch(int X) const {
    return ((X - deviceOffsetX_) / static_cast<double>(xdpi_) + leftWaste_) * 10000.0 / (scaleX_ * zoomFactor_) -
           originX_;
}

double TBaseReport::yDeviceToInch(int Y) const {
    return ((Y - deviceOffsetY_) / static_cast<double>(ydpi_) + topWaste_) * 10000.0 / (scaleY_ * zoomFactor_) -
           originY_;
}

TRect TBaseReport::CreateRect(double X1, double Y1, double X2, double Y2) const {
    return {xUnitsToDevice(X1), yUnitsToDevice(Y1), xUnitsToDevice(X2), yUnitsToDevice(Y2)};
}

// ---------------------------------------------------------------- page geometry

void TBaseReport::pageGeometryRefresh() {
    leftWaste_ = rightWaste_ = topWaste_ = bottomWaste_ = 0;
    if (NoPrinters()) {
        xdpi_ = ydpi_ = 96;
        return;
    }
    TDeviceContext* dc = Device()->Handle();
    std::uint8_t destination = Destination();
    if (!dc || destination == DestPreview) return;
    Device()->UpdateDevMode(false);
    xdpi_ = dc->GetDeviceCaps(LOGPIXELSX);
    ydpi_ = dc->GetDeviceCaps(LOGPIXELSY);
    if (xdpi_ <= 0) xdpi_ = 96;
    if (ydpi_ <= 0) ydpi_ = 96;
    const int offsetX = dc->GetDeviceCaps(PHYSICALOFFSETX);
    const int offsetY = dc->GetDeviceCaps(PHYSICALOFFSETY);
    leftWaste_ = static_cast<double>(offsetX) / xdpi_;
    rightWaste_ = static_cast<double>(dc->GetDeviceCaps(PHYSICALWIDTH) - (dc->GetDeviceCaps(HORZRES) + offsetX)) / xdpi_;
    topWaste_ = static_cast<double>(offsetY) / ydpi_;
    bottomWaste_ =
        static_cast<double>(dc->GetDeviceCaps(PHYSICALHEIGHT) - (dc->GetDeviceCaps(VERTRES) + offsetY)) / ydpi_;
}

void TBaseReport::marginRefresh() {
    idleGuard();
    pageGeometryRefresh();
    SetMarginLeft(marginLeft_);
    SetMarginRight(marginRight_);
    SetMarginTop(marginTop_);
    SetMarginBottom(marginBottom_);
    ResetSection();
}

double TBaseReport::pageWidthInches() {
    TDeviceContext* dc = NoPrinters() ? nullptr : Device()->Handle();
    if (!dc) return storedPageWidth_;
    return static_cast<double>(dc->GetDeviceCaps(HORZRES)) / xdpi_ + leftWaste_ + rightWaste_;
}

double TBaseReport::pageHeightInches() {
    TDeviceContext* dc = NoPrinters() ? nullptr : Device()->Handle();
    if (!dc) return storedPageHeight_;
    return static_cast<double>(dc->GetDeviceCaps(VERTRES)) / ydpi_ + topWaste_ + bottomWaste_;
}

double TBaseReport::PageWidth() { return inchToUnits(pageWidthInches()); }

double TBaseReport::PageHeight() { return inchToUnits(pageHeightInches()); }

void TBaseReport::setMargin(double& Margin, double& Edge, double Value, double EdgeInch,
                            void (TBaseReport::*SetSection)(double)) {
    Margin = Value;
    Edge = EdgeInch;
    (this->*SetSection)(inchToUnits(Edge));
}

void TBaseReport::SetMarginLeft(double Value) {
    setMargin(marginLeft_, leftEdge_, Value, unitsToInch(Value), &TBaseReport::SetSectionLeft);
}

void TBaseReport::SetMarginRight(double Value) {
    setMargin(marginRight_, rightEdge_, Value, pageWidthInches() - unitsToInch(Value), &TBaseReport::SetSectionRight);
}

void TBaseReport::SetMarginTop(double Value) {
    setMargin(marginTop_, topEdge_, Value, unitsToInch(Value), &TBaseReport::SetSectionTop);
}

void TBaseReport::SetMarginBottom(double Value) {
    setMargin(marginBottom_, bottomEdge_, Value, pageHeightInches() - unitsToInch(Value),
              &TBaseReport::SetSectionBottom);
}

// ---------------------------------------------------------------- section

void TBaseReport::setSectionEdge(double& Edge, double Value, double& Pos, bool FarEdge) {
    Edge = unitsToInch(Value);
    if (FarEdge ? Pos > Edge : Pos < Edge) Pos = Edge;
}

void TBaseReport::SetSectionLeft(double Value) { setSectionEdge(sectionLeft_, Value, xPos_, false); }

void TBaseReport::SetSectionRight(double Value) { setSectionEdge(sectionRight_, Value, xPos_, true); }

void TBaseReport::SetSectionTop(double Value) { setSectionEdge(sectionTop_, Value, yPos_, false); }

void TBaseReport::SetSectionBottom(double Value) { setSectionEdge(sectionBottom_, Value, yPos_, true); }

void TBaseReport::ResetSection() {
    sectionLeft_ = leftEdge_;
    sectionRight_ = rightEdge_;
    sectionTop_ = topEdge_;
    sectionBottom_ = bottomEdge_;
}

// ---------------------------------------------------------------- print position

void TBaseReport::SetYPos(double Value) {
    UpdateLineHeight();
    yPos_ = unitsToInch(Value);
}

void TBaseReport::GotoXY(double X, double Y) {
    SetXPos(X);
    SetYPos(Y);
}

void TBaseReport::SetLineNum(int Value) {
    UpdateLineHeight();
    lineNum_ = Value;
    resetTabState();
    xPos_ = columnLeft();
    yPos_ = Value * lineHeight_ + sectionTop_ - descent_;
}

void TBaseReport::SetColumnNum(int Value) {
    columnNum_ = Value;
    xPos_ = columnLeft();
    resetTabState();
}

void TBaseReport::Home() {
    SetColumnNum(1);
    SetLineNum(1);
}

void TBaseReport::CarriageReturn() { xPos_ = columnLeft(); }

void TBaseReport::lineFeedStep() {
    UpdateLineHeight();
    ++lineNum_;
    yPos_ += lineHeight_;
}

void TBaseReport::NewLine() {
    if (columnNum_ < columns_ && LinesLeft() - 1 <= 0) {
        SetLineNum(1);
        SetColumnNum(columnNum_ + 1);
        DoNewColumn();
    } else {
        CarriageReturn();
        lineFeedStep();
    }
    resetTabState();
    if (sectionBottom_ <= yPos_ + descent_) DoEndOfSection();
    LineFeed();
}

int TBaseReport::LinesLeft() const {
    const double lineBottom = yPos_ + descent_;
    if (lineBottom > sectionBottom_) return 0;
    // Without a line height every line fits; the limit keeps the count finite.
    if (!(lineHeight_ > 0)) return static_cast<int>(ReportIntLimit);
    return truncToInt((sectionBottom_ - lineBottom) / lineHeight_) + 1;
}

void TBaseReport::SetFontTop(double Value) {
    UpdateLineHeight();
    yPos_ = unitsToInch(Value) + ascent_;
}

void TBaseReport::SetFontBottom(double Value) {
    UpdateLineHeight();
    yPos_ = unitsToInch(Value) - descent_;
}

void TBaseReport::SetLineTop(double Value) {
    UpdateLineHeight();
    yPos_ = unitsToInch(Value) + lineHeight_ - descent_;
}

void TBaseReport::AdjustLine() {
    if (printing_) SetLineTop(LineTop());
}

bool TBaseReport::PushPos() {
    positions_.emplace_back(xPos_, yPos_);
    return true;
}

bool TBaseReport::PopPos() {
    if (positions_.empty()) return false;
    xPos_ = positions_.back().first;
    yPos_ = positions_.back().second;
    positions_.pop_back();
    return true;
}

// ---------------------------------------------------------------- printer settings

// A stream recorded on a machine without printers is meant for the preview.
bool TBaseReport::recordingWithoutPrinters() { return Destination() == DestStream && NoPrinters(); }

std::string TBaseReport::DeviceName() {
    if (Destination() == DestPreview) return throughMessageHook("Preview");
    if (recordingWithoutPrinters()) return throughMessageHook("Preview Only");
    return Device()->Device();
}

std::string TBaseReport::DriverName() {
    if (Destination() == DestPreview) return throughMessageHook("Preview");
    if (recordingWithoutPrinters()) return throughMessageHook("Preview Only");
    return Device()->Driver();
}

std::string TBaseReport::Port() {
    if (Destination() == DestPreview) return throughMessageHook("Screen");
    if (recordingWithoutPrinters()) return throughMessageHook("Preview");
    return Device()->Port();
}

bool TBaseReport::SetPaperSize(int Size, double Width, double Height) {
    idleGuard();
    if (NoPrinters()) {
        if (Width == 0 || Height == 0) return false;
        storedPageWidth_ = unitsToInch(Width);
        storedPageHeight_ = unitsToInch(Height);
        return true;
    }
    bool result = Device()->SetPaperSize(Size, roundToInt(unitsToInch(Width) * 254), roundToInt(unitsToInch(Height) * 254));
    pageGeometryRefresh();
    return result;
}

int TBaseReport::MaxCopies() { return Device()->MaxCopies(); }

int TBaseReport::Duplex() { return Device()->Duplex(); }

void TBaseReport::SetDuplex(int Value) { Device()->SetDuplex(Value); }

bool TBaseReport::Collate() { return Device()->Collate(); }

void TBaseReport::SetCollate(bool Value) { Device()->SetCollate(Value); }

int TBaseReport::PrintQuality() { return Device()->PrintQuality(); }

void TBaseReport::SetPrintQuality(int Value) { Device()->SetPrintQuality(Value); }

bool TBaseReport::SelectBin(const std::string& Name) { return Device()->SelectBin(Name, false); }

bool TBaseReport::SelectPrinter(const std::string& Name) {
    idleGuard();
    return Device()->SelectPrinter(Name, true) || Device()->SelectPrinter(Name, false);
}

void TBaseReport::SetOutputFileName(const std::string& Value) {
    if (NoPrinters()) return;
    idleGuard();
    outputFileName_ = Value;
}

std::string captionOfOwningForm(const TComponent* Component) {
    for (const TComponent* c = Component; c; c = c->Owner())
        if (auto* form = dynamic_cast<const TForm*>(c)) return form->Caption();
    return "";
}

std::string TBaseReport::jobCaption() const {
    return printCaption_.empty() ? captionOfOwningForm(this) : printCaption_;
}

const TDevMode* TBaseReport::DevMode() { return Device()->DevMode(); }
