// Memo fields: reads and writes through the blob calls, kept with the record
// buffer they were written into until that record is written.
#include "GlueFixture.h"

namespace {

class MemoTest : public GlueTest {
protected:
    void SetUp() override {
        GlueTest::SetUp();
        MakeTable("NOTES.DBF", {{"NAME", "C", 10, 0}, {"NOTES", "M", 10, 0}});
        Fill("NOTES.DBF", {{"One", "0123456789"}, {"Two", ""}, {"Three", ""}});
        cursor = Open("NOTES.DBF");
        rec = Buffer(cursor);
    }
    void ReadRecord(uint32_t recNo, std::vector<uint8_t>& buffer) {
        ASSERT_EQ(glue.SetToBookMark(cursor, reinterpret_cast<const uint8_t*>(&recNo)), DBIERR_NONE);
        ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, buffer.data(), nullptr), DBIERR_NONE);
    }
    std::string Memo(std::vector<uint8_t>& buffer) {
        uint32_t size = 0;
        EXPECT_EQ(glue.GetBlobSize(cursor, buffer.data(), 2, size), DBIERR_NONE);
        std::string text(size, '\0');
        uint32_t read = 0;
        EXPECT_EQ(glue.GetBlob(cursor, buffer.data(), 2, 0, size, text.data(), read), DBIERR_NONE);
        text.resize(read);
        return text;
    }
    std::string StoredMemo(uint32_t recNo) {
        std::vector<uint8_t> fresh(rec.size());
        ReadRecord(recNo, fresh);
        return Memo(fresh);
    }
    DBIResult Write(std::vector<uint8_t>& buffer, uint32_t offset, const std::string& bytes) {
        return glue.PutBlob(cursor, buffer.data(), 2, offset, static_cast<uint32_t>(bytes.size()), bytes.data());
    }

    hDBICur cursor = 0;
    std::vector<uint8_t> rec;
};

TEST_F(MemoTest, PartialReads) {
    ReadRecord(1, rec);
    struct Case {
        uint32_t offset, len;
        const char* bytes;
        DBIResult status;
    } cases[] = {
        {0, 4, "0123", DBIERR_NONE},
        {6, 10, "6789", DBIERR_ENDOFBLOB},
        {10, 1, "", DBIERR_ENDOFBLOB},
        {11, 1, "", DBIERR_BLOBOFFSET},
    };
    for (const Case& c : cases) {
        char out[16] = {};
        uint32_t read = 99;
        EXPECT_EQ(glue.GetBlob(cursor, rec.data(), 2, c.offset, c.len, out, read), c.status) << c.offset;
        EXPECT_EQ(std::string(out, read), c.bytes) << c.offset;
    }
    ReadRecord(2, rec);
    char out[4];
    uint32_t read = 99;
    EXPECT_EQ(glue.GetBlob(cursor, rec.data(), 2, 0, 4, out, read), DBIERR_NONE);
    EXPECT_EQ(read, 0u);
}

TEST_F(MemoTest, WritesEndTheValueAtTheirEnd) {
    struct Case {
        uint32_t offset;
        const char* bytes;
        const char* result;
        DBIResult status;
    } cases[] = {
        {4, "ab", "0123ab", DBIERR_NONE},
        {10, "!", "0123456789!", DBIERR_NONE},
        {0, "", "", DBIERR_NONE},
        {12, "x", "0123456789", DBIERR_BLOBOFFSET},
    };
    for (const Case& c : cases) {
        ReadRecord(1, rec);
        EXPECT_EQ(Write(rec, c.offset, c.bytes), c.status) << c.bytes;
        EXPECT_EQ(Memo(rec), c.result) << c.bytes;
    }
    ReadRecord(1, rec);
    ASSERT_EQ(glue.TruncateBlob(cursor, rec.data(), 2, 3), DBIERR_NONE);
    EXPECT_EQ(Memo(rec), "012");
}

