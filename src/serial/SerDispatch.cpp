#include "SerDispatch.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "SerErrors.h"
#include "SerPortRec.h"
#include "ui/Application.h"

namespace ser {

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;
constexpr int kTimerPassMs = 50;

std::mutex& tableMutex() {
    static std::mutex m;
    return m;
}

std::array<TPortRef, kMaxPorts + 1>& portTable() {
    static std::array<TPortRef, kMaxPorts + 1> table;
    return table;
}

TPortRec* port(int Handle) { return portOf(Handle); }

TPortRef portRef(int Handle) {
    if (Handle < 1 || Handle > kMaxPorts) return nullptr;
    std::lock_guard lock(tableMutex());
    return portTable()[Handle];
}

void logEntry(TPortRec& p, uint8_t type, uint8_t subType, uint16_t data, const uint8_t* more = nullptr,
              uint16_t length = 0) {
    if (!p.Log.On) return;  // every notification passes here: no clock read for a log that is off
    addLogEntry(p.Log, type, subType, p.ticksSinceOpen(), data, more, length);
}

// ---------------------------------------------------------------------------
// Notifications, on the main thread.

uint8_t subTypeOf(uint32_t msg) {
    switch (msg) {
    case APW_TRIGGERAVAIL: return lsAvail;
    case APW_TRIGGERDATA: return lsData;
    case APW_TRIGGERTIMER: return lsTimer;
    default: return lsStatus;
    }
}

// The I/O thread waits while the ring is full; it is woken once half the
// ring is free again (or any room at the end of a pass), so it reads in
// large pieces rather than one line's room at a time.
void wakeReaderIfStalled(TPortRec& p, uint32_t wantRoom = kReceiveBufferSize / 2) {
    if (p.RxStalled && kReceiveBufferSize - p.rxCount() >= std::max<uint32_t>(wantRoom, 1) &&
        p.RxStalled.exchange(false))
        p.IoWake.signal();
}

bool closing(const TPortRec& p) { return p.Closing.load(std::memory_order_relaxed); }

// Hands one notification to every handler; false when the port is closing.
// The notification state and the handler list are the main thread's (passes
// run there and handlers call back from there), so a notification takes the
// port lock only for the log, which the I/O thread writes too, and for
// dropping handlers deregistered during it.
bool notify(TPortRec& p, uint32_t msg, uint16_t wParam, uint16_t lowWord) {
    p.InDispatch = true;
    p.PeekMode = msg == APW_TRIGGERAVAIL || msg == APW_TRIGGERDATA;
    p.LargestConsumed = 0;
    std::fill(std::begin(p.StopFlags), std::end(p.StopFlags), false);
    if (p.Log.On) {
        Guard g(p.Lock);
        logEntry(p, ltTrigger, subTypeOf(msg), wParam);
    }
    bool result = true;
    const uint32_t lParam = (static_cast<uint32_t>(p.Handle) << 16) | lowWord;
    for (THandler& h : p.Handlers) {
        if (h.Deleted) continue;
        p.PeekCount = 0;  // the main thread's alone, as the characters taken
        try {
            if (h.Window)
                h.Window->WindowProc(msg, wParam, lParam);
            else if (h.Proc)
                h.Proc(h.Data, msg, wParam, lParam);
        } catch (...) {
            Application->HandleException(Application);
        }
        if (closing(p)) {
            result = false;
            break;
        }
        p.LargestConsumed = std::max(p.LargestConsumed, p.PeekCount);
        if (!h.PassOn) break;
        if (msg != APW_TRIGGERAVAIL && wParam <= kMaxTriggerHandles && p.StopFlags[wParam]) break;
    }
    if (p.HandlerDeleted) {
        Guard g(p.Lock);
        p.Handlers.remove_if([](const THandler& h) { return h.Deleted; });
        p.HandlerDeleted = false;
    }
    if (p.PeekMode && !closing(p) && p.LargestConsumed > 0) {
        uint64_t advance = std::min<uint64_t>(p.LargestConsumed, p.rxCount());
        p.RxOut.store(p.RxOut.load(std::memory_order_relaxed) + advance, std::memory_order_release);
        // An avail the handlers did not wholly take does not hold back the
        // data notification that follows: it would wait for the next
        // character from the line, for ever after the last line.
    }
    p.PeekMode = false;
    p.InDispatch = false;
    wakeReaderIfStalled(p);
    return result;
}

// True when every active trigger is one character matched as it stands (a
// line end): such matchers keep no state, so the characters between two
// matches need not be shown to them.
bool onlySingleCharacters(TDataTrigger* const* active, int count) {
    for (int i = 0; i < count; ++i)
        if (active[i]->Length != 1 || active[i]->IgnoreCase) return false;
    return true;
}

// The position of the first character from `from` on that one of the
// single-character triggers matches, or `in` when none does.
uint64_t nextSingleMatch(const TPortRec& p, TDataTrigger* const* active, int count, uint64_t from, uint64_t in) {
    while (from < in) {
        const size_t at = from % kReceiveBufferSize;
        const size_t span = std::min<uint64_t>(in - from, kReceiveBufferSize - at);
        const uint8_t* begin = &p.Rx[at];
        const uint8_t* hit = begin + span;
        for (int i = 0; i < count; ++i) {
            const void* found = std::memchr(begin, active[i]->Text[0], hit - begin);
            if (found) hit = static_cast<const uint8_t*>(found);
        }
        if (hit != begin + span) return from + (hit - begin);
        from += span;
    }
    return in;
}

// One data-trigger check: true when it sent a notification that was taken.
// No lock: the data triggers and the scan state are the main thread's, as the
// notification state is; the I/O thread looks at status and timer triggers
// alone.
bool checkDataTriggers(TPortRec& p) {
    std::pair<uint16_t, uint16_t> fired[kMaxDataTriggers];  // handle, length
    int firedCount = 0;
    uint16_t availCount = 0;
    {
        uint64_t out = p.RxOut, in = p.RxIn;
        if (p.ScanPos < out) {  // a handler took characters never scanned
            p.ScanPos = out;
            p.MatchPending = false;
        }
        TDataTrigger* active[kMaxDataTriggers];
        int activeCount = 0;
        for (TDataTrigger& t : p.Triggers.Data)
            if (t.Handle != 0) active[activeCount++] = &t;
        bool matched = p.MatchPending;
        const bool singles = onlySingleCharacters(active, activeCount);
        while (!matched && p.ScanPos < in) {
            if (singles) {
                p.ScanPos = nextSingleMatch(p, active, activeCount, p.ScanPos, in);
                if (p.ScanPos == in) break;
            }
            uint8_t c = p.Rx[p.ScanPos % kReceiveBufferSize];
            for (int i = 0; i < activeCount; ++i) {
                TDataTrigger& t = *active[i];
                if (!t.Matched && matchDataTrigger(t, c)) {
                    t.Matched = true;
                    matched = true;
                }
            }
            if (!matched) ++p.ScanPos;
        }
        if (matched) {
            p.MatchPending = true;
            uint16_t longest = 0;
            for (int i = 0; i < activeCount; ++i)
                if (active[i]->Matched) longest = std::max(longest, active[i]->Length);
            uint64_t upTo = p.ScanPos + 1 - out;
            uint64_t before = upTo > longest ? upTo - longest : 0;
            if (p.Triggers.TriggerLength > 0 && p.AvailPos != p.ScanPos + 1 && before > 0 &&
                before >= p.Triggers.TriggerLength) {
                p.AvailPos = p.ScanPos + 1;
                availCount = static_cast<uint16_t>(before);
            } else {
                for (int i = 0; i < activeCount; ++i)
                    if (active[i]->Matched) {
                        active[i]->Matched = false;
                        fired[firedCount++] = {active[i]->Handle, active[i]->Length};
                    }
                p.MatchPending = false;
                ++p.ScanPos;
            }
        } else if (p.Triggers.TriggerLength > 0 && p.AvailPos != p.ScanPos &&
                   in - out >= p.Triggers.TriggerLength) {
            p.AvailPos = p.ScanPos;
            availCount = static_cast<uint16_t>(in - out);
        } else {
            return false;
        }
    }
    if (availCount > 0) return notify(p, APW_TRIGGERAVAIL, availCount, 0);
    for (int i = 0; i < firedCount; ++i)
        if (!notify(p, APW_TRIGGERDATA, fired[i].first, fired[i].second)) return false;
    return true;
}

bool statusConditionHolds(TPortRec& p, TStatusTrigger& s) {
    switch (s.Kind) {
    case stModem: {
        uint8_t expected = s.Value & 0xFF, mask = s.Value >> 8;
        return ((p.MSRShadow ^ expected) & mask) != 0;
    }
    case stLineError:
        if ((s.Value & p.LineErrors) == 0) return false;
        s.Value = static_cast<uint16_t>(p.LineErrors);
        return true;
    case stOutBuffFree: return p.OutSize - p.txUsed() >= s.Value;
    case stOutBuffUsed: return p.txUsed() <= s.Value;
    case stOutSent:
        if (!p.OutputSent) return false;
        p.OutputSent = false;
        return true;
    default: return false;
    }
}

bool checkStatusTriggers(TPortRec& p) {
    uint16_t handle = 0;
    {
        Guard g(p.Lock);
        for (int i = 0; i < kMaxStatusTriggers && handle == 0; ++i) {
            TStatusTrigger& s = p.Triggers.Status[i];
            if (s.Handle == 0 || !s.Active || p.StatusTriggerFired[i]) continue;
            if (!statusConditionHolds(p, s)) continue;
            s.Active = false;
            p.StatusTriggerFired[i] = true;
            p.StatusFired = true;
            handle = s.Handle;
        }
    }
    return handle != 0 && notify(p, APW_TRIGGERSTATUS, handle, 0);
}

void endStatusCycle(TPortRec& p) {
    Guard g(p.Lock);
    std::fill(std::begin(p.StatusTriggerFired), std::end(p.StatusTriggerFired), false);
    p.StatusFired = false;
}

void checkTimerTriggers(TPortRec& p) {
    uint16_t handle = 0;
    {
        Guard g(p.Lock);
        uint32_t now = p.ticksSinceOpen() / 55;
        for (TTimerTrigger& t : p.Triggers.Timers)
            if (t.Handle != 0 && t.Active && timerExpired(t, now)) {
                t.Active = false;
                handle = t.Handle;
                break;
            }
    }
    if (handle != 0) notify(p, APW_TRIGGERTIMER, handle, 0);
}


int readIntoRing(TPortRec& p, int waitMs = 0);

// What one pass reads from the device itself before it lets other work of
// the main thread run.
constexpr uint64_t kPassReadLimit = 16 * kReceiveBufferSize;
// A read this large means a burst is under way (a line at its pace brings a
// few characters at a time): the pass then waits this long for the next
// piece, as a plain read loop would, instead of handing it to the I/O thread.
constexpr int kBurstPiece = 2048;
constexpr int kBurstWaitMs = 1;

// Delivers everything pending, on the main thread. While characters keep
// arriving, the pass reads them from the device itself, as a plain read loop
// would, instead of waiting for the I/O thread to be scheduled and hand them
// over.
void runPass(const TPortRef& ref) {
    TPortRec& p = *ref;
    // A queue without an event loop runs a call at once: a pass queued from
    // a pass then runs inside it, and must not queue another.
    static thread_local int depth = 0;
    struct Reading {
        TPortRec& p;
        bool goesOn = false;  // a pass queued to go on reading keeps the I/O thread off the device
        explicit Reading(TPortRec& port) : p(port) {
            p.PassReading = true;
            ++depth;
        }
        ~Reading() {
            --depth;
            if (goesOn) return;
            p.PassReading = false;
            if (p.IoParked.exchange(false)) p.IoWake.signal();
        }
    } reading(p);
    const uint64_t readLimit = p.RxIn + kPassReadLimit;
    int lastRead = 0;
    for (;;) {
        uint64_t seen;
        bool timerDue;
        {
            Guard g(p.Lock);
            if (p.Closing) return;
            seen = p.RxIn;
            timerDue = p.TimerDue;
            p.TimerDue = false;
        }
        while (!closing(p) && checkStatusTriggers(p)) {
        }
        endStatusCycle(p);
        if (timerDue && !closing(p)) checkTimerTriggers(p);
        while (!closing(p) && checkDataTriggers(p)) {
        }
        if (!closing(p) && p.RxIn < readLimit) {
            lastRead = readIntoRing(p, lastRead >= kBurstPiece ? kBurstWaitMs : 0);
            if (lastRead > 0) {
                p.PassReads.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
        }
        {
            Guard g(p.Lock);
            if (p.Closing) return;
            if (p.RxIn != seen || p.TimerDue) continue;
            const bool burstGoesOn = p.RxIn >= readLimit && lastRead >= kBurstPiece && depth == 1;
            if (!burstGoesOn) {
                // The I/O thread posts no pass while one is pending: clear the
                // flag, then look again, so characters stored meanwhile are
                // never left.
                p.PassPending = false;
                if (p.RxIn != seen && !p.PassPending.exchange(true)) continue;
                wakeReaderIfStalled(p, 1);
                return;
            }
        }
        // The read limit stopped a burst: other work of the main thread runs,
        // then the next pass goes on reading. Handing the device back to the
        // I/O thread instead would cost two thread wake-ups; the pass stays
        // pending, and should the next one be held up, the I/O thread sees no
        // reads and takes the device back.
        reading.goesOn = true;
        queueOnMainThread([ref] { runPass(ref); });
        return;
    }
}

void requestPass(const TPortRef& ref) {
    if (ref->PassPending.exchange(true)) return;
    queueOnMainThread([ref] { runPass(ref); });
}

// ---------------------------------------------------------------------------
// The port's threads.

// Reads what the ring has room for, waiting up to waitMs for something to
// come; the count of characters that arrived. The characters go beyond
// RxIn, where no reader looks, and become visible when RxIn moves, so the
// copy needs no lock but the read lock. The device is asked under that lock
// whether anything waits: the other reader may have taken what made it
// readable, and a read of nothing means a hang-up.
int readIntoRing(TPortRec& p, int waitMs) {
    std::lock_guard readLock(p.ReadLock);
    uint32_t room = kReceiveBufferSize - p.rxCount();
    if (room == 0 || p.HungUp) return 0;
    if (os::waitOnDescriptor(p.Device, false, -1, waitMs) != os::SerialWait::Readable) return 0;
    std::vector<uint8_t>& scratch = p.ReadScratch;
    int n = p.Layer.Read(p.Device, scratch.data(), static_cast<int>(room));
    if (n < 0) {
        // The device failed (the far end hung up): stop polling it.
        p.HungUp = true;
        Guard g(p.Lock);
        logEntry(p, ltDispatch, lsReadCom, 0);
        return 0;
    }
    uint64_t in = p.RxIn.load(std::memory_order_relaxed);
    for (int i = 0; i < n;) {
        size_t at = (in + i) % kReceiveBufferSize;
        size_t piece = std::min<size_t>(n - i, kReceiveBufferSize - at);
        std::memcpy(&p.Rx[at], &scratch[i], piece);
        i += static_cast<int>(piece);
    }
    p.RxIn.store(in + n);
    if (p.Log.On) {
        Guard g(p.Lock);
        logEntry(p, ltDispatch, lsReadCom, static_cast<uint16_t>(n), scratch.data(), static_cast<uint16_t>(n));
    }
    return n;
}

bool anyActiveStatusOrTimer(const TPortRec& p) {
    for (const TStatusTrigger& s : p.Triggers.Status)
        if (s.Handle != 0 && s.Active) return true;
    for (const TTimerTrigger& t : p.Triggers.Timers)
        if (t.Handle != 0 && t.Active) return true;
    return false;
}

uint8_t modemHighNibble(int device) {
    os::SerialModemLines lines = os::modemLinesOf(device);
    return static_cast<uint8_t>((lines.cts ? 0x10 : 0) | (lines.dsr ? 0x20 : 0) | (lines.ri ? 0x40 : 0) |
                                (lines.dcd ? 0x80 : 0));
}

// The timer pass of the I/O thread: modem lines and line errors are
// polled; true when a trigger may fire.
bool timerPoll(TPortRec& p) {
    uint8_t high = modemHighNibble(p.Device);
    TComStat stat;
    int errors = p.Layer.Status(p.Device, stat);
    Guard g(p.Lock);
    uint8_t changed = (p.MSRShadow ^ high) & 0xF0;
    p.MSRShadow = static_cast<uint8_t>(high | (p.MSRShadow & 0x0F) | (changed >> 4));
    if (errors > 0) p.LineErrors |= static_cast<uint32_t>(errors);
    if (!anyActiveStatusOrTimer(p)) return false;
    p.TimerDue = true;
    return true;
}

// How long the I/O thread leaves the device to a reading pass before it
// looks whether the pass still reads.
constexpr int kParkMs = 10;

void ioLoop(TPortRef ref) {
    TPortRec& p = *ref;
    p.Layer.SetEventMask(p.Device, p.EventMask);
    auto nextTimer = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimerPassMs);
    uint32_t passReadsSeen = ~0u;
    for (;;) {
        if (p.Kill) break;
        bool room = p.rxCount() < kReceiveBufferSize;
        if (!room) {
            // Stalled until a reader makes room; it looks at the flag after
            // moving RxOut, so one of the two sees the other.
            p.RxStalled = true;
            room = p.rxCount() < kReceiveBufferSize;
            if (room) p.RxStalled = false;
        }
        bool watch = room && !p.HungUp;
        auto now = std::chrono::steady_clock::now();
        int timeout = static_cast<int>(
            std::max<long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(nextTimer - now).count()));
        bool parked = false;
        if (watch && p.PassReading) {
            const uint32_t reads = p.PassReads.load(std::memory_order_relaxed);
            if (reads != passReadsSeen) {  // else the pass is held up in a handler: read as usual
                passReadsSeen = reads;
                // The pass looks at the flag after clearing PassReading, so
                // one of the two sees the other.
                p.IoParked = true;
                parked = p.PassReading;
                if (parked) {
                    watch = false;
                    timeout = std::min(timeout, kParkMs);
                } else {
                    p.IoParked = false;
                }
            }
        }
        os::SerialWait w = os::waitOnDescriptor(watch ? p.Device : -1, false, p.IoWake.fd(), timeout);
        if (parked) p.IoParked = false;
        if (w == os::SerialWait::Woken) p.IoWake.reset();
        if (p.Kill) break;
        if (w == os::SerialWait::HungUp) p.HungUp = true;
        bool wantPass = false;
        if (w == os::SerialWait::Readable) wantPass = readIntoRing(p) > 0;
        if (std::chrono::steady_clock::now() >= nextTimer) {
            wantPass = timerPoll(p) || wantPass;
            nextTimer = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimerPassMs);
        }
        if (wantPass) requestPass(ref);
    }
}

