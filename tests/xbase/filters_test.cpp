// Filter entries: expressions joined into one engine query, locates as
// one-time searches, and record callbacks consulted by the record reads.
#include "GlueFixture.h"
#include "xbengine/ExprCalls.h"

namespace {

class FilterTest : public GlueTest {
protected:
    void SetUp() override {
        GlueTest::SetUp();
        MakeTable("PEOPLE.DBF", {{"ID", "N", 4, 0}, {"NAME", "C", 10, 0}});
        Fill("PEOPLE.DBF", {{"1", "Ann"}, {"2", "Bob"}, {"3", "Cy"}, {"4", "Dee"}, {"5", "Eve"}});
        cursor = Open("PEOPLE.DBF");
        rec = Buffer(cursor);
    }
    hDBIFilter Add(const char* expr, uint16_t priority = 1) {
        hDBIFilter h = 0;
        EXPECT_EQ(glue.AddFilter(cursor, 0, priority, false, expr, nullptr, h), DBIERR_NONE);
        return h;
    }
    std::vector<std::string> NamesToEnd() {
        std::vector<std::string> names;
        while (glue.GetNextRecord(cursor, dbiNOLOCK, rec.data(), nullptr) == DBIERR_NONE)
            names.push_back(StringField(cursor, rec, 2));
        return names;
    }
    std::vector<std::string> AllNames() {
        EXPECT_EQ(glue.SetToBegin(cursor), DBIERR_NONE);
        return NamesToEnd();
    }
    std::string EngineFilter() {
        TWA guard(static_cast<int>(cursor));
        return xb_DBFilter();
    }
    uint32_t Count() {
        uint32_t n = 0;
        EXPECT_EQ(glue.GetRecordCount(cursor, n), DBIERR_NONE);
        return n;
    }

