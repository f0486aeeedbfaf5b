#pragma once
// Sets an environment variable for the life of the object and puts back
// what was there before (or removes it).
#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnv {
public:
    ScopedEnv(const char* Name, const std::string& Value) : name_(Name) {
        if (const char* old = std::getenv(Name))
            saved_ = old;
        setenv(Name, Value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};
