// The lookup-aware datasets on real tables: control-type and lookup lists,
// the lookup pass, key search, the text filter, the record filter event,
// index choice, nearest search and the memo stream.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/Forms.h"
#include "xbase/EngineGlue.h"
#include "xbase/Qmqbe.h"
#include "xbase/Qmquery.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

std::vector<std::string> Lines(const TStrings& List) {
    std::vector<std::string> lines;
    for (int i = 0; i < List.Count(); ++i) lines.push_back(List.Strings(i));
    return lines;
}

void SetLines(TStringList& List, const std::vector<std::string>& Lines) {
    List.Clear();
    for (const std::string& line : Lines) List.Add(line);
}

}  // namespace

class QmTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerEngineGlue();
        xb_CloseAll();
        xb_SetDeleted(XB_ON);
        xb_SetLockTimeout(50);
    }
    void TearDown() override {
        owner_.reset();
        Session()->Close();
        xb_CloseAll();
        xb_SetDeleted(XB_OFF);
    }

    // A table with rows (each the text of every field in order) and tags.
    void MakeTable(const std::string& name, const std::vector<FieldSpec>& columns,
                   const std::vector<std::vector<std::string>>& rows, const std::vector<TagSpec>& tags) {
        const std::string path = dir.file(name);
        ASSERT_EQ(CreateTable(path, columns), "");
        ASSERT_EQ(FillTable(path, rows), "");
        ASSERT_EQ(TagTable(path, tags), "");
    }

    // Six people; Baker twice (records 2 and 6). Tags NAME, ID and
    // KINDNAME (fields KIND;NAME).
    void MakePeople() {
        MakeTable("people.dbf",
                  {{"ID", "N", 6, 0}, {"NAME", "C", 10, 0}, {"KIND", "C", 4, 0}, {"NOTES", "M", 10, 0}},
                  {{"1", "Adams", "A", "first"},
                   {"2", "Baker", "B", ""},
                   {"3", "Clark", "A", ""},
                   {"4", "Davis", "C", ""},
                   {"5", "Evans", "B", ""},
                   {"6", "Baker", "C", ""}},
                  {{"NAME", "upper(NAME)"}, {"ID", "id"}, {"KINDNAME", "kind + upper(name)"}});
    }

    // The people without the memo, in record order: any driver opens it.
    void MakePlainPeople() {
        MakeTable("plain.dbf", {{"ID", "N", 6, 0}, {"NAME", "C", 10, 0}, {"KIND", "C", 4, 0}},
                  {{"1", "Adams", "A"},
                   {"2", "Baker", "B"},
                   {"3", "Clark", "A"},
                   {"4", "Davis", "C"},
                   {"5", "Evans", "B"},
                   {"6", "Baker", "C"}},
                  {});
    }

    TComponent* Owner() {
        if (!owner_) owner_ = std::make_unique<TComponent>(nullptr);
        return owner_.get();
    }

    TQmTable* Table(const std::string& file, const std::string& indexName, bool open = true,
                    TTableType type = ttSXNSX) {
        auto* table = new TQmTable(Owner());
        table->SetDatabaseName(dir.path());
        table->SetTableName(file);
        table->SetTableType(type);
        table->SetIndexName(indexName);
        if (open) table->Open();
        return table;
    }

    static std::string Name(TDataSet* ds) { return ds->FieldByName("NAME")->AsString(); }
    static int Id(TDataSet* ds) { return ds->FieldByName("ID")->AsInteger(); }

    static std::vector<int> AllIds(TDataSet* ds) {
        std::vector<int> ids;
        for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(Id(ds));
        return ids;
    }

    // Stands on the record with that ID.
    static void GoToId(TDataSet* ds, int id) {
        for (ds->First(); !ds->Eof(); ds->Next())
            if (Id(ds) == id) return;
        FAIL() << "no record " << id;
    }

    TempDir dir;

private:
    std::unique_ptr<TComponent> owner_;
};

// ---------------------------------------------------------------------------
// Lists and their upkeep