void outLoop(TPortRec* pp) {
    TPortRec& p = *pp;
    std::unique_lock lock(p.Lock);
    bool blocked = false;  // the device took nothing last time
    for (;;) {
        p.OutCv.wait(lock, [&] { return p.Kill || p.FlushRequested || (p.txUsed() > 0 && !blocked); });
        if (p.Kill) break;
        if (p.FlushRequested) {
            p.FlushRequested = false;
            p.FlushAnswered = true;
            blocked = false;
            p.OutCv.notify_all();
            continue;
        }
        size_t piece = (p.TxHead > p.TxTail) ? p.TxHead - p.TxTail : p.OutSize - p.TxTail;
        const uint8_t* from = &p.Tx[p.TxTail];
        lock.unlock();
        long n = os::writeToDevice(p.Device, from, piece);
        if (n == 0) {
            os::SerialWait w = os::waitOnDescriptor(p.Device, true, p.OutWake.fd(), p.WriteTimeoutMs);
            if (w == os::SerialWait::Woken) p.OutWake.reset();
        }
        lock.lock();
        if (n > 0) {
            p.TxTail = static_cast<uint16_t>((p.TxTail + n) % p.OutSize);
            p.TxFull = false;
            if (p.txUsed() == 0) p.OutputSent = true;
        } else if (n < 0) {
            // The device is gone; what it cannot take is dropped.
            p.TxTail = p.TxHead;
            p.TxFull = false;
        }
    }
    p.OutRunning = false;
    p.OutCv.notify_all();
}

