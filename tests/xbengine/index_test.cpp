// Index tags of a work area: seeks per key type, scopes, unique and
// conditional tags, and every write path keeping every tag right.
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <functional>

#include "IndexSupport.h"

namespace {



// Six people:   name       amt    day       kind
//            1  Baker      12     20030105  A
//            2  adams      -3     20021231  B
//            3  Bakerson   12.5   20030105  A
//            4  Carter     100    20030210  C
//            5  Baker      5      (blank)   B
//            6  Abel       12     20030301  A
class IndexTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        xb_SetExact(XB_OFF);
        xb_SetSoftSeek(XB_OFF);
        xb_SetGaugeHook(nullptr);
        table = dir.file("people.dbf");
        ASSERT_EQ(CreateTable(table, {{"NAME", "C", 10, 0},
                                      {"AMT", "N", 8, 2},
                                      {"DAY", "D", 8, 0},
                                      {"KIND", "C", 1, 0}}), "");
        ASSERT_GT(xb_Use(table.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        const char* rows[][4] = {{"Baker", "12", "20030105", "A"},   {"adams", "-3", "20021231", "B"},
                                 {"Bakerson", "12.5", "20030105", "A"}, {"Carter", "100", "20030210", "C"},
                                 {"Baker", "5", "", "B"},             {"Abel", "12", "20030301", "A"}};
        for (auto& row : rows)
            ASSERT_TRUE(AppendValues({{"NAME", row[0]}, {"AMT", row[1]}, {"DAY", row[2]}, {"KIND", row[3]}}));
        ASSERT_EQ(xb_IndexTag("", "NAME", "upper(name)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 1);
        ASSERT_EQ(xb_IndexTag("", "AMT", "amt", XB_INDEX_PLAIN, XB_ASCENDING, ""), 2);
        ASSERT_EQ(xb_IndexTag("", "DAY", "day", XB_INDEX_PLAIN, XB_ASCENDING, ""), 3);
        ASSERT_EQ(xb_IndexTag("", "RNAME", "upper(name)", XB_INDEX_PLAIN, XB_DESCENDING, ""), 4);
    }
    void TearDown() override {
        xb_SetExact(XB_OFF);
        xb_SetSoftSeek(XB_OFF);
        xb_SetGaugeHook(nullptr);
        StorageTest::TearDown();
    }
    void UseTag(const char* tag) { xb_SetOrder(xb_TagArea(tag)); }

    std::string table;
};

TEST_F(IndexTest, TagsListTheirRecordsInKeyOrderBothWays) {
    struct Case {
        const char* tag;
        Recs expected;
    };
    const Case cases[] = {
        {"NAME", {6, 2, 1, 5, 3, 4}},
        {"AMT", {2, 5, 1, 6, 3, 4}},
        {"DAY", {5, 2, 1, 3, 4, 6}},
        {"RNAME", {4, 3, 1, 5, 2, 6}},  // descending, ties still by record number
    };
    for (const Case& c : cases) {
        UseTag(c.tag);
        EXPECT_EQ(Walk(), c.expected) << c.tag;
        EXPECT_EQ(WalkBack(), c.expected) << c.tag;
        EXPECT_EQ(xb_Count(), 6) << c.tag;
        xb_Go(c.expected[2]);
        EXPECT_EQ(xb_OrderRecNo(), 3) << c.tag;
    }
}

TEST_F(IndexTest, SeeksFollowExactSoftSeekAndTheKeyType) {
    struct Case {
        const char* tag;
        bool exact, soft;
        const char* text;
        bool found;
        int recNo;  // 0: end of file
    };
    const Case cases[] = {
        {"NAME", false, false, "BAK", true, 1},
        {"NAME", false, false, "BAKER", true, 1},
        {"NAME", true, false, "BAKER", true, 1},
        {"NAME", true, false, "BAKERS", false, 0},
        {"NAME", true, true, "BAKERS", false, 3},
        {"NAME", false, true, "BB", false, 4},
        {"NAME", false, true, "Z", false, 0},
        {"NAME", false, false, "baker", false, 0},
        {"AMT", false, false, "12", true, 1},
        {"AMT", false, false, "        12", true, 1},
        {"AMT", false, false, "12.5", true, 3},
        {"AMT", true, false, "12.50", true, 3},
        {"AMT", false, false, "-3", true, 2},
        {"AMT", false, false, "1", false, 0},  // numbers compare whole, never as prefixes
        {"AMT", false, true, "13", false, 4},
        {"DAY", false, false, "20030105", true, 1},
        {"DAY", false, false, "200301", true, 1},
        {"DAY", false, false, "2003", true, 1},
        {"DAY", false, true, "20030106", false, 4},
        {"RNAME", false, false, "BAKER", true, 3},  // Bakerson comes first in descending order
        {"RNAME", false, true, "BB", false, 3},
        {"RNAME", false, true, "D", false, 4},
    };
    for (const Case& c : cases) {
        UseTag(c.tag);
        xb_SetExact(c.exact);
        xb_SetSoftSeek(c.soft);
        xb_Go(6);
        EXPECT_EQ(xb_Seek(c.text) != 0, c.found) << c.tag << " " << c.text;
        EXPECT_EQ(xb_Found() != 0, c.found) << c.tag << " " << c.text;
        if (c.recNo == 0) {
            EXPECT_TRUE(xb_Eof()) << c.tag << " " << c.text;
        } else {
            EXPECT_FALSE(xb_Eof()) << c.tag << " " << c.text;
            EXPECT_EQ(xb_RecNo(), c.recNo) << c.tag << " " << c.text;
        }
    }
}

// A number field another program wrote in a form of its own is found by the
// number its key text reads, which may round what the field holds.
TEST_F(IndexTest, SeeksFindNumbersHoweverTheirFieldIsWritten) {
    struct Case {
        const char* stored;  // the field's 8 bytes
        const char* text;
        bool found;
    };
    const Case cases[] = {
        {"   42.50", "42.5", true},      // as the table writes it
        {"    42.5", "42.5", true},      // a decimal short
        {"  042.50", "42.5", true},      // a leading zero
        {"42.50   ", "42.5", true},      // on the left
        {"   -0.00", "0", true},
        {"  -17.25", "-17.25", true},
        {"       7", "7", true},         // no point at all
        {"  12.505", "12.51", true},     // a decimal too many rounds in the key text
        {"  12.505", "12.505", false},
        {"  12.5x0", "12.5", true},      // the number ends at the first other byte
    };
    UseTag("AMT");
    const int at = xb_FieldOffset(xb_FieldNum("AMT")) - 1;
    std::vector<char> record(static_cast<size_t>(xb_RecSize()));
    for (const Case& c : cases) {
        xb_Go(1);
        ASSERT_TRUE(xb_GetRecord(record.data()));
        std::memcpy(record.data() + at, c.stored, 8);
        ASSERT_TRUE(xb_PutRecord(record.data())) << c.stored;
        EXPECT_EQ(xb_Seek(c.text) != 0, c.found) << c.stored << " " << c.text;
        if (c.found) {
            EXPECT_EQ(xb_RecNo(), 1) << c.stored << " " << c.text;
        }
    }
}

TEST_F(IndexTest, SeeksSearchOnlyTheVisibleRecords) {
    UseTag("NAME");
    xb_SetDeleted(XB_ON);
    xb_Go(1);
    ASSERT_TRUE(xb_Delete());
    EXPECT_TRUE(xb_Seek("BAKER"));
    EXPECT_EQ(xb_RecNo(), 5);

    ASSERT_TRUE(xb_SetFilter("kind = 'B'"));
    EXPECT_FALSE(xb_Seek("ABEL"));  // Abel is filtered out and Adams does not match
    EXPECT_TRUE(xb_Eof());
    EXPECT_TRUE(xb_Seek("ADAMS"));
    EXPECT_EQ(xb_RecNo(), 2);

    ASSERT_TRUE(xb_SetFilter("kind = 'X'"));
    xb_SetSoftSeek(XB_ON);
    EXPECT_FALSE(xb_Seek("A"));
    EXPECT_TRUE(xb_Eof());
    EXPECT_FALSE(xb_Found());

    // Record order has no keys: nothing is found and nothing moves.
    ASSERT_TRUE(xb_SetFilter(""));
    xb_SetOrder(XB_RECORD_ORDER);
    xb_Go(4);
    EXPECT_FALSE(xb_Seek("BAKER"));
    EXPECT_EQ(xb_RecNo(), 4);
}

TEST_F(IndexTest, ScopesHoldMovementCountsAndSeeksToTheirKeys) {
    struct Case {
        const char* tag;
        const char* low;
        const char* high;
        Recs expected;
    };
    const Case cases[] = {
        {"NAME", "BAKER", "", {1, 5, 3}},  // low alone: the keys that begin with it
        {"NAME", "BAKER", "BAKER", {1, 5, 3}},
        {"NAME", "ADAMS", "BAKER", {2, 1, 5, 3}},
        {"NAME", "B", "C", {1, 5, 3, 4}},
        {"NAME", "", "ADAMS", {6, 2}},
        {"NAME", "D", "E", {}},
        {"AMT", "5", "12", {5, 1, 6}},
        {"AMT", "        12", "12.00", {1, 6}},
        {"DAY", "200301", "", {1, 3}},
        {"RNAME", "C", "BAKER", {4, 3, 1, 5}},  // bounds in the tag's own order
    };
    for (const Case& c : cases) {
        UseTag(c.tag);
        ASSERT_TRUE(xb_SetScope(c.low, c.high)) << c.tag << " " << c.low;
        EXPECT_EQ(xb_SysProp(XB_SP_SCOPE_ACTIVE, 0), 1);
        EXPECT_EQ(Walk(), c.expected) << c.tag << " " << c.low << ".." << c.high;
        EXPECT_EQ(WalkBack(), c.expected) << c.tag << " " << c.low << ".." << c.high;
        EXPECT_EQ(xb_Count(), static_cast<int>(c.expected.size())) << c.tag << " " << c.low;
        ASSERT_TRUE(xb_SetScope("", ""));
        EXPECT_EQ(xb_SysProp(XB_SP_SCOPE_ACTIVE, 0), 0);
        EXPECT_EQ(xb_Count(), 6);
    }

    UseTag("NAME");
    xb_SetScope("BAKER", "");
    EXPECT_EQ(Str(xb_GetScope(XB_SCOPE_LOW)), "BAKER");
    EXPECT_EQ(Str(xb_GetScope(XB_SCOPE_HIGH)), "BAKER");
    xb_GoTop();
    xb_Skip(-1);
    EXPECT_TRUE(xb_Bof());
    EXPECT_EQ(xb_RecNo(), 1);
    xb_GoBottom();
    xb_Skip(1);
    EXPECT_TRUE(xb_Eof());
    xb_Go(5);
    EXPECT_EQ(xb_OrderRecNo(), 2);
    EXPECT_FALSE(xb_Seek("CARTER"));
    EXPECT_TRUE(xb_Eof());
    xb_SetSoftSeek(XB_ON);
    EXPECT_FALSE(xb_Seek("ADAMS"));  // stands on the scope's first record
    EXPECT_EQ(xb_RecNo(), 1);
    // A record outside the scope reached with xb_Go moves back into it.
    xb_Go(4);
    xb_Skip(-1);
    EXPECT_EQ(xb_RecNo(), 3);

    // Each order keeps its scope.
    UseTag("AMT");
    EXPECT_EQ(xb_Count(), 6);
    UseTag("NAME");
    EXPECT_EQ(xb_Count(), 3);
}

TEST_F(IndexTest, OrdersAreDescribedAndSettingOneKeepsTheRecord) {
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 4);
    EXPECT_EQ(xb_TagArea("rname"), 4);
    EXPECT_EQ(xb_TagArea("Nobody"), 0);
    EXPECT_EQ(xb_SysProp(XB_SP_DESCENDING, 4), 1);
    EXPECT_EQ(xb_SysProp(XB_SP_DESCENDING, 1), 0);
    EXPECT_EQ(xb_SysProp(XB_SP_INDEX_KIND, 0), XB_DRIVER_NSX);

    xb_SetOrder(XB_RECORD_ORDER);
    xb_Go(3);
    EXPECT_EQ(xb_SetOrder(2), 0);
    EXPECT_EQ(xb_RecNo(), 3);
    EXPECT_EQ(xb_IndexOrd(), 2);
    EXPECT_EQ(xb_SetOrder(1), 2);
    EXPECT_EQ(Str(xb_TagName(0)), "NAME");
    EXPECT_EQ(Str(xb_TagName(3)), "DAY");
    EXPECT_EQ(Str(xb_IndexName(0)), "people.nsx");
    EXPECT_EQ(Str(xb_IndexKey()), "upper(name)");
    EXPECT_EQ(Str(xb_IndexKeyField()), "name");
    EXPECT_EQ(xb_IndexType(), XB_ORDER_PLAIN);
    EXPECT_EQ(Str(xb_KeyData()), "BAKERSON  ");
    xb_Skip(1);
    EXPECT_EQ(xb_RecNo(), 4);  // the walk goes on from the kept record in the new order

    // An unknown tag means record order, quietly.
    xb_SetOrder(xb_TagArea("MISSING"));
    EXPECT_EQ(xb_IndexOrd(), 0);
    EXPECT_EQ(Walk(), (Recs{1, 2, 3, 4, 5, 6}));

    // Long names are cut to ten characters and compare without regard to case.
    ASSERT_EQ(xb_IndexTag("", "OpenBalance", "upper(name)", XB_INDEX_PLAIN, XB_ASCENDING, "amt <> 0"), 5);
    EXPECT_EQ(xb_TagArea("OPENBALANC"), 5);
    EXPECT_EQ(xb_TagArea("openbalance"), 5);
    EXPECT_EQ(xb_IndexType(), XB_ORDER_CONDITIONAL);
    EXPECT_EQ(Str(xb_IndexCondition()), "amt <> 0");
    // Replacing a tag keeps its order number.
    ASSERT_EQ(xb_IndexTag("", "AMT", "amt", XB_INDEX_UNIQUE, XB_ASCENDING, ""), 2);
    EXPECT_EQ(xb_IndexType(), XB_ORDER_UNIQUE);
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 5);

    // Refused expressions build nothing.
    EXPECT_EQ(xb_IndexTag("", "BAD", "upper(nosuchfield)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
    EXPECT_EQ(xb_IndexError(), XB_INDEX_BAD_EXPRESSION);
    EXPECT_EQ(xb_IndexTag("", "BAD", "name", XB_INDEX_PLAIN, XB_ASCENDING, "amt + 1"), 0);
    EXPECT_EQ(xb_TagArea("BAD"), 0);
}

TEST_F(IndexTest, UniqueTagsShowTheFirstShownRecordOfEachKey) {
    ASSERT_EQ(xb_IndexTag("", "UKIND", "kind", XB_INDEX_UNIQUE, XB_ASCENDING, ""), 5);
    EXPECT_EQ(Walk(), (Recs{1, 2, 4}));
    EXPECT_EQ(WalkBack(), (Recs{1, 2, 4}));

    xb_SetDeleted(XB_ON);
    xb_Go(1);
    ASSERT_TRUE(xb_Delete());
    EXPECT_EQ(Walk(), (Recs{3, 2, 4}));  // the next A takes the deleted record's place
    xb_Go(3);
    ASSERT_TRUE(xb_Replace("KIND", XB_REPLACE_TEXT, "C"));
    EXPECT_EQ(Walk(), (Recs{6, 2, 3}));  // and when that one changes its key, the next again
    EXPECT_EQ(WalkBack(), (Recs{6, 2, 3}));
    EXPECT_EQ(xb_Count(), 3);
    EXPECT_TRUE(xb_Seek("C"));
    EXPECT_EQ(xb_RecNo(), 3);
    xb_Go(2);
    ASSERT_TRUE(xb_Delete());
    EXPECT_TRUE(xb_Seek("B"));
    EXPECT_EQ(xb_RecNo(), 5);

    xb_SetDeleted(XB_OFF);
    EXPECT_EQ(Walk(), (Recs{1, 2, 3}));
}

TEST_F(IndexTest, ConditionalTagsFollowRecordsInAndOut) {
    ASSERT_EQ(xb_IndexTag("", "RICH", "upper(name)", XB_INDEX_PLAIN, XB_ASCENDING, "amt > 10"), 5);
    EXPECT_EQ(Walk(), (Recs{6, 1, 3, 4}));
    xb_Go(2);
    ASSERT_TRUE(xb_Replace("AMT", XB_REPLACE_TEXT, "50"));  // moves in
    xb_Go(1);
    ASSERT_TRUE(xb_Replace("AMT", XB_REPLACE_TEXT, "0"));  // moves out
    xb_Go(5);
    std::vector<char> record(xb_RecSize());
    xb_GetRecord(record.data());
    std::memcpy(record.data() + xb_FieldOffset(xb_FieldNum("AMT")) - 1, "   99.00", 8);
    ASSERT_TRUE(xb_PutRecord(record.data()));  // moves in through a whole-record write
    xb_SetOrder(5);
    EXPECT_EQ(Walk(), (Recs{6, 2, 5, 3, 4}));
    EXPECT_EQ(Walk(), ExpectedOrder("upper(name)", "amt > 10"));
    xb_SetOrder(5);
    xb_Go(5);
    EXPECT_EQ(xb_OrderRecNo(), 3);
    xb_Go(1);
    EXPECT_EQ(xb_OrderRecNo(), 0);  // not in the tag
    xb_SetSoftSeek(XB_ON);
    EXPECT_TRUE(xb_Seek("BAKER"));  // the Baker of record 1 has left the tag, that of 5 came in
    EXPECT_EQ(xb_RecNo(), 5);
}

TEST_F(IndexTest, EveryWritePathKeepsEveryTagRight) {
    auto checkAll = [](const char* step) {
        struct Tag {
            const char* name;
            const char* key;
            bool descending;
        };
        for (const Tag& t : {Tag{"NAME", "upper(name)", false}, Tag{"AMT", "amt", false},
                             Tag{"DAY", "dtos(day)", false}, Tag{"RNAME", "upper(name)", true}}) {
            Recs expected = ExpectedOrder(t.key, "", false, t.descending);
            xb_SetOrder(xb_TagArea(t.name));
            EXPECT_EQ(Walk(), expected) << step << ": " << t.name;
        }
    };
    ASSERT_TRUE(AppendValues({{"NAME", "Aaron"}, {"AMT", "7"}, {"DAY", "19991231"}}));
    checkAll("append");
    xb_SetOrder(XB_RECORD_ORDER);
    xb_Go(4);
    std::vector<char> record(xb_RecSize());
    xb_GetRecord(record.data());
    std::memcpy(record.data() + 1, "Zed       ", 10);
    ASSERT_TRUE(xb_PutRecord(record.data()));
    checkAll("put record");
    xb_Go(2);
    double amount = 1e4;
    ASSERT_TRUE(xb_Replace("AMT", XB_REPLACE_DOUBLE, &amount));
    ASSERT_TRUE(xb_Replace("DAY", XB_REPLACE_TEXT, "20100101"));
    ASSERT_TRUE(xb_Delete());
    checkAll("replace and delete");

    std::string other = dir.file("more.dbf");
    int mine = xb_Select(0);
    xb_Select(mine);
    {
        int area = xb_WorkArea(nullptr);
        ASSERT_EQ(CreateTable(other, {{"NAME", "C", 10, 0}, {"AMT", "N", 8, 2}}), "");
        xb_Select(area);
    }
    ASSERT_GT(xb_Use(other.c_str(), "MORE", XB_SHARED, XB_DRIVER_NSX), 0);
    for (const char* name : {"Moe", "bea", "Al"})
        ASSERT_TRUE(AppendValues({{"NAME", name}, {"AMT", "3"}}));
    xb_Close();
    xb_Select(xb_WorkArea("PEOPLE"));
    ASSERT_TRUE(xb_AppendFrom(other.c_str(), XB_DRIVER_NSX, "name <> 'Al'"));
    EXPECT_EQ(xb_RecCount(), 9);
    checkAll("append from");

    ASSERT_TRUE(xb_Commit());
    ASSERT_TRUE(xb_Zap());
    checkAll("zap");
    EXPECT_EQ(xb_Count(), 0);
    ASSERT_TRUE(AppendValues({{"NAME", "Neu"}, {"AMT", "1"}}));
    checkAll("append after zap");

    // What was written reached the file: it reads the same after a reopen.
    xb_CloseAll();
    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 4);
    checkAll("reopened");
}

TEST_F(IndexTest, AMissingIndexFileMeansRecordOrderAndADamagedOneIsBuiltAgain) {
    xb_CloseAll();
    const std::string index = dir.file("people.nsx");
    ASSERT_EQ(unlink(index.c_str()), 0);
    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 0);
    EXPECT_EQ(xb_IndexError(), XB_INDEX_OK);
    xb_SetOrder(xb_TagArea("NAME"));
    EXPECT_EQ(Walk(), (Recs{1, 2, 3, 4, 5, 6}));
    xb_CloseAll();

    // A fresh file holds tag NAME on pages 1 (description) and 2 (its
    // tree), tag AMT on pages 3 and 4.
    struct Case {
        const char* name;
        off_t at;
        std::string bytes;
        int tagsLeft;  // the tags whose descriptions can still be read
    };
    const Case cases[] = {
        {"update cut short", 24, std::string(1, '\x03'), 2},
        {"a tree page overwritten", 4096 * 2, std::string(4096, '\x5A'), 2},
        {"a tag description overwritten", 4096 * 3, std::string(4096, '\x5A'), 1},
        {"header overwritten", 0, "garbage!", 0},
    };
    for (const Case& c : cases) {
        unlink(index.c_str());
        ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        ASSERT_EQ(xb_IndexTag("", "NAME", "upper(name)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 1);
        ASSERT_EQ(xb_IndexTag("", "AMT", "amt", XB_INDEX_PLAIN, XB_ASCENDING, ""), 2);
        xb_CloseAll();
        int fd = open(index.c_str(), O_RDWR);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, c.bytes.data(), c.bytes.size(), c.at), static_cast<ssize_t>(c.bytes.size()));
        close(fd);

        ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0) << c.name;
        EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), c.tagsLeft) << c.name;
        for (int order = 1; order <= xb_SysProp(XB_SP_TAG_COUNT, 0); ++order) {
            xb_SetOrder(order);
            Recs expected = ExpectedOrder(xb_IndexKey());
            EXPECT_EQ(Walk(), expected) << c.name << ": " << xb_TagName(0);
        }
        // Reported on opening, or when a movement met the damage.
        EXPECT_EQ(xb_IndexError(), XB_INDEX_REBUILT) << c.name;
        xb_CloseAll();
    }
}

