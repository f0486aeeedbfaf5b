#include "os/InstanceGuard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "os/FileLock.h"
#include "os/Paths.h"

namespace os {

namespace {

// FNV-1a: a hash that stays the same from one build to the next, so every
// program of one installation finds the same guard file.
uint64_t stableHash(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// The guard is a locked file in shared memory, private to this user and this
// installation; the kernel drops the lock when the holder dies, however it dies.
std::string guardPath(const std::string& name) {
    std::string safeName;
    for (char c : name)
        safeName += (c == '/' || c == '\\' || c == '\0') ? '_' : c;
    struct stat st;
    std::string folder = (stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode)) ? "/dev/shm" : TempFolder();
    char hash[17];
    snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(stableHash(InstallRoot())));
    return folder + "/quenmark-" + std::to_string(getuid()) + "-" + hash + "-" + safeName + ".lock";
}

bool sameFile(int fd, const std::string& path) {
    struct stat opened, named;
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

InstanceGuard::InstanceGuard(std::string name) : name_(std::move(name)) {}

InstanceGuard::~InstanceGuard() { Release(); }

bool InstanceGuard::Acquire() {
    if (Held())
        return true;
    const std::string path = guardPath(name_);
    // A holder that releases removes the file; a lock taken on the removed
    // file is worthless, so try again on the file now at the path.
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        if (!FileLock(fd).Lock(0, 1, LockKind::Exclusive, 0)) {
            close(fd);
            return false;
        }
        if (sameFile(fd, path)) {
            fd_ = fd;
            path_ = path;
            return true;
        }
        close(fd);
    }
    return false;
}

void InstanceGuard::Release() {
    if (!Held())
        return;
    unlink(path_.c_str());  // while still locked, so no one else's file is removed
    close(fd_);
    fd_ = -1;
}

}  // namespace os