TEST_F(QmTableTest, ListSettersCopyTheLines) {
    TQmTable* table = Table("people.dbf", "", false);
    TStringList given;
    SetLines(given, {"TAX;CheckBox;True;False"});
    table->SetControlType(&given);
    table->SetqmFilter(&given);
    given.Add("changed later");
    EXPECT_EQ(Lines(*table->ControlType()), std::vector<std::string>{"TAX;CheckBox;True;False"});
    EXPECT_EQ(Lines(*table->qmFilter()), std::vector<std::string>{"TAX;CheckBox;True;False"});
    EXPECT_TRUE(table->SyncSQLByRange());
    EXPECT_FALSE(table->NarrowSearch());
}

TEST_F(QmTableTest, ControlTypeLinesOfMissingFieldsArePurgedKeepingTrailingEmptyItems) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME", false);
    // The data module's lines: an empty combo name keeps its trailing ";".
    std::vector<std::string> lines = {"NAME;LookupCombo;", "KIND;LookupCombo;KindCombo", "TAX;CheckBox;True;False",
                                      "ID;CheckBox;1;0"};
    SetLines(*table->ControlType(), lines);
    // Closed with default fields: nothing can be judged, nothing goes.
    table->PurgeMissingFieldEntries();
    EXPECT_EQ(Lines(*table->ControlType()), lines);

    table->Open();
    table->PurgeMissingFieldEntries();
    EXPECT_EQ(Lines(*table->ControlType()),
              (std::vector<std::string>{"NAME;LookupCombo;", "KIND;LookupCombo;KindCombo", "ID;CheckBox;1;0"}));
    EXPECT_EQ(Qmqbe::GetDataSetControlType(table), table->ControlType());

    // With persistent fields and a calculated one, every calculated-fields
    // pass purges: KIND left the dataset, the rest reads as stored.
    table->Close();
    auto* id = new TFloatField(table);
    id->SetFieldName("ID");
    id->SetDataSet(table);
    auto* name = new TStringField(table);
    name->SetFieldName("NAME");
    name->SetDataSet(table);
    auto* shown = new TStringField(table);
    shown->SetFieldName("SHOWN");
    shown->SetFieldKind(fkCalculated);
    shown->SetDataSet(table);
    int passes = 0;
    table->OnCalcFields = [&](TDataSet*) { ++passes; };
    table->Open();
    EXPECT_EQ(Lines(*table->ControlType()), (std::vector<std::string>{"NAME;LookupCombo;", "ID;CheckBox;1;0"}));
    EXPECT_EQ(AllIds(table), (std::vector<int>{1, 2, 6, 3, 4, 5}));
    EXPECT_GT(passes, 0);
}

TEST_F(QmTableTest, MissingComboControlsGoOnlyAtDesignTime) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME");
    auto* combo = new TComponent(Owner());
    combo->SetName("KindCombo");
    std::vector<std::string> lines = {"NAME;LookupCombo;", "KIND;LookupCombo;kindcombo", "ID;Combo;IdCombo",
                                      "ID;CheckBox;1;0", "NAME;LookupCombo"};
    SetLines(*table->ControlType(), lines);

    Qmqbe::RemoveMissingComboControls(table);
    EXPECT_EQ(Lines(*table->ControlType()), lines);

    Owner()->SetDesigning(true, false);
    Qmqbe::RemoveMissingComboControls(table);
    Owner()->SetDesigning(false, false);
    EXPECT_EQ(Lines(*table->ControlType()),
              (std::vector<std::string>{"KIND;LookupCombo;kindcombo", "ID;CheckBox;1;0", "NAME;LookupCombo"}));
}

TEST_F(QmTableTest, DataSourceFollowsTheTable) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME");
    TQmDataSource source(nullptr);
    std::vector<std::string> names;
    source.OnDataChange = [&](TObject*, TField*) { names.push_back(Name(table)); };
    source.SetDataSet(table);
    EXPECT_EQ(names, std::vector<std::string>{"Adams"});
    table->Next();
    EXPECT_EQ(names, (std::vector<std::string>{"Adams", "Baker"}));
    EXPECT_EQ(source.State(), dsBrowse);
}

