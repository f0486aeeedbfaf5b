#include "support/TempDir.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>

TempDir::TempDir() {
    // The lowest free number in the test process's own temporary folder:
    // short paths, so a file name stored in a narrow field still fits.
    const std::string parent = std::filesystem::temp_directory_path().string();
    for (int number = 1;; ++number) {
        path_ = parent + "/" + std::to_string(number);
        if (mkdir(path_.c_str(), S_IRWXU) == 0) return;
        if (errno != EEXIST) throw std::runtime_error("cannot make a temporary folder " + path_);
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }
