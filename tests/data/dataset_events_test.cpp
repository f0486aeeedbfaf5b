// The order of the dataset's events and what handlers may do inside them.
#include "DataFixture.h"

#include "data/DataSource.h"

class DataSetEvents : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        MakeNumbered("events.dbf", 3);
        t = Table("events.dbf");
        source = std::make_unique<TDataSource>(nullptr);
        source->SetDataSet(t);
    }
    // Records every event of the table and its data source.
    void Trace() {
        auto note = [this](const char* name) { return [this, name](TDataSet*) { log.push_back(name); }; };
        t->BeforeOpen = note("BeforeOpen");
        t->AfterOpen = note("AfterOpen");
        t->BeforeClose = note("BeforeClose");
        t->AfterClose = note("AfterClose");
        t->BeforeInsert = note("BeforeInsert");
        t->AfterInsert = note("AfterInsert");
        t->OnNewRecord = note("OnNewRecord");
        t->BeforeEdit = note("BeforeEdit");
        t->AfterEdit = note("AfterEdit");
        t->BeforePost = note("BeforePost");
        t->AfterPost = note("AfterPost");
        t->BeforeCancel = note("BeforeCancel");
        t->AfterCancel = note("AfterCancel");
        t->BeforeDelete = note("BeforeDelete");
        t->AfterDelete = note("AfterDelete");
        t->BeforeScroll = note("BeforeScroll");
        t->AfterScroll = note("AfterScroll");
        source->OnStateChange = [this](TObject*) {
            static const char* const names[] = {"Inactive", "Browse", "Edit", "Insert"};
            log.push_back(std::string("State:") + names[source->State()]);
        };
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

    TTable* t = nullptr;
    std::unique_ptr<TDataSource> source;
    std::vector<std::string> log;
};

using Events = std::vector<std::string>;

TEST_F(DataSetEvents, EachOperationFiresItsEventsInOrder) {
    Trace();
    struct Case {
        const char* what;
        std::function<void()> action;
        Events events;
    } cases[] = {
        {"open", [&] { t->Open(); }, {"BeforeOpen", "State:Browse", "AfterOpen", "AfterScroll"}},
        {"next", [&] { t->Next(); }, {"BeforeScroll", "AfterScroll"}},
        {"edit", [&] { t->Edit(); }, {"BeforeEdit", "State:Edit", "AfterEdit"}},
        {"post", [&] { t->FieldByName("NAME")->SetAsString("x"); t->Post(); },
         {"BeforePost", "State:Browse", "AfterPost"}},
        {"insert", [&] { t->Insert(); },
         {"BeforeInsert", "BeforeScroll", "State:Insert", "OnNewRecord", "AfterInsert", "AfterScroll"}},
        {"cancel insert", [&] { t->Cancel(); },
         {"BeforeCancel", "BeforeScroll", "State:Browse", "AfterCancel", "AfterScroll"}},
        {"append", [&] { t->Append(); },
         {"BeforeInsert", "BeforeScroll", "State:Insert", "OnNewRecord", "AfterInsert", "AfterScroll"}},
        // Moving while a modified insert is pending posts it first.
        {"scroll posts", [&] { t->FieldByName("ID")->SetAsInteger(9); t->First(); },
         {"BeforePost", "State:Browse", "AfterPost", "BeforeScroll", "AfterScroll"}},
        {"edit and cancel", [&] { t->Edit(); t->Cancel(); },
         {"BeforeEdit", "State:Edit", "AfterEdit", "BeforeCancel", "State:Browse", "AfterCancel"}},
        // An unmodified edit is cancelled by a move.
        {"scroll cancels", [&] { t->Edit(); t->Next(); },
         {"BeforeEdit", "State:Edit", "AfterEdit", "BeforeCancel", "State:Browse", "AfterCancel", "BeforeScroll",
          "AfterScroll"}},
        {"delete", [&] { t->Delete(); }, {"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}},
        {"close", [&] { t->Close(); }, {"BeforeClose", "State:Inactive", "AfterClose"}},
    };
    for (Case& c : cases) {
        c.action();
        EXPECT_EQ(Take(), c.events) << c.what;
    }
    t->Open();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 3, 9}));
}

