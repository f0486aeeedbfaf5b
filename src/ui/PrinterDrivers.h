#pragma once
// The installed printers and their print jobs, standing in for the print
// spooler: each printer driver lists its papers and bins, gives the page a
// job with given settings (DEVMODE) prints on, and makes printer contexts
// that run jobs page by page. The system's printers come through Qt; a PDF
// printer is always installed, last in the list.
#include <memory>
#include <string>
#include <vector>

#include "ui/Devices.h"

// Per-job printer settings (DEVMODE); Fields says which ones the printer
// takes and which a caller has set.
constexpr unsigned DM_ORIENTATION = 0x1;
constexpr unsigned DM_PAPERSIZE = 0x2;
constexpr unsigned DM_PAPERLENGTH = 0x4;
constexpr unsigned DM_PAPERWIDTH = 0x8;
constexpr unsigned DM_COPIES = 0x100;
constexpr unsigned DM_DEFAULTSOURCE = 0x200;
constexpr unsigned DM_PRINTQUALITY = 0x400;
constexpr unsigned DM_DUPLEX = 0x1000;
constexpr unsigned DM_COLLATE = 0x8000;

constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;
constexpr int DMPAPER_LETTER = 1;
constexpr int DMPAPER_LEGAL = 5;
constexpr int DMPAPER_EXECUTIVE = 7;
constexpr int DMPAPER_A3 = 8;
constexpr int DMPAPER_A4 = 9;
constexpr int DMPAPER_A5 = 11;
constexpr int DMPAPER_ENV_10 = 20;
constexpr int DMPAPER_USER = 256;
constexpr int DMBIN_AUTO = 7;
constexpr int DMDUP_SIMPLEX = 1;
constexpr int DMDUP_VERTICAL = 2;
constexpr int DMDUP_HORIZONTAL = 3;
// Print qualities; positive values are dots per inch.
constexpr int DMRES_DRAFT = -1;
constexpr int DMRES_LOW = -2;
constexpr int DMRES_MEDIUM = -3;
constexpr int DMRES_HIGH = -4;

struct TDevMode {
    std::string DeviceName;
    unsigned Fields = 0;
    int Orientation = DMORIENT_PORTRAIT;
    int PaperSize = DMPAPER_LETTER;
    int PaperLength = 0;  // tenths of a millimetre, for DMPAPER_USER
    int PaperWidth = 0;
    int Copies = 1;
    int DefaultSource = DMBIN_AUTO;
    int Duplex = DMDUP_SIMPLEX;
    int Collate = 0;
    int PrintQuality = DMRES_HIGH;
    bool operator==(const TDevMode&) const = default;
};

struct TPaperInfo {
    int Number = 0;
    std::string Name;
    int Width = 0;   // tenths of a millimetre, portrait
    int Length = 0;
};

struct TBinInfo {
    int Number = 0;
    std::string Name;
};

class TPrinterContext;

// A print job as it is opened: the spooler's document name, a file to print
// into ("" = the printer's own destination; a bare name goes into the print
// folder) and the caption of the window that printed, which names the file
// the PDF printer writes when the job names none.
struct TDocInfo {
    std::string DocName;
    std::string Output;
    std::string Caption;
};

// One installed printer: its names, capabilities and default settings.
class TPrinterDriver {
public:
    virtual ~TPrinterDriver() = default;
    const std::string& Device() const { return device_; }
    const std::string& Driver() const { return driver_; }
    const std::string& Port() const { return port_; }
    // "device on port", as the printer lists show it.
    std::string DisplayName() const { return device_ + " on " + port_; }

    virtual TDevMode DefaultDevMode() const = 0;
    virtual std::vector<TPaperInfo> Papers() const = 0;
    virtual std::vector<TBinInfo> Bins() const = 0;
    // Smallest and largest user paper, tenths of a millimetre.
    virtual TSize MinExtent() const = 0;
    virtual TSize MaxExtent() const = 0;
    // 1 when the printer cannot make copies itself.
    virtual int MaxCopies() const = 0;
    // The page a job with these settings prints on (nullptr: the defaults).
    virtual TDeviceCaps CapsFor(const TDevMode* devMode) const = 0;
    // An information context: measures like the printer, draws nothing.
    std::unique_ptr<TDeviceContext> CreateIC(const TDevMode* devMode) const;
    // A device context that runs print jobs.
    virtual std::unique_ptr<TPrinterContext> CreateDC(const TDevMode* devMode) const = 0;

protected:
    TPrinterDriver(std::string device, std::string driver, std::string port);
    // Page size in tenths of a millimetre as the settings give it (oriented).
    TSize paperSizeFor(const TDevMode& dm) const;

private:
    std::string device_, driver_, port_;
};

// A device context of a printer: StartDoc, then StartPage/EndPage for each
// page, then EndDoc (or AbortDoc). Drawing works between StartPage and EndPage.
class TPrinterContext : public TDeviceContext {
public:
    ~TPrinterContext() override;
    // Opens the job. Returns a positive job number, or 0 on failure.
    virtual int StartDoc(const TDocInfo& Doc) = 0;
    virtual int StartPage() = 0;
    virtual int EndPage() = 0;
    virtual int EndDoc() = 0;
    virtual int AbortDoc() = 0;
    // New settings; between pages they apply from the next StartPage.
    virtual bool ResetDC(const TDevMode& devMode) = 0;
    const TDevMode& DevMode() const { return devMode_; }
    // The file the job writes or wrote ("" when it went to a printer or was
    // abandoned).
    const std::string& OutputFile() const { return outputFile_; }

protected:
    TPrinterContext(const TPrinterDriver& driver, const TDevMode& devMode);
    const TPrinterDriver& driver_;
    TDevMode devMode_;
    std::string outputFile_;
};

// The installed printers: the system's printers (through Qt, the system's
// default first) and the PDF printer, which is always present and always last.
const std::vector<const TPrinterDriver*>& installedPrinters();
// The system's default printer, or the PDF printer when the system has none.
const TPrinterDriver* defaultPrinter();
const TPrinterDriver* pdfPrinter();
// The printer whose device name equals name (case ignored), or nullptr.
const TPrinterDriver* findPrinter(const std::string& device);
