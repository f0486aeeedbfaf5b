// A writer that dies between its table write and its tags: the next open
// finds the mark it left, builds the tags again from the table and says so
// through xb_IndexError, whether the writer used the table shared or
// exclusively. Writers are forked children that die for real.
#include <fcntl.h>
#include <unistd.h>

#include <random>

#include "IndexSupport.h"
#include "support/ChildProcess.h"
#include "xbengine/NsxFile.h"

namespace {

// The table file as another program sees it: records read and written with
// plain file calls, behind the engine's back.
class RawTable {
public:
    explicit RawTable(const std::string& path) : fd_(open(path.c_str(), O_RDWR)) {
        unsigned char head[12] = {};
        if (pread(fd_, head, sizeof head, 0) == sizeof head) {
            count_ = head[4] | head[5] << 8 | head[6] << 16 | static_cast<uint32_t>(head[7]) << 24;
            headerSize_ = head[8] | head[9] << 8;
        }
    }
    ~RawTable() { close(fd_); }

    void Put(uint32_t recNo, const std::string& record) {
        ASSERT_EQ(pwrite(fd_, record.data(), record.size(), Offset(recNo)), static_cast<ssize_t>(record.size()));
    }
    // The record and the end-of-file byte, then the count that shows it.
    void Append(const std::string& record) {
        Put(count_ + 1, record + '\x1A');
        ++count_;
        unsigned char count[4] = {static_cast<unsigned char>(count_), static_cast<unsigned char>(count_ >> 8),
                                  static_cast<unsigned char>(count_ >> 16), static_cast<unsigned char>(count_ >> 24)};
        ASSERT_EQ(pwrite(fd_, count, 4, 4), 4);
    }

private:
    off_t Offset(uint32_t recNo) const { return headerSize_ + static_cast<off_t>(recNo - 1) * recordSize; }

    static constexpr int recordSize = 1 + 10 + 6;
    int fd_;
    uint32_t count_ = 0;
    uint16_t headerSize_ = 0;
};

// A live record of the test table: NAME C 10, NUM N 6.
std::string Record(const std::string& name, int num) {
    char text[32];
    std::snprintf(text, sizeof text, " %-10.10s%6d", name.c_str(), num);
    return text;
}

// Every tag lists the table's records (deleted ones count) in key order.
void ExpectEveryTagMatchesTheTable() {
    const int tags = static_cast<int>(xb_SysProp(XB_SP_TAG_COUNT, 0));
    ASSERT_EQ(tags, 3);
    for (int order = 1; order <= tags; ++order) {
        xb_SetOrder(order);
        const std::string name = Str(xb_TagName(0));
        EXPECT_EQ(Walk(), ExpectedOrder(Str(xb_IndexKey()), Str(xb_IndexCondition()))) << name;
    }
    xb_SetOrder(XB_RECORD_ORDER);
}

class IndexCrashTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        path = dir.file("crash.dbf");
        index = dir.file("crash.nsx");
        MakeTable();
    }

    // Eight records and three tags, made anew.
    void MakeTable() {
        xb_CloseAll();
        unlink(path.c_str());
        unlink(index.c_str());
        ASSERT_EQ(CreateTable(path, {{"NAME", "C", 10, 0}, {"NUM", "N", 6, 0}}), "");
        ASSERT_EQ(FillTable(path, {{"delta", "400"},
                                   {"alpha", "100"},
                                   {"hotel", "800"},
                                   {"bravo", "200"},
                                   {"foxtrot", "600"},
                                   {"charlie", "300"},
                                   {"golf", "700"},
                                   {"echo", "500"}}),
                  "");
        ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        ASSERT_EQ(xb_IndexTag("", "NAME", "upper(name)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 1);
        ASSERT_EQ(xb_IndexTag("", "NUM", "num", XB_INDEX_PLAIN, XB_ASCENDING, ""), 2);
        ASSERT_EQ(xb_IndexTag("", "BIG", "name", XB_INDEX_PLAIN, XB_ASCENDING, "num > 450"), 3);
        xb_CloseAll();
    }

    // A writer marks the index, makes change to the table behind it and dies
    // before its tags follow.
    void WriterDiesBeforeItsTagsFollow(const std::function<void(RawTable&)>& change) {
        ChildProcess writer([&](ChildProcess&) {
            auto tags = xb::NsxFile::Open(index);
            tags->beginIntent();
            RawTable table(path);
            change(table);
            _exit(0);
        });
        ASSERT_EQ(writer.Wait(), 0);
    }

    // Opens the table shared and checks what the open reported and the tags.
    void ExpectOpenReportsAndTagsMatch(int indexError) {
        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        EXPECT_EQ(xb_IndexError(), indexError);
        ExpectEveryTagMatchesTheTable();
        xb_CloseAll();
    }

    std::string path, index;
};

}  // namespace

