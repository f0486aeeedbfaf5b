#include "SerPort.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "SerErrors.h"
#include "SerExcept.h"
#include "SerPortRec.h"
#include "SerTermiosLayer.h"
#include "ui/Application.h"

namespace {

std::array<TSerCustomComPort*, kMaxComponentPorts + 1>& componentTable() {
    static std::array<TSerCustomComPort*, kMaxComponentPorts + 1> table{};
    return table;
}

// The unit's start-up: ports opened from now on get the termios layer.
const bool kLayerInstalled = [] {
    ser::installTermiosDeviceLayer();
    return true;
}();

bool onOrPaused(TTraceLogState s) { return s == tlOn || s == tlPause; }

}  // namespace

TSerCustomComPort::TSerCustomComPort(TComponent* AOwner) : TComponent(AOwner) {
    (void)kLayerInstalled;
    CustomDeviceLayerProc = ser::installTermiosDeviceLayer;
}

TSerCustomComPort::~TSerCustomComPort() {
    if (open_ || portActive_) {
        // A destructor cannot report a trace or log that failed to write.
        try {
            ClosePort();
        } catch (...) {
        }
    }
    hooks_.clear();
}

bool TSerCustomComPort::loadingOrDesigning() const {
    return ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning);
}

int TSerCustomComPort::check(int Code) const { return RaiseForErrorCode(this, Code); }

int TSerCustomComPort::portHandle() {
    if (!loadingOrDesigning() && !portActive_ && autoOpen_) SetOpen(true);
    return portHandle_;
}

void TSerCustomComPort::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TSerCustomComPort*>(Source);
    if (!src) return;
    hooks_ = src->hooks_;
    if (src->portActive_) {
        ser::GetTriggers(src->portHandle_, triggerSnapshot_);
        savedTriggers_ = true;
    }
    force_ = src->force_;
    deviceLayer_ = src->deviceLayer_;
    CustomDeviceLayerProc = src->CustomDeviceLayerProc;
    portHandle_ = src->portHandle_;
    comNumber_ = src->comNumber_;
    baud_ = src->baud_;
    parity_ = src->parity_;
    dataBits_ = src->dataBits_;
    stopBits_ = src->stopBits_;
    inSize_ = src->inSize_;
    outSize_ = src->outSize_;
    dtr_ = src->dtr_;
    rts_ = src->rts_;
    bufferFull_ = src->bufferFull_;
    bufferResume_ = src->bufferResume_;
    hwFlowOptions_ = src->hwFlowOptions_;
    swFlowOptions_ = src->swFlowOptions_;
    xOnChar_ = src->xOnChar_;
    xOffChar_ = src->xOffChar_;
    tracing_ = src->tracing_;
    traceSize_ = src->traceSize_;
    traceName_ = src->traceName_;
    traceHex_ = src->traceHex_;
    logging_ = src->logging_;
    logSize_ = src->logSize_;
    logName_ = src->logName_;
    logHex_ = src->logHex_;
    triggerLength_ = src->triggerLength_;
    OnTrigger = src->OnTrigger;
    OnTriggerAvail = src->OnTriggerAvail;
    OnTriggerData = src->OnTriggerData;
    OnTriggerStatus = src->OnTriggerStatus;
    OnTriggerTimer = src->OnTriggerTimer;
    OnPortOpen = src->OnPortOpen;
    OnPortClose = src->OnPortClose;
    tapiMode_ = src->tapiMode_;
    open_ = false;
}

void TSerCustomComPort::Loaded() {
    TComponent::Loaded();
    if (ComponentState().Contains(csDesigning)) return;
    if (openPending_) open_ = true;
    if (open_) {
        openPending_ = false;
        open_ = false;
        OpenPort();
    }
}

// ---------------------------------------------------------------------------
// Opening and closing

void TSerCustomComPort::SetOpen(bool Value) {
    if (Value == open_) return;
    if (loadingOrDesigning()) {
        open_ = Value;
        if (Value) openPending_ = true;
        return;
    }
    if (Value) {
        if (tapiMode_ == tmOn)
            OpenPortDirect();
        else
            OpenPort();
    } else {
        ClosePort();
    }
}

void TSerCustomComPort::CheckComNumber() {
    if (comNumber_ == 0) check(ser::ecNoPortSelected);
}

