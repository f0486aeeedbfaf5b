#pragma once
// Byte-range locks on an open file description (Linux F_OFD_SETLK). They hold
// between processes and between two opens of one file in the same process,
// and vanish when the descriptor is closed or its process dies.
#include <cstdint>

namespace os {

enum class LockKind { Shared, Exclusive };

class FileLock {
public:
    // fd is not owned.
    explicit FileLock(int fd) : fd_(fd) {}

    // Takes the lock on [start, start+length). Waits up to timeoutMs
    // milliseconds (0 tries once, negative waits forever). False on time-out.
    // A length of 0 reaches past the end of any file. A shared lock needs a
    // descriptor open for reading, an exclusive one a descriptor open for writing.
    bool Lock(uint64_t start, uint64_t length, LockKind kind, int timeoutMs) const;
    void Unlock(uint64_t start, uint64_t length) const;
    // True when another open file description holds a lock that would
    // conflict with taking `kind` on the range.
    bool LockedByOther(uint64_t start, uint64_t length, LockKind kind) const;

private:
    int fd_;
};

}  // namespace os
