#include "reporting/RSSystem.h"

#include <chrono>
#include <thread>

#include "base/Streams.h"
#include "os/Paths.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSFiler.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "reporting/RSPrinter.h"
#include "reporting/RSSetFrm.h"
#include "reporting/RSStaFrm.h"
#include "reporting/RunFinally.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/StdCtrls.h"

namespace {

const char* const DefaultTitle = "DazedeVedodev Report";
const char* const PrintingFormat = "Printing page %p";
const char* const GeneratingFormat = "Generating page %p";
const char* const MonochromeRefused = "Monochrome not allowed while shadows are in effect.\rChange ShadowDepth to 0 first";
const char* const ShadowRefused = "Shadows not allowed while monochrome in effect.\rChange Monochrome to false first";

constexpr double MinimumZoom = 10;
constexpr double MaximumZoom = 200;

// Waits for a window's done flag, running the program's events meanwhile.
void waitFor(const bool& Done) {
    while (!Done && !Application->Terminated()) {
        Application->ProcessMessages();
        if (!Done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// A built-in window of the runner, with its title.
template <class TWindow>
TWindow* createWindow(TReportSystem* System, const std::string& Title) {
    auto* window = CreateForm<TWindow>(System);
    window->SetCaption(Title);
    window->ReportSystem = System;
    return window;
}

// The last step of every built-in window.
void freeWindow(TForm*& Form) {
    delete Form;
    Form = nullptr;
}

}  // namespace

TReportSystemHook ReportSystemHook;

bool reportSystemHookAnswer() { return ReportSystemHook ? ReportSystemHook() : true; }

// ---------------------------------------------------------------- TSystemPrinter

TSystemPrinter::TSystemPrinter() : statusText_(std::make_unique<TStringList>()) {
    SetStatusFormat(PrintingFormat);
    SetTitle(DefaultTitle);
}

TSystemPrinter::~TSystemPrinter() = default;

void TSystemPrinter::SetStatusText(const TStrings* Value) { statusText_->Assign(Value); }

void TSystemPrinter::SetTabShade(int Value) { tabShade_ = Value >= 100 ? 100 : Value <= 0 ? 0 : Value; }

void TSystemPrinter::SetUnits(TPrintUnits Value) {
    units_ = Value;
    unitsFactor_ = unitsFactorOf(Value, unitsFactor_);
}

void TSystemPrinter::SetUnitsFactor(double Value) {
    if (Value <= 0) return;
    unitsFactor_ = Value;
    units_ = unitsOfFactor(Value);
}

int TSystemPrinter::Duplex() const {
    // Reading the device's setting builds its printer list; a form that only
    // makes its runner does not pay for that.
    if (duplex_ < 0) duplex_ = defaultReportDevice()->Duplex();
    return duplex_;
}

void TSystemPrinter::InitPrinter(TBaseReport* Report) {
    Report->SetCopies(copies_);
    Report->SetFirstPage(firstPage_);
    Report->SetLastPage(lastPage_);
    Report->SetLineHeightMethod(lineHeightMethod_);
    Report->SetLinesPerInch(linesPerInch_);
    Report->SetMarginBottom(marginBottom_);
    Report->SetMarginLeft(marginLeft_);
    Report->SetMarginRight(marginRight_);
    Report->SetMarginTop(marginTop_);
    Report->SetOrientation(orientation_);
    Report->SetScaleX(scaleX_);
    Report->SetScaleY(scaleY_);
    Report->SetStatusFormat(statusFormat_);
    Report->SetStatusText(statusText_.get());
    Report->SetTabShade(tabShade_);
    Report->SetTextBKMode(textBKMode_);
    Report->SetTitle(title_);
    Report->SetUnits(units_);
    if (units_ == unUser) Report->SetUnitsFactor(unitsFactor_);
    if (!Report->NoPrinters()) {
        Report->SetCollate(collate_);
        Report->SetDuplex(Duplex());
    }
}

// ---------------------------------------------------------------- TSystemPreview

TSystemPreview::TSystemPreview() : gridPen_(std::make_unique<TPen>()) {}

TSystemPreview::~TSystemPreview() = default;

void TSystemPreview::SetMonochrome(bool Value) {
    if (Value && shadowDepth_ > 0) {
        ShowMessage(throughMessageHook(MonochromeRefused));
        return;
    }
    monochrome_ = Value;
}

void TSystemPreview::SetShadowDepth(int Value) {
    if (Value > 0 && monochrome_) {
        ShowMessage(throughMessageHook(ShadowRefused));
        return;
    }
    shadowDepth_ = Value;
}

void TSystemPreview::SetZoomFactor(double Value) {
    zoomFactor_ = Value < MinimumZoom ? MinimumZoom : Value > MaximumZoom ? MaximumZoom : Value;
}

void TSystemPreview::InitPreview(TFilePreview* Preview) {
    if (!Preview) return;
    Preview->SetGridHoriz(gridHoriz_);
    Preview->SetGridPen(*gridPen_);
    Preview->SetGridVert(gridVert_);
    Preview->SetMarginMethod(marginMethod_);
    Preview->SetMarginPercent(marginPercent_);
    // The preview refuses a monochrome page while it has a shadow; these two
    // already exclude each other here, so the order avoids a false refusal.
    if (monochrome_) Preview->SetShadowDepth(0);
    Preview->SetMonochrome(monochrome_);
    Preview->SetPageInc(pageInc_);
    Preview->SetRulerType(rulerType_);
    Preview->SetShadowDepth(shadowDepth_);
    Preview->SetZoomFactor(zoomFactor_);
    Preview->SetZoomInc(zoomInc_);
}

// ---------------------------------------------------------------- TSystemFiler

TSystemFiler::TSystemFiler() : statusText_(std::make_unique<TStringList>()) { SetStatusFormat(GeneratingFormat); }

TSystemFiler::~TSystemFiler() = default;

void TSystemFiler::SetStatusText(const TStrings* Value) { statusText_->Assign(Value); }

void TSystemFiler::InitFiler(TBaseReport* Report) {
    Report->SetNoFormatCodes(noFormatCodes_);
    if (auto* stream = dynamic_cast<TReportStreamOptions*>(Report)) {
        stream->SetFileName(fileName_);
        stream->SetStreamMode(streamMode_ == smMemory ? smUser : streamMode_);
        stream->SetStream(userStream_);
    }
    if (auto* filer = dynamic_cast<TReportFiler*>(Report)) {
        filer->SetAccuracyMethod(accuracyMethod_);
        filer->SetStatusFormat(statusFormat_);
        filer->SetStatusText(statusText_.get());
    }
}

// ---------------------------------------------------------------- TReportSystem

TReportSystem::TReportSystem(TComponent* AOwner)
    : TRSBaseComponent(AOwner),
      systemSetups_{ssAllowSetup,       ssAllowCopies,      ssAllowCollate,   ssAllowDuplex,       ssAllowDestPreview,
                    ssAllowDestPrinter, ssAllowDestFile,    ssAllowPrinterSetup, ssAllowPreviewSetup},
      systemOptions_{soShowStatus, soAllowPrintFromPreview, soPreviewModal},
      systemFiler_(std::make_unique<TSystemFiler>()),
      systemPreview_(std::make_unique<TSystemPreview>()),
      systemPrinter_(std::make_unique<TSystemPrinter>()),
      macroData_(std::make_unique<TStringList>()) {
    SetTitleSetup("Report Setup");
    SetTitleStatus("Report Status");
    SetTitlePreview("Report Preview");
}

TReportSystem::~TReportSystem() = default;

void TReportSystem::Notification(TComponent* AComponent, TOperation Operation) {
    TRSBaseComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == statusForm_) statusForm_ = nullptr;
    if (AComponent == baseReport_) baseReport_ = nullptr;
}

void TReportSystem::InitEvents(TBaseReport* Report) {
    static_cast<TReportEvents&>(*Report) = static_cast<const TReportEvents&>(*this);
    if (auto* canvasReport = dynamic_cast<TCanvasReport*>(Report)) canvasReport->OnDecodeImage = OnDecodeImage;
}

void TReportSystem::Execute() {
    // A handler that starts its own runner again is not run twice over.
    if (running_) return;
    running_ = true;
    TTaskWindowsDisabled otherWindows;
    std::unique_ptr<TMemoryStream> memory;
    bool filerPath = false;
    auto cleanUp = [&] {
        if (statusForm_) {
            try {
                callStatus(OverrideFree);
            } catch (const Exception&) {
            }
        }
        if (memory) {
            systemFiler_->SetStream(nullptr);
            memory.reset();
        }
        if (filerPath && systemFiler_->StreamMode() == smTempFile) eraseTempFile();
        running_ = false;
    };
    withFinally(
        [&] {
            reportDest_ = defaultDest_;
            aborted_ = false;
            runStatusLabel_ = nullptr;
            if (systemSetups_.Contains(ssAllowSetup)) {
                showWindow(OverrideSetup, &TReportSystem::setupWindow);
            }
            if (aborted_) return;
            repeatCopies_ = defaultReportDevice()->MaxCopies() <= 1 && systemPrinter_->Copies() > 1;
            filerPath = reportDest_ == rdPreview || systemOptions_.Contains(soUseFiler) || repeatCopies_;
            if (filerPath && systemFiler_->StreamMode() == smMemory) {
                memory = std::make_unique<TMemoryStream>();
                systemFiler_->SetStream(memory.get());
            }
            if (filerPath) generate();
            if (!aborted_) {
                if (reportDest_ == rdPreview) preview();
                else print(filerPath);
            }
        },
        cleanUp);
}

std::string TReportSystem::jobCaption() const {
    return printCaption_.empty() ? captionOfOwningForm(this) : printCaption_;
}

void TReportSystem::eraseTempFile() {
    const std::string name = systemFiler_->FileName();
    if (name.empty()) return;
    try {
        os::DeleteFile(name);
    } catch (...) {
    }
    systemFiler_->SetFileName("");
}

void TReportSystem::callStatus(TOverrideMode Mode) {
    if (!OverrideStatus)
        OverrideStatus = [this](TReportSystem* System, TOverrideMode M, TForm*& Form) { statusWindow(System, M, Form); };
    OverrideStatus(this, Mode, statusForm_);
}

void TReportSystem::generate() {
    if (systemOptions_.Contains(soNoGenerate)) return;
    aborted_ = true;
    callStatus(OverrideCreate);
    baseReport_ = nullptr;
    auto* filer = new TReportFiler(Owner());
    baseReport_ = filer;
    filer->FreeNotification(this);
    std::exception_ptr failure;
    try {
        systemPrinter_->InitPrinter(filer);
        systemFiler_->InitFiler(filer);
        InitEvents(filer);
        filer->SetOutputFileName(outputFileName_);
        callStatus(OverrideShow);
        try {
            filer->Execute();
        } catch (const EAbort&) {
            // Cancel in the status window: the run ends quietly.
        }
        macroData_->Assign(filer->MacroData());
        aborted_ = filer->Aborted();
    } catch (...) {
        failure = std::current_exception();
    }
    runStatusLabel_ = filer->StatusLabel();
    systemFiler_->SetFileName(filer->FileName());
    baseReport_ = nullptr;
    delete filer;
    if (reportDest_ == rdPreview) callStatus(OverrideFree);
    if (failure) std::rethrow_exception(failure);
}

void TReportSystem::print(bool FilerPath) {
    aborted_ = true;
    baseReport_ = nullptr;
    const bool noGenerate = systemOptions_.Contains(soNoGenerate);
    TBaseReport* report = nullptr;
    TFilePrinter* player = nullptr;
    std::exception_ptr failure;
    try {
        if (FilerPath) {
            if (noGenerate) callStatus(OverrideCreate);
            player = new TFilePrinter(Owner());
            report = player;
            baseReport_ = report;
            report->FreeNotification(this);
            player->SetMacroData(macroData_.get());
            player->OnDecodeImage = OnDecodeImage;
            if (noGenerate) player->SetKeepPrinterSettings(true);
            systemPrinter_->InitPrinter(player);
            player->setPrintCaption(jobCaption());
            player->SetUnits(unInch);
            systemFiler_->InitFiler(player);
            // Generation gave the device the output file already; a stream
            // that was not generated now would otherwise go to the printer.
            player->SetOutputFileName(outputFileName_);
            // The label lives in the status window, which is still open.
            player->SetStatusLabel(statusForm_ ? runStatusLabel_ : nullptr);
            if (noGenerate) callStatus(OverrideShow);
        } else {
            callStatus(OverrideCreate);
            report = new TDazedeVedodev(Owner());
            baseReport_ = report;
            report->FreeNotification(this);
            systemPrinter_->InitPrinter(report);
            report->setPrintCaption(jobCaption());
            InitEvents(report);
            report->SetOutputFileName(outputFileName_);
            callStatus(OverrideShow);
        }
        int copies = 1;
        if (repeatCopies_) {
            copies = report->Copies();
            report->SetCopies(1);
        }
        report->SetTotalCopies(copies);
        try {
            if (player && copies > 1) {
                player->ExecuteCopies(copies);
            } else {
                report->SetCurrentCopy(1);
                report->Execute();
            }
        } catch (const EAbort&) {
            // Cancel in the status window: the run ends quietly.
        }
        aborted_ = report->Aborted();
        if (!aborted_) callStatus(OverrideWait);
    } catch (...) {
        failure = std::current_exception();
    }
    baseReport_ = nullptr;
    delete report;
    try {
        callStatus(OverrideFree);
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    if (failure) std::rethrow_exception(failure);
}

void TReportSystem::preview() { showWindow(OverridePreview, &TReportSystem::previewWindow); }

// Runs a window through all four steps, the built-in one when the event is
// empty; the window is freed on every way out.
void TReportSystem::showWindow(TReportSystemEvent& Override, BuiltInWindow BuiltIn) {
    if (!Override)
        Override = [this, BuiltIn](TReportSystem* System, TOverrideMode Mode, TForm*& Form) {
            (this->*BuiltIn)(System, Mode, Form);
        };
    TForm* form = nullptr;
    withFinally(
        [&] {
            Override(this, OverrideCreate, form);
            Override(this, OverrideShow, form);
            Override(this, OverrideWait, form);
        },
        [&] { Override(this, OverrideFree, form); });
}

// ---------------------------------------------------------------- built-in windows

void TReportSystem::setupWindow(TReportSystem* /*ReportSystem*/, TOverrideMode Mode, TForm*& Form) {
    switch (Mode) {
        case OverrideCreate: {
            Form = createWindow<TRSSetupForm>(this, titleSetup_);
            break;
        }
        case OverrideShow: {
            auto* setup = static_cast<TRSSetupForm*>(Form);
            setup->PreviewSetup = false;
            aborted_ = setup->ShowModal() == mrCancel;
            break;
        }
        case OverrideFree: freeWindow(Form); break;
        default: break;
    }
}

void TReportSystem::statusWindow(TReportSystem* /*ReportSystem*/, TOverrideMode Mode, TForm*& Form) {
    if (!systemOptions_.Contains(soShowStatus)) return;
    switch (Mode) {
        case OverrideCreate: {
            if (Form) break;
            Form = createWindow<TRSStatusForm>(this, titleStatus_);
            Form->FreeNotification(this);
            break;
        }
        case OverrideShow: {
            auto* status = static_cast<TRSStatusForm*>(Form);
            if (!status) break;
            if (baseReport_) baseReport_->SetStatusLabel(status->StatusLabel);
            status->MakeCancelButton();
            status->Show();
            break;
        }
        case OverrideWait: {
            auto* status = static_cast<TRSStatusForm*>(Form);
            if (!status || !systemOptions_.Contains(soWaitForOK)) break;
            status->MakeOKButton();
            status->Done = false;
            waitFor(status->Done);
            break;
        }
        case OverrideFree: freeWindow(Form); break;
        default: break;
    }
}

void TReportSystem::previewWindow(TReportSystem* /*ReportSystem*/, TOverrideMode Mode, TForm*& Form) {
    switch (Mode) {
        case OverrideCreate: {
            auto* window = createWindow<TRSPreviewForm>(this, titlePreview_);
            window->SetWidth(systemPreview_->FormWidth());
            window->SetHeight(systemPreview_->FormHeight());
            window->SetWindowState(systemPreview_->FormState());
            Form = window;
            break;
        }
        case OverrideShow: {
            auto* window = static_cast<TRSPreviewForm*>(Form);
            systemFiler_->InitFiler(window->FilePrinter1);
            systemFiler_->InitFiler(window->FilePreview1);
            systemPreview_->InitPreview(window->FilePreview1);
            window->FilePrinter1->setPrintCaption(jobCaption());
            window->FilePrinter1->SetMacroData(macroData_.get());
            window->FilePreview1->SetMacroData(macroData_.get());
            window->FilePrinter1->OnDecodeImage = OnDecodeImage;
            window->FilePreview1->OnDecodeImage = OnDecodeImage;
            if (OnPreviewSetup) OnPreviewSetup(window->FilePreview1);
            // Before the show: on a real display the window can be closed
            // while Show waits for it to become active.
            window->Done = false;
            if (systemOptions_.Contains(soPreviewModal)) window->ShowModal();
            else window->Show();
            break;
        }
        case OverrideWait: {
            if (systemOptions_.Contains(soPreviewModal)) break;
            waitFor(static_cast<TRSPreviewForm*>(Form)->Done);
            break;
        }
        case OverrideFree: freeWindow(Form); break;
        default: break;
    }
}
