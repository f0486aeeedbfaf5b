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
    MessageDlg(throughMessageHook(NoPrintersMessage), mtError, {mbOK});
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
    // The file belongs to this job only: the shared device keeps no other report's.
    device->SetOutputFile(OutputFileName());
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
    const std::exception_ptr failure = endLastPage();
    endRun();
    if (failure) std::rethrow_exception(failure);
}

void TDazedeVedodev::endRun() {
    closeRun([this] {
        TReportDevice* device = Device();
        if (!device->Printing()) return;
        if (Aborted()) device->Abort();
        else device->EndDoc();
    });
}
