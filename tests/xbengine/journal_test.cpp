// The document journal: a scope undone in the process leaves tables, tags and
// plain files as they were; a workstation killed inside a scope keeps its
// records locked while alive and is taken back, with its message, by the next
// one; a committed scope leaves no journal and no locks.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "StorageSupport.h"

#include "os/FileLock.h"
#include "support/ChildProcess.h"
#include "xbengine/DbfFile.h"
#include "xbengine/DurableScope.h"
#include "xbengine/Journal.h"

namespace {

const char* const Stopped = "Receipt 53 was not saved completely when the program stopped; it has been removed.";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> journals(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".qmj")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

class JournalTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        table = dir.file("Sales.dbf");
        ASSERT_EQ(CreateTable(table, {{"NAME", "C", 10, 0}, {"TOTAL", "N", 8, 2}}), "");
        ASSERT_EQ(FillTable(table, {{"ann", "1"}, {"bob", "2"}, {"cid", "3"}}), "");
        ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
        ASSERT_NE(xb_IndexTag("", "NAME", "NAME", XB_INDEX_PLAIN, XB_OFF, ""), 0);
        xb_SetOrder(0);
        xb::SetJournalFolder(dir.path());
    }
    void TearDown() override {
        xb::SetJournalFolder("");
        StorageTest::TearDown();
    }

    // Overwrites record n's NAME under its lock, as a document's post does.
    static bool rename(int n, const std::string& name) {
        xb_Go(n);
        if (xb_Rlock(n) == 0)
            return false;
        const bool written = xb_Replace("NAME", XB_REPLACE_TEXT, name.c_str()) != 0 && xb_Commit() != 0;
        xb_Unlock(n);
        return written;
    }
    // "ann bob *dan": every record's NAME in record order, deleted ones marked.
    static std::string records() {
        std::string out;
        xb_SetOrder(0);
        for (int n = 1; n <= xb_RecCount(); ++n) {
            xb_Go(n);
            out += std::string(out.empty() ? "" : " ") + (xb_Deleted() ? "*" : "") + xb_GetTrimString("NAME");
        }
        return out;
    }
    // The NAME tag's records in key order, which must be the order of a fresh build.
    static std::string tagOrder() {
        xb_SetOrder(xb_TagArea("NAME"));
        std::string out;
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            out += std::string(out.empty() ? "" : " ") + xb_GetTrimString("NAME");
        xb_SetOrder(0);
        return out;
    }

    // A workstation that changes the table inside a scope (exit 3: a change
    // failed) and is killed there, leaving its journal hot.
    void StopWriterInsideScope(const std::function<bool()>& changes) {
        ChildProcess writer([&](ChildProcess& self) {
            xb_CloseAll();
            xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
            xb::beginDurableScope();
            xb::SetJournalMessage(Stopped);
            if (!changes())
                _exit(3);
            self.Send();
            for (;;)
                pause();
        });
        ASSERT_TRUE(writer.Receive());
        writer.KillHard();
        writer.Wait();
    }

    std::string table;
};

TEST_F(JournalTest, AScopeUndoneLeavesRecordsTagsAndPlainFilesAsTheyWere) {
    const std::string plain = dir.file("EBill.dat");
    writeFile(plain, "earlier\r\n");

    xb::beginDurableScope();
    ASSERT_TRUE(rename(2, "zed"));
    ASSERT_TRUE(AppendValues({{"NAME", "dan"}, {"TOTAL", "4"}}));
    ASSERT_TRUE(xb::JournalBeforePlainAppend(plain, 9));
    writeFile(plain, "earlier\r\nclaim block\r\n");
    ASSERT_TRUE(rename(2, "yves"));  // a second change of one record keeps the first image
    EXPECT_EQ(journals(dir.path()).size(), 1u);
    EXPECT_TRUE(xb::rollbackDurableScope());

    EXPECT_EQ(records(), "ann bob cid *dan") << "the appended record is marked, never cut off";
    EXPECT_EQ(tagOrder(), "ann bob cid dan");
    EXPECT_EQ(readFile(plain), "earlier\r\n");
    EXPECT_TRUE(journals(dir.path()).empty());
}