TEST_F(QmTableTest, DataSetKindsAndTheirLists) {
    TQmTable table(nullptr);
    TQmQuery query(nullptr);
    TQmQBE qbe(nullptr);
    TTable plain(nullptr);
    EXPECT_TRUE(Qmqbe::IsQmDataSet(&table));
    EXPECT_TRUE(Qmqbe::IsQmDataSet(&query));
    EXPECT_TRUE(Qmqbe::IsQmDataSet(&qbe));
    EXPECT_FALSE(Qmqbe::IsQmDataSet(&plain));
    EXPECT_EQ(Qmqbe::GetDataSetLookupFields(&query), query.LookupFields());
    EXPECT_EQ(Qmqbe::GetDataSetLookupLinks(&qbe), qbe.LookupLinks());
    EXPECT_EQ(Qmqbe::GetDataSetControlType(&plain), nullptr);
    EXPECT_TRUE(Qmqbe::IsPaintCopyState({csFocusing, csPaintCopy}));
    EXPECT_FALSE(Qmqbe::IsPaintCopyState({csFocusing, csCustomPaint}));

    SetLines(*table.LookupFields(), {"CUSTNAME;db;cust.dbf;NAME;CUSTID", "CITY;db;cust.dbf;CITY;CUSTID"});
    SetLines(*table.LookupLinks(), {"CUSTID;CUSTID", "CUSTID;ID"});
    struct Case {
        const char* field;
        const char* links;
        const char* item4;
    } cases[] = {{"CUSTNAME", "CUSTID;CUSTID", "NAME"}, {"CITY", "CUSTID;ID", "CITY"}, {"city", "", ""}, {"X", "", ""}};
    for (const Case& c : cases) {
        std::string links = "?", item4 = "?";
        Qmqbe::GetFieldLookupLinks(&table, c.field, links);
        Qmqbe::GetFieldLookupItem4(&table, c.field, item4);
        EXPECT_EQ(links, c.links) << c.field;
        EXPECT_EQ(item4, c.item4) << c.field;
    }
}

TEST_F(QmTableTest, QueriesFailToOpenAfterTheEngineReportsTheMissingCall) {
    TQmQuery query(nullptr);
    TQmQBE qbe(nullptr);
    query.SetDatabaseName(dir.path());
    qbe.SetDatabaseName(dir.path());
    TStringList sql;
    sql.Add("select * from people");
    query.SetSQL(&sql);
    for (TDataSet* ds : std::vector<TDataSet*>{&query, &qbe}) {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_THROW(ds->Open(), EDatabaseError);
        EXPECT_FALSE(ds->Active());
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "This DBI function not supported in xBase driver: DbiQAlloc");
    }
}

// ---------------------------------------------------------------------------
// Lookup fields

class QmLookupTest : public QmTableTest {
protected:
    // Orders with a customer number; customers with a name, keyed by number.
    void SetUp() override {
        QmTableTest::SetUp();
        MakeTable("cust.dbf", {{"CUSTID", "C", 4, 0}, {"NAME", "C", 10, 0}},
                  {{"C1", "Ann"}, {"C2", "Bob"}}, {{"CUSTID", "custid"}});
        MakeTable("orders.dbf", {{"ID", "N", 6, 0}, {"CUSTID", "C", 4, 0}},
                  {{"1", "C2"}, {"2", "C9"}, {"3", "C1"}}, {});
    }

    // The orders with data fields ID and CUSTID and the calculated fields named.
    TQmTable* Orders(const std::vector<std::string>& calculated) {
        TQmTable* orders = Table("orders.dbf", "", false);
        for (const char* name : {"ID", "CUSTID"}) {
            TField* field = name[0] == 'I' ? static_cast<TField*>(new TFloatField(orders)) : new TStringField(orders);
            field->SetFieldName(name);
            if (name[0] == 'C') field->SetSize(4);
            field->SetDataSet(orders);
        }
        for (const std::string& name : calculated) {
            auto* field = new TStringField(orders);
            field->SetFieldName(name);
            field->SetSize(10);
            field->SetFieldKind(fkCalculated);
            field->SetDataSet(orders);
        }
        return orders;
    }

    static std::vector<std::string> Column(TDataSet* ds, const std::string& field) {
        std::vector<std::string> texts;
        for (ds->First(); !ds->Eof(); ds->Next()) texts.push_back(ds->FieldByName(field)->AsString());
        return texts;
    }
};

