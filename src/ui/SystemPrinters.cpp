// The system's printers, reached through Qt's print support (CUPS): their
// papers and settings, and jobs printed through a QPrinter.
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

#include "ui/PagedPrinter.h"
#include "ui/PrintOutput.h"
#include "ui/Text1252.h"

namespace {

int tenthsMm(double mm) { return static_cast<int>(std::lround(mm * 10)); }

class QtPrinterDriver : public TPrinterDriver {
public:
    explicit QtPrinterDriver(const QPrinterInfo& info)
        : TPrinterDriver(info.printerName().toStdString(),
                         info.makeAndModel().isEmpty() ? "CUPS" : info.makeAndModel().toStdString(), "CUPS"),
          info_(info) {}

    TDevMode DefaultDevMode() const override {
        TDevMode dm;
        dm.DeviceName = Device();
        dm.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_COLLATE |
                    DM_DEFAULTSOURCE;
        if (info_.supportedDuplexModes().size() > 1) dm.Fields |= DM_DUPLEX;
        int id = info_.defaultPageSize().windowsId();
        dm.PaperSize = id > 0 ? id : DMPAPER_LETTER;
        switch (info_.defaultDuplexMode()) {
        case QPrinter::DuplexLongSide: dm.Duplex = DMDUP_VERTICAL; break;
        case QPrinter::DuplexShortSide: dm.Duplex = DMDUP_HORIZONTAL; break;
        default: dm.Duplex = DMDUP_SIMPLEX; break;
        }
        return dm;
    }

    std::vector<TPaperInfo> Papers() const override {
        std::vector<TPaperInfo> papers;
        int custom = DMPAPER_USER + 1;
        for (const QPageSize& size : info_.supportedPageSizes()) {
            QSizeF mm = size.size(QPageSize::Millimeter);
            int id = size.windowsId();
            papers.push_back({id > 0 ? id : custom++, size.name().toStdString(), tenthsMm(mm.width()),
                              tenthsMm(mm.height())});
        }
        if (info_.supportsCustomPageSizes()) papers.push_back({DMPAPER_USER, "User defined", 0, 0});
        return papers;
    }
    std::vector<TBinInfo> Bins() const override { return {{DMBIN_AUTO, "Automatically Select"}}; }
    TSize MinExtent() const override { return extent(info_.minimumPhysicalPageSize()); }
    TSize MaxExtent() const override { return extent(info_.maximumPhysicalPageSize()); }
    int MaxCopies() const override { return 9999; }

    TDeviceCaps CapsFor(const TDevMode* devMode) const override {
        QPrinter printer(info_, QPrinter::HighResolution);
        configure(printer, devMode ? *devMode : DefaultDevMode());
        int dpi = printer.resolution();
        QRect full = printer.pageLayout().fullRectPixels(dpi);
        QRect paint = printer.pageLayout().paintRectPixels(dpi);
        TDeviceCaps caps;
        caps.Technology = DT_RASPRINTER;
        caps.LogPixelsX = caps.LogPixelsY = dpi;
        caps.PhysicalWidth = full.width();
        caps.PhysicalHeight = full.height();
        caps.HorzRes = paint.width();
        caps.VertRes = paint.height();
        caps.PhysicalOffsetX = paint.left();
        caps.PhysicalOffsetY = paint.top();
        caps.NumColors = info_.defaultColorMode() == QPrinter::GrayScale ? 2 : -1;
        caps.BitsPixel = caps.NumColors == 2 ? 1 : 24;
        caps.Raster = false;  // the driver rasterises
        return caps;
    }

    void configure(QPrinter& printer, const TDevMode& dm) const {
        printer.setFullPage(false);
        QPageLayout layout = pageLayoutFor(dm);
        printer.setPageSize(layout.pageSize());
        printer.setPageOrientation(layout.orientation());
        printer.setCopyCount(std::max(1, dm.Copies));
        printer.setCollateCopies(dm.Collate == 1);
        printer.setDuplex(dm.Duplex == DMDUP_VERTICAL     ? QPrinter::DuplexLongSide
                          : dm.Duplex == DMDUP_HORIZONTAL ? QPrinter::DuplexShortSide
                                                          : QPrinter::DuplexNone);
    }

    const QPrinterInfo& Info() const { return info_; }
    std::unique_ptr<TPrinterContext> CreateDC(const TDevMode* devMode) const override;

private:
    static TSize extent(const QPageSize& size) {
        if (!size.isValid()) return {-1, -1};
        QSizeF mm = size.size(QPageSize::Millimeter);
        return {tenthsMm(mm.width()), tenthsMm(mm.height())};
    }
    QPrinterInfo info_;
};

class QtPrinterContext : public PagedPrinterContext {
public:
    QtPrinterContext(const QtPrinterDriver& driver, const TDevMode& devMode)
        : PagedPrinterContext(driver, devMode), qtDriver_(driver) {}

protected:
    bool openDevice(const TDocInfo& Doc) override {
        printer_ = std::make_unique<QPrinter>(qtDriver_.Info(), QPrinter::HighResolution);
        qtDriver_.configure(*printer_, devMode_);
        printer_->setDocName(ToQString(Doc.DocName));
        outputFile_ = Doc.Output.empty() ? std::string() : printFilePath(Doc.Output);
        if (!outputFile_.empty()) printer_->setOutputFileName(QString::fromStdString(outputFile_));
        return printer_->isValid();
    }
    QPaintDevice* paintDevice() override { return printer_.get(); }
    void applyLayout() override {
        QPageLayout layout = pageLayoutFor(devMode_);
        printer_->setPageSize(layout.pageSize());
        printer_->setPageOrientation(layout.orientation());
    }
    bool newPage() override { return printer_->newPage(); }
    void abortDevice() override { printer_->abort(); }
    void closeDevice(bool aborted) override {
        printer_.reset();
        if (aborted) outputFile_.clear();
    }

private:
    const QtPrinterDriver& qtDriver_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace

std::unique_ptr<TPrinterContext> QtPrinterDriver::CreateDC(const TDevMode* devMode) const {
    return std::make_unique<QtPrinterContext>(*this, devMode ? *devMode : DefaultDevMode());
}

std::vector<std::unique_ptr<TPrinterDriver>> makeSystemPrinterDrivers(std::string& defaultName) {
    std::vector<std::unique_ptr<TPrinterDriver>> drivers;
    QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    // The system's default printer leads the list.
    std::stable_partition(printers.begin(), printers.end(), [](const QPrinterInfo& info) { return info.isDefault(); });
    for (const QPrinterInfo& info : printers) drivers.push_back(std::make_unique<QtPrinterDriver>(info));
    defaultName = QPrinterInfo::defaultPrinterName().toStdString();
    return drivers;
}
