// The engine components on real tables: seeks, scopes, filters, counts,
// moves and table creation through TXbase, the process-wide settings of
// TXbaseEnv, and the table with its own engine component.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/SysUtils.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "xbase/EngineGlue.h"
#include "xbase/FTS32.h"
#include "xbase/Xbase.h"
#include "xbase/Xbtable.h"
#include "xbengine/XbEngine.h"

namespace {

// The engine settings a test may change, put back afterwards.
int (*const engineSettings[])(int) = {xb_SetExact, xb_SetSoftSeek,   xb_SetDeleted,     xb_SetCentury,
                                      xb_SetEpoch, xb_SetDateFormat, xb_SetLockTimeout, xb_SetMemoBlockSize};

// Follows a dataset with a window of several buffered records, as a grid does.
class GridLink : public TDataLink {
public:
    std::vector<std::string> Rows() {
        std::vector<std::string> names;
        int saved = ActiveRecord();
        for (int i = 0; i < RecordCount(); ++i) {
            SetActiveRecord(i);
            names.push_back(DataSet()->FieldByName("NAME")->AsString());
        }
        SetActiveRecord(saved);
        return names;
    }
    std::string ActiveName() { return DataSet()->FieldByName("NAME")->AsString(); }
};

int OpenAreaCount() {
    int count = 0;
    for (int area = 1; area <= 255; ++area)
        if (*xb_Alias(area) != '\0') ++count;
    return count;
}

}  // namespace

class XbaseComponents : public ::testing::Test {
protected:
    void SetUp() override {
        registerEngineGlue();
        xb_CloseAll();
        for (auto setting : engineSettings) {
            int value = setting(0);
            setting(value);
            savedSettings_.push_back(value);
        }
        // As the program runs: deleted records hidden, short lock waits.
        xb_SetDeleted(XB_ON);
        xb_SetLockTimeout(50);
        savedDateFormat_ = ShortDateFormat;
        savedSeparator_ = DateSeparator;
    }
    void TearDown() override {
        owner_.reset();
        Session()->Close();
        xb_CloseAll();
        for (size_t i = 0; i < savedSettings_.size(); ++i) engineSettings[i](savedSettings_[i]);
        ShortDateFormat = savedDateFormat_;
        DateSeparator = savedSeparator_;
    }

    // Makes a table with rows (each the text of every field in order) and tags.
    void MakeTable(const std::string& name, const std::vector<FieldSpec>& columns,
                   const std::vector<std::vector<std::string>>& rows, const std::vector<TagSpec>& tags) {
        const std::string path = dir.file(name);
        ASSERT_EQ(CreateTable(path, columns), "");
        ASSERT_EQ(FillTable(path, rows), "");
        ASSERT_EQ(TagTable(path, tags), "");
    }

    // Six people in three kinds; tags NAME (1), ID (2), KIND (3).
    void MakePeople(const std::string& name = "people.dbf") {
        MakeTable(name, {{"ID", "N", 6, 0}, {"NAME", "C", 10, 0}, {"KIND", "C", 4, 0}},
                  {{"1", "Adams", "A"},
                   {"2", "Baker", "B"},
                   {"3", "Clark", "A"},
                   {"4", "Davis", "C"},
                   {"5", "Evans", "B"},
                   {"6", "Moore", "A"}},
                  {{"NAME", "upper(NAME)"}, {"ID", "id"}, {"KIND", "kind"}});
    }

    TComponent* Owner() {
        if (!owner_) owner_ = std::make_unique<TComponent>(nullptr);
        return owner_.get();
    }

    struct Bound {
        TTable* table;
        TDataSource* source;
        TXbase* xbase;
    };

    // A table with its data source and engine component, as the data module
    // places them; opened unless told otherwise.
    Bound Bind(const std::string& file, const std::string& indexName, bool open = true) {
        Bound b{new TTable(Owner()), new TDataSource(Owner()), new TXbase(Owner())};
        b.table->SetDatabaseName(dir.path());
        b.table->SetTableName(file);
        b.table->SetTableType(ttSXNSX);
        b.table->SetIndexName(indexName);
        b.source->SetDataSet(b.table);
        b.xbase->SetDataSource(b.source);
        if (open) b.table->Open();
        return b;
    }

    static std::string Name(TDataSet* ds) { return ds->FieldByName("NAME")->AsString(); }

    // The names from the first record to the last.
    static std::vector<std::string> AllNames(TDataSet* ds) {
        std::vector<std::string> names;
        for (ds->First(); !ds->Eof(); ds->Next()) names.push_back(Name(ds));
        return names;
    }

    TempDir dir;

private:
    std::unique_ptr<TComponent> owner_;
    std::vector<int> savedSettings_;
    std::string savedDateFormat_;
    char savedSeparator_ = '/';
};

