// Opening tables (driver probe, alias rule), describing them, listing their
// fields and deleting them with their companion files.
#include <fstream>
#include <set>

#include "GlueFixture.h"
#include "os/Paths.h"
#include "ui/Forms.h"
#include "xbase/TableFiles.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TEST(TableAlias, NameIsCutCleanedAndNumberedWhileTaken) {
    struct Case {
        const char* file;
        std::set<std::string> taken;
        const char* alias;
    } cases[] = {
        {"c:\\data\\MY-FILE~X.DBF", {}, "MY_FILE_"},
        {"c:\\data\\MY-FILE~X.DBF", {"MY_FILE_"}, "MY-FILE~_1"},
        {"c:\\data\\MY-FILE~X.DBF", {"MY_FILE_", "MY-FILE~_1"}, "MY-FILE~_2"},
        {"Sales.dbf", {}, "Sales"},
        {"my file.dbf", {}, "my_file"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tableAlias(c.file, [&](const std::string& a) { return c.taken.count(a) > 0; }), c.alias) << c.file;
}

TEST(DriverNames, NamesMapWithoutRegardToCase) {
    EXPECT_EQ(DriverFromName("SXNTX"), XB_DRIVER_NTX);
    EXPECT_EQ(DriverFromName("sxfox"), XB_DRIVER_FOX);
    EXPECT_EQ(DriverFromName("SxNsX"), XB_DRIVER_NSX);
    EXPECT_EQ(DriverFromName("DBASE"), UnknownDriver);
    EXPECT_EQ(DriverFromName(nullptr), UnknownDriver);
}

TEST(DriverProbe, FirstByteAndIndexFilesBesideIt) {
    struct Case {
        unsigned char first;
        std::vector<const char*> beside;
        int opening, deleting;
    } cases[] = {
        {0x03, {".CDX", ".NSX"}, XB_DRIVER_FOX, XB_DRIVER_FOX},
        {0x03, {".NSX"}, XB_DRIVER_NSX, XB_DRIVER_NSX},
        {0x03, {}, XB_DRIVER_FOX, XB_DRIVER_FOX},
        {0x06, {".MDX"}, XB_DRIVER_FOX, UnknownDriver},
        {0x83, {}, XB_DRIVER_NTX, XB_DRIVER_NTX},
        {0xE5, {}, XB_DRIVER_NSX, XB_DRIVER_NSX},
        {0xF6, {}, XB_DRIVER_FOX, XB_DRIVER_FOX},
        {0x8B, {}, XB_DRIVER_FOX, UnknownDriver},
        {0x30, {}, XB_DRIVER_FOX, UnknownDriver},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteFile(dir.file("T.DBF"), std::string(1, static_cast<char>(c.first)) + "rest");
        for (const char* ext : c.beside)
            WriteFile(dir.file(std::string("T") + ext), "x");
        EXPECT_EQ(probeDriver(dir.file("T.DBF"), false), c.opening) << int(c.first);
        EXPECT_EQ(probeDriver(dir.file("T.DBF"), true), c.deleting) << int(c.first);
    }
}

TEST_F(GlueTest, OpensWithProbedOrNamedDriver) {
    MakeTable("PLAIN.DBF", {{"NAME", "C", 10, 0}});  // first byte 0x03, no index beside it
    struct Case {
        const char* driverType;
        const char* tableType;
    } cases[] = {{nullptr, "SXFOX"}, {"SXNSX", "SXNSX"}, {"sxntx", "SXNTX"}, {"PARADOX", "SXFOX"}};
    for (const Case& c : cases) {
        hDBICur cursor = Open("PLAIN.DBF", c.driverType);
        CURProps props;
        ASSERT_EQ(glue.GetCursorProps(cursor, &props), DBIERR_NONE);
        EXPECT_EQ(props.szTableType, c.tableType) << (c.driverType ? c.driverType : "nil");
        glue.CloseCursor(cursor);
    }
}

