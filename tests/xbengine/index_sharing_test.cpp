// Index tags shared between processes (forked children): appends and key
// changes of one user show at another's next seek or skip, and two users
// appending at once leave every tag whole.
#include <unistd.h>

#include <chrono>
#include <thread>

#include "IndexSupport.h"

namespace {

std::string KeyOf(char who, int seq) {
    char text[16];
    std::snprintf(text, sizeof text, "%c%08d", who, seq);
    return text;
}

int AppendKeys(const std::string& path, char who, int count) {
    if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
        return 10;
    for (int i = 1; i <= count; ++i) {
        if (xb_AppendEx() != XB_APPEND_DONE)
            return 11;
        std::string key = KeyOf(who, i);
        double seq = who == 'a' ? i : -i;
        if (!xb_Replace("KEY", XB_REPLACE_TEXT, key.c_str()) || !xb_Replace("SEQ", XB_REPLACE_DOUBLE, &seq))
            return 12;
        xb_Unlock(XB_UNLOCK_ALL);
    }
    xb_Close();
    return 0;
}

// Seeks the key of every record as soon as it is in the table: each must be
// found (allowing the writer the moment between its record and its keys),
// on its own record. Ends when `total` records were checked.
int SeekWhileOthersAppend(const std::string& path, int total) {
    if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
        return 20;
    const int keyOrder = xb_TagArea("KEY");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int checked = 0;
    while (checked < total) {
        if (std::chrono::steady_clock::now() > deadline)
            return 21;
        int next = checked + 1;
        xb_SetOrder(XB_RECORD_ORDER);
        if (next > xb_RecCount()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        xb_Go(next);
        std::string key = Str(xb_GetTrimString("KEY"));
        if (key.empty())
            continue;  // appended, its key not written yet
        xb_SetOrder(keyOrder);
        bool found = false;
        for (int tries = 0; tries < 1000 && !found; ++tries) {
            found = xb_Seek(key.c_str()) && xb_RecNo() == next;
            if (!found)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!found)
            return 22;
        checked = next;
    }
    xb_Close();
    return 0;
}

class IndexSharingTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        xb_SetExact(XB_OFF);
        xb_SetSoftSeek(XB_OFF);
        path = dir.file("keys.dbf");
        ASSERT_EQ(CreateTable(path, {{"KEY", "C", 12, 0}, {"SEQ", "N", 8, 0}}), "");
        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        ASSERT_EQ(xb_IndexTag("", "KEY", "key", XB_INDEX_PLAIN, XB_ASCENDING, ""), 1);
        ASSERT_EQ(xb_IndexTag("", "SEQ", "seq", XB_INDEX_PLAIN, XB_ASCENDING, ""), 2);
    }
    std::string path;
};

}  // namespace

TEST_F(IndexSharingTest, TwoAppendersAndASeekerLeaveEveryTagWhole) {
    xb_CloseAll();
    const int perWriter = 300;
    pid_t first = StartChild([&] { return AppendKeys(path, 'a', perWriter); });
    pid_t second = StartChild([&] { return AppendKeys(path, 'b', perWriter); });
    pid_t seeker = StartChild([&] { return SeekWhileOthersAppend(path, 2 * perWriter); });
    EXPECT_EQ(WaitChild(first), 0);
    EXPECT_EQ(WaitChild(second), 0);
    EXPECT_EQ(WaitChild(seeker), 0);

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_EQ(xb_RecCount(), 2 * perWriter);
    for (const char* tag : {"KEY", "SEQ"}) {
        xb_SetOrder(xb_TagArea(tag));
        Recs expected = ExpectedOrder(xb_IndexKey());
        EXPECT_EQ(Walk(), expected) << tag;
        EXPECT_EQ(WalkBack(), expected) << tag;
    }
}