void stopThreads(TPortRec& p) {
    {
        Guard g(p.Lock);
        p.Kill = true;
        p.OutCv.notify_all();
    }

    p.IoWake.signal();
    p.OutWake.signal();
    if (p.IoThread.joinable()) p.IoThread.join();
    if (p.OutThread.joinable()) p.OutThread.join();
}

void releaseDevice(TPortRec& p) {
    if (p.Device < 0) return;
    if (p.Adopted)
        p.Layer.RegisterHandle(p.Device, false);
    else
        p.Layer.CloseDevice(p.Device);
    p.Device = -1;
}

int applyDCB(TPortRec& p, TDCB dcb) {
    if (p.DTRLowered) dcb.fDtrControl = DTR_CONTROL_DISABLE;
    if (p.RTSLowered) dcb.fRtsControl = RTS_CONTROL_DISABLE;
    int r = p.Layer.SetLine(p.Device, dcb);
    if (r < 0) return r == -1 ? ecNotSupported : r;
    p.DCB = dcb;
    return 0;
}

int setLine(TPortRec& p, int Baud, int Parity, int DataBits, int StopBits) {
    TDCB dcb = p.DCB;
    if (Baud != 0) dcb.BaudRate = static_cast<uint32_t>(Baud);
    if (Parity != 5) dcb.Parity = static_cast<uint8_t>(Parity);
    if (DataBits != 9) dcb.ByteSize = static_cast<uint8_t>(DataBits);
    if (StopBits != 3) {
        int stop = StopBits == 0 ? 1 : std::min(StopBits, 2);
        if (stop == 1)
            dcb.StopBits = ONESTOPBIT;
        else
            dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    }
    return applyDCB(p, dcb);
}

}  // namespace