void TSerCustomComPort::ActivateDeviceLayer() {
    switch (deviceLayer_) {
    case dlWin32:
        ser::installTermiosDeviceLayer();
        break;
    case dlOther:
        if (!CustomDeviceLayerProc) check(ser::ecNullApi);
        else CustomDeviceLayerProc();
        break;
    default:
        check(ser::ecNullApi);
    }
}

int TSerCustomComPort::InitPort() {
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", comNumber_);
    int handle = 0;
    int r = ser::InitPort(handle, dispatcherMode_, name, baud_, parity_, dataBits_, stopBits_, inSize_,
                          outSize_, DirectDeviceHandle);
    return r < 0 ? r : handle;
}

void TSerCustomComPort::OpenPort() {
    CheckComNumber();
    ActivateDeviceLayer();
    uint16_t saved = DirectDeviceHandle;
    DirectDeviceHandle = 0;
    int result;
    try {
        result = InitPort();
    } catch (...) {
        DirectDeviceHandle = saved;
        throw;
    }
    DirectDeviceHandle = saved;
    openWith(result);
}

void TSerCustomComPort::OpenPortDirect() {
    ActivateDeviceLayer();
    openWith(InitPort());
    if (!portActive_) return;
    int baud, parity, dataBits, stopBits;
    if (ser::GetLine(portHandle_, baud, parity, dataBits, stopBits) >= 0) {
        baud_ = baud;
        parity_ = static_cast<TParity>(parity);
        dataBits_ = static_cast<uint16_t>(dataBits);
        stopBits_ = static_cast<uint16_t>(stopBits);
    }
}

void TSerCustomComPort::openWith(int Result) {
    if (Result == ser::ecAccessDenied) Result = ser::ecAlreadyOpen;
    if (Result == ser::ecPathNotFound || Result == ser::ecFileNotFound) Result = ser::ecBadId;
    if (Result < 1 || Result > kMaxComponentPorts) {
        check(Result);
        return;
    }
    portHandle_ = Result;
    portActive_ = true;
    try {
        reapplySettings();
    } catch (...) {
        // A setting the device refuses leaves no port half open.
        force_ = false;
        ser::DonePort(portHandle_);
        portActive_ = false;
        portHandle_ = 0;
        throw;
    }
    open_ = true;
    componentTable()[portHandle_] = this;
    ser::RegisterHandler(portHandle_, &window_, nullptr, 0, true);
    windowRegistered_ = true;
    if (savedTriggers_) {
        savedTriggers_ = false;
        ser::SetTriggers(portHandle_, triggerSnapshot_);
    }
    DoPortOpen();
}

void TSerCustomComPort::reapplySettings() {
    force_ = true;
    SetTracing(tracing_);
    SetLogging(logging_);
    SetHWFlowOptions(hwFlowOptions_);
    SetSWFlowOptions(swFlowOptions_);
    SetXOnChar(xOnChar_);
    SetXOffChar(xOffChar_);
    SetTriggerLength(triggerLength_);
    if (deviceLayer_ != dlFossil) {
        SetDTR(dtr_);
        SetRTS(rts_);
    }
    SetUseMSRShadow(useMSRShadow_);
    SetConsumeDuringNotify(consumeDuringNotify_);
    SetUseEventWord(useEventWord_);
    SetCommNotificationLevel(commNotificationLevel_);
    force_ = false;
}

void TSerCustomComPort::ClosePort() {
    ser::TTraceState trace;
    ser::TLogState log;
    bool closed = false;
    if (portActive_) {
        DoPortClose();
        // The trace and log go to their files once the port is closed.
        if (onOrPaused(tracing_)) ser::takeTrace(portHandle_, trace);
        if (onOrPaused(logging_)) ser::takeLog(portHandle_, log);
        tracing_ = tlOff;
        logging_ = tlOff;
        if (ser::GetTriggers(portHandle_, triggerSnapshot_) >= 0) savedTriggers_ = true;
        if (windowRegistered_) ser::DeregisterHandler(portHandle_, &window_, 0);
        windowRegistered_ = false;
        ser::DonePort(portHandle_);
        componentTable()[portHandle_] = nullptr;
        portActive_ = false;
        portHandle_ = 0;
        closed = true;
    }
    open_ = false;
    if (!closed) return;
    int traceResult = ser::writeTraceFile(trace, traceName_, traceHex_, false);
    int logResult = ser::writeLogFile(log, logName_, logHex_, false);
    check(traceResult);
    check(logResult);
}