// ---------------------------------------------------------------------------
// Seek

TEST_F(XbaseComponents, SeekStandsOnTheFoundRecordAndMatchesPrefixes) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    struct Case {
        const char* key;
        const char* name;
    } cases[] = {{"CLARK", "Clark"}, {"DA", "Davis"}, {"ADAMS", "Adams"}, {"MOORE", "Moore"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(b.xbase->Seek(c.key)) << c.key;
        EXPECT_TRUE(b.xbase->Found()) << c.key;
        EXPECT_FALSE(b.xbase->Eof()) << c.key;
        EXPECT_EQ(Name(b.table), c.name) << c.key;
    }
    // A numeric tag reads the key text as a number.
    b.table->SetIndexName("ID");
    EXPECT_TRUE(b.xbase->Seek("4"));
    EXPECT_EQ(Name(b.table), "Davis");
}

TEST_F(XbaseComponents, SeekMissLeavesTheDatasetAtEndOfFileAlsoWithSoftSeek) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    for (int softSeek : {0, 1}) {
        xb_SetSoftSeek(softSeek);
        for (const char* key : {"CARTER", "ZZZ", "A0"}) {
            b.table->First();
            EXPECT_FALSE(b.xbase->Seek(key)) << key << " soft seek " << softSeek;
            EXPECT_TRUE(b.table->Eof()) << key << " soft seek " << softSeek;
            EXPECT_TRUE(b.xbase->Eof());
            EXPECT_FALSE(b.xbase->Found());
        }
    }
}

TEST_F(XbaseComponents, SeekWhileEditingPostsTheEditFirst) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    ASSERT_TRUE(b.xbase->Seek("BAKER"));
    b.table->Edit();
    b.table->FieldByName("NAME")->SetAsString("Brown");
    EXPECT_TRUE(b.xbase->Seek("EVANS"));
    EXPECT_EQ(b.table->State(), dsBrowse);
    ASSERT_TRUE(b.xbase->Seek("BROWN"));
    EXPECT_EQ(b.table->FieldByName("ID")->AsInteger(), 2);

    // A pending insert is posted too.
    b.table->Insert();
    b.table->FieldByName("ID")->SetAsInteger(7);
    b.table->FieldByName("NAME")->SetAsString("Young");
    EXPECT_TRUE(b.xbase->Seek("YOUNG"));
    EXPECT_EQ(b.table->FieldByName("ID")->AsInteger(), 7);
    EXPECT_EQ(b.xbase->RecCount(), 7);
}

// ---------------------------------------------------------------------------
// Scopes and filters

TEST_F(XbaseComponents, ScopeShowsOnlyItsKeysAndEmptyBoundsClearIt) {
    MakePeople();
    Bound b = Bind("people.dbf", "KIND");
    struct Case {
        const char* low;
        const char* high;
        std::vector<std::string> names;  // in KIND order, ties by record number
    } cases[] = {
        {"A", "A", {"Adams", "Clark", "Moore"}},
        {"B", "", {"Baker", "Evans"}},
        {"B", "C", {"Baker", "Evans", "Davis"}},
        {"", "", {"Adams", "Clark", "Moore", "Baker", "Evans", "Davis"}},
        {"X", "X", {}},
    };
    for (const Case& c : cases) {
        b.table->Last();  // the scope must not depend on where the dataset stood
        b.xbase->SetScope(c.low, c.high);
        EXPECT_TRUE(b.table->Bof()) << c.low << ".." << c.high;
        EXPECT_EQ(AllNames(b.table), c.names) << c.low << ".." << c.high;
        EXPECT_EQ(b.xbase->Count(), static_cast<int>(c.names.size())) << c.low << ".." << c.high;
        EXPECT_EQ(b.xbase->RecCount(), 6);
        std::string low;
        b.xbase->GetScope(XB_SCOPE_LOW, low);
        EXPECT_EQ(low, c.low);
    }
}

TEST_F(XbaseComponents, SeekAndScopeShowInALinkHoldingSeveralRecords) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    GridLink grid;
    grid.SetDataSource(b.source);
    grid.SetBufferCount(4);
    b.table->First();
    ASSERT_EQ(grid.Rows(), (std::vector<std::string>{"Adams", "Baker", "Clark", "Davis"}));

    ASSERT_TRUE(b.xbase->Seek("EVANS"));
    EXPECT_EQ(grid.ActiveName(), "Evans");
    // The window is a run of the NAME order that holds the found record.
    std::vector<std::string> order = {"Adams", "Baker", "Clark", "Davis", "Evans", "Moore"};
    std::vector<std::string> rows = grid.Rows();
    ASSERT_FALSE(rows.empty());
    auto start = std::find(order.begin(), order.end(), rows.front()) - order.begin();
    ASSERT_LE(start + rows.size(), order.size());
    EXPECT_EQ(rows, std::vector<std::string>(order.begin() + start, order.begin() + start + rows.size()));
    EXPECT_EQ(rows[static_cast<size_t>(grid.ActiveRecord())], "Evans");

    b.xbase->SetOrder(3);  // KIND
    b.xbase->SetScope("B", "B");
    EXPECT_EQ(grid.Rows(), (std::vector<std::string>{"Baker", "Evans"}));
    EXPECT_EQ(grid.ActiveName(), "Baker");
    b.xbase->SetScope("", "");
    EXPECT_EQ(grid.Rows(), (std::vector<std::string>{"Adams", "Clark", "Moore", "Baker"}));
    grid.SetDataSource(nullptr);
}