TPortRef findPortByDevice(int Dev) {
    std::lock_guard lock(tableMutex());
    for (const TPortRef& p : portTable())
        if (p && p->Device == Dev) return p;
    return nullptr;
}

bool validPort(int Handle) { return port(Handle) != nullptr; }

int rateFromDCB(uint32_t BaudRate) {
    static const int kOldRates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 0, 0,
                                    38400, 0, 0, 0, 56000, 0, 0, 0, 128000, 0, 0, 0, 256000};
    if (BaudRate == 0xFEFF) return 115200;
    if (BaudRate >= 0xFF10 && BaudRate <= 0xFF27) {
        int rate = kOldRates[BaudRate - 0xFF10];
        if (rate != 0) return rate;
    }
    return static_cast<int>(BaudRate);
}

int InitPort(int& Handle, int /*Mode*/, const std::string& Name, int Baud, int Parity, int DataBits,
             int StopBits, uint16_t InSize, uint16_t OutSize, int DevHandle) {
    if (OutSize == 0) return ecBadArgument;
    int slot = 0;
    auto p = std::make_shared<TPortRec>();
    {
        std::lock_guard lock(tableMutex());
        for (int i = 1; i <= kMaxPorts && slot == 0; ++i)
            if (!portTable()[i]) slot = i;
        if (slot == 0) return ecNoHandles;
        portTable()[slot] = p;  // reserved; the device is not known yet
    }
    auto fail = [&](int code) {
        stopThreads(*p);
        releaseDevice(*p);
        std::lock_guard lock(tableMutex());
        portTable()[slot] = nullptr;
        return code;
    };
    p->Layer = currentDeviceLayer();
    if (!p->IoWake.valid() || !p->OutWake.valid()) return fail(ecOutOfMemory);
    if (DevHandle == 0) {
        int dev = p->Layer.Open(Name, InSize, OutSize);
        if (dev < 0) return fail(dev);
        p->Device = dev;
    } else {
        p->Device = DevHandle;
        p->Adopted = true;
        p->Layer.RegisterHandle(DevHandle, true);
    }
    p->Layer.SetBufferSizes(p->Device, InSize, OutSize);
    p->Rx.assign(kReceiveBufferSize, 0);
    p->ReadScratch.assign(kReceiveBufferSize, 0);
    p->Tx.assign(OutSize, 0);
    p->Handle = static_cast<uint16_t>(slot);
    p->Name = Name.substr(0, 6);
    p->InSize = InSize;
    p->OutSize = OutSize;
    p->Layer.GetLine(p->Device, p->DCB);
    p->MSRShadow = modemHighNibble(p->Device);
    if (!p->Adopted) {
        int r = setLine(*p, Baud, Parity, DataBits, StopBits);
        if (r < 0) return fail(r);
    }
    p->Layer.Status(p->Device, p->ComStatus);
    p->OpenTime = std::chrono::steady_clock::now();
    p->OutRunning = true;
    p->IoThread = std::thread(ioLoop, p);
    p->OutThread = std::thread(outLoop, p.get());
    openPorts()[slot].store(p.get(), std::memory_order_release);
    Handle = slot;
    return 0;
}

