// Index orders and key searches of a table: IndexName, IndexDefs, SetKey,
// FindKey, FindNearest and ranges on real tags.
#include "DataFixture.h"

class KeySearch : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        MakeTable("people.dbf", {{"ID", "N", 6, 0}, {"NAME", "C", 10, 0}, {"CITY", "C", 10, 0}});
        Fill("people.dbf", {{"1", "Walker", "Boston"},
                            {"2", "adams", "Austin"},
                            {"3", "Smith", "Denver"},
                            {"4", "Baker", "Austin"},
                            {"5", "Smithers", "Chicago"}});
        std::string path = dir.file("people.dbf");
        ASSERT_NE(xb_Use(path.c_str(), "TAGGING", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        ASSERT_NE(xb_IndexTag("", "NAME", "UPPER(NAME)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        ASSERT_NE(xb_IndexTag("", "ID", "ID", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        ASSERT_NE(xb_IndexTag("", "CITYNAME", "UPPER(CITY)+UPPER(NAME)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        xb_Close();
        t = Table("people.dbf");
    }
    int Id() { return t->FieldByName("ID")->AsInteger(); }
    TTable* t = nullptr;
};

TEST_F(KeySearch, IndexDefsNameTheTagsAndTheirFields) {
    t->Open();
    ASSERT_EQ(t->IndexDefs().Count(), 3);
    struct Case {
        const char* name;
        const char* fields;
        bool caseInsensitive;
    } cases[] = {{"NAME", "NAME", true}, {"ID", "ID", false}, {"CITYNAME", "CITY;NAME", true}};
    for (const Case& c : cases) {
        const TIndexDef& def = t->IndexDefs().Find(c.name);
        EXPECT_TRUE(SameText(def.Fields(), c.fields)) << c.name << ": " << def.Fields();
        EXPECT_EQ(def.Options().Contains(ixCaseInsensitive), c.caseInsensitive) << c.name;
    }
    EXPECT_EQ(t->IndexFieldCount(), 0);
    t->SetIndexFieldNames("city;name");
    EXPECT_TRUE(SameText(t->IndexName(), "CITYNAME"));
    EXPECT_EQ(t->IndexFieldCount(), 2);
    EXPECT_EQ(t->IndexFields(1)->FieldName(), "NAME");
}

TEST_F(KeySearch, SwitchingTheIndexKeepsTheRecordAndChangesTheOrder) {
    t->Open();
    t->MoveBy(2);
    EXPECT_EQ(Id(), 3);
    t->SetIndexName("NAME");
    EXPECT_EQ(Id(), 3);
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{2, 4, 3, 5, 1}));
    t->SetIndexName("");
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(KeySearch, FindKeyAndFindNearest) {
    t->SetIndexName("NAME");
    t->Open();
    struct Case {
        const char* key;
        bool found;
        int id;  // where the table stands afterwards
    } cases[] = {
        {"Smith", true, 3}, {"ADAMS", true, 2}, {"smithers", true, 5}, {"Smit", false, 5}, {"Zed", false, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t->FindKey({c.key}), c.found) << c.key;
        EXPECT_EQ(Id(), c.id) << c.key;
    }
    t->FindNearest({"Smit"});
    EXPECT_EQ(Id(), 3);
    t->FindNearest({"C"});
    EXPECT_EQ(Id(), 3);
    // Past the last key the table stands on the last record.
    t->FindNearest({"Zed"});
    EXPECT_EQ(Id(), 1);

    // On a two-field index fewer values form a partial key.
    t->SetIndexName("CITYNAME");
    EXPECT_TRUE(t->FindKey({"Austin"}));
    EXPECT_EQ(Id(), 2);
    EXPECT_TRUE(t->FindKey({"Austin", "Baker"}));
    EXPECT_EQ(Id(), 4);
    EXPECT_THROW(t->FindKey({"Austin", "Baker", "x"}), EDatabaseError);
}

TEST_F(KeySearch, SetKeyStateTakesOnlyKeyFields) {
    t->SetIndexName("NAME");
    t->Open();
    t->SetKey();
    EXPECT_EQ(t->State(), dsSetKey);
    t->FieldByName("NAME")->SetAsString("baker");
    try {
        t->FieldByName("CITY")->SetAsString("Austin");
        ADD_FAILURE() << "a key value for a field outside the key";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'CITY' is not indexed and cannot be modified");
    }
    EXPECT_TRUE(t->GotoKey());
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(Id(), 4);

    // GotoNearest with an exclusive key goes past the equal key.
    t->SetKey();
    t->FieldByName("NAME")->SetAsString("smith");
    t->SetKeyExclusive(true);
    t->GotoNearest();
    EXPECT_EQ(Id(), 5);
    // EditKey keeps the last key; Cancel leaves it as it was.
    t->EditKey();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "smith");
    t->FieldByName("NAME")->SetAsString("walker");
    t->Cancel();
    t->EditKey();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "smith");
    t->Cancel();
    EXPECT_EQ(Id(), 5);
}

TEST_F(KeySearch, RangesLimitTheRecords) {
    t->SetIndexName("ID");
    t->Open();
    t->SetRange({2}, {4});
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{2, 3, 4}));
    t->SetRangeStart();
    t->FieldByName("ID")->SetAsInteger(4);
    t->SetRangeEnd();
    t->FieldByName("ID")->SetAsInteger(5);
    t->ApplyRange();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{4, 5}));
    t->Prior();
    t->CancelRange();
    EXPECT_EQ(Id(), 4);
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 4, 5}));
}
