#pragma once
// TSerCustomComPort and TSerComPort: the non-visual component that talks to
// one serial port. It owns one dispatcher port (SerDispatch.h), keeps the
// line, flow, trace and log settings as properties, opens and closes the
// port, and turns the dispatcher's trigger notifications into events that
// run on the main thread. Every negative dispatcher result raises the
// exception of its code (SerExcept.h), except while the component loads.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SerDispatch.h"
#include "base/Classes.h"

enum TDeviceLayer { dlNone, dlComm, dlFossil, dlWin32, dlWinsock, dlOther };
enum TParity { pNone, pOdd, pEven, pMark, pSpace };
enum TDispatcherMode { dNone, dTimer, dCommEvents, dAuto, dWin32 };
enum THWFlowOption { hwfUseDTR, hwfUseRTS, hwfRequireDSR, hwfRequireCTS };
using THWFlowOptions = TSet<THWFlowOption>;
enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };
enum TTraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };
enum TTapiMode { tmNone, tmAuto, tmOn, tmOff };

using TTriggerEvent = std::function<void(TObject* CP, uint16_t Msg, uint16_t TriggerHandle, uint16_t Data)>;
using TTriggerAvailEvent = std::function<void(TObject* CP, uint16_t Count)>;
using TTriggerHandleEvent = std::function<void(TObject* CP, uint16_t TriggerHandle)>;
using TTriggerLineErrorEvent = std::function<void(TObject* CP, uint16_t Error, bool LineBreak)>;
using TWaitCharEvent = std::function<void(TObject* CP, char C)>;
// A port hook's procedure gets (Data, the component, True on open / False on close).
using TPortHookProc = std::function<void(uint32_t Data, TObject* CP, bool Opening)>;

// Messages a hook window gets when the port opens or closes.
constexpr uint32_t APW_PORTOPEN = 32264;
constexpr uint32_t APW_PORTCLOSE = 32265;
// Component references by dispatcher port handle.
constexpr int kMaxComponentPorts = 100;

class TSerCustomComPort : public TComponent {
public:
    explicit TSerCustomComPort(TComponent* AOwner);
    ~TSerCustomComPort() override;

    void Assign(const TPersistent* Source) override;
    void Loaded() override;