void TSerCustomComPort::notifyHooks(bool Opening) {
    std::vector<PortHook> hooks = hooks_;
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        if (it->Window)
            it->Window->WindowProc(Opening ? APW_PORTOPEN : APW_PORTCLOSE, 0, 0);
        else if (it->Proc)
            it->Proc(it->Data, this, Opening);
    }
}

void TSerCustomComPort::DoPortOpen() {
    notifyHooks(true);
    if (OnPortOpen) OnPortOpen(this);
}

void TSerCustomComPort::DoPortClose() {
    notifyHooks(false);
    if (OnPortClose) OnPortClose(this);
}

void TSerCustomComPort::addPortHook(ser::TSerWindow* Window, TPortHookProc Proc, uint32_t Data) {
    hooks_.push_back({Window, std::move(Proc), Data});
}

void TSerCustomComPort::removePortHook(ser::TSerWindow* Window, uint32_t Data) {
    std::erase_if(hooks_, [&](const PortHook& h) { return Window ? h.Window == Window : h.Data == Data; });
}

// ---------------------------------------------------------------------------
// Settings

void TSerCustomComPort::SetComNumber(uint16_t Value) {
    if (Value == comNumber_) return;
    bool wasActive = portActive_;
    ser::TTriggerSnapshot snapshot;
    TTraceLogState tracing = tracing_, logging = logging_;
    if (wasActive) {
        check(ser::GetTriggers(portHandle_, snapshot));
        SetOpen(false);
    }
    comNumber_ = Value;
    if (wasActive) {
        tracing_ = tracing;
        logging_ = logging;
        SetOpen(true);
        check(ser::SetTriggers(portHandle_, snapshot));
    }
}

void TSerCustomComPort::SetDeviceLayer(TDeviceLayer Value) {
    if (portActive_) return;
    if (Value != dlNone && Value != dlWin32 && Value != dlOther) return;
    deviceLayer_ = Value;
    DeviceLayerChanged();
}

void TSerCustomComPort::SetDispatcherMode(TDispatcherMode Value) {
    if (portActive_) return;
    if (Value != dNone && Value != dWin32) return;
    dispatcherMode_ = Value;
}

#define QM_LINE_SETTER(Setter, Member, Type)                                                     \
    void TSerCustomComPort::Setter(Type Value) {                                                 \
        Member = Value;                                                                          \
        if (portActive_) check(ser::SetLine(portHandle_, baud_, parity_, dataBits_, stopBits_)); \
    }
QM_LINE_SETTER(SetBaud, baud_, int32_t)
QM_LINE_SETTER(SetParity, parity_, TParity)
QM_LINE_SETTER(SetDataBits, dataBits_, uint16_t)
QM_LINE_SETTER(SetStopBits, stopBits_, uint16_t)
#undef QM_LINE_SETTER

void TSerCustomComPort::SetInSize(uint16_t Value) {
    inSize_ = Value;
    if (portActive_) ser::SetBufferSizes(portHandle_, inSize_, outSize_);
}

void TSerCustomComPort::SetOutSize(uint16_t Value) {
    outSize_ = Value;
    if (portActive_) ser::SetBufferSizes(portHandle_, inSize_, outSize_);
}

void TSerCustomComPort::applyFlowWithForce() {
    bool force = force_;
    force_ = true;
    try {
        SetHWFlowOptions(hwFlowOptions_);
        SetSWFlowOptions(swFlowOptions_);
    } catch (...) {
        force_ = force;
        throw;
    }
    force_ = force;
}

void TSerCustomComPort::SetBufferFull(uint16_t Value) {
    bufferFull_ = Value > inSize_ ? static_cast<uint16_t>(Value * 0.9) : Value;
    applyFlowWithForce();
}

void TSerCustomComPort::SetBufferResume(uint16_t Value) {
    bufferResume_ = Value > bufferFull_ ? static_cast<uint16_t>(bufferFull_ * 0.1) : Value;
    applyFlowWithForce();
}

// A flow control switched on gets thresholds that fit the input buffer when
// it has none or they no longer fit; Word 0 switches it off.
void TSerCustomComPort::applyFlow(uint16_t Word,
                                  int (*Enable)(int Handle, uint16_t Full, uint16_t Resume, uint16_t Options),
                                  int (*Disable)(int Handle)) {
    if (Word != 0) {
        if (bufferFull_ == 0 || bufferFull_ > inSize_) bufferFull_ = static_cast<uint16_t>(inSize_ * 0.9);
        if (bufferResume_ == 0 || bufferResume_ > bufferFull_)
            bufferResume_ = static_cast<uint16_t>(inSize_ * 0.1);
    }
    if (portActive_) check(Word != 0 ? Enable(portHandle_, bufferFull_, bufferResume_, Word) : Disable(portHandle_));
}