TEST_F(XbaseComponents, QueryFiltersTheTableAndHoldsAcrossReopening) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME", false);
    EXPECT_EQ(b.xbase->Query("KIND = 'A'"), 0);  // closed: only stored
    EXPECT_EQ(b.xbase->Filter(), "KIND = 'A'");
    b.table->Open();
    EXPECT_EQ(AllNames(b.table), (std::vector<std::string>{"Adams", "Clark", "Moore"}));
    EXPECT_EQ(b.xbase->Count(), 3);
    EXPECT_EQ(b.xbase->RecCount(), 6);

    b.table->Close();
    b.table->Open();
    EXPECT_EQ(b.xbase->Count(), 3);

    b.xbase->SetFilter("ID > 4");
    EXPECT_EQ(AllNames(b.table), (std::vector<std::string>{"Evans", "Moore"}));
    EXPECT_NE(b.xbase->Query(""), 0);
    EXPECT_EQ(AllNames(b.table).size(), 6u);
}

// ---------------------------------------------------------------------------
// Moves, counts and record state

TEST_F(XbaseComponents, GoGoTopAndGoBottomMoveTheDataset) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    b.xbase->Go(4);
    EXPECT_EQ(Name(b.table), "Davis");
    EXPECT_EQ(b.xbase->RecNo(), 4);
    b.xbase->GoBottom();
    EXPECT_EQ(Name(b.table), "Moore");
    b.xbase->GoTop();
    EXPECT_EQ(Name(b.table), "Adams");
    b.xbase->Skip(2);
    EXPECT_EQ(Name(b.table), "Clark");
    EXPECT_EQ(b.xbase->RecSize(), 1 + 6 + 10 + 4);
}