TEST_F(IndexCrashTest, AWriterThatDiedBetweenTableAndTagsMakesTheNextOpenRebuild) {
    struct Case {
        const char* name;
        std::function<void(RawTable&)> change;
    };
    const Case cases[] = {
        {"a record appended", [](RawTable& t) { t.Append(Record("aardvark", 50)); }},
        {"a key changed", [](RawTable& t) { t.Put(3, Record("zulu", 800)); }},
        {"a record leaving a conditional tag", [](RawTable& t) { t.Put(5, Record("foxtrot", 10)); }},
        {"a record entering a conditional tag", [](RawTable& t) { t.Put(2, Record("alpha", 999)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTable();
        WriterDiesBeforeItsTagsFollow(c.change);
        ExpectOpenReportsAndTagsMatch(XB_INDEX_REBUILT);
        // The rebuild cleared the mark: the open after it finds nothing to mend.
        ExpectOpenReportsAndTagsMatch(XB_INDEX_OK);
    }
}

TEST_F(IndexCrashTest, AWriterStillAtWorkIsNotTakenForDead) {
    ChildProcess writer([&](ChildProcess& self) {
        auto tags = xb::NsxFile::Open(index);
        tags->beginIntent();
        RawTable(path).Append(Record("aardvark", 50));
        self.Send();
        self.Receive();
        _exit(0);  // and then dies before its tags follow
    });
    ASSERT_TRUE(writer.Receive());
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_IndexError(), XB_INDEX_OK);
    xb_SetOrder(1);
    EXPECT_FALSE(xb_Seek("AARDVARK"));

    writer.Send();
    ASSERT_EQ(writer.Wait(), 0);
    // The open in use finds the dead writer's mark at its next read.
    EXPECT_TRUE(xb_Seek("AARDVARK"));
    EXPECT_EQ(xb_RecNo(), 9);
    ExpectEveryTagMatchesTheTable();
    xb_CloseAll();
    ExpectOpenReportsAndTagsMatch(XB_INDEX_OK);
}

// The open in use chooses its order only after the writer died, as a
// document does when it looks a record up by its tag: the order is built
// again from the table, not given up for record order, where a seek would
// find nothing and the document would go on without the record.
TEST_F(IndexCrashTest, AnOrderChosenAfterAWriterDiedIsBuiltAgainAndSeeks) {
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    WriterDiesBeforeItsTagsFollow([](RawTable& t) { t.Put(3, Record("zulu", 800)); });

    xb_SetOrder(1);
    EXPECT_EQ(Str(xb_TagName(0)), "NAME");
    EXPECT_TRUE(xb_Seek("ZULU"));
    EXPECT_EQ(xb_RecNo(), 3);
    ExpectEveryTagMatchesTheTable();
    xb_CloseAll();
    ExpectOpenReportsAndTagsMatch(XB_INDEX_OK);
}

// The workstation that finds the mark and builds the tags again is itself
// stopped in the middle of that build: the next reader builds them again
// too, and never takes the file for one without its tags.
TEST_F(IndexCrashTest, AWorkstationStoppedWhileBuildingTheTagsAgainLeavesThemToBeBuiltAgain) {
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    WriterDiesBeforeItsTagsFollow([](RawTable& t) { t.Put(3, Record("zulu", 800)); });
    ChildProcess builder([&](ChildProcess& self) {
        xb_CloseAll();
        // Heard while the table is read, before any tag is written.
        xb_SetGaugeHook([&](int) {
            self.Send();
            for (;;)
                pause();
        });
        xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX);
        _exit(1);
    });
    ASSERT_TRUE(builder.Receive());
    builder.KillHard();
    builder.Wait();

    xb_SetOrder(1);
    EXPECT_EQ(Str(xb_TagName(0)), "NAME");
    EXPECT_TRUE(xb_Seek("ZULU"));
    EXPECT_EQ(xb_RecNo(), 3);
    ExpectEveryTagMatchesTheTable();
}

// Exclusive use keeps tag changes in memory until commit or close.
TEST_F(IndexCrashTest, AnExclusiveWriterThatDiesBeforeClosingLeavesTagsThatAreRebuilt) {
    struct Case {
        const char* name;
        bool closes;
        int indexError;
    };
    const Case cases[] = {{"dies before closing", false, XB_INDEX_REBUILT}, {"closes", true, XB_INDEX_OK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTable();
        ChildProcess writer([&](ChildProcess&) {
            if (xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX) == 0)
                _exit(1);
            for (const char* name : {"kilo", "aardvark", "lima"})
                if (!AppendValues({{"NAME", name}, {"NUM", "900"}}))
                    _exit(2);
            xb_Go(1);
            if (!xb_Replace("NAME", XB_REPLACE_TEXT, "zulu"))
                _exit(3);
            xb_Go(2);
            if (!xb_Replace("NUM", XB_REPLACE_TEXT, "999"))
                _exit(4);
            if (c.closes)
                xb_CloseAll();
            _exit(0);
        });
        ASSERT_EQ(writer.Wait(), 0);
        ExpectOpenReportsAndTagsMatch(c.indexError);
    }
}

TEST_F(IndexCrashTest, KillingASharedWriterAtRandomMomentsNeverLeavesAWrongTag) {
    std::mt19937 random(15);
    for (int kill = 1; kill <= 24; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        ChildProcess writer([&](ChildProcess& self) {
            std::mt19937 own(static_cast<unsigned>(kill));
            if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
                _exit(1);
            self.Send();
            for (;;) {
                const std::string name = "n" + std::to_string(own() % 100000);
                const std::string num = std::to_string(own() % 1000);
                if (own() % 3 == 0) {
                    AppendValues({{"NAME", name}, {"NUM", num}});
                } else {
                    xb_Go(1 + static_cast<int>(own() % static_cast<unsigned>(xb_RecCount())));
                    xb_Replace("NAME", XB_REPLACE_TEXT, name.c_str());
                    xb_Replace("NUM", XB_REPLACE_TEXT, num.c_str());
                    xb_Unlock(XB_UNLOCK_ALL);
                }
            }
        });
        ASSERT_TRUE(writer.Receive());
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        writer.KillHard();
        ASSERT_EQ(writer.Wait(), -1);

        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        EXPECT_LE(xb_IndexError(), XB_INDEX_REBUILT);
        ExpectEveryTagMatchesTheTable();
        xb_CloseAll();
    }
}