int DonePort(int Handle) {
    TPortRef p = portRef(Handle);
    if (!p) return ecBadHandle;
    p->Layer.Flush(p->Device, FLUSH_OUTPUT);
    stopThreads(*p);
    releaseDevice(*p);
    {
        Guard g(p->Lock);
        p->Closing = true;
    }
    openPorts()[Handle].store(nullptr, std::memory_order_release);
    std::lock_guard lock(tableMutex());
    portTable()[Handle] = nullptr;
    return 0;
}

#define QM_PORT_OR_FAIL(Handle)      \
    TPortRec* p = port(Handle);      \
    if (!p) return ecBadHandle;      \
    Guard guard_(p->Lock)

int SetLine(int Handle, int Baud, int Parity, int DataBits, int StopBits) {
    QM_PORT_OR_FAIL(Handle);
    return setLine(*p, Baud, Parity, DataBits, StopBits);
}

int GetLine(int Handle, int& Baud, int& Parity, int& DataBits, int& StopBits) {
    QM_PORT_OR_FAIL(Handle);
    TDCB dcb;
    int r = p->Layer.GetLine(p->Device, dcb);
    if (r < 0) return r;
    Baud = rateFromDCB(dcb.BaudRate);
    Parity = dcb.Parity;
    DataBits = dcb.ByteSize;
    StopBits = dcb.StopBits != ONESTOPBIT ? 2 : 1;
    return 0;
}