TEST_F(XbaseComponents, RecordDeletedReadsTheDeletionFlag) {
    MakePeople();
    std::string path = dir.file("people.dbf");
    ASSERT_NE(xb_Use(path.c_str(), "MARKING", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    xb_Go(2);
    xb_Delete();
    xb_Close();
    xb_SetDeleted(XB_OFF);  // deleted records visible
    Bound b = Bind("people.dbf", "");
    b.table->First();
    std::vector<bool> deleted;
    for (; !b.table->Eof(); b.table->Next()) deleted.push_back(b.xbase->RecordDeleted());
    EXPECT_EQ(deleted, (std::vector<bool>{false, true, false, false, false, false}));

    MakeTable("empty.dbf", {{"NAME", "C", 10, 0}}, {}, {});
    Bound empty = Bind("empty.dbf", "");
    EXPECT_FALSE(empty.xbase->RecordDeleted());
}

TEST_F(XbaseComponents, ReadsShowADeletedRecordExactlyWhenTheEngineShowsIt) {
    MakePeople();
    std::string path = dir.file("people.dbf");
    ASSERT_NE(xb_Use(path.c_str(), "MARKING", 2, 3), 0);
    for (int recNo : {1, 3}) {
        xb_Go(recNo);
        xb_Delete();
    }
    xb_Close();
    TXbaseEnv env(nullptr);
    env.SetDeleted(true);
    Bound b = Bind("people.dbf", "NAME");
    // The setting changes while the table is open, as the full-text rebuild does.
    env.SetDeleted(false);
    b.xbase->Go(3);
    const TBookmark clark = b.table->GetBookmark();

    struct Case {
        bool hidden;  // the engine's Deleted setting
        const char* move;
        std::function<void()> act;
        const char* name;
        bool deleted;
        bool eof = false;
    } cases[] = {
        {false, "Seek", [&] { b.xbase->Seek("CLARK"); }, "Clark", true},
        {false, "Go", [&] { b.xbase->Go(1); }, "Adams", true},
        {false, "GoTop", [&] { b.xbase->GoTop(); }, "Adams", true},
        {false, "Refresh", [&] { b.xbase->Go(3), b.table->Refresh(); }, "Clark", true},
        {false, "GotoBookmark", [&] { b.table->GotoBookmark(clark); }, "Clark", true},
        {false, "Skip", [&] { b.xbase->GoTop(), b.xbase->Skip(2); }, "Clark", true},
        {true, "Seek", [&] { b.xbase->Seek("CLARK"); }, "Moore", false, true},  // a miss: end of file
        {true, "GoTop", [&] { b.xbase->GoTop(); }, "Baker", false},
        {true, "Skip", [&] { b.xbase->GoTop(), b.xbase->Skip(1); }, "Davis", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.move) + (c.hidden ? ", deleted hidden" : ", deleted shown"));
        env.SetDeleted(c.hidden);
        b.xbase->GoBottom();
        c.act();
        EXPECT_EQ(Name(b.table), c.name);
        EXPECT_EQ(b.xbase->RecordDeleted(), c.deleted);
        EXPECT_EQ(b.table->Eof(), c.eof);
    }
}

TEST_F(XbaseComponents, CommitWhileInsertingPostsAndWritesTheRecord) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    b.table->Insert();
    b.table->FieldByName("ID")->SetAsInteger(7);
    b.table->FieldByName("NAME")->SetAsString("Young");
    b.xbase->Commit();
    EXPECT_EQ(b.table->State(), dsBrowse);
    EXPECT_EQ(b.xbase->RecCount(), 7);

    // Another open of the file sees the record.
    int before = xb_WorkArea(nullptr);
    std::string path = dir.file("people.dbf");
    int other = xb_Use(path.c_str(), "PEEK", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_NE(other, 0);
    EXPECT_EQ(xb_RecCount(), 7);
    xb_Go(7);
    EXPECT_STREQ(xb_GetTrimString("NAME"), "Young");
    xb_Close();
    if (before != 0) xb_Select(before);
}

TEST_F(XbaseComponents, LockedSeesTheLockOfAnotherHolder) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    int tableArea = static_cast<int>(b.table->Handle());
    std::string path = dir.file("people.dbf");
    int other = xb_Use(path.c_str(), "HOLDER", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_NE(other, 0);
    ASSERT_NE(xb_Rlock(2), 0);
    xb_Select(tableArea);
    EXPECT_TRUE(b.xbase->Locked(2));
    EXPECT_FALSE(b.xbase->Locked(3));
    xb_Select(other);
    xb_Unlock(XB_UNLOCK_ALL);
    EXPECT_FALSE(b.xbase->Locked(2));
    xb_Select(other);
    xb_Close();
}

TEST_F(XbaseComponents, AHeldAppendLockRefusesAnotherTablesInsertUntilLetGo) {
    MakePeople();
    Bound holder = Bind("people.dbf", "ID");
    Bound other = Bind("people.dbf", "ID");
    ASSERT_TRUE(holder.xbase->lockAppend());

    other.table->Append();
    other.table->FieldByName("ID")->SetAsInteger(7);
    try {
        other.table->Post();
        ADD_FAILURE() << "the insert went ahead";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record locked by another user.");
    }
    other.table->Cancel();
    EXPECT_EQ(other.xbase->RecCount(), 6);

    holder.table->Append();  // the holder's own insert goes ahead
    holder.table->FieldByName("ID")->SetAsInteger(7);
    holder.table->Post();
    holder.xbase->unlockAppend();
    other.table->Append();
    other.table->FieldByName("ID")->SetAsInteger(8);
    other.table->Post();
    EXPECT_EQ(other.xbase->RecCount(), 8);
}

TEST_F(XbaseComponents, PaddedFieldValueFillsStringFieldsToTheirWidth) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    ASSERT_TRUE(b.xbase->Seek("BAKER"));
    std::string value;
    b.xbase->PaddedFieldValue("NAME", value);
    EXPECT_EQ(value, "Baker     ");
    b.xbase->PaddedFieldValue("ID", value);
    EXPECT_EQ(value, "2");
}

