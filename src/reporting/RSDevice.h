#pragma once
// TRSDevice: the report engine's own printer layer, one instance for the
// whole process (GlobalReportDevice). It lists the installed printers as
// "device on port" (the PDF printer last), selects one by index or name,
// keeps its settings record (DEVMODE) and applies changed settings between
// pages, holds an information context for measuring or a device context
// while a job runs, and drives the job: BeginDoc, NewPage, EndDoc, Abort.
//
// Settings a report changes stay on the device for the next report. With an
// empty printer list the device is the no-printer device: no context, no
// settings, every change ignored. Failures raise EDazedeVedodev with the
// texts "Invalid method call.  Device is not printing.", "Invalid method
// call.  Device already printing." and "Invalid Printer - %0:s on %1:s
// (%2:s)", each through the message hook first.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "reporting/ReportDevice.h"
#include "ui/Graphics.h"
#include "ui/PrinterDrivers.h"

// One entry of the printer list.
class TRSDeviceItem : public TObject {
public:
    TRSDeviceItem(std::string Device, std::string Driver, std::string Port, const TPrinterDriver* Printer)
        : Device(std::move(Device)), Driver(std::move(Driver)), Port(std::move(Port)), Printer(Printer) {}
    std::string Device;
    std::string Driver;
    std::string Port;
    // The installed printer behind the entry.
    const TPrinterDriver* Printer;
};

// The object of a bin or paper entry: the driver's number for it.
class TRSDeviceNumber : public TObject {
public:
    explicit TRSDeviceNumber(int Number) : Number(Number) {}
    int Number;
};

class TRSDevice;

// A canvas bound to a device: it draws on the device's current context and
// takes it on first use. It does not own the context.
class TRSCanvas : public TCanvas {
public:
    explicit TRSCanvas(TRSDevice* Device);
    TRSDevice* Device;

protected:
    void CreateHandle() override;
};

class TRSDevice : public TReportDevice {
public:
    // Over the installed printers, the system's default selected first.
    TRSDevice();
    // Over the given printers; DefaultDevice names the default one ("" or a
    // name not in the list: the last printer).
    TRSDevice(std::vector<const TPrinterDriver*> PrinterList, std::string DefaultDevice);
    ~TRSDevice() override;
    TRSDevice(const TRSDevice&) = delete;
    TRSDevice& operator=(const TRSDevice&) = delete;

    // ---- printer list and selection
    // "device on port" of every printer, each with its TRSDeviceItem.
    TStringList* Printers();
    bool HasPrinters() override;
    // Resolves the default printer first when none is chosen yet; -2 while
    // there is no printer.
    int PrinterIndex();
    // Negative: the default printer; the current index or one past the
    // list changes nothing.
    void SetPrinterIndex(int Value);
    // Exact with " on ": the whole name, case counting; exact without: the
    // device name; not exact: any part of "device on port", case ignored.
    bool SelectPrinter(const std::string& Name, bool Exact) override;
    // The print-setup dialog; true when the user chose a printer.
    bool PrinterSetupDialog();
    std::string Device() override { return device_; }
    std::string Driver() override { return driver_; }
    std::string Port() override { return port_; }

    // ---- context and canvas
    // The information context (a device context while a job runs); nullptr
    // without printers.
    TDeviceContext* Handle() override;
    // Made on first use; nullptr without printers.
    TRSCanvas* Canvas() override;
    // 0 no context, 1 information context, 2 device context.
    int DeviceState() const { return deviceState_; }
    void SetDeviceState(int Value);
    // Printable size in device pixels.
    int PageWidth();
    int PageHeight();

    // ---- the settings record
    const TDevMode* DevMode() override;
    bool DevModeChanged() const { return devModeChanged_; }
    // Applies changed settings to the information context (Force: to the
    // current context, whatever its state).
    void UpdateDevMode(bool Force) override;
    TOrientation Orientation();
    void SetOrientation(TOrientation Value) override;
    int MaxCopies() override;
    int Copies();
    // 1..MaxCopies.
    void SetCopies(int Value) override;
    // 0 simplex, 1 long edge, 2 short edge.
    int Duplex() override;
    void SetDuplex(int Value) override;
    bool CanDuplex();
    bool Collate() override;
    void SetCollate(bool Value) override;
    bool CanCollate();
    // Stored for the next job whatever the printer makes of it; 0 is ignored.
    int PrintQuality() override;
    void SetPrintQuality(int Value) override;
    // Bin and paper names as the driver lists them, each with its number.
    TStringList* Bins();
    bool SelectBin(const std::string& Name, bool Exact) override;
    std::string BinName(int Number) override;
    TStringList* Papers();
    bool SupportsPaper(int PaperSize);
    // Smallest and largest user paper (X width, Y length), tenths of a mm.
    void GetPaperLimits(TPoint& Minimum, TPoint& Maximum);
    // Width and Length both non-zero ask for a user size within the limits.
    bool SetPaperSize(int PaperSize, int Width, int Length) override;

    // ---- the print job
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& Value) override { title_ = Value; }
    void setJobCaption(const std::string& Value) override { jobCaption_ = Value; }
    const std::string& OutputFile() const { return outputFile_; }
    // "" prints to the printer's own destination.
    void SetOutputFile(const std::string& Value) override;
    // A file that cannot be written raises, and no job stays open.
    void BeginDoc() override;
    void NewPage(bool StartNext) override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() override { return printing_; }
    bool Aborted() const { return aborted_; }
    // The file the last finished job was written to ("" for none).
    const std::string& LastOutputFile() const { return lastOutputFile_; }
    bool CanPassThrough() override;

private:
    void buildPrinters();
    int defaultIndex();
    void loadPrinter(int Index);
    void resetPrinter();
    TRSDeviceItem* item(int Index);
    TDevMode* devMode();
    void settingChanged(unsigned Field);
    void saveCanvas();
    void restoreCanvas();
    TDeviceContext* context();
    [[noreturn]] void raiseNotPrinting() const;
    [[noreturn]] void raiseAlreadyPrinting() const;
    void checkIdle() const;
    void buildNumberList(std::unique_ptr<TStringList>& List, std::vector<std::unique_ptr<TRSDeviceNumber>>& Numbers,
                         bool BinList);

    bool installed_;  // the list comes from the installed printers
    std::vector<const TPrinterDriver*> drivers_;
    std::string defaultDevice_;
    std::unique_ptr<TStringList> printers_;
    std::vector<std::unique_ptr<TRSDeviceItem>> items_;
    int printerIndex_ = -2;
    std::string device_, driver_, port_;
    const TPrinterDriver* printer_ = nullptr;

    std::optional<TDevMode> devMode_;
    bool devModeChanged_ = false;
    bool keepDevMode_ = false;

    int deviceState_ = 0;
    std::unique_ptr<TDeviceContext> ic_;
    std::unique_ptr<TPrinterContext> dc_;
    std::unique_ptr<TRSCanvas> canvas_;
    bool canvasSaved_ = false;

    std::unique_ptr<TStringList> bins_, papers_;
    std::vector<std::unique_ptr<TRSDeviceNumber>> binNumbers_, paperNumbers_;

    std::string title_;
    std::string jobCaption_;
    std::string outputFile_;
    std::string lastOutputFile_;
    bool printing_ = false;
    bool aborted_ = false;
    bool pageStarted_ = false;
};

// The process's printer device, created on first use and kept to the end.
TRSDevice* GlobalReportDevice();
