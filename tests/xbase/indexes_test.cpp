// Index orders, their descriptions, key texts, key searches and ranges on a
// table with tags of several kinds.
#include "GlueFixture.h"

namespace {

using Names = std::vector<std::string>;

class IndexTest : public GlueTest {
protected:
    void SetUp() override {
        GlueTest::SetUp();
        MakeTable("PEOPLE.DBF", {{"LAST", "C", 10, 0}, {"FIRST", "C", 6, 0}, {"ID", "N", 4, 0}});
        Fill("PEOPLE.DBF", {{"Smith", "Zoe", "12"},
                            {"jones", "Al", "3"},
                            {"SMITH", "Adam", "7"},
                            {"Brown", "Cy", "30"},
                            {"Smithers", "Bo", "5"}});
        std::string path = dir.file("PEOPLE.DBF");
        ASSERT_NE(xb_Use(path.c_str(), "TAGGING", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        ASSERT_NE(xb_IndexTag("", "NAME", "upper(LAST)+upper(FIRST)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        ASSERT_NE(xb_IndexTag("", "ID", "ID", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        ASSERT_NE(xb_IndexTag("", "ODDLAST", "LAST", XB_INDEX_UNIQUE, XB_DESCENDING, "ID > 4"), 0);
        ASSERT_NE(xb_IndexTag("", "MIXED", "STR(ID,4)+LAST", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        xb_Close();
        cursor = Open("PEOPLE.DBF");
        rec = Buffer(cursor);
    }
    void Switch(const char* tag) {
        hDBICur h = cursor;
        ASSERT_EQ(glue.SwitchToIndex(h, nullptr, tag, 0, true), DBIERR_NONE);
    }
    Names NamesToEnd() {
        Names names;
        while (glue.GetNextRecord(cursor, dbiNOLOCK, rec.data(), nullptr) == DBIERR_NONE)
            names.push_back(StringField(cursor, rec, 2));
        return names;
    }
    Names AllFirstNames() {
        EXPECT_EQ(glue.SetToBegin(cursor), DBIERR_NONE);
        return NamesToEnd();
    }
    // A key buffer: a blank record with the given fields set.
    std::vector<uint8_t> KeyBuffer(const char* last, const char* first = nullptr, int16_t* id = nullptr) {
        std::vector<uint8_t> key(rec.size());
        glue.InitRecord(cursor, key.data());
        if (last)
            glue.PutField(cursor, 1, key.data(), last);
        if (first)
            glue.PutField(cursor, 2, key.data(), first);
        if (id)
            glue.PutField(cursor, 3, key.data(), id);
        return key;
    }
    std::string Current() {
        EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);
        return StringField(cursor, rec, 2);
    }

    hDBICur cursor = 0;
    std::vector<uint8_t> rec;
};

TEST_F(IndexTest, OrdersAreChosenByTagName) {
    struct Case {
        const char* tag;
        Names order;
        bool indexed;
    } cases[] = {
        {"NAME", {"Cy", "Al", "Adam", "Zoe", "Bo"}, true},
        {"id", {"Al", "Bo", "Adam", "Zoe", "Cy"}, true},
        {"ODDLAST", {"Bo", "Zoe", "Adam", "Cy"}, true},  // descending, unique, ID > 4
        {"", {"Zoe", "Al", "Adam", "Cy", "Bo"}, false},
        {"NOSUCHTAG", {"Zoe", "Al", "Adam", "Cy", "Bo"}, false},
    };
    for (const Case& c : cases) {
        Switch(c.tag);
        EXPECT_EQ(AllFirstNames(), c.order) << c.tag;
        CURProps props;
        glue.GetCursorProps(cursor, &props);
        EXPECT_EQ(props.bIndexed, c.indexed) << c.tag;
        EXPECT_EQ(props.iIndexes, 4);
    }
}

TEST_F(IndexTest, OpeningWithATagMakesItTheOrder) {
    hDBICur byId = 0;
    ASSERT_EQ(glue.OpenTable(db, "PEOPLE.DBF", "SXNSX", "ID", "ID", 0, dbiREADWRITE, dbiOPENSHARED, xltFIELD, false,
                             nullptr, byId),
              DBIERR_NONE);
    ASSERT_EQ(glue.SetToBegin(byId), DBIERR_NONE);
    ASSERT_EQ(glue.GetNextRecord(byId, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);
    EXPECT_EQ(StringField(byId, rec, 2), "Al");
}

TEST_F(IndexTest, DescriptorsNameTheKeyFields) {
    std::vector<IDXDesc> descs;
    ASSERT_EQ(glue.GetIndexDescs(cursor, descs), DBIERR_NONE);
    ASSERT_EQ(descs.size(), 4u);
    struct Expect {
        const char* tag;
        std::vector<uint16_t> fields;
        bool expression, caseInsensitive, unique, subset, descending;
        const char* condition;
    } expected[] = {
        {"NAME", {1, 2}, false, true, false, false, false, ""},
        {"ID", {3}, false, false, false, false, false, ""},
        {"ODDLAST", {1}, false, false, true, true, true, "ID > 4"},
        {"MIXED", {}, true, false, false, false, false, ""},
    };
    for (size_t i = 0; i < descs.size(); ++i) {
        const Expect& e = expected[i];
        const IDXDesc& d = descs[i];
        EXPECT_EQ(d.szTagName, e.tag);
        EXPECT_EQ(d.iIndexId, i + 1);
        EXPECT_EQ(d.bExpIdx, e.expression) << e.tag;
        EXPECT_EQ(std::vector<uint16_t>(d.aiKeyFld.begin(), d.aiKeyFld.begin() + d.iFldsInKey), e.fields) << e.tag;
        EXPECT_EQ(d.bCaseInsensitive, e.caseInsensitive) << e.tag;
        EXPECT_EQ(d.bUnique, e.unique) << e.tag;
        EXPECT_EQ(d.bSubset, e.subset) << e.tag;
        EXPECT_EQ(d.bDescending, e.descending) << e.tag;
        EXPECT_EQ(d.szKeyCond, e.condition) << e.tag;
    }
    EXPECT_EQ(descs[3].szKeyExp, "STR(ID,4)+LAST");

    // One order described by number leaves the current order as it was.
    Switch("ID");
    IDXDesc one;
    ASSERT_EQ(glue.GetIndexDesc(cursor, 1, &one), DBIERR_NONE);
    EXPECT_EQ(one.szTagName, "NAME");
    ASSERT_EQ(glue.GetIndexDesc(cursor, 0, &one), DBIERR_NONE);
    EXPECT_EQ(one.szTagName, "ID");
    Switch("");
    EXPECT_EQ(glue.GetIndexDesc(cursor, 0, &one), DBIERR_NOINDEXORDER);
}

TEST_F(IndexTest, KeyTextsOfRecordsAndBuffers) {
    Switch("ID");
    int16_t twelve = 12;
    std::string key;
    ASSERT_EQ(glue.ExtractKey(cursor, KeyBuffer("x", "y", &twelve).data(), key), DBIERR_NONE);
    EXPECT_EQ(key, "12");

    Switch("NAME");
    ASSERT_EQ(glue.ExtractKey(cursor, KeyBuffer("Smith", "Zoe").data(), key), DBIERR_NONE);
    EXPECT_EQ(key, "SMITH     ZOE   ");
    // The engine's own record is untouched by a key taken from a buffer.
    ASSERT_EQ(glue.SetToBegin(cursor), DBIERR_NONE);
    glue.GetNextRecord(cursor, dbiNOLOCK, rec.data(), nullptr);
    ASSERT_EQ(glue.ExtractKey(cursor, nullptr, key), DBIERR_NONE);
    EXPECT_EQ(key, "BROWN     CY    ");
    EXPECT_EQ(Current(), "Cy");
}

TEST_F(IndexTest, KeySearches) {
    Switch("NAME");
    struct Case {
        DBISearchCond condition;
        const char* last;
        const char* first;
        uint16_t fields;
        DBIResult status;
        const char* lands;  // first name read there; "" at end of file
    } cases[] = {
        {keySEARCHEQ, "smith", "adam", 0, DBIERR_NONE, "Adam"},
        {keySEARCHEQ, "smith", "bo", 0, DBIERR_RECNOTFOUND, ""},
        {keySEARCHEQ, "smith", nullptr, 1, DBIERR_NONE, "Adam"},  // the first field alone
        {keySEARCHGEQ, "smith", "b", 0, DBIERR_NONE, "Zoe"},
        {keySEARCHGT, "SMITH", "ZOE", 0, DBIERR_NONE, "Bo"},
        {keySEARCHGEQ, "zz", nullptr, 0, DBIERR_NONE, ""},
    };
    for (const Case& c : cases) {
        DBIResult status = glue.SetToKey(cursor, c.condition, false, c.fields, 0, KeyBuffer(c.last, c.first).data());
        EXPECT_EQ(status, c.status) << c.last << " " << (c.first ? c.first : "");
        if (*c.lands)
            EXPECT_EQ(Current(), c.lands) << c.last;
        else
            EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF) << c.last;
    }
}

TEST_F(IndexTest, DirectKeysAndTheirMisses) {
    Switch("NAME");
    // "SMITHA" searched greater-than is "SMITHB": past every SMITH... key.
    EXPECT_EQ(glue.SetToKey(cursor, keySEARCHGT, true, 0, 0, reinterpret_cast<const uint8_t*>("SMITHA")), DBIERR_NONE);
    EXPECT_EQ(Current(), "Bo");
    EXPECT_EQ(glue.SetToKey(cursor, keySEARCHEQ, true, 0, 0, reinterpret_cast<const uint8_t*>("JONES     AL")),
              DBIERR_NONE);
    EXPECT_EQ(Current(), "Al");
    // A direct miss goes back to where the cursor was.
    EXPECT_EQ(glue.SetToKey(cursor, keySEARCHEQ, true, 0, 0, reinterpret_cast<const uint8_t*>("NOBODY")),
              DBIERR_RECNOTFOUND);
    EXPECT_EQ(Current(), "Al");

    std::vector<uint8_t> found(rec.size());
    EXPECT_EQ(glue.GetRecordForKey(cursor, false, 1, 0, KeyBuffer("BROWN").data(), found.data()), DBIERR_NONE);
    EXPECT_EQ(StringField(cursor, found, 2), "Cy");

    Switch("");
    EXPECT_EQ(glue.SetToKey(cursor, keySEARCHEQ, true, 0, 0, reinterpret_cast<const uint8_t*>("x")),
              DBIERR_NOINDEXORDER);
}

TEST_F(IndexTest, RangesAreInclusiveAndResetKeepsThePlace) {
    Switch("NAME");
    ASSERT_EQ(glue.SetRange(cursor, false, 1, 0, KeyBuffer("SMITH").data(), true, 1, 0, KeyBuffer("SMITH").data(),
                            true),
              DBIERR_NONE);
    EXPECT_EQ(NamesToEnd(), (Names{"Adam", "Zoe"}));  // the blank-padded field leaves Smithers out

    ASSERT_EQ(glue.SetRange(cursor, true, 0, 0, reinterpret_cast<const uint8_t*>("JONES"), true, 0, 0,
                            reinterpret_cast<const uint8_t*>("SMITH     ADAM"), true),
              DBIERR_NONE);
    EXPECT_EQ(NamesToEnd(), (Names{"Al", "Adam"}));

    // At end of file a reset stays at end of file.
    ASSERT_EQ(glue.SetToEnd(cursor), DBIERR_NONE);
    ASSERT_EQ(glue.ResetRange(cursor), DBIERR_NONE);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF);

    // Key texts as given are prefixes: SMITH takes in Smithers.
    ASSERT_EQ(glue.SetRange(cursor, true, 0, 0, reinterpret_cast<const uint8_t*>("SMITH"), true, 0, 0,
                            reinterpret_cast<const uint8_t*>("SMITH"), true),
              DBIERR_NONE);
    glue.GetNextRecord(cursor, dbiNOLOCK, rec.data(), nullptr);
    EXPECT_EQ(StringField(cursor, rec, 2), "Adam");
    ASSERT_EQ(glue.ResetRange(cursor), DBIERR_NONE);
    EXPECT_EQ(Current(), "Adam");
    EXPECT_EQ(NamesToEnd(), (Names{"Zoe", "Bo"}));
}

}  // namespace

namespace {

TEST_F(GlueTest, NtxIndexFilesOpenByNameAndSwitchByFileName) {
    MakeTable("OLD.DBF", {{"NAME", "C", 10, 0}, {"ID", "N", 4, 0}}, XB_DRIVER_NTX);
    Fill("OLD.DBF", {{"b", "2"}, {"a", "3"}, {"c", "1"}});
    std::string path = dir.file("OLD.DBF");
    ASSERT_NE(xb_Use(path.c_str(), "TAGGING", XB_EXCLUSIVE, XB_DRIVER_NTX), 0);
    ASSERT_NE(xb_Index(dir.file("BYNAME.NTX").c_str(), "NAME", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
    ASSERT_NE(xb_Index(dir.file("BYID.NTX").c_str(), "ID", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
    xb_Close();

    hDBICur cursor = 0;
    ASSERT_EQ(glue.OpenTable(db, "OLD.DBF", "SXNTX", nullptr, "BYNAME.NTX", 0, dbiREADWRITE, dbiOPENSHARED, xltFIELD,
                             false, nullptr, cursor),
              DBIERR_NONE);
    std::vector<uint8_t> rec = Buffer(cursor);
    auto names = [&] {
        std::string out;
        glue.SetToBegin(cursor);
        while (glue.GetNextRecord(cursor, dbiNOLOCK, rec.data(), nullptr) == DBIERR_NONE)
            out += StringField(cursor, rec, 1);
        return out;
    };
    EXPECT_EQ(names(), "abc");
    hDBICur h = cursor;
    ASSERT_EQ(glue.SwitchToIndex(h, nullptr, "", 0, true), DBIERR_NONE);
    EXPECT_EQ(names(), "bac");
    // An NTX order is found by its file's name, folder and extension aside.
    ASSERT_EQ(glue.SwitchToIndex(h, nullptr, "c:\\anywhere\\byname.ntx", 0, true), DBIERR_NONE);
    EXPECT_EQ(names(), "abc");

    // A missing index file is passed over quietly.
    hDBICur plain = 0;
    ASSERT_EQ(glue.OpenTable(db, "OLD.DBF", "SXNTX", nullptr, "NOFILE.NTX", 0, dbiREADWRITE, dbiOPENSHARED, xltFIELD,
                             false, nullptr, plain),
              DBIERR_NONE);
    CURProps props;
    glue.GetCursorProps(plain, &props);
    EXPECT_FALSE(props.bIndexed);
}

}  // namespace
