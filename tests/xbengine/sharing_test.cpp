// Several users of one table: other processes (forked children) and other
// opens in this process, with appends, record locks and open modes.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <set>

#include "os/FileLock.h"
#include "xbengine/DbfFile.h"
#include "StorageSupport.h"

namespace {

const std::vector<FieldSpec> kStampFields = {{"WHO", "C", 1, 0}, {"SEQ", "N", 8, 0}, {"BODY", "C", 60, 0}};

// The record a writer stores for its n-th append: every byte of BODY follows
// from WHO and SEQ, so a torn or mixed record shows.
std::string Stamp(char who, int seq) {
    std::string body(60, static_cast<char>('A' + (seq + who) % 26));
    char seqText[16];
    std::snprintf(seqText, sizeof seqText, "%8d", seq);
    return std::string(" ") + who + seqText + body;
}

int AppendStamps(const std::string& path, char who, int count, int reportFd = -1) {
    if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
        return 10;
    for (int i = 1; i <= count; ++i) {
        if (xb_AppendEx() != XB_APPEND_DONE)
            return 11;
        std::string record = Stamp(who, i);
        if (!xb_PutRecord(record.c_str()))
            return 12;
        xb_Unlock(XB_UNLOCK_ALL);
        if (reportFd >= 0 && write(reportFd, &i, sizeof i) != sizeof i)
            return 13;
    }
    xb_Close();
    return 0;
}

bool ReadInt(int fd, int* value) { return read(fd, value, sizeof *value) == sizeof *value; }

}  // namespace

TEST_F(StorageTest, TwoProcessesAppendingKeepEveryRecordWhole) {
    std::string path = dir.file("shared.dbf");
    ASSERT_EQ(CreateTable(path, kStampFields), "");
    const int perWriter = 10000;
    pid_t first = StartChild([&] { return AppendStamps(path, 'a', perWriter); });
    pid_t second = StartChild([&] { return AppendStamps(path, 'b', perWriter); });
    EXPECT_EQ(WaitChild(first), 0);
    EXPECT_EQ(WaitChild(second), 0);

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_EQ(xb_RecCount(), 2 * perWriter);
    std::vector<char> record(xb_RecSize() + 1, '\0');
    int next[2] = {1, 1};  // each writer's records appear in its own order
    int torn = 0;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
        xb_GetRecord(record.data());
        char who = record[1];
        int seq = std::atoi(record.data() + 2);
        if ((who != 'a' && who != 'b') || std::string(record.data()) != Stamp(who, seq) || seq != next[who - 'a']) {
            ++torn;
            continue;
        }
        ++next[who - 'a'];
    }
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(next[0], perWriter + 1);
    EXPECT_EQ(next[1], perWriter + 1);
}

