#include "xbengine/DurableScope.h"

#include "os/FileIo.h"
#include "xbengine/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace xb {

namespace {

// A caller's mark for a scratch table's file, which scopes never flush; its
// name never changes while it is open.
constexpr uint64_t ScratchNoted = UINT64_MAX;
// Added to the scope's number: the file is known not to be a scratch table's.
constexpr uint64_t KnownCompany = uint64_t(1) << 62;

struct ScopeState {
    std::mutex mutex;
    int depth = 0;
    uint64_t scope = 0;  // the outermost scope open, numbered from 1
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

// Threads that flush files side by side at the end of a scope. They are made
// once and kept, so a document pays no thread start per file it touched.
class FlushPool {
public:
    ~FlushPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    // Flushes every fd, this thread taking its share; true when all succeeded.
    bool run(const std::vector<int>& fds) {
        if (fds.empty())
            return true;
        auto batch = std::make_shared<Batch>();
        batch->fds = fds;
        batch->left = fds.size();
        {
            std::lock_guard lock(mutex_);
            while (workers_.size() < std::min(fds.size() - 1, maxWorkers)) {
                try {
                    workers_.emplace_back([this] { work(); });
                } catch (const std::system_error&) {
                    break;  // no thread to spare: fewer helpers
                }
            }
            queue_.push_back(batch);
        }
        wake_.notify_all();
        while (takeOne(*batch)) {
        }
        std::unique_lock lock(batch->mutex);
        batch->done.wait(lock, [&] { return batch->left == 0; });
        return batch->ok;
    }

private:
    static constexpr size_t maxWorkers = 15;

    struct Batch {
        std::vector<int> fds;
        std::atomic<size_t> next{0};
        std::mutex mutex;
        std::condition_variable done;
        size_t left = 0;
        bool ok = true;
    };

    // Flushes the batch's next file; false when none is left to take.
    static bool takeOne(Batch& batch) {
        const size_t i = batch.next.fetch_add(1);
        if (i >= batch.fds.size())
            return false;
        const bool synced = os::SyncFile(batch.fds[i]);
        std::lock_guard lock(batch.mutex);
        batch.ok = batch.ok && synced;
        if (--batch.left == 0)
            batch.done.notify_all();
        return true;
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            std::shared_ptr<Batch> batch = queue_.front();
            lock.unlock();
            const bool took = takeOne(*batch);
            lock.lock();
            if (!took && !queue_.empty() && queue_.front() == batch)
                queue_.pop_front();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Batch>> queue_;
    std::vector<std::thread> workers_;
    bool stopping_ = false;
};

bool syncAll(const std::vector<int>& fds) {
    static FlushPool pool;
    return pool.run(fds);
}

}  // namespace

bool syncOrDefer(int fd, uint64_t* noted) {
    ScopeState& s = state();
    {
        std::lock_guard lock(s.mutex);
        if (s.depth > 0) {
            if (noted && (*noted == ScratchNoted || (*noted & ~KnownCompany) == s.scope))
                return true;
            const bool company = noted && (*noted & KnownCompany);
            struct stat st {};
            if (fstat(fd, &st) == 0) {
                const auto key = std::make_pair(st.st_dev, st.st_ino);
                auto found = s.noted.find(key);
                if (found == s.noted.end()) {
                    // A scratch table's copy on disk is never read again
                    // after a stop (Journal.h): no flush of it is waited for.
                    if (noted && !company && ScratchFile(fd)) {
                        *noted = ScratchNoted;
                        return true;
                    }
                    const int copy = os::DuplicateFile(fd);
                    if (copy >= 0)
                        found = s.noted.emplace(key, copy).first;
                }
                if (found != s.noted.end()) {
                    if (noted)
                        *noted = s.scope | KnownCompany;
                    return true;
                }
            }
            // Cannot note it: flush now rather than lose durability.
        }
    }
    return os::SyncFile(fd);
}

void beginDurableScope() {
    ScopeState& s = state();
    std::lock_guard lock(s.mutex);
    if (++s.depth == 1) {
        ++s.scope;
        JournalBegin();
    }
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
    std::vector<int> fds;
    for (const auto& entry : files)
        fds.push_back(entry.second);
    // The undo of every change reaches the disk before any of the changes.
    if (!journalToDisk()) {
        for (int fd : fds)
            os::CloseFile(fd);
        return false;
    }
    // The write-back of every file starts before the wait for any, so the
    // disk gets all of the document's pages in one go.
    for (int fd : fds)
        sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    // The files reach the disk side by side: the waits overlap, and the
    // device can serve their cache flushes together. (One syncfs of the
    // folder's file system instead is slower: it writes back and waits for
    // every other program's changes there too, and on ext4 without a journal
    // it writes inode blocks after its wait for the device, so a file's new
    // length would need one more flush anyway.)
    const bool ok = syncAll(fds);
    for (int fd : fds)
        os::CloseFile(fd);
    // Only once the data is on disk may its undo go.
    return ok && JournalCommit();
}

bool rollbackDurableScope() {
    ScopeState& s = state();
    {
        std::lock_guard lock(s.mutex);
        s.depth = 0;
        for (const auto& entry : s.noted)
            os::CloseFile(entry.second);
        s.noted.clear();
    }
    return JournalRollback();
}

uint64_t durableScopeFlushes() {
    ScopeState& s = state();
    std::lock_guard lock(s.mutex);
    return s.flushes;
}

}  // namespace xb
