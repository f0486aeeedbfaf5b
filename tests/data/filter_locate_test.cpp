// Filter texts, Locate and Lookup on a real table, and the expression text a
// locate hands the engine.
#include "DataFixture.h"

#include "base/DateTime.h"
#include "data/LocateExpression.h"

TEST(XBaseQuoting, EveryTextBecomesOneLiteral) {
    struct Case {
        const char* text;
        const char* literal;
    } cases[] = {
        {"", "''"},
        {"Smith", "'Smith'"},
        {"O'Brien", "'O'+\"'\"+'Brien'"},
        {"'", "\"'\""},
        {"it's 'x'", "'it'+\"'\"+'s '+\"'\"+'x'+\"'\""},
        {"say \"hi\"", "'say \"hi\"'"},
    };
    for (const Case& c : cases) EXPECT_EQ(xBaseQuoted(c.text), c.literal) << c.text;
}

class FilterAndLocate : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        MakeTable("people.dbf",
                  {{"ID", "N", 6, 0}, {"LAST", "C", 12, 0}, {"FIRST", "C", 10, 0}, {"BORN", "D", 8, 0},
                   {"ACTIVE", "L", 1, 0}});
        Fill("people.dbf", {{"1", "Smithson", "Ann", "19600101", "T"},
                            {"2", "Smith", "Bob", "19700202", "F"},
                            {"3", "O'Brien", "Cy", "19800303", "T"},
                            {"4", "Smith", "Dee", "19900404", "T"},
                            {"5", "smith", "Eve", "20000505", "F"}});
        t = Table("people.dbf");
        t->Open();
    }
    int Id() { return t->FieldByName("ID")->AsInteger(); }
    TTable* t = nullptr;
};

TEST_F(FilterAndLocate, LocateFindsTheFirstRecordMatchingEveryField) {
    struct Case {
        const char* fields;
        std::vector<Variant> values;
        TLocateOptions options;
        int found;  // 0: not found
    } cases[] = {
        {"LAST", {"Smith"}, {}, 2},
        {"LAST", {"SMITH"}, {}, 0},
        {"LAST", {"SMITH"}, {loCaseInsensitive}, 2},
        {"LAST", {"Smi"}, {}, 0},
        {"LAST", {"Smi"}, {loPartialKey}, 1},
        {"LAST;FIRST", {"Smith", "Dee"}, {}, 4},
        {"LAST;FIRST", {"smith", "EVE"}, {loCaseInsensitive}, 5},
        {"LAST", {"O'Brien"}, {}, 3},
        {"LAST", {"O'"}, {loPartialKey}, 3},
        {"ID", {4}, {}, 4},
        {"ID", {4.0}, {}, 4},
        {"BORN", {Variant::FromDate(EncodeDate(1980, 3, 3))}, {}, 3},
        {"ACTIVE;LAST", {false, "Smith"}, {}, 2},
        {"ID", {99}, {}, 0},
    };
    for (const Case& c : cases) {
        t->First();
        t->Next();  // a miss leaves the dataset here
        bool found = t->Locate(c.fields, c.values, c.options);
        EXPECT_EQ(found, c.found != 0) << c.fields << " " << c.values[0].AsString();
        EXPECT_EQ(Id(), c.found ? c.found : 2) << c.fields << " " << c.values[0].AsString();
    }
    // After a locate the buffers go on from the found record.
    ASSERT_TRUE(t->Locate("ID", 3, {}));
    t->Next();
    EXPECT_EQ(Id(), 4);
}

TEST_F(FilterAndLocate, LookupReadsAValueWithoutMoving) {
    t->Last();
    EXPECT_EQ(t->Lookup("LAST;FIRST", {"Smith", "Dee"}, "ID").AsInteger(), 4);
    EXPECT_EQ(t->Lookup("ID", {3}, "LAST").AsString(), "O'Brien");
    EXPECT_TRUE(t->Lookup("ID", {42}, "LAST").IsNull());
    EXPECT_EQ(Id(), 5);
    t->Prior();
    EXPECT_EQ(Id(), 4);
    EXPECT_THROW(t->Lookup("NOSUCH", {1}, "ID"), EDatabaseError);
}

TEST_F(FilterAndLocate, LookupOfSeveralResultFieldsGivesEachInOrder) {
    Variant found = t->Lookup("ID", {3}, "FIRST;BORN; LAST;ACTIVE");
    ASSERT_TRUE(found.IsArray());
    ASSERT_EQ(found.ArrayCount(), 4);
    EXPECT_EQ(found.Item(0).AsString(), "Cy");
    EXPECT_EQ(found.Item(1).AsDateTime(), EncodeDate(1980, 3, 3));
    EXPECT_EQ(found.Item(2).AsString(), "O'Brien");
    EXPECT_TRUE(found.Item(3).AsBoolean());
    EXPECT_THROW(found.Item(4), EConvertError);
    EXPECT_THROW(found.AsString(), EConvertError);  // an array is no single value

    EXPECT_TRUE(t->Lookup("ID", {42}, "FIRST;LAST").IsNull());
    EXPECT_THROW(t->Lookup("ID", {3}, "FIRST;NOSUCH"), EDatabaseError);
}