// The full-text key of a patient, made straight from the record, is what the
// fields read give: each padded to its width, all upper-cased (letters only,
// ASCII only). Also while the record is edited, and for a table opened anew
// with its fields elsewhere.
TEST_F(XbaseComponents, PatientKeyIsTheUpperCasedPaddedFieldsAsTheyRead) {
    const std::vector<std::vector<std::string>> rows = {
        {"smith, john", "12 elm st", "(555)123-4567", "", "123-45-6789"},
        {"`az{ AZ@[ mixed Case", "\xe1\xe9\xf1 caf\xe9 \x7f~", "a\tb", "tab at end\t\t", "x"},
        {"", "", "", "", ""},
        {"abcdefghijklmnopqrstuvwxyz0123", "ABCDEFGHIJKLMNOPQRSTUVWXYZ_-+*", "zzzzzzzzzzzzzzzzzzzz", "aaaa", "qwertyuiopa"},
    };
    const char* const names[] = {"RecName", "Addr", "Phone1", "Phone2", "SSN"};
    auto expected = [&](TXbase* Engine) {
        std::string key, value;
        for (const char* name : names) {
            Engine->PaddedFieldValue(name, value);
            key += value;
        }
        return UpperCase(key);
    };
    const std::vector<std::vector<FieldSpec>> layouts = {
        {{"RECNAME", "C", 30, 0}, {"ADDR", "C", 30, 0}, {"PHONE1", "C", 20, 0}, {"PHONE2", "C", 20, 0},
         {"SSN", "C", 11, 0}},
        // The same fields elsewhere in the record and in another order, with a number first.
        {{"ID", "N", 6, 0}, {"SSN", "C", 11, 0}, {"PHONE2", "C", 20, 0}, {"NOTE", "C", 7, 0}, {"PHONE1", "C", 20, 0},
         {"ADDR", "C", 30, 0}, {"RECNAME", "C", 30, 0}},
    };
    Bound b = Bind("patients.dbf", "", false);
    for (size_t layout = 0; layout < layouts.size(); ++layout) {
        std::vector<std::vector<std::string>> filled;
        for (const auto& row : rows) {
            if (layout == 0) {
                filled.push_back(row);
            } else {
                filled.push_back({"7", row[4], row[3], "note", row[2], row[1], row[0]});
            }
        }
        const std::string file = "patients" + std::to_string(layout) + ".dbf";
        MakeTable(file, layouts[layout], filled, {});
        b.table->Close();
        b.table->SetTableName(file);
        b.table->Open();
        for (size_t r = 0; r < rows.size(); ++r) {
            b.xbase->Go(static_cast<int>(r + 1));
            const std::string key = patientFtsKey(b.xbase);
            EXPECT_EQ(key.size(), 111u) << file << " record " << r + 1;
            EXPECT_EQ(key, expected(b.xbase)) << file << " record " << r + 1;
        }
        b.table->Edit();
        b.table->FieldByName("ADDR")->SetAsString("edited street");
        EXPECT_EQ(patientFtsKey(b.xbase).substr(30, 30), "EDITED STREET" + std::string(17, ' ')) << file;
        EXPECT_EQ(patientFtsKey(b.xbase), expected(b.xbase)) << file;
        b.table->Cancel();
    }
}

// Every engine call selects the table's area and puts the previous one back.
TEST_F(XbaseComponents, CallsLeaveTheSelectedWorkAreaAsTheyFoundIt) {
    MakePeople("a.dbf");
    MakePeople("b.dbf");
    Bound a = Bind("a.dbf", "NAME");
    Bound b = Bind("b.dbf", "NAME");
    int areaA = static_cast<int>(a.table->Handle());
    ASSERT_NE(areaA, static_cast<int>(b.table->Handle()));
    std::string text;
    std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"Seek", [&] { b.xbase->Seek("DAVIS"); }},
        {"Seek miss", [&] { b.xbase->Seek("NOBODY"); }},
        {"Found", [&] { b.xbase->Found(); }},
        {"SetScope", [&] { b.xbase->SetScope("C", "E"); }},
        {"GetScope", [&] { b.xbase->GetScope(XB_SCOPE_HIGH, text); }},
        {"Query", [&] { b.xbase->Query("ID > 1"); }},
        {"Count", [&] { b.xbase->Count(); }},
        {"RecCount", [&] { b.xbase->RecCount(); }},
        {"Go", [&] { b.xbase->Go(3); }},
        {"GoTop", [&] { b.xbase->GoTop(); }},
        {"GoBottom", [&] { b.xbase->GoBottom(); }},
        {"Locked", [&] { b.xbase->Locked(1); }},
        {"lockAppend", [&] { b.xbase->lockAppend(); }},
        {"unlockAppend", [&] { b.xbase->unlockAppend(); }},
        {"Commit", [&] { b.xbase->Commit(); }},
        {"SetOrder", [&] { b.xbase->SetOrder(2); }},
        {"IndexOrd", [&] { b.xbase->IndexOrd(); }},
        {"TagName", [&] { b.xbase->TagName(1); }},
        {"SysProp", [&] { b.xbase->SysProp(XB_SP_TAG_COUNT, 0); }},
    };
    for (auto& [name, call] : calls) {
        xb_Select(areaA);
        call();
        EXPECT_EQ(xb_WorkArea(nullptr), areaA) << name;
    }
    // The table of A was not touched.
    EXPECT_EQ(a.xbase->Count(), 6);
}

// ---------------------------------------------------------------------------
// Orders and indexes