    TDeviceLayer DeviceLayer() const { return deviceLayer_; }
    void SetDeviceLayer(TDeviceLayer Value);
    uint16_t ComNumber() const { return comNumber_; }
    void SetComNumber(uint16_t Value);
    int32_t Baud() const { return baud_; }
    void SetBaud(int32_t Value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity Value);
    uint16_t DataBits() const { return dataBits_; }
    void SetDataBits(uint16_t Value);
    uint16_t StopBits() const { return stopBits_; }
    void SetStopBits(uint16_t Value);
    uint16_t InSize() const { return inSize_; }
    void SetInSize(uint16_t Value);
    uint16_t OutSize() const { return outSize_; }
    void SetOutSize(uint16_t Value);
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool Value) { autoOpen_ = Value; }
    TDispatcherMode DispatcherMode() const { return dispatcherMode_; }
    void SetDispatcherMode(TDispatcherMode Value);
    bool Open() const { return open_; }
    void SetOpen(bool Value);
    bool DTR() const { return dtr_; }
    void SetDTR(bool Value);
    bool RTS() const { return rts_; }
    void SetRTS(bool Value);
    THWFlowOptions HWFlowOptions() const { return hwFlowOptions_; }
    void SetHWFlowOptions(THWFlowOptions Value);
    TSWFlowOptions SWFlowOptions() const { return swFlowOptions_; }
    void SetSWFlowOptions(TSWFlowOptions Value);
    char XOnChar() const { return xOnChar_; }
    void SetXOnChar(char Value);
    char XOffChar() const { return xOffChar_; }
    void SetXOffChar(char Value);
    uint16_t BufferFull() const { return bufferFull_; }
    void SetBufferFull(uint16_t Value);
    uint16_t BufferResume() const { return bufferResume_; }
    void SetBufferResume(uint16_t Value);
    TTraceLogState Tracing() const { return tracing_; }
    void SetTracing(TTraceLogState Value);
    uint16_t TraceSize() const { return traceSize_; }
    void SetTraceSize(uint16_t Value);
    const std::string& TraceName() const { return traceName_; }
    void SetTraceName(const std::string& Value) { traceName_ = Value.substr(0, 255); }
    bool TraceHex() const { return traceHex_; }
    void SetTraceHex(bool Value) { traceHex_ = Value; }
    TTraceLogState Logging() const { return logging_; }
    void SetLogging(TTraceLogState Value);
    uint16_t LogSize() const { return logSize_; }
    void SetLogSize(uint16_t Value);
    const std::string& LogName() const { return logName_; }
    void SetLogName(const std::string& Value) { logName_ = Value.substr(0, 255); }
    bool LogHex() const { return logHex_; }
    void SetLogHex(bool Value) { logHex_ = Value; }
    bool UseMSRShadow() const { return useMSRShadow_; }
    virtual void SetUseMSRShadow(bool Value);
    bool UseEventWord() const { return useEventWord_; }
    void SetUseEventWord(bool Value);
    bool ConsumeDuringNotify() const { return consumeDuringNotify_; }
    void SetConsumeDuringNotify(bool Value);
    uint16_t TriggerLength() const { return triggerLength_; }
    void SetTriggerLength(uint16_t Value);
    uint16_t CommNotificationLevel() const { return commNotificationLevel_; }
    void SetCommNotificationLevel(uint16_t Value);
    TTapiMode TapiMode() const { return tapiMode_; }
    void SetTapiMode(TTapiMode Value) { tapiMode_ = Value; }

    // The dispatcher port exists.
    bool PortActive() const { return portActive_; }
    // The dispatcher port handle, opening first when AutoOpen allows (0
    // when the port is not open).
    int portHandle();

    // REQUIRES (for all below): an open port, or AutoOpen.
    uint16_t AddDataTrigger(const std::string& Data, bool IgnoreCase);
    // The next received character; raises (EBufferIsEmpty) when there is none.
    char GetChar();
    // Queues every byte of S for output.
    void PutString(const std::string& S);
    int ProcessCommunications();

    void InitTracing(uint16_t NumEntries);
    void StartTracing();
    void StopTracing();
    void ClearTracing();
    void AbortTracing();
    void DumpTrace(const std::string& FName, bool InHex);
    void AppendTrace(const std::string& FName, bool InHex);
    void InitLogging(uint16_t Size);
    void StartLogging();
    void StopLogging();
    void ClearLogging();
    void AbortLogging();
    void DumpLog(const std::string& FName, bool InHex);
    void AppendLog(const std::string& FName, bool InHex);

    // Port hooks, told of every open and close (last added first).
    void addPortHook(ser::TSerWindow* Window, TPortHookProc Proc, uint32_t Data);
    void removePortHook(ser::TSerWindow* Window, uint32_t Data);

    // The layer installed for DeviceLayer = dlOther (initially the termios layer).
    std::function<void()> CustomDeviceLayerProc;
    // A device descriptor OpenPortDirect adopts (0: open by name).
    uint16_t DirectDeviceHandle = 0;

    TTriggerEvent OnTrigger;
    TTriggerAvailEvent OnTriggerAvail;
    TTriggerHandleEvent OnTriggerData;
    TTriggerHandleEvent OnTriggerStatus;
    TTriggerHandleEvent OnTriggerTimer;
    TTriggerLineErrorEvent OnTriggerLineError;
    TNotifyEvent OnTriggerModemStatus;
    TNotifyEvent OnTriggerOutbuffFree;
    TNotifyEvent OnTriggerOutbuffUsed;
    TNotifyEvent OnTriggerOutSent;
    TWaitCharEvent OnWaitChar;
    TNotifyEvent OnPortOpen;
    TNotifyEvent OnPortClose;

    // What the hidden window does with a dispatcher message.
    static intptr_t ComWindowProc(uint32_t Msg, uint32_t wParam, uint32_t lParam);

