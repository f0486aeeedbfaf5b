// Tables on disk: the file layout, field values, movement, deleted records,
// memos, table definitions and appending from another table.
#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>

#include "StorageSupport.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

long FileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

const std::vector<FieldSpec> kAllTypes = {
    {"NAME", "C", 12, 0}, {"AMOUNT", "N", 10, 2}, {"COUNT", "N", 4, 0},
    {"BORN", "D", 8, 0},  {"ACTIVE", "L", 1, 0},  {"NOTE", "M", 10, 0},
};

}  // namespace

TEST_F(StorageTest, EveryFieldTypeSurvivesWriteCloseAndReopen) {
    std::string path = dir.file("people.dbf");
    ASSERT_EQ(CreateTable(path, kAllTypes), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);

    double amount = -1234.5;
    int active = 1;
    int count = 42;
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    EXPECT_TRUE(xb_Replace("name", XB_REPLACE_TEXT, "Ann O'Neil"));
    EXPECT_TRUE(xb_Replace("AMOUNT", XB_REPLACE_DOUBLE, &amount));
    EXPECT_TRUE(xb_Replace("count", XB_REPLACE_INT, &count));
    EXPECT_TRUE(xb_Replace("Born", XB_REPLACE_DATE_TEXT, "07/04/76"));
    EXPECT_TRUE(xb_Replace("ACTIVE", XB_REPLACE_LOGICAL, &active));
    EXPECT_TRUE(xb_Replace("NOTE", XB_REPLACE_MEMO, "first line\r\nsecond line \xE9"));
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);  // a second record left blank
    xb_Close();

    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_RecCount(), 2);
    xb_GoTop();
    EXPECT_EQ(Str(xb_GetString("NAME")), "Ann O'Neil  ");
    EXPECT_EQ(Str(xb_GetTrimString("NAME")), "Ann O'Neil");
    EXPECT_EQ(Str(xb_GetString("AMOUNT")), "  -1234.50");
    EXPECT_EQ(Str(xb_GetString("COUNT")), "  42");
    EXPECT_EQ(Str(xb_GetString("BORN")), "19760704");
    EXPECT_EQ(Str(xb_GetDateString("BORN")), "07/04/76");
    xb_SetCentury(XB_ON);
    xb_SetDateFormat(XB_DATE_GERMAN);
    EXPECT_EQ(Str(xb_GetDateString("BORN")), "04.07.1976");
    EXPECT_EQ(xb_GetLogical("ACTIVE"), 1);
    EXPECT_EQ(Memo("NOTE"), "first line\r\nsecond line \xE9");
    EXPECT_EQ(xb_Empty("NAME"), 0);

    xb_Skip(1);
    for (const char* field : {"NAME", "AMOUNT", "BORN", "ACTIVE", "NOTE"})
        EXPECT_EQ(xb_Empty(field), 1) << field;
    EXPECT_EQ(Str(xb_GetString("BORN")), "        ");
    EXPECT_EQ(Memo("NOTE"), "");
}

TEST_F(StorageTest, FileLayoutIsPlainDbaseThree) {
    struct Case {
        std::vector<FieldSpec> fields;
        unsigned char firstByte;
    };
    const Case cases[] = {
        {{{"CODE", "C", 5, 0}, {"QTY", "N", 3, 0}}, 0x03},
        {{{"CODE", "C", 5, 0}, {"NOTE", "M", 10, 0}}, 0xE5},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("layout" + std::to_string(c.firstByte) + ".dbf");
        ASSERT_EQ(CreateTable(path, c.fields), "");
        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        ASSERT_TRUE(AppendValues({{"CODE", "ab"}}));
        xb_Close();

        std::string bytes = ReadFile(path);
        int headerSize = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
        int recordSize = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
        SCOPED_TRACE(path);
        EXPECT_EQ(static_cast<unsigned char>(bytes[0]), c.firstByte);
        EXPECT_EQ(bytes[4], 1);  // record count, little-endian
        EXPECT_EQ(headerSize, 32 + 32 * 2 + 1);
        EXPECT_EQ(recordSize, 1 + 5 + (c.firstByte == 0x03 ? 3 : 10));
        EXPECT_EQ(bytes[headerSize - 1], 0x0D);
        EXPECT_EQ(bytes.substr(32, 4), std::string("CODE", 4));
        EXPECT_EQ(bytes.substr(headerSize, 6), " ab   ");
        EXPECT_EQ(static_cast<long>(bytes.size()), headerSize + recordSize + 1);
        EXPECT_EQ(bytes.back(), 0x1A);
    }
    EXPECT_EQ(FileSize(dir.file("layout229.SMT")), -1);  // memo takes the table's extension case
    EXPECT_EQ(FileSize(dir.file("layout229.smt")), 512);
}

