#include "support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

PtyPair::PtyPair() {
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    if (grantpt(fd) != 0 || unlockpt(fd) != 0) {
        close(fd);
        return;
    }
    char name[128];
    if (ptsname_r(fd, name, sizeof name) != 0) {
        close(fd);
        return;
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    far_ = fd;
    devicePath_ = name;
    // Without an open device end the far end reads only errors; this open
    // is no lock and does not keep the program from opening the device.
    holder_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (holder_ >= 0) {
        termios raw{};
        tcgetattr(holder_, &raw);
        cfmakeraw(&raw);
        tcsetattr(holder_, TCSANOW, &raw);
    }
}

PtyPair::~PtyPair() {
    if (!exported_.empty()) unsetenv(exported_.c_str());
    if (holder_ >= 0) close(holder_);
    if (far_ >= 0) close(far_);
}

void PtyPair::exportAs(int comNumber) {
    exported_ = "QUENMARK_COM" + std::to_string(comNumber);
    setenv(exported_.c_str(), devicePath_.c_str(), 1);
}

void PtyPair::write(const std::string& Data, size_t ChunkSize, int PauseMs) {
    size_t chunk = ChunkSize == 0 ? Data.size() : ChunkSize;
    for (size_t at = 0; at < Data.size();) {
        size_t end = std::min(Data.size(), at + chunk);
        while (at < end) {
            ssize_t n = ::write(far_, Data.data() + at, end - at);
            if (n > 0) {
                at += static_cast<size_t>(n);
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                return;
            } else {
                pollfd p{far_, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
        if (PauseMs > 0 && at < Data.size()) std::this_thread::sleep_for(std::chrono::milliseconds(PauseMs));
    }
}

std::string PtyPair::read(size_t Count, int TimeoutMs) {
    std::string out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (out.size() < Count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{far_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        ssize_t n = ::read(far_, buffer, std::min(sizeof buffer, Count - out.size()));
        if (n > 0) out.append(buffer, static_cast<size_t>(n));
        else if (n < 0 && errno != EINTR && errno != EAGAIN) break;
    }
    return out;
}

void PtyPair::hangUp() {
    if (holder_ >= 0) close(holder_);
    holder_ = -1;
    if (far_ >= 0) close(far_);
    far_ = -1;
}
