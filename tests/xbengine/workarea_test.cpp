// The work area's plug points for index orders, visibility tests and write
// listeners, driven as an index tag and a filter would drive them.

#include "xbengine/Engine.h"
#include "StorageSupport.h"

namespace {

// Visits the records from the highest record number down.
class Descending : public xb::RecordOrder {
public:
    explicit Descending(xb::WorkArea& area) : area_(area) {}
    uint32_t First() override { return area_.RecCount(); }
    uint32_t Last() override { return area_.RecCount() > 0 ? 1 : 0; }
    uint32_t Next(const xb::RecordView& current) override { return current.recNo - 1; }
    uint32_t Prior(const xb::RecordView& current) override {
        return current.recNo < area_.RecCount() ? current.recNo + 1 : 0;
    }

private:
    xb::WorkArea& area_;
};

int ValueOf(const xb::RecordView& record) { return std::atoi(std::string(record.buffer + 1, 3).c_str()); }

}  // namespace

TEST_F(StorageTest, OrderAndVisibilityPlugIntoMovement) {
    std::string path = dir.file("plug.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 3, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(AppendValues({{"N", std::to_string(i)}}));
    xb::WorkArea* area = xb::Engine::Instance().Current();
    area->SetOrder(std::make_unique<Descending>(*area));
    area->SetVisibility([](const xb::RecordView& r) { return ValueOf(r) % 2 == 0; });

    std::vector<int> seen;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
        seen.push_back(xb_RecNo());
    EXPECT_EQ(seen, (std::vector<int>{6, 4, 2}));
    EXPECT_EQ(xb_Count(), 3);
    xb_GoBottom();
    EXPECT_EQ(xb_RecNo(), 2);
    EXPECT_EQ(xb_OrderRecNo(), 3);
    xb_Skip(-1);
    EXPECT_EQ(xb_RecNo(), 4);
    xb_Go(5);  // stands on a hidden record when asked to
    EXPECT_EQ(xb_RecNo(), 5);
    xb_Skip(1);
    EXPECT_EQ(xb_RecNo(), 4);

    area->SetOrder(nullptr);
    area->SetVisibility(nullptr);
    xb_GoTop();
    EXPECT_EQ(xb_RecNo(), 1);
    EXPECT_EQ(xb_Count(), 6);
}

TEST_F(StorageTest, WriteListenerSeesEveryRecordChange) {
    std::string path = dir.file("listen.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 3, 0}, {"C", "C", 2, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    xb::WorkArea* area = xb::Engine::Instance().Current();
    std::vector<std::string> heard;
    area->onRecordWritten = [&](uint32_t recNo, const char* before, const char* after) {
        heard.push_back(std::to_string(recNo) + ":" + (before ? std::string(before, 6) : "new") + ">" +
                        std::string(after, 6));
    };
    bool zapped = false;
    area->onZapped = [&] { zapped = true; };

    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    ASSERT_TRUE(xb_PutRecord("   7ab"));
    ASSERT_TRUE(xb_Replace("C", XB_REPLACE_TEXT, "xy"));
    ASSERT_TRUE(xb_Delete());
    EXPECT_EQ(heard, (std::vector<std::string>{"1:new>      ", "1:      >   7ab", "1:   7ab>   7xy",
                                               "1:   7xy>*  7xy"}));
    xb_Close();
    ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    xb::Engine::Instance().Current()->onZapped = [&] { zapped = true; };
    ASSERT_TRUE(xb_Zap());
    EXPECT_TRUE(zapped);
}

// A record appended with its values is heard once, as new, with those values:
// its keys reach the tags once. A new record points at no memo, unless one
// was staged for it.
TEST_F(StorageTest, AFilledAppendIsOneNewRecordWithItsValues) {
    std::string path = dir.file("filled.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 3, 0}, {"C", "C", 2, 0}, {"NOTE", "M", 10, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    xb::WorkArea* area = xb::Engine::Instance().Current();
    std::vector<std::string> heard;
    area->onRecordWritten = [&](uint32_t recNo, const char* before, const char* after) {
        heard.push_back(std::to_string(recNo) + ":" + (before ? std::string(before, 6) : "new") + ">" +
                        std::string(after, 6));
    };

    ASSERT_EQ(xb_AppendRecord("*  7ab      1234"), XB_APPEND_DONE);
    EXPECT_EQ(heard, (std::vector<std::string>{"1:new>   7ab"}));
    EXPECT_EQ(xb_RecNo(), 1);
    EXPECT_FALSE(xb_Deleted());
    EXPECT_EQ(Memo("NOTE"), "");

    ASSERT_TRUE(xb_PutBlob("NOTE", "seen", 4));
    ASSERT_EQ(xb_AppendRecord("   8cd          "), XB_APPEND_DONE);
    EXPECT_EQ(xb_RecNo(), 2);
    EXPECT_EQ(Memo("NOTE"), "seen");
    xb_Unlock(XB_UNLOCK_ALL);
    xb_Close();

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    std::vector<std::string> stored;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
        stored.push_back(Str(xb_GetTrimString("N")) + Str(xb_GetTrimString("C")) + Memo("NOTE"));
    EXPECT_EQ(stored, (std::vector<std::string>{"  7ab", "  8cdseen"}));
}

// A record just stepped onto is handed over as the step read it; a plain
// read takes it from the file again and sees another opener's change.
TEST_F(StorageTest, ARecordJustMovedOntoIsHandedOverAsRead) {
    std::string path = dir.file("moved.dbf");
    ASSERT_EQ(CreateTable(path, {{"C", "C", 2, 0}}), "");
    const int mine = xb_Use(path.c_str(), "MINE", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(mine, 0);
    ASSERT_TRUE(AppendValues({{"C", "ab"}}));
    ASSERT_TRUE(AppendValues({{"C", "cd"}}));
    xb_GoTop();
    xb_Skip(1);
    char asMoved[4] = {}, again[4] = {};
    ASSERT_TRUE(xb_GetHeldRecord(asMoved));
    EXPECT_EQ(std::string(asMoved, 3), " cd");

    const int other = xb_Use(path.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(other, 0);
    xb_Go(2);
    ASSERT_TRUE(xb_Replace("C", XB_REPLACE_TEXT, "ef"));
    xb_Unlock(XB_UNLOCK_ALL);
    xb_Select(mine);
    ASSERT_TRUE(xb_GetRecord(again));
    EXPECT_EQ(std::string(again, 3), " ef");
}