TEST_F(XbaseComponents, SetOrderSwitchesTheTableIndexAndKeepsTheRecord) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    ASSERT_TRUE(b.xbase->Seek("CLARK"));
    EXPECT_EQ(b.xbase->SetOrder(2), 1);
    EXPECT_EQ(b.xbase->IndexOrd(), 2);
    EXPECT_TRUE(SameText(b.table->IndexName(), "ID"));
    EXPECT_TRUE(SameText(b.xbase->TagName(3), "KIND"));
    EXPECT_EQ(Name(b.table), "Clark");
    b.table->Next();
    EXPECT_EQ(Name(b.table), "Davis");
    EXPECT_EQ(b.xbase->SetOrder(XB_RECORD_ORDER), 2);
    EXPECT_EQ(b.table->IndexName(), "");
}

TEST_F(XbaseComponents, IndexTagBuildsATagAndMakesItTheTableIndex) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME", false);
    b.table->SetExclusive(true);
    b.table->Open();
    int percent = -1;
    b.xbase->SetGaugeHook([&](int p) { percent = p; });
    int order = b.xbase->IndexTag("", "KindName", "kind + upper(name)", XB_INDEX_PLAIN, true, "");
    b.xbase->SetGaugeHook(nullptr);
    ASSERT_GT(order, 0);
    EXPECT_EQ(b.xbase->IndexOrd(), order);
    EXPECT_TRUE(SameText(b.table->IndexName(), "KindName"));
    EXPECT_EQ(b.table->IndexDefs().Count(), 4);
    EXPECT_EQ(percent, 100);
    // Descending: kind C first, then B from EVANS down.
    EXPECT_EQ(AllNames(b.table), (std::vector<std::string>{"Davis", "Evans", "Baker", "Moore", "Clark", "Adams"}));
    EXPECT_TRUE(b.xbase->Seek("B   EVANS"));
    EXPECT_EQ(Name(b.table), "Evans");

    // A table opened without any tag learns of the one built on it.
    MakeTable("plain.dbf", {{"NAME", "C", 10, 0}}, {{"Baker"}, {"Adams"}}, {});
    Bound plain = Bind("plain.dbf", "", false);
    plain.table->SetExclusive(true);
    plain.table->Open();
    ASSERT_EQ(plain.table->IndexDefs().Count(), 0);
    ASSERT_GT(plain.xbase->IndexTag("", "ByName", "upper(name)", XB_INDEX_PLAIN, false, ""), 0);
    ASSERT_EQ(plain.table->IndexDefs().Count(), 1);
    EXPECT_TRUE(SameText(plain.table->IndexDefs().Items(0).Name(), "ByName"));
    EXPECT_EQ(plain.table->IndexDefs().Items(0).Fields(), "NAME");
    EXPECT_EQ(plain.table->IndexFieldNames(), "NAME");
    EXPECT_EQ(AllNames(plain.table), (std::vector<std::string>{"Adams", "Baker"}));
}

TEST_F(XbaseComponents, IndexFileBuiltOnceOpensWithTheTableAsExtraIndex) {
    MakePeople();
    Bound builder = Bind("people.dbf", "", false);
    builder.table->SetExclusive(true);
    builder.table->Open();
    int order = builder.xbase->Index(dir.file("extra.nsx"), "upper(name)", XB_INDEX_PLAIN, true, "");
    ASSERT_EQ(order, 4);
    EXPECT_TRUE(SameText(builder.table->IndexName(), builder.xbase->TagName(order)));
    EXPECT_EQ(AllNames(builder.table).front(), "Moore");
    builder.table->Close();

    // A line without extension gets the one of the table's type; the table
    // keeps its own index, or takes the first extra one when it had none.
    struct Case {
        const char* indexName;
        int order;
        const char* first;
    } cases[] = {{"KIND", 3, "Adams"}, {"", 4, "Moore"}};
    for (const Case& c : cases) {
        Bound b = Bind("people.dbf", c.indexName, false);
        b.xbase->ExtraIndexes()->Add("extra");
        b.table->Open();
        EXPECT_EQ(b.xbase->SysProp(XB_SP_TAG_COUNT, 0), 4) << c.indexName;
        EXPECT_EQ(b.xbase->IndexOrd(), c.order) << c.indexName;
        EXPECT_EQ(AllNames(b.table).front(), c.first) << c.indexName;
        b.table->Close();
    }
}

// ---------------------------------------------------------------------------
// Table creation

