#include "xbengine/DurableScope.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <utility>

namespace xb {

namespace {

struct ScopeState {
    std::mutex mutex;
    int depth = 0;
    // One duplicate descriptor per touched file, keyed by device and inode,
    // so a file reached through two work areas is flushed once and a file
    // closed inside the scope can still be flushed at its end.
    std::map<std::pair<dev_t, ino_t>, int> noted;
    uint64_t flushes = 0;
};

ScopeState& state() {
    static ScopeState s;
    return s;
}

}  // namespace

bool syncOrDefer(int fd) {
    ScopeState& s = state();
    {
        std::lock_guard lock(s.mutex);
        if (s.depth > 0) {
            struct stat st {};
            if (fstat(fd, &st) == 0) {
                auto key = std::make_pair(st.st_dev, st.st_ino);
                if (s.noted.count(key))
                    return true;
                int copy = dup(fd);
                if (copy >= 0) {
                    s.noted.emplace(key, copy);
                    return true;
                }
            }
            // Cannot note it: flush now rather than lose durability.
        }
    }
    return fdatasync(fd) == 0;
}

void beginDurableScope() {
    ScopeState& s = state();
    std::lock_guard lock(s.mutex);
    ++s.depth;
}

bool endDurableScope() {
    ScopeState& s = state();
    std::map<std::pair<dev_t, ino_t>, int> files;
    {
        std::lock_guard lock(s.mutex);
        if (s.depth == 0)
            return true;
        if (--s.depth > 0)
            return true;
        files.swap(s.noted);
        s.flushes += files.size();
    }
    bool ok = true;
    for (auto& [key, fd] : files) {
        if (fdatasync(fd) != 0)
            ok = false;
        close(fd);
    }
    return ok;
}

uint64_t durableScopeFlushes() {
    ScopeState& s = state();
    std::lock_guard lock(s.mutex);
    return s.flushes;
}

}  // namespace xb
