#include "os/FileIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "os/Paths.h"

namespace os {

namespace {

constexpr size_t OpKinds = 4;

struct Fault {
    std::atomic<uint64_t> at{0};  // the call number that fails; 0 none
    std::atomic<int> error{0};
};

struct State {
    std::array<std::atomic<uint64_t>, OpKinds> calls{};
    std::array<Fault, OpKinds> faults;
    std::atomic<bool> anyFault{false};
    std::mutex mutex;
    std::unordered_map<int, std::string> names;
    std::optional<FileFailure> failure;
};

State& state() {
    static State s;
    return s;
}

size_t slot(FileOp op) { return static_cast<size_t>(op); }

// Counts the call; true when the test seam makes it fail (errno set).
bool injected(FileOp op) {
    State& s = state();
    const uint64_t n = ++s.calls[slot(op)];
    if (!s.anyFault.load(std::memory_order_relaxed))
        return false;
    Fault& f = s.faults[slot(op)];
    if (f.at.load() != n)
        return false;
    errno = f.error.load();
    f.at = 0;
    return true;
}

std::string nameOf(int fd) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto found = s.names.find(fd);
    return found == s.names.end() ? std::string() : found->second;
}

bool failed(FileOp op, const std::string& path) {
    const int error = errno;
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!s.failure)
        s.failure = FileFailure{op, path, error};
    errno = error;
    return false;
}

bool failedOn(FileOp op, int fd) { return failed(op, nameOf(fd)); }

void remember(int fd, const std::string& path) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.names[fd] = path;
}

}  // namespace

int OpenFile(const std::string& path, int flags, int mode) {
    const FileOp op = (flags & O_CREAT) ? FileOp::Create : FileOp::Open;
    int fd = -1;
    if (!injected(op)) {
        do
            fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        while (fd < 0 && errno == EINTR);
    }
    if (fd < 0) {
        // A missing file asked for without create is an answer, not a failure.
        if (!(op == FileOp::Open && errno == ENOENT))
            failed(op, path);
        return -1;
    }
    remember(fd, path);
    return fd;
}

int DuplicateFile(int fd) {
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0)
        remember(copy, nameOf(fd));
    return copy;
}

void CloseFile(int fd) {
    if (fd < 0)
        return;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        s.names.erase(fd);
    }
    ::close(fd);
}

bool ReadAt(int fd, void* buf, size_t n, uint64_t offset) {
    char* p = static_cast<char*>(buf);
    while (n > 0) {
        ssize_t got = pread(fd, p, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

bool WriteAt(int fd, const void* buf, size_t n, uint64_t offset) {
    if (injected(FileOp::Write))
        return failedOn(FileOp::Write, fd);
    const char* p = static_cast<const char*>(buf);
    while (n > 0) {
        ssize_t put = pwrite(fd, p, n, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return failedOn(FileOp::Write, fd);
        }
        p += put;
        n -= static_cast<size_t>(put);
        offset += static_cast<uint64_t>(put);
    }
    return true;
}

bool SyncFile(int fd) {
    if (injected(FileOp::Flush) || fdatasync(fd) != 0)
        return failedOn(FileOp::Flush, fd);
    return true;
}

bool TruncateFile(int fd, uint64_t length) {
    if (injected(FileOp::Write))
        return failedOn(FileOp::Write, fd);
    int rc;
    do
        rc = ftruncate(fd, static_cast<off_t>(length));
    while (rc != 0 && errno == EINTR);
    return rc == 0 || failedOn(FileOp::Write, fd);
}

std::optional<FileFailure> FirstFileFailure() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.failure;
}

void ClearFileFailure() {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.failure.reset();
}

std::string DescribeFileFailure(const FileFailure& failure) {
    std::string folder = ExtractFilePath(failure.path);
    std::string root = IncludeTrailingPathDelimiter(InstallRoot());
    if (folder.compare(0, root.size(), root) == 0)
        folder.erase(0, root.size());
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string file = ExtractFileName(failure.path);
    if (file.empty())
        file = "A file";
    const char* done = "written";
    switch (failure.op) {
    case FileOp::Open: done = "opened"; break;
    case FileOp::Create: done = "created"; break;
    case FileOp::Write: done = "written"; break;
    case FileOp::Flush: done = "saved to the disk"; break;
    }
    const std::string what = file + " could not be " + done;
    switch (failure.error) {
    case ENOSPC:
    case EDQUOT:
        return "The disk holding " + folder + " is full: " + what + ".";
    case EIO:
        return "The disk holding " + folder + " reported a read or write error: " + what + ".";
    case EACCES:
    case EPERM:
    case EROFS:
        return "Permission was refused in " + folder + ": " + what + ".";
    default:
        return what + " in " + folder + ": " + std::strerror(failure.error) + ".";
    }
}

void FailFileCall(FileOp op, uint64_t nth, int error) {
    State& s = state();
    Fault& f = s.faults[slot(op)];
    f.error = error;
    f.at = s.calls[slot(op)].load() + nth;
    s.anyFault = true;
}

void ClearFileFaults() {
    State& s = state();
    for (Fault& f : s.faults)
        f.at = 0;
    s.anyFault = false;
}

uint64_t FileCalls(FileOp op) { return state().calls[slot(op)].load(); }

}  // namespace os
