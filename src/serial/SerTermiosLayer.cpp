#include "SerTermiosLayer.h"

#include <map>
#include <memory>
#include <mutex>

#include "SerErrors.h"
#include "SerPortRec.h"
#include "base/IniFiles.h"
#include "base/SysUtils.h"
#include "os/SerialDevice.h"

namespace ser {

namespace {

// Per-handle record: the device and the error counts seen at the last poll.
struct TDeviceRecord {
    os::SerialDevice Device;
    os::SerialErrorCounts Counts;
};

std::mutex& recordsMutex() {
    static std::mutex m;
    return m;
}

std::map<int, std::unique_ptr<TDeviceRecord>>& records() {
    static std::map<int, std::unique_ptr<TDeviceRecord>> list;
    return list;
}

TDeviceRecord* record(int Dev) {
    std::lock_guard lock(recordsMutex());
    auto it = records().find(Dev);
    return it == records().end() ? nullptr : it->second.get();
}

os::SerialParity parityOf(uint8_t parity) {
    switch (parity) {
    case ODDPARITY: return os::SerialParity::Odd;
    case EVENPARITY: return os::SerialParity::Even;
    case MARKPARITY: return os::SerialParity::Mark;
    case SPACEPARITY: return os::SerialParity::Space;
    default: return os::SerialParity::None;
    }
}

uint8_t parityCode(os::SerialParity parity) {
    switch (parity) {
    case os::SerialParity::Odd: return ODDPARITY;
    case os::SerialParity::Even: return EVENPARITY;
    case os::SerialParity::Mark: return MARKPARITY;
    case os::SerialParity::Space: return SPACEPARITY;
    default: return NOPARITY;
    }
}

int openDevice(const std::string& Name, uint16_t, uint16_t) {
    auto rec = std::make_unique<TDeviceRecord>();
    int r = rec->Device.open(devicePathForName(Name));
    if (r < 0) return r;
    int fd = rec->Device.handle();
    rec->Counts = rec->Device.errorCounts();
    std::lock_guard lock(recordsMutex());
    records()[fd] = std::move(rec);
    return fd;
}

int closeDevice(int Dev) {
    std::lock_guard lock(recordsMutex());
    return records().erase(Dev) ? 0 : -1;
}

int setLine(int Dev, const TDCB& dcb) {
    TDeviceRecord* rec = record(Dev);
    if (!rec) return ecNoPortRecord;
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE || dcb.fOutxDsrFlow) return ecNotSupported;
    os::SerialLine line;
    line.baud = static_cast<int>(dcb.BaudRate);
    line.parity = parityOf(dcb.Parity);
    line.dataBits = dcb.ByteSize;
    line.stopBits = dcb.StopBits == ONESTOPBIT ? 1 : 2;
    if (int r = rec->Device.setLine(line); r < 0) return r;
    os::SerialFlow flow;
    flow.rtsCts = dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fOutxCtsFlow;
    flow.xonOutput = dcb.fOutX;
    flow.xonInput = dcb.fInX;
    flow.xonChar = dcb.XonChar;
    flow.xoffChar = dcb.XoffChar;
    if (int r = rec->Device.setFlow(flow); r < 0) return r;
    if (int r = rec->Device.setDTR(dcb.fDtrControl != DTR_CONTROL_DISABLE); r < 0) return r;
    if (!flow.rtsCts)
        if (int r = rec->Device.setRTS(dcb.fRtsControl != RTS_CONTROL_DISABLE); r < 0) return r;
    return 0;
}

int getLine(int Dev, TDCB& dcb) {
    TDeviceRecord* rec = record(Dev);
    if (!rec) return -1;
    os::SerialLine line = rec->Device.getLine();
    os::SerialFlow flow = rec->Device.getFlow();
    dcb.BaudRate = static_cast<uint32_t>(line.baud);
    dcb.ByteSize = static_cast<uint8_t>(line.dataBits);
    dcb.Parity = parityCode(line.parity);
    dcb.StopBits = line.stopBits == 2 ? (line.dataBits == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
    dcb.fRtsControl = flow.rtsCts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = flow.rtsCts;
    dcb.fOutX = flow.xonOutput;
    dcb.fInX = flow.xonInput;
    dcb.XonChar = flow.xonChar;
    dcb.XoffChar = flow.xoffChar;
    return 0;
}

int escape(int Dev, int Func) {
    TDeviceRecord* rec = record(Dev);
    if (!rec) return 0;
    switch (Func) {
    case SETDTR: rec->Device.setDTR(true); break;
    case CLRDTR: rec->Device.setDTR(false); break;
    case SETRTS: rec->Device.setRTS(true); break;
    case CLRRTS: rec->Device.setRTS(false); break;
    case SETBREAK: rec->Device.setBreak(true); break;
    case CLRBREAK: rec->Device.setBreak(false); break;
    default: break;
    }
    return 0;
}

int readDevice(int Dev, unsigned char* Buf, int Count) {
    TDeviceRecord* rec = record(Dev);
    if (!rec) return ecNoPortRecord;
    long n = rec->Device.read(Buf, static_cast<size_t>(Count));
    return static_cast<int>(n);
}

int writeDevice(int Dev, const unsigned char* Buf, int Count) {
    TPortRef p = findPortByDevice(Dev);
    if (!p) return ecNoPortRecord;
    std::lock_guard lock(p->Lock);
    for (int i = 0; i < Count;) {
        int piece = std::min(Count - i, p->OutSize - p->TxHead);
        std::copy(Buf + i, Buf + i + piece, p->Tx.begin() + p->TxHead);
        i += piece;
        p->TxHead = static_cast<uint16_t>(p->TxHead + piece);
        if (p->TxHead == p->OutSize) p->TxHead = 0;
    }
    p->OutCv.notify_all();
    return Count;
}

int status(int Dev, TComStat& Stat) {
    TPortRef p = findPortByDevice(Dev);
    TDeviceRecord* rec = record(Dev);
    if (!rec) return ecNoPortRecord;
    os::SerialErrorCounts now = rec->Device.errorCounts();
    const os::SerialErrorCounts& was = rec->Counts;
    int bits = 0;
    if (now.bufferOverrun != was.bufferOverrun) bits |= CE_RXOVER;
    if (now.overrun != was.overrun) bits |= CE_OVERRUN;
    if (now.parity != was.parity) bits |= CE_RXPARITY;
    if (now.framing != was.framing) bits |= CE_FRAME;
    if (now.breaks != was.breaks) bits |= CE_BREAK;
    rec->Counts = now;
    Stat.Flags = 0;
    Stat.cbInQue = static_cast<uint32_t>(rec->Device.inQueue());
    if (p) {
        std::lock_guard lock(p->Lock);
        Stat.cbOutQue = p->txUsed();
    } else {
        Stat.cbOutQue = 0;
    }
    return bits;
}

int flush(int Dev, int Queue) {
    TDeviceRecord* rec = record(Dev);
    if (!rec) return ecNoPortRecord;
    if (Queue != FLUSH_OUTPUT) return rec->Device.flushInput();
    if (TPortRef p = findPortByDevice(Dev)) {
        std::unique_lock lock(p->Lock);
        if (p->OutRunning) {
            p->FlushRequested = true;
            p->FlushAnswered = false;
            p->OutCv.notify_all();
            p->OutWake.signal();
            p->OutCv.wait(lock, [&] { return p->FlushAnswered || !p->OutRunning; });
        }
        p->TxHead = p->TxTail = 0;
        p->TxFull = false;
    }
    return rec->Device.flushOutput();
}

void registerHandle(int Dev, bool Adopt) {
    std::lock_guard lock(recordsMutex());
    if (Adopt) {
        auto rec = std::make_unique<TDeviceRecord>();
        rec->Device.adopt(Dev);
        records()[Dev] = std::move(rec);
    } else {
        records().erase(Dev);
    }
}

}  // namespace

std::string devicePathForName(const std::string& Name) {
    std::string rest = Name;
    if (rest.rfind("\\\\.\\", 0) == 0) rest = rest.substr(4);
    if (rest.size() > 3 && UpperCase(rest.substr(0, 3)) == "COM") {
        int n = 0;
        bool digits = true;
        for (size_t i = 3; i < rest.size(); ++i) {
            if (rest[i] < '0' || rest[i] > '9') digits = false;
            else n = n * 10 + (rest[i] - '0');
        }
        if (digits && n > 0) {
            std::string key = "COM" + std::to_string(n);
            std::string configured = TIniFile("VO97.ini").ReadString("Serial Ports", key, "");
            return os::serialDevicePath(n, configured);
        }
    }
    return Name;
}

TDeviceLayerTable termiosDeviceLayer() {
    TDeviceLayerTable t;
    // No definition strings are built: the settings go field by field.
    t.BuildDCB = [](int, const std::string&, TDCB&) { return -1; };
    t.ClearBreak = [](int Dev) { return escape(Dev, CLRBREAK); };
    t.CloseDevice = closeDevice;
    t.EscapeFunction = escape;
    t.Flush = flush;
    t.Status = status;
    t.GetEventMask = [](int, uint16_t) { return 0; };
    t.GetLine = getLine;
    t.Open = openDevice;
    t.Read = readDevice;
    t.SetBreak = [](int Dev) { return escape(Dev, SETBREAK); };
    t.SetEventMask = [](int, uint16_t) { return 0; };
    t.SetLine = setLine;
    t.TransmitChar = [](int Dev, unsigned char C) {
        TDeviceRecord* rec = record(Dev);
        return rec && rec->Device.write(&C, 1) == 1 ? 0 : -1;
    };
    t.UngetChar = [](int, unsigned char) { return ecNotSupported; };
    t.Write = writeDevice;
    t.SetPortOptions = [](int, uint16_t) {};
    t.RegisterHandle = registerHandle;
    // The driver's queues keep their size; the request is accepted.
    t.SetBufferSizes = [](int Dev, uint16_t, uint16_t) { return record(Dev) != nullptr; };
    return t;
}

void installTermiosDeviceLayer() { installDeviceLayer(termiosDeviceLayer()); }

}  // namespace ser