TEST_F(JournalTest, ACommittedScopeLeavesNoJournalAndReleasesItsLocks) {
    xb::beginDurableScope();
    ASSERT_TRUE(rename(1, "amy"));
    ASSERT_TRUE(AppendValues({{"NAME", "dan"}}));
    // Unlocked by the post, yet held for the rest of the scope.
    pid_t during = StartChild([&] {
        xb_SetLockTimeout(0);
        xb_Use(table.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX);
        return xb_Rlock(1) == 0 && xb_Rlock(4) == 0 ? 0 : 1;
    });
    EXPECT_EQ(WaitChild(during), 0);
    ASSERT_TRUE(xb::endDurableScope());

    EXPECT_TRUE(journals(dir.path()).empty());
    pid_t after = StartChild([&] {
        xb_SetLockTimeout(0);
        xb_Use(table.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX);
        return xb_Rlock(1) != 0 && xb_Rlock(4) != 0 ? 0 : 1;
    });
    EXPECT_EQ(WaitChild(after), 0);
    EXPECT_EQ(records(), "amy bob cid dan");
}

TEST_F(JournalTest, AWorkstationKilledInsideAScopeIsTakenBackByTheNext) {
    xb_CloseAll();
    ChildProcess writer([&](ChildProcess& self) {
        xb_CloseAll();
        xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
        xb::beginDurableScope();
        xb::SetJournalMessage(Stopped);
        if (!rename(1, "amy") || !AppendValues({{"NAME", "dan"}}) || !rename(3, "cyd"))
            _exit(3);
        self.Send();
        for (;;)
            pause();
    });
    ASSERT_TRUE(writer.Receive());

    // While the writer lives its journal is its own and its records stay locked.
    EXPECT_TRUE(xb::RecoverJournals(dir.path()).empty());
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_NE(xb_Locked(1), 0);
    EXPECT_NE(xb_Locked(4), 0);
    EXPECT_EQ(records(), "amy bob cyd dan");
    xb_CloseAll();

    writer.KillHard();
    writer.Wait();
    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    EXPECT_TRUE(xb::RecoverJournals(dir.path()).empty()) << "said once";
    EXPECT_TRUE(journals(dir.path()).empty());

    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid *dan");
    EXPECT_EQ(tagOrder(), "ann bob cid dan");
}

// A journal entry as the engine writes it: kind, path, record number,
// length and bytes, closed by the FNV-1a checksum of all of them.
std::string journalEntry(uint32_t kind, const std::string& path, uint32_t recNo, const std::string& bytes) {
    std::string out;
    auto put = [&out](const void* p, size_t n) { out.append(static_cast<const char*>(p), n); };
    const uint32_t pathSize = static_cast<uint32_t>(path.size()), bytesSize = static_cast<uint32_t>(bytes.size());
    const uint64_t length = 0;
    put(&kind, 4);
    put(&pathSize, 4);
    out += path;
    put(&recNo, 4);
    put(&length, 8);
    put(&bytesSize, 4);
    out += bytes;
    uint32_t h = 2166136261u;
    for (unsigned char c : out)
        h = (h ^ c) * 16777619u;
    put(&h, 4);
    return out;
}

TEST_F(JournalTest, AHotJournalThatKeptAppendedRecordsWholeIsStillTakenBack) {
    // Left by a program whose journal held each appended record whole.
    ASSERT_TRUE(AppendValues({{"NAME", "dan"}}));
    xb_CloseAll();
    const std::string dbf = readFile(table);
    const size_t headerSize = static_cast<unsigned char>(dbf[8]) | static_cast<unsigned char>(dbf[9]) << 8;
    const size_t recordSize = static_cast<unsigned char>(dbf[10]) | static_cast<unsigned char>(dbf[11]) << 8;
    const std::string dan = dbf.substr(headerSize + 3 * recordSize, recordSize);
    ASSERT_EQ(dan.substr(1, 3), "dan");
    writeFile(dir.file("Journal-old.qmj"),
              std::string("QMJOUR1\n") + journalEntry(1, "", 0, Stopped) + journalEntry(3, table, 4, dan));

    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid *dan");
}

