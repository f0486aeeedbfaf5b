// Two copies of the program on one installation root: the second ends at
// once, with status 0, while the first runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "app/Settings.h"
#include "os/InstanceGuard.h"
#include "support/ScopedRoot.h"

extern char** environ;

namespace {

pid_t Start(const char* Program) {
    char* argv[] = {const_cast<char*>(Program), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, Program, nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

// The exit status, or -1 when the process is still running after the wait.
int WaitForExit(pid_t Pid, std::chrono::milliseconds Limit) {
    const auto end = std::chrono::steady_clock::now() + Limit;
    do {
        int status = 0;
        if (waitpid(Pid, &status, WNOHANG) == Pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

// True once another process holds the program's guard.
bool GuardTaken(std::chrono::milliseconds Limit) {
    const auto end = std::chrono::steady_clock::now() + Limit;
    do {
        os::InstanceGuard probe("SEM_zaRuzAvavGuard");
        if (!probe.Acquire())
            return true;
        probe.Release();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

TEST(StartupTest, ASecondCopyEndsAtOnceWithStatusZeroWhileTheFirstRuns) {
    ScopedRoot root;
    // A last company that is gone: the first copy opens its window without a question.
    Vo97Ini::File().Write(Vo97Ini::DataDirectory, root.path() + "/Data/Gone");

    pid_t first = Start(QM_PROGRAM);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(GuardTaken(std::chrono::seconds(30)));

    pid_t second = Start(QM_PROGRAM);
    ASSERT_GT(second, 0);
    EXPECT_EQ(WaitForExit(second, std::chrono::seconds(30)), 0);
    EXPECT_EQ(WaitForExit(first, std::chrono::milliseconds(0)), -1) << "the first copy still runs";

    kill(first, SIGTERM);
    WaitForExit(first, std::chrono::seconds(30));
}

}  // namespace