TEST_F(QmLookupTest, LookupFieldsShowTheLinkedRecordOrNothing) {
    std::string db = dir.path();
    std::string sevenPairs;
    for (int i = 0; i < 7; ++i) sevenPairs += std::string(i ? ";" : "") + "CUSTID;CUSTID";
    struct Case {
        const char* what;
        std::vector<std::string> fields;
        std::vector<std::string> links;
        std::vector<std::string> calculated;
        const char* shown;
        std::vector<std::string> texts;
    } cases[] = {
        {"one pair",
         {"CUSTNAME;" + db + ";cust.dbf;NAME;CUSTID"}, {"CUSTID;CUSTID"}, {"CUSTNAME"}, "CUSTNAME",
         {"Bob", "", "Ann"}},
        {"two fields share one lookup table and link line",
         {"CUSTNAME;" + db + ";cust.dbf;NAME;CUSTID", "CUSTKEY;" + db + ";cust.dbf;CUSTID;CUSTID"},
         {"CUSTID;CUSTID", "CUSTID;CUSTID"}, {"CUSTNAME", "CUSTKEY"}, "CUSTKEY", {"C2", "", "C1"}},
        {"link items may name their table",
         {"CUSTNAME;" + db + ";cust.dbf;NAME;CUSTID"}, {"orders.CUSTID;cust.CUSTID"}, {"CUSTNAME"}, "CUSTNAME",
         {"Bob", "", "Ann"}},
        {"seven pairs run no search",
         {"CUSTNAME;" + db + ";cust.dbf;NAME;CUSTID"}, {sevenPairs}, {"CUSTNAME"}, "CUSTNAME", {"", "", ""}},
    };
    for (const Case& c : cases) {
        TQmTable* orders = Orders(c.calculated);
        SetLines(*orders->LookupFields(), c.fields);
        SetLines(*orders->LookupLinks(), c.links);
        orders->Open();
        EXPECT_EQ(Column(orders, c.shown), c.texts) << c.what;
        EXPECT_TRUE(orders->FieldByName(c.shown)->Visible()) << c.what;
    }
}

TEST_F(QmLookupTest, MissingMasterFieldHidesTheLookupFieldAndAbsentFieldsArePurged) {
    std::string db = dir.path();
    TQmTable* orders = Orders({"CUSTNAME"});
    SetLines(*orders->LookupFields(), {"GONE;" + db + ";cust.dbf;NAME;CUSTID", "CUSTNAME;" + db + ";cust.dbf;NAME;CUSTID"});
    SetLines(*orders->LookupLinks(), {"CUSTID;CUSTID", "NOSUCH;CUSTID"});
    orders->Open();
    // The GONE line left with its link line; the other lost its master field.
    EXPECT_EQ(Lines(*orders->LookupFields()), std::vector<std::string>{"CUSTNAME;" + db + ";cust.dbf;NAME;CUSTID"});
    EXPECT_EQ(Lines(*orders->LookupLinks()), std::vector<std::string>{"NOSUCH;CUSTID"});
    EXPECT_FALSE(orders->FieldByName("CUSTNAME")->Visible());
    EXPECT_EQ(Column(orders, "CUSTNAME"), (std::vector<std::string>{"", "", ""}));
}

TEST_F(QmLookupTest, LocateLookupRecordPositionsTheLookupTable) {
    std::string db = dir.path();
    TQmTable* orders = Orders({"CUSTNAME"});
    SetLines(*orders->LookupFields(), {"CUSTNAME;" + db + ";CUST;NAME;CUSTID"});
    SetLines(*orders->LookupLinks(), {"CUSTID;CUSTID"});
    orders->Open();
    TQmTable* cust = Table("cust.dbf", "");
    struct Case {
        int order;
        const char* field;
        bool found;
        const char* name;
    } cases[] = {{1, "custname", true, "Bob"}, {3, "CUSTNAME", true, "Ann"}, {2, "CUSTNAME", false, nullptr},
                 {1, "OTHER", false, nullptr}};
    for (const Case& c : cases) {
        GoToId(orders, c.order);
        EXPECT_EQ(Qmqbe::LocateLookupRecord(orders, c.field, cust), c.found) << c.order << c.field;
        if (c.found) {
            EXPECT_EQ(Name(cust), c.name);
            EXPECT_TRUE(SameText(cust->IndexName(), "CUSTID"));
        }
    }

    // A line naming no index: the one whose fields are the lookup side of the links.
    SetLines(*orders->LookupFields(), {"CUSTNAME;" + db + ";cust.dbf;NAME;"});
    SetLines(*orders->LookupLinks(), {"CUSTID;cust.CUSTID"});
    cust->SetIndexName("");
    GoToId(orders, 3);
    EXPECT_TRUE(Qmqbe::LocateLookupRecord(orders, "CUSTNAME", cust));
    EXPECT_TRUE(SameText(cust->IndexName(), "CUSTID"));
    EXPECT_EQ(Name(cust), "Ann");
}

