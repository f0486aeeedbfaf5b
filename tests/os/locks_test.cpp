#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/ChildProcess.h"
#include "os/FileLock.h"
#include "os/InstanceGuard.h"
#include "support/TempDir.h"

using os::FileLock;
using os::LockKind;

namespace {

// Record-lock style regions far beyond any real file size.
constexpr uint64_t kRegion = 1000000000ull;

class OpenFile {
public:
    explicit OpenFile(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_CREAT, 0644)) {}
    ~OpenFile() { close(fd_); }
    FileLock lock() const { return FileLock(fd_); }

private:
    int fd_;
};

}  // namespace

TEST(FileLock, TwoOpensInOneProcessSeeEachOther) {
    TempDir dir;
    OpenFile first(dir.file("t.dbf")), second(dir.file("t.dbf"));
    struct Case {
        LockKind held;
        LockKind wanted;
        bool granted;
    } cases[] = {
        {LockKind::Exclusive, LockKind::Exclusive, false},
        {LockKind::Exclusive, LockKind::Shared, false},
        {LockKind::Shared, LockKind::Exclusive, false},
        {LockKind::Shared, LockKind::Shared, true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(first.lock().Lock(kRegion + 5, 1, c.held, 0));
        EXPECT_EQ(second.lock().LockedByOther(kRegion + 5, 1, c.wanted), !c.granted);
        EXPECT_EQ(second.lock().Lock(kRegion + 5, 1, c.wanted, 0), c.granted);
        // Neighbouring bytes are free; one's own locks never block oneself.
        EXPECT_TRUE(second.lock().Lock(kRegion + 6, 1, LockKind::Exclusive, 0));
        EXPECT_TRUE(first.lock().Lock(kRegion + 5, 1, c.held, 0));
        first.lock().Unlock(kRegion, 100);
        second.lock().Unlock(kRegion, 100);
    }
    ASSERT_TRUE(first.lock().Lock(kRegion, 10, LockKind::Exclusive, 0));
    first.lock().Unlock(kRegion, 10);
    EXPECT_FALSE(second.lock().LockedByOther(kRegion, 10, LockKind::Exclusive));
    EXPECT_TRUE(second.lock().Lock(kRegion, 10, LockKind::Exclusive, 0));
}

TEST(FileLock, HoldsBetweenProcessesUntilReleasedOrDead) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    ChildProcess child([&](ChildProcess& self) {
        OpenFile file(path);
        if (!file.lock().Lock(kRegion, 1, LockKind::Exclusive, 0))
            _exit(1);
        self.Send();     // locked
        self.Receive();  // told to release
        file.lock().Unlock(kRegion, 1);
        self.Send();
        self.Receive();  // told to lock again and wait to be killed
        file.lock().Lock(kRegion, 1, LockKind::Exclusive, -1);
        self.Send();
        pause();
    });
    ASSERT_TRUE(child.Started());
    OpenFile mine(path);
    ASSERT_TRUE(child.Receive());
    EXPECT_TRUE(mine.lock().LockedByOther(kRegion, 1, LockKind::Shared));
    EXPECT_FALSE(mine.lock().Lock(kRegion, 1, LockKind::Shared, 0));
    EXPECT_FALSE(mine.lock().Lock(kRegion, 1, LockKind::Exclusive, 30));  // waits, then gives up

    child.Send();
    ASSERT_TRUE(child.Receive());
    EXPECT_TRUE(mine.lock().Lock(kRegion, 1, LockKind::Exclusive, 0));
    mine.lock().Unlock(kRegion, 1);

    child.Send();
    ASSERT_TRUE(child.Receive());
    EXPECT_FALSE(mine.lock().Lock(kRegion, 1, LockKind::Exclusive, 0));
    child.KillHard();
    child.Wait();
    EXPECT_TRUE(mine.lock().Lock(kRegion, 1, LockKind::Exclusive, 0));
}

TEST(FileLock, AWaitEndsWhenTheHolderReleases) {
    TempDir dir;
    const std::string path = dir.file("t.dbf");
    for (int timeoutMs : {5000, -1}) {
        ChildProcess child([&](ChildProcess& self) {
            OpenFile file(path);
            file.lock().Lock(kRegion, 1, LockKind::Exclusive, 0);
            self.Send();
            self.Receive();
            // Release a little later, so the parent is most likely already waiting.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            file.lock().Unlock(kRegion, 1);
            pause();
        });
        ASSERT_TRUE(child.Started());
        OpenFile mine(path);
        ASSERT_TRUE(child.Receive());
        child.Send();
        EXPECT_TRUE(mine.lock().Lock(kRegion, 1, LockKind::Exclusive, timeoutMs)) << timeoutMs;
    }
}

TEST(InstanceGuard, OneHolderAtATimeWithinAProcess) {
    os::InstanceGuard first("SEM_zaRuzAvavGuard"), second("SEM_zaRuzAvavGuard"), other("OtherGuard");
    EXPECT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(other.Acquire());
    first.Release();
    EXPECT_FALSE(first.Held());
    EXPECT_TRUE(second.Acquire());
}

TEST(InstanceGuard, VanishesWhenItsHolderIsKilled) {
    const char* name = "SEM_zaRuzAvavGuard";
    ChildProcess child([&](ChildProcess& self) {
        os::InstanceGuard guard(name);
        if (!guard.Acquire())
            _exit(1);
        self.Send();
        pause();
    });
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.Receive());
    os::InstanceGuard mine(name);
    EXPECT_FALSE(mine.Acquire());
    child.KillHard();
    EXPECT_EQ(child.Wait(), -1);
    EXPECT_TRUE(mine.Acquire());
}

TEST(InstanceGuard, ARefusedProcessSeesTheHolder) {
    const char* name = "SEM_zaRuzAvavGuard";
    os::InstanceGuard mine(name);
    ASSERT_TRUE(mine.Acquire());
    ChildProcess child([&](ChildProcess&) {
        os::InstanceGuard guard(name);
        _exit(guard.Acquire() ? 1 : 0);
    });
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Wait(), 0);
}