TEST_F(IndexTest, OneTagFilesAndOtherIndexFiles) {
    std::vector<int> heard;
    xb_SetGaugeHook([&](int percent) { heard.push_back(percent); });
    // A one-tag file named after the table replaces its structural index.
    ASSERT_EQ(xb_Index("People.nsx", "kind + upper(name)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 1);
    EXPECT_EQ(Str(xb_TagName(1)), "PEOPLE");
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 1);
    EXPECT_EQ(Walk(), ExpectedOrder("kind + upper(name)"));
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), 100);
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
    EXPECT_GE(heard.front(), 0);

    // Another file beside the table holds its own tags, numbered after the structural ones.
    ASSERT_EQ(xb_IndexTag("extra", "BYAMT", "amt", XB_INDEX_PLAIN, XB_ASCENDING, ""), 2);
    ASSERT_TRUE(AppendValues({{"NAME", "Last"}, {"AMT", "-50"}, {"KIND", "A"}}));
    EXPECT_EQ(Walk(), ExpectedOrder("amt"));
    xb_CloseAll();
    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 1);
    EXPECT_EQ(xb_IndexOpen("EXTRA"), 2);
    EXPECT_EQ(xb_IndexOrd(), 2);
    EXPECT_EQ(Walk(), ExpectedOrder("amt"));
    EXPECT_EQ(xb_IndexOpen("nothere.nsx"), 0);

    // NTX tables have no structural index; their files are opened one by one.
    std::string ntx = dir.file("old.dbf");
    ASSERT_EQ(CreateTable(ntx, {{"NAME", "C", 8, 0}}, XB_DRIVER_NTX), "");
    ASSERT_GT(xb_Use(ntx.c_str(), "", XB_SHARED, XB_DRIVER_NTX), 0);
    for (const char* name : {"delta", "alpha", "charlie"})
        ASSERT_TRUE(AppendValues({{"NAME", name}}));
    ASSERT_EQ(xb_Index("byname", "name", XB_INDEX_PLAIN, XB_ASCENDING, ""), 1);
    EXPECT_EQ(xb_SysProp(XB_SP_INDEX_KIND, 0), XB_DRIVER_NTX);
    xb_Close();
    ASSERT_GT(xb_Use(ntx.c_str(), "", XB_SHARED, XB_DRIVER_NTX), 0);
    EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), 0);
    EXPECT_EQ(xb_IndexOpen("BYNAME.NTX"), 1);
    EXPECT_EQ(Str(xb_TagName(1)), "BYNAME");
    ASSERT_TRUE(AppendValues({{"NAME", "bravo"}}));
    EXPECT_EQ(Walk(), (Recs{2, 4, 3, 1}));
}

}  // namespace
