// The PDF printer: always installed, last in the list; a job becomes a PDF
// file at 600 dpi, a new file in the print folder unless the job names one.
#include <QFile>
#include <QPdfWriter>

#include <cmath>

#include "ui/PagedPrinter.h"
#include "ui/PrintOutput.h"
#include "ui/Text1252.h"

namespace {

constexpr int kPdfDpi = 600;

class PdfPrinterDriver : public TPrinterDriver {
public:
    PdfPrinterDriver() : TPrinterDriver("PDF", "Quenmark PDF", "FILE:") {}

    TDevMode DefaultDevMode() const override {
        TDevMode dm;
        dm.DeviceName = Device();
        dm.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_DEFAULTSOURCE;
        return dm;
    }

    std::vector<TPaperInfo> Papers() const override {
        return {
            {DMPAPER_LETTER, "Letter", 2159, 2794},     {DMPAPER_LEGAL, "Legal", 2159, 3556},
            {DMPAPER_EXECUTIVE, "Executive", 1842, 2667}, {DMPAPER_A3, "A3", 2970, 4200},
            {DMPAPER_A4, "A4", 2100, 2970},             {DMPAPER_A5, "A5", 1480, 2100},
            {DMPAPER_ENV_10, "Envelope #10", 1048, 2413}, {DMPAPER_USER, "User defined", 0, 0},
        };
    }
    std::vector<TBinInfo> Bins() const override { return {{DMBIN_AUTO, "Automatically Select"}}; }
    TSize MinExtent() const override { return {254, 254}; }
    TSize MaxExtent() const override { return {4318, 5588}; }
    // A file holds one copy; copies are made by printing again.
    int MaxCopies() const override { return 1; }

    TDeviceCaps CapsFor(const TDevMode* devMode) const override {
        TDevMode dm = devMode ? *devMode : DefaultDevMode();
        TSize paper = paperSizeFor(dm);
        TDeviceCaps caps;
        caps.Technology = DT_RASPRINTER;
        caps.LogPixelsX = caps.LogPixelsY = kPdfDpi;
        caps.PhysicalWidth = caps.HorzRes = static_cast<int>(std::lround(paper.cx / 254.0 * kPdfDpi));
        caps.PhysicalHeight = caps.VertRes = static_cast<int>(std::lround(paper.cy / 254.0 * kPdfDpi));
        caps.NumColors = -1;
        caps.BitsPixel = 24;
        caps.Raster = false;
        return caps;
    }

    std::unique_ptr<TPrinterContext> CreateDC(const TDevMode* devMode) const override;
};

class PdfPrinterContext : public PagedPrinterContext {
public:
    using PagedPrinterContext::PagedPrinterContext;

protected:
    bool openDevice(const TDocInfo& Doc) override {
        outputFile_ = Doc.Output.empty() ? newPrintFile(Doc.Caption.empty() ? Doc.DocName : Doc.Caption)
                                         : printFilePath(Doc.Output);
        QFile probe(QString::fromStdString(outputFile_));
        if (outputFile_.empty() || !probe.open(QIODevice::WriteOnly)) {
            outputFile_.clear();
            return false;
        }
        probe.close();
        writer_ = std::make_unique<QPdfWriter>(QString::fromStdString(outputFile_));
        writer_->setResolution(kPdfDpi);
        writer_->setTitle(ToQString(Doc.DocName));
        writer_->setCreator("Quenmark");
        return true;
    }
    QPaintDevice* paintDevice() override { return writer_.get(); }
    void applyLayout() override { writer_->setPageLayout(pageLayoutFor(devMode_)); }
    bool newPage() override { return writer_->newPage(); }
    void closeDevice(bool aborted) override {
        writer_.reset();
        if (aborted || pages_ == 0) QFile::remove(QString::fromStdString(outputFile_));
        if (aborted || pages_ == 0) outputFile_.clear();
    }

private:
    std::unique_ptr<QPdfWriter> writer_;
};

}  // namespace

std::unique_ptr<TPrinterContext> PdfPrinterDriver::CreateDC(const TDevMode* devMode) const {
    return std::make_unique<PdfPrinterContext>(*this, devMode ? *devMode : DefaultDevMode());
}


std::unique_ptr<TPrinterDriver> makePdfPrinterDriver() { return std::make_unique<PdfPrinterDriver>(); }
