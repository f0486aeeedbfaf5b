// One table used by two datasets of one process and by a second process:
// record locks keep their edits apart.
#include "DataFixture.h"

#include <sys/wait.h>
#include <unistd.h>

namespace {
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return "no error";
}
}  // namespace

using SharedTable = DataTest;

TEST_F(SharedTable, TwoDatasetsInOneProcessLockEachOthersRecords) {
    MakeNumbered("shared.dbf", 3);
    TTable* a = Table("shared.dbf");
    TTable* b = Table("shared.dbf");
    a->Open();
    b->Open();
    a->Next();
    b->Next();
    a->Edit();
    a->FieldByName("NAME")->SetAsString("By A");

    EXPECT_EQ(ErrorOf([&] { b->Edit(); }), "Record locked by another user.");
    EXPECT_EQ(b->State(), dsBrowse);
    EXPECT_EQ(ErrorOf([&] { b->Delete(); }), "Record locked by another user.");
    try {
        b->Edit();
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), DBIERR_LOCKED);
    }
    // Other records stay free.
    b->Next();
    b->Edit();
    b->FieldByName("NAME")->SetAsString("By B");
    b->Post();

    a->Post();
    b->Prior();
    b->Edit();
    EXPECT_EQ(b->FieldByName("NAME")->AsString(), "By A");  // an edit reads the record afresh
    b->Cancel();
    a->Refresh();
    a->Next();
    EXPECT_EQ(a->FieldByName("NAME")->AsString(), "By B");
}

TEST_F(SharedTable, EditOfARecordDeletedMeanwhileIsRefused) {
    MakeNumbered("shared.dbf", 3);
    TTable* a = Table("shared.dbf");
    TTable* b = Table("shared.dbf");
    a->Open();
    b->Open();
    a->Next();
    b->Next();
    b->Delete();
    EXPECT_EQ(a->FieldByName("ID")->AsInteger(), 2);  // still shown from its buffer
    EXPECT_EQ(ErrorOf([&] { a->Edit(); }), "Record/Key deleted.");
    EXPECT_EQ(a->State(), dsBrowse);
    EXPECT_EQ(a->FieldByName("ID")->AsInteger(), 3);
    a->First();
    EXPECT_EQ(IdsToEnd(a), (std::vector<int>{1, 3}));
}

TEST_F(SharedTable, AnotherProcessIsRefusedTheRecordBeingEdited) {
    MakeNumbered("shared.dbf", 3);
    TTable* a = Table("shared.dbf");
    a->Open();
    a->Next();
    a->Edit();

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child's own open of the table, as on another workstation.
        int code = 0;
        try {
            TTable other(nullptr);
            other.SetDatabaseName(dir.path());
            other.SetTableName("shared.dbf");
            other.Open();
            other.Next();
            if (ErrorOf([&] { other.Edit(); }) != "Record locked by another user.") code = 1;
            other.Next();
            other.Edit();
            other.FieldByName("NAME")->SetAsString("Child");
            other.Post();
        } catch (...) {
            code = 2;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    a->Cancel();
    a->Next();
    EXPECT_EQ(a->FieldByName("NAME")->AsString(), "Child");
}

TEST_F(SharedTable, ExclusiveOpenKeepsOthersOut) {
    MakeNumbered("shared.dbf", 1);
    TTable* a = Table("shared.dbf");
    TTable* b = Table("shared.dbf");
    a->SetExclusive(true);
    a->Open();
    EXPECT_THROW(b->Open(), EDBEngineError);
    EXPECT_FALSE(b->Active());
    // The refused table is not left among the database's datasets.
    EXPECT_EQ(b->Database(), nullptr);
    ASSERT_EQ(a->Database()->DataSetCount(), 1);
    EXPECT_EQ(a->Database()->DataSets(0), a);
    a->Close();
    b->Open();
    EXPECT_THROW(a->Open(), EDBEngineError);
}
