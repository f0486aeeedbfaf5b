// Damaged and truncated files: they open with a refusal or read what is
// sound, never crash and never read outside the file.
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "StorageSupport.h"
#include "support/ChildProcess.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void PutLe32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(v >> (8 * i));
}

// Three records with memos; header 32 + 3*32 + 1 = 129 bytes, records of 16.
class DamagedTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        table = dir.file("good.dbf");
        memo = dir.file("good.smt");
        ASSERT_EQ(CreateTable(table, {{"NAME", "C", 3, 0}, {"N", "N", 2, 0}, {"NOTE", "M", 10, 0}}), "");
        ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        for (const char* name : {"one", "two", "six"})
            ASSERT_TRUE(AppendValues({{"NAME", name}, {"N", "7"}, {"NOTE", std::string("memo of ") + name}}));
        xb_CloseAll();
        goodTable = ReadFile(table);
        goodMemo = ReadFile(memo);
        ASSERT_EQ(goodTable.size(), 129u + 3 * 16 + 1);
    }

    // Walks every record and reads every field and memo; the records seen.
    int ReadEverything() {
        int seen = 0;
        std::vector<char> buf(xb_RecSize() + 1);
        for (xb_GoTop(); !xb_Eof() && seen < 100; xb_Skip(1)) {
            xb_GetRecord(buf.data());
            for (int f = 1; f <= xb_FieldCount(); ++f) {
                std::string name = Str(xb_FieldName(f));
                xb_GetString(name.c_str());
                Memo(name.c_str());
                xb_GetBlobLength(name.c_str());
            }
            ++seen;
        }
        return seen;
    }

    std::string table, memo, goodTable, goodMemo;
};

}  // namespace

TEST_F(DamagedTest, BrokenTableFilesAreRefusedOrReadAsFarAsTheyAreSound) {
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
        int records;  // -1: the open is refused
    };
    const Case cases[] = {
        {"empty file", [](std::string& b) { b.clear(); }, -1},
        {"cut inside the header", [](std::string& b) { b.resize(20); }, -1},
        {"cut inside the field descriptors", [](std::string& b) { b.resize(70); }, -1},
        {"unknown first byte", [](std::string& b) { b[0] = 0x42; }, -1},
        {"header size beyond the file", [](std::string& b) { b[8] = '\xFF'; b[9] = '\x7F'; }, -1},
        {"header size too small for a field", [](std::string& b) { b[8] = 40; b[9] = 0; }, -1},
        {"field of width zero", [](std::string& b) { b[32 + 16] = 0; }, -1},
        {"fields wider than the record", [](std::string& b) { b[10] = 5; b[11] = 0; }, -1},
        {"count far beyond the file", [](std::string& b) { PutLe32(b, 4, 0x7FFFFFFF); }, 3},
        {"count of the highest value", [](std::string& b) { PutLe32(b, 4, 0xFFFFFFFF); }, 3},
        {"last record cut short", [](std::string& b) { b.resize(129 + 2 * 16 + 5); }, 2},
        {"end-of-file byte missing", [](std::string& b) { b.pop_back(); }, 3},
        {"memo pointer past the memo file", [](std::string& b) { b.replace(129 + 6, 10, "    999999"); }, 3},
        {"memo pointer into the header", [](std::string& b) { b.replace(129 + 6, 10, "         1"); }, 3},
        {"memo pointer not a number", [](std::string& b) { b.replace(129 + 6, 10, "  12x4    "); }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = goodTable;
        c.damage(bytes);
        WriteFile(table, bytes);
        WriteFile(memo, goodMemo);
        int area = xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX);
        if (c.records < 0) {
            EXPECT_EQ(area, 0);
            continue;
        }
        ASSERT_GT(area, 0);
        EXPECT_EQ(xb_RecCount(), c.records);
        EXPECT_EQ(ReadEverything(), c.records);
        xb_Go(c.records + 1);
        EXPECT_EQ(xb_Eof(), 1);
        xb_CloseAll();
    }
}

