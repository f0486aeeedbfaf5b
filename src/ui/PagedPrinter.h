#pragma once
// Inside the device layer only: the print job shared by the PDF printer and
// the system printers (a paged Qt device, opened by the first page and
// finished by EndDoc), the page layout a job's settings give, and the makers
// of each kind of printer driver for the list of installed printers.
#include <QPageLayout>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

#include "ui/PrintOutput.h"
#include "ui/PrinterDrivers.h"

class QPaintDevice;

QPageLayout pageLayoutFor(const TDevMode& dm);

// The job logic of both kinds of printer; a kind supplies its Qt device.
class PagedPrinterContext : public TPrinterContext {
public:
    PagedPrinterContext(const TPrinterDriver& driver, const TDevMode& devMode) : TPrinterContext(driver, devMode) {}
    ~PagedPrinterContext() override {
        if (started_) AbortDoc();
    }

    int StartDoc(const TDocInfo& Doc) override {
        if (started_) return 0;
        if (!openDevice(Doc)) return 0;
        started_ = true;
        pages_ = 0;
        layoutPending_ = false;
        return 1;
    }

    int StartPage() override {
        if (!started_ || pageOpen_) return 0;
        if (pages_ == 0) {
            applyLayout();
            if (!painter_.begin(paintDevice())) return 0;
        } else {
            if (layoutPending_) applyLayout();
            if (!newPage()) return 0;
        }
        layoutPending_ = false;
        ++pages_;
        pageOpen_ = true;
        setCaps(driver_.CapsFor(&devMode_));
        setPainter(&painter_);
        return 1;
    }

    int EndPage() override {
        if (!pageOpen_) return 0;
        pageOpen_ = false;
        setPainter(nullptr);
        return 1;
    }

    int EndDoc() override {
        if (!started_) return 0;
        EndPage();
        if (painter_.isActive()) painter_.end();
        closeDevice(false);
        started_ = false;
        if (!outputFile_.empty()) announcePrinted(outputFile_);
        return 1;
    }

    int AbortDoc() override {
        if (!started_) return 0;
        EndPage();
        abortDevice();
        if (painter_.isActive()) painter_.end();
        closeDevice(true);
        started_ = false;
        return 1;
    }

    bool ResetDC(const TDevMode& devMode) override {
        devMode_ = devMode;
        if (started_ && pageOpen_) {
            layoutPending_ = true;  // a page keeps its size; the next one takes it
            return true;
        }
        layoutPending_ = started_;
        setCaps(driver_.CapsFor(&devMode_));
        return true;
    }

protected:
    // Sets outputFile_ when the job writes a file.
    virtual bool openDevice(const TDocInfo& Doc) = 0;
    virtual QPaintDevice* paintDevice() = 0;
    virtual void applyLayout() = 0;
    virtual bool newPage() = 0;
    virtual void abortDevice() {}
    virtual void closeDevice(bool aborted) = 0;

    QPainter painter_;
    bool started_ = false;
    bool pageOpen_ = false;
    bool layoutPending_ = false;
    int pages_ = 0;
};

std::unique_ptr<TPrinterDriver> makePdfPrinterDriver();
// The system's printers; defaultName receives the system's default printer
// ("" when none). Needs an application object.
std::vector<std::unique_ptr<TPrinterDriver>> makeSystemPrinterDrivers(std::string& defaultName);