void TSerCustomComPort::SetHWFlowOptions(THWFlowOptions Value) {
    if (Value == hwFlowOptions_ && !force_) return;
    uint16_t word = (Value.Contains(hwfUseDTR) ? 1 : 0) | (Value.Contains(hwfUseRTS) ? 2 : 0) |
                    (Value.Contains(hwfRequireDSR) ? 4 : 0) | (Value.Contains(hwfRequireCTS) ? 8 : 0);
    applyFlow(word, ser::HWFlowEnable, ser::HWFlowDisable);
    hwFlowOptions_ = Value;
}

void TSerCustomComPort::SetSWFlowOptions(TSWFlowOptions Value) {
    if (Value == swFlowOptions_ && !force_) return;
    uint16_t word = Value == swfReceive ? 2 : Value == swfTransmit ? 1 : Value == swfBoth ? 3 : 0;
    applyFlow(word, ser::SWFlowEnable, ser::SWFlowDisable);
    swFlowOptions_ = Value;
}

void TSerCustomComPort::SetXOnChar(char Value) {
    changeSetting(xOnChar_, Value, [&] { return ser::SetFlowChars(portHandle_, xOnChar_, xOffChar_); });
}

void TSerCustomComPort::SetXOffChar(char Value) {
    changeSetting(xOffChar_, Value, [&] { return ser::SetFlowChars(portHandle_, xOnChar_, xOffChar_); });
}

void TSerCustomComPort::SetDTR(bool Value) {
    changeSetting(dtr_, Value, [&] { return ser::SetDTR(portHandle_, Value); });
}

void TSerCustomComPort::SetRTS(bool Value) {
    changeSetting(rts_, Value, [&] { return ser::SetRTS(portHandle_, Value); });
}

namespace {

int applyOption(int handle, uint16_t option, bool on) {
    return on ? ser::SetOption(handle, option) : ser::ClearOption(handle, option);
}

}  // namespace

void TSerCustomComPort::SetUseMSRShadow(bool Value) {
    changeSetting(useMSRShadow_, Value, [&] { return applyOption(portHandle_, ser::poUseMSRShadow, Value); });
}

void TSerCustomComPort::SetConsumeDuringNotify(bool Value) {
    changeSetting(consumeDuringNotify_, Value,
                  [&] { return applyOption(portHandle_, ser::poConsumeDuringNotify, Value); });
}

void TSerCustomComPort::SetUseEventWord(bool Value) {
    changeSetting(useEventWord_, Value, [&] { return applyOption(portHandle_, ser::poUseEventWord, Value); });
}

void TSerCustomComPort::SetTriggerLength(uint16_t Value) {
    changeSetting(triggerLength_, Value, [&] { return ser::SetTriggerLength(portHandle_, Value); });
}

void TSerCustomComPort::SetCommNotificationLevel(uint16_t Value) {
    changeSetting(commNotificationLevel_, Value, [&] { return ser::SetCommNotificationLevel(portHandle_, Value); });
}

// ---------------------------------------------------------------------------
// Tracing and logging

void TSerCustomComPort::SetTracing(TTraceLogState Value) {
    static const RecorderCalls traceCalls{ser::InitTracing, ser::StartTracing, ser::StopTracing, ser::ClearTracing,
                                          ser::AbortTracing, ser::DumpTrace,   ser::AppendTrace};
    switchRecorder(tracing_, Value, traceCalls, traceSize_, traceName_, traceHex_);
}

void TSerCustomComPort::SetLogging(TTraceLogState Value) {
    static const RecorderCalls logCalls{ser::InitLogging, ser::StartLogging, ser::StopLogging, ser::ClearLogging,
                                        ser::AbortLogging, ser::DumpLog,      ser::AppendLog};
    switchRecorder(logging_, Value, logCalls, logSize_, logName_, logHex_);
}

