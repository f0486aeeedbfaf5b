// Moving over records, writing them, bookmarks, positions and counts.
#include <sys/wait.h>
#include <unistd.h>

#include "GlueFixture.h"

namespace {

class RecordTest : public GlueTest {
protected:
    void SetUp() override {
        GlueTest::SetUp();
        MakeTable("PEOPLE.DBF", {{"ID", "N", 4, 0}, {"NAME", "C", 10, 0}});
        Fill("PEOPLE.DBF", {{"1", "Ann"}, {"2", "Bob"}, {"3", "Cy"}, {"4", "Dee"}, {"5", "Eve"}});
        cursor = Open("PEOPLE.DBF");
        rec = Buffer(cursor);
    }
    std::string Name() { return StringField(cursor, rec, 2); }
    // Names read forward from the current position to the end.
    std::vector<std::string> NamesToEnd() {
        std::vector<std::string> names;
        while (glue.GetNextRecord(cursor, dbiNOLOCK, rec.data(), nullptr) == DBIERR_NONE)
            names.push_back(Name());
        return names;
    }
    void GoTo(uint32_t recNo) {
        ASSERT_EQ(glue.SetToBookMark(cursor, reinterpret_cast<const uint8_t*>(&recNo)), DBIERR_NONE);
    }

    hDBICur cursor = 0;
    std::vector<uint8_t> rec;
};

TEST_F(RecordTest, WalkBothWaysFromTheEnds) {
    ASSERT_EQ(glue.SetToBegin(cursor), DBIERR_NONE);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_BOF);
    EXPECT_EQ(NamesToEnd(), (std::vector<std::string>{"Ann", "Bob", "Cy", "Dee", "Eve"}));
    EXPECT_EQ(Name(), "");  // the blank record past the end

    ASSERT_EQ(glue.SetToEnd(cursor), DBIERR_NONE);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF);
    std::vector<std::string> back;
    while (glue.GetPriorRecord(cursor, dbiNOLOCK, rec.data(), nullptr) == DBIERR_NONE)
        back.push_back(Name());
    EXPECT_EQ(back, (std::vector<std::string>{"Eve", "Dee", "Cy", "Bob", "Ann"}));

    RECProps props;
    ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), &props), DBIERR_NONE);
    EXPECT_EQ(props.iPhyRecNum, 1u);
    EXPECT_EQ(Name(), "Ann");
}

TEST_F(RecordTest, EmptyTableIsAtBothEnds) {
    MakeTable("EMPTY.DBF", {{"NAME", "C", 10, 0}});
    hDBICur empty = Open("EMPTY.DBF");
    ASSERT_EQ(glue.SetToBegin(empty), DBIERR_NONE);
    EXPECT_EQ(glue.GetNextRecord(empty, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF);
    ASSERT_EQ(glue.SetToEnd(empty), DBIERR_NONE);
    EXPECT_EQ(glue.GetPriorRecord(empty, dbiNOLOCK, rec.data(), nullptr), DBIERR_BOF);
    uint32_t count = 9;
    ASSERT_EQ(glue.GetRecordCount(empty, count), DBIERR_NONE);
    EXPECT_EQ(count, 0u);
}

TEST_F(RecordTest, BookmarksAreRecordNumbers) {
    GoTo(3);
    ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);
    EXPECT_EQ(Name(), "Cy");
    EXPECT_EQ(RecNoOf(cursor), 3u);

    uint32_t two = 2, four = 4;
    const uint8_t* bm2 = reinterpret_cast<const uint8_t*>(&two);
    const uint8_t* bm4 = reinterpret_cast<const uint8_t*>(&four);
    CMPBkMkRslt result = CMPEQL;
    ASSERT_EQ(glue.CompareBookMarks(cursor, bm2, bm4, result), DBIERR_NONE);
    EXPECT_EQ(result, CMPLESS);
    glue.CompareBookMarks(cursor, bm4, bm2, result);
    EXPECT_EQ(result, CMPGTR);
    glue.CompareBookMarks(cursor, bm4, bm4, result);
    EXPECT_EQ(result, CMPEQL);
    EXPECT_EQ(RecNoOf(cursor), 3u);  // comparing leaves the cursor where it was

    GoTo(99);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF);
}

TEST_F(RecordTest, SequenceNumbersCountFromOne) {
    for (uint32_t seqNo : {1u, 2u, 5u}) {
        ASSERT_EQ(glue.SetToSeqNo(cursor, seqNo), DBIERR_NONE);
        EXPECT_EQ(RecNoOf(cursor), seqNo);
        uint32_t back = 0;
        ASSERT_EQ(glue.GetSeqNo(cursor, back), DBIERR_NONE);
        EXPECT_EQ(back, seqNo);
    }
    ASSERT_EQ(glue.SetToSeqNo(cursor, 6), DBIERR_NONE);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF);
}

