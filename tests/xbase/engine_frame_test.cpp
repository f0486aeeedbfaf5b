// Engine start, database handles, work-area selection, error texts and the
// calls the xBase driver does not carry.
#include <functional>
#include <set>

#include "GlueFixture.h"
#include "ui/Forms.h"
#include "xbase/TableFiles.h"

namespace {

const char* const TooOld = "xBase Engine Components Require XBENG32.DLL Version 2.40.00 or later.";

TEST(EngineStart, VersionTextDecidesTheStart) {
    struct Case {
        const char* version;
        DBIResult status;
    } cases[] = {
        {"2.40.001", DBIERR_NONE},
        {"2.40.000", DBIERR_NONE},
        {"2.40.00012345", DBIERR_NONE},  // only the first 8 characters count
        {"", DBIERR_ENGINESTART},
        {"2.40.0-1", DBIERR_ENGINESTART},
        {"2.40.0xx", DBIERR_ENGINESTART},  // no number: refused, not raised
        {"2.40", DBIERR_ENGINESTART},
    };
    for (const Case& c : cases) {
        TEngineGlue glue;
        TDialogScript script;
        if (c.status != DBIERR_NONE)
            script.Answer(mrOk);
        EXPECT_EQ(glue.StartWithVersion(c.version), c.status) << c.version;
        if (c.status == DBIERR_NONE) {
            EXPECT_TRUE(script.Shown().empty()) << c.version;
        } else {
            ASSERT_EQ(script.Shown().size(), 1u) << c.version;
            EXPECT_EQ(script.Shown()[0].Text, TooOld);
        }
    }
}

TEST(EngineStart, TheEngineOwnVersionStarts) {
    TEngineGlue glue;
    EXPECT_EQ(glue.EngineInit(nullptr), DBIERR_NONE);
    glue.EngineExit();
}

TEST(Databases, DirectoryGetsItsSeparator) {
    struct Case {
        const char* given;
        const char* kept;
    } cases[] = {
        {"C:", "C:"}, {"data\\", "data\\"}, {"data", "data\\"}, {"", ".\\"},
    };
    TEngineGlue glue;
    for (const Case& c : cases) {
        hDBIDb db = 0;
        ASSERT_EQ(glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr, c.given, db),
                  DBIERR_NONE);
        EXPECT_EQ(glue.DatabaseDirectory(db).value_or("?"), c.kept) << c.given;
        ASSERT_EQ(glue.DbiSetDirectory(db, c.given), DBIERR_NONE);
        EXPECT_EQ(glue.DatabaseDirectory(db).value_or("?"), c.kept) << c.given;
    }
}

TEST(Databases, DefaultDirectoryComesFromTheConfigurationPath) {
    TEngineGlue glue;
    hDBIDb db = 0;
    glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr, nullptr, db);
    EXPECT_EQ(glue.DatabaseDirectory(db).value_or("?"), ".\\");

    FLDDesc fields[2];
    std::strcpy(fields[0].szName, "NAME");
    fields[0].iOffset = 0;
    fields[0].iLen = 8;
    std::strcpy(fields[1].szName, "PATH");
    fields[1].iOffset = 8;
    fields[1].iLen = 20;
    uint8_t record[28] = {};
    std::memcpy(record, "ignored", 7);
    std::memcpy(record + 8, "C:\\Company", 10);
    ASSERT_EQ(glue.CfgAddRecord(0, "", 2, fields, record), DBIERR_NONE);
    glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr, nullptr, db);
    EXPECT_EQ(glue.DatabaseDirectory(db).value_or("?"), "C:\\Company\\");
}

TEST(Databases, HandlesGrowPast199AndAreReused) {
    TEngineGlue glue;
    std::vector<hDBIDb> handles;
    for (int i = 0; i < 300; ++i) {
        hDBIDb db = 0;
        ASSERT_EQ(glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr,
                                    ("d" + std::to_string(i)).c_str(), db),
                  DBIERR_NONE);
        handles.push_back(db);
    }
    EXPECT_EQ(handles.front(), 1u);
    EXPECT_EQ(glue.DatabaseDirectory(handles[250]).value_or("?"), "d250\\");
    hDBIDb freed = handles[5];
    ASSERT_EQ(glue.CloseDatabase(freed), DBIERR_NONE);
    EXPECT_FALSE(glue.DatabaseDirectory(handles[5]).has_value());
    hDBIDb again = 0;
    glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr, "new", again);
    EXPECT_EQ(again, handles[5]);
}