TEST_F(XbaseComponents, CreateNewFieldsAndExecWriteATableAndLeaveNoAreaOpen) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    int selected = static_cast<int>(b.table->Handle());
    xb_Select(selected);
    int areasBefore = OpenAreaCount();

    struct Case {
        const char* file;
        bool withAlias;
    } cases[] = {{"new1.dbf", true}, {"new2.dbf", false}};
    for (const Case& c : cases) {
        std::string path = dir.file(c.file);
        int area = c.withAlias ? b.xbase->CreateNew(path, "NEWT", XB_DRIVER_NSX, 2)
                               : b.xbase->CreateNew(path, XB_DRIVER_NSX, 2);
        ASSERT_NE(area, 0) << c.file;
        b.xbase->CreateField("CODE", "C", 8, 0);
        b.xbase->CreateField("QTY", "N", 5, 0);
        EXPECT_TRUE(b.xbase->CreateExec()) << c.file;
        EXPECT_EQ(xb_WorkArea(nullptr), selected) << c.file;
        EXPECT_EQ(OpenAreaCount(), areasBefore) << c.file;

        ASSERT_NE(xb_Use(path.c_str(), "CHECK", XB_SHARED, XB_DRIVER_NSX), 0) << c.file;
        EXPECT_EQ(xb_FieldCount(), 2);
        EXPECT_STREQ(xb_FieldName(2), "QTY");
        EXPECT_EQ(xb_RecCount(), 0);
        xb_Close();
        xb_Select(selected);
    }

    // A field the engine refuses spoils the table: nothing is written, no area stays.
    std::string bad = dir.file("bad.dbf");
    ASSERT_NE(b.xbase->CreateNew(bad, XB_DRIVER_NSX, 1), 0);
    b.xbase->CreateField("ODD", "Q", 8, 0);
    EXPECT_FALSE(b.xbase->CreateExec());
    EXPECT_FALSE(os::FileExists(bad));
    EXPECT_EQ(OpenAreaCount(), areasBefore);
    EXPECT_EQ(xb_WorkArea(nullptr), selected);
    // Without a definition there is nothing to write.
    EXPECT_FALSE(b.xbase->CreateExec());
    EXPECT_EQ(OpenAreaCount(), areasBefore);
}

// ---------------------------------------------------------------------------
// The program's numbering pattern: the new record takes the last number of
// the ID tag plus one, is written at once and edited again.

TEST_F(XbaseComponents, NewRecordTakesTheNextNumberAndStaysInEdit) {
    MakePeople();
    Bound b = Bind("people.dbf", "NAME");
    int lastNumber = 0;
    b.table->BeforeInsert = [&](TDataSet*) {
        std::string remembered = b.table->IndexName();
        b.table->SetIndexName("ID");
        b.xbase->GoBottom();
        lastNumber = b.table->FieldByName("ID")->AsInteger();
        b.table->SetIndexName(remembered);
    };
    b.table->OnNewRecord = [&](TDataSet*) {
        b.table->FieldByName("ID")->SetAsInteger(++lastNumber);
        b.table->FieldByName("NAME")->SetAsString("<new>");
        b.xbase->Commit();
        b.table->Edit();
    };

    for (int expected : {7, 8}) {
        b.table->Append();
        EXPECT_EQ(b.table->State(), dsEdit) << expected;
        EXPECT_EQ(b.table->FieldByName("ID")->AsInteger(), expected);
        EXPECT_EQ(Name(b.table), "<new>");
        EXPECT_EQ(b.xbase->RecNo(), expected);  // the new record, not a neighbour
        EXPECT_EQ(b.xbase->RecCount(), expected);
        b.table->FieldByName("NAME")->SetAsString("Person" + std::to_string(expected));
        b.table->Post();
    }
    EXPECT_TRUE(b.xbase->Seek("PERSON7"));
    EXPECT_EQ(b.table->FieldByName("ID")->AsInteger(), 7);
    EXPECT_TRUE(b.xbase->Seek("PERSON8"));
    EXPECT_EQ(b.table->FieldByName("ID")->AsInteger(), 8);
    EXPECT_FALSE(b.xbase->Seek("<NEW>"));
}

// ---------------------------------------------------------------------------
// TXbaseEnv

TEST_F(XbaseComponents, OnlyOneSettingsComponentExists) {
    auto first = std::make_unique<TXbaseEnv>(nullptr);
    first->SetLockTimeout(1130);
    try {
        TXbaseEnv second(Owner());
        FAIL() << "a second settings component was made";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Removing extra TXbaseEnv component");
    }
    EXPECT_EQ(first->LockTimeout(), 1130);
    EXPECT_EQ(xb_SetLockTimeout(1130), 1130);
    // Once the first is gone another may be made.
    first.reset();
    TXbaseEnv again(nullptr);
    EXPECT_EQ(again.Epoch(), 1900);
}

TEST_F(XbaseComponents, EpochIsHeldWithinItsRange) {
    TXbaseEnv env(nullptr);
    struct Case {
        int given, stored;
    } cases[] = {{0, 1900}, {1, 100}, {50, 100}, {99, 100}, {100, 100}, {1910, 1910},
                 {2999, 2999}, {3000, 2999}, {5000, 2999}};
    for (const Case& c : cases) {
        env.SetEpoch(c.given);
        EXPECT_EQ(env.Epoch(), c.stored) << c.given;
        EXPECT_EQ(xb_SetEpoch(c.stored), c.stored) << c.given;  // what the engine was given
    }
}