TEST_F(FilterAndLocate, FilterTextShowsOnlyMatchingRecords) {
    t->SetFilter("ID > 2");
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 4, 5}));  // not filtered yet
    t->SetFiltered(true);
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{3, 4, 5}));
    t->SetFilter("ACTIVE");
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 3, 4}));
    // A malformed filter is refused and the one before stays in force.
    EXPECT_THROW(t->SetFilter("ID >"), EDBEngineError);
    EXPECT_EQ(t->Filter(), "ACTIVE");
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 3, 4}));
    // A locate searches within the filter and leaves it in force.
    EXPECT_FALSE(t->Locate("ID", 2, {}));
    EXPECT_TRUE(t->Locate("LAST", "Smith", {}));
    EXPECT_EQ(Id(), 4);
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 3, 4}));

    // Both kinds of filter together.
    t->OnFilterRecord = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("ID")->AsInteger() != 3; };
    t->SetFiltered(false);
    t->SetFiltered(true);
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 4}));
    t->SetFiltered(false);
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 4, 5}));

    // A filtered table opens filtered.
    t->Close();
    t->OnFilterRecord = nullptr;
    t->SetFilter("LAST = 'Smith'");
    t->SetFiltered(true);
    t->Open();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 4}));
}

TEST_F(FilterAndLocate, WithoutPartialCompareAFilteredTextMatchesOnlyTheWholeField) {
    struct Case {
        const char* filter;
        bool noPartialCompare;
        std::vector<int> ids;
    } cases[] = {
        {"LAST = 'Sm'", false, {1, 2, 4}},
        {"LAST = 'Sm'", true, {}},
        {"LAST = 'Smith'", true, {2, 4}},  // the field's trailing blanks aside
        {"LAST = 'Smith'", false, {1, 2, 4}},
        {"LAST = 'Smith' .and. ACTIVE", true, {4}},
    };
    t->SetFiltered(true);
    for (const Case& c : cases) {
        // Changing only the options puts the filter in again.
        t->SetFilter(c.filter);
        t->SetFilterOptions(c.noPartialCompare ? TFilterOptions{foNoPartialCompare} : TFilterOptions{});
        t->First();
        EXPECT_EQ(IdsToEnd(t), c.ids) << c.filter << " " << c.noPartialCompare;
    }
    // A locate within a whole-text filter keeps it whole afterwards.
    t->SetFilter("LAST = 'Smith'");
    t->SetFilterOptions({foNoPartialCompare});
    EXPECT_TRUE(t->Locate("ACTIVE", true, {}));
    EXPECT_EQ(Id(), 4);
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{2, 4}));
    // The engine's own compare stays partial for every other expression.
    EXPECT_EQ(xb_SysProp(XB_SP_EXACT, 0), 0);
}

TEST_F(FilterAndLocate, ValuesAsVariants) {
    t->Locate("ID", 3, {});
    EXPECT_EQ(t->FieldByName("ID")->Value(), Variant(3.0));
    EXPECT_EQ(t->FieldByName("LAST")->Value(), Variant("O'Brien"));
    EXPECT_EQ(t->FieldByName("BORN")->Value(), Variant::FromDate(EncodeDate(1980, 3, 3)));
    EXPECT_EQ(t->FieldByName("ACTIVE")->Value(), Variant(true));
    t->Edit();
    t->FieldByName("FIRST")->SetValue(Variant());
    EXPECT_TRUE(t->FieldByName("FIRST")->Value().IsNull());
    t->FieldByName("ID")->SetValue(Variant("30"));
    t->FieldByName("BORN")->SetValue(Variant::FromDate(EncodeDate(2001, 1, 2)));
    t->Post();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 30);
    EXPECT_EQ(t->FieldByName("BORN")->AsDateTime(), EncodeDate(2001, 1, 2));
}

TEST_F(FilterAndLocate, KeySearchesNeedAnIndexOrder) {
    // The table is in natural order: no key fields, so key searches refuse.
    EXPECT_EQ(t->IndexFieldCount(), 0);
    EXPECT_EQ(t->IndexFieldNames(), "");
    auto message = [](auto&& action) {
        try {
            action();
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { t->SetKey(); }), "No index currently active");
    EXPECT_EQ(message([&] { t->FindKey({1}); }), "No index currently active");
    EXPECT_EQ(message([&] { t->SetIndexFieldNames("LAST"); }), "No index for fields 'LAST'");
    EXPECT_EQ(message([&] { t->SetKeyExclusive(true); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(t->State(), dsBrowse);
    t->MoveBy(2);
    t->CancelRange();
    EXPECT_EQ(Id(), 3);
}