TEST_F(GlueTest, FreeDatabaseHandleIsReportedInsteadOfUsingAnotherFolder) {
    MakeTable("T.DBF", {{"NAME", "C", 10, 0}});
    hDBIDb gone = 0;
    glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr, dir.path().c_str(), gone);
    glue.CloseDatabase(gone);
    TDialogScript script;
    script.Answer(mrOk);
    hDBICur cursor = 99;
    EXPECT_EQ(glue.OpenTable(gone, "T.DBF", "SXNSX", nullptr, nullptr, 0, dbiREADWRITE, dbiOPENSHARED, xltFIELD,
                             false, nullptr, cursor),
              DBIERR_CANTOPENTABLE);
    EXPECT_EQ(cursor, 0u);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Could not find directory associated with this database");
}

TEST(ErrorTexts, StatusesReadAsTheClassLibraryShowsThem) {
    TEngineGlue glue;
    std::string text;
    glue.GetErrorString(DBIERR_FILEOPEN, text);
    EXPECT_EQ(text, "File Open Error");
    glue.GetErrorString(DBIERR_CANTOPENTABLE, text);
    EXPECT_EQ(text, "DBI Error : 10024");
}

TEST(Unsupported, EachCallShowsItsNameOnceAndSucceeds) {
    TEngineGlue glue;
    hDBIStmt stmt = 0;
    hDBICur cur = 0;
    std::string ld;
    struct Case {
        const char* name;
        std::function<DBIResult()> call;
    } cases[] = {
        {"DbiSetPrivateDir", [&] { return glue.DbiSetPrivateDir("x"); }},
        {"GetDbiLdNameFromDb", [&] { return glue.GetDbiLdNameFromDb(1, "", ld); }},
        {"DbiGetVchkDesc", [&] { return glue.DbiGetVchkDesc(1, 1, nullptr); }},
        {"DbiMakePermanent", [&] { return glue.DbiMakePermanent(1, "x"); }},
        {"DbiCloseIndex", [&] { return glue.DbiCloseIndex(1, "x", 0); }},
        {"DbiQAlloc", [&] { return glue.DbiQAlloc(1, 0, stmt); }},
        {"DbiQPrepare", [&] { return glue.DbiQPrepare(stmt, "select"); }},
        {"DbiQExec", [&] { return glue.DbiQExec(stmt, cur); }},
        {"DbiQFree", [&] { return glue.DbiQFree(stmt); }},
        {"DbiQSetParams", [&] { return glue.DbiQSetParams(stmt, 0, nullptr, nullptr); }},
        {"DbiAddPassword", [&] { return glue.DbiAddPassword("pw"); }},
        {"DbiDropPassword", [&] { return glue.DbiDropPassword("pw"); }},
        {"DbiBeginDelayedUpdates", [&] { return glue.DbiBeginDelayedUpdates(cur); }},
        {"DbiEndDelayedUpdates", [&] { return glue.DbiEndDelayedUpdates(cur); }},
        {"DbiBcdFromFloat", [&] { return glue.DbiBcdFromFloat(nullptr, 0, nullptr); }},
    };
    for (const Case& c : cases) {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_EQ(c.call(), DBIERR_NONE) << c.name;
        ASSERT_EQ(script.Shown().size(), 1u) << c.name;
        EXPECT_EQ(script.Shown()[0].Text, std::string("This DBI function not supported in xBase driver: ") + c.name);
        EXPECT_EQ(script.Shown()[0].Buttons, std::vector<std::string>{"OK"});
    }
}

TEST(Properties, KnownPropertiesAnswerAndOthersAreShown) {
    TEngineGlue glue;
    char text[16] = {};
    uint16_t len = 0;
    ASSERT_EQ(glue.DbiGetProp(1, dbDATABASETYPE, text, sizeof text, len), DBIERR_NONE);
    EXPECT_STREQ(text, "STANDARD");
    EXPECT_EQ(len, 8);

    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    EXPECT_EQ(glue.DbiGetProp(1, 0x1A2B, text, sizeof text, len), DBIERR_NONE);
    EXPECT_EQ(glue.DbiSetDirectory(0, "x"), DBIERR_NONE);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "DbiGetProp: iProp = 00001A2B");
    EXPECT_EQ(script.Shown()[1].Text, "DbiSetDirectory : hDb = 0");
}