TEST_F(GlueTest, SecondOpenOfOneTableTakesTheNextAlias) {
    MakeTable("MY-FILE~X.DBF", {{"NAME", "C", 10, 0}});
    hDBICur first = Open("MY-FILE~X.DBF");
    hDBICur second = Open("MY-FILE~X.DBF");
    EXPECT_EQ(glue.OpenWorkArea(first)->Alias, "MY_FILE_");
    EXPECT_EQ(glue.OpenWorkArea(second)->Alias, "MY-FILE~_1");
    EXPECT_STREQ(xb_Alias(static_cast<int>(second)), "MY-FILE~_1");
}

TEST_F(GlueTest, MissingTableIsAnOpenErrorWithoutWorkArea) {
    hDBICur cursor = 7;
    EXPECT_EQ(glue.OpenTable(db, "NOTHERE.DBF", "SXNSX", nullptr, nullptr, 0, dbiREADWRITE, dbiOPENSHARED, xltFIELD,
                             false, nullptr, cursor),
              DBIERR_CANTOPENTABLE);
    EXPECT_EQ(cursor, 0u);
}

TEST_F(GlueTest, FieldDescriptorsFollowTheTypeMapping) {
    MakeTable("KINDS.DBF", {{"NAME", "C", 10, 0},
                            {"SMALL", "N", 4, 0},
                            {"WIDE", "N", 5, 0},
                            {"AMOUNT", "N", 8, 2},
                            {"BORN", "D", 8, 0},
                            {"PAID", "L", 1, 0},
                            {"NOTES", "M", 10, 0}});
    hDBICur cursor = Open("KINDS.DBF");
    std::vector<FLDDesc> descs;
    ASSERT_EQ(glue.DbiGetFieldDescs(cursor, descs), DBIERR_NONE);
    struct Expect {
        const char* name;
        uint16_t type, subType, len;
        int16_t units1, units2;
        uint16_t offset;
    } expected[] = {
        {"NAME", fldZSTRING, 0, 11, 10, 0, 1},  {"SMALL", fldINT16, 0, 2, 1, 0, 11},
        {"WIDE", fldFLOAT, 0, 8, 5, 0, 15},     {"AMOUNT", fldFLOAT, 0, 8, 8, 2, 20},
        {"BORN", fldDATE, 0, 4, 1, 0, 28},      {"PAID", fldBOOL, 0, 2, 1, 0, 36},
        {"NOTES", fldBLOB, fldstMEMO, 0, 1, 0, 37},
    };
    ASSERT_EQ(descs.size(), std::size(expected));
    for (size_t i = 0; i < descs.size(); ++i) {
        const Expect& e = expected[i];
        EXPECT_EQ(descs[i].iFldNum, i + 1);
        EXPECT_STREQ(descs[i].szName, e.name);
        EXPECT_EQ(descs[i].iFldType, e.type) << e.name;
        EXPECT_EQ(descs[i].iSubType, e.subType) << e.name;
        EXPECT_EQ(descs[i].iLen, e.len) << e.name;
        EXPECT_EQ(descs[i].iUnits1, e.units1) << e.name;
        EXPECT_EQ(descs[i].iUnits2, e.units2) << e.name;
        EXPECT_EQ(descs[i].iOffset, e.offset) << e.name;
    }

    CURProps props;
    ASSERT_EQ(glue.GetCursorProps(cursor, &props), DBIERR_NONE);
    EXPECT_EQ(props.szName, "KINDS");
    EXPECT_EQ(props.iFields, 7);
    EXPECT_EQ(props.iRecSize, 47);  // deletion byte and all fields
    EXPECT_GE(props.iRecBufSize, props.iRecSize);
    EXPECT_EQ(props.iTblLevel, 4);
}

TEST_F(GlueTest, UnknownFieldTypeIsShownAndMarked) {
    MakeTable("ODD.DBF", {{"NAME", "C", 10, 0}, {"RATE", "F", 10, 2}});
    hDBICur cursor = Open("ODD.DBF");
    TDialogScript script;
    script.Answer(mrOk);
    std::vector<FLDDesc> descs;
    ASSERT_EQ(glue.DbiGetFieldDescs(cursor, descs), DBIERR_NONE);
    EXPECT_EQ(descs[1].iFldType, fldINVALID);
    EXPECT_EQ(glue.OpenWorkArea(cursor)->PhysicalDescs[1].iFldType, fldINVALID);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Invalid Field Type F");
}

