// Memo fields read and written through blob streams on a real table.
#include "DataFixture.h"

#include "data/BlobStream.h"

class BlobStreams : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        MakeTable("notes.dbf", {{"ID", "N", 6, 0}, {"NOTES", "M", 10, 0}});
        Fill("notes.dbf", {{"1"}, {"2"}, {"3"}});
        t = Table("notes.dbf");
        t->Open();
        notes = t->FieldByName("NOTES");
    }
    std::string ReadAll(TBlobStreamMode mode = bmRead) {
        TBlobStream stream(notes, mode);
        std::string text(static_cast<size_t>(stream.Size()), '\0');
        if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
        return text;
    }
    void WriteAll(const std::string& text) {
        TBlobStream stream(notes, bmWrite);
        stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    }
    // The table's fields are dynamic: Close frees them, so the field is looked up again.
    void Reopen() {
        t->Close();
        t->Open();
        notes = t->FieldByName("NOTES");
    }
    TTable* t = nullptr;
    TField* notes = nullptr;
};

TEST_F(BlobStreams, MemoWrittenInEditIsReadAfterReopen) {
    t->Next();
    t->Edit();
    WriteAll("First line\r\nSecond line");
    EXPECT_TRUE(t->Modified());
    EXPECT_EQ(ReadAll(), "First line\r\nSecond line");
    t->Post();
    Reopen();
    t->Next();
    EXPECT_EQ(ReadAll(), "First line\r\nSecond line");
    EXPECT_EQ(notes->AsString(), "First line\r\nSecond line");
    EXPECT_EQ(notes->DisplayText(), "(MEMO)");
    // The neighbours keep their empty memos.
    t->First();
    EXPECT_TRUE(notes->IsNull());
    t->Last();
    EXPECT_EQ(ReadAll(), "");
}

TEST_F(BlobStreams, MemoOfANewRecordGoesWithThatRecord) {
    t->Last();
    t->Append();
    t->FieldByName("ID")->SetAsInteger(4);
    notes->SetAsString("new record's memo");
    t->Post();
    EXPECT_EQ(notes->AsString(), "new record's memo");
    // The record the engine stood on while inserting keeps its memo.
    t->Prior();
    EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(notes->AsString(), "");
}

TEST_F(BlobStreams, CancelDropsTheMemoWrite) {
    t->Edit();
    notes->SetAsString("kept");
    t->Post();
    t->Edit();
    notes->SetAsString("dropped");
    t->Cancel();
    EXPECT_EQ(notes->AsString(), "kept");
    Reopen();
    EXPECT_EQ(notes->AsString(), "kept");
}

TEST_F(BlobStreams, PartialReadsSeeksAndALargeMemo) {
    std::string big;
    for (int i = 0; big.size() < 100000; ++i) big += "line " + std::to_string(i) + "\r\n";
    t->Edit();
    WriteAll(big);
    t->Post();

    TBlobStream stream(notes, bmRead);
    EXPECT_EQ(stream.Size(), static_cast<int64_t>(big.size()));
    char chunk[10] = {};
    stream.Seek(70000, soFromBeginning);
    EXPECT_EQ(stream.Read(chunk, sizeof chunk), 10);
    EXPECT_EQ(std::string(chunk, 10), big.substr(70000, 10));
    stream.Seek(-4, soFromEnd);
    EXPECT_EQ(stream.Read(chunk, sizeof chunk), 4);
    EXPECT_EQ(std::string(chunk, 4), big.substr(big.size() - 4));
    EXPECT_EQ(stream.Read(chunk, sizeof chunk), 0);
}

TEST_F(BlobStreams, WritingNeedsEditOrInsert) {
    try {
        TBlobStream stream(notes, bmWrite);
        FAIL() << "a write stream in browse mode";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    TBlobStream reader(notes, bmRead);
    char c = 'x';
    EXPECT_THROW(reader.Write(&c, 1), EDatabaseError);
}

TEST_F(BlobStreams, MemoLoadsFromAndSavesToStreams) {
    t->Edit();
    TStringStream source("from a stream");
    static_cast<TBlobField*>(notes)->LoadFromStream(&source);
    t->Post();
    TStringStream target;
    static_cast<TBlobField*>(notes)->SaveToStream(&target);
    EXPECT_EQ(target.DataString(), "from a stream");
}