// ---------------------------------------------------------------------------
// Key search

TEST_F(QmTableTest, FindKeyStaysOnAMatchingRecordAndSearchesOtherwise) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME");
    struct Case {
        int from;
        std::vector<Variant> values;
        bool found;
        int at;
    } cases[] = {
        {6, {"baker"}, true, 6},          // already there (other case): no move to record 2
        {1, {"baker"}, true, 2},          // the first Baker in key order
        {1, {"Ad"}, false, 1},            // a text key is whole, not a prefix
        {4, {"Nobody"}, false, 4},        // a miss leaves the table where it was
    };
    for (const Case& c : cases) {
        GoToId(table, c.from);
        EXPECT_EQ(table->FindKey(c.values), c.found) << c.values[0].AsString();
        EXPECT_EQ(Id(table), c.at) << c.values[0].AsString();
    }

    // Several values on a two-field index; numbers and Booleans as text.
    table->SetIndexName("KINDNAME");
    GoToId(table, 3);
    EXPECT_TRUE(table->FindKey({"B", "evans"}));
    EXPECT_EQ(Id(table), 5);
    EXPECT_TRUE(table->CurrentRecordMatches({"B", "evans"}));
    EXPECT_FALSE(table->CurrentRecordMatches({"B", "Baker"}));
    table->SetIndexName("ID");
    EXPECT_TRUE(table->FindKey({4}));
    EXPECT_EQ(Name(table), "Davis");
}

TEST_F(QmTableTest, FindKeyRefusesMoreValuesThanIndexFieldsAndTablesWithoutIndex) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME");
    GoToId(table, 4);
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(table->FindKey({"Davis", "x"}));
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "Table people.dbf: FindKey has too many lookup values for index NAME");
        EXPECT_EQ(script.Shown()[0].Caption, "Warning");
    }
    EXPECT_EQ(Id(table), 4);
    table->SetIndexName("");
    TDialogScript silent;
    EXPECT_FALSE(table->FindKey({"Davis"}));
    EXPECT_TRUE(silent.Shown().empty());
}

// ---------------------------------------------------------------------------
// Text filter and record filter

TEST_F(QmTableTest, FilterLinesJoinWithAnd) {
    TQmTable table(nullptr);
    struct Case {
        std::vector<std::string> lines;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{"A", "", "B \t"}, "A AND (B)"},
        {{"  ", "kind = 'A'", "id > 1", "id < 9"}, "kind = 'A' AND (id > 1) AND (id < 9)"},
    };
    for (const Case& c : cases) {
        SetLines(*table.qmFilter(), c.lines);
        EXPECT_EQ(table.qmFilterText(), c.text);
    }
}

TEST_F(QmTableTest, FilterTextLimitsTheTableWhetherSetBeforeOrAfterOpening) {
    MakePlainPeople();
    TStringList filter;
    struct Case {
        TTableType type;
        std::vector<std::string> lines;
    } cases[] = {
        // Each line stands whole: the OR of the first does not swallow the second.
        {ttSXNSX, {"kind = 'A' .or. kind = 'B'", "id > 1  "}},
        // Other table types take the portable grammar, turned into an xBase condition.
        {ttDBase, {"KIND = 'A' OR kind = \"B\"", "ID > 1"}},
    };
    for (const Case& c : cases) {
        TDialogScript silent;
        SetLines(filter, c.lines);
        TQmTable* before = Table("plain.dbf", "", false, c.type);
        before->SetqmFilter(&filter);
        before->Open();
        EXPECT_EQ(AllIds(before), (std::vector<int>{2, 3, 5})) << c.type;

        TQmTable* after = Table("plain.dbf", "", true, c.type);
        EXPECT_EQ(AllIds(after), (std::vector<int>{1, 2, 3, 4, 5, 6}));
        after->SetqmFilter(&filter);
        EXPECT_EQ(AllIds(after), (std::vector<int>{2, 3, 5})) << c.type;
        // Cleared lines show every record again.
        TStringList none;
        after->SetqmFilter(&none);
        EXPECT_EQ(AllIds(after).size(), 6u);
        EXPECT_TRUE(silent.Shown().empty());
    }
}