// The trace and the log follow one state machine; only their calls differ.
void TSerCustomComPort::switchRecorder(TTraceLogState& State, TTraceLogState Value, const RecorderCalls& Calls,
                                       int Size, const std::string& FileName, bool InHex) {
    if (Value == State && !force_) return;
    if (!portActive_) {
        State = Value == tlOn ? tlOn : tlOff;
        return;
    }
    switch (Value) {
    case tlOff:
        if (onOrPaused(State)) check(Calls.abort(portHandle_));
        State = tlOff;
        break;
    case tlOn:
        check(State == tlPause && !force_ ? Calls.start(portHandle_) : Calls.init(portHandle_, Size));
        State = tlOn;
        break;
    case tlDump:
    case tlAppend:
        if (onOrPaused(State)) check(Calls.start(portHandle_));
        State = tlOff;
        check(Value == tlDump ? Calls.dump(portHandle_, FileName, InHex) : Calls.append(portHandle_, FileName, InHex));
        break;
    case tlClear:
        if (onOrPaused(State)) check(Calls.clear(portHandle_));
        break;
    case tlPause:
        if (State == tlOn) {
            check(Calls.stop(portHandle_));
            State = tlPause;
        }
        break;
    }
}

void TSerCustomComPort::SetTraceSize(uint16_t Value) {
    Value = std::min<uint16_t>(Value, ser::kMaxTraceEntries);
    if (Value == traceSize_) return;
    traceSize_ = Value;
    if (portActive_ && onOrPaused(tracing_)) {
        TTraceLogState former = tracing_;
        SetTracing(tlOff);
        SetTracing(former);
    }
}

void TSerCustomComPort::SetLogSize(uint16_t Value) {
    Value = std::min<uint16_t>(Value, ser::kMaxLogSize);
    if (Value == logSize_) return;
    logSize_ = Value;
    if (portActive_ && onOrPaused(logging_)) {
        TTraceLogState former = logging_;
        SetLogging(tlOff);
        SetLogging(former);
    }
}

void TSerCustomComPort::traceCall(int Code, TTraceLogState Result) {
    check(Code);
    tracing_ = Result;
}

void TSerCustomComPort::logCall(int Code, TTraceLogState Result) {
    check(Code);
    logging_ = Result;
}

void TSerCustomComPort::InitTracing(uint16_t NumEntries) {
    if (NumEntries != 0) traceSize_ = NumEntries;
    traceCall(ser::InitTracing(portHandle(), traceSize_), tlOn);
}
void TSerCustomComPort::StartTracing() { traceCall(ser::StartTracing(portHandle()), tlOn); }
void TSerCustomComPort::StopTracing() { traceCall(ser::StopTracing(portHandle()), tlPause); }
void TSerCustomComPort::ClearTracing() { traceCall(ser::ClearTracing(portHandle()), tracing_); }
void TSerCustomComPort::AbortTracing() { traceCall(ser::AbortTracing(portHandle()), tlOff); }
void TSerCustomComPort::DumpTrace(const std::string& FName, bool InHex) {
    traceCall(ser::DumpTrace(portHandle(), FName, InHex), tlOff);
}
void TSerCustomComPort::AppendTrace(const std::string& FName, bool InHex) {
    traceCall(ser::AppendTrace(portHandle(), FName, InHex), tlOff);
}

void TSerCustomComPort::InitLogging(uint16_t Size) {
    if (Size != 0) logSize_ = Size;
    logCall(ser::InitLogging(portHandle(), logSize_), tlOn);
}
void TSerCustomComPort::StartLogging() { logCall(ser::StartLogging(portHandle()), tlOn); }
void TSerCustomComPort::StopLogging() { logCall(ser::StopLogging(portHandle()), tlPause); }
void TSerCustomComPort::ClearLogging() { logCall(ser::ClearLogging(portHandle()), logging_); }
void TSerCustomComPort::AbortLogging() { logCall(ser::AbortLogging(portHandle()), tlOff); }
void TSerCustomComPort::DumpLog(const std::string& FName, bool InHex) {
    logCall(ser::DumpLog(portHandle(), FName, InHex), tlOff);
}
void TSerCustomComPort::AppendLog(const std::string& FName, bool InHex) {
    logCall(ser::AppendLog(portHandle(), FName, InHex), tlOff);
}

// ---------------------------------------------------------------------------
// Data

uint16_t TSerCustomComPort::AddDataTrigger(const std::string& Data, bool IgnoreCase) {
    int h = portHandle();
    return static_cast<uint16_t>(check(ser::AddDataTrigger(h, Data, IgnoreCase)));
}

char TSerCustomComPort::GetChar() {
    unsigned char c = 0;
    int r = ser::takeNextChar(portActive_ ? portHandle_ : portHandle(), c);  // ser::GetChar, inline
    if (r < 0) {
        check(r);
        return '\0';
    }
    return static_cast<char>(c);
}

