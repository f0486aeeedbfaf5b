#include "os/FileLock.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace os {

namespace {

struct flock makeRange(short type, uint64_t start, uint64_t length) {
    struct flock range;
    std::memset(&range, 0, sizeof range);
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(start);
    range.l_len = static_cast<off_t>(length);
    range.l_pid = 0;  // must be 0 for open-file-description locks
    return range;
}

short lockType(LockKind kind) { return kind == LockKind::Shared ? F_RDLCK : F_WRLCK; }

bool isConflict(int error) { return error == EAGAIN || error == EACCES; }

}  // namespace

bool FileLock::Lock(uint64_t start, uint64_t length, LockKind kind, int timeoutMs) const {
    struct flock range = makeRange(lockType(kind), start, length);
    if (timeoutMs < 0) {
        while (fcntl(fd_, F_OFD_SETLKW, &range) != 0)
            if (errno != EINTR)
                return false;
        return true;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        if (fcntl(fd_, F_OFD_SETLK, &range) == 0)
            return true;
        if (!isConflict(errno) && errno != EINTR)
            return false;
        auto now = Clock::now();
        if (now >= deadline)
            return false;
        // Poll with short sleeps, growing to 10 ms, never past the deadline.
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
        std::this_thread::sleep_for(std::min(pause, left));
        pause = std::min(pause * 2, std::chrono::microseconds(10000));
    }
}

void FileLock::Unlock(uint64_t start, uint64_t length) const {
    struct flock range = makeRange(F_UNLCK, start, length);
    fcntl(fd_, F_OFD_SETLK, &range);
}

bool FileLock::LockedByOther(uint64_t start, uint64_t length, LockKind kind) const {
    struct flock range = makeRange(lockType(kind), start, length);
    if (fcntl(fd_, F_OFD_GETLK, &range) != 0)
        return false;
    return range.l_type != F_UNLCK;
}

}  // namespace os