TEST_F(IndexSharingTest, AnotherUsersChangesShowAtTheNextSeekAndSkip) {
    for (const char* key : {"k1", "k2", "k3"})
        ASSERT_TRUE(AppendValues({{"KEY", key}, {"SEQ", "1"}}));
    xb_SetOrder(1);
    ASSERT_TRUE(xb_Seek("k2"));
    ASSERT_EQ(xb_RecNo(), 2);

    pid_t child = StartChild([&] {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
            return 1;
        xb_Go(2);
        if (!xb_Replace("KEY", XB_REPLACE_TEXT, "k9"))
            return 2;
        xb_Unlock(XB_UNLOCK_ALL);
        return AppendValues({{"KEY", "k0"}, {"SEQ", "2"}}) ? 0 : 3;
    });
    ASSERT_EQ(WaitChild(child), 0);

    // From where record 2 stood, the walk meets it again at its new key,
    // and the new record at the top.
    xb_Skip(1);
    EXPECT_EQ(xb_RecNo(), 3);
    xb_Skip(1);
    EXPECT_EQ(xb_RecNo(), 2);
    EXPECT_EQ(Str(xb_GetTrimString("KEY")), "k9");
    xb_Skip(1);
    EXPECT_TRUE(xb_Eof());
    xb_GoTop();
    EXPECT_EQ(xb_RecNo(), 4);
    EXPECT_FALSE(xb_Seek("k2"));
    EXPECT_TRUE(xb_Seek("k9"));
    EXPECT_EQ(xb_RecNo(), 2);
    EXPECT_TRUE(xb_Seek("k0"));
    EXPECT_EQ(xb_RecNo(), 4);
    EXPECT_EQ(Walk(), (Recs{4, 1, 3, 2}));
    xb_SetOrder(2);
    EXPECT_EQ(xb_Count(), 4);
}

TEST_F(IndexSharingTest, ATagAnotherUserBuiltIsKeptByThisUsersWrites) {
    ASSERT_TRUE(AppendValues({{"KEY", "k1"}, {"SEQ", "5"}}));
    pid_t child = StartChild([&] {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
            return 1;
        return xb_IndexTag("", "BYSEQ", "seq", XB_INDEX_PLAIN, XB_DESCENDING, "") == 3 ? 0 : 2;
    });
    ASSERT_EQ(WaitChild(child), 0);
    ASSERT_TRUE(AppendValues({{"KEY", "k2"}, {"SEQ", "9"}}));
    xb_Go(1);
    ASSERT_TRUE(xb_Replace("SEQ", XB_REPLACE_TEXT, "1"));

    xb_CloseAll();
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    xb_SetOrder(xb_TagArea("BYSEQ"));
    ASSERT_EQ(xb_IndexOrd(), 3);
    EXPECT_EQ(Walk(), (Recs{2, 1}));
    EXPECT_TRUE(xb_Seek("1"));
    EXPECT_EQ(xb_RecNo(), 1);
}

TEST_F(IndexSharingTest, AnAppendFromInSharedUseKeepsTheTagsInGroups) {
    const std::string source = dir.file("source.dbf");
    int area = xb_WorkArea(nullptr);
    ASSERT_EQ(CreateTable(source, {{"KEY", "C", 12, 0}, {"SEQ", "N", 8, 0}}), "");
    ASSERT_GT(xb_Use(source.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    for (int i = 700; i > 0; --i)
        ASSERT_TRUE(AppendValues({{"KEY", KeyOf('s', i)}, {"SEQ", std::to_string(i % 37)}}));
    xb_Close();
    xb_Select(area);
    ASSERT_TRUE(xb_AppendFrom(source.c_str(), XB_DRIVER_NSX, ""));

    // Another user sees every group once the append is done.
    pid_t child = StartChild([&] {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
            return 1;
        xb_SetOrder(1);
        return xb_Count() == 700 && xb_Seek(KeyOf('s', 1).c_str()) && xb_RecNo() == 700 ? 0 : 2;
    });
    EXPECT_EQ(WaitChild(child), 0);
    for (const char* tag : {"KEY", "SEQ"}) {
        xb_SetOrder(xb_TagArea(tag));
        Recs expected = ExpectedOrder(xb_IndexKey());
        EXPECT_EQ(Walk(), expected) << tag;
    }
}