TEST_F(MemoTest, WriteBelongsToTheRecordOfItsBuffer) {
    std::vector<uint8_t> two(rec.size()), three(rec.size());
    ReadRecord(2, two);
    ASSERT_EQ(Write(two, 0, "note for two"), DBIERR_NONE);
    // The engine moves on before the edited record is written.
    ReadRecord(3, three);
    EXPECT_EQ(Memo(two), "note for two");
    EXPECT_EQ(Memo(three), "");

    uint32_t recNo = 2;
    glue.SetToBookMark(cursor, reinterpret_cast<const uint8_t*>(&recNo));
    ASSERT_EQ(glue.ModifyRecord(cursor, two.data(), true), DBIERR_NONE);
    EXPECT_EQ(Memo(two), "note for two");  // the buffer refers to the stored memo now
    EXPECT_EQ(StoredMemo(2), "note for two");
    EXPECT_EQ(StoredMemo(3), "");
    EXPECT_EQ(StoredMemo(1), "0123456789");
}

TEST_F(MemoTest, FreedWritesNeverReachTheTable) {
    ReadRecord(1, rec);
    ASSERT_EQ(Write(rec, 0, "discarded"), DBIERR_NONE);
    ASSERT_EQ(glue.FreeBlob(cursor, rec.data(), 2), DBIERR_NONE);
    glue.PutField(cursor, 1, rec.data(), "Uno");
    ASSERT_EQ(glue.ModifyRecord(cursor, rec.data(), true), DBIERR_NONE);
    EXPECT_EQ(StoredMemo(1), "0123456789");
    EXPECT_EQ(StringField(cursor, rec, 1), "Uno");
}

TEST_F(MemoTest, AppendedRecordTakesItsMemo) {
    std::string bytes("text with \0 and \xe9", 17);
    ASSERT_EQ(glue.InitRecord(cursor, rec.data()), DBIERR_NONE);
    glue.PutField(cursor, 1, rec.data(), "Four");
    ASSERT_EQ(Write(rec, 0, bytes), DBIERR_NONE);
    ASSERT_EQ(glue.AppendRecord(cursor, rec.data(), true), DBIERR_NONE);
    EXPECT_EQ(StoredMemo(4), bytes);
    EXPECT_EQ(StoredMemo(3), "");
    // A zero byte in the text does not make the field a binary blob.
    std::vector<FLDDesc> descs;
    ASSERT_EQ(glue.DbiGetFieldDescs(cursor, descs), DBIERR_NONE);
    EXPECT_EQ(descs[1].iSubType, fldstMEMO);
}

TEST_F(MemoTest, ReadingAMemoLeavesTheEngineRecordAlone) {
    std::vector<uint8_t> one(rec.size());
    ReadRecord(1, one);
    ReadRecord(2, rec);
    EXPECT_EQ(Memo(one), "0123456789");
    // The engine still stands on record 2 with its own record.
    EXPECT_EQ(RecNoOf(cursor), 2u);
    std::vector<uint8_t> again(rec.size());
    ASSERT_EQ(glue.GetCurrentRecord(cursor, dbiNOLOCK, again.data(), nullptr), DBIERR_NONE);
    EXPECT_EQ(again, rec);
    EXPECT_EQ(Memo(again), "");
}

TEST_F(MemoTest, RefusedWriteKeepsTheMemoForTheRetryOnly) {
    hDBICur holder = Open("NOTES.DBF");
    xb_SetLockTimeout(20);
    uint32_t one = 1;
    std::vector<uint8_t> held(rec.size());
    glue.SetToBookMark(holder, reinterpret_cast<const uint8_t*>(&one));
    ASSERT_EQ(glue.GetCurrentRecord(holder, dbiWRITELOCK, held.data(), nullptr), DBIERR_NONE);

    std::vector<uint8_t> two(rec.size());
    ReadRecord(2, two);
    ReadRecord(1, rec);
    ASSERT_EQ(Write(rec, 0, "late note"), DBIERR_NONE);
    EXPECT_EQ(glue.ModifyRecord(cursor, rec.data(), true), DBIERR_LOCKED);
    EXPECT_EQ(Memo(two), "");  // the refused memo is nobody else's
    EXPECT_EQ(Memo(rec), "late note");

    ASSERT_EQ(glue.ReleaseRecordLock(holder, true), DBIERR_NONE);
    glue.SetToBookMark(cursor, reinterpret_cast<const uint8_t*>(&one));
    ASSERT_EQ(glue.ModifyRecord(cursor, rec.data(), true), DBIERR_NONE);
    EXPECT_EQ(StoredMemo(1), "late note");
}

}  // namespace
