#pragma once
// A named guard that one process at a time can hold on this machine, per user
// and per installation root. Another process sees it; it vanishes when its
// holder exits or is killed, even by kill -9.
#include <string>

namespace os {

class InstanceGuard {
public:
    explicit InstanceGuard(std::string name);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // True when this process now holds the guard; false when another holds it.
    bool Acquire();
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    std::string name_;
    std::string path_;  // the guard file while held
    int fd_ = -1;
};

}  // namespace os
