// Fuzz target for the report stream player: any bytes either play every
// page onto a measuring-only device or raise one of the engine's errors;
// nothing reads outside the input and nothing is left open.
//
// Built only with clang:
//   CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja
//   cmake --build build-fuzz --target report_stream_fuzz
//   QT_QPA_PLATFORM=offscreen build-fuzz/tests/report_stream_fuzz -runs=300000 \
//       tests/reporting/fuzz/report_stream_fuzz_seeds
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/Streams.h"
#include "reporting/RSFPrint.h"
#include "ui/DialogResponder.h"

namespace {

// A printer whose pages are measured, never drawn.
class MeasuringDevice : public TReportDevice {
public:
    MeasuringDevice() : context_(caps()), canvas_(&context_) {}
    bool HasPrinters() override { return true; }
    TDeviceContext* Handle() override { return &context_; }
    TCanvas* Canvas() override { return &canvas_; }
    void BeginDoc() override { printing_ = true; }
    void EndDoc() override { printing_ = false; }
    void Abort() override { printing_ = false; }
    bool Printing() override { return printing_; }
    bool CanPassThrough() override { return true; }

private:
    static TDeviceCaps caps() {
        TDeviceCaps c;
        c.Technology = DT_RASPRINTER;
        c.LogPixelsX = c.LogPixelsY = 72;
        c.HorzRes = c.PhysicalWidth = 612;
        c.VertRes = c.PhysicalHeight = 792;
        return c;
    }
    TDeviceContext context_;
    TCanvas canvas_;
    bool printing_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "report_stream_fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    static MeasuringDevice device;

    TStringStream input(std::string(reinterpret_cast<const char*>(data), size));
    TFilePrinter player(nullptr);
    player.SetDevice(&device);
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    try {
        player.Execute();
    } catch (const Exception&) {
    }
    if (player.Printing() || device.Printing()) std::abort();
    return 0;
}