TEST_F(RecordTest, AppendModifyAndDelete) {
    ASSERT_EQ(glue.InitRecord(cursor, rec.data()), DBIERR_NONE);
    EXPECT_EQ(rec, std::vector<uint8_t>(rec.size(), ' '));
    int16_t id = 6;
    glue.PutField(cursor, 1, rec.data(), &id);
    glue.PutField(cursor, 2, rec.data(), "Fay");
    ASSERT_EQ(glue.AppendRecord(cursor, rec.data(), true), DBIERR_NONE);
    uint32_t count = 0;
    glue.GetRecordCount(cursor, count);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(RecNoOf(cursor), 6u);

    GoTo(2);
    ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiWRITELOCK, rec.data(), nullptr), DBIERR_NONE);
    glue.PutField(cursor, 2, rec.data(), "Robert");
    ASSERT_EQ(glue.ModifyRecord(cursor, rec.data(), true), DBIERR_NONE);
    ASSERT_EQ(glue.DeleteRecord(cursor, rec.data()), DBIERR_NONE);

    ASSERT_EQ(glue.SetToBegin(cursor), DBIERR_NONE);
    EXPECT_EQ(NamesToEnd(), (std::vector<std::string>{"Ann", "Robert", "Cy", "Dee", "Eve", "Fay"}));
    GoTo(2);
    RECProps props;
    glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), &props);
    EXPECT_TRUE(props.bDeleteFlag);
    EXPECT_EQ(rec[0], '*');

    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);

    // Hidden deleted records are skipped by the engine itself, and one that
    // is current is current no more.
    xb_SetDeleted(XB_ON);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NOCURRREC);
    EXPECT_EQ(RecNoOf(cursor), 2u);
    ASSERT_EQ(glue.SetToBegin(cursor), DBIERR_NONE);
    EXPECT_EQ(NamesToEnd(), (std::vector<std::string>{"Ann", "Cy", "Dee", "Eve", "Fay"}));
}

TEST_F(RecordTest, SetToCursorStandsOnTheSameRecord) {
    hDBICur other = Open("PEOPLE.DBF");
    GoTo(4);
    ASSERT_EQ(glue.SetToCursor(other, cursor), DBIERR_NONE);
    EXPECT_EQ(RecNoOf(other), 4u);
    EXPECT_EQ(glue.SetToCursor(other, 200), DBIERR_INVALIDHNDL);
}

TEST_F(RecordTest, LockHeldByAnotherProcessIsRefused) {
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    std::string path = dir.file("PEOPLE.DBF");
    pid_t child = fork();
    if (child == 0) {
        xb_CloseAll();
        int ok = xb_Use(path.c_str(), "HOLDER", XB_SHARED, XB_DRIVER_NSX) != 0 && xb_Rlock(2) != 0;
        char c = ok ? '1' : '0';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(ok ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, '1');
    xb_SetLockTimeout(20);

    GoTo(2);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiWRITELOCK, rec.data(), nullptr), DBIERR_LOCKED);
    ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);
    glue.PutField(cursor, 2, rec.data(), "Changed");
    EXPECT_EQ(glue.ModifyRecord(cursor, rec.data(), false), DBIERR_LOCKED);
    EXPECT_EQ(glue.DeleteRecord(cursor, rec.data()), DBIERR_LOCKED);
    GoTo(3);
    EXPECT_EQ(glue.GetCurrentRecord(cursor, dbiWRITELOCK, rec.data(), nullptr), DBIERR_NONE);

    (void)!write(release[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);

    GoTo(2);
    ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, rec.data(), nullptr), DBIERR_NONE);
    EXPECT_EQ(Name(), "Bob");
}

TEST_F(RecordTest, ReadOnlyTableRefusesAppendsWithItsStatus) {
    hDBICur readOnly = 0;
    ASSERT_EQ(glue.OpenTable(db, "PEOPLE.DBF", "SXNSX", nullptr, nullptr, 0, dbiREADONLY, dbiOPENSHARED, xltFIELD,
                             false, nullptr, readOnly),
              DBIERR_NONE);
    glue.InitRecord(readOnly, rec.data());
    EXPECT_EQ(glue.AppendRecord(readOnly, rec.data(), true), DBIERR_APPENDFAILED);
}

}  // namespace
