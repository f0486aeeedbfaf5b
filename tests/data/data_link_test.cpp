// Data links over several buffered records, their notifications, and the
// cursor contract: a refresh shows the record the engine stands on.
#include "DataFixture.h"

#include "data/DataSource.h"

namespace {
class RecordingLink : public TDataLink {
public:
    std::vector<std::string> log;
    std::function<void()> onUpdateData;

    // The ID of every buffered row of the link's window.
    std::vector<int> Rows() {
        std::vector<int> ids;
        int saved = ActiveRecord();
        for (int i = 0; i < RecordCount(); ++i) {
            SetActiveRecord(i);
            ids.push_back(DataSet()->FieldByName("ID")->AsInteger());
        }
        SetActiveRecord(saved);
        return ids;
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }

protected:
    void ActiveChanged() override { log.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { log.push_back("changed"); }
    void DataSetScrolled(int Distance) override { log.push_back("scrolled " + std::to_string(Distance)); }
    void EditingChanged() override { log.push_back(Editing() ? "editing" : "not editing"); }
    void RecordChanged(TField* Field) override { log.push_back("record " + (Field ? Field->FieldName() : "*")); }
    void UpdateData() override {
        log.push_back("update");
        if (onUpdateData) onUpdateData();
    }
};
}  // namespace

class DataLinks : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        MakeNumbered("links.dbf", 10);
        t = Table("links.dbf");
        source = std::make_unique<TDataSource>(nullptr);
        source->SetDataSet(t);
        link.SetDataSource(source.get());
        link.SetBufferCount(4);
    }
    void TearDown() override {
        link.SetDataSource(nullptr);
        DataTest::TearDown();
    }
    int Id() { return t->FieldByName("ID")->AsInteger(); }

    TTable* t = nullptr;
    std::unique_ptr<TDataSource> source;
    RecordingLink link;
};

TEST_F(DataLinks, WindowOfRecordsFollowsTheActiveRecord) {
    t->Open();
    EXPECT_EQ(link.Take(), (std::vector<std::string>{"active"}));
    EXPECT_EQ(link.Rows(), (std::vector<int>{1, 2, 3, 4}));
    struct Case {
        const char* what;
        std::function<void()> move;
        std::vector<int> rows;
        int activeRecord;
        std::vector<std::string> events;
    } cases[] = {
        {"within the window", [&] { t->MoveBy(3); }, {1, 2, 3, 4}, 3, {"scrolled 0"}},
        {"one past it", [&] { t->Next(); }, {2, 3, 4, 5}, 3, {"scrolled 1"}},
        {"two past it", [&] { t->MoveBy(2); }, {4, 5, 6, 7}, 3, {"scrolled 2"}},
        {"back inside", [&] { t->MoveBy(-3); }, {4, 5, 6, 7}, 0, {"scrolled 0"}},
        {"back before it", [&] { t->Prior(); }, {3, 4, 5, 6}, 0, {"scrolled -1"}},
        {"last", [&] { t->Last(); }, {7, 8, 9, 10}, 3, {"changed"}},
        {"first", [&] { t->First(); }, {1, 2, 3, 4}, 0, {"changed"}},
    };
    for (const Case& c : cases) {
        c.move();
        EXPECT_EQ(link.Rows(), c.rows) << c.what;
        EXPECT_EQ(link.ActiveRecord(), c.activeRecord) << c.what;
        EXPECT_EQ(link.Take(), c.events) << c.what;
    }
    EXPECT_EQ(Id(), 1);
}