TEST_F(JournalTest, AnEntryCutShortByTheStopIsPassedOverAsItsChangeWasNeverMade) {
    xb_CloseAll();
    StopWriterInsideScope([] { return rename(1, "amy") && rename(2, "bea"); });

    // As if the stop came while record 2's entry was being written: the
    // entry is cut short and its change not made.
    const std::vector<std::string> names = journals(dir.path());
    ASSERT_EQ(names.size(), 1u);
    const std::string path = dir.file(names[0]);
    const std::string bytes = readFile(path);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(bytes.size() - 5)), 0);
    // The table as such a stop leaves it, arranged without looking at journals.
    xb::SetJournalFolder("");
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(rename(2, "bob"));
    xb_CloseAll();
    xb::SetJournalFolder(dir.path());

    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

TEST_F(JournalTest, ALockTakenBeforeAnyScopeTakesBackAStoppedWriterBeforeTheRecordIsRead) {
    xb_CloseAll();
    StopWriterInsideScope([] { return rename(1, "amy"); });

    // A document locks what it depends on, then reads it again, before its scope.
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_NE(xb_Rlock(1), 0);
    xb_Go(1);
    EXPECT_STREQ(xb_GetTrimString("NAME"), "ann");
    xb_Unlock(1);
    EXPECT_EQ(xb::TakeRecoveryMessages(), std::vector<std::string>{Stopped});
    EXPECT_TRUE(journals(dir.path()).empty());
}

TEST_F(JournalTest, AJournalMadeWithinTheFolderTimesStepIsStillSeenByTheNextLock) {
    xb_CloseAll();
    ChildProcess writer([&](ChildProcess& self) {
        xb_CloseAll();
        xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
        if (!self.Receive())
            _exit(4);
        xb::beginDurableScope();
        xb::SetJournalMessage(Stopped);
        if (!rename(1, "amy"))
            _exit(3);
        self.Send();
        for (;;)
            pause();
    });
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    xb::beginDurableScope();
    struct stat folder {};
    ASSERT_EQ(stat(dir.path().c_str(), &folder), 0);
    ASSERT_NE(xb_Rlock(3), 0);  // looks at the folder
    xb_Unlock(3);
    writer.Send();
    ASSERT_TRUE(writer.Receive());
    writer.KillHard();
    writer.Wait();
    // The writer's journal came within the same step of the folder's clock.
    const struct timespec times[2] = {folder.st_atim, folder.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.path().c_str(), times, 0), 0);

    ASSERT_NE(xb_Rlock(1), 0);
    xb_Go(1);
    EXPECT_STREQ(xb_GetTrimString("NAME"), "ann");
    EXPECT_TRUE(xb::rollbackDurableScope());
    EXPECT_EQ(xb::TakeRecoveryMessages(), std::vector<std::string>{Stopped});
}