protected:
    virtual void ActivateDeviceLayer();
    virtual void DeviceLayerChanged() {}
    virtual int InitPort();
    virtual void CheckComNumber();
    virtual void DoTrigger(uint16_t Msg, uint16_t TriggerHandle, uint16_t Data);
    virtual void DoTriggerAvail(uint16_t Count);
    virtual void DoTriggerData(uint16_t TriggerHandle);
    virtual void DoTriggerStatus(uint16_t TriggerHandle);
    virtual void DoTriggerTimer(uint16_t TriggerHandle);
    virtual void DoTriggerLineError(uint16_t Error, bool LineBreak);
    virtual void DoTriggerModemStatus();
    virtual void DoTriggerOutbuffFree();
    virtual void DoTriggerOutbuffUsed();
    virtual void DoTriggerOutSent();
    virtual void DoWaitChar(char C);
    virtual void ClosePort();
    virtual void DoPortOpen();
    virtual void DoPortClose();
    virtual void OpenPort();
    virtual void OpenPortDirect();

private:
    struct PortHook {
        ser::TSerWindow* Window;
        TPortHookProc Proc;
        uint32_t Data;
    };
    // The hidden window: passes each message to ComWindowProc.
    class ComWindow : public ser::TSerWindow {
    public:
        intptr_t WindowProc(uint32_t Msg, uint32_t wParam, uint32_t lParam) override {
            return ComWindowProc(Msg, wParam, lParam);
        }
    };

    int check(int Code) const;
    // The dispatcher's calls for one recorder, the trace or the log.
    struct RecorderCalls {
        int (*init)(int Handle, int Size);
        int (*start)(int Handle);
        int (*stop)(int Handle);
        int (*clear)(int Handle);
        int (*abort)(int Handle);
        int (*dump)(int Handle, const std::string& FileName, bool InHex);
        int (*append)(int Handle, const std::string& FileName, bool InHex);
    };
    void switchRecorder(TTraceLogState& State, TTraceLogState Value, const RecorderCalls& Calls, int Size,
                        const std::string& FileName, bool InHex);
    void openWith(int DevHandle);
    void reapplySettings();
    void applyFlowWithForce();
    // Stores a setting that changed (any, while forced) and hands it to the
    // open port.
    template <class T, class Apply>
    void changeSetting(T& Member, T Value, Apply ApplyToPort) {
        if (Value == Member && !force_) return;
        Member = Value;
        if (portActive_) check(ApplyToPort());
    }
    void applyFlow(uint16_t Word, int (*Enable)(int Handle, uint16_t Full, uint16_t Resume, uint16_t Options),
                   int (*Disable)(int Handle));
    void notifyHooks(bool Opening);
    bool loadingOrDesigning() const;
    void traceCall(int Code, TTraceLogState Result);
    void logCall(int Code, TTraceLogState Result);

    std::vector<PortHook> hooks_;
    bool force_ = false;
    bool portActive_ = false;
    bool openPending_ = false;
    bool savedTriggers_ = false;
    ser::TTriggerSnapshot triggerSnapshot_;
    ComWindow window_;
    bool windowRegistered_ = false;
    int portHandle_ = 0;

    TDeviceLayer deviceLayer_ = dlWin32;
    uint16_t comNumber_ = 0;
    int32_t baud_ = 19200;
    TParity parity_ = pNone;
    uint16_t dataBits_ = 8;
    uint16_t stopBits_ = 1;
    uint16_t inSize_ = 4096;
    uint16_t outSize_ = 4096;
    bool autoOpen_ = true;
    TDispatcherMode dispatcherMode_ = dWin32;
    bool open_ = false;
    bool dtr_ = true;
    bool rts_ = true;
    THWFlowOptions hwFlowOptions_;
    TSWFlowOptions swFlowOptions_ = swfNone;
    char xOnChar_ = 17;
    char xOffChar_ = 19;
    uint16_t bufferFull_ = 0;
    uint16_t bufferResume_ = 0;
    TTraceLogState tracing_ = tlOff;
    uint16_t traceSize_ = 10000;
    std::string traceName_ = "SERIAL.TRC";
    bool traceHex_ = true;
    TTraceLogState logging_ = tlOff;
    uint16_t logSize_ = 10000;
    std::string logName_ = "SERIAL.LOG";
    bool logHex_ = true;
    bool useMSRShadow_ = true;
    bool useEventWord_ = true;
    bool consumeDuringNotify_ = false;
    uint16_t triggerLength_ = 1;
    uint16_t commNotificationLevel_ = 10;
    TTapiMode tapiMode_ = tmAuto;
};

// The component as forms place it: every property published.
class TSerComPort : public TSerCustomComPort {
public:
    explicit TSerComPort(TComponent* AOwner) : TSerCustomComPort(AOwner) {}
};
