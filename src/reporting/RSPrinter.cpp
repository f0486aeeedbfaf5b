#include "reporting/RSPrinter.h"

#include <exception>

#include "base/DateTime.h"
#include "ui/Dialogs.h"

namespace {

const char* const NoPrintersMessage = "No printers are defined, aborting print job.";

}  // namespace

TDazedeVedodev::TDazedeVedodev(TComponent* AOwner) : TCanvasReport(AOwner) {}

bool TDazedeVedodev::noPrinters() {
    if (!NoPrinters()) return false;
    MessageDlg(ThroughMessageHook(NoPrintersMessage), mtError, {mbOK});
    return true;
}

void TDazedeVedodev::Execute() {
    if (noPrinters()) return;
    TCanvasReport::Execute();
}

void TDazedeVedodev::Start() {
    if (noPrinters()) return;
    idleGuard();
    setStartDateTime(Now());
    setAborted(false);
    setCurrentPage(0);
    DoBeforePrint();
    TReportDevice* device = Device();
    device->SetTitle(Title());
    device->setJobCaption(jobCaption());
    device->BeginDoc();
    try {
        marginRefresh();
        setPrinting(true);
        HookFont();
        SetFontState(GetFontState());
        const bool keepTabs = PushTabs();
        ResetPrintState();
        if (keepTabs) PopTabs();
        TBaseReport::NewPage();
        device->NewPage(!pageSkipped());
        devicePageChanged();
        if (!Aborted()) {
            CallReportEvents(ReportEventPageBegin);
            DoNewPage();
            DoPrintHeader();
        }
    } catch (...) {
        endRun();
        throw;
    }
}

void TDazedeVedodev::NewPage() {
    DoPrintFooter();
    CallReportEvents(ReportEventPageEnd);
    TCanvasReport::NewPage();
    CallReportEvents(ReportEventPageBegin);
    DoNewPage();
    DoPrintHeader();
}

void TDazedeVedodev::Finish() {
    if (!Printing()) return;
    std::exception_ptr failure;
    if (!Aborted()) {
        try {
            DoPrintFooter();
            CallReportEvents(ReportEventPageEnd);
        } catch (const EAbort&) {
            // aborted while the last page closed: the job is aborted below
        } catch (...) {
            failure = std::current_exception();
        }
    }
    endRun();
    if (failure) std::rethrow_exception(failure);
}

void TDazedeVedodev::endRun() {
    DiscardLines();
    FreeFontCache();
    UnhookFont();
    TReportDevice* device = Device();
    if (device->Printing()) {
        if (Aborted()) device->Abort();
        else device->EndDoc();
    }
    const bool wasPrinting = Printing();
    setPrinting(false);
    if (wasPrinting) DoAfterPrint();
}