TEST_F(QmTableTest, RefusedFilterWarnsAndLeavesTheTableUnfiltered) {
    MakePlainPeople();
    struct Case {
        TTableType type;
        const char* line;
        const char* reason;  // shown first by the parser of the portable grammar
    } cases[] = {{ttSXNSX, "kind = ", nullptr},
                 {ttSXNSX, "nosuch > 1", nullptr},
                 {ttDBase, "NOSUCH = 1", "Field not found in Table. "},
                 {ttDBase, "ID >", "Invalid filter text"}};
    for (const Case& c : cases) {
        TQmTable* table = Table("plain.dbf", "", true, c.type);
        TStringList good, bad;
        good.Add("id > 4");
        bad.Add(c.line);
        table->SetqmFilter(&good);
        ASSERT_EQ(AllIds(table), (std::vector<int>{5, 6}));
        TDialogScript script;
        script.Answer(mrOk).Answer(mrOk);
        table->SetqmFilter(&bad);
        std::vector<std::string> shown;
        for (const TDialogRequest& r : script.Shown()) shown.push_back(r.Text);
        std::vector<std::string> expected;
        if (c.reason) expected.push_back(c.reason);
        expected.push_back("Fail to set filter");
        EXPECT_EQ(shown, expected) << c.line;
        EXPECT_EQ(AllIds(table).size(), 6u) << c.line;

        // Refused while opening: the same warnings, and the table opens unfiltered.
        TQmTable* opening = Table("plain.dbf", "", false, c.type);
        opening->SetqmFilter(&bad);
        size_t before = script.Shown().size();
        script.Answer(mrOk).Answer(mrOk);
        opening->Open();
        ASSERT_EQ(script.Shown().size(), before + expected.size()) << c.line;
        EXPECT_EQ(script.Shown().back().Text, "Fail to set filter") << c.line;
        EXPECT_EQ(AllIds(opening).size(), 6u) << c.line;
    }
}

TEST_F(QmTableTest, OnFilterDecidesPerRecordUntilCleared) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME");
    std::vector<int> seen;
    table->SetOnFilter([&](TQmTable* t, bool& accept) {
        seen.push_back(t->FieldByName("ID")->AsInteger());
        accept = t->FieldByName("KIND")->AsString() != "A";
    });
    table->Refresh();
    EXPECT_EQ(AllIds(table), (std::vector<int>{2, 6, 4, 5}));
    EXPECT_FALSE(seen.empty());
    // The table's own state is untouched by the handler's reads.
    EXPECT_EQ(table->State(), dsBrowse);

    table->SetOnFilter(nullptr);
    EXPECT_EQ(AllIds(table), (std::vector<int>{1, 2, 6, 3, 4, 5}));

    // Assigned before opening, it is in force from the first record.
    TQmTable* other = Table("people.dbf", "ID", false);
    other->SetOnFilter([](TQmTable* t, bool& accept) { accept = t->FieldByName("ID")->AsInteger() % 2 == 0; });
    other->Open();
    EXPECT_EQ(AllIds(other), (std::vector<int>{2, 4, 6}));
}

// ---------------------------------------------------------------------------
// Index choice, nearest search and field texts

TEST_F(QmTableTest, SelectIndexByFieldsKeepsTheRecord) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "ID");
    GoToId(table, 5);
    struct Case {
        const char* what;
        std::function<bool()> select;
        bool found;
        const char* index;
    } cases[] = {
        {"first field of the first line", [&] {
             TStringList selected;
             selected.Add("name\t10\tName");
             selected.Add("ID\t5\tNo.");
             return Qmtable::SelectIndexForFirstField(table, selected);
         }, true, "NAME"},
        {"no lines", [&] { return Qmtable::SelectIndexForFirstField(table, TStringList()); }, false, "NAME"},
        {"whole leading items", [&] { return Qmtable::SelectIndexForFields(table, "kind;NAME"); }, true, "KINDNAME"},
        {"a prefix of the fields", [&] { return Qmtable::SelectIndexForFields(table, "KIND"); }, true, "KINDNAME"},
        {"an item is not a field prefix", [&] { return Qmtable::SelectIndexForFields(table, "KIN"); }, false,
         "KINDNAME"},
        {"no index begins with it", [&] { return Qmtable::SelectIndexForFields(table, "NAME;KIND"); }, false,
         "KINDNAME"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.select(), c.found) << c.what;
        EXPECT_TRUE(SameText(table->IndexName(), c.index)) << c.what << ": " << table->IndexName();
        EXPECT_EQ(Id(table), 5) << c.what;
    }
}

