#pragma once
// What a report asks of the printer device it works for: whether any printer
// is installed, the selected printer's context and canvas (measured with,
// and drawn on during a job), its names, the settings of its next job and
// the job itself. The process-wide printer device (RSDevice.h) implements
// all of it; a device without settings keeps the defaults below, which
// ignore every change.
#include <string>

#include "reporting/RSDefine.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"
#include "ui/PrinterDrivers.h"

class TReportDevice {
public:
    virtual ~TReportDevice() = default;

    // False when no printer at all is installed.
    virtual bool HasPrinters() = 0;
    // The selected printer's context: an information context, or the device
    // context while a job runs. nullptr without printers.
    virtual TDeviceContext* Handle() = 0;
    // The canvas over Handle; nullptr while the device has none.
    virtual TCanvas* Canvas() = 0;
    virtual std::string Device() { return {}; }
    virtual std::string Driver() { return {}; }
    virtual std::string Port() { return {}; }
    // The print job: the document's title, BeginDoc, one NewPage per page
    // (StartNext false closes the open page without opening another), then
    // EndDoc, or Abort, which ends the job without output.
    virtual void SetTitle(const std::string& /*Value*/) {}
    // The caption of the window the next job is printed from; it names the
    // file the PDF printer writes.
    virtual void setJobCaption(const std::string& /*Value*/) {}
    virtual void BeginDoc() {}
    virtual void NewPage(bool /*StartNext*/) {}
    virtual void EndDoc() {}
    virtual void Abort() {}
    // A job is open on the device.
    virtual bool Printing() { return false; }
    // Raw bytes for the printer, passed unchanged; a device that cannot
    // pass them answers false and drops them.
    virtual bool CanPassThrough() { return false; }
    virtual void PassThrough(const std::string& /*Data*/) {}

    // Applies changed settings to the information context (Force: always).
    virtual void UpdateDevMode(bool /*Force*/) {}
    virtual const TDevMode* DevMode() { return nullptr; }
    // Width and Length in tenths of a millimetre (both 0 for a standard size).
    virtual bool SetPaperSize(int /*PaperSize*/, int /*Width*/, int /*Length*/) { return false; }
    virtual void SetOrientation(TOrientation /*Value*/) {}
    virtual int MaxCopies() { return 1; }
    virtual void SetCopies(int /*Value*/) {}
    // 0 simplex, 1 long edge, 2 short edge.
    virtual int Duplex() { return 0; }
    virtual void SetDuplex(int /*Value*/) {}
    virtual bool Collate() { return false; }
    virtual void SetCollate(bool /*Value*/) {}
    // DMRES_DRAFT..DMRES_HIGH or dots per inch; 0 when the device keeps none.
    virtual int PrintQuality() { return 0; }
    virtual void SetPrintQuality(int /*Value*/) {}
    virtual bool SelectBin(const std::string& /*Name*/, bool /*Exact*/) { return false; }
    // The name under which the printer lists the bin numbered Number; "" when
    // it lists none.
    virtual std::string BinName(int /*Number*/) { return ""; }
    virtual bool SelectPrinter(const std::string& /*Name*/, bool /*Exact*/) { return false; }
    // A file the next job prints into instead of the port ("" = the port).
    virtual void SetOutputFile(const std::string& /*FileName*/) {}
};

// The device of a machine without printers: no context, no canvas.
TReportDevice* noPrinterDevice();
// The process-wide printer device every report uses unless given another.
TReportDevice* defaultReportDevice();
