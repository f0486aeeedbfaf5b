#include "ui/PrinterDrivers.h"

#include <QCoreApplication>

#include <utility>

#include "base/SysUtils.h"
#include "ui/PagedPrinter.h"

TPrinterDriver::TPrinterDriver(std::string device, std::string driver, std::string port)
    : device_(std::move(device)), driver_(std::move(driver)), port_(std::move(port)) {}

std::unique_ptr<TDeviceContext> TPrinterDriver::CreateIC(const TDevMode* devMode) const {
    return std::make_unique<TDeviceContext>(CapsFor(devMode));
}

TSize TPrinterDriver::paperSizeFor(const TDevMode& dm) const {
    TSize size{2159, 2794};  // Letter
    if (dm.PaperSize == DMPAPER_USER || (dm.PaperWidth > 0 && dm.PaperLength > 0)) {
        if (dm.PaperWidth > 0 && dm.PaperLength > 0) size = {dm.PaperWidth, dm.PaperLength};
    } else {
        for (const TPaperInfo& paper : Papers())
            if (paper.Number == dm.PaperSize) size = {paper.Width, paper.Length};
    }
    if (dm.Orientation == DMORIENT_LANDSCAPE) std::swap(size.cx, size.cy);
    return size;
}

TPrinterContext::TPrinterContext(const TPrinterDriver& driver, const TDevMode& devMode)
    : TDeviceContext(driver.CapsFor(&devMode)), driver_(driver), devMode_(devMode) {}

TPrinterContext::~TPrinterContext() = default;

namespace {

struct PrinterRegistry {
    std::unique_ptr<TPrinterDriver> pdf = makePdfPrinterDriver();
    std::vector<std::unique_ptr<TPrinterDriver>> system;
    std::vector<const TPrinterDriver*> all;
    std::string systemDefault;

    PrinterRegistry() {
        // Qt's print support needs an application object; without one only the
        // PDF printer exists.
        if (QCoreApplication::instance()) system = makeSystemPrinterDrivers(systemDefault);
        for (const auto& driver : system) all.push_back(driver.get());
        all.push_back(pdf.get());
    }
};

PrinterRegistry& registry() {
    static PrinterRegistry r;
    return r;
}

}  // namespace

const std::vector<const TPrinterDriver*>& installedPrinters() { return registry().all; }

const TPrinterDriver* pdfPrinter() { return registry().pdf.get(); }

const TPrinterDriver* findPrinter(const std::string& device) {
    std::string key = UpperCase(device);
    for (const TPrinterDriver* p : installedPrinters())
        if (UpperCase(p->Device()) == key) return p;
    return nullptr;
}

const TPrinterDriver* defaultPrinter() {
    const std::string& name = registry().systemDefault;
    const TPrinterDriver* found = name.empty() ? nullptr : findPrinter(name);
    return found ? found : pdfPrinter();
}