TEST_F(DataLinks, TheLargestLinkSetsTheBufferCount) {
    RecordingLink wide;
    wide.SetDataSource(source.get());
    wide.SetBufferCount(6);
    t->Open();
    EXPECT_EQ(t->BufferCount(), 6);
    EXPECT_EQ(wide.Rows(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    t->MoveBy(5);
    EXPECT_EQ(wide.ActiveRecord(), 5);
    // The narrow link shows the last four of the six.
    EXPECT_EQ(link.Rows(), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(link.ActiveRecord(), 3);
    wide.SetDataSource(nullptr);
    EXPECT_EQ(t->BufferCount(), 4);
    EXPECT_EQ(Id(), 6);
    EXPECT_EQ(link.Rows(), (std::vector<int>{6, 7, 8, 9}));
    // A table shorter than the window fills what it has.
    link.SetBufferCount(20);
    t->First();
    EXPECT_EQ(link.RecordCount(), 10);
}

TEST_F(DataLinks, InsertOpensARowInPlace) {
    t->Open();
    t->Next();
    link.Take();
    t->Insert();
    // The new blank row stands where the current record was; the rest move down.
    EXPECT_EQ(link.Rows(), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(link.ActiveRecord(), 1);
    t->Cancel();
    EXPECT_EQ(link.Rows(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Id(), 2);

    t->Insert();
    t->FieldByName("ID")->SetAsInteger(11);
    t->Post();
    // A new record goes to the end of the table; the dataset follows it there.
    EXPECT_EQ(Id(), 11);
    EXPECT_EQ(link.Rows(), (std::vector<int>{8, 9, 10, 11}));
    t->Append();
    EXPECT_EQ(link.Rows(), (std::vector<int>{9, 10, 11, 0}));
    EXPECT_EQ(link.ActiveRecord(), 3);
    t->Cancel();
    EXPECT_EQ(Id(), 11);
}

TEST_F(DataLinks, EditingAndUpdateDataReachTheLink) {
    t->Open();
    link.Take();
    link.onUpdateData = [&] { t->FieldByName("NAME")->SetAsString("FromLink"); };
    EXPECT_TRUE(link.Edit());
    t->Post();
    EXPECT_EQ(link.Take(), (std::vector<std::string>{"editing", "record *", "update", "not editing", "changed"}));
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "FromLink");

    // Without AutoEdit the link cannot start an edit.
    source->SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    link.SetReadOnly(true);
    source->SetAutoEdit(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(t->State(), dsBrowse);
    t->Close();
    EXPECT_FALSE(link.Active());
}

TEST_F(DataLinks, DisabledControlsHearOneChangeAtTheEnd) {
    t->Open();
    link.Take();
    t->DisableControls();
    t->DisableControls();
    t->MoveBy(6);
    t->Edit();
    t->FieldByName("NAME")->SetAsString("Quiet");
    t->Post();
    t->EnableControls();
    EXPECT_TRUE(link.Take().empty());
    t->EnableControls();
    EXPECT_EQ(link.Take(), (std::vector<std::string>{"changed"}));
    EXPECT_EQ(link.Rows()[static_cast<size_t>(link.ActiveRecord())], 7);
}

TEST_F(DataLinks, RefreshShowsTheRecordTheEngineWasMovedTo) {
    t->Open();
    // The buffers read ahead, so the engine stands past the active record;
    // a plain refresh keeps the record shown.
    t->Next();
    t->Refresh();
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(link.Rows(), (std::vector<int>{1, 2, 3, 4}));

    // An engine component puts the engine on the dataset's record, moves it
    // in the table's work area and refreshes.
    struct Case {
        int recNo;
        std::vector<int> rows;
    } cases[] = {{8, {7, 8, 9, 10}}, {3, {2, 3, 4, 5}}, {10, {7, 8, 9, 10}}};
    for (const Case& c : cases) {
        t->CheckBrowseMode();
        t->UpdateCursorPos();
        int previous = xb_Select(static_cast<int>(t->Handle()));
        xb_Go(c.recNo);
        xb_Select(previous);
        t->Refresh();
        EXPECT_EQ(Id(), c.recNo);
        EXPECT_EQ(link.Rows(), c.rows) << c.recNo;
        EXPECT_EQ(link.Rows()[static_cast<size_t>(link.ActiveRecord())], c.recNo);
    }
    // A failed search leaves the dataset at the end, as the engine component does.
    t->Last();
    t->Next();
    EXPECT_TRUE(t->Eof());
}
