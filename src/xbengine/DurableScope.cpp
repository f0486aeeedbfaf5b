#include "xbengine/DurableScope.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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
    // The files go to the disk side by side: the waits overlap, and the
    // file system can carry them in one journal commit.
    std::vector<int> fds;
    for (const auto& entry : files)
        fds.push_back(entry.second);
    std::vector<char> synced(fds.size(), 0);
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < fds.size(); ++i) {
        try {
            helpers.emplace_back([&, i] { synced[i] = fdatasync(fds[i]) == 0; });
        } catch (const std::system_error&) {
            synced[i] = fdatasync(fds[i]) == 0;  // no thread to spare: here
        }
    }
    if (!fds.empty())
        synced[0] = fdatasync(fds[0]) == 0;
    for (std::thread& helper : helpers)
        helper.join();
    bool ok = true;
    for (size_t i = 0; i < fds.size(); ++i) {
        ok = ok && synced[i];
        close(fds[i]);
    }
    return ok;
}

uint64_t durableScopeFlushes() {
    ScopeState& s = state();
    std::lock_guard lock(s.mutex);
    return s.flushes;
}

}  // namespace xb
