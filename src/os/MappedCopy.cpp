#include "os/MappedCopy.h"

#include <setjmp.h>
#include <signal.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace os {

namespace {

// The access under way on this thread, if any: where to return to and the
// mapped pages it touches.
struct Guard {
    sigjmp_buf jump;
    const char* from;
    const char* to;
};

thread_local Guard* activeGuard = nullptr;
struct sigaction previousAction;

void OnBusError(int signal, siginfo_t* info, void* context) {
    Guard* guard = activeGuard;
    const char* at = static_cast<const char*>(info->si_addr);
    if (guard && at >= guard->from && at < guard->to)
        siglongjmp(guard->jump, 1);
    // Not one of our accesses: as if this handler had never been installed.
    if (previousAction.sa_flags & SA_SIGINFO) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    // The default action, on the faulting access that runs again on return.
    ::signal(SIGBUS, SIG_DFL);
}

void InstallHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_sigaction = OnBusError;
        // NODEFER: the jump out of the handler leaves SIGBUS unblocked.
        action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previousAction);
    });
}

// Runs access over the mapped bytes [at, at + n): false when it faulted there.
template <class Access>
bool Guarded(const void* at, size_t n, Access access) {
    InstallHandler();
    // The whole pages, should the access touch a little around the bytes.
    constexpr uintptr_t page = 4096;
    const uintptr_t from = reinterpret_cast<uintptr_t>(at);
    Guard guard;
    guard.from = reinterpret_cast<const char*>(from & ~(page - 1));
    guard.to = reinterpret_cast<const char*>((from + n + page - 1) & ~(page - 1));
    if (sigsetjmp(guard.jump, 0) != 0) {
        activeGuard = nullptr;
        return false;
    }
    activeGuard = &guard;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    access();
    std::atomic_signal_fence(std::memory_order_seq_cst);
    activeGuard = nullptr;
    return true;
}

}  // namespace

bool CopyFromMapping(void* dest, const void* src, size_t n) {
    return Guarded(src, n, [&] { std::memcpy(dest, src, n); });
}

bool LoadFromMapping(const uint64_t* src, uint64_t* value) {
    return Guarded(src, sizeof *value, [&] { *value = __atomic_load_n(src, __ATOMIC_ACQUIRE); });
}

bool AddToMapping(uint64_t* dest, uint64_t n) {
    return Guarded(dest, sizeof n, [&] { __atomic_fetch_add(dest, n, __ATOMIC_SEQ_CST); });
}

}  // namespace os