TEST_F(QmTableTest, FindNearestMovesByKeyAndTellsWhetherTheTextMatches) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "KINDNAME");
    struct Case {
        int from;
        const char* text;
        int position;
        bool matches;
        int at;
    } cases[] = {
        {1, "B", 0, true, 2},    // kind B, its first name
        {2, "ev", 1, true, 5},   // within the current kind B; the key is upper-cased
        {2, "C", 1, false, 5},   // nearest in kind B after "C" is Evans
        {3, "DA", 1, false, 2},  // nothing in kind A from "DA": on to kind B
        {1, "x", 5, false, 1},   // no such index field: no move
    };
    for (const Case& c : cases) {
        GoToId(table, c.from);
        EXPECT_EQ(Qmtable::FindNearest(table, c.text, c.position), c.matches) << c.text;
        EXPECT_EQ(Id(table), c.at) << c.text;
    }

    // A text that does not suit the index field's type does not move.
    table->SetIndexName("ID");
    GoToId(table, 3);
    EXPECT_FALSE(Qmtable::FindNearest(table, "1.2.3", 0));
    EXPECT_EQ(Id(table), 3);
    EXPECT_TRUE(Qmtable::FindNearest(table, "4", 0));
    EXPECT_EQ(Id(table), 4);

    // Without an index: a warning, no move.
    table->SetIndexName("");
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_FALSE(Qmtable::FindNearest(table, "4", 0));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Table people.dbf: Table index not found");
    EXPECT_EQ(Id(table), 4);

    // Only the lookup-aware table takes part.
    TTable plain(nullptr);
    EXPECT_FALSE(Qmtable::FindNearest(&plain, "4", 0));
}

TEST_F(QmTableTest, NarrowSearchHoldsTheTableToKeysBeginningWithTheText) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "NAME", false);
    table->SetNarrowSearch(true);
    table->Open();
    EXPECT_TRUE(Qmtable::FindNearest(table, "ba", 0));
    EXPECT_EQ(AllIds(table), (std::vector<int>{2, 6}));
    // A key search first lets go of the narrowing.
    EXPECT_TRUE(table->FindKey({"Evans"}));
    EXPECT_EQ(AllIds(table).size(), 6u);
    EXPECT_TRUE(Qmtable::FindNearest(table, "c", 0));
    EXPECT_EQ(AllIds(table), (std::vector<int>{3}));
    EXPECT_TRUE(Qmtable::FindNearest(table, "", 0));
    EXPECT_EQ(AllIds(table).size(), 6u);
}

TEST_F(QmTableTest, FieldTextChecksAndCompares) {
    MakeTable("kinds.dbf", {{"SMALL", "N", 3, 0}, {"AMOUNT", "N", 8, 2}, {"BORN", "D", 8, 0}, {"NAME", "C", 10, 0}},
              {{"12", "3.50", "20030105", "Smith"}}, {});
    TQmTable* table = Table("kinds.dbf", "");
    struct Case {
        const char* field;
        const char* text;
        bool valid;
    } cases[] = {
        {"SMALL", "-5", true},   {"SMALL", "1.5", false},      {"SMALL", "", true},
        {"AMOUNT", "1.5", true}, {"AMOUNT", "1.2.3", false},   {"AMOUNT", "x", false},
        {"BORN", "2/29/2000", true}, {"BORN", "2/30/1999", false}, {"NAME", "1.2.3", true},
    };
    std::string savedFormat = ShortDateFormat;
    char savedSeparator = DateSeparator;
    ShortDateFormat = "M/d/yyyy";
    DateSeparator = '/';
    for (const Case& c : cases)
        EXPECT_EQ(Qmqbe::IsValidFieldText(table->FieldByName(c.field), c.text), c.valid) << c.field << " " << c.text;
    ShortDateFormat = savedFormat;
    DateSeparator = savedSeparator;

    struct Compare {
        const char* value;
        bool exact;
        bool equal;
    } compares[] = {{"Smith", true, true}, {"SMITH", true, false}, {"SMITH", false, true}, {"Smit", false, false}};
    for (const Compare& c : compares)
        EXPECT_EQ(Qmtable::CompareFieldText(table, "NAME", c.value, c.exact), c.equal) << c.value;
    EXPECT_FALSE(Qmtable::CompareFieldText(table, "NOSUCH", "", false));
}