TEST_F(DataSetEvents, DataSourceTellsOfDataChanges) {
    std::vector<std::string> changes;
    source->OnDataChange = [&](TObject*, TField* f) { changes.push_back(f ? f->FieldName() : "*"); };
    source->OnUpdateData = [&](TObject*) { changes.push_back("update"); };
    t->Open();
    t->Next();
    t->Edit();
    t->FieldByName("NAME")->SetAsString("y");
    t->Cancel();
    // Opened, scrolled, edit begun, field set, cancelled.
    EXPECT_EQ(changes, (std::vector<std::string>{"*", "*", "*", "NAME", "*"}));
    changes.clear();
    t->Edit();
    t->Post();
    EXPECT_EQ(changes, (std::vector<std::string>{"*", "update", "*"}));
    changes.clear();
    source->SetEnabled(false);
    t->Next();
    EXPECT_TRUE(changes.empty());
}

TEST_F(DataSetEvents, NewRecordHandlerMayPostAndEditAgain) {
    // The program's numbering: read the last number before the insert, assign
    // the next in the new record, write it at once and go on editing it.
    std::string path = dir.file("events.dbf");
    ASSERT_NE(xb_Use(path.c_str(), "TAGGING", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    ASSERT_NE(xb_IndexTag("", "NAME", "UPPER(NAME)", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
    ASSERT_NE(xb_IndexTag("", "ID", "ID", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
    xb_Close();
    t->SetIndexName("NAME");
    int lastId = 0;
    t->BeforeInsert = [&](TDataSet* ds) {
        static_cast<TTable*>(ds)->SetIndexName("ID");
        ds->Last();
        lastId = ds->FieldByName("ID")->AsInteger();
    };
    t->OnNewRecord = [&](TDataSet* ds) {
        ds->FieldByName("ID")->SetAsInteger(lastId + 1);
        ds->Post();
        ds->Edit();
    };
    t->Open();
    t->Insert();
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 4);
    t->FieldByName("NAME")->SetAsString("Fourth");
    t->Post();
    t->Insert();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 5);
    t->Cancel();
    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 4, 5}));
    t->Last();
    t->Prior();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Fourth");
}

TEST_F(DataSetEvents, AfterInsertMayPostOrCancel) {
    struct Case {
        const char* what;
        std::function<void(TDataSet*)> afterInsert;
        int records;
    } cases[] = {
        {"post", [](TDataSet* ds) { ds->FieldByName("ID")->SetAsInteger(7); ds->Post(); }, 4},
        {"cancel", [](TDataSet* ds) { ds->Cancel(); }, 4},
    };
    t->Open();
    for (const Case& c : cases) {
        t->AfterInsert = c.afterInsert;
        t->Append();
        EXPECT_EQ(t->State(), dsBrowse) << c.what;
        EXPECT_EQ(t->RecordCount(), c.records) << c.what;
    }
}

TEST_F(DataSetEvents, BeforeInsertAndBeforeEditMayAbandonSilently) {
    t->Open();
    t->Next();
    std::vector<std::string> after;
    t->AfterInsert = [&](TDataSet*) { after.push_back("AfterInsert"); };
    t->AfterEdit = [&](TDataSet*) { after.push_back("AfterEdit"); };
    t->BeforeInsert = [](TDataSet*) { Abort(); };
    t->BeforeEdit = [](TDataSet*) { Abort(); };
    EXPECT_THROW(t->Insert(), EAbort);
    EXPECT_THROW(t->Append(), EAbort);
    EXPECT_THROW(t->Edit(), EAbort);
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_TRUE(after.empty());
}

TEST_F(DataSetEvents, FailingNewRecordHandlerLeavesBrowse) {
    t->Open();
    t->OnNewRecord = [](TDataSet* ds) {
        ds->FieldByName("ID")->SetAsInteger(8);
        ds->Post();
        ds->Edit();
        throw EDatabaseError("refused");
    };
    EXPECT_THROW(t->Append(), EDatabaseError);
    EXPECT_EQ(t->State(), dsBrowse);
    // The record posted before the failure stays, and its lock is gone.
    EXPECT_EQ(t->RecordCount(), 4);
    TTable* other = Table("events.dbf");
    other->Open();
    other->Last();
    other->Edit();
    EXPECT_EQ(other->State(), dsEdit);
    other->Cancel();
}

TEST_F(DataSetEvents, OnFilterRecordHidesRecords) {
    t->OnFilterRecord = [](TDataSet* ds, bool& accept) {
        EXPECT_EQ(ds->State(), dsFilter);
        accept = ds->FieldByName("ID")->AsInteger() != 2;
    };
    t->SetFiltered(true);
    t->Open();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 3}));
    t->SetFiltered(false);
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3}));
}