int SetBufferSizes(int Handle, uint16_t InSize, uint16_t OutSize) {
    QM_PORT_OR_FAIL(Handle);
    if (!p->Layer.SetBufferSizes(p->Device, InSize, OutSize)) return ecBadArgument;
    p->InSize = InSize;
    return 0;
}

int SetDTR(int Handle, bool On) {
    QM_PORT_OR_FAIL(Handle);
    if (p->Layer.EscapeFunction(p->Device, On ? SETDTR : CLRDTR) < 0) return ecBadArgument;
    p->DTRLowered = !On;
    return 0;
}

int SetRTS(int Handle, bool On) {
    QM_PORT_OR_FAIL(Handle);
    if (p->Layer.EscapeFunction(p->Device, On ? SETRTS : CLRRTS) < 0) return ecBadArgument;
    p->RTSLowered = !On;
    return 0;
}

int HWFlowEnable(int Handle, uint16_t BufferFull, uint16_t BufferResume, uint16_t Options) {
    QM_PORT_OR_FAIL(Handle);
    if (!(BufferResume <= BufferFull && BufferFull <= p->InSize)) return ecBadArgument;
    TDCB dcb = p->DCB;
    dcb.fDtrControl = (Options & 1) ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = (Options & 2) ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
    if (Options & 3) {
        dcb.XoffLim = static_cast<uint16_t>(p->InSize - BufferFull);
        dcb.XonLim = BufferResume;
    }
    if (Options & 12) {
        dcb.fOutxDsrFlow = (Options & 4) != 0;
        dcb.fOutxCtsFlow = (Options & 8) != 0;
    }
    return applyDCB(*p, dcb);
}