// In exclusive use an appended record is written with its count once, at its
// first write; whatever comes first after the append, the record is in the
// file with its count by then, the last record followed by the end-of-file byte.
TEST_F(StorageTest, AnExclusiveAppendIsInTheFileBeforeAnythingElseTouchesIt) {
    struct Case {
        const char* name;
        std::function<void()> then;
        const char* second;  // the appended record as the file holds it
    };
    const Case cases[] = {
        {"written, then committed",
         [] {
             xb_Replace("CODE", XB_REPLACE_TEXT, "new");
             xb_Commit();
         },
         " new  "},
        {"written in one piece, then another record read",
         [] {
             xb_PutRecord(" all  ");
             xb_Go(1);
         },
         " all  "},
        {"committed", [] { xb_Commit(); }, "      "},
        {"another record read", [] { xb_Go(1); }, "      "},
        {"closed", [] { xb_CloseAll(); }, "      "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string("append ") + c.name + ".dbf");
        ASSERT_EQ(CreateTable(path, {{"CODE", "C", 5, 0}}), "");
        ASSERT_EQ(FillTable(path, {{"old"}}), "");
        ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
        c.then();

        const std::string bytes = ReadFile(path);
        const size_t header = 32 + 32 + 1;
        EXPECT_EQ(bytes[4], 2);
        EXPECT_EQ(bytes.substr(header), std::string(" old  ") + c.second + "\x1A");
        xb_CloseAll();
    }
}