TEST_F(JournalTest, ARecordOfADocumentBeingTakenBackElsewhereIsReadOnlyOnceItIsTakenBack) {
    xb_CloseAll();
    StopWriterInsideScope([] { return rename(1, "amy") && rename(3, "cyd"); });
    const std::vector<std::string> names = journals(dir.path());
    ASSERT_EQ(names.size(), 1u);

    // Record 1 held here, without a look at journals, keeps a recovery at
    // another workstation under way: it waits for that lock.
    xb::SetJournalFolder("");
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_NE(xb_Rlock(1), 0);
    ChildProcess recovery([&](ChildProcess&) {
        xb_CloseAll();
        xb_SetLockTimeout(30000);
        _exit(xb::RecoverJournals(dir.path()) == std::vector<std::string>{Stopped} ? 0 : 1);
    });
    const int journal = open(dir.file(names[0]).c_str(), O_RDONLY);
    for (int waits = 0; waits < 10000 && !os::FileLock(journal).LockedByOther(0, 0, os::LockKind::Shared); ++waits)
        usleep(1000);
    close(journal);

    // Another workstation locks record 3 of the document meanwhile.
    ChildProcess reader([&](ChildProcess&) {
        xb_CloseAll();
        xb::SetJournalFolder(dir.path());
        xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
        if (xb_Rlock(3) == 0)
            _exit(1);
        xb_Go(3);
        _exit(std::string(xb_GetTrimString("NAME")) == "cid" ? 0 : 4);
    });
    usleep(200000);  // time enough to read the record too early
    xb_Unlock(1);
    EXPECT_EQ(reader.Wait(), 0) << "the record is read as it was before the stopped document";
    EXPECT_EQ(recovery.Wait(), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

// Lets go of this process's lock of the record, on every descriptor of the
// table, as the system does when it closes a killed process's files.
void letGoOfRecord(const std::string& table, uint32_t recNo) {
    char real[PATH_MAX];
    if (!realpath(table.c_str(), real))
        return;
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (dirent* e = readdir(fds)) {
            char target[PATH_MAX] = {};
            const std::string link = std::string("/proc/self/fd/") + e->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 && std::string(target) == real)
                os::FileLock(std::atoi(e->d_name)).Unlock(xb::RecordLockBase + recNo, 1);
        }
        closedir(fds);
    }
}

// The system lets go of a killed workstation's locks one file after the
// other, so another may have the record before the journal is free.
TEST_F(JournalTest, ARecordLetGoBeforeItsWritersJournalIsReadOnlyOnceItIsTakenBack) {
    xb_CloseAll();
    ChildProcess writer([&](ChildProcess& self) {
        xb_CloseAll();
        xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
        xb::beginDurableScope();
        xb::SetJournalMessage(Stopped);
        if (!rename(1, "amy"))
            _exit(3);
        letGoOfRecord(table, 1);
        self.Send();
        for (;;)
            pause();
    });
    ASSERT_TRUE(writer.Receive());
    ChildProcess reader([&](ChildProcess&) {
        xb_CloseAll();
        xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
        if (xb_Rlock(1) == 0)
            _exit(1);
        xb_Go(1);
        _exit(std::string(xb_GetTrimString("NAME")) == "ann" ? 0 : 4);
    });
    usleep(200000);  // time enough to read the record too early
    writer.KillHard();
    writer.Wait();
    EXPECT_EQ(reader.Wait(), 0) << "the record is read as it was before the stopped document";
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

}  // namespace

// A workstation's scratch table (its own, made anew for each document) beside
// the company's: what a scope writes to it is undone in the process, but it
// is neither in the journal file nor flushed at the scope's end, so a
// recovery at another workstation, where the scratch folder does not even
// exist, still takes the document back.
class ScratchJournalTest : public JournalTest {
protected:
    void SetUp() override {
        JournalTest::SetUp();
        scratchFolder = workstation.file("temp");
        ASSERT_EQ(mkdir(scratchFolder.c_str(), 0777), 0);
        scratch = scratchFolder + "/TEMP2.DBF";
        ASSERT_EQ(CreateTable(scratch, {{"NAME", "C", 10, 0}}), "");
        ASSERT_EQ(FillTable(scratch, {{"line1"}, {"line2"}}), "");
        xb::SetScratchFolder(scratchFolder);
    }
    void TearDown() override {
        xb::SetScratchFolder("");
        JournalTest::TearDown();
    }