TEST_F(XbaseComponents, DateFormatSetsTheShortDateFormatAndSeparator) {
    TXbaseEnv env(nullptr);
    struct Case {
        TXbaseDateFrmt format;
        int engineFormat;
        char separator;
        const char* twoDigits;
        const char* fourDigits;
    } cases[] = {
        {dfAmerican, 0, '/', "mm/dd/yy", "mm/dd/yyyy"}, {dfAnsi, 1, '.', "yy.mm.dd", "yyyy.mm.dd"},
        {dfBritish, 2, '/', "dd/mm/yy", "dd/mm/yyyy"},  {dfFrench, 3, '/', "dd/mm/yy", "dd/mm/yyyy"},
        {dfGerman, 4, '.', "dd.mm.yy", "dd.mm.yyyy"},   {dfItalian, 5, '-', "dd-mm-yy", "dd-mm-yyyy"},
        {dfSpanish, 6, '-', "dd-mm-yy", "dd-mm-yyyy"},
    };
    for (bool century : {false, true}) {
        env.SetCentury(century);
        for (const Case& c : cases) {
            env.SetDateFormat(c.format);
            EXPECT_EQ(ShortDateFormat, century ? c.fourDigits : c.twoDigits) << c.format << " " << century;
            EXPECT_EQ(DateSeparator, c.separator) << c.format;
            EXPECT_EQ(xb_SetDateFormat(c.engineFormat), c.engineFormat) << c.format;
        }
    }
    // Turning the century off narrows the year again; on widens only once.
    env.SetCentury(true);
    env.SetCentury(true);
    EXPECT_EQ(ShortDateFormat, "dd-mm-yyyy");
    env.SetCentury(false);
    EXPECT_EQ(ShortDateFormat, "dd-mm-yy");
    EXPECT_EQ(xb_SetCentury(XB_OFF), 0);

    env.SetDateFormat(dfWinDefault);
    EXPECT_EQ(xb_SetDateFormat(XB_DATE_SYSTEM), 99);
    EXPECT_FALSE(ShortDateFormat.empty());
}

TEST_F(XbaseComponents, SettingsReachTheEngine) {
    TXbaseEnv env(nullptr);
    // The data module's settings.
    env.SetCentury(true);
    env.SetEpoch(1910);
    env.SetDateFormat(dfAmerican);
    env.SetLockTimeout(1130);
    env.SetDeleted(true);
    env.SetExact(true);
    env.SetSoftSeek(true);
    env.SetMemoBlockSize(32);
    EXPECT_EQ(ShortDateFormat, "mm/dd/yyyy");
    EXPECT_EQ(DateSeparator, '/');
    struct Probe {
        const char* name;
        int (*engineSetting)(int);
        int expected;
    } probes[] = {{"Century", xb_SetCentury, 1},         {"Epoch", xb_SetEpoch, 1910},
                  {"DateFormat", xb_SetDateFormat, 0},   {"LockTimeout", xb_SetLockTimeout, 1130},
                  {"Deleted", xb_SetDeleted, 1},         {"Exact", xb_SetExact, 1},
                  {"SoftSeek", xb_SetSoftSeek, 1},       {"MemoBlockSize", xb_SetMemoBlockSize, 32}};
    for (const Probe& p : probes) {
        int now = p.engineSetting(p.expected);
        EXPECT_EQ(now, p.expected) << p.name;
    }
    int previous = env.ErrorLevel(2);
    EXPECT_EQ(env.ErrorLevel(previous), 2);
}

// ---------------------------------------------------------------------------
// TXbTable

TEST_F(XbaseComponents, XbTableSeeksOnItsOwnComponent) {
    MakePeople();
    auto* table = new TXbTable(Owner());
    table->SetDatabaseName(dir.path());
    table->SetTableName("people.dbf");
    table->SetTableType(ttSXNSX);
    table->SetIndexName("NAME");
    table->SetDisplayLabel("people.dbf");
    table->SetTurboRead(true);  // closed: only stored
    EXPECT_TRUE(table->TurboRead());
    table->SetXbaseFilter("KIND <> 'C'");
    table->Open();

    EXPECT_TRUE(table->Seek("EVANS"));
    EXPECT_EQ(Name(table), "Evans");
    EXPECT_FALSE(table->Seek("DAVIS"));  // filtered out
    EXPECT_TRUE(table->Eof());
    EXPECT_FALSE(table->Seek("NOBODY"));
    EXPECT_EQ(AllNames(table), (std::vector<std::string>{"Adams", "Baker", "Clark", "Evans", "Moore"}));

    table->SetXbaseFilter("");
    EXPECT_TRUE(table->Seek("DAVIS"));
    EXPECT_EQ(table->DisplayLabel(), "people.dbf");
}