TEST_F(StorageTest, FieldDescriptionsAndRecordSize) {
    std::string path = dir.file("desc.dbf");
    ASSERT_EQ(CreateTable(path, kAllTypes), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(xb_FieldCount(), 6);
    EXPECT_EQ(xb_RecSize(), 1 + 12 + 10 + 4 + 8 + 1 + 10);
    EXPECT_EQ(Str(xb_FieldName(2)), "AMOUNT");
    EXPECT_EQ(Str(xb_FieldType(4)), "D");
    EXPECT_EQ(xb_FieldWidth(2), 10);
    EXPECT_EQ(xb_FieldDecimals(2), 2);
    EXPECT_EQ(xb_FieldOffset(1), 2);
    EXPECT_EQ(xb_FieldOffset(2), 14);
    EXPECT_EQ(xb_FieldNum("amount"), 2);
    EXPECT_EQ(xb_FieldNum("nosuch"), 0);
    EXPECT_EQ(Str(xb_FieldName(7)), "");
}

TEST_F(StorageTest, ValuesThatDoNotFitAreRefused) {
    std::string path = dir.file("fit.dbf");
    ASSERT_EQ(CreateTable(path, {{"PRICE", "N", 8, 2}, {"CODE", "C", 3, 0}, {"WHEN", "D", 8, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(AppendValues({{"PRICE", "1.5"}}));
    ASSERT_EQ(xb_Rlock(1), 1);

    double fewerDecimals = 654321.789;  // fits only with one decimal
    EXPECT_TRUE(xb_Replace("PRICE", XB_REPLACE_DOUBLE, &fewerDecimals));
    EXPECT_EQ(Str(xb_GetString("PRICE")), "654321.8");
    double tooBig = 1234567890.0;
    EXPECT_FALSE(xb_Replace("PRICE", XB_REPLACE_DOUBLE, &tooBig));
    EXPECT_EQ(Str(xb_GetString("PRICE")), "654321.8");
    EXPECT_FALSE(xb_Replace("WHEN", XB_REPLACE_TEXT, "20230231"));  // no such day
    EXPECT_FALSE(xb_Replace("WHEN", XB_REPLACE_DATE_TEXT, "13/45/2023"));
    EXPECT_TRUE(xb_Replace("WHEN", XB_REPLACE_DATE_TEXT, "02/28/23"));
    EXPECT_EQ(Str(xb_GetString("WHEN")), "19230228");  // two-digit years fall in the epoch window
    EXPECT_TRUE(xb_Replace("WHEN", XB_REPLACE_DATE_TEXT, "  /  /  "));
    EXPECT_EQ(xb_Empty("WHEN"), 1);
    EXPECT_TRUE(xb_Replace("CODE", XB_REPLACE_TEXT, "ABCDEF"));    // text is cut to the width
    EXPECT_EQ(Str(xb_GetString("CODE")), "ABC");
    EXPECT_FALSE(xb_Replace("NOSUCH", XB_REPLACE_TEXT, "x"));
}

// Movement over five records; the table says which are deleted and whether
// deleted records are hidden, then a script of moves and where each lands.
TEST_F(StorageTest, MovementAtBothEndsAndOverDeletedRecords) {
    struct Step {
        char op;  // T top, B bottom, S skip, G go
        int arg;
        int recNo;
        bool bof, eof;
    };
    struct Case {
        const char* name;
        int records;
        std::vector<int> deleted;
        bool hide;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"empty table", 0, {}, false,
         {{'T', 0, 1, true, true}, {'B', 0, 1, true, true}, {'S', 1, 1, false, true},
          {'S', -1, 1, true, true}, {'G', 1, 1, false, true}}},
        {"plain ends", 5, {}, false,
         {{'T', 0, 1, false, false}, {'S', -1, 1, true, false}, {'S', 1, 2, false, false},
          {'B', 0, 5, false, false}, {'S', 1, 6, false, true}, {'S', 1, 6, false, true},
          {'S', -1, 5, false, false}, {'S', -4, 1, false, false}, {'S', -3, 1, true, false},
          {'G', 3, 3, false, false}, {'G', 9, 6, false, true}, {'G', 0, 6, false, true}, {'S', -2, 4, false, false}}},
        {"deleted shown", 5, {1, 5}, false, {{'T', 0, 1, false, false}, {'B', 0, 5, false, false}}},
        {"deleted hidden", 5, {1, 3, 5}, true,
         {{'T', 0, 2, false, false}, {'S', 1, 4, false, false}, {'S', 1, 6, false, true},
          {'B', 0, 4, false, false}, {'S', -1, 2, false, false}, {'S', -1, 2, true, false},
          {'G', 3, 3, false, false}, {'S', 1, 4, false, false}}},
        {"all hidden", 3, {1, 2, 3}, true,
         {{'T', 0, 4, true, true}, {'B', 0, 4, true, true}, {'S', -1, 4, true, true}, {'G', 2, 2, false, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file(std::string("move") + std::to_string(&c - cases) + ".dbf");
        ASSERT_EQ(CreateTable(path, {{"N", "N", 3, 0}}), "");
        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        for (int i = 1; i <= c.records; ++i)
            ASSERT_TRUE(AppendValues({{"N", std::to_string(i)}}));
        for (int d : c.deleted) {
            xb_Go(d);
            ASSERT_TRUE(xb_Delete());
        }
        xb_SetDeleted(c.hide);
        for (const Step& s : c.steps) {
            SCOPED_TRACE(std::string(1, s.op) + " " + std::to_string(s.arg));
            switch (s.op) {
            case 'T': xb_GoTop(); break;
            case 'B': xb_GoBottom(); break;
            case 'S': xb_Skip(s.arg); break;
            case 'G': xb_Go(s.arg); break;
            }
            EXPECT_EQ(xb_RecNo(), s.recNo);
            EXPECT_EQ(xb_Bof() != 0, s.bof);
            EXPECT_EQ(xb_Eof() != 0, s.eof);
            if (!s.eof) {
                EXPECT_EQ(std::stoi(Str(xb_GetString("N"))), s.recNo);
            }
        }
        xb_SetDeleted(XB_OFF);
        xb_Close();
    }
}

TEST_F(StorageTest, CountsFollowTheDeletedSetting) {
    std::string path = dir.file("count.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 3, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(AppendValues({{"N", std::to_string(i)}}));
    for (int d : {2, 5}) {
        xb_Go(d);
        ASSERT_TRUE(xb_Delete());
        EXPECT_EQ(xb_Deleted(), 1);
    }
    xb_Go(4);
    EXPECT_EQ(xb_Count(), 6);
    EXPECT_EQ(xb_OrderRecNo(), 4);
    xb_SetDeleted(XB_ON);
    EXPECT_EQ(xb_Count(), 4);
    EXPECT_EQ(xb_OrderRecNo(), 3);
    EXPECT_EQ(xb_RecCount(), 6);
    EXPECT_EQ(xb_RecNo(), 4);  // counting leaves the position alone
    EXPECT_EQ(Str(xb_GetTrimString("N")), "  4");
}

TEST_F(StorageTest, RecordBufferRoundTripAndWritesOfTheEngineBuffer) {
    std::string path = dir.file("buffer.dbf");
    ASSERT_EQ(CreateTable(path, {{"A", "C", 3, 0}, {"B", "N", 2, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    ASSERT_TRUE(xb_PutRecord(" xyz12"));
    std::vector<char> buf(xb_RecSize() + 1, '\0');
    ASSERT_TRUE(xb_GetRecord(buf.data()));
    EXPECT_EQ(std::string(buf.data()), " xyz12");

    // The engine's own buffer, reached through its address, reads what is stored.
    char* engineBuffer = reinterpret_cast<char*>(xb_SysProp(XB_SP_RECORD_BUFFER, 0));
    ASSERT_NE(engineBuffer, nullptr);
    EXPECT_EQ(std::string(engineBuffer, 6), " xyz12");
    EXPECT_EQ(xb_SysProp(XB_SP_AREA_IN_USE, xb_WorkArea(nullptr)), 1);
    EXPECT_EQ(xb_SysProp(XB_SP_AREA_IN_USE, 200), 0);
    EXPECT_EQ(xb_SysProp(4242, 1), 0);

    xb_GoBottom();
    xb_Skip(1);  // end of file: a blank buffer and no record to write
    ASSERT_TRUE(xb_GetRecord(buf.data()));
    EXPECT_EQ(std::string(buf.data()), "      ");
    EXPECT_FALSE(xb_PutRecord(" abc99"));
    EXPECT_EQ(xb_RecCount(), 1);
}

TEST_F(StorageTest, MemoRewrittenManyTimesReusesItsBlocks) {
    std::string path = dir.file("memo.dbf");
    ASSERT_EQ(CreateTable(path, {{"ID", "N", 4, 0}, {"NOTE", "M", 10, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(AppendValues({{"ID", "1"}}));
    ASSERT_TRUE(AppendValues({{"ID", "2"}}));
    ASSERT_TRUE(xb_Replace("NOTE", XB_REPLACE_MEMO, "neighbour"));

    xb_Go(1);
    std::string longest;
    for (int i = 0; i < 1000; ++i) {
        // Sizes wander up and down between 1 and 3000 bytes.
        std::string text(1 + (i * 7919) % 3000, static_cast<char>('a' + i % 26));
        ASSERT_TRUE(xb_Replace("NOTE", XB_REPLACE_MEMO, text.c_str())) << i;
        if (text.size() > longest.size())
            longest = text;
        if (i % 97 == 0) {
            ASSERT_EQ(Memo("NOTE"), text);
        }
    }
    EXPECT_LT(FileSize(dir.file("memo.smt")), 512 + 4 * static_cast<long>(longest.size()) + 64 * 8);
    xb_Go(2);
    EXPECT_EQ(Memo("NOTE"), "neighbour");

    // Emptying the memos gives the blocks back: the file shrinks to its header.
    for (int r : {1, 2}) {
        xb_Go(r);
        ASSERT_TRUE(xb_PutBlob("NOTE", "", 0));
        std::vector<char> buf(xb_RecSize());
        xb_GetRecord(buf.data());
        ASSERT_TRUE(xb_PutRecord(buf.data()));
        EXPECT_EQ(xb_GetBlobLength("NOTE"), 0);
    }
    EXPECT_EQ(FileSize(dir.file("memo.smt")), 512);
}

TEST_F(StorageTest, StagedBlobGoesWithTheRecordWritten) {
    std::string path = dir.file("blob.dbf");
    ASSERT_EQ(CreateTable(path, {{"ID", "N", 4, 0}, {"PIC", "M", 10, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(AppendValues({{"ID", "1"}}));

    // Staged while standing on record 1, written with the appended record 2.
    const char binary[] = {'\x00', '\x01', 'x', '\x00', '\xFF'};
    ASSERT_TRUE(xb_PutBlob("PIC", binary, sizeof binary));
    EXPECT_EQ(xb_GetBlobLength("PIC"), 5);  // the staged value is what the record will hold
    ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
    std::vector<char> buf(xb_RecSize(), ' ');
    std::memcpy(buf.data() + 1, "   2", 4);
    std::memcpy(buf.data() + 5, "      9999", 10);  // the caller's memo bytes are not taken
    ASSERT_TRUE(xb_PutRecord(buf.data()));
    xb_Unlock(XB_UNLOCK_ALL);

    xb_Go(1);
    EXPECT_EQ(xb_GetBlobLength("PIC"), 0);
    xb_Go(2);
    char read[8] = {};
    ASSERT_EQ(xb_GetBlobLength("PIC"), 5);
    ASSERT_EQ(xb_GetBlob("PIC", read), 5);
    EXPECT_EQ(std::memcmp(read, binary, 5), 0);

    // A staged blob that is never written is dropped when the area moves.
    ASSERT_TRUE(xb_PutBlob("PIC", "lost", 4));
    xb_Go(1);
    xb_GetRecord(buf.data());
    ASSERT_TRUE(xb_PutRecord(buf.data()));
    EXPECT_EQ(xb_GetBlobLength("PIC"), 0);
}

TEST_F(StorageTest, TableDefinitionRules) {
    std::string path = dir.file("def.dbf");
    ASSERT_EQ(CreateTable(path, {{"A", "C", 3, 0}}), "");
    EXPECT_NE(CreateTable(path, {{"B", "C", 3, 0}}), "");  // never over an existing table
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    EXPECT_EQ(Str(xb_FieldName(1)), "A");
    xb_Close();

    struct Case {
        const char* name;
        std::vector<FieldSpec> fields;
    };
    const Case refused[] = {
        {"no fields", {}},
        {"bad type", {{"A", "X", 3, 0}}},
        {"zero width", {{"A", "C", 0, 0}}},
        {"name too long", {{"ABCDEFGHIJK", "C", 3, 0}}},
        {"duplicate name", {{"A", "C", 3, 0}, {"a", "N", 3, 0}}},
        {"decimals too many", {{"A", "N", 4, 3}}},
    };
    for (const Case& c : refused) {
        std::string file = dir.file(std::string("bad_") + std::to_string(&c - refused) + ".dbf");
        EXPECT_NE(CreateTable(file, c.fields), "") << c.name;
        EXPECT_EQ(FileSize(file), -1) << c.name;
        EXPECT_EQ(xb_WorkArea(nullptr) > 0 && xb_SysProp(XB_SP_AREA_IN_USE, xb_WorkArea(nullptr)), 0) << c.name;
    }
}

TEST_F(StorageTest, AreasAliasesAndSelection) {
    std::string a = dir.file("alpha.dbf"), b = dir.file("beta.dbf");
    ASSERT_EQ(CreateTable(a, {{"X", "C", 1, 0}}), "");
    ASSERT_EQ(CreateTable(b, {{"Y", "C", 1, 0}}), "");
    int areaA = xb_Use(a.c_str(), "", XB_SHARED, XB_DRIVER_NSX);
    int areaB = xb_Use(b.c_str(), "second", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(areaA, 0);
    ASSERT_GT(areaB, 0);
    EXPECT_NE(areaA, areaB);
    EXPECT_EQ(xb_WorkArea(nullptr), areaB);
    EXPECT_EQ(xb_WorkArea("ALPHA"), areaA);
    EXPECT_EQ(xb_WorkArea("Second"), areaB);
    EXPECT_EQ(xb_WorkArea("none"), 0);
    EXPECT_EQ(xb_Use(a.c_str(), "second", XB_SHARED, XB_DRIVER_NSX), 0);  // alias taken
    int third = xb_Use(a.c_str(), "", XB_SHARED, XB_DRIVER_NSX);          // the engine's own alias is made unique
    EXPECT_EQ(Str(xb_Alias(third)), "ALPHA_1");
    xb_Close();
    EXPECT_EQ(xb_Select(areaA), third);
    EXPECT_EQ(Str(xb_BaseName()), "alpha.dbf");
    EXPECT_EQ(Str(xb_Alias(areaB)), "second");
    // A Windows-style name without extension finds the same file.
    std::string windowsName = dir.path() + "\\ALPHA";
    int again = xb_Use(windowsName.c_str(), "again", XB_READONLY, XB_DRIVER_NSX);
    EXPECT_GT(again, 0);
    xb_Close();
    EXPECT_EQ(xb_SysProp(XB_SP_AREA_IN_USE, again), 0);
    EXPECT_EQ(xb_Eof(), 1);  // calls on an empty area do nothing
    EXPECT_EQ(xb_AppendEx(), XB_APPEND_NO_TABLE);
}

TEST_F(StorageTest, ZapNeedsExclusiveUse) {
    std::string path = dir.file("zap.dbf");
    ASSERT_EQ(CreateTable(path, {{"N", "N", 3, 0}, {"NOTE", "M", 10, 0}}), "");
    ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(AppendValues({{"N", "1"}, {"NOTE", "text"}}));
    EXPECT_FALSE(xb_Zap());
    EXPECT_EQ(xb_RecCount(), 1);
    xb_Close();
    ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
    EXPECT_TRUE(xb_Zap());
    EXPECT_EQ(xb_RecCount(), 0);
    EXPECT_EQ(xb_Eof(), 1);
    EXPECT_EQ(FileSize(dir.file("zap.smt")), 512);
    ASSERT_TRUE(AppendValues({{"N", "7"}}));
    EXPECT_EQ(xb_RecCount(), 1);
}

TEST_F(StorageTest, AppendFromMatchesFieldsByNameAndConvertsThroughText) {
    std::string source = dir.file("source.dbf"), target = dir.file("target.dbf");
    ASSERT_EQ(CreateTable(source, {{"NAME", "C", 10, 0}, {"QTY", "C", 5, 0}, {"WHEN", "D", 8, 0},
                                   {"NOTE", "M", 10, 0}, {"ONLYHERE", "C", 2, 0}}), "");
    ASSERT_EQ(CreateTable(target, {{"qty", "N", 6, 1}, {"Name", "C", 4, 0}, {"WHEN", "C", 8, 0},
                                   {"NOTE", "M", 10, 0}}), "");
    ASSERT_GT(xb_Use(source.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    ASSERT_TRUE(AppendValues({{"NAME", "Alexander"}, {"QTY", " 12.5"}, {"WHEN", "20240229"}, {"NOTE", "memo one"}}));
    ASSERT_TRUE(AppendValues({{"NAME", "Gone"}, {"QTY", "3"}}));
    ASSERT_TRUE(xb_Delete());
    ASSERT_TRUE(AppendValues({{"NAME", "Bo"}, {"QTY", "abc"}}));
    xb_Close();

    ASSERT_GT(xb_Use(target.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    xb_SetDeleted(XB_ON);
    ASSERT_TRUE(xb_AppendFrom(source.c_str(), XB_DRIVER_NSX, ""));
    ASSERT_EQ(xb_RecCount(), 2);
    xb_GoTop();
    EXPECT_EQ(Str(xb_GetString("NAME")), "Alex");
    EXPECT_EQ(Str(xb_GetString("QTY")), "  12.5");
    EXPECT_EQ(Str(xb_GetString("WHEN")), "20240229");
    EXPECT_EQ(Memo("NOTE"), "memo one");
    xb_Skip(1);
    EXPECT_EQ(Str(xb_GetString("NAME")), "Bo  ");
    EXPECT_EQ(Str(xb_GetString("QTY")), "      ");  // not a number: left blank
    EXPECT_EQ(Memo("NOTE"), "");
    EXPECT_FALSE(xb_AppendFrom(dir.file("missing.dbf").c_str(), XB_DRIVER_NSX, ""));

    // A condition over the other table's fields picks the records.
    ASSERT_TRUE(xb_AppendFrom(source.c_str(), XB_DRIVER_NSX, "upper(name) = 'BO' .or. when = ctod('02/29/2024')"));
    EXPECT_EQ(xb_RecCount(), 4);
    xb_GoBottom();
    EXPECT_EQ(Str(xb_GetString("NAME")), "Bo  ");
    EXPECT_FALSE(xb_AppendFrom(source.c_str(), XB_DRIVER_NSX, "name = "));  // unreadable: nothing appended
    EXPECT_FALSE(xb_AppendFrom(source.c_str(), XB_DRIVER_NSX, "qty"));      // not a condition
    EXPECT_EQ(xb_RecCount(), 4);
}
