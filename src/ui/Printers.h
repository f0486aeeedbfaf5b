#pragma once
// The class library's printer object over the device layer: choose a printer,
// set orientation and copies, and print pages through a canvas.
#include <memory>
#include <string>

#include "base/Classes.h"
#include "base/Exceptions.h"
#include "ui/PrinterDrivers.h"
#include "ui/Graphics.h"

QM_DECLARE_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // "device on port" of every installed printer; the PDF printer is last.
    TStrings* Printers();
    // Font families available for printing.
    TStrings* Fonts();
    // -1 selects the default printer; other values outside the list raise
    // "Printer index out of range"; while printing "Printing in progress".
    int PrinterIndex();
    void SetPrinterIndex(int value);

    TPrinterOrientation Orientation();
    // Between pages of a job the new orientation applies from the next page.
    void SetOrientation(TPrinterOrientation value);
    int Copies();
    // Ignored when the printer cannot make copies itself (MaxCopies 1).
    void SetCopies(int value);
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    // A file to print into instead of the printer ("" = the printer's own
    // destination; the PDF printer then writes a new file in the print folder).
    const std::string& OutputFile() const { return outputFile_; }
    void SetOutputFile(const std::string& value);
    // The file the last job was written to ("" when it went to a printer).
    const std::string& lastOutputFile() const { return lastOutputFile_; }

    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return pageNumber_; }

    // Draws on the page while printing; measures like the printer otherwise.
    TCanvas* Canvas();
    TDeviceContext* Handle();
    // Printable size of the page in device pixels.
    int PageWidth();
    int PageHeight();

    const TPrinterDriver* Driver();
    TDevMode& DevMode();

private:
    void checkPrinting(bool printing) const;
    void loadPrinter(int index);
    // The information context of the current settings, rebuilt after changes.
    TDeviceContext* infoContext();

    std::unique_ptr<TStringList> printers_;
    std::unique_ptr<TStringList> fonts_;
    int index_ = -2;  // not yet resolved
    const TPrinterDriver* driver_ = nullptr;
    TDevMode devMode_;
    bool devModeChanged_ = false;
    std::unique_ptr<TDeviceContext> ic_;
    std::unique_ptr<TPrinterContext> dc_;
    std::unique_ptr<TCanvas> canvas_;
    std::string title_;
    std::string outputFile_;
    std::string lastOutputFile_;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
};

// The process's printer object, created on first use.
TPrinter* Printer();
