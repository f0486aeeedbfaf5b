#pragma once
// Inside the port dispatcher: the record of one open port, shared by the
// dispatcher, its two threads and the device layer that fronts the output
// ring. Not for use outside src/serial.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "SerDeviceLayer.h"
#include "SerDispatch.h"
#include "SerErrors.h"
#include "SerTrace.h"
#include "SerTriggers.h"
#include "os/SerialDevice.h"

namespace ser {

struct THandler {
    TSerWindow* Window = nullptr;  // window handler when set, else procedure
    TSerHandlerProc Proc;
    uint32_t Data = 0;
    bool PassOn = true;
    bool Deleted = false;
};

struct TPortRec {
    TDeviceLayerTable Layer;
    uint16_t Handle = 0;
    std::string Name;
    int Device = -1;
    bool Adopted = false;
    uint32_t LineErrors = 0;  // CE_ bits gathered
    uint16_t EventMask = 0x21F9;
    uint16_t InSize = 0, OutSize = 0;
    uint8_t MSRShadow = 0;
    TComStat ComStatus;
    TDCB DCB;
    uint16_t Options = poConsumeDuringNotify;
    bool DTRLowered = false, RTSLowered = false;

    std::list<THandler> Handlers;  // newest first
    TTriggerSnapshot Triggers;

    // Receive ring. Positions count characters since the open; the ring
    // index is the position modulo its size. The I/O thread alone moves
    // RxIn and the reader alone RxOut, so taking a character needs no lock.
    // Whoever reads the device into the ring (the I/O thread, or the main
    // thread at the end of a pass) holds ReadLock, which keeps RxIn and
    // ReadScratch its own.
    std::vector<uint8_t> Rx;
    std::mutex ReadLock;
    std::vector<uint8_t> ReadScratch;
    std::atomic<uint64_t> RxIn{0};   // next write
    std::atomic<uint64_t> RxOut{0};  // next read
    uint64_t ScanPos = 0;     // next character for the matchers
    uint64_t AvailPos = ~0ull;  // position of the last avail notification
    bool MatchPending = false;  // the character at ScanPos matched and awaits its data notification

    // Notification state.
    bool InDispatch = false;
    bool PeekMode = false;
    uint16_t PeekCount = 0, LargestConsumed = 0;
    bool HandlerDeleted = false;
    bool StatusFired = false;
    bool StatusTriggerFired[kMaxStatusTriggers] = {};
    bool StopFlags[kMaxTriggerHandles + 1] = {};

    // Output ring.
    std::vector<uint8_t> Tx;
    uint16_t TxHead = 0, TxTail = 0;
    bool TxFull = false;

    std::atomic<bool> Closing{false};  // a pass looks at it between handlers without the lock
    bool OverflowPending = false;
    bool OutputSent = false;
    bool RingTrailingEdge = false;
    std::atomic<bool> HungUp{false};       // the far end went away: input is no longer polled
    std::atomic<bool> PassPending{false};  // a notification pass waits for the main thread
    std::atomic<bool> RxStalled{false};  // the ring is full and the I/O thread waits for room
    // While a pass reads the device itself the I/O thread leaves the device
    // alone: both waiting on it would wake both for every piece and queue
    // them on ReadLock. PassReads counts the pass's reads, so a pass held up
    // in a handler does not keep the I/O thread away for long.
    std::atomic<bool> PassReading{false};
    std::atomic<bool> IoParked{false};  // the I/O thread waits without the device; wake it at the pass end
    std::atomic<uint32_t> PassReads{0};
    bool TimerDue = false;

    // Threads. The lock is recursive, as the critical section it stands for.
    std::recursive_mutex Lock;
    std::condition_variable_any OutCv;
    std::atomic<bool> Kill{false};
    bool OutRunning = false;
    bool FlushRequested = false, FlushAnswered = false;
    std::thread IoThread, OutThread;
    os::WakeEvent IoWake, OutWake;
    int WriteTimeoutMs = 60000;

    TTraceState Trace;
    TLogState Log;
    std::chrono::steady_clock::time_point OpenTime;

    uint32_t ticksSinceOpen() const {
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - OpenTime)
                                         .count());
    }
    uint32_t rxCount() const { return static_cast<uint32_t>(RxIn - RxOut); }
    uint32_t txUsed() const {
        if (TxFull) return OutSize;
        return TxHead >= TxTail ? TxHead - TxTail : OutSize - TxTail + TxHead;
    }
};

using TPortRef = std::shared_ptr<TPortRec>;

// The open ports by handle as plain pointers, so the per-character calls take
// no table lock (the port table in SerDispatch.cpp owns the records). A
// port's calls and its DonePort come from one thread (the component's), so a
// record found here outlives the call.
inline std::array<std::atomic<TPortRec*>, kMaxPorts + 1>& openPorts() {
    static std::array<std::atomic<TPortRec*>, kMaxPorts + 1> table{};
    return table;
}

inline TPortRec* portOf(int Handle) {
    if (Handle < 1 || Handle > kMaxPorts) return nullptr;
    return openPorts()[Handle].load(std::memory_order_acquire);
}

// What taking a character rarely needs, out of line.
int takeTracedChar(TPortRec& p, unsigned char& C);
void wakeStalledReader(TPortRec& p);

// Taking a character, inline: the component takes each one with a call.
inline int takeChar(TPortRec& p, unsigned char& C) {
    bool peek = p.InDispatch && p.PeekMode && !(p.Options & poConsumeDuringNotify);
    uint64_t out = p.RxOut.load(std::memory_order_relaxed);
    uint64_t in = p.RxIn.load(std::memory_order_acquire);
    if (peek) {  // the component's default
        if (p.PeekCount >= in - out) return ecBufferIsEmpty;
        C = p.Rx[(out + p.PeekCount) % kReceiveBufferSize];
        ++p.PeekCount;
    } else {
        if (in == out) [[unlikely]] return ecBufferIsEmpty;
        C = p.Rx[out % kReceiveBufferSize];
        p.RxOut.store(out + 1, std::memory_order_release);
        if (p.RxStalled.load(std::memory_order_relaxed)) [[unlikely]] wakeStalledReader(p);
    }
    return 0;
}

// GetChar (SerDispatch.h) itself.
inline int takeNextChar(int Handle, unsigned char& C) {
    TPortRec* p = portOf(Handle);
    if (!p) [[unlikely]] return ecBadHandle;
    if (p->Trace.On) [[unlikely]] return takeTracedChar(*p, C);
    return takeChar(*p, C);
}

// The open port whose device handle is Dev, or null.
TPortRef findPortByDevice(int Dev);

}  // namespace ser
