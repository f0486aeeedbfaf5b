#pragma once
// Points QUENMARK_ROOT at a fresh folder of its own for the life of the
// object, so a test may fill or remove the root's folders freely.
#include <cstdlib>
#include <optional>
#include <string>

#include "support/TempDir.h"

class ScopedRoot {
public:
    ScopedRoot() {
        if (const char* old = std::getenv("QUENMARK_ROOT"))
            saved_ = old;
        setenv("QUENMARK_ROOT", path().c_str(), 1);
    }
    ~ScopedRoot() {
        if (saved_)
            setenv("QUENMARK_ROOT", saved_->c_str(), 1);
        else
            unsetenv("QUENMARK_ROOT");
    }
    ScopedRoot(const ScopedRoot&) = delete;
    ScopedRoot& operator=(const ScopedRoot&) = delete;

    // Not made yet: the code under test creates it.
    std::string path() const { return dir_.file("root"); }

private:
    TempDir dir_;
    std::optional<std::string> saved_;
};
