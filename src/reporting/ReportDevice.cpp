#include "reporting/ReportDevice.h"

namespace {

class TNoPrinterDevice : public TReportDevice {
public:
    bool HasPrinters() override { return false; }
    TDeviceContext* Handle() override { return nullptr; }
    TCanvas* Canvas() override { return nullptr; }
};

}  // namespace

TReportDevice* NoPrinterDevice() {
    static TNoPrinterDevice device;
    return &device;
}