TEST_F(DamagedTest, BrokenMemoFiles) {
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
        bool opens;
        const char* firstMemo;
    };
    const Case cases[] = {
        {"missing", nullptr, false, ""},
        {"cut inside the header", [](std::string& b) { b.resize(100); }, false, ""},
        {"memo length past the end", [](std::string& b) { b[512 + 4] = '\x7F'; }, true, ""},
        {"memos cut off", [](std::string& b) { b.resize(520); }, true, ""},
        {"block size zero", [](std::string& b) { b[6] = 0; b[7] = 0; }, false, ""},
        {"free list garbage", [](std::string& b) { std::fill(b.begin() + 16, b.begin() + 512, '\xEE'); },
         true, "memo of one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(table, goodTable);
        if (c.damage) {
            std::string bytes = goodMemo;
            c.damage(bytes);
            WriteFile(memo, bytes);
        } else {
            unlink(memo.c_str());
        }
        int area = xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX);
        EXPECT_EQ(area > 0, c.opens);
        if (area == 0)
            continue;
        EXPECT_EQ(ReadEverything(), 3);
        xb_GoTop();
        EXPECT_EQ(Memo("NOTE"), c.firstMemo);
        // Writing a new memo still works and reads back.
        ASSERT_TRUE(xb_Replace("NOTE", XB_REPLACE_MEMO, "fresh"));
        EXPECT_EQ(Memo("NOTE"), "fresh");
        xb_CloseAll();
    }
}

// Every single byte of the header and first record changed to a few values:
// whatever opens must read within the file.
TEST_F(DamagedTest, NoSingleByteDamageCrashes) {
    const unsigned char values[] = {0x00, 0x0D, 0x7F, 0xFF};
    size_t limit = 129 + 16;
    for (size_t at = 0; at < limit; ++at) {
        for (unsigned char v : values) {
            std::string bytes = goodTable;
            bytes[at] = static_cast<char>(v);
            WriteFile(table, bytes);
            WriteFile(memo, goodMemo);
            if (xb_Use(table.c_str(), "", XB_READONLY, XB_DRIVER_NSX) == 0)
                continue;
            long size = static_cast<long>(bytes.size());
            long header = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
            EXPECT_LE(header + static_cast<long>(xb_RecCount()) * xb_RecSize(), size) << at << " " << int(v);
            EXPECT_LE(ReadEverything(), 3) << at;
            xb_CloseAll();
        }
    }
}

// Shared opens read through a mapping of the table. Another program cutting
// the file short makes the mapped pages past its new end unreadable: reads
// there fail as reads past the end of a cut-short table do.
TEST_F(DamagedTest, ATableCutShortByAnotherProgramWhileMappedReadsAsFarAsItGoes) {
    const std::string path = dir.file("long.dbf");
    ASSERT_EQ(CreateTable(path, {{"NAME", "C", 10, 0}}), "");
    ASSERT_EQ(FillTable(path, std::vector<std::vector<std::string>>(4000, {"patient"})), "");
    const std::string whole = ReadFile(path);
    const size_t header = 32 + 32 + 1, record = 11;
    struct Case {
        const char* name;
        size_t size;
        int records;
    };
    const Case cases[] = {
        {"cut after ten records", header + 10 * record, 10},
        {"cut inside record eleven", header + 10 * record + 5, 10},
        {"cut inside the header", 20, 0},
        {"emptied", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, whole);
        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        xb_Go(3000);
        ASSERT_EQ(Str(xb_GetTrimString("NAME")), "patient");
        ChildProcess other([&](ChildProcess&) {
            if (truncate(path.c_str(), static_cast<off_t>(c.size)) != 0)
                _exit(1);
        });
        ASSERT_EQ(other.Wait(), 0);

        // The record after the last one left lies in the file's last page, if
        // any, which reads as zeros past the end; later pages are gone.
        xb_Go(c.records + 1);
        EXPECT_EQ(xb_Eof(), 1);
        xb_Go(3000);
        EXPECT_EQ(xb_Eof(), 1);
        EXPECT_EQ(ReadEverything(), c.records);
        EXPECT_EQ(xb_RecCount(), c.records);
        xb_CloseAll();
    }
}