    // Changes company record 1 and scratch record 2 in the open scope.
    bool changeBoth() {
        const int company = xb_WorkArea("SALES");
        const int temp = xb_Use(scratch.c_str(), "TEMP2", XB_EXCLUSIVE, XB_DRIVER_NSX);
        if (temp == 0)
            return false;
        xb_Go(2);
        const bool scratchWritten = xb_Replace("NAME", XB_REPLACE_TEXT, "edited") != 0 && xb_Commit() != 0;
        xb_Select(company);
        return scratchWritten && rename(1, "amy");
    }
    // The scratch table's names in record order. REQUIRES: no table open.
    std::string scratchNames() {
        if (xb_Use(scratch.c_str(), "TEMP2", XB_SHARED, XB_DRIVER_NSX) == 0)
            return "(not opened)";
        std::string out;
        for (int n = 1; n <= xb_RecCount(); ++n) {
            xb_Go(n);
            out += std::string(out.empty() ? "" : " ") + xb_GetTrimString("NAME");
        }
        xb_Close();
        return out;
    }

    TempDir workstation;  // beside the company's folder, not in it
    std::string scratchFolder;
    std::string scratch;
};

TEST_F(ScratchJournalTest, AScopeUndoneInTheProcessPutsBackItsScratchTablesFromMemory) {
    xb::beginDurableScope();
    ASSERT_TRUE(changeBoth());
    const std::vector<std::string> names = journals(dir.path());
    ASSERT_EQ(names.size(), 1u);
    const std::string journal = readFile(dir.file(names[0]));
    EXPECT_NE(journal.find("Sales.dbf"), std::string::npos);
    EXPECT_EQ(journal.find("TEMP2"), std::string::npos) << "the scratch table stays out of the journal file";
    EXPECT_TRUE(xb::rollbackDurableScope());

    xb_CloseAll();
    EXPECT_EQ(scratchNames(), "line1 line2");
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

TEST_F(ScratchJournalTest, ACommittedScopeFlushesTheCompanyTableAndNotTheScratchOne) {
    const uint64_t before = xb::durableScopeFlushes();
    xb::beginDurableScope();
    ASSERT_TRUE(changeBoth());
    ASSERT_TRUE(xb::endDurableScope());
    EXPECT_EQ(xb::durableScopeFlushes() - before, 2u) << "Sales.dbf and its tags alone";
    EXPECT_TRUE(journals(dir.path()).empty());
    xb_CloseAll();
    EXPECT_EQ(scratchNames(), "line1 edited");
}

TEST_F(ScratchJournalTest, AStoppedWritersDocumentIsTakenBackWhereItsScratchFolderIsUnknown) {
    xb_CloseAll();
    StopWriterInsideScope([this] { return changeBoth(); });
    // The next workstation is another machine: no such scratch folder there.
    const std::string moved = workstation.file("elsewhere");
    ASSERT_EQ(std::rename(scratchFolder.c_str(), moved.c_str()), 0);
    xb::SetScratchFolder("");

    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    EXPECT_TRUE(journals(dir.path()).empty());
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

TEST_F(ScratchJournalTest, ACompanyFolderInsideTheScratchFolderIsJournaledAsEver) {
    xb_CloseAll();
    xb::SetScratchFolder(dir.path());  // the company's folder lies in it
    StopWriterInsideScope([] { return rename(1, "amy"); });
    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

TEST_F(ScratchJournalTest, APlainFileBesideTheScratchTablesIsJournaledAndFlushedAsEver) {
    // The label queue lies there and outlives documents.
    const std::string queue = scratchFolder + "/SkuLabel.dat";
    writeFile(queue, "earlier\r\n");
    xb_CloseAll();
    StopWriterInsideScope([&] {
        if (!changeBoth() || !xb::JournalBeforePlainAppend(queue, 9))
            return false;
        writeFile(queue, "earlier\r\nlabel\r\n");
        return true;
    });
    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    EXPECT_EQ(readFile(queue), "earlier\r\n");
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}