TEST_F(GlueTest, FieldListReadsOneDescriptorPerRecordOpenOrNot) {
    MakeTable("LIST.DBF", {{"NAME", "C", 10, 0}, {"BORN", "D", 8, 0}});
    for (bool openFirst : {false, true}) {
        hDBICur table = openFirst ? Open("LIST.DBF") : 0;
        hDBICur list = 0;
        ASSERT_EQ(glue.OpenFieldList(db, "LIST.DBF", "SXNSX", false, list), DBIERR_NONE);
        EXPECT_EQ(list, FieldListCursor);
        FLDDesc desc;
        std::vector<std::string> names;
        while (glue.GetNextRecord(list, dbiNOLOCK, reinterpret_cast<uint8_t*>(&desc), nullptr) == DBIERR_NONE)
            names.push_back(desc.szName);
        EXPECT_EQ(names, (std::vector<std::string>{"NAME", "BORN"}));
        EXPECT_EQ(desc.iFldType, fldDATE);
        EXPECT_EQ(glue.CloseCursor(list), DBIERR_NONE);
        if (table)
            glue.CloseCursor(table);
    }
    // The list opened and closed the table again.
    EXPECT_EQ(xb_WorkArea("LIST"), 0);
}

TEST_F(GlueTest, DeleteTableTakesItsCompanionFilesUnlessOpen) {
    MakeTable("GONE.DBF", {{"NAME", "C", 10, 0}, {"NOTES", "M", 10, 0}});
    WriteFile(dir.file("GONE.NSX"), "index");
    hDBICur cursor = Open("GONE.DBF");
    ASSERT_EQ(glue.DeleteTable(db, "GONE.DBF", "SXNSX"), DBIERR_NONE);
    for (const char* name : {"GONE.DBF", "GONE.SMT", "GONE.NSX"})
        EXPECT_TRUE(os::FileExists(dir.file(name))) << name;

    glue.CloseCursor(cursor);
    ASSERT_EQ(glue.DeleteTable(db, "gone.dbf", nullptr), DBIERR_NONE);
    for (const char* name : {"GONE.DBF", "GONE.SMT", "GONE.NSX"})
        EXPECT_FALSE(os::FileExists(dir.file(name))) << name;
}

TEST_F(GlueTest, DeleteTableLeavesFilesOfUnknownKind) {
    WriteFile(dir.file("ODD.DBF"), std::string(1, '\x8B') + "rest");
    WriteFile(dir.file("ODD.DBT"), "memo");
    ASSERT_EQ(glue.DeleteTable(db, "ODD.DBF", nullptr), DBIERR_NONE);
    EXPECT_TRUE(os::FileExists(dir.file("ODD.DBF")));
    ASSERT_EQ(glue.DeleteTable(db, "ODD.DBF", "SXNTX"), DBIERR_NONE);
    EXPECT_FALSE(os::FileExists(dir.file("ODD.DBF")));
    EXPECT_FALSE(os::FileExists(dir.file("ODD.DBT")));
}

TEST_F(GlueTest, TablesNamedWithAFolderIgnoreTheDatabaseDirectory) {
    TempDir other;
    std::string path = other.file("ELSEWHERE.DBF");
    ASSERT_NE(xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, 1), 0);
    xb_CreateField("NAME", "C", 10, 0);
    ASSERT_NE(xb_CreateExec(), 0);
    xb_Close();
    hDBICur cursor = Open(path);
    EXPECT_NE(cursor, 0u);
    glue.CloseCursor(cursor);
    ASSERT_EQ(glue.DeleteTable(db, path.c_str(), "SXNSX"), DBIERR_NONE);
    EXPECT_FALSE(os::FileExists(path));
}

}  // namespace
