// Records read ahead in blocks during sequential movement: in exclusive use
// what this open writes shows at once, and nothing of a zapped table remains;
// in shared use what another workstation writes shows at the next read.
#include <cstdio>
#include <cstring>

#include "StorageSupport.h"
#include "support/ChildProcess.h"

namespace {

// The number field without the blanks that align it.
std::string Number() {
    std::string text = Str(xb_GetTrimString("N"));
    return text.substr(text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
}

std::vector<std::string> WalkValues() {
    std::vector<std::string> values;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
        values.push_back(Number());
    return values;
}

}  // namespace

TEST_F(StorageTest, ReadAheadServesWhatThisOpenWrote) {
    std::string path = dir.file("ahead.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 6, 0}, {"PAD", "C", 30, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    std::vector<std::string> expected;
    for (int i = 1; i <= 5000; ++i) {
        ASSERT_TRUE(AppendValues({{"N", std::to_string(i)}}));
        expected.push_back(std::to_string(i));
    }
    ASSERT_EQ(WalkValues(), expected);

    // Written in the middle of a walk, by field and by whole record.
    xb_GoTop();
    xb_Skip(9);
    ASSERT_TRUE(xb_Replace("N", XB_REPLACE_TEXT, "-10"));
    xb_Skip(1);
    std::vector<char> record(xb_RecSize());
    xb_GetRecord(record.data());
    std::memcpy(record.data() + 1, "   -11", 6);
    ASSERT_TRUE(xb_PutRecord(record.data()));
    xb_Skip(-1);
    EXPECT_EQ(Number(), "-10");
    xb_Skip(1);
    EXPECT_EQ(Number(), "-11");
    expected[9] = "-10";
    expected[10] = "-11";
    EXPECT_EQ(WalkValues(), expected);
    xb_Go(4000);
    ASSERT_TRUE(xb_Delete());
    xb_Skip(-1);
    xb_Skip(1);
    EXPECT_TRUE(xb_Deleted());

    ASSERT_TRUE(xb_Zap());
    for (const char* n : {"7", "8"})
        ASSERT_TRUE(AppendValues({{"N", n}}));
    EXPECT_EQ(WalkValues(), (std::vector<std::string>{"7", "8"}));
}

TEST_F(StorageTest, ReadAheadInSharedUseShowsAnotherWorkstationsWritesAtTheNextRead) {
    std::string path = dir.file("shared ahead.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 6, 0}, {"PAD", "C", 30, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    std::vector<std::string> expected;
    for (int i = 1; i <= 3000; ++i) {
        ASSERT_TRUE(AppendValues({{"N", std::to_string(i)}}));
        expected.push_back(std::to_string(i));
    }
    xb_CloseAll();

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    xb_GoTop();
    xb_Skip(4);  // a walk: the records after these are read ahead
    ASSERT_EQ(Number(), "5");

    // Another workstation writes a record this walk passed, the one it
    // stands on and one ahead of it, by field and by whole record.
    ChildProcess other([&](ChildProcess& self) {
        xb_CloseAll();
        if (!self.Receive() || xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0)
            _exit(3);
        for (int recNo : {3, 5}) {
            xb_Go(recNo);
            if (!xb_Replace("N", XB_REPLACE_TEXT, ("-" + std::to_string(recNo)).c_str()))
                _exit(4);
        }
        xb_Go(10);
        std::vector<char> record(xb_RecSize());
        xb_GetRecord(record.data());
        std::memcpy(record.data() + 1, "   -10", 6);
        if (!xb_PutRecord(record.data()))
            _exit(5);
        xb_CloseAll();
        self.Send();
    });
    ASSERT_TRUE(other.Started());
    other.Send();
    ASSERT_TRUE(other.Receive());
    ASSERT_EQ(other.Wait(), 0);

    std::vector<char> record(xb_RecSize());
    xb_GetRecord(record.data());
    EXPECT_EQ(std::string(record.data() + 1, 6), "    -5");
    xb_Skip(5);
    EXPECT_EQ(Number(), "-10");
    xb_Go(3);
    EXPECT_EQ(Number(), "-3");
    for (int recNo : {3, 5, 10})
        expected[recNo - 1] = "-" + std::to_string(recNo);
    EXPECT_EQ(WalkValues(), expected);
}

TEST_F(StorageTest, AWriterThatDiedAtWorkLeavesRecordsReadableAndAnExclusiveOpenClearsIt) {
    std::string path = dir.file("died.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 6, 0}}), "");
    ASSERT_EQ(FillTable(path, {{"1"}, {"2"}, {"3"}, {"4"}, {"5"}}), "");
    // The header's change stamp as a workstation killed inside a record
    // write leaves it: one writer still counted in its top bits.
    auto stamp = [&path] {
        uint64_t value = 0;
        FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 16, SEEK_SET);
        EXPECT_EQ(std::fread(&value, sizeof value, 1, f), 1u);
        std::fclose(f);
        return value;
    };
    {
        const uint64_t counted = (uint64_t(1) << 48) + 7;
        FILE* f = std::fopen(path.c_str(), "r+b");
        std::fseek(f, 16, SEEK_SET);
        std::fwrite(&counted, sizeof counted, 1, f);
        std::fclose(f);
    }

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(WalkValues(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    xb_Go(3);
    EXPECT_EQ(Number(), "3");
    xb_CloseAll();
    EXPECT_GE(stamp(), uint64_t(1) << 48) << "a shared open leaves other writers' counts alone";

    ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    xb_CloseAll();
    EXPECT_EQ(stamp(), 7u);
}
