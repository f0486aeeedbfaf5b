#pragma once
// Helpers for the storage tests: tables made through the call set, a fixture
// that leaves the engine closed and with its default settings, and forked
// child processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "xbengine/XbEngine.h"

inline std::string Str(const char* s) { return s ? std::string(s) : std::string(); }

inline std::string Memo(const char* field) {
    char* text = xb_GetMemo(field, 0);
    std::string out = text ? text : "";
    xb_MemDealloc(text);
    return out;
}

// Appends a record and writes the given text values into it.
inline bool AppendValues(const std::vector<std::pair<const char*, std::string>>& values) {
    if (xb_AppendEx() != XB_APPEND_DONE)
        return false;
    bool ok = true;
    for (const auto& [field, text] : values)
        ok = xb_Replace(field, XB_REPLACE_TEXT, text.c_str()) != 0 && ok;
    xb_Unlock(XB_UNLOCK_ALL);
    return ok;
}

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        xb_CloseAll();
        xb_SetDeleted(XB_OFF);
        xb_SetCentury(XB_OFF);
        xb_SetDateFormat(XB_DATE_AMERICAN);
        xb_SetEpoch(1900);
        xb_SetLockTimeout(1000);
        xb_SetMemoBlockSize(64);
    }
    TempDir dir;
};

// Runs body in a forked child that first drops the parent's open tables (the
// child must take its own opens and locks); returns the child's pid.
inline pid_t StartChild(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        xb_CloseAll();
        _exit(body());
    }
    return pid;
}

// Waits for the child; its exit code, or -1 when it did not exit normally.
inline int WaitChild(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
