// The document scope: commits inside it are visible to other work areas at
// once, and each touched file is flushed once at the outermost end.
#include "StorageSupport.h"

#include "xbengine/DurableScope.h"

namespace {

void makeTable(const std::string& path) {
    ASSERT_NE(xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, 1), 0);
    ASSERT_NE(xb_CreateField("NAME", "C", 10, 0), 0);
    ASSERT_NE(xb_CreateExec(), 0);
    xb_Close();
}

}  // namespace

TEST_F(StorageTest, ScopeFlushesEachTouchedFileOnceAtItsOutermostEnd) {
    const std::string a = dir.file("a.dbf"), b = dir.file("b.dbf");
    makeTable(a);
    makeTable(b);
    const int areaA = xb_Use(a.c_str(), "A", XB_SHARED, XB_DRIVER_NSX);
    const int areaB = xb_Use(b.c_str(), "B", XB_SHARED, XB_DRIVER_NSX);
    const int readerA = xb_Use(a.c_str(), "READER", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_TRUE(areaA && areaB && readerA);

    const uint64_t before = xb::durableScopeFlushes();
    xb_BeginScope();
    xb_BeginScope();  // a nested document
    for (int n = 0; n < 3; ++n) {
        for (int area : {areaA, areaB}) {
            xb_Select(area);
            ASSERT_TRUE(AppendValues({{"NAME", "row" + std::to_string(n)}}));
            ASSERT_NE(xb_Commit(), 0);
        }
    }
    EXPECT_NE(xb_EndScope(), 0);
    EXPECT_EQ(xb::durableScopeFlushes(), before);  // the inner end waits for the outer one
    xb_Select(readerA);
    EXPECT_EQ(xb_RecCount(), 3);  // written and visible before the scope ends
    EXPECT_NE(xb_EndScope(), 0);
    EXPECT_EQ(xb::durableScopeFlushes(), before + 2);

    // Outside a scope a commit flushes by itself and the count stays.
    xb_Select(areaA);
    ASSERT_TRUE(AppendValues({{"NAME", "later"}}));
    EXPECT_NE(xb_Commit(), 0);
    EXPECT_EQ(xb::durableScopeFlushes(), before + 2);
}

TEST_F(StorageTest, ScopeLeavesAFileCommittedWithoutChangesAlone) {
    const std::string a = dir.file("a.dbf"), b = dir.file("b.dbf");
    makeTable(a);
    makeTable(b);
    const int areaA = xb_Use(a.c_str(), "A", XB_SHARED, XB_DRIVER_NSX);
    const int areaB = xb_Use(b.c_str(), "B", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_TRUE(areaA && areaB);

    const uint64_t before = xb::durableScopeFlushes();
    xb_BeginScope();
    xb_Select(areaA);
    ASSERT_TRUE(AppendValues({{"NAME", "written"}}));
    ASSERT_NE(xb_Commit(), 0);
    xb_Select(areaB);
    xb_GoTop();
    ASSERT_NE(xb_Commit(), 0);  // read only: nothing of b to flush
    EXPECT_NE(xb_EndScope(), 0);
    EXPECT_EQ(xb::durableScopeFlushes(), before + 1);
}
