#pragma once
// The process-wide client side of the report data link: the nesting count of
// GainControl, the lists-stale flag and the requests to the in-process
// connections. The link runs in this process only: GainControl is a
// recursive lock local to the process, and a request is answered by the
// named connection's handlers on the calling thread, through the request
// buffer of the link.
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "reporting/project/RSCon.h"

// Told of connection events: 20 connection opened, 21 control gained,
// 22 control released, 23 before a request. Answering true to 23 means the
// hook answered the request itself. Nothing installs it.
using TDuzuNotifyHook = std::function<bool(int Code, TRSCustomConnection* Connection)>;
constexpr int kNotifyConnectionOpened = 20;
constexpr int kNotifyControlGained = 21;
constexpr int kNotifyControlReleased = 22;
constexpr int kNotifyBeforeRequest = 23;

class TDuzuDataSystem {
public:
    TDuzuDataSystem() = default;
    TDuzuDataSystem(const TDuzuDataSystem&) = delete;
    TDuzuDataSystem& operator=(const TDuzuDataSystem&) = delete;

    // Nested calls count; the first waits up to 5 s for the link, then asks
    // "Unable to gain control of DUZU Data Communication System." with Retry
    // and Cancel. False after Cancel.
    bool GainControl();
    // Below 0 raises EDuzuException "Control count underflow on
    // ReleaseControl" and sets the count to 0; at 0 frees the link.
    void ReleaseControl();
    int ControlCount() const { return controlCount_; }

    bool ListsStale() const { return listsStale_; }
    void SetListsStale(bool Value) { listsStale_ = Value; }

    // The in-process connection of that name (without regard to case), or nullptr.
    TRSCustomConnection* OpenConnection(const std::string& Name);
    // True when two connections listed to end users share that Name.
    bool DuplicateConnection(const std::string& Name) const { return DataConnectManager().CountListed(Name) > 1; }
    // The request buffer: the client writes a request's parameters after
    // its kind, ExecuteRequest has the connection answer, and the reply is
    // read from the same buffer.
    TDuzuLinkBuffer& Buffer() { return DuzuLinkBuffer(); }
    // Starts a request of Kind: the buffer holds the kind and nothing else.
    void BeginRequest(std::int32_t Kind);
    // Runs the request in the buffer (its kind as BeginRequest wrote it).
    // False for a kind the connection does not serve; a handler's exception
    // reaches the caller.
    bool ExecuteRequest(TRSCustomConnection* Connection);

    TDuzuNotifyHook OnNotify;
    // The time the first GainControl waits for another holder.
    std::chrono::milliseconds ControlWait{5000};

private:
    bool notify(int Code, TRSCustomConnection* Connection);

    int controlCount_ = 0;
    std::timed_mutex control_;
    bool listsStale_ = true;
};

// The one data system of the process.
TDuzuDataSystem& DuzuDataSystem();