int HWFlowDisable(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    TDCB dcb = p->DCB;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxDsrFlow = dcb.fOutxCtsFlow = false;
    return applyDCB(*p, dcb);
}

int SWFlowEnable(int Handle, uint16_t BufferFull, uint16_t BufferResume, uint16_t Options) {
    QM_PORT_OR_FAIL(Handle);
    TDCB dcb = p->DCB;
    if (Options & 1) dcb.fOutX = true;
    if (Options & 2) {
        dcb.fInX = true;
        dcb.XoffLim = static_cast<uint16_t>(p->InSize > BufferFull ? p->InSize - BufferFull : 0);
        dcb.XonLim = BufferResume;
    }
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    return applyDCB(*p, dcb);
}

int SWFlowDisable(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    TDCB dcb = p->DCB;
    dcb.fOutX = dcb.fInX = false;
    return applyDCB(*p, dcb);
}

int SetFlowChars(int Handle, unsigned char XOn, unsigned char XOff) {
    QM_PORT_OR_FAIL(Handle);
    TDCB dcb = p->DCB;
    dcb.XonChar = XOn;
    dcb.XoffChar = XOff;
    return applyDCB(*p, dcb);
}

int GetModemStatus(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    uint8_t value = p->MSRShadow;
    p->MSRShadow &= 0xF0;
    return value;
}

int GetLineError(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    int value = static_cast<int>(p->LineErrors & ~CE_BREAK);
    p->LineErrors &= CE_BREAK;
    return value;
}

int CheckLineBreak(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    bool brk = (p->LineErrors & CE_BREAK) != 0;
    p->LineErrors &= ~CE_BREAK;
    return brk ? 1 : 0;
}

int SetBreak(int Handle, bool On) {
    QM_PORT_OR_FAIL(Handle);
    return On ? p->Layer.SetBreak(p->Device) : p->Layer.ClearBreak(p->Device);
}

[[gnu::noinline]] void wakeStalledReader(TPortRec& p) { wakeReaderIfStalled(p); }

[[gnu::noinline]] int takeTracedChar(TPortRec& p, unsigned char& C) {
    Guard g(p.Lock);
    int r = takeChar(p, C);
    if (r == 0) addTraceEntry(p.Trace, 'R', C);
    return r;
}

// REQUIRES: one thread at a time takes characters from a port (the
// component's, the main thread).
int GetChar(int Handle, unsigned char& C) { return takeNextChar(Handle, C); }

int PeekChar(int Handle, unsigned char& C, int Index) {
    QM_PORT_OR_FAIL(Handle);
    if (Index < 1) return ecBadArgument;
    if (static_cast<uint32_t>(Index) > p->rxCount()) return ecBufferIsEmpty;
    C = p->Rx[(p->RxOut + Index - 1) % kReceiveBufferSize];
    return 0;
}

int PutBlock(int Handle, const void* Data, int Len) {
    QM_PORT_OR_FAIL(Handle);
    if (Len < 0) return ecBadArgument;
    if (Len == 0) return 0;  // nothing to send is no failure
    TComStat stat;
    int errors = p->Layer.Status(p->Device, stat);
    if (errors < 0) return errors;
    int free = static_cast<int>(p->OutSize) - static_cast<int>(stat.cbOutQue);
    if (Len > free) return ecOutputBufferTooSmall;
    if (Len == free) p->TxFull = true;
    const auto* bytes = static_cast<const unsigned char*>(Data);
    int written = p->Layer.Write(p->Device, bytes, Len);
    if (written < 1) return ecPutBlockFail;
    for (int i = 0; i < Len; ++i) addTraceEntry(p->Trace, 'T', bytes[i]);
    logEntry(*p, ltDispatch, lsWriteCom, static_cast<uint16_t>(Len), bytes, static_cast<uint16_t>(Len));
    return 0;
}

int InBuffUsed(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    return static_cast<int>(p->rxCount());
}

int outBuffUsed(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    return static_cast<int>(p->txUsed());
}

int outBuffFree(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    return static_cast<int>(p->OutSize - p->txUsed());
}

bool outBuffFull(int Handle) {
    TPortRec* p = port(Handle);
    if (!p) return false;
    Guard g(p->Lock);
    return p->TxFull;
}

int AddDataTrigger(int Handle, const std::string& Data, bool IgnoreCase) {
    QM_PORT_OR_FAIL(Handle);
    return ser::AddDataTrigger(p->Triggers, Data, IgnoreCase);
}

int SetTriggerLength(int Handle, uint16_t Length) {
    QM_PORT_OR_FAIL(Handle);
    p->Triggers.TriggerLength = Length;
    return 0;
}

