#pragma once
// TDazedeVedodev: the report that prints straight to the printer device,
// with no recorded stream and no preview. Execute runs Start, OnPrint and
// Finish; the device's job opens at Start and ends at Finish, or is
// aborted (leaving no output) when the run was aborted. Pages outside the
// selected range are run but start no device page.
//
// Without any printer, Execute shows "No printers are defined, aborting
// print job." and returns without running OnPrint.
#include "reporting/RSCanvas.h"

class TDazedeVedodev : public TCanvasReport {
public:
    explicit TDazedeVedodev(TComponent* AOwner);

    void Execute() override;
    void Start() override;
    void Finish() override;
    // OnPrintFooter and the page-end list, the page change, the page-begin
    // list, OnNewPage and OnPrintHeader.
    void NewPage() override;

private:
    // Shows the no-printer message; true when there is no printer.
    bool noPrinters();
    void endRun();
};