TEST_F(QmTableTest, SelectedFieldsSetVisibilityOrderWidthAndTitle) {
    MakePeople();
    TQmTable* table = Table("people.dbf", "");
    TStringList selected;
    SetLines(selected, {"name\t20\tPatient", "NOSUCH\t5\tGone", "id\t6\tNo."});
    Qmqbe::ApplySelectedFields(table, selected);
    struct Case {
        const char* field;
        bool visible;
        int index;
        int width;
        const char* label;
    } cases[] = {{"NAME", true, 0, 20, "Patient"}, {"ID", true, 2, 6, "No."}, {"KIND", false, -1, 0, nullptr},
                 {"NOTES", false, -1, 0, nullptr}};
    for (const Case& c : cases) {
        TField* field = table->FieldByName(c.field);
        EXPECT_EQ(field->Visible(), c.visible) << c.field;
        if (!c.visible) continue;
        EXPECT_EQ(field->Index(), c.index) << c.field;
        EXPECT_EQ(field->DisplayWidth(), c.width) << c.field;
        EXPECT_EQ(field->DisplayLabel(), c.label) << c.field;
    }
    EXPECT_FALSE(table->ControlsDisabled());

    SetLines(selected, {"NAME\twide\tName"});
    EXPECT_THROW(Qmqbe::ApplySelectedFields(table, selected), EConvertError);
    SetLines(selected, {"NAME\t10"});
    EXPECT_THROW(Qmqbe::ApplySelectedFields(table, selected), Exception);
    EXPECT_FALSE(table->ControlsDisabled());
}

TEST_F(QmTableTest, TableKinds) {
    struct Case {
        TTableType type;
        const char* name;
        bool dBase;
        bool paradox;
    } cases[] = {
        {ttSXNSX, "PEOPLE.DBF", true, false}, {ttSXNSX, "people", false, false}, {ttDBase, "people", true, false},
        {ttDefault, "people.db", false, true}, {ttDefault, "people.dbf", true, false},
        {ttParadox, "people", false, true},    {ttSXNSX, "people.db", false, false},
    };
    for (const Case& c : cases) {
        TQmTable table(nullptr);
        table.SetTableType(c.type);
        table.SetTableName(c.name);
        EXPECT_EQ(table.IsDBaseTable(), c.dBase) << c.name;
        EXPECT_EQ(table.IsParadoxTable(), c.paradox) << c.name;
    }
}

// ---------------------------------------------------------------------------
// Memo stream

TEST_F(QmTableTest, MemoStreamReadsTheCurrentRecordsMemoInPieces) {
    std::string longText(40000, 'x');
    longText[32767] = 'y';
    MakeTable("memo.dbf", {{"ID", "N", 4, 0}, {"NOTES", "M", 10, 0}},
              {{"1", "short note"}, {"2", ""}, {"3", longText}}, {});
    TQmTable* table = Table("memo.dbf", "");
    struct Case {
        int id;
        int64_t chunk;
        std::string text;
    } cases[] = {{1, 4, "short note"}, {2, 10, ""}, {3, 100000, longText}, {3, 255, longText.substr(0, 255)}};
    for (const Case& c : cases) {
        GoToId(table, c.id);
        TQmMemoStream stream(table->FieldByName("NOTES"));
        std::string read;
        std::vector<char> buffer(static_cast<size_t>(c.chunk));
        for (;;) {
            int64_t n = stream.Read(buffer.data(), c.chunk);
            read.append(buffer.data(), static_cast<size_t>(n));
            if (n < c.chunk || c.chunk == 255) break;
        }
        EXPECT_EQ(read, c.text) << c.id << " by " << c.chunk;
        EXPECT_EQ(stream.Position(), static_cast<int64_t>(read.size()));
    }
    GoToId(table, 1);
    TQmMemoStream stream(table->FieldByName("NOTES"));
    EXPECT_THROW(stream.Write("x", 1), EStreamError);
    EXPECT_THROW(stream.SetPosition(0), EStreamError);
}
