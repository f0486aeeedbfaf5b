#pragma once
// The port dispatcher: a procedural layer that owns every open serial port
// by a handle from 1 to 50. Each port has a device layer (SerDeviceLayer.h),
// an 8192-byte receive ring, an output ring of OutSize bytes in front of the
// device, trigger tables (SerTriggers.h), a trace and a dispatch log
// (SerTrace.h), an I/O thread that reads the device and makes a timer pass
// every 50 ms, and an output thread that writes the output ring.
//
// Trigger notifications run on the main thread: the I/O thread hands the
// main thread one pass that delivers everything pending, to each registered
// handler, newest registration first; while characters keep coming, the
// pass reads them from the device itself, and the I/O thread leaves the
// device to it (looking again every 10 ms, and reading itself again once the
// pass reads no more); a pass that reached its read limit queues the next
// one behind the main thread's other work. The I/O thread never waits for
// the main thread beyond one read and that look, so a busy main thread loses
// nothing (the device holds what the ring cannot) and a close always
// completes at once.
//
// Every routine returns 0 or a positive value for success and a negative
// code (SerErrors.h) for failure.
#include <cstdint>
#include <functional>
#include <string>

#include "SerTrace.h"
#include "SerTriggers.h"

namespace ser {

constexpr int kMaxPorts = 50;
constexpr int kReceiveBufferSize = 8192;

// Notification messages; lParam carries the port handle in its high word.
constexpr uint32_t APW_TRIGGERAVAIL = 32257;
constexpr uint32_t APW_TRIGGERDATA = 32258;
constexpr uint32_t APW_TRIGGERTIMER = 32259;
constexpr uint32_t APW_TRIGGERSTATUS = 32260;

// Dispatcher options.
constexpr uint16_t poUseMSRShadow = 1;
constexpr uint16_t poConsumeDuringNotify = 2;
constexpr uint16_t poUseEventWord = 4;

// Dispatch mode every port gets.
constexpr int dmWin32 = 4;

// What stands for a window that receives notifications.
class TSerWindow {
public:
    virtual ~TSerWindow() = default;
    virtual intptr_t WindowProc(uint32_t Msg, uint32_t wParam, uint32_t lParam) = 0;
};

// A procedure handler gets (Data, Msg, wParam, lParam).
using TSerHandlerProc = std::function<void(uint32_t Data, uint32_t Msg, uint32_t wParam, uint32_t lParam)>;

// Opens a port on Name (DevHandle 0) or adopts DevHandle; Handle receives
// the port handle. Parity 0-4 (none, odd, even, mark, space).
int InitPort(int& Handle, int Mode, const std::string& Name, int Baud, int Parity, int DataBits,
             int StopBits, uint16_t InSize, uint16_t OutSize, int DevHandle);
// Discards pending output, closes the device and frees the port; inside a
// notification pass the port is freed when the pass ends.
int DonePort(int Handle);
bool validPort(int Handle);

// Line: a Baud of 0, Parity 5 and DataBits 9 keep the current value;
// StopBits 3 keeps it, 0 is 1, above 2 is 2.
int SetLine(int Handle, int Baud, int Parity, int DataBits, int StopBits);
int GetLine(int Handle, int& Baud, int& Parity, int& DataBits, int& StopBits);
int SetBufferSizes(int Handle, uint16_t InSize, uint16_t OutSize);
int SetDTR(int Handle, bool On);
int SetRTS(int Handle, bool On);
// Hardware flow options: 1 use DTR, 2 use RTS, 4 require DSR, 8 require CTS.
int HWFlowEnable(int Handle, uint16_t BufferFull, uint16_t BufferResume, uint16_t Options);
int HWFlowDisable(int Handle);
// Software flow options: 1 transmit side, 2 receive side.
int SWFlowEnable(int Handle, uint16_t BufferFull, uint16_t BufferResume, uint16_t Options);
int SWFlowDisable(int Handle);
int SetFlowChars(int Handle, unsigned char XOn, unsigned char XOff);
// The modem-status shadow (high nibble CTS, DSR, RI, DCD; low nibble deltas).
int GetModemStatus(int Handle);
// Line-error bits other than break, cleared by reading.
int GetLineError(int Handle);
// 1 when a break arrived since the last call.
int CheckLineBreak(int Handle);
int SetBreak(int Handle, bool On);

// Takes the next character; inside an avail or data notification it peeks
// at the next one this handler has not taken, and the ring advances after
// the notification by the most any handler took.
int GetChar(int Handle, unsigned char& C);
// The character Index (1-based) from the oldest buffered.
int PeekChar(int Handle, unsigned char& C, int Index);
int PutBlock(int Handle, const void* Data, int Len);
int InBuffUsed(int Handle);
int outBuffUsed(int Handle);
int outBuffFree(int Handle);
bool outBuffFull(int Handle);

int AddDataTrigger(int Handle, const std::string& Data, bool IgnoreCase);
int SetTriggerLength(int Handle, uint16_t Length);
int GetTriggers(int Handle, TTriggerSnapshot& Snapshot);
int SetTriggers(int Handle, const TTriggerSnapshot& Snapshot);
int ClearTriggers(int Handle);
// Ends the current notification of that trigger after the handler that
// calls it (messages other than avail).
int setStopFlag(int Handle, uint16_t TriggerHandle);

int RegisterHandler(int Handle, TSerWindow* Window, TSerHandlerProc Proc, uint32_t Data, bool PassOn);
int DeregisterHandler(int Handle, TSerWindow* Window, uint32_t Data);
int SetOption(int Handle, uint16_t Option);
int ClearOption(int Handle, uint16_t Option);
// Dispatching runs on the port's threads, so a pass on request does nothing.
int ProcessCommunications(int Handle);
int SetCommNotificationLevel(int Handle, uint16_t Level);

int InitTracing(int Handle, int NumEntries);
int StartTracing(int Handle);
int StopTracing(int Handle);
int ClearTracing(int Handle);
int AbortTracing(int Handle);
int DumpTrace(int Handle, const std::string& FName, bool InHex);
int AppendTrace(int Handle, const std::string& FName, bool InHex);
int InitLogging(int Handle, int Size);
int StartLogging(int Handle);
int StopLogging(int Handle);
int ClearLogging(int Handle);
int AbortLogging(int Handle);
int DumpLog(int Handle, const std::string& FName, bool InHex);
int AppendLog(int Handle, const std::string& FName, bool InHex);

// Moves a port's trace and log out of it (for writing once the port is
// closed); the port goes on without them.
int takeTrace(int Handle, TTraceState& Trace);
int takeLog(int Handle, TLogState& Log);

// The rate a line-settings record holds, the old rate codes read back.
int rateFromDCB(uint32_t BaudRate);

}  // namespace ser