int GetTriggers(int Handle, TTriggerSnapshot& Snapshot) {
    QM_PORT_OR_FAIL(Handle);
    Snapshot = p->Triggers;
    return 0;
}

int SetTriggers(int Handle, const TTriggerSnapshot& Snapshot) {
    QM_PORT_OR_FAIL(Handle);
    p->Triggers = Snapshot;
    p->MatchPending = false;
    return 0;
}

int ClearTriggers(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    uint16_t length = p->Triggers.TriggerLength;
    p->Triggers = TTriggerSnapshot{};
    p->Triggers.TriggerLength = length;
    p->MatchPending = false;
    return 0;
}

int setStopFlag(int Handle, uint16_t TriggerHandle) {
    QM_PORT_OR_FAIL(Handle);
    if (TriggerHandle < 1 || TriggerHandle > kMaxTriggerHandles) return ecBadTriggerHandle;
    p->StopFlags[TriggerHandle] = true;
    return 0;
}

int RegisterHandler(int Handle, TSerWindow* Window, TSerHandlerProc Proc, uint32_t Data, bool PassOn) {
    QM_PORT_OR_FAIL(Handle);
    THandler h;
    h.Window = Window;
    h.Proc = std::move(Proc);
    h.Data = Data;
    h.PassOn = PassOn;
    p->Handlers.push_front(std::move(h));
    return 0;
}

int DeregisterHandler(int Handle, TSerWindow* Window, uint32_t Data) {
    QM_PORT_OR_FAIL(Handle);
    for (auto it = p->Handlers.begin(); it != p->Handlers.end();) {
        bool same = Window ? it->Window == Window : (!it->Window && it->Data == Data);
        if (!same || it->Deleted) {
            ++it;
        } else if (p->InDispatch) {
            it->Deleted = true;
            p->HandlerDeleted = true;
            ++it;
        } else {
            it = p->Handlers.erase(it);
        }
    }
    return 0;
}

int SetOption(int Handle, uint16_t Option) {
    QM_PORT_OR_FAIL(Handle);
    p->Options |= Option;
    return 0;
}

int ClearOption(int Handle, uint16_t Option) {
    QM_PORT_OR_FAIL(Handle);
    p->Options &= static_cast<uint16_t>(~Option);
    return 0;
}

int ProcessCommunications(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    return 0;
}

int SetCommNotificationLevel(int Handle, uint16_t /*Level*/) {
    QM_PORT_OR_FAIL(Handle);
    return 0;
}

int InitTracing(int Handle, int NumEntries) {
    QM_PORT_OR_FAIL(Handle);
    return initTrace(p->Trace, NumEntries);
}

int StartTracing(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    if (p->Trace.exists()) p->Trace.On = true;
    return 0;
}

int StopTracing(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    p->Trace.On = false;
    return 0;
}

int ClearTracing(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    clearTrace(p->Trace);
    return 0;
}

int AbortTracing(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    freeTrace(p->Trace);
    return 0;
}

namespace {

int writeTrace(int Handle, const std::string& FName, bool InHex, bool Append) {
    QM_PORT_OR_FAIL(Handle);
    return writeTraceFile(p->Trace, FName, InHex, Append);
}

int writeLog(int Handle, const std::string& FName, bool InHex, bool Append) {
    QM_PORT_OR_FAIL(Handle);
    return writeLogFile(p->Log, FName, InHex, Append);
}

}  // namespace

int takeTrace(int Handle, TTraceState& Trace) {
    QM_PORT_OR_FAIL(Handle);
    Trace = std::move(p->Trace);
    p->Trace = TTraceState{};
    return 0;
}

int takeLog(int Handle, TLogState& Log) {
    QM_PORT_OR_FAIL(Handle);
    Log = std::move(p->Log);
    p->Log = TLogState{};
    return 0;
}

int DumpTrace(int Handle, const std::string& FName, bool InHex) { return writeTrace(Handle, FName, InHex, false); }
int AppendTrace(int Handle, const std::string& FName, bool InHex) { return writeTrace(Handle, FName, InHex, true); }

int InitLogging(int Handle, int Size) {
    QM_PORT_OR_FAIL(Handle);
    return initLog(p->Log, Size, std::max(p->InSize, p->OutSize));
}

int StartLogging(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    if (p->Log.exists()) p->Log.On = true;
    return 0;
}

int StopLogging(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    p->Log.On = false;
    return 0;
}

int ClearLogging(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    clearLog(p->Log);
    return 0;
}

int AbortLogging(int Handle) {
    QM_PORT_OR_FAIL(Handle);
    freeLog(p->Log);
    return 0;
}

int DumpLog(int Handle, const std::string& FName, bool InHex) { return writeLog(Handle, FName, InHex, false); }
int AppendLog(int Handle, const std::string& FName, bool InHex) { return writeLog(Handle, FName, InHex, true); }

}  // namespace ser
