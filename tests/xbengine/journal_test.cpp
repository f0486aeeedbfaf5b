// The document journal: a scope undone in the process leaves tables, tags and
// plain files as they were; a workstation killed inside a scope keeps its
// records locked while alive and is taken back, with its message, by the next
// one; a committed scope leaves no journal and no locks.
#include <dirent.h>
#include <signal.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "StorageSupport.h"

#include "support/ChildProcess.h"
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

TEST_F(JournalTest, AnEntryCutShortByTheStopIsPassedOverAsItsChangeWasNeverMade) {
    xb_CloseAll();
    ChildProcess writer([&](ChildProcess& self) {
        xb_CloseAll();
        xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX);
        xb::beginDurableScope();
        xb::SetJournalMessage(Stopped);
        if (!rename(1, "amy") || !rename(2, "bea"))
            _exit(3);
        self.Send();
        for (;;)
            pause();
    });
    ASSERT_TRUE(writer.Receive());
    writer.KillHard();
    writer.Wait();

    // As if the stop came while record 2's entry was being written: the
    // entry is cut short and its change not made.
    const std::vector<std::string> names = journals(dir.path());
    ASSERT_EQ(names.size(), 1u);
    const std::string path = dir.file(names[0]);
    const std::string bytes = readFile(path);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(bytes.size() - 5)), 0);
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(rename(2, "bob"));
    xb_CloseAll();

    EXPECT_EQ(xb::RecoverJournals(dir.path()), std::vector<std::string>{Stopped});
    ASSERT_NE(xb_Use(table.c_str(), "SALES", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(records(), "ann bob cid");
}

}  // namespace
