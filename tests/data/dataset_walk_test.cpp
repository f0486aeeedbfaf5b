// Walking a real table: forward, back, bookmarks, edits, inserts and deletes.
#include "DataFixture.h"

using DataSetWalk = DataTest;

TEST_F(DataSetWalk, ForwardAndBackVisitEveryRecordOnce) {
    MakeNumbered("walk.dbf", 7);
    TTable* t = Table("walk.dbf");
    t->Open();
    EXPECT_TRUE(t->Bof());
    EXPECT_EQ(t->RecordCount(), 7);
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(t->Eof());
    // Next at the end stays on the last record.
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 7);

    t->Last();
    std::vector<int> back;
    while (!t->Bof()) {
        back.push_back(t->FieldByName("ID")->AsInteger());
        t->Prior();
    }
    EXPECT_EQ(back, (std::vector<int>{7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(DataSetWalk, MoveByStopsAtTheEndsAndReportsTheDistance) {
    MakeNumbered("walk.dbf", 5);
    TTable* t = Table("walk.dbf");
    t->Open();
    struct Case {
        int distance;
        int moved;
        int id;
        bool bof;
        bool eof;
    } cases[] = {
        {2, 2, 3, false, false}, {10, 2, 5, false, true}, {-3, -3, 2, false, false},
        {-5, -1, 1, true, false}, {4, 4, 5, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t->MoveBy(c.distance), c.moved) << c.distance;
        EXPECT_EQ(t->FieldByName("ID")->AsInteger(), c.id) << c.distance;
        EXPECT_EQ(t->Bof(), c.bof) << c.distance;
        EXPECT_EQ(t->Eof(), c.eof) << c.distance;
    }
}

TEST_F(DataSetWalk, EmptyTableIsBofAndEof) {
    MakeNumbered("empty.dbf", 0);
    TTable* t = Table("empty.dbf");
    t->Open();
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_TRUE(t->Bof());
    EXPECT_TRUE(t->Eof());
    t->Next();
    t->Last();
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_TRUE(t->FieldByName("ID")->IsNull());
    EXPECT_THROW(t->Delete(), EDatabaseError);
}

TEST_F(DataSetWalk, BookmarksReturnToTheirRecord) {
    MakeNumbered("walk.dbf", 9);
    TTable* t = Table("walk.dbf");
    t->Open();
    t->MoveBy(3);
    TBookmark fourth = t->GetBookmark();
    EXPECT_EQ(t->RecNo(), 4);
    t->Last();
    TBookmark last = t->GetBookmark();
    EXPECT_EQ(t->CompareBookmarks(fourth, last), -1);
    EXPECT_EQ(t->CompareBookmarks(last, fourth), 1);
    EXPECT_EQ(t->CompareBookmarks(fourth, fourth), 0);
    EXPECT_EQ(t->CompareBookmarks(TBookmark(), fourth), -1);
    EXPECT_TRUE(t->BookmarkValid(fourth));

    t->GotoBookmark(fourth);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 4);
    // The buffers around it are filled again, so walking on is seamless.
    t->Next();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 5);
    t->SetRecNo(8);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 8);

    t->FreeBookmark(fourth);
    EXPECT_TRUE(fourth.empty());
}

TEST_F(DataSetWalk, EditPostWritesTheTableAndCancelLeavesIt) {
    MakeNumbered("walk.dbf", 3);
    TTable* t = Table("walk.dbf");
    t->Open();
    t->Next();
    t->Edit();
    EXPECT_EQ(t->State(), dsEdit);
    t->FieldByName("NAME")->SetAsString("Changed");
    EXPECT_TRUE(t->Modified());
    t->Post();
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);

    t->Edit();
    t->FieldByName("NAME")->SetAsString("Dropped");
    t->Cancel();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Changed");

    t->Close();
    t->Open();
    t->Next();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Changed");
}

TEST_F(DataSetWalk, InsertAndAppendAddRecordsAndStandOnThem) {
    MakeNumbered("walk.dbf", 3);
    TTable* t = Table("walk.dbf");
    t->Open();
    t->Append();
    EXPECT_EQ(t->State(), dsInsert);
    EXPECT_TRUE(t->Eof());
    t->FieldByName("ID")->SetAsInteger(10);
    t->Post();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 10);
    EXPECT_EQ(t->RecordCount(), 4);

    t->First();
    t->Insert();
    t->FieldByName("ID")->SetAsInteger(11);
    t->FieldByName("NAME")->SetAsString("Inserted");
    t->Post();
    EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Inserted");
    EXPECT_EQ(t->RecNo(), 5);

    // An insert cancelled goes back to where it started.
    t->First();
    t->Next();
    t->Insert();
    t->Cancel();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);

    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{1, 2, 3, 10, 11}));
}

TEST_F(DataSetWalk, DeletedRecordsAreHidden) {
    MakeNumbered("walk.dbf", 5);
    TTable* t = Table("walk.dbf");
    t->Open();
    // Deletes 2, then 1, then 5 (the last): the next record, else the one before, is shown.
    t->MoveBy(1);
    t->Delete();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3);
    t->First();
    t->Delete();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3);
    t->Last();
    t->Delete();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 4);

    t->First();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{3, 4}));
    t->Close();
    t->Open();
    EXPECT_EQ(IdsToEnd(t), (std::vector<int>{3, 4}));
}

TEST_F(DataSetWalk, OperationsRefusedWithTheClassLibraryTexts) {
    MakeNumbered("walk.dbf", 2);
    TTable* t = Table("walk.dbf");
    auto message = [](auto&& action) {
        try {
            action();
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { t->Next(); }), "Cannot perform this operation on a closed dataset");
    t->Open();
    EXPECT_EQ(message([&] { t->FieldByName("NOSUCH"); }), "Field 'NOSUCH' not found");
    EXPECT_EQ(message([&] { t->FieldByName("NAME")->SetAsString("x"); }), "Dataset not in edit or insert mode");
    EXPECT_EQ(message([&] { t->Post(); }), "Dataset not in edit or insert mode");
    t->SetName("Patients");
    EXPECT_EQ(message([&] { t->FieldByName("NOSUCH"); }), "Patients: Field 'NOSUCH' not found");

    t->FieldByName("NAME")->SetRequired(true);
    t->Append();
    t->FieldByName("ID")->SetAsInteger(3);
    EXPECT_EQ(message([&] { t->Post(); }), "Field 'NAME' must have a value");
    EXPECT_EQ(t->State(), dsInsert);
    t->Cancel();

    TTable* missing = Table("nothere.dbf");
    EXPECT_THROW(missing->Open(), EDBEngineError);
    EXPECT_FALSE(missing->Active());
}

TEST_F(DataSetWalk, ReadOnlyTableRefusesChanges) {
    MakeNumbered("walk.dbf", 2);
    TTable* t = Table("walk.dbf");
    t->SetReadOnly(true);
    t->Open();
    EXPECT_FALSE(t->CanModify());
    try {
        t->Edit();
        FAIL() << "edit of a read-only table";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot modify a read-only dataset");
    }
    EXPECT_EQ(t->State(), dsBrowse);
}