TEST(Text, NativeAndAnsiAreTheSameBytes) {
    TEngineGlue glue;
    char out[16] = {};
    bool loss = true;
    glue.EngineNativeToAnsi(1, out, "Caf\xe9 noir", 0, loss);
    EXPECT_STREQ(out, "Caf\xe9 noir");
    EXPECT_FALSE(loss);
    std::memset(out, 0, sizeof out);
    glue.EngineAnsiToNative(1, out, "Caf\xe9 noir", 4, loss);
    EXPECT_STREQ(out, "Caf\xe9");
}

TEST_F(GlueTest, WorkAreaSelectionIsPutBack) {
    MakeTable("A.DBF", {{"NAME", "C", 10, 0}});
    MakeTable("B.DBF", {{"NAME", "C", 10, 0}});
    hDBICur a = Open("A.DBF");
    hDBICur b = Open("B.DBF");
    ASSERT_NE(a, b);

    EXPECT_EQ(SelectWorkArea(256), -1);
    xb_Select(static_cast<int>(a));
    EXPECT_EQ(SelectWorkArea(static_cast<int>(b)), static_cast<int>(a));
    EXPECT_EQ(xb_WorkArea(nullptr), static_cast<int>(b));

    // Every call leaves the selection as it found it.
    xb_Select(static_cast<int>(a));
    uint32_t count = 0;
    ASSERT_EQ(glue.GetRecordCount(b, count), DBIERR_NONE);
    EXPECT_EQ(xb_WorkArea(nullptr), static_cast<int>(a));
    {
        TWA guard(static_cast<int>(b));
        EXPECT_TRUE(guard.Selected());
        EXPECT_EQ(xb_WorkArea(nullptr), static_cast<int>(b));
    }
    EXPECT_EQ(xb_WorkArea(nullptr), static_cast<int>(a));

    hDBICur closed = b;
    ASSERT_EQ(glue.CloseCursor(closed), DBIERR_NONE);
    EXPECT_EQ(SelectWorkArea(static_cast<int>(b)), -1);
}

TEST_F(GlueTest, ClosedAndVirtualCursors) {
    MakeTable("A.DBF", {{"NAME", "C", 10, 0}});
    hDBICur a = Open("A.DBF");
    hDBICur closed = a;
    ASSERT_EQ(glue.CloseCursor(closed), DBIERR_NONE);
    std::vector<uint8_t> rec(64);
    uint32_t n = 0;
    bool blank = false;
    EXPECT_EQ(glue.CloseCursor(closed), DBIERR_INVALIDHNDL);
    EXPECT_EQ(glue.GetNextRecord(a, dbiNOLOCK, rec.data(), nullptr), DBIERR_INVALIDHNDL);
    EXPECT_EQ(glue.GetField(a, 1, rec.data(), nullptr, blank), DBIERR_INVALIDHNDL);
    EXPECT_EQ(glue.GetRecordCount(a, n), DBIERR_INVALIDHNDL);

    hDBICur empty = EmptyCursor;
    EXPECT_EQ(glue.CloseCursor(empty), DBIERR_NONE);
    for (hDBICur h : {hDBICur(256), EmptyCursor, FieldListCursor})
        EXPECT_EQ(glue.GetNextRecord(h, dbiNOLOCK, rec.data(), nullptr), DBIERR_EOF) << h;
}

}  // namespace

namespace {

TEST_F(GlueTest, RunningOutOfWorkAreasIsAnOpenError) {
    MakeTable("MANY.DBF", {{"NAME", "C", 10, 0}});
    std::set<hDBICur> cursors;
    DBIResult status = DBIERR_NONE;
    hDBICur cursor = 0;
    while (cursors.size() < 300) {
        status = glue.OpenTable(db, "MANY.DBF", "SXNSX", nullptr, nullptr, 0, dbiREADWRITE, dbiOPENSHARED, xltFIELD,
                                false, nullptr, cursor);
        if (status != DBIERR_NONE)
            break;
        cursors.insert(cursor);
    }
    EXPECT_EQ(status, DBIERR_CANTOPENTABLE);
    EXPECT_EQ(cursor, 0u);
    EXPECT_EQ(cursors.size(), static_cast<size_t>(MaxWorkArea));
    EXPECT_EQ(*cursors.rbegin(), static_cast<hDBICur>(MaxWorkArea));
    // A closed one makes room again.
    hDBICur one = *cursors.begin();
    ASSERT_EQ(glue.CloseCursor(one), DBIERR_NONE);
    EXPECT_EQ(Open("MANY.DBF"), *cursors.begin());
}

}  // namespace
