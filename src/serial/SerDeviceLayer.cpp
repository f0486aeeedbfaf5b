#include "SerDeviceLayer.h"

#include <mutex>

#include "SerErrors.h"

namespace ser {

namespace {

std::mutex& layerMutex() {
    static std::mutex m;
    return m;
}

TDeviceLayerTable& installed() {
    static TDeviceLayerTable table = defaultDeviceLayer();
    return table;
}

}  // namespace

TDeviceLayerTable defaultDeviceLayer() {
    TDeviceLayerTable t;
    t.BuildDCB = [](int, const std::string&, TDCB&) { return ecNullApi; };
    t.ClearBreak = [](int) { return ecNullApi; };
    t.CloseDevice = [](int) { return ecNullApi; };
    t.EscapeFunction = [](int, int) { return ecNullApi; };
    t.Flush = [](int, int) { return ecNullApi; };
    t.Status = [](int, TComStat&) { return ecNullApi; };
    t.GetEventMask = [](int, uint16_t) { return ecNullApi; };
    t.GetLine = [](int, TDCB&) { return ecNullApi; };
    t.Open = [](const std::string&, uint16_t, uint16_t) { return ecNullApi; };
    t.Read = [](int, unsigned char*, int) { return ecNullApi; };
    t.SetBreak = [](int) { return ecNullApi; };
    t.SetEventMask = [](int, uint16_t) { return 0; };
    t.SetLine = [](int, const TDCB&) { return ecNullApi; };
    t.TransmitChar = [](int, unsigned char) { return ecNullApi; };
    t.UngetChar = [](int, unsigned char) { return ecNullApi; };
    t.Write = [](int, const unsigned char*, int) { return ecNullApi; };
    t.SetPortOptions = [](int, uint16_t) {};
    t.RegisterHandle = [](int, bool) {};
    t.SetBufferSizes = [](int, uint16_t, uint16_t) { return false; };
    return t;
}

void installDeviceLayer(const TDeviceLayerTable& Table) {
    std::lock_guard lock(layerMutex());
    installed() = Table;
}

void installDefaultDeviceLayer() { installDeviceLayer(defaultDeviceLayer()); }

TDeviceLayerTable currentDeviceLayer() {
    std::lock_guard lock(layerMutex());
    return installed();
}

}  // namespace ser