// Two processes writing and rewriting memos at once: the memo file's block
// allocation is shared, so a race would show as one record reading another's memo.
TEST_F(StorageTest, TwoProcessesWritingMemosNeverMixThem) {
    std::string path = dir.file("memos.dbf");
    ASSERT_EQ(CreateTable(path, {{"WHO", "C", 1, 0}, {"SEQ", "N", 6, 0}, {"NOTE", "M", 10, 0}}), "");
    const int perWriter = 1500;
    auto memoText = [](char who, int seq, int pass) {
        return std::string(1 + (seq * 37 + pass * 101) % 300, static_cast<char>('a' + (seq + pass) % 26)) + who;
    };
    auto writer = [&](char who) {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
            return 10;
        std::vector<int> mine;
        for (int i = 1; i <= perWriter; ++i) {
            if (xb_AppendEx() != XB_APPEND_DONE)
                return 11;
            char record[32];
            std::snprintf(record, sizeof record, " %c%6d          ", who, i);
            std::string memo = memoText(who, i, 0);
            if (!xb_PutBlob("NOTE", memo.data(), static_cast<int>(memo.size())) || !xb_PutRecord(record))
                return 12;
            mine.push_back(xb_RecNo());
            xb_Unlock(XB_UNLOCK_ALL);
        }
        for (int i = 1; i <= perWriter; ++i) {  // every memo rewritten with another length
            xb_Go(mine[i - 1]);
            if (!xb_Replace("NOTE", XB_REPLACE_MEMO, memoText(who, i, 1).c_str()))
                return 13;
        }
        xb_Close();
        return 0;
    };
    pid_t first = StartChild([&] { return writer('a'); });
    pid_t second = StartChild([&] { return writer('b'); });
    EXPECT_EQ(WaitChild(first), 0);
    EXPECT_EQ(WaitChild(second), 0);

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_EQ(xb_RecCount(), 2 * perWriter);
    int wrong = 0;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
        char who = Str(xb_GetString("WHO"))[0];
        int seq = std::atoi(xb_GetString("SEQ"));
        wrong += Memo("NOTE") != memoText(who, seq, 1);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(StorageTest, SharedOpensSeeEachOthersChangesAtOnce) {
    std::string path = dir.file("live.dbf");
    ASSERT_EQ(CreateTable(path, {{"V", "C", 5, 0}}), "");
    int reader = xb_Use(path.c_str(), "reader", XB_SHARED, XB_DRIVER_NSX);
    int writer = xb_Use(path.c_str(), "writer", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(reader, 0);
    ASSERT_GT(writer, 0);

    xb_Select(reader);
    xb_GoTop();
    EXPECT_EQ(xb_Eof(), 1);
    xb_Select(writer);
    ASSERT_TRUE(AppendValues({{"V", "one"}}));
    xb_Select(reader);
    EXPECT_EQ(xb_RecCount(), 1);
    xb_GoTop();
    EXPECT_EQ(Str(xb_GetTrimString("V")), "one");

    xb_Select(writer);
    ASSERT_TRUE(xb_Replace("V", XB_REPLACE_TEXT, "two"));
    ASSERT_TRUE(AppendValues({{"V", "three"}}));
    xb_Select(reader);
    char buf[8] = {};
    xb_GetRecord(buf);
    EXPECT_EQ(std::string(buf), " two  ");
    xb_Skip(1);  // the record appended after this area reached the end
    EXPECT_EQ(xb_Eof(), 0);
    EXPECT_EQ(Str(xb_GetTrimString("V")), "three");
}

TEST_F(StorageTest, RecordLockIsSeenByASecondOpenAndAnotherProcess) {
    std::string path = dir.file("lock.dbf");
    ASSERT_EQ(CreateTable(path, {{"V", "C", 5, 0}}), "");
    int holder = xb_Use(path.c_str(), "holder", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(holder, 0);
    ASSERT_TRUE(AppendValues({{"V", "a"}}));
    ASSERT_TRUE(AppendValues({{"V", "b"}}));
    int other = xb_Use(path.c_str(), "other", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(other, 0);
    xb_SetLockTimeout(20);

    xb_Select(holder);
    ASSERT_EQ(xb_Rlock(1), 1);
    EXPECT_EQ(xb_Locked(1), 0);  // its own lock is not another holder's

    xb_Select(other);
    EXPECT_EQ(xb_Locked(1), 1);
    EXPECT_EQ(xb_Locked(2), 0);
    EXPECT_EQ(xb_Rlock(1), 0);
    xb_Go(1);
    EXPECT_FALSE(xb_Replace("V", XB_REPLACE_TEXT, "mine"));  // a locked record is not written over
    EXPECT_FALSE(xb_Delete());
    EXPECT_EQ(xb_Rlock(2), 1);

    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    pid_t child = StartChild([&] {
        xb_SetLockTimeout(20);
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
            return 10;
        int seen = (xb_Locked(1) ? 1 : 0) | (xb_Locked(2) ? 2 : 0) | (xb_Rlock(1) ? 4 : 0);
        if (write(toParent[1], &seen, sizeof seen) != sizeof seen)
            return 11;
        int go;
        if (!ReadInt(toChild[0], &go))  // wait until the parent has released record 1
            return 12;
        seen = (xb_Locked(1) ? 1 : 0) | (xb_Rlock(1) ? 4 : 0);
        return write(toParent[1], &seen, sizeof seen) == sizeof seen ? 0 : 13;
    });
    int seen = 0;
    ASSERT_TRUE(ReadInt(toParent[0], &seen));
    EXPECT_EQ(seen, 1 | 2);  // both locks seen, record 1 refused

    xb_Select(holder);
    xb_Unlock(XB_UNLOCK_ALL);
    int go = 1;
    ASSERT_EQ(write(toChild[1], &go, sizeof go), static_cast<ssize_t>(sizeof go));
    ASSERT_TRUE(ReadInt(toParent[0], &seen));
    EXPECT_EQ(seen, 4);  // free, and now the child's
    EXPECT_EQ(WaitChild(child), 0);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        close(fd);

    // Locks go with the open that took them.
    xb_Select(other);
    xb_Close();
    xb_Select(holder);
    EXPECT_EQ(xb_Locked(2), 0);
    EXPECT_EQ(xb_Rlock(2), 1);
}

TEST_F(StorageTest, ExclusiveAndSharedOpensExcludeEachOther) {
    std::string path = dir.file("modes.dbf");
    ASSERT_EQ(CreateTable(path, {{"V", "C", 5, 0}}), "");
    struct Case {
        int first, second;
        bool secondOpens;
    };
    const Case cases[] = {
        {0, 0, true}, {0, 1, true}, {1, 1, true}, {0, 2, false},
        {1, 2, false}, {2, 0, false}, {2, 1, false}, {2, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
        ASSERT_GT(xb_Use(path.c_str(), "first", c.first, XB_DRIVER_NSX), 0);
        int area = xb_Use(path.c_str(), "second", c.second, XB_DRIVER_NSX);
        EXPECT_EQ(area > 0, c.secondOpens);
        pid_t child = StartChild([&] { return xb_Use(path.c_str(), "", c.second, XB_DRIVER_NSX) > 0 ? 1 : 0; });
        EXPECT_EQ(WaitChild(child), c.secondOpens ? 1 : 0);
        xb_CloseAll();
    }
    // Once the exclusive user is gone the table opens again.
    ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    xb_Close();
    EXPECT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
}

TEST_F(StorageTest, ReadOnlyOpenRefusesWrites) {
    std::string path = dir.file("ro.dbf");
    ASSERT_EQ(CreateTable(path, {{"V", "C", 5, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(AppendValues({{"V", "keep"}}));
    xb_Close();
    ASSERT_GT(xb_Use(path.c_str(), "", XB_READONLY, XB_DRIVER_NSX), 0);
    xb_GoTop();
    EXPECT_EQ(xb_AppendEx(), XB_APPEND_READ_ONLY);
    EXPECT_FALSE(xb_Replace("V", XB_REPLACE_TEXT, "lost"));
    EXPECT_FALSE(xb_PutRecord(" lost "));
    EXPECT_EQ(Str(xb_GetTrimString("V")), "keep");
}

TEST_F(StorageTest, AppendWaitsForTheAppendLockThenGivesUp) {
    std::string path = dir.file("busy.dbf");
    ASSERT_EQ(CreateTable(path, {{"V", "C", 5, 0}}), "");
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    // A child that has appended record 1 (and holds it) and is stuck in the
    // middle of its next append, holding the append lock: the slot of record 2.
    pid_t child = StartChild([&] {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0 || xb_AppendEx() != XB_APPEND_DONE)
            return 10;
        int fd = open(path.c_str(), O_RDWR);
        if (fd < 0 || !os::FileLock(fd).Lock(xb::RecordLockBase + 2, 1, os::LockKind::Exclusive, 0))
            return 11;
        int ready = 1;
        if (write(pipeFds[1], &ready, sizeof ready) != sizeof ready)
            return 12;
        pause();
        return 0;
    });
    int ready = 0;
    ASSERT_TRUE(ReadInt(pipeFds[0], &ready));
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    xb_SetLockTimeout(30);
    EXPECT_EQ(xb_Locked(1), 1);
    EXPECT_EQ(xb_AppendEx(), XB_APPEND_LOCK_TIMEOUT);
    EXPECT_EQ(xb_RecCount(), 1);

    kill(child, SIGKILL);
    WaitChild(child);
    EXPECT_EQ(xb_Locked(1), 0);  // a dead process holds nothing
    EXPECT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    EXPECT_EQ(xb_RecNo(), 2);
    close(pipeFds[0]);
    close(pipeFds[1]);
}

// A caller holds the append lock across several calls: its own appends go
// ahead, every other open's wait and give up, until it lets go or closes.
TEST_F(StorageTest, AHeldAppendLockLetsOnlyItsHolderAppend) {
    std::string path = dir.file("numbered.dbf");
    ASSERT_EQ(CreateTable(path, {{"V", "C", 5, 0}}), "");
    int holder = xb_Use(path.c_str(), "HOLDER", XB_SHARED, XB_DRIVER_NSX);
    int other = xb_Use(path.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(holder, 0);
    ASSERT_GT(other, 0);
    xb_SetLockTimeout(30);

    xb_Select(holder);
    ASSERT_EQ(xb_AppendLock(), 1);
    EXPECT_EQ(xb_AppendLock(), 1);  // held already
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    xb_Unlock(XB_UNLOCK_ALL);       // record locks go, the append lock stays
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    EXPECT_EQ(xb_RecNo(), 2);

    xb_Select(other);
    EXPECT_EQ(xb_AppendLock(), 0);
    EXPECT_EQ(xb_AppendEx(), XB_APPEND_LOCK_TIMEOUT);
    EXPECT_EQ(xb_RecCount(), 2);
    EXPECT_EQ(xb_AppendUnlock(), 0);  // not this area's to let go

    xb_Select(holder);
    EXPECT_EQ(xb_AppendUnlock(), 1);
    xb_Select(other);
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    EXPECT_EQ(xb_RecNo(), 3);

    // Closing the table lets it go.
    ASSERT_EQ(xb_AppendLock(), 1);
    xb_Close();
    xb_Select(holder);
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    EXPECT_EQ(xb_RecNo(), 4);
    xb_Close();
}

TEST_F(StorageTest, KilledAppenderLeavesEveryReturnedAppend) {
    std::string path = dir.file("killed.dbf");
    ASSERT_EQ(CreateTable(path, kStampFields), "");
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = StartChild([&] {
        close(pipeFds[0]);
        return AppendStamps(path, 'k', 1 << 30, pipeFds[1]);
    });
    close(pipeFds[1]);
    int last = 0, value = 0;
    while (last < 3000 && ReadInt(pipeFds[0], &value))
        last = value;
    kill(child, SIGKILL);
    EXPECT_EQ(WaitChild(child), -1);
    while (ReadInt(pipeFds[0], &value))  // appends reported before the kill
        last = value;
    close(pipeFds[0]);

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    int count = xb_RecCount();
    EXPECT_GE(count, last);
    EXPECT_LE(count, last + 1);  // at most the one in flight, written whole or blank
    std::vector<char> record(xb_RecSize() + 1, '\0');
    int bad = 0;
    for (int r = 1; r <= last; ++r) {
        xb_Go(r);
        xb_GetRecord(record.data());
        bad += std::string(record.data()) != Stamp('k', r);
    }
    EXPECT_EQ(bad, 0);
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);  // nothing left locked by the dead writer
    EXPECT_EQ(xb_RecNo(), count + 1);
}

// A shared reader keeps seeing the table as it grows well past the part it
// first read, and sees changes to records it has already read.
TEST_F(StorageTest, SharedReaderFollowsALargeGrowthAndLaterChanges) {
    std::string path = dir.file("grow.dbf");
    ASSERT_EQ(CreateTable(path, kStampFields), "");
    int reader = xb_Use(path.c_str(), "reader", XB_SHARED, XB_DRIVER_NSX);
    int writer = xb_Use(path.c_str(), "writer", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(reader, 0);
    ASSERT_GT(writer, 0);

    xb_Select(writer);
    ASSERT_TRUE(AppendValues({{"WHO", "a"}, {"SEQ", "1"}}));
    xb_Select(reader);
    xb_GoTop();
    ASSERT_EQ(xb_Eof(), 0);

    // About 2 MiB of records after the reader's first look.
    const int count = 30000;
    xb_Select(writer);
    for (int i = 2; i <= count; ++i) {
        ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
        std::string record = Stamp('b', i);
        ASSERT_TRUE(xb_PutRecord(record.c_str()));
        xb_Unlock(XB_UNLOCK_ALL);
    }
    xb_Go(1);
    ASSERT_TRUE(xb_Replace("WHO", XB_REPLACE_TEXT, "z"));

    xb_Select(reader);
    EXPECT_EQ(xb_RecCount(), count);
    for (int n : {count / 2, count - 1, count}) {
        xb_Go(n);
        char record[80] = {};
        xb_GetRecord(record);
        EXPECT_EQ(std::string(record), Stamp('b', n)) << n;
    }
    xb_GoBottom();
    EXPECT_EQ(xb_RecNo(), count);
    xb_Go(1);
    EXPECT_EQ(Str(xb_GetTrimString("WHO")), "z");
}