    hDBICur cursor = 0;
    std::vector<uint8_t> rec;
};

using Names = std::vector<std::string>;

TEST_F(FilterTest, ActiveExpressionsAreJoinedAndReappliedWhenOneGoes) {
    hDBIFilter a = Add("ID > 1");
    hDBIFilter b = Add("ID < 5");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(AllNames(), (Names{"Ann", "Bob", "Cy", "Dee", "Eve"}));  // added, not yet active

    ASSERT_EQ(glue.ActivateFilter(cursor, 0), DBIERR_NONE);
    EXPECT_EQ(EngineFilter(), "(ID > 1) .and. (ID < 5)");
    EXPECT_EQ(AllNames(), (Names{"Bob", "Cy", "Dee"}));
    EXPECT_EQ(Count(), 3u);
    CURProps props;
    glue.GetCursorProps(cursor, &props);
    EXPECT_EQ(props.iFilters, 2);

    ASSERT_EQ(glue.DropFilter(cursor, a), DBIERR_NONE);
    EXPECT_EQ(EngineFilter(), "ID < 5");
    EXPECT_EQ(AllNames(), (Names{"Ann", "Bob", "Cy", "Dee"}));

    ASSERT_EQ(glue.DeactivateFilter(cursor, 0), DBIERR_NONE);
    EXPECT_EQ(EngineFilter(), "");
    EXPECT_EQ(Count(), 5u);
}

TEST_F(FilterTest, AnOrInsideOneFilterStaysInsideIt) {
    Add("ID = 1 .or. ID = 5");
    Add("ID > 2");
    ASSERT_EQ(glue.ActivateFilter(cursor, 0), DBIERR_NONE);
    EXPECT_EQ(AllNames(), (Names{"Eve"}));
}

TEST_F(FilterTest, MalformedFilterIsAnErrorAndTheOldOneStays) {
    hDBIFilter good = Add("ID > 3");
    ASSERT_EQ(glue.ActivateFilter(cursor, good), DBIERR_NONE);
    hDBIFilter bad = Add("ID > (");
    EXPECT_NE(glue.ActivateFilter(cursor, bad), DBIERR_NONE);
    EXPECT_EQ(EngineFilter(), "ID > 3");
    EXPECT_EQ(AllNames(), (Names{"Dee", "Eve"}));
}

TEST_F(FilterTest, LocateFindsWithinTheFilterAndLeavesItAsItWas) {
    struct Case {
        const char* locate;
        Names next;
    } cases[] = {
        {"NAME = 'Dee'", {"Dee", "Eve"}},
        {"NAME = 'Ann'", {}},  // hidden by the standing filter: not found
        {"NAME = 'Bob'", {"Bob", "Cy", "Dee", "Eve"}},
        {"NAME = 'Zed'", {}},
    };
    ASSERT_EQ(glue.ActivateFilter(cursor, Add("ID > 1")), DBIERR_NONE);
    for (const Case& c : cases) {
        hDBIFilter locate = Add(c.locate, 2);
        ASSERT_EQ(glue.ActivateFilter(cursor, locate), DBIERR_NONE) << c.locate;
        EXPECT_EQ(EngineFilter(), "ID > 1") << c.locate;
        EXPECT_EQ(NamesToEnd(), c.next) << c.locate;
        ASSERT_EQ(glue.DropFilter(cursor, locate), DBIERR_NONE);
        EXPECT_EQ(EngineFilter(), "ID > 1") << c.locate;
    }
}

int16_t OddIdsOnly(uintptr_t clientData, uint8_t* pRecBuf, uint32_t) {
    auto* seen = reinterpret_cast<int*>(clientData);
    ++*seen;
    return (pRecBuf[4] - '0') % 2;  // the last digit of ID (width 4 after the deletion byte)
}

TEST_F(FilterTest, RecordCallbackPassesOnlyWhatItAccepts) {
    int seen = 0;
    hDBIFilter h = 0;
    ASSERT_EQ(glue.AddFilter(cursor, reinterpret_cast<uintptr_t>(&seen), 1, false, nullptr, &OddIdsOnly, h),
              DBIERR_NONE);
    ASSERT_EQ(glue.ActivateFilter(cursor, h), DBIERR_NONE);
    EXPECT_EQ(AllNames(), (Names{"Ann", "Cy", "Eve"}));
    EXPECT_EQ(seen, 5);

    ASSERT_EQ(glue.SetToEnd(cursor), DBIERR_NONE);
    Names back;
    while (glue.GetPriorRecord(cursor, dbiNOLOCK, rec.data(), nullptr) == DBIERR_NONE)
        back.push_back(StringField(cursor, rec, 2));
    EXPECT_EQ(back, (Names{"Eve", "Cy", "Ann"}));

    ASSERT_EQ(glue.DropFilter(cursor, h), DBIERR_NONE);
    EXPECT_EQ(AllNames().size(), 5u);
}

TEST_F(FilterTest, CurrentRecordOutsideTheFilterIsReported) {
    uint32_t three = 3;
    glue.SetToBookMark(cursor, reinterpret_cast<const uint8_t*>(&three));
    ASSERT_EQ(glue.ActivateFilter(cursor, Add("ID <> 3")), DBIERR_NONE);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NOCURRREC);
    EXPECT_EQ(RecNoOf(cursor), 3u);
    uint32_t four = 4;
    glue.SetToBookMark(cursor, reinterpret_cast<const uint8_t*>(&four));
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);
}

TEST_F(FilterTest, FilterEntriesGrowAndDroppedOnesAreReused) {
    std::vector<hDBIFilter> handles;
    for (int i = 0; i < 150; ++i)
        handles.push_back(Add("ID > 0"));
    EXPECT_EQ(handles.back(), 150);
    // Dropped while inactive: its entry is free again.
    ASSERT_EQ(glue.DropFilter(cursor, handles[9]), DBIERR_NONE);
    EXPECT_EQ(Add("ID > 2"), 10);
}

}  // namespace