void TSerCustomComPort::PutString(const std::string& S) {
    int h = portHandle();
    check(ser::PutBlock(h, S.data(), static_cast<int>(S.size())));
}

int TSerCustomComPort::ProcessCommunications() { return check(ser::ProcessCommunications(portHandle())); }

// ---------------------------------------------------------------------------
// Notifications

void TSerCustomComPort::DoTrigger(uint16_t Msg, uint16_t TriggerHandle, uint16_t Data) {
    if (OnTrigger) OnTrigger(this, Msg, TriggerHandle, Data);
}
void TSerCustomComPort::DoTriggerAvail(uint16_t Count) {
    if (OnTriggerAvail) OnTriggerAvail(this, Count);
}
void TSerCustomComPort::DoTriggerData(uint16_t TriggerHandle) {
    if (OnTriggerData) OnTriggerData(this, TriggerHandle);
}
void TSerCustomComPort::DoTriggerStatus(uint16_t TriggerHandle) {
    if (OnTriggerStatus) OnTriggerStatus(this, TriggerHandle);
}
void TSerCustomComPort::DoTriggerTimer(uint16_t TriggerHandle) {
    if (OnTriggerTimer) OnTriggerTimer(this, TriggerHandle);
}
void TSerCustomComPort::DoTriggerLineError(uint16_t Error, bool LineBreak) {
    if (OnTriggerLineError) OnTriggerLineError(this, Error, LineBreak);
}
void TSerCustomComPort::DoTriggerModemStatus() {
    if (OnTriggerModemStatus) OnTriggerModemStatus(this);
}
void TSerCustomComPort::DoTriggerOutbuffFree() {
    if (OnTriggerOutbuffFree) OnTriggerOutbuffFree(this);
}
void TSerCustomComPort::DoTriggerOutbuffUsed() {
    if (OnTriggerOutbuffUsed) OnTriggerOutbuffUsed(this);
}
void TSerCustomComPort::DoTriggerOutSent() {
    if (OnTriggerOutSent) OnTriggerOutSent(this);
}
void TSerCustomComPort::DoWaitChar(char C) {
    if (OnWaitChar) OnWaitChar(this, C);
}

intptr_t TSerCustomComPort::ComWindowProc(uint32_t Msg, uint32_t wParam, uint32_t lParam) {
    int handle = static_cast<int>(lParam >> 16);
    if (handle < 1 || handle > kMaxComponentPorts) return 0;
    TSerCustomComPort* port = componentTable()[handle];
    if (!port) return 0;
    if (Msg < ser::APW_TRIGGERAVAIL || Msg > ser::APW_TRIGGERSTATUS) return 0;
    auto stillThere = [&] { return componentTable()[handle] == port; };
    const uint16_t w = static_cast<uint16_t>(wParam);
    try {
        port->DoTrigger(static_cast<uint16_t>(Msg), w,
                        Msg == ser::APW_TRIGGERAVAIL ? w : static_cast<uint16_t>(lParam & 0xFFFF));
        if (!stillThere()) return 0;
        switch (Msg) {
        case ser::APW_TRIGGERAVAIL: port->DoTriggerAvail(w); break;
        case ser::APW_TRIGGERDATA: port->DoTriggerData(w); break;
        case ser::APW_TRIGGERTIMER: port->DoTriggerTimer(w); break;
        case ser::APW_TRIGGERSTATUS: {
            port->DoTriggerStatus(w);
            if (!stillThere()) return 0;
            ser::TTriggerSnapshot triggers;
            ser::GetTriggers(handle, triggers);
            uint16_t kind = 0;
            if (w <= ser::kMaxTriggerHandles && triggers.Handles[w].Kind == ser::tkStatus)
                kind = triggers.Status[triggers.Handles[w].Index].Kind;
            switch (kind) {
            case ser::stModem: port->DoTriggerModemStatus(); break;
            case ser::stLineError: {
                int error = ser::GetLineError(handle);
                bool lineBreak = ser::CheckLineBreak(handle) == 1;
                port->DoTriggerLineError(static_cast<uint16_t>(std::max(error, 0)), lineBreak);
                break;
            }
            case ser::stOutBuffFree: port->DoTriggerOutbuffFree(); break;
            case ser::stOutBuffUsed: port->DoTriggerOutbuffUsed(); break;
            case ser::stOutSent: port->DoTriggerOutSent(); break;
            default: break;
            }
            break;
        }
        }
    } catch (...) {
        Application->HandleException(port);
    }
    return 0;
}
